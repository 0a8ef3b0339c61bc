// Raster operations, brush realisation, pattern and bitmap blits, rectangle fills and single pixels.
#include "win32/gdi/blit.h"

#include <cstring>

namespace gdi {

uint32_t Rop3(uint8_t code, uint32_t p, uint32_t s, uint32_t d)
{
    switch (code) {
    case 0x00: return 0;
    case 0xFF: return ~0u;
    case 0xCC: return s;
    case 0xF0: return p;
    case 0xAA: return d;
    case 0x55: return ~d;
    case 0x33: return ~s;
    case 0x88: return s & d;
    case 0xEE: return s | d;
    case 0x66: return s ^ d;
    case 0x5A: return p ^ d;
    case 0xC0: return p & s;
    case 0xB8: return (p & ~s) | (s & d); // where the source is 1, keep the destination
    case 0xE2: return (d & ~s) | (p & s);
    }
    // The code's bit (P<<2 | S<<1 | D) gives the result for that combination of input bits.
    uint32_t r = 0;
    for (int i = 0; i < 8; ++i)
        if (code & (1 << i))
            r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
    return r;
}

uint32_t Rop2(int rop2, uint32_t p, uint32_t d)
{
    int code = (rop2 - 1) & 15; // bit (P<<1 | D)
    switch (code) {
    case 12: return p;
    case 6: return p ^ d;
    case 10: return d;
    }
    uint32_t r = 0;
    for (int i = 0; i < 4; ++i)
        if (code & (1 << i))
            r |= ((i & 2) ? p : ~p) & ((i & 1) ? d : ~d);
    return r;
}

namespace {

const uint8_t kHatch[6][8] = {
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF}, // HS_HORIZONTAL
    {0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01}, // HS_VERTICAL
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01}, // HS_FDIAGONAL
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80}, // HS_BDIAGONAL
    {0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0xFF}, // HS_CROSS
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81}, // HS_DIAGCROSS
};

} // namespace

uint32_t BrushFill::At(int x, int y, bool* draw) const
{
    if (solid) {
        *draw = true;
        return value;
    }
    int px = (x - orgX) % w, py = (y - orgY) % h;
    if (px < 0)
        px += w;
    if (py < 0)
        py += h;
    size_t i = size_t(py) * size_t(w) + size_t(px);
    *draw = opaque.empty() || opaque[i];
    return pat[i];
}

BrushFill RealiseBrush(DC& dc, const Brush* brush)
{
    BrushFill f;
    const Bitmap& t = dc.Target();
    if (!brush || brush->style == BS_NULL)
        return f;
    f.null = false;
    f.orgX = dc.origin.x + dc.st.brushOrg.x;
    f.orgY = dc.origin.y + dc.st.brushOrg.y;
    if (brush->style == BS_SOLID) {
        f.value = t.FromColor(brush->dcBrush ? dc.st.dcBrushColor : brush->color);
        return f;
    }
    f.solid = false;
    if (brush->style == BS_HATCHED) {
        f.w = f.h = 8;
        uint32_t fg = t.FromColor(brush->color), bg = t.FromColor(dc.st.bkColor);
        bool transparent = dc.st.bkMode == TRANSPARENT;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                bool on = (kHatch[brush->hatch][y] >> (7 - x)) & 1;
                f.pat.push_back(on ? fg : bg);
                if (transparent)
                    f.opaque.push_back(on);
            }
        if (!transparent)
            f.opaque.clear();
        return f;
    }
    const Bitmap& p = *brush->pattern;
    f.w = p.width;
    f.h = p.height;
    f.pat.resize(size_t(f.w) * size_t(f.h));
    // A monochrome pattern takes the DC's colours: 1 the background, 0 the text colour.
    uint32_t one = t.FromColor(dc.st.bkColor), zero = t.FromColor(dc.st.textColor);
    for (int y = 0; y < f.h; ++y)
        for (int x = 0; x < f.w; ++x) {
            uint32_t v = p.Get(x, y);
            uint32_t out;
            if (p.bpp == 1 && !p.dib)
                out = t.bpp == 1 ? v : (v ? one : zero);
            else if (p.bpp == 32 && t.bpp == 32)
                out = v & 0x00FFFFFF;
            else
                out = t.FromColor(p.ToColor(v));
            f.pat[size_t(y) * size_t(f.w) + size_t(x)] = out;
        }
    return f;
}

