// Mouse and keyboard input: routing, hit testing, double clicks, capture, tracking, key state.
#include "win32/kernel/util.h"
#include "win32/user/internal.h"

#include <algorithm>
#include <cstdlib>

namespace user {

namespace {

struct InputState {
    POINT cursor{0, 0};
    BYTE async[256]{};
    HWND capture = nullptr;
    HCURSOR cursorHandle = nullptr;
    int showCount = 0;
};

InputState& S()
{
    static auto* s = new InputState;
    return *s;
}

// `passed` lists windows that answered HTTRANSPARENT for this point: the search looks beneath them
// (the next window down at that level, else their parent) as if they were not there.
HWND WindowFromPointLocked(POINT pt, const std::vector<HWND>* passed = nullptr)
{
    auto isPassed = [passed](HWND h) {
        return passed && std::find(passed->begin(), passed->end(), h) != passed->end();
    };
    Window* desk = Find(Desktop());
    HWND hit = nullptr;
    for (HWND h : desk->children) {
        Window* w = Find(h);
        if (w && (w->style & WS_VISIBLE) && PtInRect(&w->rcWindow, pt) && !(w->exStyle & WS_EX_TRANSPARENT) &&
            !isPassed(h)) {
            hit = h;
            break;
        }
    }
    while (hit) {
        Window* w = Find(hit);
        POINT o = ClientOrigin(hit);
        POINT local{pt.x - o.x, pt.y - o.y};
        RECT cr{0, 0, Width(w->rcClient), Height(w->rcClient)};
        if (!PtInRect(&cr, local))
            break;
        HWND next = nullptr;
        for (HWND c : w->children) {
            Window* x = Find(c);
            if (x && (x->style & WS_VISIBLE) && !(x->style & WS_DISABLED) && !(x->exStyle & WS_EX_TRANSPARENT) &&
                PtInRect(&x->rcWindow, local) && !isPassed(c)) {
                next = c;
                break;
            }
        }
        if (!next)
            break;
        hit = next;
    }
    return hit;
}

WPARAM MouseKeys(const BYTE* k)
{
    WPARAM w = 0;
    if (k[VK_LBUTTON] & 0x80)
        w |= MK_LBUTTON;
    if (k[VK_RBUTTON] & 0x80)
        w |= MK_RBUTTON;
    if (k[VK_MBUTTON] & 0x80)
        w |= MK_MBUTTON;
    if (k[VK_SHIFT] & 0x80)
        w |= MK_SHIFT;
    if (k[VK_CONTROL] & 0x80)
        w |= MK_CONTROL;
    return w;
}

int ButtonVk(UINT msg)
{
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: return VK_LBUTTON;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP: return VK_RBUTTON;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: return VK_MBUTTON;
    }
    return 0;
}

bool IsButtonDown(UINT msg)
{
    return msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN;
}

void SetKey(BYTE* keys, int vk, bool down)
{
    if (down) {
        if (!(keys[vk] & 0x80))
            keys[vk] ^= 0x01;
        keys[vk] |= 0x80;
    } else {
        keys[vk] &= (BYTE)~0x80;
    }
}

// The generic shift keys follow their left and right keys.
void SetKeyWithGeneric(BYTE* keys, int vk, bool down)
{
    SetKey(keys, vk, down);
    int generic = (vk == VK_LSHIFT || vk == VK_RSHIFT)       ? VK_SHIFT
                  : (vk == VK_LCONTROL || vk == VK_RCONTROL) ? VK_CONTROL
                  : (vk == VK_LMENU || vk == VK_RMENU)       ? VK_MENU
                                                             : 0;
    if (generic)
        SetKey(keys, generic, down);
}

struct ScanEntry {
    BYTE vk;
    BYTE scan;
    bool ext;
    const char16_t* name;
};

const ScanEntry kScans[] = {
    {VK_ESCAPE, 0x01, false, u"Esc"},      {'1', 0x02, false, u"1"},
    {'2', 0x03, false, u"2"},              {'3', 0x04, false, u"3"},
    {'4', 0x05, false, u"4"},              {'5', 0x06, false, u"5"},
    {'6', 0x07, false, u"6"},              {'7', 0x08, false, u"7"},
    {'8', 0x09, false, u"8"},              {'9', 0x0A, false, u"9"},
    {'0', 0x0B, false, u"0"},              {VK_OEM_MINUS, 0x0C, false, u"-"},
    {VK_OEM_PLUS, 0x0D, false, u"="},      {VK_BACK, 0x0E, false, u"Backspace"},
    {VK_TAB, 0x0F, false, u"Tab"},         {'Q', 0x10, false, u"Q"},
    {'W', 0x11, false, u"W"},              {'E', 0x12, false, u"E"},
    {'R', 0x13, false, u"R"},              {'T', 0x14, false, u"T"},
    {'Y', 0x15, false, u"Y"},              {'U', 0x16, false, u"U"},
    {'I', 0x17, false, u"I"},              {'O', 0x18, false, u"O"},
    {'P', 0x19, false, u"P"},              {VK_OEM_4, 0x1A, false, u"["},
    {VK_OEM_6, 0x1B, false, u"]"},         {VK_RETURN, 0x1C, false, u"Enter"},
    {VK_CONTROL, 0x1D, false, u"Ctrl"},    {'A', 0x1E, false, u"A"},
    {'S', 0x1F, false, u"S"},              {'D', 0x20, false, u"D"},
    {'F', 0x21, false, u"F"},              {'G', 0x22, false, u"G"},
    {'H', 0x23, false, u"H"},              {'J', 0x24, false, u"J"},
    {'K', 0x25, false, u"K"},              {'L', 0x26, false, u"L"},
    {VK_OEM_1, 0x27, false, u";"},         {VK_OEM_7, 0x28, false, u"'"},
    {VK_OEM_3, 0x29, false, u"`"},         {VK_SHIFT, 0x2A, false, u"Shift"},
    {VK_OEM_5, 0x2B, false, u"\\"},        {'Z', 0x2C, false, u"Z"},
    {'X', 0x2D, false, u"X"},              {'C', 0x2E, false, u"C"},
    {'V', 0x2F, false, u"V"},              {'B', 0x30, false, u"B"},
    {'N', 0x31, false, u"N"},              {'M', 0x32, false, u"M"},
    {VK_OEM_COMMA, 0x33, false, u","},     {VK_OEM_PERIOD, 0x34, false, u"."},
    {VK_OEM_2, 0x35, false, u"/"},         {VK_RSHIFT, 0x36, false, u"Right Shift"},
    {VK_MULTIPLY, 0x37, false, u"Num *"},  {VK_MENU, 0x38, false, u"Alt"},
    {VK_SPACE, 0x39, false, u"Space"},     {VK_CAPITAL, 0x3A, false, u"Caps Lock"},
    {VK_F1, 0x3B, false, u"F1"},           {VK_F2, 0x3C, false, u"F2"},
    {VK_F3, 0x3D, false, u"F3"},           {VK_F4, 0x3E, false, u"F4"},
    {VK_F5, 0x3F, false, u"F5"},           {VK_F6, 0x40, false, u"F6"},
    {VK_F7, 0x41, false, u"F7"},           {VK_F8, 0x42, false, u"F8"},
    {VK_F9, 0x43, false, u"F9"},           {VK_F10, 0x44, false, u"F10"},
    {VK_NUMLOCK, 0x45, true, u"Num Lock"}, {VK_SCROLL, 0x46, false, u"Scroll Lock"},
    {VK_HOME, 0x47, true, u"Home"},        {VK_UP, 0x48, true, u"Up"},
    {VK_PRIOR, 0x49, true, u"Page Up"},    {VK_SUBTRACT, 0x4A, false, u"Num -"},
    {VK_LEFT, 0x4B, true, u"Left"},        {VK_RIGHT, 0x4D, true, u"Right"},
    {VK_ADD, 0x4E, false, u"Num +"},       {VK_END, 0x4F, true, u"End"},
    {VK_DOWN, 0x50, true, u"Down"},        {VK_NEXT, 0x51, true, u"Page Down"},
    {VK_INSERT, 0x52, true, u"Insert"},    {VK_DELETE, 0x53, true, u"Delete"},
    {VK_F11, 0x57, false, u"F11"},         {VK_F12, 0x58, false, u"F12"},
    {VK_LWIN, 0x5B, true, u"Left Windows"}, {VK_RWIN, 0x5C, true, u"Right Windows"},
    {VK_APPS, 0x5D, true, u"Application"}, {VK_DIVIDE, 0x35, true, u"Num /"},
    {VK_LSHIFT, 0x2A, false, u"Shift"},    {VK_LCONTROL, 0x1D, false, u"Ctrl"},
    {VK_RCONTROL, 0x1D, true, u"Right Ctrl"}, {VK_LMENU, 0x38, false, u"Alt"},
    {VK_RMENU, 0x38, true, u"Right Alt"},
    // The keypad shares its scan codes with the navigation keys, which are the extended ones.
    {VK_NUMPAD0 + 7, 0x47, false, u"Num 7"},   {VK_NUMPAD0 + 8, 0x48, false, u"Num 8"},
    {VK_NUMPAD0 + 9, 0x49, false, u"Num 9"},   {VK_NUMPAD0 + 4, 0x4B, false, u"Num 4"},
    {VK_NUMPAD0 + 5, 0x4C, false, u"Num 5"},   {VK_CLEAR, 0x4C, false, u"Num 5"},
    {VK_NUMPAD0 + 6, 0x4D, false, u"Num 6"},   {VK_NUMPAD0 + 1, 0x4F, false, u"Num 1"},
    {VK_NUMPAD0 + 2, 0x50, false, u"Num 2"},   {VK_NUMPAD0 + 3, 0x51, false, u"Num 3"},
    {VK_NUMPAD0, 0x52, false, u"Num 0"},   {VK_DECIMAL, 0x53, false, u"Num Del"},
    {VK_RETURN, 0x1C, true, u"Num Enter"},
};

// A keypad key as the layout maps its scan code: the navigation key it is without Num Lock.
UINT WithoutNumLock(UINT vk)
{
    static const BYTE nav[] = {VK_INSERT, VK_END, VK_DOWN, VK_NEXT, VK_LEFT, VK_CLEAR, VK_RIGHT, VK_HOME, VK_UP, VK_PRIOR};
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9)
        return nav[vk - VK_NUMPAD0];
    return vk == VK_DECIMAL ? VK_DELETE : vk;
}

