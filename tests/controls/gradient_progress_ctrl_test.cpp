// Tests of the gradient progress bar: fill lengths and colours, ends and directions, bar text and the moving block.
#include <gtest/gtest.h>

#include "controls/gradient_progress_ctrl.h"
#include "paint_probe.h"

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kBack = RGB(200, 200, 200);

class GradientProgressTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, nullptr, u"parent", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 300), nullptr, 0));
    }
    void TearDown() override { parent.DestroyWindow(); }
    void Make(DWORD style, CRect rc = CRect(0, 0, 200, 20)) {
        ASSERT_TRUE(bar.Create(WS_CHILD | WS_VISIBLE | style, rc, &parent, 1));
        bar.SendMessage(PBM_SETBARCOLOR, kBlue, kRed);
        bar.SendMessage(CCM_SETBKCOLOR, 0, kBack);
    }
    CWnd parent;
    CGradientProgressCtrl bar;
};

struct FillCase {
    const char* name;
    DWORD style;
    CRect rc;
    int lower, upper, position;
    std::vector<std::pair<POINT, COLORREF>> pixels;
};

class GradientFill : public GradientProgressTest, public ::testing::WithParamInterface<FillCase> {};

TEST_P(GradientFill, PaintsTheFilledShare) {
    const FillCase& c = GetParam();
    Make(c.style, c.rc);
    bar.SetRange32(c.lower, c.upper);
    bar.SetPos(c.position);
    PaintProbe probe(c.rc.Width(), c.rc.Height());
    probe.Print(bar.m_hWnd);
    for (auto [at, colour] : c.pixels)
        EXPECT_EQ(probe.At(at.x, at.y), colour) << "at " << at.x << "," << at.y;
}

