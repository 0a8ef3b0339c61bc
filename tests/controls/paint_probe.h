// Paints a window into a memory bitmap through WM_PRINTCLIENT, so tests can read its pixels.
#pragma once

#include "win32/win32.h"

class PaintProbe {
public:
    PaintProbe(int width, int height, COLORREF fill = RGB(1, 2, 3)) {
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        old_ = SelectObject(dc_, bitmap_);
        RECT all{0, 0, width, height};
        HBRUSH brush = CreateSolidBrush(fill);
        FillRect(dc_, &all, brush);
        DeleteObject(brush);
    }
    ~PaintProbe() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    PaintProbe(const PaintProbe&) = delete;
    PaintProbe& operator=(const PaintProbe&) = delete;

    PaintProbe& Print(HWND hwnd) {
        SendMessageW(hwnd, WM_PRINTCLIENT, (WPARAM)dc_, PRF_CLIENT);
        return *this;
    }
    COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
    // Whether any pixel of the rectangle has the colour.
    bool Has(const RECT& r, COLORREF c) const {
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (At(x, y) == c)
                    return true;
        return false;
    }
    HDC dc() const { return dc_; }

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};
