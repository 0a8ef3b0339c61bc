// The zip reader's handle API over the inner reader, with the file source and the entry records.
#include "preview/archive/zip_reader.h"

#include "preview/archive/archive_time.h"
#include "preview/archive/zip_archive.h"
#include "preview/archive/zip_handle.h"

#include "afx/afx.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <new>

DWORD ZipLastError = ZIPR_OK;

DWORD ZipResult(DWORD code)
{
    ZipLastError = code;
    return code;
}

namespace {

// A file opened by name, read through the layer's file functions.
class ZipFileSource : public ZipSource {
public:
    explicit ZipFileSource(HANDLE file) : m_file(file) {}
    ~ZipFileSource() override { ::CloseHandle(m_file); }
    int64_t Tell() override
    {
        LARGE_INTEGER zero{}, at{};
        if (!::SetFilePointerEx(m_file, zero, &at, FILE_CURRENT))
            return -1;
        return at.QuadPart - m_baseOffset;
    }
    int Seek(int64_t offset, int origin) override
    {
        LARGE_INTEGER distance{};
        distance.QuadPart = origin == 0 ? offset + m_baseOffset : offset;
        DWORD method = origin == 0 ? FILE_BEGIN : origin == 1 ? FILE_CURRENT : FILE_END;
        return ::SetFilePointerEx(m_file, distance, nullptr, method) ? 0 : -1;
    }
    int64_t Read(void* buffer, size_t n) override
    {
        DWORD got = 0;
        if (n > 0x7fffffff)
            n = 0x7fffffff;
        if (!::ReadFile(m_file, buffer, DWORD(n), &got, nullptr))
            return -1;
        return got;
    }
    int64_t Size() override
    {
        LARGE_INTEGER size{};
        return ::GetFileSizeEx(m_file, &size) ? size.QuadPart : -1;
    }

private:
    HANDLE m_file;
};

struct ZipReader {
    std::unique_ptr<ZipArchive> archive;
    int memoryIndex = -1;   // the entry being extracted into memory
    int cachedIndex = -1;
    ZipItemInfo cached{};
    // The current folder when the archive was opened, with its separator: file extraction writes under it.
    CString baseFolder;
};

} // namespace

struct ZipReaderRecord : ZipHandleRecord {
    ZipReader* reader = nullptr;
};

namespace {

DWORD Result(DWORD code) { return ZipResult(code); }

DWORD AttributesOf(uint32_t a)
{
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    if (a & 0x40000000 || a & 0x10)
        attributes = FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_DIRECTORY;
    if (a & 0x20)
        attributes |= FILE_ATTRIBUTE_ARCHIVE;
    if (a & 0x2)
        attributes |= FILE_ATTRIBUTE_HIDDEN;
    // Unix systems say "writable" by the owner's write bit; DOS ones by the read-only bit alone.
    bool ownerWrites = a & 0x00800000;
    if (!(ownerWrites && !(a & 0x1)))
        attributes |= FILE_ATTRIBUTE_READONLY;
    if (a & 0x4)
        attributes |= FILE_ATTRIBUTE_SYSTEM;
    return attributes;
}

FILETIME UnixToFileTime(uint32_t t)
{
    time_t value = time_t(t);
    struct tm utc {};
    FILETIME ft{};
    if (!gmtime_r(&value, &utc))
        return ft;
    SYSTEMTIME st{};
    st.wYear = WORD(utc.tm_year + 1900);
    st.wMonth = WORD(utc.tm_mon + 1);
    st.wDayOfWeek = WORD(utc.tm_wday);
    st.wDay = WORD(utc.tm_mday);
    st.wHour = WORD(utc.tm_hour);
    st.wMinute = WORD(utc.tm_min);
    st.wSecond = WORD(utc.tm_sec);
    ::SystemTimeToFileTime(&st, &ft);
    return ft;
}

// Builds the current entry's record (name, attributes, times, sizes).
DWORD BuildRecord(ZipReader& r, int index, ZipItemInfo& info)
{
    ZipArchive& archive = *r.archive;
    if (archive.GoTo(uint32_t(index)) != ZIP_OK)
        return ZIPR_CORRUPT;
    std::vector<uint8_t> extra;
    int s = archive.ReadLocalExtra(extra);
    if (s == ZIP_BAD_ARCHIVE || s == ZIP_PARAM_ERROR)
        return ZIPR_CORRUPT;
    if (s != ZIP_OK)
        return ZIPR_READ;
    const ZipCentralHeader& h = archive.Header();
    std::memset(&info, 0, sizeof info);
    info.index = index;
    info.attributes = AttributesOf(h.externalAttributes);
    // A DOS date-time is the local time of the machine that wrote it: kept as the moment it names,
    // so it reads back unchanged wherever it is shown in local time, as the "UT" times do.
    FILETIME moment{};
    DosDateTimeToMoment(WORD(h.dosDateTime >> 16), WORD(h.dosDateTime & 0xffff), &moment);
    info.accessTime = info.creationTime = info.modificationTime = moment;
    ZipUnixTimes unix = ParseExtendedTimestamp(extra.data(), extra.size());
    if (unix.present & 1)
        info.modificationTime = UnixToFileTime(unix.modification);
    if (unix.present & 2)
        info.accessTime = UnixToFileTime(unix.access);
    if (unix.present & 4)
        info.creationTime = UnixToFileTime(unix.creation);
    info.compressedSize = int(h.compressedSize);
    info.uncompressedSize = int(h.uncompressedSize);
    // Names are kept as 259 bytes at most; general-purpose bit 11 marks them UTF-8, else they are
    // in the program's code page.
    std::string name = archive.Name().substr(0, 259);
    UINT codePage = h.flags & 0x800 ? CP_UTF8 : CP_ACP;
    ::MultiByteToWideChar(codePage, 0, name.data(), int(name.size()), info.name, 259);
    return ZIPR_OK;
}

ZipReader* ReaderOf(ZipHandle handle, DWORD* error)
{
    if (!handle) {
        *error = ZIPR_ARGS;
        return nullptr;
    }
    if (handle->kind != kZipReaderKind) {
        *error = ZIPR_WRONG_KIND;
        return nullptr;
    }
    return static_cast<ZipReaderRecord*>(handle)->reader;
}

void EndMemoryExtraction(ZipReader& r)
{
    if (r.memoryIndex != -1) {
        r.archive->CloseEntry();
        r.memoryIndex = -1;
    }
}

} // namespace

