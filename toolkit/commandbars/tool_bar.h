// A command bar that lives in a dock bar, floats, or sits in a rebar band.
#pragma once

#include "toolkit/commandbars/command_bar.h"

class CTKPDockBar;

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

    // Stores the sides the bar may dock to (low bits) and whether it may float; 0 fixes it.
    void EnableDocking(DWORD flags);
    BOOL LoadToolBar(UINT id, BOOL loadIcons = TRUE) override;
    // Creates the bar's controls from command ids; 0 is a separator before the next control.
    BOOL SetButtons(const UINT* ids, int count);
    BOOL IsVisible() const override { return m_bVisible; }
    virtual void SetVisible(BOOL visible);
    // The bar's size for a length in a layout mode (LM_*).
    virtual CSize CalcDynamicLayout(int length, DWORD mode);
    virtual CSize CalcDockingLayout(int length, DWORD mode);
    void Copy(CTKPCommandBar* source, BOOL recursive = FALSE) override;
    void DoPropExchange(CTKPPropExchange* px) override;
    // A docked bar asks the frame for a new layout; a floating one takes its new size at once.
    void OnRecalcLayout() override;
    // Creates the bar's window as a child of the parent (a dock bar); FALSE when it cannot be made.
    BOOL CreateBarWindow(CWnd* parent);
    // A built-in bar back to the controls it was built with, after the user agreed.
    virtual void Reset();

    CTKPDockBar* GetDockBar() const { return m_pDockBar; }
    void SetDockBar(CTKPDockBar* dockBar) { m_pDockBar = dockBar; }
    BOOL IsMovable() const { return m_bMovable; }

    BOOL m_bBuiltIn = TRUE;
    BOOL m_bTearOff = FALSE;
    BOOL m_bShowExpandButton = TRUE;
    UINT m_nResourceId = 0;
    // Where the bar last docked and floated, kept with the saved bar state.
    UINT m_nMRUDockID = 0;
    RECT m_rcMRUDock{0, 0, 0, 0};
    POINT m_ptMRUFloat{0, 0};

protected:
    // The menus of document types a menu bar keeps with its saved keys.
    virtual void ExchangeMenus(CTKPPropExchange* px);
    // Puts the original controls back, or loads the resource again when none were kept.
    void RestoreControls();

    CTKPDockBar* m_pDockBar = nullptr;
    BOOL m_bMovable = FALSE;
};
