// Tests of popup shadows: where the strips go, the layered strip's pixels, and strips that go with
// their popup however it ends.
#include <gtest/gtest.h>

#include "../base/test_windows.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/commandbars/popup_shadows.h"

namespace {

class PopupShadows : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetGlobalTheme(TKP_THEME_CLASSIC);
        GetGlobalPaintManager()->m_bPopupShadow = TRUE;
    }
    void TearDown() override { GetGlobalPaintManager()->m_bPopupShadow = FALSE; }

    CTKPPopupBar* OpenPopup()
    {
        CTKPPopupBar* bar = CTKPPopupBar::CreatePopupBar(nullptr);
        bar->GetControls()->Add(TKP_CONTROL_BUTTON, 200);
        bar->GetControls()->Add(TKP_CONTROL_BUTTON, 201);
        EXPECT_TRUE(bar->PopupAt(100, 100));
        return bar;
    }
};

} // namespace

TEST(PopupShadowStrips, RectanglesAndLayeredAlphaSteps) {
    const RECT bar{100, 50, 200, 150};
    const struct { BOOL horizontal; int thickness; RECT expected; } strips[] = {
        {TRUE, 2, {102, 150, 202, 152}}, {FALSE, 2, {200, 52, 202, 150}}, {TRUE, 4, {104, 150, 204, 154}}};
    for (const auto& s : strips) {
        const RECT rc = CTKPPopupShadows::StripRect(bar, s.horizontal, s.thickness);
        EXPECT_TRUE(EqualRect(&rc, &s.expected)) << s.horizontal << " " << s.thickness;
    }
    // Across the thickness the alpha falls 120, 90, 60, 30 (half with the theme's own shadow);
    // along the strip it fades in by 0.05 a pixel from each end.
    const COLORREF grey = RGB(128, 128, 128);
    const std::vector<DWORD> plain = CTKPPopupShadows::MakeLayeredPixels(60, TRUE, grey, FALSE);
    const std::vector<DWORD> theme = CTKPPopupShadows::MakeLayeredPixels(60, TRUE, grey, TRUE);
    ASSERT_EQ(plain.size(), 60u * 4u);
    const struct { int x, y; DWORD plainAlpha, themeAlpha; } alphas[] = {
        {30, 0, 120, 60}, {30, 1, 90, 45}, {30, 2, 60, 30}, {30, 3, 30, 15}, {0, 0, 6, 3}, {59, 0, 6, 3}, {4, 0, 30, 15}};
    for (const auto& a : alphas) {
        SCOPED_TRACE(testing::Message() << a.x << "," << a.y);
        const DWORD p = plain[size_t(a.y) * 60 + size_t(a.x)];
        EXPECT_EQ(p >> 24, a.plainAlpha);
        EXPECT_EQ(theme[size_t(a.y) * 60 + size_t(a.x)] >> 24, a.themeAlpha);
        EXPECT_LE((p >> 16) & 0xFF, p >> 24); // pre-multiplied
    }
    const std::vector<DWORD> right = CTKPPopupShadows::MakeLayeredPixels(60, FALSE, grey, FALSE);
    EXPECT_EQ(right[30 * 4 + 0] >> 24, 120u);
    EXPECT_EQ(right[30 * 4 + 3] >> 24, 30u);
    EXPECT_TRUE(CTKPPopupShadows::MakeLayeredPixels(0, TRUE, grey, FALSE).empty());
}

