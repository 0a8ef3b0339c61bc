// The found-folder tree: items and their colours, the tri-state ticks kept in step with the list's
// sets, the mouse and keys that browse and tick folders, and the coloured repaint of its items.
#include "app/found_tree_ctrl.h"

#include "app/found_list_ctrl.h"
#include "app/found_records.h"
#include "controls/list_sorter.h"
#include "controls/shell_file_info.h"
#include "engine/engine_state.h"
#include "engine/found_list_fill.h"
#include "engine/selection_size.h"

#include "afx/window_dc.h"

#include <vector>

namespace {

constexpr int kStateBitmap = 200;
enum { kCursorButton, kCursorCheck, kCursorItem, kCursorSelecting };
constexpr WORD kCursorIds[4] = {250, 249, 264, 265};

// State image indexes of the three boxes.
constexpr int kUnticked = 1, kTicked = 2, kPartial = 3;

constexpr UINT kItemParts = TVHT_ONITEMLABEL | TVHT_ONITEMICON | TVHT_ONITEMRIGHT | TVHT_ONITEMSTATEICON;

bool IsItemPart(UINT flags)
{
    return flags == TVHT_ONITEMLABEL || flags == TVHT_ONITEMICON || flags == TVHT_ONITEMRIGHT ||
           flags == TVHT_ONITEMSTATEICON;
}

// Image of a top-level item: the drive type of its text taken as a root path.
int DriveImage(LPCWSTR text, int other)
{
    switch (GetDriveTypeW(text)) {
    case DRIVE_FIXED: return 5;
    case DRIVE_CDROM: return 2;
    case DRIVE_REMOVABLE: return (text[0] == u'A' || text[0] == u'a') ? 4 : 3;
    default: return other;
    }
}

} // namespace

BEGIN_MESSAGE_MAP(CFoundTreeCtrl, CTreeCtrl)
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_RBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_KEYUP()
    ON_WM_PAINT()
    ON_MESSAGE(WM_PRINTCLIENT, OnPrintClient)
    ON_NOTIFY_REFLECT(TVN_KEYDOWN, OnKeyDownNotify)
END_MESSAGE_MAP()

CFoundTreeCtrl::CFoundTreeCtrl()
{
    m_colorMap.InitHashTable(17);
}

CFoundTreeCtrl::~CFoundTreeCtrl() = default;

void CFoundTreeCtrl::InitControl()
{
    if (!m_stateImages.GetSafeHandle())
        m_stateImages.Create(kStateBitmap, 16, 1, RGB(255, 255, 255));
    SetImageList(CImageList::FromHandle(CShellFileInfo::GetSystemImageList(TRUE)), TVSIL_NORMAL);
    if (m_stateImages.GetSafeHandle())
        SetImageList(&m_stateImages, TVSIL_STATE);
    for (int i = 0; i < 4; ++i)
        m_cursors[i] = LoadCursorW(AfxGetResourceHandle(), MAKEINTRESOURCEW(kCursorIds[i]));
}

void CFoundTreeCtrl::UseCursor(int which)
{
    if (m_cursors[which])
        ::SetCursor(m_cursors[which]);
}

// ---- Items ------------------------------------------------------------------------------------

HTREEITEM CFoundTreeCtrl::InsertTreeItem(LPCWSTR text, int image, int selectedImage, HTREEITEM parent,
                                         HTREEITEM after)
{
    return InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE, text, image, selectedImage, 0, 0, 0, parent, after);
}

HTREEITEM CFoundTreeCtrl::InsertFolderItem(LPCWSTR text, HTREEITEM parent)
{
    const bool top = !parent || parent == TVI_ROOT;
    const int image = top ? DriveImage(text, 5) : CShellFileInfo::GetFolderIconIndex(TRUE);
    return InsertTreeItem(text, image, image, top ? TVI_ROOT : parent, TVI_LAST);
}

HTREEITEM CFoundTreeCtrl::FindOrInsertItem(LPCWSTR text, HTREEITEM parent, BOOL isFile)
{
    CString trimmed(text);
    trimmed.Trim();
    const bool top = !parent || parent == TVI_ROOT;
    for (HTREEITEM child = top ? GetRootItem() : GetChildItem(parent); child; child = GetNextSiblingItem(child))
        if (GetItemText(child) == trimmed)
            return child;
    const int folder = CShellFileInfo::GetFolderIconIndex(TRUE);
    int image = folder;
    if (top)
        image = DriveImage(trimmed, folder);
    else if (isFile)
        image = CShellFileInfo::GetIconIndex(trimmed, TRUE);
    return InsertTreeItem(trimmed, image, image, top ? TVI_ROOT : parent, TVI_LAST);
}

