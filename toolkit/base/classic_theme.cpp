// The classic theme: raised and sunken 3-D faces in the system colours, popup entries, fields and grippers.
#include "toolkit/base/themes.h"

#include "win32/user.h"

#include <algorithm>

namespace {

BOOL IsPopupType(int type)
{
    return type == TKP_CONTROL_POPUP || type == TKP_CONTROL_BUTTONPOPUP || type == TKP_CONTROL_SPLITBUTTONPOPUP;
}

// The icon shows by the control's display style: always for icon styles, and for automatic style
// on every control but a plain popup.
BOOL ShowsIcon(CTKPControlView* control)
{
    int style = control->GetStyle();
    return style == TKP_STYLE_ICON || style == TKP_STYLE_ICONANDCAPTION ||
           (style == TKP_STYLE_AUTOMATIC && control->GetType() != TKP_CONTROL_POPUP);
}

int AverageCharWidth(HDC hdc)
{
    TEXTMETRICW tm{};
    return GetTextMetricsW(hdc, &tm) ? tm.tmAveCharWidth : 0;
}

} // namespace

CTKPClassicTheme::CTKPClassicTheme()
{
    m_iconsInfo.bUseFadedIcons = FALSE;
    m_iconsInfo.bIconsWithShadow = FALSE;
}

