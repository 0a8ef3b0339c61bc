// The pane manager: installation in the site frame, pane objects by type, lookup, showing,
// closing and hiding, floating and docking, the theme, and the frame's layout and idle messages.
#include "toolkit/docking/pane_manager.h"
#include "toolkit/docking/pane_mini_wnd.h"

#include "toolkit/base/color_table.h"
#include "toolkit/commandbars/image_manager.h"
#include "toolkit/commandbars/tip_context.h"
#include "toolkit/docking/dock_drag_context.h"
#include "toolkit/docking/dock_paint_manager.h"
#include "toolkit/docking/pane_auto_hide.h"
#include "toolkit/docking/pane.h"
#include "toolkit/docking/pane_holders.h"
#include "toolkit/docking/pane_layout.h"
#include "toolkit/docking/pane_splitter.h"
#include "toolkit/docking/pane_tabbed_container.h"
#include "win32/ole/automation.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CTKPPaneManager, CWnd)

namespace {

CTKPPane* AsPane(CTKPPaneBase* pane)
{
    return pane && pane->GetType() == paneTypeDockingPane ? static_cast<CTKPPane*>(pane) : nullptr;
}

CTKPPaneSplitterContainer* AsSplitter(CTKPPaneBase* pane)
{
    return pane && pane->GetType() == paneTypeSplitterContainer ? static_cast<CTKPPaneSplitterContainer*>(pane)
                                                                : nullptr;
}

// The single panes of a pane: itself, or those its container holds.
CTKPPaneList SinglePanes(CTKPPaneBase* pane)
{
    CTKPPaneList list;
    if (AsPane(pane))
        list.push_back(pane);
    else if (pane)
        pane->FindPanes(paneTypeDockingPane, list);
    return list;
}

} // namespace

CTKPPaneManager::CTKPPaneManager()
{
    SetDockingTheme(0);
    m_pImageManager = new CTKPImageManager;
    m_pDragContext = new CTKPDockDragContext(this);
    m_pTipContext = new CTKPTipContext;
    ::OleInitialize(nullptr);
}

CTKPPaneManager::~CTKPPaneManager()
{
    if (m_pLayout)
        m_pLayout->InternalRelease();
    m_pLayout = nullptr;
    if (m_pActivePane)
        m_pActivePane->InternalRelease();
    m_pActivePane = nullptr;
    if (m_pPaintManager)
        m_pPaintManager->InternalRelease();
    m_pPaintManager = nullptr;
    delete m_pDragContext;
    m_pDragContext = nullptr;
    if (m_pTipContext)
        m_pTipContext->InternalRelease();
    if (m_pImageManager)
        m_pImageManager->InternalRelease();
    ::OleUninitialize();
}

BOOL CTKPPaneManager::InstallDockingPanes(CWnd* site)
{
    if (m_pSite || !site || !site->GetSafeHwnd())
        return FALSE;
    m_pSite = site;
    CWnd::Create(u"STATIC", u"", WS_CHILD, RECT{0, 0, 0, 0}, site, 0);
    m_pLayout = CreateLayout();
    m_pLayout->SetInitial(FALSE);
    return TRUE;
}

CTKPPaneLayout* CTKPPaneManager::CreateLayout()
{
    return new CTKPPaneLayout(this);
}

CTKPPaneBase* CTKPPaneManager::OnCreatePane(int type, CTKPPaneLayout* layout)
{
    switch (type) {
    case paneTypeDockingPane:
        return new CTKPPane(layout);
    case paneTypeTabbedContainer:
        return new CTKPDockingPaneTabbedContainer(layout);
    case paneTypeMiniWnd:
        return new CTKPDockingPaneMiniWnd(layout);
    case paneTypeSplitterContainer:
        return new CTKPPaneSplitterContainer(layout);
    case paneTypeClient:
        return new CTKPPaneBase(paneTypeClient, layout);
    case paneTypeAutoHidePanel:
        return new CTKPPaneAutoHidePanel(layout);
    default:
        // The windowed kinds (tabbed containers, floating mini windows and side panels) are made
        // here by their own classes.
        return nullptr;
    }
}

