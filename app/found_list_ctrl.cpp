// The found-file list: its rows and columns, ticks, clicks and keys, the context menu, renaming,
// properties and the sort that keeps folders above files.
#include "app/found_list_ctrl.h"

#include "app/found_records.h"
#include "app/found_tree_ctrl.h"
#include "app/results_host.h"
#include "app/snapshot_commands.h"
#include "controls/list_sorter.h"
#include "controls/shell_file_info.h"
#include "engine/engine_state.h"
#include "engine/found_list_fill.h"
#include "engine/recovery_writer.h"
#include "engine/selection_size.h"
#include "toolkit/base/header_ctrl.h"

#include "afx/menu.h"

#include <climits>
#include <memory>
#include <vector>

DWORD RenameActive = 0;
WCHAR RenameOriginalName[257] = {};
DWORD ListResetRequest = 0;

namespace {

constexpr UINT kCheckBitmap = 201;
constexpr UINT kCheckCursor = 249;
constexpr UINT kListMenu = 192;
constexpr UINT kHeaderIcons[7] = {163, 162, 164, 161, 166, 167, 165};

enum : UINT {
    kCmdRecover = 32777,
    kCmdSmallIcons = 32782,
    kCmdList = 59410,
    kCmdDetails = 59411,
    kCmdFind = 32785,
    kCmdRename = 32802,
    kCmdSettings = 32787,
    kCmdProperties = 32804,
};

constexpr int kUnticked = 1, kTicked = 2, kNoBox = 3;

// The text begins with `lower` when ASCII letters are compared without case (the
// whole text when `whole` is set).
bool EqualsNoCase(const WCHAR* text, const char16_t* lower, bool whole)
{
    for (; *lower; ++text, ++lower) {
        const WCHAR c = *text >= u'A' && *text <= u'Z' ? WCHAR(*text + 32) : *text;
        if (c != *lower)
            return false;
    }
    return !whole || *text == 0;
}

bool StartsWithParent(const WCHAR* name)
{
    return EqualsNoCase(name, u"parent...", false);
}

bool IsFolderType(const WCHAR* type)
{
    return EqualsNoCase(type, u"folder", true) || EqualsNoCase(type, u"deleted folder", true);
}

CString Decimal(ULONGLONG value)
{
    CString text;
    text.Format(u"%llu", value);
    return text;
}

// The same into the caller's buffer, for the rows of a fill.
const WCHAR* DecimalIn(ULONGLONG value, WCHAR (&buffer)[24])
{
    WCHAR* at = std::end(buffer);
    *--at = 0;
    do {
        *--at = WCHAR(u'0' + value % 10);
        value /= 10;
    } while (value);
    return at;
}

CString NothingTickedHint()
{
    return CString(u"请点击复选框勾选要保存的文件和文件夹。\r\n") + CString(u' ', 46);
}

} // namespace

BEGIN_MESSAGE_MAP(CFoundListCtrl, CTKListCtrl)
    ON_NOTIFY_REFLECT(NM_CLICK, OnClick)
    ON_NOTIFY_REFLECT(NM_DBLCLK, OnDblClick)
    ON_NOTIFY_REFLECT(LVN_BEGINLABELEDITW, OnBeginLabelEdit)
    ON_NOTIFY_REFLECT(LVN_ENDLABELEDITW, OnEndLabelEdit)
    ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, OnCustomDrawRows)
    ON_WM_KEYDOWN()
    ON_WM_KEYUP()
    ON_WM_LBUTTONUP()
    ON_WM_RBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_VSCROLL()
END_MESSAGE_MAP()

// Nothing here reaches the application object or the preview state: a second list (the search
// dialog's) must not take the results page's place or forget what the page last previewed.
CFoundListCtrl::CFoundListCtrl()
{
    for (CDwordSet* set : {&CheckedFolderItems, &CheckedFileIds, &RecoverFolderItems, &RecoverFileIds, &CheckedTreeItems})
        set->InitHashTable(17);
    PreviewTempFiles.InitHashTable(17);
    LOGFONTW lf{};
    lf.lfHeight = 14;
    lf.lfWeight = FW_BOLD;
    lf.lfCharSet = GB2312_CHARSET;
    lstrcpynW(lf.lfFaceName, u"Arial", LF_FACESIZE);
    m_boldFont.CreateFontIndirect(&lf);
    m_checkCursor = LoadCursorW(AfxGetResourceHandle(), MAKEINTRESOURCEW(kCheckCursor));
}

