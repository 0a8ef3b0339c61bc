// Tests of the drawing helpers: mnemonic stripping, colour mixing, pixel pairs, gradients and buffered DCs.
#include <gtest/gtest.h>

#include "platform/gdi/gdi_fixture.h"
#include "toolkit/base/draw_helpers.h"

#include <cstdlib>

TEST(StripMnemonics, OneRuleForMeasuringAndDrawing) {
    struct {
        const char16_t* in;
        const char16_t* out;
    } cases[] = {
        {u"&File", u"File"}, {u"A&&B", u"A&B"}, {u"Save&", u"Save"}, {u"&&", u"&"},
        {u"a&b&c", u"abc"},  {u"x&&", u"x&"},  {u"", u""},         {u"plain", u"plain"},
    };
    for (auto& c : cases) {
        CString s(c.in);
        StripMnemonics(s);
        EXPECT_EQ(s, CString(c.out)) << CStringA(c.in).GetString();
        EXPECT_EQ(StripMnemonicsCopy(CString(c.in)), CString(c.out));
    }
}

TEST(ColorMixing, FactorPercentAndSubtract) {
    EXPECT_EQ(BlendColorsByFactor(RGB(200, 100, 0), RGB(0, 100, 200), 0.25f), RGB(50, 100, 150));
    EXPECT_EQ(BlendColorsByFactor(RGB(255, 255, 255), RGB(255, 255, 255), 1.0f), RGB(255, 255, 255));
    COLORREF c = RGB(100, 200, 0);
    BlendColorRef(c, RGB(200, 0, 255), 50);
    EXPECT_EQ(c, RGB(150, 100, 127));
    c = RGB(10, 200, 30);
    SubtractColorRef(c, RGB(20, 100, 30));
    EXPECT_EQ(c, RGB(0, 100, 0));
}

TEST(BlendPixelPairs, AveragesPairsAndIgnoresALonePoint) {
    MemDC dc(4, 1, RGB(0, 0, 0));
    SetPixel(dc.dc, 1, 0, RGB(200, 100, 51));
    SetPixel(dc.dc, 3, 0, RGB(255, 255, 255));
    // Pixel (0,0) with its partner one to the right, then a point with no offset after it.
    POINT entries[] = {{0, 0}, {1, 0}, {2, 0}};
    BlendPixelPairs(dc.dc, entries, 3);
    EXPECT_EQ(dc.At(0, 0), RGB(100, 50, 25));
    EXPECT_EQ(dc.At(2, 0), RGB(0, 0, 0));  // not paired with whatever lies past the array
}

TEST(ExcludeCorners, LeavesOnlyTheFourCornerPixels) {
    MemDC dc(6, 5, RGB(255, 255, 255));
    RECT rc{1, 1, 5, 4};
    ExcludeCorners(dc.dc, rc);
    dc.Fill(rc, RGB(0, 0, 255));
    EXPECT_EQ(dc.At(1, 1), RGB(255, 255, 255));
    EXPECT_EQ(dc.At(4, 1), RGB(255, 255, 255));
    EXPECT_EQ(dc.At(1, 3), RGB(255, 255, 255));
    EXPECT_EQ(dc.At(4, 3), RGB(255, 255, 255));
    EXPECT_EQ(dc.Count(rc, RGB(0, 0, 255)), 12 - 4);
}

TEST(TransparentColor, PixelZeroOrMinusOne) {
    MemDC dc(3, 3, RGB(1, 2, 3));
    HBITMAP loose = CreateCompatibleBitmap(dc.dc, 3, 3);
    {
        CTKPMemoryDC mem(dc.dc, loose);
        SetPixel(mem, 0, 0, RGB(7, 8, 9));
    }
    EXPECT_EQ(GetTransparentColor(loose), RGB(7, 8, 9));
    DeleteObject(loose);
    EXPECT_EQ(GetTransparentColor(nullptr), COLORREF(-1));
    HBRUSH brush = CreateSolidBrush(0);
    EXPECT_EQ(GetTransparentColor(reinterpret_cast<HBITMAP>(brush)), COLORREF(-1));
    DeleteObject(brush);
}

class GradientTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        saved_ = GetGradientHelper().GetGradientFill();
        // The system gradient, or the banded fallback taken when msimg32 cannot be bound.
        GetGradientHelper().SetGradientFill(GetParam() ? &::GradientFill : nullptr);
    }
    void TearDown() override { GetGradientHelper().SetGradientFill(saved_); }
    PFN_GRADIENTFILL saved_ = nullptr;
};

static int ChannelGap(COLORREF a, COLORREF b)
{
    return std::max({std::abs(GetRValue(a) - GetRValue(b)), std::abs(GetGValue(a) - GetGValue(b)),
                     std::abs(GetBValue(a) - GetBValue(b))});
}

TEST_P(GradientTest, RunsFromTheFirstToTheSecondColour) {
    MemDC dc(40, 10);
    RECT rc{0, 0, 40, 10};
    GetGradientHelper().GradientFillRect(dc.dc, rc, RGB(0, 0, 0), RGB(200, 100, 40), TRUE);
    EXPECT_EQ(dc.At(0, 5), RGB(0, 0, 0));
    EXPECT_LE(ChannelGap(dc.At(39, 5), RGB(195, 97, 39)), 1);
    EXPECT_EQ(dc.At(20, 0), dc.At(20, 9));  // horizontal: columns are uniform
    EXPECT_LT(GetRValue(dc.At(10, 5)), GetRValue(dc.At(30, 5)));
}

TEST_P(GradientTest, EqualColoursAndEmptyRectangles) {
    MemDC dc(10, 10, RGB(9, 9, 9));
    RECT rc{2, 2, 8, 8};
    GetGradientHelper().GradientFillRect(dc.dc, rc, RGB(50, 60, 70), RGB(50, 60, 70), FALSE);
    EXPECT_EQ(dc.Count(rc, RGB(50, 60, 70)), 36);
    RECT empty{5, 5, 5, 9};
    GetGradientHelper().GradientFillRect(dc.dc, empty, RGB(255, 0, 0), RGB(0, 0, 255), FALSE);
    EXPECT_EQ(dc.Count(RGB(255, 0, 0)), 0);
}

TEST_P(GradientTest, ClippedShowsThePixelsOfTheUnclippedGradient) {
    const COLORREF from = RGB(10, 200, 90), to = RGB(240, 20, 160);
    for (BOOL horz : {TRUE, FALSE}) {
        MemDC full(60, 60), cut(60, 60);
        RECT rc{0, 0, 60, 60};
        GetGradientHelper().GradientFillRect(full.dc, rc, from, to, horz);
        RECT clip{17, 23, 41, 52};
        GetGradientHelper().GradientFillClipped(cut.dc, rc, from, to, horz, &clip);
        int worst = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 60; ++x) {
                bool inside = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
                if (inside)
                    worst = std::max(worst, ChannelGap(full.At(x, y), cut.At(x, y)));
                else
                    ASSERT_EQ(cut.At(x, y), RGB(255, 255, 255)) << x << "," << y;
            }
        EXPECT_LE(worst, 2) << "horizontal " << horz;
        RECT apart{70, 70, 80, 80};
        MemDC none(60, 60);
        GetGradientHelper().GradientFillClipped(none.dc, rc, from, to, horz, &apart);
        EXPECT_EQ(none.Count(RGB(255, 255, 255)), 3600);
    }
}

TEST_P(GradientTest, OffCentreFactorMeetsAtTheBlendInTheMiddle) {
    MemDC dc(10, 40);
    RECT rc{0, 0, 10, 40};
    CTKPGradientColor g(RGB(255, 255, 255), RGB(0, 0, 0), 0.25f);
    GetGradientHelper().GradientFillColor(dc.dc, rc, g, FALSE);
    COLORREF middle = BlendColorsByFactor(RGB(255, 255, 255), RGB(0, 0, 0), 0.25f);
    EXPECT_EQ(dc.At(5, 0), RGB(255, 255, 255));
    EXPECT_EQ(dc.At(5, 20), middle);  // the second half starts at the blend
    EXPECT_LE(ChannelGap(dc.At(5, 19), middle), 10);
}

INSTANTIATE_TEST_SUITE_P(SystemAndBanded, GradientTest, ::testing::Bool());

