// Times the full scan's FAT rebuild and MFT numbering on crafted worst cases at a size and twice that size, and
// prints the ratio of the two times: near 2 for work that grows near-linearly, near 4 for quadratic work.
// Usage: analysis_bench [base size] (default 65536 directory records and 20000 folders).
#include "engine/engine_state.h"
#include "engine/full_scan.h"
#include "engine/sector_reader.h"
#include "tests/engine/crafted.h"
#include "win32/kernel.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using crafted::Put16;
using crafted::Put32;

double Seconds(void (*prepare)(DWORD), void (*run)(), DWORD n)
{
    double best = 1e9;
    for (int round = 0; round < 3; ++round) {
        prepare(n);
        const auto start = std::chrono::steady_clock::now();
        run();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = took.count() < best ? took.count() : best;
    }
    ResetFullScanLists();
    return best;
}

// Directory records of which no two share a layout but each could pair with many (every anchor is tried and given
// up), then pairs that do make volumes: both kinds of work the rebuild does for every record.
void PrepareRebuild(DWORD n)
{
    ResetFullScanLists();
    DirSectorRecordCount = 0;
    FullScanVolumeCount = 0;
    ScanStopFlag = 0;
    for (DWORD i = 0; i < n / 2; ++i, ++DirSectorRecordCount)
        AddDirSectorRecord(100000 + 3 * i, 7, 0, 0, 0, 0);
    const DWORD base = 100000 + 3 * (n / 2) + 64;
    for (DWORD i = 0; i < n / 4; ++i) {
        // Two records 8 clusters apart at 8 sectors a cluster; each pair has an origin of its own.
        AddDirSectorRecord(base + 1000 * i, 3, 0, 0, 0, 0);
        AddDirSectorRecord(base + 1000 * i + 64, 11, 0, 0, 0, 0);
        DirSectorRecordCount += 2;
    }
}

void RunRebuild() { RebuildFatVolumes(); }

std::string g_image;

// Folders that all share one creation time and parent, each named by one entry of an index block on the disk.
void PrepareNumbering(DWORD n)
{
    ResetFullScanLists();
    ScanStopFlag = 0;
    constexpr DWORD kPerBlock = 35;
    const DWORD blocks = (n + kPerBlock - 1) / kPerBlock;
    std::vector<BYTE> image(size_t(blocks) * 4096, 0);
    char name[32];
    for (DWORD b = 0; b < blocks; ++b) {
        BYTE* block = image.data() + size_t(b) * 4096;
        std::memcpy(block, "INDX", 4);
        Put16(block + 4, 0x28);
        Put16(block + 6, 9);
        Put32(block + 0x18, 0x40);
        Put32(block + 0x20, 4096 - 24);
        Put16(block + 0x28, 1);
        size_t e = 0x58;
        for (DWORD k = 0; k < kPerBlock && b * kPerBlock + k < n; ++k) {
            const DWORD i = b * kPerBlock + k;
            const int chars = std::snprintf(name, sizeof name, "folder%07u", i);
            const size_t length = (0x52 + 2 * size_t(chars) + 7) & ~size_t(7);
            BYTE* p = block + e;
            Put32(p, 100 + i);
            Put16(p + 8, unsigned(length));
            Put32(p + 0x10, 5);
            Put16(p + 0x4A, 0x1000);
            p[0x50] = BYTE(chars);
            for (int c = 0; c < chars; ++c)
                Put16(p + 0x52 + 2 * c, BYTE(name[c]));
            e += length;
        }
        Put16(block + e + 0x0C, 2);
        for (int s = 1; s <= 8; ++s) {
            std::memcpy(block + 0x28 + 2 * s, block + s * 512 - 2, 2);
            Put16(block + s * 512 - 2, 1);
        }
        AppendIndexBlockNode(b * 8, 5, 0, 0xFFFF, 8);
    }
    int fd = open(g_image.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
    if (fd < 0 || write(fd, image.data(), image.size()) != ssize_t(image.size()))
        std::abort();
    close(fd);
    if (PhysicalDriveHandle && PhysicalDriveHandle != INVALID_HANDLE_VALUE)
        CloseHandle(PhysicalDriveHandle);
    ResetPhysicalDrivePaths();
    DriveKind = 1;
    DriveNumber = 0;
    OpenPhysicalDrive();
    // In list order opposite to the entries, so each entry's folder is the last one a walk would reach.
    for (DWORD i = n; i-- > 0;) {
        std::snprintf(name, sizeof name, "folder%07u", i);
        std::u16string wide(name, name + std::strlen(name));
        AddFoundFolder(wide.c_str(), 1000000 + 2 * (n - i), 5, 0, 0, 0, 0, 0, 0, 0, 0);
    }
}

void RunNumbering() { NumberMftRecords(); }

void Report(const char* what, void (*prepare)(DWORD), void (*run)(), DWORD n)
{
    const double small = Seconds(prepare, run, n);
    const double large = Seconds(prepare, run, 2 * n);
    std::printf("%-40s %8u: %8.3f s   %8u: %8.3f s   ratio %.2f\n", what, n, small, 2 * n, large,
                small > 0 ? large / small : 0.0);
}

} // namespace

int main(int argc, char** argv)
{
    const DWORD base = argc > 1 ? DWORD(std::strtoul(argv[1], nullptr, 10)) : 65536;
    g_image = "/tmp/analysis_bench_" + std::to_string(getpid()) + ".img";
    setenv("DOVEMARK_DISKS", g_image.c_str(), 1);
    setenv("DOVEMARK_HOST_DISKS", "0", 1);
    Report("FAT rebuild (directory records)", PrepareRebuild, RunRebuild, base);
    Report("MFT numbering (folders, one creation time)", PrepareNumbering, RunNumbering, base * 20000 / 65536);
    if (PhysicalDriveHandle && PhysicalDriveHandle != INVALID_HANDLE_VALUE)
        CloseHandle(PhysicalDriveHandle);
    unlink(g_image.c_str());
    return 0;
}
