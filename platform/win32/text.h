// Text services: UTF-16 C runtime functions, code-page conversions, lstr*/wsprintf.
#pragma once

#include "win32/types.h"

#include <concepts>
#include <cstdarg>
#include <string>
#include <type_traits>

// ---- Code pages ---------------------------------------------------------------------------------
#define CP_ACP 0
#define CP_OEMCP 1
#define CP_MACCP 2
#define CP_THREAD_ACP 3
#define CP_UTF8 65001

#define MB_PRECOMPOSED 0x00000001
#define MB_COMPOSITE 0x00000002
#define MB_USEGLYPHCHARS 0x00000004
#define MB_ERR_INVALID_CHARS 0x00000008

#define WC_COMPOSITECHECK 0x00000200
#define WC_DISCARDNS 0x00000010
#define WC_SEPCHARS 0x00000020
#define WC_DEFAULTCHAR 0x00000040
#define WC_ERR_INVALID_CHARS 0x00000080
#define WC_NO_BEST_FIT_CHARS 0x00000400

// The system answers with the simplified Chinese code page for both ANSI and OEM text.
UINT GetACP();
UINT GetOEMCP();
BOOL IsValidCodePage(UINT CodePage);
BOOL IsDBCSLeadByte(BYTE TestChar);
BOOL IsDBCSLeadByteEx(UINT CodePage, BYTE TestChar);

// Bytes that do not convert become '?' (U+FFFD for UTF-8) unless MB_ERR_INVALID_CHARS asks for
// failure with ERROR_NO_UNICODE_TRANSLATION. A cbMultiByte of -1 converts up to and including the
// terminating null. A cchWideChar of 0 asks for the size needed.
int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                        LPWSTR lpWideCharStr, int cchWideChar);
// Characters the code page lacks become lpDefaultChar (or '?') and set *lpUsedDefaultChar. For
// UTF-8 both must be null (ERROR_INVALID_PARAMETER otherwise).
int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                        LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                        LPBOOL lpUsedDefaultChar);

// Whole-string helpers over the two functions above (CP_ACP unless told otherwise).
std::u16string AnsiToWide(const char* text, size_t length, UINT codePage = CP_ACP);
std::u16string AnsiToWide(const std::string& text, UINT codePage = CP_ACP);
std::string WideToAnsi(const char16_t* text, size_t length, UINT codePage = CP_ACP);
std::string WideToAnsi(const std::u16string& text, UINT codePage = CP_ACP);

// ---- Case and character classes ---------------------------------------------------------------
// The user-interface functions fold Latin, Greek, Cyrillic and full-width letters, as the system's
// locale tables do; the C runtime functions below work in the "C" locale and fold ASCII only.
LPWSTR CharUpperW(LPWSTR lpsz); // a value below 0x10000 is one character, returned converted
LPWSTR CharLowerW(LPWSTR lpsz);
DWORD CharUpperBuffW(LPWSTR lpsz, DWORD cchLength);
DWORD CharLowerBuffW(LPWSTR lpsz, DWORD cchLength);
LPWSTR CharNextW(LPCWSTR lpsz);
LPWSTR CharPrevW(LPCWSTR lpszStart, LPCWSTR lpszCurrent);
BOOL IsCharAlphaW(WCHAR ch);
BOOL IsCharAlphaNumericW(WCHAR ch);
BOOL IsCharUpperW(WCHAR ch);
BOOL IsCharLowerW(WCHAR ch);
WCHAR AfxFoldUpper(WCHAR ch); // the user-interface folding of one character
WCHAR AfxFoldLower(WCHAR ch);

int iswdigit(WCHAR c);
int iswxdigit(WCHAR c);
int iswspace(WCHAR c);
int iswalpha(WCHAR c);
int iswalnum(WCHAR c);
int iswupper(WCHAR c);
int iswlower(WCHAR c);
int iswpunct(WCHAR c);
int iswcntrl(WCHAR c);
int iswprint(WCHAR c);
WCHAR towupper(WCHAR c);
WCHAR towlower(WCHAR c);

