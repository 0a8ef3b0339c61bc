// COMBOBOX: item messages, the drop-down list by mouse and keyboard, the edit, owner-draw and dialog init data.
#include "platform/controls/control_fixture.h"

#include <cstring>

using namespace ctltest;

namespace {

class ComboTest : public ControlTest {
public:
    HWND MakeCombo(DWORD style, std::vector<std::u16string> items = {}, int id = 100)
    {
        HWND cb = Make(u"ComboBox", u"", style | WS_TABSTOP, {10, 10, 160, 210}, id);
        for (auto& s : items)
            SendMessageW(cb, CB_ADDSTRING, 0, (LPARAM)s.c_str());
        return cb;
    }
    // The drop-down list window of a combo box, found as the visible list popup.
    HWND DroppedList()
    {
        headless::Query q;
        q.className = u"ComboLBox";
        q.visibleOnly = true;
        return headless::FindOne(q);
    }
    HWND EditOf(HWND cb) { return GetDlgItem(cb, 1001); }
    std::u16string Text(HWND h)
    {
        WCHAR buf[64] = {};
        GetWindowTextW(h, buf, 64);
        return buf;
    }
    std::vector<UINT> Codes()
    {
        std::vector<UINT> out;
        for (auto& c : TakeCommands())
            out.push_back(c.code);
        return out;
    }
};

TEST_F(ComboTest, MessagesAndTheirErrors)
{
    HWND cb = MakeCombo(CBS_DROPDOWNLIST | CBS_SORT | CBS_HASSTRINGS, {u"30", u"100", u"2", u"Beta"});
    WCHAR buf[16] = {};
    struct {
        const char* what;
        UINT msg;
        WPARAM w;
        LPARAM l;
        LRESULT expect;
    } cases[] = {
        {"count", CB_GETCOUNT, 0, 0, 4},
        {"sorted as text", CB_GETLBTEXT, 0, (LPARAM)buf, 3},
        {"length", CB_GETLBTEXTLEN, 3, 0, 4},
        {"length past the end", CB_GETLBTEXTLEN, 4, 0, CB_ERR},
        {"nothing selected", CB_GETCURSEL, 0, 0, CB_ERR},
        {"prefix", CB_FINDSTRING, (WPARAM)-1, (LPARAM)u"be", 3},
        {"exact", CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)u"3", CB_ERR},
        {"select by prefix", CB_SELECTSTRING, (WPARAM)-1, (LPARAM)u"3", 2},
        {"selected", CB_GETCURSEL, 0, 0, 2},
        {"select past the end", CB_SETCURSEL, 9, 0, CB_ERR},
        {"select", CB_SETCURSEL, 1, 0, 1},
        {"insert", CB_INSERTSTRING, 0, (LPARAM)u"zz", 0},
        {"selection moved with its item", CB_GETCURSEL, 0, 0, 2},
        {"data", CB_SETITEMDATA, 2, 77, TRUE},
        {"data read back", CB_GETITEMDATA, 2, 0, 77},
        {"data past the end", CB_GETITEMDATA, 5, 0, CB_ERR},
        {"delete", CB_DELETESTRING, 0, 0, 4},
        {"delete past the end", CB_DELETESTRING, 4, 0, CB_ERR},
        {"no edit selection", CB_GETEDITSEL, 0, 0, CB_ERR},
        {"closed", CB_GETDROPPEDSTATE, 0, 0, FALSE},
    };
    for (auto& c : cases)
        EXPECT_EQ(c.expect, SendMessageW(cb, c.msg, c.w, c.l)) << c.what;
    EXPECT_EQ(std::u16string(u"100"), std::u16string(buf));
    EXPECT_EQ(u"2", Text(cb)) << "the window text is the selected item";
    SetWindowTextW(cb, u"beta");
    EXPECT_EQ(3, SendMessageW(cb, CB_GETCURSEL, 0, 0));
    EXPECT_EQ(CB_OKAY, SendMessageW(cb, CB_RESETCONTENT, 0, 0));
    EXPECT_EQ(0, GetWindowTextLengthW(cb));
    EXPECT_TRUE(TakeCommands().empty()) << "programmatic changes are not notified";
}

