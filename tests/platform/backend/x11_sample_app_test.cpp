// The sample framework program on a private X server, driven only through X: the pointer, the
// keyboard and the pixels read back from the server.
#include <gtest/gtest.h>

#include "backend/headless/driver.h"
#include "backend/x11/x11.h"
#include "platform/backend/xvfb.h"
#include "tools/sample_app/sample_app.h"
#include "win32/gdi/surface.h"
#include "win32/user/presenter.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#ifdef DOVEMARK_HAVE_XTEST
#include <X11/extensions/XTest.h>
#endif

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

namespace {

#ifdef DOVEMARK_HAVE_XTEST

class SampleOnX : public ::testing::Test {
protected:
    void SetUp() override
    {
        server_ = std::make_unique<xtest::Xvfb>(1024, 768);
        if (!server_->Running())
            GTEST_SKIP() << server_->Why();
        // The driver's presenter comes first; the program puts the X one over it when it starts.
        headless::TopLevelWindows();
        dpy_ = XOpenDisplay(server_->Display().c_str());
        ASSERT_NE(dpy_, nullptr);
        setenv("DISPLAY", server_->Display().c_str(), 1);
    }
    void TearDown() override
    {
        if (program_.joinable()) {
            for (HWND h : headless::TopLevelWindows())
                PostMessageW(h, WM_CLOSE, 0, 0);
            program_.join();
        }
        setenv("DISPLAY", "", 1);
        if (dpy_)
            XCloseDisplay(dpy_);
    }

    // The bound only ends a wait for something that never comes: a loaded machine under the
    // sanitizers can take seconds to start the program or to show a frame.
    static constexpr int kPatienceMs = 30000;

    bool WaitFor(const std::function<bool()>& done, int ms = kPatienceMs)
    {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end) {
            headless::PumpUntilIdle();
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    HWND Visible(const char16_t* text)
    {
        headless::Query q;
        q.text = text;
        q.visibleOnly = true;
        HWND h = headless::FindOne(q);
        return h && x11::WindowOf(h) ? h : nullptr;
    }

    void Click(POINT p)
    {
        XTestFakeMotionEvent(dpy_, -1, p.x, p.y, CurrentTime);
        XTestFakeButtonEvent(dpy_, 1, True, CurrentTime);
        XTestFakeButtonEvent(dpy_, 1, False, CurrentTime);
        XFlush(dpy_);
    }
    void Press(KeySym sym)
    {
        KeyCode k = XKeysymToKeycode(dpy_, sym);
        XTestFakeKeyEvent(dpy_, k, True, CurrentTime);
        XTestFakeKeyEvent(dpy_, k, False, CurrentTime);
        XFlush(dpy_);
    }

    // The program draws on its own thread, so the server's copy is compared until a quiet moment.
    bool SameAsSurface(HWND top)
    {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPatienceMs);
        while (std::chrono::steady_clock::now() < end) {
            x11::Flush();
            auto s = user::WindowSurface(top);
            ::Window w = x11::WindowOf(top);
            XImage* img = s && w ? XGetImage(dpy_, w, 0, 0, (unsigned)s->width, (unsigned)s->height, AllPlanes,
                                             ZPixmap)
                                 : nullptr;
            bool same = img != nullptr;
            for (int y = 0; same && y < s->height; ++y)
                for (int x = 0; same && x < s->width; ++x)
                    same = (XGetPixel(img, x, y) & 0xFFFFFF) == (s->Row(y)[x] & 0xFFFFFF);
            if (img)
                XDestroyImage(img);
            if (same)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    std::unique_ptr<xtest::Xvfb> server_;
    Display* dpy_ = nullptr;
    std::thread program_;
};

TEST_F(SampleOnX, ClicksTypesAndShowsThePixelsOfTheProgram)
{
    int exitCode = -1;
    program_ = std::thread([&] {
        std::u16string line;
        exitCode = RunSampleApp(line.data(), SW_SHOWNORMAL);
    });
    HWND frame = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        for (HWND h : headless::TopLevelWindows())
            if (IsWindowVisible(h) && (GetWindowLongW(h, GWL_STYLE) & WS_THICKFRAME) && x11::WindowOf(h))
                frame = h;
        return frame != nullptr;
    }));
    EXPECT_TRUE(SameAsSurface(frame));

    // The name dialog comes from the File menu's command; its edit and button are used through X.
    PostMessageW(frame, WM_COMMAND, 0x8001, 0);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (dialog = Visible(u"Name")) != nullptr; }));
    HWND edit = GetDlgItem(dialog, 100), ok = GetDlgItem(dialog, IDOK);
    ASSERT_TRUE(edit && ok);
    // Keys go to the active window's thread: the dialog is shown before it is activated, and keys
    // pressed in between would go to the frame. Once it is active, the click and the keys reach
    // its queue in order, so the keys find the edit focused.
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == dialog; }));
    Click(headless::ToScreen(edit, {5, 5}));
    Press(XK_End);
    for (int i = 0; i < 5; ++i)
        Press(XK_BackSpace); // "world", the name the document starts with
    for (KeySym k : {XK_x, XK_v, XK_f, XK_b})
        Press(k);
    EXPECT_TRUE(WaitFor([&] { return headless::Text(edit) == u"xvfb"; }));
    EXPECT_TRUE(SameAsSurface(dialog));
    Click(headless::ToScreen(ok, {20, 8}));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
    EXPECT_TRUE(SameAsSurface(frame));

    // A popup menu over the program, its item chosen with the pointer.
    HWND owner = CreateWindowExW(WS_EX_TOOLWINDOW, u"Static", u"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                                 nullptr);
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 7, u"&Recover");
    AppendMenuW(menu, MF_STRING, 8, u"&Close");
    bool popupShown = false, popupSame = false;
    headless::AnswerNextModal([&](HWND popup) {
        UpdateWindow(popup);
        popupShown = x11::WindowOf(popup) != 0;
        popupSame = SameAsSurface(popup);
        RECT r;
        GetWindowRect(popup, &r);
        Click({r.left + 20, r.top + 10});
    });
    RECT fr;
    GetWindowRect(frame, &fr);
    UINT chosen = (UINT)TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY, fr.left + 100, fr.top + 100, 0, owner,
                                       nullptr);
    EXPECT_TRUE(popupShown);
    EXPECT_TRUE(popupSame);
    EXPECT_EQ(chosen, 7u);
    DestroyMenu(menu);
    DestroyWindow(owner);

    PostMessageW(frame, WM_CLOSE, 0, 0);
    program_.join();
    EXPECT_EQ(exitCode, 0);
    EXPECT_FALSE(x11::Running()) << "the program closes its X connection when it ends";
}

#endif // DOVEMARK_HAVE_XTEST

} // namespace
