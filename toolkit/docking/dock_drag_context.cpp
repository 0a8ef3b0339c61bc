// The drag context: the mouse loop of dragging a pane, finding where it would dock, the ghost of
// that place and what the drop does.
#include "toolkit/docking/dock_drag_context.h"

#include "afx/frame.h"
#include "toolkit/docking/dock_paint_manager.h"
#include "toolkit/docking/pane.h"
#include "toolkit/docking/pane_holders.h"
#include "toolkit/docking/pane_layout.h"
#include "toolkit/docking/pane_manager.h"
#include "toolkit/docking/pane_splitter.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kStartDistance = 5;
constexpr int kSideBand = 20;
constexpr int kGhostFrame = 4;
constexpr BYTE kGhostAlpha = 100;

BOOL IsEmpty(const RECT& rc)
{
    return rc.right <= rc.left || rc.bottom <= rc.top;
}

CTKPPane* AsSingle(CTKPPaneBase* pane)
{
    return pane && pane->GetType() == paneTypeDockingPane ? static_cast<CTKPPane*>(pane) : nullptr;
}

// The screen rectangle of a pane kind: a floating window's own, else the pane's laid-out one.
RECT PaneScreenRect(CTKPPaneBase* pane)
{
    RECT rc{0, 0, 0, 0};
    if (CWnd* wnd = pane->GetType() == paneTypeMiniWnd ? pane->GetPaneWindow() : nullptr; wnd && wnd->GetSafeHwnd())
        ::GetWindowRect(wnd->m_hWnd, &rc);
    else
        pane->GetWindowRect(&rc);
    return rc;
}

} // namespace

// ---- Ghost -------------------------------------------------------------------------------------
BOOL CTKPDockGhostWnd::Create(CWnd* owner)
{
    LPCWSTR cls = AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW));
    return CreateEx(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, cls, u"", WS_POPUP, 0, 0, 0, 0,
                    owner ? owner->GetSafeHwnd() : nullptr, nullptr, nullptr);
}

LRESULT CTKPDockGhostWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = ::BeginPaint(m_hWnd, &ps);
        RECT rc;
        ::GetClientRect(m_hWnd, &rc);
        ::FillRect(hdc, &rc, ::GetSysColorBrush(COLOR_HIGHLIGHT));
        ::EndPaint(m_hWnd, &ps);
        return 0;
    }
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}

// ---- Context -----------------------------------------------------------------------------------
CTKPDockDragContext::CTKPDockDragContext(CTKPPaneManager* manager) : m_pManager(manager)
{
    HMODULE user = ::GetModuleHandleW(u"USER32");
    if (!user)
        user = ::LoadLibraryW(u"USER32");
    if (user)
        m_pfnSetLayeredWindowAttributes = reinterpret_cast<PFNSETLAYEREDWINDOWATTRIBUTES>(
            reinterpret_cast<void*>(::GetProcAddress(user, "SetLayeredWindowAttributes")));
}

CTKPDockDragContext::~CTKPDockDragContext()
{
    DestroyGuides();
    for (CTKPDockGhostWnd* ghost : {m_pGhost, m_pTabGhost}) {
        if (ghost && ghost->GetSafeHwnd())
            ghost->DestroyWindow();
        delete ghost;
    }
    for (auto& entry : m_regions)
        ::DeleteObject(entry.second);
    if (m_hLastRegion)
        ::DeleteObject(m_hLastRegion);
}

CTKPPaneList CTKPDockDragContext::DraggedPanes() const
{
    CTKPPaneList list;
    if (!m_pPane)
        return list;
    if (AsSingle(m_pPane))
        list.push_back(m_pPane);
    else if (CTKPPaneFloatingHolder* mini = AsFloatingHolder(m_pPane)) {
        if (CTKPPaneBase* top = mini->GetTopContainer())
            top->FindPanes(paneTypeDockingPane, list);
    } else {
        m_pPane->FindPanes(paneTypeDockingPane, list);
    }
    return list;
}

