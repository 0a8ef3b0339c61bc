// Page 3 of the wizard: the found-volume tree, the chosen volume's layout, and the extraction that
// leads to the found-items page.
#include "app/file_system_view.h"

#include "app/dovemark_app.h"
#include "app/engine_ui.h"
#include "app/file_system_form.h"
#include "app/main_frame.h"
#include "app/second_view_hdd.h"
#include "app/message_dlg.h"
#include "app/page_band.h"
#include "app/results_controls.h"
#include "app/wizard_state.h"
#include "app/third_view_hdd.h"
#include "engine/engine_state.h"
#include "engine/recovery_writer.h"
#include "engine/scan_control.h"
#include "engine/volume_extraction.h"

namespace {

enum : UINT {
    kTreeId = 156,
    kSplitterId = 157,
    kNextId = 159,
    kBackId = 160,
    kProgressId = 61457,
    kStopId = 132,
    kHomeId = 61481,
    kStatusId = 170,
    kFormId = 0xE901,
    kTimerId = 1,
};
constexpr UINT kBannerRunning = 279, kBannerIdle = 284;

} // namespace

IMPLEMENT_DYNCREATE(CFileSystemView, CView)

BEGIN_MESSAGE_MAP(CFileSystemView, CView)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_TIMER()
    ON_WM_CTLCOLOR()
    ON_WM_DESTROY()
    ON_BN_CLICKED(kNextId, OnNext)
    ON_BN_CLICKED(kBackId, OnBack)
    ON_BN_CLICKED(kStopId, OnStop)
    ON_BN_CLICKED(kHomeId, OnHome)
END_MESSAGE_MAP()

CFileSystemView::CFileSystemView() = default;
CFileSystemView::~CFileSystemView() = default;

int CFileSystemView::OnCreate(LPCREATESTRUCTW lpcs)
{
    if (CView::OnCreate(lpcs) == -1)
        return -1;
    m_brWhite.CreateSolidBrush(RGB(255, 255, 255));
    m_font.CreateFont(16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, 0, 0, 0, 0, u"Arial");

    m_wndTree.Create(WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                     CRect(0, 0, 0, 0), this, kTreeId);
    m_wndTree.InitControl();
    TheResultsControls().volumes = &m_wndTree;
    m_pForm = new CFileSystemForm;
    CCreateContext context;
    context.m_pCurrentDoc = GetDocument();
    m_pForm->Create(nullptr, u"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), this, kFormId, &context);
    m_pForm->SetModeTextSource(&ScanModeText);
    m_wndTree.SetForm(m_pForm);
    if (CMainFrame* frame = MainFrame())
        m_wndTree.SetSelectedIndexWord(reinterpret_cast<int*>(&frame->SelectedPartitionIndex));
    m_wndSplitter.Create(WS_CHILD | WS_VISIBLE | SPLS_VERTICAL, this, &m_wndTree, m_pForm, kSplitterId,
                         CRect(0, 0, 0, 0), 170, 170);

    const DWORD buttonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    m_btnNext.Create(u"继续", buttonStyle, CRect(0, 0, 85, 35), this, kNextId);
    m_btnBack.Create(u"返回", buttonStyle, CRect(0, 0, 85, 35), this, kBackId);
    m_btnStop.Create(u"Stop", buttonStyle, CRect(0, 0, 85, 35), this, kStopId);
    m_btnHome.Create(u"", buttonStyle, CRect(0, 0, 40, 38), this, kHomeId);
    SetupWizardButton(m_btnNext, WIZARD_NEXT);
    SetupWizardButton(m_btnBack, WIZARD_BACK);
    SetupWizardButton(m_btnStop, WIZARD_STOP);
    SetupWizardButton(m_btnHome, WIZARD_HOME);
    m_wndProgress.Create(WS_CHILD, CRect(0, 0, 0, 0), this, kProgressId);
    m_wndProgress.SetRange(0, 100);
    m_stStatus.Create(u"", WS_CHILD, CRect(0, 0, 0, 0), this, kStatusId);
    m_stStatus.SetFont(&m_font);
    ShowRunning(FALSE);
    return 0;
}

void CFileSystemView::OnDestroy()
{
    StopPolling();
    if (TheResultsControls().volumes == &m_wndTree)
        TheResultsControls().volumes = nullptr;
    CView::OnDestroy();
}

void CFileSystemView::ShowRunning(BOOL running)
{
    m_wndProgress.ShowWindow(running ? SW_SHOW : SW_HIDE);
    m_wndProgress.EnableWindow(running);
    m_btnStop.ShowWindow(running ? SW_SHOW : SW_HIDE);
    m_btnStop.EnableWindow(running);
    for (CSkinButton* b : {&m_btnNext, &m_btnBack, &m_btnHome}) {
        b->ShowWindow(running ? SW_HIDE : SW_SHOW);
        b->EnableWindow(!running);
    }
    m_stStatus.ShowWindow(running ? SW_SHOW : SW_HIDE);
}

void CFileSystemView::ResetForChoice()
{
    if (!GetSafeHwnd())
        return;
    StopPolling();
    m_wndProgress.SetPos(0);
    m_stStatus.SetWindowText(u"");
    ShowRunning(FALSE);
    m_wndTree.EnableWindow(TRUE);
}

void CFileSystemView::OnSize(UINT nType, int cx, int cy)
{
    CView::OnSize(nType, cx, cy);
    const int L = 0, T = 0, R = cx, B = cy;
    if (!m_btnNext.GetSafeHwnd())
        return;
    m_btnNext.MoveWindow(R - 135, B - 41, 85, 35);
    m_btnStop.MoveWindow(R - 135, B - 41, 85, 35);
    m_btnBack.MoveWindow(R - 225, B - 41, 85, 35);
    m_btnHome.MoveWindow(L + 60, B - 43, 40, 38);
    m_wndProgress.MoveWindow(L + 60, B - 28, std::max(1, cx / 2 - 60), 18);
    m_stStatus.MoveWindow(L + 60, B - 45, std::max(1, cx / 2 - 60), 17);
    m_wndSplitter.MoveWindow(L + 20, T + 50, std::max(1, R - 40), std::max(1, B - 140));
}

void CFileSystemView::OnDraw(CDC* pDC)
{
    CRect client;
    GetClientRect(&client);
    const bool running = ScanStopFlag == 0 && ScanRunning;
    DrawPageBand(pDC, client, running ? kBannerRunning : kBannerIdle);
}

HBRUSH CFileSystemView::OnCtlColor(CDC*, CWnd*, UINT)
{
    return ::GetSysColorBrush(COLOR_WINDOW);
}

void CFileSystemView::OnNext()
{
    CMainFrame* frame = MainFrame();
    CDovemarkApp* app = DovemarkApp();
    if (!frame || !app)
        return;
    if (frame->SelectedPartitionIndex < 0) {
        ShowAppMessage(u"请从左侧面板选择一个文件系统，然后按[下一步]继续恢复。 \r\n", MSG_KIND_INFO);
        return;
    }
    FreeScanResultLists();
    frame->m_bDriveChoice = 0;
    frame->m_bPartitionChoice = 1;
    frame->m_bResultsReady = 0;
    frame->m_bFullResultsReady = 0;
    ShowRunning(TRUE);
    frame->m_bPartitionTableRead = 0;
    m_wndTree.EnableWindow(FALSE);
    frame->SelectedPartitionIndex = -1;
    StartExtraction();
    Invalidate();
    UpdateWindow();
}

void CFileSystemView::StartExtraction()
{
    ::StartExtraction();
    m_bPolling = true;
    SetTimer(kTimerId, 1000, nullptr);
}

void CFileSystemView::StopPolling()
{
    m_bPolling = false;
    KillTimer(kTimerId);
}

void CFileSystemView::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == kTimerId)
        PollRun();
}

