// Tests of the HTML drawer's tokenizer, scanners, value parsers, style sheet and word wrap.
#include <gtest/gtest.h>

#include "controls/html_parser.h"
#include "controls/html_tables.h"

using namespace html;

namespace {

struct ParserFixture : ::testing::Test {
    HtmlColorMap colors;
    HtmlParseContext ctx;
    ParserFixture() {
        LoadColors(colors, [](int index) { return (COLORREF)(0x010000 * index); });
        ctx.colors = &colors;
        ctx.emHeight = 13;
        ctx.exHeight = [] { return 7; };
    }
};

struct LengthCase {
    const char16_t* text;
    int current;
    bool keywords;
    int expected;
};

}  // namespace

TEST_F(ParserFixture, ParseLengthUnitsSignsAndKeywords) {
    const LengthCase cases[] = {
        {u"", 5, true, 5},          {u"-3px", 0, true, 3},     {u"+3px", 0, true, 3},
        {u"3", 0, true, 12},        {u"3", 0, false, 3},       {u"7", 0, true, 36},
        {u"8", 0, true, 8},         {u"50%", 30, false, 15},   {u"65%", 13, true, 8},
        {u"2em", 0, false, 26},     {u"2ex", 0, false, 14},    {u"1in", 0, false, 96},
        {u"10pt", 0, true, 13},     {u"9pt", 0, true, 12},     {u"1pc", 0, false, 16},
        {u"1cm", 0, false, 37},     {u"10mm", 0, false, 37},   {u"0x10", 0, false, 16},
        {u"010", 0, false, 8},      {u"abc", 9, false, 0},     {u"x", 9, false, 0},
        // Crafted numbers saturate instead of overflowing.
        {u"99999999999999999999in", 0, false, kHtmlMaxLength},
        {u"99999999999999999999", 0, false, kHtmlMaxLength},
        {u"999999999999%", 1000000, false, -1},  // a percentage that overflows fails as MulDiv does
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseLength(c.text, c.current, c.keywords, ctx), c.expected)
            << std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text));
    }
}

TEST_F(ParserFixture, ParseColorForms) {
    struct { const char16_t* text; COLORREF expected; } cases[] = {
        {u"", 0x123456},           {u"#00ff00", 0x00FF00},     {u"#ff0000", 0x0000FF},
        {u"#0000FF", 0xFF0000},    {u"#f00", 0x123456},        {u"#gg0000", 0x123456},
        {u"red", 0x0000FF},        {u"Red", 0x123456},         {u"grey", 0x123456},
        {u"darkseagreen", RGB(143, 188, 139)},                 {u"lightgrey", RGB(211, 211, 211)},
        {u"0x0000FF", 0x0000FF},   {u"255", 255},              {u"buttonface", 0x0F0000},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseColor(c.text, 0x123456, ctx), c.expected);
    ctx.colorsOn = false;
    ctx.fixedColor = 0xABCDEF;
    EXPECT_EQ(ParseColor(u"red", 0, ctx), 0xABCDEFu);
    EXPECT_EQ(ParseColor(u"nonsense", 0, ctx), 0xABCDEFu);
}

