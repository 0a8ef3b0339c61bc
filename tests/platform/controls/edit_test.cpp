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

// A box that may not scroll the way the text grows takes only what it can show.
TEST_F(EditTest, TypingStopsAtTheEdgeOfABoxThatDoesNotScroll)
{
    struct Case {
        DWORD style;
        const char16_t* typed;
        bool keepsAll;
    };
    const Case cases[] = {{0, u"wwwwwwwwwwwwwwwwwwww", false},
                          {ES_AUTOHSCROLL, u"wwwwwwwwwwwwwwwwwwww", true},
                          {ES_MULTILINE | ES_WANTRETURN, u"a\rb\rc\rd\re\rf", false},
                          {ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL, u"a\rb\rc\rd\re\rf", true}};
    int y = 10;
    for (const Case& c : cases) {
        HWND e = Make(u"Edit", u"", c.style, {10, y, 60, y + 30});
        y += 40;
        SetFocus(e);
        TakeCommands();
        headless::TypeText(c.typed);
        headless::PumpUntilIdle();
        size_t maxText = 0;
        for (auto& cmd : TakeCommands())
            maxText += cmd.code == EN_MAXTEXT;
        std::u16string text = TextOf(e);
        std::u16string typed = c.typed;
        if (c.keepsAll) {
            EXPECT_EQ(0u, maxText) << c.style;
            EXPECT_EQ(typed.size() + (c.style & ES_MULTILINE ? 5 : 0), text.size()) << c.style;
        } else {
            EXPECT_GT(maxText, 0u) << c.style;
            EXPECT_FALSE(text.empty()) << c.style;
            EXPECT_LT(text.size(), typed.size()) << c.style;
        }
    }
}

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

// Word wrap: the box is made just wide enough for `fits`, so the breaks do not depend on the font's widths.
struct WrapCase {
    const char* name;
    std::u16string text;
    std::u16string fits;
    DWORD style;
    std::vector<LRESULT> starts;
};

class EditWrap : public EditTest, public ::testing::WithParamInterface<WrapCase> {
protected:
    // The pixel width of `s` in the edit's font, measured by an edit that never wraps.
    int WidthOf(const std::u16string& s)
    {
        HWND probe = Make(u"Edit", s.c_str(), ES_MULTILINE | ES_AUTOHSCROLL, {0, 200, 390, 230}, 101);
        int w = (short)LOWORD(SendMessageW(probe, EM_POSFROMCHAR, s.size(), 0)) -
                (short)LOWORD(SendMessageW(probe, EM_POSFROMCHAR, 0, 0));
        DestroyWindow(probe);
        return w;
    }
};

