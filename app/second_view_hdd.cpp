// Page 2: Start checks the choice and starts the mode's scan worker; a timer moves on once the worker has finished.
#include "app/second_view_hdd.h"
#include "app/third_view_hdd.h"

#include "app/dovemark_app.h"
#include "app/engine_ui.h"
#include "app/file_type_dialog.h"
#include "app/first_display.h"
#include "app/file_system_form.h"
#include "app/file_system_view.h"
#include "app/first_view_hdd.h"
#include "app/main_frame.h"
#include "app/message_dlg.h"
#include "app/page_band.h"
#include "app/second_display.h"
#include "app/wizard_state.h"
#include "engine/drive_identify.h"
#include "engine/engine_state.h"
#include "engine/file_tracing.h"
#include "engine/found_list_fill.h"
#include "engine/full_scan.h"
#include "engine/quick_scan.h"
#include "engine/scan_control.h"
#include "engine/scan_flags.h"
#include "res/app/wizard_front_res.h"

IMPLEMENT_DYNCREATE(CSecondView_HDD, CWizardTreePage)

BEGIN_MESSAGE_MAP(CSecondView_HDD, CWizardTreePage)
    ON_WM_CREATE()
    ON_WM_KEYDOWN()
    ON_WM_TIMER()
    ON_COMMAND(159, OnStartScan)
    ON_COMMAND(160, OnScanBack)
    ON_COMMAND(132, OnPauseResume)
    ON_COMMAND(61481, OnHome)
END_MESSAGE_MAP()

namespace {

constexpr UINT kTreeId = 162, kSplitterId = 164, kDisplayId = 0xE901;
constexpr UINT_PTR kPollTimer = 1;

bool Running() { return !IsWorkerFinished() && ScanRunning; }

CFileSystemForm* VolumeForm()
{
    CDovemarkApp* app = DovemarkApp();
    return app && app->m_pFileSystemView ? app->m_pFileSystemView->GetForm() : nullptr;
}

const char16_t kStopQuestion[] = u"您确定要停止搜索文件？这可能会导致恢复不完整 \r\n并且您将需要再次重新启动此进程。";
const char16_t kChooseFirst[] = u"请从左侧面板中选择你要恢复的分区， \r\n然后单击[下一步]。.";

} // namespace

int CSecondView_HDD::OnCreate(LPCREATESTRUCTW cs)
{
    if (CView::OnCreate(cs) == -1)
        return -1;
    CreateTree(kTreeId, &m_host);
    m_pDisplay = new CSecondDisplay;
    m_pDisplay->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(0, 0, 100, 100), this, kDisplayId,
                       nullptr);
    CreateControls(m_pDisplay, kSplitterId);
    m_progress.SendMessage(PBM_SETBARCOLOR, 0xA00000, 0xFF0000);
    m_progress.SetTextColours(0xFFFFFF, 0x7F0000);
    return 0;
}

void CSecondView_HDD::OnDraw(CDC* pDC)
{
    CRect client;
    GetClientRect(&client);
    UINT banner;
    if (Running())
        banner = IDB_BANNER_RUNNING;
    else if (DriveKind == 2)
        banner = IDB_BANNER_VOLUME;
    else
        banner = ScanMode == 0 ? IDB_BANNER_FULL : IDB_BANNER_QUICK;
    DrawPageBand(pDC, client, banner);
    DrawBottomBand(pDC, client);
}

void CSecondView_HDD::ShowIdleButtons()
{
    CWizardTreePage::ShowIdleButtons();
    if (m_pDisplay)
        m_pDisplay->SetDetailsToggle(false, false);
}

void CSecondView_HDD::ShowRunningButtons(bool)
{
    ShowControl(m_progress, true);
    m_progress.SetPos(0);
    ShowControl(m_stop, true);
    ShowControl(m_next, false);
    ShowControl(m_back, false);
    ShowControl(m_status, true);
    ShowControl(m_home, false);
    m_tree.EnableWindow(FALSE);
    if (m_pDisplay) {
        m_pDisplay->SetDetailsToggle(true, true);
        m_pDisplay->HideScanInputs();
    }
}

