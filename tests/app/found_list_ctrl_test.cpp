// The found-file list: rows by mode, ticks in both directions with the tree, sort with folders
// lifted, opening folders and "Parent...", renaming, properties and the recover command.
#include "results_fixture.h"

#include "controls/paint_probe.h"
#include "engine/found_list_fill.h"

namespace {
using resultstest::ResultsFixture;

std::u16string Decimal(DWORD value)
{
    const std::string text = std::to_string(value);
    return std::u16string(text.begin(), text.end());
}

// Root ─ A(3) ─ A1(5); Root ─ B(4). Files: a.txt, b.txt (deleted, 0 bytes), big.bin in A; a1.txt in A1.
class FoundListTest : public ResultsFixture {
protected:
    void SetUp() override
    {
        ResultsFixture::SetUp();
        PartitionParams.FsType = FS_KIND_FAT16;
        ScanMode = 2;
        AddFatFolderRecord(u"A", 3, 0, 0x3A61, 0x3A61, 0, 0);
        AddFatFolderRecord(u"B", 4, 0, 0, 0, 0, 0);
        AddFatFolderRecord(u"A1", 5, 3, 0, 0, 0, 0);
        FoundFileCount = 0;
        for (auto [name, parent, size, deleted] : std::vector<std::tuple<const char16_t*, DWORD, DWORD, DWORD>>{
                 {u"a.txt", 3, 3000, 0}, {u"b.txt", 3, 0, 1}, {u"big.bin", 3, 9000000, 0}, {u"a1.txt", 5, 10, 0}}) {
            ++FoundFileCount;
            AddFatEntryRecord(name, 20 + FoundFileCount, parent, 0x3A61, 0x3A61, size, deleted);
        }
        TreeItemCount = 0;
        ScanStopFlag = 0;
        BuildFatFolderTree(InsertFoundTreeRoot(), 0);
        tree.Expand(Item({}), TVE_EXPAND);
        ShowFatFolder(3);
        headless::PumpUntilIdle();
    }
    std::u16string Cell(int row, int column) { return (LPCWSTR)list->GetItemText(row, column); }
    // A label edit as the control tells its parent of it.
    void Edit(UINT code, int row, char16_t* text)
    {
        NMLVDISPINFOW info{};
        info.hdr.hwndFrom = list->m_hWnd;
        info.hdr.idFrom = 165;
        info.hdr.code = code;
        info.item.iItem = row;
        info.item.pszText = text;
        page.SendMessage(WM_NOTIFY, 165, (LPARAM)&info);
    }
};

TEST_F(FoundListTest, RowsShowTheFolderAsTheFillerGaveIt)
{
    EXPECT_EQ(Names(), (std::vector<std::u16string>{u"Parent...", u"A1", u"a.txt", u"b.txt", u"big.bin"}));
    EXPECT_EQ(Cell(1, 1), u"Folder");
    EXPECT_EQ(Cell(1, 2), u"0");
    EXPECT_EQ(Cell(1, 5), Decimal(CFoundTreeCtrl::ToHandle(Item({u"A", u"A1"}))));
    EXPECT_EQ(Cell(3, 1).rfind(u"Deleted ", 0), 0u);
    EXPECT_EQ(Cell(2, 2), u"3000");
    EXPECT_EQ(Cell(2, 3), u"01-03-2009 ");
    EXPECT_EQ(Cell(2, 5), Decimal(FileId(u"a.txt")));
    EXPECT_EQ(Cell(0, 1), u"");
    EXPECT_EQ(list->GetItemCheck(0), 2) << "the parent row has no box";
}

// Deleted rows and folders are red (the tree's item too); "Parent..." is red on light orange.
TEST_F(FoundListTest, ColoursOfDeletedItemsAndTheParentRow)
{
    PaintProbe rows(650, 600, RGB(1, 2, 3));
    rows.Print(list->m_hWnd);
    auto label = [&](int row) {
        CRect r;
        list->GetItemRect(row, &r, LVIR_LABEL);
        return r;
    };
    EXPECT_TRUE(rows.Has(label(Row(u"b.txt")), RGB(255, 0, 0)));
    EXPECT_FALSE(rows.Has(label(Row(u"a.txt")), RGB(255, 0, 0)));
    EXPECT_TRUE(rows.Has(label(0), RGB(255, 202, 149)));
    EXPECT_TRUE(rows.Has(label(0), RGB(255, 0, 0)));

    tree.Expand(Item({}), TVE_EXPAND);
    tree.SetItemColor(Item({u"A"}), RGB(0, 0, 255));
    PaintProbe folders(250, 600, RGB(1, 2, 3));
    folders.Print(tree.m_hWnd);
    CRect text;
    tree.GetItemRect(Item({u"A"}), &text, TRUE);
    EXPECT_TRUE(folders.Has(text, RGB(0, 0, 255)));
    tree.GetItemRect(Item({u"B"}), &text, TRUE);
    EXPECT_FALSE(folders.Has(text, RGB(0, 0, 255)));
}

// Ticking a file row puts its id into both file sets and the tree's folder goes partial; unticking
// takes it out; a new fill of the folder shows the tick again.
TEST_F(FoundListTest, FileRowTicksKeepTheSetsAndTheTree)
{
    const DWORD id = FileId(u"a.txt");
    ClickList(RowBox(Row(u"a.txt")));
    EXPECT_EQ(list->GetItemCheck(Row(u"a.txt")), 1);
    EXPECT_TRUE(Has(list->CheckedFileIds, id));
    EXPECT_TRUE(Has(list->RecoverFileIds, id));
    EXPECT_EQ(tree.GetCheck(Item({u"A"})), 2);

    ShowFatFolder(3);
    tree.SyncListChecks(Item({u"A"}));
    EXPECT_EQ(list->GetItemCheck(Row(u"a.txt")), 1);
    EXPECT_EQ(list->GetItemCheck(Row(u"big.bin")), 0);

    ClickList(RowBox(Row(u"a.txt")));
    EXPECT_EQ(list->GetItemCheck(Row(u"a.txt")), 0);
    EXPECT_FALSE(Has(list->CheckedFileIds, id));
    EXPECT_FALSE(Has(list->RecoverFileIds, id));
    EXPECT_EQ(tree.GetCheck(Item({u"A"})), 0);
}

// The size line follows the ticks of files and folders.
TEST_F(FoundListTest, SelectedSizeFollowsTheTicks)
{
    ClickList(RowBox(Row(u"big.bin")));
    EXPECT_EQ(port.sizeText, u"Selected Size : 8 MB");
    ClickList(RowBox(Row(u"big.bin")));
    EXPECT_EQ(port.sizeText, u"Selected Size : 0 MB");
}

TEST_F(FoundListTest, FolderRowTicksItsBranch)
{
    ClickList(RowBox(Row(u"A1")));
    const DWORD a1 = CFoundTreeCtrl::ToHandle(Item({u"A", u"A1"}));
    EXPECT_EQ(tree.GetCheck(Item({u"A", u"A1"})), 1);
    EXPECT_TRUE(Has(list->RecoverFolderItems, a1));
    EXPECT_TRUE(Has(list->CheckedFileIds, FileId(u"a1.txt")));
    EXPECT_EQ(list->GetItemCheck(Row(u"A1")), 1);
    ClickList(RowBox(Row(u"A1")));
    EXPECT_EQ(tree.GetCheck(Item({u"A", u"A1"})), 0);
    EXPECT_FALSE(Has(list->RecoverFolderItems, a1));
    EXPECT_FALSE(Has(list->CheckedFileIds, FileId(u"a1.txt")));
}

// Ticking every row ticks the folder in the tree.
TEST_F(FoundListTest, AllRowsTickedTickTheFolder)
{
    for (const char16_t* name : {u"A1", u"a.txt", u"b.txt", u"big.bin"})
        ClickList(RowBox(Row(name)));
    EXPECT_TRUE(list->AreAllItemsChecked());
    EXPECT_EQ(tree.GetCheck(Item({u"A"})), 1);
}

TEST_F(FoundListTest, SortLiftsFoldersAndKeepsParentFirst)
{
    ShowFatFolder(0);
    AddFatFolderRecord(u"C", 7, 0, 0, 0, 0, 1);
    ShowFatFolder(3); // rows: Parent..., A1, a.txt, b.txt, big.bin
    list->CheckItem(Row(u"big.bin"));
    for (BOOL ascending : {TRUE, FALSE}) {
        SCOPED_TRACE(ascending);
        ASSERT_TRUE(list->SortList(2, ascending));
        const auto names = Names();
        EXPECT_EQ(names[0], u"Parent...");
        EXPECT_EQ(names[1], u"A1");
        EXPECT_EQ(std::vector<std::u16string>(names.begin() + 2, names.end()),
                  ascending ? (std::vector<std::u16string>{u"b.txt", u"a.txt", u"big.bin"})
                            : (std::vector<std::u16string>{u"big.bin", u"a.txt", u"b.txt"}));
        EXPECT_EQ(list->GetItemCheck(Row(u"big.bin")), 1) << "a row keeps its tick";
        EXPECT_EQ(list->GetItemCheck(0), 2);
    }
    // The root holds folders only (and one file): the folders keep their sorted order above it.
    ShowFatFolder(0);
    ASSERT_TRUE(list->SortList(0, FALSE));
    EXPECT_EQ(Names(), (std::vector<std::u16string>{u"C", u"B", u"A"}));
    EXPECT_EQ(Cell(0, 1), u"Deleted Folder");
}

// Rows that compare equal keep the order the last sort left them in, whichever the direction, and the
// selected row stays selected and focused wherever it moves.
TEST_F(FoundListTest, SortKeepsTiesInOrderAndTheSelectionOnItsRow)
{
    ++FoundFileCount;
    AddFatEntryRecord(u"A.TXT", 20 + FoundFileCount, 3, 0x3A61, 0x3A61, 5, 0);
    ShowFatFolder(3); // files in record order: a.txt, b.txt, big.bin, A.TXT
    const int selected = Row(u"a.txt");
    list->SetItemState(selected, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    list->SetSelectionMark(selected);
    const struct {
        int column;
        BOOL ascending;
        std::vector<std::u16string> files;
    } steps[] = {
        {0, TRUE, {u"a.txt", u"A.TXT", u"b.txt", u"big.bin"}},
        {2, TRUE, {u"b.txt", u"A.TXT", u"a.txt", u"big.bin"}},
        {0, FALSE, {u"big.bin", u"b.txt", u"A.TXT", u"a.txt"}},
        {1, FALSE, {u"A.TXT", u"a.txt", u"b.txt", u"big.bin"}}, // the two text files share their type
        {1, TRUE, {u"big.bin", u"b.txt", u"A.TXT", u"a.txt"}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(testing::Message() << "column " << step.column << (step.ascending ? " up" : " down"));
        ASSERT_TRUE(list->SortList(step.column, step.ascending));
        std::vector<std::u16string> expected{u"Parent...", u"A1"};
        expected.insert(expected.end(), step.files.begin(), step.files.end());
        EXPECT_EQ(Names(), expected);
        EXPECT_EQ(list->GetNextItem(-1, LVNI_SELECTED), Row(u"a.txt"));
        EXPECT_EQ(list->GetNextItem(-1, LVNI_FOCUSED), Row(u"a.txt"));
        EXPECT_EQ(list->GetSelectionMark(), Row(u"a.txt"));
    }
}

// Header clicks: the size column twice sorts ascending, then descending, folders above files each time.
TEST_F(FoundListTest, HeaderClicksSortAndFlip)
{
    CHeaderCtrl* header = list->GetHeaderCtrl();
    ASSERT_NE(header, nullptr);
    auto click = [&](int column) {
        NMHEADERW hn{};
        hn.hdr.hwndFrom = header->m_hWnd;
        hn.hdr.idFrom = (UINT_PTR)::GetDlgCtrlID(header->m_hWnd);
        hn.hdr.code = HDN_ITEMCLICKW;
        hn.iItem = column;
        list->SendMessage(WM_NOTIFY, hn.hdr.idFrom, (LPARAM)&hn);
    };
    click(2);
    EXPECT_EQ(Names(), (std::vector<std::u16string>{u"Parent...", u"A1", u"b.txt", u"a.txt", u"big.bin"}));
    click(2);
    EXPECT_EQ(Names(), (std::vector<std::u16string>{u"Parent...", u"A1", u"big.bin", u"a.txt", u"b.txt"}));
    click(0);
    EXPECT_EQ(Names(), (std::vector<std::u16string>{u"Parent...", u"A1", u"a.txt", u"b.txt", u"big.bin"}));
}

TEST_F(FoundListTest, OpeningFoldersAndParent)
{
    list->OpenRow(Row(u"A1"));
    EXPECT_EQ(Names(), (std::vector<std::u16string>{u"Parent...", u"a1.txt"}));
    EXPECT_EQ(tree.GetSelectedItem(), Item({u"A", u"A1"}));
    list->OpenRow(0);
    EXPECT_EQ(Names(), (std::vector<std::u16string>{u"Parent...", u"A1", u"a.txt", u"b.txt", u"big.bin"}));
    list->OpenRow(0);
    EXPECT_EQ(Names(), (std::vector<std::u16string>{u"A", u"B"}));
    EXPECT_EQ(tree.GetSelectedItem(), Item({}));
    // A folder whose only row is "Parent..." goes back to the root.
    ShowFatFolder(4);
    ASSERT_EQ(Names(), (std::vector<std::u16string>{u"Parent..."}));
    list->OpenRow(0);
    EXPECT_EQ(Names(), (std::vector<std::u16string>{u"A", u"B"}));
}

// A ticked folder row opened passes its tick on to the rows it shows.
TEST_F(FoundListTest, OpeningATickedFolderTicksItsRows)
{
    ClickList(RowBox(Row(u"A1")));
    list->OpenRow(Row(u"A1"));
    EXPECT_EQ(list->GetItemCheck(Row(u"a1.txt")), 1);
}

TEST_F(FoundListTest, RenameRefusesNamesThatCannotBeWritten)
{
    struct Case {
        const char16_t* typed;
        const char16_t* shown;
    };
    const Case cases[] = {
        {u"new.txt", u"new.txt"}, {u"", u"new.txt"},         {u"../evil", u"new.txt"},
        {u"a\\b", u"new.txt"},    {u"big.bin", u"new.txt"}, {u"..", u"new.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.typed, c.typed + std::char_traits<char16_t>::length(c.typed)));
        const int row = Row(u"a.txt") >= 0 ? Row(u"a.txt") : Row(u"new.txt");
        list->SetSelectionMark(row);
        Edit(LVN_BEGINLABELEDITW, row, nullptr);
        EXPECT_EQ(RenameActive, 1u);
        std::u16string typed = c.typed;
        Edit(LVN_ENDLABELEDITW, row, typed.data());
        EXPECT_EQ(Cell(row, 0), c.shown);
        EXPECT_EQ(RenameActive, 0u);
        bool found = false;
        for (FatEntryRecord* e = FatFileHead; e; e = e->Next)
            found = found || std::u16string(e->Name) == c.shown;
        EXPECT_TRUE(found) << "the record carries the name shown";
    }
    // A folder row renames its tree item and its record too.
    std::u16string typed = u"Sub";
    Edit(LVN_ENDLABELEDITW, Row(u"A1"), typed.data());
    EXPECT_NE(Item({u"A", u"Sub"}), nullptr);
    EXPECT_EQ(std::u16string(FindFatFolderByCluster(5)->Name), u"Sub");
}

TEST_F(FoundListTest, PropertiesAndTheRecoverCommand)
{
    struct Case {
        const char16_t* name;
        const char16_t* size;
    };
    for (const Case& c : {Case{u"b.txt", u"0 KB"}, Case{u"a.txt", u"3 KB"}, Case{u"a1.txt", u"1 KB"}}) {
        if (std::u16string(c.name) == u"a1.txt")
            list->OpenRow(Row(u"A1"));
        list->SetSelectionMark(Row(c.name));
        list->ShowItemProperties();
        ASSERT_FALSE(host.properties.empty());
        EXPECT_EQ(std::u16string((LPCWSTR)host.properties.back().size), c.size);
        EXPECT_FALSE(host.properties.back().folder);
    }
    list->RunMenuCommand(32777);
    ASSERT_EQ(host.information.size(), 1u);
    EXPECT_EQ(host.information[0], u"请点击复选框勾选要保存的文件和文件夹。\r\n" + std::u16string(46, u' '));
    EXPECT_EQ(host.saves, 0);
    ClickList(RowBox(Row(u"a1.txt")));
    list->RunMenuCommand(32777);
    EXPECT_EQ(host.saves, 1);
    list->RunMenuCommand(59411);
    EXPECT_EQ(list->GetStyle() & LVS_TYPEMASK, (DWORD)LVS_REPORT);
    list->RunMenuCommand(59410);
    EXPECT_EQ(list->GetStyle() & LVS_TYPEMASK, (DWORD)LVS_LIST);
}

// The context menu holds the three views under one sub-menu; after a file tracing it has no find,
// settings or properties.
TEST_F(FoundListTest, ContextMenuGroupsTheViews)
{
    list->SetSelectionMark(Row(u"a.txt"));
    list->ShowContextMenu();
    EXPECT_EQ(host.menu, u"选择恢复(&R)...|-|视图(&V)[图标(&N)|列表(&L)|详细信息(&D)]|-|查找文件(&F)...|重命名(&N)|-|"
                         u"设置(&S)...|属性(&P)...");
    ScanMode = 1;
    list->ShowContextMenu();
    EXPECT_EQ(host.menu, u"选择恢复(&R)...|-|视图(&V)[图标(&N)|列表(&L)|详细信息(&D)]|-|重命名(&N)|-");
}

// File tracing: group rows under "Root", files by group or extension, the filter on file rows only.
TEST_F(ResultsFixture, TracedFolderFill)
{
    ScanMode = 1;
    list->CreateColumns();
    AddTracedFile(u"one.jpg", u"jpg", u" Pictures ", 1, 100);
    AddTracedFile(u"two.txt", u"txt", u"Text", 2, 200);
    AddTracedFile(u"three.JPG", u"JPG", u"Pictures", 3, 300);
    FoundFolderCount = 0;
    FolderBrowseActive = 1;
    struct Case {
        const char16_t* text;
        BOOL group;
        std::vector<std::u16string> rows;
    };
    const Case cases[] = {
        {u"ROOT", FALSE, {u"Pictures", u"Text"}},
        {u"Pictures", TRUE, {u"one.jpg", u"three.JPG"}},
        {u"jpg", FALSE, {u"one.jpg", u"three.JPG"}},
        {u"txt", FALSE, {u"two.txt"}},
        {u"Nothing", TRUE, {}},
    };
    for (const Case& c : cases) {
        ShowTracedFolder(c.text, c.group);
        EXPECT_EQ(Names(), c.rows);
    }
    lstrcpynW(FileTypeFilterTable[0], u"*.TXT", kFilterMaskChars);
    FileTypeFilterCount = 1;
    ShowTracedFolder(u"Root", FALSE);
    EXPECT_EQ(Names(), (std::vector<std::u16string>{u"Pictures", u"Text"})) << "groups are never filtered";
    ShowTracedFolder(u"Pictures", TRUE);
    EXPECT_TRUE(Names().empty());
    FileTypeFilterCount = 0;
    FolderBrowseActive = 0;
}

} // namespace
