// The zip writer: members deflated (or stored) with their local headers as they are added, then the central
// directory and the end record when the writer is closed.
#include "preview/archive/archive_time.h"
#include "preview/archive/zip_handle.h"

#include "afx/afx.h"

#include <zlib.h>

#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

// Unix modes of the members, so that a reader can tell writable files and folders (made by Unix, version 2.0).
const uint32_t kMadeBy = (3u << 8) | 20;
const uint32_t kFileMode = 0100644, kFolderMode = 040755;
// The largest member and archive the 32-bit records can describe.
const uint64_t kMaxZipSize = 0xFFFFFFFFull;

void Put16(std::string& s, uint32_t v)
{
    s += char(v & 0xff);
    s += char((v >> 8) & 0xff);
}
void Put32(std::string& s, uint32_t v)
{
    Put16(s, v & 0xffff);
    Put16(s, v >> 16);
}

struct ZipWriterEntry {
    std::string name;   // UTF-8
    uint32_t method = 0, dosDateTime = 0, crc = 0, compressedSize = 0, uncompressedSize = 0;
    uint32_t externalAttributes = 0, localHeaderOffset = 0, unixTime = 0;
};

// Where the archive's bytes go: a file, or a memory block that refuses a write reaching its end.
struct ZipWriterRecord : ZipHandleRecord {
    HANDLE file = INVALID_HANDLE_VALUE;
    uint8_t* memory = nullptr;
    uint64_t capacity = 0;
    uint64_t offset = 0;
    DWORD error = ZIPR_OK;   // the first failed write; nothing more is written after it
    bool finished = false;
    std::vector<ZipWriterEntry> entries;

    bool Write(const std::string& bytes)
    {
        if (error != ZIPR_OK)
            return false;
        if (offset + bytes.size() > kMaxZipSize) {
            error = ZIPR_WRITE;
            return false;
        }
        if (memory) {
            if (offset + bytes.size() >= capacity) {
                error = ZIPR_MEMSIZE;
                return false;
            }
            std::memcpy(memory + offset, bytes.data(), bytes.size());
        } else {
            DWORD written = 0;
            if (!::WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) || written != bytes.size()) {
                error = ZIPR_WRITE;
                return false;
            }
        }
        offset += bytes.size();
        return true;
    }
};

// The fields the local and the central header share, in their order: version needed, flags (bit 11: UTF-8
// names), method, DOS time, CRC, sizes and the name's length.
void PutSharedFields(std::string& header, const ZipWriterEntry& e)
{
    Put16(header, 20);
    Put16(header, 0x800);
    Put16(header, e.method);
    Put32(header, e.dosDateTime);
    Put32(header, e.crc);
    Put32(header, e.compressedSize);
    Put32(header, e.uncompressedSize);
    Put16(header, uint32_t(e.name.size()));
}

ZipWriterRecord* WriterOf(ZipHandle handle, DWORD* error)
{
    if (!handle) {
        *error = ZIPR_ARGS;
        return nullptr;
    }
    if (handle->kind != kZipWriterKind) {
        *error = ZIPR_WRONG_KIND;
        return nullptr;
    }
    return static_cast<ZipWriterRecord*>(handle);
}

// The "UT" block of the local header: the modification time, which DOS times hold only to two seconds and
// in local time.
std::string ExtendedTimestamp(uint32_t unixTime)
{
    std::string extra;
    Put16(extra, 0x5455);
    Put16(extra, 5);
    extra += char(1);
    Put32(extra, unixTime);
    return extra;
}

