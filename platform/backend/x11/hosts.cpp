// The X windows of the layer's top-level windows: creating, placing, decorating and presenting them.
#include "backend/x11/internal.h"

#include "win32/gdi.h"
#include "win32/user/internal.h"

#include <X11/Xatom.h>
#include <X11/extensions/shape.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace x11 {

namespace {

bool IsManaged(DWORD style)
{
    // Windows with a caption are frames and dialogs the window manager may know; captionless
    // popups (menus, tips, drop-downs) are placed exactly where the layer puts them.
    return !(style & WS_POPUP) || (style & WS_CAPTION) == WS_CAPTION;
}

void FreeImage(Host& h)
{
    auto& c = C();
    if (!h.image)
        return;
    if (h.shmAttached) {
        XShmDetach(c.dpy, &h.shm);
        XSync(c.dpy, False);
        shmdt(h.shm.shmaddr);
        h.shmAttached = false;
    } else {
        free(h.image->data);
    }
    h.image->data = nullptr;
    XDestroyImage(h.image);
    h.image = nullptr;
}

bool MakeImage(Host& h, int w, int hgt)
{
    auto& c = C();
    FreeImage(h);
    if (c.shm) {
        h.image = XShmCreateImage(c.dpy, c.visual, c.depth, ZPixmap, nullptr, &h.shm, w, hgt);
        if (h.image) {
            h.shm.shmid = shmget(IPC_PRIVATE, (size_t)h.image->bytes_per_line * hgt, IPC_CREAT | 0600);
            void* addr = h.shm.shmid >= 0 ? shmat(h.shm.shmid, nullptr, 0) : (void*)-1;
            if (addr != (void*)-1) {
                h.shm.shmaddr = h.image->data = (char*)addr;
                h.shm.readOnly = False;
                // The server attaches before the segment is marked for removal, so it goes
                // away with the last user even if this process dies.
                bool ok = XShmAttach(c.dpy, &h.shm);
                XSync(c.dpy, False);
                shmctl(h.shm.shmid, IPC_RMID, nullptr);
                if (ok) {
                    h.shmAttached = true;
                    return true;
                }
                shmdt(addr);
            } else if (h.shm.shmid >= 0) {
                shmctl(h.shm.shmid, IPC_RMID, nullptr);
            }
            h.image->data = nullptr;
            XDestroyImage(h.image);
            h.image = nullptr;
        }
        // A server that refuses shared memory once will refuse it again.
        c.shm = false;
    }
    // Four bytes a pixel is enough for every visual's pixels, each row padded to 32 bits.
    char* data = (char*)calloc((size_t)w * hgt, 4);
    if (!data)
        return false;
    h.image = XCreateImage(c.dpy, c.visual, c.depth, ZPixmap, 0, data, w, hgt, 32, 0);
    if (!h.image) {
        free(data);
        return false;
    }
    return true;
}

void CopyPixels(Host& h, const gdi::Surface& s, const RECT& r)
{
    auto& c = C();
    for (int y = r.top; y < r.bottom; ++y) {
        const uint32_t* src = s.Row(y) + r.left;
        if (c.fastPixels) {
            memcpy(h.image->data + (size_t)y * h.image->bytes_per_line + (size_t)r.left * 4, src,
                   (size_t)(r.right - r.left) * 4);
            continue;
        }
        // Another visual: each pixel goes through the server's own colour layout.
        for (int x = r.left; x < r.right; ++x, ++src) {
            uint32_t p = *src;
            unsigned long red = (p >> 16) & 0xFF, green = (p >> 8) & 0xFF, blue = p & 0xFF;
            auto scale = [](unsigned long v, unsigned long mask) {
                if (!mask)
                    return 0ul;
                int shift = __builtin_ctzl(mask);
                unsigned long max = mask >> shift;
                return ((v * max + 127) / 255) << shift;
            };
            XPutPixel(h.image, x, y,
                      scale(red, c.visual->red_mask) | scale(green, c.visual->green_mask) |
                          scale(blue, c.visual->blue_mask));
        }
    }
}

void Present(Host& h)
{
    auto& c = C();
    RECT r = h.dirty;
    h.dirty = RECT{};
    if (!h.mapped || IsRectEmpty(&r))
        return;
    auto surface = user::WindowSurface(h.hwnd);
    if (!surface)
        return;
    int w = surface->width, hgt = surface->height;
    if (!h.image || h.image->width != w || h.image->height != hgt) {
        if (!MakeImage(h, w, hgt))
            return;
        r = RECT{0, 0, w, hgt};
    }
    RECT all{0, 0, w, hgt};
    if (!IntersectRect(&r, &r, &all))
        return;
    CopyPixels(h, *surface, r);
    if (h.shmAttached)
        XShmPutImage(c.dpy, h.xid, c.gc, h.image, r.left, r.top, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     False);
    else
        XPutImage(c.dpy, h.xid, c.gc, h.image, r.left, r.top, r.left, r.top, r.right - r.left, r.bottom - r.top);
    // The shared image is rewritten by the next present: the server must have read it first.
    if (h.shmAttached)
        XSync(c.dpy, False);
}

void SetTitle(Host& h)
{
    auto& c = C();
    WCHAR buf[512];
    int n = GetWindowTextW(h.hwnd, buf, 512);
    std::string t = Utf8(std::u16string(buf, (size_t)std::max(n, 0)));
    XChangeProperty(c.dpy, h.xid, c.atoms.netWmName, c.atoms.utf8String, 8, PropModeReplace,
                    (const unsigned char*)t.data(), (int)t.size());
    XTextProperty tp;
    char* list[] = {t.data()};
    if (Xutf8TextListToTextProperty(c.dpy, list, 1, XStdICCTextStyle, &tp) >= Success) {
        XSetWMName(c.dpy, h.xid, &tp);
        XFree(tp.value);
    }
}

// The window's icon as _NET_WM_ICON wants it: width, height, then ARGB rows, each in a long.
void SetIcon(Host& h)
{
    auto& c = C();
    std::vector<long> data;
    for (int index : {GCLP_HICONSM, GCLP_HICON}) {
        HICON icon = (HICON)GetClassLongPtrW(h.hwnd, index);
        if (!icon)
            continue;
        int size = index == GCLP_HICONSM ? 16 : 32;
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = size;
        bi.bmiHeader.biHeight = -size;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* bits[2] = {};
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP image = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits[0], nullptr, 0);
        HBITMAP mask = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits[1], nullptr, 0);
        if (image && mask && bits[0] && bits[1]) {
            HGDIOBJ old = SelectObject(dc, image);
            DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_IMAGE);
            SelectObject(dc, mask);
        // The mask is combined with what is below it: on white it shows as itself.
        memset(bits[1], 0xFF, (size_t)(size) * (size) * 4);
            DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_MASK);
            SelectObject(dc, old);
            GdiFlush();
            data.push_back(size);
            data.push_back(size);
            auto* px = (const uint32_t*)bits[0];
            auto* mk = (const uint32_t*)bits[1];
            for (int i = 0; i < size * size; ++i) {
                // Where the mask is set the icon shows what is behind it.
                bool clear = (mk[i] & 0xFFFFFF) != 0;
                data.push_back(clear ? 0 : (long)(0xFF000000u | (px[i] & 0xFFFFFF)));
            }
        }
        if (image)
            DeleteObject(image);
        if (mask)
            DeleteObject(mask);
        DeleteDC(dc);
    }
    if (data.empty())
        XDeleteProperty(c.dpy, h.xid, c.atoms.netWmIcon);
    else
        XChangeProperty(c.dpy, h.xid, c.atoms.netWmIcon, XA_CARDINAL, 32, PropModeReplace,
                        (const unsigned char*)data.data(), (int)data.size());
}

