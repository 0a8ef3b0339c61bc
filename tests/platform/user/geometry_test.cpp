// Geometry: positions and their messages, showing states, frames, hit testing and scroll bars.
#include "user_fixture.h"

#include "win32/user/presenter.h"

using namespace usertest;

namespace {

class WindowGeometry : public UserTest {};
using Names = std::vector<std::string>;

TEST_F(WindowGeometry, SetWindowPosSendsChangingThenChangedWithMoveAndSize)
{
    HWND top = MakeTop(u"top", WS_OVERLAPPEDWINDOW, {0, 0, 300, 200});
    HWND child = MakeChild(top, u"c", {10, 10, 60, 40});
    Log::Get().Watch({WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_NCCALCSIZE, WM_MOVE, WM_SIZE});
    SetWindowPos(child, nullptr, 20, 30, 100, 50, SWP_NOZORDER);
    auto log = Log::Get().Take();
    EXPECT_EQ(Describe(log), (Names{"c:0x0046", "c:NCCALCSIZE", "c:0x0047", "c:MOVE", "c:SIZE"}));
    RECT r;
    GetClientRect(child, &r);
    EXPECT_EQ(r.right, 100);
    POINT p{0, 0};
    MapWindowPoints(child, top, &p, 1);
    EXPECT_EQ(p.x, 20);
    EXPECT_EQ(p.y, 30);
    // A handler of WM_WINDOWPOSCHANGING may change the request.
    SetHandler(child, [](HWND, UINT m, WPARAM, LPARAM l, LRESULT*) {
        if (m == WM_WINDOWPOSCHANGING)
            ((WINDOWPOS*)l)->cx = 10;
        return false;
    });
    MoveWindow(child, 0, 0, 80, 80, TRUE);
    GetClientRect(child, &r);
    EXPECT_EQ(r.right, 10);
    EXPECT_EQ(r.bottom, 80);
    // Top-level windows are held to their tracking sizes.
    SetWindowPos(top, nullptr, 0, 0, 5, 5, SWP_NOZORDER | SWP_NOMOVE);
    GetWindowRect(top, &r);
    EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXMINTRACK));
}

