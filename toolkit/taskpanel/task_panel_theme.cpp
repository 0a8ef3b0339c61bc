// The base task-panel painter (theme 0): metrics, fonts and colours, margins, the panel background, the
// captions with their expand buttons, the group client areas, drop marks, focus and scroll buttons.
#include "toolkit/taskpanel/task_panel_theme.h"

#include "toolkit/base/color_table.h"
#include "toolkit/base/draw_helpers.h"
#include "toolkit/base/resource_loader.h"
#include "toolkit/base/system_probes.h"
#include "toolkit/commandbars/image_manager.h"
#include "toolkit/taskpanel/task_panel.h"
#include "toolkit/taskpanel/task_panel_themes.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

COLORREF Index(int index)
{
    return GetColorTable().GetColorByIndex(UINT(index));
}

LONG Side(LONG own, LONG theme)
{
    return own == TKP_DEFAULT_MARGIN ? theme : own;
}

CRect Resolve(const RECT& own, const CRect& theme)
{
    return CRect(Side(own.left, theme.left), Side(own.top, theme.top), Side(own.right, theme.right),
                 Side(own.bottom, theme.bottom));
}

HFONT MakeFont(LOGFONTW lf, LONG weight, BOOL underline)
{
    lf.lfWeight = weight;
    lf.lfUnderline = BYTE(underline ? 1 : 0);
    return ::CreateFontIndirectW(&lf);
}

void DeleteFont(HFONT& font)
{
    if (font)
        ::DeleteObject(font);
    font = nullptr;
}

// RGB <-> HLS with every component in 0..1.
struct Hls {
    double h, l, s;
};

Hls ToHls(COLORREF c)
{
    const double r = GetRValue(c) / 255.0, g = GetGValue(c) / 255.0, b = GetBValue(c) / 255.0;
    const double mx = std::max({r, g, b}), mn = std::min({r, g, b});
    Hls out{0, (mx + mn) / 2, 0};
    if (mx == mn)
        return out;
    const double d = mx - mn;
    out.s = out.l <= 0.5 ? d / (mx + mn) : d / (2 - mx - mn);
    double h = mx == r ? (g - b) / d : mx == g ? 2 + (b - r) / d : 4 + (r - g) / d;
    h /= 6;
    if (h < 0)
        h += 1;
    out.h = h;
    return out;
}

double HueChannel(double m1, double m2, double h)
{
    if (h < 0)
        h += 1;
    if (h > 1)
        h -= 1;
    if (h < 1.0 / 6)
        return m1 + (m2 - m1) * h * 6;
    if (h < 0.5)
        return m2;
    if (h < 2.0 / 3)
        return m1 + (m2 - m1) * (2.0 / 3 - h) * 6;
    return m1;
}

COLORREF FromHls(const Hls& c)
{
    auto byte = [](double v) { return BYTE(std::clamp(int(std::lround(v * 255)), 0, 255)); };
    if (c.s == 0)
        return RGB(byte(c.l), byte(c.l), byte(c.l));
    const double m2 = c.l <= 0.5 ? c.l * (1 + c.s) : c.l + c.s - c.l * c.s;
    const double m1 = 2 * c.l - m2;
    return RGB(byte(HueChannel(m1, m2, c.h + 1.0 / 3)), byte(HueChannel(m1, m2, c.h)),
               byte(HueChannel(m1, m2, c.h - 1.0 / 3)));
}

} // namespace

// ---- Construction ------------------------------------------------------------------------------
CTKPTaskPanelThemePainter::CTKPTaskPanelThemePainter()
{
    m_hMsImg32 = ::LoadLibraryW(u"msimg32.dll");
    if (m_hMsImg32)
        m_pfnAlphaBlend = reinterpret_cast<decltype(m_pfnAlphaBlend)>(
            reinterpret_cast<void*>(::GetProcAddress(m_hMsImg32, "AlphaBlend")));
}

CTKPTaskPanelThemePainter::~CTKPTaskPanelThemePainter()
{
    if (m_hMsImg32)
        ::FreeLibrary(m_hMsImg32);
    FreeExplorerBitmaps();
    DeleteFont(m_hCaptionFont);
    DeleteFont(m_hItemFont);
    DeleteFont(m_hItemBoldFont);
    DeleteFont(m_hItemUnderlineFont);
    DeleteFont(m_hItemBoldUnderlineFont);
}

CTKPTaskPanelThemePainter* CTKPTaskPanelThemePainter::CreateTheme(int id)
{
    switch (id) {
    case 0:
        return new CTKPTaskPanelThemePainter();
    case 1:
        return new CTKPTaskPanelSchemeTheme();
    case 3:
        return new CTKPTaskPanelPlainTheme();
    case 4:
        return new CTKPTaskPanelPlainColorTheme();
    case 5:
        return new CTKPTaskPanelPlainSchemeTheme();
    case 6:
        return new CTKPTaskPanelPlainExplorerTheme();
    case 7:
        return new CTKPTaskPanelButtonTheme();
    case 8:
        return new CTKPTaskPanelButtonSchemeTheme();
    case 9:
        return new CTKPTaskPanelBandTheme();
    case 10:
        return new CTKPTaskPanelBandColorTheme();
    case 11:
        return new CTKPTaskPanelBandSchemeTheme();
    case 12:
        return new CTKPTaskPanelBandCenteredTheme();
    default:
        return new CTKPTaskPanelExplorerTheme();
    }
}

int CTKPTaskPanelThemePainter::SchemeKind()
{
    CTKPColorTable& table = GetColorTable();
    if (table.IsSystemThemeDisabled())
        return 0;
    const int kind = table.GetCurrentSystemTheme();
    return kind >= 1 && kind <= 3 ? kind : 0;
}

// ---- Metrics -----------------------------------------------------------------------------------
void CTKPTaskPanelThemePainter::RefreshMetrics()
{
    RefreshFonts();
    RefreshBaseColors();
    m_nExpandButtonStyle = TKP_EXPAND_CHEVRON;
    RefreshHighlightColors();
}

