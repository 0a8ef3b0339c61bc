// Fills, raster operations, depth conversions and the alpha byte in blits between memory DCs.
#include "gdi_fixture.h"

#include <chrono>

namespace {

uint32_t Formula(uint8_t code, uint32_t p, uint32_t s, uint32_t d)
{
    uint32_t r = 0;
    for (int bit = 0; bit < 32; ++bit) {
        int i = (((p >> bit) & 1) << 2) | (((s >> bit) & 1) << 1) | ((d >> bit) & 1);
        r |= uint32_t((code >> i) & 1) << bit;
    }
    return r;
}

} // namespace

TEST(FillRect, ExcludesRightAndBottomAndIgnoresInvertedRects)
{
    MemDC m(8, 8);
    RECT r{2, 2, 5, 4};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    EXPECT_TRUE(FillRect(m.dc, &r, red));
    EXPECT_EQ(m.Count(RGB(255, 0, 0)), 3 * 2);
    EXPECT_EQ(m.At(4, 3), RGB(255, 0, 0));
    EXPECT_EQ(m.At(5, 3), RGB(255, 255, 255));
    EXPECT_EQ(m.At(4, 4), RGB(255, 255, 255));
    RECT inverted{6, 6, 3, 3};
    FillRect(m.dc, &inverted, red);
    EXPECT_EQ(m.Count(RGB(255, 0, 0)), 6);
    // A system colour index plus one stands for that colour's brush.
    RECT one{0, 0, 1, 1};
    EXPECT_TRUE(FillRect(m.dc, &one, (HBRUSH)(COLOR_BTNFACE + 1)));
    EXPECT_EQ(m.At(0, 0), GetSysColor(COLOR_BTNFACE));
    DeleteObject(red);
    SetLastError(0);
    EXPECT_FALSE(FillRect(m.dc, &one, red));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}

// Every ROP3 code against the bitwise definition, on pixels that hold every P/S/D bit
// combination (the alpha byte included: raster operations work on the whole pixel).
TEST(RasterOps, EveryRop3CodeMatchesItsDefinition)
{
    const uint32_t dst[] = {0x00A5C3F0, 0x12345678, 0xFF00FF00, 0x00000000};
    const uint32_t src[] = {0x80FF0F33, 0x00F0F0F0, 0x7F123456, 0xFFFFFFFF};
    const COLORREF pat = RGB(0x5A, 0x3C, 0x96); // stored as 0x005A3C96
    MemDC s(4, 1), d(4, 1);
    for (int i = 0; i < 4; ++i)
        s.bits[i] = src[i];
    HBRUSH brush = CreateSolidBrush(pat);
    HGDIOBJ oldBrush = SelectObject(d.dc, brush);
    for (int code = 0; code < 256; ++code) {
        for (int i = 0; i < 4; ++i)
            d.bits[i] = dst[i];
        DWORD rop = DWORD(code) << 16;
        ASSERT_TRUE(BitBlt(d.dc, 0, 0, 4, 1, s.dc, 0, 0, rop)) << code;
        for (int i = 0; i < 4; ++i)
            ASSERT_EQ(d.bits[i], Formula(uint8_t(code), 0x005A3C96, src[i], dst[i])) << "rop " << code << " pixel " << i;
    }
    SelectObject(d.dc, oldBrush);
    DeleteObject(brush);
}

TEST(RasterOps, PatBltRefusesSourceOperationsAndRop2GovernsNothingInFills)
{
    MemDC m(2, 1);
    EXPECT_FALSE(PatBlt(m.dc, 0, 0, 2, 1, SRCCOPY));
    SetROP2(m.dc, R2_XORPEN);
    m.Fill(RECT{0, 0, 1, 1}, RGB(1, 2, 3));
    EXPECT_EQ(m.At(0, 0), RGB(1, 2, 3));
    EXPECT_TRUE(PatBlt(m.dc, 0, 0, 2, 1, DSTINVERT));
    EXPECT_EQ(m.At(0, 0), RGB(254, 253, 252));
    EXPECT_EQ(m.At(1, 0), RGB(0, 0, 0));
}

