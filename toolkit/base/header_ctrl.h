// The toolkit's column header: themed drawing, sort arrow, hot tracking, the column menu, frozen
// columns and spreading the free width over the columns.
#pragma once

#include "afx/list_ctrl.h"
#include "toolkit/base/header_ctrl_theme.h"

#include <vector>

// Commands of the column menu (toolkit menu 9014, submenu 2).
#define TK_ID_HEADER_SORTASC 9158
#define TK_ID_HEADER_SORTDESC 9159
#define TK_ID_HEADER_ALIGNLEFT 9160
#define TK_ID_HEADER_ALIGNCENTER 9161
#define TK_ID_HEADER_ALIGNRIGHT 9162
#define TK_IDR_HEADER_MENU 9014
#define TK_IDR_HEADER_MENU_ICONS 9015

class CTKHeaderCtrl : public CHeaderCtrl {
    DECLARE_DYNCREATE(CTKHeaderCtrl)
public:
    CTKHeaderCtrl();
    ~CTKHeaderCtrl() override;

    virtual BOOL IsItemPressed(int nColumn);
    virtual void InitializeHeader(BOOL bBold);
    // 0 shows the toolkit's own column menu.
    virtual void SetPopupMenuID(UINT nMenuID, int nSubMenu = 0);
    virtual void SetFontBold(BOOL bBold);
    virtual void ShowSortArrow(BOOL bShow);
    // LVCFMT_LEFT, LVCFMT_RIGHT or LVCFMT_CENTER for the column last right-clicked.
    virtual int SetAlignment(int nFormat);
    virtual BOOL DetermineRTL();
    virtual void FitColumns(int nTotalWidth);
    // Below 1 takes the header's own width.
    virtual void ResizeColumnsToFit(int nWidth = 0);
    virtual int GetFrozenColumnsWidth();

    // Returns the previous sort column.
    int SetSortImage(int nColumn, BOOL bAscending);
    int GetSortImage(BOOL& bAscending) const;
    using CHeaderCtrl::HitTest;
    int HitTest(int x, int y, UINT& nFlags);
    BOOL IsColumnFrozen(int nColumn) const;
    BOOL HasSortArrow();
    void RecalcLayout();

    // Frozen columns keep their width: the divider shows no sizing cursor and width changes are refused.
    void FreezeColumn(int nColumn, BOOL bFreeze = TRUE);
    // With fit on resize, a change of the header's width spreads the columns over the new width.
    void SetFitOnResize(BOOL bFit) { m_bFitOnResize = bFit ? 1 : 0; }
    BOOL GetFitOnResize() const { return m_bFitOnResize; }
    BOOL IsRTL() const { return m_bRTL; }
    int GetHotItem() const { return m_nHotItem; }

    // The theme in effect (null when none could be made), and a theme of this header's own.
    CTKHeaderCtrlTheme* GetTheme();
    void SetTheme(CTKHeaderCtrlTheme* pTheme);

    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

protected:
    afx_msg void OnPaint();
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnDestroy();
    afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    afx_msg LRESULT OnWindowPosChanging(WPARAM wParam, LPARAM lParam);
    afx_msg BOOL OnItemChanging(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg LRESULT OnLayout(WPARAM wParam, LPARAM lParam);
    afx_msg void OnSortAscending();
    afx_msg void OnSortDescending();
    afx_msg void OnAlignLeft();
    afx_msg void OnAlignCenter();
    afx_msg void OnAlignRight();
    DECLARE_MESSAGE_MAP()

protected:
    // The parent when it is a list control or a list view, else null.
    CWnd* GetParentList() const;
    int ItemAt(POINT client);
    void OnSortCommand(BOOL bAscending);
    void ShowColumnMenu(CPoint point);
    // Checks the sort direction of the sort column and the column's alignment in the column menu.
    void CheckColumnMenu(HMENU popup, int nItem);

    // The style client tells its header when the theme changes.
    class CStyleClient : public CTKThemeStyleClient {
    public:
        explicit CStyleClient(CTKHeaderCtrl* pHeader);
        void OnStyleChanged() override;

    private:
        CTKHeaderCtrl* m_pHeader;
    };

    CStyleClient m_styleClient;
    int m_nMinColumnWidth = 0;
    int m_nPopupSubMenu = 0;
    int m_nHotItem = -1;
    int m_nSortColumn = -1;
    BYTE m_bRTL = 0;
    BYTE m_bFitOnResize = 0;
    int m_bPopupMenuEnabled = 1;
    int m_bSortAscending = 1;
    int m_bLButtonDown = 0;
    int m_bHotDrawn = 0;
    UINT m_nPopupMenuID = 0;
    CPoint m_ptLastRClick;
    std::vector<int> m_frozenColumns;
    BOOL m_bFitting = FALSE; // fitting the columns now
};

// The header of the toolkit's lists: always the flat look.
class CTKFlatHeaderCtrl : public CTKHeaderCtrl {
    DECLARE_DYNCREATE(CTKFlatHeaderCtrl)
public:
    CTKFlatHeaderCtrl();
};
