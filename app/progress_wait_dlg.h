// CProgressWaitDlg: the modeless percentage dialog that list fills and snapshot loads show while they work.
#pragma once

#include "afx/afx.h"
#include "afx/dialog.h"
#include "afx/tree_ctrl.h"
#include "app/message_dlg.h"
#include "controls/transparent_static.h"

// The position message that drives the dialog: wParam is the new position.
#define WM_PROGRESS_SETPOS (WM_USER + 1)

// The percentage text of a position in a range, clamped to 0..100 (a position past either bound is not
// wrapped into a smaller number); an empty or inverted range counts as done.
int ProgressPercent(int position, int lower, int upper);

class CProgressWaitDlg : public CDialog {
public:
    // captionId 0 takes the default caption "进程...".
    explicit CProgressWaitDlg(UINT captionId = 0);
    ~CProgressWaitDlg() override;

    // Disables the parent's safe owner while the dialog exists (when it was enabled); FALSE, with the owner
    // as it was, when the dialog cannot be made.
    BOOL Create(CWnd* pParent);
    BOOL DestroyWindow() override;
    void SetRange(int lower, int upper);
    // Serves the waiting messages first, so the window stays responsive while its caller works; returns
    // the previous position.
    int SetPos(int position);
    BOOL IsCancelled() const { return m_bCancelled; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}
    // Cancel only notes the wish; the caller decides when to stop.
    void OnCancel() override { m_bCancelled = TRUE; }
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg LRESULT OnSetPosMessage(WPARAM wParam, LPARAM);
    DECLARE_MESSAGE_MAP()

private:
    void UpdatePercent(int position);

    CTransparentStatic m_percent;
    CProgressCtrl m_progress;
    CDialogSkin m_skin;
    UINT m_nCaptionId;
    int m_nLower = 0;
    int m_nUpper = 100;
    int m_nStep = 10;
    BOOL m_bCancelled = FALSE;
    HWND m_hWndOwner = nullptr;
    BOOL m_bOwnerDisabled = FALSE;
};
