// The tab painter's layout: size to fit, multiple rows, stacked bars, header and client
// rectangles by position, tab measuring and the ellipsis text.
#include <gtest/gtest.h>

#include "tab_test_strip.h"
#include "toolkit/base/draw_helpers.h"

#include <vector>

namespace {

using tabtest::Strip;

std::vector<int> Widths(const CTKPTabStrip& strip)
{
    std::vector<int> out;
    for (int i = 0; i < strip.GetItemCount(); ++i)
        out.push_back(strip.GetItem(i)->m_nWidth);
    return out;
}

using tabtest::Canvas;

TEST(TabPainterLayout, SizeToFitLevelsTheWidestTabsFirst) {
    const struct {
        std::vector<int> widths;
        int length;
        std::vector<int> expected;
    } cases[] = {
        {{100, 80, 60}, 180, {60, 60, 60}},
        {{100, 40}, 120, {80, 40}},
        {{40, 100, 40}, 150, {40, 70, 40}},
        {{50, 50, 50}, 120, {40, 40, 40}},
        {{300}, 100, {100}},
        {{30, 30}, 100, {30, 30}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        CTKPTabPainter painter;
        tabtest::UseFixedWidths(painter);
        painter.SetLayout(TKP_TABLAYOUT_SIZETOFIT);
        // Style 0 takes 2 + 6 pixels of margin off the row.
        Strip strip(&painter, CRect(0, 0, c.length + 8, 60));
        strip.AddTabs(int(c.widths.size()));
        int i = 0;
        for (int w : c.widths)
            strip.GetItem(i++)->m_dwSpare = DWORD_PTR(w);
        strip.Reposition();
        EXPECT_EQ(Widths(strip), c.expected);
        EXPECT_FALSE(strip.GetNavigateButton(TKP_TABNAV_FORWARD)->IsShown());
        // Full widths keep the measure, so the painter knows which captions are cut.
        EXPECT_EQ(strip.GetItem(0)->m_nFullWidth, c.widths[0]);
    }
}

class MultiRowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tabtest::UseFixedWidths(painter);
        painter.SetLayout(TKP_TABLAYOUT_MULTIROW);
    }
    // The row length is the width less 1 at the far end and the 2 + 6 pixels of margin.
    CTKPTabPainter painter;
    Strip strip{&painter, CRect(0, 0, 129, 100)};
};

TEST_F(MultiRowTest, EvenRowsAreBalancedAndStretched) {
    strip.AddTabs(4);
    tabtest::SetWidths(strip, {50, 50, 50, 50});
    ASSERT_EQ(strip.GetRows().GetCount(), 2);
    EXPECT_EQ(Widths(strip), (std::vector<int>{60, 60, 60, 60}));
    EXPECT_EQ(strip.GetItem(0)->GetRect().left, 2);
    EXPECT_EQ(strip.GetItem(1)->GetRect().right, 122);
    // Row 0 lies next to the client area, below row 1.
    EXPECT_EQ(strip.GetItem(0)->m_nRow, 0);
    EXPECT_EQ(strip.GetItem(2)->m_nRow, 1);
    EXPECT_GT(strip.GetItem(0)->GetRect().top, strip.GetItem(2)->GetRect().top);
    const int h = painter.GetRowHeight(&strip);
    EXPECT_EQ(strip.GetItem(0)->GetRect().top - strip.GetItem(2)->GetRect().top, h - 2);
    EXPECT_EQ(strip.m_rcHeader.Height(), 2 * h - 2 + 3);
    EXPECT_EQ(strip.m_rcClient.top, strip.m_rcHeader.bottom - 1);
    EXPECT_FALSE(strip.GetNavigateButton(TKP_TABNAV_FORWARD)->IsShown());
}

