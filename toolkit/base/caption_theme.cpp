// The caption's looks and its buttons' looks: backgrounds, text and icon, by theme id.
#include "toolkit/base/caption_theme.h"

#include "toolkit/base/button.h"
#include "toolkit/base/caption.h"
#include "toolkit/base/color_table.h"
#include "toolkit/base/draw_helpers.h"

#include <algorithm>

IMPLEMENT_DYNCREATE(CTKCaptionThemeFactory, CTKThemeManagerStyleFactory)
IMPLEMENT_DYNCREATE(CTKCaptionButtonThemeFactory, CTKThemeManagerStyleFactory)

namespace {

const UINT kCaptionTextFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;

COLORREF IndexColor(UINT index)
{
    return GetColorTable().GetColorByIndex(index);
}

// The caption a button belongs to, while it exists.
CTKCaption* CaptionOf(CTKButton* button)
{
    auto* captionButton = DYNAMIC_DOWNCAST(CTKCaptionButton, button);
    if (!captionButton || !captionButton->m_pCaption || !::IsWindow(captionButton->m_pCaption->m_hWnd))
        return nullptr;
    return captionButton->m_pCaption;
}

// A text button shows its caption's text; FALSE for any other button, which keeps its own text.
BOOL DrawCaptionButtonText(CTKButtonTheme* theme, CDC* pDC, UINT state, CTKButton* button)
{
    CTKCaption* caption = CaptionOf(button);
    if (!caption || !caption->m_bTextButton)
        return FALSE;
    if (caption->GetCaptionText().IsEmpty())
        return TRUE;
    CRect rc;
    button->GetClientRect(&rc);
    if ((state & ODS_SELECTED) && theme->m_bOffsetHiliteText)
        rc.OffsetRect(1, 1);
    CTKPSelectFont font(pDC->m_hDC, theme->GetFont(button));
    const COLORREF oldColor = pDC->SetTextColor(theme->GetTextColor(state, button));
    const int oldMode = pDC->SetBkMode(TRANSPARENT);
    pDC->DrawText(caption->GetCaptionText(), &rc, kCaptionTextFormat);
    pDC->SetBkMode(oldMode);
    pDC->SetTextColor(oldColor);
    return TRUE;
}

// Themes 1 and 2: grey when disabled, the pushed-text colour when hot or pressed, else the caption's.
COLORREF FlatCaptionButtonTextColor(CTKFlatButtonTheme* theme, CTKCaption* caption, UINT state, CTKButton* button)
{
    if (state & ODS_DISABLED)
        return IndexColor(17);
    if (button->IsHot() || (state & ODS_SELECTED))
        return theme->m_clrPushedText;
    return caption->m_clrText;
}

// The colour of a vertical gradient at a row, as the gradient fill paints it over the length.
COLORREF GradientColorAt(const CTKPGradientColor& gradient, int pos, int length)
{
    auto mix = [](COLORREF a, COLORREF b, int num, int den) {
        if (den <= 0)
            return a;
        num = std::clamp(num, 0, den);
        auto channel = [&](int shift) {
            const int ca = int((a >> shift) & 0xFF), cb = int((b >> shift) & 0xFF);
            return COLORREF(ca + (cb - ca) * num / den) << shift;
        };
        return channel(0) | channel(8) | channel(16);
    };
    const COLORREF light = gradient.Light(), dark = gradient.Dark();
    if (gradient.m_fFactor == 0.5f)
        return mix(light, dark, pos, length);
    const COLORREF middle = BlendColorsByFactor(light, dark, gradient.m_fFactor);
    const int half = length / 2;
    return pos < half ? mix(light, middle, pos, half) : mix(middle, dark, pos - half, length - half);
}

} // namespace

// ---- Caption looks -------------------------------------------------------------------------------
CTKCaptionTheme::CTKCaptionTheme()
{
    RefreshMetrics();
}

void CTKCaptionTheme::RefreshMetrics()
{
    m_clrShadow.SetStandard(IndexColor(16));
    m_clrHighlight.SetStandard(IndexColor(20));
}

