// Tests of the window helpers: window rectangles, mirrored arrow keys, work areas and splitter tracking.
#include <gtest/gtest.h>

#include "toolkit/base/window_helpers.h"
#include "test_windows.h"

namespace {

HWND MakeWindow(DWORD exStyle = 0)
{
    tktest::RegisterPlainWindowClass(u"TkHelperTest");
    return CreateWindowExW(exStyle, u"TkHelperTest", u"t", WS_POPUP, 100, 100, 300, 200, nullptr, nullptr, nullptr,
                           nullptr);
}

} // namespace

TEST(WindowHelpers, RectanglesAreEmptyForAWindowThatIsGone) {
    HWND hwnd = MakeWindow();
    ASSERT_NE(hwnd, nullptr);
    CTKPWndRect rc(hwnd);
    EXPECT_EQ(rc.left, 100);
    EXPECT_EQ(rc.right, 400);
    CTKPWndClientRect client(hwnd);
    EXPECT_EQ(client.right, 300);
    DestroyWindow(hwnd);
    CTKPWndRect gone(hwnd);
    EXPECT_EQ(gone.right - gone.left, 0);
    CTKPWndClientRect goneClient(hwnd);
    EXPECT_EQ(goneClient.bottom, 0);
}

TEST(WindowHelpers, ArrowKeysSwapOnlyInRightToLeftWindows) {
    HWND ltr = MakeWindow(), rtl = MakeWindow(WS_EX_LAYOUTRTL);
    struct {
        HWND hwnd;
        UINT in, out;
    } cases[] = {{ltr, VK_LEFT, VK_LEFT}, {rtl, VK_LEFT, VK_RIGHT}, {rtl, VK_RIGHT, VK_LEFT}, {rtl, VK_UP, VK_UP}};
    for (auto& c : cases) {
        UINT key = c.in;
        MirrorArrowKey(c.hwnd, key);
        EXPECT_EQ(key, c.out);
    }
    DestroyWindow(ltr);
    DestroyWindow(rtl);
}

TEST(WindowHelpers, WorkAreasFallBackToThePrimaryOne) {
    RECT expected{}, fromPoint{}, fromRect{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &expected, 0);
    GetWorkAreaFromPoint(&fromPoint, POINT{10, 10});
    GetWorkAreaFromRect(&fromRect, RECT{0, 0, 50, 50});
    EXPECT_EQ(fromPoint.right, expected.right);
    EXPECT_EQ(fromPoint.bottom, expected.bottom);
    EXPECT_EQ(fromRect.right, expected.right);
    EXPECT_GT(expected.right, 0);
}

TEST(SplitterTracker, FollowsTheMouseWithinLimitsUntilReleaseOrEscape) {
    HWND hwnd = MakeWindow();
    ASSERT_NE(hwnd, nullptr);
    // A vertical bar at x 140-144 dragged from x 142: moves follow the mouse, clamped to 120-160.
    RECT bar{140, 100, 144, 300};
    PostMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(50, 10));  // screen x 150: left 148
    PostMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(200, 10)); // far right: clamped to 160
    PostMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(200, 10));
    CTKPTrackSplitter tracker;
    EXPECT_TRUE(tracker.Track(hwnd, 120, 0, 160, 1000, bar, POINT{142, 150}, TRUE));
    EXPECT_EQ(bar.left, 160);
    EXPECT_EQ(bar.right, 164);
    EXPECT_EQ(bar.top, 100);  // only the tracked axis moves
    EXPECT_EQ(GetCapture(), nullptr);

    PostMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(30, 10));  // screen x 130 (from 162): left 128
    PostMessageW(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(tracker.Track(hwnd, 120, 0, 160, 1000, bar, POINT{162, 150}, TRUE));
    EXPECT_EQ(bar.left, 128);  // the caller decides to keep its old layout

    // A quit request ends the drag and stays for the thread's own loop.
    PostQuitMessage(7);
    EXPECT_FALSE(tracker.Track(hwnd, 120, 0, 160, 1000, bar, POINT{130, 150}, TRUE));
    EXPECT_EQ(GetCapture(), nullptr);
    MSG quit{};
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 7u);
    DestroyWindow(hwnd);
}

TEST(ClampRectInto, MovesTheRectangleJustEnoughToHoldThePoint) {
    const RECT rc{10, 20, 110, 60};
    const struct { POINT pt; RECT expected; } cases[] = {
        {{50, 40}, {10, 20, 110, 60}},     // inside
        {{110, 60}, {10, 20, 110, 60}},    // on the far corner
        {{4, 40}, {4, 20, 104, 60}},       // left of it
        {{130, 40}, {30, 20, 130, 60}},    // right of it
        {{50, 5}, {10, 5, 110, 45}},       // above
        {{150, 90}, {50, 50, 150, 90}},    // right of and below
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pt.x << "," << c.pt.y);
        RECT moved = rc;
        ClampRectInto(moved, c.pt);
        EXPECT_TRUE(EqualRect(&moved, &c.expected));
    }
}
