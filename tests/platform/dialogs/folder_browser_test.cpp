// The folder browser: browsing, the callback's messages and answers, validation of a typed name.
#include "dialog_fixture.h"

using namespace dlgtest;

namespace {

enum : int { kTree = 0x3741, kTitle = 0x3742, kStatus = 0x3743, kEdit = 0x3746 };

HTREEITEM Next(HWND tree, HTREEITEM item, UINT how)
{
    return (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, how, (LPARAM)item);
}

std::u16string TextOf(HWND tree, HTREEITEM item)
{
    WCHAR buf[MAX_PATH] = {};
    TVITEMW it{};
    it.mask = TVIF_TEXT | TVIF_HANDLE;
    it.hItem = item;
    it.pszText = buf;
    it.cchTextMax = MAX_PATH;
    SendMessageW(tree, TVM_GETITEMW, 0, (LPARAM)&it);
    return buf;
}

std::vector<std::u16string> Children(HWND tree, HTREEITEM item)
{
    std::vector<std::u16string> out;
    for (HTREEITEM c = Next(tree, item, TVGN_CHILD); c; c = Next(tree, c, TVGN_NEXT))
        out.push_back(TextOf(tree, c));
    return out;
}

// The centre of an item's text, in the tree's client coordinates.
POINT ItemCentre(HWND tree, HTREEITEM item)
{
    RECT r{};
    *(HTREEITEM*)&r = item;
    SendMessageW(tree, TVM_GETITEMRECT, TRUE, (LPARAM)&r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

struct Call {
    UINT msg;
    std::u16string path; // the item list's path, or the typed text
};

// Records what the browser tells the callback; answers validation with `keepOpen`.
struct Recorder {
    std::vector<Call> calls;
    std::u16string startAt;
    int keepOpen = 0;
    static int CALLBACK Proc(HWND hwnd, UINT msg, LPARAM lParam, LPARAM data)
    {
        auto* r = (Recorder*)data;
        Call c{msg, {}};
        if (msg == BFFM_SELCHANGED) {
            WCHAR path[MAX_PATH];
            if (SHGetPathFromIDListW((LPCITEMIDLIST)lParam, path))
                c.path = path;
        } else if (msg == BFFM_VALIDATEFAILEDW) {
            c.path = (LPCWSTR)lParam;
        }
        r->calls.push_back(c);
        if (msg == BFFM_INITIALIZED && !r->startAt.empty())
            SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, (LPARAM)r->startAt.c_str());
        return msg == BFFM_VALIDATEFAILEDW ? r->keepOpen : 0;
    }
};

std::u16string PathOf(PIDLIST_ABSOLUTE pidl)
{
    WCHAR path[MAX_PATH] = {};
    if (!pidl || !SHGetPathFromIDListW(pidl, path))
        return u"<none>";
    CoTaskMemFree(pidl);
    return path;
}

class FolderBrowserTest : public DialogTest {};

TEST_F(FolderBrowserTest, BrowsesAndTellsTheCallbackEachSelection)
{
    Recorder rec;
    rec.startAt = wdir_;
    WCHAR name[MAX_PATH] = {};
    BROWSEINFOW bi{};
    bi.lpszTitle = u"\u8bf7\u9009\u62e9\u8def\u5f84\u4fdd\u5b58\u6570\u636e   ";
    bi.ulFlags = BIF_VALIDATE;
    bi.pszDisplayName = name;
    bi.lpfn = Recorder::Proc;
    bi.lParam = (LPARAM)&rec;
    std::vector<std::u16string> listed;
    std::u16string title, selectedText;
    headless::AnswerNextModal([&](HWND dlg) {
        HWND tree = GetDlgItem(dlg, kTree);
        HTREEITEM sel = Next(tree, nullptr, TVGN_CARET);
        selectedText = TextOf(tree, sel);
        listed = Children(tree, sel);
        title = headless::Text(GetDlgItem(dlg, kTitle));
        headless::Click(tree, ItemCentre(tree, Next(tree, sel, TVGN_CHILD)));
        headless::PumpUntilIdle();
        SendMessageW(dlg, WM_COMMAND, IDOK, 0);
    });
    std::u16string chosen = PathOf(SHBrowseForFolderW(&bi));
    EXPECT_EQ(chosen, wdir_ + u"/sub");
    EXPECT_EQ(std::u16string(name), u"sub");
    EXPECT_EQ(selectedText, wdir_.substr(wdir_.find_last_of(u'/') + 1));
    EXPECT_EQ(listed, (std::vector<std::u16string>{u"sub"})); // folders only, hidden ones left out
    EXPECT_EQ(title, bi.lpszTitle);
    ASSERT_EQ(rec.calls.size(), 3u);
    EXPECT_EQ(rec.calls[0].msg, (UINT)BFFM_INITIALIZED);
    EXPECT_EQ(rec.calls[1].msg, (UINT)BFFM_SELCHANGED);
    EXPECT_EQ(rec.calls[1].path, wdir_);
    EXPECT_EQ(rec.calls[2].msg, (UINT)BFFM_SELCHANGED);
    EXPECT_EQ(rec.calls[2].path, wdir_ + u"/sub");
}

TEST_F(FolderBrowserTest, StaysBelowItsRoot)
{
    std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "/";
    setenv("HOME", "/", 1);
    std::u16string subPath = wdir_ + u"/sub";
    // The root's item list, as an earlier browse returns it; it is then passed by item list.
    BROWSEINFOW pick{};
    headless::AnswerNextModal([&](HWND dlg) {
        SendMessageW(dlg, BFFM_SETSELECTIONW, TRUE, (LPARAM)wdir_.c_str());
        SendMessageW(dlg, WM_COMMAND, IDOK, 0);
    });
    LPITEMIDLIST root = SHBrowseForFolderW(&pick);
    ASSERT_NE(root, nullptr);
    BROWSEINFOW bi{};
    bi.pidlRoot = root;
    std::vector<std::u16string> tops;
    bool outsideRefused = false;
    headless::AnswerNextModal([&](HWND dlg) {
        HWND tree = GetDlgItem(dlg, kTree);
        for (HTREEITEM t = Next(tree, nullptr, TVGN_ROOT); t; t = Next(tree, t, TVGN_NEXT))
            tops.push_back(TextOf(tree, t));
        outsideRefused = !SendMessageW(dlg, BFFM_SETSELECTIONW, TRUE, (LPARAM)u"/");
        EXPECT_FALSE(SendMessageW(dlg, BFFM_SETSELECTIONW, FALSE, (LPARAM)root + 1)); // not an item list
        EXPECT_TRUE(SendMessageW(dlg, BFFM_SETSELECTIONW, FALSE, (LPARAM)root));
        EXPECT_TRUE(SendMessageW(dlg, BFFM_SETSELECTIONW, TRUE, (LPARAM)subPath.c_str()));
        SendMessageW(dlg, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(PathOf(SHBrowseForFolderW(&bi)), subPath);
    EXPECT_EQ(tops, (std::vector<std::u16string>{wdir_}));
    EXPECT_TRUE(outsideRefused);
    CoTaskMemFree(root);
    setenv("HOME", savedHome.c_str(), 1);
}

TEST_F(FolderBrowserTest, TypedNamesAreValidated)
{
    struct Case {
        const char* what;
        UINT flags;
        const char16_t* typed;
        int keepOpen;
        std::u16string result;
        bool validated;
    } cases[] = {
        {"existing folder", BIF_EDITBOX | BIF_VALIDATE, u"SUB", 0, wdir_ + u"/sub", false},
        {"absolute", BIF_EDITBOX | BIF_VALIDATE, u"/", 0, u"/", false},
        {"bad name closes", BIF_EDITBOX | BIF_VALIDATE, u"nothing", 0, u"<none>", true},
        {"bad name kept open", BIF_EDITBOX | BIF_VALIDATE, u"nothing", 1, u"<none>", true},
        {"a file is no folder", BIF_EDITBOX | BIF_VALIDATE, u"notes.txt", 0, u"<none>", true},
        {"not validated", BIF_EDITBOX, u"nothing", 0, wdir_, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Recorder rec;
        rec.startAt = wdir_;
        rec.keepOpen = c.keepOpen;
        BROWSEINFOW bi{};
        bi.ulFlags = c.flags;
        bi.lpfn = Recorder::Proc;
        bi.lParam = (LPARAM)&rec;
        bool stayed = false;
        headless::AnswerNextModal([&](HWND dlg) {
            SetDlgItemTextW(dlg, kEdit, c.typed);
            SendMessageW(dlg, WM_COMMAND, IDOK, 0);
            if (IsWindow(dlg) && IsWindowVisible(dlg)) {
                stayed = true;
                SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
            }
        });
        EXPECT_EQ(PathOf(SHBrowseForFolderW(&bi)), c.result);
        EXPECT_EQ(stayed, c.keepOpen != 0);
        bool validated = !rec.calls.empty() && rec.calls.back().msg == (UINT)BFFM_VALIDATEFAILEDW;
        EXPECT_EQ(validated, c.validated);
        if (validated) {
            EXPECT_EQ(rec.calls.back().path, c.typed);
        }
    }
}

TEST_F(FolderBrowserTest, CallbackChangesTheButtonsAndStatus)
{
    BROWSEINFOW bi{};
    bi.ulFlags = BIF_STATUSTEXT;
    std::u16string okText, status;
    bool okEnabled = true;
    headless::AnswerNextModal([&](HWND dlg) {
        SendMessageW(dlg, BFFM_SETOKTEXT, 0, (LPARAM)u"\u4fdd\u5b58");
        SendMessageW(dlg, BFFM_SETSTATUSTEXTW, 0, (LPARAM)u"ready");
        SendMessageW(dlg, BFFM_ENABLEOK, 0, FALSE);
        okText = headless::Text(GetDlgItem(dlg, IDOK));
        status = headless::Text(GetDlgItem(dlg, kStatus));
        okEnabled = IsWindowEnabled(GetDlgItem(dlg, IDOK));
        SendMessageW(dlg, WM_COMMAND, IDOK, 0); // a disabled OK does not answer
        SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(SHBrowseForFolderW(&bi), nullptr);
    EXPECT_EQ(okText, u"\u4fdd\u5b58");
    EXPECT_EQ(status, u"ready");
    EXPECT_FALSE(okEnabled);
}

} // namespace
