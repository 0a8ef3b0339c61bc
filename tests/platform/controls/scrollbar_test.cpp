// SCROLLBAR control: its state through the SB_CTL functions and SBM_ messages, and what mouse and keys report.
#include "platform/controls/control_fixture.h"

using namespace ctltest;

namespace {

struct Scroll {
    UINT msg;
    int code;
    int pos;
    bool operator==(const Scroll& o) const { return msg == o.msg && code == o.code && pos == o.pos; }
};

void PrintTo(const Scroll& s, std::ostream* os)
{
    *os << (s.msg == WM_VSCROLL ? "V" : "H") << "(" << s.code << "," << s.pos << ")";
}

class ScrollBarTest : public ControlTest {
public:
    // A 17x200 vertical bar (or 200x17 horizontal) over 0..100 with a page of 10.
    HWND MakeBar(DWORD style)
    {
        RECT rc = (style & SBS_VERT) ? RECT{10, 10, 27, 210} : RECT{10, 10, 210, 27};
        HWND sb = Make(u"ScrollBar", u"", style, rc);
        SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 100, 10, 0, 0};
        SetScrollInfo(sb, SB_CTL, &si, TRUE);
        parentHook_ = [this, sb](UINT m, WPARAM w, LPARAM l, LRESULT*) {
            if ((m == WM_VSCROLL || m == WM_HSCROLL) && (HWND)l == sb)
                scrolls.push_back({m, LOWORD(w), (short)HIWORD(w)});
            return false;
        };
        return sb;
    }
    std::vector<Scroll> scrolls;
};

TEST_F(ScrollBarTest, StateThroughTheSharedFunctions)
{
    HWND sb = Make(u"ScrollBar", u"", SBS_HORZ, {0, 0, 200, 17});
    int lo = -1, hi = -1;
    ASSERT_TRUE(GetScrollRange(sb, SB_CTL, &lo, &hi));
    EXPECT_EQ(0, lo);
    EXPECT_EQ(0, hi) << "a control's range starts empty";
    SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS, 10, 50, 11, 99, 0};
    EXPECT_EQ(40, SetScrollInfo(sb, SB_CTL, &si, FALSE)) << "the position stops where the last page starts";
    EXPECT_EQ(40, SetScrollPos(sb, SB_CTL, 5, FALSE)) << "the previous position";
    EXPECT_EQ(10, GetScrollPos(sb, SB_CTL));
    EXPECT_EQ(10, SendMessageW(sb, SBM_SETPOS, 20, FALSE));
    EXPECT_EQ(20, SendMessageW(sb, SBM_GETPOS, 0, 0));
    EXPECT_EQ(20, SendMessageW(sb, SBM_SETRANGE, 30, 60));
    EXPECT_EQ(30, GetScrollPos(sb, SB_CTL)) << "moved into the new range";
    SendMessageW(sb, SBM_GETRANGE, (WPARAM)&lo, (LPARAM)&hi);
    EXPECT_EQ(30, lo);
    EXPECT_EQ(60, hi);
    SCROLLINFO out{sizeof(out), SIF_ALL, 0, 0, 0, 0, 0};
    ASSERT_TRUE(GetScrollInfo(sb, SB_CTL, &out));
    EXPECT_EQ(11u, out.nPage);
    EXPECT_TRUE(SendMessageW(sb, SBM_ENABLE_ARROWS, ESB_DISABLE_BOTH, 0));
    EXPECT_FALSE(SendMessageW(sb, SBM_ENABLE_ARROWS, ESB_DISABLE_BOTH, 0)) << "no change";
    EXPECT_TRUE(EnableScrollBar(sb, SB_CTL, ESB_ENABLE_BOTH));
    EXPECT_TRUE(ShowScrollBar(sb, SB_CTL, FALSE));
    EXPECT_FALSE(IsWindowVisible(sb));
}

struct MouseCase {
    const char* name;
    DWORD style;
    std::function<void(HWND)> act;
    std::vector<Scroll> expect;
};

