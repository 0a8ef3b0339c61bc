// The tabbed container: its panes and tabs, caption buttons, mouse, layout, saving and cloning.
#include "toolkit/docking/pane_tabbed_container.h"

#include "afx/frame.h"
#include "afx/gdi.h"
#include "afx/window_dc.h"
#include "toolkit/base/resource_loader.h"
#include "toolkit/commandbars/image_manager.h"
#include "toolkit/commandbars/prop_exchange.h"
#include "toolkit/commandbars/tip_context.h"
#include "toolkit/docking/dock_paint_manager.h"
#include "toolkit/docking/pane.h"
#include "toolkit/docking/pane_caption_button.h"
#include "toolkit/docking/pane_layout.h"
#include "toolkit/docking/pane_manager.h"
#include "toolkit/docking/pane_splitter.h"
#include "toolkit/docking/tab_painter.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CTKPDockingPaneTabbedContainer, CWnd)

namespace {

// The container's window class: double clicks and the arrow cursor.
LPCWSTR ContainerClass()
{
    static CString name;
    if (name.IsEmpty())
        name = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW));
    return name;
}

// The record of notification code 5: the pane and the screen point under its menu.
struct PaneMenuRecord {
    CTKPPaneBase* pane;
    LONG x;
    LONG y;
};

CString IndexKey(int index)
{
    CString key;
    key.Format(u"Pane-%d", index);
    return key;
}

} // namespace

// ---- Construction ------------------------------------------------------------------------------
CTKPDockingPaneTabbedContainer::CTKPDockingPaneTabbedContainer(CTKPPaneLayout* layout)
    : CTKPPaneBase(paneTypeTabbedContainer, layout)
{
    for (UINT id : {TKP_IDS_PANE_CLOSE, TKP_IDS_PANE_MAXIMIZE, TKP_IDS_PANE_RESTORE, TKP_IDS_PANE_AUTOHIDE,
                    TKP_IDS_PANE_MENU})
        m_captionButtons.push_back(new CTKPPaneCaptionButton(id, this));
    // The panes' own tab dragging swaps panes; the strip's reorder loop is not used.
    m_bAllowReorder = FALSE;
    if (CTKPTabPainter* painter = GetPaintManager())
        painter->AddStrip(this);
}

CTKPDockingPaneTabbedContainer::~CTKPDockingPaneTabbedContainer()
{
    m_dropTarget.Revoke();
    if (!m_hWnd)
        return;
    // The panes' windows belong to the application: they go back to the manager's window
    // rather than down with this one.
    CTKPPaneManager* manager = GetManager();
    HWND park = manager ? manager->GetSafeHwnd() : nullptr;
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    for (HWND child : children) {
        ::ShowWindow(child, SW_HIDE);
        if (park)
            ::SetParent(child, park);
    }
    DestroyWindow();
}

BOOL CTKPDockingPaneTabbedContainer::EnsureWindow()
{
    if (m_hWnd)
        return TRUE;
    CWnd* host = m_pHostWindow;
    if (!host || !host->GetSafeHwnd() || (GetLayout() && GetLayout()->IsInitial()))
        return FALSE;
    if (!CreateEx(0, ContainerClass(), u"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, CRect(0, 0, 0, 0),
                  host, 0))
        return FALSE;
    m_dropTarget.Register(this);
    // Panes added before the window existed move their windows into it.
    for (CTKPPane* pane : m_panes)
        pane->SetParentContainer(this);
    return TRUE;
}

CWnd* CTKPDockingPaneTabbedContainer::GetPaneWindow() const
{
    return m_hWnd ? const_cast<CTKPDockingPaneTabbedContainer*>(this) : nullptr;
}

void CTKPDockingPaneTabbedContainer::SetHostWindow(CWnd* host)
{
    m_pHostWindow = host;
    if (m_hWnd && host && host->GetSafeHwnd() && ::GetParent(m_hWnd) != host->m_hWnd)
        ::SetParent(m_hWnd, host->m_hWnd);
    for (CTKPPane* pane : m_panes)
        pane->SetHostWindow(host);
}

// ---- Panes -------------------------------------------------------------------------------------
void CTKPDockingPaneTabbedContainer::Init(CTKPPane* pane, CWnd* site)
{
    if (!pane)
        return;
    m_nDockingCX = pane->m_nDockingCX;
    m_nDockingCY = pane->m_nDockingCY;
    m_rcPane = pane->GetPaneRect();
    if (site)
        SetHostWindow(site);
    AddPane(pane, TRUE);
    SelectPane(pane, TRUE, TRUE);
}

void CTKPDockingPaneTabbedContainer::AddPane(CTKPPane* pane, BOOL setFocus)
{
    if (!pane || std::find(m_panes.begin(), m_panes.end(), pane) != m_panes.end())
        return;
    EnsureWindow();
    m_panes.push_back(pane);
    pane->SetParentContainer(this);
    pane->SetHostWindow(m_pHostWindow);
    DelayLayoutOf(m_pHostWindow);
    SelectPane(pane, setFocus, TRUE);
    if (m_pParentContainer)
        m_pParentContainer->OnChildrenChanged();
}

