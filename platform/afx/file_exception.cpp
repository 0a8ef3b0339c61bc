// CFileException and CArchiveException: causes, the system-error mapping and messages.
#include "afx/file.h"

#include <cerrno>

IMPLEMENT_DYNAMIC(CFileException, CException)
IMPLEMENT_DYNAMIC(CArchiveException, CException)

namespace {

BOOL CopyMessage(const CString& text, LPWSTR lpszError, UINT nMaxError, UINT* pnHelpContext) {
    if (pnHelpContext != nullptr)
        *pnHelpContext = 0;
    if (lpszError == nullptr || nMaxError == 0)
        return FALSE;
    lstrcpynW(lpszError, text, static_cast<int>(nMaxError));
    return TRUE;
}

CString Named(const CString& name, const char16_t* withName, const char16_t* without) {
    CString text;
    if (name.IsEmpty())
        text = without;
    else
        text.Format(withName, name);
    return text;
}

} // namespace

int CFileException::OsErrorToException(LONG lOsError) {
    switch (lOsError) {
    case NO_ERROR:
        return none;
    case ERROR_FILE_NOT_FOUND:
        return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_NAME:
    case ERROR_FILENAME_EXCED_RANGE:
        return badPath;
    case ERROR_TOO_MANY_OPEN_FILES:
        return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return accessDenied;
    case ERROR_INVALID_HANDLE:
        return invalidFile;
    case 16: // ERROR_CURRENT_DIRECTORY
        return removeCurrentDir;
    case 82: // ERROR_CANNOT_MAKE
        return directoryFull;
    case ERROR_SEEK:
    case ERROR_NEGATIVE_SEEK:
        return badSeek;
    case ERROR_SHARING_VIOLATION:
        return sharingViolation;
    case 33: // ERROR_LOCK_VIOLATION
        return lockViolation;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return diskFull;
    case ERROR_HANDLE_EOF:
        return endOfFile;
    case ERROR_CRC:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_WRITE_FAULT:
    case ERROR_READ_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_NOT_READY:
        return hardIO;
    default:
        return genericException;
    }
}

int CFileException::ErrnoToException(int nErrno) {
    switch (nErrno) {
    case 0:
        return none;
    case ENOENT:
        return fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
        return badPath;
    case EMFILE:
    case ENFILE:
        return tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EEXIST:
    case EISDIR:
        return accessDenied;
    case EBADF:
        return invalidFile;
    case ESPIPE:
    case EINVAL:
        return badSeek;
    case ENOSPC:
    case EFBIG:
        return diskFull;
    case EIO:
        return hardIO;
    default:
        return genericException;
    }
}

void CFileException::ThrowOsError(LONG lOsError, LPCWSTR lpszFileName) {
    AfxThrowFileException(OsErrorToException(lOsError), lOsError, lpszFileName);
}

BOOL CFileException::GetErrorMessage(LPWSTR lpszError, UINT nMaxError, UINT* pnHelpContext) const {
    CString text;
    const CString& f = m_strFileName;
    switch (m_cause) {
    case none: text = Named(f, u"No error occurred while accessing %s.", u"No error occurred."); break;
    case fileNotFound: text = Named(f, u"%s was not found.", u"An unnamed file was not found."); break;
    case badPath: text = Named(f, u"%s contains an invalid path.", u"An unnamed file contains an invalid path."); break;
    case tooManyOpenFiles: text = Named(f, u"%s could not be opened because there are too many open files.", u"Too many files are open."); break;
    case accessDenied: text = Named(f, u"Access to %s was denied.", u"Access to an unnamed file was denied."); break;
    case invalidFile: text = Named(f, u"An invalid file handle was associated with %s.", u"An invalid file handle was used."); break;
    case removeCurrentDir: text = Named(f, u"%s could not be removed because it is the current directory.", u"The current directory cannot be removed."); break;
    case directoryFull: text = Named(f, u"%s could not be created because the directory is full.", u"The directory is full."); break;
    case badSeek: text = Named(f, u"Seek failed on %s.", u"Seek failed on an unnamed file."); break;
    case hardIO: text = Named(f, u"A hardware I/O error was reported while accessing %s.", u"A hardware I/O error was reported."); break;
    case sharingViolation: text = Named(f, u"A sharing violation occurred while accessing %s.", u"A sharing violation occurred."); break;
    case lockViolation: text = Named(f, u"A locking violation occurred while accessing %s.", u"A locking violation occurred."); break;
    case diskFull: text = Named(f, u"Disk full while accessing %s.", u"Disk full."); break;
    case endOfFile: text = Named(f, u"An attempt was made to access %s past its end.", u"An attempt was made to access an unnamed file past its end."); break;
    default: text = Named(f, u"An unexpected error occurred while accessing %s.", u"An unexpected file error occurred."); break;
    }
    return CopyMessage(text, lpszError, nMaxError, pnHelpContext);
}

BOOL CArchiveException::GetErrorMessage(LPWSTR lpszError, UINT nMaxError, UINT* pnHelpContext) const {
    CString text;
    const CString& f = m_strFileName;
    switch (m_cause) {
    case none: text = u"No error occurred."; break;
    case readOnly: text = Named(f, u"Tried to write to %s, which is being read.", u"Tried to write to an archive that is being read."); break;
    case endOfFile: text = Named(f, u"Unexpected end of file while reading %s.", u"Unexpected end of file while reading an archive."); break;
    case writeOnly: text = Named(f, u"Tried to read from %s, which is being written.", u"Tried to read from an archive that is being written."); break;
    case badIndex: text = Named(f, u"%s has an invalid format.", u"An archive has an invalid format."); break;
    case badClass: text = Named(f, u"%s contains an unexpected object.", u"An archive contains an unexpected object."); break;
    case badSchema: text = Named(f, u"%s contains an incorrect schema.", u"An archive contains an incorrect schema."); break;
    default: text = Named(f, u"An unexpected error occurred while accessing %s.", u"An unexpected archive error occurred."); break;
    }
    return CopyMessage(text, lpszError, nMaxError, pnHelpContext);
}

void AfxThrowFileException(int cause, LONG lOsError, LPCWSTR lpszFileName) {
    throw new CFileException(cause, lOsError, lpszFileName);
}

void AfxThrowArchiveException(int cause, LPCWSTR lpszArchiveName) {
    throw new CArchiveException(cause, lpszArchiveName);
}
