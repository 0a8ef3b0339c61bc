// CFile, CMemFile, CStdioFile and CArchive.
#pragma once

#include "win32/win32.h"
#include "afx/core.h"
#include "afx/string.h"

#include <cstdio>
#include <map>
#include <memory>
#include <vector>

// ---- Exceptions of files and archives ---------------------------------------------------------
class CFileException : public CException {
    DECLARE_DYNAMIC(CFileException)
public:
    enum {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile,
        generic = genericException
    };

    explicit CFileException(int cause = none, LONG lOsError = -1, LPCWSTR lpszArchiveName = nullptr)
        : m_cause(cause), m_lOsError(lOsError), m_strFileName(lpszArchiveName) {}
    BOOL GetErrorMessage(LPWSTR lpszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const override;

    static int OsErrorToException(LONG lOsError);
    static int ErrnoToException(int nErrno);
    [[noreturn]] static void ThrowOsError(LONG lOsError, LPCWSTR lpszFileName = nullptr);

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};

class CArchiveException : public CException {
    DECLARE_DYNAMIC(CArchiveException)
public:
    enum {
        none,
        genericException,
        readOnly,
        endOfFile,
        writeOnly,
        badIndex,
        badClass,
        badSchema,
        generic = genericException
    };

    explicit CArchiveException(int cause = none, LPCWSTR lpszArchiveName = nullptr)
        : m_cause(cause), m_strFileName(lpszArchiveName) {}
    BOOL GetErrorMessage(LPWSTR lpszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const override;

    int m_cause;
    CString m_strFileName;
};

[[noreturn]] void AfxThrowFileException(int cause, LONG lOsError = -1, LPCWSTR lpszFileName = nullptr);
[[noreturn]] void AfxThrowArchiveException(int cause, LPCWSTR lpszArchiveName = nullptr);

// ---- CFile ------------------------------------------------------------------------------------
struct CFileStatus {
    FILETIME m_ctime;
    FILETIME m_mtime;
    FILETIME m_atime;
    ULONGLONG m_size;
    BYTE m_attribute;
    WCHAR m_szFullName[MAX_PATH];
};

// Files through the kernel's handle functions; every failure throws CFileException, except
// Open, which reports it through its result.
class CFile : public CObject {
    DECLARE_DYNAMIC(CFile)
public:
    enum OpenFlags {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
        osNoBuffer = 0x10000,
        osWriteThrough = 0x20000,
        osRandomAccess = 0x40000,
        osSequentialScan = 0x80000,
    };
    enum Attribute { normal = 0x00, readOnly = 0x01, hidden = 0x02, system = 0x04, volume = 0x08, directory = 0x10, archive = 0x20 };
    enum SeekPosition { begin = 0x0, current = 0x1, end = 0x2 };
    // Commands of GetBufferPtr, through which the archive works in place on memory files.
    enum BufferCommand { bufferRead, bufferWrite, bufferCommit, bufferCheck };
    enum BufferFlags { bufferDirect = 0x01, bufferBlocking = 0x02 };

    static const HANDLE hFileNull;

    CFile();
    explicit CFile(HANDLE hFile);
    CFile(LPCWSTR lpszFileName, UINT nOpenFlags); // throws on failure
    ~CFile() override;

    operator HANDLE() const { return m_hFile; }

    virtual BOOL Open(LPCWSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);
    virtual void Close();
    virtual void Abort(); // closes without throwing
    virtual UINT Read(void* lpBuf, UINT nCount);
    virtual void Write(const void* lpBuf, UINT nCount);
    virtual ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
    void SeekToBegin() { Seek(0, begin); }
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    virtual ULONGLONG GetLength() const;
    virtual void SetLength(ULONGLONG dwNewLen);
    virtual ULONGLONG GetPosition() const;
    virtual void Flush();
    virtual UINT GetBufferPtr(UINT nCommand, UINT nCount = 0, void** ppBufStart = nullptr, void** ppBufMax = nullptr);

