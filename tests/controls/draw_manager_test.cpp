// Tests of the draw manager: pixel operations, the palette bitmap, image masks and alpha, lines and frames.
#include <gtest/gtest.h>

#include "controls/draw_manager.h"
#include "platform/gdi/gdi_fixture.h"

namespace {

// A 32-bpp DIB section of w x h whose pixels (top-down) are given by fn(x, y) as stored BGRA values.
template <class Fn>
HBITMAP MakeBitmap(int w, int h, Fn fn) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    uint32_t* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) bits[y * w + x] = fn(x, y);
    return bmp;
}

}  // namespace

TEST(DrawManagerPixels, OperationsAndFactorLimits) {
    EXPECT_EQ(CDrawManager::GrayColor(0x00FF0000), 0x4C4C4Cu);  // red: 0.299 * 255 = 76
    EXPECT_EQ(CDrawManager::GrayColor(0x0000FF00), 0x959595u);
    EXPECT_EQ(CDrawManager::InvertColor(0xFF102030), 0x00EFDFCFu);
    struct { double f; DWORD expected; } darken[] = {{0.5, 0x80402010}, {0, 0x80000000}, {1, 0x80804020}, {-0.5, 0x80804020}};
    for (auto c : darken) EXPECT_EQ(CDrawManager::DarkenColor(0x80804020, c.f), c.expected) << c.f;
    struct { double f; DWORD expected; } lighten[] = {{0.5, 0x00C06030}, {0, 0x00804020}, {1.5, 0x00804020}, {1, 0x00FF8040}};
    for (auto c : lighten) EXPECT_EQ(CDrawManager::LightenColor(0x00804020, c.f), c.expected) << c.f;
    EXPECT_EQ(CDrawManager::BlendColors(0x00FF0000, 0.5, 0x000000FF, 0.5), 0x007F007Fu);
}

TEST(DibTest, CreateAddressesRowsFromTheTopAndDrawsThroughItsPalette) {
    CDib dib;
    ASSERT_NE(dib.Create(5, 3, 8), nullptr);
    EXPECT_EQ(dib.Stride(), 8u);
    EXPECT_EQ(dib.GetPaletteSize(), 1024u);
    EXPECT_EQ(dib.GetTotalSize(), 40u + 1024u + 24u);
    EXPECT_EQ(dib.Create(0, 3, 8), nullptr);
    ASSERT_NE(dib.Create(5, 3, 8), nullptr);
    dib.SetPaletteEntry(1, 255, 0, 0);
    dib.SetPaletteEntry(2, 0, 0, 255);
    dib.FillBits(1);
    dib.SetPixelIndex(0, 0, 2);
    dib.SetPixelIndex(5, 0, 2);   // outside: ignored
    dib.SetPixelIndex(-1, 2, 2);
    EXPECT_EQ(dib.GetBits()[2 * 8], 2);  // the top row is the last row of the block
    MemDC out(10, 10);
    dib.Draw(out.dc, 2, 2);
    EXPECT_EQ(out.At(2, 2), RGB(0, 0, 255));
    EXPECT_EQ(out.At(3, 2), RGB(255, 0, 0));
    EXPECT_EQ(out.At(6, 4), RGB(255, 0, 0));
    EXPECT_EQ(out.At(7, 4), RGB(255, 255, 255));
    dib.BlendPalette(RGB(0, 0, 0), 150);  // capped at 100
    dib.Draw(out.dc, 2, 2);
    EXPECT_EQ(out.At(3, 2), RGB(0, 0, 0));
}

TEST(DrawManagerImages, KeyColourMaskAndStateFlags) {
    // Left half magenta (the key colour), right half blue.
    HBITMAP bmp = MakeBitmap(8, 4, [](int x, int) { return x < 4 ? 0x00FF00FFu : 0x000000FFu; });
    CDrawManager dm;
    struct { DWORD flags; COLORREF right; } cases[] = {
        {0, RGB(0, 0, 255)},
        {kImageGrey, RGB(29, 29, 29)},
        {kImageDarker, RGB(0, 0, 191)},
        {kImageOneColour, RGB(10, 20, 30)},
    };
    for (const auto& c : cases) {
        MemDC out(12, 6, RGB(0, 255, 0));
        dm.DrawBitmap(out.dc, 2, 1, 8, 4, bmp, TRUE, RGB(255, 0, 255), c.flags, FALSE, 0, 0, 0, 0, RGB(10, 20, 30));
        EXPECT_FALSE(dm.AlphaSeen());
        EXPECT_EQ(out.At(3, 2), RGB(0, 255, 0)) << c.flags;  // key colour shows the background
        EXPECT_EQ(out.At(8, 2), c.right) << c.flags;
        EXPECT_EQ(out.At(10, 2), RGB(0, 255, 0));
    }
    // Without the key switch the magenta half is drawn.
    MemDC out(12, 6, RGB(0, 255, 0));
    dm.DrawBitmap(out.dc, 2, 1, 8, 4, bmp, FALSE, RGB(255, 0, 255), 0, FALSE, 0, 0, 0, 0, 0);
    EXPECT_EQ(out.At(3, 2), RGB(255, 0, 255));
    // Stretched to twice the size.
    MemDC big(20, 10, RGB(0, 255, 0));
    dm.DrawBitmap(big.dc, 0, 0, 16, 8, bmp, TRUE, RGB(255, 0, 255), 0, FALSE, 0, 0, 0, 0, 0);
    EXPECT_EQ(big.At(7, 7), RGB(0, 255, 0));
    EXPECT_EQ(big.At(8, 7), RGB(0, 0, 255));
    DeleteObject(bmp);
}

