// Region algebra and DC clipping down to single pixels.
#include "gdi_fixture.h"

TEST(Regions, CombineModes)
{
    struct Case {
        int mode;
        int kind;
        RECT box;
        POINT in, out;
    } cases[] = {
        {RGN_AND, SIMPLEREGION, {5, 5, 10, 10}, {5, 5}, {4, 4}},
        {RGN_OR, COMPLEXREGION, {0, 0, 15, 15}, {14, 14}, {14, 0}},
        {RGN_XOR, COMPLEXREGION, {0, 0, 15, 15}, {0, 0}, {7, 7}},
        {RGN_DIFF, COMPLEXREGION, {0, 0, 10, 10}, {9, 0}, {5, 5}},
        {RGN_COPY, SIMPLEREGION, {0, 0, 10, 10}, {9, 9}, {10, 10}},
    };
    for (const Case& c : cases) {
        HRGN a = CreateRectRgn(0, 0, 10, 10), b = CreateRectRgn(5, 5, 15, 15), d = CreateRectRgn(0, 0, 0, 0);
        EXPECT_EQ(CombineRgn(d, a, b, c.mode), c.kind) << c.mode;
        RECT box{};
        GetRgnBox(d, &box);
        EXPECT_EQ(box.left, c.box.left);
        EXPECT_EQ(box.top, c.box.top);
        EXPECT_EQ(box.right, c.box.right);
        EXPECT_EQ(box.bottom, c.box.bottom);
        EXPECT_TRUE(PtInRegion(d, c.in.x, c.in.y)) << c.mode;
        EXPECT_FALSE(PtInRegion(d, c.out.x, c.out.y)) << c.mode;
        DeleteObject(a);
        DeleteObject(b);
        DeleteObject(d);
    }
}

TEST(Regions, ShapesOffsetsAndEquality)
{
    HRGN e = CreateEllipticRgn(0, 0, 10, 10);
    EXPECT_TRUE(PtInRegion(e, 5, 5));
    EXPECT_FALSE(PtInRegion(e, 0, 0));
    EXPECT_TRUE(PtInRegion(e, 0, 5));
    EXPECT_FALSE(PtInRegion(e, 10, 5));
    const POINT tri[] = {{0, 0}, {10, 0}, {0, 10}};
    HRGN t = CreatePolygonRgn(tri, 3, ALTERNATE);
    EXPECT_TRUE(PtInRegion(t, 1, 1));
    EXPECT_FALSE(PtInRegion(t, 8, 8));
    // Pieces put together equal the whole.
    HRGN left = CreateRectRgn(0, 0, 3, 4), right = CreateRectRgn(3, 0, 6, 4), whole = CreateRectRgn(1, 1, 7, 5);
    CombineRgn(left, left, right, RGN_OR);
    EXPECT_EQ(OffsetRgn(left, 1, 1), SIMPLEREGION);
    EXPECT_TRUE(EqualRgn(left, whole));
    // A self-overlapping star: WINDING fills the centre, ALTERNATE leaves it.
    const POINT star[] = {{10, 0}, {16, 20}, {0, 7}, {20, 7}, {4, 20}};
    HRGN alt = CreatePolygonRgn(star, 5, ALTERNATE), wind = CreatePolygonRgn(star, 5, WINDING);
    EXPECT_FALSE(PtInRegion(alt, 10, 10));
    EXPECT_TRUE(PtInRegion(wind, 10, 10));
    for (HRGN r : {e, t, left, right, whole, alt, wind})
        DeleteObject(r);
}

TEST(Clipping, ExcludedSinglePixelsStayUntouched)
{
    MemDC m(6, 6);
    EXPECT_EQ(ExcludeClipRect(m.dc, 2, 2, 3, 3), COMPLEXREGION);
    ExcludeClipRect(m.dc, 5, 0, 6, 1);
    IntersectClipRect(m.dc, 0, 0, 6, 5);
    m.Fill(RECT{0, 0, 6, 6}, RGB(0, 0, 0));
    EXPECT_EQ(m.At(2, 2), RGB(255, 255, 255));
    EXPECT_EQ(m.At(5, 0), RGB(255, 255, 255));
    EXPECT_EQ(m.At(1, 2), RGB(0, 0, 0));
    EXPECT_EQ(m.Count(RECT{0, 5, 6, 6}, RGB(255, 255, 255)), 6);
    EXPECT_EQ(m.Count(RGB(0, 0, 0)), 30 - 2);
    EXPECT_FALSE(PtVisible(m.dc, 2, 2));
    RECT box{};
    GetClipBox(m.dc, &box);
    EXPECT_EQ(box.bottom, 5);

    // Clip rectangles are logical; clip regions are device coordinates.
    SelectClipRgn(m.dc, nullptr);
    SetViewportOrgEx(m.dc, 2, 0, nullptr);
    IntersectClipRect(m.dc, 0, 0, 1, 1);
    GetClipBox(m.dc, &box);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.right, 1);
    HRGN r = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetClipRgn(m.dc, r), 1);
    EXPECT_TRUE(PtInRegion(r, 2, 0));
    DeleteObject(r);
}
