// Tests of tool bars: sizes from their resources, and the texts and icons of the bars.
#include <gtest/gtest.h>

#include "afx/module_state.h"
#include "afx/string.h"
#include "toolkit/commandbars/tool_bar.h"

TEST(ToolBarResource, ImageWidthOtherThan16BecomesTheBarsIconSize) {
    const struct {
        UINT id;
        BOOL loadIcons;
        BOOL result;
        int controls;
        SIZE icons;
    } cases[] = {
        {9200, FALSE, TRUE, 3, {16, 16}}, // 16 x 15 images leave the size unset
        {9213, FALSE, TRUE, 2, {24, 24}},
        {9213, TRUE, FALSE, 2, {24, 24}}, // no bitmap: the load fails, the controls stay
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        CTKPToolBar bar;
        EXPECT_EQ(bar.LoadToolBar(c.id, c.loadIcons), c.result);
        EXPECT_EQ(bar.GetControlCount(), c.controls);
        EXPECT_EQ(bar.GetIconSize().cx, c.icons.cx);
        EXPECT_EQ(bar.GetIconSize().cy, c.icons.cy);
        EXPECT_EQ(bar.GetButtonSize().cx, c.icons.cx + 7);
    }
}

TEST(ToolBarResource, TextsAndWindowCommandIconsOfTheBars) {
    const struct { UINT id; const char16_t* text; } strings[] = {
        {9300, u"添加或删除按钮(&A)"}, {9395, u"重置"},     {9400, u"\n工具栏选项"}, {9401, u"\n关闭"},
        {9402, u"\n展开"},             {9405, u"\n最小化窗口"}, {9411, u"(系统默认)"}, {9416, u"无"},
    };
    for (const auto& s : strings) {
        CString text;
        EXPECT_TRUE(text.LoadString(s.id)) << s.id;
        EXPECT_EQ(text, CString(s.text)) << s.id;
    }
    HBITMAP bitmap = LoadBitmapW(AfxGetResourceHandle(), MAKEINTRESOURCEW(9407));
    ASSERT_NE(bitmap, nullptr);
    BITMAP bm{};
    GetObjectW(bitmap, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, 4 * 16);
    EXPECT_EQ(bm.bmHeight, 16);
    DeleteObject(bitmap);
}
