// The results' tool dialogs: recovery settings, file filter, drive information, properties and search.
#include "app/drive_info_dlg.h"
#include "app_fixture.h"
#include "app_res.h"
#include "app/engine_ui.h"
#include "app/filter_dlg.h"
#include "app/properties_dlg.h"
#include "app/search_dlg.h"
#include "app/settings_dlg.h"
#include "engine/attached_disk.h"
#include "engine/scan_results.h"
#include "engine/sha256.h"
#include "save_fixture.h"
#include "support/fixture_images.h"
#include "tool_dialogs_res.h"

#include <chrono>
#include <filesystem>
#include <thread>

namespace {
namespace fs = std::filesystem;
using savetest::SaveRun;
using testsupport::FixtureImage;

// Answers the next message box with OK and keeps nothing of it; counts how many came.
void ExpectMessageBox(int* shown)
{
    headless::AnswerNextModal([shown](HWND box) {
        ++*shown;
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
}

class ToolDialogs : public ::testing::Test {
protected:
    void SetUp() override { headless::UseVirtualClock(); }
    void TearDown() override
    {
        headless::ClearModalAnswers();
        ResetRecoverySettings();
        FreeScanResultLists();
        ResetNtfsLists();
        ResetFullScanLists();
        PartitionParams = {};
        ScanMode = 0;
        FoundFileCount = FoundFolderCount = 0;
    }
};

TEST_F(ToolDialogs, SettingsShowTheCurrentValuesAndOkWritesTheChosenOnes)
{
    struct Case {
        DWORD sectors;
        WORD retries, duplicate, deleted;
        int pickSectors, pickRetries, duplicateRadio, deletedRadio;
        bool ok;
        DWORD wantSectors;
        WORD wantRetries, wantDuplicate, wantDeleted;
    } cases[] = {
        // The defaults shown, then "1", "10", overwrite and only-deleted chosen.
        {60, 3, 1, 1, 0, 9, IDC_SET_OVERWRITE, IDC_SET_ONLY_DELETED, true, 1, 10, 2, 2},
        {100, 10, 3, 3, 99, 0, IDC_SET_RENAME, IDC_SET_INCLUDE_DELETED, true, 100, 1, 1, 1},
        // Cancel writes nothing.
        {60, 3, 1, 1, 4, 4, IDC_SET_SKIP, IDC_SET_EXCLUDE_DELETED, false, 60, 3, 1, 1},
        // No radio of a group checked: its mode stays.
        {60, 3, 2, 3, 59, 2, 0, 0, true, 60, 3, 2, 3},
    };
    for (const Case& c : cases) {
        SectorsPerRead = c.sectors;
        RetryCount = c.retries;
        DuplicateFileMode = c.duplicate;
        DeletedFileMode = c.deleted;
        CRecoverySettingsDlg dlg;
        headless::AnswerNextModal([&](HWND) {
            EXPECT_EQ(dlg.m_sectors.GetCount(), 100);
            EXPECT_EQ(dlg.m_retries.GetCount(), 10);
            CString shown;
            dlg.m_sectors.GetLBText(dlg.m_sectors.GetCurSel(), shown);
            const std::string number = std::to_string(c.sectors);
            EXPECT_EQ(std::u16string((LPCWSTR)shown), std::u16string(number.begin(), number.end()));
            EXPECT_EQ(dlg.m_sectors.GetCurSel(), int(c.sectors) - 1);
            EXPECT_EQ(dlg.m_retries.GetCurSel(), int(c.retries) - 1);
            EXPECT_EQ(::SendDlgItemMessageW(dlg.m_hWnd, IDC_SET_RENAME + c.duplicate - 1, BM_GETCHECK, 0, 0), BST_CHECKED);
            EXPECT_EQ(::SendDlgItemMessageW(dlg.m_hWnd, IDC_SET_INCLUDE_DELETED + c.deleted - 1, BM_GETCHECK, 0, 0), BST_CHECKED);
            dlg.m_sectors.SetCurSel(c.pickSectors);
            dlg.m_retries.SetCurSel(c.pickRetries);
            for (int id = IDC_SET_RENAME; id <= IDC_SET_EXCLUDE_DELETED; ++id)
                ::SendDlgItemMessageW(dlg.m_hWnd, id, BM_SETCHECK,
                                      id == c.duplicateRadio || id == c.deletedRadio ? BST_CHECKED : BST_UNCHECKED, 0);
            if (c.ok)
                ::SendMessageW(dlg.m_hWnd, WM_COMMAND, IDOK, 0);
            else
                ::SendMessageW(dlg.m_hWnd, WM_COMMAND, IDCANCEL, 0);
        });
        dlg.DoModal();
        EXPECT_EQ(SectorsPerRead, c.wantSectors);
        EXPECT_EQ(RetryCount, c.wantRetries);
        EXPECT_EQ(DuplicateFileMode, c.wantDuplicate);
        EXPECT_EQ(DeletedFileMode, c.wantDeleted);
    }
}

// The three buttons of each setting are one group: the one the user clicks is the only one checked, and OK
// writes its mode whichever button the dialog checked first.
TEST_F(ToolDialogs, SettingsTakeTheClickedButtonOfEachRow)
{
    const struct {
        int duplicateRadio, deletedRadio;
        WORD wantDuplicate, wantDeleted;
    } cases[] = {
        {IDC_SET_SKIP, IDC_SET_ONLY_DELETED, 3, 2},
        {IDC_SET_OVERWRITE, IDC_SET_EXCLUDE_DELETED, 2, 3},
    };
    for (const auto& c : cases) {
        DuplicateFileMode = 1;
        DeletedFileMode = 1;
        CRecoverySettingsDlg dlg;
        headless::AnswerNextModal([&](HWND box) {
            for (int id : {c.duplicateRadio, c.deletedRadio, int(IDOK)})
                headless::Click(::GetDlgItem(box, id), {3, 3});
        });
        dlg.DoModal();
        EXPECT_EQ(DuplicateFileMode, c.wantDuplicate);
        EXPECT_EQ(DeletedFileMode, c.wantDeleted);
    }
}

TEST_F(ToolDialogs, FilterRefusesBadMasksAndClosingWritesTheTable)
{
    FileTypeFilterCount = 1;
    lstrcpynW(FileTypeFilterTable[0], u"*.DOC", kFilterMaskChars);
    CFilterDlg dlg(nullptr);
    int messages = 0;
    headless::AnswerNextModal([&](HWND) {
        EXPECT_EQ(dlg.m_list.GetCount(), 1);
        struct Add {
            const char16_t* text;
            bool refused;
            int selStart, selEnd; // the edit's selection after a refusal, -1 when not checked
        } adds[] = {
            {u"ABCDEFGHIJKLMNOPQRS", false, -1, -1}, // 19 characters
            {u"ABCDEFGHIJKLMNOPQRST", true, 0, 19},  // 20: the first 19 selected
            {u"", true, -1, -1},
            {u"*.DOC", true, 0, 5},
            {u"*.doc", false, -1, -1}, // the duplicate test is case-sensitive
        };
        for (const Add& a : adds) {
            const int before = messages;
            if (a.refused)
                ExpectMessageBox(&messages);
            dlg.m_edit.SetWindowText(a.text);
            dlg.OnOK();
            EXPECT_EQ(messages, before + (a.refused ? 1 : 0));
            if (a.selStart >= 0) {
                int start = -1, end = -1;
                dlg.m_edit.GetSel(start, end);
                EXPECT_EQ(start, a.selStart);
                EXPECT_EQ(end, a.selEnd);
            }
        }
        EXPECT_EQ(dlg.m_list.GetCount(), 3);
        EXPECT_EQ(FileTypeFilterCount, 3u);
        // Remove with no selection changes nothing; with one it takes that mask away.
        dlg.m_list.SetCurSel(-1);
        dlg.OnRemove();
        EXPECT_EQ(dlg.m_list.GetCount(), 3);
        dlg.m_list.SetCurSel(0);
        dlg.OnRemove();
        EXPECT_EQ(dlg.m_list.GetCount(), 2);
        // The hundredth mask is refused.
        for (int i = dlg.m_list.GetCount(); i < 99; ++i)
            dlg.m_list.AddString(CString(u"M") + CString(std::u16string(1, char16_t(u'0' + i % 10)).c_str()) +
                                 CString(std::u16string(1, char16_t(u'A' + i / 10)).c_str()));
        ExpectMessageBox(&messages);
        dlg.m_edit.SetWindowText(u"*.NEW");
        dlg.OnOK();
        EXPECT_EQ(dlg.m_list.GetCount(), 99);
        ::SendMessageW(dlg.m_hWnd, WM_COMMAND, IDCANCEL, 0);
    });
    dlg.DoModal();
    EXPECT_EQ(FileTypeFilterCount, 99u);
    EXPECT_EQ(std::u16string(FileTypeFilterTable[0]), u"ABCDEFGHIJKLMNOPQRS");
    EXPECT_EQ(std::u16string(FileTypeFilterTable[1]), u"*.doc");
    FileTypeFilterCount = 0;
}

TEST_F(ToolDialogs, DriveInformationTellsTheVolumeWithoutChangingTheEngine)
{
    struct Case {
        const char* name;
        DWORD mode;
        WORD fs;
        int fullScanFiles;
        std::array<const char16_t*, 8> want;
    } cases[] = {
        {"FAT quick", 2, FS_KIND_FAT32, 0, {u"FAT32", u"8000", u"7", u"40", u"8", u"100", u"2100", u" "}},
        {"FAT16 full", 0, FS_KIND_FAT16, 0, {u"FAT16", u"8000", u"7", u"40", u"8", u"100", u"2100", u" "}},
        {"NTFS quick", 2, FS_KIND_NTFS, 0, {u"NTFS", u"8000", u"7", u"40", u"8", u" ", u" ", u"6000"}},
        {"NTFS full", 0, FS_KIND_NTFS, 3, {u"NTFS", u"8000", u"7", u"3", u"8", u" ", u" ", u"6000"}},
        {"tracing", 1, 0, 0, {u"", u"8000", u"0", u"7", u"8", u"100", u"2100", u" "}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetFullScanLists();
        PartitionParams = {};
        PartitionParams.FsType = c.fs;
        PartitionParams.DataOrigin = 8000;
        PartitionParams.SectorsPerCluster = 8;
        PartitionParams.Fat1Start = 100;
        PartitionParams.Fat2Start = 2100;
        PartitionParams.MftSector = 6000;
        ScanMode = c.mode;
        FoundFolderCount = 7;
        FoundFileCount = 40;
        for (int i = 0; i < c.fullScanFiles; ++i)
            AddFoundFile(u"f", DWORD(9000 + i), 5, 0, 0, 0, 0, 0, 1, 0, 0, 0);
        CFileSystemInfoDlg dlg;
        std::array<std::u16string, 8> shown;
        headless::AnswerNextModal([&](HWND box) {
            const int ids[8] = {IDC_INFO_FS,      IDC_INFO_ORIGIN, IDC_INFO_FOLDERS, IDC_INFO_FILES,
                                IDC_INFO_CLUSTER, IDC_INFO_FAT1,   IDC_INFO_FAT2,    IDC_INFO_MFT};
            for (int i = 0; i < 8; ++i)
                shown[i] = headless::Text(::GetDlgItem(box, ids[i]));
            ::SendMessageW(box, WM_COMMAND, IDOK, 0);
        });
        EXPECT_EQ(dlg.DoModal(), IDOK);
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(shown[i], c.want[i]) << i;
        EXPECT_EQ(FoundFileCount, 40u);
        EXPECT_EQ(FoundFolderCount, 7u);
    }
}

TEST_F(ToolDialogs, PropertiesCountAFoldersBranchAtEveryDepth)
{
    PartitionParams.FsType = FS_KIND_FAT32;
    ScanMode = 2;
    // Root 0 holds A (cluster 10, item 0x80000001) and Empty (cluster 20, item 0x80000003); A holds B (cluster 11).
    AddFatFolderRecord(u"A", 10, 0, 0, 0, 0x80000001, 0);
    AddFatFolderRecord(u"B", 11, 10, 0, 0, 0x80000002, 0);
    AddFatFolderRecord(u"Empty", 20, 0, 0, 0, 0x80000003, 0);
    AddFatFolderRecord(u"C", 12, 11, 0, 0, 0x80000004, 0);
    AddFatEntryRecord(u"a.bin", 30, 10, 0, 0, 1048575, 0);
    AddFatEntryRecord(u"b.bin", 40, 11, 0, 0, 1, 0);
    AddFatEntryRecord(u"c.bin", 50, 12, 0, 0, 1048576, 0);
    AddFatEntryRecord(u"d.bin", 60, 12, 0, 0, 3, 0);
    struct Case {
        DWORD item;
        const char16_t* contents;
        const char16_t* size;
    } cases[] = {
        {0x80000003, u"0 File(s) and 0 Folder(s)", u"Less than 1 MB"},
        {0x80000004, u"2 File(s) and 0 Folder(s)", u"1 MB"},
        {0x80000002, u"3 File(s) and 1 Folder(s)", u"1 MB"},
        {0x80000001, u"4 File(s) and 2 Folder(s)", u"2 MB"},
    };
    SelectionTotals[3] = 77;
    for (const Case& c : cases) {
        const FolderTotalsText t = CountFolderTotals(c.item);
        EXPECT_EQ(std::u16string((LPCWSTR)t.contents), c.contents);
        EXPECT_EQ(std::u16string((LPCWSTR)t.size), c.size);
    }
    // The selection's counters are the list's; the dialog leaves them as they were.
    EXPECT_EQ(SelectionTotals[3], 77u);
    SelectionTotals[3] = 0;

    // A file row shows the list's texts unchanged; a folder row its branch.
    for (bool folder : {false, true}) {
        ItemProperties p;
        p.folder = folder;
        p.id = 0x80000004;
        p.name = u"C";
        p.size = u"12 KB";
        p.created = u"1-2-2009";
        p.modified = u"3-4-2010";
        CPropertiesDlg dlg(p);
        std::u16string size, contents, name;
        headless::AnswerNextModal([&](HWND box) {
            size = headless::Text(::GetDlgItem(box, IDC_PROP_SIZE));
            contents = headless::Text(::GetDlgItem(box, IDC_PROP_CONTENTS));
            name = headless::Text(::GetDlgItem(box, IDC_PROP_NAME));
            ::SendMessageW(box, WM_COMMAND, IDOK, 0);
        });
        dlg.DoModal();
        EXPECT_EQ(name, u"C");
        EXPECT_EQ(size, folder ? u"1 MB" : u"12 KB");
        EXPECT_EQ(contents, folder ? u"2 File(s) and 0 Folder(s)" : u"");
    }
}

class SearchDialog : public SaveRun {
protected:
    std::vector<std::u16string> Column(CSearchDlg& dlg, int column)
    {
        std::vector<std::u16string> out;
        for (int row = 0; row < dlg.m_list.GetItemCount(); ++row)
            out.emplace_back((LPCWSTR)dlg.m_list.GetItemText(row, column));
        return out;
    }
    // The fat32 image quick-scanned onto the tree and the list; the number of its files.
    int ScanFixture(const FixtureImage& img)
    {
        EXPECT_TRUE(scanresults::QuickScan(img.volumes.at(0)));
        headless::PumpUntilIdle();
        int files = 0;
        for (FatEntryRecord* e = FatFileHead; e; e = e->Next)
            ++files;
        return files;
    }
    // Starts the search and serves the dialog until the worker has ended.
    void Search(CSearchDlg& dlg, const char16_t* mask)
    {
        dlg.m_mask.SetWindowText(mask);
        dlg.OnOK();
        PumpUntil([&] { return !dlg.IsSearching(); }, 20000);
    }
};

// "*.*" lists every file in upper case with its folder's path; a mask without matches says so; the
// ticked rows are saved with the records' own names.
TEST_F(SearchDialog, ListsMatchesAndSavesTheTickedRows)
{
    DOVEMARK_REQUIRE_FIXTURE(img, "fat32");
    AttachedDisks disks({img.path});
    const size_t files = size_t(ScanFixture(img));
    const std::string dest = Fresh("search_dest");
    CSearchDlg dlg(&tree);
    headless::AnswerNextModal([&](HWND) {
        EXPECT_FALSE(dlg.m_stop.IsWindowEnabled());
        Search(dlg, u"*.*");
        ASSERT_EQ(size_t(dlg.m_list.GetItemCount()), files);
        EXPECT_EQ(headless::Text(dlg.m_status.m_hWnd), u"There were " + [&] {
            const std::string n = std::to_string(files);
            return std::u16string(n.begin(), n.end());
        }() + u" files found.");
        EXPECT_TRUE(dlg.m_start.IsWindowEnabled());
        EXPECT_FALSE(dlg.m_stop.IsWindowEnabled());
        // Names upper-cased; a file of a sub-folder shows that folder's path, a root file "\".
        int nested = 0;
        for (int row = 0; row < dlg.m_list.GetItemCount(); ++row) {
            CString name = dlg.m_list.GetItemText(row, 0), upper = name;
            upper.MakeUpper();
            EXPECT_EQ(name, upper);
            const DWORD id = DWORD(dlg.m_list.GetItemData(row));
            for (FatEntryRecord* e = FatFileHead; e; e = e->Next) {
                if (e->FileId != id)
                    continue;
                FatFolderRecord* parent = FindFatFolderByCluster(e->ParentId);
                const std::u16string path = (LPCWSTR)dlg.m_list.GetItemText(row, 1);
                if (!parent) {
                    EXPECT_EQ(path, u"\\");
                } else {
                    EXPECT_EQ(path, u"\\" + std::u16string((LPCWSTR)tree.GetItemPath(CFoundTreeCtrl::ToItem(parent->TreeItem))));
                    ++nested;
                }
            }
        }
        EXPECT_GT(nested, 0);

        Search(dlg, u"*.NO_SUCH_THING");
        EXPECT_EQ(dlg.m_list.GetItemCount(), 0);
        EXPECT_EQ(headless::Text(dlg.m_count.m_hWnd), u"0");
        EXPECT_EQ(headless::Text(dlg.m_status.m_hWnd), u"搜索完成。有没有结果可显示。        ");

        // Tick the live root files among the matches and save them.
        Search(dlg, u"*.*");
        std::vector<FatEntryRecord*> ticked;
        for (int row = 0; row < dlg.m_list.GetItemCount() && ticked.size() < 2; ++row)
            for (FatEntryRecord* e = FatFileHead; e; e = e->Next)
                if (e->FileId == DWORD(dlg.m_list.GetItemData(row)) && e->ParentId == 0 && !e->Deleted &&
                    e->Size > 0) {
                    dlg.m_list.CheckItem(row);
                    ticked.push_back(e);
                }
        ASSERT_EQ(ticked.size(), 2u);
        headless::AnswerNextModal([&](HWND browser) {
            ::SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, (LPARAM)fs::path(dest).u16string().c_str());
            ::SendMessageW(browser, WM_COMMAND, IDOK, 0);
        });
        headless::AnswerNextModal([](HWND) {});
        headless::AnswerNextModal([](HWND box) { ::PostMessageW(box, WM_COMMAND, IDOK, 0); });
        dlg.OnSave();
        for (FatEntryRecord* e : ticked)
            EXPECT_TRUE(fs::exists(fs::path(dest) / fs::path(std::u16string(e->Name)))) << fs::path(std::u16string(e->Name));
        EXPECT_EQ(dlg.TickedIds().size(), 0u);
        EXPECT_EQ(SearchListActive, 0u);
        ::SendMessageW(dlg.m_hWnd, WM_COMMAND, IDCANCEL, 0);
    });
    dlg.DoModal();
    EXPECT_EQ(SearchDlgOpen, 0u);
}

// The stop question holds the worker at its next record; "no" lets it go on, "yes" ends it with the rows
// found so far and the status text as it was. Escape cannot close the dialog meanwhile.
TEST_F(SearchDialog, StopQuestionPausesAndAConfirmedStopKeepsTheRows)
{
    DOVEMARK_REQUIRE_FIXTURE(img, "fat32");
    AttachedDisks disks({img.path});
    const int files = ScanFixture(img);
    ASSERT_GT(files, 4);
    CSearchDlg dlg(&tree);
    headless::AnswerNextModal([&](HWND) {
        dlg.m_mask.SetWindowText(u"*.*");
        dlg.OnOK();
        EXPECT_TRUE(dlg.IsSearching());
        ::SendMessageW(dlg.m_hWnd, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(::IsWindow(dlg.m_hWnd));
        int paused = -1;
        headless::AnswerNextModal([&](HWND box) {
            headless::PumpUntilIdle();
            paused = dlg.m_list.GetItemCount();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            headless::PumpUntilIdle();
            EXPECT_EQ(dlg.m_list.GetItemCount(), paused);
            EXPECT_TRUE(dlg.m_save.IsWindowEnabled());
            ::PostMessageW(box, WM_COMMAND, IDNO, 0);
        });
        dlg.OnStop();
        EXPECT_TRUE(dlg.m_stop.IsWindowEnabled());
        EXPECT_FALSE(dlg.m_save.IsWindowEnabled());
        headless::AnswerNextModal([](HWND box) { ::PostMessageW(box, WM_COMMAND, IDYES, 0); });
        dlg.OnStop();
        PumpUntil([&] { return !dlg.IsSearching(); }, 20000);
        EXPECT_EQ(SearchStopFlag, 1u);
        EXPECT_GE(dlg.m_list.GetItemCount(), paused);
        EXPECT_LT(dlg.m_list.GetItemCount(), files);
        EXPECT_EQ(headless::Text(dlg.m_status.m_hWnd), u"");
        EXPECT_TRUE(dlg.m_start.IsWindowEnabled());
        EXPECT_FALSE(dlg.m_stop.IsWindowEnabled());
        ::SendMessageW(dlg.m_hWnd, WM_COMMAND, IDCANCEL, 0);
    });
    dlg.DoModal();
}

// The filter's Close refills the folder selected in the tree, not the root, with the masks now in force.
TEST_F(SaveRun, FilterCloseRefillsTheSelectedFolder)
{
    for (const char* kind : {"fat32", "ntfs"}) {
        SCOPED_TRACE(kind);
        DOVEMARK_REQUIRE_FIXTURE(img, kind);
        AttachedDisks disks({img.path});
        ASSERT_TRUE(scanresults::QuickScan(img.volumes.at(0)));
        headless::PumpUntilIdle();
        // A sub-folder of the top with files in it, selected as the user would.
        HTREEITEM folder = nullptr;
        for (HTREEITEM c = tree.GetChildItem(tree.GetRootItem()); c && !folder; c = tree.GetNextSiblingItem(c)) {
            ClickTree(LabelOf(c));
            for (int row = 0; row < list->GetItemCount(); ++row)
                if (!list->IsFolderRow(row) && !list->IsParentRow(row))
                    folder = c;
        }
        ASSERT_NE(folder, nullptr);
        ClickTree(LabelOf(folder));
        const std::u16string first = Names().back();
        CFilterDlg dlg(&tree);
        headless::AnswerNextModal([&](HWND) {
            dlg.m_edit.SetWindowText(fs::path(first).u16string().c_str());
            dlg.OnOK();
            ::SendMessageW(dlg.m_hWnd, WM_COMMAND, IDCANCEL, 0);
        });
        const int fillsBefore = save.fills;
        dlg.DoModal();
        headless::PumpUntilIdle();
        EXPECT_EQ(save.fills, fillsBefore + 1);
        EXPECT_EQ(tree.GetSelectedItem(), folder);
        // The folder's sub-folders stay; of its files only the one whose name is the mask.
        std::vector<std::u16string> shownFiles;
        for (int row = 0; row < list->GetItemCount(); ++row)
            if (!list->IsFolderRow(row) && !list->IsParentRow(row))
                shownFiles.emplace_back((LPCWSTR)list->GetItemText(row, 0));
        EXPECT_EQ(shownFiles, std::vector<std::u16string>{first});
        EXPECT_EQ(Names().front(), u"Parent...");
        FileTypeFilterCount = 0;
        FreeScanResultLists();
        ResetNtfsLists();
        tree.DeleteAllItems();
    }
}

} // namespace

namespace {

class ToolCommands : public AppFixture {
protected:
    void TearDown() override
    {
        ResetRecoverySettings();
        PartitionParams = {};
        AppFixture::TearDown();
    }
};

// The frame's Tools commands open their dialogs; what the settings dialog takes reaches the engine.
TEST_F(ToolCommands, TheFramesCommandsOpenTheDialogs)
{
    ASSERT_TRUE(StartApp());
    ResetRecoverySettings();
    // A full scan: the settings are offered (file tracing has none).
    ScanMode = 0;
    headless::AnswerNextModal([](HWND dlg) {
        ::SendDlgItemMessageW(dlg, IDC_SET_SECTORS, CB_SETCURSEL, 0, 0);
        ::SendDlgItemMessageW(dlg, IDC_SET_RETRIES, CB_SETCURSEL, 9, 0);
        ::SendMessageW(dlg, WM_COMMAND, IDOK, 0);
    });
    m_frame->SendMessage(WM_COMMAND, ID_RECOVERY_SETTINGS, 0);
    EXPECT_EQ(SectorsPerRead, 1u);
    EXPECT_EQ(RetryCount, 10u);

    // The drive information and the filter are offered once a scan has results; the frame refuses them before.
    m_frame->m_bFullResultsReady = 1;
    PartitionParams.FsType = FS_KIND_NTFS;
    std::u16string fs;
    headless::AnswerNextModal([&](HWND dlg) {
        fs = headless::Text(::GetDlgItem(dlg, IDC_INFO_FS));
        ::SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    });
    m_frame->SendMessage(WM_COMMAND, ID_DRIVE_INFO, 0);
    EXPECT_EQ(fs, u"NTFS");

    std::u16string caption;
    headless::AnswerNextModal([&](HWND dlg) {
        caption = headless::Text(dlg);
        ::SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    });
    m_frame->SendMessage(WM_COMMAND, ID_FILE_FILTER, 0);
    EXPECT_EQ(caption, u"文件过滤器");
}

} // namespace
