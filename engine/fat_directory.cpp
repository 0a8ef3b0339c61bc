// FAT directory entries: 8.3 and long names, and the parse of directory sectors into folder and file records.
#include "engine/fat_directory.h"

#include "engine/engine_state.h"
#include "engine/ui_port.h"
#include "win32/text.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr BYTE kDeletedMark = 0xE5;
constexpr BYTE kEscapedE5 = 0x05;
// Case bits of a short entry that Windows writes for an 8.3 name in one case per part.
constexpr BYTE kLowerBaseFlag = 0x08;
constexpr BYTE kLowerExtFlag = 0x10;
constexpr BYTE kLongNameAttr = 0x0F;
constexpr BYTE kVolumeLabelAttr = 0x08;
constexpr BYTE kDirectoryAttr = 0x10;
constexpr int kEntrySize = 32;
constexpr UINT kOemCodePage = 936;
constexpr int kEntriesPerSector = SECTOR_SIZE / kEntrySize;

WORD Le16(const BYTE* p) { return WORD(p[0] | (p[1] << 8)); }
DWORD Le32(const BYTE* p) { return DWORD(p[0]) | (DWORD(p[1]) << 8) | (DWORD(p[2]) << 16) | (DWORD(p[3]) << 24); }

bool IsLongNameEntry(const BYTE* e) { return e[11] == kLongNameAttr; }

// The 13 characters of a long-name entry, in name order.
void LongNameChars(const BYTE* e, WCHAR* out)
{
    static const int offsets[13] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
    for (int i = 0; i < 13; ++i)
        out[i] = WCHAR(Le16(e + offsets[i]));
}

// Copies gathered characters up to the first 0x0000, at most 255; false for an empty name.
bool FinishName(const WCHAR* chars, int count, WCHAR* out)
{
    int n = 0;
    while (n < count && n < kFatLongNameChars - 1 && chars[n] != 0)
        ++n;
    if (n == 0)
        return false;
    std::memcpy(out, chars, size_t(n) * sizeof(WCHAR));
    out[n] = 0;
    return true;
}

// Short names are in the program's OEM code page (936): each byte was widened on its own before, so
// a Chinese name turned into Latin-1 noise. Bytes that do not decode get the layer's substitution.
int DecodeOem(const BYTE* bytes, int count, WCHAR* out)
{
    if (count <= 0)
        return 0;
    // Most names are ASCII, which the code page leaves as it is; the scan meets every entry of a volume.
    int ascii = 0;
    while (ascii < count && bytes[ascii] < 0x80)
        ++ascii;
    if (ascii == count) {
        for (int i = 0; i < count; ++i)
            out[i] = WCHAR(bytes[i]);
        return count;
    }
    return MultiByteToWideChar(kOemCodePage, 0, reinterpret_cast<LPCSTR>(bytes), count, out, count);
}

bool DecodesWhole(const BYTE* bytes, int count)
{
    WCHAR scratch[8];
    return count > 0 &&
           MultiByteToWideChar(kOemCodePage, MB_ERR_INVALID_CHARS, reinterpret_cast<LPCSTR>(bytes), count, scratch, 8) > 0;
}

void LowerAscii(WCHAR* text, int count)
{
    for (int i = 0; i < count; ++i)
        if (text[i] >= u'A' && text[i] <= u'Z')
            text[i] = WCHAR(text[i] + (u'a' - u'A'));
}

void ToWideDecimal(ULONGLONG value, WCHAR* out)
{
    char digits[24];
    int n = 0;
    do {
        digits[n++] = char('0' + value % 10);
        value /= 10;
    } while (value);
    for (int i = 0; i < n; ++i)
        out[i] = WCHAR(digits[n - 1 - i]);
    out[n] = 0;
}

DWORD EntryCluster(const BYTE* e)
{
    DWORD c = Le16(e + 26);
    if (PartitionParams.FsType == FS_KIND_FAT32)
        c |= DWORD(Le16(e + 20)) << 16;
    return c;
}

void ShowProgress(const WCHAR* name)
{
    const DWORD spc = PartitionParams.SectorsPerCluster;
    const ULONGLONG clusters = spc ? PartitionParams.SectorCount / spc : 0;
    if (clusters) {
        ULONGLONG percent = ULONGLONG(DirEntryVisitCount) * 100 / clusters;
        EngineUi().SetProgress(UINT(percent > 99 ? 99 : percent));
    }
    EngineUi().SetStatusText(ENGINE_STATUS_NAME, name);
}

