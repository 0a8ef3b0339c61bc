// The drive tree: which disk, volume or partition a choice names, whatever the tree's order, and what it writes.
#include "app/drive_listing.h"
#include "app/drive_tree_ctrl.h"
#include "app/wizard_state.h"
#include "app/tree_find.h"

#include "backend/headless/driver.h"
#include "engine/attached_disk.h"
#include "engine/drive_identify.h"
#include "support/fixture_images.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class RecordingHost : public IDriveTreeHost {
public:
    DWORD words[6] = {0, 1, 0, 0, 0, 0};
    int selected = -2;
    std::vector<std::string> calls;

    DWORD PageState(int word) const override { return words[word]; }
    void SetSelectedIndex(int index) override { selected = index; }
    void ClearDrivePane() override { calls.push_back("clear"); }
    void ShowDrivePaneHeading(bool physical) override { calls.push_back(physical ? "heading physical" : "heading logical"); }
    void ShowDiskInfo(int disk) override { calls.push_back("disk " + std::to_string(disk)); }
    void ShowDriveInfo(int volume) override { calls.push_back("volume " + std::to_string(volume)); }
    void DrawVolumePie() override { calls.push_back("pie"); }
    void ShowNoPartitionInfo() override { calls.push_back("no partition"); }
    void ShowSelectedPartition() override { calls.push_back("selected partition"); }
    void ShowPartitionInfo(int entry) override { calls.push_back("partition " + std::to_string(entry)); }
    void TreeTab() override { calls.push_back("tab"); }
    void TreeEnter() override { calls.push_back("enter"); }
};

// An MBR whose one NTFS-typed entry starts at a sector that names the disk.
std::vector<BYTE> MarkedMbr(DWORD start)
{
    std::vector<BYTE> mbr(SECTOR_SIZE, 0);
    BYTE* e = &mbr[0x1BE];
    e[4] = 7;
    for (int i = 0; i < 4; ++i) {
        e[8 + i] = BYTE(start >> (8 * i));
        e[12 + i] = BYTE(50 >> (8 * i));
    }
    mbr[510] = 0x55;
    mbr[511] = 0xAA;
    return mbr;
}

class DriveTreeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(parent.CreateEx(0, nullptr, u"page", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 400), nullptr, 0));
        ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT,
                                CRect(0, 0, 300, 400), &parent, 156));
        tree.SetHost(&host);
        tree.InitTree();
        ScanMode = 2;
        DriveKind = 3;
        ScanModeText.Empty();
    }
    void TearDown() override
    {
        parent.DestroyWindow();
        DetectedDriveCount = 0;
        LogicalDriveTable = {};
        PartitionCount = 0;
    }

    CWnd parent;
    CDriveTreeCtrl tree;
    RecordingHost host;
};

// The disk a user clicks is the disk read, whether volumes sort above the disks or their group is collapsed.
TEST_F(DriveTreeTest, ADiskIsChosenByItsNumberWhateverTheRowsAbove)
{
    std::vector<std::unique_ptr<CraftedImage>> images;
    std::vector<std::string> paths;
    for (int k = 0; k < 3; ++k) {
        images.push_back(std::make_unique<CraftedImage>(4096, "disk" + std::to_string(k) + ".img"));
        images.back()->Write(0, MarkedMbr(100 * (k + 1)));
        paths.push_back(images.back()->Path());
    }
    AttachedDisks disks(paths, false);
    ListHardDisks(tree);
    ASSERT_EQ(DetectedDriveCount, 3u);

    enum Layout { Plain, VolumesFirst, VolumesCollapsed };
    for (Layout layout : {Plain, VolumesFirst, VolumesCollapsed}) {
        if (layout == VolumesFirst) {
            LogicalDriveTable.Count = 1;
            tree.AddPath("My Computer\\Logical Devices\\Logical Drives Z: \\", MakeDriveItemData(DRIVE_ITEM_VOLUME, 0));
            ASSERT_EQ(tree.GetItemText(tree.GetChildItem(tree.GetRootItem())), CString(u"Logical Devices"));
        }
        if (layout == VolumesCollapsed)
            tree.Expand(FindTreeItem(tree, u"Logical Devices"), TVE_COLLAPSE);
        for (int k = 0; k < 3; ++k) {
            const std::u16string label = u"Hard Disk " + std::u16string(1, char16_t(u'0' + k)) + u" ";
            HTREEITEM item = FindTreeItem(tree, label.c_str());
            ASSERT_TRUE(item);
            host.calls.clear();
            EXPECT_EQ(tree.OnSelectItem(item), CString(label.c_str()));
            EXPECT_EQ(DriveNumber, k) << layout;
            EXPECT_EQ(DriveKind, 1) << layout;
            EXPECT_EQ(host.selected, k + 1) << layout;
            ASSERT_GE(PartitionCount, 1u);
            EXPECT_EQ(FoundPartitionTable[0].StartSector + 0, DWORD(100 * (k + 1))) << layout;
            EXPECT_EQ(host.calls, (std::vector<std::string>{"disk " + std::to_string(k), "pie"})) << layout;
            EXPECT_EQ(ScanModeText, CString(u"已选择模式 : 快速扫描 \r\n驱动器类型 : 物理驱动器                  "));
        }
    }

    // A real click on the label goes the same way.
    HTREEITEM second = FindTreeItem(tree, u"Hard Disk 1 ");
    CRect rect;
    ASSERT_TRUE(tree.GetItemRect(second, &rect, TRUE));
    headless::Click(tree.m_hWnd, rect.CenterPoint());
    headless::PumpUntilIdle();
    EXPECT_EQ(DriveNumber, 1);
    EXPECT_EQ(tree.GetSelectedItem(), second);
}

