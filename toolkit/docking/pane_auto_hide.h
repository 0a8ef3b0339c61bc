// Auto-hidden panes: the side panel along an edge of the frame that shows one row of tabs per
// auto-hidden container, and the window in which a pane slides out over the frame and back.
#pragma once

#include "afx/data_object.h"
#include "afx/mini_frame.h"
#include "toolkit/docking/pane_base.h"
#include "toolkit/docking/pane_holders.h"
#include "toolkit/docking/tab_manager.h"

#include <vector>

class CTKPPane;
class CTKPPaneAutoHidePanel;
class CTKPTabPainter;

// How auto-hidden panes and floating windows move; shared by every frame of the process.
struct CTKPAutoHideSettings {
    double dAnimationSpeed = -1.0;  // 0: one step; above 0: steps from the size; below 0: duration / interval
    UINT nAnimationInterval = 16;   // ms between two slide steps
    UINT nAnimationDuration = 128;  // ms of a whole slide
    BOOL bCloseOnLeave = TRUE;      // the slide-out window goes back when the mouse leaves it
    DWORD dwHoverTime = 0xFFFFFFFF; // HOVER_DEFAULT
    UINT nLeaveCheckPeriod = 100;   // ms between two checks of the cursor
};
CTKPAutoHideSettings& GetAutoHideSettings();

// The tabs of one tabbed container on a side panel, with no scroll buttons.
class CTKPAutoHideTabGroup : public CTKPTabStrip {
public:
    CTKPAutoHideTabGroup(CTKPPaneAutoHidePanel* panel, CTKPPaneBase* container);

    void Reposition() override {}
    CTKPTabPainter* GetPaintManager() const override;
    void RedrawControl() override;
    BOOL DrawItemIcon(CDC* pDC, CPoint point, CTKPTabManagerItem* item, BOOL draw, CSize& size) override;
    int GetPosition() const override;
    BOOL IsNavigateButtonAllowed(const CTKPTabScrollButton* button) const override { return FALSE; }

    CTKPPane* GetItemPane(const CTKPTabManagerItem* item) const;

    CTKPPaneAutoHidePanel* m_pPanel;
    CTKPPaneBase* m_pContainer;
    CRect m_rcGroup;  // where the group's tabs lie in the panel
};

// The window a pane slides out in. It lies against the panel's side of the frame's docked area,
// holds the pane's tabbed container, and goes back (and destroys itself) once the mouse has left
// it and its panel for a while.
class CTKPDockingPaneAutoHideWnd : public CMiniFrameWnd {
public:
    // Creates the window in the site and starts sliding out.
    CTKPDockingPaneAutoHideWnd(CTKPPaneAutoHidePanel* panel, CTKPPaneBase* container);

    void SlideStep();
    void RecalcLayout(BOOL bNotify = TRUE) override;
    // Hides the window, gives the container back to the site and destroys the window later.
    void Close();

    CTKPPaneBase* GetContainer() const { return m_pContainer; }
    CTKPPaneAutoHidePanel* GetPanel() const { return m_pPanel; }
    // The selected pane of the container shown, or null.
    CTKPPane* GetSelectedPane() const;
    BOOL IsSliding() const { return m_nStep < m_nStepsCount - 1 || m_bCollapsing; }

    CTKPPaneBase* m_pContainer;
    CTKPPaneAutoHidePanel* m_pPanel;
    int m_nSide;
    BOOL m_bHoriz;
    int m_nStep = 0;
    int m_nStepsCount = 1;
    BOOL m_bCollapsing = FALSE;
    int m_nDeactivationCount = 6;
    BOOL m_bTracking = FALSE;  // the grip is being dragged
    CRect m_rcWindow;          // the whole window, in the site's client coordinates

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override;
    void OnTimer(UINT_PTR id);
    void OnPaint();
    void OnLButtonDown(CPoint point);
    // The 4-pixel edge facing the frame (client coordinates); empty while the splitters are locked.
    CRect GetGripRect() const;
    // The range the grip's leading edge may take (screen); FALSE when there is none.
    BOOL GetTrackLimits(const CRect& rcOuter, int& low, int& high) const;
    // Gives the window the size its grip rectangle (screen) marks.
    void ApplyGrip(const CRect& rcGrip, const CRect& rcOuter);
    void TrackLive(CRect rcGrip, CPoint start, int low, int high, const CRect& rcOuter);
    CWnd* GetSite() const;

private:
    friend class CTKPPaneAutoHidePanel;
    void ReleaseContainer();
};

