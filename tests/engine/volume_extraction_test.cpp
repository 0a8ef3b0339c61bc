// Extraction of full-scan volumes into folder and file lists: crafted lists, and the wiped multi-volume image.
#include "engine/volume_extraction.h"

#include "engine/folder_tree_build.h"
#include "engine/found_list_fill.h"
#include "engine/full_scan.h"
#include "engine/ntfs_record.h"
#include "engine/recovery_writer.h"
#include "engine/scan_control.h"
#include "attached_disk.h"
#include "crafted.h"
#include "scan_results.h"
#include "sha256.h"
#include "support/fixture_images.h"

#include <gtest/gtest.h>

#include "win32/kernel/util.h"

#include <filesystem>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <string>

namespace {
namespace fs = std::filesystem;

std::string Utf8(const std::u16string& s)
{
    std::string out;
    dovemark::kernel::Utf16ToUtf8(s, out);
    return out;
}

// Keeps the found-folder tree as paths, the volume tree's items, and the rows of the last list fill.
class ExtractUi : public RecordingUi {
public:
    std::map<DWORD, std::string> paths;     // tree item -> "Root/a/b"
    std::vector<std::string> rows;
    std::vector<bool> stopButton;
    std::vector<std::u16string> volumes;
    std::map<std::u16string, DWORD> volumeItems;
    DWORD nextVolumeItem = 0x100;