const ScanEntry* ByVk(UINT vk)
{
    for (auto& e : kScans)
        if (e.vk == vk)
            return &e;
    return nullptr;
}

} // namespace

void InjectMouse(UINT msg, POINT pt, int wheel)
{
    Guard lk(Lock());
    auto& s = S();
    s.cursor = pt;
    if (int vk = ButtonVk(msg))
        SetKey(s.async, vk, IsButtonDown(msg));
    HWND target = s.capture && Find(s.capture) ? s.capture : WindowFromPointLocked(pt);
    if (!target) {
        // Over no window: the active window's thread reads it, in case a capture taken before
        // then claims it.
        for (HWND h : Find(Desktop())->children) {
            Window* w = Find(h);
            auto q = w ? QueueOf(w->tid) : nullptr;
            if (q && q->active == h) {
                target = h;
                break;
            }
        }
    }
    if (msg == WM_MOUSEWHEEL) {
        // The wheel goes to the focus window of the thread that owns the window under the cursor.
        Window* w = Find(target);
        if (auto q = w ? QueueOf(w->tid) : nullptr; q && q->focus)
            target = q->focus;
    }
    if (!target)
        return;
    WPARAM wp = MouseKeys(s.async);
    if (msg == WM_MOUSEWHEEL)
        wp |= (WPARAM)(WORD)(SHORT)wheel << 16;
    PostInput(InputEvent{msg, target, pt, wp, 0, Now(), HTCLIENT});
}

