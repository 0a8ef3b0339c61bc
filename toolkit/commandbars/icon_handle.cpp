// The icon handle, the pixel helpers and the loading of icons and alpha bitmaps from resources.
#include "afx/module_state.h"
#include "toolkit/commandbars/image_manager.h"
#include "toolkit/commandbars/image_pixels.h"

#include <cstring>

namespace tkp_pixels {

HBITMAP CreateDib32(int width, int height, void** bits)
{
    if (width <= 0 || height <= 0)
        return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* dummy = nullptr;
    return ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits ? bits : &dummy, nullptr, 0);
}

BOOL ReadBitmap(HBITMAP bitmap, Image& out)
{
    BITMAP bm{};
    if (!bitmap || !::GetObjectW(bitmap, sizeof(bm), &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0)
        return FALSE;
    out.width = bm.bmWidth;
    out.height = bm.bmHeight;
    out.pixels.assign(size_t(out.width) * size_t(out.height), 0);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = out.width;
    info.bmiHeader.biHeight = -out.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC dc = ::CreateCompatibleDC(nullptr);
    const int rows = ::GetDIBits(dc, bitmap, 0, UINT(out.height), out.pixels.data(), &info, DIB_RGB_COLORS);
    ::DeleteDC(dc);
    return rows == out.height;
}

HBITMAP MakeBitmap(const Image& image)
{
    void* bits = nullptr;
    HBITMAP bitmap = CreateDib32(image.width, image.height, &bits);
    if (bitmap && bits)
        std::memcpy(bits, image.pixels.data(), image.pixels.size() * sizeof(DWORD));
    return bitmap;
}

HBITMAP CopyBitmap(HBITMAP bitmap)
{
    Image image;
    return ReadBitmap(bitmap, image) ? MakeBitmap(image) : nullptr;
}

BOOL ReadIcon(HICON icon, IconImages& out)
{
    ICONINFO info{};
    if (!icon || !::GetIconInfo(icon, &info))
        return FALSE;
    BOOL ok = ReadBitmap(info.hbmMask, out.mask);
    if (ok && info.hbmColor) {
        ok = ReadBitmap(info.hbmColor, out.color);
    } else if (ok) {
        // A monochrome icon keeps its AND mask above its XOR image in one bitmap.
        const int half = out.mask.height / 2;
        out.color.width = out.mask.width;
        out.color.height = half;
        out.color.pixels.assign(out.mask.pixels.begin() + ptrdiff_t(half) * out.mask.width, out.mask.pixels.end());
        out.mask.height = half;
        out.mask.pixels.resize(size_t(half) * size_t(out.mask.width));
    }
    if (info.hbmColor)
        ::DeleteObject(info.hbmColor);
    if (info.hbmMask)
        ::DeleteObject(info.hbmMask);
    if (ok) {
        for (DWORD& p : out.mask.pixels)
            p = (p & 0xFFFFFF) ? 1 : 0;
        ok = out.color.width == out.mask.width && out.color.height == out.mask.height;
    }
    return ok;
}

HICON MakeIcon(const IconImages& images)
{
    const int w = images.color.width, h = images.color.height;
    if (w <= 0 || h <= 0)
        return nullptr;
    HBITMAP color = MakeBitmap(images.color);
    // The mask as a monochrome bitmap: 1 bits are transparent.
    const int stride = ((w + 15) / 16) * 2;
    std::vector<BYTE> maskBits(size_t(stride) * size_t(h), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (images.mask.pixels[size_t(y) * size_t(w) + size_t(x)])
                maskBits[size_t(y) * size_t(stride) + size_t(x / 8)] |= BYTE(0x80 >> (x % 8));
    HBITMAP mask = ::CreateBitmap(w, h, 1, 1, maskBits.data());
    ICONINFO info{TRUE, 0, 0, mask, color};
    HICON icon = color && mask ? ::CreateIconIndirect(&info) : nullptr;
    if (color)
        ::DeleteObject(color);
    if (mask)
        ::DeleteObject(mask);
    return icon;
}

}  // namespace tkp_pixels

using namespace tkp_pixels;

// ---- Icon handle -------------------------------------------------------------------------------
CTKPIconHandle::CTKPIconHandle(HICON hIcon) : m_hIcon(hIcon), m_bOwned(FALSE)
{
}

CTKPIconHandle::CTKPIconHandle(HBITMAP hAlphaBitmap) : m_hAlphaBitmap(hAlphaBitmap), m_bOwned(FALSE)
{
}

CTKPIconHandle::CTKPIconHandle(const CTKPIconHandle& other)
{
    CopyNotOwned(other);
}

CTKPIconHandle& CTKPIconHandle::operator=(const CTKPIconHandle& other)
{
    if (this != &other)
        CopyNotOwned(other);
    return *this;
}

CTKPIconHandle::~CTKPIconHandle()
{
    Release();
}

void CTKPIconHandle::Clear()
{
    m_hIcon = nullptr;
    m_hAlphaBitmap = nullptr;
    if (m_hPreMultiplied)
        ::DeleteObject(m_hPreMultiplied);
    m_hPreMultiplied = nullptr;
}

void CTKPIconHandle::CopyNotOwned(const CTKPIconHandle& other)
{
    if (this == &other)
        return;
    Release();
    m_hIcon = other.m_hIcon;
    m_hAlphaBitmap = other.m_hAlphaBitmap;
    m_bOwned = FALSE;
}

void CTKPIconHandle::CopyOwned(const CTKPIconHandle& other)
{
    if (this == &other)
        return;
    HICON icon = other.m_hIcon ? ::CopyIcon(other.m_hIcon) : nullptr;
    HBITMAP bitmap = other.m_hAlphaBitmap ? CopyBitmap(other.m_hAlphaBitmap) : nullptr;
    Release();
    m_hIcon = icon;
    m_hAlphaBitmap = bitmap;
    m_bOwned = TRUE;
}

void CTKPIconHandle::SetIcon(HICON hIcon)
{
    Release();
    m_hIcon = hIcon;
    m_bOwned = TRUE;
}

void CTKPIconHandle::SetAlphaBitmap(HBITMAP hBitmap)
{
    Release();
    m_hAlphaBitmap = hBitmap;
    m_bOwned = TRUE;
}

void CTKPIconHandle::Release()
{
    if (m_bOwned) {
        if (m_hIcon)
            ::DestroyIcon(m_hIcon);
        if (m_hAlphaBitmap)
            ::DeleteObject(m_hAlphaBitmap);
    }
    m_hIcon = nullptr;
    m_hAlphaBitmap = nullptr;
    if (m_hPreMultiplied)
        ::DeleteObject(m_hPreMultiplied);
    m_hPreMultiplied = nullptr;
    m_bOwned = TRUE;
}

SIZE CTKPIconHandle::GetExtent() const
{
    if (m_hIcon) {
        ICONINFO info{};
        SIZE size{0, 0};
        if (::GetIconInfo(m_hIcon, &info)) {
            BITMAP bm{};
            if (info.hbmColor && ::GetObjectW(info.hbmColor, sizeof(bm), &bm))
                size = SIZE{bm.bmWidth, bm.bmHeight};
            else if (info.hbmMask && ::GetObjectW(info.hbmMask, sizeof(bm), &bm))
                size = SIZE{bm.bmWidth, bm.bmHeight / 2};
            if (info.hbmColor)
                ::DeleteObject(info.hbmColor);
            if (info.hbmMask)
                ::DeleteObject(info.hbmMask);
        }
        return size;
    }
    BITMAP bm{};
    if (m_hAlphaBitmap && ::GetObjectW(m_hAlphaBitmap, sizeof(bm), &bm))
        return SIZE{bm.bmWidth, bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight};
    return SIZE{0, 0};
}

HBITMAP CTKPIconHandle::PreMultiply()
{
    if (m_hPreMultiplied)
        return m_hPreMultiplied;
    Image image;
    if (m_hAlphaBitmap) {
        if (!ReadBitmap(m_hAlphaBitmap, image))
            return nullptr;
    } else if (m_hIcon) {
        IconImages icon;
        if (!ReadIcon(m_hIcon, icon))
            return nullptr;
        image = icon.color;
    } else {
        return nullptr;
    }
    for (DWORD& p : image.pixels) {
        const DWORD a = p >> 24;
        const DWORD r = ((p >> 16) & 0xFF) * a / 255, g = ((p >> 8) & 0xFF) * a / 255, b = (p & 0xFF) * a / 255;
        p = (a << 24) | (r << 16) | (g << 8) | b;
    }
    m_hPreMultiplied = MakeBitmap(image);
    return m_hPreMultiplied;
}

namespace {

#pragma pack(push, 1)
struct GroupIconEntry {
    BYTE bWidth;
    BYTE bHeight;
    BYTE bColorCount;
    BYTE bReserved;
    WORD wPlanes;
    WORD wBitCount;
    DWORD dwBytesInRes;
    WORD nID;
};
#pragma pack(pop)
static_assert(sizeof(GroupIconEntry) == 14);

const BYTE* FindResourceBytes(UINT id, LPCWSTR type, DWORD* size)
{
    HMODULE module = AfxGetResourceHandle();
    HRSRC info = ::FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!info)
        return nullptr;
    HGLOBAL data = ::LoadResource(module, info);
    *size = ::SizeofResource(module, info);
    return data ? static_cast<const BYTE*>(::LockResource(data)) : nullptr;
}

}  // namespace