CWnd* CTKPDockDragContext::CaptureWindow() const
{
    if (!m_pPane)
        return nullptr;
    if (CWnd* wnd = m_pPane->GetPaneWindow(); wnd && wnd->GetSafeHwnd())
        return wnd;
    if (CTKPPaneBase* parent = m_pPane->GetParentContainer())
        if (CWnd* wnd = parent->GetPaneWindow(); wnd && wnd->GetSafeHwnd())
            return wnd;
    return m_pManager->GetSite();
}

RECT CTKPDockDragContext::OuterRect() const
{
    RECT rc{0, 0, 0, 0};
    if (CTKPPaneSplitterContainer* top = m_pManager->GetTopContainer())
        top->GetWindowRect(&rc);
    return rc;
}

void CTKPDockDragContext::StartDrag(CTKPPaneBase* pane, int x, int y)
{
    if (!pane || !m_pManager->GetSite())
        return;
    m_pPane = pane;
    RECT rc = PaneScreenRect(pane);
    // The rectangle goes along with the cursor, which must lie inside it.
    if (x < rc.left || x >= rc.right)
        ::OffsetRect(&rc, x - (rc.left + rc.right) / 2, 0);
    if (y < rc.top || y >= rc.bottom)
        ::OffsetRect(&rc, 0, y - (rc.top + rc.bottom) / 2);
    m_rcDrag = rc;
    m_ptLast = m_ptStart = POINT{x, y};
    m_bStarted = TRUE;
    m_pTarget = nullptr;
    m_bAttach = FALSE;
    m_bFloatable = TRUE;
    for (CTKPPaneBase* item : DraggedPanes()) {
        auto* single = static_cast<CTKPPane*>(item);
        if ((single->GetOptions() & paneNoFloatable) || m_pManager->NotifyAction(paneActionFloating, single))
            m_bFloatable = FALSE;
    }
    m_bTranslucent = m_pManager->m_bAlphaDockingContext && m_pfnSetLayeredWindowAttributes;
    m_bGuides = m_bTranslucent && m_pManager->m_bShowDockingContextStickers;
    InitLoop();
    Track();
    m_pPane = nullptr;
}

void CTKPDockDragContext::InitLoop()
{
    m_rcLastGhost = RECT{0, 0, 0, 0};
    if (m_hLastRegion) {
        ::DeleteObject(m_hLastRegion);
        m_hLastRegion = nullptr;
    }
    m_pHovered = nullptr;
    m_pGuidesFor = nullptr;
    if (m_bTranslucent)
        return;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
        ::DispatchMessageW(&msg);
    HWND desktop = ::GetDesktopWindow();
    m_bLocked = ::LockWindowUpdate(desktop);
    m_hDesktopDC = ::GetDCEx(desktop, nullptr, DCX_WINDOW | DCX_CACHE | (m_bLocked ? DCX_LOCKWINDOWUPDATE : 0));
}

void CTKPDockDragContext::Track()
{
    CWnd* capture = CaptureWindow();
    if (::GetCapture() || !capture || !capture->GetSafeHwnd()) {
        CancelLoop();
        return;
    }
    HWND hwnd = capture->m_hWnd;
    ::SetCapture(hwnd);
    BOOL dropped = FALSE;
    MSG msg{};
    while (::GetCapture() == hwnd) {
        if (!::GetMessageW(&msg, nullptr, 0, 0)) {
            ::PostQuitMessage(int(msg.wParam));
            break;
        }
        if (msg.message == WM_LBUTTONUP) {
            dropped = TRUE;
            break;
        }
        if (msg.message == WM_MOUSEMOVE) {
            POINT pt{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
            ::ClientToScreen(msg.hwnd, &pt);
            if (m_bStarted && std::abs(pt.x - m_ptStart.x) < kStartDistance &&
                std::abs(pt.y - m_ptStart.y) < kStartDistance)
                continue;
            m_bStarted = FALSE;
            Move(pt.x, pt.y);
        } else if ((msg.message == WM_KEYDOWN || msg.message == WM_KEYUP) && msg.wParam == VK_CONTROL) {
            if (!m_bStarted)
                Move(m_ptLast.x, m_ptLast.y);
        } else if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
            break;
        } else {
            ::DispatchMessageW(&msg);
        }
    }
    CancelLoop();
    if (dropped && !m_bStarted)
        Drop();
}

