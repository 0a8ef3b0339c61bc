// Tests of auto-hidden panes: the side panel a hidden pane goes to and the strip it takes, sliding
// a pane out on hover and click and back after the mouse leaves, the site's refusals, sizing by
// the grip, and saving and loading side panels, crafted ones refused with the old layout kept.
#include <gtest/gtest.h>

#include "tests/toolkit/docking/dock_test_frame.h"
#include "toolkit/docking/pane_auto_hide.h"
#include "toolkit/docking/tab_painter.h"
#include "win32/registry.h"

#include <cstdlib>
#include <string>

using namespace docktest;

namespace {

const char16_t kRoot[] = u"Software\\DovemarkTests\\AutoHide";

class AutoHideTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        headless::UseVirtualClock();
        RegDeleteTreeW(HKEY_CURRENT_USER, kRoot);
        m_saved = GetAutoHideSettings();
        m_frame = OpenFrame();
        ::SetActiveWindow(m_frame->m_hWnd);
    }
    void TearDown() override
    {
        CloseFrame(m_frame);
        GetAutoHideSettings() = m_saved;
        RegDeleteTreeW(HKEY_CURRENT_USER, kRoot);
    }
    TestPaneManager& Manager() { return m_frame->m_paneManager; }
    CTKPPaneAutoHidePanel* Panel(int direction)
    {
        return AsAutoHidePanel(Manager().GetLayout()->GetSidePanel(direction));
    }
    // A pane docked at a side and then hidden, with the frame laid out.
    CTKPPane* HiddenPane(int id, int direction, const char16_t* title = u"Pane\nTab")
    {
        CTKPPane* pane = MakePane(Manager(), id, title, 180, 140);
        Manager().DockPane(pane, direction);
        m_frame->RecalcLayout();
        Manager().HidePane(pane);
        m_frame->RecalcLayout();
        return pane;
    }
    // The centre of the pane's tab on its panel, in the panel's client coordinates.
    POINT TabPoint(CTKPPaneAutoHidePanel* panel, CTKPPane* pane)
    {
        for (CTKPAutoHideTabGroup* group : panel->GetGroups())
            for (int i = 0; i < group->GetItemCount(); ++i)
                if (group->GetItemPane(group->GetItem(i)) == pane)
                    return group->GetItem(i)->GetRect().CenterPoint();
        ADD_FAILURE() << "no tab";
        return POINT{0, 0};
    }
    int Count(int action) const
    {
        int n = 0;
        for (const Notification& note : m_frame->notifications)
            n += note.code == TKP_DPN_ACTION && note.action == action;
        return n;
    }
    // Moves the clock on in timer periods, dispatching what falls due.
    void Tick(int ms, int step = 16)
    {
        for (int t = 0; t < ms; t += step) {
            headless::AdvanceClock(DWORD(step));
            headless::PumpUntilIdle();
        }
    }
    int SlideWidth(CTKPDockingPaneAutoHideWnd* wnd)
    {
        RECT rc;
        ::GetWindowRect(wnd->m_hWnd, &rc);
        return wnd->m_bHoriz ? Height(rc) : Width(rc);
    }
    // Opens the pane's slide-out window by a click on its tab.
    CTKPDockingPaneAutoHideWnd* ClickOpen(CTKPPane* pane, int direction)
    {
        CTKPPaneAutoHidePanel* panel = Panel(direction);
        headless::Click(panel->m_hWnd, TabPoint(panel, pane));
        headless::PumpUntilIdle();
        return panel->GetActiveWnd();
    }

    DockFrame* m_frame = nullptr;
    CTKPAutoHideSettings m_saved;
};

// The panel takes its strip at its side of the frame; the docked area gives that room up.
class AutoHideSideTest : public AutoHideTest, public ::testing::WithParamInterface<int> {};

