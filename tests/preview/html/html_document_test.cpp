// Element building and layout of the own HTML renderer, measured by a fixed-width font.
#include <gtest/gtest.h>

#include <functional>

#include "preview/html/html_document.h"

namespace {

// Every character is 8 pixels wide and the size high: positions can be worked out by hand.
class FixedOwner : public IHtmlOwner {
public:
    void MeasureText(HtmlView, int size, bool, bool, HtmlView text, int& cx, int& cy) override
    {
        cx = int(text.size()) * 8;
        cy = size;
    }
    int AddImage(const HtmlText& address, int tag) override
    {
        for (size_t i = 0; i < images.size(); ++i)
            if (images[i] == address && tags[i] == tag)
                return int(i);
        images.push_back(address);
        tags.push_back(tag);
        return int(images.size() - 1);
    }
    uintptr_t CreateEditControl(bool, int limit, int width, int height, const HtmlText&, bool, const HtmlText&,
                                int, bool) override
    {
        edits.push_back({limit, width, height});
        return edits.size();
    }
    std::vector<HtmlText> images;
    std::vector<int> tags;
    struct Edit {
        int limit, width, height;
    };
    std::vector<Edit> edits;
};

// All elements of a tree, depth first, with their depth.
void Walk(const HtmlElements& list, const std::function<void(const HtmlElement&, int)>& f, int depth = 0)
{
    for (const auto& e : list) {
        f(*e, depth);
        Walk(e->children, f, depth + 1);
    }
}

std::vector<const HtmlElement*> Words(const HtmlDocument& doc)
{
    std::vector<const HtmlElement*> words;
    Walk(doc.m_elements, [&](const HtmlElement& e, int) {
        if (e.kind == kHtmlText && !e.IsBlank())
            words.push_back(&e);
    });
    return words;
}

class HtmlDocumentTest : public testing::Test {
protected:
    FixedOwner owner;
    HtmlDocument doc{&owner};
    void Load(HtmlView page) { doc.LoadHtml(page, u"Arial", 15, 0, u"http://h/x/p.html"); }
};

TEST_F(HtmlDocumentTest, InlineStylesSetSizesLinksAndFaces)
{
    Load(u"<font size=+2>a</font> <font size=3>b</font> <small>c</small> <big>d</big> <h1>e</h1>"
         u"<a href=q.html>f g</a> <a href=Q.HTML>h</a> <font face=\"Verdana Extra Long Face Name Beyond Limit,Arial\">i</font>");
    auto w = Words(doc);
    ASSERT_EQ(w.size(), 9u);
    int sizes[] = {17, 20, 10, 20, 30};
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(w[k]->fontSize, sizes[k]) << k;
    EXPECT_EQ(w[5]->linkIndex, 0);
    EXPECT_EQ(w[6]->linkIndex, 0);
    EXPECT_EQ(w[7]->linkIndex, 0);  // the same address without regard to case
    EXPECT_EQ(w[5]->frameSides, 8);
    EXPECT_EQ(w[5]->textColor, 0xFF0000u);
    ASSERT_EQ(doc.m_links.size(), 1u);
    EXPECT_EQ(doc.m_links[0], u"http://h/x/q.html");
    EXPECT_EQ(w[8]->face.size(), kMaxFaceLength);
}

TEST_F(HtmlDocumentTest, HostileAttributeValuesAreClamped)
{
    Load(u"<input size=1000000000 maxlength=99999999999><textarea cols=1000000000 rows=7>x</textarea>"
         u"<font size=1000000000>big</font><table><tr><td colspan=5000>c</td></tr></table>");
    ASSERT_EQ(owner.edits.size(), 2u);
    EXPECT_EQ(owner.edits[0].limit, kMaxFieldChars);
    EXPECT_EQ(owner.edits[0].width, kMaxFieldChars * 8 + 8);
    EXPECT_EQ(owner.edits[1].width, kMaxTextAreaCells * 8 + 4);
    EXPECT_EQ(owner.edits[1].height, 7 * 15 + 4);
    int widest = 0, biggestFont = 0, span = 0;
    Walk(doc.m_elements, [&](const HtmlElement& e, int) {
        widest = std::max(widest, e.width);
        biggestFont = std::max(biggestFont, e.fontSize);
        if (e.blockKind == kBlockCell)
            span = e.colSpan;
    });
    EXPECT_LE(widest, kMaxFieldChars * 8 + 8);
    EXPECT_EQ(biggestFont, kMaxFontSize);
    EXPECT_EQ(span, kMaxSpan);
    auto [width, height] = doc.Layout(800);
    EXPECT_GT(width, 0);
    EXPECT_GT(height, 0);
}

TEST_F(HtmlDocumentTest, DeepNestingIsCappedAndImagesShareRequests)
{
    HtmlText page;
    for (int i = 0; i < 20000; ++i)
        page += u"<blockquote><div align=center>";
    page += u"deep<img src=a.gif><img src=a.gif><img src=b.gif>";
    Load(page);
    int deepest = 0;
    Walk(doc.m_elements, [&](const HtmlElement&, int depth) { deepest = std::max(deepest, depth); });
    EXPECT_LE(deepest, kMaxNestingDepth + 1);
    EXPECT_EQ(owner.images.size(), 2u);
    doc.Layout(640);
}

TEST_F(HtmlDocumentTest, ImagesPerPageAreCapped)
{
    HtmlText page;
    for (int i = 0; i < kMaxImagesPerPage + 50; ++i)
        page += u"<img src=i" + HtmlText(1, char16_t(u'a' + i % 26)) + HtmlText(i / 26 + 1, u'x') + u".gif>";
    Load(page);
    EXPECT_EQ(int(owner.images.size()), kMaxImagesPerPage);
    auto [width, height] = doc.Layout(640);
    EXPECT_GE(height, kPlaceholderHeight);  // unloaded images hold the placeholder's room
}

TEST_F(HtmlDocumentTest, LinesWrapAlignAndShareTheBottom)
{
    // Each word is 8 pixels per character; the window is 100 wide (98 available).
    Load(u"<p align=center>aaaa <font size=30>bb</font></p>cccccccccccccccccccc dd");
    auto [width, height] = doc.Layout(100);
    auto w = Words(doc);
    ASSERT_EQ(w.size(), 4u);
    // "aaaa bb" is 32 + 8 + 16 = 56 wide: centred by (98 - 56) / 2.
    EXPECT_EQ(w[0]->x, 21);
    EXPECT_EQ(w[0]->y + w[0]->height, w[1]->y + w[1]->height);
    // A word wider than the window stays on its line and widens the page.
    EXPECT_EQ(w[2]->x, 0);
    EXPECT_EQ(width, 160);
    EXPECT_GT(w[3]->y, w[2]->y);
}

TEST_F(HtmlDocumentTest, JustifyOnlyOfBlanksEnds)
{
    // Every element from the third on is a blank: nothing may move, and the line must still end.
    Load(u"<p align=justify>a b&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp; c d e f g h i j k l m n o p q</p>");
    doc.Layout(120);
    auto w = Words(doc);
    ASSERT_FALSE(w.empty());
    // Justified full lines end at the right edge.
    const HtmlElement* first = w[0];
    int lineRight = 0;
    for (const HtmlElement* e : w)
        if (e->y == first->y)
            lineRight = std::max(lineRight, e->x + e->width);
    EXPECT_EQ(lineRight, 118);
}

TEST_F(HtmlDocumentTest, TableColumnsFitSpanningCells)
{
    // Two 100-pixel columns under a cell that needs 300: both widen to 150.
    Load(u"<table cellpadding=0 cellspacing=0><tr><td width=100>a</td><td width=100>b</td></tr>"
         u"<tr><td colspan=2><img src=x.gif width=300 height=5></td></tr></table>");
    doc.Layout(1000);
    std::vector<const HtmlElement*> cells;
    Walk(doc.m_elements, [&](const HtmlElement& e, int) {
        if (e.blockKind == kBlockCell)
            cells.push_back(&e);
    });
    ASSERT_EQ(cells.size(), 3u);
    EXPECT_EQ(cells[0]->width, 150);
    EXPECT_EQ(cells[1]->width, 150);
    EXPECT_EQ(cells[1]->x, cells[0]->x + 150);
    EXPECT_EQ(cells[2]->width, 300);
    EXPECT_GT(cells[2]->y, cells[0]->y);
}

TEST_F(HtmlDocumentTest, ListsNumberTheirItems)
{
    Load(u"<ol><li>one<li>two</ol><ul><li>x</ul>");
    std::vector<HtmlText> texts;
    Walk(doc.m_elements, [&](const HtmlElement& e, int) {
        if (e.kind == kHtmlText && !e.IsBlank())
            texts.push_back(e.text);
    });
    std::vector<HtmlText> expected = {u"   1.    ", u"one", u"   2.    ", u"two", u" l ", u"x"};
    EXPECT_EQ(texts, expected);
}

} // namespace
