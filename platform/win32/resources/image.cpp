// The registered resource images: parsing the compiled .res format, lookup by type and name, strings.
#include "afx/string.h"
#include "win32/resources.h"

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct Id {
    WORD num = 0;          // used when str is empty
    std::u16string str;    // upper-cased name
};

struct Entry {
    Id type, name;
    WORD lang = 0;
    const BYTE* data = nullptr;
    DWORD size = 0;
    int image = 0;
};

std::mutex& Lock()
{
    static std::mutex m;
    return m;
}

std::vector<Entry>& Entries()
{
    static std::vector<Entry> entries;
    return entries;
}

char16_t Upper(char16_t c)
{
    return c >= u'a' && c <= u'z' ? char16_t(c - u'a' + u'A') : c;
}

Id IdOf(LPCWSTR p)
{
    Id id;
    if (IS_INTRESOURCE(p)) {
        id.num = WORD((ULONG_PTR)p);
        return id;
    }
    // "#123" names the integer id 123.
    if (p[0] == u'#') {
        unsigned v = 0;
        for (const WCHAR* q = p + 1; *q >= u'0' && *q <= u'9'; ++q)
            v = v * 10 + unsigned(*q - u'0');
        id.num = WORD(v);
        return id;
    }
    for (; *p; ++p)
        id.str += Upper(*p);
    return id;
}

bool Same(const Id& a, const Id& b)
{
    return a.str.empty() ? (b.str.empty() && a.num == b.num) : a.str == b.str;
}

WORD Read16(const BYTE* p)
{
    return WORD(p[0] | p[1] << 8);
}

DWORD Read32(const BYTE* p)
{
    return DWORD(p[0]) | DWORD(p[1]) << 8 | DWORD(p[2]) << 16 | DWORD(p[3]) << 24;
}

// Reads a type or name field; false if it runs past `end`.
bool ReadId(const BYTE*& p, const BYTE* end, Id& id)
{
    if (end - p < 2)
        return false;
    if (Read16(p) == 0xFFFF) {
        if (end - p < 4)
            return false;
        id.num = Read16(p + 2);
        p += 4;
        return true;
    }
    while (true) {
        if (end - p < 2)
            return false;
        WORD c = Read16(p);
        p += 2;
        if (!c)
            return true;
        id.str += Upper(char16_t(c));
    }
}

} // namespace

static int FindIndex(LPCWSTR type, LPCWSTR name, int lang);

namespace res {

bool RegisterImage(const void* image, size_t size)
{
    const BYTE* base = static_cast<const BYTE*>(image);
    std::vector<Entry> found;
    size_t pos = 0;
    while (pos + 8 <= size) {
        DWORD dataSize = Read32(base + pos), headerSize = Read32(base + pos + 4);
        if (headerSize < 32 || headerSize > size - pos || dataSize > size - pos - headerSize)
            return false;
        const BYTE* p = base + pos + 8;
        const BYTE* headerEnd = base + pos + headerSize;
        Entry e;
        if (!ReadId(p, headerEnd, e.type) || !ReadId(p, headerEnd, e.name))
            return false;
        size_t off = size_t(p - (base + pos));
        off = (off + 3) & ~size_t(3);
        if (off + 16 > headerSize)
            return false;
        e.lang = Read16(base + pos + off + 6);
        e.data = base + pos + headerSize;
        e.size = dataSize;
        // The image opens with an empty entry of type 0.
        if (!(e.type.str.empty() && e.type.num == 0))
            found.push_back(std::move(e));
        pos += headerSize + dataSize;
        pos = (pos + 3) & ~size_t(3);
    }
    {
        std::lock_guard<std::mutex> lock(Lock());
        static int registered = 0;
        for (Entry& e : found)
            e.image = registered;
        ++registered;
        auto& all = Entries();
        all.insert(all.end(), found.begin(), found.end());
    }
    // From now on CString::LoadString reads the string tables.
    AfxSetLoadStringProc([](UINT id, LPWSTR buffer, int max) { return LoadStringW(nullptr, id, buffer, max); });
    return true;
}

} // namespace res

