// The partition table reader and the lost-partition search on generated and crafted disks.
#include "engine/drive_identify.h"
#include "engine/partition_table.h"
#include "engine/scan_control.h"
#include "attached_disk.h"
#include "crafted.h"
#include "support/fixture_images.h"

#include <gtest/gtest.h>

#include <map>

namespace {
using crafted::Put32;

WORD KindOf(const std::string& fs)
{
    return fs == "FAT16" ? FS_KIND_FAT16 : fs == "FAT32" ? FS_KIND_FAT32 : FS_KIND_NTFS;
}

std::map<DWORD, WORD> TableByStart()
{
    std::map<DWORD, WORD> m;
    for (DWORD i = 0; i < PartitionCount; ++i)
        {
        const DWORD start = FoundPartitionTable[i].StartSector;
        m[start] = FoundPartitionTable[i].Kind;
    }
    return m;
}

class DriveItems : public RecordingUi {
public:
    std::vector<std::pair<std::u16string, DWORD>> Items;
    std::vector<size_t> ExpandedAt; // items listed when the tree's root was expanded
    bool SearchAnswer = false;
    void AddDriveItem(const WCHAR* text, DWORD index) override { Items.emplace_back(text, index); }
    void ExpandDriveRoot() override { ExpandedAt.push_back(Items.size()); }
    bool AskPartitionSearch() override { return SearchAnswer; }
};

TEST(PartitionTable, ListsPrimariesAndLogicalsOfTheManifest)
{
    DOVEMARK_REQUIRE_FIXTURE(image, "multi");
    AttachedDisks disks({image.path});
    ReadPartitionTable(0);
    std::map<DWORD, WORD> expected;
    for (const auto& v : image.volumes)
        expected[DWORD(v.start)] = KindOf(v.fs);
    EXPECT_EQ(TableByStart(), expected);
    for (DWORD i = 0; i < PartitionCount; ++i) {
        for (const auto& v : image.volumes) {
            if (v.start == FoundPartitionTable[i].StartSector) {
                EXPECT_EQ(DWORD(FoundPartitionTable[i].SectorCount), v.sectors) << v.index;
            }
        }
    }
}

TEST(PartitionTable, SearchFindsTheZeroedEntryOnceAndLabelsByIndex)
{
    DOVEMARK_REQUIRE_FIXTURE(image, "lost");
    AttachedDisks disks({image.path});
    IdentifyDrives();
    ReadPartitionTable(0);
    const DWORD listed = PartitionCount;
    const testsupport::FixtureVolume* lost = nullptr;
    for (const auto& v : image.volumes)
        if (v.role == "lost")
            lost = &v;
    ASSERT_NE(lost, nullptr);
    ASSERT_EQ(listed, image.volumes.size() - 1);

    DriveItems ui;
    ui.SearchAnswer = true;
    ScanStopFlag = 0;
    SearchLostPartitions();
    ASSERT_EQ(PartitionCount, listed + 1);
    const FoundPartitionEntry& found = FoundPartitionTable[listed];
    EXPECT_EQ(DWORD(found.StartSector), lost->start);
    // The size comes from the boot sector, which may leave the partition's last sectors unused.
    EXPECT_GT(DWORD(found.SectorCount), lost->sectors - 2048);
    EXPECT_LE(DWORD(found.SectorCount), lost->sectors);
    EXPECT_EQ(WORD(found.Kind), KindOf(lost->fs));
    ASSERT_EQ(ui.Items.size(), size_t(PartitionCount));
    for (DWORD i = 0; i < PartitionCount; ++i)
        EXPECT_EQ(ui.Items[i], std::make_pair(u"Partition " + std::u16string(1, char16_t(u'0' + i)), i));
    // The root opens on the listed entries, and again once the search added its own.
    EXPECT_EQ(ui.ExpandedAt, std::vector<size_t>({listed, PartitionCount}));

    // Choosing the found entry makes it the partition under analysis, its last sector the end of the range.
    PartitionParams = {};
    PartitionInfoValues values{};
    ASSERT_TRUE(SelectPartitionEntry(int(listed), &values));
    EXPECT_EQ(+values.Kind, KindOf(lost->fs));
    EXPECT_EQ(values.Start, DWORD(lost->start));
    EXPECT_EQ(values.End, DWORD(found.StartSector + found.SectorCount - 1));
    EXPECT_EQ(values.SizeMiB, DWORD(found.SectorCount / 2048));
    EXPECT_EQ(+PartitionParams.PartitionFsType, KindOf(lost->fs));
    EXPECT_EQ(+PartitionParams.StartSector, values.Start);
    EXPECT_EQ(+PartitionParams.SectorCount, DWORD(found.SectorCount));
    EXPECT_EQ(+PartitionParams.BackupSector, values.End);
    EXPECT_EQ(+PartitionParams.LogicalDriveIndex, WORD(listed));
    EXPECT_FALSE(SelectPartitionEntry(-1, &values));
    EXPECT_FALSE(SelectPartitionEntry(int(PartitionCount), &values));
}

TEST(PartitionTable, KeepingTheTableReadsNothing)
{
    DOVEMARK_REQUIRE_FIXTURE(image, "lost");
    AttachedDisks disks({image.path});
    IdentifyDrives();
    ReadPartitionTable(0);
    const DWORD listed = PartitionCount;
    DriveItems ui; // answers "keep"
    ScanStopFlag = 0;
    SearchLostPartitions();
    EXPECT_EQ(PartitionCount, listed);
}

// A small FAT16 boot sector whose size only the 16-bit field holds.
std::vector<BYTE> SmallFat16Boot(WORD sectors)
{
    std::vector<BYTE> b(SECTOR_SIZE, 0);
    crafted::Put16(&b[0x13], sectors);
    std::memcpy(&b[0x36], "FAT16   ", 8);
    b[510] = 0x55;
    b[511] = 0xAA;
    return b;
}

TEST(PartitionTable, SmallFat16TakesItsSizeFromTheShortField)
{
    DWORD count = 0;
    EXPECT_EQ(ProbeBootSector(SmallFat16Boot(32768).data(), &count), FS_KIND_FAT16);
    EXPECT_EQ(count, 32768u);
}

void PutEntry(std::vector<BYTE>& record, int slot, BYTE type, DWORD first, DWORD count)
{
    BYTE* e = &record[0x1BE + 16 * slot];
    e[4] = type;
    Put32(e + 8, first);
    Put32(e + 12, count);
    record[510] = 0x55;
    record[511] = 0xAA;
}

// Extended chains that loop, leave the extended partition or lack 55 AA end; entries before stay.
TEST(PartitionTable, DamagedExtendedChainsEnd)
{
    struct Case {
        const char* what;
        DWORD linkOfSecond; // where the second EBR links (relative to the extended base)
        bool secondSigned;
        DWORD expectedEntries;
    };
    const Case cases[] = {
        {"links to itself", 100, true, 3},
        {"links back to the first", 0, true, 3},
        {"links outside the extended partition", 5000, true, 3},
        {"second record lacks 55 AA", 200, false, 2},
    };
    for (const Case& c : cases) {
        CraftedImage disk(8192);
        std::vector<BYTE> mbr(SECTOR_SIZE, 0);
        PutEntry(mbr, 0, 0x06, 2048, 100);
        PutEntry(mbr, 1, 0x0F, 4096, 1024);
        disk.Write(0, mbr);
        std::vector<BYTE> ebr1(SECTOR_SIZE, 0);
        PutEntry(ebr1, 0, 0x01, 1, 50);
        PutEntry(ebr1, 1, 0x05, 100, 60);
        disk.Write(4096, ebr1);
        std::vector<BYTE> ebr2(SECTOR_SIZE, 0);
        PutEntry(ebr2, 0, 0x06, 1, 50);
        PutEntry(ebr2, 1, 0x05, c.linkOfSecond, 60);
        if (!c.secondSigned)
            ebr2[510] = 0;
        disk.Write(4096 + 100, ebr2);
        AttachedDisks disks({disk.Path()});
        ReadPartitionTable(0);
        EXPECT_EQ(PartitionCount, c.expectedEntries) << c.what;
        EXPECT_EQ(DWORD(FoundPartitionTable[1].StartSector), 4097u) << c.what;
        EXPECT_EQ(WORD(FoundPartitionTable[1].Kind), FS_KIND_FAT16) << c.what; // type 1 counts in the chain
    }
}

} // namespace
