// FAT boot-sector checks and the FAT layout of the partition under analysis.
#pragma once

#include "win32/types.h"

// The FAT values a boot sector gives, once its fields passed the checks.
struct FatBootValues {
    DWORD SectorsPerCluster;
    DWORD ReservedSectors;
    DWORD RootEntries; // FAT16
    DWORD FatSize;
    DWORD RootCluster; // FAT32
    DWORD TotalSectors; // of the volume, which may end before its partition
};

// Takes the FAT values of a boot sector of the given kind (100 or 200). False when the sector lacks
// 55 AA or holds values no FAT volume can have: sectors per cluster not a power of two up to 128,
// no reserved sector, an empty FAT, or other than two FATs.
bool ParseFatBootSector(const BYTE* sector, WORD kind, FatBootValues* values);

// Checks the boot sector of the partition in PartitionParams and fills its layout. FsType takes
// PartitionFsType; a logical volume starts at sector 0. A FAT volume's end sector (the first sector
// past it) takes the boot sector's sector count. 1 when recognised (or the kind is none of 100, 200,
// 300), 0 when not.
int ReadBootParameters();

// Finds the FAT layout from the data area alone when the boot sector is lost. 1 on success; 0 when
// no layout was found or the scan was stopped (ScanStopFlag 1, ScanRunning 0).
int ComputeFatParameters();

// One directory start seen by the sweep: its sector and the cluster of its "." entry.
struct FatDirSighting {
    ULONGLONG Sector;
    ULONGLONG Cluster;
};
// The layout two sightings imply, when they agree on a plausible one (pure, for the sweep and tests).
struct FatLayoutGuess {
    DWORD SectorsPerCluster;
    ULONGLONG DataOrigin;
    ULONGLONG FatSize;
};
bool GuessFatLayout(WORD kind, ULONGLONG start, ULONGLONG sectorCount, ULONGLONG reserved,
                    const FatDirSighting& first, const FatDirSighting& second, FatLayoutGuess* guess);
// True when a sector begins with the "." and ".." entries of a directory; cluster from the "." entry.
bool IsFatDirectoryStart(const BYTE* sector, WORD kind, DWORD* cluster);
