// Lines, pens and filled shapes drawn into memory DCs.
#include "gdi_fixture.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0), kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255);

struct Tools {
    Tools(HDC dc, HPEN pen, HBRUSH brush) : dc_(dc), pen_(pen), brush_(brush)
    {
        oldPen_ = SelectObject(dc, pen);
        oldBrush_ = SelectObject(dc, brush);
    }
    ~Tools()
    {
        SelectObject(dc_, oldPen_);
        SelectObject(dc_, oldBrush_);
        DeleteObject(pen_);
        DeleteObject(brush_);
    }
    HDC dc_;
    HPEN pen_;
    HBRUSH brush_;
    HGDIOBJ oldPen_, oldBrush_;
};

} // namespace

TEST(Lines, LineToLeavesItsEndPointAndStylesFollowTheBackgroundMode)
{
    struct Case {
        int style, width, bkMode;
        const char* row; // pixels 0..23 of the line, '#' pen, 'o' background colour, '.' untouched
    } cases[] = {
        {PS_SOLID, 1, OPAQUE, "#######################."},
        {PS_DOT, 1, OPAQUE, "###ooo###ooo###ooo###oo."},
        {PS_DOT, 1, TRANSPARENT, "###...###...###...###..."},
        {PS_DASH, 1, TRANSPARENT, "##################......"},
        {PS_NULL, 1, OPAQUE, "........................"},
    };
    for (const Case& c : cases) {
        MemDC m(24, 3);
        Tools t(m.dc, CreatePen(c.style, c.width, kRed), CreateSolidBrush(kWhite));
        SetBkMode(m.dc, c.bkMode);
        SetBkColor(m.dc, kBlue);
        MoveToEx(m.dc, 0, 1, nullptr);
        EXPECT_TRUE(LineTo(m.dc, 23, 1));
        std::string row;
        for (int x = 0; x < 24; ++x)
            row += m.At(x, 1) == kRed ? '#' : m.At(x, 1) == kBlue ? 'o' : '.';
        EXPECT_EQ(row, c.row) << "style " << c.style << " mode " << c.bkMode;
        POINT pos{};
        GetCurrentPositionEx(m.dc, &pos);
        EXPECT_EQ(pos.x, 23);
    }
}

TEST(Lines, XorClosedPolylinePaintsEveryPixelOnceAndHugeLinesAreCheap)
{
    MemDC m(10, 10);
    Tools t(m.dc, CreatePen(PS_SOLID, 1, RGB(255, 255, 255)), CreateSolidBrush(kWhite));
    SetROP2(m.dc, R2_XORPEN);
    const POINT box[] = {{1, 1}, {8, 1}, {8, 8}, {1, 8}, {1, 1}};
    Polyline(m.dc, box, 5);
    EXPECT_EQ(m.Count(kBlack), 28);
    EXPECT_EQ(m.At(1, 1), kBlack);
    EXPECT_EQ(m.At(8, 8), kBlack);
    SetROP2(m.dc, R2_COPYPEN);
    MoveToEx(m.dc, -2000000000, 5, nullptr);
    LineTo(m.dc, 2000000000, 5);
    EXPECT_EQ(m.Count(RECT{0, 5, 10, 6}, kWhite), 10);
    MoveToEx(m.dc, -2000000000, -2000000000, nullptr);
    LineTo(m.dc, 2000000000, 2000000000);
    EXPECT_EQ(m.At(3, 3), kWhite);
}

