// The AVI preview view: one movie window, started when the view is made and stopped before it goes.
#include "preview/avi_view.h"

#include "preview/mci_window.h"
#include "preview/preview_host.h"

IMPLEMENT_DYNCREATE(CAviView, CView)
BEGIN_MESSAGE_MAP(CAviView, CView)
    ON_WM_CREATE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CAviView::~CAviView() { CloseMovie(); }

int CAviView::OnCreate(LPCREATESTRUCTW lpcs)
{
    if (CView::OnCreate(lpcs) == -1)
        return -1;
    IPreviewHost* host = GetPreviewHost();
    if (!host)
        return 0;
    CString path = host->GetPreviewPath();
    m_hMciWnd = MCIWndCreateW(m_hWnd, AfxGetInstanceHandle(), WS_CHILD | WS_VISIBLE | MCIWNDF_NOMENU, path);
    // A movie that cannot be opened is reported, so the pane shows it as damaged, or as a kind it
    // cannot preview when no decoder for it is installed.
    if (!m_hMciWnd) {
        if (::GetLastError() == ERROR_NOT_SUPPORTED)
            ReportPreviewComponentUnavailable();
        else
            host->SetPreviewOkFlag(0);
        return 1;
    }
    ::SendMessageW(m_hMciWnd, MCI_PLAY, 0, 0);
    return 1;
}

void CAviView::CloseMovie()
{
    if (!m_hMciWnd)
        return;
    ::SendMessageW(m_hMciWnd, MCI_STOP, 0, 0);
    if (::IsWindow(m_hMciWnd))
        ::SendMessageW(m_hMciWnd, WM_CLOSE, 0, 0);
    m_hMciWnd = nullptr;
}

// The movie stops while its window still exists: the view's own windows go before its destructor runs.
void CAviView::OnDestroy()
{
    CloseMovie();
    CView::OnDestroy();
}