void CTKPDockingPaneTabbedContainer::RemovePane(CTKPPaneBase* base)
{
    auto at = std::find(m_panes.begin(), m_panes.end(), base);
    if (at == m_panes.end())
        return;
    CTKPPane* pane = *at;
    m_panes.erase(at);
    if (pane == m_pDragPane)
        EndTabDrag();
    const BOOL wasSelected = pane == m_pSelectedPane;
    if (wasSelected)
        m_pSelectedPane = nullptr;
    UpdateTabs();
    pane->SetParentContainer(nullptr);
    if (m_pParentContainer)
        m_pParentContainer->OnChildrenChanged();
    if (m_panes.empty() && m_hWnd)
        ShowWindow(SW_HIDE);
    DelayLayoutOf(m_pHostWindow);
    if (wasSelected && !m_panes.empty())
        SelectPane(m_panes.front(), FALSE, TRUE);
}

void CTKPDockingPaneTabbedContainer::SelectPane(CTKPPane* pane, BOOL setFocus, BOOL notify)
{
    if (pane && std::find(m_panes.begin(), m_panes.end(), pane) == m_panes.end())
        return;
    if (pane != m_pSelectedPane) {
        m_pSelectedPane = pane;
        if (notify) {
            DelayLayoutOf(m_pHostWindow);
            if (m_pParentContainer)
                m_pParentContainer->OnChildrenChanged();
        } else {
            UpdateLayout();
        }
    }
    if (setFocus && pane) {
        if (m_bActiveContainer)
            if (CTKPPaneManager* manager = GetManager())
                manager->SetActivePane(TRUE, pane);
        pane->SetFocus();
    }
}

CTKPPane* CTKPDockingPaneTabbedContainer::PaneOfItem(const CTKPTabManagerItem* item) const
{
    CTKPPane* pane = item ? reinterpret_cast<CTKPPane*>(item->m_dwData) : nullptr;
    return pane && std::find(m_panes.begin(), m_panes.end(), pane) != m_panes.end() ? pane : nullptr;
}

void CTKPDockingPaneTabbedContainer::UpdateTabs()
{
    ++m_nLockLayout;
    while (GetItemCount() > int(m_panes.size()))
        DeleteItem(GetItemCount() - 1);
    while (GetItemCount() < int(m_panes.size()))
        InsertItem(-1);
    for (size_t i = 0; i < m_panes.size(); ++i) {
        CTKPPane* pane = m_panes[i];
        CTKPTabManagerItem* item = GetItem(int(i));
        item->m_dwData = DWORD_PTR(pane);
        item->m_nImage = pane->m_nIconID == -1 ? pane->m_nID : pane->m_nIconID;
        item->m_strToolTip = pane->GetTitle();
        item->m_strCaption = pane->GetShortTitle();
        item->m_clrItem = pane->GetItemColor();
    }
    --m_nLockLayout;
    const auto at = std::find(m_panes.begin(), m_panes.end(), m_pSelectedPane);
    m_pSelected = at == m_panes.end() ? nullptr : GetItem(int(at - m_panes.begin()));
    Reposition();
}

BOOL CTKPDockingPaneTabbedContainer::IsTabsVisible() const
{
    if (IsAutoHidden())
        return FALSE;
    if (m_panes.size() > 1)
        return TRUE;
    // A theme may show the tab even of a single pane.
    CTKPPaneThemePainter* painter = CTKPPaneBase::GetPaintManager();
    return painter && painter->m_bAlwaysShowTabs && !m_panes.empty();
}

BOOL CTKPDockingPaneTabbedContainer::IsCaptionVisible() const
{
    return m_bCaption && !(m_pSelectedPane && (m_pSelectedPane->GetOptions() & paneNoCaption));
}

BOOL CTKPDockingPaneTabbedContainer::IsCaptionVertical() const
{
    CTKPPaneManager* manager = GetManager();
    switch (manager ? manager->m_nCaptionDirection : 0) {
    case 1:
        return TRUE;
    case 2: {
        const int direction = manager->GetPaneDirection(this);
        return direction == dockTopOf || direction == dockBottomOf;
    }
    case 3:
        return m_rcPane.right - m_rcPane.left > m_rcPane.bottom - m_rcPane.top;
    default:
        return FALSE;
    }
}

BOOL CTKPDockingPaneTabbedContainer::IsAutoHidden() const
{
    return m_pParentContainer && m_pParentContainer->GetType() == paneTypeAutoHidePanel;
}

BOOL CTKPDockingPaneTabbedContainer::ContainsPane(const CTKPPaneBase* pane) const
{
    return pane == this || std::find(m_panes.begin(), m_panes.end(), pane) != m_panes.end();
}