TEST_F(ComboTest, TheWindowIsTheFieldAndTheRestIsTheList)
{
    HWND cb = MakeCombo(CBS_DROPDOWNLIST, {u"a", u"b", u"c"});
    RECT wr;
    GetWindowRect(cb, &wr);
    int field = (int)SendMessageW(cb, CB_GETITEMHEIGHT, (WPARAM)-1, 0);
    EXPECT_EQ(field + 6, wr.bottom - wr.top);
    EXPECT_LT(wr.bottom - wr.top, 40);
    SendMessageW(cb, CB_SHOWDROPDOWN, TRUE, 0);
    HWND list = DroppedList();
    ASSERT_NE(nullptr, list);
    RECT lr;
    GetWindowRect(list, &lr);
    EXPECT_EQ(wr.bottom, lr.top);
    EXPECT_EQ(wr.left, lr.left);
    EXPECT_EQ(3 * SendMessageW(cb, CB_GETITEMHEIGHT, 0, 0) + 2, lr.bottom - lr.top) << "a short list fits its items";
    EXPECT_EQ(TRUE, SendMessageW(cb, CB_GETDROPPEDSTATE, 0, 0));
    SendMessageW(cb, CB_SHOWDROPDOWN, FALSE, 0);
    EXPECT_FALSE(IsWindowVisible(list));
    EXPECT_EQ((std::vector<UINT>{CBN_DROPDOWN, CBN_CLOSEUP}), Codes());
}

