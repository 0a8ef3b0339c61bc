// The task-panel themes 1-12: their metrics and colours per visual-style scheme, the plain captions of
// themes 3-6 and the button and band captions of themes 7-12.
#include "toolkit/taskpanel/task_panel_themes.h"

#include "toolkit/base/color_table.h"
#include "toolkit/base/draw_helpers.h"
#include "toolkit/commandbars/image_manager.h"
#include "toolkit/taskpanel/task_panel.h"

#include <algorithm>
#include <cstring>

namespace {

COLORREF Index(int index)
{
    return GetColorTable().GetColorByIndex(UINT(index));
}

// n/255 of a and the rest of b, per channel, rounded toward zero.
COLORREF Mix255(COLORREF a, COLORREF b, int n)
{
    auto channel = [n](int x, int y) { return BYTE(std::clamp((x * n + y * (255 - n)) / 255, 0, 255)); };
    return RGB(channel(GetRValue(a), GetRValue(b)), channel(GetGValue(a), GetGValue(b)),
               channel(GetBValue(a), GetBValue(b)));
}

COLORREF Mix(int a, int b, int percent)
{
    return BlendColorsByPercent(Index(a), Index(b), percent);
}

void SetTexts(TaskPanelGroupColors& set, COLORREF caption, COLORREF captionHot, COLORREF link, COLORREF linkHot)
{
    set.captionText.SetStandard(caption);
    set.captionTextHot.SetStandard(captionHot);
    set.linkText.SetStandard(link);
    set.linkTextHot.SetStandard(linkHot);
}

} // namespace

// ---- 1: scheme -----------------------------------------------------------------------------------
CTKPTaskPanelSchemeTheme::CTKPTaskPanelSchemeTheme()
{
    m_nColorStyle = 2;
    m_rcControlMargins = CRect(8, 8, 0, 8);
    m_nGroupSpacing = 15;
    m_bClosedClientTop = TRUE;
    m_bRoundLeftCorner = TRUE;
}

void CTKPTaskPanelSchemeTheme::RefreshMetrics()
{
    CTKPTaskPanelThemePainter::RefreshMetrics();
    m_nExpandButtonStyle = TKP_EXPAND_NONE;
    LOGFONTW lf{};
    ::SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(lf), &lf, 0);
    lf.lfHeight = 18;
    lf.lfWeight = FW_BOLD;
    lf.lfUnderline = 0;
    if (FontExists(u"Tahoma"))
        std::memcpy(lf.lfFaceName, u"Tahoma", sizeof(u"Tahoma"));
    if (m_hCaptionFont)
        ::DeleteObject(m_hCaptionFont);
    m_hCaptionFont = ::CreateFontIndirectW(&lf);
    m_nCaptionHeight = std::max(20, MeasureCaptionTextHeight());

    COLORREF backLight, backDark, captionLight, captionDark, clientColor, text, link;
    switch (SchemeKind()) {
    case 1:
        backLight = RGB(221, 236, 254), backDark = RGB(74, 122, 201);
        captionLight = RGB(196, 219, 249), captionDark = RGB(101, 143, 224);
        text = RGB(0, 45, 134), link = RGB(0, 61, 178), clientColor = backLight;
        break;
    case 2:
        backLight = RGB(243, 242, 231), backDark = RGB(190, 198, 152);
        captionLight = RGB(210, 223, 174), captionDark = RGB(161, 176, 128);
        text = Index(COLOR_BTNTEXT), link = RGB(0, 61, 178), clientColor = backLight;
        break;
    case 3:
        backLight = RGB(238, 238, 244), backDark = RGB(177, 176, 195);
        captionLight = RGB(207, 207, 222), captionDark = RGB(169, 168, 191);
        text = RGB(92, 91, 121), link = RGB(0, 61, 178), clientColor = backLight;
        break;
    default:
        backLight = Mix(15, 5, 50), backDark = Index(15);
        captionLight = Mix(15, 5, 39), captionDark = Mix(15, 5, 70);
        text = Index(COLOR_BTNTEXT), link = RGB(0, 0, 255), clientColor = Mix(15, 5, 49);
        break;
    }
    m_clrBackground.SetStandardValue(backLight, backDark);
    for (TaskPanelGroupColors* set : {&m_groupNormal, &m_groupSpecial}) {
        set->caption.SetStandardValue(captionLight, captionDark);
        set->client.SetStandardColor(clientColor);
        set->plainCaption.SetStandard(captionDark);
        SetTexts(*set, text, text, link, link);
    }
}

