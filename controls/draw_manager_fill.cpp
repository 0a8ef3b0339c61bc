// Fill effects of the draw manager: solid, banded gradients and the palette textures.
#include "controls/draw_manager.h"

#include <algorithm>

#include "win32/kernel.h"

namespace {

void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    if (!brush) return;
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

int Cube(int t) { return t * t * t; }

}  // namespace

void CDrawManager::FillGradient(HDC dc, const RECT& rect, COLORREF from, COLORREF to, BOOL horizontal) {
    const long long extent = horizontal ? (long long)rect.right - rect.left : (long long)rect.bottom - rect.top;
    const long long origin = horizontal ? rect.left : rect.top;
    for (int i = 0; i < 64; ++i) {
        long long a = origin + ((i * extent) >> 6), b = origin + (((i + 1) * extent) >> 6);
        if (a == b) continue;
        auto ch = [i](int f, int t) { return (BYTE)((f * 64 + i * (t - f)) >> 6); };
        COLORREF c = RGB(ch(GetRValue(from), GetRValue(to)), ch(GetGValue(from), GetGValue(to)),
                         ch(GetBValue(from), GetBValue(to)));
        RECT band = rect;
        if (horizontal) band.left = (LONG)a, band.right = (LONG)b;
        else band.top = (LONG)a, band.bottom = (LONG)b;
        FillSolid(dc, band, c);
    }
}

void CDrawManager::FillEffect(HDC dc, int effect, const RECT& rect, COLORREF color1, COLORREF color2,
                              COLORREF color3, int granularity, int blend) {
    if (!dc || effect == -1) return;
    const LONG midX = rect.left + (rect.right - rect.left) / 2, midY = rect.top + (rect.bottom - rect.top) / 2;
    RECT first = rect, second = rect;
    switch (effect) {
    case 1: FillGradient(dc, rect, color1, color3, TRUE); return;
    case 2: FillGradient(dc, rect, color1, color3, FALSE); return;
    case 3:
    case 5:
        first.right = second.left = midX;
        FillGradient(dc, first, color1, effect == 3 ? color3 : color2, TRUE);
        FillGradient(dc, second, effect == 3 ? color3 : color2, effect == 3 ? color1 : color3, TRUE);
        return;
    case 4:
    case 6:
        first.bottom = second.top = midY;
        FillGradient(dc, first, color1, effect == 4 ? color3 : color2, FALSE);
        FillGradient(dc, second, effect == 4 ? color3 : color2, effect == 4 ? color1 : color3, FALSE);
        return;
    default:
        break;
    }
    if (effect >= 7 && effect <= 15) {
        RECT area{0, 0, rect.right - rect.left, rect.bottom - rect.top};
        if (FillTexture(area, effect, granularity, blend, color1, color2, color3)) dib_.Draw(dc, rect.left, rect.top);
        return;
    }
    FillSolid(dc, rect, color1);
}

