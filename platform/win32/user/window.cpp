// Windows: creation and destruction sequences, the window tree, texts, window longs and properties.
#include "win32/user/internal.h"

#include <algorithm>
#include <cstring>
#include <unistd.h>

namespace user {

namespace {

LONG_PTR ReadExtra(const Window* w, int index, size_t size, bool* ok)
{
    *ok = index >= 0 && (size_t)index + size <= w->extra.size();
    if (!*ok)
        return 0;
    LONG_PTR v = 0;
    memcpy(&v, w->extra.data() + index, size);
    if (size == 4)
        v = (LONG)v;
    return v;
}

void Unlink(Window* w)
{
    if (Window* p = Find(w->parent)) {
        auto& c = p->children;
        c.erase(std::remove(c.begin(), c.end(), w->hwnd), c.end());
    }
}

// Places a window in its parent's z-order: topmost windows stay above the others.
void Link(Window* w, HWND after)
{
    Window* p = Find(w->parent);
    if (!p)
        return;
    auto& c = p->children;
    c.erase(std::remove(c.begin(), c.end(), w->hwnd), c.end());
    bool topmost = IsTopLevel(w) && (w->exStyle & WS_EX_TOPMOST);
    auto firstNonTopmost = [&]() {
        return std::find_if(c.begin(), c.end(), [](HWND h) {
            Window* x = Find(h);
            return !x || !(x->exStyle & WS_EX_TOPMOST) || !IsTopLevel(x);
        });
    };
    if (after == HWND_TOP || after == HWND_TOPMOST) {
        c.insert(topmost ? c.begin() : firstNonTopmost(), w->hwnd);
    } else if (after == HWND_BOTTOM) {
        c.push_back(w->hwnd);
    } else if (after == HWND_NOTOPMOST) {
        c.insert(firstNonTopmost(), w->hwnd);
    } else {
        auto it = std::find(c.begin(), c.end(), after);
        if (it == c.end())
            c.insert(topmost ? c.begin() : firstNonTopmost(), w->hwnd);
        else
            c.insert(it + 1, w->hwnd);
    }
}

void SendParentNotify(HWND hwnd, UINT event)
{
    // The notification climbs to every ancestor until a window without WS_CHILD or one that asks
    // not to be notified.
    for (;;) {
        HWND parent;
        LONG_PTR id;
        {
            Guard lk(Lock());
            Window* w = Find(hwnd);
            if (!w || !(w->style & WS_CHILD) || (w->exStyle & WS_EX_NOPARENTNOTIFY))
                return;
            parent = w->parent;
            id = w->id;
        }
        CallProcDirect(parent, WM_PARENTNOTIFY, MAKEWPARAM(event, id), (LPARAM)hwnd);
        hwnd = parent;
    }
}

void Free(HWND hwnd)
{
    Guard lk(Lock());
    Window* w = Find(hwnd);
    if (!w)
        return;
    if (auto q = QueueOf(w->tid)) {
        auto& t = q->timers;
        t.erase(std::remove_if(t.begin(), t.end(), [&](const Timer& x) { return x.hwnd == hwnd; }), t.end());
        if (q->focus == hwnd)
            q->focus = nullptr;
        if (q->active == hwnd)
            q->active = nullptr;
        if (q->trackLeave == hwnd)
            q->trackLeave = nullptr;
        if (q->trackHover == hwnd)
            q->trackHover = nullptr;
        if (q->mouseWindow == hwnd)
            q->mouseWindow = nullptr;
        if (q->caretHwnd == hwnd) {
            q->caretHwnd = nullptr;
            q->caretOn = false;
        }
    }
    OnWindowDestroyed(w);
    Unlink(w);
    w->cls->windows--;
    // Owned windows outlive nothing: any owner link to this window is cleared.
    for (HWND h : AllWindows())
        if (Window* o = Find(h)) {
            if (o->owner == hwnd)
                o->owner = nullptr;
            if (o->lastActivePopup == hwnd)
                o->lastActivePopup = nullptr;
        }
    RemoveWindow(hwnd);
}

void SendDestroy(HWND hwnd)
{
    CallProcDirect(hwnd, WM_DESTROY, 0, 0);
    std::vector<HWND> kids;
    {
        Guard lk(Lock());
        if (Window* w = Find(hwnd))
            kids = w->children;
    }
    for (HWND k : kids)
        if (IsWindow(k))
            SendDestroy(k);
}

void SendNcDestroy(HWND hwnd)
{
    std::vector<HWND> kids;
    {
        Guard lk(Lock());
        if (Window* w = Find(hwnd))
            kids = w->children;
    }
    for (HWND k : kids)
        SendNcDestroy(k);
    CallProcDirect(hwnd, WM_NCDESTROY, 0, 0);
    bool top;
    {
        Guard lk(Lock());
        top = IsTopLevel(Find(hwnd));
    }
    Free(hwnd);
    if (Presenter* p = top ? CurrentPresenter() : nullptr)
        p->Destroyed(hwnd);
}

} // namespace

void DestroyThreadWindows(DWORD tid)
{
    // The thread is gone, so its windows cannot run handlers: they are freed without messages.
    std::vector<HWND> tops;
    {
        Guard lk(Lock());
        for (HWND h : AllWindows()) {
            Window* w = Find(h);
            if (!w || w->tid != tid || h == Desktop())
                continue;
            w->destroying = true;
        }
        bool again = true;
        while (again) {
            again = false;
            for (HWND h : AllWindows()) {
                Window* w = Find(h);
                if (!w || w->tid != tid || h == Desktop() || !w->children.empty())
                    continue;
                if (IsTopLevel(w))
                    tops.push_back(h);
                OnWindowDestroyed(w);
                Unlink(w);
                w->cls->windows--;
                RemoveWindow(h);
                again = true;
            }
        }
    }
    if (Presenter* p = tops.empty() ? nullptr : CurrentPresenter())
        for (HWND h : tops)
            p->Destroyed(h);
}

} // namespace user

