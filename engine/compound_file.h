// A small reader of compound (structured-storage) files held in memory, enough to tell Office documents apart.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Reads streams of a compound file from a buffer that may hold only its beginning: whatever lies beyond the buffer,
// loops in a sector chain or points outside the file makes a read fail instead of going astray.
class CompoundFile {
public:
    CompoundFile(const uint8_t* data, size_t size);

    // The header is a compound file's and its geometry is one the reader knows (512- or 4096-byte sectors).
    bool IsValid() const { return valid_; }

    // The whole stream of that name (compared without regard to ASCII case) directly below the root storage.
    bool ReadRootStream(std::u16string_view name, std::vector<uint8_t>& out) const;

private:
    struct DirEntry {
        std::u16string name;
        uint8_t type = 0;
        uint32_t left = 0, right = 0, child = 0;
        uint32_t start = 0;
        uint64_t size = 0;
    };

    bool ReadChain(const std::vector<uint32_t>& table, uint32_t start, size_t unitSize, const uint8_t* base,
                   size_t baseSize, uint64_t wanted, std::vector<uint8_t>& out) const;
    bool ReadRegular(uint32_t start, uint64_t wanted, std::vector<uint8_t>& out) const;
    bool ReadEntry(uint32_t index, DirEntry& entry) const;
    void LoadFat();

    const uint8_t* data_;
    size_t size_;
    bool valid_ = false;
    uint32_t sectorSize_ = 512;
    uint32_t miniSectorSize_ = 64;
    uint32_t miniCutoff_ = 4096;
    uint64_t sectorsInBuffer_ = 0;
    std::vector<uint32_t> fat_;        // entries for the sectors inside the buffer; unknown ones are free
    std::vector<uint8_t> directory_;   // the directory stream as far as its chain could be read
};

// The AppName of the document's SummaryInformation property set (8-bit text), or an empty text when the buffer holds
// no compound file, no such stream or no such property.
std::string ReadSummaryAppName(const uint8_t* data, size_t size);

// ".ppt", ".xls" or ".doc" when the AppName names PowerPoint, Excel or Word (tried in that order), else ".pub".
const char16_t* OfficeExtensionForAppName(const std::string& appName);
