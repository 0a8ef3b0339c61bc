// The X11 presenter against a private Xvfb: windows, pixels, input, keys, protocols, clipboard, screen.
#include <gtest/gtest.h>

#include "backend/headless/driver.h"
#include "backend/x11/internal.h"
#include "backend/x11/x11.h"
#include "platform/backend/xvfb.h"
#include "win32/gdi/surface.h"
#include "win32/win32.h"
#include "win32/user/presenter.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/shape.h>
#include <X11/keysym.h>
#ifdef DOVEMARK_HAVE_XTEST
#include <X11/extensions/XTest.h>
#endif
#ifdef DOVEMARK_HAVE_XFIXES
#include <X11/extensions/Xfixes.h>
#endif

#include <atomic>
#include <chrono>
#include <cstring>
#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

namespace {

struct Seen {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    SHORT sideState; // GetKeyState of the key's left/right form when the message came
};

std::vector<Seen> g_seen;
HMENU g_contextMenu = nullptr;
UINT g_sideVk = 0;

LRESULT CALLBACK TestProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_COMMAND:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_CHAR:
    case WM_CLOSE:
    case WM_ACTIVATEAPP:
    case WM_MOUSEWHEEL:
    case WM_LBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
        g_seen.push_back({msg, wParam, lParam, g_sideVk ? GetKeyState((int)g_sideVk) : (SHORT)0});
        break;
    case WM_RBUTTONUP:
        if (g_contextMenu) {
            POINT pt{(SHORT)LOWORD(lParam), (SHORT)HIWORD(lParam)};
            ClientToScreen(hwnd, &pt);
            TrackPopupMenu(g_contextMenu, TPM_LEFTALIGN, pt.x, pt.y, 0, hwnd, nullptr);
        }
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class X11Presenter : public ::testing::Test {
protected:
    void SetUp() override
    {
#ifndef DOVEMARK_HAVE_XTEST
        GTEST_SKIP() << "built without the XTest library";
#endif
        server_ = std::make_unique<xtest::Xvfb>(1024, 768);
        if (!server_->Running())
            GTEST_SKIP() << server_->Why();
        // The driver puts its own presenter in place on first use; the X one goes over it.
        headless::TopLevelWindows();
        ASSERT_TRUE(x11::Start(server_->Display().c_str()));
        dpy_ = XOpenDisplay(server_->Display().c_str());
        ASSERT_NE(dpy_, nullptr);
        InitCommonControls();
        WNDCLASSW wc{};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = TestProc;
        wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = u"X11TestWnd";
        RegisterClassW(&wc);
        g_seen.clear();
        g_sideVk = 0;
    }

    void TearDown() override
    {
        for (HWND h : headless::TopLevelWindows())
            if (GetWindowThreadProcessId(h, nullptr) == GetCurrentThreadId())
                DestroyWindow(h);
        headless::PumpUntilIdle();
        if (g_contextMenu)
            DestroyMenu(g_contextMenu);
        g_contextMenu = nullptr;
        x11::Stop();
        if (dpy_)
            XCloseDisplay(dpy_);
    }

    HWND MakeTop(const char16_t* title, DWORD style, RECT r, HWND owner = nullptr)
    {
        HWND h = CreateWindowExW(0, u"X11TestWnd", title, style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                 owner, nullptr, nullptr, nullptr);
        Settle();
        return h;
    }

    // Pumps the test thread's messages and lets the X thread catch up until `done` holds.
    bool PumpUntil(const std::function<bool()>& done, int ms = 5000)
    {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            headless::PumpUntilIdle();
            x11::Flush();
            XSync(dpy_, False);
            headless::PumpUntilIdle();
            if (done())
                return true;
            if (std::chrono::steady_clock::now() > end)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    void Settle()
    {
        headless::PumpUntilIdle();
        x11::Flush();
        XSync(dpy_, False);
        // What the server reports back (exposure, mapping) is presented too.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        headless::PumpUntilIdle();
        x11::Flush();
    }

#ifdef DOVEMARK_HAVE_XTEST
    void MoveTo(POINT p)
    {
        XTestFakeMotionEvent(dpy_, -1, p.x, p.y, CurrentTime);
        XFlush(dpy_);
    }
    void Click(POINT p, unsigned button = 1)
    {
        MoveTo(p);
        XTestFakeButtonEvent(dpy_, button, True, CurrentTime);
        XTestFakeButtonEvent(dpy_, button, False, CurrentTime);
        XFlush(dpy_);
    }
    void Key(KeySym sym, bool down)
    {
        XTestFakeKeyEvent(dpy_, XKeysymToKeycode(dpy_, sym), down, CurrentTime);
        XFlush(dpy_);
    }
    void Press(KeySym sym)
    {
        Key(sym, true);
        Key(sym, false);
    }
#endif

    // The X window's pixels against the layer's own surface of the window.
    ::testing::AssertionResult SameAsSurface(HWND top)
    {
        RedrawWindow(top, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        Settle();
        auto s = user::WindowSurface(top);
        ::Window w = x11::WindowOf(top);
        if (!s || !w)
            return ::testing::AssertionFailure() << "no surface or no X window";
        XImage* img = XGetImage(dpy_, w, 0, 0, (unsigned)s->width, (unsigned)s->height, AllPlanes, ZPixmap);
        if (!img)
            return ::testing::AssertionFailure() << "XGetImage failed";
        int bad = 0, firstX = -1, firstY = -1;
        for (int y = 0; y < s->height; ++y)
            for (int x = 0; x < s->width; ++x)
                if ((XGetPixel(img, x, y) & 0xFFFFFF) != (s->Row(y)[x] & 0xFFFFFF) && bad++ == 0) {
                    firstX = x;
                    firstY = y;
                }
        XDestroyImage(img);
        if (bad)
            return ::testing::AssertionFailure() << bad << " pixels differ, the first at " << firstX << "," << firstY;
        return ::testing::AssertionSuccess();
    }

    std::string Property(::Window w, const char* name, Atom* type = nullptr)
    {
        Atom t;
        int format;
        unsigned long n, after;
        unsigned char* data = nullptr;
        std::string out;
        if (XGetWindowProperty(dpy_, w, XInternAtom(dpy_, name, False), 0, 1 << 20, False, AnyPropertyType, &t,
                               &format, &n, &after, &data) == Success &&
            data) {
            size_t unit = format == 32 ? sizeof(long) : (size_t)format / 8;
            out.assign((const char*)data, n * unit);
        }
        if (data)
            XFree(data);
        if (type)
            *type = t;
        return out;
    }

    std::unique_ptr<xtest::Xvfb> server_;
    Display* dpy_ = nullptr;
};

#ifdef DOVEMARK_HAVE_XTEST

TEST_F(X11Presenter, ClicksTypesOpensAPopupAndShowsTheLayersPixels)
{
    HWND top = MakeTop(u"Dovemark", WS_OVERLAPPEDWINDOW | WS_VISIBLE, {40, 40, 460, 340});
    HWND button = CreateWindowExW(0, u"Button", u"OK", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 100, 30, top,
                                  (HMENU)1, nullptr, nullptr);
    HWND edit = CreateWindowExW(0, u"Edit", u"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 10, 50, 200, 24,
                                top, (HMENU)2, nullptr, nullptr);
    g_contextMenu = CreatePopupMenu();
    AppendMenuW(g_contextMenu, MF_STRING, 101, u"&Open");
    AppendMenuW(g_contextMenu, MF_STRING, 102, u"E&xit");
    Settle();
    ASSERT_NE(x11::WindowOf(top), 0u);
    EXPECT_TRUE(SameAsSurface(top));

    Click(headless::ToScreen(button, {50, 15}));
    EXPECT_TRUE(PumpUntil([] {
        for (auto& s : g_seen)
            if (s.msg == WM_COMMAND && LOWORD(s.wParam) == 1 && HIWORD(s.wParam) == BN_CLICKED)
                return true;
        return false;
    }));

    Click(headless::ToScreen(edit, {20, 12}));
    PumpUntil([&] { return GetFocus() == edit; });
    for (KeySym k : {XK_h, XK_e, XK_l, XK_l, XK_o})
        Press(k);
    Key(XK_Shift_L, true);
    Press(XK_1);
    Key(XK_Shift_L, false);
    EXPECT_TRUE(PumpUntil([&] { return headless::Text(edit) == u"hello!"; })) << "edit holds \"" << [&] {
        std::string s;
        for (char16_t c : headless::Text(edit))
            s.push_back((char)c);
        return s;
    }() << "\"";

    // The popup's loop runs inside the right click; its window is checked while it is up, then
    // its first item is clicked.
    bool popupSeen = false, popupUnmanaged = false, popupSame = false;
    headless::AnswerNextModal([&](HWND popup) {
        UpdateWindow(popup);
        x11::Flush();
        ::Window w = x11::WindowOf(popup);
        popupSeen = w != 0;
        XWindowAttributes wa{};
        popupUnmanaged = w && XGetWindowAttributes(dpy_, w, &wa) && wa.override_redirect;
        popupSame = (bool)SameAsSurface(popup);
        RECT r;
        GetWindowRect(popup, &r);
        Click({r.left + 20, r.top + 10});
    });
    Click(headless::ToScreen(top, {300, 200}), 3);
    EXPECT_TRUE(PumpUntil([] {
        for (auto& s : g_seen)
            if (s.msg == WM_COMMAND && LOWORD(s.wParam) == 101)
                return true;
        return false;
    }));
    EXPECT_TRUE(popupSeen);
    EXPECT_TRUE(popupUnmanaged);
    EXPECT_TRUE(popupSame);
    EXPECT_TRUE(SameAsSurface(top));
}

TEST_F(X11Presenter, KeysBecomeVirtualKeysWithScanCodesAndSides)
{
    struct Case {
        KeySym sym;
        UINT msg;
        UINT vk;
        int scan;
        bool extended;
        UINT side; // the left or right key whose state must be down
    };
    const Case cases[] = {
        {XK_a, WM_KEYDOWN, 'A', 0x1E, false, 0},
        {XK_7, WM_KEYDOWN, '7', 0x08, false, 0},
        {XK_F5, WM_KEYDOWN, VK_F5, 0x3F, false, 0},
        {XK_Home, WM_KEYDOWN, VK_HOME, 0x47, true, 0},
        {XK_Delete, WM_KEYDOWN, VK_DELETE, 0x53, true, 0},
        {XK_KP_Add, WM_KEYDOWN, VK_ADD, 0x4E, false, 0},
        {XK_Shift_L, WM_KEYDOWN, VK_SHIFT, 0x2A, false, VK_LSHIFT},
        {XK_Shift_R, WM_KEYDOWN, VK_SHIFT, 0x36, false, VK_RSHIFT},
        {XK_Control_R, WM_KEYDOWN, VK_CONTROL, 0x1D, true, VK_RCONTROL},
        {XK_Alt_L, WM_SYSKEYDOWN, VK_MENU, 0x38, false, VK_LMENU},
    };
    HWND top = MakeTop(u"keys", WS_OVERLAPPEDWINDOW | WS_VISIBLE, {40, 40, 300, 200});
    SetFocus(top);
    MoveTo(headless::ToScreen(top, {50, 50}));
    Settle();
    for (const Case& c : cases) {
        SCOPED_TRACE(XKeysymToString(c.sym));
        if (!XKeysymToKeycode(dpy_, c.sym))
            continue; // not on this server's keyboard
        g_seen.clear();
        g_sideVk = c.side;
        Key(c.sym, true);
        bool got = PumpUntil([&] {
            for (auto& s : g_seen)
                if (s.msg == WM_KEYDOWN || s.msg == WM_SYSKEYDOWN)
                    return true;
            return false;
        });
        Key(c.sym, false);
        PumpUntil([] { return true; });
        ASSERT_TRUE(got);
        const Seen* down = nullptr;
        for (auto& s : g_seen)
            if (s.msg == WM_KEYDOWN || s.msg == WM_SYSKEYDOWN) {
                down = &s;
                break;
            }
        EXPECT_EQ(down->msg, c.msg);
        EXPECT_EQ(down->wParam, c.vk);
        EXPECT_EQ((down->lParam >> 16) & 0xFF, c.scan);
        EXPECT_EQ(((down->lParam >> 24) & 1) != 0, c.extended);
        if (c.side) {
            EXPECT_TRUE(down->sideState & 0x8000);
        }
    }
}

TEST_F(X11Presenter, EveryKeySymbolWithACharacterTypesIt)
{
    // A desktop layout's keys, bound to keys the server's keyboard leaves free: Latin-1, Unicode key symbols
    // (one beyond the basic plane), legacy Cyrillic and Greek ones, and a digit key whose shifted symbol the
    // layer's own keyboard would type differently.
    struct Case {
        std::vector<KeySym> syms;
        bool shift;
        const char16_t* typed;
    };
    const Case cases[] = {
        {{XK_ssharp}, false, u"ß"},           {{0x1006D4B}, false, u"测"},
        {{XK_udiaeresis}, false, u"ü"},       {{XK_Cyrillic_a}, false, u"а"},
        {{XK_Greek_alpha}, false, u"α"},      {{0x101F600}, false, u"\U0001F600"},
        {{XK_7, XK_slash}, true, u"/"},
    };
    int minCode = 0, maxCode = 0, perCode = 0;
    XDisplayKeycodes(dpy_, &minCode, &maxCode);
    KeySym* map = XGetKeyboardMapping(dpy_, (KeyCode)minCode, maxCode - minCode + 1, &perCode);
    std::vector<KeyCode> spare;
    for (int code = maxCode; code >= minCode && spare.size() < std::size(cases); --code) {
        bool empty = true;
        for (int i = 0; i < perCode; ++i)
            empty &= map[(code - minCode) * perCode + i] == NoSymbol;
        if (empty)
            spare.push_back((KeyCode)code);
    }
    XFree(map);
    ASSERT_EQ(spare.size(), std::size(cases)) << "the server's keyboard has no free keys";
    for (size_t i = 0; i < spare.size(); ++i) {
        std::vector<KeySym> syms = cases[i].syms;
        syms.resize(2, NoSymbol);
        XChangeKeyboardMapping(dpy_, spare[i], 2, syms.data(), 1);
    }
    XSync(dpy_, False);

    HWND top = MakeTop(u"typing", WS_OVERLAPPEDWINDOW | WS_VISIBLE, {40, 40, 460, 200});
    HWND edit = CreateWindowExW(0, u"Edit", u"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 10, 10, 300, 24,
                                top, (HMENU)2, nullptr, nullptr);
    Click(headless::ToScreen(edit, {20, 12}));
    ASSERT_TRUE(PumpUntil([&] { return GetFocus() == edit; }));
    std::u16string expected = u"a";
    Press(XK_a);
    for (size_t i = 0; i < spare.size(); ++i) {
        if (cases[i].shift)
            Key(XK_Shift_L, true);
        XTestFakeKeyEvent(dpy_, spare[i], True, CurrentTime);
        XTestFakeKeyEvent(dpy_, spare[i], False, CurrentTime);
        if (cases[i].shift)
            Key(XK_Shift_L, false);
        expected += cases[i].typed;
    }
    XFlush(dpy_);
    EXPECT_TRUE(PumpUntil([&] { return headless::Text(edit) == expected; }));
    EXPECT_EQ(headless::Text(edit), expected);
}

TEST_F(X11Presenter, WheelMiddleButtonAndDoubleClickArriveAsTheLayersMessages)
{
    HWND top = MakeTop(u"wheel", WS_OVERLAPPEDWINDOW | WS_VISIBLE, {40, 40, 300, 200});
    SetFocus(top);
    g_seen.clear();
    POINT at = headless::ToScreen(top, {60, 40});
    Click(at, 4);
    Click(at, 5);
    Click(at, 2);
    Click(at);
    Click(at);
    std::vector<std::pair<UINT, int>> got;
    EXPECT_TRUE(PumpUntil([&] {
        got.clear();
        for (auto& s : g_seen)
            got.push_back({s.msg, s.msg == WM_MOUSEWHEEL ? (int)(SHORT)HIWORD(s.wParam) : 0});
        return got.size() >= 4;
    }));
    std::vector<std::pair<UINT, int>> want{
        {WM_MOUSEWHEEL, WHEEL_DELTA}, {WM_MOUSEWHEEL, -WHEEL_DELTA}, {WM_MBUTTONDOWN, 0}, {WM_LBUTTONDBLCLK, 0}};
    EXPECT_EQ(got, want);
}

TEST_F(X11Presenter, CaptureHoldsThePointerUntilReleased)
{
    HWND top = MakeTop(u"capture", WS_OVERLAPPEDWINDOW | WS_VISIBLE, {40, 40, 300, 200});
    auto grabbedByOthers = [&] {
        int rc = XGrabPointer(dpy_, DefaultRootWindow(dpy_), False, ButtonPressMask, GrabModeAsync, GrabModeAsync,
                              None, None, CurrentTime);
        if (rc == GrabSuccess)
            XUngrabPointer(dpy_, CurrentTime);
        XSync(dpy_, False);
        return rc == AlreadyGrabbed;
    };
    SetCapture(top);
    Settle();
    EXPECT_TRUE(grabbedByOthers());
    ReleaseCapture();
    Settle();
    EXPECT_FALSE(grabbedByOthers());
}

#ifdef DOVEMARK_HAVE_XFIXES
TEST_F(X11Presenter, CursorsKeepTheirShapeAndHotSpot)
{
    HWND top = MakeTop(u"cursor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, {40, 40, 300, 200});
    // A monochrome cursor: a black square in the middle of a transparent 32x32 cell, hot at (5, 7).
    std::vector<BYTE> bits(4 * 64, 0);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (x < 8 || x >= 24 || y < 8 || y >= 24)
                bits[(size_t)y * 4 + x / 8] |= (BYTE)(0x80 >> (x % 8)); // AND set: the screen shows
    ICONINFO ii{FALSE, 5, 7, CreateBitmap(32, 64, 1, 1, bits.data()), nullptr};
    HCURSOR mine = (HCURSOR)CreateIconIndirect(&ii);
    ASSERT_NE(mine, nullptr);
    MoveTo(headless::ToScreen(top, {50, 50}));
    // The window's class cursor is set as the pointer comes in; the test's own comes after.
    EXPECT_TRUE(PumpUntil([&] { return GetCursor() == LoadCursorW(nullptr, IDC_ARROW); }));
    auto image = [&] {
        Settle();
        return XFixesGetCursorImage(dpy_);
    };
    SetCursor(mine);
    XFixesCursorImage* ci = image();
    ASSERT_NE(ci, nullptr);
    EXPECT_EQ(ci->width, 32);
    EXPECT_EQ(ci->xhot, 5);
    EXPECT_EQ(ci->yhot, 7);
    EXPECT_EQ(ci->pixels[16 * 32 + 16] & 0xFFFFFFFF, 0xFF000000ul) << "opaque black inside";
    EXPECT_EQ((ci->pixels[0] & 0xFFFFFFFF) >> 24, 0ul) << "transparent outside";
    XFree(ci);

    // No cursor: nothing shows over the layer's windows.
    SetCursor(nullptr);
    ci = image();
    ASSERT_NE(ci, nullptr);
    bool visible = false;
    for (int i = 0; i < ci->width * ci->height; ++i)
        visible |= ((ci->pixels[i] & 0xFFFFFFFF) >> 24) != 0;
    EXPECT_FALSE(visible);
    XFree(ci);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    DestroyCursor(mine);
    DeleteObject(ii.hbmMask);
}
#endif

#endif // DOVEMARK_HAVE_XTEST

TEST_F(X11Presenter, DesktopSeesTitleOwnerFrameAndKindOfEachWindow)
{
    SetClassLongPtrW(MakeTop(u"icon", WS_POPUP, {0, 0, 10, 10}), GCLP_HICON, (LONG_PTR)LoadIconW(nullptr, IDI_WARNING));
    HWND frame = MakeTop(u"\u6570\u636e\u6062\u590d Dovemark", WS_OVERLAPPEDWINDOW | WS_VISIBLE, {40, 40, 400, 300});
    HWND dialog = MakeTop(u"dialog", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, {80, 80, 300, 200}, frame);
    HWND tip = MakeTop(u"tip", WS_POPUP | WS_BORDER | WS_VISIBLE, {10, 10, 90, 30}, frame);
    ::Window xf = x11::WindowOf(frame), xd = x11::WindowOf(dialog), xt = x11::WindowOf(tip);
    ASSERT_TRUE(xf && xd && xt);

    EXPECT_EQ(Property(xf, "_NET_WM_NAME"), "\xe6\x95\xb0\xe6\x8d\xae\xe6\x81\xa2\xe5\xa4\x8d Dovemark");
    SetWindowTextW(frame, u"renamed");
    Settle();
    EXPECT_EQ(Property(xf, "_NET_WM_NAME"), "renamed");

    // The class icon in the sizes the desktop shows: width, height and the pixels of each.
    std::string icon = Property(xf, "_NET_WM_ICON");
    ASSERT_GE(icon.size(), 2 * sizeof(long));
    EXPECT_EQ(((const long*)icon.data())[0], 32);
    ASSERT_EQ(icon.size(), (2 + 32 * 32) * sizeof(long));
    const long* px = (const long*)icon.data() + 2;
    EXPECT_EQ(px[0], 0) << "the corner around the warning sign is clear";
    EXPECT_EQ(((unsigned long)px[16 * 32 + 16] & 0xFFFFFFFF) >> 24, 0xFFul) << "the sign itself is opaque";

    ::Window transientFor = 0;
    EXPECT_TRUE(XGetTransientForHint(dpy_, xd, &transientFor));
    EXPECT_EQ(transientFor, xf);
    std::string motif = Property(xf, "_MOTIF_WM_HINTS");
    ASSERT_GE(motif.size(), 3 * sizeof(long));
    EXPECT_EQ(((const long*)motif.data())[2], 0) << "the layer draws the frame, not the desktop";

    XWindowAttributes wa{};
    ASSERT_TRUE(XGetWindowAttributes(dpy_, xt, &wa));
    EXPECT_TRUE(wa.override_redirect);
    EXPECT_EQ(wa.x, 10);
    EXPECT_EQ(wa.width, 80);
    ASSERT_TRUE(XGetWindowAttributes(dpy_, xf, &wa));
    EXPECT_FALSE(wa.override_redirect);

    // Hiding and moving follow the layer.
    ShowWindow(tip, SW_HIDE);
    MoveWindow(frame, 60, 70, 300, 250, TRUE);
    Settle();
    ASSERT_TRUE(XGetWindowAttributes(dpy_, xt, &wa));
    EXPECT_EQ(wa.map_state, IsUnmapped);
    ASSERT_TRUE(XGetWindowAttributes(dpy_, xf, &wa));
    EXPECT_EQ(wa.width, 300);
    EXPECT_EQ(wa.height, 250);

    // A destroyed window takes its X window with it, and what it covered is shown again.
    DestroyWindow(dialog);
    Settle();
    EXPECT_EQ(x11::WindowOf(dialog), 0u);
    EXPECT_TRUE(SameAsSurface(frame));
}

TEST_F(X11Presenter, AWindowAdoptedByAnotherLeavesTheDesktopAndComesBackWhenReleased)
{
    HWND frame = MakeTop(u"frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, {40, 40, 400, 300});
    HWND bar = MakeTop(u"bar", WS_POPUP | WS_VISIBLE, {60, 60, 160, 90}, frame);
    ASSERT_NE(x11::WindowOf(bar), 0u);
    SetWindowLongPtrW(bar, GWL_STYLE, WS_CHILD | WS_VISIBLE);
    SetParent(bar, frame);
    Settle();
    EXPECT_EQ(x11::WindowOf(bar), 0u);
    EXPECT_TRUE(SameAsSurface(frame));
    SetWindowLongPtrW(bar, GWL_STYLE, WS_POPUP | WS_VISIBLE);
    SetParent(bar, nullptr);
    Settle();
    EXPECT_NE(x11::WindowOf(bar), 0u);
}

TEST_F(X11Presenter, MovesByTheDesktopReachTheLayer)
{
    HWND top = MakeTop(u"moved", WS_OVERLAPPEDWINDOW | WS_VISIBLE, {40, 40, 300, 200});
    ::Window w = x11::WindowOf(top);
    ASSERT_NE(w, 0u);
    // As a window manager does when the user drags or tiles the window.
    XMoveResizeWindow(dpy_, w, 120, 90, 320, 240);
    XSync(dpy_, False);
    RECT r{};
    EXPECT_TRUE(PumpUntil([&] {
        GetWindowRect(top, &r);
        return r.left == 120 && r.top == 90;
    }));
    EXPECT_EQ(r.right - r.left, 320);
    EXPECT_EQ(r.bottom - r.top, 240);
    EXPECT_TRUE(SameAsSurface(top));
    // The layer's own moves still go out, and are not taken back for the desktop's.
    MoveWindow(top, 60, 50, 200, 150, TRUE);
    Settle();
    XWindowAttributes wa{};
    ASSERT_TRUE(XGetWindowAttributes(dpy_, w, &wa));
    EXPECT_EQ(wa.x, 60);
    EXPECT_EQ(wa.width, 200);
    GetWindowRect(top, &r);
    EXPECT_EQ(r.left, 60);
    EXPECT_EQ(r.right, 260);
}

#ifdef DOVEMARK_HAVE_XTEST
TEST_F(X11Presenter, CaptionDragsGoToTheWindowManagerWhenOneRuns)
{
    HWND top = MakeTop(u"drag", WS_OVERLAPPEDWINDOW | WS_VISIBLE, {40, 40, 300, 200});
    ::Window w = x11::WindowOf(top);
    ::Window root = DefaultRootWindow(dpy_);
    // This connection plays the window manager: it announces itself and hears requests to the root.
    ::Window check = XCreateSimpleWindow(dpy_, root, 0, 0, 1, 1, 0, 0, 0);
    XChangeProperty(dpy_, root, XInternAtom(dpy_, "_NET_SUPPORTING_WM_CHECK", False), XA_WINDOW, 32,
                    PropModeReplace, (const unsigned char*)&check, 1);
    XSelectInput(dpy_, root, SubstructureNotifyMask);
    Settle();
    POINT caption{100, 50}; // on the caption bar, clear of its buttons
    MoveTo(caption);
    XTestFakeButtonEvent(dpy_, 1, True, CurrentTime);
    XFlush(dpy_);
    Atom moveResize = XInternAtom(dpy_, "_NET_WM_MOVERESIZE", False);
    XEvent got{};
    bool asked = PumpUntil([&] {
        XEvent ev;
        while (XCheckTypedEvent(dpy_, ClientMessage, &ev))
            if (ev.xclient.message_type == moveResize)
                got = ev;
        return got.type == ClientMessage;
    });
    XTestFakeButtonEvent(dpy_, 1, False, CurrentTime);
    XFlush(dpy_);
    ASSERT_TRUE(asked);
    EXPECT_EQ(got.xclient.window, w);
    EXPECT_EQ(got.xclient.data.l[0], caption.x);
    EXPECT_EQ(got.xclient.data.l[1], caption.y);
    EXPECT_EQ(got.xclient.data.l[2], 8) << "a move";
    EXPECT_FALSE(GetKeyState(VK_LBUTTON) & 0x8000) << "the button the manager took is up for the layer";
}
#endif

TEST_F(X11Presenter, KeyboardFocusGivenByTheDesktopActivatesAndDeactivates)
{
    HWND first = MakeTop(u"first", WS_OVERLAPPEDWINDOW | WS_VISIBLE, {40, 40, 300, 200});
    HWND second = MakeTop(u"second", WS_OVERLAPPEDWINDOW | WS_VISIBLE, {340, 40, 600, 200});
    ASSERT_EQ(GetActiveWindow(), second);
    // Focus changes the presenter made itself are told apart by time as well.
    std::this_thread::sleep_for(std::chrono::milliseconds(350));
    XSetInputFocus(dpy_, x11::WindowOf(first), RevertToParent, CurrentTime);
    XSync(dpy_, False);
    EXPECT_TRUE(PumpUntil([&] { return GetActiveWindow() == first; }));

    // Another program takes the keyboard: the layer has no active window until it comes back.
    ::Window other = XCreateSimpleWindow(dpy_, DefaultRootWindow(dpy_), 700, 500, 50, 50, 0, 0, 0);
    XMapWindow(dpy_, other);
    XSync(dpy_, False);
    g_seen.clear();
    XSetInputFocus(dpy_, other, RevertToParent, CurrentTime);
    XSync(dpy_, False);
    EXPECT_TRUE(PumpUntil([&] { return GetActiveWindow() == nullptr; }));
    bool leftApp = false;
    for (auto& s : g_seen)
        leftApp |= s.msg == WM_ACTIVATEAPP && s.wParam == FALSE;
    EXPECT_TRUE(leftApp);
}

TEST_F(X11Presenter, MinimisingGoesBothWays)
{
    HWND top = MakeTop(u"small", WS_OVERLAPPEDWINDOW | WS_VISIBLE, {40, 40, 300, 200});
    ::Window w = x11::WindowOf(top);
    XSelectInput(dpy_, DefaultRootWindow(dpy_), SubstructureNotifyMask);
    XSync(dpy_, False);
    ShowWindow(top, SW_MINIMIZE);
    Settle();
    // The layer asks the desktop to iconify the window (ICCCM's WM_CHANGE_STATE to IconicState).
    Atom changeState = XInternAtom(dpy_, "WM_CHANGE_STATE", False);
    bool asked = false;
    XEvent ev;
    while (XCheckTypedEvent(dpy_, ClientMessage, &ev))
        asked |= ev.xclient.message_type == changeState && ev.xclient.window == w && ev.xclient.data.l[0] == IconicState;
    EXPECT_TRUE(asked);
    ShowWindow(top, SW_RESTORE);
    Settle();
    XWindowAttributes wa{};
    ASSERT_TRUE(XGetWindowAttributes(dpy_, w, &wa));
    EXPECT_EQ(wa.map_state, IsViewable);

    // The desktop iconifies it (a window manager unmaps an iconified window): the layer follows.
    XUnmapWindow(dpy_, w);
    XSync(dpy_, False);
    EXPECT_TRUE(PumpUntil([&] { return IsIconic(top) != FALSE; }));
}

// A window hidden and shown again at once (a floating frame toggled) hears of the unmapping of its hide
// only after it is mapped again; that is not the desktop minimising it. The server is held while both
// requests are sent, so the late answer comes every time.
TEST_F(X11Presenter, AWindowShownAgainRightAfterHidingStaysOpen)
{
    HWND top = MakeTop(u"floating", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, {60, 60, 260, 160});
    ::Window w = x11::WindowOf(top);
    XGrabServer(dpy_);
    XSync(dpy_, False);
    ShowWindow(top, SW_HIDE);
    headless::PumpUntilIdle();
    ShowWindow(top, SW_SHOWNA);
    headless::PumpUntilIdle();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    XUngrabServer(dpy_);
    XSync(dpy_, False);
    Settle();
    Settle();
    EXPECT_FALSE(IsIconic(top));
    XWindowAttributes wa{};
    ASSERT_TRUE(XGetWindowAttributes(dpy_, w, &wa));
    EXPECT_EQ(wa.map_state, IsViewable);
}

// A program's start-up hides, minimises and shows its main window again in one go. However late the
// presenter catches up with those placements, the X window stays mapped where it is and is never moved
// to the icon's place. The server is held while the presenter waits on it, so they all queue up.
TEST_F(X11Presenter, AWindowHiddenMinimisedAndShownAgainAtOnceStaysInPlace)
{
    HWND top = MakeTop(u"main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, {40, 40, 340, 240});
    ::Window w = x11::WindowOf(top);
    XSelectInput(dpy_, w, StructureNotifyMask);
    XSync(dpy_, False);
    XGrabServer(dpy_);
    XSync(dpy_, False);
    std::thread waiting([] { x11::Flush(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    for (int show : {SW_HIDE, SW_MINIMIZE, SW_SHOWNORMAL, SW_SHOW})
        ShowWindow(top, show);
    headless::PumpUntilIdle();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    XUngrabServer(dpy_);
    XSync(dpy_, False);
    waiting.join();
    Settle();
    Settle();
    EXPECT_FALSE(IsIconic(top));
    EXPECT_TRUE(IsWindowVisible(top));
    int unmapped = 0, resized = 0;
    XEvent ev;
    while (XCheckWindowEvent(dpy_, w, StructureNotifyMask, &ev)) {
        unmapped += ev.type == UnmapNotify;
        resized += ev.type == ConfigureNotify && (ev.xconfigure.width != 300 || ev.xconfigure.height != 200);
    }
    EXPECT_EQ(unmapped, 0);
    EXPECT_EQ(resized, 0);
    XWindowAttributes wa{};
    ASSERT_TRUE(XGetWindowAttributes(dpy_, w, &wa));
    EXPECT_EQ(wa.map_state, IsViewable);
    EXPECT_EQ(wa.width, 300);
    EXPECT_EQ(wa.height, 200);
}

TEST_F(X11Presenter, DeleteWindowRequestBecomesTheCloseCommand)
{
    HWND top = MakeTop(u"close me", WS_OVERLAPPEDWINDOW | WS_VISIBLE, {40, 40, 300, 200});
    ::Window w = x11::WindowOf(top);
    ASSERT_NE(w, 0u);
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = w;
    ev.xclient.message_type = XInternAtom(dpy_, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = (long)XInternAtom(dpy_, "WM_DELETE_WINDOW", False);
    ev.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy_, w, False, NoEventMask, &ev);
    XFlush(dpy_);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(top); }));
    ASSERT_FALSE(g_seen.empty());
    EXPECT_EQ(g_seen.back().msg, (UINT)WM_CLOSE);
}

TEST_F(X11Presenter, WindowRegionShapesTheXWindow)
{
    HWND top = MakeTop(u"shaped", WS_POPUP | WS_VISIBLE, {40, 40, 240, 140});
    ::Window w = x11::WindowOf(top);
    int ev, err;
    if (!XShapeQueryExtension(dpy_, &ev, &err))
        GTEST_SKIP() << "no shape extension";
    SetWindowRgn(top, CreateEllipticRgn(0, 0, 200, 100), TRUE);
    Settle();
    int count = 0, ordering;
    XRectangle* rects = XShapeGetRectangles(dpy_, w, ShapeBounding, &count, &ordering);
    ASSERT_GT(count, 10) << "an ellipse is many bands";
    int left = 1 << 20, right = 0, top_ = 1 << 20, bottom = 0;
    for (int i = 0; i < count; ++i) {
        left = std::min<int>(left, rects[i].x);
        top_ = std::min<int>(top_, rects[i].y);
        right = std::max<int>(right, rects[i].x + rects[i].width);
        bottom = std::max<int>(bottom, rects[i].y + rects[i].height);
    }
    XFree(rects);
    EXPECT_GE(left, 0);
    EXPECT_GE(top_, 0);
    EXPECT_LE(right, 200);
    EXPECT_LE(bottom, 100);
    SetWindowRgn(top, nullptr, TRUE);
    Settle();
    rects = XShapeGetRectangles(dpy_, w, ShapeBounding, &count, &ordering);
    EXPECT_EQ(count, 1);
    XFree(rects);
}

TEST_F(X11Presenter, ScreenMetricsAndWorkAreaComeFromTheServer)
{
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
    EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 1);
    RECT work;
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    EXPECT_EQ(work.bottom, 768) << "no panel claims any of the screen";

    // A panel of 40 pixels at the top, as a desktop announces it.
    long area[4] = {0, 40, 1024, 728};
    XChangeProperty(dpy_, DefaultRootWindow(dpy_), XInternAtom(dpy_, "_NET_WORKAREA", False), XA_CARDINAL, 32,
                    PropModeReplace, (const unsigned char*)area, 4);
    XSync(dpy_, False);
    EXPECT_TRUE(PumpUntil([&] {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        return work.top == 40;
    }));
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromPoint({500, 500}, MONITOR_DEFAULTTONULL), &mi));
    EXPECT_EQ(mi.rcWork.top, 40);
    EXPECT_EQ(mi.rcWork.bottom, 768);
    EXPECT_EQ(mi.rcMonitor.right, 1024);

    // Two monitors side by side, the right one primary: it comes first, and the work area is
    // cut to each.
    x11::Stop();
    ::Window root = DefaultRootWindow(dpy_);
    XRRScreenResources* res = XRRGetScreenResources(dpy_, root);
    ASSERT_TRUE(res && res->noutput > 0);
    for (int i = 0; i < 2; ++i) {
        // The left one takes the server's output, so the server's own monitor for it gives way.
        XRRMonitorInfo* m = XRRAllocateMonitor(dpy_, i ? 0 : 1);
        if (!i)
            m->outputs[0] = res->outputs[0];
        m->name = XInternAtom(dpy_, i ? "RIGHT" : "LEFT", False);
        m->x = i * 512, m->y = 0, m->width = 512, m->height = 768, m->mwidth = 135, m->mheight = 203;
        m->primary = i == 1;
        XRRSetMonitor(dpy_, root, m);
        XFree(m);
    }
    XRRFreeScreenResources(res);
    XSync(dpy_, False);
    ASSERT_TRUE(x11::Start(server_->Display().c_str()));
    EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 2);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    HMONITOR right = MonitorFromPoint({700, 100}, MONITOR_DEFAULTTONULL);
    ASSERT_TRUE(GetMonitorInfoW(right, &mi));
    EXPECT_EQ(mi.dwFlags, (DWORD)MONITORINFOF_PRIMARY);
    EXPECT_EQ(mi.rcMonitor.left, 512);
    EXPECT_EQ(mi.rcWork.top, 40);
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromPoint({100, 100}, MONITOR_DEFAULTTONULL), &mi));
    EXPECT_EQ(mi.rcMonitor.right, 512);
    EXPECT_EQ(mi.dwFlags, 0u);
}

