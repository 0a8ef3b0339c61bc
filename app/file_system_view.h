// Page 3 of the wizard: the choice among the volumes a full scan found, and the extraction of the
// chosen volume's folders.
#pragma once

#include "afx/afx.h"
#include "afx/frame.h"
#include "afx/std_controls.h"
#include "app/splitter_bar.h"
#include "app/volume_tree_ctrl.h"
#include "controls/gradient_progress_ctrl.h"
#include "controls/skin_button.h"

class CFileSystemForm;

class CFileSystemView : public CView {
    DECLARE_DYNCREATE(CFileSystemView)
public:
    CFileSystemView();
    ~CFileSystemView() override;
    void OnDraw(CDC* pDC) override;

    void OnNext();
    void OnBack();
    void OnStop();
    void OnHome();
    // Starts the extraction worker and this page's poll timer.
    void StartExtraction();
    // The buttons of a fresh choice (Next, Back, Home shown; progress, Stop and status hidden); the
    // found volumes stay in the tree.
    void ResetForChoice();
    // Ends the extraction's wait once its worker has ended and moves on to the results; nothing while no
    // extraction is waited for.
    void PollRun();

    CVolumeTreeCtrl& GetVolumeTree() { return m_wndTree; }
    CFileSystemForm* GetForm() const { return m_pForm; }

    CString m_strTexts[5];
    CFileSystemForm* m_pForm = nullptr;
    CVolumeTreeCtrl m_wndTree;
    CSplitterBar m_wndSplitter;
    CSkinButton m_btnNext;
    CSkinButton m_btnBack;
    CGradientProgressCtrl m_wndProgress;
    CSkinButton m_btnStop;
    CSkinButton m_btnHome;
    CStatic m_stStatus;
    CBrush m_brWhite;
    CFont m_font;

protected:
    afx_msg int OnCreate(LPCREATESTRUCTW lpcs);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void ShowRunning(BOOL running);
    void StopPolling();

    bool m_bPolling = false; // an extraction was started and its end not yet taken
};
