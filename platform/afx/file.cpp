// CFile: files through the kernel's handle functions.
#include "afx/file.h"

IMPLEMENT_DYNAMIC(CFile, CObject)

const HANDLE CFile::hFileNull = INVALID_HANDLE_VALUE;

namespace {

CString FullPath(LPCWSTR name) {
    WCHAR buf[MAX_PATH * 4];
    DWORD n = GetFullPathNameW(name, static_cast<DWORD>(_countof(buf)), buf, nullptr);
    if (n == 0 || n >= _countof(buf))
        return CString(name);
    return CString(buf, static_cast<int>(n));
}

} // namespace

CFile::CFile() : m_hFile(hFileNull), m_bCloseOnDelete(FALSE) {}

CFile::CFile(HANDLE hFile) : m_hFile(hFile), m_bCloseOnDelete(FALSE) {}

CFile::CFile(LPCWSTR lpszFileName, UINT nOpenFlags) : CFile() {
    CFileException e;
    if (!Open(lpszFileName, nOpenFlags, &e))
        AfxThrowFileException(e.m_cause, e.m_lOsError, e.m_strFileName);
}

CFile::~CFile() {
    if (m_hFile != hFileNull && m_bCloseOnDelete)
        Abort(); // a destructor cannot report a failed close
}

BOOL CFile::Open(LPCWSTR lpszFileName, UINT nOpenFlags, CFileException* pError) {
    if (m_hFile != hFileNull)
        Abort();
    if (lpszFileName == nullptr || *lpszFileName == 0) {
        SetLastError(ERROR_INVALID_NAME);
        if (pError) {
            pError->m_cause = CFileException::badPath;
            pError->m_lOsError = ERROR_INVALID_NAME;
            pError->m_strFileName.Empty();
        }
        return FALSE;
    }
    m_strFileName = FullPath(lpszFileName);

    DWORD access = 0;
    switch (nOpenFlags & 3) {
    case modeRead: access = GENERIC_READ; break;
    case modeWrite: access = GENERIC_WRITE; break;
    case modeReadWrite: access = GENERIC_READ | GENERIC_WRITE; break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        if (pError) {
            pError->m_cause = CFileException::genericException;
            pError->m_lOsError = ERROR_INVALID_PARAMETER;
            pError->m_strFileName = lpszFileName;
        }
        return FALSE;
    }
    DWORD share = 0;
    switch (nOpenFlags & 0x70) {
    case shareDenyWrite: share = FILE_SHARE_READ; break;
    case shareDenyRead: share = FILE_SHARE_WRITE; break;
    case shareDenyNone: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    default: share = 0; break;
    }
    DWORD creation = OPEN_EXISTING;
    if (nOpenFlags & modeCreate)
        creation = (nOpenFlags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
    DWORD flags = FILE_ATTRIBUTE_NORMAL;
    if (nOpenFlags & osNoBuffer) flags |= FILE_FLAG_NO_BUFFERING;
    if (nOpenFlags & osWriteThrough) flags |= FILE_FLAG_WRITE_THROUGH;
    if (nOpenFlags & osRandomAccess) flags |= FILE_FLAG_RANDOM_ACCESS;
    if (nOpenFlags & osSequentialScan) flags |= FILE_FLAG_SEQUENTIAL_SCAN;

    HANDLE h = CreateFileW(lpszFileName, access, share, nullptr, creation, flags, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DWORD err = GetLastError();
        if (pError) {
            pError->m_lOsError = static_cast<LONG>(err);
            pError->m_cause = CFileException::OsErrorToException(static_cast<LONG>(err));
            pError->m_strFileName = lpszFileName;
        }
        SetLastError(err);
        return FALSE;
    }
    m_hFile = h;
    m_bCloseOnDelete = TRUE;
    return TRUE;
}

void CFile::Close() {
    BOOL ok = TRUE;
    if (m_hFile != hFileNull)
        ok = CloseHandle(m_hFile);
    DWORD err = GetLastError();
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
    if (!ok)
        CFileException::ThrowOsError(static_cast<LONG>(err), m_strFileName);
}

void CFile::Abort() {
    if (m_hFile != hFileNull)
        CloseHandle(m_hFile);
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
}

UINT CFile::Read(void* lpBuf, UINT nCount) {
    if (nCount == 0)
        return 0;
    DWORD read = 0;
    if (!ReadFile(m_hFile, lpBuf, nCount, &read, nullptr))
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), m_strFileName);
    return read;
}