TEST(HtmlTables, CountsAndEntities) {
    HtmlColorMap colors;
    LoadColors(colors, nullptr);
    EXPECT_EQ(colors.size(), 168u);
    std::map<HtmlString, HtmlTagInfo> tags;
    LoadTags(tags);
    EXPECT_EQ(tags.size(), 38u);
    std::map<HtmlString, HtmlString> entities;
    LoadEntities(entities);
    EXPECT_EQ(entities.size(), 13u);

    struct { const char16_t* in; bool escapes; const char16_t* out; } cases[] = {
        {u"&amp;lt;", true, u"<<"},       // "&amp;" first, then "&lt;"
        {u"a&nbsp;b", true, u"a b"},
        {u"x\r\ny\tz", true, u"x<br>y<t>z"},
        {u"x\r\ny\tz", false, u"xyz"},
        {u"&#65;&copy;", true, u"&#65;\u00A9"},
        {u"&quot;&gt;&trade;", true, u"\">\u2122"},
    };
    for (const auto& c : cases) EXPECT_EQ(PrepareText(c.in, entities, c.escapes), HtmlString(c.out));

    HtmlString style;
    bool closing = false;
    EXPECT_EQ(GetTagId(tags, u"/b", style, closing), 1);
    EXPECT_TRUE(closing);
    EXPECT_EQ(style, u"bold");
    EXPECT_EQ(GetTagId(tags, u"B", style, closing), 0);
    EXPECT_EQ(GetTagId(tags, u"middle", style, closing), 15);
    EXPECT_EQ(style, u"vcenter");
    EXPECT_EQ(GetTagId(tags, u"a", style, closing), 23);
    EXPECT_EQ(style, u"link");
}

TEST(HtmlTokenizer, ReadTextSplitsTextTagsAndEscapes) {
    struct Step { const char16_t* text; const char16_t* tag; };
    struct { const char16_t* input; std::vector<Step> steps; } cases[] = {
        {u"ab<b>cd</b>", {{u"ab", u"b"}, {u"cd", u"/b"}}},
        {u"a<<b>c", {{u"a<", u""}, {u"b>c", u""}}},
        {u"x<", {{u"x<", u""}}},
        {u"<>y", {{u"", u""}, {u">y", u""}}},
        {u"<font color=red", {{u"", u""}, {u"font color=red", u""}}},
        {u"<", {{u"<", u""}}},
    };
    for (const auto& c : cases) {
        HtmlString text = c.input;
        size_t pos = 0;
        for (const auto& s : c.steps) {
            ASSERT_LT(pos, text.size());
            HtmlString tag;
            EXPECT_EQ(ReadText(text, pos, tag), HtmlString(s.text));
            EXPECT_EQ(tag, HtmlString(s.tag));
        }
        EXPECT_EQ(pos, text.size());
    }
}

TEST(HtmlTokenizer, SplitTagNameAndAttributes) {
    struct { const char16_t* tag; const char16_t* name; const char16_t* attrs; } cases[] = {
        {u"br=3", u"br", u"=3"},
        {u"br 3", u"br", u"3"},
        {u"font  color=red", u"font", u"color=red"},
        {u"b", u"b", u""},
    };
    for (const auto& c : cases) {
        HtmlString tag = c.tag;
        EXPECT_EQ(SplitTagName(tag), HtmlString(c.attrs));
        EXPECT_EQ(tag, HtmlString(c.name));
    }

    auto readAll = [](const HtmlString& attrs) {
        std::vector<std::pair<HtmlString, HtmlString>> out;
        size_t pos = 0;
        for (int guard = 0; pos < attrs.size() && guard < 100; ++guard) {
            HtmlString name;
            HtmlString value = ReadAttribute(attrs, pos, name);
            if (name.empty()) break;
            out.emplace_back(name, value);
        }
        return out;
    };
    using V = std::vector<std::pair<HtmlString, HtmlString>>;
    EXPECT_EQ(readAll(u"face='Courier New' size = 3 bold"),
              (V{{u"face", u"Courier New"}, {u"size", u"3"}, {u"bold", u""}}));
    EXPECT_EQ(readAll(u"href=\"a b\" msg==x"), (V{{u"href", u"a b"}, {u"msg", u"x"}}));
    // An unterminated quote runs to the end and ends the attribute loop.
    EXPECT_EQ(readAll(u"href=\"abc def"), (V{{u"href", u"abc def"}}));
    EXPECT_EQ(readAll(u"a='"), (V{{u"a", u""}}));
}

