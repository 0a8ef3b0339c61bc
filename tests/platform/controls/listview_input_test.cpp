// SysListView32: selection by mouse and keyboard, check boxes, click notifications and label editing.
#include "platform/controls/listview_fixture.h"

using namespace lvtest;

namespace {

std::vector<int> Selected(ListViewTest& t)
{
    std::vector<int> s;
    for (int i = -1; (i = (int)SendMessageW(t.list_, LVM_GETNEXTITEM, (WPARAM)i, LVNI_SELECTED)) >= 0;)
        s.push_back(i);
    return s;
}

struct MouseCase {
    const char* name;
    std::function<void(ListViewTest&)> act;
    std::vector<int> selected;
    int focused;
    std::vector<UINT> clicks; // the NM_* codes the owner heard, in order
};

class ListViewMouse : public ListViewTest, public ::testing::WithParamInterface<MouseCase> {};

void ClickRow(ListViewTest& t, int row, std::initializer_list<UINT> keys = {}, UINT button = VK_LBUTTON)
{
    headless::AdvanceClock(2 * GetDoubleClickTime()); // never the second half of a double click
    for (UINT k : keys)
        headless::KeyDown(k);
    RECT r = t.ItemRect(row, LVIR_LABEL);
    headless::Click(t.list_, {r.left + 10, (r.top + r.bottom) / 2}, button);
    for (UINT k : keys)
        headless::KeyUp(k);
    headless::PumpUntilIdle();
}

TEST_P(ListViewMouse, SelectsAndNotifies)
{
    const MouseCase& c = GetParam();
    MakeReport(6, LVS_EX_FULLROWSELECT);
    c.act(*this);
    headless::PumpUntilIdle();
    EXPECT_EQ(c.selected, Selected(*this));
    EXPECT_EQ(c.focused, SendMessageW(list_, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED));
    std::vector<UINT> clicks;
    for (auto& n : notes_)
        if (n.code == NM_CLICK || n.code == NM_DBLCLK || n.code == NM_RCLICK || n.code == NM_RETURN)
            clicks.push_back(n.code);
    EXPECT_EQ(c.clicks, clicks);
}

INSTANTIATE_TEST_SUITE_P(
    ListView, ListViewMouse,
    ::testing::Values(
        MouseCase{"click", [](ListViewTest& t) { ClickRow(t, 2); }, {2}, 2, {NM_CLICK}},
        MouseCase{"click_then_ctrl_click",
                  [](ListViewTest& t) {
                      ClickRow(t, 1);
                      ClickRow(t, 3, {VK_CONTROL});
                  },
                  {1, 3}, 3, {NM_CLICK, NM_CLICK}},
        MouseCase{"ctrl_click_toggles_off",
                  [](ListViewTest& t) {
                      ClickRow(t, 1);
                      ClickRow(t, 1, {VK_CONTROL});
                  },
                  {}, 1, {NM_CLICK, NM_CLICK}},
        MouseCase{"shift_click_range",
                  [](ListViewTest& t) {
                      ClickRow(t, 4);
                      ClickRow(t, 1, {VK_SHIFT});
                  },
                  {1, 2, 3, 4}, 1, {NM_CLICK, NM_CLICK}},
        MouseCase{"click_below_the_rows_clears",
                  [](ListViewTest& t) {
                      ClickRow(t, 1);
                      headless::Click(t.list_, {50, 190});
                  },
                  {}, 1, {NM_CLICK, NM_CLICK}},
        MouseCase{"subitem_with_full_row", [](ListViewTest& t) { headless::Click(t.list_, {150, t.ItemRect(2).top + 3}); },
                  {2}, 2, {NM_CLICK}},
        MouseCase{"double_click",
                  [](ListViewTest& t) {
                      RECT r = t.ItemRect(3, LVIR_LABEL);
                      headless::DoubleClick(t.list_, {r.left + 5, r.top + 3});
                  },
                  {3}, 3, {NM_CLICK, NM_DBLCLK}},
        MouseCase{"right_click_selects", [](ListViewTest& t) { ClickRow(t, 5, {}, VK_RBUTTON); }, {5}, 5, {NM_RCLICK}},
        MouseCase{"keys_down_and_shift_down",
                  [](ListViewTest& t) {
                      ClickRow(t, 0);
                      SetFocus(t.list_);
                      headless::PressKey(VK_DOWN);
                      headless::PressKey(VK_DOWN, {VK_SHIFT});
                      headless::PressKey(VK_RETURN);
                  },
                  {1, 2}, 2, {NM_CLICK, NM_RETURN}},
        MouseCase{"end_and_home",
                  [](ListViewTest& t) {
                      SetFocus(t.list_);
                      headless::PressKey(VK_END);
                      headless::PressKey(VK_HOME, {VK_CONTROL});
                  },
                  {5}, 0, {}}),
    [](const auto& i) { return std::string(i.param.name); });

TEST_F(ListViewTest, CheckBoxFlipsByClickOnItsImageAndBySpace)
{
    MakeReport(3, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    EXPECT_TRUE(SendMessageW(list_, LVM_GETIMAGELIST, LVSIL_STATE, 0)) << "the control's own box images";
    EXPECT_EQ(INDEXTOSTATEIMAGEMASK(1), State(1, LVIS_STATEIMAGEMASK)) << "rows start unticked";
    AddRow(u"late");
    EXPECT_EQ(INDEXTOSTATEIMAGEMASK(1), State(3, LVIS_STATEIMAGEMASK));

    // The owner sees the click while the box still has its old image.
    UINT seenAtClick = 0;
    onNotify_ = [&](NMHDR* nm) -> LRESULT {
        if (nm->code == NM_CLICK)
            seenAtClick = State(((NMITEMACTIVATE*)nm)->iItem, LVIS_STATEIMAGEMASK);
        return 0;
    };
    RECT box = ItemRect(1, LVIR_ICON);
    LVHITTESTINFO hi{};
    hi.pt = {box.left - 8, (box.top + box.bottom) / 2};
    EXPECT_EQ(1, SendMessageW(list_, LVM_HITTEST, 0, (LPARAM)&hi));
    EXPECT_EQ((UINT)LVHT_ONITEMSTATEICON, hi.flags);
    headless::Click(list_, hi.pt);
    headless::PumpUntilIdle();
    EXPECT_EQ(INDEXTOSTATEIMAGEMASK(1), seenAtClick);
    EXPECT_EQ(INDEXTOSTATEIMAGEMASK(2), State(1, LVIS_STATEIMAGEMASK));
    EXPECT_TRUE(Selected(*this).empty()) << "a click on the box leaves the selection alone";

    ClickRow(*this, 1);
    headless::PressKey(VK_SPACE);
    headless::PumpUntilIdle();
    EXPECT_EQ(INDEXTOSTATEIMAGEMASK(1), State(1, LVIS_STATEIMAGEMASK));

    // A row with no box (image 0) or one the owner reset before the flip ends unticked.
    SetState(1, 0, LVIS_STATEIMAGEMASK);
    headless::PressKey(VK_SPACE);
    headless::PumpUntilIdle();
    EXPECT_EQ(INDEXTOSTATEIMAGEMASK(1), State(1, LVIS_STATEIMAGEMASK));

    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, 0);
    EXPECT_EQ(0u, State(1, LVIS_STATEIMAGEMASK));
    EXPECT_FALSE(SendMessageW(list_, LVM_GETIMAGELIST, LVSIL_STATE, 0));
}

TEST_F(ListViewTest, FocusAndKeysAreReported)
{
    MakeReport(3);
    SetFocus(list_);
    SetFocus(parent_);
    SetFocus(list_);
    headless::PumpUntilIdle();
    EXPECT_EQ(std::vector<UINT>({NM_SETFOCUS, NM_KILLFOCUS, NM_SETFOCUS}), Codes());
    notes_.clear();
    headless::PressKey(VK_DOWN);
    headless::PumpUntilIdle();
    ASSERT_FALSE(notes_.empty());
    EXPECT_EQ(LVN_KEYDOWN, notes_.front().code);
}

// ---- Label editing ----------------------------------------------------------------------------

struct EditCase {
    const char* name;
    LRESULT beginAnswer;
    LRESULT endAnswer;
    std::function<void(HWND)> finish;
    bool ended;        // LVN_ENDLABELEDIT was sent
    bool textGiven;    // ...with the new text rather than null
    const char16_t* after;
};

class ListViewLabelEdit : public ListViewTest, public ::testing::WithParamInterface<EditCase> {};

TEST_P(ListViewLabelEdit, EditsThroughAnEditControl)
{
    const EditCase& c = GetParam();
    MakeReport(3, 0, LVS_REPORT | LVS_EDITLABELS);
    std::u16string endText;
    bool ended = false, given = false;
    onNotify_ = [&](NMHDR* nm) -> LRESULT {
        if (nm->code == LVN_BEGINLABELEDITW)
            return c.beginAnswer;
        if (nm->code == LVN_ENDLABELEDITW) {
            auto* di = (NMLVDISPINFOW*)nm;
            ended = true;
            given = di->item.pszText != nullptr;
            if (given)
                endText = di->item.pszText;
            return c.endAnswer;
        }
        return 0;
    };
    SetFocus(list_);
    HWND edit = (HWND)SendMessageW(list_, LVM_EDITLABELW, 1, 0);
    if (c.beginAnswer) {
        EXPECT_EQ(nullptr, edit);
        EXPECT_EQ(nullptr, (HWND)SendMessageW(list_, LVM_GETEDITCONTROL, 0, 0));
        return;
    }
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit, (HWND)SendMessageW(list_, LVM_GETEDITCONTROL, 0, 0));
    EXPECT_EQ(edit, GetFocus());
    EXPECT_EQ(u"row 1", headless::Text(edit));
    headless::TypeText(u"renamed");
    headless::PumpUntilIdle();
    c.finish(edit);
    headless::PumpUntilIdle();
    EXPECT_EQ(c.ended, ended);
    EXPECT_EQ(c.textGiven, given);
    if (given) {
        EXPECT_EQ(u"renamed", endText);
    }
    EXPECT_FALSE(IsWindow(edit));
    EXPECT_EQ(nullptr, (HWND)SendMessageW(list_, LVM_GETEDITCONTROL, 0, 0));
    EXPECT_EQ(c.after, Text(1));
}

