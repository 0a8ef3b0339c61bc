// Records of the HTML drawer: styles, images, tables, lines, link areas, animations and callbacks.
#pragma once

#include <string>
#include <vector>

#include "win32/types.h"

// Texts of the drawer are UTF-16; positions into them are character indexes.
using HtmlString = std::u16string;

struct HtmlStyle {
    HtmlString styleName;
    int fontSize = 16;
    int fontWeight = 400;
    int italic = 0;
    int underline = 0;
    int strikeOut = 0;
    int overline = 0;
    HtmlString fontFamily = u"Verdana";
    COLORREF textColor = 0;
    COLORREF backgroundColor = 0xFFFFFF;
    COLORREF borderColorLight = 0;
    COLORREF borderColorDark = 0;
    COLORREF backgroundMidColor = 0xFFFFFF;
    COLORREF backgroundEndColor = 0xFFFFFF;
    int backgroundKind = 1;     // 1 transparent, 2 opaque
    int backgroundEffect = -1;  // fill-effect code, -1 none
    HtmlString backgroundImage;
    int horizontalAlign = 0;    // 0 left, 1 center, 2 right, 3 justify
    int verticalAlign = 3;      // 0 top, 1 middle, 2 bottom, 3 baseline
    int borderStyle = 0;        // pen code
    int borderWidth = 0;
    int width = 0;
    int height = 0;
    // Zero until a rule or a cell sets it: an unset thickness must not reach a line height as garbage.
    int ruleThickness = 0;
    int textTransform = 0;      // 0 none, 1 upper, 2 lower, 3 capitalize
    int margin = 2;
    int padding = 0;
    int linkKind = 0;           // 0 none, 1 URL, 2 message
    HtmlString linkTarget;
};

struct HtmlImage {
    int index = 0;
    int idRes = 0;
    int idDll = 0;
    int handle = 0;
    int cx = 0;
    int cy = 0;
    int width = 100;
    int height = 100;
    int speed = 0;
    int styleFlags = 0;
    int hotStyleFlags = 0;
    int mask = 0;
    int widthPercent = 1;
    int heightPercent = 1;
    COLORREF maskColor = 0xFF00FF;
    HtmlString fileName;
    HtmlString srcDll;
    // Which of the optional fields the tag gave.
    bool hasIndex = false;
    bool hasCx = false;
    bool hasCy = false;
};

inline bool IsImageWithShadow(const HtmlImage& image) {
    return ((image.styleFlags | image.hotStyleFlags) & 0x300) != 0;
}

struct HtmlCell {
    int colSpan = 0;
    int rowSpan = 0;
    int contentWidth = 0;
    int contentHeight = 0;
    int outerWidth = 0;
    int outerHeight = 0;
    int fixedWidth = 0;
};

struct HtmlTable {
    std::vector<std::vector<HtmlCell>> rows;
    std::vector<int> columnWidths;
    std::vector<int> rowHeights;
    std::vector<int> fixedColumns;

    void ClearTable() {
        rows.clear();
        columnWidths.clear();
        rowHeights.clear();
        fixedColumns.clear();
    }
    int RowCount() const { return (int)rows.size(); }
    int ColumnCount() const { return (int)columnWidths.size(); }
    // Every access to the grid goes through here: spans and counts come from the text.
    HtmlCell* Cell(int r, int c) {
        if (r < 0 || c < 0 || r >= (int)rows.size() || c >= (int)rows[r].size()) return nullptr;
        return &rows[r][c];
    }
};

struct HtmlLine {
    int width = 0;
    int height = 0;
    int descent = 0;
    int percentWidth = 0;
    int align = 0;
    int breakCount = 0;
    int justify = 0;
};

struct HtmlLinkArea {
    RECT rect{};
    int kind = 0;
    int linkIndex = -1;
    HtmlString target;
};

struct HtmlAnimation {
    int frame = 0;
    int frameCount = 0;
    int spare = 0;
    int speed = 0;
};

struct HtmlCallback {
    HWND window = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};
