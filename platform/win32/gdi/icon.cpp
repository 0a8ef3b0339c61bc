// Icons and cursors: creation from bitmaps and resource data, copies, destruction, drawing.
#include "win32/gdi/icon_data.h"
#include "win32/resources.h"

#include <cstring>

namespace gdi {

std::shared_ptr<Icon> GetIcon(HICON h)
{
    auto o = Find(h);
    if (!o || o->type != kIconType) {
        SetLastError(ERROR_INVALID_ICON_HANDLE);
        return nullptr;
    }
    return std::static_pointer_cast<Icon>(o);
}

std::shared_ptr<Bitmap> CopyBitmap(const Bitmap& b)
{
    auto c = std::make_shared<Bitmap>();
    c->colors = b.colors;
    if (!c->Allocate(b.width, b.height, b.bpp))
        return nullptr;
    for (int y = 0; y < b.height; ++y)
        std::memcpy(c->Row(y), b.Row(y), size_t(std::min(c->stride, std::abs(b.stride))));
    return c;
}

std::shared_ptr<Bitmap> To32(const Bitmap& b)
{
    auto c = std::make_shared<Bitmap>();
    if (!c->Allocate(b.width, b.height, 32))
        return nullptr;
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x)
            c->Set(x, y, b.bpp == 32 ? b.Get(x, y) : c->FromColor(b.ToColor(b.Get(x, y))));
    return c;
}

namespace {

bool HasAlpha(const Bitmap& b)
{
    if (b.bpp != 32)
        return false;
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x)
            if (b.Get(x, y) >> 24)
                return true;
    return false;
}

uint32_t Blend(uint32_t src, uint32_t dst)
{
    uint32_t a = src >> 24, out = 0;
    for (int sh = 0; sh < 24; sh += 8) {
        uint32_t s = (src >> sh) & 0xFF, d = (dst >> sh) & 0xFF;
        out |= ((s * a + d * (255 - a) + 127) / 255) << sh;
    }
    uint32_t da = dst >> 24;
    out |= (a + (da * (255 - a) + 127) / 255) << 24;
    return out;
}

} // namespace

void DrawIconAt(DC& dc, const Icon& icon, int x0, int y0, int w, int h, UINT flags)
{
    if (w <= 0 || h <= 0 || !icon.mask)
        return;
    Bitmap& t = dc.Target();
    bool alpha = icon.color && (flags & DI_IMAGE) && HasAlpha(*icon.color);
    RECT box = dc.Clip().Box();
    int ya = std::max<int>(y0, box.top), yb = std::min<int64_t>(int64_t(y0) + h, box.bottom);
    int xa = std::max<int>(x0, box.left), xb = std::min<int64_t>(int64_t(x0) + w, box.right);
    uint32_t white = t.FromColor(RGB(255, 255, 255)), black = t.FromColor(0);
    for (int y = ya; y < yb; ++y) {
        int sy = int(int64_t(y - y0) * icon.height / h);
        ClipSpan(dc, y, xa, xb, [&](int yy, int a, int e) {
            for (int x = a; x < e; ++x) {
                int sx = int(int64_t(x - x0) * icon.width / w);
                bool transparent = icon.mask->Get(sx, sy) != 0;
                uint32_t d = t.Get(x, yy);
                uint32_t c;
                if (icon.color) {
                    uint32_t raw = icon.color->Get(sx, sy);
                    if (alpha && t.bpp == 32) {
                        if (flags & DI_MASK && !(raw >> 24) && transparent)
                            continue;
                        t.Set(x, yy, Blend(raw, d));
                        continue;
                    }
                    c = t.bpp == 32 ? (raw & 0x00FFFFFF) : t.FromColor(icon.color->ToColor(raw));
                } else {
                    c = icon.mask->Get(sx, sy + icon.height) ? white : black;
                }
                uint32_t m = transparent ? white : black;
                uint32_t out;
                if ((flags & DI_NORMAL) == DI_NORMAL)
                    out = (d & m) ^ c;
                else if (flags & DI_MASK)
                    out = d & m;
                else
                    out = c;
                t.Set(x, yy, out & t.Mask());
            }
        });
    }
}