// Halfway along a 200-pixel bar, the whole-bar gradient has reached band 99 of 200.
const COLORREF kHalfway = RGB(255 - 99 * 255 / 200, 0, 99 * 255 / 200);
const FillCase kFillCases[] = {
    {"HalfShowsTheFirstHalfOfTheGradient", 0, {0, 0, 200, 20}, 0, 100, 50,
     {{{0, 5}, kRed}, {{99, 5}, kHalfway}, {{100, 5}, kBack}, {{199, 5}, kBack}}},
    {"GradientOverTheFilledPartOnly", PBS_GRADIENT_FILLED, {0, 0, 200, 20}, 0, 100, 50,
     {{{0, 5}, kRed}, {{99, 5}, RGB(255 - 99 * 255 / 100, 0, 99 * 255 / 100)}, {{100, 5}, kBack}}},
    {"FullBarEndsOnTheLastStop", 0, {0, 0, 200, 20}, 0, 100, 100, {{{0, 5}, kRed}, {{199, 19}, RGB(2, 0, 253)}}},
    {"ReversedFillsFromTheRight", PBS_REVERSE, {0, 0, 200, 20}, 0, 100, 50,
     {{{199, 5}, kRed}, {{100, 5}, kHalfway}, {{99, 5}, kBack}}},
    {"VerticalFillsFromTheBottom", PBS_VERTICAL, {0, 0, 20, 200}, 0, 100, 50,
     {{{5, 199}, kRed}, {{5, 100}, kHalfway}, {{5, 99}, kBack}}},
    {"VerticalReversedFillsFromTheTop", PBS_VERTICAL | PBS_REVERSE, {0, 0, 20, 200}, 0, 100, 50,
     {{{5, 0}, kRed}, {{5, 99}, kHalfway}, {{5, 100}, kBack}}},
    {"OffsetRange", 0, {0, 0, 200, 20}, 1000, 1100, 1050, {{{99, 5}, kHalfway}, {{100, 5}, kBack}}},
    {"EmptyRangeIsEmpty", PBS_TEXT_PERCENT, {0, 0, 200, 20}, 0, 0, 0, {{{0, 0}, kBack}, {{0, 19}, kBack}}},
};
INSTANTIATE_TEST_SUITE_P(Bars, GradientFill, ::testing::ValuesIn(kFillCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(GradientProgressTest, OneColourBarsAndBrushes) {
    Make(0);
    bar.SetPos(100);
    EXPECT_EQ(bar.SendMessage(PBM_SETBARCOLOR, 0, RGB(0, 128, 0)), (LRESULT)CLR_DEFAULT);
    PaintProbe probe(200, 20);
    probe.Print(bar.m_hWnd);
    for (int x = 0; x < 200; x += 7)
        ASSERT_EQ(probe.At(x, 10), RGB(0, 128, 0)) << x;

    HBRUSH brush = CreateSolidBrush(RGB(9, 9, 9));
    bar.SetBarBrush(brush);
    bar.SetMargins(CRect(5, 5, 5, 5));
    bar.SetPos(50);
    PaintProbe brushed(200, 20);
    brushed.Print(bar.m_hWnd);
    EXPECT_EQ(brushed.At(2, 10), kBack) << "margin";
    EXPECT_EQ(brushed.At(5, 10), RGB(9, 9, 9));
    EXPECT_EQ(brushed.At(99, 10), RGB(9, 9, 9));
    EXPECT_EQ(brushed.At(100, 10), kBack);
    bar.SetBarBrush(nullptr);
    DeleteObject(brush);
}

TEST_F(GradientProgressTest, TextTakesEachSidesColour) {
    Make(PBS_TEXT_PERCENT);
    bar.SendMessage(PBM_SETBARCOLOR, 0, RGB(0, 0, 128));
    bar.SetTextColours(RGB(255, 255, 255), RGB(0, 0, 0));
    bar.SetPos(50);
    PaintProbe probe(200, 20);
    probe.Print(bar.m_hWnd);
    EXPECT_TRUE(probe.Has({80, 0, 100, 20}, RGB(255, 255, 255)));
    EXPECT_FALSE(probe.Has({100, 0, 200, 20}, RGB(255, 255, 255)));
    EXPECT_TRUE(probe.Has({100, 0, 120, 20}, RGB(0, 0, 0)));
    EXPECT_FALSE(probe.Has({0, 0, 100, 20}, RGB(0, 0, 0)));

    // On the filled part only, and only once it is long enough for the text.
    bar.ModifyStyle(0, PBS_TEXT_ON_BAR);
    bar.SetPos(2);
    PaintProbe tooShort(200, 20);
    tooShort.Print(bar.m_hWnd);
    EXPECT_FALSE(tooShort.Has({0, 0, 200, 20}, RGB(255, 255, 255)));
    EXPECT_FALSE(tooShort.Has({0, 0, 200, 20}, RGB(0, 0, 0)));
    bar.SetPos(40);
    PaintProbe fits(200, 20);
    fits.Print(bar.m_hWnd);
    EXPECT_TRUE(fits.Has({20, 0, 60, 20}, RGB(255, 255, 255)));
    EXPECT_FALSE(fits.Has({80, 0, 200, 20}, RGB(255, 255, 255)));
}

TEST_F(GradientProgressTest, ProgressTextSetsTheStyleAndFormat) {
    Make(0);
    bar.SetProgressText(u"Pass %d", PBS_TEXT_POSITION);
    EXPECT_EQ(bar.GetStyle() & (PBS_TEXT_PERCENT | PBS_TEXT_POSITION), DWORD(PBS_TEXT_POSITION));
    CString text;
    bar.GetWindowText(text);
    EXPECT_EQ(text, CString(u"Pass %d"));
    bar.SetProgressText(u"", PBS_TEXT_PERCENT);
    EXPECT_EQ(bar.GetStyle() & (PBS_TEXT_PERCENT | PBS_TEXT_POSITION), 0u);
    bar.GetWindowText(text);
    EXPECT_TRUE(text.IsEmpty());
}

TEST(GradientBarText, FormatsOneIntegerAndShowsAnythingElseAsItStands) {
    struct { const char16_t* format; int value; const char16_t* text; } cases[] = {
        {u"%d%%", 37, u"37%"},       {u"Done: %d", 5, u"Done: 5"}, {u"%3d", 7, u"  7"},
        {u"%x", 255, u"ff"},         {u"100%%", 1, u"100%"},       {u"%s", 5, u"%s"},
        {u"%d of %d", 3, u"%d of %d"}, {u"%n", 1, u"%n"},         {u"50%", 1, u"50%"},
        {u"%ld", 1, u"%ld"},         {u"%S %d", 1, u"%S %d"},
    };
    for (auto c : cases)
        EXPECT_EQ(CGradientProgressCtrl::FormatBarText(c.format, c.value), CString(c.text));
}

TEST_F(GradientProgressTest, MovingBlockRunsAndTurnsBack) {
    Make(PBS_MOVING_BLOCK);
    EXPECT_EQ(bar.SetPos(50), 0);
    PaintProbe probe(200, 20);
    probe.Print(bar.m_hWnd);
    EXPECT_EQ(probe.At(19, 5), kBack) << "before the block";
    EXPECT_NE(probe.At(20, 5), kBack) << "the block's start";
    EXPECT_NE(probe.At(99, 5), kBack);
    EXPECT_EQ(probe.At(100, 5), kBack);

    bar.SetPos(0);
    int steps = 0;
    while (!(bar.GetStyle() & PBS_REVERSE) && steps < 100) {
        bar.StepIt();
        ++steps;
    }
    // Up to the bar's end, then until the block's end is 40 past it.
    EXPECT_EQ(steps, 15);
    EXPECT_EQ(bar.GetPos(), 10);
}

} // namespace