void CTKPDockDragContext::Drop()
{
    CTKPPaneBase* pane = m_pPane;
    // A floating window drags its whole content.
    CTKPPaneFloatingHolder* mini = AsFloatingHolder(pane);
    CTKPPaneBase* content = pane;
    if (mini)
        content = mini->GetTopContainer();
    const CTKPPaneList panes = DraggedPanes();
    if (m_bAttach && m_pTarget) {
        m_pManager->AttachPane(content, m_pTarget);
        m_pManager->UpdateHolders();
        for (CTKPPaneBase* item : panes)
            m_pManager->NotifyAction(paneActionAttached, item);
    } else if (m_pTarget) {
        m_pManager->DockPane(content, m_nSide, m_pTarget);
        m_pManager->UpdateHolders();
        for (CTKPPaneBase* item : panes)
            m_pManager->NotifyAction(paneActionDocked, item);
    } else if (m_bFloatable) {
        RECT rc = m_rcDrag;
        if (rc.top < 0)
            ::OffsetRect(&rc, 0, -rc.top);
        if (mini) {
            if (CWnd* wnd = pane->GetPaneWindow(); wnd && wnd->GetSafeHwnd())
                ::SetWindowPos(wnd->m_hWnd, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                               SWP_NOZORDER | SWP_NOACTIVATE);
        } else {
            m_pManager->FloatPane(pane, rc);
            m_pManager->UpdateHolders();
            for (CTKPPaneBase* item : panes)
                m_pManager->NotifyAction(paneActionFloated, item);
        }
    }
    if (CWnd* site = m_pManager->GetSite())
        if (auto* frame = dynamic_cast<CFrameWnd*>(site))
            frame->DelayRecalcLayout();
}

void CTKPDockDragContext::Move(int x, int y)
{
    RECT moved = m_rcDrag;
    ::OffsetRect(&moved, x - m_ptLast.x, y - m_ptLast.y);
    // The rectangle stays where some of it is on the monitor's work area.
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    RECT meet;
    if (::GetMonitorInfoW(::MonitorFromRect(&moved, MONITOR_DEFAULTTONEAREST), &info) &&
        ::IntersectRect(&meet, &moved, &info.rcWork))
        m_rcDrag = moved;
    m_pTarget = nullptr;
    m_bAttach = FALSE;
    m_pHovered = nullptr;
    if (::GetKeyState(VK_CONTROL) >= 0)
        FindTarget(x, y);
    m_ptLast = POINT{x, y};
    if (!m_bGuides) {
        DrawGhost(FALSE);
        return;
    }
    UpdateGuides();
    const POINT pt{x, y};
    int code = 0;
    CTKPDockGuideWnd* hit = nullptr;
    for (CTKPDockGuideWnd* guide : m_guides)
        if ((code = guide->HitTest(pt)) != 0) {
            hit = guide;
            break;
        }
    if (hit) {
        CTKPPaneBase* container = nullptr;
        RECT rc{0, 0, 0, 0};
        if (hit->m_dwFlags & guideCompass) {
            container = m_pHovered;
            rc = m_rcHovered;
        } else {
            container = m_pManager->GetTopContainer();
            rc = OuterRect();
        }
        m_pTarget = nullptr;
        m_bAttach = FALSE;
        int side = -1;
        switch (code) {
        case guideLeft:
            side = dockLeftOf, rc.right = (rc.left + rc.right) / 2;
            break;
        case guideRight:
            side = dockRightOf, rc.left = (rc.left + rc.right) / 2;
            break;
        case guideTop:
            side = dockTopOf, rc.bottom = (rc.top + rc.bottom) / 2;
            break;
        case guideBottom:
            side = dockBottomOf, rc.top = (rc.top + rc.bottom) / 2;
            break;
        default:
            break;
        }
        if (code == guideCentre) {
            if (container && CanAttach(container)) {
                m_pTarget = container;
                m_bAttach = TRUE;
                m_rcTarget = rc;
            }
        } else if (side >= 0 && container && CanDock(container, side)) {
            m_pTarget = container;
            m_nSide = side;
            m_rcTarget = rc;
            m_pManager->GetDockRect(m_rcTarget, m_pPane, side, container);
        }
    }
    for (CTKPDockGuideWnd* guide : m_guides) {
        const int hot = guide == hit ? code : 0;
        if (guide->m_nHot != hot) {
            guide->m_nHot = hot;
            guide->Invalidate(FALSE);
        }
    }
    DrawGhost(FALSE);
}

