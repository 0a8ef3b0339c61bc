// Tests of the toolkit list: row copy and move, the sub-item hit test, saved column widths, the
// header's sizing rules, colours in custom draw and painting, auto-size and the view variant.
#include <gtest/gtest.h>

#include "controls/paint_probe.h"
#include "backend/headless/driver.h"
#include "toolkit/base/global_data.h"
#include "toolkit/base/list_ctrl.h"
#include "toolkit/base/list_view.h"
#include "test_settings.h"

#include <string>
#include <vector>

namespace {

// Remembers the sorts the header asked for.
class SortingList : public CTKListCtrl {
public:
    BOOL SortList(int column, BOOL ascending) override
    {
        sorts.push_back({column, ascending});
        return TRUE;
    }
    std::vector<std::pair<int, BOOL>> sorts;
};

class ListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tktest::UseMemorySettings();
        ASSERT_TRUE(m_parent.CreateEx(0, nullptr, u"parent", WS_POPUP | WS_VISIBLE, CRect(0, 0, 400, 300), nullptr, 0));
        MakeList(LVS_REPORT);
    }
    void TearDown() override
    {
        m_parent.DestroyWindow();
        tktest::EndMemorySettings();
    }
    void MakeList(DWORD view)
    {
        if (m_list.m_hWnd)
            m_list.DestroyWindow();
        ASSERT_TRUE(m_list.Create(WS_CHILD | WS_VISIBLE | view, CRect(0, 0, 400, 300), &m_parent, 7));
        const int widths[] = {100, 80, 120};
        const LPCWSTR titles[] = {u"Name", u"Size", u"Path"};
        ASSERT_TRUE(Support().InsertColumns(3, widths, titles));
        for (int i = 0; i < 6; ++i) {
            std::u16string name = u"r" + std::u16string(1, char16_t(u'0' + i));
            ASSERT_EQ(m_list.InsertItem(LVIF_TEXT | LVIF_PARAM, i, name.c_str(), 0, 0, 0, 100 + i), i);
            m_list.SetItemText(i, 1, (name + u"-size").c_str());
            m_list.SetItemText(i, 2, (name + u"-path").c_str());
        }
    }
    CTKListSupport& Support() { return m_list.GetListSupport(); }
    std::vector<std::u16string> Names0()
    {
        std::vector<std::u16string> out;
        for (int i = 0; i < m_list.GetItemCount(); ++i)
            out.emplace_back((LPCWSTR)m_list.GetItemText(i, 0));
        return out;
    }
    std::vector<int> Widths()
    {
        std::vector<int> out;
        for (int c = 0; c < 3; ++c)
            out.push_back(m_list.GetColumnWidth(c));
        return out;
    }
    static CString Stored()
    {
        CTKPSettingsStore store;
        return store.GetProfileString(u"Settings", u"Column Info", u"<none>");
    }
    CWnd m_parent;
    SortingList m_list;
};

// ---- Copying and moving rows ------------------------------------------------------------------

struct RowCase {
    const char* name;
    bool move;
    int from, to;
    int result; // the source's index for a copy, 1/0 for a move
    std::vector<std::u16string> order;
};

class ListRowTest : public ListTest, public ::testing::WithParamInterface<RowCase> {};

TEST_P(ListRowTest, CopiesOrMovesTheWholeRow) {
    const RowCase& c = GetParam();
    int result = c.move ? Support().MoveRow(c.from, c.to) : Support().CopyRow(c.from, c.to);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(Names0(), c.order);
    // Every row still carries its own texts and data, wherever it went.
    for (int i = 0; i < m_list.GetItemCount(); ++i) {
        std::u16string name = (LPCWSTR)m_list.GetItemText(i, 0);
        EXPECT_EQ(std::u16string((LPCWSTR)m_list.GetItemText(i, 2)), name + u"-path") << "row " << i;
        EXPECT_EQ(m_list.GetItemData(i), DWORD_PTR(100 + (name[1] - u'0'))) << "row " << i;
    }
}

