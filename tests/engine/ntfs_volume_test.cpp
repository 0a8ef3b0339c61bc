// NTFS on a crafted image: boot check, the MFT run table, and the full scan's record and index-block builders.
#include "engine/ntfs_record.h"
#include "engine/ntfs_runs.h"
#include "engine/fat_boot.h"
#include "attached_disk.h"
#include "crafted.h"

#include <gtest/gtest.h>

namespace {
using namespace crafted;

std::vector<BYTE> NtfsBoot(BYTE spc, uint64_t mftCluster, uint64_t mirrorCluster)
{
    std::vector<BYTE> s(512, 0);
    std::memcpy(&s[3], "NTFS    ", 8);
    Put16(&s[0x0B], 512);
    s[0x0D] = spc;
    Put64(&s[0x30], mftCluster);
    Put64(&s[0x38], mirrorCluster);
    s[0x44] = 0xF6; // 1024-byte index records
    s[510] = 0x55, s[511] = 0xAA;
    return s;
}

std::vector<BYTE> BareRecord()
{
    MftRecord r;
    return r.Finish();
}

// Record 0 of a crafted MFT: its $DATA run list crosses the first sector's last two bytes, which on
// disk hold the update sequence number instead of the list's bytes.
std::vector<BYTE> MftRecordZero()
{
    MftRecord r;
    r.Resident(0x10, std::vector<BYTE>(360, 0));
    BYTE* data = r.NonResident(ATTR_DATA, {0x11, 0x04, 0x04, 0x21, 0x02, 0x10, 0x00, 0x00}, 6 * 4096);
    EXPECT_EQ(data - r.b.data() + 0x40, 504);
    return r.Finish();
}

class NtfsVolumeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        image_.Write(0, NtfsBoot(8, 4, 2));
        image_.Write(4095, NtfsBoot(8, 4, 2));
        image_.Write(32, MftRecordZero());
        image_.Write(42, BareRecord()); // record 5, the root folder
        image_.Write(16, BareRecord()); // the mirror
        disks_ = std::make_unique<AttachedDisks>(std::vector<std::string>{image_.Path()});
        PartitionParams = {};
        PartitionParams.PartitionFsType = FS_KIND_NTFS;
        PartitionParams.StartSector = 0;
        PartitionParams.SectorCount = 4096;
        PartitionParams.BackupSector = 4095;
        ResetFullScanLists();
    }
    void TearDown() override
    {
        ResetFullScanLists();
        disks_.reset();
    }
    CraftedImage image_{4096};
    std::unique_ptr<AttachedDisks> disks_;
};

TEST_F(NtfsVolumeTest, BootCheckFindsTheMftAndFallsBackToTheBackup)
{
    ASSERT_EQ(ReadBootParameters(), 1);
    EXPECT_EQ(+PartitionParams.FsType, FS_KIND_NTFS);
    EXPECT_EQ(+PartitionParams.SectorsPerCluster, 8u);
    EXPECT_EQ(+PartitionParams.MftSector, 32u);
    EXPECT_EQ(+PartitionParams.MftMirrorSector, 16u);
    EXPECT_EQ(+PartitionParams.SectorsPerMftRecord, 2u);
    EXPECT_EQ(+PartitionParams.SectorsPerIndexRecord, 2u);

    image_.Write(0, std::vector<BYTE>(512, 0));
    PartitionParams.MftSector = 0;
    ASSERT_EQ(ReadBootParameters(), 1);
    EXPECT_EQ(+PartitionParams.MftSector, 32u);

    image_.Write(4095, NtfsBoot(3, 4, 2)); // backup with an impossible cluster size
    EXPECT_EQ(ReadBootParameters(), 0);
}

TEST_F(NtfsVolumeTest, RunTableDecodesRecordZeroWithItsFixupsApplied)
{
    ASSERT_EQ(BuildMftRunTable(0, SelectedDevicePath(), 32, 8), 2u);
    EXPECT_EQ(MftRuns.Lengths, (std::vector<DWORD>{32, 16}));
    EXPECT_EQ(MftRuns.Starts, (std::vector<DWORD>{32, 160}));
    struct Case {
        DWORD record;
        int found;
        DWORD sector;
    } cases[] = {{0, 1, 32}, {15, 1, 62}, {16, 1, 160}, {23, 1, 174}, {24, 0, 0}};
    for (const Case& c : cases) {
        DWORD sector = 0;
        EXPECT_EQ(MftRecordToSector(c.record, &sector), c.found) << c.record;
        if (c.found) {
            EXPECT_EQ(sector, c.sector) << c.record;
        }
    }

    image_.Write(42, std::vector<BYTE>(1024, 0)); // no root folder record: not an MFT
    EXPECT_EQ(BuildMftRunTable(0, SelectedDevicePath(), 32, 8), 0u);
}

std::vector<BYTE> NamedRecord(WORD flags, const std::u16string& name, uint32_t parent, bool extension = false)
{
    MftRecord r(flags);
    if (extension)
        Put32(&r.b[0x20], 40);
    r.Resident(ATTR_FILE_NAME, FileNameValue(name, parent, 0));
    if (!(flags & 2))
        r.Resident(ATTR_DATA, std::vector<BYTE>(10, 'x'));
    return r.Finish();
}

