// The found-file list's checked sets: what a tick in the tree or in the rows adds and removes, and
// the tree brought in line with the rows of the folder shown.
#include "app/found_list_ctrl.h"

#include "app/found_records.h"
#include "app/found_tree_ctrl.h"
#include "engine/engine_state.h"
#include "engine/found_list_fill.h"

#include <vector>

namespace {

bool SameNoCase(const WCHAR* a, const CString& b)
{
    return b.CompareNoCase(a ? a : u"") == 0;
}

} // namespace

void CFoundListCtrl::MarkFolderFiles(HTREEITEM item)
{
    ForEachFileOf(FolderIdOfItem(CFoundTreeCtrl::ToHandle(item)), false,
                  [&](DWORD id, DWORD) { CheckedFileIds.SetAt(id, 1); });
}

void CFoundListCtrl::UnmarkFolderFiles(HTREEITEM item)
{
    ForEachFileOf(FolderIdOfItem(CFoundTreeCtrl::ToHandle(item)), false,
                  [&](DWORD id, DWORD) { CheckedFileIds.RemoveKey(id); });
}

// Walked with a list of pending items, not by recursion: found trees can be arbitrarily deep.
void CFoundListCtrl::MarkSubtree(HTREEITEM item, bool mark)
{
    if (!m_pTree || !item)
        return;
    const FoundRecordIndexScope indexed;
    std::vector<HTREEITEM> pending{item};
    while (!pending.empty()) {
        HTREEITEM at = pending.back();
        pending.pop_back();
        if (mark) {
            CheckedFolderItems.SetAt(CFoundTreeCtrl::ToHandle(at), 1);
            MarkFolderFiles(at);
        } else {
            CheckedFolderItems.RemoveKey(CFoundTreeCtrl::ToHandle(at));
            UnmarkFolderFiles(at);
        }
        for (HTREEITEM child = m_pTree->GetChildItem(at); child; child = m_pTree->GetNextSiblingItem(child))
            pending.push_back(child);
    }
}

void CFoundListCtrl::MarkSubtreeFolders(HTREEITEM item) { MarkSubtree(item, true); }

void CFoundListCtrl::UnmarkSubtreeFolders(HTREEITEM item) { MarkSubtree(item, false); }

// The folder records with this id (every one for id 0 of FAT, none for the top item) join or leave
// the folders written whole with their branches; the files below the id join or leave the ticked
// files, and the root's own files when the top item "Root" is ticked also the files written alone.
void CFoundListCtrl::MarkFolder(DWORD folderId, HTREEITEM item, bool mark)
{
    if (IsTracingResult() || !m_pTree)
        return;
    const FoundRecordIndexScope indexed;
    const bool top = item && !m_pTree->GetParentItem(item);
    const bool fat = IsFatResult();
    if (!top)
        ForEachFolderItem(folderId, fat && folderId == 0, [&](DWORD folder) {
            if (mark)
                RecoverFolderItems.SetAt(folder, 1);
            else
                RecoverFolderItems.RemoveKey(folder);
            MarkSubtree(CFoundTreeCtrl::ToItem(folder), mark);
        });
    const bool rootItem = top && m_pTree->GetItemText(item) == u"Root";
    const DWORD rootId = RootFolderId();
    ForEachFileOf(
        folderId, fat && folderId == 0,
        [&](DWORD id, DWORD parent) {
            const bool alone = rootItem && parent == rootId;
            if (mark) {
                CheckedFileIds.SetAt(id, 1);
                if (alone)
                    RecoverFileIds.SetAt(id, 1);
            } else {
                CheckedFileIds.RemoveKey(id);
                if (alone)
                    RecoverFileIds.RemoveKey(id);
            }
        },
        folderId == 5);
}

void CFoundListCtrl::MarkFolderChecked(DWORD folderId, HTREEITEM item) { MarkFolder(folderId, item, true); }

void CFoundListCtrl::UnmarkFolderChecked(DWORD folderId, HTREEITEM item) { MarkFolder(folderId, item, false); }

void CFoundListCtrl::MarkTraced(const CString& name, BOOL group, bool mark)
{
    const bool all = name.CompareNoCase(u"ROOT") == 0;
    for (TracedFileRecord* t = TracedFileHead; t; t = t->Next) {
        if (!all && !SameNoCase(group ? t->TypeText : t->Extension, name))
            continue;
        if (mark) {
            RecoverFileIds.SetAt(t->FileNumber, 1);
            CheckedFileIds.SetAt(t->FileNumber, 1);
        } else {
            RecoverFileIds.RemoveKey(t->FileNumber);
            CheckedFileIds.RemoveKey(t->FileNumber);
        }
    }
}

void CFoundListCtrl::MarkTracedChecked(const CString& name, BOOL group) { MarkTraced(name, group, true); }

void CFoundListCtrl::UnmarkTracedChecked(const CString& name, BOOL group) { MarkTraced(name, group, false); }

