// The task panel's paint themes: the base painter holds every metric, colour and font and draws the
// panel, its groups and items; each theme id (0-12) is a small subclass.
#pragma once

#include "afx/gdi.h"
#include "afx/geometry.h"
#include "toolkit/base/color_value.h"
#include "win32/gdi.h"

class CTKPImageIcon;
class CTKPTaskPanel;
class CTKPTaskPanelGroup;
class CTKPTaskPanelGroupItem;
class CTKPTaskPanelItem;
struct TaskPanelScrollButton;

// Expand-button styles.
#define TKP_EXPAND_NONE 0
#define TKP_EXPAND_BITMAPS 1
#define TKP_EXPAND_CHEVRON 2
#define TKP_EXPAND_TRIANGLE 3

// The colours of normal or special groups.
struct TaskPanelGroupColors {
    CTKPGradientColor caption;
    CTKPGradientColor client;
    CTKPColorValue plainCaption;
    int captionGradientStart = 0; // the fraction of the width where the caption gradient begins, in %
    int reserved = 0;
    CTKPColorValue captionText;
    CTKPColorValue captionTextHot;
    CTKPColorValue itemText;
    CTKPColorValue linkText;
    CTKPColorValue linkTextHot;
    CTKPColorValue linkTextHighlight;
};

class CTKPTaskPanelThemePainter {
public:
    CTKPTaskPanelThemePainter();
    virtual ~CTKPTaskPanelThemePainter();
    CTKPTaskPanelThemePainter(const CTKPTaskPanelThemePainter&) = delete;
    CTKPTaskPanelThemePainter& operator=(const CTKPTaskPanelThemePainter&) = delete;

    // The theme of an id; an unknown id gives theme 2. The caller owns it.
    static CTKPTaskPanelThemePainter* CreateTheme(int id);

    virtual void FillTaskPanel(CDC* pDC, CTKPTaskPanel* panel);
    virtual void DrawGroupClientFace(CDC* pDC, CTKPTaskPanelGroup* group);
    virtual int DrawGroupCaption(CDC* pDC, CTKPTaskPanelGroup* group, BOOL draw);
    virtual CRect DrawGroupItem(CDC* pDC, CTKPTaskPanelGroupItem* item, CRect rc, BOOL draw);
    virtual void RefreshMetrics();
    virtual TaskPanelGroupColors* GetGroupColors(const CTKPTaskPanelGroup* group);
    virtual void DrawItemHighlight(CDC* pDC, CTKPTaskPanelItem* item, const CRect& rc);
    virtual CRect GetItemOuterMargins(const CTKPTaskPanelGroupItem* item) const;
    virtual CRect GetItemInnerMargins(const CTKPTaskPanelGroupItem* item) const;
    virtual CRect GetGroupOuterMargins(const CTKPTaskPanelGroup* group) const;
    virtual CRect GetItemIconPadding(const CTKPTaskPanelItem* item) const;
    virtual CRect GetGroupInnerMargins(const CTKPTaskPanelGroup* group) const;
    virtual CRect GetControlMargins(const CTKPTaskPanel* panel) const;
    virtual int GetGroupSpacing(const CTKPTaskPanel* panel) const;
    virtual void DrawScrollButton(CDC* pDC, TaskPanelScrollButton* button);
    virtual void DrawGroupClientBackground(CDC* pDC, CTKPTaskPanelGroup* group, CRect rc);
    virtual void DrawGroupItems(CDC* pDC, CTKPTaskPanelGroup* group, CRect rc);
    virtual CRect DrawExpandButton(CDC* pDC, CTKPTaskPanelGroup* group, CRect rc);
    virtual int GetExpandButtonWidth(const CTKPTaskPanelGroup* group, const CRect& rc) const;
    virtual void DrawItemCaption(CDC* pDC, CTKPTaskPanelItem* item, CRect rc, UINT format);
    virtual void DrawItemImage(CDC* pDC, CTKPTaskPanelItem* item, CPoint pt, CTKPImageIcon* image, CSize size);
    virtual CPoint GetItemContentOffset(const CTKPTaskPanelItem* item) const;
    virtual void DrawDropMark(CDC* pDC, CTKPTaskPanelItem* item, CRect rc, BOOL after);
    virtual void DrawFocusRect(CDC* pDC, const CRect& rc);

    // What the panel's layout and drop handling read.
    BOOL IsDropMarkAfter() const { return m_bDropMarkAfter; }
    BOOL HasCaptionScrollButtons() const { return m_bCaptionScrollButtons; }
    int GetCaptionHeight() const { return m_nCaptionHeight; }
    int GetExpandButtonStyle() const { return m_nExpandButtonStyle; }
    BOOL HasExplorerBitmaps() const { return m_bExplorerBitmaps; }
    HICON GetGlyphIcon(BOOL special) const { return special ? m_hGlyphSpecial : m_hGlyphNormal; }
    HFONT GetCaptionFont() const { return m_hCaptionFont; }
    // The item font by bold and underline.
    HFONT GetItemFont(BOOL bold, BOOL underline) const;
    // COLORREF of the highlight fills and the border.
    const CTKPColorValue& GetHotFill() const { return m_clrHot; }
    const CTKPColorValue& GetSelectedFill() const { return m_clrSelected; }
    const CTKPColorValue& GetPressedFill() const { return m_clrPressed; }
    const CTKPGradientColor& GetBorder() const { return m_clrBorder; }
    const CTKPGradientColor& GetBackground() const { return m_clrBackground; }
    int GetColorStyle() const { return m_nColorStyle; }

