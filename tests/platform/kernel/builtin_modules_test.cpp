// Programs bind to the layer's own modules at run time; modules it does not provide are not found.
#include "win32/win32.h"

#include <gtest/gtest.h>

TEST(BuiltInModules, GradientAndAlphaBlendAreFoundThroughMsimg32)
{
    HMODULE msimg32 = LoadLibraryW(u"msimg32.dll");
    ASSERT_NE(msimg32, nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(msimg32, "GradientFill")), reinterpret_cast<void*>(&GradientFill));
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(msimg32, "AlphaBlend")), reinterpret_cast<void*>(&AlphaBlend));
    EXPECT_EQ(LoadLibraryW(u"uxtheme.dll"), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
}