const RowCase kRowCases[] = {
    {"MoveUp", true, 3, 1, 1, {u"r0", u"r3", u"r1", u"r2", u"r4", u"r5"}},
    {"MoveDown", true, 1, 3, 1, {u"r0", u"r2", u"r1", u"r3", u"r4", u"r5"}},
    {"MoveToItself", true, 2, 2, 0, {u"r0", u"r1", u"r2", u"r3", u"r4", u"r5"}},
    {"MoveNegative", true, -1, 2, 0, {u"r0", u"r1", u"r2", u"r3", u"r4", u"r5"}},
    {"MoveMissingRowDeletesNothing", true, 9, 1, 0, {u"r0", u"r1", u"r2", u"r3", u"r4", u"r5"}},
    {"CopyToTop", false, 4, 0, 5, {u"r4", u"r0", u"r1", u"r2", u"r3", u"r4", u"r5"}},
    {"CopyPastTheEnd", false, 0, 99, 0, {u"r0", u"r1", u"r2", u"r3", u"r4", u"r5", u"r0"}},
    {"CopyToItself", false, 1, 1, -1, {u"r0", u"r1", u"r2", u"r3", u"r4", u"r5"}},
};
INSTANTIATE_TEST_SUITE_P(Rows, ListRowTest, ::testing::ValuesIn(kRowCases));

TEST_F(ListTest, ACopiedRowKeepsTextsLongerThanTheUsualBuffer) {
    const std::u16string longName(600, u'n');
    m_list.SetItemText(2, 0, longName.c_str());
    const std::u16string longPath(700, u'p');
    m_list.SetItemText(2, 2, longPath.c_str());
    ASSERT_EQ(Support().CopyRow(2, 0), 3);
    EXPECT_EQ(std::u16string((LPCWSTR)m_list.GetItemText(0, 0)), longName);
    EXPECT_EQ(std::u16string((LPCWSTR)m_list.GetItemText(0, 2)), longPath);
}

// ---- Hit test by display position ----------------------------------------------------------------

TEST_F(ListTest, HitTestExGivesTheRowAndTheDisplayPositionOfTheColumn) {
    int order[] = {2, 0, 1}; // shown as Path (120), Name (100), Size (80)
    ASSERT_TRUE(m_list.SetColumnOrderArray(3, order));
    CRect row;
    ASSERT_TRUE(m_list.GetItemRect(4, &row, LVIR_BOUNDS));
    const int y = row.CenterPoint().y;
    const struct { int x; int row; int position; } cases[] = {
        {row.left + 5, 4, 0},   {row.left + 120, 4, 0}, // a span includes its right edge
        {row.left + 121, 4, 1}, {row.left + 230, 4, 2}, {row.left + 299, 4, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x);
        int position = -7;
        EXPECT_EQ(Support().HitTestEx(CPoint(c.x, y), &position), c.row);
        EXPECT_EQ(position, c.position);
    }
    int position = -7;
    EXPECT_EQ(Support().HitTestEx(CPoint(row.left + 5, 290), &position), -1) << "below the last row";
    EXPECT_EQ(Support().HitTestEx(CPoint(row.left + 5, y), nullptr), 4);

    // Outside report view the list's own answer stands, with position 0.
    MakeList(LVS_LIST);
    CRect cell;
    ASSERT_TRUE(m_list.GetItemRect(1, &cell, LVIR_BOUNDS));
    EXPECT_EQ(Support().HitTestEx(CPoint(cell.left + 3, cell.CenterPoint().y), &position), 1);
    EXPECT_EQ(position, 0);
}

TEST_F(ListTest, ColumnOperationsNeedReportView) {
    EXPECT_EQ(Support().GetColumnCount(), 3);
    EXPECT_EQ(Support().AddColumn(u"Date"), 3);
    EXPECT_EQ(m_list.GetColumnWidth(3), 120) << "width -1 copies the last column's";
    for (DWORD view : {DWORD(LVS_LIST), DWORD(LVS_ICON), DWORD(LVS_SMALLICON)}) {
        SCOPED_TRACE(view);
        m_list.ModifyStyle(LVS_TYPEMASK, view);
        EXPECT_EQ(Support().GetColumnCount(), -1);
        EXPECT_EQ(Support().AddColumn(u"More", 40), -1);
        Support().AutoSaveColumns(nullptr, nullptr, u"1,2,3,4,");
        m_list.ModifyStyle(LVS_TYPEMASK, LVS_REPORT);
        EXPECT_EQ(Widths(), (std::vector<int>{100, 80, 120}));
    }
}

// ---- "Column Info" -------------------------------------------------------------------------------

struct WidthCase {
    const char* name;
    const char16_t* stored;   // null: no value
    const char16_t* defaults; // null: none given
    std::vector<int> widths;
};

