// Tests of the paint managers: button faces by state in every theme, popup entry geometry, fonts,
// glyphs, separators and the theme switch with its reference counting.
#include <gtest/gtest.h>

#include "platform/gdi/gdi_fixture.h"
#include "toolkit/base/command_bar_doubles.h"
#include "toolkit/base/themes.h"
#include "toolkit/commandbars/image_manager.h"

#include <cstdlib>
#include <memory>

namespace {

struct Released {
    void operator()(CTKPPaintManager* pm) const { pm->InternalRelease(); }
};
using Manager = std::unique_ptr<CTKPPaintManager, Released>;

Manager Make(int theme)
{
    Manager pm(CreatePaintManager(theme));
    pm->RefreshMetrics();
    return pm;
}

constexpr COLORREF kBackground = RGB(1, 2, 3);

// One face state; each theme names the colour indices it expects at the corners and the centre.
struct FaceState {
    const char* name;
    int selected, pressed;
    BOOL enabled, checked, popuped;
};

const FaceState kStates[] = {
    {"normal", 0, 0, TRUE, FALSE, FALSE},         {"hot", 1, 0, TRUE, FALSE, FALSE},
    {"pressed", 1, 1, TRUE, FALSE, FALSE},        {"checked", 0, 0, TRUE, TRUE, FALSE},
    {"checked hot", 1, 0, TRUE, TRUE, FALSE},     {"popped up", 0, 0, TRUE, FALSE, TRUE},
    {"disabled", 0, 0, FALSE, FALSE, FALSE},      {"disabled checked", 0, 0, FALSE, TRUE, FALSE},
    {"keyboard disabled", 2, 0, FALSE, FALSE, FALSE},
};

// Expected colours as indices: top-left corner, bottom-right corner, centre; -1 = untouched.
struct Expect {
    int topLeft, bottomRight, centre;
};

constexpr int kPattern = -2;  // the checked halftone of button face and highlight

const Expect kClassic[] = {
    {-1, -1, -1}, {20, 16, -1}, {16, 20, -1}, {16, 20, kPattern}, {16, 20, -1},
    {16, 20, -1}, {-1, -1, -1}, {16, 20, -1}, {16, 20, -1},
};
constexpr int kPoppedGradient = -3;  // the gradient themes fill a popped-up face with a gradient

const Expect kGradient[] = {
    {-1, -1, -1}, {32, 32, 31}, {50, 50, 33}, {50, 50, 36}, {37, 37, 33},
    {43, 43, kPoppedGradient}, {-1, -1, -1}, {58, 58, 36}, {32, 32, 31},
};
const Expect kFlat[] = {
    {-1, -1, -1}, {32, 32, 31}, {50, 50, 33}, {50, 50, 36}, {37, 37, 33},
    {43, 43, 30}, {-1, -1, -1}, {58, 58, 36}, {32, 32, 31},
};

struct ThemeCase {
    int theme;
    const Expect* expect;
};

class ButtonFaceTest : public ::testing::TestWithParam<ThemeCase> {};

COLORREF Expected(const CTKPPaintManager& pm, int index)
{
    return index == -1 ? kBackground : pm.GetColor(UINT(index));
}

} // namespace

