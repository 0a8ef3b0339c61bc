// CArchive: buffered binary serialization of scalars, counts, strings and objects.
#include "afx/file.h"

#include <cstring>

namespace {

constexpr WORD kNullTag = 0;
constexpr WORD kNewClassTag = 0xFFFF;
constexpr WORD kClassTag = 0x8000;
constexpr WORD kBigObjectTag = 0x7FFF;
constexpr DWORD kBigClassTag = 0x80000000;
constexpr DWORD kMaxMapCount = 0x3FFFFFFE;
constexpr size_t kStringChunk = 64 * 1024;

} // namespace

CArchive::CArchive(CFile* pFile, UINT nMode, int nBufSize, void*)
    : m_pFile(pFile), m_nMode(nMode), m_nBufSize(nBufSize < 128 ? 128 : static_cast<size_t>(nBufSize)) {
    if (pFile == nullptr)
        AfxThrowInvalidArgException();
    m_strFileName = pFile->GetFilePath();
    m_loadArray.push_back(Loaded{false, nullptr, nullptr, 0});
}

CArchive::~CArchive() {
    if (m_bClosed || (m_nMode & bNoFlushOnDelete))
        return;
    // A failure to write out the tail cannot be reported from here; callers who care call
    // Close() themselves.
    try {
        Close();
    } catch (CException* e) {
        e->Delete();
    }
}

void CArchive::RequireLoading() {
    if (m_bClosed)
        AfxThrowArchiveException(CArchiveException::genericException, m_strFileName);
    if (!IsLoading())
        AfxThrowArchiveException(CArchiveException::writeOnly, m_strFileName);
}

void CArchive::RequireStoring() {
    if (m_bClosed)
        AfxThrowArchiveException(CArchiveException::genericException, m_strFileName);
    if (IsLoading())
        AfxThrowArchiveException(CArchiveException::readOnly, m_strFileName);
}

void CArchive::FlushBuffer() {
    if (!m_buffer.empty()) {
        std::vector<BYTE> pending;
        pending.swap(m_buffer);
        m_pFile->Write(pending.data(), static_cast<UINT>(pending.size()));
    }
}

bool CArchive::FillBuffer() {
    m_buffer.resize(m_nBufSize);
    UINT n = m_pFile->Read(m_buffer.data(), static_cast<UINT>(m_nBufSize));
    m_buffer.resize(n);
    m_nReadPos = 0;
    return n != 0;
}

UINT CArchive::Read(void* lpBuf, UINT nMax) {
    RequireLoading();
    BYTE* out = static_cast<BYTE*>(lpBuf);
    UINT done = 0;
    while (done < nMax) {
        if (m_nReadPos >= m_buffer.size() && !FillBuffer())
            break;
        size_t n = std::min<size_t>(nMax - done, m_buffer.size() - m_nReadPos);
        std::memcpy(out + done, m_buffer.data() + m_nReadPos, n);
        m_nReadPos += n;
        done += static_cast<UINT>(n);
    }
    return done;
}

void CArchive::Write(const void* lpBuf, UINT nMax) {
    RequireStoring();
    const BYTE* in = static_cast<const BYTE*>(lpBuf);
    m_buffer.insert(m_buffer.end(), in, in + nMax);
    if (m_buffer.size() >= m_nBufSize)
        FlushBuffer();
}

void CArchive::Flush() {
    if (m_bClosed)
        return;
    if (IsLoading()) {
        // Give back what was read ahead, so the file stands just after what was consumed.
        size_t unread = m_buffer.size() - m_nReadPos;
        m_buffer.clear();
        m_nReadPos = 0;
        if (unread != 0)
            m_pFile->Seek(-static_cast<LONGLONG>(unread), CFile::current);
    } else {
        FlushBuffer();
    }
}

void CArchive::Close() {
    if (m_bClosed)
        return;
    Flush();
    m_bClosed = true;
}

void CArchive::Abort() {
    m_buffer.clear();
    m_bClosed = true;
}

UINT CArchive::GetObjectSchema() {
    UINT n = m_nObjectSchema;
    m_nObjectSchema = static_cast<UINT>(-1);
    return n;
}

// ---- Counts and strings -----------------------------------------------------------------------

void CArchive::WriteCount(DWORD_PTR dwCount) {
    if (dwCount < 0xFFFF) {
        *this << static_cast<WORD>(dwCount);
        return;
    }
    *this << static_cast<WORD>(0xFFFF);
    if (dwCount < 0xFFFFFFFF) {
        *this << static_cast<DWORD>(dwCount);
        return;
    }
    *this << static_cast<DWORD>(0xFFFFFFFF) << static_cast<ULONGLONG>(dwCount);
}

