// The colour table: system colours, derived toolkit colours with their contrast rules, scheme presets, gradients.
#include "toolkit/base/color_table.h"

#include "toolkit/base/draw_helpers.h"
#include "toolkit/base/system_probes.h"
#include "win32/kernel.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace {

// ---- Weighted colour space ---------------------------------------------------------------------
constexpr double kMaxR = 195.0, kMaxG = 390.0, kMaxB = 65.0;
constexpr double kMaxDistance = 442.0;

struct WColor {
    double r, g, b;
};

WColor Weighted(COLORREF c)
{
    return {GetRValue(c) * kMaxR / 255.0, GetGValue(c) * kMaxG / 255.0, GetBValue(c) * kMaxB / 255.0};
}

double DistanceSquared(const WColor& a, const WColor& b)
{
    double dr = a.r - b.r, dg = a.g - b.g, db = a.b - b.b;
    return dr * dr + dg * dg + db * db;
}

double DistanceFromBlack(COLORREF c)
{
    return std::sqrt(DistanceSquared(Weighted(c), WColor{0, 0, 0}));
}

// Dark reference colours demand up to twice the distance.
double ContrastThreshold(int d, int w)
{
    return (2.0 - std::min(d, 220) * double(1.0f / 220.0f)) * w;
}

COLORREF FromWeighted(WColor c)
{
    auto back = [](double v, double max) {
        v = std::clamp(v, 0.0, max);
        int n = static_cast<int>(v * 255.0 / max + 0.5);
        return std::clamp(n, 0, 255);
    };
    return RGB(back(c.r, kMaxR), back(c.g, kMaxG), back(c.b, kMaxB));
}

WColor Mirror(WColor c)
{
    return {kMaxR - c.r, kMaxG - c.g, kMaxB - c.b};
}

COLORREF Scale(COLORREF c, int num, int den)
{
    return RGB(GetRValue(c) * num / den, GetGValue(c) * num / den, GetBValue(c) * num / den);
}

int MaxChannel(COLORREF c)
{
    return std::max({int(GetRValue(c)), int(GetGValue(c)), int(GetBValue(c))});
}

BOOL (*g_mainWindowProbe)() = nullptr;

} // namespace

// ---- Colour rules ------------------------------------------------------------------------------
COLORREF BlendColorsByPercent(COLORREF a, COLORREF b, int weight)
{
    int d = weight < 100 ? 100 : 1000;
    auto mix = [&](int x, int y) { return std::clamp((x * weight + y * (d - weight) + d / 2) / d, 0, 255); };
    return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)), mix(GetBValue(a), GetBValue(b)));
}

double ColorDistance(COLORREF a, COLORREF b)
{
    return std::sqrt(DistanceSquared(Weighted(a), Weighted(b)));
}

BOOL IsColorDistanceAbove(COLORREF a, COLORREF b, BOOL scaled, int wanted)
{
    double t = scaled ? ContrastThreshold(static_cast<int>(DistanceFromBlack(a)), wanted) : wanted;
    return DistanceSquared(Weighted(a), Weighted(b)) > t * t;
}

COLORREF PushColorToDistance(COLORREF a, COLORREF b, int wanted)
{
    double d1 = DistanceFromBlack(a);
    double t = ContrastThreshold(static_cast<int>(d1), wanted);
    double d2 = DistanceFromBlack(b);
    bool fromWhite = (d2 > d1 && d1 <= kMaxDistance - t) || (d2 <= d1 && d1 <= t);
    WColor va = Weighted(a), vb = Weighted(b);
    if (fromWhite) {
        va = Mirror(va);
        vb = Mirror(vb);
    }
    double len = std::max(std::sqrt(vb.r * vb.r + vb.g * vb.g + vb.b * vb.b), 0.001);
    double dot = va.r * vb.r + va.g * vb.g + va.b * vb.b;
    double p = dot / len;
    double k = dot / (len * len);
    WColor foot{k * vb.r - va.r, k * vb.g - va.g, k * vb.b - va.b};
    double perp2 = foot.r * foot.r + foot.g * foot.g + foot.b * foot.b;
    // Rounding can make the perpendicular a hair longer than the threshold.
    double lambda = p - std::sqrt(std::max(t * t - perp2, 0.0));
    WColor out{vb.r * lambda / len, vb.g * lambda / len, vb.b * lambda / len};
    if (fromWhite)
        out = Mirror(out);
    return FromWeighted(out);
}