class ListWidthTest : public ListTest, public ::testing::WithParamInterface<WidthCase> {};

TEST_P(ListWidthTest, AutoSaveColumnsLoadsFieldKIntoColumnK) {
    const WidthCase& c = GetParam();
    if (c.stored) {
        CTKPSettingsStore store;
        ASSERT_EQ(store.WriteProfileString(u"Settings", u"Column Info", c.stored), 1);
    }
    Support().AutoSaveColumns(nullptr, nullptr, c.defaults);
    EXPECT_EQ(Widths(), c.widths);
}

// Columns the value has no width for keep theirs (100, 80, 120) instead of vanishing.
const WidthCase kWidthCases[] = {
    {"Stored", u"50,60,70,", nullptr, {50, 60, 70}},
    {"StoredBeatsDefaults", u"50,60,70,", u"1,2,3,", {50, 60, 70}},
    {"DefaultsWhenAbsent", nullptr, u"30,40,", {30, 40, 120}},
    {"NothingAtAll", nullptr, nullptr, {100, 80, 120}},
    {"FewerFields", u"55,", nullptr, {55, 80, 120}},
    {"ZeroIsAWidth", u"0,0,0,", nullptr, {0, 0, 0}},
    {"EmptyAndGarbageFields", u"10,,abc,", nullptr, {10, 80, 120}},
    {"NoWidthsOutOfRange", u"-5,99999999999,7", nullptr, {100, 80, 7}},
    {"LeadingBlanksAndTrailingJunk", u" 12px,+13,14", nullptr, {12, 13, 14}},
};
INSTANTIATE_TEST_SUITE_P(Widths, ListWidthTest, ::testing::ValuesIn(kWidthCases));

TEST_F(ListTest, WidthsAreSavedAtDestroyAndComeBackOnTheirColumns) {
    // Without auto-save nothing is written.
    m_list.DestroyWindow();
    EXPECT_EQ(Stored(), CString(u"<none>"));

    MakeList(LVS_REPORT);
    Support().AutoSaveColumns();
    m_list.SetColumnWidth(0, 90);
    m_list.SetColumnWidth(2, 33);
    int order[] = {2, 0, 1};
    ASSERT_TRUE(m_list.SetColumnOrderArray(3, order));
    m_list.DestroyWindow();
    EXPECT_EQ(Stored(), CString(u"90,80,33,"));

    MakeList(LVS_REPORT);
    Support().AutoSaveColumns(u"Settings", u"Column Info", nullptr);
    EXPECT_EQ(Widths(), (std::vector<int>{90, 80, 33}));
    EXPECT_EQ(Support().GetStoredColumnWidth(2), 33);
    EXPECT_EQ(Support().GetStoredColumnWidth(5), 0);

    // Another section and entry keep a value of their own.
    m_list.SetColumnWidth(1, 44);
    Support().AutoSaveColumns(u"Lists", u"Found", nullptr);
    m_list.DestroyWindow();
    CTKPSettingsStore store;
    EXPECT_EQ(store.GetProfileString(u"Lists", u"Found", u""), CString(u"90,44,33,"));
    EXPECT_EQ(Stored(), CString(u"90,80,33,"));

    // A list object that goes while its window is still up saves too.
    {
        CTKListCtrl temporary;
        ASSERT_TRUE(temporary.Create(WS_CHILD | LVS_REPORT, CRect(0, 0, 200, 100), &m_parent, 9));
        temporary.InsertColumn(0, u"Only", LVCFMT_LEFT, 77);
        temporary.GetListSupport().AutoSaveColumns(u"Lists", u"Temporary", nullptr);
    }
    EXPECT_EQ(store.GetProfileString(u"Lists", u"Temporary", u""), CString(u"77,"));
}

// ---- The header's sizing rules -------------------------------------------------------------------

TEST_F(ListTest, HeaderChangesStopAtTheMinimumWidth) {
    Support().m_nMinColWidth = 40;
    CHeaderCtrl* header = Support().GetHeader();
    ASSERT_NE(header, nullptr);
    HDITEMW item{};
    item.mask = HDI_WIDTH;
    item.cxy = 5;
    ASSERT_TRUE(header->SetItem(1, &item));
    EXPECT_EQ(m_list.GetColumnWidth(1), 40);
    item.cxy = 65;
    ASSERT_TRUE(header->SetItem(1, &item));
    EXPECT_EQ(m_list.GetColumnWidth(1), 65);
}

