// FAT16 and FAT32 boot-sector checks, and the layout computed from the data area when the boot sector is lost.
#include "engine/fat_boot.h"

#include "engine/engine_state.h"
#include "engine/ntfs_record.h"
#include "engine/scan_control.h"
#include "engine/sector_reader.h"
#include "engine/ui_port.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

WORD Le16(const BYTE* p) { return WORD(p[0] | (p[1] << 8)); }
DWORD Le32(const BYTE* p) { return DWORD(p[0]) | (DWORD(p[1]) << 8) | (DWORD(p[2]) << 16) | (DWORD(p[3]) << 24); }

bool HasBootSignature(const BYTE* sector) { return sector[510] == 0x55 && sector[511] == 0xAA; }

bool IsClusterSizePower(DWORD spc)
{
    return spc >= 1 && spc <= 128 && (spc & (spc - 1)) == 0;
}

bool FitsDword(LONGLONG v) { return v >= 0 && v <= 0xFFFFFFFFLL; }

// Reads one sector; false when it could not be read whole.
bool ReadOne(ULONGLONG sector, BYTE* buffer)
{
    return ReadSectors(SelectedDevicePath(), sector, 1, buffer) == 1;
}

// The first sector of the second FAT must begin with the media byte.
bool SecondFatPresent(ULONGLONG start, const FatBootValues& v)
{
    BYTE sector[SECTOR_SIZE];
    return ReadOne(start + v.ReservedSectors + ULONGLONG(v.FatSize), sector) && sector[0] == 0xF8;
}

bool StoreFatLayout(WORD kind, ULONGLONG start, const FatBootValues& v)
{
    LONGLONG fat1 = LONGLONG(start) + v.ReservedSectors;
    LONGLONG fat2 = fat1 + v.FatSize;
    LONGLONG root = 0, rootSectors = 0, origin = 0;
    if (kind == FS_KIND_FAT32) {
        root = v.RootCluster;
        origin = fat2 + v.FatSize - 2LL * v.SectorsPerCluster;
    } else {
        root = fat2 + v.FatSize;
        rootSectors = v.RootEntries / 16;
        origin = root + rootSectors - 2LL * v.SectorsPerCluster;
    }
    if (!FitsDword(fat2 + v.FatSize) || !FitsDword(root) || !FitsDword(origin))
        return false;
    PartitionParams.FatSize = v.FatSize;
    PartitionParams.SectorsPerCluster = v.SectorsPerCluster;
    PartitionParams.RootDirSectors = DWORD(rootSectors);
    PartitionParams.Root = DWORD(root);
    PartitionParams.ReservedSectors = v.ReservedSectors;
    PartitionParams.DataOrigin = DWORD(origin);
    PartitionParams.Fat1Start = DWORD(fat1);
    PartitionParams.Fat2Start = DWORD(fat2);
    // Clusters past the file system's own end are not its own, even where its partition goes on.
    const ULONGLONG end = start + v.TotalSectors;
    PartitionParams.VolumeEndSector = v.TotalSectors && end <= 0xFFFFFFFFULL ? DWORD(end) : 0;
    return true;
}

int ReadFatBoot(WORD kind)
{
    const ULONGLONG start = PartitionParams.StartSector;
    BYTE primary[SECTOR_SIZE];
    BYTE backup[SECTOR_SIZE];
    bool primaryOk = ReadOne(start, primary) && HasBootSignature(primary);
    // FAT32 keeps a copy of its boot sector six sectors in; FAT16 has none.
    bool backupOk = kind == FS_KIND_FAT32 && ReadOne(start + 6, backup) && HasBootSignature(backup);
    const BYTE* candidates[2] = {primaryOk ? primary : nullptr, backupOk ? backup : nullptr};
    for (const BYTE* sector : candidates) {
        FatBootValues v;
        if (sector && ParseFatBootSector(sector, kind, &v) && SecondFatPresent(start, v) &&
            StoreFatLayout(kind, start, v))
            return 1;
    }
    return 0;
}

} // namespace

