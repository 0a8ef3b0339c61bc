// CTextProgressCtrl: a progress bar that keeps its own state and writes its text across the bar.
#pragma once

#include "afx/afx.h"
#include "afx/tree_ctrl.h"

class CTextProgressCtrl : public CProgressCtrl {
public:
    // The owner's messages for the text colour (lParam) and for showing the text (wParam).
    enum { PBM_SETTEXTCOLOR = WM_USER + 100, PBM_SETSHOWTEXT = WM_USER + 101 };
    static constexpr COLORREF kBarColour = RGB(0, 0, 0x90);

    CTextProgressCtrl() = default;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    int SetPosition(int position);
    double Fraction() const;
    void Paint(HDC target);

    COLORREF m_textColour = CLR_DEFAULT;
    int m_position = 0;
    int m_step = 1;
    int m_upper = 100;
    int m_lower = 0;
    CString m_text;
    BOOL m_showText = TRUE;
    int m_barLength = -1;
    COLORREF m_barColour = CLR_DEFAULT;
    COLORREF m_backColour = CLR_DEFAULT;
};
