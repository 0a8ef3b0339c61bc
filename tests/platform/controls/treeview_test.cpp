// SysTreeView32: handles, insertion, navigation, hit tests, notifications, check boxes, custom draw.
#include "platform/controls/control_fixture.h"
#include "win32/text.h"

#include <algorithm>
#include <cstring>
#include <string>

using namespace ctltest;

namespace {

struct Note {
    UINT code;
    UINT action;
    HTREEITEM oldItem;
    HTREEITEM newItem;
};

class TreeTest : public ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        parentHook_ = [this](UINT m, WPARAM, LPARAM l, LRESULT* r) {
            if (m != WM_NOTIFY)
                return false;
            auto* h = (NMHDR*)l;
            if (h->code == NM_CUSTOMDRAW) {
                auto* cd = (NMTVCUSTOMDRAW*)l;
                stages_.push_back(cd->nmcd.dwDrawStage);
                *r = customDraw_ ? customDraw_(cd) : CDRF_DODEFAULT;
                return true;
            }
            if (h->code == TVN_GETDISPINFOW) {
                auto* di = (NMTVDISPINFOW*)l;
                if (onAsk_)
                    onAsk_();
                if (di->item.mask & TVIF_TEXT) {
                    std::u16string s = u"cb" + std::u16string(1, (char16_t)(u'0' + di->item.lParam));
                    lstrcpynW(di->item.pszText, s.c_str(), di->item.cchTextMax);
                }
                return true;
            }
            Note n{h->code, 0, nullptr, nullptr};
            if (h->code == TVN_SELCHANGINGW || h->code == TVN_SELCHANGEDW || h->code == TVN_ITEMEXPANDINGW ||
                h->code == TVN_ITEMEXPANDEDW || h->code == TVN_DELETEITEMW || h->code == TVN_BEGINDRAGW) {
                auto* nm = (NMTREEVIEWW*)l;
                n = {h->code, nm->action, nm->itemOld.hItem, nm->itemNew.hItem};
            }
            notes_.push_back(n);
            *r = (h->code == TVN_SELCHANGINGW && vetoSelection_) ? TRUE : 0;
            return true;
        };
    }
    HWND MakeTree(DWORD style, RECT rc = {0, 0, 200, 160})
    {
        tree_ = Make(WC_TREEVIEWW, u"", style | WS_BORDER, rc, 7);
        return tree_;
    }
    HTREEITEM Add(const char16_t* text, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST, LPARAM lp = 0)
    {
        TVINSERTSTRUCTW ins{};
        ins.hParent = parent;
        ins.hInsertAfter = after;
        ins.item.mask = TVIF_TEXT | TVIF_PARAM;
        ins.item.pszText = const_cast<LPWSTR>(text);
        ins.item.lParam = lp;
        return (HTREEITEM)SendMessageW(tree_, TVM_INSERTITEMW, 0, (LPARAM)&ins);
    }
    HTREEITEM Next(UINT code, HTREEITEM h = nullptr)
    {
        return (HTREEITEM)SendMessageW(tree_, TVM_GETNEXTITEM, code, (LPARAM)h);
    }
    std::u16string Text(HTREEITEM h)
    {
        WCHAR buf[64] = {};
        TVITEMW it{};
        it.mask = TVIF_TEXT;
        it.hItem = h;
        it.pszText = buf;
        it.cchTextMax = 64;
        if (!SendMessageW(tree_, TVM_GETITEMW, 0, (LPARAM)&it))
            return u"<fail>";
        return buf;
    }
    std::u16string Children(HTREEITEM parent)
    {
        std::u16string out;
        for (HTREEITEM c = Next(TVGN_CHILD, parent); c; c = Next(TVGN_NEXT, c))
            out += Text(c) + u",";
        return out;
    }
    RECT LabelRect(HTREEITEM h)
    {
        RECT rc{};
        std::memcpy(&rc, &h, sizeof h);
        EXPECT_TRUE(SendMessageW(tree_, TVM_GETITEMRECT, TRUE, (LPARAM)&rc));
        return rc;
    }
    UINT Hit(POINT pt, HTREEITEM* item = nullptr)
    {
        TVHITTESTINFO hti{pt, 0, nullptr};
        SendMessageW(tree_, TVM_HITTEST, 0, (LPARAM)&hti);
        if (item)
            *item = hti.hItem;
        return hti.flags;
    }
    UINT StateImage(HTREEITEM h) { return (UINT)SendMessageW(tree_, TVM_GETITEMSTATE, (WPARAM)h, TVIS_STATEIMAGEMASK) >> 12; }
    std::vector<Note> TakeNotes()
    {
        headless::PumpUntilIdle();
        auto n = std::move(notes_);
        notes_.clear();
        return n;
    }
    std::vector<UINT> Codes(const std::vector<Note>& notes)
    {
        std::vector<UINT> c;
        for (auto& n : notes)
            c.push_back(n.code);
        return c;
    }

    HWND tree_ = nullptr;
    std::vector<Note> notes_;
    std::vector<DWORD> stages_;
    bool vetoSelection_ = false;
    std::function<LRESULT(NMTVCUSTOMDRAW*)> customDraw_;
    std::function<void()> onAsk_;
};

