// Device contexts: memory and surface DCs, selection, saved states, attributes and coordinates.
#include "win32/gdi/internal.h"

namespace gdi {

std::shared_ptr<Surface> Surface::Create(int width, int height)
{
    std::shared_ptr<Surface> s = CreateDeferred(width, height);
    if (!s || !s->Realise())
        return nullptr;
    s->deferred = false;
    return s;
}

std::shared_ptr<Surface> Surface::CreateDeferred(int width, int height)
{
    if (width < 0 || height < 0 || width > 0x8000 || height > 0x8000)
        return nullptr;
    auto s = std::make_shared<Surface>();
    s->width = width;
    s->height = height;
    s->stride = width * 4;
    s->deferred = true;
    return s;
}

bool Surface::Realise()
{
    if (pixels || !deferred)
        return pixels != nullptr;
    size_t n = size_t(width) * size_t(height);
    storage.reset(new (std::nothrow) uint32_t[n ? n : 1]());
    pixels = storage.get();
    return pixels != nullptr;
}

void DC::RealiseTarget() const
{
    Bitmap& b = *st.bitmap;
    if (b.surface->Realise()) {
        b.bits = reinterpret_cast<uint8_t*>(b.surface->pixels);
        return;
    }
    // Without memory for the pixels the DC is an empty one: nothing is drawn, reads find nothing.
    static uint32_t nowhere;
    b.width = b.height = 0;
    b.stride = 4;
    b.bits = reinterpret_cast<uint8_t*>(&nowhere);
    const_cast<DC*>(this)->Invalidate();
}

const RegionData& DC::Clip()
{
    if (!clipDirty)
        return effClip;
    const Bitmap& t = Format();
    effClip = RegionData::FromRect(0, 0, t.width, t.height);
    if (vis) {
        RegionData v = *vis;
        v.Offset(origin.x, origin.y);
        effClip = RegionData::Combine(effClip, v, RGN_AND);
    }
    if (st.clip) {
        RegionData c = *st.clip;
        c.Offset(origin.x, origin.y);
        effClip = RegionData::Combine(effClip, c, RGN_AND);
    }
    clipDirty = false;
    return effClip;
}

std::shared_ptr<Bitmap> DefaultBitmap()
{
    static std::shared_ptr<Bitmap> b = [] {
        auto bmp = std::make_shared<Bitmap>();
        bmp->Allocate(1, 1, 1);
        bmp->stock = true;
        return bmp;
    }();
    return b;
}

namespace {

HBITMAP DefaultBitmapHandle()
{
    static HBITMAP h = (HBITMAP)Insert(DefaultBitmap());
    return h;
}

HDC NewDC(std::shared_ptr<DC> dc)
{
    ResetState(*dc);
    HDC h = (HDC)Insert(dc);
    dc->self = h;
    return h;
}

std::shared_ptr<Bitmap> SurfaceBitmap(const std::shared_ptr<Surface>& s)
{
    auto b = std::make_shared<Bitmap>();
    b->width = s->width;
    b->height = s->height;
    b->bpp = 32;
    b->stride = s->stride;
    b->topDown = true;
    b->bits = reinterpret_cast<uint8_t*>(s->pixels);
    b->surface = s;
    return b;
}

void ReleaseBitmap(DC& dc, const std::shared_ptr<Bitmap>& b)
{
    if (b && b->selectedIn == &dc)
        b->selectedIn = nullptr;
}

} // namespace

HDC CreateSurfaceDC(std::shared_ptr<Surface> surface, POINT origin, HRGN visRgn)
{
    GDI_LOCK;
    if (!surface || (!surface->pixels && !surface->deferred)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto dc = std::make_shared<DC>();
    dc->type = OBJ_DC;
    dc->memory = false;
    dc->st.bitmap = SurfaceBitmap(surface);
    HDC h = NewDC(dc);
    SetSurfaceDCVisRegion(h, origin, visRgn, false);
    return h;
}

BOOL SetSurfaceDCVisRegion(HDC hdc, POINT origin, HRGN visRgn, bool reset)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc || dc->memory) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (reset)
        ResetState(*dc);
    dc->origin = origin;
    dc->vis.reset();
    if (visRgn) {
        auto r = Get<Region>(visRgn, OBJ_REGION);
        if (!r)
            return FALSE;
        dc->vis = r->data;
    }
    dc->Invalidate();
    return TRUE;
}

BOOL ReleaseSurfaceDC(HDC hdc)
{
    return DeleteDC(hdc);
}

