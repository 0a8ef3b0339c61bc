// The default window procedure: texts, sizing messages, cursors, activation, keyboard menu entry.
#include "win32/user/internal.h"

#include <algorithm>
#include <utility>

namespace user {

namespace {

bool IsChildStyle(HWND hwnd)
{
    return (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) != 0;
}

HWND ParentOf(HWND hwnd)
{
    return IsChildStyle(hwnd) ? GetParent(hwnd) : nullptr;
}

void CheckMinMax(HWND hwnd, WINDOWPOS* wp)
{
    if (wp->flags & SWP_NOSIZE)
        return;
    {
        Guard lk(Lock());
        Window* w = Find(hwnd);
        if (!w || (w->style & (WS_CHILD | WS_MINIMIZE)))
            return;
    }
    MINMAXINFO mmi{};
    mmi.ptMaxSize = {GetSystemMetrics(SM_CXMAXIMIZED), GetSystemMetrics(SM_CYMAXIMIZED)};
    mmi.ptMaxPosition = {-4, -4};
    mmi.ptMinTrackSize = {GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
    mmi.ptMaxTrackSize = {GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
    CallProcDirect(hwnd, WM_GETMINMAXINFO, 0, (LPARAM)&mmi);
    bool thick = (GetWindowLongW(hwnd, GWL_STYLE) & WS_THICKFRAME) != 0;
    if (thick || (GetWindowLongW(hwnd, GWL_STYLE) & WS_CAPTION) == WS_CAPTION) {
        wp->cx = std::clamp<int>(wp->cx, std::min(mmi.ptMinTrackSize.x, mmi.ptMaxTrackSize.x), mmi.ptMaxTrackSize.x);
        wp->cy = std::clamp<int>(wp->cy, std::min(mmi.ptMinTrackSize.y, mmi.ptMaxTrackSize.y), mmi.ptMaxTrackSize.y);
    }
}

LRESULT OnKey(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto q = MyQueue();
    HWND root = GetAncestor(hwnd, GA_ROOT);
    switch (msg) {
    case WM_SYSKEYDOWN:
    case WM_KEYDOWN: {
        bool repeat = (lParam & (1 << 30)) != 0;
        {
            Guard lk(Lock());
            if ((wParam == VK_MENU || wParam == VK_F10) && !repeat)
                q->menuKeyDown = (UINT)wParam;
            else if (wParam != VK_MENU && wParam != VK_F10)
                q->menuKeyDown = 0; // another key in between: Alt is a modifier, not the menu key
        }
        if (msg == WM_SYSKEYDOWN && wParam == VK_F4 && (lParam & (1 << 29)) && !repeat)
            SendMessageW(root, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    }
    case WM_SYSKEYUP:
    case WM_KEYUP: {
        bool menu;
        {
            Guard lk(Lock());
            menu = q->menuKeyDown && q->menuKeyDown == wParam;
            q->menuKeyDown = 0;
        }
        if (menu && root)
            SendMessageW(root, WM_SYSCOMMAND, SC_KEYMENU, 0);
        return 0;
    }
    case WM_SYSCHAR:
        if (wParam == VK_RETURN && IsIconic(root)) {
            PostMessageW(root, WM_SYSCOMMAND, SC_RESTORE, 0);
            return 0;
        }
        if ((lParam & (1 << 29)) && wParam != VK_TAB && wParam != VK_ESCAPE)
            SendMessageW(root, WM_SYSCOMMAND, SC_KEYMENU, (LPARAM)wParam);
        return 0;
    }
    return 0;
}

LRESULT OnSetCursor(HWND hwnd, WPARAM wParam, LPARAM lParam)
{
    if (HWND parent = ParentOf(hwnd))
        if (SendMessageW(parent, WM_SETCURSOR, wParam, lParam))
            return TRUE;
    short hit = (short)LOWORD(lParam);
    switch (hit) {
    case HTCLIENT: {
        HCURSOR c = (HCURSOR)GetClassLongPtrW(hwnd, GCLP_HCURSOR);
        if (c) {
            SetCursor(c);
            return TRUE;
        }
        return FALSE;
    }
    case HTERROR:
        if (HIWORD(lParam) == WM_LBUTTONDOWN)
            MessageBeep(0);
        break;
    case HTLEFT:
    case HTRIGHT: SetCursor(GetSystemCursor((UINT)(ULONG_PTR)IDC_SIZEWE)); return TRUE;
    case HTTOP:
    case HTBOTTOM: SetCursor(GetSystemCursor((UINT)(ULONG_PTR)IDC_SIZENS)); return TRUE;
    case HTTOPLEFT:
    case HTBOTTOMRIGHT: SetCursor(GetSystemCursor((UINT)(ULONG_PTR)IDC_SIZENWSE)); return TRUE;
    case HTTOPRIGHT:
    case HTBOTTOMLEFT: SetCursor(GetSystemCursor((UINT)(ULONG_PTR)IDC_SIZENESW)); return TRUE;
    }
    SetCursor(GetSystemCursor((UINT)(ULONG_PTR)IDC_ARROW));
    return FALSE;
}

} // namespace

} // namespace user

using namespace user;

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    bool handled = false;
    LRESULT r = DefWindowPaintMessages(hwnd, msg, wParam, lParam, &handled);
    if (handled)
        return r;
    r = DefNonClientMessages(hwnd, msg, wParam, lParam, &handled);
    if (handled)
        return r;
    switch (msg) {
    case WM_NCCREATE: {
        auto* cs = (CREATESTRUCTW*)lParam;
        if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) {
            Guard lk(Lock());
            if (Window* w = Find(hwnd))
                w->text = cs->lpszName;
        }
        return TRUE;
    }
    case WM_SETTEXT: {
        {
            Guard lk(Lock());
            Window* w = Find(hwnd);
            if (!w)
                return FALSE;
            w->text = lParam ? std::u16string((LPCWSTR)lParam) : std::u16string();
        }
        NotifyChanged(hwnd);
        if ((GetWindowLongW(hwnd, GWL_STYLE) & WS_CAPTION) == WS_CAPTION)
            RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
        return TRUE;
    }
    case WM_GETTEXT: {
        auto* buf = (LPWSTR)lParam;
        int max = (int)wParam;
        if (!buf || max <= 0)
            return 0;
        Guard lk(Lock());
        Window* w = Find(hwnd);
        if (!w) {
            buf[0] = 0;
            return 0;
        }
        int n = std::min<int>((int)w->text.size(), max - 1);
        std::copy_n(w->text.begin(), n, buf);
        buf[n] = 0;
        return n;
    }
    case WM_GETTEXTLENGTH: {
        Guard lk(Lock());
        Window* w = Find(hwnd);
        return w ? (LRESULT)w->text.size() : 0;
    }
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_WINDOWPOSCHANGING:
        CheckMinMax(hwnd, (WINDOWPOS*)lParam);
        return 0;
    case WM_WINDOWPOSCHANGED: {
        auto* wp = (WINDOWPOS*)lParam;
        RECT client;
        DWORD style;
        {
            Guard lk(Lock());
            Window* w = Find(hwnd);
            if (!w)
                return 0;
            client = w->rcClient;
            style = w->style;
        }
        if (!(wp->flags & SWP_NOMOVE))
            SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(client.left, client.top));
        if (!(wp->flags & SWP_NOSIZE) || (wp->flags & SWP_FRAMECHANGED)) {
            WPARAM kind = (style & WS_MINIMIZE) ? SIZE_MINIMIZED : (style & WS_MAXIMIZE) ? SIZE_MAXIMIZED
                                                                                        : SIZE_RESTORED;
            if (!(wp->flags & SWP_NOSIZE) || kind != SIZE_RESTORED)
                SendMessageW(hwnd, WM_SIZE, kind, MAKELPARAM(Width(client), Height(client)));
        }
        return 0;
    }
    case WM_SETCURSOR:
        return OnSetCursor(hwnd, wParam, lParam);
    case WM_MOUSEACTIVATE:
        if (HWND parent = ParentOf(hwnd)) {
            LRESULT pr = SendMessageW(parent, WM_MOUSEACTIVATE, wParam, lParam);
            if (pr)
                return pr;
        }
        return (LOWORD(lParam) == HTCAPTION && HIWORD(lParam) == WM_RBUTTONDOWN) ? MA_NOACTIVATE : MA_ACTIVATE;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && !IsIconic(hwnd))
            SetFocus(hwnd);
        return 0;
    case WM_CANCELMODE:
        if (GetCapture() == hwnd)
            ReleaseCapture();
        return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
        return OnKey(hwnd, msg, wParam, lParam);
    case WM_RBUTTONUP: {
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ClientToScreen(hwnd, &pt);
        SendMessageW(hwnd, WM_CONTEXTMENU, (WPARAM)hwnd, MAKELPARAM(pt.x, pt.y));
        return 0;
    }
    case WM_CONTEXTMENU:
    case WM_MOUSEWHEEL:
        if (HWND parent = ParentOf(hwnd))
            return SendMessageW(parent, msg, msg == WM_CONTEXTMENU ? wParam : wParam, lParam);
        return 0;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
        HDC hdc = (HDC)wParam;
        if (msg == WM_CTLCOLORSCROLLBAR) {
            SetBkColor(hdc, GetSysColor(COLOR_3DHILIGHT));
            SetTextColor(hdc, GetSysColor(COLOR_3DFACE));
            return (LRESULT)GetSysColorBrush(COLOR_SCROLLBAR);
        }
        SetTextColor(hdc, GetSysColor(COLOR_WINDOWTEXT));
        if (msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX) {
            SetBkColor(hdc, GetSysColor(COLOR_WINDOW));
            return (LRESULT)GetSysColorBrush(COLOR_WINDOW);
        }
        SetBkColor(hdc, GetSysColor(COLOR_3DFACE));
        return (LRESULT)GetSysColorBrush(COLOR_3DFACE);
    }
    case WM_SYSCOMMAND:
        return DefNonClientMessages(hwnd, msg, wParam, lParam, &handled);
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
        return -1;
    case WM_SETICON: {
        HICON old = nullptr;
        {
            Guard lk(Lock());
            Window* w = Find(hwnd);
            if (!w || wParam > ICON_BIG)
                return 0;
            old = std::exchange(w->icons[wParam], (HICON)lParam);
        }
        if ((GetWindowLongW(hwnd, GWL_STYLE) & WS_CAPTION) == WS_CAPTION)
            RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
        return (LRESULT)old;
    }
    case WM_GETICON: {
        // Only icons given with WM_SETICON; the class's own are the caller's to fall back on.
        Guard lk(Lock());
        Window* w = Find(hwnd);
        if (!w)
            return 0;
        if (wParam == ICON_SMALL2)
            return (LRESULT)(w->icons[ICON_SMALL] ? w->icons[ICON_SMALL] : w->icons[ICON_BIG]);
        return wParam <= ICON_BIG ? (LRESULT)w->icons[wParam] : 0;
    }
    case WM_SHOWWINDOW:
    case WM_GETMINMAXINFO:
    case WM_NCDESTROY:
    case WM_PARENTNOTIFY:
    case WM_GETDLGCODE:
    case WM_SETFONT:
    case WM_GETFONT:
        return 0;
    }
    return 0;
}