TEST_F(TreeTest, HandlesCarryTheTopBitFitThirtyTwoBitsAndGoStaleOnDelete)
{
    MakeTree(TVS_HASBUTTONS);
    HTREEITEM a = Add(u"a");
    HTREEITEM b = Add(u"b", a);
    ASSERT_NE(nullptr, a);
    for (HTREEITEM h : {a, b}) {
        ULONG_PTR v = (ULONG_PTR)h;
        EXPECT_EQ(v, (ULONG_PTR)(uint32_t)v) << "fits a 32-bit field";
        EXPECT_TRUE(v & 0x80000000u);
    }
    // A handle kept in a packed 32-bit record comes back usable.
    uint32_t stored = (uint32_t)(ULONG_PTR)b;
    EXPECT_EQ(u"b", Text((HTREEITEM)(ULONG_PTR)stored));

    EXPECT_TRUE(SendMessageW(tree_, TVM_DELETEITEM, 0, (LPARAM)b));
    EXPECT_EQ(u"<fail>", Text(b)) << "a deleted item's handle fails";
    EXPECT_FALSE(SendMessageW(tree_, TVM_DELETEITEM, 0, (LPARAM)b));
    HTREEITEM c = Add(u"c", a);
    EXPECT_NE(b, c) << "the slot is reused under a new handle";
    EXPECT_EQ(u"<fail>", Text(b));
    EXPECT_EQ(u"<fail>", Text((HTREEITEM)(ULONG_PTR)0x1234)) << "not a handle at all";

    // TVI_ROOT kept in 32 bits still means the root.
    EXPECT_TRUE(SendMessageW(tree_, TVM_DELETEITEM, 0, (LPARAM)(ULONG_PTR)(uint32_t)(ULONG_PTR)TVI_ROOT));
    EXPECT_EQ(0, SendMessageW(tree_, TVM_GETCOUNT, 0, 0));
}

TEST_F(TreeTest, InsertsAtFirstLastSortedAndAfterASibling)
{
    MakeTree(0);
    struct {
        const char16_t* text;
        int after; // -1 first, -2 last, -3 sort, else index into `made`
    } steps[] = {{u"m", -2}, {u"c", -3}, {u"x", -3}, {u"A", -1}, {u"k", 1}, {u"D", -3}, {u"z", -2}};
    std::vector<HTREEITEM> made;
    for (auto& s : steps) {
        HTREEITEM after = s.after == -1 ? TVI_FIRST : s.after == -2 ? TVI_LAST : s.after == -3 ? TVI_SORT : made[(size_t)s.after];
        made.push_back(Add(s.text, TVI_ROOT, after));
    }
    // Sorted inserts compare without case and go after their equals.
    EXPECT_EQ(u"A,c,D,k,m,x,z,", Children(TVI_ROOT));
    EXPECT_EQ(7, SendMessageW(tree_, TVM_GETCOUNT, 0, 0));

    TVINSERTSTRUCTW bad{};
    bad.hParent = (HTREEITEM)(ULONG_PTR)0x80001234;
    bad.hInsertAfter = TVI_LAST;
    EXPECT_EQ(0, SendMessageW(tree_, TVM_INSERTITEMW, 0, (LPARAM)&bad)) << "unknown parent";
    EXPECT_EQ(0, SendMessageW(tree_, TVM_INSERTITEMW, 0, 0));
}

