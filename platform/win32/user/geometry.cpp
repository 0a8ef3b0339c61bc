// Window geometry: positions, sizes, z-order, showing, placement, coordinate mapping and hit windows.
#include "win32/user/internal.h"

#include <algorithm>

namespace user {

namespace {

bool OwnedBy(const Window* x, HWND owner)
{
    for (int depth = 0; x && x->owner && depth < 64; ++depth, x = Find(x->owner))
        if (x->owner == owner)
            return true;
    return false;
}

void Relink(Window* w, HWND after)
{
    Window* p = Find(w->parent);
    if (!p)
        return;
    auto& c = p->children;
    c.erase(std::remove(c.begin(), c.end(), w->hwnd), c.end());
    bool top = IsTopLevel(w);
    auto firstPlain = std::find_if(c.begin(), c.end(), [&](HWND h) {
        Window* x = Find(h);
        return !top || !x || !(x->exStyle & WS_EX_TOPMOST);
    });
    if (after == HWND_TOPMOST) {
        if (top)
            w->exStyle |= WS_EX_TOPMOST;
        c.insert(c.begin(), w->hwnd);
    } else if (after == HWND_NOTOPMOST) {
        w->exStyle &= ~WS_EX_TOPMOST;
        firstPlain = std::find_if(c.begin(), c.end(), [&](HWND h) {
            Window* x = Find(h);
            return !top || !x || !(x->exStyle & WS_EX_TOPMOST);
        });
        c.insert(firstPlain, w->hwnd);
    } else if (after == HWND_TOP) {
        c.insert((w->exStyle & WS_EX_TOPMOST) ? c.begin() : firstPlain, w->hwnd);
    } else if (after == HWND_BOTTOM) {
        if (top)
            w->exStyle &= ~WS_EX_TOPMOST;
        c.push_back(w->hwnd);
    } else {
        auto it = std::find(c.begin(), c.end(), after);
        if (it == c.end())
            c.insert(firstPlain, w->hwnd);
        else
            c.insert(it + 1, w->hwnd);
    }
}

HWND ChildFromPoint(HWND parent, POINT pt /* parent client coords */, UINT flags)
{
    Window* p = Find(parent);
    if (!p)
        return nullptr;
    for (HWND h : p->children) {
        Window* c = Find(h);
        if (!c)
            continue;
        if ((flags & CWP_SKIPINVISIBLE) && !(c->style & WS_VISIBLE))
            continue;
        if ((flags & CWP_SKIPDISABLED) && (c->style & WS_DISABLED))
            continue;
        if ((flags & CWP_SKIPTRANSPARENT) && (c->exStyle & WS_EX_TRANSPARENT))
            continue;
        if (PtInRect(&c->rcWindow, pt))
            return h;
    }
    return nullptr;
}

RECT MinimizedRect(const Window* w)
{
    RECT scr = ScreenRect();
    int cx = GetSystemMetrics(SM_CXMINIMIZED), cy = GetSystemMetrics(SM_CYMINIMIZED);
    if (!IsTopLevel(w)) {
        Window* p = Find(w->parent);
        RECT pc = p ? RECT{0, 0, Width(p->rcClient), Height(p->rcClient)} : scr;
        return RECT{0, pc.bottom - cy, cx, pc.bottom};
    }
    return RECT{0, scr.bottom - cy, cx, scr.bottom};
}

RECT MaximizedRect(const Window* w)
{
    if (!IsTopLevel(w)) {
        Window* p = Find(w->parent);
        RECT pc = p ? RECT{0, 0, Width(p->rcClient), Height(p->rcClient)} : ScreenRect();
        RECT r = pc, c = pc;
        CalcNonClient(w, &c);
        r.left -= c.left - pc.left;
        r.top -= c.top - pc.top;
        r.right += pc.right - c.right;
        r.bottom += pc.bottom - c.bottom;
        return r;
    }
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    int fx = 0, fy = 0;
    if (w->style & WS_THICKFRAME) {
        fx = GetSystemMetrics(SM_CXFRAME);
        fy = GetSystemMetrics(SM_CYFRAME);
    } else if (w->style & (WS_DLGFRAME | WS_BORDER)) {
        fx = GetSystemMetrics(SM_CXDLGFRAME);
        fy = GetSystemMetrics(SM_CYDLGFRAME);
    }
    InflateRect(&work, fx, fy);
    return work;
}

} // namespace

void CalcNonClient(const Window* w, RECT* rc)
{
    DWORD style = w->style, ex = w->exStyle;
    int fx = 0, fy = 0;
    if (style & WS_THICKFRAME) {
        fx = GetSystemMetrics(SM_CXFRAME);
        fy = GetSystemMetrics(SM_CYFRAME);
    } else if ((ex & WS_EX_DLGMODALFRAME) || ((style & WS_DLGFRAME) && !(style & WS_THICKFRAME))) {
        fx = GetSystemMetrics(SM_CXDLGFRAME);
        fy = GetSystemMetrics(SM_CYDLGFRAME);
    } else if (style & WS_BORDER) {
        fx = GetSystemMetrics(SM_CXBORDER);
        fy = GetSystemMetrics(SM_CYBORDER);
    }
    if (style & WS_MINIMIZE) {
        rc->right = rc->left;
        rc->bottom = rc->top;
        return;
    }
    InflateRect(rc, -fx, -fy);
    if ((style & WS_CAPTION) == WS_CAPTION)
        rc->top += (ex & WS_EX_TOOLWINDOW) ? GetSystemMetrics(SM_CYSMCAPTION) : GetSystemMetrics(SM_CYCAPTION);
    if (!(style & WS_CHILD) && w->menu)
        rc->top += GetSystemMetrics(SM_CYMENU);
    if (ex & WS_EX_CLIENTEDGE)
        InflateRect(rc, -GetSystemMetrics(SM_CXEDGE), -GetSystemMetrics(SM_CYEDGE));
    if (ex & WS_EX_STATICEDGE)
        InflateRect(rc, -GetSystemMetrics(SM_CXBORDER), -GetSystemMetrics(SM_CYBORDER));
    if (w->vbar.shown) {
        if (ex & WS_EX_LEFTSCROLLBAR)
            rc->left += GetSystemMetrics(SM_CXVSCROLL);
        else
            rc->right -= GetSystemMetrics(SM_CXVSCROLL);
    }
    if (w->hbar.shown)
        rc->bottom -= GetSystemMetrics(SM_CYHSCROLL);
    if (rc->right < rc->left)
        rc->right = rc->left;
    if (rc->bottom < rc->top)
        rc->bottom = rc->top;
}

} // namespace user

