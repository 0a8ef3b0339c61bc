// The gradient and soft-gradient themes: the flat shapes filled with gradients, colour sets per scheme,
// dotted grippers and the shaded round image of the popup expand entry.
#include "toolkit/base/themes.h"

#include "win32/user.h"

#include <algorithm>
#include <cmath>

namespace {

COLORREF Blend(const CTKPPaintManager& pm, int a, int b, int weight)
{
    return BlendColorsByPercent(pm.GetColor(UINT(a)), pm.GetColor(UINT(b)), weight);
}

constexpr COLORREF kMaskGreen = 0x00FF00;

} // namespace

CTKPGradientTheme::CTKPGradientTheme()
{
    m_iconsInfo.bUseFadedIcons = FALSE;
    m_iconsInfo.bIconsWithShadow = FALSE;
    m_grcChecked.SetStandardValue(0x8CD5FF, 0x55ADFF, 0.5f);
    m_grcPressed.SetStandardValue(0x4B8EFE, 0x8BCFFF, 0.5f);
    m_grcHot.SetStandardValue(0xC8F2FF, 0x97D4FF, 0.5f);
}

CTKPGradientTheme::~CTKPGradientTheme()
{
    if (m_imlShaded)
        ImageList_Destroy(m_imlShaded);
}

BOOL CTKPGradientTheme::IsDockableBar(CTKPBarView* bar) const
{
    return bar->GetType() != TKP_BARTYPE_MENUBAR && (bar->GetDockingFlags() & 0xF) != 0;
}

