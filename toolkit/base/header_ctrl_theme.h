// The looks of the toolkit header: the classic theme, the flat and soft variants, and their factory.
#pragma once

#include "afx/gdi.h"
#include "toolkit/base/system_probes.h"
#include "toolkit/base/theme_manager.h"
#include "win32/controls/header.h"

class CTKHeaderCtrl;

// Draw-style flags of a header theme.
#define TKHEADER_VISUALSTYLE 0x0001 // the system's "HEADER" visual style, when one is active
#define TKHEADER_HOTTRACK 0x0002    // the item under the cursor is drawn hot
#define TKHEADER_SORTARROW 0x0004   // the sort column shows its arrow

// Item states in the draw record.
#define TKHEADER_STATE_PRESSED 0x0001
#define TKHEADER_STATE_HOT 0x0040

// The classic look: a double raised frame in the system's 3-D colours. The flat and soft looks
// change only their background, item borders and layout.
class CTKHeaderCtrlTheme : public CTKThemeStyleBase {
public:
    CTKHeaderCtrlTheme();
    ~CTKHeaderCtrlTheme() override;

    void RefreshMetrics() override;

    virtual void DrawHeader(CDC* pDC, CTKHeaderCtrl* pHeader);
    virtual BOOL UsesVisualStyle(CTKHeaderCtrl* pHeader);
    virtual void SetDrawStyle(DWORD dwFlags, CTKHeaderCtrl* pHeader);
    virtual DWORD GetDrawStyle() const { return m_dwDrawStyle; }
    virtual BOOL Layout(HDLAYOUT* pLayout, CTKHeaderCtrl* pHeader);
    virtual void OnDestroyHeader(CTKHeaderCtrl* pHeader);
    virtual BOOL SetBitmap(int nColumn, UINT nBitmapID, BOOL bRemove, COLORREF clrMask, CTKHeaderCtrl* pHeader);
    virtual void DrawBackground(LPDRAWITEMSTRUCT lpDIS);
    virtual BOOL DrawBackgroundThemed(LPDRAWITEMSTRUCT lpDIS);
    virtual void DrawItemBorder(LPDRAWITEMSTRUCT lpDIS);
    virtual BOOL DrawItemThemed(LPDRAWITEMSTRUCT lpDIS);
    // The arrow sits right of the text rectangle; lpDIS->rcItem is the whole item.
    virtual void DrawSortArrow(LPDRAWITEMSTRUCT lpDIS, const RECT& rcText, BOOL bAscending);
    virtual void DrawItemText(LPDRAWITEMSTRUCT lpDIS, CTKHeaderCtrl* pHeader);
    // Moves the text's left edge past the image.
    virtual void DrawItemImage(LPDRAWITEMSTRUCT lpDIS, RECT& rcText, CTKHeaderCtrl* pHeader);
    virtual void DrawArrow(CDC* pDC, const POINT pts[3], BOOL bAscending);

    int m_nThemeId = 0;
    int m_nArrowMargin = 10;
    DWORD m_dwDrawStyle = TKHEADER_VISUALSTYLE | TKHEADER_HOTTRACK | TKHEADER_SORTARROW;
    BOOL m_bNativeInUse = FALSE;
    int m_nTextMargin = 6;
    int m_nTextTop = 0;
    int m_cxArrow = 8;
    int m_cyArrow = 7;
    COLORREF m_clrText = 0;
    COLORREF m_clrFace = 0;
    COLORREF m_clrShadow = 0;
    COLORREF m_clrDarkShadow = 0;
    COLORREF m_clrHighlight = 0;
    CTKPThemeHandle m_themeHeader;

protected:
    // A vertical line from y1 to y2 (end excluded), as the item borders draw them.
    static void VerticalLine(HDC hdc, int x, int y1, int y2, COLORREF color);
};

class CTKHeaderCtrlThemeFlat : public CTKHeaderCtrlTheme {
public:
    CTKHeaderCtrlThemeFlat();
    void DrawBackground(LPDRAWITEMSTRUCT lpDIS) override;
    void DrawItemBorder(LPDRAWITEMSTRUCT lpDIS) override;
};

class CTKHeaderCtrlThemeSoft : public CTKHeaderCtrlTheme {
public:
    CTKHeaderCtrlThemeSoft();
    BOOL Layout(HDLAYOUT* pLayout, CTKHeaderCtrl* pHeader) override;
    void DrawBackground(LPDRAWITEMSTRUCT lpDIS) override;
    void DrawItemBorder(LPDRAWITEMSTRUCT lpDIS) override;
};

// Theme id 1 gives the flat look, 2 the soft one, any other id the classic one.
class CTKHeaderCtrlThemeFactory : public CTKThemeManagerStyleFactory {
    DECLARE_DYNCREATE(CTKHeaderCtrlThemeFactory)
public:
    CTKThemeStyleBase* CreateTheme(int themeId) override;
};

CTKHeaderCtrlTheme* CreateHeaderCtrlTheme(int themeId);