using namespace user;

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    WINDOWPOS wp{hwnd, insertAfter, x, y, cx, cy, flags};
    bool wasVisible;
    HWND parent;
    {
        Guard lk(Lock());
        Window* w = Find(hwnd);
        if (!w || hwnd == Desktop()) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        if (insertAfter && insertAfter != HWND_TOPMOST && insertAfter != HWND_NOTOPMOST &&
            insertAfter != HWND_BOTTOM && !Find(insertAfter)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        wasVisible = (w->style & WS_VISIBLE) != 0;
        parent = w->parent;
        if (wp.flags & SWP_NOMOVE) {
            wp.x = w->rcWindow.left;
            wp.y = w->rcWindow.top;
        }
        if (wp.flags & SWP_NOSIZE) {
            wp.cx = Width(w->rcWindow);
            wp.cy = Height(w->rcWindow);
        }
        if ((wp.flags & SWP_SHOWWINDOW) && wasVisible)
            wp.flags &= ~SWP_SHOWWINDOW;
        if ((wp.flags & SWP_HIDEWINDOW) && !wasVisible)
            wp.flags &= ~SWP_HIDEWINDOW;
        if (insertAfter == hwnd)
            wp.flags |= SWP_NOZORDER;
    }
    if (!(wp.flags & SWP_NOSENDCHANGING))
        CallProcDirect(hwnd, WM_WINDOWPOSCHANGING, 0, (LPARAM)&wp);
    RECT oldWindow, oldClient, newWindow;
    {
        Guard lk(Lock());
        Window* w = Find(hwnd);
        if (!w)
            return FALSE;
        oldWindow = w->rcWindow;
        oldClient = w->rcClient;
        newWindow = oldWindow;
        if (!(wp.flags & SWP_NOMOVE))
            OffsetRect(&newWindow, wp.x - oldWindow.left, wp.y - oldWindow.top);
        if (!(wp.flags & SWP_NOSIZE)) {
            newWindow.right = newWindow.left + std::max(0, wp.cx);
            newWindow.bottom = newWindow.top + std::max(0, wp.cy);
        }
        if (EqualRect(&newWindow, &oldWindow) == FALSE) {
            if (newWindow.left == oldWindow.left && newWindow.top == oldWindow.top)
                wp.flags |= SWP_NOMOVE;
            if (Width(newWindow) == Width(oldWindow) && Height(newWindow) == Height(oldWindow))
                wp.flags |= SWP_NOSIZE;
        } else {
            wp.flags |= SWP_NOMOVE | SWP_NOSIZE;
        }
    }
    RECT newClient = oldClient;
    OffsetRect(&newClient, newWindow.left - oldWindow.left, newWindow.top - oldWindow.top);
    if (!(wp.flags & SWP_NOSIZE) || (wp.flags & SWP_FRAMECHANGED)) {
        NCCALCSIZE_PARAMS p{};
        p.rgrc[0] = newWindow;
        p.rgrc[1] = oldWindow;
        p.rgrc[2] = oldClient;
        p.lppos = &wp;
        CallProcDirect(hwnd, WM_NCCALCSIZE, TRUE, (LPARAM)&p);
        newClient = p.rgrc[0];
        if (newClient.right < newClient.left)
            newClient.right = newClient.left;
        if (newClient.bottom < newClient.top)
            newClient.bottom = newClient.top;
    }
    bool visibleNow;
    {
        Guard lk(Lock());
        Window* w = Find(hwnd);
        if (!w)
            return FALSE;
        w->rcWindow = newWindow;
        w->rcClient = newClient;
        if (!w->minimized && !w->maximized && !(w->style & (WS_MINIMIZE | WS_MAXIMIZE)))
            w->normalRect = newWindow;
        if (!(wp.flags & SWP_NOZORDER))
            Relink(w, wp.hwndInsertAfter);
        if (wp.flags & SWP_SHOWWINDOW)
            w->style |= WS_VISIBLE;
        if (wp.flags & SWP_HIDEWINDOW)
            w->style &= ~WS_VISIBLE;
        visibleNow = (w->style & WS_VISIBLE) != 0;
    }
    bool changed = !(wp.flags & SWP_NOMOVE) || !(wp.flags & SWP_NOSIZE) ||
                   (wp.flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW | SWP_FRAMECHANGED)) || !(wp.flags & SWP_NOZORDER);
    if (changed)
        NotifyPlaced(hwnd);
    if (changed && !(wp.flags & SWP_NOREDRAW)) {
        if (wasVisible) {
            RECT r = oldWindow;
            if (parent == GetDesktopWindow())
                ; // uncovered desktop needs no painting
            else
                InvalidateInternal(parent, &r, true, true, false);
        }
        if (visibleNow)
            InvalidateInternal(hwnd, nullptr, true, true, true);
    }
    CallProcDirect(hwnd, WM_WINDOWPOSCHANGED, 0, (LPARAM)&wp);
    if ((wp.flags & SWP_SHOWWINDOW) && !(wp.flags & SWP_NOACTIVATE)) {
        bool top;
        {
            Guard lk(Lock());
            Window* w = Find(hwnd);
            top = w && IsTopLevel(w) && !(w->style & WS_CHILD);
        }
        if (top)
            ActivateWindow(hwnd, false);
    }
    if (wp.flags & SWP_HIDEWINDOW) {
        if (GetActiveWindow() == hwnd) {
            // The owner, or else the next visible top-level window, takes the activation. An owner still
            // disabled by a modal dialog of its own (this window was opened from that dialog) passes it on to
            // that dialog.
            HWND next = nullptr;
            {
                Guard lk(Lock());
                Window* w = Find(hwnd);
                if (w && w->owner && IsVisibleChain(w->owner)) {
                    next = w->owner;
                    if (Find(w->owner)->style & WS_DISABLED)
                        for (HWND h : Find(Desktop())->children) {
                            Window* o = Find(h);
                            if (h != hwnd && o && (o->style & WS_VISIBLE) && !(o->style & WS_DISABLED) &&
                                o->tid == CurrentTid() && o->dlg && o->dlg->modal && !o->dlg->ended &&
                                OwnedBy(o, w->owner)) {
                                next = h;
                                break;
                            }
                        }
                } else
                    for (HWND h : Find(Desktop())->children) {
                        Window* o = Find(h);
                        if (h != hwnd && o && (o->style & WS_VISIBLE) && o->tid == CurrentTid() &&
                            !(o->style & WS_DISABLED)) {
                            next = h;
                            break;
                        }
                    }
            }
            ActivateWindow(next, false);
        } else if (HWND f = GetFocus(); f && (f == hwnd || IsChild(hwnd, f))) {
            SetFocus(GetParent(hwnd) && (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) ? GetParent(hwnd) : nullptr);
        }
    }
    return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint)
{
    return SetWindowPos(hwnd, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL BringWindowToTop(HWND hwnd)
{
    return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

namespace {
struct DeferInfo {
    std::vector<WINDOWPOS> list;
};
std::map<ULONG_PTR, DeferInfo>& Defers()
{
    static auto* m = new std::map<ULONG_PTR, DeferInfo>;
    return *m;
}
ULONG_PTR g_nextDefer = 0x3000;
} // namespace

HDWP BeginDeferWindowPos(int numWindows)
{
    if (numWindows < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    Guard lk(Lock());
    ULONG_PTR h = g_nextDefer++;
    Defers()[h] = DeferInfo{};
    return (HDWP)h;
}

HDWP DeferWindowPos(HDWP info, HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    Guard lk(Lock());
    auto it = Defers().find((ULONG_PTR)info);
    if (it == Defers().end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (!Find(hwnd)) {
        // A bad window spoils the whole batch, as on Windows.
        Defers().erase(it);
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    for (auto& p : it->second.list)
        if (p.hwnd == hwnd) {
            // A second request for the same window merges into the first.
            if (!(flags & SWP_NOMOVE)) {
                p.x = x;
                p.y = y;
                p.flags &= ~SWP_NOMOVE;
            }
            if (!(flags & SWP_NOSIZE)) {
                p.cx = cx;
                p.cy = cy;
                p.flags &= ~SWP_NOSIZE;
            }
            if (!(flags & SWP_NOZORDER)) {
                p.hwndInsertAfter = insertAfter;
                p.flags &= ~SWP_NOZORDER;
            }
            p.flags |= flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW | SWP_FRAMECHANGED | SWP_NOREDRAW);
            return info;
        }
    it->second.list.push_back(WINDOWPOS{hwnd, insertAfter, x, y, cx, cy, flags});
    return info;
}

BOOL EndDeferWindowPos(HDWP info)
{
    std::vector<WINDOWPOS> list;
    {
        Guard lk(Lock());
        auto it = Defers().find((ULONG_PTR)info);
        if (it == Defers().end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        list = std::move(it->second.list);
        Defers().erase(it);
    }
    BOOL ok = TRUE;
    for (auto& p : list)
        if (IsWindow(p.hwnd))
            ok &= SetWindowPos(p.hwnd, p.hwndInsertAfter, p.x, p.y, p.cx, p.cy, p.flags);
    return ok;
}

BOOL ShowWindow(HWND hwnd, int cmdShow)
{
    bool wasVisible, child;
    RECT target{};
    UINT flags = SWP_NOZORDER;
    bool sizeChange = false;
    {
        Guard lk(Lock());
        Window* w = Find(hwnd);
        if (!w || hwnd == Desktop()) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        wasVisible = (w->style & WS_VISIBLE) != 0;
        child = (w->style & WS_CHILD) != 0;
        switch (cmdShow) {
        case SW_HIDE:
            if (!wasVisible)
                return FALSE;
            flags |= SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE;
            break;
        case SW_MINIMIZE:
        case SW_SHOWMINIMIZED:
        case SW_SHOWMINNOACTIVE:
        case SW_FORCEMINIMIZE:
            if (!(w->style & WS_MINIMIZE)) {
                if (w->style & WS_MAXIMIZE)
                    w->maximized = true; // restore returns to maximized
                else {
                    w->normalRect = w->rcWindow;
                    w->maximized = false;
                }
                w->style = (w->style | WS_MINIMIZE) & ~WS_MAXIMIZE;
                w->minimized = true;
                target = MinimizedRect(w);
                sizeChange = true;
            }
            flags |= SWP_SHOWWINDOW | SWP_FRAMECHANGED;
            if (cmdShow != SW_SHOWMINIMIZED)
                flags |= SWP_NOACTIVATE;
            break;
        case SW_SHOWMAXIMIZED:
            if (!(w->style & WS_MAXIMIZE)) {
                if (!(w->style & WS_MINIMIZE))
                    w->normalRect = w->rcWindow;
                w->style = (w->style | WS_MAXIMIZE) & ~WS_MINIMIZE;
                w->minimized = false;
                w->maximized = true;
                target = MaximizedRect(w);
                sizeChange = true;
            }
            flags |= SWP_SHOWWINDOW | SWP_FRAMECHANGED;
            break;
        case SW_SHOWNORMAL:
        case SW_RESTORE:
        case SW_SHOWDEFAULT:
        case SW_SHOWNOACTIVATE:
            if (w->style & WS_MINIMIZE) {
                w->style &= ~WS_MINIMIZE;
                w->minimized = false;
                if (w->maximized && cmdShow == SW_RESTORE) {
                    w->style |= WS_MAXIMIZE;
                    target = MaximizedRect(w);
                } else {
                    w->maximized = false;
                    target = w->normalRect;
                }
                sizeChange = true;
            } else if (w->style & WS_MAXIMIZE) {
                w->style &= ~WS_MAXIMIZE;
                w->maximized = false;
                target = w->normalRect;
                sizeChange = true;
            }
            flags |= SWP_SHOWWINDOW | (sizeChange ? SWP_FRAMECHANGED : 0);
            if (cmdShow == SW_SHOWNOACTIVATE)
                flags |= SWP_NOACTIVATE;
            break;
        case SW_SHOW:
            flags |= SWP_SHOWWINDOW;
            break;
        case SW_SHOWNA:
            flags |= SWP_SHOWWINDOW | SWP_NOACTIVATE;
            break;
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
    }
    if (!sizeChange)
        flags |= SWP_NOSIZE | SWP_NOMOVE;
    bool showing = (flags & SWP_SHOWWINDOW) != 0;
    if (showing != wasVisible)
        CallProcDirect(hwnd, WM_SHOWWINDOW, showing, 0);
    if (!IsWindow(hwnd))
        return wasVisible;
    if (child)
        flags |= SWP_NOACTIVATE;
    SetWindowPos(hwnd, nullptr, target.left, target.top, Width(target), Height(target), flags);
    // The commands that show a window also activate it when it was visible already: a program that
    // shows its main window once more at start gets the keyboard, as it does from the first show.
    if (wasVisible && !(flags & (SWP_NOACTIVATE | SWP_HIDEWINDOW)) && IsWindow(hwnd) && IsWindowVisible(hwnd) &&
        IsWindowEnabled(hwnd) && GetActiveWindow() != hwnd &&
        GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId())
        ActivateWindow(hwnd, false);
    return wasVisible;
}

BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT* wp)
{
    Guard lk(Lock());
    Window* w = Find(hwnd);
    if (!w || !wp) {
        SetLastError(w ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    wp->length = sizeof(WINDOWPLACEMENT);
    wp->flags = (w->style & WS_MINIMIZE) && w->maximized ? WPF_RESTORETOMAXIMIZED : 0;
    wp->showCmd = (w->style & WS_MINIMIZE)   ? SW_SHOWMINIMIZED
                  : (w->style & WS_MAXIMIZE) ? SW_SHOWMAXIMIZED
                                             : SW_SHOWNORMAL;
    wp->ptMinPosition = w->minPos;
    wp->ptMaxPosition = w->maxPos;
    wp->rcNormalPosition = (w->style & (WS_MINIMIZE | WS_MAXIMIZE)) ? w->normalRect : w->rcWindow;
    return TRUE;
}

BOOL SetWindowPlacement(HWND hwnd, const WINDOWPLACEMENT* wp)
{
    if (!wp) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    bool state;
    {
        Guard lk(Lock());
        Window* w = Find(hwnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        w->normalRect = wp->rcNormalPosition;
        w->minPos = wp->ptMinPosition;
        w->maxPos = wp->ptMaxPosition;
        state = (w->style & (WS_MINIMIZE | WS_MAXIMIZE)) != 0;
        if (wp->flags & WPF_RESTORETOMAXIMIZED)
            w->maximized = true;
    }
    if (!state)
        SetWindowPos(hwnd, nullptr, wp->rcNormalPosition.left, wp->rcNormalPosition.top,
                     Width(wp->rcNormalPosition), Height(wp->rcNormalPosition), SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(hwnd, (int)wp->showCmd);
    return TRUE;
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect)
{
    Guard lk(Lock());
    Window* w = Find(hwnd);
    if (!w || !rect) {
        SetLastError(w ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    POINT o = WindowOrigin(hwnd);
    *rect = RECT{o.x, o.y, o.x + Width(w->rcWindow), o.y + Height(w->rcWindow)};
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect)
{
    Guard lk(Lock());
    Window* w = Find(hwnd);
    if (!w || !rect) {
        SetLastError(w ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    *rect = RECT{0, 0, Width(w->rcClient), Height(w->rcClient)};
    return TRUE;
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle)
{
    if (!rect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Window w;
    w.style = style & ~(WS_MINIMIZE | WS_VSCROLL | WS_HSCROLL);
    w.exStyle = exStyle;
    w.menu = menu ? (HMENU)1 : nullptr;
    // Find the frame by measuring what the non-client calculation takes from a large rectangle.
    RECT big{0, 0, 10000, 10000}, c = big;
    CalcNonClient(&w, &c);
    rect->left -= c.left - big.left;
    rect->top -= c.top - big.top;
    rect->right += big.right - c.right;
    rect->bottom += big.bottom - c.bottom;
    return TRUE;
}

BOOL AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu)
{
    return AdjustWindowRectEx(rect, style, menu, 0);
}

BOOL ClientToScreen(HWND hwnd, LPPOINT pt)
{
    Guard lk(Lock());
    if (!Find(hwnd) || !pt)
        return FALSE;
    POINT o = ClientOrigin(hwnd);
    pt->x += o.x;
    pt->y += o.y;
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT pt)
{
    Guard lk(Lock());
    if (!Find(hwnd) || !pt)
        return FALSE;
    POINT o = ClientOrigin(hwnd);
    pt->x -= o.x;
    pt->y -= o.y;
    return TRUE;
}

int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count)
{
    Guard lk(Lock());
    POINT a{0, 0}, b{0, 0};
    if (from && from != Desktop()) {
        if (!Find(from)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        a = ClientOrigin(from);
    }
    if (to && to != Desktop()) {
        if (!Find(to)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        b = ClientOrigin(to);
    }
    LONG dx = a.x - b.x, dy = a.y - b.y;
    for (UINT i = 0; points && i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    SetLastError(0);
    return MAKELONG((WORD)(SHORT)dx, (WORD)(SHORT)dy);
}

HWND WindowFromPoint(POINT pt)
{
    Guard lk(Lock());
    Window* desk = Find(Desktop());
    HWND hit = nullptr;
    for (HWND h : desk->children) {
        Window* w = Find(h);
        if (w && (w->style & WS_VISIBLE) && PtInRect(&w->rcWindow, pt) && !(w->exStyle & WS_EX_TRANSPARENT)) {
            hit = h;
            break;
        }
    }
    while (hit) {
        Window* w = Find(hit);
        POINT o = ClientOrigin(hit);
        POINT local{pt.x - o.x, pt.y - o.y};
        if (!PtInRect(&w->rcClient, POINT{pt.x - o.x + w->rcClient.left, pt.y - o.y + w->rcClient.top}))
            break;
        HWND c = ChildFromPoint(hit, local, CWP_SKIPINVISIBLE | CWP_SKIPDISABLED | CWP_SKIPTRANSPARENT);
        if (!c)
            break;
        hit = c;
    }
    return hit;
}

HWND ChildWindowFromPointEx(HWND parent, POINT pt, UINT flags)
{
    Guard lk(Lock());
    Window* p = Find(parent);
    if (!p)
        return nullptr;
    RECT cr{0, 0, Width(p->rcClient), Height(p->rcClient)};
    if (!PtInRect(&cr, pt))
        return nullptr;
    HWND c = ChildFromPoint(parent, pt, flags);
    return c ? c : parent;
}

HWND ChildWindowFromPoint(HWND parent, POINT pt)
{
    return ChildWindowFromPointEx(parent, pt, CWP_ALL);
}

BOOL SetRect(LPRECT rc, int left, int top, int right, int bottom)
{
    if (!rc)
        return FALSE;
    *rc = RECT{left, top, right, bottom};
    return TRUE;
}

BOOL SetRectEmpty(LPRECT rc)
{
    return SetRect(rc, 0, 0, 0, 0);
}

BOOL CopyRect(LPRECT dst, const RECT* src)
{
    if (!dst || !src)
        return FALSE;
    *dst = *src;
    return TRUE;
}

BOOL InflateRect(LPRECT rc, int dx, int dy)
{
    if (!rc)
        return FALSE;
    rc->left -= dx;
    rc->top -= dy;
    rc->right += dx;
    rc->bottom += dy;
    return TRUE;
}

BOOL OffsetRect(LPRECT rc, int dx, int dy)
{
    if (!rc)
        return FALSE;
    rc->left += dx;
    rc->right += dx;
    rc->top += dy;
    rc->bottom += dy;
    return TRUE;
}

BOOL IsRectEmpty(const RECT* rc)
{
    return !rc || rc->right <= rc->left || rc->bottom <= rc->top;
}

BOOL EqualRect(const RECT* a, const RECT* b)
{
    if (!a || !b)
        return FALSE;
    return a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}

BOOL PtInRect(const RECT* rc, POINT pt)
{
    return rc && pt.x >= rc->left && pt.x < rc->right && pt.y >= rc->top && pt.y < rc->bottom;
}

BOOL IntersectRect(LPRECT dst, const RECT* a, const RECT* b)
{
    if (!dst || !a || !b)
        return FALSE;
    if (IsRectEmpty(a) || IsRectEmpty(b) || a->left >= b->right || b->left >= a->right || a->top >= b->bottom ||
        b->top >= a->bottom) {
        SetRectEmpty(dst);
        return FALSE;
    }
    *dst = RECT{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
                std::min(a->bottom, b->bottom)};
    return TRUE;
}

BOOL UnionRect(LPRECT dst, const RECT* a, const RECT* b)
{
    if (!dst || !a || !b)
        return FALSE;
    if (IsRectEmpty(a)) {
        if (IsRectEmpty(b)) {
            SetRectEmpty(dst);
            return FALSE;
        }
        *dst = *b;
        return TRUE;
    }
    if (IsRectEmpty(b)) {
        *dst = *a;
        return TRUE;
    }
    *dst = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
                std::max(a->bottom, b->bottom)};
    return TRUE;
}

BOOL SubtractRect(LPRECT dst, const RECT* a, const RECT* b)
{
    if (!dst || !a || !b)
        return FALSE;
    RECT r = *a, i;
    if (IntersectRect(&i, a, b)) {
        // Only a cut that leaves a rectangle changes it.
        if (i.top == r.top && i.bottom == r.bottom) {
            if (i.left == r.left)
                r.left = i.right;
            else if (i.right == r.right)
                r.right = i.left;
        } else if (i.left == r.left && i.right == r.right) {
            if (i.top == r.top)
                r.top = i.bottom;
            else if (i.bottom == r.bottom)
                r.bottom = i.top;
        }
    }
    *dst = r;
    if (IsRectEmpty(&r)) {
        SetRectEmpty(dst);
        return FALSE;
    }
    return TRUE;
}