TEST_F(WindowGeometry, MinimiseMaximiseAndRestoreKeepTheNormalPlacement)
{
    HWND w = MakeTop(u"w", WS_OVERLAPPEDWINDOW | WS_VISIBLE, {50, 60, 450, 360});
    Log::Get().Watch({WM_SIZE});
    ShowWindow(w, SW_MAXIMIZE);
    EXPECT_TRUE(IsZoomed(w));
    RECT r, work;
    GetWindowRect(w, &r);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(r.left, work.left - 4);
    EXPECT_EQ(r.right, work.right + 4);
    ShowWindow(w, SW_MINIMIZE);
    EXPECT_TRUE(IsIconic(w));
    EXPECT_FALSE(IsZoomed(w));
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    GetWindowPlacement(w, &wp);
    EXPECT_EQ(wp.showCmd, (UINT)SW_SHOWMINIMIZED);
    EXPECT_EQ(wp.flags, (UINT)WPF_RESTORETOMAXIMIZED);
    RECT normal{50, 60, 450, 360};
    EXPECT_TRUE(EqualRect(&wp.rcNormalPosition, &normal));
    ShowWindow(w, SW_RESTORE); // back to maximised, where it was before
    EXPECT_TRUE(IsZoomed(w));
    ShowWindow(w, SW_RESTORE);
    GetWindowRect(w, &r);
    EXPECT_TRUE(EqualRect(&r, &normal));
    auto log = Log::Get().Take();
    std::vector<WPARAM> kinds;
    for (auto& e : log)
        kinds.push_back(e.wParam);
    EXPECT_EQ(kinds, (std::vector<WPARAM>{SIZE_MAXIMIZED, SIZE_MINIMIZED, SIZE_MAXIMIZED, SIZE_RESTORED}));
    EXPECT_TRUE(ShowWindow(w, SW_HIDE));
    EXPECT_FALSE(ShowWindow(w, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(w));
}

TEST_F(WindowGeometry, FramesFollowTheClassicMetrics)
{
    struct Case {
        DWORD style, ex;
        BOOL menu;
        RECT expected; // for a client of (0,0)-(100,100)
    };
    const Case cases[] = {
        {WS_OVERLAPPEDWINDOW, 0, FALSE, {-4, -23, 104, 104}},
        {WS_OVERLAPPEDWINDOW, 0, TRUE, {-4, -42, 104, 104}},
        {WS_POPUP | WS_CAPTION, 0, FALSE, {-3, -22, 103, 103}},
        {WS_POPUP | WS_BORDER, 0, FALSE, {-1, -1, 101, 101}},
        {WS_CHILD, WS_EX_CLIENTEDGE, FALSE, {-2, -2, 102, 102}},
        {WS_CHILD | WS_BORDER, WS_EX_STATICEDGE, FALSE, {-2, -2, 102, 102}},
        {WS_POPUP | WS_CAPTION, WS_EX_TOOLWINDOW, FALSE, {-3, -19, 103, 103}},
        {WS_POPUP, WS_EX_DLGMODALFRAME, FALSE, {-3, -3, 103, 103}},
    };
    for (const Case& c : cases) {
        RECT r{0, 0, 100, 100};
        AdjustWindowRectEx(&r, c.style, c.menu, c.ex);
        EXPECT_TRUE(EqualRect(&r, &c.expected))
            << std::hex << c.style << " " << c.ex << ": " << std::dec << r.left << "," << r.top << "," << r.right
            << "," << r.bottom;
    }
}

TEST_F(WindowGeometry, HitTestNamesEveryPartOfTheFrame)
{
    HWND w = MakeTop(u"w", WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE, {100, 100, 400, 300});
    struct Case {
        int x, y; // window coordinates
        int hit;
    };
    const Case cases[] = {
        {1, 1, HTTOPLEFT},     {150, 1, HTTOP},        {298, 1, HTTOPRIGHT},   {1, 100, HTLEFT},
        {298, 100, HTRIGHT},   {1, 198, HTBOTTOMLEFT}, {150, 198, HTBOTTOM},   {298, 198, HTBOTTOMRIGHT},
        {100, 10, HTCAPTION},  {8, 10, HTSYSMENU},     {285, 10, HTCLOSE},     {267, 10, HTMAXBUTTON},
        {251, 10, HTMINBUTTON}, {100, 100, HTCLIENT},  {288, 100, HTVSCROLL},  {100, 188, HTHSCROLL},
        {300, 100, HTNOWHERE},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SendMessageW(w, WM_NCHITTEST, 0, MAKELPARAM(100 + c.x, 100 + c.y)), c.hit) << c.x << "," << c.y;
}

TEST_F(WindowGeometry, ScrollInfoIsClampedAndHidesTheBarWhenNotNeeded)
{
    HWND w = MakeTop(u"w", WS_OVERLAPPEDWINDOW | WS_VSCROLL, {0, 0, 300, 200});
    RECT before;
    GetClientRect(w, &before);
    SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 500, 0};
    EXPECT_EQ(SetScrollInfo(w, SB_VERT, &si, FALSE), 90); // the last page starts at 90
    EXPECT_EQ(GetScrollPos(w, SB_VERT), 90);
    EXPECT_EQ(SetScrollPos(w, SB_VERT, -5, FALSE), 90);
    EXPECT_EQ(GetScrollPos(w, SB_VERT), 0);
    si = SCROLLINFO{sizeof(si), SIF_RANGE | SIF_PAGE, 0, 9, 20, 0, 0};
    SetScrollInfo(w, SB_VERT, &si, FALSE);
    RECT after;
    GetClientRect(w, &after);
    EXPECT_EQ(after.right, before.right + GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_FALSE(GetWindowLongW(w, GWL_STYLE) & WS_VSCROLL);
    ShowScrollBar(w, SB_VERT, TRUE);
    GetClientRect(w, &after);
    EXPECT_EQ(after.right, before.right);
}

TEST_F(WindowGeometry, SystemMenuCloseGreyedStopsClosing)
{
    HWND w = MakeTop(u"w", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    HMENU sys = GetSystemMenu(w, FALSE);
    ASSERT_TRUE(sys);
    EXPECT_EQ(GetMenuItemID(sys, GetMenuItemCount(sys) - 1), (UINT)SC_CLOSE);
    EnableMenuItem(sys, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    Log::Get().Watch({WM_CLOSE});
    headless::PressKey(VK_F4, {VK_MENU});
    headless::PumpUntilIdle();
    SendMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(IsWindow(w));
    EXPECT_TRUE(Log::Get().Take().empty());
    EnableMenuItem(sys, SC_CLOSE, MF_BYCOMMAND | MF_ENABLED);
    headless::PressKey(VK_F4, {VK_MENU});
    headless::PumpUntilIdle();
    EXPECT_FALSE(IsWindow(w));
}

TEST_F(WindowGeometry, CaptionDragMovesTheWindowInASizeMoveLoop)
{
    HWND w = MakeTop(u"w", WS_OVERLAPPEDWINDOW | WS_VISIBLE, {100, 100, 400, 300});
    headless::PumpUntilIdle();
    headless::MouseMoveScreen({200, 110});
    user::InjectMouse(WM_LBUTTONDOWN, {200, 110});
    headless::MouseMoveScreen({250, 150});
    user::InjectMouse(WM_LBUTTONUP, {250, 150});
    headless::PumpUntilIdle();
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, 150);
    EXPECT_EQ(r.top, 140);
    EXPECT_EQ(GetCapture(), nullptr);
}

} // namespace
