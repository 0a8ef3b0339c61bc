// Tests of the toolkit rebar: tool bars become bands (taken off their dock bars), are found and
// removed by their window, and each band follows its bar's one-row layout.
#include <gtest/gtest.h>

#include "afx/frame.h"
#include "backend/headless/driver.h"
#include "controls/paint_probe.h"
#include "toolkit/base/rebar.h"
#include "toolkit/commandbars/dock_bar.h"
#include "toolkit/commandbars/tool_bar.h"

#include <memory>
#include <vector>

namespace {

// A tool bar whose layout is a given size; it records the layouts asked of it.
class SizedToolBar : public CTKPToolBar {
public:
    CSize CalcDynamicLayout(int length, DWORD mode) override
    {
        layouts.push_back({length, mode});
        return size;
    }
    CSize size{120, 26};
    std::vector<std::pair<int, DWORD>> layouts;
};

class ReBarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_frame->Create(nullptr, u"rebar", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 600, 300)));
        ASSERT_TRUE(m_rebar.Create(m_frame));
    }
    void TearDown() override
    {
        for (auto& bar : m_bars)
            bar->DestroyWindow();
        m_rebar.DestroyWindow();
        m_frame->DestroyWindow();  // frees the frame
        headless::PumpUntilIdle();
    }
    SizedToolBar* MakeBar(UINT id, CSize size = CSize(120, 26))
    {
        auto bar = std::make_unique<SizedToolBar>();
        bar->size = size;
        bar->SetBarID(id);
        EXPECT_TRUE(bar->CreateEx(0, AfxRegisterWndClass(0), u"bar", WS_CHILD | WS_VISIBLE, CRect(0, 0, 50, 20),
                                  m_frame, id));
        m_bars.push_back(std::move(bar));
        return m_bars.back().get();
    }
    std::vector<HWND> BandChildren()
    {
        std::vector<HWND> children;
        for (UINT i = 0; i < m_rebar.GetReBarCtrl().GetBandCount(); ++i) {
            REBARBANDINFOW rbbi{};
            rbbi.cbSize = sizeof(rbbi);
            rbbi.fMask = RBBIM_CHILD;
            m_rebar.GetReBarCtrl().GetBandInfo(i, &rbbi);
            children.push_back(rbbi.hwndChild);
        }
        return children;
    }
    REBARBANDINFOW Band(int index, UINT mask)
    {
        REBARBANDINFOW rbbi{};
        rbbi.cbSize = sizeof(rbbi);
        rbbi.fMask = mask;
        EXPECT_TRUE(m_rebar.GetReBarCtrl().GetBandInfo((UINT)index, &rbbi));
        return rbbi;
    }

    CFrameWnd* m_frame = new CFrameWnd;
    CTKPReBar m_rebar;
    std::vector<std::unique_ptr<SizedToolBar>> m_bars;
};

TEST_F(ReBarTest, AToolBarBecomesABandOffItsDockBar)
{
    CTKPDockBar dockBar;
    ASSERT_TRUE(dockBar.Create(m_frame, WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP, 0xE81B));
    SizedToolBar* docked = MakeBar(0xE820);
    SizedToolBar* loose = MakeBar(0xE821);
    docked->EnableDocking(0x3F);
    dockBar.DockCommandBar(docked);
    ASSERT_EQ(docked->GetDockBar(), &dockBar);
    loose->m_dwStyle |= CBRS_FLOATING;

    struct Case {
        SizedToolBar* bar;
        int band;
    } cases[] = {{docked, 0}, {loose, 1}};
    for (const Case& c : cases) {
        ASSERT_TRUE(m_rebar.AddToolBar(c.bar));
        EXPECT_EQ(m_rebar.FindToolBarBand(c.bar), c.band);
        EXPECT_EQ(m_rebar.GetBandToolBar(c.band), c.bar);
        EXPECT_EQ(Band(c.band, RBBIM_ID).wID, c.bar->GetBarID());
        EXPECT_EQ(::GetParent(c.bar->m_hWnd), m_rebar.m_hWnd);
        EXPECT_EQ(c.bar->GetDockBar(), nullptr);
        EXPECT_EQ(c.bar->GetDockingFlags(), 0u);
        EXPECT_EQ(c.bar->m_dwStyle & CBRS_FLOATING, 0u);
        ASSERT_FALSE(c.bar->layouts.empty());
        EXPECT_EQ(c.bar->layouts.front(), (std::pair<int, DWORD>{32000, LM_HORZ | LM_HORZDOCK | LM_COMMIT}));
    }
    EXPECT_EQ(dockBar.FindBar(docked), -1);
    EXPECT_FALSE(m_rebar.AddToolBar(nullptr));
    dockBar.DestroyWindow();
}

