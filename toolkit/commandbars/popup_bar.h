// Popup menus of the command bars, and the stand-alone popup menu for windows without bars.
#pragma once

#include "toolkit/commandbars/command_bar.h"

#include <utility>
#include <vector>

class CTKPToolBar;

class CTKPPopupBar : public CTKPCommandBar {
    DECLARE_SERIAL(CTKPPopupBar)
public:
    CTKPPopupBar();
    ~CTKPPopupBar() override;

    // A new popup bar (one reference, the caller's) belonging to the bars, or to none.
    static CTKPPopupBar* CreatePopupBar(CTKPCommandBars* bars);

    // Opens the popup with its top-left at a screen point, keeping clear of the exclusion
    // rectangle; FALSE when it did not open.
    virtual BOOL PopupAt(int x, int y, LPCRECT exclude = nullptr);
    // Opens the popup of a control.
    virtual BOOL Popup(CTKPControlPopup* parentControl);
    BOOL IsVisible() const override;
    CTKPCommandBar* GetParentBar() const override;
    CTKPControlPopup* GetParentControl() const { return m_pParentControl; }
    void SetParentControl(CTKPControlPopup* control) { m_pParentControl = control; }
    BOOL IsDoubleIconColumn() const override { return m_bDoubleIconColumn; }
    // Shows the rarely used commands the popup hides, and lays it out again.
    virtual void ExpandBar();

    // Windows the popup hosts (edit and combo fields) move to the site frame, hidden, so they
    // keep what the user typed when the popup's window goes.
    BOOL DestroyWindow() override;
    BOOL SetTrackingMode(int mode, BOOL selectFirst = TRUE, BOOL fromKeyboard = FALSE) override;
    // A selection hidden by scrolling scrolls into view; resting on the expand item expands later.
    BOOL SetSelected(int index, BOOL keyboard = FALSE) override;
    // Down on the last command (or Ctrl+Down) of an expandable popup expands it.
    BOOL ProcessSpecialKey(int code) override;
    void DrawCommandBar(CDC* pDC, const RECT& rcClip) override;
    // 2 unfold, 3 slide, 4 fade, 5 none: from the options, the system's menu settings, or at random.
    int GetAnimationType() const;
    // Scrolls a scrolling popup by one command; FALSE at the end.
    BOOL ScrollDown();
    BOOL ScrollUp();
    BOOL IsScrolling() const { return m_bScrolling; }
    int GetFirstVisible() const { return m_nFirstVisible; }
    int GetLastVisible() const { return m_nLastVisible; }
    RECT GetScrollUpRect() const { return m_rcScrollUp; }
    RECT GetScrollDownRect() const { return m_rcScrollDown; }
    // The popup menu's column of controls (or the grid of a popup tool bar) and the size it takes.
    CSize CalcLayout(int length, DWORD mode) override;
    void OnRecalcLayout() override;
    void OnControlsChanged() override;
    void DelayRedraw() override;
    // A click in the popup leaves the frame active.
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    // Marks the rarely used commands hidden unless full menus are on or the popup is expanded.
    void UpdateHiddenCommands();
    // The direction, position and exclusion rectangle from the control that opens the popup.
    void UpdatePositionFromParent();

    // Where a popup of a size goes: next to the point or the exclusion rectangle, inside the work
    // area. Bit 1 of flags (open to the left) may change; `scroll` tells that the popup had to shrink.
    static RECT CalcPopupRect(POINT pt, SIZE size, const RECT& exclude, const RECT& workArea, DWORD& flags,
                              BOOL& scroll);

    // The popup's own keys, after the base's: the tear-off strip, the shadow and the borders.
    void Copy(CTKPCommandBar* source, BOOL recursive = FALSE) override;
    // The shortcut text the frame's keyboard shortcuts give each command shown, when the options
    // ask for it.
    void UpdateShortcuts();
    // The strip at the top of a popup that can be torn off (client co-ordinates; empty without one).
    RECT GetTearOffRect() const { return m_rcTearOff; }
    BOOL IsTearOffHot() const { return m_bTearOffHot; }
    // Drags the popup off by its strip until the button is released: outside the popup a floating
    // tool bar with the popup's commands follows the cursor. The bar that stays, or null.
    CTKPToolBar* TrackTearOff();

