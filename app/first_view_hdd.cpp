// Page 1: the drive tree and its pane; Next reads a disk's partitions and searches it for lost ones in a worker.
#include "app/first_view_hdd.h"

#include "afx/list_ctrl.h"
#include "afx/thread.h"
#include "app/dovemark_app.h"
#include "app/drive_listing.h"
#include "app/engine_ui.h"
#include "app/ex_style_view.h"
#include "app/first_display.h"
#include "app/main_frame.h"
#include "app/message_dlg.h"
#include "app/page_band.h"
#include "app/second_display.h"
#include "app/second_view_hdd.h"
#include "app/wizard_state.h"
#include "engine/engine_state.h"
#include "engine/found_list_fill.h"
#include "engine/partition_table.h"
#include "engine/scan_control.h"
#include "res/app/wizard_front_res.h"

IMPLEMENT_DYNCREATE(CFirstView_HDD, CWizardTreePage)

BEGIN_MESSAGE_MAP(CFirstView_HDD, CWizardTreePage)
    ON_WM_CREATE()
    ON_WM_TIMER()
    ON_WM_KEYDOWN()
    ON_WM_SHOWWINDOW()
    ON_COMMAND(159, OnNext)
    ON_COMMAND(160, OnBack)
    ON_COMMAND(132, OnStopSearch)
    ON_COMMAND(61481, OnBack)
END_MESSAGE_MAP()

namespace {

constexpr UINT kTreeId = 156, kSplitterId = 157, kHelpGroupId = 61479;
constexpr UINT kDisplayId = 0xE905;
constexpr UINT_PTR kPollTimer = 1;

struct ModeTexts {
    const char16_t* damaged;
    int damagedBlanks;
    const char16_t* physical;
    int physicalBlanks;
    const char16_t* logical;
    int logicalBlanks;
};
// By ScanMode: 0 full scan, 1 file tracing, 2 quick scan.
const ModeTexts kModeTexts[3] = {
    {u"这个分区已损坏，请选择物理设备，然后继续。", 27, u"已选择模式 : 全面扫描 \r\n驱动器类型 : 物理驱动器", 20,
     u"已选择模式 : 全面扫描 \r\n驱动器类型 : 逻辑驱动器", 19},
    {u"这个分区已损坏，请选择物理硬盘驱动器，然后继续。", 25, u"已选择模式 : 文件跟踪 \r\n驱动器类型 : 物理驱动器", 16,
     u"已选择模式 : 文件跟踪 \r\n驱动器类型 : 逻辑驱动器", 15},
    {u"这个分区已损坏，请选择物理硬盘驱动器，然后继续。", 24, u"已选择模式 : 快速扫描\r\n驱动器类型     : 物理驱动器", 13,
     u"已选择模式 : 快速扫描\r\n驱动器类型     : 逻辑驱动器", 12},
};

const ModeTexts& TextsFor(DWORD mode) { return kModeTexts[mode <= 2 ? mode : 2]; }

} // namespace

CString DriveChoiceModeText(DWORD scanMode, bool logical)
{
    const ModeTexts& texts = TextsFor(scanMode);
    return logical ? PaddedText(texts.logical, texts.logicalBlanks) : PaddedText(texts.physical, texts.physicalBlanks);
}

UINT PartitionSearchThread(LPVOID)
{
    SearchLostPartitions();
    MarkWorkerFinished(false);
    return 1;
}

CFirstView_HDD::CFirstView_HDD() = default;

int CFirstView_HDD::OnCreate(LPCREATESTRUCTW cs)
{
    if (CView::OnCreate(cs) == -1)
        return -1;
    CreateTree(kTreeId, &m_host);
    m_helpGroup.Create(u"Dovemark Help", WS_CHILD | BS_GROUPBOX, CRect(0, 0, 0, 0), this, kHelpGroupId);
    m_pDisplay = new CFirstDisplay;
    m_pDisplay->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(0, 0, 100, 100), this, kDisplayId,
                       nullptr);
    CreateControls(m_pDisplay, kSplitterId);

    DriveKind = 3;
    ListHardDisks(m_tree);
    ListLogicalDrives(m_tree);
    return 0;
}

void CFirstView_HDD::OnDraw(CDC* pDC)
{
    CRect client;
    GetClientRect(&client);
    DrawPageBitmap(pDC, IDB_PAGE_BACKGROUND, 0, 0);
    const bool searching = !IsWorkerFinished() && ScanRunning;
    DrawPageBand(pDC, client, searching ? IDB_BANNER_SEARCH : IDB_BANNER_DRIVES);
    DrawBottomBand(pDC, client);
}