bool ParseFatBootSector(const BYTE* s, WORD kind, FatBootValues* v)
{
    if (!HasBootSignature(s))
        return false;
    v->SectorsPerCluster = s[0x0D];
    v->ReservedSectors = Le16(s + 0x0E);
    v->RootEntries = Le16(s + 0x11);
    v->FatSize = kind == FS_KIND_FAT32 ? Le32(s + 0x24) : Le16(s + 0x16);
    v->RootCluster = kind == FS_KIND_FAT32 ? Le32(s + 0x2C) : 0;
    v->TotalSectors = Le16(s + 0x13) ? Le16(s + 0x13) : Le32(s + 0x20);
    // The layout below assumes two FATs; any other value means this is not the sector we look for.
    return IsClusterSizePower(v->SectorsPerCluster) && v->ReservedSectors >= 1 && v->FatSize >= 1 &&
           s[0x10] == 2;
}

int ReadBootParameters()
{
    PartitionParams.FsType = PartitionParams.PartitionFsType;
    if (DriveKind == 2)
        PartitionParams.StartSector = 0;
    switch (PartitionParams.FsType) {
    case FS_KIND_FAT16:
    case FS_KIND_FAT32:
        return ReadFatBoot(PartitionParams.FsType);
    case FS_KIND_NTFS:
        return ReadNtfsBootParameters();
    default:
        return 1;
    }
}

