// The docking themes 1 to 9: caption backgrounds, caption parts, button faces, floating frames and
// the metrics and colours each one chooses.
#include "toolkit/docking/dock_paint_themes.h"

#include "toolkit/base/color_table.h"
#include "toolkit/base/draw_helpers.h"
#include "toolkit/base/system_probes.h"
#include "toolkit/docking/pane_base.h"
#include "toolkit/docking/pane_caption_button.h"
#include "toolkit/docking/pane_holders.h"
#include "toolkit/docking/tab_manager.h"
#include "toolkit/docking/tab_painter.h"

#include <algorithm>

namespace {

// Luna colour schemes: 1 blue, 2 olive, 3 silver.
constexpr int kLunaBlue = 1, kLunaOlive = 2, kLunaSilver = 3;

RECT FarEndLess(RECT rc, int n, BOOL vertical)
{
    (vertical ? rc.bottom : rc.right) -= n;
    return rc;
}

// The shapes (and colour schemes, 0 = the shape's own) of a theme's pane tabs and panel tabs.
void SetTabLooks(CTKPPaneThemePainter* painter, int paneShape, int paneScheme, int panelShape, int panelScheme)
{
    CTKPTabPainter* pane = painter->GetPaneTabPainter();
    CTKPTabPainter* panel = painter->GetPanelTabPainter();
    pane->SetTabShapeStyle(paneShape);
    if (paneScheme)
        pane->SetTabColorScheme(paneScheme);
    panel->SetTabShapeStyle(panelShape);
    if (panelScheme)
        panel->SetTabColorScheme(panelScheme);
}

CTKPPaneThemePainter* MakeDockPainter(int id)
{
    CTKPPaneThemePainter* painter = nullptr;
    switch (id) {
    case 1:
        painter = new CTKPPaneGradientTheme;
        SetTabLooks(painter, 5, 0, 6, 0);
        break;
    case 2:
        painter = new CTKPPaneGripperTheme;
        SetTabLooks(painter, 2, 4, 2, 4);
        break;
    case 3:
        painter = new CTKPPaneNativeTheme;
        SetTabLooks(painter, 0, 8, 0, 8);
        break;
    case 4:
        painter = new CTKPPaneGrooveTheme;
        SetTabLooks(painter, 0, 0, 0, 0);
        break;
    case 5:
        painter = new CTKPPaneFramedTheme;
        SetTabLooks(painter, 8, 0, 6, 0);
        painter->GetPaneTabPainter()->SetLayout(TKP_TABLAYOUT_AUTOSIZE);
        break;
    case 6:
        painter = new CTKPPaneSoftTheme;
        SetTabLooks(painter, 2, 0, 2, 0);
        painter->GetPanelTabPainter()->SetPosition(TKP_TABPOS_TOP);
        break;
    case 7:
        painter = new CTKPPaneBoldCaptionTheme;
        SetTabLooks(painter, 2, 4, 2, 4);
        break;
    case 8:
        painter = new CTKPPaneRebarTheme;
        SetTabLooks(painter, 5, 0, 6, 0);
        break;
    case 9:
        painter = new CTKPPaneBorderedTheme;
        SetTabLooks(painter, 9, 0, 9, 0);
        break;
    default:
        painter = new CTKPPaneDefaultTheme;
        SetTabLooks(painter, 0, 0, 0, 0);
        break;
    }
    return painter;
}

} // namespace

CTKPPaneThemePainter* CreateDockPainter(int id)
{
    return MakeDockPainter(id);
}

// ---- Theme 4 -----------------------------------------------------------------------------------
CTKPPaneGrooveTheme::CTKPPaneGrooveTheme() = default;

