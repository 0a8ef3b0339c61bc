// The native theme: tool bars, rebars, combo boxes and the status bar in the visual style when one is
// active, and the classic look in every call where it is not.
#include "toolkit/base/themes.h"

#include "win32/user.h"

CTKPNativeThemePaint::CTKPNativeThemePaint()
{
    m_iconsInfo.bUseFadedIcons = TRUE;
    m_iconsInfo.bIconsWithShadow = FALSE;
    m_nPopupTextColor = COLOR_MENUTEXT;
}

CTKPNativeThemePaint::~CTKPNativeThemePaint()
{
    m_themeStatusBar.CloseThemeData();
    m_themeComboBox.CloseThemeData();
    m_themeToolbar.CloseThemeData();
    m_themeRebar.CloseThemeData();
}

void CTKPNativeThemePaint::RefreshMetrics()
{
    CTKPClassicTheme::RefreshMetrics();
    // Theme data belongs to the thread's main window; the framework that knows it is not part of
    // the toolkit, so the handles are opened for no window and stay closed without visual styles.
    m_themeRebar.OpenThemeData(nullptr, u"REBAR");
    m_themeToolbar.OpenThemeData(nullptr, u"TOOLBAR");
    m_themeComboBox.OpenThemeData(nullptr, u"COMBOBOX");
    m_themeStatusBar.OpenThemeData(nullptr, u"STATUS");
    BOOL flat = FALSE;
    m_bFlatMenus = SystemParametersInfoW(SPI_GETFLATMENU, 0, &flat, 0) ? flat : FALSE;
    COLORREF c = 0;
    m_clrEdgeShadow = SUCCEEDED(m_themeRebar.GetThemeColor(3, 0, 3806, &c)) ? c : GetColor(COLOR_BTNSHADOW);
    if (m_themeToolbar.IsOpen() && SUCCEEDED(m_themeToolbar.GetThemeColor(0, 0, 3803, &c)))
        m_colors[COLOR_BTNTEXT].m_clrStandard = c;
    if (m_themeRebar.IsOpen() && SUCCEEDED(m_themeRebar.GetThemeColor(0, 0, 3821, &c)))
        m_colors[COLOR_BTNFACE].m_clrStandard = c;
    if (m_themeStatusBar.IsOpen() && SUCCEEDED(m_themeStatusBar.GetThemeColor(1, 0, 3803, &c)))
        m_clrText = c;
}

void CTKPNativeThemePaint::DrawRectangleByState(HDC hdc, const RECT& rc, int selected, int pressed, BOOL enabled,
                                                BOOL checked, BOOL popuped, BOOL toolBar, int position)
{
    if (!Usable(m_themeToolbar)) {
        CTKPClassicTheme::DrawRectangleByState(hdc, rc, selected, pressed, enabled, checked, popuped, toolBar, position);
        return;
    }
    int state;
    if (!enabled)
        state = checked ? 3 : 4;
    else if (popuped)
        state = 3;
    else if (checked && !pressed)
        state = selected ? 6 : 5;
    else if ((selected && pressed) || pressed == 2)
        state = 3;
    else
        state = selected ? 2 : 1;
    m_themeToolbar.DrawThemeBackground(hdc, 1, state, &rc, nullptr);
}

