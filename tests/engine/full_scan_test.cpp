// The full scan's sweep and analysis on crafted disks and on the multi-volume image with its table wiped.
#include "engine/full_scan.h"
#include "engine/ntfs_record.h"
#include "engine/scan_control.h"
#include "attached_disk.h"
#include "crafted.h"
#include "support/fixture_images.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>

namespace {
using crafted::Put16;
using crafted::Put32;

// Records the volume tree besides what RecordingUi keeps.
class VolumeTreeUi : public RecordingUi {
public:
    std::vector<std::u16string> Volumes; // every item but the root, in insertion order
    DWORD InsertVolumeItem(DWORD parent, const WCHAR* text) override
    {
        if (parent != FOUND_TREE_ROOT)
            Volumes.push_back(text);
        return ++items_;
    }

private:
    DWORD items_ = 0;
};

std::vector<BYTE> DirStart(uint32_t dot, uint32_t dotDot)
{
    std::vector<BYTE> s(SECTOR_SIZE, 0);
    auto a = crafted::ShortEntry(".          ", 0x10, dot, 0);
    auto b = crafted::ShortEntry("..         ", 0x10, dotDot, 0);
    std::copy(a.begin(), a.end(), s.begin());
    std::copy(b.begin(), b.end(), s.begin() + 32);
    return s;
}

std::vector<DWORD> DirSectors()
{
    std::vector<DWORD> out;
    for (DirSectorRecord* r = DirSectorHead; r; r = r->Next)
        out.push_back(r->Sector);
    return out;
}

std::vector<DWORD> BootSectors()
{
    std::vector<DWORD> out;
    for (ClusterNode* n = BootSectorHead; n; n = n->Next)
        out.push_back(n->Value);
    return out;
}

void SetRange(WORD kind, DWORD start, DWORD count)
{
    PartitionParams = {};
    PartitionParams.PartitionFsType = kind;
    PartitionParams.StartSector = start;
    PartitionParams.SectorCount = count;
}

// Runs the whole full scan as the page does and waits for the worker.
void RunFullScan()
{
    StartFullScan();
    ASSERT_TRUE(WaitWorkerFinished(120000));
}

class FullScanSweep : public ::testing::Test {
protected:
    // The sweep runs as a worker does; a run finished earlier leaves the stop flag set.
    void SetUp() override { ScanStopFlag = 0; }
    void TearDown() override
    {
        ResetFullScanLists();
        DirSectorRecordCount = 0;
        SectorsPerRead = 60;
    }
};

// Which sectors the FAT sweep keeps: boot candidates, directory starts, and nothing from sectors it never read.
TEST_F(FullScanSweep, FatSweepKeepsOnlyRealSectors)
{
    CraftedImage image(250);
    std::vector<BYTE> boot(SECTOR_SIZE, 0);
    boot[510] = 0x55, boot[511] = 0xAA;
    std::memcpy(&boot[0x52], "FAT32   ", 8);
    image.Write(10, boot);
    // Signed and shaped like a directory, but without the type digits: neither kind of record.
    std::vector<BYTE> signedDir = DirStart(7, 0);
    signedDir[510] = 0x55, signedDir[511] = 0xAA;
    image.Write(20, signedDir);
    image.Write(40, DirStart(2, 0));    // the first folder of a FAT16 volume lives in cluster 2
    image.Write(50, DirStart(60, 2));   // "." cluster not below its own sector: no real layout gives that
    image.Write(70, DirStart(9, 0));    // unreadable below
    image.Write(190, DirStart(12, 0));  // its bytes must not reappear at 250 in a run past the device end
    image.Write(245, DirStart(30, 0));  // in the last, short run
    AttachedDisks disks({image.Path()});
    dovemark::device_hooks::SetUnreadableSectors(image.Path(), {70});
    VolumeTreeUi ui;
    SectorsPerRead = 60;
    SetRange(FS_KIND_FAT32, 0, 300); // reaches past the device's 250 sectors

    ResetFullScanLists();
    DirSectorRecordCount = 0;
    FullScanFat();
    EXPECT_EQ(BootSectors(), std::vector<DWORD>({10}));
    EXPECT_EQ(DirSectors(), std::vector<DWORD>({40, 190, 245}));
    EXPECT_EQ(DirSectorRecordCount, 3u);
    ASSERT_NE(DirSectorHead, nullptr);
    EXPECT_EQ(+DirSectorHead->DotCluster, 2u);
}

// A range that ends inside a run keeps what the rest of that run shows inside the device.
TEST_F(FullScanSweep, LastRunReadsOnInsideTheDevice)
{
    CraftedImage image(400);
    image.Write(110, DirStart(5, 0));
    image.Write(130, DirStart(6, 0));
    AttachedDisks disks({image.Path()});
    VolumeTreeUi ui;
    SectorsPerRead = 60;
    SetRange(FS_KIND_FAT16, 0, 100);
    ResetFullScanLists();
    FullScanFat();
    EXPECT_EQ(DirSectors(), std::vector<DWORD>({110}));
}

// The disk is read in blocks of many runs: records on either side of a block's edge, in the device's last
// sector and after an unreadable one are found as a run-by-run read finds them, whatever the run length.
TEST_F(FullScanSweep, RecordsAcrossReadBlocksAreFoundAtEveryRunLength)
{
    CraftedImage image(5000);
    const std::vector<DWORD> dirs = {59, 2159, 2160, 2161, 3000, 4319, 4320, 4999};
    for (DWORD n : dirs)
        image.Write(n, DirStart(5, 0));
    image.Write(2165, DirStart(5, 0)); // unreadable below
    std::vector<BYTE> boot(SECTOR_SIZE, 0);
    boot[510] = 0x55, boot[511] = 0xAA;
    std::memcpy(&boot[0x52], "FAT32   ", 8);
    image.Write(4100, boot);
    AttachedDisks disks({image.Path()});
    dovemark::device_hooks::SetUnreadableSectors(image.Path(), {2165});
    VolumeTreeUi ui;
    for (DWORD perRead : {1u, 7u, 60u, 100u}) {
        SCOPED_TRACE(perRead);
        SectorsPerRead = perRead;
        SetRange(FS_KIND_FAT32, 0, 5000);
        ResetFullScanLists();
        DirSectorRecordCount = 0;
        FullScanFat();
        EXPECT_EQ(DirSectors(), dirs);
        EXPECT_EQ(BootSectors(), std::vector<DWORD>({4100}));
    }
}

// The NTFS sweep: boot sectors by their name, FILE records of 1024 bytes only.
TEST_F(FullScanSweep, NtfsSweepSortsRecords)
{
    CraftedImage image(200);
    std::vector<BYTE> boot(SECTOR_SIZE, 0);
    boot[510] = 0x55, boot[511] = 0xAA;
    std::memcpy(&boot[3], "NTFS    ", 8);
    image.Write(3, boot);
    std::vector<BYTE> other = boot;
    std::memcpy(&other[3], "MSDOS5.0", 8);
    image.Write(4, other);
    crafted::MftRecord folder(3);
    folder.Resident(ATTR_FILE_NAME, crafted::FileNameValue(u"Docs", 5, 1));
    image.Write(20, folder.Finish());
    crafted::MftRecord big(1);
    big.Resident(ATTR_FILE_NAME, crafted::FileNameValue(u"big.txt", 5, 1));
    std::vector<BYTE>& bigBytes = big.Finish();
    Put32(&bigBytes[0x1C], 4096);
    image.Write(40, bigBytes);
    crafted::MftRecord file(1);
    file.Resident(ATTR_FILE_NAME, crafted::FileNameValue(u"a.txt", 5, 1));
    image.Write(60, file.Finish());
    AttachedDisks disks({image.Path()});
    VolumeTreeUi ui;
    SetRange(FS_KIND_NTFS, 0, 200);
    ResetFullScanLists();
    FullScanNtfs();
    EXPECT_EQ(BootSectors(), std::vector<DWORD>({3}));
    ASSERT_EQ(FoundFolderNodeCount, 1u);
    EXPECT_EQ(+FoundFolderHead->RecordSector, 20u);
    ASSERT_EQ(FoundItemCount, 1u);
    EXPECT_EQ(+FoundItemHead->RecordSector, 60u);
}

class FullScanAnalysis : public FullScanSweep {
protected:
    void SetUp() override
    {
        ScanStopFlag = 0;
        ResetFullScanLists();
        DirSectorRecordCount = 0;
        FullScanVolumeCount = 0;
        VolumeFoundFlag = 0;
        RebuiltVolumeFound = 0;
    }
    void AddDir(DWORD sector, DWORD cluster)
    {
        AddDirSectorRecord(sector, cluster, 0, 0, 0, 0);
        ++DirSectorRecordCount;
    }
    WORD VolumeOf(DWORD sector)
    {
        for (DirSectorRecord* r = DirSectorHead; r; r = r->Next)
            if (r->Sector == sector)
                return r->VolumeNumber;
        return 0;
    }
};

TEST_F(FullScanAnalysis, FatVolumesFromBootSectorsAndFromDirectoryPairs)
{
    CraftedImage image(20000);
    std::vector<BYTE> boot(SECTOR_SIZE, 0);
    boot[510] = 0x55, boot[511] = 0xAA;
    std::memcpy(&boot[0x52], "FAT32   ", 8);
    boot[0x0D] = 8;
    Put16(&boot[0x0E], 32);
    Put32(&boot[0x20], 8000);
    Put32(&boot[0x24], 1000);
    Put32(&boot[0x2C], 2);
    image.Write(2048, boot);
    AttachedDisks disks({image.Path()});
    VolumeTreeUi ui;
    SetRange(FS_KIND_FAT16, 0, 20000);
    AddBootSectorNode(&BootSectorHead, 2048);
    BootSectorCount = 1;
    AddDir(4104, 5);                              // 4064 + 8 x 5
    AddDir(4200, (1u << 29) + 17);                // matches 4064 + 8 x c only when the product wraps
    AddDir(10000, 100);
    AddDir(10800, 200);                           // with the one above: 8 sectors per cluster from 9200
    AddDir(12000, 7);                             // fits nothing

    AnalyseFatVolumes();
    EXPECT_EQ(ui.Volumes, std::vector<std::u16string>({u"FAT32 @4064", u"FAT16 @9200"}));
    EXPECT_EQ(VolumeOf(4104), 1);
    EXPECT_EQ(VolumeOf(4200), 0xFFFF);
    EXPECT_EQ(VolumeOf(10000), 2);
    EXPECT_EQ(VolumeOf(10800), 2);
    EXPECT_EQ(VolumeOf(12000), 0xFFFF);
    EXPECT_EQ(VolumeFoundFlag, 1u);
    EXPECT_EQ(RebuiltVolumeFound, 1u);
    ASSERT_NE(VolumeHead, nullptr);
    EXPECT_EQ(+VolumeHead->Kind, FS_KIND_FAT32);
    EXPECT_EQ(+VolumeHead->DataOrigin, 4064u);
    EXPECT_EQ(+VolumeHead->Fat1Start, 2080u);
    EXPECT_EQ(+VolumeHead->Fat2Start, 3080u);
    EXPECT_EQ(+VolumeHead->VolumeEndSector, 10048u);
    VolumeRecord* second = VolumeHead->Next;
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(+second->Kind, FS_KIND_FAT16);
    EXPECT_EQ(+second->SectorsPerCluster, 8u);
    EXPECT_EQ(+second->Root, 0u);
}

// A boot sector that no directory record fits still makes a volume when its FAT lies where it says and its root
// folder reads as directory entries (a volume whose files all lie in its root); otherwise it makes none.
TEST_F(FullScanAnalysis, BootSectorWithFilesOnlyInItsRoot)
{
    // FAT16 at 2048: 1 reserved sector, FATs of 8 sectors, 512 root entries (32 sectors), 4 sectors per cluster.
    std::vector<BYTE> boot(SECTOR_SIZE, 0);
    boot[510] = 0x55, boot[511] = 0xAA;
    std::memcpy(&boot[0x36], "FAT16   ", 8);
    boot[0x0D] = 4;
    Put16(&boot[0x0E], 1);
    boot[0x10] = 2;
    Put16(&boot[0x11], 512);
    Put16(&boot[0x13], 8000);
    boot[0x15] = 0xF8;
    Put16(&boot[0x16], 8);
    std::vector<BYTE> fat(SECTOR_SIZE, 0);
    Put32(&fat[0], 0xFFFFFFF8);
    std::vector<BYTE> root(SECTOR_SIZE, 0);
    auto file = crafted::ShortEntry("README  TXT", 0x20, 2, 100);
    std::copy(file.begin(), file.end(), root.begin());
    auto gone = crafted::ShortEntry("\xE5ONE    DOC", 0x20, 3, 900);
    std::copy(gone.begin(), gone.end(), root.begin() + 32);
    std::vector<BYTE> text(SECTOR_SIZE, 'x');
    std::vector<BYTE> empty(SECTOR_SIZE, 0);
    const struct {
        const char* what;
        const std::vector<BYTE>* fat1;
        const std::vector<BYTE>* fat2;
        const std::vector<BYTE>* root;
        bool volume;
    } cases[] = {
        {"files in the root", &fat, &fat, &root, true},
        {"only the second FAT left", &empty, &fat, &root, true},
        {"no FAT where it says", &empty, &empty, &root, false},
        {"a root of other data", &fat, &fat, &text, false},
        {"an empty root", &fat, &fat, &empty, false},
    };
    for (const auto& c : cases) {
        SetUp();
        CraftedImage image(12000);
        image.Write(2048, boot);
        image.Write(2049, *c.fat1);
        image.Write(2057, *c.fat2);
        image.Write(2065, *c.root);
        AttachedDisks disks({image.Path()});
        VolumeTreeUi ui;
        SetRange(FS_KIND_FAT16, 0, 12000);
        AddBootSectorNode(&BootSectorHead, 2048);
        BootSectorCount = 1;
        AnalyseFatVolumes();
        EXPECT_EQ(ui.Volumes, c.volume ? std::vector<std::u16string>{u"FAT16 @2089"} : std::vector<std::u16string>{})
            << c.what;
        if (c.volume) {
            ASSERT_NE(VolumeHead, nullptr);
            EXPECT_EQ(+VolumeHead->Root, 2065u) << c.what;
            EXPECT_EQ(+VolumeHead->Fat1Start, 2049u) << c.what;
            EXPECT_EQ(+VolumeHead->VolumeEndSector, 10048u) << c.what;
        }
        EXPECT_EQ(VolumeFoundFlag, 1u) << c.what;
    }
}

// Folders without a boot sector pair when their first index blocks agree on one cluster size and data origin:
// each volume is rebuilt once, whatever the order of its folders among others; a folder paired with nothing,
// or whose only partner is a copy of itself, is left for the numbering that follows.
TEST_F(FullScanAnalysis, NtfsVolumesRebuiltFromFolderPairs)
{
    CraftedImage image(20000);
    std::vector<BYTE> indx(SECTOR_SIZE, 0);
    std::memcpy(indx.data(), "INDX", 4);
    struct Folder {
        DWORD record, sector, cluster, block;
        WORD volume; // expected
    } folders[] = {
        {100, 1100, 10, 1080, 1},  // 8 sectors per cluster from 1000
        {200, 5100, 5, 5020, 2},   // 4 sectors per cluster from 5000
        {300, 1200, 7, 3333, 0},   // a block where no volume puts one
        {101, 1102, 20, 1160, 1},
        {400, 6000, 11, 7011, 0},  // paired only with its own copy below
        {400, 6002, 11, 7011, 0},
        {201, 5102, 9, 5036, 2},
        {102, 1104, 30, 1240, 1},
        {500, 9000, 3, 9003, 0},   // with the next: 1 sector per cluster from 9000, where no index lies
        {501, 9002, 4, 9004, 0},
    };
    for (const Folder& f : folders)
        if (f.volume)
            image.Write(f.block, indx);
    AttachedDisks disks({image.Path()});
    RecordingUi ui;
    SetRange(FS_KIND_NTFS, 0, 20000);
    for (const Folder& f : folders) {
        AddFoundFolder(u"dir", f.sector, 5, f.record, 0, 0, 0, 0, 0, f.cluster, 0);
        if (f.record != 400 || f.sector == 6000)
            AppendIndexBlockNode(f.block, f.record, 0, 0xFFFF, 8);
    }
    RebuildNtfsVolumes();
    std::vector<WORD> volumes, expected;
    for (FoundFolderNode* f = FoundFolderHead; f; f = f->Next)
        volumes.push_back(f->VolumeNumber);
    for (const Folder& f : folders)
        expected.push_back(f.volume);
    EXPECT_EQ(volumes, expected);
    std::vector<std::pair<DWORD, DWORD>> rebuilt; // origin, sectors per cluster
    for (VolumeRecord* v = VolumeHead; v; v = v->Next)
        rebuilt.emplace_back(+v->DataOrigin, +v->SectorsPerCluster);
    EXPECT_EQ(rebuilt, (std::vector<std::pair<DWORD, DWORD>>{{1000, 8}, {5000, 4}}));
    EXPECT_EQ(RebuiltVolumeFound, 1u);
}

} // namespace