TEST_P(AutoHideSideTest, HiddenPaneBecomesATabOnThePanelOfItsSide)
{
    const int side = GetParam();
    CTKPPane* pane = HiddenPane(7, side);
    CTKPPaneAutoHidePanel* panel = Panel(side);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->GetDirection(), side);
    EXPECT_TRUE(pane->IsAutoHidden());
    EXPECT_TRUE(Manager().IsPaneAutoHidden(pane));
    EXPECT_EQ(Manager().GetPaneDirection(pane), side);
    // The container is not shown until the pane slides out.
    ASSERT_NE(pane->GetParentContainer(), nullptr);
    EXPECT_FALSE(::IsWindowVisible(pane->GetParentContainer()->GetPaneWindow()->m_hWnd));

    RECT client;
    m_frame->GetClientRect(&client);
    const int thickness = panel->GetPanelThickness();
    ASSERT_GT(thickness, 10);
    RECT strip;
    ::GetWindowRect(panel->m_hWnd, &strip);
    ::MapWindowPoints(nullptr, m_frame->m_hWnd, reinterpret_cast<POINT*>(&strip), 2);
    RECT expected = client, rest = client;
    switch (side) {
    case dockLeftOf:
        expected.right = client.left + thickness, rest.left += thickness;
        break;
    case dockRightOf:
        expected.left = client.right - thickness, rest.right -= thickness;
        break;
    case dockTopOf:
        expected.bottom = client.top + thickness, rest.top += thickness;
        break;
    default:
        expected.top = client.bottom - thickness, rest.bottom -= thickness;
        break;
    }
    EXPECT_TRUE(EqualRect(&strip, &expected));
    EXPECT_TRUE(EqualRect(&Manager().GetTopContainer()->GetPaneRect(), &rest));
    EXPECT_TRUE(EqualRect(&static_cast<const RECT&>(m_frame->ViewRect()), &rest));
    // One group with one tab carrying the short title, facing away from the edge.
    ASSERT_EQ(panel->GetGroups().size(), 1u);
    CTKPAutoHideTabGroup* group = panel->GetGroups()[0];
    ASSERT_EQ(group->GetItemCount(), 1);
    EXPECT_EQ(CString(group->GetItem(0)->m_strCaption), CString(u"Tab"));
    EXPECT_EQ(group->GetSelectedItem(), group->GetItem(0));
    const int positions[] = {TKP_TABPOS_RIGHT, TKP_TABPOS_LEFT, TKP_TABPOS_BOTTOM, TKP_TABPOS_TOP};
    EXPECT_EQ(group->GetPosition(), positions[side]);
    EXPECT_EQ(Manager().GetPaintManager()->GetPanelTabPainter()->GetPosition(), TKP_TABPOS_RIGHT);
}

INSTANTIATE_TEST_SUITE_P(Sides, AutoHideSideTest, ::testing::Values(0, 1, 2, 3));

TEST_F(AutoHideTest, PanesOfOneSideShareThePanelAndLeftTabsStartBelowTheTopPanel)
{
    CTKPPane* first = HiddenPane(1, dockLeftOf);
    CTKPPane* second = HiddenPane(2, dockLeftOf);
    HiddenPane(3, dockTopOf);
    m_frame->RecalcLayout();
    CTKPPaneAutoHidePanel* left = Panel(dockLeftOf);
    ASSERT_EQ(left->GetContainers().size(), 2u);
    ASSERT_EQ(left->GetGroups().size(), 2u);
    const CRect a = left->GetGroups()[0]->m_rcGroup, b = left->GetGroups()[1]->m_rcGroup;
    EXPECT_EQ(a.top, Panel(dockTopOf)->GetPanelThickness());
    EXPECT_GT(b.top, a.top + 8);
    EXPECT_EQ(left->HitTest(TabPoint(left, first)), first);
    EXPECT_EQ(left->HitTest(TabPoint(left, second)), second);
    EXPECT_EQ(left->HitTest(CPoint(1, a.top - 2)), nullptr);
}

