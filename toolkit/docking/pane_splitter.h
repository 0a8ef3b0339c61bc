// The splitter container, which lines its children up side by side or one above the other, and
// the bar windows between them that the user drags.
#pragma once

#include "afx/wnd.h"
#include "toolkit/docking/pane_base.h"

class CTKPPaneSplitterContainer;

class CTKPPaneSplitterWnd : public CWnd {
public:
    CTKPPaneSplitterWnd() = default;

    void Init(CTKPPaneSplitterContainer* container, CTKPPaneBase* first, CTKPPaneBase* second);
    BOOL Create(CWnd* host);
    BOOL IsHorizontal() const;

    CTKPPaneSplitterContainer* m_pContainer = nullptr;
    CTKPPaneBase* m_pFirst = nullptr;
    CTKPPaneBase* m_pSecond = nullptr;
    HCURSOR m_hCursor = nullptr;

protected:
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void OnLButtonDown(POINT point);
    // The screen range the bar's leading edge may take; FALSE when no room is left.
    BOOL GetTrackLimits(int& low, int& high, RECT& rcUnion) const;
    // Shares the neighbours' sizes by the bar's new leading edge (screen coordinates).
    void ApplyPosition(int position, const RECT& rcUnion);
    void TrackLive(const RECT& rcStart, POINT start, int low, int high, const RECT& rcUnion);
};

class CTKPPaneSplitterContainer : public CTKPPaneBase {
public:
    explicit CTKPPaneSplitterContainer(CTKPPaneLayout* layout);
    // Destroys the bar windows first.
    ~CTKPPaneSplitterContainer() override;

    void Init(CTKPPaneBase* pane, BOOL horizontal, CWnd* host);
    // Inserts pane after (or before) neighbour; with no neighbour found at the end (or head).
    void AddPane(CTKPPaneBase* pane, CTKPPaneBase* neighbour = nullptr, BOOL after = TRUE);
    void RemovePane(CTKPPaneBase* pane) override;
    // New takes old's place among the children; old's own links are left to the caller.
    void ReplacePane(CTKPPaneBase* oldPane, CTKPPaneBase* newPane);
    // The screen rectangle that pane would take if inserted beside neighbour.
    RECT GetInsertRect(CTKPPaneBase* pane, int direction, CTKPPaneBase* neighbour) const;
    // Direct children of the type that are not hidden.
    void FindChildPanes(int type, CTKPPaneList& list) const;
    void RebuildSplitters();

    BOOL IsHorizontal() const { return m_bHorizontal; }
    const CTKPPaneList& GetPanes() const { return m_panes; }
    const std::vector<CTKPPaneSplitterWnd*>& GetSplitters() const { return m_splitters; }
    // Takes the docking sizes from the current rectangles, for itself and its visible children.
    void NormalizeDockingSize();

    void OnChildrenChanged() override;
    void OnParentChanged(CTKPPaneBase* container) override;
    BOOL ContainsPane(const CTKPPaneBase* pane) const override;
    void FindPanes(int type, CTKPPaneList& list) override;
    BOOL IsHidden() const override;
    void OnSizeParent(CWnd* parent, const RECT& rect, AFX_SIZEPARENTPARAMS* layout) override;
    BOOL DoPropExchange(CTKPPropExchange* px) override;
    CTKPPaneBase* Clone(CTKPPaneLayout* layout, CTKPPaneMap* map, DWORD flags) override;
    virtual CTKPPaneSplitterWnd* CreateSplitter() { return new CTKPPaneSplitterWnd; }

    BOOL m_bHorizontal = FALSE;
    BOOL m_bRecalcLayout = FALSE;  // stops the rebuilding of bars while set

private:
    void DestroySplitters();

    CTKPPaneList m_panes;
    std::vector<CTKPPaneSplitterWnd*> m_splitters;
};

// One entry of the proportional sizing along a container.
struct CTKPSplitterItem {
    CTKPPaneBase* pane;
    int length;  // negative: fixed at -length
};

// The proportional sizing along a container: the visible items' lengths within extent, given the
// gap between them. With apply the fill child's docking size follows. Returns the space and total
// left for the items that are not fixed.
void CalcSplitterLengths(std::vector<CTKPSplitterItem>& items, BOOL horizontal, int extent, int gap,
                         CTKPPaneBase* clientPane, BOOL hideClient, BOOL apply, int& available, int& total);
// Places the items from start (left or top) to end, each followed by gap; the rectangles along the axis.
std::vector<std::pair<int, int>> PlaceSplitterItems(const std::vector<CTKPSplitterItem>& items, int start, int end,
                                                    int gap, int available, int total);
