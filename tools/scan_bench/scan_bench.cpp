// Quick scans of a crafted 100,000-file NTFS volume and a 50,000-file FAT32 volume, with the heap their found
// lists hold per item and the process's peak memory; the full scan's sweep of a 2 GiB image next to a plain read
// in 1 MiB blocks (five runs each, min and median).
#include "engine/engine_state.h"
#include "engine/full_scan.h"
#include "engine/ntfs_record.h"
#include "engine/quick_scan.h"
#include "engine/scan_control.h"
#include "engine/scan_flags.h"
#include "engine/sector_reader.h"
#include "tests/engine/crafted.h"
#include "win32/kernel.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <malloc.h>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr DWORD kNtfsFolders = 100;
constexpr DWORD kNtfsFiles = 100000;
constexpr DWORD kFatFolders = 50;
constexpr DWORD kFatFilesPerFolder = 1000;
constexpr ULONGLONG kSweepBytes = 2ULL << 30;

std::string TempImage(const char* name) { return "/tmp/scan_bench_" + std::to_string(getpid()) + "_" + name; }

void WriteImage(const std::string& path, const std::vector<BYTE>& bytes, ULONGLONG length)
{
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
    if (fd < 0 || pwrite(fd, bytes.data(), bytes.size(), 0) != ssize_t(bytes.size()) || ftruncate(fd, off_t(length)) != 0)
        std::perror(path.c_str());
    if (fd >= 0)
        close(fd);
}

void Attach(const std::string& path)
{
    if (PhysicalDriveHandle && PhysicalDriveHandle != INVALID_HANDLE_VALUE)
        CloseHandle(PhysicalDriveHandle);
    setenv("DOVEMARK_DISKS", path.c_str(), 1);
    setenv("DOVEMARK_HOST_DISKS", "0", 1);
    ResetPhysicalDrivePaths();
    DriveKind = 1;
    DriveNumber = 0;
    OpenPhysicalDrive();
}

std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

// An NTFS volume at sector 0: 4 KiB clusters, the MFT from cluster 4 with the root, the folders and the files.
std::vector<BYTE> NtfsImage()
{
    using crafted::Put16;
    using crafted::Put32;
    using crafted::Put64;
    const DWORD firstFolder = 24, firstFile = firstFolder + kNtfsFolders;
    const DWORD records = firstFile + kNtfsFiles;
    const DWORD mftSector = 32;
    const DWORD mftClusters = (records + 3) / 4;
    std::vector<BYTE> image((mftSector + 2ULL * records) * SECTOR_SIZE, 0);
    BYTE* boot = image.data();
    std::memcpy(boot + 3, "NTFS    ", 8);
    Put16(boot + 0x0B, SECTOR_SIZE);
    boot[0x0D] = 8;
    Put64(boot + 0x28, image.size() / SECTOR_SIZE + 1000);
    Put64(boot + 0x30, mftSector / 8);
    Put64(boot + 0x38, 2);
    boot[0x40] = 0xF6;
    boot[0x44] = 1;
    boot[510] = 0x55, boot[511] = 0xAA;
    auto put = [&](DWORD number, crafted::MftRecord& r) {
        std::vector<BYTE>& b = r.Finish();
        std::memcpy(image.data() + (mftSector + 2ULL * number) * SECTOR_SIZE, b.data(), b.size());
    };
    {
        crafted::MftRecord mft(1);
        mft.Resident(ATTR_FILE_NAME, crafted::FileNameValue(u"$MFT", 5, 3));
        const std::vector<BYTE> runs = {0x12, BYTE(mftClusters), BYTE(mftClusters >> 8), BYTE(mftSector / 8), 0};
        mft.NonResident(0x80, runs, ULONGLONG(records) * 1024);
        put(0, mft);
        std::memcpy(image.data() + 16 * SECTOR_SIZE, image.data() + mftSector * SECTOR_SIZE, 1024);
    }
    {
        crafted::MftRecord root(3);
        root.Resident(ATTR_FILE_NAME, crafted::FileNameValue(u".", 5, 3));
        put(5, root);
    }
    char name[64];
    for (DWORD i = 0; i < kNtfsFolders; ++i) {
        crafted::MftRecord folder(3);
        std::snprintf(name, sizeof name, "folder %03u", i);
        folder.Resident(ATTR_FILE_NAME, crafted::FileNameValue(Wide(name), 5, 1));
        put(firstFolder + i, folder);
    }
    const std::vector<BYTE> data(16, 'x');
    for (DWORD i = 0; i < kNtfsFiles; ++i) {
        crafted::MftRecord file(i % 7 == 0 ? 0 : 1);
        std::snprintf(name, sizeof name, "file number %06u.txt", i);
        file.Resident(ATTR_FILE_NAME, crafted::FileNameValue(Wide(name), firstFolder + i % kNtfsFolders, 1));
        file.Resident(0x80, data);
        put(firstFile + i, file);
    }
    return image;
}

