// Images of the draw manager: state effects, masks, drop shadows, alpha blending; lines and frames.
#include "controls/draw_manager.h"
#include "controls/draw_manager_internal.h"

#include <algorithm>
#include <vector>

using namespace drawing;



CDrawManager::CDrawManager() = default;
CDrawManager::~CDrawManager() = default;

// ---- pixel operations ----

DWORD CDrawManager::GrayColor(DWORD p) {
    DWORD y = (DWORD)(0.587 * ((p >> 8) & 0xFF) + 0.299 * ((p >> 16) & 0xFF) + 0.114 * (p & 0xFF));
    return y * 0x010101;
}

DWORD CDrawManager::InvertColor(DWORD p) { return (~p) & 0xFFFFFF; }

DWORD CDrawManager::DarkenColor(DWORD p, double f) {
    if (!(f >= 0 && f < 1)) return p;
    DWORD r = (DWORD)(((p >> 16) & 0xFF) * f), g = (DWORD)(((p >> 8) & 0xFF) * f), b = (DWORD)((p & 0xFF) * f);
    return (p & 0xFF000000) | (r << 16) | (g << 8) | b;
}

DWORD CDrawManager::LightenColor(DWORD p, double f) {
    if (!(f > 0 && f <= 1)) return p;
    auto ch = [f](DWORD c) { return (DWORD)std::min(c * (1 + f), 255.0); };
    return (p & 0xFF000000) | (ch((p >> 16) & 0xFF) << 16) | (ch((p >> 8) & 0xFF) << 8) | ch(p & 0xFF);
}

DWORD CDrawManager::BlendColors(DWORD p1, double a, DWORD p2, double b) {
    auto ch = [&](int shift) {
        double v = ((p1 >> shift) & 0xFF) * a + ((p2 >> shift) & 0xFF) * b;
        return (DWORD)std::clamp(v, 0.0, 255.0) << shift;
    };
    return ch(16) | ch(8) | ch(0);
}

// ---- sizes ----

void CDrawManager::GetBitmapSize(HBITMAP bitmap, SIZE* size) {
    *size = SIZE{0, 0};
    BITMAP bm{};
    if (bitmap && GetObjectW(bitmap, sizeof(bm), &bm)) *size = SIZE{bm.bmWidth, bm.bmHeight};
}

// ---- effect bitmaps ----

HBITMAP CDrawManager::CreateEffectBitmap(HBITMAP bitmap, int width, int height, DWORD flags, BOOL useMask,
                                         COLORREF maskColor, COLORREF color) {
    DWORD* bits = nullptr;
    HBITMAP result = Create32(width, height, &bits);
    if (!result) return nullptr;
    {
        SelectedDC src(nullptr, bitmap), dst(nullptr, result);
        if (!src || !dst || !BitBlt(dst.dc, 0, 0, width, height, src.dc, 0, 0, SRCCOPY)) {
            DeleteObject(result);
            return nullptr;
        }
    }
    GdiFlush();
    const DWORD transparent = ToDib(maskColor);
    const DWORD oneColour = ToDib(color);
    for (size_t i = 0, n = (size_t)width * height; i < n; ++i) {
        DWORD p = bits[i];
        if (p & 0xFF000000) alphaSeen_ = 1;
        DWORD v;
        if (useMask && p == transparent) {
            v = 0;
        } else {
            v = p;
            if (flags & kImageGrey) v = GrayColor(v);
            if (flags & kImageDarker) v = DarkenColor(v, 0.75);
            if (flags & kImageLighter) v = LightenColor(v, 0.25);
            if (flags & kImageOneColour) v = oneColour;
        }
        if (flags & kImageInvert) v = InvertColor(v);
        bits[i] = (p & 0xFF000000) | (v & 0xFFFFFF);
    }
    return result;
}

