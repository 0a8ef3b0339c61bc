// The picture views' image library over the layer's picture loading.
#include "preview/preview_image.h"

#include <algorithm>

namespace {

struct ImageExtension {
    const char16_t* ext;
    int type;
};

// Type ids as the document's picture list numbers them.
const ImageExtension kImageExtensions[] = {
    {u"bmp", 1},  {u"gif", 2},  {u"jpg", 3},  {u"jpeg", 3}, {u"png", 4},  {u"ico", 5},  {u"tif", 6},
    {u"tiff", 6}, {u"tga", 7},  {u"pcx", 8},  {u"wbmp", 9}, {u"wmf", 10}, {u"emf", 10}, {u"j2k", 11},
    {u"jp2", 11}, {u"j2c", 12}, {u"jpc", 12}, {u"pgx", 13}, {u"pnm", 14}, {u"pgm", 14}, {u"ppm", 14},
    {u"ras", 15},
};

} // namespace

int PreviewImageType(LPCWSTR name)
{
    CString text(name ? name : u"");
    const int dot = text.ReverseFind(u'.');
    const int sep = std::max(text.ReverseFind(u'\\'), text.ReverseFind(u'/'));
    if (dot < 0 || dot < sep)
        return 0;
    const CString ext = text.Mid(dot + 1);
    for (const ImageExtension& e : kImageExtensions)
        if (ext.CompareNoCase(e.ext) == 0)
            return e.type;
    return 0;
}

CPreviewImage::CPreviewImage(LPCWSTR path, int type, const dovemark::PictureBox& box)
{
    if (!type || !path)
        return;
    IPicture* picture = nullptr;
    if (FAILED(dovemark::LoadPicturePathForBox(path, box, &picture)) || !picture)
        return;
    // The full size in pixels, also for a picture decoded reduced.
    int width = 0, height = 0;
    if (!dovemark::PicturePixelSize(picture, width, height)) {
        picture->Release();
        return;
    }
    m_picture = picture;
    m_width = width;
    m_height = height;
}

bool CPreviewImage::Stretch(HDC dc, int x, int y, int width, int height, DWORD) const
{
    if (!m_picture)
        return false;
    LONG hmWidth = 0, hmHeight = 0;
    m_picture->get_Width(&hmWidth);
    m_picture->get_Height(&hmHeight);
    // A picture shrunk into the pane averages the pixels it drops, so its colours stay those of the
    // picture whatever mode the view's DC was left in.
    const int oldMode = ::SetStretchBltMode(dc, HALFTONE);
    POINT oldOrigin{};
    ::SetBrushOrgEx(dc, 0, 0, &oldOrigin);
    const bool drawn = SUCCEEDED(m_picture->Render(dc, x, y, width, height, 0, hmHeight, hmWidth, -hmHeight, nullptr));
    ::SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
    if (oldMode)
        ::SetStretchBltMode(dc, oldMode);
    return drawn;
}

bool CPreviewImage::IsTranslucent() const
{
    DWORD attributes = 0;
    return m_picture && SUCCEEDED(m_picture->get_Attributes(&attributes)) && (attributes & PICTURE_TRANSPARENT);
}

void CPreviewImage::Destroy()
{
    if (m_picture)
        m_picture->Release();
    m_picture = nullptr;
    m_width = m_height = 0;
}