// A FAT32 volume at sector 0: 4 KiB clusters, a root of folders, each folder of files with long names.
std::vector<BYTE> FatImage(ULONGLONG* length)
{
    using crafted::Put16;
    using crafted::Put32;
    const DWORD spc = 8, reserved = 32, clusters = 4096;
    const DWORD fatSectors = ((clusters + 2) * 4 + SECTOR_SIZE - 1) / SECTOR_SIZE;
    const ULONGLONG origin = reserved + 2ULL * fatSectors - 2 * spc;
    *length = (origin + ULONGLONG(clusters + 2) * spc) * SECTOR_SIZE;
    std::vector<BYTE> image(size_t(*length), 0);
    BYTE* boot = image.data();
    Put16(boot + 0x0B, SECTOR_SIZE);
    boot[0x0D] = BYTE(spc);
    Put16(boot + 0x0E, reserved);
    boot[0x10] = 2;
    boot[0x15] = 0xF8;
    Put32(boot + 0x20, DWORD(*length / SECTOR_SIZE));
    Put32(boot + 0x24, fatSectors);
    Put32(boot + 0x2C, 2);
    std::memcpy(boot + 0x52, "FAT32   ", 8);
    boot[510] = 0x55, boot[511] = 0xAA;
    std::vector<DWORD> fat(clusters + 2, 0);
    fat[0] = 0x0FFFFFF8;
    fat[1] = 0x0FFFFFFF;
    DWORD nextCluster = 2;
    // Lays entries out in a fresh chain of clusters and returns its first cluster.
    auto chain = [&](const std::vector<BYTE>& entries) {
        const DWORD bytesPerCluster = spc * SECTOR_SIZE;
        const DWORD count = DWORD((entries.size() + bytesPerCluster) / bytesPerCluster);
        const DWORD first = nextCluster;
        for (DWORD k = 0; k < count; ++k)
            fat[first + k] = k + 1 < count ? first + k + 1 : 0x0FFFFFFF;
        std::memcpy(image.data() + (origin + ULONGLONG(first) * spc) * SECTOR_SIZE, entries.data(), entries.size());
        nextCluster += count;
        return first;
    };
    auto append = [](std::vector<BYTE>& to, const std::vector<BYTE>& e) { to.insert(to.end(), e.begin(), e.end()); };
    char shortName[16], longName[64];
    std::vector<BYTE> root;
    // The root takes its clusters first, so it starts at cluster 2 as the boot sector says.
    std::vector<std::vector<BYTE>> folders(kFatFolders);
    const DWORD rootClusters = 2;
    nextCluster = 2 + rootClusters;
    for (DWORD f = 0; f < kFatFolders; ++f) {
        std::vector<BYTE> dir;
        const DWORD self = nextCluster;
        append(dir, crafted::ShortEntry(".          ", 0x10, self, 0));
        append(dir, crafted::ShortEntry("..         ", 0x10, 0, 0));
        for (DWORD i = 0; i < kFatFilesPerFolder; ++i) {
            std::snprintf(shortName, sizeof shortName, "F%07uTXT", f * kFatFilesPerFolder + i);
            std::snprintf(longName, sizeof longName, "file number %06u.txt", f * kFatFilesPerFolder + i);
            std::vector<BYTE> s = crafted::ShortEntry(shortName, 0x20, 3000, 1000);
            std::vector<BYTE> l = crafted::LongEntries(Wide(longName), s);
            if (i % 7 == 0) {
                crafted::MarkDeleted(l);
                crafted::MarkDeleted(s);
            }
            append(dir, l);
            append(dir, s);
        }
        const DWORD first = chain(dir);
        std::snprintf(shortName, sizeof shortName, "FOLDER%02u   ", f);
        std::snprintf(longName, sizeof longName, "folder number %02u", f);
        std::vector<BYTE> s = crafted::ShortEntry(shortName, 0x10, first, 0);
        append(root, crafted::LongEntries(Wide(longName), s));
        append(root, s);
    }
    fat[2] = 3;
    fat[3] = 0x0FFFFFFF;
    std::memcpy(image.data() + (origin + 2ULL * spc) * SECTOR_SIZE, root.data(), root.size());
    for (int copy = 0; copy < 2; ++copy)
        std::memcpy(image.data() + (reserved + ULONGLONG(copy) * fatSectors) * SECTOR_SIZE, fat.data(), fat.size() * 4);
    return image;
}