// ---- Faces -------------------------------------------------------------------------------------
void CTKPClassicTheme::DrawCheckedPattern(HDC hdc, const RECT& rc)
{
    static const WORD rows[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    HBITMAP pattern = CreateBitmap(8, 8, 1, 1, rows);
    HBRUSH brush = CreatePatternBrush(pattern);
    COLORREF oldBk = SetBkColor(hdc, GetColor(COLOR_BTNFACE));
    COLORREF oldText = SetTextColor(hdc, GetColor(COLOR_BTNHIGHLIGHT));
    HGDIOBJ oldBrush = SelectObject(hdc, brush);
    PatBlt(hdc, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, PATCOPY);
    SelectObject(hdc, oldBrush);
    SetBkColor(hdc, oldBk);
    SetTextColor(hdc, oldText);
    DeleteObject(brush);
    DeleteObject(pattern);
}

void CTKPClassicTheme::DrawRectangleByState(HDC hdc, const RECT& rc, int selected, int pressed, BOOL enabled,
                                            BOOL checked, BOOL popuped, BOOL /*toolBar*/, int /*position*/)
{
    auto raised = [&] { Draw3dRectangle(hdc, rc, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW); };
    auto sunken = [&] { Draw3dRectangle(hdc, rc, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT); };
    if (!enabled) {
        if (checked || selected == 2)
            sunken();
        return;
    }
    if (checked && !popuped && !selected && !pressed) {
        DrawCheckedPattern(hdc, rc);
        sunken();
    } else if (!checked && !popuped && pressed != 2) {
        if (selected && pressed)
            sunken();
        else if (selected || pressed)
            raised();
    } else {
        sunken();
    }
}

COLORREF CTKPClassicTheme::DrawControlFace(HDC hdc, const RECT& rc, int selected, int pressed, BOOL enabled,
                                           BOOL checked, BOOL popuped, int position)
{
    DrawRectangleByState(hdc, rc, selected, pressed, enabled, checked, popuped, TRUE, position);
    SetBkMode(hdc, TRANSPARENT);
    if (!enabled)
        return GetColor(COLOR_GRAYTEXT);
    return GetColor(UINT(position == TKP_BARPOS_POPUP ? m_nPopupTextColor : COLOR_BTNTEXT));
}

void CTKPClassicTheme::DrawSplitButton(HDC hdc, CTKPControlView* control, const RECT& rc)
{
    CTKPBarView* bar = control->GetParentBarView();
    int pos = bar ? bar->GetPosition() : TKP_BARPOS_TOP;
    BOOL open = control->IsPopupOpen(), enabled = control->GetEnabled();
    int selected = control->GetSelected() || open ? 1 : 0;
    COLORREF text = DrawControlFace(hdc, RECT{rc.left, rc.top, rc.right - 12, rc.bottom}, selected,
                                    control->GetPressed(), enabled, control->GetChecked(), FALSE, pos);
    if (enabled && (control->GetSelected() || control->GetPressed() || open))
        DrawControlFace(hdc, RECT{rc.right - 12, rc.top, rc.right, rc.bottom}, 1, 0, TRUE, FALSE, open, pos);
    SetTextColor(hdc, text);
    int cy = (rc.top + rc.bottom) / 2;
    FillTriangle(hdc, {rc.right - 9, cy - 1}, {rc.right - 5, cy - 1}, {rc.right - 7, cy + 1}, text);
}

// ---- Bars --------------------------------------------------------------------------------------
void CTKPClassicTheme::FillCommandBar(HDC hdc, CTKPBarView* bar)
{
    RECT rc = bar->GetClientRect();
    FillRectIndex(hdc, rc, COLOR_BTNFACE);
    int pos = bar->GetPosition();
    if (pos == TKP_BARPOS_FLOATING || pos == TKP_BARPOS_POPUP) {
        Draw3dRectangle(hdc, rc, COLOR_BTNFACE, COLOR_3DDKSHADOW);
        RECT inner = rc;
        InflateRect(&inner, -1, -1);
        Draw3dRectangle(hdc, inner, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW);
    } else {
        Draw3dRectangle(hdc, rc, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW);
    }
}

SIZE CTKPClassicTheme::DrawBarGripper(HDC hdc, CTKPBarView* bar, BOOL draw)
{
    if (bar->IsDialogBar())
        return DrawDialogBarGripper(hdc, bar, draw);
    RECT rc = bar->GetClientRect();
    switch (bar->GetPosition()) {
    case TKP_BARPOS_FLOATING: {
        HGDIOBJ old = m_fontSmallCaption.m_font ? SelectObject(hdc, m_fontSmallCaption.m_font) : nullptr;
        SIZE text = MeasureCaption(hdc, bar->GetTitle(), DT_SINGLELINE);
        int h = std::max<int>(15, text.cy);
        RECT caption{3, 3, rc.right - 3, h + 3};
        if (draw) {
            FillRectIndex(hdc, caption, COLOR_ACTIVECAPTION);
            SetTextColor(hdc, GetColor(COLOR_BTNHIGHLIGHT));
            SetBkMode(hdc, TRANSPARENT);
            RECT textRect = caption;
            textRect.left += 5;
            DrawCaption(hdc, bar->GetTitle(), textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        }
        if (old)
            SelectObject(hdc, old);
        return SIZE{rc.right - 6, h};
    }
    case TKP_BARPOS_LEFT:
    case TKP_BARPOS_RIGHT:
        if (draw)
            Draw3dRectangle(hdc, RECT{3, 3, rc.right - 3, 6}, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW);
        return SIZE{0, 8};
    case TKP_BARPOS_TOP:
    case TKP_BARPOS_BOTTOM:
        if (draw)
            Draw3dRectangle(hdc, RECT{3, 3, 6, rc.bottom - 3}, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW);
        return SIZE{6, 0};
    default: return SIZE{0, 0};
    }
}

SIZE CTKPClassicTheme::DrawDialogBarGripper(HDC hdc, CTKPBarView* /*bar*/, BOOL draw)
{
    int height = std::max(22, m_nTextHeight + 4);
    if (draw)
        Draw3dRectangle(hdc, RECT{3, 3, 6, height}, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW);
    return SIZE{6, height};
}

SIZE CTKPClassicTheme::DrawGroupSeparator(HDC hdc, CTKPBarView* bar, CTKPControlView* control, BOOL draw)
{
    BOOL popup = bar->GetType() == TKP_BARTYPE_POPUP;
    if (!draw)
        return popup ? SIZE{8, 8} : SIZE{6, 6};
    if (!control)
        return SIZE{0, 0};
    RECT c = control->GetRect(), r = control->GetRowRect(), client = bar->GetClientRect();
    int pos = bar->GetPosition();
    RECT line;
    if (popup)
        line = RECT{14, c.top - 5, client.right - 14, c.top - 3};
    else if (pos == TKP_BARPOS_LEFT || pos == TKP_BARPOS_RIGHT)
        line = control->GetWrap() ? RECT{r.right + 2, r.top + 4, r.right + 4, r.bottom}
                                  : RECT{r.left, c.top - 4, r.right, c.top - 2};
    else
        line = control->GetWrap() ? RECT{r.left + 4, r.top - 4, r.right, r.top - 2}
                                  : RECT{c.left - 4, r.top, c.left - 2, r.bottom};
    Draw3dRectangle(hdc, line, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT);
    return SIZE{0, 0};
}

void CTKPClassicTheme::AdjustPopupExclusionRect(RECT& rc, CTKPControlView* control, BOOL vertical)
{
    if (control->GetType() == TKP_CONTROL_COMBOBOX)
        return;
    CTKPBarView* bar = control->GetParentBarView();
    if (bar && bar->GetType() == TKP_BARTYPE_POPUP)
        InflateRect(&rc, -1, 0);
    else if (vertical)
        InflateRect(&rc, 0, 1);
    else
        InflateRect(&rc, 1, 0);
}

RECT CTKPClassicTheme::GetBarBorders(CTKPBarView* bar)
{
    if (bar && bar->GetType() == TKP_BARTYPE_POPUP)
        return RECT{3, 3, 3, 3};
    return CTKPPaintManager::GetBarBorders(bar);
}

SIZE CTKPClassicTheme::DrawStrip(HDC hdc, const RECT& rc, BOOL selected, BOOL draw)
{
    if (draw)
        FillRectIndex(hdc, RECT{rc.left, rc.top, rc.right, rc.bottom - 1},
                      selected ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
    return SIZE{0, 8};
}

SIZE CTKPClassicTheme::DrawSpecialControl(HDC hdc, int kind, CTKPControlView* control, CTKPBarView* bar, BOOL draw,
                                          const RECT& rc)
{
    if (draw && control && (kind == 2 || kind == 3) &&
        (control->GetPressed() || control->GetSelected() || (kind == 3 && control->IsPopupOpen())))
        FillRectIndex(hdc, rc, COLOR_BTNFACE);
    return CTKPPaintManager::DrawSpecialControl(hdc, kind, control, bar, draw, rc);
}

// ---- Icons and captions ------------------------------------------------------------------------
void CTKPClassicTheme::DrawControlIcon(HDC hdc, CTKPIconView* icon, POINT pt, SIZE size, int selected, int pressed,
                                       BOOL enabled, BOOL checked, BOOL popuped)
{
    if (!icon)
        return;
    using I = CTKPIconView;
    if (!enabled) {
        if (!m_iconsInfo.bUseDisabledIcons && !icon->IsAlpha()) {
            icon->DrawSilhouette(hdc, POINT{pt.x + 1, pt.y + 1}, size, GetColor(COLOR_BTNHIGHLIGHT));
            icon->DrawSilhouette(hdc, pt, size, GetColor(COLOR_BTNSHADOW));
            return;
        }
        if (m_iconsInfo.bGenerateDisabledIcons && !icon->HasDisabledImage())
            icon->CreateDisabledIcon(m_grcBar.Light(), m_grcBar.Dark());
        icon->DrawImage(hdc, pt, size, I::Disabled);
        return;
    }
    if (popuped) {
        icon->DrawImage(hdc, pt, size, checked ? I::Checked : I::Normal);
    } else if (checked) {
        icon->DrawImage(hdc, pt, size, I::Checked);
    } else if (!selected && !pressed) {
        icon->DrawImage(hdc, pt, size, m_iconsInfo.bUseFadedIcons ? I::Faded : I::Normal);
    } else if ((selected && pressed) || (pressed == 2 && !selected)) {
        icon->DrawImage(hdc, POINT{pt.x + 1, pt.y + 1}, size, I::Hot);
    } else if (m_iconsInfo.bIconsWithShadow && icon->HasShadowImage()) {
        icon->DrawImage(hdc, POINT{pt.x + 1, pt.y + 1}, size, I::Shadow);
        icon->DrawImage(hdc, POINT{pt.x - 1, pt.y - 1}, size, I::Hot);
    } else {
        icon->DrawImage(hdc, pt, size, I::Hot);
    }
}

SIZE CTKPClassicTheme::DrawControlCaption(HDC hdc, const CString& text, RECT rc, UINT format, BOOL enabled,
                                          int selected, BOOL draw)
{
    format |= DT_SINGLELINE | DT_VCENTER;
    if (!draw)
        return MeasureCaption(hdc, text, format);
    if (!enabled && !selected) {
        COLORREF current = SetTextColor(hdc, GetColor(COLOR_BTNHIGHLIGHT));
        RECT shifted = rc;
        OffsetRect(&shifted, 1, 1);
        DrawCaption(hdc, text, shifted, format);
        SetTextColor(hdc, current);
    }
    DrawCaption(hdc, text, rc, format);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

// ---- Popup entries -----------------------------------------------------------------------------
int CTKPClassicTheme::PopupColumnWidth(CTKPBarView* bar) const
{
    SIZE icon = bar ? bar->GetIconSize() : SIZE{16, 16};
    int w = std::max<int>(m_nTextHeight, icon.cx + 4);
    return bar && bar->IsDoubleIconColumn() ? 2 * w : w;
}

SIZE CTKPClassicTheme::DrawPopupBarControl(HDC hdc, CTKPControlView* control, BOOL draw)
{
    CTKPBarView* bar = control->GetParentBarView();
    SIZE iconSize = bar ? bar->GetIconSize() : SIZE{16, 16};
    int W = PopupColumnWidth(bar);
    int H = std::max<int>(iconSize.cy + 4, m_nTextHeight);
    int type = control->GetType();
    BOOL enabled = control->GetEnabled(), checked = control->GetChecked();
    int selected = control->GetSelected();
    CString caption = control->GetCaption();
    CString shortcut = type == TKP_CONTROL_BUTTON ? control->GetShortcutText() : CString();
    HFONT font = control->GetDefaultItem() ? GetBarFont(bar, TRUE) : GetBarFont(bar);
    HGDIOBJ oldFont = font ? SelectObject(hdc, font) : nullptr;
    UINT prefix = bar && !bar->IsKeyboardCuesVisible() ? DT_HIDEPREFIX : 0;
    SIZE captionSize = MeasureCaption(hdc, caption, DT_SINGLELINE | prefix);
    SIZE shortcutSize = MeasureCaption(hdc, shortcut, DT_SINGLELINE | DT_NOPREFIX);

    if (draw) {
        RECT rc = control->GetRect();
        if (control->IsHiddenEntryShown())
            FillRectIndex(hdc, rc, COLOR_3DLIGHT);
        UINT textIndex = !enabled ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : UINT(m_nPopupTextColor);
        COLORREF text = GetColor(textIndex);
        RECT column{rc.left, rc.top, rc.left + W, rc.bottom};
        if (checked)
            DrawRectangleByState(hdc, column, selected, 0, enabled, TRUE, FALSE, FALSE, TKP_BARPOS_POPUP);
        CTKPIconView* icon = ShowsIcon(control) ? control->GetImage(iconSize.cx) : nullptr;
        if (icon) {
            int w = iconSize.cx, h = icon->GetWidth() ? icon->GetHeight() * iconSize.cx / icon->GetWidth() : iconSize.cy;
            POINT pt{column.left + (W - w) / 2, column.top + (column.bottom - column.top - h) / 2};
            DrawControlIcon(hdc, icon, pt, SIZE{w, h}, selected, control->GetPressed(), enabled, checked, FALSE);
        } else if (checked) {
            DrawCheckGlyph(hdc, column, text);
        }
        if (selected)
            FillRectIndex(hdc, RECT{column.right + 1, rc.top, rc.right, rc.bottom}, COLOR_HIGHLIGHT);
        if (IsPopupType(type)) {
            int cy = (rc.top + rc.bottom) / 2;
            FillTriangle(hdc, {rc.right - 11, cy - 3}, {rc.right - 8, cy}, {rc.right - 11, cy + 3}, text);
            if (type == TKP_CONTROL_SPLITBUTTONPOPUP && enabled) {
                if (control->IsPopupOpen() && selected)
                    Draw3dRectangle(hdc, RECT{rc.right - 20, rc.top, rc.right, rc.bottom}, COLOR_BTNSHADOW,
                                    COLOR_BTNHIGHLIGHT);
                else
                    DrawLine(hdc, rc.right - 20, rc.top + 1, rc.right - 20, rc.bottom - 1,
                             selected ? COLOR_BTNSHADOW : int(textIndex));
            }
        }
        SetTextColor(hdc, text);
        SetBkMode(hdc, TRANSPARENT);
        DrawCaption(hdc, caption, RECT{rc.left + W + 8, rc.top, rc.right, rc.bottom},
                    DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | prefix);
        DrawCaption(hdc, shortcut, RECT{rc.left + W + 8, rc.top, rc.right - 19, rc.bottom},
                    DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
    }
    if (oldFont)
        SelectObject(hdc, oldFont);
    return SIZE{captionSize.cx + shortcutSize.cx + W + 40, H};
}

// ---- Combo, edit and customise entries ---------------------------------------------------------
int CTKPClassicTheme::FieldLabelWidth(HDC hdc, CTKPControlView* control, int columnWidth, int popupExtra,
                                      int toolBarExtra)
{
    CTKPBarView* bar = control->GetParentBarView();
    CString caption = control->GetCaption();
    int captionWidth = MeasureCaption(hdc, caption, DT_SINGLELINE).cx;
    if (bar && bar->GetType() == TKP_BARTYPE_POPUP)
        return captionWidth + columnWidth + popupExtra;
    int style = control->GetStyle();
    BOOL showsCaption = !caption.IsEmpty() && (style == TKP_STYLE_CAPTION || style == TKP_STYLE_ICONANDCAPTION);
    return showsCaption ? captionWidth + toolBarExtra : 0;
}

SIZE CTKPClassicTheme::FieldControlSize(HDC hdc, CTKPControlView* control, int labelWidth)
{
    SIZE blank{};
    GetTextExtentPoint32W(hdc, u" ", 1, &blank);
    return SIZE{labelWidth + control->GetFieldWidth(), blank.cy + 8};
}

SIZE CTKPClassicTheme::DrawComboBoxControl(HDC hdc, CTKPControlView* control, BOOL draw)
{
    CTKPBarView* bar = control->GetParentBarView();
    HFONT font = GetBarFont(bar);
    HGDIOBJ oldFont = font ? SelectObject(hdc, font) : nullptr;
    int buttonWidth = std::max(15, 2 * AverageCharWidth(hdc) + 4);
    int W = PopupColumnWidth(bar);
    int labelWidth = FieldLabelWidth(hdc, control, W, 9, 5);
    control->SetCachedWidths(labelWidth, buttonWidth);
    SIZE size = FieldControlSize(hdc, control, labelWidth);
    if (draw) {
        RECT rc = control->GetRect();
        BOOL enabled = control->GetEnabled();
        int selected = control->GetSelected();
        BOOL popup = bar && bar->GetType() == TKP_BARTYPE_POPUP;
        if (labelWidth > 0) {
            SetTextColor(hdc, GetColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
            SetBkMode(hdc, TRANSPARENT);
            DrawControlCaption(hdc, control->GetCaption(),
                               RECT{rc.left + (popup ? W + 4 : 2), rc.top, rc.left + labelWidth, rc.bottom}, 0,
                               enabled, selected, TRUE);
        }
        RECT field{rc.left + labelWidth, rc.top, rc.right, rc.bottom};
        if (enabled)
            FillRectIndex(hdc, field, COLOR_WINDOW);
        control->DrawFieldText(hdc, field);
        DrawComboDropButton(hdc, RECT{field.right - buttonWidth, field.top, field.right, field.bottom}, enabled,
                            selected, control->IsDroppedDown());
        DrawFieldFrame(hdc, field, enabled, selected);
    }
    if (oldFont)
        SelectObject(hdc, oldFont);
    return size;
}

SIZE CTKPClassicTheme::DrawEditControl(HDC hdc, CTKPControlView* control, BOOL draw)
{
    CTKPBarView* bar = control->GetParentBarView();
    HFONT font = GetBarFont(bar);
    HGDIOBJ oldFont = font ? SelectObject(hdc, font) : nullptr;
    int W = PopupColumnWidth(bar);
    int labelWidth = FieldLabelWidth(hdc, control, W, 9, 5);
    control->SetCachedWidths(labelWidth, 0);
    SIZE size = FieldControlSize(hdc, control, labelWidth);
    if (draw) {
        RECT rc = control->GetRect();
        BOOL enabled = control->GetEnabled();
        BOOL popup = bar && bar->GetType() == TKP_BARTYPE_POPUP;
        if (labelWidth > 0) {
            SetTextColor(hdc, GetColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
            SetBkMode(hdc, TRANSPARENT);
            DrawControlCaption(hdc, control->GetCaption(),
                               RECT{rc.left + (popup ? W + 4 : 2), rc.top, rc.left + labelWidth, rc.bottom}, 0,
                               enabled, control->GetSelected(), TRUE);
        }
        RECT field{rc.left + labelWidth, rc.top, rc.right, rc.bottom};
        if (enabled)
            FillRectIndex(hdc, field, COLOR_WINDOW);
        control->DrawFieldText(hdc, field);
        DrawFieldFrame(hdc, field, enabled, control->GetSelected());
    }
    if (oldFont)
        SelectObject(hdc, oldFont);
    return size;
}

void CTKPClassicTheme::DrawFieldFrame(HDC hdc, const RECT& rc, BOOL enabled, int selected)
{
    RECT inner = rc;
    InflateRect(&inner, -1, -1);
    if (enabled) {
        if (selected)
            Draw3dRectangle(hdc, rc, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT);
        else
            Draw3dRectangle(hdc, rc, COLOR_BTNFACE, COLOR_BTNFACE);
        Draw3dRectangle(hdc, inner, COLOR_BTNFACE, COLOR_BTNFACE);
    } else {
        int index = selected == 2 ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT;
        Draw3dRectangle(hdc, inner, index, index);
    }
}

void CTKPClassicTheme::DrawComboDropButton(HDC hdc, const RECT& rcButton, BOOL enabled, int selected, BOOL dropped)
{
    RECT rc{rcButton.left + 1, rcButton.top + 2, rcButton.right - 2, rcButton.bottom - 2};
    if (enabled)
        FillRectIndex(hdc, rc, COLOR_BTNFACE);
    RECT glyph = rc;
    if (dropped) {
        FillRectIndex(hdc, RECT{rc.left - 1, rc.top, rc.left, rc.bottom}, COLOR_BTNFACE);
        Draw3dRectangle(hdc, rc, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT);
        OffsetRect(&glyph, 1, 1);
    } else if (selected) {
        FillRectIndex(hdc, RECT{rc.left - 1, rc.top, rc.left, rc.bottom}, COLOR_BTNFACE);
        Draw3dRectangle(hdc, rc, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW);
    } else {
        Draw3dRectangle(hdc, rc, COLOR_BTNHIGHLIGHT, COLOR_BTNHIGHLIGHT);
    }
    DrawDropDownTriangle(hdc, glyph, GetColor(COLOR_BTNTEXT));
}

SIZE CTKPClassicTheme::DrawCustomizeListEntry(HDC hdc, CTKPControlView* control, const RECT& rc, BOOL selected,
                                              BOOL draw, CTKPBarView* bar)
{
    SIZE icon = bar ? bar->GetIconSize() : SIZE{16, 16};
    SIZE cell{std::max<LONG>(icon.cx + 4, m_nTextHeight), std::max<LONG>(icon.cy + 4, m_nTextHeight)};
    if (!draw)
        return cell;
    FillRectIndex(hdc, rc, COLOR_BTNFACE);
    if (!control)
        return cell;
    RECT iconCell{rc.left, rc.top, rc.left + cell.cx, rc.bottom};
    CTKPIconView* image = ShowsIcon(control) ? control->GetImage(icon.cx) : nullptr;
    if (image) {
        DrawRectangleByState(hdc, iconCell, selected, 0, TRUE, FALSE, FALSE, FALSE, TKP_BARPOS_POPUP);
        int h = image->GetWidth() ? image->GetHeight() * icon.cx / image->GetWidth() : icon.cy;
        DrawControlIcon(hdc, image, POINT{iconCell.left + (cell.cx - icon.cx) / 2, rc.top + (rc.bottom - rc.top - h) / 2},
                        SIZE{icon.cx, h}, selected, 0, TRUE, FALSE, FALSE);
    }
    RECT textArea{iconCell.right, rc.top, rc.right, rc.bottom};
    if (selected)
        DrawRectangle(hdc, textArea, COLOR_HIGHLIGHT, COLOR_HIGHLIGHT);
    COLORREF text = GetColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);
    SetTextColor(hdc, text);
    SetBkMode(hdc, TRANSPARENT);
    // The list names commands as the keyboard page does: without the mnemonic markers.
    CString caption = StripMnemonicsCopy(control->GetCaption());
    SIZE captionSize = MeasureCaption(hdc, caption, DT_SINGLELINE | DT_NOPREFIX);
    DrawCaption(hdc, caption, RECT{textArea.left + 4, rc.top, rc.right, rc.bottom},
                DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    int type = control->GetType();
    int cy = (rc.top + rc.bottom) / 2;
    if (IsPopupType(type)) {
        FillTriangle(hdc, {rc.right - 7, cy}, {rc.right - 12, cy - 5}, {rc.right - 12, cy + 5}, text);
        if (type == TKP_CONTROL_SPLITBUTTONPOPUP)
            DrawLine(hdc, rc.right - 20, rc.top + 1, rc.right - 20, rc.bottom - 1,
                     selected ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);
    } else if (type == TKP_CONTROL_COMBOBOX || type == TKP_CONTROL_EDIT) {
        RECT field{textArea.left + 4 + captionSize.cx + 8, rc.top + 1, rc.right - 2, rc.bottom - 1};
        if (field.right > field.left) {
            DrawRectangle(hdc, field, COLOR_WINDOW, selected ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
            if (type == TKP_CONTROL_COMBOBOX) {
                RECT button{field.right - 14, field.top + 1, field.right - 1, field.bottom - 1};
                DrawRectangle(hdc, button, COLOR_BTNFACE, selected ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
                DrawDropDownTriangle(hdc, button, GetColor(COLOR_BTNTEXT));
            }
        }
    }
    return cell;
}
