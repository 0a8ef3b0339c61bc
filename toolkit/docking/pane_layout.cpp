// The pane layout: its panes and their places, the side of the frame a pane lies on, auto-hiding,
// and saving and loading the whole arrangement.
#include "toolkit/docking/pane_layout.h"

#include "toolkit/commandbars/prop_exchange.h"
#include "toolkit/docking/pane.h"
#include "toolkit/docking/pane_holders.h"
#include "toolkit/docking/pane_manager.h"
#include "toolkit/docking/pane_splitter.h"

#include <algorithm>
#include <memory>

namespace {

// More panes than any frame holds: a saved count above it is not a layout.
constexpr int kMaxSavedPanes = 10000;

thread_local const CTKPPaneLoadMap* g_pLoadingMap = nullptr;

CString PaneKey(int index)
{
    CString key;
    key.Format(u"Pane-%d", index);
    return key;
}

void DestroyPaneObject(CTKPPaneBase* pane)
{
    if (pane->GetType() == paneTypeDockingPane)
        static_cast<CTKPPane*>(pane)->InternalRelease();
    else
        delete pane;
}

} // namespace

// ---- Load map ----------------------------------------------------------------------------------
CTKPPaneLoadMap* CTKPPaneLoadMap::Of(CTKPPropExchange* px)
{
    if (!px || !g_pLoadingMap || px->m_pContext != g_pLoadingMap)
        return nullptr;
    return static_cast<CTKPPaneLoadMap*>(px->m_pContext);
}

CTKPPaneBase* CTKPPaneLoadMap::Lookup(int index) const
{
    if (index < 1 || size_t(index) > m_panes.size())
        return nullptr;
    return m_panes[size_t(index) - 1];
}

CTKPPaneBase* CTKPPaneLoadMap::Claim(int index, const CTKPPaneBase* parent, DWORD typeMask)
{
    CTKPPaneBase* pane = Lookup(index);
    if (!pane || !(typeMask & (1u << pane->GetType())) || m_claimed.count(pane) || pane->GetParentContainer())
        return nullptr;
    for (const CTKPPaneBase* above = parent; above; above = above->GetParentContainer())
        if (above == pane)
            return nullptr;
    m_claimed.insert(pane);
    return pane;
}

BOOL CTKPPaneLoadMap::LookupHolder(int index, CTKPPaneBase*& holder) const
{
    holder = nullptr;
    if (index == 0)
        return TRUE;
    CTKPPaneBase* pane = Lookup(index);
    if (!pane || pane->GetType() != paneTypeTabbedContainer)
        return FALSE;
    holder = pane;
    return TRUE;
}

// ---- Layout ------------------------------------------------------------------------------------
CTKPPaneLayout::CTKPPaneLayout(CTKPPaneManager* manager) : m_pManager(manager)
{
    m_pClient = manager->OnCreatePane(paneTypeClient, this);
    CTKPPaneBase* top = manager->OnCreatePane(paneTypeSplitterContainer, this);
    m_pTopContainer = top && top->GetType() == paneTypeSplitterContainer ? static_cast<CTKPPaneSplitterContainer*>(top)
                                                                         : nullptr;
    if (m_pTopContainer && m_pClient)
        m_pTopContainer->Init(m_pClient, FALSE, manager->GetSite());
    m_bInitial = TRUE;
}

CTKPPaneLayout::~CTKPPaneLayout()
{
    Free();
}

void CTKPPaneLayout::Free()
{
    // Every link into the panes goes first, so no pane going away reaches one already gone.
    CTKPPaneList panes;
    panes.swap(m_allPanes);
    m_paneInfo.clear();
    std::fill(std::begin(m_sidePanels), std::end(m_sidePanels), nullptr);
    m_pTopContainer = nullptr;
    m_pClient = nullptr;
    for (CTKPPaneBase* pane : panes)
        DestroyPaneObject(pane);
}

void CTKPPaneLayout::DestroyPane(CTKPPaneBase* pane)
{
    auto it = std::find(m_allPanes.begin(), m_allPanes.end(), pane);
    if (!pane || it == m_allPanes.end())
        return;
    m_allPanes.erase(it);
    for (auto info = m_paneInfo.begin(); info != m_paneInfo.end();) {
        if (info->pPane == pane) {
            info = m_paneInfo.erase(info);
            continue;
        }
        if (info->pDockingHolder == pane)
            info->pDockingHolder = nullptr;
        if (info->pFloatingHolder == pane)
            info->pFloatingHolder = nullptr;
        if (info->pLastHolder == pane)
            info->pLastHolder = nullptr;
        ++info;
    }
    for (CTKPPaneBase*& side : m_sidePanels)
        if (side == pane)
            side = nullptr;
    if (m_pTopContainer == pane)
        m_pTopContainer = nullptr;
    if (m_pClient == pane)
        m_pClient = nullptr;
    DestroyPaneObject(pane);
}

