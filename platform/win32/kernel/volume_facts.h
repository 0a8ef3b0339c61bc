// Label, serial, file-system name and space of a FAT or NTFS partition, read from its own structures.
#pragma once

#include "win32/kernel/disks.h"

namespace dovemark::kernel {

struct VolumeFacts {
    std::u16string label;
    DWORD serial = 0;
    std::u16string fsName;
    DWORD fsFlags = 0;
    ULONGLONG totalBytes = 0;
    ULONGLONG freeBytes = 0;
};

// Reads the boot sector and the allocation map (FSInfo or a FAT scan, NTFS $Bitmap and $Volume).
// Returns ERROR_SUCCESS, or the error that stopped it (a read error, ERROR_UNRECOGNIZED_VOLUME,
// ERROR_FILE_CORRUPT for damaged structures).
DWORD ReadVolumeFacts(const Disk& disk, const Volume& volume, VolumeFacts& facts, bool wantFreeSpace);

} // namespace dovemark::kernel