void CTKPPaneGrooveTheme::DrawStripCaption(CDC* dc, CTKPPaneBase* container, const RECT& rc)
{
    const BOOL vertical = IsCaptionVertical(container);
    const RECT strip = CaptionStrip(rc, vertical);
    FillRect(dc, strip, m_clrSplitter);
    RECT caption = strip;
    if (vertical) {
        caption.right = std::min<LONG>(strip.right, strip.left + m_nCaptionHeight + 1);
        caption.left += m_rcCaptionMargin.top;
    } else {
        caption.bottom = std::min<LONG>(strip.bottom, strip.top + m_nCaptionHeight + 1);
        caption.top += m_rcCaptionMargin.top;
    }
    const BOOL active = m_bHighlightActiveCaption && IsContainerActive(container);
    DrawCaptionPart(dc, container, caption, SelectedTitle(container), active, vertical);
}

void CTKPPaneGrooveTheme::DrawCaption(CDC* dc, CTKPPaneBase* container, const RECT& rc)
{
    DrawStripCaption(dc, container, rc);
}

COLORREF CTKPPaneGrooveTheme::DrawCaptionBackground(CDC* dc, const RECT& rc, BOOL active, BOOL vertical)
{
    return GetColor(COLOR_BTNTEXT);
}

void CTKPPaneGrooveTheme::DrawCaptionPart(CDC* dc, CTKPPaneBase* pane, RECT rc, const CString& title, BOOL active,
                                          BOOL vertical)
{
    rc = FarEndLess(rc, 2, vertical);
    if (pane)
        DrawCaptionButtons(dc, pane->GetCaptionButtons(), rc, GetColor(COLOR_BTNTEXT), 14, 2, vertical);
    RECT text = FarEndLess(TitleRect(rc, 4, 1, vertical), 2, vertical);
    int grooveStart = (vertical ? text.top : text.left);
    if (!title.IsEmpty()) {
        DrawTitle(dc, title, text, GetColor(COLOR_BTNTEXT), vertical);
        HDC hdc = dc->m_hDC;
        CTKPSelectFont font(hdc, static_cast<HFONT>(m_fntCaption.GetSafeHandle()));
        SIZE size{0, 0};
        ::GetTextExtentPoint32W(hdc, title.GetString(), title.GetLength(), &size);
        grooveStart += size.cx;
    }
    grooveStart += 4;
    const int grooveEnd = vertical ? text.bottom : text.right;
    if (grooveEnd - grooveStart <= 0)
        return;
    const int middle = vertical ? (rc.left + rc.right) / 2 : (rc.top + rc.bottom) / 2;
    for (int at : {middle - 3, middle + 1}) {
        const RECT groove = vertical ? RECT{at, grooveStart, at + 3, grooveEnd} : RECT{grooveStart, at, grooveEnd, at + 3};
        Draw3dRect(dc, groove, 20, 16);
    }
}

COLORREF CTKPPaneGrooveTheme::DrawButtonFace(CDC* dc, CTKPPaneCaptionButton* button, const RECT& rc)
{
    if (button->IsPressed())
        Draw3dRect(dc, rc, 18, 20);
    else if (button->IsSelected())
        Draw3dRect(dc, rc, 20, 18);
    return COLORREF(-1);
}

void CTKPPaneGrooveTheme::DrawCaptionButton(CDC* dc, CTKPPaneCaptionButton* button, COLORREF color)
{
    const RECT rc = button->GetRect();
    const COLORREF face = DrawButtonFace(dc, button, rc);
    RECT glyph = rc;
    if (button->IsPressed())
        ::OffsetRect(&glyph, 1, 1);
    DrawButtonGlyph(dc, button, glyph, face != COLORREF(-1) ? face : color);
}