void CTKPDockingPaneTabbedContainer::FindPanes(int type, CTKPPaneList& list)
{
    CTKPPaneBase::FindPanes(type, list);
    for (CTKPPane* pane : m_panes)
        pane->FindPanes(type, list);
}

BOOL CTKPDockingPaneTabbedContainer::IsCaptionButtonVisible(CTKPPaneCaptionButton* button)
{
    const DWORD options = m_pSelectedPane ? m_pSelectedPane->GetOptions() : 0;
    switch (button->GetID()) {
    case TKP_IDS_PANE_CLOSE:
        return m_pSelectedPane && !(options & paneNoCloseable);
    case TKP_IDS_PANE_AUTOHIDE:
        return m_pSelectedPane && !(options & paneNoHideable);
    case TKP_IDS_PANE_MENU:
        return m_pSelectedPane && (options & paneHasMenuButton);
    case TKP_IDS_PANE_MAXIMIZE:
    case TKP_IDS_PANE_RESTORE: {
        CTKPPaneManager* manager = GetManager();
        if (!manager || !manager->m_bShowMaximizeButton || !m_pParentContainer ||
            m_pParentContainer->GetType() != paneTypeSplitterContainer)
            return FALSE;
        const auto& children = static_cast<CTKPPaneSplitterContainer*>(m_pParentContainer)->GetPanes();
        const auto tabbed = std::count_if(children.begin(), children.end(), [](CTKPPaneBase* child) {
            return child->GetType() == paneTypeTabbedContainer;
        });
        return tabbed > 1 && (button->GetID() == TKP_IDS_PANE_RESTORE) == bool(m_bMaximized);
    }
    default:
        return TRUE;
    }
}

void CTKPDockingPaneTabbedContainer::GetMinMaxInfo(MINMAXINFO* info) const
{
    CTKPPaneBase::GetMinMaxInfo(info);
    if (IsHidden())
        return;
    for (size_t i = 0; i < m_panes.size(); ++i) {
        MINMAXINFO pane{};
        m_panes[i]->GetMinMaxInfo(&pane);
        if (i == 0) {
            info->ptMinTrackSize = pane.ptMinTrackSize;
            info->ptMaxTrackSize = pane.ptMaxTrackSize;
            continue;
        }
        info->ptMinTrackSize.x = std::max(info->ptMinTrackSize.x, pane.ptMinTrackSize.x);
        info->ptMinTrackSize.y = std::max(info->ptMinTrackSize.y, pane.ptMinTrackSize.y);
        info->ptMaxTrackSize.x = std::min(info->ptMaxTrackSize.x, pane.ptMaxTrackSize.x);
        info->ptMaxTrackSize.y = std::min(info->ptMaxTrackSize.y, pane.ptMaxTrackSize.y);
    }
    // Caption, tabs and borders, as the painter takes them off a large rectangle.
    if (CTKPPaneThemePainter* painter = CTKPPaneBase::GetPaintManager()) {
        RECT rc{0, 0, 1000, 1000};
        painter->AdjustTabbedClientRect(const_cast<CTKPDockingPaneTabbedContainer*>(this), rc, FALSE);
        const LONG extraX = 1000 - (rc.right - rc.left), extraY = 1000 - (rc.bottom - rc.top);
        info->ptMinTrackSize.x += extraX;
        info->ptMinTrackSize.y += extraY;
        info->ptMaxTrackSize.x += extraX;
        info->ptMaxTrackSize.y += extraY;
    }
}

void CTKPDockingPaneTabbedContainer::UpdateDockingSize()
{
    CTKPPaneManager* manager = GetManager();
    const int direction = manager ? manager->GetPaneDirection(this) : dockLeftOf;
    const BOOL across = direction == dockLeftOf || direction == dockRightOf;
    const int size = across ? m_rcPane.right - m_rcPane.left : m_rcPane.bottom - m_rcPane.top;
    (across ? m_nDockingCX : m_nDockingCY) = size;
    for (CTKPPane* pane : m_panes)
        if (!pane->IsHidden())
            (across ? pane->m_nDockingCX : pane->m_nDockingCY) = size;
}

// ---- Layout ------------------------------------------------------------------------------------
CRect CTKPDockingPaneTabbedContainer::GetPanesRect()
{
    CRect rc(0, 0, 0, 0);
    if (m_hWnd)
        CWnd::GetClientRect(&rc);
    if (CTKPPaneThemePainter* painter = CTKPPaneBase::GetPaintManager())
        painter->AdjustTabbedClientRect(this, rc, FALSE);
    return rc;
}

