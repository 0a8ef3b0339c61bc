// The buffered text-file reader of the document preview.
#include "preview/text_file_reader.h"

#include "win32/text.h"

#include <algorithm>
#include <vector>

namespace {

// Checks bytes as well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF), fed in
// pieces; a sequence may run across pieces.
class Utf8Check {
public:
    void Feed(const BYTE* p, size_t n)
    {
        for (size_t i = 0; i < n && m_valid; ++i)
            Take(p[i]);
    }
    // Valid so far and no sequence left open.
    bool Complete() const { return m_valid && m_pending == 0; }
    bool Failed() const { return !m_valid; }
    bool SawNonAscii() const { return m_nonAscii; }

private:
    void Take(BYTE b)
    {
        if (m_pending) {
            if (b < m_low || b > m_high) {
                m_valid = false;
                return;
            }
            m_low = 0x80, m_high = 0xBF;
            --m_pending;
            return;
        }
        if (b < 0x80)
            return;
        m_nonAscii = true;
        m_low = 0x80, m_high = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            m_pending = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            m_pending = 2;
            if (b == 0xE0)
                m_low = 0xA0; // shorter forms would be overlong
            else if (b == 0xED)
                m_high = 0x9F; // surrogates
        } else if (b >= 0xF0 && b <= 0xF4) {
            m_pending = 3;
            if (b == 0xF0)
                m_low = 0x90;
            else if (b == 0xF4)
                m_high = 0x8F; // nothing beyond U+10FFFF
        } else {
            m_valid = false;
        }
    }

    bool m_valid = true, m_nonAscii = false;
    int m_pending = 0;
    BYTE m_low = 0x80, m_high = 0xBF;
};

} // namespace

CTextFileReader::CTextFileReader(LPCWSTR path)
{
    auto* file = new CFile;
    if (file->Open(path, CFile::modeRead | CFile::shareDenyWrite)) {
        m_pFile = file;
        m_bOwnsFile = 1;
    } else {
        delete file;
    }
    m_bEof = !IsOpen();
    if (!IsOpen())
        return;
    BYTE b0 = NextRawByte(), b1 = NextRawByte();
    if (!m_bEof && b0 == 0xFF && b1 == 0xFE) {
        m_encoding = UTF16LE;
    } else if (!m_bEof && b0 == 0xFE && b1 == 0xFF) {
        m_encoding = UTF16BE;
    } else if (!m_bEof && b0 == 0xEF && b1 == 0xBB && NextRawByte() == 0xBF && !m_bEof) {
        m_encoding = UTF8;
    } else {
        m_encoding = ANSI;
        Rewind();
        // Text without a mark is read in the system's code page, unless all of it is well-formed UTF-8 with
        // characters beyond ASCII: text in the system's code page is rarely that, and text written as UTF-8
        // would otherwise come out garbled.
        if (IsWholeFileUtf8())
            m_nCodePage = CP_UTF8;
        Rewind();
    }
}

BOOL CTextFileReader::IsWholeFileUtf8()
{
    Utf8Check check;
    std::vector<BYTE> chunk(64 * 1024);
    for (;;) {
        const UINT got = m_pFile->Read(chunk.data(), UINT(chunk.size()));
        if (got == 0)
            break;
        check.Feed(chunk.data(), got);
        if (check.Failed())
            break;
    }
    return check.Complete() && check.SawNonAscii();
}

CTextFileReader::~CTextFileReader() { Close(); }

void CTextFileReader::Close()
{
    if (m_pFile && m_bOwnsFile) {
        m_pFile->Abort();
        delete m_pFile;
    }
    m_pFile = nullptr;
    m_bEof = 1;
}

void CTextFileReader::Rewind()
{
    if (!m_pFile)
        return;
    m_pFile->SeekToBegin();
    m_bHasPushBack = 0;
    m_nPos = -1;
    m_nCount = 0;
    m_bFirstLine = 1;
    m_bEof = 0;
}

ULONGLONG CTextFileReader::GetLength() const
{
    if (!m_pFile)
        return 0;
    ULONGLONG bytes = m_pFile->GetLength();
    return m_encoding == UTF16BE || m_encoding == UTF16LE ? bytes / 2 : bytes;
}

BYTE CTextFileReader::NextRawByte()
{
    if (!m_pFile || m_bEof)
        return 0;
    if (m_nPos == -1 || m_nPos + 1 >= m_nCount) {
        // A short buffer that is used up ends the file only when the next read brings nothing.
        m_nCount = (int)m_pFile->Read(m_buffer, sizeof m_buffer);
        if (m_nCount <= 0) {
            m_nCount = 0;
            m_bEof = 1;
            return 0;
        }
        m_nPos = 0;
        return m_buffer[0];
    }
    return m_buffer[++m_nPos];
}

