// LISTBOX: item messages and their errors, selection by mouse and keyboard, owner-draw and scrolling.
#include "platform/controls/control_fixture.h"

using namespace ctltest;

namespace {

class ListBoxTest : public ControlTest {
protected:
    HWND MakeList(DWORD style, std::vector<std::u16string> items = {}, RECT rc = {10, 10, 160, 110})
    {
        HWND lb = Make(u"ListBox", u"", style, rc);
        for (auto& s : items)
            SendMessageW(lb, LB_ADDSTRING, 0, (LPARAM)s.c_str());
        return lb;
    }
    std::vector<std::u16string> Items(HWND lb)
    {
        std::vector<std::u16string> out;
        int n = (int)SendMessageW(lb, LB_GETCOUNT, 0, 0);
        for (int i = 0; i < n; ++i) {
            std::u16string s((size_t)SendMessageW(lb, LB_GETTEXTLEN, i, 0), u'\0');
            SendMessageW(lb, LB_GETTEXT, i, (LPARAM)s.data());
            out.push_back(s);
        }
        return out;
    }
    int ItemHeight(HWND lb) { return (int)SendMessageW(lb, LB_GETITEMHEIGHT, 0, 0); }
    POINT Middle(HWND lb, int i)
    {
        RECT rc{};
        SendMessageW(lb, LB_GETITEMRECT, i, (LPARAM)&rc);
        return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    }
};

TEST_F(ListBoxTest, SortedAndUnsortedInsertion)
{
    HWND sorted = MakeList(LBS_SORT | LBS_HASSTRINGS, {u"pear", u"Apple", u"banana", u"apple"});
    EXPECT_EQ((std::vector<std::u16string>{u"Apple", u"apple", u"banana", u"pear"}), Items(sorted));
    // Inserting at a position never sorts, even in a sorted list.
    EXPECT_EQ(1, SendMessageW(sorted, LB_INSERTSTRING, 1, (LPARAM)u"zz"));
    EXPECT_EQ(u"zz", Items(sorted)[1]);

    HWND plain = MakeList(0, {u"c", u"a"});
    EXPECT_EQ(2, SendMessageW(plain, LB_INSERTSTRING, (WPARAM)-1, (LPARAM)u"end"));
    EXPECT_EQ(0, SendMessageW(plain, LB_INSERTSTRING, 0, (LPARAM)u"first"));
    EXPECT_EQ((std::vector<std::u16string>{u"first", u"c", u"a", u"end"}), Items(plain));
}

TEST_F(ListBoxTest, MessagesAndTheirErrors)
{
    HWND lb = MakeList(0, {u"Alpha", u"beta", u"Bravo", u"alphabet"});
    WCHAR buf[32] = {};
    struct {
        const char* what;
        UINT msg;
        WPARAM w;
        LPARAM l;
        LRESULT expect;
    } cases[] = {
        {"prefix, any case", LB_FINDSTRING, (WPARAM)-1, (LPARAM)u"ALPHA", 0},
        {"prefix after a start, wrapping", LB_FINDSTRING, 3, (LPARAM)u"b", 1},
        {"prefix after a start", LB_FINDSTRING, 0, (LPARAM)u"alpha", 3},
        {"exact, any case", LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)u"BRAVO", 2},
        {"exact rejects a prefix", LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)u"bet", LB_ERR},
        {"text", LB_GETTEXT, 1, (LPARAM)buf, 4},
        {"text past the end", LB_GETTEXT, 4, (LPARAM)buf, LB_ERR},
        {"length past the end", LB_GETTEXTLEN, 9, 0, LB_ERR},
        {"data past the end", LB_GETITEMDATA, (WPARAM)-1, 0, LB_ERR},
        {"set data past the end", LB_SETITEMDATA, 4, 7, LB_ERR},
        {"insert past the end", LB_INSERTSTRING, 5, (LPARAM)u"x", LB_ERR},
        {"delete past the end", LB_DELETESTRING, 4, 0, LB_ERR},
        {"select past the end", LB_SETCURSEL, 4, 0, LB_ERR},
        {"no multiple selection", LB_GETSELCOUNT, 0, 0, LB_ERR},
        {"select by prefix", LB_SELECTSTRING, (WPARAM)-1, (LPARAM)u"br", 2},
        {"selected", LB_GETCURSEL, 0, 0, 2},
        {"selection state", LB_GETSEL, 2, 0, 1},
        {"clear the selection", LB_SETCURSEL, (WPARAM)-1, 0, LB_ERR},
        {"cleared", LB_GETCURSEL, 0, 0, LB_ERR},
        {"set data", LB_SETITEMDATA, 2, 0x1234, TRUE},
        {"delete returns what is left", LB_DELETESTRING, 0, 0, 3},
        {"data moved with its item", LB_GETITEMDATA, 1, 0, 0x1234},
        {"reset", LB_RESETCONTENT, 0, 0, LB_OKAY},
        {"empty", LB_GETCOUNT, 0, 0, 0},
        {"nothing to find", LB_FINDSTRING, (WPARAM)-1, (LPARAM)u"a", LB_ERR},
    };
    for (auto& c : cases)
        EXPECT_EQ(c.expect, SendMessageW(lb, c.msg, c.w, c.l)) << c.what;
    EXPECT_EQ(std::u16string(u"beta"), std::u16string(buf));
}

