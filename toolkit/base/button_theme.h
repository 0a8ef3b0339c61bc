// The looks of the toolkit button: the default theme with its 3-D, flat and semi-flat frames,
// theme 1 with flat fills and frames, theme 2 with gradient fills, and the factory that picks one
// by theme id.
#pragma once

#include "afx/gdi.h"
#include "afx/geometry.h"
#include "toolkit/base/color_value.h"
#include "toolkit/base/system_probes.h"
#include "toolkit/base/theme_manager.h"

class CTKButton;

// Toolkit button style bits (CTKButton::SetXButtonStyle).
#define TKBS_FLAT 0x0001
#define TKBS_SEMIFLAT 0x0002
#define TKBS_IMAGEABOVE 0x0004    // the image centred above the text
#define TKBS_FOCUSRECT 0x0010
#define TKBS_HALFTONE 0x0020      // halftone background while pushed or checked
#define TKBS_THEME1 0x0040
#define TKBS_VISUALSTYLE 0x1000   // the system's "BUTTON" visual style, when one is active

// The 50 % checker of a pushed or checked button: colour index 15 and 20 in alternate pixels.
void FillHalftoneRect(HDC hdc, const RECT& rc);

class CTKButtonTheme : public CTKThemeStyleBase {
public:
    CTKButtonTheme();
    ~CTKButtonTheme() override;

    void RefreshMetrics() override;

    virtual BOOL IsHotTrackEnabled(CTKButton* button);
    virtual BOOL UsesVisualStyle(CTKButton* button);
    virtual HFONT GetFont(CTKButton* button);
    // A font of the theme's own; null goes back to the button's font.
    virtual BOOL SetFont(const LOGFONTW* font);
    virtual void SetColors(COLORREF face, COLORREF lightFace, COLORREF shadow, COLORREF text);
    virtual void SetColorFace(COLORREF color) { m_clrFace.SetOverride(color); }
    virtual COLORREF GetColorFace() { return m_clrFace; }
    virtual void SetColorLightFace(COLORREF color) { m_clrLightFace.SetOverride(color); }
    virtual void SetColorShadow(COLORREF color) { m_clrShadow.SetOverride(color); }
    virtual void SetColorText(COLORREF color) { m_clrText.SetOverride(color); }
    virtual CPoint CalcImagePosition(CSize imageSize, CTKButton* button);
    virtual CPoint CalcTextPosition(UINT state, const CRect& rc, CSize textSize, CTKButton* button);
    virtual COLORREF GetTextColor(UINT state, CTKButton* button);
    virtual void DrawButtonText(CDC* pDC, UINT state, const CRect& rc, CTKButton* button);
    // Where the image goes: its top-left corner and its size.
    virtual CRect CalcImageRect(const CRect& rc, CTKButton* button);
    virtual void DrawButtonImage(CDC* pDC, UINT state, const CRect& rc, CTKButton* button);
    virtual void DrawButton(LPDRAWITEMSTRUCT lpDIS, CTKButton* button);
    virtual BOOL DrawThemedBackground(LPDRAWITEMSTRUCT lpDIS, CTKButton* button);
    virtual void DrawBackground(LPDRAWITEMSTRUCT lpDIS, CTKButton* button);
    virtual void DrawFocus(CDC* pDC, UINT state, const CRect& rc, CTKButton* button);

    int GetThemeId() const { return m_nThemeId; }
    void SetThemeId(int id) { m_nThemeId = id; }

    int m_nThemeId = 0;
    BOOL m_bOffsetHiliteText = TRUE;
    BOOL m_bFadedIcon = FALSE;
    // Images are drawn at all (looks built on this one may draw text only).
    BOOL m_bShowImage = TRUE;
    CFont m_font;
    CTKPColorValue m_clrFace;
    CTKPColorValue m_clrText;
    CTKPColorValue m_clrDisabledText;
    CTKPColorValue m_clrLightFace;
    CTKPColorValue m_clrShadow;
    CTKPColorValue m_clrHighlight;
    CTKPColorValue m_clrDarkShadow;
    CTKPThemeHandle m_themeButton;

protected:
    // The text's extent without mnemonics in the theme's font; 0 x 0 without text.
    CSize MeasureText(CDC* pDC, CTKButton* button);
    // Images shared by the looks: the state's own image at a point.
    void DrawImageAt(CDC* pDC, CTKButton* button, CPoint pt, int which);
    enum { ImageNormal, ImageHot, ImageFaded, ImageShadow, ImageDisabled };
};

// Flat fills in the toolkit's derived colours; the face is index 15, or 30 with the standard-face switch.
class CTKFlatButtonTheme : public CTKButtonTheme {
public:
    explicit CTKFlatButtonTheme(BOOL standardFace = FALSE);

    void RefreshMetrics() override;
    BOOL IsHotTrackEnabled(CTKButton*) override { return TRUE; }
    COLORREF GetTextColor(UINT state, CTKButton* button) override;
    void DrawButtonImage(CDC* pDC, UINT state, const CRect& rc, CTKButton* button) override;
    void DrawBackground(LPDRAWITEMSTRUCT lpDIS, CTKButton* button) override;

    virtual void SetColorHot(COLORREF color) { m_clrHotBack.SetOverride(color); }
    virtual void SetColorHotTracked(COLORREF color) { m_clrHotTrackedBack.SetOverride(color); }
    virtual void SetColorPushedText(COLORREF color) { m_clrPushedText.SetOverride(color); }
    virtual void SetColorHotText(COLORREF color) { m_clrHotText.SetOverride(color); }

    BOOL m_bStandardFace;
    BOOL m_bShadowedHotIcon = TRUE;
    CTKPColorValue m_clrHotBack;
    CTKPColorValue m_clrHotTrackedBack;
    CTKPColorValue m_clrPushedText;
    CTKPColorValue m_clrHotText;
    CTKPColorValue m_clrCheckedBack;

protected:
    // Which fill a state takes; a button neither hot, pushed nor checked takes the face.
    enum Fill { FillFace, FillHotTracked, FillHot, FillChecked };
    Fill ChooseFill(UINT state, CTKButton* button) const;
};

// Theme 1 with gradient fills (the colour table's hot, pushed and checked gradients), no text
// offset, no faded or shadowed icons, and the Luna scheme's colours when one is in use.
class CTKGradientButtonTheme : public CTKFlatButtonTheme {
public:
    explicit CTKGradientButtonTheme(BOOL standardFace = FALSE);

    void RefreshMetrics() override;
    void DrawButtonImage(CDC* pDC, UINT state, const CRect& rc, CTKButton* button) override;
    void DrawBackground(LPDRAWITEMSTRUCT lpDIS, CTKButton* button) override;
};

class CTKButtonThemeFactory : public CTKThemeManagerStyleFactory {
    DECLARE_DYNCREATE(CTKButtonThemeFactory)
public:
    CTKThemeStyleBase* CreateTheme(int themeId) override;
};