INSTANTIATE_TEST_SUITE_P(
    ListView, ListViewLabelEdit,
    ::testing::Values(
        EditCase{"enter_accepted", 0, TRUE, [](HWND) { headless::PressKey(VK_RETURN); }, true, true, u"renamed"},
        EditCase{"enter_owner_declines", 0, FALSE, [](HWND) { headless::PressKey(VK_RETURN); }, true, true, u"row 1"},
        EditCase{"escape_cancels", 0, TRUE, [](HWND) { headless::PressKey(VK_ESCAPE); }, true, false, u"row 1"},
        EditCase{"focus_leaves", 0, TRUE, [](HWND e) { SetFocus(GetParent(GetParent(e))); }, true, true, u"renamed"},
        EditCase{"begin_refused", TRUE, TRUE, [](HWND) {}, false, false, u"row 1"}),
    [](const auto& i) { return std::string(i.param.name); });

TEST_F(ListViewTest, ASlowSecondClickOnTheSelectedLabelStartsAnEdit)
{
    MakeReport(3, 0, LVS_REPORT | LVS_EDITLABELS);
    ClickRow(*this, 1);
    EXPECT_EQ(nullptr, (HWND)SendMessageW(list_, LVM_GETEDITCONTROL, 0, 0));
    ClickRow(*this, 1);
    headless::AdvanceClock(GetDoubleClickTime() + 10);
    headless::PumpUntilIdle();
    HWND edit = (HWND)SendMessageW(list_, LVM_GETEDITCONTROL, 0, 0);
    ASSERT_TRUE(edit);
    EXPECT_EQ(std::vector<UINT>({NM_CLICK, NM_CLICK, LVN_BEGINLABELEDITW}),
              [&] {
                  std::vector<UINT> c;
                  for (auto& n : notes_)
                      if (n.code == NM_CLICK || n.code == LVN_BEGINLABELEDITW)
                          c.push_back(n.code);
                  return c;
              }());
    SendMessageW(list_, LVM_DELETEITEM, 1, 0);
    EXPECT_FALSE(IsWindow(edit)) << "deleting the item ends its edit";
}

TEST_F(ListViewTest, OwnerMayDestroyOrEmptyTheListFromItsNotifications)
{
    struct {
        const char* name;
        UINT code;
        bool destroy;
    } cases[] = {{"empty_on_click", NM_CLICK, false},
                 {"empty_on_item_changed", LVN_ITEMCHANGED, false},
                 {"destroy_on_double_click", NM_DBLCLK, true},
                 {"destroy_on_item_changing", LVN_ITEMCHANGING, true}};
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        MakeReport(5, LVS_EX_CHECKBOXES);
        bool fired = false;
        onNotify_ = [&](NMHDR* nm) -> LRESULT {
            if (nm->code == c.code && !fired) {
                fired = true;
                if (c.destroy)
                    DestroyWindow(list_);
                else
                    SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
            }
            return 0;
        };
        RECT r = ItemRect(2, LVIR_LABEL);
        headless::DoubleClick(list_, {r.left + 5, r.top + 3});
        headless::PumpUntilIdle();
        EXPECT_TRUE(fired);
        if (!c.destroy) {
            EXPECT_EQ(0, Count());
            DestroyWindow(list_);
        }
        onNotify_ = nullptr;
        list_ = nullptr;
    }
}

} // namespace
