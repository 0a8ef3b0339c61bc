// GDI's own objects, the handle table that issues them, and the DC state shared by the drawing files.
#pragma once

#include "win32/gdi.h"
#include "win32/gdi/region_data.h"
#include "win32/gdi/surface.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace backend {
class Font;
}

inline bool operator==(const RGBQUAD& a, const RGBQUAD& b)
{
    return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
}

namespace gdi {

struct Object {
    DWORD type = 0;
    bool stock = false; // stock and system-colour objects are never deleted
    virtual ~Object() = default;
};

struct DC;

struct Bitmap : Object {
    int width = 0, height = 0, bpp = 32;
    int stride = 0;           // bytes per row in memory
    bool topDown = true;      // DIB sections may be bottom-up
    bool dib = false;         // made by CreateDIBSection: GetObject reports its bits
    uint8_t* bits = nullptr;
    std::unique_ptr<uint8_t[]> own;
    std::shared_ptr<Surface> surface; // for bitmaps that view a surface's pixels
    std::vector<RGBQUAD> colors;      // colour table of 1/4/8 bpp bitmaps
    SIZE dimension{0, 0};
    DC* selectedIn = nullptr;

    Bitmap() { type = OBJ_BITMAP; }
    // A zeroed bitmap; false if the size is negative or too large.
    bool Allocate(int w, int h, int bitsPerPixel, bool topDownRows = true);
    uint8_t* Row(int y) const { return bits + ptrdiff_t(topDown ? y : height - 1 - y) * stride; }
    uint32_t Mask() const { return bpp >= 32 ? 0xFFFFFFFFu : (1u << bpp) - 1; }
    uint32_t Get(int x, int y) const;
    void Set(int x, int y, uint32_t v);
    // Device value of a colour for this bitmap, and back.
    uint32_t FromColor(COLORREF c) const;
    COLORREF ToColor(uint32_t v) const;
    bool Mono() const { return bpp == 1; }
    // A non-owning copy of the description, pointing at the same pixels.
    Bitmap Shallow() const
    {
        Bitmap b;
        b.width = width;
        b.height = height;
        b.bpp = bpp;
        b.stride = stride;
        b.topDown = topDown;
        b.dib = dib;
        b.bits = bits;
        b.colors = colors;
        return b;
    }
};

std::vector<RGBQUAD> MonoTable();
std::shared_ptr<Bitmap> NewBitmap(int w, int h, int bpp); // sets the last error on failure


struct Pen : Object {
    UINT style = PS_SOLID; // full style with end cap, join and type
    int width = 0;
    COLORREF color = 0;
    std::vector<DWORD> userStyle;
    bool dcPen = false;
    Pen() { type = OBJ_PEN; }
    int Kind() const { return int(style & PS_STYLE_MASK); }
};

struct Brush : Object {
    UINT style = BS_SOLID;
    COLORREF color = 0;
    int hatch = 0;
    std::shared_ptr<Bitmap> pattern; // private copy of a pattern brush's bitmap
    bool dcBrush = false;
    Brush() { type = OBJ_BRUSH; }
};

struct Palette : Object {
    std::vector<PALETTEENTRY> entries;
    Palette() { type = OBJ_PAL; }
};

struct Region : Object {
    RegionData data;
    Region() { type = OBJ_REGION; }
};


struct Font : Object {
    LOGFONTW lf{};
    std::shared_ptr<backend::Font> face; // opened by the text code on first use
    Font() { type = OBJ_FONT; }
};

struct DCState {
    HPEN hPen = nullptr;
    HBRUSH hBrush = nullptr;
    HFONT hFont = nullptr;
    HPALETTE hPalette = nullptr;
    std::shared_ptr<Pen> pen;
    std::shared_ptr<Brush> brush;
    std::shared_ptr<Font> font;
    std::shared_ptr<Palette> palette;
    COLORREF textColor = RGB(0, 0, 0);
    COLORREF bkColor = RGB(255, 255, 255);
    COLORREF dcBrushColor = RGB(255, 255, 255);
    COLORREF dcPenColor = RGB(0, 0, 0);
    int bkMode = OPAQUE;
    int rop2 = R2_COPYPEN;
    int polyFillMode = ALTERNATE;
    int stretchMode = BLACKONWHITE;
    int mapMode = MM_TEXT;
    int graphicsMode = GM_COMPATIBLE;
    UINT textAlign = 0;
    int charExtra = 0;
    int breakExtra = 0, breakCount = 0; // SetTextJustification
    POINT vpOrg{0, 0}, winOrg{0, 0}, brushOrg{0, 0}, curPos{0, 0};
    std::optional<RegionData> clip; // device coordinates
    // A bitmap selected into a memory DC is part of the saved state too.
    HBITMAP hBitmap = nullptr;
    std::shared_ptr<Bitmap> bitmap;
};

struct DC : Object {
    bool memory = true;
    POINT origin{0, 0};             // device (0, 0) within the target
    std::optional<RegionData> vis;  // device coordinates; none: the whole target
    DCState st;
    std::vector<DCState> saved;
    HDC self = nullptr;

