// The layer's cursors as X cursors: system shapes from the X cursor font, others from their bitmaps.
#include "backend/x11/internal.h"

#include "win32/gdi.h"
#include "win32/gdi/icon_data.h"

#include <X11/cursorfont.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

namespace x11 {

namespace {

struct SystemShape {
    UINT id;
    unsigned shape;
};

const SystemShape kShapes[] = {
    {32512, XC_left_ptr},           {32513, XC_xterm},           {32514, XC_watch},
    {32515, XC_crosshair},          {32516, XC_sb_up_arrow},     {32642, XC_bottom_right_corner},
    {32643, XC_bottom_left_corner}, {32644, XC_sb_h_double_arrow}, {32645, XC_sb_v_double_arrow},
    {32646, XC_fleur},              {32648, XC_X_cursor},        {32649, XC_hand2},
    {32650, XC_watch},              {32651, XC_question_arrow},
};

struct CursorCache {
    std::map<unsigned, ::Cursor> font;
    ::Cursor own = 0; // the last cursor made from a bitmap; freed when another replaces it
    ::Cursor blank = 0;
};

CursorCache& K()
{
    static auto* k = new CursorCache;
    return *k;
}

::Cursor FontCursor(unsigned shape)
{
    auto& k = K();
    auto it = k.font.find(shape);
    if (it != k.font.end())
        return it->second;
    ::Cursor x = XCreateFontCursor(C().dpy, shape);
    k.font[shape] = x;
    return x;
}

// Draws the cursor the way the layer would and keeps what X can show of it: black, white and
// transparent pixels (inverting ones become black).
::Cursor BitmapCursor(HCURSOR cursor)
{
    auto& c = C();
    auto icon = gdi::GetIcon((HICON)cursor);
    if (!icon || icon->width <= 0 || icon->height <= 0 || icon->width > 256 || icon->height > 256)
        return 0;
    int w = icon->width, h = icon->height;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits[2] = {};
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP image = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits[0], nullptr, 0);
    HBITMAP mask = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits[1], nullptr, 0);
    ::Cursor result = 0;
    if (image && mask && bits[0] && bits[1]) {
        HGDIOBJ old = SelectObject(dc, image);
        DrawIconEx(dc, 0, 0, (HICON)cursor, w, h, 0, nullptr, DI_IMAGE);
        SelectObject(dc, mask);
        // The mask is combined with what is below it: on white it shows as itself.
        memset(bits[1], 0xFF, (size_t)(w) * (h) * 4);
        DrawIconEx(dc, 0, 0, (HICON)cursor, w, h, 0, nullptr, DI_MASK);
        SelectObject(dc, old);
        GdiFlush();
        int rowBytes = (w + 7) / 8;
        std::vector<char> src((size_t)rowBytes * h), shown((size_t)rowBytes * h);
        auto* px = (const uint32_t*)bits[0];
        auto* mk = (const uint32_t*)bits[1];
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                uint32_t p = px[y * w + x];
                bool screen = (mk[y * w + x] & 0xFFFFFF) != 0;
                bool colour = (p & 0xFFFFFF) != 0;
                if (screen && !colour)
                    continue;
                int lum = (int)(((p >> 16) & 0xFF) * 30 + ((p >> 8) & 0xFF) * 59 + (p & 0xFF) * 11) / 100;
                char bit = (char)(1 << (x & 7));
                shown[(size_t)y * rowBytes + x / 8] |= bit;
                if (screen || lum < 128)
                    src[(size_t)y * rowBytes + x / 8] |= bit; // black
            }
        Pixmap ps = XCreateBitmapFromData(c.dpy, c.root, src.data(), (unsigned)w, (unsigned)h);
        Pixmap pm = XCreateBitmapFromData(c.dpy, c.root, shown.data(), (unsigned)w, (unsigned)h);
        XColor black{}, white{};
        white.red = white.green = white.blue = 0xFFFF;
        black.flags = white.flags = DoRed | DoGreen | DoBlue;
        int hx = std::clamp<int>(icon->hotspot.x, 0, w - 1), hy = std::clamp<int>(icon->hotspot.y, 0, h - 1);
        result = XCreatePixmapCursor(c.dpy, ps, pm, &black, &white, (unsigned)hx, (unsigned)hy);
        XFreePixmap(c.dpy, ps);
        XFreePixmap(c.dpy, pm);
    }
    if (image)
        DeleteObject(image);
    if (mask)
        DeleteObject(mask);
    DeleteDC(dc);
    return result;
}

} // namespace

::Cursor CursorFor(HCURSOR cursor)
{
    auto& k = K();
    if (!cursor) {
        // No cursor: the pointer is not shown over the layer's windows.
        if (!k.blank) {
            auto& c = C();
            char none = 0;
            Pixmap p = XCreateBitmapFromData(c.dpy, c.root, &none, 1, 1);
            XColor black{};
            k.blank = XCreatePixmapCursor(c.dpy, p, p, &black, &black, 0, 0);
            XFreePixmap(c.dpy, p);
        }
        return k.blank;
    }
    ::Cursor x = 0;
    for (auto& s : kShapes)
        if (GetSystemCursor(s.id) == cursor)
            x = FontCursor(s.shape);
    if (!x) {
        x = BitmapCursor(cursor);
        if (!x)
            x = FontCursor(XC_left_ptr);
        else {
            if (k.own)
                XFreeCursor(C().dpy, k.own);
            k.own = x;
        }
    }
    return x;
}

void FreeCursors()
{
    auto& k = K();
    auto& c = C();
    for (auto& [shape, x] : k.font)
        XFreeCursor(c.dpy, x);
    k.font.clear();
    if (k.own)
        XFreeCursor(c.dpy, k.own);
    if (k.blank)
        XFreeCursor(c.dpy, k.blank);
    k.own = k.blank = 0;
    c.cursor = 0;
}

} // namespace x11
