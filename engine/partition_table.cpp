// Reading the MBR and its extended chain, and the sweep for lost FAT and NTFS partitions.
#include "engine/partition_table.h"

#include "engine/drive_identify.h"
#include "engine/engine_state.h"
#include "engine/scan_control.h"
#include "engine/sector_reader.h"
#include "engine/ui_port.h"

#include <cstring>
#include <set>
#include <string>

DWORD PartitionSearchChoice = 0;

namespace {

// A chain longer than this is damaged or hostile; real disks hold far fewer logical drives.
constexpr int kMaxExtendedRecords = 128;
constexpr ULONGLONG kMiBSectors = 2048;

DWORD Le32(const BYTE* p) { return DWORD(p[0]) | DWORD(p[1]) << 8 | DWORD(p[2]) << 16 | DWORD(p[3]) << 24; }
WORD Le16(const BYTE* p) { return WORD(p[0] | p[1] << 8); }
bool HasSignature(const BYTE* s) { return s[510] == 0x55 && s[511] == 0xAA; }
bool IsExtendedType(BYTE type) { return type == 5 || type == 15; }

bool ReadOneSector(ULONGLONG sector, BYTE* buffer)
{
    std::memset(buffer, 0, SECTOR_SIZE);
    return ReadSectors(SelectedDevicePath(), sector, 1, buffer) == 1;
}

// The kind of the partition starting at the given sector: its boot sector first, then the type byte.
WORD Classify(ULONGLONG firstSector, BYTE type, bool logical)
{
    BYTE boot[SECTOR_SIZE];
    ReadOneSector(firstSector, boot);
    if (std::memcmp(boot + 0x52, "FAT32", 5) == 0)
        return FS_KIND_FAT32;
    if (std::memcmp(boot + 0x36, "FAT16", 5) == 0)
        return FS_KIND_FAT16;
    if (std::memcmp(boot + 3, "NTFS", 4) == 0)
        return FS_KIND_NTFS;
    switch (type) {
    case 1:
        return logical ? FS_KIND_FAT16 : 0;
    case 4: case 6: case 14:
        return FS_KIND_FAT16;
    case 11: case 12:
        return FS_KIND_FAT32;
    case 7:
        return FS_KIND_NTFS;
    default:
        return 0;
    }
}

// Entries that reached past the disk's end since the last report: their part past it cannot be read.
DWORD g_pastEnd = 0;

// The first sector past the selected disk; all of 32 bits when the disk does not tell its length.
ULONGLONG DiskEnd()
{
    const ULONGLONG sectors = SelectedDeviceSectors();
    return sectors ? sectors : ~0ULL;
}

bool AppendEntry(ULONGLONG start, DWORD count, WORD kind)
{
    if (PartitionCount >= DWORD(kMaxFoundPartitions) || start > 0xFFFFFFFFull)
        return false;
    // An entry is kept only as far as the disk reaches, so no scan of it reads sectors that are not there.
    const ULONGLONG end = DiskEnd();
    if (start + count > end) {
        ++g_pastEnd;
        if (start >= end)
            return false;
        count = DWORD(end - start);
    }
    FoundPartitionEntry& e = FoundPartitionTable[PartitionCount++];
    e = {};
    e.StartSector = DWORD(start);
    e.SectorCount = count;
    e.Kind = kind;
    return true;
}

// Tells the user once about the entries that reached past the disk's end.
void ReportPastEnd()
{
    if (g_pastEnd == 0)
        return;
    const std::string count = std::to_string(g_pastEnd);
    const std::u16string text = u"有 " + std::u16string(count.begin(), count.end()) +
                                u" 个分区超出了磁盘的末尾（磁盘可能不完整或分区表已损坏）。超出末尾的部分无法读取，扫描只读到磁盘末尾为止。";
    g_pastEnd = 0;
    EngineUi().ShowMessage(text.c_str(), ENGINE_MSG_INFO);
}

std::u16string PartitionLabel(DWORD index)
{
    std::string s = "Partition " + std::to_string(index);
    return std::u16string(s.begin(), s.end());
}

// Walks the extended boot records. Each one must carry 55 AA, lie inside the extended partition and
// not have been visited before, so a chain that links to itself or back ends instead of looping.
void WalkExtendedChain(ULONGLONG base, ULONGLONG extendedSize)
{
    std::set<ULONGLONG> visited;
    ULONGLONG link = 0;
    BYTE record[SECTOR_SIZE];
    for (int round = 0; round < kMaxExtendedRecords && PartitionCount < DWORD(kMaxFoundPartitions); ++round) {
        const ULONGLONG ebr = base + link;
        if (!visited.insert(ebr).second || (extendedSize && link >= extendedSize) || ebr >= DiskEnd())
            return;
        if (!ReadOneSector(ebr, record) || !HasSignature(record))
            return;
        bool haveLink = false;
        for (int i = 0; i < 2; ++i) {
            const BYTE* entry = record + 0x1BE + 16 * i;
            const BYTE type = entry[4];
            if (type == 0)
                continue;
            const DWORD first = Le32(entry + 8);
            if (IsExtendedType(type)) {
                link = first;
                haveLink = true;
                continue;
            }
            const ULONGLONG start = ULONGLONG(first) + ebr;
            if (start >= DiskEnd()) {
                ++g_pastEnd;
                continue;
            }
            if (const WORD kind = Classify(start, type, true))
                AppendEntry(start, Le32(entry + 12), kind);
        }
        if (!haveLink)
            return;
    }
}

} // namespace