    // Cached clip in target coordinates (vis ∩ clip ∩ bounds), rebuilt after changes.
    RegionData effClip;
    bool clipDirty = true;

    // Runs once before the pixels are first drawn on or read: a screen DC brings the windows'
    // pixels in only when it is used for more than measuring.
    mutable std::function<void()> prepare;

    DC() { type = OBJ_MEMDC; }
    // The target whose pixels are about to be drawn on or read.
    Bitmap& Target() const
    {
        if (prepare) {
            auto run = std::move(prepare);
            prepare = nullptr;
            run();
        }
        if (!st.bitmap->bits && st.bitmap->surface)
            RealiseTarget();
        return *st.bitmap;
    }
    // A deferred surface's pixels, made on first use.
    void RealiseTarget() const;
    // The target's size, depth and colour table, which never need its pixels.
    const Bitmap& Format() const { return *st.bitmap; }
    const RegionData& Clip();
    void Invalidate() { clipDirty = true; }
    // Logical to target coordinates.
    int TX(int x) const { return x - st.winOrg.x + st.vpOrg.x + origin.x; }
    int TY(int y) const { return y - st.winOrg.y + st.vpOrg.y + origin.y; }
    // Logical to device coordinates (without the surface origin).
    int DX(int x) const { return x - st.winOrg.x + st.vpOrg.x; }
    int DY(int y) const { return y - st.winOrg.y + st.vpOrg.y; }
};

// ---- The handle table ------------------------------------------------------------------------
// One lock guards every GDI object: drawing from worker threads (message boxes) is rare, and a
// single lock keeps selection and deletion consistent.
std::recursive_mutex& Lock();
#define GDI_LOCK std::lock_guard<std::recursive_mutex> gdiLock_(::gdi::Lock())

HANDLE Insert(std::shared_ptr<Object> obj);
std::shared_ptr<Object> Find(HANDLE h);
// Lookup of a given kind; sets ERROR_INVALID_HANDLE and returns null on a stale or wrong handle.
template <class T>
std::shared_ptr<T> Get(HANDLE h, DWORD type)
{
    auto o = Find(h);
    if (!o || (o->type != type && !(type == OBJ_DC && o->type == OBJ_MEMDC))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return std::static_pointer_cast<T>(o);
}
DC* DCOf(HDC h);
void Remove(HANDLE h);

std::shared_ptr<Bitmap> DefaultBitmap(); // the 1x1 monochrome bitmap of a fresh memory DC
void ResetState(DC& dc);                 // stock pen, brush, font, default colours and modes

// ---- Shared drawing helpers ------------------------------------------------------------------
uint32_t Rop3(uint8_t code, uint32_t p, uint32_t s, uint32_t d);
uint32_t Rop2(int rop2, uint32_t p, uint32_t d);

// A brush realised for one DC and target: gives the pattern value at a target pixel.
struct BrushFill {
    bool null = true;
    bool solid = true;
    uint32_t value = 0;
    std::vector<uint32_t> pat; // w*h device values
    std::vector<uint8_t> opaque; // per pattern pixel: 0 where a transparent hatch leaves the destination
    int w = 0, h = 0;
    int orgX = 0, orgY = 0;    // pattern origin in target coordinates
    uint32_t At(int x, int y, bool* draw) const;
};
BrushFill RealiseBrush(DC& dc, const Brush* brush);

// Calls f(y, x0, x1) for every part of the target-coordinate span that the DC's clip allows.
template <class F>
void ClipSpan(DC& dc, int y, int x0, int x1, F&& f)
{
    const Band* b = dc.Clip().BandAt(y);
    if (!b)
        return;
    for (const Span& s : b->spans) {
        int a = std::max(x0, s.x0), e = std::min(x1, s.x1);
        if (a < e)
            f(y, a, e);
    }
}

// Fills a region (target coordinates) through the clip with a brush and a ROP3 code that uses
// only P and D.
void FillRegionRop(DC& dc, const RegionData& rgn, const BrushFill& brush, uint8_t rop3);
// Fills a region with a solid device value under a binary raster mode (pens).
void FillRegionRop2(DC& dc, const RegionData& rgn, uint32_t value, int rop2);
void FillSpanRop2(DC& dc, int y, int x0, int x1, uint32_t value, int rop2);
// Target-coordinate rectangle of a logical one, normalised.
RECT ToTarget(DC& dc, const RECT& r);

} // namespace gdi