    // The glyph of a 19 x 19 bitmap recoloured to the colour: the top-left pixel is the transparent
    // colour; the others take the colour's hue and saturation and a lightness scaled by it.
    static HICON MakeGlyphIcon(UINT bitmapId, COLORREF color);

    // ---- Settings of the base, changed by the themes (all public for the themes to set).
    BOOL m_bExplorerLookWithoutStyle = TRUE;
    int m_nExpandButtonStyle = TKP_EXPAND_CHEVRON;
    BOOL m_bBoldCaption = TRUE;
    CRect m_rcGroupOuterMargins{0, 0, 0, 0};
    CRect m_rcGroupInnerMargins{11, 8, 11, 8};
    CRect m_rcItemOuterMargins{0, 0, 0, 0};
    CRect m_rcItemInnerMargins{2, 2, 2, 2};
    CRect m_rcControlMargins{12, 12, 12, 12};
    int m_nGroupSpacing = 15;
    CRect m_rcIconGridPadding{6, 6, 6, 6};
    CRect m_rcItemIconPadding{0, 0, 0, 0};
    CRect m_rcGroupIconPadding{0, 0, 0, 0};
    int m_nColorStyle = 0;
    BOOL m_bDropMarkAfter = FALSE;
    BOOL m_bCaptionScrollButtons = FALSE;
    BOOL m_bEmbossedDisabledText = FALSE;

    // The visual-style colour scheme in use (1 blue, 2 olive, 3 silver), 0 for none or when ignored.
    static int SchemeKind();
    // A glyph pixel in the target colour's hue and saturation, its lightness scaled by the target's.
    static COLORREF RecolorGlyphPixel(COLORREF pixel, COLORREF transparent, COLORREF target);

protected:
    // Steps of the base metric refresh that the themes run between their own.
    void RefreshFonts();
    void RefreshBaseColors();
    void RefreshHighlightColors();
    // The visual style's explorer-bar bitmaps, else the two glyph icons.
    void LoadExplorerBarBitmaps();
    void FreeExplorerBitmaps();
    void CreateGlyphIcons();
    static void PreMultiply(HBITMAP bitmap);
    // Measures one blank in the caption font on the desktop's DC.
    int MeasureCaptionTextHeight() const;
    // Text colour of an item by its state and the hot-track style.
    COLORREF ItemTextColor(const CTKPTaskPanelItem* item, const TaskPanelGroupColors* colors) const;
    int HotTrackStyle(const CTKPTaskPanelItem* item) const;
    void FillSolid(CDC* pDC, const RECT& rc, COLORREF color) const;
    void FrameSolid(CDC* pDC, const RECT& rc, COLORREF color) const;
    void Draw3dFrame(CDC* pDC, const RECT& rc, COLORREF topLeft, COLORREF bottomRight) const;
    void DrawCaptionImageAndText(CDC* pDC, CTKPTaskPanelGroup* group, CRect rc);
    void DrawChevron(CDC* pDC, const CRect& rc, BOOL up, COLORREF color) const;
    void DrawTriangleButton(CDC* pDC, const CRect& rc, BOOL expanded, COLORREF color) const;
    // The group image at the large icon width, its height scaled.
    CTKPImageIcon* GroupImage(CTKPTaskPanelGroup* group, CSize* size) const;
    CRect DrawItemIconText(CDC* pDC, CTKPTaskPanelGroupItem* item, CRect rc, BOOL draw);
    CRect DrawItemIconAbove(CDC* pDC, CTKPTaskPanelGroupItem* item, CRect rc, BOOL draw);
    CRect DrawItemGrid(CDC* pDC, CTKPTaskPanelGroupItem* item, CRect rc, BOOL draw);
    // The item has the keyboard focus and the panel shows focus cues.
    BOOL ShowsFocus(const CTKPTaskPanelItem* item) const;

public:
    BOOL m_bExplorerBitmaps = FALSE;
    HICON m_hGlyphNormal = nullptr;
    HICON m_hGlyphSpecial = nullptr;
    HBITMAP m_hExplorerBitmaps[8] = {};

    HFONT m_hCaptionFont = nullptr;
    HFONT m_hItemFont = nullptr;
    HFONT m_hItemBoldFont = nullptr;
    HFONT m_hItemUnderlineFont = nullptr;
    HFONT m_hItemBoldUnderlineFont = nullptr;

    TaskPanelGroupColors m_groupNormal;
    TaskPanelGroupColors m_groupSpecial;
    CTKPGradientColor m_clrBackground;
    CTKPColorValue m_clrHot;
    CTKPColorValue m_clrSelected;
    CTKPColorValue m_clrPressed;
    CTKPGradientColor m_clrBorder;
    BOOL m_bClosedClientTop = FALSE;
    BOOL m_bRoundLeftCorner = FALSE;
    BOOL m_bRoundRightCorner = FALSE;
    int m_nCaptionHeight = 25;

    HMODULE m_hMsImg32 = nullptr;
    BOOL(WINAPI* m_pfnAlphaBlend)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION) = nullptr;
    BOOL m_bMakeCaptionFonts = TRUE;
    BOOL m_bMakeItemFonts = TRUE;
    UINT m_nItemTextFormat = 0x810;
    UINT m_nCaptionTextFormat = 0x8824;
};
