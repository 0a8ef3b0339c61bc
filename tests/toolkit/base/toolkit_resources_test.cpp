// The toolkit's own resources as its controls load them: texts, the column menu, images, the cursor.
#include <gtest/gtest.h>

#include "toolkit/base/resource_loader.h"

#include <string>

namespace {

std::u16string MenuText(HMENU menu, int pos)
{
    WCHAR text[64] = {};
    GetMenuStringW(menu, UINT(pos), text, 64, MF_BYPOSITION);
    return text;
}

COLORREF PixelOf(HBITMAP bitmap, int x, int y)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return c;
}

} // namespace

TEST(ToolkitResources, EveryShellErrorHasItsText) {
    const struct { UINT id; const char16_t* text; } cases[] = {
        {9036, u"单击图钉以保持打开状态"},
        {9037, u"操作系统的内存或资源不足。"},
        {9042, u"此 .exe 文件是无效的。（非Win32 .exe 或 .EXE 影像错误）"},
        {9049, u"指定动态链接库没有被发现。"},
        {9050, u"一个未知的错误编号 %d 发生。"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        CString text;
        ASSERT_TRUE(GetResourceLoader().LoadString(text, c.id));
        EXPECT_EQ(text, CString(c.text));
    }
    for (UINT id = 9036; id <= 9050; ++id) {
        CString text;
        EXPECT_TRUE(GetResourceLoader().LoadString(text, id)) << id;
    }
}

TEST(ToolkitResources, ColumnMenuIsTheThirdPopup) {
    HMENU menu = nullptr;
    ASSERT_TRUE(GetResourceLoader().LoadMenu(menu, 9014));
    HMENU column = GetSubMenu(menu, 2);
    ASSERT_NE(column, nullptr);
    ASSERT_EQ(GetMenuItemCount(column), 4);
    EXPECT_EQ(GetMenuItemID(column, 0), 9158u);
    EXPECT_EQ(MenuText(column, 0), u"升序排序");
    EXPECT_EQ(GetMenuItemID(column, 1), 9159u);
    EXPECT_EQ(MenuText(column, 1), u"降序排序");
    EXPECT_EQ(GetMenuItemID(column, 2), 0u);  // separator
    EXPECT_EQ(MenuText(column, 3), u"对齐方式");
    HMENU align = GetSubMenu(column, 3);
    ASSERT_NE(align, nullptr);
    const struct { UINT id; const char16_t* text; } items[] = {
        {9160, u"左对齐"}, {9161, u"居中对齐"}, {9162, u"右对齐"}};
    ASSERT_EQ(GetMenuItemCount(align), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(GetMenuItemID(align, i), items[i].id);
        EXPECT_EQ(MenuText(align, i), items[i].text);
    }
    DestroyMenu(menu);
}

// Each strip holds one 16 x 15 image per command, masked by the magenta of its corners.
TEST(ToolkitResources, ImageStripsMatchTheirUsers) {
    CTKPToolBarResource bar;
    ASSERT_TRUE(GetResourceLoader().LoadToolBar(bar, 9015));
    EXPECT_EQ(bar.items, (std::vector<UINT>{9158, 9159, 9160, 9161, 9162}));
    const struct { UINT id; int images; } strips[] = {{9002, 3}, {9015, 5}};
    for (const auto& s : strips) {
        SCOPED_TRACE(s.id);
        HBITMAP bitmap = nullptr;
        ASSERT_TRUE(GetResourceLoader().LoadBitmap(bitmap, s.id));
        BITMAP bm{};
        GetObjectW(bitmap, sizeof(bm), &bm);
        EXPECT_EQ(bm.bmWidth, 16 * s.images);
        EXPECT_EQ(bm.bmHeight, 15);
        for (int i = 0; i < s.images; ++i) {
            EXPECT_EQ(PixelOf(bitmap, 16 * i, 0), RGB(255, 0, 255));
            EXPECT_EQ(PixelOf(bitmap, 16 * i + 15, 14), RGB(255, 0, 255));
            // Something is drawn in every image.
            int drawn = 0;
            for (int y = 0; y < 15; ++y)
                for (int x = 0; x < 16; ++x)
                    drawn += PixelOf(bitmap, 16 * i + x, y) != RGB(255, 0, 255);
            EXPECT_GT(drawn, 10) << i;
        }
        DeleteObject(bitmap);
    }
}

TEST(ToolkitResources, HandCursorPointsWithItsFingertip) {
    HCURSOR cursor = GetResourceLoader().LoadCursor(9973);
    ASSERT_NE(cursor, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 5u);
    EXPECT_EQ(info.yHotspot, 0u);
    if (info.hbmMask)
        DeleteObject(info.hbmMask);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
}

// The customise sheet's stock images and the button editor's tool images, as stored.
TEST(ToolkitResources, CustomiseBitmapsHaveTheirSizesAndDepths) {
    const struct { UINT id; int width; int bits; } bitmaps[] = {{9322, 672, 4}, {9352, 256, 4}, {9353, 256, 32}};
    for (const auto& b : bitmaps) {
        SCOPED_TRACE(b.id);
        HRSRC found = FindResourceW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(b.id), RT_BITMAP);
        ASSERT_NE(found, nullptr);
        const auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(nullptr, found)));
        ASSERT_NE(header, nullptr);
        EXPECT_EQ(header->biWidth, b.width);
        EXPECT_EQ(header->biHeight, 16);
        EXPECT_EQ(header->biBitCount, b.bits);
        HBITMAP bitmap = nullptr;
        ASSERT_TRUE(GetResourceLoader().LoadBitmap(bitmap, b.id));
        DeleteObject(bitmap);
    }
}

// Each cursor points with the pixel its picture marks: the arrow's tip, the middle of the barred
// circle and of the cross, the bucket's spout, the pencil's and the dropper's tips.
TEST(ToolkitResources, CustomiseCursorsPointWhereTheyShould) {
    const struct { UINT id; UINT x; UINT y; } cursors[] = {
        {9301, 0, 0}, {9302, 0, 0}, {9303, 8, 8}, {9375, 7, 7}, {9376, 0, 15}, {9377, 2, 13}, {9378, 0, 15}};
    for (const auto& c : cursors) {
        SCOPED_TRACE(c.id);
        HCURSOR cursor = GetResourceLoader().LoadCursor(c.id);
        ASSERT_NE(cursor, nullptr);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(cursor, &info));
        EXPECT_FALSE(info.fIcon);
        EXPECT_EQ(info.xHotspot, c.x);
        EXPECT_EQ(info.yHotspot, c.y);
        BITMAP mask{};
        GetObjectW(info.hbmMask, sizeof(mask), &mask);
        EXPECT_EQ(mask.bmWidth, 32);
        if (info.hbmMask)
            DeleteObject(info.hbmMask);
        if (info.hbmColor)
            DeleteObject(info.hbmColor);
    }
}

TEST(ToolkitResources, CustomiseDialogsAndMenuLoad) {
    for (UINT id : {9304u, 9313u, 9328u, 9339u, 9351u, 9379u})
        EXPECT_NE(GetResourceLoader().LoadDialogTemplate(id), nullptr) << id;
    HMENU menu = nullptr;
    ASSERT_TRUE(GetResourceLoader().LoadMenu(menu, 9336));
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu, 0)), 16);
    DestroyMenu(menu);
}
