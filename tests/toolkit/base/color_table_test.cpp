// Tests of the colour table: index rules, derived colours after the contrast steps, scheme presets, gradients.
#include <gtest/gtest.h>

#include "toolkit/base/color_table.h"
#include "win32/gdi.h"
#include "win32/kernel/clock.h"

namespace {

COLORREF g_face = 0, g_shadow = 0;

COLORREF Provider(int index)
{
    switch (index) {
    case 15: return g_face;
    case 16: return g_shadow;
    default: return GetSysColor(index);
    }
}

// Rebuilds the process table from a given button face and shadow, and puts it back afterwards.
class ColorTableTest : public ::testing::Test {
protected:
    void Use(COLORREF face, COLORREF shadow)
    {
        g_face = face;
        g_shadow = shadow;
        GetColorTable().SetColorProvider(&Provider);
        GetColorTable().RefreshColors();
    }
    void TearDown() override
    {
        CTKPColorTable& t = GetColorTable();
        t.SetColorProvider(nullptr);
        t.SetForcedSystemTheme(4);
        t.SetSystemThemeDisabled(FALSE);
        for (UINT i = 0; i < TK_COLOR_COUNT; ++i)
            t.SetOverride(i, COLORREF(-1));
        t.RefreshColors();
    }
};

} // namespace