TEST_F(DriveTreeTest, GroupsVolumesAndUnknownDisksEachWriteWhatTheyName)
{
    DetectedDriveCount = 1;
    DiskSectorCounts[0] = 8000;
    LogicalDriveTable.Count = 2;
    LogicalDriveTable.Kind[1] = FS_KIND_FAT32;
    LogicalDriveTable.SectorCount[1] = 123456;
    tree.AddPath("My Computer\\Physical Devices\\Hard Disk 0 \\", MakeDriveItemData(DRIVE_ITEM_DISK, 0));
    // A disk beyond the detected table has no device path: it is refused, never read.
    tree.AddPath("My Computer\\Physical Devices\\Hard Disk 10 \\", MakeDriveItemData(DRIVE_ITEM_DISK, 10));
    tree.AddPath("My Computer\\Logical Devices\\Logical Drives D: \\", MakeDriveItemData(DRIVE_ITEM_VOLUME, 1));
    tree.ExpandRoot();

    struct Case {
        const char16_t* item;
        WORD driveKind;
        int selected;
        std::vector<std::string> calls;
        bool summary;
    };
    const Case cases[] = {
        {u"My Computer", 3, -1, {"clear"}, false},
        {u"Physical Devices", 3, -1, {"heading physical", "clear"}, false},
        {u"Hard Disk 10 ", 3, -1, {"clear"}, false},
        {u"Logical Drives D: ", 2, 1, {"volume 1"}, true},
    };
    for (const Case& c : cases) {
        host.calls.clear();
        DriveKind = 1;
        ScanModeText = u"old";
        tree.OnSelectItem(FindTreeItem(tree, c.item));
        SCOPED_TRACE(std::string(c.item, c.item + std::char_traits<char16_t>::length(c.item)));
        EXPECT_EQ(DriveKind, c.driveKind);
        EXPECT_EQ(host.selected, c.selected);
        EXPECT_EQ(host.calls, c.calls);
        EXPECT_EQ(ScanModeText.IsEmpty(), !c.summary && c.driveKind == 3 && c.selected == -1 && c.item[0] != u'H');
    }
    EXPECT_EQ(PartitionParams.PartitionFsType + 0, FS_KIND_FAT32);
    EXPECT_EQ(PartitionParams.SectorCount + 0, 123456u);
    EXPECT_EQ(PartitionParams.BackupSector + 0, 123455u); // the volume's last sector
    EXPECT_EQ(PartitionParams.LogicalDriveIndex + 0, 1);
    EXPECT_EQ(PartitionParams.StartSector + 0, 0u);
}

