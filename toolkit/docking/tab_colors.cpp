// Tab colour schemes: the base colours and the default, flat, gradient, light gradient and native schemes.
#include "toolkit/docking/tab_colors.h"

#include "afx/gdi.h"
#include "toolkit/base/color_table.h"
#include "toolkit/base/draw_helpers.h"
#include "toolkit/docking/tab_manager.h"
#include "toolkit/docking/tab_painter.h"

#include <vector>

namespace {

COLORREF TableColor(int index)
{
    return GetColorTable().GetColorByIndex(UINT(index));
}

void SetIndex(CTKPColorValue& value, int index)
{
    value.SetStandard(index < 0 ? COLORREF(-1) : TableColor(index));
}

// The fixed colours of the gradient scheme for the blue, olive and silver visual styles.
struct LunaSet {
    COLORREF frame, edgeDark, edgeWhite, edgeLight, selectedFace, selectedFrame, headerLight, headerDark, normal,
        selected, hot, header2Light, header2Dark, second;
};

const LunaSet kLunaSets[3] = {
    {RGB(59, 97, 156), RGB(0, 53, 154), RGB(255, 255, 255), RGB(117, 166, 241), RGB(255, 192, 111), RGB(0, 0, 128),
     RGB(196, 218, 250), RGB(252, 253, 254), RGB(162, 192, 246), RGB(255, 194, 115), RGB(255, 240, 201),
     RGB(158, 190, 245), RGB(196, 218, 250), RGB(0, 0, 128)},
    {RGB(96, 128, 88), RGB(96, 119, 107), RGB(255, 255, 255), RGB(176, 194, 140), RGB(255, 192, 111),
     RGB(63, 93, 56), RGB(242, 241, 228), RGB(252, 254, 254), RGB(208, 222, 170), RGB(255, 194, 115),
     RGB(255, 240, 199), RGB(217, 217, 167), RGB(242, 241, 228), RGB(63, 93, 56)},
    {RGB(124, 124, 148), RGB(118, 116, 146), RGB(255, 255, 255), RGB(186, 185, 206), RGB(255, 192, 111),
     RGB(75, 75, 111), RGB(243, 243, 247), RGB(252, 254, 254), RGB(217, 217, 230), RGB(255, 194, 115),
     RGB(255, 238, 194), RGB(215, 215, 229), RGB(243, 243, 247), RGB(75, 75, 111)},
};

} // namespace

TabColorScheme* CreateTabColorScheme(int id)
{
    switch (id) {
    case TKP_TABCOLOR_FLAT:
        return new TabColorSchemeFlat;
    case TKP_TABCOLOR_GRADIENT:
        return new TabColorSchemeGradient;
    case TKP_TABCOLOR_NATIVE:
        return new TabColorSchemeNative;
    case TKP_TABCOLOR_LIGHTGRADIENT:
        return new TabColorSchemeLightGradient;
    default:
        return new TabColorSchemeDefault;
    }
}

// ---- Base --------------------------------------------------------------------------------------
int TabColorScheme::GetShapeStyleId() const
{
    return m_pPainter ? m_pPainter->GetShapeStyleId() : 0;
}

