// Raw disks and partitions: positioned reads, read-only sources, identification, bad sectors, volume facts.
#include "support/support.h"
#include "test_disks.h"
#include "win32/kernel.h"
#include "win32/kernel/device_hooks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <fstream>
#include <unistd.h>
#include <vector>

using namespace kerneltest;

namespace {

std::u16string Wide(const std::string& s)
{
    return std::u16string(s.begin(), s.end());
}

std::vector<char> FileBytes(const std::string& path, uint64_t offset, size_t len)
{
    std::vector<char> out(len);
    int fd = open(path.c_str(), O_RDONLY);
    EXPECT_EQ(pread(fd, out.data(), len, off_t(offset)), ssize_t(len));
    close(fd);
    return out;
}

void WritePattern(const std::string& path, uint64_t offset, size_t len, char seed)
{
    std::vector<char> bytes(len);
    for (size_t i = 0; i < len; ++i)
        bytes[i] = char(seed + i * 7);
    int fd = open(path.c_str(), O_WRONLY);
    ASSERT_EQ(pwrite(fd, bytes.data(), len, off_t(offset)), ssize_t(len));
    close(fd);
}

struct Handle {
    HANDLE h;
    explicit Handle(HANDLE handle) : h(handle) {}
    ~Handle()
    {
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
};

HANDLE OpenRead(const char16_t* path, DWORD access = GENERIC_READ)
{
    return CreateFileW(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
}

// A sparse 6 GiB disk with recognisable bytes below and past the 4 GiB line.
class SparseDisk : public ::testing::Test {
protected:
    static constexpr uint64_t kSize = 6ULL << 30;
    static constexpr uint64_t kHighOffset = (5ULL << 30) + 3 * 512;
    void SetUp() override
    {
        path = testsupport::ScratchDir() + "/big.img";
        ASSERT_EQ(truncate(path.c_str(), 0), -1); // does not exist yet
        std::ofstream(path).close();
        ASSERT_EQ(truncate(path.c_str(), off_t(kSize)), 0);
        WritePattern(path, 512, 1024, 'a');
        WritePattern(path, kHighOffset, 1024, 'z');
        attached = std::make_unique<AttachedDisks>(std::vector<std::string>{path});
    }
    std::string path;
    std::unique_ptr<AttachedDisks> attached;
};

TEST_F(SparseDisk, ReadsPast4GiBThroughThePointerAndThroughOverlappedOffsets)
{
    Handle d(OpenRead(u"\\\\.\\PhysicalDrive0"));
    ASSERT_NE(d.h, INVALID_HANDLE_VALUE) << GetLastError();
    auto expected = FileBytes(path, kHighOffset, 1024);

    LONG high = LONG(kHighOffset >> 32);
    SetLastError(1234);
    DWORD low = SetFilePointer(d.h, LONG(DWORD(kHighOffset)), &high, FILE_BEGIN);
    ASSERT_EQ(low, DWORD(kHighOffset));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
    std::vector<char> got(1024);
    DWORD n = 0;
    ASSERT_TRUE(ReadFile(d.h, got.data(), 1024, &n, nullptr));
    EXPECT_EQ(n, 1024u);
    EXPECT_EQ(got, expected);

    OVERLAPPED ov{};
    ov.Offset = 512;
    std::vector<char> low1(1024);
    ASSERT_TRUE(ReadFile(d.h, low1.data(), 1024, &n, &ov));
    EXPECT_EQ(low1, FileBytes(path, 512, 1024));
    ov.Offset = DWORD(kHighOffset);
    ov.OffsetHigh = DWORD(kHighOffset >> 32);
    ASSERT_TRUE(ReadFile(d.h, got.data(), 1024, &n, &ov));
    EXPECT_EQ(got, expected);
    EXPECT_EQ(ov.InternalHigh, 1024u);
}

TEST_F(SparseDisk, PositionWhoseLowHalfIsAllOnesIsNotAnError)
{
    Handle d(OpenRead(u"\\\\.\\PhysicalDrive0"));
    LONG high = 0;
    SetLastError(ERROR_INVALID_DATA);
    EXPECT_EQ(SetFilePointer(d.h, LONG(0xFFFFFE00u), &high, FILE_BEGIN), 0xFFFFFE00u);
    high = 1;
    EXPECT_EQ(SetFilePointer(d.h, -1, &high, FILE_BEGIN), 0xFFFFFFFFu); // 0x1FFFFFFFF
    EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(high, 1);
    high = -1;
    EXPECT_EQ(SetFilePointer(d.h, -512, &high, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NEGATIVE_SEEK));
}

TEST_F(SparseDisk, IdentifiesTheImage)
{
    // Identification works on a handle opened without access rights, as the drive scan opens it.
    Handle d(OpenRead(u"\\\\.\\PhysicalDrive0", 0));
    ASSERT_NE(d.h, INVALID_HANDLE_VALUE);
    DWORD n = 0;

    GET_LENGTH_INFORMATION length{};
    Handle r(OpenRead(u"\\\\.\\PhysicalDrive0"));
    ASSERT_TRUE(DeviceIoControl(r.h, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &length, sizeof length, &n, nullptr));
    EXPECT_EQ(uint64_t(length.Length.QuadPart), kSize);

    DISK_GEOMETRY g{};
    ASSERT_TRUE(DeviceIoControl(d.h, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &g, sizeof g, &n, nullptr));
    EXPECT_EQ(n, 24u);
    EXPECT_EQ(g.TracksPerCylinder, 255u);
    EXPECT_EQ(g.SectorsPerTrack, 63u);
    EXPECT_EQ(g.BytesPerSector, 512u);
    EXPECT_EQ(uint64_t(g.Cylinders.QuadPart), kSize / (255 * 63 * 512));

    STORAGE_PROPERTY_QUERY q{StorageDeviceProperty, PropertyStandardQuery, {0}};
    std::vector<BYTE> buf(10000);
    ASSERT_TRUE(DeviceIoControl(d.h, IOCTL_STORAGE_QUERY_PROPERTY, &q, sizeof q, buf.data(), DWORD(buf.size()), &n,
                                nullptr));
    auto* desc = reinterpret_cast<STORAGE_DEVICE_DESCRIPTOR*>(buf.data());
    EXPECT_EQ(desc->BusType, BusTypeFileBackedVirtual);
    ASSERT_NE(desc->ProductIdOffset, 0u);
    EXPECT_NE(std::string(reinterpret_cast<char*>(buf.data()) + desc->ProductIdOffset).find("big.img"),
              std::string::npos);
    ASSERT_NE(desc->SerialNumberOffset, 0u);

    // A buffer too short for the strings gets the head with no offset pointing beyond it.
    std::vector<BYTE> small(sizeof(STORAGE_DEVICE_DESCRIPTOR));
    ASSERT_TRUE(DeviceIoControl(d.h, IOCTL_STORAGE_QUERY_PROPERTY, &q, sizeof q, small.data(), DWORD(small.size()), &n,
                                nullptr));
    auto* head = reinterpret_cast<STORAGE_DEVICE_DESCRIPTOR*>(small.data());
    EXPECT_GT(head->Size, n);
    EXPECT_EQ(head->ProductIdOffset, 0u);

    EXPECT_FALSE(DeviceIoControl(d.h, SMART_GET_VERSION, nullptr, 0, buf.data(), 24, &n, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_SUPPORTED));
    EXPECT_FALSE(DeviceIoControl(d.h, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &g, 10, &n, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
}

TEST_F(SparseDisk, TheSourceIsNeverWritten)
{
    auto before = FileBytes(path, 512, 1024);
    // Raw opens ask for write access as they please, but every write is refused.
    Handle d(CreateFileW(u"\\\\.\\PhysicalDrive0", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(d.h, INVALID_HANDLE_VALUE);
    std::vector<char> junk(512, 'X');
    DWORD n = 7;
    SetFilePointer(d.h, 512, nullptr, FILE_BEGIN);
    EXPECT_FALSE(WriteFile(d.h, junk.data(), 512, &n, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    EXPECT_EQ(n, 0u);

    // The image itself, reached by its ordinary path, cannot be opened for writing either.
    std::u16string image = Wide(path);
    for (DWORD disposition : {DWORD(OPEN_EXISTING), DWORD(OPEN_ALWAYS), DWORD(CREATE_ALWAYS), DWORD(TRUNCATE_EXISTING)}) {
        SCOPED_TRACE(disposition);
        HANDLE h = CreateFileW(image.c_str(), GENERIC_WRITE, 0, nullptr, disposition, 0, nullptr);
        EXPECT_EQ(h, INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    }
    EXPECT_EQ(_wfopen(image.c_str(), u"r+b"), nullptr);
    EXPECT_EQ(_wopen(image.c_str(), _O_RDWR | _O_BINARY), -1);
    EXPECT_FALSE(DeleteFileW(image.c_str()));
    EXPECT_FALSE(MoveFileW(image.c_str(), (image + u".moved").c_str()));
    EXPECT_EQ(FileBytes(path, 512, 1024), before);
    EXPECT_EQ(access(path.c_str(), F_OK), 0);
    EXPECT_TRUE(dovemark::IsPathOnSourceDisk(image.c_str()));
    EXPECT_FALSE(dovemark::IsPathOnSourceDisk((image + u".copy").c_str()));
}

TEST_F(SparseDisk, DeviceReadsFailTheWayADiskDoes)
{
    Handle d(OpenRead(u"\\\\.\\PhysicalDrive0"));
    std::vector<char> buf(1024, 'q');
    DWORD n;
    struct Case {
        uint64_t offset;
        DWORD length;
        DWORD error;
    } cases[] = {
        {100, 512, ERROR_INVALID_PARAMETER},         // not on a sector boundary
        {512, 100, ERROR_INVALID_PARAMETER},         // not whole sectors
        {kSize - 512, 1024, ERROR_SECTOR_NOT_FOUND}, // runs over the end
        {kSize + 512, 512, ERROR_SECTOR_NOT_FOUND},  // past the end
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        OVERLAPPED ov{};
        ov.Offset = DWORD(c.offset);
        ov.OffsetHigh = DWORD(c.offset >> 32);
        n = 99;
        EXPECT_FALSE(ReadFile(d.h, buf.data(), c.length, &n, &ov));
        EXPECT_EQ(GetLastError(), c.error);
        EXPECT_EQ(n, 0u);
    }
    EXPECT_EQ(buf, std::vector<char>(1024, 'q'));

    for (const char16_t* missing : {u"\\\\.\\PhysicalDrive1", u"\\\\.\\PhysicalDrive", u"\\\\.\\IDE21201.VXD",
                                    u"\\\\.\\C:"}) {
        EXPECT_EQ(OpenRead(missing), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    }
}

TEST_F(SparseDisk, MarkedSectorsFailUntilCleared)
{
    Handle d(OpenRead(u"\\\\.\\PhysicalDrive0"));
    dovemark::device_hooks::SetUnreadableSectors(path, {10, 5ULL << 21});
    std::vector<char> buf(60 * 512, 'q');
    DWORD n;
    EXPECT_FALSE(ReadFile(d.h, buf.data(), DWORD(buf.size()), &n, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_CRC));
    EXPECT_EQ(buf, std::vector<char>(60 * 512, 'q'));
    for (uint64_t sector : {9ULL, 11ULL, (5ULL << 21) - 1, (5ULL << 21) + 1}) {
        OVERLAPPED ov{};
        ov.Offset = DWORD(sector * 512);
        ov.OffsetHigh = DWORD(sector * 512 >> 32);
        EXPECT_TRUE(ReadFile(d.h, buf.data(), 512, &n, &ov)) << sector;
    }
    OVERLAPPED ov{};
    ov.Offset = 10 * 512;
    EXPECT_FALSE(ReadFile(d.h, buf.data(), 512, &n, &ov));
    dovemark::device_hooks::ClearUnreadableSectors();
    EXPECT_TRUE(ReadFile(d.h, buf.data(), 512, &n, &ov));
}

TEST_F(SparseDisk, DirectModeReadsTheSameBytes)
{
    dovemark::device_hooks::SetDirectReads(true);
    Handle global(OpenRead(u"\\\\.\\PhysicalDrive0"));
    dovemark::device_hooks::SetDirectReads(false);
    Handle flagged(CreateFileW(u"\\\\.\\PhysicalDrive0", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_FLAG_NO_BUFFERING, nullptr));
    for (HANDLE h : {global.h, flagged.h}) {
        std::vector<char> got(1024);
        DWORD n;
        OVERLAPPED ov{};
        ov.Offset = DWORD(kHighOffset);
        ov.OffsetHigh = DWORD(kHighOffset >> 32);
        ASSERT_TRUE(ReadFile(h, got.data(), 1024, &n, &ov)); // offset and length not page-aligned
        EXPECT_EQ(got, FileBytes(path, kHighOffset, 1024));
    }
}

TEST(RawDevices, AnEmptyImageIsADriveWithoutMedia)
{
    std::string dir = testsupport::ScratchDir();
    std::string empty = dir + "/reader.img", disk = dir + "/disk.img";
    std::ofstream(empty).close();
    std::ofstream(disk).close();
    ASSERT_EQ(truncate(disk.c_str(), 1 << 20), 0);
    AttachedDisks attached({empty, disk});
    Handle reader(OpenRead(u"\\\\.\\PhysicalDrive0", 0));
    ASSERT_NE(reader.h, INVALID_HANDLE_VALUE);
    DISK_GEOMETRY g{};
    DWORD n;
    ASSERT_TRUE(DeviceIoControl(reader.h, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &g, sizeof g, &n, nullptr));
    EXPECT_EQ(g.SectorsPerTrack, 0u);
    Handle second(OpenRead(u"\\\\.\\PhysicalDrive1"));
    ASSERT_TRUE(DeviceIoControl(second.h, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &g, sizeof g, &n, nullptr));
    EXPECT_EQ(g.SectorsPerTrack, 63u);
    Handle readerData(OpenRead(u"\\\\.\\PhysicalDrive0"));
    char buf[512];
    EXPECT_FALSE(ReadFile(readerData.h, buf, 512, &n, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_READY));
}

// The host's own disks, where the machine has one the user may read (skipped otherwise).
TEST(HostDisks, TheFirstReadableDiskIsPhysicalDrive0)
{
    std::vector<std::string> names;
    if (DIR* d = opendir("/sys/block")) {
        while (dirent* e = readdir(d)) {
            std::string n = e->d_name;
            for (const char* kind : {"sd", "nvme", "vd", "hd", "mmcblk"})
                if (n.rfind(kind, 0) == 0 && n.find("boot") == std::string::npos && n.find("rpmb") == std::string::npos)
                    names.push_back(n);
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    // The layer lists the disks that open, and those without media, in name order.
    std::string first;
    for (const auto& n : names) {
        int fd = open(("/dev/" + n).c_str(), O_RDONLY);
        if (fd < 0 && errno == ENOMEDIUM)
            GTEST_SKIP() << "the first host disk has no media";
        uint64_t bytes = 0;
        bool sized = fd >= 0 && ioctl(fd, BLKGETSIZE64, &bytes) == 0;
        if (fd >= 0)
            close(fd);
        if (fd >= 0) {
            if (!sized || bytes < 512)
                GTEST_SKIP() << "the first host disk cannot be measured";
            first = n;
            break;
        }
    }
    if (first.empty())
        GTEST_SKIP() << "no host disk readable here";
    unsetenv("DOVEMARK_DISKS");
    setenv("DOVEMARK_HOST_DISKS", "1", 1);
    Handle d(OpenRead(u"\\\\.\\PhysicalDrive0"));
    setenv("DOVEMARK_HOST_DISKS", "0", 1);
    ASSERT_NE(d.h, INVALID_HANDLE_VALUE);
    GET_LENGTH_INFORMATION length;
    DWORD n;
    ASSERT_TRUE(DeviceIoControl(d.h, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &length, sizeof length, &n, nullptr));
    int fd = open(("/dev/" + first).c_str(), O_RDONLY);
    uint64_t bytes = 0;
    ioctl(fd, BLKGETSIZE64, &bytes);
    EXPECT_EQ(uint64_t(length.Length.QuadPart), bytes);
    std::vector<char> mine(512), theirs(512);
    ASSERT_TRUE(ReadFile(d.h, mine.data(), 512, &n, nullptr));
    ASSERT_EQ(pread(fd, theirs.data(), 512, 0), 512);
    close(fd);
    EXPECT_EQ(mine, theirs);
    STORAGE_PROPERTY_QUERY q{StorageDeviceProperty, PropertyStandardQuery, {0}};
    std::vector<BYTE> buf(4096);
    ASSERT_TRUE(DeviceIoControl(d.h, IOCTL_STORAGE_QUERY_PROPERTY, &q, sizeof q, buf.data(), 4096, &n, nullptr));
    EXPECT_NE(reinterpret_cast<STORAGE_DEVICE_DESCRIPTOR*>(buf.data())->BusType, BusTypeFileBackedVirtual);
    EXPECT_FALSE(WriteFile(d.h, theirs.data(), 512, &n, nullptr));
}

// ---- Partitions and drive letters ----------------------------------------------------------------

constexpr uint64_t kFat32Start = 2048, kFat32Count = 81920;
constexpr uint64_t kNtfsStart = 83968, kNtfsCount = 32768;
constexpr uint64_t kLogicalStart = 118784, kLogicalCount = 36864;

class PartitionedDisk : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!HaveTool("fat32") || !HaveTool("ntfs"))
            return;
        path_ = new std::string(testsupport::ScratchDir() + "/parts.img");
        std::string error;
        made_ = MakeDisk(*path_, 160ULL << 20,
                         {{kFat32Start, kFat32Count, "c", "fat32", "FATLABEL", 0x12345678},
                          {kNtfsStart, kNtfsCount, "7", "ntfs", "NtfsLabel"},
                          {116736, 40960, "5", "", ""},
                          {kLogicalStart, kLogicalCount, "6", "fat16", "LOGICAL", 0xCAFE0001}},
                         error);
        if (!made_)
            std::fprintf(stderr, "%s\n", error.c_str());
    }
    static void TearDownTestSuite()
    {
        delete path_;
        path_ = nullptr;
    }
    void SetUp() override
    {
        if (!path_)
            GTEST_SKIP() << "sfdisk, mkfs.fat or mkntfs missing";
        ASSERT_TRUE(made_);
        attached = std::make_unique<AttachedDisks>(std::vector<std::string>{*path_});
    }
    // A private copy to damage.
    std::string Copy()
    {
        std::string copy = testsupport::ScratchDir() + "/copy.img";
        std::string cmd = "cp --sparse=always '" + *path_ + "' '" + copy + "'";
        EXPECT_EQ(std::system(cmd.c_str()), 0);
        attached.reset();
        attached = std::make_unique<AttachedDisks>(std::vector<std::string>{copy});
        return copy;
    }
    static std::string* path_;
    static bool made_;
    std::unique_ptr<AttachedDisks> attached;
};
std::string* PartitionedDisk::path_ = nullptr;
bool PartitionedDisk::made_ = false;

TEST_F(PartitionedDisk, LettersFollowTheTableFromC)
{
    EXPECT_EQ(GetLogicalDrives(), (1u << 2) | (1u << 3) | (1u << 4));
    EXPECT_EQ(GetDriveTypeW(u"C:\\"), UINT(DRIVE_FIXED));
    EXPECT_EQ(GetDriveTypeW(u"E:"), UINT(DRIVE_FIXED));
    EXPECT_EQ(GetDriveTypeW(u"F:\\"), UINT(DRIVE_NO_ROOT_DIR));
    WCHAR strings[64];
    DWORD n = GetLogicalDriveStringsW(64, strings);
    EXPECT_EQ(std::u16string(strings, n), std::u16string(u"C:\\\0D:\\\0E:\\\0", 12));

    // Each letter opens its own partition: the first sector is that partition's boot sector.
    struct {
        const char16_t* device;
        uint64_t start, count;
    } volumes[] = {{u"\\\\.\\C:", kFat32Start, kFat32Count},
                   {u"\\\\.\\d:", kNtfsStart, kNtfsCount},
                   {u"//./E:", kLogicalStart, kLogicalCount}};
    for (const auto& v : volumes) {
        Handle h(OpenRead(v.device));
        ASSERT_NE(h.h, INVALID_HANDLE_VALUE);
        std::vector<char> sector(512);
        DWORD got;
        ASSERT_TRUE(ReadFile(h.h, sector.data(), 512, &got, nullptr));
        EXPECT_EQ(sector, FileBytes(*path_, v.start * 512, 512));
        GET_LENGTH_INFORMATION length;
        ASSERT_TRUE(DeviceIoControl(h.h, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &length, sizeof length, &got, nullptr));
        EXPECT_EQ(uint64_t(length.Length.QuadPart), v.count * 512);
        OVERLAPPED ov{};
        ov.Offset = DWORD(v.count * 512);
        EXPECT_FALSE(ReadFile(h.h, sector.data(), 512, &got, &ov)); // the partition's end is the handle's end
    }

    // A drive letter of a partition that is not mounted leads to no file.
    EXPECT_EQ(GetFileAttributesW(u"C:\\boot.ini"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
}

// The number that follows `before` in a tool's report (~0 when the report lacks it).
uint64_t NumberAfter(const std::string& text, const std::string& before)
{
    size_t at = text.find(before);
    if (at == std::string::npos)
        return ~0ULL;
    at += before.size();
    while (at < text.size() && text[at] == ' ')
        ++at;
    return at < text.size() && std::isdigit((unsigned char)text[at]) ? std::stoull(text.substr(at)) : ~0ULL;
}

// fsck.fat reports "used/total clusters".
bool FatClusters(const std::string& report, uint64_t& used, uint64_t& total)
{
    size_t end = report.rfind(" clusters"); // the summary is the last line
    if (end == std::string::npos)
        return false;
    size_t slash = report.rfind('/', end), start = report.rfind(' ', slash);
    if (slash == std::string::npos || start == std::string::npos)
        return false;
    used = std::stoull(report.substr(start + 1));
    total = std::stoull(report.substr(slash + 1));
    return true;
}

TEST_F(PartitionedDisk, LabelSerialAndFreeSpaceOfUnmountedVolumes)
{
    WCHAR label[64], fs[16];
    DWORD serial = 0, maxLen = 0, flags = 0;
    ASSERT_TRUE(GetVolumeInformationW(u"C:\\", label, 64, &serial, &maxLen, &flags, fs, 16)) << GetLastError();
    EXPECT_EQ(std::u16string(label), u"FATLABEL");
    EXPECT_EQ(std::u16string(fs), u"FAT32");
    EXPECT_EQ(serial, 0x12345678u);
    EXPECT_EQ(maxLen, 255u);
    ASSERT_TRUE(GetVolumeInformationW(u"D:\\", label, 64, &serial, nullptr, nullptr, fs, 16));
    EXPECT_EQ(std::u16string(label), u"NtfsLabel");
    EXPECT_EQ(std::u16string(fs), u"NTFS");
    auto boot = FileBytes(*path_, kNtfsStart * 512 + 0x48, 4);
    uint32_t ntfsSerial;
    std::memcpy(&ntfsSerial, boot.data(), 4);
    EXPECT_EQ(serial, ntfsSerial);
    ASSERT_TRUE(GetVolumeInformationW(u"E:\\", label, 64, &serial, nullptr, nullptr, fs, 16));
    EXPECT_EQ(std::u16string(label), u"LOGICAL");
    EXPECT_EQ(std::u16string(fs), u"FAT");
    EXPECT_EQ(serial, 0xCAFE0001u);
    EXPECT_FALSE(GetVolumeInformationW(u"C:\\", label, 4, nullptr, nullptr, nullptr, nullptr, 0));

    ULARGE_INTEGER available, total, free;
    // FAT32 (FSInfo) and FAT16 (a FAT scan) against the file-system tool's own account.
    struct {
        const char16_t* root;
        uint64_t start, count, clusterBytes;
    } fats[] = {{u"C:\\", kFat32Start, kFat32Count, 512}, {u"E:\\", kLogicalStart, kLogicalCount, 2048}};
    for (const auto& v : fats) {
        ASSERT_TRUE(GetDiskFreeSpaceExW(v.root, &available, &total, &free));
        EXPECT_EQ(available.QuadPart, free.QuadPart);
        std::string part = testsupport::ScratchDir() + "/fat.part";
        RunCommand("dd if='" + *path_ + "' of='" + part + "' bs=512 skip=" + std::to_string(v.start)
            + " count=" + std::to_string(v.count) + " status=none");
        std::string report = RunCommand("/usr/sbin/fsck.fat -n -v '" + part + "'");
        uint64_t used, clusters;
        ASSERT_TRUE(FatClusters(report, used, clusters)) << report;
        EXPECT_EQ(total.QuadPart, clusters * v.clusterBytes);
        EXPECT_EQ(free.QuadPart, (clusters - used) * v.clusterBytes);
    }

    ASSERT_TRUE(GetDiskFreeSpaceExW(u"D:\\", &available, &total, &free));
    EXPECT_EQ(total.QuadPart, (kNtfsCount - 1) / 8 * 4096); // the last sector holds the backup boot sector
    std::string ntfsPart = testsupport::ScratchDir() + "/ntfs.part";
    RunCommand("dd if='" + *path_ + "' of='" + ntfsPart + "' bs=512 skip=" + std::to_string(kNtfsStart)
        + " count=" + std::to_string(kNtfsCount) + " status=none");
    uint64_t freeClusters = NumberAfter(RunCommand("ntfsinfo -m -f '" + ntfsPart + "'"), "Free Clusters:");
    if (freeClusters != ~0ULL) {
        EXPECT_EQ(free.QuadPart, freeClusters * 4096);
    }
    EXPECT_GT(free.QuadPart, 0u);
    EXPECT_LT(free.QuadPart, total.QuadPart);
}

TEST_F(PartitionedDisk, FatScanAgreesWithFsInfo)
{
    ULARGE_INTEGER fromInfo, total, free;
    ASSERT_TRUE(GetDiskFreeSpaceExW(u"C:\\", &fromInfo, &total, &free));
    std::string copy = Copy();
    // An unknown free count in FSInfo sends the layer to count the FAT itself.
    int fd = open(copy.c_str(), O_WRONLY);
    uint32_t unknown = 0xFFFFFFFF;
    ASSERT_EQ(pwrite(fd, &unknown, 4, off_t((kFat32Start + 1) * 512 + 488)), 4);
    close(fd);
    ULARGE_INTEGER scanned;
    ASSERT_TRUE(GetDiskFreeSpaceExW(u"C:\\", &scanned, &total, &free));
    EXPECT_EQ(scanned.QuadPart, fromInfo.QuadPart);
}

TEST_F(PartitionedDisk, DamagedStructuresFailCleanly)
{
    std::string copy = Copy();
    auto boot = FileBytes(copy, kNtfsStart * 512, 512);
    uint64_t mftCluster;
    std::memcpy(&mftCluster, boot.data() + 0x30, 8);
    uint64_t mft = kNtfsStart * 512 + mftCluster * 4096;
    struct Damage {
        const char* what;
        uint64_t offset;
        std::vector<unsigned char> bytes;
    } damages[] = {
        {"fixup of $MFT record 0", mft + 510, {0xAB, 0xCD}},
        {"MFT cluster past the partition", kNtfsStart * 512 + 0x30, {0xFF, 0xFF, 0xFF, 0x7F}},
        {"record size code", kNtfsStart * 512 + 0x40, {0x7F}},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.what);
        std::string cmd = "cp --sparse=always '" + *path_ + "' '" + copy + "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        int fd = open(copy.c_str(), O_WRONLY);
        ASSERT_EQ(pwrite(fd, d.bytes.data(), d.bytes.size(), off_t(d.offset)), ssize_t(d.bytes.size()));
        close(fd);
        WCHAR label[64];
        ULARGE_INTEGER a, t, f;
        bool info = GetVolumeInformationW(u"D:\\", label, 64, nullptr, nullptr, nullptr, nullptr, 0);
        bool space = GetDiskFreeSpaceExW(u"D:\\", &a, &t, &f);
        EXPECT_FALSE(info && space);
        if (!space) {
            EXPECT_NE(GetLastError(), DWORD(ERROR_SUCCESS));
        }
    }
    // A marked boot sector makes the volume unreadable, reported as such.
    dovemark::device_hooks::SetUnreadableSectors(copy, {kFat32Start});
    EXPECT_FALSE(GetVolumeInformationW(u"C:\\", nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_CRC));
    dovemark::device_hooks::ClearUnreadableSectors();
}

TEST_F(PartitionedDisk, AFatShorterThanItsClustersIsReportedCorrupt)
{
    std::string copy = Copy();
    int fd = open(copy.c_str(), O_WRONLY);
    uint32_t oneSector = 1, unknown = 0xFFFFFFFF;
    ASSERT_EQ(pwrite(fd, &oneSector, 4, off_t(kFat32Start * 512 + 0x24)), 4);
    ASSERT_EQ(pwrite(fd, &unknown, 4, off_t((kFat32Start + 1) * 512 + 488)), 4);
    close(fd);
    ULARGE_INTEGER a, t, f;
    EXPECT_FALSE(GetDiskFreeSpaceExW(u"C:\\", &a, &t, &f));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_CORRUPT));
}

TEST_F(PartitionedDisk, ASecondImageTakesTheNextNumberAndLetters)
{
    attached.reset();
    std::string copy = testsupport::ScratchDir() + "/second.img";
    ASSERT_EQ(std::system(("cp --sparse=always '" + *path_ + "' '" + copy + "'").c_str()), 0);
    attached = std::make_unique<AttachedDisks>(std::vector<std::string>{*path_, copy});
    EXPECT_EQ(GetLogicalDrives(), 0x3Fu << 2); // C: to H:
    Handle second(OpenRead(u"\\\\.\\PhysicalDrive1"));
    EXPECT_NE(second.h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenRead(u"\\\\.\\PhysicalDrive2"), INVALID_HANDLE_VALUE);
}

} // namespace
