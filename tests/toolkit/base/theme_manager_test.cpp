// Tests of the style factories: shared factories and styles, private styles, client notification order.
#include <gtest/gtest.h>

#include "toolkit/base/theme_manager.h"
#include "win32/user.h"
#include "test_windows.h"

#include <string>
#include <vector>

namespace {

int g_created = 0;
bool g_failCreate = false;

class TestStyle : public CTKThemeStyleBase {
public:
    explicit TestStyle(int theme) : theme(theme) {}
    void RefreshMetrics() override { ++refreshes; }
    int theme;
    int refreshes = 0;
};

class TestFactory : public CTKThemeManagerStyleFactory {
    DECLARE_DYNCREATE(TestFactory)
public:
    CTKThemeStyleBase* CreateTheme(int themeId) override
    {
        if (g_failCreate)
            return nullptr;
        ++g_created;
        return new TestStyle(themeId);
    }
};
IMPLEMENT_DYNCREATE(TestFactory, CTKThemeManagerStyleFactory)

class OtherFactory : public CTKThemeManagerStyleFactory {
    DECLARE_DYNCREATE(OtherFactory)
};
IMPLEMENT_DYNCREATE(OtherFactory, CTKThemeManagerStyleFactory)

std::vector<std::string> g_redraws;

class Control : public CTKThemeStyleClient {
public:
    Control(const char* name, CRuntimeClass* cls = RUNTIME_CLASS(TestFactory)) : CTKThemeStyleClient(cls), name(name) {}
    void OnStyleChanged() override { g_redraws.push_back(name); }
    std::string name;
};

} // namespace

TEST(ThemeRegistry, ControlsOfOneClassShareAFactoryAndAStyle) {
    Control a("a"), b("b"), other("other", RUNTIME_CLASS(OtherFactory));
    ASSERT_NE(a.GetFactory(), nullptr);
    a.GetFactory()->SetStyle(nullptr);  // whatever an earlier test left
    g_redraws.clear();
    EXPECT_EQ(a.GetFactory(), b.GetFactory());
    EXPECT_EQ(a.GetFactory(), GetThemeRegistry().GetSharedFactory(RUNTIME_CLASS(TestFactory)));
    EXPECT_NE(a.GetFactory(), other.GetFactory());
    int before = g_created;
    CTKThemeStyleBase* style = a.GetStyle();
    ASSERT_NE(style, nullptr);
    EXPECT_EQ(b.GetStyle(), style);
    EXPECT_EQ(g_created, before + 1);  // made once, lazily
    EXPECT_EQ(static_cast<TestStyle*>(style)->theme, 0);
    EXPECT_EQ(static_cast<TestStyle*>(style)->refreshes, 1);
    EXPECT_EQ(style->GetFactory(), a.GetFactory());
    EXPECT_EQ(other.GetStyle(), nullptr);  // the base factory makes no style

    // A new shared style redraws every client of the class, the most recently attached first.
    a.GetFactory()->SetStyle(new TestStyle(9));
    EXPECT_EQ(g_redraws, (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(static_cast<TestStyle*>(b.GetStyle())->theme, 9);
    a.GetFactory()->RefreshStyle();
    EXPECT_EQ(static_cast<TestStyle*>(b.GetStyle())->refreshes, 2);
}

TEST(ThemeRegistry, PrivateStylesLeaveTheOthersOnTheSharedOne) {
    g_redraws.clear();
    Control a("a"), b("b");
    CTKThemeStyleBase* shared = a.GetStyle();
    b.SetTheme(nullptr);  // nothing private to drop: no redraw
    EXPECT_TRUE(g_redraws.empty());

    auto* own = new TestStyle(4);
    b.SetTheme(own);
    EXPECT_EQ(g_redraws, (std::vector<std::string>{"b"}));
    EXPECT_EQ(b.GetStyle(), own);
    EXPECT_EQ(a.GetStyle(), shared);
    EXPECT_NE(b.GetFactory(), a.GetFactory());

    // A change of the shared style no longer reaches b.
    g_redraws.clear();
    a.GetFactory()->SetStyle(new TestStyle(5));
    EXPECT_EQ(g_redraws, (std::vector<std::string>{"a"}));

    g_redraws.clear();
    b.SetTheme(nullptr);  // back to the shared style; the private factory and style are freed
    EXPECT_EQ(g_redraws, (std::vector<std::string>{"b"}));
    EXPECT_EQ(b.GetStyle(), a.GetStyle());
}

TEST(ThemeRegistry, EveryFactoryIsListedAndAFailedStyleIsRetried) {
    int listed = 0;
    {
        Control a("a");
        listed = GetThemeRegistry().GetFactoryCount();
        a.SetTheme(new TestStyle(1));
        EXPECT_EQ(GetThemeRegistry().GetFactoryCount(), listed + 1);
    }
    EXPECT_EQ(GetThemeRegistry().GetFactoryCount(), listed);  // the shared factory stays

    Control c("c", RUNTIME_CLASS(OtherFactory));
    c.GetFactory()->SetStyle(nullptr);
    g_failCreate = true;
    TestFactory f;
    EXPECT_EQ(f.GetStyle(), nullptr);
    g_failCreate = false;
    EXPECT_NE(f.GetStyle(), nullptr);
}

TEST(ThemeStyle, OnlyTransparentControlsPaintTheirParentsPixels) {
    tktest::RegisterPlainWindowClass(u"TkStyleTest");
    HWND parent = CreateWindowExW(0, u"TkStyleTest", u"p", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    HWND opaque = CreateWindowExW(0, u"TkStyleTest", u"o", WS_CHILD, 10, 10, 30, 20, parent, nullptr, nullptr, nullptr);
    HWND clear = CreateWindowExW(WS_EX_TRANSPARENT, u"TkStyleTest", u"c", WS_CHILD, 50, 10, 30, 20, parent, nullptr,
                                 nullptr, nullptr);
    ASSERT_TRUE(parent && opaque && clear);
    TestStyle style(0);
    HDC screen = GetDC(nullptr);
    EXPECT_FALSE(style.DrawParentBackground(screen, opaque));
    EXPECT_EQ(style.GetParentBackground(), nullptr);  // never captured
    EXPECT_FALSE(style.CaptureParentBackground(parent));  // a top-level window has no parent to show
    EXPECT_TRUE(style.DrawParentBackground(screen, clear));
    BITMAP bm{};
    ASSERT_NE(style.GetParentBackground(), nullptr);
    GetObjectW(style.GetParentBackground(), sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, 30);
    EXPECT_EQ(bm.bmHeight, 20);
    ReleaseDC(nullptr, screen);
    DestroyWindow(parent);
    EXPECT_FALSE(style.DrawParentBackground(screen, clear));  // the parent is gone
}