void CSecondView_HDD::OnStartScan()
{
    CMainFrame* frame = MainFrame();
    if (!frame || !m_pDisplay || Running())
        return;
    CSecondDisplay& pane = *m_pDisplay;
    const LONG index = frame->SelectedPartitionIndex;
    const bool logical = DriveKind == 2;
    const CString kindText = logical ? CString(u"逻辑驱动器") : CString(u"物理驱动器");

    if (ScanMode == 0) {
        if (index < -1) {
            ShowAppMessage(kChooseFirst, MSG_KIND_ERROR);
            return;
        }
        if (const WORD kind = pane.ChosenFsKind())
            PartitionParams.PartitionFsType = kind;
        if (logical) {
            const int i = PartitionParams.LogicalDriveIndex;
            const WCHAR device[7] = {u'\\', u'\\', u'.', u'\\', LogicalDriveTable.RootText[i][0],
                                     LogicalDriveTable.RootText[i][1], 0};
            if (VolumeHandle && VolumeHandle != INVALID_HANDLE_VALUE)
                CloseHandle(VolumeHandle);
            VolumeHandle = CreateFileW(device, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       0, nullptr);
            if (VolumeHandle == INVALID_HANDLE_VALUE) {
                VolumeHandle = nullptr;
                ShowAppMessage(u"无法打开所选的驱动器。", MSG_KIND_ERROR);
                return;
            }
            ScanModeText = u"已选择模式 : 全面扫描 \r\n驱动器类型 : 逻辑驱动器";
        } else {
            CString startText, endText;
            pane.m_start.GetWindowText(startText);
            pane.m_end.GetWindowText(endText);
            DWORD start = 0, end = 0;
            if (!ParseSectorNumber(startText, &start)) {
                ShowAppMessage(u"无效的起始扇区值，它应该是一个正数", MSG_KIND_ERROR);
                return;
            }
            if (!ParseSectorNumber(endText, &end)) {
                ShowAppMessage(u"无效的结束扇区值，它应该是一个正数", MSG_KIND_ERROR);
                return;
            }
            if (end <= start) {
                ShowAppMessage(u"结束扇区要大于起始扇区", MSG_KIND_ERROR);
                return;
            }
            // The typed end sector is the last one read, and it must lie on the disk.
            const ULONGLONG diskSectors = DriveNumber < DetectedDriveCount ? DiskSectorCounts[DriveNumber] : 0;
            if (diskSectors && end >= diskSectors) {
                CString text;
                text.Format(u"结束扇区超出磁盘的范围，它应该小于 %lu", static_cast<unsigned long>(diskSectors));
                ShowAppMessage(text, MSG_KIND_ERROR);
                return;
            }
            PartitionParams.StartSector = start;
            PartitionParams.SectorCount = end - start + 1;
            PartitionParams.BackupSector = end;
            ScanModeText = u"已选择模式 : 全面扫描 \r\n驱动器类型 : 物理驱动器";
        }
        if (PartitionParams.PartitionFsType == FS_KIND_NTFS) {
            pane.ClearDriveInfo();
            pane.ShowNtfsScanCounters();
        } else {
            pane.ShowFatScanCounters();
        }
        ShowRunningButtons(true);
        frame->m_bPartitionTableRead = 0;
        StartFullScan();
        // The volume page shows the layout of the file system looked for, and how to go on from there.
        if (CFileSystemForm* form = VolumeForm()) {
            if (PartitionParams.PartitionFsType == FS_KIND_NTFS)
                form->SetNtfsInfoText();
            else
                form->SetFatInfoText();
            form->SetHint(u"请从左边的面板中选择一个文件系统，并单击[下一步]继续恢复。\r\n逐个检查所有文件系统的所需数据。");
        }
    } else if (ScanMode == 2) {
        if (index < 0) {
            ShowAppMessage(kChooseFirst, MSG_KIND_ERROR);
            return;
        }
        // The counters the quick scan writes stand on the lines these labels name.
        pane.ResetScanCounters();
        ShowRunningButtons(false);
        ScanModeText = CString(u"已选择模式 : 快速扫描\r\n驱动器类型     : ") + kindText;
        StartQuickScan();
    } else {
        if (index < 0) {
            ShowAppMessage(kChooseFirst, MSG_KIND_ERROR);
            return;
        }
        CFileTypeDlg types(this, AppFolder);
        if (types.DoModal() == IDOK) {
            pane.ResetScanCounters();
            ShowRunningButtons(false);
            ScanModeText = CString(u"已选择模式 : 文件跟踪 \r\n驱动器类型 : ") + kindText;
            StartFileTracing();
        }
    }
    pane.SetStatusText(u"正在搜索丢失的数据。请稍候…");
    if (!IsWorkerFinished() || ScanRunning) {
        m_bPolling = true;
        SetTimer(kPollTimer, 1000, nullptr);
    }
    Invalidate();
    UpdateWindow();
    pane.Invalidate();
}