TEST(DrawManagerImages, AlphaBytesSelectBlending) {
    // Red at alpha 0x80 over white blends halfway; alpha 0 pixels leave the destination.
    HBITMAP bmp = MakeBitmap(4, 4, [](int x, int) { return x < 2 ? 0x80FF0000u : 0x00000000u; });
    CDrawManager dm;
    MemDC out(4, 4, RGB(255, 255, 255));
    dm.DrawBitmap(out.dc, 0, 0, 4, 4, bmp, FALSE, 0, 0, FALSE, 0, 0, 0, 0, 0);
    EXPECT_TRUE(dm.AlphaSeen());
    EXPECT_EQ(out.At(0, 0), RGB(255, 127, 127));
    EXPECT_EQ(out.At(3, 3), RGB(255, 255, 255));
    DeleteObject(bmp);
}

TEST(DrawManagerImages, ShadowsAndPressedOffset) {
    HBITMAP bmp = MakeBitmap(4, 4, [](int, int) { return 0x000000FFu; });
    CDrawManager dm;
    {
        // A hard shadow of a grey colour darkens the offset area by the grey's blue byte.
        MemDC out(12, 12, RGB(200, 200, 200));
        dm.DrawBitmap(out.dc, 1, 1, 4, 4, bmp, FALSE, 0, kImageShadow, TRUE, 4, 4, 7, 7, RGB(128, 128, 128));
        EXPECT_EQ(out.At(2, 2), RGB(0, 0, 255));
        EXPECT_EQ(out.At(7, 7), RGB(100, 100, 100));
        EXPECT_EQ(out.At(10, 10), RGB(200, 200, 200));
    }
    {
        // Shadow on without a shadow flag draws the image itself at the offset.
        MemDC out(12, 12, RGB(200, 200, 200));
        dm.DrawBitmap(out.dc, 1, 1, 4, 4, bmp, FALSE, 0, 0, TRUE, 4, 4, 7, 7, 0);
        EXPECT_EQ(out.At(2, 2), RGB(200, 200, 200));
        EXPECT_EQ(out.At(6, 6), RGB(0, 0, 255));
    }
    {
        // A blurred shadow is soft: darkest under the middle, untouched outside its box.
        HBITMAP large = MakeBitmap(20, 20, [](int, int) { return 0x000000FFu; });
        MemDC out(40, 40, RGB(200, 200, 200));
        dm.DrawBitmap(out.dc, 0, 0, 20, 20, large, FALSE, 0, kImageBlurredShadow, TRUE, 10, 10, 6, 6,
                      RGB(0, 0, 0));
        COLORREF centre = out.At(21, 21), edge = out.At(25, 25);
        EXPECT_LT(GetRValue(centre), GetRValue(edge));
        EXPECT_LT(GetRValue(edge), 200);
        EXPECT_EQ(out.At(31, 31), RGB(200, 200, 200));
        DeleteObject(large);
    }
    DeleteObject(bmp);
}

TEST(DrawManagerImages, BitmapCellsOfAStrip) {
    // Three 4x4 cells: red, green, blue.
    HBITMAP strip = MakeBitmap(12, 4, [](int x, int) { return x < 4 ? 0x00FF0000u : x < 8 ? 0x0000FF00u : 0x000000FFu; });
    CDrawManager dm;
    struct { int index; COLORREF expected; } cases[] = {
        {1, RGB(0, 255, 0)}, {2, RGB(0, 0, 255)}, {3, RGB(255, 255, 255)}, {-1, RGB(255, 255, 255)},
    };
    for (const auto& c : cases) {
        MemDC out(6, 6);
        dm.DrawBitmapCell(out.dc, 1, 1, 4, 4, strip, c.index, 4, 4, FALSE, 0, 0, FALSE, 0, 0, 0, 0, 0);
        EXPECT_EQ(out.At(2, 2), c.expected) << c.index;
    }
    MemDC out(6, 6);
    dm.DrawBitmapCell(out.dc, 1, 1, 4, 4, strip, 0, 0, 4, FALSE, 0, 0, FALSE, 0, 0, 0, 0, 0);
    EXPECT_EQ(out.Count(RGB(255, 255, 255)), 36);
    DeleteObject(strip);
}

