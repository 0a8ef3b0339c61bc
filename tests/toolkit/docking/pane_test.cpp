// Tests of single panes and splitter containers: titles, tab colours, focus, the proportional
// layout within limits, removing the last child, and dragging a splitter bar.
#include <gtest/gtest.h>

#include "tests/toolkit/docking/dock_test_frame.h"
#include "toolkit/docking/dock_paint_manager.h"

using namespace docktest;

namespace {

class PaneTest : public ::testing::Test {
protected:
    void SetUp() override { m_frame = OpenFrame(); }
    void TearDown() override { CloseFrame(m_frame); }
    TestPaneManager& Manager() { return m_frame->m_paneManager; }
    CTKPPane* NewPane()
    {
        return static_cast<CTKPPane*>(Manager().OnCreatePane(paneTypeDockingPane, Manager().GetLayout()));
    }

    DockFrame* m_frame = nullptr;
};

TEST_F(PaneTest, TitleBeforeTheFirstLineFeedIsTheCaptionAndAfterItTheTabText)
{
    const struct {
        const char16_t* title;
        const char16_t* caption;
        const char16_t* tab;
    } cases[] = {
        {u"Output", u"Output", u"Output"},
        {u"Solution Explorer\nSolution", u"Solution Explorer", u"Solution"},
        {u"A\nB\nC", u"A", u"B\nC"},
        {u"", u"", u""},
    };
    CTKPPane& pane = *NewPane();
    for (const auto& c : cases) {
        pane.m_strTitle = c.title;
        EXPECT_EQ(pane.GetTitle(), CString(c.caption));
        EXPECT_EQ(pane.GetShortTitle(), CString(c.tab));
    }
}

LRESULT CALLBACK TabColorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == TKP_WM_GETTABCOLOR)
        return 0x00336699;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

TEST_F(PaneTest, TabColourIsTheOwnThenTheChildsAnswerThenAutomaticByIdentifier)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = TabColorProc;
    wc.lpszClassName = u"DockTabColorChild";
    RegisterClassW(&wc);
    HWND colored = CreateWindowExW(0, u"DockTabColorChild", u"", WS_CHILD, 0, 0, 1, 1, m_frame->m_hWnd, nullptr,
                                   nullptr, nullptr);
    CTKPPane& pane = *NewPane();
    pane.m_nID = 13;
    EXPECT_EQ(pane.GetItemColor(), COLORREF(TKP_TAB_COLOR_AUTO + 5));
    pane.Attach(colored);
    EXPECT_EQ(pane.GetItemColor(), COLORREF(0x00336699));
    pane.m_clrItemTab = 0x0000FF;
    EXPECT_EQ(pane.GetItemColor(), COLORREF(0x0000FF));
    pane.Attach(nullptr);
    DestroyWindow(colored);
}

TEST_F(PaneTest, PaneWithoutChildWindowLaysOutAndHasNoFocus)
{
    CTKPPane& pane = *NewPane();
    EXPECT_FALSE(pane.IsFocus());
    pane.SetFocus();
    AFX_SIZEPARENTPARAMS layout{};
    layout.hDWP = BeginDeferWindowPos(1);
    pane.OnSizeParent(m_frame, RECT{10, 20, 110, 220}, &layout);
    EndDeferWindowPos(layout.hDWP);
    EXPECT_EQ(pane.GetPaneRect().right, 110);
    EXPECT_FALSE(pane.IsFocus());
}

// A bare pane with limits, laid out by a container.
class LimitedPane : public CTKPPaneBase {
public:
    LimitedPane(CTKPPaneLayout* layout, int cx, int minimum, int maximum) : CTKPPaneBase(paneTypeClient + 10, layout)
    {
        m_nDockingCX = cx;
        m_min = minimum;
        m_max = maximum;
    }
    void GetMinMaxInfo(MINMAXINFO* info) const override
    {
        CTKPPaneBase::GetMinMaxInfo(info);
        info->ptMinTrackSize = POINT{m_min, 0};
        info->ptMaxTrackSize = POINT{m_max, 32000};
    }
    int m_min, m_max;
};

TEST_F(PaneTest, SplitterSharesItsWidthByDockingSizesWithinEachChildsLimits)
{
    // Children side by side in 404 pixels with 4-pixel bars: three bars' worth of gaps is 8.
    const struct {
        int cx[3], minimum[3], maximum[3];
        int widths[3];
    } cases[] = {
        {{100, 100, 200}, {0, 0, 0}, {32000, 32000, 32000}, {99, 99, 198}},
        // The first child's minimum is above its share: fixed there, the others share the rest.
        {{100, 100, 200}, {250, 0, 0}, {32000, 32000, 32000}, {250, 48, 98}},
        // A maximum below the share fixes the child there.
        {{100, 100, 200}, {0, 0, 0}, {32000, 32000, 50}, {173, 173, 50}},
    };
    for (const auto& c : cases) {
        auto* container = static_cast<CTKPPaneSplitterContainer*>(
            Manager().OnCreatePane(paneTypeSplitterContainer, Manager().GetLayout()));
        container->m_bHorizontal = TRUE;
        std::vector<LimitedPane*> panes;
        for (int i = 0; i < 3; ++i) {
            panes.push_back(new LimitedPane(Manager().GetLayout(), c.cx[i], c.minimum[i], c.maximum[i]));
            container->AddPane(panes.back());
        }
        container->OnSizeParent(m_frame, RECT{0, 0, 404, 100}, nullptr);
        int x = 0;
        for (int i = 0; i < 3; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(panes[i]->GetPaneRect().left, x);
            EXPECT_EQ(Width(panes[i]->GetPaneRect()), c.widths[i]);
            x = panes[i]->GetPaneRect().right + 4;
        }
        EXPECT_EQ(panes[2]->GetPaneRect().right, 404);  // the last one reaches the far edge
    }
}

