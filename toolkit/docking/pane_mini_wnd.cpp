// The floating mini window: creation, its content, the caption it may draw itself, rolling up
// and out, closing, and its saved keys.
#include "toolkit/docking/pane_mini_wnd.h"

#include "afx/framework_ids.h"
#include "afx/gdi.h"
#include "afx/menu.h"
#include "afx/window_dc.h"
#include "toolkit/base/resource_loader.h"
#include "toolkit/base/window_helpers.h"
#include "toolkit/commandbars/prop_exchange.h"
#include "toolkit/commandbars/tip_context.h"
#include "toolkit/docking/dock_paint_manager.h"
#include "toolkit/docking/pane.h"
#include "toolkit/docking/pane_caption_button.h"
#include "toolkit/docking/pane_layout.h"
#include "toolkit/docking/pane_manager.h"
#include "toolkit/docking/pane_splitter.h"
#include "toolkit/docking/pane_tabbed_container.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CTKPDockingPaneMiniWnd, CMiniFrameWnd)

int CTKPDockingPaneMiniWnd::s_nAnimationInterval = 16;
int CTKPDockingPaneMiniWnd::s_nAnimationDuration = 128;
BOOL CTKPDockingPaneMiniWnd::s_bShowCollapseButton = TRUE;

namespace {

// The record of notification code 5: the pane and the screen point of the menu.
struct PaneMenuRecord {
    CTKPPaneBase* pane;
    LONG x;
    LONG y;
};

constexpr UINT kLeaveCheckPeriod = 100;
// Ticks of the leave check before a window rolls up: when rolling up is switched on, and after
// the mouse rolled it out.
constexpr int kCountdownOnCollapse = 6;
constexpr int kCountdownOnRollOut = 8;
// Width of the three rings of the frame the painter draws around a themed window.
constexpr int kThemedBorder = 3;

// Moves rc, without resizing it, just inside the work area on each axis where it lies wholly outside.
void MoveOntoWorkArea(RECT& rc)
{
    RECT work{0, 0, 0, 0};
    GetWorkAreaFromRect(&work, rc);
    if (::IsRectEmpty(&work))
        return;
    if (rc.right <= work.left)
        ::OffsetRect(&rc, work.left - rc.left, 0);
    else if (rc.left >= work.right)
        ::OffsetRect(&rc, work.right - rc.right, 0);
    if (rc.bottom <= work.top)
        ::OffsetRect(&rc, 0, work.top - rc.top);
    else if (rc.top >= work.bottom)
        ::OffsetRect(&rc, 0, work.bottom - rc.bottom);
}

CTKPPaneSplitterContainer* AsSplitter(CTKPPaneBase* pane)
{
    return pane && pane->GetType() == paneTypeSplitterContainer ? static_cast<CTKPPaneSplitterContainer*>(pane)
                                                                : nullptr;
}

CTKPDockingPaneTabbedContainer* AsTabbed(CTKPPaneBase* pane)
{
    return pane && pane->GetType() == paneTypeTabbedContainer ? dynamic_cast<CTKPDockingPaneTabbedContainer*>(pane)
                                                              : nullptr;
}

} // namespace

// ---- Construction ------------------------------------------------------------------------------
CTKPDockingPaneMiniWnd::CTKPDockingPaneMiniWnd(CTKPPaneLayout* layout) : CTKPPaneBase(paneTypeMiniWnd, layout)
{
    for (UINT id : {TKP_IDS_PANE_CLOSE, TKP_IDS_PANE_AUTOHIDE, TKP_IDS_PANE_MENU})
        m_captionButtons.push_back(new CTKPPaneCaptionButton(id, this));
}

CTKPDockingPaneMiniWnd::~CTKPDockingPaneMiniWnd()
{
    if (m_hWnd)
        DestroyWindow();
}

BOOL CTKPDockingPaneMiniWnd::IsThemed() const
{
    CTKPPaneManager* manager = GetManager();
    return manager && manager->m_bThemedFloatingFrames;
}