void CTKPNativeThemePaint::DrawSplitButton(HDC hdc, CTKPControlView* control, const RECT& rc)
{
    if (!Usable(m_themeToolbar)) {
        CTKPClassicTheme::DrawSplitButton(hdc, control, rc);
        return;
    }
    BOOL enabled = control->GetEnabled(), open = control->IsPopupOpen();
    int state = !enabled ? 4
                : control->GetSelected() && control->GetPressed() ? 3
                : control->GetChecked() ? 5
                : open || control->GetSelected() ? 2
                                                  : 1;
    RECT button{rc.left, rc.top, rc.right - 12, rc.bottom}, arrow{rc.right - 12, rc.top, rc.right, rc.bottom};
    m_themeToolbar.DrawThemeBackground(hdc, 3, state, &button, nullptr);
    m_themeToolbar.DrawThemeBackground(hdc, 4, open ? 3 : state, &arrow, nullptr);
    SetTextColor(hdc, GetColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
}

void CTKPNativeThemePaint::FillRebarBackground(HDC hdc, CTKPBarView* bar, const RECT& rcClient)
{
    if (!m_themeRebar.IsOpen()) {
        FillRectIndex(hdc, rcClient, COLOR_BTNFACE);
        return;
    }
    DWORD style = 0;
    RECT parent = rcClient;
    if (bar)
        bar->GetParentDockBar(&style, &parent);
    m_themeRebar.DrawThemeBackground(hdc, 0, 0, &parent, &rcClient);
}

void CTKPNativeThemePaint::FillCommandBar(HDC hdc, CTKPBarView* bar)
{
    if (!Usable(m_themeRebar)) {
        CTKPClassicTheme::FillCommandBar(hdc, bar);
        return;
    }
    RECT rc = bar->GetClientRect();
    int pos = bar->GetPosition();
    RECT inner = rc;
    InflateRect(&inner, -1, -1);
    if (pos == TKP_BARPOS_POPUP) {
        if (!m_bFlatMenus) {
            FillRectIndex(hdc, rc, COLOR_MENU);
            Draw3dRectangle(hdc, rc, COLOR_BTNFACE, COLOR_3DDKSHADOW);
            Draw3dRectangle(hdc, inner, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW);
        } else {
            DrawRectangle(hdc, rc, COLOR_MENU, COLOR_BTNSHADOW);
        }
        return;
    }
    if (pos == TKP_BARPOS_FLOATING) {
        FillRectIndex(hdc, rc, COLOR_BTNFACE);
        Draw3dRectangle(hdc, rc, COLOR_BTNFACE, COLOR_3DDKSHADOW);
        Draw3dRectangle(hdc, inner, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW);
        return;
    }
    if (pos == TKP_BARPOS_TOP)
        FillRebarBackground(hdc, bar, rc);
    else
        FillRectIndex(hdc, rc, COLOR_BTNFACE);
    Draw3dColors(hdc, rc, GetColor(COLOR_BTNHIGHLIGHT), m_clrEdgeShadow);
}

SIZE CTKPNativeThemePaint::DrawBarGripper(HDC hdc, CTKPBarView* bar, BOOL draw)
{
    int pos = bar->GetPosition();
    if (bar->IsDialogBar() || !Usable(m_themeRebar) || pos == TKP_BARPOS_FLOATING)
        return CTKPClassicTheme::DrawBarGripper(hdc, bar, draw);
    RECT rc = bar->GetClientRect();
    if (pos == TKP_BARPOS_TOP || pos == TKP_BARPOS_BOTTOM) {
        RECT g{rc.left + 2, rc.top, rc.left + 8, rc.bottom};
        if (draw)
            m_themeRebar.DrawThemeBackground(hdc, 1, 1, &g, nullptr);
        return SIZE{8, 0};
    }
    if (pos == TKP_BARPOS_LEFT || pos == TKP_BARPOS_RIGHT) {
        RECT g{rc.left, rc.top + 2, rc.right, rc.top + 8};
        if (draw)
            m_themeRebar.DrawThemeBackground(hdc, 2, 1, &g, nullptr);
        return SIZE{0, 8};
    }
    return SIZE{0, 0};
}

SIZE CTKPNativeThemePaint::DrawDialogBarGripper(HDC hdc, CTKPBarView* bar, BOOL draw)
{
    if (!Usable(m_themeRebar))
        return CTKPClassicTheme::DrawDialogBarGripper(hdc, bar, draw);
    int height = std::max(22, m_nTextHeight + 4);
    RECT g{2, 3, 8, height};
    if (draw)
        m_themeRebar.DrawThemeBackground(hdc, 1, 1, &g, nullptr);
    return SIZE{8, height};
}

void CTKPNativeThemePaint::AdjustPopupExclusionRect(RECT& rc, CTKPControlView* control, BOOL vertical)
{
    if (!Usable(m_themeRebar)) {
        CTKPClassicTheme::AdjustPopupExclusionRect(rc, control, vertical);
        return;
    }
    CTKPBarView* bar = control->GetParentBarView();
    if (bar && bar->GetType() == TKP_BARTYPE_POPUP)
        InflateRect(&rc, -3, 3);
}

void CTKPNativeThemePaint::DrawSunkenFrame(HDC hdc, const RECT& rc, BOOL lastPane)
{
    if (!Usable(m_themeStatusBar)) {
        CTKPClassicTheme::DrawSunkenFrame(hdc, rc, lastPane);
        return;
    }
    m_themeStatusBar.DrawThemeBackground(hdc, lastPane ? 2 : 1, 0, &rc, nullptr);
}

void CTKPNativeThemePaint::DrawSizeGrip(HDC hdc, const RECT& rc)
{
    if (!Usable(m_themeStatusBar)) {
        CTKPClassicTheme::DrawSizeGrip(hdc, rc);
        return;
    }
    RECT grip{rc.right - 18, rc.top, rc.right, rc.bottom};
    m_themeStatusBar.DrawThemeBackground(hdc, 3, 0, &grip, nullptr);
}

void CTKPNativeThemePaint::FillDockBar(HDC hdc, const CTKPDockBarInfo& dockBar)
{
    if (!Usable(m_themeRebar) || dockBar.nPosition != TKP_BARPOS_TOP) {
        CTKPClassicTheme::FillDockBar(hdc, dockBar);
        return;
    }
    FillRebarBackground(hdc, nullptr, dockBar.rcClient);
}

void CTKPNativeThemePaint::FillFrameClient(HDC hdc, const RECT& rcClient)
{
    if (!Usable(m_themeStatusBar)) {
        CTKPClassicTheme::FillFrameClient(hdc, rcClient);
        return;
    }
    m_themeStatusBar.DrawThemeBackground(hdc, 0, 0, &rcClient, nullptr);
}

void CTKPNativeThemePaint::DrawFieldFrame(HDC hdc, const RECT& rc, BOOL enabled, int selected)
{
    if (!Usable(m_themeComboBox)) {
        CTKPClassicTheme::DrawFieldFrame(hdc, rc, enabled, selected);
        return;
    }
    COLORREF border = 0;
    if (FAILED(m_themeComboBox.GetThemeColor(1, enabled ? 1 : 4, 3801, &border)))
        border = GetColor(COLOR_BTNSHADOW);
    HBRUSH b = CreateSolidBrush(border);
    FrameRect(hdc, &rc, b);
    DeleteObject(b);
}

void CTKPNativeThemePaint::DrawComboDropButton(HDC hdc, const RECT& rcButton, BOOL enabled, int selected,
                                               BOOL dropped)
{
    if (!Usable(m_themeComboBox)) {
        CTKPClassicTheme::DrawComboDropButton(hdc, rcButton, enabled, selected, dropped);
        return;
    }
    RECT rc{rcButton.left - 2, rcButton.top + 1, rcButton.right - 1, rcButton.bottom - 1};
    int state = !enabled ? 4 : dropped ? 3 : selected ? 2 : 1;
    m_themeComboBox.DrawThemeBackground(hdc, 1, state, &rc, nullptr);
}