TEST(HtmlTokenizer, ReadValueAndFindTag) {
    HtmlString decl = u"font-family: \"Courier New\"; color:red; x: \"open";
    size_t pos = 11;
    EXPECT_EQ(ReadValue(decl, pos, u':', u";"), u"Courier New");
    pos = decl.find(u"color") + 5;
    EXPECT_EQ(ReadValue(decl, pos, u':', u";"), u"red");
    pos = decl.find(u"x:") + 1;
    EXPECT_EQ(ReadValue(decl, pos, u':', u";"), u"");
    EXPECT_EQ(pos, decl.size());
    size_t nodelim = 0;
    EXPECT_EQ(ReadValue(u"abc", nodelim, u':', u";"), u"");

    HtmlString text = u"<table><<table x<table";
    pos = 0;
    EXPECT_TRUE(FindTag(text, pos, u"table"));
    EXPECT_EQ(pos, 0u);
    pos = 1;
    EXPECT_TRUE(FindTag(text, pos, u"table"));
    EXPECT_EQ(pos, text.rfind(u"<table"));
    pos = 1;
    EXPECT_FALSE(FindTag(text, pos, u"tr"));
    EXPECT_EQ(pos, text.size());
}

TEST(HtmlScanner, TableSkippersFindMatchingEnds) {
    HtmlString t = u"<table><tr><td><table><tr><td>x</td></tr></table></td></tr></table>tail";
    size_t pos = 0;
    EXPECT_TRUE(SkipTable(t, pos));
    EXPECT_EQ(pos, t.rfind(u"</table"));
    pos = t.find(u"<tr");
    EXPECT_TRUE(SkipRow(t, pos));
    EXPECT_EQ(pos, t.rfind(u"</tr"));
    pos = t.find(u"<td");
    EXPECT_TRUE(SkipCell(t, pos));
    EXPECT_EQ(pos, t.rfind(u"</td"));

    // Unterminated structures run to the end of the text instead of stopping short of it.
    for (const char16_t* bad : {u"<table", u"x<table>", u"<table><tr><td>abc", u"<table><table></table>"}) {
        HtmlString s = bad;
        size_t p = s.find(u"<table");
        EXPECT_FALSE(SkipTable(s, p));
        EXPECT_EQ(p, s.size());
    }
    HtmlString row = u"<tr><td><table><tr>";
    pos = 0;
    EXPECT_FALSE(SkipRow(row, pos));
    EXPECT_EQ(pos, row.size());
}

TEST_F(ParserFixture, MeasureTableCountsSpansAndIgnoresNestedRows) {
    struct { const char16_t* text; int cols; int rows; } cases[] = {
        {u"<table><tr><td>a</td><td>b</td></tr></table>", 2, 1},
        {u"<table><tr><td colspan=3>a</td></tr><tr><td>b</td></tr></table>", 3, 2},
        {u"<table></table>", 0, 0},
        // The nested table's rows are not the outer table's, nor is its "</tr" the end of the outer row.
        {u"<table><tr><td><table><tr><td>1</td></tr><tr><td>2</td></tr></table></td><td>b</td></tr></table>", 2, 1},
        // A zero span counts as one; the sign of a length is dropped.
        {u"<table><tr><td colspan=0>a</td><td colspan=-4>b</td></tr></table>", 5, 1},
        {u"<table><tr><td colspan=99999999>a</td><td colspan=999>b</td></tr></table>", kHtmlMaxTableColumns, 1},
        {u"<table><tr><td>a", 1, 1},
    };
    for (const auto& c : cases) {
        auto [cols, rows] = MeasureTable(c.text, 0, ctx);
        EXPECT_EQ(cols, c.cols) << std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text));
        EXPECT_EQ(rows, c.rows);
    }
}

