// The side panel of auto-hidden panes: its containers and their tab groups, its strip of the
// frame, the mouse over its tabs, opening and closing the slide-out window, and its saved keys.
#include "toolkit/docking/pane_auto_hide.h"

#include "afx/frame.h"
#include "afx/window_dc.h"
#include "toolkit/base/draw_helpers.h"
#include "toolkit/base/window_helpers.h"
#include "toolkit/commandbars/image_manager.h"
#include "toolkit/commandbars/prop_exchange.h"
#include "toolkit/docking/dock_paint_manager.h"
#include "toolkit/docking/pane.h"
#include "toolkit/docking/pane_layout.h"
#include "toolkit/docking/pane_manager.h"
#include "toolkit/docking/tab_colors.h"
#include "toolkit/docking/tab_painter.h"

#include <algorithm>

namespace {

CString PaneKey(int index)
{
    CString key;
    key.Format(u"Pane-%d", index);
    return key;
}

// The tab position of a panel's groups: the tabs face away from the frame's edge.
int GroupPosition(int direction)
{
    switch (direction) {
    case dockLeftOf:
        return TKP_TABPOS_RIGHT;
    case dockRightOf:
        return TKP_TABPOS_LEFT;
    case dockTopOf:
        return TKP_TABPOS_BOTTOM;
    default:
        return TKP_TABPOS_TOP;
    }
}

// The panel tab painter serves the four sides; its shapes read their side from the painter, so
// it takes the panel's side while it measures or draws the panel's groups.
class PainterPosition {
public:
    PainterPosition(CTKPTabPainter* painter, int position) : m_pPainter(painter)
    {
        if (m_pPainter) {
            m_nOld = m_pPainter->m_nPosition;
            m_pPainter->m_nPosition = position;
        }
    }
    ~PainterPosition()
    {
        if (m_pPainter)
            m_pPainter->m_nPosition = m_nOld;
    }
    PainterPosition(const PainterPosition&) = delete;
    PainterPosition& operator=(const PainterPosition&) = delete;

private:
    CTKPTabPainter* m_pPainter;
    int m_nOld = 0;
};

// A DC to measure text in when the panel has no window yet.
class MeasureDC : public CDC {
public:
    MeasureDC() { Attach(::CreateCompatibleDC(nullptr)); }
    ~MeasureDC() override { ::DeleteDC(Detach()); }
};

CFrameWnd* FrameOf(CWnd* wnd)
{
    if (!wnd || !wnd->GetSafeHwnd())
        return nullptr;
    if (auto* frame = dynamic_cast<CFrameWnd*>(wnd))
        return frame;
    return wnd->GetParentFrame();
}

} // namespace

CTKPAutoHideSettings& GetAutoHideSettings()
{
    static CTKPAutoHideSettings settings;
    return settings;
}

// ---- Tab groups --------------------------------------------------------------------------------
CTKPAutoHideTabGroup::CTKPAutoHideTabGroup(CTKPPaneAutoHidePanel* panel, CTKPPaneBase* container)
    : m_pPanel(panel), m_pContainer(container)
{
    m_bAllowReorder = FALSE;
}

CTKPTabPainter* CTKPAutoHideTabGroup::GetPaintManager() const
{
    return m_pPanel->GetTabPainter();
}

void CTKPAutoHideTabGroup::RedrawControl()
{
    if (m_pPanel->GetSafeHwnd())
        ::InvalidateRect(m_pPanel->m_hWnd, &m_rcGroup, FALSE);
}

int CTKPAutoHideTabGroup::GetPosition() const
{
    return GroupPosition(m_pPanel->GetDirection());
}

CTKPPane* CTKPAutoHideTabGroup::GetItemPane(const CTKPTabManagerItem* item) const
{
    return item ? reinterpret_cast<CTKPPane*>(item->m_dwData) : nullptr;
}

