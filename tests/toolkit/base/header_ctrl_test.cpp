// Tests of the toolkit header: the looks of its themes, the sort arrow and text placement, hot
// tracking on the clock, the column menu and its commands, frozen columns and fitting the columns.
#include <gtest/gtest.h>

#include "afx/window_dc.h"
#include "backend/headless/driver.h"
#include "controls/paint_probe.h"
#include "toolkit/base/color_table.h"
#include "toolkit/base/draw_helpers.h"
#include "toolkit/base/global_data.h"
#include "toolkit/base/header_ctrl.h"
#include "toolkit/base/resource_loader.h"
#include "test_windows.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

namespace {

// A list that records what its header tells it.
class RecordingList : public CListCtrl {
public:
    struct Click {
        int item, button;
        std::u16string text;
    };
    std::vector<Click> clicks;
    std::vector<UINT> commands;

    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override
    {
        auto* nm = reinterpret_cast<NMHEADERW*>(lParam);
        if (nm->hdr.code == HDN_ITEMCLICKW && nm->hdr.hwndFrom == ::GetDlgItem(m_hWnd, 0))
            clicks.push_back({nm->iItem, nm->iButton, nm->pitem && nm->pitem->pszText ? nm->pitem->pszText : u""});
        return CListCtrl::OnNotify(wParam, lParam, pResult);
    }
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        commands.push_back(LOWORD(wParam));
        return CListCtrl::OnCommand(wParam, lParam);
    }
};

class TestHeader : public CTKHeaderCtrl {
public:
    using CTKHeaderCtrl::CheckColumnMenu;
    using CTKHeaderCtrl::m_nMinColumnWidth;
};

// A theme that claims the system's visual style, so the header tracks the hot item, and that
// counts its paintings and the states its items are drawn in.
class TrackingTheme : public CTKHeaderCtrlTheme {
public:
    BOOL UsesVisualStyle(CTKHeaderCtrl*) override { return TRUE; }
    void DrawHeader(CDC* pDC, CTKHeaderCtrl* pHeader) override
    {
        ++paints;
        states.assign(3, 0);
        CTKHeaderCtrlTheme::DrawHeader(pDC, pHeader);
    }
    void DrawItemBorder(LPDRAWITEMSTRUCT lpDIS) override
    {
        if (lpDIS->itemID < states.size())
            states[lpDIS->itemID] = lpDIS->itemState;
        CTKHeaderCtrlTheme::DrawItemBorder(lpDIS);
    }
    int paints = 0;
    std::vector<UINT> states;
};

enum Shade { Face, Highlight, Shadow, DarkShadow, Soft60, Soft40, Soft25 };

COLORREF ShadeColor(Shade s)
{
    CTKPColorTable& t = GetColorTable();
    COLORREF face = t.GetColorByIndex(COLOR_3DFACE), shadow = t.GetColorByIndex(COLOR_3DSHADOW);
    auto toward = [&](int percent) {
        COLORREF c = face;
        BlendColorRef(c, shadow, percent);
        return c;
    };
    switch (s) {
    case Face: return face;
    case Highlight: return t.GetColorByIndex(COLOR_3DHILIGHT);
    case Shadow: return shadow;
    case DarkShadow: return t.GetColorByIndex(COLOR_3DDKSHADOW);
    case Soft60: return toward(60);
    case Soft40: return toward(40);
    case Soft25: return toward(25);
    }
    return 0;
}

class HeaderCtrlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        headless::UseVirtualClock();
        tktest::RegisterPlainWindowClass(u"TkHeaderParent");
        ASSERT_TRUE(m_parent.CreateEx(0, u"TkHeaderParent", u"p", WS_POPUP | WS_VISIBLE, 0, 0, 600, 300, nullptr,
                                      nullptr));
        ASSERT_TRUE(m_list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 400, 200), &m_parent, 7));
        m_list.InsertColumn(0, u"Name", LVCFMT_LEFT, 100);
        m_list.InsertColumn(1, u"Size", LVCFMT_LEFT, 80);
        m_list.InsertColumn(2, u"Date", LVCFMT_LEFT, 120);
    }
    void TearDown() override
    {
        headless::ClearModalAnswers();
        m_header.reset();
        m_parent.DestroyWindow();
    }
    template <class T = TestHeader> T& Attach()
    {
        auto* header = new T;
        m_header.reset(header);
        EXPECT_TRUE(header->SubclassWindow(::GetDlgItem(m_list, 0)));
        return *header;
    }
    int HeaderHeight()
    {
        CRect rc;
        m_header->GetClientRect(&rc);
        return rc.Height();
    }
    // Paints the header through its theme into a probe of its size.
    void Paint(PaintProbe& probe) { m_header->GetTheme()->DrawHeader(CDC::FromHandle(probe.dc()), m_header.get()); }
    SIZE TextExtent(LPCWSTR text)
    {
        CClientDC dc(m_header.get());
        HGDIOBJ old = SelectObject(dc, (HFONT)m_header->SendMessage(WM_GETFONT));
        SIZE size{};
        GetTextExtentPoint32W(dc, text, (int)std::char_traits<char16_t>::length(text), &size);
        SelectObject(dc, old);
        return size;
    }
    void RightClick(int x, std::function<void()> keys)
    {
        headless::ClearModalAnswers();
        headless::AdvanceClock(1000); // never a double click
        // The keys wait in the queue behind the click, for the loop of whichever menu it opens.
        headless::Click(*m_header, POINT{x, 5}, VK_RBUTTON);
        keys();
        headless::PumpUntilIdle();
    }

    CWnd m_parent;
    RecordingList m_list;
    std::unique_ptr<CTKHeaderCtrl> m_header;
};

} // namespace

TEST_F(HeaderCtrlTest, ThemesDrawTheirBackgroundAndItemBorders) {
    // y below 0 counts from the bottom of the header; items end at x 100, 180 and 300.
    struct Point {
        int x, y;
        Shade shade;
    };
    const struct {
        int themeId;
        std::vector<Point> points;
    } cases[] = {
        {0,
         {{0, 0, Highlight}, {1, 1, Face}, {50, -1, DarkShadow}, {50, -2, Shadow}, {98, 5, Shadow},
          {99, 0, DarkShadow}, {99, 5, DarkShadow}, {100, 5, Highlight}, {98, 0, Highlight}, {399, 5, Face}}},
        {1,
         {{0, 0, Highlight}, {1, 1, Face}, {50, -1, Shadow}, {50, -2, Face}, {98, 5, Shadow}, {99, 5, Highlight},
          {98, 1, Face}, {98, -2, Face}, {399, 5, Shadow}}},
        {2,
         {{0, 0, Highlight}, {50, -1, Soft60}, {50, -2, Soft40}, {50, -3, Soft25}, {50, -4, Face},
          {98, 5, Shadow}, {99, 5, Highlight}, {98, -4, Face}, {399, 5, Soft60}}},
        // Any other id is the classic look.
        {7, {{99, 5, DarkShadow}, {399, 5, Face}}},
    };
    CTKHeaderCtrl& header = Attach();
    CTKHeaderCtrlThemeFactory factory;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.themeId);
        auto* theme = static_cast<CTKHeaderCtrlTheme*>(factory.CreateTheme(c.themeId));
        ASSERT_NE(theme, nullptr);
        EXPECT_EQ(theme->m_nThemeId, c.themeId);
        header.SetTheme(theme);
        ASSERT_EQ(header.GetTheme(), theme);
        const int h = HeaderHeight();
        ASSERT_GT(h, 10);
        PaintProbe probe(400, h);
        Paint(probe);
        for (const Point& p : c.points) {
            const int y = p.y < 0 ? h + p.y : p.y;
            EXPECT_EQ(probe.At(p.x, y), ShadeColor(p.shade)) << "at " << p.x << "," << y;
        }
    }
}

