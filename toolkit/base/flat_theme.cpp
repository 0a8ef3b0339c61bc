// The flat theme: one-colour frames and fills in the derived toolkit colours, a tinted icon column.
#include "toolkit/base/themes.h"

#include "win32/user.h"

#include <algorithm>

namespace {

BOOL IsPopupType(int type)
{
    return type == TKP_CONTROL_POPUP || type == TKP_CONTROL_BUTTONPOPUP || type == TKP_CONTROL_SPLITBUTTONPOPUP;
}

BOOL ShowsIcon(CTKPControlView* control)
{
    int style = control->GetStyle();
    return style == TKP_STYLE_ICON || style == TKP_STYLE_ICONANDCAPTION ||
           (style == TKP_STYLE_AUTOMATIC && control->GetType() != TKP_CONTROL_POPUP);
}

BOOL IsPopupBar(CTKPBarView* bar)
{
    return bar && bar->GetType() == TKP_BARTYPE_POPUP;
}

int AverageCharWidth(HDC hdc)
{
    TEXTMETRICW tm{};
    return GetTextMetricsW(hdc, &tm) ? tm.tmAveCharWidth : 0;
}

} // namespace

CTKPFlatTheme::CTKPFlatTheme()
{
    m_iconsInfo.bUseFadedIcons = TRUE;
    m_iconsInfo.bUseDisabledIcons = TRUE;
    m_iconsInfo.bIconsWithShadow = TRUE;
    m_iconsInfo.bGenerateDisabledIcons = TRUE;
}

// ---- Faces -------------------------------------------------------------------------------------
void CTKPFlatTheme::DrawRectangleByState(HDC hdc, const RECT& rc, int selected, int pressed, BOOL enabled,
                                         BOOL checked, BOOL popuped, BOOL /*toolBar*/, int position)
{
    int frame = -1, fill = -1;
    if (enabled) {
        if (popuped) {
            frame = 43, fill = 30;
        } else if (checked && !selected && !pressed) {
            frame = 50, fill = 36;
        } else if (checked && selected && !pressed) {
            frame = 37, fill = 33;
        } else if (!checked && pressed != 2 && (selected != 0) != (pressed != 0)) {
            frame = 32, fill = 31;
        } else if (!checked && !selected && !pressed) {
            return;
        } else {
            frame = 50, fill = 33;
        }
    } else if (selected == 2) {
        frame = 32;
        fill = position == TKP_BARPOS_POPUP ? 41 : checked ? 33 : 31;
    } else if (checked) {
        frame = 58;
        fill = position == TKP_BARPOS_POPUP ? -1 : 36;
    } else {
        return;
    }
    DrawRectangle(hdc, rc, fill, frame);
}

COLORREF CTKPFlatTheme::DrawControlFace(HDC hdc, const RECT& rc, int selected, int pressed, BOOL enabled,
                                        BOOL checked, BOOL popuped, int position)
{
    DrawRectangleByState(hdc, rc, selected, pressed, enabled, checked, popuped, TRUE, position);
    SetBkMode(hdc, TRANSPARENT);
    int index;
    if (!enabled)
        index = 60;
    else if (popuped)
        index = 46;
    else if (checked && !selected && !pressed)
        index = 45;
    else if (pressed == 2)
        index = 47;
    else if (selected)
        index = pressed || checked ? 47 : 45;
    else if (pressed)
        index = 45;
    else
        index = position == TKP_BARPOS_POPUP ? 44 : 46;
    return GetColor(UINT(index));
}

void CTKPFlatTheme::DrawSunkenFrame(HDC hdc, const RECT& rc, BOOL /*lastPane*/)
{
    Draw3dRectangle(hdc, rc, COLOR_BTNSHADOW, COLOR_BTNSHADOW);
}