    // The menu the bar was last filled from.
    HMENU GetSourceMenu() const { return m_hSourceMenu; }
    void SetSourceMenu(HMENU menu) { m_hSourceMenu = menu; }

    POINT m_ptPopup{0, 0};
    RECT m_rcExclude{0, 0, 0, 0};
    DWORD m_dwPopupFlags = 0;
    BOOL m_bExpandable = FALSE;
    BOOL m_bExpanded = FALSE;
    BOOL m_bShowShadow = TRUE;
    // The popup lays itself out right to left.
    BOOL m_bRightToLeft = FALSE;
    // Saved with the popup's customisation.
    void DoPropExchange(CTKPPropExchange* px) override;
    BOOL m_bTearOffPopup = FALSE;
    CString m_strTearOffCaption;
    UINT m_nTearOffId = 0;
    int m_nTearOffWidth = 0;
    RECT m_rcBorders{2, 4, 2, 4};
    BOOL m_bDoubleGripper = FALSE;

protected:
    // Lays the stacked controls out from the first visible one inside the scrolling height.
    void LayoutScrolled(std::vector<std::pair<CTKPControl*, RECT>>& placed, const RECT& border, int width);
    void OnScrollTimer(UINT_PTR id);
    void PlayAnimation();

    BOOL m_bScrolling = FALSE;
    int m_nFirstVisible = 0;
    int m_nLastVisible = 0;
    // The height a scrolling popup has, and the command to end at when scrolling down (-1 none).
    int m_nScrollHeight = 0;
    int m_nScrollAnchorLast = -1;
    RECT m_rcScrollUp{0, 0, 0, 0};
    RECT m_rcScrollDown{0, 0, 0, 0};
    UINT_PTR m_nScrollTimer = 0;
    BOOL m_bExpandAnimation = FALSE;

    // Casts the popup's shadow anew (an open popup in its own window with the shadow flag set).
    void UpdateShadow();
    // Places the popup for its current layout and moves its window there.
    void PlaceWindow(UINT swpFlags);

    // Tear-off: the strip, its hover timer, and the bar the drag shows.
    void OnTearOffHover(POINT pt);
    void OnTearOffTimer();
    // The floating bar of a tear-off drag: the bar with the tear-off id, else a new one holding the
    // popup's commands; null without bars.
    CTKPToolBar* FindOrCreateTornOffBar(BOOL& created);
    void ShowTornOffBar(POINT cursor);
    RECT m_rcTearOff{0, 0, 0, 0};
    BOOL m_bTearOffHot = FALSE;
    UINT_PTR m_nTearOffTimer = 0;
    BOOL m_bTearOffDragging = FALSE;
    SIZE m_szTornOff{0, 0};
    CTKPToolBar* m_pTornOffBar = nullptr;

    CTKPControlPopup* m_pParentControl = nullptr;
    BOOL m_bInLayout = FALSE;
    // A stand-alone popup opened from the keyboard selects its first control.
    BOOL m_bKeyboardOpen = FALSE;
    HMENU m_hSourceMenu = nullptr;
};

// The id of the item at the end of a popup that shows the rarely used commands.
#define TKP_ID_EXPAND_POPUP 9402
// The popup's timers: scrolling down and up, the tear-off strip's hover, expanding after a delay.
#define TKP_TIMER_SCROLLDOWN 5001
#define TKP_TIMER_SCROLLUP 5002
#define TKP_TIMER_TEAROFF 5003
#define TKP_TIMER_EXPAND 5004

// Shows a menu as a command-bar popup at a screen point for the owner window, with icons from the
// tool-bar resource `toolBarId` when it is above 0. The answer is that of the menu tracking: the
// chosen command with TPM_RETURNCMD, else nonzero on success.
int TrackToolkitPopupMenu(CMenu* menu, UINT flags, int x, int y, CWnd* owner, UINT toolBarId = 0);