TEST_F(HeaderCtrlTest, SortArrowIsAnOutlineBesideTheText) {
    const struct {
        BOOL ascending;
        int width;
        BOOL shown;
    } cases[] = {{TRUE, 100, TRUE}, {FALSE, 100, TRUE}, {TRUE, 100, FALSE}, {FALSE, 20, TRUE}};
    CTKHeaderCtrl& header = Attach<CTKFlatHeaderCtrl>();
    const SIZE text = TextExtent(u"Name");
    int previous = -1;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.ascending << " " << c.width << " " << c.shown);
        m_list.SetColumnWidth(0, c.width);
        header.ShowSortArrow(c.shown);
        EXPECT_EQ(header.HasSortArrow(), c.shown);
        EXPECT_EQ(header.SetSortImage(0, c.ascending), previous);
        previous = 0;
        const int h = HeaderHeight();
        PaintProbe probe(400, h);
        Paint(probe);
        const COLORREF face = ShadeColor(Face), light = ShadeColor(Highlight), dark = ShadeColor(Shadow);
        if (c.width < 40) {
            // Too narrow: the arrow would start left of the item, so the item shows nothing at all.
            for (int x = 1; x < c.width - 2; ++x)
                for (int y = 1; y < h - 1; ++y)
                    ASSERT_EQ(probe.At(x, y), face) << x << "," << y;
            continue;
        }
        const int top = (h - text.cy) / 2;
        const int x = 6 + text.cx + 10, y = top + (text.cy - 7) / 2 - 1;
        if (!c.shown) {
            EXPECT_EQ(probe.At(x + 4, y + 7), face);
            EXPECT_EQ(probe.At(x + 4, y), face);
            continue;
        }
        const int base = c.ascending ? y + 7 : y, apex = c.ascending ? y : y + 7;
        EXPECT_EQ(probe.At(x + 4, base), c.ascending ? light : dark);
        EXPECT_EQ(probe.At(x + 4, apex), light);
        EXPECT_EQ(probe.At(x, base), dark);
        EXPECT_EQ(probe.At(x + 4, (base + apex) / 2 + (c.ascending ? 1 : -1)), face) << "not filled";
    }
}

TEST_F(HeaderCtrlTest, TextFollowsTheColumnAlignment) {
    const struct {
        int format;
        const char* name;
    } cases[] = {{HDF_LEFT, "left"}, {HDF_RIGHT, "right"}, {HDF_CENTER, "centre"}};
    CTKHeaderCtrl& header = Attach<CTKFlatHeaderCtrl>();
    m_list.SetColumnWidth(1, 150); // spans 100 to 250
    const SIZE text = TextExtent(u"Size");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        item.fmt = c.format | HDF_STRING;
        ASSERT_TRUE(header.SetItem(1, &item));
        const int h = HeaderHeight();
        PaintProbe probe(400, h);
        Paint(probe);
        int first = -1;
        for (int x = 101; x < 247 && first < 0; ++x)
            for (int y = 2; y < h - 2; ++y)
                if (probe.At(x, y) != ShadeColor(Face)) {
                    first = x;
                    break;
                }
        const int expected = c.format == HDF_LEFT    ? 106
                             : c.format == HDF_RIGHT ? 250 - 6 - text.cx
                                                     : 106 + (138 - text.cx) / 2;
        EXPECT_NEAR(first, expected, 2);
    }
}

TEST_F(HeaderCtrlTest, HotTrackingFollowsTheCursorOnTheClock) {
    CTKHeaderCtrl& header = Attach();
    headless::PumpUntilIdle();
    // Without a visual style no timer runs.
    headless::MouseMove(header, POINT{150, 5});
    headless::PumpUntilIdle();
    EXPECT_FALSE(KillTimer(header, 1));

    auto* theme = new TrackingTheme;
    header.SetTheme(theme);
    headless::PumpUntilIdle();
    const struct {
        POINT at; // in the header; y past its height is outside
        int hot;
        int repaints;
    } steps[] = {{{150, 5}, 1, 1}, {{150, 5}, 1, 0}, {{160, 5}, 1, 0}, {{50, 5}, 0, 1}, {{50, 150}, -1, 1}};
    for (const auto& s : steps) {
        SCOPED_TRACE(testing::Message() << s.at.x << "," << s.at.y);
        headless::MouseMove(s.at.y < 100 ? HWND(header) : HWND(m_list), s.at);
        headless::PumpUntilIdle();
        const int before = theme->paints;
        headless::AdvanceClock(10);
        headless::PumpUntilIdle();
        EXPECT_EQ(header.GetHotItem(), s.hot);
        EXPECT_EQ(theme->paints - before, s.repaints);
        if (s.hot >= 0 && s.repaints) {
            EXPECT_EQ(theme->states[(size_t)s.hot], (UINT)TKHEADER_STATE_HOT);
        }
    }
    // Leaving the items stopped the timer.
    EXPECT_FALSE(KillTimer(header, 1));
}

