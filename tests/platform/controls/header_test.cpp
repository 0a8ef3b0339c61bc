// SysHeader32: items and order, hit tests, divider tracking with its notifications and cursor, clicks.
#include "platform/controls/control_fixture.h"
#include "win32/resources.h"

#include <algorithm>
#include <string>

using namespace ctltest;

namespace {

struct Note {
    UINT code;
    int item;
    int width; // the width the notification carries, -1 when it carries none
};

class HeaderTest : public ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        parentHook_ = [this](UINT m, WPARAM, LPARAM l, LRESULT* r) {
            if (m != WM_NOTIFY)
                return false;
            auto* nm = (NMHEADERW*)l;
            if (nm->hdr.hwndFrom != header_)
                return false;
            int width = nm->pitem && (nm->pitem->mask & HDI_WIDTH) ? nm->pitem->cxy : -1;
            notes_.push_back({nm->hdr.code, nm->iItem, width});
            *r = 0;
            if (nm->hdr.code == HDN_BEGINTRACKW && refuseTrack_)
                *r = TRUE;
            if ((nm->hdr.code == HDN_ITEMCHANGINGW || nm->hdr.code == HDN_ENDTRACKW) && nm->pitem &&
                (nm->pitem->mask & HDI_WIDTH) && nm->pitem->cxy < minWidth_)
                nm->pitem->cxy = minWidth_;
            return true;
        };
    }
    // Columns "A" 100, "B" 50, "C" 0 (hidden) and "D" 80, in index order.
    HWND MakeHeader(DWORD style = HDS_BUTTONS | HDS_FULLDRAG)
    {
        header_ = Make(WC_HEADERW, u"", style, {0, 0, 300, 20}, 9);
        const char16_t* names[] = {u"A", u"B", u"C", u"D"};
        int widths[] = {100, 50, 0, 80};
        for (int i = 0; i < 4; ++i)
            Insert(i, names[i], widths[i]);
        notes_.clear();
        return header_;
    }
    int Insert(int at, const char16_t* text, int width, int order = -1)
    {
        HDITEMW it{};
        it.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT | (order >= 0 ? HDI_ORDER : 0);
        it.pszText = (LPWSTR)text;
        it.cxy = width;
        it.fmt = HDF_STRING | HDF_LEFT;
        it.iOrder = order;
        return (int)SendMessageW(header_, HDM_INSERTITEMW, (WPARAM)at, (LPARAM)&it);
    }
    int Width(int i)
    {
        HDITEMW it{};
        it.mask = HDI_WIDTH;
        return SendMessageW(header_, HDM_GETITEMW, (WPARAM)i, (LPARAM)&it) ? it.cxy : -1;
    }
    std::u16string TextOf(int i, int room = 64)
    {
        char16_t buf[64] = {};
        HDITEMW it{};
        it.mask = HDI_TEXT;
        it.pszText = buf;
        it.cchTextMax = room;
        SendMessageW(header_, HDM_GETITEMW, (WPARAM)i, (LPARAM)&it);
        return buf;
    }
    std::vector<UINT> Codes()
    {
        std::vector<UINT> c;
        for (auto& n : notes_)
            c.push_back(n.code);
        return c;
    }

    HWND header_ = nullptr;
    std::vector<Note> notes_;
    bool refuseTrack_ = false;
    int minWidth_ = 0;
};