    virtual CString GetFileName() const;
    virtual CString GetFileTitle() const;
    virtual CString GetFilePath() const { return m_strFileName; }
    virtual void SetFilePath(LPCWSTR lpszNewName) { m_strFileName = lpszNewName; }

    BOOL GetStatus(CFileStatus& rStatus) const;
    static BOOL GetStatus(LPCWSTR lpszFileName, CFileStatus& rStatus);
    static void Rename(LPCWSTR lpszOldName, LPCWSTR lpszNewName);
    static void Remove(LPCWSTR lpszFileName);

    HANDLE m_hFile;

protected:
    BOOL m_bCloseOnDelete;
    CString m_strFileName;
};

// ---- CMemFile ---------------------------------------------------------------------------------
// A file in a malloc'ed block that grows by nGrowBytes; an attached caller's block with
// nGrowBytes 0 cannot grow (writing past it throws CMemoryException). Detach hands the block to
// the caller, who frees it with free().
class CMemFile : public CFile {
    DECLARE_DYNAMIC(CMemFile)
public:
    explicit CMemFile(UINT nGrowBytes = 1024);
    CMemFile(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes = 0);
    ~CMemFile() override;

    void Attach(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes = 0);
    BYTE* Detach();

    UINT Read(void* lpBuf, UINT nCount) override;
    void Write(const void* lpBuf, UINT nCount) override;
    ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override;
    ULONGLONG GetLength() const override { return m_nFileSize; }
    void SetLength(ULONGLONG dwNewLen) override;
    ULONGLONG GetPosition() const override { return m_nPosition; }
    void Flush() override {}
    void Close() override;
    void Abort() override { Close(); }
    UINT GetBufferPtr(UINT nCommand, UINT nCount = 0, void** ppBufStart = nullptr, void** ppBufMax = nullptr) override;
    BOOL Open(LPCWSTR, UINT, CFileException* pError = nullptr) override;

protected:
    void GrowFile(SIZE_T dwNewLen);
    // Where the block comes from; null when memory runs out.
    virtual BYTE* Alloc(SIZE_T nBytes);
    virtual BYTE* Realloc(BYTE* lpMem, SIZE_T nBytes);
    virtual void Free(BYTE* lpMem);

    UINT m_nGrowBytes;
    SIZE_T m_nPosition;
    SIZE_T m_nBufferSize;
    SIZE_T m_nFileSize;
    BYTE* m_lpBuffer;
    BOOL m_bAutoDelete; // the block is ours to free
};


// ---- CSharedFile ------------------------------------------------------------------------------
// A memory file in a global memory block, for the clipboard and data objects. The block belongs
// to the file until Detach hands its handle over; SetHandle adopts a caller's block (freed on
// Close unless detached), which may grow only when bAllowGrow says so.
class CSharedFile : public CMemFile {
    DECLARE_DYNAMIC(CSharedFile)
public:
    explicit CSharedFile(UINT nAllocFlags = GMEM_DDESHARE | GMEM_MOVEABLE, UINT nGrowBytes = 4096);
    ~CSharedFile() override;

    HGLOBAL Detach();
    void SetHandle(HGLOBAL hGlobalMemory, BOOL bAllowGrow = TRUE);

protected:
    BYTE* Alloc(SIZE_T nBytes) override;
    BYTE* Realloc(BYTE* lpMem, SIZE_T nBytes) override;
    void Free(BYTE* lpMem) override;

    UINT m_nAllocFlags;
    HGLOBAL m_hGlobalMemory = nullptr;
    BOOL m_bAllowGrow = TRUE;
};

// ---- CStdioFile -------------------------------------------------------------------------------
// Text files read and written in lines. Wide text converts through the ANSI code page; in text
// mode "\n" is written as "\r\n" and "\r\n" reads back as "\n", as the C runtime does there.
class CStdioFile : public CFile {
    DECLARE_DYNAMIC(CStdioFile)
public:
    CStdioFile();
    CStdioFile(LPCWSTR lpszFileName, UINT nOpenFlags);
    ~CStdioFile() override;