void CSecondView_HDD::SetResultWords()
{
    CMainFrame* frame = MainFrame();
    if (!frame)
        return;
    if (ScanFailedFlag == 0) {
        frame->m_bDriveChoice = 0;
        frame->m_bPartitionChoice = 0;
        frame->m_bResultsReady = 1;
        frame->m_bFullResultsReady = 0;
    } else {
        frame->m_bPartitionTableRead = 1;
    }
}

void CSecondView_HDD::OnTimer(UINT_PTR id)
{
    if (id != kPollTimer) {
        CView::OnTimer(id);
        return;
    }
    PollRun();
}

void CSecondView_HDD::PollRun()
{
    // The finished signal is the worker's last act: before it the page never moves on.
    if (!m_bPolling || m_bHoldPoll || !IsWorkerFinished())
        return;
    m_bPolling = false;
    KillTimer(kPollTimer);
    FinishRun();
    if (CMainFrame* frame = MainFrame())
        frame->SelectedPartitionIndex = -1;
}

void CSecondView_HDD::FinishRun()
{
    CDovemarkApp* app = DovemarkApp();
    CMainFrame* frame = MainFrame();
    // A run that could not start its work has told the user why; the page is ready for another try.
    if (WorkerFailed() || ScanFailedFlag) {
        ShowIdleButtons();
        // Nothing runs any more: no "please wait" line may stay behind.
        ShowControl(m_status, false);
        m_status.SetWindowText(u"");
        if (m_pDisplay) {
            m_pDisplay->ResetDetails();
            m_pDisplay->SetStatusText(u"");
        }
        if (frame)
            frame->m_bPartitionTableRead = 1;
        Invalidate();
        return;
    }
    SelectionTotals[2] = SelectionTotals[3] = 0;
    ShowIdleButtons();
    if (ScanMode == 0) {
        VolumeFoundFlag = 0;
        RebuiltVolumeFound = 0;
        if (m_pDisplay)
            m_pDisplay->ResetDetails();
        if (frame) {
            frame->m_bDriveChoice = 0;
            frame->m_bPartitionChoice = 0;
            frame->m_bResultsReady = 0;
            frame->m_bFullResultsReady = 0;
        }
        if (app)
            app->SwitchView(3);
        if (FullScanVolumeCount == 0) {
            if (CFileSystemForm* form = VolumeForm())
                form->SetHint(u"Dovemark 无法在选定的扇区范围内识别一个文件系统。");
            ShowAppMessage(u"Dovemark 无法在选定的扇区范围内识别一个文件系统。\r\n请你确认在上一步选择好相应选项。\r\n"
                           u"请回到上一步，选择全面扫描硬盘。",
                           MSG_KIND_ERROR);
        }
        SetResultWords();
    } else if (ScanMode == 2) {
        ShowResults(app);
        ShowAppMessage(u"如果你没有在这里找到所需的文件和文件夹，那么请回去进行恢复的第一步， \r\n"
                       u"并选择“全面扫描”模式偿试再次恢复。",
                       MSG_KIND_QUESTION);
        SetResultWords();
    } else {
        ShowResults(app);
        SetResultWords();
    }
}

// The results page keeps its Save, Back and Home buttons hidden until a run has filled it.
void CSecondView_HDD::ShowResults(CDovemarkApp* app)
{
    if (!app)
        return;
    app->SwitchView(4);
    if (app->m_pThirdView)
        app->m_pThirdView->ShowResultButtons(TRUE);
}

bool CSecondView_HDD::AskToStopRun(bool wait)
{
    // The run's end must not move the wizard on under its question, nor while a Back waits for the stop.
    m_bHoldPoll = true;
    const bool stop = AskToStop(kStopQuestion, wait);
    m_bHoldPoll = false;
    // An end that came meanwhile was held back (a stopped run is polled by the caller, or left by Back).
    if (!stop)
        PollRun();
    return stop;
}

bool CSecondView_HDD::ConfirmStop()
{
    return IsWorkerFinished() || AskToStopRun(true);
}

void CSecondView_HDD::OnPauseResume()
{
    if (!Running())
        return;
    if (AskToStopRun(false)) {
        ShowControl(m_stop, false);
        if (m_pDisplay)
            m_pDisplay->SetDetailsToggle(false, false);
        ShowControl(m_status, true);
        PollRun();
    }
}

