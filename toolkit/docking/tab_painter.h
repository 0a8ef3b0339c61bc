// The tab painter: measures, lays out and draws tab strips through an exchangeable shape style
// and colour scheme.
#pragma once

#include "afx/cmd_target.h"
#include "afx/gdi.h"
#include "afx/geometry.h"
#include "afx/string.h"

#include <vector>

class CTKPTabStrip;
class CTKPTabPainter;
class CTKPTabManagerItem;
class TabColorScheme;

// How the tabs share the row.
#define TKP_TABLAYOUT_AUTOSIZE 0
#define TKP_TABLAYOUT_SIZETOFIT 1
#define TKP_TABLAYOUT_FIXED 2
#define TKP_TABLAYOUT_COMPRESSED 3
#define TKP_TABLAYOUT_MULTIROW 4
#define TKP_TABLAYOUT_ROTATED 5

// What the header background does to the client area.
#define TKP_TABCLIENT_FRAME 0
#define TKP_TABCLIENT_EDGE 1
#define TKP_TABCLIENT_NONE 2

// Margins are given for top tabs and turned for the other positions.
void InflateByMargin(CRect& rc, const CRect& margin, int position);
void DeflateByMargin(CRect& rc, const CRect& margin, int position);

// The shape of the tabs: margins, row height, layout, header background and the tab figure.
class TabShapeStyle {
public:
    TabShapeStyle() = default;
    virtual ~TabShapeStyle() = default;
    TabShapeStyle(const TabShapeStyle&) = delete;
    TabShapeStyle& operator=(const TabShapeStyle&) = delete;

    virtual void RefreshMetrics();
    virtual CRect GetHeaderRect(CRect rcControl, const CTKPTabStrip* strip);
    // The rectangle less the header, overlapping it by one pixel.
    virtual CRect GetHeaderArea(CRect rc, const CTKPTabStrip* strip);
    virtual CRect GetContentMargin();
    virtual CRect GetClientMargin();
    virtual int GetTabWidth(CDC* pDC, CTKPTabManagerItem* item);
    virtual int GetRowHeight(const CTKPTabStrip* strip);
    virtual void DrawTabControl(CDC* pDC, CTKPTabStrip* strip, CRect rc);
    // Paints the header background and the client area; returns the header rectangle.
    virtual CRect AdjustHeaderRect(CDC* pDC, CRect rc, CTKPTabStrip* strip);
    virtual void RepositionTabs(CTKPTabStrip* strip, CDC* pDC, CRect rc);
    virtual void AdjustClientRect(CTKPTabStrip* strip, CRect& rc);
    virtual void DrawSingleTab(CDC* /*pDC*/, CTKPTabManagerItem* /*item*/) {}
    virtual void DrawClientFrame(CDC* pDC, CRect rc, int position);
    virtual int GetSupportedSchemes() const { return 13; }
    virtual int GetDefaultColorScheme() const { return 1; }

    TabColorScheme* GetColorScheme() const;
    int GetPosition() const;

    CRect m_rcContentMargin{0, 0, 0, 0};
    int m_nRowSpacing = -2;
    int m_nTextHeight = 18;
    CTKPTabPainter* m_pPainter = nullptr;
    BOOL m_bOverlapOrder = FALSE;

protected:
    void RepositionMultiRow(CTKPTabStrip* strip, CDC* pDC, CRect rc);
    // Draws a 1-pixel edge of rc: top (position 0) or left (1) in c1, bottom (2) or right (3) in c2.
    void DrawHeaderEdge(CDC* pDC, const CRect& rc, int position, COLORREF c1, COLORREF c2);
};

class CTKPTabPainter : public CCmdTarget {
public:
    CTKPTabPainter();
    ~CTKPTabPainter() override;