void CTKPFlatTheme::DrawControlIcon(HDC hdc, CTKPIconView* icon, POINT pt, SIZE size, int selected, int pressed,
                                    BOOL enabled, BOOL checked, BOOL popuped)
{
    if (!icon)
        return;
    using I = CTKPIconView;
    if (!enabled) {
        if (!m_iconsInfo.bUseDisabledIcons && !icon->IsAlpha()) {
            icon->DrawSilhouette(hdc, pt, size, GetColor(40));
            return;
        }
        if (m_iconsInfo.bGenerateDisabledIcons && !icon->HasDisabledImage())
            icon->CreateDisabledIcon(m_grcBar.Light(), m_grcBar.Dark());
        icon->DrawImage(hdc, pt, size, I::Disabled);
        return;
    }
    if (popuped)
        icon->DrawImage(hdc, pt, size, checked ? I::Checked : I::Normal);
    else if (checked)
        icon->DrawImage(hdc, pt, size, I::Checked);
    else if (!selected && !pressed)
        icon->DrawImage(hdc, pt, size, m_iconsInfo.bUseFadedIcons ? I::Faded : I::Normal);
    else if ((selected && pressed) || (pressed == 2 && !selected))
        icon->DrawImage(hdc, pt, size, I::Hot);
    else if (m_iconsInfo.bIconsWithShadow && icon->HasShadowImage()) {
        icon->DrawImage(hdc, POINT{pt.x + 1, pt.y + 1}, size, I::Shadow);
        icon->DrawImage(hdc, POINT{pt.x - 1, pt.y - 1}, size, I::Hot);
    } else
        icon->DrawImage(hdc, pt, size, I::Hot);
}

// ---- Bars --------------------------------------------------------------------------------------
void CTKPFlatTheme::FillPopupIconColumn(HDC hdc, int x, int y, int width, int height, BOOL hidden)
{
    FillRectIndex(hdc, RECT{x, y, x + width, y + height}, hidden ? 42 : 30);
}

int CTKPFlatTheme::PopupIconColumnWidth(CTKPBarView* bar) const
{
    SIZE icon = bar ? bar->GetIconSize() : SIZE{16, 16};
    int w = std::max<int>(icon.cx + 4, m_nTextHeight + 4);
    return (bar && bar->IsDoubleIconColumn() ? 2 * w : w) + 1;
}

void CTKPFlatTheme::FillCommandBar(HDC hdc, CTKPBarView* bar)
{
    RECT rc = bar->GetClientRect();
    int pos = bar->GetPosition(), type = bar->GetType();
    if (pos == TKP_BARPOS_FLOATING) {
        RECT inner = rc;
        InflateRect(&inner, -1, -1);
        int fill = type == TKP_BARTYPE_MENUBAR ? COLOR_BTNFACE : 30;
        DrawRectangle(hdc, rc, fill, 43);
        Draw3dRectangle(hdc, inner, 43, 43);
        for (POINT p : {POINT{2, 2}, POINT{rc.right - 3, 2}, POINT{2, rc.bottom - 3}, POINT{rc.right - 3, rc.bottom - 3}})
            SetPixel(hdc, p.x, p.y, GetColor(43));
    } else if (pos == TKP_BARPOS_POPUP) {
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
            FillRectIndex(hdc, joint, 30);
        }
    } else if (type != TKP_BARTYPE_MENUBAR) {
        DrawRectangle(hdc, rc, 30, COLOR_BTNFACE);
        for (POINT p : {POINT{1, 1}, POINT{rc.right - 2, 1}, POINT{1, rc.bottom - 2}, POINT{rc.right - 2, rc.bottom - 2}})
            SetPixel(hdc, p.x, p.y, GetColor(COLOR_BTNFACE));
    } else {
        FillRectIndex(hdc, rc, COLOR_BTNFACE);
    }
}