TEST(Shapes, RectanglesOutlineWithThePenAndFillInside)
{
    struct Case {
        int style, width;
        RECT shape;
        POINT pen[2], brush[2], untouched[2];
    } cases[] = {
        {PS_SOLID, 1, {1, 1, 6, 5}, {{1, 1}, {5, 4}}, {{2, 2}, {4, 3}}, {{6, 5}, {0, 0}}},
        {PS_NULL, 1, {1, 1, 6, 5}, {{-1, -1}, {-1, -1}}, {{1, 1}, {4, 3}}, {{5, 4}, {5, 1}}},
        {PS_INSIDEFRAME, 3, {0, 0, 10, 10}, {{0, 0}, {9, 9}}, {{3, 3}, {6, 6}}, {{10, 10}, {10, 0}}},
        {PS_SOLID, 3, {2, 2, 10, 10}, {{1, 1}, {10, 10}}, {{4, 4}, {7, 7}}, {{0, 0}, {11, 11}}},
        {PS_DASH, 3, {2, 2, 10, 10}, {{1, 5}, {10, 5}}, {{4, 4}, {7, 7}}, {{0, 0}, {11, 11}}}, // wide styles draw solid
    };
    for (const Case& c : cases) {
        MemDC m(12, 12);
        Tools t(m.dc, CreatePen(c.style, c.width, kRed), CreateSolidBrush(kBlue));
        ASSERT_TRUE(Rectangle(m.dc, c.shape.left, c.shape.top, c.shape.right, c.shape.bottom));
        for (POINT p : c.pen) {
            if (p.x >= 0) {
                EXPECT_EQ(m.At(p.x, p.y), kRed) << c.style << " " << p.x << "," << p.y;
            }
        }
        for (POINT p : c.brush)
            EXPECT_EQ(m.At(p.x, p.y), kBlue) << c.style << " " << p.x << "," << p.y;
        for (POINT p : c.untouched)
            EXPECT_EQ(m.At(p.x, p.y), kWhite) << c.style << " " << p.x << "," << p.y;
    }
}

TEST(Shapes, EllipsesRoundRectsPiesAndPolygons)
{
    MemDC m(40, 40);
    Tools t(m.dc, CreatePen(PS_SOLID, 1, kRed), CreateSolidBrush(kBlue));
    Ellipse(m.dc, 0, 0, 11, 11);
    EXPECT_EQ(m.At(5, 5), kBlue);
    EXPECT_EQ(m.At(0, 0), kWhite);
    EXPECT_EQ(m.At(0, 5), kRed);
    EXPECT_EQ(m.At(10, 5), kRed);
    EXPECT_EQ(m.At(11, 5), kWhite);
    // Symmetric about both axes.
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 11; ++x)
            ASSERT_EQ(m.At(x, y), m.At(10 - x, 10 - y)) << x << "," << y;

    RoundRect(m.dc, 20, 0, 40, 10, 8, 8);
    EXPECT_EQ(m.At(20, 0), kWhite);
    EXPECT_EQ(m.At(30, 0), kRed);
    EXPECT_EQ(m.At(30, 5), kBlue);

    // A quarter pie from 3 o'clock counter-clockwise to 12 o'clock covers the upper right.
    Pie(m.dc, 0, 20, 20, 40, 20, 30, 10, 20);
    EXPECT_EQ(m.At(14, 25), kBlue);
    EXPECT_EQ(m.At(5, 35), kWhite);
    EXPECT_EQ(m.At(5, 25), kWhite);

    const POINT star[] = {{30, 20}, {36, 39}, {21, 27}, {39, 27}, {24, 39}};
    SetPolyFillMode(m.dc, ALTERNATE);
    Polygon(m.dc, star, 5);
    EXPECT_EQ(m.At(30, 30), kWhite);
    EXPECT_EQ(m.At(30, 24), kBlue);
    SetPolyFillMode(m.dc, WINDING);
    Polygon(m.dc, star, 5);
    EXPECT_EQ(m.At(30, 30), kBlue);
}

TEST(Shapes, FloodFillSurfaceStopsAtOtherColours)
{
    MemDC m(10, 10);
    m.Fill(RECT{0, 5, 10, 6}, kRed);
    Tools t(m.dc, CreatePen(PS_SOLID, 1, kRed), CreateSolidBrush(kBlue));
    EXPECT_TRUE(ExtFloodFill(m.dc, 2, 2, kWhite, FLOODFILLSURFACE));
    EXPECT_EQ(m.Count(kBlue), 50);
    EXPECT_EQ(m.At(0, 6), kWhite);
    EXPECT_FALSE(ExtFloodFill(m.dc, 2, 2, kWhite, FLOODFILLSURFACE)); // no longer that colour
}
