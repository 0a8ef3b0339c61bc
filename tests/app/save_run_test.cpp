// The recovery road on a scanned fixture image: ticks in the tree and the list, the destination from the
// folder browser, the save dialog's run with stop and skip, and its honest result; the search dialog's
// walk with pause and stop, and the saving of its ticked rows.
#include "app/save_progress_dlg.h"
#include "app/search_dlg.h"
#include "engine/attached_disk.h"
#include "engine/recovery_writer.h"
#include "engine/scan_results.h"
#include "engine/sha256.h"
#include "save_fixture.h"
#include "support/fixture_images.h"
#include "tool_dialogs_res.h"

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace {
namespace fs = std::filesystem;
using savetest::SaveRun;
using testsupport::FixtureEntry;
using testsupport::FixtureImage;

// A top folder of the volume that is not deleted and holds intact files; null when there is none.
const FixtureEntry* FolderToTick(const FixtureImage& img)
{
    for (const FixtureEntry* e : img.EntriesOf(0)) {
        if (!e->is_dir || e->deleted || !e->Parent().empty() || e->Has("badname"))
            continue;
        for (const FixtureEntry* c : img.Children(0, e->path))
            if (!c->is_dir && c->intact && !c->deleted && c->size > 0)
                return e;
    }
    return nullptr;
}

// Intact, live files that the run must have written byte-exact, with their times.
void ExpectWritten(const FixtureImage& img, const FixtureEntry& e, const std::string& path, bool ntfs)
{
    ASSERT_TRUE(fs::exists(path)) << e.path;
    EXPECT_EQ(fs::file_size(path), e.size) << e.path;
    EXPECT_EQ(testsha::FileSha256(path), e.sha256) << e.path;
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    const ULONGLONG mtime = ULONGLONG(st.st_mtime) * 10000000ULL + 116444736000000000ULL;
    if (ntfs) {
        EXPECT_EQ(mtime / 10000000, testsupport::FixtureTimeToFileTime(e.modified) / 10000000) << e.path;
    } else if (!e.modified.empty()) {
        const ULONGLONG day = testsupport::FixtureTimeToFileTime(e.modified.substr(0, 10) + "T00:00:00");
        EXPECT_EQ(mtime / 864000000000ULL, day / 864000000000ULL) << e.path;
    }
    (void)img;
}

bool Plain(const FixtureEntry& e)
{
    return !e.is_dir && e.intact && !e.deleted && !e.Has("badname") && !e.Has("cyclic") && !e.Has("formatted");
}

class EndToEnd : public SaveRun, public ::testing::WithParamInterface<const char*> {};

// Quick scan, a folder ticked in the tree and files ticked in the list, the folder browser, the save
// dialog: every intact file comes out byte-exact with its name and time, and the ticks are used up.
TEST_P(EndToEnd, TickedFoldersAndFilesComeOutByteExact)
{
    DOVEMARK_REQUIRE_FIXTURE(img, GetParam());
    AttachedDisks disks({img.path});
    ASSERT_TRUE(scanresults::QuickScan(img.volumes.at(0)));
    headless::PumpUntilIdle();
    const bool ntfs = img.volumes[0].fs == "NTFS";
    const FixtureEntry* folder = FolderToTick(img);
    ASSERT_NE(folder, nullptr);
    HTREEITEM item = Item({folder->Name16()});
    ASSERT_NE(item, nullptr);
    ClickTree(BoxOf(item));
    ClickTree(LabelOf(tree.GetRootItem()));
    const std::vector<std::u16string> files = TickRootFiles(2);
    ASSERT_FALSE(files.empty());
    ASSERT_FALSE(list->RecoverFolderItems.IsEmpty());

    const std::string dest = Fresh("dest");
    headless::AnswerNextModal([&](HWND browser) {
        ::SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, (LPARAM)fs::path(dest).u16string().c_str());
        ::SendMessageW(browser, WM_COMMAND, IDOK, 0);
    });
    headless::AnswerNextModal([](HWND) {});
    headless::AnswerNextModal([](HWND box) { ::PostMessageW(box, WM_COMMAND, IDOK, 0); });
    RunRecoverCommand(list, TRUE);
    EXPECT_EQ(fs::path(DestinationFolder).string(), dest);

    int checked = 0;
    for (const FixtureEntry* e : img.EntriesOf(0)) {
        if (!Plain(*e))
            continue;
        const bool inFolder = e->path.rfind(folder->path + "/", 0) == 0;
        const bool ticked = e->Parent().empty() &&
                            std::find(files.begin(), files.end(), scanresults::EngineName(*e, ntfs)) != files.end();
        if (!inFolder && !ticked)
            continue;
        const fs::path relative = inFolder ? fs::path(scanresults::ExpectedPath(img, *e, ntfs))
                                           : fs::path(scanresults::EngineName(*e, ntfs));
        ExpectWritten(img, *e, (fs::path(dest) / relative).string(), ntfs);
        ++checked;
    }
    EXPECT_GE(checked, 2);
    // The run used the ticks up.
    EXPECT_TRUE(list->RecoverFolderItems.IsEmpty());
    EXPECT_TRUE(list->RecoverFileIds.IsEmpty());
    EXPECT_EQ(tree.GetCheck(item), 0);
    EXPECT_EQ(save.sizeText, u"Selected Size : 0 MB");
    EXPECT_EQ(SaveDialog, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Volumes, EndToEnd, ::testing::Values("fat32", "ntfs"));

// A folder ticked whole, then one of its files (and one of its sub-folders, when it has two) unticked:
// the run writes the rest of the folder in place and leaves out exactly what was unticked.
TEST_P(EndToEnd, UntickedPartsOfATickedFolderStayOut)
{
    DOVEMARK_REQUIRE_FIXTURE(img, GetParam());
    AttachedDisks disks({img.path});
    ASSERT_TRUE(scanresults::QuickScan(img.volumes.at(0)));
    headless::PumpUntilIdle();
    const bool ntfs = img.volumes[0].fs == "NTFS";
    // A live top folder with two plain files of its own; a sub-folder to leave out when it has two.
    const FixtureEntry *folder = nullptr, *sub = nullptr, *file = nullptr;
    for (const FixtureEntry* e : img.EntriesOf(0)) {
        if (!e->is_dir || e->deleted || !e->Parent().empty() || e->Has("badname") || folder)
            continue;
        std::vector<const FixtureEntry*> subs, plain;
        for (const FixtureEntry* c : img.Children(0, e->path)) {
            if (c->is_dir && !c->deleted && !c->Has("badname") && !c->Has("cyclic"))
                subs.push_back(c);
            else if (Plain(*c))
                plain.push_back(c);
        }
        if (plain.size() >= 2)
            folder = e, file = plain[0], sub = subs.size() >= 2 ? subs[0] : nullptr;
    }
    if (!folder)
        GTEST_SKIP() << "no folder with two files in this image";
    HTREEITEM item = Item({folder->Name16()});
    ASSERT_NE(item, nullptr);
    ClickTree(BoxOf(item));
    if (sub) {
        tree.Expand(item, TVE_EXPAND);
        headless::PumpUntilIdle();
        HTREEITEM subItem = Item({folder->Name16(), scanresults::EngineName(*sub, ntfs)});
        ASSERT_NE(subItem, nullptr);
        ClickTree(BoxOf(subItem));
        ASSERT_EQ(tree.GetCheck(subItem), 0);
    }
    ClickTree(LabelOf(item));
    const int row = Row(scanresults::EngineName(*file, ntfs));
    ASSERT_GE(row, 0);
    ASSERT_EQ(list->GetItemCheck(row), 1);
    ClickList(RowBox(row));
    ASSERT_EQ(list->GetItemCheck(row), 0);
    ASSERT_EQ(tree.GetCheck(item), 2);

    const std::string dest = Fresh("dest-partial");
    headless::AnswerNextModal([&](HWND browser) {
        ::SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, (LPARAM)fs::path(dest).u16string().c_str());
        ::SendMessageW(browser, WM_COMMAND, IDOK, 0);
    });
    headless::AnswerNextModal([](HWND) {});
    headless::AnswerNextModal([](HWND box) { ::PostMessageW(box, WM_COMMAND, IDOK, 0); });
    RunRecoverCommand(list, TRUE);

    int written = 0;
    for (const FixtureEntry* e : img.EntriesOf(0)) {
        if (!Plain(*e) || e->path.rfind(folder->path + "/", 0) != 0)
            continue;
        const fs::path at = fs::path(dest) / fs::path(scanresults::ExpectedPath(img, *e, ntfs));
        if (e == file || (sub && e->path.rfind(sub->path + "/", 0) == 0)) {
            EXPECT_FALSE(fs::exists(at)) << e->path;
            continue;
        }
        ExpectWritten(img, *e, at.string(), ntfs);
        ++written;
    }
    EXPECT_GE(written, 1);
    EXPECT_FALSE(fs::exists(fs::path(dest) / fs::path(scanresults::EngineName(*file, ntfs))));
    if (sub) {
        EXPECT_FALSE(fs::exists(fs::path(dest) / fs::path(scanresults::ExpectedPath(img, *sub, ntfs))));
    }
}