void InjectKey(UINT vk, bool down, char32_t typed)
{
    Guard lk(Lock());
    auto& s = S();
    vk &= 0xFF;
    bool prev = (s.async[vk] & 0x80) != 0;
    SetKeyWithGeneric(s.async, (int)vk, down);
    bool alt = (s.async[VK_MENU] & 0x80) != 0, ctrl = (s.async[VK_CONTROL] & 0x80) != 0;
    const ScanEntry* e = ByVk(vk);
    LPARAM lp = 1 | ((LPARAM)(e ? e->scan : 0) << 16) | ((e && e->ext) ? (1 << 24) : 0);
    if (alt && !ctrl)
        lp |= 1 << 29;
    if (prev)
        lp |= 1 << 30;
    if (!down)
        lp |= (1 << 30) | (LPARAM)(1u << 31);
    // Keys go to the focus window of the active window's thread; without a focus window the
    // active window itself gets them in their system form.
    HWND active = nullptr;
    std::shared_ptr<Queue> q;
    for (HWND h : Find(Desktop())->children) {
        Window* w = Find(h);
        if (!w)
            continue;
        auto wq = QueueOf(w->tid);
        if (wq && wq->active == h) {
            active = h;
            q = wq;
            break;
        }
    }
    if (!q)
        return;
    HWND target = q->focus ? q->focus : active;
    // Messages name the generic modifier; the side is in the scan code and the key state.
    UINT generic = (vk == VK_LSHIFT || vk == VK_RSHIFT)       ? VK_SHIFT
                   : (vk == VK_LCONTROL || vk == VK_RCONTROL) ? VK_CONTROL
                   : (vk == VK_LMENU || vk == VK_RMENU)       ? VK_MENU
                                                              : vk;
    bool sys = (alt && !ctrl) || generic == VK_F10 || generic == VK_MENU || !q->focus;
    UINT msg = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
    InputEvent ev{msg, target, s.cursor, (WPARAM)generic, lp, Now(), 0};
    if (generic != vk)
        ev.sideVk = vk;
    if (down && !alt && !ctrl)
        ev.typed = typed;
    PostInput(ev);
}

void InjectChar(char16_t c)
{
    Guard lk(Lock());
    for (HWND h : Find(Desktop())->children) {
        Window* w = Find(h);
        auto q = w ? QueueOf(w->tid) : nullptr;
        if (q && q->active == h) {
            PostInput(InputEvent{WM_CHAR, q->focus ? q->focus : h, S().cursor, (WPARAM)c, 1, Now(), 0});
            return;
        }
    }
}

POINT CursorPos()
{
    return S().cursor;
}

void FollowKeyRead(Queue& q, const InputEvent& ev)
{
    // The key state follows every key read, even one whose window is gone or that a hook
    // eats, so a modifier never stays down for the thread.
    if (ev.msg < WM_KEYFIRST || ev.msg > WM_KEYLAST)
        return;
    Guard lk(Lock());
    bool down = ev.msg == WM_KEYDOWN || ev.msg == WM_SYSKEYDOWN;
    bool key = down || ev.msg == WM_KEYUP || ev.msg == WM_SYSKEYUP;
    if (key)
        SetKeyWithGeneric(q.keys, (int)(ev.sideVk ? ev.sideVk : ev.wParam), down);
    if (down) {
        q.typedKey = MSG{nullptr, ev.msg, ev.wParam, ev.lParam, ev.time, {}};
        q.typed = ev.typed;
    }
}