void CTKCaptionTheme::DrawCaptionBack(CDC* pDC, CTKCaption* caption, CRect rc)
{
    pDC->SetBkMode(TRANSPARENT);
    pDC->FillSolidRect(&rc, caption->m_clrBorder);
    const DWORD style = caption->m_dwCaptionStyle;
    if (style & (TKCS_DOUBLEBORDER | TKCS_SINGLEBORDER)) {
        if (style & TKCS_DOUBLEBORDER) {
            pDC->Draw3dRect(&rc, m_clrShadow, m_clrHighlight);
            rc.DeflateRect(1, 1);
        }
        pDC->Draw3dRect(&rc, m_clrHighlight, m_clrShadow);
        rc.DeflateRect(1, 1);
        if (caption->m_nBorder == 0)
            rc.DeflateRect(1, 1);
    }
    rc.DeflateRect(caption->m_nBorder, caption->m_nBorder);
    pDC->FillSolidRect(&rc, caption->m_clrBackground);
}

void CTKCaptionTheme::DrawCaptionText(CDC* pDC, CTKCaption* caption)
{
    if (caption->GetCaptionText().IsEmpty())
        return;
    CRect rc = caption->GetTextRect();
    CTKPSelectFont font(pDC->m_hDC, HFONT(caption->SendMessage(WM_GETFONT)));
    const COLORREF oldColor = pDC->SetTextColor(caption->m_clrText);
    const int oldMode = pDC->SetBkMode(TRANSPARENT);
    pDC->DrawText(caption->GetCaptionText(), &rc, kCaptionTextFormat);
    pDC->SetBkMode(oldMode);
    pDC->SetTextColor(oldColor);
}

void CTKCaptionTheme::DrawCaptionIcon(CDC* pDC, CTKCaption* caption, const CRect& rc)
{
    if (!caption->m_hIcon)
        return;
    const int border = caption->m_nBorder;
    const int x = std::max(int(rc.right) - border - caption->m_cxIcon - 2, border);
    const int y = (rc.Height() - caption->m_cyIcon) / 2;
    if (x + caption->m_cxIcon > rc.right - border)
        return;
    ::DrawIconEx(pDC->m_hDC, x, y, caption->m_hIcon, caption->m_cxIcon, caption->m_cyIcon, 0, nullptr, DI_NORMAL);
}

void CTKCaptionBannerTheme::DrawCaptionBack(CDC* pDC, CTKCaption* caption, CRect rc)
{
    pDC->FillSolidRect(&rc, caption->m_clrBorder);
    if (caption->m_bTextButton) {
        rc.DeflateRect(caption->m_nBorder, caption->m_nBorder);
        pDC->FillSolidRect(&rc, caption->m_clrBackground);
    } else {
        pDC->Draw3dRect(&rc, m_clrHighlight, m_clrShadow);
    }
}

const CTKPGradientColor& GetCaptionGradient(const CTKCaption* caption)
{
    return GetColorTable().m_gradients[caption->m_bTextButton ? 1 : 0];
}

void CTKCaptionGradientTheme::DrawCaptionBack(CDC* pDC, CTKCaption* caption, CRect rc)
{
    pDC->SetBkMode(TRANSPARENT);
    GetGradientHelper().GradientFillColor(pDC->m_hDC, rc, GetCaptionGradient(caption), FALSE);
    const COLORREF line = IndexColor(54);
    if (caption->m_bTextButton)
        pDC->Draw3dRect(&rc, line, line);
    else
        pDC->FillSolidRect(rc.left, rc.bottom - 1, rc.Width(), 1, line);
}

CTKThemeStyleBase* CTKCaptionThemeFactory::CreateTheme(int themeId)
{
    CTKCaptionTheme* theme = themeId == 1   ? new CTKCaptionBannerTheme
                             : themeId == 2 ? static_cast<CTKCaptionTheme*>(new CTKCaptionGradientTheme)
                                            : new CTKCaptionTheme;
    theme->m_nThemeId = themeId;
    return theme;
}

// ---- Caption button looks ------------------------------------------------------------------------
CTKCaptionButtonTheme::CTKCaptionButtonTheme()
{
    m_bOffsetHiliteText = FALSE;
}

COLORREF CTKCaptionButtonTheme::GetTextColor(UINT state, CTKButton* button)
{
    if (CTKCaption* caption = CaptionOf(button))
        return caption->m_clrText;
    return CTKButtonTheme::GetTextColor(state, button);
}

void CTKCaptionButtonTheme::DrawButtonText(CDC* pDC, UINT state, const CRect& rc, CTKButton* button)
{
    if (!DrawCaptionButtonText(this, pDC, state, button))
        CTKButtonTheme::DrawButtonText(pDC, state, rc, button);
}

void CTKCaptionButtonTheme::DrawButton(LPDRAWITEMSTRUCT lpDIS, CTKButton* button)
{
    if (CTKCaption* caption = CaptionOf(button))
        CDC::FromHandle(lpDIS->hDC)->FillSolidRect(&lpDIS->rcItem, caption->m_clrBackground);
    CTKButtonTheme::DrawButton(lpDIS, button);
}

