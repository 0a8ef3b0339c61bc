// SHBrowseForFolderW: the layer's own folder browser over the Linux file system, with its callback.
#include "win32/controls.h"
#include "win32/dialogs.h"
#include "win32/dialogs/dialog_template.h"
#include "win32/dialogs/folder_listing.h"
#include "win32/shell.h"
#include "win32/shell/shell_internal.h"
#include "win32/text.h"
#include "win32/user.h"

#include <cstdlib>
#include <cstring>

using namespace dialogs;

namespace {

enum : int { kList = 0x3741, kTitle = 0x3742, kStatus = 0x3743, kFolderText = 0x3744, kUp = 0x3745, kEdit = 0x3746 };

struct Browser {
    BROWSEINFOW* bi;
    std::string root;     // the top the user cannot leave
    std::string folder;   // the folder listed
    std::string selected; // the folder the answer would be
    std::string result;
    std::vector<FolderEntry> entries;
};

bool Inside(const std::string& root, const std::string& path)
{
    return root == "/" || path == root || path.compare(0, root.size() + 1, root + "/") == 0;
}

std::u16string NameOf(const std::string& path)
{
    if (path == "/")
        return u"/";
    return ToWide(path.substr(path.find_last_of('/') + 1));
}

int Notify(HWND dlg, Browser& b, UINT msg, LPARAM lParam)
{
    return b.bi->lpfn ? b.bi->lpfn(dlg, msg, lParam, b.bi->lParam) : 0;
}

void Select(HWND dlg, Browser& b, const std::string& path)
{
    b.selected = path;
    if (b.bi->ulFlags & BIF_EDITBOX)
        SetDlgItemTextW(dlg, kEdit, NameOf(path).c_str());
    if (!b.bi->lpfn)
        return;
    LPITEMIDLIST pidl = shell::ItemListFromPath(ToWide(path));
    Notify(dlg, b, BFFM_SELCHANGED, (LPARAM)pidl);
    CoTaskMemFree(pidl);
}

void Navigate(HWND dlg, Browser& b, const std::string& folder)
{
    b.folder = folder;
    b.entries = ListFolder(folder, false, u"*");
    SetDlgItemTextW(dlg, kFolderText, ToWide(folder).c_str());
    EnableWindow(GetDlgItem(dlg, kUp), folder != b.root);
    HWND list = GetDlgItem(dlg, kList);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (size_t i = 0; i < b.entries.size(); ++i)
        SendMessageW(list, LB_ADDSTRING, 0, (LPARAM)b.entries[i].name.c_str());
    Select(dlg, b, folder);
}

// A path the callback asks for, when it names a folder the user may reach.
bool Reachable(const Browser& b, const std::u16string& text, std::string& path)
{
    return ResolvePath(b.folder, text, path) && IsFolder(path) && Inside(b.root, path);
}

void Accept(HWND dlg, Browser& b)
{
    if (b.bi->ulFlags & BIF_EDITBOX) {
        WCHAR buf[MAX_PATH * 2];
        GetDlgItemTextW(dlg, kEdit, buf, MAX_PATH * 2);
        std::u16string typed = buf;
        if (!typed.empty() && typed != NameOf(b.selected)) {
            std::string path;
            bool base = ResolvePath(b.folder, typed, path) && IsFolder(path) && Inside(b.root, path);
            if (!base && (b.bi->ulFlags & BIF_VALIDATE)) {
                // The callback keeps the browser open with a nonzero answer; zero closes it with no answer.
                if (Notify(dlg, b, BFFM_VALIDATEFAILEDW, (LPARAM)typed.c_str()) == 0)
                    EndDialog(dlg, IDCANCEL);
                return;
            }
            if (base) {
                b.result = path;
                EndDialog(dlg, IDOK);
                return;
            }
        }
    }
    b.result = b.selected;
    EndDialog(dlg, IDOK);
}

INT_PTR Answer(HWND dlg, LRESULT value)
{
    SetWindowLongPtrW(dlg, DWLP_MSGRESULT, value);
    return TRUE;
}

INT_PTR CALLBACK BrowserProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* b = (Browser*)GetWindowLongPtrW(dlg, DWLP_USER);
    switch (msg) {
    case WM_INITDIALOG: {
        b = (Browser*)lParam;
        SetWindowLongPtrW(dlg, DWLP_USER, lParam);
        std::string start = b->root;
        if (const char* home = std::getenv("HOME"); home && IsFolder(home) && Inside(b->root, home))
            start = home;
        b->folder = start;
        Notify(dlg, *b, BFFM_INITIALIZED, 0);
        if (b->selected.empty())
            Navigate(dlg, *b, start);
        SetFocus(GetDlgItem(dlg, kList));
        return FALSE;
    }
    case BFFM_SETSELECTIONW:
    case BFFM_SETSELECTIONA:
    case BFFM_SETEXPANDED: {
        if (!b || !lParam)
            return Answer(dlg, FALSE);
        std::u16string text;
        if (!wParam && msg != BFFM_SETEXPANDED) {
            if (!shell::PathFromItemList((LPCITEMIDLIST)lParam, text))
                return Answer(dlg, FALSE);
        } else {
            text = msg == BFFM_SETSELECTIONA ? AnsiToWide((LPCSTR)lParam) : std::u16string((LPCWSTR)lParam);
        }
        std::string path;
        if (!Reachable(*b, text, path))
            return Answer(dlg, FALSE);
        Navigate(dlg, *b, path);
        return Answer(dlg, TRUE);
    }
    case BFFM_ENABLEOK:
        EnableWindow(GetDlgItem(dlg, IDOK), lParam != 0);
        return Answer(dlg, 0);
    case BFFM_SETOKTEXT:
        if (lParam)
            SetDlgItemTextW(dlg, IDOK, (LPCWSTR)lParam);
        return Answer(dlg, 0);
    case BFFM_SETSTATUSTEXTW:
    case BFFM_SETSTATUSTEXTA:
        if (lParam && b && (b->bi->ulFlags & BIF_STATUSTEXT))
            SetDlgItemTextW(dlg, kStatus,
                            msg == BFFM_SETSTATUSTEXTA ? AnsiToWide((LPCSTR)lParam).c_str() : (LPCWSTR)lParam);
        return Answer(dlg, 0);
    case WM_COMMAND: {
        if (!b)
            return FALSE;
        int id = LOWORD(wParam), code = HIWORD(wParam);
        if (id == IDOK) {
            if (IsWindowEnabled(GetDlgItem(dlg, IDOK)))
                Accept(dlg, *b);
            return TRUE;
        }
        if (id == IDCANCEL) {
            EndDialog(dlg, IDCANCEL);
            return TRUE;
        }
        if (id == kUp && code == BN_CLICKED && b->folder != b->root) {
            Navigate(dlg, *b, ParentOf(b->folder));
            return TRUE;
        }
        if (id == kList && (code == LBN_SELCHANGE || code == LBN_DBLCLK)) {
            LRESULT sel = SendDlgItemMessageW(dlg, kList, LB_GETCURSEL, 0, 0);
            if (sel < 0 || size_t(sel) >= b->entries.size())
                return TRUE;
            std::string path = JoinPath(b->folder, b->entries[size_t(sel)].name);
            if (code == LBN_DBLCLK)
                Navigate(dlg, *b, path);
            else
                Select(dlg, *b, path);
            return TRUE;
        }
        return FALSE;
    }
    }
    return FALSE;
}

} // namespace