bool CookInput(Queue& q, const InputEvent& ev, MSG* out, bool remove)
{
    if (remove)
        FollowKeyRead(q, ev);
    if (!IsWindow(ev.hwnd))
        return false;
    if (ev.msg >= WM_KEYFIRST && ev.msg <= WM_KEYLAST) {
        HWND target = ev.hwnd;
        UINT msg = ev.msg;
        bool text = ev.msg == WM_CHAR;
        {
            // Keys go to the window that has the focus when they are read, and take their system
            // form for want of a focus only if there is none then: a click read just before them
            // may have given the focus after they were pressed.
            Guard lk(Lock());
            bool focused = Find(q.focus) != nullptr;
            if (focused)
                target = q.focus;
            else if (Find(q.active))
                target = q.active;
            if (!text) {
                bool down = ev.msg == WM_KEYDOWN || ev.msg == WM_SYSKEYDOWN;
                bool sys = (ev.lParam & (1 << 29)) || ev.wParam == VK_F10 || ev.wParam == VK_MENU || !focused;
                msg = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
            }
        }
        if (!text && HasHooks(WH_KEYBOARD) &&
            CallHooks(WH_KEYBOARD, remove ? HC_ACTION : HC_NOREMOVE, ev.wParam, ev.lParam))
            return false;
        *out = MSG{target, msg, ev.wParam, ev.lParam, ev.time, ev.pt};
        return IsWindow(target);
    }

    // The thread was chosen when the event came in; the window is chosen now, as the event is read,
    // so a capture taken by the handler of an earlier event applies to the events queued after it.
    HWND hwnd = ev.hwnd;
    bool captured = false;
    {
        Guard lk(Lock());
        Window* cap = Find(S().capture);
        if (cap && cap->tid == q.tid) {
            if (ev.msg != WM_MOUSEWHEEL)
                hwnd = S().capture;
            captured = hwnd == S().capture;
        } else if (ev.msg != WM_MOUSEWHEEL) {
            HWND under = WindowFromPointLocked(ev.pt);
            Window* u = Find(under);
            if (!u || u->tid != q.tid)
                return false; // over nothing of this thread any more
            // A disabled window takes no mouse input, nor do the windows inside it: while a modal dialog
            // has disabled its owner, clicks on the owner's controls come to nothing.
            for (Window* a = u; a; a = Find(a->parent))
                if (a->style & WS_DISABLED)
                    return false;
            hwnd = under;
        }
    }
    int hit = HTCLIENT;
    if (!captured && ev.msg != WM_MOUSEWHEEL) {
        hit = (int)SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(ev.pt.x, ev.pt.y));
        // A window that calls itself transparent passes the event to the window of this thread
        // beneath it: a sibling lower down, else its parent. Each window is asked once.
        std::vector<HWND> passed;
        while (hit == HTTRANSPARENT) {
            passed.push_back(hwnd);
            HWND below;
            {
                Guard lk(Lock());
                below = WindowFromPointLocked(ev.pt, &passed);
                Window* b = Find(below);
                if (!b || b->tid != q.tid)
                    below = nullptr;
            }
            if (!below)
                break;
            hwnd = below;
            hit = (int)SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(ev.pt.x, ev.pt.y));
        }
        if (!IsWindow(hwnd))
            return false;
    }
    UINT msg = ev.msg;
    WPARAM wp = ev.wParam;
    POINT client = ev.pt;
    ScreenToClient(hwnd, &client);
    LPARAM lp = MAKELPARAM(client.x, client.y);
    bool nc = hit != HTCLIENT && msg != WM_MOUSEWHEEL;
    if (msg == WM_MOUSEWHEEL) {
        lp = MAKELPARAM(ev.pt.x, ev.pt.y);
    } else if (nc) {
        msg = msg - WM_MOUSEMOVE + WM_NCMOUSEMOVE;
        wp = (WPARAM)hit;
        lp = MAKELPARAM(ev.pt.x, ev.pt.y);
    }
    if (IsButtonDown(ev.msg)) {
        Guard lk(Lock());
        Window* w = Find(hwnd);
        bool allowed = w && (nc || (w->cls->style & CS_DBLCLKS));
        bool isDouble = allowed && q.lastDownMsg == ev.msg && q.lastDownHwnd == hwnd &&
                        ev.time - q.lastDownTime <= GetDoubleClickTime() &&
                        std::abs(ev.pt.x - q.lastDownPt.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                        std::abs(ev.pt.y - q.lastDownPt.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
        if (isDouble)
            msg += 2; // the button-down message becomes its double-click form
        if (remove) {
            if (isDouble) {
                q.lastDownMsg = 0;
            } else {
                q.lastDownMsg = ev.msg;
                q.lastDownHwnd = hwnd;
                q.lastDownTime = ev.time;
                q.lastDownPt = ev.pt;
            }
        }
    }
    if (HasHooks(WH_MOUSE)) {
        MOUSEHOOKSTRUCT mhs{ev.pt, hwnd, (UINT)hit, 0};
        if (CallHooks(WH_MOUSE, remove ? HC_ACTION : HC_NOREMOVE, msg, (LPARAM)&mhs))
            return false;
    }
    if (remove) {
        HWND leave = nullptr;
        {
            Guard lk(Lock());
            if (int vk = ButtonVk(ev.msg))
                SetKey(q.keys, vk, IsButtonDown(ev.msg));
            if (q.trackLeave && (q.trackLeave != hwnd || nc)) {
                leave = q.trackLeave;
                q.trackLeave = nullptr;
            }
            if (q.trackHover) {
                if (q.trackHover != hwnd)
                    q.trackHover = nullptr;
                else if (ev.msg == WM_MOUSEMOVE && (std::abs(ev.pt.x - q.hoverPt.x) > 2 ||
                                                    std::abs(ev.pt.y - q.hoverPt.y) > 2)) {
                    q.hoverPt = ev.pt;
                    q.hoverStart = ev.time;
                }
            }
            q.mouseWindow = hwnd;
        }
        if (leave)
            PostMessageW(leave, WM_MOUSELEAVE, 0, 0);
        if (IsButtonDown(ev.msg) && !captured) {
            HWND top = GetAncestor(hwnd, GA_ROOT);
            if (top && top != GetActiveWindow()) {
                LRESULT r = SendMessageW(hwnd, WM_MOUSEACTIVATE, (WPARAM)top, MAKELPARAM(hit, ev.msg));
                if ((r == MA_ACTIVATE || r == MA_ACTIVATEANDEAT) && IsWindowEnabled(top))
                    ActivateWindow(top, true);
                if (r == MA_ACTIVATEANDEAT || r == MA_NOACTIVATEANDEAT)
                    return false;
            }
        }
        if (!captured && ev.msg != WM_MOUSEWHEEL && IsWindow(hwnd))
            SendMessageW(hwnd, WM_SETCURSOR, (WPARAM)hwnd, MAKELPARAM(hit, ev.msg));
    }
    *out = MSG{hwnd, msg, wp, lp, ev.time, ev.pt};
    return IsWindow(hwnd);
}

bool CheckHover(Queue& q)
{
    if (!q.trackHover || (LONG)(Now() - q.hoverStart) < (LONG)q.hoverTime)
        return false;
    HWND h = q.trackHover;
    q.trackHover = nullptr;
    Window* w = Find(h);
    if (!w)
        return false;
    POINT o = ClientOrigin(h);
    POINT c{S().cursor.x - o.x, S().cursor.y - o.y};
    q.posted.push_back(MSG{h, WM_MOUSEHOVER, MouseKeys(q.keys), MAKELPARAM(c.x, c.y), Now(), S().cursor});
    return true;
}

void MouseLeftWindow(Queue& q, HWND newWindow)
{
    if (q.trackLeave && q.trackLeave != newWindow) {
        q.posted.push_back(MSG{q.trackLeave, WM_MOUSELEAVE, 0, 0, Now(), S().cursor});
        q.trackLeave = nullptr;
    }
}

void ActivateWindow(HWND hwnd, bool mouse)
{
    auto q = MyQueue();
    HWND old;
    {
        Guard lk(Lock());
        if (hwnd) {
            Window* w = Find(hwnd);
            if (!w)
                return;
            if (!IsTopLevel(w))
                hwnd = RootOf(hwnd);
        }
        old = q->active;
        if (old == hwnd)
            return;
    }
    if (HasHooks(WH_CBT)) {
        CBTACTIVATESTRUCT cbt{mouse, old};
        if (CallHooks(WH_CBT, HCBT_ACTIVATE, (WPARAM)hwnd, (LPARAM)&cbt))
            return;
    }
    {
        Guard lk(Lock());
        q->active = hwnd;
        if (Window* w = Find(hwnd)) {
            HWND rootOwner = hwnd;
            for (Window* x = w; x && x->owner; x = Find(x->owner))
                rootOwner = x->owner;
            if (Window* ro = Find(rootOwner))
                ro->lastActivePopup = hwnd;
        }
    }
    if (Presenter* p = CurrentPresenter())
        p->Activated(hwnd);
    if (old && IsWindow(old)) {
        SendMessageW(old, WM_NCACTIVATE, FALSE, 0);
        SendMessageW(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, IsIconic(old)), (LPARAM)hwnd);
    }
    if (!hwnd) {
        SetFocus(nullptr);
        return;
    }
    if (!IsWindow(hwnd) || GetActiveWindow() != hwnd)
        return;
    SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (!old)
        SendMessageW(hwnd, WM_ACTIVATEAPP, TRUE, 0);
    SendMessageW(hwnd, WM_NCACTIVATE, TRUE, 0);
    SendMessageW(hwnd, WM_ACTIVATE, MAKEWPARAM(mouse ? WA_CLICKACTIVE : WA_ACTIVE, IsIconic(hwnd)), (LPARAM)old);
}