// The side panel (pane type 5): a strip along one edge of the frame with the tabs of the tabbed
// containers that are auto-hidden on that side.
class CTKPPaneAutoHidePanel : public CWnd, public CTKPPaneBase, public CTKPPaneSideHolder {
public:
    explicit CTKPPaneAutoHidePanel(CTKPPaneLayout* layout);
    // Destroys the window and every slide-out window it opened.
    ~CTKPPaneAutoHidePanel() override;

    // ---- The side holder
    int GetDirection() const override { return m_nDirection; }
    void SetDirection(int direction) override { m_nDirection = direction; }
    void AddContainer(CTKPPaneBase* container) override;
    void ClosePane(BOOL immediately) override;
    const CTKPPaneList& GetContainers() const override { return m_containers; }

    void RemoveContainer(CTKPPaneBase* container);
    // The pane whose tab lies under point (panel client coordinates), or null.
    CTKPPane* HitTest(CPoint point) const;
    void OpenPane(CTKPPane* pane, BOOL activate);
    CTKPDockingPaneAutoHideWnd* GetActiveWnd() const { return m_pActiveWnd; }
    const std::vector<CTKPAutoHideTabGroup*>& GetGroups() const { return m_groups; }
    // The thickness of the panel across its side.
    int GetPanelThickness() const;
    CTKPTabPainter* GetTabPainter() const;

    // ---- The pane base
    BOOL ContainsPane(const CTKPPaneBase* pane) const override;
    void FindPanes(int type, CTKPPaneList& list) override;
    void OnSizeParent(CWnd* parent, const RECT& rect, AFX_SIZEPARENTPARAMS* layout) override;
    void OnChildrenChanged() override;
    BOOL DoPropExchange(CTKPPropExchange* px) override;
    CTKPPaneBase* Clone(CTKPPaneLayout* layout, CTKPPaneMap* map, DWORD flags) override;
    void RemovePane(CTKPPaneBase* pane) override { RemoveContainer(pane); }
    BOOL IsHidden() const override;
    CWnd* GetPaneWindow() const override { return const_cast<CTKPPaneAutoHidePanel*>(this); }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    friend class CTKPDockingPaneAutoHideWnd;

    // Lets dragged data open the pane whose tab it passes over.
    class CDropTarget : public COleDropTarget {
    public:
        explicit CDropTarget(CTKPPaneAutoHidePanel* owner) : m_pOwner(owner) {}
        DROPEFFECT OnDragOver(CWnd* pWnd, COleDataObject* data, DWORD keys, CPoint point) override;
        DROPEFFECT OnDragEnter(CWnd* pWnd, COleDataObject* data, DWORD keys, CPoint point) override
        {
            return OnDragOver(pWnd, data, keys, point);
        }

    private:
        CTKPPaneAutoHidePanel* m_pOwner;
    };

    BOOL EnsureWindow(CWnd* parent);
    void RebuildGroups(CDC* dc, CRect rc);
    void DeleteGroups();
    void OnPaint();
    void OnMouseMove(CPoint point);
    void OnMouseHover(CPoint point);
    void OnLButtonDown(CPoint point);
    // Whether the open slide-out window shows pane.
    BOOL IsShowing(const CTKPPane* pane) const;
    // Closes the open slide-out window whatever the close-on-leave setting; FALSE when the site
    // keeps it open.
    BOOL CloseActive(BOOL immediately);
    void ForgetWindow(CTKPDockingPaneAutoHideWnd* wnd);

    int m_nDirection = 0;
    CTKPDockingPaneAutoHideWnd* m_pActiveWnd = nullptr;
    std::vector<CTKPAutoHideTabGroup*> m_groups;
    CTKPPaneList m_containers;
    // Every slide-out window this panel made that still exists.
    std::vector<CTKPDockingPaneAutoHideWnd*> m_windows;
    CDropTarget m_dropTarget{this};
};

inline CTKPPaneAutoHidePanel* AsAutoHidePanel(CTKPPaneBase* pane)
{
    return pane && pane->GetType() == paneTypeAutoHidePanel ? dynamic_cast<CTKPPaneAutoHidePanel*>(pane) : nullptr;
}
