// Tests of the toolkit's tip windows: when a tip shows and goes (on the virtual clock), tools
// deleted while shown, rich-text tips and the themed background.
#include <gtest/gtest.h>

#include "../base/test_windows.h"
#include "afx/gdi.h"
#include "backend/headless/driver.h"
#include "toolkit/base/color_table.h"
#include "toolkit/commandbars/tip_context.h"
#include "toolkit/commandbars/tip_window.h"
#include "win32/richedit.h"

#include <vector>

namespace {

struct Tool {
    UINT_PTR id;
    RECT rect;
    const char16_t* text;
};
const Tool kTools[] = {{1, {10, 10, 60, 30}, u"&Open"}, {2, {100, 10, 150, 30}, u"Save"}};

// A window whose tools are the two rectangles above.
class TipOwner : public CWnd {
public:
    INT_PTR OnToolHitTest(CPoint point, TOOLINFOW* pTI) const override
    {
        for (const Tool& tool : kTools)
            if (::PtInRect(&tool.rect, point)) {
                CTKPTipContext::FillToolInfo(pTI, m_hWnd, tool.id, tool.rect, 0, tool.text);
                return INT_PTR(tool.id);
            }
        return -1;
    }
};

POINT Centre(const RECT& rc)
{
    return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

class TipWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        headless::UseVirtualClock();
        ASSERT_TRUE(m_owner.CreateEx(0, tktest::RegisterPlainWindowClass(u"TipOwnerWindow"), u"",
                                     WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{50, 50, 350, 250}, nullptr, 0));
        ::SetActiveWindow(m_owner.m_hWnd);
        headless::PumpUntilIdle();
        m_context.m_nTipKind = TKP_TIP_TOOLKIT;
    }
    void TearDown() override
    {
        m_context.CancelToolTips();
        m_owner.DestroyWindow();
    }

    // Moves the mouse to a client point of the owner and relays the move (or another message).
    void Relay(POINT pt, UINT message = WM_MOUSEMOVE)
    {
        headless::MouseMove(m_owner.m_hWnd, pt);
        headless::PumpUntilIdle();
        m_context.RelayToolTipMessage(&m_owner, message, 0, MAKELPARAM(pt.x, pt.y));
    }
    void Wait(DWORD ms)
    {
        headless::AdvanceClock(ms);
        headless::PumpUntilIdle();
    }
    CTKPTipWindow* Tip() const { return dynamic_cast<CTKPTipWindow*>(m_context.GetToolTip()); }
    // The id of the tool whose tip shows, 0 for none.
    UINT_PTR Shown() const
    {
        CTKPTipWindow* tip = Tip();
        return tip && ::IsWindowVisible(tip->m_hWnd) ? tip->GetShownTool().uId : 0;
    }

    TipOwner m_owner;
    CTKPTipContext m_context;
};

} // namespace

TEST_F(TipWindowTest, TipsShowAfterTheDelayOrAtOnceJustAfterAnother) {
    const POINT a = Centre(kTools[0].rect), b = Centre(kTools[1].rect), gap{80, 20};
    // Without the no-prefix style the tips show their texts without mnemonic markers.
    m_context.ModifyTipStyle(TTS_NOPREFIX, 0);
    Relay(a);
    ASSERT_NE(Tip(), nullptr);
    EXPECT_TRUE(Tip()->IsActive());
    const struct {
        const char* step;
        DWORD wait;
        POINT at;
        UINT_PTR shown;
    } steps[] = {
        {"resting on a tool", 499, a, 0},
        {"for the whole delay", 1, a, 1},
        {"off the tools", 0, gap, 0},
        {"onto another just after", 100, b, 2},
        {"off again", 0, gap, 0},
        {"onto a tool a while later", 300, a, 0},
        {"after the delay", 500, a, 1},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.step);
        Wait(s.wait);
        Relay(s.at);
        EXPECT_EQ(Shown(), s.shown);
    }
    // The tip shows below the cursor, with its text stripped of the mnemonic marker.
    RECT window;
    ::GetWindowRect(Tip()->m_hWnd, &window);
    POINT cursor;
    ::GetCursorPos(&cursor);
    EXPECT_EQ(window.left, cursor.x);
    EXPECT_EQ(window.top, cursor.y + 21);
    EXPECT_GT(window.right - window.left, 6);
    EXPECT_EQ(Tip()->GetShownTool().strText, CString(u"Open"));
    // A key press relayed to the context puts it away.
    m_context.RelayToolTipMessage(&m_owner, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(Shown(), 0u);
}

