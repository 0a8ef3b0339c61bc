// Tests of the dock painters: caption fonts and heights, caption colours and button places of the
// default theme, the clipped caption corners of theme 2, and the dotted splitter gripper. With
// DOVEMARK_DOCK_THEME_PNGS set to a folder, the sample frame is also saved there once per theme.
#include <gtest/gtest.h>

#include "platform/gdi/gdi_fixture.h"
#include "tests/toolkit/docking/dock_test_frame.h"
#include "toolkit/docking/dock_paint_themes.h"
#include "toolkit/docking/pane_caption_button.h"

#include <cstdlib>
#include <string>

using namespace docktest;

namespace {

int FontHeight(CFont& font)
{
    LOGFONTW lf{};
    ::GetObjectW(font.GetSafeHandle(), sizeof(lf), &lf);
    return lf.lfHeight;
}

TEST(DockPainterFonts, SmallFontsGiveTheVerticalFontElevenPixelsAndTheCaptionItsFloor)
{
    CTKPPaneDefaultTheme painter;
    LOGFONTW lf{};
    lf.lfHeight = -8;
    std::copy_n(u"Arial", 6, lf.lfFaceName);
    painter.SetCaptionFont(lf, FALSE);
    EXPECT_EQ(FontHeight(painter.m_fntCaptionVertical), -11);
    EXPECT_EQ(FontHeight(painter.m_fntCaption), -8);
    lf.lfHeight = 10;
    painter.SetCaptionFont(lf, FALSE);
    EXPECT_EQ(painter.GetCaptionHeight(), painter.m_nCaptionSpacing + 13);
    lf.lfHeight = -30;
    painter.SetCaptionFont(lf, FALSE);
    EXPECT_EQ(FontHeight(painter.m_fntCaptionVertical), -30);
    EXPECT_GT(painter.GetCaptionHeight(), painter.m_nCaptionSpacing + 13);
}

class DockPainterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_frame = OpenFrame();
        // A bare container draws exactly what the painter is asked to draw.
        m_container = new TestTabbedContainer(Manager().GetLayout());
        m_pane = MakePane(Manager(), 1, u"Tools");
        m_container->AddPane(m_pane, FALSE);
        m_container->AddCaptionButton(TKP_IDS_PANE_CLOSE);
    }
    void TearDown() override { CloseFrame(m_frame); }
    TestPaneManager& Manager() { return m_frame->m_paneManager; }

    DockFrame* m_frame = nullptr;
    TestTabbedContainer* m_container = nullptr;
    CTKPPane* m_pane = nullptr;
};

TEST_F(DockPainterTest, DefaultThemeDrawsTheActiveCaptionAndLaysTheCloseButtonAtItsEnd)
{
    Manager().SetDockingTheme(0);
    CTKPPaneThemePainter* painter = Manager().GetPaintManager();
    m_container->m_bActive = TRUE;
    MemDC canvas(200, 100);
    CDC dc;
    dc.Attach(canvas.dc);
    painter->DrawTabbedContainer(&dc, m_container, RECT{0, 0, 200, 100});
    dc.Detach();
    const int h = painter->GetCaptionHeight();
    EXPECT_EQ(canvas.At(100, 1), GetSysColor(COLOR_BTNFACE));       // above the caption
    EXPECT_EQ(canvas.At(100, 3), GetSysColor(COLOR_ACTIVECAPTION));  // the caption itself
    EXPECT_EQ(canvas.At(100, h + 2), GetSysColor(COLOR_BTNFACE));    // below it
    const RECT button = m_container->GetCaptionButtons()[0]->GetRect();
    EXPECT_EQ(button.right, 198);
    EXPECT_EQ(button.right - button.left, 12);
    // The client lies below the caption and its margins.
    RECT client{0, 0, 200, 100};
    painter->AdjustTabbedClientRect(m_container, client, FALSE);
    EXPECT_EQ(client.top, h + 3);

    m_container->m_bActive = FALSE;
    dc.Attach(canvas.dc);
    painter->DrawTabbedContainer(&dc, m_container, RECT{0, 0, 200, 100});
    dc.Detach();
    EXPECT_EQ(canvas.At(100, 3), GetSysColor(COLOR_INACTIVECAPTION));
}

