// SysListView32: geometry of the four views, hit tests, scrolling, painting and custom draw.
#include "platform/controls/listview_fixture.h"
#include "support/support.h"
#include "win32/gdi/surface.h"
#include "win32/user/presenter.h"

using namespace lvtest;

namespace {

TEST_F(ListViewTest, ReportRectsFollowColumnsAndScrolling)
{
    HIMAGELIST small = ImageList_Create(16, 16, ILC_COLOR32, 1, 1);
    MakeReport(50);
    SendMessageW(list_, LVM_SETIMAGELIST, LVSIL_SMALL, (LPARAM)small);
    RECT hr;
    GetWindowRect((HWND)SendMessageW(list_, LVM_GETHEADER, 0, 0), &hr);
    int headerH = hr.bottom - hr.top;
    RECT b0 = ItemRect(0), b1 = ItemRect(1);
    int rowH = b1.top - b0.top;
    EXPECT_GE(rowH, 17) << "room for a 16-pixel icon";
    EXPECT_EQ(headerH, b0.top);
    EXPECT_EQ(0, b0.left);
    EXPECT_EQ(240, b0.right) << "all three columns";
    RECT icon = ItemRect(0, LVIR_ICON), label = ItemRect(0, LVIR_LABEL);
    EXPECT_EQ(16, icon.right - icon.left);
    EXPECT_EQ(icon.right, label.left);
    EXPECT_EQ(100, label.right) << "the label ends with the first column";

    RECT client;
    GetClientRect(list_, &client);
    int perPage = (int)SendMessageW(list_, LVM_GETCOUNTPERPAGE, 0, 0);
    EXPECT_EQ((client.bottom - headerH) / rowH, perPage);
    ASSERT_TRUE(SendMessageW(list_, LVM_ENSUREVISIBLE, 30, FALSE));
    EXPECT_EQ(30 - perPage + 1, SendMessageW(list_, LVM_GETTOPINDEX, 0, 0));
    SCROLLINFO si{sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(list_, SB_VERT, &si);
    EXPECT_EQ(49, si.nMax);
    EXPECT_EQ((UINT)perPage, si.nPage);
    EXPECT_EQ(30 - perPage + 1, si.nPos);
    EXPECT_EQ(headerH + (30 - si.nPos) * rowH, ItemRect(30).top);
    ASSERT_TRUE(SendMessageW(list_, LVM_SCROLL, 0, -3 * rowH));
    EXPECT_EQ(30 - perPage - 2, SendMessageW(list_, LVM_GETTOPINDEX, 0, 0));
    SendMessageW(list_, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(50 - perPage, SendMessageW(list_, LVM_GETTOPINDEX, 0, 0));
    SendMessageW(list_, WM_VSCROLL, SB_PAGEUP, 0);
    EXPECT_EQ(50 - 2 * perPage, SendMessageW(list_, LVM_GETTOPINDEX, 0, 0));
    EXPECT_FALSE(SendMessageW(list_, LVM_ENSUREVISIBLE, 50, FALSE));

    // The header takes column images from the small list, unless its owner gave it another.
    HWND header = (HWND)SendMessageW(list_, LVM_GETHEADER, 0, 0);
    EXPECT_EQ((LRESULT)small, SendMessageW(header, HDM_GETIMAGELIST, 0, 0));
    HIMAGELIST own = ImageList_Create(16, 16, ILC_COLOR32, 1, 1);
    SendMessageW(header, HDM_SETIMAGELIST, 0, (LPARAM)own);
    SendMessageW(list_, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
    EXPECT_EQ((LRESULT)own, SendMessageW(header, HDM_GETIMAGELIST, 0, 0));
    ImageList_Destroy(own);
    ImageList_Destroy(small);
}

struct HitCase {
    const char* name;
    DWORD ex;
    POINT offset; // from the left/top of row 2's label, or absolute when `absolute`
    bool absolute;
    UINT flags;
    int item;
    int sub; // from the sub-item hit test
};

class ListViewHits : public ListViewTest, public ::testing::WithParamInterface<HitCase> {};

TEST_P(ListViewHits, HitTestNamesThePart)
{
    const HitCase& c = GetParam();
    HIMAGELIST small = ImageList_Create(16, 16, ILC_COLOR32, 1, 1);
    MakeReport(4, c.ex | LVS_EX_CHECKBOXES);
    SendMessageW(list_, LVM_SETIMAGELIST, LVSIL_SMALL, (LPARAM)small);
    RECT label = ItemRect(2, LVIR_LABEL);
    LVHITTESTINFO hi{};
    hi.pt = c.absolute ? c.offset : POINT{label.left + c.offset.x, label.top + c.offset.y};
    EXPECT_EQ(c.item, SendMessageW(list_, LVM_HITTEST, 0, (LPARAM)&hi));
    EXPECT_EQ(c.flags, hi.flags);
    LVHITTESTINFO sub{};
    sub.pt = hi.pt;
    SendMessageW(list_, LVM_SUBITEMHITTEST, 0, (LPARAM)&sub);
    EXPECT_EQ(c.sub, sub.iSubItem);
    ImageList_Destroy(small);
}

// Row 2's first column holds, from the left: the check box (16), the icon (16), the label up to x 100.
INSTANTIATE_TEST_SUITE_P(
    ListView, ListViewHits,
    ::testing::Values(HitCase{"label", 0, {10, 3}, false, LVHT_ONITEMLABEL, 2, 0},
                      HitCase{"icon", 0, {-8, 3}, false, LVHT_ONITEMICON, 2, 0},
                      HitCase{"check_box", 0, {-24, 3}, false, LVHT_ONITEMSTATEICON, 2, 0},
                      HitCase{"sub_item_plain", 0, {90, 3}, false, LVHT_NOWHERE, -1, 1},
                      HitCase{"sub_item_full_row", LVS_EX_FULLROWSELECT, {90, 3}, false, LVHT_ONITEMLABEL, 2, 1},
                      HitCase{"past_the_columns", LVS_EX_FULLROWSELECT, {250, 30}, true, LVHT_NOWHERE, -1, 0},
                      HitCase{"below_the_rows", 0, {20, 180}, true, LVHT_NOWHERE, -1, 0},
                      HitCase{"right_of_the_list", 0, {400, 30}, true, LVHT_TORIGHT, -1, 0},
                      HitCase{"above_the_list", 0, {20, -5}, true, LVHT_ABOVE, -1, 0}),
    [](const auto& i) { return std::string(i.param.name); });

struct ViewCase {
    const char* name;
    DWORD view;
    bool header;
    bool sameRowAsNext; // item 0 and item 1 share a row
};

class ListViewViews : public ListViewTest, public ::testing::WithParamInterface<ViewCase> {};

TEST_P(ListViewViews, SwitchingViewsRearrangesTheItems)
{
    const ViewCase& c = GetParam();
    MakeReport(30);
    LONG_PTR st = GetWindowLongPtrW(list_, GWL_STYLE);
    SetWindowLongPtrW(list_, GWL_STYLE, (st & ~(LONG_PTR)LVS_TYPEMASK) | c.view);
    headless::PumpUntilIdle();
    HWND header = (HWND)SendMessageW(list_, LVM_GETHEADER, 0, 0);
    EXPECT_EQ(c.header, IsWindowVisible(header) != FALSE);
    RECT r0 = ItemRect(0), r1 = ItemRect(1);
    EXPECT_EQ(c.sameRowAsNext, r0.top == r1.top);
    EXPECT_FALSE(IsRectEmpty(&r0));
    // Every item is found where its rectangle says it is.
    for (int i : {0, 1, 5}) {
        RECT l = ItemRect(i, LVIR_LABEL);
        if (l.right <= 0 || l.left >= 300 || l.bottom > 200)
            continue;
        LVHITTESTINFO hi{};
        hi.pt = {l.left + 2, (l.top + l.bottom) / 2};
        EXPECT_EQ(i, SendMessageW(list_, LVM_HITTEST, 0, (LPARAM)&hi)) << i;
    }
    // The last item can be brought into view.
    ASSERT_TRUE(SendMessageW(list_, LVM_ENSUREVISIBLE, 29, FALSE));
    RECT last = ItemRect(29), client;
    GetClientRect(list_, &client);
    EXPECT_GE(last.left, 0);
    EXPECT_LE(last.bottom, client.bottom);
    EXPECT_LE(last.top, client.bottom);
    Canvas canvas(list_); // paints without trouble in every view
}

INSTANTIATE_TEST_SUITE_P(ListView, ListViewViews,
                         ::testing::Values(ViewCase{"report", LVS_REPORT, true, false},
                                           ViewCase{"list", LVS_LIST, false, false},
                                           ViewCase{"small_icon", LVS_SMALLICON, false, true},
                                           ViewCase{"icon", LVS_ICON, false, true}),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(ListViewTest, ListViewColumnsAndPages)
{
    MakeList(LVS_LIST);
    for (int i = 0; i < 40; ++i)
        AddRow(u"item " + Num(i));
    ASSERT_TRUE(SendMessageW(list_, LVM_SETCOLUMNWIDTH, 0, 90));
    EXPECT_EQ(90, SendMessageW(list_, LVM_GETCOLUMNWIDTH, 0, 0));
    RECT r0 = ItemRect(0);
    int rows = 0;
    while (ItemRect(rows).left == r0.left && rows < 40)
        ++rows;
    ASSERT_GT(rows, 1);
    EXPECT_EQ(90, ItemRect(rows).left) << "the next column starts one column width on";
    // Only whole columns count: 300 pixels hold three of 90.
    EXPECT_EQ(rows * 3, SendMessageW(list_, LVM_GETCOUNTPERPAGE, 0, 0));
    SendMessageW(list_, LVM_ENSUREVISIBLE, 39, FALSE);
    EXPECT_EQ(rows * (39 / rows - 2), SendMessageW(list_, LVM_GETTOPINDEX, 0, 0));
}

TEST_F(ListViewTest, ThumbDragReachesRowsBeyondSixteenBits)
{
    MakeList(LVS_REPORT);
    AddColumn(u"n", 100);
    SendMessageW(list_, LVM_SETITEMCOUNT, 70000, 0);
    for (int i = 0; i < 70000; ++i)
        AddRow(u"r");
    headless::PumpUntilIdle();
    RECT client;
    GetClientRect(list_, &client);
    // The vertical bar lies just right of the client area; drag its thumb to the bottom.
    int x = client.right + GetSystemMetrics(SM_CXVSCROLL) / 2;
    int arrow = GetSystemMetrics(SM_CYVSCROLL);
    headless::ButtonDown(list_, {x, arrow + 4});
    headless::MouseMove(list_, {x, client.bottom + 40});
    headless::ButtonUp(list_, {x, client.bottom + 40});
    headless::PumpUntilIdle();
    int perPage = (int)SendMessageW(list_, LVM_GETCOUNTPERPAGE, 0, 0);
    EXPECT_EQ(70000 - perPage, SendMessageW(list_, LVM_GETTOPINDEX, 0, 0));
    // A position sent by hand, within 16 bits, is taken as it stands.
    SendMessageW(list_, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 1234), 0);
    EXPECT_EQ(1234, SendMessageW(list_, LVM_GETTOPINDEX, 0, 0));
}

// ---- Painting ---------------------------------------------------------------------------------

TEST_F(ListViewTest, PaintsRowsSelectionAndGridLinesIntoTheDcGiven)
{
    MakeReport(3, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    // A small image list of one red square, shown by row 2.
    HIMAGELIST small = ImageList_Create(16, 16, ILC_COLOR32, 1, 1);
    HDC screen = GetDC(nullptr);
    HBITMAP red = CreateCompatibleBitmap(screen, 16, 16);
    HDC mem = CreateCompatibleDC(screen);
    HGDIOBJ oldBmp = SelectObject(mem, red);
    RECT all{0, 0, 16, 16};
    HBRUSH brush = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(mem, &all, brush);
    DeleteObject(brush);
    SelectObject(mem, oldBmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    ImageList_Add(small, red, nullptr);
    DeleteObject(red);
    SendMessageW(list_, LVM_SETIMAGELIST, LVSIL_SMALL, (LPARAM)small);
    LVITEMW img{};
    img.mask = LVIF_IMAGE;
    img.iItem = 2;
    img.iImage = 0;
    SendMessageW(list_, LVM_SETITEMW, 0, (LPARAM)&img);
    img.iItem = 0;
    img.iImage = I_IMAGENONE;
    SendMessageW(list_, LVM_SETITEMW, 0, (LPARAM)&img);
    SetState(1, LVIS_SELECTED, LVIS_SELECTED);
    Canvas canvas(list_);
    RECT r0 = ItemRect(0), r1 = ItemRect(1);
    EXPECT_EQ(RGB(255, 0, 0), canvas.At(8, ItemRect(2).top + ItemRect(2).bottom - ItemRect(2).top - 9)) << "icon";
    EXPECT_EQ(0, canvas.CountColor(ItemRect(0, LVIR_ICON), RGB(255, 0, 0))) << "no image";
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), canvas.At(150, r0.top + 2));
    EXPECT_GT(canvas.CountColor({0, r0.top, 100, r0.bottom}, GetSysColor(COLOR_WINDOWTEXT)), 5) << "text";
    // Shown selected without the focus because of LVS_SHOWSELALWAYS, across the whole row.
    EXPECT_EQ(GetSysColor(COLOR_3DFACE), canvas.At(150, r1.top + 2));
    EXPECT_EQ(GetSysColor(COLOR_3DFACE), canvas.At(99, 190)) << "a grid line below the rows";
    EXPECT_EQ(GetSysColor(COLOR_3DFACE), canvas.At(50, r0.bottom - 1));

    SetFocus(list_);
    Canvas focused(list_);
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), focused.At(150, r1.top + 2));
}

// The list greys itself while disabled; enabling or disabling it repaints it at once, not at the next click.
TEST_F(ListViewTest, EnablingOrDisablingRepaintsTheWholeList)
{
    MakeReport(3, 0);
    for (BOOL enable : {FALSE, TRUE}) {
        SCOPED_TRACE(enable);
        UpdateWindow(list_);
        RECT pending{};
        ASSERT_FALSE(GetUpdateRect(list_, &pending, FALSE));
        EnableWindow(list_, enable);
        ASSERT_TRUE(GetUpdateRect(list_, &pending, FALSE));
        RECT client;
        GetClientRect(list_, &client);
        EXPECT_TRUE(EqualRect(&pending, &client));
    }
}

TEST_F(ListViewTest, CustomDrawStagesAndColours)
{
    MakeReport(3);
    std::vector<std::pair<DWORD, int>> stages; // stage, item or sub-item
    onNotify_ = [&](NMHDR* nm) -> LRESULT {
        if (nm->code != NM_CUSTOMDRAW)
            return 0;
        auto* cd = (NMLVCUSTOMDRAW*)nm;
        DWORD stage = cd->nmcd.dwDrawStage;
        int item = (int)cd->nmcd.dwItemSpec;
        stages.push_back({stage, stage == (CDDS_ITEMPREPAINT | CDDS_SUBITEM) ? cd->iSubItem : item});
        if (stage == CDDS_PREPAINT)
            return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
        if (stage == CDDS_ITEMPREPAINT) {
            if (item == 2)
                return CDRF_SKIPDEFAULT;
            return CDRF_NOTIFYSUBITEMDRAW | CDRF_NOTIFYPOSTPAINT;
        }
        if (stage == (CDDS_ITEMPREPAINT | CDDS_SUBITEM)) {
            // Row 0 red on yellow in its second column only; row 1 blue text everywhere.
            if (item == 0 && cd->iSubItem == 1) {
                cd->clrText = RGB(255, 0, 0);
                cd->clrTextBk = RGB(255, 255, 0);
            }
            if (item == 1)
                cd->clrText = RGB(0, 0, 255);
        }
        return CDRF_DODEFAULT;
    };
    Canvas canvas(list_);
    using S = std::pair<DWORD, int>;
    const DWORD sub = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
    std::vector<S> expected = {{CDDS_PREPAINT, 0},
                               {CDDS_ITEMPREPAINT, 0}, {sub, 0}, {sub, 1}, {sub, 2}, {CDDS_ITEMPOSTPAINT, 0},
                               {CDDS_ITEMPREPAINT, 1}, {sub, 0}, {sub, 1}, {sub, 2}, {CDDS_ITEMPOSTPAINT, 1},
                               {CDDS_ITEMPREPAINT, 2}, {CDDS_POSTPAINT, 0}};
    EXPECT_EQ(expected, stages);
    RECT r0 = ItemRect(0), r1 = ItemRect(1), r2 = ItemRect(2);
    EXPECT_EQ(RGB(255, 255, 0), canvas.At(102, r0.top + 1)) << "row 0, second column";
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), canvas.At(50, r0.top + 1)) << "row 0, first column";
    EXPECT_GT(canvas.CountColor({100, r0.top, 180, r0.bottom}, RGB(255, 0, 0)), 3);
    EXPECT_GT(canvas.CountColor({0, r1.top, 240, r1.bottom}, RGB(0, 0, 255)), 10);
    EXPECT_EQ(0, canvas.CountColor({0, r2.top, 240, r2.bottom}, GetSysColor(COLOR_WINDOWTEXT))) << "skipped";

