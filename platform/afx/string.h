// CString (UTF-16) and CStringA with the framework's semantics.
#pragma once

#include "win32/win32.h"

#include <string>

// Loads string resource nID into the buffer (at most cchMax units with the terminator) and
// returns its length, 0 when absent. By default strings come from the program's resource image
// through LoadStringW; a test may install its own loader (null restores the default).
typedef int (*AFX_LOADSTRING_PROC)(UINT nID, LPWSTR lpBuffer, int cchMax);
void AfxSetLoadStringProc(AFX_LOADSTRING_PROC pfn);

// One template for both widths, so the narrow and wide strings behave alike. Narrow text is in
// the ANSI code page (936); text of the other width converts on construction and assignment.
// Indexes clamp to the string as the framework's do: a start before 0 counts as 0, a count
// past the end stops at the end, and a negative count is empty.
template <class C>
class CStringT {
public:
    using XCHAR = C;
    using YCHAR = std::conditional_t<std::is_same_v<C, char16_t>, char, char16_t>;
    using PXSTR = C*;
    using PCXSTR = const C*;
    using PCYSTR = const YCHAR*;

    CStringT() = default;
    CStringT(const CStringT&) = default;
    CStringT(CStringT&&) noexcept = default;
    CStringT(PCXSTR psz) { Assign(psz); }                // a resource id loads the string
    CStringT(PCYSTR psz) { AssignOther(psz); }
    CStringT(const unsigned char* psz) : CStringT(reinterpret_cast<const char*>(psz)) {}
    CStringT(PCXSTR pch, int nLength);
    CStringT(C ch, int nRepeat = 1);
    CStringT(const CStringT<YCHAR>& other) { AssignOther(other.GetString()); }
    explicit CStringT(const std::basic_string<C>& s) : m_s(s) { TrimAtNull(); }

    CStringT& operator=(const CStringT&) = default;
    CStringT& operator=(CStringT&&) noexcept = default;
    CStringT& operator=(PCXSTR psz) { Assign(psz); return *this; }
    CStringT& operator=(PCYSTR psz) { AssignOther(psz); return *this; }
    CStringT& operator=(const CStringT<YCHAR>& other) { AssignOther(other.GetString()); return *this; }
    CStringT& operator=(C ch) { m_s.assign(1, ch); return *this; }

    CStringT& operator+=(const CStringT& s) { m_s += s.m_s; return *this; }
    CStringT& operator+=(PCXSTR psz) { if (psz) m_s += psz; return *this; }
    CStringT& operator+=(PCYSTR psz) { return *this += CStringT(psz); }
    CStringT& operator+=(C ch) { m_s += ch; return *this; }

    int GetLength() const { return static_cast<int>(m_s.size()); }
    BOOL IsEmpty() const { return m_s.empty(); }
    void Empty() { m_s.clear(); }
    PCXSTR GetString() const { return m_s.c_str(); }
    operator PCXSTR() const { return m_s.c_str(); }
    // Index == length gives the terminator; beyond that CInvalidArgException is thrown.
    C GetAt(int nIndex) const;
    C operator[](int nIndex) const { return GetAt(nIndex); }
    void SetAt(int nIndex, C ch);
    void SetString(PCXSTR psz) { Assign(psz); }
    void SetString(PCXSTR psz, int nLength) { *this = CStringT(psz, nLength); }
    void Append(PCXSTR psz) { *this += psz; }
    void Append(PCXSTR psz, int nLength) { *this += CStringT(psz, nLength); }
    void Append(const CStringT& s) { *this += s; }
    void AppendChar(C ch) { m_s += ch; }

    int Compare(PCXSTR psz) const;
    int CompareNoCase(PCXSTR psz) const; // ASCII letters fold, as the C runtime's does
    int Collate(PCXSTR psz) const { return Compare(psz); }
    int CollateNoCase(PCXSTR psz) const { return CompareNoCase(psz); }

