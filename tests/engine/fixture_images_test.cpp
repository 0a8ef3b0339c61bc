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
using testsupport::FixtureVolume;

bool HaveSleuthKit()
{
    return access("/usr/bin/fls", X_OK) == 0 && access("/usr/bin/mmls", X_OK) == 0 &&
           access("/usr/bin/istat", X_OK) == 0;
}

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

// One line of `fls -r -p -l -z UTC`.
struct FlsItem {
    std::string address;   // "106215" or "94-128-2"
    bool deleted = false;
    bool is_dir = false;
    uint64_t size = 0;
    std::string modified, accessed, changed, created;  // "YYYY-MM-DD HH:MM:SS (UTC)"
};

// Every listed path of a volume (a path may be listed more than once: NTFS index slack repeats names).
std::multimap<std::string, FlsItem> ListVolume(const FixtureImage& img, const FixtureVolume& v)
{
    std::multimap<std::string, FlsItem> items;
    std::string out = Capture("/usr/bin/fls -r -p -l -z UTC -o " + std::to_string(v.start) + " '" + img.path +
                              "' 2>/dev/null");
    for (const auto& line : Fields(out, '\n')) {
        auto f = Fields(line, '\t');
        if (f.size() < 8)
            continue;
        FlsItem item;  // f[0] is "r/r * 12-128-2:" or "d/d 5:"
        item.deleted = f[0].find(" * ") != std::string::npos;
        item.is_dir = f[0][0] == 'd' || f[0].compare(0, 3, "-/d") == 0;
        size_t colon = f[0].rfind(':');
        size_t space = f[0].rfind(' ', colon);
        item.address = f[0].substr(space + 1, colon - space - 1);
        item.modified = f[2];
        item.accessed = f[3];
        item.changed = f[4];
        item.created = f[5];
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

// Entries whose listing is up to the reader: what a format left, and the damaged ones.
bool Unlisted(const FixtureEntry& e)
{
    for (const char* flag : {"formatted", "cyclic", "badname", "truncated", "pastdisk", "destroyed", "orphan"})
        if (e.Has(flag))
            return true;
    return false;
}

// A manifest time ("YYYY-MM-DDTHH:MM:SS" or a date) against fls's "YYYY-MM-DD HH:MM:SS (UTC)".
bool SameTime(std::string manifest, const std::string& shown)
{
    if (manifest.empty())
        return true;
    if (manifest.size() > 10)
        manifest[10] = ' ';
    return shown.compare(0, manifest.size(), manifest) == 0;
}

class FixtureAgainstSleuthKit : public ::testing::TestWithParam<const char*> {};

TEST_P(FixtureAgainstSleuthKit, PartitionsNamesDeletedMarksSizesAndTimesAgree)
{
    if (!HaveSleuthKit())
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
        auto listed = ListVolume(img, v);
        ASSERT_FALSE(listed.empty()) << "fls reads nothing on volume " << v.index;
        for (const FixtureEntry* e : img.EntriesOf(v.index)) {
            if (Unlisted(*e))
                continue;
            std::string path = FlsPath(img, *e);
            auto [from, to] = listed.equal_range(path);
            bool match = false;
            for (auto it = from; it != to && !match; ++it) {
                const FlsItem& f = it->second;
                match = f.deleted == e->deleted && f.is_dir == e->is_dir && (e->is_dir || f.size == e->size) &&
                        SameTime(e->modified, f.modified) && SameTime(e->created, f.created) &&
                        SameTime(e->accessed, f.accessed) && SameTime(e->changed, f.changed);
            }
            EXPECT_TRUE(match) << img.kind << " volume " << v.index << ": " << path
                               << (from == to ? " not listed" : " listed with other marks, size or times");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, FixtureAgainstSleuthKit,
                         ::testing::Values("fat16_16m", "fat16_64m", "fat32", "ntfs", "multi", "lost", "quickformat",
                                           "damaged_fat", "damaged_ntfs", "bigdir", "demo"),
                         [](const auto& info) { return std::string(info.param); });

// The clusters istat reports for each live file (a sparse NTFS cluster shows as 0).
std::vector<int64_t> IstatClusters(const FixtureImage& img, const FixtureVolume& v, const std::string& address)
{
    std::string out = Capture("/usr/bin/istat -o " + std::to_string(v.start) + " '" + img.path + "' " + address +
                              " 2>/dev/null");
    const bool fat = v.fs != "NTFS";
    size_t at = out.find(fat ? "\nSectors:\n" : "\nType: $DATA");
    std::vector<int64_t> clusters;
    if (at == std::string::npos)
        return clusters;
    at = out.find('\n', at + 1);
    const int64_t spc = v.cluster_bytes / 512;
    for (const auto& line : Fields(out.substr(at + 1), '\n')) {
        if (line.empty() || line.find(':') != std::string::npos)
            break;
        for (const auto& word : Fields(line, ' ')) {
            if (word.empty())
                continue;
            int64_t n = std::strtoll(word.c_str(), nullptr, 10);
            if (fat && n == 0)
                continue;   // istat pads its last line of sectors with zeros
            if (fat)
                n = (n - v.Extra("data_sector")) / spc + 2;
            if (!fat || clusters.empty() || clusters.back() != n)
                clusters.push_back(n);
        }
    }
    return clusters;
}

class FixtureRunsAgainstSleuthKit : public ::testing::TestWithParam<const char*> {};

TEST_P(FixtureRunsAgainstSleuthKit, EveryLiveFileLiesWhereTheManifestSays)
{
    if (!HaveSleuthKit())
        GTEST_SKIP() << "The Sleuth Kit is not installed";
    DOVEMARK_REQUIRE_FIXTURE(img, GetParam());
    int checked = 0;
    for (const auto& v : img.volumes) {
        auto listed = ListVolume(img, v);
        for (const FixtureEntry* e : img.EntriesOf(v.index)) {
            if (e->is_dir || e->deleted || e->runs.empty() || Unlisted(*e) || e->Has("compressed"))
                continue;
            auto it = listed.find(FlsPath(img, *e));
            ASSERT_NE(it, listed.end()) << e->path;
            std::vector<int64_t> expected;
            for (const auto& run : e->runs)
                for (int64_t n = 0; n < run.count; ++n)
                    expected.push_back(run.Sparse() ? 0 : run.start + n);
            EXPECT_EQ(IstatClusters(img, v, it->second.address), expected) << img.kind << ": " << e->path;
            ++checked;
        }
    }
    EXPECT_GT(checked, 10);
}

INSTANTIATE_TEST_SUITE_P(Kinds, FixtureRunsAgainstSleuthKit, ::testing::Values("fat16_16m", "fat32", "ntfs"),
                         [](const auto& info) { return std::string(info.param); });

// The manifest parser: first clusters against the image's bytes, escaped names, children, times.
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
    EXPECT_EQ(img.Children(0, "frag").size(), 4u);

    // The first cluster of a file holds the start of its content.
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
    EXPECT_EQ(testsupport::FixtureTimeToFileTime("2015-06-01"), 130775904000000000ull);
    EXPECT_EQ(testsupport::FixtureTimeToFileTime(""), 0u);

    DOVEMARK_REQUIRE_FIXTURE(damaged, "damaged_fat");
    const FixtureEntry* escape = damaged.Find(1, "..%2F..%2Fescape.txt");
    ASSERT_NE(escape, nullptr);
    EXPECT_EQ(escape->Name(), "../../escape.txt");
    EXPECT_TRUE(escape->Has("badname"));
}

} // namespace