std::shared_ptr<Icon> IconFromDib(const BYTE* data, size_t size, bool isIcon, POINT hotspot)
{
    if (size < sizeof(BITMAPINFOHEADER))
        return nullptr;
    BITMAPINFOHEADER h;
    std::memcpy(&h, data, sizeof h);
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > size || h.biHeight <= 0 || h.biWidth <= 0 ||
        h.biWidth > 1024 || h.biHeight > 2048 || h.biCompression != BI_RGB)
        return nullptr;
    int w = h.biWidth, fullH = h.biHeight, ih = fullH / 2;
    int bpp = h.biBitCount;
    if (ih <= 0 || (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32))
        return nullptr;
    size_t colors = bpp <= 8 ? (h.biClrUsed ? std::min<size_t>(h.biClrUsed, size_t(1) << bpp) : size_t(1) << bpp) : 0;
    size_t xorStride = size_t((w * bpp + 31) / 32) * 4, andStride = size_t((w + 31) / 32) * 4;
    size_t need = h.biSize + colors * 4 + xorStride * size_t(ih) + andStride * size_t(ih);
    if (need > size)
        return nullptr;
    const BYTE* table = data + h.biSize;
    const BYTE* xorBits = table + colors * 4;
    const BYTE* andBits = xorBits + xorStride * size_t(ih);
    auto icon = std::make_shared<Icon>();
    icon->isIcon = isIcon;
    icon->width = w;
    icon->height = ih;
    icon->hotspot = isIcon ? POINT{w / 2, ih / 2} : hotspot;
    icon->mask = std::make_shared<Bitmap>();
    if (!icon->mask->Allocate(w, ih, 1))
        return nullptr;
    for (int y = 0; y < ih; ++y)
        std::memcpy(icon->mask->Row(y), andBits + size_t(ih - 1 - y) * andStride, andStride);
    // The colour part as a bitmap of its own depth, read through the shared DIB code.
    Bitmap view;
    view.width = w;
    view.height = ih;
    view.bpp = bpp;
    view.stride = int(xorStride);
    view.topDown = false;
    view.bits = const_cast<BYTE*>(xorBits);
    const RGBQUAD* q = reinterpret_cast<const RGBQUAD*>(table);
    view.colors.assign(q, q + colors);
    icon->color = To32(view);
    return icon->color ? icon : nullptr;
}

} // namespace gdi

using namespace gdi;

