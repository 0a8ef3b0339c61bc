// Mouse and keyboard input: capture loops, double clicks, tracking, hooks, keyboard menu entry, focus.
#include "user_fixture.h"

#include <atomic>
#include <chrono>
#include <thread>

using namespace usertest;

namespace {

class Input : public UserTest {
protected:
    void SetUp() override
    {
        UserTest::SetUp();
        top = MakeTop(u"top", WS_OVERLAPPEDWINDOW | WS_VISIBLE, {0, 0, 400, 300});
        left = MakeChild(top, u"left", {0, 0, 150, 200}, 1);
        right = MakeChild(top, u"right", {200, 0, 350, 200}, 2);
        headless::PumpUntilIdle();
    }
    HWND top = nullptr, left = nullptr, right = nullptr;
};
using Names = std::vector<std::string>;

TEST_F(Input, DragTrackerLoopKeepsTheMouseUntilRelease)
{
    // A drag tracker of the usual kind: capture on button down, then its own loop until release.
    std::vector<POINT> moves;
    SetHandler(left, [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT*) {
        if (m != WM_LBUTTONDOWN)
            return false;
        SetCapture(h);
        MSG msg;
        while (GetCapture() == h && GetMessageW(&msg, nullptr, 0, 0)) {
            if (msg.message == WM_MOUSEMOVE && msg.hwnd == h)
                moves.push_back(POINT{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)});
            else if (msg.message == WM_LBUTTONUP) {
                ReleaseCapture();
                break;
            } else
                DispatchMessageW(&msg);
        }
        return true;
    });
    Log::Get().Watch({WM_CAPTURECHANGED, WM_MOUSEMOVE, WM_LBUTTONUP});
    headless::ButtonDown(left, {10, 10});
    headless::MouseMove(right, {5, 5});       // over another window: still ours
    headless::MouseMove(top, {390, 290});     // outside both children
    headless::ButtonUp(right, {5, 5});
    headless::PumpUntilIdle();
    ASSERT_EQ(moves.size(), 2u);
    POINT rightInLeft = headless::ToScreen(right, {5, 5});
    ScreenToClient(left, &rightInLeft);
    EXPECT_EQ(moves[0].x, rightInLeft.x);
    EXPECT_EQ(moves[0].y, rightInLeft.y);
    EXPECT_EQ(GetCapture(), nullptr);
    // The right window saw none of it; the tracker was told its capture ended.
    EXPECT_EQ(Describe(Log::Get().Take()), (Names{"left:MOUSEMOVE", "left:CAPTURECHANGED"}));
}

TEST_F(Input, CaptureMovesBetweenWindowsWithNotice)
{
    Log::Get().Watch({WM_CAPTURECHANGED, WM_CANCELMODE});
    SetCapture(left);
    EXPECT_EQ(SetCapture(right), left);
    EXPECT_EQ(GetCapture(), right);
    ReleaseCapture();
    auto log = Log::Get().Take();
    ASSERT_EQ(Describe(log), (Names{"left:CAPTURECHANGED", "right:CAPTURECHANGED"}));
    EXPECT_EQ((HWND)log[0].lParam, right);
    EXPECT_EQ((HWND)log[1].lParam, nullptr);
    SetCapture(left);
    SendMessageW(left, WM_CANCELMODE, 0, 0); // the default handling gives the capture up
    EXPECT_EQ(GetCapture(), nullptr);
}

struct ClickCase {
    const char* name;
    const char16_t* cls;
    DWORD gapMs;
    int dx;
    Names expected;
};

class DoubleClicks : public UserTest, public ::testing::WithParamInterface<ClickCase> {};

TEST_P(DoubleClicks, FollowClassStyleTimeAndDistance)
{
    const ClickCase& c = GetParam();
    HWND w = MakeTop(u"w", WS_POPUP | WS_VISIBLE, {0, 0, 200, 200}, c.cls);
    headless::PumpUntilIdle();
    Log::Get().Watch({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK});
    headless::Click(w, {50, 50});
    headless::AdvanceClock(c.gapMs);
    headless::Click(w, {50 + c.dx, 50});
    headless::Click(w, {50 + c.dx, 50}); // a third click starts over
    headless::PumpUntilIdle();
    EXPECT_EQ(Describe(Log::Get().Take()), c.expected);
}

