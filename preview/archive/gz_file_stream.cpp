// The gzip file stream over zlib.
#include "preview/archive/gz_file_stream.h"

#include <algorithm>
#include <string>

CGzFileStream::~CGzFileStream()
{
    CloseStream();
}

BOOL CGzFileStream::SetMode(LONG mode)
{
    m_nMode = mode;
    return TRUE;
}

BOOL CGzFileStream::IsOpen() const
{
    return m_file != nullptr;
}

BOOL CGzFileStream::CloseStream()
{
    if (!m_file)
        return FALSE;
    int result = gzclose(m_file);
    m_file = nullptr;
    m_nMode = 0;
    return result == Z_OK;
}

BOOL CGzFileStream::OpenStream(LPCWSTR path, LONG mode)
{
    if (m_file || !path)
        return FALSE;
    // zlib opens files by their host names, which the layer finds for the program's path.
    std::string name;
    if (!dovemark::MapPath(path, name))
        return FALSE;
    if (mode == 1) {
        m_file = gzopen(name.c_str(), "wb");
        if (!m_file)
            return FALSE;
        m_nMode = 1;
        SetParameters(m_nLevel, m_nStrategy);
        return TRUE;
    }
    if (mode != 2 || _waccess(path, 2) != 0)
        return FALSE;
    int fd = _wopen(path, _O_RDONLY | _O_BINARY);
    if (fd == -1)
        return FALSE;
    m_nFileLength = _filelength(fd);
    _close(fd);
    m_file = gzopen(name.c_str(), "rb");
    if (!m_file)
        return FALSE;
    m_nMode = 2;
    return TRUE;
}

BOOL CGzFileStream::Write(const void* buffer, UINT length)
{
    if (!m_file || m_nMode != 1)
        return FALSE;
    return length == 0 || gzwrite(m_file, buffer, length) == int(length);
}

BOOL CGzFileStream::WriteText(LPCWSTR text)
{
    if (!text)
        return FALSE;
    size_t units = std::char_traits<char16_t>::length(text);
    return Write(text, UINT(units * sizeof(WCHAR)));
}

int CGzFileStream::Read(void* buffer, UINT length)
{
    if (!m_file || m_nMode != 2)
        return 0;
    return gzread(m_file, buffer, length);
}

int CGzFileStream::SetParameters(LONG level, LONG strategy)
{
    if (!m_file || m_nMode != 1)
        return 0;
    return gzsetparams(m_file, level, strategy);
}

BOOL CGzFileStream::ReadAll(std::vector<BYTE>& data)
{
    data.clear();
    if (m_nMode != 2 || m_nFileLength <= 0)
        return FALSE;
    // One growing buffer, read in steps of the compressed size (at least 64 KiB), so nothing is
    // held twice.
    size_t step = std::max<size_t>(size_t(m_nFileLength), 65536);
    for (;;) {
        size_t used = data.size();
        size_t want = std::min(step, kMaxDataSize + 1 - used);
        data.resize(used + want);
        int got = gzread(m_file, data.data() + used, unsigned(want));
        if (got < 0) {
            data.clear();
            return FALSE;
        }
        data.resize(used + size_t(got));
        if (data.size() > kMaxDataSize) {
            data.clear();
            return FALSE;
        }
        if (got == 0)
            break;
    }
    return !data.empty();
}
