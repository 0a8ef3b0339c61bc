// The toolkit's list control: a report list with the shared list enhancements.
#pragma once

#include "afx/list_ctrl.h"
#include "toolkit/base/list_support.h"

class CTKListCtrl : public CListCtrl {
    DECLARE_DYNAMIC(CTKListCtrl)
public:
    CTKListCtrl();
    ~CTKListCtrl() override;

    CTKListSupport& GetListSupport() { return m_support; }
    // Sorts the rows for a click on a column header; the default leaves them as they are.
    virtual BOOL SortList(int column, BOOL ascending) { return TRUE; }

    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    void PreSubclassWindow() override;

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    afx_msg void OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg int OnCreate(LPCREATESTRUCTW lpcs);
    afx_msg LRESULT OnSettingChange(WPARAM wParam, LPARAM lParam);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

    CTKOwnedListSupport<CTKListCtrl> m_support{this};
    // Cleared when the class creates the window itself: the font then comes with WM_CREATE.
    BYTE m_bApplyFontOnSubclass = 1;
};