const Names kDouble = {"w:LBUTTONDOWN", "w:LBUTTONUP", "w:LBUTTONDBLCLK", "w:LBUTTONUP", "w:LBUTTONDOWN", "w:LBUTTONUP"};
const Names kSingles = {"w:LBUTTONDOWN", "w:LBUTTONUP", "w:LBUTTONDOWN", "w:LBUTTONUP", "w:LBUTTONDBLCLK", "w:LBUTTONUP"};
INSTANTIATE_TEST_SUITE_P(Input, DoubleClicks,
                         ::testing::Values(ClickCase{"quick", u"LogWnd", 100, 0, kDouble},
                                           ClickCase{"slow", u"LogWnd", 600, 0, kSingles},
                                           ClickCase{"far", u"LogWnd", 100, 5, kSingles},
                                           ClickCase{"near", u"LogWnd", 100, 2, kDouble},
                                           ClickCase{"no class style", u"LogWndNoDbl", 100, 0,
                                                     {"w:LBUTTONDOWN", "w:LBUTTONUP", "w:LBUTTONDOWN", "w:LBUTTONUP",
                                                      "w:LBUTTONDOWN", "w:LBUTTONUP"}}),
                         [](const auto& info) {
                             std::string n = info.param.name;
                             for (auto& ch : n)
                                 if (ch == ' ')
                                     ch = '_';
                             return n;
                         });

TEST_F(Input, TrackMouseEventReportsLeaveAndHover)
{
    headless::MouseMove(left, {10, 10});
    headless::PumpUntilIdle();
    TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE | TME_HOVER, left, HOVER_DEFAULT};
    ASSERT_TRUE(TrackMouseEvent(&tme));
    Log::Get().Watch({WM_MOUSELEAVE, WM_MOUSEHOVER});
    headless::AdvanceClock(399);
    headless::PumpUntilIdle();
    EXPECT_TRUE(Log::Get().Take().empty());
    headless::AdvanceClock(1);
    headless::PumpUntilIdle();
    EXPECT_EQ(Describe(Log::Get().Take()), (Names{"left:MOUSEHOVER"}));
    headless::MouseMove(left, {20, 20}); // moving inside keeps the leave request
    headless::PumpUntilIdle();
    EXPECT_TRUE(Log::Get().Take().empty());
    headless::MouseMove(right, {10, 10});
    headless::PumpUntilIdle();
    EXPECT_EQ(Describe(Log::Get().Take()), (Names{"left:MOUSELEAVE"}));
    // Asking while the mouse is elsewhere reports the leave at once.
    tme.dwFlags = TME_LEAVE;
    TrackMouseEvent(&tme);
    headless::PumpUntilIdle();
    EXPECT_EQ(Describe(Log::Get().Take()), (Names{"left:MOUSELEAVE"}));
}

TEST_F(Input, KeyboardHookCanEatAKey)
{
    SetFocus(left);
    static std::vector<WPARAM> seen;
    seen.clear();
    HHOOK hook = SetWindowsHookExW(WH_KEYBOARD, [](int code, WPARAM vk, LPARAM lp) -> LRESULT {
        seen.push_back(vk);
        return vk == 'X' ? 1 : CallNextHookEx(nullptr, code, vk, lp);
    }, nullptr, GetWindowThreadProcessId(top, nullptr));
    ASSERT_TRUE(hook);
    Log::Get().Watch({WM_KEYDOWN, WM_CHAR});
    headless::PressKey('X');
    headless::PressKey('Y');
    headless::PumpUntilIdle();
    EXPECT_EQ(Describe(Log::Get().Take()), (Names{"left:KEYDOWN", "left:CHAR"}));
    EXPECT_EQ(seen, (std::vector<WPARAM>{'X', 'X', 'Y', 'Y'}));
    EXPECT_EQ(GetKeyState('X') & 0x8000, 0);
    EXPECT_TRUE(UnhookWindowsHookEx(hook));
    EXPECT_FALSE(UnhookWindowsHookEx(hook));
}

