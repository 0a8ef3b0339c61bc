// The bar along one edge of the frame that holds docked tool bars in rows.
#pragma once

#include "afx/wnd.h"

#include <vector>

class CTKPCommandBar;
class CTKPCommandBars;
class CTKPToolBar;

class CTKPDockBar : public CWnd {
    DECLARE_DYNAMIC(CTKPDockBar)
public:
    explicit CTKPDockBar(CTKPCommandBars* bars = nullptr);
    ~CTKPDockBar() override;

    BOOL Create(CWnd* pParent, DWORD style, UINT id);
    // Docks a bar: without a rectangle in a new last row; with one (screen co-ordinates) into the
    // row its centre falls in, which becomes the bar's last docked place.
    void DockCommandBar(CTKPToolBar* bar, LPCRECT rect = nullptr);
    // Enters the bar as the first of the row whose far edge lies beyond the point (client
    // co-ordinates), in a new row between two when the point is on their border, else in a new
    // last row. Returns the entry's index.
    int InsertAtPoint(CTKPToolBar* bar, POINT centre);
    // A stretching bar gets a row of its own; empty rows go.
    void NormalizeRows();
    // Takes the bar off; an empty row goes with it. `excluded` is an index not to look at (-1).
    BOOL RemoveCommandBar(CTKPCommandBar* bar, int excluded = -1);
    int FindBar(CTKPCommandBar* bar, int excluded = -1) const;
    CTKPCommandBar* GetBar(int index) const;
    int GetBarCount() const { return int(m_bars.size()); }
    // Puts a bar (or, for null, a row break) at an index of the entries, as a saved row order
    // gives it.
    void InsertEntry(int index, CTKPCommandBar* bar);
    // 0 top, 1 bottom, 2 left, 3 right, from the alignment of the bar style.
    int GetPosition() const;
    DWORD GetBarStyle() const { return m_dwStyle; }
    CTKPCommandBars* GetCommandBars() const { return m_pCommandBars; }

    // One docked bar's place inside the dock bar.
    struct Placement {
        CTKPToolBar* bar;
        RECT rect;
    };
    // Lays the visible bars out row by row for the dock bar's length (its width along the top or
    // bottom, its height along a side) and returns the thickness the rows take. Each bar starts
    // where it was last docked along its row; overlapping bars are pushed apart, bars of a row too
    // long shrink (hiding controls behind their expand buttons), and the last bar of a row that
    // still does not fit moves to a new row after it. With commit the bars keep their layouts.
    int CalcRows(int length, BOOL commit, std::vector<Placement>* places = nullptr);
    // The layout mode (LM_* and TKP_LAYOUT_SINGLEROW) a bar is measured with in this dock bar.
    DWORD LayoutModeFor(CTKPToolBar* bar, BOOL horizontal) const;

protected:
    // One row: its thickness, or 0 with `spill` set to the bar that must move to a new row.
    int LayoutRow(const std::vector<CTKPToolBar*>& row, int offset, int length, BOOL commit,
                  std::vector<Placement>* places, CTKPToolBar*& spill);
    afx_msg void OnRButtonDown(UINT flags, CPoint pt);
    afx_msg LRESULT OnSizeParent(WPARAM wParam, LPARAM lParam);
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    DECLARE_MESSAGE_MAP()

private:
    DWORD m_dwStyle = 0;
    // A null entry ends a row.
    std::vector<CTKPCommandBar*> m_bars;
    CTKPCommandBars* m_pCommandBars;
};
