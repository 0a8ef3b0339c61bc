// Classic-look drawing helpers: edges, focus rectangles, frame controls and DrawState.
#include "backend/fonts.h"
#include "win32/gdi/icon_data.h"
#include "win32/gdi/text.h"

#include <cstring>

using namespace gdi;

namespace {

void Line(HDC hdc, int x0, int y0, int x1, int y1, COLORREF c)
{
    // Axis-aligned runs, both ends included, as fills: exact, and independent of the DC's pen
    // and raster mode.
    RECT r{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1) + 1, std::max(y0, y1) + 1};
    DC* dc = DCOf(hdc);
    Brush b;
    b.color = c;
    PatFill(*dc, r, &b, 0xF0);
}

void Fill(HDC hdc, const RECT& r, COLORREF c)
{
    DC* dc = DCOf(hdc);
    Brush b;
    b.color = c;
    PatFill(*dc, r, &b, 0xF0);
}

// One ring of an edge: top and left in one colour, bottom and right in the other.
void Ring(HDC hdc, RECT& r, UINT flags, COLORREF topLeft, COLORREF bottomRight)
{
    if (r.right <= r.left || r.bottom <= r.top)
        return;
    if (flags & BF_TOP)
        Line(hdc, r.left, r.top, r.right - 2, r.top, topLeft);
    if (flags & BF_LEFT)
        Line(hdc, r.left, r.top, r.left, r.bottom - 2, topLeft);
    if (flags & BF_BOTTOM)
        Line(hdc, r.left, r.bottom - 1, r.right - 1, r.bottom - 1, bottomRight);
    if (flags & BF_RIGHT)
        Line(hdc, r.right - 1, r.top, r.right - 1, r.bottom - 1, bottomRight);
    if (flags & BF_LEFT)
        ++r.left;
    if (flags & BF_TOP)
        ++r.top;
    if (flags & BF_RIGHT)
        --r.right;
    if (flags & BF_BOTTOM)
        --r.bottom;
}

void DrawGlyph(HDC hdc, const RECT& r, char16_t glyph, COLORREF color, bool disabled)
{
    int size = std::min(r.right - r.left, r.bottom - r.top);
    if (size <= 0)
        return;
    HFONT f = CreateFontW(-size, 0, 0, 0, FW_NORMAL, 0, 0, 0, SYMBOL_CHARSET, 0, 0, 0, 0, u"Marlett");
    int saved = SaveDC(hdc);
    SelectObject(hdc, f);
    SetBkMode(hdc, TRANSPARENT);
    int x = r.left + (r.right - r.left - size) / 2, y = r.top + (r.bottom - r.top - size) / 2;
    if (disabled) {
        SetTextColor(hdc, GetSysColor(COLOR_BTNHIGHLIGHT));
        TextOutW(hdc, x + 1, y + 1, &glyph, 1);
        color = GetSysColor(COLOR_BTNSHADOW);
    }
    SetTextColor(hdc, color);
    TextOutW(hdc, x, y, &glyph, 1);
    RestoreDC(hdc, saved);
    DeleteObject(f);
}

// The classic caption glyphs, drawn pixel by pixel about the button's centre so they stay crisp at the
// caption's few pixels: close, minimise, maximise and restore (two windows, the back one partly hidden).
bool CaptionGlyph(HDC hdc, const RECT& r, UINT kind, COLORREF c)
{
    int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    auto box = [&](int x0, int y0, int x1, int y1) { Fill(hdc, RECT{cx + x0, cy + y0, cx + x1, cy + y1}, c); };
    auto window = [&](int x, int y, int w, int h) { // a frame with a two-pixel title bar
        box(x, y, x + w, y + 2);
        box(x, y, x + 1, y + h);
        box(x + w - 1, y, x + w, y + h);
        box(x, y + h - 1, x + w, y + h);
    };
    switch (kind) {
    case DFCS_CAPTIONCLOSE:
        for (int i = -3; i <= 3; ++i) {
            box(i - 1, i, i + 1, i + 1);
            box(-i - 1, i, -i + 1, i + 1);
        }
        return true;
    case DFCS_CAPTIONMIN: box(-4, 2, 2, 4); return true;
    case DFCS_CAPTIONMAX: window(-4, -4, 9, 8); return true;
    case DFCS_CAPTIONRESTORE:
        box(-2, -4, 4, -2);  // the back window's title bar
        box(3, -2, 4, 2);    // its right side
        box(1, 1, 4, 2);     // its bottom, where the front window leaves it
        box(-2, -2, -1, -1); // its left side above the front window
        window(-4, -1, 6, 6);
        return true;
    }
    return false;
}

} // namespace