TEST_F(ListBoxTest, SelectionFollowsInsertAndDelete)
{
    HWND lb = MakeList(0, {u"a", u"b", u"c"});
    SendMessageW(lb, LB_SETCURSEL, 1, 0);
    SendMessageW(lb, LB_INSERTSTRING, 0, (LPARAM)u"new");
    EXPECT_EQ(2, SendMessageW(lb, LB_GETCURSEL, 0, 0));
    SendMessageW(lb, LB_DELETESTRING, 0, 0);
    EXPECT_EQ(1, SendMessageW(lb, LB_GETCURSEL, 0, 0));
    SendMessageW(lb, LB_DELETESTRING, 1, 0);
    EXPECT_EQ(LB_ERR, SendMessageW(lb, LB_GETCURSEL, 0, 0)) << "the selected item went away";
}

struct InputCase {
    const char* name;
    DWORD style;
    std::function<void(ListBoxTest*, HWND)> act;
    int sel;
    std::vector<UINT> codes; // after the focus notification
};

class ListBoxInput : public ListBoxTest, public ::testing::WithParamInterface<InputCase> {};

TEST_P(ListBoxInput, SelectsAndNotifies)
{
    const InputCase& c = GetParam();
    HWND lb = MakeList(c.style, {u"one", u"two", u"three", u"four", u"five", u"six", u"seven", u"eight", u"nine",
                                 u"ten", u"eleven"});
    SetFocus(lb);
    headless::PumpUntilIdle();
    SendMessageW(lb, LB_SETCURSEL, 1, 0);
    EXPECT_EQ((std::vector<Command>{{100, LBN_SETFOCUS}}), TakeCommands());
    c.act(this, lb);
    headless::PumpUntilIdle();
    EXPECT_EQ(c.sel, SendMessageW(lb, LB_GETCURSEL, 0, 0));
    std::vector<Command> want;
    for (UINT code : c.codes)
        want.push_back({100, code});
    EXPECT_EQ(want, TakeCommands());
    EXPECT_EQ(nullptr, GetCapture());
}

const auto kClickThird = [](ListBoxTest*, HWND lb) {
    RECT rc{};
    SendMessageW(lb, LB_GETITEMRECT, 2, (LPARAM)&rc);
    headless::Click(lb, {5, rc.top + 1});
};