// Parses the entries [from, total) of a contiguous run of directory entries.
void ParseEntries(const BYTE* stream, int total, int from, DWORD parentId, int* endFlag,
                  DWORD parentDeleted, bool extraction)
{
    WCHAR name[kFatLongNameChars];
    for (int i = from; i < total; ++i) {
        const BYTE* e = stream + size_t(i) * kEntrySize;
        DWORD deleted = parentDeleted ? 1 : 0;
        if (e[0] == 0) {
            *endFlag = 1;
            return;
        }
        if (IsLongNameEntry(e))
            continue;
        const DWORD cluster = EntryCluster(e);
        const DWORD size = Le32(e + 28);
        // An empty file owns no cluster yet is a file to list and recreate; anything else without a
        // cluster (the volume label, ".." of a root child, a torn folder entry) holds nothing to recover.
        const bool emptyFile = size == 0 && (e[11] & (kDirectoryAttr | kVolumeLabelAttr)) == 0;
        if (cluster == 0 && !emptyFile)
            continue;
        if (BuildShortName(e, name))
            deleted = 1;
        WCHAR longName[kFatLongNameChars];
        if (ReadLongFileName(stream, i, longName))
            std::memcpy(name, longName, sizeof(longName));
        if (!IsValidFileName(name))
            continue;
        const WORD writeDate = Le16(e + 24);
        const WORD accessDate = Le16(e + 18);
        FatEntryTimes times;
        times.WriteTime = Le16(e + 22);
        times.CreationDate = Le16(e + 16);
        times.CreationTime = Le16(e + 14);
        times.CreationTenths = e[13];
        const bool isDirectory = (e[11] & kDirectoryAttr) != 0;

        if (extraction) {
            if (isDirectory && size == 0) {
                FatFolderRecord* folder = FindFatFolderByCluster(cluster);
                if (folder && folder->ParentId == parentId) {
                    WCHAR* renamed = DuplicateWideString(name);
                    std::free(folder->Name);
                    folder->Name = renamed;
                    folder->Deleted = deleted;
                }
                continue;
            }
            AddFatEntryRecord(name, cluster, parentId, writeDate, accessDate, size, deleted, times);
            FoundFatSizeSum += size;
            ++FoundFileCount;
            continue;
        }

        if (isDirectory) {
            const DWORD before = FoundFolderCount;
            AddFatFolderRecord(name, cluster, parentId, writeDate, accessDate, 0, deleted);
            if (FoundFolderCount != before && FoundFolderCount % 10 == 0)
                EngineUi().SetCounter(ENGINE_COUNT_FOLDERS, FoundFolderCount);
        } else {
            AddFatEntryRecord(name, cluster, parentId, writeDate, accessDate, size, deleted, times);
            FoundFatSizeSum += size;
            ++FoundFileCount;
            if (FoundFileCount % 10 == 0)
                EngineUi().SetCounter(ENGINE_COUNT_FILES, FoundFileCount);
        }
        ++DirEntryVisitCount;
        ShowProgress(name);
    }
}

// Builds carry + new entries into one stream, parses it, and keeps the trailing long-name entries.
void ParseWithWalk(const BYTE* entries, int count, int firstIndex, DWORD parentId, int* endFlag,
                   DWORD parentDeleted, bool extraction, FatDirWalk* walk)
{
    FatDirWalk none;
    if (!walk)
        walk = &none;
    const int carry = walk->CarryCount;
    std::vector<BYTE> stream(size_t(carry + count) * kEntrySize);
    if (carry)
        std::memcpy(stream.data(), walk->Carry, size_t(carry) * kEntrySize);
    std::memcpy(stream.data() + size_t(carry) * kEntrySize, entries, size_t(count) * kEntrySize);
    const int total = carry + count;
    if (firstIndex < count)
        ParseEntries(stream.data(), total, carry + firstIndex, parentId, endFlag, parentDeleted, extraction);

    int tail = 0;
    while (tail < total && tail < kMaxLongNameEntries && IsLongNameEntry(stream.data() + size_t(total - 1 - tail) * kEntrySize))
        ++tail;
    std::memcpy(walk->Carry, stream.data() + size_t(total - tail) * kEntrySize, size_t(tail) * kEntrySize);
    walk->CarryCount = tail;
}

} // namespace

bool IsDirectoryEntrySector(const BYTE* sector)
{
    static const char kReserved[] = "\"*+,/:;<=>?[\\]|";
    int used = 0;
    for (DWORD at = 0; at < SECTOR_SIZE; at += kEntrySize) {
        const BYTE* e = sector + at;
        if (e[0] == 0)
            break;
        const bool deleted = e[0] == 0xE5;
        if (IsLongNameEntry(e)) {
            // Ordinals 1 to 20, the last one flagged 0x40; no type, no cluster.
            const BYTE ordinal = e[0] & 0x1F;
            if (e[12] != 0 || e[26] != 0 || e[27] != 0 || (!deleted && (ordinal == 0 || ordinal > kMaxLongNameEntries || (e[0] & 0xA0))))
                return false;
            continue;
        }
        if (e[11] & 0xC0 || e[0] == ' ')
            return false;
        for (int k = deleted || e[0] == 0x05 ? 1 : 0; k < 11; ++k)
            if (e[k] < 0x20 || std::strchr(kReserved, e[k]))
                return false;
        ++used;
    }
    return used > 0;
}

int IsValidFileName(const WCHAR* name)
{
    for (; *name; ++name) {
        const WCHAR c = *name;
        if ((c >= 1 && c <= 31) || c == u'"' || c == u'\\' || c == u'/' || c == u'?' || c == u'*' ||
            c == u'<' || c == u'>' || c == u'|')
            return 0;
    }
    return 1;
}

