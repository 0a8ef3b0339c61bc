// The test resource script compiled into this program, read back field by field.
#include "afx/string.h"
#include "platform/gdi/gdi_fixture.h"
#include "platform/resources/test_ids.h"
#include "support/support.h"
#include "win32/resources.h"
#include "win32/resources/formats.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

// Resources of the program itself; a null instance means the system's icons and cursors.
const HINSTANCE kApp = reinterpret_cast<HINSTANCE>(0x400000);

res::Blob Load(LPCWSTR type, LPCWSTR name)
{
    HRSRC r = FindResourceW(nullptr, name, type);
    if (!r)
        return {};
    return res::Blob{static_cast<const BYTE*>(LockResource(LoadResource(nullptr, r))), SizeofResource(nullptr, r)};
}

} // namespace

TEST(Resources, FindLoadAndFailures)
{
    res::Blob raw = Load(RT_RCDATA, u"named"); // string names match without regard to case
    ASSERT_TRUE(raw.data);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(raw.data)), "raw");
    SetLastError(0);
    EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(999), RT_DIALOG), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(77)), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_TYPE_NOT_FOUND));
    EXPECT_TRUE(FindResourceW(nullptr, u"#100", RT_DIALOG));
}

TEST(Resources, MalformedImagesAreRefusedWhole)
{
    const BYTE truncated[] = {0x10, 0, 0, 0, 0x20, 0, 0, 0, 0xFF, 0xFF};
    EXPECT_FALSE(res::RegisterImage(truncated, sizeof truncated));
    BYTE hugeSize[32] = {0xFF, 0xFF, 0xFF, 0x7F, 32};
    EXPECT_FALSE(res::RegisterImage(hugeSize, sizeof hugeSize));
}

TEST(Resources, StringTable)
{
    WCHAR buf[32];
    EXPECT_EQ(LoadStringW(nullptr, IDS_FIRST, buf, 32), 5);
    EXPECT_EQ(std::u16string(buf), u"First");
    EXPECT_EQ(LoadStringW(nullptr, IDS_SECOND, buf, 32), 5);
    EXPECT_EQ(std::u16string(buf), u"扫描 完成");
    EXPECT_EQ(LoadStringW(nullptr, IDS_FIRST, buf, 3), 2); // truncated, terminated
    EXPECT_EQ(std::u16string(buf), u"Fi");
    const WCHAR* direct = nullptr;
    EXPECT_EQ(LoadStringW(nullptr, IDS_SECOND, reinterpret_cast<LPWSTR>(&direct), 0), 5);
    EXPECT_EQ(std::u16string(direct, 5), u"扫描 完成");
    EXPECT_EQ(LoadStringW(nullptr, 2, buf, 32), 0);
    EXPECT_EQ(buf[0], 0);
    // Registering an image (an empty one will do) installs the framework's string loader, which
    // another test of this program may have replaced.
    ASSERT_TRUE(res::RegisterImage(nullptr, 0));
    CString s;
    EXPECT_TRUE(s.LoadString(IDS_SECOND)); // the framework's strings read the same tables
    EXPECT_EQ(std::u16string(s.GetString()), u"扫描 完成");
}

TEST(Resources, DialogTemplate)
{
    res::Blob b = Load(RT_DIALOG, MAKEINTRESOURCEW(IDD_TEST));
    res::Dialog d;
    ASSERT_TRUE(res::ParseDialog(b.data, b.size, d));
    EXPECT_TRUE(d.extended);
    EXPECT_EQ(d.x, 10);
    EXPECT_EQ(d.y, 20);
    EXPECT_EQ(d.cx, 200);
    EXPECT_EQ(d.cy, 100);
    EXPECT_EQ(d.style & 0x40u, 0x40u); // DS_SETFONT
    EXPECT_EQ(d.title, u"恢复向导");
    EXPECT_EQ(d.pointSize, 9);
    EXPECT_EQ(d.font, u"宋体");
    EXPECT_EQ(d.charset, 0x86);
    ASSERT_EQ(d.items.size(), 3u);
    EXPECT_EQ(d.items[0].id, 1u);
    EXPECT_EQ(d.items[0].cls.ordinal, 0x80); // Button
    EXPECT_EQ(d.items[0].title.name, u"OK");
    EXPECT_EQ(d.items[0].style & 0xFu, 1u); // BS_DEFPUSHBUTTON
    EXPECT_EQ(d.items[1].id, 0xFFFFFFFFu);
    EXPECT_EQ(d.items[1].cls.ordinal, 0x82); // Static
    EXPECT_EQ(d.items[2].cls.name, u"SysListView32");
    EXPECT_EQ(d.items[2].id, DWORD(IDC_LIST));
    EXPECT_EQ(d.items[2].cx, 180);
    // Cut short anywhere, the template is refused rather than read past its end.
    for (size_t n = 0; n < b.size; n += 7)
        EXPECT_FALSE(res::ParseDialog(b.data, n, d)) << n;
}