TEST(DrawManagerLines, PenCodesDoubleLinesAndFrames) {
    const COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255);
    {
        MemDC out(20, 20);
        // A diagonal's second line has both ends moved right and down by twice the width.
        CDrawManager::DrawLine(out.dc, 2, 2, 5, 5, red, 6, 1);
        EXPECT_EQ(out.At(2, 2), red);
        EXPECT_EQ(out.At(6, 6), red);
        EXPECT_EQ(out.At(7, 7), RGB(255, 255, 255));
        EXPECT_EQ(out.Count(red), 5);
        // A horizontal one moves down only.
        CDrawManager::DrawLine(out.dc, 2, 12, 8, 12, red, 6, 2);
        EXPECT_EQ(out.At(4, 16), red);
        EXPECT_EQ(out.At(4, 14), RGB(255, 255, 255));
    }
    {
        MemDC out(20, 20);
        CDrawManager::DrawLine(out.dc, 2, 2, 10, 2, red, 0, 1);
        CDrawManager::DrawLine(out.dc, 2, 2, 10, 2, red, 1, 0);
        EXPECT_EQ(out.Count(red), 0);
    }
    {
        MemDC out(20, 20);
        CDrawManager::DrawRect(out.dc, RECT{2, 2, 12, 12}, red, blue, 1, 1);
        EXPECT_EQ(out.At(2, 7), red);    // left
        EXPECT_EQ(out.At(7, 2), red);    // top
        EXPECT_EQ(out.At(12, 7), blue);  // right
        EXPECT_EQ(out.At(7, 12), blue);  // bottom
        EXPECT_EQ(out.At(7, 7), RGB(255, 255, 255));
    }
    {
        MemDC out(20, 20);
        CDrawManager::DrawRect(out.dc, RECT{2, 2, 16, 16}, red, red, 6, 1);  // double frame inside the first
        EXPECT_EQ(out.At(2, 9), red);
        EXPECT_EQ(out.At(4, 9), red);
        EXPECT_EQ(out.At(3, 9), RGB(255, 255, 255));
        EXPECT_EQ(out.At(14, 9), red);
    }
}

TEST(DrawManagerLines, TileBitmapRepeatsAndClips) {
    HBITMAP tile = MakeBitmap(3, 3, [](int x, int y) { return (x == 0 && y == 0) ? 0x00FF0000u : 0x000000FFu; });
    MemDC src(3, 3);
    HGDIOBJ old = SelectObject(src.dc, tile);
    MemDC out(10, 10);
    CDrawManager::TileBitmap(out.dc, 1, 1, 7, 7, src.dc, 0, 0, 3, 3);
    EXPECT_EQ(out.At(1, 1), RGB(255, 0, 0));
    EXPECT_EQ(out.At(4, 4), RGB(255, 0, 0));
    EXPECT_EQ(out.At(7, 7), RGB(255, 0, 0));
    EXPECT_EQ(out.At(8, 8), RGB(255, 255, 255));
    EXPECT_EQ(out.At(2, 1), RGB(0, 0, 255));
    CDrawManager::TileBitmap(out.dc, 0, 0, 10, 10, src.dc, 0, 0, 0, 3);  // no tile size: nothing
    EXPECT_EQ(out.At(0, 0), RGB(255, 255, 255));
    SelectObject(src.dc, old);
    DeleteObject(tile);
}

TEST(DrawManagerImages, IconsThroughTheirMaskAndStretched) {
    HICON icon = LoadIconW(nullptr, IDI_QUESTION);
    ASSERT_NE(icon, nullptr);
    SIZE size;
    CDrawManager::GetIconSize(icon, &size);
    EXPECT_EQ(size.cx, 32);
    EXPECT_EQ(size.cy, 32);
    CDrawManager dm;
    {
        // One colour: every pixel the icon covers takes the colour, the rest stays.
        MemDC out(40, 40);
        dm.DrawIcon(out.dc, 4, 4, 32, 32, icon, kImageOneColour, FALSE, 0, 0, 0, 0, RGB(255, 0, 0));
        const int red = out.Count(RGB(255, 0, 0)), white = out.Count(RGB(255, 255, 255));
        EXPECT_GT(red, 0);
        EXPECT_EQ(red + white, 40 * 40);
        EXPECT_EQ(out.Count(RECT{0, 0, 4, 40}, RGB(255, 0, 0)), 0);
    }
    {
        // Stretched to 16 x 16 it stays inside its box.
        MemDC out(40, 40);
        dm.DrawIcon(out.dc, 0, 0, 16, 16, icon, 0, FALSE, 0, 0, 0, 0, 0);
        EXPECT_LT(out.Count(RECT{0, 0, 16, 16}, RGB(255, 255, 255)), 16 * 16);
        EXPECT_EQ(out.Count(RECT{16, 0, 40, 40}, RGB(255, 255, 255)), 24 * 40);
    }
}

