// The check list box: check states that follow their items through insertion and deletion, ticks
// by a click on the box or by the space bar, and the change told to the parent.
#include "afx/afx.h"
#include "afx/check_list_box.h"
#include "backend/headless/driver.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A parent that records the check-change notices of its children.
class NoticeParent : public CWnd {
public:
    std::vector<UINT> changes;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        if (HIWORD(wParam) == CLBN_CHKCHANGE)
            changes.push_back(LOWORD(wParam));
        return CWnd::OnCommand(wParam, lParam);
    }
};

class CheckListBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, nullptr, u"parent", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 200), nullptr, 0));
        ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LBS_NOTIFY, CRect(10, 10, 210, 150), &parent, 9305));
        for (const char16_t* name : {u"Standard", u"Format", u"Drawing"})
            list.AddString(name);
        headless::PumpUntilIdle();
    }
    void TearDown() override { parent.DestroyWindow(); }
    POINT BoxCentre(int index) {
        CRect item;
        list.GetItemRect(index, &item);
        return list.OnGetCheckPosition(item).CenterPoint();
    }
    NoticeParent parent;
    CCheckListBox list;
};

} // namespace

TEST_F(CheckListBoxTest, ChecksFollowTheirItems) {
    EXPECT_TRUE(list.GetStyle() & LBS_OWNERDRAWFIXED);
    EXPECT_TRUE(list.GetStyle() & LBS_HASSTRINGS);
    list.SetCheck(1, 1);
    list.InsertString(0, u"Menu");
    EXPECT_EQ(list.GetCheck(2), 1);
    EXPECT_EQ(list.GetCheck(1), 0);
    list.DeleteString(0);
    EXPECT_EQ(list.GetCheck(1), 1);
    EXPECT_EQ(list.GetCheck(7), 0);  // not an item
    list.ResetContent();
    list.AddString(u"Only");
    EXPECT_EQ(list.GetCheck(0), 0);
}

TEST_F(CheckListBoxTest, ClickOnTheBoxAndSpaceTick) {
    headless::Click(list.m_hWnd, BoxCentre(2));
    headless::PumpUntilIdle();
    EXPECT_EQ(list.GetCheck(2), 1);
    EXPECT_EQ(list.GetCurSel(), 2);
    EXPECT_EQ(parent.changes, std::vector<UINT>{9305});
    // A click on the text selects without ticking.
    CRect item;
    list.GetItemRect(0, &item);
    headless::AdvanceClock(1000);
    headless::Click(list.m_hWnd, POINT{item.right - 5, item.CenterPoint().y});
    headless::PumpUntilIdle();
    EXPECT_EQ(list.GetCurSel(), 0);
    EXPECT_EQ(list.GetCheck(0), 0);
    ::SetFocus(list.m_hWnd);
    headless::PressKey(VK_SPACE);
    headless::PumpUntilIdle();
    EXPECT_EQ(list.GetCheck(0), 1);
    headless::PressKey(VK_SPACE);
    headless::PumpUntilIdle();
    EXPECT_EQ(list.GetCheck(0), 0);
    EXPECT_EQ(parent.changes.size(), 3u);
    // A disabled item keeps its state; a plain check box leaves the change to the parent.
    list.Enable(1, FALSE);
    headless::AdvanceClock(1000);
    headless::Click(list.m_hWnd, BoxCentre(1));
    headless::PumpUntilIdle();
    EXPECT_EQ(list.GetCheck(1), 0);
    list.SetCheckStyle(BS_CHECKBOX);
    headless::AdvanceClock(1000);
    headless::Click(list.m_hWnd, BoxCentre(2));
    headless::PumpUntilIdle();
    EXPECT_EQ(list.GetCheck(2), 1);
    EXPECT_EQ(parent.changes.size(), 4u);
}
