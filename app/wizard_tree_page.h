// CWizardTreePage: what the drive page and the scan page share: a drive tree beside a pane under a splitter, the
// bottom band with Next (or Start), Back, Home, Stop, the status line and the progress bar, and the Stop question.
#pragma once

#include "afx/afx.h"
#include "afx/frame.h"
#include "afx/std_controls.h"
#include "app/drive_tree_ctrl.h"
#include "app/splitter_bar.h"
#include "controls/gradient_progress_ctrl.h"
#include "controls/skin_button.h"

class CWizardTreePage : public CView {
    DECLARE_DYNAMIC(CWizardTreePage)
public:
    void SetProgressPos(int position);
    void SetStatusText(LPCWSTR text);
    // Next (Start), Back and Home shown; Stop and the progress bar hidden; the tree usable again.
    virtual void ShowIdleButtons();
    // The page takes the keyboard with its focus ring at the start, so the next Tab pushes Next.
    void TakeFocusRing();

    CDriveTreeCtrl m_tree;
    CSplitterBar m_splitter;
    CSkinButton m_next, m_back, m_home, m_stop;
    CStatic m_status;
    CGradientProgressCtrl m_progress;
    DWORD m_focus[4] = {1, 0, 0, 0};

protected:
    CWizardTreePage() = default;
    // The tree, before the derived page makes its pane.
    void CreateTree(UINT treeId, IDriveTreeHost* host);
    // The splitter over the tree and the pane, then the buttons, the status line and the progress bar.
    void CreateControls(CWnd* pane, UINT splitterId);
    // The running worker is paused while the question is open; Yes stops it (and, with wait, serves messages until
    // it has ended), No lets it go on. False when the user said No.
    bool AskToStop(LPCWSTR question, bool wait);
    void DrawBottomBand(CDC* dc, const CRect& client);

    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT type);
    DECLARE_MESSAGE_MAP()

    CFont m_font;

private:
    CBrush m_statusBrush;
};