TEST(Resources, MenuAcceleratorsAndToolBar)
{
    res::Blob m = Load(RT_MENU, MAKEINTRESOURCEW(IDM_MAIN));
    std::vector<res::MenuItem> menu;
    ASSERT_TRUE(res::ParseMenu(m.data, m.size, menu));
    ASSERT_EQ(menu.size(), 2u);
    EXPECT_TRUE(menu[0].popup);
    EXPECT_EQ(menu[0].text, u"&File");
    ASSERT_EQ(menu[0].items.size(), 3u);
    EXPECT_EQ(menu[0].items[0].text, u"&Open\tCtrl+O");
    EXPECT_EQ(menu[0].items[0].id, UINT(ID_OPEN));
    EXPECT_EQ(menu[0].items[1].id, 0u); // separator
    EXPECT_TRUE(menu[0].items[1].text.empty());
    EXPECT_EQ(menu[0].items[2].flags & 1u, 1u); // MF_GRAYED
    EXPECT_EQ(menu[1].id, UINT(ID_TEST_HELP));
    EXPECT_FALSE(res::ParseMenu(m.data, m.size - 3, menu));

    res::Blob a = Load(RT_ACCELERATOR, MAKEINTRESOURCEW(IDA_MAIN));
    std::vector<res::Accel> acc;
    ASSERT_TRUE(res::ParseAccelerators(a.data, a.size, acc));
    ASSERT_EQ(acc.size(), 3u);
    EXPECT_EQ(acc[0].key, 'O');
    EXPECT_EQ(acc[0].cmd, ID_OPEN);
    EXPECT_EQ(acc[0].fVirt, 0x01 | 0x08); // FVIRTKEY | FCONTROL
    EXPECT_EQ(acc[1].key, 0x70);           // VK_F1
    EXPECT_EQ(acc[2].key, 'a');
    EXPECT_EQ(acc[2].fVirt, 0);

    res::Blob t = Load(RT_TOOLBAR, MAKEINTRESOURCEW(IDR_TOOLBAR));
    res::ToolBar tb;
    ASSERT_TRUE(res::ParseToolBar(t.data, t.size, tb));
    EXPECT_EQ(tb.width, 16);
    EXPECT_EQ(tb.height, 15);
    EXPECT_EQ(tb.items, (std::vector<WORD>{ID_OPEN, 0, ID_EXIT}));
}

TEST(Resources, BitmapLoadsWithTheColourMappingsAsked)
{
    HBITMAP plain = LoadBitmapW(nullptr, MAKEINTRESOURCEW(IDB_TEST));
    ASSERT_TRUE(plain);
    BITMAP bm{};
    GetObjectW(plain, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 4);
    EXPECT_EQ(bm.bmHeight, 2);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, plain);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 2, 0), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(dc, 1, 1), RGB(0, 0, 0));
    HBITMAP mapped = (HBITMAP)LoadImageW(nullptr, MAKEINTRESOURCEW(IDB_TEST), IMAGE_BITMAP, 0, 0,
                                         LR_LOADMAP3DCOLORS | LR_CREATEDIBSECTION);
    SelectObject(dc, mapped);
    EXPECT_EQ(GetPixel(dc, 3, 0), GetSysColor(COLOR_3DFACE));
    EXPECT_EQ(GetPixel(dc, 2, 1), GetSysColor(COLOR_3DSHADOW));
    DIBSECTION ds{};
    EXPECT_EQ(GetObjectW(mapped, sizeof ds, &ds), int(sizeof ds));
    EXPECT_EQ(ds.dsBm.bmBitsPixel, 24);
    HBITMAP transparent = (HBITMAP)LoadImageW(nullptr, MAKEINTRESOURCEW(IDB_TEST), IMAGE_BITMAP, 0, 0, LR_LOADTRANSPARENT);
    SelectObject(dc, transparent);
    EXPECT_EQ(GetPixel(dc, 0, 0), GetSysColor(COLOR_WINDOW));
    HBITMAP wide = (HBITMAP)LoadImageW(nullptr, MAKEINTRESOURCEW(IDB_TEST), IMAGE_BITMAP, 8, 0, 0);
    SelectObject(dc, wide);
    EXPECT_EQ(GetPixel(dc, 7, 0), RGB(192, 192, 192)); // stretched to the asked width
    EXPECT_EQ(GetPixel(dc, 2, 0), RGB(0, 255, 0));
    SelectObject(dc, old);
    for (HBITMAP b : {plain, mapped, transparent, wide})
        DeleteObject(b);
    DeleteDC(dc);
}

