// A memory device context on a bitmap of its own, for tests that draw and then read pixels.
#pragma once

#include "afx/gdi.h"

#include <gtest/gtest.h>

class MemoryCanvas : public ::testing::Test {
protected:
    void Open(int width, int height, COLORREF fill)
    {
        HDC screen = GetDC(nullptr);
        dc.Attach(CreateCompatibleDC(screen));
        bitmap = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        old = SelectObject(dc.m_hDC, bitmap);
        dc.FillSolidRect(0, 0, width, height, fill);
    }
    void TearDown() override
    {
        SelectObject(dc.m_hDC, old);
        DeleteObject(bitmap);
        DeleteDC(dc.Detach());
    }
    // Whether any pixel of the rectangle has the colour.
    bool Has(COLORREF colour, int left, int top, int right, int bottom)
    {
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                if (dc.GetPixel(x, y) == colour)
                    return true;
        return false;
    }

    CDC dc;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
};