void CFoundTreeCtrl::SetItemColor(HTREEITEM item, COLORREF color)
{
    ColorFont entry;
    m_colorMap.Lookup(ToHandle(item), entry);
    entry.color = color;
    m_colorMap.SetAt(ToHandle(item), entry);
}

BOOL CFoundTreeCtrl::GetItemColor(HTREEITEM item, COLORREF* color) const
{
    ColorFont entry;
    if (!m_colorMap.Lookup(ToHandle(item), entry))
        return FALSE;
    *color = entry.color;
    return TRUE;
}

BOOL CFoundTreeCtrl::GetItemBold(HTREEITEM item) const
{
    return (GetItemState(item, TVIS_BOLD) & TVIS_BOLD) != 0;
}

std::vector<HTREEITEM> CFoundTreeCtrl::Children(HTREEITEM item) const
{
    std::vector<HTREEITEM> out;
    for (HTREEITEM child = GetChildItem(item); child; child = GetNextSiblingItem(child))
        out.push_back(child);
    return out;
}

CString CFoundTreeCtrl::GetItemPath(HTREEITEM item) const
{
    // Walked upwards without recursion: the depth of a found tree is whatever the disk says.
    CString path;
    for (HTREEITEM at = item; at && GetParentItem(at); at = GetParentItem(at)) {
        CString part = GetItemText(at);
        if (!path.IsEmpty() && (part.IsEmpty() || part[part.GetLength() - 1] != u'\\'))
            part += u'\\';
        path = part + path;
    }
    return path;
}

// ---- Ticks ------------------------------------------------------------------------------------

int CFoundTreeCtrl::GetCheck(HTREEITEM item) const
{
    return int(GetItemState(item, TVIS_STATEIMAGEMASK) >> 12) - 1;
}

void CFoundTreeCtrl::SetStateIndex(HTREEITEM item, int index)
{
    SetItemState(item, INDEXTOSTATEIMAGEMASK(index), TVIS_STATEIMAGEMASK);
}

void CFoundTreeCtrl::SetBold(HTREEITEM item, BOOL bold)
{
    SetItemState(item, bold ? TVIS_BOLD : 0, TVIS_BOLD);
}

void CFoundTreeCtrl::CheckItem(HTREEITEM item)
{
    SetStateIndex(item, kTicked);
    SetBold(item, TRUE);
    if (!m_pList)
        return;
    const DWORD handle = ToHandle(item);
    m_pList->CheckedFolderItems.SetAt(handle, 1);
    m_pList->CheckedTreeItems.SetAt(handle, 1);
    if (GetParentItem(item) && GetParentItem(item) == GetRootItem())
        m_pList->RecoverFolderItems.SetAt(handle, 1);
}

void CFoundTreeCtrl::UncheckItem(HTREEITEM item)
{
    SetStateIndex(item, kUnticked);
    SetBold(item, FALSE);
    if (!m_pList)
        return;
    const DWORD handle = ToHandle(item);
    m_pList->CheckedFolderItems.RemoveKey(handle);
    m_pList->CheckedTreeItems.RemoveKey(handle);
    if (GetParentItem(item) && GetParentItem(item) == GetRootItem())
        m_pList->RecoverFolderItems.RemoveKey(handle);
}

void CFoundTreeCtrl::SetPartial(HTREEITEM item)
{
    SetStateIndex(item, kPartial);
}

BOOL CFoundTreeCtrl::AllChildrenUnchecked(HTREEITEM item) const
{
    for (HTREEITEM child = GetChildItem(item); child; child = GetNextSiblingItem(child))
        if (GetCheck(child) != 0)
            return FALSE;
    return TRUE;
}

BOOL CFoundTreeCtrl::AllChildrenChecked(HTREEITEM item) const
{
    for (HTREEITEM child = GetChildItem(item); child; child = GetNextSiblingItem(child))
        if (GetCheck(child) == 0)
            return FALSE;
    return TRUE;
}