INSTANTIATE_TEST_SUITE_P(
    ListBox, ListBoxInput,
    ::testing::Values(
        InputCase{"click", LBS_NOTIFY, kClickThird, 2, {LBN_SELCHANGE}},
        InputCase{"click_without_notify", 0, kClickThird, 2, {}},
        InputCase{"click_the_selected_item", LBS_NOTIFY,
                  [](ListBoxTest*, HWND lb) { headless::Click(lb, {5, 1 + (int)SendMessageW(lb, LB_GETITEMHEIGHT, 0, 0)}); },
                  1, {}},
        InputCase{"click_below_the_items", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                  [](ListBoxTest*, HWND lb) {
                      for (int i = 0; i < 9; ++i)
                          SendMessageW(lb, LB_DELETESTRING, 2, 0);
                      headless::Click(lb, {5, 90});
                  },
                  1, {}},
        InputCase{"double_click", LBS_NOTIFY,
                  [](ListBoxTest*, HWND lb) {
                      RECT rc{};
                      SendMessageW(lb, LB_GETITEMRECT, 3, (LPARAM)&rc);
                      headless::DoubleClick(lb, {5, rc.top + 1});
                  },
                  3, {LBN_SELCHANGE, LBN_DBLCLK}},
        InputCase{"drag_down", LBS_NOTIFY,
                  [](ListBoxTest*, HWND lb) {
                      headless::ButtonDown(lb, {5, 1});
                      RECT rc{};
                      SendMessageW(lb, LB_GETITEMRECT, 4, (LPARAM)&rc);
                      headless::MouseMove(lb, {5, rc.top + 1});
                      headless::ButtonUp(lb, {5, rc.top + 1});
                  },
                  4, {LBN_SELCHANGE}},
        InputCase{"arrow_down", LBS_NOTIFY, [](ListBoxTest*, HWND) { headless::PressKey(VK_DOWN); }, 2,
                  {LBN_SELCHANGE}},
        InputCase{"arrow_up_twice_stops_at_the_top", LBS_NOTIFY,
                  [](ListBoxTest*, HWND) {
                      headless::PressKey(VK_UP);
                      headless::PressKey(VK_UP);
                  },
                  0, {LBN_SELCHANGE}},
        InputCase{"end", LBS_NOTIFY, [](ListBoxTest*, HWND) { headless::PressKey(VK_END); }, 10, {LBN_SELCHANGE}},
        InputCase{"home_without_notify", 0, [](ListBoxTest*, HWND) { headless::PressKey(VK_HOME); }, 0, {}},
        InputCase{"typed_letter_finds_the_next_match", LBS_NOTIFY,
                  [](ListBoxTest*, HWND) { headless::TypeText(u"t"); }, 2, {LBN_SELCHANGE}},
        InputCase{"focus_leaves", 0,
                  [](ListBoxTest*, HWND) { SetFocus(nullptr); }, 1, {LBN_KILLFOCUS}}),
    [](const auto& i) { return std::string(i.param.name); });

TEST_F(ListBoxTest, KeyboardInputGoesToTheOwnerFirst)
{
    struct {
        LRESULT answer;
        int sel;
    } cases[] = {{-2, 1}, {-1, 2}, {5, 6}};
    for (auto& c : cases) {
        HWND lb = MakeList(LBS_WANTKEYBOARDINPUT, {u"a", u"b", u"c", u"d", u"e", u"f", u"g"});
        SendMessageW(lb, LB_SETCURSEL, 1, 0);
        std::vector<WPARAM> asked;
        parentHook_ = [&](UINT m, WPARAM w, LPARAM, LRESULT* r) {
            if (m != WM_VKEYTOITEM)
                return false;
            asked.push_back(w);
            *r = c.answer;
            return true;
        };
        SetFocus(lb);
        headless::PressKey(VK_DOWN);
        headless::PumpUntilIdle();
        EXPECT_EQ((std::vector<WPARAM>{MAKEWPARAM(VK_DOWN, 1)}), asked) << c.answer;
        EXPECT_EQ(c.sel, SendMessageW(lb, LB_GETCURSEL, 0, 0)) << c.answer;
        parentHook_ = nullptr;
        DestroyWindow(lb);
    }
}