void CTKPTaskPanelThemePainter::RefreshFonts()
{
    GetColorTable().RefreshColors();
    LOGFONTW lf{};
    ::SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(lf), &lf, 0);
    if (m_bMakeItemFonts) {
        DeleteFont(m_hItemFont);
        DeleteFont(m_hItemBoldFont);
        DeleteFont(m_hItemUnderlineFont);
        DeleteFont(m_hItemBoldUnderlineFont);
        m_hItemFont = MakeFont(lf, FW_NORMAL, lf.lfUnderline);
        m_hItemBoldFont = MakeFont(lf, FW_BOLD, FALSE);
        m_hItemUnderlineFont = MakeFont(lf, FW_NORMAL, TRUE);
        m_hItemBoldUnderlineFont = MakeFont(lf, FW_BOLD, TRUE);
    }
    if (m_bMakeCaptionFonts) {
        DeleteFont(m_hCaptionFont);
        m_hCaptionFont = MakeFont(lf, m_bBoldCaption ? FW_BOLD : FW_NORMAL, FALSE);
        m_nCaptionHeight = std::max(25, MeasureCaptionTextHeight());
    }
}

int CTKPTaskPanelThemePainter::MeasureCaptionTextHeight() const
{
    HWND desktop = ::GetDesktopWindow();
    HDC dc = ::GetDC(desktop);
    HGDIOBJ old = ::SelectObject(dc, m_hCaptionFont);
    SIZE size{0, 0};
    ::GetTextExtentPoint32W(dc, u" ", 1, &size);
    ::SelectObject(dc, old);
    ::ReleaseDC(desktop, dc);
    return size.cy;
}

void CTKPTaskPanelThemePainter::RefreshBaseColors()
{
    m_clrBackground.SetStandardColor(Index(5));
    auto fill = [](TaskPanelGroupColors& set, int caption, int captionText) {
        set.caption.SetStandardColor(Index(caption));
        set.client.SetStandardColor(Index(5));
        set.plainCaption.SetStandard(Index(caption));
        set.captionText.SetStandard(Index(captionText));
        set.captionTextHot.SetStandard(Index(captionText));
        set.itemText.SetStandard(Index(18));
        set.linkText.SetStandard(Index(18));
        set.linkTextHot.SetStandard(Index(13));
        set.linkTextHighlight.SetStandard(Index(18));
    };
    fill(m_groupNormal, COLOR_BTNFACE, COLOR_BTNTEXT);
    fill(m_groupSpecial, COLOR_ACTIVECAPTION, COLOR_CAPTIONTEXT);
}

void CTKPTaskPanelThemePainter::RefreshHighlightColors()
{
    if (m_nColorStyle == 0) {
        m_clrHot.SetStandard(Index(15));
        m_clrSelected.SetStandard(Index(15));
        m_clrPressed.SetStandard(Index(15));
        m_clrBorder.SetStandardValue(RGB(128, 128, 128), RGB(198, 198, 198));
        return;
    }
    m_clrHot.SetStandard(Index(31));
    m_clrSelected.SetStandard(Index(36));
    m_clrPressed.SetStandard(Index(33));
    m_clrBorder.SetStandardColor(Index(32));
    const int kind = SchemeKind();
    if (m_nColorStyle == 2 && kind) {
        m_clrHot.SetStandard(RGB(255, 238, 194));
        m_clrSelected.SetStandard(RGB(255, 192, 111));
        m_clrPressed.SetStandard(RGB(254, 128, 62));
        m_clrBorder.SetStandardColor(kind == 1 ? RGB(0, 0, 128) : kind == 2 ? RGB(63, 93, 56) : RGB(75, 75, 111));
    }
}

HFONT CTKPTaskPanelThemePainter::GetItemFont(BOOL bold, BOOL underline) const
{
    if (bold)
        return underline ? m_hItemBoldUnderlineFont : m_hItemBoldFont;
    return underline ? m_hItemUnderlineFont : m_hItemFont;
}

TaskPanelGroupColors* CTKPTaskPanelThemePainter::GetGroupColors(const CTKPTaskPanelGroup* group)
{
    return group && group->IsSpecial() ? &m_groupSpecial : &m_groupNormal;
}

// ---- Margins -----------------------------------------------------------------------------------
CRect CTKPTaskPanelThemePainter::GetItemOuterMargins(const CTKPTaskPanelGroupItem* item) const
{
    return Resolve(item->GetMargins(), m_rcItemOuterMargins);
}

CRect CTKPTaskPanelThemePainter::GetItemInnerMargins(const CTKPTaskPanelGroupItem*) const
{
    return m_rcItemInnerMargins;
}

CRect CTKPTaskPanelThemePainter::GetGroupOuterMargins(const CTKPTaskPanelGroup* group) const
{
    return Resolve(group->GetMarginsOuter(), m_rcGroupOuterMargins);
}

CRect CTKPTaskPanelThemePainter::GetItemIconPadding(const CTKPTaskPanelItem* item) const
{
    const BOOL group = item->GetType() == TKP_TASKITEM_GROUP;
    return Resolve(item->GetIconPadding(), group ? m_rcGroupIconPadding : m_rcItemIconPadding);
}

CRect CTKPTaskPanelThemePainter::GetGroupInnerMargins(const CTKPTaskPanelGroup* group) const
{
    return Resolve(group->GetMarginsInner(), m_rcGroupInnerMargins);
}

CRect CTKPTaskPanelThemePainter::GetControlMargins(const CTKPTaskPanel* panel) const
{
    return Resolve(panel->GetMargins(), m_rcControlMargins);
}

int CTKPTaskPanelThemePainter::GetGroupSpacing(const CTKPTaskPanel* panel) const
{
    return Side(panel->GetGroupSpacing(), m_nGroupSpacing);
}

// ---- Small pieces ------------------------------------------------------------------------------
void CTKPTaskPanelThemePainter::FillSolid(CDC* pDC, const RECT& rc, COLORREF color) const
{
    HBRUSH brush = ::CreateSolidBrush(color);
    ::FillRect(pDC->m_hDC, &rc, brush);
    ::DeleteObject(brush);
}

