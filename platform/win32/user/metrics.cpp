// System metrics and parameters of the classic look at 96 DPI, and the one monitor.
#include "win32/user/internal.h"

#include <cstring>

namespace {

// Writes a LOGFONTW in its 92-byte binary form.
void PutFont(BYTE* p, LONG height, LONG weight, const char16_t* face)
{
    memset(p, 0, 92);
    memcpy(p, &height, 4);
    memcpy(p + 16, &weight, 4);
    p[23] = 134; // GB2312_CHARSET
    for (int i = 0; face[i] && i < 31; ++i)
        memcpy(p + 28 + 2 * i, &face[i], 2);
}

const char16_t kUiFace[] = u"\u5b8b\u4f53"; // the Chinese system's default dialog face
UINT g_doubleClickTime = 500;

RECT PrimaryWork()
{
    return user::Monitors().front().work;
}

} // namespace

UINT GetDoubleClickTime()
{
    return g_doubleClickTime;
}

BOOL SetDoubleClickTime(UINT ms)
{
    g_doubleClickTime = ms ? ms : 500;
    return TRUE;
}

int GetSystemMetrics(int index)
{
    RECT scr = user::ScreenRect();
    int cx = scr.right, cy = scr.bottom;
    switch (index) {
    case SM_CXSCREEN: return cx;
    case SM_CYSCREEN: return cy;
    case SM_CXVSCROLL: return 16;
    case SM_CYHSCROLL: return 16;
    case SM_CYCAPTION: return 19;
    case SM_CXBORDER: return 1;
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME: return 3;
    case SM_CYDLGFRAME: return 3;
    case SM_CYVTHUMB: return 16;
    case SM_CXHTHUMB: return 16;
    case SM_CXICON: return 32;
    case SM_CYICON: return 32;
    case SM_CXCURSOR: return 32;
    case SM_CYCURSOR: return 32;
    case SM_CYMENU: return 19;
    case SM_CXFULLSCREEN: return user::Width(PrimaryWork());
    case SM_CYFULLSCREEN: return user::Height(PrimaryWork()) - 19; // work area less a caption
    case SM_CYVSCROLL: return 16;
    case SM_CXHSCROLL: return 16;
    case SM_SWAPBUTTON: return 0;
    case SM_CXMIN: return 112;
    case SM_CYMIN: return 27;
    case SM_CXSIZE: return 18;
    case SM_CYSIZE: return 18;
    case SM_CXFRAME: return 4;
    case SM_CYFRAME: return 4;
    case SM_CXMINTRACK: return 112;
    case SM_CYMINTRACK: return 27;
    case SM_CXDOUBLECLK: return 4;
    case SM_CYDOUBLECLK: return 4;
    case SM_CXICONSPACING: return 75;
    case SM_CYICONSPACING: return 75;
    case SM_MENUDROPALIGNMENT: return 0;
    case SM_CXEDGE: return 2;
    case SM_CYEDGE: return 2;
    case SM_CXSMICON: return 16;
    case SM_CYSMICON: return 16;
    case SM_CYSMCAPTION: return 16;
    case SM_CXSMSIZE: return 12;
    case SM_CYSMSIZE: return 15;
    case SM_CXMENUSIZE: return 18;
    case SM_CYMENUSIZE: return 18;
    case SM_CXMINIMIZED: return 160;
    case SM_CYMINIMIZED: return 24;
    case SM_CXMAXTRACK: return cx + 12;
    case SM_CYMAXTRACK: return cy + 12;
    case SM_CXMAXIMIZED: return user::Width(PrimaryWork()) + 8;
    case SM_CYMAXIMIZED: return user::Height(PrimaryWork()) + 8;
    case SM_CXDRAG: return 4;
    case SM_CYDRAG: return 4;
    case SM_CXMENUCHECK: return 13;
    case SM_CYMENUCHECK: return 13;
    case SM_MOUSEWHEELPRESENT: return 1;
    case SM_XVIRTUALSCREEN: return 0;
    case SM_YVIRTUALSCREEN: return 0;
    case SM_CXVIRTUALSCREEN: return cx;
    case SM_CYVIRTUALSCREEN: return cy;
    case SM_CMONITORS: return (int)user::Monitors().size();
    case SM_CXFOCUSBORDER: return 1;
    case SM_CYFOCUSBORDER: return 1;
    case SM_REMOTESESSION: return 0;
    }
    return 0;
}

