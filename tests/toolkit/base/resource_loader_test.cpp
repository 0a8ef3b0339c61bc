// Tests of the resource loader over the test program's own resources.
#include <gtest/gtest.h>

#include "toolkit/base/resource_loader.h"

#include <cstring>

TEST(ResourceLoader, FindsWhatIsThereAndFailsOnWhatIsNot) {
    CTKPResourceLoader& loader = GetResourceLoader();
    EXPECT_EQ(&loader, &GetResourceLoader());
    CString text;
    ASSERT_TRUE(loader.LoadString(text, 9036));
    EXPECT_EQ(text, CString(u"单击图钉以保持打开状态"));
    ASSERT_TRUE(loader.LoadString(text, 9037));
    EXPECT_EQ(text, CString(u"操作系统的内存或资源不足。"));
    EXPECT_FALSE(loader.LoadString(text, 9099));
    EXPECT_TRUE(text.IsEmpty());

    HMENU menu = reinterpret_cast<HMENU>(1);
    EXPECT_FALSE(loader.LoadMenu(menu, 9999));
    EXPECT_EQ(menu, nullptr);

    CTKPToolBarResource bar;
    ASSERT_TRUE(loader.LoadToolBar(bar, 9016));
    EXPECT_EQ(bar.width, 16);
    EXPECT_EQ(bar.height, 15);
    EXPECT_EQ(bar.items, (std::vector<UINT>{100, 0, 101}));
    EXPECT_FALSE(loader.LoadToolBar(bar, 9017));

    const void* dialog = loader.LoadDialogTemplate(9100);
    ASSERT_NE(dialog, nullptr);
    DWORD style = 0;
    std::memcpy(&style, dialog, sizeof(style));
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_EQ(loader.LoadDialogTemplate(9101), nullptr);

    EXPECT_EQ(loader.LoadCursor(9974), nullptr);
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(1);
    EXPECT_FALSE(loader.LoadBitmap(bitmap, 9003));
    EXPECT_EQ(bitmap, nullptr);
}