TEST_F(HeaderTest, ItemsKeepTheirOrderThroughInsertDeleteAndReorder)
{
    MakeHeader();
    EXPECT_EQ(4, SendMessageW(header_, HDM_GETITEMCOUNT, 0, 0));
    // Inserted at index 1 but shown first.
    EXPECT_EQ(1, Insert(1, u"New", 30, 0));
    EXPECT_EQ(u"New", TextOf(1));
    EXPECT_EQ(u"B", TextOf(2));
    int order[5] = {};
    ASSERT_TRUE(SendMessageW(header_, HDM_GETORDERARRAY, 5, (LPARAM)order));
    EXPECT_EQ((std::vector<int>{1, 0, 2, 3, 4}), std::vector<int>(order, order + 5));
    EXPECT_EQ(1, SendMessageW(header_, HDM_ORDERTOINDEX, 0, 0));
    RECT r{};
    ASSERT_TRUE(SendMessageW(header_, HDM_GETITEMRECT, 0, (LPARAM)&r));
    EXPECT_EQ(30, r.left) << "A now follows New";
    EXPECT_EQ(130, r.right);

    ASSERT_TRUE(SendMessageW(header_, HDM_DELETEITEM, 1, 0));
    EXPECT_EQ(u"B", TextOf(1));
    ASSERT_TRUE(SendMessageW(header_, HDM_GETORDERARRAY, 4, (LPARAM)order));
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3}), std::vector<int>(order, order + 4));

    int bad[4] = {0, 0, 1, 2};
    EXPECT_FALSE(SendMessageW(header_, HDM_SETORDERARRAY, 4, (LPARAM)bad)) << "not a permutation";
    int swapped[4] = {3, 2, 1, 0};
    EXPECT_TRUE(SendMessageW(header_, HDM_SETORDERARRAY, 4, (LPARAM)swapped));
    EXPECT_EQ(3, SendMessageW(header_, HDM_ORDERTOINDEX, 0, 0));
    HDITEMW it{};
    it.mask = HDI_ORDER;
    SendMessageW(header_, HDM_GETITEMW, 0, (LPARAM)&it);
    EXPECT_EQ(3, it.iOrder);

    EXPECT_EQ(u"A", TextOf(0, 2));
    EXPECT_EQ(u"", TextOf(0, 1)) << "room for the terminator only";
    EXPECT_FALSE(SendMessageW(header_, HDM_DELETEITEM, 9, 0));
    EXPECT_FALSE(SendMessageW(header_, HDM_GETITEMW, (WPARAM)-1, (LPARAM)&it));
    EXPECT_FALSE(SendMessageW(header_, HDM_GETITEMRECT, 4, (LPARAM)&r));
    EXPECT_EQ(-1, SendMessageW(header_, HDM_ORDERTOINDEX, 4, 0));
    EXPECT_EQ(-1, SendMessageW(header_, HDM_INSERTITEMW, 0, 0));
}

TEST_F(HeaderTest, SetItemAsksTheParentWhichMayRefuseOrAmend)
{
    MakeHeader();
    HDITEMW it{};
    it.mask = HDI_WIDTH;
    it.cxy = 5;
    minWidth_ = 20;
    EXPECT_TRUE(SendMessageW(header_, HDM_SETITEMW, 0, (LPARAM)&it));
    EXPECT_EQ(20, Width(0)) << "raised to the parent's minimum";
    EXPECT_EQ((std::vector<UINT>{HDN_ITEMCHANGINGW, HDN_ITEMCHANGEDW}), Codes());

    parentHook_ = [](UINT m, WPARAM, LPARAM l, LRESULT* r) {
        if (m == WM_NOTIFY && ((NMHDR*)l)->code == HDN_ITEMCHANGINGW) {
            *r = TRUE;
            return true;
        }
        return false;
    };
    it.cxy = 70;
    EXPECT_FALSE(SendMessageW(header_, HDM_SETITEMW, 0, (LPARAM)&it));
    EXPECT_EQ(20, Width(0));
}

struct HitCase {
    const char* name;
    POINT pt;
    UINT flags;
    int item;
};

class HeaderHits : public HeaderTest, public ::testing::WithParamInterface<HitCase> {};

TEST_P(HeaderHits, HitTestNamesThePartUnderThePoint)
{
    MakeHeader();
    HDHITTESTINFO hi{};
    hi.pt = GetParam().pt;
    EXPECT_EQ(GetParam().item, SendMessageW(header_, HDM_HITTEST, 0, (LPARAM)&hi));
    EXPECT_EQ(GetParam().flags, hi.flags);
    EXPECT_EQ(GetParam().item, hi.iItem);
}

