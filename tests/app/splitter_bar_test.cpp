// The splitter bar: its geometry from the profile, dragging within the minimums, Escape, the hidden left
// pane and the position written back.
#include "app/splitter_bar.h"

#include "afx/app.h"
#include "backend/headless/driver.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class SplitterBarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        headless::UseVirtualClock();
        m_app.SetRegistryKey(u"Dovemark Tests");
        ASSERT_TRUE(m_parent.CreateEx(0, AfxRegisterWndClass(0), u"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800,
                                      600, nullptr, nullptr));
    }
    void TearDown() override
    {
        m_parent.DestroyWindow();
        headless::PumpUntilIdle();
    }

    // A bar over 600 x 400 of the parent's client area with two child panes.
    std::unique_ptr<CSplitterBar> MakeBar(UINT id, DWORD kind, int min1, int min2)
    {
        auto first = std::make_unique<CStatic>(), second = std::make_unique<CStatic>();
        EXPECT_TRUE(first->Create(u"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 1, 1), &m_parent, 1));
        EXPECT_TRUE(second->Create(u"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 1, 1), &m_parent, 2));
        auto bar = std::make_unique<CSplitterBar>();
        EXPECT_TRUE(bar->Create(WS_CHILD | WS_VISIBLE | kind, &m_parent, first.get(), second.get(), id,
                                CRect(0, 0, 600, 400), min1, min2));
        m_panes.push_back(std::move(first));
        m_panes.push_back(std::move(second));
        return bar;
    }

    CRect PaneRect(int index) const
    {
        CRect r;
        m_panes[index]->GetWindowRect(&r);
        CWnd* parent = m_panes[index]->GetParent();
        parent->ScreenToClient(&r);
        return r;
    }

    CWinApp m_app{u"SplitterTest"};
    CWnd m_parent;
    std::vector<std::unique_ptr<CStatic>> m_panes;
};

TEST_F(SplitterBarTest, WithoutAProfileValueTheLeftPaneStartsTwiceItsMinimumAndKeepsItsWidthOnResize)
{
    auto bar = MakeBar(157, SPLS_VERTICAL, 190, 170);
    EXPECT_EQ(PaneRect(0), CRect(0, 0, 380, 400));
    EXPECT_EQ(PaneRect(1), CRect(385, 0, 600, 400));
    bar->MoveWindow(0, 0, 700, 300);
    EXPECT_EQ(PaneRect(0), CRect(0, 0, 380, 300));
    EXPECT_EQ(PaneRect(1), CRect(385, 0, 700, 300));
}

TEST_F(SplitterBarTest, HorizontalBarKeepsTheBottomPanesHeight)
{
    auto bar = MakeBar(164, SPLS_HORIZONTAL, 90, 110);
    EXPECT_EQ(PaneRect(1), CRect(0, 180, 600, 400)); // 2 x 110 high
    EXPECT_EQ(PaneRect(0), CRect(0, 0, 600, 175));
    bar->MoveWindow(0, 0, 600, 500);
    EXPECT_EQ(PaneRect(1), CRect(0, 280, 600, 500));
}

TEST_F(SplitterBarTest, DraggingStopsAtTheMinimumsAndEscapeLeavesThePanes)
{
    auto bar = MakeBar(157, SPLS_VERTICAL, 100, 150);
    struct {
        int to;
        int leftRight; // where the left pane ends after the drop
    } drags[] = {{300, 298}, {20, 98}, {590, 448}};
    for (const auto& d : drags) {
        CRect before = PaneRect(0);
        headless::ButtonDown(bar->m_hWnd, {before.right + 2, 50});
        headless::MouseMove(bar->m_hWnd, {d.to, 50});
        headless::ButtonUp(bar->m_hWnd, {d.to, 50});
        headless::PumpUntilIdle();
        EXPECT_EQ(PaneRect(0).right, d.leftRight) << d.to;
        EXPECT_EQ(PaneRect(1).left, d.leftRight + 5) << d.to;
    }
    CRect before = PaneRect(0);
    headless::ButtonDown(bar->m_hWnd, {before.right + 2, 50});
    headless::MouseMove(bar->m_hWnd, {250, 50});
    headless::PumpUntilIdle();
    headless::PressKey(VK_ESCAPE);
    headless::ButtonUp(bar->m_hWnd, {250, 50});
    headless::PumpUntilIdle();
    EXPECT_EQ(PaneRect(0), before);
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(SplitterBarTest, AfterHidingTheLeftPaneThereIsNoBarToDrag)
{
    auto bar = MakeBar(157, SPLS_VERTICAL, 100, 100);
    int old = PaneRect(0).right;
    bar->HideLeftPane();
    EXPECT_FALSE(m_panes[0]->IsWindowVisible());
    EXPECT_EQ(PaneRect(1), CRect(0, 0, 600, 400));
    headless::ButtonDown(bar->m_hWnd, {old + 2, 50});
    headless::PumpUntilIdle();
    EXPECT_FALSE(bar->m_bVertTracking);
    headless::ButtonUp(bar->m_hWnd, {old + 2, 50});
    bar->ShowLeftPane();
    EXPECT_TRUE(m_panes[0]->IsWindowVisible());
    EXPECT_EQ(PaneRect(0).right, old);
}

// The position goes into the profile under the id, so two bars of one id share it.
TEST_F(SplitterBarTest, ThePositionIsWrittenUnderTheIdAndReadByTheNextBarOfThatId)
{
    {
        auto bar = MakeBar(77, SPLS_VERTICAL, 100, 100);
        bar->MoveVerticalSplit(262);
        bar->DestroyWindow();
    }
    EXPECT_EQ(m_app.GetProfileInt(u"splt\\init_v77", u"VertSplitPos", 0), 260u);
    auto again = MakeBar(77, SPLS_VERTICAL, 100, 100);
    EXPECT_EQ(PaneRect(m_panes.size() - 2).right, 260);
    {
        auto horizontal = MakeBar(78, SPLS_HORIZONTAL, 50, 60);
        horizontal->MoveHorizontalSplit(300);
        CSplitterBar::SaveAllPositions();
    }
    EXPECT_EQ(m_app.GetProfileInt(u"splt\\init_h78", u"HorizSplitPos", 0), 98u);
}

} // namespace
