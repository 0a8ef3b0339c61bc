// The disks the layer reads (attached images, then host disks) and the FAT/NTFS partitions lettered on them.
#pragma once

#include "win32/kernel.h"

#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

namespace dovemark::kernel {

constexpr DWORD kSectorSize = 512;

enum class FsKind { None, Fat12, Fat16, Fat32, Ntfs };

struct Disk {
    std::string path;        // image file or /dev node
    bool isImage = false;
    std::string sysName;     // host disks: the name under /sys/block
    ULONGLONG length = 0;    // bytes; 0 for a device without media
    bool removable = false;
    STORAGE_BUS_TYPE busType = BusTypeUnknown;
    std::string vendor, model, revision, serial;
    dev_t fileDevice = 0;    // images: st_dev/st_ino of the image file
    ino_t fileInode = 0;
    dev_t blockDevice = 0;   // host disks: st_rdev of the node
};

struct Volume {
    size_t disk = 0;
    ULONGLONG startSector = 0;
    ULONGLONG sectorCount = 0;
    int partitionNumber = 0; // as Linux numbers the partitions of the disk (1..), 0 for a whole-disk volume
    FsKind fs = FsKind::None;
    char letter = 0;
};

struct DeviceMap {
    std::vector<Disk> disks;
    std::vector<Volume> volumes; // lettered from C: in disk order, then partition-table order
    const Volume* ByLetter(char letter) const;
};

// Looks at the environment and the machine afresh on each call, so attached images may change.
DeviceMap CurrentDevices();
// The disks only, named but not opened or measured: enough to tell whether a file is a source.
DeviceMap CurrentDisks();

// Opens a disk read-only; past the page cache (O_DIRECT) when asked or when the benchmark mode is
// on, where the file allows it. -1 with errno on failure.
int OpenDiskFd(const Disk& disk, bool* direct = nullptr, bool wantDirect = false);

// The file system whose boot sector this is, judged from the sector alone.
FsKind ProbeBootSector(const BYTE* sector);

// Reads len bytes at a byte offset of an open disk, honouring the unreadable-sector hook. Returns
// ERROR_SUCCESS, or the error a failed device read gives (ERROR_CRC, ERROR_SECTOR_NOT_FOUND past the end).
DWORD ReadDisk(int fd, bool direct, const Disk& disk, ULONGLONG offset, void* buffer, size_t len);

// Mount point of a volume, empty when it is not mounted.
std::string MountPointOf(const DeviceMap& map, const Volume& volume);

// Whether a regular file or block device is one of the disks read (or a partition of one).
bool IsSourceFile(const DeviceMap& map, const struct stat& st);
// Whether a file system device (st_dev of a file) lies on one of the disks read.
bool IsOnSourceDisk(const DeviceMap& map, dev_t fileSystemDevice);

} // namespace dovemark::kernel