TEST_F(Input, MouseHookMayUnhookItselfWhileCalled)
{
    static HHOOK self, other;
    static int selfCalls, otherCalls;
    selfCalls = otherCalls = 0;
    other = SetWindowsHookExW(WH_MOUSE, [](int c, WPARAM w, LPARAM l) -> LRESULT {
        ++otherCalls;
        return CallNextHookEx(other, c, w, l);
    }, nullptr, 0);
    self = SetWindowsHookExW(WH_MOUSE, [](int c, WPARAM w, LPARAM l) -> LRESULT {
        ++selfCalls;
        UnhookWindowsHookEx(self);
        return CallNextHookEx(self, c, w, l); // the rest of the chain still runs
    }, nullptr, 0);
    Log::Get().Watch({WM_LBUTTONDOWN});
    headless::Click(left, {5, 5});
    headless::PumpUntilIdle();
    EXPECT_EQ(selfCalls, 1);
    EXPECT_EQ(otherCalls, 3); // move, down and up
    EXPECT_EQ(Describe(Log::Get().Take()), (Names{"left:LBUTTONDOWN"}));
    UnhookWindowsHookEx(other);
}

TEST_F(Input, TransparentWindowsPassClicksToTheWindowBeneath)
{
    // A frame-like child laid over both halves answers HTTRANSPARENT (as a group box does): a click
    // reaches the sibling beneath it where there is one, and the parent elsewhere.
    HWND frame = MakeChild(top, u"frame", {0, 0, 400, 250}, 3);
    SetWindowPos(frame, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetHandler(frame, [](HWND, UINT m, WPARAM, LPARAM, LRESULT* r) {
        if (m != WM_NCHITTEST)
            return false;
        *r = HTTRANSPARENT;
        return true;
    });
    headless::PumpUntilIdle();
    Log::Get().Watch({WM_LBUTTONDOWN});
    headless::Click(frame, {250, 50});  // over "right"
    headless::Click(frame, {170, 50});  // between the two halves
    headless::Click(frame, {50, 220});  // below "left"
    headless::PumpUntilIdle();
    EXPECT_EQ(Describe(Log::Get().Take()), (Names{"right:LBUTTONDOWN", "top:LBUTTONDOWN", "top:LBUTTONDOWN"}));
}

TEST_F(Input, ADisabledWindowAndWhatIsInsideItTakeNoClicks)
{
    // As while a modal dialog has disabled its owner: neither the owner nor its controls hear the mouse.
    Log::Get().Watch({WM_LBUTTONDOWN, WM_LBUTTONUP});
    EnableWindow(top, FALSE);
    headless::Click(left, {10, 10});
    headless::Click(top, {170, 50});
    headless::PumpUntilIdle();
    EXPECT_TRUE(Log::Get().Take().empty());
    // A disabled control passes the click to its parent; an enabled window hears it again.
    EnableWindow(top, TRUE);
    EnableWindow(left, FALSE);
    headless::Click(top, {10, 10});
    headless::PumpUntilIdle();
    EnableWindow(left, TRUE);
    headless::Click(left, {10, 10});
    headless::PumpUntilIdle();
    EXPECT_EQ(Describe(Log::Get().Take()),
              (Names{"top:LBUTTONDOWN", "top:LBUTTONUP", "left:LBUTTONDOWN", "left:LBUTTONUP"}));
}

TEST_F(Input, InputLeftByAFilteredReadKeepsItsPlaceInTheQueue)
{
    SetFocus(top);
    headless::PumpUntilIdle();
    headless::KeyDown('A');
    headless::ButtonDown(top, {50, -10}); // on the caption: comes out as non-client messages
    MSG m;
    // A read for client mouse messages finds the caption click and leaves it where it was.
    EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE));
    std::vector<UINT> order;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
        if (m.message == WM_KEYDOWN || m.message == WM_NCMOUSEMOVE || m.message == WM_NCLBUTTONDOWN)
            order.push_back(m.message);
    ASSERT_FALSE(order.empty());
    EXPECT_EQ(order.front(), (UINT)WM_KEYDOWN);
    EXPECT_EQ(order.back(), (UINT)WM_NCLBUTTONDOWN);
    headless::ButtonUp(top, {50, -10});
    headless::PumpUntilIdle();
}

