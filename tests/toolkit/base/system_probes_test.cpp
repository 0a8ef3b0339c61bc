// Tests of the system probes: the version record, and visual styles reported absent.
#include <gtest/gtest.h>

#include "toolkit/base/system_probes.h"

TEST(SystemProbes, WindowsXpWithoutVisualStyles) {
    const OsVersionInfo& v = GetOsVersionInfo();
    EXPECT_EQ(v.dwOSVersionInfoSize, 276u);
    int flags = v.IsWin95() + v.IsWin98() + v.IsWinNT4() + v.IsWin2000() + v.IsWinXP();
    EXPECT_EQ(flags, 1);
    EXPECT_TRUE(v.IsWinXP());
    EXPECT_TRUE(v.IsVersion(5, 1));
    EXPECT_FALSE(v.IsVersion(5, 2));

    EXPECT_FALSE(IsVisualStyleActive());
    CTKPThemeHandle theme;
    EXPECT_EQ(theme.OpenThemeData(nullptr, u"TOOLBAR"), E_FAIL);
    EXPECT_FALSE(theme.IsOpen());
    EXPECT_FALSE(theme.IsAppThemed());
    COLORREF c = 0x123456;
    EXPECT_EQ(theme.GetThemeColor(0, 0, 3803, &c), E_FAIL);
    EXPECT_EQ(c, 0x123456u);
    RECT rc{0, 0, 1, 1};
    EXPECT_EQ(theme.DrawThemeBackground(nullptr, 1, 1, &rc, nullptr), E_FAIL);
    EXPECT_EQ(GetDllVersion(nullptr), 0u);
    EXPECT_EQ(GetDllVersion(GetModuleHandleW(nullptr)), 0u);  // no DllGetVersion there
}