bool BuildShortName(const BYTE* e, WCHAR* out)
{
    const bool deleted = e[0] == kDeletedMark;
    // Blanks are dropped wherever they stand; no byte of a double-byte character is a blank.
    BYTE base[8], ext[3];
    int baseCount = 0, extCount = 0;
    for (int i = 0; i < 8; ++i)
        if (e[i] != ' ')
            base[baseCount++] = e[i];
    for (int i = 8; i < 11; ++i)
        if (e[i] != ' ')
            ext[extCount++] = e[i];
    // A live name whose first byte really is 0xE5 (a lead byte of the code page) is stored as 0x05.
    if (!deleted && baseCount > 0 && base[0] == kEscapedE5)
        base[0] = kDeletedMark;

    int n = 0;
    if (deleted && baseCount > 0) {
        // Deleting overwrote the first byte. When it was a lead byte, its trail byte is left behind:
        // the whole first character is what was lost, so the rest decodes from the byte after it.
        out[n++] = u'x';
        const bool trailLeft = !DecodesWhole(base + 1, baseCount - 1) &&
                               (baseCount == 2 || DecodesWhole(base + 2, baseCount - 2));
        const int from = trailLeft ? 2 : 1;
        n += DecodeOem(base + from, baseCount - from, out + n);
    } else {
        n += DecodeOem(base, baseCount, out + n);
    }
    if (e[12] & kLowerBaseFlag)
        LowerAscii(out, n);
    if (extCount > 0) {
        out[n++] = u'.';
        const int at = n;
        n += DecodeOem(ext, extCount, out + n);
        if (e[12] & kLowerExtFlag)
            LowerAscii(out + at, n - at);
    }
    out[n] = 0;
    return deleted;
}

BYTE ShortNameChecksum(const BYTE* e)
{
    BYTE sum = 0;
    for (int i = 0; i < 11; ++i)
        sum = BYTE(((sum & 1) << 7) + (sum >> 1) + e[i]);
    return sum;
}

bool ReadLongFileName(const BYTE* entries, int index, WCHAR* out)
{
    const BYTE* shortEntry = entries + size_t(index) * kEntrySize;
    WCHAR chars[kMaxLongNameEntries * 13];
    int gathered = 0;

    if (shortEntry[0] == kDeletedMark) {
        // Deleting overwrote the ordinals: take the run of deleted long-name entries right before it.
        for (int k = 1; k <= kMaxLongNameEntries && index - k >= 0; ++k) {
            const BYTE* e = entries + size_t(index - k) * kEntrySize;
            if (!IsLongNameEntry(e) || e[0] != kDeletedMark)
                break;
            LongNameChars(e, chars + gathered);
            gathered += 13;
        }
        return gathered > 0 && FinishName(chars, gathered, out);
    }

    // A live name counts only when its entries are whole and belong to this short entry.
    const BYTE checksum = ShortNameChecksum(shortEntry);
    for (int k = 1; k <= kMaxLongNameEntries && index - k >= 0; ++k) {
        const BYTE* e = entries + size_t(index - k) * kEntrySize;
        if (!IsLongNameEntry(e) || e[0] == kDeletedMark || (e[0] & 0x3F) != k || e[13] != checksum)
            return false;
        LongNameChars(e, chars + gathered);
        gathered += 13;
        if (e[0] & 0x40)
            return FinishName(chars, gathered, out);
    }
    return false;
}

bool ReadLongFileName(const BYTE* sector, WCHAR* out, int shortOffset)
{
    if (shortOffset < 0 || shortOffset >= int(SECTOR_SIZE) || shortOffset % kEntrySize != 0)
        return false;
    return ReadLongFileName(sector, shortOffset / kEntrySize, out);
}

void ParseFatDirectory(const BYTE* sector, DWORD parentId, int* endFlag, DWORD sectorNumber,
                       DWORD parentDeleted, int firstIndex, FatDirWalk* walk)
{
    WCHAR text[24];
    ToWideDecimal(sectorNumber, text);
    EngineUi().SetStatusText(ENGINE_STATUS_SECTOR, text);
    ParseWithWalk(sector, kEntriesPerSector, firstIndex < 0 ? 0 : firstIndex, parentId, endFlag,
                  parentDeleted, false, walk);
}

void ParseFatDirectorySectors(const BYTE* buffer, DWORD parentId, int* endFlag, DWORD, DWORD sectorCount,
                              DWORD parentDeleted, int firstIndex, FatDirWalk* walk)
{
    // Sector by sector through one walk, so long names still cross the boundaries between them.
    FatDirWalk local;
    if (!walk)
        walk = &local;
    for (DWORD s = 0; s < sectorCount && !*endFlag; ++s)
        ParseWithWalk(buffer + size_t(s) * SECTOR_SIZE, kEntriesPerSector, s == 0 ? (firstIndex < 0 ? 0 : firstIndex) : 0,
                      parentId, endFlag, parentDeleted, true, walk);
}
