// CHoverButton: a bitmap button with a hover picture that writes its hint into the page's status text.
#pragma once

#include "afx/afx.h"
#include "afx/std_controls.h"
#include "afx/tree_ctrl.h"

class CHoverButton : public CBitmapButton {
public:
    // Written into the status text when the mouse leaves a button.
    static const char16_t* const kPrompt;
    enum { IDC_HOVER_CURSOR = 264, IDC_PRESSED_CURSOR = 265 };

    CHoverButton();

    BOOL LoadBitmaps(UINT nIDNormal, UINT nIDHover);
    BOOL IsHovering() const { return m_bHovering; }

    void DrawItem(LPDRAWITEMSTRUCT lpDIS) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    CWnd* m_pStatusWnd = nullptr;
    CString m_strHint;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    BOOL m_bHovering = FALSE;
    int m_nWidth = 0;
    int m_nHeight = 0;
    CBitmap m_normal;
    CBitmap m_hover;
    BOOL m_bTracking = FALSE;
    BOOL m_bHintPending = TRUE;
    HCURSOR m_hHoverCursor = nullptr;
    HCURSOR m_hPressedCursor = nullptr;
    CToolTipCtrl m_toolTip;
};
