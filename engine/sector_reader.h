// The engine's only road to the disk: the open device handles and the sector reader.
#pragma once

#include "win32/types.h"

#include <cstdint>
#include <vector>

// Which sectors of one read could not be read after every retry; those sectors hold zeros.
struct SectorReadOutcome {
    DWORD UnreadCount = 0;
    std::vector<uint64_t> UnreadBits;

    void Reset(DWORD count);
    void MarkUnread(DWORD index);
    bool IsUnread(DWORD index) const
    {
        return index / 64 < UnreadBits.size() && (UnreadBits[index / 64] >> (index % 64)) & 1;
    }
};

// Reads count 512-byte sectors from firstSector of the selected disk (DriveKind 1) or volume
// (DriveKind 2) into buffer. Returns 1 when every sector was read, else 0; a sector that fails all
// retries is delivered as zeros and, when outcome is given, marked there.
int ReadSectors(const char* devicePath, ULONGLONG firstSector, DWORD count, void* buffer,
                SectorReadOutcome* outcome = nullptr);
// One positioned read through VolumeHandle, with the same per-sector retry and zero fill.
int ReadVolumeSectors(ULONGLONG firstSector, WORD count, void* buffer, SectorReadOutcome* outcome = nullptr);
// The handle's new 64-bit position, or -1 when positioning failed.
LONGLONG SeekHandle64(HANDLE handle, DWORD low, LONG high, DWORD moveMethod);
HANDLE OpenPhysicalDrive();
// With DriveKind 2: records the index and reopens that LogicalDriveTable volume into VolumeHandle.
void ReopenVolume(WORD logicalDriveIndex);
// Closes a held VolumeHandle and opens the LogicalDriveTable volume of the given index; false on failure.
bool OpenLogicalVolume(WORD logicalDriveIndex);
bool FileExists(const WCHAR* path);
DWORD MakeDword(BYTE b0, BYTE b1, BYTE b2, BYTE b3);
// Sectors of the selected disk or volume, from the open handle; 0 when it cannot be told.
ULONGLONG SelectedDeviceSectors();
// The device path every caller passes: PhysicalDrivePathTable[DriveNumber], or "" beyond the table.
const char* SelectedDevicePath();