TEST_F(ColorTableTest, IndexRules) {
    CTKPColorTable& t = GetColorTable();
    EXPECT_EQ(t.GetColorByIndex(62), 62u);
    EXPECT_EQ(t.GetColorByIndex(0xFFFFFFFF), 0xFFFFFFFFu);
    EXPECT_EQ(t.GetColorByIndex(0x123456), 0x123456u);
    ASSERT_NE(GetSysColor(COLOR_SCROLLBAR), 0u);
    EXPECT_EQ(t.GetColorByIndex(0), 0u);
    EXPECT_EQ(t.GetColorByIndex(13), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(t.GetColorByIndex(28), 0u);
    EXPECT_EQ(t.GetColorByIndex(61), 0u);
    // An override wins and outlives a refresh; the Luna colours are only read through GetLunaColor.
    t.SetOverride(30, RGB(1, 2, 3));
    t.RefreshColors();
    EXPECT_EQ(t.GetColorByIndex(30), RGB(1, 2, 3));
    EXPECT_EQ(t.GetLunaColor(30), RGB(1, 2, 3));
    EXPECT_EQ(t.GetLunaColor(70), 70u);
}

TEST(ColorRules, BlendByPercentCountsThousandthsFromOneHundred) {
    EXPECT_EQ(BlendColorsByPercent(RGB(200, 0, 0), RGB(0, 0, 0), 100), RGB(20, 0, 0));
    EXPECT_EQ(BlendColorsByPercent(RGB(200, 0, 0), RGB(0, 0, 0), 99), RGB(198, 0, 0));
    EXPECT_EQ(BlendColorsByPercent(RGB(255, 255, 255), RGB(192, 192, 192), 165), RGB(202, 202, 202));
    EXPECT_EQ(BlendColorsByPercent(RGB(10, 20, 30), RGB(110, 120, 130), 0), RGB(110, 120, 130));
}

TEST(ColorRules, PushAndPullLandAtTheThreshold) {
    // A grey too close to its reference is pushed along its ray to 50 units (the reference is not dark).
    COLORREF pushed = PushColorToDistance(RGB(202, 202, 202), RGB(238, 238, 238), 50);
    EXPECT_EQ(pushed, RGB(231, 231, 231));
    EXPECT_NEAR(ColorDistance(RGB(202, 202, 202), pushed), 50.0, 1.5);
    // A colour whose ray passes farther from the reference than the threshold: the square root
    // would be of a negative number; the result is the foot of the perpendicular (black here).
    EXPECT_EQ(PushColorToDistance(RGB(255, 0, 0), RGB(0, 0, 255), 50), RGB(0, 0, 0));
    // Pulled to 70 units (twice 35 from a black reference) on the segment towards black.
    COLORREF pulled = PullColorToDistance(RGB(0, 0, 0), RGB(42, 42, 42), 35);
    EXPECT_EQ(pulled, RGB(40, 40, 40));
    EXPECT_TRUE(IsColorDistanceAbove(RGB(0, 0, 0), RGB(42, 42, 42), TRUE, 35));
    EXPECT_FALSE(IsColorDistanceAbove(RGB(0, 0, 0), RGB(42, 42, 42), FALSE, 73));
}

TEST_F(ColorTableTest, DerivedColoursFromASilverAndABlackFace) {
    CTKPColorTable& t = GetColorTable();
    Use(RGB(192, 192, 192), RGB(128, 128, 128));
    EXPECT_EQ(t.GetColorByIndex(30), RGB(202, 202, 202));  // within 35 of the face: kept after the blend
    EXPECT_EQ(t.GetColorByIndex(22), RGB(207, 207, 207));
    EXPECT_EQ(t.GetColorByIndex(53), t.GetColorByIndex(30));
    EXPECT_EQ(t.GetColorByIndex(48), RGB(227, 227, 227));  // 192 x 227 / 192
    EXPECT_EQ(t.GetColorByIndex(49), RGB(85, 85, 85));     // 128 x 85 / 128
    COLORREF c31 = t.GetColorByIndex(31);
    EXPECT_EQ(t.GetColorByIndex(34), RGB(GetRValue(c31) * 3 / 4, GetGValue(c31) * 3 / 4, GetBValue(c31) * 3 / 4));
    EXPECT_EQ(t.GetColorByIndex(60), t.GetStandard(40));
    // Every contrast row leaves its target far enough from its reference.
    const int rows[][3] = {{30, 31, 50}, {30, 32, 100}, {41, 44, 180}, {31, 45, 180}, {30, 46, 180}};
    for (auto& r : rows)
        EXPECT_GE(ColorDistance(t.GetColorByIndex(r[0]), t.GetColorByIndex(r[1])), r[2] - 2.0) << r[1];

    Use(RGB(0, 0, 0), RGB(128, 128, 128));
    EXPECT_EQ(t.GetColorByIndex(30), RGB(40, 40, 40));  // pulled back to 70 from the black face
    EXPECT_EQ(t.GetColorByIndex(48), 0x232323u);
    EXPECT_EQ(t.GetColorByIndex(49), 0x7F7F7Fu);
    EXPECT_EQ(t.GetColorByIndex(22), RGB(15, 15, 15));
}

TEST_F(ColorTableTest, SchemeKindsPickPresetsAndGradients) {
    CTKPColorTable& t = GetColorTable();
    EXPECT_EQ(t.GetDetectedSystemTheme(), 0);  // no visual styles in this layer
    EXPECT_EQ(GetCurrentSystemThemeKind(), 0);
    EXPECT_EQ(t.GetLunaColor(38), t.GetColorByIndex(38));
    COLORREF face = t.GetColorByIndex(15);
    EXPECT_EQ(t.m_gradients[2].Light(), face);
    EXPECT_EQ(t.m_gradients[2].Dark(), t.GetColorByIndex(16));
    EXPECT_EQ(t.m_gradients[3].Light(), BlendColorsByPercent(face, t.GetColorByIndex(5), 205));
    EXPECT_EQ(t.m_gradients[7].Light(), 0x8CD5FFu);
    EXPECT_EQ(t.m_gradients[9].Dark(), 0x97D4FFu);

    struct {
        int kind;
        COLORREF luna38, gradient0Light, index54;
        float gradient3Factor;
    } kinds[] = {
        {1, 0x764127, 0xD68759, 0x962D00, 0.75f},
        {2, 0x335E51, 0x82C0AF, 0x588060, 0.3f},
        {3, 0x755454, 0xBFA7A8, 0x947C7C, 0.75f},
    };
    for (auto& k : kinds) {
        t.SetForcedSystemTheme(k.kind);
        t.RefreshColors();
        EXPECT_EQ(GetCurrentSystemThemeKind(), k.kind);
        EXPECT_EQ(t.GetLunaColor(38), k.luna38) << k.kind;
        EXPECT_EQ(t.m_gradients[0].Light(), k.gradient0Light) << k.kind;
        EXPECT_EQ(t.GetColorByIndex(54), k.index54) << k.kind;
        EXPECT_FLOAT_EQ(t.m_gradients[3].m_fFactor, k.gradient3Factor);
    }
    // Ignoring the scheme takes kind 0 everywhere.
    t.SetSystemThemeDisabled(TRUE);
    t.RefreshColors();
    EXPECT_EQ(t.GetLunaColor(38), t.GetColorByIndex(38));
    EXPECT_EQ(t.m_gradients[0].Light(), t.GetColorByIndex(16));
}

namespace {
int g_refreshes = 0;
BOOL g_mainWindow = FALSE;
COLORREF CountingProvider(int index)
{
    g_refreshes += index == 1;
    return GetSysColor(index);
}
BOOL MainWindowExists() { return g_mainWindow; }
} // namespace

TEST_F(ColorTableTest, ThrottleRecordsOnlyOnceTheMainWindowExists) {
    dovemark::clock::UseVirtual(5000000);
    GetColorTable().SetColorProvider(&CountingProvider);
    SetMainWindowProbe(&MainWindowExists);
    struct Step {
        BOOL mainWindow;
        ULONGLONG advance;
        int refreshes;
    } steps[] = {
        {FALSE, 0, 1}, {FALSE, 100, 1},          // before the main window every call refreshes
        // then every call records its time, so only a call 501 ms after the previous one refreshes
        {TRUE, 100, 1}, {TRUE, 100, 0}, {TRUE, 400, 0}, {TRUE, 500, 0}, {TRUE, 501, 1},
    };
    for (auto& s : steps) {
        g_mainWindow = s.mainWindow;
        dovemark::clock::Advance(s.advance);
        g_refreshes = 0;
        RefreshColorTableThrottled();
        EXPECT_EQ(g_refreshes, s.refreshes) << "after " << s.advance << " ms";
    }
    SetMainWindowProbe(nullptr);
    dovemark::clock::UseReal();
}