    BOOL Open(LPCWSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr) override;
    void Close() override;
    void Abort() override;
    UINT Read(void* lpBuf, UINT nCount) override;
    void Write(const void* lpBuf, UINT nCount) override;
    ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override;
    ULONGLONG GetLength() const override;
    ULONGLONG GetPosition() const override;
    void Flush() override;

    virtual void WriteString(LPCWSTR lpsz);
    virtual LPWSTR ReadString(LPWSTR lpsz, UINT nMax);
    virtual BOOL ReadString(CString& rString);

    FILE* m_pStream;

private:
    void Check(bool ok); // throws the stream's error when !ok
    bool m_bText = true;
};

// ---- CArchive ---------------------------------------------------------------------------------
// The byte layout is the framework's 4.2 one, so existing data reads back: little-endian
// scalars, counts as a WORD or 0xFFFF and a DWORD, strings with an optional 0xFF 0xFFFE Unicode
// marker and a BYTE/WORD/DWORD length, and objects as class records (0xFFFF, schema, name),
// class references (0x8000 | index) and object references (index), with 0 for null.
class CDocument;

class CArchive {
public:
    enum Mode { store = 0, load = 1, bNoFlushOnDelete = 2, bNoByteSwap = 4 };

    CArchive(CFile* pFile, UINT nMode, int nBufSize = 4096, void* lpBuf = nullptr);
    ~CArchive();
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    BOOL IsLoading() const { return (m_nMode & load) != 0; }
    BOOL IsStoring() const { return (m_nMode & load) == 0; }
    BOOL IsByteSwapping() const { return FALSE; }
    BOOL IsBufferEmpty() const { return m_nReadPos >= m_buffer.size(); }
    CFile* GetFile() const { return m_pFile; }
    UINT GetObjectSchema(); // once per object: later calls give (UINT)-1
    void SetObjectSchema(UINT nSchema) { m_nObjectSchema = nSchema; }

    UINT Read(void* lpBuf, UINT nMax);
    void Write(const void* lpBuf, UINT nMax);
    void Flush();
    void Close();
    void Abort(); // closes without writing what is buffered

    void WriteCount(DWORD_PTR dwCount);
    DWORD_PTR ReadCount();
    void WriteString(LPCWSTR lpsz); // a line of text, without terminator
    LPWSTR ReadString(LPWSTR lpsz, UINT nMax);
    BOOL ReadString(CString& rString);

    void WriteObject(const CObject* pOb);
    CObject* ReadObject(const CRuntimeClass* pClass);
    void WriteClass(const CRuntimeClass* pClassRef);
    CRuntimeClass* ReadClass(const CRuntimeClass* pClassRefRequested = nullptr, UINT* pSchema = nullptr,
                             DWORD* pObTag = nullptr);
    void SerializeClass(const CRuntimeClass* pClassRef);
    void MapObject(const CObject* pOb);

    CArchive& operator<<(BYTE by) { return WriteRaw(by); }
    CArchive& operator<<(WORD w) { return WriteRaw(w); }
    CArchive& operator<<(LONG l) { return WriteRaw(l); }
    CArchive& operator<<(DWORD dw) { return WriteRaw(dw); }
    CArchive& operator<<(float f) { return WriteRaw(f); }
    CArchive& operator<<(double d) { return WriteRaw(d); }
    CArchive& operator<<(LONGLONG ll) { return WriteRaw(ll); }
    CArchive& operator<<(ULONGLONG ull) { return WriteRaw(ull); }
    CArchive& operator<<(char ch) { return WriteRaw(static_cast<BYTE>(ch)); }
    CArchive& operator<<(signed char ch) { return WriteRaw(static_cast<BYTE>(ch)); }
    CArchive& operator<<(short s) { return WriteRaw(static_cast<WORD>(s)); }
    CArchive& operator<<(char16_t ch) { return WriteRaw(static_cast<WORD>(ch)); }
    CArchive& operator<<(bool b) { return WriteRaw(static_cast<BYTE>(b ? 1 : 0)); }
    CArchive& operator<<(const CStringW& str);
    CArchive& operator<<(const CStringA& str);

