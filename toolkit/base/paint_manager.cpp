// The paint manager base: colours, fonts, shared drawing, tool-bar controls, special buttons,
// popup animations, and the global manager with the theme switch.
#include "toolkit/base/paint_manager.h"
#include "toolkit/commandbars/image_manager.h"

#include "win32/kernel.h"
#include "win32/user.h"

#include <algorithm>
#include <cstring>
#include <vector>

// ---- Construction ------------------------------------------------------------------------------
CTKPPaintManager::CTKPPaintManager()
{
    m_grcBar.SetStandardValue(COLORREF(-1), COLORREF(-1), 0.5f);
    m_grcBar.m_light.Reset();
    m_grcBar.m_dark.Reset();
    // Images generated for the previous look go; the icons make them anew in this one's colours.
    GetGlobalImageManager()->RefreshAll();
}

CTKPPaintManager::~CTKPPaintManager()
{
    DeleteBarFonts();
    for (CTKPFontHolder* h : {&m_fontSmallCaption, &m_fontIconTitle, &m_fontIconTitleBold})
        if (h->m_font)
            DeleteObject(h->m_font);
}

void CTKPPaintManager::DeleteBarFonts()
{
    for (HFONT* f : {&m_fontRegular, &m_fontBold, &m_fontVert, &m_fontVertBold}) {
        if (*f)
            DeleteObject(*f);
        *f = nullptr;
    }
}

// ---- Colours -----------------------------------------------------------------------------------
COLORREF CTKPPaintManager::GetColor(UINT index) const
{
    if (index >= TK_COLOR_COUNT)
        return index;
    return m_colors[index].Effective();
}

void CTKPPaintManager::SetColors(int count, const UINT* indices, const COLORREF* colors)
{
    for (int i = 0; i < count; ++i)
        if (indices[i] < TK_COLOR_COUNT)
            m_colors[indices[i]].m_clrStandard = colors[i];
}

int CTKPPaintManager::GetLunaColorMode() const
{
    const CTKPColorTable& table = GetColorTable();
    if (m_nLunaColorMode == 5)
        return table.IsSystemThemeDisabled() ? 0 : table.GetCurrentSystemTheme();
    if (m_nLunaColorMode == 4)
        return table.GetDetectedSystemTheme();
    return m_nLunaColorMode;
}

void CTKPPaintManager::RefreshMetrics()
{
    RefreshFonts();
    RefreshColorTableThrottled();
    const CTKPColorTable& table = GetColorTable();
    for (UINT i = 0; i < TK_COLOR_COUNT; ++i)
        m_colors[i].m_clrStandard = table.GetColorByIndex(i);
    m_nReserved1 = 0;
    m_clrText = GetColor(COLOR_BTNTEXT);
    m_grcBar.SetStandardValue(GetColor(COLOR_BTNFACE), GetColor(COLOR_BTNSHADOW), 0.5f);
}

// ---- Fonts -------------------------------------------------------------------------------------
LOGFONTW MakeCommandBarLogFont(const LOGFONTW& menuFont, BYTE charSet)
{
    LOGFONTW lf{};
    lf.lfHeight = menuFont.lfHeight < 0 && menuFont.lfHeight > -11 ? -11 : menuFont.lfHeight;
    lf.lfWeight = menuFont.lfWeight;
    lf.lfItalic = menuFont.lfItalic;
    std::memcpy(lf.lfFaceName, menuFont.lfFaceName, sizeof(lf.lfFaceName));
    lf.lfCharSet = charSet;
    return lf;
}

