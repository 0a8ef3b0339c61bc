// Menus as data, menu templates, accelerators, and popup menus and the menu bar on screen.
#include "user_fixture.h"

#include "win32/user/presenter.h"

#include <algorithm>
#include <cstring>

using namespace usertest;

namespace {

class Menus : public UserTest {};

TEST_F(Menus, ItemsAreFoundByPositionOrByCommandInSubmenus)
{
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, 100, u"&Open");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file, MF_STRING | MF_GRAYED, 101, u"E&xit");
    AppendMenuW(bar, MF_POPUP, (UINT_PTR)file, u"&File");
    InsertMenuW(file, 101, MF_BYCOMMAND | MF_STRING, 102, u"&Save"); // before Exit
    EXPECT_EQ(GetMenuItemCount(file), 4);
    EXPECT_EQ(GetMenuItemID(file, 2), 102u);
    EXPECT_EQ(GetSubMenu(bar, 0), file);
    EXPECT_EQ(GetMenuItemID(bar, 0), (UINT)-1);
    WCHAR buf[16];
    EXPECT_EQ(GetMenuStringW(bar, 102, buf, 16, MF_BYCOMMAND), 5);
    EXPECT_EQ(std::u16string(buf), u"&Save");
    EXPECT_EQ(GetMenuState(bar, 101, MF_BYCOMMAND) & MF_GRAYED, (UINT)MF_GRAYED);
    EXPECT_EQ(GetMenuState(file, 1, MF_BYPOSITION) & MF_SEPARATOR, (UINT)MF_SEPARATOR);
    EXPECT_EQ(EnableMenuItem(bar, 101, MF_BYCOMMAND | MF_ENABLED), (BOOL)MF_GRAYED);
    EXPECT_EQ(CheckMenuItem(bar, 100, MF_BYCOMMAND | MF_CHECKED), 0u);
    EXPECT_EQ(GetMenuState(bar, 100, MF_BYCOMMAND) & MF_CHECKED, (UINT)MF_CHECKED);
    EXPECT_EQ(GetMenuState(bar, 999, MF_BYCOMMAND), (UINT)-1);
    EXPECT_TRUE(CheckMenuRadioItem(file, 100, 102, 102, MF_BYCOMMAND));
    EXPECT_EQ(GetMenuState(file, 100, MF_BYCOMMAND) & MF_CHECKED, 0u);
    EXPECT_TRUE(SetMenuDefaultItem(file, 102, FALSE));
    EXPECT_EQ(GetMenuDefaultItem(file, FALSE, 0), 102u);

    MENUITEMINFOW mii{};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_STRING | MIIM_ID | MIIM_DATA;
    mii.dwTypeData = buf;
    mii.cch = 16;
    ASSERT_TRUE(GetMenuItemInfoW(file, 0, TRUE, &mii));
    EXPECT_EQ(mii.wID, 100u);
    EXPECT_EQ(mii.cch, 5u);
    mii.fMask = MIIM_DATA;
    mii.dwItemData = 77;
    SetMenuItemInfoW(file, 100, FALSE, &mii);
    mii.dwItemData = 0;
    GetMenuItemInfoW(file, 100, FALSE, &mii);
    EXPECT_EQ(mii.dwItemData, 77u);

    ModifyMenuW(bar, 100, MF_BYCOMMAND | MF_STRING, 200, u"Reopen");
    EXPECT_EQ(GetMenuItemID(file, 0), 200u);
    EXPECT_TRUE(RemoveMenu(file, 1, MF_BYPOSITION));
    EXPECT_TRUE(DeleteMenu(bar, 0, MF_BYPOSITION)); // destroys the submenu too
    EXPECT_FALSE(IsMenu(file));
    EXPECT_TRUE(DestroyMenu(bar));
    EXPECT_FALSE(DestroyMenu(bar));
}

