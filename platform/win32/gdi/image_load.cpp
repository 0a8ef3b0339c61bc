// Loading bitmaps, icons and cursors from resources and files, and the layer's system icons and cursors.
#include "win32/gdi/dib_view.h"
#include "win32/gdi/icon_data.h"
#include "win32/kernel/util.h"
#include "win32/resources.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>

using namespace gdi;

namespace {

std::string PathOf(LPCWSTR name)
{
    std::u16string path(name);
    for (char16_t& c : path)
        if (c == u'\\')
            c = u'/';
    std::string out;
    dovemark::kernel::Utf16ToUtf8(path, out);
    return out;
}

bool ReadFile(LPCWSTR name, std::vector<BYTE>& out)
{
    std::ifstream in(PathOf(name), std::ios::binary);
    if (!in) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

WORD U16(const BYTE* p)
{
    return WORD(p[0] | p[1] << 8);
}

DWORD U32(const BYTE* p)
{
    return DWORD(p[0]) | DWORD(p[1]) << 8 | DWORD(p[2]) << 16 | DWORD(p[3]) << 24;
}

// Replaces the classic greys with the scheme's 3-D colours, and the first pixel's colour with the
// window colour, as the load flags ask.
void MapColours(Bitmap& b, UINT flags)
{
    if (!(flags & (LR_LOADMAP3DCOLORS | LR_LOADTRANSPARENT)))
        return;
    std::map<COLORREF, COLORREF> map;
    if (flags & LR_LOADMAP3DCOLORS) {
        map[RGB(128, 128, 128)] = GetSysColor(COLOR_3DSHADOW);
        map[RGB(192, 192, 192)] = GetSysColor(COLOR_3DFACE);
        map[RGB(223, 223, 223)] = GetSysColor(COLOR_3DLIGHT);
    }
    if (flags & LR_LOADTRANSPARENT)
        map[b.ToColor(b.Get(0, 0))] = GetSysColor(COLOR_WINDOW);
    if (b.bpp <= 8) {
        for (RGBQUAD& q : b.colors) {
            auto it = map.find(RGB(q.rgbRed, q.rgbGreen, q.rgbBlue));
            if (it != map.end())
                q = RGBQUAD{GetBValue(it->second), GetGValue(it->second), GetRValue(it->second), 0};
        }
        return;
    }
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x) {
            auto it = map.find(b.ToColor(b.Get(x, y)));
            if (it != map.end())
                b.Set(x, y, b.FromColor(it->second));
        }
}

HBITMAP BitmapFromDib(const BYTE* data, size_t size, UINT flags, int cx, int cy)
{
    GDI_LOCK;
    if (size < sizeof(BITMAPINFOHEADER)) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    const auto* bmi = reinterpret_cast<const BITMAPINFO*>(data);
    DibView v;
    // Header, masks, colour table and pixels are all measured against the bytes there are before any is read.
    if (!v.Init(bmi, nullptr, DIB_RGB_COLORS, nullptr, size)) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    const size_t offset = v.infoUsed;
    if (v.ImageSize() > size - offset) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    v.bmp.bits = const_cast<BYTE*>(data + offset);
    // A private copy in the bitmap's own depth, which the colour mapping then edits.
    auto copy = std::make_shared<Bitmap>();
    copy->colors = v.bmp.colors;
    if (!copy->Allocate(v.bmp.width, v.bmp.height, v.bmp.bpp, v.bmp.topDown)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    std::memcpy(copy->bits, v.bmp.bits, v.ImageSize());
    MapColours(*copy, flags);
    // A requested size other than the bitmap's own stretches it (nearest pixels).
    if ((cx > 0 && cx != copy->width) || (cy > 0 && cy != copy->height)) {
        auto sized = std::make_shared<Bitmap>();
        sized->colors = copy->colors;
        int w = cx > 0 ? cx : copy->width, h = cy > 0 ? cy : copy->height;
        if (!sized->Allocate(w, h, copy->bpp, copy->topDown)) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                sized->Set(x, y, copy->Get(int(int64_t(x) * copy->width / w), int(int64_t(y) * copy->height / h)));
        copy = sized;
    }
    if (flags & LR_CREATEDIBSECTION) {
        copy->dib = true;
        return (HBITMAP)Insert(copy);
    }
    if (flags & LR_MONOCHROME || copy->bpp == 1) {
        auto mono = std::make_shared<Bitmap>();
        if (!mono->Allocate(copy->width, copy->height, 1))
            return nullptr;
        for (int y = 0; y < copy->height; ++y)
            for (int x = 0; x < copy->width; ++x)
                mono->Set(x, y, mono->FromColor(copy->ToColor(copy->Get(x, y))));
        return (HBITMAP)Insert(mono);
    }
    auto ddb = To32(*copy);
    return ddb ? (HBITMAP)Insert(ddb) : nullptr;
}

struct IconEntry {
    int w = 0, h = 0, bpp = 0;
    const BYTE* data = nullptr;
    size_t size = 0;
    POINT hot{0, 0};
};

const IconEntry* Best(const std::vector<IconEntry>& list, int cx, int cy)
{
    const IconEntry* best = nullptr;
    long bestScore = 0;
    for (const IconEntry& e : list) {
        long score = (cx ? std::abs(e.w - cx) : 0) + (cy ? std::abs(e.h - cy) : 0);
        score = score * 64 - e.bpp;
        if (!best || score < bestScore) {
            best = &e;
            bestScore = score;
        }
    }
    return best;
}

HICON IconFromEntry(const IconEntry* e, bool isIcon, UINT flags)
{
    if (!e) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    auto icon = IconFromDib(e->data, e->size, isIcon, e->hot);
    if (!icon) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    icon->shared = (flags & LR_SHARED) != 0;
    GDI_LOCK;
    return (HICON)Insert(icon);
}

// Icon and cursor files: a directory of images, each a DIB (cursors keep their hot spot in the
// directory entry).
HICON IconFromFile(const std::vector<BYTE>& f, bool isIcon, int cx, int cy, UINT flags)
{
    if (f.size() < 6 || U16(f.data()) != 0 || U16(f.data() + 2) != (isIcon ? 1 : 2)) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    int count = U16(f.data() + 4);
    std::vector<IconEntry> list;
    for (int i = 0; i < count; ++i) {
        size_t at = 6 + size_t(i) * 16;
        if (at + 16 > f.size())
            break;
        const BYTE* d = f.data() + at;
        DWORD bytes = U32(d + 8), offset = U32(d + 12);
        if (offset > f.size() || bytes > f.size() - offset)
            continue;
        IconEntry e;
        e.w = d[0] ? d[0] : 256;
        e.h = d[1] ? d[1] : 256;
        e.bpp = isIcon ? U16(d + 6) : 0;
        e.hot = isIcon ? POINT{0, 0} : POINT{U16(d + 4), U16(d + 6)};
        e.data = f.data() + offset;
        e.size = bytes;
        list.push_back(e);
    }
    return IconFromEntry(Best(list, cx, cy), isIcon, flags);
}

HICON IconFromResource(LPCWSTR name, bool isIcon, int cx, int cy, UINT flags)
{
    res::Blob group = res::Find(isIcon ? RT_GROUP_ICON : RT_GROUP_CURSOR, name);
    if (!group.data || group.size < 6) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    int count = U16(group.data + 4);
    std::vector<IconEntry> list;
    for (int i = 0; i < count; ++i) {
        size_t at = 6 + size_t(i) * 14;
        if (at + 14 > group.size)
            break;
        const BYTE* d = group.data + at;
        IconEntry e;
        WORD id = U16(d + 12);
        if (isIcon) {
            e.w = d[0] ? d[0] : 256;
            e.h = d[1] ? d[1] : 256;
            e.bpp = U16(d + 6);
        } else {
            e.w = U16(d);
            e.h = U16(d + 2) / 2;
        }
        res::Blob img = res::Find(isIcon ? RT_ICON : RT_CURSOR, MAKEINTRESOURCEW(id));
        if (!img.data)
            continue;
        e.data = img.data;
        e.size = img.size;
        if (!isIcon) {
            if (img.size < 4)
                continue;
            e.hot = POINT{U16(img.data), U16(img.data + 2)};
            e.data += 4;
            e.size -= 4;
        }
        list.push_back(e);
    }
    return IconFromEntry(Best(list, cx, cy), isIcon, flags);
}

// ---- The layer's system icons and cursors ------------------------------------------------------

// Paints a 32x32 image with the layer's own GDI on a key colour; the key becomes the mask.
template <class Paint>
std::shared_ptr<Icon> Painted(bool isIcon, POINT hot, Paint paint)
{
    const COLORREF key = RGB(255, 0, 255);
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 32, -32, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bmp);
    HBRUSH keyBrush = CreateSolidBrush(key);
    RECT all{0, 0, 32, 32};
    FillRect(dc, &all, keyBrush);
    DeleteObject(keyBrush);
    paint(dc);
    auto icon = std::make_shared<Icon>();
    icon->isIcon = isIcon;
    icon->shared = true;
    icon->width = icon->height = 32;
    icon->hotspot = isIcon ? POINT{16, 16} : hot;
    icon->color = std::make_shared<Bitmap>();
    icon->mask = std::make_shared<Bitmap>();
    icon->color->Allocate(32, 32, 32);
    icon->mask->Allocate(32, 32, 1);
    const uint32_t* px = static_cast<const uint32_t*>(bits);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            uint32_t v = px[y * 32 + x] & 0x00FFFFFF;
            bool transparent = v == 0x00FF00FF;
            icon->mask->Set(x, y, transparent);
            icon->color->Set(x, y, transparent ? 0 : v);
        }
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
    return icon;
}

