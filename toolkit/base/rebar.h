// The frame's rebar in the toolkit's look: it paints without flicker and hosts tool bars as bands,
// each band sized to its bar's one-row layout.
#pragma once

#include "afx/rebar.h"

class CTKPToolBar;

class CTKPReBar : public CReBar {
    DECLARE_DYNAMIC(CTKPReBar)
public:
    CTKPReBar() = default;

    // Lays the bar out in one row, takes it off its dock bar for good and makes it a new band at
    // the end, whose id is the bar's. FALSE when the band could not be made.
    BOOL AddToolBar(CTKPToolBar* pBar);
    // Removes the bar's band; nothing when the bar has none.
    void DeleteToolBar(CTKPToolBar* pBar);
    // The band that holds the bar, or -1.
    int FindToolBarBand(CTKPToolBar* pBar) const;
    // The tool bar that is the band's child, or null.
    CTKPToolBar* GetBandToolBar(int nBand) const;

    // The rebar's own size, after each tool-bar band has been given its bar's current size.
    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;

protected:
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnHeightChange(NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()
};
