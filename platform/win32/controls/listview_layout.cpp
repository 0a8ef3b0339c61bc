// The list view's geometry in its four views: item and sub-item rectangles, hit tests and scrolling.
#include "win32/controls/listview_internal.h"

#include <algorithm>

namespace controls::lv {

namespace {

constexpr int kLabelPad = 2;   // text inset of an item's label
constexpr int kSubMargin = 6;  // text inset of a sub-item
constexpr int kIconSpacingMin = 75;

void IconSize(HIMAGELIST il, int* cx, int* cy)
{
    *cx = *cy = 0;
    if (il && !ImageList_GetIconSize(il, cx, cy))
        *cx = *cy = 0;
}

int ItemsPerColumn(const Metrics& m)
{
    return std::max(1, (int)(m.client.bottom - m.client.top) / std::max(1, m.rowHeight));
}

SIZE IconCell(const Metrics& m)
{
    int cx = std::max(kIconSpacingMin, m.normalCx + 16);
    int cy = m.normalCy + 6 + 2 * m.fontHeight + 6;
    return {cx, cy};
}

int CellWidth(ListView* lv, const Metrics& m)
{
    UINT view = View(lv);
    if (view == LVS_ICON)
        return IconCell(m).cx;
    return ListColumnWidth(lv, m);
}

int PerRow(ListView* lv, const Metrics& m)
{
    return std::max(1, (int)(m.client.right - m.client.left) / std::max(1, CellWidth(lv, m)));
}

int CellHeight(ListView* lv, const Metrics& m)
{
    return View(lv) == LVS_ICON ? IconCell(m).cy : m.rowHeight;
}

int ClientRows(const Metrics& m)
{
    return std::max(0, (int)(m.client.bottom - m.headerHeight) / std::max(1, m.rowHeight));
}

int MaxTop(ListView* lv, const Metrics& m)
{
    return std::max(0, Count(lv) - std::max(1, ClientRows(m)));
}

int ContentHeight(ListView* lv, const Metrics& m)
{
    int per = PerRow(lv, m);
    int rows = (Count(lv) + per - 1) / per;
    return rows * CellHeight(lv, m);
}

int ListColumns(ListView* lv, const Metrics& m)
{
    int rows = ItemsPerColumn(m);
    return (Count(lv) + rows - 1) / rows;
}

// Keeps the scroll positions inside what the content allows.
void Clamp(ListView* lv, const Metrics& m)
{
    int width = m.client.right - m.client.left;
    int height = m.client.bottom - m.client.top;
    switch (View(lv)) {
    case LVS_REPORT:
        lv->top = std::clamp(lv->top, 0, MaxTop(lv, m));
        lv->scrollX = std::clamp(lv->scrollX, 0, std::max(0, TotalColumnWidth(lv) - width));
        lv->scrollY = 0;
        break;
    case LVS_LIST: {
        // List view scrolls by whole columns, as its scroll bar counts them.
        int w = std::max(1, ListColumnWidth(lv, m));
        int maxFirst = std::max(0, ListColumns(lv, m) - std::max(1, width / w));
        lv->scrollX = std::clamp(lv->scrollX / w, 0, maxFirst) * w;
        lv->scrollY = 0;
        lv->top = 0;
        break;
    }
    default:
        lv->scrollY = std::clamp(lv->scrollY, 0, std::max(0, ContentHeight(lv, m) - height));
        lv->scrollX = 0;
        lv->top = 0;
        break;
    }
}

void ScrollTo(ListView* lv, int top, int x, int y)
{
    Metrics m = Measure(lv);
    int oldTop = lv->top, oldX = lv->scrollX, oldY = lv->scrollY;
    lv->top = top;
    lv->scrollX = x;
    lv->scrollY = y;
    Clamp(lv, m);
    if (lv->top == oldTop && lv->scrollX == oldX && lv->scrollY == oldY)
        return;
    if (lv->edit)
        EndEdit(lv, true);
    if (lv->scrollX != oldX)
        LayoutHeader(lv);
    UpdateScrollBars(lv);
    InvalidateRect(lv->hwnd, nullptr, TRUE);
}

} // namespace

int FontHeight(ListView* lv)
{
    if (lv->fontHeight > 0)
        return lv->fontHeight;
    HDC dc = GetDC(lv->hwnd);
    HGDIOBJ old = SelectObject(dc, ListFont(lv));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(lv->hwnd, dc);
    lv->fontHeight = std::max(1, (int)tm.tmHeight);
    return lv->fontHeight;
}

Metrics Measure(ListView* lv)
{
    Metrics m{};
    m.fontHeight = FontHeight(lv);
    IconSize(lv->small, &m.smallCx, &m.smallCy);
    IconSize(lv->state, &m.stateCx, &m.stateCy);
    IconSize(lv->normal, &m.normalCx, &m.normalCy);
    if (!lv->normal)
        m.normalCx = m.normalCy = 32;
    m.rowHeight = std::max(m.fontHeight, std::max(m.smallCy, m.stateCy)) + 2;
    GetClientRect(lv->hwnd, &m.client);
    m.headerHeight = 0;
    if (View(lv) == LVS_REPORT && lv->header && IsWindowVisible(lv->header)) {
        RECT hr;
        GetWindowRect(lv->header, &hr);
        m.headerHeight = hr.bottom - hr.top;
    }
    return m;
}

std::vector<int> ColumnOrder(ListView* lv)
{
    std::vector<int> order(lv->columns.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = (int)i;
    if (lv->header && !order.empty()) {
        std::vector<int> got(order.size());
        if (SendMessageW(lv->header, HDM_GETORDERARRAY, got.size(), (LPARAM)got.data()))
            order = got;
    }
    return order;
}

int ColumnLeft(ListView* lv, int column)
{
    int x = 0;
    for (int c : ColumnOrder(lv)) {
        if (c == column)
            return x;
        x += lv->columns[(size_t)c].width;
    }
    return x;
}

int TotalColumnWidth(const ListView* lv)
{
    int w = 0;
    for (const Column& c : lv->columns)
        w += c.width;
    return w;
}

int LabelWidth(ListView* lv, const std::u16string& text)
{
    if (text.empty())
        return 0;
    HDC dc = GetDC(lv->hwnd);
    HGDIOBJ old = SelectObject(dc, ListFont(lv));
    SIZE sz{};
    GetTextExtentPoint32W(dc, text.c_str(), (int)text.size(), &sz);
    SelectObject(dc, old);
    ReleaseDC(lv->hwnd, dc);
    return sz.cx;
}

int ListColumnWidth(ListView* lv, const Metrics& m)
{
    if (lv->listColumnWidth > 0)
        return lv->listColumnWidth;
    if (lv->measuredGeneration != lv->layoutGeneration) {
        // The widest label decides, measured once per change of the items or the font.
        int widest = 0;
        HDC dc = GetDC(lv->hwnd);
        HGDIOBJ old = SelectObject(dc, ListFont(lv));
        for (int i = 0; i < Count(lv); ++i) {
            const Item& it = lv->items[(size_t)i];
            const std::u16string_view text = it.texts.Text(0);
            if (it.texts.Callback(0) || text.empty())
                continue;
            SIZE sz{};
            GetTextExtentPoint32W(dc, text.data(), (int)text.size(), &sz);
            widest = std::max(widest, (int)sz.cx);
        }
        SelectObject(dc, old);
        ReleaseDC(lv->hwnd, dc);
        lv->measuredListWidth = widest;
        lv->measuredGeneration = lv->layoutGeneration;
    }
    return std::max(m.stateCx + m.smallCx + lv->measuredListWidth + 4 * kLabelPad + 4, 8 * m.fontHeight / 2);
}

Parts ItemParts(ListView* lv, const Metrics& m, int item)
{
    Parts p{};
    UINT view = View(lv);
    int indent = Valid(lv, item) ? lv->items[(size_t)item].indent : 0;
    if (view == LVS_ICON) {
        SIZE cell = IconCell(m);
        int per = PerRow(lv, m);
        int i = std::max(item, 0);
        int x = (i % per) * cell.cx - lv->scrollX;
        int y = (i / per) * cell.cy - lv->scrollY;
        p.bounds = {x, y, x + cell.cx, y + cell.cy};
        int ix = x + (cell.cx - m.normalCx) / 2;
        p.icon = {ix, y + 2, ix + m.normalCx, y + 2 + m.normalCy};
        p.state = {ix - m.stateCx, p.icon.bottom - m.stateCy, ix, p.icon.bottom};
        p.label = {x + 2, p.icon.bottom + 2, x + cell.cx - 2, y + cell.cy - 2};
        return p;
    }
    int x, y, right;
    if (view == LVS_REPORT) {
        x = -lv->scrollX;
        y = m.headerHeight + (item - lv->top) * m.rowHeight;
        p.bounds = {x, y, x + TotalColumnWidth(lv), y + m.rowHeight};
        int col0 = lv->columns.empty() ? 0 : ColumnLeft(lv, 0);
        x = col0 - lv->scrollX;
        right = x + (lv->columns.empty() ? 0 : lv->columns[0].width);
    } else {
        int w = ListColumnWidth(lv, m);
        int i = std::max(item, 0);
        if (view == LVS_LIST) {
            int rows = ItemsPerColumn(m);
            x = (i / rows) * w - lv->scrollX;
            y = (i % rows) * m.rowHeight;
        } else {
            int per = PerRow(lv, m);
            x = (i % per) * w;
            y = (i / per) * m.rowHeight - lv->scrollY;
        }
        right = x + w;
        p.bounds = {x, y, right, y + m.rowHeight};
    }
    int cx = x + indent * m.smallCx;
    p.state = {cx, y, cx + m.stateCx, y + m.rowHeight};
    cx += m.stateCx;
    p.icon = {cx, y, cx + m.smallCx, y + m.rowHeight};
    cx += m.smallCx;
    p.label = {cx, y, std::max(cx, right), y + m.rowHeight};
    if (view != LVS_REPORT && Valid(lv, item)) {
        // Outside report view the label is as wide as its text.
        int tw = LabelWidth(lv, ItemText(lv, item, 0)) + 2 * kLabelPad;
        p.label.right = std::min<int>(p.label.right, cx + tw);
    }
    return p;
}

bool ItemRect(ListView* lv, int item, int code, RECT* out)
{
    if (!Valid(lv, item) || !out)
        return false;
    Metrics m = Measure(lv);
    Parts p = ItemParts(lv, m, item);
    switch (code) {
    case LVIR_BOUNDS: *out = p.bounds; break;
    case LVIR_ICON: *out = p.icon; break;
    case LVIR_LABEL: *out = p.label; break;
    case LVIR_SELECTBOUNDS:
        if (View(lv) == LVS_REPORT && (lv->exStyle & LVS_EX_FULLROWSELECT))
            *out = p.bounds;
        else
            UnionRect(out, &p.icon, &p.label);
        break;
    default: return false;
    }
    return true;
}

bool SubItemRect(ListView* lv, int item, int sub, int code, RECT* out)
{
    if (!Valid(lv, item) || !out || View(lv) != LVS_REPORT)
        return false;
    if (sub == 0)
        return ItemRect(lv, item, code, out);
    if (sub < 0 || sub >= (int)lv->columns.size())
        return false;
    Metrics m = Measure(lv);
    Parts p = ItemParts(lv, m, item);
    int left = ColumnLeft(lv, sub) - lv->scrollX;
    RECT r{left, p.bounds.top, left + lv->columns[(size_t)sub].width, p.bounds.bottom};
    switch (code) {
    case LVIR_BOUNDS:
    case LVIR_SELECTBOUNDS: *out = r; break;
    case LVIR_ICON:
        *out = {r.left, r.top, r.left + ((lv->exStyle & LVS_EX_SUBITEMIMAGES) ? m.smallCx : 0), r.bottom};
        break;
    case LVIR_LABEL:
        *out = r;
        if (lv->exStyle & LVS_EX_SUBITEMIMAGES)
            out->left = std::min<int>(r.right, r.left + m.smallCx);
        break;
    default: return false;
    }
    return true;
}

int HitTest(ListView* lv, LVHITTESTINFO* hi, bool subItems)
{
    if (!hi)
        return -1;
    Metrics m = Measure(lv);
    POINT pt = hi->pt;
    hi->flags = 0;
    hi->iItem = -1;
    hi->iSubItem = 0;
    if (pt.y < m.client.top)
        hi->flags |= LVHT_ABOVE;
    if (pt.y >= m.client.bottom)
        hi->flags |= LVHT_BELOW;
    if (pt.x < m.client.left)
        hi->flags |= LVHT_TOLEFT;
    if (pt.x >= m.client.right)
        hi->flags |= LVHT_TORIGHT;
    if (hi->flags)
        return -1;
    hi->flags = LVHT_NOWHERE;
    UINT view = View(lv);
    int item = -1;
    if (view == LVS_REPORT) {
        if (pt.y < m.headerHeight || lv->columns.empty())
            return -1;
        item = lv->top + (pt.y - m.headerHeight) / std::max(1, m.rowHeight);
    } else if (view == LVS_LIST) {
        int w = std::max(1, ListColumnWidth(lv, m));
        int rows = ItemsPerColumn(m);
        int row = pt.y / std::max(1, m.rowHeight);
        if (row >= rows)
            return -1;
        item = ((pt.x + lv->scrollX) / w) * rows + row;
    } else {
        int per = PerRow(lv, m);
        int col = pt.x / std::max(1, CellWidth(lv, m));
        if (col >= per)
            return -1;
        item = ((pt.y + lv->scrollY) / std::max(1, CellHeight(lv, m))) * per + col;
    }
    if (!Valid(lv, item))
        return -1;
    Parts p = ItemParts(lv, m, item);
    if (!PtInRect(&p.bounds, pt))
        return -1;
    bool hasStateImage = lv->state && (lv->items[(size_t)item].state & LVIS_STATEIMAGEMASK);
    UINT flags = 0;
    if (hasStateImage && PtInRect(&p.state, pt))
        flags = LVHT_ONITEMSTATEICON;
    else if (PtInRect(&p.icon, pt))
        flags = LVHT_ONITEMICON;
    else if (PtInRect(&p.label, pt))
        flags = LVHT_ONITEMLABEL;
    int sub = 0;
    if (view == LVS_REPORT) {
        // Which column is under the point, in the order the header shows them.
        int x = -lv->scrollX;
        sub = -1;
        for (int c : ColumnOrder(lv)) {
            int w = lv->columns[(size_t)c].width;
            if (pt.x >= x && pt.x < x + w) {
                sub = c;
                break;
            }
            x += w;
        }
        if (sub < 0)
            return -1;
        if (sub != 0 && !flags && (subItems || (lv->exStyle & LVS_EX_FULLROWSELECT)))
            flags = LVHT_ONITEMLABEL;
        if (!flags && (lv->exStyle & LVS_EX_FULLROWSELECT))
            flags = LVHT_ONITEMLABEL;
    } else if (!flags && view == LVS_ICON && PtInRect(&p.bounds, pt)) {
        return -1;
    }
    if (!flags)
        return -1;
    hi->flags = flags;
    hi->iItem = item;
    hi->iSubItem = subItems ? sub : 0;
    return item;
}

int CountPerPage(ListView* lv)
{
    Metrics m = Measure(lv);
    switch (View(lv)) {
    case LVS_REPORT: return ClientRows(m);
    case LVS_LIST:
        return ItemsPerColumn(m) *
               std::max(1, (int)(m.client.right - m.client.left) / std::max(1, ListColumnWidth(lv, m)));
    default: return Count(lv); // icon views count every item as on the page
    }
}

int TopIndex(ListView* lv)
{
    Metrics m = Measure(lv);
    switch (View(lv)) {
    case LVS_REPORT: return Count(lv) ? lv->top : 0;
    case LVS_LIST: {
        int w = std::max(1, ListColumnWidth(lv, m));
        return std::min(Count(lv), (lv->scrollX / w) * ItemsPerColumn(m));
    }
    default: return 0;
    }
}

void VisibleRange(ListView* lv, const Metrics& m, int* first, int* last)
{
    int n = Count(lv);
    switch (View(lv)) {
    case LVS_REPORT:
        *first = std::min(lv->top, n);
        *last = std::min(n, lv->top + ClientRows(m) + 1);
        break;
    case LVS_LIST: {
        int w = std::max(1, ListColumnWidth(lv, m));
        int rows = ItemsPerColumn(m);
        int firstCol = lv->scrollX / w;
        int cols = (int)(m.client.right - m.client.left) / w + 2;
        *first = std::min(n, firstCol * rows);
        *last = std::min(n, (firstCol + cols) * rows);
        break;
    }
    default: {
        int per = PerRow(lv, m);
        int ch = std::max(1, CellHeight(lv, m));
        int firstRow = lv->scrollY / ch;
        int rows = (int)(m.client.bottom - m.client.top) / ch + 2;
        *first = std::min(n, firstRow * per);
        *last = std::min(n, (firstRow + rows) * per);
        break;
    }
    }
}

bool EnsureVisible(ListView* lv, int item, bool partialOk)
{
    if (!Valid(lv, item))
        return false;
    Metrics m = Measure(lv);
    switch (View(lv)) {
    case LVS_REPORT: {
        int rows = std::max(1, ClientRows(m));
        int top = lv->top;
        if (item < top)
            top = item;
        else if (item >= top + rows) {
            bool partlyShown = item == top + rows &&
                               m.headerHeight + rows * m.rowHeight < m.client.bottom;
            if (!(partialOk && partlyShown))
                top = item - rows + 1;
        }
        ScrollTo(lv, top, lv->scrollX, 0);
        break;
    }
    case LVS_LIST: {
        int w = std::max(1, ListColumnWidth(lv, m));
        int col = item / ItemsPerColumn(m);
        int visible = std::max(1, (int)(m.client.right - m.client.left) / w);
        int first = lv->scrollX / w;
        if (col < first)
            first = col;
        else if (col >= first + visible)
            first = col - visible + 1;
        ScrollTo(lv, 0, first * w, 0);
        break;
    }
    default: {
        Parts p = ItemParts(lv, m, item);
        int y = lv->scrollY;
        if (p.bounds.top < 0)
            y += p.bounds.top;
        else if (p.bounds.bottom > m.client.bottom && !(partialOk && p.bounds.top < m.client.bottom))
            y += p.bounds.bottom - m.client.bottom;
        ScrollTo(lv, 0, 0, y);
        break;
    }
    }
    return true;
}

bool ScrollBy(ListView* lv, int dx, int dy)
{
    Metrics m = Measure(lv);
    switch (View(lv)) {
    case LVS_REPORT: {
        int rows = 0;
        if (dy) {
            int h = std::max(1, m.rowHeight);
            rows = dy / h;
            if (rows == 0)
                rows = dy > 0 ? 1 : -1;
        }
        ScrollTo(lv, lv->top + rows, lv->scrollX + dx, 0);
        return true;
    }
    case LVS_LIST: {
        int w = std::max(1, ListColumnWidth(lv, m));
        int cols = dx / w;
        if (dx && !cols)
            cols = dx > 0 ? 1 : -1;
        ScrollTo(lv, 0, (lv->scrollX / w + cols) * w, 0);
        return true;
    }
    default: ScrollTo(lv, 0, 0, lv->scrollY + dy); return true;
    }
}

void OnScroll(ListView* lv, int bar, WPARAM wParam)
{
    if (lv->edit)
        EndEdit(lv, true);
    Metrics m = Measure(lv);
    UINT view = View(lv);
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(lv->hwnd, bar, &si);
    // Units the bar counts in: rows in report view, columns in list view, pixels otherwise.
    int line = 1, page = std::max<int>(1, (int)si.nPage);
    if (bar == SB_HORZ && view == LVS_REPORT)
        line = std::max(1, m.fontHeight);
    if (bar == SB_VERT && view != LVS_REPORT && view != LVS_LIST)
        line = std::max(1, CellHeight(lv, m) / 2);
    int pos = si.nPos;
    switch (LOWORD(wParam)) {
    case SB_LINEUP: pos -= line; break;
    case SB_LINEDOWN: pos += line; break;
    case SB_PAGEUP: pos -= page; break;
    case SB_PAGEDOWN: pos += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        // The bar's own track position has all 32 bits; the message's 16 must agree with it.
        pos = (WORD)si.nTrackPos == HIWORD(wParam) ? si.nTrackPos : (int)HIWORD(wParam);
        break;
    case SB_TOP: pos = si.nMin; break;
    case SB_BOTTOM: pos = si.nMax; break;
    default: return;
    }
    if (view == LVS_REPORT) {
        if (bar == SB_VERT)
            ScrollTo(lv, pos, lv->scrollX, 0);
        else
            ScrollTo(lv, lv->top, pos, 0);
    } else if (view == LVS_LIST) {
        if (bar == SB_HORZ)
            ScrollTo(lv, 0, pos * std::max(1, ListColumnWidth(lv, m)), 0);
    } else if (bar == SB_VERT) {
        ScrollTo(lv, 0, 0, pos);
    }
}

void UpdateScrollBars(ListView* lv)
{
    if (lv->inScrollUpdate)
        return;
    ++lv->inScrollUpdate;
    lv->scrollDirty = false;
    RECT before;
    GetClientRect(lv->hwnd, &before);
    // Showing or hiding a bar changes the client area, which changes what the bars should say.
    for (int pass = 0; pass < 3; ++pass) {
        Metrics m = Measure(lv);
        int top = lv->top, x = lv->scrollX, y = lv->scrollY;
        Clamp(lv, m);
        if (top != lv->top || x != lv->scrollX || y != lv->scrollY)
            InvalidateRect(lv->hwnd, nullptr, TRUE);
        SCROLLINFO v{}, h{};
        v.cbSize = h.cbSize = sizeof(SCROLLINFO);
        v.fMask = h.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        int width = m.client.right - m.client.left;
        int height = m.client.bottom - m.client.top;
        if (StyleOf(lv->hwnd) & LVS_NOSCROLL) {
            // Nothing to show.
        } else {
            switch (View(lv)) {
            case LVS_REPORT:
                v.nMax = Count(lv) - 1;
                v.nPage = (UINT)std::max(0, ClientRows(m));
                v.nPos = lv->top;
                h.nMax = TotalColumnWidth(lv) - 1;
                h.nPage = (UINT)std::max(0, width);
                h.nPos = lv->scrollX;
                break;
            case LVS_LIST: {
                int w = std::max(1, ListColumnWidth(lv, m));
                h.nMax = ListColumns(lv, m) - 1;
                h.nPage = (UINT)std::max(1, width / w);
                h.nPos = lv->scrollX / w;
                break;
            }
            default:
                v.nMax = ContentHeight(lv, m) - 1;
                v.nPage = (UINT)std::max(0, height);
                v.nPos = lv->scrollY;
                break;
            }
        }
        v.nMax = std::max(0, v.nMax);
        h.nMax = std::max(0, h.nMax);
        lv->pageRows = ClientRows(m);
        SetScrollInfo(lv->hwnd, SB_VERT, &v, TRUE);
        SetScrollInfo(lv->hwnd, SB_HORZ, &h, TRUE);
        RECT after;
        GetClientRect(lv->hwnd, &after);
        if (EqualRect(&after, &m.client))
            break;
    }
    RECT after;
    GetClientRect(lv->hwnd, &after);
    if (!EqualRect(&after, &before))
        LayoutHeader(lv);
    --lv->inScrollUpdate;
}

void LayoutHeader(ListView* lv)
{
    if (!lv->header)
        return;
    DWORD st = StyleOf(lv->hwnd);
    bool show = (st & LVS_TYPEMASK) == LVS_REPORT && !(st & LVS_NOCOLUMNHEADER);
    if (!show) {
        if (IsWindowVisible(lv->header))
            ShowWindow(lv->header, SW_HIDE);
        return;
    }
    RECT rc;
    GetClientRect(lv->hwnd, &rc);
    rc.left -= lv->scrollX;
    WINDOWPOS wp{};
    HDLAYOUT l{&rc, &wp};
    if (!SendMessageW(lv->header, HDM_LAYOUT, 0, (LPARAM)&l))
        return;
    SetWindowPos(lv->header, nullptr, wp.x, wp.y, wp.cx, wp.cy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

int AutoColumnWidth(ListView* lv, int column, bool useHeader)
{
    Metrics m = Measure(lv);
    const Column& c = lv->columns[(size_t)column];
    if (useHeader) {
        int w = LabelWidth(lv, c.text) + 2 * kSubMargin + 6;
        if (column == (int)lv->columns.size() - 1) {
            // The last column takes up what room is left.
            int left = ColumnLeft(lv, column);
            std::vector<int> order = ColumnOrder(lv);
            if (!order.empty() && order.back() == column)
                w = std::max(w, (int)(m.client.right - left));
        }
        return w;
    }
    int widest = 0;
    HDC dc = GetDC(lv->hwnd);
    HGDIOBJ old = SelectObject(dc, ListFont(lv));
    for (int i = 0; i < Count(lv); ++i) {
        std::u16string t = ItemText(lv, i, c.subItem);
        if (t.empty())
            continue;
        SIZE sz{};
        GetTextExtentPoint32W(dc, t.c_str(), (int)t.size(), &sz);
        widest = std::max(widest, (int)sz.cx);
    }
    SelectObject(dc, old);
    ReleaseDC(lv->hwnd, dc);
    if (c.subItem == 0)
        return widest + m.stateCx + m.smallCx + 2 * kLabelPad + 4;
    return widest + 2 * kSubMargin + ((lv->exStyle & LVS_EX_SUBITEMIMAGES) ? m.smallCx : 0);
}

} // namespace controls::lv
