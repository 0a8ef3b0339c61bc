// SysListView32: items, sub-items, callbacks, columns, state changes, deletion and sorting.
#include "platform/controls/listview_fixture.h"
#include "win32/controls/listview_column_texts.h"

#include <algorithm>
#include <numeric>

using namespace lvtest;

namespace {

TEST_F(ListViewTest, ItemsAndSubItemsKeepTheirData)
{
    MakeReport(3);
    EXPECT_EQ(3, Count());
    EXPECT_EQ(u"row 1", Text(1));
    EXPECT_EQ(u"10", Text(1, 1));
    EXPECT_EQ(u"File", Text(1, 2));
    EXPECT_EQ(u"", Text(1, 7)) << "a sub-item never set reads empty";
    EXPECT_FALSE(SetText(1, 3, u"x")) << "no fourth column";
    EXPECT_FALSE(SetText(9, 0, u"x"));

    char16_t small[4] = {};
    LVITEMW it{};
    it.pszText = small;
    it.cchTextMax = 4;
    EXPECT_EQ(3, SendMessageW(list_, LVM_GETITEMTEXTW, 0, (LPARAM)&it));
    EXPECT_EQ(u"row", std::u16string(small));

    it = {};
    it.mask = LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
    it.iItem = 2;
    it.stateMask = ~0u;
    ASSERT_TRUE(SendMessageW(list_, LVM_GETITEMW, 0, (LPARAM)&it));
    EXPECT_EQ(1002, it.lParam);
    EXPECT_EQ(0u, it.state);

    it = {};
    it.mask = LVIF_TEXT;
    it.iItem = 7;
    it.iSubItem = 0;
    EXPECT_EQ(-1, SendMessageW(list_, LVM_INSERTITEMW, 0, 0));
    it.pszText = (LPWSTR)u"last";
    EXPECT_EQ(3, SendMessageW(list_, LVM_INSERTITEMW, 0, (LPARAM)&it)) << "past the end appends";
    it.iItem = 0;
    it.pszText = (LPWSTR)u"first";
    EXPECT_EQ(0, SendMessageW(list_, LVM_INSERTITEMW, 0, (LPARAM)&it));
    EXPECT_EQ(u"row 0", Text(1));
    EXPECT_EQ(u"0", Text(1, 1)) << "sub-items move with their item";

    LVFINDINFOW fi{};
    fi.flags = LVFI_PARAM;
    fi.lParam = 1002;
    EXPECT_EQ(3, SendMessageW(list_, LVM_FINDITEMW, (WPARAM)-1, (LPARAM)&fi));
    fi.flags = LVFI_STRING | LVFI_PARTIAL | LVFI_WRAP;
    fi.psz = u"ROW";
    EXPECT_EQ(1, SendMessageW(list_, LVM_FINDITEMW, 3, (LPARAM)&fi)) << "wraps to the start";
}

// A row keeps its item's and sub-items' texts and the sub-items' images together: changing one leaves the
// others, a sub-item exists once it or one after it was set, and deleting a column moves the later ones.
TEST_F(ListViewTest, SubItemTextsAndImagesStayWithTheirRow)
{
    MakeReport(1, LVS_EX_SUBITEMIMAGES);
    auto image = [&](int item, int sub) {
        LVITEMW it{};
        it.mask = LVIF_IMAGE;
        it.iItem = item;
        it.iSubItem = sub;
        SendMessageW(list_, LVM_GETITEMW, 0, (LPARAM)&it);
        return it.iImage;
    };
    LVITEMW set{};
    set.mask = LVIF_IMAGE;
    set.iSubItem = 2;
    set.iImage = 5;
    ASSERT_TRUE(SendMessageW(list_, LVM_SETITEMW, 0, (LPARAM)&set));
    ASSERT_TRUE(SetText(0, 1, u"a text much longer than the one it replaces"));
    ASSERT_TRUE(SetText(0, 0, u""));
    EXPECT_EQ(u"", Text(0));
    EXPECT_EQ(u"a text much longer than the one it replaces", Text(0, 1));
    EXPECT_EQ(u"File", Text(0, 2));
    EXPECT_EQ(5, image(0, 2));
    EXPECT_EQ(0, image(0, 1));

    AddRow(u"bare");
    EXPECT_EQ(I_IMAGENONE, image(1, 1)) << "a sub-item never set has no image";
    ASSERT_TRUE(SetText(1, 2, u"typed"));
    EXPECT_EQ(0, image(1, 1)) << "the sub-items before a set one exist";
    EXPECT_EQ(u"", Text(1, 1));

    ASSERT_TRUE(SendMessageW(list_, LVM_DELETECOLUMN, 1, 0));
    EXPECT_EQ(u"File", Text(0, 1));
    EXPECT_EQ(5, image(0, 1));
    EXPECT_EQ(u"typed", Text(1, 1));
    EXPECT_EQ(u"", Text(0, 2));
}

TEST_F(ListViewTest, CallbackTextAndImagesComeFromTheOwner)
{
    MakeReport(0);
    onNotify_ = [](NMHDR* nm) -> LRESULT {
        if (nm->code == LVN_GETDISPINFOW) {
            auto* di = (NMLVDISPINFOW*)nm;
            if (di->item.mask & LVIF_TEXT) {
                std::u16string s = u"cb " + ListViewTest::Num(di->item.iItem) + u"." + ListViewTest::Num(di->item.iSubItem);
                std::copy_n(s.c_str(), s.size() + 1, di->item.pszText);
            }
            if (di->item.mask & LVIF_IMAGE)
                di->item.iImage = 7;
        }
        return 0;
    };
    LVITEMW it{};
    it.mask = LVIF_TEXT | LVIF_IMAGE;
    it.pszText = LPSTR_TEXTCALLBACKW;
    it.iImage = I_IMAGECALLBACK;
    SendMessageW(list_, LVM_INSERTITEMW, 0, (LPARAM)&it);
    LVITEMW sub{};
    sub.iSubItem = 2;
    sub.pszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(list_, LVM_SETITEMTEXTW, 0, (LPARAM)&sub);
    EXPECT_EQ(u"cb 0.0", Text(0));
    EXPECT_EQ(u"cb 0.2", Text(0, 2));
    it = {};
    it.mask = LVIF_IMAGE;
    SendMessageW(list_, LVM_GETITEMW, 0, (LPARAM)&it);
    EXPECT_EQ(7, it.iImage);
}

// One column of many items in one call: measured without a buffer, then read from any item on; texts the
// owner keeps are asked for, a sub-item never set reads empty, and a buffer too small takes only the whole
// texts that fit.
TEST_F(ListViewTest, ColumnTextsComeInOneCall)
{
    MakeReport(2); // "row 0" {"0", "File"}, "row 1" {"10", "File"}
    AddRow(u"bare");
    LVITEMW sub{};
    sub.iSubItem = 1;
    sub.pszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(list_, LVM_SETITEMTEXTW, 2, (LPARAM)&sub);
    onNotify_ = [](NMHDR* nm) -> LRESULT {
        if (nm->code == LVN_GETDISPINFOW) {
            auto* di = (NMLVDISPINFOW*)nm;
            if (di->item.mask & LVIF_TEXT)
                std::copy_n(u"asked", 6, di->item.pszText);
        }
        return 0;
    };
    struct Read {
        LRESULT result;
        int items;
        std::u16string out;
        bool operator==(const Read&) const = default;
    };
    auto read = [&](int column, int first, SIZE_T room) {
        LVCOLUMNTEXTSW batch{};
        batch.iItem = first;
        std::u16string out(room, u'#');
        batch.pszText = room ? out.data() : nullptr;
        batch.cchTextMax = room;
        const LRESULT result = SendMessageW(list_, LVM_GETCOLUMNTEXTSW, (WPARAM)column, (LPARAM)&batch);
        return Read{result, batch.cItems, out};
    };
    const std::u16string names(u"row 0\0row 1\0bare\0", 17);
    const struct {
        int column, first;
        SIZE_T room;
        Read expected;
    } cases[] = {
        {0, 0, 0, {17, 0, u""}},
        {0, 0, 17, {17, 3, names}},
        {0, 0, 14, {12, 2, std::u16string(u"row 0\0row 1\0##", 14)}},
        {0, 1, 0, {11, 0, u""}},
        {0, 1, 11, {11, 2, names.substr(6)}},
        {0, 3, 4, {0, 0, u"####"}},
        {1, 0, 11, {11, 3, std::u16string(u"0\0" u"10\0asked\0", 11)}},
        {2, 0, 11, {11, 3, std::u16string(u"File\0File\0\0", 11)}},
        {9, 0, 3, {3, 3, std::u16string(3, u'\0')}},
        {-1, 0, 3, {0, 0, u"###"}},
        {0, -1, 3, {0, 0, u"###"}},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(read(c.column, c.first, c.room) == c.expected)
            << "column " << c.column << " from " << c.first << " in " << c.room;
}

struct ChangeCase {
    const char* name;
    std::function<void(ListViewTest&)> act;
    std::vector<UINT> codes;
    bool refuse; // the parent answers TRUE to LVN_ITEMCHANGING and LVN_DELETEALLITEMS
};

class ListViewChanges : public ListViewTest, public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(ListViewChanges, NotifyTheOwner)
{
    const ChangeCase& c = GetParam();
    MakeReport(3);
    if (c.refuse)
        onNotify_ = [](NMHDR* nm) -> LRESULT {
            return nm->code == LVN_ITEMCHANGING || nm->code == LVN_DELETEALLITEMS;
        };
    c.act(*this);
    EXPECT_EQ(c.codes, Codes());
}

INSTANTIATE_TEST_SUITE_P(
    ListView, ListViewChanges,
    ::testing::Values(
        ChangeCase{"insert", [](ListViewTest& t) { t.AddRow(u"new"); }, {LVN_INSERTITEM}, false},
        ChangeCase{"delete", [](ListViewTest& t) { SendMessageW(t.list_, LVM_DELETEITEM, 1, 0); }, {LVN_DELETEITEM},
                   false},
        ChangeCase{"delete_all",
                   [](ListViewTest& t) { SendMessageW(t.list_, LVM_DELETEALLITEMS, 0, 0); },
                   {LVN_DELETEALLITEMS, LVN_DELETEITEM, LVN_DELETEITEM, LVN_DELETEITEM},
                   false},
        ChangeCase{"delete_all_without_each",
                   [](ListViewTest& t) { SendMessageW(t.list_, LVM_DELETEALLITEMS, 0, 0); },
                   {LVN_DELETEALLITEMS},
                   true},
        ChangeCase{"select", [](ListViewTest& t) { t.SetState(1, LVIS_SELECTED, LVIS_SELECTED); },
                   {LVN_ITEMCHANGING, LVN_ITEMCHANGED}, false},
        ChangeCase{"select_refused", [](ListViewTest& t) { t.SetState(1, LVIS_SELECTED, LVIS_SELECTED); },
                   {LVN_ITEMCHANGING}, true},
        ChangeCase{"same_state_again",
                   [](ListViewTest& t) {
                       t.SetState(1, LVIS_SELECTED, LVIS_SELECTED);
                       t.notes_.clear();
                       t.SetState(1, LVIS_SELECTED, LVIS_SELECTED);
                   },
                   {}, false},
        ChangeCase{"select_all", [](ListViewTest& t) { t.SetState(-1, LVIS_SELECTED, LVIS_SELECTED); },
                   {LVN_ITEMCHANGING, LVN_ITEMCHANGED}, false}),
    [](const auto& i) { return std::string(i.param.name); });

TEST_F(ListViewTest, FocusAndSingleSelectionStayUnique)
{
    MakeReport(4, 0, LVS_REPORT | LVS_SINGLESEL);
    SetState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SetState(2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(0u, State(0));
    EXPECT_EQ((UINT)(LVIS_SELECTED | LVIS_FOCUSED), State(2));
    EXPECT_EQ(1, SendMessageW(list_, LVM_GETSELECTEDCOUNT, 0, 0));
    EXPECT_EQ(2, SendMessageW(list_, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED));
    EXPECT_EQ(2, SendMessageW(list_, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED));
    EXPECT_EQ(-1, SendMessageW(list_, LVM_GETNEXTITEM, 2, LVNI_SELECTED));
    EXPECT_EQ(3, SendMessageW(list_, LVM_GETNEXTITEM, 2, LVNI_BELOW));
    SendMessageW(list_, LVM_DELETEITEM, 1, 0);
    EXPECT_EQ(1, SendMessageW(list_, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED)) << "focus follows the item";
    SendMessageW(list_, LVM_DELETEITEM, 1, 0);
    EXPECT_EQ(-1, SendMessageW(list_, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED));
}

TEST_F(ListViewTest, ColumnsInsertSizeReorderAndDelete)
{
    MakeReport(2);
    HWND header = (HWND)SendMessageW(list_, LVM_GETHEADER, 0, 0);
    ASSERT_TRUE(header);
    EXPECT_EQ(3, SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    EXPECT_EQ(80, SendMessageW(list_, LVM_GETCOLUMNWIDTH, 1, 0));

    char16_t buf[32] = {};
    LVCOLUMNW c{};
    c.mask = LVCF_TEXT | LVCF_FMT | LVCF_SUBITEM;
    c.pszText = buf;
    c.cchTextMax = 32;
    ASSERT_TRUE(SendMessageW(list_, LVM_GETCOLUMNW, 1, (LPARAM)&c));
    EXPECT_EQ(u"Size", std::u16string(buf));
    EXPECT_EQ(LVCFMT_RIGHT, c.fmt);
    EXPECT_EQ(1, c.iSubItem);
    EXPECT_FALSE(SendMessageW(list_, LVM_GETCOLUMNW, 3, (LPARAM)&c));

    SetText(1, 0, u"a longer name than most");
    ASSERT_TRUE(SendMessageW(list_, LVM_SETCOLUMNWIDTH, 0, LVSCW_AUTOSIZE));
    int wide = (int)SendMessageW(list_, LVM_GETCOLUMNWIDTH, 0, 0);
    EXPECT_GT(wide, 100);
    ASSERT_TRUE(SendMessageW(list_, LVM_SETCOLUMNWIDTH, 2, LVSCW_AUTOSIZE_USEHEADER));
    RECT client;
    GetClientRect(list_, &client);
    EXPECT_EQ(client.right - wide - 80, SendMessageW(list_, LVM_GETCOLUMNWIDTH, 2, 0)) << "the last fills the rest";

    // A drag of the header's divider is a column width change.
    RECT hr{};
    SendMessageW(header, HDM_GETITEMRECT, 1, (LPARAM)&hr);
    headless::ButtonDown(header, {hr.right, 5});
    headless::MouseMove(header, {hr.right + 20, 5});
    headless::ButtonUp(header, {hr.right + 20, 5});
    headless::PumpUntilIdle();
    EXPECT_EQ(100, SendMessageW(list_, LVM_GETCOLUMNWIDTH, 1, 0));

    int order[3] = {2, 0, 1};
    ASSERT_TRUE(SendMessageW(list_, LVM_SETCOLUMNORDERARRAY, 3, (LPARAM)order));
    RECT sub{};
    sub.top = 2;
    sub.left = LVIR_BOUNDS;
    ASSERT_TRUE(SendMessageW(list_, LVM_GETSUBITEMRECT, 0, (LPARAM)&sub));
    EXPECT_EQ(0, sub.left) << "the third column is shown first";

    ASSERT_TRUE(SendMessageW(list_, LVM_DELETECOLUMN, 1, 0));
    EXPECT_EQ(2, SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    EXPECT_EQ(u"File", Text(0, 1)) << "the type column's text moved down with it";
    EXPECT_FALSE(SendMessageW(list_, LVM_DELETECOLUMN, 5, 0));
}

TEST_F(ListViewTest, HeaderClicksBecomeColumnClicksAndReachTheOwner)
{
    MakeReport(2);
    std::vector<UINT> headerCodes;
    HWND header = (HWND)SendMessageW(list_, LVM_GETHEADER, 0, 0);
    parentHook_ = [&, old = parentHook_](UINT m, WPARAM w, LPARAM l, LRESULT* r) {
        if (m == WM_NOTIFY && ((NMHDR*)l)->hwndFrom == header) {
            headerCodes.push_back(((NMHDR*)l)->code);
            *r = 0;
            return true;
        }
        return old(m, w, l, r);
    };
    headless::Click(header, {130, 5});
    headless::PumpUntilIdle();
    EXPECT_EQ(std::vector<UINT>{HDN_ITEMCLICKW}, headerCodes);
    ASSERT_EQ(1u, notes_.size());
    EXPECT_EQ(LVN_COLUMNCLICK, notes_[0].code);
    EXPECT_EQ(1, notes_[0].sub);
}

// ---- Sorting ----------------------------------------------------------------------------------

struct SortCase {
    const char* name;
    PFNLVCOMPARE compare;
    LPARAM param;
    std::vector<LPARAM> expected; // empty: any order that keeps every item once
};

int CALLBACK ByParam(LPARAM a, LPARAM b, LPARAM dir)
{
    return (int)((a % 10 - b % 10) * dir); // equal keys for values with the same last digit
}
int CALLBACK NeverEqual(LPARAM a, LPARAM b, LPARAM)
{
    return a % 10 >= b % 10 ? 1 : -1;
}
int CALLBACK Contradicts(LPARAM a, LPARAM b, LPARAM)
{
    return (int)(((a * 7919) ^ (b * 104729)) % 3) - 1;
}
int CALLBACK AllEqual(LPARAM, LPARAM, LPARAM)
{
    return 0;
}

class ListViewSorts : public ListViewTest, public ::testing::WithParamInterface<SortCase> {};

TEST_P(ListViewSorts, MergeSortIsStableAndStaysInBounds)
{
    const SortCase& c = GetParam();
    MakeList();
    AddColumn(u"Name", 100);
    const LPARAM data[] = {13, 21, 3, 11, 32, 23, 1, 12};
    for (LPARAM d : data)
        AddRow(std::u16string(1, u'r').append(Num((int)d)), d);
    SetState(2, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED); // the item holding 3
    ASSERT_TRUE(SendMessageW(list_, LVM_SORTITEMS, (WPARAM)c.param, (LPARAM)c.compare));
    std::vector<LPARAM> got;
    for (int i = 0; i < Count(); ++i) {
        LVITEMW it{};
        it.mask = LVIF_PARAM;
        it.iItem = i;
        SendMessageW(list_, LVM_GETITEMW, 0, (LPARAM)&it);
        got.push_back(it.lParam);
        EXPECT_EQ(std::u16string(1, u'r').append(Num((int)it.lParam)), Text(i)) << "text travels with its data";
    }
    if (!c.expected.empty()) {
        EXPECT_EQ(c.expected, got);
    } else {
        std::vector<LPARAM> a(got), b(std::begin(data), std::end(data));
        std::sort(a.begin(), a.end());
        std::sort(b.begin(), b.end());
        EXPECT_EQ(b, a);
    }
    int focus = (int)SendMessageW(list_, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED);
    ASSERT_GE(focus, 0);
    LVITEMW it{};
    it.mask = LVIF_PARAM;
    it.iItem = focus;
    SendMessageW(list_, LVM_GETITEMW, 0, (LPARAM)&it);
    EXPECT_EQ(3, it.lParam) << "the focus stays on its item";
}

INSTANTIATE_TEST_SUITE_P(
    ListView, ListViewSorts,
    ::testing::Values(SortCase{"ascending_stable", ByParam, 1, {21, 11, 1, 32, 12, 13, 3, 23}},
                      SortCase{"descending_stable", ByParam, -1, {13, 3, 23, 32, 12, 21, 11, 1}},
                      SortCase{"never_equal", NeverEqual, 0, {}}, SortCase{"contradictory", Contradicts, 0, {}},
                      SortCase{"all_equal_keeps_order", AllEqual, 0, {13, 21, 3, 11, 32, 23, 1, 12}}),
    [](const auto& i) { return std::string(i.param.name); });

ListViewTest* gSorting = nullptr;
int CALLBACK DeletesWhileSorting(LPARAM a, LPARAM b, LPARAM)
{
    if (gSorting->Count() > 2)
        SendMessageW(gSorting->list_, LVM_DELETEITEM, 0, 0);
    return (int)(a - b);
}

TEST_F(ListViewTest, AComparisonThatChangesTheListAbandonsTheSort)
{
    MakeReport(6);
    gSorting = this;
    EXPECT_FALSE(SendMessageW(list_, LVM_SORTITEMS, 0, (LPARAM)DeletesWhileSorting));
    gSorting = nullptr;
    EXPECT_EQ(5, Count());
    EXPECT_EQ(u"row 1", Text(0));
    EXPECT_FALSE(SendMessageW(list_, LVM_SORTITEMS, 0, 0)) << "no comparison";
}

} // namespace
