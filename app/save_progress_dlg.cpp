// The save run's dialog and worker, the search rows' writer loop and the recover commands.
#include "app/save_progress_dlg.h"

#include "app/engine_ui.h"
#include "app/found_list_ctrl.h"
#include "app/found_tree_ctrl.h"
#include "engine/engine_state.h"
#include "engine/found_list_fill.h"
#include "engine/selection_size.h"
#include "tool_dialogs_res.h"

#include <string>
#include <unordered_map>

CSaveProgressDlg* SaveDialog = nullptr;

namespace {

constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollMs = 100;
#define WM_SAVE_WORKER_DONE (WM_APP + 0x51)

CString Number(ULONGLONG value)
{
    const std::string s = std::to_string(value);
    return CString(std::u16string(s.begin(), s.end()).c_str());
}

} // namespace

CString SaveResultText(const SaveRunTally& tally, bool stopped, UINT* kind)
{
    const bool failed = tally.Failed != 0;
    // "Some files" only when some were saved: a run that saved nothing failed as a whole.
    const bool noneSaved = failed && tally.Written == 0;
    CString text = stopped || noneSaved ? CString(u"文件没有保存成功。     ")
                   : failed             ? CString(u"部分文件没有保存成功。     ")
                                        : CString(u" 文件保存成功。     ");
    text += u"<br>已保存 " + Number(tally.Written) + u" 个文件，跳过 " + Number(tally.Skipped) + u" 个，失败 " +
            Number(tally.Failed) + u" 个。";
    if (tally.UnreadableSectors)
        text += u"<br>无法读取的扇区: " + Number(tally.UnreadableSectors) + u" 个。";
    if (kind)
        *kind = stopped || failed ? MSG_KIND_ERROR : MSG_KIND_INFO;
    return text;
}

void SaveSearchRows(const std::vector<DWORD>& ids)
{
    if (!ConfirmDestination(DestinationFolder)) {
        SaveStopFlag = 1;
        return;
    }
    const WORD fs = PartitionParams.FsType;
    std::unordered_map<DWORD, FatEntryRecord*> fat;
    std::unordered_map<DWORD, FoundEntryNode*> quick;
    std::unordered_map<DWORD, FoundItemNode*> full;
    if (fs == FS_KIND_FAT16 || fs == FS_KIND_FAT32) {
        for (FatEntryRecord* e = FatFileHead; e; e = e->Next)
            fat.emplace(e->FileId, e);
    } else if (fs == FS_KIND_NTFS && ScanMode == 2) {
        for (FoundEntryNode* e = FoundEntryHead; e; e = e->Next)
            quick.emplace(e->RecordSector, e);
    } else if (fs == FS_KIND_NTFS) {
        for (FoundItemNode* e = FoundItemHead; e; e = e->Next)
            if (InChosenVolume(e->RecordSector))
                full.emplace(e->RecordSector, e);
    }
    for (DWORD id : ids) {
        if (SaveStopFlag == 1)
            return;
        // A row whose record is gone is left out; the name written is the record's own, not the upper-cased
        // text the row shows.
        if (auto f = fat.find(id); f != fat.end()) {
            FatEntryRecord* e = f->second;
            SetFatRecoveryTimes(*e);
            RecoverFatFile(DestinationFolder, id, 1, e->StartCluster, e->Size, e->Name, e->Deleted);
        } else if (auto q = quick.find(id); q != quick.end()) {
            FoundEntryNode* e = q->second;
            SetNtfsRecoveryTimes(e->CreationLow, e->CreationHigh, e->ChangeLow, e->ChangeHigh);
            RecoverNtfsFile(DestinationFolder, e->Name, e->SizeLow, e->SizeHigh, id, 1, e->Deleted);
        } else if (auto n = full.find(id); n != full.end()) {
            FoundItemNode* e = n->second;
            SetNtfsRecoveryTimes(e->CreationLow, e->CreationHigh, e->ChangeLow, e->ChangeHigh);
            RecoverNtfsFile(DestinationFolder, e->Name, e->SizeLow, e->SizeHigh, id, 1, e->Deleted);
        }
    }
}

BEGIN_MESSAGE_MAP(CSaveProgressDlg, CDialog)
    ON_BN_CLICKED(IDC_SAVE_SKIP, OnSkip)
    ON_WM_TIMER()
    ON_MESSAGE(WM_SAVE_WORKER_DONE, OnWorkerDone)
    ON_WM_ERASEBKGND()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CSaveProgressDlg::CSaveProgressDlg(const SaveJob& job, CFoundListCtrl* list, CWnd* pParent)
    : CSaveProgressDlg(IDD_SAVE_PROGRESS, IDB_SAVE_PROGRESS_SKIN, job, list, pParent)
{
}

CSaveProgressDlg::CSaveProgressDlg(UINT templateId, UINT skinId, const SaveJob& job, CFoundListCtrl* list,
                                   CWnd* pParent)
    : CDialog(templateId, pParent), m_job(job), m_pList(list), m_skin(skinId)
{
}

CSaveProgressDlg::~CSaveProgressDlg()
{
    if (SaveDialog == this)
        SaveDialog = nullptr;
}