// ---- 2: explorer ---------------------------------------------------------------------------------
CTKPTaskPanelExplorerTheme::CTKPTaskPanelExplorerTheme()
{
    m_nColorStyle = 2;
}

BOOL CTKPTaskPanelExplorerTheme::HasExplorerLook() const
{
    return SchemeKind() != 0 || m_bExplorerLookWithoutStyle;
}

void CTKPTaskPanelExplorerTheme::RefreshMetrics()
{
    // Without the explorer look the theme is theme 0 in every respect.
    const BOOL look = HasExplorerLook();
    m_nColorStyle = look ? 2 : 0;
    m_bRoundLeftCorner = m_bRoundRightCorner = look;
    CTKPTaskPanelThemePainter::RefreshMetrics();
    if (!look)
        return;
    struct Scheme {
        COLORREF backLight, backDark, captionLight, captionDark, text, textHot;
        COLORREF specialLight, specialDark, specialText, specialTextHot, specialClient;
    };
    Scheme s;
    switch (SchemeKind()) {
    case 1:
        s = {RGB(123, 162, 231), RGB(99, 117, 214), RGB(255, 255, 255), RGB(198, 211, 247), RGB(33, 93, 198),
             RGB(66, 142, 255), RGB(0, 73, 181), RGB(41, 93, 206), RGB(255, 255, 255), RGB(66, 142, 255),
             RGB(239, 243, 255)};
        break;
    case 2:
        s = {RGB(204, 217, 173), RGB(165, 189, 132), RGB(255, 252, 236), RGB(224, 231, 184), RGB(86, 102, 45),
             RGB(114, 146, 29), RGB(119, 140, 64), RGB(150, 168, 103), RGB(255, 255, 255), RGB(224, 231, 184),
             RGB(246, 246, 236)};
        break;
    case 3:
        s = {RGB(196, 200, 212), RGB(177, 179, 200), RGB(255, 255, 255), RGB(214, 215, 224), RGB(63, 61, 61),
             RGB(126, 124, 124), RGB(119, 119, 146), RGB(180, 182, 199), RGB(255, 255, 255), RGB(230, 230, 230),
             RGB(240, 241, 245)};
        break;
    default:
        s = {Mix255(Index(3), Index(5), 128), Mix255(Index(2), Index(5), 192), Index(5), Mix255(Index(3), Index(5), 92),
             Mix255(Index(13), Index(18), 192), Mix255(Index(13), Index(18), 240), Index(2),
             Mix255(Index(2), Index(5), 92), Index(9), Mix255(Index(20), Index(13), 128),
             Mix255(Index(15), Index(5), 24)};
        break;
    }
    const COLORREF normalClient =
        SchemeKind() ? s.captionDark : Mix255(s.specialClient, Index(COLOR_ACTIVECAPTION), 230);
    m_clrBackground.SetStandardValue(s.backLight, s.backDark);
    m_groupNormal.caption.SetStandardValue(s.captionLight, s.captionDark);
    m_groupNormal.client.SetStandardColor(normalClient);
    m_groupNormal.plainCaption.SetStandard(s.captionDark);
    SetTexts(m_groupNormal, s.text, s.textHot, Index(18), Index(13));
    m_groupSpecial.caption.SetStandardValue(s.specialLight, s.specialDark);
    m_groupSpecial.client.SetStandardColor(s.specialClient);
    m_groupSpecial.plainCaption.SetStandard(s.specialDark);
    SetTexts(m_groupSpecial, s.specialText, s.specialTextHot, Index(18), Index(13));
    LoadExplorerBarBitmaps();
    m_nExpandButtonStyle = TKP_EXPAND_BITMAPS;
}

// ---- 3: plain ------------------------------------------------------------------------------------
CTKPTaskPanelPlainTheme::CTKPTaskPanelPlainTheme()
{
    m_nColorStyle = 0;
    m_rcGroupIconPadding = CRect(0, 0, 3, 0);
    m_nCaptionTextFormat = 0x810;
}

