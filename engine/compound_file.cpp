// The compound-file reader (header, FAT, mini stream, directory) and the SummaryInformation AppName lookup.
#include "engine/compound_file.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr uint8_t kCompoundSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFreeSector = 0xFFFFFFFF;
constexpr uint32_t kNoStream = 0xFFFFFFFF;
constexpr size_t kDirEntrySize = 128;
constexpr uint64_t kWholeChain = std::numeric_limits<uint64_t>::max();

// FMTID_SummaryInformation {F29F85E0-4FF9-1068-AB91-08002B27B3D9} as stored.
constexpr uint8_t kSummaryInformationId[16] = {0xE0, 0x85, 0x9F, 0xF2, 0xF9, 0x4F, 0x68, 0x10,
                                               0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9};
constexpr uint32_t kPidAppName = 18;
constexpr uint16_t kVtLpstr = 30;
constexpr uint16_t kVtLpwstr = 31;

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint64_t U64(const uint8_t* p) { return U32(p) | static_cast<uint64_t>(U32(p + 4)) << 32; }

char16_t AsciiUpper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

bool SameName(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i]))
            return false;
    return true;
}

std::vector<uint32_t> ToEntries(const std::vector<uint8_t>& bytes)
{
    std::vector<uint32_t> entries(bytes.size() / 4);
    for (size_t i = 0; i < entries.size(); ++i)
        entries[i] = U32(bytes.data() + 4 * i);
    return entries;
}

} // namespace

CompoundFile::CompoundFile(const uint8_t* data, size_t size) : data_(data), size_(size)
{
    if (!data || size < 512 || std::memcmp(data, kCompoundSignature, sizeof kCompoundSignature) != 0)
        return;
    if (U16(data + 0x1C) != 0xFFFE)
        return;
    uint16_t sectorShift = U16(data + 0x1E);
    uint16_t miniShift = U16(data + 0x20);
    if ((sectorShift != 9 && sectorShift != 12) || miniShift != 6)
        return;
    sectorSize_ = 1u << sectorShift;
    miniSectorSize_ = 1u << miniShift;
    miniCutoff_ = U32(data + 0x38);
    sectorsInBuffer_ = size > sectorSize_ ? (size - sectorSize_) / sectorSize_ : 0;
    LoadFat();
    ReadRegular(U32(data + 0x30), kWholeChain, directory_);
    if (directory_.size() < kDirEntrySize)
        return;
    DirEntry root;
    valid_ = ReadEntry(0, root) && root.type == 5;
}

void CompoundFile::LoadFat()
{
    const uint32_t perSector = sectorSize_ / 4;
    fat_.assign(sectorsInBuffer_, kFreeSector);
    // Only the FAT sectors that describe sectors inside the buffer matter; the rest of the file is not here.
    const uint64_t needed = (sectorsInBuffer_ + perSector - 1) / perSector;
    const uint32_t fatCount = U32(data_ + 0x2C);
    std::vector<uint32_t> fatSectors;
    for (uint32_t i = 0; i < 109 && i < fatCount && fatSectors.size() < needed; ++i)
        fatSectors.push_back(U32(data_ + 0x4C + 4 * i));

    uint32_t difat = U32(data_ + 0x44);
    std::vector<bool> seen(sectorsInBuffer_, false);
    while (fatSectors.size() < needed && fatSectors.size() < fatCount && difat < sectorsInBuffer_ && !seen[difat]) {
        seen[difat] = true;
        const uint8_t* sector = data_ + (static_cast<uint64_t>(difat) + 1) * sectorSize_;
        for (uint32_t i = 0; i + 1 < perSector && fatSectors.size() < needed && fatSectors.size() < fatCount; ++i)
            fatSectors.push_back(U32(sector + 4 * i));
        difat = U32(sector + sectorSize_ - 4);
    }

    for (size_t i = 0; i < fatSectors.size(); ++i) {
        if (fatSectors[i] >= sectorsInBuffer_)
            continue;
        const uint8_t* sector = data_ + (static_cast<uint64_t>(fatSectors[i]) + 1) * sectorSize_;
        for (uint32_t j = 0; j < perSector; ++j) {
            uint64_t index = static_cast<uint64_t>(i) * perSector + j;
            if (index < fat_.size())
                fat_[index] = U32(sector + 4 * j);
        }
    }
}

bool CompoundFile::ReadChain(const std::vector<uint32_t>& table, uint32_t start, size_t unitSize, const uint8_t* base,
                             size_t baseSize, uint64_t wanted, std::vector<uint8_t>& out) const
{
    out.clear();
    std::vector<bool> seen(table.size(), false);
    uint32_t sector = start;
    while (out.size() < wanted) {
        if (sector == kEndOfChain)
            return wanted == kWholeChain;
        // A number outside the table is a special value, a sector beyond the buffer or plain garbage: all end here.
        if (sector >= table.size() || seen[sector])
            return false;
        uint64_t offset = static_cast<uint64_t>(sector) * unitSize;
        if (offset + unitSize > baseSize)
            return false;
        seen[sector] = true;
        out.insert(out.end(), base + offset, base + offset + unitSize);
        sector = table[sector];
    }
    out.resize(wanted);
    return true;
}

