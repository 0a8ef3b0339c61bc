// CString and CStringA: clamping edits, searches, buffers, formatting and resource strings.
#include "afx/string.h"

#include "afx/core.h"
#include "afx/framework_ids.h"

#include <algorithm>
#include <vector>

namespace {

AFX_LOADSTRING_PROC g_pfnLoadString = nullptr;

template <class C>
bool IsSpace(C c) {
    if constexpr (std::is_same_v<C, char16_t>)
        return iswspace(c);
    else
        return c == ' ' || (c >= '\t' && c <= '\r');
}

template <class C>
C AsciiUpper(C c) { return c >= 'a' && c <= 'z' ? C(c - 32) : c; }
template <class C>
C AsciiLower(C c) { return c >= 'A' && c <= 'Z' ? C(c + 32) : c; }

// Compares as the C runtime's functions do: up to the first null, by unsigned unit.
template <class C, class F>
int CompareUnits(const C* a, const C* b, F fold) {
    using U = std::make_unsigned_t<C>;
    for (;; ++a, ++b) {
        U x = static_cast<U>(fold(*a)), y = static_cast<U>(fold(*b));
        if (x != y)
            return x < y ? -1 : 1;
        if (x == 0)
            return 0;
    }
}

// Units of the character at i. Narrow text is in the ANSI page, whose two-byte characters may
// have a second byte that looks like ASCII ('\\', 'a' ...); searching, trimming and case
// changes must step over them whole, as the runtime's multibyte functions do.
template <class C>
size_t CharLen(const C* s, size_t i, size_t n) {
    if constexpr (std::is_same_v<C, char>) {
        if (IsDBCSLeadByte(static_cast<BYTE>(s[i])) && i + 1 < n && s[i + 1] != 0)
            return 2;
    }
    return 1;
}

template <class C>
bool CharInSet(const C* set, const C* ch, size_t len) {
    size_t n = std::char_traits<C>::length(set);
    for (size_t j = 0; j < n;) {
        size_t l = CharLen(set, j, n);
        if (l == len && std::char_traits<C>::compare(set + j, ch, len) == 0)
            return true;
        j += l;
    }
    return false;
}

// Start of the run of matching characters that ends the string (its length when none match).
template <class C, class Match>
size_t TrailingRun(const std::basic_string<C>& s, Match match) {
    size_t run = s.size();
    bool inRun = false;
    for (size_t i = 0; i < s.size();) {
        size_t l = CharLen(s.data(), i, s.size());
        if (match(s.data() + i, l)) {
            if (!inRun)
                run = i;
            inRun = true;
        } else {
            inRun = false;
        }
        i += l;
    }
    return inRun ? run : s.size();
}

template <class C, class Match>
size_t LeadingRun(const std::basic_string<C>& s, Match match) {
    size_t i = 0;
    while (i < s.size()) {
        size_t l = CharLen(s.data(), i, s.size());
        if (!match(s.data() + i, l))
            break;
        i += l;
    }
    return i;
}

// First character at or after start that matches, by whole characters; npos when none.
template <class C, class Match>
size_t FindChar(const std::basic_string<C>& s, size_t start, Match match) {
    for (size_t i = start; i < s.size();) {
        size_t l = CharLen(s.data(), i, s.size());
        if (match(s.data() + i, l))
            return i;
        i += l;
    }
    return std::basic_string<C>::npos;
}

} // namespace

void AfxSetLoadStringProc(AFX_LOADSTRING_PROC pfn) { g_pfnLoadString = pfn; }

template <class C>
CStringT<C>::CStringT(PCXSTR pch, int nLength) {
    if (pch != nullptr && nLength > 0)
        m_s.assign(pch, nLength);
}

template <class C>
CStringT<C>::CStringT(C ch, int nRepeat) {
    if (nRepeat > 0)
        m_s.assign(nRepeat, ch);
}

template <class C>
void CStringT<C>::Assign(PCXSTR psz) {
    if (psz == nullptr) {
        m_s.clear();
    } else if (IS_INTRESOURCE(psz)) {
        if (!LoadString(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(psz))))
            m_s.clear();
    } else {
        m_s.assign(psz);
    }
}

template <class C>
void CStringT<C>::AssignOther(PCYSTR psz) {
    if (psz == nullptr) {
        m_s.clear();
        return;
    }
    if (IS_INTRESOURCE(psz)) {
        if (!LoadString(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(psz))))
            m_s.clear();
        return;
    }
    size_t n = std::char_traits<YCHAR>::length(psz);
    if constexpr (std::is_same_v<C, char16_t>)
        m_s = AnsiToWide(psz, n);
    else
        m_s = WideToAnsi(psz, n);
}

