// Tab shapes and colour schemes drawn into memory: faces, overlaps, scheme colours and fallbacks.
#include <gtest/gtest.h>

#include "tab_test_strip.h"
#include "toolkit/base/color_table.h"

#include <vector>

namespace {

using tabtest::Strip;

COLORREF C(int index)
{
    return GetColorTable().GetColorByIndex(UINT(index));
}

using tabtest::Canvas;

// Three uncaptioned tabs 60 pixels long in a 240 x 240 control, the middle one selected, each
// filled with its own colour so faces can be told apart.
class TabDrawTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        GetColorTable().SetForcedSystemTheme(4);
        GetColorTable().RefreshColors();
    }
    void Build(int style, int scheme, int position)
    {
        painter.SetTabShapeStyle(style);
        painter.SetTabColorScheme(scheme);
        painter.SetLayout(TKP_TABLAYOUT_FIXED);
        painter.SetPosition(position);
        strip.m_szTab = CSize(60, 18);
        if (strip.GetItemCount() == 0)
            for (int i = 0; i < 3; ++i)
                strip.InsertItem(-1);
        strip.SetCurSel(1);
        strip.Reposition();
    }
    void Draw(Canvas& canvas) { painter.DrawTabControl(&canvas, &strip, strip.rc); }

    CTKPTabPainter painter;
    Strip strip{&painter, CRect(0, 0, 240, 240)};
};

TEST_F(TabDrawTest, EveryStyleFillsItsTabsWithTheirColoursAndDrawsTheSelectedOnTop) {
    painter.m_bColorByItem = TRUE;
    // Styles 1, 4 and 5 fill only the selected tab; the others fill every tab.
    const bool fillsAll[10] = {true, false, true, true, false, false, true, true, true, true};
    for (int style = 0; style <= 9; ++style) {
        for (int position = 0; position < 4; ++position) {
            SCOPED_TRACE(::testing::Message() << "style " << style << " position " << position);
            Build(style, TKP_TABCOLOR_DEFAULT, position);
            Canvas canvas(240, 240);
            Draw(canvas);
            for (int i = 0; i < 3; ++i) {
                CTKPTabManagerItem* item = strip.GetItem(i);
                const CPoint centre = item->GetRect().CenterPoint();
                const bool filled = i == 1 || fillsAll[style];
                EXPECT_EQ(canvas.GetPixel(centre) == item->GetColor(), filled) << "tab " << i;
            }
        }
    }
    // Styles 3 and 9 slant under their left neighbour: the selected tab covers it near the client.
    for (int style : {3, 9}) {
        SCOPED_TRACE(style);
        Build(style, TKP_TABCOLOR_DEFAULT, TKP_TABPOS_TOP);
        Canvas canvas(240, 240);
        Draw(canvas);
        const CRect selected = strip.GetItem(1)->GetRect();
        EXPECT_EQ(canvas.GetPixel(selected.left - 2, selected.bottom - 3), strip.GetItem(1)->GetColor());
    }
}

