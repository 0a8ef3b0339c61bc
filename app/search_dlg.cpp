// The search dialog and its worker.
#include "app/search_dlg.h"

#include "app/engine_ui.h"
#include "app/found_tree_ctrl.h"
#include "app/save_progress_dlg.h"
#include "controls/shell_file_info.h"
#include "engine/engine_state.h"
#include "engine/found_list_fill.h"
#include "engine/recovery_writer.h"
#include "results_res.h"
#include "tool_dialogs_res.h"

#include <string>
#include <unordered_map>

CSearchDlg* ActiveSearchDlg = nullptr;
DWORD SearchDlgOpen = 0;
DWORD SearchListActive = 0;
volatile DWORD SearchStopFlag = 0;

namespace {

constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollMs = 100;
#define WM_SEARCH_MATCH (WM_APP + 0x52)
#define WM_SEARCH_WORKER_DONE (WM_APP + 0x53)

CString Number(ULONGLONG value)
{
    const std::string s = std::to_string(value);
    return CString(std::u16string(s.begin(), s.end()).c_str());
}

CString Upper(LPCWSTR text)
{
    CString s(text ? text : u"");
    s.MakeUpper();
    return s;
}

CString FileTimeText(DWORD low, DWORD high)
{
    WCHAR buffer[64] = {};
    return FileTimeToText(low, high, buffer);
}

CString FatDateText(WORD date)
{
    WCHAR buffer[64] = {};
    return FatDateToText(date, buffer);
}

ULONGLONG Join(DWORD low, DWORD high) { return ULONGLONG(high) << 32 | low; }

} // namespace

void SearchFoundRecords(const CString& mask, const std::function<bool()>& stop,
                        const std::function<void(const SearchMatch&)>& onMatch)
{
    const WORD fs = PartitionParams.FsType;
    auto matches = [&](LPCWSTR name, SearchMatch& m) {
        m.name = Upper(name);
        return MatchFileMask(m.name, mask);
    };
    if (fs == FS_KIND_FAT16 || fs == FS_KIND_FAT32) {
        std::unordered_map<DWORD, DWORD> folderItems;
        for (FatFolderRecord* f = FatFolderHead; f; f = f->Next)
            folderItems.emplace(f->FirstCluster, f->TreeItem);
        for (FatEntryRecord* e = FatFileHead; e; e = e->Next) {
            if (stop())
                return;
            SearchMatch m;
            if (!matches(e->Name, m))
                continue;
            m.size = e->Size;
            m.created = FatDateText(e->WriteDate);
            m.modified = FatDateText(e->AccessDate);
            m.id = e->FileId;
            if (auto it = folderItems.find(e->ParentId); it != folderItems.end())
                m.parentItem = it->second;
            onMatch(m);
        }
        return;
    }
    if (fs != FS_KIND_NTFS)
        return;
    std::unordered_map<DWORD, DWORD> folderItems;
    for (QuickFolderNode* f = QuickFolderHead; f; f = f->Next)
        folderItems.emplace(f->RecordNumber, f->TreeItem);
    auto parentOf = [&](DWORD parent) {
        auto it = folderItems.find(parent);
        return it == folderItems.end() ? DWORD(0) : it->second;
    };
    // Quick-scan entries and full-scan items carry the same fields under the same names.
    auto walk = [&](auto* head, bool fullScan) {
        for (auto* e = head; e; e = e->Next) {
            if (stop())
                return;
            // The one rule of the list and the ticks: a record outside the chosen volume is not this result's.
            if (fullScan && !InChosenVolume(e->RecordSector))
                continue;
            SearchMatch m;
            if (!matches(e->Name, m))
                continue;
            m.size = Join(e->SizeLow, e->SizeHigh);
            m.created = FileTimeText(e->CreationLow, e->CreationHigh);
            m.modified = FileTimeText(e->ChangeLow, e->ChangeHigh);
            m.id = e->RecordSector;
            m.parentItem = parentOf(e->ParentRef);
            onMatch(m);
        }
    };
    if (ScanMode == 2)
        walk(FoundEntryHead, false);
    else
        walk(FoundItemHead, true);
}

BEGIN_MESSAGE_MAP(CSearchDlg, CDialog)
    ON_BN_CLICKED(IDC_SEARCH_STOP, OnStop)
    ON_BN_CLICKED(IDC_SEARCH_SELECT_ALL, OnSelectAll)
    ON_BN_CLICKED(IDC_SEARCH_SAVE, OnSave)
    ON_MESSAGE(WM_SEARCH_MATCH, OnMatch)
    ON_MESSAGE(WM_SEARCH_WORKER_DONE, OnWorkerDone)
    ON_WM_TIMER()
    ON_WM_CLOSE()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CSearchDlg::CSearchDlg(CFoundTreeCtrl* tree, CWnd* pParent)
    : CDialog(IDD_SEARCH, pParent), m_pTree(tree), m_skin(IDB_SEARCH_SKIN)
{
}