void CFile::Write(const void* lpBuf, UINT nCount) {
    if (nCount == 0)
        return;
    DWORD written = 0;
    if (!WriteFile(m_hFile, lpBuf, nCount, &written, nullptr))
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), m_strFileName);
    if (written != nCount)
        AfxThrowFileException(CFileException::diskFull, -1, m_strFileName);
}

ULONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom) {
    if (nFrom > end)
        AfxThrowInvalidArgException();
    LARGE_INTEGER dist{}, pos{};
    dist.QuadPart = lOff;
    if (!SetFilePointerEx(m_hFile, dist, &pos, nFrom))
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), m_strFileName);
    return static_cast<ULONGLONG>(pos.QuadPart);
}

ULONGLONG CFile::GetLength() const {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(m_hFile, &size))
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), m_strFileName);
    return static_cast<ULONGLONG>(size.QuadPart);
}

void CFile::SetLength(ULONGLONG dwNewLen) {
    Seek(static_cast<LONGLONG>(dwNewLen), begin);
    if (!SetEndOfFile(m_hFile))
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), m_strFileName);
}

ULONGLONG CFile::GetPosition() const {
    LARGE_INTEGER zero{}, pos{};
    if (!SetFilePointerEx(m_hFile, zero, &pos, FILE_CURRENT))
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), m_strFileName);
    return static_cast<ULONGLONG>(pos.QuadPart);
}

void CFile::Flush() {
    if (m_hFile != hFileNull && !FlushFileBuffers(m_hFile))
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), m_strFileName);
}

UINT CFile::GetBufferPtr(UINT, UINT, void**, void**) { return 0; }

CString CFile::GetFileName() const {
    int slash = std::max(m_strFileName.ReverseFind(u'\\'), m_strFileName.ReverseFind(u'/'));
    return m_strFileName.Mid(slash + 1);
}

CString CFile::GetFileTitle() const {
    CString name = GetFileName();
    int dot = name.ReverseFind(u'.');
    return dot > 0 ? name.Left(dot) : name;
}

BOOL CFile::GetStatus(CFileStatus& rStatus) const {
    rStatus = CFileStatus{};
    lstrcpynW(rStatus.m_szFullName, m_strFileName, MAX_PATH);
    LARGE_INTEGER size{};
    if (m_hFile == hFileNull || !GetFileTime(m_hFile, &rStatus.m_ctime, &rStatus.m_atime, &rStatus.m_mtime) ||
        !GetFileSizeEx(m_hFile, &size))
        return FALSE;
    rStatus.m_size = static_cast<ULONGLONG>(size.QuadPart);
    DWORD attrs = m_strFileName.IsEmpty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(m_strFileName);
    rStatus.m_attribute = attrs == INVALID_FILE_ATTRIBUTES ? 0 : static_cast<BYTE>(attrs & 0xFF);
    return TRUE;
}

BOOL CFile::GetStatus(LPCWSTR lpszFileName, CFileStatus& rStatus) {
    rStatus = CFileStatus{};
    if (lpszFileName == nullptr)
        return FALSE;
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(lpszFileName, &data);
    if (h == INVALID_HANDLE_VALUE)
        return FALSE;
    FindClose(h);
    lstrcpynW(rStatus.m_szFullName, FullPath(lpszFileName), MAX_PATH);
    rStatus.m_ctime = data.ftCreationTime;
    rStatus.m_atime = data.ftLastAccessTime;
    rStatus.m_mtime = data.ftLastWriteTime;
    rStatus.m_size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    rStatus.m_attribute = static_cast<BYTE>(data.dwFileAttributes & 0xFF);
    return TRUE;
}

void CFile::Rename(LPCWSTR lpszOldName, LPCWSTR lpszNewName) {
    if (!MoveFileW(lpszOldName, lpszNewName))
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), lpszOldName);
}

void CFile::Remove(LPCWSTR lpszFileName) {
    if (!DeleteFileW(lpszFileName))
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), lpszFileName);
}