// Recovering everything needs no ticks: with nothing ticked, every intact file of the volume comes out.
TEST_P(EndToEnd, RecoverAllWritesTheWholeVolumeWithoutTicks)
{
    DOVEMARK_REQUIRE_FIXTURE(img, GetParam());
    AttachedDisks disks({img.path});
    ASSERT_TRUE(scanresults::QuickScan(img.volumes.at(0)));
    headless::PumpUntilIdle();
    const bool ntfs = img.volumes[0].fs == "NTFS";
    ASSERT_TRUE(list->RecoverFolderItems.IsEmpty());
    ASSERT_TRUE(list->RecoverFileIds.IsEmpty());
    // A deleted folder is drawn in its colour before the run and after it.
    HTREEITEM deletedItem = nullptr;
    for (const FixtureEntry* e : img.EntriesOf(0))
        if (e->is_dir && e->deleted && e->Parent().empty() && !deletedItem)
            deletedItem = Item({scanresults::EngineName(*e, ntfs)});
    COLORREF before = 0;
    ASSERT_NE(deletedItem, nullptr);
    ASSERT_TRUE(tree.GetItemColor(deletedItem, &before));

    const std::string dest = Fresh("dest-all");
    headless::AnswerNextModal([&](HWND browser) {
        ::SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, (LPARAM)fs::path(dest).u16string().c_str());
        ::SendMessageW(browser, WM_COMMAND, IDOK, 0);
    });
    headless::AnswerNextModal([](HWND) {});
    headless::AnswerNextModal([](HWND box) { ::PostMessageW(box, WM_COMMAND, IDOK, 0); });
    RunRecoverCommand(list, FALSE);

    int written = 0;
    for (const FixtureEntry* e : img.EntriesOf(0)) {
        if (!Plain(*e))
            continue;
        ExpectWritten(img, *e, (fs::path(dest) / fs::path(scanresults::ExpectedPath(img, *e, ntfs))).string(), ntfs);
        ++written;
    }
    EXPECT_GE(written, 4);
    EXPECT_TRUE(list->RecoverFolderItems.IsEmpty()) << "the run used the ticks up";
    EXPECT_EQ(tree.GetCheck(tree.GetRootItem()), 0);
    COLORREF after = 0;
    EXPECT_TRUE(tree.GetItemColor(deletedItem, &after));
    EXPECT_EQ(after, before);
}

