// Bitmaps: pixel storage in every supported depth, creation, and the device-independent bitmap calls.
#include "win32/gdi/internal.h"
#include "win32/gdi/dib_view.h"

#include <cstring>

namespace gdi {

namespace {

// Stride of device-independent rows: whole 32-bit words.
int DibStride(int w, int bpp)
{
    return int(((int64_t(w) * bpp + 31) / 32) * 4);
}

uint32_t Nearest(const std::vector<RGBQUAD>& table, COLORREF c)
{
    int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    uint32_t best = 0;
    int bestD = 1 << 30;
    for (size_t i = 0; i < table.size(); ++i) {
        int dr = table[i].rgbRed - r, dg = table[i].rgbGreen - g, db = table[i].rgbBlue - b;
        int d = dr * dr + dg * dg + db * db;
        if (d < bestD) {
            bestD = d;
            best = uint32_t(i);
            if (d == 0)
                break;
        }
    }
    return best;
}

} // namespace

std::vector<RGBQUAD> MonoTable()
{
    return {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
}

bool Bitmap::Allocate(int w, int h, int bitsPerPixel, bool topDownRows)
{
    if (w <= 0 || h <= 0 || w > 0x8000 || h > 0x8000)
        return false;
    int s = DibStride(w, bitsPerPixel);
    if (int64_t(s) * h > (int64_t(1) << 30))
        return false;
    own.reset(new (std::nothrow) uint8_t[size_t(s) * size_t(h)]);
    if (!own)
        return false;
    std::memset(own.get(), 0, size_t(s) * size_t(h));
    width = w;
    height = h;
    bpp = bitsPerPixel;
    stride = s;
    topDown = topDownRows;
    bits = own.get();
    if (bpp == 1 && colors.empty())
        colors = MonoTable();
    return true;
}

uint32_t Bitmap::Get(int x, int y) const
{
    const uint8_t* row = Row(y);
    switch (bpp) {
    case 32: {
        // Bits handed in from a file (an icon's pixels after its header) need not be 4-byte aligned.
        uint32_t v;
        std::memcpy(&v, row + size_t(x) * 4, 4);
        return v;
    }
    case 24: return uint32_t(row[x * 3]) | uint32_t(row[x * 3 + 1]) << 8 | uint32_t(row[x * 3 + 2]) << 16;
    case 16: return uint32_t(row[x * 2]) | uint32_t(row[x * 2 + 1]) << 8;
    case 8: return row[x];
    case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF;
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    }
    return 0;
}

void Bitmap::Set(int x, int y, uint32_t v)
{
    uint8_t* row = Row(y);
    switch (bpp) {
    case 32: std::memcpy(row + size_t(x) * 4, &v, 4); break;
    case 24:
        row[x * 3] = uint8_t(v);
        row[x * 3 + 1] = uint8_t(v >> 8);
        row[x * 3 + 2] = uint8_t(v >> 16);
        break;
    case 16:
        row[x * 2] = uint8_t(v);
        row[x * 2 + 1] = uint8_t(v >> 8);
        break;
    case 8: row[x] = uint8_t(v); break;
    case 4: {
        int shift = (x & 1) ? 0 : 4;
        row[x >> 1] = uint8_t((row[x >> 1] & ~(0xF << shift)) | ((v & 0xF) << shift));
        break;
    }
    case 1: {
        uint8_t bit = uint8_t(0x80 >> (x & 7));
        row[x >> 3] = (v & 1) ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit);
        break;
    }
    }
}

uint32_t Bitmap::FromColor(COLORREF c) const
{
    switch (bpp) {
    case 32:
    case 24: return uint32_t(GetRValue(c)) << 16 | uint32_t(GetGValue(c)) << 8 | GetBValue(c);
    case 16: return uint32_t(GetRValue(c) >> 3) << 10 | uint32_t(GetGValue(c) >> 3) << 5 | (GetBValue(c) >> 3);
    default: return Nearest(colors.empty() ? MonoTable() : colors, c);
    }
}

COLORREF Bitmap::ToColor(uint32_t v) const
{
    switch (bpp) {
    case 32:
    case 24: return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    case 16: {
        auto ex = [](uint32_t f) { return BYTE((f << 3) | (f >> 2)); };
        return RGB(ex((v >> 10) & 31), ex((v >> 5) & 31), ex(v & 31));
    }
    default:
        if (v < colors.size())
            return RGB(colors[v].rgbRed, colors[v].rgbGreen, colors[v].rgbBlue);
        return bpp == 1 && v ? RGB(255, 255, 255) : 0;
    }
}

bool DibView::Init(const BITMAPINFO* bmi, const void* data, UINT usage, const std::vector<PALETTEENTRY>* pal,
                   size_t infoBytes)
{
    if (!bmi || infoBytes < sizeof(BITMAPINFOHEADER))
        return false;
    // The header may sit at any byte offset (a file's bytes after its 14-byte file header).
    BITMAPINFOHEADER h;
    std::memcpy(&h, bmi, sizeof h);
    int bpp = h.biBitCount;
    // No header is longer than the fifth version's 124 bytes; masks and colours follow it.
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > 124 || h.biSize > infoBytes || h.biWidth <= 0 ||
        h.biHeight == 0 || h.biPlanes != 1 ||
        (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) ||
        !(h.biCompression == BI_RGB || (h.biCompression == BI_BITFIELDS && (bpp == 16 || bpp == 32))))
        return false;
    int64_t height = h.biHeight < 0 ? -int64_t(h.biHeight) : int64_t(h.biHeight);
    if (h.biWidth > 0x8000 || height > 0x8000)
        return false;
    bmp.width = h.biWidth;
    bmp.height = int(height);
    bmp.bpp = bpp;
    bmp.stride = DibStride(h.biWidth, bpp);
    bmp.topDown = h.biHeight < 0;
    bmp.bits = static_cast<uint8_t*>(const_cast<void*>(data));
    bmp.dib = true;
    bmp.colors.clear();
    const uint8_t* after = reinterpret_cast<const uint8_t*>(bmi) + h.biSize;
    const size_t left = infoBytes - h.biSize;
    const size_t masks = h.biCompression == BI_BITFIELDS ? 12 : 0;
    const size_t entries = bpp <= 8 ? (h.biClrUsed ? std::min<size_t>(h.biClrUsed, size_t(1) << bpp) : size_t(1) << bpp) : 0;
    const size_t table = entries * (usage == DIB_PAL_COLORS ? sizeof(WORD) : sizeof(RGBQUAD));
    if (masks > left || table > left - masks)
        return false;
    infoUsed = h.biSize + masks + table;
    if (h.biCompression == BI_BITFIELDS) {
        DWORD m[3];
        std::memcpy(m, after, sizeof m);
        bool standard = bpp == 32 ? (m[0] == 0xFF0000 && m[1] == 0xFF00 && m[2] == 0xFF)
                                  : (m[0] == 0x7C00 && m[1] == 0x3E0 && m[2] == 0x1F);
        if (!standard)
            return false;
        after += 12;
    }
    if (bpp <= 8) {
        for (size_t i = 0; i < entries; ++i) {
            if (usage == DIB_PAL_COLORS) {
                WORD idx;
                std::memcpy(&idx, after + i * 2, 2);
                PALETTEENTRY e{0, 0, 0, 0};
                if (pal && idx < pal->size())
                    e = (*pal)[idx];
                bmp.colors.push_back(RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0});
            } else {
                RGBQUAD q;
                std::memcpy(&q, after + i * 4, 4);
                bmp.colors.push_back(q);
            }
        }
    }
    return true;
}

