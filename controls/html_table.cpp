// Tables of the HTML drawer: grid measuring with spans, placement, backgrounds, frames and cells.
#include "controls/html_drawer.h"

#include <algorithm>
#include <tuple>

using namespace html;

namespace {

HtmlString TagAttributes(const HtmlString& text) {
    size_t pos = 0;
    HtmlString tag;
    ReadTag(text, pos, tag);
    return SplitTagName(tag);
}

// Spacing, rows and columns summed as the table box counts them.
int BoxExtent(const std::vector<int>& sizes, int spacing, int border) {
    if (sizes.empty()) return 0;
    long long total = (long long)spacing + (long long)sizes.size() - 1 + 2LL * border;
    for (int s : sizes) total += (long long)s + spacing;
    return Saturate(total);
}

}  // namespace

SIZE CHtmlDrawer::DrawHtmlTable(const RECT& rect, const HtmlString& tableText) {
    const int ti = ++tableIndex_;
    if (mode_) {
        auto [columns, rows] = MeasureTable(tableText, 0, Context());
        HtmlTable table;
        table.rows.assign(rows, std::vector<HtmlCell>(columns));
        table.columnWidths.assign(columns, 0);
        table.fixedColumns.assign(columns, 0);
        table.rowHeights.assign(rows, 0);
        tables_.push_back(std::move(table));
    } else if (ti < 0 || ti >= (int)tables_.size()) {
        return SIZE{0, 0};
    }

    style_.styleName = u"table";
    StoreRestoreStyle(false);
    ApplyStyleByName(u"table", style_);
    ParseTableAttributes(TagAttributes(tableText), style_, true, Context());
    SelectFont();

    const int B = style_.borderStyle == 6 ? 3 : style_.borderWidth;
    const int S = style_.padding;
    const int columns = tables_[ti].ColumnCount(), rows = tables_[ti].RowCount();
    SIZE size{0, 0};
    RECT inner = rect;

    if (!mode_ && columns > 0 && rows > 0) {
        HtmlTable& table = tables_[ti];
        int T = BoxExtent(table.columnWidths, S, B);
        const int Ht = BoxExtent(table.rowHeights, S, B);
        const int W = rect.right - rect.left;
        if (T < W) {
            int difference = W - T;
            int growing = (int)std::count(table.fixedColumns.begin(), table.fixedColumns.end(), 0);
            for (int c = 0; c < columns && growing > 0; ++c) {
                if (table.fixedColumns[c]) continue;
                const int share = difference / growing--;
                table.columnWidths[c] = SatAdd(table.columnWidths[c], share);
                difference -= share;
                T = SatAdd(T, share);
            }
        }
        int x = rect.left;
        if (T < W) {
            if (style_.horizontalAlign == 1) x = rect.left + (W - T) / 2;
            else if (style_.horizontalAlign == 2) x = rect.right - T;
        }
        const RECT box{x, rect.top, SatAdd(x, T), SatAdd(rect.top, Ht)};
        if (style_.backgroundEffect < 0 && !style_.backgroundImage.empty())
            TileBackgroundImage(dc_, box.left, box.top, box.right - box.left, box.bottom - box.top,
                                style_.backgroundImage);
        else if (style_.backgroundEffect >= 0)
            drawManager_.FillEffect(dc_, style_.backgroundEffect, box, style_.backgroundColor,
                                    style_.backgroundMidColor, style_.backgroundEndColor, 5, 0);
        if (style_.borderWidth > 0)
            CDrawManager::DrawRect(dc_, box, colorsOn_ ? style_.borderColorLight : fixedColor_,
                                   colorsOn_ ? style_.borderColorDark : fixedColor_, style_.borderStyle,
                                   std::min(style_.borderWidth, kHtmlMaxPenWidth));
        inner = RECT{box.left + B, box.top + B, box.right - B, box.bottom - B};
        size = SIZE{T, Ht};
    }

    ForEachRow(tableText, rows, [&](int r, const HtmlString& rowText) { DrawHtmlTableRow(inner, ti, S, rowText, r); });

    if (mode_ && columns > 0 && rows > 0) {
        HtmlTable& table = tables_[ti];
        // Cells are taken by growing span, each span in row and column order.
        std::vector<std::tuple<int, int, int>> byColumnSpan, byRowSpan;
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c) {
                const HtmlCell& cell = table.rows[r][c];
                if (cell.colSpan > 0) byColumnSpan.emplace_back(cell.colSpan, r, c);
                if (cell.rowSpan > 0) byRowSpan.emplace_back(cell.rowSpan, r, c);
            }
        std::sort(byColumnSpan.begin(), byColumnSpan.end());
        std::sort(byRowSpan.begin(), byRowSpan.end());
        for (auto [k, r, c] : byColumnSpan) {
            const HtmlCell& cell = table.rows[r][c];
            const int span = std::min(k, columns - c);
            if (span == 1) {
                table.columnWidths[c] = std::max(table.columnWidths[c], cell.outerWidth);
                if (cell.fixedWidth) table.fixedColumns[c] = 1;
                continue;
            }
            long long sum = 0;
            for (int j = c; j < c + span; ++j) {
                if (cell.fixedWidth) table.fixedColumns[j] = 1;
                sum += table.columnWidths[j];
            }
            if (sum < cell.outerWidth) {
                const int d = (int)(cell.outerWidth - sum);
                for (int j = c; j < c + span; ++j) table.columnWidths[j] += d / span;
                table.columnWidths[c + span - 1] += d % span;
            }
        }
        for (auto [k, r, c] : byRowSpan) {
            const HtmlCell& cell = table.rows[r][c];
            const int span = std::min(k, rows - r);
            if (span == 1) {
                table.rowHeights[r] = std::max(table.rowHeights[r], cell.outerHeight);
                continue;
            }
            long long sum = 0;
            for (int i = r; i < r + span; ++i) sum += table.rowHeights[i];
            if (sum < cell.outerHeight) {
                const int d = (int)(cell.outerHeight - sum);
                for (int i = r; i < r + span; ++i) table.rowHeights[i] += d / span;
                table.rowHeights[r] += d % span;
            }
        }
        // An empty table measures nothing rather than a negative box.
        size = SIZE{BoxExtent(table.columnWidths, S, B), BoxExtent(table.rowHeights, S, B)};
    }

    style_.styleName = u"table";
    StoreRestoreStyle(true);
    SelectFont();
    return size;
}