BOOL SetSurfaceDCPrepare(HDC hdc, std::function<void()> prepare)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc || dc->memory) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    dc->prepare = std::move(prepare);
    return TRUE;
}

std::shared_ptr<Surface> GetDCSurface(HDC hdc)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return nullptr;
    dc->Target();
    auto bmp = dc->st.bitmap;
    if (bmp->surface)
        return bmp->surface;
    if (bmp->bpp != 32)
        return nullptr;
    // A view of the bitmap's rows that keeps the bitmap alive.
    auto* s = new Surface;
    s->width = bmp->width;
    s->height = bmp->height;
    s->stride = bmp->topDown ? bmp->stride : -bmp->stride;
    s->pixels = reinterpret_cast<uint32_t*>(bmp->Row(0));
    return std::shared_ptr<Surface>(s, [bmp](Surface* p) { delete p; });
}

POINT GetDCSurfaceOrigin(HDC hdc)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    return dc ? dc->origin : POINT{0, 0};
}

RECT ToTarget(DC& dc, const RECT& r)
{
    RECT t{dc.TX(r.left), dc.TY(r.top), dc.TX(r.right), dc.TY(r.bottom)};
    if (t.left > t.right)
        std::swap(t.left, t.right);
    if (t.top > t.bottom)
        std::swap(t.top, t.bottom);
    return t;
}

} // namespace gdi

using namespace gdi;

HDC CreateCompatibleDC(HDC hdc)
{
    GDI_LOCK;
    if (hdc && !DCOf(hdc))
        return nullptr;
    auto dc = std::make_shared<DC>();
    dc->st.bitmap = DefaultBitmap();
    dc->st.hBitmap = DefaultBitmapHandle();
    return NewDC(dc);
}

BOOL DeleteDC(HDC hdc)
{
    GDI_LOCK;
    auto o = Find(hdc);
    if (!o || (o->type != OBJ_DC && o->type != OBJ_MEMDC)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    auto* dc = static_cast<DC*>(o.get());
    ReleaseBitmap(*dc, dc->st.bitmap);
    for (auto& s : dc->saved)
        ReleaseBitmap(*dc, s.bitmap);
    Remove(hdc);
    return TRUE;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return nullptr;
    auto o = Find(h);
    if (!o) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    switch (o->type) {
    case OBJ_PEN: {
        HGDIOBJ old = dc->st.hPen;
        dc->st.hPen = (HPEN)h;
        dc->st.pen = std::static_pointer_cast<Pen>(o);
        return old;
    }
    case OBJ_BRUSH: {
        HGDIOBJ old = dc->st.hBrush;
        dc->st.hBrush = (HBRUSH)h;
        dc->st.brush = std::static_pointer_cast<Brush>(o);
        return old;
    }
    case OBJ_FONT: {
        HGDIOBJ old = dc->st.hFont;
        dc->st.hFont = (HFONT)h;
        dc->st.font = std::static_pointer_cast<Font>(o);
        return old;
    }
    case OBJ_BITMAP: {
        auto b = std::static_pointer_cast<Bitmap>(o);
        if (!dc->memory || (b->selectedIn && b->selectedIn != dc)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        HGDIOBJ old = dc->st.hBitmap;
        if (dc->st.bitmap != b)
            ReleaseBitmap(*dc, dc->st.bitmap);
        if (!b->stock)
            b->selectedIn = dc;
        dc->st.bitmap = b;
        dc->st.hBitmap = (HBITMAP)h;
        dc->Invalidate();
        return old;
    }
    case OBJ_REGION: {
        int kind = SelectClipRgn(hdc, (HRGN)h);
        return (HGDIOBJ)(intptr_t)kind;
    }
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return nullptr;
    switch (type) {
    case OBJ_PEN: return dc->st.hPen;
    case OBJ_BRUSH: return dc->st.hBrush;
    case OBJ_FONT: return dc->st.hFont;
    case OBJ_PAL: return dc->st.hPalette;
    case OBJ_BITMAP: return dc->st.hBitmap;
    default: return nullptr;
    }
}

HPALETTE SelectPalette(HDC hdc, HPALETTE hPal, BOOL bForceBkgd)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return nullptr;
    auto p = Get<Palette>(hPal, OBJ_PAL);
    if (!p)
        return nullptr;
    HPALETTE old = dc->st.hPalette;
    dc->st.hPalette = hPal;
    dc->st.palette = p;
    return old;
}

UINT RealizePalette(HDC hdc)
{
    GDI_LOCK;
    return DCOf(hdc) ? 0 : GDI_ERROR;
}

int SaveDC(HDC hdc)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return 0;
    dc->saved.push_back(dc->st);
    return int(dc->saved.size());
}

BOOL RestoreDC(HDC hdc, int nSavedDC)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return FALSE;
    int n = int(dc->saved.size());
    int index = nSavedDC < 0 ? n + nSavedDC : nSavedDC - 1;
    if (nSavedDC == 0 || index < 0 || index >= n) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto restored = dc->saved[size_t(index)];
    if (restored.bitmap != dc->st.bitmap) {
        if (restored.bitmap->selectedIn && restored.bitmap->selectedIn != dc)
            return FALSE;
        ReleaseBitmap(*dc, dc->st.bitmap);
        if (!restored.bitmap->stock && dc->memory)
            restored.bitmap->selectedIn = dc;
    }
    dc->st = std::move(restored);
    dc->saved.resize(size_t(index));
    dc->Invalidate();
    return TRUE;
}

