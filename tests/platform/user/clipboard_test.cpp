// The clipboard: ownership, text and bitmap forms made from each other, registered formats.
#include "user_fixture.h"

#include "win32/user/presenter.h"

#include <cstring>
#include <thread>

using namespace usertest;

namespace {

class ClipboardTest : public UserTest {
protected:
    void TearDown() override
    {
        if (OpenClipboard(nullptr)) {
            EmptyClipboard();
            CloseClipboard();
        }
        UserTest::TearDown();
    }
};

HGLOBAL Text16(const char16_t* s)
{
    size_t bytes = (std::char_traits<char16_t>::length(s) + 1) * 2;
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes);
    memcpy(GlobalLock(h), s, bytes);
    GlobalUnlock(h);
    return h;
}

TEST_F(ClipboardTest, UnicodeTextIsAlsoOfferedInTheProgramsCodePage)
{
    HWND w = MakeTop(u"w");
    ASSERT_TRUE(OpenClipboard(w));
    ASSERT_TRUE(EmptyClipboard());
    ASSERT_TRUE(SetClipboardData(CF_UNICODETEXT, Text16(u"\u6587\u4ef6 ok")));
    EXPECT_TRUE(CloseClipboard());
    EXPECT_EQ(GetClipboardOwner(), w);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP));
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE a = GetClipboardData(CF_TEXT);
    ASSERT_TRUE(a);
    EXPECT_STREQ((const char*)GlobalLock(a), "\xCE\xC4\xBC\xFE ok"); // GBK
    GlobalUnlock(a);
    EXPECT_EQ(EnumClipboardFormats(0), (UINT)CF_UNICODETEXT);
    EXPECT_EQ(EnumClipboardFormats(CF_UNICODETEXT), (UINT)CF_TEXT);
    CloseClipboard();
    // Without opening it first, the clipboard gives nothing.
    EXPECT_EQ(GetClipboardData(CF_UNICODETEXT), nullptr);
}

TEST_F(ClipboardTest, OpenByOneThreadAtATimeAndNamedFormatsAreShared)
{
    ASSERT_TRUE(OpenClipboard(nullptr));
    bool otherOpened = true;
    std::thread([&] { otherOpened = OpenClipboard(nullptr); }).join();
    EXPECT_FALSE(otherOpened);
    CloseClipboard();
    UINT f = RegisterClipboardFormatW(u"Dovemark Items");
    EXPECT_GE(f, 0xC000u);
    EXPECT_EQ(RegisterClipboardFormatW(u"Dovemark Items"), f);
    WCHAR name[32];
    EXPECT_EQ(GetClipboardFormatNameW(f, name, 32), 14);
    EXPECT_EQ(std::u16string(name), u"Dovemark Items");
    EXPECT_EQ(GetClipboardFormatNameW(f + 100, name, 32), 0);
}

HGLOBAL Block(const void* data, size_t size)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, size);
    memcpy(GlobalLock(h), data, size);
    GlobalUnlock(h);
    return h;
}

// A 2x2 32-bit DIB, bottom-up: the first row in memory is the bottom row.
struct SmallDib {
    BITMAPINFOHEADER h{sizeof(BITMAPINFOHEADER), 2, 2, 1, 32, BI_RGB, 16, 0, 0, 0, 0};
    uint32_t px[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0x00FFFFFF};
};

TEST_F(ClipboardTest, BitmapAndDibAreMadeFromEachOther)
{
    // A bitmap put on the clipboard is offered as a DIB with the same pixels.
    HBITMAP bmp = CreateBitmap(3, 2, 1, 32, nullptr);
    HDC mem = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(mem, bmp);
    SetPixel(mem, 0, 0, RGB(10, 20, 30));
    SetPixel(mem, 2, 1, RGB(200, 100, 50));
    SelectObject(mem, old);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    ASSERT_TRUE(SetClipboardData(CF_BITMAP, bmp));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_DIB));
    EXPECT_EQ(EnumClipboardFormats(CF_BITMAP), (UINT)CF_DIB);
    HANDLE dib = GetClipboardData(CF_DIB);
    ASSERT_TRUE(dib);
    auto* bi = (const BITMAPINFOHEADER*)GlobalLock(dib);
    EXPECT_EQ(bi->biWidth, 3);
    EXPECT_EQ(bi->biHeight, 2);
    const uint32_t* rows = (const uint32_t*)(bi + 1);
    EXPECT_EQ(rows[3] & 0xFFFFFF, 0x0A141Eu); // top-left: the second row in memory, as the DIB is bottom-up
    EXPECT_EQ(rows[2] & 0xFFFFFF, 0xC86432u);
    GlobalUnlock(dib);

    // A DIB put on the clipboard is offered as a bitmap.
    SmallDib d;
    EmptyClipboard();
    ASSERT_TRUE(SetClipboardData(CF_DIB, Block(&d, sizeof(d))));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
    HBITMAP made = (HBITMAP)GetClipboardData(CF_BITMAP);
    ASSERT_TRUE(made);
    old = SelectObject(mem, made);
    EXPECT_EQ(GetPixel(mem, 0, 1), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(mem, 1, 0), RGB(255, 255, 255));
    SelectObject(mem, old);
    DeleteDC(mem);
    CloseClipboard();
}

// Another program that offers only a DIB: the bitmap form is made from it, as from a DIB of our own.
struct DibOnlyProgram : user::ForeignClipboard {
    std::vector<UINT> Formats() override { return {CF_DIB}; }
    bool Read(UINT format, std::vector<BYTE>* data) override
    {
        if (format != CF_DIB)
            return false;
        SmallDib d;
        data->assign((const BYTE*)&d, (const BYTE*)&d + sizeof(d));
        return true;
    }
};

TEST_F(ClipboardTest, AnotherProgramsDibIsAlsoOfferedAsABitmap)
{
    DibOnlyProgram other;
    user::SetForeignClipboard(&other);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
    ASSERT_TRUE(OpenClipboard(nullptr));
    HBITMAP made = (HBITMAP)GetClipboardData(CF_BITMAP);
    ASSERT_TRUE(made);
    HDC mem = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(mem, made);
    EXPECT_EQ(GetPixel(mem, 0, 1), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(mem, 1, 0), RGB(255, 255, 255));
    SelectObject(mem, old);
    DeleteDC(mem);
    EXPECT_TRUE(GetClipboardData(CF_DIB));
    EXPECT_EQ(GetClipboardData(CF_UNICODETEXT), nullptr);
    CloseClipboard();
    user::SetForeignClipboard(nullptr);
}

// A DIB is whatever another program put there: a header that claims more than the block holds
// gives no bitmap rather than a read past the block.
TEST_F(ClipboardTest, MalformedDibGivesNoBitmap)
{
    struct Case {
        const char* what;
        void (*spoil)(SmallDib&);
    };
    const Case cases[] = {
        {"taller than the block", [](SmallDib& d) { d.h.biHeight = 1000; }},
        {"wider than the block", [](SmallDib& d) { d.h.biWidth = -1; }},
        {"unknown depth", [](SmallDib& d) { d.h.biBitCount = 7; }},
        {"colour table past the end", [](SmallDib& d) { d.h.biClrUsed = 0x40000000; }},
        {"header larger than the block", [](SmallDib& d) { d.h.biSize = 4000; }},
    };
    for (const Case& c : cases) {
        SmallDib d;
        c.spoil(d);
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        SetClipboardData(CF_DIB, Block(&d, sizeof(d)));
        EXPECT_EQ(GetClipboardData(CF_BITMAP), nullptr) << c.what;
        CloseClipboard();
    }
}

} // namespace
