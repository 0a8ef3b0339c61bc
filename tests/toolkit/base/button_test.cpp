// Tests of the toolkit button: its looks by theme and state, text and image placement, hot
// tracking, clicks and check states through the headless driver.
#include <gtest/gtest.h>

#include "backend/headless/driver.h"
#include "controls/paint_probe.h"
#include "toolkit/base/button.h"
#include "toolkit/base/color_table.h"
#include "toolkit/commandbars/image_manager.h"
#include "test_windows.h"

#include <climits>
#include <cstdlib>
#include <vector>

namespace {

const int kWidth = 80, kHeight = 24;

COLORREF C(int index)
{
    return GetColorTable().GetColorByIndex(UINT(index));
}

bool Near(COLORREF a, COLORREF b, int tolerance)
{
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

// The smallest rectangle holding every pixel of the colour; empty when there is none.
CRect BoxOf(const PaintProbe& probe, COLORREF color, int width, int height)
{
    CRect box(INT_MAX, INT_MAX, INT_MIN, INT_MIN);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (probe.At(x, y) == color) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    return box.left == INT_MAX ? CRect(0, 0, 0, 0) : box;
}

// A square icon of one colour.
HICON SolidIcon(COLORREF color, int size = 16)
{
    std::vector<DWORD> pixels(size_t(size * size), (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color));
    std::vector<WORD> mask(size_t(size * ((size + 15) / 16)), 0);
    ICONINFO info{TRUE, 0, 0, CreateBitmap(size, size, 1, 1, mask.data()), CreateBitmap(size, size, 1, 32, pixels.data())};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    return icon;
}

class Parent : public CWnd {
public:
    std::vector<UINT> clicks;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        if (HIWORD(wParam) == BN_CLICKED)
            clicks.push_back(LOWORD(wParam));
        return CWnd::OnCommand(wParam, lParam);
    }
};

class CountingButton : public CTKButton {
public:
    int draws = 0;
    int downs = 0;
    void DrawItem(LPDRAWITEMSTRUCT dis) override
    {
        ++draws;
        CTKButton::DrawItem(dis);
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_LBUTTONDOWN)
            ++downs;
        return CTKButton::WindowProc(message, wParam, lParam);
    }
};

class ToolkitButtonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        headless::UseVirtualClock();
        tktest::RegisterPlainWindowClass(u"TkButtonParent");
        ASSERT_TRUE(parent.CreateEx(0, u"TkButtonParent", u"p", WS_POPUP | WS_VISIBLE, 0, 0, 400, 200, nullptr, nullptr));
    }
    void TearDown() override { parent.DestroyWindow(); }

    void Make(CTKButton& button, LPCWSTR text, DWORD style = BS_PUSHBUTTON, CRect rc = CRect(10, 10, 10 + kWidth, 10 + kHeight),
              UINT id = 7)
    {
        ASSERT_TRUE(button.Create(text, WS_CHILD | WS_VISIBLE | style, rc, &parent, id));
    }
    // Draws the button as its owner would for the state, into a fresh probe.
    void Draw(CTKButton& button, PaintProbe& probe, UINT state, int width = kWidth, int height = kHeight)
    {
        DRAWITEMSTRUCT dis{ODT_BUTTON, 7, 0, ODA_DRAWENTIRE, state, button.m_hWnd, probe.dc(), {0, 0, width, height}, 0};
        button.DrawItem(&dis);
    }

    Parent parent;
};

// ---- Backgrounds and frames ---------------------------------------------------------------------
enum Look { Style, Theme1Standard };

struct PixelAt {
    int x, y, index;
};

struct BackgroundCase {
    const char* name;
    Look look;
    DWORD xstyle;
    bool hot, checked;
    UINT state;
    std::vector<PixelAt> pixels;
};

const int R = kWidth - 1, B = kHeight - 1, MX = kWidth / 2, MY = kHeight / 2;