void CFirstView_HDD::OnShowWindow(BOOL show, UINT status)
{
    CView::OnShowWindow(show, status);
    Invalidate();
    if (m_tree.m_hWnd)
        m_tree.Invalidate();
}

void CFirstView_HDD::ShowIdleButtons()
{
    CWizardTreePage::ShowIdleButtons();
    ShowControl(m_status, false);
}

void CFirstView_HDD::OnNext()
{
    CMainFrame* frame = MainFrame();
    CDovemarkApp* app = DovemarkApp();
    if (!frame || !app)
        return;
    CSecondView_HDD* scanPage = app->m_pSecondView;
    CSecondDisplay* scanPane = scanPage ? scanPage->m_pDisplay : nullptr;
    const ModeTexts& texts = TextsFor(ScanMode);

    // A volume of no known file system or size cannot be scanned by its layout.
    if (DriveKind == 2 && (PartitionParams.SectorCount == 0 || PartitionParams.PartitionFsType == FS_KIND_UNKNOWN)) {
        ShowAppMessage(PaddedText(texts.damaged, texts.damagedBlanks), MSG_KIND_ERROR);
        return;
    }
    if (frame->SelectedPartitionIndex < 0 || DriveKind == 3) {
        ShowAppMessage(PaddedText(u"请从左侧面板选择一个分区，然后按[下一步]继续恢复。", 40), MSG_KIND_ERROR);
        return;
    }

    const bool physical = DriveKind == 1;
    if (physical) {
        frame->SelectedPartitionIndex = -1;
        PartitionCount = 0;
        ReadPartitionTable(0);
        for (DWORD retry : {0u, 61u, 62u}) {
            if (PartitionCount != 0)
                break;
            ReadPartitionTable(retry);
        }
        if (!PhysicalDriveHandle || PhysicalDriveHandle == INVALID_HANDLE_VALUE) {
            ShowAppMessage(u"无法打开所选的驱动器。", MSG_KIND_ERROR);
            return;
        }
        m_tree.EnableWindow(FALSE);
        ShowControl(m_next, false);
        ShowControl(m_back, false);
        ShowControl(m_stop, true);
        ShowControl(m_progress, true);
        ShowControl(m_status, true);
        if (scanPane && ScanMode == 0) {
            scanPane->ShowSectorRangeInputs();
            scanPane->SetStatusText(PaddedText(u"请从左侧面板选择一个分区，然后按[下一步]继续恢复", 40));
        }
        SetStatusText(PaddedText(u"请稍候...", 5));
        ScanModeText = DriveChoiceModeText(ScanMode, false);
        StartPartitionSearch();
    } else if (DriveKind == 2) {
        SetStatusText(PaddedText(u"你已选择了进行恢复的逻辑驱动器。请单击[下一步]继续恢复。", 36));
        ScanModeText = DriveChoiceModeText(ScanMode, true);
        if (scanPane) {
            scanPane->ShowVolumeInfo();
            scanPane->SetGroupCaption(PaddedText(u"选定的驱动器信息", 10));
            if (ScanMode == 0)
                scanPane->ShowFsChoiceOnly();
            else
                scanPane->HideScanInputs();
        }
        if (scanPage)
            scanPage->ShowIdleButtons();
        frame->m_bDriveChoice = 0;
        frame->m_bPartitionChoice = 1;
        app->SwitchView(2);
    }
    if (physical && scanPane) {
        // No partition of the disk is chosen yet: what the partition values still hold belongs to the volume
        // chosen before, and a full scan started on it would sweep that range of this disk.
        scanPane->ShowNoPartitionInfo();
        if (ScanMode != 0) {
            const bool quick = ScanMode == 2;
            scanPane->SetStatusText(quick ? PaddedText(u"请从左侧面板选择一个分区，然后按[下一步]继续恢复。", 39)
                                          : PaddedText(u"请从左侧面板选择一个分区，然后按[下一步]继续恢复", 40));
            scanPane->HideScanInputs();
        }
        scanPane->SetGroupCaption(PaddedText(u"分区信息", 13));
    }
    // The partition is chosen on page 2, and read through the disk's handle.
    if (physical && ScanMode != 0)
        DriveKind = 3;
    if (scanPane)
        scanPane->Invalidate();
    frame->m_bLoadEnabled = 0;
}

