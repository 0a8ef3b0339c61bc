// Image lists: a strip of equal images with optional masks, added, replaced and drawn in the list's styles.
#include "win32/gdi/icon_data.h"
#include "win32/gdi/shared_image_list.h"
#include "win32/resources.h"

#include <cstring>

using namespace gdi;

namespace {

constexpr DWORD kImageListType = 0x101;
constexpr int kPerRow = 4; // images per row of the strip

struct ImageList : Object {
    int cx = 0, cy = 0;
    UINT flags = 0;
    int count = 0, capacity = 0, grow = 4;
    COLORREF bk = CLR_NONE;
    bool shared = false; // the system's lists outlive every window that shows them
    std::shared_ptr<Bitmap> image, mask;
    HBITMAP hImage = nullptr, hMask = nullptr; // handles of the strips, for GetImageInfo
    ImageList() { type = kImageListType; }
    ~ImageList() override
    {
        if (hImage)
            Remove(hImage);
        if (hMask)
            Remove(hMask);
    }
    bool Masked() const { return flags & ILC_MASK; }
    POINT Origin(int i) const { return POINT{(i % kPerRow) * cx, (i / kPerRow) * cy}; }

    // Makes room for n images, keeping those there.
    bool Reserve(int n)
    {
        if (n <= capacity && image)
            return true;
        int cap = std::max(n, capacity + std::max(grow, 1));
        int rows = (cap + kPerRow - 1) / kPerRow;
        auto img = std::make_shared<Bitmap>();
        if (!img->Allocate(std::max(1, cx * kPerRow), std::max(1, cy * rows), 32))
            return false;
        img->dib = true;
        std::shared_ptr<Bitmap> msk;
        if (Masked()) {
            msk = std::make_shared<Bitmap>();
            if (!msk->Allocate(std::max(1, cx * kPerRow), std::max(1, cy * rows), 1))
                return false;
        }
        for (int y = 0; image && y < image->height; ++y) {
            std::memcpy(img->Row(y), image->Row(y), size_t(image->stride));
            if (msk && mask)
                std::memcpy(msk->Row(y), mask->Row(y), size_t(mask->stride));
        }
        if (hImage)
            Remove(hImage);
        if (hMask)
            Remove(hMask);
        image = img;
        mask = msk;
        hImage = (HBITMAP)Insert(image);
        hMask = mask ? (HBITMAP)Insert(mask) : nullptr;
        capacity = cap;
        return true;
    }