void CTKPPaneGrooveTheme::DrawFloatingFrame(CDC* dc, CWnd* window, const RECT& rc)
{
    RECT ring = rc;
    const UINT rings[3][2] = {{COLOR_BTNFACE, 0}, {20, 16}, {COLOR_BTNFACE, COLOR_BTNFACE}};
    for (const auto& colors : rings) {
        Draw3dRect(dc, ring, colors[0], colors[1]);
        ::InflateRect(&ring, -1, -1);
    }
    RECT strip{ring.left, ring.top, ring.right, std::min<LONG>(ring.bottom, ring.top + m_nCaptionHeight + 3)};
    FillRect(dc, strip, COLOR_BTNFACE);
    CString title;
    if (window && window->GetSafeHwnd()) {
        const int length = ::GetWindowTextLengthW(window->m_hWnd);
        std::u16string buffer(size_t(length) + 1, u'\0');
        ::GetWindowTextW(window->m_hWnd, buffer.data(), length + 1);
        title = buffer.c_str();
    }
    CTKPPaneBase* pane = dynamic_cast<CTKPPaneBase*>(window);
    CTKPPaneFloatingHolder* mini = AsFloatingHolder(window);
    const BOOL active = m_bHighlightActiveCaption && mini && mini->IsActive();
    RECT caption = strip;
    caption.bottom = std::min<LONG>(strip.bottom, strip.top + m_nCaptionHeight + 1);
    DrawCaptionPart(dc, pane, caption, title, active, FALSE);
}

// ---- Theme 1 -----------------------------------------------------------------------------------
CTKPPaneGradientTheme::CTKPPaneGradientTheme()
{
    m_bDrawBoldCaption = FALSE;
}

void CTKPPaneGradientTheme::RefreshMetrics()
{
    CTKPPaneGrooveTheme::RefreshMetrics();
    m_clrNormalCaption.SetStandardValue(GetColor(COLOR_INACTIVECAPTION), GetColor(COLOR_GRADIENTINACTIVECAPTION));
    m_clrActiveCaption.SetStandardValue(GetColor(COLOR_ACTIVECAPTION), GetColor(COLOR_GRADIENTACTIVECAPTION));
    m_clrNormalCaptionText.SetStandard(GetColor(COLOR_BTNTEXT));
    m_clrActiveCaptionText.SetStandard(GetColor(COLOR_CAPTIONTEXT));
}

COLORREF CTKPPaneGradientTheme::DrawCaptionBackground(CDC* dc, const RECT& rc, BOOL active, BOOL vertical)
{
    if (m_bGradientCaption) {
        GetGradientHelper().GradientFillColor(dc->m_hDC, rc, active ? m_clrActiveCaption : m_clrNormalCaption, !vertical);
    } else if (active) {
        FillRect(dc, rc, m_clrActiveCaption.Light());
    } else {
        // A frame without its corner pixels.
        const int w = rc.right - rc.left, h = rc.bottom - rc.top;
        if (w > 2 && h > 2) {
            FillRect(dc, RECT{rc.left + 1, rc.top, rc.right - 1, rc.top + 1}, 52);
            FillRect(dc, RECT{rc.left + 1, rc.bottom - 1, rc.right - 1, rc.bottom}, 52);
            FillRect(dc, RECT{rc.left, rc.top + 1, rc.left + 1, rc.bottom - 1}, 52);
            FillRect(dc, RECT{rc.right - 1, rc.top + 1, rc.right, rc.bottom - 1}, 52);
        }
    }
    return GetColor(active ? COLOR_CAPTIONTEXT : COLOR_BTNTEXT);
}

void CTKPPaneGradientTheme::DrawCaptionPart(CDC* dc, CTKPPaneBase* pane, RECT rc, const CString& title, BOOL active,
                                            BOOL vertical)
{
    const COLORREF glyph = DrawCaptionBackground(dc, rc, active, vertical);
    rc = FarEndLess(rc, 2, vertical);
    if (pane)
        DrawCaptionButtons(dc, pane->GetCaptionButtons(), rc, glyph, 14, 2, vertical);
    DrawTitle(dc, title, TitleRect(rc, 4, 1, vertical), active ? m_clrActiveCaptionText : m_clrNormalCaptionText,
              vertical);
}

// ---- Theme 2 -----------------------------------------------------------------------------------
CTKPPaneGripperTheme::CTKPPaneGripperTheme()
{
    m_nCaptionSpacing = 7;
    m_bDrawBoldCaption = TRUE;
}

