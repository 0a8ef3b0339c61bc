// Image lists: adding with masks, replacing, counting, and the drawing styles.
#include "gdi_fixture.h"

namespace {

const COLORREF kKey = RGB(255, 0, 255), kGreen = RGB(0, 255, 0), kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255);

// Two 4x4 images side by side: red and blue squares whose left column is the key colour.
HBITMAP TwoImages()
{
    MemDC src(8, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
            SetPixel(src.dc, x, y, x % 4 == 0 ? kKey : x < 4 ? kRed : kBlue);
    HBITMAP copy = CreateBitmap(8, 4, 1, 32, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, copy);
    BitBlt(dc, 0, 0, 8, 4, src.dc, 0, 0, SRCCOPY);
    SelectObject(dc, old);
    DeleteDC(dc);
    return copy;
}

} // namespace

TEST(ImageList, AddMaskedThenDrawInEachStyle)
{
    HIMAGELIST il = ImageList_Create(4, 4, ILC_COLOR24 | ILC_MASK, 1, 1);
    HBITMAP bmp = TwoImages();
    EXPECT_EQ(ImageList_AddMasked(il, bmp, kKey), 0);
    DeleteObject(bmp);
    EXPECT_EQ(ImageList_GetImageCount(il), 2);

    struct Case {
        UINT style;
        COLORREF bk;
        COLORREF keyPixel, imagePixel;
    } cases[] = {
        {ILD_NORMAL, CLR_NONE, kGreen, kBlue},
        {ILD_TRANSPARENT, RGB(9, 9, 9), kGreen, kBlue},
        {ILD_NORMAL, RGB(9, 9, 9), RGB(9, 9, 9), kBlue},
        {ILD_MASK, CLR_NONE, RGB(255, 255, 255), RGB(0, 0, 0)},
    };
    for (const Case& c : cases) {
        MemDC m(6, 6, kGreen);
        ASSERT_TRUE(ImageList_DrawEx(il, 1, m.dc, 1, 1, 0, 0, c.bk, CLR_DEFAULT, c.style));
        EXPECT_EQ(m.At(1, 1), c.keyPixel) << c.style;
        EXPECT_EQ(m.At(2, 2), c.imagePixel) << c.style;
        EXPECT_EQ(m.At(5, 5), kGreen);
    }
    MemDC sel(6, 6, kGreen);
    ImageList_DrawEx(il, 0, sel.dc, 0, 0, 0, 0, CLR_NONE, RGB(0, 0, 255), ILD_SELECTED);
    EXPECT_EQ(sel.At(2, 2), RGB(128, 0, 128)); // half red, half the blend colour
    EXPECT_EQ(sel.At(0, 0), kGreen);

    // The stored image has its key pixels cleared to black; the mask marks them.
    IMAGEINFO info{};
    ASSERT_TRUE(ImageList_GetImageInfo(il, 1, &info));
    EXPECT_EQ(info.rcImage.left, 4);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, info.hbmImage);
    EXPECT_EQ(GetPixel(dc, 4, 0), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, 5, 0), kBlue);
    SelectObject(dc, info.hbmMask);
    EXPECT_EQ(GetPixel(dc, 4, 0), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 5, 0), RGB(0, 0, 0));
    SelectObject(dc, old);
    DeleteDC(dc);
    EXPECT_TRUE(ImageList_Destroy(il));
    EXPECT_FALSE(ImageList_Destroy(il));
    EXPECT_EQ(ImageList_GetImageCount(il), 0);
}

TEST(ImageList, IconsReplaceRemoveAndCount)
{
    HIMAGELIST il = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 0, 4);
    HICON error = GetSystemIcon(32513);
    EXPECT_EQ(ImageList_AddIcon(il, error), 0);
    EXPECT_EQ(ImageList_AddIcon(il, GetSystemIcon(32515)), 1);
    EXPECT_EQ(ImageList_ReplaceIcon(il, 0, GetSystemIcon(32515)), 0);
    EXPECT_EQ(ImageList_ReplaceIcon(il, 5, error), -1);
    HICON back = ImageList_GetIcon(il, 1, ILD_NORMAL);
    ASSERT_TRUE(back);
    ICONINFO ii{};
    GetIconInfo(back, &ii);
    BITMAP bm{};
    GetObjectW(ii.hbmColor, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 16);
    DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);
    EXPECT_TRUE(DestroyIcon(back));

    EXPECT_TRUE(ImageList_SetImageCount(il, 10));
    EXPECT_EQ(ImageList_GetImageCount(il), 10);
    EXPECT_TRUE(ImageList_Remove(il, 0));
    EXPECT_EQ(ImageList_GetImageCount(il), 9);
    EXPECT_FALSE(ImageList_Remove(il, 9));
    EXPECT_TRUE(ImageList_RemoveAll(il));
    EXPECT_EQ(ImageList_GetImageCount(il), 0);
    int cx = 0, cy = 0;
    EXPECT_TRUE(ImageList_GetIconSize(il, &cx, &cy));
    EXPECT_EQ(cx, 16);
    ImageList_Destroy(il);
}

TEST(ImageList, ThirtyTwoBitImagesBlendByTheirAlpha)
{
    HIMAGELIST il = ImageList_Create(1, 1, ILC_COLOR32, 1, 1);
    MemDC src(1, 1);
    src.bits[0] = 0x80FF0000; // half-transparent red, straight alpha
    HBITMAP b = CreateBitmap(1, 1, 1, 32, src.bits);
    ImageList_Add(il, b, nullptr);
    DeleteObject(b);
    MemDC m(1, 1, RGB(0, 0, 255));
    ImageList_Draw(il, 0, m.dc, 0, 0, ILD_NORMAL);
    EXPECT_EQ(m.At(0, 0), RGB(128, 0, 127));
    ImageList_Destroy(il);
}
