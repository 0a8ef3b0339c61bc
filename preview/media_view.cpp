// The media preview view: hands the previewed file to its player and keeps the player sized to it.
#include "preview/media_view.h"

#include "preview/preview_host.h"

IMPLEMENT_DYNCREATE(CMyMedia, CView)
BEGIN_MESSAGE_MAP(CMyMedia, CView)
    ON_WM_CREATE()
    ON_WM_SIZE()
END_MESSAGE_MAP()

CMyMedia::~CMyMedia()
{
    m_player.Close();
    if (::IsWindow(m_player.m_hWnd))
        m_player.DestroyWindow();
}

int CMyMedia::OnCreate(LPCREATESTRUCTW lpcs)
{
    if (CView::OnCreate(lpcs) == -1)
        return -1;
    // A player that cannot be made leaves the view empty.
    if (!m_player.Create(u"aa", WS_CHILD | WS_VISIBLE | WS_TABSTOP, CRect(40, 200, 100, 200), this, IDC_PLAYER))
        return 1;
    IPreviewHost* host = GetPreviewHost();
    if (!host)
        return 0;
    m_player.SetURL(host->GetPreviewPath());
    const long openState = m_player.GetOpenState();
    m_player.GetPlayState();
    m_player.GetStatus();
    // A file the player cannot open is reported, so the pane shows it as damaged, or as a kind it
    // cannot preview when no decoder for it is installed.
    if (openState != CWMPPlayer4::wmposMediaOpen) {
        if (m_player.Player().MissingPlugin())
            ReportPreviewComponentUnavailable();
        else
            host->SetPreviewOkFlag(0);
    }
    return 1;
}

void CMyMedia::OnSize(UINT nType, int cx, int cy)
{
    CView::OnSize(nType, cx, cy);
    if (::IsWindow(m_player.m_hWnd)) {
        CRect client;
        GetClientRect(&client);
        m_player.MoveWindow(&client, TRUE);
    }
}