// A click read before a key may give the focus after the key was pressed: the key is then an
// ordinary one for the new focus, not the system key of a window without one.
TEST_F(Input, KeysTakeTheirFormFromTheFocusWhenRead)
{
    SetFocus(nullptr);
    headless::PumpUntilIdle();
    Log::Get().Watch({WM_KEYDOWN, WM_SYSKEYDOWN, WM_CHAR, WM_SYSCHAR});
    headless::PressKey('A');
    SetFocus(left);
    headless::PumpUntilIdle();
    EXPECT_EQ(Describe(Log::Get().Take()), (Names{"left:KEYDOWN", "left:CHAR"}));
    // And the other way: without a focus when read, the active window gets the system form.
    headless::PressKey('A');
    SetFocus(nullptr);
    headless::PumpUntilIdle();
    EXPECT_EQ(Describe(Log::Get().Take()), (Names{"top:SYSKEYDOWN", "top:SYSCHAR"}));
}

TEST_F(Input, KeyMessagesCarryWindowsLParamBits)
{
    SetFocus(left);
    Log::Get().Watch({WM_KEYDOWN, WM_KEYUP});
    headless::KeyDown(VK_LEFT);
    headless::KeyDown(VK_LEFT); // auto-repeat
    headless::KeyUp(VK_LEFT);
    headless::PumpUntilIdle();
    auto log = Log::Get().Take();
    ASSERT_EQ(log.size(), 3u);
    auto bits = [](LPARAM l) { return (DWORD)l; };
    EXPECT_EQ(bits(log[0].lParam), 0x014B0001u); // scan 0x4B, extended, first press
    EXPECT_EQ(bits(log[1].lParam), 0x414B0001u); // previous state down
    EXPECT_EQ(bits(log[2].lParam), 0xC14B0001u); // released
    WCHAR name[32];
    EXPECT_GT(GetKeyNameTextW((LONG)log[0].lParam, name, 32), 0);
    EXPECT_EQ(std::u16string(name), u"Left");
}

// The keypad and the navigation keys share scan codes: only the extended bit tells them apart.
TEST_F(Input, KeypadKeysCarryTheirScanCodesAndNames)
{
    struct Case {
        UINT vk, scan;
        bool ext;
        const char16_t* name;
    };
    const Case cases[] = {
        {VK_NUMPAD0, 0x52, false, u"Num 0"}, {VK_NUMPAD0 + 7, 0x47, false, u"Num 7"},
        {VK_NUMPAD0 + 9, 0x49, false, u"Num 9"}, {VK_DECIMAL, 0x53, false, u"Num Del"},
        {VK_HOME, 0x47, true, u"Home"},      {VK_DELETE, 0x53, true, u"Delete"},
    };
    SetFocus(left);
    Log::Get().Watch({WM_KEYDOWN});
    for (const Case& c : cases) {
        headless::PressKey(c.vk);
        headless::PumpUntilIdle();
        auto log = Log::Get().Take();
        ASSERT_EQ(log.size(), 1u) << c.vk;
        EXPECT_EQ(log[0].wParam, (WPARAM)c.vk);
        EXPECT_EQ((log[0].lParam >> 16) & 0xFF, (LPARAM)c.scan) << c.vk;
        EXPECT_EQ(((log[0].lParam >> 24) & 1) != 0, c.ext) << c.vk;
        EXPECT_EQ(MapVirtualKeyW(c.vk, MAPVK_VK_TO_VSC), c.scan);
        WCHAR name[32];
        GetKeyNameTextW((LONG)log[0].lParam, name, 32);
        EXPECT_EQ(std::u16string(name), c.name);
    }
    // The layout maps a keypad scan code to the key it is without Num Lock.
    EXPECT_EQ(MapVirtualKeyW(0x47, MAPVK_VSC_TO_VK), (UINT)VK_HOME);
    EXPECT_EQ(MapVirtualKeyW(0x53, MAPVK_VSC_TO_VK), (UINT)VK_DELETE);
}

