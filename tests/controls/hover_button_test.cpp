// Tests of the hover button: the hint cycle of the page's status text, the hover flag and its pictures.
#include <gtest/gtest.h>

#include "backend/headless/driver.h"
#include "controls/hover_button.h"
#include "controls/main_window_flags.h"
#include "paint_probe.h"

namespace {

struct FakeMainWindow : IMainWindowFlags {
    LONG modeHint = 1;
    LONG buttonHover = 0;
    LONG GetModeHintFlag() const override { return modeHint; }
    void SetButtonHoverFlag(LONG value) override { buttonHover = value; }
};

class CountingStatic : public CStatic {
public:
    int texts = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_SETTEXT)
            ++texts;
        return CStatic::WindowProc(message, wParam, lParam);
    }
};

// Pictures made in memory, as the resource module holds none for tests.
class TestHoverButton : public CHoverButton {
public:
    void UsePictures(COLORREF normal, COLORREF hover, int w, int h) {
        m_nWidth = w;
        m_nHeight = h;
        for (auto [bitmap, colour] : {std::pair{&m_normal, normal}, std::pair{&m_hover, hover}}) {
            std::vector<DWORD> pixels(w * h, (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour));
            bitmap->Attach(CreateBitmap(w, h, 1, 32, pixels.data()));
        }
    }
};

class HoverButtonTest : public ::testing::TestWithParam<LONG> {
protected:
    void SetUp() override {
        headless::UseVirtualClock();
        SetMainWindowFlags(&main);
        main.modeHint = GetParam();
        ASSERT_TRUE(page.CreateEx(0, nullptr, u"page", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 200), nullptr, 0));
        ::SetActiveWindow(page.m_hWnd);
        ASSERT_TRUE(status.Create(u"start", WS_CHILD | WS_VISIBLE, CRect(0, 150, 300, 170), &page, 2));
        ASSERT_TRUE(button.Create(u"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(10, 10, 70, 40), &page, 3));
        button.m_pStatusWnd = &status;
        button.m_strHint = u"Recover deleted files";
        status.texts = 0;
    }
    void TearDown() override {
        page.DestroyWindow();
        SetMainWindowFlags(nullptr);
    }
    FakeMainWindow main;
    CWnd page;
    CountingStatic status;
    TestHoverButton button;
};

TEST_P(HoverButtonTest, HintIsWrittenOnceAndThePromptOnLeave) {
    const bool hints = GetParam() != 0;
    headless::MouseMove(button.m_hWnd, {5, 5});
    headless::MouseMove(button.m_hWnd, {8, 6});
    headless::PumpUntilIdle();
    headless::AdvanceClock(5);
    headless::PumpUntilIdle();
    EXPECT_TRUE(button.IsHovering());
    EXPECT_EQ(main.buttonHover, 1);
    EXPECT_EQ(status.texts, hints ? 1 : 0);
    CString text;
    status.GetWindowText(text);
    EXPECT_EQ(text, CString(hints ? u"Recover deleted files" : u"start"));

    headless::MouseMove(page.m_hWnd, {200, 100});
    headless::PumpUntilIdle();
    EXPECT_FALSE(button.IsHovering());
    EXPECT_EQ(main.buttonHover, 0);
    status.GetWindowText(text);
    EXPECT_EQ(text, CString(hints ? CHoverButton::kPrompt : u"start"));
    EXPECT_EQ(CString(CHoverButton::kPrompt).GetLength(), 8 + 14);

    // The next visit writes the hint again.
    headless::MouseMove(button.m_hWnd, {5, 5});
    headless::PumpUntilIdle();
    EXPECT_EQ(status.texts, hints ? 3 : 0);
}

TEST_P(HoverButtonTest, ShowsThePictureOfItsState) {
    button.UsePictures(RGB(0, 128, 0), RGB(255, 128, 0), 60, 30);
    struct { const char* name; bool hovered; UINT state; COLORREF shown; } cases[] = {
        {"normal", false, 0, RGB(0, 128, 0)},
        {"hovered", true, 0, RGB(255, 128, 0)},
        {"pressed", false, ODS_SELECTED, RGB(255, 128, 0)},
    };
    for (auto c : cases) {
        if (c.hovered != bool(button.IsHovering()))
            button.SendMessage(c.hovered ? WM_MOUSEHOVER : WM_MOUSELEAVE);
        PaintProbe probe(60, 30);
        DRAWITEMSTRUCT dis{ODT_BUTTON, 3, 0, ODA_DRAWENTIRE, c.state, button.m_hWnd, probe.dc(), {0, 0, 60, 30}, 0};
        button.DrawItem(&dis);
        EXPECT_EQ(probe.At(0, 0), c.shown) << c.name;
        EXPECT_EQ(probe.At(59, 29), c.shown) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(ModeHint, HoverButtonTest, ::testing::Values(1, 0),
                         [](const auto& info) { return info.param ? std::string("HintsOn") : std::string("HintsOff"); });

} // namespace
