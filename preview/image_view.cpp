// The raster picture view: decodes the file once at creation and paints it 200 pixels wide, its height
// following the picture's proportions.
#include "preview/image_view.h"

#include "preview/preview_host.h"
#include "preview/preview_image.h"

IMPLEMENT_DYNCREATE(CImage_View, CView)
BEGIN_MESSAGE_MAP(CImage_View, CView)
    ON_WM_CREATE()
END_MESSAGE_MAP()

namespace {

// The picture's height in the view: 100 pixels plus its proportion of the 100, so a very tall picture is
// kept in proportion, not squeezed.
int ProportionHeight(int width, int height)
{
    const float r = float(height) / float(width);
    return int(r * 100);
}

// A copy at the size shown is kept only up to this height; a taller picture is stretched at each paint
// rather than held as a bitmap many screens long.
constexpr int kMaxShownHeight = 4096;

} // namespace

CImage_View::CImage_View() = default;
CImage_View::~CImage_View() = default;

int CImage_View::OnCreate(LPCREATESTRUCTW lpcs)
{
    if (CView::OnCreate(lpcs) == -1)
        return -1;
    IPreviewHost* host = GetPreviewHost();
    if (!host)
        return 0;
    const CString path = host->GetPreviewPath();
    const int type = PreviewImageType(path);
    if (type == 0)
        return 0;
    m_image = std::make_unique<CPreviewImage>(path, type, [](int width, int height) {
        return SIZE{200, width > 0 ? ProportionHeight(width, height) + 100 : 0};
    });
    if (!m_image->IsValid() || m_image->GetWidth() == 0 || m_image->GetHeight() == 0)
        host->SetPreviewOkFlag(0);
    return 0;
}

void CImage_View::OnDraw(CDC* pDC)
{
    IPreviewHost* host = GetPreviewHost();
    if (!host || !pDC || PreviewImageType(host->GetPreviewPath()) == 0)
        return;
    CRect client;
    GetClientRect(&client);
    const int x = client.right / 2 - 100;
    if (!m_shown.GetSafeHandle()) {
        if (!m_image || m_image->GetWidth() == 0 || m_image->GetHeight() == 0) {
            host->SetPreviewOkFlag(0);
            return;
        }
        const int h = ProportionHeight(m_image->GetWidth(), m_image->GetHeight());
        // A translucent picture shows what lies under it, so it is blended onto the view at every paint;
        // an opaque one is drawn once at the size shown and the decoded picture let go.
        CDC memory;
        CBitmap shown;
        if (m_image->IsTranslucent() || h + 100 > kMaxShownHeight || !memory.CreateCompatibleDC(pDC) ||
            !shown.CreateCompatibleBitmap(pDC, 200, h + 100)) {
            if (!m_image->Stretch(pDC->m_hDC, x, (120 - h) / 2, 200, h + 100, SRCCOPY))
                host->SetPreviewOkFlag(0);
            return;
        }
        CBitmap* old = memory.SelectObject(&shown);
        const bool drawn = m_image->Stretch(memory.m_hDC, 0, 0, 200, h + 100, SRCCOPY);
        memory.SelectObject(old);
        if (!drawn) {
            host->SetPreviewOkFlag(0);
            return;
        }
        m_shown.Attach(shown.Detach());
        m_shownHeight = h;
        m_image.reset();
    }
    CDC memory;
    if (!memory.CreateCompatibleDC(pDC))
        return;
    CBitmap* old = memory.SelectObject(&m_shown);
    pDC->BitBlt(x, (120 - m_shownHeight) / 2, 200, m_shownHeight + 100, &memory, 0, 0, SRCCOPY);
    memory.SelectObject(old);
}