void TabColorScheme::RefreshMetrics()
{
    RefreshColorTableThrottled();
    const int style = GetShapeStyleId();
    m_clrHeader.SetStandardColor(TableColor(COLOR_BTNFACE));
    m_clrHeader2.CopyEffective(m_clrHeader);
    SetIndex(m_clrFrame, COLOR_BTNSHADOW);
    SetIndex(m_clrHeaderFace, COLOR_BTNFACE);
    SetIndex(m_clrFrameHighlight, COLOR_BTNHIGHLIGHT);
    SetIndex(m_clrSelected, style == 7 ? COLOR_WINDOW : COLOR_BTNFACE);
    SetIndex(m_clrNormal, COLOR_BTNFACE);
    SetIndex(m_clrText, COLOR_BTNTEXT);
    SetIndex(m_clrInactiveText, COLOR_BTNTEXT);
    SetIndex(m_clrSelectedText, COLOR_BTNTEXT);
    m_clrHotText.SetStandard(RGB(0, 0, 128));
    SetIndex(m_clrDisabledText, COLOR_GRAYTEXT);
    m_clrSelectedFace.SetStandardColor(TableColor(COLOR_WINDOW));
    m_clrSelectedFrame.SetStandardColor(TableColor(COLOR_HIGHLIGHT));
    const int edges[3] = {COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW, COLOR_3DDKSHADOW};
    for (int i = 0; i < 3; ++i)
        SetIndex(m_clrTabEdges[i], edges[i]);
    const int edges2[4] = {COLOR_BTNSHADOW, COLOR_BTNSHADOW, COLOR_BTNFACE, COLOR_BTNFACE};
    for (int i = 0; i < 4; ++i)
        SetIndex(m_clrTabEdges2[i], edges2[i]);
    const int states[6] = {COLOR_BTNTEXT, COLOR_BTNSHADOW, COLOR_BTNTEXT, -1, -1, -1};
    for (int i = 0; i < 6; ++i) {
        SetIndex(m_clrStates[i], states[i]);
        m_clrStates2[i].SetStandard(m_clrStates[i].m_clrStandard);
    }
    SetIndex(m_clrStates2[3], COLOR_WINDOW);
    SetIndex(m_clrStates2[4], COLOR_BTNSHADOW);
}

void TabColorScheme::SetTabTextColor(CDC* pDC, CTKPTabManagerItem* item)
{
    CTKPTabStrip* strip = item->GetStrip();
    COLORREF color;
    if (!item->m_bEnabled)
        color = m_clrDisabledText;
    else if (strip && !strip->m_bActive)
        color = m_clrInactiveText;
    else if (item->IsSelected())
        color = m_clrSelectedText;
    else if (item->IsHot())
        color = m_clrHotText;
    else
        color = m_clrText;
    pDC->SetTextColor(color);
}