TEST_F(SaveRun, NothingTickedGivesTheHintAndCancellingTheBrowserSavesNothing)
{
    headless::AnswerNextModal([](HWND box) { ::PostMessageW(box, WM_COMMAND, IDOK, 0); });
    RunRecoverCommand(list, TRUE);
    // Without the tick test the browser comes at once; cancelling it leaves no destination and no run.
    bool browsed = false;
    headless::AnswerNextModal([&](HWND browser) {
        browsed = true;
        ::SendMessageW(browser, WM_COMMAND, IDCANCEL, 0);
    });
    RunRecoverCommand(list, FALSE);
    EXPECT_TRUE(browsed);
    EXPECT_EQ(DestinationFolder[0], 0);
    EXPECT_EQ(SaveDialog, nullptr);
}

// Stop and skip from the dialog's buttons while the first file is written; a destination on the source
// disk, one that cannot be written and unreadable sectors: each run tells what it did.
TEST_F(SaveRun, StopSkipAndFailuresAreCountedAndReported)
{
    DOVEMARK_REQUIRE_FIXTURE(img, "fat32");
    AttachedDisks disks({img.path});
    ASSERT_TRUE(scanresults::QuickScan(img.volumes.at(0)));
    headless::PumpUntilIdle();
    std::vector<DWORD> ids;
    std::vector<const FatEntryRecord*> records;
    for (FatEntryRecord* e = FatFileHead; e && ids.size() < 3; e = e->Next)
        if (!e->Deleted && e->ParentId == 0 && e->Size > 0) {
            ids.push_back(e->FileId);
            records.push_back(e);
        }
    ASSERT_EQ(ids.size(), 3u);
    SaveJob job;
    job.fileIds = ids;
    auto count = [](const std::string& dir) {
        return std::distance(fs::directory_iterator(dir), fs::directory_iterator{});
    };

    struct Case {
        const char* name;
        UINT button;     // pressed while the first file is written, 0 for none
        bool stopped;
        DWORD written, failed;
    } cases[] = {
        {"stop", IDOK, true, 0, 1},
        {"skip", IDC_SAVE_SKIP, false, 2, 1},
        {"no button", 0, false, 3, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string dest = Fresh(std::string("run_") + c.name);
        SetDestination(dest);
        // The dialog is known before its worker starts, so the press lands while the first file is written.
        save.onFile = [&](DWORD n) {
            const HWND dialog = SaveDialog ? SaveDialog->GetSafeHwnd() : nullptr;
            if (n == 1 && c.button && dialog)
                ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(c.button, BN_CLICKED),
                               (LPARAM)::GetDlgItem(dialog, c.button));
        };
        SaveRunTally tally;
        bool stopped = false;
        RunSave(job, nullptr, &tally, &stopped);
        EXPECT_EQ(stopped, c.stopped);
        EXPECT_EQ(tally.Written, c.written);
        EXPECT_EQ(tally.Failed, c.failed);
        // A file cut by stop or skip keeps what was written so far: it is there, but never reported as saved.
        EXPECT_EQ(count(dest), c.stopped ? 1 : 3);
    }
    save.onFile = {};

    // Escape and Cancel cannot end a run; the answer's Escape is ignored and the run ends by itself.
    {
        const std::string dest = Fresh("escape");
        SetDestination(dest);
        SaveRunTally tally;
        bool stopped = false;
        RunSave(job, nullptr, &tally, &stopped, [](HWND dlg) { ::SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0); });
        EXPECT_FALSE(stopped);
        EXPECT_EQ(tally.Written, 3u);
    }

    // A destination on the disk being read is asked about; "no" writes nothing.
    SetDestination(img.path + "/out");
    save.messages.clear();
    SaveRunTally tally;
    bool stopped = false;
    RunSave(job, nullptr, &tally, &stopped);
    EXPECT_TRUE(stopped);
    EXPECT_EQ(tally.Written, 0u);
    ASSERT_EQ(save.messages.size(), 1u);
    EXPECT_FALSE(fs::exists(img.path + "/out"));

    // A destination that cannot hold files: the first failure is asked about, "no" ends the run.
    const std::string blocker = Fresh("blocked") + "/plain_file";
    std::ofstream(blocker) << "x";
    SetDestination(blocker);
    save.messages.clear();
    RunSave(job, nullptr, &tally, &stopped);
    EXPECT_TRUE(stopped);
    EXPECT_EQ(tally.Written, 0u);
    EXPECT_EQ(tally.Failed, 1u);
    EXPECT_EQ(save.messages.size(), 1u);

    // Unreadable sectors under the first file: it fails, the others are written.
    const PartitionParamsBlock& p = PartitionParams;
    const ULONGLONG sector = ULONGLONG(p.DataOrigin) + ULONGLONG(records[0]->StartCluster) * p.SectorsPerCluster;
    dovemark::device_hooks::SetUnreadableSectors(img.path, {sector});
    SetDestination(Fresh("unreadable"));
    RunSave(job, nullptr, &tally, &stopped);
    dovemark::device_hooks::ClearUnreadableSectors();
    EXPECT_FALSE(stopped);
    EXPECT_EQ(tally.Written, 2u);
    EXPECT_EQ(tally.Failed, 1u);
    EXPECT_GE(tally.UnreadableSectors, 1u);
}

