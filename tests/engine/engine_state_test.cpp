// Found-record list builders, their resets, the file-type filter and the worker's run control.
#include "engine/engine_state.h"
#include "engine/scan_control.h"
#include "crafted.h"

#include <gtest/gtest.h>

#include <vector>

#include <atomic>
#include <thread>

namespace {

class EngineStateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FreeScanResultLists();
        ResetFullScanLists();
        FreeTracedFiles();
        FreeTracedFolders();
        FileTypeFilterCount = 0;
        ScanMode = 2;
    }
    void TearDown() override { SetUp(); }
};

int CountFolders()
{
    int n = 0;
    for (FatFolderRecord* r = FatFolderHead; r; r = r->Next)
        ++n;
    return n;
}

TEST_F(EngineStateTest, FolderSeenTwiceAddsNothingButRevivesADeletedSighting)
{
    AddFatFolderRecord(u"OLD", 7, 0, 0, 0, 0, 1);
    AddFatFolderRecord(u"other", 8, 0, 0, 0, 0, 0);
    ASSERT_EQ(FoundFolderCount, 2u);

    AddFatFolderRecord(u"again-deleted", 7, 0, 0, 0, 0, 1);
    EXPECT_EQ(std::u16string(FatFolderHead->Name), u"OLD");

    AddFatFolderRecord(u"Live name", 7, 0, 0, 0, 0, 0);
    EXPECT_EQ(std::u16string(FatFolderHead->Name), u"Live name");
    EXPECT_EQ(+FatFolderHead->Deleted, 0u);

    AddFatFolderRecord(u"deleted later", 7, 0, 0, 0, 0, 1);
    EXPECT_EQ(+FatFolderHead->Deleted, 0u);
    EXPECT_EQ(FoundFolderCount, 2u);
    EXPECT_EQ(CountFolders(), 2);
}

TEST_F(EngineStateTest, FileIdsFollowDiscoveryFromZero)
{
    for (const char16_t* name : {u"a", u"b", u"c"}) {
        AddFatEntryRecord(name, 5, 0, 0, 0, 10, 0);
        ++FoundFileCount;
    }
    DWORD expected = 0;
    for (FatEntryRecord* r = FatFileHead; r; r = r->Next)
        EXPECT_EQ(+r->FileId, expected++);
    EXPECT_EQ(expected, 3u);
    EXPECT_EQ(+FatFileTail->FileId, 2u);
}