// Text and bitmaps, each as the layer keeps it and as another X program sees it.
struct ClipCase {
    const char* name;
    UINT format;
    std::vector<BYTE> layer; // the layer's data
    const char* target;      // the X target
    std::string x;           // the X program's data
};

std::vector<BYTE> Bytes(const void* p, size_t n)
{
    return std::vector<BYTE>((const BYTE*)p, (const BYTE*)p + n);
}

std::vector<ClipCase> ClipCases()
{
    const char16_t text[] = u"\u6062\u590d recovered";
    // A 2x1 bitmap of 32 bits per pixel, packed; as a file it gets a 14-byte header in front.
    BITMAPINFOHEADER bih{sizeof(BITMAPINFOHEADER), 2, 1, 1, 32, 0, 8, 0, 0, 0, 0};
    std::vector<BYTE> dib = Bytes(&bih, sizeof(bih));
    for (BYTE b : {0x10, 0x20, 0x30, 0x00, 0x40, 0x50, 0x60, 0x00})
        dib.push_back(b);
    std::string file = "BM";
    uint32_t size = (uint32_t)(14 + dib.size()), zero = 0, offset = 14 + 40;
    file.append((const char*)&size, 4).append((const char*)&zero, 4).append((const char*)&offset, 4);
    file.append(dib.begin(), dib.end());
    return {
        {"text", CF_UNICODETEXT, Bytes(text, sizeof(text)), "UTF8_STRING", "\xe6\x81\xa2\xe5\xa4\x8d recovered"},
        {"bitmap", CF_DIB, dib, "image/bmp", file},
    };
}