DWORD_PTR CArchive::ReadCount() {
    WORD w;
    *this >> w;
    if (w != 0xFFFF)
        return w;
    DWORD dw;
    *this >> dw;
    if (dw != 0xFFFFFFFF)
        return dw;
    ULONGLONG q;
    *this >> q;
    return static_cast<DWORD_PTR>(q);
}

void CArchive::WriteStringLength(size_t nLength, bool bUnicode) {
    if (bUnicode)
        *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(0xFFFE);
    if (nLength < 0xFF) {
        *this << static_cast<BYTE>(nLength);
        return;
    }
    *this << static_cast<BYTE>(0xFF);
    if (nLength < 0xFFFE) {
        *this << static_cast<WORD>(nLength);
        return;
    }
    *this << static_cast<WORD>(0xFFFF);
    if (nLength < 0xFFFFFFFF) {
        *this << static_cast<DWORD>(nLength);
        return;
    }
    *this << static_cast<DWORD>(0xFFFFFFFF) << static_cast<ULONGLONG>(nLength);
}

size_t CArchive::ReadStringLength(size_t& nCharSize) {
    nCharSize = 1;
    for (int marker = 0;; ++marker) {
        BYTE b;
        *this >> b;
        if (b < 0xFF)
            return b;
        WORD w;
        *this >> w;
        if (w == 0xFFFE) {
            if (marker != 0) // a second Unicode marker is not a valid length
                AfxThrowArchiveException(CArchiveException::badIndex, m_strFileName);
            nCharSize = 2;
            continue;
        }
        if (w < 0xFFFF)
            return w;
        DWORD dw;
        *this >> dw;
        if (dw < 0xFFFFFFFF)
            return dw;
        ULONGLONG q;
        *this >> q;
        return static_cast<size_t>(q);
    }
}

// Reads in pieces, so a damaged length meets the end of the data before it can exhaust memory.
void CArchive::ReadStringUnits(size_t nUnits, size_t nCharSize, std::u16string* wide, std::string* narrow) {
    std::string bytes;
    size_t total = nUnits * nCharSize;
    if (nCharSize != 0 && total / nCharSize != nUnits)
        AfxThrowArchiveException(CArchiveException::endOfFile, m_strFileName);
    while (bytes.size() < total) {
        size_t chunk = std::min(kStringChunk, total - bytes.size());
        size_t at = bytes.size();
        bytes.resize(at + chunk);
        if (Read(bytes.data() + at, static_cast<UINT>(chunk)) != chunk)
            AfxThrowArchiveException(CArchiveException::endOfFile, m_strFileName);
    }
    if (nCharSize == 2) {
        std::u16string units(nUnits, u'\0');
        for (size_t i = 0; i < nUnits; ++i)
            units[i] = static_cast<char16_t>(static_cast<BYTE>(bytes[2 * i]) | static_cast<BYTE>(bytes[2 * i + 1]) << 8);
        if (wide)
            *wide = std::move(units);
        else
            *narrow = WideToAnsi(units);
    } else if (wide) {
        *wide = AnsiToWide(bytes);
    } else {
        *narrow = std::move(bytes);
    }
}