CTKCaptionButtonFlatTheme::CTKCaptionButtonFlatTheme()
{
    m_bFadedIcon = FALSE;
    m_bShadowedHotIcon = FALSE;
}

COLORREF CTKCaptionButtonFlatTheme::GetTextColor(UINT state, CTKButton* button)
{
    if (CTKCaption* caption = CaptionOf(button))
        return FlatCaptionButtonTextColor(this, caption, state, button);
    return CTKFlatButtonTheme::GetTextColor(state, button);
}

void CTKCaptionButtonFlatTheme::DrawButtonText(CDC* pDC, UINT state, const CRect& rc, CTKButton* button)
{
    if (!DrawCaptionButtonText(this, pDC, state, button))
        CTKFlatButtonTheme::DrawButtonText(pDC, state, rc, button);
}

void CTKCaptionButtonFlatTheme::DrawBackground(LPDRAWITEMSTRUCT lpDIS, CTKButton* button)
{
    CTKCaption* caption = CaptionOf(button);
    if (!caption) {
        CTKFlatButtonTheme::DrawBackground(lpDIS, button);
        return;
    }
    CDC* pDC = CDC::FromHandle(lpDIS->hDC);
    CRect rc = lpDIS->rcItem;
    if (lpDIS->itemState & ODS_SELECTED)
        pDC->FillSolidRect(&rc, IndexColor(33));
    else if (button->IsHot())
        pDC->FillSolidRect(&rc, IndexColor(31));
    else {
        pDC->FillSolidRect(&rc, caption->m_clrBackground);
        return;
    }
    pDC->Draw3dRect(&rc, IndexColor(32), IndexColor(32));
}

COLORREF CTKCaptionButtonGradientTheme::GetTextColor(UINT state, CTKButton* button)
{
    if (CTKCaption* caption = CaptionOf(button))
        return FlatCaptionButtonTextColor(this, caption, state, button);
    return CTKGradientButtonTheme::GetTextColor(state, button);
}

void CTKCaptionButtonGradientTheme::DrawButtonText(CDC* pDC, UINT state, const CRect& rc, CTKButton* button)
{
    if (!DrawCaptionButtonText(this, pDC, state, button))
        CTKGradientButtonTheme::DrawButtonText(pDC, state, rc, button);
}

void CTKCaptionButtonGradientTheme::DrawBackground(LPDRAWITEMSTRUCT lpDIS, CTKButton* button)
{
    CTKCaption* caption = CaptionOf(button);
    if (!caption) {
        CTKGradientButtonTheme::DrawBackground(lpDIS, button);
        return;
    }
    CDC* pDC = CDC::FromHandle(lpDIS->hDC);
    CRect rc = lpDIS->rcItem;
    CTKPColorTable& table = GetColorTable();
    if (lpDIS->itemState & ODS_SELECTED) {
        GetGradientHelper().GradientFillColor(pDC->m_hDC, rc, table.m_gradients[8], FALSE);
    } else if (button->IsHot()) {
        GetGradientHelper().GradientFillColor(pDC->m_hDC, rc, table.m_gradients[9], FALSE);
    } else {
        // The caption's own gradient where the button lies, so the button blends into it.
        CRect inCaption = rc;
        ::MapWindowPoints(lpDIS->hwndItem, caption->m_hWnd, reinterpret_cast<POINT*>(&inCaption), 2);
        CRect captionRect;
        caption->GetClientRect(&captionRect);
        const CTKPGradientColor& gradient = GetCaptionGradient(caption);
        const int height = captionRect.Height();
        GetGradientHelper().GradientFillRect(pDC->m_hDC, rc, GradientColorAt(gradient, inCaption.top, height),
                                             GradientColorAt(gradient, inCaption.bottom - 1, height), FALSE);
        return;
    }
    pDC->Draw3dRect(&rc, IndexColor(32), IndexColor(32));
}

CTKThemeStyleBase* CTKCaptionButtonThemeFactory::CreateTheme(int themeId)
{
    CTKButtonTheme* theme = themeId == 1   ? new CTKCaptionButtonFlatTheme
                            : themeId == 2 ? static_cast<CTKButtonTheme*>(new CTKCaptionButtonGradientTheme)
                                           : new CTKCaptionButtonTheme;
    theme->SetThemeId(themeId);
    return theme;
}
