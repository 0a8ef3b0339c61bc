// Tests of the pane manager: installation, lookup before and after, the frame's client area,
// docking on each side and beside another pane, closing with the site's veto, the dock rectangle
// the drag context asks for, and the theme choice.
#include <gtest/gtest.h>

#include "tests/toolkit/docking/dock_test_frame.h"
#include "toolkit/docking/dock_paint_themes.h"

#include <typeinfo>

using namespace docktest;

namespace {

class PaneManagerTest : public ::testing::Test {
protected:
    void SetUp() override { m_frame = OpenFrame(); }
    void TearDown() override { CloseFrame(m_frame); }
    TestPaneManager& Manager() { return m_frame->m_paneManager; }

    DockFrame* m_frame = nullptr;
};

TEST(PaneManagerInstall, LookupsFindNothingBeforeAndAfterInstallingAndTheFirstSiteStays)
{
    TestPaneManager manager;
    EXPECT_EQ(manager.FindPane(4001), nullptr);
    manager.ClosePane(nullptr);
    manager.ShowPane(nullptr);
    EXPECT_EQ(manager.GetTopContainer(), nullptr);

    DockFrame* first = OpenFrame();
    DockFrame* second = OpenFrame();
    EXPECT_TRUE(manager.InstallDockingPanes(first));
    EXPECT_FALSE(manager.InstallDockingPanes(second));
    EXPECT_EQ(manager.GetSite(), first);
    EXPECT_EQ(::GetParent(manager.m_hWnd), first->m_hWnd);
    EXPECT_FALSE(::IsWindowVisible(manager.m_hWnd));
    EXPECT_EQ(manager.FindPane(4001), nullptr);
    manager.ClosePane(manager.FindPane(4001));
    EXPECT_FALSE(manager.GetLayout()->IsInitial());
    // The top container holds only the client pane.
    ASSERT_NE(manager.GetTopContainer(), nullptr);
    EXPECT_EQ(manager.GetTopContainer()->GetPanes().size(), 1u);
    EXPECT_EQ(manager.GetTopContainer()->GetPanes()[0], manager.GetClientPane());
    manager.DestroyWindow();
    CloseFrame(first);
    CloseFrame(second);
}

TEST_F(PaneManagerTest, WithoutPanesTheClientAreaIsUnchanged)
{
    RECT client;
    m_frame->GetClientRect(&client);
    m_frame->RecalcLayout();
    EXPECT_TRUE(EqualRect(&client, &static_cast<const RECT&>(m_frame->ViewRect())));
    EXPECT_TRUE(Manager().m_bLayoutCreated);
}

TEST_F(PaneManagerTest, PanesDockOnEachSideOfTheClient)
{
    const struct {
        int direction;
        RECT expectedPane;  // in the frame's client area of 800 wide
    } cases[] = {
        {dockLeftOf, {0, 0, 200, -1}},
        {dockRightOf, {600, 0, 800, -1}},
        {dockTopOf, {0, 0, 800, 150}},
        {dockBottomOf, {0, -150, 800, -1}},
    };
    RECT client;
    m_frame->GetClientRect(&client);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.direction);
        CTKPPane* pane = MakePane(Manager(), 100 + c.direction, u"Pane", 200, 150);
        Manager().DockPane(pane, c.direction);
        m_frame->RecalcLayout();
        RECT expected = c.expectedPane;
        if (expected.bottom == -1)
            expected.bottom = client.bottom;
        if (expected.top < 0)
            expected.top = client.bottom + expected.top;
        RECT rc;
        pane->GetWindowRect(&rc);
        ::MapWindowPoints(nullptr, m_frame->m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
        EXPECT_TRUE(EqualRect(&rc, &expected)) << rc.left << "," << rc.top << "," << rc.right << "," << rc.bottom;
        EXPECT_EQ(Manager().FindPane(100 + c.direction), pane);
        EXPECT_EQ(Manager().GetPaneDirection(pane), c.direction);
        EXPECT_EQ(Manager().GetHolder(pane, FALSE), pane->GetParentContainer());
        // The child window sits in the container's window, where the pane lies.
        EXPECT_EQ(::GetParent(pane->GetChild()), pane->GetParentContainer()->GetPaneWindow()->m_hWnd);
        Manager().ClosePane(pane);
        m_frame->RecalcLayout();
    }
    // Each closed pane gave its room back.
    EXPECT_TRUE(EqualRect(&client, &static_cast<const RECT&>(m_frame->ViewRect())));
}

TEST_F(PaneManagerTest, PaneDockedBesideAnotherSplitsItsPlace)
{
    CTKPPane* left = MakePane(Manager(), 1, u"Left", 200, 300);
    CTKPPane* below = MakePane(Manager(), 2, u"Below", 200, 100);
    Manager().DockPane(left, dockLeftOf);
    Manager().DockPane(below, dockBottomOf, left);
    m_frame->RecalcLayout();
    RECT a, b;
    left->GetWindowRect(&a);
    below->GetWindowRect(&b);
    EXPECT_EQ(a.left, b.left);
    EXPECT_EQ(a.right, b.right);
    EXPECT_EQ(b.top, a.bottom + 4);
    EXPECT_EQ(Manager().GetPaneDirection(below), dockLeftOf);
    // Both share the column that the left pane had.
    auto* column = static_cast<CTKPPaneSplitterContainer*>(left->GetParentContainer()->GetParentContainer());
    EXPECT_FALSE(column->IsHorizontal());
    EXPECT_EQ(column->GetPanes().size(), 2u);
}