void CTKPTaskPanelThemePainter::FrameSolid(CDC* pDC, const RECT& rc, COLORREF color) const
{
    HBRUSH brush = ::CreateSolidBrush(color);
    ::FrameRect(pDC->m_hDC, &rc, brush);
    ::DeleteObject(brush);
}

void CTKPTaskPanelThemePainter::Draw3dFrame(CDC* pDC, const RECT& rc, COLORREF topLeft, COLORREF bottomRight) const
{
    FillSolid(pDC, CRect(rc.left, rc.top, rc.right - 1, rc.top + 1), topLeft);
    FillSolid(pDC, CRect(rc.left, rc.top, rc.left + 1, rc.bottom - 1), topLeft);
    FillSolid(pDC, CRect(rc.right - 1, rc.top, rc.right, rc.bottom), bottomRight);
    FillSolid(pDC, CRect(rc.left, rc.bottom - 1, rc.right, rc.bottom), bottomRight);
}

int CTKPTaskPanelThemePainter::HotTrackStyle(const CTKPTaskPanelItem* item) const
{
    const CTKPTaskPanel* panel = item ? item->GetTaskPanel() : nullptr;
    return panel ? panel->GetHotTrackStyle() : TKP_TPHOT_TEXT;
}

BOOL CTKPTaskPanelThemePainter::ShowsFocus(const CTKPTaskPanelItem* item) const
{
    const CTKPTaskPanel* panel = item->GetTaskPanel();
    return panel && item->IsItemFocused() && panel->IsDrawFocusRect() && panel->m_hWnd &&
           ::GetFocus() == panel->m_hWnd;
}

COLORREF CTKPTaskPanelThemePainter::ItemTextColor(const CTKPTaskPanelItem* item,
                                                  const TaskPanelGroupColors* colors) const
{
    if (!item->GetEnabled())
        return Index(COLOR_GRAYTEXT);
    if (item->GetType() != TKP_TASKITEM_LINK)
        return colors->itemText;
    const BOOL hot = item->IsItemHot();
    auto* groupItem = dynamic_cast<const CTKPTaskPanelGroupItem*>(item);
    const BOOL selected = groupItem && groupItem->IsSelected();
    switch (HotTrackStyle(item)) {
    case TKP_TPHOT_TEXT:
        return hot ? colors->linkTextHot : colors->linkText;
    case TKP_TPHOT_ITEM:
        return selected || hot ? colors->linkTextHighlight : colors->linkText;
    default:
        return colors->linkText;
    }
}

CTKPImageIcon* CTKPTaskPanelThemePainter::GroupImage(CTKPTaskPanelGroup* group, CSize* size) const
{
    const CTKPTaskPanel* panel = group->GetTaskPanel();
    const int width = panel ? panel->GetLargeIconSize().cx : 32;
    CTKPImageIcon* image = width > 0 ? group->GetImage(width) : nullptr;
    if (!image || image->GetWidth() <= 0) {
        *size = CSize(width, 0);
        return nullptr;
    }
    *size = CSize(width, image->GetHeight() * width / image->GetWidth());
    return image;
}

// ---- Panel and captions ------------------------------------------------------------------------
void CTKPTaskPanelThemePainter::FillTaskPanel(CDC* pDC, CTKPTaskPanel* panel)
{
    CRect rc;
    ::GetClientRect(panel->m_hWnd, &rc);
    rc.bottom = std::max<LONG>(rc.bottom + panel->GetScrollOffset(), panel->GetTotalHeight());
    GetGradientHelper().GradientFillColor(pDC->m_hDC, rc, m_clrBackground, FALSE);
}

int CTKPTaskPanelThemePainter::DrawGroupCaption(CDC* pDC, CTKPTaskPanelGroup* group, BOOL draw)
{
    const int height = group->IsCaptionVisible() ? m_nCaptionHeight : (m_bClosedClientTop ? 0 : 1);
    if (!draw)
        return height;
    const CRect rc = group->GetCaptionRect();
    if (rc.IsRectEmpty())
        return height;
    TaskPanelGroupColors* colors = GetGroupColors(group);
    if (!group->IsCaptionVisible()) {
        FillSolid(pDC, rc, colors->client.Dark());
        return height;
    }
    HDC dc = pDC->m_hDC;
    const int saved = ::SaveDC(dc);
    if (m_bRoundLeftCorner) {
        ::ExcludeClipRect(dc, rc.left, rc.top, rc.left + 2, rc.top + 1);
        ::ExcludeClipRect(dc, rc.left, rc.top + 1, rc.left + 1, rc.top + 2);
    }
    if (m_bRoundRightCorner) {
        ::ExcludeClipRect(dc, rc.right - 2, rc.top, rc.right, rc.top + 1);
        ::ExcludeClipRect(dc, rc.right - 1, rc.top + 1, rc.right, rc.top + 2);
    }
    FillSolid(pDC, rc, colors->caption.Light());
    CRect gradient = rc;
    gradient.left += rc.Width() * colors->captionGradientStart / 100;
    GetGradientHelper().GradientFillRect(dc, gradient, colors->caption.Light(), colors->caption.Dark(), TRUE);
    ::RestoreDC(dc, saved);
    if (group->IsItemFocused() && group->GetTaskPanel() && group->GetTaskPanel()->IsDrawFocusRect()) {
        CRect focus = rc;
        focus.DeflateRect(2, 2);
        DrawFocusRect(pDC, focus);
    }
    CTKPSelectFont font(dc, m_hCaptionFont);
    const CRect text = DrawExpandButton(pDC, group, rc);
    DrawCaptionImageAndText(pDC, group, text);
    if (group->IsItemDropTarget() && !(group->IsExpanded() && group->GetItems()->GetFirstVisibleItem()))
        DrawDropMark(pDC, group, rc, TRUE);
    return height;
}