COLORREF PullColorToDistance(COLORREF a, COLORREF b, int wanted)
{
    WColor va = Weighted(a), vb = Weighted(b);
    double d = std::sqrt(DistanceSquared(va, vb));
    if (d <= 0)
        return b;
    double t = ContrastThreshold(static_cast<int>(DistanceFromBlack(a)), wanted);
    double f = (d - t) / d;
    return FromWeighted({vb.r + (va.r - vb.r) * f, vb.g + (va.g - vb.g) * f, vb.b + (va.b - vb.b) * f});
}

// ---- The table ---------------------------------------------------------------------------------
CTKPColorTable::CTKPColorTable()
{
    std::fill(std::begin(m_override), std::end(m_override), COLORREF(-1));
    std::fill(std::begin(m_luna), std::end(m_luna), COLORREF(-1));
    RefreshColors();
    m_gradients[7].SetStandardValue(0x8CD5FF, 0x55ADFF, 0.5f);
    m_gradients[8].SetStandardValue(0x4B8EFE, 0x8BCFFF, 0.5f);
    m_gradients[9].SetStandardValue(0xC8F2FF, 0x97D4FF, 0.5f);
}

COLORREF CTKPColorTable::GetColorByIndex(UINT index) const
{
    if (index >= TK_COLOR_COUNT)
        return index;
    return m_override[index] != COLORREF(-1) ? m_override[index] : m_standard[index];
}

COLORREF CTKPColorTable::GetLunaColor(UINT index) const
{
    if (index >= 30 && index < TK_COLOR_COUNT && m_luna[index] != COLORREF(-1))
        return m_luna[index];
    return GetColorByIndex(index);
}

int CTKPColorTable::GetCurrentSystemTheme() const
{
    return m_nForcedTheme != 4 && m_nForcedTheme != 5 ? m_nForcedTheme : m_nDetectedTheme;
}

namespace {

int DetectLunaScheme()
{
    CTKPThemeHandle theme;
    if (!theme.IsThemeActive())
        return 0;
    WCHAR file[260] = {}, colour[260] = {};
    if (FAILED(theme.GetCurrentThemeName(file, 260, colour, 260, nullptr, 0)))
        return 0;
    auto lower = [](const WCHAR* s) {
        std::u16string out(s);
        for (auto& ch : out)
            if (ch >= u'A' && ch <= u'Z')
                ch = char16_t(ch - u'A' + u'a');
        return out;
    };
    std::u16string f = lower(file), c = lower(colour);
    if (f.find(u"luna.msstyles") != std::u16string::npos) {
        if (c == u"normalcolor")
            return 1;
        if (c == u"homestead")
            return 2;
        if (c == u"metallic")
            return 3;
        return 0;
    }
    if (f.find(u"royale.msstyles") != std::u16string::npos && c == u"normalcolor")
        return 1;
    return 0;
}

} // namespace

void CTKPColorTable::RefreshSystemColors()
{
    m_standard[0] = 0;
    for (int i = 1; i <= 27; ++i)
        m_standard[i] = m_pfnProvider ? m_pfnProvider(i) : GetSysColor(i);
}

void CTKPColorTable::SetDefaultColors()
{
    static const int kDefaults[][2] = {
        {30, 15}, {31, 5}, {32, 13}, {33, 13}, {34, 16}, {35, 17}, {36, 5}, {37, 13}, {38, 16}, {39, 16}, {40, 16},
        {41, 5}, {42, 16}, {43, 16}, {44, 8}, {45, 7}, {46, 18}, {47, 14}, {48, 15}, {49, 18}, {50, 13}, {51, 15},
        {52, 16}, {53, 15}, {54, 16}, {55, 15}, {56, 15}, {57, 16}, {58, 17}, {59, 0}, {60, 16},
    };
    for (auto& d : kDefaults)
        m_standard[d[0]] = GetColorByIndex(d[1]);
}

