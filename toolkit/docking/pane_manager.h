// CTKPPaneManager: the docking panes of one frame window. It owns the current layout, the dock
// painter of the theme, an image manager and a tooltip context; it creates pane objects by type,
// finds, shows, closes, hides, floats and docks panes, and tells the site window about each step.
#pragma once

#include "afx/string.h"
#include "afx/wnd.h"
#include "toolkit/docking/pane_base.h"

#include <list>

class CTKPDockDragContext;
class CTKPImageIcon;
class CTKPImageManager;
class CTKPPane;
class CTKPPaneLayout;
class CTKPPaneSplitterContainer;
class CTKPTipContext;
struct CTKPPaneInfo;

// Actions carried by notification code 4; the refusable ones are the "about to" steps.
enum TKPPaneAction {
    paneActionFloating = 0,
    paneActionFloated = 1,
    paneActionClosing = 2,
    paneActionClosed = 3,
    paneActionDocking = 4,
    paneActionDocked = 5,
    paneActionAttaching = 6,
    paneActionAttached = 7,
    paneActionHiding = 8,
    paneActionHidden = 9,
    paneActionCollapsing = 10,
    paneActionCollapsed = 11,
    paneActionExpanding = 12,
    paneActionExpanded = 13,
    paneActionActivated = 14,
    paneActionDeactivated = 15,
    paneActionDetaching = 16,
};

// The record of notification code 4: the site writes a nonzero result to refuse.
struct TKPPaneActionRecord {
    int action;
    int result;
    CTKPPaneBase* pane;
    LPARAM value1;
    LPARAM value2;
};

class CTKPPaneManager : public CWnd {
    DECLARE_DYNAMIC(CTKPPaneManager)
public:
    CTKPPaneManager();
    ~CTKPPaneManager() override;

    // Once per manager: its hidden window in the site and the first layout.
    BOOL InstallDockingPanes(CWnd* site);
    virtual CTKPPaneLayout* CreateLayout();
    // The pane object of a type in layout; null for a type no pane kind has.
    virtual CTKPPaneBase* OnCreatePane(int type, CTKPPaneLayout* layout);
    virtual void SetActivePane(BOOL activate, CTKPPane* pane);

    CTKPPane* FindPane(int id) const;
    BOOL IsPaneClosed(const CTKPPane* pane) const;
    BOOL IsPaneAutoHidden(const CTKPPaneBase* pane) const;
    CTKPPaneBase* GetHolder(const CTKPPane* pane, BOOL floating) const;
    int GetPaneDirection(const CTKPPaneBase* pane) const;
    BOOL IsLayoutRTL() const;
    int MirrorDirection(int direction) const;
    CTKPImageIcon* GetImage(UINT id, int width) const;
    CTKPPaneSplitterContainer* GetTopContainer() const;
    CTKPPaneBase* GetClientPane() const;
    std::list<CTKPPaneInfo>* GetPaneInfoList() const;
    CTKPPaneLayout* GetLayout() const { return m_pLayout; }
    CWnd* GetSite() const { return m_pSite; }
    CTKPPaneThemePainter* GetPaintManager() const { return m_pPaintManager; }
    CTKPImageManager* GetImageManager() const { return m_pImageManager; }
    CTKPTipContext* GetTipContext() const { return m_pTipContext; }
    CTKPDockDragContext* GetDragContext() const { return m_pDragContext; }
    CTKPPane* GetActivePane() const { return m_pActivePane; }

    void ShowPane(CTKPPane* pane, BOOL setFocus = TRUE);
    void ClosePane(CTKPPaneBase* pane);
    void HidePane(CTKPPaneBase* pane);

    BOOL ToggleDocking(CTKPPane* pane, CTKPPaneBase* holder);
    void ToggleDocking(CTKPPaneBase* pane);
    void FloatPane(CTKPPaneBase* pane, const RECT& rect);
    void DockPane(CTKPPaneBase* pane, int direction, CTKPPaneBase* neighbour = nullptr);
    void AttachPane(CTKPPaneBase* pane, CTKPPaneBase* target);
    RECT& GetDockRect(RECT& rect, CTKPPaneBase* pane, int direction, CTKPPaneBase* neighbour);
    // Hands pane (a single pane, a container or a floating window's content) to the drag
    // context, which follows the mouse from the screen point.
    void StartPaneDrag(CTKPPaneBase* pane, POINT screen);
    void UpdateHolders();

    void SetDockingTheme(int id);
    int GetCurrentTheme() const;
    void RedrawPanes();

    // Sends notification code to the site; the answer as a signed value (0 without a site).
    LRESULT NotifyOwner(int code, LPARAM lParam) const;
    // Sends action code 4 for pane; TRUE when the site refused it.
    BOOL NotifyAction(int action, CTKPPaneBase* pane, LPARAM value1 = 0, LPARAM value2 = 0) const;

    int m_nSplitterGap = 22;          // the smallest size a neighbour keeps while a bar is dragged
    BOOL m_bCloseGroupOnButtonClick = FALSE;
    BOOL m_bHideGroupOnButtonClick = TRUE;
    BOOL m_bHideClient = FALSE;
    BOOL m_bSplitterTracker = TRUE;   // bars drag as an outline and apply on release
    BOOL m_bShowMaximizeButton = FALSE;
    BOOL m_bLockSplitters = FALSE;
    BOOL m_bAlphaDockingContext = FALSE;
    BOOL m_bShowDockingContextStickers = FALSE;
    BOOL m_bThemedFloatingFrames = FALSE;
    int m_nFloatingFramesActivation = 1;
    DWORD m_dwDefaultPaneOptions = 0;
    int m_nCaptionDirection = 0;      // vertical captions: 0 never, 1 always, 2 at top and bottom, 3 when wide
    CString m_strFloatingFrameCaption;
    int m_nStickerStyle = 0;          // set by theme 9 and kept
    BOOL m_bAttachingPane = FALSE;
    BOOL m_bLayoutCreated = FALSE;    // the first layout pass has run

protected:
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void OnSizeParent(AFX_SIZEPARENTPARAMS* layout);

    // The single pane leaves its container (a closed pane is left as it is).
    void DetachPane(CTKPPaneBase* pane);
    // The step of docking item beside neighbour, item already out of any container.
    void DockItem(CTKPPaneBase* item, int direction, CTKPPaneBase* neighbour);

    CWnd* m_pSite = nullptr;
    CTKPPaneLayout* m_pLayout = nullptr;
    CTKPPaneThemePainter* m_pPaintManager = nullptr;
    CTKPPane* m_pActivePane = nullptr;
    CTKPImageManager* m_pImageManager = nullptr;
    // The drag context of pane dragging.
    CTKPDockDragContext* m_pDragContext = nullptr;
    CTKPTipContext* m_pTipContext = nullptr;
};