void Shape(HDC dc, COLORREF pen, COLORREF brush, int penWidth = 1)
{
    DeleteObject(SelectObject(dc, CreatePen(PS_SOLID, penWidth, pen)));
    DeleteObject(SelectObject(dc, CreateSolidBrush(brush)));
}

void Glyph(HDC dc, const char16_t* text, COLORREF color, int height)
{
    HFONT f = CreateFontW(-height, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, u"Arial");
    HGDIOBJ old = SelectObject(dc, f);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, color);
    RECT r{0, 0, 32, 32};
    DrawTextW(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
    DeleteObject(f);
}

std::shared_ptr<Icon> MakeSystemIcon(UINT id)
{
    switch (id) {
    case 32512: // application
        return Painted(true, {}, [](HDC dc) {
            Shape(dc, 0, RGB(255, 255, 255));
            Rectangle(dc, 2, 4, 30, 28);
            RECT bar{3, 5, 29, 10};
            HBRUSH b = CreateSolidBrush(RGB(10, 36, 106));
            FillRect(dc, &bar, b);
            DeleteObject(b);
        });
    case 32513: // hand / error
        return Painted(true, {}, [](HDC dc) {
            Shape(dc, RGB(128, 0, 0), RGB(255, 0, 0));
            Ellipse(dc, 1, 1, 31, 31);
            Shape(dc, RGB(255, 255, 255), RGB(255, 255, 255), 3);
            MoveToEx(dc, 10, 10, nullptr);
            LineTo(dc, 21, 21);
            MoveToEx(dc, 21, 10, nullptr);
            LineTo(dc, 10, 21);
        });
    case 32514: // question
    case 32516: // asterisk / information
        return Painted(true, {}, [id](HDC dc) {
            Shape(dc, 0, RGB(255, 255, 255));
            Ellipse(dc, 1, 1, 31, 31);
            Glyph(dc, id == 32514 ? u"?" : u"i", RGB(0, 0, 255), 22);
        });
    case 32515: // exclamation / warning
        return Painted(true, {}, [](HDC dc) {
            Shape(dc, 0, RGB(255, 255, 0));
            const POINT tri[] = {{16, 1}, {31, 29}, {1, 29}};
            Polygon(dc, tri, 3);
            Glyph(dc, u"!", 0, 18);
        });
    case 32517: // logo
        return Painted(true, {}, [](HDC dc) {
            const COLORREF c[4] = {RGB(255, 0, 0), RGB(0, 160, 0), RGB(0, 0, 255), RGB(255, 200, 0)};
            for (int i = 0; i < 4; ++i) {
                RECT r{4 + (i % 2) * 13, 4 + (i / 2) * 13, 16 + (i % 2) * 13, 16 + (i / 2) * 13};
                HBRUSH b = CreateSolidBrush(c[i]);
                FillRect(dc, &r, b);
                DeleteObject(b);
            }
        });
    }
    return nullptr;
}

