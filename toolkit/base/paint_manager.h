// The command-bar paint manager: the abstract base of the five themes, its shared drawing, and the
// global manager with the theme switch.
#pragma once

#include "toolkit/base/color_table.h"
#include "toolkit/base/command_bar_model.h"
#include "toolkit/base/draw_helpers.h"

#define TKP_THEME_CLASSIC 0
#define TKP_THEME_FLAT 1
#define TKP_THEME_GRADIENT 2
#define TKP_THEME_NATIVE 3
#define TKP_THEME_SOFTGRADIENT 4

struct CTKPIconsInfo {
    BOOL bUseFadedIcons = FALSE;
    BOOL bUseDisabledIcons = FALSE;
    BOOL bIconsWithShadow = FALSE;
    BOOL bGenerateDisabledIcons = FALSE;  // the fourth option: make missing disabled images from the bar gradient
};

struct CTKPFontHolder {
    HFONT m_font = nullptr;
    BOOL m_bAutoRefresh = TRUE;
    LOGFONTW m_logFont{};
};

// What the paint managers read of a dock bar or a frame's client area.
struct CTKPDockBarInfo {
    RECT rcClient;
    DWORD dwStyle;  // window style; 0x4000 or 0x0100 mark the right dock bar
    int nPosition;  // 0 top, 1 bottom, 2 left, 3 right
};

class CTKPStatusBarPane;

class CTKPPaintManager : public CCmdTarget {
public:
    CTKPPaintManager();
    ~CTKPPaintManager() override;

    // ---- Operations each theme fills in or replaces ----
    virtual SIZE DrawPopupBarControl(HDC hdc, CTKPControlView* control, BOOL draw) = 0;
    virtual SIZE DrawToolBarControl(HDC hdc, CTKPControlView* control, BOOL draw);
    virtual void DrawSplitButton(HDC hdc, CTKPControlView* control, const RECT& rc);
    virtual SIZE DrawComboBoxControl(HDC hdc, CTKPControlView* control, BOOL draw) = 0;
    virtual SIZE DrawEditControl(HDC hdc, CTKPControlView* control, BOOL draw) = 0;
    virtual SIZE DrawCustomizeListEntry(HDC hdc, CTKPControlView* control, const RECT& rc, BOOL selected, BOOL draw,
                                        CTKPBarView* bar) = 0;
    virtual void FillCommandBar(HDC hdc, CTKPBarView* bar) = 0;
    // Returns the text colour for the face.
    virtual COLORREF DrawControlFace(HDC hdc, const RECT& rc, int selected, int pressed, BOOL enabled, BOOL checked,
                                     BOOL popuped, int position) = 0;
    virtual COLORREF DrawControlFaceByState(HDC hdc, CTKPControlView* control, const RECT& rc);
    virtual void DrawRectangleByState(HDC hdc, const RECT& rc, int selected, int pressed, BOOL enabled, BOOL checked,
                                      BOOL popuped, BOOL toolBar, int position) = 0;
    virtual SIZE DrawBarGripper(HDC hdc, CTKPBarView* bar, BOOL draw) = 0;
    virtual SIZE DrawGroupSeparator(HDC hdc, CTKPBarView* bar, CTKPControlView* control, BOOL draw) = 0;
    virtual void AdjustPopupExclusionRect(RECT& rc, CTKPControlView* control, BOOL vertical) = 0;
    virtual void DrawSunkenFrame(HDC hdc, const RECT& rc, BOOL lastPane);
    virtual void DrawSizeGrip(HDC hdc, const RECT& rc);
    virtual void FillDockBar(HDC hdc, const CTKPDockBarInfo& dockBar);
    virtual void FillFrameClient(HDC hdc, const RECT& rcClient);
    virtual void RefreshMetrics();
    virtual BOOL IsFlatStyle() const { return FALSE; }
    virtual SIZE DrawSpecialControl(HDC hdc, int kind, CTKPControlView* control, CTKPBarView* bar, BOOL draw,
                                    const RECT& rc);
    virtual RECT GetBarBorders(CTKPBarView* bar);
    virtual SIZE DrawStrip(HDC hdc, const RECT& rc, BOOL selected, BOOL draw) = 0;
    virtual void DrawControlIcon(HDC hdc, CTKPIconView* icon, POINT pt, SIZE size, int selected, int pressed,
                                 BOOL enabled, BOOL checked, BOOL popuped) = 0;
    virtual SIZE DrawDialogBarGripper(HDC hdc, CTKPBarView* bar, BOOL draw) = 0;
    virtual int GetThemeId() const = 0;
    virtual HFONT GetBarFont(CTKPBarView* bar, BOOL bold = FALSE) const;
    virtual void DrawCheckGlyph(HDC hdc, const RECT& rc, COLORREF color, int kind = 0);
    virtual void DrawDropDownTriangle(HDC hdc, const RECT& rc, COLORREF color);
    virtual void AnimatePopup(HDC hdcDest, HDC hdcSource, const RECT& rc, int kind);
    virtual void AnimateExpand(CTKPBarView* popupBar, HDC hdcDest, HDC hdcSource, BOOL downward);
    virtual void ReservedHook() {}
    virtual void DrawStatusBarPaneEntry(HDC hdc, const RECT& rc, CTKPStatusBarPane* pane);