    virtual void DrawTabControl(CDC* pDC, CTKPTabStrip* strip, CRect rc);
    virtual void AdjustClientRect(CTKPTabStrip* strip, CRect& rc);
    virtual void RepositionTabControl(CTKPTabStrip* strip, CDC* pDC, CRect rc);
    // Measures (empty rectangle) or draws the icon and caption of a tab; returns its width.
    virtual int DrawTabContent(CDC* pDC, CTKPTabManagerItem* item, CRect rc, BOOL draw);
    virtual void RefreshMetrics();
    virtual void RefreshStrips();
    virtual void DrawFocusRect(CDC* pDC, CRect rc);

    void SetTabShapeStyle(int id);
    void SetShapeStyle(TabShapeStyle* style);
    void SetTabColorScheme(int id);
    void SetColorScheme(TabColorScheme* scheme);
    void SetFontIndirect(const LOGFONTW* lf, BOOL useSystem = FALSE);
    int GetTextExtent(CDC* pDC, const CString& text, UINT format);
    void DrawTextEllipsis(CDC* pDC, const CString& text, CRect rc, UINT format);
    int ClampTabWidth(int width, int minWidth, int maxWidth) const;
    void EnsureVisible(CTKPTabStrip* strip, CTKPTabManagerItem* item);
    // The header less the content margin, with the navigation buttons placed at its far end.
    CRect GetTabArea(CTKPTabStrip* strip, CRect rc);
    void SetPosition(int position);
    void SetLayout(int layout);
    int GetShapeStyleId() const { return m_nShapeStyleId; }
    int GetColorSchemeId() const { return m_nColorSchemeId; }
    int GetPosition() const { return m_nPosition; }
    int GetLayout() const { return m_nLayout; }
    TabShapeStyle* GetShapeStyle() const { return m_pStyle; }
    TabColorScheme* GetColorScheme() const { return m_pScheme; }
    int GetRowHeight(const CTKPTabStrip* strip) const;
    CRect GetContentMargin() const;
    // The font a tab's caption is measured and drawn with.
    CFont* GetItemFont(const CTKPTabManagerItem* item);
    // Text runs across the strip for left and right tabs, and the rotated layout turns it back.
    BOOL IsVerticalText() const;

    // The hosts that this painter repositions when its look changes.
    void AddStrip(CTKPTabStrip* strip);
    void RemoveStrip(CTKPTabStrip* strip);

    BOOL m_bHotTracking = FALSE;
    BOOL m_bShowIcons = TRUE;
    BOOL m_bBoldSelected = FALSE;
    BOOL m_bBoldNormal = FALSE;
    BOOL m_bThemeColorsOff = FALSE;
    BOOL m_bColorByItem = FALSE;
    int m_nClientFrame = TKP_TABCLIENT_FRAME;
    BOOL m_bStripFrame = FALSE;
    CRect m_rcClientMargin{0, 0, 0, 0};
    CRect m_rcControlMargin{0, 0, 0, 0};
    CRect m_rcButtonMargin{0, 0, 0, 0};
    BOOL m_bReverseGradients = FALSE;
    BOOL m_bFillBackground = TRUE;
    CSize m_szIcon{16, 16};
    BOOL m_bMiddleEllipsis = FALSE;
    BOOL m_bNoPrefix = TRUE;
    BOOL m_bKeepRowOrder = FALSE;
    BOOL m_bEvenRows = TRUE;
    BOOL m_bFocusRect = TRUE;
    // Set by the docking panes: dragging data over a tab selects it.
    BOOL m_bSelectOnDragOver = TRUE;
    TabShapeStyle* m_pStyle = nullptr;
    TabColorScheme* m_pScheme = nullptr;
    std::vector<CTKPTabStrip*> m_strips;
    int m_nShapeStyleId = 0;
    int m_nColorSchemeId = 1;
    int m_nPosition = 0;
    int m_nLayout = TKP_TABLAYOUT_AUTOSIZE;
    CFont m_fntNormal;
    CFont m_fntBold;
    CFont m_fntVertNormal;
    CFont m_fntVertBold;
    BOOL m_bUseSystemFont = TRUE;
    int m_nTooltipMode = 2;
    int m_nColorCounter = 0;
};