std::vector<BYTE> StandardTemplate()
{
    std::vector<WORD> w = {0, 0};
    auto str = [&](const char16_t* s) {
        for (; *s; ++s)
            w.push_back(*s);
        w.push_back(0);
    };
    w.push_back(MF_POPUP);
    str(u"&File");
    w.push_back(0);
    w.push_back(10);
    str(u"&New");
    w.push_back(MF_SEPARATOR);
    w.push_back(0);
    str(u"");
    w.push_back(MF_END | MF_GRAYED);
    w.push_back(11);
    str(u"E&xit");
    w.push_back(MF_END);
    w.push_back(20);
    str(u"&Help");
    std::vector<BYTE> b(w.size() * 2);
    memcpy(b.data(), w.data(), b.size());
    return b;
}

TEST_F(Menus, TemplatesLoadAndDamagedOnesFail)
{
    auto t = StandardTemplate();
    HMENU m = LoadMenuIndirectW(t.data());
    ASSERT_TRUE(m);
    EXPECT_EQ(GetMenuItemCount(m), 2);
    HMENU file = GetSubMenu(m, 0);
    EXPECT_EQ(GetMenuItemCount(file), 3);
    EXPECT_EQ(GetMenuItemID(file, 2), 11u);
    EXPECT_TRUE(GetMenuState(file, 11, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_EQ(GetMenuItemID(m, 1), 20u);
    DestroyMenu(m);
    // An unknown version is refused rather than guessed at.
    t[0] = 7;
    EXPECT_EQ(LoadMenuIndirectW(t.data()), nullptr);
}

TEST_F(Menus, AcceleratorsTranslateKeysIntoCommands)
{
    HWND w = MakeTop(u"w", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    ACCEL table[] = {{FVIRTKEY | FCONTROL, 'S', 500}, {FVIRTKEY, VK_F5, 501}, {0, 'q', 502}};
    HACCEL acc = CreateAcceleratorTableW(table, 3);
    ASSERT_TRUE(acc);
    EXPECT_EQ(CopyAcceleratorTableW(acc, nullptr, 0), 3);
    ACCEL copy[3];
    EXPECT_EQ(CopyAcceleratorTableW(acc, copy, 3), 3);
    EXPECT_EQ(copy[1].cmd, 501);
    HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_STRING | MF_GRAYED, 501, u"Refresh");
    SetMenu(w, bar);
    Log::Get().Watch({WM_COMMAND});
    auto pump = [&] {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
            if (!TranslateAcceleratorW(w, acc, &m)) {
                TranslateMessage(&m);
                DispatchMessageW(&m);
            }
    };
    headless::PressKey('S', {VK_CONTROL});
    headless::PressKey('S');         // without Control: no command
    headless::PressKey(VK_F5);       // disabled in the menu: swallowed
    headless::PressKey('Q');         // a character accelerator
    pump();
    auto log = Log::Get().Take();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].wParam, MAKEWPARAM(500, 1));
    EXPECT_EQ(log[1].wParam, MAKEWPARAM(502, 1));
    EXPECT_TRUE(DestroyAcceleratorTable(acc));
    EXPECT_FALSE(DestroyAcceleratorTable(acc));
}

TEST_F(Menus, PopupMenuReturnsTheChosenCommand)
{
    HWND w = MakeTop(u"w", WS_OVERLAPPEDWINDOW | WS_VISIBLE, {0, 0, 300, 300});
    HMENU m = CreatePopupMenu();
    AppendMenuW(m, MF_STRING, 1, u"One");
    AppendMenuW(m, MF_STRING | MF_GRAYED, 2, u"Two");
    AppendMenuW(m, MF_STRING, 3, u"Three");
    // By keyboard: Down skips the greyed item.
    headless::AnswerNextModal([](HWND) {
        headless::PressKey(VK_DOWN);
        headless::PressKey(VK_DOWN);
        headless::PressKey(VK_RETURN);
    });
    EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 50, 50, 0, w, nullptr), 3);
    // By mouse, on the first item; a command without TPM_RETURNCMD is posted as WM_COMMAND.
    headless::AnswerNextModal([](HWND popup) { headless::Click(popup, {20, 10}); });
    Log::Get().Watch({WM_COMMAND});
    EXPECT_TRUE(TrackPopupMenu(m, 0, 50, 50, 0, w, nullptr));
    headless::PumpUntilIdle();
    auto log = Log::Get().Take();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(LOWORD(log[0].wParam), 1);
    // Escape cancels.
    headless::AnswerNextModal([](HWND) { headless::PressKey(VK_ESCAPE); });
    EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 50, 50, 0, w, nullptr), 0);
    EXPECT_TRUE(headless::FindAll({u"#PopupMenu"}).empty());
    DestroyMenu(m);
}

