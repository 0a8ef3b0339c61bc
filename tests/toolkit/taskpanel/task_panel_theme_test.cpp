// Tests of the task-panel paint themes: the theme ids, margin resolution, expand buttons, the themes'
// fallbacks without a visual style, glyph recolouring, the blended client area of a moving group, item
// measurement and a drawing of every theme.
#include "panel_fixture.h"

#include "toolkit/base/color_table.h"
#include "toolkit/taskpanel/task_panel_themes.h"

#include <cmath>
#include <memory>
#include <set>
#include <typeinfo>

using namespace tptest;

namespace {

// A 32-bit bitmap and a DC on it, filled with one colour.
class Canvas {
public:
    Canvas(int width, int height, COLORREF fill) : m_width(width), m_height(height)
    {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = -height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        m_bitmap = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &m_bits, nullptr, 0);
        m_dc.Attach(::CreateCompatibleDC(nullptr));
        m_old = ::SelectObject(m_dc.m_hDC, m_bitmap);
        const CRect all(0, 0, width, height);
        HBRUSH brush = ::CreateSolidBrush(fill);
        ::FillRect(m_dc.m_hDC, &all, brush);
        ::DeleteObject(brush);
    }
    ~Canvas()
    {
        ::SelectObject(m_dc.m_hDC, m_old);
        ::DeleteDC(m_dc.Detach());
        ::DeleteObject(m_bitmap);
    }
    CDC* DC() { return &m_dc; }
    COLORREF Pixel(int x, int y) const
    {
        const DWORD p = static_cast<const DWORD*>(m_bits)[size_t(y) * size_t(m_width) + size_t(x)];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    size_t Hash() const
    {
        size_t h = 1469598103934665603ull;
        const auto* p = static_cast<const DWORD*>(m_bits);
        for (size_t i = 0; i < size_t(m_width) * size_t(m_height); ++i)
            h = (h ^ (p[i] & 0xFFFFFF)) * 1099511628211ull;
        return h;
    }

private:
    int m_width, m_height;
    void* m_bits = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    CDC m_dc;
};

class TaskPanelThemeTest : public PanelTest {
protected:
    void TearDown() override
    {
        GetColorTable().SetForcedSystemTheme(4);
        GetColorTable().RefreshColors();
        PanelTest::TearDown();
    }
};

} // namespace

TEST_F(TaskPanelThemeTest, ThemeIdsMakeTheirThemesAndUnknownIdsTheExplorerOne)
{
    const std::type_info* expected[] = {
        &typeid(CTKPTaskPanelThemePainter),       &typeid(CTKPTaskPanelSchemeTheme),
        &typeid(CTKPTaskPanelExplorerTheme),      &typeid(CTKPTaskPanelPlainTheme),
        &typeid(CTKPTaskPanelPlainColorTheme),    &typeid(CTKPTaskPanelPlainSchemeTheme),
        &typeid(CTKPTaskPanelPlainExplorerTheme), &typeid(CTKPTaskPanelButtonTheme),
        &typeid(CTKPTaskPanelButtonSchemeTheme),  &typeid(CTKPTaskPanelBandTheme),
        &typeid(CTKPTaskPanelBandColorTheme),     &typeid(CTKPTaskPanelBandSchemeTheme),
        &typeid(CTKPTaskPanelBandCenteredTheme)};
    for (int id = 0; id <= 12; ++id) {
        std::unique_ptr<CTKPTaskPanelThemePainter> theme(CTKPTaskPanelThemePainter::CreateTheme(id));
        EXPECT_EQ(typeid(*theme), *expected[id]) << id;
    }
    for (int id : {13, -1, 100}) {
        std::unique_ptr<CTKPTaskPanelThemePainter> theme(CTKPTaskPanelThemePainter::CreateTheme(id));
        EXPECT_EQ(typeid(*theme), typeid(CTKPTaskPanelExplorerTheme)) << id;
        m_panel->SetTheme(id);
        EXPECT_EQ(m_panel->GetCurrentTheme(), 2);
    }
    CTKPTaskPanel fresh;
    EXPECT_EQ(fresh.GetCurrentTheme(), 2);
}