void CTKPDockingPaneTabbedContainer::Reposition()
{
    if (m_nLockLayout || !m_hWnd)
        return;
    CTKPTabPainter* painter = GetPaintManager();
    CTKPPaneThemePainter* theme = CTKPPaneBase::GetPaintManager();
    if (!painter || !theme)
        return;
    // The theme may have changed its painter since the strip was last laid out.
    painter->AddStrip(this);
    CRect rc;
    CWnd::GetClientRect(&rc);
    theme->AdjustCaptionRect(this, rc);
    CClientDC dc(this);
    painter->RepositionTabControl(this, &dc, rc);
    RedrawControl();
}

void CTKPDockingPaneTabbedContainer::LayoutPanes(AFX_SIZEPARENTPARAMS* layout)
{
    // The panes are laid out in the host's coordinates, as the splitter gives them.
    CRect client = GetPanesRect();
    if (m_hWnd && m_pHostWindow && m_pHostWindow->GetSafeHwnd())
        ::MapWindowPoints(m_hWnd, m_pHostWindow->m_hWnd, reinterpret_cast<POINT*>(&client), 2);
    for (CTKPPane* pane : m_panes)
        if (pane != m_pSelectedPane)
            pane->ShowWindow(FALSE);
    if (m_pSelectedPane)
        m_pSelectedPane->ShowWindow(TRUE);
    for (CTKPPane* pane : m_panes)
        pane->OnSizeParent(m_pHostWindow, client, layout);
}

void CTKPDockingPaneTabbedContainer::OnSizeParent(CWnd* parent, const RECT& rect, AFX_SIZEPARENTPARAMS* layout)
{
    SetHostWindow(parent);
    m_rcPane = rect;
    if (layout && !layout->hDWP) {
        layout->rect = rect;
        return;
    }
    if (!EnsureWindow())
        return;
    ::SetWindowPos(m_hWnd, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_NOZORDER | SWP_NOACTIVATE | (m_panes.empty() ? 0 : SWP_SHOWWINDOW));
    CWnd::Invalidate(FALSE);
    UpdateTabs();
    if (CTKPPaneCaptionButton* pin = FindCaptionButton(TKP_IDS_PANE_AUTOHIDE))
        pin->SetState(IsAutoHidden() ? 3 : AsFloatingHolder(parent) ? 0 : 1);
    LayoutPanes(layout);
}

void CTKPDockingPaneTabbedContainer::UpdateLayout()
{
    if (!m_hWnd || !m_pParentContainer || m_nLockLayout)
        return;
    UpdateTabs();
    ++m_nLockLayout;
    LayoutPanes(nullptr);
    --m_nLockLayout;
    CWnd::Invalidate(FALSE);
    CTKPPaneBase::UpdateLayout();
}

void CTKPDockingPaneTabbedContainer::OnParentChanged(CTKPPaneBase* container)
{
    if (!container)
        return;
    SetHostWindow(container->GetHostWindow());
    if (m_hWnd && container->GetType() == paneTypeAutoHidePanel)
        ShowWindow(SW_HIDE);
}

void CTKPDockingPaneTabbedContainer::Invalidate()
{
    if (m_hWnd)
        CWnd::Invalidate(FALSE);
}

void CTKPDockingPaneTabbedContainer::OnIdleUpdate()
{
    HWND focus = ::GetFocus();
    BOOL active = FALSE;
    if (m_hWnd && focus) {
        auto inside = [&](HWND wnd) { return wnd && (wnd == m_hWnd || ::IsChild(m_hWnd, wnd)); };
        active = inside(focus) || inside(::GetWindow(focus, GW_OWNER)) || inside(::GetParent(focus));
    }
    if (active != m_bActiveContainer) {
        m_bActiveContainer = active;
        if (CTKPPaneManager* manager = GetManager()) {
            if (active)
                manager->SetActivePane(TRUE, m_pSelectedPane);
            else
                manager->SetActivePane(FALSE, manager->GetActivePane() &&
                                                      ContainsPane(manager->GetActivePane())
                                                  ? manager->GetActivePane()
                                                  : nullptr);
        }
        Invalidate();
    }
    if (m_pSelectedPane && ::IsWindow(m_pSelectedPane->GetChild()))
        ::SendMessageW(m_pSelectedPane->GetChild(), WM_IDLEUPDATECMDUI, TRUE, 0);
}

void CTKPDockingPaneTabbedContainer::RecalcHostLayout()
{
    if (m_pHostWindow && m_pHostWindow->GetSafeHwnd())
        if (auto* frame = dynamic_cast<CFrameWnd*>(m_pHostWindow))
            frame->RecalcLayout();
}

// ---- The tab strip -----------------------------------------------------------------------------
CTKPTabPainter* CTKPDockingPaneTabbedContainer::GetPaintManager() const
{
    CTKPPaneThemePainter* theme = CTKPPaneBase::GetPaintManager();
    return theme ? theme->GetPaneTabPainter() : nullptr;
}

void CTKPDockingPaneTabbedContainer::RedrawControl()
{
    if (m_hWnd)
        CWnd::Invalidate(FALSE);
}