TEST_F(TreeTest, GetNextItemAnswersEveryRelation)
{
    MakeTree(TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT);
    HTREEITEM r1 = Add(u"r1"), a = Add(u"a", r1), b = Add(u"b", r1), a1 = Add(u"a1", a), r2 = Add(u"r2");
    SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, (LPARAM)r1);
    SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, (LPARAM)b);
    SendMessageW(tree_, TVM_SELECTITEM, TVGN_DROPHILITE, (LPARAM)r2);
    struct {
        UINT code;
        HTREEITEM from;
        HTREEITEM want;
    } cases[] = {
        {TVGN_ROOT, nullptr, r1},        {TVGN_CHILD, TVI_ROOT, r1},     {TVGN_CHILD, r1, a},
        {TVGN_CHILD, b, nullptr},        {TVGN_NEXT, a, b},              {TVGN_NEXT, b, nullptr},
        {TVGN_PREVIOUS, b, a},           {TVGN_PREVIOUS, r1, nullptr},   {TVGN_PARENT, a1, a},
        {TVGN_PARENT, r1, nullptr},      {TVGN_FIRSTVISIBLE, nullptr, r1}, {TVGN_NEXTVISIBLE, r1, a},
        {TVGN_NEXTVISIBLE, a, b},        {TVGN_NEXTVISIBLE, b, r2},      {TVGN_NEXTVISIBLE, a1, nullptr},
        {TVGN_PREVIOUSVISIBLE, r2, b},   {TVGN_PREVIOUSVISIBLE, r1, nullptr}, {TVGN_LASTVISIBLE, nullptr, r2},
        {TVGN_CARET, nullptr, b},        {TVGN_DROPHILITE, nullptr, r2},
    };
    for (auto& c : cases)
        EXPECT_EQ(c.want, Next(c.code, c.from)) << "code " << c.code;
    EXPECT_EQ(TVIS_SELECTED, SendMessageW(tree_, TVM_GETITEMSTATE, (WPARAM)b, TVIS_SELECTED));
}

TEST_F(TreeTest, HitTestNamesEveryPartOfARow)
{
    MakeTree(TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_CHECKBOXES, {0, 0, 200, 100});
    HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32, 1, 0);
    ImageList_SetImageCount(images, 1);
    SendMessageW(tree_, TVM_SETIMAGELIST, TVSIL_NORMAL, (LPARAM)images);
    HTREEITEM parent = Add(u"parent"), child = Add(u"child", parent);
    (void)child;
    int indent = (int)SendMessageW(tree_, TVM_GETINDENT, 0, 0);
    int h = (int)SendMessageW(tree_, TVM_GETITEMHEIGHT, 0, 0);
    RECT label = LabelRect(parent);
    int y = h / 2;
    // Row 0 is "parent" at level 0 with root lines: button cell, state box, icon, label.
    struct {
        const char* name;
        POINT pt;
        UINT flags;
        bool onItem;
    } cases[] = {
        {"button", {indent / 2, y}, TVHT_ONITEMBUTTON, true},
        {"state_icon", {indent + 8, y}, TVHT_ONITEMSTATEICON, true},
        {"icon", {indent + 16 + 8, y}, TVHT_ONITEMICON, true},
        {"label", {(label.left + label.right) / 2, y}, TVHT_ONITEMLABEL, true},
        {"right", {label.right + 5, y}, TVHT_ONITEMRIGHT, true},
        {"below_last", {10, h * 3}, TVHT_NOWHERE, false},
        {"above", {10, -5}, TVHT_ABOVE, false},
        {"below", {10, 500}, TVHT_BELOW, false},
        {"left", {-3, y}, TVHT_TOLEFT, false},
        {"right_of_client", {900, y}, TVHT_TORIGHT, false},
        {"above_left", {-3, -3}, TVHT_ABOVE | TVHT_TOLEFT, false},
    };
    for (auto& c : cases) {
        HTREEITEM got;
        EXPECT_EQ(c.flags, Hit(c.pt, &got)) << c.name;
        EXPECT_EQ(c.onItem ? parent : nullptr, got) << c.name;
    }
    // A childless item has no button: its button cell is indent.
    SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, (LPARAM)parent);
    EXPECT_EQ((UINT)TVHT_ONITEMINDENT, Hit({indent + indent / 2, h + y}));
    EXPECT_EQ((UINT)TVHT_ONITEMINDENT, Hit({2, h + y}));
    ImageList_Destroy(images);
}