std::string Deflated(const std::string& data, bool* ok)
{
    z_stream zs{};
    *ok = false;
    if (deflateInit2(&zs, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return std::string();
    std::string out(deflateBound(&zs, uLong(data.size())), '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    zs.avail_in = uInt(data.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = uInt(out.size());
    *ok = deflate(&zs, Z_FINISH) == Z_STREAM_END;
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

uint32_t UnixTimeOf(const FILETIME& ft)
{
    uint64_t ticks = (uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    const uint64_t kEpoch = 116444736000000000ull;
    return ticks <= kEpoch ? 0 : uint32_t(std::min<uint64_t>((ticks - kEpoch) / 10000000ull, 0xFFFFFFFFull));
}

// Reads a whole file; false when it cannot be read or is too large for a member.
bool ReadWholeFile(LPCWSTR path, std::string& bytes, FILETIME* modified)
{
    HANDLE file = ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size{};
    bool ok = ::GetFileSizeEx(file, &size) && uint64_t(size.QuadPart) < kMaxZipSize &&
              ::GetFileTime(file, nullptr, nullptr, modified);
    if (ok) {
        bytes.resize(size_t(size.QuadPart));
        DWORD got = 0;
        ok = bytes.empty() || (::ReadFile(file, bytes.data(), DWORD(bytes.size()), &got, nullptr) && got == bytes.size());
    }
    ::CloseHandle(file);
    return ok;
}

} // namespace

ZipHandle ZipCreateArchive(const void* target, DWORD length, DWORD kind)
{
    auto* writer = new ZipWriterRecord;
    writer->kind = kZipWriterKind;
    switch (kind) {
    case ZIP_HANDLE:
        delete writer;
        ZipResult(ZIPR_NO_DUPLICATE);
        return nullptr;
    case ZIP_FILENAME:
        if (target)
            writer->file = ::CreateFileW(static_cast<LPCWSTR>(target), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr);
        if (writer->file == INVALID_HANDLE_VALUE) {
            delete writer;
            ZipResult(ZIPR_NO_FILE);
            return nullptr;
        }
        break;
    case ZIP_MEMORY:
        if (!target) {
            delete writer;
            ZipResult(ZIPR_ARGS);
            return nullptr;
        }
        writer->memory = static_cast<uint8_t*>(const_cast<void*>(target));
        writer->capacity = length;
        break;
    default:
        delete writer;
        ZipResult(ZIPR_ARGS);
        return nullptr;
    }
    ZipResult(ZIPR_OK);
    return writer;
}

DWORD ZipAddEntry(ZipHandle handle, LPCWSTR name, const void* source, DWORD length, DWORD kind)
{
    DWORD error = ZIPR_OK;
    ZipWriterRecord* w = WriterOf(handle, &error);
    if (!w)
        return ZipResult(error);
    if (w->finished || !name || !*name || (kind != ZIP_FILENAME && kind != ZIP_MEMORY) || (!source && length) ||
        (kind == ZIP_FILENAME && !source))
        return ZipResult(ZIPR_ARGS);

    ZipWriterEntry entry;
    std::string data;
    FILETIME modified{};
    bool folder = false;
    if (kind == ZIP_FILENAME) {
        DWORD attributes = ::GetFileAttributesW(static_cast<LPCWSTR>(source));
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return ZipResult(ZIPR_NO_FILE);
        folder = attributes & FILE_ATTRIBUTE_DIRECTORY;
        if (folder) {
            HANDLE h = ::CreateFileW(static_cast<LPCWSTR>(source), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
            if (h != INVALID_HANDLE_VALUE) {
                ::GetFileTime(h, nullptr, nullptr, &modified);
                ::CloseHandle(h);
            }
        } else if (!ReadWholeFile(static_cast<LPCWSTR>(source), data, &modified)) {
            return ZipResult(ZIPR_NO_FILE);
        }
        entry.unixTime = UnixTimeOf(modified);
        entry.externalAttributes = attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                                 FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY |
                                                 FILE_ATTRIBUTE_ARCHIVE);
    } else {
        data.assign(static_cast<const char*>(source), length);
        entry.unixTime = uint32_t(time(nullptr));
        entry.externalAttributes = FILE_ATTRIBUTE_ARCHIVE;
    }
    uint32_t mode = folder ? kFolderMode : kFileMode;
    if (entry.externalAttributes & FILE_ATTRIBUTE_READONLY)
        mode &= ~0222u;
    entry.externalAttributes |= mode << 16;
    entry.dosDateTime = DosDateTimeOf(time_t(entry.unixTime));

    // Names are stored with "/" between their folders, in UTF-8 (flag bit 11), a folder's with its own "/".
    CString stored(name);
    stored.Replace(u'\\', u'/');
    if (folder && stored[stored.GetLength() - 1] != u'/')
        stored += u'/';
    int bytes = ::WideCharToMultiByte(CP_UTF8, 0, stored, stored.GetLength(), nullptr, 0, nullptr, nullptr);
    entry.name.resize(size_t(bytes));
    ::WideCharToMultiByte(CP_UTF8, 0, stored, stored.GetLength(), entry.name.data(), bytes, nullptr, nullptr);
    if (entry.name.size() > 0xFFFF)
        return ZipResult(ZIPR_ARGS);

    entry.crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(data.data()), uInt(data.size())));
    entry.uncompressedSize = uint32_t(data.size());
    bool deflated = false;
    std::string packed = data.empty() ? std::string() : Deflated(data, &deflated);
    if (deflated && packed.size() < data.size()) {
        entry.method = 8;
        data.swap(packed);
    }
    entry.compressedSize = uint32_t(data.size());
    entry.localHeaderOffset = uint32_t(w->offset);

    std::string extra = ExtendedTimestamp(entry.unixTime);
    std::string local;
    Put32(local, 0x04034b50);
    PutSharedFields(local, entry);
    Put16(local, uint32_t(extra.size()));
    local += entry.name;
    local += extra;
    if (!w->Write(local) || !w->Write(data))
        return ZipResult(w->error);
    w->entries.push_back(std::move(entry));
    return ZipResult(ZIPR_OK);
}

DWORD ZipCloseWriter(ZipHandle handle, DWORD* written)
{
    DWORD error = ZIPR_OK;
    ZipWriterRecord* w = WriterOf(handle, &error);
    if (!w)
        return ZipResult(error);
    if (!w->finished) {
        const uint64_t start = w->offset;
        for (const ZipWriterEntry& e : w->entries) {
            std::string central;
            Put32(central, 0x02014b50);
            Put16(central, kMadeBy);
            PutSharedFields(central, e);
            Put16(central, 0);   // extra field
            Put16(central, 0);   // comment
            Put16(central, 0);   // starting disk
            Put16(central, 0);   // internal attributes
            Put32(central, e.externalAttributes);
            Put32(central, e.localHeaderOffset);
            central += e.name;
            if (!w->Write(central))
                break;
        }
        // The 16-bit entry counts cannot say more; such an archive is not finished rather than misread.
        if (w->entries.size() > 0xFFFF && w->error == ZIPR_OK)
            w->error = ZIPR_WRITE;
        if (w->error == ZIPR_OK) {
            std::string end;
            Put32(end, 0x06054b50);
            Put16(end, 0);
            Put16(end, 0);
            Put16(end, uint32_t(w->entries.size()));
            Put16(end, uint32_t(w->entries.size()));
            Put32(end, uint32_t(w->offset - start));
            Put32(end, uint32_t(start));
            Put16(end, 0);
            w->Write(end);
        }
        w->finished = true;
    }
    if (w->file != INVALID_HANDLE_VALUE)
        ::CloseHandle(w->file);
    if (written)
        *written = DWORD(w->offset);
    DWORD result = w->error;
    delete w;
    return ZipResult(result);
}
