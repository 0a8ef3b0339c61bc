// The rich-text reader: text and paragraphs, code-page bytes and Unicode escapes, formatting runs, and
// hostile files (deep nesting, endless control words, cut at every byte).
#include "backend/rtf/rtf_reader.h"

#include <gtest/gtest.h>

using namespace backend;

namespace {

std::u16string Text(const std::string& rtf)
{
    RtfDocument doc;
    EXPECT_TRUE(ReadRtf(rtf.data(), rtf.size(), doc)) << rtf;
    return doc.PlainText();
}

TEST(RtfReader, TextOfTheDocument)
{
    struct {
        std::string rtf;
        std::u16string text;
    } cases[] = {
        {"{\\rtf1\\ansi Hello\\par World}", u"Hello\r\nWorld"},
        // Tables of fonts and colours, pictures, objects and starred destinations hold no text.
        {"{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}{\\*\\generator x;}"
         "{\\pict\\pngblip 89504e47}{\\object{\\*\\objdata 0102}}A\\tab B}",
         u"A\tB"},
        {"{\\rtf1 a\\{b\\}c\\\\d\\line e\\~f}", u"a{b}c\\d\r\ne\u00A0f"},
        // \'hh bytes are read in the document's code page, or in the code page of the font's character set.
        {"{\\rtf1\\ansi\\ansicpg1252 caf\\'e9}", u"café"},
        {"{\\rtf1\\ansi\\ansicpg936 \\'d6\\'d0\\'ce\\'c4}", u"中文"},
        {"{\\rtf1{\\fonttbl{\\f1\\fcharset134 SimSun;}}\\f1 \\'d6\\'d0}", u"中"},
        // \uN with its stand-in characters skipped, negative values wrapping to the upper half.
        {"{\\rtf1\\uc1 \\u20013?\\u25991?x\\u-3913?}", u"中文x\uF0B7"},
        {"{\\rtf1\\uc2 \\u20013\\'3f\\'3fz}", u"中z"},
        {"{\\rtf1 {\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt link}}}", u"link"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Text(c.rtf), c.text) << c.rtf;
    RtfDocument doc;
    EXPECT_FALSE(ReadRtf("plain text", 10, doc));
    EXPECT_FALSE(ReadRtf("", 0, doc));
}

TEST(RtfReader, RunsCarryTheirFormatting)
{
    const std::string rtf = "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}{\\colortbl;\\red255\\green0\\blue0;"
                            "\\red0\\green0\\blue255;}plain {\\b bold {\\i both}} \\ul under\\ulnone  "
                            "{\\f1\\fs40\\cf2 big}}";
    RtfDocument doc;
    ASSERT_TRUE(ReadRtf(rtf.data(), rtf.size(), doc));
    ASSERT_EQ(doc.fonts.size(), 2u);
    EXPECT_EQ(doc.fonts[1], u"Courier New");
    ASSERT_EQ(doc.colours.size(), 3u);
    EXPECT_EQ(doc.colours[1], 0x0000FFu);
    EXPECT_EQ(doc.colours[2], 0xFF0000u);
    ASSERT_EQ(doc.runs.size(), 7u);
    EXPECT_EQ(doc.runs[0].text, u"plain ");
    EXPECT_TRUE(doc.runs[1].bold && !doc.runs[1].italic);
    EXPECT_TRUE(doc.runs[2].bold && doc.runs[2].italic);
    EXPECT_EQ(doc.runs[2].text, u"both");
    EXPECT_FALSE(doc.runs[3].bold);
    EXPECT_TRUE(doc.runs[4].underline);
    EXPECT_EQ(doc.runs[4].text, u"under");
    EXPECT_EQ(doc.runs[6].text, u"big");
    EXPECT_EQ(doc.runs[6].font, 1);
    EXPECT_EQ(doc.runs[6].halfPoints, 40);
    EXPECT_EQ(doc.runs[6].colour, 2);
}

TEST(RtfReader, HostileDocumentsAreBounded)
{
    // Nesting far past the bound: the deep content is dropped, the text around it kept.
    std::string deep = "{\\rtf1 a" + std::string(100000, '{') + "hidden" + std::string(100000, '}') + "b}";
    EXPECT_EQ(Text(deep), u"ab");
    // A control word of a million letters and a parameter of a hundred digits.
    EXPECT_EQ(Text("{\\rtf1 \\" + std::string(1000000, 'x') + " y\\fs" + std::string(100, '9') + " z}"), u"yz");
    // Unbalanced braces, a dangling backslash and escape, a colour table without its terminator.
    for (std::string bad : {"{\\rtf1 }}}}x", "{\\rtf1 a\\", "{\\rtf1 a\\'", "{\\rtf1{\\colortbl\\red9"})
        Text(bad);
    // Every cut of a rich document reads without a fault.
    const std::string full = "{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fcharset134 \\'cb\\'ce;}}{\\colortbl;\\red1;}"
                             "\\uc1\\u20013?{\\b\\'d6\\'d0}\\par{\\*\\x y}{\\pict 00}end}";
    for (size_t n = 5; n <= full.size(); ++n) {
        RtfDocument doc;
        EXPECT_TRUE(ReadRtf(full.data(), n, doc));
    }
}

} // namespace
