// Page 4 of the wizard: the found folders and files, the found-file list above the preview pane, and
// the Save, Back and Start-over buttons.
#pragma once

#include "afx/afx.h"
#include "afx/frame.h"
#include "afx/std_controls.h"
#include "app/found_list_ctrl.h"
#include "app/found_tree_ctrl.h"
#include "app/results_host.h"
#include "app/splitter_bar.h"
#include "controls/gradient_progress_ctrl.h"
#include "controls/skin_button.h"
#include "toolkit/base/header_ctrl.h"

class CMainPreviewView;

class CThirdView_HDD : public CView, public IResultsHost {
    DECLARE_DYNCREATE(CThirdView_HDD)
public:
    CThirdView_HDD();
    ~CThirdView_HDD() override;
    void OnDraw(CDC* pDC) override;

    // The Save step (button 159), the Back step (160) and Start over (61481).
    void OnSave();
    void OnBack();
    void OnStartOver();
    // The three buttons, shown once results are on the page.
    void ShowResultButtons(BOOL show);

    CFoundTreeCtrl& GetFoundTree() { return m_wndTree; }
    CFoundListCtrl* GetFoundList() const { return m_pFoundList; }
    CMainPreviewView* GetPreviewView() const { return m_pPreviewView; }
    // The static under the list that shows the ticked items' size.
    void SetSelectedSizeText(LPCWSTR text);

    // IResultsHost
    void PreviewItem(const CString& path, const CString& extension) override;
    BOOL IsPreviewableExtension(const CString& extension) override;
    void SetNoPreviewItemFlag(DWORD value) override;
    void SetPreviewableFlag(DWORD value) override;
    void PreviewPathChanged() override;
    void ShowInformation(const CString& text) override;
    void RunSave() override;
    void RunSearch() override;
    void RunSettings() override;
    UINT TrackPopup(CMenu* popup, UINT flags, int x, int y, CWnd* owner) override;
    BOOL IsResultsReady() override;
    void BeginBusy() override;
    void EndBusy() override;

    // The statics along the bottom: the selection summary and three red status lines.
    CStatic m_stSummary;
    CStatic m_stStatus1;
    CStatic m_stStatus2;
    CStatic m_stStatus3;
    CFoundTreeCtrl m_wndTree;
    CSplitterBar m_wndOuterSplitter;
    CSplitterBar m_wndInnerSplitter;
    CImageList m_ilSmall;
    CFoundListCtrl* m_pFoundList = nullptr;
    CString m_strCurrentDir;
    // Whose turn the keyboard's Tab ring gives: the tree, the save button or the back button.
    BOOL m_bTreeTurn = TRUE;
    BOOL m_bSaveTurn = FALSE;
    BOOL m_bBackTurn = FALSE;
    BOOL m_bSpareTurn = FALSE;
    CBrush m_brWhite;
    CGradientProgressCtrl m_wndProgress;
    CSkinButton m_btnSave;
    CSkinButton m_btnBack;
    CSkinButton m_btnHome;
    CMainPreviewView* m_pPreviewView = nullptr;
    LONG m_bBusy = 0;
    CTKHeaderCtrl m_wndHeader;

protected:
    afx_msg int OnCreate(LPCREATESTRUCTW lpcs);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    CFont m_fontStatics;
};
