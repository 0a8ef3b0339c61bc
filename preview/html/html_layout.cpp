// The layout: lines filled left to right, aligned, and tables sized arithmetically from their cells.
#include <algorithm>

#include "preview/html/html_document.h"

namespace {

void Move(HtmlElement& e, int dx, int dy)
{
    e.x += dx;
    e.y += dy;
    for (auto& child : e.children)
        Move(*child, dx, dy);
}

void Reset(HtmlElements& list)
{
    for (auto& e : list) {
        std::fill(std::begin(e->layout), std::end(e->layout), -1);
        Reset(e->children);
    }
}

class Layouter {
public:
    explicit Layouter(HtmlDocument& doc) : m_doc(doc) {}
    // Lays out a list inside [left, right) from top; returns the bottom of its content.
    int LayoutElements(HtmlElements& list, int left, int top, int right);
    void PlaceControls(HtmlElements& list);

private:
    // Narrowest and natural width of an element or list, cached in the layout values of the run.
    void Widths(HtmlElement& e, int& minWidth, int& maxWidth);
    void ListWidths(HtmlElements& list, int& minWidth, int& maxWidth);
    void LayoutBox(HtmlElement& box, int available);
    void LayoutTable(HtmlElement& table, int available, bool measureOnly = false);
    void EndLine(HtmlElements& list, size_t first, size_t end, int left, int right, int top, bool byBreak,
                 int& lineHeight);
    void SizeImage(HtmlElement& e, int available);

