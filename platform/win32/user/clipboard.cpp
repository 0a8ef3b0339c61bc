// The in-process clipboard: formats, ownership, and the text and bitmap forms made from each other.
#include "win32/user/internal.h"

#include "win32/text.h"

#include <algorithm>
#include <cstring>

namespace {

struct Clipboard {
    HWND openBy = nullptr;
    DWORD openTid = 0;
    bool open = false;
    HWND owner = nullptr;
    std::vector<std::pair<UINT, HANDLE>> formats; // in the order they were set
    std::vector<std::u16string> names;            // registered formats from 0xC000
    bool changed = false;                         // since it was opened
    user::ForeignClipboard* foreign = nullptr;    // another program's contents stand in for ours
};

Clipboard& C()
{
    static auto* c = new Clipboard;
    return *c;
}

bool OpenedByCaller()
{
    return C().open && C().openTid == user::CurrentTid();
}

HANDLE Find(UINT format)
{
    for (auto& f : C().formats)
        if (f.first == format)
            return f.second;
    return nullptr;
}

void FreeData(UINT format, HANDLE h)
{
    if (!h)
        return;
    if (format == CF_BITMAP)
        DeleteObject((HGDIOBJ)h);
    else
        GlobalFree(h);
}

HGLOBAL Copy(const void* data, size_t size)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!h)
        return nullptr;
    void* p = GlobalLock(h);
    memcpy(p, data, size);
    GlobalUnlock(h);
    return h;
}

// The text form that was not set is made on request from the one that was, through the
// program's code page.
HANDLE Synthesise(UINT format)
{
    if (format == CF_UNICODETEXT) {
        HANDLE src = Find(CF_TEXT) ? Find(CF_TEXT) : Find(CF_OEMTEXT);
        if (!src)
            return nullptr;
        const char* p = (const char*)GlobalLock(src);
        size_t cap = GlobalSize(src);
        size_t n = p ? strnlen(p, cap) : 0;
        int need = MultiByteToWideChar(CP_ACP, 0, p, (int)n, nullptr, 0);
        std::u16string w((size_t)need, u'\0');
        MultiByteToWideChar(CP_ACP, 0, p, (int)n, w.data(), need);
        GlobalUnlock(src);
        return Copy(w.c_str(), (w.size() + 1) * sizeof(char16_t));
    }
    if (format == CF_TEXT || format == CF_OEMTEXT) {
        HANDLE src = Find(CF_UNICODETEXT);
        if (!src)
            return nullptr;
        const char16_t* p = (const char16_t*)GlobalLock(src);
        size_t cap = GlobalSize(src) / sizeof(char16_t);
        size_t n = 0;
        while (p && n < cap && p[n])
            ++n;
        int need = WideCharToMultiByte(CP_ACP, 0, p, (int)n, nullptr, 0, nullptr, nullptr);
        std::string a((size_t)need, '\0');
        WideCharToMultiByte(CP_ACP, 0, p, (int)n, a.data(), need, nullptr, nullptr);
        GlobalUnlock(src);
        return Copy(a.c_str(), a.size() + 1);
    }
    return nullptr;
}

// A packed device-independent bitmap (header, colour table, rows) made from a bitmap, in its
// own depth (32 bits for anything deeper than 8).
HANDLE DibFromBitmap(HBITMAP hbm)
{
    BITMAP bm{};
    if (!GetObjectW(hbm, sizeof(bm), &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0)
        return nullptr;
    WORD bpp = bm.bmBitsPixel <= 8 ? bm.bmBitsPixel : 32;
    if (bpp != 1 && bpp != 4 && bpp != 8)
        bpp = bpp <= 8 ? 8 : 32;
    size_t colours = bpp <= 8 ? (size_t(1) << bpp) : 0;
    size_t stride = ((size_t)bm.bmWidth * bpp + 31) / 32 * 4;
    size_t header = sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD);
    size_t size = header + stride * (size_t)bm.bmHeight;
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (!h)
        return nullptr;
    auto* bi = (BITMAPINFO*)GlobalLock(h);
    bi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi->bmiHeader.biWidth = bm.bmWidth;
    bi->bmiHeader.biHeight = bm.bmHeight;
    bi->bmiHeader.biPlanes = 1;
    bi->bmiHeader.biBitCount = bpp;
    bi->bmiHeader.biCompression = BI_RGB;
    bi->bmiHeader.biSizeImage = (DWORD)(stride * (size_t)bm.bmHeight);
    bi->bmiHeader.biClrUsed = (DWORD)colours;
    HDC mem = CreateCompatibleDC(nullptr);
    int lines = GetDIBits(mem, hbm, 0, (UINT)bm.bmHeight, (BYTE*)bi + header, bi, DIB_RGB_COLORS);
    DeleteDC(mem);
    GlobalUnlock(h);
    if (lines <= 0) {
        GlobalFree(h);
        return nullptr;
    }
    return h;
}