CFoundListCtrl::~CFoundListCtrl() = default;

BOOL CFoundListCtrl::PreCreateWindow(CREATESTRUCTW& cs)
{
    cs.style |= WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    return CTKListCtrl::PreCreateWindow(cs);
}

LRESULT CFoundListCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CTKListCtrl::WindowProc(message, wParam, lParam);
    // The columns come after the header's set-up (a mode chosen, a snapshot loaded): each new one takes its
    // image too, so column n always shows image n.
    if (message == LVM_INSERTCOLUMNW && result >= 0 && m_headerImages.GetSafeHandle())
        SetupHeader();
    return result;
}

void CFoundListCtrl::CreateCheckImages()
{
    if (!m_checkImages.GetSafeHandle())
        m_checkImages.Create(kCheckBitmap, 16, 1, RGB(255, 255, 255));
    if (m_checkImages.GetSafeHandle())
        SetImageList(&m_checkImages, LVSIL_STATE);
}

void CFoundListCtrl::SetupHeader()
{
    if (!m_headerImages.GetSafeHandle()) {
        m_headerImages.Create(16, 16, ILC_COLOR32 | ILC_MASK, 7, 1);
        for (UINT id : kHeaderIcons) {
            HICON icon = (HICON)LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id), IMAGE_ICON, 48, 48, 0);
            m_headerImages.Add(icon);
            if (icon)
                DestroyIcon(icon);
        }
    }
    CHeaderCtrl* header = GetHeaderCtrl();
    if (!header)
        return;
    header->SetImageList(&m_headerImages);
    const int columns = header->GetItemCount();
    for (int n = 0; n < columns && n < 7; ++n) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        header->GetItem(n, &item);
        item.mask = HDI_IMAGE | HDI_FORMAT;
        item.fmt |= HDF_IMAGE;
        item.iImage = n;
        header->SetItem(n, &item);
    }
}

void CFoundListCtrl::CreateColumns()
{
    RebuildFoundListColumns(this, ScanMode);
    if (m_headerImages.GetSafeHandle())
        SetupHeader();
}

// ---- Rows -------------------------------------------------------------------------------------

void CFoundListCtrl::ClearRows()
{
    DeleteAllItems();
    m_shellAnswers.clear();
    m_folderIcon = -1;
}

// Every file of one extension gets the same icon and type name from the shell, so a folder's rows ask
// once per extension. Names the shell could read as a path or a drive are asked one by one.
const CFoundListCtrl::ShellAnswer& CFoundListCtrl::ShellAnswerOf(const CString& name)
{
    static constexpr size_t kMostExtensions = 4096;
    const WCHAR* text = name;
    const int dot = name.ReverseFind(u'.');
    const bool plain = name.FindOneOf(u"\\/:") < 0;
    const std::u16string key = dot < 0 ? std::u16string() : std::u16string(text + dot);
    if (plain) {
        if (auto found = m_shellAnswers.find(key); found != m_shellAnswers.end())
            return found->second;
    }
    ShellAnswer answer{CShellFileInfo::GetIconIndex(name, TRUE), CShellFileInfo::GetTypeName(name)};
    if (plain && m_shellAnswers.size() < kMostExtensions)
        return m_shellAnswers.emplace(key, answer).first->second;
    m_oneAnswer = answer;
    return m_oneAnswer;
}