void CTKPColorTable::ApplyLunaPresets()
{
    int kind = LunaKind();
    if (kind < 1 || kind > 3) {
        std::fill(std::begin(m_luna), std::end(m_luna), COLORREF(-1));
        return;
    }
    struct Preset {
        int index;
        COLORREF c[3];
    };
    static const Preset kPresets[] = {
        {38, {0x764127, 0x335E51, 0x755454}}, {39, {0xCB8C6A, 0x588060, 0x8F6D6E}},
        {40, {0xD0966D, 0x7AAE9F, 0xBEA7A8}}, {41, {0xF6F6F6, 0xEEF4F4, 0xFFFAFD}},
        {43, {0x962D00, 0x5E8D75, 0x947C7C}}, {31, {0xC2EEFF, 0xC2EEFF, 0xC2EEFF}},
        {32, {0x800000, 0x385D3F, 0x6F4B4B}}, {50, {0x800000, 0x385D3F, 0x6F4B4B}},
        {37, {0x800000, 0x385D3F, 0x6F4B4B}}, {33, {0x3E80FE, 0x3E80FE, 0x3E80FE}},
        {36, {0x6FC0FF, 0x6FC0FF, 0x6FC0FF}}, {30, {0xF5BE9E, 0xA7D9D9, 0xE5D7D7}},
        {47, {0, 0, 0}},                      {59, {0x361E16, 0x19221F, 0x292024}},
    };
    for (auto& p : kPresets)
        m_luna[p.index] = p.c[kind - 1];
}

void CTKPColorTable::RefreshGradients()
{
    int kind = LunaKind();
    COLORREF c5 = GetColorByIndex(5), c15 = GetColorByIndex(15), c16 = GetColorByIndex(16);
    struct Row {
        COLORREF light, dark;
        float factor;
    };
    static const Row kLuna[3][7] = {
        {{0xD68759, 0x962D00, 0.5f}, {0xF5BE9E, 0xFADAC4, 0.5f}, {0xD68759, 0x962D00, 0.5f},
         {0xFEECDD, 0xE2A981, 0.75f}, {0xFFEFE3, 0xE4AD87, 0.5f}, {0xF6DDCB, 0xDCA179, 0.5f},
         {0xFFEFE3, 0xE7B593, 0.5f}},
        {{0x82C0AF, 0x447A63, 0.5f}, {0xA7D9D9, 0xE4F1F2, 0.5f}, {0x6F8E78, 0x435B49, 0.5f},
         {0xDEF7F4, 0x91C6B7, 0.3f}, {0xEDFFFF, 0x92C7B8, 0.3f}, {0xD1E6E6, 0x78B4A4, 0.3f},
         {0xD5F0EC, 0x9FCEC2, 0.5f}},
        {{0xBFA7A8, 0x916F70, 0.5f}, {0xE5D7D7, 0xF7F3F3, 0.5f}, {0xBFA7A8, 0x977677, 0.5f},
         {0xFFF9F9, 0xB79B9C, 0.75f}, {0xFFF9F9, 0xB99D9F, 0.75f}, {0xE2D7D7, 0x9E7E80, 0.75f},
         {0xF1E7E9, 0xCDB9BA, 0.5f}},
    };
    static const COLORREF kIndex54[3] = {0x962D00, 0x588060, 0x947C7C};
    if (kind >= 1 && kind <= 3) {
        for (int g = 0; g < 7; ++g)
            m_gradients[g].SetStandardValue(kLuna[kind - 1][g].light, kLuna[kind - 1][g].dark, kLuna[kind - 1][g].factor);
        m_standard[54] = kIndex54[kind - 1];
        return;
    }
    m_gradients[0].SetStandardValue(c16, c16, 0.5f);
    m_gradients[1].SetStandardValue(c15, BlendColorsByPercent(c15, c5, 215), 0.5f);
    m_gradients[2].SetStandardValue(c15, c16, 0.5f);
    m_gradients[3].SetStandardValue(BlendColorsByPercent(c15, c5, 205), c15, 0.5f);
    m_gradients[4].SetStandardValue(BlendColorsByPercent(c15, c5, 145), BlendColorsByPercent(c15, c5, 93), 0.5f);
    m_gradients[5].SetStandardValue(BlendColorsByPercent(c15, c5, 40), BlendColorsByPercent(c15, c16, 95), 0.5f);
    m_gradients[6].SetStandardValue(BlendColorsByPercent(c15, c5, 165), BlendColorsByPercent(c15, c5, 42), 0.5f);
}