void FocusOnDestroy(HWND hwnd)
{
    HWND focus = GetFocus();
    if (focus && (focus == hwnd || IsChild(hwnd, focus))) {
        HWND parent = GetAncestor(hwnd, GA_PARENT);
        if (parent == GetDesktopWindow())
            parent = nullptr;
        SetFocus(parent);
    }
    if (GetActiveWindow() == hwnd) {
        HWND next = nullptr;
        {
            Guard lk(Lock());
            Window* w = Find(hwnd);
            if (w && w->owner && IsVisibleChain(w->owner) && !(Find(w->owner)->style & WS_DISABLED))
                next = w->owner;
            else
                for (HWND h : Find(Desktop())->children) {
                    Window* o = Find(h);
                    if (h != hwnd && o && !o->destroying && (o->style & WS_VISIBLE) && o->tid == CurrentTid() &&
                        !(o->style & WS_DISABLED)) {
                        next = h;
                        break;
                    }
                }
        }
        ActivateWindow(next, false);
    }
}

} // namespace user

using namespace user;

SHORT GetKeyState(int vk)
{
    auto q = MyQueue();
    Guard lk(Lock());
    BYTE k = q->keys[vk & 0xFF];
    return (SHORT)(((k & 0x80) ? 0x8000 : 0) | (k & 0x01));
}

