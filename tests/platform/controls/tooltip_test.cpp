// tooltips_class32: when relayed mouse messages show and hide a tip, callbacks for text, and the tip's size and colours.
#include "platform/controls/control_fixture.h"

using namespace ctltest;

namespace {

class ToolTipTest : public ControlTest {
public:
    void SetUp() override
    {
        ControlTest::SetUp();
        toolWnd = usertest::MakeChild(parent_, u"tool", {10, 10, 110, 60}, 1);
        other = usertest::MakeChild(parent_, u"other", {200, 10, 300, 60}, 2);
        for (HWND w : {toolWnd, other})
            usertest::SetHandler(w, [this](HWND h, UINT m, WPARAM, LPARAM l, LRESULT* r) {
                if (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST && tip) {
                    MSG msg{h, m, 0, l, 0, {}};
                    SendMessageW(tip, TTM_RELAYEVENT, 0, (LPARAM)&msg);
                }
                if (m == WM_NOTIFY && ((NMHDR*)l)->code == TTN_GETDISPINFOW) {
                    auto* di = (NMTTDISPINFOW*)l;
                    asked.push_back(*di);
                    std::u16string s = callbackText.substr(0, 79);
                    std::copy(s.begin(), s.end(), di->szText);
                    di->szText[s.size()] = 0;
                    di->uFlags |= callbackFlags;
                    *r = 0;
                    return true;
                }
                return false;
            });
        headless::PumpUntilIdle();
    }
    void MakeTip(DWORD style = 0)
    {
        tip = CreateWindowExW(WS_EX_TOPMOST, u"tooltips_class32", nullptr, WS_POPUP | style, 0, 0, 0, 0, parent_,
                              nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, tip);
    }
    TOOLINFOW Info(HWND w, UINT_PTR id, RECT rc, const char16_t* text, UINT flags = 0)
    {
        TOOLINFOW ti{};
        ti.cbSize = sizeof ti;
        ti.uFlags = flags;
        ti.hwnd = w;
        ti.uId = id;
        ti.rect = rc;
        ti.lpszText = (LPWSTR)text;
        return ti;
    }
    void AddRectTool(const char16_t* text, UINT flags = 0)
    {
        TOOLINFOW ti = Info(toolWnd, 5, {0, 0, 50, 50}, text, flags);
        ASSERT_TRUE(SendMessageW(tip, TTM_ADDTOOLW, 0, (LPARAM)&ti));
    }
    void Hover(HWND w, POINT pt)
    {
        headless::MouseMove(w, pt);
        headless::PumpUntilIdle();
    }
    void Wait(DWORD ms)
    {
        headless::AdvanceClock(ms);
        headless::PumpUntilIdle();
    }
    bool Shown() { return IsWindowVisible(tip) != FALSE; }
    HWND Parent() { return parent_; }
    SIZE ShownSize()
    {
        Hover(toolWnd, {20, 20});
        Wait(500);
        RECT r{};
        GetWindowRect(tip, &r);
        return SIZE{r.right - r.left, r.bottom - r.top};
    }