void CTKPTaskPanelPlainTheme::RefreshMetrics()
{
    CTKPTaskPanelThemePainter::RefreshMetrics();
    m_nExpandButtonStyle = TKP_EXPAND_TRIANGLE;
    m_clrBackground.SetStandardColor(Index(COLOR_BACKGROUND));
    m_groupNormal.linkText.SetStandard(Index(13));
    m_groupSpecial = m_groupNormal;
}

int CTKPTaskPanelPlainTheme::CaptionWidth(const CTKPTaskPanelGroup* group) const
{
    const CTKPTaskPanel* panel = group->GetTaskPanel();
    if (!panel || !panel->m_hWnd)
        return group->GetTargetRect().Width();
    CRect client;
    ::GetClientRect(panel->m_hWnd, &client);
    const CRect margins = GetControlMargins(panel);
    const CRect outer = GetGroupOuterMargins(group);
    return client.Width() - margins.left - margins.right - outer.left - outer.right;
}

void CTKPTaskPanelPlainTheme::FillTaskPanel(CDC* pDC, CTKPTaskPanel* panel)
{
    CTKPTaskPanelThemePainter::FillTaskPanel(pDC, panel);
    if (!m_bFrameGroups)
        return;
    CRect frame(0, 0, 0, 0);
    BOOL any = FALSE;
    for (int i = 0; i < panel->GetGroupCount(); ++i) {
        CTKPTaskPanelGroup* group = panel->GetAt(i);
        if (!group->IsVisible())
            continue;
        if (!any)
            frame = group->GetCurrentRect();
        else
            frame.UnionRect(&frame, &group->GetCurrentRect());
        any = TRUE;
    }
    if (!any || frame.IsRectEmpty())
        return;
    CTKPSelectPen pen(pDC->m_hDC, m_groupNormal.plainCaption);
    CTKPSelectBrush brush(pDC->m_hDC, m_groupNormal.client.Dark());
    ::RoundRect(pDC->m_hDC, frame.left, frame.top, frame.right, frame.bottom, 10, 10);
}

int CTKPTaskPanelPlainTheme::DrawGroupCaption(CDC* pDC, CTKPTaskPanelGroup* group, BOOL draw)
{
    if (!group->IsCaptionVisible())
        return CTKPTaskPanelThemePainter::DrawGroupCaption(pDC, group, draw);
    HDC dc = pDC->m_hDC;
    CTKPSelectFont font(dc, m_hCaptionFont);
    const CRect padding = GetItemIconPadding(group);
    CSize imageSize;
    CTKPImageIcon* image = GroupImage(group, &imageSize);
    const int inset = m_bCaptionInsets ? 13 : 0;
    if (!draw) {
        const int width = CaptionWidth(group);
        int textWidth = width - GetExpandButtonWidth(group, CRect(0, 0, width, 1)) - 2 * inset;
        if (image)
            textWidth -= imageSize.cx + padding.left + padding.right;
        CRect measure(0, 0, std::max(textWidth, 1), 0);
        const CString caption = group->GetCaption().IsEmpty() ? CString(u" ") : group->GetCaption();
        ::DrawTextW(dc, caption.GetString(), caption.GetLength(), &measure, m_nCaptionTextFormat | DT_CALCRECT);
        return measure.Height() + 5;
    }
    const CRect rc = group->GetCaptionRect();
    if (rc.IsRectEmpty())
        return rc.Height();
    TaskPanelGroupColors* colors = GetGroupColors(group);
    CRect text = DrawExpandButton(pDC, group, rc);
    if (image && text.Width() > imageSize.cx) {
        const int center = (rc.top + rc.bottom) / 2;
        const int bottom = std::min<int>(center + imageSize.cy / 2, rc.bottom) + padding.top - padding.bottom;
        DrawItemImage(pDC, group, CPoint(rc.left + padding.left, bottom - imageSize.cy), image, imageSize);
        text.left += padding.left + padding.right + imageSize.cx;
    }
    text.left += inset;
    text.right -= inset;
    if (m_bCaptionInsets)
        text.top += 5;
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, group->GetEnabled() ? COLORREF(colors->itemText) : Index(COLOR_GRAYTEXT));
    ::DrawTextW(dc, group->GetCaption().GetString(), group->GetCaption().GetLength(), &text, m_nCaptionTextFormat);
    const CRect measured = group->CalcCaptionTextRect(pDC, text, m_nCaptionTextFormat);
    if (m_bUnderlineCaption)
        FillSolid(pDC, CRect(rc.left, rc.bottom - 1, rc.right, rc.bottom), colors->plainCaption);
    if (group->IsItemFocused() && group->GetTaskPanel() && group->GetTaskPanel()->IsDrawFocusRect())
        DrawFocusRect(pDC, measured);
    if (group->IsItemDropTarget() && !(group->IsExpanded() && group->GetItems()->GetFirstVisibleItem()))
        DrawDropMark(pDC, group, rc, TRUE);
    return rc.Height();
}