namespace {

// The system's non-client metrics in their 500-byte form.
struct TKNonClientMetrics {
    UINT cbSize;
    int iBorderWidth, iScrollWidth, iScrollHeight, iCaptionWidth, iCaptionHeight;
    LOGFONTW lfCaptionFont;
    int iSmCaptionWidth, iSmCaptionHeight;
    LOGFONTW lfSmCaptionFont;
    int iMenuWidth, iMenuHeight;
    LOGFONTW lfMenuFont, lfStatusFont, lfMessageFont;
};
static_assert(sizeof(TKNonClientMetrics) == 500);

BYTE ScreenCharSet()
{
    HDC screen = GetDC(nullptr);
    if (!screen)
        return DEFAULT_CHARSET;
    int cs = GetTextCharsetInfo(screen, nullptr, 0);
    ReleaseDC(nullptr, screen);
    return cs < 0 ? BYTE(DEFAULT_CHARSET) : BYTE(cs);
}

void RemakeHolder(CTKPFontHolder& holder, const LOGFONTW& lf)
{
    if (!holder.m_bAutoRefresh && holder.m_font)
        return;
    if (holder.m_font)
        DeleteObject(holder.m_font);
    holder.m_logFont = lf;
    holder.m_font = CreateFontIndirectW(&lf);
}

} // namespace

void CTKPPaintManager::RefreshFonts()
{
    TKNonClientMetrics ncm{};
    ncm.cbSize = sizeof(ncm);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0))
        return;
    if (m_bUseSystemFont) {
        LOGFONTW lf = MakeCommandBarLogFont(ncm.lfMenuFont, ScreenCharSet());
        SetCommandBarsFont(&lf, TRUE);
    }
    RemakeHolder(m_fontSmallCaption, ncm.lfSmCaptionFont);
    LOGFONTW iconTitle{};
    if (SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(iconTitle), &iconTitle, 0)) {
        RemakeHolder(m_fontIconTitle, iconTitle);
        iconTitle.lfWeight = FW_BOLD;
        RemakeHolder(m_fontIconTitleBold, iconTitle);
    }
}

void CTKPPaintManager::SetCommandBarsFont(const LOGFONTW* logFont, BOOL useSystemFont)
{
    m_bUseSystemFont = useSystemFont;
    if (!logFont)
        return;
    DeleteBarFonts();
    if (m_fontIconTitleBold.m_font) {
        DeleteObject(m_fontIconTitleBold.m_font);
        m_fontIconTitleBold.m_font = nullptr;
    }
    LOGFONTW lf = *logFont;
    if (CString(lf.lfFaceName).CompareNoCase(u"Tahoma") == 0)
        m_bTahoma = TRUE;
    if (lf.lfCharSet <= 2 && m_bUseSystemFont && m_bTahoma && FontExists(u"Tahoma"))
        std::memcpy(lf.lfFaceName, u"Tahoma", sizeof(u"Tahoma"));
    m_lfRegular = lf;
    m_lfBold = lf;
    m_lfBold.lfWeight = FW_BOLD;
    m_lfVert = lf;
    m_lfVert.lfEscapement = 2700;
    m_lfVert.lfOrientation = 900;
    CString vertFace = GetDefaultFontFace(m_bTahoma);
    std::memset(m_lfVert.lfFaceName, 0, sizeof(m_lfVert.lfFaceName));
    std::memcpy(m_lfVert.lfFaceName, vertFace.GetString(),
                std::min<size_t>(vertFace.GetLength(), LF_FACESIZE - 1) * sizeof(WCHAR));
    m_lfVertBold = m_lfVert;
    m_lfVertBold.lfWeight = FW_BOLD;
    m_fontRegular = CreateFontIndirectW(&m_lfRegular);
    m_fontBold = CreateFontIndirectW(&m_lfBold);
    m_fontVert = CreateFontIndirectW(&m_lfVert);
    m_fontVertBold = CreateFontIndirectW(&m_lfVertBold);

    HDC screen = GetDC(nullptr);
    if (screen && m_fontRegular) {
        HGDIOBJ old = SelectObject(screen, m_fontRegular);
        SIZE blank{};
        GetTextExtentPoint32W(screen, u" ", 1, &blank);
        SelectObject(screen, old);
        m_nTextHeight = blank.cy + 6;
    }
    if (screen)
        ReleaseDC(nullptr, screen);
}

const LOGFONTW& CTKPPaintManager::GetBarLogFont(BOOL vertical, BOOL bold) const
{
    if (vertical)
        return bold ? m_lfVertBold : m_lfVert;
    return bold ? m_lfBold : m_lfRegular;
}