    CStringT Mid(int nFirst) const { return Mid(nFirst, GetLength()); }
    CStringT Mid(int nFirst, int nCount) const;
    CStringT Left(int nCount) const { return Mid(0, nCount); }
    CStringT Right(int nCount) const;
    CStringT SpanIncluding(PCXSTR pszCharSet) const;
    CStringT SpanExcluding(PCXSTR pszCharSet) const;
    CStringT Tokenize(PCXSTR pszTokens, int& iStart) const;

    CStringT& MakeUpper(); // ASCII letters, as the C runtime's _wcsupr in the "C" locale
    CStringT& MakeLower();
    CStringT& MakeReverse();
    int Replace(C chOld, C chNew);
    int Replace(PCXSTR pszOld, PCXSTR pszNew);
    int Remove(C ch);
    int Insert(int nIndex, C ch);
    int Insert(int nIndex, PCXSTR psz);
    int Delete(int nIndex, int nCount = 1);
    CStringT& Trim() { TrimRight(); return TrimLeft(); }
    CStringT& Trim(C ch) { TrimRight(ch); return TrimLeft(ch); }
    CStringT& Trim(PCXSTR pszTargets) { TrimRight(pszTargets); return TrimLeft(pszTargets); }
    CStringT& TrimLeft();
    CStringT& TrimLeft(C ch);
    CStringT& TrimLeft(PCXSTR pszTargets);
    CStringT& TrimRight();
    CStringT& TrimRight(C ch);
    CStringT& TrimRight(PCXSTR pszTargets);

    int Find(C ch, int nStart = 0) const;
    int Find(PCXSTR pszSub, int nStart = 0) const;
    int ReverseFind(C ch) const;
    int FindOneOf(PCXSTR pszCharSet) const;

    // The buffer holds at least nMinBufLength units plus a terminator; ReleaseBuffer(-1) takes
    // the length up to the first null.
    PXSTR GetBuffer(int nMinBufLength = 0);
    PXSTR GetBufferSetLength(int nNewLength);
    void ReleaseBuffer(int nNewLength = -1);
    void ReleaseBufferSetLength(int nNewLength) { ReleaseBuffer(nNewLength); }
    PXSTR LockBuffer() { return GetBuffer(0); }
    void UnlockBuffer() {}
    void FreeExtra() { m_s.shrink_to_fit(); }
    void Preallocate(int nLength) { if (nLength > 0) m_s.reserve(nLength); }
    int GetAllocLength() const { return static_cast<int>(m_s.capacity()); }
    void Truncate(int nNewLength) { if (nNewLength >= 0 && nNewLength < GetLength()) m_s.resize(nNewLength); }

    template <class... T>
    void Format(PCXSTR pszFormat, const T&... args) {
        const afx_format::Arg list[] = {afx_format::MakeArg(args)..., afx_format::Arg{}};
        m_s = FormatList(pszFormat, list, sizeof...(T));
    }
    template <class... T>
    void AppendFormat(PCXSTR pszFormat, const T&... args) {
        const afx_format::Arg list[] = {afx_format::MakeArg(args)..., afx_format::Arg{}};
        m_s += FormatList(pszFormat, list, sizeof...(T));
    }
    template <class... T>
    void Format(UINT nFormatID, const T&... args) {
        CStringT format;
        if (format.LoadString(nFormatID))
            Format(format.GetString(), args...);
    }
    void FormatV(PCXSTR pszFormat, va_list args);
    void AppendFormatV(PCXSTR pszFormat, va_list args);

    BOOL LoadString(UINT nID);

    // Byte-exact access for the archive and other code that needs the units as they are.
    const std::basic_string<C>& Str() const { return m_s; }

