// Window rectangles, mirrored arrow keys, the active top-level test, work areas and splitter tracking.
#include "toolkit/base/window_helpers.h"

#include "win32/gdi.h"
#include "win32/kernel.h"

#include <algorithm>

CTKPWndRect::CTKPWndRect(HWND hwnd) : RECT{0, 0, 0, 0}
{
    if (hwnd && IsWindow(hwnd))
        GetWindowRect(hwnd, this);
}

CTKPWndClientRect::CTKPWndClientRect(HWND hwnd) : RECT{0, 0, 0, 0}
{
    if (hwnd && IsWindow(hwnd))
        GetClientRect(hwnd, this);
}

CTKPClientCursorPos::CTKPClientCursorPos(HWND hwnd) : POINT{0, 0}
{
    GetCursorPos(this);
    ScreenToClient(hwnd, this);
}

void MirrorArrowKey(HWND hwnd, UINT& key)
{
    if (!(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL))
        return;
    if (key == VK_LEFT)
        key = VK_RIGHT;
    else if (key == VK_RIGHT)
        key = VK_LEFT;
}

BOOL IsTopLevelWindowActive(HWND hwnd)
{
    // The topmost owner: parents of child windows and owners of popups, followed to the end.
    HWND top = hwnd;
    for (HWND up = top; up;) {
        top = up;
        up = (GetWindowLongW(up, GWL_STYLE) & WS_CHILD) ? GetParent(up) : GetWindow(up, GW_OWNER);
    }
    HWND foreground = GetForegroundWindow();
    return top && foreground && GetLastActivePopup(top) == foreground;
}

// ---- Work areas --------------------------------------------------------------------------------
namespace {

struct MonitorBinder {
    using FnMetrics = int (*)(int);
    using FnFromWindow = HMONITOR (*)(HWND, DWORD);
    using FnFromRect = HMONITOR (*)(LPCRECT, DWORD);
    using FnFromPoint = HMONITOR (*)(POINT, DWORD);
    using FnInfo = BOOL (*)(HMONITOR, LPMONITORINFO);
    FnMetrics getSystemMetrics = nullptr;
    FnFromWindow fromWindow = nullptr;
    FnFromRect fromRect = nullptr;
    FnFromPoint fromPoint = nullptr;
    FnInfo getMonitorInfo = nullptr;
    BOOL bound = FALSE;

    BOOL Bind()
    {
        if (bound)
            return getMonitorInfo != nullptr;
        bound = TRUE;
        OSVERSIONINFOW v{};
        v.dwOSVersionInfoSize = sizeof(v);
        GetVersionExW(&v);
        HMODULE user = GetModuleHandleW(u"USER32");
        auto get = [&](const char* name) {
            return user ? reinterpret_cast<void*>(GetProcAddress(user, name)) : nullptr;
        };
        getSystemMetrics = reinterpret_cast<FnMetrics>(get("GetSystemMetrics"));
        fromWindow = reinterpret_cast<FnFromWindow>(get("MonitorFromWindow"));
        fromRect = reinterpret_cast<FnFromRect>(get("MonitorFromRect"));
        fromPoint = reinterpret_cast<FnFromPoint>(get("MonitorFromPoint"));
        getMonitorInfo = reinterpret_cast<FnInfo>(get(v.dwPlatformId == VER_PLATFORM_WIN32_NT ? "GetMonitorInfoW"
                                                                                              : "GetMonitorInfoA"));
        if (!getSystemMetrics || !fromWindow || !fromRect || !fromPoint || !getMonitorInfo) {
            getSystemMetrics = nullptr;
            fromWindow = nullptr;
            fromRect = nullptr;
            fromPoint = nullptr;
            getMonitorInfo = nullptr;
        }
        return getMonitorInfo != nullptr;
    }
};

MonitorBinder g_monitors;

void WorkAreaOf(RECT* out, HMONITOR monitor)
{
    MONITORINFO info{};
    info.cbSize = 40;
    if (monitor && g_monitors.getMonitorInfo(monitor, &info)) {
        *out = info.rcWork;
        return;
    }
    SystemParametersInfoW(SPI_GETWORKAREA, 0, out, 0);
}

} // namespace