void CTKPPaneLayout::Serialize(CArchive& ar)
{
    CTKPPropExchangeArchive px(ar);
    DoPropExchange(&px);
}

BOOL CTKPPaneLayout::DoPropExchange(CTKPPropExchange* px)
{
    if (!px)
        return FALSE;
    if (px->IsLoading())
        return ReadLayout(px);
    WriteLayout(px);
    return TRUE;
}

CTKPPaneInfo* CTKPPaneLayout::FindPaneInfo(const CTKPPane* pane)
{
    for (CTKPPaneInfo& info : m_paneInfo)
        if (info.pPane == pane)
            return &info;
    return nullptr;
}

CTKPPaneInfo& CTKPPaneLayout::EnsurePaneInfo(CTKPPane* pane)
{
    if (CTKPPaneInfo* info = FindPaneInfo(pane))
        return *info;
    m_paneInfo.push_back(CTKPPaneInfo{pane, nullptr, nullptr, nullptr});
    return m_paneInfo.back();
}

CTKPPaneBase* CTKPPaneLayout::GetSidePanel(int direction) const
{
    return direction >= 0 && direction < 4 ? m_sidePanels[direction] : nullptr;
}

BOOL CTKPPaneLayout::SetSidePanel(int direction, CTKPPaneBase* panel)
{
    if (direction < 0 || direction >= 4)
        return FALSE;
    m_sidePanels[direction] = panel;
    return TRUE;
}

int CTKPPaneLayout::GetPaneDirection(const CTKPPaneBase* pane) const
{
    for (const CTKPPaneBase* branch = pane; branch;) {
        CTKPPaneBase* parent = branch->GetParentContainer();
        if (!parent)
            break;
        if (CTKPPaneSideHolder* side = AsSideHolder(parent))
            return side->GetDirection();
        if (parent->GetType() == paneTypeSplitterContainer && m_pClient && parent->ContainsPane(m_pClient) &&
            !branch->ContainsPane(m_pClient)) {
            auto* splitter = static_cast<CTKPPaneSplitterContainer*>(parent);
            const CTKPPaneList& children = splitter->GetPanes();
            const auto mine = std::find(children.begin(), children.end(), branch);
            const auto client = std::find_if(children.begin(), children.end(),
                                             [&](CTKPPaneBase* child) { return child->ContainsPane(m_pClient); });
            const BOOL before = mine < client;
            if (splitter->IsHorizontal())
                return before ? dockLeftOf : dockRightOf;
            return before ? dockTopOf : dockBottomOf;
        }
        branch = parent;
    }
    return dockLeftOf;
}

void CTKPPaneLayout::AttachPanes(const CTKPPaneList& list, CTKPPaneBase* container, DWORD excluded)
{
    CTKPPaneTabbedHolder* holder = AsTabbedHolder(container);
    if (!holder)
        return;
    for (CTKPPaneBase* item : list) {
        if (item->GetType() != paneTypeDockingPane)
            continue;
        auto* pane = static_cast<CTKPPane*>(item);
        if (pane->GetOptions() & excluded)
            continue;
        if (CTKPPaneBase* parent = pane->GetParentContainer())
            parent->RemovePane(pane);
        holder->AddPane(pane, TRUE);
    }
}

void CTKPPaneLayout::AutoHidePane(CTKPPaneBase* pane)
{
    if (!pane)
        return;
    const int direction = GetPaneDirection(pane);
    CTKPPaneBase* panel = GetSidePanel(direction);
    if (!panel) {
        panel = m_pManager->OnCreatePane(paneTypeAutoHidePanel, this);
        CTKPPaneSideHolder* made = AsSideHolder(panel);
        if (!made) {
            if (panel)
                DestroyPane(panel);
            return;
        }
        made->SetDirection(direction);
        SetSidePanel(direction, panel);
    }
    CTKPPaneSideHolder* side = AsSideHolder(panel);
    if (!side)
        return;

    CTKPPaneList singles;
    if (pane->GetType() == paneTypeDockingPane)
        singles.push_back(pane);
    else
        pane->FindPanes(paneTypeDockingPane, singles);
    if (!singles.empty()) {
        CTKPPaneInfo* first = FindPaneInfo(static_cast<CTKPPane*>(singles.front()));
        if (first && first->pDockingHolder) {
            for (CTKPPaneBase* group : side->GetContainers()) {
                if (group->GetType() != paneTypeTabbedContainer)
                    continue;
                CTKPPaneList members;
                group->FindPanes(paneTypeDockingPane, members);
                const bool sameHolder = std::any_of(members.begin(), members.end(), [&](CTKPPaneBase* member) {
                    CTKPPaneInfo* info = FindPaneInfo(static_cast<CTKPPane*>(member));
                    return info && info->pDockingHolder == first->pDockingHolder;
                });
                if (sameHolder) {
                    AttachPanes(singles, group, paneNoHideable);
                    return;
                }
            }
        }
    }

    if (pane->GetType() == paneTypeDockingPane) {
        CTKPPaneBase* tab = m_pManager->OnCreatePane(paneTypeTabbedContainer, this);
        CTKPPaneTabbedHolder* holder = AsTabbedHolder(tab);
        if (!holder) {
            if (tab)
                DestroyPane(tab);
            return;
        }
        if (CTKPPaneBase* parent = pane->GetParentContainer())
            parent->RemovePane(pane);
        holder->Init(static_cast<CTKPPane*>(pane), m_pManager->GetSite());
        side->AddContainer(tab);
    } else if (pane->GetType() == paneTypeTabbedContainer) {
        if (CTKPPaneBase* clone = pane->Clone(this, nullptr, paneNoHideable))
            side->AddContainer(clone);
    } else {
        if (CTKPPaneBase* parent = pane->GetParentContainer())
            parent->RemovePane(pane);
        side->AddContainer(pane);
    }
}

