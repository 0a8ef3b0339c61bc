// The quick scan of generated FAT and NTFS volumes against their manifests, and its failure paths.
#include "engine/found_list_fill.h"
#include "engine/quick_scan.h"
#include "engine/scan_control.h"
#include "engine/scan_flags.h"
#include "attached_disk.h"
#include "crafted.h"
#include "scan_results.h"
#include "support/fixture_images.h"

#include <gtest/gtest.h>

namespace {
using testsupport::FixtureEntry;
using testsupport::FixtureImage;

struct ScanCase {
    const char* image;
    int volume;
};

class QuickScanFixture : public ::testing::TestWithParam<ScanCase> {};

TEST_P(QuickScanFixture, ListsEveryFileOfTheManifest)
{
    DOVEMARK_REQUIRE_FIXTURE(img, GetParam().image);
    const int vol = GetParam().volume;
    AttachedDisks disks({img.path});
    RecordingUi ui;
    ASSERT_TRUE(scanresults::QuickScan(img.volumes.at(vol)));
    EXPECT_TRUE(IsWorkerFinished());
    EXPECT_FALSE(WorkerFailed());
    EXPECT_EQ(ScanFailedFlag, 0u);
    const bool ntfs = img.volumes[vol].fs == "NTFS";
    const auto found = scanresults::FoundFiles();

    int checked = 0, deleted = 0;
    for (const FixtureEntry* e : img.EntriesOf(vol)) {
        if (e->is_dir || e->Has("cyclic") || e->Has("badname") || e->Has("formatted"))
            continue;
        // The FAT directory parse lists no entry without a first cluster (empty files).
        if (!ntfs && (scanresults::InsideDeletedFolder(img, *e) || e->first_cluster < 2))
            continue;
        const std::u16string path = scanresults::ExpectedPath(img, *e, ntfs);
        auto it = found.find(path);
        ASSERT_NE(it, found.end()) << e->path;
        EXPECT_EQ(it->second.Size, e->size) << e->path;
        EXPECT_EQ(it->second.Deleted, e->deleted) << e->path;
        if (ntfs) {
            EXPECT_EQ(it->second.Created, testsupport::FixtureTimeToFileTime(e->created)) << e->path;
        }
        ++checked;
        deleted += e->deleted;
    }
    EXPECT_GT(checked, 5);
    EXPECT_GT(deleted, 0);
}

INSTANTIATE_TEST_SUITE_P(Volumes, QuickScanFixture,
                         ::testing::Values(ScanCase{"fat16_16m", 0}, ScanCase{"fat32", 0}, ScanCase{"ntfs", 0},
                                           ScanCase{"multi", 0}, ScanCase{"multi", 1}, ScanCase{"multi", 2},
                                           ScanCase{"multi", 3}, ScanCase{"multi", 4}));

TEST(QuickScan, NtfsFilesOfAWipedFolderGoUnderLostDir)
{
    DOVEMARK_REQUIRE_FIXTURE(img, "damaged_ntfs");
    AttachedDisks disks({img.path});
    RecordingUi ui;
    ASSERT_TRUE(scanresults::QuickScan(img.volumes.at(0)));
    const auto found = scanresults::FoundFiles();
    int orphans = 0;
    for (const FixtureEntry* e : img.EntriesOf(0)) {
        if (!e->Has("orphan"))
            continue;
        ++orphans;
        int under = 0;
        for (const auto& [path, file] : found) {
            const std::u16string tail = std::u16string(1, u'/').append(e->Name16());
            under += path.rfind(u"Lost Dir/Dir", 0) == 0 && path.size() > tail.size() &&
                     path.compare(path.size() - tail.size(), tail.size(), tail) == 0;
        }
        EXPECT_EQ(under, 1) << e->path;
    }
    EXPECT_GT(orphans, 0);
    // Extension records and never-used records are not files of their own.
    for (const auto& [path, file] : found)
        EXPECT_FALSE(path.empty() || path.back() == u'/') << std::string(path.begin(), path.end());
}

// A Stop pressed while the worker still opens the volume holds: the worker reads no record and ends as finished.
TEST(QuickScan, StopPressedDuringTheOpenHolds)
{
    DOVEMARK_REQUIRE_FIXTURE(img, "ntfs");
    AttachedDisks disks({img.path});
    RecordingUi ui;
    scanresults::ChooseQuickScanVolume(img.volumes.at(0));
    BeginScanRun();
    RequestScanStop();
    QuickScanThread(nullptr);
    EXPECT_TRUE(IsWorkerFinished());
    EXPECT_FALSE(WorkerFailed());
    EXPECT_EQ(FoundEntryHead, nullptr);
}

// Runs that cannot give a result end with a message, a failed finish and ScanFailedFlag, never as
// a finished scan showing the lists of an earlier one.
TEST(QuickScan, FailedRunsSayWhyAndEndFailed)
{
    struct Case {
        const char* what;
        WORD driveKind;
        WORD fsKind;
        const char16_t* message;
    };
    const Case cases[] = {
        {"volume that cannot be opened", 2, FS_KIND_FAT32, u"无法打开所选的驱动器。"},
        {"blank FAT32 area", 1, FS_KIND_FAT32, u"Dovemark 无法找到正确的分区参数。"},
        {"blank NTFS area", 1, FS_KIND_NTFS, u"Dovemark 无法找到正确的分区参数。"},
    };
    for (const Case& c : cases) {
        CraftedImage disk(8192);
        AttachedDisks disks({disk.Path()});
        LogicalDriveTable = {};
        RecordingUi ui;
        DriveKind = c.driveKind;
        ScanMode = 2;
        PartitionParams = {};
        PartitionParams.PartitionFsType = c.fsKind;
        PartitionParams.StartSector = 2048;
        PartitionParams.SectorCount = 4096;
        ScanFailedFlag = 0;
        StartQuickScan();
        ASSERT_TRUE(WaitWorkerFinished(60000)) << c.what;
        EXPECT_TRUE(WorkerFailed()) << c.what;
        EXPECT_EQ(ScanFailedFlag, 1u) << c.what;
        EXPECT_EQ(ScanRunning, 0) << c.what;
        ASSERT_FALSE(ui.Messages.empty()) << c.what;
        EXPECT_EQ(ui.Messages.back().Text.rfind(c.message, 0), 0u) << c.what;
        EXPECT_EQ(ui.Messages.back().Kind, ENGINE_MSG_ERROR) << c.what;
        DriveKind = 1;
    }
}

// The list of a folder: "Parent..." except at the root, sub-folders before files, the filter on files.
class RowsUi : public RecordingUi {
public:
    std::vector<std::pair<std::u16string, bool>> Rows;
    void ClearFileRows() override { Rows.clear(); }
    void AddFileRow(const FoundFileRow& row) override { Rows.emplace_back(row.Name, row.IsFolder != 0); }
};

TEST(FoundListFill, FatRowsFollowTheFolderAndTheFilter)
{
    FreeScanResultLists();
    AddFatFolderRecord(u"sub", 7, 0, 0, 0, 0, 0);
    AddFatFolderRecord(u"inner", 9, 7, 0, 0, 0, 0);
    AddFatEntryRecord(u"a.jpg", 10, 7, 0, 0, 1, 0);
    AddFatEntryRecord(u"B.JPG", 11, 7, 0, 0, 1, 1);
    AddFatEntryRecord(u"c.txt", 12, 7, 0, 0, 1, 0);
    AddFatEntryRecord(u"top.txt", 13, 0, 0, 0, 1, 0);
    RowsUi ui;
    FileTypeFilterCount = 1;
    std::memcpy(FileTypeFilterTable[0], u"*.jpg", 12);
    ShowFatFolder(7);
    using Row = std::pair<std::u16string, bool>;
    EXPECT_EQ(ui.Rows, (std::vector<Row>{{u"Parent...", true}, {u"inner", true}, {u"a.jpg", false}, {u"B.JPG", false}}));
    FileTypeFilterCount = 0;
    ShowFatFolder(0);
    EXPECT_EQ(ui.Rows, (std::vector<Row>{{u"sub", true}, {u"top.txt", false}}));
    FreeScanResultLists();
}

// What a port receives of a fill, in order: each hand-over of rows, each position of the progress dialog
// with the rows handed over by then, and the tick of a row.
class HandOverUi : public RecordingUi {
public:
    struct Row {
        std::u16string name, created, modified;
        bool operator==(const Row&) const = default;
    };
    std::vector<Row> Rows;
    std::vector<size_t> Batches;
    std::vector<std::pair<UINT, size_t>> Positions;
    size_t RowsAtTick = 0;

