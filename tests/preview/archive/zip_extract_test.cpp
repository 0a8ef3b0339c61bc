// Zip extraction into files and folder trees, and the zip writer: archives written and read back whole, names
// that would leave the target folder refused, damaged members reported, results of the wrong handle kind.
#include "preview/archive/archive_writers.h"
#include "preview/archive/zip_reader.h"

#include "afx/afx.h"
#include "support/support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace archive_test;
namespace fs = std::filesystem;

namespace {

ZipEntry Entry(const std::string& name, const std::string& data)
{
    ZipEntry e;
    e.name = name;
    e.data = data;
    return e;
}

std::string Read(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Extraction writes under the folder that is current when the archive is opened: each test opens its archives
// from a fresh folder "out" inside a scratch folder that also holds what must stay untouched.
class ZipExtractTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = testsupport::ScratchDir();
        out = root + "/out";
        fs::create_directories(out);
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        saved = cwd;
        ASSERT_EQ(chdir(out.c_str()), 0);
    }
    void TearDown() override { EXPECT_EQ(chdir(saved.c_str()), 0); }
    ZipHandle OpenFile(const std::string& bytes)
    {
        const std::string path = root + "/archive.zip";
        std::ofstream(path, std::ios::binary) << bytes;
        return ZipOpenArchive(CString(path.c_str()).GetString(), 0, ZIP_FILENAME);
    }
    // Extracts every entry under its own name; the result codes in order.
    std::vector<DWORD> ExtractAll(ZipHandle zip)
    {
        ZipItemInfo info{};
        std::vector<DWORD> results;
        ZipGetEntry(zip, -1, &info);
        for (int i = 0, n = info.index; i < n; ++i) {
            ZipGetEntry(zip, i, &info);
            results.push_back(ZipExtractEntry(zip, i, info.name, 0, ZIP_FILENAME));
        }
        return results;
    }
    std::string root, out, saved;
};

