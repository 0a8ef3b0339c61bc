// What the pane manager and the layout ask of the pane kinds that hold other panes in windows of
// their own: the tabbed container (type 1), the floating mini window (type 3) and the auto-hide
// side panel (type 5). Each of those classes derives from its interface besides CTKPPaneBase, so
// a pane of the type is reached through a cross-cast.
#pragma once

#include "toolkit/docking/pane_base.h"

class CTKPPane;
class CTKPPaneSplitterContainer;
class CTKPTabStrip;

class CTKPPaneTabbedHolder {
public:
    virtual ~CTKPPaneTabbedHolder() = default;
    // Takes the pane's sizes and rectangle, adds and selects it.
    virtual void Init(CTKPPane* pane, CWnd* site) = 0;
    virtual void AddPane(CTKPPane* pane, BOOL setFocus) = 0;
    virtual void SelectPane(CTKPPane* pane, BOOL setFocus, BOOL notify) = 0;
    virtual CTKPPane* GetSelected() const = 0;
    // What the dock painter asks while it draws the container.
    virtual BOOL IsActive() const = 0;
    virtual BOOL IsCaptionVisible() const = 0;
    virtual BOOL IsCaptionVertical() const = 0;
    virtual BOOL IsTabsVisible() const = 0;
    // The strip of tabs that the pane tab painter draws.
    virtual CTKPTabStrip* GetTabStrip() = 0;
    // Whether a screen point lies where a dragged pane would join the container as a tab; rect,
    // the container's screen rectangle, loses the caption strip.
    virtual BOOL HitTestAttach(RECT& rect, int x, int y) = 0;
};

class CTKPPaneFloatingHolder {
public:
    virtual ~CTKPPaneFloatingHolder() = default;
    // Creates the window at rect and lays the pane (or container) out inside it.
    virtual void Init(CTKPPaneBase* pane, const RECT& rect) = 0;
    virtual void Refresh() = 0;
    virtual CTKPPaneSplitterContainer* GetTopContainer() const = 0;
    virtual BOOL IsActive() const = 0;
};

class CTKPPaneSideHolder {
public:
    virtual ~CTKPPaneSideHolder() = default;
    virtual int GetDirection() const = 0;
    virtual void SetDirection(int direction) = 0;
    virtual void AddContainer(CTKPPaneBase* container) = 0;
    // Closes the slide-out window, at once or by its animation.
    virtual void ClosePane(BOOL immediately) = 0;
    // The tabbed containers on the panel, in order.
    virtual const CTKPPaneList& GetContainers() const = 0;
};

inline CTKPPaneTabbedHolder* AsTabbedHolder(CTKPPaneBase* pane)
{
    return pane && pane->GetType() == paneTypeTabbedContainer ? dynamic_cast<CTKPPaneTabbedHolder*>(pane) : nullptr;
}
inline CTKPPaneFloatingHolder* AsFloatingHolder(CTKPPaneBase* pane)
{
    return pane && pane->GetType() == paneTypeMiniWnd ? dynamic_cast<CTKPPaneFloatingHolder*>(pane) : nullptr;
}
inline CTKPPaneSideHolder* AsSideHolder(CTKPPaneBase* pane)
{
    return pane && pane->GetType() == paneTypeAutoHidePanel ? dynamic_cast<CTKPPaneSideHolder*>(pane) : nullptr;
}
// The floating mini window that a window is, or null.
inline CTKPPaneFloatingHolder* AsFloatingHolder(CWnd* window)
{
    return window ? dynamic_cast<CTKPPaneFloatingHolder*>(window) : nullptr;
}
