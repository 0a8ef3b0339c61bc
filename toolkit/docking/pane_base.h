// The part every element of a docking layout shares: single panes, containers, floating and
// auto-hide windows and the client pane that stands for the frame's client area.
#pragma once

#include "afx/wnd.h"

#include <map>
#include <vector>

class CFrameWnd;
class CTKPPaneCaptionButton;
class CTKPPaneLayout;
class CTKPPaneManager;
class CTKPPaneThemePainter;
class CTKPPropExchange;

// Pane type codes, stored in every pane and saved with the layout.
enum TKPPaneType {
    paneTypeDockingPane = 0,
    paneTypeTabbedContainer = 1,
    paneTypeSplitterContainer = 2,
    paneTypeMiniWnd = 3,
    paneTypeClient = 4,
    paneTypeAutoHidePanel = 5,
};

// Option bits of a single pane (OR-ed with the manager's default options).
enum TKPPaneOptions {
    paneNoCloseable = 1,
    paneNoHideable = 2,
    paneNoFloatable = 4,
    paneNoCaption = 8,
    paneHasMenuButton = 16,
};

// Docking directions of panes.
enum TKPDockDirection { dockLeftOf = 0, dockRightOf = 1, dockTopOf = 2, dockBottomOf = 3 };

// Caption button command ids.
#define TKP_IDS_PANE_AUTOHIDE 9900
#define TKP_IDS_PANE_CLOSE 9901
#define TKP_IDS_PANE_MAXIMIZE 9907
#define TKP_IDS_PANE_RESTORE 9908
#define TKP_IDS_PANE_MENU 9909

// The notification every pane step sends to the site window, and its codes.
#define TKP_WM_DOCKINGPANE_NOTIFY 10925
#define TKP_DPN_SHOWWINDOW 1
#define TKP_DPN_RCLICK 2
#define TKP_DPN_CLOSEPANE 3
#define TKP_DPN_ACTION 4
#define TKP_DPN_CONTEXTMENU 5

class CTKPPaneBase;
using CTKPPaneList = std::vector<CTKPPaneBase*>;
// Old pane to new pane, filled while a layout or a branch of it is cloned.
using CTKPPaneMap = std::map<CTKPPaneBase*, CTKPPaneBase*>;

class CTKPPaneBase {
public:
    // Appends the pane to the layout's list of all panes; the host window starts as the site.
    CTKPPaneBase(int type, CTKPPaneLayout* layout);
    // Deletes the caption buttons.
    virtual ~CTKPPaneBase();
    CTKPPaneBase(const CTKPPaneBase&) = delete;
    CTKPPaneBase& operator=(const CTKPPaneBase&) = delete;

    // Repaints the window that draws the pane, without erasing.
    virtual void Invalidate();
    virtual BOOL ContainsPane(const CTKPPaneBase* pane) const { return pane == this; }
    // Appends the pane to the list when it is of the type; containers search their children.
    virtual void FindPanes(int type, CTKPPaneList& list);
    virtual void GetMinMaxInfo(MINMAXINFO* info) const;
    // Lays the pane out in rect (host-window client coordinates). A layout record without a
    // deferred-position handle asks for measuring only.
    virtual void OnSizeParent(CWnd* parent, const RECT& rect, AFX_SIZEPARENTPARAMS* layout);
    virtual void OnIdleUpdate() {}
    virtual void SetHostWindow(CWnd* host) { m_pHostWindow = host; }
    virtual void SetParentContainer(CTKPPaneBase* container) { m_pParentContainer = container; }
    virtual void OnChildrenChanged() {}
    virtual void UpdateLayout();
    // Called on a pane after it was put into container.
    virtual void OnParentChanged(CTKPPaneBase* container) {}
    // Exchanges "DockingCX" and "DockingCY"; FALSE fails a load.
    virtual BOOL DoPropExchange(CTKPPropExchange* px);
    virtual CTKPPaneBase* Clone(CTKPPaneLayout* layout, CTKPPaneMap* map, DWORD flags);
    virtual void RemovePane(CTKPPaneBase* pane) {}
    virtual BOOL IsHidden() const;
    virtual BOOL IsCaptionButtonVisible(CTKPPaneCaptionButton* button) { return TRUE; }
    // The window that draws this pane; null for panes drawn by their container.
    virtual CWnd* GetPaneWindow() const { return nullptr; }
    virtual BOOL IsAutoHidden() const { return FALSE; }

    CTKPPaneLayout* GetLayout() const { return m_pLayout; }
    CTKPPaneManager* GetManager() const;
    CTKPPaneThemePainter* GetPaintManager() const;
    CTKPPaneBase* GetParentContainer() const { return m_pParentContainer; }
    CWnd* GetHostWindow() const { return m_pHostWindow; }
    int GetType() const { return m_nType; }
    const RECT& GetPaneRect() const { return m_rcPane; }
    // The pane rectangle in screen coordinates.
    void GetWindowRect(RECT* rect) const;
    CTKPPaneCaptionButton* FindCaptionButton(UINT id) const;
    const std::vector<CTKPPaneCaptionButton*>& GetCaptionButtons() const { return m_captionButtons; }

    // Marks the host frame (the host window, or the frame that holds it) for a layout at its next idle time.
    static void DelayLayoutOf(CWnd* host);

    int m_nDockingCX = 0;
    int m_nDockingCY = 0;
    // Scratch length of the splitter layout.
    int m_nLength = 0;
    // The 1-based number the layout gives the pane while saving or loading.
    int m_nSaveIndex = 0;

protected:
    friend class CTKPPaneLayout;

    CTKPPaneLayout* m_pLayout;
    CTKPPaneBase* m_pParentContainer = nullptr;
    CWnd* m_pHostWindow = nullptr;
    int m_nType;
    RECT m_rcPane{0, 0, 0, 0};
    std::vector<CTKPPaneCaptionButton*> m_captionButtons;
};
