// The C runtime's string functions on UTF-16, and the lstr*/CompareString family.
#include "win32/text.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

size_t wcslen(const WCHAR* s) { return std::char_traits<char16_t>::length(s); }
size_t wcsnlen(const WCHAR* s, size_t maxlen) {
    size_t n = 0;
    while (n < maxlen && s[n])
        ++n;
    return n;
}
WCHAR* wcscpy(WCHAR* dst, const WCHAR* src) {
    std::char_traits<char16_t>::move(dst, src, wcslen(src) + 1);
    return dst;
}
// Pads with nulls to n and leaves dst unterminated when src is n long or longer, as the C
// function does.
WCHAR* wcsncpy(WCHAR* dst, const WCHAR* src, size_t n) {
    size_t i = 0;
    for (; i < n && src[i]; ++i)
        dst[i] = src[i];
    for (; i < n; ++i)
        dst[i] = 0;
    return dst;
}
WCHAR* wcscat(WCHAR* dst, const WCHAR* src) {
    wcscpy(dst + wcslen(dst), src);
    return dst;
}
WCHAR* wcsncat(WCHAR* dst, const WCHAR* src, size_t n) {
    WCHAR* d = dst + wcslen(dst);
    size_t i = 0;
    for (; i < n && src[i]; ++i)
        d[i] = src[i];
    d[i] = 0;
    return dst;
}
int wcscmp(const WCHAR* a, const WCHAR* b) {
    for (;; ++a, ++b) {
        if (*a != *b)
            return *a < *b ? -1 : 1;
        if (*a == 0)
            return 0;
    }
}
int wcsncmp(const WCHAR* a, const WCHAR* b, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
        if (a[i] == 0)
            return 0;
    }
    return 0;
}
const WCHAR* wcschr(const WCHAR* s, WCHAR c) {
    for (;; ++s) {
        if (*s == c)
            return s;
        if (*s == 0)
            return nullptr;
    }
}
WCHAR* wcschr(WCHAR* s, WCHAR c) { return const_cast<WCHAR*>(wcschr(static_cast<const WCHAR*>(s), c)); }
const WCHAR* wcsrchr(const WCHAR* s, WCHAR c) {
    const WCHAR* found = nullptr;
    for (;; ++s) {
        if (*s == c)
            found = s;
        if (*s == 0)
            return found;
    }
}
WCHAR* wcsrchr(WCHAR* s, WCHAR c) { return const_cast<WCHAR*>(wcsrchr(static_cast<const WCHAR*>(s), c)); }
const WCHAR* wcsstr(const WCHAR* s, const WCHAR* sub) {
    size_t n = wcslen(sub);
    if (n == 0)
        return s;
    for (; *s; ++s)
        if (*s == *sub && wcsncmp(s, sub, n) == 0)
            return s;
    return nullptr;
}
WCHAR* wcsstr(WCHAR* s, const WCHAR* sub) { return const_cast<WCHAR*>(wcsstr(static_cast<const WCHAR*>(s), sub)); }
const WCHAR* wcspbrk(const WCHAR* s, const WCHAR* set) {
    for (; *s; ++s)
        if (wcschr(set, *s))
            return s;
    return nullptr;
}
WCHAR* wcspbrk(WCHAR* s, const WCHAR* set) { return const_cast<WCHAR*>(wcspbrk(static_cast<const WCHAR*>(s), set)); }
size_t wcsspn(const WCHAR* s, const WCHAR* set) {
    size_t n = 0;
    while (s[n] && wcschr(set, s[n]))
        ++n;
    return n;
}
size_t wcscspn(const WCHAR* s, const WCHAR* set) {
    size_t n = 0;
    while (s[n] && !wcschr(set, s[n]))
        ++n;
    return n;
}