    friend CStringT operator+(const CStringT& a, const CStringT& b) { CStringT r(a); r += b; return r; }
    friend CStringT operator+(const CStringT& a, PCXSTR b) { CStringT r(a); r += b; return r; }
    friend CStringT operator+(PCXSTR a, const CStringT& b) { CStringT r(a); r += b; return r; }
    friend CStringT operator+(const CStringT& a, C b) { CStringT r(a); r += b; return r; }
    friend CStringT operator+(C a, const CStringT& b) { CStringT r(a); r += b; return r; }

    friend bool operator==(const CStringT& a, const CStringT& b) { return a.m_s == b.m_s; }
    friend bool operator==(const CStringT& a, PCXSTR b) { return a.Compare(b) == 0; }
    friend bool operator==(PCXSTR a, const CStringT& b) { return b.Compare(a) == 0; }
    friend bool operator!=(const CStringT& a, const CStringT& b) { return !(a == b); }
    friend bool operator!=(const CStringT& a, PCXSTR b) { return !(a == b); }
    friend bool operator!=(PCXSTR a, const CStringT& b) { return !(a == b); }
    friend bool operator<(const CStringT& a, const CStringT& b) { return a.Compare(b) < 0; }
    friend bool operator<(const CStringT& a, PCXSTR b) { return a.Compare(b) < 0; }
    friend bool operator<(PCXSTR a, const CStringT& b) { return b.Compare(a) > 0; }
    friend bool operator>(const CStringT& a, const CStringT& b) { return a.Compare(b) > 0; }
    friend bool operator>(const CStringT& a, PCXSTR b) { return a.Compare(b) > 0; }
    friend bool operator>(PCXSTR a, const CStringT& b) { return b.Compare(a) < 0; }
    friend bool operator<=(const CStringT& a, const CStringT& b) { return a.Compare(b) <= 0; }
    friend bool operator<=(const CStringT& a, PCXSTR b) { return a.Compare(b) <= 0; }
    friend bool operator<=(PCXSTR a, const CStringT& b) { return b.Compare(a) >= 0; }
    friend bool operator>=(const CStringT& a, const CStringT& b) { return a.Compare(b) >= 0; }
    friend bool operator>=(const CStringT& a, PCXSTR b) { return a.Compare(b) >= 0; }
    friend bool operator>=(PCXSTR a, const CStringT& b) { return b.Compare(a) <= 0; }

private:
    void Assign(PCXSTR psz);
    void AssignOther(PCYSTR psz);
    void TrimAtNull() { m_s.resize(Measure()); }
    size_t Measure() const { return std::char_traits<C>::length(m_s.c_str()); }
    static std::basic_string<C> FormatList(PCXSTR format, const afx_format::Arg* args, size_t count);

    std::basic_string<C> m_s;
};

extern template class CStringT<char16_t>;
extern template class CStringT<char>;

typedef CStringT<char16_t> CStringW;
typedef CStringT<char> CStringA;
typedef CStringW CString;

// The framework's conversion helpers, as objects that live to the end of the full expression.
class CW2A {
public:
    explicit CW2A(LPCWSTR psz, UINT nCodePage = CP_ACP)
        : m_s(psz ? WideToAnsi(psz, std::char_traits<char16_t>::length(psz), nCodePage) : std::string()),
          m_null(psz == nullptr) {}
    operator LPSTR() const { return m_null ? nullptr : const_cast<LPSTR>(m_s.c_str()); }
private:
    std::string m_s;
    bool m_null;
};
class CA2W {
public:
    explicit CA2W(LPCSTR psz, UINT nCodePage = CP_ACP)
        : m_s(psz ? AnsiToWide(psz, std::char_traits<char>::length(psz), nCodePage) : std::u16string()),
          m_null(psz == nullptr) {}
    operator LPWSTR() const { return m_null ? nullptr : const_cast<LPWSTR>(m_s.c_str()); }
private:
    std::u16string m_s;
    bool m_null;
};
typedef CW2A CW2AEX;
typedef CA2W CA2WEX;
#define CT2A CW2A
#define CA2T CA2W
#define CW2T(p) (p)
#define CT2W(p) (p)
