// CGradientProgressCtrl: a progress bar filled with a multi-stop gradient, a text and a moving-block mode.
#pragma once

#include <vector>

#include "afx/afx.h"
#include "afx/tree_ctrl.h"

// Style bits of the bar, beside PBS_VERTICAL.
#define PBS_TEXT_PERCENT 0x0100  // the window text formats the percentage ("%d%%" when empty)
#define PBS_TEXT_POSITION 0x0200 // the window text formats the position ("%d" when empty)
#define PBS_TEXT_ON_BAR 0x1000   // the text sits on the filled part when it fits there
#define PBS_GRADIENT_FILLED 0x2000 // the gradient spans the filled part only
#define PBS_REVERSE 0x4000       // fill from the other end
#define PBS_MOVING_BLOCK 0x8000  // a block of fixed length runs along the bar

class CGradientProgressCtrl : public CProgressCtrl {
public:
    struct PaintInfo {
        HDC dc;
        DWORD style;
        CRect bar;
        int position, lower, upper;
    };

    CGradientProgressCtrl();

    void SetProgressText(LPCWSTR lpszText, DWORD dwFlags);
    void SetBarBrush(HBRUSH brush) { m_barBrush = brush; }
    void SetBackBrush(HBRUSH brush) { m_backBrush = brush; }
    void SetTextColours(COLORREF bar, COLORREF back) { m_barTextColour = bar; m_backTextColour = back; }
    void SetMargins(const RECT& margins) { m_margins = margins; }

    // The text drawn for a format and a value: a format holding more than one integer conversion,
    // or any other conversion, is shown as it stands rather than handed to the formatter.
    static CString FormatBarText(const CString& format, int value);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    virtual void DrawGradient(const PaintInfo& info, int gradientFrom, int gradientTo, int fillFrom, int fillTo);
    virtual void FillGradientSegment(const PaintInfo& info, int from, int to, int clipFrom, int clipTo, COLORREF first,
                                     COLORREF last);
    virtual void DrawBarText(const PaintInfo& info, int fillFrom, int fillTo);
    virtual void DrawClippedText(const PaintInfo& info, const CRect& clip, CPoint origin, const CString& text);
    // False when the control's own handling should run; else the previous position is in result.
    virtual bool UpdatePosition(int value, bool relative, LRESULT& result);

    // The rectangle of the extent [a, b] of the bar, counted from the end it fills from.
    static CRect BarRect(const PaintInfo& info, int a, int b);

private:
    void Paint(HDC target);

    std::vector<COLORREF> m_colours;
    HBRUSH m_barBrush = nullptr;
    COLORREF m_backColour;
    HBRUSH m_backBrush = nullptr;
    COLORREF m_barTextColour;
    COLORREF m_backTextColour;
    int m_blockStart = 0;
    int m_blockLength = 40;
    int m_step = 10;
    CRect m_margins{0, 0, 0, 0};
};
