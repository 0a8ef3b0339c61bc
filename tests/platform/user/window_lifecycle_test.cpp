// Creation and destruction sequences, stale handles, and handlers that destroy their own window.
#include "user_fixture.h"

using namespace usertest;

namespace {

class WindowLifecycle : public UserTest {};

using Names = std::vector<std::string>;

TEST_F(WindowLifecycle, ParentWithChildrenIsCreatedAndDestroyedInWindowsOrder)
{
    Log::Get().Watch({WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW,
                      WM_PARENTNOTIFY, WM_DESTROY, WM_NCDESTROY});
    HWND top = MakeTop(u"top");
    ASSERT_TRUE(top);
    // WM_GETMINMAXINFO comes before WM_NCCREATE has given the window its text.
    EXPECT_EQ(Describe(Log::Get().Take()),
              (Names{":GETMINMAXINFO", "top:NCCREATE", "top:NCCALCSIZE", "top:CREATE", "top:SIZE", "top:MOVE"}));

    HWND a = MakeChild(top, u"a", {0, 0, 50, 50}, 1);
    HWND b = MakeChild(top, u"b", {50, 0, 100, 50}, 2);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(Describe(Log::Get().Take()),
              (Names{"a:NCCREATE", "a:NCCALCSIZE", "a:CREATE", "a:SIZE", "a:MOVE", "top:PARENTNOTIFY", "a:SHOWWINDOW",
                     "b:NCCREATE", "b:NCCALCSIZE", "b:CREATE", "b:SIZE", "b:MOVE", "top:PARENTNOTIFY",
                     "b:SHOWWINDOW"}));

    // The children still exist while the parent handles WM_DESTROY.
    bool childrenAlive = false;
    SetHandler(top, [&](HWND, UINT msg, WPARAM, LPARAM, LRESULT*) {
        if (msg == WM_DESTROY)
            childrenAlive = IsWindow(a) && IsWindow(b) && GetParent(a) == top;
        return false;
    });
    ASSERT_TRUE(DestroyWindow(top));
    EXPECT_TRUE(childrenAlive);
    EXPECT_EQ(Describe(Log::Get().Take()), (Names{"top:DESTROY", "a:DESTROY", "b:DESTROY", "a:NCDESTROY",
                                                  "b:NCDESTROY", "top:NCDESTROY"}));
    EXPECT_FALSE(IsWindow(top));
    EXPECT_FALSE(IsWindow(a));
}

TEST_F(WindowLifecycle, DestroyingAChildNotifiesItsParentFirst)
{
    HWND top = MakeTop(u"top");
    HWND a = MakeChild(top, u"a", {0, 0, 50, 50}, 7);
    Log::Get().Watch({WM_PARENTNOTIFY, WM_DESTROY, WM_NCDESTROY});
    DestroyWindow(a);
    auto log = Log::Get().Take();
    EXPECT_EQ(Describe(log), (Names{"top:PARENTNOTIFY", "a:DESTROY", "a:NCDESTROY"}));
    EXPECT_EQ(log[0].wParam, MAKEWPARAM(WM_DESTROY, 7));
    EXPECT_EQ((HWND)log[0].lParam, a);
}

TEST_F(WindowLifecycle, CreationRefusedByTheWindowFails)
{
    struct Case {
        UINT msg;
        LRESULT refusal;
        Names expected;
    };
    const Case cases[] = {
        {WM_NCCREATE, FALSE, {"x:NCCREATE", "x:NCDESTROY"}},
        {WM_CREATE, -1, {"x:NCCREATE", "x:CREATE", "x:DESTROY", "x:NCDESTROY"}},
    };
    static UINT refuse;
    static LRESULT answer;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_NCCREATE || m == WM_CREATE || m == WM_DESTROY || m == WM_NCDESTROY)
            Log::Get().Add(h, m, w, l);
        if (m == refuse)
            return answer;
        return DefWindowProcW(h, m, w, l);
    };
    wc.lpszClassName = u"Refusing";
    RegisterClassExW(&wc);
    for (const Case& c : cases) {
        refuse = c.msg;
        answer = c.refusal;
        Log::Get().Watch({WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY});
        HWND h = CreateWindowExW(0, u"Refusing", u"x", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        EXPECT_EQ(h, nullptr);
        auto log = Describe(Log::Get().Take());
        // WM_NCDESTROY may be logged without a name once the text is gone.
        for (auto& s : log)
            if (s == ":NCDESTROY" || s == ":DESTROY")
                s = "x" + s;
        EXPECT_EQ(log, c.expected) << MessageName(c.msg);
    }
}