TEST_F(TaskPanelThemeTest, MarginSidesAtTheDefaultTakeTheThemesValue)
{
    m_panel->SetTheme(0);
    CTKPTaskPanelGroup* group = AddGroup(*m_panel, u"g");
    CTKPTaskPanelThemePainter* theme = m_panel->GetPaintManager();
    EXPECT_EQ(theme->GetGroupInnerMargins(group), CRect(11, 8, 11, 8));
    group->SetMarginsInner(RECT{TKP_DEFAULT_MARGIN, 0, 5, TKP_DEFAULT_MARGIN});
    EXPECT_EQ(theme->GetGroupInnerMargins(group), CRect(11, 0, 5, 8)) << "0 is a real zero";
    m_panel->SetMargins(RECT{1, TKP_DEFAULT_MARGIN, 3, TKP_DEFAULT_MARGIN});
    EXPECT_EQ(theme->GetControlMargins(m_panel), CRect(1, 12, 3, 12));
    EXPECT_EQ(theme->GetGroupSpacing(m_panel), 15);
    m_panel->SetGroupSpacing(0);
    EXPECT_EQ(theme->GetGroupSpacing(m_panel), 0);
    // Icon padding defaults differ for items and groups (theme 3 pads group images on the right).
    m_panel->SetTheme(3);
    theme = m_panel->GetPaintManager();
    CTKPTaskPanelGroupItem* item = AddItem(group, u"i");
    EXPECT_EQ(theme->GetItemIconPadding(group), CRect(0, 0, 3, 0));
    EXPECT_EQ(theme->GetItemIconPadding(item), CRect(0, 0, 0, 0));
}

TEST_F(TaskPanelThemeTest, AnExpandButtonNeedsACaptionOf26Pixels)
{
    CTKPTaskPanelGroup* group = AddGroup(*m_panel, u"g");
    const struct {
        int theme, width, expected;
    } cases[] = {{0, 25, 0}, {0, 26, 23}, {2, 26, 23}, {3, 26, 19}, {3, 25, 0}, {1, 200, 0}, {4, 200, 0}, {7, 26, 23}};
    for (const auto& c : cases) {
        m_panel->SetTheme(c.theme);
        EXPECT_EQ(m_panel->GetPaintManager()->GetExpandButtonWidth(group, CRect(0, 0, c.width, 20)), c.expected)
            << c.theme << " " << c.width;
    }
    group->SetExpandable(FALSE);
    m_panel->SetTheme(0);
    EXPECT_EQ(m_panel->GetPaintManager()->GetExpandButtonWidth(group, CRect(0, 0, 100, 20)), 0);
}

TEST_F(TaskPanelThemeTest, TheButtonThemesClassicHotFillLightensTheFace)
{
    const struct {
        COLORREF face, highlight, expected;
    } cases[] = {{RGB(212, 208, 200), RGB(255, 255, 255), RGB(233, 229, 221)},
                 {RGB(236, 233, 216), RGB(255, 255, 255), RGB(245, 242, 225)}};
    for (const auto& c : cases)
        EXPECT_EQ(CTKPTaskPanelButtonTheme::ClassicHotFill(c.face, c.highlight), c.expected);
}

