// The headers of a RAR or cabinet archive, read through libarchive for the stand-ins of the RAR and
// cabinet libraries: names, kinds, sizes, times and DOS attributes, never the data.
#pragma once

#include "win32/win32.h"

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

struct ArchiveHeader {
    std::u16string name;
    bool directory = false;
    bool encrypted = false;
    uint64_t size = 0;
    time_t modified = 0;
    bool hasTime = false;
    // DOS attribute bits, as far as the archive's reader tells them.
    DWORD attributes = 0;
};

class ArchiveHeaderReader {
public:
    enum Format { kRar, kCabinet };
    // Reads from a file (UTF-8 path) or through the caller's read and seek functions.
    using ReadFn = std::function<int64_t(void* buffer, size_t n)>;
    using SeekFn = std::function<int64_t(int64_t offset, int whence)>;

    explicit ArchiveHeaderReader(Format format);
    ~ArchiveHeaderReader();
    ArchiveHeaderReader(const ArchiveHeaderReader&) = delete;
    ArchiveHeaderReader& operator=(const ArchiveHeaderReader&) = delete;

    // False when the file cannot be opened (*missing set) or is no archive of the format.
    bool OpenFile(const std::string& utf8Path, bool* missing);
    bool OpenCallbacks(ReadFn read, SeekFn seek);
    // 1 a header was read, 0 the end of the archive, -1 damaged data.
    int Next(ArchiveHeader& header);

    struct Impl;

private:
    std::unique_ptr<Impl> m;
};