TEST_F(TabDrawTest, BevelledTabsFollowTheirEdgesAndJoinTheClient) {
    Build(0, TKP_TABCOLOR_DEFAULT, TKP_TABPOS_TOP);
    Canvas canvas(240, 240);
    Draw(canvas);
    const CRect tab = strip.GetItem(1)->GetRect();
    // The selected tab grew by 2 to the left, top and right.
    EXPECT_EQ(canvas.GetPixel(tab.left - 2, tab.top + 4), C(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(canvas.GetPixel(tab.left, tab.top - 2), C(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(canvas.GetPixel(tab.right + 1, tab.top + 4), C(COLOR_3DDKSHADOW));
    EXPECT_EQ(canvas.GetPixel(tab.right, tab.top + 4), C(COLOR_BTNSHADOW));
    // Its bottom row carries the face colour into the client; an unselected tab's does not.
    EXPECT_EQ(canvas.GetPixel(tab.CenterPoint().x, tab.bottom - 1), C(COLOR_BTNFACE));
    const CRect other = strip.GetItem(0)->GetRect();
    EXPECT_EQ(canvas.GetPixel(other.left, other.top + 4), C(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(canvas.GetPixel(other.CenterPoint().x, strip.m_rcClient.top), C(COLOR_BTNHIGHLIGHT));
}

TEST_F(TabDrawTest, StackedBarsCarryAGripper) {
    Build(8, TKP_TABCOLOR_DEFAULT, TKP_TABPOS_TOP);
    Canvas canvas(240, 240);
    Draw(canvas);
    const CRect bar = strip.GetItem(0)->GetRect();
    EXPECT_EQ(canvas.GetPixel(bar.right - 6, bar.top + 4), C(38));
    EXPECT_NE(canvas.GetPixel(bar.right - 6, bar.top + 5), C(38));
    EXPECT_EQ(canvas.GetPixel(bar.left, bar.top + 5), C(COLOR_BTNHIGHLIGHT));
}

TEST_F(TabDrawTest, OverridesWinAndMinusOneFallsBack) {
    Build(6, TKP_TABCOLOR_DEFAULT, TKP_TABPOS_TOP);
    TabColorScheme* scheme = painter.GetColorScheme();
    const CPoint other = strip.GetItem(0)->GetRect().CenterPoint();
    scheme->m_clrNormal.SetOverride(RGB(1, 2, 3));
    {
        Canvas canvas(240, 240);
        Draw(canvas);
        EXPECT_EQ(canvas.GetPixel(other), RGB(1, 2, 3));
    }
    scheme->m_clrNormal.SetOverride(COLORREF(-1));
    Canvas canvas(240, 240);
    Draw(canvas);
    EXPECT_EQ(canvas.GetPixel(other), C(COLOR_BTNFACE));
}

TEST_F(TabDrawTest, TheDefaultSchemeDithersTheSelectedFace) {
    Build(4, TKP_TABCOLOR_DEFAULT, TKP_TABPOS_TOP);
    Canvas canvas(240, 240);
    Draw(canvas);
    const CPoint p = strip.GetItem(1)->GetRect().CenterPoint();
    const COLORREF a = canvas.GetPixel(p), b = canvas.GetPixel(p.x + 1, p.y), c = canvas.GetPixel(p.x + 1, p.y + 1);
    EXPECT_NE(a, b);
    EXPECT_EQ(a, c);
    EXPECT_TRUE((a == C(COLOR_BTNFACE) && b == C(COLOR_BTNHIGHLIGHT)) ||
                (a == C(COLOR_BTNHIGHLIGHT) && b == C(COLOR_BTNFACE)));
}

TEST_F(TabDrawTest, TheNativeSchemeWithoutAThemeDrawsAsTheDefault) {
    for (int style : {0, 3}) {
        SCOPED_TRACE(style);
        Build(style, TKP_TABCOLOR_DEFAULT, TKP_TABPOS_TOP);
        Canvas plain(240, 240);
        Draw(plain);
        Build(style, TKP_TABCOLOR_NATIVE, TKP_TABPOS_TOP);
        EXPECT_FALSE(painter.GetColorScheme()->IsThemed());
        Canvas native(240, 240);
        Draw(native);
        EXPECT_EQ(plain.Pixels(), native.Pixels());
    }
}

TEST_F(TabDrawTest, GradientSchemesUseTheStyleColoursOnlyWithThemeColours) {
    const struct {
        int scheme;
        int kind;
        BOOL off;
        COLORREF headerTop, normal;
    } cases[] = {
        {TKP_TABCOLOR_GRADIENT, 1, FALSE, RGB(196, 218, 250), RGB(162, 192, 246)},
        {TKP_TABCOLOR_GRADIENT, 2, FALSE, RGB(242, 241, 228), RGB(208, 222, 170)},
        {TKP_TABCOLOR_GRADIENT, 3, FALSE, RGB(243, 243, 247), RGB(217, 217, 230)},
        {TKP_TABCOLOR_GRADIENT, 1, TRUE, COLORREF(-1), COLORREF(-1)},
        {TKP_TABCOLOR_LIGHTGRADIENT, 1, FALSE, RGB(196, 218, 250), RGB(162, 192, 246)},
        {TKP_TABCOLOR_LIGHTGRADIENT, 1, TRUE, RGB(228, 226, 213), COLORREF(-1)},
        {TKP_TABCOLOR_LIGHTGRADIENT, 3, TRUE, RGB(238, 238, 238), RGB(245, 245, 248)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "scheme " << c.scheme << " kind " << c.kind << " off " << c.off);
        GetColorTable().SetForcedSystemTheme(c.kind);
        GetColorTable().RefreshColors();
        painter.m_bThemeColorsOff = c.off;
        Build(3, c.scheme, TKP_TABPOS_TOP);
        TabColorScheme* scheme = painter.GetColorScheme();
        const COLORREF headerTop = c.headerTop == COLORREF(-1) ? C(COLOR_BTNFACE) : c.headerTop;
        const COLORREF normal = c.normal == COLORREF(-1) ? C(COLOR_BTNFACE) : c.normal;
        EXPECT_EQ(scheme->m_clrHeader.Light(), headerTop);
        EXPECT_EQ(COLORREF(scheme->m_clrNormal), normal);
        Canvas canvas(240, 240);
        Draw(canvas);
        EXPECT_EQ(canvas.GetPixel(strip.m_rcHeader.right - 1, 0), headerTop);
    }
    painter.m_bThemeColorsOff = FALSE;
    GetColorTable().SetForcedSystemTheme(4);
    GetColorTable().RefreshColors();
}

TEST_F(TabDrawTest, GradientTabsRunFromATintToTheirColourTowardsTheClient) {
    for (int position : {TKP_TABPOS_TOP, TKP_TABPOS_BOTTOM}) {
        SCOPED_TRACE(position);
        Build(6, TKP_TABCOLOR_GRADIENT, position);
        Canvas canvas(240, 240);
        Draw(canvas);
        const CRect tab = strip.GetItem(0)->GetRect();
        const COLORREF colour = painter.GetColorScheme()->m_clrNormal;
        const COLORREF tint = BlendColorsByPercent(colour, RGB(255, 255, 255), 300);
        // Inside the one-pixel frame.
        const int outer = position == TKP_TABPOS_TOP ? tab.top + 1 : tab.bottom - 2;
        const int inner = position == TKP_TABPOS_TOP ? tab.bottom - 2 : tab.top + 1;
        const COLORREF atOuter = canvas.GetPixel(tab.CenterPoint().x, outer);
        const COLORREF atInner = canvas.GetPixel(tab.CenterPoint().x, inner);
        EXPECT_NEAR(GetRValue(atOuter), GetRValue(tint), 12);
        EXPECT_NEAR(GetRValue(atInner), GetRValue(colour), 12);
        EXPECT_GT(GetRValue(atOuter), GetRValue(atInner));
    }
}

TEST_F(TabDrawTest, NavigationButtonsTakeTheSchemeFramesAndGlyphs) {
    painter.SetTabShapeStyle(0);
    strip.rc = CRect(0, 0, 120, 120);
    Build(0, TKP_TABCOLOR_GRADIENT, TKP_TABPOS_TOP);
    strip.SetCurSel(0);
    strip.SetScrollOffset(0);
    CTKPTabScrollButton* forward = strip.GetNavigateButton(TKP_TABNAV_FORWARD);
    ASSERT_TRUE(forward->IsShown());
    const CRect rc = forward->m_rcButton;
    forward->m_bHot = TRUE;
    {
        Canvas canvas(240, 240);
        Draw(canvas);
        EXPECT_EQ(canvas.GetPixel(rc.left, rc.top), C(31));
        EXPECT_EQ(canvas.GetPixel(rc.left + 1, rc.top + 1), C(32));
        // The forward triangle, filled in the hot glyph colour.
        EXPECT_EQ(canvas.GetPixel(rc.CenterPoint().x - 1, rc.CenterPoint().y - 1), C(45));
    }
    // The default scheme pushes a pressed glyph by one pixel.
    forward->m_bHot = FALSE;
    painter.SetTabColorScheme(TKP_TABCOLOR_DEFAULT);
    Canvas up(240, 240), down(240, 240);
    Draw(up);
    forward->m_bPressed = TRUE;
    Draw(down);
    const CPoint tip(rc.CenterPoint().x - 2, rc.CenterPoint().y - 5);
    EXPECT_EQ(up.GetPixel(tip), C(COLOR_BTNTEXT));
    EXPECT_EQ(down.GetPixel(tip.x + 1, tip.y + 1), C(COLOR_BTNTEXT));
    EXPECT_EQ(down.GetPixel(rc.left, rc.top), C(COLOR_BTNSHADOW));
    // A disabled button's glyph is hollow.
    forward->m_bPressed = FALSE;
    CTKPTabScrollButton* back = strip.GetNavigateButton(TKP_TABNAV_BACK);
    ASSERT_FALSE(back->m_bEnabled);
    const CPoint inside(back->m_rcButton.CenterPoint().x + 1, back->m_rcButton.CenterPoint().y - 1);
    EXPECT_NE(up.GetPixel(inside), C(COLOR_BTNTEXT));
}

} // namespace
