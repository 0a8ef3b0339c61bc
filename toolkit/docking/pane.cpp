// The single pane: its child window, focus, titles, icon, tab colour, limits and saved keys.
#include "toolkit/docking/pane.h"

#include "toolkit/commandbars/image_manager.h"
#include "toolkit/commandbars/prop_exchange.h"
#include "toolkit/docking/pane_holders.h"
#include "toolkit/docking/pane_layout.h"
#include "toolkit/docking/pane_manager.h"

IMPLEMENT_DYNAMIC(CTKPPane, CCmdTarget)

CTKPPane::CTKPPane(CTKPPaneLayout* layout) : CTKPPaneBase(paneTypeDockingPane, layout)
{
    EnableAutomation();
}

CTKPPane::~CTKPPane() = default;

void CTKPPane::SetFocus()
{
    if (!m_hwndChild || !::IsWindow(m_hwndChild))
        return;
    HWND focus = ::GetFocus();
    if (focus != m_hwndChild && !::IsChild(m_hwndChild, focus))
        ::SetFocus(m_hwndChild);
}

BOOL CTKPPane::IsFocus() const
{
    if (!m_hwndChild)
        return FALSE;
    HWND focus = ::GetFocus();
    return focus && (focus == m_hwndChild || ::IsChild(m_hwndChild, focus));
}

void CTKPPane::ShowWindow(BOOL show)
{
    if (show)
        if (CTKPPaneManager* manager = GetManager())
            manager->NotifyOwner(TKP_DPN_SHOWWINDOW, reinterpret_cast<LPARAM>(this));
    if (m_hwndChild && ::IsWindow(m_hwndChild))
        ::ShowWindow(m_hwndChild, show ? SW_SHOW : SW_HIDE);
}

void CTKPPane::Close()
{
    if (CTKPPaneManager* manager = GetManager())
        manager->ClosePane(this);
}

void CTKPPane::Hide()
{
    if (CTKPPaneManager* manager = GetManager())
        manager->HidePane(this);
}

CWnd* CTKPPane::GetHostFrame() const
{
    return m_pParentContainer ? m_pParentContainer->GetHostWindow() : nullptr;
}

BOOL CTKPPane::IsSelected() const
{
    CTKPPaneTabbedHolder* holder = AsTabbedHolder(m_pParentContainer);
    return holder && holder->GetSelected() == this;
}

CString CTKPPane::GetTitle() const
{
    const int lineFeed = m_strTitle.Find(u'\n');
    return lineFeed < 0 ? m_strTitle : m_strTitle.Left(lineFeed);
}

CString CTKPPane::GetShortTitle() const
{
    const int lineFeed = m_strTitle.Find(u'\n');
    return lineFeed < 0 ? m_strTitle : m_strTitle.Mid(lineFeed + 1);
}

CTKPImageIcon* CTKPPane::GetIcon(int width) const
{
    CTKPPaneManager* manager = GetManager();
    if (!manager)
        return nullptr;
    return manager->GetImage(UINT(m_nIconID == -1 ? m_nID : m_nIconID), width);
}

COLORREF CTKPPane::GetItemColor() const
{
    if (m_clrItemTab != COLORREF(-1))
        return m_clrItemTab;
    if (m_hwndChild && ::IsWindow(m_hwndChild))
        if (const LRESULT color = ::SendMessageW(m_hwndChild, TKP_WM_GETTABCOLOR, 0, 0))
            return COLORREF(color);
    return TKP_TAB_COLOR_AUTO + COLORREF(m_nID % 8);
}

DWORD CTKPPane::GetOptions() const
{
    CTKPPaneManager* manager = GetManager();
    return (manager ? manager->m_dwDefaultPaneOptions : 0) | m_dwOptions;
}

void CTKPPane::Copy(const CTKPPane* other)
{
    m_nDockingCX = other->m_nDockingCX;
    m_nDockingCY = other->m_nDockingCY;
    m_strTitle = other->m_strTitle;
    m_nIconID = other->m_nIconID;
    m_dwOptions = other->m_dwOptions;
    m_dwData = other->m_dwData;
    m_nID = other->m_nID;
    m_ptMinTrackSize = other->m_ptMinTrackSize;
    m_ptMaxTrackSize = other->m_ptMaxTrackSize;
    m_hwndChild = nullptr;
}

void CTKPPane::SetParentContainer(CTKPPaneBase* container)
{
    m_pParentContainer = container;
    if (!m_hwndChild || !::IsWindow(m_hwndChild))
        return;
    if (container) {
        if (CWnd* wnd = container->GetPaneWindow(); wnd && wnd->GetSafeHwnd())
            ::SetParent(m_hwndChild, wnd->m_hWnd);
        return;
    }
    // A closed pane keeps its window hidden in the manager's own window.
    ::ShowWindow(m_hwndChild, SW_HIDE);
    if (CTKPPaneManager* manager = GetManager(); manager && manager->GetSafeHwnd())
        ::SetParent(m_hwndChild, manager->m_hWnd);
    m_pHostWindow = nullptr;
}