TEST(DrawManagerFills, GradientBandsNeverReachTheEndColour) {
    MemDC out(20, 20);
    CDrawManager::FillGradient(out.dc, RECT{0, 0, 10, 5}, RGB(0, 0, 0), RGB(255, 255, 255), TRUE);
    EXPECT_EQ(out.At(0, 2), RGB(23, 23, 23));     // bands 0 to 5 are empty at this width
    EXPECT_EQ(out.At(9, 2), RGB(251, 251, 251));  // the last band is 63/64 of the way
    EXPECT_EQ(out.At(10, 2), RGB(255, 255, 255));
    CDrawManager dm;
    MemDC tall(4, 128);
    dm.FillEffect(tall.dc, 4, RECT{0, 0, 4, 128}, RGB(255, 0, 0), 0, RGB(0, 0, 255), 0, 0);
    EXPECT_EQ(tall.At(1, 0), RGB(255, 0, 0));     // the top half runs from colour 1 ...
    EXPECT_EQ(tall.At(1, 64), RGB(0, 0, 255));    // ... to colour 3, where the bottom half starts
    EXPECT_EQ(tall.At(1, 127), RGB(251, 0, 3));
    dm.FillEffect(out.dc, -1, RECT{0, 0, 20, 20}, RGB(0, 255, 0), 0, 0, 0, 0);
    EXPECT_EQ(out.Count(RGB(0, 255, 0)), 0);
    dm.FillEffect(out.dc, 99, RECT{0, 0, 20, 20}, RGB(0, 255, 0), 0, 0, 0, 0);
    EXPECT_EQ(out.Count(RGB(0, 255, 0)), 400);
}

TEST(DrawManagerFills, TexturesAreSeededAndFifteenBitNoiseStaysSmall) {
    CDrawManager dm;
    auto snapshot = [&](int effect, int g, int w, int h) {
        crt::srand(7);
        std::vector<BYTE> bytes;
        if (dm.FillTexture(RECT{0, 0, w, h}, effect, g, 0, RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)))
            bytes.assign(dm.Dib().GetBits(), dm.Dib().GetBits() + dm.Dib().Stride() * h);
        return bytes;
    };
    for (int effect = 7; effect <= 15; ++effect) {
        auto a = snapshot(effect, 10, 40, 30);
        ASSERT_FALSE(a.empty()) << effect;
        EXPECT_EQ(a, snapshot(effect, 10, 40, 30)) << effect;
    }
    // Granularity 0: the message box's bump has no noise, so every column is one index.
    snapshot(12, 0, 40, 30);
    for (int x = 0; x < 40; ++x)
        for (int y = 1; y < 30; ++y) ASSERT_EQ(dm.Dib().GetPixelIndex(x, y), dm.Dib().GetPixelIndex(x, 0)) << x;
    // Noise of granularity 10 stays within 10 of the middle.
    snapshot(7, 10, 40, 30);
    for (int x = 0; x < 40; ++x)
        for (int y = 0; y < 30; ++y) {
            const int v = dm.Dib().GetPixelIndex(x, y);
            ASSERT_GE(v, 118);
            ASSERT_LE(v, 138);
        }
    // Areas the formulas cannot divide by draw nothing; huge ones are clamped.
    EXPECT_TRUE(snapshot(9, 0, 0, 10).empty());
    EXPECT_TRUE(snapshot(15, 0, 10, 0).empty());
    EXPECT_TRUE(snapshot(14, 0, 10, 1).empty());
    EXPECT_FALSE(snapshot(14, 0, 5, 4).empty());  // narrower than 6: no bevels, no division by zero
    EXPECT_FALSE(snapshot(10, 0, 40000, 1).empty());
    EXPECT_EQ(dm.Dib().Width(), 32767);
    MemDC out(50, 40, RGB(0, 0, 0));
    dm.FillEffect(out.dc, 12, RECT{5, 5, 45, 35}, RGB(255, 179, 157), RGB(255, 255, 255), RGB(255, 179, 157), 0, 0);
    EXPECT_EQ(out.At(4, 20), RGB(0, 0, 0));
    EXPECT_NE(out.At(25, 20), RGB(0, 0, 0));
    EXPECT_EQ(out.At(25, 10), out.At(25, 30));
}
