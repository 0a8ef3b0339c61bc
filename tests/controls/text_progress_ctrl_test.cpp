// Tests of the text progress bar: its own state, the two-coloured text and the empty range.
#include <gtest/gtest.h>

#include "controls/text_progress_ctrl.h"
#include "paint_probe.h"

namespace {

class CountingTextProgress : public CTextProgressCtrl {
public:
    int paints = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_PAINT)
            ++paints;
        return CTextProgressCtrl::WindowProc(message, wParam, lParam);
    }
};

class TextProgressTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, nullptr, u"parent", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 100), nullptr, 0));
        ASSERT_TRUE(bar.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 20), &parent, 1));
    }
    void TearDown() override { parent.DestroyWindow(); }
    CWnd parent;
    CountingTextProgress bar;
};

TEST_F(TextProgressTest, TextTakesTheContrastingColourOnEachSide) {
    bar.SetPos(50);
    PaintProbe probe(200, 20);
    probe.Print(bar.m_hWnd);
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    EXPECT_EQ(probe.At(1, 1), CTextProgressCtrl::kBarColour);
    EXPECT_EQ(probe.At(99, 1), CTextProgressCtrl::kBarColour);
    EXPECT_EQ(probe.At(100, 1), window);
    EXPECT_EQ(probe.At(199, 19), window);
    // "50%" is centred, so it straddles the bar's end at x = 100.
    EXPECT_TRUE(probe.Has({80, 0, 100, 20}, window)) << "text over the bar in the window colour";
    EXPECT_TRUE(probe.Has({100, 0, 120, 20}, CTextProgressCtrl::kBarColour)) << "text beside it in the bar colour";

    bar.SendMessage(CTextProgressCtrl::PBM_SETTEXTCOLOR, 0, RGB(255, 0, 0));
    bar.SendMessage(CTextProgressCtrl::PBM_SETSHOWTEXT, FALSE);
    PaintProbe hidden(200, 20);
    hidden.Print(bar.m_hWnd);
    EXPECT_FALSE(hidden.Has({0, 0, 200, 20}, RGB(255, 0, 0)));
    bar.SendMessage(CTextProgressCtrl::PBM_SETSHOWTEXT, TRUE);
    PaintProbe red(200, 20);
    red.Print(bar.m_hWnd);
    EXPECT_TRUE(red.Has({80, 0, 100, 20}, RGB(255, 0, 0)));
    EXPECT_TRUE(red.Has({100, 0, 120, 20}, RGB(255, 0, 0)));
}

TEST_F(TextProgressTest, KeepsItsOwnPositionRangeAndStep) {
    bar.SetRange32(10, 30);
    int lower = 0, upper = 0;
    bar.GetRange(lower, upper);
    EXPECT_EQ(lower, 10);
    EXPECT_EQ(upper, 30);
    EXPECT_EQ(bar.SendMessage(PBM_GETRANGE, TRUE), 10);
    EXPECT_EQ(bar.SendMessage(PBM_GETRANGE, FALSE), 30);
    EXPECT_EQ(bar.SetPos(12), 0);
    EXPECT_EQ(bar.OffsetPos(5), 12);
    EXPECT_EQ(bar.SetStep(4), 1);
    EXPECT_EQ(bar.StepIt(), 17);
    EXPECT_EQ(bar.GetPos(), 21);
    EXPECT_EQ(bar.SetBarColor(RGB(1, 1, 1)), CLR_DEFAULT);
    EXPECT_EQ(bar.SetBarColor(RGB(2, 2, 2)), RGB(1, 1, 1));
}

TEST_F(TextProgressTest, RepaintsOnlyWhenTheFilledLengthChanges) {
    bar.SetRange32(0, 1000);  // five units a pixel
    bar.SetPos(10);
    int before = bar.paints;
    EXPECT_GT(before, 0);
    bar.SetPos(14);
    EXPECT_EQ(bar.paints, before);
    bar.SetPos(15);
    EXPECT_EQ(bar.paints, before + 1);
}

TEST_F(TextProgressTest, AnEmptyOrReversedRangePaintsNothing) {
    const POINT ranges[] = {{0, 0}, {50, 50}, {60, 10}};
    for (POINT r : ranges) {
        bar.SetRange32(r.x, r.y);
        bar.SetPos(r.x);
        bar.SetPos(r.x + 1);
        EXPECT_EQ(bar.GetPos(), r.x + 1);
        PaintProbe probe(200, 20);
        probe.Print(bar.m_hWnd);
        EXPECT_EQ(probe.At(0, 0), RGB(1, 2, 3)) << r.x << ".." << r.y;
        EXPECT_EQ(probe.At(150, 10), RGB(1, 2, 3)) << r.x << ".." << r.y;
    }
}

TEST_F(TextProgressTest, GetTextLeavesRoomForTheTerminator) {
    bar.SetWindowText(u"Saving");
    struct { int room; const char16_t* got; LRESULT n; } cases[] = {
        {0, u"#", 0}, {1, u"", 0}, {4, u"Sav", 3}, {7, u"Saving", 6}, {50, u"Saving", 6}};
    for (auto c : cases) {
        WCHAR buffer[64];
        std::fill(std::begin(buffer), std::end(buffer), u'#');
        buffer[1] = 0;
        LRESULT n = bar.SendMessage(WM_GETTEXT, c.room, (LPARAM)buffer);
        EXPECT_EQ(std::u16string(buffer), c.got) << c.room;
        EXPECT_EQ(n, c.n) << c.room;
    }
}

} // namespace