TEST_F(HeaderCtrlTest, ColumnMenuSortsAndAligns) {
    CTKHeaderCtrl& header = Attach();
    auto choose = [](std::vector<UINT> keys) {
        return [keys] {
            for (UINT k : keys)
                headless::PressKey(k);
        };
    };
    const std::vector<UINT> ascending{VK_DOWN, VK_RETURN}, descending{VK_DOWN, VK_DOWN, VK_RETURN};
    const struct {
        int x;
        std::vector<UINT> keys;
        int sortColumn;
        BOOL ascending;
        size_t clicks;
    } steps[] = {
        {150, ascending, 1, TRUE, 1},
        {150, ascending, 1, TRUE, 1}, // the same direction again sends nothing
        {150, descending, 1, FALSE, 2},
        {50, descending, 0, FALSE, 3},
        {350, ascending, 0, FALSE, 3}, // right of the last item: no menu
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(testing::Message() << s.x << " " << s.keys.size());
        RightClick(s.x, choose(s.keys));
        BOOL asc = TRUE;
        EXPECT_EQ(header.GetSortImage(asc), s.sortColumn);
        EXPECT_EQ(asc, s.ascending);
        ASSERT_EQ(m_list.clicks.size(), s.clicks);
        EXPECT_EQ(m_list.clicks.back().item, s.sortColumn);
        EXPECT_EQ(m_list.clicks.back().button, 1);
    }
    EXPECT_EQ(m_list.clicks.back().text, u"Name");
    headless::ClearModalAnswers();

    const struct {
        std::vector<UINT> keys;
        int format;
    } aligns[] = {
        {{VK_UP, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN}, LVCFMT_RIGHT},
        {{VK_UP, VK_RIGHT, VK_DOWN, VK_RETURN}, LVCFMT_CENTER},
        {{VK_UP, VK_RIGHT, VK_RETURN}, LVCFMT_LEFT},
    };
    for (const auto& a : aligns) {
        SCOPED_TRACE(a.format);
        RightClick(250, choose(a.keys));
        LVCOLUMNW column{};
        column.mask = LVCF_FMT;
        ASSERT_TRUE(m_list.SendMessage(LVM_GETCOLUMNW, 2, (LPARAM)&column));
        EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, a.format);
    }
}

TEST_F(HeaderCtrlTest, ColumnMenuChecksTheSortDirectionAndAlignment) {
    const struct {
        int sortColumn;
        BOOL ascending;
        int item, format;
        std::vector<UINT> checked;
    } cases[] = {
        {1, TRUE, 1, LVCFMT_LEFT, {TK_ID_HEADER_SORTASC, TK_ID_HEADER_ALIGNLEFT}},
        {1, FALSE, 1, LVCFMT_RIGHT, {TK_ID_HEADER_SORTDESC, TK_ID_HEADER_ALIGNRIGHT}},
        {0, TRUE, 1, LVCFMT_CENTER, {TK_ID_HEADER_ALIGNCENTER}},
        {-1, TRUE, 2, LVCFMT_LEFT, {TK_ID_HEADER_ALIGNLEFT}},
    };
    TestHeader& header = Attach();
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sortColumn << " " << c.ascending << " " << c.item << " " << c.format);
        header.SetSortImage(c.sortColumn, c.ascending);
        LVCOLUMNW column{};
        column.mask = LVCF_FMT;
        column.fmt = c.format;
        m_list.SendMessage(LVM_SETCOLUMNW, (WPARAM)c.item, (LPARAM)&column);
        HMENU menu = nullptr;
        ASSERT_TRUE(GetResourceLoader().LoadMenu(menu, TK_IDR_HEADER_MENU));
        HMENU popup = GetSubMenu(menu, 2);
        ASSERT_NE(popup, nullptr);
        header.CheckColumnMenu(popup, c.item);
        for (UINT id = TK_ID_HEADER_SORTASC; id <= TK_ID_HEADER_ALIGNRIGHT; ++id) {
            bool expected = std::find(c.checked.begin(), c.checked.end(), id) != c.checked.end();
            EXPECT_EQ((GetMenuState(popup, id, MF_BYCOMMAND) & MF_CHECKED) != 0, expected) << id;
        }
        DestroyMenu(menu);
    }
}