// Another program that takes the CLIPBOARD selection, on a connection of its own, and answers requests for
// its targets and one kind of data for as long as it lives.
class ForeignOwner {
public:
    ForeignOwner(const std::string& display, Atom target, std::string data) : data_(std::move(data))
    {
        dpy_ = XOpenDisplay(display.c_str());
        if (!dpy_)
            return;
        target_ = target;
        targets_ = XInternAtom(dpy_, "TARGETS", False);
        win_ = XCreateSimpleWindow(dpy_, DefaultRootWindow(dpy_), 0, 0, 1, 1, 0, 0, 0);
        XSetSelectionOwner(dpy_, XInternAtom(dpy_, "CLIPBOARD", False), win_, CurrentTime);
        XSync(dpy_, False);
        thread_ = std::thread([this] { Serve(); });
    }
    ~ForeignOwner()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (dpy_)
            XCloseDisplay(dpy_);
    }

private:
    void Serve()
    {
        while (!stop_) {
            XEvent ev;
            if (!XCheckTypedWindowEvent(dpy_, win_, SelectionRequest, &ev)) {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                continue;
            }
            auto& r = ev.xselectionrequest;
            XEvent reply{};
            reply.xselection.type = SelectionNotify;
            reply.xselection.requestor = r.requestor;
            reply.xselection.selection = r.selection;
            reply.xselection.target = r.target;
            reply.xselection.time = r.time;
            reply.xselection.property = r.property;
            if (r.target == targets_)
                XChangeProperty(dpy_, r.requestor, r.property, XA_ATOM, 32, PropModeReplace,
                                (const unsigned char*)&target_, 1);
            else if (r.target == target_)
                XChangeProperty(dpy_, r.requestor, r.property, target_, 8, PropModeReplace,
                                (const unsigned char*)data_.data(), (int)data_.size());
            else
                reply.xselection.property = None;
            XSendEvent(dpy_, r.requestor, False, 0, &reply);
            XFlush(dpy_);
        }
    }

    Display* dpy_ = nullptr;
    ::Window win_ = 0;
    Atom target_ = 0, targets_ = 0;
    std::string data_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