BOOL CTKPDockingPaneTabbedContainer::DrawItemIcon(CDC* pDC, CPoint point, CTKPTabManagerItem* item, BOOL draw,
                                                  CSize& size)
{
    CTKPPane* pane = PaneOfItem(item);
    CTKPImageIcon* icon = pane ? pane->GetIcon(size.cx > 0 ? size.cx : 16) : nullptr;
    if (!icon)
        return FALSE;
    if (draw)
        icon->DrawScaled(pDC->m_hDC, point, icon->GetIcon(), size);
    return TRUE;
}

COLORREF CTKPDockingPaneTabbedContainer::GetItemColor(const CTKPTabManagerItem* item) const
{
    CTKPPane* pane = PaneOfItem(item);
    return TabColorFromId(pane ? pane->GetItemColor() : item->m_clrItem);
}

// ---- Caption buttons ---------------------------------------------------------------------------
CRect CTKPDockingPaneTabbedContainer::GetCaptionRect() const
{
    CRect rc(0, 0, 0, 0);
    CTKPPaneThemePainter* painter = CTKPPaneBase::GetPaintManager();
    if (!m_hWnd || !painter || !IsCaptionVisible() || !painter->m_bShowCaption)
        return rc;
    CWnd::GetClientRect(&rc);
    if (IsCaptionVertical())
        rc.right = std::min<LONG>(rc.right, rc.left + painter->GetCaptionHeight() + 3);
    else
        rc.bottom = std::min<LONG>(rc.bottom, rc.top + painter->GetCaptionHeight() + 3);
    return rc;
}

CTKPPaneCaptionButton* CTKPDockingPaneTabbedContainer::CaptionButtonAt(CPoint point) const
{
    if (!GetCaptionRect().PtInRect(point))
        return nullptr;
    for (CTKPPaneCaptionButton* button : m_captionButtons)
        if (button->PtInRect(point))
            return button;
    return nullptr;
}

void CTKPDockingPaneTabbedContainer::ClosePanes(BOOL group)
{
    CTKPPaneManager* manager = GetManager();
    if (!manager)
        return;
    std::vector<CTKPPane*> panes;
    if (group)
        panes = m_panes;
    else if (m_pSelectedPane)
        panes.push_back(m_pSelectedPane);
    for (CTKPPane* pane : panes) {
        if (pane->GetOptions() & paneNoCloseable)
            continue;
        if (manager->NotifyAction(paneActionClosing, pane))
            continue;
        manager->ClosePane(pane);
        manager->NotifyAction(paneActionClosed, pane);
    }
}

void CTKPDockingPaneTabbedContainer::OnCaptionButtonClick(UINT id)
{
    CTKPPaneManager* manager = GetManager();
    if (!manager)
        return;
    switch (id) {
    case TKP_IDS_PANE_CLOSE:
        ClosePanes(manager->m_bCloseGroupOnButtonClick);
        break;
    case TKP_IDS_PANE_AUTOHIDE:
        if (IsAutoHidden()) {
            if (manager->m_bHideGroupOnButtonClick)
                manager->ToggleDocking(static_cast<CTKPPaneBase*>(this));
            else if (m_pSelectedPane)
                manager->ToggleDocking(static_cast<CTKPPaneBase*>(m_pSelectedPane));
        } else if (m_pSelectedPane && !manager->NotifyAction(paneActionHiding, m_pSelectedPane)) {
            CTKPPane* pane = m_pSelectedPane;
            UpdateDockingSize();
            manager->HidePane(pane);
            manager->NotifyAction(paneActionHidden, pane);
        }
        break;
    case TKP_IDS_PANE_MAXIMIZE:
    case TKP_IDS_PANE_RESTORE: {
        if (!m_pParentContainer || m_pParentContainer->GetType() != paneTypeSplitterContainer)
            break;
        const BOOL maximize = id == TKP_IDS_PANE_MAXIMIZE;
        for (CTKPPaneBase* child : static_cast<CTKPPaneSplitterContainer*>(m_pParentContainer)->GetPanes())
            if (child->GetType() == paneTypeTabbedContainer)
                if (auto* tabbed = dynamic_cast<CTKPDockingPaneTabbedContainer*>(child))
                    tabbed->m_bMaximized = maximize && tabbed == this;
        DelayLayoutOf(m_pHostWindow);
        RecalcHostLayout();
        break;
    }
    case TKP_IDS_PANE_MENU: {
        CTKPPaneCaptionButton* button = FindCaptionButton(TKP_IDS_PANE_MENU);
        if (!button || !m_pSelectedPane)
            break;
        button->SetPressed(TRUE);
        button->InvalidateRect();
        CRect rc(button->GetRect());
        ClientToScreen(&rc);
        PaneMenuRecord record{m_pSelectedPane, rc.left, rc.bottom};
        manager->NotifyOwner(TKP_DPN_CONTEXTMENU, reinterpret_cast<LPARAM>(&record));
        button->SetPressed(FALSE);
        button->InvalidateRect();
        break;
    }
    default:
        break;
    }
}