void CTKPPane::OnSizeParent(CWnd* parent, const RECT& rect, AFX_SIZEPARENTPARAMS* layout)
{
    SetHostWindow(parent);
    if (layout && !layout->hDWP)
        return;  // measuring only
    m_rcPane = rect;
    if (!m_pParentContainer || !m_hwndChild || !::IsWindow(m_hwndChild))
        return;
    RECT rc = rect;
    CWnd* container = m_pParentContainer->GetPaneWindow();
    if (parent && parent->GetSafeHwnd() && container && container->GetSafeHwnd())
        ::MapWindowPoints(parent->m_hWnd, container->m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
    ::MoveWindow(m_hwndChild, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
}

void CTKPPane::GetMinMaxInfo(MINMAXINFO* info) const
{
    CTKPPaneBase::GetMinMaxInfo(info);
    info->ptMinTrackSize = m_ptMinTrackSize;
    info->ptMaxTrackSize = m_ptMaxTrackSize;
}

BOOL CTKPPane::DoPropExchange(CTKPPropExchange* px)
{
    CTKPPaneBase::DoPropExchange(px);
    PropExchangeStringNoDefault(px, u"Title", &m_strTitle);
    PropExchangeInt(px, u"ID", &m_nID, 0);
    PropExchangeInt(px, u"IconID", &m_nIconID, -1);
    int options = int(m_dwOptions);
    PropExchangeInt(px, u"Options", &options, 0);
    m_dwOptions = DWORD(options);

    // The holder keys always go out, 0 for none, so an archive that stores values without names
    // reads back the same sequence whatever the pane's state was.
    CTKPPaneLoadMap* map = px->IsLoading() ? CTKPPaneLoadMap::Of(px) : nullptr;
    CTKPPaneInfo* info = px->IsLoading() ? nullptr : m_pLayout->FindPaneInfo(this);
    int docking = info && info->pDockingHolder ? info->pDockingHolder->m_nSaveIndex : 0;
    int floating = info && info->pFloatingHolder ? info->pFloatingHolder->m_nSaveIndex : 0;
    int last = info && info->pLastHolder ? info->pLastHolder->m_nSaveIndex : 0;
    PropExchangeInt(px, u"DockingHolder", &docking, 0);
    PropExchangeInt(px, u"FloatingHolder", &floating, 0);
    PropExchangeInt(px, u"LastHolder", &last, 0);

    int minX = m_ptMinTrackSize.x, minY = m_ptMinTrackSize.y;
    int maxX = m_ptMaxTrackSize.x, maxY = m_ptMaxTrackSize.y;
    PropExchangeInt(px, u"MinTrackX", &minX, 0);
    PropExchangeInt(px, u"MinTrackY", &minY, 0);
    PropExchangeInt(px, u"MaxTrackX", &maxX, 32000);
    PropExchangeInt(px, u"MaxTrackY", &maxY, 32000);
    m_ptMinTrackSize = POINT{minX, minY};
    m_ptMaxTrackSize = POINT{maxX, maxY};
    if (px->GetSchema() > 9) {
        int color = int(m_clrItemTab);
        PropExchangeInt(px, u"TabColor", &color, -1);
        m_clrItemTab = COLORREF(color);
        PropExchangeInt(px, u"HelpId", &m_nHelpId, 0);
        int tag = int(m_dwData);
        PropExchangeInt(px, u"Tag", &tag, 0);
        m_dwData = DWORD_PTR(DWORD(tag));
    }

    if (px->IsLoading()) {
        if (!map)
            return FALSE;
        CTKPPaneInfo entry;
        entry.pPane = this;
        if (!map->LookupHolder(docking, entry.pDockingHolder) || !map->LookupHolder(floating, entry.pFloatingHolder) ||
            !map->LookupHolder(last, entry.pLastHolder))
            return FALSE;
        m_pLayout->EnsurePaneInfo(this) = entry;
    }
    return m_nID > 0;
}

CTKPPaneBase* CTKPPane::Clone(CTKPPaneLayout* layout, CTKPPaneMap* map, DWORD flags)
{
    CTKPPaneManager* manager = GetManager();
    auto* pane = manager ? dynamic_cast<CTKPPane*>(manager->OnCreatePane(paneTypeDockingPane, layout)) : nullptr;
    if (!pane)
        return nullptr;
    pane->Copy(this);
    if (map)
        (*map)[this] = pane;
    return pane;
}

BOOL CTKPPane::IsAutoHidden() const
{
    return m_pParentContainer ? m_pParentContainer->IsAutoHidden() : FALSE;
}

void CTKPPane::OnIdleUpdate()
{
    if (m_pParentContainer)
        m_pParentContainer->OnIdleUpdate();
}