CArchive& CArchive::operator<<(const CStringW& str) {
    const std::u16string& s = str.Str();
    WriteStringLength(s.size(), true);
    std::string bytes(s.size() * 2, '\0');
    for (size_t i = 0; i < s.size(); ++i) {
        bytes[2 * i] = static_cast<char>(s[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(s[i] >> 8);
    }
    Write(bytes.data(), static_cast<UINT>(bytes.size()));
    return *this;
}

CArchive& CArchive::operator<<(const CStringA& str) {
    const std::string& s = str.Str();
    WriteStringLength(s.size(), false);
    Write(s.data(), static_cast<UINT>(s.size()));
    return *this;
}

CArchive& CArchive::operator>>(CStringW& str) {
    size_t nCharSize;
    size_t n = ReadStringLength(nCharSize);
    std::u16string text;
    ReadStringUnits(n, nCharSize, &text, nullptr);
    str = CStringW(text.data(), static_cast<int>(text.size()));
    return *this;
}

CArchive& CArchive::operator>>(CStringA& str) {
    size_t nCharSize;
    size_t n = ReadStringLength(nCharSize);
    std::string text;
    ReadStringUnits(n, nCharSize, nullptr, &text);
    str = CStringA(text.data(), static_cast<int>(text.size()));
    return *this;
}

void CArchive::WriteString(LPCWSTR lpsz) {
    if (lpsz == nullptr)
        return;
    size_t n = wcslen(lpsz);
    for (size_t i = 0; i < n; ++i)
        *this << static_cast<WORD>(lpsz[i]);
}

LPWSTR CArchive::ReadString(LPWSTR lpsz, UINT nMax) {
    if (lpsz == nullptr || nMax == 0)
        return nullptr;
    RequireLoading();
    UINT n = 0;
    bool any = false;
    while (n + 1 < nMax) {
        WORD ch;
        if (Read(&ch, sizeof ch) != sizeof ch)
            break;
        any = true;
        if (ch == u'\r')
            continue;
        lpsz[n++] = ch;
        if (ch == u'\n')
            break;
    }
    lpsz[n] = 0;
    return any ? lpsz : nullptr;
}

BOOL CArchive::ReadString(CString& rString) {
    RequireLoading();
    std::u16string line;
    bool any = false;
    for (;;) {
        WORD ch;
        if (Read(&ch, sizeof ch) != sizeof ch)
            break;
        any = true;
        if (ch == u'\n')
            break;
        line += static_cast<char16_t>(ch);
    }
    if (!line.empty() && line.back() == u'\r')
        line.pop_back();
    rString = CString(line.data(), static_cast<int>(line.size()));
    return any;
}

// ---- Classes and objects ----------------------------------------------------------------------

void CRuntimeClass::Store(CArchive& ar) const {
    WORD nLen = static_cast<WORD>(std::strlen(m_lpszClassName));
    ar << static_cast<WORD>(m_wSchema) << nLen;
    ar.Write(m_lpszClassName, nLen);
}

CRuntimeClass* CRuntimeClass::Load(CArchive& ar, UINT* pwSchemaNum) {
    WORD wSchema, nLen;
    ar >> wSchema >> nLen;
    if (pwSchemaNum != nullptr)
        *pwSchemaNum = wSchema;
    char name[64];
    if (nLen >= sizeof name || ar.Read(name, nLen) != nLen)
        return nullptr;
    name[nLen] = 0;
    return FromName(name);
}

void CArchive::WriteClass(const CRuntimeClass* pClassRef) {
    RequireStoring();
    if (pClassRef == nullptr || !pClassRef->IsSerializable())
        AfxThrowNotSupportedException();
    auto it = m_storeMap.find(pClassRef);
    if (it != m_storeMap.end()) {
        DWORD idx = it->second;
        if (idx < kBigObjectTag)
            *this << static_cast<WORD>(kClassTag | idx);
        else
            *this << kBigObjectTag << static_cast<DWORD>(kBigClassTag | idx);
        return;
    }
    if (m_nMapCount >= kMaxMapCount)
        AfxThrowArchiveException(CArchiveException::badIndex, m_strFileName);
    *this << kNewClassTag;
    pClassRef->Store(*this);
    m_storeMap[pClassRef] = m_nMapCount++;
}

void CArchive::WriteObject(const CObject* pOb) {
    RequireStoring();
    if (pOb == nullptr) {
        *this << kNullTag;
        return;
    }
    auto it = m_storeMap.find(pOb);
    if (it != m_storeMap.end()) {
        DWORD idx = it->second;
        if (idx < kBigObjectTag)
            *this << static_cast<WORD>(idx);
        else
            *this << kBigObjectTag << idx;
        return;
    }
    WriteClass(pOb->GetRuntimeClass());
    if (m_nMapCount >= kMaxMapCount)
        AfxThrowArchiveException(CArchiveException::badIndex, m_strFileName);
    m_storeMap[pOb] = m_nMapCount++;
    const_cast<CObject*>(pOb)->Serialize(*this);
}

CRuntimeClass* CArchive::ReadClass(const CRuntimeClass* pClassRefRequested, UINT* pSchema, DWORD* pObTag) {
    RequireLoading();
    WORD wTag;
    *this >> wTag;
    DWORD obTag;
    if (wTag == kBigObjectTag)
        *this >> obTag;
    else
        obTag = (static_cast<DWORD>(wTag & kClassTag) << 16) | (wTag & ~kClassTag);
    if (pObTag != nullptr)
        *pObTag = obTag;
    if (!(obTag & kBigClassTag))
        return nullptr; // an object reference, or null

    CRuntimeClass* pClassRef;
    UINT nSchema;
    if (wTag == kNewClassTag) {
        pClassRef = CRuntimeClass::Load(*this, &nSchema);
        if (pClassRef == nullptr || !pClassRef->IsSerializable() || pClassRef->m_pfnCreateObject == nullptr)
            AfxThrowArchiveException(CArchiveException::badClass, m_strFileName);
        if ((pClassRef->m_wSchema & ~VERSIONABLE_SCHEMA) != nSchema && !(pClassRef->m_wSchema & VERSIONABLE_SCHEMA))
            AfxThrowArchiveException(CArchiveException::badSchema, m_strFileName);
        if (m_nMapCount >= kMaxMapCount)
            AfxThrowArchiveException(CArchiveException::badIndex, m_strFileName);
        m_loadArray.push_back(Loaded{true, nullptr, pClassRef, nSchema});
        ++m_nMapCount;
    } else {
        DWORD idx = obTag & ~kBigClassTag;
        if (idx == 0 || idx >= m_loadArray.size() || !m_loadArray[idx].isClass)
            AfxThrowArchiveException(CArchiveException::badIndex, m_strFileName);
        pClassRef = m_loadArray[idx].pClass;
        nSchema = m_loadArray[idx].nSchema;
    }
    if (pClassRefRequested != nullptr && !pClassRef->IsDerivedFrom(pClassRefRequested))
        AfxThrowArchiveException(CArchiveException::badClass, m_strFileName);
    if (pSchema != nullptr)
        *pSchema = nSchema;
    return pClassRef;
}

CObject* CArchive::ReadObject(const CRuntimeClass* pClassRefRequested) {
    UINT nSchema = 0;
    DWORD obTag = 0;
    CRuntimeClass* pClassRef = ReadClass(pClassRefRequested, &nSchema, &obTag);
    if (pClassRef == nullptr) {
        if (obTag == 0)
            return nullptr;
        if (obTag >= m_loadArray.size() || m_loadArray[obTag].isClass || m_loadArray[obTag].pOb == nullptr)
            AfxThrowArchiveException(CArchiveException::badIndex, m_strFileName);
        CObject* pOb = m_loadArray[obTag].pOb;
        if (pClassRefRequested != nullptr && !pOb->IsKindOf(pClassRefRequested))
            AfxThrowArchiveException(CArchiveException::badClass, m_strFileName);
        return pOb;
    }
    CObject* pOb = pClassRef->CreateObject();
    if (pOb == nullptr)
        AfxThrowMemoryException();
    if (m_nMapCount >= kMaxMapCount) {
        delete pOb;
        AfxThrowArchiveException(CArchiveException::badIndex, m_strFileName);
    }
    // Registered before its own data, so references back to it inside that data resolve.
    size_t slot = m_loadArray.size();
    m_loadArray.push_back(Loaded{false, pOb, pClassRef, nSchema});
    ++m_nMapCount;
    UINT nSchemaSave = m_nObjectSchema;
    m_nObjectSchema = nSchema;
    try {
        pOb->Serialize(*this);
    } catch (...) {
        // The half-read object was never handed out: free it so a damaged archive leaks nothing.
        m_loadArray[slot].pOb = nullptr;
        m_nObjectSchema = nSchemaSave;
        delete pOb;
        throw;
    }
    m_nObjectSchema = nSchemaSave;
    return pOb;
}

void CArchive::SerializeClass(const CRuntimeClass* pClassRef) {
    if (IsStoring())
        WriteClass(pClassRef);
    else
        ReadClass(pClassRef);
}

void CArchive::MapObject(const CObject* pOb) {
    if (IsStoring()) {
        if (pOb != nullptr && m_storeMap.find(pOb) == m_storeMap.end())
            m_storeMap[pOb] = m_nMapCount++;
    } else {
        m_loadArray.push_back(Loaded{false, const_cast<CObject*>(pOb), nullptr, 0});
        ++m_nMapCount;
    }
}

CArchive& operator<<(CArchive& ar, const CObject* pOb) {
    ar.WriteObject(pOb);
    return ar;
}

CArchive& operator>>(CArchive& ar, CObject*& pOb) {
    pOb = ar.ReadObject(nullptr);
    return ar;
}

CArchive& operator>>(CArchive& ar, const CObject*& pOb) {
    pOb = ar.ReadObject(nullptr);
    return ar;
}

CArchive& operator<<(CArchive& ar, const POINT& pt) { return ar << pt.x << pt.y; }
CArchive& operator>>(CArchive& ar, POINT& pt) { return ar >> pt.x >> pt.y; }
CArchive& operator<<(CArchive& ar, const SIZE& sz) { return ar << sz.cx << sz.cy; }
CArchive& operator>>(CArchive& ar, SIZE& sz) { return ar >> sz.cx >> sz.cy; }
CArchive& operator<<(CArchive& ar, const RECT& rc) { return ar << rc.left << rc.top << rc.right << rc.bottom; }
CArchive& operator>>(CArchive& ar, RECT& rc) { return ar >> rc.left >> rc.top >> rc.right >> rc.bottom; }