    HtmlDocument& m_doc;
};

void Layouter::SizeImage(HtmlElement& e, int available)
{
    int cx = kPlaceholderWidth, cy = kPlaceholderHeight;
    if (e.imageIndex >= 0 && m_doc.m_pOwner)
        m_doc.m_pOwner->GetImageSize(e.imageIndex, cx, cy);
    int w = e.widthWish < 0 ? available * -e.widthWish / 100 : e.widthWish;
    int h = e.heightWish < 0 ? 0 : e.heightWish;
    if (w && !h && cx)
        h = int((long long)w * cy / cx);
    else if (h && !w && cy)
        w = int((long long)h * cx / cy);
    e.width = std::min(w ? w : cx, kMaxLength);
    e.height = std::min(h ? h : cy, kMaxLength);
}

void Layouter::ListWidths(HtmlElements& list, int& minWidth, int& maxWidth)
{
    minWidth = maxWidth = 0;
    int line = 0;
    for (auto& e : list) {
        if (e->kind == kHtmlBreak) {
            maxWidth = std::max(maxWidth, line);
            line = 0;
            continue;
        }
        int lo = 0, hi = 0;
        Widths(*e, lo, hi);
        minWidth = std::max(minWidth, lo);
        line = std::min(line + hi, kMaxLength * 4);
    }
    maxWidth = std::max({maxWidth, line, minWidth});
}

void Layouter::Widths(HtmlElement& e, int& minWidth, int& maxWidth)
{
    if (e.layout[0] >= 0) {
        minWidth = e.layout[0];
        maxWidth = e.layout[1];
        return;
    }
    if (e.kind == kHtmlImage) {
        SizeImage(e, 0);
        minWidth = maxWidth = e.width;
    } else if (e.kind == kHtmlBox && e.blockKind == kBlockTable) {
        LayoutTable(e, 0, true);
        minWidth = e.layout[2];
        maxWidth = e.layout[1];
    } else if (e.kind == kHtmlBox) {
        ListWidths(e.children, minWidth, maxWidth);
        minWidth += 2 * e.padding;
        maxWidth += 2 * e.padding;
        if (e.widthWish > 0) {
            minWidth = std::max(minWidth, e.widthWish);
            maxWidth = std::max(minWidth, e.widthWish);
        }
        if (e.noWrap)
            minWidth = maxWidth;
    } else if (e.kind == kHtmlText) {
        minWidth = maxWidth = e.IsBlank() ? 0 : e.width;
        if (e.IsBlank())
            maxWidth = e.width;
    } else {
        minWidth = maxWidth = 0;
    }
    e.layout[0] = minWidth;
    e.layout[1] = maxWidth;
}

void Layouter::LayoutBox(HtmlElement& box, int available)
{
    if (box.blockKind == kBlockTable) {
        LayoutTable(box, available);
        return;
    }
    int width = box.widthWish < 0 ? available * -box.widthWish / 100 : box.widthWish;
    if (!width)
        width = available;
    int lo = 0, hi = 0;
    Widths(box, lo, hi);
    width = std::max(width, lo);
    box.x = box.y = 0;
    int bottom = LayoutElements(box.children, box.padding, box.padding, width - box.padding);
    box.width = width;
    box.height = std::max(bottom + box.padding, box.heightWish > 0 ? box.heightWish : 0);
}

void Layouter::LayoutTable(HtmlElement& table, int available, bool measureOnly)
{
    std::vector<HtmlElement*> cells;
    for (auto& c : table.children)
        if (c->kind == kHtmlBox)
            cells.push_back(c.get());
    const int pad = table.padding, gap = table.spacing, border = table.border;
    const int kMaxColumns = 1000;
    std::vector<int> covered;  // rows still covered, per column
    int row = -1, columns = 0, rows = 0;
    // Column assignment, second pass (kept simple: walk rows in order).
    int next = 0;
    for (HtmlElement* c : cells) {
        if (c->row != row) {
            int steps = row < 0 ? 0 : std::max(1, c->row - row);
            for (int& n : covered)
                n = std::max(0, n - steps);
            row = c->row;
            next = 0;
        }
        while (next < int(covered.size()) && covered[next] > 0)
            ++next;
        int col = std::min(next, kMaxColumns - 1);
        int span = std::min(c->colSpan, kMaxColumns - col);
        c->column = col;
        c->layout[3] = span;
        if (int(covered.size()) < col + span)
            covered.resize(col + span, 0);
        for (int k = col; k < col + span; ++k)
            covered[k] = std::max(covered[k], c->rowSpan);
        next = col + span;
        columns = std::max(columns, col + span);
        rows = std::max(rows, row + c->rowSpan);
    }
    std::vector<int> colMin(columns, 0), colMax(columns, 0);
    auto spanned = [&](const std::vector<int>& w, int col, int span) {
        long long sum = 0;
        for (int k = col; k < col + span; ++k)
            sum += w[k];
        return sum + (span - 1) * (2 * pad + gap);
    };
    for (int pass = 0; pass < 2; ++pass) {
        for (HtmlElement* c : cells) {
            int span = c->layout[3];
            if ((span == 1) != (pass == 0))
                continue;
            int lo = 0, hi = 0;
            ListWidths(c->children, lo, hi);
            if (c->noWrap)
                lo = hi;
            int wish = c->widthWish > 0 ? c->widthWish : c->widthWish < 0 && available ? available * -c->widthWish / 100 : 0;
            hi = std::max(hi, wish);
            lo = std::max(lo, std::min(wish, kMaxLength));
            // Wider needs of spanning cells are spread evenly over their columns.
            for (auto [w, need] : {std::pair<std::vector<int>*, int>{&colMin, lo}, {&colMax, hi}}) {
                long long have = spanned(*w, c->column, span);
                if (have < need) {
                    long long deficit = need - have;
                    for (int k = 0; k < span; ++k)
                        (*w)[c->column + k] += int(deficit / span + (k < deficit % span ? 1 : 0));
                }
            }
        }
    }
    for (int k = 0; k < columns; ++k)
        colMax[k] = std::max(colMax[k], colMin[k]);
    long long overhead = gap + 2LL * border + (long long)columns * (gap + 2 * pad);
    long long sumMin = 0, sumMax = 0;
    for (int k = 0; k < columns; ++k) {
        sumMin += colMin[k];
        sumMax += colMax[k];
    }
    std::vector<int> widths = colMax;
    long long target = table.widthWish > 0 ? table.widthWish
                       : table.widthWish < 0 ? (long long)available * -table.widthWish / 100
                                             : available;
    bool explicitWidth = table.widthWish != 0;
    if (available > 0 || table.widthWish > 0) {
        long long room = target - overhead;
        if (sumMax > room) {
            if (sumMin >= room) {
                widths = colMin;
            } else {
                long long extra = room - sumMin;
                for (int k = 0; k < columns; ++k)
                    widths[k] = colMin[k] + int((long long)(colMax[k] - colMin[k]) * extra / std::max(1LL, sumMax - sumMin));
            }
        } else if (explicitWidth && columns > 0 && sumMax < room) {
            long long extra = room - sumMax;
            for (int k = 0; k < columns; ++k)
                widths[k] += int(extra / columns + (k < extra % columns ? 1 : 0));
        }
    }
    long long total = overhead;
    for (int w : widths)
        total += w;
    table.layout[2] = int(std::min<long long>(overhead + sumMin, kMaxLength * 4));
    table.layout[1] = int(std::min<long long>(overhead + sumMax, kMaxLength * 4));
    if (measureOnly)
        return;

    // Lay each cell out in its columns, then size the rows.
    std::vector<int> colX(columns + 1, border + gap);
    for (int k = 0; k < columns; ++k)
        colX[k + 1] = colX[k] + widths[k] + 2 * pad + gap;
    std::vector<int> rowHeight(rows, 0);
    auto layoutCell = [&](HtmlElement& c) {
        int width = int(spanned(widths, c.column, c.layout[3])) + 2 * pad;
        c.x = colX[c.column];
        c.y = 0;
        c.width = width;
        int bottom = LayoutElements(c.children, c.x + pad, pad, c.x + width - pad);
        c.height = std::max(bottom + pad, c.heightWish > 0 ? c.heightWish : 0);
    };
    for (int pass = 0; pass < 2; ++pass) {
        for (HtmlElement* c : cells) {
            if ((c->rowSpan == 1) != (pass == 0))
                continue;
            if (pass == 0)
                layoutCell(*c);
            int first = c->row, last = std::min(rows, c->row + c->rowSpan) - 1;
            if (c->rowSpan == 1) {
                rowHeight[first] = std::max(rowHeight[first], c->height);
            } else {
                long long have = 0;
                for (int r = first; r <= last; ++r)
                    have += rowHeight[r] + (r > first ? gap : 0);
                if (have < c->height)
                    rowHeight[last] += int(c->height - have);
            }
        }
        if (pass == 0)
            for (HtmlElement* c : cells)
                if (c->rowSpan != 1)
                    layoutCell(*c);
    }
    std::vector<int> rowY(rows + 1, border + gap);
    for (int r = 0; r < rows; ++r)
        rowY[r + 1] = rowY[r] + rowHeight[r] + gap;
    for (HtmlElement* c : cells) {
        int last = std::min(rows, c->row + c->rowSpan);
        int height = rowY[last] - rowY[c->row] - gap;
        int content = c->height;
        int dy = rowY[c->row];
        int shift = c->valign == 1 ? height - content : c->valign == 2 ? (height - content) / 2 : 0;
        for (auto& child : c->children)
            Move(*child, 0, dy + std::max(0, shift));
        c->y = dy;
        c->height = height;
    }
    table.x = table.y = 0;
    table.width = int(std::min<long long>(total, kMaxLength * 4));
    table.height = std::max(rowY[rows] + border, table.heightWish > 0 ? table.heightWish : 0);
}

void Layouter::EndLine(HtmlElements& list, size_t first, size_t end, int /*left*/, int right, int top, bool byBreak,
                       int& lineHeight)
{
    lineHeight = 0;
    for (size_t k = first; k < end; ++k) {
        HtmlElement& e = *list[k];
        if (e.kind == kHtmlText || e.kind == kHtmlImage || e.kind == kHtmlBox)
            lineHeight = std::max(lineHeight, e.kind == kHtmlBox && e.rowSpan > 1 ? 2 * e.padding : e.height);
    }
    if (first >= end)
        return;
    for (size_t k = first; k < end; ++k) {
        HtmlElement& e = *list[k];
        if (e.kind != kHtmlBox)
            e.y = top + lineHeight - e.height;
    }
    // Blanks that end the line take no part in its alignment.
    size_t last = end;
    while (last > first + 1 && list[last - 1]->IsBlank())
        --last;
    int lineRight = list[last - 1]->x + list[last - 1]->width;
    int free = right - lineRight;
    int align = list[first]->align;
    if (free <= 0)
        return;
    if (align == 2 || align == 1) {
        int dx = align == 2 ? free / 2 : free;
        for (size_t k = first; k < end; ++k)
            Move(*list[k], dx, 0);
    } else if (align == 3 && !byBreak && end - first > 2) {
        // The free width is shared out arithmetically among the elements that may move.
        int movable = 0;
        for (size_t k = first + 2; k < end; ++k)
            movable += !list[k]->IsBlank();
        if (!movable)
            return;
        int shift = 0, index = 0;
        for (size_t k = first + 2; k < end; ++k) {
            if (!list[k]->IsBlank()) {
                ++index;
                shift = int((long long)free * index / movable);
            }
            Move(*list[k], shift, 0);
        }
    }
}

int Layouter::LayoutElements(HtmlElements& list, int left, int top, int right)
{
    int x = left, y = top, bottom = top;
    size_t lineStart = 0;
    auto finishLine = [&](size_t end, bool byBreak) {
        int height = 0;
        EndLine(list, lineStart, end, left, right, y, byBreak, height);
        y += height;
        bottom = std::max(bottom, y);
        x = left;
        lineStart = end;
    };
    for (size_t k = 0; k < list.size(); ++k) {
        HtmlElement& e = *list[k];
        if (e.kind == kHtmlBreak) {
            finishLine(k, true);
            e.x = left;
            e.y = y;
            if (e.rule) {
                e.width = std::max(0, right - left);
                y += e.height;
            } else {
                e.width = 0;
            }
            bottom = std::max(bottom, y);
            lineStart = k + 1;
            continue;
        }
        if (e.kind == kHtmlImage)
            SizeImage(e, right - left);
        if (e.kind == kHtmlBox) {
            LayoutBox(e, std::max(0, right - left));
        }
        if (x > left && !e.IsBlank() && x + e.width > right)
            finishLine(k, false);
        if (e.kind == kHtmlBox)
            Move(e, x - e.x, y - e.y);
        else {
            e.x = x;
            e.y = y;
        }
        x += e.width;
        bottom = std::max(bottom, y + e.height);
    }
    finishLine(list.size(), true);
    return bottom;
}

void Layouter::PlaceControls(HtmlElements& list)
{
    for (auto& e : list) {
        std::fill(std::begin(e->layout), std::end(e->layout), -1);
        if (e->control && m_doc.m_pOwner)
            m_doc.m_pOwner->PlaceControl(e->control, e->x, e->y);
        PlaceControls(e->children);
    }
}

} // namespace

std::pair<int, int> HtmlDocument::Layout(int availableWidth)
{
    Reset(m_elements);
    Layouter layouter(*this);
    int available = std::max(0, availableWidth - 2);
    layouter.LayoutElements(m_elements, 0, 0, available);
    int width = 0, height = 0;
    for (auto& e : m_elements) {
        if (e->IsBlank())
            continue;
        width = std::max(width, e->x + e->width);
        height = std::max(height, e->y + e->height);
    }
    layouter.PlaceControls(m_elements);
    return {width, height};
}