struct DragCase {
    const char* name;
    bool locked;
    bool doubleClick;
    int width; // of the first column afterwards
};

class ListDragTest : public ListTest, public ::testing::WithParamInterface<DragCase> {};

TEST_P(ListDragTest, LockedColumnsNeitherDragNorAutoSize) {
    const DragCase& c = GetParam();
    Support().DisableColumnSizing(c.locked);
    Support().m_nMinColWidth = 30;
    HWND header = Support().GetHeader()->m_hWnd;
    const POINT divider{99, 5};
    if (c.doubleClick) {
        headless::DoubleClick(header, divider);
    } else {
        headless::ButtonDown(header, divider);
        headless::MouseMove(header, POINT{10, 5});
        headless::ButtonUp(header, POINT{10, 5});
    }
    headless::PumpUntilIdle();
    if (c.width < 0) // the control's own auto-size of the first column
        EXPECT_NE(m_list.GetColumnWidth(0), 100);
    else
        EXPECT_EQ(m_list.GetColumnWidth(0), c.width);
}

const DragCase kDragCases[] = {
    {"DragStopsAtMinimum", false, false, 30},
    {"DragLocked", true, false, 100},
    {"DoubleClickAutoSizes", false, true, -1},
    {"DoubleClickLocked", true, true, 100},
};
INSTANTIATE_TEST_SUITE_P(Drags, ListDragTest, ::testing::ValuesIn(kDragCases));

// ---- Colours -------------------------------------------------------------------------------------

struct ColorCase {
    const char* name;
    bool customColors, rowColors, tint, selected, disabled;
    int subItem;
    COLORREF text, back; // expected; -1 gives the system's window colours
};

class ListColorTest : public ListTest, public ::testing::WithParamInterface<ColorCase> {};

constexpr COLORREF kText = RGB(10, 20, 30), kBack = RGB(200, 220, 240);
constexpr COLORREF kRowText = RGB(255, 0, 0), kRowBack = RGB(0, 100, 200);

TEST_P(ListColorTest, CustomDrawPicksTheCellColours) {
    const ColorCase& c = GetParam();
    if (c.customColors)
        Support().SetListColors(kText, kBack);
    Support().m_bRowColors = c.rowColors;
    Support().m_bTintSortColumn = c.tint;
    Support().SetSortImage(1, TRUE);
    Support().SetRowColor(2, kRowText, kRowBack);
    if (c.selected)
        m_list.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    m_list.EnableWindow(!c.disabled);

    NMLVCUSTOMDRAW cd{};
    cd.nmcd.hdr = {m_list.m_hWnd, 7, NM_CUSTOMDRAW};
    LRESULT result = -1;
    for (DWORD stage : {DWORD(CDDS_PREPAINT), DWORD(CDDS_ITEMPREPAINT)}) {
        cd.nmcd.dwDrawStage = stage;
        Support().OnCustomDraw(&cd.nmcd.hdr, &result);
        EXPECT_EQ(result, LRESULT(CDRF_NOTIFYSUBITEMDRAW));
    }
    cd.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
    cd.nmcd.dwItemSpec = 2;
    cd.iSubItem = c.subItem;
    Support().OnCustomDraw(&cd.nmcd.hdr, &result);
    EXPECT_EQ(result, LRESULT(CDRF_DODEFAULT));
    EXPECT_EQ(cd.clrText, c.text == COLORREF(-1) ? GetSysColor(COLOR_WINDOWTEXT) : c.text);
    EXPECT_EQ(cd.clrTextBk, c.back == COLORREF(-1) ? GetSysColor(COLOR_WINDOW) : c.back);
}

COLORREF Less8(COLORREF c)
{
    return RGB(GetRValue(c) - 8, GetGValue(c) - 8, GetBValue(c) - 8);
}
COLORREF Half(COLORREF a, COLORREF b)
{
    return RGB((GetRValue(a) + GetRValue(b)) / 2, (GetGValue(a) + GetGValue(b)) / 2,
               (GetBValue(a) + GetBValue(b)) / 2);
}

