// CString and CStringA: clamping edits, searches, buffers, formatting and resource strings.
#include "afx/string.h"

#include "afx/core.h"

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

template <class C>
bool InSet(const C* set, C c) {
    for (; *set; ++set)
        if (*set == c)
            return true;
    return false;
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
    size_t n = 0;
    if (pszCharSet)
        while (n < m_s.size() && m_s[n] != 0 && InSet(pszCharSet, m_s[n]))
            ++n;
    return CStringT(m_s.substr(0, n));
}

template <class C>
CStringT<C> CStringT<C>::SpanExcluding(PCXSTR pszCharSet) const {
    size_t n = 0;
    while (n < m_s.size() && m_s[n] != 0 && !(pszCharSet && InSet(pszCharSet, m_s[n])))
        ++n;
    return CStringT(m_s.substr(0, n));
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
        int p = iStart;
        while (p < len && InSet(pszTokens, m_s[p]))
            ++p;
        if (p < len) {
            int q = p;
            while (q < len && !InSet(pszTokens, m_s[q]))
                ++q;
            iStart = q + 1;
            return Mid(p, q - p);
        }
    }
    iStart = -1;
    return CStringT();
}

template <class C>
CStringT<C>& CStringT<C>::MakeUpper() {
    for (C& c : m_s)
        c = AsciiUpper(c);
    return *this;
}

template <class C>
CStringT<C>& CStringT<C>::MakeLower() {
    for (C& c : m_s)
        c = AsciiLower(c);
    return *this;
}

template <class C>
CStringT<C>& CStringT<C>::MakeReverse() {
    std::reverse(m_s.begin(), m_s.end());
    return *this;
}

template <class C>
int CStringT<C>::Replace(C chOld, C chNew) {
    int n = 0;
    for (C& c : m_s)
        if (c == chOld) {
            c = chNew;
            ++n;
        }
    return n;
}

template <class C>
int CStringT<C>::Replace(PCXSTR pszOld, PCXSTR pszNew) {
    if (pszOld == nullptr || *pszOld == 0)
        return 0;
    std::basic_string<C> from(pszOld), to(pszNew ? pszNew : m_s.c_str() + m_s.size());
    std::basic_string<C> out;
    int n = 0;
    size_t pos = 0;
    for (size_t hit; (hit = m_s.find(from, pos)) != std::basic_string<C>::npos; pos = hit + from.size()) {
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
    size_t before = m_s.size();
    m_s.erase(std::remove(m_s.begin(), m_s.end(), ch), m_s.end());
    return static_cast<int>(before - m_s.size());
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
    size_t n = 0;
    while (n < m_s.size() && IsSpace(m_s[n]))
        ++n;
    m_s.erase(0, n);
    return *this;
}

template <class C>
CStringT<C>& CStringT<C>::TrimLeft(C ch) {
    size_t n = 0;
    while (n < m_s.size() && m_s[n] == ch)
        ++n;
    m_s.erase(0, n);
    return *this;
}

template <class C>
CStringT<C>& CStringT<C>::TrimLeft(PCXSTR pszTargets) {
    if (pszTargets == nullptr)
        return *this;
    size_t n = 0;
    while (n < m_s.size() && m_s[n] != 0 && InSet(pszTargets, m_s[n]))
        ++n;
    m_s.erase(0, n);
    return *this;
}

template <class C>
CStringT<C>& CStringT<C>::TrimRight() {
    size_t n = m_s.size();
    while (n > 0 && IsSpace(m_s[n - 1]))
        --n;
    m_s.resize(n);
    return *this;
}

template <class C>
CStringT<C>& CStringT<C>::TrimRight(C ch) {
    size_t n = m_s.size();
    while (n > 0 && m_s[n - 1] == ch)
        --n;
    m_s.resize(n);
    return *this;
}

template <class C>
CStringT<C>& CStringT<C>::TrimRight(PCXSTR pszTargets) {
    if (pszTargets == nullptr)
        return *this;
    size_t n = m_s.size();
    while (n > 0 && m_s[n - 1] != 0 && InSet(pszTargets, m_s[n - 1]))
        --n;
    m_s.resize(n);
    return *this;
}

template <class C>
int CStringT<C>::Find(C ch, int nStart) const {
    if (nStart < 0 || nStart >= GetLength())
        return -1;
    size_t pos = m_s.find(ch, nStart);
    return pos == std::basic_string<C>::npos ? -1 : static_cast<int>(pos);
}

template <class C>
int CStringT<C>::Find(PCXSTR pszSub, int nStart) const {
    if (pszSub == nullptr || nStart < 0 || nStart > GetLength())
        return -1;
    size_t pos = m_s.find(pszSub, nStart);
    return pos == std::basic_string<C>::npos ? -1 : static_cast<int>(pos);
}

template <class C>
int CStringT<C>::ReverseFind(C ch) const {
    if (ch == 0)
        return GetLength();
    size_t pos = m_s.rfind(ch);
    return pos == std::basic_string<C>::npos ? -1 : static_cast<int>(pos);
}

template <class C>
int CStringT<C>::FindOneOf(PCXSTR pszCharSet) const {
    if (pszCharSet == nullptr || *pszCharSet == 0)
        return -1;
    size_t pos = m_s.find_first_of(pszCharSet);
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

template <class C>
BOOL CStringT<C>::LoadString(UINT nID) {
    if (g_pfnLoadString == nullptr)
        return FALSE;
    // A string table entry holds at most 65535 units; grow until the text fits with room to spare.
    std::vector<WCHAR> buffer(256);
    int n = 0;
    for (;;) {
        n = g_pfnLoadString(nID, buffer.data(), static_cast<int>(buffer.size()));
        if (n <= 0)
            return FALSE;
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
