// STATIC: mouse transparency and notifications, the parent's colours, pictures and owner-draw.
#include "platform/controls/control_fixture.h"
#include "win32/resources.h"

using namespace ctltest;

namespace {

class StaticTest : public ControlTest {
protected:
    // Paints `ctl` into a 60x30 bitmap first filled with `under`; returns the pixel at (x, y).
    COLORREF PaintedPixel(HWND ctl, COLORREF under, int x, int y)
    {
        HDC screen = GetDC(nullptr);
        HDC mem = CreateCompatibleDC(screen);
        HBITMAP bmp = CreateCompatibleBitmap(screen, 60, 30);
        HGDIOBJ old = SelectObject(mem, bmp);
        RECT all{0, 0, 60, 30};
        HBRUSH fill = CreateSolidBrush(under);
        FillRect(mem, &all, fill);
        SendMessageW(ctl, WM_PAINT, (WPARAM)mem, 0);
        COLORREF c = GetPixel(mem, x, y);
        SelectObject(mem, old);
        DeleteObject(fill);
        DeleteObject(bmp);
        DeleteDC(mem);
        ReleaseDC(nullptr, screen);
        return c;
    }
};

struct NotifyCase {
    const char* name;
    DWORD style;
    bool dbl;
    std::vector<UINT> codes;
};

class StaticNotify : public StaticTest, public ::testing::WithParamInterface<NotifyCase> {};

TEST_P(StaticNotify, ClicksReachItOnlyWithSsNotify)
{
    const NotifyCase& c = GetParam();
    HWND s = Make(u"Static", u"label", c.style, {10, 10, 110, 30}, 5);
    bool parentGotClick = false;
    parentHook_ = [&](UINT m, WPARAM, LPARAM, LRESULT*) {
        parentGotClick |= m == WM_LBUTTONDOWN;
        return false;
    };
    if (c.dbl)
        headless::DoubleClick(s, {5, 5});
    else
        headless::Click(s, {5, 5});
    std::vector<UINT> codes;
    for (auto& cmd : TakeCommands())
        codes.push_back(cmd.code);
    EXPECT_EQ(c.codes, codes);
    EXPECT_EQ(!(c.style & SS_NOTIFY), parentGotClick) << "a plain static lets the click through";
}

INSTANTIATE_TEST_SUITE_P(Static, StaticNotify,
                         ::testing::Values(NotifyCase{"plain", SS_LEFT, false, {}},
                                           NotifyCase{"notify_click", SS_NOTIFY, false, {STN_CLICKED}},
                                           NotifyCase{"notify_dblclk", SS_NOTIFY, true, {STN_CLICKED, STN_DBLCLK}}),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(StaticTest, BackgroundComesFromTheParentsBrushAndANullBrushLeavesIt)
{
    HWND s = Make(u"Static", u"", SS_LEFT, {0, 0, 60, 30});
    const COLORREF under = RGB(1, 2, 3);
    EXPECT_EQ(GetSysColor(COLOR_3DFACE), PaintedPixel(s, under, 30, 15)) << "default dialog face";

    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    struct {
        HBRUSH answer;
        COLORREF expected;
    } cases[] = {{red, RGB(255, 0, 0)}, {nullptr, under}, {(HBRUSH)GetStockObject(NULL_BRUSH), under}};
    for (auto& c : cases) {
        parentHook_ = [&](UINT m, WPARAM, LPARAM l, LRESULT* r) {
            if (m != WM_CTLCOLORSTATIC || (HWND)l != s)
                return false;
            *r = (LRESULT)c.answer;
            return true;
        };
        EXPECT_EQ(c.expected, PaintedPixel(s, under, 30, 15));
    }
    parentHook_ = nullptr;
    DeleteObject(red);
}

TEST_F(StaticTest, ShapesDrawWithTheirSystemColours)
{
    struct {
        DWORD style;
        POINT at;
        int color;
    } cases[] = {
        {SS_BLACKRECT, {30, 15}, COLOR_WINDOWFRAME}, {SS_WHITERECT, {30, 15}, COLOR_WINDOW},
        {SS_BLACKFRAME, {0, 15}, COLOR_WINDOWFRAME}, {SS_ETCHEDHORZ, {30, 0}, COLOR_3DSHADOW},
        {SS_ETCHEDHORZ, {30, 1}, COLOR_3DHILIGHT},   {SS_ETCHEDFRAME, {0, 15}, COLOR_3DSHADOW},
    };
    for (auto& c : cases) {
        HWND s = Make(u"Static", u"", c.style, {0, 0, 60, 30});
        EXPECT_EQ(GetSysColor(c.color), PaintedPixel(s, RGB(1, 2, 3), c.at.x, c.at.y)) << c.style;
        DestroyWindow(s);
    }
}

TEST_F(StaticTest, IconStaticTakesTheIconAndItsSize)
{
    HWND s = Make(u"Static", u"", SS_ICON | SS_NOTIFY, {0, 0, 10, 10});
    HICON a = LoadIconW(nullptr, IDI_APPLICATION);
    HICON b = LoadIconW(nullptr, IDI_WARNING);
    ASSERT_NE(nullptr, a);
    EXPECT_EQ(0, SendMessageW(s, STM_SETICON, (WPARAM)a, 0));
    EXPECT_EQ((LRESULT)a, SendMessageW(s, STM_SETICON, (WPARAM)b, 0));
    EXPECT_EQ((LRESULT)b, SendMessageW(s, STM_GETICON, 0, 0));
    EXPECT_EQ((LRESULT)b, SendMessageW(s, STM_GETIMAGE, IMAGE_ICON, 0));
    RECT rc;
    GetClientRect(s, &rc);
    EXPECT_EQ(GetSystemMetrics(SM_CXICON), rc.right);
    EXPECT_EQ(0, SendMessageW(s, STM_SETIMAGE, IMAGE_BITMAP, 0)) << "an icon static holds no bitmap";

    HWND text = Make(u"Static", u"t", SS_LEFT, {0, 0, 10, 10});
    HFONT font = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    SendMessageW(text, WM_SETFONT, (WPARAM)font, TRUE);
    EXPECT_EQ((LRESULT)font, SendMessageW(text, WM_GETFONT, 0, 0));
}

TEST_F(StaticTest, OwnerDrawAsksTheParent)
{
    HWND s = Make(u"Static", u"", SS_OWNERDRAW, {0, 0, 60, 30}, 9);
    drawItems_.clear();
    InvalidateRect(s, nullptr, TRUE);
    headless::PumpUntilIdle();
    ASSERT_FALSE(drawItems_.empty());
    EXPECT_EQ((UINT)ODT_STATIC, drawItems_.back().CtlType);
    EXPECT_EQ(9u, drawItems_.back().CtlID);
    EXPECT_EQ(s, drawItems_.back().hwndItem);
}

} // namespace