void CHtmlDrawer::DrawHtmlTableRow(const RECT& inner, int ti, int spacing, const HtmlString& rowText, int r) {
    style_.styleName = u"tr";
    StoreRestoreStyle(false);
    ApplyStyleByName(u"tr", style_);
    ParseTableAttributes(TagAttributes(rowText), style_, false, Context());
    SelectFont();

    int c = 0;
    ForEachCell(rowText, [&](const HtmlString&, const HtmlString& cellText) {
        const int columns = tables_[ti].ColumnCount(), rows = tables_[ti].RowCount();
        while (c < columns && tables_[ti].Cell(r, c) && tables_[ti].Cell(r, c)->colSpan < 0) ++c;
        // Cells pushed past the grid by spans of earlier rows are left out by both passes.
        if (c >= columns || r >= rows) return;
        RECT cellRect{};
        {
            const HtmlTable& table = tables_[ti];
            const HtmlCell& cell = table.rows[r][c];
            const int colSpan = std::clamp(cell.colSpan, 1, columns - c);
            const int rowSpan = std::clamp(cell.rowSpan, 1, rows - r);
            long long left = (long long)inner.left + spacing, top = (long long)inner.top + spacing;
            for (int j = 0; j < c; ++j) left += (long long)table.columnWidths[j] + spacing + 1;
            for (int i = 0; i < r; ++i) top += (long long)table.rowHeights[i] + spacing + 1;
            long long right = left + (long long)(colSpan - 1) * (spacing + 1);
            long long bottom = top + (long long)(rowSpan - 1) * (spacing + 1);
            for (int j = c; j < c + colSpan; ++j) right += table.columnWidths[j];
            for (int i = r; i < r + rowSpan; ++i) bottom += table.rowHeights[i];
            cellRect = RECT{Saturate(left), Saturate(top), Saturate(right), Saturate(bottom)};
        }
        DrawHtmlTableCell(cellRect, cellText, ti, r, c);
        HtmlTable& table = tables_[ti];
        const HtmlCell cell = table.rows[r][c];
        if (mode_) {
            for (int j = c + 1; j < c + cell.colSpan; ++j)
                if (HtmlCell* covered = table.Cell(r, j)) covered->colSpan = covered->rowSpan = -1;
            for (int i = r + 1; i < r + cell.rowSpan; ++i)
                if (HtmlCell* covered = table.Cell(i, c)) covered->colSpan = covered->rowSpan = -1;
        }
        c += std::max(cell.colSpan, 1);
    });

    style_.styleName = u"tr";
    StoreRestoreStyle(true);
    SelectFont();
}

