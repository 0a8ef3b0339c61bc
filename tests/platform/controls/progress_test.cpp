// msctls_progress32: range, position and step messages with their answers, and how the bar is painted.
#include "platform/controls/control_fixture.h"

using namespace ctltest;

namespace {

class ProgressTest : public ControlTest {};

TEST_F(ProgressTest, MessagesAnswerThePreviousValues)
{
    HWND p = Make(u"msctls_progress32", u"", 0, {0, 0, 200, 20});
    PBRANGE r{-1, -1};
    struct {
        const char* what;
        UINT msg;
        WPARAM w;
        LPARAM l;
        LRESULT expect;
    } cases[] = {
        {"default low", PBM_GETRANGE, TRUE, 0, 0},
        {"default high", PBM_GETRANGE, FALSE, (LPARAM)&r, 100},
        {"set returns the old position", PBM_SETPOS, 40, 0, 0},
        {"clamped above", PBM_SETPOS, 500, 0, 40},
        {"at the top", PBM_GETPOS, 0, 0, 100},
        {"clamped below", PBM_SETPOS, (WPARAM)-5, 0, 100},
        {"delta", PBM_DELTAPOS, 30, 0, 0},
        {"delta clamps", PBM_DELTAPOS, (WPARAM)-100, 0, 30},
        {"default step", PBM_SETSTEP, 25, 0, 10},
        {"step", PBM_STEPIT, 0, 0, 0},
        {"stepped", PBM_GETPOS, 0, 0, 25},
        {"16-bit range answers the old one", PBM_SETRANGE, 0, MAKELPARAM(10, 20), MAKELONG(0, 100)},
        {"position moved into the range", PBM_GETPOS, 0, 0, 20},
        {"32-bit range", PBM_SETRANGE32, (WPARAM)-1000, 100000, MAKELONG(10, 20)},
        {"32-bit high", PBM_GETRANGE, FALSE, 0, 100000},
        {"32-bit low", PBM_GETRANGE, TRUE, 0, -1000},
        {"bar colour", PBM_SETBARCOLOR, 0, RGB(1, 2, 3), (LRESULT)CLR_DEFAULT},
        {"bar colour again", PBM_SETBARCOLOR, 0, RGB(4, 5, 6), RGB(1, 2, 3)},
        {"background", CCM_SETBKCOLOR, 0, RGB(7, 8, 9), (LRESULT)CLR_DEFAULT},
        {"font kept", WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), 0, 0},
        {"font", WM_GETFONT, 0, 0, (LRESULT)GetStockObject(DEFAULT_GUI_FONT)},
    };
    for (auto& c : cases)
        EXPECT_EQ(c.expect, SendMessageW(p, c.msg, c.w, c.l)) << c.what;
    EXPECT_EQ(0, r.iLow);
    EXPECT_EQ(100, r.iHigh);
}

TEST_F(ProgressTest, SteppingPastTheEndStartsOver)
{
    HWND p = Make(u"msctls_progress32", u"", 0, {0, 0, 200, 20});
    SendMessageW(p, PBM_SETPOS, 95, 0);
    EXPECT_EQ(95, SendMessageW(p, PBM_STEPIT, 0, 0));
    EXPECT_EQ(5, SendMessageW(p, PBM_GETPOS, 0, 0));
}

struct PaintCase {
    const char* name;
    DWORD style;
    RECT rc;
    POINT filled, empty, gap; // gap: (-1,-1) when there is none to look at
};

class ProgressPaint : public ProgressTest, public ::testing::WithParamInterface<PaintCase> {};

TEST_P(ProgressPaint, FillsInTheBarColour)
{
    const PaintCase& c = GetParam();
    HWND p = Make(u"msctls_progress32", u"", c.style, c.rc);
    SendMessageW(p, PBM_SETPOS, 50, 0);
    SendMessageW(p, PBM_SETBARCOLOR, 0, RGB(200, 0, 0));
    SendMessageW(p, CCM_SETBKCOLOR, 0, RGB(0, 0, 200));
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 200, 200);
    HGDIOBJ old = SelectObject(mem, bmp);
    SendMessageW(p, WM_PRINTCLIENT, (WPARAM)mem, 0);
    EXPECT_EQ(RGB(200, 0, 0), GetPixel(mem, c.filled.x, c.filled.y));
    EXPECT_EQ(RGB(0, 0, 200), GetPixel(mem, c.empty.x, c.empty.y));
    if (c.gap.x >= 0) {
        EXPECT_EQ(RGB(0, 0, 200), GetPixel(mem, c.gap.x, c.gap.y)) << "between chunks";
    }
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
}

// A 200x20 bar has a 196x16 inside; chunks are 10 wide with 2-pixel gaps.
INSTANTIATE_TEST_SUITE_P(Progress, ProgressPaint,
                         ::testing::Values(PaintCase{"chunks", 0, {0, 0, 200, 20}, {5, 10}, {150, 10}, {13, 10}},
                                           PaintCase{"smooth", PBS_SMOOTH, {0, 0, 200, 20}, {13, 10}, {150, 10}, {-1, -1}},
                                           PaintCase{"vertical", PBS_VERTICAL | PBS_SMOOTH, {0, 0, 20, 200},
                                                     {10, 190}, {10, 20}, {-1, -1}}),
                         [](const auto& i) { return std::string(i.param.name); });

} // namespace