TEST_F(PaneManagerTest, SiteRefusingTheCloseKeepsThePane)
{
    CTKPPane* pane = MakePane(Manager(), 7, u"Pane");
    Manager().DockPane(pane, dockRightOf);
    m_frame->RecalcLayout();  // the layout pass records where the pane is docked
    m_frame->closeAnswer = -1;
    Manager().ClosePane(pane);
    EXPECT_FALSE(Manager().IsPaneClosed(pane));
    m_frame->closeAnswer = 0;
    Manager().ClosePane(pane);
    EXPECT_TRUE(Manager().IsPaneClosed(pane));
    EXPECT_FALSE(::IsWindowVisible(pane->GetChild()));
    EXPECT_EQ(::GetParent(pane->GetChild()), Manager().m_hWnd);
    // Showing it again puts it back into the container that held it.
    m_frame->notifications.clear();
    Manager().ShowPane(pane);
    EXPECT_FALSE(Manager().IsPaneClosed(pane));
    ASSERT_FALSE(m_frame->notifications.empty());
    EXPECT_EQ(m_frame->notifications.back().code, TKP_DPN_SHOWWINDOW);
}

TEST_F(PaneManagerTest, DockRectBesideTheTopContainerIsThePanesOwnSize)
{
    CTKPPane* pane = MakePane(Manager(), 3, u"Pane", 180, 120);
    pane->m_ptMaxTrackSize = POINT{160, 32000};
    RECT client;
    m_frame->GetClientRect(&client);
    ::MapWindowPoints(m_frame->m_hWnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    const struct {
        int direction;
        RECT expected;
    } cases[] = {
        {dockLeftOf, {client.left, client.top, client.left + 160, client.bottom}},
        {dockRightOf, {client.right - 160, client.top, client.right, client.bottom}},
        {dockTopOf, {client.left, client.top, client.right, client.top + 120}},
        {dockBottomOf, {client.left, client.bottom - 120, client.right, client.bottom}},
    };
    for (const auto& c : cases) {
        RECT rc;
        Manager().GetDockRect(rc, pane, c.direction, nullptr);
        EXPECT_TRUE(EqualRect(&rc, &c.expected)) << c.direction;
    }
}

TEST_F(PaneManagerTest, ActivePaneChangesAreAnnounced)
{
    CTKPPane* a = MakePane(Manager(), 1, u"A");
    CTKPPane* b = MakePane(Manager(), 2, u"B");
    Manager().SetActivePane(TRUE, a);
    Manager().SetActivePane(TRUE, b);
    Manager().SetActivePane(FALSE, a);  // not the active one: nothing
    Manager().SetActivePane(FALSE, b);
    std::vector<std::pair<int, CTKPPaneBase*>> actions;
    for (const Notification& n : m_frame->notifications)
        actions.emplace_back(n.action, n.pane);
    const std::vector<std::pair<int, CTKPPaneBase*>> expected{
        {paneActionActivated, a}, {paneActionDeactivated, a}, {paneActionActivated, b}, {paneActionDeactivated, b}};
    EXPECT_EQ(actions, expected);
    EXPECT_EQ(Manager().GetActivePane(), nullptr);
}

TEST(DockThemes, EachIdMakesItsThemeAndOthersTheDefault)
{
    const struct {
        int id;
        const std::type_info& type;
        int spacing;
    } cases[] = {
        {0, typeid(CTKPPaneDefaultTheme), 5},    {-1, typeid(CTKPPaneDefaultTheme), 5},
        {10, typeid(CTKPPaneDefaultTheme), 5},   {1, typeid(CTKPPaneGradientTheme), 5},
        {2, typeid(CTKPPaneGripperTheme), 7},    {3, typeid(CTKPPaneNativeTheme), 7},
        {4, typeid(CTKPPaneGrooveTheme), 5},     {5, typeid(CTKPPaneFramedTheme), 2},
        {6, typeid(CTKPPaneSoftTheme), 5},       {7, typeid(CTKPPaneBoldCaptionTheme), 3},
        {8, typeid(CTKPPaneRebarTheme), 9},      {9, typeid(CTKPPaneBorderedTheme), 5},
    };
    TestPaneManager manager;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        manager.SetDockingTheme(c.id);
        CTKPPaneThemePainter* painter = manager.GetPaintManager();
        EXPECT_EQ(typeid(*painter), c.type);
        EXPECT_EQ(painter->m_nTheme, c.id);
        EXPECT_EQ(painter->m_nCaptionSpacing, c.spacing);
        EXPECT_GE(painter->GetCaptionHeight(), c.spacing + 13);
    }
}

TEST(DockThemes, ThemeNineSetsTheGuideStyleForGood)
{
    TestPaneManager manager;
    EXPECT_EQ(manager.m_nStickerStyle, 0);
    manager.SetDockingTheme(9);
    manager.SetDockingTheme(2);
    EXPECT_EQ(manager.m_nStickerStyle, 1);
}

} // namespace