BOOL CTKPAutoHideTabGroup::DrawItemIcon(CDC* pDC, CPoint point, CTKPTabManagerItem* item, BOOL draw, CSize& size)
{
    CTKPTabPainter* painter = GetPaintManager();
    CTKPPane* pane = GetItemPane(item);
    if (!painter || !painter->m_bShowIcons || !pane)
        return FALSE;
    CTKPImageIcon* icon = pane->GetIcon(size.cx);
    if (!icon)
        return FALSE;
    if (!draw)
        return TRUE;
    CTKPIconHandle* handle = &icon->GetIcon();
    if (!item->m_bEnabled)
        handle = &icon->GetDisabledIcon();
    else if (item->IsHot() && !item->IsSelected())
        handle = &icon->GetHotIcon();
    icon->DrawScaled(pDC->m_hDC, point, *handle, size);
    return TRUE;
}

// ---- Panel -------------------------------------------------------------------------------------
CTKPPaneAutoHidePanel::CTKPPaneAutoHidePanel(CTKPPaneLayout* layout) : CTKPPaneBase(paneTypeAutoHidePanel, layout) {}

CTKPPaneAutoHidePanel::~CTKPPaneAutoHidePanel()
{
    // The containers may already be gone with the layout, so only windows are touched here: what a
    // slide-out window still holds goes back to the site, hidden, before the window goes.
    CWnd* site = GetManager() ? GetManager()->GetSite() : nullptr;
    const std::vector<CTKPDockingPaneAutoHideWnd*> windows = m_windows;
    m_windows.clear();
    m_pActiveWnd = nullptr;
    for (CTKPDockingPaneAutoHideWnd* wnd : windows) {
        wnd->m_pPanel = nullptr;
        wnd->m_pContainer = nullptr;
        if (!wnd->GetSafeHwnd())
            continue;
        for (HWND child = ::GetWindow(wnd->m_hWnd, GW_CHILD); child;) {
            HWND next = ::GetWindow(child, GW_HWNDNEXT);
            ::ShowWindow(child, SW_HIDE);
            if (site && site->GetSafeHwnd())
                ::SetParent(child, site->m_hWnd);
            child = next;
        }
        wnd->DestroyWindow();
    }
    DeleteGroups();
    m_dropTarget.Revoke();
    if (GetSafeHwnd())
        DestroyWindow();
}

CTKPTabPainter* CTKPPaneAutoHidePanel::GetTabPainter() const
{
    CTKPPaneThemePainter* painter = GetPaintManager();
    return painter ? painter->GetPanelTabPainter() : nullptr;
}

int CTKPPaneAutoHidePanel::GetPanelThickness() const
{
    CTKPTabPainter* painter = GetTabPainter();
    if (!painter)
        return 0;
    PainterPosition position(painter, GroupPosition(m_nDirection));
    const CRect margin = painter->GetContentMargin();
    return painter->GetRowHeight(nullptr) + margin.top + margin.bottom;
}

BOOL CTKPPaneAutoHidePanel::EnsureWindow(CWnd* parent)
{
    if (GetSafeHwnd())
        return TRUE;
    if (!parent || !parent->GetSafeHwnd())
        return FALSE;
    LPCWSTR cls = AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW));
    if (!CreateEx(0, cls, u"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 0, 0, parent->m_hWnd,
                  nullptr, nullptr))
        return FALSE;
    m_dropTarget.Register(this);
    return TRUE;
}

BOOL CTKPPaneAutoHidePanel::IsHidden() const
{
    return std::all_of(m_containers.begin(), m_containers.end(),
                       [](const CTKPPaneBase* container) { return container->IsHidden(); });
}

BOOL CTKPPaneAutoHidePanel::ContainsPane(const CTKPPaneBase* pane) const
{
    if (pane == this)
        return TRUE;
    return std::any_of(m_containers.begin(), m_containers.end(),
                       [pane](const CTKPPaneBase* container) { return container->ContainsPane(pane); });
}

void CTKPPaneAutoHidePanel::FindPanes(int type, CTKPPaneList& list)
{
    for (CTKPPaneBase* container : m_containers) {
        if (container->IsHidden())
            continue;
        if (container->GetType() == type)
            list.push_back(container);
        else
            container->FindPanes(type, list);
    }
}