// ---- C runtime on UTF-16 strings --------------------------------------------------------------
// Overloads on char16_t of the C library's wide functions, whose own versions work on the 32-bit
// wchar_t and cannot serve.
size_t wcslen(const WCHAR* s);
size_t wcsnlen(const WCHAR* s, size_t maxlen);
WCHAR* wcscpy(WCHAR* dst, const WCHAR* src);
WCHAR* wcsncpy(WCHAR* dst, const WCHAR* src, size_t n);
WCHAR* wcscat(WCHAR* dst, const WCHAR* src);
WCHAR* wcsncat(WCHAR* dst, const WCHAR* src, size_t n);
int wcscmp(const WCHAR* a, const WCHAR* b);
int wcsncmp(const WCHAR* a, const WCHAR* b, size_t n);
const WCHAR* wcschr(const WCHAR* s, WCHAR c);
WCHAR* wcschr(WCHAR* s, WCHAR c);
const WCHAR* wcsrchr(const WCHAR* s, WCHAR c);
WCHAR* wcsrchr(WCHAR* s, WCHAR c);
const WCHAR* wcsstr(const WCHAR* s, const WCHAR* sub);
WCHAR* wcsstr(WCHAR* s, const WCHAR* sub);
const WCHAR* wcspbrk(const WCHAR* s, const WCHAR* set);
WCHAR* wcspbrk(WCHAR* s, const WCHAR* set);
size_t wcsspn(const WCHAR* s, const WCHAR* set);
size_t wcscspn(const WCHAR* s, const WCHAR* set);
long wcstol(const WCHAR* s, WCHAR** end, int base);
unsigned long wcstoul(const WCHAR* s, WCHAR** end, int base);
long long wcstoll(const WCHAR* s, WCHAR** end, int base);
unsigned long long wcstoull(const WCHAR* s, WCHAR** end, int base);
double wcstod(const WCHAR* s, WCHAR** end);
int _wcsicmp(const WCHAR* a, const WCHAR* b);
int _wcsnicmp(const WCHAR* a, const WCHAR* b, size_t n);
WCHAR* _wcsupr(WCHAR* s);
WCHAR* _wcslwr(WCHAR* s);
WCHAR* _wcsrev(WCHAR* s);
WCHAR* _wcsdup(const WCHAR* s); // free() it
int _wtoi(const WCHAR* s);
long _wtol(const WCHAR* s);
long long _wtoi64(const WCHAR* s);
double _wtof(const WCHAR* s);
// Radix 2..36; digits above 9 are lower case; only radix 10 writes a minus sign.
WCHAR* _itow(int value, WCHAR* buffer, int radix);
WCHAR* _ltow(long value, WCHAR* buffer, int radix);
WCHAR* _ultow(unsigned long value, WCHAR* buffer, int radix);
WCHAR* _i64tow(long long value, WCHAR* buffer, int radix);
WCHAR* _ui64tow(unsigned long long value, WCHAR* buffer, int radix);
int _stricmp(const char* a, const char* b);
int _strnicmp(const char* a, const char* b, size_t n);

// ---- lstr* -----------------------------------------------------------------------------------
// Null pointers are accepted as the system accepts them (length 0, empty text, failure).
int lstrlenW(LPCWSTR s);
int lstrlenA(LPCSTR s);
LPWSTR lstrcpyW(LPWSTR dst, LPCWSTR src);
LPWSTR lstrcpynW(LPWSTR dst, LPCWSTR src, int cchMax); // always terminated
LPWSTR lstrcatW(LPWSTR dst, LPCWSTR src);
LPSTR lstrcpyA(LPSTR dst, LPCSTR src);
LPSTR lstrcpynA(LPSTR dst, LPCSTR src, int cchMax);
int lstrcmpW(LPCWSTR a, LPCWSTR b);
int lstrcmpiW(LPCWSTR a, LPCWSTR b);
int lstrcmpA(LPCSTR a, LPCSTR b);
int lstrcmpiA(LPCSTR a, LPCSTR b);

#define LOCALE_SYSTEM_DEFAULT 0x0800
#define LOCALE_USER_DEFAULT 0x0400
#define NORM_IGNORECASE 0x00000001
#define CSTR_LESS_THAN 1
#define CSTR_EQUAL 2
#define CSTR_GREATER_THAN 3
// Compares by code point (folded when NORM_IGNORECASE); a count of -1 means null-terminated.
int CompareStringW(LCID Locale, DWORD dwCmpFlags, LPCWSTR lpString1, int cchCount1, LPCWSTR lpString2,
                   int cchCount2);