// ---- 4: plain in toolkit colours -------------------------------------------------------------------
CTKPTaskPanelPlainColorTheme::CTKPTaskPanelPlainColorTheme()
{
    m_nColorStyle = 1;
    m_bCaptionInsets = FALSE;
    m_bUnderlineCaption = TRUE;
    m_bFrameGroups = FALSE;
}

void CTKPTaskPanelPlainColorTheme::RefreshMetrics()
{
    CTKPTaskPanelPlainTheme::RefreshMetrics();
    m_nExpandButtonStyle = TKP_EXPAND_NONE;
    m_clrBackground.SetStandardColor(Index(41));
    m_groupNormal.client.SetStandardColor(Index(41));
    m_groupNormal.caption.SetStandardColor(Index(16));
    m_groupNormal.plainCaption.SetStandard(Index(16));
    m_groupNormal.linkText.SetStandard(RGB(0, 0, 255));
    m_groupNormal.linkTextHot.SetStandard(RGB(0, 0, 255));
    m_groupSpecial = m_groupNormal;
}

// ---- 5: plain in scheme colours --------------------------------------------------------------------
CTKPTaskPanelPlainSchemeTheme::CTKPTaskPanelPlainSchemeTheme()
{
    m_nColorStyle = 2;
}

void CTKPTaskPanelPlainSchemeTheme::RefreshMetrics()
{
    CTKPTaskPanelPlainColorTheme::RefreshMetrics();
    COLORREF back, caption;
    switch (SchemeKind()) {
    case 1:
        back = RGB(221, 236, 254), caption = RGB(123, 164, 224);
        break;
    case 2:
        back = RGB(243, 242, 231), caption = RGB(188, 187, 177);
        break;
    case 3:
        back = RGB(238, 238, 244), caption = RGB(161, 160, 187);
        break;
    default:
        back = Mix(15, 5, 50), caption = Index(16);
        break;
    }
    m_clrBackground.SetStandardColor(back);
    m_groupNormal.client.SetStandardColor(back);
    m_groupNormal.caption.SetStandardColor(caption);
    m_groupNormal.plainCaption.SetStandard(caption);
    m_groupSpecial = m_groupNormal;
}

// ---- 6: plain with explorer buttons ----------------------------------------------------------------
CTKPTaskPanelPlainExplorerTheme::CTKPTaskPanelPlainExplorerTheme()
{
    m_nColorStyle = 2;
}

BOOL CTKPTaskPanelPlainExplorerTheme::HasExplorerLook() const
{
    return SchemeKind() != 0 || m_bExplorerLookWithoutStyle;
}

void CTKPTaskPanelPlainExplorerTheme::RefreshMetrics()
{
    // Without the explorer look the theme is theme 3.
    const BOOL look = HasExplorerLook();
    m_nColorStyle = look ? 2 : 0;
    CTKPTaskPanelPlainTheme::RefreshMetrics();
    if (!look)
        return;
    LoadExplorerBarBitmaps();
    m_nExpandButtonStyle = TKP_EXPAND_BITMAPS;
}

// ---- 7: button captions ----------------------------------------------------------------------------
COLORREF CTKPTaskPanelButtonTheme::ClassicHotFill(COLORREF face, COLORREF highlight)
{
    const int r = GetRValue(face), g = GetGValue(face), b = GetBValue(face);
    const int m = r >= g && r >= b ? r : std::min({r, g, b});
    const int red = (GetRValue(highlight) + r) / 2;
    const int green = (GetGValue(highlight) + 2 * g - m) / 2;
    const int blue = (GetBValue(highlight) + 2 * b - m) / 2;
    return RGB(BYTE(red & 0xFF), BYTE(green & 0xFF), BYTE(blue & 0xFF));
}