TEST(DepthConversion, ColourToMonoAndBack)
{
    MemDC colour(3, 1);
    colour.bits[0] = 0x00FF0000; // red
    colour.bits[1] = 0x0000FF00; // green
    colour.bits[2] = 0x000000FF; // blue
    HDC monoDC = CreateCompatibleDC(nullptr);
    HBITMAP mono = CreateBitmap(3, 1, 1, 1, nullptr);
    HGDIOBJ old = SelectObject(monoDC, mono);
    // The source's background colour becomes 1 (white), everything else 0.
    SetBkColor(colour.dc, RGB(0, 255, 0));
    ASSERT_TRUE(BitBlt(monoDC, 0, 0, 3, 1, colour.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(GetPixel(monoDC, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(monoDC, 1, 0), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(monoDC, 2, 0), RGB(0, 0, 0));
    // Back to colour: 1 takes the destination's background colour, 0 its text colour.
    MemDC out(3, 1);
    SetBkColor(out.dc, RGB(10, 20, 30));
    SetTextColor(out.dc, RGB(200, 100, 50));
    ASSERT_TRUE(BitBlt(out.dc, 0, 0, 3, 1, monoDC, 0, 0, SRCCOPY));
    EXPECT_EQ(out.At(0, 0), RGB(200, 100, 50));
    EXPECT_EQ(out.At(1, 0), RGB(10, 20, 30));
    EXPECT_EQ(out.Raw(1, 0) >> 24, 0u);
    SelectObject(monoDC, old);
    DeleteObject(mono);
    DeleteDC(monoDC);
}

TEST(AlphaByte, FillsWriteZeroCopiesKeepItSourcesWithoutAlphaWriteZero)
{
    MemDC src(2, 1), dst(2, 1);
    src.bits[0] = 0x80112233;
    src.bits[1] = 0xFF445566;
    EXPECT_EQ(dst.Raw(0, 0) >> 24, 0u); // the fill in the fixture
    BitBlt(dst.dc, 0, 0, 2, 1, src.dc, 0, 0, SRCCOPY);
    EXPECT_EQ(dst.Raw(0, 0), 0x80112233u);
    EXPECT_EQ(dst.Raw(1, 0), 0xFF445566u);

    // A 24-bpp source has no alpha: the copy writes 0 there.
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 2, 1, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    uint8_t* bits24 = nullptr;
    HDC dc24 = CreateCompatibleDC(nullptr);
    HBITMAP b24 = CreateDIBSection(dc24, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits24), nullptr, 0);
    ASSERT_TRUE(b24);
    bits24[0] = 0x33, bits24[1] = 0x22, bits24[2] = 0x11;
    HGDIOBJ old = SelectObject(dc24, b24);
    BitBlt(dst.dc, 0, 0, 2, 1, dc24, 0, 0, SRCCOPY);
    EXPECT_EQ(dst.Raw(0, 0), 0x00112233u);
    SelectObject(dc24, old);
    DeleteObject(b24);
    DeleteDC(dc24);
}

TEST(Blit, SourceIsClippedToItsBitmapAndHugeExtentsCostNothing)
{
    MemDC src(4, 4, RGB(0, 0, 255)), dst(8, 8);
    // Reading from (-2, -2): only the part inside the source bitmap is copied.
    ASSERT_TRUE(BitBlt(dst.dc, 0, 0, 8, 8, src.dc, -2, -2, SRCCOPY));
    EXPECT_EQ(dst.Count(RGB(0, 0, 255)), 16);
    EXPECT_EQ(dst.At(1, 1), RGB(255, 255, 255));
    EXPECT_EQ(dst.At(2, 2), RGB(0, 0, 255));
    EXPECT_EQ(dst.At(5, 5), RGB(0, 0, 255));
    EXPECT_EQ(dst.At(6, 6), RGB(255, 255, 255));

    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(StretchBlt(dst.dc, -1000000000, -1000000000, 2000000000, 2000000000, src.dc, 0, 0, 4, 4, SRCCOPY));
    EXPECT_TRUE(BitBlt(dst.dc, 0, 0, 0x7FFFFFF0, 0x7FFFFFF0, src.dc, -0x7FFFFFF0, 0, SRCCOPY));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(Blit, OverlappingCopyWithinOneBitmapReadsTheOldPixels)
{
    MemDC m(6, 1);
    for (int i = 0; i < 6; ++i)
        m.bits[i] = uint32_t(i);
    BitBlt(m.dc, 1, 0, 5, 1, m.dc, 0, 0, SRCCOPY);
    for (int i = 1; i < 6; ++i)
        EXPECT_EQ(m.bits[i], uint32_t(i - 1));
}

TEST(Blit, StretchMirrorsAndScales)
{
    MemDC src(2, 1), dst(4, 1);
    src.bits[0] = 0x00FF0000;
    src.bits[1] = 0x000000FF;
    SetStretchBltMode(dst.dc, COLORONCOLOR);
    ASSERT_TRUE(StretchBlt(dst.dc, 0, 0, 4, 1, src.dc, 0, 0, 2, 1, SRCCOPY));
    EXPECT_EQ(dst.Raw(1, 0), 0x00FF0000u);
    EXPECT_EQ(dst.Raw(2, 0), 0x000000FFu);
    ASSERT_TRUE(StretchBlt(dst.dc, 3, 0, -4, 1, src.dc, 0, 0, 2, 1, SRCCOPY));
    EXPECT_EQ(dst.Raw(0, 0), 0x000000FFu);
    EXPECT_EQ(dst.Raw(3, 0), 0x00FF0000u);
}

// A 24-bpp DIB section in a memory DC, filled white: copies into it take the general path of the blits.
struct Dib24 {
    explicit Dib24(int w, int h) : w(w), h(h)
    {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = h; // bottom-up, as pictures from files are
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 24;
        void* bits = nullptr;
        dc = CreateCompatibleDC(nullptr);
        bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        old = SelectObject(dc, bmp);
        RECT r{0, 0, w, h};
        FillRect(dc, &r, (HBRUSH)GetStockObject(WHITE_BRUSH));
    }
    ~Dib24()
    {
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
    }
    int w, h;
    HDC dc;
    HBITMAP bmp;
    HGDIOBJ old;
};

// Copies into a 32-bpp target step through the source instead of dividing per pixel: whatever the
// stretch, mirroring, clipping or source depth, they land on the same pixels as copies into a 24-bpp
// target, which sample each pixel on their own.
TEST(Blit, StretchedCopiesIntoTrueColourAgreeWithTheGeneralPath)
{
    const int sw = 7, sh = 5, dw = 17, dh = 13;
    MemDC src32(sw, sh);
    Dib24 src24(sw, sh);
    for (int y = 0; y < sh; ++y)
        for (int x = 0; x < sw; ++x) {
            src32.bits[y * sw + x] = uint32_t(0x10 + x * 30) << 16 | uint32_t(0x20 + y * 40) << 8 | uint32_t(x * y);
            SetPixel(src24.dc, x, y, src32.At(x, y));
        }
    struct Case {
        int x, y, w, h, sx, sy, sw, sh;
    };
    const Case cases[] = {
        {0, 0, 17, 13, 0, 0, 7, 5},   // enlarged
        {1, 2, 3, 2, 0, 0, 7, 5},     // shrunk, rows and columns dropped
        {16, 0, -17, 13, 0, 0, 7, 5}, // mirrored by the destination
        {0, 12, 17, -13, 6, 0, -7, 5}, // mirrored both ways
        {2, 2, 7, 5, 0, 0, 7, 5},     // same size
        {8, 1, -7, 5, 0, 0, 7, 5},    // same size, mirrored
        {-4, -3, 25, 19, -2, -1, 9, 7}, // clipped, source partly outside its bitmap
        {0, 0, 16, 9, 3, 1, 3, 3},    // enlarged by a factor that leaves remainders
        {1, 1, 14, 10, 0, 0, 7, 5},   // enlarged twice: the steps meet whole pixels exactly
        {15, 0, -12, 8, 1, 0, 6, 4},  // the same, mirrored
        {0, 0, 4, 2, 1, 1, 6, 4},     // shrunk by a factor with a common divisor
    };
    for (HDC source : {src32.dc, src24.dc})
        for (const Case& c : cases) {
            MemDC fast(dw, dh);
            Dib24 general(dw, dh);
            SetStretchBltMode(fast.dc, COLORONCOLOR);
            SetStretchBltMode(general.dc, COLORONCOLOR);
            ASSERT_TRUE(StretchBlt(fast.dc, c.x, c.y, c.w, c.h, source, c.sx, c.sy, c.sw, c.sh, SRCCOPY));
            ASSERT_TRUE(StretchBlt(general.dc, c.x, c.y, c.w, c.h, source, c.sx, c.sy, c.sw, c.sh, SRCCOPY));
            int differing = 0;
            for (int y = 0; y < dh; ++y)
                for (int x = 0; x < dw; ++x)
                    differing += fast.At(x, y) != GetPixel(general.dc, x, y);
            EXPECT_EQ(differing, 0) << "case " << (&c - cases) << (source == src24.dc ? ", 24-bpp source" : "");
        }
}

// Shrinking a colour picture never invents colours: each destination pixel is one of the pixels it covers
// (rows and columns dropped), or their average under HALFTONE. Only between monochrome bitmaps do the AND and
// OR modes combine what they drop.
TEST(Blit, ShrinkingAColourPictureKeepsItsColoursInEveryStretchMode)
{
    const int sw = 9, sh = 7, dw = 4, dh = 3;
    MemDC src(sw, sh);
    for (int y = 0; y < sh; ++y)
        for (int x = 0; x < sw; ++x)
            src.bits[y * sw + x] = uint32_t(0x40 + x * 20) << 16 | uint32_t(0x41 + y * 25) << 8 | 0x3E;
    for (int mode : {BLACKONWHITE, WHITEONBLACK, COLORONCOLOR, HALFTONE}) {
        MemDC dst(dw, dh);
        SetStretchBltMode(dst.dc, mode);
        ASSERT_TRUE(StretchBlt(dst.dc, 0, 0, dw, dh, src.dc, 0, 0, sw, sh, SRCCOPY));
        for (int y = 0; y < dh; ++y)
            for (int x = 0; x < dw; ++x) {
                // The source block this pixel covers: its colours lie between the block's corners.
                const int x0 = x * sw / dw, x1 = (x + 1) * sw / dw - 1, y0 = y * sh / dh, y1 = (y + 1) * sh / dh - 1;
                const COLORREF got = dst.At(x, y);
                EXPECT_GE(GetRValue(got), GetRValue(src.At(x0, y0))) << mode << " at " << x << "," << y;
                EXPECT_LE(GetRValue(got), GetRValue(src.At(x1, y0))) << mode << " at " << x << "," << y;
                EXPECT_GE(GetGValue(got), GetGValue(src.At(x0, y0))) << mode << " at " << x << "," << y;
                EXPECT_LE(GetGValue(got), GetGValue(src.At(x0, y1))) << mode << " at " << x << "," << y;
                EXPECT_EQ(GetBValue(got), 0x3E) << mode << " at " << x << "," << y;
            }
    }
    // A one-pixel black line of a monochrome picture, on a row that dropping rows would lose, survives
    // BLACKONWHITE shrinking; WHITEONBLACK gives white there.
    const WORD rows[4] = {0xFFFF, 0xFFFF, 0xFFFF, 0xFF00}; // rows padded to 16 bits; the last row's 8 pixels black
    HBITMAP mono = CreateBitmap(8, 4, 1, 1, rows);
    HDC monoDc = CreateCompatibleDC(nullptr);
    HGDIOBJ oldMono = SelectObject(monoDc, mono);
    for (auto [mode, black] : {std::pair{BLACKONWHITE, true}, std::pair{WHITEONBLACK, false}}) {
        HBITMAP small = CreateBitmap(8, 2, 1, 1, nullptr);
        HDC smallDc = CreateCompatibleDC(nullptr);
        HGDIOBJ oldSmall = SelectObject(smallDc, small);
        SetStretchBltMode(smallDc, mode);
        ASSERT_TRUE(StretchBlt(smallDc, 0, 0, 8, 2, monoDc, 0, 0, 8, 4, SRCCOPY));
        EXPECT_EQ(GetPixel(smallDc, 0, 1) == RGB(0, 0, 0), black) << mode;
        SelectObject(smallDc, oldSmall);
        DeleteDC(smallDc);
        DeleteObject(small);
    }
    SelectObject(monoDc, oldMono);
    DeleteDC(monoDc);
    DeleteObject(mono);
}

// A mono 8x8 pattern is anchored at the brush origin in device space.
TEST(PatternBrush, PhaseFollowsTheBrushOrigin)
{
    const WORD rows[8] = {0x80, 0, 0, 0, 0, 0, 0, 0}; // one set bit at (0, 0)
    HBITMAP pat = CreateBitmap(8, 8, 1, 1, rows);
    HBRUSH brush = CreatePatternBrush(pat);
    DeleteObject(pat); // the brush keeps its own copy
    struct Case {
        POINT org;
        POINT viewport;
        POINT expect;
    } cases[] = {{{0, 0}, {0, 0}, {8, 8}}, {{3, 2}, {0, 0}, {11, 10}}, {{0, 0}, {5, 0}, {8, 8}}, {{-1, 0}, {0, 0}, {15, 8}}};
    for (const Case& c : cases) {
        MemDC m(16, 16);
        SetBkColor(m.dc, RGB(255, 0, 0));
        SetTextColor(m.dc, RGB(0, 0, 0));
        SetBrushOrgEx(m.dc, c.org.x, c.org.y, nullptr);
        SetViewportOrgEx(m.dc, c.viewport.x, c.viewport.y, nullptr);
        RECT r{8 - c.viewport.x, 8 - c.viewport.y, 16 - c.viewport.x, 16 - c.viewport.y};
        FillRect(m.dc, &r, brush);
        EXPECT_EQ(m.Count(RGB(255, 0, 0)), 1);
        EXPECT_EQ(m.At(c.expect.x, c.expect.y), RGB(255, 0, 0)) << c.org.x << "," << c.org.y;
    }
    DeleteObject(brush);
}

TEST(Pixels, SetAndGetFollowOriginsAndClip)
{
    MemDC m(4, 4);
    SetViewportOrgEx(m.dc, 1, 1, nullptr);
    EXPECT_EQ(SetPixel(m.dc, 0, 0, RGB(1, 2, 3)), RGB(1, 2, 3));
    EXPECT_EQ(m.At(1, 1), RGB(1, 2, 3));
    EXPECT_EQ(GetPixel(m.dc, 0, 0), RGB(1, 2, 3));
    EXPECT_EQ(GetPixel(m.dc, 5, 5), CLR_INVALID);
    EXPECT_EQ(SetPixel(m.dc, -2, 0, 0), CLR_INVALID);
}

TEST(HatchBrush, LinesInTheBrushColourGapsByBackgroundMode)
{
    struct Case {
        int hatch, bkMode;
        POINT line, gap;
        COLORREF gapColour;
    } cases[] = {
        {HS_HORIZONTAL, OPAQUE, {3, 7}, {3, 6}, RGB(0, 0, 255)},
        {HS_VERTICAL, TRANSPARENT, {7, 2}, {6, 2}, RGB(255, 255, 255)},
        {HS_FDIAGONAL, OPAQUE, {5, 5}, {5, 4}, RGB(0, 0, 255)},
        {HS_BDIAGONAL, TRANSPARENT, {7, 0}, {0, 0}, RGB(255, 255, 255)},
    };
    for (const Case& c : cases) {
        MemDC m(8, 8);
        SetBkMode(m.dc, c.bkMode);
        SetBkColor(m.dc, RGB(0, 0, 255));
        HBRUSH b = CreateHatchBrush(c.hatch, RGB(255, 0, 0));
        RECT r{0, 0, 8, 8};
        FillRect(m.dc, &r, b);
        DeleteObject(b);
        EXPECT_EQ(m.At(c.line.x, c.line.y), RGB(255, 0, 0)) << c.hatch;
        EXPECT_EQ(m.At(c.gap.x, c.gap.y), c.gapColour) << c.hatch;
    }
}

// Drawing into a paletted DIB section writes palette indexes its bits expose directly.
TEST(DibSection, PalettedBitsTakeTheNearestIndex)
{
    struct {
        BITMAPINFOHEADER h;
        RGBQUAD colors[16];
    } bi{{sizeof(BITMAPINFOHEADER), 4, -2, 1, 4, BI_RGB, 0, 0, 0, 3, 0}, {{0, 0, 0, 0}, {0, 0, 255, 0}, {255, 255, 255, 0}}};
    HDC dc = CreateCompatibleDC(nullptr);
    uint8_t* bits = nullptr;
    HBITMAP b = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, reinterpret_cast<void**>(&bits),
                                 nullptr, 0);
    ASSERT_TRUE(b);
    HGDIOBJ old = SelectObject(dc, b);
    RECT left{0, 0, 2, 2}, right{2, 0, 4, 1};
    HBRUSH red = CreateSolidBrush(RGB(250, 10, 10)), white = CreateSolidBrush(RGB(240, 240, 240));
    FillRect(dc, &left, red);
    FillRect(dc, &right, white);
    EXPECT_EQ(bits[0], 0x11); // two pixels of index 1, high nibble first
    EXPECT_EQ(bits[1], 0x22);
    EXPECT_EQ(bits[4], 0x11); // second row (top-down), stride 4
    EXPECT_EQ(bits[5], 0x00);
    EXPECT_EQ(GetPixel(dc, 3, 0), RGB(255, 255, 255));
    RGBQUAD table[3];
    EXPECT_EQ(GetDIBColorTable(dc, 0, 3, table), 3u);
    EXPECT_EQ(table[1].rgbRed, 255);
    SelectObject(dc, old);
    DeleteObject(red);
    DeleteObject(white);
    DeleteObject(b);
    DeleteDC(dc);
}
