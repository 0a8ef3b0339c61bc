// Tests of tool bars: sizes from their resources.
#include <gtest/gtest.h>

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
