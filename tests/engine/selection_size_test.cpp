// The size of the ticked items shown under the found-file list, and the branch count behind it.
#include "engine/selection_size.h"

#include "engine/engine_state.h"
#include "crafted.h"

#include <gtest/gtest.h>

namespace {

class SizeUi : public RecordingUi {
public:
    std::u16string Text;
    void SetSelectedSizeText(const WCHAR* text) override { Text = text; }
};

constexpr DWORD kMiB = 1024 * 1024;

class SelectionSize : public ::testing::Test {
protected:
    void SetUp() override { FreeScanResultLists(); }
    void TearDown() override
    {
        FreeScanResultLists();
        ResetFullScanLists();
        FreeTracedFiles();
        ScanMode = 2;
    }
};

TEST_F(SelectionSize, EachResultKindCountsItsOwnRecords)
{
    SizeUi ui;
    const struct {
        const char* what;
        DWORD scanMode;
        WORD fs;
        std::vector<DWORD> folders, files;
        const char16_t* shown;
    } cases[] = {
        {"two FAT files", 2, FS_KIND_FAT32, {}, {0, 1}, u"Selected Size : 4 MB"},
        {"a FAT folder counts its whole branch once", 2, FS_KIND_FAT16, {0x80000001u}, {}, u"Selected Size : 7 MB"},
        {"NTFS quick scan by record sector", 2, FS_KIND_NTFS, {0x80000002u}, {500}, u"Selected Size : 5120 MB"},
        {"NTFS full scan by file sector", 0, FS_KIND_NTFS, {}, {700, 9999}, u"Selected Size : 2 MB"},
        {"file tracing adds no size", 1, FS_KIND_NTFS, {}, {500}, u"Selected Size : 0 MB"},
        {"nothing ticked", 2, FS_KIND_FAT32, {}, {}, u"Selected Size : 0 MB"},
    };
    // FAT: folder 10 (item 1) holds a 3 MiB file and folder 11, which holds 4 MiB; two root files.
    AddFatFolderRecord(u"top", 10, 0, 0, 0, 0x80000001u, 0);
    AddFatFolderRecord(u"inner", 11, 10, 0, 0, 0x80000003u, 0);
    // The scan numbers its files by its running count.
    const struct {
        const char16_t* name;
        DWORD parent, size;
    } fatFiles[] = {{u"a.bin", 0, 3 * kMiB}, {u"b.bin", 0, 1 * kMiB}, {u"c.bin", 10, 3 * kMiB}, {u"d.bin", 11, 4 * kMiB}};
    for (const auto& f : fatFiles) {
        AddFatEntryRecord(f.name, 20 + FoundFileCount, f.parent, 0, 0, f.size, 0);
        ++FoundFileCount;
    }
    // NTFS: a 5 GiB file (above 32 bits), and a full-scan file inside the chosen volume.
    AddQuickFolderNode(u"docs", 40, 5, 0, 0, 0, 0, 0x80000002u, 0);
    AddFoundEntry(500, u"big.iso", 70, 40, 0, 0, 0, 0, 0, 0, 0x40000000u, 1);
    PartitionParams.DataOrigin = 600;
    PartitionParams.VolumeEndSector = 800;
    AddFoundFile(u"full.bin", 700, 40, 0, 0, 0, 0, 0, 2 * kMiB, 0, 0, 0);
    for (const auto& c : cases) {
        ScanMode = c.scanMode;
        PartitionParams.FsType = c.fs;
        ui.Text.clear();
        ShowSelectedSize(c.folders, c.files);
        EXPECT_EQ(ui.Text, c.shown) << c.what;
    }
}

// The properties dialog's totals of a branch: the folder itself, every sub-folder once even when their
// records name each other as parents, and every file of them.
TEST_F(SelectionSize, BranchTotalsSurviveParentCycles)
{
    PartitionParams.FsType = FS_KIND_FAT32;
    AddFatFolderRecord(u"top", 10, 0, 0, 0, 0x80000001u, 0);
    AddFatFolderRecord(u"x", 11, 12, 0, 0, 0x80000002u, 0);
    AddFatFolderRecord(u"y", 12, 11, 0, 0, 0x80000003u, 0);
    AddFatEntryRecord(u"a", 20, 10, 0, 0, 100, 0);
    AddFatEntryRecord(u"b", 21, 12, 0, 0, 50, 0);
    for (ULONGLONG& t : SelectionTotals)
        t = 0;
    CountBranch(0x80000001u);
    EXPECT_EQ(SelectionTotals[0], 1u);
    EXPECT_EQ(SelectionTotals[1], 100u);
    EXPECT_EQ(SelectionTotals[2], 1u);
    for (ULONGLONG& t : SelectionTotals)
        t = 0;
    CountBranch(0x80000002u);
    EXPECT_EQ(SelectionTotals[0], 1u);  // b, once
    EXPECT_EQ(SelectionTotals[1], 50u);
    EXPECT_EQ(SelectionTotals[2], 2u);  // x and y
    EXPECT_EQ(SelectionTotals[3], 50u);
}

} // namespace
