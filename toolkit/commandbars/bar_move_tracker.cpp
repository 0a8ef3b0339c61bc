// Moving tool bars with the mouse: between the rows of a dock bar, to another dock bar, floating,
// and resizing a floating bar by its edges.
#include "toolkit/commandbars/bar_move_tracker.h"

#include "toolkit/base/window_helpers.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/dialog_bar.h"
#include "toolkit/commandbars/dock_bar.h"
#include "toolkit/commandbars/tool_bar.h"

#include <algorithm>

namespace {

// The docking flag that lets a bar dock on a side (0 top, 1 bottom, 2 left, 3 right).
DWORD SideFlag(int side)
{
    return DWORD(1) << side;
}

// The dock bar the bar last docked in; else the first side it may dock on.
CTKPDockBar* MRUDockBar(CTKPCommandBars* bars, CTKPToolBar* bar)
{
    for (int side = 0; side < 4; ++side)
        if (CTKPDockBar* dock = bars->GetDockBar(side);
            dock && dock->m_hWnd && UINT(::GetDlgCtrlID(dock->m_hWnd)) == bar->m_nMRUDockID)
            return dock;
    for (int side = 0; side < 4; ++side)
        if (bar->GetDockingFlags() & SideFlag(side))
            return bars->GetDockBar(side);
    return nullptr;
}

// A floating bar at a screen point, sized by its floating layout.
void PlaceFloating(CTKPToolBar* bar, RECT& rc)
{
    const CSize size = bar->CalcDynamicLayout(0, LM_COMMIT | LM_MRUWIDTH | LM_HORZ);
    rc.right = rc.left + size.cx;
    rc.bottom = rc.top + size.cy;
}

} // namespace

void CTKPBarMoveTracker::StartMove(int x, int y)
{
    if (!m_pBar->m_hWnd || !m_pBar->GetCommandBars())
        return;
    m_nMode = 1;
    if (CTKPDockBar* dock = m_pBar->GetDockBar(); dock && dock->m_hWnd && ::IsRectEmpty(&m_pBar->m_rcMRUDock)) {
        // A bar docked without a place of its own is where the rows put it.
        RECT place;
        ::GetWindowRect(m_pBar->m_hWnd, &place);
        ::MapWindowPoints(nullptr, dock->m_hWnd, reinterpret_cast<POINT*>(&place), 2);
        m_pBar->m_rcMRUDock = place;
    }
    const UINT savedDockId = m_pBar->m_nMRUDockID;
    const RECT savedDockRect = m_pBar->m_rcMRUDock;
    const BOOL wasDocked = m_pBar->GetDockBar() != nullptr;
    m_ptLast = POINT{x, y};
    RECT rc;
    ::GetWindowRect(m_pBar->m_hWnd, &rc);
    ClampRectInto(rc, m_ptLast);
    m_rcStart = m_rcCurrent = rc;
    ::SetCursor(::LoadCursorW(nullptr, IDC_SIZEALL));
    CTKPMouseTracker* mouse = CTKPMouseTracker::GetThreadTracker();
    ++mouse->m_nModalDepth;
    TrackLoop();
    --mouse->m_nModalDepth;
    if (m_pBar->IsFloating() && m_pBar->m_hWnd) {
        ::GetWindowRect(m_pBar->m_hWnd, &rc);
        m_pBar->m_ptMRUFloat = POINT{rc.left, rc.top};
        // A drag that ends floating does not change where the bar docks next.
        if (wasDocked) {
            m_pBar->m_nMRUDockID = savedDockId;
            m_pBar->m_rcMRUDock = savedDockRect;
        }
    }
    m_nMode = 0;
}

void CTKPBarMoveTracker::StartResize(int hitCode, int x, int y)
{
    if (!m_pBar->m_hWnd || hitCode < HTLEFT || hitCode > HTBOTTOMRIGHT)
        return;
    m_nMode = hitCode;
    m_ptLast = POINT{x, y};
    ::GetWindowRect(m_pBar->m_hWnd, &m_rcStart);
    m_rcCurrent = m_rcStart;
    CTKPMouseTracker* mouse = CTKPMouseTracker::GetThreadTracker();
    ++mouse->m_nModalDepth;
    TrackLoop();
    --mouse->m_nModalDepth;
    if (m_pBar->IsFloating() && m_pBar->m_hWnd) {
        RECT rc;
        ::GetWindowRect(m_pBar->m_hWnd, &rc);
        m_pBar->m_ptMRUFloat = POINT{rc.left, rc.top};
        m_pBar->SetMRUWidth(rc.right - rc.left);
    }
    m_nMode = 0;
}