void CTKPPaneGripperTheme::RefreshMetrics()
{
    CTKPPaneGradientTheme::RefreshMetrics();
    const COLORREF face = GetColor(COLOR_BTNFACE);
    m_clrNormalCaption.SetStandardValue(BlendColorsByPercent(face, GetColor(COLOR_WINDOW), 205), face);
    m_clrActiveCaption.SetStandardColor(GetColor(36));
    m_clrNormalCaptionText.SetStandard(GetColor(COLOR_BTNTEXT));
    m_clrActiveCaptionText.SetStandard(GetColor(COLOR_BTNTEXT));
    const int luna = GetColorScheme();
    struct Scheme {
        COLORREF light, dark;
        float factor;
        COLORREF splitter;
    };
    static const Scheme kSchemes[3] = {{0xFEECDD, 0xE2A981, 0.75f, 0xFCE7D8},
                                       {0xDEF7F4, 0x91C6B7, 0.3f, 0xBFE7E2},
                                       {0xFFF9F9, 0xB79B9C, 0.75f, 0xEADFDF}};
    if (luna >= kLunaBlue && luna <= kLunaSilver) {
        const Scheme& s = kSchemes[luna - 1];
        m_clrNormalCaption.SetStandardValue(s.light, s.dark, s.factor);
        m_clrSplitter.SetStandard(s.splitter);
        m_clrSplitterGripper.SetStandard(GetColor(38));
        m_clrSplitterGradient.CopyEffective(GetColorTable().m_gradients[1]);
        m_clrActiveCaption.SetStandardValue(0x8CD5FF, 0x4CA6FF);
    }
}

void CTKPPaneGripperTheme::DrawCaption(CDC* dc, CTKPPaneBase* container, const RECT& rc)
{
    const BOOL vertical = IsCaptionVertical(container);
    const RECT strip = CaptionStrip(rc, vertical);
    const BOOL active = m_bHighlightActiveCaption && IsContainerActive(container);
    const CTKPGradientColor& gradient = active ? m_clrActiveCaption : m_clrNormalCaption;
    HDC hdc = dc->m_hDC;
    if (m_bRoundedCaption) {
        FillRect(dc, strip, m_clrSplitter);
        RECT shrunk = strip;
        (vertical ? shrunk.top : shrunk.left) += 1;
        const int saved = ::SaveDC(hdc);
        ExcludeCorners(hdc, shrunk);
        GetGradientHelper().GradientFillColor(hdc, shrunk, gradient, vertical);
        ::RestoreDC(hdc, saved);
    } else {
        GetGradientHelper().GradientFillColor(hdc, strip, gradient, vertical);
        FillRect(dc, RECT{strip.left, strip.top, strip.left + 1, strip.bottom}, 54);
        FillRect(dc, RECT{strip.left, strip.top, strip.right, strip.top + 1}, 54);
        FillRect(dc, RECT{strip.right - 1, strip.top, strip.right, strip.bottom}, 54);
    }
    DrawCaptionPart(dc, container, strip, SelectedTitle(container), active, vertical);
}

void CTKPPaneGripperTheme::DrawCaptionPart(CDC* dc, CTKPPaneBase* pane, RECT rc, const CString& title, BOOL active,
                                           BOOL vertical)
{
    if (pane)
        DrawCaptionButtons(dc, pane->GetCaptionButtons(), rc, GetColor(COLOR_BTNTEXT), 16, 0, vertical);
    int start = 4;
    if (m_bCaptionGripper) {
        // A column of dots along the start of the caption.
        const int from = vertical ? rc.left : rc.top, to = vertical ? rc.right : rc.bottom;
        const int at = (vertical ? rc.top : rc.left) + 3;
        for (int pos = from + 3; pos + 2 <= to - 2; pos += 4) {
            const RECT shadow = vertical ? RECT{pos + 1, at + 1, pos + 3, at + 3} : RECT{at + 1, pos + 1, at + 3, pos + 3};
            const RECT dot = vertical ? RECT{pos, at, pos + 2, at + 2} : RECT{at, pos, at + 2, pos + 2};
            FillRect(dc, shadow, 20);
            FillRect(dc, dot, 38);
        }
        start = 3 + 2 + 8;
    }
    DrawTitle(dc, title, TitleRect(rc, start, 1, vertical), active ? m_clrActiveCaptionText : m_clrNormalCaptionText,
              vertical);
}