TEST_F(DockPainterTest, ThemeTwoLeavesTheCaptionCornersInTheSplitterColour)
{
    Manager().SetDockingTheme(2);
    CTKPPaneThemePainter* painter = Manager().GetPaintManager();
    MemDC canvas(200, 100, RGB(1, 2, 3));
    CDC dc;
    dc.Attach(canvas.dc);
    painter->DrawCaption(&dc, m_container, RECT{0, 0, 200, 100});
    dc.Detach();
    const COLORREF splitter = painter->m_clrSplitter;
    const int bottom = painter->GetCaptionHeight() + 2;
    EXPECT_EQ(canvas.At(0, 10), splitter);  // the strip's first column is not part of the caption
    EXPECT_EQ(canvas.At(1, 0), splitter);   // corners of the caption are left out
    EXPECT_EQ(canvas.At(199, 0), splitter);
    EXPECT_EQ(canvas.At(199, bottom), splitter);
    EXPECT_NE(canvas.At(100, 10), splitter);
    EXPECT_EQ(canvas.At(100, bottom + 1), RGB(1, 2, 3));  // nothing below the strip
}

TEST_F(DockPainterTest, DottedGripperReachesTenPixelsEachSideOnAFortyPixelBar)
{
    auto* container = static_cast<CTKPPaneSplitterContainer*>(
        Manager().OnCreatePane(paneTypeSplitterContainer, Manager().GetLayout()));
    container->m_bHorizontal = TRUE;
    CTKPPaneSplitterWnd bar;
    bar.Init(container, nullptr, nullptr);
    ASSERT_TRUE(bar.Create(m_frame));
    bar.MoveWindow(0, 0, 4, 40);
    CTKPPaneThemePainter* painter = Manager().GetPaintManager();
    painter->m_dwSplitterStyle = splitterStyleDots;
    painter->m_clrSplitter.SetOverride(RGB(200, 200, 200));
    painter->m_clrSplitterGripper.SetOverride(RGB(0, 0, 128));
    MemDC canvas(4, 40);
    CDC dc;
    dc.Attach(canvas.dc);
    painter->DrawSplitter(&dc, &bar);
    dc.Detach();
    int first = -1, last = -1;
    for (int y = 0; y < 40; ++y)
        if (canvas.At(0, y) == RGB(0, 0, 128)) {
            if (first < 0)
                first = y;
            last = y;
        }
    EXPECT_EQ(first, 10);
    EXPECT_EQ(last, 31);
    EXPECT_EQ(canvas.At(1, 9), RGB(200, 200, 200));
    bar.DestroyWindow();
}

// Not a check: pictures of the sample frame in each theme for a reviewer, when asked for.
TEST(DockThemePictures, SavedWhenAFolderIsGiven)
{
    const char* folder = std::getenv("DOVEMARK_DOCK_THEME_PNGS");
    if (!folder)
        GTEST_SKIP();
    DockFrame* frame = OpenFrame(640, 420);
    TestPaneManager& manager = frame->m_paneManager;
    CTKPPane* left = MakePane(manager, 1, u"Left", 180, 200);
    CTKPPane* below = MakePane(manager, 2, u"Below", 180, 120);
    CTKPPane* right = MakePane(manager, 3, u"Right", 160, 200);
    CTKPPane* tab = MakePane(manager, 4, u"Tab", 180, 200);
    CTKPPane* floating = MakePane(manager, 5, u"Floating", 200, 150);
    manager.DockPane(left, dockLeftOf);
    manager.DockPane(below, dockBottomOf, left);
    manager.DockPane(right, dockRightOf);
    manager.AttachPane(tab, left);
    manager.DockPane(floating, dockRightOf);
    manager.m_bThemedFloatingFrames = TRUE;
    manager.FloatPane(floating, RECT{100, 100, 320, 260});
    for (int theme = 0; theme <= 9; ++theme) {
        manager.SetDockingTheme(theme);
        manager.GetPaintManager()->m_dwSplitterStyle |= splitterStyleDots;
        frame->RecalcLayout();
        ::RedrawWindow(frame->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        headless::SavePng(frame->m_hWnd, std::string(folder) + "/dock_theme_" + std::to_string(theme) + ".png");
        if (CWnd* mini = floating->GetHostWindow(); mini && mini->GetSafeHwnd()) {
            ::RedrawWindow(mini->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
            headless::SavePng(mini->m_hWnd,
                              std::string(folder) + "/dock_floating_" + std::to_string(theme) + ".png");
        }
    }
    CloseFrame(frame);
}

} // namespace