SHORT GetAsyncKeyState(int vk)
{
    Guard lk(Lock());
    return (S().async[vk & 0xFF] & 0x80) ? (SHORT)0x8000 : 0;
}

BOOL GetKeyboardState(PBYTE keyState)
{
    if (!keyState)
        return FALSE;
    auto q = MyQueue();
    Guard lk(Lock());
    std::copy_n(q->keys, 256, keyState);
    return TRUE;
}

BOOL SetKeyboardState(PBYTE keyState)
{
    if (!keyState)
        return FALSE;
    auto q = MyQueue();
    Guard lk(Lock());
    std::copy_n(keyState, 256, q->keys);
    return TRUE;
}

UINT MapVirtualKeyW(UINT code, UINT mapType)
{
    switch (mapType) {
    case MAPVK_VK_TO_VSC:
        if (const ScanEntry* e = ByVk(code))
            return e->scan;
        return 0;
    case MAPVK_VSC_TO_VK:
    case MAPVK_VSC_TO_VK_EX:
        for (auto& e : kScans)
            if (e.scan == code && !e.ext)
                return mapType == MAPVK_VSC_TO_VK && (e.vk == VK_LSHIFT || e.vk == VK_RSHIFT) ? VK_SHIFT
                                                                                             : WithoutNumLock(e.vk);
        return 0;
    case MAPVK_VK_TO_CHAR: {
        BYTE none[256]{};
        WCHAR c[2];
        int n = ToUnicodeEx(code, 0, none, c, 2, 0, nullptr);
        if (n == 1 && c[0] >= u'a' && c[0] <= u'z')
            return c[0] - 32;
        return n == 1 ? c[0] : 0;
    }
    }
    return 0;
}

int ToUnicodeEx(UINT vk, UINT scanCode, const BYTE* keyState, LPWSTR buffer, int bufferSize, UINT flags,
                HANDLE layout)
{
    if (!keyState || !buffer || bufferSize <= 0 || (scanCode & 0x8000))
        return 0;
    bool shift = keyState[VK_SHIFT] & 0x80, ctrl = keyState[VK_CONTROL] & 0x80, alt = keyState[VK_MENU] & 0x80;
    bool caps = keyState[VK_CAPITAL] & 0x01;
    WCHAR c = 0;
    if (ctrl && alt)
        return 0;
    if (vk >= 'A' && vk <= 'Z') {
        c = ctrl ? (WCHAR)(vk - 'A' + 1) : (shift != caps) ? (WCHAR)vk : (WCHAR)(vk + 32);
    } else if (ctrl) {
        switch (vk) {
        case VK_RETURN: c = 0x0A; break;
        case VK_BACK: c = 0x7F; break;
        case VK_ESCAPE: c = 0x1B; break;
        case VK_SPACE: c = u' '; break;
        case VK_OEM_4: c = 0x1B; break;
        case VK_OEM_5: c = 0x1C; break;
        case VK_OEM_6: c = 0x1D; break;
        }
    } else if (vk >= '0' && vk <= '9') {
        static const char16_t shifted[] = u")!@#$%^&*(";
        c = shift ? shifted[vk - '0'] : (WCHAR)vk;
    } else if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) {
        c = (WCHAR)(u'0' + vk - VK_NUMPAD0);
    } else {
        struct Pair {
            UINT vk;
            char16_t plain, shifted;
        };
        static const Pair pairs[] = {
            {VK_SPACE, u' ', u' '},       {VK_RETURN, u'\r', u'\r'},   {VK_BACK, u'\b', u'\b'},
            {VK_TAB, u'\t', u'\t'},       {VK_ESCAPE, 0x1B, 0x1B},      {VK_OEM_1, u';', u':'},
            {VK_OEM_PLUS, u'=', u'+'},    {VK_OEM_COMMA, u',', u'<'},  {VK_OEM_MINUS, u'-', u'_'},
            {VK_OEM_PERIOD, u'.', u'>'},  {VK_OEM_2, u'/', u'?'},      {VK_OEM_3, u'`', u'~'},
            {VK_OEM_4, u'[', u'{'},       {VK_OEM_5, u'\\', u'|'},     {VK_OEM_6, u']', u'}'},
            {VK_OEM_7, u'\'', u'"'},      {VK_MULTIPLY, u'*', u'*'},   {VK_ADD, u'+', u'+'},
            {VK_SUBTRACT, u'-', u'-'},    {VK_DECIMAL, u'.', u'.'},    {VK_DIVIDE, u'/', u'/'},
        };
        for (auto& p : pairs)
            if (p.vk == vk)
                c = shift ? p.shifted : p.plain;
    }
    if (!c)
        return 0;
    buffer[0] = c;
    if (bufferSize > 1)
        buffer[1] = 0;
    return 1;
}

int ToUnicode(UINT vk, UINT scanCode, const BYTE* keyState, LPWSTR buffer, int bufferSize, UINT flags)
{
    return ToUnicodeEx(vk, scanCode, keyState, buffer, bufferSize, flags, nullptr);
}