TEST_F(PopupShadows, SolidStripsFollowThePopupAndGoWithIt) {
    CTKPPopupShadows& shadows = CTKPPopupShadows::Get();
    ASSERT_FALSE(shadows.IsLayered()); // the layer has no UpdateLayeredWindow
    CTKPPopupBar* bar = OpenPopup();
    std::vector<HWND> strips = shadows.GetShadowWindows(bar);
    ASSERT_EQ(strips.size(), 2u);
    RECT popup, strip;
    GetWindowRect(bar->m_hWnd, &popup);
    for (size_t i = 0; i < 2; ++i) {
        const RECT expected = CTKPPopupShadows::StripRect(popup, i == 0, 2);
        GetWindowRect(strips[i], &strip);
        EXPECT_TRUE(EqualRect(&strip, &expected)) << i;
        EXPECT_TRUE(IsWindowVisible(strips[i]));
        EXPECT_TRUE(GetWindowLongPtrW(strips[i], GWL_EXSTYLE) & WS_EX_TOPMOST);
    }
    // Hiding the popup hides its strips.
    ShowWindow(bar->m_hWnd, SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(strips[0]));

    // Each way a popup ends takes its strips: the end of tracking, its window destroyed under it,
    // and the bar released while its window still shows.
    bar->SetTrackingMode(0);
    EXPECT_TRUE(shadows.GetShadowWindows(bar).empty());
    EXPECT_FALSE(IsWindow(strips[0]));
    EXPECT_FALSE(IsWindow(strips[1]));
    bar->InternalRelease();

    bar = OpenPopup();
    strips = shadows.GetShadowWindows(bar);
    ASSERT_EQ(strips.size(), 2u);
    DestroyWindow(bar->m_hWnd);
    EXPECT_TRUE(shadows.GetShadowWindows(bar).empty());
    EXPECT_FALSE(IsWindow(strips[0]));
    bar->SetTrackingMode(0);
    bar->InternalRelease();

    bar = OpenPopup();
    strips = shadows.GetShadowWindows(bar);
    ASSERT_EQ(strips.size(), 2u);
    CTKPPopupBar* gone = bar;
    bar->InternalRelease();
    EXPECT_TRUE(shadows.GetShadowWindows(gone).empty());
    EXPECT_FALSE(IsWindow(strips[1]));
}

TEST_F(PopupShadows, NoSolidShadowWithoutTheThemesOwnOrForAPopupWithoutIt) {
    GetGlobalPaintManager()->m_bPopupShadow = FALSE;
    CTKPPopupBar* bar = OpenPopup();
    EXPECT_TRUE(CTKPPopupShadows::Get().GetShadowWindows(bar).empty());
    bar->SetTrackingMode(0);
    GetGlobalPaintManager()->m_bPopupShadow = TRUE;
    bar->m_bShowShadow = FALSE;
    EXPECT_TRUE(bar->PopupAt(100, 100));
    EXPECT_TRUE(CTKPPopupShadows::Get().GetShadowWindows(bar).empty());
    bar->SetTrackingMode(0);
    bar->InternalRelease();
}

TEST_F(PopupShadows, ASubmenuBesideItsParentCutsTheParentsShadowAndJoinsIt) {
    CTKPPopupShadows& shadows = CTKPPopupShadows::Get();
    CTKPPopupBar* parent = OpenPopup();
    RECT outer;
    GetWindowRect(parent->m_hWnd, &outer);
    CTKPPopupBar* sub = CTKPPopupBar::CreatePopupBar(nullptr);
    // One command, so the submenu ends above its parent's bottom; it overlaps its parent by a pixel,
    // as submenus do.
    sub->GetControls()->Add(TKP_CONTROL_BUTTON, 300);
    ASSERT_TRUE(sub->PopupAt(outer.right - 1, outer.top + 5));
    RECT inner;
    GetWindowRect(sub->m_hWnd, &inner);
    ASSERT_LT(inner.bottom, outer.bottom);

    // The parent's right strip lets the submenu through where it covers it, and keeps the rest.
    const HWND parentRight = shadows.GetShadowWindows(parent)[1];
    RECT strip;
    GetWindowRect(parentRight, &strip);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(parentRight, region), ERROR);
    EXPECT_FALSE(PtInRegion(region, 0, (inner.top + inner.bottom) / 2 - strip.top));
    EXPECT_TRUE(PtInRegion(region, 0, inner.bottom + 2 - strip.top));
    DeleteObject(region);
    // The submenu's bottom strip starts where the parent's right strip ends: the corner is shaded once.
    RECT bottom;
    GetWindowRect(shadows.GetShadowWindows(sub)[0], &bottom);
    EXPECT_EQ(bottom.left, strip.right);
    EXPECT_EQ(bottom.top, inner.bottom);
    const RECT joined = CTKPPopupShadows::JoinStrip(RECT{5, 50, 60, 52}, TRUE, RECT{0, 0, 7, 100});
    EXPECT_EQ(joined.left, 7);

    // Destroying the submenu's window under its strips, then the parent, leaves nothing behind.
    DestroyWindow(sub->m_hWnd);
    EXPECT_TRUE(shadows.GetShadowWindows(sub).empty());
    sub->SetTrackingMode(0);
    sub->InternalRelease();
    parent->SetTrackingMode(0);
    parent->InternalRelease();
    EXPECT_TRUE(shadows.GetShadowWindows(parent).empty());
}