COLORREF CTKPPaneGripperTheme::DrawButtonFace(CDC* dc, CTKPPaneCaptionButton* button, const RECT& rc)
{
    if (!button->IsPressed() && !button->IsSelected())
        return COLORREF(-1);
    const int luna = GetColorScheme();
    if (luna < kLunaBlue || luna > kLunaSilver) {
        // Without a colour scheme the faces are those of the framed theme.
        FillRect(dc, rc, button->IsPressed() ? 33 : 31);
        Rectangle(dc, rc, 32);
        return GetColor(button->IsPressed() ? 47 : 45);
    }
    if (button->IsPressed())
        GetGradientHelper().GradientFillRect(dc->m_hDC, rc, 0x4B8EFE, 0x8BCFFF, FALSE);
    else
        GetGradientHelper().GradientFillRect(dc->m_hDC, rc, 0xC8F2FF, 0x97D4FF, FALSE);
    Rectangle(dc, rc, 32);
    return 0;
}

// ---- Theme 7 -----------------------------------------------------------------------------------
CTKPPaneBoldCaptionTheme::CTKPPaneBoldCaptionTheme()
{
    m_nCaptionSpacing = 3;
    m_bCaptionGripper = FALSE;
    m_bRoundedCaption = FALSE;
}

void CTKPPaneBoldCaptionTheme::RefreshMetrics()
{
    CTKPPaneGripperTheme::RefreshMetrics();
    if (m_bUseSystemFont) {
        LOGFONTW lf{};
        if (::SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(lf), &lf, 0)) {
            std::fill(std::begin(lf.lfFaceName), std::end(lf.lfFaceName), u'\0');
            std::copy_n(u"Arial", 6, lf.lfFaceName);
            lf.lfWeight = FW_BOLD;
            lf.lfHeight = 20;
            SetCaptionFont(lf, TRUE);
        }
    }
    const int luna = GetColorScheme();
    if (luna >= kLunaBlue && luna <= kLunaSilver) {
        m_clrNormalCaption.CopyEffective(GetColorTable().m_gradients[3]);
        m_clrNormalCaptionText.SetStandard(0xFFFFFF);
    } else {
        const COLORREF shadow = GetColor(COLOR_BTNSHADOW);
        m_clrNormalCaption.SetStandardValue(BlendColorsByPercent(shadow, GetColor(COLOR_WINDOW), 205), shadow);
    }
}

// ---- Theme 3 -----------------------------------------------------------------------------------
CTKPPaneNativeTheme::CTKPPaneNativeTheme()
{
    m_nCaptionSpacing = 7;
    m_pThemeWindow = new CTKPThemeHandle;
    m_pThemeExplorer = new CTKPThemeHandle;
}

CTKPPaneNativeTheme::~CTKPPaneNativeTheme()
{
    delete m_pThemeWindow;
    delete m_pThemeExplorer;
}

void CTKPPaneNativeTheme::RefreshMetrics()
{
    CTKPPaneGradientTheme::RefreshMetrics();
    m_pThemeWindow->OpenThemeData(nullptr, u"WINDOW");
    m_pThemeExplorer->OpenThemeData(nullptr, u"EXPLORERBAR");
}

void CTKPPaneNativeTheme::DrawCaption(CDC* dc, CTKPPaneBase* container, const RECT& rc)
{
    if (!m_pThemeWindow->IsAppThemed()) {
        CTKPPaneGradientTheme::DrawCaption(dc, container, rc);
        return;
    }
    const BOOL vertical = IsCaptionVertical(container);
    const BOOL active = m_bHighlightActiveCaption && IsContainerActive(container);
    const RECT caption = vertical ? RECT{0, 0, m_nCaptionHeight + 1, rc.bottom} : RECT{0, 0, rc.right, m_nCaptionHeight + 1};
    m_pThemeWindow->DrawThemeBackground(dc->m_hDC, 2, active ? 1 : 2, &caption, nullptr);
    DrawCaptionPart(dc, container, caption, SelectedTitle(container), active, vertical);
}