const ColorCase kColorCases[] = {
    {"System", false, false, false, false, false, 0, COLORREF(-1), COLORREF(-1)},
    {"CustomWithRowColoursOff", true, false, false, false, false, 0, kText, kBack},
    {"RowColours", true, true, false, false, false, 0, kRowText, kRowBack},
    {"SelectedRowHasNoRowColours", true, true, false, true, false, 0, kText, kBack},
    {"SortColumnUntinted", true, false, false, false, false, 1, kText, kBack},
    {"SortColumnTinted", true, false, true, false, false, 1, kText, Less8(kBack)},
    {"OtherColumnOfTintedList", true, false, true, false, false, 2, kText, kBack},
    {"RowColourInTintedColumn", true, true, true, false, false, 1, kRowText, Half(kRowBack, Less8(kBack))},
    {"Disabled", true, true, true, false, true, 1, COLORREF(-1), GetSysColor(COLOR_BTNFACE)},
};
INSTANTIATE_TEST_SUITE_P(Colors, ListColorTest, ::testing::ValuesIn(kColorCases));

TEST_F(ListTest, PaintingShowsRowColoursAndTheTintedSortStrip) {
    Support().SetListColors(kText, kBack);
    Support().m_bRowColors = TRUE;
    Support().m_bTintSortColumn = TRUE;
    Support().SetSortImage(1, TRUE);
    Support().SetRowColor(3, kRowText, kRowBack);
    m_list.SetColumnWidth(2, 300); // wide enough to scroll sideways
    m_list.Invalidate();
    m_list.UpdateWindow();

    CRect row, below;
    ASSERT_TRUE(m_list.GetItemRect(3, &row, LVIR_BOUNDS));
    ASSERT_TRUE(m_list.GetItemRect(5, &below, LVIR_BOUNDS));
    HDC dc = ::GetDC(m_list.m_hWnd);
    const int y = below.bottom + 20; // under the rows: only the background and the strip
    EXPECT_EQ(GetPixel(dc, 50, y), kBack);
    EXPECT_EQ(GetPixel(dc, 140, y), Less8(kBack)) << "the sort column's strip";
    EXPECT_EQ(GetPixel(dc, 250, y), kBack);
    EXPECT_EQ(GetPixel(dc, 250, row.top + 1), kRowBack);
    EXPECT_EQ(GetPixel(dc, 140, row.top + 1), Half(kRowBack, Less8(kBack)));
    ::ReleaseDC(m_list.m_hWnd, dc);

    // Scrolled sideways the strip moves with its column.
    m_list.Scroll(CSize(30, 0));
    m_list.UpdateWindow();
    dc = ::GetDC(m_list.m_hWnd);
    EXPECT_EQ(GetPixel(dc, 75, y), Less8(kBack));
    EXPECT_EQ(GetPixel(dc, 155, y), kBack);
    ::ReleaseDC(m_list.m_hWnd, dc);
}

TEST_F(ListTest, ThroughReflectionTheListDrawsItsRowColours) {
    Support().m_bRowColors = TRUE;
    Support().SetRowColor(1, kRowText, kRowBack);
    Support().AddRowColor(ROWCOLOR{1, kBack, kText}); // replaces the record of row 1
    ASSERT_NE(Support().FindRowColor(1), nullptr);
    EXPECT_EQ(Support().FindRowColor(1)->crBack, kBack);
    CRect row;
    ASSERT_TRUE(m_list.GetItemRect(1, &row, LVIR_BOUNDS));
    PaintProbe probe(400, 300);
    probe.Print(m_list.m_hWnd);
    EXPECT_EQ(probe.At(250, row.top + 1), kBack);
    Support().RemoveAllRowColors();
    EXPECT_EQ(Support().FindRowColor(1), nullptr);
    probe.Print(m_list.m_hWnd);
    EXPECT_EQ(probe.At(250, row.top + 1), GetSysColor(COLOR_WINDOW));
}

// ---- Auto-size -----------------------------------------------------------------------------------