// Edges: A 0-100, B 100-150, C hidden at 150, D 150-230.
INSTANTIATE_TEST_SUITE_P(Header, HeaderHits,
                         ::testing::Values(HitCase{"inside_a", {50, 10}, HHT_ONHEADER, 0},
                                           HitCase{"left_of_a_divider", {98, 10}, HHT_ONDIVIDER, 0},
                                           HitCase{"right_of_a_divider", {102, 10}, HHT_ONDIVIDER, 0},
                                           HitCase{"left_of_b_divider", {148, 10}, HHT_ONDIVIDER, 1},
                                           HitCase{"opens_hidden_c", {151, 10}, HHT_ONDIVOPEN, 2},
                                           HitCase{"inside_d", {190, 10}, HHT_ONHEADER, 3},
                                           HitCase{"past_the_last", {280, 10}, HHT_NOWHERE, -1},
                                           HitCase{"left_of_header", {-3, 10}, HHT_TOLEFT, -1},
                                           HitCase{"below", {50, 25}, HHT_BELOW, -1},
                                           HitCase{"above_and_right", {310, -1}, HHT_ABOVE | HHT_TORIGHT, -1}),
                         [](const auto& i) { return std::string(i.param.name); });

struct DragCase {
    const char* name;
    bool refuse;
    int minWidth;
    int releaseX; // the drag starts on A's divider at x 101
    int width;    // A's width afterwards
};

class HeaderDrags : public HeaderTest, public ::testing::WithParamInterface<DragCase> {};

TEST_P(HeaderDrags, DividerDragNotifiesAndSizesTheColumn)
{
    const DragCase& c = GetParam();
    MakeHeader();
    refuseTrack_ = c.refuse;
    minWidth_ = c.minWidth;
    headless::MouseMove(header_, {101, 10});
    headless::PumpUntilIdle();
    EXPECT_EQ(LoadCursorW(nullptr, IDC_SIZEWE), GetCursor()) << "the sizing cursor over a divider";
    headless::ButtonDown(header_, {101, 10});
    headless::MouseMove(header_, {c.releaseX, 12});
    headless::ButtonUp(header_, {c.releaseX, 12});
    headless::PumpUntilIdle();
    EXPECT_EQ(c.width, Width(0));
    EXPECT_EQ(nullptr, GetCapture());
    auto codes = Codes();
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(HDN_BEGINTRACKW, codes.front());
    if (c.refuse) {
        EXPECT_EQ(1u, codes.size()) << "no tracking after a refusal";
        return;
    }
    EXPECT_EQ(0, notes_.front().item);
    EXPECT_EQ(100, notes_.front().width);
    bool sawTrack = false, sawEnd = false;
    for (auto& n : notes_) {
        sawTrack |= n.code == HDN_TRACKW;
        if (n.code == HDN_ENDTRACKW) {
            sawEnd = true;
            EXPECT_EQ(std::max(0, c.releaseX - 1), n.width) << "the end carries the pointer's width";
        }
        EXPECT_NE(HDN_ITEMCLICKW, n.code) << "a drag is no click";
    }
    EXPECT_TRUE(sawTrack);
    EXPECT_TRUE(sawEnd);
    EXPECT_EQ(HDN_ENDTRACKW, codes.back()) << "full drag sized it on the way";
    EXPECT_NE(codes.end(), std::find(codes.begin(), codes.end(), HDN_ITEMCHANGEDW));
    RECT r{};
    SendMessageW(header_, HDM_GETITEMRECT, 1, (LPARAM)&r);
    EXPECT_EQ(c.width, r.left) << "the columns right of it move along";
}