void CFoundListCtrl::AddRow(const FoundFileRow& row)
{
    const CString name = row.Name ? row.Name : u"";
    const bool tracing = ScanMode == 1;
    if (row.IsFolder && m_folderIcon < 0)
        m_folderIcon = CShellFileInfo::GetFolderIconIndex(TRUE);
    const ShellAnswer* file = row.IsFolder ? nullptr : &ShellAnswerOf(name);
    const int image = row.IsFolder ? m_folderIcon : file->icon;
    // Appended without asking the count first: asking makes the list bring its scroll bars up to date,
    // which for every row of a large folder costs more than the row itself.
    // The first row "Parent..." has no box.
    const bool parentText = row.IsFolder && row.ItemData == 0 && name == u"Parent...";
    const int at = InsertItem(LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE, INT_MAX, name,
                              INDEXTOSTATEIMAGEMASK(parentText ? kNoBox : kUnticked), LVIS_STATEIMAGEMASK, image,
                              (LPARAM)row.ItemData);
    if (at < 0)
        return;
    if (parentText) {
        if (at == 0)
            return;
        SetItemState(at, INDEXTOSTATEIMAGEMASK(kUnticked), LVIS_STATEIMAGEMASK);
    }
    WCHAR number[24];
    if (tracing) {
        SetItemText(at, 1, row.IsFolder ? u"-" : (LPCWSTR)file->type);
        SetItemText(at, 2, row.IsFolder ? u"-" : DecimalIn(row.ItemData, number));
        return;
    }
    if (row.IsFolder)
        SetItemText(at, 1, row.Deleted ? u"Deleted Folder" : u"Folder");
    else if (row.Deleted)
        SetItemText(at, 1, CString(u"Deleted ") + file->type);
    else
        SetItemText(at, 1, file->type);
    SetItemText(at, 2, row.IsFolder ? u"0" : DecimalIn(row.Size, number));
    SetItemText(at, 3, row.CreatedText ? row.CreatedText : u"");
    SetItemText(at, 4, row.ModifiedText ? row.ModifiedText : u"");
    SetItemText(at, 5, DecimalIn(row.ItemData, number));
}

int CFoundListCtrl::IdColumn() const
{
    return ScanMode == 1 ? 2 : 5;
}

DWORD CFoundListCtrl::RowId(int row) const
{
    CString text = GetItemText(row, IdColumn());
    return DWORD(wcstoul(text, nullptr, 10));
}

BOOL CFoundListCtrl::IsFolderRow(int row) const
{
    return IsFolderType(GetItemText(row, 1));
}

BOOL CFoundListCtrl::IsParentRow(int row) const
{
    // A longer name read in part is no "Parent..." either.
    WCHAR name[16] = {};
    GetItemText(row, 0, name, int(std::size(name)));
    return IsParentName(name);
}

BOOL CFoundListCtrl::IsParentName(LPCWSTR name)
{
    return name && EqualsNoCase(name, u"parent...", true);
}

int CFoundListCtrl::GetItemCheck(int row) const
{
    return int(GetItemState(row, LVIS_STATEIMAGEMASK) >> 12) - 1;
}

void CFoundListCtrl::CheckItem(int row)
{
    // The "Parent..." row never shows a box, whatever a filler asks of it.
    SetItemState(row, INDEXTOSTATEIMAGEMASK(IsParentRow(row) ? kNoBox : kTicked), LVIS_STATEIMAGEMASK);
}

void CFoundListCtrl::UncheckItem(int row)
{
    SetItemState(row, INDEXTOSTATEIMAGEMASK(kUnticked), LVIS_STATEIMAGEMASK);
}

void CFoundListCtrl::ClearItemCheck(int row)
{
    SetItemState(row, 0, LVIS_STATEIMAGEMASK);
}

BOOL CFoundListCtrl::AreAllItemsChecked() const
{
    for (int row = 0, n = GetItemCount(); row < n; ++row)
        if (!IsParentRow(row) && GetItemCheck(row) != 1)
            return FALSE;
    return TRUE;
}

BOOL CFoundListCtrl::AreAllItemsUnchecked() const
{
    for (int row = 0, n = GetItemCount(); row < n; ++row)
        if (!IsParentRow(row) && GetItemCheck(row) != 0)
            return FALSE;
    return TRUE;
}

void CFoundListCtrl::TickAllRows()
{
    for (int row = 0, n = GetItemCount(); row < n; ++row)
        if (!IsParentRow(row))
            CheckItem(row);
}

void CFoundListCtrl::UntickAllRows()
{
    for (int row = 0, n = GetItemCount(); row < n; ++row)
        if (!IsParentRow(row))
            UncheckItem(row);
}

BOOL CFoundListCtrl::HitCheckBox(CPoint point, int* row) const
{
    LVHITTESTINFO hit{};
    hit.pt = point;
    *row = (int)SendMessage(LVM_HITTEST, 0, (LPARAM)&hit);
    return *row >= 0 && hit.flags == LVHT_ONITEMSTATEICON;
}