// ---- Metrics -----------------------------------------------------------------------------------
void CTKPGradientTheme::RefreshMetrics()
{
    CTKPFlatTheme::RefreshMetrics();
    m_themeStatusBar.OpenThemeData(nullptr, u"STATUS");

    m_grcHiddenEntry.SetStandardValue(Blend(*this, 5, 42, 550), GetColor(42));
    m_grcToolBarFace.SetStandardValue(Blend(*this, 15, 5, 205), GetColor(15));
    m_grcDockBar.SetStandardValue(GetColor(15), Blend(*this, 15, 5, 205));
    m_clrTearOffStrip.SetStandard(GetColor(30));
    m_clrToolBarShadow.SetStandard(GetColor(30));
    m_clrFloatingCaption.SetStandard(GetColor(16));
    m_grcPopupedButton.SetStandardValue(GetColor(41), Blend(*this, 5, 15, 550));
    m_grcExpandButton.SetStandardValue(Blend(*this, 51, 16, 51), GetColor(16));
    m_bHighlightGradient = FALSE;
    m_grcShading.SetStandardValue(GetColor(41), Blend(*this, 5, 15, 550));
    m_clrStatusPaneBorder.SetStandard(Blend(*this, 15, 5, 70));
    m_colors[55].m_clrStandard = GetColorTable().m_gradients[1].Dark();

    int mode = GetLunaColorMode();
    if (mode >= 1 && mode <= 3) {
        int k = mode - 1;
        struct G {
            COLORREF light, dark;
            float factor;
        };
        static const G dock[3] = {{0xF5BE9E, 0xFADAC4, 0.5f}, {0xA7D9D9, 0xE4F1F2, 0.5f}, {0xE5D7D7, 0xF7F3F3, 0.5f}};
        static const G face[3] = {{0xFEECDD, 0xE2A981, 0.75f}, {0xDEF7F4, 0x91C6B7, 0.3f}, {0xFFF9F9, 0xB79B9C, 0.75f}};
        static const G popuped[3] = {{0xFFEFE3, 0xE7B593, 0.5f}, {0xD5F0EC, 0x9FCEC2, 0.5f}, {0xF1E7E9, 0xCDB9BA, 0.5f}};
        static const G expand[3] = {{0xF1A675, 0x913500, 0.75f}, {0x8CC2B0, 0x6B7760, 0.3f}, {0xC8B2B3, 0x927476, 0.75f}};
        static const G hidden[3] = {{0xF6DDCB, 0xDCA179, 0.5f}, {0xD1E6E6, 0x78B4A4, 0.3f}, {0xE2D7D7, 0xA28385, 0.5f}};
        static const G shading[3] = {{0xFEEFE3, 0xE2A981, 0.5f}, {0xD5F0EC, 0x93C6B8, 0.5f}, {0xF1E8E8, 0xC5AEB0, 0.5f}};
        static const G barGradient[3] = {{0xF2ECE9, 0xAC7A61, 0.5f}, {0xF0F4F3, 0x719083, 0.5f}, {0xF9F5F7, 0x99797A, 0.5f}};
        static const COLORREF shadow[3] = {0x9C613B, 0x588060, 0x947C7C};
        static const COLORREF caption[3] = {0xC9662A, 0x5E8674, 0x99797A};
        static const COLORREF border[3] = {0xD3D3D3, 0xD3D3D3, 0xDAEAEC};
        static const COLORREF strip[3] = {0xF0C7A9, 0x9FD4C5, 0xD3C0C0};
        static const COLORREF text[3] = {0x361E16, 0x19221F, 0x292024};
        m_grcDockBar.SetStandardValue(dock[k].light, dock[k].dark, dock[k].factor);
        m_grcToolBarFace.SetStandardValue(face[k].light, face[k].dark, face[k].factor);
        m_grcPopupedButton.SetStandardValue(popuped[k].light, popuped[k].dark, popuped[k].factor);
        m_grcExpandButton.SetStandardValue(expand[k].light, expand[k].dark, expand[k].factor);
        m_grcHiddenEntry.SetStandardValue(hidden[k].light, hidden[k].dark, hidden[k].factor);
        m_grcShading.SetStandardValue(shading[k].light, shading[k].dark, shading[k].factor);
        m_grcBar.SetStandardValue(barGradient[k].light, barGradient[k].dark, barGradient[k].factor);
        m_clrToolBarShadow.SetStandard(shadow[k]);
        m_clrFloatingCaption.SetStandard(caption[k]);
        m_clrStatusPaneBorder.SetStandard(border[k]);
        m_clrTearOffStrip.SetStandard(strip[k]);
        m_clrText = text[k];
        static const UINT indices[] = {12, 51, 52, 53, 56, 38, 39, 40, 41, 43, 31, 32, 37, 50, 33, 36, 30, 47};
        static const COLORREF values[3][18] = {
            {0xAE9990, 0xFCE7D8, 0xF5BE9E, 0xFCE1CB, 0xF7D3BD, 0x764127, 0xCB8C6A, 0xD0966D, 0xF6F6F6, 0x962D00,
             0xC2EEFF, 0x800000, 0x800000, 0x800000, 0x3E80FE, 0x6FC0FF, 0xF9DBC4, 0x000000},
            {0x7BA097, 0xBFE7E2, 0x8AC0AB, 0xB6E3D8, 0xBDE3DE, 0x335E51, 0x588060, 0x7AAE9F, 0xEEF4F4, 0x5E8D75,
             0xC2EEFF, 0x385D3F, 0x385D3F, 0x385D3F, 0x3E80FE, 0x6FC0FF, 0xADDED1, 0x000000},
            {0xB39A9B, 0xEADFDF, 0xC3B0B1, 0xE7D3D6, 0xE7D7D6, 0x755454, 0x8F6D6E, 0xBEA7A8, 0xFFFAFD, 0x947C7C,
             0xC2EEFF, 0x6F4B4B, 0x6F4B4B, 0x6F4B4B, 0x3E80FE, 0x6FC0FF, 0xE4DADB, 0x000000},
        };
        SetColors(18, indices, values[k]);
        m_bHighlightGradient = TRUE;
        static const UINT greys[] = {58, 60, 35};
        static const COLORREF grey[] = {0x8D8D8D, 0x8D8D8D, 0x8D8D8D};
        SetColors(3, greys, grey);
    }
    RebuildShadedImage();
}