    // ---- Colours ----
    COLORREF GetColor(UINT index) const;
    void SetColors(int count, const UINT* indices, const COLORREF* colors);
    int GetLunaColorMode() const;
    CTKPIconsInfo* GetIconsInfo() { return &m_iconsInfo; }

    SIZE GetControlSize(HDC hdc, CTKPControlView* control, BOOL sizeOnly = TRUE);

    // ---- Fonts ----
    void SetCommandBarsFont(const LOGFONTW* logFont, BOOL useSystemFont = TRUE);
    const LOGFONTW& GetBarLogFont(BOOL vertical = FALSE, BOOL bold = FALSE) const;
    int GetTextHeight() const { return m_nTextHeight; }
    void SetTextHeight(int height) { m_nTextHeight = height; }

    // ---- Shared drawing ----
    void DrawRectangle(HDC hdc, const RECT& rc, int fillIndex, int frameIndex);
    void Draw3dRectangle(HDC hdc, const RECT& rc, int topLeftIndex, int bottomRightIndex);
    void Draw3dColors(HDC hdc, const RECT& rc, COLORREF topLeft, COLORREF bottomRight);
    void FillRectColor(HDC hdc, const RECT& rc, COLORREF color);
    void DrawLine(HDC hdc, int x1, int y1, int x2, int y2, int colorIndex);
    void GradientFill(HDC hdc, const RECT& rc, const CTKPGradientColor& gradient, BOOL horizontal,
                      const RECT* clip = nullptr);
    void FillRectIndex(HDC hdc, const RECT& rc, int colorIndex);

    // The size a caption takes in the DC's font, and a caption drawn in a rectangle.
    virtual SIZE MeasureCaption(HDC hdc, const CString& text, UINT format);
    virtual void DrawCaption(HDC hdc, const CString& text, RECT rc, UINT format);

    // Whether popups of this theme cast their solid shadow (layered shadows also follow the
    // system's drop-shadow setting).
    BOOL HasPopupShadow() const { return m_bPopupShadow; }
    BOOL m_bPopupShadow = FALSE;

    // ---- Fields read directly by the command bars and the status bar ----
    int m_nReserved1 = 0;
    COLORREF m_clrText = 0;
    CTKPGradientColor m_grcBar;
    BOOL m_bBoldGlyph = FALSE;
    BOOL m_bReserved5 = TRUE;
    HFONT m_fontRegular = nullptr, m_fontBold = nullptr, m_fontVert = nullptr, m_fontVertBold = nullptr;
    CTKPFontHolder m_fontSmallCaption, m_fontIconTitle, m_fontIconTitleBold;
    int m_nTextHeight = 0;
    BOOL m_bTahoma = FALSE;
    BOOL m_bUseSystemFont = TRUE;
    int m_nThemeId = 0;
    CTKPIconsInfo m_iconsInfo;
    int m_nAnimationSteps = 10;
    int m_nAnimationDuration = 100;
    int m_nReserved15 = -1;
    CTKPColorValue m_colors[TK_COLOR_COUNT];
    int m_nLunaColorMode = 5;

protected:
    void RefreshFonts();
    void DeleteBarFonts();

    LOGFONTW m_lfRegular{}, m_lfBold{}, m_lfVert{}, m_lfVertBold{};
};

// A bar font built from the system menu font: heights smaller than 11 pixels become 11.
LOGFONTW MakeCommandBarLogFont(const LOGFONTW& menuFont, BYTE charSet);

// The check mark (kind 0) or V (kind 1) centred in the rectangle.
void DrawTickGlyph(HDC hdc, const RECT& rc, COLORREF color, int kind);
// New over old by alpha (0-255) per blue, green and red byte of 32-bit pixels.
void FadeBlendPixels(DWORD* out, const DWORD* newPixels, const DWORD* oldPixels, int count, int alpha);

// ---- The global manager ----
extern CTKPPaintManager* g_pGlobalPaintManager;
CTKPPaintManager* CreatePaintManager(int themeId);
void SetCustomPaintManager(CTKPPaintManager* manager);
void SetGlobalTheme(int themeId);
void DestroyGlobalPaintManager();
CTKPPaintManager* GetGlobalPaintManager();