size_t DibView::ImageSize() const
{
    return size_t(bmp.stride) * size_t(bmp.height);
}

std::shared_ptr<Bitmap> NewBitmap(int w, int h, int bpp)
{
    auto b = std::make_shared<Bitmap>();
    if (!b->Allocate(w, h, bpp)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return b;
}

} // namespace gdi

using namespace gdi;

HBITMAP CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount, const void* lpBits)
{
    if (nWidth < 0 || nHeight < 0 || nPlanes != 1 || nBitCount > 32) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (nWidth == 0 || nHeight == 0) {
        nWidth = nHeight = 1;
        nBitCount = 1;
        lpBits = nullptr;
    }
    int bpp = nBitCount <= 1 ? 1 : 32;
    if (lpBits && nBitCount != 1 && nBitCount != 24 && nBitCount != 32) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto b = NewBitmap(nWidth, nHeight, bpp);
    if (!b)
        return nullptr;
    if (lpBits) {
        // Device-dependent rows are padded to whole 16-bit words.
        int inStride = ((nWidth * int(nBitCount) + 15) / 16) * 2;
        const uint8_t* in = static_cast<const uint8_t*>(lpBits);
        for (int y = 0; y < nHeight; ++y) {
            const uint8_t* row = in + ptrdiff_t(y) * inStride;
            if (nBitCount == 24) {
                for (int x = 0; x < nWidth; ++x)
                    b->Set(x, y, uint32_t(row[x * 3]) | uint32_t(row[x * 3 + 1]) << 8 | uint32_t(row[x * 3 + 2]) << 16);
            } else {
                std::memcpy(b->Row(y), row, size_t(inStride));
            }
        }
    }
    return (HBITMAP)Insert(b);
}

