// The disk's partition table and the search for partitions the table no longer lists.
#pragma once

#include "win32/types.h"

// 1: sweep the disk for partitions; 0: keep the table as read.
extern DWORD PartitionSearchChoice;

// Opens the selected disk into PhysicalDriveHandle and fills FoundPartitionTable from the boot
// record at the given sector: its primary entries, then the chain of extended boot records.
void ReadPartitionTable(DWORD bootSector);

// The lost-partition search worker's body: lists the known entries in the drive tree, then probes
// every cylinder start (and every 1 MiB boundary outside known partitions) for FAT and NTFS boot
// sectors and appends the ones the table lacks.
void SearchLostPartitions();

// The file-system kind of a boot sector found by the search (0 when none) and its sector count.
WORD ProbeBootSector(const BYTE* sector, DWORD* sectorCount);

// The values the scan page's side pane shows for a partition entry. Choosing the entry sets
// PartitionParams to it as a click on the drive tree does (kind, start, count, logical-drive index) and
// puts its last sector into the backup-sector field, which the full scan reads as the end of its range.
struct PartitionInfoValues {
    WORD Kind;     // 100, 200 or 300
    DWORD Start;
    DWORD End;     // last sector of the partition
    DWORD SizeMiB; // sector count / 2048
};
// False (and nothing changed) for an index that names no entry.
bool SelectPartitionEntry(int index, PartitionInfoValues* values);