TEST_F(X11Presenter, ClipboardTravelsBothWays)
{
    HWND top = MakeTop(u"clip", WS_OVERLAPPEDWINDOW | WS_VISIBLE, {40, 40, 300, 200});
    Atom clipboard = XInternAtom(dpy_, "CLIPBOARD", False), prop = XInternAtom(dpy_, "TEST_SELECTION", False);
    ::Window mine = XCreateSimpleWindow(dpy_, DefaultRootWindow(dpy_), 0, 0, 1, 1, 0, 0, 0);
    for (const ClipCase& c : ClipCases()) {
        SCOPED_TRACE(c.name);
        Atom target = XInternAtom(dpy_, c.target, False);

        // The layer copies; another program pastes.
        ASSERT_TRUE(OpenClipboard(top));
        EmptyClipboard();
        HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, c.layer.size());
        memcpy(GlobalLock(g), c.layer.data(), c.layer.size());
        GlobalUnlock(g);
        SetClipboardData(c.format, g);
        CloseClipboard();
        Settle();
        XConvertSelection(dpy_, clipboard, target, prop, mine, CurrentTime);
        XFlush(dpy_);
        std::string pasted;
        bool answered = false;
        // The layer's answer needs its clipboard, so this thread keeps the layer going meanwhile.
        PumpUntil([&] {
            XEvent ev;
            while (XCheckTypedWindowEvent(dpy_, mine, SelectionNotify, &ev)) {
                answered = true;
                if (ev.xselection.property == prop)
                    pasted = Property(mine, "TEST_SELECTION");
            }
            return answered;
        });
        EXPECT_EQ(pasted, c.x);

        // Another program copies; the layer pastes.
        ForeignOwner owner(server_->Display(), target, c.x);
        // The layer learns of the new owner from the server.
        PumpUntil([] { return GetClipboardOwner() == nullptr; });
        EXPECT_TRUE(IsClipboardFormatAvailable(c.format));
        std::vector<BYTE> got;
        ASSERT_TRUE(OpenClipboard(top));
        if (HANDLE h = GetClipboardData(c.format)) {
            got = Bytes(GlobalLock(h), std::min(GlobalSize(h), c.layer.size()));
            GlobalUnlock(h);
        }
        CloseClipboard();
        EXPECT_EQ(got, c.layer);
    }
}