namespace {

// The multi-volume image with its partition table wiped (and optionally boot sectors), as a full scan meets it.
class FullScanWipedTable : public ::testing::Test {
protected:
    void TearDown() override
    {
        ResetFullScanLists();
        DirSectorRecordCount = 0;
        SectorsPerRead = 60;
    }
    std::string WipedCopy(const testsupport::FixtureImage& img, const std::vector<uint64_t>& alsoZero)
    {
        const std::string path = testsupport::ScratchDir() + "/wiped.img";
        std::filesystem::copy_file(img.path, path, std::filesystem::copy_options::overwrite_existing);
        std::vector<BYTE> zero(SECTOR_SIZE, 0);
        std::fstream f(path, std::ios::binary | std::ios::in | std::ios::out);
        for (uint64_t s : alsoZero) {
            f.seekp(std::streamoff(s * SECTOR_SIZE));
            f.write(reinterpret_cast<const char*>(zero.data()), SECTOR_SIZE);
        }
        f.seekp(0);
        f.write(reinterpret_cast<const char*>(zero.data()), SECTOR_SIZE);
        return path;
    }
    // Expected names of the volumes of one family, by the layout the generator wrote.
    std::multiset<std::u16string> Expected(const testsupport::FixtureImage& img, bool ntfs)
    {
        std::multiset<std::u16string> out;
        for (const auto& v : img.volumes) {
            if ((v.fs == "NTFS") != ntfs)
                continue;
            uint64_t at = v.start;
            if (!ntfs)
                at += uint64_t(v.Extra("data_sector")) - 2 * (v.cluster_bytes / SECTOR_SIZE);
            std::string text = v.fs + " @" + std::to_string(at);
            out.insert(std::u16string(text.begin(), text.end()));
        }
        return out;
    }
    std::multiset<std::u16string> Scan(const std::string& path, WORD kind, uint64_t sectors, VolumeTreeUi& ui)
    {
        AttachedDisks disks({path});
        SetRange(kind, 0, DWORD(sectors));
        PartitionParams.BackupSector = DWORD(sectors);
        RunFullScan();
        EXPECT_EQ(VolumeFoundFlag, 1u);
        EXPECT_EQ(RebuiltVolumeFound, 1u);
        return std::multiset<std::u16string>(ui.Volumes.begin(), ui.Volumes.end());
    }
};

TEST_F(FullScanWipedTable, EveryVolumeFoundByItsBootSector)
{
    DOVEMARK_REQUIRE_FIXTURE(img, "multi");
    const std::string path = WipedCopy(img, {});
    const uint64_t sectors = img.bytes / SECTOR_SIZE;
    {
        VolumeTreeUi ui;
        EXPECT_EQ(Scan(path, FS_KIND_FAT32, sectors, ui), Expected(img, false));
        for (VolumeRecord* r = VolumeHead; r; r = r->Next)
            for (const auto& v : img.volumes)
                if (v.fs != "NTFS" && r->Fat1Start == v.start + uint64_t(v.Extra("reserved"))) {
                    EXPECT_EQ(+r->FatSize, uint64_t(v.Extra("fat_sectors"))) << v.start;
                    EXPECT_EQ(+r->SectorsPerCluster, v.cluster_bytes / SECTOR_SIZE) << v.start;
                    // The file system may leave the partition's last sectors unused.
                    EXPECT_LE(uint64_t(r->VolumeEndSector), v.start + v.sectors) << v.start;
                    EXPECT_GT(uint64_t(r->VolumeEndSector), v.start + v.sectors - 64) << v.start;
                }
    }
    {
        VolumeTreeUi ui;
        EXPECT_EQ(Scan(path, FS_KIND_NTFS, sectors, ui), Expected(img, true));
        for (VolumeRecord* r = VolumeHead; r; r = r->Next)
            for (const auto& v : img.volumes)
                if (v.fs == "NTFS" && r->DataOrigin == v.start) {
                    EXPECT_EQ(uint64_t(r->MftSector),
                              v.start + uint64_t(v.Extra("mft_lcn")) * (v.cluster_bytes / SECTOR_SIZE));
                    EXPECT_EQ(+r->SectorsPerIndexRecord, 8u);
                }
    }
}

TEST_F(FullScanWipedTable, FatVolumeWithoutBootSectorIsRebuiltFromItsFolders)
{
    DOVEMARK_REQUIRE_FIXTURE(img, "multi");
    std::vector<uint64_t> boots;
    for (const auto& v : img.volumes)
        if (v.role == "primary" && v.fs == "FAT32")
            boots.push_back(v.start);
    const std::string path = WipedCopy(img, boots);
    const uint64_t sectors = img.bytes / SECTOR_SIZE;
    {
        VolumeTreeUi ui;
        std::multiset<std::u16string> found = Scan(path, FS_KIND_FAT32, sectors, ui);
        EXPECT_EQ(found, Expected(img, false));
    }
}

} // namespace

