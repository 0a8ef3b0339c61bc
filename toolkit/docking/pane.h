// CTKPPane: one docking pane that shows one application child window, with its id, title, icon,
// options, limits and tab colour.
#pragma once

#include "afx/cmd_target.h"
#include "afx/string.h"
#include "toolkit/docking/pane_base.h"

class CTKPImageIcon;

// Answered by a pane's child window with its tab colour; 0 leaves the automatic one.
#define TKP_WM_GETTABCOLOR 10425
// A tab colour that means "the automatic colour n" (n from 0 to 7).
#define TKP_TAB_COLOR_AUTO 0x1000000

class CTKPPane : public CCmdTarget, public CTKPPaneBase {
    DECLARE_DYNAMIC(CTKPPane)
public:
    explicit CTKPPane(CTKPPaneLayout* layout);
    ~CTKPPane() override;

    void Attach(HWND child) { m_hwndChild = child; }
    HWND GetChild() const { return m_hwndChild; }

    void SetFocus();
    BOOL IsFocus() const;
    // Showing first tells the site (notification code 1).
    void ShowWindow(BOOL show);
    void Close();
    void Hide();

    CWnd* GetHostFrame() const;
    BOOL IsClosed() const { return m_pParentContainer == nullptr; }
    BOOL IsSelected() const;

    // Up to the first line feed the title is the caption; behind it the short title for tabs.
    CString GetTitle() const;
    CString GetShortTitle() const;
    CTKPImageIcon* GetIcon(int width) const;
    COLORREF GetItemColor() const;
    DWORD GetOptions() const;
    // Takes another pane's sizes, title, ids, options and limits (not its child window).
    void Copy(const CTKPPane* other);

    void SetParentContainer(CTKPPaneBase* container) override;
    void OnSizeParent(CWnd* parent, const RECT& rect, AFX_SIZEPARENTPARAMS* layout) override;
    void GetMinMaxInfo(MINMAXINFO* info) const override;
    BOOL DoPropExchange(CTKPPropExchange* px) override;
    CTKPPaneBase* Clone(CTKPPaneLayout* layout, CTKPPaneMap* map, DWORD flags) override;
    BOOL IsAutoHidden() const override;
    // Passed to the container, which follows the focus.
    void OnIdleUpdate() override;

    HWND m_hwndChild = nullptr;
    int m_nID = 0;
    int m_nIconID = -1;
    CString m_strTitle;
    DWORD m_dwOptions = 0;
    DWORD_PTR m_dwData = 0;  // "Tag": kept for the application
    POINT m_ptMinTrackSize{0, 0};
    POINT m_ptMaxTrackSize{32000, 32000};
    COLORREF m_clrItemTab = COLORREF(-1);
    int m_nHelpId = 0;
};