TEST(Resources, IconsAndCursorsPickTheirSizeAndDrawThroughTheirMask)
{
    HICON big = LoadIconW(kApp, MAKEINTRESOURCEW(IDI_TEST));
    ASSERT_TRUE(big);
    ICONINFO ii{};
    ASSERT_TRUE(GetIconInfo(big, &ii));
    BITMAP bm{};
    GetObjectW(ii.hbmColor, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 32);
    EXPECT_TRUE(ii.fIcon);
    EXPECT_EQ(ii.xHotspot, 16u);
    DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);
    EXPECT_FALSE(DestroyIcon(big)); // loaded shared

    HICON small = (HICON)LoadImageW(kApp, MAKEINTRESOURCEW(IDI_TEST), IMAGE_ICON, 16, 16, 0);
    MemDC m(20, 20, RGB(0, 255, 0));
    ASSERT_TRUE(DrawIconEx(m.dc, 2, 2, small, 0, 0, 0, nullptr, DI_NORMAL));
    EXPECT_EQ(m.At(2, 2), RGB(0, 255, 0)); // transparent border
    EXPECT_EQ(m.At(3, 3), RGB(255, 0, 0)); // the 16-pixel image is the red one
    EXPECT_EQ(m.At(16, 16), RGB(255, 0, 0));
    EXPECT_EQ(m.At(17, 17), RGB(0, 255, 0));
    ASSERT_TRUE(DrawIconEx(m.dc, 0, 0, small, 0, 0, 0, nullptr, DI_MASK));
    EXPECT_EQ(m.At(5, 5), RGB(0, 0, 0));
    EXPECT_FALSE(DeleteObject(small)); // an icon is not a GDI object
    EXPECT_EQ(GetObjectType(small), 0u);
    EXPECT_TRUE(DestroyIcon(small));
    EXPECT_FALSE(DestroyIcon(small)); // never freed twice

    HCURSOR cur = LoadCursorW(kApp, MAKEINTRESOURCEW(IDC_TEST));
    ASSERT_TRUE(GetIconInfo(cur, &ii));
    EXPECT_FALSE(ii.fIcon);
    EXPECT_EQ(ii.xHotspot, 5u);
    EXPECT_EQ(ii.yHotspot, 7u);
    DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);
}

