// File tracing over a 2 GiB image with every type chosen, next to the plain sector read of the same range.
#include "engine/engine_state.h"
#include "engine/file_tracing.h"
#include "engine/scan_control.h"
#include "engine/scan_flags.h"
#include "engine/sector_reader.h"
#include "engine/signature_list.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int kImageMiB = 2048;

// Makes (once) the image with the planted files repeated every 64 MiB, attaches it and chooses every type.
bool Prepare()
{
    static bool ready = [] {
        std::string folder = std::string(DOVEMARK_BINARY_DIR) + "/tracing-bench";
        std::filesystem::create_directories(folder);
        std::string image = folder + "/traced-2g.img";
        if (!std::filesystem::exists(image)) {
            std::string command = "python3 '" DOVEMARK_SOURCE_DIR "/tests/fixtures/make_traced_image.py' '" + image +
                                  "' '" + folder + "/traced-2g.json' --size-mib " + std::to_string(kImageMiB) +
                                  " --repeat-every-mib 64";
            if (std::system(command.c_str()) != 0)
                return false;
        }
        setenv("DOVEMARK_DISKS", image.c_str(), 1);
        setenv("DOVEMARK_HOST_DISKS", "0", 1);
        DriveKind = 1;
        DriveNumber = 0;
        if (OpenPhysicalDrive() == INVALID_HANDLE_VALUE)
            return false;
        ULONGLONG sectors = SelectedDeviceSectors();
        PartitionParams = {};
        PartitionParams.PartitionFsType = FS_KIND_FAT16;
        PartitionParams.SectorCount = static_cast<DWORD>(sectors);
        PartitionParams.BackupSector = static_cast<DWORD>(sectors);
        ShowScanDetails = 1;

        std::ifstream in(std::string(DOVEMARK_BINARY_DIR) + "/app/Raw.dat", std::ios::binary);
        std::vector<uint8_t> raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<SignatureDefinition> records;
        ParseSignatureFile(raw.data(), raw.size(), records);
        std::vector<std::string> all;
        for (const auto& record : records)
            all.push_back(record.extension);
        for (const SignatureDefinition* record : SignaturesInTreeOrder(records, all)) {
            // The benchmark's texts are ASCII extensions; the type texts need no conversion to be told apart.
            std::u16string extension(record->extension.begin(), record->extension.end());
            std::string hex = BytesToHexText(record->signature.data(), record->signature.size(), true);
            AddTracedFolder(extension.c_str(), extension.c_str(), SignatureLengthValue(*record), hex.c_str(), 0);
        }
        return sectors > 0;
    }();
    return ready;
}

void BM_PlainRead(benchmark::State& state)
{
    if (!Prepare()) {
        state.SkipWithError("image not available");
        return;
    }
    std::vector<BYTE> buffer(kTraceRunSectors * SECTOR_SIZE);
    const ULONGLONG sectors = SelectedDeviceSectors();
    for (auto _ : state) {
        for (ULONGLONG sector = 0; sector < sectors; sector += kTraceRunSectors)
            ReadSectors(SelectedDevicePath(), sector, kTraceRunSectors, buffer.data());
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * sectors * SECTOR_SIZE));
}

void BM_TraceFilesAllTypes(benchmark::State& state)
{
    if (!Prepare()) {
        state.SkipWithError("image not available");
        return;
    }
    const ULONGLONG sectors = SelectedDeviceSectors();
    TraceSweepResult result;
    for (auto _ : state) {
        BeginScanRun();
        result = TraceFiles();
        MarkWorkerFinished(false);
    }
    state.counters["files"] = static_cast<double>(FoundFileCount);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * sectors * SECTOR_SIZE));
}

} // namespace

BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_TraceFilesAllTypes)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_MAIN();