void FillRegionRop(DC& dc, const RegionData& rgn, const BrushFill& brush, uint8_t rop3)
{
    Bitmap& t = dc.Target();
    uint32_t mask = t.Mask();
    bool usesP = ((rop3 >> 4) ^ rop3) & 0x0F;
    if (brush.null && usesP)
        return;
    for (const Band& band : rgn.bands)
        for (int y = band.y0; y < band.y1; ++y)
            for (const Span& s : band.spans)
                ClipSpan(dc, y, s.x0, s.x1, [&](int yy, int x0, int x1) {
                    if (t.bpp == 32 && brush.solid && rop3 == 0xF0) {
                        uint32_t* row = reinterpret_cast<uint32_t*>(t.Row(yy));
                        std::fill(row + x0, row + x1, brush.value);
                        return;
                    }
                    for (int x = x0; x < x1; ++x) {
                        bool draw = true;
                        uint32_t p = usesP ? brush.At(x, yy, &draw) : 0;
                        if (!draw)
                            continue;
                        t.Set(x, yy, Rop3(rop3, p, 0, t.Get(x, yy)) & mask);
                    }
                });
}

void FillSpanRop2(DC& dc, int y, int x0, int x1, uint32_t value, int rop2)
{
    Bitmap& t = dc.Target();
    uint32_t mask = t.Mask();
    ClipSpan(dc, y, x0, x1, [&](int yy, int a, int e) {
        if (t.bpp == 32 && rop2 == R2_COPYPEN) {
            uint32_t* row = reinterpret_cast<uint32_t*>(t.Row(yy));
            std::fill(row + a, row + e, value);
            return;
        }
        for (int x = a; x < e; ++x)
            t.Set(x, yy, Rop2(rop2, value, t.Get(x, yy)) & mask);
    });
}

void FillRegionRop2(DC& dc, const RegionData& rgn, uint32_t value, int rop2)
{
    for (const Band& band : rgn.bands)
        for (int y = band.y0; y < band.y1; ++y)
            for (const Span& s : band.spans)
                FillSpanRop2(dc, y, s.x0, s.x1, value, rop2);
}

HBRUSH ResolveBrush(HBRUSH hbr)
{
    // Window classes pass a system colour index plus one in place of a brush.
    uintptr_t v = (uintptr_t)hbr;
    if (v >= 1 && v <= COLOR_MENUBAR + 1)
        return GetSysColorBrush(int(v - 1));
    return hbr;
}

bool PatFill(DC& dc, const RECT& logical, const Brush* brush, uint8_t rop3)
{
    RECT t = ToTarget(dc, logical);
    RECT box = dc.Clip().Box();
    t.left = std::max(t.left, box.left);
    t.top = std::max(t.top, box.top);
    t.right = std::min(t.right, box.right);
    t.bottom = std::min(t.bottom, box.bottom);
    if (t.left >= t.right || t.top >= t.bottom)
        return true;
    FillRegionRop(dc, RegionData::FromRect(t), RealiseBrush(dc, brush), rop3);
    return true;
}

SourceConv::SourceConv(const Bitmap& src, COLORREF srcBk, const Bitmap& dst, COLORREF dstText, COLORREF dstBk)
    : src_(src), dst_(dst)
{
    if (src.bpp == 32 && dst.bpp == 32)
        kind_ = Same;
    else if (src.bpp == 1 && !src.dib) {
        if (dst.bpp == 1)
            kind_ = Same;
        else {
            kind_ = Lut;
            lut_ = {dst.FromColor(dstText), dst.FromColor(dstBk)};
        }
    } else if (dst.bpp == 1 && src.bpp != 1) {
        // Colour to monochrome: the source DC's background colour becomes 1, all else 0.
        kind_ = ToMono;
        bk_ = srcBk & 0x00FFFFFF;
    } else if (src.bpp <= 8) {
        kind_ = Lut;
        for (uint32_t i = 0; i < (1u << src.bpp); ++i)
            lut_.push_back(dst.FromColor(src.ToColor(i)));
    } else if (src.bpp == dst.bpp && src.bpp != 16) {
        kind_ = Same;
    } else {
        kind_ = Colour;
    }
}

uint32_t SourceConv::operator()(uint32_t v) const
{
    switch (kind_) {
    case Same: return v & dst_.Mask();
    case Lut: return v < lut_.size() ? lut_[v] : 0;
    case ToMono: return src_.ToColor(v) == bk_ ? 1 : 0;
    default: return dst_.FromColor(src_.ToColor(v));
    }
}