// The page moves on only once the worker has said it is done: it fills the list before that.
void CFileSystemView::PollRun()
{
    if (!m_bPolling || !IsWorkerFinished())
        return;
    StopPolling();
    CMainFrame* frame = MainFrame();
    CDovemarkApp* app = DovemarkApp();
    ShowRunning(FALSE);
    m_wndTree.EnableWindow(TRUE);
    if (WorkerFailed() || !frame || !app)
        return;
    frame->m_bDriveChoice = 0;
    frame->m_bPartitionChoice = 0;
    frame->m_bResultsReady = 0;
    frame->m_bFullResultsReady = 1;
    app->SwitchView(4);
    if (app->m_pThirdView)
        app->m_pThirdView->ShowResultButtons(TRUE);
}

void CFileSystemView::OnStop()
{
    if (IsWorkerFinished())
        return;
    RequestScanPause(true);
    const bool stop = AskAppQuestion(u"你确定要停止搜索文件？");
    if (stop)
        RequestScanStop();
    RequestScanPause(false);
    if (!stop)
        return;
    m_wndProgress.ShowWindow(SW_HIDE);
    m_btnStop.ShowWindow(SW_HIDE);
    m_btnStop.EnableWindow(FALSE);
    m_stStatus.ShowWindow(SW_SHOW);
    m_stStatus.EnableWindow(TRUE);
    if (CMainFrame* frame = MainFrame()) {
        frame->m_bDriveChoice = 0;
        frame->m_bPartitionChoice = 0;
        frame->m_bResultsReady = 1;
        frame->m_bFullResultsReady = 0;
    }
}

void CFileSystemView::OnBack()
{
    m_wndTree.DeleteAllItems();
    if (m_pForm)
        m_pForm->ClearInfo();
    CDovemarkApp* app = DovemarkApp();
    if (app && app->m_pThirdView && app->m_pThirdView->GetFoundList())
        DeleteTempFiles(app->m_pThirdView->GetFoundList()->PreviewTempFileList());
    if (CMainFrame* frame = MainFrame()) {
        frame->m_bDriveChoice = 0;
        frame->m_bPartitionChoice = 1;
        frame->m_bResultsReady = 0;
        frame->m_bFullResultsReady = 0;
        frame->m_bPartitionTableRead = 1;
        frame->SelectedPartitionIndex = -1;
    }
    ResetFullScanLists();
    if (app && app->m_pSecondView)
        app->m_pSecondView->ReturnFromVolumes();
    if (app)
        app->SwitchView(2);
}

void CFileSystemView::OnHome()
{
    OnBack();
    CDovemarkApp* app = DovemarkApp();
    // Only when the steps back were taken: a run the user chose to keep leaves the wizard where it is.
    CMainFrame* frame = MainFrame();
    if (app && app->m_pSecondView && frame && frame->GetActiveView() == app->GetPage(2))
        app->m_pSecondView->OnHome();
}