BOOL CTKPDockingPaneMiniWnd::Create(const RECT& rect)
{
    CTKPPaneManager* manager = GetManager();
    CWnd* site = manager ? manager->GetSite() : nullptr;
    RECT rc = rect;
    MoveOntoWorkArea(rc);
    DWORD style = WS_POPUP | WS_SYSMENU | WS_THICKFRAME | MFS_BLOCKSYSMENU;
    if (!IsThemed())
        style |= WS_CAPTION;
    if (manager && manager->m_nFloatingFramesActivation > 0)
        style |= MFS_SYNCACTIVE;
    const DWORD exStyle = manager && manager->IsLayoutRTL() ? WS_EX_LAYOUTRTL : 0;
    if (!CreateEx(exStyle, nullptr, u"", style, rc, site, 0))
        return FALSE;
    m_pHostWindow = this;
    if (CMenu* menu = GetSystemMenu(FALSE)) {
        HMENU hmenu = menu->GetSafeHmenu();
        ::DeleteMenu(hmenu, SC_MINIMIZE, MF_BYCOMMAND);
        ::DeleteMenu(hmenu, SC_MAXIMIZE, MF_BYCOMMAND);
        ::DeleteMenu(hmenu, SC_RESTORE, MF_BYCOMMAND);
        CString hide;
        if (hide.LoadString(AFX_IDS_HIDE))
            ::ModifyMenuW(hmenu, SC_CLOSE, MF_BYCOMMAND | MF_STRING, SC_CLOSE, hide.GetString());
    }
    if (m_bCollapsed)
        m_nStep = -1;
    return TRUE;
}

CWnd* CTKPDockingPaneMiniWnd::GetPaneWindow() const
{
    return m_hWnd ? const_cast<CTKPDockingPaneMiniWnd*>(this) : nullptr;
}

void CTKPDockingPaneMiniWnd::Invalidate()
{
    if (m_hWnd)
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
}

void CTKPDockingPaneMiniWnd::Init(CTKPPaneBase* pane, const RECT& rect)
{
    if (!pane || (!m_hWnd && !Create(rect)))
        return;
    CTKPPaneManager* manager = GetManager();
    CTKPPaneBase* item = pane;
    if (pane->GetType() == paneTypeDockingPane) {
        CTKPPaneBase* tab = manager ? manager->OnCreatePane(paneTypeTabbedContainer, m_pLayout) : nullptr;
        CTKPPaneTabbedHolder* holder = AsTabbedHolder(tab);
        if (!holder) {
            if (tab)
                m_pLayout->DestroyPane(tab);
            return;
        }
        holder->Init(static_cast<CTKPPane*>(pane), this);
        item = tab;
    }
    CTKPPaneSplitterContainer* top =
        AsSplitter(manager ? manager->OnCreatePane(paneTypeSplitterContainer, m_pLayout) : nullptr);
    if (!top)
        return;
    m_pTopContainer = top;
    top->SetParentContainer(this);
    top->Init(item, TRUE, this);
    DelayRecalcLayout();
    RecalcLayout();
}

void CTKPDockingPaneMiniWnd::CopyFrom(CTKPDockingPaneMiniWnd* other, CTKPPaneMap* map)
{
    if (other->m_pTopContainer)
        m_pTopContainer = AsSplitter(other->m_pTopContainer->Clone(m_pLayout, map, 0));
    if (m_pTopContainer)
        m_pTopContainer->SetParentContainer(this);
    m_rcWindow = other->m_rcWindow;
    if (other->m_hWnd)
        ::GetWindowRect(other->m_hWnd, &m_rcWindow);
    m_bCollapsed = other->m_bCollapsed;
    m_nExpandedHeight = other->m_nExpandedHeight;
    if (m_bCollapsed)
        m_rcWindow.bottom = m_rcWindow.top + GetCollapsedHeight();
    if (!m_pLayout->IsInitial() && Create(m_rcWindow)) {
        if (m_pTopContainer) {
            m_pTopContainer->SetHostWindow(this);
            m_pTopContainer->OnParentChanged(this);
        }
        RecalcLayout();
    }
}