static int FindIndex(LPCWSTR type, LPCWSTR name, int lang)
{
    if (!type || !name)
        return -1;
    Id t = IdOf(type), n = IdOf(name);
    std::lock_guard<std::mutex> lock(Lock());
    const auto& all = Entries();
    int any = -1;
    for (size_t i = 0; i < all.size(); ++i) {
        if (!Same(all[i].type, t) || !Same(all[i].name, n))
            continue;
        if (lang < 0 || all[i].lang == lang)
            return int(i);
        if (any < 0)
            any = int(i);
    }
    return any;
}

namespace res {

Blob Find(LPCWSTR type, LPCWSTR name)
{
    int i = FindIndex(type, name, -1);
    if (i < 0)
        return {};
    std::lock_guard<std::mutex> lock(Lock());
    const Entry& e = Entries()[size_t(i)];
    return Blob{e.data, e.size, e.image};
}

Blob Find(LPCWSTR type, LPCWSTR name, int image)
{
    if (type && name) {
        const Id t = IdOf(type), n = IdOf(name);
        std::lock_guard<std::mutex> lock(Lock());
        for (const Entry& e : Entries())
            if (e.image == image && Same(e.type, t) && Same(e.name, n))
                return Blob{e.data, e.size, e.image};
    }
    return Find(type, name);
}

} // namespace res

HRSRC FindResourceExW(HMODULE hModule, LPCWSTR lpType, LPCWSTR lpName, WORD wLanguage)
{
    int i = FindIndex(lpType, lpName, wLanguage ? int(wLanguage) : -1);
    if (i < 0) {
        bool typeKnown = false;
        {
            std::lock_guard<std::mutex> lock(Lock());
            Id t = lpType ? IdOf(lpType) : Id{};
            for (const Entry& e : Entries())
                typeKnown = typeKnown || (lpType && Same(e.type, t));
        }
        SetLastError(typeKnown ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
        return nullptr;
    }
    return (HRSRC)(ULONG_PTR)(i + 1);
}

HRSRC FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType)
{
    return FindResourceExW(hModule, lpType, lpName, 0);
}

static const Entry* EntryOf(HRSRC h)
{
    ULONG_PTR i = (ULONG_PTR)h;
    std::lock_guard<std::mutex> lock(Lock());
    if (i == 0 || i > Entries().size())
        return nullptr;
    return &Entries()[i - 1];
}

HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo)
{
    const Entry* e = EntryOf(hResInfo);
    if (!e) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    // The image is constant and lives as long as the program: its bytes are the handle.
    return (HGLOBAL)e->data;
}

LPVOID LockResource(HGLOBAL hResData)
{
    return hResData;
}

DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo)
{
    const Entry* e = EntryOf(hResInfo);
    if (!e) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return 0;
    }
    return e->size;
}

BOOL FreeResource(HGLOBAL hResData)
{
    return FALSE;
}

int LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax)
{
    if (!lpBuffer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // Strings live in blocks of sixteen, each a length followed by that many characters.
    res::Blob b = res::Find(RT_STRING, MAKEINTRESOURCEW((uID >> 4) + 1));
    const BYTE* p = b.data;
    const BYTE* end = b.data + b.size;
    for (UINT i = 0; p && i <= (uID & 15); ++i) {
        if (end - p < 2)
            break;
        WORD len = Read16(p);
        p += 2;
        if (size_t(end - p) < size_t(len) * 2)
            break;
        if (i == (uID & 15)) {
            if (len == 0)
                break;
            if (cchBufferMax == 0) {
                // The caller receives a pointer to the read-only string itself.
                *reinterpret_cast<const BYTE**>(lpBuffer) = p;
                return len;
            }
            int n = std::min<int>(len, cchBufferMax - 1);
            if (n < 0)
                return 0;
            std::memcpy(lpBuffer, p, size_t(n) * 2);
            lpBuffer[n] = 0;
            return n;
        }
        p += size_t(len) * 2;
    }
    if (cchBufferMax > 0)
        lpBuffer[0] = 0;
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return 0;
}