CSearchDlg::~CSearchDlg()
{
    if (ActiveSearchDlg == this)
        ActiveSearchDlg = nullptr;
    if (m_hListTile)
        ::DeleteObject(m_hListTile);
}

BOOL CSearchDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    struct {
        CWnd& control;
        int id;
    } controls[] = {{m_status, IDC_SEARCH_STATUS},       {m_save, IDC_SEARCH_SAVE},
                    {m_selectAll, IDC_SEARCH_SELECT_ALL}, {m_count, IDC_SEARCH_COUNT},
                    {m_lastName, IDC_SEARCH_LAST_NAME},  {m_countLabel, IDC_SEARCH_COUNT_LABEL},
                    {m_lastLabel, IDC_SEARCH_LAST_LABEL}, {m_prompt, IDC_SEARCH_PROMPT},
                    {m_list, IDC_SEARCH_LIST},           {m_stop, IDC_SEARCH_STOP},
                    {m_start, IDOK},                     {m_mask, IDC_SEARCH_MASK}};
    for (auto& c : controls)
        if (HWND item = ::GetDlgItem(m_hWnd, c.id))
            c.control.SubclassWindow(item);

    // The rows draw the shell's small icons, as the results page's list does; the list only borrows them.
    m_list.ModifyStyle(0, LVS_SHAREIMAGELISTS);
    m_list.SetImageList(CImageList::FromHandle(CShellFileInfo::GetSystemImageList(TRUE)), LVSIL_SMALL);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    m_list.CreateCheckImages();
    const struct {
        LPCWSTR title;
        int width;
    } columns[] = {{u"文件名   ", 200},     {u"Path", 100},          {u"大小", 100},
                   {u"创建时间     ", 150}, {u"修改时间         ", 150}, {u"ID", 150}};
    for (int i = 0; i < 6; ++i)
        m_list.InsertColumn(i, columns[i].title, LVCFMT_LEFT, columns[i].width);
    m_hListTile = (HBITMAP)::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDB_LIST_BACKGROUND), IMAGE_BITMAP,
                                        0, 0, LR_CREATEDIBSECTION);
    if (m_hListTile) {
        LVBKIMAGEW image{};
        image.ulFlags = LVBKIF_SOURCE_HBITMAP | LVBKIF_STYLE_TILE;
        image.hbm = m_hListTile;
        m_list.SendMessage(LVM_SETBKIMAGEW, 0, (LPARAM)&image);
    }

    m_stop.EnableWindow(FALSE);
    m_selectAll.SetIcon(IDI_SELECT_ALL_ON, IDI_SELECT_ALL_OFF);
    m_selectAll.SetTransparent();
    m_selectAll.SetWindowText(u"Select All");
    ActiveSearchDlg = this;
    SearchDlgOpen = 1;
    return TRUE;
}

void CSearchDlg::SetSearching(bool searching)
{
    m_start.EnableWindow(!searching);
    m_stop.EnableWindow(searching);
    m_save.EnableWindow(!searching);
    m_list.EnableWindow(!searching);
    m_selectAll.EnableWindow(!searching);
}

void CSearchDlg::SetSelectAllState(BOOL on)
{
    m_bSelectAll = on;
    m_selectAll.SetWindowText(on ? u"Deselect All" : u"Select All");
    m_selectAll.SetCheck(on ? 1 : 0);
}

void CSearchDlg::OnOK()
{
    if (m_worker.IsRunning())
        return;
    SetSelectAllState(FALSE);
    SetSearching(true);
    m_list.DeleteAllItems();
    SearchStopFlag = 0;
    CString mask;
    m_mask.GetWindowText(mask);
    mask.MakeUpper();
    const HWND dialog = m_hWnd;
    auto body = [mask, dialog](CAppWorker& worker) {
        SearchFoundRecords(
            mask, [&worker] { return worker.PollPoint(); },
            // Each row is sent, so the worker goes on only once the dialog holds it.
            [dialog](const SearchMatch& m) { ::SendMessageW(dialog, WM_SEARCH_MATCH, 0, (LPARAM)&m); });
    };
    if (!m_worker.Start(body, m_hWnd, WM_SEARCH_WORKER_DONE)) {
        SetSearching(false);
        return;
    }
    SetTimer(kPollTimer, kPollMs, nullptr);
}

