// ReadSectors over an attached image: run reads, per-sector retry, zero fill and the honest outcome.
#include "engine/sector_reader.h"
#include "attached_disk.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr ULONGLONG kSectors = 100;

class SectorReaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Every sector holds its own number in each of its 4-byte words.
        std::vector<BYTE> data(kSectors * SECTOR_SIZE);
        for (ULONGLONG s = 0; s < kSectors; ++s)
            for (int w = 0; w < 128; ++w)
                std::memcpy(&data[s * SECTOR_SIZE + w * 4], &s, 4);
        image_.Write(0, data);
        disks_ = std::make_unique<AttachedDisks>(std::vector<std::string>{image_.Path()});
        ASSERT_NE(PhysicalDriveHandle, INVALID_HANDLE_VALUE);
    }
    void TearDown() override { disks_.reset(); }

    static DWORD Tag(const std::vector<BYTE>& buffer, DWORD index)
    {
        DWORD tag;
        std::memcpy(&tag, &buffer[size_t(index) * SECTOR_SIZE + 508], 4);
        return tag;
    }
    static bool Zero(const std::vector<BYTE>& buffer, DWORD index)
    {
        for (DWORD i = 0; i < SECTOR_SIZE; ++i)
            if (buffer[size_t(index) * SECTOR_SIZE + i])
                return false;
        return true;
    }

    CraftedImage image_{kSectors};
    std::unique_ptr<AttachedDisks> disks_;
};

TEST_F(SectorReaderTest, WholeRunReadsEverySector)
{
    std::vector<BYTE> buffer(60 * SECTOR_SIZE, 0xCC);
    SectorReadOutcome outcome;
    ASSERT_EQ(ReadSectors(SelectedDevicePath(), 20, 60, buffer.data(), &outcome), 1);
    EXPECT_EQ(outcome.UnreadCount, 0u);
    for (DWORD i = 0; i < 60; ++i)
        EXPECT_EQ(Tag(buffer, i), 20 + i);
}

TEST_F(SectorReaderTest, BadSectorsAreZeroedAndNamedWhileTheirNeighboursArrive)
{
    dovemark::device_hooks::SetUnreadableSectors(image_.Path(), {30, 59});
    struct Case {
        WORD retries;
        std::vector<DWORD> unread; // indexes in the run of 60 from sector 10
    } cases[] = {
        {3, {20, 49}},
        {1, {20, 49}},
        {0, {}}, // no retry: the whole failed run is unread
    };
    for (const Case& c : cases) {
        RetryCount = c.retries;
        std::vector<BYTE> buffer(60 * SECTOR_SIZE, 0xCC); // stale bytes must not survive
        SectorReadOutcome outcome;
        EXPECT_EQ(ReadSectors(SelectedDevicePath(), 10, 60, buffer.data(), &outcome), 0);
        std::vector<DWORD> expected = c.unread;
        if (c.retries == 0)
            for (DWORD i = 0; i < 60; ++i)
                expected.push_back(i);
        EXPECT_EQ(outcome.UnreadCount, c.retries == 0 ? 60u : DWORD(c.unread.size()));
        for (DWORD i = 0; i < 60; ++i) {
            const bool bad = c.retries == 0 || std::find(c.unread.begin(), c.unread.end(), i) != c.unread.end();
            EXPECT_EQ(outcome.IsUnread(i), bad) << i;
            if (bad) {
                EXPECT_TRUE(Zero(buffer, i)) << i;
            } else {
                EXPECT_EQ(Tag(buffer, i), 10 + i);
            }
        }
    }
}

TEST_F(SectorReaderTest, ARunPastTheDeviceEndDeliversWhatExistsAndSaysTheRestFailed)
{
    std::vector<BYTE> buffer(60 * SECTOR_SIZE, 0xCC);
    SectorReadOutcome outcome;
    EXPECT_EQ(ReadSectors(SelectedDevicePath(), 80, 60, buffer.data(), &outcome), 0);
    EXPECT_EQ(outcome.UnreadCount, 40u);
    for (DWORD i = 0; i < 20; ++i)
        EXPECT_EQ(Tag(buffer, i), 80 + i);
    for (DWORD i = 20; i < 60; ++i)
        EXPECT_TRUE(outcome.IsUnread(i) && Zero(buffer, i)) << i;
}

TEST_F(SectorReaderTest, NoOpenDeviceFailsWithZeros)
{
    CloseHandle(PhysicalDriveHandle);
    PhysicalDriveHandle = INVALID_HANDLE_VALUE;
    std::vector<BYTE> buffer(2 * SECTOR_SIZE, 0xCC);
    EXPECT_EQ(ReadSectors(SelectedDevicePath(), 0, 2, buffer.data()), 0);
    EXPECT_TRUE(Zero(buffer, 0) && Zero(buffer, 1));

    // A volume selection reads through the volume handle, which is not open either.
    DriveKind = 2;
    VolumeHandle = nullptr;
    EXPECT_EQ(ReadSectors(SelectedDevicePath(), 0, 1, buffer.data()), 0);
    DriveKind = 1;
}

TEST(SectorReaderHelpersTest, MakeDwordIsLittleEndian)
{
    EXPECT_EQ(MakeDword(0x78, 0x56, 0x34, 0x12), 0x12345678u);
}

} // namespace
