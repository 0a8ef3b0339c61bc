// The common controls module: its version through run-time binding, and the classes it provides.
#include "platform/controls/control_fixture.h"
#include "win32/controls/dll_version.h"
#include "win32/kernel.h"

using namespace ctltest;

namespace {

TEST(CommonControls, ReportVersionSixThroughTheModule)
{
    HMODULE m = LoadLibraryW(u"comctl32.dll");
    ASSERT_NE(nullptr, m);
    using Fn = HRESULT (*)(DLLVERSIONINFO*);
    auto get = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m, "DllGetVersion")));
    ASSERT_NE(nullptr, get);
    DLLVERSIONINFO v{sizeof v, 0, 0, 0, 0};
    EXPECT_EQ(S_OK, get(&v));
    EXPECT_EQ(6u, v.dwMajorVersion);
    EXPECT_EQ(0u, v.dwMinorVersion);
    DLLVERSIONINFO2 v2{};
    v2.info1.cbSize = sizeof v2;
    EXPECT_EQ(S_OK, get(&v2.info1));
    EXPECT_EQ(6ull, v2.ullVersion >> 48);
    DLLVERSIONINFO bad{3, 0, 0, 0, 0};
    EXPECT_EQ(E_INVALIDARG, get(&bad));
    EXPECT_NE(nullptr, GetProcAddress(m, "_TrackMouseEvent"));
    EXPECT_NE(nullptr, GetProcAddress(m, "InitCommonControlsEx"));
    FreeLibrary(m);
}

TEST(CommonControls, InitialisationChecksItsRecordAndTheClassesAreThere)
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    EXPECT_TRUE(InitCommonControlsEx(&icc));
    icc.dwSize = 4;
    EXPECT_FALSE(InitCommonControlsEx(&icc));
    EXPECT_FALSE(InitCommonControlsEx(nullptr));
    for (const char16_t* cls : {u"ListBox", u"ComboBox", u"ScrollBar", u"msctls_progress32", u"msctls_statusbar32",
                                u"tooltips_class32"}) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        EXPECT_TRUE(GetClassInfoExW(nullptr, cls, &wc)) << std::string(cls, cls + 6);
    }
}

} // namespace
