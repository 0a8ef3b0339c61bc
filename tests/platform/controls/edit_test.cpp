// EDIT: typing with limits and filters, selection by keys and mouse, clipboard, notifications, lines.
#include "platform/controls/control_fixture.h"

using namespace ctltest;

namespace {

class EditTest : public ControlTest {
protected:
    std::u16string TextOf(HWND h) { return headless::Text(h); }
    std::pair<DWORD, DWORD> Sel(HWND h)
    {
        DWORD a = 0, b = 0;
        SendMessageW(h, EM_GETSEL, (WPARAM)&a, (LPARAM)&b);
        return {a, b};
    }
};

struct TypeCase {
    const char* name;
    DWORD style;
    WPARAM limit;
    std::u16string typed;
    std::u16string expected;
    size_t maxTextNotes;
};

class EditTyping : public EditTest, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(EditTyping, KeepsWhatStyleAndLimitAllow)
{
    const TypeCase& c = GetParam();
    HWND e = Make(u"Edit", u"", c.style | ES_AUTOHSCROLL, {10, 10, 200, 30});
    if (c.limit)
        SendMessageW(e, EM_LIMITTEXT, c.limit, 0);
    SetFocus(e);
    TakeCommands();
    headless::TypeText(c.typed);
    auto cmds = TakeCommands();
    EXPECT_EQ(c.expected, TextOf(e));
    size_t maxText = 0;
    for (auto& cmd : cmds)
        maxText += cmd.code == EN_MAXTEXT;
    EXPECT_EQ(c.maxTextNotes, maxText);
}

INSTANTIATE_TEST_SUITE_P(
    Edit, EditTyping,
    ::testing::Values(TypeCase{"plain", 0, 0, u"ab 12", u"ab 12", 0},
                      TypeCase{"limit", 0, 3, u"abcde", u"abc", 2},
                      TypeCase{"number", ES_NUMBER, 0, u"a1b2", u"12", 0},
                      TypeCase{"readonly", ES_READONLY, 0, u"abc", u"", 0},
                      TypeCase{"uppercase", ES_UPPERCASE, 0, u"abc", u"ABC", 0}),
    [](const auto& i) { return std::string(i.param.name); });

TEST_F(EditTest, SelectionClipboardAndUndo)
{
    HWND e = Make(u"Edit", u"hello world", ES_AUTOHSCROLL, {10, 10, 200, 30});
    SetFocus(e);
    headless::PressKey(VK_HOME);
    headless::PressKey(VK_RIGHT, {VK_SHIFT, VK_CONTROL});
    headless::PumpUntilIdle();
    EXPECT_EQ((std::pair<DWORD, DWORD>{0, 6}), Sel(e));
    SendMessageW(e, WM_COPY, 0, 0);
    headless::PressKey(VK_END);
    headless::PumpUntilIdle();
    SendMessageW(e, WM_PASTE, 0, 0);
    EXPECT_EQ(u"hello worldhello ", TextOf(e));
    SendMessageW(e, EM_SETSEL, 0, 5);
    SendMessageW(e, WM_CUT, 0, 0);
    EXPECT_EQ(u" worldhello ", TextOf(e));
    EXPECT_TRUE(SendMessageW(e, EM_UNDO, 0, 0));
    EXPECT_EQ(u"hello worldhello ", TextOf(e));
    SendMessageW(e, EM_SETSEL, 0, -1);
    EXPECT_EQ((std::pair<DWORD, DWORD>{0, 17}), Sel(e));
    SendMessageW(e, EM_REPLACESEL, TRUE, (LPARAM)u"one\r\ntwo");
    EXPECT_EQ(u"one", TextOf(e)) << "a single line stops at the line break";

    // A password box shows stars and never copies its text out.
    HWND p = Make(u"Edit", u"secret", ES_PASSWORD, {10, 40, 200, 60});
    EXPECT_EQ(u'*', SendMessageW(p, EM_GETPASSWORDCHAR, 0, 0));
    SendMessageW(e, EM_SETSEL, 0, -1);
    SendMessageW(e, WM_COPY, 0, 0);
    SendMessageW(p, EM_SETSEL, 0, -1);
    SendMessageW(p, WM_COPY, 0, 0);
    SendMessageW(e, EM_SETSEL, 0, -1);
    SendMessageW(e, WM_PASTE, 0, 0);
    EXPECT_EQ(u"one", TextOf(e));
}

TEST_F(EditTest, MouseDragSelectsAndNotificationsFollowChanges)
{
    HWND e = Make(u"Edit", u"abcdef", 0, {10, 10, 200, 30});
    TakeCommands();
    headless::ButtonDown(e, {1, 5});
    headless::MouseMove(e, {190, 5});
    headless::ButtonUp(e, {190, 5});
    headless::PumpUntilIdle();
    EXPECT_EQ((std::pair<DWORD, DWORD>{0, 6}), Sel(e));
    EXPECT_EQ(e, GetFocus());
    SetWindowTextW(e, u"x");
    auto cmds = TakeCommands();
    std::vector<UINT> codes;
    for (auto& c : cmds)
        codes.push_back(c.code);
    EXPECT_EQ((std::vector<UINT>{EN_SETFOCUS, EN_UPDATE, EN_CHANGE}), codes);
    EXPECT_EQ((LRESULT)(DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS), SendMessageW(e, WM_GETDLGCODE, 0, 0));
    LRESULT pos = SendMessageW(e, EM_POSFROMCHAR, 0, 0);
    EXPECT_NE(-1, pos);
    EXPECT_EQ(-1, SendMessageW(e, EM_POSFROMCHAR, 1, 0));
    EXPECT_EQ(0, LOWORD(SendMessageW(e, EM_CHARFROMPOS, 0, pos)));
}

TEST_F(EditTest, MultiLineLines)
{
    HWND e = Make(u"Edit", u"ab\r\ncde\r\n", ES_MULTILINE | ES_WANTRETURN, {10, 10, 200, 100});
    EXPECT_EQ(3, SendMessageW(e, EM_GETLINECOUNT, 0, 0));
    EXPECT_EQ(4, SendMessageW(e, EM_LINEINDEX, 1, 0));
    EXPECT_EQ(9, SendMessageW(e, EM_LINEINDEX, 2, 0));
    EXPECT_EQ(-1, SendMessageW(e, EM_LINEINDEX, 3, 0));
    EXPECT_EQ(1, SendMessageW(e, EM_LINEFROMCHAR, 5, 0));
    EXPECT_EQ(3, SendMessageW(e, EM_LINELENGTH, 4, 0));
    char16_t buf[8] = {};
    *(WORD*)buf = 2;
    EXPECT_EQ(2, SendMessageW(e, EM_GETLINE, 1, (LPARAM)buf));
    EXPECT_EQ(u"cd", std::u16string(buf, 2)) << "cut to the buffer size";
    EXPECT_GT(HIWORD(SendMessageW(e, EM_POSFROMCHAR, 4, 0)), HIWORD(SendMessageW(e, EM_POSFROMCHAR, 0, 0)));
    SetFocus(e);
    SendMessageW(e, EM_SETSEL, 2, 2);
    headless::PressKey(VK_RETURN);
    headless::PumpUntilIdle();
    EXPECT_EQ(u"ab\r\n\r\ncde\r\n", TextOf(e));
    EXPECT_EQ(4, SendMessageW(e, EM_GETLINECOUNT, 0, 0));
}

} // namespace