TEST_P(EditWrap, BreaksDisplayLines)
{
    const WrapCase& c = GetParam();
    int w = WidthOf(c.fits);
    HWND e = Make(u"Edit", u"", ES_MULTILINE | c.style, {10, 10, 11 + w, 150});
    SendMessageW(e, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    SetWindowTextW(e, c.text.c_str());
    std::vector<LRESULT> starts;
    for (WPARAM i = 0; SendMessageW(e, EM_LINEINDEX, i, 0) != -1; ++i)
        starts.push_back(SendMessageW(e, EM_LINEINDEX, i, 0));
    EXPECT_EQ(c.starts, starts);
    EXPECT_EQ((LRESULT)c.starts.size(), SendMessageW(e, EM_GETLINECOUNT, 0, 0));
    for (size_t i = 0; i < c.starts.size(); ++i) {
        EXPECT_EQ((LRESULT)i, SendMessageW(e, EM_LINEFROMCHAR, c.starts[i], 0));
        // Each line is drawn one line below the last, from the left edge, and a click there finds its start.
        LRESULT pos = SendMessageW(e, EM_POSFROMCHAR, c.starts[i], 0);
        if (c.starts[i] < (LRESULT)c.text.size()) {
            EXPECT_EQ(0, (short)LOWORD(pos));
            EXPECT_EQ(c.starts[i], LOWORD(SendMessageW(e, EM_CHARFROMPOS, 0, pos)));
            EXPECT_EQ((WORD)i, HIWORD(SendMessageW(e, EM_CHARFROMPOS, 0, pos)));
        }
    }
    // A line copied out keeps the blanks that ended it.
    char16_t buf[64] = {};
    *(WORD*)buf = 64;
    LRESULT n = SendMessageW(e, EM_GETLINE, 0, (LPARAM)buf);
    size_t firstEnd = c.starts.size() > 1 ? (size_t)c.starts[1] : c.text.size();
    EXPECT_EQ(c.text.substr(0, firstEnd).substr(0, c.text.find(u"\r\n")), std::u16string(buf, (size_t)n));
}

INSTANTIATE_TEST_SUITE_P(
    Edit, EditWrap,
    ::testing::Values(WrapCase{"at_blank", u"one two three", u"one two", 0, {0, 8}},
                      WrapCase{"long_word", u"aaaaaaaaaa", u"aaaa", 0, {0, 4, 8}},
                      WrapCase{"blanks_hang", u"aa    aa", u"aa", 0, {0, 6}},
                      WrapCase{"hard_and_soft", u"ab ab\r\nab\r\n", u"ab", 0, {0, 3, 7, 11}},
                      WrapCase{"autohscroll_keeps_lines", u"one two three", u"one", ES_AUTOHSCROLL, {0}},
                      WrapCase{"hscroll_keeps_lines", u"one two three", u"one", WS_HSCROLL, {0}}),
    [](const auto& i) { return std::string(i.param.name); });

TEST_F(EditTest, KeysMoveByDisplayLines)
{
    HWND e = Make(u"Edit", u"", ES_MULTILINE, {10, 10, 60, 150});
    SetWindowTextW(e, u"aaaa bbbb cccc dddd eeee ffff gggg");
    LRESULT lines = SendMessageW(e, EM_GETLINECOUNT, 0, 0);
    ASSERT_GT(lines, 2);
    SetFocus(e);
    SendMessageW(e, EM_SETSEL, 1, 1);
    headless::PressKey(VK_DOWN);
    headless::PumpUntilIdle();
    EXPECT_EQ(1, SendMessageW(e, EM_LINEFROMCHAR, -1, 0));
    headless::PressKey(VK_END);
    headless::PumpUntilIdle();
    EXPECT_EQ(1, SendMessageW(e, EM_LINEFROMCHAR, -1, 0)) << "the end of a wrapped line stays on it";
    headless::PressKey(VK_HOME);
    headless::PumpUntilIdle();
    EXPECT_EQ(SendMessageW(e, EM_LINEINDEX, 1, 0), Sel(e).first);
}

// Vertical scrolling: ten lines in a box three lines high.
struct ScrollCase {
    const char* name;
    std::function<void(HWND)> act;
    int first;
};

class EditScroll : public EditTest, public ::testing::WithParamInterface<ScrollCase> {};

TEST_P(EditScroll, MovesFirstLineAndScrollBar)
{
    HWND e = Make(u"Edit", u"0\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9",
                  ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL, {10, 10, 200, 40});
    int lh = HIWORD(SendMessageW(e, EM_POSFROMCHAR, 3, 0)) - HIWORD(SendMessageW(e, EM_POSFROMCHAR, 0, 0));
    ASSERT_GT(lh, 0);
    SetWindowPos(e, nullptr, 0, 0, 190, 3 * lh, SWP_NOMOVE | SWP_NOZORDER);
    RECT rc;
    GetClientRect(e, &rc);
    ASSERT_EQ(3 * lh, rc.bottom) << "the scroll bar takes width, not height";
    SetFocus(e);
    GetParam().act(e);
    headless::PumpUntilIdle();
    int first = GetParam().first;
    EXPECT_EQ(first, SendMessageW(e, EM_GETFIRSTVISIBLELINE, 0, 0));
    EXPECT_EQ(0, (short)HIWORD(SendMessageW(e, EM_POSFROMCHAR, SendMessageW(e, EM_LINEINDEX, first, 0), 0)));
    SCROLLINFO si{sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
    ASSERT_TRUE(GetScrollInfo(e, SB_VERT, &si));
    EXPECT_EQ(first, si.nPos);
    EXPECT_EQ(9, si.nMax);
    EXPECT_EQ(3u, si.nPage);
    // A click on the top row lands on the first visible line.
    EXPECT_EQ(first, HIWORD(SendMessageW(e, EM_CHARFROMPOS, 0, MAKELPARAM(2, 1))));
}

INSTANTIATE_TEST_SUITE_P(
    Edit, EditScroll,
    ::testing::Values(
        ScrollCase{"untouched", [](HWND) {}, 0},
        ScrollCase{"linescroll", [](HWND e) { EXPECT_TRUE(SendMessageW(e, EM_LINESCROLL, 0, 4)); }, 4},
        ScrollCase{"linescroll_stops_at_last_page", [](HWND e) { SendMessageW(e, EM_LINESCROLL, 0, 100); }, 7},
        ScrollCase{"linescroll_stops_at_top", [](HWND e) { SendMessageW(e, EM_LINESCROLL, 0, -5); }, 0},
        ScrollCase{"scroll_page",
                   [](HWND e) { EXPECT_EQ(MAKELONG(3, TRUE), SendMessageW(e, EM_SCROLL, SB_PAGEDOWN, 0)); }, 3},
        ScrollCase{"scroll_bad_code", [](HWND e) { EXPECT_EQ(FALSE, SendMessageW(e, EM_SCROLL, SB_TOP, 0)); }, 0},
        ScrollCase{"bar_line_down",
                   [](HWND e) {
                       SendMessageW(e, WM_VSCROLL, SB_LINEDOWN, 0);
                       SendMessageW(e, WM_VSCROLL, SB_LINEDOWN, 0);
                   },
                   2},
        ScrollCase{"bar_thumb", [](HWND e) { SendMessageW(e, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 5), 0); }, 5},
        ScrollCase{"bar_bottom", [](HWND e) { SendMessageW(e, WM_VSCROLL, SB_BOTTOM, 0); }, 7},
        ScrollCase{"wheel_down", [](HWND e) { headless::Wheel(e, {5, 5}, -WHEEL_DELTA); }, 3},
        ScrollCase{"wheel_half_notches",
                   [](HWND e) {
                       headless::Wheel(e, {5, 5}, -WHEEL_DELTA / 2);
                       headless::Wheel(e, {5, 5}, -WHEEL_DELTA / 2);
                   },
                   3},
        ScrollCase{"caret_down_the_text",
                   [](HWND e) {
                       for (int i = 0; i < 5; ++i)
                           headless::PressKey(VK_DOWN);
                   },
                   3},
        ScrollCase{"typing_at_the_end",
                   [](HWND e) {
                       SendMessageW(e, EM_SETSEL, 28, 28);
                       headless::TypeText(u"x");
                   },
                   7},
        ScrollCase{"setsel_waits_for_scrollcaret",
                   [](HWND e) {
                       SendMessageW(e, EM_SETSEL, 12, 12);
                       EXPECT_EQ(0, SendMessageW(e, EM_GETFIRSTVISIBLELINE, 0, 0));
                       SendMessageW(e, EM_SCROLLCARET, 0, 0);
                   },
                   2},
        ScrollCase{"new_text_from_the_top",
                   [](HWND e) {
                       SendMessageW(e, EM_LINESCROLL, 0, 5);
                       SetWindowTextW(e, u"a\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\nh\r\ni\r\nj");
                   },
                   0}),
    [](const auto& i) { return std::string(i.param.name); });

TEST_F(EditTest, MultiLineAutoHScrollFollowsCaret)
{
    HWND e = Make(u"Edit", u"", ES_MULTILINE | ES_AUTOHSCROLL | ES_WANTRETURN, {10, 10, 60, 100});
    SetFocus(e);
    headless::TypeText(u"a fairly long line of text");
    headless::PumpUntilIdle();
    EXPECT_EQ(1, SendMessageW(e, EM_GETLINECOUNT, 0, 0));
    RECT rc;
    GetClientRect(e, &rc);
    short caretX = (short)LOWORD(SendMessageW(e, EM_POSFROMCHAR, 26, 0));
    EXPECT_GE(caretX, 0);
    EXPECT_LE(caretX, rc.right);
    EXPECT_LT((short)LOWORD(SendMessageW(e, EM_POSFROMCHAR, 0, 0)), 0) << "the start scrolled out on the left";
    headless::PressKey(VK_HOME, {VK_CONTROL});
    headless::PumpUntilIdle();
    EXPECT_EQ(1, (short)LOWORD(SendMessageW(e, EM_POSFROMCHAR, 0, 0)));
    HWND single = Make(u"Edit", u"", ES_AUTOHSCROLL, {10, 120, 60, 140}, 102);
    EXPECT_FALSE(SendMessageW(single, EM_LINESCROLL, 1, 1)) << "a single line does not scroll by lines";
    SetFocus(single);
    headless::TypeText(u"a fairly long line of text");
    headless::PumpUntilIdle();
    LRESULT firstChar = SendMessageW(single, EM_GETFIRSTVISIBLELINE, 0, 0);
    EXPECT_GT(firstChar, 0) << "a single line answers its first character in view";
    EXPECT_LT((short)LOWORD(SendMessageW(single, EM_POSFROMCHAR, firstChar - 1, 0)), 1);
}

} // namespace