void CTKPPaneManager::SetActivePane(BOOL activate, CTKPPane* pane)
{
    if (activate) {
        if (!pane || pane == m_pActivePane)
            return;
        if (CTKPPane* old = m_pActivePane) {
            NotifyAction(paneActionDeactivated, old);
            m_pActivePane = nullptr;
            old->InternalRelease();
        }
        pane->InternalAddRef();
        m_pActivePane = pane;
        NotifyAction(paneActionActivated, pane);
    } else if (pane && pane == m_pActivePane) {
        m_pActivePane = nullptr;
        NotifyAction(paneActionDeactivated, pane);
        pane->InternalRelease();
    }
}

// ---- Lookup ------------------------------------------------------------------------------------
CTKPPane* CTKPPaneManager::FindPane(int id) const
{
    if (!m_pLayout)
        return nullptr;
    for (const CTKPPaneInfo& info : m_pLayout->GetPaneInfoList())
        if (info.pPane && info.pPane->m_nID == id)
            return info.pPane;
    return nullptr;
}

BOOL CTKPPaneManager::IsPaneClosed(const CTKPPane* pane) const
{
    return !pane || !pane->GetParentContainer();
}

BOOL CTKPPaneManager::IsPaneAutoHidden(const CTKPPaneBase* pane) const
{
    return pane && pane->IsAutoHidden();
}

CTKPPaneBase* CTKPPaneManager::GetHolder(const CTKPPane* pane, BOOL floating) const
{
    CTKPPaneInfo* info = m_pLayout && pane ? m_pLayout->FindPaneInfo(pane) : nullptr;
    if (!info)
        return nullptr;
    return floating ? info->pFloatingHolder : info->pDockingHolder;
}

int CTKPPaneManager::GetPaneDirection(const CTKPPaneBase* pane) const
{
    return m_pLayout && pane ? m_pLayout->GetPaneDirection(pane) : 0;
}