CTKPTaskPanelButtonTheme::CTKPTaskPanelButtonTheme()
{
    m_nColorStyle = 0;
    m_rcGroupInnerMargins = CRect(0, 4, 0, 2);
    m_rcControlMargins = CRect(2, 2, 2, 2);
    m_nGroupSpacing = 1;
    m_rcGroupIconPadding = CRect(2, 2, 0, 2);
    m_bDropMarkAfter = TRUE;
    m_bCaptionScrollButtons = TRUE;
    m_bBoldCaption = FALSE;
    m_nCaptionTextFormat = 0x8024;
    m_bFrameGroups = FALSE;
}

void CTKPTaskPanelButtonTheme::RefreshMetrics()
{
    CTKPTaskPanelPlainTheme::RefreshMetrics();
    m_nExpandButtonStyle = TKP_EXPAND_CHEVRON;
    m_nCaptionHeight = std::max(m_nLeastCaptionHeight, MeasureCaptionTextHeight() + m_nCaptionTextExtra);
    m_clrBackground.SetStandardColor(Index(COLOR_BTNFACE));
    m_groupNormal.caption.SetStandardColor(Index(COLOR_BTNFACE));
    m_groupNormal.client.SetStandardColor(Index(COLOR_BTNFACE));
    m_groupNormal.plainCaption.SetStandard(Index(COLOR_BTNFACE));
    SetTexts(m_groupNormal, Index(18), Index(18), Index(18), Index(13));
    m_groupSpecial = m_groupNormal;
    if (m_nColorStyle == 0) {
        m_clrHot.SetStandard(ClassicHotFill(Index(COLOR_BTNFACE), Index(COLOR_BTNHIGHLIGHT)));
        m_clrBorder.SetStandardValue(Index(COLOR_BTNSHADOW), Index(COLOR_BTNHIGHLIGHT));
    }
}

CRect CTKPTaskPanelButtonTheme::DrawCaptionFace(CDC* pDC, CTKPTaskPanelGroup* group, CRect rc)
{
    FillSolid(pDC, rc, GetGroupColors(group)->caption.Dark());
    if (group->IsItemHot() && group->IsItemPressed()) {
        Draw3dFrame(pDC, rc, Index(COLOR_3DDKSHADOW), Index(COLOR_BTNHIGHLIGHT));
        FillSolid(pDC, CRect(rc.left + 1, rc.top + 1, rc.right - 1, rc.top + 2), Index(COLOR_BTNSHADOW));
        FillSolid(pDC, CRect(rc.left + 1, rc.top + 1, rc.left + 2, rc.bottom - 1), Index(COLOR_BTNSHADOW));
        rc.OffsetRect(1, 1);
    } else {
        Draw3dFrame(pDC, rc, Index(COLOR_BTNHIGHLIGHT), Index(COLOR_BTNSHADOW));
    }
    return rc;
}

int CTKPTaskPanelButtonTheme::DrawGroupCaption(CDC* pDC, CTKPTaskPanelGroup* group, BOOL draw)
{
    HDC dc = pDC->m_hDC;
    CTKPSelectFont font(dc, m_hCaptionFont);
    const CRect padding = GetItemIconPadding(group);
    CSize imageSize;
    CTKPImageIcon* image = GroupImage(group, &imageSize);
    if (!draw) {
        if (!group->IsCaptionVisible())
            return 0;
        return std::max<int>(m_nCaptionHeight, image ? imageSize.cy + padding.top + padding.bottom : 0);
    }
    const CRect rc = group->GetCaptionRect();
    if (rc.IsRectEmpty() || !group->IsCaptionVisible())
        return rc.Height();
    TaskPanelGroupColors* colors = GetGroupColors(group);
    CRect content = DrawCaptionFace(pDC, group, rc);
    const CRect face = content;
    content = DrawExpandButton(pDC, group, content);
    if (image && imageSize.cx < content.Width()) {
        const int middle = (content.top + content.bottom) / 2;
        const int bottom = std::min<int>(middle + imageSize.cy / 2, content.bottom) + padding.top - padding.bottom;
        DrawItemImage(pDC, group, CPoint(content.left + padding.left, bottom - imageSize.cy), image, imageSize);
        content.left += padding.left + imageSize.cx + padding.right;
    }
    content.DeflateRect(3, 0);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, group->GetEnabled() ? COLORREF(colors->captionText) : Index(COLOR_GRAYTEXT));
    DrawItemCaption(pDC, group, content, m_nCaptionTextFormat);
    if (group->IsItemDragging())
        ::InvertRect(dc, &rc);
    if (group->IsItemDropTarget() && (m_bDropMarkAfter || !(group->IsExpanded() && group->GetItems()->GetFirstVisibleItem())))
        DrawDropMark(pDC, group, rc, TRUE);
    CTKPTaskPanelItem* drop = group->GetTaskPanel() ? group->GetTaskPanel()->GetDropTarget() : nullptr;
    if (m_bDropMarkAfter && drop && drop != group && drop->GetItemGroup() == group)
        ::InvertRect(dc, &rc);
    if (ShowsFocus(group)) {
        CRect focus = face;
        focus.InflateRect(1, -2);
        DrawFocusRect(pDC, focus);
    }
    return rc.Height();
}