HFONT CTKPPaintManager::GetBarFont(CTKPBarView* bar, BOOL bold) const
{
    int pos = bar ? bar->GetPosition() : TKP_BARPOS_TOP;
    if (pos == TKP_BARPOS_LEFT || pos == TKP_BARPOS_RIGHT)
        return bold ? m_fontVertBold : m_fontVert;
    return bold ? m_fontBold : m_fontRegular;
}

SIZE CTKPPaintManager::MeasureCaption(HDC hdc, const CString& text, UINT format)
{
    if (text.IsEmpty())
        return SIZE{0, 0};
    RECT rc{0, 0, 0, 0};
    DrawTextW(hdc, text, text.GetLength(), &rc, format | DT_CALCRECT);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

void CTKPPaintManager::DrawCaption(HDC hdc, const CString& text, RECT rc, UINT format)
{
    if (!text.IsEmpty())
        DrawTextW(hdc, text, text.GetLength(), &rc, format);
}

// ---- Shared drawing ----------------------------------------------------------------------------
void CTKPPaintManager::FillRectColor(HDC hdc, const RECT& rc, COLORREF color)
{
    if (rc.right <= rc.left || rc.bottom <= rc.top)
        return;
    HBRUSH b = CreateSolidBrush(color);
    FillRect(hdc, &rc, b);
    DeleteObject(b);
}

void CTKPPaintManager::FillRectIndex(HDC hdc, const RECT& rc, int colorIndex)
{
    FillRectColor(hdc, rc, GetColor(UINT(colorIndex)));
}

void CTKPPaintManager::Draw3dColors(HDC hdc, const RECT& rc, COLORREF topLeft, COLORREF bottomRight)
{
    int x = rc.left, y = rc.top, cx = rc.right - rc.left, cy = rc.bottom - rc.top;
    if (cx <= 0 || cy <= 0)
        return;
    FillRectColor(hdc, RECT{x, y, x + cx - 1, y + 1}, topLeft);
    FillRectColor(hdc, RECT{x, y, x + 1, y + cy - 1}, topLeft);
    FillRectColor(hdc, RECT{x + cx - 1, y, x + cx, y + cy}, bottomRight);
    FillRectColor(hdc, RECT{x, y + cy - 1, x + cx, y + cy}, bottomRight);
}

void CTKPPaintManager::Draw3dRectangle(HDC hdc, const RECT& rc, int topLeftIndex, int bottomRightIndex)
{
    Draw3dColors(hdc, rc, GetColor(UINT(topLeftIndex)), GetColor(UINT(bottomRightIndex)));
}

void CTKPPaintManager::DrawRectangle(HDC hdc, const RECT& rc, int fillIndex, int frameIndex)
{
    if (fillIndex != -1)
        FillRectIndex(hdc, rc, fillIndex);
    if (frameIndex != -1 && frameIndex != fillIndex)
        Draw3dRectangle(hdc, rc, frameIndex, frameIndex);
}

void CTKPPaintManager::DrawLine(HDC hdc, int x1, int y1, int x2, int y2, int colorIndex)
{
    CTKPSelectPen pen(hdc, GetColor(UINT(colorIndex)));
    MoveToEx(hdc, x1, y1, nullptr);
    LineTo(hdc, x2, y2);
}

void CTKPPaintManager::GradientFill(HDC hdc, const RECT& rc, const CTKPGradientColor& gradient, BOOL horizontal,
                                   const RECT* clip)
{
    GetGradientHelper().GradientFillColor(hdc, rc, gradient, horizontal, clip);
}

void DrawTickGlyph(HDC hdc, const RECT& rc, COLORREF color, int kind)
{
    int cx = (rc.left + rc.right) / 2, cy = (rc.top + rc.bottom) / 2;
    CTKPSelectPen pen(hdc, color);
    for (int dy = 0; dy < 2; ++dy) {
        POINT pts[3];
        if (kind == 1) {
            pts[0] = {cx - 4, cy - 3 + dy};
            pts[1] = {cx, cy + 1 + dy};
            pts[2] = {cx + 3, cy - 2 + dy};
        } else {
            pts[0] = {cx - 4, cy - 1 + dy};
            pts[1] = {cx - 2, cy + 1 + dy};
            pts[2] = {cx + 3, cy - 4 + dy};
        }
        Polyline(hdc, pts, 3);
    }
}

void CTKPPaintManager::DrawCheckGlyph(HDC hdc, const RECT& rc, COLORREF color, int kind)
{
    DrawTickGlyph(hdc, rc, color, kind);
    if (m_bBoldGlyph) {
        RECT lower = rc;
        OffsetRect(&lower, 0, 1);
        DrawTickGlyph(hdc, lower, color, kind);
    }
}

void CTKPPaintManager::DrawDropDownTriangle(HDC hdc, const RECT& rc, COLORREF color)
{
    int cx = (rc.left + rc.right) / 2;
    int h = std::max<int>((rc.right - rc.left) / 2 - 4, 2);
    int y = (rc.top + rc.bottom) / 2 - h / 2;
    FillTriangle(hdc, {cx - h, y}, {cx + h, y}, {cx, y + h}, color);
}

void CTKPPaintManager::DrawSunkenFrame(HDC hdc, const RECT& rc, BOOL /*lastPane*/)
{
    Draw3dRectangle(hdc, rc, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT);
}

void CTKPPaintManager::DrawSizeGrip(HDC hdc, const RECT& rc)
{
    // Three pairs of shadow lines 4 pixels apart and a highlight line beside each, down to the corner.
    for (int i = 0; i < 3; ++i) {
        int d = 4 * i;
        DrawLine(hdc, rc.right - 2 - d, rc.bottom - 1, rc.right, rc.bottom - 3 - d, COLOR_BTNSHADOW);
        DrawLine(hdc, rc.right - 3 - d, rc.bottom - 1, rc.right, rc.bottom - 4 - d, COLOR_BTNSHADOW);
        DrawLine(hdc, rc.right - 4 - d, rc.bottom - 1, rc.right, rc.bottom - 5 - d, COLOR_BTNHIGHLIGHT);
    }
}

void CTKPPaintManager::FillDockBar(HDC hdc, const CTKPDockBarInfo& dockBar)
{
    FillRectIndex(hdc, dockBar.rcClient, COLOR_BTNFACE);
}

void CTKPPaintManager::FillFrameClient(HDC hdc, const RECT& rcClient)
{
    FillRectIndex(hdc, rcClient, COLOR_BTNFACE);
}

RECT CTKPPaintManager::GetBarBorders(CTKPBarView*)
{
    return RECT{2, 2, 2, 2};
}

// ---- Controls ----------------------------------------------------------------------------------
COLORREF CTKPPaintManager::DrawControlFaceByState(HDC hdc, CTKPControlView* control, const RECT& rc)
{
    CTKPBarView* bar = control->GetParentBarView();
    int type = control->GetType();
    BOOL isPopup = type == TKP_CONTROL_POPUP || type == TKP_CONTROL_BUTTONPOPUP || type == TKP_CONTROL_SPLITBUTTONPOPUP;
    int pressed = isPopup && control->IsPopupOpen() ? 1 : control->GetPressed();
    return DrawControlFace(hdc, rc, control->GetSelected(), pressed, control->GetEnabled(), control->GetChecked(),
                           control->IsPopupOpen(), bar ? bar->GetPosition() : TKP_BARPOS_TOP);
}

SIZE CTKPPaintManager::GetControlSize(HDC hdc, CTKPControlView* control, BOOL)
{
    switch (control->GetType()) {
    case TKP_CONTROL_EDIT: return DrawEditControl(hdc, control, FALSE);
    case TKP_CONTROL_COMBOBOX: return DrawComboBoxControl(hdc, control, FALSE);
    default: break;
    }
    CTKPBarView* bar = control->GetParentBarView();
    if (bar && bar->GetType() == TKP_BARTYPE_POPUP)
        return DrawPopupBarControl(hdc, control, FALSE);
    return DrawToolBarControl(hdc, control, FALSE);
}

SIZE CTKPPaintManager::DrawToolBarControl(HDC hdc, CTKPControlView* control, BOOL draw)
{
    CTKPBarView* bar = control->GetParentBarView();
    int type = control->GetType();
    if (type != TKP_CONTROL_BUTTON && type != TKP_CONTROL_POPUP && type != TKP_CONTROL_BUTTONPOPUP &&
        type != TKP_CONTROL_SPLITBUTTONPOPUP && type != TKP_CONTROL_LABEL)
        return SIZE{0, 0};
    int pos = bar ? bar->GetPosition() : TKP_BARPOS_TOP;
    BOOL vertical = pos == TKP_BARPOS_LEFT || pos == TKP_BARPOS_RIGHT;
    SIZE iconSize = bar ? bar->GetIconSize() : SIZE{16, 16};
    int style = control->GetStyle();
    CTKPIconView* icon = style != TKP_STYLE_CAPTION && type != TKP_CONTROL_LABEL ? control->GetImage(iconSize.cx) : nullptr;
    SIZE button = icon && bar ? bar->GetButtonSize() : SIZE{23, 23};
    CString caption = StripMnemonicsCopy(control->GetCaption());
    // A horizontal bar with texts below its icons shows every caption under its icon.
    const BOOL textBelow = icon && !vertical && bar && bar->GetShowTextBelowIcons() == 1;
    BOOL showCaption = !caption.IsEmpty() && (style == TKP_STYLE_CAPTION || style == TKP_STYLE_ICONANDCAPTION ||
                                              !icon || textBelow || type == TKP_CONTROL_POPUP ||
                                              type == TKP_CONTROL_LABEL);
    SIZE text = showCaption ? MeasureCaption(hdc, caption, DT_SINGLELINE) : SIZE{0, 0};
    if (vertical)
        std::swap(text.cx, text.cy);
    const BOOL stacked = vertical || textBelow;

    SIZE size{0, 0};
    if (type == TKP_CONTROL_POPUP && !icon) {
        size = SIZE{text.cx + 6, text.cy + 6};
    } else if (type == TKP_CONTROL_POPUP && !showCaption) {
        size = SIZE{button.cy + 7, button.cy};
    } else if (icon && showCaption) {
        size = stacked ? SIZE{button.cx, button.cy + text.cy + (vertical ? 4 : 0)}
                       : SIZE{button.cx + text.cx + 4, button.cy};
    } else if (icon) {
        size = button;
    } else {
        size = SIZE{std::max<LONG>(text.cx + 8, 8), std::max<LONG>(button.cy, text.cy + 6)};
    }
    if (bar && bar->GetShowTextBelowIcons() == 1)
        size.cx = std::max<LONG>(text.cx + 8, iconSize.cx + 10) + (type == TKP_CONTROL_SPLITBUTTONPOPUP ? 11 : 0);
    else if (type == TKP_CONTROL_SPLITBUTTONPOPUP)
        size.cx += 11;
    if (!draw)
        return size;

    RECT rc = control->GetRect();
    if (type == TKP_CONTROL_SPLITBUTTONPOPUP)
        DrawSplitButton(hdc, control, rc);
    else
        SetTextColor(hdc, DrawControlFaceByState(hdc, control, rc));
    RECT content = rc;
    if (type == TKP_CONTROL_SPLITBUTTONPOPUP)
        content.right -= 11;
    if (icon) {
        int w = iconSize.cx, h = icon->GetWidth() ? icon->GetHeight() * iconSize.cx / icon->GetWidth() : iconSize.cy;
        POINT pt = stacked ? POINT{(content.left + content.right - w) / 2, content.top + 4}
                           : POINT{content.left + 3, (content.top + content.bottom - h) / 2};
        DrawControlIcon(hdc, icon, pt, SIZE{w, h}, control->GetSelected(), control->GetPressed(),
                        control->GetEnabled(), control->GetChecked(), control->IsPopupOpen());
        if (stacked)
            content.top += 4 + h;
        else
            content.left += 3 + w;
    }
    if (showCaption)
        DrawCaption(hdc, control->GetCaption(), content, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    if (type == TKP_CONTROL_POPUP && icon && !showCaption) {
        int c = (rc.top + rc.bottom) / 2;
        FillTriangle(hdc, {rc.right - 9, c - 1}, {rc.right - 5, c - 1}, {rc.right - 7, c + 1}, GetTextColor(hdc));
    }
    return size;
}

void CTKPPaintManager::DrawSplitButton(HDC hdc, CTKPControlView* control, const RECT& rc)
{
    CTKPBarView* bar = control->GetParentBarView();
    int pos = bar ? bar->GetPosition() : TKP_BARPOS_TOP;
    BOOL open = control->IsPopupOpen();
    RECT face = rc;
    if (!open)
        face.right -= 11;
    COLORREF text = DrawControlFace(hdc, face, control->GetSelected(), control->GetPressed(), control->GetEnabled(),
                                    control->GetChecked(), open, pos);
    if ((control->GetSelected() || control->GetPressed()) && control->GetEnabled())
        DrawControlFace(hdc, RECT{rc.right - 12, rc.top, rc.right, rc.bottom}, TRUE, FALSE, TRUE, FALSE, open, pos);
    SetTextColor(hdc, text);
    int c = (rc.top + rc.bottom) / 2 - 1;
    FillTriangle(hdc, {rc.right - 9, c}, {rc.right - 5, c}, {rc.right - 7, c + 2}, text);
}

SIZE CTKPPaintManager::DrawSpecialControl(HDC hdc, int kind, CTKPControlView* control, CTKPBarView* bar, BOOL draw,
                                          const RECT& rc)
{
    int pos = bar ? bar->GetPosition() : TKP_BARPOS_TOP;
    BOOL vertical = pos == TKP_BARPOS_LEFT || pos == TKP_BARPOS_RIGHT || pos == TKP_BARPOS_POPUP;
    switch (kind) {
    case 0: {
        if (!draw) {
            RECT face = vertical ? RECT{rc.left + 2, rc.bottom - 13, rc.right - 2, rc.bottom - 2}
                                 : RECT{rc.right - 13, rc.top + 2, rc.right - 2, rc.bottom - 2};
            DrawControlFace(hdc, face, control ? control->GetSelected() : 0, control ? control->GetPressed() : 0, TRUE,
                            FALSE, control && control->IsPopupOpen(), pos);
            return SIZE{0, 0};
        }
        COLORREF text = GetTextColor(hdc);
        int cx = vertical ? (rc.left + rc.right) / 2 : rc.right - 8, by = rc.bottom - 5;
        FillTriangle(hdc, {cx - 2, by - 2}, {cx + 2, by - 2}, {cx, by}, text);
        if (bar && bar->HasHiddenControls()) {
            CTKPSelectPen pen(hdc, text);
            for (int k = 0; k < 2; ++k) {
                int x = cx - 3 + 4 * k, y = rc.top + 6;
                MoveToEx(hdc, x, y, nullptr);
                LineTo(hdc, x + 2, y + 2);
                LineTo(hdc, x - 1, y + 5);
            }
        }
        return SIZE{0, 0};
    }
    case 1: {
        if (!draw)
            return SIZE{0, 12};
        if (control)
            DrawControlFaceByState(hdc, control, rc);
        int cx = (rc.left + rc.right) / 2, cy = (rc.top + rc.bottom) / 2;
        CTKPSelectPen pen(hdc, GetTextColor(hdc));
        for (int k = 0; k < 2; ++k) {
            int y = cy - 3 + 4 * k;
            MoveToEx(hdc, cx - 2, y, nullptr);
            LineTo(hdc, cx, y + 2);
            LineTo(hdc, cx + 3, y - 1);
        }
        return SIZE{0, 12};
    }
    case 2:
    case 3: {
        if (!draw)
            return SIZE{0, 0};
        if (control)
            DrawControlFaceByState(hdc, control, rc);
        BOOL bothZero = control && control->GetGlyphStateWord(0) == 0 &&
                        (kind == 3 ? !control->IsPopupOpen() : control->GetGlyphStateWord(1) == 0);
        COLORREF glyph = bothZero ? GetColor(COLOR_BTNHIGHLIGHT) : GetTextColor(hdc);
        int cx = (rc.left + rc.right) / 2, cy = (rc.top + rc.bottom) / 2;
        if (kind == 3) {
            FillTriangle(hdc, {cx - 3, cy - 2}, {cx + 3, cy - 2}, {cx, cy + 1}, glyph);
        } else {
            // The close cross is the symbol font's "r", 8 points at the DC's resolution.
            LOGFONTW lf{};
            lf.lfHeight = -MulDiv(MulDiv(80, 96, GetDeviceCaps(hdc, LOGPIXELSY)), GetDeviceCaps(hdc, LOGPIXELSY), 720);
            lf.lfCharSet = SYMBOL_CHARSET;
            std::memcpy(lf.lfFaceName, u"Marlett", sizeof(u"Marlett"));
            HFONT font = CreateFontIndirectW(&lf);
            HGDIOBJ old = SelectObject(hdc, font);
            COLORREF oldText = SetTextColor(hdc, glyph);
            int oldMode = SetBkMode(hdc, TRANSPARENT);
            RECT box = rc;
            DrawTextW(hdc, u"r", 1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            SetBkMode(hdc, oldMode);
            SetTextColor(hdc, oldText);
            SelectObject(hdc, old);
            DeleteObject(font);
        }
        return SIZE{0, 0};
    }
    default: return SIZE{0, 0};
    }
}

// ---- Animation ---------------------------------------------------------------------------------
void FadeBlendPixels(DWORD* out, const DWORD* newPixels, const DWORD* oldPixels, int count, int alpha)
{
    for (int i = 0; i < count; ++i) {
        DWORD n = newPixels[i], o = oldPixels[i], r = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            DWORD cn = (n >> shift) & 0xFF, co = (o >> shift) & 0xFF;
            r |= (((cn * DWORD(alpha) + co * DWORD(255 - alpha)) >> 8) & 0xFF) << shift;
        }
        out[i] = r | (o & 0xFF000000u);
    }
}

void CTKPPaintManager::AnimatePopup(HDC hdcDest, HDC hdcSource, const RECT& rc, int kind)
{
    int n = m_nAnimationSteps;
    if (n < 1)
        return;
    DWORD delay = DWORD(m_nAnimationDuration / n);
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    if (kind == 2 || kind == 3) {
        for (int k = 1; k <= n; ++k) {
            int wk = kind == 2 ? w * k / n : w, hk = h * k / n;
            if (kind == 2)
                BitBlt(hdcDest, 0, 0, wk, hk, hdcSource, rc.right - wk, rc.bottom - hk, SRCCOPY);
            else
                BitBlt(hdcDest, 0, 0, w, hk, hdcSource, 0, h - hk, SRCCOPY);
            Sleep(delay);
        }
        return;
    }
    if (kind != 4 || w <= 0 || h <= 0)
        return;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    DWORD *newBits = nullptr, *oldBits = nullptr, *outBits = nullptr;
    HBITMAP newBmp = CreateDIBSection(hdcDest, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&newBits), nullptr, 0);
    HBITMAP oldBmp = CreateDIBSection(hdcDest, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&oldBits), nullptr, 0);
    HBITMAP outBmp = CreateDIBSection(hdcDest, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&outBits), nullptr, 0);
    HDC mem = CreateCompatibleDC(hdcDest);
    if (newBmp && oldBmp && outBmp && mem) {
        HGDIOBJ prev = SelectObject(mem, newBmp);
        BitBlt(mem, 0, 0, w, h, hdcSource, rc.left, rc.top, SRCCOPY);
        SelectObject(mem, oldBmp);
        BitBlt(mem, 0, 0, w, h, hdcDest, rc.left, rc.top, SRCCOPY);
        SelectObject(mem, outBmp);
        for (int k = 1; k < n; ++k) {
            DWORD start = GetTickCount();
            GdiFlush();
            FadeBlendPixels(outBits, newBits, oldBits, w * h, 255 * k / n);
            BitBlt(hdcDest, rc.left, rc.top, w, h, mem, 0, 0, SRCCOPY);
            DWORD spent = GetTickCount() - start;
            if (spent < delay)
                Sleep(delay - spent);
        }
        SelectObject(mem, prev);
    }
    if (mem)
        DeleteDC(mem);
    for (HBITMAP b : {newBmp, oldBmp, outBmp})
        if (b)
            DeleteObject(b);
}

