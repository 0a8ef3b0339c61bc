// CMemFile: a file in a growing memory block.
#include "afx/file.h"

#include <cstdlib>
#include <cstring>

IMPLEMENT_DYNAMIC(CMemFile, CFile)

CMemFile::CMemFile(UINT nGrowBytes)
    : m_nGrowBytes(nGrowBytes), m_nPosition(0), m_nBufferSize(0), m_nFileSize(0), m_lpBuffer(nullptr),
      m_bAutoDelete(TRUE) {}

CMemFile::CMemFile(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes) : CMemFile(nGrowBytes) {
    Attach(lpBuffer, nBufferSize, nGrowBytes);
}

CMemFile::~CMemFile() {
    if (m_lpBuffer != nullptr && m_bAutoDelete)
        CMemFile::Free(m_lpBuffer);
}

BYTE* CMemFile::Alloc(SIZE_T nBytes) { return static_cast<BYTE*>(std::malloc(nBytes)); }
BYTE* CMemFile::Realloc(BYTE* lpMem, SIZE_T nBytes) { return static_cast<BYTE*>(std::realloc(lpMem, nBytes)); }
void CMemFile::Free(BYTE* lpMem) { std::free(lpMem); }

void CMemFile::Attach(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes) {
    Close();
    m_lpBuffer = lpBuffer;
    m_nBufferSize = lpBuffer ? nBufferSize : 0;
    m_nGrowBytes = nGrowBytes;
    // A fixed block is the file's content; a growable one is only room to write into.
    m_nFileSize = nGrowBytes == 0 ? m_nBufferSize : 0;
    m_nPosition = 0;
    m_bAutoDelete = FALSE;
}

BYTE* CMemFile::Detach() {
    BYTE* p = m_lpBuffer;
    m_lpBuffer = nullptr;
    m_nBufferSize = m_nFileSize = m_nPosition = 0;
    m_bAutoDelete = TRUE;
    return p;
}

void CMemFile::Close() {
    if (m_lpBuffer != nullptr && m_bAutoDelete)
        Free(m_lpBuffer);
    m_lpBuffer = nullptr;
    m_nBufferSize = m_nFileSize = m_nPosition = 0;
    m_bAutoDelete = TRUE;
}

BOOL CMemFile::Open(LPCWSTR, UINT, CFileException* pError) {
    if (pError != nullptr)
        pError->m_cause = CFileException::genericException;
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}

void CMemFile::GrowFile(SIZE_T dwNewLen) {
    if (dwNewLen <= m_nBufferSize)
        return;
    if (m_nGrowBytes == 0)
        AfxThrowMemoryException();
    SIZE_T steps = (dwNewLen - m_nBufferSize + m_nGrowBytes - 1) / m_nGrowBytes;
    SIZE_T newSize = m_nBufferSize + steps * m_nGrowBytes;
    BYTE* p;
    if (m_bAutoDelete) {
        p = m_lpBuffer != nullptr ? Realloc(m_lpBuffer, newSize) : Alloc(newSize);
    } else {
        // The caller's block may not come from malloc: move to a block of our own and leave
        // theirs untouched.
        p = Alloc(newSize);
        if (p != nullptr && m_lpBuffer != nullptr)
            std::memcpy(p, m_lpBuffer, m_nFileSize);
    }
    if (p == nullptr)
        AfxThrowMemoryException();
    m_lpBuffer = p;
    m_nBufferSize = newSize;
    m_bAutoDelete = TRUE;
}

UINT CMemFile::Read(void* lpBuf, UINT nCount) {
    if (nCount == 0 || m_nPosition >= m_nFileSize)
        return 0;
    if (lpBuf == nullptr)
        AfxThrowInvalidArgException();
    SIZE_T n = std::min<SIZE_T>(nCount, m_nFileSize - m_nPosition);
    std::memcpy(lpBuf, m_lpBuffer + m_nPosition, n);
    m_nPosition += n;
    return static_cast<UINT>(n);
}

void CMemFile::Write(const void* lpBuf, UINT nCount) {
    if (nCount == 0)
        return;
    if (lpBuf == nullptr)
        AfxThrowInvalidArgException();
    if (m_nPosition + nCount > m_nBufferSize)
        GrowFile(m_nPosition + nCount);
    // A gap left by seeking past the end reads back as zeros, not as stale memory.
    if (m_nPosition > m_nFileSize)
        std::memset(m_lpBuffer + m_nFileSize, 0, m_nPosition - m_nFileSize);
    std::memcpy(m_lpBuffer + m_nPosition, lpBuf, nCount);
    m_nPosition += nCount;
    if (m_nPosition > m_nFileSize)
        m_nFileSize = m_nPosition;
}

