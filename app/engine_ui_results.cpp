// The engine port's calls into the results pages: the found-folder tree, the found-file list, the
// selected-size line and the found-volume tree, reached through the controls the pages registered.
#include "app/engine_ui.h"

#include "app/found_list_ctrl.h"
#include "app/found_tree_ctrl.h"
#include "app/results_controls.h"
#include "app/volume_tree_ctrl.h"

namespace {

HTREEITEM ParentItem(DWORD parent)
{
    return parent == FOUND_TREE_ROOT ? TVI_ROOT : CFoundTreeCtrl::ToItem(parent);
}

} // namespace

DWORD CAppEngineUi::InsertFolderItem(DWORD parent, const WCHAR* text, BOOL)
{
    DWORD item = 0;
    RunOnUiThread([&] {
        if (CFoundTreeCtrl* tree = TheResultsControls().tree)
            item = CFoundTreeCtrl::ToHandle(tree->InsertFolderItem(text ? text : u"", ParentItem(parent)));
    });
    return item;
}

void CAppEngineUi::SetFolderItemColor(DWORD item, COLORREF color)
{
    RunOnUiThread([&] {
        if (CFoundTreeCtrl* tree = TheResultsControls().tree)
            tree->SetItemColor(CFoundTreeCtrl::ToItem(item), color);
    });
}

void CAppEngineUi::ExpandFolderItem(DWORD item)
{
    RunOnUiThread([&] {
        if (CFoundTreeCtrl* tree = TheResultsControls().tree)
            tree->Expand(CFoundTreeCtrl::ToItem(item), TVE_EXPAND);
    });
}

void CAppEngineUi::DeleteFolderItem(DWORD item)
{
    RunOnUiThread([&] {
        if (CFoundTreeCtrl* tree = TheResultsControls().tree)
            tree->DeleteItem(CFoundTreeCtrl::ToItem(item));
    });
}

void CAppEngineUi::ClearFileRows()
{
    RunOnUiThread([] {
        if (CFoundListCtrl* list = TheResultsControls().list)
            list->ClearRows();
    });
}

// The row's texts are the engine's until the call returns: the worker waits while the UI thread copies them.
void CAppEngineUi::AddFileRow(const FoundFileRow& row)
{
    RunOnUiThread([&] {
        if (CFoundListCtrl* list = TheResultsControls().list)
            list->AddRow(row);
    });
}

// A worker's batch crosses once; its rows go in one after the other while the worker waits.
void CAppEngineUi::AddFileRows(const FoundFileRow* rows, size_t count)
{
    RunOnUiThread([&] {
        if (CFoundListCtrl* list = TheResultsControls().list)
            for (size_t i = 0; i < count; ++i)
                list->AddRow(rows[i]);
    });
}

void CAppEngineUi::CheckFileRow(int row)
{
    RunOnUiThread([&] {
        if (CFoundListCtrl* list = TheResultsControls().list)
            list->CheckItem(row);
    });
}

void CAppEngineUi::ShowFileListAsReport()
{
    RunOnUiThread([] {
        if (CFoundListCtrl* list = TheResultsControls().list)
            list->ModifyStyle(LVS_TYPEMASK, LVS_REPORT);
    });
}

void CAppEngineUi::SetSelectedSizeText(const WCHAR* text)
{
    RunOnUiThread([&] {
        if (CWnd* line = TheResultsControls().sizeStatic)
            line->SetWindowText(text ? text : u"");
    });
}

DWORD CAppEngineUi::InsertVolumeItem(DWORD parent, const WCHAR* text)
{
    DWORD item = 0;
    RunOnUiThread([&] {
        if (CVolumeTreeCtrl* volumes = TheResultsControls().volumes)
            item = (DWORD)(ULONG_PTR)volumes->InsertVolumeItem(
                text ? text : u"", parent == FOUND_TREE_ROOT ? TVI_ROOT : (HTREEITEM)(ULONG_PTR)parent);
    });
    return item;
}

void CAppEngineUi::ExpandVolumeItem(DWORD item)
{
    RunOnUiThread([&] {
        if (CVolumeTreeCtrl* volumes = TheResultsControls().volumes)
            volumes->Expand((HTREEITEM)(ULONG_PTR)item, TVE_EXPAND);
    });
}
