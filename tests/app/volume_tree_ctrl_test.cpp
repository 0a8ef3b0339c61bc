// The found-volume tree of the volume choice page and its information pane: images, the choice of a
// volume into PartitionParams and the values the pane shows.
#include "app/file_system_form.h"
#include "app/volume_tree_ctrl.h"
#include "backend/headless/driver.h"
#include "engine/engine_state.h"

#include <gtest/gtest.h>

namespace {

class VolumeTreeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        headless::UseVirtualClock();
        ResetFullScanLists();
        PartitionParams = {};
        PartitionParams.PartitionFsType = FS_KIND_NTFS;
        ASSERT_TRUE(page.CreateEx(0, nullptr, u"volumes", WS_POPUP | WS_VISIBLE, CRect(0, 0, 800, 500), nullptr, 0));
        ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT,
                                CRect(0, 0, 200, 500), &page, 156));
        tree.InitControl();
        form = new CFileSystemForm;
        ASSERT_TRUE(form->Create(nullptr, u"", WS_CHILD | WS_VISIBLE, CRect(200, 0, 800, 500), &page, 0xE901));
        tree.SetForm(form);
        tree.SetSelectedIndexWord(&selectedIndex);
        top = tree.AddVolumeItem(u"File System", TVI_ROOT);
        // An NTFS volume, a FAT32 one whose end is unknown, and a FAT16 one.
        const DWORD ntfs[14] = {8, 8, 0, 0, 0, 2048, 0, 0, 6000, 6100, 0, 8, 2048 + 204800, 0};
        const DWORD fatUnknown[14] = {1000, 4, 0, 2, 32, 4000, 100, 1100, 0, 0, 0, 0, 0, 0};
        const DWORD fat16[14] = {200, 2, 512, 0, 4, 9000, 8000, 8200, 0, 0, 0, 0, 9000 + 20480, 0};
        for (auto [kind, values, label] :
             {std::tuple{FS_KIND_NTFS, ntfs, u"NTFS @2048"}, std::tuple{FS_KIND_FAT32, fatUnknown, u"FAT32 @4000"},
              std::tuple{FS_KIND_FAT16, fat16, u"FAT16 @9000"}}) {
            AddVolumeRecord(&VolumeHead, kind, values);
            HTREEITEM item = tree.AddVolumeItem(label, top);
            VolumeRecord* v = VolumeHead;
            while (v->Next)
                v = v->Next;
            v->TreeItem = (DWORD)(ULONG_PTR)item;
            items.push_back(item);
        }
        tree.Expand(top, TVE_EXPAND);
        headless::PumpUntilIdle();
    }
    void TearDown() override
    {
        form->DestroyWindow();
        tree.DestroyWindow();
        page.DestroyWindow();
        ResetFullScanLists();
        PartitionParams = {};
    }
    void Click(HTREEITEM item)
    {
        CRect text;
        tree.GetItemRect(item, &text, TRUE);
        headless::AdvanceClock(1000);
        headless::Click(tree.m_hWnd, text.CenterPoint());
        headless::PumpUntilIdle();
    }
    std::u16string Value(int row) { return (LPCWSTR)form->GetValue(row); }

    CWnd page;
    CVolumeTreeCtrl tree;
    CFileSystemForm* form = nullptr;
    HTREEITEM top = nullptr;
    std::vector<HTREEITEM> items;
    int selectedIndex = -1;
};

TEST_F(VolumeTreeTest, ImagesByPlace)
{
    int image = -1, selected = -1;
    tree.GetItemImage(top, image, selected);
    EXPECT_EQ(image, 5);
    tree.GetItemImage(items[0], image, selected);
    EXPECT_EQ(image, 5);
}

TEST_F(VolumeTreeTest, ChoosingVolumesShowsTheirLayout)
{
    Click(items[2]);
    EXPECT_EQ(PartitionParams.VolumeNumber, 3) << "the third volume of the tree";
    EXPECT_EQ(selectedIndex, 2);
    EXPECT_EQ(PartitionParams.FsType, FS_KIND_FAT16);
    EXPECT_FALSE(form->IsRowVisible(0));
    EXPECT_EQ(std::u16string((LPCWSTR)form->GetLabel(1)), u"文件系统起始 :");
    EXPECT_EQ(Value(1), u"9000");
    EXPECT_EQ(Value(2), u"2");
    EXPECT_EQ(Value(3), u"10 MB");

    Click(items[1]);
    EXPECT_EQ(PartitionParams.VolumeNumber, 2);
    EXPECT_EQ(Value(3), u"Unknown");

    Click(items[0]);
    EXPECT_EQ(PartitionParams.FsType, FS_KIND_NTFS);
    EXPECT_EQ(std::u16string((LPCWSTR)form->GetLabel(2)), u"MFT 起始         :");
    EXPECT_EQ((std::vector<std::u16string>{Value(0), Value(1), Value(2), Value(3), Value(4)}),
              (std::vector<std::u16string>{u"2048", u"8", u"6000", u"6100", u"100 MB"}));

    // The top item shows the empty layout of the partition's kind and changes nothing.
    const PartitionParamsBlock before = PartitionParams;
    Click(top);
    EXPECT_EQ(selectedIndex, -1);
    EXPECT_EQ(Value(0), u"");
    EXPECT_EQ(std::u16string((LPCWSTR)form->GetLabel(0)), u"文件系统起始 :");
    EXPECT_EQ(memcmp(&before, &PartitionParams, sizeof before), 0);
}

} // namespace