char16_t CTextFileReader::ReadByte()
{
    if (m_bHasPushBack) {
        m_bHasPushBack = 0;
        return m_chPushBack;
    }
    return NextRawByte();
}

char16_t CTextFileReader::ReadChar()
{
    if (m_bHasPushBack) {
        m_bHasPushBack = 0;
        return m_chPushBack;
    }
    if (m_encoding == UTF16LE || m_encoding == UTF16BE) {
        BYTE a = NextRawByte(), b = NextRawByte();
        return m_encoding == UTF16LE ? char16_t(a | b << 8) : char16_t(a << 8 | b);
    }
    BYTE c = NextRawByte();
    if (c < 0x80)
        return c;
    int ones = 0;
    while (ones < 8 && (c & (0x80 >> ones)))
        ++ones;
    if (ones == 2)
        return char16_t((c & 0x1F) << 6 | (NextRawByte() & 0x3F));
    if (ones == 3) {
        BYTE c1 = NextRawByte();
        BYTE c2 = NextRawByte();
        return char16_t((c & 0x0F) << 12 | (c1 & 0x3F) << 6 | (c2 & 0x3F));
    }
    return 0xFFFD;
}

BOOL CTextFileReader::ReadLine(std::u16string& line, size_t maxChars)
{
    line.clear();
    if (!m_pFile || (m_bEof && !m_bHasPushBack))
        return FALSE;
    char16_t ch = NextUnit();
    if (m_bFirstLine) {
        m_bFirstLine = 0;
    } else if (ch == u'\r') {
        ch = NextUnit();
        if (ch == u'\n')
            ch = NextUnit();
    } else if (ch == u'\n') {
        ch = NextUnit();
    }
    std::string narrow;
    while (ch != u'\r' && ch != u'\n' && !(m_bEof && ch == 0)) {
        if (m_encoding == ANSI)
            narrow.push_back((char)ch);
        else
            line.push_back(ch);
        if (narrow.size() + line.size() >= maxChars)
            return FinishLine(line, narrow);
        ch = NextUnit();
    }
    if (!(m_bEof && ch == 0)) {
        m_chPushBack = ch;
        m_bHasPushBack = 1;
    }
    return FinishLine(line, narrow);
}

BOOL CTextFileReader::FinishLine(std::u16string& line, const std::string& narrow)
{
    if (m_encoding == ANSI)
        line = MultiByteToWide(narrow.data(), narrow.size(), m_nCodePage);
    return TRUE;
}

BOOL CTextFileReader::ReadAll(std::u16string& text, const char16_t* separator, size_t maxChars)
{
    if (!IsOpen())
        return FALSE;
    text.clear();
    text.reserve((size_t)std::min<ULONGLONG>(GetLength(), maxChars) + 2);
    std::u16string line;
    for (bool first = true; text.size() < maxChars && ReadLine(line, maxChars - text.size()); first = false) {
        if (!first)
            text += separator;
        text += line;
    }
    if (text.size() > maxChars)
        text.resize(maxChars);
    return TRUE;
}

BOOL CTextFileReader::ReadText(CString& out, LPCWSTR separator, size_t maxChars)
{
    std::u16string text;
    if (!ReadAll(text, separator, maxChars))
        return FALSE;
    out = CString(text);
    return TRUE;
}

std::u16string CTextFileReader::MultiByteToWide(const char* text, size_t length, UINT codePage)
{
    return AnsiToWide(text, length, codePage);
}

std::u16string CTextFileReader::DecodeBytes(const BYTE* data, size_t size, size_t maxChars)
{
    if (!data)
        return {};
    if (size >= 2 && ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF))) {
        const bool bigEndian = data[0] == 0xFE;
        std::u16string text;
        for (size_t i = 2; i + 1 < size && text.size() < maxChars; i += 2)
            text += char16_t(bigEndian ? data[i] << 8 | data[i + 1] : data[i + 1] << 8 | data[i]);
        return text;
    }
    UINT codePage = 0;
    if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
        data += 3;
        size -= 3;
        codePage = CP_UTF8;
    } else {
        Utf8Check check;
        check.Feed(data, size);
        if (check.Complete() && check.SawNonAscii())
            codePage = CP_UTF8;
    }
    std::u16string text = MultiByteToWide(reinterpret_cast<const char*>(data), std::min(size, maxChars), codePage);
    if (text.size() > maxChars)
        text.resize(maxChars);
    return text;
}
