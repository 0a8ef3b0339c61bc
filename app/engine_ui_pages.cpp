// The engine port's calls that the wizard pages serve: each reaches the UI thread by the dispatch rules, and
// the page that shows it fills in what it does there.
#include "app/engine_ui.h"


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
