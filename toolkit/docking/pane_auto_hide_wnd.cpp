// The slide-out window of an auto-hidden pane: its place against the frame, sliding out and back
// on its timers, its edge and the sizing grip on it.
#include "toolkit/docking/pane_auto_hide.h"

#include "toolkit/base/resource_loader.h"
#include "toolkit/base/window_helpers.h"
#include "toolkit/docking/dock_paint_manager.h"
#include "toolkit/docking/pane.h"
#include "toolkit/docking/pane_layout.h"
#include "toolkit/docking/pane_manager.h"
#include "toolkit/docking/pane_splitter.h"

#include <algorithm>

namespace {

constexpr UINT_PTR kLeaveTimer = 1;
constexpr UINT_PTR kExpandTimer = 2;
constexpr UINT_PTR kCollapseTimer = 3;
constexpr UINT_PTR kCloseTimer = 4;
constexpr int kGrip = 4;
constexpr int kCountdown = 6;

} // namespace

CTKPDockingPaneAutoHideWnd::CTKPDockingPaneAutoHideWnd(CTKPPaneAutoHidePanel* panel, CTKPPaneBase* container)
    : m_pContainer(container), m_pPanel(panel), m_nSide(panel->GetDirection()),
      m_bHoriz(m_nSide == dockTopOf || m_nSide == dockBottomOf)
{
    CTKPPaneManager* manager = panel->GetManager();
    CWnd* site = manager ? manager->GetSite() : nullptr;
    CTKPPaneSplitterContainer* top = manager ? manager->GetTopContainer() : nullptr;
    if (!site || !site->GetSafeHwnd() || !top)
        return;

    const CRect outer(top->GetPaneRect());
    MINMAXINFO mmi;
    container->GetMinMaxInfo(&mmi);
    int size = (m_bHoriz ? container->m_nDockingCY : container->m_nDockingCX) + kGrip;
    const int minSize = m_bHoriz ? mmi.ptMinTrackSize.y : mmi.ptMinTrackSize.x;
    const int maxSize = m_bHoriz ? mmi.ptMaxTrackSize.y : mmi.ptMaxTrackSize.x;
    size = std::max(minSize, std::min(size, maxSize));
    CRect rc(outer);
    switch (m_nSide) {
    case dockLeftOf:
        rc.right = rc.left + size;
        break;
    case dockRightOf:
        rc.left = rc.right - size;
        break;
    case dockTopOf:
        rc.bottom = rc.top + size;
        break;
    default:
        rc.top = rc.bottom - size;
        break;
    }
    m_rcWindow = rc;

    HCURSOR cursor = nullptr;
    if (!manager->m_bLockSplitters)
        cursor = GetResourceLoader().LoadCursor(m_bHoriz ? 9971 : 9970);
    if (!cursor)
        cursor = ::LoadCursorW(nullptr, IDC_ARROW);
    LPCWSTR cls = AfxRegisterWndClass(0, cursor);
    const DWORD exStyle = ::GetWindowLongW(site->m_hWnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL;
    site->SendMessage(WM_SETREDRAW, FALSE, 0);
    const BOOL created =
        CreateEx(exStyle, cls, u"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, CRect(rc.left, rc.top, rc.left, rc.top),
                 site, 0);
    if (created) {
        if (CWnd* wnd = container->GetPaneWindow(); wnd && wnd->GetSafeHwnd()) {
            wnd->ShowWindow(SW_HIDE);
            ::SetParent(wnd->m_hWnd, m_hWnd);
        }
        container->SetHostWindow(this);
    }
    site->SendMessage(WM_SETREDRAW, TRUE, 0);
    if (!created)
        return;

    const CTKPAutoHideSettings& settings = GetAutoHideSettings();
    if (settings.dAnimationSpeed == 0 || settings.nAnimationInterval == 0)
        m_nStepsCount = 1;
    else if (settings.dAnimationSpeed > 0)
        m_nStepsCount = int((m_bHoriz ? rc.Width() : rc.Height()) * settings.dAnimationSpeed * 50 /
                            settings.nAnimationInterval);
    else
        m_nStepsCount = int(settings.nAnimationDuration / settings.nAnimationInterval);
    m_nStepsCount = std::max(1, m_nStepsCount);
    m_nStep = 0;
    if (m_nStepsCount > 1)
        SetTimer(kExpandTimer, settings.nAnimationInterval, nullptr);
    SlideStep();
    if (CWnd* wnd = container->GetPaneWindow(); wnd && wnd->GetSafeHwnd())
        wnd->ShowWindow(SW_SHOW);
    SetTimer(kLeaveTimer, settings.nLeaveCheckPeriod, nullptr);
    m_nDeactivationCount = kCountdown;
}

CWnd* CTKPDockingPaneAutoHideWnd::GetSite() const
{
    CTKPPaneManager* manager = m_pPanel ? m_pPanel->GetManager() : nullptr;
    return manager ? manager->GetSite() : GetParent();
}

CTKPPane* CTKPDockingPaneAutoHideWnd::GetSelectedPane() const
{
    CTKPPaneTabbedHolder* holder = AsTabbedHolder(m_pContainer);
    return holder ? holder->GetSelected() : nullptr;
}

void CTKPDockingPaneAutoHideWnd::SlideStep()
{
    CRect rc(m_rcWindow);
    const int width = rc.Width(), height = rc.Height();
    const int k = m_nStep + 1, n = std::max(1, m_nStepsCount);
    switch (m_nSide) {
    case dockLeftOf:
        rc.right = rc.left + width * k / n;
        break;
    case dockRightOf:
        rc.left = rc.right - width * k / n;
        break;
    case dockTopOf:
        rc.bottom = rc.top + height * k / n;
        break;
    default:
        rc.top = rc.bottom - height * k / n;
        break;
    }
    ::SetWindowPos(m_hWnd, HWND_TOP, rc.left, rc.top, rc.Width(), rc.Height(), SWP_SHOWWINDOW | SWP_NOACTIVATE);
    CWnd::Invalidate(FALSE);
}

void CTKPDockingPaneAutoHideWnd::RecalcLayout(BOOL)
{
    CWnd* wnd = m_pContainer ? m_pContainer->GetPaneWindow() : nullptr;
    if (!GetSafeHwnd() || !wnd || !wnd->GetSafeHwnd())
        return;
    CRect client;
    GetClientRect(&client);
    const int width = m_rcWindow.Width(), height = m_rcWindow.Height();
    // The container keeps its full size and moves with the sliding edge.
    CRect rc(0, 0, width, height);
    switch (m_nSide) {
    case dockLeftOf:
        rc.OffsetRect(-(width - client.Width()), 0);
        rc.right -= kGrip;
        break;
    case dockRightOf:
        rc.left = kGrip;
        break;
    case dockTopOf:
        rc.OffsetRect(0, -(height - client.Height()));
        rc.bottom -= kGrip;
        break;
    default:
        rc.top = kGrip;
        break;
    }
    AFX_SIZEPARENTPARAMS layout{};
    layout.hDWP = ::BeginDeferWindowPos(8);
    layout.rect = rc;
    m_pContainer->OnSizeParent(this, rc, &layout);
    if (layout.hDWP)
        ::EndDeferWindowPos(layout.hDWP);
}

void CTKPDockingPaneAutoHideWnd::ReleaseContainer()
{
    if (!m_pContainer)
        return;
    CWnd* site = GetSite();
    if (CWnd* wnd = m_pContainer->GetPaneWindow(); wnd && wnd->GetSafeHwnd()) {
        wnd->ShowWindow(SW_HIDE);
        if (GetSafeHwnd() && ::GetParent(wnd->m_hWnd) == m_hWnd && site && site->GetSafeHwnd())
            ::SetParent(wnd->m_hWnd, site->m_hWnd);
    }
    // Nothing may keep pointing at this window once it is gone.
    m_pContainer->SetHostWindow(site);
    CTKPPaneList panes;
    m_pContainer->FindPanes(paneTypeDockingPane, panes);
    for (CTKPPaneBase* pane : panes)
        if (pane->GetHostWindow() == this)
            pane->SetHostWindow(site);
    m_pContainer = nullptr;
}

void CTKPDockingPaneAutoHideWnd::Close()
{
    if (!GetSafeHwnd())
        return;
    KillTimer(kLeaveTimer);
    KillTimer(kExpandTimer);
    KillTimer(kCollapseTimer);
    ShowWindow(SW_HIDE);
    ReleaseContainer();
    if (m_pPanel && m_pPanel->m_pActiveWnd == this)
        m_pPanel->m_pActiveWnd = nullptr;
    PostMessage(WM_CLOSE);
}

void CTKPDockingPaneAutoHideWnd::PostNcDestroy()
{
    if (m_pPanel)
        m_pPanel->ForgetWindow(this);
    m_pPanel = nullptr;
    CMiniFrameWnd::PostNcDestroy();
}

// ---- Timers ------------------------------------------------------------------------------------
void CTKPDockingPaneAutoHideWnd::OnTimer(UINT_PTR id)
{
    const CTKPAutoHideSettings& settings = GetAutoHideSettings();
    CTKPPaneManager* manager = m_pPanel ? m_pPanel->GetManager() : nullptr;
    switch (id) {
    case kLeaveTimer: {
        if (m_bTracking || !m_pContainer)
            return;
        CPoint cursor;
        ::GetCursorPos(&cursor);
        CRect own, panel;
        GetWindowRect(&own);
        if (m_pPanel && m_pPanel->GetSafeHwnd())
            ::GetWindowRect(m_pPanel->m_hWnd, &panel);
        CTKPPaneTabbedHolder* holder = AsTabbedHolder(m_pContainer);
        if (own.PtInRect(cursor) || panel.PtInRect(cursor) || (holder && holder->IsActive())) {
            m_nDeactivationCount = kCountdown;
            if (m_bCollapsing) {
                // Coming back in turns the slide around where it is.
                m_bCollapsing = FALSE;
                KillTimer(kCollapseTimer);
                SetTimer(kExpandTimer, settings.nAnimationInterval, nullptr);
            }
            return;
        }
        if (m_bCollapsing)
            return;
        if (--m_nDeactivationCount > 0 || !settings.bCloseOnLeave)
            return;
        if (manager && manager->NotifyAction(paneActionCollapsing, GetSelectedPane())) {
            m_nDeactivationCount = kCountdown;
            return;
        }
        m_bCollapsing = TRUE;
        KillTimer(kExpandTimer);
        SetTimer(kCollapseTimer, settings.nAnimationInterval, nullptr);
        return;
    }
    case kExpandTimer:
        if (++m_nStep < m_nStepsCount) {
            SlideStep();
            return;
        }
        m_nStep = m_nStepsCount - 1;
        KillTimer(kExpandTimer);
        if (manager)
            manager->NotifyAction(paneActionExpanded, GetSelectedPane());
        return;
    case kCollapseTimer:
        if (--m_nStep < 0) {
            m_bCollapsing = FALSE;
            KillTimer(kCollapseTimer);
            if (manager)
                manager->NotifyAction(paneActionCollapsed, GetSelectedPane());
            Close();
            return;
        }
        SlideStep();
        return;
    case kCloseTimer:
        KillTimer(kCloseTimer);
        Close();
        return;
    default:
        return;
    }
}

// ---- Painting ----------------------------------------------------------------------------------
void CTKPDockingPaneAutoHideWnd::OnPaint()
{
    PAINTSTRUCT ps;
    HDC hdc = ::BeginPaint(m_hWnd, &ps);
    CRect rc;
    GetClientRect(&rc);
    CTKPPaneThemePainter* painter = m_pPanel ? m_pPanel->GetPaintManager() : nullptr;
    auto color = [painter](UINT index) { return painter ? painter->GetColor(index) : ::GetSysColor(int(index)); };
    CDC dc;
    dc.Attach(hdc);
    dc.FillSolidRect(rc, color(51));
    // The edge towards the frame's middle.
    switch (m_nSide) {
    case dockLeftOf:
        dc.FillSolidRect(rc.right - 1, rc.top, 1, rc.Height(), color(18));
        dc.FillSolidRect(rc.right - 2, rc.top, 1, rc.Height(), color(16));
        break;
    case dockRightOf:
        dc.FillSolidRect(rc.left + 1, rc.top, 1, rc.Height(), color(20));
        break;
    case dockTopOf:
        dc.FillSolidRect(rc.left, rc.bottom - 1, rc.Width(), 1, color(18));
        dc.FillSolidRect(rc.left, rc.bottom - 2, rc.Width(), 1, color(16));
        break;
    default:
        dc.FillSolidRect(rc.left, rc.top + 1, rc.Width(), 1, color(20));
        break;
    }
    dc.Detach();
    ::EndPaint(m_hWnd, &ps);
}

// ---- Sizing by the grip ------------------------------------------------------------------------
CRect CTKPDockingPaneAutoHideWnd::GetGripRect() const
{
    CTKPPaneManager* manager = m_pPanel ? m_pPanel->GetManager() : nullptr;
    CRect rc;
    GetClientRect(&rc);
    if (!manager || manager->m_bLockSplitters)
        return CRect(0, 0, 0, 0);
    switch (m_nSide) {
    case dockLeftOf:
        rc.left = rc.right - kGrip;
        break;
    case dockRightOf:
        rc.right = rc.left + kGrip;
        break;
    case dockTopOf:
        rc.top = rc.bottom - kGrip;
        break;
    default:
        rc.bottom = rc.top + kGrip;
        break;
    }
    return rc;
}

BOOL CTKPDockingPaneAutoHideWnd::GetTrackLimits(const CRect& outer, int& low, int& high) const
{
    CTKPPaneManager* manager = m_pPanel ? m_pPanel->GetManager() : nullptr;
    if (!manager || !m_pContainer)
        return FALSE;
    const int g = manager->m_nSplitterGap + kGrip;
    MINMAXINFO mmi;
    m_pContainer->GetMinMaxInfo(&mmi);
    // Sizes of the window: the container's and the grip on the far side of right and bottom panels.
    int minSize = m_bHoriz ? mmi.ptMinTrackSize.y : mmi.ptMinTrackSize.x;
    int maxSize = m_bHoriz ? mmi.ptMaxTrackSize.y : mmi.ptMaxTrackSize.x;
    if (m_nSide == dockRightOf || m_nSide == dockBottomOf) {
        minSize += kGrip;
        maxSize += kGrip;
    }
    const int from = m_bHoriz ? outer.top : outer.left;
    const int to = m_bHoriz ? outer.bottom : outer.right;
    if (m_nSide == dockLeftOf || m_nSide == dockTopOf) {
        low = from + std::max(minSize, g);
        high = std::min(to - g, from + maxSize);
    } else {
        low = std::max(from + g, to - maxSize);
        high = to - std::max(minSize, g);
    }
    return low < high;
}

void CTKPDockingPaneAutoHideWnd::ApplyGrip(const CRect& grip, const CRect& outer)
{
    CTKPPaneManager* manager = m_pPanel ? m_pPanel->GetManager() : nullptr;
    CRect rc;
    GetWindowRect(&rc);
    int side = manager ? manager->MirrorDirection(m_nSide) : m_nSide;
    switch (side) {
    case dockLeftOf:
        rc.left = outer.left;
        rc.right = grip.right;
        break;
    case dockRightOf:
        rc.left = grip.left;
        rc.right = outer.right;
        break;
    case dockTopOf:
        rc.top = outer.top;
        rc.bottom = grip.bottom;
        break;
    default:
        rc.top = grip.top;
        rc.bottom = outer.bottom;
        break;
    }
    if (CTKPPane* pane = GetSelectedPane()) {
        if (m_bHoriz)
            pane->m_nDockingCY = rc.Height();
        else
            pane->m_nDockingCX = rc.Width();
    }
    if (CWnd* site = GetSite(); site && site->GetSafeHwnd())
        ::MapWindowPoints(nullptr, site->m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
    m_rcWindow = rc;
    SetWindowPos(nullptr, rc.left, rc.top, rc.Width(), rc.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    CWnd::Invalidate(FALSE);
}

void CTKPDockingPaneAutoHideWnd::OnLButtonDown(CPoint point)
{
    CTKPPaneManager* manager = m_pPanel ? m_pPanel->GetManager() : nullptr;
    const CRect gripClient = GetGripRect();
    if (!manager || !m_pContainer || gripClient.IsRectEmpty() || !gripClient.PtInRect(point))
        return;
    CWnd* site = GetSite();
    CTKPPaneSplitterContainer* top = manager->GetTopContainer();
    if (!top || !site)
        return;
    CRect outer;
    top->GetWindowRect(&outer);
    int low = 0, high = 0;
    if (!GetTrackLimits(outer, low, high))
        return;
    CRect grip(gripClient);
    ClientToScreen(&grip);
    CPoint start(point);
    ClientToScreen(&start);
    m_bTracking = TRUE;
    // The limits hold the grip's leading edge.
    if (manager->m_bSplitterTracker) {
        const int lowEdge = m_nSide == dockLeftOf || m_nSide == dockTopOf ? low - kGrip : low;
        const int highEdge = m_nSide == dockLeftOf || m_nSide == dockTopOf ? high - kGrip : high;
        CRect rc(grip);
        CTKPTrackSplitter tracker;
        HWND hwnd = m_hWnd;
        const BOOL accepted = tracker.Track(hwnd, m_bHoriz ? rc.left : lowEdge, m_bHoriz ? lowEdge : rc.top,
                                            m_bHoriz ? rc.left : highEdge, m_bHoriz ? highEdge : rc.top, rc, start,
                                            !m_bHoriz);
        if (!::IsWindow(hwnd))
            return;
        if (accepted)
            ApplyGrip(rc, outer);
    } else {
        TrackLive(grip, start, low, high, outer);
    }
    m_bTracking = FALSE;
}

void CTKPDockingPaneAutoHideWnd::TrackLive(CRect grip, CPoint start, int low, int high, const CRect& outer)
{
    HWND hwnd = m_hWnd;
    const BOOL nearSide = m_nSide == dockLeftOf || m_nSide == dockTopOf;
    // The window's edge facing the frame follows the cursor, within the limits.
    const int edgeOffset = (m_bHoriz ? (nearSide ? grip.bottom : grip.top) : (nearSide ? grip.right : grip.left)) -
                           (m_bHoriz ? start.y : start.x);
    ::SetCapture(hwnd);
    MSG msg{};
    while (::GetCapture() == hwnd) {
        while (::PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
            ::DispatchMessageW(&msg);
        if (!::GetMessageW(&msg, nullptr, 0, 0)) {
            ::PostQuitMessage(int(msg.wParam));
            break;
        }
        if (msg.message == WM_MOUSEMOVE) {
            CPoint pt(GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam));
            ::ClientToScreen(msg.hwnd, &pt);
            const int edge = std::clamp((m_bHoriz ? pt.y : pt.x) + edgeOffset, low, high);
            CRect rc(grip);
            const int delta = edge - (m_bHoriz ? (nearSide ? rc.bottom : rc.top) : (nearSide ? rc.right : rc.left));
            if (m_bHoriz)
                rc.OffsetRect(0, delta);
            else
                rc.OffsetRect(delta, 0);
            grip = rc;
            ApplyGrip(grip, outer);
            if (!::IsWindow(hwnd))
                return;
        } else if ((msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) || msg.message == WM_LBUTTONUP) {
            break;
        } else {
            ::DispatchMessageW(&msg);
        }
    }
    if (::GetCapture() == hwnd)
        ::ReleaseCapture();
}

LRESULT CTKPDockingPaneAutoHideWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        OnTimer(UINT_PTR(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_LBUTTONDOWN:
        OnLButtonDown(CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
        return 0;
    default:
        break;
    }
    return CMiniFrameWnd::WindowProc(message, wParam, lParam);
}