// A bitmap made from a packed DIB. The data came from whoever set it, so every size in the header
// is checked against the memory block before a row is read.
HANDLE BitmapFromDib(HANDLE dib)
{
    size_t cap = GlobalSize(dib);
    auto* bi = (const BITMAPINFO*)GlobalLock(dib);
    if (!bi)
        return nullptr;
    HBITMAP result = nullptr;
    const BITMAPINFOHEADER& h = bi->bmiHeader;
    if (cap >= sizeof(BITMAPINFOHEADER) && h.biSize >= sizeof(BITMAPINFOHEADER) && h.biSize <= cap) {
        long long width = h.biWidth, height = h.biHeight < 0 ? -(long long)h.biHeight : h.biHeight;
        WORD bpp = h.biBitCount;
        bool depthOk = bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
        bool packing = h.biCompression == BI_RGB || (h.biCompression == BI_BITFIELDS && (bpp == 16 || bpp == 32));
        if (width > 0 && height > 0 && width <= 0x8000 && height <= 0x8000 && depthOk && packing && h.biPlanes == 1) {
            unsigned long long colours = h.biClrUsed ? h.biClrUsed : (bpp <= 8 ? (1ull << bpp) : 0);
            unsigned long long masks = (h.biCompression == BI_BITFIELDS && h.biSize == sizeof(BITMAPINFOHEADER)) ? 12 : 0;
            unsigned long long offset = h.biSize + masks + colours * sizeof(RGBQUAD);
            unsigned long long stride = ((unsigned long long)width * bpp + 31) / 32 * 4;
            if (colours <= 256 && offset + stride * (unsigned long long)height <= cap) {
                result = CreateBitmap((int)width, (int)height, 1, bpp == 1 ? 1 : 32, nullptr);
                if (result && !SetDIBits(nullptr, result, 0, (UINT)height, (const BYTE*)bi + offset, bi, DIB_RGB_COLORS)) {
                    DeleteObject(result);
                    result = nullptr;
                }
            }
        }
    }
    GlobalUnlock(dib);
    return result;
}

HANDLE SynthesiseBitmap(UINT format)
{
    if (format == CF_DIB)
        if (HANDLE bm = Find(CF_BITMAP))
            return DibFromBitmap((HBITMAP)bm);
    if (format == CF_BITMAP)
        if (HANDLE dib = Find(CF_DIB))
            return BitmapFromDib(dib);
    return nullptr;
}

bool CanSynthesise(UINT format)
{
    bool text = Find(CF_TEXT) || Find(CF_UNICODETEXT) || Find(CF_OEMTEXT);
    if (format == CF_TEXT || format == CF_UNICODETEXT || format == CF_OEMTEXT)
        return text;
    if (format == CF_DIB)
        return Find(CF_BITMAP) != nullptr;
    if (format == CF_BITMAP)
        return Find(CF_DIB) != nullptr;
    return false;
}

// What the other program offers, asked without the lock (the answer takes a round trip).
std::vector<UINT> ForeignFormats()
{
    user::ForeignClipboard* f;
    {
        user::Guard lk(user::Lock());
        f = C().foreign;
    }
    std::vector<UINT> list;
    for (UINT format : f ? f->Formats() : std::vector<UINT>{}) {
        list.push_back(format);
        if (format == CF_UNICODETEXT) {
            list.push_back(CF_TEXT);
            list.push_back(CF_OEMTEXT);
        }
        if (format == CF_DIB)
            list.push_back(CF_BITMAP);
    }
    return list;
}

// Reads from the other program the format that `format` is or is made from, into the layer's
// clipboard; the lock is not held.
void FetchForeign(UINT format)
{
    UINT source;
    if (format == CF_DIB || format == CF_BITMAP)
        source = CF_DIB;
    else if (format == CF_UNICODETEXT || format == CF_TEXT || format == CF_OEMTEXT)
        source = CF_UNICODETEXT;
    else
        return;
    user::ForeignClipboard* f;
    {
        user::Guard lk(user::Lock());
        f = C().foreign;
        if (!f || Find(format) || Find(source))
            return;
    }
    std::vector<BYTE> data;
    if (!f->Read(source, &data) || data.empty())
        return;
    HGLOBAL h = Copy(data.data(), data.size());
    if (!h)
        return;
    user::Guard lk(user::Lock());
    if (C().foreign != f || Find(source)) {
        lk.unlock();
        GlobalFree(h);
        return;
    }
    C().formats.push_back({source, h});
}

} // namespace

using namespace user;

void user::SetForeignClipboard(ForeignClipboard* source)
{
    std::vector<std::pair<UINT, HANDLE>> old;
    HWND previousOwner = nullptr;
    {
        Guard lk(Lock());
        C().foreign = source;
        if (!source)
            return;
        old = std::move(C().formats);
        C().formats.clear();
        previousOwner = C().owner;
        C().owner = nullptr;
    }
    if (previousOwner && IsWindow(previousOwner))
        SendMessageW(previousOwner, WM_DESTROYCLIPBOARD, 0, 0);
    for (auto& [f, h] : old)
        FreeData(f, h);
}