void CTKPPaneNativeTheme::DrawCaptionPart(CDC* dc, CTKPPaneBase* pane, RECT rc, const CString& title, BOOL active,
                                          BOOL vertical)
{
    if (!m_pThemeWindow->IsAppThemed()) {
        CTKPPaneGradientTheme::DrawCaptionPart(dc, pane, rc, title, active, vertical);
        return;
    }
    const COLORREF color = GetColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT);
    rc = FarEndLess(rc, 2, vertical);
    if (pane)
        DrawCaptionButtons(dc, pane->GetCaptionButtons(), rc, color, 16, 3, vertical);
    RECT text = rc;
    if (vertical) {
        text.left += 1;
        text.top += 4;
    } else {
        text = TitleRect(rc, 4, 1, FALSE);
    }
    DrawTitle(dc, title, text, color, vertical);
}

void CTKPPaneNativeTheme::DrawCaptionButton(CDC* dc, CTKPPaneCaptionButton* button, COLORREF color)
{
    const UINT id = button->GetID();
    if (!m_pThemeExplorer->IsAppThemed() || (id != TKP_IDS_PANE_CLOSE && id != TKP_IDS_PANE_AUTOHIDE)) {
        CTKPPaneGradientTheme::DrawCaptionButton(dc, button, color);
        return;
    }
    const RECT rc = button->GetRect();
    const int level = button->IsPressed() ? 3 : button->IsSelected() ? 2 : 1;
    if (id == TKP_IDS_PANE_CLOSE)
        m_pThemeExplorer->DrawThemeBackground(dc->m_hDC, 2, level, &rc, nullptr);
    else
        m_pThemeExplorer->DrawThemeBackground(dc->m_hDC, 3, (button->GetState() & 2) ? level : level + 3, &rc, nullptr);
}

// ---- Theme 5 -----------------------------------------------------------------------------------
CTKPPaneFramedTheme::CTKPPaneFramedTheme()
{
    m_nCaptionSpacing = 2;
}

void CTKPPaneFramedTheme::DrawTabbedContainer(CDC* dc, CTKPPaneBase* container, const RECT& rc)
{
    const BOOL active = m_bHighlightActiveCaption && IsContainerActive(container);
    FillRect(dc, rc, active ? 31 : 30);
    if (IsCaptionShown(container) && m_bShowCaption) {
        ::SetBkMode(dc->m_hDC, TRANSPARENT);
        DrawCaption(dc, container, rc);
    }
    DrawContainerTabs(dc, container, rc);
    Pixel(dc, rc.left, rc.top, 51);
    Pixel(dc, rc.right - 1, rc.top, 51);
    Pixel(dc, rc.left, rc.bottom - 1, 51);
    Pixel(dc, rc.right - 1, rc.bottom - 1, 51);
    CTKPPaneTabbedHolder* holder = AsTabbedHolder(container);
    if (!holder || !holder->IsTabsVisible()) {
        RECT client = rc;
        AdjustTabbedClientRect(container, client, FALSE);
        ::InflateRect(&client, 1, 1);
        Rectangle(dc, client, COLOR_BTNSHADOW);
    }
}

void CTKPPaneFramedTheme::DrawCaption(CDC* dc, CTKPPaneBase* container, const RECT& rc)
{
    const BOOL vertical = IsCaptionVertical(container);
    const RECT strip = CaptionStrip(rc, vertical);
    const BOOL active = m_bHighlightActiveCaption && IsContainerActive(container);
    if (vertical)
        FillRect(dc, RECT{strip.left, strip.top, strip.left + 1, strip.bottom}, m_clrSplitter);
    else
        FillRect(dc, RECT{strip.left, strip.top, strip.right, strip.top + 1}, m_clrSplitter);
    RECT caption = strip;
    (vertical ? caption.left : caption.top) += 1;
    DrawCaptionPart(dc, container, caption, SelectedTitle(container), active, vertical);
}

