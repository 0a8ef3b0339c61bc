// Alpha blending, gradient fills, and blits from device-independent bitmaps in the caller's memory.
#include "win32/gdi/blit.h"
#include "win32/gdi/dib_view.h"

using namespace gdi;

namespace {

inline uint32_t Mul255(uint32_t a, uint32_t b)
{
    uint32_t t = a * b + 128;
    return (t + (t >> 8)) >> 8;
}

} // namespace

BOOL AlphaBlend(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc, int wSrc,
                int hSrc, BLENDFUNCTION ftn)
{
    GDI_LOCK;
    DC* dst = DCOf(hdcDest);
    DC* src = DCOf(hdcSrc);
    if (!dst || !src)
        return FALSE;
    const Bitmap& sb = src->Target();
    int sx = src->TX(xSrc), sy = src->TY(ySrc);
    // Unlike the other blits, a source rectangle outside its bitmap is an error here.
    if (ftn.BlendOp != AC_SRC_OVER || wDest < 0 || hDest < 0 || wSrc < 0 || hSrc < 0 || sx < 0 || sy < 0 ||
        int64_t(sx) + wSrc > sb.width || int64_t(sy) + hSrc > sb.height ||
        ((ftn.AlphaFormat & AC_SRC_ALPHA) && sb.bpp != 32)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (wDest == 0 || hDest == 0 || wSrc == 0 || hSrc == 0)
        return TRUE;
    auto detached = DetachIfShared(sb, dst->Target());
    const Bitmap& s = detached ? *detached : sb;
    Bitmap& t = dst->Target();
    SourceConv conv(s, src->st.bkColor, t, dst->st.textColor, dst->st.bkColor);
    bool perPixel = ftn.AlphaFormat & AC_SRC_ALPHA;
    uint32_t sca = ftn.SourceConstantAlpha;
    int64_t x0 = dst->TX(xDest), y0 = dst->TY(yDest);
    RECT box = dst->Clip().Box();
    int64_t cx0 = std::max<int64_t>(x0, box.left), cx1 = std::min<int64_t>(x0 + wDest, box.right);
    int64_t cy0 = std::max<int64_t>(y0, box.top), cy1 = std::min<int64_t>(y0 + hDest, box.bottom);
    for (int64_t y = cy0; y < cy1; ++y)
        ClipSpan(*dst, int(y), int(std::max<int64_t>(cx0, INT32_MIN)), int(std::min<int64_t>(cx1, INT32_MAX)),
                 [&](int yy, int a, int e) {
                     int srow = sy + int((int64_t(yy) - y0) * hSrc / hDest);
                     for (int x = a; x < e; ++x) {
                         int scol = sx + int((int64_t(x) - x0) * wSrc / wDest);
                         uint32_t sv = s.Get(scol, srow);
                         uint32_t d = t.Get(x, yy);
                         if (t.bpp != 32) {
                             // Blending needs colours; other depths go through them.
                             COLORREF sc = s.ToColor(sv), dc = t.ToColor(d);
                             uint32_t k = sca;
                             auto ch = [&](int sh) {
                                 uint32_t sc8 = (sc >> sh) & 0xFF, dc8 = (dc >> sh) & 0xFF;
                                 return Mul255(sc8, k) + Mul255(dc8, 255 - k);
                             };
                             t.Set(x, yy, t.FromColor(RGB(ch(0), ch(8), ch(16))));
                             continue;
                         }
                         if (s.bpp != 32)
                             sv = conv(sv);
                         uint32_t sa = perPixel ? Mul255(sv >> 24, sca) : sca;
                         uint32_t out = 0;
                         for (int sh = 0; sh < 32; sh += 8) {
                             uint32_t sc = (sv >> sh) & 0xFF, dc = (d >> sh) & 0xFF;
                             if (!perPixel && sh == 24)
                                 sc = 0; // a source without alpha contributes none
                             uint32_t v = Mul255(sc, sca) + Mul255(dc, 255 - sa);
                             out |= std::min<uint32_t>(v, 255) << sh;
                         }
                         t.Set(x, yy, out);
                     }
                 });
    return TRUE;
}

BOOL GradientFill(HDC hdc, PTRIVERTEX pVertex, ULONG nVertex, PVOID pMesh, ULONG nMesh, ULONG ulMode)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return FALSE;
    if (!pVertex || !pMesh || (ulMode != GRADIENT_FILL_RECT_H && ulMode != GRADIENT_FILL_RECT_V)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Bitmap& t = dc->Target();
    const auto* rects = static_cast<const GRADIENT_RECT*>(pMesh);
    for (ULONG m = 0; m < nMesh; ++m) {
        if (rects[m].UpperLeft >= nVertex || rects[m].LowerRight >= nVertex) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        TRIVERTEX a = pVertex[rects[m].UpperLeft], b = pVertex[rects[m].LowerRight];
        if (a.x > b.x)
            std::swap(a.x, b.x);
        if (a.y > b.y)
            std::swap(a.y, b.y);
        int64_t x0 = dc->TX(a.x), x1 = dc->TX(b.x), y0 = dc->TY(a.y), y1 = dc->TY(b.y);
        bool horizontal = ulMode == GRADIENT_FILL_RECT_H;
        int64_t span = horizontal ? x1 - x0 : y1 - y0;
        if (span <= 0 || y1 <= y0 || x1 <= x0)
            continue;
        auto at = [&](int64_t pos) {
            auto lerp = [&](USHORT c0, USHORT c1) { return uint32_t((int64_t(c0) + (int64_t(c1) - c0) * pos / span) >> 8); };
            const TRIVERTEX& va = pVertex[rects[m].UpperLeft];
            const TRIVERTEX& vb = pVertex[rects[m].LowerRight];
            uint32_t r = lerp(va.Red, vb.Red), g = lerp(va.Green, vb.Green), bl = lerp(va.Blue, vb.Blue),
                     al = lerp(va.Alpha, vb.Alpha);
            if (t.bpp == 32)
                return al << 24 | r << 16 | g << 8 | bl;
            return t.FromColor(RGB(r, g, bl));
        };
        RECT box = dc->Clip().Box();
        int64_t cy0 = std::max<int64_t>(y0, box.top), cy1 = std::min<int64_t>(y1, box.bottom);
        int64_t cx0 = std::max<int64_t>(x0, box.left), cx1 = std::min<int64_t>(x1, box.right);
        for (int64_t y = cy0; y < cy1; ++y)
            if (cx0 < cx1)
                ClipSpan(*dc, int(y), int(cx0), int(cx1), [&](int yy, int xa, int xe) {
                    for (int x = xa; x < xe; ++x)
                        t.Set(x, yy, at(horizontal ? x - x0 : yy - y0));
                });
    }
    return TRUE;
}

namespace {

int DibBlit(DC& dc, int xDest, int yDest, int wDest, int hDest, int sx, int sy, int wSrc, int hSrc,
            const DibView& view, DWORD rop)
{
    SourceConv conv(view.bmp, dc.st.bkColor, dc.Target(), dc.st.textColor, dc.st.bkColor);
    RECT d{dc.TX(xDest), dc.TY(yDest), dc.TX(xDest) + wDest, dc.TY(yDest) + hDest};
    BlitCore(dc, d, &view.bmp, &conv, sx, sy, wSrc, hSrc, rop, dc.st.stretchMode);
    return view.bmp.height;
}

} // namespace

int StretchDIBits(HDC hdc, int xDest, int yDest, int DestWidth, int DestHeight, int xSrc, int ySrc, int SrcWidth,
                  int SrcHeight, const void* lpBits, const BITMAPINFO* lpbmi, UINT iUsage, DWORD rop)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return 0;
    DibView v;
    if (!lpBits || !v.Init(lpbmi, lpBits, iUsage, &dc->st.palette->entries)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // For bottom-up bits the source origin is the lower-left corner.
    int sy = v.bmp.topDown ? ySrc : v.bmp.height - ySrc - SrcHeight;
    return DibBlit(*dc, xDest, yDest, DestWidth, DestHeight, xSrc, sy, SrcWidth, SrcHeight, v, rop);
}

int SetDIBitsToDevice(HDC hdc, int xDest, int yDest, DWORD w, DWORD h, int xSrc, int ySrc, UINT StartScan,
                      UINT cLines, const void* lpvBits, const BITMAPINFO* lpbmi, UINT ColorUse)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return 0;
    DibView v;
    if (!lpvBits || !v.Init(lpbmi, lpvBits, ColorUse, &dc->st.palette->entries) || w > 0x7FFFFFFF ||
        h > 0x7FFFFFFF) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int fullHeight = v.bmp.height;
    if (StartScan >= UINT(fullHeight))
        return 0;
    cLines = std::min<UINT>(cLines, UINT(fullHeight) - StartScan);
    // The supplied bits hold only scan lines StartScan .. StartScan + cLines.
    v.bmp.height = int(cLines);
    int sy = v.bmp.topDown ? ySrc - int(StartScan) : int(StartScan + cLines) - ySrc - int(h);
    DibBlit(*dc, xDest, yDest, int(w), int(h), xSrc, sy, int(w), int(h), v, SRCCOPY);
    return int(cLines);
}