    CArchive& operator>>(BYTE& by) { return ReadRaw(by); }
    CArchive& operator>>(WORD& w) { return ReadRaw(w); }
    CArchive& operator>>(LONG& l) { return ReadRaw(l); }
    CArchive& operator>>(DWORD& dw) { return ReadRaw(dw); }
    CArchive& operator>>(float& f) { return ReadRaw(f); }
    CArchive& operator>>(double& d) { return ReadRaw(d); }
    CArchive& operator>>(LONGLONG& ll) { return ReadRaw(ll); }
    CArchive& operator>>(ULONGLONG& ull) { return ReadRaw(ull); }
    CArchive& operator>>(char& ch) { return ReadRaw(ch); }
    CArchive& operator>>(signed char& ch) { return ReadRaw(ch); }
    CArchive& operator>>(short& s) { return ReadRaw(s); }
    CArchive& operator>>(char16_t& ch) { return ReadRaw(ch); }
    CArchive& operator>>(bool& b) {
        BYTE by;
        ReadRaw(by);
        b = by != 0;
        return *this;
    }
    CArchive& operator>>(CStringW& str);
    CArchive& operator>>(CStringA& str);

    // int and unsigned are LONG and DWORD here; the 64-bit spellings map onto LONGLONG/ULONGLONG.
    CArchive& operator<<(long long ll) { return WriteRaw(static_cast<LONGLONG>(ll)); }
    CArchive& operator<<(unsigned long long ull) { return WriteRaw(static_cast<ULONGLONG>(ull)); }
    CArchive& operator>>(long long& ll) { return ReadRaw(ll); }
    CArchive& operator>>(unsigned long long& ull) { return ReadRaw(ull); }

    CString m_strFileName;
    CDocument* m_pDocument = nullptr;
    BOOL m_bForceFlat = TRUE;

private:
    template <class T>
    CArchive& WriteRaw(const T& v) {
        Write(&v, sizeof v);
        return *this;
    }
    template <class T>
    CArchive& ReadRaw(T& v) {
        if (Read(&v, sizeof v) != sizeof v)
            AfxThrowArchiveException(CArchiveException::endOfFile, m_strFileName);
        return *this;
    }
    void RequireLoading();
    void RequireStoring();
    void FlushBuffer();
    bool FillBuffer();
    void ReadStringUnits(size_t nUnits, size_t nCharSize, std::u16string* wide, std::string* narrow);
    size_t ReadStringLength(size_t& nCharSize);
    void WriteStringLength(size_t nLength, bool bUnicode);

    CFile* m_pFile;
    UINT m_nMode;
    size_t m_nBufSize;
    std::vector<BYTE> m_buffer; // pending output, or input not yet consumed
    size_t m_nReadPos = 0;
    bool m_bClosed = false;
    UINT m_nObjectSchema = static_cast<UINT>(-1);

    // Objects and classes met so far, indexed as in the stream (index 0 is null).
    std::map<const void*, DWORD> m_storeMap;
    struct Loaded {
        bool isClass;
        CObject* pOb;
        CRuntimeClass* pClass;
        UINT nSchema;
    };
    std::vector<Loaded> m_loadArray;
    DWORD m_nMapCount = 1;
};

CArchive& operator<<(CArchive& ar, const CObject* pOb);
CArchive& operator>>(CArchive& ar, CObject*& pOb);
CArchive& operator>>(CArchive& ar, const CObject*& pOb);

// The archive's forms of the shared structures.
CArchive& operator<<(CArchive& ar, const POINT& pt);
CArchive& operator>>(CArchive& ar, POINT& pt);
CArchive& operator<<(CArchive& ar, const SIZE& sz);
CArchive& operator>>(CArchive& ar, SIZE& sz);
CArchive& operator<<(CArchive& ar, const RECT& rc);
CArchive& operator>>(CArchive& ar, RECT& rc);
