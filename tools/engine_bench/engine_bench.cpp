// ReadSectors in runs of 60 sectors over a 1 GiB image, next to a plain pread loop with the same block size,
// through the page cache and with O_DIRECT. Set DOVEMARK_BENCH_IMAGE to use an existing image.
#include "engine/engine_state.h"
#include "engine/sector_reader.h"
#include "win32/kernel.h"
#include "win32/kernel/device_hooks.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr DWORD kRun = 60;
constexpr size_t kRunBytes = size_t(kRun) * SECTOR_SIZE;
constexpr ULONGLONG kImageBytes = 1ULL << 30;

struct Image {
    std::string path;
    bool owned = false;
    ULONGLONG sectors = 0;

    Image()
    {
        if (const char* given = std::getenv("DOVEMARK_BENCH_IMAGE")) {
            path = given;
        } else {
            char tmpl[] = "/tmp/dovemark-bench-XXXXXX";
            int fd = mkstemp(tmpl);
            if (fd < 0)
                std::abort();
            path = tmpl;
            owned = true;
            // Real bytes rather than holes, so both loops copy data from the page cache.
            std::vector<char> chunk(1 << 20);
            for (size_t i = 0; i < chunk.size(); ++i)
                chunk[i] = char(i * 31 + 7);
            for (ULONGLONG done = 0; done < kImageBytes; done += chunk.size())
                if (write(fd, chunk.data(), chunk.size()) != ssize_t(chunk.size()))
                    std::abort();
            close(fd);
        }
        int fd = open(path.c_str(), O_RDONLY);
        sectors = ULONGLONG(lseek(fd, 0, SEEK_END)) / SECTOR_SIZE;
        close(fd);
        setenv("DOVEMARK_DISKS", path.c_str(), 1);
        setenv("DOVEMARK_HOST_DISKS", "0", 1);
    }
    ~Image()
    {
        if (owned)
            unlink(path.c_str());
    }
};

Image& TheImage()
{
    static Image image;
    return image;
}

void* AlignedBuffer()
{
    void* p = nullptr;
    if (posix_memalign(&p, 4096, kRunBytes) != 0)
        std::abort();
    return p;
}

void ReadSectorsLoop(benchmark::State& state, bool direct)
{
    Image& image = TheImage();
    dovemark::device_hooks::SetDirectReads(direct);
    DriveKind = 1;
    DriveNumber = 0;
    ResetPhysicalDrivePaths();
    if (OpenPhysicalDrive() == INVALID_HANDLE_VALUE) {
        state.SkipWithError("cannot open the image through the layer");
        return;
    }
    void* buffer = AlignedBuffer();
    const ULONGLONG runs = image.sectors / kRun;
    for (auto _ : state) {
        for (ULONGLONG r = 0; r < runs; ++r)
            if (ReadSectors(SelectedDevicePath(), r * kRun, kRun, buffer) != 1)
                state.SkipWithError("read failed");
        benchmark::DoNotOptimize(buffer);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(runs * kRunBytes));
    std::free(buffer);
    CloseHandle(PhysicalDriveHandle);
    PhysicalDriveHandle = nullptr;
    dovemark::device_hooks::SetDirectReads(false);
}

void PreadLoop(benchmark::State& state, bool direct)
{
    Image& image = TheImage();
    int fd = open(image.path.c_str(), O_RDONLY | (direct ? O_DIRECT : 0));
    if (fd < 0) {
        state.SkipWithError("cannot open the image");
        return;
    }
    void* buffer = AlignedBuffer();
    const ULONGLONG runs = image.sectors / kRun;
    for (auto _ : state) {
        for (ULONGLONG r = 0; r < runs; ++r)
            if (pread(fd, buffer, kRunBytes, off_t(r * kRunBytes)) != ssize_t(kRunBytes))
                state.SkipWithError("read failed");
        benchmark::DoNotOptimize(buffer);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(runs * kRunBytes));
    std::free(buffer);
    close(fd);
}

void BM_ReadSectorsBuffered(benchmark::State& s) { ReadSectorsLoop(s, false); }
void BM_PreadBuffered(benchmark::State& s) { PreadLoop(s, false); }
void BM_ReadSectorsDirect(benchmark::State& s) { ReadSectorsLoop(s, true); }
void BM_PreadDirect(benchmark::State& s) { PreadLoop(s, true); }

BENCHMARK(BM_PreadBuffered)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ReadSectorsBuffered)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_PreadDirect)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ReadSectorsDirect)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
