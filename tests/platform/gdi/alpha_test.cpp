// Alpha blending, gradients and blits from DIB memory.
#include "gdi_fixture.h"

TEST(AlphaBlend, ConstantAndPremultipliedPerPixel)
{
    struct Case {
        uint32_t src, dst;
        BYTE sca, format;
        uint32_t expect;
    } cases[] = {
        {0x00FF0000, 0x000000FF, 255, 0, 0x00FF0000},
        {0x00FF0000, 0x000000FF, 128, 0, 0x0080007F},
        {0x80800000, 0x000000FF, 255, AC_SRC_ALPHA, 0x8080007F}, // premultiplied half red over blue
        {0x00000000, 0x00123456, 255, AC_SRC_ALPHA, 0x00123456}, // fully transparent
        {0xFF00FF00, 0x00FF0000, 255, AC_SRC_ALPHA, 0xFF00FF00},
    };
    for (const Case& c : cases) {
        MemDC s(1, 1), d(1, 1);
        s.bits[0] = c.src;
        d.bits[0] = c.dst;
        BLENDFUNCTION bf{AC_SRC_OVER, 0, c.sca, c.format};
        ASSERT_TRUE(AlphaBlend(d.dc, 0, 0, 1, 1, s.dc, 0, 0, 1, 1, bf));
        EXPECT_EQ(d.bits[0], c.expect) << std::hex << c.src << " sca " << int(c.sca);
    }
    MemDC s(2, 2), d(2, 2);
    BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    SetLastError(0);
    EXPECT_FALSE(AlphaBlend(d.dc, 0, 0, 2, 2, s.dc, 1, 1, 2, 2, bf)); // source past its bitmap
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST(GradientFill, HorizontalAndVerticalRectangles)
{
    MemDC m(5, 5);
    TRIVERTEX v[2] = {{0, 0, 0, 0, 0xFF00, 0}, {4, 5, 0xFF00, 0, 0, 0}};
    GRADIENT_RECT r{0, 1};
    ASSERT_TRUE(GradientFill(m.dc, v, 2, &r, 1, GRADIENT_FILL_RECT_H));
    EXPECT_EQ(m.At(0, 0), RGB(0, 0, 255));
    EXPECT_EQ(m.At(2, 4), RGB(127, 0, 127));
    EXPECT_EQ(m.At(4, 0), RGB(255, 255, 255)); // right edge excluded
    ASSERT_TRUE(GradientFill(m.dc, v, 2, &r, 1, GRADIENT_FILL_RECT_V));
    EXPECT_EQ(m.At(3, 0), RGB(0, 0, 255));
    EXPECT_EQ(m.At(3, 4), RGB(204, 0, 51));
    GRADIENT_RECT bad{0, 7};
    EXPECT_FALSE(GradientFill(m.dc, v, 2, &bad, 1, GRADIENT_FILL_RECT_H));
}

TEST(DibBlits, BottomUpPalettedBitsStretchAndSetToDevice)
{
    // 2x2, 8 bpp, bottom-up: the first stored row is the bottom one.
    struct {
        BITMAPINFOHEADER h;
        RGBQUAD colors[2];
    } bi{{sizeof(BITMAPINFOHEADER), 2, 2, 1, 8, BI_RGB, 0, 0, 0, 2, 0}, {{0, 0, 255, 0}, {255, 0, 0, 0}}};
    const uint8_t bits[8] = {0, 1, 0, 0, /* top */ 1, 1, 0, 0};
    MemDC m(4, 4);
    auto* info = reinterpret_cast<const BITMAPINFO*>(&bi);
    EXPECT_EQ(StretchDIBits(m.dc, 0, 0, 4, 4, 0, 0, 2, 2, bits, info, DIB_RGB_COLORS, SRCCOPY), 2);
    EXPECT_EQ(m.At(0, 0), RGB(0, 0, 255));
    EXPECT_EQ(m.At(3, 1), RGB(0, 0, 255));
    EXPECT_EQ(m.At(0, 3), RGB(255, 0, 0));
    EXPECT_EQ(m.At(3, 3), RGB(0, 0, 255));
    MemDC n(2, 2);
    EXPECT_EQ(SetDIBitsToDevice(n.dc, 0, 0, 2, 2, 0, 0, 0, 2, bits, info, DIB_RGB_COLORS), 2);
    EXPECT_EQ(n.At(0, 1), RGB(255, 0, 0));
    EXPECT_EQ(n.At(1, 0), RGB(0, 0, 255));

    // GetDIBits round trip through a 24-bpp bottom-up layout.
    BITMAPINFO out{};
    out.bmiHeader = {sizeof(BITMAPINFOHEADER), 2, 2, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    uint8_t got[16] = {};
    EXPECT_EQ(GetDIBits(n.dc, n.bmp, 0, 2, got, &out, DIB_RGB_COLORS), 2);
    EXPECT_EQ(got[2], 255); // bottom-left red
    EXPECT_EQ(got[8], 255); // top-left blue (row 1 at offset 8)
}