// ---- 8: button captions in scheme colours ----------------------------------------------------------
CTKPTaskPanelButtonSchemeTheme::CTKPTaskPanelButtonSchemeTheme()
{
    m_nColorStyle = 1;
    m_bDropMarkAfter = FALSE;
    m_bCaptionScrollButtons = FALSE;
    m_bBoldCaption = TRUE;
}

void CTKPTaskPanelButtonSchemeTheme::RefreshMetrics()
{
    CTKPTaskPanelButtonTheme::RefreshMetrics();
    const int kind = SchemeKind();
    switch (kind) {
    case 1:
        m_groupNormal.caption.SetStandardValue(RGB(222, 220, 203), RGB(196, 193, 176));
        m_clrBackground.SetStandardValue(RGB(243, 241, 230), RGB(228, 225, 208));
        break;
    case 2:
        m_groupNormal.caption.SetStandardValue(RGB(223, 228, 209), RGB(222, 227, 206));
        m_clrBackground.SetStandardValue(RGB(243, 241, 230), RGB(228, 225, 208));
        m_clrHot.SetStandard(RGB(182, 198, 141));
        m_clrSelected.SetStandard(RGB(194, 207, 158));
        m_clrPressed.SetStandard(RGB(147, 160, 112));
        break;
    case 3:
        m_groupNormal.caption.SetStandardValue(RGB(233, 232, 237), RGB(223, 224, 227));
        m_clrBackground.SetStandardValue(RGB(234, 233, 238), RGB(215, 213, 218));
        m_clrHot.SetStandard(RGB(255, 238, 194));
        m_clrSelected.SetStandard(RGB(255, 192, 111));
        m_clrPressed.SetStandard(RGB(254, 128, 50));
        m_clrBorder.SetStandardColor(RGB(75, 75, 111));
        break;
    default:
        m_groupNormal.caption.SetStandardValue(Index(COLOR_BTNSHADOW), Index(COLOR_BTNFACE));
        break;
    }
    m_groupNormal.client = m_clrBackground;
    m_groupSpecial = m_groupNormal;
}