// ---- Sorting ----------------------------------------------------------------------------------

BOOL CFoundListCtrl::SortList(int column, BOOL ascending)
{
    const int columns = ScanMode == 1 ? 3 : 6;
    if (column < 0 || column >= columns)
        return FALSE;
    static const int kinds[6] = {CListSorter::kText, CListSorter::kText, CListSorter::kNumber,
                                 CListSorter::kDate, CListSorter::kDate, CListSorter::kNumber};
    // The rows' sorted order, then folders above the files in that order, then the first "Parent..." row
    // to the very top; the rows move once, each with its tick, item data and selection.
    CListSorter sorter(this, column);
    const std::vector<int> sorted = sorter.Order(ascending, kinds[column]);
    std::vector<int> order;
    order.reserve(sorted.size());
    {
        const CListColumnTexts types(this, 1);
        for (int row : sorted)
            if (IsFolderType(types[row]))
                order.push_back(row);
        for (int row : sorted)
            if (!IsFolderType(types[row]))
                order.push_back(row);
    }
    int parent = -1;
    {
        std::unique_ptr<CListColumnTexts> names;
        if (column != 0)
            names = std::make_unique<CListColumnTexts>(this, 0);
        for (size_t place = 0; place < order.size() && parent < 0; ++place) {
            const int row = order[place];
            if (StartsWithParent(names ? (*names)[row] : sorter.GetText(row))) {
                parent = row;
                order.erase(order.begin() + std::ptrdiff_t(place));
                order.insert(order.begin(), row);
            }
        }
    }
    CListSorter::ApplyOrder(this, order);
    WCHAR text[32];
    // The "Parent..." row shows the folder icon and nothing but its name.
    if (parent >= 0) {
        SetItem(0, 0, LVIF_IMAGE, nullptr, CShellFileInfo::GetFolderIconIndex(TRUE), 0, 0, 0);
        for (int c = 1; c < columns; ++c)
            if (GetItemText(0, c, text, int(std::size(text))) > 0)
                SetItemText(0, c, u"");
    }
    return TRUE;
}

BOOL CFoundListCtrl::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    auto* hdr = reinterpret_cast<NMHEADERW*>(lParam);
    if (hdr && (hdr->hdr.code == HDN_ITEMCLICKW || hdr->hdr.code == HDN_ITEMCLICKA) && hdr->iButton == 0) {
        const int column = hdr->iItem;
        m_bSortAscending = column == m_nSortColumn ? !m_bSortAscending : (m_nDefaultDirection != 0);
        m_nSortColumn = column;
        CWnd* header = CWnd::FromHandlePermanent(hdr->hdr.hwndFrom);
        if (header && header->IsKindOf(RUNTIME_CLASS(CTKHeaderCtrl)))
            static_cast<CTKHeaderCtrl*>(header)->SetSortImage(column, m_bSortAscending);
        SortList(column, m_bSortAscending);
        *pResult = 0;
        return TRUE;
    }
    return CTKListCtrl::OnNotify(wParam, lParam, pResult);
}

// ---- Clicks and keys --------------------------------------------------------------------------

void CFoundListCtrl::OnRowCheckClick(int row)
{
    if (row < 0 || IsParentRow(row))
        return;
    const bool wasUnticked = GetItemCheck(row) == 0;
    // The control flips the box after this: from index 1 to a tick, from 0 to no tick.
    SetItemState(row, INDEXTOSTATEIMAGEMASK(wasUnticked ? 1 : 0), LVIS_STATEIMAGEMASK);
    const DWORD id = RowId(row);
    if (!IsFolderRow(row)) {
        if (IsTracingResult()) {
            if (GetItemText(row, 2) != u"-") {
                if (wasUnticked) {
                    RecoverFileIds.SetAt(id, 1);
                    CheckedFileIds.SetAt(id, 1);
                } else {
                    RecoverFileIds.RemoveKey(id);
                    CheckedFileIds.RemoveKey(id);
                }
            }
        } else {
            FoundFileRef file;
            if (FindFileById(id, &file))
                UpdateFileRowSets(file.parentId, id);
        }
    } else if (!IsTracingResult()) {
        HTREEITEM item = CFoundTreeCtrl::ToItem(id);
        if (id && m_pTree)
            m_pTree->ToggleTreeCheck(item);
        DWORD own, parent;
        if (FindFolderOfItem(id, &own, &parent)) {
            if (wasUnticked)
                MarkFolderChecked(own, item);
            else
                UnmarkFolderChecked(own, item);
            SyncFolderRowSet(IsFatResult() ? parent : own, item);
        }
    }
    // The size line under the list follows every tick, not only the unticking of a FAT folder.
    if (!IsTracingResult())
        ShowSelectedSize(RecoverFolderList(), RecoverFileList());
    Invalidate();
    UpdateWindow();
}

