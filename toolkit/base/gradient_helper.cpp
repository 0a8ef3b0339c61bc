// Two-colour gradients through the system gradient with a banded fallback, clipped and split fills.
#include "toolkit/base/draw_helpers.h"

#include "win32/kernel.h"

#include <algorithm>

CTKPGradientHelper::CTKPGradientHelper()
{
    m_hMsImg32 = LoadLibraryW(u"msimg32.dll");
    if (m_hMsImg32)
        m_pfnGradientFill = reinterpret_cast<PFN_GRADIENTFILL>(reinterpret_cast<void*>(GetProcAddress(m_hMsImg32, "GradientFill")));
}

CTKPGradientHelper::~CTKPGradientHelper()
{
    if (m_hMsImg32)
        FreeLibrary(m_hMsImg32);
}

CTKPGradientHelper& GetGradientHelper()
{
    // Made on first use rather than at start-up: the layer's module table is itself filled by
    // static initialisers, whose order across libraries is not fixed.
    static CTKPGradientHelper helper;
    return helper;
}

void CTKPGradientHelper::FillBanded(HDC hdc, const RECT& rc, COLORREF c1, COLORREF c2, BOOL bHorz)
{
    int width = std::max<int>(rc.right - rc.left, 1), height = std::max<int>(rc.bottom - rc.top, 1);
    RECT area{};
    RECT clip{};
    GetClipBox(hdc, &clip);
    if (clip.right <= clip.left || clip.bottom <= clip.top) {
        area = rc;
    } else {
        area.left = std::max(clip.left, rc.left);
        area.top = std::max(clip.top, rc.top);
        area.right = std::min(clip.right, rc.right);
        area.bottom = std::min(clip.bottom, rc.bottom);
        if (area.right <= area.left || area.bottom <= area.top)
            return;
    }
    if (bHorz) {
        for (int x = area.left; x < area.right; ++x) {
            COLORREF c = BlendColorsByFactor(c1, c2, 1.0f - float(x - rc.left) / float(width));
            HBRUSH b = CreateSolidBrush(c);
            RECT line{x, area.top, x + 1, area.bottom};
            FillRect(hdc, &line, b);
            DeleteObject(b);
        }
    } else {
        for (int y = area.top; y < area.bottom; ++y) {
            COLORREF c = BlendColorsByFactor(c1, c2, 1.0f - float(y - rc.top) / float(height));
            HBRUSH b = CreateSolidBrush(c);
            RECT line{area.left, y, area.right, y + 1};
            FillRect(hdc, &line, b);
            DeleteObject(b);
        }
    }
}

void CTKPGradientHelper::GradientFillRect(HDC hdc, const RECT& rc, COLORREF c1, COLORREF c2, BOOL bHorz)
{
    if (rc.right <= rc.left || rc.bottom <= rc.top)
        return;
    if (c1 == c2 || IsLowColorDisplay(hdc)) {
        HBRUSH b = CreateSolidBrush(c1);
        FillRect(hdc, &rc, b);
        DeleteObject(b);
        return;
    }
    if (!m_pfnGradientFill) {
        FillBanded(hdc, rc, c1, c2, bHorz);
        return;
    }
    TRIVERTEX v[2] = {
        {rc.left, rc.top, USHORT(GetRValue(c1) << 8), USHORT(GetGValue(c1) << 8), USHORT(GetBValue(c1) << 8), 0},
        {rc.right, rc.bottom, USHORT(GetRValue(c2) << 8), USHORT(GetGValue(c2) << 8), USHORT(GetBValue(c2) << 8), 0},
    };
    GRADIENT_RECT mesh{0, 1};
    m_pfnGradientFill(hdc, v, 2, &mesh, 1, bHorz ? GRADIENT_FILL_RECT_H : GRADIENT_FILL_RECT_V);
}

void CTKPGradientHelper::GradientFillClipped(HDC hdc, const RECT& rc, COLORREF c1, COLORREF c2, BOOL bHorz,
                                             const RECT* clip)
{
    if (!clip) {
        GradientFillRect(hdc, rc, c1, c2, bHorz);
        return;
    }
    RECT cut{std::max(rc.left, clip->left), std::max(rc.top, clip->top), std::min(rc.right, clip->right),
             std::min(rc.bottom, clip->bottom)};
    if (cut.right <= cut.left || cut.bottom <= cut.top)
        return;
    // Colours at the cut edges are those the full gradient has there, so the visible part matches.
    LONG start = bHorz ? rc.left : rc.top, end = bHorz ? rc.right : rc.bottom;
    LONG newStart = bHorz ? cut.left : cut.top, newEnd = bHorz ? cut.right : cut.bottom;
    float span = float(end - start);
    COLORREF from = c1, to = c2;
    if (span > 0) {
        if (newStart != start)
            from = BlendColorsByFactor(c1, c2, float(end - newStart) / span);
        if (newEnd != end)
            to = BlendColorsByFactor(c1, c2, float(end - newEnd) / span);
    }
    GradientFillRect(hdc, cut, from, to, bHorz);
}

void CTKPGradientHelper::GradientFillColor(HDC hdc, const RECT& rc, const CTKPGradientColor& gradient, BOOL bHorz,
                                           const RECT* clip)
{
    COLORREF light = gradient.Light(), dark = gradient.Dark();
    if (gradient.m_fFactor == 0.5f) {
        GradientFillClipped(hdc, rc, light, dark, bHorz, clip);
        return;
    }
    COLORREF middle = BlendColorsByFactor(light, dark, gradient.m_fFactor);
    RECT first = rc, second = rc;
    if (bHorz)
        first.right = second.left = rc.left + (rc.right - rc.left) / 2;
    else
        first.bottom = second.top = rc.top + (rc.bottom - rc.top) / 2;
    GradientFillClipped(hdc, first, light, middle, bHorz, clip);
    GradientFillClipped(hdc, second, middle, dark, bHorz, clip);
}