// ---- Mouse -------------------------------------------------------------------------------------
void CTKPDockingPaneTabbedContainer::SetFocusToSelection()
{
    if (m_pSelectedPane && m_pSelectedPane->GetChild())
        m_pSelectedPane->SetFocus();
    else if (m_hWnd)
        CWnd::SetFocus();
}

void CTKPDockingPaneTabbedContainer::StartDragging(CTKPPaneBase* pane, CPoint screen)
{
    if (CTKPPaneManager* manager = GetManager())
        manager->StartPaneDrag(pane, screen);
}

void CTKPDockingPaneTabbedContainer::OnLButtonDown(CPoint point)
{
    CTKPPaneManager* manager = GetManager();
    if (CTKPPaneCaptionButton* button = CaptionButtonAt(point)) {
        SetFocusToSelection();
        if (manager)
            manager->UpdateHolders();
        if (button->GetID() == TKP_IDS_PANE_MENU || button->Click(this, point))
            OnCaptionButtonClick(button->GetID());
        return;
    }
    if (IsTabsVisible()) {
        if (CTKPPane* pane = PaneOfItem(HitTest(point.x, point.y))) {
            m_dragRects.clear();
            for (int i = 0; i < GetItemCount(); ++i)
                m_dragRects.push_back(GetItem(i)->GetRect());
            m_pDragPane = pane;
            SelectPane(pane, TRUE, FALSE);
            SetCapture();
            CWnd::Invalidate(FALSE);
            return;
        }
    }
    if (GetCaptionRect().PtInRect(point)) {
        if (IsAutoHidden()) {
            SetFocusToSelection();
            return;
        }
        CPoint screen = point;
        ClientToScreen(&screen);
        StartDragging(this, screen);
        return;
    }
    SetFocusToSelection();
}

void CTKPDockingPaneTabbedContainer::EndTabDrag()
{
    m_pDragPane = nullptr;
    m_dragRects.clear();
    if (m_hWnd && ::GetCapture() == m_hWnd)
        ::ReleaseCapture();
}

void CTKPDockingPaneTabbedContainer::OnMouseMove(CPoint point)
{
    if (!m_pDragPane) {
        CTKPTabStrip::OnMouseMove(m_hWnd, point.x, point.y);
        for (CTKPPaneCaptionButton* button : m_captionButtons)
            button->SetSelected(button->PtInRect(point));
        return;
    }
    for (size_t i = 0; i < m_dragRects.size() && i < m_panes.size(); ++i) {
        if (m_panes[i] == m_pDragPane || !m_dragRects[i].PtInRect(point))
            continue;
        auto from = std::find(m_panes.begin(), m_panes.end(), m_pDragPane);
        if (from != m_panes.end()) {
            std::iter_swap(from, m_panes.begin() + long(i));
            UpdateTabs();
            UpdateLayout();
            // The tabs now lie where they were drawn after the swap.
            m_dragRects.clear();
            for (int n = 0; n < GetItemCount(); ++n)
                m_dragRects.push_back(GetItem(n)->GetRect());
        }
        return;
    }
    if (m_rcHeader.PtInRect(point))
        return;
    CPoint screen = point;
    ClientToScreen(&screen);
    CTKPPaneManager* manager = GetManager();
    CTKPPane* pane = m_pDragPane;
    if (manager && manager->NotifyAction(paneActionDetaching, pane, screen.x, screen.y))
        return;
    EndTabDrag();
    StartDragging(pane, screen);
}

void CTKPDockingPaneTabbedContainer::OnLButtonDblClk(CPoint point)
{
    CTKPPaneManager* manager = GetManager();
    if (!manager || CaptionButtonAt(point))
        return;
    if (IsTabsVisible())
        if (CTKPPane* pane = PaneOfItem(HitTest(point.x, point.y))) {
            manager->ToggleDocking(static_cast<CTKPPaneBase*>(pane));
            return;
        }
    if (GetCaptionRect().PtInRect(point)) {
        if (IsAutoHidden() && m_pSelectedPane && (m_pSelectedPane->GetOptions() & paneNoHideable))
            return;
        manager->ToggleDocking(static_cast<CTKPPaneBase*>(this));
    }
}

void CTKPDockingPaneTabbedContainer::OnRButtonDown(CPoint point)
{
    CTKPPaneManager* manager = GetManager();
    if (IsTabsVisible())
        if (CTKPPane* pane = PaneOfItem(HitTest(point.x, point.y))) {
            SelectPane(pane, TRUE, TRUE);
            RecalcHostLayout();
        }
    SetFocusToSelection();
    if (manager) {
        manager->SendMessage(WM_IDLEUPDATECMDUI, 0, 0);
        manager->NotifyOwner(TKP_DPN_RCLICK, reinterpret_cast<LPARAM>(static_cast<CTKPPaneBase*>(this)));
    }
}

