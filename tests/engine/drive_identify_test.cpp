// Drive identification over attached images (a device without media first) and over the host's disks.
#include "engine/drive_identify.h"
#include "attached_disk.h"
#include "crafted.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(DriveIdentifyTest, TableHoldsOnlyDisksWithMediaAndReadsTheDiskItShows)
{
    CraftedImage empty(0, "reader.img"); // a card reader without its card
    CraftedImage first(100000, "first.img");
    CraftedImage second(5000, "second.img");
    std::vector<BYTE> mark(512, 0);
    std::memcpy(mark.data(), "SECOND", 6);
    second.Write(0, mark);
    AttachedDisks disks({empty.Path(), first.Path(), second.Path()}, /*open=*/false);

    IdentifyDrives();
    EXPECT_EQ(DriveAnswerCount, 3u);
    ASSERT_EQ(DetectedDriveCount, 2u);
    EXPECT_STREQ(PhysicalDrivePathTable[0], "\\\\.\\PhysicalDrive1");
    EXPECT_STREQ(PhysicalDrivePathTable[1], "\\\\.\\PhysicalDrive2");
    // The real length, not cylinders x heads x sectors (100000 is no multiple of 16065).
    EXPECT_EQ(DiskSectorCounts[0], 100000u);
    EXPECT_EQ(DiskSectorCounts[1], 5000u);
    EXPECT_EQ(DetectedDisks[0].SectorsPerTrack, 63u);
    EXPECT_EQ(DetectedDisks[0].TracksPerCylinder, 255u);
    EXPECT_EQ(DetectedDisks[0].Cylinders, 100000u / 16065u);
    EXPECT_NE(std::strlen(DetectedDisks[0].Model), 0u);

    DriveNumber = 1;
    ASSERT_NE(OpenPhysicalDrive(), INVALID_HANDLE_VALUE);
    std::vector<BYTE> sector(512);
    ASSERT_EQ(ReadSectors(SelectedDevicePath(), 0, 1, sector.data()), 1);
    EXPECT_EQ(std::memcmp(sector.data(), "SECOND", 6), 0);
    DriveNumber = 0;
}

TEST(DriveIdentifyTest, DisksBeyondTwoTebibytesAreClampedWithAWarning)
{
    const std::string path = testsupport::ScratchDir() + "/huge.img";
    std::ofstream(path, std::ios::binary).close();
    std::error_code ec;
    std::filesystem::resize_file(path, (3ULL << 40) + 4096, ec); // sparse: costs no space
    if (ec)
        GTEST_SKIP() << "the scratch file system cannot hold a 3 TiB sparse file";
    AttachedDisks disks({path}, /*open=*/false);
    RecordingUi ui;
    IdentifyDrives();
    ASSERT_EQ(DetectedDriveCount, 1u);
    EXPECT_EQ(DetectedDisks[0].LengthSectors, ((3ULL << 40) + 4096) / 512);
    EXPECT_TRUE(DetectedDisks[0].Clamped);
    EXPECT_EQ(DiskSectorCounts[0], 0xFFFFFFFFu);
    ASSERT_EQ(ui.Messages.size(), 1u);
    EXPECT_EQ(ui.Messages[0].Kind, ENGINE_MSG_INFO);
}

TEST(DriveIdentifyTest, HostDisksAreListedWithTheirLengthAndCanBeRead)
{
    unsetenv("DOVEMARK_DISKS");
    setenv("DOVEMARK_HOST_DISKS", "1", 1);
    IdentifyDrives();
    if (DetectedDriveCount == 0) {
        setenv("DOVEMARK_HOST_DISKS", "0", 1);
        GTEST_SKIP() << "no readable block device on this machine";
    }
    for (DWORD i = 0; i < DetectedDriveCount; ++i) {
        EXPECT_GT(DetectedDisks[i].LengthSectors, 0u) << i;
        EXPECT_EQ(DiskSectorCounts[i], DetectedDisks[i].Clamped ? 0xFFFFFFFFu : DWORD(DetectedDisks[i].LengthSectors));
    }
    // The first one reads like any other disk.
    DriveKind = 1;
    DriveNumber = 0;
    std::vector<BYTE> sector(SECTOR_SIZE);
    ASSERT_NE(OpenPhysicalDrive(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReadSectors(SelectedDevicePath(), 0, 1, sector.data()), 1);
    CloseHandle(PhysicalDriveHandle);
    PhysicalDriveHandle = nullptr;
    setenv("DOVEMARK_HOST_DISKS", "0", 1);
    ResetPhysicalDrivePaths();
}

} // namespace