template <class C>
C CStringT<C>::GetAt(int nIndex) const {
    if (nIndex < 0 || nIndex > GetLength())
        AfxThrowInvalidArgException();
    return m_s.c_str()[nIndex];
}

template <class C>
void CStringT<C>::SetAt(int nIndex, C ch) {
    if (nIndex < 0 || nIndex >= GetLength())
        AfxThrowInvalidArgException();
    m_s[nIndex] = ch;
}

template <class C>
int CStringT<C>::Compare(PCXSTR psz) const {
    return CompareUnits(m_s.c_str(), psz ? psz : m_s.c_str() + m_s.size(), [](C c) { return c; });
}

template <class C>
int CStringT<C>::CompareNoCase(PCXSTR psz) const {
    return CompareUnits(m_s.c_str(), psz ? psz : m_s.c_str() + m_s.size(), [](C c) { return AsciiLower(c); });
}

template <class C>
CStringT<C> CStringT<C>::Mid(int nFirst, int nCount) const {
    int len = GetLength();
    if (nFirst < 0)
        nFirst = 0;
    if (nFirst > len)
        nFirst = len;
    if (nCount < 0)
        nCount = 0;
    if (nCount > len - nFirst)
        nCount = len - nFirst;
    return CStringT(m_s.substr(nFirst, nCount));
}

template <class C>
CStringT<C> CStringT<C>::Right(int nCount) const {
    int len = GetLength();
    if (nCount < 0)
        nCount = 0;
    if (nCount > len)
        nCount = len;
    return CStringT(m_s.substr(len - nCount));
}

template <class C>
CStringT<C> CStringT<C>::SpanIncluding(PCXSTR pszCharSet) const {
    if (pszCharSet == nullptr)
        return CStringT();
    std::basic_string<C> s(m_s.c_str()); // up to the first null, as the C functions see it
    size_t n = LeadingRun(s, [&](const C* c, size_t l) { return CharInSet(pszCharSet, c, l); });
    return CStringT(s.substr(0, n));
}

template <class C>
CStringT<C> CStringT<C>::SpanExcluding(PCXSTR pszCharSet) const {
    std::basic_string<C> s(m_s.c_str());
    size_t n = LeadingRun(s, [&](const C* c, size_t l) { return !(pszCharSet && CharInSet(pszCharSet, c, l)); });
    return CStringT(s.substr(0, n));
}

template <class C>
CStringT<C> CStringT<C>::Tokenize(PCXSTR pszTokens, int& iStart) const {
    int len = GetLength();
    if (iStart >= 0 && iStart < len) {
        if (pszTokens == nullptr || *pszTokens == 0) {
            CStringT rest = Mid(iStart);
            iStart = len; // the next call ends the walk
            return rest;
        }
        auto inSet = [&](const C* c, size_t l) { return CharInSet(pszTokens, c, l); };
        size_t p = FindChar(m_s, iStart, [&](const C* c, size_t l) { return !inSet(c, l); });
        if (p != std::basic_string<C>::npos) {
            size_t q = FindChar(m_s, p, inSet);
            if (q == std::basic_string<C>::npos)
                q = m_s.size();
            iStart = static_cast<int>(q) + 1;
            return Mid(static_cast<int>(p), static_cast<int>(q - p));
        }
    }
    iStart = -1;
    return CStringT();
}

template <class C>
CStringT<C>& CStringT<C>::MakeUpper() {
    for (size_t i = 0; i < m_s.size();) {
        size_t l = CharLen(m_s.data(), i, m_s.size());
        if (l == 1)
            m_s[i] = AsciiUpper(m_s[i]);
        i += l;
    }
    return *this;
}

template <class C>
CStringT<C>& CStringT<C>::MakeLower() {
    for (size_t i = 0; i < m_s.size();) {
        size_t l = CharLen(m_s.data(), i, m_s.size());
        if (l == 1)
            m_s[i] = AsciiLower(m_s[i]);
        i += l;
    }
    return *this;
}

template <class C>
CStringT<C>& CStringT<C>::MakeReverse() {
    std::basic_string<C> out(m_s.size(), C(0));
    size_t o = m_s.size();
    for (size_t i = 0; i < m_s.size();) {
        size_t l = CharLen(m_s.data(), i, m_s.size());
        o -= l;
        m_s.copy(out.data() + o, l, i);
        i += l;
    }
    m_s.swap(out);
    return *this;
}