TEST_F(Input, AltAndF10EnterTheMenuAndAltLetterCarriesTheCharacter)
{
    SetFocus(left);
    Log::Get().Watch({WM_SYSCOMMAND, WM_SYSCHAR});
    headless::PressKey(VK_MENU);
    headless::PressKey(VK_F10);
    headless::PressKey('F', {VK_MENU});
    headless::PumpUntilIdle();
    auto log = Log::Get().Take();
    ASSERT_EQ(Describe(log), (Names{"top:SYSCOMMAND", "top:SYSCOMMAND", "left:SYSCHAR", "top:SYSCOMMAND"}));
    EXPECT_EQ(log[0].wParam, (WPARAM)SC_KEYMENU);
    EXPECT_EQ(log[0].lParam, 0);
    EXPECT_EQ(log[1].lParam, 0);
    EXPECT_EQ(log[2].wParam, (WPARAM)u'f');
    EXPECT_EQ(log[3].wParam, (WPARAM)SC_KEYMENU);
    EXPECT_EQ(log[3].lParam, (LPARAM)u'f');
}

TEST_F(Input, FocusAndActivationMessages)
{
    HWND other = MakeTop(u"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, {500, 0, 700, 200});
    headless::PumpUntilIdle();
    SetFocus(left);
    Log::Get().Watch({WM_SETFOCUS, WM_KILLFOCUS, WM_ACTIVATE});
    SetFocus(right);
    EXPECT_EQ(Describe(Log::Get().Take()), (Names{"left:KILLFOCUS", "right:SETFOCUS"}));
    // Clicking another top-level window activates it; the default handling focuses it.
    headless::Click(other, {10, 10});
    headless::PumpUntilIdle();
    EXPECT_EQ(Describe(Log::Get().Take()),
              (Names{"top:ACTIVATE", "other:ACTIVATE", "right:KILLFOCUS", "other:SETFOCUS"}));
    EXPECT_EQ(GetActiveWindow(), other);
    EXPECT_EQ(GetFocus(), other);
    // A disabled window loses the focus.
    EnableWindow(other, FALSE);
    EXPECT_EQ(GetFocus(), nullptr);
}

// Showing a window that is visible already activates it, as a first show does, unless the command says
// not to: a program that shows its main window again at start keeps the keyboard.
TEST_F(Input, ShowingAVisibleWindowActivatesItUnlessToldNotTo)
{
    HWND other = MakeTop(u"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, {500, 0, 700, 200});
    const struct {
        int cmd;
        bool activates;
    } cases[] = {{SW_SHOW, true}, {SW_SHOWNORMAL, true}, {SW_RESTORE, true}, {SW_SHOWNA, false},
                 {SW_SHOWNOACTIVATE, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cmd);
        SetActiveWindow(other);
        ASSERT_EQ(GetActiveWindow(), other);
        ShowWindow(top, c.cmd);
        EXPECT_EQ(GetActiveWindow(), c.activates ? top : other);
    }
}

} // namespace

namespace {

TEST_F(Input, CbtHookSeesCreationActivationAndFocusAndMayRefuse)
{
    static std::vector<int> codes;
    static bool refuseCreate;
    codes.clear();
    refuseCreate = false;
    HHOOK hook = SetWindowsHookExW(WH_CBT, [](int code, WPARAM w, LPARAM l) -> LRESULT {
        codes.push_back(code);
        if (code == HCBT_CREATEWND && refuseCreate)
            return 1;
        return CallNextHookEx(nullptr, code, w, l);
    }, nullptr, GetWindowThreadProcessId(top, nullptr));
    HWND other = MakeTop(u"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, {500, 0, 700, 200});
    ASSERT_TRUE(other);
    EXPECT_EQ(codes, (std::vector<int>{HCBT_CREATEWND, HCBT_ACTIVATE, HCBT_SETFOCUS}));
    refuseCreate = true;
    EXPECT_EQ(MakeTop(u"refused"), nullptr);
    EXPECT_TRUE(headless::FindAll({nullptr, u"refused"}).empty());
    codes.clear();
    DestroyWindow(other);
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(codes.front(), HCBT_DESTROYWND);
    UnhookWindowsHookEx(hook);
}

TEST_F(Input, QuickSecondClickOnAScrollArrowScrollsAgain)
{
    HWND w = MakeTop(u"bar", WS_POPUP | WS_VISIBLE | WS_VSCROLL, {0, 0, 200, 200});
    SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE, 0, 100, 10, 0, 0};
    SetScrollInfo(w, SB_VERT, &si, TRUE);
    int lines = 0;
    SetHandler(w, [&](HWND, UINT m, WPARAM wp, LPARAM, LRESULT*) {
        lines += m == WM_VSCROLL && LOWORD(wp) == SB_LINEDOWN;
        return false;
    });
    headless::PumpUntilIdle();
    RECT cr;
    GetClientRect(w, &cr);
    const POINT arrow{cr.right + 5, cr.bottom - 3};
    headless::Click(w, arrow);
    headless::Click(w, arrow); // within the double-click time: comes as a double click
    headless::PumpUntilIdle();
    EXPECT_EQ(lines, 2);
}

TEST_F(Input, HeldScrollArrowRepeatsWhileThePointerStaysOnIt)
{
    struct Case {
        int moveOffAt; // the SB_LINEDOWN after which the pointer leaves the arrow (0: never)
        int releaseAt; // the SB_LINEDOWN after which the button is released (0: never)
        int expected;
    };
    const Case cases[] = {{0, 4, 4}, {2, 0, 2}};
    for (const Case& c : cases) {
        HWND w = MakeTop(u"bar", WS_POPUP | WS_VISIBLE | WS_VSCROLL, {0, 0, 200, 200});
        SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE, 0, 100, 10, 0, 0};
        SetScrollInfo(w, SB_VERT, &si, TRUE);
        headless::PumpUntilIdle();
        RECT cr;
        GetClientRect(w, &cr);
        const POINT arrow{cr.right + 5, cr.bottom - 3}; // the down arrow, right of the client area
        const UINT_PTR kWatchdog = 77;                 // ends the hold if repeats never stop
        int lines = 0;
        bool ended = false;
        std::atomic<bool> stop{false};
        std::thread clock;
        SetHandler(w, [&](HWND h, UINT m, WPARAM wp, LPARAM, LRESULT*) {
            if (m == WM_VSCROLL && LOWORD(wp) == SB_LINEDOWN && ++lines == 1) {
                SetTimer(h, kWatchdog, 3000, nullptr);
                // Time passes while the button is held, as it would for a user.
                clock = std::thread([&] {
                    while (!stop) {
                        headless::AdvanceClock(10);
                        std::this_thread::sleep_for(std::chrono::milliseconds(1));
                    }
                });
            }
            if (m == WM_VSCROLL && LOWORD(wp) == SB_LINEDOWN && lines == c.moveOffAt)
                headless::MouseMove(h, POINT{50, 50});
            if (m == WM_VSCROLL && LOWORD(wp) == SB_LINEDOWN && lines == c.releaseAt)
                headless::ButtonUp(h, arrow);
            if (m == WM_TIMER && wp == kWatchdog) {
                KillTimer(h, kWatchdog);
                headless::ButtonUp(h, arrow);
            }
            ended |= m == WM_VSCROLL && LOWORD(wp) == SB_ENDSCROLL;
            return false;
        });
        headless::ButtonDown(w, arrow);
        headless::PumpUntilIdle();
        stop = true;
        if (clock.joinable())
            clock.join();
        EXPECT_EQ(lines, c.expected) << c.moveOffAt << "/" << c.releaseAt;
        EXPECT_TRUE(ended);
        EXPECT_EQ(GetCapture(), nullptr);
        DestroyWindow(w);
    }
}

} // namespace
