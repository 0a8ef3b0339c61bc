// Views that are controls (CCtrlView, CListView) and views made from a dialog template (CFormView).
#pragma once

#include "afx/frame.h"
#include "afx/dialog.h"
#include "afx/list_ctrl.h"

// The style a view gets when its frame makes it.
#define AFX_WS_DEFAULT_VIEW (WS_CHILD | WS_VISIBLE | WS_BORDER)

// A view whose window is a control of the named class; the control paints itself.
class CCtrlView : public CView {
    DECLARE_DYNCREATE(CCtrlView)
public:
    CCtrlView(LPCWSTR lpszClass = nullptr, DWORD dwStyle = 0) : m_strClass(lpszClass), m_dwDefaultStyle(dwStyle) {}
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    void OnDraw(CDC*) override {}
    CString m_strClass;
    DWORD m_dwDefaultStyle;

protected:
    afx_msg void OnPaint() { Default(); }
    DECLARE_MESSAGE_MAP()
};

class CListView : public CCtrlView {
    DECLARE_DYNCREATE(CListView)
public:
    CListView() : CCtrlView(u"SysListView32", AFX_WS_DEFAULT_VIEW) {}
    // The view's window is the list control; the wrapper lives as long as the view.
    CListCtrl& GetListCtrl() const {
        m_wndList.m_hWnd = m_hWnd;
        return m_wndList;
    }
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {}

protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    afx_msg void OnNcDestroy();
    mutable CListCtrl m_wndList;
    DECLARE_MESSAGE_MAP()
};

// A view made from a dialog template (which must have the child style); its controls exchange
// data with members as a dialog's do.
class CFormView : public CView {
    DECLARE_DYNAMIC(CFormView)
public:
    explicit CFormView(UINT nIDTemplate) : m_lpszTemplateName(MAKEINTRESOURCEW(nIDTemplate)) {}
    explicit CFormView(LPCWSTR lpszTemplateName) : m_lpszTemplateName(lpszTemplateName) {}
    // FALSE when the template is not among the program's resources or the window cannot be made.
    BOOL Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                UINT nID, void* pContext = nullptr) override;
    void OnInitialUpdate() override { UpdateData(FALSE); }
    void OnDraw(CDC*) override {}
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    BOOL PreTranslateMessage(MSG* pMsg) override;
    LPCWSTR m_lpszTemplateName;

protected:
    virtual void DoDataExchange(CDataExchange*) {}
    afx_msg int OnCreate(LPCREATESTRUCTW lpcs) { return (int)Default(); }
    afx_msg void OnPaint() { Default(); }
    DECLARE_MESSAGE_MAP()
};