TEST_F(ReBarTest, DeletingABandLeavesTheOthersInOrder)
{
    SizedToolBar* a = MakeBar(1);
    SizedToolBar* b = MakeBar(2);
    SizedToolBar* c = MakeBar(3);
    CWnd plain;
    ASSERT_TRUE(plain.CreateEx(0, AfxRegisterWndClass(0), u"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 40, 20), m_frame, 9));
    for (SizedToolBar* bar : {a, b, c})
        ASSERT_TRUE(m_rebar.AddToolBar(bar));
    ASSERT_TRUE(m_rebar.AddBar(&plain));
    EXPECT_EQ(m_rebar.GetBandToolBar(3), nullptr);  // a band that is no tool bar
    EXPECT_EQ(m_rebar.GetBandToolBar(4), nullptr);  // no band at all

    m_rebar.DeleteToolBar(b);
    EXPECT_EQ(BandChildren(), (std::vector<HWND>{a->m_hWnd, c->m_hWnd, plain.m_hWnd}));
    EXPECT_EQ(m_rebar.FindToolBarBand(b), -1);
    EXPECT_EQ(m_rebar.FindToolBarBand(c), 1);
    m_rebar.DeleteToolBar(b);  // not there any more: nothing happens
    m_rebar.DeleteToolBar(nullptr);
    EXPECT_EQ(BandChildren().size(), 3u);
    plain.DestroyWindow();
}

TEST_F(ReBarTest, EachBandTakesItsBarsCommittedOneRowSize)
{
    SizedToolBar* wide = MakeBar(1, CSize(300, 26));
    SizedToolBar* tall = MakeBar(2, CSize(90, 48));
    tall->m_bRebarSingleRow = TRUE;
    for (SizedToolBar* bar : {wide, tall}) {
        ASSERT_TRUE(m_rebar.AddToolBar(bar));
        bar->layouts.clear();
    }
    // The bars grew since they were added; the frame's layout must make room for them at once.
    m_frame->RecalcLayout();

    struct Case {
        SizedToolBar* bar;
        DWORD commitMode;
    } cases[] = {{wide, LM_HORZ | LM_HORZDOCK | LM_COMMIT | LM_STRETCH},
                 {tall, LM_HORZ | LM_HORZDOCK | LM_COMMIT | 0x80}};
    for (const Case& c : cases) {
        ASSERT_GE(c.bar->layouts.size(), 2u);
        EXPECT_EQ(c.bar->layouts[0], (std::pair<int, DWORD>{32000, LM_HORZ | LM_HORZDOCK}));
        EXPECT_EQ(c.bar->layouts[1], (std::pair<int, DWORD>{32000, c.commitMode}));
        REBARBANDINFOW rbbi = Band(m_rebar.FindToolBarBand(c.bar), RBBIM_CHILDSIZE | RBBIM_IDEALSIZE);
        EXPECT_EQ(rbbi.cxMinChild, (UINT)c.bar->size.cx);
        EXPECT_EQ(rbbi.cyMinChild, (UINT)c.bar->size.cy);
        EXPECT_EQ(rbbi.cxIdeal, (UINT)c.bar->size.cx);
    }
    CRect rc;
    m_rebar.GetWindowRect(&rc);
    EXPECT_EQ(rc.Height(), (int)m_rebar.GetReBarCtrl().GetBarHeight());
    EXPECT_GE(rc.Height(), 48);
}

TEST_F(ReBarTest, PaintsWhatTheRebarControlDraws)
{
    SizedToolBar* bar = MakeBar(1);
    ASSERT_TRUE(m_rebar.AddToolBar(bar));
    m_frame->RecalcLayout();
    headless::PumpUntilIdle();
    CRect rc;
    m_rebar.GetClientRect(&rc);
    ASSERT_GT(rc.Height(), 0);
    PaintProbe control(rc.Width(), rc.Height());
    control.Print(m_rebar.m_hWnd);  // the control's own drawing of its bands
    CRect child;
    bar->GetWindowRect(&child);
    m_rebar.ScreenToClient(&child);
    ASSERT_GT(child.left, 0);
    HDC window = ::GetDC(m_rebar.m_hWnd);
    int differing = 0, gripper = 0;
    // Left of the band's child: the band border and gripper, drawn by the control.
    for (int y = 0; y < rc.Height(); ++y)
        for (int x = 0; x < child.left; ++x) {
            differing += ::GetPixel(window, x, y) != control.At(x, y);
            gripper += control.At(x, y) != ::GetSysColor(COLOR_BTNFACE);
        }
    ::ReleaseDC(m_rebar.m_hWnd, window);
    EXPECT_EQ(differing, 0);
    EXPECT_GT(gripper, 0);
}

} // namespace
