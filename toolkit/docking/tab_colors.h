// Tab colour schemes: every colour the tab painter draws with, and the fills of header, client,
// tab faces and navigation buttons. Scheme ids 1 (default), 2 (flat), 4 (gradient), 8 (native
// theme) and 16 (light gradient).
#pragma once

#include "afx/geometry.h"
#include "toolkit/base/color_value.h"
#include "toolkit/base/system_probes.h"

class CDC;
class CTKPTabPainter;
class CTKPTabStrip;
class CTKPTabManagerItem;
class CTKPTabScrollButton;

#define TKP_TABCOLOR_DEFAULT 1
#define TKP_TABCOLOR_FLAT 2
#define TKP_TABCOLOR_GRADIENT 4
#define TKP_TABCOLOR_NATIVE 8
#define TKP_TABCOLOR_LIGHTGRADIENT 16

// A gradient colour whose light end is this value is drawn as a checkerboard.
#define TKP_TABCOLOR_DITHER COLORREF(-2)

class TabColorScheme {
public:
    TabColorScheme() = default;
    virtual ~TabColorScheme() = default;
    TabColorScheme(const TabColorScheme&) = delete;
    TabColorScheme& operator=(const TabColorScheme&) = delete;

    virtual void RefreshMetrics();
    virtual void SetTabTextColor(CDC* pDC, CTKPTabManagerItem* item);
    virtual void FillHeader(CDC* pDC, CRect rc, CTKPTabStrip* strip);
    virtual COLORREF FillClient(CDC* pDC, CRect rc, CTKPTabStrip* strip);
    virtual void DrawTabFace(CDC* pDC, CRect rc, CTKPTabManagerItem* item);
    virtual COLORREF FillTab(CDC* pDC, CRect rc, CTKPTabManagerItem* item);
    virtual void ExcludeTabCorners(CDC* /*pDC*/, CRect /*rc*/, CTKPTabManagerItem* /*item*/) {}
    // Frames a navigation button by its state and sets the DC's text colour for its glyph.
    virtual void DrawButtonFrame(CDC* /*pDC*/, CTKPTabScrollButton* /*button*/, CRect /*rc*/) {}
    virtual COLORREF GetTabColor(CTKPTabManagerItem* item);
    virtual BOOL IsThemed() const { return FALSE; }

    // A gradient along the tab position (vertical for top and bottom tabs), or the checkerboard
    // when c1 is TKP_TABCOLOR_DITHER.
    void FillGradient(CDC* pDC, CRect rc, COLORREF c1, COLORREF c2, int position);
    void FillGradient(CDC* pDC, CRect rc, const CTKPGradientColor& color, int position)
    {
        FillGradient(pDC, rc, color.Light(), color.Dark(), position);
    }
    int GetShapeStyleId() const;

    CTKPGradientColor m_clrHeader;
    CTKPGradientColor m_clrHeader2;
    CTKPColorValue m_clrFrame;
    CTKPColorValue m_clrHeaderFace;
    CTKPColorValue m_clrFrameHighlight;
    CTKPColorValue m_clrSelected;
    CTKPColorValue m_clrNormal;
    CTKPColorValue m_clrText;
    CTKPColorValue m_clrInactiveText;
    CTKPColorValue m_clrSelectedText;
    CTKPColorValue m_clrHotText;
    CTKPColorValue m_clrDisabledText;
    CTKPGradientColor m_clrSelectedFace;
    CTKPGradientColor m_clrSelectedFrame;
    CTKPColorValue m_clrTabEdges[3];   // light, shadow, dark shadow
    CTKPColorValue m_clrTabEdges2[4];  // outline (normal, selected), inner lines
    CTKPColorValue m_clrStates[6];
    CTKPColorValue m_clrStates2[6];
    CTKPTabPainter* m_pPainter = nullptr;
    // Where DrawButtonFrame moved the glyph (a pressed default button pushes it by one pixel).
    CPoint m_ptGlyphOffset{0, 0};

protected:
    // The sunken/raised frame of the default scheme, glyph colour index 18.
    void DrawDefaultButtonFrame(CDC* pDC, CTKPTabScrollButton* button, CRect rc);
};

class TabColorSchemeDefault : public TabColorScheme {
public:
    void RefreshMetrics() override;
    void DrawButtonFrame(CDC* pDC, CTKPTabScrollButton* button, CRect rc) override;
};

class TabColorSchemeFlat : public TabColorScheme {
public:
    void RefreshMetrics() override;
    void DrawButtonFrame(CDC* pDC, CTKPTabScrollButton* button, CRect rc) override;
};

class TabColorSchemeGradient : public TabColorScheme {
public:
    void RefreshMetrics() override;
    COLORREF FillTab(CDC* pDC, CRect rc, CTKPTabManagerItem* item) override;
    void DrawButtonFrame(CDC* pDC, CTKPTabScrollButton* button, CRect rc) override;

    CTKPColorValue m_clrHot;
    CTKPColorValue m_clrSecond;
    BOOL m_bThemeColors = FALSE;

protected:
    BOOL AreThemeColorsOff() const;
};

class TabColorSchemeLightGradient : public TabColorSchemeGradient {
public:
    void RefreshMetrics() override;

    BOOL m_bLightPreset = FALSE;
};

class TabColorSchemeNative : public TabColorSchemeDefault {
public:
    void RefreshMetrics() override;
    COLORREF FillTab(CDC* pDC, CRect rc, CTKPTabManagerItem* item) override;
    void DrawTabFace(CDC* pDC, CRect rc, CTKPTabManagerItem* item) override;
    void ExcludeTabCorners(CDC* pDC, CRect rc, CTKPTabManagerItem* item) override;
    void DrawButtonFrame(CDC* pDC, CTKPTabScrollButton* button, CRect rc) override;
    BOOL IsThemed() const override;

    CTKPThemeHandle m_themeTab;
    CTKPThemeHandle m_themeToolBar;
};

// The scheme of an id; any id not listed gives the default scheme.
TabColorScheme* CreateTabColorScheme(int id);