void CTKPTaskPanelThemePainter::DrawCaptionImageAndText(CDC* pDC, CTKPTaskPanelGroup* group, CRect rc)
{
    TaskPanelGroupColors* colors = GetGroupColors(group);
    const CRect padding = GetItemIconPadding(group);
    CSize size;
    CTKPImageIcon* image = GroupImage(group, &size);
    int left = rc.left + 13;
    if (image && rc.Width() > size.cx) {
        const int center = (rc.top + rc.bottom) / 2;
        const int bottom = std::min<int>(center + size.cy / 2, rc.bottom) + padding.top - padding.bottom;
        DrawItemImage(pDC, group, CPoint(rc.left + padding.left, bottom - size.cy), image, size);
        left = rc.left + padding.left + padding.right + size.cx + 1;
    }
    CRect text(left, rc.top, rc.right, rc.bottom + 2);
    const COLORREF color = !group->GetEnabled() ? Index(COLOR_GRAYTEXT)
                           : group->IsItemHot() ? COLORREF(colors->captionTextHot)
                                                : COLORREF(colors->captionText);
    ::SetBkMode(pDC->m_hDC, TRANSPARENT);
    ::SetTextColor(pDC->m_hDC, color);
    ::DrawTextW(pDC->m_hDC, group->GetCaption().GetString(), group->GetCaption().GetLength(), &text,
                m_nCaptionTextFormat);
    group->CalcCaptionTextRect(pDC, text, m_nCaptionTextFormat);
}

int CTKPTaskPanelThemePainter::GetExpandButtonWidth(const CTKPTaskPanelGroup* group, const CRect& rc) const
{
    if (!group->IsExpandable() || rc.Width() < 26)
        return 0;
    switch (m_nExpandButtonStyle) {
    case TKP_EXPAND_BITMAPS:
    case TKP_EXPAND_CHEVRON:
        return 23;
    case TKP_EXPAND_TRIANGLE:
        return 19;
    default:
        return 0;
    }
}

void CTKPTaskPanelThemePainter::DrawChevron(CDC* pDC, const CRect& rc, BOOL up, COLORREF color) const
{
    // Two chevrons, 7 pixels wide and 2 thick, one above the other.
    const int cx = (rc.left + rc.right) / 2;
    const int cy = (rc.top + rc.bottom) / 2;
    for (int chevron = 0; chevron < 2; ++chevron) {
        const int base = cy - 4 + chevron * 4;
        for (int i = 0; i < 4; ++i) {
            const int y = up ? base + 3 - i : base + i;
            FillSolid(pDC, CRect(cx - 3 + i, y, cx - 3 + i + 1, y + 2), color);
            FillSolid(pDC, CRect(cx + 3 - i, y, cx + 3 - i + 1, y + 2), color);
        }
    }
}

void CTKPTaskPanelThemePainter::DrawTriangleButton(CDC* pDC, const CRect& rc, BOOL expanded, COLORREF color) const
{
    const int x = rc.right - 19;
    const int cy = (rc.top + rc.bottom) / 2;
    if (expanded)
        FillTriangle(pDC->m_hDC, POINT{x, cy - 2}, POINT{x + 10, cy - 2}, POINT{x + 5, cy + 3}, color);
    else
        FillTriangle(pDC->m_hDC, POINT{x, cy - 5}, POINT{x + 5, cy}, POINT{x, cy + 5}, color);
}

CRect CTKPTaskPanelThemePainter::DrawExpandButton(CDC* pDC, CTKPTaskPanelGroup* group, CRect rc)
{
    const int width = GetExpandButtonWidth(group, rc);
    if (!width)
        return rc;
    TaskPanelGroupColors* colors = GetGroupColors(group);
    const BOOL expanded = group->IsExpanded();
    const BOOL hot = group->IsItemHot();
    switch (m_nExpandButtonStyle) {
    case TKP_EXPAND_BITMAPS: {
        const CRect box(rc.right - 23, (rc.top + rc.bottom - 19) / 2, rc.right - 4, (rc.top + rc.bottom - 19) / 2 + 19);
        const int index = (group->IsSpecial() ? 4 : 0) + (expanded ? 0 : 2) + (hot ? 1 : 0);
        if (m_bExplorerBitmaps && m_hExplorerBitmaps[index]) {
            ::DrawStateW(pDC->m_hDC, nullptr, nullptr, LPARAM(m_hExplorerBitmaps[index]), 0, box.left, box.top, 0, 0,
                         DST_BITMAP | DSS_NORMAL);
        } else if (HICON glyph = GetGlyphIcon(group->IsSpecial())) {
            ::DrawIconEx(pDC->m_hDC, box.left, box.top, glyph, 19, 19, 0, nullptr, DI_NORMAL);
            DrawChevron(pDC, box, expanded, hot ? colors->captionTextHot : colors->captionText);
        }
        break;
    }
    case TKP_EXPAND_CHEVRON: {
        const int top = rc.top + (rc.Height() - 16) / 2;
        const CRect box(rc.right - 23, top, rc.right - 6, top + 16);
        if (hot)
            Draw3dFrame(pDC, box, Index(COLOR_BTNHIGHLIGHT), Index(COLOR_BTNSHADOW));
        DrawChevron(pDC, box, expanded, hot ? colors->captionTextHot : colors->captionText);
        break;
    }
    case TKP_EXPAND_TRIANGLE:
        DrawTriangleButton(pDC, rc, expanded, colors->itemText);
        break;
    default:
        break;
    }
    rc.right -= width;
    return rc;
}