void CFoundListCtrl::SyncTreeAfterRowTick(int row)
{
    if (row < 0 || IsParentRow(row))
        return;
    if (IsTracingResult()) {
        const CString idText = GetItemText(row, 2);
        if (idText == u"-" || idText.IsEmpty()) {
            SyncTracedTreeFromRows(0, GetItemText(row, 0), CString(), TRUE);
        } else if (TracedFileRecord* t = FindTracedFile(RowId(row))) {
            SyncTracedTreeFromRows(RowId(row), t->TypeText, t->Extension, FALSE);
        }
        return;
    }
    if (!IsFolderRow(row)) {
        FoundFileRef file;
        if (FindFileById(RowId(row), &file))
            SyncTreeFromRows(file.parentId);
        return;
    }
    DWORD own, parent;
    SyncTreeFromRows(FindFolderOfItem(RowId(row), &own, &parent) ? parent : RootFolderId());
}

void CFoundListCtrl::OnClick(NMHDR* pNMHDR, LRESULT* pResult)
{
    auto* activate = reinterpret_cast<NMITEMACTIVATE*>(pNMHDR);
    *pResult = 0;
    int row = -1;
    const BOOL onBox = HitCheckBox(activate->ptAction, &row);
    if (onBox) {
        if (m_checkCursor)
            ::SetCursor(m_checkCursor);
        OnRowCheckClick(row);
        return;
    }
    PreviewRow(activate->iItem, FALSE);
}

void CFoundListCtrl::OnLButtonUp(UINT, CPoint point)
{
    int row = -1;
    const BOOL onBox = HitCheckBox(point, &row);
    // The control tells of the click and flips the box here; the tree then follows the rows.
    Default();
    if (onBox && GetSafeHwnd()) {
        if (m_checkCursor)
            ::SetCursor(m_checkCursor);
        SyncTreeAfterRowTick(row);
    }
}

// The list shows the folder of a folder row, and the tree selects and expands its item.
void CFoundListCtrl::OpenFolderRow(int row)
{
    const DWORD handle = RowId(row);
    const DWORD id = FolderIdOfItem(handle);
    if (IsFatResult())
        ShowFatFolder(id);
    else
        ShowNtfsFolder(id);
    if (m_pTree) {
        HTREEITEM item = CFoundTreeCtrl::ToItem(handle);
        m_pTree->SetFocus();
        m_pTree->SelectItem(item);
        m_pTree->Expand(item, TVE_EXPAND);
    }
}

void CFoundListCtrl::OpenRow(int row)
{
    if (row < 0 || row >= GetItemCount())
        return;
    if (IsFolderRow(row) && !IsTracingResult()) {
        const int state = GetItemCheck(row);
        OpenFolderRow(row);
        if (state != 0)
            TickAllRows();
        else
            UntickAllRows();
        return;
    }
    if (IsParentRow(row)) {
        if (IsTracingResult())
            return;
        if (GetItemCount() > 1) {
            const DWORD next = RowId(1);
            DWORD folderId = RootFolderId();
            if (IsFolderRow(1)) {
                DWORD own, parent;
                if (FindFolderOfItem(next, &own, &parent))
                    folderId = parent;
            } else {
                FoundFileRef file;
                if (FindFileById(next, &file))
                    folderId = file.parentId;
            }
            ShowParentFolder(folderId);
        } else {
            ShowParentFolder(RootFolderId());
        }
        return;
    }
    if (IsTracingResult()) {
        const CString name = GetItemText(row, 0);
        for (TracedRecord* r = SignatureHead; r; r = r->Next)
            if (name.CompareNoCase(r->TypeText ? r->TypeText : u"") == 0) {
                ShowTracedFolder(name, TRUE);
                if (m_pTree)
                    m_pTree->SyncListChecks(m_pTree->GetSelectedItem());
                return;
            }
    }
}