INSTANTIATE_TEST_SUITE_P(Header, HeaderDrags,
                         ::testing::Values(DragCase{"wider", false, 0, 141, 140},
                                           DragCase{"narrower", false, 0, 61, 60},
                                           DragCase{"past_the_left_edge", false, 0, -40, 0},
                                           DragCase{"held_at_the_minimum", false, 30, 11, 30},
                                           DragCase{"refused", true, 0, 141, 100}),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(HeaderTest, EscapeCancelsADragAndRestoresTheWidth)
{
    MakeHeader();
    headless::ButtonDown(header_, {101, 10});
    headless::MouseMove(header_, {160, 10});
    headless::PumpUntilIdle();
    EXPECT_EQ(159, Width(0)) << "full drag sizes while moving";
    SendMessageW(header_, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(100, Width(0));
    EXPECT_EQ(nullptr, GetCapture());
    headless::ButtonUp(header_, {160, 10});
    headless::PumpUntilIdle();
    EXPECT_EQ(100, Width(0));
}

TEST_F(HeaderTest, ClicksOnItemsAndDividers)
{
    struct {
        const char* name;
        DWORD style;
        POINT down, up;
        bool dbl;
        std::vector<UINT> codes;
    } cases[] = {
        {"click", HDS_BUTTONS, {50, 10}, {60, 10}, false, {HDN_ITEMCLICKW}},
        {"released_on_another_item", HDS_BUTTONS, {50, 10}, {190, 10}, false, {}},
        {"without_buttons_style", 0, {50, 10}, {50, 10}, false, {}},
        {"double_click_divider", HDS_BUTTONS, {101, 10}, {101, 10}, true,
         {HDN_BEGINTRACKW, HDN_ENDTRACKW, HDN_DIVIDERDBLCLICKW}},
        {"double_click_item", HDS_BUTTONS, {50, 10}, {50, 10}, true,
         {HDN_ITEMCLICKW, HDN_ITEMDBLCLICKW, HDN_ITEMCLICKW}},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        MakeHeader(c.style);
        if (c.dbl) {
            headless::DoubleClick(header_, c.down);
        } else {
            headless::ButtonDown(header_, c.down);
            headless::MouseMove(header_, c.up);
            headless::ButtonUp(header_, c.up);
        }
        headless::PumpUntilIdle();
        EXPECT_EQ(c.codes, Codes());
        DestroyWindow(header_);
    }
}

TEST_F(HeaderTest, LayoutTakesTheTopOfTheRectangle)
{
    MakeHeader();
    RECT rc{10, 20, 210, 220};
    WINDOWPOS wp{};
    HDLAYOUT l{&rc, &wp};
    ASSERT_TRUE(SendMessageW(header_, HDM_LAYOUT, 0, (LPARAM)&l));
    EXPECT_EQ(10, wp.x);
    EXPECT_EQ(20, wp.y);
    EXPECT_EQ(200, wp.cx);
    EXPECT_GT(wp.cy, 10);
    EXPECT_EQ(20 + wp.cy, rc.top);

    HWND hidden = Make(WC_HEADERW, u"", HDS_HIDDEN, {0, 0, 10, 10});
    rc = {0, 0, 100, 100};
    SendMessageW(hidden, HDM_LAYOUT, 0, (LPARAM)&l);
    EXPECT_EQ(0, wp.cy);
    EXPECT_EQ(0, rc.top);
}

TEST_F(HeaderTest, PaintsItemsIntoTheDcGivenInWParam)
{
    MakeHeader();
    HDITEMW it{};
    it.mask = HDI_FORMAT;
    it.fmt = HDF_STRING | HDF_SORTUP;
    SendMessageW(header_, HDM_SETITEMW, 3, (LPARAM)&it);
    it.fmt = HDF_OWNERDRAW;
    SendMessageW(header_, HDM_SETITEMW, 1, (LPARAM)&it);
    drawItems_.clear();

    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 300, 20);
    HGDIOBJ old = SelectObject(mem, bmp);
    SendMessageW(header_, WM_PAINT, (WPARAM)mem, 0);
    EXPECT_EQ(GetSysColor(COLOR_3DFACE), GetPixel(mem, 50, 2)) << "face";
    EXPECT_EQ(GetSysColor(COLOR_3DHILIGHT), GetPixel(mem, 0, 5)) << "raised edge";
    auto inked = [&](int x0, int x1, int color) {
        int n = 0;
        for (int y = 2; y < 18; ++y)
            for (int x = x0; x < x1; ++x)
                n += GetPixel(mem, x, y) == GetSysColor(color);
        return n;
    };
    EXPECT_GT(inked(3, 30, COLOR_BTNTEXT), 3) << "the text of A";
    EXPECT_GT(inked(210, 226, COLOR_3DSHADOW), 3) << "the sort arrow of D";
    ASSERT_EQ(1u, drawItems_.size());
    EXPECT_EQ((UINT)ODT_HEADER, drawItems_[0].CtlType);
    EXPECT_EQ(1u, drawItems_[0].itemID);
    EXPECT_EQ(100, drawItems_[0].rcItem.left);
    EXPECT_EQ(150, drawItems_[0].rcItem.right);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
}

} // namespace
