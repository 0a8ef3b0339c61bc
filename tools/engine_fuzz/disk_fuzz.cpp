// libFuzzer target: the input is a whole small disk, read as the program reads one: its partition table and the
// search for lost partitions; a quick scan of every partition found and of the disk as one FAT16, FAT32 or NTFS
// volume, each followed by the recovery of its top folders and first files; a full scan of the disk as FAT and as
// NTFS with the extraction of every volume it rebuilds; and a tracing sweep. Recovered files go to a folder whose
// files the process cannot grow past 1 MiB (a write past the cap fails instead of raising the signal). Seeds:
// `make_corpus.py --disks FOLDER`; run with -handle_xfsz=0 and a -timeout, since a hang is a finding here.
#include "engine/engine_state.h"
#include "engine/file_tracing.h"
#include "engine/full_scan.h"
#include "engine/partition_table.h"
#include "engine/quick_scan.h"
#include "engine/recovery_writer.h"
#include "engine/scan_control.h"
#include "engine/scan_flags.h"
#include "engine/sector_reader.h"
#include "engine/ui_port.h"
#include "engine/volume_extraction.h"

#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr size_t kMaxFiles = 6;
constexpr size_t kMaxFolders = 3;

std::string g_root;

// The silent port, but with volume items the extraction can be pointed at.
class VolumeUi final : public IEngineUi {
public:
    std::vector<DWORD> Volumes;

    void ShowMessage(const WCHAR*, EngineMessageKind) override {}
    bool AskYesNo(const WCHAR*) override { return false; }
    bool AskPartitionSearch() override { return true; }
    void SetProgress(UINT) override {}
    void SetStatusText(EngineStatusField, const WCHAR*) override {}
    void SetCounter(EngineCounter, ULONGLONG) override {}
    void AddDriveItem(const WCHAR*, DWORD) override {}
    DWORD InsertFolderItem(DWORD, const WCHAR*, BOOL) override { return FOUND_TREE_ITEM_FLAG | ++items_; }
    DWORD InsertVolumeItem(DWORD, const WCHAR*) override
    {
        const DWORD item = 0x10000 + ++items_;
        Volumes.push_back(item);
        return item;
    }
    void SetFolderItemColor(DWORD, COLORREF) override {}
    void ExpandFolderItem(DWORD) override {}
    void ClearFileRows() override {}
    void AddFileRow(const FoundFileRow&) override {}

private:
    DWORD items_ = 0;
};

void EmptyOutput()
{
    for (const auto& entry : fs::directory_iterator(g_root + "/out"))
        fs::remove_all(entry.path());
}

// The top folders and first files of the lists a quick scan or an extraction left.
void RecoverSome()
{
    std::vector<DWORD> folders, files;
    const bool fat = PartitionParams.FsType == FS_KIND_FAT16 || PartitionParams.FsType == FS_KIND_FAT32;
    if (fat) {
        for (FatFolderRecord* f = FatFolderHead; f && folders.size() < kMaxFolders; f = f->Next)
            if (f->TreeItem)
                folders.push_back(f->TreeItem);
        for (FatEntryRecord* e = FatFileHead; e && files.size() < kMaxFiles; e = e->Next)
            files.push_back(e->FileId);
    } else {
        for (QuickFolderNode* f = QuickFolderHead; f && folders.size() < kMaxFolders; f = f->Next)
            if (f->TreeItem)
                folders.push_back(f->TreeItem);
        for (FoundEntryNode* e = FoundEntryHead; e && files.size() < kMaxFiles; e = e->Next)
            files.push_back(e->RecordSector);
    }
    ResetSaveTally();
    SaveStopFlag = 0;
    SaveSkipFlag = 0;
    RecoverSelection(folders, files);
    EmptyOutput();
}

void QuickScan(WORD kind, ULONGLONG start, ULONGLONG count)
{
    DriveKind = 1;
    ScanMode = 2;
    PartitionParams = {};
    PartitionParams.PartitionFsType = kind;
    PartitionParams.StartSector = DWORD(start);
    PartitionParams.SectorCount = DWORD(count);
    PartitionParams.BackupSector = DWORD(count ? start + count - 1 : start);
    BeginScanRun();
    ScanFailedFlag = 0;
    QuickScanThread(nullptr);
    if (!WorkerFailed())
        RecoverSome();
    FreeScanResultLists();
}