void CTKPPaneAutoHidePanel::AddContainer(CTKPPaneBase* container)
{
    if (!container || std::find(m_containers.begin(), m_containers.end(), container) != m_containers.end())
        return;
    m_containers.push_back(container);
    container->SetParentContainer(this);
    container->OnParentChanged(this);
    // The container's window shows only while the container slides out.
    if (CWnd* wnd = container->GetPaneWindow(); wnd && wnd->GetSafeHwnd())
        wnd->ShowWindow(SW_HIDE);
    CWnd* site = GetManager() ? GetManager()->GetSite() : nullptr;
    DelayLayoutOf(site);
    if (CTKPPaneTabbedHolder* holder = AsTabbedHolder(container))
        if (CTKPPane* selected = holder->GetSelected(); selected && selected->IsFocus() && site && site->GetSafeHwnd())
            site->SetFocus();
    if (GetSafeHwnd())
        CWnd::Invalidate(FALSE);
}

void CTKPPaneAutoHidePanel::RemoveContainer(CTKPPaneBase* container)
{
    auto it = std::find(m_containers.begin(), m_containers.end(), container);
    if (it == m_containers.end())
        return;
    // A window that shows the container lets it go at once.
    for (CTKPDockingPaneAutoHideWnd* wnd : m_windows)
        if (wnd->m_pContainer == container) {
            wnd->ReleaseContainer();
            if (wnd == m_pActiveWnd)
                wnd->Close();
        }
    m_containers.erase(it);
    DeleteGroups();
    container->SetParentContainer(nullptr);
    DelayLayoutOf(GetManager() ? GetManager()->GetSite() : nullptr);
    if (m_containers.empty()) {
        if (GetSafeHwnd())
            DestroyWindow();
    } else if (GetSafeHwnd()) {
        CWnd::Invalidate(FALSE);
    }
}

void CTKPPaneAutoHidePanel::OnChildrenChanged()
{
    // A pane came or went in one of the containers: the tabs follow at the next layout.
    DelayLayoutOf(GetManager() ? GetManager()->GetSite() : nullptr);
}

CTKPPane* CTKPPaneAutoHidePanel::HitTest(CPoint point) const
{
    for (CTKPAutoHideTabGroup* group : m_groups) {
        if (!group->m_rcGroup.PtInRect(point))
            continue;
        if (CTKPTabManagerItem* item = group->HitTest(point.x, point.y))
            return group->GetItemPane(item);
    }
    return nullptr;
}

BOOL CTKPPaneAutoHidePanel::IsShowing(const CTKPPane* pane) const
{
    return m_pActiveWnd && pane && m_pActiveWnd->GetSelectedPane() == pane;
}

void CTKPPaneAutoHidePanel::ForgetWindow(CTKPDockingPaneAutoHideWnd* wnd)
{
    m_windows.erase(std::remove(m_windows.begin(), m_windows.end(), wnd), m_windows.end());
    if (m_pActiveWnd == wnd)
        m_pActiveWnd = nullptr;
}

void CTKPPaneAutoHidePanel::OpenPane(CTKPPane* pane, BOOL activate)
{
    CTKPPaneManager* manager = GetManager();
    CTKPPaneBase* container = pane ? pane->GetParentContainer() : nullptr;
    // Only a pane of this panel's containers, whose window still exists, can slide out.
    if (!manager || !container || std::find(m_containers.begin(), m_containers.end(), container) == m_containers.end())
        return;
    CWnd* containerWnd = container->GetPaneWindow();
    if (!containerWnd || !containerWnd->GetSafeHwnd() || !GetSafeHwnd())
        return;
    if (manager->NotifyAction(paneActionExpanding, pane))
        return;
    auto* wnd = new CTKPDockingPaneAutoHideWnd(this, container);
    if (!wnd->GetSafeHwnd()) {
        delete wnd;
        return;
    }
    m_windows.push_back(wnd);
    if (CTKPPaneTabbedHolder* holder = AsTabbedHolder(container))
        holder->SelectPane(pane, activate, TRUE);
    CWnd::Invalidate(FALSE);
    // The frame lays out before the window is remembered, so that layout leaves it open.
    if (CFrameWnd* frame = FrameOf(manager->GetSite()))
        frame->RecalcLayout();
    if (::IsWindow(wnd->m_hWnd) && wnd->m_pContainer == container)
        m_pActiveWnd = wnd;
}

