// The toolkit button's looks: colours, text and image placement, backgrounds and frames.
#include "toolkit/base/button_theme.h"

#include "toolkit/base/button.h"
#include "toolkit/base/color_table.h"
#include "toolkit/base/draw_helpers.h"

#include <algorithm>

IMPLEMENT_DYNCREATE(CTKButtonThemeFactory, CTKThemeManagerStyleFactory)

namespace {

COLORREF TableColor(int index)
{
    return GetColorTable().GetColorByIndex(UINT(index));
}

void FillSolid(HDC hdc, const RECT& rc, COLORREF color)
{
    COLORREF old = ::SetBkColor(hdc, color);
    ::ExtTextOutW(hdc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
    ::SetBkColor(hdc, old);
}

void Frame3d(HDC hdc, const RECT& rc, COLORREF topLeft, COLORREF bottomRight)
{
    CDC::FromHandle(hdc)->Draw3dRect(&rc, topLeft, bottomRight);
}

BOOL IsPressed(UINT state, CTKButton* button)
{
    return (state & ODS_SELECTED) || button->m_bChecked;
}

// The looks of theme 2 under the three Luna schemes: frame, shadow, and the face that the
// standard-face switch selects.
struct LunaButtonColors {
    COLORREF border, shadow, face;
};
const LunaButtonColors kLunaColors[3] = {
    {RGB(0, 0, 128), RGB(127, 157, 185), RGB(169, 199, 240)},
    {RGB(63, 93, 56), RGB(164, 185, 127), RGB(197, 212, 159)},
    {RGB(75, 75, 11), RGB(165, 172, 178), RGB(192, 192, 211)},
};

} // namespace

void FillHalftoneRect(HDC hdc, const RECT& rc)
{
    // Rows of a monochrome bitmap are word-aligned.
    static const WORD rows[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    HBITMAP pattern = ::CreateBitmap(8, 8, 1, 1, rows);
    if (!pattern)
        return;
    HBRUSH brush = ::CreatePatternBrush(pattern);
    ::DeleteObject(pattern);
    if (!brush)
        return;
    COLORREF oldBack = ::SetBkColor(hdc, TableColor(15));
    COLORREF oldText = ::SetTextColor(hdc, TableColor(20));
    HGDIOBJ oldBrush = ::SelectObject(hdc, brush);
    ::PatBlt(hdc, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, PATCOPY);
    ::SelectObject(hdc, oldBrush);
    ::SetTextColor(hdc, oldText);
    ::SetBkColor(hdc, oldBack);
    ::DeleteObject(brush);
}

// ---- Default theme -----------------------------------------------------------------------------
CTKButtonTheme::CTKButtonTheme() = default;

CTKButtonTheme::~CTKButtonTheme() = default;

void CTKButtonTheme::RefreshMetrics()
{
    m_clrFace.SetStandard(TableColor(15));
    m_clrText.SetStandard(TableColor(18));
    m_clrDisabledText.SetStandard(TableColor(17));
    m_clrLightFace.SetStandard(TableColor(15));
    m_clrShadow.SetStandard(TableColor(16));
    m_clrHighlight.SetStandard(TableColor(20));
    m_clrDarkShadow.SetStandard(TableColor(21));
    // A changed visual style is opened afresh on the next paint.
    m_themeButton.CloseThemeData();
}

BOOL CTKButtonTheme::IsHotTrackEnabled(CTKButton* button)
{
    return UsesVisualStyle(button) || (button->m_dwXButtonStyle & (TKBS_FLAT | TKBS_SEMIFLAT));
}

BOOL CTKButtonTheme::UsesVisualStyle(CTKButton* button)
{
    if (!(button->m_dwXButtonStyle & TKBS_VISUALSTYLE))
        return FALSE;
    if (!m_themeButton.IsOpen())
        m_themeButton.OpenThemeData(button->GetSafeHwnd(), u"BUTTON");
    return m_themeButton.IsOpen() && m_themeButton.IsThemeActive();
}

HFONT CTKButtonTheme::GetFont(CTKButton* button)
{
    if (m_font.GetSafeHandle())
        return HFONT(m_font.GetSafeHandle());
    return button->GetSafeHwnd() ? HFONT(button->SendMessage(WM_GETFONT)) : nullptr;
}

BOOL CTKButtonTheme::SetFont(const LOGFONTW* font)
{
    m_font.DeleteObject();
    return font ? m_font.CreateFontIndirect(font) : TRUE;
}

void CTKButtonTheme::SetColors(COLORREF face, COLORREF lightFace, COLORREF shadow, COLORREF text)
{
    SetColorFace(face);
    SetColorLightFace(lightFace);
    SetColorShadow(shadow);
    SetColorText(text);
}

CPoint CTKButtonTheme::CalcImagePosition(CSize imageSize, CTKButton* button)
{
    CRect client(0, 0, 0, 0);
    if (button->GetSafeHwnd())
        button->GetClientRect(&client);
    CPoint pt(button->m_nBorderGap, std::max(0, (client.Height() - imageSize.cy) / 2));
    if (button->m_dwXButtonStyle & TKBS_IMAGEABOVE)
        pt.x = std::max(0, (client.Width() - imageSize.cx) / 2);
    return pt;
}

CPoint CTKButtonTheme::CalcTextPosition(UINT, const CRect& rc, CSize textSize, CTKButton* button)
{
    if (button->m_bUserPositions)
        return button->m_ptText;
    CRect area = rc;
    area.DeflateRect(2, 0);
    const int gap = button->m_nBorderGap;
    const BOOL above = (button->m_dwXButtonStyle & TKBS_IMAGEABOVE) != 0;
    const CSize image = button->m_sizeImage;
    CPoint pt(rc.left + gap, area.top + (area.Height() - textSize.cy) / 2);
    if (above)
        pt.y += button->m_nImageGap / 2 + image.cy / 2;
    switch (button->GetStyle() & BS_CENTER) {
    case BS_LEFT:
        if (!above)
            pt.x = rc.left + gap + image.cx + button->m_nImageGap;
        break;
    case BS_RIGHT:
        pt.x = area.right - gap - textSize.cx;
        break;
    default: {
        const int left = rc.left + gap + (above ? 0 : image.cx);
        pt.x = left + (area.right - gap - textSize.cx - left) / 2;
        break;
    }
    }
    return pt;
}

COLORREF CTKButtonTheme::GetTextColor(UINT state, CTKButton*)
{
    return (state & ODS_DISABLED) ? m_clrDisabledText : m_clrText;
}

CSize CTKButtonTheme::MeasureText(CDC* pDC, CTKButton* button)
{
    CString text;
    button->GetButtonText(text, TRUE);
    if (text.IsEmpty())
        return CSize(0, 0);
    HDC hdc = pDC ? pDC->GetSafeHdc() : ::GetDC(nullptr);
    if (!hdc)
        return CSize(0, 0);
    SIZE size{0, 0};
    {
        CTKPSelectFont font(hdc, GetFont(button));
        ::GetTextExtentPoint32W(hdc, text, text.GetLength(), &size);
    }
    if (!pDC)
        ::ReleaseDC(nullptr, hdc);
    return CSize(size.cx, size.cy);
}

void CTKButtonTheme::DrawButtonText(CDC* pDC, UINT state, const CRect& rc, CTKButton* button)
{
    CString text;
    button->GetButtonText(text, FALSE);
    if (text.IsEmpty())
        return;
    HDC hdc = pDC->GetSafeHdc();
    CTKPSelectFont font(hdc, GetFont(button));
    const CSize size = MeasureText(pDC, button);
    CPoint pt = CalcTextPosition(state, rc, size, button);
    if (m_bOffsetHiliteText && IsPressed(state, button))
        pt.Offset(1, 1);
    COLORREF oldColor = ::SetTextColor(hdc, GetTextColor(state, button));
    UINT oldAlign = ::SetTextAlign(hdc, 0);
    ::DrawStateW(hdc, nullptr, nullptr, LPARAM(LPCWSTR(text)), WPARAM(text.GetLength()), pt.x, pt.y, size.cx, size.cy,
                 DST_PREFIXTEXT);
    ::SetTextAlign(hdc, oldAlign);
    ::SetTextColor(hdc, oldColor);
}

CRect CTKButtonTheme::CalcImageRect(const CRect& rc, CTKButton* button)
{
    const CSize image = button->m_sizeImage;
    if (button->m_bUserPositions)
        return CRect(button->m_ptImage, image);
    CPoint pt = CalcImagePosition(image, button);
    const CSize text = MeasureText(nullptr, button);
    const DWORD align = button->GetStyle();
    if (button->m_dwXButtonStyle & TKBS_IMAGEABOVE) {
        pt.y -= text.cy / 2 + button->m_nImageGap / 2;
        switch (align & BS_CENTER) {
        case BS_RIGHT: pt.x = rc.right - button->m_nBorderGap - image.cx; break;
        case BS_LEFT: pt.x = rc.left; break;
        default:
            if (rc.Width() - image.cx >= 0)
                pt.x = rc.left + (rc.Width() - image.cx) / 2;
            break;
        }
    } else if (text.cx == 0) {
        if ((align & BS_CENTER) == BS_CENTER && rc.Width() >= image.cx)
            pt.x = rc.left + (rc.Width() - image.cx) / 2;
        if ((align & BS_VCENTER) == BS_VCENTER && rc.Height() >= image.cy)
            pt.y = rc.top + (rc.Height() - image.cy) / 2;
    }
    return CRect(pt, image);
}

void CTKButtonTheme::DrawButtonImage(CDC* pDC, UINT state, const CRect& rc, CTKButton* button)
{
    if (!m_bShowImage || !button->GetImage())
        return;
    CPoint pt = CalcImageRect(rc, button).TopLeft();
    const BOOL pressed = IsPressed(state, button);
    if (pressed)
        pt.Offset(1, 1);
    if (state & ODS_DISABLED)
        DrawImageAt(pDC, button, pt, ImageDisabled);
    else if (button->m_bHot || pressed)
        DrawImageAt(pDC, button, pt, ImageHot);
    else
        DrawImageAt(pDC, button, pt, ImageNormal);
}

void CTKButtonTheme::DrawButton(LPDRAWITEMSTRUCT lpDIS, CTKButton* button)
{
    if (!DrawThemedBackground(lpDIS, button))
        DrawBackground(lpDIS, button);
    CDC* pDC = CDC::FromHandle(lpDIS->hDC);
    const CRect rc(lpDIS->rcItem);
    const UINT state = lpDIS->itemState;
    int oldMode = ::SetBkMode(lpDIS->hDC, TRANSPARENT);
    DrawButtonText(pDC, state, rc, button);
    DrawButtonImage(pDC, state, rc, button);
    if ((button->m_dwXButtonStyle & TKBS_FOCUSRECT) && (state & ODS_FOCUS))
        DrawFocus(pDC, state, rc, button);
    ::SetBkMode(lpDIS->hDC, oldMode);
}

BOOL CTKButtonTheme::DrawThemedBackground(LPDRAWITEMSTRUCT lpDIS, CTKButton* button)
{
    if (!UsesVisualStyle(button))
        return FALSE;
    const UINT state = lpDIS->itemState;
    int part = 1; // BP_PUSHBUTTON
    int look = 1; // PBS_NORMAL
    if (state & ODS_DISABLED)
        look = 4;
    else if (IsPressed(state, button))
        look = 3;
    else if (button->m_bHot)
        look = 2;
    else if (state & ODS_FOCUS)
        look = 5;
    return SUCCEEDED(m_themeButton.DrawThemeBackground(lpDIS->hDC, part, look, &lpDIS->rcItem, nullptr));
}

void CTKButtonTheme::DrawBackground(LPDRAWITEMSTRUCT lpDIS, CTKButton* button)
{
    HDC hdc = lpDIS->hDC;
    CRect rc(lpDIS->rcItem);
    FillSolid(hdc, rc, m_clrFace);
    const BOOL pressed = IsPressed(lpDIS->itemState, button);
    const DWORD style = button->m_dwXButtonStyle;
    if ((style & TKBS_HALFTONE) && pressed)
        FillHalftoneRect(hdc, rc);
    if (style & TKBS_FLAT) {
        if (pressed)
            Frame3d(hdc, rc, m_clrShadow, m_clrHighlight);
        else if (button->m_bHot)
            Frame3d(hdc, rc, m_clrHighlight, m_clrShadow);
    } else if (style & TKBS_SEMIFLAT) {
        if (pressed)
            Frame3d(hdc, rc, m_clrShadow, m_clrHighlight);
        else
            Frame3d(hdc, rc, m_clrHighlight, m_clrShadow);
    } else {
        if (pressed)
            Frame3d(hdc, rc, m_clrDarkShadow, m_clrHighlight);
        else
            Frame3d(hdc, rc, m_clrHighlight, m_clrDarkShadow);
        rc.DeflateRect(1, 1);
        if (pressed)
            Frame3d(hdc, rc, m_clrShadow, m_clrLightFace);
        else
            Frame3d(hdc, rc, m_clrLightFace, m_clrShadow);
    }
}

void CTKButtonTheme::DrawFocus(CDC* pDC, UINT, const CRect& rc, CTKButton* button)
{
    HDC hdc = pDC->GetSafeHdc();
    COLORREF old = ::SetTextColor(hdc, m_clrText);
    CRect focus = rc;
    const int inset = UsesVisualStyle(button) ? 4 : 2;
    focus.DeflateRect(inset, inset);
    ::DrawFocusRect(hdc, &focus);
    ::SetTextColor(hdc, old);
}

// ---- Theme 1 -----------------------------------------------------------------------------------
CTKFlatButtonTheme::CTKFlatButtonTheme(BOOL standardFace) : m_bStandardFace(standardFace)
{
    m_bFadedIcon = TRUE;
}

void CTKFlatButtonTheme::RefreshMetrics()
{
    CTKButtonTheme::RefreshMetrics();
    m_clrFace.SetStandard(TableColor(m_bStandardFace ? 30 : 15));
    m_clrLightFace.SetStandard(TableColor(32));
    m_clrShadow.SetStandard(TableColor(16));
    m_clrText.SetStandard(TableColor(46));
    m_clrHotBack.SetStandard(TableColor(33));
    m_clrHotTrackedBack.SetStandard(TableColor(31));
    m_clrPushedText.SetStandard(TableColor(47));
    m_clrHotText.SetStandard(TableColor(45));
    m_clrCheckedBack.SetStandard(TableColor(36));
}

COLORREF CTKFlatButtonTheme::GetTextColor(UINT state, CTKButton* button)
{
    if (state & ODS_DISABLED)
        return TableColor(17);
    if (button->m_bHot)
        return m_clrHotText;
    if (state & ODS_SELECTED)
        return m_clrPushedText;
    return m_clrText;
}

void CTKFlatButtonTheme::DrawButtonImage(CDC* pDC, UINT state, const CRect& rc, CTKButton* button)
{
    if (!m_bShowImage || !button->GetImage())
        return;
    const CPoint pt = CalcImageRect(rc, button).TopLeft();
    if (state & ODS_DISABLED) {
        DrawImageAt(pDC, button, pt, ImageDisabled);
    } else if (button->m_bHot) {
        if (m_bShadowedHotIcon) {
            DrawImageAt(pDC, button, pt + CSize(1, 1), ImageShadow);
            DrawImageAt(pDC, button, pt + CSize(-1, -1), ImageHot);
        } else {
            DrawImageAt(pDC, button, pt, ImageHot);
        }
    } else if (state & ODS_SELECTED) {
        DrawImageAt(pDC, button, pt, ImageHot);
    } else {
        DrawImageAt(pDC, button, pt, m_bFadedIcon ? ImageFaded : ImageNormal);
    }
}

CTKFlatButtonTheme::Fill CTKFlatButtonTheme::ChooseFill(UINT state, CTKButton* button) const
{
    const BOOL hot = button->m_bHot, selected = (state & ODS_SELECTED) != 0, checked = button->m_bChecked != 0;
    if (hot && !selected && !checked)
        return FillHotTracked;
    if (!hot && !selected && !checked)
        return FillFace;
    return (hot || selected) ? FillHot : FillChecked;
}

void CTKFlatButtonTheme::DrawBackground(LPDRAWITEMSTRUCT lpDIS, CTKButton* button)
{
    HDC hdc = lpDIS->hDC;
    const CRect rc(lpDIS->rcItem);
    const Fill fill = ChooseFill(lpDIS->itemState, button);
    if (fill == FillFace) {
        FillSolid(hdc, rc, m_clrFace);
        if (m_bStandardFace)
            Frame3d(hdc, rc, m_clrShadow, m_clrShadow);
        return;
    }
    FillSolid(hdc, rc, fill == FillHotTracked ? m_clrHotTrackedBack : fill == FillHot ? m_clrHotBack : m_clrCheckedBack);
    Frame3d(hdc, rc, m_clrLightFace, m_clrLightFace);
}

// ---- Theme 2 -----------------------------------------------------------------------------------
CTKGradientButtonTheme::CTKGradientButtonTheme(BOOL standardFace) : CTKFlatButtonTheme(standardFace)
{
    m_bOffsetHiliteText = FALSE;
    m_bFadedIcon = FALSE;
    m_bShadowedHotIcon = FALSE;
}

void CTKGradientButtonTheme::RefreshMetrics()
{
    CTKFlatButtonTheme::RefreshMetrics();
    const CTKPColorTable& table = GetColorTable();
    const int kind = table.IsSystemThemeDisabled() ? 0 : table.GetCurrentSystemTheme();
    if (kind < 1 || kind > 3)
        return;
    const LunaButtonColors& luna = kLunaColors[kind - 1];
    m_clrHotTrackedBack.SetStandard(RGB(255, 238, 194));
    m_clrHotBack.SetStandard(RGB(254, 128, 62));
    m_clrCheckedBack.SetStandard(RGB(255, 192, 111));
    m_clrText.SetStandard(0);
    m_clrPushedText.SetStandard(0);
    m_clrHotText.SetStandard(0);
    m_clrLightFace.SetStandard(luna.border);
    m_clrShadow.SetStandard(luna.shadow);
    if (m_bStandardFace)
        m_clrFace.SetStandard(luna.face);
}

void CTKGradientButtonTheme::DrawButtonImage(CDC* pDC, UINT state, const CRect& rc, CTKButton* button)
{
    if (!m_bShowImage || !button->GetImage())
        return;
    const CPoint pt = CalcImageRect(rc, button).TopLeft();
    if (state & ODS_DISABLED)
        DrawImageAt(pDC, button, pt, ImageDisabled);
    else if (state & ODS_SELECTED)
        DrawImageAt(pDC, button, pt, ImageHot);
    else
        DrawImageAt(pDC, button, pt, ImageNormal);
}

void CTKGradientButtonTheme::DrawBackground(LPDRAWITEMSTRUCT lpDIS, CTKButton* button)
{
    const Fill fill = ChooseFill(lpDIS->itemState, button);
    if (fill == FillFace) {
        CTKFlatButtonTheme::DrawBackground(lpDIS, button);
        return;
    }
    // The colour table's fixed gradients: 7 checked, 8 pressed, 9 hot.
    const CTKPColorTable& table = GetColorTable();
    const CTKPGradientColor& gradient =
        table.m_gradients[fill == FillHotTracked ? 9 : fill == FillHot ? 8 : 7];
    const CRect rc(lpDIS->rcItem);
    GetGradientHelper().GradientFillColor(lpDIS->hDC, rc, gradient, FALSE);
    Frame3d(lpDIS->hDC, rc, m_clrLightFace, m_clrLightFace);
}

// ---- Factory -----------------------------------------------------------------------------------
CTKThemeStyleBase* CTKButtonThemeFactory::CreateTheme(int themeId)
{
    CTKButtonTheme* theme;
    switch (themeId) {
    case 1: theme = new CTKFlatButtonTheme(FALSE); break;
    case 2: theme = new CTKGradientButtonTheme(FALSE); break;
    default: theme = new CTKButtonTheme; break;
    }
    theme->SetThemeId(themeId);
    return theme;
}

BOOL RefreshThemedStyle(CTKThemeStyleClient& client, UINT message)
{
    if (message != WM_SETTINGCHANGE && message != WM_SYSCOLORCHANGE)
        return FALSE;
    if (CTKThemeManagerStyleFactory* factory = client.GetFactory())
        factory->RefreshStyle();
    return TRUE;
}
