// Writes a PNG strip of every button state in every command-bar theme: one row per theme, one
// 23 x 22 face per state, on the bar background the theme paints.
#include "toolkit/base/themes.h"
#include "win32/gdi/surface.h"

#include <cstdio>

namespace {

struct State {
    int selected, pressed;
    BOOL enabled, checked, popuped;
};

const State kStates[] = {
    {0, 0, TRUE, FALSE, FALSE}, {1, 0, TRUE, FALSE, FALSE}, {1, 1, TRUE, FALSE, FALSE},
    {0, 2, TRUE, FALSE, FALSE}, {0, 0, TRUE, TRUE, FALSE},  {1, 0, TRUE, TRUE, FALSE},
    {0, 0, TRUE, FALSE, TRUE},  {0, 0, FALSE, FALSE, FALSE}, {0, 0, FALSE, TRUE, FALSE},
    {2, 0, FALSE, FALSE, FALSE},
};

} // namespace

int main(int argc, char** argv)
{
    const char* path = argc > 1 ? argv[1] : "theme_strip.png";
    const int themes[] = {TKP_THEME_CLASSIC, TKP_THEME_NATIVE, TKP_THEME_FLAT, TKP_THEME_GRADIENT,
                          TKP_THEME_SOFTGRADIENT};
    const int cell = 27, rowHeight = 26, count = int(std::size(kStates));
    // Each theme twice: as a plain face, and with the scheme colours of the blue visual style.
    const int rows = 2 * int(std::size(themes));
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = count * cell + 4;
    bi.bmiHeader.biHeight = -(rows * rowHeight + 4);
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP strip = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, strip);
    PatBlt(dc, 0, 0, bi.bmiHeader.biWidth, -bi.bmiHeader.biHeight, WHITENESS);
    for (int scheme = 0; scheme < 2; ++scheme) {
        GetColorTable().SetForcedSystemTheme(scheme ? 1 : 4);
        GetColorTable().RefreshColors();
        for (size_t t = 0; t < std::size(themes); ++t) {
            CTKPPaintManager* pm = CreatePaintManager(themes[t]);
            pm->RefreshMetrics();
            int y = 2 + int(scheme * std::size(themes) + t) * rowHeight;
            pm->FillRectIndex(dc, RECT{0, y, count * cell + 4, y + rowHeight},
                              pm->IsFlatStyle() ? 30 : COLOR_BTNFACE);
            for (int s = 0; s < count; ++s) {
                const State& st = kStates[s];
                RECT face{2 + s * cell, y + 2, 2 + s * cell + 23, y + 24};
                pm->DrawControlFace(dc, face, st.selected, st.pressed, st.enabled, st.checked, st.popuped,
                                    TKP_BARPOS_TOP);
            }
            pm->InternalRelease();
        }
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    bool ok = gdi::WritePng(strip, path);
    DeleteObject(strip);
    if (!ok) {
        std::fprintf(stderr, "theme_strip: cannot write %s\n", path);
        return 1;
    }
    std::printf("%s\n", path);
    return 0;
}