TEST(Resources, FilesLoadLikeResources)
{
    std::string dir = testsupport::BinaryDir() + "/tests/rc_fixtures/";
    std::u16string bmpPath, icoPath;
    for (char c : dir + "test.bmp")
        bmpPath += char16_t(c);
    for (char c : dir + "test.ico")
        icoPath += char16_t(c);
    HBITMAP b = (HBITMAP)LoadImageW(nullptr, bmpPath.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    ASSERT_TRUE(b);
    DIBSECTION ds{};
    GetObjectW(b, sizeof ds, &ds);
    EXPECT_EQ(ds.dsBm.bmWidth, 4);
    DeleteObject(b);
    HICON i = (HICON)LoadImageW(nullptr, icoPath.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE);
    ASSERT_TRUE(i);
    EXPECT_TRUE(DestroyIcon(i));
    SetLastError(0);
    EXPECT_EQ(LoadImageW(nullptr, u"/no/such/file.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    // A truncated or hostile file is refused.
    std::string bad = testsupport::ScratchDir() + "/bad.ico";
    {
        std::ofstream f(bad, std::ios::binary);
        const char data[] = {0, 0, 1, 0, 1, 0, 32, 32, 0, 0, 1, 0, 32, 0, 0, 0, 0, 1, 22, 0, 0, 0};
        f.write(data, sizeof data);
    }
    std::u16string badPath(bad.begin(), bad.end());
    EXPECT_EQ(LoadImageW(nullptr, badPath.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE), nullptr);
}

// Bitmap files whose header, masks, colour table or pixels claim more bytes than the file holds are refused
// before any of those bytes is read; a 1x1 file with everything in place loads.
TEST(Resources, BitmapFilesThatDoNotFitAreRefused)
{
    struct Case {
        const char* what;
        DWORD headerSize;
        WORD bpp;
        DWORD compression;
        DWORD colorsUsed;
        size_t extra; // bytes after the 54 of the two headers
        bool loads;
    };
    const Case cases[] = {
        {"24 bits, one pixel", 40, 24, BI_RGB, 0, 4, true},
        {"8 bits, no palette at all", 40, 8, BI_RGB, 0, 0, false},
        {"8 bits, a palette cut short", 40, 8, BI_RGB, 0, 600, false},
        {"1 bit, two colours promised, none there", 40, 1, BI_RGB, 2, 0, false},
        {"header size past the file", 0x7FFFFFF0, 24, BI_RGB, 0, 4, false},
        {"header size just past the file", 60, 24, BI_RGB, 0, 4, false},
        {"bit fields without their masks", 40, 32, BI_BITFIELDS, 0, 4, false},
        {"pixels cut short", 40, 24, BI_RGB, 0, 2, false},
    };
    const std::string path = testsupport::ScratchDir() + "/hostile.bmp";
    const std::u16string widePath(path.begin(), path.end());
    for (const Case& c : cases) {
        std::vector<BYTE> file(54 + c.extra, 0);
        auto put32 = [&](size_t at, DWORD v) {
            for (int i = 0; i < 4; ++i)
                file[at + i] = BYTE(v >> (8 * i));
        };
        file[0] = 'B', file[1] = 'M';
        put32(2, DWORD(file.size()));
        put32(10, 54);
        put32(14, c.headerSize);
        put32(18, 1); // width
        put32(22, 1); // height
        file[26] = 1; // planes
        file[28] = BYTE(c.bpp);
        put32(30, c.compression);
        put32(46, c.colorsUsed);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
        for (UINT flags : {UINT(LR_LOADFROMFILE), UINT(LR_LOADFROMFILE | LR_CREATEDIBSECTION)}) {
            HANDLE b = LoadImageW(nullptr, widePath.c_str(), IMAGE_BITMAP, 0, 0, flags);
            EXPECT_EQ(b != nullptr, c.loads) << c.what;
            if (b)
                DeleteObject(b);
            else
                EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_DATA)) << c.what;
        }
    }
}

// An icon file's one image starts 22 bytes in, so its 32-bit pixels sit off any 4-byte boundary.
TEST(Resources, IconFilesWithUnalignedPixelsLoad)
{
    std::vector<BYTE> file = {0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0};
    const DWORD bytes = 40 + 16 * 16 * 4 + 16 * 4;
    for (DWORD v : {bytes, DWORD(22)})
        for (int i = 0; i < 4; ++i)
            file.push_back(BYTE(v >> (8 * i)));
    const BYTE header[40] = {40, 0, 0, 0, 16, 0, 0, 0, 32, 0, 0, 0, 1, 0, 32, 0};
    file.insert(file.end(), header, header + 40);
    for (int i = 0; i < 16 * 16; ++i)
        file.insert(file.end(), {BYTE(i), 0x80, 0x40, 0xFF});
    file.resize(22 + bytes, 0);
    const std::string path = testsupport::ScratchDir() + "/unaligned.ico";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    const std::u16string widePath(path.begin(), path.end());
    HICON icon = (HICON)LoadImageW(nullptr, widePath.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE);
    ASSERT_TRUE(icon);
    EXPECT_TRUE(DestroyIcon(icon));
}

TEST(SystemImages, IconsAndCursorsAreSharedAndDrawn)
{
    HICON error = LoadIconW(nullptr, MAKEINTRESOURCEW(32513));
    ASSERT_TRUE(error);
    EXPECT_EQ(LoadIconW(nullptr, MAKEINTRESOURCEW(32513)), error);
    EXPECT_FALSE(DestroyIcon(error));
    MemDC m(32, 32);
    DrawIcon(m.dc, 0, 0, error);
    EXPECT_EQ(m.At(6, 16), RGB(255, 0, 0));
    EXPECT_EQ(m.At(0, 0), RGB(255, 255, 255));
    HCURSOR arrow = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    ICONINFO ii{};
    ASSERT_TRUE(GetIconInfo(arrow, &ii));
    EXPECT_EQ(ii.xHotspot, 0u);
    DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);
    EXPECT_FALSE(DestroyCursor(arrow));
    EXPECT_EQ(LoadCursorW(nullptr, MAKEINTRESOURCEW(1)), nullptr);
}

