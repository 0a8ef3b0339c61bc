// Cluster chains through the FAT of the partition under analysis.
#pragma once

#include "win32/types.h"

#include <functional>

// Highest valid cluster number + 1 of the FAT volume in PartitionParams (bounded by the FAT's own
// size when known and by VolumeDataEnd); 2 when the layout is unusable.
ULONGLONG FatClusterLimit();
// The FAT entry of a cluster through FAT copy 1 or 2 (FAT32 entries masked to 28 bits). False when
// the FAT sector could not be read or the copy has no start.
bool ReadFatEntry(DWORD cluster, int fatCopy, DWORD* value);
// True when a FAT entry ends a chain: end marks, free or reserved values, or clusters out of range.
bool IsFatChainEnd(DWORD value);

// Collects the first cluster and at most maxCount further clusters (one when maxCount is 0) into the
// cluster-chain list; stops at the save run's stop or skip flag, an unreadable FAT sector, or the end.
void FollowFatChain(DWORD firstCluster, DWORD maxCount, int fatCopy);
// The largest directory a FAT volume can hold: 65536 entries of 32 bytes.
constexpr ULONGLONG kMaxDirectoryBytes = 65536ULL * 32;
// A directory's chain through the first FAT, cluster by cluster from the first, each handed to `visit` before the
// next is looked up, until `visit` returns false or the chain ends: at its end mark, at a cluster seen before, or
// past kMaxDirectoryBytes.
void WalkDirectoryChain(DWORD firstCluster, const std::function<bool(DWORD)>& visit);
// The same collected into the cluster-chain list.
void FollowFatChainShort(DWORD firstCluster);