TEST_F(ParserFixture, DeclarationsSetStyleFields) {
    HtmlStyle s;
    ApplyDeclarations(u"Font-Size: 10pt; COLOR:Red; font-family:\"Courier New\"; font-weight:bold; "
                      u"text-decoration: underline, overline; background-color:#010203; vertical-align:top; "
                      u"text-transform:capitalize; font-style:oblique; unknown:1; margin:3; padding:4",
                      s, ctx);
    EXPECT_EQ(s.fontSize, 13);
    EXPECT_EQ(s.textColor, 0x0000FFu);
    EXPECT_EQ(s.fontFamily, u"courier new");
    EXPECT_EQ(s.fontWeight, 700);
    EXPECT_EQ(s.underline, 1);
    EXPECT_EQ(s.overline, 1);
    EXPECT_EQ(s.backgroundKind, 2);
    EXPECT_EQ(s.backgroundColor, RGB(1, 2, 3));
    EXPECT_EQ(s.verticalAlign, 0);
    EXPECT_EQ(s.textTransform, 3);
    EXPECT_EQ(s.italic, 1);
    EXPECT_EQ(s.margin, 3);
    EXPECT_EQ(s.padding, 4);

    ApplyDeclarations(u"background-color:transparent; text-decoration:none; border-style:dashed", s, ctx);
    EXPECT_EQ(s.backgroundKind, 1);
    EXPECT_EQ(s.underline + s.overline + s.strikeOut, 0);
    EXPECT_EQ(s.borderStyle, 2);
    EXPECT_EQ(s.borderWidth, 1);
    ApplyDeclarations(u"border-width: 0", s, ctx);
    EXPECT_EQ(s.borderStyle, 0);

    HtmlStyle flags;
    ApplyFontFlags(flags, u"b-iu");
    EXPECT_EQ(flags.fontWeight, 700);
    EXPECT_EQ(flags.italic, 0);
    EXPECT_EQ(flags.underline, 1);
    ApplyFontFlags(flags, u"-b-u+s");
    EXPECT_EQ(flags.fontWeight, 400);
    EXPECT_EQ(flags.underline, 0);
    EXPECT_EQ(flags.strikeOut, 1);
}

TEST_F(ParserFixture, TableAttributesBorderRulesAndSpans) {
    struct { const char16_t* attrs; bool isTable; int width; int style; int colSpan; int rowSpan; } cases[] = {
        {u"borderstyle=dashed border=0", true, 0, 0, 1, 1},
        {u"border=5 borderstyle=dashed", true, 1, 2, 1, 1},
        {u"border=5", true, 5, 1, 1, 1},
        {u"border=5", false, 1, 1, 1, 1},
        {u"colspan=2 rowspan=3", false, 0, 0, 2, 3},
        {u"colspan=0 rowspan=-7", false, 0, 0, 1, 7},
        {u"colspan=100000000", false, 0, 0, kHtmlMaxSpan, 1},
    };
    for (const auto& c : cases) {
        HtmlStyle s;
        auto [cs, rs] = ParseTableAttributes(c.attrs, s, c.isTable, ctx);
        EXPECT_EQ(s.borderWidth, c.width);
        EXPECT_EQ(s.borderStyle, c.style);
        EXPECT_EQ(cs, c.colSpan);
        EXPECT_EQ(rs, c.rowSpan);
    }
    HtmlStyle s;
    ParseTableAttributes(u"cellpadding=4 cellspacing=3 bgcolor=red width=40 align=center valign=middle "
                         u"bgeffect=vbump background='idres:5'", s, true, ctx);
    EXPECT_EQ(s.margin, 4);
    EXPECT_EQ(s.padding, 3);
    EXPECT_EQ(s.backgroundColor, 0x0000FFu);
    EXPECT_EQ(s.backgroundEffect, 12);
    EXPECT_EQ(s.width, 40);
    EXPECT_EQ(s.horizontalAlign, 1);
    EXPECT_EQ(s.verticalAlign, 1);
    EXPECT_EQ(s.backgroundImage, u"idres:5");
    HtmlStyle cell;
    ParseTableAttributes(u"cellpadding=9 bgcolor=red", cell, false, ctx);
    EXPECT_EQ(cell.margin, 2);
    EXPECT_EQ(cell.backgroundEffect, 0);
}