BOOL CTKPPaneManager::IsLayoutRTL() const
{
    return m_pSite && m_pSite->GetSafeHwnd() && (::GetWindowLongW(m_pSite->m_hWnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
}

int CTKPPaneManager::MirrorDirection(int direction) const
{
    if (IsLayoutRTL() && (direction == dockLeftOf || direction == dockRightOf))
        return direction == dockLeftOf ? dockRightOf : dockLeftOf;
    return direction;
}

CTKPImageIcon* CTKPPaneManager::GetImage(UINT id, int width) const
{
    return m_pImageManager ? m_pImageManager->GetImage(id, width) : nullptr;
}

CTKPPaneSplitterContainer* CTKPPaneManager::GetTopContainer() const
{
    return m_pLayout ? m_pLayout->GetTopContainer() : nullptr;
}

CTKPPaneBase* CTKPPaneManager::GetClientPane() const
{
    return m_pLayout ? m_pLayout->GetClientPane() : nullptr;
}

std::list<CTKPPaneInfo>* CTKPPaneManager::GetPaneInfoList() const
{
    return m_pLayout ? &m_pLayout->GetPaneInfoList() : nullptr;
}

// ---- Notifications -----------------------------------------------------------------------------
LRESULT CTKPPaneManager::NotifyOwner(int code, LPARAM lParam) const
{
    if (!m_pSite || !m_pSite->GetSafeHwnd())
        return 0;
    return LRESULT(int(::SendMessageW(m_pSite->m_hWnd, TKP_WM_DOCKINGPANE_NOTIFY, WPARAM(code), lParam)));
}

BOOL CTKPPaneManager::NotifyAction(int action, CTKPPaneBase* pane, LPARAM value1, LPARAM value2) const
{
    TKPPaneActionRecord record{action, 0, pane, value1, value2};
    NotifyOwner(TKP_DPN_ACTION, reinterpret_cast<LPARAM>(&record));
    return record.result != 0;
}

// ---- Showing, closing and hiding ---------------------------------------------------------------
void CTKPPaneManager::ShowPane(CTKPPane* pane, BOOL setFocus)
{
    if (!pane || !m_pLayout)
        return;
    if (CTKPPaneBase* container = pane->GetParentContainer()) {
        if (CTKPPaneTabbedHolder* holder = AsTabbedHolder(container))
            holder->SelectPane(pane, setFocus, TRUE);
        if (CWnd* wnd = container->GetPaneWindow(); wnd && wnd->GetSafeHwnd())
            wnd->ShowWindow(SW_SHOW);
    } else {
        for (CTKPPaneInfo& info : m_pLayout->GetPaneInfoList())
            if (info.pPane == pane && info.pDockingHolder)
                if (CTKPPaneTabbedHolder* holder = AsTabbedHolder(info.pDockingHolder))
                    holder->AddPane(pane, TRUE);
    }
    if (m_bLayoutCreated)
        pane->ShowWindow(TRUE);
    if (setFocus)
        pane->SetFocus();
}

void CTKPPaneManager::ClosePane(CTKPPaneBase* pane)
{
    if (!pane)
        return;
    if (NotifyOwner(TKP_DPN_CLOSEPANE, reinterpret_cast<LPARAM>(pane)) == -1)
        return;
    if (CTKPPaneBase* container = pane->GetParentContainer())
        container->RemovePane(pane);
}

void CTKPPaneManager::HidePane(CTKPPaneBase* pane)
{
    if (!pane || !m_pLayout)
        return;
    if (AsPane(pane) && m_bHideGroupOnButtonClick && pane->GetParentContainer())
        pane = pane->GetParentContainer();
    if (!pane->GetParentContainer())
        return;
    if (CTKPPaneSideHolder* side = AsSideHolder(pane->GetParentContainer())) {
        side->ClosePane(FALSE);
        return;
    }
    m_pLayout->AutoHidePane(pane);
    CTKPPaneBase::DelayLayoutOf(m_pSite);
}

// ---- Floating and docking ----------------------------------------------------------------------
BOOL CTKPPaneManager::ToggleDocking(CTKPPane* pane, CTKPPaneBase* holder)
{
    if (!pane)
        return FALSE;
    const BOOL floating = AsFloatingHolder(pane->GetHostWindow()) != nullptr;
    const BOOL hidden = pane->IsAutoHidden();
    if (!floating && !hidden && (pane->GetOptions() & paneNoFloatable))
        return FALSE;
    const BOOL docking = floating || hidden;
    if (NotifyAction(docking ? paneActionDocking : paneActionFloating, pane, reinterpret_cast<LPARAM>(holder)))
        return FALSE;
    if (holder) {
        m_bAttachingPane = TRUE;
        AttachPane(pane, holder);
        UpdateHolders();
        m_bAttachingPane = FALSE;
    } else {
        RECT rc;
        pane->GetWindowRect(&rc);
        FloatPane(pane, rc);
    }
    NotifyAction(docking ? paneActionDocked : paneActionFloated, pane);
    return TRUE;
}

void CTKPPaneManager::ToggleDocking(CTKPPaneBase* pane)
{
    if (!pane)
        return;
    const BOOL toFloat = !AsFloatingHolder(pane->GetHostWindow()) && !pane->IsAutoHidden();
    if (CTKPPane* single = AsPane(pane)) {
        ToggleDocking(single, GetHolder(single, toFloat));
        return;
    }
    if (pane->GetType() != paneTypeTabbedContainer && pane->GetType() != paneTypeSplitterContainer)
        return;
    int selectedId = 0, focusId = 0;
    if (CTKPPaneTabbedHolder* holder = AsTabbedHolder(pane))
        if (CTKPPane* selected = holder->GetSelected())
            selectedId = selected->m_nID;
    const CTKPPaneList panes = SinglePanes(pane);
    for (CTKPPaneBase* item : panes)
        if (static_cast<CTKPPane*>(item)->IsFocus())
            focusId = static_cast<CTKPPane*>(item)->m_nID;
    // Panes without a holder of their own follow the one before them, so they stay together.
    CTKPPaneBase* previous = nullptr;
    for (CTKPPaneBase* item : panes) {
        auto* single = static_cast<CTKPPane*>(item);
        CTKPPaneBase* holder = GetHolder(single, toFloat);
        if (!holder)
            holder = previous;
        if (ToggleDocking(single, holder)) {
            previous = single->GetParentContainer();
        } else {
            if (single->m_nID == focusId)
                focusId = 0;
            if (single->m_nID == selectedId)
                selectedId = 0;
        }
    }
    const int id = focusId ? focusId : selectedId;
    if (id)
        ShowPane(FindPane(id), TRUE);
}

void CTKPPaneManager::DetachPane(CTKPPaneBase* pane)
{
    if (CTKPPaneBase* container = pane ? pane->GetParentContainer() : nullptr)
        container->RemovePane(pane);
}

void CTKPPaneManager::FloatPane(CTKPPaneBase* pane, const RECT& rect)
{
    if (!pane || !m_pLayout)
        return;
    CTKPPaneBase* mini = OnCreatePane(paneTypeMiniWnd, m_pLayout);
    CTKPPaneFloatingHolder* holder = AsFloatingHolder(mini);
    if (!holder) {
        if (mini)
            m_pLayout->DestroyPane(mini);
        return;
    }
    CTKPPaneBase* item = pane;
    if (AsPane(pane))
        DetachPane(pane);
    else
        item = pane->Clone(m_pLayout, nullptr, 0);
    if (!item) {
        m_pLayout->DestroyPane(mini);
        return;
    }
    for (CTKPPaneBase* single : SinglePanes(item))
        m_pLayout->EnsurePaneInfo(static_cast<CTKPPane*>(single));
    holder->Init(item, rect);
}

void CTKPPaneManager::DockPane(CTKPPaneBase* pane, int direction, CTKPPaneBase* neighbour)
{
    if (!pane || !m_pLayout || !m_pLayout->GetTopContainer())
        return;
    if (CTKPPaneSplitterContainer* splitter = AsSplitter(pane)) {
        CTKPPaneList tabbed;
        splitter->FindChildPanes(paneTypeTabbedContainer, tabbed);
        if (splitter->GetPanes().size() == 1 && tabbed.size() == 1)
            pane = tabbed.front();
    }
    CTKPPaneBase* item = pane;
    if (CTKPPane* single = AsPane(pane)) {
        // A single pane docks in a tabbed container of its own; without one it stays where it is.
        CTKPPaneBase* tab = OnCreatePane(paneTypeTabbedContainer, m_pLayout);
        CTKPPaneTabbedHolder* holder = AsTabbedHolder(tab);
        if (!holder) {
            if (tab)
                m_pLayout->DestroyPane(tab);
            return;
        }
        if (neighbour == single)
            neighbour = nullptr;
        DetachPane(single);
        m_pLayout->EnsurePaneInfo(single);
        CTKPPaneBase* target = neighbour;
        if (!target || (AsPane(target) && (IsPaneClosed(AsPane(target)) || target->IsAutoHidden())))
            target = m_pLayout->GetTopContainer();
        holder->Init(single, target->GetHostWindow());
        item = tab;
    } else {
        item = pane->Clone(m_pLayout, nullptr, 0);
        if (!item)
            return;
        for (CTKPPaneBase* single : SinglePanes(item))
            m_pLayout->EnsurePaneInfo(static_cast<CTKPPane*>(single));
    }
    DockItem(item, direction, neighbour);
}

void CTKPPaneManager::DockItem(CTKPPaneBase* item, int direction, CTKPPaneBase* neighbour)
{
    CTKPPaneSplitterContainer* top = m_pLayout->GetTopContainer();
    if (!neighbour || (AsPane(neighbour) && (IsPaneClosed(AsPane(neighbour)) || neighbour->IsAutoHidden())))
        neighbour = top;
    if (neighbour != top && AsPane(neighbour) && AsTabbedHolder(neighbour->GetParentContainer()))
        neighbour = neighbour->GetParentContainer();
    CTKPPaneSplitterContainer* parent = neighbour != top ? AsSplitter(neighbour->GetParentContainer()) : nullptr;
    if (!parent)
        neighbour = top;
    const BOOL horizontal = direction == dockLeftOf || direction == dockRightOf;
    const BOOL after = direction == dockRightOf || direction == dockBottomOf;
    if (neighbour == top) {
        if (top->IsHorizontal() == horizontal) {
            top->AddPane(item, nullptr, after);
        } else {
            auto* newTop = AsSplitter(OnCreatePane(paneTypeSplitterContainer, m_pLayout));
            if (!newTop)
                return;
            newTop->Init(top, horizontal, top->GetHostWindow());
            newTop->AddPane(item, top, after);
            m_pLayout->SetTopContainer(newTop);
        }
    } else if (parent->IsHorizontal() == horizontal) {
        parent->AddPane(item, neighbour, after);
    } else {
        auto* split = AsSplitter(OnCreatePane(paneTypeSplitterContainer, m_pLayout));
        if (!split)
            return;
        split->Init(neighbour, horizontal, neighbour->GetHostWindow());
        split->AddPane(item, neighbour, after);
        parent->ReplacePane(neighbour, split);
    }
    CTKPPaneBase::DelayLayoutOf(neighbour->GetHostWindow());
}

void CTKPPaneManager::AttachPane(CTKPPaneBase* pane, CTKPPaneBase* target)
{
    if (!pane || !target)
        return;
    CTKPPaneTabbedHolder* holder = AsTabbedHolder(target);
    if (!holder)
        holder = AsTabbedHolder(target->GetParentContainer());
    if (!holder)
        return;
    for (CTKPPaneBase* item : SinglePanes(pane)) {
        auto* single = static_cast<CTKPPane*>(item);
        DetachPane(single);
        if (m_pLayout)
            m_pLayout->EnsurePaneInfo(single);
        holder->AddPane(single, TRUE);
    }
}

RECT& CTKPPaneManager::GetDockRect(RECT& rect, CTKPPaneBase* pane, int direction, CTKPPaneBase* neighbour)
{
    rect = RECT{0, 0, 0, 0};
    CTKPPaneSplitterContainer* top = GetTopContainer();
    if (!pane || !top)
        return rect;
    if (!neighbour)
        neighbour = top;
    const BOOL horizontal = direction == dockLeftOf || direction == dockRightOf;
    if (neighbour != top) {
        if (AsTabbedHolder(neighbour->GetParentContainer()))
            neighbour = neighbour->GetParentContainer();
        if (CTKPPaneSplitterContainer* parent = AsSplitter(neighbour->GetParentContainer());
            parent && parent->IsHorizontal() == horizontal) {
            rect = parent->GetInsertRect(pane, direction, neighbour);
            return rect;
        }
    }
    const BOOL after = direction == dockRightOf || direction == dockBottomOf;
    std::vector<CTKPSplitterItem> items{{neighbour, 0}, {pane, 0}};
    if (!after)
        std::swap(items[0], items[1]);
    RECT rc;
    neighbour->GetWindowRect(&rc);
    const int gap = m_pPaintManager ? m_pPaintManager->m_nSplitterSize : 4;
    const int start = horizontal ? rc.left : rc.top;
    const int end = horizontal ? rc.right : rc.bottom;
    int available = 0, total = 0;
    CalcSplitterLengths(items, horizontal, end - start, gap, GetClientPane(), m_bHideClient, FALSE, available, total);
    const auto places = PlaceSplitterItems(items, start, end, gap, available, total);
    const auto& place = places[after ? 1 : 0];
    rect = rc;
    if (horizontal) {
        rect.left = place.first;
        rect.right = place.second;
    } else {
        rect.top = place.first;
        rect.bottom = place.second;
    }
    return rect;
}

void CTKPPaneManager::StartPaneDrag(CTKPPaneBase* pane, POINT screen)
{
    if (m_pDragContext && pane)
        m_pDragContext->StartDrag(pane, screen.x, screen.y);
}

void CTKPPaneManager::UpdateHolders()
{
    if (!m_pLayout)
        return;
    for (CTKPPaneInfo& info : m_pLayout->GetPaneInfoList()) {
        CTKPPaneBase* parent = info.pPane ? info.pPane->GetParentContainer() : nullptr;
        // An auto-hidden pane keeps the holders it had, so that it can go back there.
        if (!parent || AsSideHolder(parent) || info.pPane->IsAutoHidden())
            continue;
        if (AsFloatingHolder(info.pPane->GetHostWindow()))
            info.pFloatingHolder = parent;
        else
            info.pDockingHolder = parent;
        info.pLastHolder = parent;
    }
}

// ---- Theme -------------------------------------------------------------------------------------
void CTKPPaneManager::SetDockingTheme(int id)
{
    if (m_pPaintManager)
        m_pPaintManager->InternalRelease();
    m_pPaintManager = CreateDockPainter(id);
    m_pPaintManager->m_nTheme = id;
    m_pPaintManager->RefreshMetrics();
    RedrawPanes();
    if (id == 9)
        m_nStickerStyle = 1;
}

int CTKPPaneManager::GetCurrentTheme() const
{
    return m_pPaintManager ? m_pPaintManager->m_nTheme : 0;
}

void CTKPPaneManager::RedrawPanes()
{
    if (!GetSafeHwnd() || !m_pLayout)
        return;
    for (CTKPPaneInfo& info : m_pLayout->GetPaneInfoList()) {
        CWnd* frame = info.pPane ? info.pPane->GetHostFrame() : nullptr;
        CTKPPaneBase::DelayLayoutOf(frame);
        if (CTKPPaneFloatingHolder* mini = AsFloatingHolder(frame))
            mini->Refresh();
    }
}

// ---- Messages of the manager's window ----------------------------------------------------------
void CTKPPaneManager::OnSizeParent(AFX_SIZEPARENTPARAMS* layout)
{
    if (!m_pLayout || !m_pLayout->GetTopContainer() || !layout)
        return;
    m_pLayout->OnSizeParent(m_pSite, layout->rect, layout);
    UpdateHolders();
    m_bLayoutCreated = TRUE;
}

BOOL CTKPPaneManager::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    switch (message) {
    case WM_SYSCOLORCHANGE:
        RefreshColorTableThrottled();
        RedrawPanes();
        break;
    case WM_SETTINGCHANGE:
        if (m_pPaintManager)
            m_pPaintManager->RefreshMetrics();
        RedrawPanes();
        break;
    case WM_IDLEUPDATECMDUI:
        if (m_pLayout) {
            // A pane's idle step may change the list (the active pane), so walk a copy.
            std::vector<CTKPPane*> panes;
            for (const CTKPPaneInfo& info : m_pLayout->GetPaneInfoList())
                panes.push_back(info.pPane);
            for (CTKPPane* pane : panes)
                pane->OnIdleUpdate();
        }
        if (pResult)
            *pResult = 0;
        return TRUE;
    case WM_SIZEPARENT:
        OnSizeParent(reinterpret_cast<AFX_SIZEPARENTPARAMS*>(lParam));
        if (pResult)
            *pResult = 0;
        return TRUE;
    default:
        break;
    }
    return CWnd::OnWndMsg(message, wParam, lParam, pResult);
}