// One, More > (Deep A, Deep B), Three: a popup with a cascading submenu.
HMENU CascadingMenu()
{
    HMENU sub = CreatePopupMenu();
    AppendMenuW(sub, MF_STRING, 10, u"Deep &A");
    AppendMenuW(sub, MF_STRING, 11, u"Deep &B");
    HMENU m = CreatePopupMenu();
    AppendMenuW(m, MF_STRING, 1, u"&One");
    AppendMenuW(m, MF_POPUP, (UINT_PTR)sub, u"&More");
    AppendMenuW(m, MF_STRING, 3, u"&Three");
    return m;
}

struct KeyCase {
    const char* name;
    std::vector<UINT> keys; // letters are typed as characters
    int command;            // 0: nothing chosen
};

std::string KeyCaseName(const ::testing::TestParamInfo<KeyCase>& info)
{
    return info.param.name;
}

void Press(const std::vector<UINT>& keys)
{
    for (UINT k : keys) {
        if (k >= 'A' && k <= 'Z')
            headless::TypeText(std::u16string(1, (char16_t)(k - 'A' + 'a')));
        else if (k >= 0x1000)
            headless::PressKey(k - 0x1000, {VK_MENU}); // Alt with a letter
        else
            headless::PressKey(k);
    }
}

class CascadingByKeyboard : public UserTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(CascadingByKeyboard, ChoosesThroughSubmenus)
{
    HWND w = MakeTop(u"w", WS_OVERLAPPEDWINDOW | WS_VISIBLE, {0, 0, 300, 300});
    HMENU m = CascadingMenu();
    const KeyCase& c = GetParam();
    headless::AnswerNextModal([&](HWND) { Press(c.keys); });
    EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 50, 50, 0, w, nullptr), c.command);
    EXPECT_TRUE(headless::FindAll({u"#PopupMenu"}).empty());
    DestroyMenu(m);
}

INSTANTIATE_TEST_SUITE_P(
    Menus, CascadingByKeyboard,
    ::testing::Values(KeyCase{"RightOpensTheSubmenu", {VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN}, 11},
                      KeyCase{"EnterOpensTheSubmenu", {VK_DOWN, VK_DOWN, VK_RETURN, VK_RETURN}, 10},
                      KeyCase{"LeftClosesIt", {VK_DOWN, VK_DOWN, VK_RIGHT, VK_LEFT, VK_DOWN, VK_RETURN}, 3},
                      KeyCase{"EscapeGoesBackOneLevel", {VK_DOWN, VK_DOWN, VK_RIGHT, VK_ESCAPE, VK_UP, VK_RETURN}, 1},
                      KeyCase{"MnemonicsOpenAndChoose", {'M', 'B'}, 11},
                      KeyCase{"EscapeTwiceCancels", {VK_DOWN, VK_DOWN, VK_RIGHT, VK_ESCAPE, VK_ESCAPE}, 0}),
    KeyCaseName);

// Tests run the menu by injected input; what the menu opens later is reached from a timer that
// fires inside its loop once the input before it is handled.
std::function<void()> g_later;

void CALLBACK RunLater(HWND hwnd, UINT, UINT_PTR id, DWORD)
{
    KillTimer(hwnd, id);
    g_later();
}

void Later(HWND hwnd, std::function<void()> f)
{
    g_later = std::move(f);
    SetTimer(hwnd, 77, 10, RunLater);
    headless::AdvanceClock(10);
}

