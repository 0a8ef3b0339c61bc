// Filling the list with a folder of 100,000 files, building a tree of 100,000 folders, and writing a
// 1 GiB NTFS file through the recovery writer next to a plain read/write copy of the same bytes.
#include "engine/engine_state.h"
#include "engine/folder_tree_build.h"
#include "engine/found_list_fill.h"
#include "engine/recovery_writer.h"
#include "engine/sector_reader.h"
#include "win32/kernel.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr DWORD kFiles = 100000;
constexpr ULONGLONG kDataBytes = 1ULL << 30;
constexpr DWORD kSpc = 8;
constexpr DWORD kDataCluster = 16;

std::u16string Name(DWORD i)
{
    std::string s = "file" + std::to_string(i) + ".txt";
    return std::u16string(s.begin(), s.end());
}

void BM_FillFatFolder(benchmark::State& state)
{
    FreeScanResultLists();
    AddFatFolderRecord(u"big", 3, 0, 0, 0, 0, 0);
    for (DWORD i = 0; i < kFiles; ++i)
        AddFatEntryRecord(Name(i).c_str(), 100 + i, 3, 0, 0, 1000, i % 7 == 0);
    for (auto _ : state)
        ShowFatFolder(3);
    FreeScanResultLists();
}
BENCHMARK(BM_FillFatFolder)->Unit(benchmark::kMillisecond);

void BM_BuildDeepNtfsTree(benchmark::State& state)
{
    FreeScanResultLists();
    ScanMode = 2;
    for (DWORD i = 0; i < kFiles; ++i)
        AddQuickFolderNode(Name(i).c_str(), 100 + i, i == 0 ? 5 : 99 + i, 0, 0, 0, 0, 0, 0);
    for (auto _ : state) {
        ScanStopFlag = 0;
        TreeItemCount = 0;
        BuildNtfsFolderTree(0x80000001u, 5);
    }
    FreeScanResultLists();
}
BENCHMARK(BM_BuildDeepNtfsTree)->Unit(benchmark::kMillisecond);

// A disk image with one MFT record at sector 0 whose $DATA is one run of kDataBytes.
struct WriterImage {
    std::string path = "/tmp/recovery_bench_" + std::to_string(getpid()) + ".img";
    std::string out = "/tmp/recovery_bench_" + std::to_string(getpid()) + "_out";
    WriterImage()
    {
        const ULONGLONG dataSector = ULONGLONG(kDataCluster) * kSpc;
        int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
        std::vector<char> block(1 << 20);
        for (size_t i = 0; i < block.size(); ++i)
            block[i] = char(i * 31 + 7);
        for (ULONGLONG at = 0; at < kDataBytes; at += block.size())
            pwrite(fd, block.data(), block.size(), off_t(dataSector * SECTOR_SIZE + at));
        BYTE record[1024] = {};
        std::memcpy(record, "FILE", 4);
        record[4] = 0x30; record[6] = 3;
        record[0x30] = 7;
        record[0x14] = 0x38;
        record[0x16] = 1;
        record[0x1C] = 0x00; record[0x1D] = 0x04;
        BYTE* a = record + 0x38;
        a[0] = 0x80; a[4] = 0x48; a[8] = 1; a[0x20] = 0x40;
        const ULONGLONG clusters = kDataBytes / (kSpc * SECTOR_SIZE);
        std::memcpy(a + 0x18, &clusters, 8); // last VCN + 1, close enough for a reader
        std::memcpy(a + 0x28, &kDataBytes, 8);
        std::memcpy(a + 0x30, &kDataBytes, 8);
        std::memcpy(a + 0x38, &kDataBytes, 8);
        // Run: 4-byte length, 1-byte offset.
        a[0x40] = 0x14;
        const DWORD len = DWORD(clusters);
        std::memcpy(a + 0x41, &len, 4);
        a[0x45] = BYTE(kDataCluster);
        a[0x46] = 0;
        std::memcpy(record + 0x38 + 0x48, "\xFF\xFF\xFF\xFF", 4);
        record[0x18] = BYTE(0x38 + 0x48 + 8);
        for (int s = 1; s <= 2; ++s) {
            std::memcpy(record + 0x30 + 2 * s, record + s * 512 - 2, 2);
            record[s * 512 - 2] = 7;
            record[s * 512 - 1] = 0;
        }
        pwrite(fd, record, sizeof record, 0);
        close(fd);
        setenv("DOVEMARK_DISKS", path.c_str(), 1);
        setenv("DOVEMARK_HOST_DISKS", "0", 1);
        ResetPhysicalDrivePaths();
        DriveKind = 1;
        DriveNumber = 0;
        OpenPhysicalDrive();
        PartitionParams = {};
        PartitionParams.SectorsPerCluster = kSpc;
    }
    ~WriterImage()
    {
        std::remove(path.c_str());
        std::remove(out.c_str());
    }
};

void BM_RecoverOneGiB(benchmark::State& state)
{
    WriterImage image;
    const std::u16string folder(image.out.begin(), image.out.end());
    mkdir(image.out.c_str(), 0700);
    for (auto _ : state) {
        SaveStopFlag = 0;
        RecoverNtfsFile(folder.c_str(), u"big.bin", DWORD(kDataBytes), DWORD(kDataBytes >> 32), 0, 0, 0);
    }
    std::remove((image.out + "/big.bin").c_str());
    rmdir(image.out.c_str());
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kDataBytes));
}
BENCHMARK(BM_RecoverOneGiB)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PlainCopyOneGiB(benchmark::State& state)
{
    WriterImage image;
    const std::string target = image.out + ".plain";
    std::vector<char> buffer(128 * SECTOR_SIZE); // the writer's read size
    for (auto _ : state) {
        int in = open(image.path.c_str(), O_RDONLY);
        int out = open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        off_t at = off_t(kDataCluster) * kSpc * SECTOR_SIZE;
        for (ULONGLONG done = 0; done < kDataBytes; done += buffer.size(), at += off_t(buffer.size())) {
            pread(in, buffer.data(), buffer.size(), at);
            if (write(out, buffer.data(), buffer.size()) < 0)
                break;
        }
        close(out);
        close(in);
    }
    std::remove(target.c_str());
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kDataBytes));
}
BENCHMARK(BM_PlainCopyOneGiB)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
