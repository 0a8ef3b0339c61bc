// The tracing sweep over an in-memory disk: range and run boundaries, unreadable sectors, stopping.
#include "engine/trace_sweep.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

namespace {

// A disk of `sectors` zero sectors, some starting with "JP" (id 1) or "ZZ" (id 2), some unreadable. Unreadable
// sectors hold a signature so that testing them would show.
class FakeDisk : public TraceSweepSink {
public:
    FakeDisk(uint64_t sectors, std::set<uint64_t> jp, std::set<uint64_t> bad) : sectors_(sectors), jp_(jp), bad_(bad) {}

    void ReadRun(uint64_t first, uint32_t count, uint8_t* buffer, std::vector<bool>& unread) override
    {
        EXPECT_LE(first + count, sectors_) << "read beyond the device";
        runs.push_back(first);
        for (uint32_t i = 0; i < count; ++i) {
            uint8_t* s = buffer + i * 512;
            std::memset(s, 0, 512);
            if (jp_.count(first + i) || bad_.count(first + i))
                std::memcpy(s, "JP", 2);
            if (bad_.count(first + i))
                unread[i] = true;
        }
    }
    bool ShouldStop() override { return stopAfterPolls >= 0 && polls++ >= stopAfterPolls; }
    void SectorMatched(uint64_t sector, int id) override { matched.push_back(sector); }

    int stopAfterPolls = -1;
    int polls = 0;
    std::vector<uint64_t> runs;
    std::vector<uint64_t> matched;

private:
    uint64_t sectors_;
    std::set<uint64_t> jp_, bad_;
};

SignatureMatcher JpMatcher()
{
    SignatureMatcher matcher;
    matcher.Add(2, "4A50", 1);
    return matcher;
}

TEST(TraceSweep, RangeEndsAfterTheRunPassingTheEndButNeverBeyondTheDevice)
{
    const struct {
        const char* what;
        uint64_t start, end, device;
        std::vector<uint64_t> expectMatched;
        std::vector<uint64_t> expectRuns;
    } cases[] = {
        // The last run passes the end sector and is still tested to its end.
        {"tail of the last run", 0, 70, 1000, {5, 64, 127}, {0, 64}},
        {"range from a partition start", 60, 130, 1000, {64, 127, 187}, {60, 124}},
        // The end sector lies beyond the device (a volume's count is one past its last sector): clamp there.
        {"end beyond the device", 0, 200, 130, {5, 64, 127}, {0, 64, 128}},
        {"empty device", 0, 10, 0, {}, {}},
    };
    for (const auto& c : cases) {
        FakeDisk disk(c.device, {5, 64, 127, 187, 190, 500}, {});
        TraceSweepResult result = SweepSignatures(c.start, c.end, c.device, JpMatcher(), disk);
        EXPECT_EQ(disk.matched, c.expectMatched) << c.what;
        EXPECT_EQ(disk.runs, c.expectRuns) << c.what;
        EXPECT_FALSE(result.stopped) << c.what;
        EXPECT_EQ(result.unreadCount, 0u) << c.what;
    }
}

TEST(TraceSweep, UnreadableSectorsAreSkippedReportedAndTheSweepGoesOn)
{
    FakeDisk disk(640, {10, 300, 639}, {63, 64, 65, 400});
    TraceSweepResult result = SweepSignatures(0, 639, 640, JpMatcher(), disk);
    EXPECT_EQ(disk.matched, (std::vector<uint64_t>{10, 300, 639}));
    EXPECT_EQ(result.unreadCount, 4u);
    EXPECT_EQ(result.unreadSectors, (std::vector<uint64_t>{63, 64, 65, 400}));
    EXPECT_EQ(result.tested, 640u - 4u);
}

TEST(TraceSweep, StopEndsAtTheNextPollWithWhatWasFound)
{
    FakeDisk disk(1000, {3, 100, 900}, {});
    disk.stopAfterPolls = 1 + 120;  // the first run's poll, then one poll per sector
    TraceSweepResult result = SweepSignatures(0, 999, 1000, JpMatcher(), disk);
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(disk.matched, (std::vector<uint64_t>{3, 100}));
    EXPECT_LT(result.tested, 128u);
}

} // namespace