TEST_F(TreeTest, MouseSelectsExpandsAndReportsInOrder)
{
    MakeTree(TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT);
    HTREEITEM a = Add(u"alpha"), a1 = Add(u"one", a), b = Add(u"beta");
    int h = (int)SendMessageW(tree_, TVM_GETITEMHEIGHT, 0, 0);
    int indent = (int)SendMessageW(tree_, TVM_GETINDENT, 0, 0);
    TakeNotes();

    headless::Click(tree_, {indent / 2, h / 2});
    auto n = TakeNotes();
    ASSERT_GE(n.size(), 3u);
    auto first = Codes(n);
    EXPECT_EQ((std::vector<UINT>{TVN_ITEMEXPANDINGW, TVN_ITEMEXPANDEDW, NM_CLICK}),
              std::vector<UINT>(first.end() - 3, first.end()));
    EXPECT_EQ((UINT)TVE_EXPAND, n[n.size() - 3].action);
    EXPECT_EQ(a, n[n.size() - 3].newItem);
    EXPECT_EQ(a1, Next(TVGN_NEXTVISIBLE, a));

    RECT lb = LabelRect(b);
    headless::Click(tree_, {lb.left + 3, lb.top + 3});
    n = TakeNotes();
    EXPECT_EQ((std::vector<UINT>{TVN_SELCHANGINGW, TVN_SELCHANGEDW, NM_CLICK}), Codes(n));
    EXPECT_EQ((UINT)TVC_BYMOUSE, n[1].action);
    EXPECT_EQ(b, n[1].newItem);
    EXPECT_EQ(b, Next(TVGN_CARET));

    vetoSelection_ = true;
    RECT la = LabelRect(a);
    headless::Click(tree_, {la.left + 3, la.top + 3});
    EXPECT_EQ((std::vector<UINT>{TVN_SELCHANGINGW, NM_CLICK}), Codes(TakeNotes()));
    EXPECT_EQ(b, Next(TVGN_CARET)) << "a refused change keeps the selection";
    vetoSelection_ = false;

    headless::Click(tree_, {la.left + 3, la.top + 3}, VK_RBUTTON);
    EXPECT_EQ(std::vector<UINT>{NM_RCLICK}, Codes(TakeNotes()));
    headless::DoubleClick(tree_, {la.left + 3, la.top + 3});
    auto codes = Codes(TakeNotes());
    EXPECT_NE(codes.end(), std::find(codes.begin(), codes.end(), NM_DBLCLK));
    EXPECT_EQ(b, Next(TVGN_NEXTVISIBLE, a)) << "a double click on the label toggles the branch";
}

TEST_F(TreeTest, ExpandTellsTheParentOnlyTheFirstTimeUnlessTheUserAsks)
{
    MakeTree(TVS_HASBUTTONS);
    HTREEITEM a = Add(u"a");
    Add(u"a1", a);
    HTREEITEM leaf = Add(u"leaf");
    struct {
        UINT code;
        bool result;
        std::vector<UINT> notes;
    } steps[] = {
        {TVE_EXPAND, true, {TVN_ITEMEXPANDINGW, TVN_ITEMEXPANDEDW}},
        {TVE_COLLAPSE, true, {}},
        {TVE_TOGGLE, true, {}},
        {TVE_COLLAPSE | TVE_COLLAPSERESET, true, {TVN_DELETEITEMW}},
    };
    for (auto& s : steps) {
        TakeNotes();
        EXPECT_EQ(s.result, SendMessageW(tree_, TVM_EXPAND, s.code, (LPARAM)a) != 0) << s.code;
        EXPECT_EQ(s.notes, Codes(TakeNotes())) << s.code;
    }
    EXPECT_EQ(nullptr, Next(TVGN_CHILD, a)) << "collapse-reset removed the children";
    EXPECT_FALSE(SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, (LPARAM)leaf)) << "nothing to expand";

    // An item that says it has children is offered for filling even while it has none.
    TVITEMW it{};
    it.mask = TVIF_CHILDREN;
    it.hItem = leaf;
    it.cChildren = 1;
    SendMessageW(tree_, TVM_SETITEMW, 0, (LPARAM)&it);
    TakeNotes();
    EXPECT_TRUE(SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, (LPARAM)leaf));
    EXPECT_EQ((std::vector<UINT>{TVN_ITEMEXPANDINGW, TVN_ITEMEXPANDEDW}), Codes(TakeNotes()));
}

