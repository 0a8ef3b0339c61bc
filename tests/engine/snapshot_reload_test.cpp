// Quick-scan results saved to a snapshot and loaded back show the same found-folder tree and list rows.
#include "engine/snapshot_file.h"

#include "attached_disk.h"
#include "crafted.h"
#include "scan_results.h"
#include "support/fixture_images.h"
#include "support/support.h"

#include "engine/engine_state.h"
#include "engine/ui_port.h"
#include "engine/folder_tree_build.h"
#include "engine/full_scan.h"
#include "engine/volume_extraction.h"

#include <gtest/gtest.h>

#include "win32/kernel/util.h"

#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <string>

namespace {

std::string Utf8(const WCHAR* text)
{
    std::string out;
    if (text)
        dovemark::kernel::Utf16ToUtf8(text, out);
    return out;
}

// Records the tree as item paths and the list as rows, so two runs compare as text.
class TreeUi : public IEngineUi {
public:
    std::string tree, rows;
    int messages = 0, items = 0;

    TreeUi() { SetEngineUi(this); }
    ~TreeUi() override { SetEngineUi(nullptr); }

    void ShowMessage(const WCHAR*, EngineMessageKind) override { ++messages; }
    bool AskYesNo(const WCHAR*) override { return false; }
    void SetProgress(UINT) override {}
    void SetStatusText(EngineStatusField, const WCHAR*) override {}
    void SetCounter(EngineCounter, ULONGLONG) override {}
    void AddDriveItem(const WCHAR*, DWORD) override {}
    DWORD InsertFolderItem(DWORD parent, const WCHAR* text, BOOL deleted) override
    {
        std::lock_guard<std::mutex> hold(lock_);
        const DWORD item = FOUND_TREE_ITEM_FLAG | DWORD(++items);
        const auto up = paths_.find(parent);
        paths_[item] = (up == paths_.end() ? "" : up->second + "/") + Utf8(text);
        tree += paths_[item] + (deleted ? " (deleted)\n" : "\n");
        return item;
    }
    void SetFolderItemColor(DWORD, COLORREF) override {}
    void ExpandFolderItem(DWORD item) override { tree += "expand " + paths_[item] + "\n"; }
    void DeleteFolderItem(DWORD item) override { deletedItems.push_back(item); }
    DWORD InsertVolumeItem(DWORD parent, const WCHAR*) override
    {
        const DWORD item = ++volumeItems_;
        if (parent != FOUND_TREE_ROOT && !firstVolume)
            firstVolume = item;
        return item;
    }
    std::vector<DWORD> deletedItems;
    DWORD firstVolume = 0;
    void ClearFileRows() override { rows += "clear\n"; }
    void AddFileRow(const FoundFileRow& r) override
    {
        rows += Utf8(r.Name) + (r.IsFolder ? " folder" : " file") + (r.Deleted ? " deleted " : " ") +
                std::to_string(r.Size) + " " + std::to_string(r.Modified) + " " + Utf8(r.CreatedText) + " " +
                Utf8(r.ModifiedText) + "\n";
    }

private:
    std::mutex lock_;
    std::map<DWORD, std::string> paths_;
    DWORD volumeItems_ = 0;
};

std::string FolderItems()
{
    std::string out;
    for (FatFolderRecord* f = FatFolderHead; f; f = f->Next)
        out += Utf8(f->Name) + " " + std::to_string(f->TreeItem) + "\n";
    for (QuickFolderNode* f = QuickFolderHead; f; f = f->Next)
        out += Utf8(f->Name) + " " + std::to_string(f->TreeItem) + "\n";
    return out;
}

class SnapshotReload : public ::testing::TestWithParam<const char*> {};

TEST_P(SnapshotReload, QuickScanComesBackWithTheSameTreeAndRows)
{
    DOVEMARK_REQUIRE_FIXTURE(img, GetParam());
    AttachedDisks disks({img.path});
    std::string tree, rows;
    int items = 0;
    {
        TreeUi ui;
        ASSERT_TRUE(scanresults::QuickScan(img.volumes.at(0)));
        tree = ui.tree;
        rows = ui.rows;
        items = ui.items;
    }
    const std::string folderItems = FolderItems();
    const DWORD oldRoot = FoundTreeRootItem;
    ASSERT_GT(items, 3);
    const std::string path = testsupport::ScratchDir() + "/quick.DMK";
    const std::u16string wide(path.begin(), path.end());
    ASSERT_EQ(WriteSnapshotFile(wide.c_str()), SnapshotStatus::Ok);
    FreeScanResultLists();

    TreeUi ui;
    ASSERT_EQ(ReadSnapshotFile(wide.c_str()), SnapshotStatus::Ok);
    EXPECT_EQ(ui.messages, 0);
    EXPECT_EQ(ui.tree, tree);
    EXPECT_EQ(ui.rows, rows);
    // The tree of the replaced results went first.
    EXPECT_EQ(ui.deletedItems, std::vector<DWORD>({oldRoot}));
    // Folder records point at their items again, as the list fill of a clicked folder needs.
    EXPECT_EQ(FolderItems(), folderItems);
    FreeScanResultLists();
}

// A full scan's result, once a volume was chosen and extracted, comes back from an "A" snapshot with the same
// tree and rows (its NTFS files now held as a quick scan holds them).
TEST_P(SnapshotReload, FullScanComesBackWithTheSameTreeAndRows)
{
    DOVEMARK_REQUIRE_FIXTURE(img, GetParam());
    AttachedDisks disks({img.path});
    std::string tree, rows;
    {
        TreeUi ui;
        ScanMode = 0;
        PartitionParams = {};
        PartitionParams.PartitionFsType = scanresults::KindOf(img.volumes.at(0).fs);
        PartitionParams.SectorCount = DWORD(img.bytes / SECTOR_SIZE);
        PartitionParams.BackupSector = PartitionParams.SectorCount;
        StartFullScan();
        ASSERT_TRUE(WaitWorkerFinished(120000));
        ASSERT_GT(SelectFoundVolume(ui.firstVolume), 0);
        BeginScanRun();
        ExtractWorkerProc(nullptr);
        ASSERT_FALSE(WorkerFailed());
        tree = ui.tree;
        rows = ui.rows;
        ASSERT_NE(tree.find("Root/Lost Dir"), std::string::npos) << tree;
    }
    const std::string path = testsupport::ScratchDir() + "/full.DMK";
    const std::u16string wide(path.begin(), path.end());
    ASSERT_EQ(WriteSnapshotFile(wide.c_str()), SnapshotStatus::Ok);
    {
        std::ifstream in(path, std::ios::binary);
        EXPECT_EQ(in.get(), 'A');
    }
    FreeScanResultLists();
    ResetFullScanLists();

    TreeUi ui;
    ASSERT_EQ(ReadSnapshotFile(wide.c_str()), SnapshotStatus::Ok);
    EXPECT_EQ(ui.messages, 0);
    EXPECT_EQ(ui.tree, tree);
    EXPECT_EQ(ui.rows, rows);
    FreeScanResultLists();
    ScanMode = 2;
}

INSTANTIATE_TEST_SUITE_P(Images, SnapshotReload, ::testing::Values("ntfs", "fat32"));

// A volume without a boot sector is checked by what the results claim on it: a folder's "." entry (FAT) or an
// MFT record (NTFS). A disk that does not hold them gets the warning; the load itself stands.
TEST(SnapshotReloadCheck, AVolumeWithoutBootSectorIsComparedByWhatItsResultsClaim)
{
    constexpr DWORD kFolderSector = 100 + 5; // data origin 100, one sector per cluster, cluster 5
    constexpr DWORD kRecordSector = 200;
    const std::u16string mismatch =
        u"所选磁盘上的卷与快照中记录的卷不一致，磁盘的编号可能已经改变。恢复的文件可能不正确。";
    const struct {
        const char* what;
        WORD fs;
        const char* onDisk; // "dot5", "dot6", "file" or "" (zeros)
        bool warned;
    } cases[] = {
        {"FAT folder in place", FS_KIND_FAT32, "dot5", false},
        {"FAT folder of another cluster", FS_KIND_FAT32, "dot6", true},
        {"FAT folder sector blank", FS_KIND_FAT32, "", true},
        {"MFT record in place", FS_KIND_NTFS, "file", false},
        {"MFT record missing", FS_KIND_NTFS, "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CraftedImage image(512, std::string("noboot-") + c.onDisk + ".img");
        BYTE sector[SECTOR_SIZE] = {};
        const std::string on = c.onDisk;
        if (on == "dot5" || on == "dot6") {
            std::memcpy(sector, ".          ", 11);
            sector[11] = 0x10;
            sector[26] = on == "dot5" ? 5 : 6;
            image.Write(kFolderSector, sector, sizeof sector);
        } else if (on == "file") {
            std::memcpy(sector, "FILE", 4);
            image.Write(kRecordSector, sector, sizeof sector);
        }
        AttachedDisks disks({image.Path()});
        FreeScanResultLists();
        ScanMode = 2;
        PartitionParams = {};
        PartitionParams.FsType = c.fs;
        PartitionParams.PartitionFsType = c.fs;
        PartitionParams.SectorCount = 512;
        PartitionParams.SectorsPerCluster = 1;
        PartitionParams.DataOrigin = 100;
        PartitionParams.VolumeEndSector = 511;
        if (c.fs == FS_KIND_NTFS) {
            AddQuickFolderNode(u"docs", 40, 5, 0, 0, 0, 0, 0, 0);
            AddFoundEntry(kRecordSector, u"a.txt", 41, 40, 0, 0, 0, 0, 0, 0, 10, 0);
        } else {
            AddFatFolderRecord(u"docs", 5, 0, 0, 0, 0, 0);
            AddFatEntryRecord(u"a.txt", 7, 5, 0, 0, 10, 0);
        }
        const std::string path = testsupport::ScratchDir() + "/noboot.DMK";
        const std::u16string wide(path.begin(), path.end());
        ASSERT_EQ(WriteSnapshotFile(wide.c_str()), SnapshotStatus::Ok);
        FreeScanResultLists();

        RecordingUi ui;
        ASSERT_EQ(ReadSnapshotFile(wide.c_str()), SnapshotStatus::Ok);
        bool warned = false;
        for (const auto& m : ui.Messages)
            warned |= m.Text == mismatch;
        EXPECT_EQ(warned, c.warned);
        EXPECT_NE(FatFolderHead ? FatFolderHead->Name : QuickFolderHead ? QuickFolderHead->Name : nullptr, nullptr);
        FreeScanResultLists();
    }
}

} // namespace