CTKPPaneBase* CTKPDockingPaneMiniWnd::Clone(CTKPPaneLayout* layout, CTKPPaneMap* map, DWORD)
{
    CTKPPaneManager* manager = GetManager();
    CTKPPaneBase* made = manager ? manager->OnCreatePane(paneTypeMiniWnd, layout) : nullptr;
    auto* clone = made ? dynamic_cast<CTKPDockingPaneMiniWnd*>(made) : nullptr;
    if (!clone) {
        if (made)
            layout->DestroyPane(made);
        return nullptr;
    }
    clone->CopyFrom(this, map);
    if (map)
        (*map)[this] = clone;
    return clone;
}

// ---- Content -----------------------------------------------------------------------------------
CTKPPaneList CTKPDockingPaneMiniWnd::GetTabbedContainers() const
{
    CTKPPaneList list;
    if (m_pTopContainer)
        m_pTopContainer->FindPanes(paneTypeTabbedContainer, list);
    return list;
}

BOOL CTKPDockingPaneMiniWnd::ContainsPane(const CTKPPaneBase* pane) const
{
    return pane == this || (m_pTopContainer && m_pTopContainer->ContainsPane(pane));
}

void CTKPDockingPaneMiniWnd::FindPanes(int type, CTKPPaneList& list)
{
    CTKPPaneBase::FindPanes(type, list);
    if (m_pTopContainer)
        m_pTopContainer->FindPanes(type, list);
}

BOOL CTKPDockingPaneMiniWnd::IsHidden() const
{
    return !m_pTopContainer || m_pTopContainer->IsHidden();
}

void CTKPDockingPaneMiniWnd::RemovePane(CTKPPaneBase* pane)
{
    if (!pane || pane != m_pTopContainer)
        return;
    m_pTopContainer = nullptr;
    pane->SetParentContainer(nullptr);
    if (m_bCollapsed)
        ToggleCollapse();
    if (m_hWnd)
        ShowWindow(SW_HIDE);
}

void CTKPDockingPaneMiniWnd::OnChildrenChanged()
{
    if (!m_hWnd)
        return;
    UpdateLayout();
    DelayRecalcLayout();
}

void CTKPDockingPaneMiniWnd::UpdateLayout()
{
    if (!m_hWnd || !m_pTopContainer)
        return;
    const CTKPPaneList containers = GetTabbedContainers();
    for (CTKPPaneBase* container : containers)
        if (CTKPDockingPaneTabbedContainer* tabbed = AsTabbed(container))
            tabbed->m_bCaption = containers.size() > 1;
    CString title;
    if (containers.size() == 1) {
        if (CTKPPane* selected = AsTabbedHolder(containers.front())->GetSelected())
            title = selected->GetTitle();
    } else if (CTKPPaneManager* manager = GetManager(); manager && containers.size() > 1) {
        title = manager->m_strFloatingFrameCaption;
    }
    CString current;
    GetWindowText(current);
    if (current != title)
        SetWindowText(title);
    // The window shows while it holds a pane and goes out of sight when the last one leaves it.
    if (!containers.empty() && !IsWindowVisible())
        ShowWindow(SW_SHOWNOACTIVATE);
    else if (containers.empty() && IsWindowVisible())
        ShowWindow(SW_HIDE);
    UpdateCloseState();
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
}