// Each ancestor, from the parent up, from its children's final states. Done once after the branch
// is settled, so no ancestor passes through a state that only a half-done branch gives it.
void CFoundTreeCtrl::UpdateAncestors(HTREEITEM item, bool mayUntick)
{
    for (HTREEITEM up = GetParentItem(item); up; up = GetParentItem(up)) {
        if (AllChildrenChecked(up))
            CheckItem(up);
        else if (mayUntick && AllChildrenUnchecked(up))
            UncheckItem(up);
        else
            SetPartial(up);
    }
}

void CFoundTreeCtrl::CheckTree(HTREEITEM item)
{
    std::vector<HTREEITEM> pending{item};
    while (!pending.empty()) {
        HTREEITEM at = pending.back();
        pending.pop_back();
        CheckItem(at);
        std::vector<HTREEITEM> children = Children(at);
        pending.insert(pending.end(), children.rbegin(), children.rend());
    }
    UpdateAncestors(item, false);
}

void CFoundTreeCtrl::UncheckTree(HTREEITEM item)
{
    std::vector<HTREEITEM> pending{item};
    while (!pending.empty()) {
        HTREEITEM at = pending.back();
        pending.pop_back();
        UncheckItem(at);
        std::vector<HTREEITEM> children = Children(at);
        pending.insert(pending.end(), children.rbegin(), children.rend());
    }
    UpdateAncestors(item, true);
}

void CFoundTreeCtrl::CheckBranch(HTREEITEM item)
{
    CheckItem(item);
    for (HTREEITEM child : Children(item))
        CheckTree(child);
}

void CFoundTreeCtrl::UncheckBranch(HTREEITEM item)
{
    UncheckItem(item);
    for (HTREEITEM child : Children(item))
        UncheckTree(child);
}

void CFoundTreeCtrl::ToggleTreeCheck(HTREEITEM item)
{
    if (GetCheck(item) != 0)
        UncheckTree(item);
    else
        CheckTree(item);
}

void CFoundTreeCtrl::SyncListChecks(HTREEITEM)
{
    CFoundListCtrl* list = m_pList;
    if (!list || !list->GetSafeHwnd())
        return;
    // The texts are read a block of rows a message: a folder of many thousand files is synchronised after
    // every fill.
    CListColumnTexts::ForEach(list, 0, [list](int row, LPCWSTR name) {
        if (!CFoundListCtrl::IsParentName(name))
            list->UncheckItem(row);
    });
    if (!list->CheckedFileIds.IsEmpty() || !list->CheckedFolderItems.IsEmpty()) {
        CListColumnTexts::ForEach(list, list->IdColumn(), [list](int row, LPCWSTR idText) {
            const DWORD id = DWORD(wcstoul(idText, nullptr, 10));
            DWORD one;
            if (*idText && (list->CheckedFileIds.Lookup(id, one) || list->CheckedFolderItems.Lookup(id, one)) &&
                !list->IsParentRow(row))
                list->CheckItem(row);
        });
    }
    if (IsTracingResult() && !list->CheckedTreeItems.IsEmpty()) {
        POSITION pos = list->CheckedTreeItems.GetStartPosition();
        std::vector<CString> ticked;
        while (pos) {
            DWORD key, value;
            list->CheckedTreeItems.GetNextAssoc(pos, key, value);
            ticked.push_back(GetItemText(ToItem(key)));
        }
        CListColumnTexts::ForEach(list, 0, [list, &ticked](int row, LPCWSTR name) {
            for (const CString& n : ticked)
                if (n == name) {
                    list->CheckItem(row);
                    break;
                }
        });
    }
}

// ---- Browsing ---------------------------------------------------------------------------------

CFoundTreeCtrl::TracedTarget CFoundTreeCtrl::TracedTargetOfItem(HTREEITEM item) const
{
    TracedTarget target;
    const CString text = GetItemText(item);
    const bool hasChildren = GetChildItem(item) != nullptr;
    const bool isTop = GetParentItem(item) == nullptr;
    for (TracedRecord* r = SignatureHead; r; r = r->Next) {
        if (!hasChildren && text.CompareNoCase(r->Extension ? r->Extension : u"") == 0) {
            target.text = text;
            return target;
        }
        if (hasChildren && text.CompareNoCase(r->TypeText ? r->TypeText : u"") == 0) {
            target.text = text;
            target.group = TRUE;
            return target;
        }
        if (isTop) {
            target.text = u"ROOT";
            return target;
        }
    }
    return target;
}

