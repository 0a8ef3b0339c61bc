// Drawing helpers every toolkit painter uses: buffered DCs, scoped selections, colour mixing,
// two-colour gradients with a software fallback, triangles, corner clipping and mnemonic stripping.
#pragma once

#include "afx/gdi.h"
#include "afx/string.h"
#include "toolkit/base/color_value.h"
#include "win32/gdi.h"

// ---- Rectangles --------------------------------------------------------------------------------
struct CTKPEmptyRect : RECT {
    CTKPEmptyRect() : RECT{0, 0, 0, 0} {}
};

// ---- Buffered device contexts ------------------------------------------------------------------
// Drawing keeps the target's coordinates: the bitmap spans (0, 0)-(right, bottom) and only the
// rectangle is copied back when the object goes out of scope.
class CTKPOffscreenDC : public CDC {
public:
    CTKPOffscreenDC(HDC hdcTarget, int left, int top, int right, int bottom);
    CTKPOffscreenDC(HDC hdcTarget, const RECT& rc) : CTKPOffscreenDC(hdcTarget, rc.left, rc.top, rc.right, rc.bottom) {}
    ~CTKPOffscreenDC() override;
    CTKPOffscreenDC(const CTKPOffscreenDC&) = delete;
    CTKPOffscreenDC& operator=(const CTKPOffscreenDC&) = delete;

private:
    HDC m_hdcTarget;
    HBITMAP m_bitmap = nullptr;
    RECT m_rect;
    HGDIOBJ m_oldBitmap = nullptr;
};

// A DC compatible with another one with a given bitmap selected; nothing is copied back.
class CTKPMemoryDC : public CDC {
public:
    CTKPMemoryDC(HDC hdc, HBITMAP bitmap);
    ~CTKPMemoryDC() override;
    CTKPMemoryDC(const CTKPMemoryDC&) = delete;
    CTKPMemoryDC& operator=(const CTKPMemoryDC&) = delete;

private:
    HGDIOBJ m_oldBitmap = nullptr;
};

// A buffer of the rectangle's size, filled with a background gradient unless the gradient has no
// dark colour at all; drawing uses coordinates relative to the rectangle's top-left corner.
class CTKMemDC : public CDC {
    DECLARE_DYNAMIC(CTKMemDC)
public:
    CTKMemDC(HDC hdcTarget, const RECT& rc, CTKPGradientColor background = CTKPGradientColor(), BOOL bHorz = FALSE);
    ~CTKMemDC() override;
    CTKMemDC(const CTKMemDC&) = delete;
    CTKMemDC& operator=(const CTKMemDC&) = delete;

    BOOL IsValid() const { return m_bValid; }
    const RECT& GetRect() const { return m_rect; }

private:
    HDC m_hdcTarget;
    RECT m_rect;
    BOOL m_bValid = FALSE;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
};

// ---- Scoped selections (undone in reverse order of creation) ------------------------------------
class CTKPSelectGdiObject {
public:
    CTKPSelectGdiObject(HDC hdc, HGDIOBJ obj) : m_hdc(hdc), m_old(obj ? SelectObject(hdc, obj) : nullptr) {}
    virtual ~CTKPSelectGdiObject()
    {
        if (m_old)
            SelectObject(m_hdc, m_old);
    }
    CTKPSelectGdiObject(const CTKPSelectGdiObject&) = delete;
    CTKPSelectGdiObject& operator=(const CTKPSelectGdiObject&) = delete;

private:
    HDC m_hdc;
    HGDIOBJ m_old;
};

class CTKPSelectFont : public CTKPSelectGdiObject {
public:
    CTKPSelectFont(HDC hdc, HFONT font) : CTKPSelectGdiObject(hdc, font) {}
};

class CTKPSelectPen {
public:
    CTKPSelectPen(HDC hdc, COLORREF color);
    virtual ~CTKPSelectPen();
    CTKPSelectPen(const CTKPSelectPen&) = delete;
    CTKPSelectPen& operator=(const CTKPSelectPen&) = delete;
    void SetColor(COLORREF color);
    COLORREF GetColor() const;

private:
    HPEN m_pen = nullptr;
    HDC m_hdc;
    HGDIOBJ m_old = nullptr;
};

