// SHBrowseForFolderW: the layer's own folder browser, a tree of the Linux file system, with its callback.
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

enum : int { kTree = 0x3741, kTitle = 0x3742, kStatus = 0x3743, kEdit = 0x3746 };

struct Node {
    std::string path;
    bool filled = false; // its subfolders are in the tree
};

struct Browser {
    BROWSEINFOW* bi;
    std::string root;        // the top the user cannot leave
    std::string selected;    // the folder the answer would be
    std::string result;
    std::vector<Node> nodes; // by the item's lParam
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

HWND Tree(HWND dlg)
{
    return GetDlgItem(dlg, kTree);
}

HTREEITEM Next(HWND tree, HTREEITEM item, UINT how)
{
    return (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, how, (LPARAM)item);
}

size_t NodeOf(HWND tree, HTREEITEM item)
{
    TVITEMW it{};
    it.mask = TVIF_PARAM | TVIF_HANDLE;
    it.hItem = item;
    if (!SendMessageW(tree, TVM_GETITEMW, 0, (LPARAM)&it))
        return size_t(-1);
    return size_t(it.lParam);
}

HTREEITEM Insert(HWND tree, Browser& b, HTREEITEM parent, const std::string& path, int image)
{
    b.nodes.push_back({path, false});
    std::u16string name = parent == TVI_ROOT && path != "/" ? ToWide(path) : NameOf(path);
    TVINSERTSTRUCTW ins{};
    ins.hParent = parent;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
    ins.item.pszText = const_cast<LPWSTR>(name.c_str());
    ins.item.iImage = image;
    ins.item.iSelectedImage = image == shell::kIconFolder ? shell::kIconFolderOpen : image;
    ins.item.cChildren = 1; // known when the item is first opened
    ins.item.lParam = LPARAM(b.nodes.size() - 1);
    return (HTREEITEM)SendMessageW(tree, TVM_INSERTITEMW, 0, (LPARAM)&ins);
}

// Puts an item's subfolders below it, once.
void Fill(HWND tree, Browser& b, HTREEITEM item)
{
    size_t n = NodeOf(tree, item);
    if (n >= b.nodes.size() || b.nodes[n].filled)
        return;
    b.nodes[n].filled = true;
    std::string path = b.nodes[n].path;
    std::vector<FolderEntry> subfolders = ListFolder(path, false, u"*");
    for (const FolderEntry& e : subfolders)
        Insert(tree, b, item, JoinPath(path, e.name), shell::kIconFolder);
    if (subfolders.empty()) {
        TVITEMW it{};
        it.mask = TVIF_HANDLE | TVIF_CHILDREN;
        it.hItem = item;
        it.cChildren = 0;
        SendMessageW(tree, TVM_SETITEMW, 0, (LPARAM)&it);
    }
}

void Selected(HWND dlg, Browser& b, const std::string& path)
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

// Opens the tree down to a folder below the root and selects it; false when it is not there.
bool Reveal(HWND dlg, Browser& b, const std::string& path)
{
    HWND tree = Tree(dlg);
    HTREEITEM item = Next(tree, nullptr, TVGN_ROOT);
    if (!item || !Inside(b.root, path))
        return false;
    std::string rest = path.size() > b.root.size() ? path.substr(b.root == "/" ? 1 : b.root.size() + 1) : "";
    while (!rest.empty()) {
        size_t slash = rest.find('/');
        std::u16string part = ToWide(rest.substr(0, slash));
        rest = slash == std::string::npos ? "" : rest.substr(slash + 1);
        Fill(tree, b, item);
        SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, (LPARAM)item);
        HTREEITEM child = Next(tree, item, TVGN_CHILD);
        while (child) {
            size_t n = NodeOf(tree, child);
            if (n < b.nodes.size() && NameOf(b.nodes[n].path) == part)
                break;
            child = Next(tree, child, TVGN_NEXT);
        }
        if (!child)
            return false;
        item = child;
    }
    Fill(tree, b, item);
    SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, (LPARAM)item);
    if (Next(tree, nullptr, TVGN_CARET) == item)
        Selected(dlg, b, path); // selecting it again tells nobody
    else
        SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)item);
    SendMessageW(tree, TVM_ENSUREVISIBLE, 0, (LPARAM)item);
    return true;
}