TEST_F(TreeTest, KeyboardMovesTheCaretAndOpensBranches)
{
    MakeTree(TVS_HASBUTTONS | TVS_LINESATROOT);
    HTREEITEM a = Add(u"a"), a1 = Add(u"a1", a), b = Add(u"b");
    SetFocus(tree_);
    SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, (LPARAM)a);
    struct {
        UINT vk;
        HTREEITEM caret;
        bool aExpanded;
    } steps[] = {
        {VK_DOWN, b, false}, {VK_UP, a, false},  {VK_RIGHT, a, true}, {VK_RIGHT, a1, true},
        {VK_LEFT, a, true},  {VK_LEFT, a, false}, {VK_END, b, false}, {VK_HOME, a, false},
    };
    for (auto& s : steps) {
        TakeNotes();
        headless::PressKey(s.vk);
        auto notes = TakeNotes();
        ASSERT_FALSE(notes.empty());
        EXPECT_EQ((UINT)TVN_KEYDOWN, notes[0].code) << "the parent hears the key first";
        EXPECT_EQ(s.caret, Next(TVGN_CARET)) << "vk " << s.vk;
        EXPECT_EQ(s.aExpanded, (SendMessageW(tree_, TVM_GETITEMSTATE, (WPARAM)a, TVIS_EXPANDED) != 0)) << "vk " << s.vk;
        for (auto& n : notes)
            if (n.code == TVN_SELCHANGEDW) {
                EXPECT_EQ((UINT)TVC_BYKEYBOARD, n.action);
            }
    }
    EXPECT_EQ(DLGC_WANTARROWS | DLGC_WANTCHARS, SendMessageW(tree_, WM_GETDLGCODE, 0, 0));
}

TEST_F(TreeTest, CheckBoxesToggleByClickAndSpaceThroughTheStateList)
{
    MakeTree(TVS_CHECKBOXES | TVS_HASLINES | TVS_LINESATROOT);
    HTREEITEM a = Add(u"a");
    int indent = (int)SendMessageW(tree_, TVM_GETINDENT, 0, 0);
    int h = (int)SendMessageW(tree_, TVM_GETITEMHEIGHT, 0, 0);
    EXPECT_EQ(1u, StateImage(a)) << "new items start unchecked";
    headless::Click(tree_, {indent + 8, h / 2});
    headless::PumpUntilIdle();
    EXPECT_EQ(2u, StateImage(a));
    EXPECT_EQ(nullptr, Next(TVGN_CARET)) << "a click on the box does not select";
    SetFocus(tree_);
    SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, (LPARAM)a);
    headless::PressKey(VK_SPACE);
    headless::PumpUntilIdle();
    EXPECT_EQ(1u, StateImage(a));

    // A list of the caller's with three states (image 0 unused) cycles through all three.
    HIMAGELIST custom = ImageList_Create(16, 16, ILC_COLOR32, 4, 0);
    ImageList_SetImageCount(custom, 4);
    SendMessageW(tree_, TVM_SETIMAGELIST, TVSIL_STATE, (LPARAM)custom);
    std::vector<UINT> seen;
    for (int k = 0; k < 3; ++k) {
        headless::PressKey(VK_SPACE);
        headless::PumpUntilIdle();
        seen.push_back(StateImage(a));
    }
    EXPECT_EQ((std::vector<UINT>{2, 3, 1}), seen);
    ImageList_Destroy(custom);
}

TEST_F(TreeTest, DeletionTellsChildrenFirstAndMovesTheSelection)
{
    MakeTree(0);
    HTREEITEM a = Add(u"a"), a1 = Add(u"a1", a), a2 = Add(u"a2", a), b = Add(u"b");
    SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, (LPARAM)a);
    SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, (LPARAM)a2);
    TakeNotes();
    SendMessageW(tree_, TVM_DELETEITEM, 0, (LPARAM)a);
    auto n = TakeNotes();
    ASSERT_EQ(5u, n.size());
    EXPECT_EQ((std::vector<HTREEITEM>{a1, a2, a}), (std::vector<HTREEITEM>{n[0].oldItem, n[1].oldItem, n[2].oldItem}));
    EXPECT_EQ((UINT)TVN_SELCHANGEDW, n[4].code);
    EXPECT_EQ(b, Next(TVGN_CARET)) << "the next sibling of the deleted branch";
    EXPECT_EQ(1, SendMessageW(tree_, TVM_GETCOUNT, 0, 0));
    DestroyWindow(tree_);
    EXPECT_EQ(std::vector<UINT>{TVN_DELETEITEMW}, Codes(TakeNotes())) << "destroying the tree frees every item";
}