TEST_F(ParserFixture, ImageAttributesAndStyleLetters) {
    HtmlImage img;
    ParseImageAttributes(u"idres=0x20 width=50% height=20 handle=0x1F style=gs hotstyle=l mask=#ff00ff cx=16",
                         img, ctx);
    EXPECT_EQ(img.idRes, 32);
    EXPECT_EQ(img.width, 50);
    EXPECT_EQ(img.widthPercent, 1);
    EXPECT_EQ(img.height, 20);
    EXPECT_EQ(img.heightPercent, 0);
    EXPECT_EQ(img.handle, 31);
    EXPECT_EQ(img.styleFlags, 0x201);
    EXPECT_EQ(img.hotStyleFlags, 4);
    EXPECT_EQ(img.mask, 1);
    EXPECT_TRUE(img.hasCx);
    EXPECT_FALSE(img.hasCy);
    EXPECT_TRUE(IsImageWithShadow(img));
    ctx.shadowBlurred = false;
    EXPECT_EQ(ParseImageStyle(u"sdx", ctx), 0x102);
    ctx.shadowDx = ctx.shadowDy = 0;
    EXPECT_EQ(ParseImageStyle(u"s", ctx), 0);
}

TEST_F(ParserFixture, KeywordParsersKeepCurrentOnUnknown) {
    EXPECT_EQ(ParseFillEffect(u"metal", 0, ctx), 15);
    EXPECT_EQ(ParseFillEffect(u"transparent", 3, ctx), -1);
    EXPECT_EQ(ParseFillEffect(u"9", 3, ctx), 9);
    EXPECT_EQ(ParseFillEffect(u"", 3, ctx), 3);
    EXPECT_EQ(ParseTextAlign(u"justify", 2), 2);
    EXPECT_EQ(ParseVerticalAlign(u"", 0), 3);
    EXPECT_EQ(ParseFontWeight(u"600", 0), 600);
    EXPECT_EQ(ParseBorderWidth(u"thin", 8, ctx), 6);
    EXPECT_EQ(ParseBorderWidth(u"thick", 8, ctx), 10);
}

TEST(HtmlStyleSheetTest, DefaultSheetAndCustomText) {
    HtmlStyleSheet sheet;
    sheet.SetStyleSheet(nullptr);
    EXPECT_EQ(sheet.Rules().size(), 17u);
    ASSERT_NE(sheet.GetStyle(u"A:Hover"), nullptr);
    EXPECT_EQ(*sheet.GetStyle(u"a:hover"), u"text-decoration:underline; color:blue");
    EXPECT_EQ(sheet.GetStyle(u"p2"), nullptr);
    sheet.SetStyleSheet(u"X {color:red} y {} z {color:blue");
    EXPECT_EQ(sheet.Rules().size(), 1u);
    EXPECT_NE(sheet.GetStyle(u"x"), nullptr);
    sheet.SetStyleSheet(u"{{{}}} ... ");
    EXPECT_TRUE(sheet.Rules().empty());
}

TEST(HtmlWrap, WrapTextCases) {
    // Every character is 10 pixels wide.
    HtmlMeasure measure = [](const char16_t*, size_t n) { return (int)n * 10; };
    struct { const char16_t* text; int line; int space; const char16_t* piece; const char16_t* rest; int width; } cases[] = {
        {u"hello world again", 200, 120, u"hello world", u"again", 110},
        {u"hello world", 200, 40, u"", u"hello world", 0},        // the word moves to the next line
        {u"abcdefg", 40, 40, u"abcd", u"efg", 40},                // a word wider than an empty line is cut
        {u"abcdefg", 5, 5, u"a", u"bcdefg", 10},                  // at least one character
        {u"well-known fact", 200, 60, u"well-", u"known fact", 50},
        {u"a  b", 200, 15, u"a", u"b", 10},
    };
    for (const auto& c : cases) {
        HtmlString text = c.text;
        int width = c.space;
        EXPECT_EQ(WrapText(text, c.line, width, measure), HtmlString(c.piece));
        EXPECT_EQ(text, HtmlString(c.rest));
        EXPECT_EQ(width, c.width);
    }
}