HBITMAP CreateBitmapIndirect(const BITMAP* pbm)
{
    if (!pbm) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return CreateBitmap(pbm->bmWidth, pbm->bmHeight, pbm->bmPlanes, pbm->bmBitsPixel, pbm->bmBits);
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return nullptr;
    if (cx < 0 || cy < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (cx == 0 || cy == 0)
        return CreateBitmap(1, 1, 1, 1, nullptr);
    // A memory DC that still holds its initial monochrome bitmap makes monochrome bitmaps.
    int bpp = dc->memory && dc->Format().bpp == 1 ? 1 : 32;
    auto b = NewBitmap(cx, cy, bpp);
    return b ? (HBITMAP)Insert(b) : nullptr;
}

HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* pbmi, UINT usage, void** ppvBits, HANDLE hSection, DWORD offset)
{
    GDI_LOCK;
    if (ppvBits)
        *ppvBits = nullptr;
    std::vector<PALETTEENTRY> pal;
    if (usage == DIB_PAL_COLORS) {
        DC* dc = DCOf(hdc);
        if (!dc)
            return nullptr;
        pal = dc->st.palette->entries;
    }
    DibView view;
    if (hSection || !view.Init(pbmi, nullptr, usage, &pal)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto b = std::make_shared<Bitmap>();
    b->colors = view.bmp.colors;
    if (!b->Allocate(view.bmp.width, view.bmp.height, view.bmp.bpp, view.bmp.topDown)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    b->dib = true;
    if (ppvBits)
        *ppvBits = b->bits;
    return (HBITMAP)Insert(b);
}

HBITMAP CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* pbmih, DWORD flInit, const void* pjBits,
                       const BITMAPINFO* pbmi, UINT iUsage)
{
    if (!pbmih) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    LONG h = pbmih->biHeight < 0 ? -pbmih->biHeight : pbmih->biHeight;
    HBITMAP hbm = pbmih->biBitCount == 1 ? CreateBitmap(pbmih->biWidth, h, 1, 1, nullptr)
                                         : CreateCompatibleBitmap(hdc, pbmih->biWidth, h);
    if (!hbm)
        return nullptr;
    if ((flInit & CBM_INIT) && pjBits && pbmi && !SetDIBits(hdc, hbm, 0, UINT(h), pjBits, pbmi, iUsage)) {
        DeleteObject(hbm);
        return nullptr;
    }
    return hbm;
}

int SetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, const void* lpBits, const BITMAPINFO* lpbmi, UINT ColorUse)
{
    GDI_LOCK;
    auto b = Get<Bitmap>(hbm, OBJ_BITMAP);
    if (!b)
        return 0;
    std::vector<PALETTEENTRY> pal;
    if (ColorUse == DIB_PAL_COLORS)
        if (DC* dc = DCOf(hdc))
            pal = dc->st.palette->entries;
    DibView v;
    if (!lpBits || !v.Init(lpbmi, lpBits, ColorUse, &pal)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (start >= UINT(v.bmp.height))
        return 0;
    UINT lines = std::min<UINT>(cLines, UINT(v.bmp.height) - start);
    // The supplied bits hold `lines` scan lines counted from the bottom (or the top for top-down).
    Bitmap src = v.bmp.Shallow();
    src.height = int(lines);
    for (UINT i = 0; i < lines; ++i) {
        int sy = src.topDown ? int(i) : int(lines - 1 - i);
        int dy = v.bmp.topDown ? int(start + i) : v.bmp.height - 1 - int(start + i);
        if (dy < 0 || dy >= b->height)
            continue;
        for (int x = 0; x < std::min(src.width, b->width); ++x) {
            uint32_t px = src.Get(x, sy);
            if (src.bpp == 32 && b->bpp == 32)
                b->Set(x, dy, px);
            else
                b->Set(x, dy, b->FromColor(src.ToColor(px)));
        }
    }
    return int(lines);
}

int GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, LPVOID lpvBits, LPBITMAPINFO lpbmi, UINT usage)
{
    GDI_LOCK;
    auto b = Get<Bitmap>(hbm, OBJ_BITMAP);
    if (!b || !lpbmi || lpbmi->bmiHeader.biSize < sizeof(BITMAPINFOHEADER)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    BITMAPINFOHEADER& h = lpbmi->bmiHeader;
    if (h.biBitCount == 0) {
        // Only the bitmap's format is asked for.
        h.biWidth = b->width;
        h.biHeight = b->height;
        h.biPlanes = 1;
        h.biBitCount = WORD(b->bpp);
        h.biCompression = BI_RGB;
        h.biSizeImage = DWORD(DibStride(b->width, b->bpp)) * DWORD(b->height);
        h.biClrUsed = 0;
        return 1;
    }
    int bpp = h.biBitCount;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // Colour table of the requested format: the bitmap's own when depths agree, else a fixed one.
    std::vector<RGBQUAD> table;
    if (bpp <= 8) {
        if (b->bpp == bpp && !b->colors.empty())
            table = b->colors;
        else if (bpp == 1)
            table = MonoTable();
        else {
            std::vector<PALETTEENTRY> pal;
            HPALETTE hp = (HPALETTE)GetStockObject(DEFAULT_PALETTE);
            auto p = Get<Palette>(hp, OBJ_PAL);
            for (auto& e : p->entries)
                table.push_back(RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0});
            if (bpp == 8)
                for (int r = 0; r < 6; ++r)
                    for (int g = 0; g < 6; ++g)
                        for (int bl = 0; bl < 6; ++bl)
                            table.push_back(RGBQUAD{BYTE(bl * 51), BYTE(g * 51), BYTE(r * 51), 0});
            table.resize(size_t(1) << bpp);
        }
        RGBQUAD* out = reinterpret_cast<RGBQUAD*>(reinterpret_cast<uint8_t*>(lpbmi) + h.biSize);
        for (size_t i = 0; i < table.size(); ++i)
            out[i] = table[i];
    }
    LONG height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    if (h.biWidth == 0 || height == 0) {
        h.biWidth = b->width;
        h.biHeight = h.biHeight < 0 ? -b->height : b->height;
        height = b->height;
    }
    h.biSizeImage = DWORD(DibStride(h.biWidth, bpp)) * DWORD(height);
    if (!lpvBits)
        return int(std::max<LONG>(1, height));
    if (h.biCompression != BI_RGB && !(h.biCompression == BI_BITFIELDS && (bpp == 16 || bpp == 32))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Bitmap dst;
    dst.width = h.biWidth;
    dst.height = int(height);
    dst.bpp = bpp;
    dst.stride = DibStride(h.biWidth, bpp);
    dst.topDown = h.biHeight < 0;
    dst.colors = table;
    if (start >= UINT(height))
        return 0;
    UINT lines = std::min<UINT>(cLines, UINT(height) - start);
    dst.bits = static_cast<uint8_t*>(lpvBits);
    dst.height = int(lines);
    for (UINT i = 0; i < lines; ++i) {
        // Scan line `start + i` counted in the requested orientation.
        int srcY = dst.topDown ? int(start + i) : int(height) - 1 - int(start + i);
        int dstY = dst.topDown ? int(i) : int(lines) - 1 - int(i);
        uint8_t* row = dst.Row(dstY);
        std::memset(row, 0, size_t(dst.stride));
        if (srcY < 0 || srcY >= b->height)
            continue;
        for (int x = 0; x < std::min(dst.width, b->width); ++x) {
            uint32_t px = b->Get(x, srcY);
            if (b->bpp == 32 && bpp == 32)
                dst.Set(x, dstY, px);
            else
                dst.Set(x, dstY, dst.FromColor(b->ToColor(px)));
        }
    }
    dst.bits = nullptr;
    return int(lines);
}

LONG GetBitmapBits(HBITMAP hbit, LONG cb, LPVOID lpvBits)
{
    GDI_LOCK;
    auto b = Get<Bitmap>(hbit, OBJ_BITMAP);
    if (!b)
        return 0;
    int rowBytes = ((b->width * b->bpp + 15) / 16) * 2;
    LONG total = LONG(rowBytes) * b->height;
    if (!lpvBits)
        return total;
    LONG n = 0;
    for (int y = 0; y < b->height && n < cb; ++y) {
        LONG take = std::min<LONG>(rowBytes, cb - n);
        std::memcpy(static_cast<uint8_t*>(lpvBits) + n, b->Row(y), size_t(take));
        n += take;
    }
    return n;
}

LONG SetBitmapBits(HBITMAP hbm, DWORD cb, const void* pvBits)
{
    GDI_LOCK;
    auto b = Get<Bitmap>(hbm, OBJ_BITMAP);
    if (!b || !pvBits)
        return 0;
    int rowBytes = ((b->width * b->bpp + 15) / 16) * 2;
    LONG n = 0;
    for (int y = 0; y < b->height && DWORD(n) < cb; ++y) {
        LONG take = std::min<LONG>(rowBytes, LONG(cb) - n);
        std::memcpy(b->Row(y), static_cast<const uint8_t*>(pvBits) + n, size_t(take));
        n += take;
    }
    return n;
}

BOOL GetBitmapDimensionEx(HBITMAP hbit, LPSIZE lpsize)
{
    GDI_LOCK;
    auto b = Get<Bitmap>(hbit, OBJ_BITMAP);
    if (!b || !lpsize)
        return FALSE;
    *lpsize = b->dimension;
    return TRUE;
}

UINT GetDIBColorTable(HDC hdc, UINT iStart, UINT cEntries, RGBQUAD* prgbq)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc || !prgbq)
        return 0;
    const auto& t = dc->Format().colors;
    if (dc->Format().bpp > 8 || iStart >= t.size())
        return 0;
    UINT n = std::min<UINT>(cEntries, UINT(t.size()) - iStart);
    for (UINT i = 0; i < n; ++i)
        prgbq[i] = t[iStart + i];
    return n;
}

