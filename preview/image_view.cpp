// The raster picture view: checks the file once at creation, then decodes and stretches it at each paint.
#include "preview/image_view.h"

#include "preview/preview_host.h"
#include "preview/preview_image.h"

IMPLEMENT_DYNCREATE(CImage_View, CView)
BEGIN_MESSAGE_MAP(CImage_View, CView)
    ON_WM_CREATE()
END_MESSAGE_MAP()

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
    CPreviewImage image(path, type);
    if (!image.IsValid() || image.GetWidth() == 0 || image.GetHeight() == 0)
        host->SetPreviewOkFlag(0);
    return 0;
}

void CImage_View::OnDraw(CDC* pDC)
{
    IPreviewHost* host = GetPreviewHost();
    if (!host || !pDC)
        return;
    const CString path = host->GetPreviewPath();
    const int type = PreviewImageType(path);
    if (type == 0)
        return;
    CPreviewImage image(path, type);
    if (image.GetWidth() == 0 || image.GetHeight() == 0) {
        host->SetPreviewOkFlag(0);
        return;
    }
    const float r = float(image.GetHeight()) / float(image.GetWidth());
    // The height follows the ratio, so a very tall picture is kept in proportion, not squeezed.
    const int h = int(r * 100);
    CRect client;
    GetClientRect(&client);
    if (!image.Stretch(pDC->m_hDC, client.right / 2 - 100, (120 - h) / 2, 200, h + 100, SRCCOPY))
        host->SetPreviewOkFlag(0);
}