TEST_F(Menus, HoveringOpensASubmenuAndAClickInItChooses)
{
    HWND w = MakeTop(u"w", WS_OVERLAPPEDWINDOW | WS_VISIBLE, {0, 0, 300, 300});
    HMENU m = CascadingMenu();
    std::vector<std::string> seen;
    SetHandler(w, [&](HWND, UINT msg, WPARAM wp, LPARAM lp, LRESULT*) {
        if (msg == WM_INITMENUPOPUP)
            seen.push_back("init " + std::to_string(LOWORD(lp)));
        if (msg == WM_UNINITMENUPOPUP)
            seen.push_back("uninit");
        return false;
    });
    headless::AnswerNextModal([&](HWND popup) {
        headless::MouseMove(popup, {20, 3 + 19 + 5}); // over "More"
        Later(w, [&, popup] {
            auto popups = headless::FindAll({u"#PopupMenu"});
            ASSERT_EQ(popups.size(), 2u);
            HWND sub = popups[0] == popup ? popups[1] : popups[0];
            RECT outer, inner;
            GetWindowRect(popup, &outer);
            GetWindowRect(sub, &inner);
            EXPECT_GE(inner.left, outer.right - 6); // beside its parent item
            headless::Click(sub, {20, 3 + 19 + 5});  // "Deep B"
        });
    });
    EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 50, 50, 0, w, nullptr), 11);
    EXPECT_EQ(seen, (std::vector<std::string>{"init 0", "init 1", "uninit", "uninit"}));
    EXPECT_TRUE(headless::FindAll({u"#PopupMenu"}).empty());
    DestroyMenu(m);
}

// File (Open, Recent > a.txt), Edit (Copy) as the window's menu bar.
HWND WindowWithMenuBar()
{
    HMENU recent = CreatePopupMenu();
    AppendMenuW(recent, MF_STRING, 110, u"a.txt");
    HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, 100, u"&Open");
    AppendMenuW(file, MF_POPUP, (UINT_PTR)recent, u"&Recent");
    HMENU edit = CreatePopupMenu();
    AppendMenuW(edit, MF_STRING, 200, u"&Copy");
    HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_POPUP, (UINT_PTR)file, u"&File");
    AppendMenuW(bar, MF_POPUP, (UINT_PTR)edit, u"&Edit");
    HWND w = MakeTop(u"w", WS_OVERLAPPEDWINDOW | WS_VISIBLE, {0, 0, 300, 300});
    SetMenu(w, bar);
    SetFocus(w);
    headless::PumpUntilIdle();
    return w;
}

int CommandPosted()
{
    auto log = Log::Get().Take();
    for (auto& e : log)
        if (e.msg == WM_COMMAND)
            return LOWORD(e.wParam);
    return 0;
}

class MenuBarByKeyboard : public UserTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(MenuBarByKeyboard, ReachesCommandsOfEveryTitle)
{
    HWND w = WindowWithMenuBar();
    Log::Get().Watch({WM_COMMAND});
    Press(GetParam().keys);
    headless::PumpUntilIdle();
    EXPECT_EQ(CommandPosted(), GetParam().command);
    EXPECT_TRUE(headless::FindAll({u"#PopupMenu"}).empty());
    EXPECT_EQ(GetCapture(), nullptr);
    DestroyWindow(w);
}

constexpr UINT kAlt = 0x1000; // with a letter: Alt held while it is pressed

INSTANTIATE_TEST_SUITE_P(
    Menus, MenuBarByKeyboard,
    ::testing::Values(KeyCase{"AltThenDown", {VK_MENU, VK_DOWN, VK_RETURN}, 100},
                      KeyCase{"AltThenRight", {VK_MENU, VK_RIGHT, VK_DOWN, VK_RETURN}, 200},
                      KeyCase{"F10ThenEnter", {VK_F10, VK_RETURN, VK_RETURN}, 100},
                      KeyCase{"AltLetterAndMnemonics", {kAlt + 'F', 'R', VK_RETURN}, 110},
                      KeyCase{"LeftWrapsToTheLastTitle", {kAlt + 'F', VK_LEFT, VK_RETURN}, 200},
                      KeyCase{"RightFromASubmenuItemMovesOn", {kAlt + 'F', VK_RIGHT, VK_RETURN}, 200},
                      KeyCase{"EscapeBackToTheBarThenOut", {kAlt + 'F', VK_ESCAPE, VK_ESCAPE}, 0},
                      KeyCase{"AltLetterWithoutTitle", {kAlt + 'Z', VK_RETURN}, 0}),
    KeyCaseName);