template <class C>
int CStringT<C>::Replace(C chOld, C chNew) {
    int n = 0;
    for (size_t i = 0; i < m_s.size();) {
        size_t l = CharLen(m_s.data(), i, m_s.size());
        if (l == 1 && m_s[i] == chOld) {
            m_s[i] = chNew;
            ++n;
        }
        i += l;
    }
    return n;
}

template <class C>
int CStringT<C>::Replace(PCXSTR pszOld, PCXSTR pszNew) {
    if (pszOld == nullptr || *pszOld == 0)
        return 0;
    std::basic_string<C> from(pszOld), to(pszNew ? pszNew : m_s.c_str() + m_s.size());
    const C* endp = m_s.data() + m_s.size();
    auto at = [&](const C* c, size_t) {
        return static_cast<size_t>(endp - c) >= from.size() &&
               std::char_traits<C>::compare(c, from.data(), from.size()) == 0;
    };
    std::basic_string<C> out;
    int n = 0;
    size_t pos = 0;
    for (size_t hit; (hit = FindChar(m_s, pos, at)) != std::basic_string<C>::npos; pos = hit + from.size()) {
        out.append(m_s, pos, hit - pos);
        out += to;
        ++n;
    }
    if (n) {
        out.append(m_s, pos, std::basic_string<C>::npos);
        m_s.swap(out);
    }
    return n;
}

template <class C>
int CStringT<C>::Remove(C ch) {
    std::basic_string<C> out;
    int n = 0;
    for (size_t i = 0; i < m_s.size();) {
        size_t l = CharLen(m_s.data(), i, m_s.size());
        if (l == 1 && m_s[i] == ch)
            ++n;
        else
            out.append(m_s, i, l);
        i += l;
    }
    m_s.swap(out);
    return n;
}

template <class C>
int CStringT<C>::Insert(int nIndex, C ch) {
    nIndex = std::clamp(nIndex, 0, GetLength());
    m_s.insert(m_s.begin() + nIndex, ch);
    return GetLength();
}

template <class C>
int CStringT<C>::Insert(int nIndex, PCXSTR psz) {
    nIndex = std::clamp(nIndex, 0, GetLength());
    if (psz)
        m_s.insert(nIndex, psz);
    return GetLength();
}

template <class C>
int CStringT<C>::Delete(int nIndex, int nCount) {
    int len = GetLength();
    if (nIndex < 0)
        nIndex = 0;
    if (nCount > 0 && nIndex < len)
        m_s.erase(nIndex, std::min(nCount, len - nIndex));
    return GetLength();
}

template <class C>
CStringT<C>& CStringT<C>::TrimLeft() {
    m_s.erase(0, LeadingRun(m_s, [](const C* c, size_t l) { return l == 1 && IsSpace(*c); }));
    return *this;
}

template <class C>
CStringT<C>& CStringT<C>::TrimLeft(C ch) {
    m_s.erase(0, LeadingRun(m_s, [ch](const C* c, size_t l) { return l == 1 && *c == ch; }));
    return *this;
}

template <class C>
CStringT<C>& CStringT<C>::TrimLeft(PCXSTR pszTargets) {
    if (pszTargets != nullptr)
        m_s.erase(0, LeadingRun(m_s, [&](const C* c, size_t l) { return *c != 0 && CharInSet(pszTargets, c, l); }));
    return *this;
}

template <class C>
CStringT<C>& CStringT<C>::TrimRight() {
    m_s.resize(TrailingRun(m_s, [](const C* c, size_t l) { return l == 1 && IsSpace(*c); }));
    return *this;
}

template <class C>
CStringT<C>& CStringT<C>::TrimRight(C ch) {
    m_s.resize(TrailingRun(m_s, [ch](const C* c, size_t l) { return l == 1 && *c == ch; }));
    return *this;
}

template <class C>
CStringT<C>& CStringT<C>::TrimRight(PCXSTR pszTargets) {
    if (pszTargets != nullptr)
        m_s.resize(TrailingRun(m_s, [&](const C* c, size_t l) { return *c != 0 && CharInSet(pszTargets, c, l); }));
    return *this;
}

template <class C>
int CStringT<C>::Find(C ch, int nStart) const {
    if (nStart < 0 || nStart >= GetLength())
        return -1;
    size_t pos = FindChar(m_s, nStart, [ch](const C* c, size_t l) { return l == 1 && *c == ch; });
    return pos == std::basic_string<C>::npos ? -1 : static_cast<int>(pos);
}

