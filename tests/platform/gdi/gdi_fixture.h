// A memory DC over a 32-bpp DIB section with direct pixel access, shared by the GDI tests.
#pragma once

#include "win32/gdi.h"

#include <gtest/gtest.h>

class MemDC {
public:
    MemDC(int w, int h, COLORREF fill = RGB(255, 255, 255)) : w_(w), h_(h)
    {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        dc = CreateCompatibleDC(nullptr);
        bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        old = SelectObject(dc, bmp);
        HBRUSH b = CreateSolidBrush(fill);
        RECT r{0, 0, w, h};
        FillRect(dc, &r, b);
        DeleteObject(b);
    }
    ~MemDC()
    {
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
    }
    MemDC(const MemDC&) = delete;
    MemDC& operator=(const MemDC&) = delete;

    // The stored BGRA value, alpha included.
    uint32_t Raw(int x, int y) const { return bits[y * w_ + x]; }
    COLORREF At(int x, int y) const
    {
        uint32_t v = Raw(x, y);
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    void Fill(const RECT& r, COLORREF c)
    {
        HBRUSH b = CreateSolidBrush(c);
        FillRect(dc, &r, b);
        DeleteObject(b);
    }
    // Number of pixels of colour c inside r.
    int Count(const RECT& r, COLORREF c) const
    {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                n += At(x, y) == c;
        return n;
    }
    int Count(COLORREF c) const { return Count(RECT{0, 0, w_, h_}, c); }

    HDC dc;
    HBITMAP bmp;
    HGDIOBJ old;
    uint32_t* bits = nullptr;

private:
    int w_, h_;
};