void SetShape(Host& h)
{
    auto& c = C();
    if (!c.shape)
        return;
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    if (GetWindowRgn(h.hwnd, rgn) == ERROR) {
        XShapeCombineMask(c.dpy, h.xid, ShapeBounding, 0, 0, None, ShapeSet);
        DeleteObject(rgn);
        return;
    }
    DWORD size = GetRegionData(rgn, 0, nullptr);
    std::vector<BYTE> buf(size ? size : sizeof(RGNDATAHEADER));
    std::vector<XRectangle> rects;
    if (size && GetRegionData(rgn, size, (RGNDATA*)buf.data()) == size) {
        auto* data = (RGNDATA*)buf.data();
        auto* r = (const RECT*)data->Buffer;
        for (DWORD i = 0; i < data->rdh.nCount; ++i)
            rects.push_back(XRectangle{(short)r[i].left, (short)r[i].top, (unsigned short)(r[i].right - r[i].left),
                                       (unsigned short)(r[i].bottom - r[i].top)});
    }
    DeleteObject(rgn);
    XShapeCombineRectangles(c.dpy, h.xid, ShapeBounding, 0, 0, rects.data(), (int)rects.size(), ShapeSet,
                            YXBanded);
}

void SetOwner(Host& h)
{
    auto& c = C();
    HWND owner = GetWindow(h.hwnd, GW_OWNER);
    auto it = owner ? c.hosts.find(owner) : c.hosts.end();
    if (it != c.hosts.end() && it->second.xid)
        XSetTransientForHint(c.dpy, h.xid, it->second.xid);
    else
        XDeleteProperty(c.dpy, h.xid, XA_WM_TRANSIENT_FOR);
}