void Accept(HWND dlg, Browser& b)
{
    if (b.bi->ulFlags & BIF_EDITBOX) {
        WCHAR buf[MAX_PATH * 2];
        GetDlgItemTextW(dlg, kEdit, buf, MAX_PATH * 2);
        std::u16string typed = buf;
        if (!typed.empty() && typed != NameOf(b.selected)) {
            std::string path;
            bool found = ResolvePath(b.selected, typed, path) && IsFolder(path) && Inside(b.root, path);
            if (!found && (b.bi->ulFlags & BIF_VALIDATE)) {
                // A nonzero answer keeps the browser open; zero closes it with no answer.
                if (Notify(dlg, b, BFFM_VALIDATEFAILEDW, (LPARAM)typed.c_str()) == 0)
                    EndDialog(dlg, IDCANCEL);
                return;
            }
            if (found) {
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
        HWND tree = Tree(dlg);
        SendMessageW(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, (LPARAM)shell::SystemImageList(true));
        Insert(tree, *b, TVI_ROOT, b->root, b->root == "/" ? shell::kIconDrive : shell::kIconFolder);
        Notify(dlg, *b, BFFM_INITIALIZED, 0);
        if (b->selected.empty()) {
            const char* home = std::getenv("HOME");
            std::string start = home && IsFolder(home) && Inside(b->root, home) ? std::string(home) : b->root;
            if (!Reveal(dlg, *b, start))
                Reveal(dlg, *b, b->root);
        }
        SetFocus(Tree(dlg));
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
        bool ok = ResolvePath(b->root, text, path) && IsFolder(path) && Reveal(dlg, *b, path);
        return Answer(dlg, ok);
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
    case WM_NOTIFY: {
        const auto* hdr = (const NMHDR*)lParam;
        if (!b || !hdr || hdr->idFrom != UINT_PTR(kTree))
            return FALSE;
        const auto* nm = (const NMTREEVIEWW*)lParam;
        if (hdr->code == TVN_ITEMEXPANDINGW && (nm->action & TVE_EXPAND))
            Fill(hdr->hwndFrom, *b, nm->itemNew.hItem);
        else if (hdr->code == TVN_SELCHANGEDW) {
            size_t n = NodeOf(hdr->hwndFrom, nm->itemNew.hItem);
            if (n < b->nodes.size())
                Selected(dlg, *b, b->nodes[n].path);
        }
        return Answer(dlg, FALSE);
    }
    case WM_COMMAND: {
        if (!b)
            return FALSE;
        int id = LOWORD(wParam);
        if (id == IDOK) {
            if (IsWindowEnabled(GetDlgItem(dlg, IDOK)) && !b->selected.empty())
                Accept(dlg, *b);
            return TRUE;
        }
        if (id == IDCANCEL) {
            EndDialog(dlg, IDCANCEL);
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
    Browser b{lpbi, "/", {}, {}, {}};
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
                      220, short(y + 150 + (edit ? 16 : 0)));
    t.Add(WC_STATICW, lpbi->lpszTitle ? lpbi->lpszTitle : u"", kTitle, WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 7, 7, 206, 24);
    if (status)
        t.Add(WC_STATICW, u"", kStatus, WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 7, 32, 206, 10);
    t.Add(WC_TREEVIEWW, u"", kTree,
          WS_VISIBLE | WS_TABSTOP | WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS |
              TVS_DISABLEDRAGDROP,
          7, y, 206, 124);
    short bottom = short(y + 130);
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
