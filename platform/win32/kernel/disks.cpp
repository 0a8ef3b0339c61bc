// Finding the disks the layer reads, their FAT/NTFS partitions and drive letters, mounts, and raw reads.
#include "win32/kernel/disks.h"
#include "win32/kernel/device_hooks.h"
#include "win32/kernel/util.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <linux/fs.h>
#include <memory>
#include <set>
#include <sstream>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace dovemark::kernel {
namespace {

std::string Canonical(const std::string& path)
{
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

std::string ReadSysText(const std::string& path)
{
    std::ifstream in(path);
    std::string text;
    if (!in || !std::getline(in, text))
        return {};
    while (!text.empty() && (text.back() == ' ' || text.back() == '\n' || text.back() == '\t'))
        text.pop_back();
    size_t start = text.find_first_not_of(' ');
    return start == std::string::npos ? std::string() : text.substr(start);
}

bool ReadAll(int fd, ULONGLONG offset, void* buffer, size_t len)
{
    auto* p = static_cast<BYTE*>(buffer);
    while (len) {
        ssize_t n = pread(fd, p, len, off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        len -= size_t(n);
        offset += ULONGLONG(n);
    }
    return true;
}

bool IsHostDiskName(const std::string& name)
{
    static const char* const kPrefixes[] = {"sd", "nvme", "vd", "hd", "mmcblk"};
    bool kind = std::any_of(std::begin(kPrefixes), std::end(kPrefixes),
                            [&](const char* p) { return name.rfind(p, 0) == 0; });
    // eMMC boot and replay-protected areas are not disks of their own
    return kind && name.find("boot") == std::string::npos && name.find("rpmb") == std::string::npos;
}

bool HostDisksShown()
{
    const char* v = std::getenv("DOVEMARK_HOST_DISKS");
    return !(v && std::string(v) == "0");
}

void AddImages(std::vector<Disk>& disks)
{
    const char* list = std::getenv("DOVEMARK_DISKS");
    if (!list)
        return;
    std::stringstream ss(list);
    std::string item;
    while (std::getline(ss, item, ':')) {
        if (item.empty())
            continue;
        struct stat st;
        std::string path = Canonical(item);
        if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        Disk d;
        d.path = path;
        d.isImage = true;
        d.length = ULONGLONG(st.st_size) / kSectorSize * kSectorSize;
        d.busType = BusTypeFileBackedVirtual;
        d.vendor = "Dovemark";
        std::string base = path.substr(path.find_last_of('/') + 1);
        d.model = "Disk image " + base;
        d.revision = "1.0";
        // A stable serial per image path, so a disk keeps its identity across runs.
        uint32_t h = 2166136261u;
        for (unsigned char c : path)
            h = (h ^ c) * 16777619u;
        char serial[16];
        std::snprintf(serial, sizeof serial, "IMG%08X", h);
        d.serial = serial;
        d.fileDevice = st.st_dev;
        d.fileInode = st.st_ino;
        disks.push_back(d);
    }
}

void AddHostDisks(std::vector<Disk>& disks, bool probe)
{
    DIR* dir = opendir("/sys/block");
    if (!dir)
        return;
    std::vector<std::string> names;
    while (dirent* e = readdir(dir))
        if (IsHostDiskName(e->d_name))
            names.push_back(e->d_name);
    closedir(dir);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b; // sdz before sdaa
    });
    for (const std::string& name : names) {
        Disk d;
        d.path = "/dev/" + name;
        d.sysName = name;
        if (!probe) { // naming the disks is enough to protect them
            disks.push_back(d);
            continue;
        }
        int fd = open(d.path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 && errno != ENOMEDIUM)
            continue; // only the disks the user may read
        if (fd >= 0) {
            uint64_t bytes = 0;
            if (ioctl(fd, BLKGETSIZE64, &bytes) == 0)
                d.length = bytes;
            struct stat st;
            if (fstat(fd, &st) == 0)
                d.blockDevice = st.st_rdev;
            close(fd);
        } else {
            struct stat st;
            if (stat(d.path.c_str(), &st) == 0)
                d.blockDevice = st.st_rdev;
        }
        std::string sys = "/sys/block/" + name;
        d.removable = ReadSysText(sys + "/removable") == "1";
        d.vendor = ReadSysText(sys + "/device/vendor");
        d.model = ReadSysText(sys + "/device/model");
        if (d.model.empty())
            d.model = ReadSysText(sys + "/device/name");
        d.revision = ReadSysText(sys + "/device/rev");
        if (d.revision.empty())
            d.revision = ReadSysText(sys + "/device/firmware_rev");
        d.serial = ReadSysText(sys + "/device/serial");
        if (d.serial.empty())
            d.serial = ReadSysText(sys + "/serial");
        std::string real = Canonical(sys);
        if (real.find("/usb") != std::string::npos)
            d.busType = BusTypeUsb;
        else if (name.rfind("nvme", 0) == 0)
            d.busType = BusTypeNvme;
        else if (name.rfind("mmcblk", 0) == 0)
            d.busType = BusTypeSd;
        else if (name.rfind("vd", 0) == 0)
            d.busType = BusTypeVirtual;
        else if (name.rfind("hd", 0) == 0)
            d.busType = BusTypeAta;
        else
            d.busType = real.find("/ata") != std::string::npos ? BusTypeSata : BusTypeScsi;
        if (d.busType == BusTypeUsb)
            d.removable = true;
        if (d.model.empty())
            d.model = name;
        disks.push_back(d);
    }
}

ULONGLONG Le(const BYTE* p, int bytes)
{
    ULONGLONG v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | p[i];
    return v;
}

void AddVolume(std::vector<Volume>& out, int fd, const Disk& disk, size_t diskIndex, ULONGLONG start,
               ULONGLONG count, int number)
{
    if (count == 0 || start >= disk.length / kSectorSize || count > disk.length / kSectorSize - start)
        return; // an entry outside the disk names nothing readable
    BYTE sector[kSectorSize];
    if (!ReadAll(fd, start * kSectorSize, sector, sizeof sector))
        return;
    Volume v;
    v.disk = diskIndex;
    v.startSector = start;
    v.sectorCount = count;
    v.partitionNumber = number;
    v.fs = ProbeBootSector(sector);
    out.push_back(v);
}

bool IsExtendedType(BYTE type)
{
    return type == 0x05 || type == 0x0F || type == 0x85;
}

void ReadGpt(int fd, const Disk& disk, size_t diskIndex, std::vector<Volume>& out)
{
    BYTE header[kSectorSize];
    if (!ReadAll(fd, kSectorSize, header, sizeof header) || std::memcmp(header, "EFI PART", 8) != 0)
        return;
    ULONGLONG entriesLba = Le(header + 72, 8);
    ULONGLONG entryCount = std::min<ULONGLONG>(Le(header + 80, 4), 256);
    ULONGLONG entrySize = Le(header + 84, 4);
    if (entrySize < 128 || entrySize > 4096)
        return;
    std::vector<BYTE> entry(entrySize);
    for (ULONGLONG i = 0; i < entryCount; ++i) {
        if (!ReadAll(fd, entriesLba * kSectorSize + i * entrySize, entry.data(), entrySize))
            return;
        bool used = std::any_of(entry.begin(), entry.begin() + 16, [](BYTE b) { return b != 0; });
        ULONGLONG first = Le(entry.data() + 32, 8), last = Le(entry.data() + 40, 8);
        if (used && last >= first)
            AddVolume(out, fd, disk, diskIndex, first, last - first + 1, int(i + 1));
    }
}

void ReadPartitions(int fd, const Disk& disk, size_t diskIndex, std::vector<Volume>& out)
{
    BYTE mbr[kSectorSize];
    if (disk.length < kSectorSize || !ReadAll(fd, 0, mbr, sizeof mbr))
        return;
    if (ProbeBootSector(mbr) != FsKind::None) { // a volume without a partition table
        AddVolume(out, fd, disk, diskIndex, 0, disk.length / kSectorSize, 0);
        return;
    }
    if (mbr[510] != 0x55 || mbr[511] != 0xAA)
        return;
    for (int i = 0; i < 4; ++i)
        if (mbr[446 + i * 16 + 4] == 0xEE) {
            ReadGpt(fd, disk, diskIndex, out);
            return;
        }
    ULONGLONG extendedStart = 0;
    for (int i = 0; i < 4; ++i) {
        const BYTE* e = mbr + 446 + i * 16;
        BYTE type = e[4];
        ULONGLONG start = Le(e + 8, 4), count = Le(e + 12, 4);
        if (type == 0 || count == 0)
            continue;
        if (IsExtendedType(type)) {
            if (!extendedStart)
                extendedStart = start;
            continue;
        }
        AddVolume(out, fd, disk, diskIndex, start, count, i + 1);
    }
    // Logical volumes: a chain of boot records inside the extended partition, guarded against loops.
    std::set<ULONGLONG> seen;
    ULONGLONG ebr = extendedStart;
    int number = 5;
    while (ebr && seen.insert(ebr).second && seen.size() <= 128) {
        BYTE sector[kSectorSize];
        if (ebr >= disk.length / kSectorSize || !ReadAll(fd, ebr * kSectorSize, sector, sizeof sector)
            || sector[510] != 0x55 || sector[511] != 0xAA)
            break;
        const BYTE* logical = sector + 446;
        const BYTE* next = sector + 446 + 16;
        if (logical[4] != 0 && Le(logical + 12, 4) != 0)
            AddVolume(out, fd, disk, diskIndex, ebr + Le(logical + 8, 4), Le(logical + 12, 4), number++);
        ebr = IsExtendedType(next[4]) && Le(next + 8, 4) ? extendedStart + Le(next + 8, 4) : 0;
    }
}

std::string Unescape(const std::string& s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() && std::isdigit((unsigned char)s[i + 1])) {
            out += char(std::strtol(s.substr(i + 1, 3).c_str(), nullptr, 8));
            i += 3;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::string MountPointOfDevice(const std::string& majorMinor)
{
    if (majorMinor.empty())
        return {};
    std::ifstream in("/proc/self/mountinfo");
    std::string line;
    std::string found;
    while (std::getline(in, line)) {
        std::istringstream ls(line);
        std::string id, parent, mm, root, point;
        if (!(ls >> id >> parent >> mm >> root >> point))
            continue;
        if (mm == majorMinor && root == "/")
            return Unescape(point);
    }
    return found;
}

std::string SysDevOf(const std::string& sysBlockDir)
{
    return ReadSysText(sysBlockDir + "/dev");
}

// Block devices through which a loop device exposes an image, with their start within the image.
struct LoopView {
    std::string majorMinor;
    ULONGLONG startByte;
};

std::vector<LoopView> LoopViewsOf(const std::string& imagePath)
{
    std::vector<LoopView> views;
    DIR* dir = opendir("/sys/block");
    if (!dir)
        return views;
    while (dirent* e = readdir(dir)) {
        std::string name = e->d_name;
        if (name.rfind("loop", 0) != 0)
            continue;
        std::string sys = "/sys/block/" + name;
        std::string backing = ReadSysText(sys + "/loop/backing_file");
        if (backing.empty() || Canonical(backing) != imagePath)
            continue;
        ULONGLONG offset = std::strtoull(ReadSysText(sys + "/loop/offset").c_str(), nullptr, 10);
        views.push_back({SysDevOf(sys), offset});
        if (DIR* parts = opendir(sys.c_str())) {
            while (dirent* p = readdir(parts)) {
                std::string part = p->d_name;
                if (part.rfind(name + "p", 0) != 0)
                    continue;
                ULONGLONG start = std::strtoull(ReadSysText(sys + "/" + part + "/start").c_str(), nullptr, 10);
                views.push_back({SysDevOf(sys + "/" + part), offset + start * kSectorSize});
            }
            closedir(parts);
        }
    }
    closedir(dir);
    return views;
}

std::string PartitionSysName(const Disk& disk, int number)
{
    bool digitEnd = !disk.sysName.empty() && std::isdigit((unsigned char)disk.sysName.back());
    return disk.sysName + (digitEnd ? "p" : "") + std::to_string(number);
}

} // namespace

const Volume* DeviceMap::ByLetter(char letter) const
{
    letter = char(std::toupper((unsigned char)letter));
    for (const Volume& v : volumes)
        if (v.letter == letter)
            return &v;
    return nullptr;
}

FsKind ProbeBootSector(const BYTE* s)
{
    if (std::memcmp(s + 3, "NTFS    ", 8) == 0) {
        ULONGLONG bps = Le(s + 11, 2);
        return bps >= 256 && bps <= 4096 && !(bps & (bps - 1)) && s[13] ? FsKind::Ntfs : FsKind::None;
    }
    if (s[510] != 0x55 || s[511] != 0xAA || !(s[0] == 0xEB || s[0] == 0xE9))
        return FsKind::None;
    ULONGLONG bps = Le(s + 11, 2), spc = s[13], reserved = Le(s + 14, 2), fats = s[16];
    ULONGLONG rootEntries = Le(s + 17, 2), total = Le(s + 19, 2), fatSize = Le(s + 22, 2);
    if (bps < 512 || bps > 4096 || (bps & (bps - 1)) || spc == 0 || (spc & (spc - 1)) || reserved == 0
        || fats == 0 || fats > 4)
        return FsKind::None;
    if (total == 0)
        total = Le(s + 32, 4);
    if (fatSize == 0)
        fatSize = Le(s + 36, 4);
    ULONGLONG rootSectors = (rootEntries * 32 + bps - 1) / bps;
    ULONGLONG meta = reserved + fats * fatSize + rootSectors;
    if (fatSize == 0 || total <= meta)
        return FsKind::None;
    ULONGLONG clusters = (total - meta) / spc;
    // The cluster count alone decides the FAT width, as the FAT format defines it.
    if (clusters < 4085)
        return FsKind::Fat12;
    if (clusters < 65525)
        return FsKind::Fat16;
    return rootEntries == 0 ? FsKind::Fat32 : FsKind::None;
}

DeviceMap CurrentDisks()
{
    DeviceMap map;
    AddImages(map.disks);
    if (HostDisksShown())
        AddHostDisks(map.disks, false);
    return map;
}

DeviceMap CurrentDevices()
{
    DeviceMap map;
    AddImages(map.disks);
    if (HostDisksShown())
        AddHostDisks(map.disks, true);
    for (size_t i = 0; i < map.disks.size(); ++i) {
        int fd = OpenDiskFd(map.disks[i]);
        if (fd < 0)
            continue;
        ReadPartitions(fd, map.disks[i], i, map.volumes);
        close(fd);
    }
    char letter = 'C';
    for (Volume& v : map.volumes)
        if (v.fs != FsKind::None && letter <= 'Z')
            v.letter = letter++;
    return map;
}

int OpenDiskFd(const Disk& disk, bool* direct, bool wantDirect)
{
    if (direct)
        *direct = false;
    if (wantDirect || device_hooks::DirectReads()) {
        int fd = open(disk.path.c_str(), O_RDONLY | O_CLOEXEC | O_DIRECT);
        if (fd >= 0) {
            // Some file systems (tmpfs) accept the flag but refuse the reads: try one.
            void* probe = nullptr;
            bool ok = posix_memalign(&probe, 4096, 4096) == 0
                && (disk.length < 4096 || pread(fd, probe, 4096, 0) == 4096);
            std::free(probe);
            if (ok) {
                if (direct)
                    *direct = true;
                return fd;
            }
            close(fd);
        }
    }
    return open(disk.path.c_str(), O_RDONLY | O_CLOEXEC);
}

DWORD ReadDisk(int fd, bool direct, const Disk& disk, ULONGLONG offset, void* buffer, size_t len)
{
    if (disk.isImage)
        device_hooks::CountRequestedSectors((offset % kSectorSize + len + kSectorSize - 1) / kSectorSize);
    if (offset > disk.length || len > disk.length - offset)
        return ERROR_SECTOR_NOT_FOUND;
    if (disk.isImage
        && device_hooks::HasUnreadableSector(disk.path, offset / kSectorSize,
                                             (offset % kSectorSize + len + kSectorSize - 1) / kSectorSize))
        return ERROR_CRC;
    constexpr size_t kAlign = 4096;
    if (direct && (offset % kAlign || len % kAlign || reinterpret_cast<uintptr_t>(buffer) % kAlign)) {
        // O_DIRECT wants aligned buffers, offsets and lengths: go through an aligned bounce buffer.
        ULONGLONG first = offset / kAlign * kAlign;
        ULONGLONG end = std::min<ULONGLONG>((offset + len + kAlign - 1) / kAlign * kAlign,
                                            (disk.length + kAlign - 1) / kAlign * kAlign);
        void* bounce = nullptr;
        if (posix_memalign(&bounce, kAlign, size_t(end - first)) != 0)
            return ERROR_NOT_ENOUGH_MEMORY;
        std::unique_ptr<void, decltype(&std::free)> guard(bounce, &std::free);
        size_t got = 0;
        while (got < end - first) {
            ssize_t n = pread(fd, static_cast<BYTE*>(bounce) + got, size_t(end - first - got), off_t(first + got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return errno == EIO ? ERROR_CRC : ErrnoToWin32(errno);
            if (n == 0)
                break;
            got += size_t(n);
        }
        if (got < offset - first + len)
            return ERROR_SECTOR_NOT_FOUND;
        std::memcpy(buffer, static_cast<BYTE*>(bounce) + (offset - first), len);
        return ERROR_SUCCESS;
    }
    auto* p = static_cast<BYTE*>(buffer);
    while (len) {
        ssize_t n = pread(fd, p, len, off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno == EIO ? ERROR_CRC : ErrnoToWin32(errno);
        if (n == 0)
            return ERROR_SECTOR_NOT_FOUND;
        p += n;
        len -= size_t(n);
        offset += ULONGLONG(n);
    }
    return ERROR_SUCCESS;
}

std::string MountPointOf(const DeviceMap& map, const Volume& volume)
{
    const Disk& disk = map.disks[volume.disk];
    if (!disk.isImage) {
        std::string sys = "/sys/block/" + disk.sysName;
        if (volume.partitionNumber)
            sys.append(1, '/').append(PartitionSysName(disk, volume.partitionNumber));
        return MountPointOfDevice(SysDevOf(sys));
    }
    for (const LoopView& view : LoopViewsOf(disk.path))
        if (view.startByte == volume.startSector * kSectorSize) {
            std::string point = MountPointOfDevice(view.majorMinor);
            if (!point.empty())
                return point;
        }
    return {};
}

namespace {

bool IsSourceBlock(const DeviceMap& map, dev_t dev)
{
    if (dev == 0)
        return false;
    std::string sys = Canonical("/sys/dev/block/" + std::to_string(major(dev)) + ":" + std::to_string(minor(dev)));
    if (sys.empty())
        return false;
    std::string name = sys.substr(sys.find_last_of('/') + 1);
    std::string parent = sys.substr(0, sys.find_last_of('/'));
    parent = parent.substr(parent.find_last_of('/') + 1);
    for (const Disk& disk : map.disks) {
        if (!disk.isImage && (name == disk.sysName || parent == disk.sysName))
            return true;
        if (disk.isImage) {
            std::string mm = std::to_string(major(dev)) + ":" + std::to_string(minor(dev));
            for (const LoopView& view : LoopViewsOf(disk.path))
                if (view.majorMinor == mm)
                    return true;
        }
    }
    return false;
}

} // namespace

bool IsSourceFile(const DeviceMap& map, const struct stat& st)
{
    if (S_ISREG(st.st_mode))
        return std::any_of(map.disks.begin(), map.disks.end(), [&](const Disk& d) {
            return d.isImage && d.fileDevice == st.st_dev && d.fileInode == st.st_ino;
        });
    if (S_ISBLK(st.st_mode))
        return IsSourceBlock(map, st.st_rdev);
    return false;
}

bool IsOnSourceDisk(const DeviceMap& map, dev_t fileSystemDevice)
{
    return IsSourceBlock(map, fileSystemDevice);
}

} // namespace dovemark::kernel
