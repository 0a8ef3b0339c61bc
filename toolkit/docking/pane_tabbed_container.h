// The tabbed container (pane type 1): the window that shows one or more single panes in one place,
// with a caption and its buttons on top, the selected pane's window in the middle and, with
// several panes, a tab strip to choose between them.
#pragma once

#include "afx/data_object.h"
#include "afx/wnd.h"
#include "toolkit/docking/pane_base.h"
#include "toolkit/docking/pane_holders.h"
#include "toolkit/docking/tab_manager.h"

#include <vector>

class CTKPPane;

class CTKPDockingPaneTabbedContainer : public CWnd,
                                       public CTKPPaneBase,
                                       public CTKPTabStrip,
                                       public CTKPPaneTabbedHolder {
    DECLARE_DYNAMIC(CTKPDockingPaneTabbedContainer)
public:
    explicit CTKPDockingPaneTabbedContainer(CTKPPaneLayout* layout);
    // Destroys the window and its drop target; the panes belong to the layout.
    ~CTKPDockingPaneTabbedContainer() override;

    // ---- The holder of single panes
    void Init(CTKPPane* pane, CWnd* site) override;
    void AddPane(CTKPPane* pane, BOOL setFocus) override;
    void SelectPane(CTKPPane* pane, BOOL setFocus, BOOL notify) override;
    CTKPPane* GetSelected() const override { return m_pSelectedPane; }
    BOOL IsActive() const override { return m_bActiveContainer; }
    BOOL IsCaptionVisible() const override;
    BOOL IsCaptionVertical() const override;
    BOOL IsTabsVisible() const override;
    CTKPTabStrip* GetTabStrip() override { return this; }

    const std::vector<CTKPPane*>& GetPanes() const { return m_panes; }
    CTKPPane* GetDraggedPane() const { return m_pDragPane; }
    // Rebuilds the tabs from the panes in order.
    void UpdateTabs();
    // Takes the container's size across its side into its docking size and its panes'.
    void UpdateDockingSize();
    // Whether a screen point lies where a dragged pane would join this container as a tab; rect,
    // the container's screen rectangle, loses the caption strip.
    virtual BOOL HitTestAttach(RECT& rect, int x, int y);
    // Takes another container's place and panes (with a map: clones of its panes).
    virtual void CopyFrom(CTKPDockingPaneTabbedContainer* other, CTKPPaneMap* map, DWORD flags);
    // Runs a caption button's command.
    void OnCaptionButtonClick(UINT id);
    // The pane rectangle in screen coordinates.
    using CTKPPaneBase::GetWindowRect;

    // ---- The pane base
    void Invalidate() override;
    BOOL ContainsPane(const CTKPPaneBase* pane) const override;
    void FindPanes(int type, CTKPPaneList& list) override;
    void GetMinMaxInfo(MINMAXINFO* info) const override;
    void OnSizeParent(CWnd* parent, const RECT& rect, AFX_SIZEPARENTPARAMS* layout) override;
    void OnIdleUpdate() override;
    void SetHostWindow(CWnd* host) override;
    void UpdateLayout() override;
    void OnParentChanged(CTKPPaneBase* container) override;
    BOOL DoPropExchange(CTKPPropExchange* px) override;
    CTKPPaneBase* Clone(CTKPPaneLayout* layout, CTKPPaneMap* map, DWORD flags) override;
    void RemovePane(CTKPPaneBase* pane) override;
    BOOL IsHidden() const override { return m_panes.empty(); }
    BOOL IsCaptionButtonVisible(CTKPPaneCaptionButton* button) override;
    CWnd* GetPaneWindow() const override;
    BOOL IsAutoHidden() const override;

    // ---- The tab strip
    void Reposition() override;
    CTKPTabPainter* GetPaintManager() const override;
    void RedrawControl() override;
    BOOL DrawItemIcon(CDC* pDC, CPoint point, CTKPTabManagerItem* item, BOOL draw, CSize& size) override;
    COLORREF GetItemColor(const CTKPTabManagerItem* item) const override;

    BOOL m_bMaximized = FALSE;
    BOOL m_bActiveContainer = FALSE;
    BOOL m_bCaption = TRUE;
    int m_nLockLayout = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    INT_PTR OnToolHitTest(CPoint point, TOOLINFOW* pTI) const override;

private:
    // Lets dragged data choose a tab without ever taking the drop.
    class CDropTarget : public COleDropTarget {
    public:
        explicit CDropTarget(CTKPDockingPaneTabbedContainer* owner) : m_pOwner(owner) {}
        DROPEFFECT OnDragEnter(CWnd* pWnd, COleDataObject* data, DWORD keys, CPoint point) override;
        DROPEFFECT OnDragOver(CWnd* pWnd, COleDataObject* data, DWORD keys, CPoint point) override;

    private:
        CTKPDockingPaneTabbedContainer* m_pOwner;
    };

    BOOL EnsureWindow();
    // The area of the panes, in the container window's client coordinates.
    CRect GetPanesRect();
    // Shows the selected pane's window, hides the others and lays them all out.
    void LayoutPanes(AFX_SIZEPARENTPARAMS* layout);
    CTKPPane* PaneOfItem(const CTKPTabManagerItem* item) const;
    CTKPPaneCaptionButton* CaptionButtonAt(CPoint point) const;
    // The caption strip in client coordinates, empty without a caption.
    CRect GetCaptionRect() const;
    void ClosePanes(BOOL group);
    void OnLButtonDown(CPoint point);
    void OnLButtonDblClk(CPoint point);
    void OnRButtonDown(CPoint point);
    void OnMouseMove(CPoint point);
    void EndTabDrag();
    // The drag context takes pane (or this container) from a screen point.
    void StartDragging(CTKPPaneBase* pane, CPoint screen);
    void Paint(HDC hdc);
    void SetFocusToSelection();
    void RecalcHostLayout();

    CTKPPane* m_pSelectedPane = nullptr;
    CTKPPane* m_pDragPane = nullptr;
    std::vector<CRect> m_dragRects;
    std::vector<CTKPPane*> m_panes;
    CDropTarget m_dropTarget{this};
};
