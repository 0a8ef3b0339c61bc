// Helpers shared by the draw manager's sources: 32-bit DIB sections and scoped memory DCs.
#pragma once

#include "win32/win32.h"

namespace drawing {

// A 32-bit DIB section of width x height and its pixels.
inline HBITMAP Create32(int width, int height, DWORD** bits) {
    *bits = nullptr;
    if (width <= 0 || height <= 0) return nullptr;
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* p = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &p, nullptr, 0);
    if (bmp && !p) {
        DeleteObject(bmp);
        return nullptr;
    }
    *bits = static_cast<DWORD*>(p);
    return bmp;
}

// A memory DC with one bitmap selected, undone on scope exit.
struct SelectedDC {
    HDC dc = nullptr;
    HGDIOBJ old = nullptr;
    SelectedDC(HDC like, HBITMAP bmp) {
        dc = CreateCompatibleDC(like);
        if (dc && bmp) old = SelectObject(dc, bmp);
    }
    ~SelectedDC() {
        if (!dc) return;
        if (old) SelectObject(dc, old);
        DeleteDC(dc);
    }
    explicit operator bool() const { return dc && old; }
};

// COLORREF (red low) to DIB pixel order (red in bits 16-23).
inline DWORD ToDib(COLORREF c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

inline int PenStyle(int code) {
    switch (code) {
    case 2: return PS_DASH;
    case 3: return PS_DOT;
    case 4: return PS_DASHDOT;
    case 5: return PS_DASHDOTDOT;
    default: return PS_SOLID;
    }
}

}  // namespace drawing