TEST_F(MultiRowTest, OneRowNeedsNeitherStretchNorScrolling) {
    strip.AddTabs(2);
    strip.m_nScrollOffset = -40;
    tabtest::SetWidths(strip, {50, 40});
    EXPECT_EQ(strip.GetRows().GetCount(), 1);
    EXPECT_EQ(strip.GetScrollOffset(), 0);
    EXPECT_EQ(Widths(strip), (std::vector<int>{50, 40}));
    EXPECT_EQ(strip.GetItem(0)->GetRect().left, 2);
    EXPECT_FALSE(strip.GetNavigateButton(TKP_TABNAV_BACK)->IsShown());
}

TEST_F(MultiRowTest, TheSelectedRowMovesNextToTheClientUnlessTheOrderIsKept) {
    strip.AddTabs(6);
    tabtest::SetWidths(strip, {50, 50, 50, 50, 50, 50});
    ASSERT_EQ(strip.GetRows().GetCount(), 3);
    strip.SetCurSel(5);
    const int bottomRowTop = strip.GetItem(5)->GetRect().top;
    EXPECT_EQ(strip.GetItem(5)->m_nRow, 0);
    EXPECT_GT(bottomRowTop, strip.GetItem(0)->GetRect().top);
    EXPECT_GT(bottomRowTop, strip.GetItem(2)->GetRect().top);

    painter.m_bKeepRowOrder = TRUE;
    strip.Reposition();
    EXPECT_EQ(strip.GetItem(0)->m_nRow, 0);
    EXPECT_LT(strip.GetItem(5)->GetRect().top, strip.GetItem(0)->GetRect().top);
}

TEST_F(MultiRowTest, UnevenRowsFillGreedilyAndATooWideTabTakesARowOfItsOwn) {
    painter.m_bEvenRows = FALSE;
    strip.AddTabs(4);
    tabtest::SetWidths(strip, {50, 50, 200, 30});
    ASSERT_EQ(strip.GetRows().GetCount(), 3);
    EXPECT_EQ(Widths(strip), (std::vector<int>{50, 50, 200, 30}));
    EXPECT_EQ(strip.GetItem(1)->m_nRow, strip.GetItem(0)->m_nRow);
    EXPECT_NE(strip.GetItem(2)->m_nRow, strip.GetItem(3)->m_nRow);
}

TEST(TabPainterLayout, StackedBarsLeaveTheClientBetweenThem) {
    CTKPTabPainter painter;
    painter.SetTabShapeStyle(8);
    Strip strip(&painter, CRect(0, 0, 200, 200));
    strip.AddTabs(3);
    strip.SetCurSel(0);
    const int h = painter.GetRowHeight(&strip);
    EXPECT_EQ(strip.GetItem(0)->GetRect(), CRect(1, 1, 200, 1 + h));
    EXPECT_EQ(strip.GetItem(1)->GetRect(), CRect(1, 200 - 2 * h, 200, 200 - h));
    EXPECT_EQ(strip.GetItem(2)->GetRect(), CRect(1, 200 - h, 200, 200));
    EXPECT_TRUE(strip.m_rcHeader.IsRectEmpty());
    EXPECT_EQ(strip.m_rcClient, CRect(1, 1 + h, 199, 200 - 2 * h));

    // With the last one selected the client ends one pixel above the frame.
    strip.SetCurSel(2);
    EXPECT_EQ(strip.GetItem(2)->GetRect().top, 1 + 2 * h);
    EXPECT_EQ(strip.m_rcClient, CRect(1, 1 + 3 * h, 199, 199));
}

