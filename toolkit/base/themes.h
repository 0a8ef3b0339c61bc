// The five command-bar themes: classic, native (visual styles, else classic), flat, gradient and soft gradient.
#pragma once

#include "toolkit/base/paint_manager.h"
#include "toolkit/base/system_probes.h"

class CTKPClassicTheme : public CTKPPaintManager {
public:
    CTKPClassicTheme();

    SIZE DrawPopupBarControl(HDC hdc, CTKPControlView* control, BOOL draw) override;
    SIZE DrawComboBoxControl(HDC hdc, CTKPControlView* control, BOOL draw) override;
    SIZE DrawEditControl(HDC hdc, CTKPControlView* control, BOOL draw) override;
    SIZE DrawCustomizeListEntry(HDC hdc, CTKPControlView* control, const RECT& rc, BOOL selected, BOOL draw,
                                CTKPBarView* bar) override;
    void FillCommandBar(HDC hdc, CTKPBarView* bar) override;
    COLORREF DrawControlFace(HDC hdc, const RECT& rc, int selected, int pressed, BOOL enabled, BOOL checked,
                             BOOL popuped, int position) override;
    void DrawRectangleByState(HDC hdc, const RECT& rc, int selected, int pressed, BOOL enabled, BOOL checked,
                              BOOL popuped, BOOL toolBar, int position) override;
    void DrawSplitButton(HDC hdc, CTKPControlView* control, const RECT& rc) override;
    SIZE DrawBarGripper(HDC hdc, CTKPBarView* bar, BOOL draw) override;
    SIZE DrawGroupSeparator(HDC hdc, CTKPBarView* bar, CTKPControlView* control, BOOL draw) override;
    void AdjustPopupExclusionRect(RECT& rc, CTKPControlView* control, BOOL vertical) override;
    SIZE DrawSpecialControl(HDC hdc, int kind, CTKPControlView* control, CTKPBarView* bar, BOOL draw,
                            const RECT& rc) override;
    RECT GetBarBorders(CTKPBarView* bar) override;
    SIZE DrawStrip(HDC hdc, const RECT& rc, BOOL selected, BOOL draw) override;
    void DrawControlIcon(HDC hdc, CTKPIconView* icon, POINT pt, SIZE size, int selected, int pressed, BOOL enabled,
                         BOOL checked, BOOL popuped) override;
    SIZE DrawDialogBarGripper(HDC hdc, CTKPBarView* bar, BOOL draw) override;
    int GetThemeId() const override { return TKP_THEME_CLASSIC; }

    virtual void DrawFieldFrame(HDC hdc, const RECT& rc, BOOL enabled, int selected);
    virtual void DrawComboDropButton(HDC hdc, const RECT& rc, BOOL enabled, int selected, BOOL dropped);
    virtual SIZE DrawControlCaption(HDC hdc, const CString& text, RECT rc, UINT format, BOOL enabled, int selected,
                                    BOOL draw);

    BOOL m_bFlatSelection = FALSE;
    int m_nPopupTextColor = COLOR_BTNTEXT;

protected:
    // The icon column of a popup bar and the height of an entry.
    int PopupColumnWidth(CTKPBarView* bar) const;
    void DrawCheckedPattern(HDC hdc, const RECT& rc);
    // The label and its cached width of combo and edit controls.
    int FieldLabelWidth(HDC hdc, CTKPControlView* control, int columnWidth, int popupExtra, int toolBarExtra);
    SIZE FieldControlSize(HDC hdc, CTKPControlView* control, int labelWidth);
};

class CTKPNativeThemePaint : public CTKPClassicTheme {
public:
    CTKPNativeThemePaint();
    ~CTKPNativeThemePaint() override;

    void DrawSplitButton(HDC hdc, CTKPControlView* control, const RECT& rc) override;
    void FillCommandBar(HDC hdc, CTKPBarView* bar) override;
    void DrawRectangleByState(HDC hdc, const RECT& rc, int selected, int pressed, BOOL enabled, BOOL checked,
                              BOOL popuped, BOOL toolBar, int position) override;
    SIZE DrawBarGripper(HDC hdc, CTKPBarView* bar, BOOL draw) override;
    void AdjustPopupExclusionRect(RECT& rc, CTKPControlView* control, BOOL vertical) override;
    void DrawSunkenFrame(HDC hdc, const RECT& rc, BOOL lastPane) override;
    void DrawSizeGrip(HDC hdc, const RECT& rc) override;
    void FillDockBar(HDC hdc, const CTKPDockBarInfo& dockBar) override;
    void FillFrameClient(HDC hdc, const RECT& rcClient) override;
    void RefreshMetrics() override;
    SIZE DrawDialogBarGripper(HDC hdc, CTKPBarView* bar, BOOL draw) override;
    int GetThemeId() const override { return TKP_THEME_NATIVE; }
    void DrawFieldFrame(HDC hdc, const RECT& rc, BOOL enabled, int selected) override;
    void DrawComboDropButton(HDC hdc, const RECT& rc, BOOL enabled, int selected, BOOL dropped) override;

    CTKPThemeHandle m_themeRebar, m_themeToolbar, m_themeComboBox, m_themeStatusBar;
    COLORREF m_clrEdgeShadow = 0;
    BOOL m_bFlatMenus = TRUE;

private:
    static BOOL Usable(const CTKPThemeHandle& handle) { return handle.IsOpen() && handle.IsAppThemed(); }
    void FillRebarBackground(HDC hdc, CTKPBarView* bar, const RECT& rcClient);
};