// ---- Client area -------------------------------------------------------------------------------
void CTKPTaskPanelThemePainter::DrawGroupClientFace(CDC* pDC, CTKPTaskPanelGroup* group)
{
    const CRect rc = group->GetClientRect();
    if (rc.IsRectEmpty())
        return;
    const BOOL pending = group->IsExpansionPending();
    const int full = pending ? std::max(group->GetClientHeight(), int(rc.Height())) : rc.Height();
    HDC dc = pDC->m_hDC;
    HDC memory = ::CreateCompatibleDC(dc);
    HBITMAP bitmap = ::CreateCompatibleBitmap(dc, rc.Width(), full);
    if (!memory || !bitmap) {
        if (bitmap)
            ::DeleteObject(bitmap);
        if (memory)
            ::DeleteDC(memory);
        return;
    }
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::SetWindowOrgEx(memory, rc.left, rc.top, nullptr);
    {
        CDC target;
        target.Attach(memory);
        DrawGroupClientBackground(&target, group, CRect(rc.left, rc.top, rc.right, rc.top + full));
        target.Detach();
    }
    const int sourceY = pending ? full - rc.Height() : 0;
    const int alpha = 255 * rc.Height() / std::max(full, 1);
    if (pending && m_pfnAlphaBlend && alpha < 255) {
        BLENDFUNCTION blend{AC_SRC_OVER, 0, BYTE(alpha), 0};
        m_pfnAlphaBlend(dc, rc.left, rc.top, rc.Width(), rc.Height(), memory, rc.left, rc.top + sourceY, rc.Width(),
                        rc.Height(), blend);
    } else {
        ::BitBlt(dc, rc.left, rc.top, rc.Width(), rc.Height(), memory, rc.left, rc.top + sourceY, SRCCOPY);
    }
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
}

void CTKPTaskPanelThemePainter::DrawGroupClientBackground(CDC* pDC, CTKPTaskPanelGroup* group, CRect rc)
{
    TaskPanelGroupColors* colors = GetGroupColors(group);
    FillSolid(pDC, rc, colors->client.Dark());
    group->DrawGroupImage(pDC, rc);
    if (!group->IsExpanded() && !group->IsExpansionPending())
        return;
    const COLORREF border = colors->plainCaption;
    FillSolid(pDC, CRect(rc.left, rc.top, rc.left + 1, rc.bottom), border);
    FillSolid(pDC, CRect(rc.left, rc.bottom - 1, rc.right, rc.bottom), border);
    if (m_bClosedClientTop)
        FillSolid(pDC, CRect(rc.left, rc.top, rc.right, rc.top + 1), border);
    else
        FillSolid(pDC, CRect(rc.right - 1, rc.top, rc.right, rc.bottom), border);
    DrawGroupItems(pDC, group, rc);
}

void CTKPTaskPanelThemePainter::DrawGroupItems(CDC* pDC, CTKPTaskPanelGroup* group, CRect rc)
{
    const int offset = rc.top - group->GetItemScrollOffset();
    CTKPTaskPanelItem* last = group->GetItems()->GetLastVisibleItem();
    for (int i = group->GetFirstVisibleIndex(); i < group->GetItemCount(); ++i) {
        CTKPTaskPanelGroupItem* item = group->GetItemAt(i);
        if (!item->IsVisible())
            continue;
        CRect place = item->GetItemRect();
        place.OffsetRect(0, offset);
        if (place.top >= rc.bottom)
            continue;
        item->DrawItem(pDC, place);
        if (item->IsItemDropTarget())
            DrawDropMark(pDC, item, place, m_bDropMarkAfter);
        if (item == last && group->IsItemDropTarget())
            DrawDropMark(pDC, item, place, TRUE);
    }
}

// ---- Items -------------------------------------------------------------------------------------
CRect CTKPTaskPanelThemePainter::DrawGroupItem(CDC* pDC, CTKPTaskPanelGroupItem* item, CRect rc, BOOL draw)
{
    CTKPTaskPanelGroup* group = item->GetItemGroup();
    const int layout = group ? group->GetEffectiveLayout() : TKP_TPLAYOUT_TEXT_BESIDE;
    if (layout == TKP_TPLAYOUT_GRID)
        return DrawItemGrid(pDC, item, rc, draw);
    if (layout == TKP_TPLAYOUT_TEXT_BELOW)
        return DrawItemIconAbove(pDC, item, rc, draw);
    return DrawItemIconText(pDC, item, rc, draw);
}

CRect CTKPTaskPanelThemePainter::DrawItemIconText(CDC* pDC, CTKPTaskPanelGroupItem* item, CRect rc, BOOL draw)
{
    CTKPTaskPanelGroup* group = item->GetItemGroup();
    const int style = HotTrackStyle(item);
    const CSize icon = group ? group->GetIconSize() : CSize(16, 16);
    CTKPImageIcon* image = item->GetType() != TKP_TASKITEM_CONTROL ? item->GetImage(icon.cx) : nullptr;
    const CRect inner = GetItemInnerMargins(item);
    const CRect padding = GetItemIconPadding(item);
    const CRect area(rc.left + inner.left, rc.top + inner.top, rc.right - inner.right,
                     std::max<LONG>(rc.top + inner.top, rc.bottom - inner.bottom));
    CRect text = area;
    if (item->GetType() == TKP_TASKITEM_LINK || image)
        text.left += padding.left + padding.right + icon.cx + 7;
    text.right = std::max(text.left, text.right);
    HDC dc = pDC->m_hDC;
    CTKPSelectFont font(dc, GetItemFont(item->IsBold(), style == TKP_TPHOT_TEXT && item->IsItemHot()));
    const CString caption = item->GetCaption().IsEmpty() ? CString(u" ") : item->GetCaption();
    CRect measured(text.left, text.top, text.right, text.top);
    ::DrawTextW(dc, caption.GetString(), caption.GetLength(), &measured,
                (m_nItemTextFormat & ~(DT_CENTER | DT_VCENTER)) | DT_CALCRECT);
    if (!draw) {
        const int content = std::max<int>(measured.Height(), image ? icon.cy + padding.top + padding.bottom : 0);
        CRect result(rc.left, rc.top, rc.right, rc.top + content + inner.top + inner.bottom);
        if (item->GetType() != TKP_TASKITEM_CONTROL)
            result.right = std::min<LONG>(rc.right, std::max<LONG>(measured.right, text.left) + inner.right);
        return result;
    }
    CPoint shift(0, 0);
    if (style == TKP_TPHOT_IMAGE || style == TKP_TPHOT_ITEM)
        shift = GetItemContentOffset(item);
    if (style == TKP_TPHOT_ITEM)
        DrawItemHighlight(pDC, item, rc);
    const CPoint at(area.left + padding.left, area.top + padding.top);
    if (style == TKP_TPHOT_IMAGE && image) {
        CRect box(area.left, area.top, area.left + padding.left + icon.cx + padding.right,
                  area.top + padding.top + icon.cy + padding.bottom);
        box.InflateRect(2, 2);
        DrawItemHighlight(pDC, item, box);
    }
    if (style == TKP_TPHOT_TEXT && item->IsSelected())
        DrawItemHighlight(pDC, item, measured);
    if (image)
        DrawItemImage(pDC, item, at + shift, image, icon);
    CRect place = text;
    place.OffsetRect(shift);
    DrawItemCaption(pDC, item, place, m_nItemTextFormat);
    if (ShowsFocus(item)) {
        CRect focus = item->GetTextRect();
        focus.InflateRect(1, 1);
        DrawFocusRect(pDC, focus);
    }
    return rc;
}