TEST(TabPainterLayout, HeaderAndClientTurnWithThePosition) {
    for (int position = 0; position < 4; ++position) {
        SCOPED_TRACE(position);
        CTKPTabPainter painter;
        painter.SetPosition(position);
        painter.m_rcClientMargin = CRect(1, 2, 3, 4);
        Strip strip(&painter, CRect(0, 0, 200, 100));
        strip.AddTabs(2);
        // The header is one row plus the top margin of 3 deep; client margins are given for top
        // tabs, (1, 2, 3, 4), and turned by position.
        const int d = painter.GetRowHeight(&strip) + 3;
        const CRect header = strip.m_rcHeader, client = strip.m_rcClient;
        switch (position) {
        case TKP_TABPOS_TOP:
            EXPECT_EQ(header.bottom, d);
            EXPECT_EQ(client, CRect(1, d - 1 + 2, 197, 96));
            EXPECT_EQ(strip.GetItem(0)->GetRect().top, 3);
            break;
        case TKP_TABPOS_LEFT:
            EXPECT_EQ(header.right, d);
            EXPECT_EQ(client, CRect(d - 1 + 2, 1, 196, 97));
            EXPECT_EQ(strip.GetItem(0)->GetRect().left, 3);
            break;
        case TKP_TABPOS_BOTTOM:
            EXPECT_EQ(header.top, 100 - d);
            EXPECT_EQ(client, CRect(1, 4, 197, 100 - d + 1 - 2));
            EXPECT_EQ(strip.GetItem(0)->GetRect().bottom, 97);
            break;
        default:
            EXPECT_EQ(header.left, 200 - d);
            EXPECT_EQ(client, CRect(4, 1, 200 - d + 1 - 2, 97));
            EXPECT_EQ(strip.GetItem(0)->GetRect().right, 197);
            break;
        }
        // A strip without tabs keeps its whole rectangle as client.
        Strip empty(&painter, CRect(0, 0, 200, 100));
        empty.Reposition();
        EXPECT_EQ(empty.m_rcClient, CRect(0, 0, 200, 100));
    }
}

TEST(TabPainterLayout, TabsMeasureByLayoutWithinTheirBounds) {
    CTKPTabPainter painter;
    Strip strip(&painter);
    strip.AddTabs(2);
    strip.GetItem(0)->SetCaption(u"a much longer caption");
    strip.SetCurSel(0);
    painter.m_rcButtonMargin = CRect(3, 0, 4, 0);

    Canvas dc(10, 10);
    CTKPSelectFont font(dc.m_hDC, painter.m_fntNormal);
    const int captionWidth = dc.GetTextExtent(CString(u"a much longer caption")).cx;
    const struct {
        int layout;
        CSize minSize, maxSize;
        int selected, other;
    } cases[] = {
        {TKP_TABLAYOUT_AUTOSIZE, {0, 0}, {0, 0}, captionWidth + 12 + 7, -1},
        {TKP_TABLAYOUT_FIXED, {0, 0}, {0, 0}, 70 + 7, 70 + 7},
        {TKP_TABLAYOUT_COMPRESSED, {0, 0}, {0, 0}, captionWidth + 12 + 7, 8 + 7},
        {TKP_TABLAYOUT_FIXED, {90, 0}, {0, 0}, 90, 90},
        {TKP_TABLAYOUT_AUTOSIZE, {0, 0}, {40, 0}, 40, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.layout);
        strip.m_szTabMin = c.minSize;
        strip.m_szTabMax = c.maxSize;
        painter.SetLayout(c.layout);
        EXPECT_EQ(strip.GetItem(0)->m_nWidth, c.selected);
        if (c.other >= 0) {
            EXPECT_EQ(strip.GetItem(1)->m_nWidth, c.other);
        }
    }
    // The row is at least as high as the tab size asks.
    strip.m_szTab = CSize(70, 40);
    EXPECT_EQ(painter.GetRowHeight(&strip), 40);
}

TEST(TabPainterLayout, BoldSelectedCaptionsOnlyWhileTheStripIsActive) {
    CTKPTabPainter painter;
    painter.m_bBoldSelected = TRUE;
    Strip strip(&painter);
    strip.AddTabs(2);
    strip.SetCurSel(0);
    EXPECT_EQ(painter.GetItemFont(strip.GetItem(0)), &painter.m_fntBold);
    EXPECT_EQ(painter.GetItemFont(strip.GetItem(1)), &painter.m_fntNormal);
    strip.m_bActive = FALSE;
    EXPECT_EQ(painter.GetItemFont(strip.GetItem(0)), &painter.m_fntNormal);
    painter.SetPosition(TKP_TABPOS_RIGHT);
    EXPECT_EQ(painter.GetItemFont(strip.GetItem(0)), &painter.m_fntVertNormal);
    LOGFONTW lf{};
    ::GetObjectW(painter.m_fntVertNormal, sizeof(lf), &lf);
    EXPECT_EQ(lf.lfEscapement, 2700);
}