ULONGLONG CMemFile::Seek(LONGLONG lOff, UINT nFrom) {
    LONGLONG base = nFrom == begin ? 0 : nFrom == current ? static_cast<LONGLONG>(m_nPosition)
                                       : nFrom == end    ? static_cast<LONGLONG>(m_nFileSize)
                                                         : -1;
    if (base < 0)
        AfxThrowInvalidArgException();
    LONGLONG pos = base + lOff;
    if (pos < 0 || (lOff > 0 && pos < base))
        AfxThrowFileException(CFileException::badSeek);
    m_nPosition = static_cast<SIZE_T>(pos);
    return m_nPosition;
}

void CMemFile::SetLength(ULONGLONG dwNewLen) {
    if (dwNewLen > m_nBufferSize)
        GrowFile(static_cast<SIZE_T>(dwNewLen));
    if (dwNewLen > m_nFileSize)
        std::memset(m_lpBuffer + m_nFileSize, 0, dwNewLen - m_nFileSize);
    if (dwNewLen < m_nPosition)
        m_nPosition = static_cast<SIZE_T>(dwNewLen);
    m_nFileSize = static_cast<SIZE_T>(dwNewLen);
}

UINT CMemFile::GetBufferPtr(UINT, UINT, void**, void**) { return 0; }

// ---- CSharedFile ------------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CSharedFile, CMemFile)

CSharedFile::CSharedFile(UINT nAllocFlags, UINT nGrowBytes) : CMemFile(nGrowBytes), m_nAllocFlags(nAllocFlags) {}

CSharedFile::~CSharedFile() {
    // The base class would free the block with its own allocator: release it here.
    if (m_lpBuffer != nullptr && m_bAutoDelete)
        Free(m_lpBuffer);
    m_lpBuffer = nullptr;
}

BYTE* CSharedFile::Alloc(SIZE_T nBytes) {
    HGLOBAL h = GlobalAlloc(m_nAllocFlags, nBytes);
    if (h == nullptr)
        return nullptr;
    BYTE* p = static_cast<BYTE*>(GlobalLock(h));
    if (p == nullptr) {
        GlobalFree(h);
        return nullptr;
    }
    m_hGlobalMemory = h;
    return p;
}

BYTE* CSharedFile::Realloc(BYTE*, SIZE_T nBytes) {
    if (!m_bAllowGrow || m_hGlobalMemory == nullptr)
        return nullptr;
    GlobalUnlock(m_hGlobalMemory);
    HGLOBAL h = GlobalReAlloc(m_hGlobalMemory, nBytes, m_nAllocFlags);
    if (h == nullptr) {
        GlobalLock(m_hGlobalMemory); // the old block stays as it was
        return nullptr;
    }
    m_hGlobalMemory = h;
    return static_cast<BYTE*>(GlobalLock(h));
}

void CSharedFile::Free(BYTE*) {
    if (m_hGlobalMemory != nullptr) {
        GlobalUnlock(m_hGlobalMemory);
        GlobalFree(m_hGlobalMemory);
    }
    m_hGlobalMemory = nullptr;
}

HGLOBAL CSharedFile::Detach() {
    HGLOBAL h = m_hGlobalMemory;
    if (h != nullptr)
        GlobalUnlock(h);
    m_hGlobalMemory = nullptr;
    m_lpBuffer = nullptr;
    m_nBufferSize = m_nFileSize = m_nPosition = 0;
    return h;
}

void CSharedFile::SetHandle(HGLOBAL hGlobalMemory, BOOL bAllowGrow) {
    Close();
    if (hGlobalMemory == nullptr)
        return;
    BYTE* p = static_cast<BYTE*>(GlobalLock(hGlobalMemory));
    if (p == nullptr)
        AfxThrowMemoryException();
    m_hGlobalMemory = hGlobalMemory;
    m_lpBuffer = p;
    m_nBufferSize = m_nFileSize = GlobalSize(hGlobalMemory);
    m_nPosition = 0;
    m_bAllowGrow = bAllowGrow;
    m_bAutoDelete = TRUE;
}