bool IsFatDirectoryStart(const BYTE* s, WORD kind, DWORD* cluster)
{
    static const BYTE dot[11] = {'.', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
    static const BYTE dotdot[11] = {'.', '.', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
    if (std::memcmp(s, dot, 11) != 0 || std::memcmp(s + 32, dotdot, 11) != 0)
        return false;
    DWORD c = Le16(s + 26);
    if (kind == FS_KIND_FAT32)
        c |= DWORD(Le16(s + 20)) << 16;
    *cluster = c;
    return true;
}

bool GuessFatLayout(WORD kind, ULONGLONG start, ULONGLONG sectorCount, ULONGLONG reserved,
                    const FatDirSighting& first, const FatDirSighting& second, FatLayoutGuess* guess)
{
    const LONGLONG s1 = LONGLONG(first.Sector), c1 = LONGLONG(first.Cluster);
    const LONGLONG s2 = LONGLONG(second.Sector), c2 = LONGLONG(second.Cluster);
    if (c2 == c1 || !(c2 < s1 && c2 < s2))
        return false;
    const LONGLONG ds = s2 - s1, dc = c2 - c1;
    if (ds % dc != 0)
        return false;
    const LONGLONG k = ds / dc;
    if (k < 1 || k > 128 || (k & (k - 1)) != 0)
        return false;
    const LONGLONG origin = s1 - k * c1;
    if (origin != s2 - k * c2)
        return false;
    const LONGLONG rootSectors = kind == FS_KIND_FAT16 ? 32 : 0;
    const LONGLONG fatBase = LONGLONG(start) + LONGLONG(reserved);
    // Stray "." sectors can imply a data area before the FATs or FATs of negative size.
    if (origin < fatBase)
        return false;
    const LONGLONG both = s1 - (c1 - 2) * k - fatBase - rootSectors;
    if (both <= 0 || both % 2 != 0)
        return false;
    const LONGLONG fatSize = both / 2;
    const LONGLONG entryBytes = kind == FS_KIND_FAT32 ? 4 : 2;
    // The FAT must hold an entry for both clusters seen ...
    const LONGLONG entries = fatSize * SECTOR_SIZE / entryBytes;
    if (entries <= c1 || entries <= c2)
        return false;
    // ... and not be far larger than the partition's clusters need.
    if (sectorCount) {
        const LONGLONG end = LONGLONG(start + sectorCount);
        const LONGLONG clusters = end > origin + 2 * k ? (end - origin - 2 * k) / k : 0;
        const LONGLONG needed = ((clusters + 2) * entryBytes + SECTOR_SIZE - 1) / SECTOR_SIZE;
        if (fatSize > 2 * needed + 16)
            return false;
    }
    if (!FitsDword(origin) || !FitsDword(fatBase + 2 * fatSize + rootSectors))
        return false;
    guess->SectorsPerCluster = DWORD(k);
    guess->DataOrigin = ULONGLONG(origin);
    guess->FatSize = ULONGLONG(fatSize);
    return true;
}

int ComputeFatParameters()
{
    const WORD kind = PartitionParams.FsType == FS_KIND_FAT32 ? FS_KIND_FAT32 : FS_KIND_FAT16;
    const ULONGLONG start = PartitionParams.StartSector;
    const ULONGLONG count = PartitionParams.SectorCount;
    // The sweep stops at the device's end whatever the partition claims: past it there is nothing to read. The
    // layout is still judged against the partition's own size, which its FATs were made for.
    ULONGLONG reach = count;
    if (const ULONGLONG device = SelectedDeviceSectors())
        reach = start >= device ? 0 : std::min(count, device - start);
    const char* path = SelectedDevicePath();
    EngineUi().SetStatusText(ENGINE_STATUS_MAIN, u"分区参数计算，请稍候");

    auto fail = [] {
        ScanStopFlag = 1;
        ScanRunning = 0;
        ScanRunningTwin = 0;
        return 0;
    };

    // Reserved sectors: the first FAT begins F8 FF.
    ULONGLONG reserved = kind == FS_KIND_FAT32 ? 32 : 1;
    const ULONGLONG probeFrom = kind == FS_KIND_FAT32 ? 30 : 0;
    const ULONGLONG probeTo = kind == FS_KIND_FAT32 ? 59 : 9;
    for (ULONGLONG i = probeFrom; i <= probeTo; ++i) {
        BYTE s[SECTOR_SIZE];
        if (ReadSectors(path, start + i, 1, s) == 1 && s[0] == 0xF8 && s[1] == 0xFF) {
            reserved = i;
            break;
        }
    }

    const DWORD run = SectorsPerRead ? (SectorsPerRead < 256 ? SectorsPerRead : 256) : 60;
    std::vector<BYTE> buffer(size_t(run) * SECTOR_SIZE);
    SectorReadOutcome outcome;
    const DWORD endValue = kind == FS_KIND_FAT32 ? 0xFFFFFFFFu : 0xFFFFu;
    bool haveFirst = false;
    FatDirSighting first{};
    ULONGLONG plainSectors = 0;

    for (ULONGLONG done = 0; done < reach;) {
        if (ScanPollPoint())
            return fail();
        const DWORD n = DWORD(reach - done < run ? reach - done : run);
        ReadSectors(path, start + done, n, buffer.data(), &outcome);
        for (DWORD i = 0; i < n; ++i) {
            if (outcome.IsUnread(i))
                continue;
            const BYTE* s = buffer.data() + size_t(i) * SECTOR_SIZE;
            DWORD cluster = 0;
            if (IsFatDirectoryStart(s, kind, &cluster)) {
                FatDirSighting seen{start + done + i, cluster};
                if (!haveFirst) {
                    if (cluster > 1 && cluster < endValue) {
                        first = seen;
                        haveFirst = true;
                    }
                } else if (cluster != endValue && cluster != first.Cluster) {
                    FatLayoutGuess g;
                    if (GuessFatLayout(kind, start, count, reserved, first, seen, &g)) {
                        PartitionParams.ReservedSectors = DWORD(reserved);
                        PartitionParams.SectorsPerCluster = g.SectorsPerCluster;
                        PartitionParams.DataOrigin = DWORD(g.DataOrigin);
                        PartitionParams.FatSize = DWORD(g.FatSize);
                        PartitionParams.Fat1Start = DWORD(start + reserved);
                        PartitionParams.Fat2Start = DWORD(start + reserved + g.FatSize);
                        if (kind == FS_KIND_FAT16) {
                            PartitionParams.Root = DWORD(start + reserved + 2 * g.FatSize);
                            PartitionParams.RootDirSectors = 32;
                        } else {
                            PartitionParams.Root = 2;
                            PartitionParams.RootDirSectors = 0;
                        }
                        return 1;
                    }
                }
            } else if (++plainSectors % 500 == 0) {
                ULONGLONG percent = (done + i) * 100 / reach;
                EngineUi().SetProgress(UINT(percent > 99 ? 99 : percent));
            }
        }
        done += n;
    }
    return fail();
}