void CSecondView_HDD::OnScanBack()
{
    if (!ConfirmStop())
        return;
    m_bPolling = false;
    KillTimer(kPollTimer);
    CDovemarkApp* app = DovemarkApp();
    CMainFrame* frame = MainFrame();
    m_tree.DeleteAllItems();
    if (frame) {
        frame->m_bLoadEnabled = 1;
        frame->m_bDriveChoice = 1;
        frame->m_bPartitionChoice = 0;
        frame->m_bResultsReady = 0;
        frame->m_bFullResultsReady = 0;
        frame->SelectedPartitionIndex = -1;
    }
    if (m_pDisplay) {
        m_pDisplay->ClearDriveInfo();
        m_pDisplay->ResetDetails();
    }
    FolderBrowseActive = 0;
    SnapshotLoaded = 0;
    ShowIdleButtons();
    ShowControl(m_status, false);
    if (app && app->m_pFirstView) {
        CFirstView_HDD& drives = *app->m_pFirstView;
        if (drives.m_pDisplay) {
            drives.m_pDisplay->m_hint.SetWindowText(
                PaddedText(u"请从左侧面板中选择包含无法存取数据的逻辑驱动器。如果您看不到盘符，先选择硬盘，其中已包含丢失的驱动器，"
                       u"并单击[下一步]继续恢复。",
                       89));
            drives.m_pDisplay->ClearInfo();
        }
        drives.ShowIdleButtons();
    }
    switch (ScanMode) {
    case 0: ScanModeText = u"已选择模式 : 全面扫描         "; break;
    case 2: ScanModeText = u"已选择模式 : 快速扫描     "; break;
    case 1: ScanModeText = u"已选择模式 : 文件跟踪     "; break;
    default: break;
    }
    DriveKind = 3;
    if (app)
        app->SwitchView(1);
}

void CSecondView_HDD::ResetForNewRun()
{
    KillTimer(kPollTimer);
    ShowIdleButtons();
    m_status.SetWindowText(u"");
    ShowControl(m_status, false);
    if (m_pDisplay) {
        m_pDisplay->SetStatusText(u"");
        m_pDisplay->ResetDetails();
        m_pDisplay->ClearDriveInfo();
    }
}

void CSecondView_HDD::ReturnFromResults()
{
    ResetForNewRun();
    const bool logical = DriveKind == 2;
    ScanModeText = DriveChoiceModeText(ScanMode, logical);
    if (!m_pDisplay)
        return;
    m_pDisplay->ShowNoPartitionInfo();
    if (logical) {
        m_pDisplay->ShowVolumeInfo();
        // The volume is the page's only choice, so Start may run on it again without a click.
        if (CMainFrame* frame = MainFrame())
            frame->SelectedPartitionIndex = 0;
    }
    m_pDisplay->Invalidate();
}

void CSecondView_HDD::ReturnFromVolumes()
{
    ResetForNewRun();
    if (!m_pDisplay)
        return;
    CSecondDisplay& pane = *m_pDisplay;
    if (DriveKind == 2) {
        pane.SetStatusText(PaddedText(u"你已选择了进行恢复的逻辑驱动器。请单击[下一步]继续恢复。", 36));
        pane.ShowVolumeInfo();
        pane.ShowFsChooser();
        pane.ShowVolumeInfoLines();
    } else {
        pane.SetStatusText(PaddedText(u"请从左侧面板选择一个分区，然后按[下一步]继续恢复", 40));
        pane.ShowSectorRangeInputs();
        pane.ShowPartitionInfo(0);
    }
    pane.Invalidate();
}

void CSecondView_HDD::OnHome()
{
    if (!ConfirmStop())
        return;
    OnScanBack();
    if (CDovemarkApp* app = DovemarkApp(); app && app->m_pFirstView)
        app->m_pFirstView->OnBack();
}

void CSecondView_HDD::OnKeyDown(UINT key, UINT repeat, UINT flags)
{
    if (key == VK_TAB) {
        if (m_focus[0]) {
            m_next.SendMessage(BM_SETSTATE, 1);
            m_tree.SendMessage(WM_KILLFOCUS);
            m_focus[0] = 0;
            m_focus[1] = 1;
        } else if (m_focus[1]) {
            m_next.SendMessage(BM_SETSTATE, 0);
            m_back.SendMessage(BM_SETSTATE, 1);
            m_focus[1] = 0;
            m_focus[2] = 1;
        } else {
            m_back.SendMessage(BM_SETSTATE, 0);
            ::SetActiveWindow(m_tree.m_hWnd);
            m_tree.SetFocus();
            m_focus[2] = m_focus[3] = 0;
            m_focus[0] = 1;
        }
    } else if (key == VK_RETURN) {
        if (m_next.SendMessage(BM_GETSTATE) & BST_PUSHED)
            OnStartScan();
        else if (m_back.SendMessage(BM_GETSTATE) & BST_PUSHED)
            OnScanBack();
    }
    CView::OnKeyDown(key, repeat, flags);
}
