// Tests of docking a tool bar at a point of a dock bar: the row the point falls in, a new row on the
// border between two rows or past the last, and the menu bar's row of its own.
#include <gtest/gtest.h>

#include "backend/headless/driver.h"
#include "toolkit/base/frame_wnd.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/commandbars/bar_move_tracker.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/dock_bar.h"
#include "toolkit/commandbars/tool_bar.h"

#include <initializer_list>
#include <string>

namespace {

class DockBarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        headless::UseVirtualClock();
        SetGlobalTheme(0);
        frame = new CTKPFrameWnd;
        ASSERT_TRUE(frame->Create(nullptr, u"Site", WS_OVERLAPPEDWINDOW, CRect(0, 0, 640, 480)));
        bars = new CTKPCommandBars;
        frame->m_pCommandBars = bars;
        bars->SetSite(frame);
        bars->EnableBarDocking();
        frame->ShowWindow(SW_SHOW);
        top = bars->GetDockBar(0);
    }
    void TearDown() override
    {
        frame->DestroyWindow();
        headless::PumpUntilIdle();
    }
    CTKPToolBar* Bar(const char16_t* title, UINT id)
    {
        CTKPToolBar* bar = bars->AddToolBar(title, id);
        EXPECT_NE(bar, nullptr);
        if (bar) {
            EXPECT_TRUE(bar->LoadToolBar(9200));
        }
        return bar;
    }
    // The entries of the top dock bar as titles, "|" for each row end.
    std::string Rows() const
    {
        std::string rows;
        for (int i = 0; i < top->GetBarCount(); ++i) {
            CTKPCommandBar* bar = top->GetBar(i);
            rows += bar ? std::string(1, char(bar->GetTitle()[0])) : std::string("|");
        }
        return rows;
    }
    // A bar-sized rectangle (screen co-ordinates) centred at a point of the top dock bar.
    RECT At(int x, int y) const
    {
        POINT pt{x, y};
        ::ClientToScreen(top->m_hWnd, &pt);
        return RECT{pt.x - 20, pt.y - 10, pt.x + 20, pt.y + 10};
    }
    int RowBottom(CTKPCommandBar* bar) const
    {
        RECT rc;
        ::GetWindowRect(bar->m_hWnd, &rc);
        ::MapWindowPoints(nullptr, top->m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
        return rc.bottom;
    }
    CTKPFrameWnd* frame = nullptr;
    CTKPCommandBars* bars = nullptr;
    CTKPDockBar* top = nullptr;
};

} // namespace

TEST_F(DockBarTest, ABarDockedAtAPointGoesIntoTheRowUnderIt) {
    CTKPToolBar* a = Bar(u"A", 100);
    CTKPToolBar* b = Bar(u"B", 101);
    CTKPToolBar* c = Bar(u"C", 102);
    ASSERT_TRUE(a && b && c);
    bars->FloatCommandBar(c);
    frame->RecalcLayout();
    ASSERT_EQ(Rows(), "|A|B|");
    const int edge = RowBottom(a);
    const int last = RowBottom(b);
    ASSERT_GT(edge, 0);
    ASSERT_GT(last, edge);

    const struct {
        const char* name;
        int y;
        const char* rows;
    } cases[] = {
        {"inside the first row", edge / 2, "|CA|B|"},
        {"inside the second row", (edge + last) / 2, "|A|CB|"},
        {"on the border of the two rows", edge, "|A|C|B|"},
        {"past the last row", last + 5, "|A|B|C|"},
    };
    for (const auto& cs : cases) {
        SCOPED_TRACE(cs.name);
        const RECT rc = At(50, cs.y);
        bars->DockCommandBar(c, &rc, top);
        EXPECT_EQ(Rows(), cs.rows);
        EXPECT_EQ(c->GetDockBar(), top);
        EXPECT_EQ(c->GetPosition(), TKP_BARPOS_TOP);
        // Its last docked place is kept, in the dock bar's co-ordinates.
        EXPECT_EQ((c->m_rcMRUDock.top + c->m_rcMRUDock.bottom) / 2, cs.y);
        bars->FloatCommandBar(c);
        EXPECT_EQ(Rows(), "|A|B|");
        frame->RecalcLayout();
    }
    // Docked again at the place it already has, nothing changes.
    const RECT rc = At(50, edge / 2);
    bars->DockCommandBar(c, &rc, top);
    frame->RecalcLayout();
    RECT window;
    ::GetWindowRect(c->m_hWnd, &window);
    const std::string before = Rows();
    top->DockCommandBar(c, &window);
    EXPECT_EQ(Rows(), before);
}