TEST_F(ListBoxTest, ItemFromPointAndScrolling)
{
    HWND lb = MakeList(WS_VSCROLL | LBS_NOINTEGRALHEIGHT, {}, {10, 10, 160, 110});
    for (int i = 0; i < 30; ++i) {
        std::u16string s = u"item" + std::u16string(1, (char16_t)(u'A' + i));
        SendMessageW(lb, LB_ADDSTRING, 0, (LPARAM)s.c_str());
    }
    int h = ItemHeight(lb);
    ASSERT_GT(h, 0);
    RECT client;
    GetClientRect(lb, &client);
    int perPage = client.bottom / h;
    EXPECT_EQ(MAKELONG(2, 0), SendMessageW(lb, LB_ITEMFROMPOINT, 0, MAKELPARAM(3, 2 * h + 1)));
    EXPECT_EQ(1, HIWORD(SendMessageW(lb, LB_ITEMFROMPOINT, 0, MAKELPARAM(3, client.bottom + 5)))) << "outside";

    // Selecting an item below the page scrolls it into view at the bottom.
    SendMessageW(lb, LB_SETCURSEL, 20, 0);
    EXPECT_EQ(20 - perPage + 1, SendMessageW(lb, LB_GETTOPINDEX, 0, 0));
    RECT rc{};
    SendMessageW(lb, LB_GETITEMRECT, 20, (LPARAM)&rc);
    EXPECT_LE(rc.bottom, client.bottom);
    // The top index stops where the last item shows at the bottom.
    EXPECT_EQ(LB_OKAY, SendMessageW(lb, LB_SETTOPINDEX, 29, 0));
    EXPECT_EQ(30 - perPage, SendMessageW(lb, LB_GETTOPINDEX, 0, 0));
    EXPECT_EQ(LB_ERR, SendMessageW(lb, LB_SETTOPINDEX, 30, 0));
    SCROLLINFO si{sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
    ASSERT_TRUE(GetScrollInfo(lb, SB_VERT, &si));
    EXPECT_EQ(29, si.nMax);
    EXPECT_EQ((UINT)perPage, si.nPage);
    EXPECT_EQ(30 - perPage, si.nPos);
    SendMessageW(lb, WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(0, SendMessageW(lb, LB_GETTOPINDEX, 0, 0));
    SendMessageW(lb, LB_SETCURSEL, 20, 0);
    EXPECT_EQ(20 - perPage + 1, SendMessageW(lb, LB_GETTOPINDEX, 0, 0)) << "selecting it again brings it back";
    SendMessageW(lb, WM_VSCROLL, SB_TOP, 0);
    SendMessageW(lb, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(1, SendMessageW(lb, LB_GETTOPINDEX, 0, 0));
    SetFocus(lb); // the wheel turns the focused window
    headless::Wheel(lb, {5, 5}, -WHEEL_DELTA);
    headless::PumpUntilIdle();
    EXPECT_EQ(4, SendMessageW(lb, LB_GETTOPINDEX, 0, 0));
}

TEST_F(ListBoxTest, HeightIsWholeItemsUnlessAskedOtherwise)
{
    for (DWORD extra : {0ul, (unsigned long)LBS_NOINTEGRALHEIGHT}) {
        HWND lb = MakeList(WS_BORDER | extra, {}, {0, 0, 100, 103});
        RECT client;
        GetClientRect(lb, &client);
        int h = ItemHeight(lb);
        if (extra)
            EXPECT_EQ(101, client.bottom);
        else
            EXPECT_EQ(0, client.bottom % h) << client.bottom;
        DestroyWindow(lb);
    }
}

// The owner's side of owner-drawn lists: measures, draws, orders and frees items by their data.
class OwnerDrawn : public ListBoxTest {
protected:
    void SetUp() override
    {
        ListBoxTest::SetUp();
        parentHook_ = [this](UINT m, WPARAM, LPARAM l, LRESULT* r) {
            if (m == WM_MEASUREITEM) {
                auto* mi = (MEASUREITEMSTRUCT*)l;
                measured.push_back(mi->itemID);
                mi->itemHeight = mi->itemData ? (UINT)(10 + mi->itemData) : 20;
                *r = TRUE;
                return true;
            }
            if (m == WM_COMPAREITEM) {
                auto* ci = (COMPAREITEMSTRUCT*)l;
                *r = ci->itemData1 < ci->itemData2 ? -1 : ci->itemData1 > ci->itemData2 ? 1 : 0;
                return true;
            }
            if (m == WM_DELETEITEM) {
                deleted.push_back(((DELETEITEMSTRUCT*)l)->itemData);
                *r = TRUE;
                return true;
            }
            return false;
        };
    }
    std::vector<UINT> measured;
    std::vector<ULONG_PTR> deleted;
};

TEST_F(OwnerDrawn, FixedHeightComesFromTheOwnerOnce)
{
    HWND lb = MakeList(LBS_OWNERDRAWFIXED | LBS_HASSTRINGS, {u"a", u"b"});
    EXPECT_EQ(std::vector<UINT>{0}, measured);
    EXPECT_EQ(20, ItemHeight(lb));
    SendMessageW(lb, LB_SETCURSEL, 1, 0);
    SetFocus(lb);
    drawItems_.clear();
    SendMessageW(lb, WM_PRINTCLIENT, (WPARAM)GetDC(lb), 0);
    ASSERT_EQ(2u, drawItems_.size());
    const DRAWITEMSTRUCT& d = drawItems_[1];
    EXPECT_EQ((UINT)ODT_LISTBOX, d.CtlType);
    EXPECT_EQ(1u, d.itemID);
    EXPECT_EQ((UINT)ODA_DRAWENTIRE, d.itemAction);
    EXPECT_EQ((UINT)(ODS_SELECTED | ODS_FOCUS), d.itemState);
    EXPECT_EQ(20, d.rcItem.top);
    EXPECT_EQ(40, d.rcItem.bottom);
    EXPECT_EQ(0u, drawItems_[0].itemState);
    EXPECT_EQ(LB_ERR, SendMessageW(lb, LB_SETITEMHEIGHT, 0, 256));
    EXPECT_EQ(LB_OKAY, SendMessageW(lb, LB_SETITEMHEIGHT, 0, 18));
    EXPECT_EQ(MAKELONG(1, 0), SendMessageW(lb, LB_ITEMFROMPOINT, 0, MAKELPARAM(3, 20)));
}

TEST_F(OwnerDrawn, VariableHeightsSortingAndDeletionByData)
{
    HWND lb = MakeList(LBS_OWNERDRAWVARIABLE | LBS_SORT | LBS_NOINTEGRALHEIGHT);
    for (ULONG_PTR v : {30, 10, 20})
        SendMessageW(lb, LB_ADDSTRING, 0, (LPARAM)v);
    EXPECT_EQ(3u, measured.size());
    ULONG_PTR order[3];
    for (int i = 0; i < 3; ++i)
        order[i] = (ULONG_PTR)SendMessageW(lb, LB_GETITEMDATA, i, 0);
    EXPECT_EQ((std::vector<ULONG_PTR>{10, 20, 30}), std::vector<ULONG_PTR>(order, order + 3));
    RECT rc{};
    SendMessageW(lb, LB_GETITEMRECT, 2, (LPARAM)&rc);
    EXPECT_EQ(20 + 30, rc.top) << "heights 20 and 30 above";
    EXPECT_EQ(50 + 40, rc.bottom);
    EXPECT_EQ(MAKELONG(1, 0), SendMessageW(lb, LB_ITEMFROMPOINT, 0, MAKELPARAM(1, 49)));
    ULONG_PTR got = 0;
    EXPECT_EQ((LRESULT)sizeof got, SendMessageW(lb, LB_GETTEXT, 1, (LPARAM)&got));
    EXPECT_EQ(20u, got) << "a list without strings hands back the data";
    EXPECT_EQ(2, SendMessageW(lb, LB_FINDSTRING, (WPARAM)-1, 30)) << "found by data";
    SendMessageW(lb, LB_DELETESTRING, 0, 0);
    EXPECT_EQ(std::vector<ULONG_PTR>{10}, deleted);
    DestroyWindow(lb);
    EXPECT_EQ((std::vector<ULONG_PTR>{10, 20, 30}), deleted) << "the rest when the list goes";
}

// A check list is an owner-drawn list whose owner toggles a mark on clicks in the item's left part.
TEST_F(OwnerDrawn, CheckListByItemRectAndData)
{
    HWND lb = MakeList(LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY, {u"bar one", u"bar two"});
    static WNDPROC s_base;
    s_base = (WNDPROC)GetWindowLongPtrW(lb, GWLP_WNDPROC);
    SetWindowLongPtrW(lb, GWLP_WNDPROC, (LONG_PTR)+[](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_LBUTTONDOWN) {
            LRESULT hit = CallWindowProcW(s_base, h, LB_ITEMFROMPOINT, 0, l);
            RECT rc{};
            if (!HIWORD(hit) && CallWindowProcW(s_base, h, LB_GETITEMRECT, LOWORD(hit), (LPARAM)&rc) != LB_ERR &&
                (short)LOWORD(l) < rc.left + 16) {
                LRESULT data = CallWindowProcW(s_base, h, LB_GETITEMDATA, LOWORD(hit), 0);
                CallWindowProcW(s_base, h, LB_SETITEMDATA, LOWORD(hit), !data);
            }
        }
        return CallWindowProcW(s_base, h, m, w, l);
    });
    headless::Click(lb, {4, 25});
    headless::Click(lb, {60, 5});
    headless::PumpUntilIdle();
    EXPECT_EQ(0, SendMessageW(lb, LB_GETITEMDATA, 0, 0)) << "a click on the label only selects";
    EXPECT_EQ(1, SendMessageW(lb, LB_GETITEMDATA, 1, 0));
    EXPECT_EQ(0, SendMessageW(lb, LB_GETCURSEL, 0, 0));
}

TEST_F(ListBoxTest, PaintsTheSelectionInHighlightColours)
{
    HWND lb = MakeList(LBS_NOINTEGRALHEIGHT, {u"a", u"b"}, {0, 0, 60, 40});
    SendMessageW(lb, LB_SETCURSEL, 1, 0);
    int h = ItemHeight(lb);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 60, 40);
    HGDIOBJ old = SelectObject(mem, bmp);
    SendMessageW(lb, WM_PRINTCLIENT, (WPARAM)mem, 0);
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), GetPixel(mem, 50, 1));
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), GetPixel(mem, 50, h + 1));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), GetPixel(mem, 50, 2 * h + 1));
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
}

} // namespace