void TabColorScheme::FillGradient(CDC* pDC, CRect rc, COLORREF c1, COLORREF c2, int position)
{
    if (rc.IsRectEmpty())
        return;
    if (c1 == TKP_TABCOLOR_DITHER) {
        const WORD rows[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
        HBITMAP pattern = ::CreateBitmap(8, 8, 1, 1, rows);
        HBRUSH brush = ::CreatePatternBrush(pattern);
        const COLORREF oldText = pDC->SetTextColor(TableColor(COLOR_BTNFACE));
        const COLORREF oldBack = pDC->SetBkColor(TableColor(COLOR_BTNHIGHLIGHT));
        HGDIOBJ old = ::SelectObject(pDC->m_hDC, brush);
        pDC->PatBlt(rc.left, rc.top, rc.Width(), rc.Height(), PATCOPY);
        ::SelectObject(pDC->m_hDC, old);
        pDC->SetTextColor(oldText);
        pDC->SetBkColor(oldBack);
        ::DeleteObject(brush);
        ::DeleteObject(pattern);
        return;
    }
    BOOL reverse = position == TKP_TABPOS_BOTTOM || position == TKP_TABPOS_RIGHT;
    if (m_pPainter && m_pPainter->m_bReverseGradients)
        reverse = !reverse;
    if (reverse)
        std::swap(c1, c2);
    GetGradientHelper().GradientFillRect(pDC->m_hDC, rc, c1, c2, !IsHorizontalTabPosition(position));
}

void TabColorScheme::FillHeader(CDC* pDC, CRect rc, CTKPTabStrip* strip)
{
    FillGradient(pDC, rc, m_clrHeader, strip ? strip->GetPosition() : TKP_TABPOS_TOP);
}

COLORREF TabColorScheme::FillClient(CDC* pDC, CRect rc, CTKPTabStrip* strip)
{
    CTKPTabManagerItem* selected = strip ? strip->GetSelectedItem() : nullptr;
    const COLORREF color = selected ? GetTabColor(selected) : COLORREF(m_clrSelected);
    pDC->FillSolidRect(rc, color);
    return color;
}

void TabColorScheme::DrawTabFace(CDC* pDC, CRect rc, CTKPTabManagerItem* item)
{
    CTKPTabStrip* strip = item->GetStrip();
    const int position = strip ? strip->GetPosition() : TKP_TABPOS_TOP;
    if (!item->IsSelected()) {
        if (IsHorizontalTabPosition(position))
            pDC->Draw3dRect(rc.right, rc.top + 2, 2, rc.Height() - 4, TableColor(COLOR_BTNSHADOW),
                            TableColor(COLOR_BTNHIGHLIGHT));
        else
            pDC->Draw3dRect(rc.left + 2, rc.bottom, rc.Width() - 4, 2, TableColor(COLOR_BTNSHADOW),
                            TableColor(COLOR_BTNHIGHLIGHT));
        return;
    }
    if (m_pPainter && m_pPainter->m_bColorByItem)
        pDC->FillSolidRect(rc, GetTabColor(item));
    else
        FillGradient(pDC, rc, m_clrSelectedFace, position);
    pDC->Draw3dRect(rc, m_clrSelectedFrame.Light(), m_clrSelectedFrame.Dark());
}

COLORREF TabColorScheme::FillTab(CDC* pDC, CRect rc, CTKPTabManagerItem* item)
{
    const COLORREF color = GetTabColor(item);
    pDC->FillSolidRect(rc, color);
    return color;
}

COLORREF TabColorScheme::GetTabColor(CTKPTabManagerItem* item)
{
    if (m_pPainter && m_pPainter->m_bColorByItem)
        return item->GetColor();
    return item->IsSelected() ? COLORREF(m_clrSelected) : COLORREF(m_clrNormal);
}

void TabColorScheme::DrawDefaultButtonFrame(CDC* pDC, CTKPTabScrollButton* button, CRect rc)
{
    if (button->m_bEnabled) {
        if (button->m_bPressed) {
            pDC->Draw3dRect(rc, TableColor(COLOR_BTNSHADOW), TableColor(COLOR_BTNHIGHLIGHT));
            m_ptGlyphOffset = CPoint(1, 1);
        }
        else if (button->m_bHot) {
            pDC->Draw3dRect(rc, TableColor(COLOR_BTNHIGHLIGHT), TableColor(COLOR_BTNSHADOW));
        }
    }
    pDC->SetTextColor(TableColor(COLOR_BTNTEXT));
}

// ---- Default -----------------------------------------------------------------------------------
void TabColorSchemeDefault::RefreshMetrics()
{
    TabColorScheme::RefreshMetrics();
    m_clrSelectedFace.SetStandardColor(TKP_TABCOLOR_DITHER);
    m_clrSelectedFrame.SetStandardValue(TableColor(COLOR_BTNSHADOW), TableColor(COLOR_BTNHIGHLIGHT), 0.5f);
    const int states[6] = {COLOR_BTNTEXT, COLOR_BTNTEXT, COLOR_BTNTEXT, COLOR_WINDOW, COLOR_BTNSHADOW, COLOR_BTNSHADOW};
    for (int i = 0; i < 6; ++i) {
        SetIndex(m_clrStates[i], states[i]);
        m_clrStates2[i].SetStandard(i < 3 ? m_clrStates[i].m_clrStandard : COLORREF(-1));
    }
    if (GetShapeStyleId() == 7) {
        SetIndex(m_clrSelected, COLOR_BTNFACE);
        SetIndex(m_clrNormal, COLOR_WINDOW);
        SetIndex(m_clrFrame, COLOR_BTNTEXT);
    }
}

void TabColorSchemeDefault::DrawButtonFrame(CDC* pDC, CTKPTabScrollButton* button, CRect rc)
{
    DrawDefaultButtonFrame(pDC, button, rc);
}

// ---- Flat --------------------------------------------------------------------------------------
void TabColorSchemeFlat::RefreshMetrics()
{
    TabColorScheme::RefreshMetrics();
    const int style = GetShapeStyleId();
    if (style != 7 && style != 4)
        m_clrHeader.SetStandardColor(TableColor(48));
    if (style == 5) {
        SetIndex(m_clrText, 49);
        SetIndex(m_clrInactiveText, 49);
    }
}

void TabColorSchemeFlat::DrawButtonFrame(CDC* pDC, CTKPTabScrollButton* button, CRect rc)
{
    const int style = GetShapeStyleId();
    if (style == 7 || style == 4) {
        DrawDefaultButtonFrame(pDC, button, rc);
        return;
    }
    if (button->m_bEnabled) {
        if (button->m_bPressed)
            pDC->Draw3dRect(rc, TableColor(COLOR_BTNTEXT), TableColor(COLOR_BTNFACE));
        else if (button->m_bHot)
            pDC->Draw3dRect(rc, TableColor(COLOR_BTNFACE), TableColor(COLOR_BTNTEXT));
    }
    pDC->SetTextColor(TableColor(49));
}

// ---- Gradient ----------------------------------------------------------------------------------
BOOL TabColorSchemeGradient::AreThemeColorsOff() const
{
    return (m_pPainter && m_pPainter->m_bThemeColorsOff) || GetColorTable().IsSystemThemeDisabled();
}

void TabColorSchemeGradient::RefreshMetrics()
{
    TabColorScheme::RefreshMetrics();
    m_clrHeader.SetStandardValue(TableColor(COLOR_BTNFACE),
                                 BlendColorsByPercent(TableColor(COLOR_BTNFACE), TableColor(COLOR_WINDOW), 205), 0.5f);
    m_clrSelectedFace.SetStandardColor(TableColor(36));
    m_clrSelectedFrame.SetStandardColor(TableColor(37));
    SetIndex(m_clrHot, 36);
    SetIndex(m_clrHotText, COLOR_BTNTEXT);
    m_clrHeader2.CopyEffective(m_clrHeader);
    const int kind = AreThemeColorsOff() ? 0 : GetCurrentSystemThemeKind();
    m_bThemeColors = kind >= 1 && kind <= 3;
    if (m_bThemeColors) {
        const LunaSet& set = kLunaSets[kind - 1];
        m_clrFrame.SetStandard(set.frame);
        m_clrTabEdges2[1].SetStandard(set.frame);
        m_clrTabEdges[2].SetStandard(set.edgeDark);
        m_clrTabEdges2[0].SetStandard(set.edgeDark);
        m_clrTabEdges2[3].SetStandard(set.edgeWhite);
        m_clrTabEdges[1].SetStandard(set.edgeLight);
        m_clrTabEdges2[2].SetStandard(set.edgeLight);
        m_clrSelectedFace.SetStandardColor(set.selectedFace);
        m_clrSelectedFrame.SetStandardColor(set.selectedFrame);
        m_clrHeader.SetStandardValue(set.headerLight, set.headerDark, 0.5f);
        m_clrNormal.SetStandard(set.normal);
        m_clrSelected.SetStandard(set.selected);
        m_clrHot.SetStandard(set.hot);
        m_clrHeader2.SetStandardValue(set.header2Light, set.header2Dark, 0.5f);
        m_clrSecond.SetStandard(set.second);
    } else {
        SetIndex(m_clrSelected, 36);
    }
    for (int i = 0; i < 6; ++i) {
        m_clrStates[i].SetStandard(i < 3 ? m_clrFrame.Effective() : COLORREF(-1));
        m_clrStates2[i].SetStandard(m_clrStates[i].m_clrStandard);
    }
    if (GetShapeStyleId() == 4) {
        m_clrHeader.SetStandardColor(TableColor(COLOR_BTNFACE));
        m_clrHeader2.SetStandardColor(TableColor(COLOR_BTNFACE));
    }
}

COLORREF TabColorSchemeGradient::FillTab(CDC* pDC, CRect rc, CTKPTabManagerItem* item)
{
    const COLORREF color = item->IsHot() ? COLORREF(m_clrHot) : GetTabColor(item);
    CTKPTabStrip* strip = item->GetStrip();
    FillGradient(pDC, rc, BlendColorsByPercent(color, RGB(255, 255, 255), 300), color,
                 strip ? strip->GetPosition() : TKP_TABPOS_TOP);
    return color;
}

void TabColorSchemeGradient::DrawButtonFrame(CDC* pDC, CTKPTabScrollButton* button, CRect rc)
{
    COLORREF glyph = TableColor(COLOR_BTNTEXT);
    if (button->m_bEnabled && (button->m_bPressed || button->m_bHot)) {
        if (m_bThemeColors) {
            if (button->m_bPressed)
                GetGradientHelper().GradientFillRect(pDC->m_hDC, rc, RGB(254, 142, 75), RGB(255, 207, 139), FALSE);
            else
                GetGradientHelper().GradientFillRect(pDC->m_hDC, rc, RGB(255, 242, 200), RGB(255, 212, 151), FALSE);
            pDC->Draw3dRect(rc, m_clrSecond, m_clrSecond);
        } else if (button->m_bPressed) {
            pDC->FillSolidRect(rc, TableColor(50));
            pDC->Draw3dRect(rc, TableColor(33), TableColor(33));
            glyph = TableColor(47);
        } else {
            pDC->FillSolidRect(rc, TableColor(32));
            pDC->Draw3dRect(rc, TableColor(31), TableColor(31));
            glyph = TableColor(45);
        }
    }
    pDC->SetTextColor(glyph);
}

// ---- Light gradient ----------------------------------------------------------------------------
void TabColorSchemeLightGradient::RefreshMetrics()
{
    if (!AreThemeColorsOff()) {
        TabColorSchemeGradient::RefreshMetrics();
        return;
    }
    TabColorScheme::RefreshMetrics();
    m_bThemeColors = FALSE;
    m_clrSelected.SetStandard(RGB(255, 255, 255));
    SetIndex(m_clrHot, 36);
    SetIndex(m_clrHotText, COLOR_BTNTEXT);
    const int kind = GetCurrentSystemThemeKind();
    m_bLightPreset = kind >= 1 && kind <= 3;
    if (kind == 1 || kind == 2) {
        m_clrHeader.SetStandardColor(RGB(228, 226, 213));
    } else if (kind == 3) {
        m_clrNormal.SetStandard(RGB(245, 245, 248));
        m_clrHeader.SetStandardColor(RGB(238, 238, 238));
    }
    SetIndex(m_clrFrame, 57);
    SetIndex(m_clrTabEdges2[1], 57);
}

// ---- Native theme ------------------------------------------------------------------------------
void TabColorSchemeNative::RefreshMetrics()
{
    TabColorSchemeDefault::RefreshMetrics();
    m_themeTab.OpenThemeData(nullptr, u"TAB");
    if (m_themeTab.IsOpen()) {
        for (CTKPColorValue& edge : m_clrTabEdges)
            edge.SetStandard(COLORREF(-1));
        m_clrHotText.SetStandard(m_clrText.m_clrStandard);
        m_clrHotText.SetOverride(m_clrText.m_clrOverride);
    }
    m_themeToolBar.OpenThemeData(nullptr, u"TOOLBAR");
}

BOOL TabColorSchemeNative::IsThemed() const
{
    return m_themeTab.IsOpen() && m_themeTab.IsAppThemed();
}

COLORREF TabColorSchemeNative::FillTab(CDC* pDC, CRect rc, CTKPTabManagerItem* item)
{
    if (!IsThemed())
        return TabColorSchemeDefault::FillTab(pDC, rc, item);
    CTKPTabStrip* strip = item->GetStrip();
    const int position = strip ? strip->GetPosition() : TKP_TABPOS_TOP;
    const int state = item->IsSelected() ? 3 : item->IsHot() ? 5 : 1;
    const int grow = item->IsSelected() ? 1 : 0;
    switch (position) {
    case TKP_TABPOS_LEFT:
        rc.InflateRect(1, 1, grow, 1);
        break;
    case TKP_TABPOS_BOTTOM:
        rc.InflateRect(1, grow, 1, 2);
        break;
    case TKP_TABPOS_RIGHT:
        rc.InflateRect(grow, 1, 2, 1);
        break;
    default:
        rc.InflateRect(1, 1, 1, grow);
        m_themeTab.DrawThemeBackground(pDC->m_hDC, 1, state, &rc, nullptr);
        return GetTabColor(item);
    }
    // The theme draws tabs for the top only: draw one upright, then turn its pixels into place.
    const BOOL across = position != TKP_TABPOS_BOTTOM;
    const int w = across ? rc.Height() : rc.Width(), h = across ? rc.Width() : rc.Height();
    if (w <= 0 || h <= 0)
        return GetTabColor(item);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* srcBits = nullptr;
    void* dstBits = nullptr;
    HBITMAP upright = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &srcBits, nullptr, 0);
    bi.bmiHeader.biWidth = rc.Width();
    bi.bmiHeader.biHeight = -rc.Height();
    HBITMAP turned = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &dstBits, nullptr, 0);
    if (upright && turned) {
        HDC mem = ::CreateCompatibleDC(pDC->m_hDC);
        HGDIOBJ old = ::SelectObject(mem, upright);
        const RECT face{0, 0, w, h};
        m_themeTab.DrawThemeBackground(mem, 1, state, &face, nullptr);
        ::GdiFlush();
        const auto* src = static_cast<const DWORD*>(srcBits);
        auto* dst = static_cast<DWORD*>(dstBits);
        const int cw = rc.Width(), ch = rc.Height();
        for (int y = 0; y < ch; ++y) {
            for (int x = 0; x < cw; ++x) {
                int sx, sy;
                if (position == TKP_TABPOS_BOTTOM)
                    sx = x, sy = h - 1 - y;
                else if (position == TKP_TABPOS_LEFT)
                    sx = y, sy = x;
                else
                    sx = y, sy = h - 1 - x;
                dst[y * cw + x] = src[sy * w + sx];
            }
        }
        ::SelectObject(mem, old);
        ::DeleteDC(mem);
        pDC->DrawState(rc.TopLeft(), rc.Size(), turned, DST_BITMAP, HBRUSH(nullptr));
    }
    if (upright)
        ::DeleteObject(upright);
    if (turned)
        ::DeleteObject(turned);
    return GetTabColor(item);
}

