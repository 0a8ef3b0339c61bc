// The zip reader's handle API: entry records (names, attributes, times, sizes), memory extraction,
// and archives that are not, or no longer, whole.
#include "preview/archive/archive_writers.h"
#include "preview/archive/zip_archive.h"
#include "preview/archive/zip_reader.h"

#include "afx/afx.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

using namespace archive_test;

namespace {

// Opens an archive held in an exactly sized heap block, so reads past its end are caught.
struct MemoryZip {
    explicit MemoryZip(const std::string& bytes) : data(bytes.begin(), bytes.end())
    {
        handle = ZipOpenArchive(data.data(), DWORD(data.size()), ZIP_MEMORY);
    }
    ~MemoryZip()
    {
        if (handle)
            ZipCloseArchive(handle);
    }
    std::vector<char> data;
    ZipHandle handle = nullptr;
};

SYSTEMTIME Fields(const FILETIME& ft)
{
    SYSTEMTIME st{};
    FileTimeToSystemTime(&ft, &st);
    return st;
}

std::string Extract(ZipHandle h, int index, DWORD* result)
{
    std::string out;
    char buffer[7];
    while ((*result = ZipExtractEntry(h, index, buffer, sizeof buffer, ZIP_MEMORY)) == ZIPR_MORE)
        out.append(buffer, buffer + sizeof buffer); // the reader fills the buffer whenever it can
    return out;
}

// Runs the block with TZ set, so local-time conversions are known.
struct ZoneGuard {
    explicit ZoneGuard(const char* zone)
    {
        const char* old = std::getenv("TZ");
        saved = old ? old : "";
        had = old != nullptr;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneGuard()
    {
        if (had)
            setenv("TZ", saved.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    std::string saved;
    bool had = false;
};

} // namespace

TEST(ZipReader, EntryRecords)
{
    ZoneGuard zone("CST-8");
    std::vector<ZipEntry> entries(5);
    entries[0].name = "readme.txt";
    entries[0].data = std::string(3000, 'x');
    entries[1].name = "docs/";
    entries[1].method = 0;
    entries[1].externalAttributes = 0x10;
    entries[2].name = "\xD6\xD0\xCE\xC4.txt"; // 中文 in GBK
    entries[2].method = 0;
    entries[2].data = "stored";
    entries[2].externalAttributes = 0x81a40000 | 0x20; // Unix 0644: the owner may write
    entries[2].versionMadeBy = 0x0314;
    entries[3].name = "\xE4\xB8\xAD\xE6\x96\x87.txt"; // 中文 in UTF-8, so marked
    entries[3].flags = 0x800;
    entries[3].externalAttributes = 0x7;
    entries[4].name = "ut.txt";
    entries[4].localExtra = UnixTimeBlock(1, {1600000000}); // 2020-09-13 12:26:40 UTC
    MemoryZip zip(BuildZip(entries));
    ASSERT_NE(zip.handle, nullptr);

    ZipItemInfo info{};
    ASSERT_EQ(ZipGetEntry(zip.handle, -1, &info), ZIPR_OK);
    EXPECT_EQ(info.index, 5);
    EXPECT_EQ(info.name[0], 0);

    struct {
        std::u16string name;
        DWORD attributes;
        int compressed; // -1: smaller than the data
        int uncompressed;
    } expected[] = {
        {u"readme.txt", 0xA1, -1, 3000},
        {u"docs/", 0x91, 0, 0},
        {u"中文.txt", 0xA0, 6, 6},
        {u"中文.txt", 0x87, -1, 0},
        {u"ut.txt", 0xA1, -1, 0},
    };
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(ZipGetEntry(zip.handle, i, &info), ZIPR_OK);
        EXPECT_EQ(info.index, i);
        EXPECT_EQ(std::u16string(info.name), expected[i].name);
        EXPECT_EQ(info.attributes, expected[i].attributes);
        if (expected[i].compressed >= 0) {
            EXPECT_EQ(info.compressedSize, expected[i].compressed);
        } else if (expected[i].uncompressed) {
            EXPECT_LT(info.compressedSize, expected[i].uncompressed);
        }
        EXPECT_EQ(info.uncompressedSize, expected[i].uncompressed);
    }
    // The DOS time is local (UTC+8 here): the record holds the moment, 06:30:20 UTC.
    ASSERT_EQ(ZipGetEntry(zip.handle, 0, &info), ZIPR_OK);
    SYSTEMTIME st = Fields(info.modificationTime);
    EXPECT_EQ(st.wYear * 10000 + st.wMonth * 100 + st.wDay, 20210305);
    EXPECT_EQ(st.wHour * 10000 + st.wMinute * 100 + st.wSecond, 63020);
    // A "UT" block with only the modification time keeps the DOS time for the other two.
    ASSERT_EQ(ZipGetEntry(zip.handle, 4, &info), ZIPR_OK);
    st = Fields(info.modificationTime);
    EXPECT_EQ(st.wHour * 10000 + st.wMinute * 100 + st.wSecond, 122640);
    EXPECT_EQ(CompareFileTime(&info.accessTime, &info.creationTime), 0);
    EXPECT_EQ(Fields(info.accessTime).wHour, 6);
}

TEST(ZipReader, MemoryExtraction)
{
    std::vector<ZipEntry> entries(3);
    entries[0].name = "a.txt";
    entries[0].data = "The quick brown fox jumps over the lazy dog";
    entries[1].name = "b.bin";
    entries[1].method = 0;
    entries[1].data = std::string("\x00\x01\x02\x03", 4);
    entries[2].name = "bad.txt";
    entries[2].data = "corrupted member";
    entries[2].badCrc = true;
    MemoryZip zip(BuildZip(entries));
    ASSERT_NE(zip.handle, nullptr);
    DWORD result = 0;
    EXPECT_EQ(Extract(zip.handle, 0, &result).substr(0, 43), entries[0].data);
    EXPECT_EQ(result, ZIPR_OK);
    EXPECT_EQ(Extract(zip.handle, 1, &result).substr(0, 4), entries[1].data);
    EXPECT_EQ(result, ZIPR_OK);
    // A buffer the entry fits answers "more" first, then done.
    char big[64];
    EXPECT_EQ(ZipExtractEntry(zip.handle, 0, big, sizeof big, ZIP_MEMORY), ZIPR_MORE);
    EXPECT_EQ(ZipExtractEntry(zip.handle, 0, big, sizeof big, ZIP_MEMORY), ZIPR_OK);
    // A member whose bytes do not match its CRC is no success.
    Extract(zip.handle, 2, &result);
    EXPECT_EQ(result, ZIPR_INFLATE);
    EXPECT_EQ(ZipExtractEntry(zip.handle, 9, big, sizeof big, ZIP_MEMORY), ZIPR_ARGS);
    EXPECT_EQ(ZipExtractEntry(nullptr, 0, big, sizeof big, ZIP_MEMORY), ZIPR_ARGS);
    EXPECT_EQ(ZipLastError, ZIPR_ARGS);
}

TEST(ZipReader, WhatOpensAndWhatDoesNot)
{
    std::vector<ZipEntry> one(1);
    one[0].name = "a.txt";
    one[0].data = "hello";
    struct {
        const char* what;
        std::string bytes;
        bool opens;
    } cases[] = {
        {"plain", BuildZip(one), true},
        {"empty archive", BuildZip({}), true},
        {"stub before the archive", BuildZip(one, std::string(5000, 'M')), true},
        {"longest comment", BuildZip(one, "", std::string(65513, 'c')), true},
        {"comment hides the end record", BuildZip(one, "", std::string(65514, 'c')), false},
        {"spanned", BuildZip(one, "", "", 1), false},
        {"gzip data", Gzip("not an archive"), false},
        {"tiny", "PK\x05", false},
        {"nothing", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryZip zip(c.bytes);
        EXPECT_EQ(zip.handle != nullptr, c.opens);
        if (!c.opens) {
            EXPECT_EQ(ZipLastError, ZIPR_CORRUPT);
        }
        if (zip.handle && c.bytes.size() > 100) {
            ZipItemInfo info{};
            EXPECT_EQ(ZipGetEntry(zip.handle, 0, &info), ZIPR_OK);
            EXPECT_EQ(std::u16string(info.name), u"a.txt");
            DWORD result = 0;
            EXPECT_EQ(Extract(zip.handle, 0, &result).substr(0, 5), "hello");
        }
    }
    EXPECT_EQ(ZipOpenArchive(u"/nonexistent/a.zip", 0, ZIP_FILENAME), nullptr);
    EXPECT_EQ(ZipLastError, ZIPR_NO_FILE);
    EXPECT_EQ(ZipOpenArchive(u"x", 0, 7), nullptr);
    EXPECT_EQ(ZipLastError, ZIPR_ARGS);
}

TEST(ZipReader, LocalHeadersThatDisagree)
{
    std::vector<ZipEntry> entries(3);
    entries[0].name = "ok.txt";
    entries[1].name = "sizes.txt";
    entries[1].data = "abc";
    entries[1].localUncompressedSize = 99;
    entries[2].name = "method.txt";
    entries[2].method = 12; // bzip2: not read here
    MemoryZip zip(BuildZip(entries));
    ASSERT_NE(zip.handle, nullptr);
    ZipItemInfo info{};
    EXPECT_EQ(ZipGetEntry(zip.handle, 0, &info), ZIPR_OK);
    for (int i : {1, 2}) {
        EXPECT_EQ(ZipGetEntry(zip.handle, i, &info), ZIPR_CORRUPT);
        // Nothing of another entry is handed out.
        EXPECT_EQ(info.name[0], 0);
        EXPECT_EQ(info.index, i);
    }
    // The record of an entry asked twice comes from the cache.
    ASSERT_EQ(ZipGetEntry(zip.handle, 0, &info), ZIPR_OK);
    zip.data.assign(zip.data.size(), 0);
    EXPECT_EQ(ZipGetEntry(zip.handle, 0, &info), ZIPR_OK);
    EXPECT_EQ(std::u16string(info.name), u"ok.txt");
}

// "UT" blocks whose times run past the block or the field: only whole times inside both are read.
TEST(ZipReader, ExtendedTimestampsStayInsideTheirBlock)
{
    struct {
        std::string extra;
        unsigned present;
    } cases[] = {
        {UnixTimeBlock(7, {1, 2, 3}), 7},
        {UnixTimeBlock(7, {1}), 1},                      // the field ends after one time
        {UnixTimeBlock(7, {1, 2, 3}, 5), 1},              // the block says it holds one
        {UnixTimeBlock(7, {}, 40), 0},                    // the block claims more than the field has
        {UnixTimeBlock(3, {1, 2}).substr(0, 11), 1},     // cut inside the second time
        {std::string("\x01\x00\x04\x00\xff\xff\xff\xff", 8) + UnixTimeBlock(2, {9}), 2},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const std::string& e = cases[i].extra;
        std::vector<uint8_t> exact(e.begin(), e.end());
        ZipUnixTimes times = ParseExtendedTimestamp(exact.data(), exact.size());
        EXPECT_EQ(times.present, cases[i].present);
        // And through a whole archive, with the field at the very end of its buffer.
        std::vector<ZipEntry> entries(1);
        entries[0].name = "t";
        entries[0].localExtra = e;
        MemoryZip zip(BuildZip(entries));
        ZipItemInfo info{};
        EXPECT_EQ(ZipGetEntry(zip.handle, 0, &info), ZIPR_OK);
    }
}

// Every prefix of an archive, and every single damaged byte of its headers: records and
// extraction either work or fail with a code, never reading outside the data.
TEST(ZipReader, CutAndDamagedArchives)
{
    std::vector<ZipEntry> entries(3);
    entries[0].name = "first.txt";
    entries[0].data = std::string(700, 'a') + "end";
    entries[0].localExtra = UnixTimeBlock(7, {1, 2, 3});
    entries[1].name = "dir/";
    entries[1].method = 0;
    entries[2].name = "third.bin";
    entries[2].method = 0;
    entries[2].data = "xyz";
    std::string whole = BuildZip(entries);
    auto exercise = [](const std::string& bytes) {
        MemoryZip zip(bytes);
        if (!zip.handle)
            return;
        ZipItemInfo info{};
        ZipGetEntry(zip.handle, -1, &info);
        for (int i = 0; i < info.index && i < 5; ++i) {
            ZipItemInfo entry{};
            ZipGetEntry(zip.handle, i, &entry);
            DWORD result = 0;
            Extract(zip.handle, i, &result);
        }
    };
    for (size_t cut = 0; cut < whole.size(); ++cut)
        exercise(whole.substr(0, cut));
    for (size_t at = 0; at < whole.size(); ++at) {
        if (at >= 46 && at < 700) // the first member's own data
            continue;
        for (char value : {'\x00', '\xff', '\x80'}) {
            std::string damaged = whole;
            damaged[at] = value;
            exercise(damaged);
        }
    }
}