void CHtmlDrawer::DrawHtmlTableCell(const RECT& rect, const HtmlString& cellText, int ti, int r, int c) {
    style_.styleName = u"td";
    StoreRestoreStyle(false);
    ApplyStyleByName(u"td", style_);
    style_.width = style_.height = style_.ruleThickness = 0;
    auto [colSpan, rowSpan] = ParseTableAttributes(TagAttributes(cellText), style_, false, Context());
    SelectFont();
    {
        HtmlTable& table = tables_[ti];
        colSpan = std::min(colSpan, table.ColumnCount() - c);
        rowSpan = std::min(rowSpan, table.RowCount() - r);
        if (mode_) {
            HtmlCell& cell = table.rows[r][c];
            cell.colSpan = colSpan;
            cell.rowSpan = rowSpan;
            cell.contentWidth = std::max(style_.width, 0);
            cell.contentHeight = 0;
            cell.fixedWidth = style_.width > 0;
        }
    }
    const int P = style_.margin;
    const int inset = SatAdd(style_.borderWidth, P);
    RECT content{rect.left + inset, rect.top + inset, rect.right - inset, rect.bottom - inset};
    if (!mode_) {
        if (style_.backgroundEffect >= 0)
            drawManager_.FillEffect(dc_, style_.backgroundEffect, rect, style_.backgroundColor,
                                    style_.backgroundMidColor, style_.backgroundEndColor, 5, 0);
        CDrawManager::DrawRect(dc_, rect, colorsOn_ ? style_.borderColorLight : fixedColor_,
                               colorsOn_ ? style_.borderColorDark : fixedColor_, style_.borderStyle, 1);
        const int contentHeight = tables_[ti].rows[r][c].contentHeight;
        if (style_.verticalAlign == 1) content.top = content.top + (rect.bottom - contentHeight - content.top) / 2;
        else if (style_.verticalAlign == 2) content.top = rect.bottom - contentHeight;
    }

    ++cellDepth_;
    int y = content.top;
    int contentWidth = 0, contentHeight = 0;
    auto account = [&](SIZE s) {
        contentWidth = std::max<int>(contentWidth, s.cx);
        contentHeight = SatAdd(contentHeight, s.cy);
        y = SatAdd(y, s.cy);
    };
    size_t pos = 0;
    while (pos < cellText.size()) {
        size_t end = pos, table = pos;
        const bool hasEnd = FindTag(cellText, end, u"/td");
        const bool hasTable = FindTag(cellText, table, u"table");
        const size_t stop = (hasTable && (!hasEnd || table < end)) ? table : hasEnd ? end : cellText.size();
        if (stop > pos) account(DrawHtmlString(RECT{content.left, y, content.right, content.bottom},
                                               cellText.substr(pos, stop - pos)));
        if (hasTable && (!hasEnd || table < end)) {
            size_t tableEnd = table;
            SkipTable(cellText, tableEnd);
            account(DrawHtmlTable(RECT{content.left, y, content.right, content.bottom},
                                  cellText.substr(table, tableEnd - table)));
            pos = tableEnd;
        } else {
            break;
        }
    }
    --cellDepth_;

    if (mode_) {
        HtmlCell& cell = tables_[ti].rows[r][c];
        cell.contentWidth = std::max(cell.contentWidth, contentWidth);
        cell.contentHeight = contentHeight;
        const int frame = SatMul(2, inset);
        cell.outerWidth = SatAdd(std::max(cell.contentWidth, style_.width), frame);
        cell.outerHeight = SatAdd(std::max(cell.contentHeight, style_.height), frame);
    }

    style_.styleName = u"td";
    StoreRestoreStyle(true);
    SelectFont();
}
