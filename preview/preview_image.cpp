// The picture views' image library over the layer's picture loading.
#include "preview/preview_image.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

struct ImageExtension {
    const char16_t* ext;
    int type;
};

// Type ids as the document's picture list numbers them; only formats the layer decodes are listed.
const ImageExtension kImageExtensions[] = {
    {u"bmp", 1},  {u"gif", 2},  {u"jpg", 3},  {u"jpeg", 3}, {u"png", 4},  {u"ico", 5},  {u"tif", 6},
    {u"tiff", 6}, {u"tga", 7},  {u"pcx", 8},  {u"j2k", 11}, {u"jp2", 11}, {u"j2c", 12}, {u"jpc", 12},
    {u"pnm", 14}, {u"pgm", 14}, {u"ppm", 14},
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

CPreviewImage::CPreviewImage(LPCWSTR path, int type)
{
    if (!type || !path)
        return;
    std::u16string copy(path);
    IPicture* picture = nullptr;
    if (FAILED(OleLoadPicturePath(copy.data(), nullptr, 0, 0, IID_IPicture, reinterpret_cast<void**>(&picture))) ||
        !picture)
        return;
    OLE_HANDLE handle = 0;
    BITMAP info{};
    if (FAILED(picture->get_Handle(&handle)) ||
        !::GetObjectW(HBITMAP(uintptr_t(handle)), sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0) {
        picture->Release();
        return;
    }
    m_picture = picture;
    m_width = info.bmWidth;
    m_height = std::abs(info.bmHeight);
}

bool CPreviewImage::Stretch(HDC dc, int x, int y, int width, int height, DWORD) const
{
    if (!m_picture)
        return false;
    LONG hmWidth = 0, hmHeight = 0;
    m_picture->get_Width(&hmWidth);
    m_picture->get_Height(&hmHeight);
    return SUCCEEDED(m_picture->Render(dc, x, y, width, height, 0, hmHeight, hmWidth, -hmHeight, nullptr));
}

void CPreviewImage::Destroy()
{
    if (m_picture)
        m_picture->Release();
    m_picture = nullptr;
    m_width = m_height = 0;
}