TEST_F(EngineStateTest, ResetsEmptyEveryListAndCounter)
{
    AddFatEntryRecord(u"f", 3, 0, 0, 0, 1, 0);
    AddFatFolderRecord(u"d", 4, 0, 0, 0, 0, 0);
    AddFoundEntry(100, u"n", 30, 5, 0, 0, 0, 0, 0, 1, 42, 0);
    AddQuickFolderNode(u"q", 40, 5, 0, 0, 0, 0, 0, 0);
    AddFoundFile(u"x", 1, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    AddFoundFolder(u"y", 2, 5, 6, 0, 0, 0, 0, 0, 0, 0);
    AppendIndexBlockNode(9, 40, 0, 0xFFFF, 8);
    AddDirSectorRecord(11, 3, 0, 0, 0, 0);
    AddBootSectorNode(&BootSectorHead, 63);
    DWORD v[14] = {};
    AddVolumeRecord(&VolumeHead, FS_KIND_NTFS, v);
    AddTracedFolder(u".jpg", u"JPEG", 4, "FFD8FFE0", 0);
    AddTracedFile(u"1.jpg", u".jpg", u"JPEG", 1, 500);

    FreeScanResultLists();
    ResetFullScanLists();
    FreeTracedFiles();
    FreeTracedFolders();
    EXPECT_EQ(FatFileHead, nullptr);
    EXPECT_EQ(FatFolderTail, nullptr);
    EXPECT_EQ(FoundEntryHead, nullptr);
    EXPECT_EQ(QuickFolderTail, nullptr);
    EXPECT_EQ(FoundItemHead, nullptr);
    EXPECT_EQ(FoundFolderHead, nullptr);
    EXPECT_EQ(IndexBlockHead, nullptr);
    EXPECT_EQ(DirSectorHead, nullptr);
    EXPECT_EQ(BootSectorHead, nullptr);
    EXPECT_EQ(VolumeHead, nullptr);
    EXPECT_EQ(SignatureHead, nullptr);
    EXPECT_EQ(TracedFileHead, nullptr);
    EXPECT_EQ(FoundFolderCount + FoundFileCount + FoundItemCount + FoundFolderNodeCount + IndexBlockCount, 0u);

    // A list emptied and filled again keeps its order from its new head.
    for (DWORD v : {7u, 8u, 9u})
        AddBootSectorNode(&BootSectorHead, v);
    std::vector<DWORD> order;
    for (ClusterNode* n = BootSectorHead; n; n = n->Next)
        order.push_back(n->Value);
    EXPECT_EQ(order, std::vector<DWORD>({7, 8, 9}));
    ResetFullScanLists();

    // A folder cluster freed with the lists may be listed again.
    AddFatFolderRecord(u"d", 4, 0, 0, 0, 0, 0);
    EXPECT_EQ(FoundFolderCount, 1u);
}

TEST_F(EngineStateTest, BuildersKeepTheStoredFieldOrder)
{
    AddFoundEntry(900, u"file", 30, 5, 11, 12, 13, 14, 0, 1, 0x1000, 0x2);
    FoundEntryNode* e = FoundEntryHead;
    EXPECT_EQ(+e->RecordNumber, 30u);
    EXPECT_EQ(+e->SizeLow, 0x1000u);
    EXPECT_EQ(+e->SizeHigh, 2u);
    EXPECT_EQ(+e->Deleted, 1u);
    EXPECT_EQ(+e->RecordSector, 900u);

    AddTracedFile(u"7.jpg", u".jpg", u"JPEG", 7, 1234);
    EXPECT_EQ(+TracedFileHead->StartSector, 1234u);
    EXPECT_EQ(+TracedFileHead->FileNumber, 7u);
}

TEST_F(EngineStateTest, QuickFolderDedupOnlyInFullScan)
{
    ScanMode = 0;
    AddQuickFolderNode(u"a", 40, 5, 0, 0, 0, 0, 0, 0);
    AddQuickFolderNode(u"b", 40, 5, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(FoundFolderCount, 1u);
    ScanMode = 2;
    AddQuickFolderNode(u"c", 40, 5, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(FoundFolderCount, 2u);
}

TEST_F(EngineStateTest, FileTypeFilter)
{
    EXPECT_TRUE(PassesFileTypeFilter(u"anything.txt"));
    const char16_t* masks[] = {u"*.JPG", u"*.doc"};
    for (int i = 0; i < 2; ++i)
        std::char_traits<char16_t>::copy(FileTypeFilterTable[i], masks[i], std::char_traits<char16_t>::length(masks[i]) + 1);
    FileTypeFilterCount = 2;
    struct Case {
        const char16_t* name;
        bool passes;
    } cases[] = {
        {u"photo.jpg", true}, {u"PHOTO.JPG", true}, {u"report.Doc", true}, {u"notes.txt", false},
        {u"jpg", false},      {u"a.jpg.txt", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PassesFileTypeFilter(c.name), c.passes) << std::string(c.name, c.name + std::char_traits<char16_t>::length(c.name));
}

TEST(FileMaskTest, Wildcards)
{
    struct Case {
        const char16_t* name;
        const char16_t* mask;
        bool match;
    } cases[] = {
        {u"README", u"*.*", true},  {u"A.TXT", u"?.TXT", true},   {u"AB.TXT", u"?.TXT", false},
        {u"A.B.C", u"*.C", true},   {u"ABC", u"A*C", true},       {u"ABD", u"A*C", false},
        {u"", u"*", true},          {u"X", u"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchFileMask(c.name, c.mask), c.match);
}

TEST(OutOfMemoryTest, EndsTheProcessWithAFailureCode)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(EngineOutOfMemory(), ::testing::ExitedWithCode(EXIT_FAILURE), "");
}

TEST(ScanControlTest, PauseHoldsTheWorkerAtItsPollPointUntilResumeOrStop)
{
    BeginScanRun();
    EXPECT_FALSE(IsWorkerFinished());
    RequestScanPause(true);
    std::atomic<int> polls{0};
    std::thread worker([&] {
        while (!ScanPollPoint())
            ++polls;
        MarkWorkerFinished(false);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(polls.load(), 0);
    EXPECT_FALSE(IsWorkerFinished());
    RequestScanPause(false);
    // Released: the worker polls again; give a loaded machine time to schedule it.
    for (int waited = 0; polls.load() == 0 && waited < 5000; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_GT(polls.load(), 0);
    RequestScanPause(true);
    RequestScanStop(); // a stop releases a paused worker
    EXPECT_TRUE(WaitWorkerFinished(5000));
    worker.join();
    EXPECT_EQ(ScanRunning, 0);
    EXPECT_EQ(ScanStopFlag, 1u);
    EXPECT_FALSE(WorkerFailed());
}

} // namespace