bool CompoundFile::ReadRegular(uint32_t start, uint64_t wanted, std::vector<uint8_t>& out) const
{
    // Regular sector n starts right after the header sector, i.e. at (n + 1) * sector size.
    return ReadChain(fat_, start, sectorSize_, data_ + sectorSize_, size_ - std::min<size_t>(size_, sectorSize_),
                     wanted, out);
}

bool CompoundFile::ReadEntry(uint32_t index, DirEntry& entry) const
{
    if (index >= directory_.size() / kDirEntrySize)
        return false;
    const uint8_t* p = directory_.data() + static_cast<size_t>(index) * kDirEntrySize;
    size_t nameBytes = std::min<size_t>(U16(p + 0x40), 64);
    size_t chars = nameBytes >= 2 ? nameBytes / 2 - 1 : 0;
    entry.name.clear();
    for (size_t i = 0; i < chars; ++i)
        entry.name.push_back(static_cast<char16_t>(U16(p + 2 * i)));
    entry.type = p[0x42];
    entry.left = U32(p + 0x44);
    entry.right = U32(p + 0x48);
    entry.child = U32(p + 0x4C);
    entry.start = U32(p + 0x74);
    entry.size = U64(p + 0x78);
    // Version 3 files leave the high half undefined.
    if (sectorSize_ == 512)
        entry.size &= 0xFFFFFFFFu;
    return true;
}

bool CompoundFile::ReadRootStream(std::u16string_view name, std::vector<uint8_t>& out) const
{
    out.clear();
    DirEntry root;
    if (!valid_ || !ReadEntry(0, root))
        return false;

    const size_t entryCount = directory_.size() / kDirEntrySize;
    std::vector<bool> seen(entryCount, false);
    std::vector<uint32_t> pending{root.child};
    DirEntry found;
    bool haveFound = false;
    while (!pending.empty() && !haveFound) {
        uint32_t index = pending.back();
        pending.pop_back();
        if (index == kNoStream || index >= entryCount || seen[index])
            continue;
        seen[index] = true;
        DirEntry entry;
        ReadEntry(index, entry);
        if (entry.type == 2 && SameName(entry.name, name)) {
            found = entry;
            haveFound = true;
        }
        pending.push_back(entry.left);
        pending.push_back(entry.right);
    }
    if (!haveFound)
        return false;

    if (found.size >= miniCutoff_)
        return ReadRegular(found.start, found.size, out);

    // Small streams live in the mini stream, which is the root entry's own data, addressed through the mini FAT.
    std::vector<uint8_t> miniStream, miniFatBytes;
    ReadRegular(root.start, root.size, miniStream);
    ReadRegular(U32(data_ + 0x3C), kWholeChain, miniFatBytes);
    return ReadChain(ToEntries(miniFatBytes), found.start, miniSectorSize_, miniStream.data(), miniStream.size(),
                     found.size, out);
}

std::string ReadSummaryAppName(const uint8_t* data, size_t size)
{
    CompoundFile file(data, size);
    std::vector<uint8_t> stream;
    if (!file.ReadRootStream(u"\x05SummaryInformation", stream))
        return {};
    const uint8_t* s = stream.data();
    const size_t n = stream.size();
    if (n < 48 || U16(s) != 0xFFFE)
        return {};

    const uint32_t sections = U32(s + 24);
    for (uint64_t i = 0; i < sections && 28 + 20 * (i + 1) <= n; ++i) {
        const uint8_t* header = s + 28 + 20 * i;
        if (std::memcmp(header, kSummaryInformationId, 16) != 0)
            continue;
        const uint64_t section = U32(header + 16);
        if (section + 8 > n)
            return {};
        const uint64_t sectionEnd = std::min<uint64_t>(n, section + U32(s + section));
        const uint32_t count = U32(s + section + 4);
        for (uint64_t j = 0; j < count && section + 8 + 8 * (j + 1) <= sectionEnd; ++j) {
            const uint8_t* pair = s + section + 8 + 8 * j;
            if (U32(pair) != kPidAppName)
                continue;
            const uint64_t value = section + U32(pair + 4);
            if (value + 8 > sectionEnd)
                return {};
            const uint16_t type = U16(s + value);
            const uint64_t length = U32(s + value + 4);
            const uint64_t available = sectionEnd - value - 8;
            std::string text;
            if (type == kVtLpstr && length <= available) {
                text.assign(reinterpret_cast<const char*>(s + value + 8), length);
            } else if (type == kVtLpwstr && length * 2 <= available) {
                for (uint64_t k = 0; k < length; ++k) {
                    char16_t c = static_cast<char16_t>(U16(s + value + 8 + 2 * k));
                    text.push_back(c < 0x80 ? static_cast<char>(c) : '?');
                }
            }
            return text.substr(0, text.find('\0'));
        }
        return {};
    }
    return {};
}

const char16_t* OfficeExtensionForAppName(const std::string& appName)
{
    if (appName.find("PowerPoint") != std::string::npos)
        return u".ppt";
    if (appName.find("Excel") != std::string::npos)
        return u".xls";
    if (appName.find("Word") != std::string::npos)
        return u".doc";
    return u".pub";
}