TEST_F(DockBarTest, TheMenuBarNeverSharesItsRow) {
    CTKPCommandBar* menu = bars->SetMenuBar(u"M", 9212);
    ASSERT_NE(menu, nullptr);
    CTKPToolBar* a = Bar(u"A", 100);
    ASSERT_NE(a, nullptr);
    bars->FloatCommandBar(a);
    frame->RecalcLayout();
    ASSERT_EQ(Rows(), "|M|");
    const RECT rc = At(50, RowBottom(menu) / 2);
    bars->DockCommandBar(a, &rc, top);
    EXPECT_EQ(Rows(), "|A|M|");
}

// ---- Dragging bars with the mouse ------------------------------------------------------------
namespace {

// A point of the frame's client area, in screen co-ordinates.
POINT FramePoint(CWnd* frame, int x, int y)
{
    return headless::ToScreen(frame->m_hWnd, POINT{x, y});
}

// Presses on the bar's gripper, moves through the points and lets go (or presses Esc first).
void Drag(CTKPToolBar* bar, std::initializer_list<POINT> path, bool escapeBeforeLast = false)
{
    headless::ButtonDown(bar->m_hWnd, POINT{2, 6});
    size_t n = 0;
    for (const POINT& pt : path) {
        if (escapeBeforeLast && ++n == path.size())
            headless::KeyDown(VK_ESCAPE);
        headless::MouseMoveScreen(pt);
    }
    headless::ButtonUp(bar->m_hWnd, POINT{2, 6});
    headless::PumpUntilIdle();
}

RECT WindowRect(CWnd* wnd)
{
    RECT rc{};
    ::GetWindowRect(wnd->m_hWnd, &rc);
    return rc;
}

} // namespace

TEST_F(DockBarTest, DraggingABarMovesItIntoARowFloatsItAndADoubleClickDocksItBack) {
    CTKPToolBar* a = Bar(u"A", 100);
    CTKPToolBar* b = Bar(u"B", 101);
    ASSERT_TRUE(a && b);
    frame->RecalcLayout();
    ASSERT_EQ(Rows(), "|A|B|");
    const RECT before = a->m_rcMRUDock;
    const RECT rowB = WindowRect(b);

    // Into B's row, to the right of B.
    Drag(a, {POINT{rowB.right + 30, (rowB.top + rowB.bottom) / 2}});
    EXPECT_EQ(Rows(), "|AB|");
    EXPECT_EQ(a->GetDockBar(), top);
    EXPECT_GE(WindowRect(a).left, WindowRect(b).right);
    EXPECT_EQ(WindowRect(a).top, WindowRect(b).top);
    const RECT docked = a->m_rcMRUDock;

    // Away from every dock bar it floats, where the mouse left it.
    const POINT away = FramePoint(frame, 300, 250);
    Drag(a, {FramePoint(frame, 300, 200), away});
    EXPECT_TRUE(a->IsFloating());
    EXPECT_EQ(Rows(), "|B|");
    EXPECT_TRUE(::GetWindowLongPtrW(a->m_hWnd, GWL_STYLE) & WS_POPUP);
    const RECT floating = WindowRect(a);
    EXPECT_TRUE(::PtInRect(&floating, away));
    EXPECT_EQ(a->m_ptMRUFloat.x, WindowRect(a).left);
    EXPECT_EQ(a->m_ptMRUFloat.y, WindowRect(a).top);
    // Floating did not change where the bar docks next.
    EXPECT_TRUE(::EqualRect(&a->m_rcMRUDock, &docked));
    EXPECT_EQ(a->m_nMRUDockID, UINT(::GetDlgCtrlID(top->m_hWnd)));
    EXPECT_FALSE(::EqualRect(&before, &docked));

    // A double click on its caption docks it at its last docked rectangle, which now lies past
    // the one row left.
    headless::DoubleClick(a->m_hWnd, POINT{8, 6});
    headless::PumpUntilIdle();
    EXPECT_FALSE(a->IsFloating());
    EXPECT_EQ(a->GetDockBar(), top);
    EXPECT_EQ(Rows(), "|B|A|");
    EXPECT_TRUE(::GetWindowLongPtrW(a->m_hWnd, GWL_STYLE) & WS_CHILD);
    // Docked, a double click floats it only when the options allow it.
    headless::DoubleClick(a->m_hWnd, POINT{2, 6});
    headless::PumpUntilIdle();
    EXPECT_FALSE(a->IsFloating());
    bars->GetCommandBarsOptions()->bDblClickFloat = TRUE;
    headless::DoubleClick(a->m_hWnd, POINT{2, 6});
    headless::PumpUntilIdle();
    EXPECT_TRUE(a->IsFloating());
    EXPECT_EQ(WindowRect(a).left, a->m_ptMRUFloat.x);
}

