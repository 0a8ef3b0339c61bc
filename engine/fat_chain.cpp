// Following cluster chains through FAT16 and FAT32 tables, with range checks and a loop guard.
#include "engine/fat_chain.h"

#include "engine/engine_state.h"
#include "engine/sector_reader.h"

#include <algorithm>
#include <unordered_set>

namespace {

bool IsFat32() { return PartitionParams.FsType == FS_KIND_FAT32; }

// The last FAT sector read, so that a chain walks its table without re-reading each sector.
struct FatSectorCache {
    ULONGLONG sector = ~0ULL;
    BYTE data[SECTOR_SIZE];
};
thread_local FatSectorCache t_cache;

} // namespace

ULONGLONG FatClusterLimit()
{
    const ULONGLONG entriesPerSector = IsFat32() ? 128 : 256;
    // A volume rebuilt without its boot sector has no known FAT size: its area alone bounds it.
    ULONGLONG limit = PartitionParams.FatSize ? ULONGLONG(PartitionParams.FatSize) * entriesPerSector : ~0ULL;
    const ULONGLONG spc = PartitionParams.SectorsPerCluster;
    const ULONGLONG end = VolumeDataEnd();
    if (spc && end > PartitionParams.DataOrigin) {
        const ULONGLONG byArea = (end - PartitionParams.DataOrigin) / spc;
        if (byArea < limit)
            limit = byArea;
    }
    if (IsFat32() && limit > 0x0FFFFFF7ULL)
        limit = 0x0FFFFFF7ULL;
    if (!IsFat32() && limit > 0xFFF7ULL)
        limit = 0xFFF7ULL;
    return limit < 2 ? 2 : limit;
}

bool ReadFatEntry(DWORD cluster, int fatCopy, DWORD* value)
{
    const DWORD fatStart = fatCopy == 2 ? PartitionParams.Fat2Start : PartitionParams.Fat1Start;
    if (fatStart == 0)
        return false;
    const ULONGLONG perSector = IsFat32() ? 128 : 256;
    const ULONGLONG sector = ULONGLONG(fatStart) + cluster / perSector;
    if (t_cache.sector != sector) {
        t_cache.sector = ~0ULL;
        if (ReadSectors(SelectedDevicePath(), sector, 1, t_cache.data) != 1)
            return false;
        t_cache.sector = sector;
    }
    const BYTE* p = t_cache.data + (cluster % perSector) * (IsFat32() ? 4 : 2);
    if (IsFat32())
        *value = (DWORD(p[0]) | (DWORD(p[1]) << 8) | (DWORD(p[2]) << 16) | (DWORD(p[3]) << 24)) & 0x0FFFFFFFu;
    else
        *value = DWORD(p[0]) | (DWORD(p[1]) << 8);
    return true;
}

bool IsFatChainEnd(DWORD value)
{
    return value < 2 || value >= FatClusterLimit();
}

void FollowFatChain(DWORD firstCluster, DWORD maxCount, int fatCopy)
{
    FreeClusterChain();
    t_cache.sector = ~0ULL; // the device or the layout may have changed since the last chain
    AppendClusterNode(firstCluster);
    const DWORD further = maxCount ? maxCount : 1;
    DWORD cluster = firstCluster;
    for (DWORD n = 0; n < further; ++n) {
        if (SaveStopFlag == 1 || SaveSkipFlag == 1)
            return;
        DWORD next;
        if (!ReadFatEntry(cluster, fatCopy, &next) || IsFatChainEnd(next))
            return;
        AppendClusterNode(next);
        cluster = next;
    }
}

void WalkDirectoryChain(DWORD firstCluster, const std::function<bool(DWORD)>& visit)
{
    t_cache.sector = ~0ULL;
    // No directory holds more than 65536 entries (2 MiB), nor more clusters than the volume has; the visited set
    // ends cycles earlier. Clusters are taken only as the directory is read: a chain that runs on past its end (a
    // cross-linked directory, a FAT overwritten with a file's chain) is not walked for every folder that starts on it.
    const ULONGLONG clusterBytes = ULONGLONG(PartitionParams.SectorsPerCluster ? PartitionParams.SectorsPerCluster : 1) *
                                   SECTOR_SIZE;
    const ULONGLONG limit = std::min(FatClusterLimit(), (kMaxDirectoryBytes + clusterBytes - 1) / clusterBytes);
    std::unordered_set<DWORD> visited{firstCluster};
    DWORD cluster = firstCluster;
    if (!visit(cluster))
        return;
    for (ULONGLONG n = 1; n < limit; ++n) {
        DWORD next;
        if (!ReadFatEntry(cluster, 1, &next) || IsFatChainEnd(next) || !visited.insert(next).second || !visit(next))
            return;
        cluster = next;
    }
}

void FollowFatChainShort(DWORD firstCluster)
{
    FreeClusterChain();
    WalkDirectoryChain(firstCluster, [](DWORD cluster) {
        AppendClusterNode(cluster);
        return true;
    });
}