void SetSizeHints(Host& h)
{
    auto& c = C();
    XSizeHints* hints = XAllocSizeHints();
    hints->flags = USPosition | USSize | PPosition | PSize;
    hints->x = h.rect.left;
    hints->y = h.rect.top;
    hints->width = std::max<int>(1, h.rect.right - h.rect.left);
    hints->height = std::max<int>(1, h.rect.bottom - h.rect.top);
    if (!(h.style & WS_THICKFRAME)) {
        // The layer decides the size of a window without a sizing border.
        hints->flags |= PMinSize | PMaxSize;
        hints->min_width = hints->max_width = hints->width;
        hints->min_height = hints->max_height = hints->height;
    }
    XSetWMNormalHints(c.dpy, h.xid, hints);
    XFree(hints);
}

// The state atoms the window manager keeps while the window is mapped, set before mapping.
void SetStates(Host& h)
{
    auto& c = C();
    std::vector<Atom> states;
    if (h.exStyle & WS_EX_TOPMOST)
        states.push_back(c.atoms.netWmStateAbove);
    HWND owner = GetWindow(h.hwnd, GW_OWNER);
    if (owner && !IsWindowEnabled(owner))
        states.push_back(c.atoms.netWmStateModal);
    XChangeProperty(c.dpy, h.xid, c.atoms.netWmState, XA_ATOM, 32, PropModeReplace,
                    (const unsigned char*)states.data(), (int)states.size());
}

// A layered window's constant opacity, for a compositing window manager to apply. Pixels of a
// transparent colour are shown as they are: only the layer's own screen leaves them out.
void SetOpacity(Host& h)
{
    auto& c = C();
    BYTE alpha = user::LayeredLookOf(h.hwnd).alpha;
    if (alpha == 255) {
        XDeleteProperty(c.dpy, h.xid, c.atoms.netWmWindowOpacity);
        return;
    }
    unsigned long opacity = (unsigned long)alpha * 0x01010101UL;
    XChangeProperty(c.dpy, h.xid, c.atoms.netWmWindowOpacity, XA_CARDINAL, 32, PropModeReplace,
                    (const unsigned char*)&opacity, 1);
}

void Decorate(Host& h)
{
    h.style = (DWORD)GetWindowLongW(h.hwnd, GWL_STYLE);
    h.exStyle = (DWORD)GetWindowLongW(h.hwnd, GWL_EXSTYLE);
    SetShape(h);
    SetOpacity(h);
    if (!h.managed)
        return;
    SetTitle(h);
    SetIcon(h);
    SetOwner(h);
    SetSizeHints(h);
    if (!h.mapped)
        SetStates(h);
}