int GetKeyNameTextW(LONG lParam, LPWSTR buffer, int size)
{
    if (!buffer || size <= 0)
        return 0;
    UINT scan = (lParam >> 16) & 0xFF;
    bool ext = (lParam >> 24) & 1;
    const char16_t* name = nullptr;
    for (auto& e : kScans)
        if (e.scan == scan && e.ext == ext && (e.vk < VK_LSHIFT || e.vk > VK_RMENU || ext)) {
            name = e.name;
            break;
        }
    if (!name) {
        buffer[0] = 0;
        return 0;
    }
    int n = 0;
    while (name[n] && n < size - 1) {
        buffer[n] = name[n];
        ++n;
    }
    buffer[n] = 0;
    return n;
}

BOOL TranslateMessage(const MSG* msg)
{
    if (!msg)
        return FALSE;
    if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)
        return msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST;
    UINT m = msg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
    auto q = MyQueue();
    char32_t typed = 0;
    {
        Guard lk(Lock());
        const MSG& k = q->typedKey;
        if (k.message == msg->message && k.wParam == msg->wParam && k.lParam == msg->lParam && k.time == msg->time)
            typed = q->typed;
    }
    std::u16string chars;
    if (typed) {
        dovemark::kernel::AppendUtf16(chars, typed);
    } else {
        BYTE keys[256];
        GetKeyboardState(keys);
        WCHAR c[2];
        if (ToUnicodeEx((UINT)msg->wParam, (msg->lParam >> 16) & 0xFF, keys, c, 2, 0, nullptr) == 1)
            chars.push_back(c[0]);
    }
    Guard lk(Lock());
    // The characters come next, before anything posted later.
    for (auto it = chars.rbegin(); it != chars.rend(); ++it)
        q->posted.push_front(MSG{msg->hwnd, m, (WPARAM)*it, msg->lParam, msg->time, msg->pt});
    return TRUE;
}

HWND SetCapture(HWND hwnd)
{
    HWND old;
    {
        Guard lk(Lock());
        if (hwnd) {
            Window* w = Find(hwnd);
            if (!w || w->tid != CurrentTid())
                return nullptr;
        }
        old = S().capture;
        if (!Find(old))
            old = nullptr;
        S().capture = hwnd;
    }
    if (Presenter* p = CurrentPresenter())
        p->CaptureChanged(hwnd);
    if (old && old != hwnd)
        SendMessageW(old, WM_CAPTURECHANGED, 0, (LPARAM)hwnd);
    return old;
}