void CTKPBarMoveTracker::TrackLoop()
{
    const HWND hWnd = m_pBar->m_hWnd;
    if (HWND capture = ::GetCapture(); capture && capture != hWnd)
        return;
    ::SetCapture(hWnd);
    CTKPCommandBars* bars = m_pBar->GetCommandBars();
    MSG msg;
    while (::IsWindow(hWnd) && ::GetCapture() == hWnd) {
        while (::PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
            ::DispatchMessageW(&msg);
        if (!::GetMessageW(&msg, nullptr, 0, 0)) {
            ::PostQuitMessage(int(msg.wParam));
            break;
        }
        if (msg.message == WM_LBUTTONUP)
            break;
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE)
            break;
        if (msg.message == WM_MOUSEMOVE) {
            if (msg.pt.x != m_ptLast.x || msg.pt.y != m_ptLast.y) {
                if (m_nMode == 1)
                    Move(msg.pt);
                else
                    Resize(msg.pt);
            }
        } else {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (bars)
            bars->DoPendingLayout();
    }
    if (::GetCapture() == hWnd)
        ::ReleaseCapture();
    if (bars)
        bars->GetCommandBarsOptions()->bCustomized = TRUE;
}

void CTKPBarMoveTracker::Move(POINT pt)
{
    CTKPCommandBars* bars = m_pBar->GetCommandBars();
    if (!bars)
        return;
    const int dx = pt.x - m_ptLast.x, dy = pt.y - m_ptLast.y;
    ::OffsetRect(&m_rcStart, dx, dy);
    ::OffsetRect(&m_rcCurrent, dx, dy);
    const DWORD flags = m_pBar->GetDockingFlags();
    CTKPDockBar* current = m_pBar->GetDockBar();
    CTKPDockBar* dock = bars->FindDockBarAt(pt, current);
    if (dock && (flags & SideFlag(dock->GetPosition()))) {
        bars->DockCommandBar(m_pBar, &m_rcStart, dock);
        if (dock != current) {
            bars->RecalcFrameLayout(FALSE);
            ::GetWindowRect(m_pBar->m_hWnd, &m_rcStart);
        }
    } else if (flags & 16) {
        if (current || !m_pBar->IsFloating()) {
            bars->FloatCommandBar(m_pBar);
            PlaceFloating(m_pBar, m_rcCurrent);
            ClampRectInto(m_rcCurrent, pt);
        }
        ::SetWindowPos(m_pBar->m_hWnd, nullptr, m_rcCurrent.left, m_rcCurrent.top,
                       m_rcCurrent.right - m_rcCurrent.left, m_rcCurrent.bottom - m_rcCurrent.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
    m_ptLast = pt;
}

void CTKPBarMoveTracker::Resize(POINT pt)
{
    auto* dialogBar = dynamic_cast<CTKPDialogBar*>(m_pBar);
    if (!m_pBar->IsFloating() && !dialogBar)
        return;
    RECT rc;
    ::GetWindowRect(m_pBar->m_hWnd, &rc);
    RECT wanted = rc;
    switch (m_nMode) {
    case HTLEFT: wanted.left = pt.x; break;
    case HTRIGHT: wanted.right = pt.x; break;
    case HTTOP: wanted.top = pt.y; break;
    case HTBOTTOM: wanted.bottom = pt.y; break;
    default: m_ptLast = pt; return;
    }
    m_ptLast = pt;
    if (dialogBar) {
        // A dialog bar takes any size its child allows, docked or floating.
        dialogBar->Resize(wanted, m_nMode);
        return;
    }
    const BOOL widthChanges = m_nMode == HTLEFT || m_nMode == HTRIGHT;
    const int length = std::max<int>(0, widthChanges ? wanted.right - wanted.left : wanted.bottom - wanted.top);
    const DWORD mode = widthChanges ? (LM_COMMIT | LM_HORZ) : (LM_COMMIT | LM_LENGTHY | LM_HORZ);
    const CSize size = m_pBar->CalcDynamicLayout(length, mode);
    if (size.cx == rc.right - rc.left && size.cy == rc.bottom - rc.top)
        return;
    // The edge opposite the dragged one stays in place.
    RECT moved{rc.left, rc.top, rc.left + size.cx, rc.top + size.cy};
    if (m_nMode == HTLEFT)
        ::OffsetRect(&moved, rc.right - moved.right, 0);
    if (m_nMode == HTTOP)
        ::OffsetRect(&moved, 0, rc.bottom - moved.bottom);
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT overlap;
    if (!::IntersectRect(&overlap, &moved, &work))
        return;
    ::SetWindowPos(m_pBar->m_hWnd, nullptr, moved.left, moved.top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(m_pBar->m_hWnd, nullptr, FALSE);
}

BOOL CTKPBarMoveTracker::ToggleDocking()
{
    CTKPCommandBars* bars = m_pBar->GetCommandBars();
    if (!bars || !m_pBar->m_hWnd)
        return FALSE;
    const DWORD flags = m_pBar->GetDockingFlags();
    if (CTKPDockBar* dock = m_pBar->GetDockBar()) {
        if (!(flags & 16) || !bars->GetCommandBarsOptions()->bDblClickFloat)
            return FALSE;
        POINT at = m_pBar->m_ptMRUFloat;
        if (at.x <= 0 || at.y <= 0) {
            at = POINT{m_pBar->m_rcMRUDock.left, m_pBar->m_rcMRUDock.top};
            if (CTKPDockBar* last = MRUDockBar(bars, m_pBar); last && last->m_hWnd)
                ::ClientToScreen(last->m_hWnd, &at);
            else
                ::ClientToScreen(dock->m_hWnd, &at);
        }
        bars->FloatCommandBar(m_pBar);
        RECT rc{at.x, at.y, at.x, at.y};
        PlaceFloating(m_pBar, rc);
        ::SetWindowPos(m_pBar->m_hWnd, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        m_pBar->m_ptMRUFloat = at;
    } else {
        CTKPDockBar* last = (flags & 15) ? MRUDockBar(bars, m_pBar) : nullptr;
        if (!last || !last->m_hWnd)
            return FALSE;
        RECT rc = m_pBar->m_rcMRUDock;
        ::MapWindowPoints(last->m_hWnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);
        // Without a last place the bar takes a new row, not the first row's start.
        bars->DockCommandBar(m_pBar, ::IsRectEmpty(&m_pBar->m_rcMRUDock) ? nullptr : &rc, last);
        bars->RecalcFrameLayout(FALSE);
    }
    bars->GetCommandBarsOptions()->bCustomized = TRUE;
    return TRUE;
}