TEST_F(ZipExtractTest, WriterAndExtractionRoundTripFilesFoldersAndTimes)
{
    // A source file with a known time, a folder, and members from memory with a CJK name and a deep path.
    const std::string source = root + "/report.txt";
    std::ofstream(source) << std::string(5000, 'r');
    struct timespec times[2] = {{1600000000, 0}, {1600000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, source.c_str(), times, 0), 0);
    fs::create_directories(root + "/empty");

    const std::string zipPath = root + "/made.zip";
    ZipHandle writer = ZipCreateArchive(CString(zipPath.c_str()).GetString(), 0, ZIP_FILENAME);
    ASSERT_NE(writer, nullptr);
    const std::string text = "数据恢复\r\n" + std::string(3000, 'x');
    const std::string random = [] {
        std::string s;
        for (uint32_t v = 1, i = 0; i < 700; ++i, v = v * 1103515245 + 12345)
            s += char(v >> 16);
        return s;
    }();
    EXPECT_EQ(ZipAddEntry(writer, u"docs\\report.txt", CString(source.c_str()).GetString(), 0, ZIP_FILENAME), ZIPR_OK);
    EXPECT_EQ(ZipAddEntry(writer, u"empty", CString((root + "/empty").c_str()).GetString(), 0, ZIP_FILENAME),
              ZIPR_OK);
    EXPECT_EQ(ZipAddEntry(writer, u"文件夹/深/笔记.txt", text.data(), DWORD(text.size()), ZIP_MEMORY), ZIPR_OK);
    EXPECT_EQ(ZipAddEntry(writer, u"noise.bin", random.data(), DWORD(random.size()), ZIP_MEMORY), ZIPR_OK);
    EXPECT_EQ(ZipAddEntry(writer, u"nothing.txt", nullptr, 0, ZIP_MEMORY), ZIPR_OK);
    EXPECT_EQ(ZipAddEntry(writer, u"gone.txt", u"/no/such/file", 0, ZIP_FILENAME), ZIPR_NO_FILE);
    DWORD length = 0;
    EXPECT_EQ(ZipCloseWriter(writer, &length), ZIPR_OK);
    EXPECT_EQ(length, fs::file_size(zipPath));
    EXPECT_LT(length, 3000u) << "compressible members are deflated";

    ZipHandle zip = ZipOpenArchive(CString(zipPath.c_str()).GetString(), 0, ZIP_FILENAME);
    ASSERT_NE(zip, nullptr);
    ZipItemInfo info{};
    ASSERT_EQ(ZipGetEntry(zip, -1, &info), ZIPR_OK);
    ASSERT_EQ(info.index, 5);
    ASSERT_EQ(ZipGetEntry(zip, 1, &info), ZIPR_OK);
    EXPECT_EQ(CString(info.name), CString(u"empty/"));
    EXPECT_TRUE(info.attributes & FILE_ATTRIBUTE_DIRECTORY);
    ASSERT_EQ(ZipGetEntry(zip, 0, &info), ZIPR_OK);
    EXPECT_EQ(CString(info.name), CString(u"docs/report.txt"));
    EXPECT_FALSE(info.attributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(info.uncompressedSize, 5000);
    EXPECT_EQ(ExtractAll(zip), (std::vector<DWORD>{ZIPR_OK, ZIPR_OK, ZIPR_OK, ZIPR_OK, ZIPR_OK}));
    EXPECT_EQ(ZipCloseArchive(zip), ZIPR_OK);

    EXPECT_EQ(Read(out + "/docs/report.txt"), std::string(5000, 'r'));
    EXPECT_EQ(Read(out + "/文件夹/深/笔记.txt"), text);
    EXPECT_EQ(Read(out + "/noise.bin"), random);
    EXPECT_TRUE(fs::is_regular_file(out + "/nothing.txt"));
    EXPECT_TRUE(fs::is_directory(out + "/empty"));
    struct stat st {};
    ASSERT_EQ(stat((out + "/docs/report.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1600000000);
}

// Names from the archive are not trusted: none may put a file or a folder outside the target folder.
TEST_F(ZipExtractTest, NamesLeavingTheTargetFolderAreRefused)
{
    const char* names[] = {"../escape.txt", "a/../../escape.txt", "..\\escape.txt", "/tmp/escape.txt",
                           "\\escape.txt", "C:escape.txt", "c:/escape.txt", "..", "../up/"};
    std::vector<ZipEntry> entries;
    for (const char* name : names) {
        ZipEntry e;
        e.name = name;
        e.data = "outside";
        if (e.name.back() == '/') {
            e.data.clear();
            e.externalAttributes = 0x10;
        }
        entries.push_back(e);
    }
    entries.push_back(Entry("inside/kept.txt", "inside"));
    ZipHandle zip = OpenFile(BuildZip(entries));
    ASSERT_NE(zip, nullptr);
    std::vector<DWORD> results = ExtractAll(zip);
    ASSERT_EQ(results.size(), std::size(names) + 1);
    for (size_t i = 0; i < std::size(names); ++i)
        EXPECT_EQ(results[i], ZIPR_NO_FILE) << names[i];
    EXPECT_EQ(results.back(), ZIPR_OK);
    // A caller's own target name is held to the same rule.
    EXPECT_EQ(ZipExtractEntry(zip, int(std::size(names)), (void*)u"../escape.txt", 0, ZIP_FILENAME), ZIPR_NO_FILE);
    ZipCloseArchive(zip);

    EXPECT_EQ(Read(out + "/inside/kept.txt"), "inside");
    EXPECT_FALSE(fs::exists(root + "/escape.txt"));
    EXPECT_FALSE(fs::exists(root + "/up"));
    EXPECT_FALSE(fs::exists("/tmp/escape.txt"));
    std::vector<std::string> made;
    for (const auto& e : fs::directory_iterator(root))
        made.push_back(e.path().filename().string());
    std::sort(made.begin(), made.end());
    EXPECT_EQ(made, (std::vector<std::string>{"archive.zip", "out"}));
}

// A member that fails its CRC or cannot be inflated is a failed extraction; a handle target gets the bytes.
TEST_F(ZipExtractTest, DamagedMembersAndHandleTargets)
{
    ZipEntry good = Entry("good.txt", std::string(2000, 'g'));
    ZipEntry badCrc = Entry("crc.txt", std::string(2000, 'c'));
    badCrc.badCrc = true;
    ZipHandle zip = OpenFile(BuildZip({good, badCrc}));
    ASSERT_NE(zip, nullptr);
    EXPECT_EQ(ZipExtractEntry(zip, 1, (void*)u"crc.txt", 0, ZIP_FILENAME), ZIPR_WRITE);

    const std::string target = root + "/handle.txt";
    HANDLE file = CreateFileW(CString(target.c_str()), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ZipExtractEntry(zip, 0, file, 0, ZIP_HANDLE), ZIPR_OK);
    CloseHandle(file);
    EXPECT_EQ(Read(target), good.data);
    EXPECT_EQ(ZipExtractEntry(zip, 2, (void*)u"x", 0, ZIP_FILENAME), ZIPR_ARGS);
    EXPECT_EQ(ZipExtractEntry(zip, 0, nullptr, 0, ZIP_FILENAME), ZIPR_ARGS);
    ZipCloseArchive(zip);
}

// A memory target too small for the archive, and handles given to the other kind's operations.
TEST_F(ZipExtractTest, WriterResultCodes)
{
    // Too small for the member, then for the directory: nothing past the block is written either way.
    for (DWORD size : {16u, 64u}) {
        SCOPED_TRACE(size);
        std::vector<char> block(size + 8, '#');
        ZipHandle small = ZipCreateArchive(block.data(), size, ZIP_MEMORY);
        ASSERT_NE(small, nullptr);
        EXPECT_EQ(ZipAddEntry(small, u"a.txt", "0123456789", 10, ZIP_MEMORY), size == 16 ? ZIPR_MEMSIZE : ZIPR_OK);
        EXPECT_EQ(ZipCloseWriter(small), ZIPR_MEMSIZE);
        EXPECT_EQ(std::string(block.data() + size, 8), "########");
    }

    std::vector<char> big(4096);
    ZipHandle memory = ZipCreateArchive(big.data(), DWORD(big.size()), ZIP_MEMORY);
    ASSERT_NE(memory, nullptr);
    EXPECT_EQ(ZipAddEntry(memory, u"a.txt", "0123456789", 10, ZIP_MEMORY), ZIPR_OK);
    EXPECT_EQ(ZipGetEntry(memory, 0, nullptr), ZIPR_WRONG_KIND);
    EXPECT_EQ(ZipCloseArchive(memory), ZIPR_WRONG_KIND);
    EXPECT_FALSE(ZipIsReader(memory));
    DWORD length = 0;
    EXPECT_EQ(ZipCloseWriter(memory, &length), ZIPR_OK);
    ZipHandle reader = ZipOpenArchive(big.data(), length, ZIP_MEMORY);
    ASSERT_NE(reader, nullptr);
    char bytes[16] = {};
    EXPECT_EQ(ZipExtractEntry(reader, 0, bytes, sizeof bytes, ZIP_MEMORY), ZIPR_MORE);
    EXPECT_EQ(std::string(bytes, 10), "0123456789");
    EXPECT_EQ(ZipAddEntry(reader, u"b", "b", 1, ZIP_MEMORY), ZIPR_WRONG_KIND);
    EXPECT_EQ(ZipCloseWriter(reader), ZIPR_WRONG_KIND);
    EXPECT_EQ(ZipCloseArchive(reader), ZIPR_OK);
    EXPECT_EQ(ZipCloseWriter(nullptr), ZIPR_ARGS);
    EXPECT_EQ(ZipCreateArchive(nullptr, 0, 7), nullptr);
    EXPECT_EQ(ZipLastError, ZIPR_ARGS);
}

} // namespace