TEST_F(WindowLifecycle, StaleHandlesFailCleanly)
{
    HWND first = MakeTop(u"first");
    DestroyWindow(first);
    HWND second = MakeTop(u"second"); // may take the freed slot
    EXPECT_NE(first, second);
    EXPECT_FALSE(IsWindow(first));
    SetLastError(0);
    EXPECT_EQ(SendMessageW(first, WM_USER, 0, 0), 0);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_FALSE(PostMessageW(first, WM_USER, 0, 0));
    EXPECT_FALSE(DestroyWindow(first));
    EXPECT_FALSE(SetWindowTextW(first, u"x"));
    EXPECT_EQ(GetWindowLongPtrW(first, GWL_STYLE), 0);
    EXPECT_TRUE(IsWindow(second));
}

TEST_F(WindowLifecycle, HandlerMayDestroyItsOwnWindowDuringDispatch)
{
    HWND top = MakeTop(u"top");
    HWND child = MakeChild(top, u"child", {0, 0, 10, 10});
    int calls = 0;
    SetHandler(child, [&](HWND h, UINT msg, WPARAM, LPARAM, LRESULT* r) {
        if (msg != WM_USER)
            return false;
        ++calls;
        DestroyWindow(h);
        DestroyWindow(h); // a second destroy from inside the handler is harmless
        *r = 5;
        return true;
    });
    PostMessageW(child, WM_USER, 0, 0);
    PostMessageW(child, WM_USER, 0, 0); // left in the queue for a window that is gone
    EXPECT_EQ(headless::PumpUntilIdle(), 2);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(IsWindow(child));
    EXPECT_TRUE(IsWindow(top));
    EXPECT_EQ(SendMessageW(child, WM_USER, 0, 0), 0);
}

TEST_F(WindowLifecycle, TreeQueriesFollowZOrderAndOwnership)
{
    HWND top = MakeTop(u"top");
    HWND a = MakeChild(top, u"a", {0, 0, 10, 10}, 1);
    HWND b = MakeChild(top, u"b", {0, 0, 10, 10}, 2);
    HWND grand = MakeChild(a, u"g", {0, 0, 5, 5}, 3);
    HWND popup = CreateWindowExW(0, u"LogWnd", u"popup", WS_POPUP, 0, 0, 10, 10, a, nullptr, nullptr, nullptr);
    // Children are added at the bottom, so creation order is tab order.
    EXPECT_EQ(GetWindow(top, GW_CHILD), a);
    EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), b);
    EXPECT_EQ(GetWindow(b, GW_HWNDPREV), a);
    EXPECT_EQ(GetAncestor(grand, GA_ROOT), top);
    EXPECT_EQ(GetAncestor(top, GA_PARENT), GetDesktopWindow());
    EXPECT_TRUE(IsChild(top, grand));
    EXPECT_FALSE(IsChild(b, grand));
    // A popup's owner is the top-level window of the parent it was given.
    EXPECT_EQ(GetWindow(popup, GW_OWNER), top);
    EXPECT_EQ(GetParent(popup), top);
    EXPECT_EQ(GetAncestor(popup, GA_ROOTOWNER), top);
    SetWindowLongPtrW(popup, GWLP_HWNDPARENT, 0);
    EXPECT_EQ(GetWindow(popup, GW_OWNER), nullptr);
    // Reparenting keeps the screen position and refuses cycles.
    RECT before, after;
    GetWindowRect(grand, &before);
    EXPECT_EQ(SetParent(grand, b), a);
    GetWindowRect(grand, &after);
    EXPECT_TRUE(EqualRect(&before, &after));
    EXPECT_EQ(SetParent(top, grand), nullptr);
    EXPECT_EQ(GetDlgItem(top, 2), b);
    WCHAR cls[16];
    EXPECT_EQ(GetClassNameW(a, cls, 16), 6);
    EXPECT_EQ(std::u16string(cls), u"LogWnd");
    DestroyWindow(popup);
}

TEST_F(WindowLifecycle, DestroyingAnOwnerDestroysItsOwnedWindowsFirst)
{
    HWND owner = MakeTop(u"owner");
    HWND owned = CreateWindowExW(0, u"LogWnd", u"owned", WS_POPUP, 0, 0, 10, 10, owner, nullptr, nullptr, nullptr);
    Log::Get().Watch({WM_DESTROY});
    DestroyWindow(owner);
    EXPECT_EQ(Describe(Log::Get().Take()), (Names{"owned:DESTROY", "owner:DESTROY"}));
    EXPECT_FALSE(IsWindow(owned));
}

} // namespace