void CTKPPaneAutoHidePanel::ClosePane(BOOL immediately)
{
    if (GetAutoHideSettings().bCloseOnLeave)
        CloseActive(immediately);
}

BOOL CTKPPaneAutoHidePanel::CloseActive(BOOL immediately)
{
    CTKPDockingPaneAutoHideWnd* wnd = m_pActiveWnd;
    if (!wnd)
        return TRUE;
    if (wnd->m_pContainer) {
        CTKPPane* selected = wnd->GetSelectedPane();
        if (CTKPPaneManager* manager = GetManager()) {
            if (manager->NotifyAction(paneActionCollapsing, selected))
                return FALSE;
            manager->NotifyAction(paneActionCollapsed, selected);
        }
    }
    if (immediately) {
        wnd->ReleaseContainer();
        wnd->SetTimer(4, 50, nullptr);
    } else {
        wnd->Close();
    }
    m_pActiveWnd = nullptr;
    return TRUE;
}

// ---- Layout ------------------------------------------------------------------------------------
void CTKPPaneAutoHidePanel::DeleteGroups()
{
    for (CTKPAutoHideTabGroup* group : m_groups)
        delete group;
    m_groups.clear();
}

void CTKPPaneAutoHidePanel::RebuildGroups(CDC* dc, CRect rc)
{
    const int thickness = GetPanelThickness();
    if (m_nDirection == dockLeftOf || m_nDirection == dockRightOf) {
        // The top panel runs over the corner, so the side tabs start below it.
        CTKPPaneBase* top = m_pLayout ? m_pLayout->GetSidePanel(dockTopOf) : nullptr;
        if (top && !top->IsHidden())
            rc.top += thickness;
    }
    DeleteGroups();
    CTKPTabPainter* painter = GetTabPainter();
    if (!painter)
        return;
    PainterPosition position(painter, GroupPosition(m_nDirection));
    const CRect margin = painter->GetContentMargin();
    const BOOL alongX = m_nDirection == dockTopOf || m_nDirection == dockBottomOf;
    for (CTKPPaneBase* container : m_containers) {
        if (container->IsHidden())
            continue;
        auto* group = new CTKPAutoHideTabGroup(this, container);
        m_groups.push_back(group);
        CTKPPaneList panes;
        container->FindPanes(paneTypeDockingPane, panes);
        CTKPPaneTabbedHolder* holder = AsTabbedHolder(container);
        CTKPPane* selected = holder ? holder->GetSelected() : nullptr;
        for (CTKPPaneBase* item : panes) {
            auto* pane = static_cast<CTKPPane*>(item);
            CTKPTabManagerItem* tab = group->InsertItem(group->GetItemCount());
            tab->m_dwData = reinterpret_cast<DWORD_PTR>(pane);
            tab->m_strCaption = pane->GetShortTitle();
            tab->m_strToolTip = pane->GetTitle();
            tab->m_clrItem = pane->GetItemColor();
            if (pane == selected)
                group->m_pSelected = tab;
        }
        painter->RepositionTabControl(group, dc, rc);
        group->m_rcGroup = rc;
        const int length = group->GetItemsLength() + margin.left + margin.right + 8;
        if (alongX)
            rc.left += length;
        else
            rc.top += length;
    }
}