TEST_P(ButtonFaceTest, CornersAndCentreOfEveryState) {
    Manager pm = Make(GetParam().theme);
    for (size_t i = 0; i < std::size(kStates); ++i) {
        const FaceState& s = kStates[i];
        const Expect& e = GetParam().expect[i];
        MemDC dc(23, 22, kBackground);
        RECT face{0, 0, 23, 22};
        COLORREF text = pm->DrawControlFace(dc.dc, face, s.selected, s.pressed, s.enabled, s.checked, s.popuped,
                                            TKP_BARPOS_TOP);
        EXPECT_EQ(dc.At(0, 0), Expected(*pm, e.topLeft)) << s.name;
        EXPECT_EQ(dc.At(22, 21), Expected(*pm, e.bottomRight)) << s.name;
        // The other two corners belong to the bottom-right side of a 3-D frame.
        EXPECT_EQ(dc.At(22, 0), Expected(*pm, e.bottomRight)) << s.name;
        if (e.centre == kPattern) {
            COLORREF c = dc.At(11, 11), right = dc.At(12, 11);
            EXPECT_NE(c, right) << s.name;
            for (COLORREF p : {c, right})
                EXPECT_TRUE(p == pm->GetColor(15) || p == pm->GetColor(20)) << s.name;
        } else if (e.centre == kPoppedGradient) {
            EXPECT_NE(dc.At(11, 1), dc.At(11, 20)) << s.name;
            EXPECT_NE(dc.At(11, 11), kBackground) << s.name;
        } else {
            EXPECT_EQ(dc.At(11, 11), Expected(*pm, e.centre)) << s.name;
        }
        if (!s.enabled) {
            EXPECT_EQ(text, pm->GetColor(pm->IsFlatStyle() ? 60 : 17)) << s.name;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Themes, ButtonFaceTest,
                         ::testing::Values(ThemeCase{TKP_THEME_CLASSIC, kClassic}, ThemeCase{TKP_THEME_NATIVE, kClassic},
                                           ThemeCase{TKP_THEME_FLAT, kFlat}, ThemeCase{TKP_THEME_GRADIENT, kGradient},
                                           ThemeCase{TKP_THEME_SOFTGRADIENT, kGradient}),
                         [](const auto& info) { return std::to_string(info.param.theme); });

TEST(ButtonFace, TextColoursFollowTheStateAndThePopupPosition) {
    Manager classic = Make(TKP_THEME_CLASSIC), native = Make(TKP_THEME_NATIVE), flat = Make(TKP_THEME_FLAT);
    MemDC dc(23, 22);
    RECT face{0, 0, 23, 22};
    EXPECT_EQ(classic->DrawControlFace(dc.dc, face, 0, 0, TRUE, FALSE, FALSE, TKP_BARPOS_POPUP), classic->GetColor(18));
    EXPECT_EQ(native->DrawControlFace(dc.dc, face, 0, 0, TRUE, FALSE, FALSE, TKP_BARPOS_POPUP), native->GetColor(7));
    struct {
        int selected, pressed;
        BOOL checked, popuped;
        int position, index;
    } flatText[] = {
        {0, 0, FALSE, TRUE, 0, 46},  {0, 0, TRUE, FALSE, 0, 45}, {0, 2, FALSE, FALSE, 0, 47}, {1, 1, FALSE, FALSE, 0, 47},
        {1, 0, TRUE, FALSE, 0, 47},  {1, 0, FALSE, FALSE, 0, 45}, {0, 1, FALSE, FALSE, 0, 45}, {0, 0, FALSE, FALSE, 5, 44},
        {0, 0, FALSE, FALSE, 0, 46},
    };
    for (auto& t : flatText)
        EXPECT_EQ(flat->DrawControlFace(dc.dc, face, t.selected, t.pressed, TRUE, t.checked, t.popuped, t.position),
                  flat->GetColor(UINT(t.index)))
            << t.index;
}

TEST(ButtonFace, GradientHighlightsUnderABlueSchemeOnlyOnToolBars) {
    CTKPColorTable& table = GetColorTable();
    table.SetForcedSystemTheme(1);
    table.RefreshColors();
    Manager gradient = Make(TKP_THEME_GRADIENT), soft = Make(TKP_THEME_SOFTGRADIENT);
    EXPECT_EQ(gradient->GetColor(32), 0x800000u);
    MemDC bar(23, 22, kBackground), popup(23, 22, kBackground), softBar(23, 22, kBackground);
    RECT face{0, 0, 23, 22};
    gradient->DrawRectangleByState(bar.dc, face, 1, 0, TRUE, FALSE, FALSE, TRUE, TKP_BARPOS_TOP);
    EXPECT_EQ(bar.At(0, 0), 0x800000u);
    // The hot gradient from 0xC8F2FF at the top to 0x97D4FF at the bottom, inside the frame.
    auto near = [](COLORREF a, COLORREF b) {
        return std::abs(GetRValue(a) - GetRValue(b)) <= 4 && std::abs(GetGValue(a) - GetGValue(b)) <= 4 &&
               std::abs(GetBValue(a) - GetBValue(b)) <= 4;
    };
    EXPECT_TRUE(near(bar.At(11, 1), 0xC8F2FF)) << std::hex << bar.At(11, 1);
    EXPECT_TRUE(near(bar.At(11, 20), 0x97D4FF)) << std::hex << bar.At(11, 20);
    // In a popup bar the same state uses the flat colours.
    gradient->DrawRectangleByState(popup.dc, face, 1, 0, TRUE, FALSE, FALSE, TRUE, TKP_BARPOS_POPUP);
    EXPECT_EQ(popup.At(11, 11), gradient->GetColor(31));
    // The soft theme never applies the highlights.
    soft->DrawRectangleByState(softBar.dc, face, 1, 0, TRUE, FALSE, FALSE, TRUE, TKP_BARPOS_TOP);
    EXPECT_EQ(softBar.At(11, 11), soft->GetColor(31));
    table.SetForcedSystemTheme(4);
    table.RefreshColors();
}

TEST(PopupEntry, ColumnAndHeightFromIconAndTextHeight) {
    FakeBar bar;
    bar.type = TKP_BARTYPE_POPUP;
    bar.position = TKP_BARPOS_POPUP;
    FakeControl entry;
    entry.bar = &bar;
    MemDC dc(200, 40);
    struct {
        int theme, textHeight;
        BOOL doubled;
        int width, height;
    } cases[] = {
        {TKP_THEME_CLASSIC, 18, FALSE, 20 + 40, 20},
        {TKP_THEME_CLASSIC, 24, FALSE, 24 + 40, 24},
        {TKP_THEME_CLASSIC, 18, TRUE, 40 + 40, 20},
        {TKP_THEME_FLAT, 16, FALSE, 20 + 40, 22},
        {TKP_THEME_GRADIENT, 30, TRUE, 40 + 40, 30},
    };
    for (auto& c : cases) {
        Manager pm = Make(c.theme);
        pm->SetTextHeight(c.textHeight);
        bar.doubleColumn = c.doubled;
        SIZE size = pm->DrawPopupBarControl(dc.dc, &entry, FALSE);
        EXPECT_EQ(size.cx, c.width) << c.theme << " " << c.textHeight;
        EXPECT_EQ(size.cy, c.height) << c.theme << " " << c.textHeight;
        EXPECT_EQ(pm->GetControlSize(dc.dc, &entry).cy, c.height);
    }
}

TEST(PopupEntry, SelectedCheckedEntryDrawsItsColumnAndGlyph) {
    FakeBar bar;
    bar.type = TKP_BARTYPE_POPUP;
    bar.position = TKP_BARPOS_POPUP;
    FakeControl entry;
    entry.bar = &bar;
    entry.rect = RECT{0, 0, 120, 20};
    entry.checked = TRUE;
    entry.selected = 1;
    Manager pm = Make(TKP_THEME_CLASSIC);
    pm->SetTextHeight(18);
    MemDC dc(120, 20, kBackground);
    pm->DrawPopupBarControl(dc.dc, &entry, TRUE);
    EXPECT_EQ(dc.At(60, 10), pm->GetColor(COLOR_HIGHLIGHT));  // the text area
    EXPECT_EQ(dc.At(0, 0), pm->GetColor(COLOR_BTNSHADOW));    // the checked column, sunken
    EXPECT_EQ(dc.At(20, 10), kBackground);                    // the pixel between column and text area
    EXPECT_GT(dc.Count(RECT{2, 2, 18, 18}, pm->GetColor(COLOR_HIGHLIGHTTEXT)), 6);  // the check mark

    FakeIcon icon;
    entry.icon = &icon;
    entry.checked = FALSE;
    entry.selected = 0;
    pm->DrawPopupBarControl(dc.dc, &entry, TRUE);
    ASSERT_EQ(icon.drawn.size(), 1u);
    EXPECT_EQ(icon.drawn[0].second.x, 2);  // centred in the 20-pixel column
    EXPECT_EQ(icon.drawn[0].second.y, 2);
}

TEST(Icons, StateChoosesTheImage) {
    Manager classic = Make(TKP_THEME_CLASSIC), native = Make(TKP_THEME_NATIVE), flat = Make(TKP_THEME_FLAT);
    using I = CTKPIconView;
    MemDC dc(20, 20);
    struct {
        CTKPPaintManager* pm;
        int selected, pressed;
        BOOL enabled, checked;
        I::Image image;
        int dx;
    } cases[] = {
        {classic.get(), 0, 0, TRUE, FALSE, I::Normal, 0}, {native.get(), 0, 0, TRUE, FALSE, I::Faded, 0},
        {classic.get(), 1, 1, TRUE, FALSE, I::Hot, 1},    {flat.get(), 1, 1, TRUE, FALSE, I::Hot, 0},
        {classic.get(), 1, 0, TRUE, FALSE, I::Hot, 0},    {classic.get(), 0, 0, TRUE, TRUE, I::Checked, 0},
    };
    for (auto& c : cases) {
        FakeIcon icon;
        c.pm->DrawControlIcon(dc.dc, &icon, POINT{4, 4}, SIZE{16, 16}, c.selected, c.pressed, c.enabled, c.checked,
                              FALSE);
        ASSERT_FALSE(icon.drawn.empty());
        EXPECT_EQ(icon.drawn.back().first, c.image);
        EXPECT_EQ(icon.drawn.back().second.x, 4 + c.dx);
    }
    // A disabled icon without alpha in the classic theme is embossed: highlight one pixel off, then shadow.
    FakeIcon icon;
    classic->DrawControlIcon(dc.dc, &icon, POINT{4, 4}, SIZE{16, 16}, 0, 0, FALSE, FALSE, FALSE);
    ASSERT_EQ(icon.silhouettes.size(), 2u);
    EXPECT_EQ(icon.silhouettes[0].first, classic->GetColor(20));
    EXPECT_EQ(icon.silhouettes[0].second.x, 5);
    EXPECT_EQ(icon.silhouettes[1].first, classic->GetColor(16));
}

TEST(Glyphs, BoldCheckIsTwoPixelsTaller) {
    Manager pm = Make(TKP_THEME_CLASSIC);
    auto inkRows = [&](BOOL bold) {
        pm->m_bBoldGlyph = bold;
        MemDC dc(20, 20, RGB(255, 255, 255));
        pm->DrawCheckGlyph(dc.dc, RECT{0, 0, 20, 20}, RGB(0, 0, 0));
        int first = -1, last = -1;
        for (int y = 0; y < 20; ++y)
            if (dc.Count(RECT{0, y, 20, y + 1}, RGB(0, 0, 0))) {
                if (first < 0)
                    first = y;
                last = y;
            }
        return last - first + 1;
    };
    EXPECT_EQ(inkRows(TRUE), inkRows(FALSE) + 1);
}

TEST(Fonts, MenuFontHeightsBelowElevenPixelsAreRaised) {
    struct {
        LONG in, out;
    } cases[] = {{-9, -11}, {-10, -11}, {-11, -11}, {-15, -15}, {9, 9}, {0, 0}};
    for (auto& c : cases) {
        LOGFONTW menu{};
        menu.lfHeight = c.in;
        menu.lfWeight = FW_NORMAL;
        LOGFONTW bar = MakeCommandBarLogFont(menu, GB2312_CHARSET);
        EXPECT_EQ(bar.lfHeight, c.out) << c.in;
        EXPECT_EQ(bar.lfCharSet, GB2312_CHARSET);
    }
    Manager pm = Make(TKP_THEME_CLASSIC);
    EXPECT_NE(pm->m_fontRegular, nullptr);
    EXPECT_GT(pm->GetTextHeight(), 6);
    EXPECT_EQ(pm->GetBarLogFont(TRUE).lfEscapement, 2700);
    EXPECT_EQ(pm->GetBarLogFont(FALSE, TRUE).lfWeight, FW_BOLD);
    FakeBar left;
    left.position = TKP_BARPOS_LEFT;
    EXPECT_EQ(pm->GetBarFont(&left), pm->m_fontVert);
}

TEST(GlobalTheme, IdsPickTheirThemeAndSwitchingReleasesTheOld) {
    struct {
        int id, themeId;
        BOOL flat;
    } cases[] = {{0, 0, FALSE}, {1, 1, TRUE}, {2, 2, TRUE}, {3, 3, FALSE}, {4, 4, TRUE}, {7, 0, FALSE}, {-1, 0, FALSE}};
    for (auto& c : cases) {
        SetGlobalTheme(c.id);
        ASSERT_NE(g_pGlobalPaintManager, nullptr);
        EXPECT_EQ(g_pGlobalPaintManager->GetThemeId(), c.themeId) << c.id;
        EXPECT_EQ(g_pGlobalPaintManager->m_nThemeId, c.id);
        EXPECT_EQ(g_pGlobalPaintManager->IsFlatStyle(), c.flat);
        EXPECT_EQ(g_pGlobalPaintManager->m_dwRef, 1);
    }
    // A holder of the old manager keeps it alive across the switch; the global reference is released.
    SetGlobalTheme(1);
    CTKPPaintManager* old = g_pGlobalPaintManager;
    old->InternalAddRef();
    SetGlobalTheme(2);
    EXPECT_EQ(old->m_dwRef, 1);
    EXPECT_EQ(old->GetThemeId(), TKP_THEME_FLAT);
    old->InternalRelease();
    DestroyGlobalPaintManager();
    EXPECT_EQ(g_pGlobalPaintManager, nullptr);
}

TEST(GlobalTheme, ANewManagerDropsTheImagesMadeForTheOldLook) {
    CTKPImageManager* images = GetGlobalImageManager();
    ASSERT_TRUE(images->SetIconsFromResource(9200));
    CTKPImageIcon* icon = images->GetImage(200, 16);
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(icon->GetFadedIcon().IsEmpty());
    EXPECT_FALSE(icon->GetDisabledIcon(TRUE).IsEmpty());
    ASSERT_NE(images->GetImage(200, 24), nullptr);
    SetGlobalTheme(TKP_THEME_FLAT);
    EXPECT_TRUE(icon->m_hFadedIcon.IsEmpty());
    EXPECT_TRUE(icon->m_hGeneratedDisabledIcon.IsEmpty());
    EXPECT_EQ(images->GetIconSet(200)->GetCount(), 1);
}

TEST(GlobalTheme, InstallingTheInstalledManagerAgainKeepsIt) {
    SetGlobalTheme(TKP_THEME_FLAT);
    CTKPPaintManager* pm = g_pGlobalPaintManager;
    SetCustomPaintManager(pm);
    ASSERT_EQ(g_pGlobalPaintManager, pm);
    EXPECT_EQ(pm->m_dwRef, 1);
    EXPECT_EQ(pm->GetThemeId(), TKP_THEME_FLAT);
    DestroyGlobalPaintManager();
}

TEST(GlobalTheme, InstallingRefreshesColoursAndMarksTheIdAsInstalling) {
    CTKPPaintManager* pm = CreatePaintManager(TKP_THEME_FLAT);
    EXPECT_EQ(pm->GetColor(15), COLORREF(-1));  // no colours before the refresh
    SetCustomPaintManager(pm);
    EXPECT_EQ(pm->m_nThemeId, 5);
    EXPECT_EQ(pm->GetColor(15), GetColorTable().GetColorByIndex(15));
    EXPECT_EQ(pm->m_clrText, GetColorTable().GetColorByIndex(18));
    EXPECT_EQ(pm->GetColor(99), 99u);
    DestroyGlobalPaintManager();
}

TEST(Separators, SizesAndLinePlacement) {
    FakeBar toolBar, popup;
    popup.type = TKP_BARTYPE_POPUP;
    popup.position = TKP_BARPOS_POPUP;
    popup.client = RECT{0, 0, 100, 60};
    struct {
        int theme;
        SIZE toolBar, popup;
    } sizes[] = {{0, {6, 6}, {8, 8}}, {1, {6, 6}, {3, 3}}, {2, {6, 6}, {3, 3}}};
    MemDC dc(100, 60, kBackground);
    for (auto& s : sizes) {
        Manager pm = Make(s.theme);
        SIZE a = pm->DrawGroupSeparator(dc.dc, &toolBar, nullptr, FALSE), b = pm->DrawGroupSeparator(dc.dc, &popup, nullptr, FALSE);
        EXPECT_EQ(a.cx, s.toolBar.cx);
        EXPECT_EQ(b.cy, s.popup.cy);
    }
    // Classic on a tool bar: an etched two-pixel line 4 pixels left of the control.
    Manager classic = Make(TKP_THEME_CLASSIC);
    FakeControl c;
    c.bar = &toolBar;
    c.rect = RECT{30, 2, 53, 24};
    c.row = RECT{0, 2, 100, 24};
    classic->DrawGroupSeparator(dc.dc, &toolBar, &c, TRUE);
    EXPECT_EQ(dc.At(26, 10), classic->GetColor(16));
    EXPECT_EQ(dc.At(27, 10), classic->GetColor(20));
    EXPECT_EQ(dc.At(28, 10), kBackground);
}

TEST(Strip, FlatLinesReachAtMostSixteenEachWay) {
    Manager pm = Make(TKP_THEME_FLAT);
    struct {
        int width, halfLength;
    } cases[] = {{20, 0}, {22, 0}, {30, 4}, {52, 15}, {80, 16}};
    for (auto& c : cases) {
        MemDC dc(c.width, 9, kBackground);
        EXPECT_EQ(pm->DrawStrip(dc.dc, RECT{0, 0, c.width, 9}, FALSE, TRUE).cy, 9);
        int n = dc.Count(RECT{0, 4, c.width, 5}, pm->GetColor(38));
        EXPECT_EQ(n, c.halfLength ? 2 * c.halfLength : 0) << c.width;
    }
}

TEST(Animation, FadeWithOneStepDrawsNoFrame) {
    Manager pm = Make(TKP_THEME_CLASSIC);
    pm->m_nAnimationSteps = 1;
    MemDC dest(10, 10, RGB(0, 0, 0)), source(10, 10, RGB(255, 255, 255));
    pm->AnimatePopup(dest.dc, source.dc, RECT{0, 0, 10, 10}, 4);
    EXPECT_EQ(dest.Count(RGB(0, 0, 0)), 100);
    pm->m_nAnimationSteps = 2;
    pm->m_nAnimationDuration = 0;
    pm->AnimatePopup(dest.dc, source.dc, RECT{0, 0, 10, 10}, 4);
    EXPECT_EQ(dest.At(5, 5), RGB(126, 126, 126));  // the one intermediate frame: alpha 127
    DWORD out[1], fresh[1] = {0x00FF8040}, old[1] = {0xFF000000};
    FadeBlendPixels(out, fresh, old, 1, 128);
    EXPECT_EQ(out[0], 0xFF7F4020u);  // the old pixel's alpha byte stays
}

TEST(GradientTheme, RefreshesKeepOneShadedImage) {
    Manager pm = Make(TKP_THEME_GRADIENT);
    auto* gradient = static_cast<CTKPGradientTheme*>(pm.get());
    for (int i = 0; i < 3; ++i)
        pm->RefreshMetrics();
    ASSERT_NE(gradient->GetShadedImageList(), nullptr);
    EXPECT_EQ(ImageList_GetImageCount(gradient->GetShadedImageList()), 1);
    MemDC dc(16, 16, kBackground);
    ImageList_Draw(gradient->GetShadedImageList(), 0, dc.dc, 0, 0, ILD_NORMAL);
    EXPECT_EQ(dc.At(0, 0), kBackground);  // outside the disc the mask leaves the background
    EXPECT_NE(dc.At(8, 8), kBackground);
}

TEST(Animation, ExpandEndsOnTheWholeImageWhicheverWayItGrows) {
    Manager pm = Make(TKP_THEME_CLASSIC);
    pm->m_nAnimationSteps = 3;
    pm->m_nAnimationDuration = 0;
    FakeBar popup;
    popup.type = TKP_BARTYPE_POPUP;
    popup.client = RECT{0, 0, 20, 30};
    FakeControl a, b, hidden, c;
    a.rect = RECT{0, 0, 20, 10};
    b.rect = RECT{0, 10, 20, 20};
    hidden.hidden = TRUE;
    c.rect = RECT{0, 20, 20, 30};
    struct Shown : FakeControl {
        BOOL IsHiddenEntryShown() const override { return TRUE; }
    } fresh;
    fresh.rect = b.rect;
    popup.controls = {&a, &fresh, &hidden, &c};
    MemDC source(20, 30);
    source.Fill(RECT{0, 0, 20, 10}, RGB(255, 0, 0));
    source.Fill(RECT{0, 10, 20, 20}, RGB(0, 255, 0));
    source.Fill(RECT{0, 20, 20, 30}, RGB(0, 0, 255));
    for (BOOL downward : {TRUE, FALSE}) {
        MemDC dest(20, 30, RGB(0, 0, 0));
        pm->AnimateExpand(&popup, dest.dc, source.dc, downward);
        EXPECT_EQ(dest.Count(RECT{0, 0, 20, 10}, RGB(255, 0, 0)), 200);
        EXPECT_EQ(dest.Count(RECT{0, 10, 20, 20}, RGB(0, 255, 0)), 200);
        EXPECT_EQ(dest.Count(RECT{0, 20, 20, 30}, RGB(0, 0, 255)), 200);
    }
}

TEST(SpecialControls, CloseButtonGlyphTurnsToHighlightWhenBothStateWordsAreZero) {
    Manager pm = Make(TKP_THEME_CLASSIC);
    FakeBar bar;
    struct Idle : FakeControl {
        DWORD GetGlyphStateWord(int) const override { return 0; }
    } idle;
    idle.bar = &bar;
    FakeControl busy;
    busy.bar = &bar;
    RECT rc{0, 0, 16, 14};
    MemDC a(16, 14, RGB(0, 0, 0)), b(16, 14, RGB(255, 255, 255));
    SetTextColor(a.dc, RGB(0, 0, 0));
    pm->DrawSpecialControl(a.dc, 2, &idle, &bar, TRUE, rc);
    EXPECT_GT(a.Count(pm->GetColor(20)), 4);  // the cross in the highlight colour
    SetTextColor(b.dc, RGB(0, 0, 128));
    pm->DrawSpecialControl(b.dc, 2, &busy, &bar, TRUE, rc);
    EXPECT_GT(b.Count(RGB(0, 0, 128)), 4);  // in the DC's text colour
    EXPECT_EQ(pm->DrawSpecialControl(b.dc, 1, &busy, &bar, FALSE, rc).cy, 12);
    EXPECT_EQ(pm->DrawSpecialControl(b.dc, 9, &busy, &bar, TRUE, rc).cy, 0);
}

TEST(ToolBarControls, SizesByTypeIconAndCaption) {
    Manager pm = Make(TKP_THEME_CLASSIC);
    MemDC dc(100, 40);
    SIZE file{};
    GetTextExtentPoint32W(dc.dc, u"File", 4, &file);
    FakeBar bar;
    FakeIcon icon;
    struct {
        int type;
        bool withIcon;
        const char16_t* caption;
        int below;
        LONG cx, cy;
    } cases[] = {
        {TKP_CONTROL_POPUP, false, u"&File", 0, file.cx + 6, file.cy + 6},
        {TKP_CONTROL_POPUP, true, u"", 0, 22 + 7, 22},
        {TKP_CONTROL_BUTTON, true, u"", 0, 23, 22},
        {TKP_CONTROL_SPLITBUTTONPOPUP, true, u"", 0, 23 + 11, 22},
        {TKP_CONTROL_CUSTOM, true, u"x", 0, 0, 0},
        {TKP_CONTROL_BUTTON, true, u"", 1, 16 + 10, 22},
        {TKP_CONTROL_SPLITBUTTONPOPUP, true, u"", 1, 16 + 10 + 11, 22},
    };
    for (auto& c : cases) {
        FakeControl control;
        control.bar = &bar;
        control.type = c.type;
        control.icon = c.withIcon ? &icon : nullptr;
        control.caption = c.caption;
        struct BelowBar : FakeBar {
            int below = 0;
            int GetShowTextBelowIcons() const override { return below; }
        } below;
        below.below = c.below;
        control.bar = &below;
        SIZE size = pm->GetControlSize(dc.dc, &control);
        EXPECT_EQ(size.cx, c.cx) << c.type << " below " << c.below;
        EXPECT_EQ(size.cy, c.cy) << c.type << " below " << c.below;
    }
}

TEST(FieldControls, LabelAndButtonWidthsAreCachedInTheControl) {
    Manager pm = Make(TKP_THEME_CLASSIC);
    MemDC dc(200, 40);
    struct Combo : FakeControl {
        int label = -1, button = -1;
        int GetFieldWidth() const override { return 100; }
        void SetCachedWidths(int l, int b) override { label = l, button = b; }
    };
    FakeBar toolBar, popup;
    popup.type = TKP_BARTYPE_POPUP;
    popup.position = TKP_BARPOS_POPUP;
    pm->SetTextHeight(18);
    Combo onToolBar, onPopup, captioned;
    onToolBar.type = onPopup.type = captioned.type = TKP_CONTROL_COMBOBOX;
    onToolBar.bar = captioned.bar = &toolBar;
    onPopup.bar = &popup;
    onToolBar.caption = onPopup.caption = captioned.caption = u"Find";
    captioned.style = TKP_STYLE_CAPTION;
    SIZE a = pm->GetControlSize(dc.dc, &onToolBar);
    pm->GetControlSize(dc.dc, &onPopup);
    pm->GetControlSize(dc.dc, &captioned);
    EXPECT_EQ(onToolBar.label, 0);  // a tool-bar field shows no label unless its style shows the caption
    EXPECT_EQ(a.cx, 100);
    EXPECT_GE(onToolBar.button, 15);
    EXPECT_EQ(onPopup.label - captioned.label, 20 + 9 - 5);  // popup: column width + 9, tool bar: + 5
}

TEST(CommandBars, FlatDockedBarsHaveRoundedCornersAndGradientBarsAShadowLine) {
    Manager flat = Make(TKP_THEME_FLAT), gradient = Make(TKP_THEME_GRADIENT);
    FakeBar bar;
    bar.client = RECT{0, 0, 60, 26};
    FakeControl button;
    button.rect = RECT{8, 2, 31, 24};
    bar.controls = {&button};
    MemDC a(60, 26, kBackground), b(60, 26, kBackground);
    flat->FillCommandBar(a.dc, &bar);
    EXPECT_EQ(a.At(0, 0), flat->GetColor(15));
    EXPECT_EQ(a.At(1, 1), flat->GetColor(15));  // the corner rounded off
    EXPECT_EQ(a.At(2, 2), flat->GetColor(30));
    EXPECT_EQ(a.At(58, 24), flat->GetColor(15));
    gradient->FillCommandBar(b.dc, &bar);
    EXPECT_EQ(b.At(30, 25), gradient->GetColor(30));  // the shadow line along the bottom
    EXPECT_EQ(b.At(2, 25), gradient->GetColor(15));   // not under the first 5 pixels
    EXPECT_NE(b.At(30, 1), b.At(30, 20));             // the face gradient runs down the bar
}

// The customise dialog's command list names a command without its mnemonic marker: "Op&en" draws as
// "Open" does, in every look.
TEST(CustomizeList, EntriesShowCaptionsWithoutTheMnemonicMarker) {
    for (int theme : {TKP_THEME_CLASSIC, TKP_THEME_FLAT, TKP_THEME_GRADIENT}) {
        SCOPED_TRACE(theme);
        Manager pm = Make(theme);
        FakeControl marked, plain;
        marked.caption = u"Op&en";
        plain.caption = u"Open";
        MemDC a(160, 24), b(160, 24);
        const RECT rc{0, 0, 160, 24};
        pm->DrawCustomizeListEntry(a.dc, &marked, rc, FALSE, TRUE, nullptr);
        pm->DrawCustomizeListEntry(b.dc, &plain, rc, FALSE, TRUE, nullptr);
        int differ = 0;
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 160; ++x)
                differ += a.Raw(x, y) != b.Raw(x, y);
        EXPECT_EQ(differ, 0);
    }
}