BOOL CTKPIconHandle::LoadIconResource(UINT id, int width, int height, BOOL group)
{
    if (height <= 0)
        height = width;
    UINT iconId = id;
    DWORD size = 0;
    if (group) {
        const BYTE* dir = FindResourceBytes(id, MAKEINTRESOURCEW(14), &size);
        if (!dir || size < 6)
            return FALSE;
        WORD count = 0;
        std::memcpy(&count, dir + 4, 2);
        if (6 + size_t(count) * sizeof(GroupIconEntry) > size)
            count = WORD((size - 6) / sizeof(GroupIconEntry));
        BOOL found = FALSE;
        for (int i = int(count) - 1; i >= 0 && !found; --i) {
            GroupIconEntry entry;
            std::memcpy(&entry, dir + 6 + size_t(i) * sizeof(entry), sizeof(entry));
            const int w = entry.bWidth ? entry.bWidth : 256, h = entry.bHeight ? entry.bHeight : 256;
            if (w != width || h != height)
                continue;
            if (LoadIconResource(entry.nID, width, height, FALSE))
                found = TRUE;
        }
        return found;
    }
    const BYTE* bits = FindResourceBytes(iconId, MAKEINTRESOURCEW(3), &size);
    if (!bits || size < sizeof(BITMAPINFOHEADER))
        return FALSE;
    BITMAPINFOHEADER header;
    std::memcpy(&header, bits, sizeof(header));
    if (header.biSize == sizeof(BITMAPINFOHEADER) && header.biBitCount == 32) {
        if (!GetGlobalImageManager()->IsAlphaIconsSupported())
            return FALSE;
        const int w = header.biWidth, h = (header.biHeight < 0 ? -header.biHeight : header.biHeight) / 2;
        const size_t bytes = size_t(w) * size_t(h) * 4;
        if (w <= 0 || h <= 0 || sizeof(header) + bytes > size)
            return FALSE;
        BITMAPINFO info{};
        info.bmiHeader = header;
        info.bmiHeader.biHeight = header.biHeight / 2;
        info.bmiHeader.biSizeImage = 0;
        void* dest = nullptr;
        HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &dest, nullptr, 0);
        if (!bitmap || !dest) {
            if (bitmap)
                ::DeleteObject(bitmap);
            return FALSE;
        }
        std::memcpy(dest, bits + sizeof(header), bytes);
        SetAlphaBitmap(bitmap);
    } else {
        HICON icon = ::CreateIconFromResourceEx(const_cast<PBYTE>(bits), size, TRUE, 0x30000, width, height, 0);
        if (!icon)
            return FALSE;
        SetIcon(icon);
    }
    return !IsEmpty();
}