TEST_F(Menus, MenuBarShowsTitlesAndOpensByMouse)
{
    HWND w = WindowWithMenuBar();
    // Find the bar by hit testing down the window's middle.
    RECT wr;
    GetWindowRect(w, &wr);
    POINT bar{wr.left + 12, -1};
    for (int y = wr.top; y < wr.bottom && bar.y < 0; ++y)
        if (SendMessageW(w, WM_NCHITTEST, 0, MAKELPARAM(bar.x, y)) == HTMENU)
            bar.y = y + 5;
    ASSERT_GE(bar.y, 0);
    // The titles are drawn in the bar.
    auto surface = user::WindowSurface(w);
    COLORREF menu = GetSysColor(COLOR_MENU);
    uint32_t plain = (GetRValue(menu) << 16) | (GetGValue(menu) << 8) | GetBValue(menu);
    int inked = 0;
    for (int x = 0; x < 60; ++x)
        inked += (surface->Row(bar.y - wr.top)[x] & 0xFFFFFF) != plain;
    EXPECT_GT(inked, 0);

    // A click on "File" opens its popup under the title; the keyboard carries on from there.
    POINT file = bar;
    ScreenToClient(w, &file); // above the client area: negative
    Log::Get().Watch({WM_COMMAND});
    headless::Click(w, file);
    Later(w, [&] {
        auto popups = headless::FindAll({u"#PopupMenu"});
        ASSERT_EQ(popups.size(), 1u);
        RECT pr;
        GetWindowRect(popups[0], &pr);
        EXPECT_GT(pr.top, bar.y);
        EXPECT_LE(pr.left, bar.x);
        headless::PressKey(VK_DOWN);
        headless::PressKey(VK_RETURN);
    });
    headless::PumpUntilIdle();
    EXPECT_EQ(CommandPosted(), 100);
    // A second click on the open title, or a click elsewhere, closes the menu with nothing chosen.
    for (POINT second : {file, POINT{150, 150}}) {
        headless::Click(w, file);
        headless::Click(w, second);
        headless::PumpUntilIdle();
        EXPECT_EQ(CommandPosted(), 0);
        EXPECT_TRUE(headless::FindAll({u"#PopupMenu"}).empty());
    }
    DestroyWindow(w);
}

// The menu bar's band in screen coordinates and the centres of its titles, found as the window
// shows them: the rows that hit-test as the menu, and the runs of ink along them.
struct BarTitles {
    int y = -1;
    std::vector<int> x;
};

BarTitles FindTitles(HWND w)
{
    BarTitles t;
    RECT wr;
    GetWindowRect(w, &wr);
    int top = -1, bottom = -1;
    for (int y = wr.top; y < wr.bottom; ++y)
        if (SendMessageW(w, WM_NCHITTEST, 0, MAKELPARAM(wr.left + 12, y)) == HTMENU) {
            if (top < 0)
                top = y;
            bottom = y + 1;
        }
    if (top < 0)
        return t;
    t.y = (top + bottom) / 2;
    auto surface = user::WindowSurface(w);
    COLORREF menu = GetSysColor(COLOR_MENU);
    uint32_t plain = (GetRValue(menu) << 16) | (GetGValue(menu) << 8) | GetBValue(menu);
    int runStart = -1, last = -100;
    for (int x = 0; x < surface->width; ++x) {
        if (SendMessageW(w, WM_NCHITTEST, 0, MAKELPARAM(wr.left + x, t.y)) != HTMENU)
            continue; // the frame around the bar
        bool ink = false;
        for (int y = top; y < bottom; ++y)
            ink = ink || (surface->Row(y - wr.top)[x] & 0xFFFFFF) != plain;
        if (!ink)
            continue;
        if (x - last > 6) { // a gap wider than between letters starts the next title
            if (runStart >= 0)
                t.x.push_back(wr.left + (runStart + last) / 2);
            runStart = x;
        }
        last = x;
    }
    if (runStart >= 0)
        t.x.push_back(wr.left + (runStart + last) / 2);
    return t;
}

// One mouse action on the menu bar or its open popups (popups are counted from the bar outwards).
struct MouseStep {
    enum Kind { ClickTitle, MoveToTitle, ClickItem, MoveToItem, ClickOutside } kind;
    int which = 0; // title, or popup level
    int item = 0;
};