PIDLIST_ABSOLUTE SHBrowseForFolderW(LPBROWSEINFOW lpbi)
{
    if (!lpbi) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    InitCommonControls();
    Browser b{lpbi, "/", {}, {}, {}, {}};
    if (lpbi->pidlRoot) {
        std::u16string root;
        if (!shell::PathFromItemList(lpbi->pidlRoot, root) || !IsFolder(ToUtf8(root))) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        b.root = ToUtf8(root);
    }
    bool edit = lpbi->ulFlags & BIF_EDITBOX, status = lpbi->ulFlags & BIF_STATUSTEXT;
    short y = status ? 44 : 34;
    TemplateBuilder t(u"\u6d4f\u89c8\u6587\u4ef6\u5939", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER,
                      220, short(y + 160 + (edit ? 16 : 0)));
    t.Add(WC_STATICW, lpbi->lpszTitle ? lpbi->lpszTitle : u"", kTitle, WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 7, 7, 206, 24);
    if (status)
        t.Add(WC_STATICW, u"", kStatus, WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 7, 32, 206, 10);
    t.Add(WC_STATICW, u"", kFolderText, WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 7, short(y + 3), 150, 10);
    t.Add(WC_BUTTONW, u"\u4e0a\u4e00\u7ea7", kUp, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 162, y, 51, 14);
    t.Add(WC_LISTBOXW, u"", kList, WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
          7, short(y + 17), 206, 118);
    short bottom = short(y + 140);
    if (edit) {
        t.Add(WC_STATICW, u"\u6587\u4ef6\u5939:", -1, WS_VISIBLE | SS_LEFT, 7, short(bottom + 2), 30, 10);
        t.Add(WC_EDITW, u"", kEdit, WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 40, bottom, 173, 12);
        bottom = short(bottom + 16);
    }
    t.Add(WC_BUTTONW, u"\u786e\u5b9a", IDOK, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 107, bottom, 50, 14);
    t.Add(WC_BUTTONW, u"\u53d6\u6d88", IDCANCEL, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 163, bottom, 50, 14);

    INT_PTR r = DialogBoxIndirectParamW(nullptr, t.Get(), lpbi->hwndOwner, BrowserProc, (LPARAM)&b);
    if (r != IDOK || b.result.empty())
        return nullptr;
    LPITEMIDLIST pidl = shell::ItemListFromPath(ToWide(b.result));
    if (!pidl)
        return nullptr;
    if (lpbi->pszDisplayName) {
        std::u16string name = NameOf(b.result);
        size_t n = std::min<size_t>(name.size(), MAX_PATH - 1);
        std::memcpy(lpbi->pszDisplayName, name.data(), n * sizeof(WCHAR));
        lpbi->pszDisplayName[n] = 0;
    }
    lpbi->iImage = shell::kIconFolder;
    return pidl;
}