BOOL SystemParametersInfoW(UINT action, UINT param, PVOID data, UINT winIni)
{
    auto putBool = [&](BOOL v) {
        if (!data) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        *(BOOL*)data = v;
        return TRUE;
    };
    auto putUint = [&](UINT v) {
        if (!data) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        *(UINT*)data = v;
        return TRUE;
    };
    switch (action) {
    case SPI_GETWORKAREA: {
        if (!data) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        *(RECT*)data = PrimaryWork();
        return TRUE;
    }
    case SPI_GETNONCLIENTMETRICS: {
        // Only the 500-byte layout that this system version defines is accepted.
        if (!data || param != 500 || *(UINT*)data != 500) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        BYTE* p = (BYTE*)data;
        INT v[5] = {1, 16, 16, 18, 18}; // border, scroll width/height, caption width/height
        memcpy(p + 4, v, sizeof(v));
        PutFont(p + 24, -12, 700, kUiFace);
        INT sm[2] = {12, 15};
        memcpy(p + 116, sm, sizeof(sm));
        PutFont(p + 124, -12, 700, kUiFace);
        INT menu[2] = {18, 18};
        memcpy(p + 216, menu, sizeof(menu));
        PutFont(p + 224, -12, 400, kUiFace);
        PutFont(p + 316, -12, 400, kUiFace);
        PutFont(p + 408, -12, 400, kUiFace);
        return TRUE;
    }
    case SPI_GETICONTITLELOGFONT:
        if (!data || (param != 0 && param != 92)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        PutFont((BYTE*)data, -12, 400, kUiFace);
        return TRUE;
    case SPI_GETBORDER: return putUint(1);
    case SPI_GETKEYBOARDCUES: return putBool(FALSE);
    case SPI_GETMENUANIMATION: return putBool(FALSE);
    case SPI_GETMENUFADE: return putBool(FALSE);
    case SPI_GETDROPSHADOW: return putBool(FALSE);
    case SPI_GETFLATMENU: return putBool(FALSE);
    case SPI_GETGRADIENTCAPTIONS: return putBool(TRUE);
    case SPI_GETCOMBOBOXANIMATION: return putBool(FALSE);
    case SPI_GETLISTBOXSMOOTHSCROLLING: return putBool(FALSE);
    case SPI_GETTOOLTIPANIMATION: return putBool(FALSE);
    case SPI_GETSELECTIONFADE: return putBool(FALSE);
    case SPI_GETDRAGFULLWINDOWS: return putBool(TRUE);
    case SPI_GETFONTSMOOTHING: return putBool(TRUE);
    case SPI_GETSCREENREADER: return putBool(FALSE);
    case SPI_GETMOUSEHOVERTIME: return putUint(400);
    case SPI_GETMOUSEHOVERWIDTH: return putUint(4);
    case SPI_GETMOUSEHOVERHEIGHT: return putUint(4);
    case SPI_GETWHEELSCROLLLINES: return putUint(3);
    case SPI_GETMENUSHOWDELAY: return putUint(400);
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags)
{
    RECT r;
    if (!GetWindowRect(hwnd, &r)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return flags == MONITOR_DEFAULTTONULL ? nullptr : (HMONITOR)1;
    }
    return MonitorFromRect(&r, flags);
}

HMONITOR MonitorFromPoint(POINT pt, DWORD flags)
{
    RECT r{pt.x, pt.y, pt.x + 1, pt.y + 1};
    return MonitorFromRect(&r, flags);
}

HMONITOR MonitorFromRect(LPCRECT rc, DWORD flags)
{
    // The monitor sharing the largest area with the rectangle; else the nearest or the primary.
    auto all = user::Monitors();
    if (!rc)
        return flags == MONITOR_DEFAULTTONULL ? nullptr : (HMONITOR)1;
    long best = 0;
    size_t found = 0;
    for (size_t i = 0; i < all.size(); ++i) {
        RECT in;
        if (IntersectRect(&in, rc, &all[i].monitor) && (long)user::Width(in) * user::Height(in) > best) {
            best = (long)user::Width(in) * user::Height(in);
            found = i + 1;
        }
    }
    if (found)
        return (HMONITOR)found;
    if (flags == MONITOR_DEFAULTTONULL)
        return nullptr;
    if (flags == MONITOR_DEFAULTTONEAREST) {
        long nearest = -1;
        for (size_t i = 0; i < all.size(); ++i) {
            const RECT& m = all[i].monitor;
            long dx = rc->right <= m.left ? m.left - rc->right + 1 : rc->left >= m.right ? rc->left - m.right + 1 : 0;
            long dy = rc->bottom <= m.top ? m.top - rc->bottom + 1 : rc->top >= m.bottom ? rc->top - m.bottom + 1 : 0;
            long d = dx * dx + dy * dy;
            if (nearest < 0 || d < nearest) {
                nearest = d;
                found = i + 1;
            }
        }
        return (HMONITOR)found;
    }
    return (HMONITOR)1;
}

BOOL GetMonitorInfoW(HMONITOR monitor, LPMONITORINFO info)
{
    auto all = user::Monitors();
    size_t index = (size_t)(ULONG_PTR)monitor;
    if (index < 1 || index > all.size() || !info || info->cbSize < sizeof(MONITORINFO)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    info->rcMonitor = all[index - 1].monitor;
    info->rcWork = all[index - 1].work;
    info->dwFlags = index == 1 ? MONITORINFOF_PRIMARY : 0;
    return TRUE;
}
