// The dock painters: everything of the docking panes that is not a pane's own window (captions
// and their buttons, splitter bars, borders, floating frames and, through two tab painters, the
// pane tabs), one class per docking theme.
#pragma once

#include "afx/cmd_target.h"
#include "afx/gdi.h"
#include "afx/string.h"
#include "toolkit/base/color_value.h"
#include "toolkit/base/paint_manager.h"

#include <vector>

class CTKPPaneBase;
class CTKPPaneCaptionButton;
class CTKPPaneSplitterWnd;
class CTKPTabPainter;
class CTKPThemeHandle;

// Splitter looks (one of the first three) and marks (added).
enum TKPSplitterStyle {
    splitterStyle3D = 1,
    splitterStyleHalf = 2,
    splitterStyleGradient = 4,
    splitterStyleBar = 0x100,
    splitterStyleDots = 0x200,
};

class CTKPPaneThemePainter : public CCmdTarget {
public:
    CTKPPaneThemePainter();
    ~CTKPPaneThemePainter() override;

    virtual void DrawTabbedContainer(CDC* dc, CTKPPaneBase* container, const RECT& rc);
    virtual void DrawCaption(CDC* dc, CTKPPaneBase* container, const RECT& rc) = 0;
    // Lays the buttons from the far end of rc (its right, or bottom when vertical), squares of
    // size stepping by size + gap, and draws the visible ones.
    virtual void DrawCaptionButtons(CDC* dc, const std::vector<CTKPPaneCaptionButton*>& buttons, RECT& rc,
                                    COLORREF color, int size, int gap, BOOL vertical);
    virtual void DrawCaptionButton(CDC* dc, CTKPPaneCaptionButton* button, COLORREF color) {}
    virtual void RefreshMetrics();
    // The client area of a tabbed container: below its caption and inside its tabs.
    virtual void AdjustTabbedClientRect(CTKPPaneBase* container, RECT& rc, BOOL redraw);
    virtual void AdjustCaptionRect(const CTKPPaneBase* container, RECT& rc);
    virtual void DrawFloatingFrame(CDC* dc, CWnd* window, const RECT& rc) {}
    virtual void DrawSplitter(CDC* dc, CTKPPaneSplitterWnd* splitter);

    // An index above 61 is a colour itself.
    COLORREF GetColor(UINT index) const { return index < 62 ? m_colors[index] : COLORREF(index); }
    void SetColors(int count, const UINT* indexes, const COLORREF* colors);
    void SetCaptionFont(const LOGFONTW& lf, BOOL useSystem);
    int GetColorScheme() const;
    int GetCaptionHeight() const { return m_nCaptionHeight; }
    int GetTabRowHeight() const { return m_nTabsHeight; }
    CTKPTabPainter* GetPaneTabPainter() const { return m_pPaneTabPainter; }
    CTKPTabPainter* GetPanelTabPainter() const { return m_pPanelTabPainter; }

    // Lines, pixels and rectangles in colour indexes.
    void Line(CDC* dc, int x0, int y0, int x1, int y1, UINT color);
    void Pixel(CDC* dc, int x, int y, UINT color);
    void Rectangle(CDC* dc, const RECT& rc, UINT color);
    void FillRect(CDC* dc, const RECT& rc, UINT color);
    void Draw3dRect(CDC* dc, const RECT& rc, UINT topLeft, UINT bottomRight);

    int m_nTheme = 0;  // the id it was made for
    BOOL m_bDrawBoldCaption = TRUE;
    BOOL m_bHighlightActiveCaption = TRUE;
    int m_nSplitterSize = 4;
    BOOL m_bShowCaption = TRUE;
    BOOL m_bReserved = FALSE;
    // Tabbed containers show their tab strip even for a single pane.
    BOOL m_bAlwaysShowTabs = FALSE;
    CTKPColorValue m_clrSplitterGripper;
    CTKPColorValue m_clrSplitter;
    CTKPGradientColor m_clrSplitterGradient;
    DWORD m_dwSplitterStyle = 0;
    int m_nCaptionHeight = 0;
    int m_nCaptionSpacing = 5;
    int m_nTabsHeight = 0;
    CFont m_fntCaption;
    CFont m_fntCaptionVertical;
    BOOL m_bUseTahoma = FALSE;
    BOOL m_bUseSystemFont = TRUE;
    CTKPTabPainter* m_pPaneTabPainter = nullptr;
    CTKPTabPainter* m_pPanelTabPainter = nullptr;
    COLORREF m_colors[62] = {};
    CString m_strCaptionFontFace = u"Tahoma";
    RECT m_rcCaptionMargin{0, 2, 0, 1};
    int m_nColorScheme = 5;

protected:
    // The title of the container's selected pane, empty without one.
    static CString SelectedTitle(CTKPPaneBase* container);
    static BOOL IsContainerActive(CTKPPaneBase* container);
    static BOOL IsCaptionVertical(const CTKPPaneBase* container);
    static BOOL IsCaptionShown(const CTKPPaneBase* container);
    // The container's tab strip, by the pane tab painter, below the caption of rc.
    void DrawContainerTabs(CDC* dc, CTKPPaneBase* container, const RECT& rc);
    // The caption strip: caption height + 3 from the container's top, or from its left edge.
    RECT CaptionStrip(const RECT& rc, BOOL vertical) const;
    // rc shrunk at its start (left, or top when vertical) and at its top (left when vertical).
    static RECT TitleRect(RECT rc, int start, int top, BOOL vertical);
    void DrawTitle(CDC* dc, const CString& title, const RECT& rc, COLORREF color, BOOL vertical);
    void DrawCloseGlyph(CDC* dc, const RECT& rc, COLORREF color);
    void DrawPinGlyph(CDC* dc, const RECT& rc, COLORREF color, BOOL down);
    void DrawMaximizeGlyph(CDC* dc, const RECT& rc, COLORREF color, BOOL restore);
    void DrawMenuGlyph(CDC* dc, const RECT& rc, COLORREF color);
    // Draws the glyph of a caption button by its id, centred in rc.
    void DrawButtonGlyph(CDC* dc, CTKPPaneCaptionButton* button, const RECT& rc, COLORREF color);
};

// Theme 0 and every id outside 1..9: system caption colours and frame-control buttons.
class CTKPPaneDefaultTheme : public CTKPPaneThemePainter {
public:
    CTKPPaneDefaultTheme();
    void DrawCaption(CDC* dc, CTKPPaneBase* container, const RECT& rc) override;
    void DrawCaptionButton(CDC* dc, CTKPPaneCaptionButton* button, COLORREF color) override;
};

// The painter of a theme id; any id outside 1..9 gives the default theme.
CTKPPaneThemePainter* CreateDockPainter(int id);