ZipHandle ZipOpenArchive(const void* source, DWORD length, DWORD kind)
{
    std::unique_ptr<ZipSource> src;
    switch (kind) {
    case ZIP_HANDLE:
        // The layer cannot duplicate handles, and the program opens archives by name or memory.
        Result(ZIPR_NO_DUPLICATE);
        return nullptr;
    case ZIP_FILENAME: {
        if (!source) {
            Result(ZIPR_NO_FILE);
            return nullptr;
        }
        HANDLE file = ::CreateFileW(static_cast<LPCWSTR>(source), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            Result(ZIPR_NO_FILE);
            return nullptr;
        }
        src = std::make_unique<ZipFileSource>(file);
        break;
    }
    case ZIP_MEMORY:
        if (!source && length) {
            Result(ZIPR_ARGS);
            return nullptr;
        }
        src = std::make_unique<ZipMemorySource>(source, length);
        break;
    default:
        Result(ZIPR_ARGS);
        return nullptr;
    }
    int status = ZIP_OK;
    std::unique_ptr<ZipArchive> archive = ZipArchive::Open(std::move(src), &status);
    // Data that holds no archive gives no handle, so callers can tell a zip from other files.
    if (!archive) {
        Result(ZIPR_CORRUPT);
        return nullptr;
    }
    auto* reader = new ZipReader;
    reader->archive = std::move(archive);
    WCHAR folder[MAX_PATH] = {};
    if (::GetCurrentDirectoryW(MAX_PATH, folder))
        reader->baseFolder = CString(folder) + u"\\";
    auto* handle = new ZipReaderRecord;
    handle->kind = kZipReaderKind;
    handle->reader = reader;
    Result(ZIPR_OK);
    return handle;
}

DWORD ZipGetEntry(ZipHandle handle, int index, ZipItemInfo* info)
{
    DWORD error = ZIPR_OK;
    ZipReader* r = ReaderOf(handle, &error);
    if (!r)
        return Result(error);
    if (!info || index < -1 || (index >= 0 && uint32_t(index) >= r->archive->EntryCount()))
        return Result(ZIPR_ARGS);
    EndMemoryExtraction(*r);
    if (index == -1) {
        std::memset(info, 0, sizeof *info);
        info->index = int(r->archive->EntryCount());
        return Result(ZIPR_OK);
    }
    if (index == r->cachedIndex) {
        *info = r->cached;
        return Result(ZIPR_OK);
    }
    DWORD result = BuildRecord(*r, index, r->cached);
    if (result != ZIPR_OK) {
        // A failing entry hands out nothing of another one.
        r->cachedIndex = -1;
        std::memset(info, 0, sizeof *info);
        info->index = index;
        return Result(result);
    }
    r->cachedIndex = index;
    *info = r->cached;
    return Result(ZIPR_OK);
}