TEST_F(DockBarTest, ABarFloatedFromItsFirstPlaceDocksBackBelowTheMenuBar) {
    ASSERT_NE(bars->SetMenuBar(u"M", 9212), nullptr);
    CTKPToolBar* a = Bar(u"A", 100);
    ASSERT_NE(a, nullptr);
    frame->RecalcLayout();
    ASSERT_EQ(Rows(), "|M|A|");
    Drag(a, {FramePoint(frame, 300, 250)});
    ASSERT_TRUE(a->IsFloating());
    headless::DoubleClick(a->m_hWnd, POINT{8, 6});
    headless::PumpUntilIdle();
    EXPECT_EQ(a->GetDockBar(), top);
    EXPECT_EQ(Rows(), "|M|A|");
    // Floated by the program, never docked at a place of its own, it docks in a new row too.
    a->m_rcMRUDock = RECT{0, 0, 0, 0};
    bars->FloatCommandBar(a);
    ASSERT_TRUE(a->GetMoveTracker()->ToggleDocking());
    EXPECT_EQ(Rows(), "|M|A|");
}

TEST_F(DockBarTest, AFloatingBarResizedByItsEdgeWrapsItsButtons) {
    CTKPToolBar* a = Bar(u"A", 100);
    ASSERT_NE(a, nullptr);
    bars->FloatCommandBar(a);
    const RECT before = WindowRect(a);
    const int width = before.right - before.left;
    // The right edge dragged in by half the bar's width.
    const POINT edge{width - 1, (before.bottom - before.top) / 2};
    headless::ButtonDown(a->m_hWnd, edge);
    headless::MouseMoveScreen(POINT{before.right - 1 - width / 2, before.top + edge.y});
    headless::ButtonUp(a->m_hWnd, edge);
    headless::PumpUntilIdle();
    const RECT after = WindowRect(a);
    EXPECT_EQ(after.left, before.left);
    EXPECT_LT(after.right - after.left, width);
    EXPECT_GT(after.bottom - after.top, before.bottom - before.top);
    EXPECT_EQ(a->m_nMRUWidth, after.right - after.left);
    // The width it was given is the one it floats with next time.
    a->OnRecalcLayout();
    EXPECT_EQ(WindowRect(a).right, after.right);
}