// On the scan page the partitions stand in number order and each names its own entry; the group is the whole disk
// in full-scan mode.
TEST_F(DriveTreeTest, PartitionsNameTheirEntriesAndTheGroupTheWholeDisk)
{
    host.words[1] = 0;
    host.words[2] = 1;
    DetectedDriveCount = 1;
    DriveNumber = 0;
    DiskSectorCounts[0] = 90000;
    PartitionCount = 12;
    for (DWORD n = 0; n < 12; ++n) {
        FoundPartitionTable[n] = {1000 * (n + 1), 500, FS_KIND_FAT16, {}};
        tree.AddPartitionItem(u"Hard Disk ", CString(u"Partition ") + CString(std::to_string(n).c_str()), n);
    }
    tree.ExpandRoot();
    HTREEITEM first = tree.GetChildItem(tree.GetRootItem());
    EXPECT_EQ(tree.GetItemText(tree.GetNextSiblingItem(first)), CString(u"Partition 1"));
    tree.OnSelectItem(FindTreeItem(tree, u"Partition 10"));
    EXPECT_EQ(host.selected, 10);
    EXPECT_EQ(PartitionParams.StartSector + 0, 11000u);
    EXPECT_EQ(PartitionParams.BackupSector + 0, 11499u);
    EXPECT_EQ(host.calls.back(), "partition 10");

    ScanMode = 0;
    DriveKind = 1;
    host.calls.clear();
    tree.OnSelectItem(tree.GetRootItem());
    EXPECT_EQ(PartitionParams.StartSector + 0, 0u);
    EXPECT_EQ(PartitionParams.SectorCount + 0, 90000u);
    EXPECT_EQ(PartitionParams.BackupSector + 0, 89999u); // the disk's last sector, which Start accepts
    EXPECT_EQ(PartitionParams.PartitionFsType + 0, FS_KIND_NTFS);
    EXPECT_EQ(DriveKind, 1);
    EXPECT_EQ(host.selected, -1);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"no partition", "clear", "selected partition", "clear"}));
}

TEST(DriveListing, BootSectorsAreKnownOnlyWithTheirOwnMarksAndASoundLayout)
{
    auto boot = [](const char* at3, int markAt, const char* mark, BYTE spc) {
        std::vector<BYTE> s(SECTOR_SIZE, 0);
        std::memcpy(&s[3], at3, std::strlen(at3));
        if (mark)
            std::memcpy(&s[markAt], mark, std::strlen(mark));
        s[11] = 0;
        s[12] = 2; // 512 bytes a sector
        s[13] = spc;
        s[14] = 32;
        s[16] = 2;
        s[510] = 0x55;
        s[511] = 0xAA;
        return s;
    };
    const struct {
        const char* what;
        std::vector<BYTE> sector;
        WORD kind;
    } cases[] = {
        {"NTFS", boot("NTFS    ", 0, nullptr, 8), FS_KIND_NTFS},
        {"FAT32", boot("MSDOS5.0", 0x52, "FAT32   ", 8), FS_KIND_FAT32},
        {"FAT16", boot("MSDOS5.0", 0x36, "FAT16   ", 4), FS_KIND_FAT16},
        {"exFAT", boot("EXFAT   ", 0, nullptr, 0), FS_KIND_UNKNOWN},
        {"FAT32 mark without clusters", boot("MSDOS5.0", 0x52, "FAT32   ", 0), FS_KIND_UNKNOWN},
        {"FAT32 mark, odd cluster size", boot("MSDOS5.0", 0x52, "FAT32   ", 3), FS_KIND_UNKNOWN},
        {"unread (zeros)", std::vector<BYTE>(SECTOR_SIZE, 0), FS_KIND_UNKNOWN},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClassifyVolumeBoot(c.sector.data()), c.kind) << c.what;
}

TEST_F(DriveTreeTest, LetteredVolumesOfAnAttachedDiskAreListedWithTheirKinds)
{
    DOVEMARK_REQUIRE_FIXTURE(img, "multi");
    AttachedDisks disks({img.path}, false);
    ListLogicalDrives(tree);
    ASSERT_EQ(LogicalDriveTable.Count, img.volumes.size());
    for (size_t i = 0; i < img.volumes.size(); ++i) {
        const std::string& fs = img.volumes[i].fs;
        const WORD kind = fs == "NTFS" ? FS_KIND_NTFS : fs == "FAT32" ? FS_KIND_FAT32 : FS_KIND_FAT16;
        EXPECT_EQ(LogicalDriveTable.Kind[i], kind) << i;
        EXPECT_EQ(FoundPartitionTable[i].Kind + 0, kind) << i;
        EXPECT_EQ(LogicalDriveTable.RootText[i][0], char16_t(u'C' + i));
        EXPECT_GT(LogicalDriveTable.SectorCount[i], 0u);
    }
    EXPECT_TRUE(FindTreeItem(tree, u"Logical Drives C: "));
}

} // namespace