TEST_F(ListTest, AutoSizeFitsContentOrTitleWithinTheLimits) {
    m_list.SetItemText(0, 2, u"a path much longer than its column is wide at the start");
    LVCOLUMNW title{};
    title.mask = LVCF_TEXT;
    title.pszText = const_cast<LPWSTR>(u"A rather long title for short sizes");
    m_list.SetColumn(1, &title);

    // What the control's own auto-size and the title measure give.
    m_list.SetColumnWidth(2, LVSCW_AUTOSIZE);
    const int content = m_list.GetColumnWidth(2);
    HDC screen = GetDC(nullptr);
    HFONT font = (HFONT)Support().GetHeader()->SendMessage(WM_GETFONT);
    HGDIOBJ old = font ? SelectObject(screen, font) : nullptr;
    SIZE size{};
    GetTextExtentPoint32W(screen, title.pszText, 35, &size);
    if (old)
        SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    m_list.SetColumnWidth(2, 120);

    Support().AutoSizeColumn(1);
    EXPECT_EQ(m_list.GetColumnWidth(1), size.cx + 12);
    EXPECT_EQ(m_list.GetColumnWidth(2), 120) << "only the column asked for";
    Support().AutoSizeColumn();
    EXPECT_EQ(m_list.GetColumnWidth(2), content);

    Support().m_nMaxColWidth = 60;
    Support().AutoSizeColumn();
    EXPECT_LE(m_list.GetColumnWidth(0), 60);
    EXPECT_EQ(m_list.GetColumnWidth(1), 60);
    EXPECT_EQ(m_list.GetColumnWidth(2), 60);
    Support().m_nMaxColWidth = 1000;
    Support().m_nMinColWidth = 500;
    Support().AutoSizeColumn(0);
    EXPECT_EQ(m_list.GetColumnWidth(0), 500);
}

// ---- Fonts, styles and the view ------------------------------------------------------------------

TEST_F(ListTest, TheToolkitFontComesOnceWithCreationOrSubclassing) {
    HFONT toolkit = GetGlobalData().m_fontRegular;
    ASSERT_NE(toolkit, nullptr);
    m_list.DestroyWindow();
    m_list.GetListSupport().m_bUseToolkitFont = TRUE;
    ASSERT_TRUE(m_list.Create(WS_CHILD | LVS_REPORT, CRect(0, 0, 200, 100), &m_parent, 7));
    EXPECT_EQ((HFONT)m_list.SendMessage(WM_GETFONT), toolkit);

    HWND plain = CreateWindowExW(0, u"SysListView32", u"", WS_CHILD | LVS_REPORT, 0, 0, 200, 100, m_parent.m_hWnd,
                                 (HMENU)8, nullptr, nullptr);
    CTKListCtrl subclassed;
    subclassed.GetListSupport().m_bUseToolkitFont = TRUE;
    ASSERT_TRUE(subclassed.SubclassWindow(plain));
    EXPECT_EQ((HFONT)subclassed.SendMessage(WM_GETFONT), toolkit);
    subclassed.DestroyWindow();

    // Without the flag the list keeps the font it has.
    m_list.GetListSupport().m_bUseToolkitFont = FALSE;
    m_list.DestroyWindow();
    ASSERT_TRUE(m_list.Create(WS_CHILD | LVS_REPORT, CRect(0, 0, 200, 100), &m_parent, 7));
    EXPECT_NE((HFONT)m_list.SendMessage(WM_GETFONT), toolkit);
}

TEST_F(ListTest, ExtendedStylesChangeOnlyWhenTheyDiffer) {
    Support().AddExtendedStyle(LVS_EX_GRIDLINES);
    EXPECT_EQ(Support().GetExtendedStyle() & LVS_EX_GRIDLINES, DWORD(LVS_EX_GRIDLINES));
    EXPECT_FALSE(Support().ModifyExtendedStyle(0, LVS_EX_GRIDLINES));
    EXPECT_TRUE(Support().ModifyExtendedStyle(LVS_EX_GRIDLINES, LVS_EX_FULLROWSELECT));
    EXPECT_EQ(Support().GetExtendedStyle() & (LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT), DWORD(LVS_EX_FULLROWSELECT));
}

TEST_F(ListTest, TheViewIsCreatableAndDrawsWithTheSameSupport) {
    CObject* object = RUNTIME_CLASS(CTKListView)->CreateObject();
    ASSERT_NE(object, nullptr);
    auto* view = static_cast<CTKListView*>(object);
    ASSERT_TRUE(view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 300, 200), &m_parent,
                             AFX_IDW_PANE_FIRST));
    // The view's border is drawn as the sunken client edge.
    EXPECT_FALSE(view->GetStyle() & WS_BORDER);
    EXPECT_TRUE(view->GetExStyle() & WS_EX_CLIENTEDGE);
    CTKListSupport& support = view->GetListSupport();
    EXPECT_EQ(support.AddColumn(u"Name", 150), 0);
    CListCtrl& list = view->GetListCtrl();
    list.InsertItem(0, u"one");
    list.InsertItem(1, u"two");
    support.m_bRowColors = TRUE;
    support.SetRowColor(1, kRowText, kRowBack);
    CRect row;
    ASSERT_TRUE(list.GetItemRect(1, &row, LVIR_BOUNDS));
    PaintProbe probe(300, 200);
    probe.Print(view->m_hWnd);
    EXPECT_EQ(probe.At(100, row.top + 1), kRowBack);
    EXPECT_EQ(support.MoveRow(1, 0), TRUE);
    EXPECT_EQ(CString(list.GetItemText(0, 0)), CString(u"two"));
    view->DestroyWindow();
}