TEST_F(DockBarTest, EscapeEndsADragWhereTheBarStands) {
    CTKPToolBar* a = Bar(u"A", 100);
    ASSERT_NE(a, nullptr);
    frame->RecalcLayout();
    const POINT first = FramePoint(frame, 300, 250);
    Drag(a, {first, FramePoint(frame, 200, 300)}, true);
    EXPECT_TRUE(a->IsFloating());
    const RECT rc = WindowRect(a);
    EXPECT_TRUE(::PtInRect(&rc, first));
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(DockBarTest, DraggedBarsDockOnlyWhereTheirFlagsAllow) {
    RECT client;
    frame->GetClientRect(&client);
    const struct {
        const char* name;
        DWORD flags;
        POINT to;
        BOOL floating;
        int side;
    } cases[] = {
        {"bottom excluded, may float", 0x11, {300, client.bottom - 5}, TRUE, -1},
        {"nowhere to dock, may not float", 0x03, {300, 250}, FALSE, 0},
        {"bottom allowed", 0x03, {300, client.bottom - 5}, FALSE, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CTKPToolBar* a = Bar(u"A", 100);
        ASSERT_NE(a, nullptr);
        a->EnableDocking(c.flags);
        frame->RecalcLayout();
        Drag(a, {FramePoint(frame, 300, 150), FramePoint(frame, c.to.x, c.to.y)});
        EXPECT_EQ(a->IsFloating(), c.floating);
        if (c.side >= 0) {
            EXPECT_EQ(a->GetDockBar(), bars->GetDockBar(c.side));
        }
        bars->Remove(a);
    }
}

TEST_F(DockBarTest, ARowTooLongShrinksItsBarsOrMovesTheLastToANewRow) {
    const struct {
        const char* name;
        DWORD flags;
        const char* rows;
    } cases[] = {
        {"bars that hide controls behind their expand buttons", 0x3F, "|CBA|"},
        {"bars that cannot shrink", 0x1F, "|BA|C|"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CTKPToolBar* bar[3] = {Bar(u"A", 100), Bar(u"B", 101), Bar(u"C", 102)};
        const int width = bar[0]->CalcDockingLayout(32767, LM_HORZ | LM_HORZDOCK).cx;
        // Room for two and a half bars.
        RECT window, client;
        frame->GetWindowRect(&window);
        frame->GetClientRect(&client);
        frame->MoveWindow(0, 0, width * 5 / 2 + (window.right - window.left - client.right), 300);
        frame->RecalcLayout();
        for (int i = 0; i < 3; ++i) {
            bar[i]->EnableDocking(c.flags);
            const RECT rc = At(20 + i * width, 10);
            bars->DockCommandBar(bar[i], &rc, top);
            frame->RecalcLayout();
        }
        EXPECT_EQ(Rows(), c.rows);
        const RECT a = WindowRect(bar[0]), b = WindowRect(bar[1]), last = WindowRect(bar[2]);
        EXPECT_EQ(a.top, b.top);
        EXPECT_LE(a.right, b.left);
        if (std::string(c.rows) == "|CBA|") {
            EXPECT_EQ(last.top, a.top);
            EXPECT_TRUE(bar[1]->HasHiddenControls() || bar[2]->HasHiddenControls());
        } else {
            EXPECT_EQ(last.top, a.bottom);
        }
        for (CTKPToolBar* one : bar)
            bars->Remove(one);
    }
}

TEST_F(DockBarTest, EachSideLaysItsBarsAlongItsEdge) {
    CTKPToolBar* a = Bar(u"A", 100);
    ASSERT_NE(a, nullptr);
    RECT client;
    frame->GetClientRect(&client);
    for (int side = 0; side < 4; ++side) {
        SCOPED_TRACE(side);
        bars->DockCommandBar(a, side);
        frame->RecalcLayout();
        CTKPDockBar* dock = bars->GetDockBar(side);
        EXPECT_EQ(a->GetDockBar(), dock);
        EXPECT_EQ(a->GetPosition(), side);
        EXPECT_EQ(a->m_nMRUDockID, UINT(::GetDlgCtrlID(dock->m_hWnd)));
        const RECT bar = WindowRect(a), edge = WindowRect(dock);
        const BOOL vertical = side >= 2;
        // Vertical bars stack their buttons; the dock bar is as thick as its one bar.
        EXPECT_EQ((bar.bottom - bar.top) > (bar.right - bar.left), vertical);
        if (vertical) {
            EXPECT_EQ(edge.right - edge.left, bar.right - bar.left);
        } else {
            EXPECT_EQ(edge.bottom - edge.top, bar.bottom - bar.top);
        }
    }
    // A hidden dock bar leaves its side to the rest.
    CTKPDockBar* right = bars->GetDockBar(3);
    RECT rest{};
    frame->RepositionBars(0, 0xFFFF, AFX_IDW_PANE_FIRST, CWnd::reposQuery, &rest, nullptr, TRUE);
    EXPECT_LT(rest.right, client.right);
    right->ShowWindow(SW_HIDE);
    frame->RepositionBars(0, 0xFFFF, AFX_IDW_PANE_FIRST, CWnd::reposQuery, &rest, nullptr, TRUE);
    EXPECT_EQ(rest.right, client.right);
}