void CTKPDockDragContext::FindTarget(int x, int y)
{
    CTKPPaneLayout* layout = m_pManager->GetLayout();
    if (!layout)
        return;
    const POINT pt{x, y};
    const CTKPPaneList panes = layout->GetPaneList();
    for (CTKPPaneBase* pane : panes) {
        CTKPPaneTabbedHolder* holder = AsTabbedHolder(pane);
        CTKPPaneBase* parent = pane->GetParentContainer();
        CWnd* wnd = pane->GetPaneWindow();
        if (!holder || pane == m_pPane || !parent || parent->GetType() != paneTypeSplitterContainer || !wnd ||
            !wnd->GetSafeHwnd() || !::IsWindowVisible(wnd->m_hWnd))
            continue;
        // A container whose only pane is the one dragged has nowhere else to put it.
        if (AsSingle(m_pPane) && m_pPane->GetParentContainer() == pane && !pane->IsHidden()) {
            CTKPPaneList members;
            pane->FindPanes(paneTypeDockingPane, members);
            if (members.size() == 1)
                continue;
        }
        RECT rc;
        pane->GetWindowRect(&rc);
        RECT test = rc;
        if (holder->HitTestAttach(test, x, y) && CanAttach(pane)) {
            m_pTarget = pane;
            m_bAttach = TRUE;
            m_rcTarget = rc;
            return;
        }
        if (!m_bGuides) {
            if (HitTestSide(rc, pt, pane, TRUE))
                return;
        } else if (!m_pHovered && ::PtInRect(&rc, pt)) {
            m_pHovered = pane;
            m_rcHovered = rc;
        }
    }
    CTKPPaneBase* client = m_pManager->GetClientPane();
    CTKPPaneBase* top = m_pManager->GetTopContainer();
    RECT rcClient{0, 0, 0, 0};
    if (client && !client->IsHidden())
        client->GetWindowRect(&rcClient);
    const RECT outer = OuterRect();
    if (!m_bGuides) {
        if (client && HitTestSide(rcClient, pt, client, TRUE))
            return;
        if (top)
            HitTestSide(outer, pt, top, FALSE);
        return;
    }
    if (m_pHovered)
        return;
    if (client && ::PtInRect(&rcClient, pt)) {
        m_pHovered = client;
        m_rcHovered = rcClient;
    } else if (top && ::PtInRect(&outer, pt)) {
        m_pHovered = top;
        m_rcHovered = outer;
    }
}

BOOL CTKPDockDragContext::HitTestSide(const RECT& rc, POINT pt, CTKPPaneBase* container, BOOL inside)
{
    if (IsEmpty(rc) || !container)
        return FALSE;
    int band = kSideBand;
    double weight = 1.0;
    if (inside && !m_bFloatable) {
        // A pane that cannot float docks at the nearest side wherever it is.
        band = 32000;
        weight = double(rc.bottom - rc.top) / double(rc.right - rc.left);
    }
    RECT zone = rc;
    if (!inside)
        ::InflateRect(&zone, kSideBand, kSideBand);
    if (!::PtInRect(&zone, pt))
        return FALSE;
    double best = band;
    int side = -1;
    auto consider = [&](double distance, BOOL onSide, int candidate) {
        if (onSide && distance < best) {
            best = distance;
            side = candidate;
        }
    };
    consider(std::abs(pt.y - rc.top), inside ? pt.y >= rc.top : pt.y < rc.top, dockTopOf);
    consider(std::abs(pt.y - rc.bottom), inside ? pt.y <= rc.bottom : pt.y >= rc.bottom, dockBottomOf);
    consider(std::abs(pt.x - rc.left) * weight, inside ? pt.x >= rc.left : pt.x < rc.left, dockLeftOf);
    consider(std::abs(pt.x - rc.right) * weight, inside ? pt.x <= rc.right : pt.x >= rc.right, dockRightOf);
    if (side < 0 || !CanDock(container, side))
        return FALSE;
    m_pTarget = container;
    m_nSide = side;
    m_bAttach = FALSE;
    m_pManager->GetDockRect(m_rcTarget, m_pPane, side, container);
    return TRUE;
}