    DWORD InsertFolderItem(DWORD parent, const WCHAR* text, BOOL deleted) override
    {
        const DWORD item = RecordingUi::InsertFolderItem(parent, text, deleted);
        auto up = paths.find(parent);
        paths[item] = (up == paths.end() ? "" : up->second + "/") + Utf8(text);
        return item;
    }
    void ClearFileRows() override { rows.clear(); }
    void AddFileRow(const FoundFileRow& row) override { rows.push_back(Utf8(row.Name)); }
    void ShowStopButton(bool shown) override { stopButton.push_back(shown); }
    void ShowFileListAsReport() override { reportViews++; }
    int reportViews = 0;
    DWORD InsertVolumeItem(DWORD parent, const WCHAR* text) override
    {
        const DWORD item = ++nextVolumeItem;
        if (parent != FOUND_TREE_ROOT) {
            volumes.push_back(text);
            volumeItems[text] = item;
        }
        return item;
    }
    bool HasPath(const std::string& path) const
    {
        for (const auto& p : paths)
            if (p.second == path)
                return true;
        return false;
    }
};

void RunExtraction()
{
    BeginScanRun();
    ExtractWorkerProc(nullptr);
    ASSERT_TRUE(IsWorkerFinished());
}

class VolumeExtraction : public ::testing::Test {
protected:
    void SetUp() override
    {
        FreeScanResultLists();
        ResetFullScanLists();
        DirSectorRecordCount = 0;
        ScanMode = 0;
    }
    void TearDown() override
    {
        FreeScanResultLists();
        ResetFullScanLists();
        DirSectorRecordCount = 0;
        ScanMode = 2;
    }
};

// NTFS folders and files whose parents are gone gather under "Lost Dir", folders in a parent cycle included.
TEST_F(VolumeExtraction, NtfsOrphansAndParentCyclesEndUnderLostDir)
{
    CraftedImage image(64);
    AttachedDisks disks({image.Path()});
    ExtractUi ui;
    PartitionParams = {};
    PartitionParams.FsType = FS_KIND_NTFS;
    PartitionParams.VolumeNumber = 1;
    PartitionParams.DataOrigin = 1000;
    PartitionParams.VolumeEndSector = 9000;
    auto folder = [](const char16_t* name, DWORD number, DWORD parent, WORD volume) {
        AddFoundFolder(name, 2000 + number * 2, parent, number, 0, 0, 0, 0, 0, 7, 0);
        FoundFolderTail->VolumeNumber = volume;
    };
    folder(u"Docs", 40, 5, 1);
    folder(u".", 41, 5, 1);             // a root's own entry adds nothing
    folder(u"Orphan", 42, 77, 1);       // parent 77 is gone: Dir0 under Lost Dir
    folder(u"Cousin", 43, 77, 1);       // same missing parent: no new folder, a number used up
    folder(u"Elsewhere", 44, 5, 2);     // another volume's folder
    folder(u"CycleA", 45, 46, 1);       // A and B are each other's parent: no root reaches them
    folder(u"CycleB", 46, 45, 1);
    AddFoundFile(u"kept.txt", 3000, 40, 0, 0, 0, 0, 0, 10, 0, 0, 0);
    AddFoundFile(u"lonely.txt", 3002, 88, 0, 0, 0, 0, 0, 11, 0, 0, 1);   // its folder record is gone
    AddFoundFile(u"outside.txt", 9500, 99, 0, 0, 0, 0, 0, 12, 0, 0, 0);  // another volume's sectors

    RunExtraction();
    EXPECT_FALSE(WorkerFailed());
    std::map<DWORD, std::u16string> names;
    for (QuickFolderNode* f = QuickFolderHead; f; f = f->Next)
        names[f->RecordNumber] = f->Name;
    EXPECT_EQ(names.count(41), 0u);
    EXPECT_EQ(names.count(44), 0u);
    EXPECT_EQ(names[77], u"Dir0");
    // Cousin, the cycle's two folders and kept.txt used up 1 to 4; the lost file's folder comes next.
    EXPECT_EQ(names[88], u"Dir5");
    EXPECT_EQ(names.count(99), 0u);
    for (const char* path : {"Root/Docs", "Root/Lost Dir/Dir0/Orphan", "Root/Lost Dir/Dir0/Cousin",
                             "Root/Lost Dir/Dir5", "Root/Lost Dir/CycleA/CycleB"})
        EXPECT_TRUE(ui.HasPath(path)) << path;
    EXPECT_EQ(ui.stopButton, std::vector<bool>({false}));
    EXPECT_EQ(ui.reportViews, 1);

    // The lost file is listed and written from its made-up folder.
    ShowNtfsFolder(88);
    EXPECT_EQ(ui.rows, std::vector<std::string>({"Parent...", "lonely.txt"}));
    ShowNtfsFolder(kNtfsRootFolderId);
    EXPECT_EQ(ui.rows, std::vector<std::string>({"Docs", "Lost Dir"}));
}

// FAT folders from directory records: named by parents once parsed, made-up parents under "Lost Dir",
// and ".." cycles still shown.
TEST_F(VolumeExtraction, FatFoldersFromDirectoryRecords)
{
    // One sector per cluster from sector 100; the FATs are found in front of the data area.
    constexpr DWORD kOrigin = 100;
    CraftedImage image(400);
    std::vector<BYTE> fat(SECTOR_SIZE, 0);
    fat[0] = 0xF8, fat[1] = 0xFF, fat[2] = 0xFF, fat[3] = 0xFF;
    image.Write(70, fat);
    image.Write(80, fat);
    auto dirSector = [&](DWORD cluster, DWORD parent, const std::vector<std::vector<BYTE>>& entries) {
        std::vector<BYTE> s(SECTOR_SIZE, 0);
        auto dot = crafted::ShortEntry(".          ", 0x10, cluster, 0);
        auto dotDot = crafted::ShortEntry("..         ", 0x10, parent, 0);
        std::copy(dot.begin(), dot.end(), s.begin());
        std::copy(dotDot.begin(), dotDot.end(), s.begin() + 32);
        size_t at = 64;
        for (const auto& e : entries) {
            std::copy(e.begin(), e.end(), s.begin() + long(at));
            at += e.size();
        }
        image.Write(kOrigin + cluster, s);
    };
    dirSector(5, 0, {crafted::ShortEntry("SUB        ", 0x10, 6, 0), crafted::ShortEntry("A       TXT", 0x20, 20, 3)});
    dirSector(6, 5, {crafted::ShortEntry("B       TXT", 0x20, 21, 4)});
    dirSector(7, 50, {crafted::ShortEntry("C       TXT", 0x20, 22, 5)});  // parent 50 has no record
    dirSector(8, 9, {});                                                     // 8 and 9 name each other
    dirSector(9, 8, {});
    AttachedDisks disks({image.Path()});
    ExtractUi ui;
    PartitionParams = {};
    PartitionParams.FsType = FS_KIND_FAT16;
    PartitionParams.VolumeNumber = 1;
    PartitionParams.SectorsPerCluster = 1;
    PartitionParams.DataOrigin = kOrigin;
    PartitionParams.VolumeEndSector = 399;
    for (DWORD c : {5u, 6u, 7u, 8u, 9u, 11u}) {
        AddDirSectorRecord(kOrigin + c, c, c == 5 ? 0 : c == 6 ? 5 : c == 7 ? 50 : c == 8 ? 9 : c == 9 ? 8 : 0, 0, 0, 0);
        DirSectorTail->VolumeNumber = c == 11 ? 2 : 1;
        ++DirSectorRecordCount;
    }

    RunExtraction();
    EXPECT_EQ(+PartitionParams.Fat1Start, 70u);
    EXPECT_EQ(+PartitionParams.Fat2Start, 80u);
    EXPECT_EQ(+PartitionParams.FatSize, 10u);
    EXPECT_EQ(FindFatFolderByCluster(11), nullptr);
    ASSERT_NE(FindFatFolderByCluster(6), nullptr);
    EXPECT_EQ(std::u16string(FindFatFolderByCluster(6)->Name), u"SUB");
    EXPECT_EQ(std::u16string(FindFatFolderByCluster(5)->Name), u"Dir5"); // no parent read names it
    for (const char* path : {"Root/Dir5/SUB", "Root/Lost Dir/Dir50/Dir7", "Root/Lost Dir/Dir8/Dir9"})
        EXPECT_TRUE(ui.HasPath(path)) << path;
    std::set<std::u16string> files;
    for (FatEntryRecord* e = FatFileHead; e; e = e->Next)
        files.insert(e->Name);
    EXPECT_EQ(files, std::set<std::u16string>({u"A.TXT", u"B.TXT", u"C.TXT"}));
}

// A stop during the extraction still ends with a tree of what was read and a finished worker.
TEST_F(VolumeExtraction, StopEndsWithTheTreeOfWhatWasRead)
{
    CraftedImage image(64);
    AttachedDisks disks({image.Path()});
    class StoppingUi : public ExtractUi {
    public:
        void SetStatusText(EngineStatusField field, const WCHAR* text) override
        {
            ExtractUi::SetStatusText(field, text);
            if (std::u16string(text) == u"正在搜索丢失的数据")
                RequestScanStop();
        }
    } ui;
    PartitionParams = {};
    PartitionParams.FsType = FS_KIND_NTFS;
    PartitionParams.VolumeNumber = 1;
    PartitionParams.VolumeEndSector = 9000;
    for (DWORD i = 0; i < 50; ++i) {
        AddFoundFolder(u"F", 2000 + 2 * i, 500 + i, 100 + i, 0, 0, 0, 0, 0, 7, 0);
        FoundFolderTail->VolumeNumber = 1;
    }
    RunExtraction();
    EXPECT_FALSE(WorkerFailed());
    EXPECT_EQ(ScanRunning, 0);
    // Nothing was adopted after the stop, yet every folder read is in the tree.
    EXPECT_EQ(FoundFolderCount, 51u);
    EXPECT_TRUE(ui.HasPath("Root/Lost Dir"));
    EXPECT_TRUE(ui.HasPath("Root/Lost Dir/F"));
}

// An NTFS folder record with its own index in one block at the given cluster; its index root names its number.
std::vector<BYTE> IndexedFolder(const char16_t* name, DWORD number, DWORD cluster)
{
    crafted::MftRecord r(3);
    r.Resident(ATTR_FILE_NAME, crafted::FileNameValue(name, 5, 1));
    std::vector<BYTE> root(0x78, 0);
    crafted::Put32(&root[0x10], 0x10);               // first entry at 0x20
    crafted::Put16(&root[0x20 + 8], 0x58);
    crafted::Put16(&root[0x20 + 0x0A], 0x44);
    crafted::Put32(&root[0x20 + 0x10], number);      // the entry's folder: this one
    r.Resident(ATTR_INDEX_ROOT, root, u"$I30");
    r.NonResident(ATTR_INDEX_ALLOCATION, {0x11, 0x01, BYTE(cluster), 0}, 4096, u"$I30");
    return r.Finish();
}

// The index block of a folder: eight sectors, its first entry naming the folder that owns it.
std::vector<BYTE> IndexBlockOf(DWORD owner)
{
    std::vector<BYTE> b(4096, 0);
    std::memcpy(b.data(), "INDX", 4);
    crafted::Put16(&b[4], 0x28);
    crafted::Put16(&b[6], 9);
    crafted::Put32(&b[0x18], 0x40);
    crafted::Put32(&b[0x20], 4096 - 24);
    crafted::Put16(&b[0x28], 0x0003);
    crafted::Put16(&b[0x58 + 8], 0x58);
    crafted::Put16(&b[0x58 + 0x0A], 0x44);
    crafted::Put32(&b[0x58 + 0x10], owner);
    for (int s = 1; s <= 8; ++s) {
        std::memcpy(&b[0x28 + 2 * s], &b[s * 512 - 2], 2);
        crafted::Put16(&b[s * 512 - 2], 0x0003);
    }
    return b;
}

// Without any boot sector, two folders whose index blocks lie eight sectors per cluster apart settle the volume's
// layout; it is listed, chosen and extracted like any other.
TEST_F(VolumeExtraction, NtfsVolumeWithoutBootSectorIsRebuiltAndExtracted)
{
    constexpr DWORD kOrigin = 1000, kEnd = 3000;
    CraftedImage image(kEnd);
    image.Write(1100, IndexedFolder(u"A", 40, 10));
    image.Write(1102, IndexedFolder(u"B", 41, 20));
    crafted::MftRecord file(1);
    file.Resident(ATTR_FILE_NAME, crafted::FileNameValue(u"c.txt", 40, 1));
    image.Write(1104, file.Finish());
    image.Write(kOrigin + 10 * 8, IndexBlockOf(40));
    image.Write(kOrigin + 20 * 8, IndexBlockOf(41));
    AttachedDisks disks({image.Path()});
    ExtractUi ui;
    PartitionParams = {};
    PartitionParams.PartitionFsType = FS_KIND_NTFS;
    PartitionParams.SectorCount = kEnd;
    PartitionParams.BackupSector = kEnd;
    StartFullScan();
    ASSERT_TRUE(WaitWorkerFinished(60000));
    ASSERT_EQ(ui.volumes, std::vector<std::u16string>({u"NTFS @1000"}));
    ASSERT_EQ(SelectFoundVolume(ui.volumeItems[u"NTFS @1000"]), 1);
    EXPECT_EQ(+PartitionParams.SectorsPerCluster, 8u);
    EXPECT_EQ(+PartitionParams.DataOrigin, kOrigin);
    RunExtraction();
    EXPECT_TRUE(ui.HasPath("Root/A"));
    EXPECT_TRUE(ui.HasPath("Root/B"));
    ShowNtfsFolder(40);
    EXPECT_EQ(ui.rows, std::vector<std::string>({"Parent...", "c.txt"}));
}

TEST(FoundVolumeChoice, CopiesTheClickedVolumeAndItsNumber)
{
    ResetFullScanLists();
    DWORD fat[14] = {1000, 8, 32, 2, 32, 4064, 2080, 3080, 0, 0, 0, 0, 10048, 0x501};
    DWORD ntfs[14] = {0, 8, 0, 0, 0, 20000, 0, 0, 20032, 20040, 0, 8, 30000, 0x502};
    AddVolumeRecord(&VolumeHead, FS_KIND_FAT32, fat);
    AddVolumeRecord(&VolumeHead, FS_KIND_NTFS, ntfs);
    PartitionParams = {};
    EXPECT_EQ(SelectFoundVolume(0x777), 0);
    EXPECT_EQ(+PartitionParams.FsType, 0);
    EXPECT_EQ(SelectFoundVolume(0x502), 2);
    EXPECT_EQ(+PartitionParams.VolumeNumber, 2);
    EXPECT_EQ(+PartitionParams.FsType, FS_KIND_NTFS);
    EXPECT_EQ(+PartitionParams.MftSector, 20032u);
    EXPECT_EQ(+PartitionParams.VolumeEndSector, 30000u);
    EXPECT_EQ(SelectFoundVolume(0x501), 1);
    EXPECT_EQ(+PartitionParams.FsType, FS_KIND_FAT32);
    EXPECT_EQ(+PartitionParams.Fat2Start, 3080u);
    EXPECT_EQ(+PartitionParams.Root, 2u);
    ResetFullScanLists();
}

} // namespace

