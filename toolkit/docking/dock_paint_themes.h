// The docking themes 1 to 9: each a painter that changes a few drawing steps, metrics and colours.
#pragma once

#include "toolkit/docking/dock_paint_manager.h"

// Theme 4: a flat caption with two grooves after the title; the base of themes 1 and 8.
class CTKPPaneGrooveTheme : public CTKPPaneDefaultTheme {
public:
    CTKPPaneGrooveTheme();
    void DrawCaption(CDC* dc, CTKPPaneBase* container, const RECT& rc) override;
    void DrawCaptionButton(CDC* dc, CTKPPaneCaptionButton* button, COLORREF color) override;
    void DrawFloatingFrame(CDC* dc, CWnd* window, const RECT& rc) override;
    virtual void DrawCaptionPart(CDC* dc, CTKPPaneBase* pane, RECT rc, const CString& title, BOOL active,
                                 BOOL vertical);
    // The background of a caption; returns the glyph colour of its buttons.
    virtual COLORREF DrawCaptionBackground(CDC* dc, const RECT& rc, BOOL active, BOOL vertical);
    // Draws the face of a hot or pressed button; returns the glyph colour, -1 for the usual one.
    virtual COLORREF DrawButtonFace(CDC* dc, CTKPPaneCaptionButton* button, const RECT& rc);

protected:
    // Caption strip fill and caption rectangle of themes 1, 4, 6, 8 and 9.
    void DrawStripCaption(CDC* dc, CTKPPaneBase* container, const RECT& rc);
};

// Theme 1: caption gradients and caption text colours.
class CTKPPaneGradientTheme : public CTKPPaneGrooveTheme {
public:
    CTKPPaneGradientTheme();
    void RefreshMetrics() override;
    void DrawCaptionPart(CDC* dc, CTKPPaneBase* pane, RECT rc, const CString& title, BOOL active,
                         BOOL vertical) override;
    COLORREF DrawCaptionBackground(CDC* dc, const RECT& rc, BOOL active, BOOL vertical) override;

    CTKPGradientColor m_clrNormalCaption;
    CTKPGradientColor m_clrActiveCaption;
    CTKPColorValue m_clrNormalCaptionText;
    CTKPColorValue m_clrActiveCaptionText;
    BOOL m_bGradientCaption = FALSE;  // the caption background is a gradient (themes 3 and 6)
};

// Theme 2: gradient captions with clipped corners and a dotted gripper; theme 7 builds on it.
class CTKPPaneGripperTheme : public CTKPPaneGradientTheme {
public:
    CTKPPaneGripperTheme();
    void RefreshMetrics() override;
    void DrawCaption(CDC* dc, CTKPPaneBase* container, const RECT& rc) override;
    void DrawCaptionPart(CDC* dc, CTKPPaneBase* pane, RECT rc, const CString& title, BOOL active,
                         BOOL vertical) override;
    COLORREF DrawButtonFace(CDC* dc, CTKPPaneCaptionButton* button, const RECT& rc) override;

    BOOL m_bRoundedCaption = TRUE;
    BOOL m_bCaptionGripper = TRUE;
};

// Theme 7: theme 2 with a large bold caption font and no gripper.
class CTKPPaneBoldCaptionTheme : public CTKPPaneGripperTheme {
public:
    CTKPPaneBoldCaptionTheme();
    void RefreshMetrics() override;
};

// Theme 3: the visual style's window caption and explorer-bar buttons, else as theme 1.
class CTKPPaneNativeTheme : public CTKPPaneGradientTheme {
public:
    CTKPPaneNativeTheme();
    ~CTKPPaneNativeTheme() override;
    void RefreshMetrics() override;
    void DrawCaption(CDC* dc, CTKPPaneBase* container, const RECT& rc) override;
    void DrawCaptionPart(CDC* dc, CTKPPaneBase* pane, RECT rc, const CString& title, BOOL active,
                         BOOL vertical) override;
    void DrawCaptionButton(CDC* dc, CTKPPaneCaptionButton* button, COLORREF color) override;

    CTKPThemeHandle* m_pThemeWindow = nullptr;
    CTKPThemeHandle* m_pThemeExplorer = nullptr;
};

// Theme 5: framed containers with filled hot and pressed buttons.
class CTKPPaneFramedTheme : public CTKPPaneGradientTheme {
public:
    CTKPPaneFramedTheme();
    void DrawTabbedContainer(CDC* dc, CTKPPaneBase* container, const RECT& rc) override;
    void DrawCaption(CDC* dc, CTKPPaneBase* container, const RECT& rc) override;
    void DrawCaptionPart(CDC* dc, CTKPPaneBase* pane, RECT rc, const CString& title, BOOL active,
                         BOOL vertical) override;
    void AdjustTabbedClientRect(CTKPPaneBase* container, RECT& rc, BOOL redraw) override;
    COLORREF DrawButtonFace(CDC* dc, CTKPPaneCaptionButton* button, const RECT& rc) override;
};

// Theme 6: gradient splitters and soft caption gradients.
class CTKPPaneSoftTheme : public CTKPPaneGradientTheme {
public:
    CTKPPaneSoftTheme();
    void RefreshMetrics() override;
    void DrawCaptionPart(CDC* dc, CTKPPaneBase* pane, RECT rc, const CString& title, BOOL active,
                         BOOL vertical) override;
};

// Theme 8: captions that continue the frame's rebar while its visual style is open.
class CTKPPaneRebarTheme : public CTKPPaneGradientTheme {
public:
    CTKPPaneRebarTheme();
    ~CTKPPaneRebarTheme() override;
    void RefreshMetrics() override;
    COLORREF DrawCaptionBackground(CDC* dc, const RECT& rc, BOOL active, BOOL vertical) override;

    CTKPThemeHandle* m_pThemeRebar = nullptr;
    CTKPThemeHandle* m_pThemeToolbar = nullptr;
};

// Theme 9: theme 6 with captions framed on three sides.
class CTKPPaneBorderedTheme : public CTKPPaneSoftTheme {
public:
    CTKPPaneBorderedTheme();
    void RefreshMetrics() override;
    COLORREF DrawCaptionBackground(CDC* dc, const RECT& rc, BOOL active, BOOL vertical) override;
    void DrawCaptionPart(CDC* dc, CTKPPaneBase* pane, RECT rc, const CString& title, BOOL active,
                         BOOL vertical) override;

    CTKPColorValue m_clrBorder;
    BOOL m_bCaptionTowardsBottom = FALSE;
};
