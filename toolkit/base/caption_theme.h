// The looks of the caption bar (default, banner and gradient) and of its buttons, each chosen by
// theme id through its style factory.
#pragma once

#include "afx/gdi.h"
#include "toolkit/base/button_theme.h"
#include "toolkit/base/color_value.h"
#include "toolkit/base/theme_manager.h"

class CTKCaption;
class CTKButton;

class CTKCaptionTheme : public CTKThemeStyleBase {
public:
    CTKCaptionTheme();

    void RefreshMetrics() override;

    virtual void DrawCaptionBack(CDC* pDC, CTKCaption* caption, CRect rc);
    virtual void DrawCaptionText(CDC* pDC, CTKCaption* caption);
    virtual void DrawCaptionIcon(CDC* pDC, CTKCaption* caption, const CRect& rc);

    int m_nThemeId = 0;
    CTKPColorValue m_clrShadow;
    CTKPColorValue m_clrHighlight;
};

// Theme 1: a flat banner; a caption without a text button gets a raised frame.
class CTKCaptionBannerTheme : public CTKCaptionTheme {
public:
    void DrawCaptionBack(CDC* pDC, CTKCaption* caption, CRect rc) override;
};

// Theme 2: the colour table's caption gradients.
class CTKCaptionGradientTheme : public CTKCaptionTheme {
public:
    void DrawCaptionBack(CDC* pDC, CTKCaption* caption, CRect rc) override;
};

// The gradient a caption of theme 2 is painted with: the second caption gradient behind a text button.
const CTKPGradientColor& GetCaptionGradient(const CTKCaption* caption);

class CTKCaptionThemeFactory : public CTKThemeManagerStyleFactory {
    DECLARE_DYNCREATE(CTKCaptionThemeFactory)
public:
    CTKThemeStyleBase* CreateTheme(int themeId) override;
};

// The caption's buttons draw the caption's own text (a text button) in the caption's colours.
// Each look is the button look of the same theme id with these changes.
class CTKCaptionButtonTheme : public CTKButtonTheme {
public:
    CTKCaptionButtonTheme();
    COLORREF GetTextColor(UINT state, CTKButton* button) override;
    void DrawButtonText(CDC* pDC, UINT state, const CRect& rc, CTKButton* button) override;
    void DrawButton(LPDRAWITEMSTRUCT lpDIS, CTKButton* button) override;
};

class CTKCaptionButtonFlatTheme : public CTKFlatButtonTheme {
public:
    CTKCaptionButtonFlatTheme();
    COLORREF GetTextColor(UINT state, CTKButton* button) override;
    void DrawButtonText(CDC* pDC, UINT state, const CRect& rc, CTKButton* button) override;
    void DrawBackground(LPDRAWITEMSTRUCT lpDIS, CTKButton* button) override;
};

class CTKCaptionButtonGradientTheme : public CTKGradientButtonTheme {
public:
    COLORREF GetTextColor(UINT state, CTKButton* button) override;
    void DrawButtonText(CDC* pDC, UINT state, const CRect& rc, CTKButton* button) override;
    void DrawBackground(LPDRAWITEMSTRUCT lpDIS, CTKButton* button) override;
};

class CTKCaptionButtonThemeFactory : public CTKThemeManagerStyleFactory {
    DECLARE_DYNCREATE(CTKCaptionButtonThemeFactory)
public:
    CTKThemeStyleBase* CreateTheme(int themeId) override;
};