void CTKPDockingPaneMiniWnd::UpdateCloseState()
{
    CTKPPaneList panes;
    if (m_pTopContainer)
        m_pTopContainer->FindPanes(paneTypeDockingPane, panes);
    const BOOL enabled = std::any_of(panes.begin(), panes.end(), [](CTKPPaneBase* pane) {
        return !(static_cast<CTKPPane*>(pane)->GetOptions() & paneNoCloseable);
    });
    if (enabled == m_bCloseEnabled)
        return;
    m_bCloseEnabled = enabled;
    if (HMENU menu = ::GetSystemMenu(m_hWnd, FALSE))
        ::EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    RECT rc;
    ::GetWindowRect(m_hWnd, &rc);
    ::SetWindowPos(m_hWnd, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void CTKPDockingPaneMiniWnd::RecalcLayout(BOOL)
{
    if (!m_hWnd || m_bInRecalcLayout)
        return;
    m_bInRecalcLayout = TRUE;
    m_nIdleFlags &= ~(idleLayout | idleNotify);
    UpdateLayout();
    if (m_pTopContainer) {
        RECT rc;
        GetClientRect(&rc);
        AFX_SIZEPARENTPARAMS layout{};
        layout.hDWP = ::BeginDeferWindowPos(8);
        m_pTopContainer->OnSizeParent(this, rc, &layout);
        if (layout.hDWP)
            ::EndDeferWindowPos(layout.hDWP);
    }
    m_bInRecalcLayout = FALSE;
}

void CTKPDockingPaneMiniWnd::Refresh()
{
    if (!m_hWnd)
        return;
    const BOOL themed = IsThemed();
    const DWORD style = DWORD(::GetWindowLongW(m_hWnd, GWL_STYLE));
    const DWORD wanted = themed ? style & ~WS_CAPTION : style | WS_CAPTION;
    if (wanted != style)
        ::SetWindowLongW(m_hWnd, GWL_STYLE, LONG(wanted));
    // Rolling up needs the caption the painter draws.
    if (m_bCollapsed && !themed)
        ToggleCollapse();
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    if (m_bCollapsed)
        ApplyHeight(FALSE);
    DelayRecalcLayout();
}

// ---- Caption -----------------------------------------------------------------------------------
BOOL CTKPDockingPaneMiniWnd::IsCaptionButtonVisible(CTKPPaneCaptionButton* button)
{
    switch (button->GetID()) {
    case TKP_IDS_PANE_CLOSE:
        return m_bCloseEnabled;
    case TKP_IDS_PANE_AUTOHIDE:
        button->SetState(m_bCollapsed ? 2 : 0);
        return s_bShowCollapseButton;
    case TKP_IDS_PANE_MENU: {
        CTKPPaneList panes;
        if (m_pTopContainer)
            m_pTopContainer->FindPanes(paneTypeDockingPane, panes);
        return panes.size() == 1 && (static_cast<CTKPPane*>(panes.front())->GetOptions() & paneHasMenuButton);
    }
    default:
        return TRUE;
    }
}

int CTKPDockingPaneMiniWnd::GetCollapsedHeight() const
{
    CTKPPaneThemePainter* painter = GetPaintManager();
    const int caption = IsThemed() && painter ? painter->GetCaptionHeight() : ::GetSystemMetrics(SM_CYSMCAPTION);
    return caption + 8;
}

RECT CTKPDockingPaneMiniWnd::GetCaptionRect() const
{
    RECT rc{0, 0, 0, 0};
    CTKPPaneThemePainter* painter = GetPaintManager();
    if (!m_hWnd || !IsThemed() || !painter)
        return rc;
    RECT window;
    ::GetWindowRect(m_hWnd, &window);
    rc = RECT{kThemedBorder, kThemedBorder, window.right - window.left - kThemedBorder,
              kThemedBorder + painter->GetCaptionHeight() + 3};
    return rc;
}

CTKPPaneCaptionButton* CTKPDockingPaneMiniWnd::CaptionButtonAt(POINT screen) const
{
    if (!m_hWnd || !IsThemed())
        return nullptr;
    RECT window;
    ::GetWindowRect(m_hWnd, &window);
    const POINT at{screen.x - window.left, screen.y - window.top};
    for (CTKPPaneCaptionButton* button : m_captionButtons)
        if (button->PtInRect(at))
            return button;
    return nullptr;
}

CTKPPane* CTKPDockingPaneMiniWnd::GetCaptionPane() const
{
    const CTKPPaneList containers = GetTabbedContainers();
    for (CTKPPaneBase* container : containers) {
        CTKPPaneTabbedHolder* holder = AsTabbedHolder(container);
        if (holder && (containers.size() == 1 || holder->IsActive()))
            return holder->GetSelected();
    }
    return nullptr;
}

void CTKPDockingPaneMiniWnd::ClosePanes()
{
    CTKPPaneManager* manager = GetManager();
    if (!manager || !m_pTopContainer)
        return;
    CTKPPaneList panes;
    m_pTopContainer->FindPanes(paneTypeDockingPane, panes);
    for (CTKPPaneBase* item : panes) {
        auto* pane = static_cast<CTKPPane*>(item);
        if (pane->GetOptions() & paneNoCloseable)
            continue;
        if (manager->NotifyAction(paneActionClosing, pane))
            continue;
        manager->ClosePane(pane);
        manager->NotifyAction(paneActionClosed, pane);
    }
}

void CTKPDockingPaneMiniWnd::OnCaptionButtonClick(UINT id)
{
    CTKPPaneManager* manager = GetManager();
    switch (id) {
    case TKP_IDS_PANE_CLOSE:
        ClosePanes();
        break;
    case TKP_IDS_PANE_AUTOHIDE:
        ToggleCollapse();
        break;
    case TKP_IDS_PANE_MENU: {
        CTKPPaneCaptionButton* button = FindCaptionButton(TKP_IDS_PANE_MENU);
        CTKPPaneList panes;
        if (m_pTopContainer)
            m_pTopContainer->FindPanes(paneTypeDockingPane, panes);
        if (!button || !manager || panes.size() != 1)
            break;
        button->SetPressed(TRUE);
        Invalidate();
        RECT window;
        ::GetWindowRect(m_hWnd, &window);
        PaneMenuRecord record{panes.front(), window.left + button->GetRect().left, window.top + button->GetRect().bottom};
        manager->NotifyOwner(TKP_DPN_CONTEXTMENU, reinterpret_cast<LPARAM>(&record));
        button->SetPressed(FALSE);
        Invalidate();
        break;
    }
    default:
        break;
    }
}

// ---- Rolling up --------------------------------------------------------------------------------
void CTKPDockingPaneMiniWnd::ApplyHeight(BOOL first)
{
    if (!m_hWnd)
        return;
    const int steps = std::max(1, m_nStepsCount);
    const int height = std::max(GetCollapsedHeight(), m_nExpandedHeight * std::max(0, m_nStep) / steps);
    RECT rc;
    ::GetWindowRect(m_hWnd, &rc);
    ::SetWindowPos(m_hWnd, HWND_TOP, 0, 0, rc.right - rc.left, height,
                   SWP_NOMOVE | SWP_NOACTIVATE | (first ? 0 : SWP_NOZORDER));
}

void CTKPDockingPaneMiniWnd::StopCollapsing()
{
    KillTimer(TKP_MINIWND_TIMER_COLLAPSE);
    KillTimer(TKP_MINIWND_TIMER_ANIMATE);
}

void CTKPDockingPaneMiniWnd::ToggleCollapse()
{
    if (!m_hWnd)
        return;
    RECT rc;
    ::GetWindowRect(m_hWnd, &rc);
    if (m_bCollapsed) {
        if (rc.bottom - rc.top != m_nExpandedHeight && m_nExpandedHeight > 0)
            ::SetWindowPos(m_hWnd, nullptr, 0, 0, rc.right - rc.left, m_nExpandedHeight,
                           SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        m_bCollapsed = FALSE;
        m_bAnimating = FALSE;
        m_bRolling = FALSE;
        StopCollapsing();
    } else {
        m_nStepsCount = std::max(1, s_nAnimationDuration / std::max(1, s_nAnimationInterval));
        m_nStep = m_nStepsCount;
        m_rcWindow = rc;
        m_nExpandedHeight = rc.bottom - rc.top;
        m_bCollapsed = TRUE;
        m_bRolling = FALSE;
        m_bAnimating = TRUE;
        m_nCountdown = kCountdownOnCollapse;
        SetTimer(TKP_MINIWND_TIMER_COLLAPSE, kLeaveCheckPeriod, nullptr);
    }
    Invalidate();
}

void CTKPDockingPaneMiniWnd::OnTimer(UINT_PTR id)
{
    switch (id) {
    case TKP_MINIWND_TIMER_COLLAPSE: {
        POINT cursor;
        ::GetCursorPos(&cursor);
        RECT rc;
        ::GetWindowRect(m_hWnd, &rc);
        HWND focus = ::GetFocus();
        const BOOL focused = focus && (focus == m_hWnd || ::IsChild(m_hWnd, focus));
        if (focused || ::PtInRect(&rc, cursor) || ::GetCapture() || m_bRolling)
            return;
        if (--m_nCountdown > 0)
            return;
        if (m_nStep >= m_nStepsCount)
            m_nExpandedHeight = rc.bottom - rc.top;
        m_bRolling = TRUE;
        SetTimer(TKP_MINIWND_TIMER_ANIMATE, UINT(std::max(1, s_nAnimationInterval)), nullptr);
        KillTimer(TKP_MINIWND_TIMER_COLLAPSE);
        break;
    }
    case TKP_MINIWND_TIMER_ANIMATE:
        if (!m_bRolling)
            return;
        if (--m_nStep < 0) {
            m_bRolling = FALSE;
            m_bAnimating = FALSE;
            KillTimer(TKP_MINIWND_TIMER_ANIMATE);
            return;
        }
        ApplyHeight(m_nStep == m_nStepsCount - 1);
        break;
    case TKP_MINIWND_TIMER_HOT: {
        POINT cursor;
        ::GetCursorPos(&cursor);
        if (::WindowFromPoint(cursor) != m_hWnd) {
            PostMessage(WM_NCMOUSEMOVE, 0, 0);
            KillTimer(TKP_MINIWND_TIMER_HOT);
            m_bHotTimer = FALSE;
        }
        break;
    }
    default:
        break;
    }
}

// ---- Mouse and non-client area -----------------------------------------------------------------
void CTKPDockingPaneMiniWnd::OnNcMouseMove(POINT screen)
{
    RECT rc;
    ::GetWindowRect(m_hWnd, &rc);
    const BOOL over = ::PtInRect(&rc, screen);
    // A rolled-up window rolls out under the mouse and counts down afresh.
    if (over && m_bCollapsed && !m_bRolling && m_nStep < 0) {
        m_nStep = m_nStepsCount;
        ApplyHeight(TRUE);
        m_nCountdown = kCountdownOnRollOut;
        SetTimer(TKP_MINIWND_TIMER_COLLAPSE, kLeaveCheckPeriod, nullptr);
    }
    CTKPPaneCaptionButton* hot = over ? CaptionButtonAt(screen) : nullptr;
    BOOL changed = FALSE;
    for (CTKPPaneCaptionButton* button : m_captionButtons) {
        const BOOL selected = button == hot;
        if (button->IsSelected() != selected) {
            button->SetPressed(FALSE);
            changed = TRUE;
        }
    }
    if (changed) {
        for (CTKPPaneCaptionButton* button : m_captionButtons)
            if (button->IsSelected() != (button == hot))
                button->SetSelected(button == hot);
        Invalidate();
    }
    if (hot && !m_bHotTimer) {
        m_bHotTimer = TRUE;
        SetTimer(TKP_MINIWND_TIMER_HOT, 100, nullptr);
    }
}

BOOL CTKPDockingPaneMiniWnd::OnNcLButtonDown(UINT hit, POINT screen)
{
    if (hit != HTCAPTION)
        return FALSE;
    CTKPPaneManager* manager = GetManager();
    if (CTKPPaneCaptionButton* button = CaptionButtonAt(screen)) {
        // The button is tracked in client coordinates while the mouse is captured.
        RECT window;
        ::GetWindowRect(m_hWnd, &window);
        POINT origin{0, 0};
        ::ClientToScreen(m_hWnd, &origin);
        const RECT saved = button->GetRect();
        RECT client = saved;
        ::OffsetRect(&client, window.left - origin.x, window.top - origin.y);
        button->SetRect(client);
        POINT at = screen;
        ::ScreenToClient(m_hWnd, &at);
        const BOOL clicked = button->Click(this, at);
        button->SetRect(saved);
        Invalidate();
        if (clicked)
            OnCaptionButtonClick(button->GetID());
        return TRUE;
    }
    // Without a drag context the window moves as any window does.
    if (!manager || !manager->GetDragContext())
        return FALSE;
    manager->StartPaneDrag(this, screen);
    return TRUE;
}

BOOL CTKPDockingPaneMiniWnd::OnNcRButtonDown(UINT hit, POINT screen)
{
    CTKPPaneManager* manager = GetManager();
    CTKPPane* pane = hit == HTCAPTION ? GetCaptionPane() : nullptr;
    if (!pane || !manager)
        return FALSE;
    pane->SetFocus();
    PaneMenuRecord record{pane, screen.x, screen.y};
    return manager->NotifyOwner(TKP_DPN_CONTEXTMENU, reinterpret_cast<LPARAM>(&record)) != 0;
}

void CTKPDockingPaneMiniWnd::OnNcPaint()
{
    CTKPPaneThemePainter* painter = GetPaintManager();
    HDC hdc = ::GetWindowDC(m_hWnd);
    if (!hdc)
        return;
    RECT window;
    ::GetWindowRect(m_hWnd, &window);
    const RECT rc{0, 0, window.right - window.left, window.bottom - window.top};
    // Only the frame is drawn: the client area is left out.
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    POINT origin{0, 0};
    ::ClientToScreen(m_hWnd, &origin);
    ::OffsetRect(&client, origin.x - window.left, origin.y - window.top);
    ::ExcludeClipRect(hdc, client.left, client.top, client.right, client.bottom);
    CDC dc;
    dc.Attach(hdc);
    // A theme that draws no floating frame still leaves a plain one rather than stale pixels.
    ::FillRect(hdc, &rc, ::GetSysColorBrush(COLOR_BTNFACE));
    if (painter)
        painter->DrawFloatingFrame(&dc, this, rc);
    dc.Detach();
    ::ReleaseDC(m_hWnd, hdc);
}

void CTKPDockingPaneMiniWnd::OnGetMinMaxInfo(MINMAXINFO* info)
{
    if (!m_pTopContainer || m_bCollapsed)
        return;
    MINMAXINFO limits{};
    m_pTopContainer->GetMinMaxInfo(&limits);
    RECT window, client;
    ::GetWindowRect(m_hWnd, &window);
    ::GetClientRect(m_hWnd, &client);
    const LONG extraX = (window.right - window.left) - client.right;
    const LONG extraY = (window.bottom - window.top) - client.bottom;
    info->ptMinTrackSize.x = std::max(info->ptMinTrackSize.x, limits.ptMinTrackSize.x + extraX);
    info->ptMinTrackSize.y = std::max(info->ptMinTrackSize.y, limits.ptMinTrackSize.y + extraY);
    info->ptMaxTrackSize.x = std::min<LONG>(limits.ptMaxTrackSize.x + extraX, 32000);
    info->ptMaxTrackSize.y = std::min<LONG>(limits.ptMaxTrackSize.y + extraY, 32000);
}

LRESULT CTKPDockingPaneMiniWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_NCCALCSIZE:
        if (IsThemed()) {
            RECT* rc = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
            if (rc) {
                const int caption = GetPaintManager() ? GetPaintManager()->GetCaptionHeight() + 3 : 0;
                rc->left += kThemedBorder;
                rc->right -= kThemedBorder;
                rc->bottom -= kThemedBorder;
                rc->top += kThemedBorder + caption;
                rc->right = std::max(rc->left, rc->right);
                rc->bottom = std::max(rc->top, rc->bottom);
            }
            return 0;
        }
        break;
    case WM_NCHITTEST:
        if (IsThemed()) {
            const LRESULT hit = CMiniFrameWnd::WindowProc(message, wParam, lParam);
            RECT rc;
            ::GetWindowRect(m_hWnd, &rc);
            CTKPPaneThemePainter* painter = GetPaintManager();
            const int caption = painter ? painter->GetCaptionHeight() + 4 : 0;
            if ((hit == HTNOWHERE || hit == HTBORDER) && screen.y < rc.top + caption)
                return HTCAPTION;
            return hit;
        }
        break;
    case WM_NCPAINT:
        if (IsThemed()) {
            OnNcPaint();
            return 0;
        }
        break;
    case WM_NCACTIVATE:
        if (IsThemed()) {
            // The painter draws the caption; only the activation is kept.
            CMiniFrameWnd::WindowProc(message, wParam, lParam);
            OnNcPaint();
            return TRUE;
        }
        break;
    case WM_NCLBUTTONDOWN:
        if (OnNcLButtonDown(UINT(wParam), screen))
            return 0;
        break;
    case WM_NCLBUTTONDBLCLK:
        if (wParam == HTCAPTION) {
            if (CaptionButtonAt(screen))
                return 0;
            if (m_bCollapsed) {
                ToggleCollapse();
            } else if (CTKPPaneManager* manager = GetManager(); manager && m_pTopContainer) {
                manager->ToggleDocking(static_cast<CTKPPaneBase*>(m_pTopContainer));
            }
            return 0;
        }
        break;
    case WM_NCRBUTTONDOWN:
        if (OnNcRButtonDown(UINT(wParam), screen))
            return 0;
        break;
    case WM_NCMOUSEMOVE:
        OnNcMouseMove(screen);
        break;
    case WM_CLOSE:
        // Closing means closing the panes inside; the window goes when it holds none.
        ClosePanes();
        return 0;
    case WM_SETFOCUS: {
        const CTKPPaneList containers = GetTabbedContainers();
        if (containers.size() == 1)
            if (CTKPPane* pane = AsTabbedHolder(containers.front())->GetSelected()) {
                pane->SetFocus();
                return 0;
            }
        break;
    }
    case WM_GETMINMAXINFO: {
        const LRESULT result = CMiniFrameWnd::WindowProc(message, wParam, lParam);
        OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
        return result;
    }
    case WM_TIMER:
        if (wParam == TKP_MINIWND_TIMER_COLLAPSE || wParam == TKP_MINIWND_TIMER_ANIMATE ||
            wParam == TKP_MINIWND_TIMER_HOT) {
            OnTimer(UINT_PTR(wParam));
            return 0;
        }
        break;
    case WM_IDLEUPDATECMDUI:
        if (IsThemed()) {
            HWND focus = ::GetFocus();
            const BOOL active = focus && (focus == m_hWnd || ::IsChild(m_hWnd, focus));
            if (active != m_bActive) {
                m_bActive = active;
                Invalidate();
            }
        }
        break;
    case WM_DESTROY:
        ::GetWindowRect(m_hWnd, &m_rcWindow);
        StopCollapsing();
        KillTimer(TKP_MINIWND_TIMER_HOT);
        break;
    default:
        break;
    }
    if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST)
        if (CTKPPaneManager* manager = GetManager())
            if (CTKPTipContext* tips = manager->GetTipContext())
                tips->RelayToolTipMessage(this, message, wParam, lParam);
    return CMiniFrameWnd::WindowProc(message, wParam, lParam);
}