// A program that never used the clipboard pastes what another program copied after it started.
TEST_F(X11Presenter, PasteTakesWhatAnotherProgramCopiedLater)
{
    HWND top = MakeTop(u"paste", WS_OVERLAPPEDWINDOW | WS_VISIBLE, {40, 40, 300, 200});
    HWND edit = CreateWindowExW(0, u"Edit", u"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10, 10, 200, 24, top,
                                (HMENU)2, nullptr, nullptr);
    Settle();
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
    for (const char* text : {"first copy", "second copy"}) {
        SCOPED_TRACE(text);
        ForeignOwner owner(server_->Display(), XInternAtom(dpy_, "UTF8_STRING", False), text);
        std::u16string expected(text, text + strlen(text));
        EXPECT_TRUE(PumpUntil([] { return IsClipboardFormatAvailable(CF_UNICODETEXT) != FALSE; }));
        // The layer hears of the new owner from the server a moment after it took the selection;
        // until then a paste may still read the previous owner's text.
        PumpUntil([&] {
            SetWindowTextW(edit, u"");
            SendMessageW(edit, WM_PASTE, 0, 0);
            return headless::Text(edit) == expected;
        });
        EXPECT_EQ(headless::Text(edit), expected);
    }
}

// Alt keys are the menu key on either side; AltGr, as a level-three shift or a mode switch, is no key of the
// layer's keyboard, so holding it to type a character never opens a menu.
TEST(X11KeySymbols, AltGrIsNotTheMenuKey)
{
    const struct {
        KeySym sym;
        UINT vk;
    } cases[] = {{XK_Alt_L, VK_LMENU}, {XK_Alt_R, VK_RMENU}, {XK_Meta_L, VK_LMENU},
                 {XK_ISO_Level3_Shift, 0}, {XK_Mode_switch, 0}, {XK_Control_R, VK_RCONTROL}};
    for (const auto& c : cases)
        EXPECT_EQ(x11::VkOfSym(c.sym), c.vk) << XKeysymToString(c.sym);
}

TEST(X11PresenterStart, WithoutADisplayTheLayerStaysHeadless)
{
    const char* saved = std::getenv("DISPLAY");
    std::string keep = saved ? saved : "";
    unsetenv("DISPLAY");
    EXPECT_FALSE(x11::StartIfDisplay());
    EXPECT_FALSE(x11::Running());
    EXPECT_FALSE(x11::Start(":999999"));
    EXPECT_FALSE(x11::Running());
    if (saved)
        setenv("DISPLAY", keep.c_str(), 1);
    HWND h = CreateWindowExW(0, u"Static", u"still works", WS_POPUP | WS_VISIBLE, 0, 0, 50, 20, nullptr, nullptr,
                             nullptr, nullptr);
    EXPECT_NE(h, nullptr);
    headless::PumpUntilIdle();
    EXPECT_NE(user::WindowSurface(h), nullptr);
    DestroyWindow(h);
}

} // namespace
