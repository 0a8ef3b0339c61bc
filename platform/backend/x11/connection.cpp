// The X connection, the thread that owns it, and the presenter that hands it the layer's changes.
#include "backend/x11/internal.h"

#include "win32/kernel/util.h"
#include "win32/sound/wave.h"
#include "win32/user/internal.h"

#include <X11/XKBlib.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/shape.h>

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace x11 {

namespace {

// Only the X thread talks to the server; layer threads queue what changed and wake it.
struct XPresenter : user::Presenter {
    void Damaged(HWND top, const RECT& rect) override { Push(Op{Op::Damage, top, rect}); }
    void Placed(HWND top, const RECT& screen, bool visible) override { Push(Op{Op::Place, top, screen}); }
    void Destroyed(HWND top) override { Push(Op{Op::Destroy, top}); }
    void Changed(HWND top) override { Push(Op{Op::Change, top}); }
    void Activated(HWND top) override { Push(Op{Op::Activate, top}); }
    void CursorChanged(HCURSOR cursor) override
    {
        Op op{Op::Cursor};
        op.cursor = cursor;
        Push(op);
    }
    void CaptureChanged(HWND capture) override { Push(Op{Op::Capture, capture}); }
    void ClipboardChanged() override { Push(Op{Op::Clipboard}); }
    bool MoveSizeByDesktop(HWND top, UINT command, POINT screen) override
    {
        DWORD style = (DWORD)GetWindowLongW(top, GWL_STYLE);
        bool managed = !(style & WS_POPUP) || (style & WS_CAPTION) == WS_CAPTION;
        if (!C().windowManager || !managed || IsZoomed(top))
            return false;
        Op op{Op::MoveSize, top};
        op.rect = RECT{screen.x, screen.y, (LONG)command, 0};
        Push(op);
        // The manager holds the pointer until the button comes up, so the layer never sees that.
        user::InjectMouse(WM_LBUTTONUP, screen, 0);
        return true;
    }
    bool Beep(UINT type) override;

    static void Push(const Op& op)
    {
        auto& c = C();
        {
            std::lock_guard<std::mutex> g(c.lock);
            if (c.stop || !c.dpy)
                return;
            c.ops.push_back(op);
        }
        Wake();
    }
    static void Wake()
    {
        char b = 1;
        [[maybe_unused]] ssize_t n = write(C().wake[1], &b, 1);
    }
};

XPresenter& ThePresenter()
{
    // Never freed: a layer thread may still hold it for a moment after it is uninstalled.
    static auto* p = new XPresenter;
    return *p;
}

user::Presenter* g_previous = nullptr;
bool g_running = false;
std::mutex g_startLock;

int OnXError(Display* dpy, XErrorEvent* e)
{
    // A request on a window the server already dropped, or an extension the server refuses,
    // must not end the program as Xlib's default handler would.
    return 0;
}

int OnIoError(Display*)
{
    // The server went away: nothing more can be shown, and Xlib ends the process after this.
    std::fputs("dovemark: the connection to the X server was lost\n", stderr);
    return 0;
}

void InitAtoms(Conn& c)
{
    const char* names[] = {"WM_PROTOCOLS", "WM_DELETE_WINDOW", "_NET_WM_NAME", "UTF8_STRING", "_NET_WM_ICON",
                           "_NET_WM_STATE", "_NET_WM_STATE_ABOVE", "_NET_WM_STATE_MODAL", "_NET_WM_WINDOW_TYPE",
                           "_NET_WM_WINDOW_TYPE_NORMAL", "_NET_WM_WINDOW_TYPE_DIALOG", "_MOTIF_WM_HINTS",
                           "_NET_ACTIVE_WINDOW", "_NET_SUPPORTING_WM_CHECK", "_NET_WORKAREA", "_NET_WM_PID",
                           "CLIPBOARD", "TARGETS", "DOVEMARK_SELECTION", "image/png", "image/bmp", "text/plain",
                           "text/plain;charset=utf-8", "INCR", "_NET_WM_WINDOW_OPACITY"};
    constexpr int n = sizeof(names) / sizeof(names[0]);
    static_assert(sizeof(Atoms) == n * sizeof(Atom));
    Atom out[n];
    XInternAtoms(c.dpy, const_cast<char**>(names), n, False, out);
    memcpy(&c.atoms, out, sizeof(out));
}

void CheckPixels(Conn& c)
{
    XVisualInfo tmpl{};
    tmpl.visualid = XVisualIDFromVisual(c.visual);
    int n = 0;
    XVisualInfo* vi = XGetVisualInfo(c.dpy, VisualIDMask, &tmpl, &n);
    int bpp = 0;
    int nf = 0;
    XPixmapFormatValues* f = XListPixmapFormats(c.dpy, &nf);
    for (int i = 0; i < nf; ++i)
        if (f[i].depth == c.depth)
            bpp = f[i].bits_per_pixel;
    if (f)
        XFree(f);
    uint16_t probe = 1;
    bool little = *(uint8_t*)&probe == 1;
    c.fastPixels = vi && vi->c_class == TrueColor && bpp == 32 && vi->red_mask == 0xFF0000 &&
                   vi->green_mask == 0xFF00 && vi->blue_mask == 0xFF &&
                   (ImageByteOrder(c.dpy) == LSBFirst) == little;
    if (vi)
        XFree(vi);
}

bool LocalDisplay(const char* name)
{
    // Shared memory only works when the server runs on this machine.
    return name && name[0] == ':';
}

// Whether ops[i] is a placement that a later one of the same window, in this batch or already queued,
// makes pointless: a placement applies the window's state as it stands then, so of a run of them only
// the last counts. A window hidden, minimised and shown again in one go is then neither unmapped nor
// iconified on the way. What depends on the X window as it stands in between (its activation, capture,
// a move by the desktop, a change or destruction of any window) ends the run.
bool Superseded(const std::deque<Op>& ops, size_t i)
{
    const Op& op = ops[i];
    if (op.kind != Op::Place)
        return false;
    auto verdict = [&](const Op& next) -> int { // 1: superseded, 0: not, -1: look further
        switch (next.kind) {
        case Op::Place: return next.hwnd == op.hwnd ? 1 : -1;
        case Op::Damage:
        case Op::Cursor:
        case Op::Clipboard: return -1;
        case Op::Activate: return next.hwnd == op.hwnd ? 0 : -1;
        default: return 0;
        }
    };
    for (size_t j = i + 1; j < ops.size(); ++j)
        if (int v = verdict(ops[j]); v >= 0)
            return v == 1;
    auto& c = C();
    std::lock_guard<std::mutex> g(c.lock);
    for (const Op& next : c.ops)
        if (int v = verdict(next); v >= 0)
            return v == 1;
    return false;
}

void RunThread()
{
    auto& c = C();
    int xfd = ConnectionNumber(c.dpy);
    for (;;) {
        std::deque<Op> ops;
        uint64_t ticket;
        bool stop;
        {
            std::lock_guard<std::mutex> g(c.lock);
            ops.swap(c.ops);
            ticket = c.requested;
            stop = c.stop;
        }
        for (size_t i = 0; i < ops.size(); ++i)
            if (!Superseded(ops, i))
                ApplyOp(ops[i]);
        while (XPending(c.dpy)) {
            XEvent ev;
            XNextEvent(c.dpy, &ev);
            if (XFilterEvent(&ev, None))
                continue;
            HandleEvent(ev);
        }
        SettleFocus();
        PresentDirty();
        if (stop) {
            DestroyAllHosts();
            XSync(c.dpy, False);
            return;
        }
        bool syncing;
        {
            std::lock_guard<std::mutex> g(c.lock);
            syncing = c.done < ticket;
        }
        if (syncing) {
            XSync(c.dpy, False);
            std::lock_guard<std::mutex> g(c.lock);
            c.done = ticket;
            c.cv.notify_all();
        } else {
            XFlush(c.dpy);
        }
        if (XEventsQueued(c.dpy, QueuedAlready))
            continue;
        {
            std::lock_guard<std::mutex> g(c.lock);
            if (!c.ops.empty() || c.stop || c.requested > c.done)
                continue;
        }
        pollfd fds[2] = {{xfd, POLLIN, 0}, {c.wake[0], POLLIN, 0}};
        if (poll(fds, 2, 250) > 0 && (fds[1].revents & POLLIN)) {
            char buf[64];
            while (read(c.wake[0], buf, sizeof(buf)) > 0) {
            }
        }
    }
}

} // namespace

Conn& C()
{
    static auto* c = new Conn;
    return *c;
}

std::string Utf8(const std::u16string& s)
{
    std::string out;
    dovemark::kernel::Utf16ToUtf8(s, out);
    return out;
}

bool Start(const char* display)
{
    std::lock_guard<std::mutex> g(g_startLock);
    if (g_running)
        return true;
    const char* name = display ? display : std::getenv("DISPLAY");
    if (!name || !*name)
        return false;
    XInitThreads();
    Display* dpy = XOpenDisplay(name);
    if (!dpy)
        return false;
    XSetErrorHandler(OnXError);
    XSetIOErrorHandler(OnIoError);
    auto& c = C();
    c.dpy = dpy;
    c.screen = DefaultScreen(dpy);
    c.root = RootWindow(dpy, c.screen);
    c.visual = DefaultVisual(dpy, c.screen);
    c.depth = DefaultDepth(dpy, c.screen);
    c.gc = XCreateGC(dpy, c.root, 0, nullptr);
    int major, minor;
    Bool pixmaps;
    c.shm = LocalDisplay(name) && XShmQueryVersion(dpy, &major, &minor, &pixmaps);
    int shapeError;
    c.shape = XShapeQueryExtension(dpy, &c.shapeEvent, &shapeError);
    InitAtoms(c);
    CheckPixels(c);
    // Held keys repeat as presses alone, so the layer sees the repeat count and previous state
    // as it does on a keyboard.
    XkbSetDetectableAutoRepeat(dpy, True, nullptr);
    OpenInputMethod();
    XSetWindowAttributes a{};
    a.override_redirect = True;
    a.event_mask = PropertyChangeMask;
    c.clipOwner = XCreateWindow(dpy, c.root, -10, -10, 1, 1, 0, CopyFromParent, InputOnly, CopyFromParent,
                                CWOverrideRedirect | CWEventMask, &a);
    XSelectInput(dpy, c.root, PropertyChangeMask);
    ReadScreen();
    CheckWindowManager();
    // Whoever takes the clipboard later, the layer hears of it, whether or not it ever owned it itself.
    int fixesEvent, fixesError;
    if (XFixesQueryExtension(dpy, &fixesEvent, &fixesError)) {
        c.xfixesEvent = fixesEvent;
        XFixesSelectSelectionInput(dpy, c.clipOwner, c.atoms.clipboard, XFixesSetSelectionOwnerNotifyMask);
    }
    TakeForeignClipboardIfOwned();
    if (pipe2(c.wake, O_NONBLOCK | O_CLOEXEC) != 0) {
        XCloseDisplay(dpy);
        c.dpy = nullptr;
        return false;
    }
    c.stop = false;
    c.thread = std::thread(RunThread);
    g_previous = user::CurrentPresenter();
    user::SetPresenter(&ThePresenter());
    g_running = true;
    // Windows already on screen in the layer get their X windows now.
    std::vector<HWND> tops;
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT))
        tops.push_back(h);
    for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
        user::NotifyPlaced(*it);
        RECT r;
        GetWindowRect(*it, &r);
        OffsetRect(&r, -r.left, -r.top);
        ThePresenter().Damaged(*it, r);
    }
    return true;
}