void CreateHost(HWND hwnd, const RECT& r)
{
    auto& c = C();
    Host h;
    h.hwnd = hwnd;
    h.rect = r;
    h.style = (DWORD)GetWindowLongW(hwnd, GWL_STYLE);
    h.exStyle = (DWORD)GetWindowLongW(hwnd, GWL_EXSTYLE);
    h.managed = IsManaged(h.style);
    XSetWindowAttributes a{};
    a.override_redirect = h.managed ? False : True;
    a.background_pixmap = None;
    a.bit_gravity = NorthWestGravity;
    a.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                   KeyReleaseMask | StructureNotifyMask | FocusChangeMask | EnterWindowMask | LeaveWindowMask;
    int w = std::max<int>(1, r.right - r.left), hgt = std::max<int>(1, r.bottom - r.top);
    h.xid = XCreateWindow(c.dpy, c.root, r.left, r.top, (unsigned)w, (unsigned)hgt, 0, c.depth, InputOutput, c.visual,
                          CWOverrideRedirect | CWBackPixmap | CWBitGravity | CWEventMask, &a);
    if (!h.xid)
        return;
    if (h.managed) {
        Atom protocols[] = {c.atoms.wmDeleteWindow};
        XSetWMProtocols(c.dpy, h.xid, protocols, 1);
        // The layer draws its own caption and borders.
        long motif[5] = {2 /* decorations given */, 0, 0, 0, 0};
        XChangeProperty(c.dpy, h.xid, c.atoms.motifWmHints, c.atoms.motifWmHints, 32, PropModeReplace,
                        (const unsigned char*)motif, 5);
        HWND owner = GetWindow(hwnd, GW_OWNER);
        Atom type = owner ? c.atoms.netWmWindowTypeDialog : c.atoms.netWmWindowTypeNormal;
        XChangeProperty(c.dpy, h.xid, c.atoms.netWmWindowType, XA_ATOM, 32, PropModeReplace,
                        (const unsigned char*)&type, 1);
        long pid = (long)getpid();
        XChangeProperty(c.dpy, h.xid, c.atoms.netWmPid, XA_CARDINAL, 32, PropModeReplace, (const unsigned char*)&pid,
                        1);
        XClassHint cls{(char*)"dovemark", (char*)"Dovemark"};
        XSetClassHint(c.dpy, h.xid, &cls);
        XWMHints* hints = XAllocWMHints();
        hints->flags = InputHint | StateHint;
        hints->input = True;
        hints->initial_state = NormalState;
        XSetWMHints(c.dpy, h.xid, hints);
        XFree(hints);
    }
    if (c.cursor)
        XDefineCursor(c.dpy, h.xid, c.cursor);
    if (c.im && h.managed) {
        // Text composed in the input method (Chinese, above all) comes through this context.
        XIC ic = XCreateIC((XIM)c.im, XNInputStyle, XIMPreeditNothing | XIMStatusNothing, XNClientWindow, h.xid,
                           XNFocusWindow, h.xid, nullptr);
        if (ic) {
            long filter = 0;
            XGetICValues(ic, XNFilterEvents, &filter, nullptr);
            XSelectInput(c.dpy, h.xid, a.event_mask | filter);
            h.ic = ic;
        }
    }
    {
        std::lock_guard<std::mutex> g(c.lock);
        c.hosts[hwnd] = h;
    }
    c.byXid[h.xid] = hwnd;
    Decorate(c.hosts[hwnd]);
}

void DestroyHost(HWND hwnd)
{
    auto& c = C();
    auto it = c.hosts.find(hwnd);
    if (it == c.hosts.end())
        return;
    Host& h = it->second;
    CloseInputContext(h);
    FreeImage(h);
    if (c.capture == hwnd && c.grabbed) {
        XUngrabPointer(c.dpy, CurrentTime);
        c.grabbed = false;
    }
    c.byXid.erase(h.xid);
    XDestroyWindow(c.dpy, h.xid);
    std::lock_guard<std::mutex> g(c.lock);
    c.hosts.erase(it);
}