    // Copies image i from a source bitmap cell, with the mask from `srcMask` (1 = transparent),
    // or all opaque.
    void Store(int i, const Bitmap& src, int sx, const Bitmap* srcMask)
    {
        POINT o = Origin(i);
        bool keepAlpha = (flags & 0xFE) == ILC_COLOR32;
        for (int y = 0; y < cy; ++y)
            for (int x = 0; x < cx; ++x) {
                uint32_t v = 0;
                if (sx + x < src.width && y < src.height) {
                    uint32_t raw = src.Get(sx + x, y);
                    v = src.bpp == 32 ? raw : image->FromColor(src.ToColor(raw));
                    if (!keepAlpha)
                        v &= 0x00FFFFFF;
                }
                image->Set(o.x + x, o.y + y, v);
                if (mask) {
                    uint32_t m = 0;
                    if (srcMask && sx + x < srcMask->width && y < srcMask->height)
                        m = srcMask->bpp == 1 ? srcMask->Get(sx + x, y)
                                              : srcMask->ToColor(srcMask->Get(sx + x, y)) == RGB(255, 255, 255);
                    mask->Set(o.x + x, o.y + y, m);
                }
            }
    }
};

std::shared_ptr<ImageList> GetList(HIMAGELIST h)
{
    auto o = Find(h);
    if (!o || o->type != kImageListType) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return std::static_pointer_cast<ImageList>(o);
}

uint32_t Mix(uint32_t a, COLORREF b, int percentB)
{
    uint32_t out = 0;
    uint32_t bv = uint32_t(GetRValue(b)) << 16 | uint32_t(GetGValue(b)) << 8 | GetBValue(b);
    for (int sh = 0; sh < 24; sh += 8) {
        uint32_t x = (a >> sh) & 0xFF, y = (bv >> sh) & 0xFF;
        out |= ((x * uint32_t(100 - percentB) + y * uint32_t(percentB) + 50) / 100) << sh;
    }
    return out | (a & 0xFF000000);
}

} // namespace

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int cInitial, int cGrow)
{
    GDI_LOCK;
    if (cx <= 0 || cy <= 0 || cx > 1024 || cy > 1024 || cInitial < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto l = std::make_shared<ImageList>();
    l->cx = cx;
    l->cy = cy;
    l->flags = flags;
    l->grow = std::max(cGrow, 1);
    if (!l->Reserve(std::max(cInitial, 1))) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return (HIMAGELIST)Insert(l);
}

BOOL ImageList_Destroy(HIMAGELIST himl)
{
    GDI_LOCK;
    auto l = GetList(himl);
    if (!l)
        return FALSE;
    if (l->shared) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    Remove(himl);
    return TRUE;
}

bool gdi::ShareImageList(HIMAGELIST himl)
{
    GDI_LOCK;
    auto l = GetList(himl);
    if (!l)
        return false;
    l->shared = true;
    return true;
}

int ImageList_GetImageCount(HIMAGELIST himl)
{
    GDI_LOCK;
    auto l = GetList(himl);
    return l ? l->count : 0;
}

BOOL ImageList_SetImageCount(HIMAGELIST himl, UINT uNewCount)
{
    GDI_LOCK;
    auto l = GetList(himl);
    if (!l || uNewCount > 0x10000 || !l->Reserve(int(uNewCount)))
        return FALSE;
    // New images start blank (black and opaque).
    for (int i = l->count; i < int(uNewCount); ++i) {
        Bitmap blank;
        l->Store(i, blank, 0, nullptr);
    }
    l->count = int(uNewCount);
    return TRUE;
}

static int AddImages(ImageList& l, const Bitmap& img, const Bitmap* msk)
{
    int n = img.width / l.cx;
    if (n <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (!l.Reserve(l.count + n))
        return -1;
    int first = l.count;
    for (int k = 0; k < n; ++k)
        l.Store(first + k, img, k * l.cx, msk);
    l.count += n;
    return first;
}

int ImageList_Add(HIMAGELIST himl, HBITMAP hbmImage, HBITMAP hbmMask)
{
    GDI_LOCK;
    auto l = GetList(himl);
    auto img = Get<Bitmap>(hbmImage, OBJ_BITMAP);
    if (!l || !img)
        return -1;
    std::shared_ptr<Bitmap> msk = hbmMask ? Get<Bitmap>(hbmMask, OBJ_BITMAP) : nullptr;
    return AddImages(*l, *img, msk.get());
}

int ImageList_AddMasked(HIMAGELIST himl, HBITMAP hbmImage, COLORREF crMask)
{
    GDI_LOCK;
    auto l = GetList(himl);
    auto img = Get<Bitmap>(hbmImage, OBJ_BITMAP);
    if (!l || !img)
        return -1;
    auto copy = To32(*img);
    auto msk = std::make_shared<Bitmap>();
    if (!copy || !msk->Allocate(img->width, img->height, 1))
        return -1;
    COLORREF key = crMask == CLR_DEFAULT ? img->ToColor(img->Get(0, img->height - 1)) : crMask & 0x00FFFFFF;
    for (int y = 0; y < copy->height; ++y)
        for (int x = 0; x < copy->width; ++x)
            if (copy->ToColor(copy->Get(x, y)) == key) {
                msk->Set(x, y, 1);
                copy->Set(x, y, 0);
            }
    return AddImages(*l, *copy, l->Masked() ? msk.get() : nullptr);
}

BOOL ImageList_Replace(HIMAGELIST himl, int i, HBITMAP hbmImage, HBITMAP hbmMask)
{
    GDI_LOCK;
    auto l = GetList(himl);
    auto img = Get<Bitmap>(hbmImage, OBJ_BITMAP);
    if (!l || !img || i < 0 || i >= l->count)
        return FALSE;
    std::shared_ptr<Bitmap> msk = hbmMask ? Get<Bitmap>(hbmMask, OBJ_BITMAP) : nullptr;
    l->Store(i, *img, 0, msk.get());
    return TRUE;
}

int ImageList_ReplaceIcon(HIMAGELIST himl, int i, HICON hicon)
{
    GDI_LOCK;
    auto l = GetList(himl);
    auto icon = GetIcon(hicon);
    if (!l || !icon || i < -1 || i >= l->count)
        return -1;
    if (i == -1) {
        if (!l->Reserve(l->count + 1))
            return -1;
        i = l->count++;
    }
    // The icon scaled to the list's size by nearest pixels.
    auto img = std::make_shared<Bitmap>();
    auto msk = std::make_shared<Bitmap>();
    if (!img->Allocate(l->cx, l->cy, 32) || !msk->Allocate(l->cx, l->cy, 1))
        return -1;
    for (int y = 0; y < l->cy; ++y)
        for (int x = 0; x < l->cx; ++x) {
            int sx = x * icon->width / l->cx, sy = y * icon->height / l->cy;
            msk->Set(x, y, icon->mask->Get(sx, sy));
            img->Set(x, y, icon->color ? icon->color->Get(sx, sy)
                                       : (icon->mask->Get(sx, sy + icon->height) ? 0x00FFFFFF : 0));
        }
    l->Store(i, *img, 0, msk.get());
    return i;
}

BOOL ImageList_Remove(HIMAGELIST himl, int i)
{
    GDI_LOCK;
    auto l = GetList(himl);
    if (!l || i < -1 || i >= l->count)
        return FALSE;
    if (i == -1) {
        l->count = 0;
        return TRUE;
    }
    // Later images move down one place.
    for (int k = i + 1; k < l->count; ++k) {
        POINT from = l->Origin(k), to = l->Origin(k - 1);
        for (int y = 0; y < l->cy; ++y)
            for (int x = 0; x < l->cx; ++x) {
                l->image->Set(to.x + x, to.y + y, l->image->Get(from.x + x, from.y + y));
                if (l->mask)
                    l->mask->Set(to.x + x, to.y + y, l->mask->Get(from.x + x, from.y + y));
            }
    }
    --l->count;
    return TRUE;
}

HICON ImageList_GetIcon(HIMAGELIST himl, int i, UINT flags)
{
    GDI_LOCK;
    auto l = GetList(himl);
    if (!l || i < 0 || i >= l->count)
        return nullptr;
    auto icon = std::make_shared<Icon>();
    icon->width = l->cx;
    icon->height = l->cy;
    icon->hotspot = POINT{l->cx / 2, l->cy / 2};
    icon->color = std::make_shared<Bitmap>();
    icon->mask = std::make_shared<Bitmap>();
    if (!icon->color->Allocate(l->cx, l->cy, 32) || !icon->mask->Allocate(l->cx, l->cy, 1))
        return nullptr;
    POINT o = l->Origin(i);
    for (int y = 0; y < l->cy; ++y)
        for (int x = 0; x < l->cx; ++x) {
            icon->color->Set(x, y, l->image->Get(o.x + x, o.y + y));
            icon->mask->Set(x, y, l->mask ? l->mask->Get(o.x + x, o.y + y) : 0);
        }
    return (HICON)Insert(icon);
}

BOOL ImageList_GetImageInfo(HIMAGELIST himl, int i, IMAGEINFO* info)
{
    GDI_LOCK;
    auto l = GetList(himl);
    if (!l || !info || i < 0 || i >= l->count)
        return FALSE;
    POINT o = l->Origin(i);
    info->hbmImage = l->hImage;
    info->hbmMask = l->hMask;
    info->Unused1 = info->Unused2 = 0;
    info->rcImage = RECT{o.x, o.y, o.x + l->cx, o.y + l->cy};
    return TRUE;
}

BOOL ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy)
{
    GDI_LOCK;
    auto l = GetList(himl);
    if (!l || !cx || !cy)
        return FALSE;
    *cx = l->cx;
    *cy = l->cy;
    return TRUE;
}

BOOL ImageList_SetIconSize(HIMAGELIST himl, int cx, int cy)
{
    GDI_LOCK;
    auto l = GetList(himl);
    if (!l || cx <= 0 || cy <= 0 || cx > 1024 || cy > 1024)
        return FALSE;
    // A new size empties the list.
    l->cx = cx;
    l->cy = cy;
    l->count = 0;
    l->capacity = 0;
    return l->Reserve(1);
}

COLORREF ImageList_SetBkColor(HIMAGELIST himl, COLORREF clrBk)
{
    GDI_LOCK;
    auto l = GetList(himl);
    if (!l)
        return CLR_NONE;
    COLORREF old = l->bk;
    l->bk = clrBk;
    return old;
}

COLORREF ImageList_GetBkColor(HIMAGELIST himl)
{
    GDI_LOCK;
    auto l = GetList(himl);
    return l ? l->bk : CLR_NONE;
}

BOOL ImageList_DrawEx(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, int dx, int dy, COLORREF rgbBk, COLORREF rgbFg,
                      UINT fStyle)
{
    GDI_LOCK;
    auto l = GetList(himl);
    DC* dc = DCOf(hdcDst);
    if (!l || !dc || i < 0 || i >= l->count)
        return FALSE;
    int w = dx > 0 ? std::min(dx, l->cx) : l->cx, h = dy > 0 ? std::min(dy, l->cy) : l->cy;
    COLORREF bk = rgbBk == CLR_DEFAULT ? l->bk : rgbBk;
    bool transparent = (fStyle & ILD_TRANSPARENT) || bk == CLR_NONE || !l->mask;
    if (!l->mask && bk == CLR_NONE)
        transparent = false; // nothing to see through: the image is opaque
    int blend = (fStyle & ILD_BLEND50) ? 50 : (fStyle & ILD_BLEND25) ? 25 : 0;
    COLORREF fg = rgbFg == CLR_DEFAULT || rgbFg == CLR_NONE ? GetSysColor(COLOR_HIGHLIGHT) : rgbFg;
    bool alpha = (l->flags & 0xFE) == ILC_COLOR32;
    Bitmap& t = dc->Target();
    POINT o = l->Origin(i);
    int tx = dc->TX(x), ty = dc->TY(y);
    for (int yy = 0; yy < h; ++yy)
        ClipSpan(*dc, ty + yy, tx, tx + w, [&](int py, int a, int e) {
            for (int px = a; px < e; ++px) {
                int sx = o.x + (px - tx), sy = o.y + yy;
                bool masked = l->mask && l->mask->Get(sx, sy);
                if (fStyle & ILD_MASK) {
                    // The mask alone: transparent parts white, the image black.
                    t.Set(px, py, t.FromColor(masked ? RGB(255, 255, 255) : 0));
                    continue;
                }
                if (masked) {
                    if (!transparent)
                        t.Set(px, py, t.FromColor(bk));
                    continue;
                }
                uint32_t v = l->image->Get(sx, sy);
                if (blend)
                    v = Mix(v, fg, blend);
                if (alpha && (v >> 24) && (v >> 24) != 0xFF && t.bpp == 32) {
                    uint32_t d = t.Get(px, py), s = v, an = v >> 24, out = 0;
                    for (int sh = 0; sh < 24; sh += 8)
                        out |= ((((s >> sh) & 0xFF) * an + ((d >> sh) & 0xFF) * (255 - an) + 127) / 255) << sh;
                    t.Set(px, py, out);
                    continue;
                }
                t.Set(px, py, t.bpp == 32 ? (v & 0x00FFFFFF) : t.FromColor(l->image->ToColor(v)));
            }
        });
    return TRUE;
}

BOOL ImageList_Draw(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, UINT fStyle)
{
    return ImageList_DrawEx(himl, i, hdcDst, x, y, 0, 0, CLR_DEFAULT, CLR_DEFAULT, fStyle);
}

HIMAGELIST ImageList_LoadImageW(HINSTANCE hi, LPCWSTR lpbmp, int cx, int cGrow, COLORREF crMask, UINT uType, UINT uFlags)
{
    if (uType != IMAGE_BITMAP) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    HBITMAP bmp = (HBITMAP)LoadImageW(hi, lpbmp, IMAGE_BITMAP, 0, 0, uFlags);
    if (!bmp)
        return nullptr;
    BITMAP bm{};
    GetObjectW(bmp, sizeof bm, &bm);
    if (cx <= 0)
        cx = bm.bmHeight;
    HIMAGELIST l = ImageList_Create(cx, bm.bmHeight, (crMask != CLR_NONE ? ILC_MASK : 0) | ILC_COLOR32,
                                    bm.bmWidth / std::max(cx, 1), cGrow);
    if (l && (crMask != CLR_NONE ? ImageList_AddMasked(l, bmp, crMask) : ImageList_Add(l, bmp, nullptr)) < 0) {
        ImageList_Destroy(l);
        l = nullptr;
    }
    DeleteObject(bmp);
    return l;
}