void CTKPPaintManager::AnimateExpand(CTKPBarView* popupBar, HDC hdcDest, HDC hdcSource, BOOL downward)
{
    int n = m_nAnimationSteps;
    if (n < 1 || !popupBar)
        return;
    DWORD delay = DWORD(m_nAnimationDuration / n);
    RECT client = popupBar->GetClientRect();
    int w = client.right - client.left, h = client.bottom - client.top;
    // Bands run from the first control of each run of visible controls that share the
    // newly-shown flag to the first control of the next run.
    struct Band {
        int top;
        BOOL grows;
    };
    std::vector<Band> bands;
    for (int i = 0; i < popupBar->GetControlCount(); ++i) {
        CTKPControlView* c = popupBar->GetControlView(i);
        if (!c || c->IsHidden())
            continue;
        BOOL grows = c->IsHiddenEntryShown();
        if (bands.empty())
            bands.push_back({0, grows});
        else if (bands.back().grows != grows)
            bands.push_back({int(c->GetRect().top), grows});
    }
    if (bands.empty())
        bands.push_back({0, FALSE});
    for (int k = 1; k <= n; ++k) {
        std::vector<int> heights;
        int total = 0;
        for (size_t b = 0; b < bands.size(); ++b) {
            int bottom = b + 1 < bands.size() ? bands[b + 1].top : h;
            int full = std::max(bottom - bands[b].top, 0);
            int height = bands[b].grows ? full * k / n : full;
            heights.push_back(height);
            total += height;
        }
        int y = downward ? 0 : h - total;
        for (size_t b = 0; b < bands.size(); ++b) {
            int bottom = b + 1 < bands.size() ? bands[b + 1].top : h;
            if (heights[b] > 0)
                StretchBlt(hdcDest, 0, y, w, heights[b], hdcSource, 0, bands[b].top, w, bottom - bands[b].top, SRCCOPY);
            y += heights[b];
        }
        Sleep(delay);
    }
}

