// Character classes and case folding of UTF-16 characters.
#include "win32/text.h"

namespace {

// Pairs that differ by one code point, upper case even (Latin Extended-A and parts of B).
bool InAlternatingRange(char16_t c) {
    return (c >= 0x0100 && c <= 0x012F) || (c >= 0x0132 && c <= 0x0137) || (c >= 0x014A && c <= 0x0177) ||
           (c >= 0x01DE && c <= 0x01EF) || (c >= 0x01F8 && c <= 0x021F) || (c >= 0x0460 && c <= 0x0481) ||
           (c >= 0x048A && c <= 0x04BF) || (c >= 0x04D0 && c <= 0x04FF);
}
// Pairs where the upper case is odd.
bool InOddRange(char16_t c) {
    return (c >= 0x0139 && c <= 0x0148) || (c >= 0x0179 && c <= 0x017E) || (c >= 0x04C1 && c <= 0x04CE);
}

} // namespace

WCHAR AfxFoldUpper(WCHAR c) {
    if (c < 0x80)
        return c >= u'a' && c <= u'z' ? WCHAR(c - 32) : c;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) ||
        (c >= 0x430 && c <= 0x44F))
        return WCHAR(c - 32);
    if (c == 0xFF)
        return 0x178;
    if (c == 0x3C2)
        return 0x3A3;
    if (c >= 0x450 && c <= 0x45F)
        return WCHAR(c - 80);
    if (c >= 0xFF41 && c <= 0xFF5A)
        return WCHAR(c - 32);
    if (InAlternatingRange(c) && (c & 1))
        return WCHAR(c - 1);
    if (InOddRange(c) && !(c & 1))
        return WCHAR(c - 1);
    return c;
}

WCHAR AfxFoldLower(WCHAR c) {
    if (c < 0x80)
        return c >= u'A' && c <= u'Z' ? WCHAR(c + 32) : c;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) ||
        (c >= 0x410 && c <= 0x42F))
        return WCHAR(c + 32);
    if (c == 0x178)
        return 0xFF;
    if (c >= 0x400 && c <= 0x40F)
        return WCHAR(c + 80);
    if (c >= 0xFF21 && c <= 0xFF3A)
        return WCHAR(c + 32);
    if (InAlternatingRange(c) && !(c & 1))
        return WCHAR(c + 1);
    if (InOddRange(c) && (c & 1))
        return WCHAR(c + 1);
    return c;
}

LPWSTR CharUpperW(LPWSTR lpsz) {
    if (IS_INTRESOURCE(lpsz))
        return reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(AfxFoldUpper(static_cast<WCHAR>(
            reinterpret_cast<ULONG_PTR>(lpsz)))));
    for (LPWSTR p = lpsz; *p; ++p)
        *p = AfxFoldUpper(*p);
    return lpsz;
}

LPWSTR CharLowerW(LPWSTR lpsz) {
    if (IS_INTRESOURCE(lpsz))
        return reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(AfxFoldLower(static_cast<WCHAR>(
            reinterpret_cast<ULONG_PTR>(lpsz)))));
    for (LPWSTR p = lpsz; *p; ++p)
        *p = AfxFoldLower(*p);
    return lpsz;
}

DWORD CharUpperBuffW(LPWSTR lpsz, DWORD cchLength) {
    if (lpsz == nullptr)
        return 0;
    for (DWORD i = 0; i < cchLength; ++i)
        lpsz[i] = AfxFoldUpper(lpsz[i]);
    return cchLength;
}

DWORD CharLowerBuffW(LPWSTR lpsz, DWORD cchLength) {
    if (lpsz == nullptr)
        return 0;
    for (DWORD i = 0; i < cchLength; ++i)
        lpsz[i] = AfxFoldLower(lpsz[i]);
    return cchLength;
}

LPWSTR CharNextW(LPCWSTR lpsz) {
    return const_cast<LPWSTR>(*lpsz ? lpsz + 1 : lpsz);
}

LPWSTR CharPrevW(LPCWSTR lpszStart, LPCWSTR lpszCurrent) {
    return const_cast<LPWSTR>(lpszCurrent > lpszStart ? lpszCurrent - 1 : lpszStart);
}

BOOL IsCharUpperW(WCHAR ch) { return AfxFoldLower(ch) != ch; }
BOOL IsCharLowerW(WCHAR ch) { return AfxFoldUpper(ch) != ch; }
// Letters: those with case, plus the CJK ideographs, kana and hangul the program shows.
BOOL IsCharAlphaW(WCHAR ch) {
    return IsCharUpperW(ch) || IsCharLowerW(ch) || ch == 0xDF || (ch >= 0x3040 && ch <= 0x30FF) ||
           (ch >= 0x3400 && ch <= 0x4DBF) || (ch >= 0x4E00 && ch <= 0x9FFF) || (ch >= 0xAC00 && ch <= 0xD7A3) ||
           (ch >= 0xF900 && ch <= 0xFAFF);
}
BOOL IsCharAlphaNumericW(WCHAR ch) { return IsCharAlphaW(ch) || (ch >= u'0' && ch <= u'9'); }

// The C runtime's classes in the "C" locale: ASCII rules, plus the Unicode spaces and letters.
int iswdigit(WCHAR c) { return c >= u'0' && c <= u'9'; }
int iswxdigit(WCHAR c) { return iswdigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'); }
int iswspace(WCHAR c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}
int iswupper(WCHAR c) { return IsCharUpperW(c); }
int iswlower(WCHAR c) { return IsCharLowerW(c); }
int iswalpha(WCHAR c) { return IsCharAlphaW(c); }
int iswalnum(WCHAR c) { return iswalpha(c) || iswdigit(c); }
int iswcntrl(WCHAR c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }
int iswpunct(WCHAR c) {
    if (c < 0x80)
        return c > 0x20 && c < 0x7F && !iswalnum(c);
    return !iswcntrl(c) && !iswspace(c) && !iswalnum(c);
}
int iswprint(WCHAR c) { return !iswcntrl(c); }
WCHAR towupper(WCHAR c) { return c >= u'a' && c <= u'z' ? WCHAR(c - 32) : c; }
WCHAR towlower(WCHAR c) { return c >= u'A' && c <= u'Z' ? WCHAR(c + 32) : c; }