TEST_F(AutoHideTest, HoverSlidesOutInEightStepsAndLeavingClosesItAfterSixChecks)
{
    CTKPPane* pane = HiddenPane(7, dockLeftOf);
    CTKPPaneAutoHidePanel* panel = Panel(dockLeftOf);
    CWnd* containerWnd = pane->GetParentContainer()->GetPaneWindow();
    headless::MouseMove(panel->m_hWnd, TabPoint(panel, pane));
    headless::PumpUntilIdle();
    EXPECT_EQ(panel->GetActiveWnd(), nullptr);
    Tick(400, 400);
    CTKPDockingPaneAutoHideWnd* wnd = panel->GetActiveWnd();
    ASSERT_NE(wnd, nullptr);
    EXPECT_EQ(Count(paneActionExpanding), 1);
    EXPECT_EQ(wnd->m_nStepsCount, 8);
    const int full = wnd->m_rcWindow.Width();
    EXPECT_EQ(full, 180 + 4);
    EXPECT_EQ(::GetParent(containerWnd->m_hWnd), wnd->m_hWnd);
    EXPECT_TRUE(::IsWindowVisible(containerWnd->m_hWnd));
    // The window grows by an eighth per tick from the panel's edge.
    EXPECT_EQ(SlideWidth(wnd), full / 8);
    RECT outer;
    Manager().GetTopContainer()->GetWindowRect(&outer);
    RECT rc;
    ::GetWindowRect(wnd->m_hWnd, &rc);
    EXPECT_EQ(rc.left, outer.left);
    Tick(16);
    EXPECT_EQ(SlideWidth(wnd), full * 2 / 8);
    EXPECT_EQ(Count(paneActionExpanded), 0);
    Tick(6 * 16);
    EXPECT_EQ(SlideWidth(wnd), full);
    EXPECT_EQ(Count(paneActionExpanded), 0);
    Tick(16);
    EXPECT_EQ(Count(paneActionExpanded), 1);
    // The container keeps its full width less the grip while it slides.
    RECT container;
    ::GetWindowRect(containerWnd->m_hWnd, &container);
    EXPECT_EQ(Width(container), full - 4);

    // The mouse goes elsewhere: six checks later the window starts going back.
    headless::MouseMove(m_frame->m_hWnd, POINT{600, 300});
    headless::PumpUntilIdle();
    Tick(500, 100);
    EXPECT_EQ(Count(paneActionCollapsing), 0);
    Tick(100, 100);
    EXPECT_EQ(Count(paneActionCollapsing), 1);
    EXPECT_TRUE(wnd->m_bCollapsing);
    Tick(8 * 16);
    EXPECT_EQ(Count(paneActionCollapsed), 1);
    EXPECT_EQ(panel->GetActiveWnd(), nullptr);
    // The container is back in the site, hidden, and nothing points at the closed window.
    EXPECT_EQ(::GetParent(containerWnd->m_hWnd), m_frame->m_hWnd);
    EXPECT_FALSE(::IsWindowVisible(containerWnd->m_hWnd));
    EXPECT_EQ(pane->GetParentContainer()->GetHostWindow(), m_frame);
    EXPECT_EQ(pane->GetHostWindow(), m_frame);
    // Docking it again (which reads the pane's host window) takes it back where it was docked.
    Manager().ToggleDocking(pane);
    EXPECT_FALSE(pane->IsAutoHidden());
    EXPECT_EQ(Manager().GetPaneDirection(pane), dockLeftOf);
}