void CTKPGradientTheme::RebuildShadedImage()
{
    // A disc shaded from the dark end at its rim to the light end at its centre, mask green outside.
    if (!m_imlShaded)
        m_imlShaded = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 1, 1);
    if (!m_imlShaded)
        return;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = 16;
    bi.bmiHeader.biHeight = -16;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP image = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC mem = image ? CreateCompatibleDC(nullptr) : nullptr;
    if (!mem) {
        if (image)
            DeleteObject(image);
        return;
    }
    HGDIOBJ old = SelectObject(mem, image);
    COLORREF light = m_grcShading.Light(), dark = m_grcShading.Dark();
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            double r = std::hypot(x - 7.5, y - 7.5);
            int level = r > 7.5 ? 255 : int(254 * (1.0 - r / 7.5 * 0.8));
            COLORREF c = kMaskGreen;
            if (level < 255) {
                auto ch = [&](int d, int l) { return d - (d - l) * level / 255; };
                c = RGB(ch(GetRValue(dark), GetRValue(light)), ch(GetGValue(dark), GetGValue(light)),
                        ch(GetBValue(dark), GetBValue(light)));
            }
            SetPixel(mem, x, y, c);
        }
    SelectObject(mem, old);
    DeleteDC(mem);
    if (ImageList_GetImageCount(m_imlShaded) > 0)
        ImageList_Remove(m_imlShaded, 0);
    ImageList_AddMasked(m_imlShaded, image, kMaskGreen);
    DeleteObject(image);
}

// ---- Faces -------------------------------------------------------------------------------------
void CTKPGradientTheme::DrawRectangleByState(HDC hdc, const RECT& rc, int selected, int pressed, BOOL enabled,
                                             BOOL checked, BOOL popuped, BOOL toolBar, int position)
{
    if (popuped) {
        GradientFill(hdc, rc, m_grcPopupedButton, FALSE);
        DrawRectangle(hdc, rc, -1, 43);
        return;
    }
    if (!m_bHighlightGradient || !toolBar || position == TKP_BARPOS_POPUP) {
        CTKPFlatTheme::DrawRectangleByState(hdc, rc, selected, pressed, enabled, checked, popuped, toolBar, position);
        return;
    }
    BOOL across = position == TKP_BARPOS_LEFT || position == TKP_BARPOS_RIGHT;
    const CTKPGradientColor* fill = nullptr;
    int frame = -1;
    if (enabled) {
        if (checked && !selected && !pressed)
            fill = &m_grcChecked, frame = 50;
        else if (pressed != 2 && (selected != 0) != (pressed != 0))
            fill = &m_grcHot, frame = 32;
        else if (!checked && !selected && !pressed)
            return;
        else
            fill = &m_grcPressed, frame = 50;
    } else if (selected == 2) {
        fill = checked ? &m_grcPressed : &m_grcHot, frame = 50;
    } else if (checked) {
        fill = &m_grcChecked, frame = 58;
    } else {
        return;
    }
    GradientFill(hdc, rc, *fill, across);
    DrawRectangle(hdc, rc, -1, frame);
}

void CTKPGradientTheme::FillPopupIconColumn(HDC hdc, int x, int y, int width, int height, BOOL hidden)
{
    GradientFill(hdc, RECT{x, y, x + width, y + height}, hidden ? m_grcHiddenEntry : m_grcToolBarFace, TRUE);
}

// ---- Bars --------------------------------------------------------------------------------------
void CTKPGradientTheme::PaintDockGradient(HDC hdc, const RECT& rc)
{
    RECT wide = rc;
    wide.right = std::max<LONG>(wide.right, wide.left + GetSystemMetrics(SM_CXSCREEN) / 2);
    GradientFill(hdc, wide, m_grcDockBar, TRUE, &rc);
}

void CTKPGradientTheme::FillDockBar(HDC hdc, const CTKPDockBarInfo& dockBar)
{
    if (dockBar.dwStyle & (0x4000 | 0x0100))
        FillRectColor(hdc, dockBar.rcClient, m_grcDockBar.Dark());
    else
        PaintDockGradient(hdc, dockBar.rcClient);
}

