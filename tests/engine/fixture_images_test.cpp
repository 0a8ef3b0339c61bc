// The fixture generator's images and manifests, checked against The Sleuth Kit's view of the same disks.
#include "support/fixture_images.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <unistd.h>

namespace {
using testsupport::FixtureEntry;
using testsupport::FixtureImage;

std::string Capture(const std::string& command)
{
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0)
            out.append(buf, n);
        pclose(p);
    }
    return out;
}

std::vector<std::string> Fields(const std::string& line, char sep)
{
    std::vector<std::string> out(1);
    for (char c : line) {
        if (c == sep)
            out.emplace_back();
        else
            out.back() += c;
    }
    return out;
}

struct FlsItem {
    bool deleted = false;
    bool is_dir = false;
    uint64_t size = 0;
};

// `fls -r -p -l` of one volume: every listed path with its marks (a path may be listed more than once, as
// stale index entries of NTFS repeat names).
std::multimap<std::string, FlsItem> ListVolume(const FixtureImage& img, uint64_t start)
{
    std::multimap<std::string, FlsItem> items;
    std::string out = Capture("/usr/bin/fls -r -p -l -o " + std::to_string(start) + " '" + img.path + "' 2>/dev/null");
    for (const auto& line : Fields(out, '\n')) {
        auto f = Fields(line, '\t');
        if (f.size() < 8)
            continue;
        // f[0] is "r/r * 12-128-2:" or "d/d 5:"
        FlsItem item;
        item.deleted = f[0].find(" * ") != std::string::npos;
        item.is_dir = f[0][0] == 'd' || f[0].compare(0, 3, "-/d") == 0;
        item.size = std::strtoull(f[6].c_str(), nullptr, 10);
        items.emplace(f[1], item);
    }
    return items;
}

// The name fls shows: a deleted FAT entry without a long name has lost its first character.
std::string FlsPath(const FixtureImage& img, const FixtureEntry& e)
{
    const bool fat = img.volumes[e.volume].fs != "NTFS";
    std::string out;
    std::string prefix;
    for (const auto& part : Fields(e.path, '/')) {
        prefix += (prefix.empty() ? "" : "/") + part;
        const FixtureEntry* at = img.Find(e.volume, prefix);
        std::string shown = part;
        if (fat && at && at->deleted && at->Has("shortname"))
            shown[0] = '_';
        out += (out.empty() ? "" : "/") + shown;
    }
    return out;
}

class FixtureAgainstSleuthKit : public ::testing::TestWithParam<const char*> {};

TEST_P(FixtureAgainstSleuthKit, NamesDeletedMarksSizesAndPartitionsAgree)
{
    if (access("/usr/bin/fls", X_OK) != 0 || access("/usr/bin/mmls", X_OK) != 0)
        GTEST_SKIP() << "The Sleuth Kit is not installed";
    DOVEMARK_REQUIRE_FIXTURE(img, GetParam());
    ASSERT_FALSE(img.volumes.empty());
    ASSERT_FALSE(img.entries.empty());

    // mmls lists the table's partitions; a lost one is not among them.
    std::string table = Capture("/usr/bin/mmls '" + img.path + "' 2>/dev/null");
    for (const auto& v : img.volumes) {
        char span[64];
        std::snprintf(span, sizeof span, "%010llu   %010llu   %010llu", (unsigned long long)v.start,
                      (unsigned long long)(v.start + v.sectors - 1), (unsigned long long)v.sectors);
        bool listed = false;
        for (const auto& line : Fields(table, '\n'))
            listed |= line.find(span) != std::string::npos && line.find("Unallocated") == std::string::npos;
        EXPECT_EQ(listed, v.role != "lost") << "volume " << v.index << " at " << v.start;
    }

    for (const auto& v : img.volumes) {
        auto listed = ListVolume(img, v.start);
        ASSERT_FALSE(listed.empty()) << "fls reads nothing on volume " << v.index;
        for (const FixtureEntry* e : img.EntriesOf(v.index)) {
            // Only a full scan finds what a format left; damaged entries are what readers must survive,
            // and how a reader shows them is its own choice.
            bool skip = e->Has("formatted");
            for (const char* flag : {"cyclic", "badname", "truncated", "pastdisk", "destroyed", "orphan"})
                skip |= e->Has(flag);
            if (skip)
                continue;
            std::string path = FlsPath(img, *e);
            auto [from, to] = listed.equal_range(path);
            bool match = false;
            for (auto it = from; it != to; ++it)
                match |= it->second.deleted == e->deleted && it->second.is_dir == e->is_dir &&
                         (e->is_dir || it->second.size == e->size);
            EXPECT_TRUE(match) << img.kind << " volume " << v.index << ": " << path
                               << (from == to ? " not listed" : " listed with other marks or size");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, FixtureAgainstSleuthKit,
                         ::testing::Values("fat16_16m", "fat16_64m", "fat32", "ntfs", "multi", "lost", "quickformat",
                                           "damaged_fat", "damaged_ntfs", "bigdir", "demo"),
                         [](const auto& info) { return std::string(info.param); });

// The generator is deterministic and its manifest agrees with the image bytes it describes.
TEST(FixtureImages, ManifestDescribesTheImage)
{
    DOVEMARK_REQUIRE_FIXTURE(img, "fat32");
    const auto& v = img.volumes.at(0);
    EXPECT_EQ(v.fs, "FAT32");
    EXPECT_EQ(v.serial, "32A0B0C0");
    EXPECT_EQ(v.start, 2048u);
    const FixtureEntry* frag = img.Find(0, "frag/fragmented.bin");
    ASSERT_NE(frag, nullptr);
    EXPECT_TRUE(frag->Has("fragmented"));
    EXPECT_GT(frag->runs.size(), 1u);
    EXPECT_EQ(frag->first_cluster, frag->runs[0].start);

    // The first cluster of a file holds the start of its content: compare with the bytes of the image.
    const FixtureEntry* big = img.Find(0, "big/several-megabytes.bin");
    ASSERT_NE(big, nullptr);
    FILE* f = std::fopen(img.path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    const int64_t sector = v.start + v.Extra("data_sector") + (big->first_cluster - 2) * (v.cluster_bytes / 512);
    std::string head(16, '\0');
    std::fseek(f, sector * 512, SEEK_SET);
    ASSERT_EQ(std::fread(head.data(), 1, head.size(), f), head.size());
    std::fclose(f);
    EXPECT_NE(head, std::string(16, '\0'));

    const FixtureEntry* chinese = img.Find(0, "中文文件名.txt");
    ASSERT_NE(chinese, nullptr);
    EXPECT_EQ(chinese->Name16(), u"中文文件名.txt");
    EXPECT_EQ(testsupport::FixtureTimeToFileTime("1601-01-02T00:00:01"), 86401ull * 10000000ull);
    EXPECT_EQ(testsupport::FixtureTimeToFileTime(""), 0u);
}

} // namespace
