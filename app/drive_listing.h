// The disks and volumes the drive page offers: the detected disks, and the lettered volumes with their kind.
#pragma once

#include "win32/types.h"

class CDriveTreeCtrl;

// The recovery settings back to their defaults, the drive identification, and one tree item per detected disk.
void ListHardDisks(CDriveTreeCtrl& tree);
// Fills LogicalDriveTable (and the kind and size of the matching FoundPartitionTable entries) from the lettered
// volumes, with one tree item per volume.
void ListLogicalDrives(CDriveTreeCtrl& tree);

// The kind of a volume by its boot sector: 300 NTFS, 200 FAT32 or 100 FAT16 with a sound parameter block, else 400.
WORD ClassifyVolumeBoot(const BYTE* boot);
// Sector 0 of the volume at a device path ("\\.\C:"); false when the volume cannot be opened.
BOOL OpenVolumeAndReadBoot(LPCWSTR devicePath, BYTE* buffer);

constexpr WORD FS_KIND_UNKNOWN = 400;
