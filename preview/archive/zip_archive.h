// The zip format's inner reader: end record, central directory walk, local-header check and entry
// streams over a byte source. It stands on no window or file service, so a fuzzer can drive it
// alone; zip_reader.cpp puts the handle API and the file sources on top of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Status codes of the inner reader.
enum ZipStatus {
    ZIP_OK = 0,
    ZIP_ERRNO = -1,
    ZIP_END_OF_LIST = -100,
    ZIP_PARAM_ERROR = -102,
    ZIP_BAD_ARCHIVE = -103,
    ZIP_INTERNAL_ERROR = -104,
    ZIP_CRC_ERROR = -105,
};

// Where the archive's bytes come from. Seek origins are those of the C runtime (0 start, 1 current,
// 2 end); Seek returns 0 on success.
class ZipSource {
public:
    virtual ~ZipSource() = default;
    virtual int64_t Tell() = 0;
    virtual int Seek(int64_t offset, int origin) = 0;
    // Reads up to n bytes; fewer at the end of the data, -1 when the read itself failed.
    virtual int64_t Read(void* buffer, size_t n) = 0;
    virtual int64_t Size() = 0;
    // Where the archive may begin: the position of a handle when the source was made.
    int64_t m_baseOffset = 0;
};

// A memory block the caller keeps alive while the source lives.
class ZipMemorySource : public ZipSource {
public:
    ZipMemorySource(const void* data, size_t length) : m_data(static_cast<const uint8_t*>(data)), m_length(length) {}
    int64_t Tell() override { return int64_t(m_position); }
    int Seek(int64_t offset, int origin) override;
    int64_t Read(void* buffer, size_t n) override;
    int64_t Size() override { return int64_t(m_length); }

private:
    const uint8_t* m_data;
    size_t m_length;
    size_t m_position = 0;
};

// The current entry's central-header fields, in file order.
struct ZipCentralHeader {
    uint32_t versionMadeBy = 0, versionNeeded = 0, flags = 0, method = 0;
    uint32_t dosDateTime = 0; // time in the low 16 bits, date in the high 16 bits
    uint32_t crc = 0, compressedSize = 0, uncompressedSize = 0;
    uint32_t nameLength = 0, extraLength = 0, commentLength = 0, diskStart = 0, internalAttributes = 0;
    uint32_t externalAttributes = 0, localHeaderOffset = 0;
};

struct ZipItemStream;

// One opened archive.
class ZipArchive {
public:
    ~ZipArchive();

    // Finds the end record and the first entry; null with the status when there is no archive.
    static std::unique_ptr<ZipArchive> Open(std::unique_ptr<ZipSource> source, int* status);

    uint32_t EntryCount() const { return m_entryCount; }
    uint32_t CurrentEntry() const { return m_currentEntry; }
    const ZipCentralHeader& Header() const { return m_header; }
    // The current entry's name as stored (narrow; bit 11 of its flags marks UTF-8).
    const std::string& Name() const { return m_name; }

    int GoToFirst();
    int GoToNext();
    int GoTo(uint32_t index);

    // Checks the current entry's local header against the central one; gives where its local
    // extra field lies (absolute positions in the source).
    int CheckLocalHeader(uint64_t* extraPosition, uint32_t* extraLength, uint64_t* dataPosition);
    // Reads the current entry's local extra field whole.
    int ReadLocalExtra(std::vector<uint8_t>& extra);

    // Entry streams: one open at a time.
    int OpenEntry();
    // Bytes delivered (at most n), 0 at the entry's end, or a negative status.
    int64_t ReadEntry(void* buffer, size_t n);
    int CloseEntry();
    bool IsEntryOpen() const { return m_stream != nullptr; }

private:
    ZipArchive() = default;
    int ReadCentralHeader();
    int ReadAt(uint64_t position, void* buffer, size_t n, int64_t* got);

    std::unique_ptr<ZipSource> m_source;
    uint32_t m_entryCount = 0;
    uint32_t m_commentSize = 0;
    uint64_t m_bytesBefore = 0;
    uint32_t m_currentEntry = 0;
    uint64_t m_directoryPosition = 0; // of the current central header, from the directory start
    bool m_currentValid = false;
    uint32_t m_directoryOffset = 0, m_directorySize = 0;
    uint64_t m_endRecordPosition = 0;
    ZipCentralHeader m_header;
    std::string m_name;
    ZipItemStream* m_stream = nullptr;
};

// The times of an extended-timestamp ("UT") block of an extra field: which are present (bit 0
// modification, bit 1 access, bit 2 creation) and their Unix times. Only times that lie wholly
// inside both the block and the field are taken.
struct ZipUnixTimes {
    unsigned present = 0;
    uint32_t modification = 0, access = 0, creation = 0;
};
ZipUnixTimes ParseExtendedTimestamp(const uint8_t* extra, size_t length);
