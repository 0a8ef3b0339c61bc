// The engine port's calls that the wizard pages serve: each reaches the UI thread by the dispatch rules, and
// the page that shows it fills in what it does there.
#include "app/engine_ui.h"

#include <atomic>

void CAppEngineUi::SetProgress(UINT percent)
{
    PostLatest(PostedKey(POSTED_PROGRESS), [percent] { (void)percent; });
}

void CAppEngineUi::SetStatusText(EngineStatusField field, const WCHAR* text)
{
    CString copy(text ? text : u"");
    PostLatest(PostedKey(POSTED_STATUS, field), [copy] { (void)copy; });
}

void CAppEngineUi::SetCounter(EngineCounter counter, ULONGLONG value)
{
    PostLatest(PostedKey(POSTED_COUNTER, counter), [value] { (void)value; });
}

void CAppEngineUi::AddDriveItem(const WCHAR* text, DWORD index)
{
    RunOnUiThread([&] { (void)text, (void)index; });
}

DWORD CAppEngineUi::InsertFolderItem(DWORD parent, const WCHAR* text, BOOL deleted)
{
    // Until the found-folder tree exists, items stay unique and flagged, so the records that keep them apart.
    static std::atomic<DWORD> next{1};
    DWORD item = 0;
    RunOnUiThread([&] {
        (void)parent, (void)text, (void)deleted;
        item = FOUND_TREE_ITEM_FLAG | (next.fetch_add(1) & ~FOUND_TREE_ITEM_FLAG);
    });
    return item;
}

void CAppEngineUi::SetFolderItemColor(DWORD item, COLORREF color)
{
    RunOnUiThread([&] { (void)item, (void)color; });
}

void CAppEngineUi::ExpandFolderItem(DWORD item)
{
    RunOnUiThread([&] { (void)item; });
}

void CAppEngineUi::ClearFileRows()
{
    RunOnUiThread([] {});
}

void CAppEngineUi::AddFileRow(const FoundFileRow& row)
{
    RunOnUiThread([&] { (void)row; });
}
