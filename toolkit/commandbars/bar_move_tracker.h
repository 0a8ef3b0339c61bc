// The modal mouse loop that drags a tool bar between dock bars and floating, resizes a floating
// bar, and toggles a bar between docked and floating on a double click.
#pragma once

#include "win32/types.h"

class CTKPToolBar;

class CTKPBarMoveTracker {
public:
    explicit CTKPBarMoveTracker(CTKPToolBar* bar) : m_pBar(bar) {}
    virtual ~CTKPBarMoveTracker() = default;

    // Drags the bar from a screen point until the button is released or Esc is pressed; the bar
    // stays where it is at that moment.
    virtual void StartMove(int x, int y);
    // Drags an edge (HTLEFT..HTBOTTOMRIGHT) of a floating bar from a screen point.
    virtual void StartResize(int hitCode, int x, int y);
    // A docked bar floats (when it may and the options allow it), a floating one docks where it
    // last was; FALSE when refused.
    virtual BOOL ToggleDocking();
    // 1 while moving, the hit code while resizing, 0 otherwise.
    int GetMode() const { return m_nMode; }

protected:
    virtual void TrackLoop();
    void Move(POINT pt);
    void Resize(POINT pt);

    CTKPToolBar* m_pBar;
    int m_nMode = 0;
    POINT m_ptLast{0, 0};
    RECT m_rcStart{0, 0, 0, 0};
    RECT m_rcCurrent{0, 0, 0, 0};
};