namespace {

// Parses like strtoull: spaces, sign, base prefix; saturates and sets ERANGE on overflow.
unsigned long long ParseUnsigned(const WCHAR* s, WCHAR** end, int base, bool& negative, bool& overflow) {
    const WCHAR* p = s;
    negative = false;
    overflow = false;
    while (iswspace(*p))
        ++p;
    if (*p == u'-' || *p == u'+')
        negative = *p++ == u'-';
    if ((base == 0 || base == 16) && p[0] == u'0' && (p[1] == u'x' || p[1] == u'X') && iswxdigit(p[2])) {
        p += 2;
        base = 16;
    } else if (base == 0) {
        base = p[0] == u'0' ? 8 : 10;
    }
    unsigned long long v = 0;
    const WCHAR* digitsStart = p;
    if (base >= 2 && base <= 36) {
        for (;; ++p) {
            int d;
            if (*p >= u'0' && *p <= u'9')
                d = *p - u'0';
            else if (*p >= u'a' && *p <= u'z')
                d = *p - u'a' + 10;
            else if (*p >= u'A' && *p <= u'Z')
                d = *p - u'A' + 10;
            else
                break;
            if (d >= base)
                break;
            if (v > (ULLONG_MAX - d) / base)
                overflow = true;
            else
                v = v * base + d;
        }
    }
    if (end)
        *end = const_cast<WCHAR*>(p == digitsStart ? s : p);
    return v;
}

long long ParseSigned(const WCHAR* s, WCHAR** end, int base, long long lo, long long hi) {
    bool negative, overflow;
    unsigned long long v = ParseUnsigned(s, end, base, negative, overflow);
    if (!negative && (overflow || v > static_cast<unsigned long long>(hi))) {
        errno = ERANGE;
        return hi;
    }
    if (negative && (overflow || v > static_cast<unsigned long long>(hi) + 1)) {
        errno = ERANGE;
        return lo;
    }
    return negative ? static_cast<long long>(0 - v) : static_cast<long long>(v);
}

unsigned long long ParseUnsignedChecked(const WCHAR* s, WCHAR** end, int base, unsigned long long hi) {
    bool negative, overflow;
    unsigned long long v = ParseUnsigned(s, end, base, negative, overflow);
    if (overflow || v > hi) {
        errno = ERANGE;
        return hi;
    }
    return negative ? (0 - v) & hi : v;
}

WCHAR* ToText(unsigned long long mag, bool negative, WCHAR* buffer, int radix) {
    if (buffer == nullptr)
        return nullptr;
    if (radix < 2 || radix > 36) {
        buffer[0] = 0;
        return buffer;
    }
    WCHAR tmp[72];
    int n = 0;
    do {
        int d = static_cast<int>(mag % radix);
        tmp[n++] = static_cast<WCHAR>(d < 10 ? u'0' + d : u'a' + d - 10);
        mag /= radix;
    } while (mag);
    int o = 0;
    if (negative)
        buffer[o++] = u'-';
    while (n)
        buffer[o++] = tmp[--n];
    buffer[o] = 0;
    return buffer;
}

} // namespace

long wcstol(const WCHAR* s, WCHAR** end, int base) { return static_cast<long>(ParseSigned(s, end, base, LONG_MIN, LONG_MAX)); }
unsigned long wcstoul(const WCHAR* s, WCHAR** end, int base) { return ParseUnsignedChecked(s, end, base, ULONG_MAX); }
long long wcstoll(const WCHAR* s, WCHAR** end, int base) { return ParseSigned(s, end, base, LLONG_MIN, LLONG_MAX); }
unsigned long long wcstoull(const WCHAR* s, WCHAR** end, int base) { return ParseUnsignedChecked(s, end, base, ULLONG_MAX); }
double wcstod(const WCHAR* s, WCHAR** end) {
    // Numbers are ASCII; convert the leading run that can belong to one and let strtod decide.
    std::string narrow;
    const WCHAR* p = s;
    while (*p && *p < 0x80 && narrow.size() < 512)
        narrow += static_cast<char>(*p++);
    char* nend = nullptr;
    double v = std::strtod(narrow.c_str(), &nend);
    if (end)
        *end = const_cast<WCHAR*>(s + (nend - narrow.c_str()));
    return v;
}

int _wcsicmp(const WCHAR* a, const WCHAR* b) {
    for (;; ++a, ++b) {
        WCHAR ca = towlower(*a), cb = towlower(*b);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            return 0;
    }
}
int _wcsnicmp(const WCHAR* a, const WCHAR* b, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        WCHAR ca = towlower(a[i]), cb = towlower(b[i]);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            return 0;
    }
    return 0;
}
WCHAR* _wcsupr(WCHAR* s) {
    for (WCHAR* p = s; *p; ++p)
        *p = towupper(*p);
    return s;
}
WCHAR* _wcslwr(WCHAR* s) {
    for (WCHAR* p = s; *p; ++p)
        *p = towlower(*p);
    return s;
}
WCHAR* _wcsrev(WCHAR* s) {
    size_t n = wcslen(s);
    for (size_t i = 0; i < n / 2; ++i) {
        WCHAR t = s[i];
        s[i] = s[n - 1 - i];
        s[n - 1 - i] = t;
    }
    return s;
}
WCHAR* _wcsdup(const WCHAR* s) {
    if (s == nullptr)
        return nullptr;
    size_t n = wcslen(s) + 1;
    WCHAR* p = static_cast<WCHAR*>(std::malloc(n * sizeof(WCHAR)));
    if (p)
        std::memcpy(p, s, n * sizeof(WCHAR));
    return p;
}
int _wtoi(const WCHAR* s) { return static_cast<int>(ParseSigned(s, nullptr, 10, INT_MIN, INT_MAX)); }
// A 32-bit long, as on Windows.
long _wtol(const WCHAR* s) { return static_cast<long>(ParseSigned(s, nullptr, 10, INT32_MIN, INT32_MAX)); }
long long _wtoi64(const WCHAR* s) { return ParseSigned(s, nullptr, 10, LLONG_MIN, LLONG_MAX); }
double _wtof(const WCHAR* s) { return wcstod(s, nullptr); }