// A folder that cannot be made takes its files with it: each of them is counted failed, not the folder once,
// and the result says that nothing was saved.
TEST_F(SaveRun, AFolderThatCannotBeMadeCountsEveryFileItWouldHold)
{
    DOVEMARK_REQUIRE_FIXTURE(img, "fat32");
    AttachedDisks disks({img.path});
    ASSERT_TRUE(scanresults::QuickScan(img.volumes.at(0)));
    headless::PumpUntilIdle();
    const FixtureEntry* folder = FolderToTick(img);
    ASSERT_NE(folder, nullptr);
    ClickTree(BoxOf(Item({folder->Name16()})));
    SaveJob job;
    job.folderItems = list->RecoverFolderList();
    ASSERT_FALSE(job.folderItems.empty());

    SaveRunTally good;
    bool stopped = false;
    SetDestination(Fresh("folder-good"));
    RunSave(job, nullptr, &good, &stopped);
    const DWORD files = good.Written + good.Failed;
    ASSERT_GE(files, 2u);

    // A plain file where the destination folder should be: no folder can be made in it. Every question is
    // answered "go on", so the run reaches all the folders.
    const std::string blocker = Fresh("folder-blocked") + "/plain_file";
    std::ofstream(blocker) << "x";
    SetDestination(blocker);
    save.answers.assign(64, true);
    SaveRunTally blocked;
    RunSave(job, nullptr, &blocked, &stopped);
    EXPECT_FALSE(stopped);
    EXPECT_EQ(blocked.Written, 0u);
    EXPECT_EQ(blocked.Failed, files);
    const std::u16string text = (LPCWSTR)SaveResultText(blocked, false, nullptr);
    EXPECT_EQ(text.rfind(u"文件没有保存成功。", 0), 0u);
}