    // The same colours reach the saved picture of the window.
    InvalidateRect(list_, nullptr, TRUE);
    ASSERT_TRUE(headless::SavePng(parent_, testsupport::ScratchDir() + "/listview_custom_draw.png"));
    POINT at{102, r0.top + 1};
    ClientToScreen(list_, &at);
    RECT wr;
    GetWindowRect(parent_, &wr);
    uint32_t v = user::WindowSurface(parent_)->Row(at.y - wr.top)[at.x - wr.left];
    EXPECT_EQ(RGB(255, 255, 0), RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF));
}

TEST_F(ListViewTest, TiledBackgroundImageShowsBehindTheRows)
{
    MakeReport(2);
    // A 2x2 checkerboard of red and green.
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP tile = CreateCompatibleBitmap(screen, 2, 2);
    HGDIOBJ old = SelectObject(mem, tile);
    SetPixel(mem, 0, 0, RGB(255, 0, 0));
    SetPixel(mem, 1, 1, RGB(255, 0, 0));
    SetPixel(mem, 1, 0, RGB(0, 255, 0));
    SetPixel(mem, 0, 1, RGB(0, 255, 0));
    SelectObject(mem, old);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    LVBKIMAGEW bk{};
    bk.ulFlags = LVBKIF_SOURCE_HBITMAP | LVBKIF_STYLE_TILE;
    bk.hbm = tile;
    ASSERT_TRUE(SendMessageW(list_, LVM_SETBKIMAGEW, 0, (LPARAM)&bk));
    DeleteObject(tile); // the list keeps its own copy
    Canvas canvas(list_);
    RECT hr;
    GetWindowRect((HWND)SendMessageW(list_, LVM_GETHEADER, 0, 0), &hr);
    int y = 150;
    COLORREF a = canvas.At(200, y), b = canvas.At(201, y), c = canvas.At(200, y + 1);
    EXPECT_TRUE((a == RGB(255, 0, 0) && b == RGB(0, 255, 0)) || (a == RGB(0, 255, 0) && b == RGB(255, 0, 0)));
    EXPECT_EQ(b, c);
    RECT r0 = ItemRect(0);
    EXPECT_GT(canvas.CountColor({0, r0.top, 100, r0.bottom}, GetSysColor(COLOR_WINDOWTEXT)), 5);
    EXPECT_NE(GetSysColor(COLOR_WINDOW), canvas.At(150, r0.top + 1)) << "rows let the picture through";

    bk.ulFlags = LVBKIF_SOURCE_HBITMAP;
    bk.hbm = tile; // deleted: refused
    EXPECT_FALSE(SendMessageW(list_, LVM_SETBKIMAGEW, 0, (LPARAM)&bk));
    bk.ulFlags = LVBKIF_SOURCE_NONE;
    EXPECT_TRUE(SendMessageW(list_, LVM_SETBKIMAGEW, 0, (LPARAM)&bk));
    Canvas plain(list_);
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), plain.At(200, 150));
}

TEST_F(ListViewTest, WorkAreasAreAcceptedAndReadBack)
{
    MakeReport(1);
    RECT areas[2] = {{0, 0, 100, 100}, {100, 0, 200, 100}};
    SendMessageW(list_, LVM_SETWORKAREAS, 2, (LPARAM)areas);
    UINT n = 0;
    SendMessageW(list_, LVM_GETNUMBEROFWORKAREAS, 0, (LPARAM)&n);
    EXPECT_EQ(2u, n);
    SendMessageW(list_, LVM_SETWORKAREAS, 0, 0);
    SendMessageW(list_, LVM_GETNUMBEROFWORKAREAS, 0, (LPARAM)&n);
    EXPECT_EQ(0u, n);
}

} // namespace