std::shared_ptr<Icon> MakeSystemCursor(UINT id)
{
    auto lines = [](std::initializer_list<POINT> pts) {
        return [pts](HDC dc) {
            Shape(dc, 0, 0, 2);
            std::vector<POINT> v(pts);
            for (size_t i = 0; i + 1 < v.size(); i += 2) {
                MoveToEx(dc, v[i].x, v[i].y, nullptr);
                LineTo(dc, v[i + 1].x, v[i + 1].y);
            }
        };
    };
    switch (id) {
    case 32512: // arrow
    case 32650: // arrow with hourglass
    case 32651: // arrow with question mark
        return Painted(false, {0, 0}, [](HDC dc) {
            Shape(dc, 0, RGB(255, 255, 255));
            const POINT arrow[] = {{0, 0}, {0, 16}, {4, 12}, {7, 19}, {9, 18}, {6, 11}, {11, 11}};
            Polygon(dc, arrow, 7);
        });
    case 32513: return Painted(false, {16, 16}, lines({{13, 6}, {19, 6}, {16, 6}, {16, 26}, {13, 26}, {19, 26}}));
    case 32514: // hourglass
        return Painted(false, {16, 16}, [](HDC dc) {
            Shape(dc, 0, RGB(255, 255, 255));
            const POINT glass[] = {{8, 4}, {24, 4}, {16, 16}, {24, 28}, {8, 28}, {16, 16}};
            Polygon(dc, glass, 6);
        });
    case 32515: return Painted(false, {16, 16}, lines({{16, 4}, {16, 28}, {4, 16}, {28, 16}}));
    case 32516: return Painted(false, {16, 0}, lines({{16, 0}, {16, 28}, {16, 0}, {10, 8}, {16, 0}, {22, 8}}));
    case 32642: return Painted(false, {16, 16}, lines({{6, 6}, {26, 26}, {6, 6}, {6, 12}, {6, 6}, {12, 6}}));
    case 32643: return Painted(false, {16, 16}, lines({{26, 6}, {6, 26}, {26, 6}, {20, 6}, {26, 6}, {26, 12}}));
    case 32644: return Painted(false, {16, 16}, lines({{4, 16}, {28, 16}, {4, 16}, {9, 11}, {28, 16}, {23, 11}}));
    case 32645: return Painted(false, {16, 16}, lines({{16, 4}, {16, 28}, {16, 4}, {11, 9}, {16, 28}, {11, 23}}));
    case 32646: return Painted(false, {16, 16}, lines({{4, 16}, {28, 16}, {16, 4}, {16, 28}}));
    case 32648: // no
        return Painted(false, {16, 16}, [](HDC dc) {
            Shape(dc, RGB(255, 0, 0), RGB(255, 255, 255), 3);
            Ellipse(dc, 4, 4, 28, 28);
            MoveToEx(dc, 9, 9, nullptr);
            LineTo(dc, 23, 23);
        });
    case 32649: // hand
        return Painted(false, {6, 0}, [](HDC dc) {
            Shape(dc, 0, RGB(255, 255, 255));
            RoundRect(dc, 4, 0, 9, 14, 4, 4);
            RoundRect(dc, 4, 10, 18, 24, 6, 6);
        });
    }
    return nullptr;
}