// ---- Saving ------------------------------------------------------------------------------------
BOOL CTKPDockingPaneMiniWnd::DoPropExchange(CTKPPropExchange* px)
{
    CTKPPaneBase::DoPropExchange(px);
    RECT rc = m_rcWindow;
    if (!px->IsLoading() && m_hWnd) {
        ::GetWindowRect(m_hWnd, &rc);
        // A rolled-up window keeps its full height in "ExpandedHeight".
    }
    int top = rc.top, bottom = rc.bottom, left = rc.left, right = rc.right;
    PropExchangeInt(px, u"WindowRectTopPos", &top, 0);
    PropExchangeInt(px, u"WindowRectBottomPos", &bottom, 0);
    PropExchangeInt(px, u"WindowRectLeftPos", &left, 0);
    PropExchangeInt(px, u"WindowRectRightPos", &right, 0);
    PropExchangeBool(px, u"Collapsed", &m_bCollapsed, FALSE);
    PropExchangeInt(px, u"ExpandedHeight", &m_nExpandedHeight, 0);
    int index = m_pTopContainer ? m_pTopContainer->m_nSaveIndex : 0;
    PropExchangeInt(px, u"TopContaner", &index, 0);
    if (!px->IsLoading())
        return TRUE;

    CTKPPaneLoadMap* map = CTKPPaneLoadMap::Of(px);
    CTKPPaneSplitterContainer* container =
        map ? AsSplitter(map->Claim(index, this, 1u << paneTypeSplitterContainer)) : nullptr;
    if (!container)
        return FALSE;
    m_rcWindow = RECT{left, top, right, bottom};
    m_nExpandedHeight = std::max(0, m_nExpandedHeight);
    m_pTopContainer = container;
    container->SetParentContainer(this);
    if (!m_pLayout->IsInitial()) {
        RECT place = m_rcWindow;
        if (m_bCollapsed)
            place.bottom = place.top + GetCollapsedHeight();
        if (Create(place)) {
            container->SetHostWindow(this);
            container->OnParentChanged(this);
            RecalcLayout();
        }
    }
    return TRUE;
}