// Brings the X window in line with the layer's window as it stands now, not as it stood when the
// placement was queued: a window hidden, minimised and shown again at once (as a program's start-up
// does) is then never moved to its icon's place nor shown there. `queued` serves a window gone since.
void Place(HWND hwnd, const RECT& queued)
{
    auto& c = C();
    RECT r = queued;
    GetWindowRect(hwnd, &r);
    bool visible = IsWindowVisible(hwnd) != FALSE;
    bool iconic = IsIconic(hwnd) != FALSE;
    auto it = c.hosts.find(hwnd);
    if (it == c.hosts.end()) {
        if (!visible || !IsWindow(hwnd))
            return;
        CreateHost(hwnd, r);
        it = c.hosts.find(hwnd);
        if (it == c.hosts.end())
            return;
    }
    Host& h = it->second;
    bool managedNow = IsManaged((DWORD)GetWindowLongW(hwnd, GWL_STYLE));
    if (managedNow != h.managed) {
        // Override-redirect cannot change on a mapped window the manager knows: start afresh.
        DestroyHost(hwnd);
        Place(hwnd, r);
        return;
    }
    bool moved = !EqualRect(&h.rect, &r);
    h.rect = r;
    DWORD exStyle = (DWORD)GetWindowLongW(hwnd, GWL_EXSTYLE);
    if (h.managed && h.mapped && ((exStyle ^ h.exStyle) & WS_EX_TOPMOST)) {
        // A mapped window's state belongs to the window manager: it is asked to change it.
        XEvent ev{};
        ev.xclient.type = ClientMessage;
        ev.xclient.window = h.xid;
        ev.xclient.message_type = c.atoms.netWmState;
        ev.xclient.format = 32;
        ev.xclient.data.l[0] = (exStyle & WS_EX_TOPMOST) ? 1 : 0; // add or remove
        ev.xclient.data.l[1] = (long)c.atoms.netWmStateAbove;
        ev.xclient.data.l[3] = 1;
        XSendEvent(c.dpy, c.root, False, SubstructureRedirectMask | SubstructureNotifyMask, &ev);
    }
    h.exStyle = exStyle;
    if (visible && h.managed && iconic) {
        // The layer keeps a minimised window as a small frame; the desktop shows it as an icon.
        if (h.mapped && !h.iconic)
            XIconifyWindow(c.dpy, h.xid, c.screen);
        h.iconic = true;
        return;
    }
    int w = std::max<int>(1, r.right - r.left), hgt = std::max<int>(1, r.bottom - r.top);
    if (moved) {
        if (h.managed)
            SetSizeHints(h);
        h.configSerial = NextRequest(c.dpy);
        XMoveResizeWindow(c.dpy, h.xid, r.left, r.top, (unsigned)w, (unsigned)hgt);
        AddDirty(h, RECT{0, 0, w, hgt});
    }
    if (visible && (!h.mapped || h.iconic)) {
        if (!h.mapped)
            SetStates(h);
        h.mapSerial = NextRequest(c.dpy);
        XMapRaised(c.dpy, h.xid);
        h.mapped = true;
        h.iconic = false;
        AddDirty(h, RECT{0, 0, w, hgt});
    } else if (!visible && h.mapped) {
        if (h.managed)
            XWithdrawWindow(c.dpy, h.xid, c.screen);
        else
            XUnmapWindow(c.dpy, h.xid);
        h.mapped = false;
    } else if (visible && !h.managed) {
        // Menus and tips opened again, or moved, stay above the windows they belong to.
        XRaiseWindow(c.dpy, h.xid);
    }
}

void Activate(HWND hwnd)
{
    auto& c = C();
    c.layerActive = hwnd;
    if (hwnd && hwnd == c.focusFromDesktop) {
        // The layer follows where the desktop put the focus: by now it may have moved on, and
        // must not be taken back.
        c.focusFromDesktop = nullptr;
        return;
    }
    auto it = hwnd ? c.hosts.find(hwnd) : c.hosts.end();
    if (it == c.hosts.end() || !it->second.mapped || !it->second.managed)
        return;
    bool wm = c.windowManager;
    ::Window focus;
    int revert;
    XGetInputFocus(c.dpy, &focus, &revert);
    if (focus == it->second.xid)
        return;
    c.focusSerial = NextRequest(c.dpy);
    c.focusAskedAt = std::chrono::steady_clock::now();
    if (wm) {
        XEvent ev{};
        ev.xclient.type = ClientMessage;
        ev.xclient.window = it->second.xid;
        ev.xclient.message_type = c.atoms.netActiveWindow;
        ev.xclient.format = 32;
        ev.xclient.data.l[0] = 1; // a request from an application
        ev.xclient.data.l[1] = CurrentTime;
        XSendEvent(c.dpy, c.root, False, SubstructureRedirectMask | SubstructureNotifyMask, &ev);
    } else {
        // Without a window manager the keyboard follows the layer's active window directly; the
        // window must be viewable first.
        XSync(c.dpy, False);
        XWindowAttributes wa;
        if (XGetWindowAttributes(c.dpy, it->second.xid, &wa) && wa.map_state == IsViewable)
            XSetInputFocus(c.dpy, it->second.xid, RevertToParent, CurrentTime);
    }
}