void CTKPGradientTheme::FillCommandBar(HDC hdc, CTKPBarView* bar)
{
    RECT rc = bar->GetClientRect();
    int pos = bar->GetPosition(), type = bar->GetType();
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    // The extent of the visible controls: the face gradient stops after the last one.
    RECT last{rc.left, rc.top, rc.left, rc.top};
    for (int i = 0; i < bar->GetControlCount(); ++i) {
        CTKPControlView* c = bar->GetControlView(i);
        if (c && !c->IsHidden())
            last = c->GetRect();
    }

    if (type == TKP_BARTYPE_MENUBAR) {
        PaintDockGradient(hdc, rc);
        if (pos == TKP_BARPOS_FLOATING) {
            RECT inner = rc;
            InflateRect(&inner, -1, -1);
            DrawRectangle(hdc, rc, -1, 43);
            DrawRectangle(hdc, inner, -1, 43);
            for (POINT p : {POINT{2, 2}, POINT{rc.right - 3, 2}, POINT{2, rc.bottom - 3}, POINT{rc.right - 3, rc.bottom - 3}})
                SetPixel(hdc, p.x, p.y, GetColor(43));
        }
        return;
    }
    if (pos == TKP_BARPOS_TOP || pos == TKP_BARPOS_BOTTOM || pos == TKP_BARPOS_LEFT || pos == TKP_BARPOS_RIGHT) {
        BOOL horizontalBar = pos == TKP_BARPOS_TOP || pos == TKP_BARPOS_BOTTOM;
        FillRectIndex(hdc, rc, COLOR_BTNFACE);
        DWORD dockStyle = 0;
        RECT parent{};
        if (bar->GetParentDockBar(&dockStyle, &parent)) {
            if (!horizontalBar && (dockStyle & (0x4000 | 0x0100)))
                FillRectColor(hdc, rc, m_grcDockBar.Dark());
            else {
                RECT wide = parent;
                wide.right = std::max<LONG>(wide.right, wide.left + GetSystemMetrics(SM_CXSCREEN) / 2);
                GradientFill(hdc, wide, m_grcDockBar, TRUE, &rc);
            }
        }
        int saved = SaveDC(hdc);
        RECT rest = rc;
        if (horizontalBar) {
            ExcludeClipRect(hdc, rc.left, rc.top, rc.left + 3, rc.bottom);
            rest.left += 3;
        } else {
            ExcludeClipRect(hdc, rc.left, rc.top, rc.right, rc.top + 3);
            rest.top += 3;
        }
        ExcludeCorners(hdc, rest);
        if (horizontalBar) {
            int bottom = std::min<LONG>(rc.bottom, last.bottom + 1);
            GradientFill(hdc, RECT{rc.left, rc.top, rc.right, bottom}, m_grcToolBarFace, FALSE);
            FillRectColor(hdc, RECT{rc.left, bottom, rc.right, rc.bottom}, m_grcToolBarFace.Dark());
            FillRectColor(hdc, RECT{rc.left + 5, rc.bottom - 1, rc.left + 5 + w - 7, rc.bottom}, m_clrToolBarShadow);
        } else {
            int right = std::min<LONG>(rc.right, last.right + 1);
            GradientFill(hdc, RECT{rc.left + 1, rc.top, right, rc.bottom}, m_grcToolBarFace, TRUE);
            FillRectColor(hdc, RECT{right, rc.top, rc.right, rc.bottom}, m_grcToolBarFace.Dark());
            FillRectColor(hdc, RECT{rc.right - 1, rc.top + 5, rc.right, rc.top + 5 + h - 7}, m_clrToolBarShadow);
        }
        RestoreDC(hdc, saved);
        return;
    }
    if (pos == TKP_BARPOS_FLOATING) {
        if (!IsDockableBar(bar)) {
            CTKPFlatTheme::FillCommandBar(hdc, bar);
            return;
        }
        RECT inner = rc;
        InflateRect(&inner, -1, -1);
        DrawRectangle(hdc, rc, 30, 43);
        DrawRectangle(hdc, inner, -1, 43);
        SIZE blank{};
        GetTextExtentPoint32W(hdc, u" ", 1, &blank);
        int captionBottom = std::max<int>(15, blank.cy) + 2;
        for (int i = 0; i < bar->GetControlCount(); ++i) {
            CTKPControlView* c = bar->GetControlView(i);
            if (!c || c->IsHidden())
                continue;
            RECT row = c->GetRowRect();
            row.left = std::max<LONG>(row.left, inner.left + 1);
            row.right = std::min<LONG>(row.right, inner.right - 1);
            row.top = std::max<LONG>(row.top, captionBottom);
            GradientFill(hdc, row, m_grcToolBarFace, FALSE);
        }
        for (POINT p : {POINT{2, 2}, POINT{rc.right - 3, 2}, POINT{2, rc.bottom - 3}, POINT{rc.right - 3, rc.bottom - 3}})
            SetPixel(hdc, p.x, p.y, GetColor(43));
        return;
    }
    // Popup bars.
    DrawRectangle(hdc, rc, 41, 43);
    if (type == TKP_BARTYPE_POPUP)
        FillPopupIconColumn(hdc, 1, 2, PopupIconColumnWidth(bar), rc.bottom - 4, FALSE);
    RECT opener{}, window = bar->GetWindowScreenRect(), joint{};
    if (bar->GetOpenerScreenRect(&opener) && IntersectRect(&joint, &opener, &window)) {
        OffsetRect(&joint, -window.left, -window.top);
        if (joint.right - joint.left > 1)
            InflateRect(&joint, -1, 0);
        if (joint.bottom - joint.top > 1)
            InflateRect(&joint, 0, -1);
        FillRectIndex(hdc, joint, 41);
    }
}