void CDrawManager::AlphaBlendBitmap(HDC dc, int x, int y, int width, int height, HDC source, int sourceX,
                                    int sourceY) {
    DWORD *a = nullptr, *b = nullptr;
    HBITMAP bmpA = Create32(width, height, &a), bmpB = Create32(width, height, &b);
    if (bmpA && bmpB) {
        SelectedDC da(dc, bmpA), db(dc, bmpB);
        if (da && db) {
            BitBlt(da.dc, 0, 0, width, height, source, sourceX, sourceY, SRCCOPY);
            BitBlt(db.dc, 0, 0, width, height, dc, x, y, SRCCOPY);
            GdiFlush();
            for (size_t i = 0, n = (size_t)width * height; i < n; ++i) {
                double alpha = (a[i] >> 24) / 255.0;
                b[i] = (b[i] & 0xFF000000) | BlendColors(a[i], alpha, b[i], 1 - alpha);
            }
            BitBlt(dc, x, y, width, height, db.dc, 0, 0, SRCCOPY);
        }
    }
    if (bmpA) DeleteObject(bmpA);
    if (bmpB) DeleteObject(bmpB);
}

void CDrawManager::DrawShadow(HDC dc, int x, int y, int width, int height, HBITMAP shape, BOOL blurred,
                              int blurWidth, int blurHeight) {
    DWORD *s = nullptr, *d = nullptr;
    HBITMAP bmpS = Create32(width, height, &s), bmpD = Create32(width, height, &d);
    if (bmpS && bmpD) {
        SelectedDC ds(dc, bmpS), dd(dc, bmpD), dshape(dc, shape);
        if (ds && dd && dshape) {
            // The blur box is odd so that it has a centre; a huge one would only cost memory.
            int kw = std::clamp(blurWidth, 1, 255) | 1, kh = std::clamp(blurHeight, 1, 255) | 1;
            if (blurred) {
                PatBlt(ds.dc, 0, 0, width, height, WHITENESS);
                if (width - kw > 0 && height - kh > 0) {
                    SIZE sz;
                    GetBitmapSize(shape, &sz);
                    StretchBlt(ds.dc, kw / 2, kh / 2, width - kw, height - kh, dshape.dc, 0, 0, sz.cx, sz.cy, SRCCOPY);
                }
            } else {
                BitBlt(ds.dc, 0, 0, width, height, dshape.dc, 0, 0, SRCCOPY);
            }
            BitBlt(dd.dc, 0, 0, width, height, dc, x, y, SRCCOPY);
            GdiFlush();
            const size_t n = (size_t)width * height;
            if (blurred) {
                // Running sums over a grid padded with white, first along rows, then along columns.
                const int pw = width + kw - 1, ph = height + kh - 1;
                std::vector<int> rowSums((size_t)ph * width);
                for (int py = 0; py < ph; ++py) {
                    int sy = py - kh / 2;
                    auto value = [&](int px) {
                        int sx = px - kw / 2;
                        if (sy < 0 || sy >= height || sx < 0 || sx >= width) return 255;
                        return (int)(s[(size_t)sy * width + sx] & 0xFF);
                    };
                    int sum = 0;
                    for (int px = 0; px < kw; ++px) sum += value(px);
                    for (int ox = 0; ox < width; ++ox) {
                        rowSums[(size_t)py * width + ox] = sum;
                        if (ox + kw < pw) sum += value(ox + kw) - value(ox);
                    }
                }
                const double div = (double)kw * kh * 255;
                for (int ox = 0; ox < width; ++ox) {
                    int sum = 0;
                    for (int py = 0; py < kh; ++py) sum += rowSums[(size_t)py * width + ox];
                    for (int oy = 0; oy < height; ++oy) {
                        size_t i = (size_t)oy * width + ox;
                        d[i] = DarkenColor(d[i], sum / div);
                        if (oy + kh < ph) sum += rowSums[(size_t)(oy + kh) * width + ox] - rowSums[(size_t)oy * width + ox];
                    }
                }
            } else {
                for (size_t i = 0; i < n; ++i) d[i] = DarkenColor(d[i], (s[i] & 0xFF) / 255.0);
            }
            BitBlt(dc, x, y, width, height, dd.dc, 0, 0, SRCCOPY);
        }
    }
    if (bmpS) DeleteObject(bmpS);
    if (bmpD) DeleteObject(bmpD);
}

