// Crafted hostile disks and snapshots: one damaged record, boot sector, partition entry or snapshot each, and
// the bounded answer the engine must give (a failed file, an Invalid load, a skipped sector), never unbounded
// reads, writes or undefined arithmetic.
#include "engine/fat_boot.h"
#include "engine/fat_directory.h"
#include "engine/file_tracing.h"
#include "engine/full_scan.h"
#include "engine/ntfs_record.h"
#include "engine/ntfs_runs.h"
#include "engine/partition_table.h"
#include "engine/quick_scan.h"
#include "engine/recovery_writer.h"
#include "engine/scan_control.h"
#include "engine/snapshot_file.h"
#include "attached_disk.h"
#include "crafted.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {
namespace fs = std::filesystem;
using namespace crafted;

std::string FreshFolder(const std::string& name)
{
    const std::string dir = testsupport::ScratchDir() + "/" + name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

// A small NTFS-like volume at sector 0 with one-sector clusters, the layout a recovery reads it by.
void UseVolume(ULONGLONG sectors)
{
    PartitionParams = {};
    PartitionParams.PartitionFsType = FS_KIND_NTFS;
    PartitionParams.FsType = FS_KIND_NTFS;
    PartitionParams.SectorCount = DWORD(sectors);
    PartitionParams.SectorsPerCluster = 1;
    PartitionParams.DataOrigin = 0;
}

// A FAT layout as a boot sector gives it: the two FATs after the reserved sectors, the data area at origin.
void UseFatLayout(WORD kind, DWORD start, DWORD count, DWORD spc, DWORD reserved, DWORD fatSize, DWORD origin)
{
    PartitionParams = {};
    PartitionParams.PartitionFsType = PartitionParams.FsType = kind;
    PartitionParams.StartSector = start;
    PartitionParams.SectorCount = count;
    PartitionParams.SectorsPerCluster = spc;
    PartitionParams.ReservedSectors = reserved;
    PartitionParams.FatSize = fatSize;
    PartitionParams.Fat1Start = start + reserved;
    PartitionParams.Fat2Start = start + reserved + fatSize;
    PartitionParams.DataOrigin = origin;
}

// ---- Compressed NTFS files: the unit byte and the runs' end bound what is written ----------------------------

struct CompressedCase {
    const char* what;
    BYTE unitByte;
    ULONGLONG claimedSize;
    int result;
    LONGLONG fileBytes; // -1: no file is made
};

TEST(HostileDisk, CompressedFilesWriteNoMoreThanTheirRuns)
{
    CraftedImage disk(256);
    std::vector<BYTE> data(16 * SECTOR_SIZE);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = BYTE(i * 13 + 1);
    disk.Write(10, data); // one plain (incompressible) unit of 16 clusters at cluster 10
    const CompressedCase cases[] = {
        {"a unit of 16 clusters, size as stored", 4, 8192, 1, 8192},
        {"a size of 256 MiB over one stored unit", 4, 256ULL << 20, 0, 8192},
        {"a size of 2^64 - 1 over one stored unit", 4, ~0ULL, 0, 8192},
        {"a unit of 2^40 clusters", 40, 8192, 0, -1},
        {"a shift of 64", 64, 8192, 0, -1},
        {"a shift of 200", 200, 8192, 0, -1},
        {"a unit past 64 KiB", 8, 8192, 0, -1},
    };
    for (const CompressedCase& c : cases) {
        MftRecord r(1);
        r.Resident(ATTR_FILE_NAME, FileNameValue(u"c.bin", 5, 1));
        BYTE* a = r.NonResident(ATTR_DATA, {0x11, 0x10, 0x0A, 0x00}, c.claimedSize);
        a[0x0C] = 0x01; // compressed
        a[0x22] = c.unitByte;
        disk.Write(100, r.Finish());
        AttachedDisks disks({disk.Path()});
        RecordingUi ui;
        UseVolume(256);
        const std::string dest = FreshFolder("compressed");
        ResetSaveTally();
        SaveStopFlag = 0;
        EXPECT_EQ(RecoverNtfsFile(Wide(dest).c_str(), u"c.bin", DWORD(c.claimedSize), DWORD(c.claimedSize >> 32), 100,
                                  0, 0),
                  c.result)
            << c.what;
        const std::string path = dest + "/c.bin";
        if (c.fileBytes < 0) {
            EXPECT_FALSE(fs::exists(path)) << c.what;
            EXPECT_EQ(SaveTally.Failed, 1u) << c.what;
        } else {
            ASSERT_TRUE(fs::exists(path)) << c.what;
            EXPECT_EQ(fs::file_size(path), ULONGLONG(c.fileBytes)) << c.what;
        }
    }
}

// ---- Snapshots: a stored layout no volume can have is refused ------------------------------------------------

struct LayoutCase {
    const char* what;
    void (*change)(PartitionParamsBlock&);
    SnapshotStatus status;
};

TEST(HostileDisk, SnapshotLayoutsOutOfRangeAreInvalid)
{
    // A quick scan's FAT32 layout of a 64 MiB partition at 2048, then damaged one field at a time.
    auto fat32 = [] {
        UseFatLayout(FS_KIND_FAT32, 2048, 131072, 8, 32, 128, 2048 + 32 + 256 - 16);
        PartitionParams.Root = 2;
    };
    auto ntfs = [] {
        PartitionParams = {};
        PartitionParams.PartitionFsType = PartitionParams.FsType = FS_KIND_NTFS;
        PartitionParams.StartSector = 2048;
        PartitionParams.SectorCount = 131072;
        PartitionParams.SectorsPerCluster = 8;
        PartitionParams.DataOrigin = 2048;
        PartitionParams.MftSector = 2048 + 8 * 4;
        PartitionParams.SectorsPerMftRecord = 2;
        PartitionParams.SectorsPerIndexRecord = 8;
    };
    const LayoutCase fatCases[] = {
        {"as scanned", [](PartitionParamsBlock&) {}, SnapshotStatus::Ok},
        {"sectors per cluster 0x60000004", [](PartitionParamsBlock& p) { p.SectorsPerCluster = 0x60000004; }, SnapshotStatus::Invalid},
        {"sectors per cluster 0", [](PartitionParamsBlock& p) { p.SectorsPerCluster = 0; }, SnapshotStatus::Invalid},
        {"sectors per cluster 3", [](PartitionParamsBlock& p) { p.SectorsPerCluster = 3; }, SnapshotStatus::Invalid},
        {"sectors per cluster 256", [](PartitionParamsBlock& p) { p.SectorsPerCluster = 256; }, SnapshotStatus::Invalid},
        {"data origin past the partition", [](PartitionParamsBlock& p) { p.DataOrigin = 2048 + 131072; }, SnapshotStatus::Invalid},
        {"second FAT past the partition", [](PartitionParamsBlock& p) { p.FatSize = 0x10000000; p.Fat2Start = p.Fat1Start + p.FatSize; }, SnapshotStatus::Invalid},
        {"FATs that do not follow one another", [](PartitionParamsBlock& p) { p.Fat2Start += 7; }, SnapshotStatus::Invalid},
        {"data area inside the FATs", [](PartitionParamsBlock& p) { p.DataOrigin = 2048 + 40; }, SnapshotStatus::Invalid},
        {"first FAT before the partition", [](PartitionParamsBlock& p) { p.Fat1Start = 10; p.Fat2Start = 138; }, SnapshotStatus::Invalid},
    };
    const LayoutCase ntfsCases[] = {
        {"as scanned", [](PartitionParamsBlock&) {}, SnapshotStatus::Ok},
        {"sectors per cluster 0x60000004", [](PartitionParamsBlock& p) { p.SectorsPerCluster = 0x60000004; }, SnapshotStatus::Invalid},
        {"MFT past the partition", [](PartitionParamsBlock& p) { p.MftSector = 0xFFFFFF00; }, SnapshotStatus::Invalid},
        {"volume start past the partition", [](PartitionParamsBlock& p) { p.DataOrigin = 0xF0000000; }, SnapshotStatus::Invalid},
    };
    struct Kind {
        void (*layout)();
        const LayoutCase* cases;
        size_t count;
    };
    for (const Kind& kind : {Kind{fat32, fatCases, std::size(fatCases)}, Kind{ntfs, ntfsCases, std::size(ntfsCases)}}) {
        for (size_t i = 0; i < kind.count; ++i) {
            const LayoutCase& c = kind.cases[i];
            FreeScanResultLists();
            ScanMode = 2;
            DriveNumber = 0;
            DriveKind = 1;
            kind.layout();
            c.change(PartitionParams);
            const std::vector<BYTE> bytes = EncodeSnapshot();
            PartitionParams = {};
            EXPECT_EQ(LoadSnapshotBytes(bytes.data(), bytes.size()), c.status) << c.what;
        }
    }
    PartitionParams = {};
}

// ---- Partition entries past a truncated image ----------------------------------------------------------------

// A 1 MiB image whose table claims a partition of 0xFFFFFFFD sectors and one that starts past the image: the table
// keeps what the disk holds and says so, and a sweep of the claimed range reads no further than the disk.
TEST(HostileDisk, PartitionEntriesAndSweepsStopAtTheDiskEnd)
{
    CraftedImage disk(2048);
    std::vector<BYTE> mbr(SECTOR_SIZE, 0);
    BYTE* first = &mbr[0x1BE];
    first[4] = 0x0C;
    Put32(first + 8, 63);
    Put32(first + 12, 0xFFFFFFFD);
    BYTE* second = &mbr[0x1CE];
    second[4] = 0x07;
    Put32(second + 8, 0x10000000);
    Put32(second + 12, 100);
    mbr[510] = 0x55, mbr[511] = 0xAA;
    disk.Write(0, mbr);
    AttachedDisks disks({disk.Path()});
    RecordingUi ui;

    dovemark::device_hooks::ResetRequestedSectors();
    ReadPartitionTable(0);
    ASSERT_EQ(PartitionCount, 1u);
    EXPECT_EQ(FoundPartitionTable[0].StartSector, 63u);
    EXPECT_EQ(FoundPartitionTable[0].SectorCount, 2048u - 63);
    EXPECT_LE(dovemark::device_hooks::RequestedSectors(), 8u);
    ASSERT_EQ(ui.Messages.size(), 1u);
    EXPECT_NE(ui.Messages[0].Text.find(u"有 2 个分区超出了磁盘的末尾"), std::u16string::npos);

    // The same claim reaching a sweep another way (a lost partition's boot sector, a snapshot) is bounded too.
    PartitionParams = {};
    PartitionParams.PartitionFsType = PartitionParams.FsType = FS_KIND_FAT32;
    PartitionParams.StartSector = 63;
    PartitionParams.SectorCount = 0xFFFFFFFD;
    ScanStopFlag = 0;
    dovemark::device_hooks::ResetRequestedSectors();
    EXPECT_EQ(ComputeFatParameters(), 0);
    EXPECT_LE(dovemark::device_hooks::RequestedSectors(), 2u * 2048);
    ScanStopFlag = 0;
    PartitionParams = {};
}

// ---- The quick scan's MFT run table -------------------------------------------------------------------------

// Keeps the main status texts besides what RecordingUi records.
class StatusUi : public RecordingUi {
public:
    std::vector<std::u16string> Status;
    void SetStatusText(EngineStatusField field, const WCHAR* text) override
    {
        RecordingUi::SetStatusText(field, text);
        if (field == ENGINE_STATUS_MAIN)
            Status.push_back(text);
    }
};

// An NTFS volume of 4096 sectors (512 clusters of 8) whose $MFT claims one run of 0xFFFFFF clusters, or names its
// own clusters four times over: the quick scan reads the MFT only inside the volume, only as far as $MFT's own size
// and each cluster once (so each record is listed once), and says when it left runs out.
TEST(HostileDisk, MftRunsStayInsideTheVolumeAndTheMftSize)
{
    struct Case {
        const char* what;
        std::vector<BYTE> runs;
        ULONGLONG realSize;
        ULONGLONG recordSectors; // the MFT's sectors the table maps to the disk
        bool told;
    };
    const std::vector<BYTE> huge = {0x13, 0xFF, 0xFF, 0xFF, 0x04, 0x00};
    const Case cases[] = {
        {"a size of 2^40", huge, 1ULL << 40, 4096 - 32, true},
        {"a size of 48 records", huge, 48 * 1024, 96, false},
        {"the same clusters four times", {0x11, 0x06, 0x04, 0x11, 0x06, 0x00, 0x11, 0x06, 0x00, 0x11, 0x03, 0x03, 0x00},
         1ULL << 20, 48, false},
    };
    for (const Case& c : cases) {
        CraftedImage disk(4096);
        std::vector<BYTE> boot(SECTOR_SIZE, 0);
        std::memcpy(&boot[3], "NTFS    ", 8);
        Put16(&boot[0x0B], SECTOR_SIZE);
        boot[0x0D] = 8;
        Put64(&boot[0x28], 4095);
        Put64(&boot[0x30], 4);
        Put64(&boot[0x38], 2);
        boot[0x44] = 1;
        boot[510] = 0x55, boot[511] = 0xAA;
        disk.Write(0, boot);
        MftRecord mft(1);
        mft.Resident(ATTR_FILE_NAME, FileNameValue(u"$MFT", 5, 3));
        mft.NonResident(ATTR_DATA, c.runs, c.realSize);
        disk.Write(32, mft.Finish());
        MftRecord root(3);
        root.Resident(ATTR_FILE_NAME, FileNameValue(u".", 5, 3));
        disk.Write(42, root.Finish());
        AttachedDisks disks({disk.Path()});
        StatusUi ui;
        UseVolume(4096);
        PartitionParams.SectorsPerCluster = 8;
        PartitionParams.MftSector = 32;
        ScanStopFlag = 0;
        dovemark::device_hooks::ResetRequestedSectors();
        ReadMftEntries();
        ULONGLONG mapped = 0;
        for (DWORD i = 0; i < MftRuns.Count(); ++i)
            if (MftRuns.Starts[i] != 0) {
                mapped += MftRuns.Lengths[i];
                EXPECT_LE(ULONGLONG(MftRuns.Starts[i]) + MftRuns.Lengths[i], 4096u) << c.what;
            }
        EXPECT_EQ(mapped, c.recordSectors) << c.what;
        EXPECT_LE(dovemark::device_hooks::RequestedSectors(), 3u * 4096) << c.what;
        const bool told = std::find(ui.Status.begin(), ui.Status.end(),
                                    std::u16string(u"主文件表（MFT）的部分数据位于卷外，已略过。")) != ui.Status.end();
        EXPECT_EQ(told, c.told) << c.what;
        EXPECT_EQ(FoundFileCount, 1u) << c.what; // $MFT itself
        FreeScanResultLists();
    }
    PartitionParams = {};
}

// ---- Names the destination can hold -------------------------------------------------------------------------

// A FAT directory entry whose long name is 90 CJK characters (270 bytes of UTF-8), and one with half a surrogate
// pair: both files are written whole under names Linux holds, a second copy follows the duplicate rule, and no
// create-failure question is asked.
TEST(HostileDisk, LongAndHalfPairNamesAreWrittenUnderNamesTheDestinationHolds)
{
    CraftedImage disk(200);
    std::vector<BYTE> fat(SECTOR_SIZE, 0);
    Put16(&fat[0], 0xFFF8);
    Put16(&fat[2], 0xFFFF);
    Put16(&fat[4], 0xFFFF); // cluster 2: one cluster long
    Put16(&fat[6], 0xFFFF); // cluster 3
    disk.Write(1, fat);
    disk.Write(2, fat);
    disk.Write(12, std::vector<BYTE>(SECTOR_SIZE, 'a'));
    disk.Write(13, std::vector<BYTE>(SECTOR_SIZE, 'b'));
    const std::u16string longName = std::u16string(90, u'报') + u".txt";
    const std::u16string halfPair = u"x\xD800y.txt";
    std::vector<BYTE> sector;
    for (const auto& [name, cluster] : {std::pair{longName, 2u}, std::pair{halfPair, 3u}}) {
        const std::vector<BYTE> entry = ShortEntry(cluster == 2 ? "BAOGAO~1TXT" : "XY~1    TXT", 0x20, cluster, 512);
        const std::vector<BYTE> lfn = LongEntries(name, entry);
        sector.insert(sector.end(), lfn.begin(), lfn.end());
        sector.insert(sector.end(), entry.begin(), entry.end());
    }
    sector.resize(SECTOR_SIZE, 0);
    AttachedDisks disks({disk.Path()});
    RecordingUi ui;
    UseFatLayout(FS_KIND_FAT16, 0, 200, 1, 1, 1, 10);
    FreeScanResultLists();
    FatDirWalk walk;
    int end = 0;
    ParseFatDirectory(sector.data(), 0, &end, 5, 0, 0, &walk);
    std::vector<FatEntryRecord*> files;
    for (FatEntryRecord* e = FatFileHead; e; e = e->Next)
        files.push_back(e);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(std::u16string(files[0]->Name), longName);

    ResetRecoverySettings();
    FileTypeFilterCount = 0;
    DuplicateFileMode = 1;
    const std::string dest = FreshFolder("names");
    ResetSaveTally();
    SaveStopFlag = 0;
    for (int copy = 0; copy < 2; ++copy)
        for (FatEntryRecord* e : files)
            EXPECT_EQ(RecoverFatFile(Wide(dest).c_str(), e->FileId, 1, e->StartCluster, e->Size, e->Name, 0), 1);
    EXPECT_EQ(SaveTally.Written, 4u);
    EXPECT_TRUE(ui.Messages.empty());
    std::vector<std::string> names;
    for (const auto& f : fs::directory_iterator(dest)) {
        names.push_back(f.path().filename().string());
        EXPECT_EQ(fs::file_size(f.path()), 512u);
    }
    std::sort(names.begin(), names.end());
    ASSERT_EQ(names.size(), 4u);
    auto cjk = [](int chars) {
        std::string s;
        for (int i = 0; i < chars; ++i)
            s += "\xE6\x8A\xA5"; // 报
        return s + ".txt";
    };
    // The copy's name is cut again, keeping its prefix and extension: 13 + 79 x 3 + 4 bytes.
    EXPECT_EQ(names, (std::vector<std::string>{"Copy (1 ) of x\xEF\xBF\xBDy.txt", "Copy (1 ) of " + cjk(79),
                                                "x\xEF\xBF\xBDy.txt", cjk(83)}));
    for (const std::string& n : names)
        EXPECT_LE(n.size(), 255u) << n;
    PartitionParams = {};
    FreeScanResultLists();
}

// ---- Full-scan NTFS analysis: the index-record size byte --------------------------------------------------

TEST(HostileDisk, IndexRecordSizeBytesOutOfRangeAreNotNtfs)
{
    // A boot sector at 0 (8 clusters of one sector... the volume ends at 4096) and one folder whose index block
    // lies at cluster 100: a readable byte makes a volume, one asking for 2^32 bytes or more does not.
    const std::pair<BYTE, WORD> cases[] = {{0xF4, 1}, {0x01, 1}, {0xE1, 1}, {0xE0, 0}, {0xC0, 0}, {0x80, 0}, {0xA5, 0}};
    for (const auto& [field, volumes] : cases) {
        CraftedImage disk(4096);
        std::vector<BYTE> boot(SECTOR_SIZE, 0);
        std::memcpy(&boot[3], "NTFS    ", 8);
        boot[0x0D] = 1;
        Put32(&boot[0x28], 4096);
        Put32(&boot[0x30], 4);
        Put32(&boot[0x38], 2);
        boot[0x44] = field;
        boot[510] = 0x55, boot[511] = 0xAA;
        disk.Write(0, boot);
        std::vector<BYTE> indx(SECTOR_SIZE, 0);
        std::memcpy(indx.data(), "INDX", 4);
        disk.Write(100, indx);
        AttachedDisks disks({disk.Path()});
        RecordingUi ui;
        ResetFullScanLists();
        FullScanVolumeCount = 0;
        ScanStopFlag = 0;
        AddBootSectorNode(&BootSectorHead, 0);
        BootSectorCount = 1;
        AddFoundFolder(u"d", 50, 5, 40, 0, 0, 0, 0, 0, 100, 0);
        AnalyseNtfsVolumes();
        EXPECT_EQ(FullScanVolumeCount, volumes) << std::hex << int(field);
        ResetFullScanLists();
    }
}

// ---- Tracing: documents named from their first 1 MiB ---------------------------------------------------------

// A disk of 8192 sectors whose first 4000 all begin with the compound-document signature: each is traced, and the
// 1 MiB each one is named from is read once for the run, not 2048 sectors again for every one of them.
TEST(HostileDisk, DocumentsCloseTogetherAreNotReadOnceForEach)
{
    CraftedImage disk(8192);
    std::vector<BYTE> looksLikeDocuments(4000 * SECTOR_SIZE, 0);
    static const BYTE signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    for (size_t s = 0; s < 4000; ++s)
        std::memcpy(&looksLikeDocuments[s * SECTOR_SIZE], signature, sizeof signature);
    disk.Write(0, looksLikeDocuments);
    AttachedDisks disks({disk.Path()});
    RecordingUi ui;
    FreeTracedFolders();
    AddTracedFolder(u".doc", u"Word", 8, "d0cf11e0a1b11ae1", 0);
    PartitionParams = {};
    PartitionParams.SectorCount = 8192;
    PartitionParams.BackupSector = 8191;
    BeginScanRun();
    dovemark::device_hooks::ResetRequestedSectors();
    TraceFiles();
    ULONGLONG traced = 0;
    for (TracedFileRecord* t = TracedFileHead; t; t = t->Next)
        ++traced;
    EXPECT_EQ(traced, 4000u);
    EXPECT_LE(dovemark::device_hooks::RequestedSectors(), 3u * 8192);
    FreeTracedFiles();
    FreeTracedFolders();
    PartitionParams = {};
}

} // namespace
