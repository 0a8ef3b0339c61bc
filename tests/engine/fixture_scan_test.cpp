// The engine's FAT and NTFS readers on generated disk images, checked against the generator's manifest.
#include "engine/fat_boot.h"
#include "engine/fat_chain.h"
#include "engine/fat_directory.h"
#include "engine/ntfs_record.h"
#include "engine/ntfs_runs.h"
#include "attached_disk.h"
#include "scan_results.h"
#include "support/fixture_images.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

namespace {
using testsupport::FixtureEntry;
using testsupport::FixtureImage;

WORD KindOf(const std::string& fs)
{
    return fs == "FAT16" ? FS_KIND_FAT16 : fs == "FAT32" ? FS_KIND_FAT32 : FS_KIND_NTFS;
}

void SelectVolume(const testsupport::FixtureVolume& v)
{
    PartitionParams = {};
    PartitionParams.PartitionFsType = KindOf(v.fs);
    PartitionParams.StartSector = DWORD(v.start);
    PartitionParams.SectorCount = DWORD(v.sectors);
    PartitionParams.BackupSector = DWORD(v.start + v.sectors - 1);
}

// Reads one folder's chain the way the quick scan walks a FAT volume.
void ParseFolderChain(DWORD firstCluster, DWORD parentId, DWORD deleted, bool isRoot)
{
    FollowFatChainShort(firstCluster);
    std::vector<DWORD> clusters;
    for (ClusterNode* n = ClusterChainHead; n; n = n->Next)
        clusters.push_back(n->Value);
    FatDirWalk walk;
    int end = 0;
    std::vector<BYTE> sector(SECTOR_SIZE);
    bool first = true;
    for (DWORD c : clusters) {
        for (DWORD i = 0; i < PartitionParams.SectorsPerCluster && !end; ++i) {
            const ULONGLONG s = PartitionParams.DataOrigin + ULONGLONG(c) * PartitionParams.SectorsPerCluster + i;
            if (ReadSectors(SelectedDevicePath(), s, 1, sector.data()) != 1)
                return;
            if (first && !isRoot && (sector[0] != '.' || sector[32] != '.' || sector[33] != '.'))
                return;
            ParseFatDirectory(sector.data(), parentId, &end, DWORD(s), deleted, first && !isRoot ? 2 : 0, &walk);
            first = false;
        }
    }
}

void WalkFatVolume()
{
    FreeScanResultLists();
    if (PartitionParams.FsType == FS_KIND_FAT32) {
        ParseFolderChain(PartitionParams.Root, 0, 0, true);
    } else {
        FatDirWalk walk;
        int end = 0;
        std::vector<BYTE> sector(SECTOR_SIZE);
        for (DWORD i = 0; i < PartitionParams.RootDirSectors && !end; ++i) {
            ASSERT_EQ(ReadSectors(SelectedDevicePath(), PartitionParams.Root + i, 1, sector.data()), 1);
            ParseFatDirectory(sector.data(), 0, &end, PartitionParams.Root + i, 0, 0, &walk);
        }
    }
    for (FatFolderRecord* f = FatFolderHead; f; f = f->Next)
        ParseFolderChain(f->FirstCluster, f->FirstCluster, f->Deleted, false);
}

struct FoundFat {
    std::u16string name;
    DWORD parent;
    DWORD size;
    DWORD deleted;
    bool dir;
    WORD writeDate;
    WORD accessDate;
};

// A FAT date as the manifest writes it, "YYYY-MM-DD".
std::string FatDateText(WORD d)
{
    char text[16];
    std::snprintf(text, sizeof(text), "%04u-%02u-%02u", 1980u + (d >> 9), (d >> 5) & 15u, d & 31u);
    return text;
}

class FatFixtureTest : public ::testing::TestWithParam<const char*> {};

TEST_P(FatFixtureTest, BootLayoutAndDirectoryTreeMatchTheManifest)
{
    DOVEMARK_REQUIRE_FIXTURE(img, GetParam());
    AttachedDisks disks({img.path});
    const auto& vol = img.volumes.at(0);
    SelectVolume(vol);
    ASSERT_EQ(ReadBootParameters(), 1);
    EXPECT_EQ(+PartitionParams.ReservedSectors, DWORD(vol.Extra("reserved")));
    EXPECT_EQ(+PartitionParams.FatSize, DWORD(vol.Extra("fat_sectors")));
    EXPECT_EQ(+PartitionParams.SectorsPerCluster * SECTOR_SIZE, vol.cluster_bytes);
    EXPECT_EQ(+PartitionParams.DataOrigin + 2 * PartitionParams.SectorsPerCluster, vol.start + vol.Extra("data_sector"));

    WalkFatVolume();
    std::multimap<DWORD, FoundFat> found; // by first cluster
    for (FatFolderRecord* f = FatFolderHead; f; f = f->Next)
        found.insert({f->FirstCluster, {f->Name, f->ParentId, 0, f->Deleted, true, f->WriteDate, f->AccessDate}});
    for (FatEntryRecord* f = FatFileHead; f; f = f->Next)
        found.insert({f->StartCluster, {f->Name, f->ParentId, f->Size, f->Deleted, false, f->WriteDate, f->AccessDate}});

    int checked = 0, deletedChecked = 0, emptyChecked = 0;
    // The generator's common set holds a live empty file in the root.
    const int emptyExpected = img.Find(0, "empty.txt") ? 1 : 0;
    for (const FixtureEntry* e : img.EntriesOf(0)) {
        // An empty file owns no cluster: it is found under cluster 0.
        const bool emptyFile = !e->is_dir && e->size == 0;
        if ((e->first_cluster < 2 && !emptyFile) || e->Has("cyclic") || e->Has("badname"))
            continue;
        const DWORD cluster = e->first_cluster < 2 ? 0 : DWORD(e->first_cluster);
        const FixtureEntry* parent = e->Parent().empty() ? nullptr : img.Find(0, e->Parent());
        const DWORD parentId = parent ? DWORD(parent->first_cluster) : 0;
        // Entries of a deleted folder are only reachable while the folder's first cluster holds them.
        if (parent && parent->deleted)
            continue;
        // An 8.3-only name takes its case from the entry's case bits, as the manifest writes it.
        const std::u16string expected = scanresults::EngineName(*e, false);
        const FoundFat* match = nullptr;
        auto range = found.equal_range(cluster);
        for (auto it = range.first; it != range.second; ++it)
            if (it->second.parent == parentId && it->second.name == expected)
                match = &it->second;
        ASSERT_NE(match, nullptr) << e->path;
        EXPECT_EQ(match->dir, e->is_dir) << e->path;
        EXPECT_EQ(match->deleted, e->deleted ? 1u : 0u) << e->path;
        if (!e->is_dir) {
            EXPECT_EQ(match->size, e->size) << e->path;
        }
        if (!e->modified.empty()) {
            EXPECT_EQ(FatDateText(match->writeDate), e->modified.substr(0, 10)) << e->path;
        }
        if (!e->accessed.empty()) {
            EXPECT_EQ(FatDateText(match->accessDate), e->accessed.substr(0, 10)) << e->path;
        }
        ++checked;
        deletedChecked += e->deleted;
        emptyChecked += emptyFile;
    }
    EXPECT_GT(checked, 5);
    EXPECT_GT(deletedChecked, 0);
    EXPECT_GE(emptyChecked, emptyExpected);
}

INSTANTIATE_TEST_SUITE_P(Images, FatFixtureTest, ::testing::Values("fat16_16m", "fat16_64m", "fat32", "bigdir", "damaged_fat"));

TEST(FatFixtureVolumeTest, ALogicalVolumeReadsThroughItsOwnHandle)
{
    DOVEMARK_REQUIRE_FIXTURE(img, "fat32");
    AttachedDisks disks({img.path});
    LogicalDriveTable = {};
    LogicalDriveTable.Count = 1;
    std::memcpy(LogicalDriveTable.RootText[0], u"C:\\", 8);
    DriveKind = 2;
    ReopenVolume(0);
    ASSERT_NE(VolumeHandle, INVALID_HANDLE_VALUE);
    PartitionParams = {};
    PartitionParams.PartitionFsType = FS_KIND_FAT32;
    PartitionParams.StartSector = 12345; // a volume starts at its own sector 0
    EXPECT_EQ(ReadBootParameters(), 1);
    EXPECT_EQ(+PartitionParams.StartSector, 0u);
    EXPECT_EQ(+PartitionParams.Fat1Start, DWORD(img.volumes[0].Extra("reserved")));

    // Volume reads retry sector by sector too: one bad sector costs that sector, not the run.
    std::vector<BYTE> whole(60 * SECTOR_SIZE), marked(60 * SECTOR_SIZE, 0xCC);
    ASSERT_EQ(ReadSectors(SelectedDevicePath(), 0, 60, whole.data()), 1);
    dovemark::device_hooks::SetUnreadableSectors(img.path, {img.volumes[0].start + 5});
    SectorReadOutcome outcome;
    EXPECT_EQ(ReadSectors(SelectedDevicePath(), 0, 60, marked.data(), &outcome), 0);
    EXPECT_EQ(outcome.UnreadCount, 1u);
    EXPECT_TRUE(outcome.IsUnread(5));
    std::fill(whole.begin() + 5 * SECTOR_SIZE, whole.begin() + 6 * SECTOR_SIZE, 0);
    EXPECT_EQ(marked, whole);
    CloseHandle(VolumeHandle);
    VolumeHandle = nullptr;
    DriveKind = 1;
}

class NtfsFixtureTest : public ::testing::TestWithParam<const char*> {};

TEST_P(NtfsFixtureTest, RecordsNamesSizesAndExtentsMatchTheManifest)
{
    DOVEMARK_REQUIRE_FIXTURE(img, GetParam());
    AttachedDisks disks({img.path});
    int index = -1;
    for (const auto& v : img.volumes)
        if (v.fs == "NTFS" && index < 0)
            index = v.index;
    ASSERT_GE(index, 0);
    const auto& vol = img.volumes.at(index);
    SelectVolume(vol);
    ASSERT_EQ(ReadBootParameters(), 1);
    const DWORD spc = PartitionParams.SectorsPerCluster;
    EXPECT_EQ(spc * SECTOR_SIZE, vol.cluster_bytes);
    EXPECT_EQ(+PartitionParams.MftSector, vol.start + ULONGLONG(vol.Extra("mft_lcn")) * spc);
    ASSERT_GT(BuildMftRunTable(DWORD(vol.start), SelectedDevicePath(), PartitionParams.MftSector, spc), 0u);

    ResetFullScanLists();
    int checked = 0;
    for (const FixtureEntry* e : img.EntriesOf(index)) {
        if (e->mft_record < 0 || e->Has("truncated") || e->Has("destroyed") || e->Has("formatted"))
            continue;
        DWORD sector = 0;
        ASSERT_EQ(MftRecordToSector(DWORD(e->mft_record), &sector), 1) << e->path;
        BYTE record[kMftRecordSize];
        ASSERT_TRUE(ReadMftRecord(sector, record)) << e->path;
        WCHAR name[kNtfsNameChars];
        DWORD parent = 0;
        ULONGLONG created = 0, modified = 0;
        ASSERT_EQ(GetBestFileName(record, name, &parent, &created, &modified), 1) << e->path;
        EXPECT_EQ(std::u16string(name), e->Name16()) << e->path;
        const FixtureEntry* up = e->Parent().empty() ? nullptr : img.Find(index, e->Parent());
        if (!e->Has("orphan")) {
            EXPECT_EQ(parent, up ? DWORD(up->mft_record) : 5u) << e->path;
        }
        // The record's own $FILE_NAME carries the creation time in its time fields.
        EXPECT_EQ(created, testsupport::FixtureTimeToFileTime(e->created)) << e->path;
        EXPECT_EQ(modified, testsupport::FixtureTimeToFileTime(e->created)) << e->path;
        const WORD flags = WORD(record[0x16] | (record[0x17] << 8));
        EXPECT_EQ((flags & 1) == 0, e->deleted) << e->path;
        EXPECT_EQ((flags & 2) != 0, e->is_dir) << e->path;
        if (!e->is_dir && !e->Has("attrlist")) {
            ULONGLONG size = 0;
            ASSERT_EQ(GetDataAttrSize(0, &size, record, 0), 1) << e->path;
            EXPECT_EQ(size, e->size) << e->path;
            DWORD at = 0;
            if (FindDataAttr(record, &at) == 2 && !e->Has("compressed") && !e->Has("pastdisk")) {
                EXPECT_EQ(GetFileExtents(kMftRecordSize, record, at), 1) << e->path;
                std::vector<testsupport::FixtureRun> runs;
                for (ExtentNode* x = ExtentHead; x; x = x->Next)
                    runs.push_back({x->Start == EXTENT_SPARSE ? -1 : int64_t(x->Start), int64_t(x->Length)});
                ASSERT_EQ(runs.size(), e->runs.size()) << e->path;
                for (size_t i = 0; i < runs.size(); ++i) {
                    EXPECT_EQ(runs[i].start, e->runs[i].start) << e->path << " run " << i;
                    EXPECT_EQ(runs[i].count, e->runs[i].count) << e->path << " run " << i;
                }
            }
        }
        AddMftRecordEntry(sector);
        ++checked;
    }
    EXPECT_GT(checked, 5);
    // The full scan's builder lists each of them under its name, deleted ones marked.
    std::map<std::u16string, DWORD> listed;
    for (FoundItemNode* f = FoundItemHead; f; f = f->Next)
        listed[f->Name] = f->Deleted;
    for (FoundFolderNode* f = FoundFolderHead; f; f = f->Next)
        listed[f->Name] = f->Deleted;
    for (const FixtureEntry* e : img.EntriesOf(index))
        if (e->mft_record >= 0 && !e->Has("truncated") && !e->Has("destroyed") && !e->Has("formatted")) {
            EXPECT_EQ(listed.count(e->Name16()), 1u) << e->path;
        }
    ResetFullScanLists();
    FreeExtents();
}

TEST(MultiVolumeFixtureTest, EveryPrimaryAndLogicalVolumeIsRecognisedWithItsLayout)
{
    DOVEMARK_REQUIRE_FIXTURE(img, "multi");
    AttachedDisks disks({img.path});
    ASSERT_GE(img.volumes.size(), 5u);
    for (const auto& v : img.volumes) {
        SelectVolume(v);
        ASSERT_EQ(ReadBootParameters(), 1) << v.index << " " << v.fs;
        EXPECT_EQ(+PartitionParams.SectorsPerCluster * SECTOR_SIZE, v.cluster_bytes) << v.index;
        if (v.fs == "NTFS") {
            EXPECT_EQ(+PartitionParams.MftSector, DWORD(v.start + v.Extra("mft_lcn") * PartitionParams.SectorsPerCluster));
        } else {
            EXPECT_EQ(+PartitionParams.Fat1Start, v.start + v.Extra("reserved")) << v.index;
            EXPECT_EQ(+PartitionParams.FatSize, DWORD(v.Extra("fat_sectors"))) << v.index;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Images, NtfsFixtureTest, ::testing::Values("ntfs", "damaged_ntfs"));

} // namespace
