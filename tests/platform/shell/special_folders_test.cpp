// Special folders as XDG folders, item lists and the shell allocator.
#include "support/support.h"
#include "win32/kernel/util.h"
#include "win32/shell.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sys/stat.h>

namespace {

class SpecialFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* h = std::getenv("HOME"))
            savedHome_ = h;
        home_ = testsupport::ScratchDir();
        setenv("HOME", home_.c_str(), 1);
        for (const char* v : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_CONFIG_DIRS"})
            unsetenv(v);
    }
    void TearDown() override { setenv("HOME", savedHome_.c_str(), 1); }
    std::string home_, savedHome_;
};

TEST_F(SpecialFolderTest, MapsToTheXdgFolders)
{
    mkdir((home_ + "/.config").c_str(), 0700);
    std::ofstream(home_ + "/.config/user-dirs.dirs") << "# written by the desktop\n"
                                                     << "XDG_DESKTOP_DIR=\"$HOME/桌面\"\n"
                                                     << "  XDG_DOCUMENTS_DIR=\"" << home_ << "/docs\"\n"
                                                     << "XDG_MUSIC_DIR=relative-is-ignored\n";
    setenv("XDG_CACHE_HOME", (home_ + "/cache").c_str(), 1);
    setenv("XDG_DATA_HOME", "relative/is/ignored", 1);
    setenv("XDG_CONFIG_DIRS", (home_ + "/etc:/etc/xdg").c_str(), 1);
    struct Case {
        int csidl;
        std::string path;
    } cases[] = {
        {CSIDL_APPDATA, home_ + "/.config"},
        {CSIDL_LOCAL_APPDATA, home_ + "/.local/share"},
        {CSIDL_INTERNET_CACHE, home_ + "/cache"},
        {CSIDL_DESKTOPDIRECTORY, home_ + "/桌面"},
        {CSIDL_DESKTOP, home_ + "/桌面"},
        {CSIDL_PERSONAL, home_ + "/docs"},
        {CSIDL_MYMUSIC, home_},
        {CSIDL_PROFILE, home_},
        {CSIDL_COMMON_APPDATA, home_ + "/etc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.csidl);
        std::u16string expected = dovemark::kernel::Utf8ToUtf16(c.path);
        WCHAR buf[MAX_PATH];
        ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, buf, c.csidl, TRUE));
        EXPECT_EQ(std::u16string(buf), expected);
        struct stat st;
        EXPECT_EQ(stat(c.path.c_str(), &st), 0);

        LPITEMIDLIST pidl = nullptr;
        ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, c.csidl, &pidl), S_OK);
        WCHAR fromList[MAX_PATH];
        EXPECT_TRUE(SHGetPathFromIDListW(pidl, fromList));
        EXPECT_EQ(std::u16string(fromList), expected);
        CoTaskMemFree(pidl);
    }
}

TEST_F(SpecialFolderTest, MissingFolderFailsUnlessCreated)
{
    WCHAR buf[MAX_PATH] = u"stale";
    EXPECT_FALSE(SHGetSpecialFolderPathW(nullptr, buf, CSIDL_APPDATA, FALSE));
    EXPECT_EQ(buf[0], 0);
    LPITEMIDLIST pidl = reinterpret_cast<LPITEMIDLIST>(1);
    EXPECT_TRUE(FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_APPDATA, &pidl)));
    EXPECT_EQ(pidl, nullptr);
    EXPECT_TRUE(SHGetSpecialFolderPathW(nullptr, buf, CSIDL_APPDATA, TRUE));
    struct stat st;
    ASSERT_EQ(stat((home_ + "/.config").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_APPDATA, &pidl)));
    IMalloc* malloc = nullptr;
    ASSERT_EQ(SHGetMalloc(&malloc), S_OK);
    malloc->Free(pidl);
    malloc->Release();

    EXPECT_FALSE(SHGetSpecialFolderPathW(nullptr, buf, 0x7F, TRUE));
    EXPECT_EQ(SHGetSpecialFolderLocation(nullptr, 0x7F, &pidl), E_INVALIDARG);
}

TEST(ItemList, ForeignOrDamagedListsAreRefused)
{
    WCHAR out[MAX_PATH] = u"stale";
    // Two items that some other code made: right sizes, not this layer's content.
    BYTE foreign[] = {6, 0, 0x31, 0, 'a', 0, 0, 0};
    EXPECT_FALSE(SHGetPathFromIDListW(reinterpret_cast<LPCITEMIDLIST>(foreign), out));
    EXPECT_EQ(out[0], 0);
    // An odd item size.
    BYTE odd[] = {7, 0, 'L', 'X', 'P', 1, 'a', 0, 0};
    EXPECT_FALSE(SHGetPathFromIDListW(reinterpret_cast<LPCITEMIDLIST>(odd), out));
    EXPECT_FALSE(SHGetPathFromIDListW(nullptr, out));
}

TEST(ShellAllocator, AllocatesFreesAndReportsAutoCompleteAbsent)
{
    IMalloc* m = nullptr;
    ASSERT_EQ(SHGetMalloc(&m), S_OK);
    void* same = nullptr;
    EXPECT_EQ(m->QueryInterface(IID_IUnknown, &same), S_OK);
    EXPECT_EQ(same, static_cast<IUnknown*>(m));
    EXPECT_EQ(m->QueryInterface(IID_IDispatch, &same), E_NOINTERFACE);
    EXPECT_EQ(same, nullptr);
    void* p = m->Alloc(40);
    ASSERT_NE(p, nullptr);
    EXPECT_GE(m->GetSize(p), 40u);
    p = m->Realloc(p, 4000);
    ASSERT_NE(p, nullptr);
    CoTaskMemFree(p);
    CoTaskMemFree(nullptr);
    EXPECT_EQ(SHAutoComplete(nullptr, SHACF_FILESYSTEM), E_FAIL);
}

} // namespace
