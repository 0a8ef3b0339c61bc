// Painting of the list view: background and tiled image, items in each view, grid lines and custom draw.
#include "win32/controls/listview_internal.h"

#include <algorithm>

namespace controls::lv {

namespace {

constexpr int kLabelPad = 2;
constexpr int kSubMargin = 6;

struct Colors {
    COLORREF text;
    COLORREF back; // CLR_NONE: leave what is under the text
};

LRESULT CustomDraw(ListView* lv, NMLVCUSTOMDRAW* cd)
{
    return Notify(lv, NM_CUSTOMDRAW, &cd->nmcd.hdr);
}

void Fill(HDC dc, const RECT& r, COLORREF c)
{
    if (c == CLR_NONE || r.right <= r.left || r.bottom <= r.top)
        return;
    COLORREF old = SetBkColor(dc, c);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    SetBkColor(dc, old);
}

// Copies the bitmap over `area` again and again from an anchor at or left/above of it, doubling the
// covered stretch each time so a tiny tile costs a few dozen copies, not thousands.
void TileBitmap(HDC dc, HBITMAP bmp, const RECT& area, POINT anchor)
{
    BITMAP bm{};
    if (GetObjectW(bmp, sizeof bm, &bm) != (int)sizeof bm || bm.bmWidth <= 0 || bm.bmHeight <= 0)
        return;
    int w = area.right - area.left, h = area.bottom - area.top;
    if (w <= 0 || h <= 0)
        return;
    int ox = ((anchor.x - area.left) % bm.bmWidth + bm.bmWidth) % bm.bmWidth;
    int oy = ((anchor.y - area.top) % bm.bmHeight + bm.bmHeight) % bm.bmHeight;
    if (ox)
        ox -= bm.bmWidth;
    if (oy)
        oy -= bm.bmHeight;
    int tw = w - ox, th = h - oy; // the tiled surface, starting at the anchor's phase
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP surf = CreateCompatibleBitmap(dc, tw, th);
    HGDIOBJ oldSurf = SelectObject(mem, surf);
    HDC src = CreateCompatibleDC(dc);
    HGDIOBJ oldSrc = SelectObject(src, bmp);
    BitBlt(mem, 0, 0, bm.bmWidth, bm.bmHeight, src, 0, 0, SRCCOPY);
    SelectObject(src, oldSrc);
    DeleteDC(src);
    for (int done = bm.bmWidth; done < tw; done *= 2)
        BitBlt(mem, done, 0, std::min(done, tw - done), bm.bmHeight, mem, 0, 0, SRCCOPY);
    for (int done = bm.bmHeight; done < th; done *= 2)
        BitBlt(mem, 0, done, tw, std::min(done, th - done), mem, 0, 0, SRCCOPY);
    BitBlt(dc, area.left, area.top, w, h, mem, -ox, -oy, SRCCOPY);
    SelectObject(mem, oldSurf);
    DeleteObject(surf);
    DeleteDC(mem);
}

void PlaceBitmap(HDC dc, HBITMAP bmp, const RECT& area, int xPercent, int yPercent)
{
    BITMAP bm{};
    if (GetObjectW(bmp, sizeof bm, &bm) != (int)sizeof bm)
        return;
    int x = area.left + (int)((area.right - area.left - bm.bmWidth) * (long long)std::clamp(xPercent, 0, 100) / 100);
    int y = area.top + (int)((area.bottom - area.top - bm.bmHeight) * (long long)std::clamp(yPercent, 0, 100) / 100);
    HDC src = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(src, bmp);
    BitBlt(dc, x, y, bm.bmWidth, bm.bmHeight, src, 0, 0, SRCCOPY);
    SelectObject(src, old);
    DeleteDC(src);
}

void DrawBackground(ListView* lv, HDC dc, const Metrics& m, const RECT& body)
{
    if (!IsWindowEnabled(lv->hwnd) && lv->bk == CLR_DEFAULT)
        Fill(dc, body, GetSysColor(COLOR_3DFACE));
    else
        Fill(dc, body, BkColor(lv));
    if (!lv->bkImage)
        return;
    if (lv->bkFlags & LVBKIF_STYLE_TILE) {
        // The tiles move with the content, as the rows do.
        POINT anchor{-lv->scrollX, -lv->scrollY};
        if (View(lv) == LVS_REPORT)
            anchor.y = m.headerHeight - lv->top * m.rowHeight;
        TileBitmap(dc, lv->bkImage, body, anchor);
    } else {
        PlaceBitmap(dc, lv->bkImage, body, lv->bkXPercent, lv->bkYPercent);
    }
}

UINT TextFormat(int fmt)
{
    UINT just = (fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT    ? DT_RIGHT
                : (fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_CENTER ? DT_CENTER
                                                              : DT_LEFT;
    return just | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
}

void DrawText1(HDC dc, const std::u16string& s, RECT r, UINT format, COLORREF color)
{
    if (s.empty() || r.right <= r.left)
        return;
    COLORREF old = SetTextColor(dc, color);
    DrawTextW(dc, s.c_str(), (int)s.size(), &r, format);
    SetTextColor(dc, old);
}

void DrawImage(HIMAGELIST il, int index, HDC dc, const RECT& cell, int cy, UINT style)
{
    if (!il || index < 0 || cell.right <= cell.left)
        return;
    int y = cell.top + (cell.bottom - cell.top - cy) / 2;
    ImageList_Draw(il, index, dc, cell.left, y, style);
}

struct ItemLook {
    bool selected; // drawn in the selection colours
    bool focused;  // gets the focus rectangle
    Colors normal;
};

Colors SelectionColors(ListView* lv)
{
    if (lv->hasFocus)
        return {GetSysColor(COLOR_HIGHLIGHTTEXT), GetSysColor(COLOR_HIGHLIGHT)};
    return {GetSysColor(COLOR_BTNTEXT), GetSysColor(COLOR_3DFACE)};
}

int TextWidth(HDC dc, const std::u16string& s)
{
    if (s.empty())
        return 0;
    SIZE sz{};
    GetTextExtentPoint32W(dc, s.c_str(), (int)s.size(), &sz);
    return sz.cx;
}

void DrawStateAndIcon(ListView* lv, HDC dc, const Metrics& m, const Parts& p, int item, UINT state, bool selected)
{
    int stateIndex = (int)((state & LVIS_STATEIMAGEMASK) >> 12);
    if (lv->state && stateIndex > 0)
        DrawImage(lv->state, stateIndex - 1, dc, p.state, m.stateCy, ILD_NORMAL);
    HIMAGELIST il = View(lv) == LVS_ICON ? lv->normal : lv->small;
    if (il) {
        int image = ItemImage(lv, item, 0);
        UINT style = ILD_TRANSPARENT | (state & LVIS_OVERLAYMASK);
        if (selected && lv->hasFocus)
            style |= ILD_SELECTED;
        int cy = View(lv) == LVS_ICON ? m.normalCy : m.smallCy;
        if (View(lv) == LVS_ICON)
            ImageList_Draw(il, image, dc, p.icon.left, p.icon.top, style);
        else
            DrawImage(il, image, dc, p.icon, cy, style);
    }
}

// One row of report view, each column in the header's order.
void DrawReportRow(ListView* lv, HDC dc, const Metrics& m, int item, const Parts& p, UINT state, const ItemLook& look,
                   LRESULT itemResult, const std::vector<int>& order)
{
    bool fullRow = (lv->exStyle & LVS_EX_FULLROWSELECT) != 0;
    Colors sel = SelectionColors(lv);
    int x = -lv->scrollX;
    for (int c : order) {
        if (!Valid(lv, item))
            return;
        const Column col = lv->columns[(size_t)c];
        RECT cell{x, p.bounds.top, x + col.width, p.bounds.bottom};
        x = cell.right;
        if (cell.right <= m.client.left || cell.left >= m.client.right || cell.right <= cell.left)
            continue;
        Colors colors = look.normal;
        if (itemResult & CDRF_NOTIFYSUBITEMDRAW) {
            NMLVCUSTOMDRAW cd{};
            cd.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
            cd.nmcd.hdc = dc;
            cd.nmcd.rc = cell;
            cd.nmcd.dwItemSpec = (DWORD_PTR)item;
            cd.nmcd.uItemState = (look.selected ? CDIS_SELECTED : 0) | (look.focused ? CDIS_FOCUS : 0);
            cd.nmcd.lItemlParam = lv->items[(size_t)item].lParam;
            cd.clrText = colors.text;
            cd.clrTextBk = colors.back;
            cd.iSubItem = c;
            unsigned gen = lv->generation;
            LRESULT r = CustomDraw(lv, &cd);
            if (gen != lv->generation || !Valid(lv, item))
                return;
            if (r & CDRF_SKIPDEFAULT)
                continue;
            colors = {cd.clrText, cd.clrTextBk};
        }
        std::u16string text = ItemText(lv, item, col.subItem);
        if (!Valid(lv, item))
            return;
        HRGN clip = CreateRectRgn(cell.left, cell.top, cell.right, cell.bottom);
        int saved = SaveDC(dc);
        ExtSelectClipRgn(dc, clip, RGN_AND);
        DeleteObject(clip);
        if (col.subItem == 0) {
            RECT label = p.label;
            label.left = std::max(label.left, cell.left);
            label.right = cell.right;
            bool rowSel = look.selected && fullRow;
            Fill(dc, cell, rowSel ? sel.back : colors.back);
            DrawStateAndIcon(lv, dc, m, p, item, state, look.selected);
            if (!Valid(lv, item)) {
                RestoreDC(dc, saved);
                return;
            }
            RECT hl = label;
            if (!fullRow)
                hl.right = std::min<int>(label.right, label.left + TextWidth(dc, text) + 2 * kLabelPad + 2);
            if (look.selected && !fullRow)
                Fill(dc, hl, sel.back);
            RECT tr{label.left + kLabelPad, label.top, label.right - kLabelPad, label.bottom};
            DrawText1(dc, text, tr, TextFormat(col.fmt), look.selected ? sel.text : colors.text);
            if (look.focused && !fullRow)
                DrawFocusRect(dc, &hl);
        } else {
            bool rowSel = look.selected && fullRow;
            Fill(dc, cell, rowSel ? sel.back : colors.back);
            RECT tr{cell.left + kSubMargin, cell.top, cell.right - kSubMargin, cell.bottom};
            if ((lv->exStyle & LVS_EX_SUBITEMIMAGES) && lv->small) {
                int image = ItemImage(lv, item, col.subItem);
                if (image >= 0) {
                    RECT ic{cell.left + kLabelPad, cell.top, cell.left + kLabelPad + m.smallCx, cell.bottom};
                    DrawImage(lv->small, image, dc, ic, m.smallCy, ILD_TRANSPARENT);
                    tr.left = ic.right + kLabelPad;
                }
            }
            DrawText1(dc, text, tr, TextFormat(col.fmt), rowSel ? sel.text : colors.text);
        }
        RestoreDC(dc, saved);
    }
    if (look.focused && fullRow) {
        RECT f = p.bounds;
        DrawFocusRect(dc, &f);
    }
}

// An item of list, small-icon or icon view.
void DrawCell(ListView* lv, HDC dc, const Metrics& m, int item, const Parts& p, UINT state, const ItemLook& look)
{
    std::u16string text = ItemText(lv, item, 0);
    if (!Valid(lv, item))
        return;
    Colors sel = SelectionColors(lv);
    DrawStateAndIcon(lv, dc, m, p, item, state, look.selected);
    if (!Valid(lv, item))
        return;
    if (View(lv) == LVS_ICON) {
        RECT calc = p.label;
        UINT fmt = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL | DT_END_ELLIPSIS;
        DrawTextW(dc, text.c_str(), (int)text.size(), &calc, fmt | DT_CALCRECT);
        int w = std::min<int>(calc.right - calc.left, p.label.right - p.label.left);
        int h = std::min<int>(calc.bottom - calc.top, p.label.bottom - p.label.top);
        int cx = (p.label.left + p.label.right) / 2;
        RECT tr{cx - w / 2 - kLabelPad, p.label.top, cx + (w + 1) / 2 + kLabelPad, p.label.top + h};
        Fill(dc, tr, look.selected ? sel.back : look.normal.back);
        RECT inner = tr;
        COLORREF old = SetTextColor(dc, look.selected ? sel.text : look.normal.text);
        DrawTextW(dc, text.c_str(), (int)text.size(), &inner, fmt);
        SetTextColor(dc, old);
        if (look.focused)
            DrawFocusRect(dc, &tr);
        return;
    }
    RECT hl = p.label;
    Fill(dc, hl, look.selected ? sel.back : look.normal.back);
    RECT tr{hl.left + kLabelPad, hl.top, hl.right, hl.bottom};
    DrawText1(dc, text, tr, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS,
              look.selected ? sel.text : look.normal.text);
    if (look.focused)
        DrawFocusRect(dc, &hl);
}

void DrawGridLines(ListView* lv, HDC dc, const Metrics& m, const std::vector<int>& order)
{
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DFACE));
    HGDIOBJ old = SelectObject(dc, pen);
    int right = std::min<int>(m.client.right, TotalColumnWidth(lv) - lv->scrollX);
    for (int y = m.headerHeight + m.rowHeight - 1; y < m.client.bottom; y += std::max(1, m.rowHeight)) {
        MoveToEx(dc, m.client.left, y, nullptr);
        LineTo(dc, right, y);
    }
    int x = -lv->scrollX;
    for (int c : order) {
        x += lv->columns[(size_t)c].width;
        if (x - 1 >= m.client.right)
            break;
        MoveToEx(dc, x - 1, m.headerHeight, nullptr);
        LineTo(dc, x - 1, m.client.bottom);
    }
    SelectObject(dc, old);
    DeleteObject(pen);
}

} // namespace

void Draw(ListView* lv, HDC dc, bool background)
{
    Metrics m = Measure(lv);
    RECT body{m.client.left, m.client.top + m.headerHeight, m.client.right, m.client.bottom};
    int saved = SaveDC(dc);
    IntersectClipRect(dc, body.left, body.top, body.right, body.bottom);
    HFONT font = ListFont(lv);
    SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    if (background)
        DrawBackground(lv, dc, m, body);

    NMLVCUSTOMDRAW cd{};
    cd.nmcd.dwDrawStage = CDDS_PREPAINT;
    cd.nmcd.hdc = dc;
    cd.nmcd.rc = m.client;
    unsigned gen = lv->generation;
    LRESULT pre = CustomDraw(lv, &cd);
    if (!(pre & CDRF_SKIPDEFAULT) && gen == lv->generation) {
        bool report = View(lv) == LVS_REPORT;
        std::vector<int> order = report ? ColumnOrder(lv) : std::vector<int>();
        bool showSel = lv->hasFocus || (StyleOf(lv->hwnd) & LVS_SHOWSELALWAYS);
        // With a picture behind the rows, text has no background of its own unless the owner set one.
        COLORREF textBk = (lv->textBk == CLR_DEFAULT && lv->bkImage) ? CLR_NONE : TextBkColor(lv);
        int first = 0, last = 0;
        VisibleRange(lv, m, &first, &last);
        for (int i = first; i < last && Valid(lv, i) && gen == lv->generation; ++i) {
            Parts p = ItemParts(lv, m, i);
            if (p.bounds.bottom <= body.top || p.bounds.top >= body.bottom || p.bounds.right <= body.left ||
                p.bounds.left >= body.right)
                continue;
            UINT state = ItemState(lv, i, ~0u);
            if (!Valid(lv, i) || gen != lv->generation)
                break;
            ItemLook look{};
            look.selected = ((state & LVIS_SELECTED) && showSel) || (state & LVIS_DROPHILITED);
            look.focused = lv->hasFocus && (state & LVIS_FOCUSED);
            look.normal = {TextColor(lv), textBk};
            SelectObject(dc, font);
            LRESULT itemResult = 0;
            if (pre & CDRF_NOTIFYITEMDRAW) {
                NMLVCUSTOMDRAW ic{};
                ic.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
                ic.nmcd.hdc = dc;
                ic.nmcd.rc = p.bounds;
                ic.nmcd.dwItemSpec = (DWORD_PTR)i;
                ic.nmcd.uItemState = (look.selected ? CDIS_SELECTED : 0) | (look.focused ? CDIS_FOCUS : 0);
                ic.nmcd.lItemlParam = lv->items[(size_t)i].lParam;
                ic.clrText = look.normal.text;
                ic.clrTextBk = look.normal.back;
                itemResult = CustomDraw(lv, &ic);
                if (!Valid(lv, i) || gen != lv->generation)
                    break;
                if (itemResult & CDRF_SKIPDEFAULT)
                    continue;
                look.normal = {ic.clrText, ic.clrTextBk};
                // The owner may have changed the state while it was asked (a row losing its box).
                state = ItemState(lv, i, ~0u);
                p = ItemParts(lv, m, i);
            }
            // A font the owner selected for this item is the one its text is drawn in.
            if (report)
                DrawReportRow(lv, dc, m, i, p, state, look, itemResult, order);
            else
                DrawCell(lv, dc, m, i, p, state, look);
            if (!Valid(lv, i) || gen != lv->generation)
                break;
            if (itemResult & CDRF_NOTIFYPOSTPAINT) {
                NMLVCUSTOMDRAW post{};
                post.nmcd.dwDrawStage = CDDS_ITEMPOSTPAINT;
                post.nmcd.hdc = dc;
                post.nmcd.rc = p.bounds;
                post.nmcd.dwItemSpec = (DWORD_PTR)i;
                post.nmcd.lItemlParam = lv->items[(size_t)i].lParam;
                CustomDraw(lv, &post);
            }
        }
        if (report && (lv->exStyle & LVS_EX_GRIDLINES))
            DrawGridLines(lv, dc, m, order);
    }
    if (pre & CDRF_NOTIFYPOSTPAINT) {
        NMLVCUSTOMDRAW post{};
        post.nmcd.dwDrawStage = CDDS_POSTPAINT;
        post.nmcd.hdc = dc;
        post.nmcd.rc = m.client;
        CustomDraw(lv, &post);
    }
    RestoreDC(dc, saved);
}

} // namespace controls::lv
