// The OLE picture view: the picture is loaded once and drawn into an inset of the client area.
#include "preview/ole_picture_view.h"

#include "preview/preview_host.h"

#include <string>

IMPLEMENT_DYNCREATE(CTextView, CView)
BEGIN_MESSAGE_MAP(CTextView, CView)
    ON_WM_CREATE()
END_MESSAGE_MAP()

CTextView::~CTextView()
{
    if (m_pPicture)
        m_pPicture->Release();
}

BOOL CTextView::LoadPicture(const CString& path)
{
    std::u16string name(static_cast<LPCWSTR>(path));
    IPicture* picture = nullptr;
    if (FAILED(OleLoadPicturePath(name.data(), nullptr, 0, 0, IID_IPicture, reinterpret_cast<void**>(&picture))) ||
        !picture)
        return FALSE;
    if (m_pPicture)
        m_pPicture->Release();
    m_pPicture = picture;
    m_pPicture->get_Width(&m_hmWidth);
    m_pPicture->get_Height(&m_hmHeight);
    HDC screen = ::GetDC(nullptr);
    const int dpiX = ::GetDeviceCaps(screen, LOGPIXELSX), dpiY = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    m_cxPicture = (dpiX * m_hmWidth + 1270) / 2540;
    m_cyPicture = (dpiY * m_hmHeight + 1270) / 2540;
    return TRUE;
}

int CTextView::OnCreate(LPCREATESTRUCTW lpcs)
{
    if (CView::OnCreate(lpcs) == -1)
        return -1;
    IPreviewHost* host = GetPreviewHost();
    if (host && !LoadPicture(host->GetPreviewPath()))
        host->SetPreviewOkFlag(0);
    return 0;
}

void CTextView::OnDraw(CDC* pDC)
{
    if (!m_pPicture || !pDC)
        return;
    CRect client;
    GetClientRect(&client);
    const int x = client.left + 200, y = client.top + 10, width = client.right - 400, height = client.bottom - 20;
    DWORD attributes = 0;
    if (FAILED(m_pPicture->get_Attributes(&attributes)) || (attributes & PICTURE_TRANSPARENT)) {
        // Transparent pictures are drawn upright at their own size first, then stretched as one bitmap.
        CDC mem;
        if (!mem.CreateCompatibleDC(pDC))
            return;
        HBITMAP bitmap = ::CreateCompatibleBitmap(pDC->m_hDC, m_cxPicture, m_cyPicture);
        if (!bitmap)
            return;
        HGDIOBJ old = ::SelectObject(mem.m_hDC, bitmap);
        m_pPicture->Render(mem.m_hDC, 0, 0, m_cxPicture, m_cyPicture, 0, m_hmHeight, m_hmWidth, -m_hmHeight, nullptr);
        pDC->StretchBlt(x, y, width, height, &mem, 0, 0, m_cxPicture, m_cyPicture, SRCCOPY);
        ::SelectObject(mem.m_hDC, old);
        ::DeleteObject(bitmap);
    } else {
        m_pPicture->Render(pDC->m_hDC, 0, 0, m_cxPicture, m_cyPicture, 0, m_hmHeight, m_hmWidth, -m_hmHeight, nullptr);
    }
}