BOOL DrawEdge(HDC hdc, LPRECT qrc, UINT edge, UINT grfFlags)
{
    GDI_LOCK;
    if (!DCOf(hdc) || !qrc)
        return FALSE;
    RECT r = *qrc;
    COLORREF light = GetSysColor(COLOR_3DLIGHT), hilight = GetSysColor(COLOR_BTNHIGHLIGHT),
             shadow = GetSysColor(COLOR_BTNSHADOW), dark = GetSysColor(COLOR_3DDKSHADOW);
    if (grfFlags & (BF_MONO | BF_FLAT)) {
        Ring(hdc, r, grfFlags, (grfFlags & BF_MONO) ? RGB(0, 0, 0) : shadow, (grfFlags & BF_MONO) ? RGB(0, 0, 0) : shadow);
        if ((grfFlags & BF_FLAT) && (edge & BDR_INNER))
            Ring(hdc, r, grfFlags, GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNFACE));
    } else {
        bool soft = grfFlags & BF_SOFT;
        if (edge & BDR_RAISEDOUTER)
            Ring(hdc, r, grfFlags, soft ? hilight : light, dark);
        else if (edge & BDR_SUNKENOUTER)
            Ring(hdc, r, grfFlags, soft ? dark : shadow, hilight);
        if (edge & BDR_RAISEDINNER)
            Ring(hdc, r, grfFlags, soft ? light : hilight, shadow);
        else if (edge & BDR_SUNKENINNER)
            Ring(hdc, r, grfFlags, soft ? shadow : dark, light);
    }
    if ((grfFlags & BF_MIDDLE) && r.left < r.right && r.top < r.bottom)
        Fill(hdc, r, GetSysColor(COLOR_BTNFACE));
    if (grfFlags & BF_ADJUST)
        *qrc = r;
    return TRUE;
}

BOOL DrawFocusRect(HDC hDC, const RECT* lprc)
{
    GDI_LOCK;
    DC* dc = DCOf(hDC);
    if (!dc || !lprc)
        return FALSE;
    RECT t = ToTarget(*dc, *lprc);
    if (t.right <= t.left || t.bottom <= t.top)
        return TRUE;
    Bitmap& b = dc->Target();
    const RegionData& clip = dc->Clip();
    uint32_t invert = b.bpp == 32 ? 0x00FFFFFF : b.Mask();
    // Dots on every other pixel of the border, anchored at the rectangle's own corner, so the
    // same call removes them again.
    auto dot = [&](int x, int y) {
        if (((x - t.left) + (y - t.top)) % 2 == 0 && clip.Contains(x, y))
            b.Set(x, y, b.Get(x, y) ^ invert);
    };
    for (int x = t.left; x < t.right; ++x) {
        dot(x, t.top);
        if (t.bottom - 1 > t.top)
            dot(x, t.bottom - 1);
    }
    for (int y = t.top + 1; y < t.bottom - 1; ++y) {
        dot(t.left, y);
        if (t.right - 1 > t.left)
            dot(t.right - 1, y);
    }
    return TRUE;
}

