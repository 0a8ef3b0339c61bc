// FAT boot-sector checks, cluster chains and the layout computed without a boot sector, on crafted images.
#include "engine/fat_boot.h"
#include "engine/fat_chain.h"
#include "attached_disk.h"
#include "crafted.h"

#include <gtest/gtest.h>

namespace {
using namespace crafted;

constexpr DWORD kStart = 63;

struct BootFields {
    BYTE spc = 4;
    WORD reserved = 1;
    BYTE fats = 2;
    WORD rootEntries = 512;
    DWORD fatSize = 8;
    bool signature = true;
};

std::vector<BYTE> BootSector(WORD kind, const BootFields& f)
{
    std::vector<BYTE> s(512, 0);
    s[0] = 0xEB;
    Put16(&s[0x0B], 512);
    s[0x0D] = f.spc;
    Put16(&s[0x0E], f.reserved);
    s[0x10] = f.fats;
    Put16(&s[0x11], kind == FS_KIND_FAT16 ? f.rootEntries : 0);
    if (kind == FS_KIND_FAT16) {
        Put16(&s[0x16], f.fatSize);
    } else {
        Put32(&s[0x24], f.fatSize);
        Put32(&s[0x2C], 2);
    }
    if (f.signature)
        s[510] = 0x55, s[511] = 0xAA;
    return s;
}

class FatBootTest : public ::testing::Test {
protected:
    void Prepare(WORD kind)
    {
        disks_.reset();
        disks_ = std::make_unique<AttachedDisks>(std::vector<std::string>{image_.Path()});
        PartitionParams = {};
        PartitionParams.PartitionFsType = kind;
        PartitionParams.StartSector = kStart;
        PartitionParams.SectorCount = 4000;
    }
    void MediaByteAt(ULONGLONG sector) const
    {
        std::vector<BYTE> fat(512, 0);
        fat[0] = 0xF8, fat[1] = 0xFF;
        image_.Write(sector, fat);
    }
    CraftedImage image_{8192};
    std::unique_ptr<AttachedDisks> disks_;
};

TEST_F(FatBootTest, Fat16BootSectorsThatNoVolumeCanHaveAreRefused)
{
    struct Case {
        const char* what;
        BootFields f;
        bool recognised;
    } cases[] = {
        {"valid", {}, true},
        {"no sectors per cluster", {.spc = 0}, false},
        {"cluster size not a power of two", {.spc = 3}, false},
        {"one FAT", {.fats = 1}, false},
        {"no reserved sector", {.reserved = 0}, false},
        {"empty FAT", {.fatSize = 0}, false},
        {"no signature", {.signature = false}, false},
    };
    for (const Case& c : cases) {
        Prepare(FS_KIND_FAT16);
        image_.Write(kStart, BootSector(FS_KIND_FAT16, c.f));
        // Media bytes where the valid layout has its FATs and where a bad one would look.
        MediaByteAt(kStart + 1);
        MediaByteAt(kStart + 9);
        if (c.f.reserved + c.f.fatSize != 0)
            MediaByteAt(kStart + c.f.reserved + c.f.fatSize);
        EXPECT_EQ(ReadBootParameters(), c.recognised ? 1 : 0) << c.what;
        EXPECT_EQ(+PartitionParams.FsType, FS_KIND_FAT16);
        if (c.recognised) {
            EXPECT_EQ(+PartitionParams.Fat1Start, kStart + 1);
            EXPECT_EQ(+PartitionParams.Fat2Start, kStart + 9);
            EXPECT_EQ(+PartitionParams.Root, kStart + 17);
            EXPECT_EQ(+PartitionParams.RootDirSectors, 32u);
            EXPECT_EQ(+PartitionParams.DataOrigin, kStart + 17 + 32 - 8);
        }
    }
}

TEST_F(FatBootTest, Fat16WithoutItsSecondFatIsNotRecognised)
{
    Prepare(FS_KIND_FAT16);
    image_.Write(kStart, BootSector(FS_KIND_FAT16, {}));
    EXPECT_EQ(ReadBootParameters(), 0);
}

TEST_F(FatBootTest, Fat32FallsBackToTheBackupBootSector)
{
    struct Case {
        const char* what;
        BootFields primary;
    } cases[] = {
        {"primary without signature", {.spc = 1, .reserved = 32, .fatSize = 16, .signature = false}},
        {"primary with impossible values", {.spc = 0, .reserved = 32, .fatSize = 16}},
        {"primary pointing at no FAT", {.spc = 1, .reserved = 32, .fatSize = 100}},
    };
    for (const Case& c : cases) {
        Prepare(FS_KIND_FAT32);
        image_.Write(kStart, BootSector(FS_KIND_FAT32, c.primary));
        image_.Write(kStart + 6, BootSector(FS_KIND_FAT32, {.spc = 1, .reserved = 32, .fatSize = 16}));
        MediaByteAt(kStart + 32 + 16);
        ASSERT_EQ(ReadBootParameters(), 1) << c.what;
        EXPECT_EQ(+PartitionParams.FatSize, 16u);
        EXPECT_EQ(+PartitionParams.SectorsPerCluster, 1u);
        EXPECT_EQ(+PartitionParams.Root, 2u);
        EXPECT_EQ(+PartitionParams.Fat1Start, kStart + 32);
        EXPECT_EQ(+PartitionParams.Fat2Start, kStart + 48);
        EXPECT_EQ(+PartitionParams.DataOrigin, kStart + 32 + 32 - 2);
    }
}

TEST(FatLayoutGuessTest, OnlyPlausibleLayoutsPass)
{
    // FAT32 at 2048: reserved 32, FAT size 30, 2 sectors per cluster: origin 2048 + 32 + 60 - 4.
    const ULONGLONG origin = 2048 + 88;
    struct Case {
        const char* what;
        WORD kind;
        FatDirSighting a, b;
        bool ok;
    } cases[] = {
        {"consistent pair", FS_KIND_FAT32, {origin + 6, 3}, {origin + 18, 9}, true},
        {"data area before the FATs", FS_KIND_FAT32, {2100, 40}, {2110, 50}, false},
        {"cluster size 3", FS_KIND_FAT32, {origin + 9, 3}, {origin + 27, 9}, false},
        {"spacing not a multiple", FS_KIND_FAT32, {origin + 6, 3}, {origin + 19, 9}, false},
        {"odd size of both FATs", FS_KIND_FAT32, {origin + 7, 3}, {origin + 19, 9}, false},
        {"clusters the FAT cannot hold", FS_KIND_FAT32, {origin + 2 * 5000, 5000}, {origin + 2 * 5006, 5006}, false},
        {"FAT far larger than the partition", FS_KIND_FAT32, {2048 + 32 + 2000 + 6, 3}, {2048 + 32 + 2000 + 18, 9}, false},
    };
    for (const Case& c : cases) {
        FatLayoutGuess g{};
        EXPECT_EQ(GuessFatLayout(c.kind, 2048, 6000, 32, c.a, c.b, &g), c.ok) << c.what;
        if (c.ok) {
            EXPECT_EQ(g.SectorsPerCluster, 2u);
            EXPECT_EQ(g.DataOrigin, origin);
            EXPECT_EQ(g.FatSize, 30u);
        }
    }
}

std::vector<BYTE> DirectoryStart(DWORD cluster)
{
    auto dot = ShortEntry(".          ", 0x10, cluster, 0);
    auto dotdot = ShortEntry("..         ", 0x10, 0, 0);
    std::vector<BYTE> s(512, 0);
    std::copy(dot.begin(), dot.end(), s.begin());
    std::copy(dotdot.begin(), dotdot.end(), s.begin() + 32);
    return s;
}

TEST_F(FatBootTest, LayoutFoundFromTwoDirectoriesWhenTheBootSectorIsGone)
{
    Prepare(FS_KIND_FAT32);
    PartitionParams.FsType = FS_KIND_FAT32;
    PartitionParams.StartSector = 2048;
    PartitionParams.SectorCount = 6000;
    const DWORD origin = 2048 + 88;
    MediaByteAt(2048 + 32);
    image_.Write(origin + 6, DirectoryStart(3));
    image_.Write(origin + 18, DirectoryStart(9));
    ScanStopFlag = 0;
    ASSERT_EQ(ComputeFatParameters(), 1);
    EXPECT_EQ(+PartitionParams.ReservedSectors, 32u);
    EXPECT_EQ(+PartitionParams.SectorsPerCluster, 2u);
    EXPECT_EQ(+PartitionParams.DataOrigin, origin);
    EXPECT_EQ(+PartitionParams.FatSize, 30u);
    EXPECT_EQ(+PartitionParams.Fat2Start, 2048u + 32 + 30);
    EXPECT_EQ(+PartitionParams.Root, 2u);

    // Without a second directory there is no layout, and the run ends.
    image_.Write(origin + 18, std::vector<BYTE>(512, 0));
    ScanRunning = 1;
    EXPECT_EQ(ComputeFatParameters(), 0);
    EXPECT_EQ(ScanStopFlag, 1u);
    EXPECT_EQ(ScanRunning, 0);
}

class FatChainTest : public FatBootTest {
protected:
    void Layout(WORD kind)
    {
        Prepare(kind);
        PartitionParams.FsType = kind;
        PartitionParams.Fat1Start = 100;
        PartitionParams.Fat2Start = 120;
        PartitionParams.FatSize = 20;
        PartitionParams.SectorsPerCluster = 1;
        PartitionParams.DataOrigin = 200;
        PartitionParams.StartSector = 0;
        PartitionParams.SectorCount = 3000;
        fat_.assign(20 * 512, 0);
        SaveStopFlag = 0;
        SaveSkipFlag = 0;
    }
    void Link(DWORD cluster, DWORD value)
    {
        if (PartitionParams.FsType == FS_KIND_FAT32)
            Put32(&fat_[cluster * 4], value);
        else
            Put16(&fat_[cluster * 2], value);
    }
    void Store() const { image_.Write(100, fat_); }
    static std::vector<DWORD> Chain()
    {
        std::vector<DWORD> out;
        for (ClusterNode* n = ClusterChainHead; n; n = n->Next)
            out.push_back(n->Value);
        return out;
    }
    std::vector<BYTE> fat_;
};

TEST_F(FatChainTest, ChainsEndAtEndMarksCyclesAndClustersOutOfRange)
{
    Layout(FS_KIND_FAT16);
    Link(5, 6), Link(6, 0xFFFF);
    Link(10, 11), Link(11, 12), Link(12, 10); // a loop
    Link(20, 0xF000);                          // beyond the volume's clusters
    Store();
    FollowFatChainShort(5);
    EXPECT_EQ(Chain(), (std::vector<DWORD>{5, 6}));
    FollowFatChainShort(10);
    EXPECT_EQ(Chain(), (std::vector<DWORD>{10, 11, 12}));
    FollowFatChainShort(20);
    EXPECT_EQ(Chain(), (std::vector<DWORD>{20}));

    Layout(FS_KIND_FAT32);
    Link(5, 0xF0000006), Link(6, 0x0FFFFFFF); // reserved top bits do not end a chain
    Store();
    FollowFatChainShort(5);
    EXPECT_EQ(Chain(), (std::vector<DWORD>{5, 6}));
    FreeClusterChain();
}

// The clusters of a volume end at its FAT's size, at the volume's own end and at the scanned range's end,
// whichever comes first; a volume rebuilt without its FAT size is bounded by its area alone.
TEST(FatClusterLimitTest, TheNearestEndBounds)
{
    struct Case {
        const char* what;
        DWORD fatSize;
        DWORD volumeEnd; // first sector past the volume, 0 unknown
        DWORD rangeCount;
        ULONGLONG limit;
    } cases[] = {
        {"the FAT holds fewer entries than the area", 1, 0, 9000, 128},
        {"the range ends first", 10, 0, 9000, 1000},
        {"the volume ends before its range", 10, 5000, 9000, 500},
        {"a volume end past the range does not widen it", 10, 12000, 9000, 1000},
        {"no FAT size: the area alone", 0, 5000, 9000, 500},
        {"no FAT size, no end known", 0, 0, 0, 0x0FFFFFF7},
    };
    for (const Case& c : cases) {
        PartitionParams = {};
        PartitionParams.FsType = FS_KIND_FAT32;
        PartitionParams.FatSize = c.fatSize;
        PartitionParams.SectorsPerCluster = 8;
        PartitionParams.DataOrigin = 1000;
        PartitionParams.SectorCount = c.rangeCount;
        PartitionParams.VolumeEndSector = c.volumeEnd;
        EXPECT_EQ(FatClusterLimit(), c.limit) << c.what;
    }
    PartitionParams = {};
}

TEST_F(FatChainTest, DirectoriesLongerThanAHundredClustersAreFollowedWhole)
{
    Layout(FS_KIND_FAT32);
    for (DWORD c = 10; c < 260; ++c)
        Link(c, c + 1);
    Link(260, 0x0FFFFFF8);
    Store();
    FollowFatChainShort(10);
    auto chain = Chain();
    ASSERT_EQ(chain.size(), 251u);
    EXPECT_EQ(chain.back(), 260u);

    FollowFatChain(10, 2, 2); // the second FAT is empty: the chain ends after the first cluster
    EXPECT_EQ(Chain(), (std::vector<DWORD>{10}));
    FollowFatChain(10, 2, 1);
    EXPECT_EQ(Chain(), (std::vector<DWORD>{10, 11, 12}));
    FollowFatChain(10, 0, 1);
    EXPECT_EQ(Chain(), (std::vector<DWORD>{10, 11}));
    SaveSkipFlag = 1;
    FollowFatChain(10, 5, 1);
    EXPECT_EQ(Chain(), (std::vector<DWORD>{10}));
    SaveSkipFlag = 0;
    FreeClusterChain();
}

// A chain that runs on past the largest directory a volume can hold (65536 entries, 2 MiB) is cut there, and a
// directory's chain is looked up only as far as its reader goes: a FAT overwritten with one long chain does not have
// every folder that starts on it walked to the volume's end.
TEST_F(FatChainTest, DirectoryChainsEndAtTheLargestDirectoryOrWhereTheReaderStops)
{
    Layout(FS_KIND_FAT32);
    PartitionParams.SectorsPerCluster = 128;
    PartitionParams.SectorCount = 200000;
    for (DWORD c = 10; c < 2500; ++c)
        Link(c, c + 1);
    Store();
    FollowFatChainShort(10);
    auto chain = Chain();
    ASSERT_EQ(chain.size(), 32u); // 2 MiB of 64 KiB clusters
    EXPECT_EQ(chain.back(), 41u);
    FreeClusterChain();

    PartitionParams.SectorsPerCluster = 1;
    std::vector<DWORD> seen;
    dovemark::device_hooks::ResetRequestedSectors();
    WalkDirectoryChain(10, [&](DWORD c) {
        seen.push_back(c);
        return seen.size() < 3;
    });
    EXPECT_EQ(seen, (std::vector<DWORD>{10, 11, 12}));
    EXPECT_EQ(dovemark::device_hooks::RequestedSectors(), 1u); // the FAT's first sector, not its twenty
}

} // namespace