void Capture(HWND capture)
{
    auto& c = C();
    c.capture = capture;
    if (c.grabbed) {
        XUngrabPointer(c.dpy, CurrentTime);
        c.grabbed = false;
    }
    HWND root = capture ? GetAncestor(capture, GA_ROOT) : nullptr;
    auto it = root ? c.hosts.find(root) : c.hosts.end();
    if (it == c.hosts.end() || !it->second.mapped)
        return;
    // While the layer holds the capture every pointer event comes here, even over other programs.
    unsigned mask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
    c.grabbed = XGrabPointer(c.dpy, it->second.xid, True, mask, GrabModeAsync, GrabModeAsync, None, c.cursor,
                             CurrentTime) == GrabSuccess;
}

void MoveSize(HWND hwnd, POINT pt, UINT command)
{
    auto& c = C();
    auto it = c.hosts.find(hwnd);
    if (it == c.hosts.end() || !it->second.mapped)
        return;
    // _NET_WM_MOVERESIZE directions, by the sizing edge the layer names (WMSZ_LEFT = 1 ...).
    static const long kEdge[9] = {8, 7, 3, 1, 0, 2, 5, 6, 4};
    UINT edge = command & 0x0F;
    long direction = (command & 0xFFF0) == SC_MOVE ? 8 : edge <= 8 ? kEdge[edge] : 8;
    XUngrabPointer(c.dpy, CurrentTime);
    c.grabbed = false;
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = it->second.xid;
    ev.xclient.message_type = XInternAtom(c.dpy, "_NET_WM_MOVERESIZE", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = pt.x;
    ev.xclient.data.l[1] = pt.y;
    ev.xclient.data.l[2] = direction;
    ev.xclient.data.l[3] = Button1;
    ev.xclient.data.l[4] = 1; // a request from an application
    XSendEvent(c.dpy, c.root, False, SubstructureRedirectMask | SubstructureNotifyMask, &ev);
}

void SetCursorShape(HCURSOR cursor)
{
    auto& c = C();
    ::Cursor x = CursorFor(cursor);
    if (x == c.cursor)
        return;
    c.cursor = x;
    for (auto& [hwnd, h] : c.hosts)
        XDefineCursor(c.dpy, h.xid, x);
    if (c.grabbed)
        XChangeActivePointerGrab(c.dpy, ButtonPressMask | ButtonReleaseMask | PointerMotionMask, x, CurrentTime);
}

} // namespace

void AddDirty(Host& h, const RECT& r)
{
    if (IsRectEmpty(&r))
        return;
    if (IsRectEmpty(&h.dirty))
        h.dirty = r;
    else
        UnionRect(&h.dirty, &h.dirty, &r);
}

Host* HostOf(::Window xid)
{
    auto& c = C();
    auto it = c.byXid.find(xid);
    if (it == c.byXid.end())
        return nullptr;
    auto h = c.hosts.find(it->second);
    return h == c.hosts.end() ? nullptr : &h->second;
}

void ApplyOp(const Op& op)
{
    auto& c = C();
    switch (op.kind) {
    case Op::Damage:
        if (auto it = c.hosts.find(op.hwnd); it != c.hosts.end())
            AddDirty(it->second, op.rect);
        break;
    case Op::Place:
        Place(op.hwnd, op.rect);
        break;
    case Op::Destroy:
        DestroyHost(op.hwnd);
        break;
    case Op::Change:
        if (auto it = c.hosts.find(op.hwnd); it != c.hosts.end()) {
            if (IsManaged((DWORD)GetWindowLongW(op.hwnd, GWL_STYLE)) != it->second.managed) {
                RECT r;
                GetWindowRect(op.hwnd, &r);
                Place(op.hwnd, r);
            } else {
                Decorate(it->second);
            }
        }
        break;
    case Op::Activate:
        Activate(op.hwnd);
        break;
    case Op::Cursor:
        SetCursorShape(op.cursor);
        break;
    case Op::Capture:
        Capture(op.hwnd);
        break;
    case Op::Clipboard:
        ClaimClipboard();
        break;
    case Op::MoveSize:
        MoveSize(op.hwnd, POINT{op.rect.left, op.rect.top}, (UINT)op.rect.right);
        break;
    }
}

void PresentDirty()
{
    for (auto& [hwnd, h] : C().hosts)
        Present(h);
}

void DestroyAllHosts()
{
    auto& c = C();
    std::vector<HWND> all;
    for (auto& [hwnd, h] : c.hosts)
        all.push_back(hwnd);
    for (HWND h : all)
        DestroyHost(h);
}

} // namespace x11