RECT CTKPGradientTheme::GetBarBorders(CTKPBarView* bar)
{
    if (bar && (bar->GetPosition() == TKP_BARPOS_TOP || bar->GetPosition() == TKP_BARPOS_BOTTOM))
        return RECT{4, 2, 2, 2};
    return CTKPFlatTheme::GetBarBorders(bar);
}

SIZE CTKPGradientTheme::DrawBarGripper(HDC hdc, CTKPBarView* bar, BOOL draw)
{
    if (bar->IsDialogBar())
        return DrawDialogBarGripper(hdc, bar, draw);
    RECT rc = bar->GetClientRect();
    auto square = [&](int x, int y, int index) { FillRectIndex(hdc, RECT{x, y, x + 2, y + 2}, index); };
    switch (bar->GetPosition()) {
    case TKP_BARPOS_FLOATING: {
        HGDIOBJ old = m_fontSmallCaption.m_font ? SelectObject(hdc, m_fontSmallCaption.m_font) : nullptr;
        int h = std::max<int>(15, MeasureCaption(hdc, bar->GetTitle(), DT_SINGLELINE).cy);
        RECT caption{3, 3, rc.right - 3, h + 3};
        if (draw) {
            FillRectColor(hdc, caption, m_clrFloatingCaption);
            SetTextColor(hdc, GetColor(COLOR_BTNHIGHLIGHT));
            SetBkMode(hdc, TRANSPARENT);
            DrawCaption(hdc, bar->GetTitle(), RECT{caption.left + 5, caption.top, caption.right, caption.bottom},
                        DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        }
        if (old)
            SelectObject(hdc, old);
        return SIZE{rc.right - 6, h};
    }
    case TKP_BARPOS_TOP:
    case TKP_BARPOS_BOTTOM:
        if (draw)
            for (int y = 8; y + 1 < rc.bottom - 8; y += 4) {
                square(6, y - 2, COLOR_BTNHIGHLIGHT);
                square(5, y - 3, 38);
            }
        return SIZE{6, 0};
    case TKP_BARPOS_LEFT:
    case TKP_BARPOS_RIGHT:
        if (draw)
            for (int x = 8; x + 1 < rc.right - 8; x += 4) {
                square(x - 2, 7, COLOR_BTNHIGHLIGHT);
                square(x - 3, 6, 38);
            }
        return SIZE{0, 9};
    default: return SIZE{0, 0};
    }
}

SIZE CTKPGradientTheme::DrawDialogBarGripper(HDC hdc, CTKPBarView* bar, BOOL draw)
{
    int height = std::max(25, m_nTextHeight + 6);
    if (draw) {
        RECT rc = bar->GetClientRect();
        InflateRect(&rc, -3, -3);
        rc.bottom = std::min<LONG>(rc.bottom, height);
        GradientFill(hdc, rc, m_grcToolBarFace, FALSE);
        for (int y = 4; y < height - 5; y += 4) {
            FillRectIndex(hdc, RECT{6, y + 1, 8, y + 3}, COLOR_BTNHIGHLIGHT);
            FillRectIndex(hdc, RECT{5, y, 7, y + 2}, 38);
        }
    }
    return SIZE{8, height};
}

SIZE CTKPGradientTheme::DrawGroupSeparator(HDC hdc, CTKPBarView* bar, CTKPControlView* control, BOOL draw)
{
    if (bar->GetType() == TKP_BARTYPE_POPUP)
        return CTKPFlatTheme::DrawGroupSeparator(hdc, bar, control, draw);
    int pos = bar->GetPosition();
    if (!draw)
        return pos == TKP_BARPOS_FLOATING ? SIZE{6, 0} : SIZE{6, 6};
    if (!control)
        return SIZE{0, 0};
    RECT c = control->GetRect(), r = control->GetRowRect();
    BOOL wrapped = control->GetWrap();
    if (wrapped && pos == TKP_BARPOS_FLOATING)
        return SIZE{0, 0};
    int x1, y1, x2, y2;
    BOOL horizontalLine;
    if (pos == TKP_BARPOS_LEFT || pos == TKP_BARPOS_RIGHT) {
        horizontalLine = !wrapped;
        if (wrapped)
            x1 = x2 = r.right + 2, y1 = r.top + 4, y2 = r.bottom;
        else
            y1 = y2 = c.top - 4, x1 = r.left, x2 = r.right;
    } else {
        horizontalLine = wrapped;
        if (wrapped)
            y1 = y2 = r.top - 4, x1 = r.left + 4, x2 = r.right;
        else
            x1 = x2 = c.left - 4, y1 = r.top, y2 = r.bottom;
    }
    DrawLine(hdc, x1, y1, x2, y2, 39);
    if (!m_bSoft) {
        if (horizontalLine)
            DrawLine(hdc, x1, y1 + 1, x2, y2 + 1, COLOR_BTNHIGHLIGHT);
        else
            DrawLine(hdc, x1 + 1, y1, x2 + 1, y2, COLOR_BTNHIGHLIGHT);
    }
    return SIZE{0, 0};
}

SIZE CTKPGradientTheme::DrawStrip(HDC hdc, const RECT& rcStrip, BOOL selected, BOOL draw)
{
    if (!draw)
        return SIZE{0, 9};
    FillRectIndex(hdc, rcStrip, 41);
    RECT rc = rcStrip;
    InflateRect(&rc, -1, -1);
    if (selected)
        DrawRectangle(hdc, rc, 31, 32);
    else
        FillRectColor(hdc, rc, m_clrTearOffStrip);
    int cx = (rc.left + rc.right) / 2;
    int half = std::min<int>(32, (rc.right - rc.left) / 2 - 10);
    for (int x = cx - half + 3; x <= cx + half; x += 4) {
        FillRectIndex(hdc, RECT{x - 2, rc.top + 5, x, rc.top + 7}, COLOR_BTNHIGHLIGHT);
        FillRectIndex(hdc, RECT{x - 3, rc.top + 4, x - 1, rc.top + 6}, 38);
    }
    return SIZE{0, 9};
}

void CTKPGradientTheme::DrawSunkenFrame(HDC hdc, const RECT& rc, BOOL)
{
    Draw3dColors(hdc, rc, m_clrStatusPaneBorder, m_clrStatusPaneBorder);
}

void CTKPGradientTheme::DrawSizeGrip(HDC hdc, const RECT& rc)
{
    if (m_themeStatusBar.IsOpen() && m_themeStatusBar.IsAppThemed()) {
        RECT grip{rc.right - 18, rc.top, rc.right, rc.bottom};
        m_themeStatusBar.DrawThemeBackground(hdc, 3, 0, &grip, nullptr);
        return;
    }
    for (int i = 0; i < 3; ++i) {
        int d = 5 * i;
        for (int k = 0; k < 3; ++k)
            DrawLine(hdc, rc.right - 2 - d - k, rc.bottom - 1, rc.right, rc.bottom - 3 - d - k, COLOR_BTNSHADOW);
        DrawLine(hdc, rc.right - 5 - d, rc.bottom - 1, rc.right, rc.bottom - 6 - d, COLOR_BTNHIGHLIGHT);
    }
}

SIZE CTKPGradientTheme::DrawSpecialControl(HDC hdc, int kind, CTKPControlView* control, CTKPBarView* bar, BOOL draw,
                                           const RECT& rc)
{
    int pos = bar ? bar->GetPosition() : TKP_BARPOS_TOP;
    BOOL vertical = pos == TKP_BARPOS_LEFT || pos == TKP_BARPOS_RIGHT || pos == TKP_BARPOS_POPUP;
    if (kind == 1) {
        if (!draw)
            return SIZE{0, 18};
        if (control)
            DrawControlFaceByState(hdc, control, rc);
        if (m_imlShaded && ImageList_GetImageCount(m_imlShaded) > 0) {
            int x0 = (rc.left + rc.right) / 2 - 8, y0 = rc.top + 1;
            ImageList_Draw(m_imlShaded, 0, hdc, x0, y0, ILD_NORMAL);
            CTKPSelectPen pen(hdc, GetColor(46));
            for (int k = 0; k < 2; ++k) {
                MoveToEx(hdc, x0 + 5, y0 + 5 + 4 * k, nullptr);
                LineTo(hdc, x0 + 8, y0 + 8 + 4 * k);
                LineTo(hdc, x0 + 11, y0 + 5 + 4 * k);
            }
        }
        return SIZE{0, 18};
    }
    if (kind != 0)
        return CTKPFlatTheme::DrawSpecialControl(hdc, kind, control, bar, draw, rc);
    BOOL open = control && control->IsPopupOpen();
    BOOL selected = control && control->GetSelected();
    if (!draw) {
        if (!open) {
            if (selected) {
                if (m_bHighlightGradient)
                    GradientFill(hdc, rc, m_grcHot, vertical);
                else
                    FillRectIndex(hdc, rc, 31);
            } else {
                GradientFill(hdc, rc, m_grcExpandButton, vertical);
            }
        } else if (m_bHighlightGradient) {
            GradientFill(hdc, rc, m_grcPressed, vertical);
        } else {
            FillRectIndex(hdc, rc, 36);
        }
        return SIZE{0, 0};
    }
    BOOL hidden = bar && bar->HasHiddenControls();
    int l = rc.left, t = rc.top, r = rc.right, b = rc.bottom, cx = (l + r) / 2, cy = (t + b) / 2;
    for (int pass = 0; pass < 2; ++pass) {
        int d = pass == 0 ? 1 : 0;
        COLORREF c = pass == 0 ? GetColor(COLOR_BTNHIGHLIGHT) : GetColor(selected && !open ? 45 : 46);
        CTKPSelectPen pen(hdc, c);
        if (!vertical) {
            MoveToEx(hdc, cx - 2 + d, b - 10 + d, nullptr);
            LineTo(hdc, cx + 3 + d, b - 10 + d);
            FillTriangle(hdc, {cx - 2 + d, b - 7 + d}, {cx + 2 + d, b - 7 + d}, {cx + d, b - 5 + d}, c);
            if (hidden) {
                FillTriangle(hdc, {l + 3 + d, t + 5 + d}, {l + 4 + d, t + 6 + d}, {l + 3 + d, t + 7 + d}, c);
                FillTriangle(hdc, {l + 7 + d, t + 5 + d}, {l + 8 + d, t + 6 + d}, {l + 7 + d, t + 7 + d}, c);
            }
        } else {
            MoveToEx(hdc, r - 10 + d, cy - 2 + d, nullptr);
            LineTo(hdc, r - 10 + d, cy + 3 + d);
            FillTriangle(hdc, {r - 5 + d, cy + d}, {r - 7 + d, cy - 2 + d}, {r - 7 + d, cy + 2 + d}, c);
            if (hidden) {
                FillTriangle(hdc, {l + 5 + d, t + 3 + d}, {l + 6 + d, t + 4 + d}, {l + 7 + d, t + 3 + d}, c);
                FillTriangle(hdc, {l + 5 + d, t + 7 + d}, {l + 6 + d, t + 8 + d}, {l + 7 + d, t + 7 + d}, c);
            }
        }
    }
    return SIZE{0, 0};
}

// ---- Soft gradient -----------------------------------------------------------------------------
CTKPSoftGradientTheme::CTKPSoftGradientTheme()
{
    m_nLunaColorMode = 0;
    m_bSoft = TRUE;
}

void CTKPSoftGradientTheme::RefreshMetrics()
{
    CTKPGradientTheme::RefreshMetrics();
    m_grcExpandButton.SetStandardValue(Blend(*this, 5, 15, 550), GetColor(16));
    int kind = GetColorTable().GetCurrentSystemTheme();
    if (kind == 1 || kind == 2) {
        m_grcToolBarFace.SetStandardValue(0xF5F9FA, 0xA8C0C0, 0.75f);
        m_grcExpandButton.SetStandardValue(0xEAEDEE, kind == 1 ? 0x7E9898 : 0x9EACB0, 0.75f);
        m_grcDockBar.SetStandardValue(0xD7E5E5, 0xE7F1F4, 0.5f);
        m_clrToolBarShadow.SetStandard(0x7CA3A3);
        m_grcHiddenEntry.SetStandardColor(0xBAC7CC);
        m_grcShading.CopyEffective(m_grcToolBarFace);
        if (kind == 1) {
            m_grcBar.SetStandardValue(0xF9F5F7, 0x99797A, 0.5f);
        } else {
            m_grcBar.SetStandardValue(0xD8E9EC, 0x99A8AC, 0.5f);
            static const UINT indices[] = {31, 33, 36, 47};
            static const COLORREF values[] = {0x8DC6B6, 0x70A093, 0x8DC6B6, 0xFFFFFF};
            SetColors(4, indices, values);
        }
    } else if (kind == 3) {
        m_grcToolBarFace.SetStandardValue(0xFAF4F3, 0xB59799, 0.75f);
        m_grcExpandButton.SetStandardValue(0xC8B2B3, 0x927476, 0.75f);
        m_grcDockBar.SetStandardValue(0xE5D7D7, 0xF7F3F3, 0.5f);
        m_grcHiddenEntry.SetStandardValue(0xE2D7D7, 0xA28385, 0.5f);
        m_grcShading.SetStandardValue(0xF1E8E8, 0xC5AEB0, 0.5f);
        m_clrToolBarShadow.SetStandard(0x947C7C);
        m_grcBar.SetStandardValue(0xF9F5F7, 0x99797A, 0.5f);
        m_clrTearOffStrip.SetStandard(0xD3C0C0);
        m_clrFloatingCaption.SetStandard(0x99797A);
        static const UINT indices[] = {60, 35, 39, 38, 30, 31, 32, 37, 50, 33, 36, 47};
        static const COLORREF values[] = {0x8D8D8D, 0x8D8D8D, 0x8F6D6E, 0x755454, 0xE4DADB, 0xC2EEFF,
                                          0x6F4B4B, 0x6F4B4B, 0x6F4B4B, 0x3E80FE, 0x6FC0FF, 0};
        SetColors(12, indices, values);
    }
    RebuildShadedImage();
}