BOOL CTKPDockDragContext::CanDock(CTKPPaneBase* container, int side)
{
    for (CTKPPaneBase* pane : DraggedPanes())
        if (m_pManager->NotifyAction(paneActionDocking, pane, reinterpret_cast<LPARAM>(container), side))
            return FALSE;
    return TRUE;
}

BOOL CTKPDockDragContext::CanAttach(CTKPPaneBase* container)
{
    for (CTKPPaneBase* pane : DraggedPanes())
        if (m_pManager->NotifyAction(paneActionAttaching, pane, reinterpret_cast<LPARAM>(container)))
            return FALSE;
    return TRUE;
}

void CTKPDockDragContext::CancelLoop()
{
    if (CWnd* capture = CaptureWindow(); capture && capture->GetSafeHwnd() && ::GetCapture() == capture->m_hWnd)
        ::ReleaseCapture();
    if (m_bTranslucent) {
        for (CTKPDockGhostWnd** ghost : {&m_pGhost, &m_pTabGhost}) {
            if (*ghost && (*ghost)->GetSafeHwnd())
                (*ghost)->DestroyWindow();
            delete *ghost;
            *ghost = nullptr;
        }
        DestroyGuides();
        for (auto& entry : m_regions)
            ::DeleteObject(entry.second);
        m_regions.clear();
        return;
    }
    DrawGhost(TRUE);
    if (m_bLocked)
        ::LockWindowUpdate(nullptr);
    m_bLocked = FALSE;
    if (m_hDesktopDC)
        ::ReleaseDC(::GetDesktopWindow(), m_hDesktopDC);
    m_hDesktopDC = nullptr;
}

// ---- Ghost -------------------------------------------------------------------------------------
RECT CTKPDockDragContext::TabGhostRect() const
{
    RECT tab = m_rcTarget;
    CTKPPaneThemePainter* painter = m_pManager->GetPaintManager();
    const int row = painter ? painter->GetTabRowHeight() : 24;
    tab.top = std::max(tab.top, tab.bottom - row);
    tab.right = std::min(tab.right, tab.left + std::max(row * 2, (tab.right - tab.left) / 4));
    ::OffsetRect(&tab, kGhostFrame * 2, 0);
    tab.right = std::min(tab.right, m_rcTarget.right);
    return tab;
}

HRGN CTKPDockDragContext::GhostRegion() const
{
    RECT rc = m_pTarget ? m_rcTarget : m_rcDrag;
    RECT tab{0, 0, 0, 0};
    if (m_bAttach && m_pTarget) {
        tab = TabGhostRect();
        rc.bottom = tab.top;
    }
    auto frame = [](const RECT& r) {
        HRGN outer = ::CreateRectRgnIndirect(&r);
        RECT in = r;
        ::InflateRect(&in, -kGhostFrame, -kGhostFrame);
        if (!IsEmpty(in)) {
            HRGN inner = ::CreateRectRgnIndirect(&in);
            ::CombineRgn(outer, outer, inner, RGN_DIFF);
            ::DeleteObject(inner);
        }
        return outer;
    };
    HRGN region = frame(rc);
    if (!IsEmpty(tab)) {
        // The tab hangs below the frame, open towards it.
        HRGN tabFrame = frame(tab);
        RECT joint{tab.left + kGhostFrame, tab.top, tab.right - kGhostFrame, tab.top + kGhostFrame};
        HRGN open = ::CreateRectRgnIndirect(&joint);
        ::CombineRgn(tabFrame, tabFrame, open, RGN_DIFF);
        ::CombineRgn(region, region, tabFrame, RGN_OR);
        HRGN mouth = ::CreateRectRgn(joint.left, rc.bottom - kGhostFrame, joint.right, rc.bottom);
        ::CombineRgn(region, region, mouth, RGN_DIFF);
        ::DeleteObject(mouth);
        ::DeleteObject(open);
        ::DeleteObject(tabFrame);
    }
    return region;
}