// ---- Alpha bitmap resources --------------------------------------------------------------------
HBITMAP LoadAlphaBitmapResource(UINT id)
{
    DWORD size = 0;
    const BYTE* bits = FindResourceBytes(id, MAKEINTRESOURCEW(2), &size);
    if (!bits || size < sizeof(BITMAPINFOHEADER))
        return nullptr;
    BITMAPINFOHEADER header;
    std::memcpy(&header, bits, sizeof(header));
    if (header.biBitCount != 32 || header.biWidth <= 0 || header.biHeight == 0 || header.biSize < sizeof(header))
        return nullptr;
    const int w = header.biWidth, h = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    size_t offset = header.biSize + size_t(header.biClrUsed) * 4;
    if (header.biCompression == BI_BITFIELDS && header.biSize == sizeof(BITMAPINFOHEADER))
        offset += 12;
    const size_t bytes = size_t(w) * size_t(h) * 4;
    if (offset + bytes > size)
        return nullptr;
    void* dest = nullptr;
    HBITMAP bitmap = CreateDib32(w, h, &dest);
    if (!bitmap || !dest) {
        if (bitmap)
            ::DeleteObject(bitmap);
        return nullptr;
    }
    const BYTE* src = bits + offset;
    for (int y = 0; y < h; ++y) {
        const int sy = header.biHeight > 0 ? h - 1 - y : y;
        std::memcpy(static_cast<BYTE*>(dest) + size_t(y) * size_t(w) * 4, src + size_t(sy) * size_t(w) * 4,
                    size_t(w) * 4);
    }
    return bitmap;
}

BOOL IsAlphaBitmapResource(UINT id)
{
    DWORD size = 0;
    const BYTE* bits = FindResourceBytes(id, MAKEINTRESOURCEW(2), &size);
    if (!bits || size < sizeof(BITMAPINFOHEADER))
        return FALSE;
    BITMAPINFOHEADER header;
    std::memcpy(&header, bits, sizeof(header));
    return header.biBitCount == 32;
}

BOOL IsAlphaBitmapFile(LPCWSTR path)
{
    HANDLE file = ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return FALSE;
    BYTE buffer[14 + sizeof(BITMAPINFOHEADER)] = {};
    DWORD read = 0;
    const BOOL ok = ::ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read == sizeof(buffer);
    ::CloseHandle(file);
    if (!ok || buffer[0] != 'B' || buffer[1] != 'M')
        return FALSE;
    BITMAPINFOHEADER header;
    std::memcpy(&header, buffer + 14, sizeof(header));
    return header.biBitCount == 32;
}