TEST_F(ToolkitButtonTest, BackgroundsFollowThemeAndState) {
    const BackgroundCase cases[] = {
        {"3d normal", Style, 0, false, false, 0, {{0, 0, 20}, {R, B, 21}, {1, 1, 15}, {R - 1, B - 1, 16}, {MX, MY, 15}}},
        {"3d pressed", Style, 0, false, false, ODS_SELECTED, {{0, 0, 21}, {R, B, 20}, {1, 1, 16}, {R - 1, B - 1, 15}}},
        {"3d checked", Style, 0, false, true, 0, {{0, 0, 21}, {R, B, 20}, {1, 1, 16}}},
        {"visual style absent", Style, TKBS_VISUALSTYLE, true, false, 0, {{0, 0, 20}, {R, B, 21}, {1, 1, 15}}},
        {"flat normal", Style, TKBS_FLAT, false, false, 0, {{0, 0, 15}, {R, B, 15}, {MX, MY, 15}}},
        {"flat hot", Style, TKBS_FLAT, true, false, 0, {{0, 0, 20}, {R, B, 16}, {1, 1, 15}}},
        {"flat pressed", Style, TKBS_FLAT, true, false, ODS_SELECTED, {{0, 0, 16}, {R, B, 20}}},
        {"semi-flat normal", Style, TKBS_SEMIFLAT, false, false, 0, {{0, 0, 20}, {R, B, 16}, {1, 1, 15}}},
        {"semi-flat checked", Style, TKBS_SEMIFLAT, false, true, 0, {{0, 0, 16}, {R, B, 20}}},
        {"theme 1 normal", Style, TKBS_THEME1, false, false, 0, {{0, 0, 15}, {MX, MY, 15}}},
        {"theme 1 hot", Style, TKBS_THEME1, true, false, 0, {{0, 0, 32}, {R, B, 32}, {MX, MY, 31}}},
        {"theme 1 pressed", Style, TKBS_THEME1, false, false, ODS_SELECTED, {{0, 0, 32}, {MX, MY, 33}}},
        {"theme 1 checked", Style, TKBS_THEME1, false, true, 0, {{0, 0, 32}, {MX, MY, 36}}},
        {"theme 1 hot and checked", Style, TKBS_THEME1, true, true, 0, {{MX, MY, 33}}},
        {"theme 1 disabled", Style, TKBS_THEME1, false, false, ODS_DISABLED, {{0, 0, 15}, {MX, MY, 15}}},
        {"theme 1 standard face", Theme1Standard, 0, false, false, 0, {{0, 0, 16}, {R, B, 16}, {MX, MY, 30}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CTKButton button;
        Make(button, u"");
        if (c.look == Theme1Standard)
            button.SetTheme(new CTKFlatButtonTheme(TRUE));
        else
            button.SetXButtonStyle(c.xstyle);
        button.m_bHot = c.hot;
        button.m_bChecked = c.checked ? BST_CHECKED : 0;
        PaintProbe probe(kWidth, kHeight);
        Draw(button, probe, c.state);
        for (const auto& p : c.pixels)
            EXPECT_EQ(probe.At(p.x, p.y), C(p.index)) << "at " << p.x << "," << p.y << " index " << p.index;
    }
}

TEST_F(ToolkitButtonTest, HalftoneFillsAPushedButtonWithAChecker) {
    CTKButton button;
    Make(button, u"");
    button.SetXButtonStyle(TKBS_HALFTONE);
    for (UINT state : {0u, UINT(ODS_SELECTED)}) {
        PaintProbe probe(kWidth, kHeight);
        Draw(button, probe, state);
        if (state) {
            EXPECT_NE(probe.At(10, 10), probe.At(11, 10));
            EXPECT_EQ(probe.At(10, 10), probe.At(11, 11));
            EXPECT_TRUE((probe.At(10, 10) == C(15) && probe.At(11, 10) == C(20)) ||
                        (probe.At(10, 10) == C(20) && probe.At(11, 10) == C(15)));
        } else {
            EXPECT_EQ(probe.At(10, 10), C(15));
            EXPECT_EQ(probe.At(11, 10), C(15));
        }
    }
}

TEST_F(ToolkitButtonTest, GradientThemeFillsWithTheTablesGradients) {
    CTKPColorTable& table = GetColorTable();
    const struct {
        const char* name;
        bool hot, checked;
        UINT state;
        int gradient;
    } cases[] = {
        {"hot", true, false, 0, 9},
        {"pressed", false, false, ODS_SELECTED, 8},
        {"checked", false, true, 0, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CTKButton button;
        Make(button, u"");
        button.SetTheme(static_cast<CTKButtonTheme*>(CTKButtonThemeFactory().CreateTheme(2)));
        button.m_bHot = c.hot;
        button.m_bChecked = c.checked;
        PaintProbe probe(kWidth, kHeight);
        Draw(button, probe, c.state);
        EXPECT_EQ(probe.At(0, 0), C(32));
        EXPECT_TRUE(Near(probe.At(MX, 1), table.m_gradients[c.gradient].Light(), 12));
        EXPECT_TRUE(Near(probe.At(MX, B - 1), table.m_gradients[c.gradient].Dark(), 12));
    }
}

TEST_F(ToolkitButtonTest, GradientThemeTakesTheLunaSchemesColours) {
    CTKPColorTable& table = GetColorTable();
    const struct {
        int kind;
        COLORREF border, face;
    } cases[] = {
        {1, RGB(0, 0, 128), RGB(169, 199, 240)},
        {2, RGB(63, 93, 56), RGB(197, 212, 159)},
        {3, RGB(75, 75, 11), RGB(192, 192, 211)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        table.SetForcedSystemTheme(c.kind);
        table.RefreshColors();
        CTKButton button;
        Make(button, u"Go");
        button.SetTheme(new CTKGradientButtonTheme(TRUE));
        PaintProbe normal(kWidth, kHeight);
        Draw(button, normal, 0);
        EXPECT_EQ(normal.At(MX, 1), c.face);
        button.m_bHot = TRUE;
        PaintProbe hot(kWidth, kHeight);
        Draw(button, hot, 0);
        EXPECT_EQ(hot.At(0, 0), c.border);
        EXPECT_FALSE(BoxOf(hot, RGB(0, 0, 0), kWidth, kHeight).IsRectEmpty());
    }
    table.SetForcedSystemTheme(4);
    table.RefreshColors();
}

TEST_F(ToolkitButtonTest, FocusRectangleOnlyWithItsStyleBit) {
    for (DWORD xstyle : {DWORD(0), DWORD(TKBS_FOCUSRECT)}) {
        SCOPED_TRACE(xstyle);
        CTKButton button;
        Make(button, u"");
        button.SetXButtonStyle(xstyle);
        PaintProbe probe(kWidth, kHeight);
        Draw(button, probe, ODS_FOCUS);
        bool marked = false;
        for (int x = 2; x < kWidth - 2; ++x)
            marked = marked || probe.At(x, 2) != C(15);
        EXPECT_EQ(marked, xstyle != 0);
        EXPECT_EQ(probe.At(MX, MY), C(15));
    }
}

// ---- Text ---------------------------------------------------------------------------------------
TEST_F(ToolkitButtonTest, TextFollowsTheAlignmentMeasuredWithoutMnemonics) {
    const struct {
        const char* name;
        LPCWSTR text;
        DWORD align;
    } cases[] = {
        {"left", u"OK", BS_LEFT},   {"left, mnemonic", u"&OK", BS_LEFT},     {"right", u"OK", BS_RIGHT},
        {"right, mnemonic", u"&OK", BS_RIGHT}, {"centre", u"OK", 0}, {"centre, mnemonic", u"&OK", 0},
    };
    int plainRight[3] = {};
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(c.name);
        CTKButton button;
        Make(button, c.text, BS_PUSHBUTTON | c.align);
        PaintProbe probe(kWidth, kHeight);
        Draw(button, probe, 0);
        const CRect text = BoxOf(probe, C(18), kWidth, kHeight);
        ASSERT_FALSE(text.IsRectEmpty());
        if (c.align == BS_LEFT) {
            EXPECT_GE(text.left, 4 + 8);
            EXPECT_LE(text.left, 4 + 8 + 2);
        } else if (c.align == BS_RIGHT) {
            EXPECT_LE(text.right, kWidth - 2 - 4);
            EXPECT_GE(text.right, kWidth - 2 - 4 - 3);
        } else {
            EXPECT_LE(std::abs((text.left + text.right) / 2 - kWidth / 2), 3);
        }
        // The "&" takes no room: the text ends where the same text without it ends.
        if (i % 2 == 0)
            plainRight[i / 2] = text.right;
        else
            EXPECT_EQ(text.right, plainRight[i / 2]);
    }
}

TEST_F(ToolkitButtonTest, TextColourAndOffsetByThemeAndState) {
    const struct {
        const char* name;
        DWORD xstyle;
        bool gradient, hot;
        UINT state;
        int index;
        int offset;
    } cases[] = {
        {"default", TKBS_FLAT, false, false, 0, 18, 0},
        {"default pressed", TKBS_FLAT, false, false, ODS_SELECTED, 18, 1},
        {"default disabled", TKBS_FLAT, false, false, ODS_DISABLED, 17, 0},
        {"theme 1", TKBS_THEME1, false, false, 0, 46, 0},
        {"theme 1 hot", TKBS_THEME1, false, true, 0, 45, 0},
        {"theme 1 pressed", TKBS_THEME1, false, false, ODS_SELECTED, 47, 1},
        {"theme 1 disabled", TKBS_THEME1, false, false, ODS_DISABLED, 17, 0},
        {"theme 2 pressed", 0, true, false, ODS_SELECTED, 47, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CTKButton button;
        Make(button, u"Save");
        button.SetXButtonStyle(c.xstyle);
        if (c.gradient)
            button.SetTheme(new CTKGradientButtonTheme);
        PaintProbe rest(kWidth, kHeight);
        Draw(button, rest, 0);
        const CRect atRest = BoxOf(rest, C(c.gradient || c.xstyle == TKBS_THEME1 ? 46 : 18), kWidth, kHeight);
        button.m_bHot = c.hot;
        PaintProbe probe(kWidth, kHeight);
        Draw(button, probe, c.state);
        const CRect text = BoxOf(probe, C(c.index), kWidth, kHeight);
        ASSERT_FALSE(text.IsRectEmpty());
        ASSERT_FALSE(atRest.IsRectEmpty());
        EXPECT_EQ(text.left - atRest.left, c.offset);
        EXPECT_EQ(text.top - atRest.top, c.offset);
    }
}

// ---- Images -------------------------------------------------------------------------------------
const COLORREF kRed = RGB(200, 0, 0), kBlue = RGB(0, 0, 200);

TEST_F(ToolkitButtonTest, ImageOfEachStateByTheme) {
    enum Expect { Normal, Hot, Grey, Faded };
    const struct {
        const char* name;
        int theme;
        DWORD xstyle;
        bool hot;
        UINT state;
        int x, y;
        Expect expect;
    } cases[] = {
        {"default normal", 0, TKBS_FLAT, false, 0, 4, 4, Normal},
        {"default hot", 0, TKBS_FLAT, true, 0, 4, 4, Hot},
        {"default pressed moves by one", 0, TKBS_FLAT, false, ODS_SELECTED, 5, 5, Hot},
        {"default disabled", 0, TKBS_FLAT, false, ODS_DISABLED, 4, 4, Grey},
        {"theme 1 normal is faded", 1, 0, false, 0, 4, 4, Faded},
        {"theme 1 hot is lifted", 1, 0, true, 0, 3, 3, Hot},
        {"theme 1 pressed", 1, 0, false, ODS_SELECTED, 4, 4, Hot},
        {"theme 1 disabled", 1, 0, false, ODS_DISABLED, 4, 4, Grey},
        {"theme 2 normal", 2, 0, false, 0, 4, 4, Normal},
        {"theme 2 hot", 2, 0, true, 0, 4, 4, Normal},
        {"theme 2 pressed", 2, 0, false, ODS_SELECTED, 4, 4, Hot},
    };
    HICON red = SolidIcon(kRed), blue = SolidIcon(kBlue);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CTKButton button;
        Make(button, u"");
        button.SetXButtonStyle(c.xstyle);
        if (c.theme)
            button.SetTheme(static_cast<CTKButtonTheme*>(CTKButtonThemeFactory().CreateTheme(c.theme)));
        ASSERT_TRUE(button.SetIcon(CSize(0, 0), red, blue));
        EXPECT_EQ(button.m_sizeImage, CSize(16, 16));
        button.m_bHot = c.hot;
        PaintProbe probe(kWidth, kHeight);
        Draw(button, probe, c.state);
        const COLORREF at = probe.At(c.x, c.y);
        const COLORREF last = probe.At(c.x + 15, c.y + 15);
        switch (c.expect) {
        case Normal: EXPECT_EQ(at, kRed); EXPECT_EQ(last, kRed); break;
        case Hot: EXPECT_EQ(at, kBlue); EXPECT_EQ(last, kBlue); break;
        case Grey:
            EXPECT_EQ(GetRValue(at), GetGValue(at));
            EXPECT_EQ(GetGValue(at), GetBValue(at));
            EXPECT_NE(at, C(15));
            break;
        case Faded:
            EXPECT_GT(GetRValue(at), GetRValue(kRed));
            EXPECT_GT(GetGValue(at), 0);
            break;
        }
        // Nothing of the image lies before its corner.
        EXPECT_NE(probe.At(c.x - 1, c.y + 8), c.expect == Hot ? kBlue : kRed);
    }
    DestroyIcon(red);
    DestroyIcon(blue);
}

TEST_F(ToolkitButtonTest, ShadowedHotIconCastsItsShadowDownRight) {
    HICON red = SolidIcon(kRed);
    CTKButton button;
    Make(button, u"");
    button.SetXButtonStyle(TKBS_THEME1);
    button.SetIcon(CSize(16, 16), red, nullptr);
    button.m_bHot = TRUE;
    PaintProbe probe(kWidth, kHeight);
    Draw(button, probe, 0);
    EXPECT_EQ(probe.At(3, 3), kRed);          // the hot image, lifted
    EXPECT_EQ(probe.At(18, 18), kRed);
    EXPECT_NE(probe.At(20, 20), C(31));       // the shadow's last pixel
    EXPECT_NE(probe.At(20, 20), kRed);
    EXPECT_EQ(probe.At(21, 21), C(31));
    DestroyIcon(red);
}

TEST_F(ToolkitButtonTest, ImageBesideOrAboveTheText) {
    HICON red = SolidIcon(kRed);
    const int width = 120, height = 48;
    {
        SCOPED_TRACE("beside");
        CTKButton button;
        Make(button, u"Save", BS_PUSHBUTTON, CRect(0, 0, width, height));
        button.SetIcon(CSize(0, 0), red, nullptr);
        PaintProbe probe(width, height);
        Draw(button, probe, 0, width, height);
        const CRect image = BoxOf(probe, kRed, width, height), text = BoxOf(probe, C(18), width, height);
        EXPECT_EQ(image, CRect(4, 16, 20, 32));
        EXPECT_GT(text.left, image.right);
        EXPECT_LT(text.top, image.bottom);
        EXPECT_GT(text.bottom, image.top);
    }
    {
        SCOPED_TRACE("above");
        CTKButton button;
        Make(button, u"Save", BS_PUSHBUTTON, CRect(0, 0, width, height));
        button.SetXButtonStyle(TKBS_IMAGEABOVE);
        button.SetIcon(CSize(0, 0), red, nullptr);
        PaintProbe probe(width, height);
        Draw(button, probe, 0, width, height);
        const CRect image = BoxOf(probe, kRed, width, height), text = BoxOf(probe, C(18), width, height);
        EXPECT_EQ(image.left, (width - 16) / 2);
        EXPECT_LE(std::abs((text.left + text.right) / 2 - width / 2), 3);
        EXPECT_GE(text.top, image.bottom + 4);
    }
    for (DWORD align : {DWORD(0), DWORD(BS_CENTER | BS_VCENTER)}) {
        SCOPED_TRACE(align ? "alone, centred" : "alone");
        CTKButton button;
        Make(button, u"", BS_PUSHBUTTON | align, CRect(0, 0, width, height));
        button.SetIcon(CSize(0, 0), red, nullptr);
        PaintProbe probe(width, height);
        Draw(button, probe, 0, width, height);
        EXPECT_EQ(BoxOf(probe, kRed, width, height), align ? CRect(52, 16, 68, 32) : CRect(4, 16, 20, 32));
    }
    {
        SCOPED_TRACE("placed by the caller");
        CTKButton button;
        Make(button, u"Save", BS_PUSHBUTTON, CRect(0, 0, width, height));
        button.SetIcon(CSize(0, 0), red, nullptr);
        button.SetTextImagePos(CPoint(60, 2), CPoint(2, 30));
        PaintProbe probe(width, height);
        Draw(button, probe, 0, width, height);
        EXPECT_EQ(BoxOf(probe, kRed, width, height), CRect(60, 2, 76, 18));
        EXPECT_GE(BoxOf(probe, C(18), width, height).top, 30);
    }
    DestroyIcon(red);
}

TEST_F(ToolkitButtonTest, ImagesFromResources) {
    CTKButton button;
    Make(button, u"");
    EXPECT_FALSE(button.SetBitmap(CSize(0, 0), 4242));
    EXPECT_FALSE(button.SetIcon(CSize(16, 16), 4243u, 0u));
    EXPECT_EQ(button.GetImage(), nullptr);

    // The caption's strip of images: drawn without the magenta it lies on.
    ASSERT_TRUE(button.SetBitmap(CSize(0, 0), 9002));
    EXPECT_EQ(button.m_sizeImage, CSize(48, 15));
    PaintProbe probe(kWidth, kHeight);
    Draw(button, probe, 0);
    const CRect image(4, (kHeight - 15) / 2, 4 + 48, (kHeight - 15) / 2 + 15);
    EXPECT_FALSE(probe.Has(image, RGB(255, 0, 255)));
    EXPECT_EQ(probe.At(image.left, image.top), C(15));
    bool drawn = false;
    for (int x = image.left; x < image.right; ++x)
        drawn = drawn || probe.At(x, image.top + 7) != C(15);
    EXPECT_TRUE(drawn);
}

// ---- Input through the driver -----------------------------------------------------------------
TEST_F(ToolkitButtonTest, HotTrackingLightsTheButtonAndRedrawsOnceWhenLeft) {
    const struct {
        const char* name;
        DWORD xstyle;
        bool tracks;
    } cases[] = {{"3d", 0, false}, {"flat", TKBS_FLAT, true}, {"semi-flat", TKBS_SEMIFLAT, true},
                 {"theme 1", TKBS_THEME1, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CountingButton button;
        Make(button, u"");
        button.SetXButtonStyle(c.xstyle);
        headless::PumpUntilIdle();
        headless::MouseMove(button.m_hWnd, {5, 5});
        headless::PumpUntilIdle();
        headless::AdvanceClock(10);
        headless::PumpUntilIdle();
        EXPECT_EQ(bool(button.IsHot()), c.tracks);
        if (c.xstyle == TKBS_FLAT) {
            PaintProbe probe(kWidth, kHeight);
            probe.Print(button.m_hWnd);
            EXPECT_EQ(probe.At(0, 0), C(20));
        }
        button.draws = 0;
        headless::MouseMove(parent.m_hWnd, {300, 150});
        headless::PumpUntilIdle();
        headless::AdvanceClock(10);
        headless::PumpUntilIdle();
        EXPECT_FALSE(button.IsHot());
        EXPECT_EQ(button.draws, c.tracks ? 1 : 0);
        headless::AdvanceClock(100);
        headless::PumpUntilIdle();
        EXPECT_EQ(button.draws, c.tracks ? 1 : 0);
    }
}

TEST_F(ToolkitButtonTest, ClicksPushTheButtonAndADoubleClickCountsTwice) {
    CountingButton button;
    Make(button, u"Go");
    button.SetXButtonStyle(0);
    headless::ButtonDown(button.m_hWnd, {5, 5});
    headless::PumpUntilIdle();
    EXPECT_TRUE(button.IsPushed());
    PaintProbe pushed(kWidth, kHeight);
    pushed.Print(button.m_hWnd);
    EXPECT_EQ(pushed.At(0, 0), C(21));
    headless::ButtonUp(button.m_hWnd, {5, 5});
    headless::PumpUntilIdle();
    EXPECT_FALSE(button.IsPushed());
    EXPECT_EQ(parent.clicks, std::vector<UINT>{7});

    parent.clicks.clear();
    button.downs = 0;
    headless::AdvanceClock(1000);
    headless::DoubleClick(button.m_hWnd, {6, 6});
    headless::PumpUntilIdle();
    EXPECT_EQ(button.downs, 2);
    EXPECT_EQ(parent.clicks, (std::vector<UINT>{7, 7}));
    EXPECT_FALSE(button.IsPushed());
}

TEST_F(ToolkitButtonTest, PushLikeCheckBoxesAndRadiosKeepTheirState) {
    CTKButton check, first, second, plain;
    Make(check, u"Bold", BS_AUTOCHECKBOX | BS_PUSHLIKE, CRect(0, 0, kWidth, kHeight), 11);
    Make(first, u"A", WS_GROUP | BS_AUTORADIOBUTTON | BS_PUSHLIKE, CRect(0, 30, kWidth, 30 + kHeight), 12);
    Make(second, u"B", BS_AUTORADIOBUTTON | BS_PUSHLIKE, CRect(0, 60, kWidth, 60 + kHeight), 13);
    Make(plain, u"C", WS_GROUP | BS_PUSHBUTTON, CRect(0, 90, kWidth, 90 + kHeight), 14);
    for (CTKButton* b : {&check, &first, &second, &plain}) {
        EXPECT_EQ(b->GetStyle() & BS_TYPEMASK, DWORD(BS_OWNERDRAW));
        b->SetXButtonStyle(0);
    }

    headless::Click(check.m_hWnd, {5, 5});
    headless::PumpUntilIdle();
    EXPECT_EQ(check.GetCheck(), BST_CHECKED);
    PaintProbe down(kWidth, kHeight);
    down.Print(check.m_hWnd);
    EXPECT_EQ(down.At(0, 0), C(21));
    headless::Click(check.m_hWnd, {5, 5});
    headless::PumpUntilIdle();
    EXPECT_EQ(check.GetCheck(), BST_UNCHECKED);
    PaintProbe up(kWidth, kHeight);
    up.Print(check.m_hWnd);
    EXPECT_EQ(up.At(0, 0), C(20));

    headless::Click(first.m_hWnd, {5, 5});
    headless::PumpUntilIdle();
    headless::Click(second.m_hWnd, {5, 5});
    headless::PumpUntilIdle();
    EXPECT_EQ(first.GetCheck(), BST_UNCHECKED);
    EXPECT_EQ(second.GetCheck(), BST_CHECKED);
    EXPECT_EQ(parent.clicks, (std::vector<UINT>{11, 11, 12, 13}));

    plain.SetCheck(BST_CHECKED);
    EXPECT_EQ(plain.GetCheck(), BST_UNCHECKED);
    EXPECT_FALSE(plain.IsChecked());
}

TEST_F(ToolkitButtonTest, SubclassedButtonsBecomeOwnerDrawnAndKeepTheirCheck) {
    const DWORD kinds[] = {BS_PUSHBUTTON, BS_DEFPUSHBUTTON, BS_RADIOBUTTON, BS_3STATE, BS_AUTORADIOBUTTON};
    for (DWORD kind : kinds) {
        SCOPED_TRACE(kind);
        HWND raw = CreateWindowExW(0, u"BUTTON", u"x", WS_CHILD | WS_VISIBLE | kind, 0, 0, kWidth, kHeight, parent.m_hWnd,
                                   (HMENU)21, nullptr, nullptr);
        ASSERT_NE(raw, nullptr);
        SendMessageW(raw, BM_SETCHECK, BST_CHECKED, 0);
        const LRESULT before = SendMessageW(raw, BM_GETCHECK, 0, 0);
        CTKButton button;
        ASSERT_TRUE(button.SubclassWindow(raw));
        EXPECT_EQ(button.GetStyle() & BS_TYPEMASK, DWORD(BS_OWNERDRAW));
        EXPECT_EQ(button.GetCheck(), before);
        button.DestroyWindow();
    }
}

// ---- Themes, factory and shared handlers ---------------------------------------------------------
TEST_F(ToolkitButtonTest, FactoryAndStyleBitsChooseTheLook) {
    CTKButtonThemeFactory factory;
    const struct {
        int id;
        bool flat, gradient;
    } ids[] = {{0, false, false}, {1, true, false}, {2, true, true}, {7, false, false}};
    for (const auto& c : ids) {
        SCOPED_TRACE(c.id);
        CTKThemeStyleBase* style = factory.CreateTheme(c.id);
        auto* theme = dynamic_cast<CTKButtonTheme*>(style);
        ASSERT_NE(theme, nullptr);
        EXPECT_EQ(theme->GetThemeId(), c.id);
        EXPECT_EQ(dynamic_cast<CTKFlatButtonTheme*>(theme) != nullptr, c.flat);
        EXPECT_EQ(dynamic_cast<CTKGradientButtonTheme*>(theme) != nullptr, c.gradient);
        delete style;
    }

    CTKButton a, b;
    Make(a, u"a");
    Make(b, u"b", BS_PUSHBUTTON, CRect(0, 40, 80, 64), 8);
    EXPECT_EQ(a.GetTheme(), b.GetTheme());
    EXPECT_EQ(a.SetXButtonStyle(TKBS_THEME1), DWORD(TKBS_FLAT));
    EXPECT_NE(dynamic_cast<CTKFlatButtonTheme*>(a.GetTheme()), nullptr);
    EXPECT_NE(a.GetTheme(), b.GetTheme());
    a.SetXButtonStyle(TKBS_FLAT);
    EXPECT_EQ(dynamic_cast<CTKFlatButtonTheme*>(a.GetTheme()), nullptr);
    EXPECT_NE(a.GetTheme(), b.GetTheme());
    a.SetXButtonStyle(TKBS_SEMIFLAT);
    EXPECT_EQ(a.GetTheme(), b.GetTheme());

    // The caller's colours reach only a theme that has them.
    a.SetXPColors(RGB(1, 1, 1), RGB(2, 2, 2), RGB(3, 3, 3));
    PaintProbe unchanged(kWidth, kHeight);
    a.m_bChecked = TRUE;
    Draw(a, unchanged, 0);
    EXPECT_FALSE(unchanged.Has(CRect(0, 0, kWidth, kHeight), RGB(2, 2, 2)));
    a.SetXButtonStyle(TKBS_THEME1);
    a.SetXPColors(RGB(1, 1, 1), RGB(2, 2, 2), RGB(3, 3, 3));
    PaintProbe checked(kWidth, kHeight);
    Draw(a, checked, 0);
    EXPECT_EQ(checked.At(0, 0), RGB(1, 1, 1));
    EXPECT_EQ(checked.At(MX, MY), RGB(2, 2, 2));
}

TEST_F(ToolkitButtonTest, ErasesNothingAndRefreshesItsStyleOnSystemChanges) {
    CTKButton button;
    Make(button, u"");
    PaintProbe probe(kWidth, kHeight, RGB(9, 9, 9));
    EXPECT_EQ(button.SendMessage(WM_ERASEBKGND, WPARAM(probe.dc())), 1);
    EXPECT_EQ(probe.At(MX, MY), RGB(9, 9, 9));

    const COLORREF face = button.GetColorFace();
    for (UINT message : {UINT(WM_SYSCOLORCHANGE), UINT(WM_SETTINGCHANGE)}) {
        SCOPED_TRACE(message);
        GetColorTable().SetOverride(15, RGB(1, 2, 3));
        EXPECT_EQ(button.GetColorFace(), face);
        button.SendMessage(message);
        EXPECT_EQ(button.GetColorFace(), RGB(1, 2, 3));
        GetColorTable().SetOverride(15, COLORREF(-1));
        button.SendMessage(message);
        EXPECT_EQ(button.GetColorFace(), face);
    }
}

} // namespace