using namespace user;

HWND GetDesktopWindow()
{
    Guard lk(Lock());
    return Desktop();
}

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param)
{
    auto q = MyQueue();
    auto w = std::make_shared<Window>();
    HWND hwnd;
    HWND insertAfter = HWND_TOP;
    {
        Guard lk(Lock());
        HWND desk = Desktop();
        auto cls = FindClass(className, instance);
        if (!cls) {
            SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
            return nullptr;
        }
        if (parent == HWND_MESSAGE)
            parent = nullptr;
        if (style & WS_CHILD) {
            if (!Find(parent) || parent == desk) {
                SetLastError(parent ? ERROR_INVALID_WINDOW_HANDLE : 1406 /* child without a parent */);
                return nullptr;
            }
            w->parent = parent;
            w->id = (LONG_PTR)menu;
            insertAfter = HWND_BOTTOM;
        } else {
            if (parent && !Find(parent)) {
                SetLastError(ERROR_INVALID_WINDOW_HANDLE);
                return nullptr;
            }
            w->parent = desk;
            w->owner = parent ? RootOf(parent) : nullptr;
            w->menu = menu;
            if (!(style & WS_POPUP))
                style |= WS_CAPTION | WS_CLIPSIBLINGS; // overlapped windows always have a caption
        }
        w->cls = cls;
        w->proc = cls->proc;
        w->style = style & ~WS_VISIBLE;
        w->exStyle = exStyle;
        if ((style & WS_CAPTION) == WS_CAPTION || (exStyle & WS_EX_DLGMODALFRAME) || (style & WS_THICKFRAME))
            w->exStyle |= WS_EX_WINDOWEDGE;
        w->instance = instance;
        w->tid = q->tid;
        w->extra.assign((size_t)cls->wndExtra, 0);
        w->hbar.shown = (style & WS_HSCROLL) != 0;
        w->vbar.shown = (style & WS_VSCROLL) != 0;
        hwnd = AddWindow(w);
        if (!hwnd) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        cls->windows++;
        if (!(style & WS_CHILD)) {
            RECT scr = ScreenRect();
            if (x == CW_USEDEFAULT) {
                x = 22;
                y = 22;
            }
            if (width == CW_USEDEFAULT) {
                width = Width(scr) * 3 / 4;
                height = Height(scr) * 3 / 4;
            }
        } else {
            if (x == CW_USEDEFAULT)
                x = y = 0;
            if (width == CW_USEDEFAULT)
                width = height = 0;
        }
        w->rcWindow = RECT{x, y, x + width, y + height};
        w->rcClient = w->rcWindow;
        w->normalRect = w->rcWindow;
        Link(w.get(), insertAfter);
    }

    CREATESTRUCTW cs{param, instance, menu, parent, height, width, y, x, (LONG)style, windowName, className, exStyle};
    auto fail = [&]() -> HWND {
        Guard lk(Lock());
        if (Window* x = Find(hwnd)) {
            OnWindowDestroyed(x);
            Unlink(x);
            x->cls->windows--;
            RemoveWindow(hwnd);
        }
        return nullptr;
    };
    if (HasHooks(WH_CBT)) {
        CBT_CREATEWNDW cbt{&cs, insertAfter};
        if (CallHooks(WH_CBT, HCBT_CREATEWND, (WPARAM)hwnd, (LPARAM)&cbt))
            return fail();
        if (!IsWindow(hwnd))
            return nullptr;
    }

    if (!(style & WS_CHILD)) {
        MINMAXINFO mmi{};
        mmi.ptMaxSize = {GetSystemMetrics(SM_CXMAXIMIZED), GetSystemMetrics(SM_CYMAXIMIZED)};
        mmi.ptMaxPosition = {-4, -4};
        mmi.ptMinTrackSize = {GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
        mmi.ptMaxTrackSize = {GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
        CallProcDirect(hwnd, WM_GETMINMAXINFO, 0, (LPARAM)&mmi);
        if (cs.cx > mmi.ptMaxTrackSize.x)
            cs.cx = mmi.ptMaxTrackSize.x;
        if (cs.cy > mmi.ptMaxTrackSize.y)
            cs.cy = mmi.ptMaxTrackSize.y;
        if (cs.cx < 0)
            cs.cx = 0;
        if (cs.cy < 0)
            cs.cy = 0;
        Guard lk(Lock());
        if (Window* x = Find(hwnd)) {
            x->rcWindow = RECT{cs.x, cs.y, cs.x + cs.cx, cs.y + cs.cy};
            x->rcClient = x->rcWindow;
            x->normalRect = x->rcWindow;
        }
    }

    if (!CallProcDirect(hwnd, WM_NCCREATE, 0, (LPARAM)&cs)) {
        if (IsWindow(hwnd))
            CallProcDirect(hwnd, WM_NCDESTROY, 0, 0);
        fail();
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    RECT rc;
    {
        Guard lk(Lock());
        Window* x = Find(hwnd);
        if (!x)
            return nullptr;
        x->created = true;
        rc = x->rcWindow;
    }
    CallProcDirect(hwnd, WM_NCCALCSIZE, FALSE, (LPARAM)&rc);
    {
        Guard lk(Lock());
        Window* x = Find(hwnd);
        if (!x)
            return nullptr;
        if (rc.right < rc.left)
            rc.right = rc.left;
        if (rc.bottom < rc.top)
            rc.bottom = rc.top;
        x->rcClient = rc;
    }
    if (CallProcDirect(hwnd, WM_CREATE, 0, (LPARAM)&cs) == -1) {
        DestroyWindow(hwnd);
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    RECT client, win;
    {
        Guard lk(Lock());
        Window* x = Find(hwnd);
        if (!x)
            return nullptr;
        client = x->rcClient;
        win = x->rcWindow;
    }
    (void)win;
    CallProcDirect(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(Width(client), Height(client)));
    CallProcDirect(hwnd, WM_MOVE, 0, MAKELPARAM(client.left, client.top));
    SendParentNotify(hwnd, WM_CREATE);
    if (!IsWindow(hwnd))
        return nullptr;
    if (style & WS_VISIBLE) {
        int cmd = (style & WS_MAXIMIZE) ? SW_SHOWMAXIMIZED : (style & WS_MINIMIZE) ? SW_SHOWMINIMIZED : SW_SHOW;
        ShowWindow(hwnd, cmd);
    } else if (style & (WS_MAXIMIZE | WS_MINIMIZE)) {
        Guard lk(Lock());
        if (Window* x = Find(hwnd))
            x->style &= ~(WS_MAXIMIZE | WS_MINIMIZE);
    }
    return IsWindow(hwnd) ? hwnd : nullptr;
}

BOOL DestroyWindow(HWND hwnd)
{
    std::vector<HWND> owned;
    {
        Guard lk(Lock());
        Window* w = Find(hwnd);
        if (!w || hwnd == Desktop()) {
            SetLastError(hwnd ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        if (w->tid != CurrentTid()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if (w->destroying)
            return TRUE; // already on its way out: a handler destroying its own window again
        w->destroying = true;
    }
    if (HasHooks(WH_CBT))
        CallHooks(WH_CBT, HCBT_DESTROYWND, (WPARAM)hwnd, 0);
    SendParentNotify(hwnd, WM_DESTROY);
    {
        Guard lk(Lock());
        for (HWND h : AllWindows())
            if (Window* o = Find(h))
                if (o->owner == hwnd && !o->destroying)
                    owned.push_back(h);
    }
    for (HWND h : owned)
        DestroyWindow(h);
    if (IsWindowVisible(hwnd))
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    FocusOnDestroy(hwnd);
    if (GetCapture() && (GetCapture() == hwnd || IsChild(hwnd, GetCapture())))
        ReleaseCapture();
    SendDestroy(hwnd);
    SendNcDestroy(hwnd);
    return TRUE;
}

BOOL IsWindow(HWND hwnd)
{
    Guard lk(Lock());
    return Find(hwnd) != nullptr;
}

BOOL IsWindowVisible(HWND hwnd)
{
    Guard lk(Lock());
    return IsVisibleChain(hwnd);
}

BOOL IsWindowEnabled(HWND hwnd)
{
    Guard lk(Lock());
    Window* w = Find(hwnd);
    return w && !(w->style & WS_DISABLED);
}

BOOL IsChild(HWND parent, HWND hwnd)
{
    Guard lk(Lock());
    Window* w = Find(hwnd);
    while (w && (w->style & WS_CHILD)) {
        if (w->parent == parent)
            return TRUE;
        w = Find(w->parent);
    }
    return FALSE;
}

BOOL IsIconic(HWND hwnd)
{
    Guard lk(Lock());
    Window* w = Find(hwnd);
    return w && (w->style & WS_MINIMIZE);
}

BOOL IsZoomed(HWND hwnd)
{
    Guard lk(Lock());
    Window* w = Find(hwnd);
    return w && (w->style & WS_MAXIMIZE);
}

HWND GetParent(HWND hwnd)
{
    Guard lk(Lock());
    Window* w = Find(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (w->style & WS_CHILD)
        return w->parent;
    if (w->style & WS_POPUP)
        return w->owner;
    return nullptr;
}

HWND SetParent(HWND child, HWND newParent)
{
    HWND old;
    bool visible, wasTop, isTop;
    {
        Guard lk(Lock());
        Window* w = Find(child);
        HWND desk = Desktop();
        if (!newParent)
            newParent = desk;
        Window* p = Find(newParent);
        if (!w || !p || child == desk) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        // A window cannot become a child of its own descendant.
        for (Window* a = p; a; a = Find(a->parent))
            if (a->hwnd == child) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return nullptr;
            }
        old = w->parent;
        wasTop = IsTopLevel(w);
        visible = (w->style & WS_VISIBLE) != 0;
        // Keep the window where it is on screen.
        POINT o = WindowOrigin(child);
        Unlink(w);
        w->parent = newParent;
        POINT po = newParent == desk ? POINT{0, 0} : ClientOrigin(newParent);
        LONG dx = o.x - po.x - w->rcWindow.left, dy = o.y - po.y - w->rcWindow.top;
        OffsetRect(&w->rcWindow, dx, dy);
        OffsetRect(&w->rcClient, dx, dy);
        Link(w, HWND_TOP);
        if (newParent != desk)
            w->owner = nullptr;
        isTop = IsTopLevel(w);
    }
    // The presenter shows top-level windows only: one adopted by another window leaves the desktop,
    // one that becomes top-level joins it.
    if (wasTop && !isTop) {
        if (Presenter* p = CurrentPresenter())
            p->Destroyed(child);
    } else if (!wasTop && isTop) {
        NotifyPlaced(child);
    }
    if (visible) {
        InvalidateInternal(old, nullptr, true, true, false);
        InvalidateInternal(child, nullptr, true, true, true);
    }
    return old;
}

HWND GetWindow(HWND hwnd, UINT cmd)
{
    Guard lk(Lock());
    Window* w = Find(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    switch (cmd) {
    case GW_CHILD: return w->children.empty() ? nullptr : w->children.front();
    case GW_OWNER: return w->owner;
    case GW_ENABLEDPOPUP: return nullptr;
    }
    Window* p = Find(w->parent);
    if (!p)
        return nullptr;
    auto& c = p->children;
    auto it = std::find(c.begin(), c.end(), hwnd);
    switch (cmd) {
    case GW_HWNDFIRST: return c.front();
    case GW_HWNDLAST: return c.back();
    case GW_HWNDNEXT: return (it == c.end() || it + 1 == c.end()) ? nullptr : *(it + 1);
    case GW_HWNDPREV: return (it == c.begin() || it == c.end()) ? nullptr : *(it - 1);
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
}

HWND GetTopWindow(HWND hwnd)
{
    if (!hwnd)
        hwnd = GetDesktopWindow();
    return GetWindow(hwnd, GW_CHILD);
}

HWND GetAncestor(HWND hwnd, UINT flags)
{
    Guard lk(Lock());
    Window* w = Find(hwnd);
    if (!w || hwnd == Desktop())
        return nullptr;
    switch (flags) {
    case GA_PARENT: return w->parent;
    case GA_ROOT: return RootOf(hwnd);
    case GA_ROOTOWNER: {
        HWND r = RootOf(hwnd);
        for (Window* x = Find(r); x && x->owner; x = Find(x->owner))
            r = x->owner;
        return r;
    }
    }
    return nullptr;
}

HWND GetLastActivePopup(HWND hwnd)
{
    Guard lk(Lock());
    Window* w = Find(hwnd);
    if (!w)
        return nullptr;
    if (w->lastActivePopup) {
        Window* p = Find(w->lastActivePopup);
        if (p && (p->style & WS_VISIBLE) && !(p->style & WS_DISABLED))
            return w->lastActivePopup;
    }
    return hwnd;
}

DWORD GetWindowThreadProcessId(HWND hwnd, LPDWORD processId)
{
    Guard lk(Lock());
    Window* w = Find(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (processId)
        *processId = (DWORD)getpid();
    return w->tid ? w->tid : CurrentTid();
}

namespace {
void CollectDescendants(HWND h, std::vector<HWND>& out)
{
    Window* w = Find(h);
    if (!w)
        return;
    for (HWND c : w->children) {
        out.push_back(c);
        CollectDescendants(c, out);
    }
}
} // namespace

BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM lParam)
{
    std::vector<HWND> list;
    {
        Guard lk(Lock());
        CollectDescendants(parent ? parent : Desktop(), list);
    }
    for (HWND h : list)
        if (IsWindow(h) && !proc(h, lParam))
            return FALSE;
    return TRUE;
}

BOOL EnumWindows(WNDENUMPROC proc, LPARAM lParam)
{
    std::vector<HWND> list;
    {
        Guard lk(Lock());
        list = Find(Desktop())->children;
    }
    for (HWND h : list)
        if (IsWindow(h) && !proc(h, lParam))
            return FALSE;
    return TRUE;
}

BOOL EnumThreadWindows(DWORD threadId, WNDENUMPROC proc, LPARAM lParam)
{
    std::vector<HWND> list;
    {
        Guard lk(Lock());
        for (HWND h : Find(Desktop())->children)
            if (Find(h)->tid == threadId)
                list.push_back(h);
    }
    for (HWND h : list)
        if (IsWindow(h) && !proc(h, lParam))
            return FALSE;
    return TRUE;
}

HWND FindWindowExW(HWND parent, HWND childAfter, LPCWSTR className, LPCWSTR windowName)
{
    Guard lk(Lock());
    Window* p = Find(parent ? parent : Desktop());
    if (!p) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    auto& c = p->children;
    auto it = c.begin();
    if (childAfter) {
        it = std::find(c.begin(), c.end(), childAfter);
        if (it == c.end())
            return nullptr;
        ++it;
    }
    std::shared_ptr<WndClass> cls;
    if (className) {
        cls = FindClass(className, nullptr);
        if (!cls)
            return nullptr;
    }
    for (; it != c.end(); ++it) {
        Window* w = Find(*it);
        if (!w)
            continue;
        if (cls && w->cls->name != cls->name)
            continue;
        if (windowName && w->text != windowName)
            continue;
        return *it;
    }
    return nullptr;
}

HWND FindWindowW(LPCWSTR className, LPCWSTR windowName)
{
    return FindWindowExW(nullptr, nullptr, className, windowName);
}

int GetWindowTextW(HWND hwnd, LPWSTR buffer, int maxCount)
{
    if (!buffer || maxCount <= 0)
        return 0;
    buffer[0] = 0;
    DWORD tid;
    {
        Guard lk(Lock());
        Window* w = Find(hwnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        tid = w->tid;
        if (tid != CurrentTid()) {
            // Another thread's window: its text is read directly instead of through a message.
            int n = std::min<int>((int)w->text.size(), maxCount - 1);
            std::copy_n(w->text.begin(), n, buffer);
            buffer[n] = 0;
            return n;
        }
    }
    return (int)SendMessageW(hwnd, WM_GETTEXT, (WPARAM)maxCount, (LPARAM)buffer);
}

int GetWindowTextLengthW(HWND hwnd)
{
    {
        Guard lk(Lock());
        Window* w = Find(hwnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        if (w->tid != CurrentTid())
            return (int)w->text.size();
    }
    return (int)SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
}

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text)
{
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return (BOOL)SendMessageW(hwnd, WM_SETTEXT, 0, (LPARAM)text);
}

LONG_PTR GetWindowLongPtrW(HWND hwnd, int index)
{
    Guard lk(Lock());
    Window* w = Find(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (index >= 0) {
        bool ok;
        LONG_PTR v = ReadExtra(w, index, sizeof(LONG_PTR), &ok);
        if (!ok)
            SetLastError(1413 /* invalid index */);
        return v;
    }
    switch (index) {
    case GWLP_WNDPROC: return (LONG_PTR)w->proc;
    case GWLP_HINSTANCE: return (LONG_PTR)w->instance;
    case GWLP_HWNDPARENT: return (LONG_PTR)((w->style & WS_CHILD) ? w->parent : w->owner);
    case GWLP_ID: return w->id;
    case GWL_STYLE: return (LONG)w->style;
    case GWL_EXSTYLE: return (LONG)w->exStyle;
    case GWLP_USERDATA: return w->userData;
    }
    SetLastError(1413);
    return 0;
}

LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value)
{
    LONG_PTR old;
    {
        Guard lk(Lock());
        Window* w = Find(hwnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        if (index >= 0) {
            bool ok;
            old = ReadExtra(w, index, sizeof(LONG_PTR), &ok);
            if (!ok) {
                SetLastError(1413);
                return 0;
            }
            memcpy(w->extra.data() + index, &value, sizeof(value));
            return old;
        }
        switch (index) {
        case GWLP_WNDPROC:
            old = (LONG_PTR)w->proc;
            w->proc = (WNDPROC)value;
            return old;
        case GWLP_HINSTANCE:
            old = (LONG_PTR)w->instance;
            w->instance = (HINSTANCE)value;
            return old;
        case GWLP_ID:
            old = w->id;
            w->id = value;
            return old;
        case GWLP_USERDATA:
            old = w->userData;
            w->userData = value;
            return old;
        case GWLP_HWNDPARENT: {
            // For a top-level window this sets its owner; the owner is always a top-level window.
            if (w->style & WS_CHILD)
                break;
            old = (LONG_PTR)w->owner;
            HWND o = (HWND)value;
            if (o && !Find(o)) {
                SetLastError(ERROR_INVALID_WINDOW_HANDLE);
                return 0;
            }
            w->owner = o ? RootOf(o) : nullptr;
            return old;
        }
        case GWL_STYLE:
        case GWL_EXSTYLE:
            break;
        default:
            SetLastError(1413);
            return 0;
        }
    }
    if (index == GWLP_HWNDPARENT)
        return (LONG_PTR)SetParent(hwnd, (HWND)value);
    // Style changes go through WM_STYLECHANGING/WM_STYLECHANGED, which may adjust the new value.
    STYLESTRUCT ss;
    {
        Guard lk(Lock());
        Window* w = Find(hwnd);
        ss.styleOld = index == GWL_STYLE ? w->style : w->exStyle;
        ss.styleNew = (DWORD)value;
    }
    CallProcDirect(hwnd, WM_STYLECHANGING, (WPARAM)index, (LPARAM)&ss);
    {
        Guard lk(Lock());
        Window* w = Find(hwnd);
        if (!w)
            return 0;
        if (index == GWL_STYLE) {
            // Visibility is changed by ShowWindow only; the bit is kept as it is.
            w->style = (ss.styleNew & ~WS_VISIBLE) | (w->style & WS_VISIBLE);
            w->hbar.shown = (w->style & WS_HSCROLL) != 0;
            w->vbar.shown = (w->style & WS_VSCROLL) != 0;
        } else {
            w->exStyle = ss.styleNew;
        }
    }
    CallProcDirect(hwnd, WM_STYLECHANGED, (WPARAM)index, (LPARAM)&ss);
    NotifyChanged(hwnd);
    return (LONG)ss.styleOld;
}

LONG GetWindowLongW(HWND hwnd, int index)
{
    if (index >= 0) {
        Guard lk(Lock());
        Window* w = Find(hwnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        bool ok;
        LONG v = (LONG)ReadExtra(w, index, 4, &ok);
        if (!ok)
            SetLastError(1413);
        return v;
    }
    return (LONG)GetWindowLongPtrW(hwnd, index);
}

LONG SetWindowLongW(HWND hwnd, int index, LONG value)
{
    if (index >= 0) {
        Guard lk(Lock());
        Window* w = Find(hwnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        bool ok;
        LONG old = (LONG)ReadExtra(w, index, 4, &ok);
        if (!ok) {
            SetLastError(1413);
            return 0;
        }
        memcpy(w->extra.data() + index, &value, 4);
        return old;
    }
    return (LONG)SetWindowLongPtrW(hwnd, index, value);
}

WORD GetWindowWord(HWND hwnd, int index)
{
    Guard lk(Lock());
    Window* w = Find(hwnd);
    bool ok = w && index >= 0 && (size_t)index + 2 <= w->extra.size();
    if (!ok) {
        SetLastError(w ? 1413 : ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    WORD v;
    memcpy(&v, w->extra.data() + index, 2);
    return v;
}

WORD SetWindowWord(HWND hwnd, int index, WORD value)
{
    Guard lk(Lock());
    Window* w = Find(hwnd);
    bool ok = w && index >= 0 && (size_t)index + 2 <= w->extra.size();
    if (!ok) {
        SetLastError(w ? 1413 : ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    WORD v;
    memcpy(&v, w->extra.data() + index, 2);
    memcpy(w->extra.data() + index, &value, 2);
    return v;
}

namespace {
std::u16string PropName(LPCWSTR name)
{
    if (IS_INTRESOURCE(name))
        return std::u16string(u"#") + (char16_t)(ULONG_PTR)name;
    return Str(name);
}
} // namespace

BOOL SetPropW(HWND hwnd, LPCWSTR name, HANDLE data)
{
    Guard lk(Lock());
    Window* w = Find(hwnd);
    if (!w || !name) {
        SetLastError(w ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    w->props[PropName(name)] = data;
    return TRUE;
}

HANDLE GetPropW(HWND hwnd, LPCWSTR name)
{
    Guard lk(Lock());
    Window* w = Find(hwnd);
    if (!w || !name)
        return nullptr;
    auto it = w->props.find(PropName(name));
    return it == w->props.end() ? nullptr : it->second;
}

HANDLE RemovePropW(HWND hwnd, LPCWSTR name)
{
    Guard lk(Lock());
    Window* w = Find(hwnd);
    if (!w || !name)
        return nullptr;
    auto it = w->props.find(PropName(name));
    if (it == w->props.end())
        return nullptr;
    HANDLE h = it->second;
    w->props.erase(it);
    return h;
}

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!proc)
        return 0;
    return proc(hwnd, msg, wParam, lParam);
}
