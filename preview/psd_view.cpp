// The Photoshop preview view: decodes the previewed file once, paints it stretched.
#include "preview/psd_view.h"

#include "preview/preview_host.h"

IMPLEMENT_DYNCREATE(CPSDViewView, CView)
BEGIN_MESSAGE_MAP(CPSDViewView, CView)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_MESSAGE(WM_HSCROLL, OnScroll)
    ON_MESSAGE(WM_VSCROLL, OnScroll)
END_MESSAGE_MAP()

CPSDViewView::~CPSDViewView()
{
    if (m_hBitmap)
        ::DeleteObject(m_hBitmap);
}

int CPSDViewView::OnCreate(LPCREATESTRUCTW lpcs)
{
    if (CView::OnCreate(lpcs) == -1)
        return -1;
    CRect client;
    GetClientRect(&client);
    m_frame.Create(u"", WS_CHILD | WS_VISIBLE | SS_BLACKFRAME | SS_CENTERIMAGE, client, this, IDC_FRAME);
    IPreviewHost* host = GetPreviewHost();
    if (!host)
        return 0;
    m_nLoadResult = m_image.LoadPsd(host->GetPreviewPath());
    if (m_nLoadResult == PSD_OK)
        Invalidate(TRUE);
    // A document that cannot be decoded, or decodes to no picture, is reported, so the pane shows
    // it as damaged instead of as an empty view.
    host->SetPreviewOkFlag(m_nLoadResult == PSD_OK && m_image.Decoder().HasBitmap() ? 1 : 0);
    m_frame.ShowWindow(SW_SHOWNORMAL);
    return 0;
}

void CPSDViewView::OnSize(UINT nType, int cx, int cy)
{
    CView::OnSize(nType, cx, cy);
    if (::IsWindow(m_frame.m_hWnd)) {
        CRect client;
        GetClientRect(&client);
        m_frame.MoveWindow(0, 0, client.Width(), client.Height(), TRUE);
    }
}

void CPSDViewView::OnUpdate(CView*, LPARAM, CObject*) { Invalidate(TRUE); }

void CPSDViewView::OnDraw(CDC* pDC)
{
    if (m_nLoadResult != PSD_OK || !::IsWindow(m_frame.m_hWnd))
        return;
    if (!m_hBitmap)
        m_hBitmap = m_image.DetachBitmap();
    if (!m_hBitmap)
        return;
    CRect client;
    GetClientRect(&client);
    CDC mem;
    if (!mem.CreateCompatibleDC(pDC))
        return;
    HGDIOBJ old = ::SelectObject(mem.m_hDC, m_hBitmap);
    const PsdHeader& h = m_image.Decoder().m_header;
    pDC->StretchBlt(0, 0, client.Width(), client.Height(), &mem, 0, 0, h.width, h.height, SRCCOPY);
    ::SelectObject(mem.m_hDC, old);
}