// ---- The global manager ------------------------------------------------------------------------
CTKPPaintManager* g_pGlobalPaintManager = nullptr;

CTKPPaintManager* GetGlobalPaintManager()
{
    return g_pGlobalPaintManager;
}

namespace {
struct GlobalPaintManagerReaper {
    ~GlobalPaintManagerReaper() { DestroyGlobalPaintManager(); }
};
} // namespace

void SetCustomPaintManager(CTKPPaintManager* manager)
{
    // Made after GDI's own tables, so that it runs before them at exit and the manager's fonts
    // are deleted while GDI still knows them.
    GetStockObject(NULL_BRUSH);
    static GlobalPaintManagerReaper reaper;
    CTKPPaintManager* old = g_pGlobalPaintManager;
    g_pGlobalPaintManager = manager;
    // Installing the manager already installed keeps it: releasing it first would free it.
    if (old && old != manager)
        old->InternalRelease();
    if (manager) {
        manager->m_nThemeId = 5;
        manager->RefreshMetrics();
    }
}

void SetGlobalTheme(int themeId)
{
    SetCustomPaintManager(CreatePaintManager(themeId));
    if (g_pGlobalPaintManager)
        g_pGlobalPaintManager->m_nThemeId = themeId;
}

void DestroyGlobalPaintManager()
{
    if (g_pGlobalPaintManager)
        g_pGlobalPaintManager->InternalRelease();
    g_pGlobalPaintManager = nullptr;
}

