// Runs a full scan and a tracing run of a disk image three ways: through the application's port with the scan
// details shown, with them hidden, and through the engine's silent port; prints the times and their ratios.
//   port_bench <disk image with partitions> <Raw.dat>
#include "app/dovemark_app.h"
#include "app/engine_ui.h"
#include "app/main_frame.h"
#include "engine/drive_identify.h"
#include "engine/engine_state.h"
#include "engine/file_tracing.h"
#include "engine/full_scan.h"
#include "engine/partition_table.h"
#include "engine/scan_control.h"
#include "engine/scan_flags.h"
#include "engine/sector_reader.h"
#include "engine/signature_list.h"
#include "win32/text.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::u16string FromCodePage(const std::string& text)
{
    std::u16string wide(text.size() + 1, u'\0');
    const int n = MultiByteToWideChar(936, 0, text.data(), int(text.size()), wide.data(), int(wide.size()));
    wide.resize(size_t(n > 0 ? n : 0));
    return wide;
}

// Every signature of the definition file, as the file-type dialog gives them with all types ticked.
bool ChooseAllSignatures(const char* rawDat)
{
    std::ifstream in(rawDat, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<SignatureDefinition> records;
    ParseSignatureFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), records);
    std::vector<std::string> all;
    for (const auto& r : records)
        all.push_back(r.extension);
    FreeTracedFolders();
    SignatureCount = 0;
    for (const SignatureDefinition* d : SignaturesInTreeOrder(records, all)) {
        const std::string hex = BytesToHexText(d->signature.data(), d->signature.size(), true);
        AddTracedFolder(FromCodePage(d->extension).c_str(), FromCodePage(d->typeText).c_str(),
                        SignatureLengthValue(*d), hex.c_str(), SignatureFifthValue(*d));
        ++SignatureCount;
    }
    return SignatureCount != 0;
}

// The full scan sweeps the whole disk; the tracing run needs a volume's layout and takes the disk's first partition.
double Run(bool tracing)
{
    DriveKind = 1;
    DriveNumber = 0;
    PartitionParams = {};
    PartitionInfoValues first{};
    ReadPartitionTable(0);
    if (tracing && SelectPartitionEntry(0, &first)) {
        DriveKind = 3;
    } else {
        PartitionParams.PartitionFsType = FS_KIND_NTFS;
        PartitionParams.SectorCount = DiskSectorCounts[0];
        PartitionParams.BackupSector = DiskSectorCounts[0] - 1;
    }
    const auto start = std::chrono::steady_clock::now();
    tracing ? StartFileTracing() : StartFullScan();
    PumpUntilWorkerFinished();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: port_bench <disk image> <Raw.dat>\n");
        return 2;
    }
    setenv("DOVEMARK_DISKS", argv[1], 1);
    setenv("DOVEMARK_HOST_DISKS", "0", 1);
    setenv("DOVEMARK_REGISTRY", "memory", 1);
    unsetenv("DISPLAY");
    CDovemarkApp app;
    app.m_hInstance = ::GetModuleHandleW(nullptr);
    app.m_nThreadID = ::GetCurrentThreadId();
    if (!app.InitInstance() || DetectedDriveCount == 0 || !ChooseAllSignatures(argv[2])) {
        std::fprintf(stderr, "port_bench: the program, the disk or the signatures could not be set up\n");
        return 1;
    }
    // The scan page shows the run, as it does for the user.
    app.SwitchView(2);
    CAppEngineUi* port = AppEngineUi();
    for (bool tracing : {false, true}) {
        ShowScanDetails = 1;
        const double shown = Run(tracing);
        ShowScanDetails = 0;
        const double hidden = Run(tracing);
        ShowScanDetails = 1;
        SetEngineUi(nullptr);
        const double silent = Run(tracing);
        SetEngineUi(port);
        std::printf("%-12s shown %.3f s  hidden %.3f s  silent %.3f s  shown/silent %.2f  hidden/silent %.2f\n",
                    tracing ? "tracing" : "full scan", shown, hidden, silent, shown / silent, hidden / silent);
    }
    if (app.m_pMainWnd)
        app.m_pMainWnd->DestroyWindow();
    return 0;
}
