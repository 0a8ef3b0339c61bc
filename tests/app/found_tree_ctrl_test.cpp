// The found-folder tree: items and images, the tri-state tick algebra, the sets it keeps in step,
// and the mouse that browses and ticks folders of FAT, NTFS and file-tracing results.
#include "results_fixture.h"

#include "controls/shell_file_info.h"
#include "engine/found_list_fill.h"

#include <map>

namespace {
using resultstest::ResultsFixture;

// Root ─ A(3) ─ A1(5), A2(6); Root ─ B(4, deleted). Files: a.txt in A, a1.txt in A1, root.txt at the
// root, b.txt in B.
class FoundTreeTest : public ResultsFixture {
protected:
    void SetUp() override
    {
        ResultsFixture::SetUp();
        PartitionParams.FsType = FS_KIND_FAT32;
        ScanMode = 2;
        AddFatFolderRecord(u"A", 3, 0, 0, 0, 0, 0);
        AddFatFolderRecord(u"B", 4, 0, 0, 0, 0, 1);
        AddFatFolderRecord(u"A1", 5, 3, 0, 0, 0, 0);
        AddFatFolderRecord(u"A2", 6, 3, 0, 0, 0, 0);
        FoundFileCount = 0;
        ++FoundFileCount;
        AddFatEntryRecord(u"a.txt", 10, 3, 0, 0, 100, 0);
        ++FoundFileCount;
        AddFatEntryRecord(u"a1.txt", 11, 5, 0, 0, 200, 0);
        ++FoundFileCount;
        AddFatEntryRecord(u"root.txt", 12, 0, 0, 0, 300, 0);
        ++FoundFileCount;
        AddFatEntryRecord(u"b.txt", 13, 4, 0, 0, 400, 1);
        TreeItemCount = 0;
        ScanStopFlag = 0;
        BuildFatFolderTree(InsertFoundTreeRoot(), 0);
        tree.Expand(Item({}), TVE_EXPAND);
        tree.Expand(Item({u"A"}), TVE_EXPAND);
        headless::PumpUntilIdle();
    }
    DWORD H(const std::vector<std::u16string>& path) { return CFoundTreeCtrl::ToHandle(Item(path)); }
    std::map<std::u16string, int> States()
    {
        std::map<std::u16string, int> out;
        for (auto path : std::vector<std::vector<std::u16string>>{{}, {u"A"}, {u"A", u"A1"}, {u"A", u"A2"}, {u"B"}})
            out[path.empty() ? u"Root" : path.back()] = tree.GetCheck(Item(path));
        return out;
    }
};

TEST_F(FoundTreeTest, ItemsCarryTheirHandlesImagesAndColours)
{
    for (FatFolderRecord* f = FatFolderHead; f; f = f->Next) {
        EXPECT_NE(f->TreeItem & FOUND_TREE_ITEM_FLAG, 0u) << "top bit set on every item handle";
        EXPECT_EQ(std::u16string((LPCWSTR)tree.GetItemText(CFoundTreeCtrl::ToItem(f->TreeItem))), f->Name);
    }
    int image = -1, selected = -1;
    tree.GetItemImage(Item({}), image, selected);
    EXPECT_EQ(image, 5) << "\"Root\" is no drive";
    tree.GetItemImage(Item({u"A"}), image, selected);
    EXPECT_EQ(image, CShellFileInfo::GetFolderIconIndex(TRUE));
    COLORREF color = 0;
    EXPECT_TRUE(tree.GetItemColor(Item({u"B"}), &color));
    EXPECT_EQ(color, RGB(255, 0, 0));
    EXPECT_FALSE(tree.GetItemColor(Item({u"A"}), &color));
    EXPECT_EQ(std::u16string((LPCWSTR)tree.GetItemPath(Item({u"A", u"A1"}))), u"A\\A1");
    EXPECT_EQ(std::u16string((LPCWSTR)tree.GetItemPath(Item({}))), u"");
}

TEST_F(FoundTreeTest, TickAlgebra)
{
    using Op = std::pair<bool, std::vector<std::u16string>>; // tick?, item path
    struct Case {
        const char* what;
        std::vector<Op> ops;
        std::map<std::u16string, int> expect;
    };
    const std::vector<Case> cases = {
        {"one leaf: parent and top partial", {{true, {u"A", u"A1"}}},
         {{u"Root", 2}, {u"A", 2}, {u"A1", 1}, {u"A2", 0}, {u"B", 0}}},
        {"both leaves tick the parent", {{true, {u"A", u"A1"}}, {true, {u"A", u"A2"}}},
         {{u"Root", 2}, {u"A", 1}, {u"A1", 1}, {u"A2", 1}, {u"B", 0}}},
        {"a folder ticks its branch", {{true, {u"A"}}}, {{u"Root", 2}, {u"A", 1}, {u"A1", 1}, {u"A2", 1}, {u"B", 0}}},
        {"all top folders tick the top", {{true, {u"A"}}, {true, {u"B"}}},
         {{u"Root", 1}, {u"A", 1}, {u"A1", 1}, {u"A2", 1}, {u"B", 1}}},
        {"unticking one leaf leaves the parent partial", {{true, {u"A"}}, {false, {u"A", u"A1"}}},
         {{u"Root", 2}, {u"A", 2}, {u"A1", 0}, {u"A2", 1}, {u"B", 0}}},
        {"unticking the last ticked child unticks the folder", {{true, {u"A", u"A1"}}, {false, {u"A", u"A1"}}},
         {{u"Root", 0}, {u"A", 0}, {u"A1", 0}, {u"A2", 0}, {u"B", 0}}},
        {"the top item ticks everything", {{true, {}}}, {{u"Root", 1}, {u"A", 1}, {u"A1", 1}, {u"A2", 1}, {u"B", 1}}},
        {"and unticks everything", {{true, {}}, {false, {}}},
         {{u"Root", 0}, {u"A", 0}, {u"A1", 0}, {u"A2", 0}, {u"B", 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tree.UncheckBranch(Item({}));
        list->ClearSets(FALSE);
        for (const Op& op : c.ops)
            op.first ? tree.CheckTree(Item(op.second)) : tree.UncheckTree(Item(op.second));
        EXPECT_EQ(States(), c.expect);
        // A partial item keeps the boldness and sets it had.
        for (auto path : std::vector<std::vector<std::u16string>>{{u"A"}, {u"A", u"A1"}, {u"B"}}) {
            if (tree.GetCheck(Item(path)) == 2)
                continue;
            const bool ticked = tree.GetCheck(Item(path)) == 1;
            EXPECT_EQ(tree.GetItemBold(Item(path)) != FALSE, ticked);
            EXPECT_EQ(Has(list->CheckedTreeItems, H(path)), ticked);
        }
    }
    // Only the folders right below the top are written whole.
    tree.CheckTree(Item({}));
    EXPECT_TRUE(Has(list->RecoverFolderItems, H({u"A"})));
    EXPECT_FALSE(Has(list->RecoverFolderItems, H({u"A", u"A1"})));
}

// A branch thousands of folders deep is ticked and unticked without recursion.
TEST_F(FoundTreeTest, DeepBranchesTickWithoutRecursion)
{
    HTREEITEM at = Item({u"B"});
    for (int i = 0; i < 3000; ++i)
        at = tree.InsertFolderItem(u"d", at);
    tree.CheckTree(Item({u"B"}));
    EXPECT_EQ(tree.GetCheck(at), 1);
    EXPECT_GE(std::u16string((LPCWSTR)tree.GetItemPath(at)).size(), 6000u);
    tree.UncheckTree(at);
    EXPECT_EQ(tree.GetCheck(Item({u"B"})), 0);
}

TEST_F(FoundTreeTest, ClickingALabelFillsTheListWithThatFolder)
{
    ClickTree(LabelOf(Item({u"A"})));
    EXPECT_EQ(FolderBrowseActive, 1u);
    EXPECT_EQ(Names(), (std::vector<std::u16string>{u"Parent...", u"A1", u"A2", u"a.txt"}));
    EXPECT_EQ(tree.GetSelectedItem(), Item({u"A"}));
    ClickTree(LabelOf(Item({})));
    EXPECT_EQ(Names(), (std::vector<std::u16string>{u"A", u"B", u"root.txt"}));
    EXPECT_EQ(std::u16string((LPCWSTR)list->GetItemText(Row(u"B"), 1)), u"Deleted Folder");
}

// Ticking in the tree fills the sets; the rows of the folder shown follow; a second click unticks.
TEST_F(FoundTreeTest, CheckBoxClicksKeepTheSetsAndRows)
{
    ClickTree(LabelOf(Item({u"A"})));
    ClickTree(BoxOf(Item({u"A"})));
    EXPECT_EQ(States()[u"A2"], 1);
    EXPECT_TRUE(Has(list->RecoverFolderItems, H({u"A"})));
    for (auto path : std::vector<std::vector<std::u16string>>{{u"A"}, {u"A", u"A1"}, {u"A", u"A2"}})
        EXPECT_TRUE(Has(list->CheckedFolderItems, H(path)));
    EXPECT_TRUE(Has(list->CheckedFileIds, FileId(u"a.txt")));
    EXPECT_TRUE(Has(list->CheckedFileIds, FileId(u"a1.txt")));
    EXPECT_FALSE(Has(list->CheckedFileIds, FileId(u"b.txt")));
    EXPECT_EQ(list->GetItemCheck(Row(u"A1")), 1);
    EXPECT_EQ(list->GetItemCheck(Row(u"a.txt")), 1);
    EXPECT_EQ(list->GetItemCheck(Row(u"Parent...")), -1 + 3) << "the parent row keeps no box";

    ClickTree(BoxOf(Item({u"A"})));
    EXPECT_EQ(States()[u"A"], 0);
    EXPECT_TRUE(list->CheckedFolderItems.IsEmpty());
    EXPECT_TRUE(list->CheckedFileIds.IsEmpty());
    EXPECT_TRUE(list->RecoverFolderItems.IsEmpty());
    EXPECT_EQ(list->GetItemCheck(Row(u"a.txt")), 0);
}

// A partial item: FAT ticks the branch while a child is unticked; NTFS unticks it.
TEST_F(FoundTreeTest, PartialItemsByFileSystem)
{
    for (WORD fs : {FS_KIND_FAT32, FS_KIND_NTFS}) {
        SCOPED_TRACE(fs);
        PartitionParams.FsType = fs;
        tree.UncheckBranch(Item({}));
        tree.CheckTree(Item({u"A", u"A1"}));
        ASSERT_EQ(States()[u"A"], 2);
        ClickTree(BoxOf(Item({u"A"})));
        EXPECT_EQ(States()[u"A2"], fs == FS_KIND_NTFS ? 0 : 1);
        EXPECT_EQ(States()[u"A"], fs == FS_KIND_NTFS ? 0 : 1);
    }
}

TEST_F(FoundTreeTest, TickingTheTopItemMarksRootFilesForRecovery)
{
    ClickTree(LabelOf(Item({})));
    ClickTree(BoxOf(Item({})));
    EXPECT_EQ(States()[u"A1"], 1);
    EXPECT_TRUE(Has(list->RecoverFileIds, FileId(u"root.txt")));
    EXPECT_FALSE(Has(list->RecoverFileIds, FileId(u"a.txt"))) << "written with its folder";
    EXPECT_TRUE(Has(list->RecoverFolderItems, H({u"B"})));
    EXPECT_EQ(list->GetItemCheck(Row(u"root.txt")), 1);
}

// Two quick clicks on a box are two ticks: the second press arrives as a double click.
TEST_F(FoundTreeTest, QuickSecondClickOnABoxTicksAgain)
{
    const CPoint box = BoxOf(Item({u"B"}));
    headless::AdvanceClock(1000);
    headless::Click(tree.m_hWnd, box);
    headless::Click(tree.m_hWnd, box);
    headless::PumpUntilIdle();
    EXPECT_EQ(States()[u"B"], 0);
    EXPECT_FALSE(Has(list->RecoverFolderItems, H({u"B"})));
}

TEST_F(FoundTreeTest, TabMovesTheFocusToTheList)
{
    tree.SetFocus();
    tree.SelectItem(Item({u"A"}));
    headless::PressKey(VK_TAB);
    headless::PumpUntilIdle();
    EXPECT_EQ(::GetFocus(), list->m_hWnd);
}

// File tracing: one item per group and per extension, ticks by group, and the group rows of "Root".
class TracedTreeTest : public ResultsFixture {
protected:
    void SetUp() override
    {
        ResultsFixture::SetUp();
        ScanMode = 1;
        PartitionParams.FsType = FS_KIND_FAT32;
        AddTracedFolder(u"jpg", u"Pictures", 2, "\xFF\xD8", 0);
        AddTracedFolder(u"png", u"Pictures", 2, "\x89P", 0);
        AddTracedFolder(u"txt", u"Text", 2, "ab", 0);
        AddTracedFile(u"f1.jpg", u"jpg", u"Pictures", 1, 100);
        AddTracedFile(u"f2.txt", u"txt", u"Text", 2, 200);
        AddTracedFile(u"f3.jpg", u"jpg", u"Pictures", 3, 300);
        AddTracedFile(u"f4.png", u"png", u"Pictures", 4, 400);
        BuildTracedFolderTree(InsertFoundTreeRoot());
        tree.Expand(Item({}), TVE_EXPAND);
        tree.Expand(Item({u"Pictures"}), TVE_EXPAND);
        headless::PumpUntilIdle();
    }
};

TEST_F(TracedTreeTest, GroupsAndExtensionsBrowseAndTick)
{
    EXPECT_NE(Item({u"Pictures", u"jpg"}), nullptr);
    EXPECT_NE(Item({u"Pictures", u"png"}), nullptr);
    EXPECT_EQ(tree.GetNextSiblingItem(tree.GetChildItem(Item({u"Pictures"}))), Item({u"Pictures", u"png"}));

    ClickTree(LabelOf(Item({})));
    EXPECT_EQ(Names(), (std::vector<std::u16string>{u"Pictures", u"Text"}));
    EXPECT_EQ(std::u16string((LPCWSTR)list->GetItemText(0, 2)), u"-");
    ClickTree(LabelOf(Item({u"Pictures", u"jpg"})));
    EXPECT_EQ(Names(), (std::vector<std::u16string>{u"f1.jpg", u"f3.jpg"}));
    EXPECT_EQ(std::u16string((LPCWSTR)list->GetItemText(1, 2)), u"3");

    ClickTree(BoxOf(Item({u"Pictures"})));
    EXPECT_EQ(tree.GetCheck(Item({u"Pictures", u"png"})), 1);
    for (DWORD id : {1u, 3u, 4u})
        EXPECT_TRUE(Has(list->RecoverFileIds, id));
    EXPECT_FALSE(Has(list->RecoverFileIds, 2));
    EXPECT_EQ(list->GetItemCheck(0), 1);
    ClickTree(BoxOf(Item({u"Pictures"})));
    EXPECT_TRUE(list->RecoverFileIds.IsEmpty());
}

} // namespace