void CTKPPaneAutoHidePanel::OnSizeParent(CWnd* parent, const RECT& rect, AFX_SIZEPARENTPARAMS* layout)
{
    if (layout)
        layout->rect = rect;
    if (IsHidden()) {
        DeleteGroups();
        if (GetSafeHwnd())
            DestroyWindow();
        m_rcPane = RECT{0, 0, 0, 0};
        return;
    }
    m_pHostWindow = parent;
    EnsureWindow(parent);
    ClosePane(FALSE);
    const int thickness = GetPanelThickness();
    CRect strip(rect), rest(rect);
    switch (m_nDirection) {
    case dockLeftOf:
        strip.right = strip.left + thickness;
        rest.left += thickness;
        break;
    case dockRightOf:
        strip.left = strip.right - thickness;
        rest.right -= thickness;
        break;
    case dockTopOf:
        strip.bottom = strip.top + thickness;
        rest.top += thickness;
        break;
    default:
        strip.top = strip.bottom - thickness;
        rest.bottom -= thickness;
        break;
    }
    m_rcPane = strip;
    if (GetSafeHwnd()) {
        CClientDC dc(this);
        RebuildGroups(&dc, CRect(0, 0, strip.Width(), strip.Height()));
    } else {
        MeasureDC dc;
        RebuildGroups(&dc, CRect(0, 0, strip.Width(), strip.Height()));
    }
    if ((!layout || layout->hDWP) && GetSafeHwnd()) {
        MoveWindow(&strip, TRUE);
        CWnd::Invalidate(FALSE);
    }
    if (layout)
        layout->rect = rest;
}

// ---- Saving and cloning ------------------------------------------------------------------------
BOOL CTKPPaneAutoHidePanel::DoPropExchange(CTKPPropExchange* px)
{
    CTKPPaneBase::DoPropExchange(px);
    int direction = m_nDirection;
    PropExchangeInt(px, u"Direction", &direction, 0);
    int count = int(m_containers.size());
    PropExchangeInt(px, u"Panes", &count, 0);
    if (!px->IsLoading()) {
        for (int i = 0; i < count; ++i) {
            int index = m_containers[size_t(i)]->m_nSaveIndex;
            PropExchangeInt(px, PaneKey(i + 1), &index, 0);
        }
        return TRUE;
    }
    // The layout has four sides; a side taken twice or a count beyond the saved panes is not a layout.
    CTKPPaneLoadMap* map = CTKPPaneLoadMap::Of(px);
    if (!map || direction < 0 || direction > 3 || count < 0 || size_t(count) > map->m_panes.size())
        return FALSE;
    if (m_pLayout->GetSidePanel(direction) && m_pLayout->GetSidePanel(direction) != this)
        return FALSE;
    m_nDirection = direction;
    if (!m_pLayout->SetSidePanel(direction, this))
        return FALSE;
    for (int i = 0; i < count; ++i) {
        int index = 0;
        PropExchangeInt(px, PaneKey(i + 1), &index, 0);
        CTKPPaneBase* container = map->Claim(index, this, 1u << paneTypeTabbedContainer);
        if (!container)
            return FALSE;
        AddContainer(container);
    }
    return TRUE;
}

CTKPPaneBase* CTKPPaneAutoHidePanel::Clone(CTKPPaneLayout* layout, CTKPPaneMap* map, DWORD flags)
{
    CTKPPaneManager* manager = GetManager();
    CTKPPaneAutoHidePanel* clone =
        manager ? AsAutoHidePanel(manager->OnCreatePane(paneTypeAutoHidePanel, layout)) : nullptr;
    if (!clone)
        return nullptr;
    clone->m_nDirection = m_nDirection;
    clone->m_pHostWindow = manager->GetSite();
    clone->m_nDockingCX = m_nDockingCX;
    clone->m_nDockingCY = m_nDockingCY;
    if (map)
        (*map)[this] = clone;
    const CTKPPaneList containers = m_containers;
    for (CTKPPaneBase* container : containers) {
        if (!map && container->IsHidden())
            continue;
        if (CTKPPaneBase* copy = container->Clone(layout, map, 0))
            clone->AddContainer(copy);
    }
    return clone;
}

