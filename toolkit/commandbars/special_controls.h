// Controls that stand in a bar for lists built from the application's state when the bar is laid
// out (the MDI windows, the tool bars, the OLE verbs, the recent files, the tab-group actions),
// and the grid picker, the label and the control hosting a window of its own.
#pragma once

#include "toolkit/commandbars/command_bar.h"

class CRecentFileList;

// Where the window list starts numbering its entries (the first MDI child id); process-wide.
extern UINT g_nTKPFirstWindowId;
// The most windows the window list shows.
#define TKP_WINDOWLIST_MAX 9

// The caption of a list entry: ampersands of the name doubled, then its number as a mnemonic.
CString TKPFormatEntryCaption(const CString& name, int number);

class CTKPControlWindowList : public CTKPControlButton {
    DECLARE_SERIAL(CTKPControlWindowList)
public:
    void OnCalcDynamicSize(DWORD mode) override;
    BOOL IsCustomizeDragOverAvail(CTKPCommandBar* bar, POINT pt, int& effect) override;
    CTKPControl* Clone(BOOL recursive = FALSE) override;
};

class CTKPControlToolbars : public CTKPControlButton {
    DECLARE_SERIAL(CTKPControlToolbars)
public:
    void OnCalcDynamicSize(DWORD mode) override;
    BOOL IsCustomizeDragOverAvail(CTKPCommandBar* bar, POINT pt, int& effect) override;
    CTKPControl* Clone(BOOL recursive = FALSE) override;
    // An entry per closeable tool bar with a context menu, after `index` of the controls; with
    // `addCustomize`, the customise command follows when the bars are customisable.
    static void CreateToolbarMenu(CTKPCommandBars* bars, CTKPControls* controls, int index, UINT id,
                                  BOOL temporary, BOOL addCustomize);
};

class CTKPControlOleItems : public CTKPControlButton {
    DECLARE_SERIAL(CTKPControlOleItems)
public:
    void OnCalcDynamicSize(DWORD mode) override;
    BOOL IsCustomizeDragOverAvail(CTKPCommandBar* bar, POINT pt, int& effect) override;
    CTKPControl* Clone(BOOL recursive = FALSE) override;
};

class CTKPControlRecentFileList : public CTKPControlButton {
    DECLARE_SERIAL(CTKPControlRecentFileList)
public:
    void OnCalcDynamicSize(DWORD mode) override;
    BOOL IsCustomizeDragOverAvail(CTKPCommandBar* bar, POINT pt, int& effect) override;
    CTKPControl* Clone(BOOL recursive = FALSE) override;
    virtual CRecentFileList* GetRecentFileList();
    virtual UINT GetFirstMruId() { return 0xE110; }
};

class CTKPControlWorkspaceActions : public CTKPControlButton {
    DECLARE_SERIAL(CTKPControlWorkspaceActions)
public:
    void OnCalcDynamicSize(DWORD mode) override;
    BOOL IsCustomizeDragOverAvail(CTKPCommandBar* bar, POINT pt, int& effect) override;
    CTKPControl* Clone(BOOL recursive = FALSE) override;
};

// A grid of cells to pick a number of columns and rows from, growing while dragged.
class CTKPControlSelector : public CTKPControl {
    DECLARE_SERIAL(CTKPControlSelector)
public:
    CTKPControlSelector();
    void OnCalcDynamicSize(DWORD mode) override;
    CSize GetSize(CDC* pDC) override;
    void Draw(CDC* pDC) override;
    void OnClick(BOOL keyboard = FALSE, POINT pt = POINT{0, 0}) override {}
    void OnLButtonUp(POINT pt) override;
    void OnMouseMove(POINT pt) override;
    BOOL SetSelected(int state) override;
    void DoPropExchange(CTKPPropExchange* px) override;
    void Copy(CTKPControl* source, BOOL recursive = FALSE) override;
    CTKPControl* Clone(BOOL recursive = FALSE) override;
    virtual void DrawItem(CDC* pDC, const RECT& cell, COLORREF color) {}
    void SetSelection(SIZE selected, BOOL force);

    SIZE m_szItemsCount{5, 4};
    SIZE m_szItemsMax{12, 12};
    SIZE m_szSelected{0, 0};
    SIZE m_szItemSize{28, 28};
    SIZE m_szLastSelected{0, 0};
    SIZE m_szGrid{0, 0};
    BOOL m_bResizing = FALSE;
};

// A line of text in a bar that is never selected.
class CTKPControlLabel : public CTKPControl {
    DECLARE_SERIAL(CTKPControlLabel)
public:
    CTKPControlLabel();
    int GetSelected() const override { return 0; }
    void OnClick(BOOL = FALSE, POINT = POINT{0, 0}) override {}
    void DoPropExchange(CTKPPropExchange* px) override { CTKPControl::DoPropExchange(px); }
    CTKPControl* Clone(BOOL recursive = FALSE) override;
};

// A control that shows a window of the application inside the bar.
class CTKPControlCustom : public CTKPControlButton {
    DECLARE_SERIAL(CTKPControlCustom)
public:
    CTKPControlCustom();
    void SetEnabled(BOOL enabled) override;
    void SetRect(const RECT& rc) override;
    void SetHideFlags(DWORD flags) override;
    CSize GetSize(CDC* pDC) override;
    void Draw(CDC* pDC) override;
    void OnCalcDynamicSize(DWORD mode) override;
    void OnClick(BOOL keyboard = FALSE, POINT pt = POINT{0, 0}) override;
    BOOL IsCustomizeDragOverAvail(CTKPCommandBar* bar, POINT pt, int& effect) override;
    void DoPropExchange(CTKPPropExchange* px) override;
    void Copy(CTKPControl* source, BOOL recursive = FALSE) override;
    CTKPControl* Clone(BOOL recursive = FALSE) override;
    void SetControl(HWND hWnd) { m_hWndControl = hWnd; }
    HWND GetControlWindow() const { return m_hWndControl; }
    // The hosted window of ControlId: a child of the site frame, else of the first bar that has one.
    HWND FindControlWindow() const;

    HWND m_hWndControl = nullptr;
    RECT m_rcBorders{0, 0, 0, 0};
    BOOL m_bControlVisible = TRUE;
    SIZE m_szControl{0, 0};
    int m_nVerticalOptions = 0;
    int m_nControlId = 0;

private:
    BOOL IsWindowShown() const;
    void ShowControlWindow();
};
