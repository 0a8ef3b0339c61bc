// X events: exposure, the window manager's requests, and pointer, key and text input for the layer.
#include "backend/x11/internal.h"

#include "win32/kernel/util.h"
#include "win32/user/internal.h"

#include <X11/Xatom.h>
#include <X11/keysym.h>

#include <clocale>

namespace x11 {

namespace {

// The layer's screen point of a pointer event. Taken from the window the event came through and
// where the layer placed that window, so hit testing matches what is seen even when the window
// manager put the window somewhere else.
POINT LayerPoint(::Window w, int x, int y, int xRoot, int yRoot)
{
    if (Host* h = HostOf(w))
        return POINT{h->rect.left + x, h->rect.top + y};
    return POINT{xRoot, yRoot};
}

void Pointer(UINT msg, POINT pt, int wheel = 0)
{
    auto& c = C();
    if (msg != WM_MOUSEMOVE && (pt.x != c.lastPointer.x || pt.y != c.lastPointer.y))
        user::InjectMouse(WM_MOUSEMOVE, pt, 0);
    c.lastPointer = pt;
    user::InjectMouse(msg, pt, wheel);
}

void Button(XButtonEvent& e, bool down)
{
    POINT pt = LayerPoint(e.window, e.x, e.y, e.x_root, e.y_root);
    switch (e.button) {
    case Button1: Pointer(down ? WM_LBUTTONDOWN : WM_LBUTTONUP, pt); break;
    case Button2: Pointer(down ? WM_MBUTTONDOWN : WM_MBUTTONUP, pt); break;
    case Button3: Pointer(down ? WM_RBUTTONDOWN : WM_RBUTTONUP, pt); break;
    case Button4:
    case Button5:
        // The wheel's notches arrive as presses of buttons 4 and 5; their releases say nothing.
        if (down)
            Pointer(WM_MOUSEWHEEL, pt, e.button == Button4 ? WHEEL_DELTA : -WHEEL_DELTA);
        break;
    }
}

// The window that takes keys and text: the focus of the thread whose window is active.
HWND KeyTarget()
{
    user::Guard lk(user::Lock());
    for (HWND h : user::Find(user::Desktop())->children) {
        user::Window* w = user::Find(h);
        auto q = w ? user::QueueOf(w->tid) : nullptr;
        if (q && q->active == h)
            return q->focus ? q->focus : h;
    }
    return nullptr;
}

void Text(const std::u16string& text, bool composed)
{
    if (!composed) {
        for (char16_t ch : text)
            user::InjectChar(ch);
        return;
    }
    // What the input method composed is framed by the composition's start and end, all posted to
    // the focus window so they arrive in this order.
    HWND target = KeyTarget();
    if (!target)
        return;
    PostMessageW(target, WM_IME_STARTCOMPOSITION, 0, 0);
    for (char16_t ch : text)
        PostMessageW(target, WM_CHAR, ch, 1);
    PostMessageW(target, WM_IME_ENDCOMPOSITION, 0, 0);
}

bool Printable(const std::u16string& t) { return !t.empty() && t[0] >= 0x20 && t[0] != 0x7F; }

// The one character of a key's text (0: none, or more than one).
char32_t OnlyChar(const std::u16string& t)
{
    if (t.size() == 1 && (t[0] < 0xD800 || t[0] > 0xDFFF))
        return t[0];
    if (t.size() == 2 && t[0] >= 0xD800 && t[0] <= 0xDBFF && t[1] >= 0xDC00 && t[1] <= 0xDFFF)
        return 0x10000 + (((char32_t)t[0] - 0xD800) << 10) + ((char32_t)t[1] - 0xDC00);
    return 0;
}

void Key(XKeyEvent& e, bool down)
{
    Host* h = HostOf(e.window);
    XIC ic = h ? (XIC)h->ic : nullptr;
    KeySym sym = NoSymbol;
    UINT vk = VirtualKeyOf(e, &sym);
    std::u16string text;
    if (down) {
        char buf[64];
        KeySym looked = NoSymbol;
        int n = 0;
        Status status = XLookupNone;
        if (ic) {
            n = Xutf8LookupString(ic, &e, buf, sizeof(buf) - 1, &looked, &status);
            if (status == XBufferOverflow || (status != XLookupChars && status != XLookupBoth))
                n = 0;
        } else {
            // Only the key symbol counts: in the C locale XLookupString has no bytes for what lies beyond Latin-1.
            XLookupString(&e, buf, sizeof(buf) - 1, &looked, nullptr);
        }
        if (n > 0)
            text = dovemark::kernel::Utf8ToUtf16(std::string(buf, (size_t)n));
        else if (char32_t ch = CharOfKeysym(looked))
            dovemark::kernel::AppendUtf16(text, ch);
        // A key event with no key code is the input method handing over what was composed.
        if (e.keycode == 0 && n > 0) {
            Text(text, true);
            return;
        }
        if (!vk) {
            // A character no key of the layer's keyboard stands for reaches the program as text.
            if (Printable(text))
                Text(text, false);
            return;
        }
    }
    // The desktop's layout says what a key types, which may not be what the layer's own keyboard would.
    if (vk)
        user::InjectKey(vk, down, Printable(text) ? OnlyChar(text) : 0);
}

void OnClientMessage(XClientMessageEvent& e)
{
    auto& c = C();
    Host* h = HostOf(e.window);
    if (!h || e.message_type != c.atoms.wmProtocols)
        return;
    if ((Atom)e.data.l[0] == c.atoms.wmDeleteWindow) {
        // The close box of the desktop acts as the window's own close command.
        POINT pt;
        GetCursorPos(&pt);
        PostMessageW(h->hwnd, WM_SYSCOMMAND, SC_CLOSE, MAKELPARAM(pt.x, pt.y));
    }
}

void Unmapped(XUnmapEvent& e)
{
    Host* h = HostOf(e.window);
    // The unmapping of a window hidden and shown again before the server answered is the layer's
    // own hide, not the desktop minimising it.
    if (!h || !h->managed || !h->mapped || h->iconic || e.serial < h->mapSerial)
        return;
    // The desktop minimised the window (its task bar or a key): the layer minimises it too.
    h->iconic = true;
    PostMessageW(h->hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

void Configured(XConfigureEvent& e)
{
    auto& c = C();
    Host* h = HostOf(e.window);
    // What answers the layer's own placements is already known; only the desktop's own moves count.
    if (!h || !h->managed || !h->mapped || e.serial < h->configSerial)
        return;
    int x = 0, y = 0;
    ::Window child;
    if (!XTranslateCoordinates(c.dpy, h->xid, c.root, 0, 0, &x, &y, &child))
        return;
    RECT r{x, y, x + e.width, y + e.height};
    if (EqualRect(&r, &h->rect))
        return;
    h->rect = r;
    user::RequestPlacement(h->hwnd, r);
}

void FocusChanged(XFocusChangeEvent& e, bool in)
{
    auto& c = C();
    if ((e.mode != NotifyNormal && e.mode != NotifyWhileGrabbed) || e.detail == NotifyInferior ||
        e.detail == NotifyPointer)
        return;
    Host* h = HostOf(e.window);
    if (!h || !h->managed)
        return;
    bool ours = e.serial < c.focusSerial ||
                std::chrono::steady_clock::now() - c.focusAskedAt < std::chrono::milliseconds(300);
    if (in)
        c.focusLeft = false;
    if (ours)
        return;
    if (!in) {
        c.focusLeft = true;
    } else if (h->hwnd != c.layerActive) {
        c.layerActive = h->hwnd;
        c.focusFromDesktop = h->hwnd;
        user::RequestActivation(h->hwnd);
    }
}

void Mapped(XMapEvent& e)
{
    Host* h = HostOf(e.window);
    if (!h || !h->managed)
        return;
    RECT all{0, 0, h->rect.right - h->rect.left, h->rect.bottom - h->rect.top};
    AddDirty(*h, all);
    if (h->iconic && IsIconic(h->hwnd)) {
        h->iconic = false;
        PostMessageW(h->hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    }
}

} // namespace

void HandleEvent(XEvent& ev)
{
    auto& c = C();
    switch (ev.type) {
    case Expose:
        if (Host* h = HostOf(ev.xexpose.window))
            AddDirty(*h, RECT{ev.xexpose.x, ev.xexpose.y, ev.xexpose.x + ev.xexpose.width,
                              ev.xexpose.y + ev.xexpose.height});
        break;
    case MotionNotify: {
        // Only the latest position of a burst of motion matters.
        XEvent next;
        while (XCheckTypedEvent(c.dpy, MotionNotify, &next))
            ev = next;
        Pointer(WM_MOUSEMOVE,
                LayerPoint(ev.xmotion.window, ev.xmotion.x, ev.xmotion.y, ev.xmotion.x_root, ev.xmotion.y_root));
        break;
    }
    case ButtonPress: Button(ev.xbutton, true); break;
    case ButtonRelease: Button(ev.xbutton, false); break;
    case KeyPress: Key(ev.xkey, true); break;
    case KeyRelease: Key(ev.xkey, false); break;
    case ClientMessage: OnClientMessage(ev.xclient); break;
    case UnmapNotify: Unmapped(ev.xunmap); break;
    case MapNotify: Mapped(ev.xmap); break;
    case ConfigureNotify: Configured(ev.xconfigure); break;
    case FocusIn:
        if (Host* h = HostOf(ev.xfocus.window); h && h->ic)
            XSetICFocus((XIC)h->ic);
        FocusChanged(ev.xfocus, true);
        break;
    case FocusOut:
        if (Host* h = HostOf(ev.xfocus.window); h && h->ic)
            XUnsetICFocus((XIC)h->ic);
        FocusChanged(ev.xfocus, false);
        break;
    case PropertyNotify:
        if (ev.xproperty.window == c.root && ev.xproperty.atom == c.atoms.netWorkarea)
            ReadScreen();
        if (ev.xproperty.window == c.root && ev.xproperty.atom == c.atoms.netSupportingWmCheck)
            CheckWindowManager();
        break;
    case MappingNotify:
        // The desktop changed its keyboard layout: keys are looked up in the new one.
        XRefreshKeyboardMapping(&ev.xmapping);
        break;
    case SelectionRequest: HandleSelectionRequest(ev.xselectionrequest); break;
    case SelectionClear: HandleSelectionClear(ev.xselectionclear); break;
    default:
        if (!HandleClipboardOwnerEvent(ev))
            HandleScreenEvent(ev);
        break;
    }
}

void SettleFocus()
{
    auto& c = C();
    if (!c.focusLeft)
        return;
    c.focusLeft = false;
    ::Window focus;
    int revert;
    XGetInputFocus(c.dpy, &focus, &revert);
    if (HostOf(focus) || !c.layerActive)
        return;
    c.layerActive = nullptr;
    user::RequestActivation(nullptr);
}

void OpenInputMethod()
{
    auto& c = C();
    // An input method is used only when one runs (XMODIFIERS names it) and the locale allows.
    const char* modifiers = std::getenv("XMODIFIERS");
    if (!modifiers || !*modifiers)
        return;
    if (!std::setlocale(LC_CTYPE, "") || !XSupportsLocale())
        return;
    XSetLocaleModifiers("");
    c.im = XOpenIM(c.dpy, nullptr, nullptr, nullptr);
}

void CloseInputContext(Host& h)
{
    if (h.ic)
        XDestroyIC((XIC)h.ic);
    h.ic = nullptr;
}

} // namespace x11