void CTKPPaneLayout::OnSizeParent(CWnd* site, const RECT& rect, AFX_SIZEPARENTPARAMS* layout)
{
    AFX_SIZEPARENTPARAMS measuring{};
    if (!layout)
        layout = &measuring;
    // Each side panel takes its strip and leaves the rest in the record.
    layout->rect = rect;
    for (CTKPPaneBase* side : m_sidePanels)
        if (side)
            side->OnSizeParent(site, layout->rect, layout);
    const RECT rest = layout->rect;
    if (m_pClient)
        m_pClient->OnSizeParent(site, rest, layout);
    if (m_pTopContainer)
        m_pTopContainer->OnSizeParent(site, rest, layout);
}

// ---- Saving ------------------------------------------------------------------------------------
void CTKPPaneLayout::Purge()
{
    std::set<CTKPPaneBase*> keep;
    for (const CTKPPaneInfo& info : m_paneInfo) {
        if (info.pDockingHolder)
            keep.insert(info.pDockingHolder);
        if (info.pFloatingHolder)
            keep.insert(info.pFloatingHolder);
        if (info.pPane && info.pPane->GetParentContainer())
            keep.insert(info.pPane->GetParentContainer());
    }
    for (bool changed = true; changed;) {
        changed = false;
        const CTKPPaneList panes = m_allPanes;
        for (CTKPPaneBase* pane : panes) {
            CTKPPaneBase* parent = pane->GetParentContainer();
            if (pane->GetType() == paneTypeTabbedContainer && !keep.count(pane)) {
                // A container that still holds panes keeps them in the layout.
                CTKPPaneList members;
                pane->FindPanes(paneTypeDockingPane, members);
                if (!members.empty())
                    continue;
                if (parent)
                    parent->RemovePane(pane);
                DestroyPane(pane);
                changed = true;
                break;
            }
            if (pane->GetType() == paneTypeSplitterContainer && pane != m_pTopContainer) {
                auto* splitter = static_cast<CTKPPaneSplitterContainer*>(pane);
                if (splitter->GetPanes().empty()) {
                    if (parent)
                        parent->RemovePane(pane);
                    DestroyPane(pane);
                    changed = true;
                    break;
                }
                auto* outer = parent && parent->GetType() == paneTypeSplitterContainer
                                  ? static_cast<CTKPPaneSplitterContainer*>(parent)
                                  : nullptr;
                if (splitter->GetPanes().size() == 1 && outer && outer->GetPanes().size() == 1) {
                    CTKPPaneBase* child = splitter->GetPanes().front();
                    outer->ReplacePane(splitter, child);
                    child->OnParentChanged(outer);
                    DestroyPane(splitter);
                    changed = true;
                    break;
                }
            }
            if (pane->GetType() == paneTypeMiniWnd) {
                CTKPPaneFloatingHolder* mini = AsFloatingHolder(pane);
                if (!mini || !mini->GetTopContainer()) {
                    DestroyPane(pane);
                    changed = true;
                    break;
                }
            }
        }
    }
}