void GetWorkAreaFromRect(RECT* out, const RECT& rc)
{
    if (g_monitors.Bind())
        WorkAreaOf(out, g_monitors.fromRect(&rc, MONITOR_DEFAULTTONULL));
    else
        SystemParametersInfoW(SPI_GETWORKAREA, 0, out, 0);
}

void GetWorkAreaFromWindow(RECT* out, HWND hwnd)
{
    if (g_monitors.Bind())
        WorkAreaOf(out, g_monitors.fromWindow(hwnd, MONITOR_DEFAULTTONULL));
    else
        SystemParametersInfoW(SPI_GETWORKAREA, 0, out, 0);
}

void GetWorkAreaFromPoint(RECT* out, POINT pt)
{
    if (g_monitors.Bind())
        WorkAreaOf(out, g_monitors.fromPoint(pt, MONITOR_DEFAULTTONULL));
    else
        SystemParametersInfoW(SPI_GETWORKAREA, 0, out, 0);
}

void ClampRectInto(RECT& rc, POINT pt)
{
    if (pt.x < rc.left)
        ::OffsetRect(&rc, pt.x - rc.left, 0);
    else if (pt.x > rc.right)
        ::OffsetRect(&rc, pt.x - rc.right, 0);
    if (pt.y < rc.top)
        ::OffsetRect(&rc, 0, pt.y - rc.top);
    else if (pt.y > rc.bottom)
        ::OffsetRect(&rc, 0, pt.y - rc.bottom);
}

// ---- Splitter tracking -------------------------------------------------------------------------
void CTKPTrackSplitter::DrawTracker(const RECT& rc)
{
    if (!m_hDC)
        return;
    if (m_nMode == 0) {
        HGDIOBJ old = SelectObject(m_hDC, GetHalftoneBrush());
        PatBlt(m_hDC, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, PATINVERT);
        SelectObject(m_hDC, old);
    } else {
        InvertRect(m_hDC, &rc);
    }
}

BOOL CTKPTrackSplitter::Track(HWND hwnd, int minX, int minY, int maxX, int maxY, RECT& rc, POINT start,
                              BOOL horizontal)
{
    SetCapture(hwnd);
    HWND desktop = GetDesktopWindow();
    if (LockWindowUpdate(desktop))
        m_hDC = GetDCEx(desktop, nullptr, DCX_WINDOW | DCX_CACHE | DCX_LOCKWINDOWUPDATE);
    else
        m_hDC = GetDCEx(desktop, nullptr, DCX_WINDOW | DCX_CACHE);
    POINT offset = horizontal ? POINT{rc.left - start.x, 0} : POINT{0, rc.top - start.y};
    BOOL hasLimit = m_rcLimit.right > m_rcLimit.left && m_rcLimit.bottom > m_rcLimit.top;
    DrawTracker(rc);
    if (hasLimit)
        DrawTracker(m_rcLimit);

    BOOL accepted = FALSE;
    MSG msg{};
    while (GetCapture() == hwnd) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // The quit request belongs to the thread's own loop: the drag ends and hands it on.
            if (got == 0)
                PostQuitMessage(int(msg.wParam));
            break;
        }
        if (msg.message == WM_MOUSEMOVE) {
            POINT pt{SHORT(LOWORD(msg.lParam)), SHORT(HIWORD(msg.lParam))};
            ClientToScreen(hwnd, &pt);
            pt.x = std::clamp<LONG>(pt.x + offset.x, minX, std::max(minX, maxX));
            pt.y = std::clamp<LONG>(pt.y + offset.y, minY, std::max(minY, maxY));
            LONG delta = horizontal ? pt.x - rc.left : pt.y - rc.top;
            if (delta != 0) {
                DrawTracker(rc);
                OffsetRect(&rc, horizontal ? delta : 0, horizontal ? 0 : delta);
                DrawTracker(rc);
            }
        } else if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
            break;
        } else if (msg.message == WM_LBUTTONUP) {
            accepted = TRUE;
            break;
        } else {
            DispatchMessageW(&msg);
        }
    }
    if (hasLimit)
        DrawTracker(m_rcLimit);
    DrawTracker(rc);
    if (GetCapture() == hwnd)
        ReleaseCapture();
    LockWindowUpdate(nullptr);
    if (m_hDC)
        ReleaseDC(desktop, m_hDC);
    m_hDC = nullptr;
    return accepted;
}