// Moving a combo box with a height sizes the field and its list together, as creating it does.
TEST_F(ComboTest, AHeightGivenLaterIsTheListsRoom)
{
    HWND cb = MakeCombo(CBS_DROPDOWNLIST | WS_VSCROLL, {u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8", u"9", u"10"});
    const int item = (int)SendMessageW(cb, CB_GETITEMHEIGHT, 0, 0);
    const int field = (int)SendMessageW(cb, CB_GETITEMHEIGHT, (WPARAM)-1, 0) + 6;
    const int given = field + 4 * item + 2;
    MoveWindow(cb, 20, 30, 120, given, TRUE);
    RECT wr;
    GetWindowRect(cb, &wr);
    EXPECT_EQ(field, wr.bottom - wr.top) << "the field does not grow over the controls below it";
    EXPECT_EQ(120, wr.right - wr.left);
    RECT cr;
    GetClientRect(cb, &cr);
    EXPECT_EQ(120, cr.right) << "the scroll bar asked for is the list's, not the field's";
    SendMessageW(cb, CB_SHOWDROPDOWN, TRUE, 0);
    HWND list = DroppedList();
    ASSERT_NE(nullptr, list);
    RECT lr;
    GetWindowRect(list, &lr);
    EXPECT_EQ(given - field, lr.bottom - lr.top) << "the rest of the height is the list's";
    SendMessageW(cb, CB_SHOWDROPDOWN, FALSE, 0);
}

TEST_F(ComboTest, EditStyleKeepsTheEditInStep)
{
    HWND cb = MakeCombo(CBS_DROPDOWN | CBS_AUTOHSCROLL, {u"alpha", u"beta"});
    HWND edit = EditOf(cb);
    ASSERT_NE(nullptr, edit);
    SendMessageW(cb, CB_SETCURSEL, 1, 0);
    EXPECT_EQ(u"beta", Text(edit));
    EXPECT_EQ(u"beta", Text(cb));
    SendMessageW(cb, CB_SETEDITSEL, 0, MAKELPARAM(1, 3));
    DWORD s = 0, e = 0;
    EXPECT_EQ(MAKELONG(1, 3), SendMessageW(cb, CB_GETEDITSEL, (WPARAM)&s, (LPARAM)&e));
    EXPECT_EQ(1u, s);
    EXPECT_EQ(3u, e);
    SendMessageW(cb, CB_LIMITTEXT, 5, 0);
    EXPECT_EQ(5, SendMessageW(edit, EM_GETLIMITTEXT, 0, 0));
    SetWindowTextW(cb, u"free text");
    EXPECT_EQ(u"free text", Text(edit));
    EXPECT_TRUE(TakeCommands().empty());
}

struct InputCase {
    const char* name;
    DWORD style;
    std::function<void(ComboTest*, HWND)> act;
    int sel;
    std::vector<UINT> codes; // after the focus notification
};

class ComboInput : public ComboTest, public ::testing::WithParamInterface<InputCase> {};

TEST_P(ComboInput, SelectsAndNotifies)
{
    const InputCase& c = GetParam();
    HWND cb = MakeCombo(c.style, {u"one", u"two", u"three", u"four", u"five"});
    SendMessageW(cb, CB_SETCURSEL, 1, 0);
    SetFocus(cb);
    headless::PumpUntilIdle();
    EXPECT_EQ(std::vector<UINT>{CBN_SETFOCUS}, Codes());
    c.act(this, cb);
    headless::PumpUntilIdle();
    EXPECT_EQ(c.sel, SendMessageW(cb, CB_GETCURSEL, 0, 0));
    EXPECT_EQ(c.codes, Codes());
    EXPECT_EQ(FALSE, SendMessageW(cb, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(nullptr, DroppedList());
    EXPECT_EQ(nullptr, GetCapture());
}

void ClickItem(ComboTest* t, HWND list, int i)
{
    RECT rc{};
    SendMessageW(list, LB_GETITEMRECT, (WPARAM)i, (LPARAM)&rc);
    headless::Click(list, {rc.left + 5, rc.top + 2});
}

INSTANTIATE_TEST_SUITE_P(
    Combo, ComboInput,
    ::testing::Values(
        InputCase{"arrow_down_closed", CBS_DROPDOWNLIST, [](ComboTest*, HWND) { headless::PressKey(VK_DOWN); }, 2,
                  {CBN_SELCHANGE}},
        InputCase{"typed_letter", CBS_DROPDOWNLIST, [](ComboTest*, HWND) { headless::TypeText(u"f"); }, 3,
                  {CBN_SELCHANGE}},
        InputCase{"f4_arrows_enter", CBS_DROPDOWNLIST,
                  [](ComboTest*, HWND) {
                      headless::PressKey(VK_F4);
                      headless::PressKey(VK_DOWN);
                      headless::PressKey(VK_DOWN);
                      headless::PressKey(VK_RETURN);
                  },
                  3, {CBN_DROPDOWN, CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE}},
        InputCase{"alt_down_arrow_escape", CBS_DROPDOWNLIST,
                  [](ComboTest*, HWND) {
                      headless::PressKey(VK_DOWN, {VK_MENU});
                      headless::PressKey(VK_DOWN);
                      headless::PressKey(VK_ESCAPE);
                  },
                  1, {CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}},
        InputCase{"click_field_then_item", CBS_DROPDOWNLIST,
                  [](ComboTest* t, HWND cb) {
                      headless::Click(cb, {20, 8});
                      headless::PumpUntilIdle();
                      HWND list = t->DroppedList();
                      ASSERT_NE(nullptr, list) << "the release of the opening click keeps it open";
                      ClickItem(t, list, 4);
                  },
                  4, {CBN_DROPDOWN, CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE}},
        InputCase{"press_field_drag_to_item_release", CBS_DROPDOWNLIST,
                  [](ComboTest* t, HWND cb) {
                      headless::ButtonDown(cb, {20, 8});
                      headless::PumpUntilIdle();
                      HWND list = t->DroppedList();
                      ASSERT_NE(nullptr, list);
                      RECT rc{};
                      SendMessageW(list, LB_GETITEMRECT, 0, (LPARAM)&rc);
                      headless::MouseMove(list, {5, rc.top + 2});
                      headless::ButtonUp(list, {5, rc.top + 2});
                  },
                  0, {CBN_DROPDOWN, CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE}},
        InputCase{"open_then_click_outside", CBS_DROPDOWNLIST,
                  [](ComboTest* t, HWND cb) {
                      headless::Click(cb, {20, 8});
                      headless::PumpUntilIdle();
                      HWND list = t->DroppedList();
                      ASSERT_NE(nullptr, list);
                      RECT rc{};
                      SendMessageW(list, LB_GETITEMRECT, 3, (LPARAM)&rc);
                      headless::MouseMove(list, {5, rc.top + 2}); // the hover highlight does not count
                      headless::Click(GetParent(cb), {390, 290});
                  },
                  1, {CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}},
        InputCase{"edit_arrow_down", CBS_DROPDOWN, [](ComboTest*, HWND) { headless::PressKey(VK_DOWN); }, 2,
                  {CBN_SELCHANGE}},
        InputCase{"edit_typing", CBS_DROPDOWN, [](ComboTest*, HWND) { headless::TypeText(u"x"); }, 1,
                  {CBN_EDITUPDATE, CBN_EDITCHANGE}},
        InputCase{"edit_button_click_and_item", CBS_DROPDOWN,
                  [](ComboTest* t, HWND cb) {
                      RECT rc;
                      GetClientRect(cb, &rc);
                      headless::Click(cb, {rc.right - 5, rc.bottom / 2});
                      headless::PumpUntilIdle();
                      HWND list = t->DroppedList();
                      ASSERT_NE(nullptr, list);
                      ClickItem(t, list, 0);
                  },
                  0, {CBN_DROPDOWN, CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE}},
        InputCase{"focus_leaves_while_open", CBS_DROPDOWNLIST,
                  [](ComboTest*, HWND) {
                      headless::PressKey(VK_F4);
                      headless::PumpUntilIdle();
                      SetFocus(nullptr);
                  },
                  1, {CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP, CBN_KILLFOCUS}}),
    [](const auto& i) { return std::string(i.param.name); });

// In a dialog, Enter and Escape close an open list instead of reaching the default and cancel buttons.
TEST_F(ComboTest, DialogKeysCloseAnOpenListFirst)
{
    struct {
        const char* name;
        DWORD style;
        UINT key;
        bool open;
        std::vector<Command> expect;
    } cases[] = {
        {"enter_open", CBS_DROPDOWNLIST, VK_RETURN, true, {{100, CBN_SELENDOK}, {100, CBN_CLOSEUP}}},
        {"escape_open", CBS_DROPDOWN, VK_ESCAPE, true, {{100, CBN_SELENDCANCEL}, {100, CBN_CLOSEUP}}},
        {"enter_closed", CBS_DROPDOWNLIST, VK_RETURN, false, {{IDOK, BN_CLICKED}}},
        {"escape_closed", CBS_DROPDOWN, VK_ESCAPE, false, {{IDCANCEL, BN_CLICKED}}},
    };
    for (auto& c : cases) {
        HWND cb = MakeCombo(c.style, {u"a", u"b"});
        SetFocus(cb);
        if (c.open)
            SendMessageW(cb, CB_SHOWDROPDOWN, TRUE, 0);
        TakeCommands();
        headless::PressKey(c.key);
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
            if (!IsDialogMessageW(parent_, &m)) {
                TranslateMessage(&m);
                DispatchMessageW(&m);
            }
        EXPECT_EQ(c.expect, TakeCommands()) << c.name;
        EXPECT_EQ(FALSE, SendMessageW(cb, CB_GETDROPPEDSTATE, 0, 0)) << c.name;
        DestroyWindow(cb);
        TakeCommands();
    }
}

TEST_F(ComboTest, TheParentColoursTheEditAndTheList)
{
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    std::vector<std::pair<UINT, HWND>> asked;
    parentHook_ = [&](UINT m, WPARAM, LPARAM l, LRESULT* r) {
        if (m != WM_CTLCOLOREDIT && m != WM_CTLCOLORLISTBOX)
            return false;
        asked.push_back({m, (HWND)l});
        *r = (LRESULT)red;
        return true;
    };
    HWND cb = MakeCombo(CBS_DROPDOWN, {u"a"});
    SendMessageW(cb, CB_SHOWDROPDOWN, TRUE, 0);
    HWND list = DroppedList();
    ASSERT_NE(nullptr, list);
    asked.clear();
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 150, 100);
    HGDIOBJ old = SelectObject(mem, bmp);
    SendMessageW(EditOf(cb), WM_PRINTCLIENT, (WPARAM)mem, 0);
    SendMessageW(list, WM_PRINTCLIENT, (WPARAM)mem, 0);
    RECT lc;
    GetClientRect(list, &lc);
    EXPECT_EQ(RGB(255, 0, 0), GetPixel(mem, lc.right - 2, lc.bottom - 2)) << "the list's background";
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ((std::vector<std::pair<UINT, HWND>>{{WM_CTLCOLOREDIT, EditOf(cb)}, {WM_CTLCOLORLISTBOX, list}}), asked);
    SendMessageW(cb, CB_SHOWDROPDOWN, FALSE, 0);
    parentHook_ = nullptr;
    DeleteObject(red);
}

TEST_F(ComboTest, EditShowsTheChosenItem)
{
    HWND cb = MakeCombo(CBS_DROPDOWN, {u"one", u"two"});
    SetFocus(cb);
    headless::PressKey(VK_DOWN);
    headless::PumpUntilIdle();
    EXPECT_EQ(u"one", Text(EditOf(cb)));
    EXPECT_EQ(EditOf(cb), GetFocus()) << "the edit holds the focus of the combo box";
}

// Owner-drawn combo boxes: the owner measures, draws and frees items as the combo box's own.
TEST_F(ComboTest, OwnerDrawReachesTheParentAsTheComboBox)
{
    std::vector<MEASUREITEMSTRUCT> measured;
    std::vector<DELETEITEMSTRUCT> deleted;
    parentHook_ = [&](UINT m, WPARAM, LPARAM l, LRESULT* r) {
        if (m == WM_MEASUREITEM) {
            auto* mi = (MEASUREITEMSTRUCT*)l;
            measured.push_back(*mi);
            mi->itemHeight = mi->itemID == (UINT)-1 ? 24 : 18;
            *r = TRUE;
            return true;
        }
        if (m == WM_DELETEITEM) {
            deleted.push_back(*(DELETEITEMSTRUCT*)l);
            *r = TRUE;
            return true;
        }
        return false;
    };
    HWND cb = MakeCombo(CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS, {u"a", u"b"}, 55);
    ASSERT_EQ(2u, measured.size());
    for (auto& m : measured) {
        EXPECT_EQ((UINT)ODT_COMBOBOX, m.CtlType);
        EXPECT_EQ(55u, m.CtlID);
    }
    EXPECT_EQ((UINT)-1, measured[0].itemID) << "the field first";
    EXPECT_EQ(24, SendMessageW(cb, CB_GETITEMHEIGHT, (WPARAM)-1, 0));
    EXPECT_EQ(18, SendMessageW(cb, CB_GETITEMHEIGHT, 0, 0));

    SendMessageW(cb, CB_SETCURSEL, 1, 0);
    SendMessageW(cb, CB_SETITEMDATA, 1, 0xAB);
    drawItems_.clear();
    SendMessageW(cb, WM_PRINTCLIENT, (WPARAM)GetDC(cb), 0);
    ASSERT_EQ(1u, drawItems_.size());
    EXPECT_EQ(1u, drawItems_[0].itemID);
    EXPECT_EQ(0xABu, drawItems_[0].itemData);
    EXPECT_TRUE(drawItems_[0].itemState & ODS_COMBOBOXEDIT);
    EXPECT_EQ(cb, drawItems_[0].hwndItem);

    SendMessageW(cb, CB_SHOWDROPDOWN, TRUE, 0);
    HWND list = DroppedList();
    ASSERT_NE(nullptr, list);
    drawItems_.clear();
    SendMessageW(list, WM_PRINTCLIENT, (WPARAM)GetDC(list), 0);
    ASSERT_EQ(2u, drawItems_.size());
    EXPECT_EQ((UINT)ODT_COMBOBOX, drawItems_[1].CtlType);
    EXPECT_EQ(55u, drawItems_[1].CtlID);
    EXPECT_EQ(cb, drawItems_[1].hwndItem);
    EXPECT_EQ((UINT)ODS_SELECTED, drawItems_[1].itemState & ODS_SELECTED);
    SendMessageW(cb, CB_SHOWDROPDOWN, FALSE, 0);

    SendMessageW(cb, CB_DELETESTRING, 1, 0);
    ASSERT_EQ(1u, deleted.size());
    EXPECT_EQ((UINT)ODT_COMBOBOX, deleted[0].CtlType);
    EXPECT_EQ(0xABu, deleted[0].itemData);
    DestroyWindow(cb);
    EXPECT_EQ(2u, deleted.size()) << "the last item goes with the combo box";
}

// Dialog init data: records of control id, add-string message, byte count and narrow text.
std::vector<BYTE> Record(WORD id, WORD msg, const std::string& text, int extraLen = 0)
{
    std::vector<BYTE> out(8 + text.size() + 1);
    DWORD len = (DWORD)text.size() + 1 + (DWORD)extraLen;
    memcpy(out.data(), &id, 2);
    memcpy(out.data() + 2, &msg, 2);
    memcpy(out.data() + 4, &len, 4);
    memcpy(out.data() + 8, text.data(), text.size());
    return out;
}

struct InitCase {
    const char* name;
    std::vector<std::vector<BYTE>> records;
    bool ok;
    std::vector<std::u16string> combo, list;
};

class DialogInit : public ComboTest, public ::testing::WithParamInterface<InitCase> {};

TEST_P(DialogInit, FillsTheNamedControls)
{
    const InitCase& c = GetParam();
    HWND cb = MakeCombo(CBS_DROPDOWNLIST, {}, 1046);
    HWND lb = Make(u"ListBox", u"", 0, {200, 10, 300, 100}, 1063);
    std::vector<BYTE> data;
    for (auto& r : c.records)
        data.insert(data.end(), r.begin(), r.end());
    EXPECT_EQ(c.ok, ApplyDialogInitData(parent_, data.data(), (DWORD)data.size()) != FALSE);
    std::vector<std::u16string> combo, list;
    for (int i = 0; i < SendMessageW(cb, CB_GETCOUNT, 0, 0); ++i) {
        WCHAR buf[32] = {};
        SendMessageW(cb, CB_GETLBTEXT, i, (LPARAM)buf);
        combo.push_back(buf);
    }
    for (int i = 0; i < SendMessageW(lb, LB_GETCOUNT, 0, 0); ++i) {
        WCHAR buf[32] = {};
        SendMessageW(lb, LB_GETTEXT, i, (LPARAM)buf);
        list.push_back(buf);
    }
    EXPECT_EQ(c.combo, combo);
    EXPECT_EQ(c.list, list);
}

const std::vector<BYTE> kEnd{0, 0};

INSTANTIATE_TEST_SUITE_P(
    Combo, DialogInit,
    ::testing::Values(
        InitCase{"combo_and_list", {Record(1046, 0x0403, "1"), Record(1046, 0x0403, "2"), Record(1063, 0x0401, "x"), kEnd},
                 true, {u"1", u"2"}, {u"x"}},
        InitCase{"current_message_codes", {Record(1046, CB_ADDSTRING, "a"), Record(1063, LB_ADDSTRING, "b"), kEnd},
                 true, {u"a"}, {u"b"}},
        InitCase{"code_page_text", {Record(1046, 0x0403, "\xD6\xD0\xCE\xC4"), kEnd}, true, {u"中文"}, {}},
        InitCase{"no_end_marker", {Record(1046, 0x0403, "1")}, true, {u"1"}, {}},
        InitCase{"empty", {kEnd}, true, {}, {}},
        InitCase{"unknown_control_stops", {Record(1046, 0x0403, "1"), Record(999, 0x0403, "2"), Record(1046, 0x0403, "3")},
                 false, {u"1"}, {}},
        InitCase{"unknown_message_stops", {Record(1046, 0x0999, "1"), kEnd}, false, {}, {}},
        InitCase{"length_past_the_end", {Record(1046, 0x0403, "1"), Record(1046, 0x0403, "2", 1000)}, false, {u"1"},
                 {}},
        InitCase{"truncated_header", {Record(1046, 0x0403, "1"), {0x16, 0x04, 0x03}}, false, {u"1"}, {}}),
    [](const auto& i) { return std::string(i.param.name); });

} // namespace