TEST_F(TreeTest, ItemsAnswerGetAndSetIncludingCallbacks)
{
    MakeTree(0);
    HTREEITEM a = Add(u"a", TVI_ROOT, TVI_LAST, 42);
    TVITEMW it{};
    it.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    it.hItem = a;
    it.pszText = LPSTR_TEXTCALLBACKW;
    it.lParam = 3;
    it.state = TVIS_BOLD | INDEXTOSTATEIMAGEMASK(2);
    it.stateMask = TVIS_BOLD | TVIS_STATEIMAGEMASK;
    it.iImage = 4;
    it.iSelectedImage = 5;
    EXPECT_TRUE(SendMessageW(tree_, TVM_SETITEMW, 0, (LPARAM)&it));
    EXPECT_EQ(u"cb3", Text(a)) << "the parent supplies the text";
    TVITEMW got{};
    got.mask = TVIF_PARAM | TVIF_STATE | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
    got.hItem = a;
    got.stateMask = 0xFFFF;
    ASSERT_TRUE(SendMessageW(tree_, TVM_GETITEMW, 0, (LPARAM)&got));
    EXPECT_EQ(3, got.lParam);
    EXPECT_EQ((UINT)(TVIS_BOLD | INDEXTOSTATEIMAGEMASK(2)), got.state);
    EXPECT_EQ(4, got.iImage);
    EXPECT_EQ(5, got.iSelectedImage);
    EXPECT_EQ(0, got.cChildren);

    // A text longer than the caller's buffer is cut and terminated.
    HTREEITEM l = Add(u"abcdefgh");
    WCHAR small[4] = {u'x', u'x', u'x', u'x'};
    TVITEMW t4{};
    t4.mask = TVIF_TEXT;
    t4.hItem = l;
    t4.pszText = small;
    t4.cchTextMax = 4;
    ASSERT_TRUE(SendMessageW(tree_, TVM_GETITEMW, 0, (LPARAM)&t4));
    EXPECT_EQ(std::u16string(u"abc"), std::u16string(small));

    EXPECT_EQ(-1, SendMessageW(tree_, TVM_SETBKCOLOR, 0, RGB(1, 2, 3)));
    EXPECT_EQ(RGB(1, 2, 3), (COLORREF)SendMessageW(tree_, TVM_GETBKCOLOR, 0, 0));
    EXPECT_EQ(-1, SendMessageW(tree_, TVM_SETTEXTCOLOR, 0, RGB(4, 5, 6)));
    SendMessageW(tree_, TVM_SETINDENT, 30, 0);
    EXPECT_EQ(30, SendMessageW(tree_, TVM_GETINDENT, 0, 0));
    HFONT f = (HFONT)GetStockObject(SYSTEM_FONT);
    SendMessageW(tree_, WM_SETFONT, (WPARAM)f, FALSE);
    EXPECT_EQ((LRESULT)f, SendMessageW(tree_, WM_GETFONT, 0, 0));
}

