// The drive and scan pages' common frame: tree and pane, bottom band, and the cooperative Stop question.
#include "app/wizard_tree_page.h"

#include "app/engine_ui.h"
#include "app/message_dlg.h"
#include "app/page_band.h"
#include "engine/scan_control.h"

IMPLEMENT_DYNAMIC(CWizardTreePage, CView)

BEGIN_MESSAGE_MAP(CWizardTreePage, CView)
    ON_WM_SIZE()
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

namespace {
constexpr UINT kStatusId = 170, kProgressId = 61457;
constexpr COLORREF kStatusColour = 0x00FF8766;
} // namespace

void CWizardTreePage::CreateTree(UINT treeId, IDriveTreeHost* host)
{
    m_statusBrush.CreateSolidBrush(kStatusColour);
    m_font.CreateFont(16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Arial");
    m_tree.Create(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_BORDER | TVS_HASBUTTONS |
                      TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                  CRect(0, 0, 100, 100), this, treeId);
    m_tree.SetHost(host);
    m_tree.InitTree();
}

void CWizardTreePage::CreateControls(CWnd* pane, UINT splitterId)
{
    m_splitter.Create(WS_CHILD | WS_VISIBLE | SPLS_VERTICAL, this, &m_tree, pane, splitterId, CRect(0, 0, 100, 100),
                      90, 110);
    m_next.Create(u"继续", WS_CHILD | WS_VISIBLE | WS_TABSTOP, CRect(0, 0, 85, 35), this, 159);
    m_back.Create(u"返回", WS_CHILD | WS_VISIBLE | WS_TABSTOP, CRect(0, 0, 85, 35), this, 160);
    m_home.Create(u"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 40, 38), this, 61481);
    m_stop.Create(u"Stop", WS_CHILD, CRect(0, 0, 85, 35), this, 132);
    SetupWizardButton(m_next, WIZARD_NEXT);
    SetupWizardButton(m_back, WIZARD_BACK);
    SetupWizardButton(m_home, WIZARD_HOME);
    SetupWizardButton(m_stop, WIZARD_STOP);
    m_status.Create(u"", WS_CHILD, CRect(0, 0, 0, 0), this, kStatusId);
    m_status.SetFont(&m_font);
    m_progress.Create(WS_CHILD | PBS_TEXT_PERCENT, CRect(0, 0, 100, 18), this, kProgressId);
    m_progress.SetRange(0, 100);
    m_progress.SetPos(0);
    m_progress.SetProgressText(u"%d%%", PBS_TEXT_PERCENT);
    ShowControl(m_stop, false);
    ShowControl(m_progress, false);
}

void CWizardTreePage::OnSize(UINT type, int cx, int cy)
{
    CView::OnSize(type, cx, cy);
    if (!m_next.m_hWnd)
        return;
    CRect c;
    GetClientRect(&c);
    m_next.MoveWindow(c.right - 135, c.bottom - 41, 85, 35);
    m_stop.MoveWindow(c.right - 135, c.bottom - 41, 85, 35);
    m_back.MoveWindow(c.right - 225, c.bottom - 41, 85, 35);
    m_home.MoveWindow(c.left + 60, c.bottom - 43, 40, 38);
    const int middle = (c.left + c.right) / 2;
    // The bar and the status line start right of Home, which stands at the same place.
    m_progress.MoveWindow(c.left + 110, c.bottom - 28, std::max(0, middle - c.left - 110), 18);
    m_status.MoveWindow(c.left + 110, c.bottom - 45, std::max(0, middle - c.left - 110), 17);
    m_splitter.MoveWindow(c.left + 5, c.top + 50, std::max(0, c.Width() - 10), std::max(0, c.Height() - 110));
}

void CWizardTreePage::DrawBottomBand(CDC* dc, const CRect& client)
{
    CRect band(client.left, client.bottom - 50, client.right, client.bottom);
    dc->FillSolidRect(&band, kStatusColour);
    band.DeflateRect(1, 1);
    dc->Draw3dRect(&band, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
}

HBRUSH CWizardTreePage::OnCtlColor(CDC* dc, CWnd* wnd, UINT)
{
    if (wnd && wnd->GetDlgCtrlID() == int(kStatusId)) {
        dc->SetBkColor(kStatusColour);
        dc->SetTextColor(RGB(255, 255, 255));
        return m_statusBrush;
    }
    return GetSysColorBrush(COLOR_WINDOW);
}

void CWizardTreePage::SetProgressPos(int position)
{
    if (m_progress.m_hWnd)
        m_progress.SetPos(position);
}

void CWizardTreePage::SetStatusText(LPCWSTR text)
{
    if (m_status.m_hWnd)
        m_status.SetWindowText(text);
}

void CWizardTreePage::ShowIdleButtons()
{
    ShowControl(m_next, true);
    ShowControl(m_back, true);
    ShowControl(m_home, true);
    ShowControl(m_stop, false);
    ShowControl(m_progress, false);
    m_progress.SetPos(0);
    m_tree.EnableWindow(TRUE);
}

void CWizardTreePage::TakeFocusRing()
{
    SetFocus();
    m_focus[0] = 1;
    m_focus[1] = m_focus[2] = m_focus[3] = 0;
}

bool CWizardTreePage::AskToStop(LPCWSTR question, bool wait)
{
    // The worker parks at its next poll point while the question is open; it is never frozen anywhere else.
    RequestScanPause(true);
    if (!AskAppQuestion(question)) {
        RequestScanPause(false);
        return false;
    }
    RequestScanStop();
    if (wait)
        PumpUntilWorkerFinished();
    return true;
}