void CTKPColorTable::RefreshColors()
{
    m_nDetectedTheme = DetectLunaScheme();
    BOOL lowColor = IsLowColorDisplay(nullptr);
    RefreshSystemColors();
    SetDefaultColors();
    ApplyLunaPresets();
    if (lowColor) {
        RefreshGradients();
        return;
    }
    auto c = [this](int i) { return GetColorByIndex(i); };

    static const int kBlends[][4] = {
        {30, 5, 15, 165}, {31, 13, 5, 30}, {33, 13, 5, 50}, {41, 15, 5, 143}, {35, 17, 5, 70},
        {38, 16, 5, 75},  {39, 16, 5, 70}, {43, 46, 16, 20}, {40, 16, 5, 90}, {42, 15, 16, 90},
    };
    for (auto& b : kBlends)
        m_standard[b[0]] = BlendColorsByPercent(c(b[1]), c(b[2]), b[3]);

    if (IsColorDistanceAbove(c(15), c(30), TRUE, 35))
        m_standard[30] = PullColorToDistance(c(15), c(30), 35);

    static const int kContrast[][4] = {
        {31, 30, 31, 50},  {32, 30, 13, 100}, {33, 30, 33, 30},  {35, 41, 35, 80},  {37, 33, 37, 100},
        {38, 30, 38, 85},  {39, 30, 39, 50},  {43, 47, 43, 100}, {40, 30, 40, 80},  {44, 41, 44, 180},
        {45, 31, 45, 180}, {46, 30, 46, 180}, {47, 33, 47, 180},
    };
    for (auto& r : kContrast)
        if (!IsColorDistanceAbove(c(r[1]), c(r[2]), TRUE, r[3]))
            m_standard[r[0]] = PushColorToDistance(c(r[1]), c(r[2]), r[3]);

    if (IsColorDistanceAbove(c(41), c(35), TRUE, 145))
        m_standard[35] = PullColorToDistance(c(41), c(35), 145);

    COLORREF c30 = c(30), c5 = c(5), c13 = c(13);
    auto mix36 = [](int x, int y, int z) { return x * 50 / 100 + y * 40 / 100 + z * 10 / 100; };
    m_standard[36] = RGB(mix36(GetRValue(c30), GetRValue(c5), GetRValue(c13)),
                         mix36(GetGValue(c30), GetGValue(c5), GetGValue(c13)),
                         mix36(GetBValue(c30), GetBValue(c5), GetBValue(c13)));

    COLORREF face = c(15);
    int m = MaxChannel(face);
    m_standard[48] = m == 0 ? COLORREF(0x232323) : Scale(face, m + std::min(255 - m, 35), m);

    if (face == 0) {
        m_standard[49] = 0x7F7F7F;
    } else {
        COLORREF s = c(16);
        int ms = MaxChannel(s);
        m_standard[49] = ms == 0 ? COLORREF(0) : Scale(s, std::max(ms - 43, 0), ms);
    }

    COLORREF s31 = m_standard[31];
    m_standard[34] = RGB(int(GetRValue(s31) * 0.75), int(GetGValue(s31) * 0.75), int(GetBValue(s31) * 0.75));
    m_standard[22] = RGB(std::min(GetRValue(face) + 15, 255), std::min(GetGValue(face) + 15, 255),
                         std::min(GetBValue(face) + 15, 255));
    m_standard[53] = c(30);
    m_standard[58] = c(40);
    m_standard[60] = m_standard[40];

    RefreshGradients();

    CTKPThemeHandle tree;
    tree.OpenThemeData(nullptr, u"TREEVIEW");
    COLORREF border = 0;
    if (tree.IsOpen() && tree.IsAppThemed() && SUCCEEDED(tree.GetThemeColor(0, 0, 3801, &border)))
        m_standard[57] = border;
}

// ---- Process-wide access -----------------------------------------------------------------------
CTKPColorTable& GetColorTable()
{
    // Shared objects are released, never deleted, by their holders; the table lives until exit.
    static CTKPColorTable table;
    return table;
}

int GetCurrentSystemThemeKind()
{
    return GetColorTable().GetCurrentSystemTheme();
}

void SetMainWindowProbe(BOOL (*probe)())
{
    g_mainWindowProbe = probe;
}

void RefreshColorTableThrottled()
{
    static DWORD lastRefresh = 0;
    if (GetTickCount() - lastRefresh > 500)
        GetColorTable().RefreshColors();
    // Before the main window exists nothing is recorded, so every call refreshes.
    if (g_mainWindowProbe && g_mainWindowProbe())
        lastRefresh = GetTickCount();
}