void CFoundTreeCtrl::ShowFolderOfItem(HTREEITEM item)
{
    if (IsTracingResult()) {
        TracedTarget target = TracedTargetOfItem(item);
        ShowTracedFolder(GetParentItem(item) ? (LPCWSTR)target.text : u"Root", target.group);
    } else if (IsFatResult()) {
        ShowFatFolder(FolderIdOfItem(ToHandle(item)));
    } else {
        ShowNtfsFolder(FolderIdOfItem(ToHandle(item)));
    }
}

void CFoundTreeCtrl::OnLButtonDown(UINT, CPoint point)
{
    UINT flags = 0;
    HTREEITEM item = HitTest(point, &flags);
    if (!item)
        return;
    FolderBrowseActive = 1;
    if (flags == TVHT_ONITEMBUTTON) {
        UseCursor(kCursorButton);
        Expand(item, TVE_TOGGLE);
        return;
    }
    if (!IsItemPart(flags))
        return;
    UseCursor(kCursorSelecting);
    SelectItem(item);
    SetFocus();

    const bool onBox = flags == TVHT_ONITEMSTATEICON;
    if (!onBox) {
        ShowFolderOfItem(item);
        SyncListChecks(item);
        return;
    }
    UseCursor(kCursorCheck);
    const int state = GetCheck(item);
    if (IsTracingResult()) {
        SetBoxTick(item, !(state != 0 && AllChildrenChecked(item)));
        return;
    }
    // FAT unticks a partial item only when all its children are ticked or partial; NTFS always.
    SetBoxTick(item, !(IsFatResult() ? (state != 0 && AllChildrenChecked(item)) : state != 0));
}

void CFoundTreeCtrl::SetBoxTick(HTREEITEM item, bool tick)
{
    const bool top = GetParentItem(item) == nullptr;
    if (IsTracingResult()) {
        TracedTarget target = TracedTargetOfItem(item);
        if (!tick) {
            if (m_pList)
                m_pList->UnmarkTracedChecked(target.text, target.group);
            UncheckTree(item);
        } else {
            CheckTree(item);
            if (m_pList)
                m_pList->MarkTracedChecked(target.text, target.group);
        }
        SyncListChecks(item);
        return;
    }
    const DWORD id = FolderIdOfItem(ToHandle(item));
    if (!tick) {
        top ? UncheckBranch(item) : UncheckTree(item);
        if (m_pList)
            m_pList->UnmarkFolderChecked(id, item);
    } else {
        top ? CheckBranch(item) : CheckTree(item);
        if (m_pList)
            m_pList->MarkFolderChecked(id, item);
    }
    if (m_pList)
        m_pList->SyncFolderRowSet(id, item);
    SyncListChecks(item);
    // The size line under the list follows every tick, not only the unticking of a FAT folder.
    if (m_pList)
        ShowSelectedSize(m_pList->RecoverFolderList(), m_pList->RecoverFileList());
}

void CFoundTreeCtrl::TickEverything()
{
    if (HTREEITEM top = GetRootItem())
        SetBoxTick(top, true);
}

// A quick second click on a check box ticks again, as the first did; elsewhere the control's own.
void CFoundTreeCtrl::OnLButtonDblClk(UINT nFlags, CPoint point)
{
    UINT flags = 0;
    if (HitTest(point, &flags) && flags == TVHT_ONITEMSTATEICON)
        OnLButtonDown(nFlags, point);
    else
        Default();
}

void CFoundTreeCtrl::OnLButtonUp(UINT, CPoint point)
{
    UINT flags = 0;
    HTREEITEM item = HitTest(point, &flags);
    if (!item || !IsItemPart(flags))
        return;
    UseCursor(kCursorItem);
    if (IsTracingResult() || !IsFatResult() || flags != TVHT_ONITEMSTATEICON || !m_pList)
        return;
    UseCursor(kCursorCheck);
    const int rows = m_pList->GetItemCount();
    bool all = rows > 0, none = true;
    for (int row = 0; row < rows; ++row) {
        if (m_pList->IsParentRow(row))
            continue;
        const int check = m_pList->GetItemCheck(row);
        all = all && check == 1;
        none = none && check == 0;
    }
    const int state = GetCheck(item);
    if (!all && (!none || state == 0)) {
        HTREEITEM parent = GetParentItem(item);
        if (!parent || !GetParentItem(parent))
            return;
        for (HTREEITEM up = parent; up; up = GetParentItem(up))
            SetPartial(up);
    } else if (state != 0) {
        CheckItem(item);
    } else {
        UncheckItem(item);
    }
}