TEST_F(TreeTest, ScrollingKeepsTheCaretInSight)
{
    MakeTree(TVS_HASBUTTONS, {0, 0, 200, 100});
    std::vector<HTREEITEM> items;
    for (int k = 0; k < 50; ++k)
        items.push_back(Add((u"item " + std::u16string(1, (char16_t)(u'A' + k % 26))).c_str()));
    int h = (int)SendMessageW(tree_, TVM_GETITEMHEIGHT, 0, 0);
    RECT client;
    GetClientRect(tree_, &client);
    int page = (int)SendMessageW(tree_, TVM_GETVISIBLECOUNT, 0, 0);
    EXPECT_EQ(client.bottom / h, page);

    SendMessageW(tree_, TVM_ENSUREVISIBLE, 0, (LPARAM)items[30]);
    EXPECT_EQ(items[30 - page + 1], Next(TVGN_FIRSTVISIBLE));
    SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, (LPARAM)items[2]);
    EXPECT_EQ(items[2], Next(TVGN_FIRSTVISIBLE));
    SendMessageW(tree_, WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(items[2 + page], Next(TVGN_FIRSTVISIBLE));
    SendMessageW(tree_, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(items[50 - page], Next(TVGN_FIRSTVISIBLE));
    RECT rc = LabelRect(items[49]);
    EXPECT_LE(rc.bottom, client.bottom) << "the last item shows fully at the bottom";
    EXPECT_EQ(items[49], [&] { HTREEITEM x; Hit({rc.left + 2, rc.top + 2}, &x); return x; }());
}

// A branch deeper than the tree is wide scrolls sideways: the bar appears, a selected deep item is brought into
// sight and hit where it is drawn; a tree that fits, or one made without horizontal scrolling, shows no bar.
TEST_F(TreeTest, ADeepBranchScrollsSidewaysToItsSelectedItem)
{
    for (DWORD noScroll : {0u, DWORD(TVS_NOHSCROLL)}) {
        SCOPED_TRACE(noScroll ? "TVS_NOHSCROLL" : "scrolling");
        if (tree_)
            DestroyWindow(tree_);
        MakeTree(TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | noScroll, {0, 0, 200, 160});
        const HTREEITEM top = Add(u"top");
        EXPECT_FALSE(GetWindowLongW(tree_, GWL_STYLE) & WS_HSCROLL) << "a tree that fits";
        HTREEITEM deepest = top;
        for (int k = 0; k < 30; ++k)
            deepest = Add(u"level", deepest);
        SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, (LPARAM)deepest);
        headless::PumpUntilIdle();
        RECT client, rc = LabelRect(deepest);
        GetClientRect(tree_, &client);
        if (noScroll) {
            EXPECT_FALSE(GetWindowLongW(tree_, GWL_STYLE) & WS_HSCROLL);
            EXPECT_GT(rc.left, client.right);
            continue;
        }
        EXPECT_TRUE(GetWindowLongW(tree_, GWL_STYLE) & WS_HSCROLL);
        EXPECT_GE(rc.left, 0);
        EXPECT_LE(rc.right, client.right);
        HTREEITEM hit = nullptr;
        EXPECT_EQ(Hit({rc.left + 2, rc.top + 2}, &hit), UINT(TVHT_ONITEMLABEL));
        EXPECT_EQ(hit, deepest);

        SendMessageW(tree_, WM_HSCROLL, SB_LEFT, 0);
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_ALL;
        ASSERT_TRUE(GetScrollInfo(tree_, SB_HORZ, &si));
        EXPECT_EQ(si.nPos, 0);
        EXPECT_GT(si.nMax + 1, int(si.nPage));
        EXPECT_LT(LabelRect(top).left, 40);
        EXPECT_GT(LabelRect(deepest).left, client.right);
        SendMessageW(tree_, WM_HSCROLL, SB_LINERIGHT, 0);
        EXPECT_EQ(GetScrollPos(tree_, SB_HORZ), int(SendMessageW(tree_, TVM_GETINDENT, 0, 0)));

        // Collapsed again, the tree fits and the bar goes.
        SendMessageW(tree_, TVM_EXPAND, TVE_COLLAPSE, (LPARAM)top);
        headless::PumpUntilIdle();
        EXPECT_FALSE(GetWindowLongW(tree_, GWL_STYLE) & WS_HSCROLL);
        EXPECT_LT(LabelRect(top).left, 40);
    }
}

TEST_F(TreeTest, CustomDrawStagesAndColoursReachThePicture)
{
    MakeTree(TVS_HASLINES, {0, 0, 200, 100});
    HTREEITEM a = Add(u"WWWW"), b = Add(u"WWWW");
    (void)a;
    customDraw_ = [&](NMTVCUSTOMDRAW* cd) -> LRESULT {
        if (cd->nmcd.dwDrawStage == CDDS_PREPAINT)
            return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
        if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT && (HTREEITEM)cd->nmcd.dwItemSpec == b) {
            cd->clrText = RGB(255, 0, 0);
            return CDRF_NOTIFYPOSTPAINT;
        }
        return CDRF_DODEFAULT;
    };
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 200, 100);
    HGDIOBJ old = SelectObject(mem, bmp);
    stages_.clear();
    SendMessageW(tree_, WM_PAINT, (WPARAM)mem, 0);
    EXPECT_EQ((std::vector<DWORD>{CDDS_PREPAINT, CDDS_ITEMPREPAINT, CDDS_ITEMPREPAINT, CDDS_ITEMPOSTPAINT,
                                  CDDS_POSTPAINT}),
              stages_);
    auto count = [&](RECT r, COLORREF c) {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                n += GetPixel(mem, x, y) == c;
        return n;
    };
    EXPECT_GT(count(LabelRect(b), RGB(255, 0, 0)), 10) << "the changed colour is drawn";
    EXPECT_EQ(0, count(LabelRect(a), RGB(255, 0, 0)));
    EXPECT_GT(count(LabelRect(a), GetSysColor(COLOR_WINDOWTEXT)), 10);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    EXPECT_TRUE(headless::SavePng(parent_, testing::TempDir() + "tree_custom_draw.png"));
}