int GetDeviceCaps(HDC hdc, int index)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return 0;
    const Bitmap& t = dc->Format();
    bool mono = dc->memory && t.bpp == 1;
    switch (index) {
    case DRIVERVERSION: return 0x4000;
    case TECHNOLOGY: return DT_RASDISPLAY;
    case HORZRES: return dc->memory ? t.width : t.width;
    case VERTRES: return t.height;
    case DESKTOPHORZRES: return t.width;
    case DESKTOPVERTRES: return t.height;
    case HORZSIZE: return t.width * 254 / 960;
    case VERTSIZE: return t.height * 254 / 960;
    case BITSPIXEL: return mono ? 1 : 32;
    case PLANES: return 1;
    case NUMCOLORS: return -1;
    case NUMBRUSHES:
    case NUMPENS: return -1;
    case NUMFONTS: return 0;
    case RASTERCAPS: return RC_BITBLT | RC_STRETCHBLT | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHDIB;
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    case SIZEPALETTE:
    case NUMRESERVED: return 0;
    case COLORRES: return 24;
    case SHADEBLENDCAPS: return 0x7F;
    default: return 0;
    }
}

#define DC_ATTR(Type, Name, field, check)                                                          \
    Type Set##Name(HDC hdc, Type value)                                                          \
    {                                                                                            \
        GDI_LOCK;                                                                                \
        DC* dc = DCOf(hdc);                                                                     \
        if (!dc)                                                                                 \
            return Type(0);                                                                      \
        if (!(check)) {                                                                          \
            SetLastError(ERROR_INVALID_PARAMETER);                                               \
            return Type(0);                                                                      \
        }                                                                                        \
        Type old = dc->st.field;                                                                 \
        dc->st.field = value;                                                                    \
        return old;                                                                              \
    }                                                                                            \
    Type Get##Name(HDC hdc)                                                                      \
    {                                                                                            \
        GDI_LOCK;                                                                                \
        DC* dc = DCOf(hdc);                                                                     \
        return dc ? dc->st.field : Type(0);                                                      \
    }

DC_ATTR(int, BkMode, bkMode, value == TRANSPARENT || value == OPAQUE)
DC_ATTR(int, ROP2, rop2, value >= R2_BLACK && value <= R2_WHITE)
DC_ATTR(int, PolyFillMode, polyFillMode, value == ALTERNATE || value == WINDING)
DC_ATTR(int, StretchBltMode, stretchMode, value >= BLACKONWHITE && value <= HALFTONE)
DC_ATTR(int, GraphicsMode, graphicsMode, value == GM_COMPATIBLE || value == GM_ADVANCED)

COLORREF SetBkColor(HDC hdc, COLORREF color)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return CLR_INVALID;
    COLORREF old = dc->st.bkColor;
    dc->st.bkColor = color & 0x00FFFFFF;
    return old;
}

COLORREF GetBkColor(HDC hdc)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    return dc ? dc->st.bkColor : CLR_INVALID;
}

COLORREF SetTextColor(HDC hdc, COLORREF color)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return CLR_INVALID;
    COLORREF old = dc->st.textColor;
    dc->st.textColor = color & 0x00FFFFFF;
    return old;
}

COLORREF GetTextColor(HDC hdc)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    return dc ? dc->st.textColor : CLR_INVALID;
}

