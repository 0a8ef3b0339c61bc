// The found-folder tree builders on damaged parent references, and times restored on FAT files.
#include "engine/folder_tree_build.h"
#include "engine/recovery_writer.h"
#include "engine/scan_control.h"
#include "attached_disk.h"
#include "crafted.h"
#include "scan_results.h"
#include "support/support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sys/stat.h>

namespace {

// Records every insertion as (parent item, text).
class TreeUi : public RecordingUi {
public:
    std::vector<std::pair<DWORD, std::u16string>> Inserted;
    std::map<DWORD, COLORREF> Colors;
    DWORD InsertFolderItem(DWORD parent, const WCHAR* text, BOOL deleted) override
    {
        const DWORD item = RecordingUi::InsertFolderItem(parent, text, deleted);
        Inserted.emplace_back(parent, text);
        return item;
    }
    void SetFolderItemColor(DWORD item, COLORREF color) override { Colors[item] = color; }
};

TEST(FolderTreeBuild, SelfAndMutualParentsEndTheWalk)
{
    FreeScanResultLists();
    ScanMode = 2;
    // 7 under the root; 8 names itself as parent and 7 as well (two records of one folder); 9 and 10
    // point at each other and hang below 7 through a second record of 9.
    AddQuickFolderNode(u"seven", 7, 5, 0, 0, 0, 0, 0, 0);
    AddQuickFolderNode(u"eight", 8, 7, 0, 0, 0, 0, 0, 1);
    AddQuickFolderNode(u"self", 7, 7, 0, 0, 0, 0, 0, 0);
    AddQuickFolderNode(u"nine", 9, 10, 0, 0, 0, 0, 0, 0);
    AddQuickFolderNode(u"ten", 10, 9, 0, 0, 0, 0, 0, 0);
    TreeUi ui;
    ScanStopFlag = 0;
    TreeItemCount = 0;
    const DWORD root = ui.InsertFolderItem(FOUND_TREE_ROOT, u"Root", FALSE);
    BuildNtfsFolderTree(root, 5);
    std::vector<std::u16string> texts;
    for (const auto& [parent, text] : ui.Inserted)
        texts.push_back(text);
    // Depth first in list order; "self" is listed under seven but not expanded again; the 9/10 ring
    // is not reachable from the root.
    EXPECT_EQ(texts, (std::vector<std::u16string>{u"Root", u"seven", u"eight", u"self"}));
    EXPECT_EQ(ui.Colors.size(), 1u); // the deleted folder is red
    FreeScanResultLists();
}

TEST(FolderTreeBuild, FatCycleThroughTheRootEnds)
{
    FreeScanResultLists();
    AddFatFolderRecord(u"a", 3, 0, 0, 0, 0, 0);
    AddFatFolderRecord(u"b", 4, 3, 0, 0, 0, 0);
    AddFatFolderRecord(u"back", 0, 4, 0, 0, 0, 0); // a record claiming the root's id below b
    TreeUi ui;
    ScanStopFlag = 0;
    TreeItemCount = 0;
    BuildFatFolderTree(FOUND_TREE_ITEM_FLAG | 0x7000, 0);
    EXPECT_EQ(ui.Inserted.size(), 3u);
    FreeScanResultLists();
}

// A FAT date of 0 (common in deleted entries) does not convert: the file keeps the times it has.
TEST(FolderTreeBuild, FatTimesLeftAloneForAnInvalidDate)
{
    const std::string path = testsupport::ScratchDir() + "/dated.bin";
    std::ofstream(path) << "x";
    struct stat before {};
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    const std::u16string wide(path.begin(), path.end());
    RecoveryFileTime = 0;
    RestoreFatFileTimes(wide.c_str());
    struct stat after {};
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_mtime, before.st_mtime);
    RecoveryFileTime = 0x3A61; // 1 March 2009
    RestoreFatFileTimes(wide.c_str());
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    struct tm day {};
    gmtime_r(&after.st_mtime, &day);
    EXPECT_EQ(day.tm_year + 1900, 2009);
    EXPECT_EQ(day.tm_mon + 1, 3);
    EXPECT_EQ(day.tm_mday, 1);
}

// A stop asked for while the worker runs ends it cooperatively; the run still finishes, not failed.
TEST(FolderTreeBuild, StoppedQuickScanFinishes)
{
    DOVEMARK_REQUIRE_FIXTURE(img, "ntfs");
    AttachedDisks disks({img.path});
    RecordingUi ui;
    const auto& v = img.volumes.at(0);
    DriveKind = 1;
    ScanMode = 2;
    PartitionParams = {};
    PartitionParams.PartitionFsType = FS_KIND_NTFS;
    PartitionParams.StartSector = DWORD(v.start);
    PartitionParams.SectorCount = DWORD(v.sectors);
    StartQuickScan();
    RequestScanPause(true);
    RequestScanStop();
    ASSERT_TRUE(WaitWorkerFinished(60000));
    EXPECT_FALSE(WorkerFailed());
    EXPECT_EQ(ScanRunning, 0);
}

} // namespace
