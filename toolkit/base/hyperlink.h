// The toolkit hyperlink: a static text that opens its address with the shell when clicked.
#pragma once

#include "afx/gdi.h"
#include "afx/std_controls.h"
#include "afx/tree_ctrl.h"

class CTKHyperLink : public CStatic {
    DECLARE_DYNAMIC(CTKHyperLink)
public:
    CTKHyperLink();
    ~CTKHyperLink() override;

    virtual void SetURL(CString address);
    virtual CString GetURL() const { return m_strURL; }
    virtual void SetColors(COLORREF link, COLORREF visited, COLORREF hover);
    virtual COLORREF GetLinkColor() const { return m_clrLink; }
    virtual COLORREF GetVisitedColor() const { return m_clrVisited; }
    virtual COLORREF GetHoverColor() const { return m_clrHover; }
    virtual void SetVisited(BOOL visited);
    virtual BOOL GetVisited() const { return m_bVisited; }
    virtual void SetLinkCursor(HCURSOR cursor) { m_hLinkCursor = cursor; }
    virtual HCURSOR GetLinkCursor() const { return m_hLinkCursor; }
    virtual void SetUnderline(BOOL underline);
    virtual BOOL GetUnderline() const { return m_bUnderline; }
    virtual void SetBackColor(COLORREF color);
    virtual COLORREF GetBackColor() const;
    // Null opens the link's own address.
    virtual BOOL GotoURL(LPCWSTR address, int showCmd, LPCWSTR parameters = nullptr, LPCWSTR directory = nullptr);
    virtual BOOL IsTextControl() const;
    virtual BOOL IsCursorOverText() const;
    virtual void ReportError(int code);
    virtual void InitControl();
    virtual BOOL UpdateFont();
    virtual BOOL CreateLinkFont(CFont& font, BOOL underline);

    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    void PreSubclassWindow() override;

    BOOL IsHover() const { return m_bHover; }
    void SetOpenOnClick(BOOL open) { m_bOpenOnClick = open; }
    void EnableToolTip(BOOL enable) { m_bToolTip = enable; }

protected:
    afx_msg int OnCreate(LPCREATESTRUCTW lpcs);
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    afx_msg HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg BOOL OnClicked();
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg LRESULT OnNcHitTest(CPoint point);
    afx_msg void OnWindowPosChanged(WINDOWPOS* lpwndpos);
    DECLARE_MESSAGE_MAP()

    void Redraw();

    BYTE m_bOpenOnClick = 1;
    BYTE m_bInitOnSubclass = 1;
    BYTE m_bUnderline = 1;
    BYTE m_bHover = 0;
    BYTE m_bVisited = 0;
    BYTE m_bToolTip = 1;
    CFont m_font;
    CString m_strURL;
    CString m_strTipText;
    HCURSOR m_hLinkCursor = nullptr;
    COLORREF m_clrLink = RGB(0, 0, 255);
    COLORREF m_clrHover = RGB(255, 0, 0);
    COLORREF m_clrVisited = RGB(128, 0, 128);
    COLORREF m_clrBack = COLORREF(-1);
    CToolTipCtrl m_toolTip;
};
