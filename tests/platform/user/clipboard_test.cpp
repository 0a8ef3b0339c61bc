// The clipboard: ownership, text forms made from each other, registered formats.
#include "user_fixture.h"

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

} // namespace
