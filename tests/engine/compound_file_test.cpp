// The compound-file reader: AppNames of generated Office documents, and crafted or cut documents.
#include "engine/compound_file.h"
#include "engine/tracing_fixtures.h"
#include "support/support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>
#include <string>

namespace {

class CompoundFileTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder_ = new std::string(testsupport::ScratchDir());
        tracingtest::RunPython("tests/fixtures/make_traced_image.py", "--docs '" + *folder_ + "'");
    }
    static void TearDownTestSuite() { delete folder_; }

    static std::vector<uint8_t> Document(const std::string& name)
    {
        return tracingtest::ReadWholeFile(*folder_ + "/" + name);
    }

    static std::string* folder_;
};
std::string* CompoundFileTest::folder_ = nullptr;

uint32_t Get32(const std::vector<uint8_t>& d, size_t at)
{
    return d[at] | d[at + 1] << 8 | d[at + 2] << 16 | static_cast<uint32_t>(d[at + 3]) << 24;
}

void Put32(std::vector<uint8_t>& d, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        d[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Offsets inside the generated 512-byte-sector Word document: directory entries, the mini FAT, the property set.
size_t SectorAt(uint32_t sector) { return (static_cast<size_t>(sector) + 1) * 512; }
size_t DirEntryAt(const std::vector<uint8_t>& d, int index) { return SectorAt(Get32(d, 0x30)) + 128 * index; }
size_t MiniFatAt(const std::vector<uint8_t>& d) { return SectorAt(Get32(d, 0x3C)); }
int SummaryEntry(const std::vector<uint8_t>& d)
{
    for (int i = 1; i < 4; ++i)
        if (d[DirEntryAt(d, i)] == 0x05 && d[DirEntryAt(d, i) + 2] == 'S')
            return i;
    return -1;
}
size_t SummaryAt(const std::vector<uint8_t>& d)
{
    // The mini stream is the root's chain; the generated file keeps it contiguous.
    size_t mini = SectorAt(Get32(d, DirEntryAt(d, 0) + 0x74));
    return mini + 64 * Get32(d, DirEntryAt(d, SummaryEntry(d)) + 0x74);
}

TEST_F(CompoundFileTest, AppNameDecidesTheOfficeExtension)
{
    const struct {
        const char* file;
        const char* appName;
        const char16_t* extension;
    } cases[] = {
        {"word.bin", "Microsoft Office Word", u".doc"},
        {"excel.bin", "Microsoft Excel", u".xls"},
        {"powerpoint.bin", "Microsoft Office PowerPoint", u".ppt"},
        {"publisher.bin", "Microsoft Publisher", u".pub"},
        {"noappname.bin", "", u".pub"},
        {"word-4k.bin", "Microsoft Office Word", u".doc"},
        {"excel-4k.bin", "Microsoft Excel", u".xls"},
        {"noappname-4k.bin", "", u".pub"},
    };
    for (const auto& c : cases) {
        auto doc = Document(c.file);
        ASSERT_FALSE(doc.empty()) << c.file;
        EXPECT_TRUE(CompoundFile(doc.data(), doc.size()).IsValid()) << c.file;
        std::string appName = ReadSummaryAppName(doc.data(), doc.size());
        EXPECT_EQ(appName, c.appName) << c.file;
        EXPECT_EQ(std::u16string(OfficeExtensionForAppName(appName)), c.extension) << c.file;
    }
    // The split's order: a name holding several of the words is decided by the first rule that applies.
    EXPECT_EQ(std::u16string(OfficeExtensionForAppName("Word and Excel")), u".xls");
    EXPECT_EQ(std::u16string(OfficeExtensionForAppName("excel")), u".pub");
}

TEST_F(CompoundFileTest, CraftedStructuresFailWithoutOverrunOrHang)
{
    const auto original = Document("word.bin");
    ASSERT_EQ(ReadSummaryAppName(original.data(), original.size()), "Microsoft Office Word");
    const struct {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> craft;
        bool stillFound;
    } cases[] = {
        {"mini FAT chain loops on itself",
         [](auto& d) { Put32(d, MiniFatAt(d) + 4 * Get32(d, DirEntryAt(d, SummaryEntry(d)) + 0x74), Get32(d, DirEntryAt(d, SummaryEntry(d)) + 0x74)); },
         false},
        {"directory sibling points to itself",
         [](auto& d) { Put32(d, DirEntryAt(d, 1) + 0x48, 1); }, false},
        {"directory sibling points back to the root", [](auto& d) { Put32(d, DirEntryAt(d, 1) + 0x44, 0); }, true},
        {"directory sibling beyond the directory", [](auto& d) { Put32(d, DirEntryAt(d, 1) + 0x44, 999999); }, true},
        {"FAT chain of the directory loops", [](auto& d) { Put32(d, SectorAt(0) + 4 * Get32(d, 0x30), Get32(d, 0x30)); }, true},
        {"stream starts beyond the file", [](auto& d) { Put32(d, DirEntryAt(d, SummaryEntry(d)) + 0x74, 0xFFFFFFF0); }, false},
        {"stream claims 4 GiB", [](auto& d) { Put32(d, DirEntryAt(d, SummaryEntry(d)) + 0x78, 0xFFFFFFFF); }, false},
        {"root's mini stream starts beyond the file", [](auto& d) { Put32(d, DirEntryAt(d, 0) + 0x74, 5000); }, false},
        // Without a FAT only a chain's first sector is known, which is all the small streams here need.
        {"FAT sector list points outside, DIFAT loops",
         [](auto& d) { Put32(d, 0x2C, 0xFFFFFFFF); Put32(d, 0x4C, 70000); Put32(d, 0x44, 0); }, true},
        {"unknown sector size", [](auto& d) { d[0x1E] = 10; }, false},
        {"property set section beyond the stream", [](auto& d) { Put32(d, SummaryAt(d) + 44, 0x7FFFFFF0); }, false},
        {"property count enormous", [](auto& d) { Put32(d, SummaryAt(d) + 48 + 4, 0xFFFFFFFF); }, true},
        {"AppName offset beyond the section", [](auto& d) { Put32(d, SummaryAt(d) + 48 + 8 + 8 + 4, 0xFFFFFF00); }, false},
        {"AppName length beyond the section", [](auto& d) { Put32(d, SummaryAt(d) + 48 + 0x1C + 4, 0x10000000); }, false},
    };
    for (const auto& c : cases) {
        auto doc = original;
        c.craft(doc);
        std::string appName = ReadSummaryAppName(doc.data(), doc.size());
        EXPECT_EQ(appName, c.stillFound ? "Microsoft Office Word" : "") << c.what;
    }
}

TEST_F(CompoundFileTest, CutOrScrambledDocumentsNeverOverrun)
{
    const auto original = Document("excel.bin");
    // A document cut short (the 1 MiB read ends inside it, or the sectors after it were never written).
    for (size_t size = 0; size <= original.size(); size += 64) {
        std::string appName = ReadSummaryAppName(original.data(), size);
        EXPECT_TRUE(appName.empty() || appName == "Microsoft Excel") << size;
    }
    // Scrambled metadata: header, FAT, directory, mini FAT and mini stream are the first sectors.
    std::mt19937 random(12345);
    for (int round = 0; round < 3000; ++round) {
        auto doc = original;
        for (int flips = 0; flips < 4; ++flips)
            doc[random() % 3072] ^= static_cast<uint8_t>(1 + random() % 255);
        ReadSummaryAppName(doc.data(), doc.size());
    }
}

} // namespace