bool CDrawManager::FillTexture(const RECT& rect, int effect, int granularity, int blend, COLORREF c1,
                               COLORREF c2, COLORREF c3) {
    // Every formula divides by the width or the height, and 32767 / W must stay non-zero.
    const int W = std::min<long long>((long long)rect.right - rect.left, 32767);
    const int H = std::min<long long>((long long)rect.bottom - rect.top, 32767);
    if (W < 1 || H < 1 || (effect == 14 && H < 2)) return false;
    if (!dib_.Create(W, H, 8)) return false;

    for (int i = 0; i <= 128; ++i)
        dib_.SetPaletteEntry((BYTE)i, (BYTE)((GetRValue(c3) * (128 - i) + GetRValue(c2) * i) / 128),
                             (BYTE)((GetGValue(c3) * (128 - i) + GetGValue(c2) * i) / 128),
                             (BYTE)((GetBValue(c3) * (128 - i) + GetBValue(c2) * i) / 128));
    for (int i = 1; i <= 128; ++i)
        dib_.SetPaletteEntry((BYTE)(127 + i), (BYTE)((GetRValue(c2) * (128 - i) + GetRValue(c1) * i) / 128),
                             (BYTE)((GetGValue(c2) * (128 - i) + GetGValue(c1) * i) / 128),
                             (BYTE)((GetBValue(c2) * (128 - i) + GetBValue(c1) * i) / 128));
    dib_.BlendPalette(c1, blend);

    const int g = (BYTE)granularity;
    const int noiseDiv = 32767 / std::max(1, 2 * g);
    auto noise = [&] { return crt::rand() / noiseDiv - g; };
    if (effect < 7 || effect > 15) return true;

    BYTE* bits = dib_.GetBits();
    const DWORD stride = dib_.Stride();
    // r counts rows from the bottom image row, which is the first row of the block.
    auto at = [&](int x, int r) -> BYTE& { return bits[(size_t)r * stride + x]; };

    if (effect == 15) {
        dib_.FillBits(0);
        const int span = std::min(W, H);
        for (int s = 0; s < 200; ++s) {
            int x0 = crt::rand() / (32767 / W);
            int y0 = crt::rand() / (32767 / H);
            int len = crt::rand() / (32767 / span);
            BYTE level = (BYTE)(crt::rand() / 819);
            for (int i = 0; i < len / 2; ++i) {
                if (x0 - i > 0 && y0 + i < H) dib_.SetPixelIndex(x0 - i, y0 + i, level);
                if (x0 + i < W && y0 - i > 0) dib_.SetPixelIndex(x0 + i, y0 - i, level);
            }
        }
        const int k = (215 - 2 * g) / 2;
        for (int r = 0; r < H; ++r)
            for (int x = 0; x < W; ++x) {
                int v = at(x, r) + (k * (W - x) / W + r * k / H) % 256 + crt::rand() / noiseDiv;
                at(x, r) = (BYTE)v;
            }
        return true;
    }

    for (int r = 0; r < H; ++r) {
        const int ty = r * 255 / H - 127;
        for (int x = 0; x < W; ++x) {
            const int n = noise();
            const int tx = 255 * (W - x) / W - 127;
            int v;
            switch (effect) {
            case 7: v = 128 + n; break;
            case 8: {
                const int k = (255 - 2 * g) / 2;
                v = g + (k * (W - x) / W + k * r / H) % 256 + n;
                break;
            }
            case 9: v = g + r * (255 - 2 * g) / H + n; break;
            case 10: v = g + (255 - 2 * g) * (W - x) / W + n; break;
            case 11: v = 128 + ((Cube(ty) / 128) / 128) * (128 - g) / 128 + n; break;
            case 12: v = 128 + ((Cube(tx) / 128 / 128) * (128 - g)) / 128 + n; break;
            case 13: {
                v = 128 + ((Cube(tx) / 128) / 128 + (Cube(ty) / 128) / 128) * (128 - g) / 128;
                if (v < g) v = g;
                if (v > 255 - g) v = 255 - g;
                v += n;
                break;
            }
            default: v = 128 + ((Cube(ty) / 128) / 128) * (64 - g) * 2 / 128 + n; break;
            }
            at(x, r) = (BYTE)v;
        }
    }
    if (effect == 14) {
        // Lens-shaped bevels: widest in the middle row, vanishing at the top and bottom rows.
        const int s = std::min(W / 6, 16);
        const long long quarter = (long long)H * H / 4;
        for (int r = 0; r < H; ++r) {
            const long long dy = r - H / 2;
            const long long e = dy * s * dy / quarter - s + W / 2;
            for (int x = 0; x < W; ++x) {
                const long long d = x - W / 2;
                if (s > 0) {
                    if (d > e) at(x, r) = (BYTE)((W - x) * 128 / s + g);
                    if (d + e < 0) at(x, r) = (BYTE)((255 - g) - x * 128 / s);
                }
                at(x, r) = (BYTE)(at(x, r) + noise());
            }
        }
    }
    return true;
}
