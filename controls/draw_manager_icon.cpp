// Icons of the draw manager: sizes, stretching and drawing through the icon's own mask.
#include "controls/draw_manager.h"
#include "controls/draw_manager_internal.h"

using namespace drawing;

void CDrawManager::GetIconSize(HICON icon, SIZE* size) {
    *size = SIZE{0, 0};
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return;
    size->cx = (LONG)info.xHotspot * 2;
    size->cy = (LONG)info.yHotspot * 2;
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
}

HICON CDrawManager::StretchIcon(HICON icon, int width, int height) {
    ICONINFO info{};
    if (!icon || width <= 0 || height <= 0 || !GetIconInfo(icon, &info)) return nullptr;
    const int sw = (int)info.xHotspot * 2, sh = (int)info.yHotspot * 2;
    HBITMAP made[2] = {nullptr, nullptr};
    HBITMAP sources[2] = {info.hbmMask, info.hbmColor};
    for (int i = 0; i < 2; ++i) {
        BITMAP bm{};
        if (!sources[i] || !GetObjectW(sources[i], sizeof(bm), &bm)) continue;
        made[i] = CreateBitmap(width, height, bm.bmPlanes, bm.bmBitsPixel, nullptr);
        if (!made[i]) continue;
        SelectedDC src(nullptr, sources[i]), dst(nullptr, made[i]);
        if (src && dst) StretchBlt(dst.dc, 0, 0, width, height, src.dc, 0, 0, sw, sh, SRCCOPY);
    }
    HICON result = nullptr;
    if (made[0]) {
        ICONINFO out{};
        out.fIcon = TRUE;
        out.hbmMask = made[0];
        out.hbmColor = made[1];
        result = CreateIconIndirect(&out);
    }
    for (HBITMAP b : made)
        if (b) DeleteObject(b);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    return result;
}

void CDrawManager::DrawIcon(HDC dc, int x, int y, int width, int height, HICON icon, DWORD flags, BOOL shadow,
                            int shadowDx, int shadowDy, int blurWidth, int blurHeight, COLORREF color) {
    alphaSeen_ = 0;
    if (!dc || !icon || width <= 0 || height <= 0) return;
    SIZE size;
    GetIconSize(icon, &size);
    HICON sized = nullptr;
    if (size.cx != width || size.cy != height) {
        sized = StretchIcon(icon, width, height);
        if (!sized) return;
    }
    ICONINFO info{};
    if (!GetIconInfo(sized ? sized : icon, &info)) {
        if (sized) DestroyIcon(sized);
        return;
    }
    const bool oneColour = (flags & kImageOneColour) || !info.hbmColor;
    HBITMAP source = oneColour ? info.hbmMask : info.hbmColor;
    const COLORREF transparent = oneColour ? RGB(255, 255, 255) : RGB(0, 0, 0);
    HBITMAP image = CreateEffectBitmap(source, width, height, flags, TRUE, transparent, color);
    int ix = x, iy = y;
    if (shadow) {
        if (flags & (kImageShadow | kImageBlurredShadow)) {
            HBITMAP shape = CreateEffectBitmap(info.hbmMask, width, height, kImageOneColour | kImageInvert, TRUE,
                                               RGB(255, 255, 255), InvertColor(color));
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
    if (image) {
        SelectedDC dm(dc, info.hbmMask), di(dc, image);
        if (dm && di) {
            if (alphaSeen_) {
                AlphaBlendBitmap(dc, ix, iy, width, height, di.dc, 0, 0);
            } else {
                // A one-bit mask expands through the DC's colours: 0 to the text colour, 1 to the background.
                COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
                COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
                BitBlt(dc, ix, iy, width, height, dm.dc, 0, 0, SRCAND);
                BitBlt(dc, ix, iy, width, height, di.dc, 0, 0, SRCPAINT);
                SetTextColor(dc, oldText);
                SetBkColor(dc, oldBack);
            }
        }
        DeleteObject(image);
    }
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (sized) DestroyIcon(sized);
}

