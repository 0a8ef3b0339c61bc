// Listing the disks and volumes of the drive page, and telling a volume's file system from its boot sector.
#include "app/drive_listing.h"

#include "app/drive_tree_ctrl.h"
#include "engine/drive_identify.h"
#include "engine/engine_state.h"
#include "engine/sector_reader.h"
#include "win32/kernel.h"

#include <cstdio>
#include <cstring>

namespace {

WORD Le16(const BYTE* p) { return WORD(p[0] | p[1] << 8); }

// The parameter block a FAT volume must carry to be read as one: the engine's sector size, a power-of-two cluster,
// reserved sectors and at least one FAT.
bool SoundFatParameters(const BYTE* boot)
{
    const BYTE spc = boot[13];
    return Le16(boot + 11) == SECTOR_SIZE && spc != 0 && (spc & (spc - 1)) == 0 && Le16(boot + 14) != 0 &&
           boot[16] != 0 && boot[510] == 0x55 && boot[511] == 0xAA;
}

} // namespace

WORD ClassifyVolumeBoot(const BYTE* boot)
{
    if (std::memcmp(boot + 3, "NTFS", 4) == 0)
        return FS_KIND_NTFS;
    // exFAT, UDF or a sector that could not be read must never be scanned as FAT32, whose layout they lack.
    if (std::memcmp(boot + 0x52, "FAT32", 5) == 0 && SoundFatParameters(boot))
        return FS_KIND_FAT32;
    if (boot[0x39] == '1' && boot[0x3A] == '6' && SoundFatParameters(boot))
        return FS_KIND_FAT16;
    return FS_KIND_UNKNOWN;
}

BOOL OpenVolumeAndReadBoot(LPCWSTR devicePath, BYTE* buffer)
{
    if (VolumeHandle && VolumeHandle != INVALID_HANDLE_VALUE)
        CloseHandle(VolumeHandle);
    VolumeHandle = CreateFileW(devicePath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                               nullptr);
    if (VolumeHandle == INVALID_HANDLE_VALUE) {
        VolumeHandle = nullptr;
        return FALSE;
    }
    std::memset(buffer, 0, SECTOR_SIZE);
    const int read = ReadVolumeSectors(0, 1, buffer);
    CloseHandle(VolumeHandle);
    VolumeHandle = nullptr;
    return read ? TRUE : FALSE;
}

void ListHardDisks(CDriveTreeCtrl& tree)
{
    ResetRecoverySettings();
    CDriveIdentifier identifier;
    IdentifyDrives();
    for (DWORD n = 0; n < DetectedDriveCount; ++n) {
        char path[80];
        std::snprintf(path, sizeof path, "My Computer\\Physical Devices\\Hard Disk %u \\", unsigned(n));
        tree.AddPath(path, MakeDriveItemData(DRIVE_ITEM_DISK, n));
    }
    tree.ExpandRoot();
}

void ListLogicalDrives(CDriveTreeCtrl& tree)
{
    LogicalDriveTable.Count = 0;
    const DWORD letters = GetLogicalDrives();
    for (int bit = 0; bit < 26; ++bit) {
        if (!(letters & (1u << bit)))
            continue;
        const WCHAR letter = WCHAR(u'A' + bit);
        const WCHAR root[4] = {letter, u':', u'\\', 0};
        const UINT type = GetDriveTypeW(root);
        if (!(type == DRIVE_FIXED || (type == DRIVE_REMOVABLE && letter != u'A') || type == DRIVE_REMOTE))
            continue;
        const int i = LogicalDriveTable.Count;
        if (i >= kMaxLogicalDrives)
            break;
        ULARGE_INTEGER available{}, total{}, free{};
        WORD kind = FS_KIND_UNKNOWN;
        ULONGLONG sectors = 0;
        WORD spc = 0;
        WCHAR name[200] = {0};
        if (GetDiskFreeSpaceExW(root, &available, &total, &free) && total.QuadPart != 0) {
            sectors = total.QuadPart / SECTOR_SIZE;
            WCHAR fsName[20] = {0};
            GetVolumeInformationW(root, name, 200, nullptr, nullptr, nullptr, fsName, 20);
            const WCHAR device[7] = {u'\\', u'\\', u'.', u'\\', letter, u':', 0};
            BYTE boot[SECTOR_SIZE];
            if (OpenVolumeAndReadBoot(device, boot)) {
                spc = boot[13];
                kind = ClassifyVolumeBoot(boot);
            }
        }
        std::memset(LogicalDriveTable.RootText[i], 0, sizeof LogicalDriveTable.RootText[i]);
        std::memset(LogicalDriveTable.VolumeName[i], 0, sizeof LogicalDriveTable.VolumeName[i]);
        std::memcpy(LogicalDriveTable.RootText[i], root, sizeof root);
        for (int c = 0; c < 99 && name[c]; ++c)
            LogicalDriveTable.VolumeName[i][c] = name[c];
        LogicalDriveTable.SectorCount[i] = sectors;
        LogicalDriveTable.SectorsPerCluster[i] = spc;
        LogicalDriveTable.Kind[i] = kind;
        // The partition table has room for 25 entries; a 26th volume has its row only here.
        if (i < kMaxFoundPartitions) {
            FoundPartitionTable[i].Kind = kind;
            FoundPartitionTable[i].SectorCount = DWORD(sectors);
        }
        LogicalDriveTable.Count = WORD(i + 1);
        char path[80];
        std::snprintf(path, sizeof path, "My Computer\\Logical Devices\\Logical Drives %c: \\", char(letter));
        tree.AddPath(path, MakeDriveItemData(DRIVE_ITEM_VOLUME, DWORD(i)));
    }
    tree.ExpandRoot();
}
