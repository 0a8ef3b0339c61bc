// The bar controls' wrappers (status bar, tabs, tool bar) and the colour dialog.
#include "afx/afx.h"
#include "backend/headless/driver.h"

#include <gtest/gtest.h>

namespace {

class BarCtrlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, nullptr, u"parent", WS_POPUP | WS_VISIBLE, CRect(0, 0, 400, 300), nullptr, 0));
    }
    void TearDown() override {
        headless::ClearModalAnswers();
        parent.DestroyWindow();
        // The key releases typed into the closed dialogs are still queued; they go now.
        headless::PumpUntilIdle();
    }
    CWnd parent;
};

TEST_F(BarCtrlsTest, StatusPanesTabsAndButtonsKeepTheirState) {
    CStatusBarCtrl status;
    ASSERT_TRUE(status.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), &parent, 1));
    int widths[] = {100, -1};
    EXPECT_TRUE(status.SetParts(2, widths));
    EXPECT_TRUE(status.SetText(u"ready", 1, SBT_POPOUT));
    int type = 0;
    EXPECT_EQ(status.GetText(1, &type), CString(u"ready"));
    EXPECT_EQ(type & SBT_POPOUT, SBT_POPOUT);
    EXPECT_EQ(status.GetParts(0, nullptr), 2);

    CTabCtrl tabs;
    ASSERT_TRUE(tabs.Create(WS_CHILD | WS_VISIBLE, CRect(0, 40, 300, 140), &parent, 2));
    EXPECT_EQ(tabs.InsertItem(0, u"one"), 0);
    EXPECT_EQ(tabs.InsertItem(1, u"two"), 1);
    EXPECT_EQ(tabs.SetCurSel(1), 0);
    EXPECT_EQ(tabs.GetCurSel(), 1);
    EXPECT_EQ(tabs.GetItemCount(), 2);

    CToolBarCtrl tools;
    ASSERT_TRUE(tools.Create(WS_CHILD | WS_VISIBLE | CCS_NOPARENTALIGN | CCS_NORESIZE, CRect(0, 150, 300, 180), &parent, 3));
    TBBUTTON buttons[2] = {};
    buttons[0].idCommand = 10;
    buttons[0].fsState = TBSTATE_ENABLED;
    buttons[0].fsStyle = TBSTYLE_BUTTON;
    buttons[1].idCommand = 11;
    buttons[1].fsState = TBSTATE_ENABLED;
    buttons[1].fsStyle = TBSTYLE_CHECK;
    EXPECT_TRUE(tools.AddButtons(2, buttons));
    EXPECT_EQ(tools.GetButtonCount(), 2);
    EXPECT_TRUE(tools.EnableButton(10, FALSE));
    EXPECT_FALSE(tools.IsButtonEnabled(10));
    EXPECT_TRUE(tools.CheckButton(11));
    EXPECT_TRUE(tools.IsButtonChecked(11));
    EXPECT_EQ(tools.CommandToIndex(11), 1u);
}

TEST_F(BarCtrlsTest, ColorDialogAnswersTheColourOrCancel) {
    CColorDialog dlg(RGB(10, 20, 30), CC_FULLOPEN, &parent);
    headless::AnswerNextModal([](HWND h) { headless::PressKey(VK_RETURN); });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.GetColor(), RGB(10, 20, 30));
    headless::AnswerNextModal([](HWND h) { headless::PressKey(VK_ESCAPE); });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.m_cc.lpCustColors, CColorDialog::GetSavedCustomColors());
}

} // namespace