bool StartIfDisplay()
{
    const char* d = std::getenv("DISPLAY");
    return d && *d && Start(d);
}

void Stop()
{
    std::lock_guard<std::mutex> g(g_startLock);
    if (!g_running)
        return;
    auto& c = C();
    user::SetPresenter(g_previous);
    {
        std::lock_guard<std::mutex> l(c.lock);
        c.stop = true;
        c.ops.clear();
    }
    XPresenter::Wake();
    c.thread.join();
    FreeCursors();
    CloseClipboardReader();
    if (c.clipOwner)
        XDestroyWindow(c.dpy, c.clipOwner);
    c.clipOwner = 0;
    if (c.im)
        XCloseIM((XIM)c.im);
    c.im = nullptr;
    XFreeGC(c.dpy, c.gc);
    XCloseDisplay(c.dpy);
    user::SetMonitors({});
    std::lock_guard<std::mutex> l(c.lock);
    c.dpy = nullptr;
    close(c.wake[0]);
    close(c.wake[1]);
    c.wake[0] = c.wake[1] = -1;
    c.capture = nullptr;
    c.grabbed = false;
    c.randrEvent = -1;
    c.xfixesEvent = -1;
    c.layerActive = nullptr;
    c.focusFromDesktop = nullptr;
    c.focusLeft = false;
    c.windowManager = false;
    c.lastPointer = POINT{-1, -1};
    c.done = c.requested;
    g_running = false;
}

bool Running()
{
    std::lock_guard<std::mutex> g(g_startLock);
    return g_running;
}

void Flush()
{
    auto& c = C();
    std::unique_lock<std::mutex> l(c.lock);
    if (!c.dpy || c.stop)
        return;
    uint64_t ticket = ++c.requested;
    l.unlock();
    XPresenter::Wake();
    l.lock();
    c.cv.wait(l, [&] { return c.done >= ticket || !c.dpy || c.stop; });
}

unsigned long WindowOf(HWND top)
{
    Flush();
    // The X thread changes the table; this read happens while it waits for the next change.
    auto& c = C();
    std::lock_guard<std::mutex> g(c.lock);
    auto it = c.hosts.find(top);
    return it == c.hosts.end() ? 0 : it->second.xid;
}

bool XPresenter::Beep(UINT type)
{
    return sound::PlayBeep(type);
}

} // namespace x11