HANDLE SystemHandle(UINT id, bool isIcon)
{
    GDI_LOCK;
    static std::map<UINT, HANDLE> icons, cursors;
    auto& table = isIcon ? icons : cursors;
    auto it = table.find(id);
    if (it != table.end())
        return it->second;
    auto made = isIcon ? MakeSystemIcon(id) : MakeSystemCursor(id);
    HANDLE h = made ? Insert(made) : nullptr;
    table[id] = h;
    return h;
}

} // namespace

HICON GetSystemIcon(UINT id)
{
    return (HICON)SystemHandle(id, true);
}

HCURSOR GetSystemCursor(UINT id)
{
    return (HCURSOR)SystemHandle(id, false);
}

HANDLE LoadImageW(HINSTANCE hInst, LPCWSTR name, UINT type, int cx, int cy, UINT fuLoad)
{
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    bool fromFile = fuLoad & LR_LOADFROMFILE;
    if (fromFile && IS_INTRESOURCE(name)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if ((fuLoad & LR_DEFAULTSIZE) && type != IMAGE_BITMAP) {
        cx = cx ? cx : 32;
        cy = cy ? cy : 32;
    }
    switch (type) {
    case IMAGE_BITMAP: {
        if (fromFile) {
            std::vector<BYTE> f;
            if (!ReadFile(name, f))
                return nullptr;
            if (f.size() < 14 || f[0] != 'B' || f[1] != 'M') {
                SetLastError(ERROR_INVALID_DATA);
                return nullptr;
            }
            return BitmapFromDib(f.data() + 14, f.size() - 14, fuLoad, cx, cy);
        }
        res::Blob b = res::Find(RT_BITMAP, name);
        if (!b.data) {
            SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
            return nullptr;
        }
        return BitmapFromDib(b.data, b.size, fuLoad, cx, cy);
    }
    case IMAGE_ICON:
    case IMAGE_CURSOR: {
        bool isIcon = type == IMAGE_ICON;
        if (!hInst && IS_INTRESOURCE(name) && !fromFile) {
            HANDLE h = SystemHandle(UINT((ULONG_PTR)name), isIcon);
            if (!h)
                SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
            return h;
        }
        if (fromFile) {
            std::vector<BYTE> f;
            if (!ReadFile(name, f))
                return nullptr;
            return IconFromFile(f, isIcon, cx, cy, fuLoad);
        }
        return IconFromResource(name, isIcon, cx, cy, fuLoad);
    }
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
}

HBITMAP LoadBitmapW(HINSTANCE hInstance, LPCWSTR lpBitmapName)
{
    return (HBITMAP)LoadImageW(hInstance, lpBitmapName, IMAGE_BITMAP, 0, 0, 0);
}

HICON LoadIconW(HINSTANCE hInstance, LPCWSTR lpIconName)
{
    return (HICON)LoadImageW(hInstance, lpIconName, IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED);
}

HCURSOR LoadCursorW(HINSTANCE hInstance, LPCWSTR lpCursorName)
{
    return (HCURSOR)LoadImageW(hInstance, lpCursorName, IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE | LR_SHARED);
}