TEST_F(AutoHideTest, ComingBackIntoACollapsingWindowTurnsTheSlideAround)
{
    CTKPPane* pane = HiddenPane(7, dockRightOf);
    CTKPDockingPaneAutoHideWnd* wnd = ClickOpen(pane, dockRightOf);
    ASSERT_NE(wnd, nullptr);
    Tick(10 * 16);
    headless::MouseMove(m_frame->m_hWnd, POINT{100, 300});
    headless::PumpUntilIdle();
    Tick(600, 100);
    ASSERT_TRUE(wnd->m_bCollapsing);
    Tick(3 * 16);
    const int step = wnd->m_nStep;
    EXPECT_LT(step, 7);
    RECT rc;
    ::GetWindowRect(wnd->m_hWnd, &rc);
    headless::MouseMoveScreen(POINT{rc.right - 2, (rc.top + rc.bottom) / 2});
    headless::PumpUntilIdle();
    Tick(100, 100);
    EXPECT_FALSE(wnd->m_bCollapsing);
    EXPECT_EQ(Panel(dockRightOf)->GetActiveWnd(), wnd);
    Tick(10 * 16);
    EXPECT_EQ(wnd->m_nStep, 7);
    EXPECT_EQ(SlideWidth(wnd), wnd->m_rcWindow.Width());
    EXPECT_EQ(Count(paneActionCollapsed), 0);
}

TEST_F(AutoHideTest, SiteRefusalsKeepThingsAsTheyAre)
{
    CTKPPane* pane = HiddenPane(7, dockBottomOf);
    m_frame->refuseAction = paneActionExpanding;
    EXPECT_EQ(ClickOpen(pane, dockBottomOf), nullptr);
    EXPECT_FALSE(::IsWindowVisible(pane->GetParentContainer()->GetPaneWindow()->m_hWnd));

    m_frame->refuseAction = paneActionCollapsing;
    CTKPDockingPaneAutoHideWnd* wnd = ClickOpen(pane, dockBottomOf);
    ASSERT_NE(wnd, nullptr);
    headless::MouseMove(m_frame->m_hWnd, POINT{400, 50});
    headless::PumpUntilIdle();
    Tick(600, 100);
    EXPECT_EQ(Count(paneActionCollapsing), 1);
    EXPECT_FALSE(wnd->m_bCollapsing);
    EXPECT_EQ(wnd->m_nDeactivationCount, 6);
    // A layout of the frame asks too, and the window stays.
    m_frame->RecalcLayout();
    EXPECT_EQ(Panel(dockBottomOf)->GetActiveWnd(), wnd);

    m_frame->refuseAction = -1;
    m_frame->RecalcLayout();
    EXPECT_EQ(Panel(dockBottomOf)->GetActiveWnd(), nullptr);
    headless::PumpUntilIdle();
    EXPECT_FALSE(::IsWindowVisible(pane->GetParentContainer()->GetPaneWindow()->m_hWnd));
}

TEST_F(AutoHideTest, ClickingAnotherTabSwitchesPanesAtOnce)
{
    CTKPPane* first = HiddenPane(1, dockLeftOf);
    CTKPPane* second = HiddenPane(2, dockLeftOf);
    CTKPDockingPaneAutoHideWnd* one = ClickOpen(first, dockLeftOf);
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one->GetSelectedPane(), first);
    CTKPDockingPaneAutoHideWnd* two = ClickOpen(second, dockLeftOf);
    ASSERT_NE(two, nullptr);
    EXPECT_NE(two, one);
    EXPECT_EQ(two->GetSelectedPane(), second);
    EXPECT_FALSE(::IsWindowVisible(first->GetParentContainer()->GetPaneWindow()->m_hWnd));
    Tick(100);
    // The first window closed itself; the second is the only one left.
    EXPECT_EQ(Panel(dockLeftOf)->GetActiveWnd(), two);
    EXPECT_EQ(Count(paneActionCollapsed), 1);
}

struct GripCase {
    int side;
    BOOL outline;
};
class AutoHideGripTest : public AutoHideTest, public ::testing::WithParamInterface<GripCase> {};