void FullScan(WORD kind, ULONGLONG sectors, VolumeUi& ui)
{
    DriveKind = 1;
    ScanMode = 0;
    FreeScanResultLists();
    PartitionParams = {};
    PartitionParams.PartitionFsType = kind;
    PartitionParams.SectorCount = DWORD(sectors);
    PartitionParams.BackupSector = DWORD(sectors - 1);
    ui.Volumes.clear();
    BeginScanRun();
    ScanFailedFlag = 0;
    ResetFullScanLists();
    DirSectorRecordCount = 0;
    FullScanVolumeCount = 0;
    VolumeFoundFlag = 0;
    RebuiltVolumeFound = 0;
    FullScanThread(nullptr);
    const std::vector<DWORD> volumes = ui.Volumes;
    for (DWORD item : volumes) {
        if (!SelectFoundVolume(item))
            continue;
        BeginScanRun();
        ExtractWorkerProc(nullptr);
        if (!WorkerFailed())
            RecoverSome();
    }
    FreeScanResultLists();
    ResetFullScanLists();
}

void Trace(ULONGLONG sectors)
{
    DriveKind = 1;
    ScanMode = 1;
    PartitionParams = {};
    PartitionParams.SectorCount = DWORD(sectors);
    PartitionParams.BackupSector = DWORD(sectors - 1);
    BeginScanRun();
    TraceFiles();
    std::vector<DWORD> ids;
    for (TracedFileRecord* t = TracedFileHead; t && ids.size() < 2; t = t->Next)
        ids.push_back(t->FileNumber);
    ResetSaveTally();
    SaveStopFlag = 0;
    RecoverSelection({}, ids);
    EmptyOutput();
    FreeTracedFiles();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_root = "/tmp/disk_fuzz_" + std::to_string(getpid());
    fs::create_directories(g_root + "/out");
    setenv("DOVEMARK_DISKS", (g_root + "/disk.img").c_str(), 1);
    setenv("DOVEMARK_HOST_DISKS", "0", 1);
    std::ofstream(g_root + "/disk.img").close();
    ResetPhysicalDrivePaths();
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit cap{1ULL << 20, 1ULL << 20};
    setrlimit(RLIMIT_FSIZE, &cap);
    std::atexit([] { fs::remove_all(g_root); });
    // The signatures of a compound document (named from its summary) and of a JPEG picture.
    AddTracedFolder(u".doc", u"Word", 8, "d0cf11e0a1b11ae1", 0);
    AddTracedFolder(u".xls", u"Excel", 8, "d0cf11e0a1b11ae1", 0);
    AddTracedFolder(u".jpg", u"JPEG", 3, "ffd8ff", 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const ULONGLONG sectors = (size + SECTOR_SIZE - 1) / SECTOR_SIZE;
    if (sectors < 2)
        return 0;
    {
        std::vector<char> image(size_t(sectors) * SECTOR_SIZE, 0);
        std::copy(data, data + size, image.begin());
        std::ofstream(g_root + "/disk.img", std::ios::binary | std::ios::trunc)
            .write(image.data(), std::streamsize(image.size()));
    }
    VolumeUi ui;
    SetEngineUi(&ui);
    ResetRecoverySettings();
    RetryCount = 1;
    SectorsPerRead = 64;
    FileTypeFilterCount = 0;
    DuplicateFileMode = 3;
    TracedFileSize = 1;
    const std::u16string out(g_root.begin(), g_root.end());
    std::fill(std::begin(DestinationFolder), std::end(DestinationFolder), 0);
    std::copy(out.begin(), out.end(), DestinationFolder);
    std::copy(u"/out", u"/out" + 4, DestinationFolder + out.size());

    DriveNumber = 0;
    DriveKind = 1;
    ReadPartitionTable(0);
    SearchLostPartitions();
    const DWORD partitions = PartitionCount;
    std::vector<FoundPartitionEntry> found(FoundPartitionTable, FoundPartitionTable + partitions);
    for (const FoundPartitionEntry& e : found)
        QuickScan(e.Kind, e.StartSector, e.SectorCount);
    for (WORD kind : {FS_KIND_FAT16, FS_KIND_FAT32, FS_KIND_NTFS})
        QuickScan(kind, 0, sectors);
    FullScan(FS_KIND_FAT32, sectors, ui);
    FullScan(FS_KIND_NTFS, sectors, ui);
    Trace(sectors);

    SetEngineUi(nullptr);
    return 0;
}