void CTKPPaneFramedTheme::DrawCaptionPart(CDC* dc, CTKPPaneBase* pane, RECT rc, const CString& title, BOOL active,
                                          BOOL vertical)
{
    rc = FarEndLess(rc, 2, vertical);
    const COLORREF text = active ? m_clrActiveCaptionText : m_clrNormalCaptionText;
    if (pane)
        DrawCaptionButtons(dc, pane->GetCaptionButtons(), rc, GetColor(COLOR_BTNTEXT), 14, 2, vertical);
    DrawTitle(dc, title, TitleRect(rc, 4, 1, vertical), text, vertical);
}

void CTKPPaneFramedTheme::AdjustTabbedClientRect(CTKPPaneBase* container, RECT& rc, BOOL redraw)
{
    const BOOL caption = IsCaptionShown(container) && m_bShowCaption;
    CTKPPaneGradientTheme::AdjustTabbedClientRect(container, rc, redraw);
    CTKPPaneTabbedHolder* holder = AsTabbedHolder(container);
    const int extra = holder && holder->IsTabsVisible() ? 0 : 1;
    const int margin = 3 + extra;
    rc.left += margin;
    rc.right -= margin;
    rc.bottom -= margin;
    if (!caption)
        rc.top += margin;
    if (rc.right < rc.left)
        rc.right = rc.left;
    if (rc.bottom < rc.top)
        rc.bottom = rc.top;
}

COLORREF CTKPPaneFramedTheme::DrawButtonFace(CDC* dc, CTKPPaneCaptionButton* button, const RECT& rc)
{
    if (!button->IsPressed() && !button->IsSelected())
        return COLORREF(-1);
    FillRect(dc, rc, button->IsPressed() ? 33 : 31);
    Rectangle(dc, rc, 32);
    return GetColor(button->IsPressed() ? 47 : 45);
}

// ---- Theme 6 -----------------------------------------------------------------------------------
CTKPPaneSoftTheme::CTKPPaneSoftTheme()
{
    m_dwSplitterStyle = splitterStyleGradient;
    m_rcCaptionMargin = RECT{0, 0, 0, 0};
    m_nColorScheme = 0;
    m_bDrawBoldCaption = FALSE;
    m_bGradientCaption = TRUE;
}

void CTKPPaneSoftTheme::RefreshMetrics()
{
    CTKPPaneGradientTheme::RefreshMetrics();
    m_clrNormalCaptionText.SetStandard(GetColor(COLOR_INACTIVECAPTIONTEXT));
    const int luna = GetColorTable().IsSystemThemeDisabled() ? 0 : GetCurrentSystemThemeKind();
    if (luna >= kLunaBlue && luna <= kLunaSilver)
        m_clrNormalCaptionText.SetStandard(0);
    if (luna == kLunaBlue || luna == kLunaOlive) {
        m_clrSplitterGradient.SetStandardValue(0xD7E5E5, 0xE7F1F4);
        m_clrNormalCaption.SetStandardValue(0xC6D7D8, 0xE5EFEE);
    } else if (luna == kLunaSilver) {
        m_clrSplitterGradient.SetStandardValue(0xE5D7D7, 0xF7F3F3);
        m_clrNormalCaption.SetStandardValue(0xEBE0E0, 0xF6F2F2);
        m_clrActiveCaption.SetStandardValue(0xBA9EA0, 0xEBE1E0);
    }
}

void CTKPPaneSoftTheme::DrawCaptionPart(CDC* dc, CTKPPaneBase* pane, RECT rc, const CString& title, BOOL active,
                                        BOOL vertical)
{
    CTKPPaneGradientTheme::DrawCaptionPart(dc, pane, rc, title, active, vertical);
}