CRect CTKPTaskPanelButtonSchemeTheme::DrawCaptionFace(CDC* pDC, CTKPTaskPanelGroup* group, CRect rc)
{
    const TaskPanelGroupColors* colors = GetGroupColors(group);
    const CTKPTaskPanel* panel = group->GetTaskPanel();
    const BOOL keyboardFocus = group->IsItemFocused() && panel && panel->m_hWnd && ::GetFocus() == panel->m_hWnd;
    if (keyboardFocus) {
        const BOOL hot = group->IsItemHot(), pressed = group->IsItemPressed();
        const COLORREF fill = hot ? COLORREF(m_clrPressed) : pressed ? COLORREF(m_clrHot) : COLORREF(m_clrSelected);
        FillSolid(pDC, rc, fill);
        FrameSolid(pDC, rc, m_clrBorder.Light());
    } else {
        GetGradientHelper().GradientFillColor(pDC->m_hDC, CRect(rc.left, rc.top, rc.right, rc.bottom - 2),
                                              colors->caption, FALSE);
        FillSolid(pDC, CRect(rc.left, rc.bottom - 1, rc.right, rc.bottom), colors->caption.Light());
    }
    // The plus/minus box at the left, 9 x 9.
    const int mid = (rc.top + rc.bottom) / 2;
    const CRect box(rc.left + 6, mid - 6, rc.left + 15, mid + 3);
    FillSolid(pDC, box, colors->caption.Light());
    const CRect inside(box.left + 1, box.top + 1, box.right - 1, box.bottom - 1);
    FillSolid(pDC, inside, Index(COLOR_BTNFACE));
    const COLORREF edge = Index(COLOR_BTNSHADOW);
    FillSolid(pDC, CRect(box.left + 1, box.top, box.right - 1, box.top + 1), edge);
    FillSolid(pDC, CRect(box.left + 1, box.bottom - 1, box.right - 1, box.bottom), edge);
    FillSolid(pDC, CRect(box.left, box.top + 1, box.left + 1, box.bottom - 1), edge);
    FillSolid(pDC, CRect(box.right - 1, box.top + 1, box.right, box.bottom - 1), edge);
    FillSolid(pDC, CRect(inside.left, inside.top, inside.right, inside.top + 3), RGB(255, 255, 255));
    FillSolid(pDC, CRect(inside.left, inside.top + 3, inside.left + 5, inside.top + 5), RGB(255, 255, 255));
    FillSolid(pDC, CRect(box.left + 2, box.top + 4, box.left + 7, box.top + 5), RGB(0, 0, 0));
    if (!group->IsExpanded())
        FillSolid(pDC, CRect(box.left + 4, box.top + 2, box.left + 5, box.bottom - 2), RGB(0, 0, 0));
    return CRect(rc.left + 19, rc.top, rc.right, rc.bottom - 2);
}

// ---- 9: bands ----------------------------------------------------------------------------------------
CTKPTaskPanelBandTheme::CTKPTaskPanelBandTheme()
{
    m_nColorStyle = 0;
    m_rcGroupInnerMargins = CRect(8, 6, 8, 6);
    m_rcControlMargins = CRect(0, 0, 0, 0);
    m_nGroupSpacing = 0;
    m_bDropMarkAfter = FALSE;
    m_bCaptionScrollButtons = FALSE;
    m_bEmbossedDisabledText = TRUE;
    m_nLeastCaptionHeight = 20;
}

void CTKPTaskPanelBandTheme::RefreshMetrics()
{
    CTKPTaskPanelButtonTheme::RefreshMetrics();
    m_clrBackground.SetStandardColor(Index(COLOR_BTNSHADOW));
    m_groupNormal.client.SetStandardColor(Index(COLOR_BTNSHADOW));
    m_groupNormal.itemText.SetStandard(Index(COLOR_WINDOW));
    m_groupNormal.linkText.SetStandard(Index(COLOR_WINDOW));
    m_groupNormal.linkTextHot.SetStandard(Index(COLOR_WINDOW));
    m_groupNormal.linkTextHighlight.SetStandard(Index(COLOR_WINDOW));
    m_groupSpecial = m_groupNormal;
}

// ---- 10: bands in toolkit colours ------------------------------------------------------------------
CTKPTaskPanelBandColorTheme::CTKPTaskPanelBandColorTheme()
{
    m_nColorStyle = 1;
    m_bEmbossedDisabledText = FALSE;
}

void CTKPTaskPanelBandColorTheme::RefreshMetrics()
{
    CTKPTaskPanelBandTheme::RefreshMetrics();
    m_clrBackground.SetStandardColor(Index(30));
    m_groupNormal.client.SetStandardColor(Index(30));
    m_groupNormal.itemText.SetStandard(Index(18));
    m_groupNormal.linkText.SetStandard(Index(18));
    m_groupNormal.linkTextHot.SetStandard(Index(18));
    m_groupNormal.linkTextHighlight.SetStandard(Index(45));
    m_groupSpecial = m_groupNormal;
}

// ---- 11: bands with hot and pressed gradients --------------------------------------------------------
CTKPTaskPanelBandSchemeTheme::CTKPTaskPanelBandSchemeTheme()
{
    m_nColorStyle = 2;
}

