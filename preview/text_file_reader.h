// CTextFileReader: reads a text file whole, recognising its byte-order mark (UTF-16 either way,
// UTF-8) and converting narrow text from a code page (UTF-8 when the whole file is well-formed UTF-8).
#pragma once

#include "afx/afx.h"
#include "afx/file.h"

#include <cstdint>
#include <string>

class CTextFileReader {
public:
    enum Encoding { ANSI = 0, UTF16BE = 1, UTF16LE = 2, UTF8 = 3 };

    explicit CTextFileReader(LPCWSTR path);
    ~CTextFileReader();
    CTextFileReader(const CTextFileReader&) = delete;
    CTextFileReader& operator=(const CTextFileReader&) = delete;

    BOOL IsOpen() const { return m_pFile != nullptr; }
    BOOL IsEOF() const { return m_bEof; }
    int GetEncoding() const { return m_encoding; }
    void Close();
    void Rewind();
    // One byte of the file (a character given back comes first); 0 at the end.
    char16_t ReadByte();
    // One character of a UTF-16 or UTF-8 file; 0 at the end.
    char16_t ReadChar();
    // The next line without its end (CR, LF or CR LF); FALSE at the end of the file. A line longer
    // than maxChars characters (bytes for narrow files) is cut there, the rest left unread.
    BOOL ReadLine(std::u16string& line, size_t maxChars = SIZE_MAX);
    // Every line, joined with the separator, up to maxChars characters; FALSE when the file is not
    // open.
    BOOL ReadAll(std::u16string& text, const char16_t* separator, size_t maxChars = SIZE_MAX);
    // ReadAll into out, which is left alone on failure.
    BOOL ReadText(CString& out, LPCWSTR separator, size_t maxChars = SIZE_MAX);
    // Characters in the file: bytes for narrow and UTF-8 files, half the bytes for UTF-16.
    ULONGLONG GetLength() const;
    static std::u16string MultiByteToWide(const char* text, size_t length, UINT codePage);
    // Text held in memory, read by the same rule as a file: its byte-order mark, else UTF-8 when all of it
    // is well-formed UTF-8 beyond ASCII, else the system's code page; at most maxChars characters.
    static std::u16string DecodeBytes(const BYTE* data, size_t size, size_t maxChars = SIZE_MAX);

private:
    char16_t NextUnit() { return m_encoding == ANSI ? ReadByte() : ReadChar(); }
    BYTE NextRawByte();
    BOOL FinishLine(std::u16string& line, const std::string& narrow);
    // Reads the file from where it stands to its end.
    BOOL IsWholeFileUtf8();

    int m_encoding = ANSI;
    CFile* m_pFile = nullptr;
    BYTE m_bOwnsFile = 0;
    BYTE m_bEof = 0;
    BYTE m_buffer[1024] = {};
    int m_nPos = -1;
    int m_nCount = 0;
    UINT m_nCodePage = 0;
    BYTE m_bHasPushBack = 0;
    BYTE m_bFirstLine = 1;
    char16_t m_chPushBack = 0;
};
