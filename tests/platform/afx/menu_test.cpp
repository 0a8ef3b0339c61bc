// CMenu: loading, the handle maps, ownership and popup tracking into a window's message map.
#include "afx/afx.h"
#include "backend/headless/driver.h"
#include "../resources/test_ids.h"

#include <gtest/gtest.h>

namespace {

class MenuTarget : public CWnd {
public:
    UINT m_nLast = 0;

protected:
    void OnOpen() { m_nLast = ID_OPEN; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(MenuTarget, CWnd)
    ON_COMMAND(ID_OPEN, OnOpen)
END_MESSAGE_MAP()

class MenuTest : public ::testing::Test {
protected:
    void TearDown() override {
        headless::ClearModalAnswers();
        CMenu::DeleteTempMap();
    }
};

TEST_F(MenuTest, LoadsFromTheResourceAndReadsItsItems) {
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDM_MAIN));
    EXPECT_FALSE(menu.LoadMenu(IDM_MAIN)) << "one object holds one menu";
    EXPECT_EQ(menu.GetMenuItemCount(), 2u);
    CMenu* pFile = menu.GetSubMenu(0);
    ASSERT_NE(pFile, nullptr);
    EXPECT_EQ(pFile->GetMenuItemCount(), 3u);
    EXPECT_EQ(pFile->GetMenuItemID(0), (UINT)ID_OPEN);
    CString text;
    EXPECT_EQ(menu.GetMenuString(ID_OPEN, text, MF_BYCOMMAND), 12);
    EXPECT_EQ(text, CString(u"&Open\tCtrl+O"));
    EXPECT_EQ(menu.GetMenuString(999, text, MF_BYCOMMAND), 0);
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_TRUE(menu.GetMenuState(ID_EXIT, MF_BYCOMMAND) & MF_GRAYED);

    CMenu missing;
    EXPECT_FALSE(missing.LoadMenu(4242));
    EXPECT_EQ(missing.m_hMenu, nullptr);
}

TEST_F(MenuTest, PermanentAndTemporaryObjects) {
    HMENU hLoose = ::CreatePopupMenu();
    CMenu* pTemp = CMenu::FromHandle(hLoose);
    EXPECT_EQ(CMenu::FromHandle(hLoose), pTemp);
    EXPECT_EQ(CMenu::FromHandlePermanent(hLoose), nullptr);
    CMenu::DeleteTempMap();
    EXPECT_TRUE(::IsMenu(hLoose)) << "a temporary object never destroys its menu";

    HMENU hOwned;
    {
        CMenu owner;
        ASSERT_TRUE(owner.Attach(hLoose));
        EXPECT_EQ(CMenu::FromHandle(hLoose), &owner);
        CMenu second;
        EXPECT_FALSE(second.Attach(hLoose));
        EXPECT_EQ(owner.Detach(), hLoose);
        EXPECT_TRUE(::IsMenu(hLoose));
        ASSERT_TRUE(owner.CreatePopupMenu());
        hOwned = owner.m_hMenu;
    }
    EXPECT_FALSE(::IsMenu(hOwned)) << "the owning object destroys its menu";
    ::DestroyMenu(hLoose);
}

TEST_F(MenuTest, ATrackedCommandReachesTheOwnersMessageMap) {
    MenuTarget wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, u"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 300, 200), nullptr,
                             0));
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDM_MAIN));
    CMenu* pPopup = menu.GetSubMenu(0);

    headless::AnswerNextModal([](HWND) { headless::PressKey(VK_DOWN); headless::PressKey(VK_RETURN); });
    EXPECT_EQ(pPopup->TrackPopupMenu(TPM_RETURNCMD, 40, 40, &wnd), (BOOL)ID_OPEN);
    headless::PumpUntilIdle();
    EXPECT_EQ(wnd.m_nLast, 0u) << "a returned command is not sent";

    headless::AnswerNextModal([](HWND) { headless::PressKey(VK_DOWN); headless::PressKey(VK_RETURN); });
    EXPECT_TRUE(pPopup->TrackPopupMenu(0, 40, 40, &wnd));
    headless::PumpUntilIdle();
    EXPECT_EQ(wnd.m_nLast, (UINT)ID_OPEN);
    wnd.DestroyWindow();
}

} // namespace