UINT SetDIBColorTable(HDC hdc, UINT iStart, UINT cEntries, const RGBQUAD* prgbq)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc || !prgbq)
        return 0;
    auto& t = dc->Target().colors;
    if (dc->Target().bpp > 8 || iStart >= t.size())
        return 0;
    UINT n = std::min<UINT>(cEntries, UINT(t.size()) - iStart);
    for (UINT i = 0; i < n; ++i)
        t[iStart + i] = prgbq[i];
    return n;
}

HBRUSH CreateDIBPatternBrushPt(const void* lpPackedDIB, UINT iUsage)
{
    GDI_LOCK;
    const auto* bmi = static_cast<const BITMAPINFO*>(lpPackedDIB);
    DibView v;
    if (!bmi || !v.Init(bmi, nullptr, iUsage, nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    size_t offset = bmi->bmiHeader.biSize + (bmi->bmiHeader.biCompression == BI_BITFIELDS ? 12 : 0) +
                    v.bmp.colors.size() * (iUsage == DIB_PAL_COLORS ? sizeof(WORD) : sizeof(RGBQUAD));
    v.bmp.bits = const_cast<uint8_t*>(static_cast<const uint8_t*>(lpPackedDIB) + offset);
    auto copy = std::make_shared<Bitmap>();
    copy->colors = v.bmp.colors;
    if (!copy->Allocate(v.bmp.width, v.bmp.height, v.bmp.bpp)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    copy->dib = true;
    for (int y = 0; y < v.bmp.height; ++y)
        std::memcpy(copy->Row(y), v.bmp.Row(y), size_t(copy->stride));
    auto b = std::make_shared<Brush>();
    b->style = BS_DIBPATTERNPT;
    b->pattern = copy;
    return (HBRUSH)Insert(b);
}
