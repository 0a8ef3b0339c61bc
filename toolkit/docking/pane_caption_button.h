// A button on a pane caption (close, pin, maximise, restore, pane menu): its place, its hot and
// pressed states and the modal press that tells whether the button was clicked.
#pragma once

#include "win32/user.h"

class CTKPPaneBase;
class CWnd;

class CTKPPaneCaptionButton {
public:
    CTKPPaneCaptionButton(UINT id, CTKPPaneBase* pane) : m_nID(id), m_pPane(pane) {}

    UINT GetID() const { return m_nID; }
    CTKPPaneBase* GetPane() const { return m_pPane; }
    const RECT& GetRect() const { return m_rcButton; }
    void SetRect(const RECT& rc) { m_rcButton = rc; }
    BOOL PtInRect(POINT pt) const { return ::PtInRect(&m_rcButton, pt) && IsVisible(); }
    BOOL IsVisible() const;
    BOOL IsPressed() const { return m_bPressed; }
    BOOL IsSelected() const { return m_bSelected; }
    void SetPressed(BOOL pressed) { m_bPressed = pressed; }
    // Hot: follows the mouse over the button, redrawn on each change.
    void SetSelected(BOOL selected);
    // State bits: 1 pinned look, 2 the pin points down.
    DWORD GetState() const { return m_dwState; }
    void SetState(DWORD state) { m_dwState = state; }
    void InvalidateRect();
    // Holds the button down with the mouse captured by window until the left button goes up;
    // TRUE when it went up over the button. pt is in window's client coordinates.
    BOOL Click(CWnd* window, POINT pt);

private:
    UINT m_nID;
    CTKPPaneBase* m_pPane;
    RECT m_rcButton{0, 0, 0, 0};
    BOOL m_bPressed = FALSE;
    BOOL m_bSelected = FALSE;
    DWORD m_dwState = 0;
};