SIZE CTKPFlatTheme::DrawBarGripper(HDC hdc, CTKPBarView* bar, BOOL draw)
{
    if (bar->IsDialogBar())
        return DrawDialogBarGripper(hdc, bar, draw);
    RECT rc = bar->GetClientRect();
    switch (bar->GetPosition()) {
    case TKP_BARPOS_FLOATING: {
        HGDIOBJ old = m_fontSmallCaption.m_font ? SelectObject(hdc, m_fontSmallCaption.m_font) : nullptr;
        int h = std::max<int>(15, MeasureCaption(hdc, bar->GetTitle(), DT_SINGLELINE).cy);
        RECT caption{3, 3, rc.right - 3, h + 3};
        if (draw) {
            FillRectIndex(hdc, caption, COLOR_BTNSHADOW);
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
            for (int y = 5; y < rc.bottom - 5; y += 2)
                DrawLine(hdc, 3, y, 6, y, 38);
        return SIZE{6, 0};
    case TKP_BARPOS_LEFT:
    case TKP_BARPOS_RIGHT:
        if (draw)
            for (int x = 5; x < rc.right - 5; x += 2)
                DrawLine(hdc, x, 3, x, 6, 38);
        return SIZE{0, 8};
    default: return SIZE{0, 0};
    }
}

SIZE CTKPFlatTheme::DrawDialogBarGripper(HDC hdc, CTKPBarView*, BOOL draw)
{
    int height = std::max(22, m_nTextHeight + 4);
    if (draw)
        for (int y = 6; y < height - 2; y += 2)
            DrawLine(hdc, 3, y, 6, y, 38);
    return SIZE{6, height};
}

SIZE CTKPFlatTheme::DrawGroupSeparator(HDC hdc, CTKPBarView* bar, CTKPControlView* control, BOOL draw)
{
    BOOL popup = IsPopupBar(bar);
    if (!draw)
        return popup ? SIZE{3, 3} : SIZE{6, 6};
    if (!control)
        return SIZE{0, 0};
    RECT c = control->GetRect(), r = control->GetRowRect(), client = bar->GetClientRect();
    int pos = bar->GetPosition();
    if (popup) {
        int y = c.top - 2;
        DrawLine(hdc, PopupIconColumnWidth(bar) + 9, y, client.right - 1, y, 39);
    } else if (pos == TKP_BARPOS_LEFT || pos == TKP_BARPOS_RIGHT) {
        if (control->GetWrap())
            DrawLine(hdc, r.right + 2, r.top + 4, r.right + 2, r.bottom, 39);
        else
            DrawLine(hdc, r.left, c.top - 4, r.right, c.top - 4, 39);
    } else {
        if (control->GetWrap())
            DrawLine(hdc, r.left + 4, r.top - 4, r.right, r.top - 4, 39);
        else
            DrawLine(hdc, c.left - 4, r.top, c.left - 4, r.bottom, 39);
    }
    return SIZE{0, 0};
}

void CTKPFlatTheme::AdjustPopupExclusionRect(RECT& rc, CTKPControlView* control, BOOL vertical)
{
    CTKPBarView* bar = control->GetParentBarView();
    if (IsPopupBar(bar))
        InflateRect(&rc, 1, 0);
    else if (control->GetType() == TKP_CONTROL_COMBOBOX)
        return;
    else if (vertical)
        InflateRect(&rc, -1, 0);
    else
        InflateRect(&rc, 0, -1);
}

SIZE CTKPFlatTheme::DrawStrip(HDC hdc, const RECT& rcStrip, BOOL selected, BOOL draw)
{
    if (!draw)
        return SIZE{0, 9};
    FillRectIndex(hdc, rcStrip, 41);
    RECT rc = rcStrip;
    InflateRect(&rc, -1, -1);
    int cx = (rc.left + rc.right) / 2;
    int half = std::min<int>(16, (rc.right - rc.left) / 2 - 10);
    if (selected) {
        DrawRectangle(hdc, rc, 31, 32);
        if (half > 0)
            for (int y : {4, 6})
                DrawLine(hdc, cx - half, rc.top + y, cx + half, rc.top + y, 45);
    } else {
        FillRectIndex(hdc, rc, 30);
        if (half > 0)
            for (int y : {3, 5, 7})
                DrawLine(hdc, cx - half, rc.top + y, cx + half, rc.top + y, 38);
    }
    return SIZE{0, 9};
}

// ---- Popup entries -----------------------------------------------------------------------------
SIZE CTKPFlatTheme::DrawPopupBarControl(HDC hdc, CTKPControlView* control, BOOL draw)
{
    CTKPBarView* bar = control->GetParentBarView();
    SIZE iconSize = bar ? bar->GetIconSize() : SIZE{16, 16};
    BOOL doubled = bar && bar->IsDoubleIconColumn();
    int W = (iconSize.cx + 4) * (doubled ? 2 : 1);
    int S = std::max<int>(iconSize.cx + 4, m_nTextHeight + 4);
    int H = std::max<int>(iconSize.cy + 6, m_nTextHeight);
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
            FillPopupIconColumn(hdc, rc.left, rc.top, PopupIconColumnWidth(bar), rc.bottom - rc.top, TRUE);
        if (control->HasSpecialBackground())
            FillRectIndex(hdc, RECT{rc.left + W + 3, rc.top, rc.right, rc.bottom}, 56);
        else
            DrawRectangleByState(hdc, rc, selected, 0, enabled, FALSE, FALSE, FALSE, TKP_BARPOS_POPUP);
        RECT cell{rc.left, rc.top, rc.left + S, rc.top + H};
        RECT square{cell.left + (S - iconSize.cx - 4) / 2, cell.top + (H - iconSize.cy - 4) / 2, 0, 0};
        square.right = square.left + iconSize.cx + 4;
        square.bottom = square.top + iconSize.cy + 4;
        if (checked)
            DrawRectangleByState(hdc, square, selected, 0, enabled, TRUE, FALSE, FALSE, TKP_BARPOS_POPUP);
        CTKPIconView* icon = ShowsIcon(control) ? control->GetImage(iconSize.cx) : nullptr;
        if (icon) {
            int w = iconSize.cx, h = icon->GetWidth() ? icon->GetHeight() * iconSize.cx / icon->GetWidth() : iconSize.cy;
            POINT pt{cell.left + (S - w) / 2 + (doubled ? S : 0), cell.top + (H - h) / 2};
            DrawControlIcon(hdc, icon, pt, SIZE{w, h}, selected, control->GetPressed(), enabled, checked, FALSE);
        }
        if (checked && (doubled || !icon))
            DrawCheckGlyph(hdc, square, enabled ? COLORREF(0) : GetColor(40));
        COLORREF text = GetColor(!enabled ? 35 : selected ? 45 : 44);
        if (IsPopupType(type)) {
            int cy = (rc.top + rc.bottom) / 2;
            COLORREF arrow = text;
            if (type == TKP_CONTROL_SPLITBUTTONPOPUP && enabled) {
                if (control->IsPopupOpen() && selected) {
                    DrawRectangle(hdc, RECT{rc.right - 20, rc.top, rc.right, rc.bottom}, 33, 32);
                    arrow = GetColor(47);
                } else {
                    DrawLine(hdc, rc.right - 20, rc.top + 1, rc.right - 20, rc.bottom - 1, selected ? 32 : COLOR_BTNSHADOW);
                }
            }
            FillTriangle(hdc, {rc.right - 11, cy - 3}, {rc.right - 8, cy}, {rc.right - 11, cy + 3}, arrow);
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
SIZE CTKPFlatTheme::FieldSize(HDC hdc, CTKPControlView* control, int* labelWidth)
{
    CTKPBarView* bar = control->GetParentBarView();
    CString caption = control->GetCaption();
    int captionWidth = MeasureCaption(hdc, caption, DT_SINGLELINE).cx;
    int style = control->GetStyle();
    if (IsPopupBar(bar))
        *labelWidth = captionWidth + PopupIconColumnWidth(bar) + 9;
    else
        *labelWidth = !caption.IsEmpty() && (style == TKP_STYLE_CAPTION || style == TKP_STYLE_ICONANDCAPTION)
                          ? captionWidth + 5
                          : 0;
    SIZE blank{};
    GetTextExtentPoint32W(hdc, u" ", 1, &blank);
    return SIZE{*labelWidth + control->GetFieldWidth(), blank.cy + 8};
}

void CTKPFlatTheme::DrawFieldLabel(HDC hdc, CTKPControlView* control, int labelWidth)
{
    if (labelWidth <= 0)
        return;
    CTKPBarView* bar = control->GetParentBarView();
    RECT rc = control->GetRect();
    BOOL enabled = control->GetEnabled();
    int selected = control->GetSelected();
    int color;
    int left;
    if (IsPopupBar(bar)) {
        if (selected)
            DrawRectangleByState(hdc, rc, selected, 0, enabled, FALSE, FALSE, FALSE, TKP_BARPOS_POPUP);
        color = !enabled ? 35 : selected ? 45 : 44;
        left = rc.left + PopupIconColumnWidth(bar) + 7;
    } else {
        color = enabled ? 46 : 60;
        left = rc.left + 2;
    }
    SetTextColor(hdc, GetColor(UINT(color)));
    SetBkMode(hdc, TRANSPARENT);
    DrawCaption(hdc, control->GetCaption(), RECT{left, rc.top, rc.left + labelWidth, rc.bottom},
                DT_SINGLELINE | DT_VCENTER);
}

SIZE CTKPFlatTheme::DrawEditControl(HDC hdc, CTKPControlView* control, BOOL draw)
{
    CTKPBarView* bar = control->GetParentBarView();
    HFONT font = GetBarFont(bar);
    HGDIOBJ oldFont = font ? SelectObject(hdc, font) : nullptr;
    int labelWidth = 0;
    SIZE size = FieldSize(hdc, control, &labelWidth);
    control->SetCachedWidths(labelWidth, 0);
    if (draw) {
        DrawFieldLabel(hdc, control, labelWidth);
        RECT rc = control->GetRect();
        RECT field{rc.left + labelWidth, rc.top, rc.right, rc.bottom};
        int selected = control->GetSelected();
        if (!control->GetEnabled()) {
            DrawRectangle(hdc, RECT{field.left + 1, field.top, field.right, field.bottom}, COLOR_BTNFACE,
                          selected == 2 ? 32 : 40);
        } else {
            RECT inner = field;
            InflateRect(&inner, -1, -1);
            FillRectIndex(hdc, inner, COLOR_WINDOW);
            if (selected)
                DrawRectangle(hdc, field, -1, 32);
            else
                DrawRectangle(hdc, field, -1, 53);
        }
        control->DrawFieldText(hdc, field);
    }
    if (oldFont)
        SelectObject(hdc, oldFont);
    return size;
}

SIZE CTKPFlatTheme::DrawComboBoxControl(HDC hdc, CTKPControlView* control, BOOL draw)
{
    CTKPBarView* bar = control->GetParentBarView();
    HFONT font = GetBarFont(bar);
    HGDIOBJ oldFont = font ? SelectObject(hdc, font) : nullptr;
    int labelWidth = 0;
    SIZE size = FieldSize(hdc, control, &labelWidth);
    int buttonWidth = std::max(15, 2 * AverageCharWidth(hdc) + 4);
    control->SetCachedWidths(labelWidth, buttonWidth);
    if (draw) {
        DrawFieldLabel(hdc, control, labelWidth);
        RECT rc = control->GetRect();
        RECT field{rc.left + labelWidth, rc.top, rc.right, rc.bottom};
        RECT button{field.right - buttonWidth, field.top, field.right, field.bottom};
        int selected = control->GetSelected();
        BOOL dropped = control->IsDroppedDown(), enabled = control->GetEnabled();
        int glyph;
        if (!enabled) {
            DrawRectangle(hdc, RECT{field.left + 1, field.top, field.right, field.bottom}, COLOR_BTNFACE,
                          selected == 2 ? 32 : 40);
            glyph = 40;
        } else {
            FillRectIndex(hdc, field, COLOR_WINDOW);
            if (selected) {
                DrawRectangle(hdc, field, -1, 32);
                DrawRectangle(hdc, button, dropped ? 33 : 31, 32);
            } else if (dropped) {
                DrawRectangle(hdc, field, -1, 53);
                DrawRectangle(hdc, button, 53, COLOR_WINDOW);
            } else {
                DrawRectangle(hdc, button, -1, COLOR_WINDOW);
            }
            glyph = dropped ? 47 : selected ? 45 : 46;
        }
        control->DrawFieldText(hdc, RECT{field.left, field.top, button.left, field.bottom});
        DrawDropDownTriangle(hdc, button, GetColor(UINT(glyph)));
    }
    if (oldFont)
        SelectObject(hdc, oldFont);
    return size;
}

SIZE CTKPFlatTheme::DrawCustomizeListEntry(HDC hdc, CTKPControlView* control, const RECT& rc, BOOL selected,
                                           BOOL draw, CTKPBarView* bar)
{
    SIZE icon = bar ? bar->GetIconSize() : SIZE{16, 16};
    SIZE cell{std::max<LONG>(icon.cx + 4, m_nTextHeight), std::max<LONG>(icon.cy + 4, m_nTextHeight)};
    if (!draw)
        return cell;
    FillRectIndex(hdc, rc, 41);
    if (!control)
        return cell;
    if (selected)
        DrawRectangleByState(hdc, rc, 1, 0, TRUE, FALSE, FALSE, FALSE, TKP_BARPOS_POPUP);
    CTKPIconView* image = ShowsIcon(control) ? control->GetImage(icon.cx) : nullptr;
    if (image) {
        int h = image->GetWidth() ? image->GetHeight() * icon.cx / image->GetWidth() : icon.cy;
        DrawControlIcon(hdc, image, POINT{rc.left + (cell.cx - icon.cx) / 2, rc.top + (rc.bottom - rc.top - h) / 2},
                        SIZE{icon.cx, h}, selected, 0, TRUE, FALSE, FALSE);
    }
    COLORREF text = GetColor(selected ? 45 : 44);
    SetTextColor(hdc, text);
    SetBkMode(hdc, TRANSPARENT);
    // The list names commands as the keyboard page does: without the mnemonic markers.
    CString caption = StripMnemonicsCopy(control->GetCaption());
    SIZE captionSize = MeasureCaption(hdc, caption, DT_SINGLELINE | DT_NOPREFIX);
    RECT textRect{rc.left + cell.cx + 4, rc.top, rc.right, rc.bottom};
    DrawCaption(hdc, caption, textRect, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    int type = control->GetType(), cy = (rc.top + rc.bottom) / 2;
    if (IsPopupType(type)) {
        FillTriangle(hdc, {rc.right - 11, cy - 3}, {rc.right - 8, cy}, {rc.right - 11, cy + 3}, text);
        if (type == TKP_CONTROL_SPLITBUTTONPOPUP)
            DrawLine(hdc, rc.right - 20, rc.top + 1, rc.right - 20, rc.bottom - 1, selected ? 32 : COLOR_BTNSHADOW);
    } else if (type == TKP_CONTROL_COMBOBOX || type == TKP_CONTROL_EDIT) {
        RECT field{textRect.left + captionSize.cx + 13, rc.top + 1, rc.right - 2, rc.bottom - 1};
        if (field.right > field.left) {
            DrawRectangle(hdc, field, COLOR_WINDOW, selected ? 32 : COLOR_BTNFACE);
            if (type == TKP_CONTROL_COMBOBOX) {
                RECT button{field.right - 14, field.top + 1, field.right - 1, field.bottom - 1};
                if (selected)
                    DrawRectangleByState(hdc, button, 1, 0, TRUE, FALSE, FALSE, FALSE, TKP_BARPOS_POPUP);
                else
                    FillRectIndex(hdc, button, COLOR_BTNFACE);
                DrawDropDownTriangle(hdc, button, GetColor(selected ? 45 : 46));
            }
        }
    }
    return cell;
}