namespace {

bool IsSeparator(WCHAR c) { return c == u'/' || c == u'\\'; }

// A name that would lead out of the folder it is extracted into: an absolute path, a drive letter or a
// ".." step anywhere in it. Archives come from damaged disks, so their names are not trusted.
bool LeavesFolder(const CString& name)
{
    if (name.IsEmpty())
        return true;
    if (IsSeparator(name[0]) || (name.GetLength() > 1 && name[1] == u':'))
        return true;
    int start = 0;
    for (int i = 0; i <= name.GetLength(); ++i) {
        if (i == name.GetLength() || IsSeparator(name[i])) {
            if (name.Mid(start, i - start) == u"..")
                return true;
            start = i + 1;
        }
    }
    return false;
}

int LastSeparator(const CString& path)
{
    return std::max(path.ReverseFind(u'/'), path.ReverseFind(u'\\'));
}

// Writes the open entry into the file, piece by piece; false when a read or a write failed or the
// bytes do not match their CRC.
bool CopyEntry(ZipArchive& archive, HANDLE file)
{
    std::vector<char> piece(16384);
    bool ok = true;
    for (;;) {
        int64_t got = archive.ReadEntry(piece.data(), piece.size());
        if (got < 0)
            ok = false;
        if (got <= 0)
            break;
        DWORD written = 0;
        if (!::WriteFile(file, piece.data(), DWORD(got), &written, nullptr) || written != DWORD(got)) {
            ok = false;
            break;
        }
    }
    return archive.CloseEntry() == ZIP_OK && ok;
}

// Extraction into a file: the file kinds (an open handle, a file name under the base folder).
DWORD ExtractToFile(ZipReader& r, int index, void* target, DWORD kind)
{
    EndMemoryExtraction(r);
    if (index < 0 || uint32_t(index) >= r.archive->EntryCount() || !target)
        return ZIPR_ARGS;
    ZipItemInfo info{};
    if (DWORD result = BuildRecord(r, index, info); result != ZIPR_OK)
        return result;
    r.cachedIndex = index;
    r.cached = info;

    if (info.attributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (kind == ZIP_HANDLE)
            return ZIPR_OK;
        CString folder(info.name);
        while (!folder.IsEmpty() && IsSeparator(folder[folder.GetLength() - 1]))
            folder.Truncate(folder.GetLength() - 1);
        if (LeavesFolder(folder))
            return ZIPR_NO_FILE;
        CreateFolderChain(r.baseFolder, folder);
        return ZIPR_OK;
    }

    HANDLE file = static_cast<HANDLE>(target);
    if (kind == ZIP_FILENAME) {
        CString name(static_cast<LPCWSTR>(target));
        if (LeavesFolder(name))
            return ZIPR_NO_FILE;
        int separator = LastSeparator(name);
        if (separator > 0)
            CreateFolderChain(r.baseFolder, name.Left(separator));
        // The target names a file under the base folder (relative names are taken from there, not from
        // wherever the current folder has moved since the archive was opened).
        CString path = r.baseFolder + name;
        DWORD flags = info.attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                         FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NORMAL);
        file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, flags, nullptr);
    }
    if (file == INVALID_HANDLE_VALUE || !file)
        return ZIPR_NO_FILE;

    ZipArchive& archive = *r.archive;
    bool ok = archive.GoTo(uint32_t(index)) == ZIP_OK && archive.OpenEntry() == ZIP_OK && CopyEntry(archive, file);
    if (ok && ::GetFileType(file) == FILE_TYPE_DISK)
        ::SetFileTime(file, &info.creationTime, &info.accessTime, &info.modificationTime);
    if (kind == ZIP_FILENAME)
        ::CloseHandle(file);
    return ok ? ZIPR_OK : ZIPR_WRITE;
}

} // namespace

void CreateFolderChain(LPCWSTR base, LPCWSTR path)
{
    CString chain(path);
    int separator = LastSeparator(chain);
    if (separator > 0)
        CreateFolderChain(base, chain.Left(separator));
    ::CreateDirectoryW(CString(base) + chain, nullptr);
}

DWORD ZipExtractEntry(ZipHandle handle, int index, void* target, DWORD length, DWORD kind)
{
    DWORD error = ZIPR_OK;
    ZipReader* r = ReaderOf(handle, &error);
    if (!r)
        return Result(error);
    if (kind == ZIP_HANDLE || kind == ZIP_FILENAME)
        return Result(ExtractToFile(*r, index, target, kind));
    if (kind != ZIP_MEMORY || (!target && length))
        return Result(ZIPR_ARGS);
    ZipArchive& archive = *r->archive;
    if (index != r->memoryIndex) {
        EndMemoryExtraction(*r);
        if (index < 0 || uint32_t(index) >= archive.EntryCount())
            return Result(ZIPR_ARGS);
        if (archive.GoTo(uint32_t(index)) != ZIP_OK || archive.OpenEntry() != ZIP_OK)
            return Result(ZIPR_CORRUPT);
        r->memoryIndex = index;
    }
    int64_t got = archive.ReadEntry(target, length);
    if (got > 0)
        return Result(ZIPR_MORE);
    int closed = archive.CloseEntry();
    r->memoryIndex = -1;
    // A member whose bytes do not match their CRC is as damaged as one that does not inflate.
    if (got < 0 || closed == ZIP_CRC_ERROR)
        return Result(ZIPR_INFLATE);
    return Result(ZIPR_OK);
}

DWORD ZipCloseArchive(ZipHandle handle)
{
    DWORD error = ZIPR_OK;
    ZipReader* r = ReaderOf(handle, &error);
    if (!r)
        return Result(error);
    delete r;
    delete static_cast<ZipReaderRecord*>(handle);
    return Result(ZIPR_OK);
}

bool ZipIsReader(ZipHandle handle)
{
    return !handle || handle->kind == kZipReaderKind;
}