void CFoundListCtrl::SyncFolderRowSet(DWORD folderId, HTREEITEM item)
{
    if (!AnyFolderWithParent(folderId))
        return;
    const DWORD handle = CFoundTreeCtrl::ToHandle(item);
    for (int row = 0, n = GetItemCount(); row < n; ++row) {
        if (IsParentRow(row) || GetItemText(row, IdColumn()).IsEmpty() || RowId(row) != handle)
            continue;
        if (GetItemCheck(row) == 0)
            CheckedFolderItems.SetAt(handle, 1);
        else
            CheckedFolderItems.RemoveKey(handle);
    }
}

void CFoundListCtrl::UpdateFileRowSets(DWORD folderId, DWORD fileId)
{
    bool known = false;
    ForEachFileOf(folderId, false, [&](DWORD id, DWORD) { known = known || id == fileId; });
    if (!known)
        return;
    for (int row = 0, n = GetItemCount(); row < n; ++row) {
        if (IsParentRow(row) || IsFolderRow(row) || RowId(row) != fileId)
            continue;
        if (GetItemCheck(row) != 0) {
            CheckedFileIds.RemoveKey(fileId);
            RecoverFileIds.RemoveKey(fileId);
        } else {
            CheckedFileIds.SetAt(fileId, 1);
            RecoverFileIds.SetAt(fileId, 1);
        }
    }
}

void CFoundListCtrl::SyncTreeFromRows(DWORD folderId)
{
    if (!m_pTree)
        return;
    HTREEITEM item = CFoundTreeCtrl::ToItem(ItemOfFolderId(folderId));
    const bool hasRecord = item != nullptr;
    if (!item) {
        bool parentOfFile = false;
        ForEachFileOf(folderId, false, [&](DWORD, DWORD) { parentOfFile = true; }, true);
        if (!parentOfFile)
            return;
        item = m_pTree->GetTopItem();
        if (!item)
            return;
    }
    if (AreAllItemsChecked()) {
        m_pTree->CheckItem(item);
    } else if (AreAllItemsUnchecked()) {
        m_pTree->UncheckItem(item);
    } else {
        m_pTree->SetPartial(item);
        if (IsFatResult() && hasRecord)
            for (HTREEITEM up = m_pTree->GetParentItem(item); up; up = m_pTree->GetParentItem(up))
                m_pTree->SetPartial(up);
    }
}

void CFoundListCtrl::SyncTracedTreeFromRows(DWORD, const CString& group, const CString& name, BOOL groupRow)
{
    if (!m_pTree)
        return;
    HTREEITEM top = m_pTree->GetTopItem();
    if (!top)
        return;
    const bool all = AreAllItemsChecked(), none = AreAllItemsUnchecked();
    for (HTREEITEM g = m_pTree->GetChildItem(top); g; g = m_pTree->GetNextSiblingItem(g)) {
        const bool sameGroup = m_pTree->GetItemText(g) == group;
        if (!groupRow && sameGroup) {
            if (all) {
                m_pTree->SetPartial(top);
                m_pTree->CheckItem(g);
            } else if (none) {
                m_pTree->UncheckItem(g);
            } else {
                m_pTree->SetPartial(top);
                m_pTree->SetPartial(g);
            }
        } else if (groupRow && sameGroup) {
            if (m_pTree->GetCheck(g) == 0) {
                m_pTree->CheckTree(g);
                MarkTracedChecked(group, TRUE);
            } else {
                m_pTree->UncheckTree(g);
                UnmarkTracedChecked(group, TRUE);
            }
        }
        for (HTREEITEM child = m_pTree->GetChildItem(g); child; child = m_pTree->GetNextSiblingItem(child)) {
            if (m_pTree->GetItemText(child) != name)
                continue;
            if (all)
                m_pTree->CheckItem(child);
            else if (none)
                m_pTree->UncheckItem(child);
            else
                m_pTree->SetPartial(child);
        }
    }
}

void CFoundListCtrl::ShowParentFolder(DWORD folderId)
{
    const DWORD root = RootFolderId();
    DWORD parentId = root;
    ParentOfFolderId(folderId, &parentId);
    const DWORD folderItem = ItemOfFolderId(folderId);
    if (IsFatResult())
        ShowFatFolder(parentId);
    else
        ShowNtfsFolder(parentId);
    if (!m_pTree)
        return;
    if (parentId != root && folderItem) {
        HTREEITEM parent = m_pTree->GetParentItem(CFoundTreeCtrl::ToItem(folderItem));
        if (parent) {
            m_pTree->SelectItem(parent);
            m_pTree->Expand(parent, TVE_TOGGLE);
        }
    } else {
        m_pTree->SelectItem(m_pTree->GetTopItem());
    }
    m_pTree->SyncListChecks(CFoundTreeCtrl::ToItem(folderItem));
}