CRect CTKPTaskPanelThemePainter::DrawItemIconAbove(CDC* pDC, CTKPTaskPanelGroupItem* item, CRect rc, BOOL draw)
{
    CTKPTaskPanelGroup* group = item->GetItemGroup();
    const int style = HotTrackStyle(item);
    const CSize icon = group ? group->GetIconSize() : CSize(16, 16);
    const BOOL link = item->GetType() == TKP_TASKITEM_LINK;
    CTKPImageIcon* image = link ? item->GetImage(icon.cx) : nullptr;
    const CRect inner = GetItemInnerMargins(item);
    HDC dc = pDC->m_hDC;
    CTKPSelectFont font(dc, GetItemFont(item->IsBold(), style == TKP_TPHOT_TEXT && item->IsItemHot()));
    if (!draw) {
        int textWidth = 0, textHeight = 0;
        CRect measured(rc.left + inner.left, rc.top, rc.right, rc.top);
        if (measured.Width() > 0) {
            const CString caption = item->GetCaption().IsEmpty() ? CString(u" ") : item->GetCaption();
            ::DrawTextW(dc, caption.GetString(), caption.GetLength(), &measured, m_nItemTextFormat | DT_CALCRECT);
            textWidth = measured.Width();
            textHeight = measured.Height();
        }
        const int height = textHeight + (link ? icon.cy + 3 : 0);
        int width = std::max<int>(textWidth, image ? icon.cx + 4 : 0) + inner.left + inner.right;
        width = std::min<int>(width, rc.Width());
        const int bottom = rc.top + inner.top + height + inner.bottom;
        if (style == TKP_TPHOT_ITEM)
            return CRect(rc.left, rc.top, rc.right, bottom);
        const int mid = (rc.left + rc.right) / 2;
        return CRect(mid - (width - width / 2), rc.top, mid + width / 2, bottom);
    }
    if (style == TKP_TPHOT_ITEM)
        DrawItemHighlight(pDC, item, rc);
    const CRect area(rc.left + inner.left, rc.top + inner.top, rc.right - inner.right, rc.bottom - inner.bottom);
    CRect text = area;
    if (style == TKP_TPHOT_ITEM)
        text.OffsetRect(GetItemContentOffset(item));
    if (link) {
        if (image) {
            CPoint at((area.left + area.right - icon.cx + 1) / 2, area.top);
            if (style == TKP_TPHOT_IMAGE)
                DrawItemHighlight(pDC, item, CRect(at.x - 2, at.y - 2, at.x + icon.cx + 2, at.y + icon.cy + 2));
            if (style == TKP_TPHOT_IMAGE || style == TKP_TPHOT_ITEM)
                at += GetItemContentOffset(item);
            DrawItemImage(pDC, item, at, image, icon);
        }
        text.top += icon.cy + 3;
    }
    if (text.Width() > 0)
        DrawItemCaption(pDC, item, text, m_nItemTextFormat | DT_CENTER);
    if (ShowsFocus(item))
        DrawFocusRect(pDC, area);
    return rc;
}

CRect CTKPTaskPanelThemePainter::DrawItemGrid(CDC* pDC, CTKPTaskPanelGroupItem* item, CRect rc, BOOL draw)
{
    CTKPTaskPanelGroup* group = item->GetItemGroup();
    const CSize icon = group ? group->GetIconSize() : CSize(16, 16);
    const CRect inner = GetItemInnerMargins(item);
    if (!draw) {
        const int width = icon.cx + inner.left + inner.right;
        const int mid = (rc.left + rc.right) / 2;
        return CRect(mid - width / 2, rc.top, mid - width / 2 + width, rc.top + inner.top + icon.cy + inner.bottom);
    }
    CPoint at(rc.left + m_rcIconGridPadding.left, rc.top + m_rcIconGridPadding.top);
    if (HotTrackStyle(item) != TKP_TPHOT_NONE) {
        DrawItemHighlight(pDC, item, rc);
        at += GetItemContentOffset(item);
    }
    if (CTKPImageIcon* image = item->GetImage(icon.cx))
        DrawItemImage(pDC, item, at, image, icon);
    if (ShowsFocus(item)) {
        CRect focus = rc;
        focus.DeflateRect(inner);
        DrawFocusRect(pDC, focus);
    }
    return rc;
}

void CTKPTaskPanelThemePainter::DrawItemHighlight(CDC* pDC, CTKPTaskPanelItem* item, const CRect& rc)
{
    if (HotTrackStyle(item) == TKP_TPHOT_NONE)
        return;
    const BOOL hot = item->IsItemHot();
    const BOOL pressed = item->IsItemPressed();
    auto* groupItem = dynamic_cast<CTKPTaskPanelGroupItem*>(item);
    const BOOL selected = groupItem && groupItem->IsSelected();
    if (m_nColorStyle == 0) {
        if (selected)
            FillSolid(pDC, rc, m_clrHot);
        CRect edge = rc;
        if (hot && pressed)
            ::DrawEdge(pDC->m_hDC, &edge, BDR_SUNKENOUTER, BF_RECT);
        else if (hot || pressed)
            ::DrawEdge(pDC->m_hDC, &edge, BDR_RAISEDINNER, BF_RECT);
        return;
    }
    COLORREF fill;
    if (selected && hot)
        fill = m_clrPressed;
    else if (selected)
        fill = m_clrSelected;
    else if (hot && pressed)
        fill = m_clrPressed;
    else if (hot || pressed)
        fill = m_clrHot;
    else
        return;
    FillSolid(pDC, rc, fill);
    FrameSolid(pDC, rc, m_clrBorder.Light());
}