void ReadPartitionTable(DWORD bootSector)
{
    PartitionSearchChoice = 0;
    OpenPhysicalDrive();
    PartitionCount = 0;
    g_pastEnd = 0;
    std::memset(FoundPartitionTable, 0, sizeof FoundPartitionTable);

    BYTE mbr[SECTOR_SIZE];
    if (!ReadOneSector(bootSector, mbr) || !HasSignature(mbr))
        return;
    ULONGLONG extendedBase = 0, extendedSize = 0;
    bool haveExtended = false;
    for (int i = 0; i < 4; ++i) {
        const BYTE* entry = mbr + 0x1BE + 16 * i;
        const BYTE type = entry[4];
        if (type == 0)
            continue;
        const DWORD first = Le32(entry + 8);
        if (IsExtendedType(type)) {
            if (!haveExtended) {
                haveExtended = true;
                extendedBase = first;
                extendedSize = Le32(entry + 12);
            }
            continue;
        }
        if (first >= DiskEnd()) {
            ++g_pastEnd; // nothing of it is on the disk to classify
            continue;
        }
        if (const WORD kind = Classify(first, type, false))
            AppendEntry(first, Le32(entry + 12), kind);
    }
    if (haveExtended && extendedBase != 0)
        WalkExtendedChain(extendedBase, extendedSize);
    ReportPastEnd();
}

WORD ProbeBootSector(const BYTE* s, DWORD* sectorCount)
{
    if (!HasSignature(s))
        return 0;
    // A volume under 32 MiB keeps its size in the 16-bit field and leaves the 32-bit one 0.
    const DWORD fatTotal = Le16(s + 0x13) ? Le16(s + 0x13) : Le32(s + 0x20);
    if (s[0x55] == '3' && s[0x56] == '2') {
        *sectorCount = fatTotal;
        return FS_KIND_FAT32;
    }
    if (s[0x39] == '1' && s[0x3A] == '6') {
        *sectorCount = fatTotal;
        return FS_KIND_FAT16;
    }
    if (std::memcmp(s + 3, "NTFS", 4) == 0) {
        *sectorCount = Le32(s + 0x28);
        return FS_KIND_NTFS;
    }
    return 0;
}