// Under the address sanitizer the C library's counters stay empty; its allocator keeps its own.
extern "C" size_t __sanitizer_get_current_allocated_bytes() __attribute__((weak));

size_t HeapInUse()
{
    if (__sanitizer_get_current_allocated_bytes)
        return __sanitizer_get_current_allocated_bytes();
    return mallinfo2().uordblks;
}

double PeakRssMiB()
{
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

void QuickScan(benchmark::State& state, WORD kind, ULONGLONG sectors, ULONGLONG items)
{
    size_t listBytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        FreeScanResultLists();
        const size_t before = HeapInUse();
        state.ResumeTiming();
        ScanMode = 2;
        PartitionParams = {};
        PartitionParams.PartitionFsType = kind;
        PartitionParams.SectorCount = DWORD(sectors);
        PartitionParams.BackupSector = DWORD(sectors - 1);
        BeginScanRun();
        QuickScanThread(nullptr);
        state.PauseTiming();
        listBytes = HeapInUse() - before;
        state.ResumeTiming();
    }
    state.counters["items"] = double(items);
    state.counters["found"] = double(FoundFolderCount + FoundFileCount);
    state.counters["list_bytes_per_item"] = double(listBytes) / double(items);
    state.counters["peak_rss_MiB"] = PeakRssMiB();
    FreeScanResultLists();
}

void BM_QuickScanNtfs100k(benchmark::State& state)
{
    const std::string path = TempImage("ntfs.img");
    const std::vector<BYTE> image = NtfsImage();
    WriteImage(path, image, image.size() + 1000ULL * SECTOR_SIZE);
    Attach(path);
    QuickScan(state, FS_KIND_NTFS, image.size() / SECTOR_SIZE + 1000, kNtfsFolders + kNtfsFiles);
    std::remove(path.c_str());
}
BENCHMARK(BM_QuickScanNtfs100k)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_QuickScanFat32_50k(benchmark::State& state)
{
    const std::string path = TempImage("fat32.img");
    ULONGLONG length = 0;
    const std::vector<BYTE> image = FatImage(&length);
    WriteImage(path, image, length);
    Attach(path);
    QuickScan(state, FS_KIND_FAT32, length / SECTOR_SIZE, kFatFolders + kFatFolders * kFatFilesPerFolder);
    std::remove(path.c_str());
}
BENCHMARK(BM_QuickScanFat32_50k)->Unit(benchmark::kMillisecond)->Iterations(3);

// A 2 GiB image with an NTFS boot sector and a few MFT records; the rest reads as zeros.
std::string SweepImage()
{
    const std::string path = TempImage("sweep.img");
    std::vector<BYTE> head(64 * SECTOR_SIZE, 0);
    std::memcpy(head.data() + 3, "NTFS    ", 8);
    head[510] = 0x55, head[511] = 0xAA;
    WriteImage(path, head, kSweepBytes);
    return path;
}

double Min(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

// The sweep's read phase over a warm image; compare with the plain read below (the yardstick is their ratio).
void BM_FullScanSweep2GiB(benchmark::State& state)
{
    const std::string path = SweepImage();
    Attach(path);
    for (auto _ : state) {
        ResetFullScanLists();
        PartitionParams = {};
        PartitionParams.PartitionFsType = FS_KIND_NTFS;
        PartitionParams.SectorCount = DWORD(kSweepBytes / SECTOR_SIZE);
        BeginScanRun();
        FullScanNtfs();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kSweepBytes));
    state.counters["peak_rss_MiB"] = PeakRssMiB();
    ResetFullScanLists();
    std::remove(path.c_str());
}
BENCHMARK(BM_FullScanSweep2GiB)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ComputeStatistics("min", Min)
    ->ReportAggregatesOnly(true);

// What "dd bs=1M if=IMAGE of=/dev/null" does: sequential 1 MiB reads of the warm image.
void BM_PlainRead2GiB(benchmark::State& state)
{
    const std::string path = SweepImage();
    std::vector<char> buffer(1 << 20);
    for (auto _ : state) {
        int fd = open(path.c_str(), O_RDONLY);
        while (read(fd, buffer.data(), buffer.size()) > 0) {
        }
        close(fd);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kSweepBytes));
    state.counters["peak_rss_MiB"] = PeakRssMiB();
    std::remove(path.c_str());
}
BENCHMARK(BM_PlainRead2GiB)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ComputeStatistics("min", Min)
    ->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