void Do(HWND w, const BarTitles& bar, const MouseStep& step)
{
    auto popups = headless::FindAll({u"#PopupMenu"});
    std::sort(popups.begin(), popups.end(), [](HWND a, HWND b) {
        RECT ra, rb;
        GetWindowRect(a, &ra);
        GetWindowRect(b, &rb);
        return ra.left < rb.left; // a submenu opens beside its parent
    });
    POINT title{bar.x[(size_t)step.which], bar.y};
    ScreenToClient(w, &title);
    POINT item{20, 3 + 19 * step.item + 9};
    switch (step.kind) {
    case MouseStep::ClickTitle: headless::Click(w, title); break;
    case MouseStep::MoveToTitle: headless::MouseMove(w, title); break;
    case MouseStep::ClickOutside: headless::Click(w, {150, 150}); break;
    case MouseStep::ClickItem:
    case MouseStep::MoveToItem:
        ASSERT_LT((size_t)step.which, popups.size());
        if (step.kind == MouseStep::ClickItem)
            headless::Click(popups[(size_t)step.which], item);
        else
            headless::MouseMove(popups[(size_t)step.which], item);
        break;
    }
}

// Steps run one at a time from a timer inside the menu's loop, each once the input of the step
// before it is handled; a menu still open after the last step is ended, so a fault cannot hang.
struct StepRunner {
    static inline HWND window;
    static inline BarTitles bar;
    static inline std::vector<MouseStep> steps;
    static inline size_t next = 0;

    static void Start(HWND w, const BarTitles& b, std::vector<MouseStep> s)
    {
        window = w;
        bar = b;
        steps = std::move(s);
        next = 0;
        Schedule();
    }
    static void Schedule()
    {
        SetTimer(window, 78, 10, Fire);
        headless::AdvanceClock(10);
    }
    static void CALLBACK Fire(HWND hwnd, UINT, UINT_PTR id, DWORD)
    {
        KillTimer(hwnd, id);
        if (next < steps.size()) {
            Do(window, bar, steps[next++]);
            Schedule();
        } else {
            EndMenu();
        }
    }
};

struct MouseCase {
    const char* name;
    std::vector<MouseStep> steps; // the first one opens the menu
    int command;
};

class MenuBarByMouse : public UserTest, public ::testing::WithParamInterface<MouseCase> {};

TEST_P(MenuBarByMouse, OpensSwitchesChoosesAndCloses)
{
    HWND w = WindowWithMenuBar();
    BarTitles bar = FindTitles(w);
    ASSERT_EQ(bar.x.size(), 2u);
    const auto& steps = GetParam().steps;
    Log::Get().Watch({WM_COMMAND});
    Do(w, bar, steps.front());
    StepRunner::Start(w, bar, std::vector<MouseStep>(steps.begin() + 1, steps.end()));
    headless::PumpUntilIdle();
    EXPECT_EQ(CommandPosted(), GetParam().command);
    EXPECT_TRUE(headless::FindAll({u"#PopupMenu"}).empty());
    EXPECT_EQ(GetCapture(), nullptr);
    DestroyWindow(w);
}

using S = MouseStep;
INSTANTIATE_TEST_SUITE_P(
    Menus, MenuBarByMouse,
    ::testing::Values(
        MouseCase{"ClickOnAnItemChooses", {{S::ClickTitle, 0}, {S::ClickItem, 0, 0}}, 100},
        MouseCase{"MovingAlongTheBarSwitchesPopups", {{S::ClickTitle, 0}, {S::MoveToTitle, 1}, {S::ClickItem, 0, 0}}, 200},
        MouseCase{"HoveringOpensASubmenu", {{S::ClickTitle, 0}, {S::MoveToItem, 0, 1}, {S::ClickItem, 1, 0}}, 110},
        MouseCase{"ClickOutsideCloses", {{S::ClickTitle, 0}, {S::ClickOutside}}, 0},
        MouseCase{"ClickOnTheOpenTitleCloses", {{S::ClickTitle, 1}, {S::ClickTitle, 1}}, 0}),
    [](const ::testing::TestParamInfo<MouseCase>& info) { return std::string(info.param.name); });

} // namespace