void CTKPDockDragContext::InvertRegion(HRGN region)
{
    if (!m_hDesktopDC || !region)
        return;
    RECT box;
    ::GetRgnBox(region, &box);
    ::SelectClipRgn(m_hDesktopDC, region);
    HGDIOBJ old = ::SelectObject(m_hDesktopDC, ::GetHalftoneBrush());
    ::PatBlt(m_hDesktopDC, box.left, box.top, box.right - box.left, box.bottom - box.top, PATINVERT);
    ::SelectObject(m_hDesktopDC, old);
    ::SelectClipRgn(m_hDesktopDC, nullptr);
}

void CTKPDockDragContext::DrawGhost(BOOL erase)
{
    if (m_bTranslucent) {
        CWnd* site = m_pManager->GetSite();
        if (erase) {
            for (CTKPDockGhostWnd* ghost : {m_pGhost, m_pTabGhost})
                if (ghost && ghost->GetSafeHwnd())
                    ghost->ShowWindow(SW_HIDE);
            return;
        }
        for (CTKPDockGhostWnd** ghost : {&m_pGhost, &m_pTabGhost}) {
            if (*ghost)
                continue;
            *ghost = new CTKPDockGhostWnd;
            if ((*ghost)->Create(site))
                m_pfnSetLayeredWindowAttributes((*ghost)->m_hWnd, 0, kGhostAlpha, LWA_ALPHA);
        }
        RECT rc = m_pTarget ? m_rcTarget : m_rcDrag;
        RECT tab{0, 0, 0, 0};
        if (m_bAttach && m_pTarget) {
            tab = TabGhostRect();
            rc.bottom = tab.top;
        }
        if (m_pGhost->GetSafeHwnd())
            ::SetWindowPos(m_pGhost->m_hWnd, HWND_TOPMOST, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                           SWP_SHOWWINDOW | SWP_NOACTIVATE);
        if (m_pTabGhost->GetSafeHwnd()) {
            if (IsEmpty(tab))
                m_pTabGhost->ShowWindow(SW_HIDE);
            else
                ::SetWindowPos(m_pTabGhost->m_hWnd, HWND_TOPMOST, tab.left, tab.top, tab.right - tab.left,
                               tab.bottom - tab.top, SWP_SHOWWINDOW | SWP_NOACTIVATE);
        }
        // The guides stay above the ghost.
        for (CTKPDockGuideWnd* guide : m_guides)
            ::SetWindowPos(guide->m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return;
    }
    // The frame is inverted: drawing the difference of the old and new frames moves it.
    HRGN region = erase ? nullptr : GhostRegion();
    if (m_hLastRegion && region) {
        HRGN change = ::CreateRectRgn(0, 0, 0, 0);
        ::CombineRgn(change, m_hLastRegion, region, RGN_XOR);
        InvertRegion(change);
        ::DeleteObject(change);
    } else if (m_hLastRegion) {
        InvertRegion(m_hLastRegion);
    } else if (region) {
        InvertRegion(region);
    }
    if (m_hLastRegion)
        ::DeleteObject(m_hLastRegion);
    m_hLastRegion = region;
    if (region)
        ::GetRgnBox(region, &m_rcLastGhost);
    else
        m_rcLastGhost = RECT{0, 0, 0, 0};
}