TEST_F(HeaderCtrlTest, OwnMenuGoesToTheOwnerAndSortlessListsShowNone) {
    CTKHeaderCtrl& header = Attach();
    header.SetPopupMenuID(9014, 2);
    RightClick(150, [] {
        headless::PressKey(VK_DOWN);
        headless::PressKey(VK_RETURN);
    });
    ASSERT_EQ(m_list.commands.size(), 1u);
    EXPECT_EQ(m_list.commands[0], (UINT)TK_ID_HEADER_SORTASC);
    BOOL asc = TRUE;
    EXPECT_EQ(header.GetSortImage(asc), -1);

    bool shown = false;
    m_list.ModifyStyle(0, LVS_NOSORTHEADER);
    headless::AdvanceClock(1000);
    headless::AnswerNextModal([&shown](HWND) {
        shown = true;
        headless::PressKey(VK_ESCAPE);
    });
    headless::Click(*m_header, POINT{150, 5}, VK_RBUTTON);
    headless::PumpUntilIdle();
    EXPECT_FALSE(shown);
    headless::ClearModalAnswers();
}

TEST_F(HeaderCtrlTest, FrozenAndNarrowWidthsAreRefused) {
    const struct {
        int frozen, minimum, column, width;
        bool applied;
    } cases[] = {
        {0, 0, 0, 50, false}, {0, 0, 1, 50, true}, {-1, 30, 1, 20, false}, {-1, 30, 1, 40, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.frozen << " " << c.minimum << " " << c.column << " " << c.width);
        TestHeader& header = Attach();
        header.FreezeColumn(c.frozen);
        header.m_nMinColumnWidth = c.minimum;
        const int before = m_list.GetColumnWidth(c.column);
        m_list.SetColumnWidth(c.column, c.width);
        EXPECT_EQ(m_list.GetColumnWidth(c.column), c.applied ? c.width : before);
        m_list.SetColumnWidth(c.column, before);
        header.FreezeColumn(c.frozen, FALSE);
        header.UnsubclassWindow();
    }
}

TEST_F(HeaderCtrlTest, FrozenDividersCannotBeDraggedAndShowTheArrow) {
    CTKHeaderCtrl& header = Attach();
    header.FreezeColumn(0);
    // Dragging the divider of the frozen column changes nothing; the next one still sizes.
    const struct {
        int divider, to, column, width;
    } drags[] = {{100, 140, 0, 100}, {180, 220, 1, 120}};
    for (const auto& d : drags) {
        headless::ButtonDown(header, POINT{d.divider, 5});
        headless::MouseMove(header, POINT{d.to, 5});
        headless::ButtonUp(header, POINT{d.to, 5});
        headless::PumpUntilIdle();
        EXPECT_EQ(m_list.GetColumnWidth(d.column), d.width) << d.divider;
    }

    // Columns now end at 100, 220 and 340: the frozen one and its divider keep the arrow.
    HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW), sizing = LoadCursorW(nullptr, IDC_SIZEWE);
    const struct {
        int x;
        HCURSOR cursor;
    } points[] = {{50, arrow}, {98, arrow}, {102, arrow}, {218, sizing}, {338, sizing}};
    for (const auto& p : points) {
        SCOPED_TRACE(p.x);
        headless::MouseMove(header, POINT{p.x, 5});
        headless::PumpUntilIdle();
        SetCursor(nullptr);
        header.SendMessage(WM_SETCURSOR, (WPARAM)header.m_hWnd, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(GetCursor(), p.cursor);
    }
}

TEST_F(HeaderCtrlTest, ColumnsFitTheWidthAroundFrozenOnes) {
    const struct {
        std::vector<int> frozen;
        int width;
        std::vector<int> widths;
    } cases[] = {
        {{}, 360, {120, 120, 120}},
        {{0}, 400, {100, 150, 150}},
        {{0, 2}, 301, {100, 81, 120}},
        {{0, 1, 2}, 500, {100, 80, 120}}, // nothing left to fit
        {{}, 2, {100, 80, 120}},          // a share of 0 is not a width
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        TestHeader& header = Attach();
        for (int f : c.frozen)
            header.FreezeColumn(f);
        header.ResizeColumnsToFit(c.width);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(m_list.GetColumnWidth(i), c.widths[(size_t)i]) << i;
        for (int f : c.frozen)
            header.FreezeColumn(f, FALSE);
        for (int i = 0; i < 3; ++i)
            m_list.SetColumnWidth(i, std::vector<int>{100, 80, 120}[(size_t)i]);
        header.UnsubclassWindow();
    }
}