std::vector<BYTE> FolderRecord(WORD flags, const std::u16string& name, uint32_t self, uint32_t allocCluster)
{
    MftRecord r(flags);
    r.Resident(ATTR_FILE_NAME, FileNameValue(name, 5, 1));
    // Index root: 16-byte root header, node header, then one entry whose key names this folder as parent.
    auto key = FileNameValue(u"child.txt", self, 1);
    std::vector<BYTE> root(0x20 + 0x10 + key.size(), 0);
    Put32(&root[0x10], 0x10); // entries start right after the node header
    Put16(&root[0x20 + 8], unsigned(0x10 + key.size()));
    Put16(&root[0x20 + 0x0A], unsigned(key.size()));
    std::memcpy(&root[0x30], key.data(), key.size());
    r.Resident(ATTR_INDEX_ROOT, root, u"$I30");
    r.NonResident(ATTR_INDEX_ALLOCATION, {0x21, 0x01, BYTE(allocCluster), BYTE(allocCluster >> 8), 0x00}, 4096, u"$I30");
    return r.Finish();
}

TEST_F(NtfsVolumeTest, FoundRecordsBecomeFilesAndFolders)
{
    image_.Write(200, FolderRecord(2, u"old dir", 77, 300));
    image_.Write(202, NamedRecord(0, u"gone.txt", 77));
    image_.Write(204, FolderRecord(3, u".", 5, 0));
    image_.Write(206, NamedRecord(1, u"piece", 77, /*extension=*/true));
    image_.Write(208, NamedRecord(4, u"odd flags", 77));
    for (DWORD s : {200u, 202u, 204u, 206u, 208u})
        AddMftRecordEntry(s);

    ASSERT_EQ(FoundFolderNodeCount, 2u);
    FoundFolderNode* old = FoundFolderHead;
    EXPECT_EQ(std::u16string(old->Name), u"old dir");
    EXPECT_EQ(+old->Deleted, 1u);
    EXPECT_EQ(+old->RecordNumber, 77u);
    EXPECT_EQ(+old->IndexAllocCluster, 300u);
    EXPECT_EQ(+old->RecordSector, 200u);
    EXPECT_EQ(+old->Next->RecordNumber, 5u);
    EXPECT_EQ(+old->Next->Deleted, 0u);

    ASSERT_EQ(FoundItemCount, 1u);
    EXPECT_EQ(std::u16string(FoundItemHead->Name), u"gone.txt");
    EXPECT_EQ(+FoundItemHead->Deleted, 1u);
    EXPECT_EQ(+FoundItemHead->SizeLow, 10u);
    EXPECT_EQ(+FoundItemHead->ParentRef, 77u);
}

std::vector<BYTE> IndexBlock(DWORD allocated, DWORD entriesOffset, DWORD owner)
{
    std::vector<BYTE> b(4096, 0);
    std::memcpy(b.data(), "INDX", 4);
    Put16(&b[4], 0x28);
    Put16(&b[6], 9);
    Put16(&b[0x28], 0x0003);
    Put32(&b[0x10], 7); // VCN
    Put32(&b[0x18], entriesOffset);
    Put32(&b[0x20], allocated);
    auto key = FileNameValue(u"entry", owner, 1);
    const size_t entry = 0x18 + entriesOffset;
    if (entry + 0x10 + key.size() <= b.size())
        std::memcpy(&b[entry + 0x10], key.data(), key.size());
    for (int s = 1; s <= 8; ++s) {
        std::memcpy(&b[0x28 + 2 * s], &b[s * 512 - 2], 2);
        Put16(&b[s * 512 - 2], 0x0003);
    }
    return b;
}

TEST_F(NtfsVolumeTest, IndexBlocksAreRecordedOnlyWhenWholeAndOwned)
{
    struct Case {
        const char* what;
        DWORD allocated, entriesOffset, owner;
        bool added;
    } cases[] = {
        {"a folder's block", 4096 - 24, 0x28, 77, true},
        {"larger than 64 KiB", 65536, 0x28, 77, false},
        {"entries outside the block", 4096 - 24, 0x2000, 77, false},
        {"owned by a system record", 4096 - 24, 0x28, 3, false},
    };
    for (const Case& c : cases) {
        ResetFullScanLists();
        auto block = IndexBlock(c.allocated, c.entriesOffset, c.owner);
        image_.Write(600, block);
        EXPECT_EQ(AddIndexBlockEntry(600, block.data()), c.added ? 1 : 0) << c.what;
        EXPECT_EQ(IndexBlockCount, c.added ? 1u : 0u) << c.what;
        if (c.added) {
            EXPECT_EQ(+IndexBlockHead->OwnerRecord, 77u);
            EXPECT_EQ(+IndexBlockHead->Vcn, 7u);
            EXPECT_EQ(+IndexBlockHead->SectorCount, 8);
            EXPECT_EQ(+IndexBlockHead->Marker, 0xFFFF);
        }
    }
}

} // namespace