TEST(TransparentColor, BitmapToIconMasksTheCornerColour) {
    MemDC dc(4, 4);
    HBITMAP bitmap = CreateCompatibleBitmap(dc.dc, 12, 10);
    HICON icon = BitmapToIcon(bitmap);
    ASSERT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bm{};
    GetObjectW(info.hbmColor, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, 12);
    EXPECT_EQ(bm.bmHeight, 10);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
    DeleteObject(bitmap);
    EXPECT_EQ(BitmapToIcon(nullptr), nullptr);
    EXPECT_EQ(CTKPBitmapHandle{}.BitmapToIcon(), nullptr);
}

TEST(BufferedDC, OffscreenCopiesOnlyItsRectangle) {
    MemDC target(20, 20, RGB(255, 255, 255));
    {
        CTKPOffscreenDC off(target.dc, 5, 5, 15, 15);
        HBRUSH b = CreateSolidBrush(RGB(0, 128, 0));
        RECT all{0, 0, 20, 20};
        FillRect(off, &all, b);
        DeleteObject(b);
        EXPECT_EQ(target.At(8, 8), RGB(255, 255, 255));  // nothing shows before the end
    }
    EXPECT_EQ(target.Count(RGB(0, 128, 0)), 100);
    EXPECT_EQ(target.At(5, 5), RGB(0, 128, 0));
    EXPECT_EQ(target.At(4, 5), RGB(255, 255, 255));
}

TEST(BufferedDC, MemDCFillsItsBackgroundAndDrawsRelative) {
    MemDC target(20, 20, RGB(255, 255, 255));
    RECT rc{4, 6, 14, 16};
    {
        CTKMemDC mem(target.dc, rc, CTKPGradientColor(RGB(1, 2, 3)));
        ASSERT_TRUE(mem.IsValid());
        // Painters receive it as a device context of the framework and may ask what it is.
        CDC* asDC = &mem;
        EXPECT_TRUE(asDC->IsKindOf(RUNTIME_CLASS(CTKMemDC)));
        EXPECT_EQ(CDC::FromHandle(mem.GetSafeHdc()), asDC);
        asDC->SetPixel(0, 0, RGB(250, 0, 0));
    }
    EXPECT_EQ(target.At(4, 6), RGB(250, 0, 0));
    EXPECT_EQ(target.Count(rc, RGB(1, 2, 3)), 99);
    {
        // A background with no dark colour leaves the buffer as created (black).
        CTKMemDC mem(target.dc, rc);
        ASSERT_TRUE(mem.IsValid());
    }
    EXPECT_EQ(target.Count(rc, RGB(0, 0, 0)), 100);
}

TEST(ScopedSelections, RestoreAndReportTheirColour) {
    MemDC dc(4, 4);
    HGDIOBJ penBefore = GetCurrentObject(dc.dc, OBJ_PEN), brushBefore = GetCurrentObject(dc.dc, OBJ_BRUSH);
    {
        CTKPSelectPen pen(dc.dc, RGB(1, 2, 3));
        CTKPSelectBrush brush(dc.dc, RGB(4, 5, 6));
        EXPECT_EQ(pen.GetColor(), RGB(1, 2, 3));
        pen.SetColor(RGB(7, 8, 9));
        brush.SetColor(RGB(10, 11, 12));
        EXPECT_EQ(pen.GetColor(), RGB(7, 8, 9));
        EXPECT_EQ(brush.GetColor(), RGB(10, 11, 12));
        EXPECT_NE(GetCurrentObject(dc.dc, OBJ_PEN), penBefore);
    }
    EXPECT_EQ(GetCurrentObject(dc.dc, OBJ_PEN), penBefore);
    EXPECT_EQ(GetCurrentObject(dc.dc, OBJ_BRUSH), brushBefore);
}

TEST(Triangle, FillsInOneColour) {
    MemDC dc(10, 10);
    DrawTriangle(dc.dc, {1, 1}, {8, 1}, {1, 8}, RGB(0, 0, 200));
    EXPECT_EQ(dc.At(2, 2), RGB(0, 0, 200));
    EXPECT_EQ(dc.At(8, 8), RGB(255, 255, 255));
    EXPECT_FALSE(IsLowColorDisplay(dc.dc));
    EXPECT_FALSE(IsLowColorDisplay(nullptr));
}