void CDrawManager::DrawBitmap(HDC dc, int x, int y, int width, int height, HBITMAP bitmap, BOOL useMask,
                              COLORREF maskColor, DWORD flags, BOOL shadow, int shadowDx, int shadowDy,
                              int blurWidth, int blurHeight, COLORREF color) {
    alphaSeen_ = 0;
    if (!dc || !bitmap || width <= 0 || height <= 0) return;
    SIZE size;
    GetBitmapSize(bitmap, &size);
    HBITMAP copy = CreateCompatibleBitmap(dc, width, height);
    if (!copy) return;
    {
        SelectedDC src(dc, bitmap), dst(dc, copy);
        if (!src || !dst) {
            DeleteObject(copy);
            return;
        }
        if (size.cx != width || size.cy != height)
            StretchBlt(dst.dc, 0, 0, width, height, src.dc, 0, 0, size.cx, size.cy, SRCCOPY);
        else
            BitBlt(dst.dc, 0, 0, width, height, src.dc, 0, 0, SRCCOPY);
    }
    HBITMAP mask = CreateEffectBitmap(copy, width, height, kImageOneColour | kImageInvert, useMask, maskColor,
                                      RGB(255, 255, 255));
    HBITMAP image = CreateEffectBitmap(copy, width, height, flags, useMask, maskColor, color);
    int ix = x, iy = y;
    if (shadow) {
        if (flags & (kImageShadow | kImageBlurredShadow)) {
            HBITMAP shape = CreateEffectBitmap(copy, width, height, kImageOneColour | kImageInvert, useMask,
                                               maskColor, InvertColor(color));
            if (shape) {
                DrawShadow(dc, x + shadowDx, y + shadowDy, width, height, shape,
                           (flags & kImageBlurredShadow) != 0, blurWidth, blurHeight);
                DeleteObject(shape);
            }
        } else {
            ix += shadowDx;
            iy += shadowDy;
        }
    }
    if (mask && image) {
        SelectedDC dm(dc, mask), di(dc, image);
        if (dm && di) {
            if (alphaSeen_) {
                AlphaBlendBitmap(dc, ix, iy, width, height, di.dc, 0, 0);
            } else {
                BitBlt(dc, ix, iy, width, height, dm.dc, 0, 0, SRCAND);
                BitBlt(dc, ix, iy, width, height, di.dc, 0, 0, SRCPAINT);
            }
        }
    }
    if (mask) DeleteObject(mask);
    if (image) DeleteObject(image);
    DeleteObject(copy);
}

void CDrawManager::DrawBitmapCell(HDC dc, int x, int y, int width, int height, HBITMAP strip, int index,
                                  int cellWidth, int cellHeight, BOOL useMask, COLORREF maskColor, DWORD flags,
                                  BOOL shadow, int shadowDx, int shadowDy, int blurWidth, int blurHeight,
                                  COLORREF color) {
    if (!strip || cellWidth <= 0 || cellHeight <= 0 || index < 0) return;
    SIZE size;
    GetBitmapSize(strip, &size);
    const int cols = size.cx / cellWidth, rows = size.cy / cellHeight;
    if (cols == 0 || rows == 0 || (long long)index >= (long long)cols * rows) return;
    HBITMAP cell = CreateCompatibleBitmap(dc, cellWidth, cellHeight);
    if (!cell) return;
    {
        SelectedDC src(dc, strip), dst(dc, cell);
        if (src && dst)
            BitBlt(dst.dc, 0, 0, cellWidth, cellHeight, src.dc, (index % cols) * cellWidth,
                   (index / cols) * cellHeight, SRCCOPY);
    }
    DrawBitmap(dc, x, y, width, height, cell, useMask, maskColor, flags, shadow, shadowDx, shadowDy, blurWidth,
               blurHeight, color);
    DeleteObject(cell);
}

// ---- tiles ----

void CDrawManager::TileBitmap(HDC dc, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                              int tileWidth, int tileHeight) {
    if (tileWidth <= 0 || tileHeight <= 0) return;
    for (long long ty = y; ty < (long long)y + height; ty += tileHeight)
        for (long long tx = x; tx < (long long)x + width; tx += tileWidth)
            BitBlt(dc, (int)tx, (int)ty, (int)std::min<long long>(tileWidth, x + width - tx),
                   (int)std::min<long long>(tileHeight, y + height - ty), source, sourceX, sourceY, SRCCOPY);
}