// ---- Theme 8 -----------------------------------------------------------------------------------
CTKPPaneRebarTheme::CTKPPaneRebarTheme()
{
    m_nCaptionSpacing = 9;
    m_rcCaptionMargin = RECT{0, 0, 0, 0};
    m_pThemeRebar = new CTKPThemeHandle;
    m_pThemeToolbar = new CTKPThemeHandle;
}

CTKPPaneRebarTheme::~CTKPPaneRebarTheme()
{
    delete m_pThemeRebar;
    delete m_pThemeToolbar;
}

void CTKPPaneRebarTheme::RefreshMetrics()
{
    CTKPPaneGradientTheme::RefreshMetrics();
    m_pThemeRebar->OpenThemeData(nullptr, u"REBAR");
    m_pThemeToolbar->OpenThemeData(nullptr, u"TOOLBAR");
}

COLORREF CTKPPaneRebarTheme::DrawCaptionBackground(CDC* dc, const RECT& rc, BOOL active, BOOL vertical)
{
    if (!m_pThemeRebar->IsOpen())
        return CTKPPaneGradientTheme::DrawCaptionBackground(dc, rc, active, vertical);
    m_pThemeRebar->DrawThemeBackground(dc->m_hDC, 0, 0, &rc, nullptr);
    return GetColor(COLOR_BTNTEXT);
}

// ---- Theme 9 -----------------------------------------------------------------------------------
CTKPPaneBorderedTheme::CTKPPaneBorderedTheme() = default;

void CTKPPaneBorderedTheme::RefreshMetrics()
{
    CTKPPaneSoftTheme::RefreshMetrics();
    m_clrNormalCaption.SetStandardColor(GetColor(COLOR_INACTIVECAPTION));
    m_clrActiveCaption.SetStandardColor(GetColor(COLOR_ACTIVECAPTION));
    m_clrBorder.SetStandard(GetColor(COLOR_BTNSHADOW));
    const int luna = GetColorScheme();
    if (luna == kLunaBlue) {
        m_clrNormalCaption.SetStandardColor(0xBAC7CC);
        m_clrActiveCaption.SetStandardValue(0xED803B, 0xC56A31);
    } else if (luna == kLunaOlive) {
        m_clrNormalCaption.SetStandardColor(0xBAC7CC);
        m_clrActiveCaption.SetStandardValue(0x92C3B6, 0x75A091);
    } else if (luna == kLunaSilver) {
        m_clrNormalCaption.SetStandardColor(0xF5F0F0);
        m_clrActiveCaption.SetStandardValue(0xDDD4D3, 0xBFA5A6);
        m_clrBorder.SetStandard(0x9C9B91);
    }
}

COLORREF CTKPPaneBorderedTheme::DrawCaptionBackground(CDC* dc, const RECT& rc, BOOL active, BOOL vertical)
{
    GetGradientHelper().GradientFillColor(dc->m_hDC, rc, active ? m_clrActiveCaption : m_clrNormalCaption, !vertical);
    // Framed on three sides, open towards the pane.
    const COLORREF border = m_clrBorder;
    FillRect(dc, RECT{rc.left, rc.top, rc.right, rc.top + 1}, border);
    FillRect(dc, RECT{rc.left, rc.top, rc.left + 1, rc.bottom}, border);
    if (vertical)
        FillRect(dc, RECT{rc.left, rc.bottom - 1, rc.right, rc.bottom}, border);
    else
        FillRect(dc, RECT{rc.right - 1, rc.top, rc.right, rc.bottom}, border);
    return GetColor(active ? COLOR_CAPTIONTEXT : COLOR_BTNTEXT);
}

void CTKPPaneBorderedTheme::DrawCaptionPart(CDC* dc, CTKPPaneBase* pane, RECT rc, const CString& title, BOOL active,
                                            BOOL vertical)
{
    CTKPPaneGradientTheme::DrawCaptionPart(dc, pane, rc, title, active, vertical);
}
