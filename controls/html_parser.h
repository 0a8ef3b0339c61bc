// Text-level machinery of the HTML drawer: tokenizer, table scanners, value and style parsers, word wrap.
#pragma once

#include <functional>
#include <map>
#include <utility>

#include "controls/html_records.h"

// Sizes taken from a text are clamped so that no crafted number overflows the layout arithmetic.
constexpr int kHtmlMaxLength = 100000;
// A table grid never grows past these, whatever spans a text names.
constexpr int kHtmlMaxSpan = 256;
constexpr int kHtmlMaxTableColumns = 256;
constexpr int kHtmlMaxTableRows = 4096;
// Rules and frames thicker than this would only cost drawing time.
constexpr int kHtmlMaxPenWidth = 255;

using HtmlColorMap = std::map<HtmlString, COLORREF>;

// What the value parsers need of the drawer: its colour names and switch, the current font and the DC.
struct HtmlParseContext {
    const HtmlColorMap* colors = nullptr;
    bool colorsOn = true;
    COLORREF fixedColor = 0;
    int emHeight = 16;                // tmHeight of the current font
    int logPixelsY = 96;
    std::function<int()> exHeight;    // height of the extent of "x" on the DC
    // Shadow settings, read by the image style letters.
    int shadowDx = 4;
    int shadowDy = 4;
    bool shadowBlurred = true;
};

namespace html {

// Clamped arithmetic shared by the parser and the layout.
int Saturate(long long v);
int SatAdd(int a, int b);
int SatMul(int a, int b);
// Rounded a * b / c; -1 when c is 0.
int MulDivRound(int a, int b, int c);
// Leading decimal integer as atoi reads it (blanks, sign, digits), saturated.
int LeadingInt(const HtmlString& text);
// Integer with automatic base ("0x" hexadecimal, leading "0" octal), saturated.
long long AutoBaseInt(const HtmlString& text);

HtmlString Lower(HtmlString text);
HtmlString TrimLeftBlanks(const HtmlString& text);
HtmlString TrimRightBlanks(const HtmlString& text);
int CountChar(const HtmlString& text, char16_t c);
bool EndsWithPercent(const HtmlString& text);
// Replaces every occurrence of what by with, left to right, without rescanning replacements.
void ReplaceAll(HtmlString& text, const HtmlString& what, const HtmlString& with);

// ---- scanning primitives (positions never leave [0, length]) ----
bool SkipToToken(const HtmlString& text, size_t& pos, bool opsAllowed = false);
char16_t FindFirstOf(const HtmlString& text, size_t& pos, const char16_t* set);
char16_t SkipSet(const HtmlString& text, size_t& pos, const char16_t* set);
bool ExpectChar(const HtmlString& text, size_t& pos, char16_t c);
HtmlString ReadValue(const HtmlString& text, size_t& pos, char16_t delimiter, const char16_t* stopSet);

// ---- markup tokenizer ----
HtmlString ReadText(const HtmlString& text, size_t& pos, HtmlString& tag);
void ReadTag(const HtmlString& text, size_t& pos, HtmlString& tag);
HtmlString SplitTagName(HtmlString& tag);
HtmlString ReadAttribute(const HtmlString& attrs, size_t& pos, HtmlString& name);
bool FindTag(const HtmlString& text, size_t& pos, const HtmlString& name);

// ---- table scanners: each leaves pos at the matching end tag, or at the end of the text ----
bool SkipTable(const HtmlString& text, size_t& pos);
bool SkipRow(const HtmlString& text, size_t& pos);
bool SkipCell(const HtmlString& text, size_t& pos);
// (columns, rows) of the table text from pos; both clamped to the grid limits.
std::pair<int, int> MeasureTable(const HtmlString& text, size_t pos, const HtmlParseContext& ctx);
// Walks the rows of a table text as both passes do; row(r, rowText) gets "<tr" up to its "</tr".
void ForEachRow(const HtmlString& table, int rows, const std::function<void(int, const HtmlString&)>& row);
// Walks the cells of a row text; cell(tagAttributes, cellText) gets "<td" up to its "</td".
void ForEachCell(const HtmlString& row, const std::function<void(const HtmlString&, const HtmlString&)>& cell);

// ---- values ----
int ParseLength(const HtmlString& text, int current, bool keywords, const HtmlParseContext& ctx);
COLORREF GetColorByName(const HtmlString& name, COLORREF def, const HtmlParseContext& ctx);
COLORREF ParseColor(const HtmlString& text, COLORREF current, const HtmlParseContext& ctx);
int ParseFontStyle(const HtmlString& value, int current);
int ParseFontWeight(const HtmlString& value, int current);
int ParseTextAlign(const HtmlString& value, int current);
int ParseVerticalAlign(const HtmlString& value, int current);
int ParseTextTransform(const HtmlString& value, int current);
int ParseBorderStyle(const HtmlString& value, int current);
int ParseBorderWidth(const HtmlString& value, int current, const HtmlParseContext& ctx);
void ParseTextDecoration(const HtmlString& value, HtmlStyle& style);
int ParseFillEffect(const HtmlString& value, int current, const HtmlParseContext& ctx);
void ApplyFontFlags(HtmlStyle& style, const HtmlString& letters);
int ParseImageStyle(const HtmlString& letters, const HtmlParseContext& ctx);

// ---- styles ----
void ResetStyle(HtmlStyle& style);
void ApplyDeclarations(const HtmlString& declarations, HtmlStyle& style, const HtmlParseContext& ctx);
// (column span, row span), both 1 unless given, clamped to [1, kHtmlMaxSpan].
std::pair<int, int> ParseTableAttributes(const HtmlString& attrs, HtmlStyle& style, bool isTable,
                                         const HtmlParseContext& ctx);
void ParseImageAttributes(const HtmlString& attrs, HtmlImage& image, const HtmlParseContext& ctx);

// Selector (lower case) to declaration text.
class HtmlStyleSheet {
public:
    // Null loads the default sheet.
    void SetStyleSheet(const char16_t* text);
    const HtmlString* GetStyle(const HtmlString& selector) const;
    void AddStyle(const HtmlString& selector, const HtmlString& declarations);
    const HtmlString& Text() const { return text_; }
    const std::map<HtmlString, HtmlString>& Rules() const { return rules_; }
    static const char16_t* DefaultText();

private:
    HtmlString text_;
    std::map<HtmlString, HtmlString> rules_;
};

// Splits off the part of text that fits into width (the space left on the line); lineWidth is the
// width of a whole line. measure gives the extent of a prefix. On return text holds the rest and
// width the measured width of the returned piece.
using HtmlMeasure = std::function<int(const char16_t*, size_t)>;
HtmlString WrapText(HtmlString& text, int lineWidth, int& width, const HtmlMeasure& measure);

}  // namespace html