BOOL CSaveProgressDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    struct {
        CWnd& control;
        int id;
    } controls[] = {{m_stCount, IDC_SAVE_COUNT_LABEL}, {m_stPath, IDC_SAVE_PATH_LABEL},
                    {m_stName, IDC_SAVE_NAME_LABEL},   {m_progress, IDC_SAVE_BAR},
                    {m_stNameValue, IDC_SAVE_NAME},    {m_stCountValue, IDC_SAVE_COUNT},
                    {m_stPathValue, IDC_SAVE_PATH}};
    for (auto& c : controls)
        if (HWND item = ::GetDlgItem(m_hWnd, c.id))
            c.control.SubclassWindow(item);
    if (m_progress.GetSafeHwnd())
        m_progress.SetRange(0, 100);
    SaveDialog = this;

    const SaveJob job = m_job;
    auto body = [job](CAppWorker&) {
        SaveStopFlag = 0;
        SaveSkipFlag = 0;
        SavedFileCount = 0;
        ResetSaveTally();
        if (job.searchRows)
            SaveSearchRows(job.fileIds);
        else
            RecoverSelection(job.folderItems, job.fileIds, &job.exclusions);
        SavedFileCount = 0;
    };
    if (!m_worker.Start(body, m_hWnd, WM_SAVE_WORKER_DONE)) {
        SaveDialog = nullptr;
        ShowAppMessage(u"文件没有保存成功。     ", MSG_KIND_ERROR);
        EndDialog(IDCANCEL);
        return TRUE;
    }
    SetTimer(kPollTimer, kPollMs, nullptr);
    return TRUE;
}

void CSaveProgressDlg::OnOK()
{
    SaveStopFlag = 1;
}

void CSaveProgressDlg::OnSkip()
{
    SaveSkipFlag = 1;
}

void CSaveProgressDlg::ShowFile(const CString& where, const CString& name, DWORD count)
{
    if (m_stPathValue.GetSafeHwnd())
        m_stPathValue.SetWindowText(where);
    if (m_stNameValue.GetSafeHwnd())
        m_stNameValue.SetWindowText(name);
    if (m_stCountValue.GetSafeHwnd())
        m_stCountValue.SetWindowText(Number(count));
}

void CSaveProgressDlg::SetProgress(UINT percent)
{
    if (m_progress.GetSafeHwnd())
        m_progress.SetPos(int(percent));
}

void CSaveProgressDlg::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == kPollTimer && m_worker.IsFinished())
        Finish();
}

LRESULT CSaveProgressDlg::OnWorkerDone(WPARAM, LPARAM)
{
    // The note comes just before the signal: serve messages for the moment between the two.
    PumpUntil([this] { return m_worker.IsFinished(); });
    Finish();
    return 0;
}

void CSaveProgressDlg::Finish()
{
    if (m_bFinishing || !m_worker.IsFinished())
        return;
    m_bFinishing = true;
    KillTimer(kPollTimer);
    m_worker.Collect();
    // Progress reaches the dialog at most 25 times a second: the run's last values are shown before its end.
    if (CAppEngineUi* ui = AppEngineUi())
        ui->FlushPosted();
    SaveDialog = nullptr;
    m_bStopped = SaveStopFlag == 1;
    m_tally = SaveTally;
    SaveStopFlag = 0;
    SaveSkipFlag = 0;
    // The bar shows the run's end under its result, not the share of the last file written.
    if (!m_bStopped)
        SetProgress(100);
    UINT kind = MSG_KIND_INFO;
    const CString text = SaveResultText(m_tally, m_bStopped, &kind);
    ShowAppMessage(text, kind);
    if (m_pList && !m_job.searchRows) {
        // The run consumed the ticks: every set, the tree's ticks and the rows' boxes start afresh. The
        // items keep their colours, so deleted folders are still told apart from live ones.
        m_pList->ClearSets(FALSE);
        if (CFoundTreeCtrl* tree = m_pList->GetFoundTree()) {
            if (HTREEITEM top = tree->GetTopItem()) {
                tree->UncheckBranch(top);
                tree->SyncListChecks(top);
            }
        }
        ShowSelectedSize({}, {});
    }
    EndDialog(IDCANCEL);
}

BOOL CSaveProgressDlg::OnEraseBkgnd(CDC* pDC)
{
    return m_skin.Paint(pDC) ? TRUE : (BOOL)Default();
}

void CSaveProgressDlg::OnDestroy()
{
    if (SaveDialog == this)
        SaveDialog = nullptr;
    CDialog::OnDestroy();
}

CSavingDlg::CSavingDlg(const SaveJob& job, CWnd* pParent)
    : CSaveProgressDlg(IDD_SAVING, IDB_SAVING_SKIN, job, nullptr, pParent)
{
}

void RunRecoverCommand(CFoundListCtrl* list, BOOL requireTicks)
{
    if (!list)
        return;
    if (requireTicks && list->RecoverFileIds.IsEmpty() && list->RecoverFolderItems.IsEmpty()) {
        ShowAppMessage(CString(u"请点击复选框勾选要保存的文件和文件夹。\r\n") + CString(u' ', 46), MSG_KIND_INFO);
        return;
    }
    BrowseForDestination();
    if (DestinationFolder[0] == 0)
        return;
    // Recovering everything saves the whole tree, whatever was ticked before.
    if (!requireTicks)
        if (CFoundTreeCtrl* tree = list->GetFoundTree())
            tree->TickEverything();
    SaveJob job;
    job.folderItems = list->RecoverFolderList();
    job.fileIds = list->RecoverFileList();
    job.exclusions = list->RecoverExclusions();
    CSaveProgressDlg dlg(job, list);
    dlg.DoModal();
}