TEST_F(TipWindowTest, APressedToolStaysWithoutTipUntilAnotherShows) {
    const POINT a = Centre(kTools[0].rect), b = Centre(kTools[1].rect);
    Relay(a);
    Wait(500);
    Relay(a);
    ASSERT_EQ(Shown(), 1u);
    // The press reaches the tip window as the control's own relay would pass it.
    MSG press{m_owner.m_hWnd, WM_LBUTTONDOWN, 0, MAKELPARAM(a.x, a.y), 0, {0, 0}};
    ::GetCursorPos(&press.pt);
    ::SendMessageW(Tip()->m_hWnd, TTM_RELAYEVENT, 0, LPARAM(&press));
    EXPECT_EQ(Shown(), 0u);
    Wait(1000);
    Relay(a);
    Wait(1000);
    Relay(a);
    EXPECT_EQ(Shown(), 0u);
    Relay(b);
    Wait(500);
    EXPECT_EQ(Shown(), 2u);
    // Once another tip showed, the pressed tool has its tip again.
    Relay(a);
    Wait(500);
    EXPECT_EQ(Shown(), 1u);
}

TEST_F(TipWindowTest, DeletingTheShownToolHidesTheTipFirst) {
    Relay(Centre(kTools[0].rect));
    Wait(500);
    ASSERT_EQ(Shown(), 1u);
    CTKPTipWindow* tip = Tip();
    const int count = tip->GetToolCount();
    TOOLINFOW never{};
    never.cbSize = sizeof(never);
    never.hwnd = m_owner.m_hWnd;
    never.uId = 77;
    EXPECT_EQ(::SendMessageW(tip->m_hWnd, TTM_DELTOOLW, 0, LPARAM(&never)), 0);
    EXPECT_EQ(tip->GetToolCount(), count);
    EXPECT_EQ(Shown(), 1u);
    TOOLINFOW shown = never;
    shown.uId = 1;
    ::SendMessageW(tip->m_hWnd, TTM_DELTOOLW, 0, LPARAM(&shown));
    EXPECT_EQ(tip->GetToolCount(), count - 1);
    EXPECT_FALSE(::IsWindowVisible(tip->m_hWnd));
    EXPECT_TRUE(tip->GetShownTool().IsEmpty());
    EXPECT_EQ(::SendMessageW(tip->m_hWnd, TTM_ADDTOOLW, 0, 0), FALSE);
}