HICON CreateIconIndirect(PICONINFO ii)
{
    GDI_LOCK;
    if (!ii || !ii->hbmMask) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto mask = Get<Bitmap>(ii->hbmMask, OBJ_BITMAP);
    if (!mask)
        return nullptr;
    auto icon = std::make_shared<Icon>();
    icon->isIcon = ii->fIcon != 0;
    if (ii->hbmColor) {
        auto color = Get<Bitmap>(ii->hbmColor, OBJ_BITMAP);
        if (!color)
            return nullptr;
        icon->width = color->width;
        icon->height = color->height;
        icon->color = To32(*color);
    } else {
        icon->width = mask->width;
        icon->height = mask->height / 2;
    }
    // The mask is kept as monochrome bits: a colour mask counts white as transparent.
    icon->mask = std::make_shared<Bitmap>();
    if (!icon->mask->Allocate(mask->width, mask->height, 1) || icon->width <= 0 || icon->height <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    for (int y = 0; y < mask->height; ++y)
        for (int x = 0; x < mask->width; ++x)
            icon->mask->Set(x, y, mask->bpp == 1 ? mask->Get(x, y) : (mask->ToColor(mask->Get(x, y)) == RGB(255, 255, 255)));
    icon->hotspot = icon->isIcon ? POINT{icon->width / 2, icon->height / 2} : POINT{LONG(ii->xHotspot), LONG(ii->yHotspot)};
    return (HICON)Insert(icon);
}

BOOL GetIconInfo(HICON hIcon, PICONINFO ii)
{
    GDI_LOCK;
    auto icon = GetIcon(hIcon);
    if (!icon || !ii)
        return FALSE;
    ii->fIcon = icon->isIcon;
    ii->xHotspot = DWORD(icon->hotspot.x);
    ii->yHotspot = DWORD(icon->hotspot.y);
    auto mask = CopyBitmap(*icon->mask);
    ii->hbmMask = mask ? (HBITMAP)Insert(mask) : nullptr;
    ii->hbmColor = nullptr;
    if (icon->color)
        if (auto c = CopyBitmap(*icon->color))
            ii->hbmColor = (HBITMAP)Insert(c);
    return TRUE;
}

HICON CopyIcon(HICON hIcon)
{
    GDI_LOCK;
    auto icon = GetIcon(hIcon);
    if (!icon)
        return nullptr;
    auto copy = std::make_shared<Icon>(*icon);
    copy->shared = false;
    copy->stock = false;
    return (HICON)Insert(copy);
}

BOOL DestroyIcon(HICON hIcon)
{
    GDI_LOCK;
    auto icon = GetIcon(hIcon);
    if (!icon)
        return FALSE;
    if (icon->shared) {
        SetLastError(ERROR_INVALID_ICON_HANDLE);
        return FALSE;
    }
    Remove(hIcon);
    return TRUE;
}

BOOL DestroyCursor(HCURSOR hCursor)
{
    GDI_LOCK;
    auto icon = GetIcon(hCursor);
    if (!icon || icon->shared) {
        SetLastError(ERROR_INVALID_CURSOR_HANDLE);
        return FALSE;
    }
    Remove(hCursor);
    return TRUE;
}

BOOL DrawIconEx(HDC hdc, int xLeft, int yTop, HICON hIcon, int cxWidth, int cyWidth, UINT istepIfAniCur,
                HBRUSH hbrFlickerFreeDraw, UINT diFlags)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    auto icon = GetIcon(hIcon);
    if (!dc || !icon)
        return FALSE;
    if (!(diFlags & DI_NORMAL)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int w = cxWidth ? cxWidth : (diFlags & DI_DEFAULTSIZE) ? 32 : icon->width;
    int h = cyWidth ? cyWidth : (diFlags & DI_DEFAULTSIZE) ? 32 : icon->height;
    DrawIconAt(*dc, *icon, dc->TX(xLeft), dc->TY(yTop), w, h, diFlags);
    return TRUE;
}

BOOL DrawIcon(HDC hDC, int X, int Y, HICON hIcon)
{
    return DrawIconEx(hDC, X, Y, hIcon, 0, 0, 0, nullptr, DI_NORMAL);
}

HICON CreateIconFromResourceEx(PBYTE presbits, DWORD dwResSize, BOOL fIcon, DWORD dwVer, int cxDesired, int cyDesired,
                               UINT Flags)
{
    GDI_LOCK;
    if (!presbits || dwResSize < (fIcon ? 40u : 44u)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    POINT hot{0, 0};
    if (!fIcon) {
        hot = POINT{presbits[0] | presbits[1] << 8, presbits[2] | presbits[3] << 8};
        presbits += 4;
        dwResSize -= 4;
    }
    auto icon = IconFromDib(presbits, dwResSize, fIcon != 0, hot);
    if (!icon) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    icon->shared = (Flags & LR_SHARED) != 0;
    return (HICON)Insert(icon);
}

HICON CreateIconFromResource(PBYTE presbits, DWORD dwResSize, BOOL fIcon, DWORD dwVer)
{
    return CreateIconFromResourceEx(presbits, dwResSize, fIcon, dwVer, 0, 0, 0);
}