class CTKPSelectBrush {
public:
    CTKPSelectBrush(HDC hdc, COLORREF color);
    virtual ~CTKPSelectBrush();
    CTKPSelectBrush(const CTKPSelectBrush&) = delete;
    CTKPSelectBrush& operator=(const CTKPSelectBrush&) = delete;
    void SetColor(COLORREF color);
    COLORREF GetColor() const;

private:
    HBRUSH m_brush = nullptr;
    HDC m_hdc;
    HGDIOBJ m_old = nullptr;
};

// ---- Colours -----------------------------------------------------------------------------------
COLORREF BlendColorsByFactor(COLORREF c1, COLORREF c2, float factor);
void BlendColorRef(COLORREF& color, COLORREF other, int percent);
void SubtractColorRef(COLORREF& color, COLORREF other);
// entries holds count points: each pixel is followed by the offset of its partner. A trailing
// point without a partner is ignored.
void BlendPixelPairs(HDC hdc, const POINT* entries, int count);
BOOL IsLowColorDisplay(HDC hdc = nullptr);

// ---- Gradients ---------------------------------------------------------------------------------
typedef BOOL (*PFN_GRADIENTFILL)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

class CTKPGradientHelper {
public:
    CTKPGradientHelper();
    ~CTKPGradientHelper();

    void GradientFillRect(HDC hdc, const RECT& rc, COLORREF c1, COLORREF c2, BOOL bHorz);
    void GradientFillClipped(HDC hdc, const RECT& rc, COLORREF c1, COLORREF c2, BOOL bHorz, const RECT* clip);
    void GradientFillColor(HDC hdc, const RECT& rc, const CTKPGradientColor& gradient, BOOL bHorz,
                           const RECT* clip = nullptr);

    // The bound system gradient; null selects the banded fallback.
    PFN_GRADIENTFILL GetGradientFill() const { return m_pfnGradientFill; }
    void SetGradientFill(PFN_GRADIENTFILL pfn) { m_pfnGradientFill = pfn; }

private:
    void FillBanded(HDC hdc, const RECT& rc, COLORREF c1, COLORREF c2, BOOL bHorz);

    HMODULE m_hMsImg32 = nullptr;
    PFN_GRADIENTFILL m_pfnGradientFill = nullptr;
};

CTKPGradientHelper& GetGradientHelper();

// ---- Shapes and clipping -----------------------------------------------------------------------
void DrawTriangle(HDC hdc, POINT p0, POINT p1, POINT p2, COLORREF color);
void FillTriangle(HDC hdc, POINT p0, POINT p1, POINT p2, COLORREF color);
// Leaves the four corner pixels of the rectangle out of the DC's clipping region.
void ExcludeCorners(HDC hdc, const RECT& rc);
// The colour of pixel (0, 0), or -1 when the handle is no bitmap.
COLORREF GetTransparentColor(HBITMAP bitmap);
// An icon of the bitmap, masked by its transparent colour; null without a bitmap or for an empty one.
HICON BitmapToIcon(HBITMAP bitmap);

// A bitmap handle with the two conversions above.
struct CTKPBitmapHandle {
    HBITMAP m_hBitmap = nullptr;
    COLORREF GetTransparentColor() const { return ::GetTransparentColor(m_hBitmap); }
    HICON BitmapToIcon() const { return ::BitmapToIcon(m_hBitmap); }
};

// ---- Text --------------------------------------------------------------------------------------
// "&File" -> "File", "A&&B" -> "A&B", a trailing "&" is dropped. One rule for measuring and drawing.
void StripMnemonics(CString& text);
CString StripMnemonicsCopy(const CString& text);

// ---- Fonts -------------------------------------------------------------------------------------
BOOL FontExists(LPCWSTR face);
// The face of toolkit fonts: the GUI font's own for a non-Western character set, else "Tahoma"
// when asked for and installed, else "Arial".
CString GetDefaultFontFace(BOOL preferTahoma);
