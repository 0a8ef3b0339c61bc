// CStdioFile: line-oriented text files over the C runtime's streams.
#include "afx/file.h"

#include <cerrno>
#include <sys/stat.h>

IMPLEMENT_DYNAMIC(CStdioFile, CFile)

CStdioFile::CStdioFile() : m_pStream(nullptr) {}

CStdioFile::CStdioFile(LPCWSTR lpszFileName, UINT nOpenFlags) : CStdioFile() {
    CFileException e;
    if (!Open(lpszFileName, nOpenFlags, &e))
        AfxThrowFileException(e.m_cause, e.m_lOsError, e.m_strFileName);
}

CStdioFile::~CStdioFile() {
    if (m_pStream != nullptr && m_bCloseOnDelete)
        Abort();
}

void CStdioFile::Check(bool ok) {
    if (!ok) {
        int err = errno;
        AfxThrowFileException(CFileException::ErrnoToException(err), err, m_strFileName);
    }
}

BOOL CStdioFile::Open(LPCWSTR lpszFileName, UINT nOpenFlags, CFileException* pError) {
    if (m_pStream != nullptr)
        Abort();
    // The stream mode the C runtime is given for these flags.
    std::u16string mode;
    if (nOpenFlags & modeCreate)
        mode = (nOpenFlags & modeNoTruncate) ? u"a" : u"w";
    else if (nOpenFlags & modeWrite)
        mode = u"a";
    else
        mode = u"r";
    if ((mode == u"r" && (nOpenFlags & modeReadWrite)) || (mode != u"r" && !(nOpenFlags & modeWrite)))
        mode += u'+';
    m_bText = !(nOpenFlags & typeBinary);
    mode += u'b';

    FILE* f = lpszFileName ? _wfopen(lpszFileName, mode.c_str()) : nullptr;
    if (f == nullptr) {
        int err = lpszFileName ? errno : EINVAL;
        if (pError) {
            pError->m_cause = CFileException::ErrnoToException(err);
            pError->m_lOsError = err;
            pError->m_strFileName = lpszFileName;
        }
        return FALSE;
    }
    m_pStream = f;
    m_strFileName = lpszFileName;
    m_bCloseOnDelete = TRUE;
    return TRUE;
}

void CStdioFile::Close() {
    int rc = 0;
    if (m_pStream != nullptr)
        rc = std::fclose(m_pStream);
    m_pStream = nullptr;
    m_bCloseOnDelete = FALSE;
    Check(rc == 0);
}

void CStdioFile::Abort() {
    if (m_pStream != nullptr)
        std::fclose(m_pStream);
    m_pStream = nullptr;
    m_bCloseOnDelete = FALSE;
}

UINT CStdioFile::Read(void* lpBuf, UINT nCount) {
    if (m_pStream == nullptr)
        AfxThrowFileException(CFileException::invalidFile, -1, m_strFileName);
    size_t n = std::fread(lpBuf, 1, nCount, m_pStream);
    Check(n == nCount || !std::ferror(m_pStream));
    return static_cast<UINT>(n);
}

void CStdioFile::Write(const void* lpBuf, UINT nCount) {
    if (m_pStream == nullptr)
        AfxThrowFileException(CFileException::invalidFile, -1, m_strFileName);
    if (std::fwrite(lpBuf, 1, nCount, m_pStream) != nCount)
        AfxThrowFileException(CFileException::diskFull, errno, m_strFileName);
}

ULONGLONG CStdioFile::Seek(LONGLONG lOff, UINT nFrom) {
    if (m_pStream == nullptr)
        AfxThrowFileException(CFileException::invalidFile, -1, m_strFileName);
    int whence = nFrom == begin ? SEEK_SET : nFrom == current ? SEEK_CUR : SEEK_END;
    Check(fseeko(m_pStream, static_cast<off_t>(lOff), whence) == 0);
    return GetPosition();
}

ULONGLONG CStdioFile::GetPosition() const {
    if (m_pStream == nullptr)
        AfxThrowFileException(CFileException::invalidFile, -1, m_strFileName);
    off_t pos = ftello(m_pStream);
    if (pos < 0)
        AfxThrowFileException(CFileException::ErrnoToException(errno), errno, m_strFileName);
    return static_cast<ULONGLONG>(pos);
}

ULONGLONG CStdioFile::GetLength() const {
    if (m_pStream == nullptr)
        AfxThrowFileException(CFileException::invalidFile, -1, m_strFileName);
    std::fflush(m_pStream);
    struct stat st {};
    if (fstat(fileno(m_pStream), &st) != 0)
        AfxThrowFileException(CFileException::ErrnoToException(errno), errno, m_strFileName);
    return static_cast<ULONGLONG>(st.st_size);
}

void CStdioFile::Flush() {
    if (m_pStream != nullptr)
        Check(std::fflush(m_pStream) == 0);
}

void CStdioFile::WriteString(LPCWSTR lpsz) {
    if (lpsz == nullptr)
        AfxThrowInvalidArgException();
    std::string text = WideToAnsi(lpsz, wcslen(lpsz));
    if (m_bText) {
        std::string crlf;
        for (char c : text) {
            if (c == '\n')
                crlf += '\r';
            crlf += c;
        }
        text.swap(crlf);
    }
    Write(text.data(), static_cast<UINT>(text.size()));
}

// Reads up to nMax - 1 characters, stopping after a newline, which is kept.
LPWSTR CStdioFile::ReadString(LPWSTR lpsz, UINT nMax) {
    if (lpsz == nullptr || nMax == 0 || m_pStream == nullptr)
        AfxThrowInvalidArgException();
    std::string bytes;
    UINT chars = 0;
    bool any = false;
    while (chars + 1 < nMax) {
        int c = std::getc(m_pStream);
        if (c == EOF)
            break;
        any = true;
        if (m_bText && c == '\r') {
            int next = std::getc(m_pStream);
            if (next == '\n')
                c = '\n';
            else if (next != EOF)
                std::ungetc(next, m_pStream);
        }
        bytes += static_cast<char>(c);
        if (IsDBCSLeadByte(static_cast<BYTE>(c))) {
            int trail = std::getc(m_pStream);
            if (trail != EOF)
                bytes += static_cast<char>(trail);
        }
        ++chars;
        if (c == '\n')
            break;
    }
    Check(!std::ferror(m_pStream));
    if (!any)
        return nullptr;
    std::u16string wide = AnsiToWide(bytes);
    size_t n = std::min<size_t>(wide.size(), nMax - 1);
    wide.copy(lpsz, n);
    lpsz[n] = 0;
    return lpsz;
}

BOOL CStdioFile::ReadString(CString& rString) {
    if (m_pStream == nullptr)
        AfxThrowInvalidArgException();
    std::string bytes;
    bool any = false;
    for (int c; (c = std::getc(m_pStream)) != EOF;) {
        any = true;
        if (c == '\n')
            break;
        bytes += static_cast<char>(c);
    }
    Check(!std::ferror(m_pStream));
    if (m_bText && !bytes.empty() && bytes.back() == '\r')
        bytes.pop_back();
    rString = CString(AnsiToWide(bytes));
    return any;
}
