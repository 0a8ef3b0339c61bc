// The GDI handle table, stock objects, system colours and the generic object calls.
#include "win32/gdi/internal.h"

#include <cstring>

namespace gdi {

namespace {

struct Slot {
    std::shared_ptr<Object> obj;
    uint16_t gen = 0;
};

// Handles carry a slot index in the low 16 bits and the slot's generation above it, so a
// stale handle whose slot was reused does not reach the new object.
// The table lives until the process is gone: objects still in it at exit (an image list that
// removes its strips as it goes) must find it whole whatever order static objects end in.
std::vector<Slot>& Slots()
{
    static auto* slots = new std::vector<Slot>(1);
    return *slots;
}
std::vector<uint32_t>& FreeSlots()
{
    static auto* list = new std::vector<uint32_t>;
    return *list;
}

struct Stock {
    HGDIOBJ handles[DC_PEN + 1] = {};
    HBRUSH sysBrushes[COLOR_MENUBAR + 1] = {};
    HBRUSH halftone = nullptr;
};

std::shared_ptr<Object> MakeStockBrush(UINT style, COLORREF c)
{
    auto b = std::make_shared<Brush>();
    b->style = style;
    b->color = c;
    b->stock = true;
    return b;
}

std::shared_ptr<Object> MakeStockPen(UINT style, COLORREF c)
{
    auto p = std::make_shared<Pen>();
    p->style = style;
    p->color = c;
    p->stock = true;
    return p;
}

std::shared_ptr<Object> MakeStockFont(LONG height, LONG weight, BYTE pitch, BYTE charset, const char16_t* face)
{
    auto f = std::make_shared<Font>();
    f->lf.lfHeight = height;
    f->lf.lfWeight = weight;
    f->lf.lfCharSet = charset;
    f->lf.lfPitchAndFamily = pitch;
    for (int i = 0; face[i] && i < LF_FACESIZE - 1; ++i)
        f->lf.lfFaceName[i] = face[i];
    f->stock = true;
    return f;
}

const COLORREF kSysColors[COLOR_MENUBAR + 1] = {
    RGB(212, 208, 200), // COLOR_SCROLLBAR
    RGB(58, 110, 165),  // COLOR_BACKGROUND
    RGB(10, 36, 106),   // COLOR_ACTIVECAPTION
    RGB(128, 128, 128), // COLOR_INACTIVECAPTION
    RGB(212, 208, 200), // COLOR_MENU
    RGB(255, 255, 255), // COLOR_WINDOW
    RGB(0, 0, 0),       // COLOR_WINDOWFRAME
    RGB(0, 0, 0),       // COLOR_MENUTEXT
    RGB(0, 0, 0),       // COLOR_WINDOWTEXT
    RGB(255, 255, 255), // COLOR_CAPTIONTEXT
    RGB(212, 208, 200), // COLOR_ACTIVEBORDER
    RGB(212, 208, 200), // COLOR_INACTIVEBORDER
    RGB(128, 128, 128), // COLOR_APPWORKSPACE
    RGB(10, 36, 106),   // COLOR_HIGHLIGHT
    RGB(255, 255, 255), // COLOR_HIGHLIGHTTEXT
    RGB(212, 208, 200), // COLOR_BTNFACE
    RGB(128, 128, 128), // COLOR_BTNSHADOW
    RGB(128, 128, 128), // COLOR_GRAYTEXT
    RGB(0, 0, 0),       // COLOR_BTNTEXT
    RGB(212, 208, 200), // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255), // COLOR_BTNHIGHLIGHT
    RGB(64, 64, 64),    // COLOR_3DDKSHADOW
    RGB(212, 208, 200), // COLOR_3DLIGHT
    RGB(0, 0, 0),       // COLOR_INFOTEXT
    RGB(255, 255, 225), // COLOR_INFOBK
    RGB(181, 181, 181), // (unused slot 25)
    RGB(0, 0, 128),     // COLOR_HOTLIGHT
    RGB(166, 202, 240), // COLOR_GRADIENTACTIVECAPTION
    RGB(192, 192, 192), // COLOR_GRADIENTINACTIVECAPTION
    RGB(10, 36, 106),   // COLOR_MENUHILIGHT
    RGB(212, 208, 200), // COLOR_MENUBAR
};

Stock& Stocks()
{
    static Stock* s = [] {
        auto* st = new Stock;
        auto put = [&](int i, std::shared_ptr<Object> o) { st->handles[i] = Insert(std::move(o)); };
        put(WHITE_BRUSH, MakeStockBrush(BS_SOLID, RGB(255, 255, 255)));
        put(LTGRAY_BRUSH, MakeStockBrush(BS_SOLID, RGB(192, 192, 192)));
        put(GRAY_BRUSH, MakeStockBrush(BS_SOLID, RGB(128, 128, 128)));
        put(DKGRAY_BRUSH, MakeStockBrush(BS_SOLID, RGB(64, 64, 64)));
        put(BLACK_BRUSH, MakeStockBrush(BS_SOLID, RGB(0, 0, 0)));
        put(NULL_BRUSH, MakeStockBrush(BS_NULL, 0));
        put(WHITE_PEN, MakeStockPen(PS_SOLID, RGB(255, 255, 255)));
        put(BLACK_PEN, MakeStockPen(PS_SOLID, RGB(0, 0, 0)));
        put(NULL_PEN, MakeStockPen(PS_NULL, 0));
        put(OEM_FIXED_FONT, MakeStockFont(12, FW_NORMAL, FIXED_PITCH | FF_MODERN, OEM_CHARSET, u"Terminal"));
        put(ANSI_FIXED_FONT, MakeStockFont(12, FW_NORMAL, FIXED_PITCH | FF_MODERN, ANSI_CHARSET, u"Courier"));
        put(ANSI_VAR_FONT, MakeStockFont(12, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, ANSI_CHARSET, u"MS Sans Serif"));
        put(SYSTEM_FONT, MakeStockFont(16, FW_BOLD, VARIABLE_PITCH | FF_SWISS, GB2312_CHARSET, u"System"));
        put(DEVICE_DEFAULT_FONT, MakeStockFont(16, FW_BOLD, VARIABLE_PITCH | FF_SWISS, GB2312_CHARSET, u"System"));
        put(SYSTEM_FIXED_FONT, MakeStockFont(16, FW_NORMAL, FIXED_PITCH | FF_MODERN, GB2312_CHARSET, u"Fixedsys"));
        put(DEFAULT_GUI_FONT, MakeStockFont(-12, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, GB2312_CHARSET, u"宋体"));
        {
            auto pal = std::make_shared<Palette>();
            pal->stock = true;
            static const BYTE vga[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                            {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                            {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                            {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
            for (auto& c : vga)
                pal->entries.push_back(PALETTEENTRY{c[0], c[1], c[2], 0});
            put(DEFAULT_PALETTE, pal);
        }
        {
            auto b = std::static_pointer_cast<Brush>(MakeStockBrush(BS_SOLID, RGB(255, 255, 255)));
            b->dcBrush = true;
            put(DC_BRUSH, b);
            auto p = std::static_pointer_cast<Pen>(MakeStockPen(PS_SOLID, 0));
            p->dcPen = true;
            put(DC_PEN, p);
        }
        for (int i = 0; i <= COLOR_MENUBAR; ++i)
            st->sysBrushes[i] = (HBRUSH)Insert(MakeStockBrush(BS_SOLID, kSysColors[i]));
        {
            auto b = std::static_pointer_cast<Brush>(MakeStockBrush(BS_PATTERN, 0));
            b->pattern = std::make_shared<Bitmap>();
            b->pattern->Allocate(8, 8, 1);
            b->pattern->colors = {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
            for (int y = 0; y < 8; ++y)
                b->pattern->Row(y)[0] = (y & 1) ? 0xAA : 0x55;
            st->halftone = (HBRUSH)Insert(b);
        }
        return st;
    }();
    return *s;
}

} // namespace

std::recursive_mutex& Lock()
{
    static std::recursive_mutex m;
    return m;
}

HANDLE Insert(std::shared_ptr<Object> obj)
{
    GDI_LOCK;
    auto& slots = Slots();
    auto& freeList = FreeSlots();
    uint32_t idx;
    if (!freeList.empty()) {
        idx = freeList.back();
        freeList.pop_back();
    } else {
        if (slots.size() >= 0x10000) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        idx = uint32_t(slots.size());
        slots.emplace_back();
    }
    Slot& s = slots[idx];
    s.gen = uint16_t(s.gen % 0x7FFF + 1);
    s.obj = std::move(obj);
    return (HANDLE)(uintptr_t)((uint32_t(s.gen) << 16) | idx);
}

std::shared_ptr<Object> Find(HANDLE h)
{
    GDI_LOCK;
    uintptr_t v = (uintptr_t)h;
    uint32_t idx = uint32_t(v & 0xFFFF), gen = uint32_t(v >> 16);
    auto& slots = Slots();
    if (v == 0 || v > 0x7FFFFFFF || idx == 0 || idx >= slots.size() || slots[idx].gen != gen)
        return nullptr;
    return slots[idx].obj;
}

void Remove(HANDLE h)
{
    GDI_LOCK;
    uintptr_t v = (uintptr_t)h;
    uint32_t idx = uint32_t(v & 0xFFFF);
    auto& slots = Slots();
    if (idx == 0 || idx >= slots.size() || !slots[idx].obj)
        return;
    slots[idx].obj.reset();
    FreeSlots().push_back(idx);
}

DC* DCOf(HDC h)
{
    auto o = Find(h);
    if (!o || (o->type != OBJ_DC && o->type != OBJ_MEMDC)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return static_cast<DC*>(o.get());
}

void ResetState(DC& dc)
{
    Stock& s = Stocks();
    std::shared_ptr<Bitmap> bmp = dc.st.bitmap;
    HBITMAP hbmp = dc.st.hBitmap;
    dc.st = DCState{};
    dc.st.bitmap = bmp;
    dc.st.hBitmap = hbmp;
    dc.st.hPen = (HPEN)s.handles[BLACK_PEN];
    dc.st.pen = std::static_pointer_cast<Pen>(Find(dc.st.hPen));
    dc.st.hBrush = (HBRUSH)s.handles[WHITE_BRUSH];
    dc.st.brush = std::static_pointer_cast<Brush>(Find(dc.st.hBrush));
    dc.st.hFont = (HFONT)s.handles[SYSTEM_FONT];
    dc.st.font = std::static_pointer_cast<Font>(Find(dc.st.hFont));
    dc.st.hPalette = (HPALETTE)s.handles[DEFAULT_PALETTE];
    dc.st.palette = std::static_pointer_cast<Palette>(Find(dc.st.hPalette));
    dc.saved.clear();
    dc.Invalidate();
}

} // namespace gdi

using namespace gdi;

HGDIOBJ GetStockObject(int i)
{
    GDI_LOCK;
    if (i < 0 || i > DC_PEN)
        return nullptr;
    return Stocks().handles[i];
}

DWORD GetSysColor(int nIndex)
{
    if (nIndex < 0 || nIndex > COLOR_MENUBAR)
        return 0;
    return kSysColors[nIndex];
}

HBRUSH GetSysColorBrush(int nIndex)
{
    GDI_LOCK;
    if (nIndex < 0 || nIndex > COLOR_MENUBAR)
        return nullptr;
    return Stocks().sysBrushes[nIndex];
}

HBRUSH GetHalftoneBrush()
{
    GDI_LOCK;
    return Stocks().halftone;
}

DWORD GetObjectType(HGDIOBJ h)
{
    GDI_LOCK;
    Stocks();
    auto o = Find(h);
    if (!o) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (o->type == OBJ_PEN && !static_cast<Pen*>(o.get())->userStyle.empty())
        return OBJ_EXTPEN;
    // Icons and image lists live in the same table but are no GDI objects.
    return o->type <= OBJ_ENHMETAFILE ? o->type : 0;
}

BOOL DeleteObject(HGDIOBJ ho)
{
    GDI_LOCK;
    Stocks();
    auto o = Find(ho);
    // DCs, icons and image lists share the table but are not GDI objects to DeleteObject.
    if (!o || !(o->type == OBJ_PEN || o->type == OBJ_BRUSH || o->type == OBJ_PAL || o->type == OBJ_FONT ||
                o->type == OBJ_BITMAP || o->type == OBJ_REGION)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // Stock objects are shared by every DC: deleting one is accepted and ignored.
    if (o->stock)
        return TRUE;
    // A bitmap still selected into a DC stays in use; the DC holds its own reference to
    // pens, brushes and fonts, so those may go while selected.
    if (o->type == OBJ_BITMAP && static_cast<Bitmap*>(o.get())->selectedIn)
        return FALSE;
    Remove(ho);
    return TRUE;
}

int GetObjectW(HANDLE h, int c, LPVOID pv)
{
    GDI_LOCK;
    Stocks();
    auto o = Find(h);
    if (!o) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    auto give = [&](const void* data, int size) {
        if (!pv)
            return size;
        int n = std::min(c, size);
        if (n <= 0)
            return 0;
        std::memcpy(pv, data, size_t(n));
        return n;
    };
    switch (o->type) {
    case OBJ_BITMAP: {
        auto* b = static_cast<Bitmap*>(o.get());
        DIBSECTION ds{};
        ds.dsBm.bmType = 0;
        ds.dsBm.bmWidth = b->width;
        ds.dsBm.bmHeight = b->height;
        ds.dsBm.bmWidthBytes = b->dib ? b->stride : ((b->width * b->bpp + 15) / 16) * 2;
        ds.dsBm.bmPlanes = 1;
        ds.dsBm.bmBitsPixel = WORD(b->bpp);
        if (!b->dib)
            return give(&ds.dsBm, int(sizeof(BITMAP)));
        ds.dsBm.bmBits = b->bits;
        ds.dsBmih.biSize = sizeof(BITMAPINFOHEADER);
        ds.dsBmih.biWidth = b->width;
        ds.dsBmih.biHeight = b->topDown ? -b->height : b->height;
        ds.dsBmih.biPlanes = 1;
        ds.dsBmih.biBitCount = WORD(b->bpp);
        ds.dsBmih.biCompression = BI_RGB;
        ds.dsBmih.biSizeImage = DWORD(b->stride) * DWORD(b->height);
        ds.dsBmih.biClrUsed = DWORD(b->colors.size());
        if (c >= int(sizeof(DIBSECTION)))
            return give(&ds, int(sizeof(DIBSECTION)));
        return give(&ds.dsBm, int(sizeof(BITMAP)));
    }
    case OBJ_PEN: {
        auto* p = static_cast<Pen*>(o.get());
        if (!p->userStyle.empty() || (p->style & PS_TYPE_MASK) == PS_GEOMETRIC) {
            std::vector<BYTE> buf(sizeof(EXTLOGPEN) + p->userStyle.size() * sizeof(DWORD));
            auto* e = reinterpret_cast<EXTLOGPEN*>(buf.data());
            e->elpPenStyle = p->style;
            e->elpWidth = DWORD(p->width);
            e->elpBrushStyle = BS_SOLID;
            e->elpColor = p->color;
            e->elpNumEntries = DWORD(p->userStyle.size());
            for (size_t i = 0; i < p->userStyle.size(); ++i)
                e->elpStyleEntry[i] = p->userStyle[i];
            int size = int(offsetof(EXTLOGPEN, elpStyleEntry) + p->userStyle.size() * sizeof(DWORD));
            return give(buf.data(), std::max(size, int(sizeof(EXTLOGPEN))));
        }
        LOGPEN lp{p->style, POINT{p->width, 0}, p->color};
        return give(&lp, int(sizeof(LOGPEN)));
    }
    case OBJ_BRUSH: {
        auto* b = static_cast<Brush*>(o.get());
        LOGBRUSH lb{b->style, b->color, ULONG_PTR(b->hatch)};
        if (b->style == BS_PATTERN)
            lb.lbColor = 0;
        return give(&lb, int(sizeof(LOGBRUSH)));
    }
    case OBJ_FONT: {
        auto* f = static_cast<Font*>(o.get());
        return give(&f->lf, int(sizeof(LOGFONTW)));
    }
    case OBJ_PAL: {
        WORD n = WORD(static_cast<Palette*>(o.get())->entries.size());
        return give(&n, int(sizeof(WORD)));
    }
    default:
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
}

BOOL UnrealizeObject(HGDIOBJ h)
{
    return Find(h) ? TRUE : FALSE;
}

BOOL GdiFlush()
{
    return TRUE;
}

// ---- Pens, brushes and palettes --------------------------------------------------------------

HPEN ExtCreatePen(DWORD iPenStyle, DWORD cWidth, const LOGBRUSH* plbrush, DWORD cStyle, const DWORD* pstyle)
{
    UINT kind = iPenStyle & PS_STYLE_MASK;
    if (!plbrush || kind > PS_ALTERNATE || (kind == PS_USERSTYLE && (cStyle == 0 || cStyle > 16 || !pstyle)) ||
        ((iPenStyle & PS_TYPE_MASK) == PS_COSMETIC && cWidth != 1)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto p = std::make_shared<Pen>();
    p->style = iPenStyle;
    p->width = int(cWidth);
    p->color = plbrush->lbColor;
    if (kind == PS_USERSTYLE)
        p->userStyle.assign(pstyle, pstyle + cStyle);
    return (HPEN)Insert(p);
}

HPEN CreatePen(int iStyle, int cWidth, COLORREF color)
{
    if (iStyle < 0 || iStyle > PS_INSIDEFRAME) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto p = std::make_shared<Pen>();
    p->style = UINT(iStyle);
    p->width = std::max(0, cWidth);
    p->color = color;
    return (HPEN)Insert(p);
}

HPEN CreatePenIndirect(const LOGPEN* plpen)
{
    if (!plpen) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return CreatePen(int(plpen->lopnStyle), plpen->lopnWidth.x, plpen->lopnColor);
}

HBRUSH CreateSolidBrush(COLORREF color)
{
    auto b = std::make_shared<Brush>();
    b->color = color & 0x00FFFFFF;
    return (HBRUSH)Insert(b);
}

HBRUSH CreateHatchBrush(int iHatch, COLORREF color)
{
    if (iHatch < HS_HORIZONTAL || iHatch > HS_DIAGCROSS) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto b = std::make_shared<Brush>();
    b->style = BS_HATCHED;
    b->hatch = iHatch;
    b->color = color & 0x00FFFFFF;
    return (HBRUSH)Insert(b);
}

HBRUSH CreatePatternBrush(HBITMAP hbm)
{
    GDI_LOCK;
    auto src = Get<Bitmap>(hbm, OBJ_BITMAP);
    if (!src)
        return nullptr;
    // The brush keeps its own copy: the program deletes the bitmap right after.
    auto copy = std::make_shared<Bitmap>();
    if (!copy->Allocate(src->width, src->height, src->bpp)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    copy->colors = src->colors;
    for (int y = 0; y < src->height; ++y)
        std::memcpy(copy->Row(y), src->Row(y), size_t(std::min(copy->stride, src->stride)));
    auto b = std::make_shared<Brush>();
    b->style = BS_PATTERN;
    b->pattern = copy;
    return (HBRUSH)Insert(b);
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* plbrush)
{
    if (!plbrush) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    switch (plbrush->lbStyle) {
    case BS_SOLID: return CreateSolidBrush(plbrush->lbColor);
    case BS_HATCHED: return CreateHatchBrush(int(plbrush->lbHatch), plbrush->lbColor);
    case BS_PATTERN:
    case BS_PATTERN8X8: return CreatePatternBrush((HBITMAP)plbrush->lbHatch);
    case BS_DIBPATTERNPT:
    case BS_DIBPATTERN8X8: return CreateDIBPatternBrushPt((const void*)plbrush->lbHatch, DIB_RGB_COLORS);
    case BS_NULL: {
        GDI_LOCK;
        return (HBRUSH)GetStockObject(NULL_BRUSH);
    }
    default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
    }
}

HPALETTE CreatePalette(const LOGPALETTE* plpal)
{
    if (!plpal || plpal->palNumEntries == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto p = std::make_shared<Palette>();
    p->entries.assign(plpal->palPalEntry, plpal->palPalEntry + plpal->palNumEntries);
    return (HPALETTE)Insert(p);
}

HPALETTE CreateHalftonePalette(HDC hdc)
{
    auto p = std::make_shared<Palette>();
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                p->entries.push_back(PALETTEENTRY{BYTE(r * 51), BYTE(g * 51), BYTE(b * 51), 0});
    return (HPALETTE)Insert(p);
}

UINT GetPaletteEntries(HPALETTE hpal, UINT iStart, UINT cEntries, LPPALETTEENTRY pPalEntries)
{
    GDI_LOCK;
    Stocks();
    auto p = Get<Palette>(hpal, OBJ_PAL);
    if (!p)
        return 0;
    UINT n = UINT(p->entries.size());
    if (!pPalEntries)
        return n;
    if (iStart >= n)
        return 0;
    UINT count = std::min(cEntries, n - iStart);
    for (UINT i = 0; i < count; ++i)
        pPalEntries[i] = p->entries[iStart + i];
    return count;
}

UINT GetNearestPaletteIndex(HPALETTE h, COLORREF color)
{
    GDI_LOCK;
    Stocks();
    auto p = Get<Palette>(h, OBJ_PAL);
    if (!p)
        return CLR_INVALID;
    UINT best = 0;
    int bestD = 1 << 30;
    for (UINT i = 0; i < p->entries.size(); ++i) {
        int dr = p->entries[i].peRed - GetRValue(color), dg = p->entries[i].peGreen - GetGValue(color),
            db = p->entries[i].peBlue - GetBValue(color);
        int d = dr * dr + dg * dg + db * db;
        if (d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return best;
}