TEST(SaveResultText, CountsAndKindFollowTheTally)
{
    struct Case {
        SaveRunTally tally;
        bool stopped;
        const char16_t* headline;
        UINT kind;
        bool sectorsLine;
    } cases[] = {
        {{3, 1, 0, 0}, false, u" 文件保存成功。", MSG_KIND_INFO, false},
        {{2, 0, 1, 0}, false, u"部分文件没有保存成功。", MSG_KIND_ERROR, false},
        {{2, 0, 1, 4}, false, u"部分文件没有保存成功。", MSG_KIND_ERROR, true},
        {{0, 0, 0, 0}, true, u"文件没有保存成功。", MSG_KIND_ERROR, false},
        // Nothing saved is no partial success.
        {{0, 0, 46, 0}, false, u"文件没有保存成功。", MSG_KIND_ERROR, false},
    };
    for (const Case& c : cases) {
        UINT kind = 0;
        const std::u16string text = (LPCWSTR)SaveResultText(c.tally, c.stopped, &kind);
        EXPECT_EQ(text.rfind(c.headline, 0), 0u);
        EXPECT_EQ(kind, c.kind);
        const std::string s = std::to_string(c.tally.Written);
        EXPECT_NE(text.find(u"已保存 " + std::u16string(s.begin(), s.end()) + u" 个文件"), std::u16string::npos);
        EXPECT_EQ(text.find(u"无法读取的扇区") != std::u16string::npos, c.sectorsLine);
    }
}

} // namespace