    void ClearFileRows() override { Rows.clear(); }
    void AddFileRow(const FoundFileRow& row) override { AddFileRows(&row, 1); }
    void AddFileRows(const FoundFileRow* rows, size_t count) override
    {
        Batches.push_back(count);
        for (size_t i = 0; i < count; ++i)
            Rows.push_back({rows[i].Name, Text(rows[i].CreatedText), Text(rows[i].ModifiedText)});
    }
    void SetListProgress(UINT percent) override { Positions.emplace_back(percent, Rows.size()); }
    void CheckFileRow(int) override { RowsAtTick = Rows.size(); }

private:
    static std::u16string Text(const WCHAR* text) { return text ? text : u"<none>"; }
};

// A folder of many files reaches the port in a few hand-overs, each row with its own dates (the filler
// writes every row's dates into the same buffers), never behind the progress dialog, and all of it before
// the "Parent..." row is ticked.
TEST(FoundListFill, ALargeFolderIsHandedOverInBatchesThatKeepEachRowsTexts)
{
    FreeScanResultLists();
    constexpr int kFiles = 2000;
    std::vector<HandOverUi::Row> expected{{u"Parent...", u"<none>", u"<none>"}};
    WCHAR created[40], modified[40];
    for (int i = 0; i < kFiles; ++i) {
        const std::u16string name = u"f" + std::u16string(size_t(1 + i % 9), char16_t(u'a' + i % 26)) + u".txt";
        const WORD date = WORD((i % 40) << 9 | (1 + i % 12) << 5 | (1 + i % 28));
        AddFatEntryRecord(name.c_str(), DWORD(100 + i), 7, date, WORD(date ^ 0x20), 1, 0);
        expected.push_back({name, FatDateToText(date, created), FatDateToText(WORD(date ^ 0x20), modified)});
    }
    FoundFolderCount = 0;
    FoundFileCount = kFiles;
    HandOverUi ui;
    FolderBrowseActive = 1;
    ShowFatFolder(7);
    FolderBrowseActive = 0;

    EXPECT_TRUE(ui.Rows == expected);
    EXPECT_LT(ui.Batches.size(), size_t(kFiles / 100));
    EXPECT_EQ(ui.RowsAtTick, expected.size());
    ASSERT_FALSE(ui.Positions.empty());
    EXPECT_EQ(ui.Positions.back().first, 100u);
    for (const auto& [percent, rows] : ui.Positions)
        EXPECT_GE(rows, size_t(percent) * kFiles / 100) << percent;
    FreeScanResultLists();
}

// FAT and NTFS rows read alike, two digits a field; a time the record never held shows empty.
TEST(FoundListFill, DateTexts)
{
    WCHAR text[40];
    const struct {
        WORD date;
        const char16_t* shown;
    } fat[] = {{0x3A61, u"01-03-2009 "}, {0x0021, u"01-01-1980 "}, {0, u""}, {0x3A60, u""}, {0x3BA1, u""}};
    for (const auto& c : fat)
        EXPECT_EQ(std::u16string(FatDateToText(c.date, text)), c.shown) << c.date;
    const struct {
        ULONGLONG time;
        const char16_t* shown;
    } ntfs[] = {
        {testsupport::FixtureTimeToFileTime("2026-12-08T09:05:03"), u"08-12-2026 09:05:03"},
        {testsupport::FixtureTimeToFileTime("2015-12-31T12:00:00"), u"31-12-2015 12:00:00"},
        {0, u""},
        {testsupport::FixtureTimeToFileTime("1970-01-01T00:00:00"), u""},
        {testsupport::FixtureTimeToFileTime("1970-01-01T00:00:01"), u"01-01-1970 00:00:01"},
        {0xFFFFFFFFFFFFFFFFULL, u""},
    };
    for (const auto& c : ntfs)
        EXPECT_EQ(std::u16string(FileTimeToText(DWORD(c.time), DWORD(c.time >> 32), text)), c.shown) << c.time;
}

} // namespace