void CFoundTreeCtrl::OnRButtonDown(UINT, CPoint point)
{
    HTREEITEM item = HitTest(point);
    if (item)
        SelectItem(item);
    SetFocus();
}

void CFoundTreeCtrl::OnMouseMove(UINT, CPoint point)
{
    UINT flags = 0;
    if (HitTest(point, &flags)) {
        if (flags == TVHT_ONITEMBUTTON)
            UseCursor(kCursorButton);
        else if (flags == TVHT_ONITEMSTATEICON)
            UseCursor(kCursorCheck);
        else if (flags & kItemParts)
            UseCursor(kCursorItem);
    }
    Default();
}

void CFoundTreeCtrl::OnKeyUp(UINT nChar, UINT, UINT)
{
    HTREEITEM item = GetSelectedItem();
    if (item)
        SelectItem(item);
    SetFocus();
    FolderBrowseActive = 1;
    if (item && nChar >= VK_PRIOR && nChar <= VK_DOWN)
        ShowFolderOfItem(item);
    Default();
}

void CFoundTreeCtrl::OnKeyDownNotify(NMHDR* pNMHDR, LRESULT* pResult)
{
    auto* key = reinterpret_cast<NMTVKEYDOWN*>(pNMHDR);
    if (HTREEITEM item = GetSelectedItem())
        SelectItem(item);
    SetFocus();
    if (key->wVKey == VK_TAB && m_pList && m_pList->GetSafeHwnd())
        m_pList->SetFocus();
    *pResult = 0;
}

// ---- Painting ---------------------------------------------------------------------------------

void CFoundTreeCtrl::OnPaint()
{
    CPaintDC paint(this);
    CRect client;
    GetClientRect(&client);
    CRect clip;
    paint.GetClipBox(&clip);
    CDC mem;
    mem.CreateCompatibleDC(&paint);
    CBitmap bitmap;
    bitmap.CreateCompatibleBitmap(&paint, client.Width(), client.Height());
    CBitmap* oldBitmap = mem.SelectObject(&bitmap);
    mem.IntersectClipRect(&clip);
    PaintInto(&mem);
    paint.BitBlt(clip.left, clip.top, clip.Width(), clip.Height(), &mem, clip.left, clip.top, SRCCOPY);
    mem.SelectObject(oldBitmap);
}

LRESULT CFoundTreeCtrl::OnPrintClient(WPARAM wParam, LPARAM)
{
    CDC* dc = CDC::FromHandle((HDC)wParam);
    if (dc)
        PaintInto(dc);
    return 0;
}

// The control paints itself, then the items with a colour or font of their own are drawn again.
void CFoundTreeCtrl::PaintInto(CDC* dc)
{
    DefWindowProc(WM_PRINTCLIENT, (WPARAM)dc->m_hDC, PRF_CLIENT);
    const bool focused = ::GetFocus() == m_hWnd;
    CFont* ownFont = GetFont();
    HTREEITEM item = GetFirstVisibleItem();
    for (UINT n = 0; item && n <= GetVisibleCount() + 1; ++n, item = GetNextVisibleItem(item)) {
        ColorFont entry;
        if (!m_colorMap.Lookup(ToHandle(item), entry))
            continue;
        if (focused && (GetItemState(item, TVIS_SELECTED | TVIS_DROPHILITED) & (TVIS_SELECTED | TVIS_DROPHILITED)))
            continue;
        CRect text;
        if (!GetItemRect(item, &text, TRUE))
            continue;
        LOGFONTW lf{};
        if (entry.logfont.lfFaceName[0])
            lf = entry.logfont;
        else if (ownFont)
            ownFont->GetLogFont(&lf);
        if (GetItemBold(item))
            lf.lfWeight = FW_BOLD;
        CFont font;
        font.CreateFontIndirect(&lf);
        CFont* oldFont = dc->SelectObject(&font);
        dc->SetTextColor(entry.color == (COLORREF)-1 ? ::GetSysColor(COLOR_WINDOWTEXT) : entry.color);
        dc->SetBkColor(::GetSysColor(COLOR_WINDOW));
        dc->SetBkMode(OPAQUE);
        dc->TextOut(text.left + 2, text.top + 1, GetItemText(item));
        dc->SelectObject(oldFont);
    }
}