// ---- Formatting -------------------------------------------------------------------------------
// One formatter follows the Windows printf rules for every formatting function of the layer: in
// wide output %s/%c are wide and %S/%C narrow (the other way round in narrow output), %hs/%ls/%ws
// force a width, size prefixes h, hh, l, ll, L, I, I32, I64, w; three-digit exponents; "(null)"
// for a null string; a '0' flag pads text too; %n writes nothing; an unknown conversion prints
// its letter.
//
// The variadic templates take their arguments' types from the call, so a conversion that does not
// match its argument is printed safely instead of reading the wrong bytes, and string objects
// with GetString() may be passed as they are.
namespace afx_format {

struct Arg {
    enum Kind { Int, Double, WStr, AStr, Ptr } kind;
    bool isUnsigned = false;
    union {
        long long i;
        double d;
        const char16_t* ws;
        const char* as;
        const void* p;
    };
};

template <class T>
Arg MakeArg(const T& v) {
    Arg a{};
    using U = std::remove_cv_t<T>;
    if constexpr (requires { { v.GetString() } -> std::convertible_to<const char16_t*>; }) {
        a.kind = Arg::WStr;
        a.ws = v.GetString();
    } else if constexpr (requires { { v.GetString() } -> std::convertible_to<const char*>; }) {
        a.kind = Arg::AStr;
        a.as = v.GetString();
    } else if constexpr (std::is_same_v<U, std::u16string>) {
        a.kind = Arg::WStr;
        a.ws = v.c_str();
    } else if constexpr (std::is_same_v<U, std::string>) {
        a.kind = Arg::AStr;
        a.as = v.c_str();
    } else if constexpr (std::is_floating_point_v<U>) {
        a.kind = Arg::Double;
        a.d = static_cast<double>(v);
    } else if constexpr (std::is_integral_v<U> || std::is_enum_v<U>) {
        a.kind = Arg::Int;
        if constexpr (std::is_enum_v<U>)
            a.i = static_cast<long long>(v);
        else {
            a.isUnsigned = std::is_unsigned_v<U>;
            a.i = static_cast<long long>(v);
        }
    } else if constexpr (std::is_array_v<U>) {
        return MakeArg(static_cast<const std::remove_extent_t<U>*>(v));
    } else if constexpr (std::is_same_v<U, std::nullptr_t>) {
        a.kind = Arg::Ptr;
        a.p = nullptr;
    } else if constexpr (std::is_pointer_v<U>) {
        using P = std::remove_cv_t<std::remove_pointer_t<U>>;
        if constexpr (std::is_same_v<P, char16_t>) {
            a.kind = Arg::WStr;
            a.ws = v;
        } else if constexpr (std::is_same_v<P, char> || std::is_same_v<P, unsigned char>) {
            a.kind = Arg::AStr;
            a.as = reinterpret_cast<const char*>(v);
        } else {
            a.kind = Arg::Ptr;
            a.p = reinterpret_cast<const void*>(v);
        }
    } else {
        static_assert(std::is_pointer_v<U>, "type cannot be formatted");
    }
    return a;
}

// allowFloat false (wsprintf) prints floating-point conversions as their letter.
std::u16string FormatW(const char16_t* format, const Arg* args, size_t count, bool allowFloat = true);
std::string FormatA(const char* format, const Arg* args, size_t count);
std::u16string FormatVW(const char16_t* format, va_list args, bool allowFloat = true);
std::string FormatVA(const char* format, va_list args);

template <class... T>
std::u16string Wide(const char16_t* format, const T&... args) {
    const Arg list[] = {MakeArg(args)..., Arg{}};
    return FormatW(format, list, sizeof...(T));
}
template <class... T>
std::string Narrow(const char* format, const T&... args) {
    const Arg list[] = {MakeArg(args)..., Arg{}};
    return FormatA(format, list, sizeof...(T));
}

// Copies into a caller's buffer; returns the units written without the terminator.
int CopyOut(const std::u16string& text, WCHAR* buffer, size_t capacity);

} // namespace afx_format

// Windows' wsprintfW: no floating-point conversions, at most 1024 characters written.
int wvsprintfW(LPWSTR buffer, LPCWSTR format, va_list args);
template <class... T>
int wsprintfW(LPWSTR buffer, LPCWSTR format, const T&... args) {
    const afx_format::Arg list[] = {afx_format::MakeArg(args)..., afx_format::Arg{}};
    return afx_format::CopyOut(afx_format::FormatW(format, list, sizeof...(T), false), buffer, 1024);
}
// The older C runtime's unbounded swprintf, and the counted form: -1 when the text did not fit
// (then the buffer holds count characters and no terminator).
template <class... T>
int swprintf(WCHAR* buffer, const WCHAR* format, const T&... args) {
    return afx_format::CopyOut(afx_format::Wide(format, args...), buffer, size_t(-1));
}
template <size_t N, class... T>
int swprintf_s(WCHAR (&buffer)[N], const WCHAR* format, const T&... args) {
    return afx_format::CopyOut(afx_format::Wide(format, args...), buffer, N);
}
int _vsnwprintf(WCHAR* buffer, size_t count, const WCHAR* format, va_list args);
template <class... T>
int _snwprintf(WCHAR* buffer, size_t count, const WCHAR* format, const T&... args) {
    std::u16string text = afx_format::Wide(format, args...);
    if (text.size() > count) {
        text.copy(buffer, count);
        return -1;
    }
    text.copy(buffer, text.size());
    if (text.size() < count)
        buffer[text.size()] = 0;
    return static_cast<int>(text.size());
}