BOOL ReleaseCapture()
{
    HWND old;
    {
        Guard lk(Lock());
        old = S().capture;
        S().capture = nullptr;
    }
    if (Presenter* p = old ? CurrentPresenter() : nullptr)
        p->CaptureChanged(nullptr);
    if (old && IsWindow(old))
        SendMessageW(old, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND GetCapture()
{
    Guard lk(Lock());
    Window* w = Find(S().capture);
    return w && w->tid == CurrentTid() ? S().capture : nullptr;
}

BOOL TrackMouseEvent(LPTRACKMOUSEEVENT tme)
{
    if (!tme || tme->cbSize != sizeof(TRACKMOUSEEVENT)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto q = MyQueue();
    Guard lk(Lock());
    if (tme->dwFlags & TME_QUERY) {
        tme->dwFlags = 0;
        tme->hwndTrack = nullptr;
        if (q->trackLeave) {
            tme->dwFlags |= TME_LEAVE;
            tme->hwndTrack = q->trackLeave;
        }
        if (q->trackHover) {
            tme->dwFlags |= TME_HOVER;
            tme->hwndTrack = q->trackHover;
            tme->dwHoverTime = q->hoverTime;
        }
        return TRUE;
    }
    Window* w = Find(tme->hwndTrack);
    if (!w || w->tid != q->tid) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (tme->dwFlags & TME_CANCEL) {
        if ((tme->dwFlags & TME_LEAVE) && q->trackLeave == tme->hwndTrack)
            q->trackLeave = nullptr;
        if ((tme->dwFlags & TME_HOVER) && q->trackHover == tme->hwndTrack)
            q->trackHover = nullptr;
        return TRUE;
    }
    bool over = WindowFromPointLocked(S().cursor) == tme->hwndTrack;
    if (tme->dwFlags & TME_LEAVE) {
        if (over) {
            q->trackLeave = tme->hwndTrack;
        } else {
            // Asked while the mouse is already elsewhere: the leave comes at once.
            q->posted.push_back(MSG{tme->hwndTrack, WM_MOUSELEAVE, 0, 0, Now(), S().cursor});
            q->cv.notify_all();
        }
    }
    if ((tme->dwFlags & TME_HOVER) && over) {
        q->trackHover = tme->hwndTrack;
        q->hoverTime = tme->dwHoverTime == HOVER_DEFAULT ? 400 : tme->dwHoverTime;
        q->hoverStart = Now();
        q->hoverPt = S().cursor;
        q->cv.notify_all();
    }
    return TRUE;
}

BOOL _TrackMouseEvent(LPTRACKMOUSEEVENT tme)
{
    return TrackMouseEvent(tme);
}

BOOL DragDetect(HWND hwnd, POINT pt)
{
    // Runs a small capture loop until the mouse leaves the drag rectangle or the button is released.
    RECT r{pt.x - GetSystemMetrics(SM_CXDRAG), pt.y - GetSystemMetrics(SM_CYDRAG),
           pt.x + GetSystemMetrics(SM_CXDRAG) + 1, pt.y + GetSystemMetrics(SM_CYDRAG) + 1};
    ClientToScreen(hwnd, (POINT*)&r.left);
    ClientToScreen(hwnd, (POINT*)&r.right);
    SetCapture(hwnd);
    MSG msg;
    BOOL result = FALSE;
    while (GetCapture() == hwnd && GetMessageW(&msg, nullptr, 0, 0)) {
        if (msg.message == WM_LBUTTONUP || msg.message == WM_RBUTTONUP)
            break;
        if (msg.message == WM_MOUSEMOVE && !PtInRect(&r, msg.pt)) {
            result = TRUE;
            break;
        }
        if (msg.message < WM_MOUSEFIRST || msg.message > WM_MOUSELAST) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (GetCapture() == hwnd)
        ReleaseCapture();
    return result;
}

HCURSOR SetCursor(HCURSOR cursor)
{
    HCURSOR old;
    {
        Guard lk(Lock());
        old = S().cursorHandle;
        S().cursorHandle = cursor;
    }
    if (Presenter* p = old != cursor ? CurrentPresenter() : nullptr)
        p->CursorChanged(cursor);
    return old;
}

HCURSOR GetCursor()
{
    Guard lk(Lock());
    return S().cursorHandle;
}

int ShowCursor(BOOL show)
{
    Guard lk(Lock());
    return show ? ++S().showCount : --S().showCount;
}

BOOL GetCursorPos(LPPOINT pt)
{
    if (!pt)
        return FALSE;
    Guard lk(Lock());
    *pt = S().cursor;
    return TRUE;
}

BOOL SetCursorPos(int x, int y)
{
    Guard lk(Lock());
    RECT scr = ScreenRect();
    S().cursor = POINT{std::clamp<LONG>(x, 0, scr.right - 1), std::clamp<LONG>(y, 0, scr.bottom - 1)};
    return TRUE;
}

BOOL ClipCursor(const RECT* rect)
{
    return TRUE;
}

HWND SetFocus(HWND hwnd)
{
    auto q = MyQueue();
    HWND old;
    {
        Guard lk(Lock());
        if (hwnd) {
            Window* w = Find(hwnd);
            if (!w) {
                SetLastError(ERROR_INVALID_WINDOW_HANDLE);
                return nullptr;
            }
            if (w->tid != q->tid)
                return nullptr;
        }
        old = q->focus;
    }
    if (hwnd) {
        if (HasHooks(WH_CBT) && CallHooks(WH_CBT, HCBT_SETFOCUS, (WPARAM)hwnd, (LPARAM)old))
            return nullptr;
        HWND root = GetAncestor(hwnd, GA_ROOT);
        if (root != GetActiveWindow())
            ActivateWindow(root, false);
        if (!IsWindow(hwnd))
            return nullptr;
    }
    {
        Guard lk(Lock());
        old = q->focus;
        if (old == hwnd)
            return old;
        q->focus = hwnd;
    }
    if (old && IsWindow(old))
        SendMessageW(old, WM_KILLFOCUS, (WPARAM)hwnd, 0);
    if (hwnd && GetFocus() == hwnd)
        SendMessageW(hwnd, WM_SETFOCUS, (WPARAM)old, 0);
    return old;
}

HWND GetFocus()
{
    auto q = MyQueue();
    Guard lk(Lock());
    return Find(q->focus) ? q->focus : nullptr;
}

HWND SetActiveWindow(HWND hwnd)
{
    HWND old = GetActiveWindow();
    if (hwnd) {
        Guard lk(Lock());
        Window* w = Find(hwnd);
        if (!w || w->tid != CurrentTid()) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
    }
    ActivateWindow(hwnd, false);
    return old;
}

HWND GetActiveWindow()
{
    auto q = MyQueue();
    Guard lk(Lock());
    return Find(q->active) ? q->active : nullptr;
}

BOOL SetForegroundWindow(HWND hwnd)
{
    DWORD tid;
    {
        Guard lk(Lock());
        Window* w = Find(hwnd);
        if (!w)
            return FALSE;
        tid = w->tid;
    }
    if (tid == CurrentTid())
        ActivateWindow(hwnd, false);
    return TRUE;
}

HWND GetForegroundWindow()
{
    Guard lk(Lock());
    for (HWND h : Find(Desktop())->children) {
        Window* w = Find(h);
        auto q = w ? QueueOf(w->tid) : nullptr;
        if (q && q->active == h)
            return h;
    }
    return nullptr;
}

BOOL EnableWindow(HWND hwnd, BOOL enable)
{
    bool wasDisabled;
    {
        Guard lk(Lock());
        Window* w = Find(hwnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        wasDisabled = (w->style & WS_DISABLED) != 0;
        if (wasDisabled == !enable)
            return wasDisabled;
        if (enable)
            w->style &= ~WS_DISABLED;
        else
            w->style |= WS_DISABLED;
    }
    if (!enable) {
        HWND f = GetFocus();
        if (f && (f == hwnd || IsChild(hwnd, f)))
            SetFocus(nullptr);
        HWND c = GetCapture();
        if (c && (c == hwnd || IsChild(hwnd, c)))
            ReleaseCapture();
    }
    SendMessageW(hwnd, WM_ENABLE, enable, 0);
    return wasDisabled;
}
