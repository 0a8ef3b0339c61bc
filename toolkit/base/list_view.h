// The toolkit's list view: the same report list with its enhancements, as a document view.
#pragma once

#include "afx/ctrl_view.h"
#include "toolkit/base/list_support.h"

class CTKListView : public CListView {
    DECLARE_DYNCREATE(CTKListView)
public:
    CTKListView();
    ~CTKListView() override;

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

    CTKOwnedListSupport<CTKListView> m_support{this};
    // Cleared when the class creates the window itself: the font then comes with WM_CREATE.
    BYTE m_bApplyFontOnSubclass = 1;
};