// Blits a source bitmap into the DC. Dest and source rectangles are in target / bitmap
// pixels; the extents may be negative (mirroring) and huge: only visible pixels are visited.
void BlitCore(DC& dc, const RECT& dst, const Bitmap* src, const SourceConv* conv, int sx, int sy, int sw, int sh,
              DWORD rop, int stretchMode)
{
    Bitmap& t = dc.Target();
    uint8_t code = uint8_t(rop >> 16);
    bool usesS = ((code >> 2) ^ code) & 0x33;
    bool usesP = ((code >> 4) ^ code) & 0x0F;
    BrushFill brush;
    if (usesP) {
        brush = RealiseBrush(dc, dc.st.brush.get());
        if (brush.null)
            return;
    }
    int64_t dx0 = dst.left, dy0 = dst.top, dw = int64_t(dst.right) - dst.left, dh = int64_t(dst.bottom) - dst.top;
    if (dw == 0 || dh == 0 || (usesS && (sw == 0 || sh == 0)))
        return;
    // Work on normalised extents; mirroring is kept as a flag per axis. A negative extent
    // runs back from its starting pixel, which it includes.
    bool mirrorX = (dw < 0) != (sw < 0), mirrorY = (dh < 0) != (sh < 0);
    if (dw < 0) {
        dx0 += dw + 1;
        dw = -dw;
    }
    if (dh < 0) {
        dy0 += dh + 1;
        dh = -dh;
    }
    int64_t sx0 = sx, sy0 = sy, aw = sw, ah = sh;
    if (aw < 0) {
        sx0 += aw + 1;
        aw = -aw;
    }
    if (ah < 0) {
        sy0 += ah + 1;
        ah = -ah;
    }
    RECT box = dc.Clip().Box();
    int64_t cx0 = std::max<int64_t>(dx0, box.left), cx1 = std::min<int64_t>(dx0 + dw, box.right);
    int64_t cy0 = std::max<int64_t>(dy0, box.top), cy1 = std::min<int64_t>(dy0 + dh, box.bottom);
    if (cx0 >= cx1 || cy0 >= cy1)
        return;
    uint32_t mask = t.Mask();
    bool stretch = usesS && (aw != dw || ah != dh);
    // Source index for a destination offset, nearest sample (or the first of its block).
    auto srcX = [&](int64_t x) -> int64_t {
        int64_t o = x - dx0;
        if (mirrorX)
            o = dw - 1 - o;
        return sx0 + (stretch ? o * aw / dw : o);
    };
    auto srcY = [&](int64_t y) -> int64_t {
        int64_t o = y - dy0;
        if (mirrorY)
            o = dh - 1 - o;
        return sy0 + (stretch ? o * ah / dh : o);
    };
    // Shrinking with BLACKONWHITE / WHITEONBLACK / HALFTONE combines the source pixels a
    // destination pixel covers. ANDing or ORing pixel values only keeps black or white lines of
    // monochrome pictures; between two colour bitmaps it would mix unrelated channels into
    // colours the picture never held, so there, as on a true-colour display, rows are dropped.
    if ((stretchMode == BLACKONWHITE || stretchMode == WHITEONBLACK) && src && src->bpp > 1 && t.bpp > 1)
        stretchMode = COLORONCOLOR;
    bool combine = stretch && (aw > dw || ah > dh) && stretchMode != COLORONCOLOR;
    auto sample = [&](int64_t x, int64_t y, bool* ok) -> uint32_t {
        int64_t a = srcX(x), b = srcY(y);
        if (a < 0 || b < 0 || a >= src->width || b >= src->height) {
            *ok = false;
            return 0;
        }
        *ok = true;
        if (!combine)
            return (*conv)(src->Get(int(a), int(b)));
        int64_t o = x - dx0, p = y - dy0;
        if (mirrorX)
            o = dw - 1 - o;
        if (mirrorY)
            p = dh - 1 - p;
        int64_t ax1 = std::min<int64_t>(sx0 + (o + 1) * aw / dw, src->width);
        int64_t by1 = std::min<int64_t>(sy0 + (p + 1) * ah / dh, src->height);
        ax1 = std::max(ax1, a + 1);
        by1 = std::max(by1, b + 1);
        if (stretchMode == HALFTONE && t.bpp > 8) {
            uint64_t r = 0, g = 0, bl = 0, n = 0;
            for (int64_t yy = b; yy < by1; ++yy)
                for (int64_t xx = a; xx < ax1; ++xx) {
                    COLORREF c = t.ToColor((*conv)(src->Get(int(xx), int(yy))));
                    r += GetRValue(c);
                    g += GetGValue(c);
                    bl += GetBValue(c);
                    ++n;
                }
            return t.FromColor(RGB(r / n, g / n, bl / n));
        }
        bool andMode = stretchMode != WHITEONBLACK;
        uint32_t acc = andMode ? ~0u : 0u;
        for (int64_t yy = b; yy < by1; ++yy)
            for (int64_t xx = a; xx < ax1; ++xx) {
                uint32_t v = (*conv)(src->Get(int(xx), int(yy)));
                acc = andMode ? (acc & v) : (acc | v);
            }
        return acc & mask;
    };
    bool fastCopy = usesS && !stretch && !mirrorX && code == 0xCC && t.bpp == 32 && src->bpp == 32;
    // A plain copy into a 32-bit target that takes one source pixel per destination pixel (a stretch
    // that enlarges, or shrinks dropping rows and columns, mirrored or not) walks the source by steps
    // instead of dividing for every pixel: a page's background stretched over a window is a million.
    bool sampledCopy = usesS && !fastCopy && !combine && code == 0xCC && t.bpp == 32;
    const int64_t stepWhole = stretch ? aw / dw : 1, stepPart = stretch ? aw % dw : 0;
    for (int64_t y = cy0; y < cy1; ++y)
        ClipSpan(dc, int(y), int(cx0), int(cx1), [&](int yy, int x0, int x1) {
            if (sampledCopy) {
                int64_t b = srcY(yy);
                if (b < 0 || b >= src->height)
                    return;
                // Source column of x0 as whole + part / dw, as srcX gives it, then stepped along.
                int64_t o = x0 - dx0;
                if (mirrorX)
                    o = dw - 1 - o;
                int64_t whole = stretch ? o * aw / dw : o, part = stretch ? o * aw % dw : 0;
                uint8_t* out = t.Row(yy);
                const uint8_t* in = src->bpp == 32 ? src->Row(int(b)) : nullptr;
                for (int x = x0; x < x1; ++x) {
                    int64_t a = sx0 + whole;
                    if (a >= 0 && a < src->width) {
                        uint32_t v;
                        if (in)
                            std::memcpy(&v, in + a * 4, 4);
                        else
                            v = src->Get(int(a), int(b));
                        v = (*conv)(v) & mask;
                        std::memcpy(out + size_t(x) * 4, &v, 4);
                    }
                    if (mirrorX) {
                        whole -= stepWhole;
                        part -= stepPart;
                        if (part < 0) {
                            part += dw;
                            --whole;
                        }
                    } else {
                        whole += stepWhole;
                        part += stepPart;
                        if (part >= dw) {
                            part -= dw;
                            ++whole;
                        }
                    }
                }
                return;
            }
            if (fastCopy) {
                int64_t b = srcY(yy), a0 = srcX(x0);
                if (b < 0 || b >= src->height)
                    return;
                int64_t from = std::max<int64_t>(a0, 0), to = std::min<int64_t>(a0 + (x1 - x0), src->width);
                if (from >= to)
                    return;
                std::memmove(reinterpret_cast<uint32_t*>(t.Row(yy)) + (x0 + (from - a0)),
                             reinterpret_cast<const uint32_t*>(src->Row(int(b))) + from, size_t(to - from) * 4);
                return;
            }
            for (int x = x0; x < x1; ++x) {
                uint32_t s = 0;
                if (usesS) {
                    bool ok;
                    s = sample(x, yy, &ok);
                    if (!ok)
                        continue;
                }
                bool draw = true;
                uint32_t p = usesP ? brush.At(x, yy, &draw) : 0;
                if (!draw)
                    continue;
                t.Set(x, yy, Rop3(code, p, s, t.Get(x, yy)) & mask);
            }
        });
}

