// The tab shape styles 0 to 9: their margins, header backgrounds and tab figures. Themes that
// need a variant derive from these.
#pragma once

#include "toolkit/docking/tab_painter.h"

// The style of an id; any id not listed gives style 0.
TabShapeStyle* CreateTabShapeStyle(int id);

// 0: a rectangle with bevelled 3-D edges and cut corners.
class TabShapeStyleBevel : public TabShapeStyle {
public:
    TabShapeStyleBevel() { m_rcContentMargin = CRect(2, 3, 6, 0); }
    CRect GetClientMargin() override;
    CRect AdjustHeaderRect(CDC* pDC, CRect rc, CTKPTabStrip* strip) override;
    void DrawSingleTab(CDC* pDC, CTKPTabManagerItem* item) override;
};

// 1: the bevelled figure for the selected and the hot tab only.
class TabShapeStyleBevelActive : public TabShapeStyleBevel {
public:
    void DrawSingleTab(CDC* pDC, CTKPTabManagerItem* item) override;
};

// 6: a filled rectangle framed in the frame colour.
class TabShapeStyleBox : public TabShapeStyle {
public:
    TabShapeStyleBox() { m_rcContentMargin = CRect(2, 2, 4, 0); }
    CRect AdjustHeaderRect(CDC* pDC, CRect rc, CTKPTabStrip* strip) override;
    void DrawSingleTab(CDC* pDC, CTKPTabManagerItem* item) override;
    int GetSupportedSchemes() const override { return 7; }
    int GetDefaultColorScheme() const override { return 2; }
};

// 2: a framed rectangle with smoothed corners, or a round rectangle.
class TabShapeStyleRounded : public TabShapeStyleBox {
public:
    void DrawSingleTab(CDC* pDC, CTKPTabManagerItem* item) override;
    int GetDefaultColorScheme() const override { return 1; }

    BOOL m_bSmoothCorners = TRUE;
    BOOL m_bSelectedOnly = FALSE;
};

// 7: a trapezoid coloured by state.
class TabShapeStyleTrapezoid : public TabShapeStyleBox {
public:
    TabShapeStyleTrapezoid() { m_rcContentMargin = CRect(2, 3, 2, 0); }
    CRect GetContentMargin() override;
    void DrawSingleTab(CDC* pDC, CTKPTabManagerItem* item) override;
};

// 3: a slanted polygon whose leading side runs at 45 degrees under its neighbour.
class TabShapeStyleSlanted : public TabShapeStyle {
public:
    TabShapeStyleSlanted() { m_rcContentMargin = CRect(2, 3, 6, 0); }
    CRect GetContentMargin() override;
    CRect AdjustHeaderRect(CDC* pDC, CRect rc, CTKPTabStrip* strip) override;
    void DrawSingleTab(CDC* pDC, CTKPTabManagerItem* item) override;
    int GetSupportedSchemes() const override { return 21; }
    int GetDefaultColorScheme() const override { return 4; }

    BOOL m_bHotOutline = FALSE;

protected:
    // Outline and the two inner colours of a tab.
    void GetLineColors(CTKPTabManagerItem* item, BOOL hotRule, COLORREF colors[3]);
};

// 4: the colour scheme's own tab face.
class TabShapeStyleSchemeFace : public TabShapeStyle {
public:
    TabShapeStyleSchemeFace()
    {
        m_rcContentMargin = CRect(2, 2, 4, 2);
        m_nRowSpacing = 0;
    }
    CRect AdjustHeaderRect(CDC* pDC, CRect rc, CTKPTabStrip* strip) override;
    void DrawSingleTab(CDC* pDC, CTKPTabManagerItem* item) override;
    int GetSupportedSchemes() const override { return 31; }
    int GetDefaultColorScheme() const override { return 2; }
};

// 5: flat tabs with separator lines; the selected tab filled and framed.
class TabShapeStyleFlat : public TabShapeStyle {
public:
    TabShapeStyleFlat() { m_rcContentMargin = CRect(4, 2, 4, 0); }
    CRect AdjustHeaderRect(CDC* pDC, CRect rc, CTKPTabStrip* strip) override;
    void DrawSingleTab(CDC* pDC, CTKPTabManagerItem* item) override;
    int GetSupportedSchemes() const override { return 7; }
    int GetDefaultColorScheme() const override { return 2; }
};

// 8: full-width bars stacked above and below the selected tab's client area, with a gripper.
class TabShapeStyleStacked : public TabShapeStyle {
public:
    CRect GetHeaderRect(CRect rc, const CTKPTabStrip* strip) override;
    CRect GetHeaderArea(CRect rc, const CTKPTabStrip* strip) override;
    void DrawTabControl(CDC* pDC, CTKPTabStrip* strip, CRect rc) override;
    void RepositionTabs(CTKPTabStrip* strip, CDC* pDC, CRect rc) override;
    void AdjustClientRect(CTKPTabStrip* strip, CRect& rc) override;
    void DrawSingleTab(CDC* pDC, CTKPTabManagerItem* item) override;
    int GetSupportedSchemes() const override { return 5; }
};

// 9: an eight-point trapezoid wider than its tab; tabs overlap in selection order.
class TabShapeStyleWedge : public TabShapeStyleSlanted {
public:
    TabShapeStyleWedge() { m_bOverlapOrder = TRUE; }
    CRect GetContentMargin() override;
    void DrawSingleTab(CDC* pDC, CTKPTabManagerItem* item) override;
};