void CTKPPaneLayout::WriteLayout(CTKPPropExchange* px)
{
    px->EmptySection();
    Purge();
    std::unique_ptr<CTKPPropExchange> summary(px->GetSection(u"Summary"));
    int count = int(m_allPanes.size());
    PropExchangeIntNoDefault(summary.get(), u"Panes", &count);
    summary->ExchangeSchema();
    for (size_t i = 0; i < m_allPanes.size(); ++i) {
        CTKPPaneBase* pane = m_allPanes[i];
        pane->m_nSaveIndex = int(i + 1);
        std::unique_ptr<CTKPPropExchange> section(px->GetSection(PaneKey(pane->m_nSaveIndex)));
        section->SetSchema(summary->GetSchema());
        int type = pane->GetType();
        PropExchangeInt(section.get(), u"类型", &type, -1);
    }
    for (CTKPPaneBase* pane : m_allPanes) {
        std::unique_ptr<CTKPPropExchange> section(px->GetSection(PaneKey(pane->m_nSaveIndex)));
        section->SetSchema(summary->GetSchema());
        pane->DoPropExchange(section.get());
    }
    int top = m_pTopContainer ? m_pTopContainer->m_nSaveIndex : 0;
    int client = m_pClient ? m_pClient->m_nSaveIndex : 0;
    PropExchangeIntNoDefault(summary.get(), u"TopContainer", &top);
    PropExchangeIntNoDefault(summary.get(), u"Client", &client);
}

// ---- Loading -----------------------------------------------------------------------------------
BOOL CTKPPaneLayout::ReadLayout(CTKPPropExchange* px)
{
    // The data is read into a layout of its own and only a complete one replaces this one, so a
    // refused layout leaves every pane where it was.
    CTKPPaneLayout loaded(m_pManager);
    loaded.Free();
    loaded.m_bInitial = m_bInitial;

    std::unique_ptr<CTKPPropExchange> summary(px->GetSection(u"Summary"));
    int count = 0;
    if (!summary || !PropExchangeIntNoDefault(summary.get(), u"Panes", &count) || count < 2 || count > kMaxSavedPanes)
        return FALSE;
    summary->ExchangeSchema();
    const UINT schema = summary->GetSchema();

    CTKPPaneLoadMap map;
    map.m_pLayout = &loaded;
    void* const oldContext = px->m_pContext;
    const CTKPPaneLoadMap* const oldMap = g_pLoadingMap;
    px->m_pContext = &map;
    g_pLoadingMap = &map;
    BOOL ok = loaded.LoadPanes(px, map, count, schema);
    px->m_pContext = oldContext;
    g_pLoadingMap = oldMap;
    if (!ok)
        return FALSE;

    int top = 0, client = 0;
    PropExchangeIntNoDefault(summary.get(), u"TopContainer", &top);
    PropExchangeIntNoDefault(summary.get(), u"Client", &client);
    CTKPPaneBase* topPane = map.Lookup(top);
    CTKPPaneBase* clientPane = map.Lookup(client);
    // The top container is the root: nothing may hold it.
    if (!topPane || topPane->GetType() != paneTypeSplitterContainer || topPane->GetParentContainer())
        return FALSE;
    if (!clientPane || clientPane->GetType() != paneTypeClient)
        return FALSE;
    loaded.m_pTopContainer = static_cast<CTKPPaneSplitterContainer*>(topPane);
    loaded.m_pClient = clientPane;
    SwapWith(loaded);
    return TRUE;
}

BOOL CTKPPaneLayout::LoadPanes(CTKPPropExchange* px, CTKPPaneLoadMap& map, int count, UINT schema)
{
    for (int i = 1; i <= count; ++i) {
        std::unique_ptr<CTKPPropExchange> section(px->GetSection(PaneKey(i)));
        if (!section)
            return FALSE;
        section->SetSchema(schema);
        int type = -1;
        PropExchangeInt(section.get(), u"类型", &type, -1);
        CTKPPaneBase* pane = type >= 0 ? m_pManager->OnCreatePane(type, this) : nullptr;
        if (!pane)
            return FALSE;
        pane->m_nSaveIndex = i;
        map.m_panes.push_back(pane);
    }
    // Exchanges may add panes of their own to the layout; only the saved ones read their keys.
    const CTKPPaneList saved = map.m_panes;
    for (CTKPPaneBase* pane : saved) {
        std::unique_ptr<CTKPPropExchange> section(px->GetSection(PaneKey(pane->m_nSaveIndex)));
        if (!section)
            return FALSE;
        section->SetSchema(schema);
        if (!pane->DoPropExchange(section.get()))
            return FALSE;
    }
    return TRUE;
}

void CTKPPaneLayout::SwapWith(CTKPPaneLayout& other)
{
    std::swap(m_pTopContainer, other.m_pTopContainer);
    std::swap(m_pClient, other.m_pClient);
    m_paneInfo.swap(other.m_paneInfo);
    m_allPanes.swap(other.m_allPanes);
    std::swap(m_sidePanels, other.m_sidePanels);
    for (CTKPPaneBase* pane : m_allPanes)
        pane->m_pLayout = this;
    for (CTKPPaneBase* pane : other.m_allPanes)
        pane->m_pLayout = &other;
}