bool RopUsesSource(DWORD rop)
{
    uint8_t code = uint8_t(rop >> 16);
    return ((code >> 2) ^ code) & 0x33;
}

// A copy of the source rows when source and destination share pixels, so overlapping blits
// read what was there before.
std::shared_ptr<Bitmap> DetachIfShared(const Bitmap& src, const Bitmap& dst)
{
    if (src.bits != dst.bits)
        return nullptr;
    auto copy = std::make_shared<Bitmap>();
    copy->colors = src.colors;
    if (!copy->Allocate(src.width, src.height, src.bpp, src.topDown))
        return nullptr;
    copy->dib = src.dib;
    for (int y = 0; y < src.height; ++y)
        std::memcpy(copy->Row(y), src.Row(y), size_t(std::min(copy->stride, std::abs(src.stride))));
    return copy;
}

bool DcBlit(DC& dst, int xDest, int yDest, int wDest, int hDest, DC* srcDc, int xSrc, int ySrc, int wSrc,
            int hSrc, DWORD rop)
{
    RECT d{dst.TX(xDest), dst.TY(yDest), dst.TX(xDest) + wDest, dst.TY(yDest) + hDest};
    if (!RopUsesSource(rop)) {
        BlitCore(dst, d, nullptr, nullptr, 0, 0, 0, 0, rop, dst.st.stretchMode);
        return true;
    }
    if (!srcDc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    const Bitmap& s = srcDc->Target();
    auto detached = DetachIfShared(s, dst.Target());
    const Bitmap& use = detached ? *detached : s;
    SourceConv conv(use, srcDc->st.bkColor, dst.Target(), dst.st.textColor, dst.st.bkColor);
    // The source rectangle is in the source DC's logical space; its pixels are clipped to the
    // source bitmap (reading past its edge leaves the destination alone).
    BlitCore(dst, d, &use, &conv, srcDc->TX(xSrc), srcDc->TY(ySrc), wSrc, hSrc, rop, dst.st.stretchMode);
    return true;
}

} // namespace gdi