void SearchLostPartitions()
{
    IEngineUi& ui = EngineUi();
    if (PartitionCount == 0)
        PartitionSearchChoice = 1;
    else
        PartitionSearchChoice = ui.AskPartitionSearch() ? 1 : 0;
    if (PartitionSearchChoice == 1)
        ui.SetStatusText(ENGINE_STATUS_MAIN, u"正在搜索分区，请稍候...");

    ULONGLONG cylinders = 0, heads = 0, sectorsPerTrack = 0, diskSectors = 0;
    if (DriveNumber < 10) {
        const DetectedDisk& d = DetectedDisks[DriveNumber];
        cylinders = d.Cylinders;
        heads = d.TracksPerCylinder;
        sectorsPerTrack = d.SectorsPerTrack;
        diskSectors = d.LengthSectors;
    }
    if (sectorsPerTrack != 63) {
        cylinders = sectorsPerTrack * heads * cylinders / 16065;
        heads = 255;
        sectorsPerTrack = 63;
    }
    // The disk's own length bounds the sweep: a geometry that claims more cylinders than the disk holds would
    // only have the sectors past its end retried in vain.
    if (const ULONGLONG device = SelectedDeviceSectors())
        diskSectors = device;
    if (diskSectors == 0)
        diskSectors = cylinders * heads * sectorsPerTrack;
    const ULONGLONG cylinderSectors = heads * sectorsPerTrack;
    if (cylinderSectors && cylinders > (diskSectors + cylinderSectors - 1) / cylinderSectors)
        cylinders = (diskSectors + cylinderSectors - 1) / cylinderSectors;
    g_pastEnd = 0;

    for (DWORD i = 0; i < PartitionCount; ++i)
        ui.AddDriveItem(PartitionLabel(i).c_str(), i);
    ui.ExpandDriveRoot();

    BYTE sector[SECTOR_SIZE];
    // True when a known or found partition covers the sector, so the extra 1 MiB probes skip it.
    auto insideKnown = [](ULONGLONG s) {
        for (DWORD i = 0; i < PartitionCount; ++i) {
            const FoundPartitionEntry& e = FoundPartitionTable[i];
            if (s >= e.StartSector && s < ULONGLONG(e.StartSector) + e.SectorCount)
                return true;
        }
        return false;
    };
    auto alreadyListed = [](ULONGLONG start) {
        for (DWORD i = 0; i < PartitionCount; ++i)
            if (FoundPartitionTable[i].StartSector == start)
                return true;
        return false;
    };
    // Probes one sector; true when the table is full.
    auto probe = [&](ULONGLONG at) {
        if (!ReadOneSector(at, sector))
            return false;
        DWORD count = 0;
        const WORD kind = ProbeBootSector(sector, &count);
        if (!kind || alreadyListed(at))
            return false;
        if (AppendEntry(at, count, kind))
            ui.AddDriveItem(PartitionLabel(PartitionCount - 1).c_str(), PartitionCount - 1);
        return PartitionCount >= DWORD(kMaxFoundPartitions);
    };

    for (ULONGLONG c = 0; c < cylinders && PartitionCount < DWORD(kMaxFoundPartitions); ++c) {
        if (ScanPollPoint())
            break;
        ULONGLONG percent = c * 100 / cylinders;
        ui.SetProgress(UINT(percent > 99 ? 99 : percent));
        if (PartitionSearchChoice != 1)
            continue;
        const ULONGLONG first = c * cylinderSectors;
        if (first + sectorsPerTrack >= diskSectors || !ReadOneSector(first + sectorsPerTrack, sector) ||
            !HasSignature(sector)) {
            if (probe(first))
                break;
        } else if (probe(first + sectorsPerTrack)) {
            break;
        }
        // Partitions of today's tools start on 1 MiB boundaries, which cylinder starts rarely meet.
        const ULONGLONG end = first + cylinderSectors;
        bool full = false;
        for (ULONGLONG m = (first + kMiBSectors - 1) / kMiBSectors * kMiBSectors; m < end && m < diskSectors; m += kMiBSectors) {
            if (m == first || m == first + sectorsPerTrack || insideKnown(m))
                continue;
            if ((full = probe(m)))
                break;
        }
        if (full)
            break;
    }
    ui.ExpandDriveRoot();
    ReportPastEnd();
}

bool SelectPartitionEntry(int index, PartitionInfoValues* values)
{
    if (index < 0 || DWORD(index) >= PartitionCount || index >= kMaxFoundPartitions)
        return false;
    const FoundPartitionEntry& e = FoundPartitionTable[index];
    const ULONGLONG last = e.SectorCount ? ULONGLONG(e.StartSector) + e.SectorCount - 1 : e.StartSector;
    PartitionParams.PartitionFsType = e.Kind;
    PartitionParams.StartSector = e.StartSector;
    PartitionParams.SectorCount = e.SectorCount;
    PartitionParams.LogicalDriveIndex = WORD(index);
    PartitionParams.BackupSector = DWORD(last > 0xFFFFFFFFULL ? 0xFFFFFFFFULL : last);
    values->Kind = e.Kind;
    values->Start = e.StartSector;
    values->End = PartitionParams.BackupSector;
    values->SizeMiB = e.SectorCount / 2048;
    return true;
}
