// A command bar that lives in a dock bar, floats, or sits in a rebar band.
#pragma once

#include "toolkit/commandbars/command_bar.h"

class CTKPBarMoveTracker;
class CTKPDockBar;
class CTKPPopupBar;

// The buttons a tool bar adds to itself while it is laid out (never saved).
#define TKP_ID_TOOLBAR_EXPAND 9400
#define TKP_ID_TOOLBAR_CLOSE 9401
// The style bit of a bar window that floats in its own popup window.
#define TKP_FLOATING_STYLE 0x100

// What a frame asks of the windows that float over it (wParam of WM_FLOATSTATUS).
#ifndef WM_FLOATSTATUS
#define WM_FLOATSTATUS 0x036D
#endif
#ifndef FS_SHOW
#define FS_SHOW 0x01
#define FS_HIDE 0x02
#define FS_ACTIVATE 0x04
#define FS_DEACTIVATE 0x08
#define FS_ENABLE 0x10
#define FS_DISABLE 0x20
#define FS_SYNCACTIVE 0x40
#endif

// Layout modes of CalcDynamicLayout.
#ifndef LM_STRETCH
#define LM_STRETCH 0x01
#define LM_HORZ 0x02
#define LM_MRUWIDTH 0x04
#define LM_HORZDOCK 0x08
#define LM_VERTDOCK 0x10
#define LM_LENGTHY 0x20
#define LM_COMMIT 0x40
#endif

class CTKPToolBar : public CTKPCommandBar {
    DECLARE_SERIAL(CTKPToolBar)
public:
    CTKPToolBar();
    ~CTKPToolBar() override;

    // Stores the sides the bar may dock to (low bits) and whether it may float; the first call
    // gives the bar the tracker that moves it.
    void EnableDocking(DWORD flags);
    BOOL LoadToolBar(UINT id, BOOL loadIcons = TRUE) override;
    // Creates the bar's controls from command ids; 0 is a separator before the next control.
    BOOL SetButtons(const UINT* ids, int count);
    BOOL IsVisible() const override { return m_bVisible; }
    virtual void SetVisible(BOOL visible);
    // The bar's size for a length in a layout mode (LM_*): floating, inside its caption and
    // border with the close and expand buttons in the caption; else as docked.
    virtual CSize CalcDynamicLayout(int length, DWORD mode);
    // The docked size; the expand button takes 11 pixels at the end of the bar.
    virtual CSize CalcDockingLayout(int length, DWORD mode);
    void Copy(CTKPCommandBar* source, BOOL recursive = FALSE) override;
    void DoPropExchange(CTKPPropExchange* px) override;
    // A docked bar asks the frame for a new layout; a floating one takes its new size at once.
    void OnRecalcLayout() override;
    // Creates the bar's window as a child of the parent (a dock bar); FALSE when it cannot be made.
    BOOL CreateBarWindow(CWnd* parent);
    // A built-in bar back to the controls it was built with, after the user agreed.
    virtual void Reset();
    // Makes the bar's window a floating popup owned by `parent` (created at the remembered floating
    // place when there is none yet), or a child again for docking. FALSE when there is no window.
    virtual BOOL CreateFloatingWindow(CWnd* parent, BOOL floating);
    // 0-3 docks the bar on that side, 4 floats it; other values fail.
    BOOL SetBarPosition(int position);
    // The add-or-remove list of the expand button: every original control back in the bar (those
    // the user hid carry hide flag 16), and one check entry per control in the popup.
    void FillAddRemoveList(CTKPCommandBar* popup);
    // The popup the expand button opens: the controls that did not fit, then the add-or-remove
    // entry. One reference, the caller's.
    CTKPPopupBar* CreateExpandPopup();
    // Whether the expand button marks controls hidden behind it.
    BOOL HasHiddenControls() const override;
    // Tab in a bar that cannot be moved (one that sits among a window's controls) moves the
    // focus to the next or previous control of its parent.
    BOOL ProcessSpecialKey(int code) override;
    CTKPBarMoveTracker* GetMoveTracker() const { return m_pMoveTracker; }

    CTKPDockBar* GetDockBar() const { return m_pDockBar; }
    void SetDockBar(CTKPDockBar* dockBar) { m_pDockBar = dockBar; }
    BOOL IsMovable() const { return m_pMoveTracker != nullptr; }
    BOOL IsFloating() const { return m_barPosition == TKP_BARPOS_FLOATING; }

    BOOL m_bBuiltIn = TRUE;
    BOOL m_bTearOff = FALSE;
    BOOL m_bShowExpandButton = TRUE;
    UINT m_nResourceId = 0;
    // Where the bar last docked (the dock bar's id and the bar's rectangle there) and where it last
    // floated (screen; 0,0 = never), kept with the saved bar state.
    UINT m_nMRUDockID = 0;
    RECT m_rcMRUDock{0, 0, 0, 0};
    POINT m_ptMRUFloat{0, 0};

protected:
    afx_msg void OnRButtonDown(UINT flags, CPoint pt);
    afx_msg void OnLButtonDown(UINT flags, CPoint pt);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint pt);
    afx_msg LRESULT OnMouseActivateMsg(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnNcHitTest(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnNcLButtonDown(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnFloatStatus(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnNcCreateMsg(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnNcActivateMsg(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnSetFocusMsg(WPARAM wParam, LPARAM lParam);
    // A bar laid out by its parent window itself, not by a dock bar: it takes the top of what is
    // left, across the whole width.
    afx_msg LRESULT OnSizeParent(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnRemoveTornOff(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

protected:
    // A close or expand button of the bar, made when missing, hidden until the layout places it.
    CTKPControl* PrepareButton(UINT id);
    // The menus of document types a menu bar keeps with its saved keys.
    virtual void ExchangeMenus(CTKPPropExchange* px);
    // Puts the original controls back, or loads the resource again when none were kept.
    void RestoreControls();

    CTKPDockBar* m_pDockBar = nullptr;
    CTKPBarMoveTracker* m_pMoveTracker = nullptr;
};

// The button at the end of a tool bar that opens the controls that did not fit and the
// add-or-remove list.
class CTKPToolBarExpandButton : public CTKPControlPopup {
public:
    CTKPToolBarExpandButton();
    void SetRect(const RECT& rc) override;
    void Draw(CDC* pDC) override;
    BOOL SetPopuped(BOOL popuped) override;
    // In a caption the glyph is drawn light while the button is neither hot nor pressed.
    DWORD GetGlyphStateWord(int which) const override { return DWORD(which ? m_nPressed : m_nSelected); }
    // Some control of the bar is hidden because it did not fit.
    BOOL m_bHasHidden = FALSE;
};

// The close button in a floating bar's caption: it hides the bar.
class CTKPToolBarCloseButton : public CTKPControlButton {
public:
    CTKPToolBarCloseButton();
    DWORD GetGlyphStateWord(int which) const override { return DWORD(which ? m_nPressed : m_nSelected); }
    void OnExecute() override;
    void Draw(CDC* pDC) override;
};

// One entry of the add-or-remove list: it shows or hides one control of a bar, or resets the bar.
class CTKPToolBarButtonToggle : public CTKPControlButton {
public:
    explicit CTKPToolBarButtonToggle(CTKPControl* linked = nullptr, CTKPToolBar* resetBar = nullptr);
    ~CTKPToolBarButtonToggle() override;
    void OnExecute() override;
    CTKPControl* GetLinkedControl() const { return m_pLinked; }

private:
    CTKPControl* m_pLinked;
    CTKPToolBar* m_pResetBar;
};
