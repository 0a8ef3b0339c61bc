// Popup menus of the command bars, and the stand-alone popup menu for windows without bars.
#pragma once

#include "toolkit/commandbars/command_bar.h"

class CTKPPopupBar : public CTKPCommandBar {
    DECLARE_DYNCREATE(CTKPPopupBar)
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

protected:
    CTKPControlPopup* m_pParentControl = nullptr;
    HMENU m_hSourceMenu = nullptr;
};

// Shows a menu as a command-bar popup at a screen point for the owner window, with icons from the
// tool-bar resource `toolBarId` when it is above 0. The answer is that of the menu tracking: the
// chosen command with TPM_RETURNCMD, else nonzero on success.
int TrackToolkitPopupMenu(CMenu* menu, UINT flags, int x, int y, CWnd* owner, UINT toolBarId = 0);