TEST_F(TaskPanelThemeTest, ExplorerThemesWithoutAStyleKeepTheLookTheyDeriveFrom)
{
    ASSERT_EQ(CTKPTaskPanelThemePainter::SchemeKind(), 0) << "the layer has no visual style";
    // With the explorer look wanted, theme 2 takes it with the glyph icons of bitmaps 9197 and 9198.
    CTKPTaskPanelExplorerTheme explorer;
    explorer.RefreshMetrics();
    EXPECT_EQ(explorer.GetExpandButtonStyle(), TKP_EXPAND_BITMAPS);
    EXPECT_FALSE(explorer.HasExplorerBitmaps());
    EXPECT_NE(explorer.GetGlyphIcon(FALSE), nullptr);
    EXPECT_NE(explorer.GetGlyphIcon(TRUE), nullptr);
    EXPECT_EQ(explorer.GetColorStyle(), 2);

    const struct {
        int id, base;
    } cases[] = {{2, 0}, {6, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        std::unique_ptr<CTKPTaskPanelThemePainter> theme(CTKPTaskPanelThemePainter::CreateTheme(c.id));
        std::unique_ptr<CTKPTaskPanelThemePainter> base(CTKPTaskPanelThemePainter::CreateTheme(c.base));
        theme->m_bExplorerLookWithoutStyle = FALSE;
        theme->RefreshMetrics();
        base->RefreshMetrics();
        EXPECT_EQ(theme->GetExpandButtonStyle(), base->GetExpandButtonStyle());
        EXPECT_EQ(theme->GetColorStyle(), base->GetColorStyle());
        EXPECT_EQ(theme->GetBackground().Light(), base->GetBackground().Light());
        EXPECT_EQ(theme->m_groupNormal.caption.Dark(), base->m_groupNormal.caption.Dark());
        EXPECT_EQ(theme->m_groupSpecial.captionText.Effective(), base->m_groupSpecial.captionText.Effective());
        EXPECT_EQ(theme->GetHotFill().Effective(), base->GetHotFill().Effective());
        EXPECT_EQ(theme->m_bRoundLeftCorner, base->m_bRoundLeftCorner);
    }

    // A scheme in force: the blue values; the missing style library leaves the glyphs.
    GetColorTable().SetForcedSystemTheme(1);
    GetColorTable().RefreshColors();
    CTKPTaskPanelExplorerTheme blue;
    blue.RefreshMetrics();
    EXPECT_EQ(blue.GetBackground().Light(), RGB(123, 162, 231));
    EXPECT_EQ(blue.m_groupSpecial.caption.Light(), RGB(0, 73, 181));
    EXPECT_EQ(blue.GetHotFill().Effective(), RGB(255, 238, 194));
    EXPECT_FALSE(blue.HasExplorerBitmaps());
    EXPECT_NE(blue.GetGlyphIcon(TRUE), nullptr);
    GetColorTable().SetSystemThemeDisabled(TRUE);
    EXPECT_EQ(CTKPTaskPanelThemePainter::SchemeKind(), 0);
    GetColorTable().SetSystemThemeDisabled(FALSE);
}

TEST_F(TaskPanelThemeTest, GlyphsTakeTheTargetHueWithScaledLightness)
{
    const COLORREF transparent = RGB(255, 0, 255); // lightness 0.5
    const COLORREF target = RGB(41, 93, 206);
    // A pixel as light as the transparent one takes the target as it is; black stays black.
    const COLORREF same = CTKPTaskPanelThemePainter::RecolorGlyphPixel(RGB(128, 128, 128), transparent, target);
    EXPECT_NEAR(GetRValue(same), 41, 2);
    EXPECT_NEAR(GetGValue(same), 93, 2);
    EXPECT_NEAR(GetBValue(same), 206, 2);
    EXPECT_EQ(CTKPTaskPanelThemePainter::RecolorGlyphPixel(RGB(0, 0, 0), transparent, target), RGB(0, 0, 0));
    // White stays white under a target that is not lighter than 0.9, and is capped at white otherwise.
    EXPECT_EQ(CTKPTaskPanelThemePainter::RecolorGlyphPixel(RGB(255, 255, 255), transparent, target),
              RGB(255, 255, 255));
    EXPECT_EQ(CTKPTaskPanelThemePainter::RecolorGlyphPixel(RGB(255, 255, 255), transparent, RGB(250, 250, 250)),
              RGB(255, 255, 255));

    // The glyph's corner is transparent, its middle coloured.
    HICON glyph = CTKPTaskPanelThemePainter::MakeGlyphIcon(9198, target);
    ASSERT_NE(glyph, nullptr);
    Canvas canvas(19, 19, RGB(255, 0, 0));
    ::DrawIconEx(canvas.DC()->m_hDC, 0, 0, glyph, 19, 19, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(canvas.Pixel(0, 0), RGB(255, 0, 0));
    const COLORREF middle = canvas.Pixel(9, 9);
    EXPECT_NE(middle, RGB(255, 0, 0));
    EXPECT_GT(GetBValue(middle), GetRValue(middle)) << "the target's blue hue";
    ::DestroyIcon(glyph);
    EXPECT_EQ(CTKPTaskPanelThemePainter::MakeGlyphIcon(1, target), nullptr);
}

TEST_F(TaskPanelThemeTest, AGroupHalfwayClosedIsBlendedAtHalfAlpha)
{
    m_panel->SetTheme(0);
    CTKPTaskPanelGroup* group = AddGroup(*m_panel, u"g");
    CTKPTaskPanelGroupItem* item = AddItem(group, u"", 0, TKP_TASKITEM_TEXT);
    const CRect inner = m_panel->GetPaintManager()->GetGroupInnerMargins(group);
    item->SetSize(CSize(40, 100 - inner.top - inner.bottom));
    Settle();
    ASSERT_EQ(group->GetClientHeight(), 100);
    m_panel->ExpandGroup(group, FALSE);
    for (int tick = 0; tick < 5; ++tick) {
        headless::AdvanceClock(30);
        headless::PumpUntilIdle();
    }
    ASSERT_TRUE(group->IsExpansionPending());
    const CRect client = group->GetClientRect();
    ASSERT_EQ(client.Height(), 50) << "ten pixels a tick";

    const COLORREF background = GetColorTable().GetColorByIndex(COLOR_WINDOW);
    ASSERT_EQ(background, RGB(255, 255, 255));
    {
        Canvas canvas(300, 600, RGB(255, 0, 0));
        m_panel->GetPaintManager()->DrawGroupClientFace(canvas.DC(), group);
        const COLORREF blended = canvas.Pixel(client.right - 5, client.top + 3);
        EXPECT_EQ(GetRValue(blended), 255);
        EXPECT_NEAR(GetGValue(blended), 127, 1);
        EXPECT_NEAR(GetBValue(blended), 127, 1);
    }
    Settle();
    m_panel->ExpandGroup(group, TRUE);
    Settle();
    ASSERT_FALSE(group->IsExpansionPending());
    Canvas canvas(300, 600, RGB(255, 0, 0));
    m_panel->GetPaintManager()->DrawGroupClientFace(canvas.DC(), group);
    EXPECT_EQ(canvas.Pixel(group->GetClientRect().right - 5, group->GetClientRect().top + 3), background)
        << "a group at rest is copied";
}

TEST_F(TaskPanelThemeTest, TheIconAboveLayoutKeepsRoomForALinksImage)
{
    m_panel->SetTheme(0);
    m_panel->SetItemLayout(TKP_TPLAYOUT_TEXT_BELOW);
    CTKPTaskPanelGroup* group = AddGroup(*m_panel, u"g");
    CTKPTaskPanelGroupItem* link = AddItem(group, u"Link", 1);
    CTKPTaskPanelGroupItem* text = AddItem(group, u"Link", 0, TKP_TASKITEM_TEXT);
    Settle();
    CClientDC dc(m_panel);
    CTKPTaskPanelThemePainter* theme = m_panel->GetPaintManager();
    const CRect offered(10, 0, 190, 0);
    const CRect linkRect = theme->DrawGroupItem(&dc, link, offered, FALSE);
    const CRect textRect = theme->DrawGroupItem(&dc, text, offered, FALSE);
    EXPECT_EQ(linkRect.Height() - textRect.Height(), group->GetIconSize().cy + 3);
    EXPECT_EQ(linkRect.Width(), textRect.Width()) << "without an image the width is the text's";
    EXPECT_EQ((linkRect.left + linkRect.right) / 2, (offered.left + offered.right) / 2) << "centred";

    // Under the whole-item hot-track style the item spans the offered width.
    m_panel->SetHotTrackStyle(TKP_TPHOT_ITEM);
    EXPECT_EQ(theme->DrawGroupItem(&dc, link, offered, FALSE).Width(), offered.Width());
}

TEST_F(TaskPanelThemeTest, TheSchemeButtonThemeDrawsAPlusOrAMinusBox)
{
    m_panel->SetTheme(8);
    CTKPTaskPanelGroup* group = AddGroup(*m_panel, u"g");
    Settle();
    auto* theme = dynamic_cast<CTKPTaskPanelButtonSchemeTheme*>(m_panel->GetPaintManager());
    ASSERT_NE(theme, nullptr);
    const CRect rc(20, 10, 200, 34);
    const int mid = (rc.top + rc.bottom) / 2;
    for (BOOL expanded : {TRUE, FALSE}) {
        group->SetExpanded(expanded);
        Canvas canvas(220, 60, RGB(255, 0, 0));
        const CRect content = theme->DrawCaptionFace(canvas.DC(), group, rc);
        EXPECT_EQ(content, CRect(rc.left + 19, rc.top, rc.right, rc.bottom - 2));
        const CRect box(rc.left + 6, mid - 6, rc.left + 15, mid + 3);
        EXPECT_EQ(canvas.Pixel(box.left + 2, box.top + 4), RGB(0, 0, 0)) << "the minus";
        EXPECT_EQ(canvas.Pixel(box.left + 4, box.top + 2) == RGB(0, 0, 0), !expanded) << "the plus stroke";
    }
}

TEST_F(TaskPanelThemeTest, EveryThemeDrawsTheSamplePanelItsOwnWay)
{
    for (int g = 0; g < 3; ++g) {
        CTKPTaskPanelGroup* group = AddGroup(*m_panel, g == 1 ? u"Special tasks" : u"File and folder tasks");
        group->SetSpecial(g == 1);
        AddItem(group, u"Make a new folder", 1);
        AddItem(group, u"Publish this folder", 2);
        AddItem(group, u"Details", 0, TKP_TASKITEM_TEXT)->SetEnabled(g != 2);
    }
    Settle();
    m_panel->SetFocusedItem(m_panel->GetAt(0)->GetItemAt(1), TRUE);
    m_panel->SetHotItem(m_panel->GetAt(0)->GetItemAt(0));
    std::set<size_t> seen;
    for (int id = 0; id <= 12; ++id) {
        SCOPED_TRACE(id);
        m_panel->SetTheme(id);
        Settle();
        Canvas canvas(220, 500, RGB(1, 2, 3));
        m_panel->SendMessage(WM_PRINT, WPARAM(canvas.DC()->m_hDC), PRF_CLIENT);
        EXPECT_NE(canvas.Pixel(110, 5), RGB(1, 2, 3)) << "the background is painted";
        EXPECT_TRUE(seen.insert(canvas.Hash()).second) << "a look of its own";
    }
}
