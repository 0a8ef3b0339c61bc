// CDrawManager: images in states with masks, shadows and alpha, fill effects, tiling, lines and frames.
#pragma once

#include "controls/dib.h"

// Image-state flags.
enum : int {
    kImageGrey = 1,
    kImageDarker = 2,
    kImageLighter = 4,
    kImageOneColour = 8,
    kImageShadow = 0x100,
    kImageBlurredShadow = 0x200,
    kImageInvert = 0x8000,
};

class CDrawManager {
public:
    CDrawManager();
    virtual ~CDrawManager();

    static void GetIconSize(HICON icon, SIZE* size);
    static void GetBitmapSize(HBITMAP bitmap, SIZE* size);

    void DrawBitmap(HDC dc, int x, int y, int width, int height, HBITMAP bitmap, BOOL useMask, COLORREF maskColor,
                    DWORD flags, BOOL shadow, int shadowDx, int shadowDy, int blurWidth, int blurHeight,
                    COLORREF color);
    void DrawIcon(HDC dc, int x, int y, int width, int height, HICON icon, DWORD flags, BOOL shadow,
                  int shadowDx, int shadowDy, int blurWidth, int blurHeight, COLORREF color);
    void DrawBitmapCell(HDC dc, int x, int y, int width, int height, HBITMAP strip, int index, int cellWidth,
                        int cellHeight, BOOL useMask, COLORREF maskColor, DWORD flags, BOOL shadow, int shadowDx,
                        int shadowDy, int blurWidth, int blurHeight, COLORREF color);
    HBITMAP CreateEffectBitmap(HBITMAP bitmap, int width, int height, DWORD flags, BOOL useMask,
                               COLORREF maskColor, COLORREF color);
    static void AlphaBlendBitmap(HDC dc, int x, int y, int width, int height, HDC source, int sourceX, int sourceY);
    static void DrawShadow(HDC dc, int x, int y, int width, int height, HBITMAP shape, BOOL blurred, int blurWidth,
                           int blurHeight);
    static HICON StretchIcon(HICON icon, int width, int height);

    void FillEffect(HDC dc, int effect, const RECT& rect, COLORREF color1, COLORREF color2, COLORREF color3,
                    int granularity, int blend);
    static void FillGradient(HDC dc, const RECT& rect, COLORREF from, COLORREF to, BOOL horizontal);
    // Paints the texture into the palette bitmap; false when nothing was painted.
    bool FillTexture(const RECT& rect, int effect, int granularity, int blend, COLORREF color1, COLORREF color2,
                     COLORREF color3);
    static void TileBitmap(HDC dc, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                           int tileWidth, int tileHeight);
    static void DrawLine(HDC dc, int x1, int y1, int x2, int y2, COLORREF color, int penCode, int penWidth);
    static void DrawRect(HDC dc, const RECT& rect, COLORREF topLeft, COLORREF bottomRight, int penCode, int penWidth);
    static void DrawRect(HDC dc, int left, int top, int right, int bottom, COLORREF topLeft, COLORREF bottomRight,
                         int penCode, int penWidth);

    // Pixel operations on DIB pixels (red in bits 16-23).
    static DWORD GrayColor(DWORD p);
    static DWORD InvertColor(DWORD p);
    static DWORD DarkenColor(DWORD p, double f);
    static DWORD LightenColor(DWORD p, double f);
    static DWORD BlendColors(DWORD p1, double a, DWORD p2, double b);

    CDib& Dib() { return dib_; }
    bool AlphaSeen() const { return alphaSeen_ != 0; }

private:
    CDib dib_;
    int alphaSeen_ = 0;
};