void CFoundListCtrl::OnDblClick(NMHDR* pNMHDR, LRESULT* pResult)
{
    auto* activate = reinterpret_cast<NMITEMACTIVATE*>(pNMHDR);
    *pResult = 0;
    const int row = activate->iItem;
    if (row < 0)
        return;
    const bool folder = IsFolderRow(row) && !IsTracingResult();
    OpenRow(row);
    if (!folder && GetSafeHwnd()) {
        Invalidate();
        UpdateWindow();
        LRESULT ignored = 0;
        OnClick(pNMHDR, &ignored);
    }
}

void CFoundListCtrl::OnKeyDown(UINT nChar, UINT, UINT)
{
    if (nChar == VK_RETURN) {
        const int row = GetSelectionMark();
        if (row >= 0 && IsFolderRow(row) && !IsTracingResult()) {
            OpenFolderRow(row);
        } else if (row >= 0 && m_pTree) {
            m_pTree->SetFocus();
        }
    }
    Default();
}

void CFoundListCtrl::OnKeyUp(UINT nChar, UINT, UINT)
{
    Default();
    if (nChar == VK_UP || nChar == VK_DOWN)
        PreviewRow(GetSelectionMark(), FALSE);
}

BOOL CFoundListCtrl::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN) {
        switch (pMsg->wParam) {
        case VK_TAB:
            if (m_pTree && m_pTree->GetSafeHwnd())
                m_pTree->SetFocus();
            if (RenameActive == 1 && (!m_pHost || m_pHost->IsResultsReady()))
                return TRUE;
            break;
        case VK_UP:
        case VK_DOWN:
            Invalidate();
            break;
        case VK_F2:
            if (GetSelectionMark() >= 0) {
                RenameActive = 1;
                EditLabel(GetSelectionMark());
            }
            return FALSE;
        case VK_APPS:
            ShowContextMenu();
            return FALSE;
        default: break;
        }
    }
    return CTKListCtrl::PreTranslateMessage(pMsg);
}

void CFoundListCtrl::OnRButtonDown(UINT, CPoint point)
{
    LVHITTESTINFO hit{};
    hit.pt = point;
    const int row = (int)SendMessage(LVM_HITTEST, 0, (LPARAM)&hit);
    if (row < 0 || (m_pHost && m_pHost->IsSearchDialogOpen()))
        return;
    if (hit.flags == LVHT_ONITEMSTATEICON) {
        if (m_checkCursor)
            ::SetCursor(m_checkCursor);
        return;
    }
    Default();
    ShowContextMenu();
}

void CFoundListCtrl::OnMouseMove(UINT, CPoint point)
{
    LVHITTESTINFO hit{};
    hit.pt = point;
    const int row = (int)SendMessage(LVM_HITTEST, 0, (LPARAM)&hit);
    if (row < 0 || GetItemText(row, 0).IsEmpty())
        return;
    if (hit.flags == LVHT_ONITEMSTATEICON && m_checkCursor)
        ::SetCursor(m_checkCursor);
    Default();
}

void CFoundListCtrl::OnVScroll(UINT, UINT, CScrollBar*)
{
    Invalidate();
    UpdateWindow();
    Default();
}

// ---- Context menu -----------------------------------------------------------------------------

void CFoundListCtrl::ShowContextMenu()
{
    if (GetSelectionMark() < 0)
        return;
    CMenu menu;
    if (!menu.LoadMenu(kListMenu))
        return;
    CMenu* popup = menu.GetSubMenu(0);
    if (!popup)
        return;
    if (IsTracingResult())
        for (UINT command : {kCmdFind, kCmdSettings, kCmdProperties})
            popup->DeleteMenu(command, MF_BYCOMMAND);
    ::SetForegroundWindow(m_hWnd);
    POINT at;
    ::GetCursorPos(&at);
    const UINT command = m_pHost ? m_pHost->TrackPopup(popup, TPM_NONOTIFY | TPM_RETURNCMD, at.x, at.y, this)
                                 : (UINT)::TrackPopupMenuEx(popup->m_hMenu, TPM_NONOTIFY | TPM_RETURNCMD, at.x, at.y,
                                                            m_hWnd, nullptr);
    RunMenuCommand(command);
}

