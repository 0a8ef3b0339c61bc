// Page 0 of the wizard: the choice of the scan mode.
#pragma once

#include "afx/afx.h"
#include "afx/frame.h"
#include "afx/std_controls.h"
#include "controls/hover_button.h"

class CEx_StyleView : public CView {
    DECLARE_DYNCREATE(CEx_StyleView)
public:
    CEx_StyleView();
    ~CEx_StyleView() override;

    void OnDraw(CDC* pDC) override;
    void OnInitialUpdate() override { CView::OnInitialUpdate(); }
    BOOL PreTranslateMessage(MSG* pMsg) override { return CWnd::PreTranslateMessage(pMsg); }

    // The mode commands: quick scan (131), file tracing (132), full scan (133).
    afx_msg void OnQuickScan();
    afx_msg void OnFileTracing();
    afx_msg void OnFullScan();

    // The hint line's own prompt, in place of the last hover hint, for a visit that starts afresh.
    void ShowPrompt();

    CStatic m_hint;
    CHoverButton m_quick, m_tracing, m_full;

protected:
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    BOOL OnPreparePrinting(CPrintInfo* pInfo) override { return DoPreparePrinting(pInfo); }
    afx_msg int OnCreate(LPCREATESTRUCTW cs);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnKeyDown(UINT key, UINT repeat, UINT flags);
    afx_msg HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT type);
    afx_msg BOOL OnEraseBkgnd(CDC* dc) { return TRUE; }
    DECLARE_MESSAGE_MAP()

private:
    void ChooseMode(DWORD mode);

    CFont m_drawFont;
    CFont m_hintFont;
    CBrush m_whiteBrush;
};

// The columns of the found-items list for a scan mode: heading, width and sub-item, in order.
struct FoundListColumn {
    const char16_t* heading;
    int width;
};
// Empties the list's columns and inserts the mode's; returns how many were inserted.
int SetFoundListColumns(CListCtrl* list, DWORD scanMode);