void CTKPTaskPanelThemePainter::DrawItemCaption(CDC* pDC, CTKPTaskPanelItem* item, CRect rc, UINT format)
{
    HDC dc = pDC->m_hDC;
    ::SetBkMode(dc, TRANSPARENT);
    const BOOL group = item->GetType() == TKP_TASKITEM_GROUP;
    std::unique_ptr<CTKPSelectFont> font;
    if (!group) {
        auto* groupItem = dynamic_cast<CTKPTaskPanelGroupItem*>(item);
        const BOOL bold = groupItem && groupItem->IsBold();
        font = std::make_unique<CTKPSelectFont>(dc, GetItemFont(bold, HotTrackStyle(item) == TKP_TPHOT_TEXT && item->IsItemHot()));
        if (!item->GetEnabled() && m_bEmbossedDisabledText) {
            CRect emboss = rc;
            emboss.OffsetRect(1, 1);
            ::SetTextColor(dc, Index(COLOR_BTNHIGHLIGHT));
            ::DrawTextW(dc, item->GetCaption().GetString(), item->GetCaption().GetLength(), &emboss, format);
        }
        ::SetTextColor(dc, ItemTextColor(item, GetGroupColors(item->GetItemGroup())));
    }
    ::DrawTextW(dc, item->GetCaption().GetString(), item->GetCaption().GetLength(), &rc, format);
    item->CalcCaptionTextRect(pDC, rc, format);
}

void CTKPTaskPanelThemePainter::DrawItemImage(CDC* pDC, CTKPTaskPanelItem* item, CPoint pt, CTKPImageIcon* image,
                                              CSize size)
{
    if (!image)
        return;
    auto* groupItem = dynamic_cast<CTKPTaskPanelGroupItem*>(item);
    CTKPIconHandle* handle;
    if (!item->GetEnabled())
        handle = &image->GetDisabledIcon();
    else if (item->IsItemHot() || item->IsItemPressed())
        handle = &image->GetHotIcon();
    else if (groupItem && groupItem->IsSelected())
        handle = &image->GetCheckedIcon();
    else
        handle = &image->GetIcon();
    image->DrawScaled(pDC->m_hDC, pt, *handle, size);
}

CPoint CTKPTaskPanelThemePainter::GetItemContentOffset(const CTKPTaskPanelItem* item) const
{
    auto* groupItem = dynamic_cast<const CTKPTaskPanelGroupItem*>(item);
    return groupItem && groupItem->IsSelected() && m_nColorStyle == 0 ? CPoint(1, 1) : CPoint(0, 0);
}

void CTKPTaskPanelThemePainter::DrawDropMark(CDC* pDC, CTKPTaskPanelItem*, CRect rc, BOOL after)
{
    const CRect line = after ? CRect(rc.left, rc.bottom - 1, rc.right, rc.bottom + 1)
                             : CRect(rc.left, rc.top - 1, rc.right, rc.top + 1);
    ::InvertRect(pDC->m_hDC, &line);
}

void CTKPTaskPanelThemePainter::DrawFocusRect(CDC* pDC, const CRect& rc)
{
    ::DrawFocusRect(pDC->m_hDC, &rc);
}

// ---- Scroll buttons ----------------------------------------------------------------------------
void CTKPTaskPanelThemePainter::DrawScrollButton(CDC* pDC, TaskPanelScrollButton* button)
{
    if (!button->IsVisible(this))
        return;
    const CRect& rc = button->rcButton;
    if (m_nColorStyle == 0 || m_bCaptionScrollButtons) {
        FillSolid(pDC, rc, Index(COLOR_BTNFACE));
        if (button->bPressed)
            Draw3dFrame(pDC, rc, Index(COLOR_BTNSHADOW), Index(COLOR_BTNHIGHLIGHT));
        else
            Draw3dFrame(pDC, rc, Index(COLOR_BTNHIGHLIGHT), Index(COLOR_BTNSHADOW));
    } else {
        const COLORREF fill = button->bPressed ? COLORREF(m_clrPressed)
                              : button->bHot   ? COLORREF(m_clrHot)
                                               : GetGroupColors(button->pGroupScroll)->client.Dark();
        FillSolid(pDC, rc, fill);
        FrameSolid(pDC, rc, m_clrBorder.Light());
    }
    const int cx = (rc.left + rc.right) / 2, cy = (rc.top + rc.bottom) / 2;
    auto arrow = [&](int dx, int dy, COLORREF color) {
        if (button->bScrollUp)
            FillTriangle(pDC->m_hDC, POINT{cx - 3 + dx, cy + 1 + dy}, POINT{cx + 3 + dx, cy + 1 + dy},
                         POINT{cx + dx, cy - 2 + dy}, color);
        else
            FillTriangle(pDC->m_hDC, POINT{cx - 3 + dx, cy - 1 + dy}, POINT{cx + 3 + dx, cy - 1 + dy},
                         POINT{cx + dx, cy + 2 + dy}, color);
    };
    if (!button->bEnabled) {
        arrow(1, 1, Index(COLOR_BTNHIGHLIGHT));
        arrow(0, 0, Index(COLOR_BTNSHADOW));
    } else {
        arrow(0, 0, RGB(0, 0, 0));
    }
}