TEST_F(TipWindowTest, RichTextTipsMeasureTheirTextAndDrawIt) {
    m_context.m_nTipKind = TKP_TIP_RICHTEXT;
    Relay(POINT{80, 20});
    auto* tip = dynamic_cast<CTKPRichTipWindow*>(m_context.GetToolTip());
    ASSERT_NE(tip, nullptr);
    ASSERT_NE(tip->GetRichEdit(), nullptr);
    HDC screen = ::GetDC(nullptr);
    CDC dc;
    dc.Attach(screen);
    CTKPTipTool tool;
    const CSize none = tip->CalcTipSize(&dc, tool);
    EXPECT_EQ(none.cx, 0);
    EXPECT_EQ(none.cy, 0);
    // Rich text and the plain text that is not rich text measure alike; a long text wraps into a
    // narrower, taller tip than one line of the screen's width.
    tool.strText = u"{\\rtf1 Saves the recovered files}";
    const CSize rich = tip->CalcTipSize(&dc, tool);
    tool.strText = u"Saves the recovered files";
    const CSize plain = tip->CalcTipSize(&dc, tool);
    EXPECT_GT(plain.cx, 20);
    EXPECT_GT(plain.cy, 4);
    EXPECT_EQ(rich.cx, plain.cx);
    EXPECT_EQ(rich.cy, plain.cy);
    tool.strText = u"\\qc centred";
    const CSize centred = tip->CalcTipSize(&dc, tool);
    tool.strText = u"\\qx centred";
    EXPECT_EQ(centred.cx, tip->CalcTipSize(&dc, tool).cx + 5);
    dc.Detach();
    ::ReleaseDC(nullptr, screen);

    // Drawn into the tip's rectangle in the tip's text colour.
    m_context.m_clrTipText = RGB(0, 0, 200);
    tool.strText = u"Saves";
    CDC memory;
    memory.Attach(::CreateCompatibleDC(nullptr));
    HDC display = ::GetDC(nullptr);
    HBITMAP bitmap = ::CreateCompatibleBitmap(display, 100, 40);
    ::ReleaseDC(nullptr, display);
    HGDIOBJ old = ::SelectObject(memory.m_hDC, bitmap);
    const RECT all{0, 0, 100, 40};
    ::FillRect(memory.m_hDC, &all, HBRUSH(::GetStockObject(WHITE_BRUSH)));
    tip->CalcTipSize(&memory, tool);
    tip->DrawTipText(&memory, tool, all);
    int inked = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 100; ++x)
            inked += ::GetPixel(memory.m_hDC, x, y) == RGB(0, 0, 200);
    EXPECT_GT(inked, 5);
    ::SelectObject(memory.m_hDC, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory.Detach());
}

TEST_F(TipWindowTest, ThemedBackgroundFollowsTheSystemsColourScheme) {
    m_context.m_nTipKind = TKP_TIP_THEMED;
    m_context.m_clrTipBack = RGB(200, 200, 0);
    Relay(POINT{80, 20});
    CTKPTipWindow* tip = Tip();
    ASSERT_NE(dynamic_cast<CTKPThemedTipWindow*>(tip), nullptr);
    const struct {
        int theme;
        COLORREF top, bottom, frame;
    } cases[] = {
        {1, RGB(255, 212, 151), RGB(255, 242, 200), RGB(0, 0, 128)},
        {2, RGB(255, 212, 151), RGB(255, 242, 200), RGB(63, 93, 56)},
        {3, RGB(255, 212, 151), RGB(255, 242, 200), RGB(75, 75, 111)},
        {0, RGB(200, 200, 0), RGB(255, 255, 255), RGB(0, 0, 0)},
    };
    CDC memory;
    memory.Attach(::CreateCompatibleDC(nullptr));
    HDC display = ::GetDC(nullptr);
    HBITMAP bitmap = ::CreateCompatibleBitmap(display, 40, 100);
    ::ReleaseDC(nullptr, display);
    HGDIOBJ old = ::SelectObject(memory.m_hDC, bitmap);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.theme);
        GetColorTable().SetForcedSystemTheme(c.theme);
        tip->DrawTipBackground(&memory, RECT{0, 0, 40, 100});
        EXPECT_EQ(::GetPixel(memory.m_hDC, 0, 50), c.frame);
        EXPECT_EQ(::GetPixel(memory.m_hDC, 39, 99), c.frame);
        // The gradient runs from top to bottom.
        const COLORREF top = ::GetPixel(memory.m_hDC, 20, 1), bottom = ::GetPixel(memory.m_hDC, 20, 98);
        EXPECT_LE(std::abs(int(GetBValue(top)) - int(GetBValue(c.top))), 8);
        EXPECT_LE(std::abs(int(GetBValue(bottom)) - int(GetBValue(c.bottom))), 8);
    }
    GetColorTable().SetForcedSystemTheme(4);
    ::SelectObject(memory.m_hDC, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory.Detach());
}