// ---- Sorting through the flat header --------------------------------------------------------------

// The shadow pixels of the arrow: the header's item rectangle beyond the title and inside the borders.
std::vector<POINT> ArrowPixels(HWND header, int item)
{
    RECT r{};
    SendMessageW(header, HDM_GETITEMRECT, (WPARAM)item, (LPARAM)&r);
    std::vector<POINT> out;
    HDC dc = GetDC(header);
    for (int y = r.top + 2; y < r.bottom - 2; ++y) // inside the header's own border
        for (int x = r.left + 18; x < r.right - 3; ++x)
            if (GetPixel(dc, x, y) == GetSysColor(COLOR_3DSHADOW))
                out.push_back({x, y});
    ReleaseDC(header, dc);
    return out;
}

// How many shadow pixels the arrow's topmost row holds: its tip going up, its base going down.
size_t TopRowWidth(const std::vector<POINT>& pixels)
{
    if (pixels.empty())
        return 0;
    LONG top = pixels.front().y;
    size_t n = 0;
    for (const POINT& p : pixels)
        n += p.y == top;
    return n;
}

TEST_F(ListTest, HeaderClicksSortAscendingThenDescendingWithTheArrowShown) {
    LVCOLUMNW title{};
    title.mask = LVCF_TEXT;
    title.pszText = const_cast<LPWSTR>(u"A");
    for (int c = 0; c < 3; ++c)
        m_list.SetColumn(c, &title);
    // Without the toolkit's header a click sorts nothing.
    HWND header = Support().GetHeader()->m_hWnd;
    headless::Click(header, POINT{150, 5});
    headless::PumpUntilIdle();
    EXPECT_TRUE(m_list.sorts.empty());
    EXPECT_EQ(Support().GetFlatHeader(), nullptr);

    ASSERT_TRUE(Support().SubclassHeader(FALSE));
    EXPECT_FALSE(Support().SubclassHeader(FALSE)) << "only once";
    CTKFlatHeaderCtrl* flat = Support().GetFlatHeader();
    ASSERT_NE(flat, nullptr);
    const struct { int x; int column; BOOL ascending; } clicks[] = {
        {150, 1, TRUE}, {150, 1, FALSE}, {150, 1, TRUE}, {20, 0, TRUE}, {250, 2, TRUE}, {250, 2, FALSE}};
    for (const auto& c : clicks) {
        SCOPED_TRACE(c.x);
        m_list.sorts.clear();
        headless::Click(header, POINT{c.x, 5});
        headless::PumpUntilIdle();
        ASSERT_EQ(m_list.sorts.size(), 1u);
        EXPECT_EQ(m_list.sorts[0], std::make_pair(c.column, c.ascending));
        EXPECT_EQ(Support().GetSortColumn(), c.column);
        BOOL ascending = !c.ascending;
        EXPECT_EQ(flat->GetSortImage(ascending), c.column);
        EXPECT_EQ(ascending, c.ascending);
        flat->UpdateWindow();
        std::vector<POINT> arrow = ArrowPixels(header, c.column);
        ASSERT_FALSE(arrow.empty());
        if (c.ascending)
            EXPECT_LE(TopRowWidth(arrow), 2u) << "tip up";
        else
            EXPECT_GE(TopRowWidth(arrow), 6u) << "base on top";
        EXPECT_TRUE(ArrowPixels(header, (c.column + 1) % 3).empty()) << "no arrow on another column";
    }

    // The sort column's title leaves room for the arrow when sized.
    title.pszText = const_cast<LPWSTR>(u"A title wider than any path");
    m_list.SetColumn(2, &title);
    Support().AutoSizeColumn(2);
    const int withArrow = m_list.GetColumnWidth(2);
    Support().SetSortImage(0, TRUE);
    Support().AutoSizeColumn(2);
    EXPECT_EQ(withArrow - m_list.GetColumnWidth(2), 24);
}

} // namespace
