// The task-panel themes 1-12: each changes some metrics and colours of the base painter and draws a few
// parts its own way (plain captions in 3-6, button-like captions in 7-12).
#pragma once

#include "toolkit/taskpanel/task_panel_theme.h"

// 1: scheme gradients, captions with a rounded top-left corner over a framed client area.
class CTKPTaskPanelSchemeTheme : public CTKPTaskPanelThemePainter {
public:
    CTKPTaskPanelSchemeTheme();
    void RefreshMetrics() override;
};

// 2: the explorer-bar look (the panel's default).
class CTKPTaskPanelExplorerTheme : public CTKPTaskPanelThemePainter {
public:
    CTKPTaskPanelExplorerTheme();
    void RefreshMetrics() override;
    // Whether the explorer look applies: a visual-style scheme is in use, or it is wanted without one.
    BOOL HasExplorerLook() const;
};

// 3: captions without a background of their own, the groups framed together.
class CTKPTaskPanelPlainTheme : public CTKPTaskPanelThemePainter {
public:
    CTKPTaskPanelPlainTheme();
    void RefreshMetrics() override;
    void FillTaskPanel(CDC* pDC, CTKPTaskPanel* panel) override;
    int DrawGroupCaption(CDC* pDC, CTKPTaskPanelGroup* group, BOOL draw) override;

protected:
    // Themes 4 and 5 leave out the 13-pixel insets, underline the caption and draw no common frame.
    BOOL m_bCaptionInsets = TRUE;
    BOOL m_bUnderlineCaption = FALSE;
    BOOL m_bFrameGroups = TRUE;

    // The width a caption is measured in: the panel's client width less its margins and the group's.
    int CaptionWidth(const CTKPTaskPanelGroup* group) const;
};

// 4: plain captions in toolkit colours.
class CTKPTaskPanelPlainColorTheme : public CTKPTaskPanelPlainTheme {
public:
    CTKPTaskPanelPlainColorTheme();
    void RefreshMetrics() override;
};

// 5: plain captions in the visual style's scheme colours.
class CTKPTaskPanelPlainSchemeTheme : public CTKPTaskPanelPlainColorTheme {
public:
    CTKPTaskPanelPlainSchemeTheme();
    void RefreshMetrics() override;
};

// 6: plain captions with the explorer-bar expand buttons.
class CTKPTaskPanelPlainExplorerTheme : public CTKPTaskPanelPlainTheme {
public:
    CTKPTaskPanelPlainExplorerTheme();
    void RefreshMetrics() override;
    BOOL HasExplorerLook() const;
};

// 7: captions drawn as buttons.
class CTKPTaskPanelButtonTheme : public CTKPTaskPanelPlainTheme {
public:
    CTKPTaskPanelButtonTheme();
    void RefreshMetrics() override;
    int DrawGroupCaption(CDC* pDC, CTKPTaskPanelGroup* group, BOOL draw) override;
    // Paints the caption band; answers the rectangle left for the caption's content.
    virtual CRect DrawCaptionFace(CDC* pDC, CTKPTaskPanelGroup* group, CRect rc);

    // The hot fill of the classic colours: a lighter button face.
    static COLORREF ClassicHotFill(COLORREF face, COLORREF highlight);

protected:
    // The least caption height and what is added to the text height.
    int m_nLeastCaptionHeight = 18;
    int m_nCaptionTextExtra = 5;
};

// 8: button captions in scheme colours, with a plus/minus box.
class CTKPTaskPanelButtonSchemeTheme : public CTKPTaskPanelButtonTheme {
public:
    CTKPTaskPanelButtonSchemeTheme();
    void RefreshMetrics() override;
    CRect DrawCaptionFace(CDC* pDC, CTKPTaskPanelGroup* group, CRect rc) override;
};

// 9: band captions on a dark background.
class CTKPTaskPanelBandTheme : public CTKPTaskPanelButtonTheme {
public:
    CTKPTaskPanelBandTheme();
    void RefreshMetrics() override;
};

// 10: band captions in toolkit colours.
class CTKPTaskPanelBandColorTheme : public CTKPTaskPanelBandTheme {
public:
    CTKPTaskPanelBandColorTheme();
    void RefreshMetrics() override;
};

// 11: band captions with hot and pressed gradients.
class CTKPTaskPanelBandSchemeTheme : public CTKPTaskPanelBandColorTheme {
public:
    CTKPTaskPanelBandSchemeTheme();
    void RefreshMetrics() override;
    CRect DrawCaptionFace(CDC* pDC, CTKPTaskPanelGroup* group, CRect rc) override;

    CTKPGradientColor m_clrCaptionHot;
    CTKPGradientColor m_clrCaptionPressed;
};

// 12: centred band captions over the colour table's gradients.
class CTKPTaskPanelBandCenteredTheme : public CTKPTaskPanelBandSchemeTheme {
public:
    CTKPTaskPanelBandCenteredTheme();
    void RefreshMetrics() override;
    void FillTaskPanel(CDC* pDC, CTKPTaskPanel* panel) override;
    void DrawGroupClientBackground(CDC* pDC, CTKPTaskPanelGroup* group, CRect rc) override;
    CRect DrawCaptionFace(CDC* pDC, CTKPTaskPanelGroup* group, CRect rc) override;
};
