// Files through the kernel calls: creation rules, pointer and size rules, attributes, finding, temporary files.
#include "support/support.h"
#include "win32/kernel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <fstream>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

std::u16string W(const std::string& s)
{
    std::u16string out;
    for (unsigned char c : s)
        out += char16_t(c);
    return out;
}

class Files : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = testsupport::ScratchDir();
        wdir = W(dir);
    }
    std::u16string P(const char16_t* name) const { return wdir + u"\\" + name; }
    HANDLE Open(const std::u16string& path, DWORD access, DWORD disposition, DWORD flags = FILE_ATTRIBUTE_NORMAL)
    {
        return CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition, flags, nullptr);
    }
    std::string dir;
    std::u16string wdir;
};

TEST_F(Files, DispositionsCreateTruncateAndReportExistingFiles)
{
    std::u16string path = P(u"a.bin");
    struct Step {
        DWORD disposition;
        bool opens;
        DWORD error;
        DWORD sizeAfter;
    } steps[] = {
        {OPEN_EXISTING, false, ERROR_FILE_NOT_FOUND, 0},
        {TRUNCATE_EXISTING, false, ERROR_FILE_NOT_FOUND, 0},
        {CREATE_NEW, true, ERROR_SUCCESS, 0},
        {CREATE_NEW, false, ERROR_FILE_EXISTS, 5},
        {OPEN_ALWAYS, true, ERROR_ALREADY_EXISTS, 5},
        {OPEN_EXISTING, true, ERROR_SUCCESS, 5},
        {CREATE_ALWAYS, true, ERROR_ALREADY_EXISTS, 0},
        {TRUNCATE_EXISTING, true, ERROR_SUCCESS, 0},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.disposition);
        HANDLE h = Open(path, GENERIC_READ | GENERIC_WRITE, s.disposition);
        EXPECT_EQ(h != INVALID_HANDLE_VALUE, s.opens);
        EXPECT_EQ(GetLastError(), s.error);
        if (h == INVALID_HANDLE_VALUE)
            continue;
        EXPECT_EQ(GetFileSize(h, nullptr), s.sizeAfter);
        DWORD n;
        ASSERT_TRUE(WriteFile(h, "hello", 5, &n, nullptr));
        ASSERT_TRUE(CloseHandle(h));
    }
    EXPECT_EQ(Open(P(u"no\\such\\folder.txt"), GENERIC_WRITE, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
}

TEST_F(Files, ReadWriteAndThePointerRules)
{
    HANDLE h = Open(P(u"data.bin"), GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD n;
    ASSERT_TRUE(WriteFile(h, "0123456789", 10, &n, nullptr));
    EXPECT_EQ(SetFilePointer(h, -4, nullptr, FILE_END), 6u);
    char buf[16] = {};
    ASSERT_TRUE(ReadFile(h, buf, sizeof buf, &n, nullptr));
    EXPECT_EQ(std::string(buf, n), "6789");
    ASSERT_TRUE(ReadFile(h, buf, sizeof buf, &n, nullptr)); // end of file: success, nothing read
    EXPECT_EQ(n, 0u);

    // A positioned read moves the pointer behind what it read, as for any synchronous handle.
    OVERLAPPED ov{};
    ov.Offset = 2;
    ASSERT_TRUE(ReadFile(h, buf, 3, &n, &ov));
    EXPECT_EQ(std::string(buf, 3), "234");
    EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 5u);

    // Without a high half, a position beyond 32 bits is refused rather than cut.
    LARGE_INTEGER far;
    far.QuadPart = 0x100000010LL;
    ASSERT_TRUE(SetFilePointerEx(h, far, nullptr, FILE_BEGIN));
    EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(SetFilePointer(h, -20, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NEGATIVE_SEEK));

    // Writing beyond the end extends the file; SetEndOfFile cuts it at the pointer.
    LARGE_INTEGER size;
    ASSERT_TRUE(GetFileSizeEx(h, &size));
    EXPECT_EQ(size.QuadPart, 10);
    EXPECT_EQ(SetFilePointer(h, 4, nullptr, FILE_BEGIN), 4u);
    ASSERT_TRUE(SetEndOfFile(h));
    EXPECT_EQ(GetFileSize(h, nullptr), 4u);
    EXPECT_EQ(GetFileType(h), DWORD(FILE_TYPE_DISK));
    ASSERT_TRUE(CloseHandle(h));

    HANDLE ro = Open(P(u"data.bin"), GENERIC_READ, OPEN_EXISTING);
    EXPECT_FALSE(WriteFile(ro, "x", 1, &n, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    CloseHandle(ro);
}

TEST_F(Files, StaleAndForeignHandlesAreRejected)
{
    HANDLE h = Open(P(u"x"), GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
    ASSERT_TRUE(CloseHandle(h));
    DWORD n;
    char c;
    for (HANDLE bad : {h, HANDLE(nullptr), INVALID_HANDLE_VALUE, HANDLE(UlongToHandle(0x7FFC))}) {
        EXPECT_FALSE(ReadFile(bad, &c, 1, &n, nullptr));
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
        EXPECT_FALSE(CloseHandle(bad));
    }
    // A handle of another kind is not a file.
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    EXPECT_FALSE(ReadFile(event, &c, 1, &n, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((wdir + u"/*").c_str(), &fd);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(CloseHandle(find)); // find handles close with FindClose
    EXPECT_TRUE(FindClose(find));
    EXPECT_FALSE(FindClose(event));
    CloseHandle(event);
}

TEST_F(Files, PathsTakeEitherSeparatorAndAnyLetterCase)
{
    ASSERT_TRUE(CreateDirectoryW(P(u"Sub").c_str(), nullptr));
    HANDLE h = Open(wdir + u"/Sub/Report.TXT", GENERIC_WRITE, CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    for (const char16_t* name : {u"\\Sub\\Report.TXT", u"/sub/report.txt", u"\\SUB/REPORT.txt"})
        EXPECT_NE(GetFileAttributesW((wdir + name).c_str()), INVALID_FILE_ATTRIBUTES) << std::string(name, name + 5);
    std::string mapped;
    ASSERT_TRUE(dovemark::MapPath((wdir + u"\\SUB\\new.txt").c_str(), mapped));
    EXPECT_EQ(mapped, dir + "/Sub/new.txt");
    EXPECT_FALSE(CreateDirectoryW(P(u"Sub").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(CreateDirectoryW(P(u"a\\b\\c").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(RemoveDirectoryW(P(u"Sub").c_str()));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_DIR_NOT_EMPTY));

    // Chinese names survive the trip to the file system and back.
    std::u16string chinese = P(u"恢复的文件.txt");
    h = Open(chinese, GENERIC_WRITE, CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW(P(u"恢复*").c_str(), &fd);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_EQ(std::u16string(fd.cFileName), u"恢复的文件.txt");
    FindClose(find);
}

TEST_F(Files, LetterCaseLookupFollowsChangesInTheFolder)
{
    auto mapped = [](const std::u16string& path) {
        std::string out;
        EXPECT_TRUE(dovemark::MapPath(path.c_str(), out));
        return out.substr(out.find_last_of('/') + 1);
    };
    HANDLE h = Open(P(u"Report.TXT"), GENERIC_WRITE, CREATE_NEW);
    CloseHandle(h);
    EXPECT_EQ(mapped(P(u"report.txt")), "Report.TXT");
    // Made behind the layer's back (a tick later, so the folder's time shows it): found all the same.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::ofstream(dir + "/Other.Dat") << "x";
    EXPECT_EQ(mapped(P(u"OTHER.DAT")), "Other.Dat");
    // Removed and made again in another case: the new name is the one on disk.
    EXPECT_TRUE(DeleteFileW(P(u"REPORT.txt").c_str()));
    EXPECT_EQ(mapped(P(u"report.txt")), "report.txt");
    h = Open(P(u"report.TXT"), GENERIC_WRITE, CREATE_NEW);
    CloseHandle(h);
    EXPECT_EQ(mapped(P(u"REPORT.txt")), "report.TXT");
    ASSERT_EQ(unlink((dir + "/Other.Dat").c_str()), 0);
    EXPECT_EQ(mapped(P(u"other.dat")), "other.dat");
}

TEST_F(Files, AttributesThatLinuxLacksAreKept)
{
    std::u16string path = P(u"h.txt");
    HANDLE h = Open(path, GENERIC_WRITE, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_EQ(GetFileAttributesW(path.c_str()), DWORD(FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM));
    EXPECT_EQ(GetFileAttributesW(path.c_str()), DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM));

    // Read-only holds even for a user whom Linux would let write (root in CI).
    EXPECT_EQ(Open(path, GENERIC_WRITE, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(DeleteFileW(path.c_str()));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    EXPECT_EQ(_waccess(path.c_str(), 2), -1);
    EXPECT_EQ(_waccess(path.c_str(), 0), 0);
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetFileAttributesW(path.c_str()), DWORD(FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(DeleteFileW(path.c_str()));
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(GetFileAttributesW(wdir.c_str()), DWORD(FILE_ATTRIBUTE_DIRECTORY));
}

TEST_F(Files, FindMatchesWildcardsLikeWindows)
{
    for (const char* name : {"a.txt", "B.TXT", "c.doc", "noext", "a.txt.bak"})
        std::ofstream(dir + "/" + name) << "x";
    struct Case {
        const char16_t* pattern;
        std::set<std::u16string> names;
    } cases[] = {
        {u"*.txt", {u"a.txt", u"B.TXT"}},
        {u"?.*", {u".", u"..", u"a.txt", u"B.TXT", u"c.doc", u"a.txt.bak"}},
        {u"*.*", {u".", u"..", u"a.txt", u"B.TXT", u"c.doc", u"noext", u"a.txt.bak"}},
        {u"noext.*", {u"noext"}},
        {u"A.TXT", {u"a.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.pattern, c.pattern + std::char_traits<char16_t>::length(c.pattern)));
        std::set<std::u16string> found;
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW(P(c.pattern).c_str(), &fd);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        do
            found.insert(fd.cFileName);
        while (FindNextFileW(h, &fd));
        EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_MORE_FILES));
        FindClose(h);
        EXPECT_EQ(found, c.names);
    }
    WIN32_FIND_DATAW fd;
    EXPECT_EQ(FindFirstFileW(P(u"*.xls").c_str(), &fd), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(FindFirstFileW(P(u"missing\\*").c_str(), &fd), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
}

TEST_F(Files, CopyAndMove)
{
    std::ofstream(dir + "/src.txt") << "payload";
    EXPECT_TRUE(CopyFileW(P(u"src.txt").c_str(), P(u"dst.txt").c_str(), TRUE));
    EXPECT_FALSE(CopyFileW(P(u"src.txt").c_str(), P(u"dst.txt").c_str(), TRUE));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_EXISTS));
    // Copying a file onto itself must not empty it.
    EXPECT_FALSE(CopyFileW(P(u"src.txt").c_str(), P(u"SRC.txt").c_str(), FALSE));
    std::string text;
    std::ifstream(dir + "/src.txt") >> text;
    EXPECT_EQ(text, "payload");
    EXPECT_FALSE(MoveFileW(P(u"src.txt").c_str(), P(u"dst.txt").c_str()));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
    EXPECT_TRUE(MoveFileExW(P(u"src.txt").c_str(), P(u"dst.txt").c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetFileAttributesW(P(u"src.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(MoveFileW(P(u"gone.txt").c_str(), P(u"x.txt").c_str()));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
}

TEST(TempFiles, PrivateFolderAndUniqueNames)
{
    WCHAR folder[MAX_PATH];
    DWORD n = GetTempPathW(MAX_PATH, folder);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(folder[n - 1], u'/');
    std::string path(folder, folder + n);
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_FALSE(dovemark::IsPathOnSourceDisk(folder));
    WCHAR small[2];
    EXPECT_EQ(GetTempPathW(2, small), n + 1); // the size needed

    WCHAR a[MAX_PATH], b[MAX_PATH];
    UINT ua = GetTempFileNameW(folder, u"cnv", 0, a);
    UINT ub = GetTempFileNameW(folder, u"cnv", 0, b);
    ASSERT_NE(ua, 0u);
    ASSERT_NE(ub, 0u);
    EXPECT_NE(std::u16string(a), std::u16string(b));
    EXPECT_EQ(std::u16string(a).find(u"cnv"), n);
    EXPECT_NE(GetFileAttributesW(a), INVALID_FILE_ATTRIBUTES); // made, so nobody else takes it
    EXPECT_EQ(GetTempFileNameW(folder, u"pre", 0x1234, a), 0x1234u);
    EXPECT_EQ(std::u16string(a), std::u16string(folder) + u"pre1234.tmp");
    EXPECT_EQ(GetFileAttributesW(a), INVALID_FILE_ATTRIBUTES);
}

TEST(TempFiles, ModuleFileNameIsTheRunningProgram)
{
    WCHAR name[1024];
    DWORD n = GetModuleFileNameW(nullptr, name, 1024);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(std::u16string(name).find(u"platform_tests"), n - 14);
    WCHAR small[5];
    EXPECT_EQ(GetModuleFileNameW(nullptr, small, 5), 5u);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(small[4], 0); // cut, but terminated
}

TEST_F(Files, CRuntimeOnWidePaths)
{
    std::u16string path = P(u"文档.dat");
    FILE* f = _wfopen(path.c_str(), u"wb");
    ASSERT_NE(f, nullptr);
    std::fputs("abcdef", f);
    std::fclose(f);
    int fd = _wopen(path.c_str(), _O_RDONLY | _O_BINARY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(_filelength(fd), 6);
    EXPECT_EQ(_lseeki64(fd, 2, SEEK_SET), 2);
    char buf[8] = {};
    EXPECT_EQ(_read(fd, buf, 8), 4);
    EXPECT_STREQ(buf, "cdef");
    _close(fd);
    EXPECT_EQ(_waccess(path.c_str(), 6), 0);
    EXPECT_EQ(_waccess(P(u"none").c_str(), 0), -1);
    EXPECT_EQ(_wfopen(path.c_str(), u"q"), nullptr);
    EXPECT_EQ(_wrename(path.c_str(), P(u"moved.dat").c_str()), 0);
    EXPECT_EQ(_wremove(P(u"moved.dat").c_str()), 0);
}

} // namespace
