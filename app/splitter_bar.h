// CSplitterBar: a static child that takes two existing windows as its panes and divides its client area
// between them with a draggable bar, side by side or one above the other, remembering the position in the
// profile. The file also holds CSplitView, a captioned view.
#pragma once

#include "afx/afx.h"
#include "afx/frame.h"
#include "afx/std_controls.h"

// Style bits of the bar's own: a vertical bar (panes side by side), a horizontal bar (one above the other).
#define SPLS_VERTICAL 0x1
#define SPLS_HORIZONTAL 0x2

class CSplitterBar : public CStatic {
    DECLARE_DYNAMIC(CSplitterBar)
public:
    CSplitterBar();
    ~CSplitterBar() override;

    // The panes are reparented under the bar and keep the parent as their owner; both pairs of minimums
    // take minimum1 and minimum2.
    BOOL Create(DWORD dwStyle, CWnd* pParent, CWnd* pPane1, CWnd* pPane2, UINT nID, const RECT& rect, int minimum1,
                int minimum2);
    void ShowLeftPane();
    void HideLeftPane();
    // Writes the position into the profile (sections "splt\init_v" and "splt\init_h" followed by the id).
    void SavePosition();
    // Every live bar writes its position: the exit saves them while the windows still exist.
    static void SaveAllPositions();

    // The geometry, in the bar's client coordinates.
    void MoveVerticalSplit(int x);
    void MoveHorizontalSplit(int y);
    int ClampX(int x) const;
    int ClampY(int y) const;

    CRect m_rectLeft, m_rectRight, m_rectTop, m_rectBottom;
    CRect m_rectVertHit, m_rectVertTracker, m_rectHorzHit, m_rectHorzTracker;
    BOOL m_bHorizontal = FALSE, m_bVertical = FALSE;
    BOOL m_bVertArmed = FALSE, m_bVertTracking = FALSE, m_bHorzArmed = FALSE, m_bHorzTracking = FALSE;
    BOOL m_bLeftHidden = FALSE;
    int m_nBarWidth = 5;
    int m_nLeftWidth = 0;
    int m_nBottomHeight = 0;

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    void SetupVertical(CWnd* pLeft, CWnd* pRight, int minLeft, int minRight);
    void SetupHorizontal(CWnd* pTop, CWnd* pBottom, int minTop, int minBottom);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnDestroy();
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    DECLARE_MESSAGE_MAP()

private:
    CString VertSection() const;
    CString HorzSection() const;
    CPoint ToLogical(CPoint point);
    void DrawTracker(const CRect& tracker);
    void CancelTracking();

    CWnd* m_pOwner = nullptr;
    CWnd* m_pLeft = nullptr;
    CWnd* m_pRight = nullptr;
    CWnd* m_pTop = nullptr;
    CWnd* m_pBottom = nullptr;
    int m_nMinLeft = 0, m_nMinRight = 0, m_nMinTop = 0, m_nMinBottom = 0;
    UINT m_nID = 0;
    CPoint m_ptVertStart, m_ptVertLast, m_ptHorzStart, m_ptHorzLast;
    HWND m_hWndFocusVert = nullptr;
    HWND m_hWndFocusHorz = nullptr;
};

// A view with a caption band; a click makes the wizard page of the current results the active view.
class CSplitView : public CView {
    DECLARE_DYNCREATE(CSplitView)
public:
    CSplitView() = default;
    void OnDraw(CDC* pDC) override;

    CString m_strCaption;
    BOOL m_bCaption = TRUE;

protected:
    afx_msg int OnCreate(LPCREATESTRUCTW lpcs);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    DECLARE_MESSAGE_MAP()
};