TEST_P(AutoHideGripTest, DraggingTheGripResizesTheWindowAndThePane)
{
    const GripCase c = GetParam();
    Manager().m_bSplitterTracker = c.outline;
    GetAutoHideSettings().dAnimationSpeed = 0;
    CTKPPane* pane = HiddenPane(7, c.side);
    CTKPDockingPaneAutoHideWnd* wnd = ClickOpen(pane, c.side);
    ASSERT_NE(wnd, nullptr);
    RECT client;
    ::GetClientRect(wnd->m_hWnd, &client);
    const BOOL horiz = c.side >= 2;
    const int before = horiz ? Height(client) : Width(client);
    POINT grip{};
    int delta = 0;
    switch (c.side) {
    case dockLeftOf:
        grip = POINT{client.right - 2, 100}, delta = 60;
        break;
    case dockRightOf:
        grip = POINT{1, 100}, delta = -60;
        break;
    case dockTopOf:
        grip = POINT{100, client.bottom - 2}, delta = 60;
        break;
    default:
        grip = POINT{100, 1}, delta = -60;
        break;
    }
    headless::ButtonDown(wnd->m_hWnd, grip);
    POINT moved = grip;
    (horiz ? moved.y : moved.x) += delta / 2;
    headless::MouseMove(wnd->m_hWnd, moved);
    (horiz ? moved.y : moved.x) += delta / 2;
    headless::MouseMove(wnd->m_hWnd, moved);
    headless::ButtonUp(wnd->m_hWnd, moved);
    headless::PumpUntilIdle();
    ASSERT_EQ(Panel(c.side)->GetActiveWnd(), wnd);
    ::GetClientRect(wnd->m_hWnd, &client);
    const int after = horiz ? Height(client) : Width(client);
    EXPECT_EQ(after, before + 60);
    EXPECT_EQ(horiz ? pane->m_nDockingCY : pane->m_nDockingCX, after);
    EXPECT_EQ(horiz ? wnd->m_rcWindow.Height() : wnd->m_rcWindow.Width(), after);
}

INSTANTIATE_TEST_SUITE_P(Sides, AutoHideGripTest,
                         ::testing::Values(GripCase{0, FALSE}, GripCase{1, FALSE}, GripCase{2, TRUE},
                                           GripCase{3, TRUE}));

// Not a check: the sample frame with a pane slid out over it, for a reviewer, when asked for.
TEST_F(AutoHideTest, PictureSavedWhenAFolderIsGiven)
{
    const char* folder = std::getenv("DOVEMARK_AUTO_HIDE_PNGS");
    if (!folder)
        GTEST_SKIP();
    CTKPPane* docked = MakePane(Manager(), 9, u"Docked", 160, 120);
    Manager().DockPane(docked, dockRightOf);
    HiddenPane(1, dockLeftOf, u"Output\nOutput");
    CTKPPane* shown = HiddenPane(2, dockLeftOf, u"Find results\nFind");
    HiddenPane(3, dockBottomOf, u"Watch\nWatch");
    CTKPDockingPaneAutoHideWnd* wnd = ClickOpen(shown, dockLeftOf);
    ASSERT_NE(wnd, nullptr);
    Tick(10 * 16);
    ASSERT_EQ(Panel(dockLeftOf)->GetActiveWnd(), wnd);
    ::RedrawWindow(m_frame->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    headless::SavePng(m_frame->m_hWnd, std::string(folder) + "/auto_hide_slid_out.png");
}

// ---- Saving and loading ------------------------------------------------------------------------
class AutoHideLayoutTest : public AutoHideTest {
protected:
    void Save(const char16_t* key)
    {
        CTKPPropExchangeRegistry px(FALSE, HKEY_CURRENT_USER, (CString(kRoot) + u"\\" + key).GetString());
        EXPECT_TRUE(Manager().GetLayout()->DoPropExchange(&px));
    }
    BOOL Load(const char16_t* key)
    {
        CTKPPropExchangeRegistry px(TRUE, HKEY_CURRENT_USER, (CString(kRoot) + u"\\" + key).GetString());
        return Manager().GetLayout()->DoPropExchange(&px);
    }
    void Set(const char16_t* key, int section, const char16_t* name, int value)
    {
        CString path;
        path.Format(u"%s\\%s\\Pane-%d", kRoot, key, section);
        HKEY hkey = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.GetString(), 0, nullptr, 0, KEY_WRITE, nullptr, &hkey, nullptr),
                  ERROR_SUCCESS);
        DWORD word = DWORD(value);
        RegSetValueExW(hkey, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&word), 4);
        RegCloseKey(hkey);
    }
};