void CFoundListCtrl::RunMenuCommand(UINT command)
{
    auto setView = [this](std::initializer_list<DWORD> views) {
        for (DWORD view : views)
            ModifyStyle(LVS_TYPEMASK, view | LVS_AUTOARRANGE);
        UpdateWindow();
    };
    switch (command) {
    case kCmdRecover:
        if (RecoverFileIds.IsEmpty() && RecoverFolderItems.IsEmpty()) {
            if (m_pHost)
                m_pHost->ShowInformation(NothingTickedHint());
        } else if (m_pHost) {
            m_pHost->RunSave();
        }
        break;
    case kCmdSmallIcons: setView({LVS_SMALLICON, LVS_LIST, LVS_SMALLICON}); break;
    case kCmdList: setView({LVS_LIST, LVS_REPORT, LVS_LIST}); break;
    case kCmdDetails: setView({LVS_REPORT, LVS_SMALLICON, LVS_REPORT}); break;
    case kCmdFind:
        if (!IsTracingResult() && m_pHost)
            m_pHost->RunSearch();
        break;
    case kCmdRename:
        if (GetSelectionMark() >= 0) {
            RenameActive = 1;
            EditLabel(GetSelectionMark());
        }
        break;
    case kCmdSettings:
        if (!IsTracingResult() && m_pHost)
            m_pHost->RunSettings();
        break;
    case kCmdProperties:
        if (!IsTracingResult())
            ShowItemProperties();
        break;
    default: break;
    }
}

void CFoundListCtrl::ShowItemProperties()
{
    const int row = GetSelectionMark();
    if (row < 0 || !m_pHost)
        return;
    ItemProperties p;
    const CString type = GetItemText(row, 1);
    p.folder = type == u"Folder" || type == u"Deleted Folder";
    p.id = RowId(row);
    p.name = GetItemText(row, 0);
    // Whole kilobytes, rounded up: an empty file is 0 KB, not 1.
    const ULONGLONG bytes = wcstoull(GetItemText(row, 2), nullptr, 10);
    p.size = Decimal((bytes + 1023) / 1024) + u" KB";
    p.created = GetItemText(row, 3);
    p.modified = GetItemText(row, 4);
    m_pHost->RunProperties(p);
}

// ---- Rename -----------------------------------------------------------------------------------

void CFoundListCtrl::OnBeginLabelEdit(NMHDR*, LRESULT* pResult)
{
    const int row = GetSelectionMark();
    *pResult = 0;
    if (row < 0)
        return;
    CString name = GetItemText(row, 0);
    lstrcpynW(RenameOriginalName, name, 257);
    RenameActive = 1;
}

void CFoundListCtrl::OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
{
    auto* info = reinterpret_cast<NMLVDISPINFOW*>(pNMHDR);
    *pResult = 0;
    RenameActive = 0;
    const int row = info->item.iItem;
    if (row < 0 || row >= GetItemCount() || IsParentRow(row))
        return;
    CString name = info->item.pszText ? CString(info->item.pszText) : CString(RenameOriginalName);
    // The name is written by the recovery as one path component: a name that is empty, that the
    // writer would have to change, or that another row already has, is refused and the old one kept.
    std::vector<WCHAR> safe;
    SanitizeNameComponent(name, &safe);
    bool refused = name.IsEmpty() || CString(safe.data()) != name;
    for (int other = 0, n = GetItemCount(); !refused && other < n; ++other)
        refused = other != row && GetItemText(other, 0).CompareNoCase(name) == 0;
    if (refused) {
        SetItemText(row, 0, RenameOriginalName);
        return;
    }
    SetItemText(row, 0, name);
    RenameRecord(row, name);
}

void CFoundListCtrl::RenameRecord(int row, const CString& name)
{
    const DWORD id = RowId(row);
    if (IsTracingResult()) {
        if (GetItemText(row, 2) != u"-")
            RenameFileRecord(id, name);
        return;
    }
    if (IsFolderRow(row)) {
        if (m_pTree && id)
            m_pTree->SetItemText(CFoundTreeCtrl::ToItem(id), name);
        RenameFolderRecordOfItem(id, name);
        return;
    }
    RenameFileRecord(id, name);
}

