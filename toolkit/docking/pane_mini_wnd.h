// The floating mini window (pane type 3): a small frame that holds panes torn off the docked
// layout. A splitter container inside it lays out one or more tabbed containers; it can draw its
// own caption through the dock painter and roll itself up to that caption while the mouse is away.
#pragma once

#include "afx/mini_frame.h"
#include "toolkit/docking/pane_base.h"
#include "toolkit/docking/pane_holders.h"

class CTKPPane;
class CTKPDockingPaneTabbedContainer;

// Timers of the floating window.
#define TKP_MINIWND_TIMER_COLLAPSE 1    // while rolled up: watches the cursor and the focus
#define TKP_MINIWND_TIMER_ANIMATE 3     // one roll-up step per tick
#define TKP_MINIWND_TIMER_HOT 2345      // clears a hot caption button once the cursor has left

class CTKPDockingPaneMiniWnd : public CMiniFrameWnd, public CTKPPaneBase, public CTKPPaneFloatingHolder {
    DECLARE_DYNAMIC(CTKPDockingPaneMiniWnd)
public:
    explicit CTKPDockingPaneMiniWnd(CTKPPaneLayout* layout);
    ~CTKPDockingPaneMiniWnd() override;

    // Makes the window at rect (moved onto the work area when it lies wholly outside it).
    BOOL Create(const RECT& rect);
    // ---- The floating holder
    void Init(CTKPPaneBase* pane, const RECT& rect) override;
    void Refresh() override;
    CTKPPaneSplitterContainer* GetTopContainer() const override { return m_pTopContainer; }
    BOOL IsActive() const override { return m_bActive; }

    // Takes the other window's content (cloned into this layout), place and roll-up state.
    void CopyFrom(CTKPDockingPaneMiniWnd* other, CTKPPaneMap* map);
    // The tabbed containers inside, in order.
    CTKPPaneList GetTabbedContainers() const;
    // Rolls the window up to its caption or out again.
    void ToggleCollapse();
    BOOL IsCollapsed() const { return m_bCollapsed; }
    BOOL IsCloseEnabled() const { return m_bCloseEnabled; }
    void OnCaptionButtonClick(UINT id);
    // Closes every pane inside that may be closed, each with the site's consent.
    void ClosePanes();
    void RecalcLayout(BOOL bNotify = TRUE) override;

    // ---- The pane base
    void RemovePane(CTKPPaneBase* pane) override;
    void UpdateLayout() override;
    void OnChildrenChanged() override;
    BOOL ContainsPane(const CTKPPaneBase* pane) const override;
    void FindPanes(int type, CTKPPaneList& list) override;
    BOOL DoPropExchange(CTKPPropExchange* px) override;
    CTKPPaneBase* Clone(CTKPPaneLayout* layout, CTKPPaneMap* map, DWORD flags) override;
    BOOL IsHidden() const override;
    BOOL IsCaptionButtonVisible(CTKPPaneCaptionButton* button) override;
    CWnd* GetPaneWindow() const override;
    void Invalidate() override;
    using CTKPPaneBase::GetWindowRect;

    // The frame's height while rolled up: the caption and a little.
    int GetCollapsedHeight() const;

    int m_nExpandedHeight = 0;
    // Roll-up animation: total steps and the current one.
    int m_nStepsCount = 8;
    int m_nStep = 8;
    int m_nCountdown = 0;
    BOOL m_bCollapsed = FALSE;
    BOOL m_bAnimating = FALSE;
    BOOL m_bRolling = FALSE;    // the roll-up has started
    BOOL m_bActive = FALSE;
    RECT m_rcWindow{0, 0, 0, 0};

    // Settings shared by every floating window.
    static int s_nAnimationInterval;  // milliseconds per step
    static int s_nAnimationDuration;  // milliseconds of a whole roll
    static BOOL s_bShowCollapseButton;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override {}

private:
    BOOL IsThemed() const;
    // The themed caption, in window coordinates; empty without the themed caption.
    RECT GetCaptionRect() const;
    CTKPPaneCaptionButton* CaptionButtonAt(POINT screen) const;
    // The single pane the caption stands for: the selected pane of the one tabbed container, or
    // of the active one.
    CTKPPane* GetCaptionPane() const;
    void ApplyHeight(BOOL first);
    void StopCollapsing();
    void OnTimer(UINT_PTR id);
    void OnNcPaint();
    BOOL OnNcLButtonDown(UINT hit, POINT screen);
    BOOL OnNcRButtonDown(UINT hit, POINT screen);
    void OnNcMouseMove(POINT screen);
    void OnGetMinMaxInfo(MINMAXINFO* info);
    void UpdateCloseState();

    CTKPPaneSplitterContainer* m_pTopContainer = nullptr;
    BOOL m_bCloseEnabled = TRUE;
    BOOL m_bHotTimer = FALSE;
};
