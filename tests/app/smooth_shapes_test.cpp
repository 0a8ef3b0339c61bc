// Anti-aliased outlines: exact points take the colour, fractions split it, small rounded rectangles are ellipses.
#include "app/smooth_shapes.h"
#include "app/memory_canvas.h"

#include <gtest/gtest.h>

namespace {

class SmoothShapes : public MemoryCanvas {
protected:
    void SetUp() override { Open(120, 120, kWhite); }
    static constexpr COLORREF kWhite = RGB(255, 255, 255), kFrame = RGB(172, 168, 153);
};

TEST_F(SmoothShapes, LinesShareTheColourBetweenTheTwoPixelsAroundTheExactPoint)
{
    SmoothLine(&dc, 10, 10, 40, 10, kFrame);
    EXPECT_EQ(dc.GetPixel(10, 10), kFrame);
    EXPECT_EQ(dc.GetPixel(25, 10), kFrame);
    EXPECT_EQ(dc.GetPixel(25, 11), kWhite);
    // Half way between two rows: each pixel gets half of each colour (products truncated).
    SmoothLine(&dc, 10, 50, 14, 52, RGB(0, 0, 0));
    EXPECT_EQ(dc.GetPixel(11, 50), RGB(127, 127, 127));
    EXPECT_EQ(dc.GetPixel(11, 51), RGB(127, 127, 127));
    EXPECT_EQ(dc.GetPixel(14, 52), RGB(0, 0, 0));
}

TEST_F(SmoothShapes, RoundedRectanglesHaveStraightEdgesRoundCornersOrBecomeEllipses)
{
    SmoothRoundRect(&dc, 10, 10, 110, 60, 20, 20, kFrame);
    EXPECT_EQ(dc.GetPixel(60, 10), kFrame);  // top edge
    EXPECT_EQ(dc.GetPixel(110, 35), kFrame); // right edge
    EXPECT_EQ(dc.GetPixel(10, 10), kWhite);  // the corner is cut round
    EXPECT_NE(dc.GetPixel(13, 13), kWhite);  // ... by the arc passing near it

    // Corners larger than the rectangle: the very pixels of the inscribed ellipse.
    CDC& a = dc;
    a.FillSolidRect(0, 0, 120, 120, kWhite);
    SmoothRoundRect(&a, 20, 20, 60, 50, 100, 100, kFrame);
    std::vector<COLORREF> round;
    for (int y = 15; y < 55; ++y)
        for (int x = 15; x < 65; ++x)
            round.push_back(a.GetPixel(x, y));
    a.FillSolidRect(0, 0, 120, 120, kWhite);
    SmoothEllipse(&a, CRect(20, 20, 60, 50), kFrame);
    size_t i = 0, marked = 0;
    for (int y = 15; y < 55; ++y)
        for (int x = 15; x < 65; ++x, ++i) {
            EXPECT_EQ(a.GetPixel(x, y), round[i]) << x << "," << y;
            marked += round[i] != kWhite;
        }
    EXPECT_GT(marked, 60u);
}

} // namespace
