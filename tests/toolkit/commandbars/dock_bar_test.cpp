// Tests of docking a tool bar at a point of a dock bar: the row the point falls in, a new row on the
// border between two rows or past the last, and the menu bar's row of its own.
#include <gtest/gtest.h>

#include "backend/headless/driver.h"
#include "toolkit/base/frame_wnd.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/dock_bar.h"
#include "toolkit/commandbars/tool_bar.h"

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
