// File information: the system image lists, icon indexes and type names by name and attributes.
#include "support/support.h"
#include "win32/gdi.h"
#include "win32/kernel.h"
#include "win32/shell.h"
#include "win32/user.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

namespace {

std::u16string W(const std::string& s)
{
    return std::u16string(s.begin(), s.end());
}

struct Info {
    DWORD_PTR result = 0;
    SHFILEINFOW sfi{};
};

Info Ask(const std::u16string& path, DWORD attributes, UINT flags)
{
    Info i;
    i.result = SHGetFileInfoW(path.c_str(), attributes, &i.sfi, sizeof i.sfi, flags);
    return i;
}

const UINT kByName = SHGFI_USEFILEATTRIBUTES;

TEST(FileInfo, TypeNamesAndIconsFollowTheExtension)
{
    struct Case {
        const char16_t* name;
        DWORD attributes;
        const char16_t* typeName;
        const char16_t* sameIconAs; // a name whose icon must match, or null
    } cases[] = {
        {u"notes.txt", FILE_ATTRIBUTE_NORMAL, u"文本文档", u"x.LOG"},
        {u"C:\\photos\\IMG_0001.JPG", FILE_ATTRIBUTE_NORMAL, u"JPEG 图像", u"y.png"},
        {u"song.Mp3", FILE_ATTRIBUTE_NORMAL, u"MP3 格式声音", u"z.wav"},
        {u"setup.exe", FILE_ATTRIBUTE_NORMAL, u"应用程序", nullptr},
        {u"archive.tar.gz", FILE_ATTRIBUTE_NORMAL, u"GZ 压缩文件", u"a.zip"},
        {u"data.xyz", FILE_ATTRIBUTE_NORMAL, u"XYZ 文件", u"b.qqq"},
        {u"README", FILE_ATTRIBUTE_NORMAL, u"文件", u"b.qqq"},
        {u"dir.v1\\name", FILE_ATTRIBUTE_NORMAL, u"文件", u"b.qqq"},
        {u"trailing.", FILE_ATTRIBUTE_NORMAL, u"文件", u"b.qqq"},
        {u"Doesn't matter", FILE_ATTRIBUTE_DIRECTORY, u"文件夹", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.typeName, c.typeName + 2));
        for (UINT size : {SHGFI_SMALLICON, SHGFI_LARGEICON}) {
            Info i = Ask(c.name, c.attributes, kByName | SHGFI_TYPENAME | SHGFI_SYSICONINDEX | size);
            EXPECT_EQ(i.result, Ask(u"c:\\", 0, SHGFI_SYSICONINDEX | size).result);
            EXPECT_EQ(std::u16string(i.sfi.szTypeName), c.typeName);
            int count = ImageList_GetImageCount((HIMAGELIST)i.result);
            EXPECT_TRUE(i.sfi.iIcon >= 0 && i.sfi.iIcon < count);
            Info again = Ask(c.name, c.attributes, kByName | SHGFI_SYSICONINDEX | size);
            EXPECT_EQ(again.sfi.iIcon, i.sfi.iIcon);
            if (c.sameIconAs) {
                EXPECT_EQ(Ask(c.sameIconAs, FILE_ATTRIBUTE_NORMAL, kByName | SHGFI_SYSICONINDEX | size).sfi.iIcon,
                          i.sfi.iIcon);
            }
        }
    }
    // Kinds that differ get different pictures.
    auto icon = [](const char16_t* n, DWORD a) { return Ask(n, a, kByName | SHGFI_SYSICONINDEX).sfi.iIcon; };
    EXPECT_NE(icon(u"x", FILE_ATTRIBUTE_DIRECTORY), icon(u"x", FILE_ATTRIBUTE_NORMAL));
    EXPECT_NE(icon(u"a.txt", FILE_ATTRIBUTE_NORMAL), icon(u"a.jpg", FILE_ATTRIBUTE_NORMAL));
}

TEST(FileInfo, SystemListsAreSharedAndSized)
{
    SHFILEINFOW sfi{};
    HIMAGELIST small = (HIMAGELIST)SHGetFileInfoW(u"c:\\", 0, &sfi, sizeof sfi, SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    HIMAGELIST large = (HIMAGELIST)SHGetFileInfoW(u"c:\\", 0, &sfi, sizeof sfi, SHGFI_SYSICONINDEX);
    ASSERT_NE(small, nullptr);
    ASSERT_NE(large, nullptr);
    EXPECT_NE(small, large);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(small, &cx, &cy);
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 16);
    ImageList_GetIconSize(large, &cx, &cy);
    EXPECT_EQ(cx, 32);
    // A window that takes the list and destroys it on its way out does not take it from the others.
    EXPECT_FALSE(ImageList_Destroy(small));
    EXPECT_GT(ImageList_GetImageCount(small), 0);

    // A drawn icon is transparent around the picture and opaque inside it.
    Info folder = Ask(u"f", FILE_ATTRIBUTE_DIRECTORY, kByName | SHGFI_ICON | SHGFI_SMALLICON);
    ASSERT_NE(folder.sfi.hIcon, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateBitmap(16, 16, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    RECT all{0, 0, 16, 16};
    HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
    FillRect(dc, &all, green);
    DrawIconEx(dc, 0, 0, folder.sfi.hIcon, 16, 16, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 255, 0));
    EXPECT_NE(GetPixel(dc, 8, 10), RGB(0, 255, 0));
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteObject(green);
    DeleteDC(dc);
    DestroyIcon(folder.sfi.hIcon);
}

TEST(FileInfo, LooksOnDiskWithoutUseFileAttributes)
{
    std::string dir = testsupport::ScratchDir();
    std::ofstream(dir + "/page.HTM") << "<p>";
    mkdir((dir + "/sub.txt").c_str(), 0755);

    Info file = Ask(W(dir + "/page.HTM"), 0, SHGFI_TYPENAME | SHGFI_DISPLAYNAME);
    EXPECT_NE(file.result, 0u);
    EXPECT_EQ(std::u16string(file.sfi.szTypeName), u"HTML 文档");
    EXPECT_EQ(std::u16string(file.sfi.szDisplayName), u"page.HTM");
    // A folder whose name looks like a document is a folder.
    Info folder = Ask(W(dir + "/sub.txt"), FILE_ATTRIBUTE_NORMAL, SHGFI_TYPENAME);
    EXPECT_EQ(std::u16string(folder.sfi.szTypeName), u"文件夹");

    // On disk too, an extension without a registered type is named after itself.
    std::ofstream(dir + "/table.xyz") << "x";
    Info unknown = Ask(W(dir + "/table.xyz"), 0, SHGFI_TYPENAME);
    EXPECT_NE(unknown.result, 0u);
    EXPECT_EQ(std::u16string(unknown.sfi.szTypeName), u"XYZ 文件");

    // Without the attributes a missing file cannot be answered for: the call fails, no name.
    Info missing = Ask(W(dir + "/none.txt"), 0, SHGFI_TYPENAME);
    EXPECT_EQ(missing.result, 0u);
    EXPECT_EQ(std::u16string(missing.sfi.szTypeName), u"");
    EXPECT_EQ(Ask(W(dir + "/page.HTM"), 0, SHGFI_ATTRIBUTES).result, 0u);
    EXPECT_EQ(SHGetFileInfoW(u"a.txt", 0, nullptr, 0, kByName | SHGFI_TYPENAME), 0u);
    SHFILEINFOW sfi;
    EXPECT_EQ(SHGetFileInfoW(u"a.txt", 0, &sfi, sizeof sfi - 1, kByName | SHGFI_TYPENAME), 0u);
}

} // namespace