void TabColorSchemeNative::DrawTabFace(CDC* pDC, CRect rc, CTKPTabManagerItem* item)
{
    if (item->IsSelected() && m_themeToolBar.IsOpen() && m_themeToolBar.IsAppThemed()) {
        m_themeToolBar.DrawThemeBackground(pDC->m_hDC, 1, item->IsHot() ? 6 : 5, &rc, nullptr);
        return;
    }
    TabColorSchemeDefault::DrawTabFace(pDC, rc, item);
}

void TabColorSchemeNative::ExcludeTabCorners(CDC* pDC, CRect rc, CTKPTabManagerItem* item)
{
    if (!IsThemed())
        return;
    CTKPTabStrip* strip = item->GetStrip();
    switch (strip ? strip->GetPosition() : TKP_TABPOS_TOP) {
    case TKP_TABPOS_BOTTOM:
        pDC->ExcludeClipRect(rc.left, rc.bottom - 2, rc.left + 1, rc.bottom - 1);
        break;
    case TKP_TABPOS_RIGHT:
        pDC->ExcludeClipRect(rc.right - 2, rc.top, rc.right - 1, rc.top + 1);
        break;
    default:
        pDC->ExcludeClipRect(rc.left, rc.top, rc.left + 1, rc.top + 1);
        break;
    }
}

void TabColorSchemeNative::DrawButtonFrame(CDC* pDC, CTKPTabScrollButton* button, CRect rc)
{
    if (!m_themeToolBar.IsOpen()) {
        TabColorSchemeDefault::DrawButtonFrame(pDC, button, rc);
        return;
    }
    if (button->m_bEnabled)
        m_themeToolBar.DrawThemeBackground(pDC->m_hDC, 1, button->m_bPressed ? 3 : button->m_bHot ? 2 : 1, &rc,
                                           nullptr);
    pDC->SetTextColor(TableColor(COLOR_BTNTEXT));
}