// ---- Painting ----------------------------------------------------------------------------------
void CTKPDockingPaneTabbedContainer::Paint(HDC hdc)
{
    CRect rc;
    CWnd::GetClientRect(&rc);
    if (rc.IsRectEmpty())
        return;
    CDC mem;
    mem.Attach(::CreateCompatibleDC(hdc));
    HBITMAP bitmap = ::CreateCompatibleBitmap(hdc, rc.Width(), rc.Height());
    HGDIOBJ old = ::SelectObject(mem.m_hDC, bitmap);
    if (CTKPPaneThemePainter* painter = CTKPPaneBase::GetPaintManager())
        painter->DrawTabbedContainer(&mem, this, rc);
    ::BitBlt(hdc, 0, 0, rc.Width(), rc.Height(), mem.m_hDC, 0, 0, SRCCOPY);
    ::SelectObject(mem.m_hDC, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(mem.Detach());
}

INT_PTR CTKPDockingPaneTabbedContainer::OnToolHitTest(CPoint point, TOOLINFOW* pTI) const
{
    if (CTKPPaneCaptionButton* button = CaptionButtonAt(point)) {
        CString text;
        GetResourceLoader().LoadString(text, button->GetID());
        if (text.IsEmpty())
            return -1;
        if (pTI)
            CTKPTipContext::FillToolInfo(pTI, m_hWnd, button->GetID(), button->GetRect(), 0, text);
        return INT_PTR(button->GetID());
    }
    return CTKPTabStrip::OnToolHitTest(m_hWnd, point, pTI);
}

LRESULT CTKPDockingPaneTabbedContainer::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST)
        if (CTKPPaneManager* manager = GetManager())
            if (CTKPTipContext* tips = manager->GetTipContext())
                tips->RelayToolTipMessage(this, message, wParam, lParam);
    const CPoint point(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = ::BeginPaint(m_hWnd, &ps);
        Paint(hdc);
        ::EndPaint(m_hWnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return TRUE;
    case WM_SIZE:
        Reposition();
        break;
    case WM_LBUTTONDOWN:
        OnLButtonDown(point);
        return 0;
    case WM_LBUTTONDBLCLK:
        OnLButtonDblClk(point);
        return 0;
    case WM_RBUTTONDOWN:
        OnRButtonDown(point);
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(point);
        return 0;
    case WM_LBUTTONUP:
        if (m_pDragPane)
            EndTabDrag();
        return 0;
    case WM_CAPTURECHANGED:
        if (m_pDragPane && reinterpret_cast<HWND>(lParam) != m_hWnd) {
            m_pDragPane = nullptr;
            m_dragRects.clear();
        }
        break;
    case WM_MOUSELEAVE:
        if (m_pHot) {
            m_pHot = nullptr;
            RedrawControl();
        }
        for (CTKPPaneCaptionButton* button : m_captionButtons)
            button->SetSelected(FALSE);
        break;
    case WM_HELPHITTEST: {
        CTKPPane* pane = PaneOfItem(HitTest(point.x, point.y));
        if (!pane)
            pane = m_pSelectedPane;
        if (!pane)
            return 0;
        return (pane->m_nHelpId ? pane->m_nHelpId : pane->m_nID) + 0x20000;
    }
    default:
        break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

// ---- Dragged data ------------------------------------------------------------------------------
DROPEFFECT CTKPDockingPaneTabbedContainer::CDropTarget::OnDragEnter(CWnd* pWnd, COleDataObject* data, DWORD keys,
                                                                     CPoint point)
{
    return OnDragOver(pWnd, data, keys, point);
}

DROPEFFECT CTKPDockingPaneTabbedContainer::CDropTarget::OnDragOver(CWnd*, COleDataObject*, DWORD, CPoint point)
{
    CTKPTabPainter* painter = m_pOwner->GetPaintManager();
    if (painter && painter->m_bSelectOnDragOver && m_pOwner->IsTabsVisible()) {
        CTKPPane* pane = m_pOwner->PaneOfItem(m_pOwner->HitTest(point.x, point.y));
        if (pane && pane != m_pOwner->m_pSelectedPane)
            m_pOwner->SelectPane(pane, FALSE, FALSE);
    }
    return DROPEFFECT_NONE;
}

// ---- Attaching, saving and cloning -------------------------------------------------------------
BOOL CTKPDockingPaneTabbedContainer::HitTestAttach(RECT& rect, int x, int y)
{
    CTKPPaneThemePainter* painter = CTKPPaneBase::GetPaintManager();
    if (!painter)
        return FALSE;
    const BOOL vertical = IsCaptionVertical();
    RECT caption = rect;
    if (m_bCaption) {
        const int size = painter->GetCaptionHeight() + 3;
        if (vertical) {
            caption.right = std::min<LONG>(rect.right, rect.left + size);
            rect.left = caption.right;
        } else {
            caption.bottom = std::min<LONG>(rect.bottom, rect.top + size);
            rect.top = caption.bottom;
        }
    } else {
        // The floating window's own caption, above the container.
        RECT host{0, 0, 0, 0};
        if (m_pHostWindow && m_pHostWindow->GetSafeHwnd())
            ::GetWindowRect(m_pHostWindow->m_hWnd, &host);
        if (vertical) {
            caption.left = host.left;
            caption.right = rect.left;
        } else {
            caption.top = host.top;
            caption.bottom = rect.top;
        }
    }
    const POINT pt{x, y};
    if (::PtInRect(&caption, pt))
        return TRUE;
    if (!IsTabsVisible())
        return FALSE;
    RECT tabs = rect;
    tabs.top = std::max<LONG>(rect.top, rect.bottom - painter->GetTabRowHeight());
    return ::PtInRect(&tabs, pt);
}

BOOL CTKPDockingPaneTabbedContainer::DoPropExchange(CTKPPropExchange* px)
{
    CTKPPaneBase::DoPropExchange(px);
    if (!px->IsLoading()) {
        int count = int(m_panes.size());
        PropExchangeIntNoDefault(px, u"Panes", &count);
        int selected = m_pSelectedPane ? m_pSelectedPane->m_nSaveIndex : 0;
        PropExchangeInt(px, u"Selected", &selected, 0);
        for (int i = 0; i < count; ++i) {
            int index = m_panes[size_t(i)]->m_nSaveIndex;
            PropExchangeInt(px, IndexKey(i + 1), &index, 0);
        }
        return TRUE;
    }
    CTKPPaneLoadMap* map = CTKPPaneLoadMap::Of(px);
    int count = 0, selected = 0;
    if (!map || !PropExchangeIntNoDefault(px, u"Panes", &count))
        return FALSE;
    PropExchangeInt(px, u"Selected", &selected, 0);
    // Each pane can be held once, so a count beyond the layout's panes cannot be right.
    if (count < 0 || size_t(count) > map->m_panes.size())
        return FALSE;
    CTKPPane* toSelect = nullptr;
    for (int i = 0; i < count; ++i) {
        int index = 0;
        PropExchangeInt(px, IndexKey(i + 1), &index, 0);
        auto* pane = static_cast<CTKPPane*>(map->Claim(index, this, 1u << paneTypeDockingPane));
        if (!pane)
            return FALSE;
        AddPane(pane, FALSE);
        if (index == selected)
            toSelect = pane;
    }
    if (toSelect)
        SelectPane(toSelect, FALSE, TRUE);
    return TRUE;
}

CTKPPaneBase* CTKPDockingPaneTabbedContainer::Clone(CTKPPaneLayout* layout, CTKPPaneMap* map, DWORD flags)
{
    CTKPPaneManager* manager = GetManager();
    CTKPPaneBase* made = manager ? manager->OnCreatePane(paneTypeTabbedContainer, layout) : nullptr;
    auto* clone = made ? dynamic_cast<CTKPDockingPaneTabbedContainer*>(made) : nullptr;
    if (!clone) {
        if (made && layout)
            layout->DestroyPane(made);
        return nullptr;
    }
    clone->CopyFrom(this, map, flags);
    if (map)
        (*map)[this] = clone;
    return clone;
}

void CTKPDockingPaneTabbedContainer::CopyFrom(CTKPDockingPaneTabbedContainer* other, CTKPPaneMap* map, DWORD flags)
{
    CTKPPaneManager* manager = GetManager();
    SetHostWindow(manager ? manager->GetSite() : nullptr);
    m_pSelectedPane = nullptr;
    m_pDragPane = nullptr;
    m_rcPane = other->m_rcPane;
    m_nDockingCX = other->m_nDockingCX;
    m_nDockingCY = other->m_nDockingCY;
    m_bActiveContainer = FALSE;
    m_bCaption = TRUE;
    m_nLockLayout = 0;
    CTKPPane* toSelect = nullptr;
    CTKPPane* otherSelected = other->m_pSelectedPane;
    const std::vector<CTKPPane*> panes = other->m_panes;
    for (CTKPPane* pane : panes) {
        CTKPPane* moved = pane;
        if (map) {
            moved = static_cast<CTKPPane*>(pane->Clone(m_pLayout, map, 0));
            if (!moved)
                continue;
        } else {
            if (pane->GetOptions() & flags)
                continue;
            other->RemovePane(pane);
        }
        AddPane(moved, TRUE);
        if (pane == otherSelected)
            toSelect = moved;
    }
    if (toSelect)
        SelectPane(toSelect, FALSE, TRUE);
}