// ---- Explorer-bar bitmaps and glyphs -----------------------------------------------------------
void CTKPTaskPanelThemePainter::FreeExplorerBitmaps()
{
    for (HBITMAP& bitmap : m_hExplorerBitmaps) {
        if (bitmap)
            ::DeleteObject(bitmap);
        bitmap = nullptr;
    }
    m_bExplorerBitmaps = FALSE;
    if (m_hGlyphNormal)
        ::DestroyIcon(m_hGlyphNormal);
    if (m_hGlyphSpecial)
        ::DestroyIcon(m_hGlyphSpecial);
    m_hGlyphNormal = m_hGlyphSpecial = nullptr;
}

void CTKPTaskPanelThemePainter::LoadExplorerBarBitmaps()
{
    FreeExplorerBitmaps();
    const int kind = SchemeKind();
    if (kind) {
        WCHAR file[260] = {};
        CTKPThemeHandle theme;
        CString directory;
        if (SUCCEEDED(theme.GetCurrentThemeName(file, 260, nullptr, 0, nullptr, 0))) {
            CString name(file);
            CString lower = name;
            lower.MakeLower();
            if (lower.Find(u"luna.msstyles") >= 0)
                directory = name.Left(name.ReverseFind(u'\\') + 1);
        }
        // The layer has no Windows folder of its own; the style folder then names nothing that loads.
        if (directory.IsEmpty())
            directory = u"\\Resources\\Themes\\Luna\\";
        const char16_t* folder = kind == 2 ? u"Homestead" : kind == 3 ? u"Metallic" : u"NormalColor";
        const CString path = directory + u"shell\\" + folder + u"\\shellstyle.dll";
        if (HMODULE library = ::LoadLibraryW(path.GetString())) {
            BOOL all = TRUE;
            for (int i = 0; i < 8; ++i) {
                m_hExplorerBitmaps[i] = HBITMAP(::LoadImageW(library, MAKEINTRESOURCEW(100 + i), IMAGE_BITMAP, 0, 0,
                                                             LR_CREATEDIBSECTION));
                all = all && m_hExplorerBitmaps[i];
            }
            ::FreeLibrary(library);
            m_bExplorerBitmaps = all;
            if (!all)
                FreeExplorerBitmaps();
            else
                for (HBITMAP bitmap : m_hExplorerBitmaps)
                    PreMultiply(bitmap);
        }
    }
    if (!m_bExplorerBitmaps)
        CreateGlyphIcons();
}

void CTKPTaskPanelThemePainter::PreMultiply(HBITMAP bitmap)
{
    DIBSECTION dib{};
    if (::GetObjectW(bitmap, sizeof(dib), &dib) != int(sizeof(dib)) || dib.dsBm.bmBitsPixel != 32 ||
        !dib.dsBm.bmBits)
        return;
    auto* pixels = static_cast<BYTE*>(dib.dsBm.bmBits);
    const size_t count = size_t(dib.dsBm.bmWidth) * size_t(std::abs(dib.dsBm.bmHeight));
    for (size_t i = 0; i < count; ++i) {
        BYTE* p = pixels + i * 4;
        for (int c = 0; c < 3; ++c)
            p[c] = BYTE(p[c] * p[3] / 255);
    }
}

void CTKPTaskPanelThemePainter::CreateGlyphIcons()
{
    if (m_hGlyphNormal)
        ::DestroyIcon(m_hGlyphNormal);
    if (m_hGlyphSpecial)
        ::DestroyIcon(m_hGlyphSpecial);
    m_hGlyphSpecial = MakeGlyphIcon(9198, m_groupSpecial.caption.Dark());
    m_hGlyphNormal = MakeGlyphIcon(9197, m_groupNormal.caption.Dark());
}

COLORREF CTKPTaskPanelThemePainter::RecolorGlyphPixel(COLORREF pixel, COLORREF transparent, COLORREF target)
{
    const Hls goal = ToHls(target);
    const Hls own = ToHls(pixel);
    const double base = ToHls(transparent).l;
    double lightness = base > 0 ? std::min(1.0, own.l / base * goal.l) : goal.l;
    if (own.l > 0.9 && goal.l <= 0.9)
        lightness = own.l;
    return FromHls(Hls{goal.h, lightness, goal.s});
}

HICON CTKPTaskPanelThemePainter::MakeGlyphIcon(UINT bitmapId, COLORREF color)
{
    HBITMAP source = nullptr;
    if (!GetResourceLoader().LoadBitmap(source, bitmapId) || !source)
        return nullptr;
    BITMAP info{};
    ::GetObjectW(source, sizeof(info), &info);
    const int width = info.bmWidth, height = info.bmHeight;
    if (width <= 0 || height <= 0 || width > 64 || height > 64) {
        ::DeleteObject(source);
        return nullptr;
    }
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    std::vector<DWORD> pixels(size_t(width) * size_t(height));
    HDC screen = ::GetDC(nullptr);
    ::GetDIBits(screen, source, 0, UINT(height), pixels.data(), &bi, DIB_RGB_COLORS);
    ::DeleteObject(source);
    auto toColor = [](DWORD p) { return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF); };
    auto toPixel = [](COLORREF c) { return DWORD(GetRValue(c)) << 16 | DWORD(GetGValue(c)) << 8 | GetBValue(c); };
    const COLORREF transparent = toColor(pixels[0]);
    for (DWORD& p : pixels) {
        const COLORREF c = toColor(p);
        p = toPixel(c == transparent ? RGB(0, 255, 0) : RecolorGlyphPixel(c, transparent, color));
    }
    void* bits = nullptr;
    HBITMAP recoloured = ::CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ::ReleaseDC(nullptr, screen);
    if (!recoloured || !bits) {
        if (recoloured)
            ::DeleteObject(recoloured);
        return nullptr;
    }
    std::copy(pixels.begin(), pixels.end(), static_cast<DWORD*>(bits));
    HIMAGELIST list = ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, 1, 0);
    HICON icon = nullptr;
    if (list) {
        if (ImageList_AddMasked(list, recoloured, RGB(0, 255, 0)) >= 0)
            icon = ImageList_GetIcon(list, 0, ILD_NORMAL);
        ImageList_Destroy(list);
    }
    ::DeleteObject(recoloured);
    return icon;
}