using namespace gdi;

BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return FALSE;
    if (RopUsesSource(rop)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    RECT r{x, y, x + w, y + h};
    return PatFill(*dc, r, dc->st.brush.get(), uint8_t(rop >> 16));
}

int FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr)
{
    GDI_LOCK;
    DC* dc = DCOf(hDC);
    if (!dc || !lprc)
        return FALSE;
    auto b = Get<Brush>(ResolveBrush(hbr), OBJ_BRUSH);
    if (!b)
        return FALSE;
    // Right and bottom edges are excluded; an inverted rectangle fills nothing.
    if (lprc->right <= lprc->left || lprc->bottom <= lprc->top)
        return TRUE;
    return PatFill(*dc, *lprc, b.get(), 0xF0);
}

int FrameRect(HDC hDC, const RECT* lprc, HBRUSH hbr)
{
    GDI_LOCK;
    DC* dc = DCOf(hDC);
    if (!dc || !lprc)
        return FALSE;
    auto b = Get<Brush>(ResolveBrush(hbr), OBJ_BRUSH);
    if (!b)
        return FALSE;
    const RECT& r = *lprc;
    if (r.right <= r.left || r.bottom <= r.top)
        return TRUE;
    PatFill(*dc, RECT{r.left, r.top, r.right, r.top + 1}, b.get(), 0xF0);
    PatFill(*dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, b.get(), 0xF0);
    PatFill(*dc, RECT{r.left, r.top, r.left + 1, r.bottom}, b.get(), 0xF0);
    PatFill(*dc, RECT{r.right - 1, r.top, r.right, r.bottom}, b.get(), 0xF0);
    return TRUE;
}

BOOL InvertRect(HDC hDC, const RECT* lprc)
{
    GDI_LOCK;
    DC* dc = DCOf(hDC);
    if (!dc || !lprc)
        return FALSE;
    return PatFill(*dc, *lprc, nullptr, 0x55);
}

BOOL BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return FALSE;
    DC* src = nullptr;
    if (RopUsesSource(rop) && !(src = DCOf(hdcSrc)))
        return FALSE;
    return DcBlit(*dc, x, y, cx, cy, src, x1, y1, cx, cy, rop);
}

BOOL StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc, int wSrc,
                int hSrc, DWORD rop)
{
    GDI_LOCK;
    DC* dc = DCOf(hdcDest);
    if (!dc)
        return FALSE;
    DC* src = nullptr;
    if (RopUsesSource(rop) && !(src = DCOf(hdcSrc)))
        return FALSE;
    return DcBlit(*dc, xDest, yDest, wDest, hDest, src, xSrc, ySrc, wSrc, hSrc, rop);
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return CLR_INVALID;
    int tx = dc->TX(x), ty = dc->TY(y);
    if (!dc->Clip().Contains(tx, ty))
        return CLR_INVALID;
    Bitmap& t = dc->Target();
    uint32_t v = t.FromColor(color);
    t.Set(tx, ty, v);
    return t.ToColor(v);
}

BOOL SetPixelV(HDC hdc, int x, int y, COLORREF color)
{
    return SetPixel(hdc, x, y, color) != CLR_INVALID;
}

COLORREF GetPixel(HDC hdc, int x, int y)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return CLR_INVALID;
    int tx = dc->TX(x), ty = dc->TY(y);
    if (!dc->Clip().Contains(tx, ty))
        return CLR_INVALID;
    const Bitmap& t = dc->Target();
    return t.ToColor(t.Get(tx, ty));
}
