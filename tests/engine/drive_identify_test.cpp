// Drive identification over attached images (a device without media first) and over the host's disks.
#include "engine/drive_identify.h"
#include "attached_disk.h"

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

TEST(DriveIdentifyTest, HostDisksAreListedWithTheirLengthAndCanBeRead)
{
    unsetenv("DOVEMARK_DISKS");
    setenv("DOVEMARK_HOST_DISKS", "1", 1);
    IdentifyDrives();
    setenv("DOVEMARK_HOST_DISKS", "0", 1);
    if (DetectedDriveCount == 0)
        GTEST_SKIP() << "no readable block device on this machine";
    for (DWORD i = 0; i < DetectedDriveCount; ++i) {
        EXPECT_GT(DetectedDisks[i].LengthSectors, 0u) << i;
        EXPECT_EQ(DiskSectorCounts[i], DetectedDisks[i].Clamped ? 0xFFFFFFFFu : DWORD(DetectedDisks[i].LengthSectors));
    }
    ResetPhysicalDrivePaths();
}

} // namespace