// ---- Drawing ----------------------------------------------------------------------------------

void CFoundListCtrl::OnCustomDrawRows(NMHDR* pNMHDR, LRESULT* pResult)
{
    auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(pNMHDR);
    *pResult = CDRF_DODEFAULT;
    if (ListResetRequest == 1) {
        ListResetRequest = 0;
        PreviewFile(CString(), TRUE);
    }
    if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) {
        *pResult = CDRF_NOTIFYITEMDRAW;
        return;
    }
    if (cd->nmcd.dwDrawStage != CDDS_ITEMPREPAINT)
        return;
    const int row = (int)cd->nmcd.dwItemSpec;
    const CString type = GetItemText(row, 1);
    const CString name = GetItemText(row, 0);
    cd->clrTextBk = RGB(255, 255, 255);
    if (type.Left(7) == u"Deleted") {
        cd->clrText = RGB(255, 0, 0);
    } else if (!StartsWithParent(name)) {
        cd->clrText = RGB(0, 0, 0);
    } else {
        cd->clrText = RGB(255, 0, 0);
        cd->clrTextBk = 0x0095CAFF;
        if ((GetItemState(row, LVIS_STATEIMAGEMASK) >> 12) != kNoBox)
            SetItemState(row, INDEXTOSTATEIMAGEMASK(kNoBox), LVIS_STATEIMAGEMASK);
    }
    if (GetItemCheck(row) > 0) {
        ::SelectObject(cd->nmcd.hdc, m_boldFont.GetSafeHandle());
        *pResult = CDRF_NEWFONT;
    }
}

// ---- Sets handed to others --------------------------------------------------------------------

static std::vector<DWORD> Keys(const CDwordSet& set)
{
    std::vector<DWORD> out;
    out.reserve(size_t(set.GetCount()));
    POSITION pos = set.GetStartPosition();
    while (pos) {
        DWORD key, value;
        set.GetNextAssoc(pos, key, value);
        out.push_back(key);
    }
    return out;
}

std::vector<DWORD> CFoundListCtrl::RecoverFolderList() const { return Keys(RecoverFolderItems); }

std::vector<DWORD> CFoundListCtrl::RecoverFileList() const { return Keys(RecoverFileIds); }

// Inside the folders written whole, what the user has unticked since: branches whose box is empty
// and folders only partly ticked, whose ticked files alone are written.
RecoveryExclusions CFoundListCtrl::RecoverExclusions() const
{
    RecoveryExclusions out;
    if (!m_pTree || !m_pTree->GetSafeHwnd())
        return out;
    std::vector<HTREEITEM> pending;
    for (DWORD item : RecoverFolderList())
        pending.push_back(CFoundTreeCtrl::ToItem(item));
    while (!pending.empty()) {
        HTREEITEM at = pending.back();
        pending.pop_back();
        const int state = m_pTree->GetCheck(at);
        if (state == 0) {
            out.UntickedFolders.insert(CFoundTreeCtrl::ToHandle(at));
            continue;
        }
        if (state == 2)
            out.PartialFolders.insert(CFoundTreeCtrl::ToHandle(at));
        for (HTREEITEM child = m_pTree->GetChildItem(at); child; child = m_pTree->GetNextSiblingItem(child))
            pending.push_back(child);
    }
    if (!out.Empty())
        for (DWORD id : Keys(CheckedFileIds))
            out.TickedFiles.insert(id);
    return out;
}

std::vector<std::u16string> CFoundListCtrl::PreviewTempFileList() const
{
    std::vector<std::u16string> out;
    POSITION pos = PreviewTempFiles.GetStartPosition();
    while (pos) {
        DWORD key;
        CString path;
        PreviewTempFiles.GetNextAssoc(pos, key, path);
        out.emplace_back((LPCWSTR)path);
    }
    return out;
}

void CFoundListCtrl::ClearSets(BOOL all)
{
    for (CDwordSet* set : {&CheckedFolderItems, &CheckedFileIds, &RecoverFolderItems, &RecoverFileIds, &CheckedTreeItems})
        set->RemoveAll();
    if (all)
        PreviewTempFiles.RemoveAll();
}
