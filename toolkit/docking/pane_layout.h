// CTKPPaneLayout: one arrangement of docking panes (the top container, the client pane, the side
// panels, every pane object and where each single pane was docked and floated last), saved and
// loaded through the property exchange.
#pragma once

#include "afx/cmd_target.h"
#include "toolkit/docking/pane_base.h"

#include <list>
#include <set>

class CTKPPane;
class CTKPPaneSplitterContainer;

// Where a single pane lives and last lived.
struct CTKPPaneInfo {
    CTKPPane* pPane = nullptr;
    CTKPPaneBase* pFloatingHolder = nullptr;
    CTKPPaneBase* pDockingHolder = nullptr;
    CTKPPaneBase* pLastHolder = nullptr;
};

// The save indexes of a layout being loaded, reached by the panes' exchanges through the
// exchange's context. Every pane can be taken as a child once, and never by itself or by one of
// the containers above it, so loaded data cannot make the tree loop.
class CTKPPaneLoadMap {
public:
    static CTKPPaneLoadMap* Of(CTKPPropExchange* px);

    CTKPPaneBase* Lookup(int index) const;
    // The pane at index as a new child of parent, when its type is in typeMask (bit per type).
    CTKPPaneBase* Claim(int index, const CTKPPaneBase* parent, DWORD typeMask);
    // A holder key: 0 is none; anything else must name a tabbed container.
    BOOL LookupHolder(int index, CTKPPaneBase*& holder) const;

    CTKPPaneLayout* m_pLayout = nullptr;
    std::vector<CTKPPaneBase*> m_panes;  // index - 1 to pane
    std::set<const CTKPPaneBase*> m_claimed;
};

class CTKPPaneLayout : public CCmdTarget {
public:
    explicit CTKPPaneLayout(CTKPPaneManager* manager);
    ~CTKPPaneLayout() override;

    // Removes every pane; the top container and the client pane are gone afterwards.
    void Free();
    void Serialize(CArchive& ar) override;
    // Loads or saves by the exchange's direction. A failed load keeps the layout as it was.
    BOOL DoPropExchange(CTKPPropExchange* px);

    CTKPPaneInfo* FindPaneInfo(const CTKPPane* pane);
    // The pane's entry, appended when it has none.
    CTKPPaneInfo& EnsurePaneInfo(CTKPPane* pane);
    std::list<CTKPPaneInfo>& GetPaneInfoList() { return m_paneInfo; }
    const CTKPPaneList& GetPaneList() const { return m_allPanes; }

    int GetPaneDirection(const CTKPPaneBase* pane) const;
    void AutoHidePane(CTKPPaneBase* pane);
    void OnSizeParent(CWnd* site, const RECT& rect, AFX_SIZEPARENTPARAMS* layout);
    // Moves the single panes of list whose options have none of excluded into the tabbed container.
    void AttachPanes(const CTKPPaneList& list, CTKPPaneBase* container, DWORD excluded);

    CTKPPaneSplitterContainer* GetTopContainer() const { return m_pTopContainer; }
    void SetTopContainer(CTKPPaneSplitterContainer* container) { m_pTopContainer = container; }
    CTKPPaneBase* GetClientPane() const { return m_pClient; }
    CTKPPaneBase* GetSidePanel(int direction) const;
    // A side panel takes its direction's place; FALSE for a direction outside 0..3.
    BOOL SetSidePanel(int direction, CTKPPaneBase* panel);
    CTKPPaneManager* GetManager() const { return m_pManager; }
    BOOL IsInitial() const { return m_bInitial; }
    void SetInitial(BOOL initial) { m_bInitial = initial; }

    // Takes the pane out of the layout and destroys it (single panes through their reference count),
    // forgetting every entry that names it.
    void DestroyPane(CTKPPaneBase* pane);

private:
    friend class CTKPPaneBase;
    void AddToList(CTKPPaneBase* pane) { m_allPanes.push_back(pane); }
    BOOL ReadLayout(CTKPPropExchange* px);
    BOOL LoadPanes(CTKPPropExchange* px, CTKPPaneLoadMap& map, int count, UINT schema);
    void WriteLayout(CTKPPropExchange* px);
    void Purge();
    // Exchanges the whole arrangement with other's, panes included.
    void SwapWith(CTKPPaneLayout& other);

    CTKPPaneSplitterContainer* m_pTopContainer = nullptr;
    CTKPPaneBase* m_pClient = nullptr;
    std::list<CTKPPaneInfo> m_paneInfo;
    CTKPPaneList m_allPanes;
    CTKPPaneBase* m_sidePanels[4] = {nullptr, nullptr, nullptr, nullptr};
    BOOL m_bInitial = TRUE;
    CTKPPaneManager* m_pManager;
};