namespace {

// An eight-sector index block with its update sequence in place; entries are written at 0x58 on.
std::vector<BYTE> IndexBlock(uint32_t firstEntryField)
{
    std::vector<BYTE> b(4096, 0);
    std::memcpy(b.data(), "INDX", 4);
    Put16(&b[4], 0x28);
    Put16(&b[6], 9);
    Put32(&b[0x18], firstEntryField);
    Put32(&b[0x20], 4096 - 24);
    Put16(&b[0x28], 0x0003);
    return b;
}

void StampSequence(std::vector<BYTE>& b)
{
    for (int s = 1; s <= 8; ++s) {
        std::memcpy(&b[0x28 + 2 * s], &b[s * 512 - 2], 2);
        Put16(&b[s * 512 - 2], 0x0003);
    }
}

TEST_F(FullScanAnalysis, FolderNumbersFromIndexEntriesAndRecordDistances)
{
    CraftedImage image(200);
    std::vector<BYTE> good = IndexBlock(0x40);
    BYTE* e = &good[0x58];
    Put32(e, 77);
    Put16(e + 8, 0x60);
    Put32(e + 0x10, 5);
    crafted::Put64(e + 0x18, 0x01D0000000000001ULL);
    Put16(e + 0x4A, 0x1000);
    e[0x50] = 4;
    const char16_t* name = u"Docs";
    for (int i = 0; i < 4; ++i)
        Put16(e + 0x52 + 2 * i, name[i]);
    // The next entry's length sends the walk to just before the block's end, where a name cannot fit.
    Put16(&good[0xB8 + 8], 4096 - 0xB8 - 0x20);
    good[0xB8 + 0x50] = 1;
    StampSequence(good);
    image.Write(50, good);
    std::vector<BYTE> wild = IndexBlock(0xFFFFFF00); // first entry far outside the block
    StampSequence(wild);
    image.Write(60, wild);
    AttachedDisks disks({image.Path()});
    VolumeTreeUi ui;
    AppendIndexBlockNode(60, 5, 0, 0xFFFF, 8);
    AppendIndexBlockNode(50, 5, 0, 0xFFFF, 8);
    AddFoundFolder(u"Docs", 1000, 5, 0, 0, 1, 0x01D00000, 0, 0, 0, 0);
    AddFoundFolder(u"A", 1006, 5, 0, 0, 9, 9, 0, 0, 0, 0);
    AddFoundFolder(u"B", 1011, 5, 0, 0, 9, 9, 0, 0, 0, 0);

    NumberMftRecords();
    std::vector<DWORD> numbers;
    for (FoundFolderNode* f = FoundFolderHead; f; f = f->Next)
        numbers.push_back(f->RecordNumber);
    EXPECT_EQ(numbers, std::vector<DWORD>({77, 80, 81}));
}

// Writes a folder's index entry at e (creation time 7, the given number, parent and name); returns the next place.
size_t PutFolderEntry(std::vector<BYTE>& block, size_t e, DWORD number, DWORD parent, const std::u16string& name)
{
    const size_t length = (0x52 + 2 * name.size() + 7) & ~size_t(7);
    BYTE* p = &block[e];
    Put32(p, number);
    Put16(p + 8, unsigned(length));
    Put32(p + 0x10, parent);
    crafted::Put64(p + 0x18, 7);
    Put16(p + 0x4A, 0x1000);
    p[0x50] = BYTE(name.size());
    for (size_t i = 0; i < name.size(); ++i)
        Put16(p + 0x52 + 2 * i, name[i]);
    return e + length;
}

// Folders of one copied tree share their creation time: each takes the number of the entry with its own parent and
// name, wherever that entry lies among the others.
TEST_F(FullScanAnalysis, FoldersSharingACreationTimeFindTheirOwnEntries)
{
    constexpr DWORD kFolders = 36;
    std::vector<BYTE> block = IndexBlock(0x40);
    size_t e = 0x58;
    for (DWORD i = kFolders; i-- > 0;)
        e = PutFolderEntry(block, e, 1000 + i, 5 + i % 2, u"F" + std::u16string(1, char16_t(u'A' + i / 2)));
    Put16(&block[e + 0x0C], 2); // the closing entry
    StampSequence(block);
    CraftedImage image(100);
    image.Write(50, block);
    AttachedDisks disks({image.Path()});
    VolumeTreeUi ui;
    AppendIndexBlockNode(50, 5, 0, 0xFFFF, 8);
    // Pairs of folders share a name and differ in parent; all share the creation time.
    for (DWORD i = 0; i < kFolders; ++i)
        AddFoundFolder((u"F" + std::u16string(1, char16_t(u'A' + i / 2))).c_str(), 5000 + 7 * i, 5 + i % 2, 0, 0, 7, 0,
                       0, 0, 0, 0);
    NumberMftRecords();
    DWORD i = 0;
    for (FoundFolderNode* f = FoundFolderHead; f; f = f->Next, ++i)
        EXPECT_EQ(f->RecordNumber, 1000 + i) << i;
    EXPECT_EQ(i, kFolders);
}

// Stops the analysis as the page's Stop button does: at the rebuild's first claim, or when the numbering announces
// its first index block (which it then still reads).
class StopEarly : public VolumeTreeUi {
public:
    explicit StopEarly(bool atBlock) : atBlock_(atBlock) {}
    void SetProgress(UINT percent) override
    {
        VolumeTreeUi::SetProgress(percent);
        if (!atBlock_ && percent > 0)
            RequestScanStop();
    }
    void SetStatusText(EngineStatusField field, const WCHAR* text) override
    {
        VolumeTreeUi::SetStatusText(field, text);
        if (atBlock_ && std::u16string(text).find(u" \\ ") != std::u16string::npos)
            RequestScanStop();
    }

private:
    bool atBlock_;
};

// The long analysis steps answer to Stop: the FAT rebuild leaves the records it did not reach unclaimed, and the
// numbering by index entries leaves later blocks unread.
TEST_F(FullScanAnalysis, StopEndsTheFatRebuildAndTheNumbering)
{
    {
        CraftedImage image(100);
        AttachedDisks disks({image.Path()});
        StopEarly ui(false);
        for (DWORD i = 0; i < 200; ++i)
            AddDir(100000 + 1000 * i, 7); // no two share a layout: every anchor fails and is given up
        AnalyseFatVolumes();
        EXPECT_EQ(RebuiltVolumeFound, 1u);
        EXPECT_EQ(VolumeFoundFlag, 1u);
        DWORD untouched = 0;
        for (DirSectorRecord* r = DirSectorHead; r; r = r->Next)
            untouched += r->VolumeNumber == 0;
        EXPECT_GE(untouched, 190u);
        ScanStopFlag = 0;
    }
    ResetFullScanLists();
    {
        std::vector<BYTE> first = IndexBlock(0x40), second = IndexBlock(0x40);
        Put16(&first[PutFolderEntry(first, 0x58, 300, 5, u"One") + 0x0C], 2);
        Put16(&second[PutFolderEntry(second, 0x58, 400, 5, u"Two") + 0x0C], 2);
        StampSequence(first);
        StampSequence(second);
        CraftedImage image(100);
        image.Write(50, first);
        image.Write(60, second);
        AttachedDisks disks({image.Path()});
        StopEarly ui(true);
        AppendIndexBlockNode(50, 5, 0, 0xFFFF, 8);
        AppendIndexBlockNode(60, 5, 0, 0xFFFF, 8);
        AddFoundFolder(u"One", 5000, 5, 0, 0, 7, 0, 0, 0, 0, 0);
        AddFoundFolder(u"Two", 5010, 5, 0, 0, 7, 0, 0, 0, 0, 0);
        NumberMftRecords();
        ASSERT_NE(FoundFolderHead, nullptr);
        EXPECT_EQ(FoundFolderHead->RecordNumber, 300u);
        EXPECT_EQ(FoundFolderHead->Next->RecordNumber, 305u); // by distance: the second block was not read
        ScanStopFlag = 0;
    }
}

} // namespace