BOOL OpenClipboard(HWND owner)
{
    Guard lk(Lock());
    if (owner && !user::Find(owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (C().open && C().openTid != CurrentTid()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    C().open = true;
    C().openTid = CurrentTid();
    C().openBy = owner;
    C().changed = false;
    return TRUE;
}

BOOL CloseClipboard()
{
    bool changed;
    {
        Guard lk(Lock());
        if (!OpenedByCaller()) {
            SetLastError(1418 /* clipboard not open */);
            return FALSE;
        }
        C().open = false;
        C().openBy = nullptr;
        changed = C().changed;
        C().changed = false;
    }
    if (Presenter* p = changed ? CurrentPresenter() : nullptr)
        p->ClipboardChanged();
    return TRUE;
}

BOOL EmptyClipboard()
{
    std::vector<std::pair<UINT, HANDLE>> old;
    HWND previousOwner;
    {
        Guard lk(Lock());
        if (!OpenedByCaller()) {
            SetLastError(1418);
            return FALSE;
        }
        old = std::move(C().formats);
        C().formats.clear();
        previousOwner = C().owner;
        C().owner = C().openBy;
        C().foreign = nullptr;
        C().changed = true;
    }
    if (previousOwner && IsWindow(previousOwner))
        SendMessageW(previousOwner, WM_DESTROYCLIPBOARD, 0, 0);
    for (auto& [f, h] : old)
        FreeData(f, h);
    return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE data)
{
    HANDLE old = nullptr;
    {
        Guard lk(Lock());
        if (!OpenedByCaller()) {
            SetLastError(1418);
            return nullptr;
        }
        if (format == 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        C().changed = true;
        auto& v = C().formats;
        auto it = std::find_if(v.begin(), v.end(), [&](auto& p) { return p.first == format; });
        if (it != v.end()) {
            old = it->second;
            it->second = data;
        } else {
            v.push_back({format, data});
        }
    }
    if (old && old != data)
        FreeData(format, old);
    return data;
}

HANDLE GetClipboardData(UINT format)
{
    {
        Guard lk(Lock());
        if (!OpenedByCaller()) {
            SetLastError(1418);
            return nullptr;
        }
    }
    FetchForeign(format);
    Guard lk(Lock());
    if (!OpenedByCaller()) {
        SetLastError(1418);
        return nullptr;
    }
    if (HANDLE h = Find(format))
        return h;
    HANDLE made = (format == CF_DIB || format == CF_BITMAP) ? SynthesiseBitmap(format) : Synthesise(format);
    if (made)
        C().formats.push_back({format, made}); // kept, and freed, like data that was set
    return made;
}

BOOL IsClipboardFormatAvailable(UINT format)
{
    auto foreign = ForeignFormats();
    if (std::find(foreign.begin(), foreign.end(), format) != foreign.end())
        return TRUE;
    Guard lk(Lock());
    return Find(format) || CanSynthesise(format);
}

UINT RegisterClipboardFormatW(LPCWSTR name)
{
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Guard lk(Lock());
    auto& n = C().names;
    auto it = std::find(n.begin(), n.end(), std::u16string(name));
    if (it != n.end())
        return 0xC000 + (UINT)(it - n.begin());
    n.push_back(name);
    return 0xC000 + (UINT)n.size() - 1;
}

UINT EnumClipboardFormats(UINT format)
{
    auto foreign = ForeignFormats();
    Guard lk(Lock());
    if (!OpenedByCaller()) {
        SetLastError(1418);
        return 0;
    }
    // What was set comes first, then the forms that can be made from it.
    std::vector<UINT> list;
    for (auto& f : C().formats)
        list.push_back(f.first);
    for (UINT f : {(UINT)CF_UNICODETEXT, (UINT)CF_TEXT, (UINT)CF_OEMTEXT, (UINT)CF_DIB, (UINT)CF_BITMAP})
        if (CanSynthesise(f) && std::find(list.begin(), list.end(), f) == list.end())
            list.push_back(f);
    for (UINT f : foreign)
        if (std::find(list.begin(), list.end(), f) == list.end())
            list.push_back(f);
    SetLastError(0);
    if (format == 0)
        return list.empty() ? 0 : list.front();
    auto it = std::find(list.begin(), list.end(), format);
    if (it == list.end() || it + 1 == list.end())
        return 0;
    return *(it + 1);
}

int CountClipboardFormats()
{
    Guard lk(Lock());
    return (int)C().formats.size();
}

int GetClipboardFormatNameW(UINT format, LPWSTR buffer, int maxCount)
{
    Guard lk(Lock());
    auto& n = C().names;
    if (format < 0xC000 || format - 0xC000 >= n.size() || !buffer || maxCount <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::u16string& s = n[format - 0xC000];
    int k = std::min<int>((int)s.size(), maxCount - 1);
    std::copy_n(s.begin(), k, buffer);
    buffer[k] = 0;
    return k;
}

HWND GetClipboardOwner()
{
    Guard lk(Lock());
    return user::Find(C().owner) ? C().owner : nullptr;
}

HWND GetOpenClipboardWindow()
{
    Guard lk(Lock());
    return C().open ? C().openBy : nullptr;
}