namespace {

// The multi-volume image with its partition table wiped (and some boot sectors): full scan, choice of
// each volume, extraction, and recovery of every intact file.
class ExtractWipedImage : public VolumeExtraction {
protected:
    std::string WipedCopy(const testsupport::FixtureImage& img, const std::vector<uint64_t>& alsoZero)
    {
        const std::string path = testsupport::ScratchDir() + "/extract-wiped.img";
        fs::copy_file(img.path, path, fs::copy_options::overwrite_existing);
        std::vector<char> zero(SECTOR_SIZE, 0);
        std::fstream f(path, std::ios::binary | std::ios::in | std::ios::out);
        for (uint64_t s : alsoZero) {
            f.seekp(std::streamoff(s * SECTOR_SIZE));
            f.write(zero.data(), SECTOR_SIZE);
        }
        f.seekp(0);
        f.write(zero.data(), SECTOR_SIZE);
        return path;
    }

    // Full scan of one family, then every volume of that family extracted and recovered.
    void ScanExtractRecover(const testsupport::FixtureImage& img, const std::string& path, bool ntfs)
    {
        AttachedDisks disks({path});
        ExtractUi ui;
        const uint64_t sectors = img.bytes / SECTOR_SIZE;
        PartitionParams = {};
        PartitionParams.PartitionFsType = ntfs ? FS_KIND_NTFS : FS_KIND_FAT32;
        PartitionParams.SectorCount = DWORD(sectors);
        PartitionParams.BackupSector = DWORD(sectors);
        ScanMode = 0;
        StartFullScan();
        ASSERT_TRUE(WaitWorkerFinished(120000));
        int volumesChecked = 0;
        for (int vi = 0; vi < int(img.volumes.size()); ++vi) {
            const auto& v = img.volumes[vi];
            if ((v.fs == "NTFS") != ntfs)
                continue;
            SCOPED_TRACE(v.fs + " @" + std::to_string(v.start));
            uint64_t at = v.start;
            if (!ntfs)
                at += uint64_t(v.Extra("data_sector")) - 2 * (v.cluster_bytes / SECTOR_SIZE);
            const std::string label = v.fs + " @" + std::to_string(at);
            auto item = ui.volumeItems.find(std::u16string(label.begin(), label.end()));
            std::string names;
            for (const auto& named : ui.volumes)
                names += Utf8(named) + "; ";
            ASSERT_NE(item, ui.volumeItems.end()) << names;
            ASSERT_GT(SelectFoundVolume(item->second), 0);
            RunExtraction();
            ASSERT_FALSE(WorkerFailed());
            ASSERT_TRUE(ui.HasPath("Root/Lost Dir"));

            const std::string dest = testsupport::ScratchDir() + "/extracted";
            fs::remove_all(dest);
            fs::create_directories(dest);
            const std::u16string wdest(dest.begin(), dest.end());
            ResetRecoverySettings();
            FileTypeFilterCount = 0;
            ResetSaveTally();
            SaveStopFlag = 0;
            if (ntfs)
                RecoverNtfsFolder(0, kNtfsRootFolderId, wdest.c_str(), u"out");
            else
                RecoverFatFolder(0, 0, wdest.c_str(), u"out");
            int checked = 0;
            for (const testsupport::FixtureEntry* e : img.EntriesOf(vi)) {
                if (e->is_dir || !e->intact || e->size == 0)
                    continue;
                if (!ntfs && (scanresults::InsideDeletedFolder(img, *e) || (e->deleted && e->Has("fragmented"))))
                    continue;
                // A folder of the root is known from its own "." record and named by the root's entry for it.
                const std::string file = dest + "/out/" + Utf8(scanresults::ExpectedPath(img, *e, ntfs));
                EXPECT_TRUE(fs::exists(file)) << e->path;
                if (fs::exists(file)) {
                    EXPECT_EQ(testsha::FileSha256(file), e->sha256) << e->path;
                }
                ++checked;
            }
            EXPECT_GT(checked, 5);
            ++volumesChecked;
        }
        EXPECT_GT(volumesChecked, 1);
    }
};

TEST_F(ExtractWipedImage, FatVolumesComeBackWholeAndByteExact)
{
    DOVEMARK_REQUIRE_FIXTURE(img, "multi");
    ScanExtractRecover(img, WipedCopy(img, {}), false);
}

TEST_F(ExtractWipedImage, NtfsVolumesComeBackWholeAndByteExact)
{
    DOVEMARK_REQUIRE_FIXTURE(img, "multi");
    ScanExtractRecover(img, WipedCopy(img, {}), true);
}

// Files whose folder record was wiped are listed under "Lost Dir" and recovered from there.
TEST_F(ExtractWipedImage, NtfsOrphanFilesAreListedUnderLostDir)
{
    DOVEMARK_REQUIRE_FIXTURE(img, "damaged_ntfs");
    AttachedDisks disks({img.path});
    ExtractUi ui;
    PartitionParams = {};
    PartitionParams.PartitionFsType = FS_KIND_NTFS;
    PartitionParams.SectorCount = DWORD(img.bytes / SECTOR_SIZE);
    PartitionParams.BackupSector = PartitionParams.SectorCount;
    StartFullScan();
    ASSERT_TRUE(WaitWorkerFinished(120000));
    ASSERT_FALSE(ui.volumeItems.empty());
    ASSERT_GT(SelectFoundVolume(ui.volumeItems.begin()->second), 0);
    RunExtraction();
    std::map<DWORD, QuickFolderNode*> folders;
    for (QuickFolderNode* f = QuickFolderHead; f; f = f->Next)
        folders[f->RecordNumber] = f;
    int orphans = 0;
    for (const testsupport::FixtureEntry* e : img.EntriesOf(0)) {
        if (!e->Has("orphan"))
            continue;
        const std::u16string name = e->Name16();
        const FoundItemNode* found = nullptr;
        for (FoundItemNode* f = FoundItemHead; f; f = f->Next)
            if (name == f->Name)
                found = f;
        ASSERT_NE(found, nullptr) << e->path;
        auto parent = folders.find(found->ParentRef);
        ASSERT_NE(parent, folders.end()) << e->path;
        EXPECT_EQ(+parent->second->ParentRef, kLostFolderId) << e->path;
        EXPECT_EQ(std::u16string(parent->second->Name).substr(0, 3), u"Dir") << e->path;
        ++orphans;
    }
    EXPECT_EQ(orphans, 2);
}

} // namespace