BOOL DrawFrameControl(HDC hdc, LPRECT lprc, UINT uType, UINT uState)
{
    GDI_LOCK;
    if (!DCOf(hdc) || !lprc)
        return FALSE;
    RECT r = *lprc;
    bool pushed = uState & DFCS_PUSHED, inactive = uState & DFCS_INACTIVE;
    auto buttonFace = [&](RECT& box) {
        if (uState & DFCS_FLAT) {
            DrawEdge(hdc, &box, pushed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
        } else if (pushed) {
            DrawEdge(hdc, &box, BDR_SUNKENOUTER, BF_RECT | BF_MONO | BF_ADJUST);
            DrawEdge(hdc, &box, BDR_SUNKENOUTER, BF_RECT | BF_FLAT | BF_ADJUST);
        } else {
            DrawEdge(hdc, &box, EDGE_RAISED, BF_RECT | BF_ADJUST);
        }
        if (!(uState & DFCS_TRANSPARENT))
            Fill(hdc, box, GetSysColor(COLOR_BTNFACE));
    };
    switch (uType) {
    case DFC_BUTTON: {
        UINT kind = uState & 0xFF;
        if (kind & DFCS_BUTTONPUSH) {
            buttonFace(r);
            if (uState & DFCS_ADJUSTRECT)
                *lprc = r;
            return TRUE;
        }
        int size = std::min(r.right - r.left, r.bottom - r.top);
        RECT box{r.left, r.top, r.left + size, r.top + size};
        bool radio = kind & (DFCS_BUTTONRADIO | DFCS_BUTTONRADIOIMAGE);
        COLORREF paper = inactive || pushed ? GetSysColor(COLOR_BTNFACE) : GetSysColor(COLOR_WINDOW);
        if (radio) {
            DC* dc = DCOf(hdc);
            RegionData disc = RegionData::Ellipse(dc->TX(box.left), dc->TY(box.top), dc->TX(box.right), dc->TY(box.bottom));
            FillRegionRop2(*dc, disc, dc->Format().FromColor(GetSysColor(COLOR_BTNSHADOW)), R2_COPYPEN);
            RegionData inner = RegionData::Ellipse(dc->TX(box.left + 2), dc->TY(box.top + 2), dc->TX(box.right - 2),
                                                   dc->TY(box.bottom - 2));
            FillRegionRop2(*dc, inner, dc->Format().FromColor(paper), R2_COPYPEN);
            if (uState & DFCS_CHECKED)
                DrawGlyph(hdc, box, u'i', inactive ? GetSysColor(COLOR_GRAYTEXT) : 0, false);
            return TRUE;
        }
        DrawEdge(hdc, &box, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        Fill(hdc, box, paper);
        if (uState & DFCS_CHECKED)
            DrawGlyph(hdc, box, u'a', inactive ? GetSysColor(COLOR_GRAYTEXT) : 0, false);
        return TRUE;
    }
    case DFC_CAPTION:
    case DFC_SCROLL: {
        buttonFace(r);
        if (pushed)
            r = RECT{r.left + 1, r.top + 1, r.right + 1, r.bottom + 1};
        static const char16_t caption[] = {u'r', u'0', u'1', u'2', u's'};
        static const char16_t scroll[] = {u'5', u'6', u'3', u'4', u'6', u'6'};
        UINT k = uState & 0xFF;
        if (uType == DFC_SCROLL && (k & DFCS_SCROLLSIZEGRIP))
            return TRUE;
        if (uType == DFC_CAPTION && k != DFCS_CAPTIONHELP) {
            // A disabled glyph is embossed: its highlight one pixel down and right, its shadow over it.
            if (inactive)
                CaptionGlyph(hdc, RECT{r.left + 1, r.top + 1, r.right + 1, r.bottom + 1}, k,
                             GetSysColor(COLOR_BTNHIGHLIGHT));
            if (CaptionGlyph(hdc, r, k, GetSysColor(inactive ? COLOR_BTNSHADOW : COLOR_BTNTEXT)))
                return TRUE;
        }
        char16_t glyph = uType == DFC_CAPTION ? (k < 5 ? caption[k] : u'r') : (k < 6 ? scroll[k] : u'6');
        r = RECT{r.left + 2, r.top + 2, r.right - 2, r.bottom - 2};
        DrawGlyph(hdc, r, glyph, 0, inactive);
        return TRUE;
    }
    case DFC_MENU:
    case DFC_POPUPMENU: {
        static const char16_t menu[] = {u'8', u'a', u'h', u'8', u'8'};
        UINT k = uState & 0xFF;
        DrawGlyph(hdc, r, k < 5 ? menu[k] : u'8', GetTextColor(hdc), inactive);
        return TRUE;
    }
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
}

BOOL DrawStateW(HDC hdc, HBRUSH hbrFore, DRAWSTATEPROC qfnCallBack, LPARAM lData, WPARAM wData, int x, int y, int cx,
                int cy, UINT uFlags)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return FALSE;
    UINT kind = uFlags & 0x000F;
    const WCHAR* text = reinterpret_cast<const WCHAR*>(lData);
    int len = 0;
    if (kind == DST_TEXT || kind == DST_PREFIXTEXT) {
        if (!text)
            return FALSE;
        len = wData ? int(wData) : int(std::char_traits<char16_t>::length(text));
    }
    // The item's own size when none is given.
    if (cx == 0 || cy == 0) {
        SIZE sz{0, 0};
        if (kind == DST_TEXT || kind == DST_PREFIXTEXT) {
            RECT calc{0, 0, 0, 0};
            DrawTextW(hdc, text, len, &calc, DT_SINGLELINE | DT_CALCRECT | (kind == DST_TEXT ? DT_NOPREFIX : 0));
            sz = SIZE{calc.right, calc.bottom};
        } else if (kind == DST_ICON) {
            auto icon = GetIcon((HICON)lData);
            if (!icon)
                return FALSE;
            sz = SIZE{icon->width, icon->height};
        } else if (kind == DST_BITMAP) {
            auto b = Get<Bitmap>((HBITMAP)lData, OBJ_BITMAP);
            if (!b)
                return FALSE;
            sz = SIZE{b->width, b->height};
        }
        if (!cx)
            cx = sz.cx;
        if (!cy)
            cy = sz.cy;
    }
    if (cx <= 0 || cy <= 0)
        return TRUE;
    UINT textFlags = DT_SINGLELINE | DT_NOCLIP | (kind == DST_TEXT ? DT_NOPREFIX : 0) |
                     ((uFlags & DSS_HIDEPREFIX) ? DT_HIDEPREFIX : 0) | ((uFlags & DSS_RIGHT) ? DT_RIGHT : 0);
    // Draws the item at (px, py) into `target`; text in the target's own colours.
    auto render = [&](HDC target, int px, int py) -> bool {
        switch (kind) {
        case DST_TEXT:
        case DST_PREFIXTEXT: {
            RECT r{px, py, px + cx, py + cy};
            DrawTextW(target, text, len, &r, textFlags);
            return true;
        }
        case DST_ICON: return DrawIconEx(target, px, py, (HICON)lData, cx, cy, 0, nullptr, DI_NORMAL);
        case DST_BITMAP: {
            HDC mem = CreateCompatibleDC(nullptr);
            HGDIOBJ old = SelectObject(mem, (HBITMAP)lData);
            bool ok = old && BitBlt(target, px, py, cx, cy, mem, 0, 0, SRCCOPY);
            SelectObject(mem, old);
            DeleteDC(mem);
            return ok;
        }
        case DST_COMPLEX: {
            if (!qfnCallBack)
                return false;
            int saved = SaveDC(target);
            SetViewportOrgEx(target, px, py, nullptr);
            bool ok = qfnCallBack(target, lData, wData, cx, cy);
            RestoreDC(target, saved);
            return ok;
        }
        }
        return false;
    };
    if (!(uFlags & (DSS_DISABLED | DSS_MONO | DSS_UNION))) {
        int saved = SaveDC(hdc);
        SetBkMode(hdc, TRANSPARENT);
        bool ok = render(hdc, x, y);
        RestoreDC(hdc, saved);
        return ok;
    }
    // Disabled and monochrome states draw the item's shape: render it black on white first.
    HDC mem = CreateCompatibleDC(nullptr);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), cx, -cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bmp) {
        DeleteDC(mem);
        return FALSE;
    }
    HGDIOBJ oldBmp = SelectObject(mem, bmp);
    RECT all{0, 0, cx, cy};
    FillRect(mem, &all, (HBRUSH)GetStockObject(WHITE_BRUSH));
    SelectObject(mem, GetCurrentObject(hdc, OBJ_FONT));
    SetTextColor(mem, RGB(0, 0, 0));
    SetBkMode(mem, TRANSPARENT);
    bool ok = render(mem, 0, 0);
    SelectObject(mem, GetStockObject(SYSTEM_FONT));
    std::vector<std::vector<Span>> rows(static_cast<size_t>(cy));
    const uint32_t* px = static_cast<const uint32_t*>(bits);
    for (int yy = 0; yy < cy; ++yy)
        for (int xx = 0; xx < cx; ++xx)
            if ((px[size_t(yy) * size_t(cx) + size_t(xx)] & 0x00FFFFFF) != 0x00FFFFFF)
                rows[size_t(yy)].push_back(Span{xx, xx + 1});
    RegionData shape = RegionData::FromRows(0, rows);
    SelectObject(mem, oldBmp);
    DeleteObject(bmp);
    DeleteDC(mem);
    auto paint = [&](int dx, int dy, const Brush* brush) {
        RegionData r = shape;
        r.Offset(dc->TX(x) + dx, dc->TY(y) + dy);
        FillRegionRop(*dc, r, RealiseBrush(*dc, brush), 0xF0);
    };
    if (uFlags & DSS_DISABLED) {
        Brush hi, sh;
        hi.color = GetSysColor(COLOR_BTNHIGHLIGHT);
        sh.color = GetSysColor(COLOR_BTNSHADOW);
        paint(1, 1, &hi);
        paint(0, 0, &sh);
    } else {
        auto fore = hbrFore ? Get<Brush>(ResolveBrush(hbrFore), OBJ_BRUSH) : nullptr;
        Brush text;
        text.color = dc->st.textColor;
        paint(0, 0, fore ? fore.get() : &text);
    }
    return ok;
}
