// The engine port's calls of a save run: the save dialog's progress, and the folder browser that chooses
// where recovered files go.
#include "app/engine_ui.h"

#include "app/dovemark_app.h"
#include "app/save_progress_dlg.h"
#include "win32/shell.h"

void CAppEngineUi::ShowSaveFile(const WCHAR* where, const WCHAR* name, DWORD count)
{
    const CString whereCopy(where ? where : u""), nameCopy(name ? name : u"");
    PostLatest(PostedKey(POSTED_SAVE_PROGRESS, 1), [whereCopy, nameCopy, count] {
        if (SaveDialog)
            SaveDialog->ShowFile(whereCopy, nameCopy, count);
    });
}

void CAppEngineUi::SetSaveProgress(UINT percent)
{
    PostLatest(PostedKey(POSTED_SAVE_PROGRESS, 0), [percent] {
        if (SaveDialog)
            SaveDialog->SetProgress(percent);
    });
}

bool BrowseForFolderDialog(HWND owner, const WCHAR* title, WCHAR* path, int pathChars)
{
    if (!path || pathChars <= 0)
        return false;
    path[0] = 0;
    WCHAR display[MAX_PATH] = {};
    BROWSEINFOW bi{};
    bi.hwndOwner = owner;
    bi.pszDisplayName = display;
    bi.lpszTitle = title;
    bi.ulFlags = BIF_VALIDATE;
    PIDLIST_ABSOLUTE list = ::SHBrowseForFolderW(&bi);
    if (!list)
        return false;
    WCHAR full[MAX_PATH] = {};
    bool chosen = false;
    if (::SHGetPathFromIDListW(list, full) && full[0]) {
        lstrcpynW(path, full, pathChars);
        chosen = true;
    }
    ::CoTaskMemFree(list);
    return chosen;
}

bool CAppEngineUi::BrowseForFolder(const WCHAR* title, WCHAR* path, int pathChars)
{
    bool chosen = false;
    RunOnUiThread([&] {
        // The results page owns the browser; before it exists, the main window does.
        HWND owner = m_hwndDispatch;
        if (CDovemarkApp* app = DovemarkApp(); app && app->GetPage(4) && app->GetPage(4)->GetSafeHwnd())
            owner = app->GetPage(4)->GetSafeHwnd();
        chosen = BrowseForFolderDialog(owner, title, path, pathChars);
    });
    return chosen;
}