TEST_F(HeaderCtrlTest, ResizingTheListRefitsTheColumnsWhenAsked) {
    CTKHeaderCtrl& header = Attach();
    header.FreezeColumn(0);
    m_list.MoveWindow(0, 0, 500, 200);
    EXPECT_EQ(m_list.GetColumnWidth(1), 80);
    header.SetFitOnResize(TRUE);
    m_list.MoveWindow(0, 0, 420, 200);
    CRect rc;
    header.GetWindowRect(&rc);
    ASSERT_EQ(rc.Width(), 420);
    EXPECT_EQ(m_list.GetColumnWidth(0), 100);
    EXPECT_EQ(m_list.GetColumnWidth(1), 160);
    EXPECT_EQ(m_list.GetColumnWidth(2), 160);
}

TEST_F(HeaderCtrlTest, SoftThemeRelaysTheListOutAroundItsHeight) {
    CTKHeaderCtrl& header = Attach<CTKFlatHeaderCtrl>();
    ASSERT_NE(dynamic_cast<CTKHeaderCtrlThemeFlat*>(header.GetTheme()), nullptr);
    m_list.InsertItem(0, u"row");
    header.InitializeHeader(TRUE);
    EXPECT_EQ((HFONT)header.SendMessage(WM_GETFONT), GetGlobalData().m_fontBold);
    header.SetTheme(CreateHeaderCtrlTheme(2));

    CClientDC dc(&header);
    HGDIOBJ old = SelectObject(dc, (HFONT)header.SendMessage(WM_GETFONT));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    EXPECT_EQ(HeaderHeight(), tm.tmHeight + 10);
    CRect row;
    ASSERT_TRUE(m_list.GetItemRect(0, &row, LVIR_BOUNDS));
    EXPECT_EQ(row.top, tm.tmHeight + 10);
    CRect list;
    m_list.GetWindowRect(&list);
    EXPECT_EQ(list.Height(), 200) << "the list is back at its own size";
}

TEST_F(HeaderCtrlTest, ColumnBitmapComesAndGoes) {
    CTKHeaderCtrl& header = Attach<CTKFlatHeaderCtrl>();
    CTKHeaderCtrlTheme* theme = header.GetTheme();
    HDITEMW right{};
    right.mask = HDI_FORMAT;
    right.fmt = HDF_RIGHT | HDF_STRING;
    header.SetItem(0, &right);

    EXPECT_FALSE(theme->SetBitmap(0, 9999, FALSE, RGB(255, 0, 255), &header));
    ASSERT_TRUE(theme->SetBitmap(0, 9120, FALSE, RGB(255, 0, 255), &header));
    HDITEMW item{};
    item.mask = HDI_FORMAT | HDI_BITMAP;
    ASSERT_TRUE(header.GetItem(0, &item));
    EXPECT_EQ(item.fmt, HDF_BITMAP | HDF_RIGHT | HDF_STRING) << "the column keeps its alignment";
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(item.hbm), &cx, &cy));
    EXPECT_EQ(cx, 8);
    EXPECT_EQ(cy, 8);

    const int h = HeaderHeight();
    PaintProbe probe(400, h);
    Paint(probe);
    const int x = 6, y = (h - 8) / 2;
    EXPECT_EQ(probe.At(x + 3, y + 3), RGB(255, 0, 0));
    EXPECT_EQ(probe.At(x, y), ShadeColor(Face)) << "the mask colour shows the face";

    // Removing reports FALSE and leaves the item plain.
    EXPECT_FALSE(theme->SetBitmap(0, 0, TRUE, 0, &header));
    ASSERT_TRUE(header.GetItem(0, &item));
    EXPECT_EQ(item.fmt, HDF_RIGHT | HDF_STRING);
    EXPECT_EQ(item.hbm, nullptr);
}