COLORREF SetDCBrushColor(HDC hdc, COLORREF color)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return CLR_INVALID;
    COLORREF old = dc->st.dcBrushColor;
    dc->st.dcBrushColor = color & 0x00FFFFFF;
    return old;
}

COLORREF GetDCBrushColor(HDC hdc)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    return dc ? dc->st.dcBrushColor : CLR_INVALID;
}

COLORREF SetDCPenColor(HDC hdc, COLORREF color)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return CLR_INVALID;
    COLORREF old = dc->st.dcPenColor;
    dc->st.dcPenColor = color & 0x00FFFFFF;
    return old;
}

COLORREF GetDCPenColor(HDC hdc)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    return dc ? dc->st.dcPenColor : CLR_INVALID;
}

COLORREF GetNearestColor(HDC hdc, COLORREF color)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return CLR_INVALID;
    const Bitmap& t = dc->Format();
    return t.ToColor(t.FromColor(color));
}

int SetMapMode(HDC hdc, int mode)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return 0;
    // Only MM_TEXT is offered: the other modes serve printing.
    if (mode != MM_TEXT) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return 0;
    }
    return MM_TEXT;
}

int GetMapMode(HDC hdc)
{
    GDI_LOCK;
    return DCOf(hdc) ? MM_TEXT : 0;
}

namespace {

BOOL SetPoint(HDC hdc, POINT DCState::*field, int x, int y, LPPOINT old, bool offset)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return FALSE;
    POINT& p = dc->st.*field;
    if (old)
        *old = p;
    p = offset ? POINT{p.x + x, p.y + y} : POINT{x, y};
    return TRUE;
}

BOOL GetPoint(HDC hdc, POINT DCState::*field, LPPOINT out)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc || !out)
        return FALSE;
    *out = dc->st.*field;
    return TRUE;
}

} // namespace

BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt) { return SetPoint(hdc, &DCState::vpOrg, x, y, lppt, false); }
BOOL OffsetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt) { return SetPoint(hdc, &DCState::vpOrg, x, y, lppt, true); }
BOOL GetViewportOrgEx(HDC hdc, LPPOINT lppt) { return GetPoint(hdc, &DCState::vpOrg, lppt); }
BOOL SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT lppt) { return SetPoint(hdc, &DCState::winOrg, x, y, lppt, false); }
BOOL OffsetWindowOrgEx(HDC hdc, int x, int y, LPPOINT lppt) { return SetPoint(hdc, &DCState::winOrg, x, y, lppt, true); }
BOOL GetWindowOrgEx(HDC hdc, LPPOINT lppt) { return GetPoint(hdc, &DCState::winOrg, lppt); }
BOOL SetBrushOrgEx(HDC hdc, int x, int y, LPPOINT lppt) { return SetPoint(hdc, &DCState::brushOrg, x, y, lppt, false); }
BOOL GetBrushOrgEx(HDC hdc, LPPOINT lppt) { return GetPoint(hdc, &DCState::brushOrg, lppt); }
BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT lppt) { return SetPoint(hdc, &DCState::curPos, x, y, lppt, false); }
BOOL GetCurrentPositionEx(HDC hdc, LPPOINT lppt) { return GetPoint(hdc, &DCState::curPos, lppt); }

// Extents only matter outside MM_TEXT; in MM_TEXT they are ignored, as on Windows.
BOOL SetViewportExtEx(HDC hdc, int x, int y, LPSIZE lpsz)
{
    GDI_LOCK;
    if (!DCOf(hdc))
        return FALSE;
    if (lpsz)
        *lpsz = SIZE{1, 1};
    return TRUE;
}

BOOL SetWindowExtEx(HDC hdc, int x, int y, LPSIZE lpsz)
{
    return SetViewportExtEx(hdc, x, y, lpsz);
}

BOOL DPtoLP(HDC hdc, LPPOINT lppt, int c)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc || (c > 0 && !lppt))
        return FALSE;
    for (int i = 0; i < c; ++i) {
        lppt[i].x += dc->st.winOrg.x - dc->st.vpOrg.x;
        lppt[i].y += dc->st.winOrg.y - dc->st.vpOrg.y;
    }
    return TRUE;
}

BOOL LPtoDP(HDC hdc, LPPOINT lppt, int c)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc || (c > 0 && !lppt))
        return FALSE;
    for (int i = 0; i < c; ++i) {
        lppt[i].x = dc->DX(lppt[i].x);
        lppt[i].y = dc->DY(lppt[i].y);
    }
    return TRUE;
}