void CFirstView_HDD::StartPartitionSearch()
{
    CDovemarkApp* app = DovemarkApp();
    // The scan page's tree lists this search's partitions only.
    if (app && app->m_pSecondView)
        app->m_pSecondView->m_tree.DeleteAllItems();
    BeginScanRun();
    ScanThread = AfxBeginThread(PartitionSearchThread, nullptr);
    if (!ScanThread)
        MarkWorkerFinished(true);
    m_bPolling = true;
    SetTimer(kPollTimer, 1000, nullptr);
    Invalidate();
}

void CFirstView_HDD::OnTimer(UINT_PTR id)
{
    if (id == kPollTimer) {
        PollRun();
        return;
    }
    CView::OnTimer(id);
}

void CFirstView_HDD::PollRun()
{
    if (m_bPolling && IsWorkerFinished()) {
        m_bPolling = false;
        KillTimer(kPollTimer);
        if (CMainFrame* frame = MainFrame()) {
            frame->m_bDriveChoice = 0;
            frame->m_bPartitionChoice = 1;
            frame->m_bResultsReady = 0;
            frame->m_bFullResultsReady = 0;
        }
        ShowIdleButtons();
        if (CDovemarkApp* app = DovemarkApp()) {
            app->SwitchView(2);
            if (CSecondView_HDD* scanPage = app->m_pSecondView) {
                scanPage->ShowIdleButtons();
                if (scanPage->m_pDisplay)
                    scanPage->m_pDisplay->Invalidate();
            }
        }
        Invalidate();
    }
}

bool CFirstView_HDD::ConfirmStop()
{
    return IsWorkerFinished() || AskToStop(PaddedText(u"你确定要停止分区搜索？", 19), true);
}

void CFirstView_HDD::OnStopSearch()
{
    // The timer moves the wizard on once the worker has ended; Stop only asks it to.
    if (!IsWorkerFinished() && ScanRunning)
        AskToStop(PaddedText(u"你确定要停止分区搜索？", 19), false);
}

void CFirstView_HDD::OnBack()
{
    if (!ConfirmStop())
        return;
    m_bPolling = false;
    KillTimer(kPollTimer);
    CDovemarkApp* app = DovemarkApp();
    CMainFrame* frame = MainFrame();
    if (app && app->m_pFoundList && app->m_pFoundList->m_hWnd)
        while (app->m_pFoundList->DeleteColumn(0)) {
        }
    if (frame) {
        frame->m_bLoadEnabled = 0;
        frame->ModeHintFlag = 1;
        frame->m_bDriveChoice = 1;
        frame->m_bPartitionChoice = 0;
        frame->m_bResultsReady = 0;
        frame->m_bFullResultsReady = 0;
    }
    if (PhysicalDriveHandle && PhysicalDriveHandle != INVALID_HANDLE_VALUE)
        CloseHandle(PhysicalDriveHandle);
    PhysicalDriveHandle = nullptr;
    FolderBrowseActive = 0;
    SnapshotLoaded = 0;
    if (m_pDisplay)
        m_pDisplay->ClearInfo();
    ShowIdleButtons();
    DriveKind = 3;
    // The mode chosen last left its hover hint behind; page 0 starts with its prompt again.
    if (app && app->m_pExStyleView)
        app->m_pExStyleView->ShowPrompt();
    if (app)
        app->SwitchView(0);
}

void CFirstView_HDD::OnKeyDown(UINT key, UINT repeat, UINT flags)
{
    if (key == VK_TAB) {
        if (m_focus[0]) {
            m_next.SendMessage(BM_SETSTATE, TRUE);
            m_focus[0] = 0;
            m_focus[1] = 1;
        } else if (m_focus[1]) {
            m_back.SendMessage(BM_SETSTATE, TRUE);
            m_next.SendMessage(BM_SETSTATE, FALSE);
            m_focus[1] = 0;
            m_focus[2] = 1;
        } else if (m_focus[2]) {
            m_back.SendMessage(BM_SETSTATE, FALSE);
            m_tree.SetFocus();
            m_focus[2] = 0;
            m_focus[3] = 1;
        } else {
            m_focus[3] = 0;
            m_focus[0] = 1;
        }
    } else if (key == VK_RETURN) {
        if (m_next.SendMessage(BM_GETSTATE) & BST_PUSHED)
            OnNext();
        else if (m_back.SendMessage(BM_GETSTATE) & BST_PUSHED)
            OnBack();
    }
    CView::OnKeyDown(key, repeat, flags);
}