WCHAR* _itow(int value, WCHAR* buffer, int radix) {
    if (radix == 10)
        return ToText(value < 0 ? 0ULL - static_cast<unsigned long long>(static_cast<long long>(value)) : value,
                      value < 0, buffer, radix);
    return ToText(static_cast<unsigned int>(value), false, buffer, radix);
}
WCHAR* _ltow(long value, WCHAR* buffer, int radix) { return _itow(static_cast<int>(value), buffer, radix); }
WCHAR* _ultow(unsigned long value, WCHAR* buffer, int radix) {
    return ToText(static_cast<uint32_t>(value), false, buffer, radix);
}
WCHAR* _i64tow(long long value, WCHAR* buffer, int radix) {
    if (radix == 10 && value < 0)
        return ToText(0ULL - static_cast<unsigned long long>(value), true, buffer, radix);
    return ToText(static_cast<unsigned long long>(value), false, buffer, radix);
}
WCHAR* _ui64tow(unsigned long long value, WCHAR* buffer, int radix) { return ToText(value, false, buffer, radix); }

int _stricmp(const char* a, const char* b) { return strcasecmp(a, b); }
int _strnicmp(const char* a, const char* b, size_t n) { return strncasecmp(a, b, n); }

int lstrlenW(LPCWSTR s) { return s ? static_cast<int>(wcslen(s)) : 0; }
int lstrlenA(LPCSTR s) { return s ? static_cast<int>(std::strlen(s)) : 0; }
LPWSTR lstrcpyW(LPWSTR dst, LPCWSTR src) {
    if (dst == nullptr || src == nullptr)
        return nullptr;
    return wcscpy(dst, src);
}
LPWSTR lstrcpynW(LPWSTR dst, LPCWSTR src, int cchMax) {
    if (dst == nullptr || cchMax <= 0)
        return dst;
    int i = 0;
    if (src)
        for (; i < cchMax - 1 && src[i]; ++i)
            dst[i] = src[i];
    dst[i] = 0;
    return dst;
}
LPWSTR lstrcatW(LPWSTR dst, LPCWSTR src) {
    if (dst == nullptr || src == nullptr)
        return nullptr;
    return wcscat(dst, src);
}
LPSTR lstrcpyA(LPSTR dst, LPCSTR src) {
    if (dst == nullptr || src == nullptr)
        return nullptr;
    return std::strcpy(dst, src);
}
LPSTR lstrcpynA(LPSTR dst, LPCSTR src, int cchMax) {
    if (dst == nullptr || cchMax <= 0)
        return dst;
    int i = 0;
    if (src)
        for (; i < cchMax - 1 && src[i]; ++i)
            dst[i] = src[i];
    dst[i] = 0;
    return dst;
}

// Letters compare without regard to case first; only strings equal that way are ordered by
// case, lower case first, as the system's word sort orders them.
int CompareStringW(LCID Locale, DWORD dwCmpFlags, LPCWSTR lpString1, int cchCount1, LPCWSTR lpString2,
                   int cchCount2) {
    if (lpString1 == nullptr || lpString2 == nullptr || cchCount1 < -1 || cchCount2 < -1) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t n1 = cchCount1 < 0 ? wcslen(lpString1) : static_cast<size_t>(cchCount1);
    size_t n2 = cchCount2 < 0 ? wcslen(lpString2) : static_cast<size_t>(cchCount2);
    for (size_t i = 0; i < n1 && i < n2; ++i) {
        WCHAR a = AfxFoldLower(lpString1[i]);
        WCHAR b = AfxFoldLower(lpString2[i]);
        if (a != b)
            return a < b ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
    }
    if (n1 != n2)
        return n1 < n2 ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
    if (!(dwCmpFlags & NORM_IGNORECASE)) {
        for (size_t i = 0; i < n1; ++i) {
            if (lpString1[i] != lpString2[i])
                return IsCharLowerW(lpString1[i]) ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
        }
    }
    return CSTR_EQUAL;
}

// A null string sorts before any other, as the system's functions treat it.
int lstrcmpW(LPCWSTR a, LPCWSTR b) {
    if (a == nullptr || b == nullptr)
        return a == b ? 0 : (a == nullptr ? -1 : 1);
    return CompareStringW(LOCALE_USER_DEFAULT, 0, a, -1, b, -1) - 2;
}
int lstrcmpiW(LPCWSTR a, LPCWSTR b) {
    if (a == nullptr || b == nullptr)
        return a == b ? 0 : (a == nullptr ? -1 : 1);
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a, -1, b, -1) - 2;
}
int lstrcmpA(LPCSTR a, LPCSTR b) {
    if (a == nullptr || b == nullptr)
        return a == b ? 0 : (a == nullptr ? -1 : 1);
    int r = std::strcmp(a, b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}
int lstrcmpiA(LPCSTR a, LPCSTR b) {
    if (a == nullptr || b == nullptr)
        return a == b ? 0 : (a == nullptr ? -1 : 1);
    int r = strcasecmp(a, b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}