// ---- Ellipsis ----------------------------------------------------------------------------------
class EllipsisTest : public ::testing::Test {
protected:
    EllipsisTest() : font(::CreateFontW(-12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, u"Arial"))
    {
        a.SelectObject(font);
        b.SelectObject(font);
    }
    ~EllipsisTest() override { ::DeleteObject(font); }
    // What the painter draws against what DrawText draws of the expected text.
    void ExpectDrawn(const CString& text, int width, const CString& expected, UINT extra = 0)
    {
        a.Clear();
        b.Clear();
        CRect rc(0, 0, width, 20);
        const UINT format = DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP;
        painter.DrawTextEllipsis(&a, text, rc, format);
        b.DrawText(expected, rc, format | extra);
        EXPECT_EQ(a.Pixels(), b.Pixels()) << "expected " << CStringA(expected).GetString();
    }
    int Width(const CString& s) { return a.GetTextExtent(s).cx; }

    CTKPTabPainter painter;
    HFONT font;
    Canvas a{200, 20}, b{200, 20};
};

TEST_F(EllipsisTest, ShortNarrowAndPathTexts) {
    ExpectDrawn(u"fits", 100, u"fits");
    ExpectDrawn(u"anything at all", Width(u"...") - 1, u"...");
    ExpectDrawn(u"anything at all", Width(u"..."), u"...");
    // A path is shortened by the path ellipsis, not cut in the middle.
    const CString path(u"C:\\Documents\\Projects\\Reports\\summary.txt");
    ExpectDrawn(path, 120, path, DT_PATH_ELLIPSIS);
}

TEST_F(EllipsisTest, MiddleCutKeepsTheMostOfBothEnds) {
    const CString text(u"The quick brown fox jumps over the lazy dog");
    for (int width : {60, 90, 150}) {
        SCOPED_TRACE(width);
        const int room = width - Width(u"...");
        // The longest head and tail (head one longer on odd counts) that fit the room.
        CString expected;
        for (int n = text.GetLength(); n >= 0; --n) {
            const CString head = text.Left(n - n / 2), tail = text.Right(n / 2);
            if (Width(head) + Width(tail) <= room) {
                expected = head + u"..." + tail;
                break;
            }
        }
        ExpectDrawn(text, width, expected);
    }
}

TEST_F(EllipsisTest, HalvesNarrowerThanTheWholeTextStopAtTheWholeText) {
    // With prefixes on, each half of "&&&&&&" loses an ampersand that the whole keeps, so the
    // halves stay narrower than the room even when they take every character: the cut then
    // keeps all of them once instead of growing past the text.
    HFONT serif = ::CreateFontW(-26, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, u"Times New Roman");
    a.SelectObject(serif);
    b.SelectObject(serif);
    const CString text(u"&&&&&&");
    const int whole = a.GetTextExtent(CString(u"&&&")).cx, halves = 2 * a.GetTextExtent(CString(u"&")).cx;
    const int width = whole - 1, room = width - a.GetTextExtent(CString(u"...")).cx;
    if (halves < room) {
        a.Clear();
        b.Clear();
        const CRect rc(0, 0, width, 20);
        painter.DrawTextEllipsis(&a, text, rc, DT_SINGLELINE);
        b.DrawText(CString(u"&&&...&&&"), const_cast<CRect*>(&rc), DT_SINGLELINE);
        EXPECT_EQ(a.Pixels(), b.Pixels());
    }
    a.SelectObject(font);
    b.SelectObject(font);
    ::DeleteObject(serif);
    if (halves >= room)
        GTEST_SKIP() << "no installed serif face with an ampersand wider than an ellipsis";
}

} // namespace
