// The renderer's text services: preparation, entities, attributes, colours and addresses.
#include <gtest/gtest.h>

#include "preview/html/html_text.h"

namespace {

struct TextCase {
    const char16_t* in;
    const char16_t* out;
};

class DecodeEntitiesTest : public testing::TestWithParam<TextCase> {};

TEST_P(DecodeEntitiesTest, DecodesOnePassAndBoundsNumbers)
{
    HtmlText text = GetParam().in;
    EXPECT_EQ(DecodeEntities(text), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(Cases, DecodeEntitiesTest,
                         testing::Values(TextCase{u"&amp;lt;", u"&lt;"}, TextCase{u"&#65;x", u"Ax"},
                                         TextCase{u"&#65 x", u"Ax"}, TextCase{u"&eacute;&Eacute;", u"\u00E9\u00C9"},
                                         TextCase{u"&ndash;&euro;", u"-\u20AC"},
                                         // NUL and numbers beyond Unicode must not cut or corrupt the text.
                                         TextCase{u"a&#0;b", u"a\uFFFDb"}, TextCase{u"&#1114112;", u"\uFFFD"},
                                         TextCase{u"&#128512;", u"\U0001F600"}, TextCase{u"&#x41;", u"A"},
                                         // A number at the very end of the text, and no number at all.
                                         TextCase{u"&#66", u"B"}, TextCase{u"&#", u"&#"}, TextCase{u"&#;", u"&#;"}));

TEST(HtmlTextTest, DecodeUtf8PairsRepairsLatin1Letters)
{
    HtmlText text = u"caf\u00C3\u00A9 \u00C2\u00A0";
    EXPECT_EQ(DecodeUtf8Pairs(text), u"caf\u00E9 \u00A0");
}

TEST(HtmlTextTest, ParseAttributesReadsQuotedBareAndValuelessNames)
{
    HtmlAttributes list;
    ParseAttributes(u"<td colspan=2 align='center' nowrap title=\"a b\">rest", list);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].name, u"colspan");
    EXPECT_EQ(list[0].value, u"2");
    EXPECT_EQ(list[1].value, u"center");
    EXPECT_EQ(list[2].name, u"nowrap");
    EXPECT_FALSE(list[2].hasValue);
    EXPECT_EQ(list[3].value, u"a b");
    EXPECT_EQ(*FindAttribute(list, u"ALIGN"), u"center");
    // A stray "=" or an unterminated quote ends cleanly.
    ParseAttributes(u"<a = 'x", list);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].value, u"x");
}

TEST(HtmlTextTest, ParseColorReadsNamesAndHex)
{
    EXPECT_EQ(ParseColor(u"#1E90FF"), 0xFF901Eu);
    EXPECT_EQ(ParseColor(u"dodgerblue"), 0xFF901Eu);
    EXPECT_EQ(ParseColor(u"DodgerBlue"), 0xFF901Eu);
    EXPECT_EQ(ParseColor(u"#ff"), 0x0000FFu);
    EXPECT_EQ(ParseColor(u""), 0u);
}

TEST(HtmlTextTest, PrepareKeepsKnownTagsAndCollapsesBlanks)
{
    PreparedHtml p = PrepareHtml(u"<html><head><title> My &amp; page\n</title><script>x<y</script>"
                                 u"<style>p{}</style></head><body bgcolor=Yellow><!-- c -->"
                                 u"<b>one</b>  \r\n  two <span class=x>three</span><pre>a\n  b</pre>",
                                 u"file:///tmp/p.html");
    EXPECT_TRUE(p.hasTitle);
    EXPECT_EQ(p.title, u"My & page");
    EXPECT_TRUE(p.hasBackground);
    EXPECT_EQ(p.background, 0x00FFFFu);
    EXPECT_EQ(p.text, u"<b>one</b> two three<pre>a\n  b</pre>");
    PreparedHtml plain = PrepareHtml(u"a\n  b", u"file:///x/readme.TXT");
    EXPECT_TRUE(plain.fixedPitch);
    EXPECT_EQ(plain.text, u"a\n  b");
    // An unterminated title reads to the end of the text and no further.
    EXPECT_EQ(PrepareHtml(u"<title", u"").title, u"");
}

struct UrlCase {
    const char16_t* reference;
    const char16_t* base;
    const char16_t* result;
};

class ResolveUrlTest : public testing::TestWithParam<UrlCase> {};

TEST_P(ResolveUrlTest, Resolves)
{
    EXPECT_EQ(ResolveUrl(GetParam().reference, GetParam().base), GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ResolveUrlTest,
    testing::Values(UrlCase{u"../img/a.gif", u"http://h/x/y/p.htm", u"http://h/x/img/a.gif"},
                    UrlCase{u"/a.gif", u"http://h/x/y/p.htm", u"http://h/a.gif"},
                    UrlCase{u"q.htm?k=1", u"http://h/x/y/p.htm", u"http://h/x/y/q.htm?k=1"},
                    UrlCase{u"b.gif", u"file://C:/d/p.htm", u"file://C:\\d\\b.gif"},
                    UrlCase{u"i/b.gif", u"file:///tmp/d/p.html", u"file://\\tmp\\d\\i\\b.gif"},
                    UrlCase{u"http://o/z", u"http://h/x", u"http://o/z"},
                    UrlCase{u"../../../../a", u"http://h/x/p", u"http://h/a"}));

TEST(HtmlTextTest, OverlongAddressesAreRefused)
{
    HtmlText longRef(5000, u'x');
    EXPECT_TRUE(ResolveUrl(longRef, u"http://h/p.htm").empty());
    EXPECT_TRUE(ResolveUrl(u"http://" + longRef, u"").empty());
    EXPECT_TRUE(ResolveUrl(u"a", u"http://h/" + longRef + u"/p.htm").empty());
}

TEST(HtmlTextTest, UrlEncodeKeepsAlphanumerics)
{
    EXPECT_EQ(UrlEncode(u"a b&c"), u"a+b%26c");
    EXPECT_EQ(UrlEncode(u"\u00E9\u4E2D"), u"%e9%e4%b8%ad");
}

} // namespace