class ScrollBarMouse : public ScrollBarTest, public ::testing::WithParamInterface<MouseCase> {};

TEST_P(ScrollBarMouse, ReportsToTheParent)
{
    const MouseCase& c = GetParam();
    HWND sb = MakeBar(c.style);
    SetScrollPos(sb, SB_CTL, 50, FALSE);
    c.act(sb);
    headless::PumpUntilIdle();
    EXPECT_EQ(c.expect, scrolls);
    EXPECT_EQ(nullptr, GetCapture());
}

const UINT V = WM_VSCROLL, H = WM_HSCROLL;

INSTANTIATE_TEST_SUITE_P(
    ScrollBar, ScrollBarMouse,
    ::testing::Values(
        MouseCase{"up_arrow", SBS_VERT, [](HWND sb) { headless::Click(sb, {8, 5}); },
                  {{V, SB_LINEUP, 0}, {V, SB_ENDSCROLL, 0}}},
        MouseCase{"right_arrow", SBS_HORZ, [](HWND sb) { headless::Click(sb, {195, 8}); },
                  {{H, SB_LINERIGHT, 0}, {H, SB_ENDSCROLL, 0}}},
        MouseCase{"page_above_the_thumb", SBS_VERT, [](HWND sb) { headless::Click(sb, {8, 30}); },
                  {{V, SB_PAGEUP, 0}, {V, SB_ENDSCROLL, 0}}},
        MouseCase{"held_arrow_repeats", SBS_VERT,
                  [](HWND sb) {
                      headless::ButtonDown(sb, {8, 195});
                      headless::PumpUntilIdle();
                      headless::AdvanceClock(250);
                      headless::PumpUntilIdle();
                      headless::AdvanceClock(50);
                      headless::PumpUntilIdle();
                      headless::ButtonUp(sb, {8, 195});
                  },
                  {{V, SB_LINEDOWN, 0}, {V, SB_LINEDOWN, 0}, {V, SB_LINEDOWN, 0}, {V, SB_ENDSCROLL, 0}}},
        MouseCase{"released_off_the_arrow_stops_repeating", SBS_VERT,
                  [](HWND sb) {
                      headless::ButtonDown(sb, {8, 195});
                      headless::MouseMove(sb, {8, 100});
                      headless::PumpUntilIdle();
                      headless::AdvanceClock(300);
                      headless::PumpUntilIdle();
                      headless::ButtonUp(sb, {8, 100});
                  },
                  {{V, SB_LINEDOWN, 0}, {V, SB_ENDSCROLL, 0}}},
        MouseCase{"thumb_drag_to_the_end", SBS_VERT,
                  [](HWND sb) {
                      // Track 166 px below a 17 px arrow; a 16 px thumb 82 px down for position 50 of 0..91.
                      headless::ButtonDown(sb, {8, 17 + 82 + 8});
                      headless::MouseMove(sb, {8, 400});
                      headless::ButtonUp(sb, {8, 400});
                  },
                  {{V, SB_THUMBTRACK, 91}, {V, SB_THUMBPOSITION, 91}, {V, SB_ENDSCROLL, 0}}},
        MouseCase{"disabled_arrow", SBS_VERT,
                  [](HWND sb) {
                      EnableScrollBar(sb, SB_CTL, ESB_DISABLE_UP);
                      headless::Click(sb, {8, 5});
                  },
                  {}},
        MouseCase{"keys", SBS_VERT | WS_TABSTOP,
                  [](HWND sb) {
                      SetFocus(sb);
                      headless::PressKey(VK_DOWN);
                      headless::PressKey(VK_HOME);
                  },
                  {{V, SB_LINEDOWN, 0}, {V, SB_ENDSCROLL, 0}, {V, SB_TOP, 0}, {V, SB_ENDSCROLL, 0}}}),
    [](const auto& i) { return std::string(i.param.name); });

} // namespace