TEST_F(AutoHideLayoutTest, AutoHiddenPanesComeBackOnTheirSide)
{
    HiddenPane(1, dockRightOf, u"One");
    HiddenPane(2, dockRightOf, u"Two");
    HiddenPane(3, dockTopOf, u"Three");
    Save(u"saved");
    // Docking everything back changes the layout; loading restores the panels.
    Manager().ToggleDocking(Manager().FindPane(3));
    ASSERT_TRUE(Load(u"saved"));
    m_frame->RecalcLayout();
    CTKPPaneAutoHidePanel* right = Panel(dockRightOf);
    CTKPPaneAutoHidePanel* top = Panel(dockTopOf);
    ASSERT_NE(right, nullptr);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(Panel(dockLeftOf), nullptr);
    ASSERT_EQ(right->GetContainers().size(), 2u);
    ASSERT_EQ(right->GetGroups().size(), 2u);
    EXPECT_EQ(CString(right->GetGroups()[1]->GetItem(0)->m_strCaption), CString(u"Two"));
    CTKPPane* three = Manager().FindPane(3);
    ASSERT_NE(three, nullptr);
    EXPECT_TRUE(three->IsAutoHidden());
    EXPECT_EQ(Manager().GetPaneDirection(three), dockTopOf);
    EXPECT_TRUE(::IsWindow(top->m_hWnd));
    // The loaded pane slides out like any other.
    EXPECT_NE(ClickOpen(three, dockTopOf), nullptr);
}

TEST_F(AutoHideLayoutTest, CraftedSidePanelsAreRefusedAndTheOldLayoutStays)
{
    HiddenPane(1, dockLeftOf, u"One");
    HiddenPane(2, dockTopOf, u"Two");
    Save(u"base");
    const int left = Panel(dockLeftOf)->m_nSaveIndex;
    const int top = Panel(dockTopOf)->m_nSaveIndex;
    const int splitter = Manager().GetTopContainer()->m_nSaveIndex;
    const int container = Panel(dockLeftOf)->GetContainers()[0]->m_nSaveIndex;
    struct Craft {
        const char16_t* name;
        int section;
        const char16_t* key;
        int value;
    } crafts[] = {
        {u"direction", left, u"Direction", 4},
        {u"negative", left, u"Direction", -1},
        {u"same side", top, u"Direction", dockLeftOf},
        {u"splitter child", left, u"Pane-1", splitter},
        {u"itself", left, u"Pane-1", left},
        {u"taken twice", top, u"Pane-1", container},
        {u"count", left, u"Panes", 100000},
    };
    CTKPPaneLayout* before = Manager().GetLayout();
    const size_t panes = before->GetPaneList().size();
    for (const Craft& craft : crafts) {
        SCOPED_TRACE(std::string(craft.name, craft.name + std::char_traits<char16_t>::length(craft.name)));
        RegDeleteTreeW(HKEY_CURRENT_USER, (CString(kRoot) + u"\\bad").GetString());
        Save(u"bad");
        Set(u"bad", craft.section, craft.key, craft.value);
        EXPECT_FALSE(Load(u"bad"));
        EXPECT_EQ(Manager().GetLayout()->GetPaneList().size(), panes);
        ASSERT_NE(Panel(dockLeftOf), nullptr);
        EXPECT_EQ(Panel(dockLeftOf)->GetDirection(), dockLeftOf);
        EXPECT_EQ(Panel(dockTopOf)->GetDirection(), dockTopOf);
        EXPECT_TRUE(Manager().FindPane(1)->IsAutoHidden());
    }
    EXPECT_TRUE(Load(u"base"));
}

} // namespace