void CTKPTaskPanelBandSchemeTheme::RefreshMetrics()
{
    CTKPTaskPanelBandColorTheme::RefreshMetrics();
    m_clrCaptionHot.SetStandardColor(Index(31));
    m_clrCaptionPressed.SetStandardColor(Index(33));
    const int kind = SchemeKind();
    if (kind) {
        const COLORREF back = kind == 1 ? RGB(216, 231, 252) : kind == 2 ? RGB(226, 231, 191) : RGB(223, 223, 234);
        m_clrBackground.SetStandardColor(back);
        m_groupNormal.client.SetStandardColor(back);
        m_clrCaptionPressed.SetStandardValue(RGB(232, 127, 8), RGB(247, 218, 124));
        m_clrCaptionHot.SetStandardValue(RGB(255, 255, 220), RGB(247, 192, 91));
    }
    m_groupSpecial = m_groupNormal;
}

CRect CTKPTaskPanelBandSchemeTheme::DrawCaptionFace(CDC* pDC, CTKPTaskPanelGroup* group, CRect rc)
{
    const BOOL hot = group->IsItemHot(), pressed = group->IsItemPressed();
    if (pressed)
        GetGradientHelper().GradientFillColor(pDC->m_hDC, rc, m_clrCaptionPressed, FALSE);
    else if (hot)
        GetGradientHelper().GradientFillColor(pDC->m_hDC, rc, m_clrCaptionHot, FALSE);
    else {
        const CTKPGradientColor& band = GetColorTable().m_gradients[1];
        GetGradientHelper().GradientFillRect(pDC->m_hDC, rc, band.Dark(), band.Light(), FALSE);
    }
    Draw3dFrame(pDC, rc, Index(COLOR_BTNHIGHLIGHT), Index(54));
    return rc;
}

// ---- 12: centred bands -------------------------------------------------------------------------------
CTKPTaskPanelBandCenteredTheme::CTKPTaskPanelBandCenteredTheme()
{
    m_nCaptionTextFormat = 0x8025;
    m_nLeastCaptionHeight = 22;
    m_nCaptionTextExtra = 3;
}

void CTKPTaskPanelBandCenteredTheme::RefreshMetrics()
{
    CTKPTaskPanelBandSchemeTheme::RefreshMetrics();
    m_groupNormal.itemText.SetStandard(Index(COLOR_WINDOW));
    m_groupNormal.linkText.SetStandard(Index(COLOR_WINDOW));
    m_groupNormal.linkTextHot.SetStandard(Index(COLOR_WINDOW));
    m_groupSpecial = m_groupNormal;
}

void CTKPTaskPanelBandCenteredTheme::FillTaskPanel(CDC* pDC, CTKPTaskPanel* panel)
{
    CRect rc;
    ::GetClientRect(panel->m_hWnd, &rc);
    rc.bottom = std::max<LONG>(rc.bottom + panel->GetScrollOffset(), panel->GetTotalHeight());
    GetGradientHelper().GradientFillColor(pDC->m_hDC, rc, GetColorTable().m_gradients[0], FALSE);
}

void CTKPTaskPanelBandCenteredTheme::DrawGroupClientBackground(CDC* pDC, CTKPTaskPanelGroup* group, CRect rc)
{
    GetGradientHelper().GradientFillColor(pDC->m_hDC, rc, GetColorTable().m_gradients[0], FALSE);
    group->DrawGroupImage(pDC, rc);
    if (group->IsExpanded() || group->IsExpansionPending())
        DrawGroupItems(pDC, group, rc);
    FillSolid(pDC, CRect(rc.left, rc.top, rc.right, rc.top + 1), Index(54));
}

CRect CTKPTaskPanelBandCenteredTheme::DrawCaptionFace(CDC* pDC, CTKPTaskPanelGroup* group, CRect rc)
{
    if (group->IsItemPressed())
        GetGradientHelper().GradientFillColor(pDC->m_hDC, rc, m_clrCaptionPressed, FALSE);
    else if (group->IsItemHot())
        GetGradientHelper().GradientFillColor(pDC->m_hDC, rc, m_clrCaptionHot, FALSE);
    else
        GetGradientHelper().GradientFillColor(pDC->m_hDC, rc, GetColorTable().m_gradients[3], FALSE);
    if (group->GetIndex() != 0)
        FillSolid(pDC, CRect(rc.left, rc.top, rc.right, rc.top + 1), Index(54));
    return rc;
}