namespace {

// A compiled resource image holding one 1x1 icon image (id 1, of one colour) and its group (groupId).
std::vector<BYTE> IconImage(WORD groupId, COLORREF colour)
{
    std::vector<BYTE> out;
    auto put16 = [&](std::vector<BYTE>& v, WORD x) { v.push_back(BYTE(x)); v.push_back(BYTE(x >> 8)); };
    auto put32 = [&](std::vector<BYTE>& v, DWORD x) { put16(v, WORD(x)); put16(v, WORD(x >> 16)); };
    auto entry = [&](WORD type, WORD name, const std::vector<BYTE>& data) {
        std::vector<BYTE> header;
        put16(header, 0xFFFF); put16(header, type);
        put16(header, 0xFFFF); put16(header, name);
        put32(header, 0); put16(header, 0); put16(header, 0x0804); put32(header, 0); put32(header, 0);
        put32(out, DWORD(data.size()));
        put32(out, DWORD(header.size() + 8));
        out.insert(out.end(), header.begin(), header.end());
        out.insert(out.end(), data.begin(), data.end());
        while (out.size() % 4)
            out.push_back(0);
    };
    entry(0, 0, {});
    std::vector<BYTE> dib;
    put32(dib, 40); put32(dib, 1); put32(dib, 2); put16(dib, 1); put16(dib, 32);
    for (int i = 0; i < 6; ++i)
        put32(dib, 0);
    dib.insert(dib.end(), {GetBValue(colour), GetGValue(colour), GetRValue(colour), 0xFF});
    put32(dib, 0); // the AND mask: opaque
    entry(3, 1, dib); // RT_ICON
    std::vector<BYTE> group;
    put16(group, 0); put16(group, 1); put16(group, 1);
    group.insert(group.end(), {1, 1, 0, 0});
    put16(group, 1); put16(group, 32); put32(group, DWORD(dib.size())); put16(group, 1);
    entry(14, groupId, group); // RT_GROUP_ICON
    return out;
}

} // namespace

// Scripts compiled apart number their icon images alike; each group still draws its own script's image.
TEST(Resources, AnIconGroupTakesItsImagesFromItsOwnScript)
{
    static const std::vector<BYTE> red = IconImage(9901, RGB(255, 0, 0)), blue = IconImage(9902, RGB(0, 0, 255));
    ASSERT_TRUE(res::RegisterImage(red.data(), red.size()));
    ASSERT_TRUE(res::RegisterImage(blue.data(), blue.size()));
    for (auto [id, colour] : {std::pair<WORD, COLORREF>{9901, RGB(255, 0, 0)}, {9902, RGB(0, 0, 255)}}) {
        HICON icon = (HICON)LoadImageW(kApp, MAKEINTRESOURCEW(id), IMAGE_ICON, 1, 1, 0);
        ASSERT_TRUE(icon) << id;
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 1, 1);
        ReleaseDC(nullptr, screen);
        HGDIOBJ old = SelectObject(dc, bitmap);
        DrawIconEx(dc, 0, 0, icon, 1, 1, 0, nullptr, DI_NORMAL);
        EXPECT_EQ(GetPixel(dc, 0, 0), colour) << id;
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        DestroyIcon(icon);
    }
}
