// The shell's task allocator and item lists of Linux paths, with SHGetPathFromIDListW.
#include "win32/kernel/util.h"
#include "win32/shell/shell_internal.h"

#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <vector>

namespace {

// Every item the layer makes starts with this tag, so a list from elsewhere is refused rather
// than read as text.
constexpr BYTE kTag[4] = {'L', 'X', 'P', 0x01};
constexpr size_t kItemHead = sizeof(USHORT) + sizeof(kTag);
constexpr size_t kMaxListBytes = 0x10000;

class TaskAllocator : public IMalloc {
public:
    HRESULT QueryInterface(REFIID riid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IMalloc))
            return E_NOINTERFACE;
        *out = static_cast<IMalloc*>(this);
        return S_OK;
    }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; } // one allocator for the process, never freed
    void* Alloc(SIZE_T cb) override { return CoTaskMemAlloc(cb); }
    void* Realloc(void* pv, SIZE_T cb) override { return CoTaskMemRealloc(pv, cb); }
    void Free(void* pv) override { CoTaskMemFree(pv); }
    SIZE_T GetSize(void* pv) override { return pv ? malloc_usable_size(pv) : SIZE_T(-1); }
    int DidAlloc(void* pv) override { return pv ? -1 : 0; }
    void HeapMinimize() override {}
};

} // namespace

const IID IID_IMalloc = {0x00000002, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

LPVOID CoTaskMemAlloc(SIZE_T cb)
{
    return std::malloc(cb ? cb : 1);
}

LPVOID CoTaskMemRealloc(LPVOID pv, SIZE_T cb)
{
    return std::realloc(pv, cb ? cb : 1);
}

void CoTaskMemFree(LPVOID pv)
{
    std::free(pv);
}

HRESULT SHGetMalloc(IMalloc** ppMalloc)
{
    if (!ppMalloc)
        return E_INVALIDARG;
    static TaskAllocator allocator;
    *ppMalloc = &allocator;
    return S_OK;
}

namespace shell {

LPITEMIDLIST ItemListFromPath(const std::u16string& linuxPath)
{
    if (linuxPath.empty() || linuxPath[0] != u'/')
        return nullptr;
    // The root is an item of its own with an empty name; each folder level follows.
    std::vector<std::u16string> parts{u""};
    size_t i = 1;
    while (i < linuxPath.size()) {
        size_t slash = linuxPath.find(u'/', i);
        std::u16string part = linuxPath.substr(i, slash == std::u16string::npos ? std::u16string::npos : slash - i);
        if (!part.empty())
            parts.push_back(part);
        if (slash == std::u16string::npos)
            break;
        i = slash + 1;
    }
    size_t total = sizeof(USHORT);
    for (const auto& p : parts)
        total += kItemHead + p.size() * sizeof(char16_t);
    if (total > kMaxListBytes)
        return nullptr;
    auto* out = static_cast<BYTE*>(CoTaskMemAlloc(total));
    if (!out)
        return nullptr;
    BYTE* at = out;
    for (const auto& p : parts) {
        USHORT cb = USHORT(kItemHead + p.size() * sizeof(char16_t));
        std::memcpy(at, &cb, sizeof cb);
        std::memcpy(at + sizeof cb, kTag, sizeof kTag);
        std::memcpy(at + kItemHead, p.data(), p.size() * sizeof(char16_t));
        at += cb;
    }
    USHORT end = 0;
    std::memcpy(at, &end, sizeof end);
    return reinterpret_cast<LPITEMIDLIST>(out);
}

bool PathFromItemList(LPCITEMIDLIST pidl, std::u16string& linuxPath)
{
    linuxPath.clear();
    if (!pidl)
        return false;
    const BYTE* at = reinterpret_cast<const BYTE*>(pidl);
    size_t seen = 0;
    bool first = true;
    while (true) {
        USHORT cb;
        std::memcpy(&cb, at, sizeof cb);
        if (cb == 0)
            break;
        seen += cb;
        if (cb < kItemHead || (cb - kItemHead) % 2 || seen > kMaxListBytes ||
            std::memcmp(at + sizeof cb, kTag, sizeof kTag) != 0)
            return false;
        std::u16string name((cb - kItemHead) / 2, u'\0');
        std::memcpy(name.data(), at + kItemHead, cb - kItemHead);
        if (first) {
            if (!name.empty())
                return false;
            linuxPath.assign(1, u'/');
        } else {
            if (name.empty() || name.find(u'/') != std::u16string::npos || name == u"." || name == u"..")
                return false;
            if (linuxPath.size() > 1)
                linuxPath += u'/';
            linuxPath += name;
        }
        first = false;
        at += cb;
    }
    if (first) {
        // The empty list is the desktop.
        std::string desktop;
        if (!SpecialFolder(CSIDL_DESKTOP, desktop))
            return false;
        linuxPath = dovemark::kernel::Utf8ToUtf16(desktop);
    }
    return true;
}

} // namespace shell

BOOL SHGetPathFromIDListW(LPCITEMIDLIST pidl, LPWSTR pszPath)
{
    if (!pszPath) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    pszPath[0] = 0;
    std::u16string path;
    if (!shell::PathFromItemList(pidl, path)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (path.size() >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return FALSE;
    }
    std::memcpy(pszPath, path.c_str(), (path.size() + 1) * sizeof(char16_t));
    return TRUE;
}