LRESULT CSearchDlg::OnMatch(WPARAM, LPARAM lParam)
{
    const auto& m = *reinterpret_cast<const SearchMatch*>(lParam);
    const int row = m_list.GetItemCount();
    m_list.InsertItem(LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM, row, m.name, 0, 0,
                      CShellFileInfo::GetIconIndex(m.name, TRUE), (LPARAM)m.id);
    CString path = u"\\";
    if (m.parentItem && m_pTree && m_pTree->GetSafeHwnd())
        path += m_pTree->GetItemPath(CFoundTreeCtrl::ToItem(m.parentItem));
    m_list.SetItemText(row, 1, path);
    m_list.SetItemText(row, 2, Number(m.size));
    m_list.SetItemText(row, 3, m.created);
    m_list.SetItemText(row, 4, m.modified);
    m_list.SetItemText(row, 5, Number(m.id));
    m_list.UncheckItem(row);
    m_count.SetWindowText(Number(DWORD(row + 1)));
    m_lastName.SetWindowText(m.name);
    return 0;
}

void CSearchDlg::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == kPollTimer && m_worker.IsFinished())
        Finish();
}

LRESULT CSearchDlg::OnWorkerDone(WPARAM, LPARAM)
{
    PumpUntil([this] { return m_worker.IsFinished(); });
    Finish();
    return 0;
}

void CSearchDlg::Finish()
{
    if (!m_worker.IsRunning() || !m_worker.IsFinished())
        return;
    KillTimer(kPollTimer);
    const bool stopped = m_worker.IsStopRequested();
    m_worker.Collect();
    if (!stopped) {
        const int rows = m_list.GetItemCount();
        if (rows == 0) {
            m_count.SetWindowText(u"0");
            m_lastName.SetWindowText(u"");
            m_status.SetWindowText(u"搜索完成。有没有结果可显示。        ");
        } else {
            m_status.SetWindowText(u"There were " + Number(DWORD(rows)) + u" files found.");
        }
    }
    SetSearching(false);
}

void CSearchDlg::OnStop()
{
    if (!m_worker.IsRunning() || m_worker.IsFinished())
        return;
    m_stop.EnableWindow(FALSE);
    m_save.EnableWindow(TRUE);
    m_selectAll.EnableWindow(TRUE);
    m_list.EnableWindow(TRUE);
    // The worker holds at its next record while the question is open; it is never frozen from outside.
    m_worker.SetPaused(true);
    if (AskAppQuestion(u"你确定要停止搜索文件？     ", MSG_KIND_QUESTION)) {
        SearchStopFlag = 1;
        m_worker.RequestStop();
        return;
    }
    m_save.EnableWindow(FALSE);
    m_selectAll.EnableWindow(FALSE);
    m_list.EnableWindow(FALSE);
    m_stop.EnableWindow(TRUE);
    m_worker.SetPaused(false);
}

void CSearchDlg::OnSelectAll()
{
    const BOOL on = m_selectAll.GetCheck() == 1 && m_list.GetItemCount() > 0;
    SetSelectAllState(on);
    for (int row = 0; row < m_list.GetItemCount(); ++row)
        on ? m_list.CheckItem(row) : m_list.UncheckItem(row);
}

std::vector<DWORD> CSearchDlg::TickedIds() const
{
    std::vector<DWORD> ids;
    for (int row = 0; row < m_list.GetItemCount(); ++row)
        if (m_list.GetItemCheck(row) == 1)
            ids.push_back(DWORD(m_list.GetItemData(row)));
    return ids;
}

void CSearchDlg::OnSave()
{
    if (m_worker.IsRunning() && !m_worker.IsFinished())
        return;
    BrowseForDestination();
    if (DestinationFolder[0] == 0)
        return;
    SaveJob job;
    job.fileIds = TickedIds();
    job.searchRows = true;
    if (job.fileIds.empty()) {
        ShowAppMessage(CString(u"请点击复选框勾选要保存的文件和文件夹。\r\n") + CString(u' ', 46), MSG_KIND_INFO);
        return;
    }
    SearchListActive = 1;
    CSaveProgressDlg dlg(job);
    dlg.DoModal();
    SearchListActive = 0;
    for (int row = 0; row < m_list.GetItemCount(); ++row)
        m_list.UncheckItem(row);
    SetSelectAllState(FALSE);
}

void CSearchDlg::OnCancel()
{
    // The dialog stays while a search runs.
    if (m_worker.IsRunning())
        return;
    SearchDlgOpen = 0;
    CDialog::OnCancel();
}

void CSearchDlg::OnClose()
{
    if (m_worker.IsRunning())
        return;
    SearchDlgOpen = 0;
    CDialog::OnClose();
}

BOOL CSearchDlg::OnEraseBkgnd(CDC* pDC)
{
    return m_skin.Paint(pDC) ? TRUE : (BOOL)Default();
}

void RunSearchDialog(CFoundTreeCtrl* tree)
{
    CSearchDlg dlg(tree);
    dlg.DoModal();
    SearchDlgOpen = 0;
    ActiveSearchDlg = nullptr;
}
