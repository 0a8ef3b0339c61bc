// CFile: files through the kernel's handle functions.
#include "afx/file.h"

IMPLEMENT_DYNAMIC(CFile, CObject)

const HANDLE CFile::hFileNull = INVALID_HANDLE_VALUE;

// Until the kernel's file functions are linked in, every operation fails as an invalid handle.
CFile::CFile() : m_hFile(hFileNull), m_bCloseOnDelete(FALSE) {}
CFile::CFile(HANDLE hFile) : m_hFile(hFile), m_bCloseOnDelete(FALSE) {}
CFile::CFile(LPCWSTR lpszFileName, UINT nOpenFlags) : CFile() {
    CFileException e;
    if (!Open(lpszFileName, nOpenFlags, &e))
        AfxThrowFileException(e.m_cause, e.m_lOsError, e.m_strFileName);
}
CFile::~CFile() {}
BOOL CFile::Open(LPCWSTR lpszFileName, UINT, CFileException* pError) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    if (pError) {
        pError->m_cause = CFileException::genericException;
        pError->m_lOsError = ERROR_CALL_NOT_IMPLEMENTED;
        pError->m_strFileName = lpszFileName;
    }
    return FALSE;
}
void CFile::Close() { m_hFile = hFileNull; }
void CFile::Abort() { m_hFile = hFileNull; }
UINT CFile::Read(void*, UINT) { AfxThrowFileException(CFileException::invalidFile, ERROR_INVALID_HANDLE, m_strFileName); }
void CFile::Write(const void*, UINT) { AfxThrowFileException(CFileException::invalidFile, ERROR_INVALID_HANDLE, m_strFileName); }
ULONGLONG CFile::Seek(LONGLONG, UINT) { AfxThrowFileException(CFileException::invalidFile, ERROR_INVALID_HANDLE, m_strFileName); }
ULONGLONG CFile::GetLength() const { AfxThrowFileException(CFileException::invalidFile, ERROR_INVALID_HANDLE, m_strFileName); }
void CFile::SetLength(ULONGLONG) { AfxThrowFileException(CFileException::invalidFile, ERROR_INVALID_HANDLE, m_strFileName); }
ULONGLONG CFile::GetPosition() const { AfxThrowFileException(CFileException::invalidFile, ERROR_INVALID_HANDLE, m_strFileName); }
void CFile::Flush() {}
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
BOOL CFile::GetStatus(CFileStatus&) const { return FALSE; }
BOOL CFile::GetStatus(LPCWSTR, CFileStatus&) { return FALSE; }
void CFile::Rename(LPCWSTR, LPCWSTR lpszNewName) { AfxThrowFileException(CFileException::genericException, ERROR_CALL_NOT_IMPLEMENTED, lpszNewName); }
void CFile::Remove(LPCWSTR lpszFileName) { AfxThrowFileException(CFileException::genericException, ERROR_CALL_NOT_IMPLEMENTED, lpszFileName); }