class CTKPFlatTheme : public CTKPPaintManager {
public:
    CTKPFlatTheme();

    SIZE DrawPopupBarControl(HDC hdc, CTKPControlView* control, BOOL draw) override;
    SIZE DrawComboBoxControl(HDC hdc, CTKPControlView* control, BOOL draw) override;
    SIZE DrawEditControl(HDC hdc, CTKPControlView* control, BOOL draw) override;
    SIZE DrawCustomizeListEntry(HDC hdc, CTKPControlView* control, const RECT& rc, BOOL selected, BOOL draw,
                                CTKPBarView* bar) override;
    void FillCommandBar(HDC hdc, CTKPBarView* bar) override;
    COLORREF DrawControlFace(HDC hdc, const RECT& rc, int selected, int pressed, BOOL enabled, BOOL checked,
                             BOOL popuped, int position) override;
    void DrawRectangleByState(HDC hdc, const RECT& rc, int selected, int pressed, BOOL enabled, BOOL checked,
                              BOOL popuped, BOOL toolBar, int position) override;
    SIZE DrawBarGripper(HDC hdc, CTKPBarView* bar, BOOL draw) override;
    SIZE DrawGroupSeparator(HDC hdc, CTKPBarView* bar, CTKPControlView* control, BOOL draw) override;
    void AdjustPopupExclusionRect(RECT& rc, CTKPControlView* control, BOOL vertical) override;
    void DrawSunkenFrame(HDC hdc, const RECT& rc, BOOL lastPane) override;
    BOOL IsFlatStyle() const override { return TRUE; }
    SIZE DrawStrip(HDC hdc, const RECT& rc, BOOL selected, BOOL draw) override;
    void DrawControlIcon(HDC hdc, CTKPIconView* icon, POINT pt, SIZE size, int selected, int pressed, BOOL enabled,
                         BOOL checked, BOOL popuped) override;
    SIZE DrawDialogBarGripper(HDC hdc, CTKPBarView* bar, BOOL draw) override;
    int GetThemeId() const override { return TKP_THEME_FLAT; }

    virtual void FillPopupIconColumn(HDC hdc, int x, int y, int width, int height, BOOL hidden);

protected:
    int PopupIconColumnWidth(CTKPBarView* bar) const;
    SIZE FieldSize(HDC hdc, CTKPControlView* control, int* labelWidth);
    void DrawFieldLabel(HDC hdc, CTKPControlView* control, int labelWidth);
};

class CTKPGradientTheme : public CTKPFlatTheme {
public:
    CTKPGradientTheme();
    ~CTKPGradientTheme() override;

    void FillCommandBar(HDC hdc, CTKPBarView* bar) override;
    void DrawRectangleByState(HDC hdc, const RECT& rc, int selected, int pressed, BOOL enabled, BOOL checked,
                              BOOL popuped, BOOL toolBar, int position) override;
    SIZE DrawBarGripper(HDC hdc, CTKPBarView* bar, BOOL draw) override;
    SIZE DrawGroupSeparator(HDC hdc, CTKPBarView* bar, CTKPControlView* control, BOOL draw) override;
    void DrawSunkenFrame(HDC hdc, const RECT& rc, BOOL lastPane) override;
    void DrawSizeGrip(HDC hdc, const RECT& rc) override;
    void FillDockBar(HDC hdc, const CTKPDockBarInfo& dockBar) override;
    void RefreshMetrics() override;
    SIZE DrawSpecialControl(HDC hdc, int kind, CTKPControlView* control, CTKPBarView* bar, BOOL draw,
                            const RECT& rc) override;
    RECT GetBarBorders(CTKPBarView* bar) override;
    SIZE DrawStrip(HDC hdc, const RECT& rc, BOOL selected, BOOL draw) override;
    SIZE DrawDialogBarGripper(HDC hdc, CTKPBarView* bar, BOOL draw) override;
    int GetThemeId() const override { return TKP_THEME_GRADIENT; }
    void FillPopupIconColumn(HDC hdc, int x, int y, int width, int height, BOOL hidden) override;

    virtual BOOL IsDockableBar(CTKPBarView* bar) const;

    // The 16x16 shaded round image of the popup expand entry, image 0 of the list; a refresh
    // replaces it rather than adding another.
    HIMAGELIST GetShadedImageList() const { return m_imlShaded; }

    CTKPGradientColor m_grcDockBar, m_grcToolBarFace, m_grcExpandButton, m_grcShading, m_grcHiddenEntry,
        m_grcPopupedButton;
    CTKPColorValue m_clrToolBarShadow, m_clrFloatingCaption, m_clrStatusPaneBorder, m_clrTearOffStrip;
    BOOL m_bHighlightGradient = FALSE;
    BOOL m_bSoft = FALSE;
    CTKPThemeHandle m_themeStatusBar;
    CTKPGradientColor m_grcChecked, m_grcPressed, m_grcHot;

protected:
    void RebuildShadedImage();
    void PaintDockGradient(HDC hdc, const RECT& rc);

private:
    HIMAGELIST m_imlShaded = nullptr;
};

class CTKPSoftGradientTheme : public CTKPGradientTheme {
public:
    CTKPSoftGradientTheme();
    void RefreshMetrics() override;
    int GetThemeId() const override { return TKP_THEME_SOFTGRADIENT; }
};