namespace {

// Pauses or stops the sweep from inside the worker at a chosen progress report, as the page's buttons do.
// The mirror's copies of MFT records 0-3: one record per number and volume stays, the one in the MFT where
// the volume knows its MFT, else the first found; other files keep their place.
TEST_F(FullScanAnalysis, MirrorCopiesOfTheFirstRecordsAreListedOnce)
{
    const DWORD known[14] = {0, 8, 0, 0, 0, 1000, 0, 0, 1032, 5000, 0, 8, 9000, 0};
    const DWORD rebuilt[14] = {0, 8, 0, 0, 0, 20000, 0, 0, 0, 0, 0, 8, 30000, 0};
    AddVolumeRecord(&VolumeHead, FS_KIND_NTFS, known);
    AddVolumeRecord(&VolumeHead, FS_KIND_NTFS, rebuilt);
    struct File {
        const char16_t* name;
        DWORD sector;
        DWORD parent;
        bool kept;
    } files[] = {
        {u"$MFTMirr", 5002, 5, false}, // the mirror lies before the MFT here: the copy in the MFT wins anyway
        {u"$MFT", 1032, 5, true},      // record 0 in the MFT
        {u"$MFT", 5000, 5, false},     // ... and its copy in the mirror
        {u"$MFTMirr", 1034, 5, true},
        {u"$LogFile", 5004, 5, true},  // its MFT copy was not found: the mirror's is the one left
        {u"$MFT", 6000, 7, true},      // a name in another folder is an ordinary file
        {u"report.doc", 1100, 5, true},
        {u"$Volume", 21000, 5, true},  // a volume whose MFT place is unknown: the first found stays
        {u"$Volume", 25000, 5, false},
        {u"$Volume", 40000, 5, true},  // in no volume
    };
    for (const File& f : files)
        AddFoundFile(f.name, f.sector, f.parent, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    DropMftMirrorCopies();
    std::vector<DWORD> left, expected;
    for (FoundItemNode* n = FoundItemHead; n; n = n->Next)
        left.push_back(n->RecordSector);
    for (const File& f : files)
        if (f.kept)
            expected.push_back(f.sector);
    EXPECT_EQ(left, expected);
    EXPECT_EQ(FoundItemCount, DWORD(expected.size()));
    ASSERT_NE(FoundItemTail, nullptr);
    EXPECT_EQ(+FoundItemTail->RecordSector, 40000u);
    AddFoundFile(u"after", 1200, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0); // the list's tail still links
    EXPECT_EQ(+FoundItemTail->RecordSector, 1200u);
}

class SteeringUi : public VolumeTreeUi {
public:
    enum class Act { Pause, Stop } act = Act::Pause;
    int actAt = 1; // the progress report that triggers it
    std::atomic<int> reports{0};
    std::atomic<bool> acted{false};
    std::vector<bool> stopButton;

    void SetProgress(UINT percent) override
    {
        VolumeTreeUi::SetProgress(percent);
        if (++reports == actAt && !acted) {
            if (act == Act::Pause)
                RequestScanPause(true);
            else
                RequestScanStop();
            acted = true;
        }
    }
    void ShowStopButton(bool shown) override { stopButton.push_back(shown); }
};

class FullScanSteering : public FullScanWipedTable {
protected:
    void TearDown() override
    {
        // A failed expectation must not leave the worker waiting on a pause.
        RequestScanPause(false);
        WaitWorkerFinished(120000);
        FullScanWipedTable::TearDown();
    }
    void Start(const testsupport::FixtureImage& img, WORD kind)
    {
        SetRange(kind, 0, DWORD(img.bytes / SECTOR_SIZE));
        PartitionParams.BackupSector = PartitionParams.SectorCount;
        StartFullScan();
    }
};

// A paused sweep reads nothing until it is resumed, and then ends with every volume.
TEST_F(FullScanSteering, PauseHoldsTheSweepAndResumeFinishesIt)
{
    DOVEMARK_REQUIRE_FIXTURE(img, "multi");
    const std::string path = WipedCopy(img, {});
    AttachedDisks disks({path});
    SteeringUi ui;
    ui.actAt = 2;
    Start(img, FS_KIND_NTFS);
    for (int i = 0; i < 2000 && !ui.acted; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(ui.acted);
    const int held = ui.reports;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(ui.reports, held);
    EXPECT_FALSE(IsWorkerFinished());
    RequestScanPause(false);
    ASSERT_TRUE(WaitWorkerFinished(120000));
    EXPECT_FALSE(WorkerFailed());
    EXPECT_EQ(std::multiset<std::u16string>(ui.Volumes.begin(), ui.Volumes.end()), Expected(img, true));
    // The rebuild step offers Stop while it runs.
    EXPECT_EQ(ui.stopButton, std::vector<bool>({true, false}));
}

// A stop ends the sweep where it was; the analysis still runs over what was collected, and the lists agree with
// their counts.
TEST_F(FullScanSteering, StopKeepsWhatTheSweepCollected)
{
    DOVEMARK_REQUIRE_FIXTURE(img, "multi");
    const std::string path = WipedCopy(img, {});
    AttachedDisks disks({path});
    SteeringUi ui;
    ui.act = SteeringUi::Act::Stop;
    ui.actAt = 2; // after the first 88 runs
    Start(img, FS_KIND_FAT32);
    ASSERT_TRUE(WaitWorkerFinished(120000));
    EXPECT_FALSE(WorkerFailed());
    EXPECT_EQ(ScanRunning, 0);
    EXPECT_EQ(VolumeFoundFlag, 1u);
    EXPECT_EQ(RebuiltVolumeFound, 1u);
    const DWORD reach = 2 * 88 * 60;
    const std::vector<DWORD> dirs = DirSectors();
    EXPECT_EQ(dirs.size(), size_t(DirSectorRecordCount));
    EXPECT_FALSE(dirs.empty());
    for (DWORD s : dirs)
        EXPECT_LT(s, reach);
    EXPECT_EQ(BootSectors().size(), size_t(BootSectorCount));
    // Only the first volume lies inside what was swept.
    ASSERT_EQ(ui.Volumes.size(), 1u);
    EXPECT_EQ(ui.Volumes[0].substr(0, 7), u"FAT16 @");
    EXPECT_LT(ui.Volumes.size(), Expected(img, false).size());
}

} // namespace