TEST_F(PaneTest, ContainerWhoseLastChildGoesRemovesItselfFromItsParent)
{
    CTKPPaneLayout* layout = Manager().GetLayout();
    auto* outer = static_cast<CTKPPaneSplitterContainer*>(Manager().OnCreatePane(paneTypeSplitterContainer, layout));
    auto* inner = static_cast<CTKPPaneSplitterContainer*>(Manager().OnCreatePane(paneTypeSplitterContainer, layout));
    auto* a = Manager().OnCreatePane(paneTypeClient, layout);
    auto* b = Manager().OnCreatePane(paneTypeClient, layout);
    outer->AddPane(a);
    outer->AddPane(inner);
    inner->AddPane(b);
    EXPECT_TRUE(outer->ContainsPane(b));
    EXPECT_EQ(outer->GetSplitters().size(), 1u);
    inner->RemovePane(b);
    EXPECT_EQ(b->GetParentContainer(), nullptr);
    EXPECT_EQ(inner->GetParentContainer(), nullptr);
    EXPECT_EQ(outer->GetPanes().size(), 1u);
    EXPECT_TRUE(outer->GetSplitters().empty());
}

TEST_F(PaneTest, PaneThatMayNotFloatStaysDockedAndNothingIsSent)
{
    CTKPPane* pane = MakePane(Manager(), 1, u"Pane");
    Manager().DockPane(pane, dockLeftOf);
    pane->m_dwOptions = paneNoFloatable;
    m_frame->notifications.clear();
    CTKPPaneBase* container = pane->GetParentContainer();
    EXPECT_FALSE(Manager().ToggleDocking(pane, nullptr));
    Manager().ToggleDocking(static_cast<CTKPPaneBase*>(pane));
    EXPECT_EQ(pane->GetParentContainer(), container);
    EXPECT_TRUE(m_frame->notifications.empty());
}

// ---- Dragging a bar ----------------------------------------------------------------------------
class SplitterDragTest : public PaneTest {
protected:
    void SetUp() override
    {
        PaneTest::SetUp();
        m_left = MakePane(Manager(), 1, u"Left", 200);
        Manager().DockPane(m_left, dockLeftOf);
        m_frame->RecalcLayout();
        m_bar = Manager().GetTopContainer()->GetSplitters().at(0);
        ASSERT_NE(m_bar->GetSafeHwnd(), nullptr);
    }
    // Presses the bar at its middle and lets the posted moves drive the drag.
    void Drag(std::initializer_list<int> moves, UINT end)
    {
        RECT bar;
        ::GetClientRect(m_bar->m_hWnd, &bar);
        const int y = bar.bottom / 2;
        for (int dx : moves)
            PostMessageW(m_bar->m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(dx, y));
        if (end == WM_LBUTTONUP)
            PostMessageW(m_bar->m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(0, y));
        else
            PostMessageW(m_bar->m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
        SendMessageW(m_bar->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, y));
        m_frame->RecalcLayout();
    }
    int LeftWidth() { return Width(m_left->GetParentContainer()->GetPaneRect()); }

    CTKPPane* m_left = nullptr;
    CTKPPaneSplitterWnd* m_bar = nullptr;
};

TEST_F(SplitterDragTest, LeftPaneTakesItsDockingWidthAndTheClientTheRest)
{
    EXPECT_EQ(LeftWidth(), 200);
    const RECT view = m_frame->ViewRect();
    EXPECT_EQ(view.left, 204);
    EXPECT_EQ(view.right, 800);
}

TEST_F(SplitterDragTest, BarLandsWhereItIsReleased)
{
    Drag({+60}, WM_LBUTTONUP);  // pressed at x 1 of the bar, released 59 pixels further on
    EXPECT_EQ(LeftWidth(), 259);
    EXPECT_EQ(m_frame->ViewRect().left, 263);
}

TEST_F(SplitterDragTest, BarStopsAtTheLimitsAndEscapeKeepsTheOldPlace)
{
    Drag({-500}, WM_LBUTTONUP);
    EXPECT_EQ(LeftWidth(), 22);  // the manager's smallest drag size
    Drag({+1000}, WM_LBUTTONUP);
    // The client keeps the smallest drag size, the bar's own width included.
    EXPECT_EQ(Width(m_frame->ViewRect()), 18);
    const int before = LeftWidth();
    Drag({-100}, WM_KEYDOWN);
    EXPECT_EQ(LeftWidth(), before);
}

TEST_F(SplitterDragTest, LiveDragResizesAsTheMouseMoves)
{
    Manager().m_bSplitterTracker = FALSE;
    Drag({+31}, WM_LBUTTONUP);
    EXPECT_EQ(LeftWidth(), 230);
}

TEST_F(SplitterDragTest, LockedSplittersDoNotDrag)
{
    Manager().m_bLockSplitters = TRUE;
    Drag({+60}, WM_LBUTTONUP);
    headless::PumpUntilIdle();
    EXPECT_EQ(LeftWidth(), 200);
}

} // namespace