template <class C>
int CStringT<C>::Find(PCXSTR pszSub, int nStart) const {
    if (pszSub == nullptr || nStart < 0 || nStart > GetLength())
        return -1;
    size_t n = std::char_traits<C>::length(pszSub);
    if (n == 0)
        return nStart;
    const C* endp = m_s.data() + m_s.size();
    size_t pos = FindChar(m_s, nStart, [&](const C* c, size_t) {
        return static_cast<size_t>(endp - c) >= n && std::char_traits<C>::compare(c, pszSub, n) == 0;
    });
    return pos == std::basic_string<C>::npos ? -1 : static_cast<int>(pos);
}

template <class C>
int CStringT<C>::ReverseFind(C ch) const {
    if (ch == 0)
        return GetLength();
    int found = -1;
    for (size_t i = 0; i < m_s.size();) {
        size_t l = CharLen(m_s.data(), i, m_s.size());
        if (l == 1 && m_s[i] == ch)
            found = static_cast<int>(i);
        i += l;
    }
    return found;
}

template <class C>
int CStringT<C>::FindOneOf(PCXSTR pszCharSet) const {
    if (pszCharSet == nullptr || *pszCharSet == 0)
        return -1;
    size_t pos = FindChar(m_s, 0, [&](const C* c, size_t l) { return CharInSet(pszCharSet, c, l); });
    return pos == std::basic_string<C>::npos ? -1 : static_cast<int>(pos);
}

template <class C>
typename CStringT<C>::PXSTR CStringT<C>::GetBuffer(int nMinBufLength) {
    if (nMinBufLength > GetLength())
        m_s.resize(nMinBufLength, C(0));
    return m_s.data();
}

template <class C>
typename CStringT<C>::PXSTR CStringT<C>::GetBufferSetLength(int nNewLength) {
    m_s.resize(nNewLength > 0 ? nNewLength : 0, C(0));
    return m_s.data();
}

template <class C>
void CStringT<C>::ReleaseBuffer(int nNewLength) {
    if (nNewLength < 0)
        m_s.resize(Measure());
    else if (static_cast<size_t>(nNewLength) <= m_s.size())
        m_s.resize(nNewLength);
}

template <class C>
std::basic_string<C> CStringT<C>::FormatList(PCXSTR format, const afx_format::Arg* args, size_t count) {
    if constexpr (std::is_same_v<C, char16_t>)
        return afx_format::FormatW(format, args, count);
    else
        return afx_format::FormatA(format, args, count);
}

template <class C>
void CStringT<C>::FormatV(PCXSTR pszFormat, va_list args) {
    if constexpr (std::is_same_v<C, char16_t>)
        m_s = afx_format::FormatVW(pszFormat, args);
    else
        m_s = afx_format::FormatVA(pszFormat, args);
}

template <class C>
void CStringT<C>::AppendFormatV(PCXSTR pszFormat, va_list args) {
    if constexpr (std::is_same_v<C, char16_t>)
        m_s += afx_format::FormatVW(pszFormat, args);
    else
        m_s += afx_format::FormatVA(pszFormat, args);
}

// The framework's own strings, which a program's string tables need not repeat.
static const char16_t* FrameworkString(UINT nID) {
    switch (nID) {
    case AFX_IDS_HIDE:
        return u"隐藏(&H)";
    default:
        return nullptr;
    }
}

template <class C>
BOOL CStringT<C>::LoadString(UINT nID) {
    // The program is one executable, so any module handle names its resource image.
    AFX_LOADSTRING_PROC load = g_pfnLoadString;
    if (load == nullptr)
        load = [](UINT id, LPWSTR buf, int cch) { return ::LoadStringW(nullptr, id, buf, cch); };
    // A string table entry holds at most 65535 units; grow until the text fits with room to spare.
    std::vector<WCHAR> buffer(256);
    int n = 0;
    for (;;) {
        n = load(nID, buffer.data(), static_cast<int>(buffer.size()));
        if (n <= 0) {
            const char16_t* text = FrameworkString(nID);
            if (!text)
                return FALSE;
            if constexpr (std::is_same_v<C, char16_t>)
                m_s.assign(text);
            else
                m_s = WideToAnsi(text, static_cast<int>(std::char_traits<char16_t>::length(text)));
            return TRUE;
        }
        if (static_cast<size_t>(n) < buffer.size() - 1 || buffer.size() > 65536)
            break;
        buffer.resize(buffer.size() * 4);
    }
    n = std::min<int>(n, static_cast<int>(buffer.size()) - 1);
    if constexpr (std::is_same_v<C, char16_t>)
        m_s.assign(buffer.data(), n);
    else
        m_s = WideToAnsi(buffer.data(), n);
    return TRUE;
}

template class CStringT<char16_t>;
template class CStringT<char>;