TEST_F(TreeTest, DraggingAnItemIsOfferedToTheParentUnlessDisabled)
{
    for (DWORD style : {0ul, (unsigned long)TVS_DISABLEDRAGDROP}) {
        MakeTree(style);
        HTREEITEM a = Add(u"alpha");
        RECT la = LabelRect(a);
        POINT start{la.left + 3, la.top + 3};
        TakeNotes();
        headless::ButtonDown(tree_, start);
        headless::MouseMove(tree_, {start.x + 30, start.y + 40});
        headless::ButtonUp(tree_, {start.x + 30, start.y + 40});
        auto n = TakeNotes();
        auto codes = Codes(n);
        bool dragged = std::find(codes.begin(), codes.end(), TVN_BEGINDRAGW) != codes.end();
        bool clicked = std::find(codes.begin(), codes.end(), NM_CLICK) != codes.end();
        EXPECT_EQ(style == 0, dragged) << style;
        EXPECT_EQ(style != 0, clicked) << "a drag is not a click";
        if (dragged) {
            EXPECT_EQ(a, n[(size_t)(std::find(codes.begin(), codes.end(), TVN_BEGINDRAGW) - codes.begin())].newItem);
        }
        DestroyWindow(tree_);
    }
}

// A subclass that paints through an off-screen DC, as the program's folder tree does.
WNDPROC g_treeProc = nullptr;
int g_subclassPaints = 0;
LRESULT CALLBACK OffscreenPaint(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m != WM_PAINT)
        return CallWindowProcW(g_treeProc, h, m, w, l);
    ++g_subclassPaints;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bmp = CreateCompatibleBitmap(dc, 200, 160);
    HGDIOBJ old = SelectObject(mem, bmp);
    CallWindowProcW(g_treeProc, h, WM_PAINT, (WPARAM)mem, 0);
    BitBlt(dc, 0, 0, 200, 160, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    EndPaint(h, &ps);
    return 0;
}

TEST_F(TreeTest, ChangesRepaintASubclassThatPaintsOffscreen)
{
    MakeTree(TVS_HASLINES);
    g_treeProc = (WNDPROC)SetWindowLongPtrW(tree_, GWLP_WNDPROC, (LONG_PTR)OffscreenPaint);
    g_subclassPaints = 0;
    for (int round = 1; round <= 3; ++round) {
        Add(u"item");
        headless::PumpUntilIdle();
        EXPECT_EQ(round, g_subclassPaints) << "every change is painted";
    }
    SetWindowLongPtrW(tree_, GWLP_WNDPROC, (LONG_PTR)g_treeProc);
}

TEST_F(TreeTest, AParentChangingTheTreeWhileAskedForTextIsSafe)
{
    struct {
        const char* name;
        std::function<void(HWND)> change;
    } cases[] = {
        {"deletes_all", [](HWND tree) { SendMessageW(tree, TVM_DELETEITEM, 0, (LPARAM)TVI_ROOT); }},
        {"inserts_many",
         [](HWND tree) {
             TVINSERTSTRUCTW ins{};
             ins.hParent = TVI_ROOT;
             ins.hInsertAfter = TVI_FIRST;
             ins.item.mask = TVIF_TEXT;
             ins.item.pszText = const_cast<LPWSTR>(u"new");
             for (int k = 0; k < 200; ++k)
                 SendMessageW(tree, TVM_INSERTITEMW, 0, (LPARAM)&ins);
         }},
    };
    for (auto& c : cases) {
        MakeTree(TVS_HASBUTTONS | TVS_HASLINES);
        for (int k = 0; k < 5; ++k) {
            TVINSERTSTRUCTW ins{};
            ins.hParent = TVI_ROOT;
            ins.hInsertAfter = TVI_LAST;
            ins.item.mask = TVIF_TEXT | TVIF_CHILDREN;
            ins.item.pszText = LPSTR_TEXTCALLBACKW;
            ins.item.cChildren = I_CHILDRENCALLBACK;
            SendMessageW(tree_, TVM_INSERTITEMW, 0, (LPARAM)&ins);
        }
        bool once = true;
        onAsk_ = [&] {
            if (std::exchange(once, false))
                c.change(tree_);
        };
        UpdateWindow(tree_);
        headless::PumpUntilIdle();
        onAsk_ = nullptr;
        EXPECT_FALSE(once) << c.name;
        DestroyWindow(tree_);
    }
}

} // namespace