// ---- Messages ----------------------------------------------------------------------------------
void CTKPPaneAutoHidePanel::OnPaint()
{
    PAINTSTRUCT ps;
    HDC hdc = ::BeginPaint(m_hWnd, &ps);
    CRect rc;
    GetClientRect(&rc);
    {
        CTKPOffscreenDC dc(hdc, rc);
        CTKPTabPainter* painter = GetTabPainter();
        TabColorScheme* scheme = painter ? painter->GetColorScheme() : nullptr;
        const COLORREF light = scheme ? scheme->m_clrHeader.Light() : ::GetSysColor(COLOR_BTNFACE);
        const COLORREF dark = scheme ? scheme->m_clrHeader.Dark() : light;
        if (light == dark) {
            dc.FillSolidRect(rc, light);
        } else {
            // The gradient runs over at most half the screen; the rest keeps its far colour.
            CRect gradient(rc);
            gradient.right = gradient.left + std::min(rc.Width(), ::GetSystemMetrics(SM_CXFULLSCREEN) / 2);
            dc.FillSolidRect(rc, dark);
            CTKPGradientHelper().GradientFillRect(dc.m_hDC, gradient, light, dark, TRUE);
        }
        if (painter) {
            PainterPosition position(painter, GroupPosition(m_nDirection));
            for (CTKPAutoHideTabGroup* group : m_groups)
                painter->DrawTabControl(&dc, group, group->m_rcGroup);
        }
    }
    ::EndPaint(m_hWnd, &ps);
}

void CTKPPaneAutoHidePanel::OnMouseMove(CPoint point)
{
    for (CTKPAutoHideTabGroup* group : m_groups)
        group->OnMouseMove(m_hWnd, point.x, point.y);
    if (HitTest(point)) {
        TRACKMOUSEEVENT tme{sizeof(tme), TME_HOVER | TME_LEAVE, m_hWnd, GetAutoHideSettings().dwHoverTime};
        ::TrackMouseEvent(&tme);
    }
}

void CTKPPaneAutoHidePanel::OnMouseHover(CPoint point)
{
    CTKPPane* pane = HitTest(point);
    if (!pane || !IsTopLevelWindowActive(m_hWnd) || IsShowing(pane))
        return;
    // Another pane that is out goes first; when the site keeps it open, it stays.
    if (CloseActive(TRUE))
        OpenPane(pane, FALSE);
}

void CTKPPaneAutoHidePanel::OnLButtonDown(CPoint point)
{
    CTKPPane* pane = HitTest(point);
    if (!pane)
        return;
    if (IsShowing(pane)) {
        if (CTKPPaneTabbedHolder* holder = AsTabbedHolder(pane->GetParentContainer()))
            holder->SelectPane(pane, TRUE, TRUE);
        pane->SetFocus();
        return;
    }
    if (CloseActive(TRUE))
        OpenPane(pane, TRUE);
}

LRESULT CTKPPaneAutoHidePanel::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const CPoint point(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(point);
        return 0;
    case WM_MOUSEHOVER:
        OnMouseHover(point);
        return 0;
    case WM_MOUSELEAVE:
        for (CTKPAutoHideTabGroup* group : m_groups)
            if (group->m_pHot) {
                group->m_pHot = nullptr;
                group->RedrawControl();
            }
        return 0;
    case WM_LBUTTONDOWN:
        OnLButtonDown(point);
        return 0;
    case WM_RBUTTONDOWN:
        if (CTKPPane* pane = HitTest(point))
            if (CTKPPaneManager* manager = GetManager())
                manager->NotifyOwner(TKP_DPN_RCLICK, reinterpret_cast<LPARAM>(pane));
        return 0;
    default:
        break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

DROPEFFECT CTKPPaneAutoHidePanel::CDropTarget::OnDragOver(CWnd*, COleDataObject*, DWORD, CPoint point)
{
    CTKPTabPainter* painter = m_pOwner->GetTabPainter();
    if (painter && painter->m_bSelectOnDragOver)
        if (CTKPPane* pane = m_pOwner->HitTest(point); pane && !m_pOwner->IsShowing(pane)) {
            if (m_pOwner->CloseActive(TRUE))
                m_pOwner->OpenPane(pane, FALSE);
        }
    return DROPEFFECT_NONE;
}