    HWND tip = nullptr, toolWnd = nullptr, other = nullptr;
    std::u16string callbackText = u"from the callback";
    UINT callbackFlags = 0;
    std::vector<NMTTDISPINFOW> asked;
};

struct ShowCase {
    const char* name;
    DWORD style;
    std::function<void(ToolTipTest*)> act;
    bool shown;
};

class ToolTipShow : public ToolTipTest, public ::testing::WithParamInterface<ShowCase> {};

TEST_P(ToolTipShow, AfterTheRelayedMessages)
{
    MakeTip(GetParam().style);
    GetParam().act(this);
    EXPECT_EQ(GetParam().shown, Shown());
}

INSTANTIATE_TEST_SUITE_P(
    ToolTip, ToolTipShow,
    ::testing::Values(
        ShowCase{"not_before_the_delay", 0,
                 [](ToolTipTest* t) {
                     t->AddRectTool(u"Tip");
                     t->Hover(t->toolWnd, {20, 20});
                     t->Wait(499);
                 },
                 false},
        ShowCase{"after_the_delay", 0,
                 [](ToolTipTest* t) {
                     t->AddRectTool(u"Tip");
                     t->Hover(t->toolWnd, {20, 20});
                     t->Wait(500);
                     RECT r;
                     GetWindowRect(t->tip, &r);
                     POINT at = headless::ToScreen(t->toolWnd, {20, 20});
                     EXPECT_EQ(at.x, r.left);
                     EXPECT_EQ(at.y + 21, r.top) << "below the cursor";
                 },
                 true},
        ShowCase{"outside_the_tool_rectangle", 0,
                 [](ToolTipTest* t) {
                     t->AddRectTool(u"Tip");
                     t->Hover(t->toolWnd, {80, 20});
                     t->Wait(600);
                 },
                 false},
        ShowCase{"moved_off_before_the_delay", 0,
                 [](ToolTipTest* t) {
                     t->AddRectTool(u"Tip");
                     t->Hover(t->toolWnd, {20, 20});
                     t->Hover(t->toolWnd, {80, 20});
                     t->Wait(600);
                 },
                 false},
        ShowCase{"moved_off_after", 0,
                 [](ToolTipTest* t) {
                     t->AddRectTool(u"Tip");
                     t->Hover(t->toolWnd, {20, 20});
                     t->Wait(500);
                     t->Hover(t->toolWnd, {80, 20});
                 },
                 false},
        ShowCase{"deactivated", 0,
                 [](ToolTipTest* t) {
                     t->AddRectTool(u"Tip");
                     SendMessageW(t->tip, TTM_ACTIVATE, FALSE, 0);
                     t->Hover(t->toolWnd, {20, 20});
                     t->Wait(600);
                 },
                 false},
        ShowCase{"a_click_puts_it_away_until_the_pointer_leaves", 0,
                 [](ToolTipTest* t) {
                     t->AddRectTool(u"Tip");
                     t->Hover(t->toolWnd, {20, 20});
                     t->Wait(500);
                     headless::Click(t->toolWnd, {20, 20});
                     headless::PumpUntilIdle();
                     t->Hover(t->toolWnd, {21, 20});
                     t->Wait(600);
                 },
                 false},
        ShowCase{"pops_by_itself", 0,
                 [](ToolTipTest* t) {
                     t->AddRectTool(u"Tip");
                     t->Hover(t->toolWnd, {20, 20});
                     t->Wait(500);
                     t->Wait(5000);
                 },
                 false},
        ShowCase{"pop", 0,
                 [](ToolTipTest* t) {
                     t->AddRectTool(u"Tip");
                     t->Hover(t->toolWnd, {20, 20});
                     t->Wait(500);
                     SendMessageW(t->tip, TTM_POP, 0, 0);
                 },
                 false},
        ShowCase{"deleting_the_shown_tool", 0,
                 [](ToolTipTest* t) {
                     t->AddRectTool(u"Tip");
                     t->Hover(t->toolWnd, {20, 20});
                     t->Wait(500);
                     TOOLINFOW ti = t->Info(t->toolWnd, 5, {}, nullptr);
                     SendMessageW(t->tip, TTM_DELTOOLW, 0, (LPARAM)&ti);
                 },
                 false},
        ShowCase{"empty_callback_text", 0,
                 [](ToolTipTest* t) {
                     t->callbackText.clear();
                     t->AddRectTool(LPSTR_TEXTCALLBACKW);
                     t->Hover(t->toolWnd, {20, 20});
                     t->Wait(500);
                 },
                 false},
        ShowCase{"window_tool", 0,
                 [](ToolTipTest* t) {
                     TOOLINFOW ti = t->Info(t->Parent(), (UINT_PTR)t->other, {}, u"Other", TTF_IDISHWND);
                     SendMessageW(t->tip, TTM_ADDTOOLW, 0, (LPARAM)&ti);
                     t->Hover(t->other, {90, 40});
                     t->Wait(500);
                 },
                 true},
        ShowCase{"window_from_point_answered_by_a_subclass", 0,
                 [](ToolTipTest* t) {
                     static WNDPROC base;
                     static HWND target;
                     target = t->other;
                     base = (WNDPROC)SetWindowLongPtrW(
                         t->tip, GWLP_WNDPROC, (LONG_PTR) + [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
                             if (m == TTM_WINDOWFROMPOINT)
                                 return (LRESULT)target;
                             return CallWindowProcW(base, h, m, w, l);
                         });
                     TOOLINFOW ti = t->Info(t->Parent(), (UINT_PTR)t->other, {}, u"Other", TTF_IDISHWND);
                     SendMessageW(t->tip, TTM_ADDTOOLW, 0, (LPARAM)&ti);
                     t->Hover(t->toolWnd, {90, 40});
                     t->Wait(500);
                 },
                 true},
        ShowCase{"owner_inactive", 0,
                 [](ToolTipTest* t) {
                     t->AddRectTool(u"Tip");
                     HWND front = usertest::MakeTop(u"front", WS_OVERLAPPEDWINDOW | WS_VISIBLE, {500, 500, 600, 600});
                     SetActiveWindow(front);
                     t->Hover(t->toolWnd, {20, 20});
                     t->Wait(500);
                 },
                 false},
        ShowCase{"owner_inactive_always_tip", TTS_ALWAYSTIP,
                 [](ToolTipTest* t) {
                     t->AddRectTool(u"Tip");
                     HWND front = usertest::MakeTop(u"front", WS_OVERLAPPEDWINDOW | WS_VISIBLE, {500, 500, 600, 600});
                     SetActiveWindow(front);
                     t->Hover(t->toolWnd, {20, 20});
                     t->Wait(500);
                 },
                 true},
        ShowCase{"shorter_initial_delay", 0,
                 [](ToolTipTest* t) {
                     t->AddRectTool(u"Tip");
                     SendMessageW(t->tip, TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(100, 0));
                     t->Hover(t->toolWnd, {20, 20});
                     t->Wait(100);
                 },
                 true}),
    [](const auto& i) { return std::string(i.param.name); });

TEST_F(ToolTipTest, CallbackTextIsAskedOfTheToolsWindow)
{
    MakeTip();
    TOOLINFOW ti = Info(toolWnd, 5, {0, 0, 50, 50}, LPSTR_TEXTCALLBACKW);
    ti.lParam = 0x77;
    SendMessageW(tip, TTM_ADDTOOLW, 0, (LPARAM)&ti);
    callbackFlags = TTF_DI_SETITEM;
    SIZE first = ShownSize();
    ASSERT_EQ(1u, asked.size());
    EXPECT_EQ(tip, asked[0].hdr.hwndFrom);
    EXPECT_EQ(5u, asked[0].hdr.idFrom);
    EXPECT_EQ(0x77, asked[0].lParam);
    Hover(toolWnd, {80, 20});
    Wait(1000);
    SIZE second = ShownSize();
    EXPECT_EQ(1u, asked.size()) << "the answer was kept";
    EXPECT_EQ(first.cx, second.cx);
}

// How each setting changes the tip's size against the plain tip of the same text.
struct SizeCase {
    const char* name;
    DWORD style;
    std::function<void(ToolTipTest*)> configure;
    std::function<void(SIZE plain, SIZE got)> check;
};

class ToolTipSize : public ToolTipTest, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(ToolTipSize, FollowsTheSettings)
{
    const SizeCase& c = GetParam();
    MakeTip(TTS_NOPREFIX);
    AddRectTool(u"A&B long tip text here");
    SIZE plain = ShownSize();
    DestroyWindow(tip);
    Wait(1000);
    MakeTip(c.style);
    AddRectTool(u"A&B long tip text here");
    c.configure(this);
    c.check(plain, ShownSize());
}

INSTANTIATE_TEST_SUITE_P(
    ToolTip, ToolTipSize,
    ::testing::Values(
        SizeCase{"prefixes_removed", 0, [](ToolTipTest*) {}, [](SIZE p, SIZE g) { EXPECT_LT(g.cx, p.cx); }},
        SizeCase{"margins", TTS_NOPREFIX,
                 [](ToolTipTest* t) {
                     RECT m{3, 4, 5, 6};
                     SendMessageW(t->tip, TTM_SETMARGIN, 0, (LPARAM)&m);
                 },
                 [](SIZE p, SIZE g) {
                     EXPECT_EQ(p.cx + 8, g.cx);
                     EXPECT_EQ(p.cy + 10, g.cy);
                 }},
        SizeCase{"maximum_width_wraps", TTS_NOPREFIX,
                 [](ToolTipTest* t) { EXPECT_EQ(-1, SendMessageW(t->tip, TTM_SETMAXTIPWIDTH, 0, 60)); },
                 [](SIZE p, SIZE g) {
                     EXPECT_LE(g.cx, 60 + 6);
                     EXPECT_GT(g.cy, p.cy);
                 }},
        SizeCase{"title", TTS_NOPREFIX,
                 [](ToolTipTest* t) { EXPECT_TRUE(SendMessageW(t->tip, TTM_SETTITLEW, TTI_NONE, (LPARAM)u"Title")); },
                 [](SIZE p, SIZE g) { EXPECT_GT(g.cy, p.cy); }},
        SizeCase{"title_with_icon", TTS_NOPREFIX,
                 [](ToolTipTest* t) {
                     SendMessageW(t->tip, TTM_SETTITLEW, TTI_WARNING,
                                  (LPARAM)u"A much longer title than the text of the tip itself");
                 },
                 [](SIZE p, SIZE g) {
                     EXPECT_GE(g.cy, p.cy + GetSystemMetrics(SM_CYSMICON));
                     EXPECT_GT(g.cx, p.cx + GetSystemMetrics(SM_CXSMICON)) << "the icon beside the title";
                 }},
        SizeCase{"balloon", TTS_NOPREFIX | TTS_BALLOON, [](ToolTipTest*) {},
                 [](SIZE p, SIZE g) {
                     EXPECT_GT(g.cx, p.cx);
                     EXPECT_GT(g.cy, p.cy);
                 }},
        SizeCase{"updated_text", TTS_NOPREFIX,
                 [](ToolTipTest* t) {
                     TOOLINFOW ti = t->Info(t->toolWnd, 5, {}, u"A&B");
                     SendMessageW(t->tip, TTM_UPDATETIPTEXTW, 0, (LPARAM)&ti);
                 },
                 [](SIZE p, SIZE g) { EXPECT_LT(g.cx, p.cx); }}),
    [](const auto& i) { return std::string(i.param.name); });

TEST_F(ToolTipTest, PaintsInTheTipColours)
{
    MakeTip();
    AddRectTool(u"Tip");
    SendMessageW(tip, TTM_SETTIPBKCOLOR, RGB(10, 200, 30), 0);
    SendMessageW(tip, TTM_SETTIPTEXTCOLOR, RGB(200, 0, 0), 0);
    ShownSize();
    ASSERT_TRUE(Shown());
    RECT rc;
    GetClientRect(tip, &rc);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, rc.right, rc.bottom);
    HGDIOBJ old = SelectObject(mem, bmp);
    SendMessageW(tip, WM_PRINTCLIENT, (WPARAM)mem, 0);
    EXPECT_EQ(RGB(10, 200, 30), GetPixel(mem, 1, 1));
    bool text = false;
    for (int y = 0; y < rc.bottom && !text; ++y)
        for (int x = 0; x < rc.right && !text; ++x)
            text = GetPixel(mem, x, y) == RGB(200, 0, 0);
    EXPECT_TRUE(text) << "the text in its colour";
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
}

} // namespace
