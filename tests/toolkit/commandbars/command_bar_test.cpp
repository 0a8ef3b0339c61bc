// Tests of the command bar base and its controls: menu mode by Alt, mnemonics and arrows, command
// execution and updates, the row layout, the hover and full-menu timers, the press loop, customize
// drops, help hit tests and what accessibility clients see.
#include <gtest/gtest.h>

#include "afx/framework_ids.h"
#include "backend/headless/driver.h"
#include "toolkit/base/frame_wnd.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/customize_drag.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/commandbars/tool_bar.h"

#include <vector>

namespace {

constexpr UINT kGo = 203, kGrid = 204, kStop = 205, kStart = 206;

// The site: it records the commands that reach it, enables two of them and leaves the rest
// without handler.
class SiteFrame : public CTKPFrameWnd {
public:
    std::vector<UINT> commands;
    // The site makes the control of this menu command itself.
    UINT supplied = 0;
    int madeNotices = 0;
    std::vector<CString> statusTexts;
    std::vector<WPARAM> selections;

protected:
    afx_msg void OnCommandRange(UINT id) { commands.push_back(id); }
    afx_msg LRESULT OnControlFromMenu(WPARAM, LPARAM lParam);
    afx_msg LRESULT OnControlMade(WPARAM, LPARAM)
    {
        ++madeNotices;
        return 0;
    }
    afx_msg LRESULT OnSetMessageString(WPARAM, LPARAM lParam)
    {
        statusTexts.push_back(lParam ? CString(reinterpret_cast<LPCWSTR>(lParam)) : CString(u"?"));
        return 0;
    }
    afx_msg LRESULT OnPopMessageString(WPARAM wParam, LPARAM)
    {
        statusTexts.push_back(wParam == AFX_IDS_IDLEMESSAGE ? CString(u"idle") : CString(u"?"));
        return 0;
    }
    afx_msg LRESULT OnControlSelected(WPARAM wParam, LPARAM)
    {
        selections.push_back(wParam);
        return 0;
    }
    afx_msg void OnUpdateGo(CCmdUI* ui) { ui->Enable(TRUE); }
    afx_msg void OnUpdateGrid(CCmdUI* ui) { ui->Enable(FALSE); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(SiteFrame, CTKPFrameWnd)
    ON_MESSAGE(TKP_WM_CONTROLFROMMENU, OnControlFromMenu)
    ON_MESSAGE(TKP_WM_CONTROLFROMMENUDONE, OnControlMade)
    ON_MESSAGE(WM_SETMESSAGESTRING, OnSetMessageString)
    ON_MESSAGE(WM_POPMESSAGESTRING, OnPopMessageString)
    ON_MESSAGE(TKP_WM_CONTROLSELECTED, OnControlSelected)
    ON_COMMAND_RANGE(200, 206, OnCommandRange)
    ON_UPDATE_COMMAND_UI(kGo, OnUpdateGo)
    ON_UPDATE_COMMAND_UI(kGrid, OnUpdateGrid)
END_MESSAGE_MAP()

// A control of a fixed size, so layouts do not depend on fonts.
class FixedControl : public CTKPControlButton {
public:
    FixedControl(int cx, int cy, DWORD flags = 0, BOOL group = FALSE) : m_size(cx, cy)
    {
        m_dwFlags = flags;
        m_bBeginGroup = group;
    }
    CSize GetSize(CDC*) override { return m_size; }

private:
    CSize m_size;
};

LRESULT SiteFrame::OnControlFromMenu(WPARAM, LPARAM lParam)
{
    auto* request = reinterpret_cast<TKP_MENU_ITEM_REQUEST*>(lParam);
    if (!supplied || request->nID != supplied)
        return 0;
    request->pControl = new FixedControl(40, 20, TKP_FLAG_RIGHTALIGN);
    return 1;
}

// A popup bar that opens without a window of its own: tracking mode stands for being shown.
class OpenedPopupBar : public CTKPPopupBar {
public:
    BOOL PopupAt(int, int, LPCRECT) override
    {
        SetTrackingMode(1, FALSE, FALSE);
        return TRUE;
    }
};

BOOL CreateBarWindow(CTKPCommandBar* bar, CWnd* parent, const RECT& rc)
{
    return bar->CreateEx(0, AfxRegisterWndClass(CS_DBLCLKS), u"bar", WS_CHILD | WS_VISIBLE, rc, parent, 0xE900);
}

class CommandBarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        headless::UseVirtualClock();
        SetGlobalTheme(0);
        frame = new SiteFrame;
        ASSERT_TRUE(frame->Create(nullptr, u"Site", WS_OVERLAPPEDWINDOW, CRect(0, 0, 640, 480)));
        bars = new CTKPCommandBars;
        frame->m_pCommandBars = bars;
        bars->SetSite(frame);
        frame->ShowWindow(SW_SHOW);
        ::SetActiveWindow(frame->m_hWnd);
        headless::PumpUntilIdle();
    }
    void TearDown() override
    {
        CTKPMouseTracker::GetThreadTracker()->CloseAll();
        frame->DestroyWindow();
        headless::PumpUntilIdle();
    }
    // The menu bar from the test menu, with a window and its controls laid out in one row.
    CTKPCommandBar* MenuBar()
    {
        CTKPCommandBar* menu = bars->SetMenuBar(u"Menu", 9212);
        menu->SetPosition(TKP_BARPOS_TOP);
        EXPECT_TRUE(CreateBarWindow(menu, frame, RECT{0, 0, 600, 24}));
        CClientDC dc(menu);
        menu->GetControls()->CalcSize(&dc, 600, LM_HORZ | LM_HORZDOCK | LM_COMMIT, RECT{2, 2, 2, 2});
        return menu;
    }
    static MSG AltKey(UINT vk)
    {
        MSG msg{};
        msg.message = WM_SYSKEYDOWN;
        msg.wParam = vk;
        msg.lParam = 0x20000001;
        return msg;
    }
    SiteFrame* frame = nullptr;
    CTKPCommandBars* bars = nullptr;
};

} // namespace

TEST_F(CommandBarTest, MenuModeByAltMnemonicsAndArrowsExecutesCommands) {
    CTKPCommandBar* menu = MenuBar();
    ASSERT_EQ(menu->GetControlCount(), 6);

    // A mnemonic that one control has executes it at once.
    MSG alt = AltKey('G');
    EXPECT_TRUE(bars->PreTranslateFrameMessage(&alt));
    EXPECT_EQ(frame->commands, std::vector<UINT>{kGo});
    EXPECT_EQ(menu->GetTrackingMode(), 0);

    // A letter two controls share only selects, the first and then the next.
    alt = AltKey('S');
    EXPECT_TRUE(bars->PreTranslateFrameMessage(&alt));
    EXPECT_NE(menu->GetTrackingMode(), 0);
    EXPECT_EQ(menu->GetControl(menu->m_nSelected)->GetID(), kStop);
    EXPECT_EQ(menu->OnHookKeyDown('S', 0), 1);
    EXPECT_EQ(menu->GetControl(menu->m_nSelected)->GetID(), kStart);
    EXPECT_EQ(frame->commands.size(), 1u);

    // Arrows walk the row, wrapping; Enter executes; the bar then leaves menu mode.
    EXPECT_EQ(menu->OnHookKeyDown(VK_RIGHT, 0), 1);
    EXPECT_EQ(menu->m_nSelected, 0);
    EXPECT_EQ(menu->OnHookKeyDown(VK_LEFT, 0), 1);
    EXPECT_EQ(menu->OnHookKeyDown(VK_LEFT, 0), 1);
    EXPECT_EQ(menu->GetControl(menu->m_nSelected)->GetID(), kStop);
    EXPECT_EQ(menu->OnHookKeyDown(VK_RETURN, 0), 1);
    EXPECT_EQ(frame->commands, (std::vector<UINT>{kGo, kStop}));
    EXPECT_EQ(menu->GetTrackingMode(), 0);

    // In a right-to-left layout Left and Right swap.
    ::SetWindowLongPtrW(menu->m_hWnd, GWL_EXSTYLE, WS_EX_LAYOUTRTL);
    menu->SetTrackingMode(1, TRUE, TRUE);
    EXPECT_EQ(menu->m_nSelected, 0);
    menu->OnHookKeyDown(VK_LEFT, 0);
    EXPECT_EQ(menu->m_nSelected, 1);
    EXPECT_EQ(menu->OnHookKeyDown(VK_ESCAPE, 0), 1);
    EXPECT_EQ(menu->GetTrackingMode(), 0);

    // Keypad digits never open a menu, even where a control has that digit as its mnemonic; the
    // digit of the main keys does.
    menu->GetControls()->FindControl(kGo)->SetCaption(u"&1 Go");
    frame->commands.clear();
    alt = AltKey(VK_NUMPAD0 + 1);
    EXPECT_FALSE(bars->PreTranslateFrameMessage(&alt));
    EXPECT_TRUE(frame->commands.empty());
    EXPECT_EQ(menu->GetTrackingMode(), 0);
    alt = AltKey('1');
    EXPECT_TRUE(bars->PreTranslateFrameMessage(&alt));
    EXPECT_EQ(frame->commands, std::vector<UINT>{kGo});
}

// The keyboard walk over a bar's controls wraps once; when it comes back to the control it started
// from, it stops there only while that control still qualifies.
TEST(ControlWalk, WrapsOnceAndStopsAtTheStartOnlyWhileItQualifies) {
    struct Case {
        const char* name;
        std::vector<DWORD> hide; // hide flags of the three controls
        int start, direction, expected;
        BOOL selectableOnly = FALSE;
        DWORD startFlags = 0;
    };
    const DWORD H = TKP_HIDE_GENERIC;
    const Case cases[] = {
        {"next", {0, 0, 0}, 0, 1, 1},
        {"past a hidden one", {0, H, 0}, 0, 1, 2},
        {"wraps at the end", {0, 0, 0}, 2, 1, 0},
        {"wraps at the start", {0, 0, 0}, 0, -1, 2},
        {"from none forward", {H, 0, 0}, -1, 1, 1},
        {"from none backward is the last", {0, 0, 0}, -1, -1, 2},
        {"from none does not wrap", {H, H, H}, -1, 1, -1},
        {"back to a start that still qualifies", {H, 0, H}, 1, 1, 1},
        {"back to a start that is hidden now", {H, H, H}, 1, 1, -1},
        {"back to a start that no longer takes the focus", {H, 0, H}, 1, -1, -1, TRUE, TKP_FLAG_SKIPFOCUS},
        {"a rarely used one counts outside keyboard walks", {0, TKP_HIDE_RARELYUSED, 0}, 0, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTKPControls* controls = new CTKPControls;
        for (UINT id = 1; id <= 3; ++id)
            controls->Add(TKP_CONTROL_BUTTON, id)->SetHideFlags(c.hide[id - 1]);
        if (c.start >= 0)
            controls->GetAt(c.start)->SetFlags(c.startFlags);
        EXPECT_EQ(controls->GetNext(c.start, c.direction, c.selectableOnly, FALSE, FALSE), c.expected);
        controls->InternalRelease();
    }
}

TEST_F(CommandBarTest, IdleUpdatesEnableByHandlerAndDisabledControlsIgnoreKeys) {
    CTKPCommandBar* menu = MenuBar();
    ::SendMessageW(menu->m_hWnd, WM_IDLEUPDATECMDUI, TRUE, 0);
    auto find = [&](UINT id) { return menu->GetControls()->FindControl(id); };
    EXPECT_TRUE(find(kGo)->GetEnabled());
    EXPECT_FALSE(find(kGrid)->GetEnabled());
    // A command the frame handles stays enabled; with no handler anywhere it is disabled.
    EXPECT_TRUE(find(kStop)->GetEnabled());
    const UINT noHandler = 207;
    CTKPControl* extra = menu->GetControls()->Add(TKP_CONTROL_BUTTON, noHandler);
    ::SendMessageW(menu->m_hWnd, WM_IDLEUPDATECMDUI, TRUE, 0);
    EXPECT_FALSE(extra->GetEnabled());
    // A disabled control ignores the keyboard.
    menu->SetTrackingMode(1, FALSE, TRUE);
    menu->SetSelected(find(kGrid)->GetIndex(), TRUE);
    menu->OnHookKeyDown(VK_RETURN, 0);
    EXPECT_TRUE(frame->commands.empty());
}

namespace {

struct ControlSpec {
    int cx, cy;
    DWORD flags;
    BOOL group;
};

struct LayoutCase {
    const char* name;
    int length;
    DWORD mode;
    std::vector<ControlSpec> controls;
    SIZE size;
    std::vector<RECT> rects;  // after commit
    std::vector<BOOL> wraps;
};

const RECT kBorder{2, 3, 4, 5};

const LayoutCase kLayouts[] = {
    {"one row, a group gap",
     400,
     LM_HORZDOCK | LM_COMMIT,
     {{20, 20, 0, FALSE}, {30, 20, 0, TRUE}, {20, 10, 0, FALSE}},
     {2 + 76 + 4, 3 + 20 + 5},
     {{2, 3, 22, 23}, {28, 3, 58, 23}, {58, 8, 78, 18}},
     {FALSE, FALSE, FALSE}},
    {"wraps where the length ends",
     2 + 45 + 4,
     LM_HORZDOCK | LM_COMMIT,
     {{20, 20, 0, FALSE}, {20, 20, 0, FALSE}, {20, 20, 0, FALSE}},
     {2 + 40 + 4, 3 + 40 + 5},
     {{2, 3, 22, 23}, {22, 3, 42, 23}, {2, 23, 22, 43}},
     {FALSE, FALSE, TRUE}},
    {"a break moves back to the group",
     2 + 65 + 4,
     LM_HORZDOCK | LM_COMMIT,
     {{20, 20, 0, FALSE}, {20, 20, 0, TRUE}, {20, 20, 0, FALSE}, {20, 20, 0, FALSE}},
     {2 + 60 + 4, 3 + 46 + 5},
     {{2, 3, 22, 23}, {2, 29, 22, 49}, {22, 29, 42, 49}, {42, 29, 62, 49}},
     {FALSE, TRUE, FALSE, FALSE}},
    {"a right-aligned control goes to the far end",
     200,
     LM_HORZDOCK | LM_STRETCH | LM_COMMIT,
     {{20, 20, TKP_FLAG_CONTROLSTRETCHED, FALSE}, {20, 20, 0, FALSE}, {20, 20, TKP_FLAG_RIGHTALIGN, FALSE}},
     {200, 3 + 20 + 5},
     {{2, 3, 22, 23}, {22, 3, 42, 23}, {176, 3, 196, 23}},
     {FALSE, FALSE, FALSE}},
    {"a stretched control takes the free end of its row",
     100,
     LM_HORZDOCK | LM_STRETCH | LM_COMMIT,
     {{20, 20, TKP_FLAG_CONTROLSTRETCHED, FALSE}, {20, 20, 0, FALSE}},
     {100, 3 + 20 + 5},
     {{2, 3, 76, 23}, {76, 3, 96, 23}},
     {FALSE, FALSE}},
    {"columns run leftwards and lie inside the bar",
     3 + 45 + 5,
     LM_VERTDOCK | LM_COMMIT,
     {{20, 20, 0, FALSE}, {20, 20, 0, FALSE}, {10, 20, 0, FALSE}},
     {2 + 30 + 4, 3 + 40 + 5},
     {{12, 3, 32, 23}, {12, 23, 32, 43}, {2, 3, 12, 23}},
     {FALSE, FALSE, TRUE}},
};

} // namespace

TEST_F(CommandBarTest, ControlsLayOutInRows) {
    for (const LayoutCase& c : kLayouts) {
        SCOPED_TRACE(c.name);
        CTKPToolBar bar;
        ASSERT_TRUE(CreateBarWindow(&bar, frame, RECT{0, 0, 300, 60}));
        for (const ControlSpec& f : c.controls)
            bar.GetControls()->AddControl(new FixedControl(f.cx, f.cy, f.flags, f.group), 0);
        CClientDC dc(&bar);
        const CSize size = bar.GetControls()->CalcSize(&dc, c.length, c.mode, kBorder);
        EXPECT_EQ(size.cx, c.size.cx);
        EXPECT_EQ(size.cy, c.size.cy);
        for (size_t i = 0; i < c.rects.size(); ++i) {
            const RECT rc = bar.GetControl(int(i))->GetRect();
            EXPECT_TRUE(EqualRect(&rc, &c.rects[i]))
                << i << ": " << rc.left << "," << rc.top << "," << rc.right << "," << rc.bottom;
            EXPECT_EQ(bar.GetControl(int(i))->GetWrap(), c.wraps[i]) << i;
        }
        bar.DestroyWindow();
    }
}

TEST_F(CommandBarTest, LayoutWithoutCommitOverflowAndEmptyBars) {
    CTKPToolBar bar;
    ASSERT_TRUE(CreateBarWindow(&bar, frame, RECT{0, 0, 300, 60}));
    CClientDC dc(&bar);
    // Nothing visible: the empty size, or the minimum in the bar's direction.
    EXPECT_EQ(bar.GetControls()->CalcSize(&dc, 100, LM_HORZDOCK, kBorder, 0), CSize(2 + 4 + 23, 3 + 5 + 22));
    EXPECT_EQ(bar.GetControls()->CalcSize(&dc, 100, LM_HORZDOCK, kBorder, 40), CSize(2 + 4 + 23, 40));
    for (int i = 0; i < 3; ++i)
        bar.GetControls()->AddControl(new FixedControl(20, 20), 0);
    // Measuring leaves the controls alone.
    bar.GetControls()->CalcSize(&dc, 45, LM_HORZDOCK, kBorder);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(IsRectEmpty(&bar.GetControl(i)->m_rcControl));
        EXPECT_FALSE(bar.GetControl(i)->GetWrap());
    }
    // One row only: what does not fit goes behind the expand button.
    bar.GetControls()->CalcSize(&dc, 2 + 45 + 4, LM_HORZDOCK | LM_COMMIT | TKP_LAYOUT_SINGLEROW, kBorder);
    EXPECT_EQ(bar.GetControl(0)->GetHideFlags(), 0u);
    EXPECT_EQ(bar.GetControl(2)->GetHideFlags(), DWORD(TKP_HIDE_WRAP));
    bar.GetControls()->CalcSize(&dc, 400, LM_HORZDOCK | LM_COMMIT | TKP_LAYOUT_SINGLEROW, kBorder);
    EXPECT_EQ(bar.GetControl(2)->GetHideFlags(), 0u);
    // A bar sized to a height finds the narrowest width whose rows fit it.
    const CSize tall = bar.GetControls()->CalcSize(&dc, 3 + 40 + 5, LM_LENGTHY, kBorder);
    EXPECT_EQ(tall, CSize(2 + 40 + 4, 3 + 40 + 5));
    bar.DestroyWindow();
}

TEST_F(CommandBarTest, HoverOpensPopupsAfter300MsAndFullMenusShowAfter5s) {
    CTKPPopupBar* popup = CTKPPopupBar::CreatePopupBar(nullptr);
    ASSERT_TRUE(CreateBarWindow(popup, frame, RECT{0, 0, 200, 100}));
    CTKPControl* item = popup->GetControls()->Add(TKP_CONTROL_POPUP, 0);
    item->SetRect(RECT{0, 0, 100, 20});
    auto* sub = static_cast<CTKPPopupBar*>(item->GetCommandBar());
    sub->m_bExpandable = TRUE;

    // A keyboard selection starts no timer.
    popup->SetSelected(0, TRUE);
    headless::AdvanceClock(400);
    headless::PumpUntilIdle();
    EXPECT_EQ(popup->m_nExpanded, -1);
    popup->SetSelected(-1, FALSE);

    headless::MouseMove(popup->m_hWnd, POINT{10, 10});
    headless::PumpUntilIdle();
    EXPECT_EQ(popup->m_nSelected, 0);
    headless::AdvanceClock(299);
    headless::PumpUntilIdle();
    EXPECT_EQ(popup->m_nExpanded, -1);
    headless::AdvanceClock(1);
    headless::PumpUntilIdle();
    EXPECT_EQ(popup->m_nExpanded, 0);

    EXPECT_FALSE(sub->m_bExpanded);
    headless::AdvanceClock(4999);
    headless::PumpUntilIdle();
    EXPECT_FALSE(sub->m_bExpanded);
    headless::AdvanceClock(1);
    headless::PumpUntilIdle();
    EXPECT_TRUE(sub->m_bExpanded);
    popup->SetTrackingMode(0, TRUE, FALSE);
    popup->DestroyWindow();
    popup->InternalRelease();
}

TEST_F(CommandBarTest, PressingExecutesOnlyWhenReleasedOverTheButton) {
    CTKPToolBar bar;
    bar.SetCommandBars(bars);
    ASSERT_TRUE(CreateBarWindow(&bar, frame, RECT{0, 0, 300, 30}));
    CTKPControl* button = bar.GetControls()->AddControl(new FixedControl(20, 20), kGo);
    button->SetRect(RECT{0, 0, 20, 20});
    const struct { const char* name; std::vector<POINT> moves; bool executes; } cases[] = {
        {"released inside", {}, true},
        {"left and released outside", {{100, 10}}, false},
        {"left and came back", {{100, 10}, {10, 10}}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        frame->commands.clear();
        for (const POINT& pt : c.moves)
            ::PostMessageW(bar.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
        const POINT up = c.moves.empty() ? POINT{10, 10} : c.moves.back();
        ::PostMessageW(bar.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(up.x, up.y));
        ::SendMessageW(bar.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
        EXPECT_EQ(frame->commands.size(), c.executes ? 1u : 0u);
        EXPECT_EQ(button->GetPressed(), 0);
        EXPECT_EQ(::GetCapture(), nullptr);
    }
    // A quit request during the press ends it and is handed back to the thread's loop.
    frame->commands.clear();
    ::PostQuitMessage(3);
    ::SendMessageW(bar.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    EXPECT_TRUE(frame->commands.empty());
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
    bar.DestroyWindow();
}

TEST_F(CommandBarTest, PopupTrackingReturnsTheChosenCommandAndKeepsQuitRequests) {
    OpenedPopupBar* popup = new OpenedPopupBar;
    popup->SetCommandBars(bars);
    ASSERT_TRUE(CreateBarWindow(popup, frame, RECT{0, 0, 100, 100}));
    popup->GetControls()->Add(TKP_CONTROL_BUTTON, kGrid);
    ::PostQuitMessage(5);
    EXPECT_EQ(CTKPCommandBars::TrackPopupBar(popup, TPM_RETURNCMD, 0, 0, frame), 0);
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 5u);
    EXPECT_EQ(popup->GetTrackingMode(), 0);
    // A popup's window goes when its tracking ends.
    EXPECT_EQ(popup->m_hWnd, nullptr);
    ASSERT_TRUE(CreateBarWindow(popup, frame, RECT{0, 0, 100, 100}));

    // Executing inside a tracked popup writes the command instead of sending it.
    struct Chooser {
        static void CALLBACK Proc(HWND hWnd, UINT, UINT_PTR id, DWORD)
        {
            ::KillTimer(hWnd, id);
            auto* bar = static_cast<CTKPCommandBar*>(CWnd::FromHandlePermanent(hWnd));
            bar->GetControl(0)->OnExecute();
        }
    };
    ::SetTimer(popup->m_hWnd, 1, 10, &Chooser::Proc);
    headless::AdvanceClock(10);
    EXPECT_EQ(CTKPCommandBars::TrackPopupBar(popup, TPM_RETURNCMD, 0, 0, frame), int(kGrid));
    EXPECT_TRUE(frame->commands.empty());
    popup->DestroyWindow();
    popup->InternalRelease();
}

TEST_F(CommandBarTest, CustomizeDropsMoveGroupsAndInsertCopies) {
    CTKPToolBar bar;
    bar.SetCommandBars(bars);
    ASSERT_TRUE(CreateBarWindow(&bar, frame, RECT{0, 0, 300, 30}));
    // An empty bar marks its left edge; the drop goes to index 0.
    RECT marker;
    int index = 0;
    BOOL after = FALSE;
    bar.FindDropIndex(nullptr, POINT{50, 10}, marker, index, after);
    const RECT edge{2, 2, 8, 28};
    EXPECT_TRUE(EqualRect(&marker, &edge));
    EXPECT_EQ(index, -1);
    EXPECT_TRUE(after);
    CTKPControlButton source;
    source.SetID(kGo);
    int effect = 1;
    bar.OnCustomizeDrop(&source, effect, POINT{50, 10}, POINT{0, 0});
    ASSERT_EQ(bar.GetControlCount(), 1);
    EXPECT_EQ(bar.GetControl(0)->GetID(), kGo);
    EXPECT_EQ(bars->GetDragControl(), bar.GetControl(0));

    CTKPControl* second = bar.GetControls()->AddControl(new FixedControl(20, 20), kGrid);
    bar.GetControl(0)->SetRect(RECT{0, 0, 20, 20});
    second->SetRect(RECT{20, 0, 40, 20});
    // Dropped back onto itself within 4 pixels: nothing changes.
    effect = 2;
    bar.OnCustomizeDrop(second, effect, POINT{33, 10}, POINT{30, 10});
    EXPECT_EQ(effect, 5);
    EXPECT_FALSE(second->GetBeginGroup());
    // Five pixels into its right half: a group starts at it.
    bar.OnCustomizeDrop(second, effect, POINT{35, 10}, POINT{30, 10});
    EXPECT_TRUE(second->GetBeginGroup());
    EXPECT_EQ(bar.GetControlCount(), 2);
    bars->SetDragControl(nullptr);
    bar.DestroyWindow();
}

TEST_F(CommandBarTest, HelpHitTestsAndAccessibleRoles) {
    CTKPToolBar bar;
    ASSERT_TRUE(CreateBarWindow(&bar, frame, RECT{0, 0, 300, 30}));
    CTKPControl* button = bar.GetControls()->AddControl(new FixedControl(20, 20), kGo);
    button->SetRect(RECT{0, 0, 20, 20});
    button->SetCaption(u"&Go\tCtrl+G");
    CTKPControl* popup = bar.GetControls()->Add(TKP_CONTROL_POPUP, 0);
    EXPECT_EQ(::SendMessageW(bar.m_hWnd, WM_HELPHITTEST, 0, MAKELPARAM(5, 5)), LRESULT(kGo + 0x10000));
    EXPECT_EQ(::SendMessageW(bar.m_hWnd, WM_HELPHITTEST, 0, MAKELPARAM(100, 5)), LRESULT(0xE900 + 0x50000));

    EXPECT_EQ(button->GetAccessibleRoleCode(), ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(popup->GetAccessibleRoleCode(), ROLE_SYSTEM_BUTTONMENU);
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT role{};
    bar.GetAccessibleRole(self, &role);
    EXPECT_EQ(role.lVal, ROLE_SYSTEM_TOOLBAR);
    VARIANT child = self;
    child.lVal = 1;
    BSTR name = nullptr;
    ASSERT_EQ(bar.GetAccessibleName(child, &name), S_OK);
    EXPECT_EQ(CString(name), CString(u"Go\tCtrl+G"));
    ::SysFreeString(name);
    VARIANT state{};
    bar.SetSelected(0, TRUE);
    bar.GetAccessibleState(child, &state);
    EXPECT_EQ(state.lVal, long(STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSED |
                               STATE_SYSTEM_HOTTRACKED | STATE_SYSTEM_SELECTED));
    bar.DestroyWindow();
}

TEST_F(CommandBarTest, KeyboardCuesFollowAltWhenTheSystemHidesThem) {
    MenuBar();
    // The window system hides cues until Alt, so mode 2 follows Alt.
    bars->SetKeyboardCuesShow(2);
    EXPECT_FALSE(bars->IsKeyboardCuesVisible());
    MSG alt = AltKey(VK_MENU);
    EXPECT_FALSE(bars->PreTranslateFrameMessage(&alt));
    EXPECT_TRUE(bars->IsKeyboardCuesVisible());
    MSG up{};
    up.message = WM_SYSKEYUP;
    up.wParam = VK_MENU;
    bars->PreTranslateFrameMessage(&up);
    EXPECT_FALSE(bars->IsKeyboardCuesVisible());
    // Mode 0 always shows them, mode 1 never.
    bars->SetKeyboardCuesShow(0);
    EXPECT_TRUE(bars->IsKeyboardCuesVisible());
    bars->SetKeyboardCuesShow(1);
    bars->PreTranslateFrameMessage(&alt);
    EXPECT_FALSE(bars->IsKeyboardCuesVisible());
}

TEST_F(CommandBarTest, PopupsOfHiddenCommandsHideButEmptyPopupsStay) {
    CTKPCommandBar* menu = MenuBar();
    CTKPControl* view = menu->GetControl(1);  // one item: 202
    const UINT hidden[] = {202};
    bars->HideCommands(hidden, 1);
    EXPECT_TRUE(bars->IsControlHidden(view->GetCommandBar()->GetControl(0)));
    EXPECT_TRUE(bars->IsControlHidden(view));
    CTKPControl* empty = menu->GetControls()->Add(TKP_CONTROL_POPUP, 0);
    EXPECT_FALSE(bars->IsControlHidden(empty));
    // Once used, a hidden command shows again.
    bars->MarkCommandUsed(202);
    EXPECT_FALSE(bars->IsControlHidden(view));
    bars->GetCommandBarsOptions()->bAutoHideUnusedPopups = FALSE;
    bars->ResetUsedCommands();
    EXPECT_FALSE(bars->IsControlHidden(view));
}

TEST_F(CommandBarTest, PaintingDrawsEveryShownControlAndNoHiddenOne) {
    CTKPCommandBar* menu = MenuBar();
    const RECT go = menu->GetControls()->FindControl(kGo)->GetRect();
    auto darkPixelsInGo = [&]() {
        HDC screen = ::GetDC(nullptr);
        HDC dc = ::CreateCompatibleDC(screen);
        HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 600, 24);
        ::ReleaseDC(nullptr, screen);
        HGDIOBJ old = ::SelectObject(dc, bitmap);
        ::SendMessageW(menu->m_hWnd, WM_PRINTCLIENT, WPARAM(dc), PRF_CLIENT);
        int dark = 0;
        for (int y = go.top; y < go.bottom; ++y)
            for (int x = go.left; x < go.right; ++x)
                if (GetRValue(::GetPixel(dc, x, y)) < 64)
                    ++dark;
        ::SelectObject(dc, old);
        ::DeleteObject(bitmap);
        ::DeleteDC(dc);
        return dark;
    };
    EXPECT_GT(darkPixelsInGo(), 5);
    menu->GetControls()->FindControl(kGo)->SetHideFlags(TKP_HIDE_GENERIC);
    EXPECT_EQ(darkPixelsInGo(), 0);
}

TEST_F(CommandBarTest, TheSiteMayMakeTheControlOfAMenuItem) {
    frame->supplied = kGrid;
    CTKPCommandBar* menu = MenuBar();
    CTKPControl* grid = menu->GetControls()->FindControl(kGrid);
    ASSERT_NE(dynamic_cast<FixedControl*>(grid), nullptr);
    EXPECT_EQ(grid->GetCaption(), CString(u"G&rid"));
    EXPECT_EQ(grid->GetFlags(), DWORD(TKP_FLAG_RIGHTALIGN));
    // Every control made from the menu is announced, sub-menus' included.
    EXPECT_EQ(frame->madeNotices, 6 + 3);
    EXPECT_EQ(dynamic_cast<FixedControl*>(menu->GetControls()->FindControl(kGo)), nullptr);
}

TEST_F(CommandBarTest, TheFrameUpdatesFloatingBarsAndStaysWhileCustomizing) {
    CTKPToolBar* floating = bars->AddToolBar(u"Floating", 9);
    ASSERT_TRUE(CreateBarWindow(floating, frame, RECT{0, 40, 200, 70}));
    CTKPControl* grid = floating->GetControls()->Add(TKP_CONTROL_BUTTON, kGrid);
    LRESULT result = 0;
    // Docked bars update themselves; the frame's idle pass reaches only the floating ones.
    EXPECT_FALSE(bars->OnFrameWndMsg(WM_IDLEUPDATECMDUI, TRUE, 0, &result));
    EXPECT_TRUE(grid->GetEnabled());
    floating->SetPosition(TKP_BARPOS_FLOATING);
    bars->OnFrameWndMsg(WM_IDLEUPDATECMDUI, TRUE, 0, &result);
    EXPECT_FALSE(grid->GetEnabled());

    EXPECT_FALSE(bars->OnFrameWndMsg(WM_CLOSE, 0, 0, &result));
    bars->GetDragContext()->m_pSheet = floating;
    EXPECT_TRUE(bars->OnFrameWndMsg(WM_CLOSE, 0, 0, &result));
    bars->GetDragContext()->m_pSheet = nullptr;
}

TEST_F(CommandBarTest, SelectingAControlShowsItsDescriptionUnlessTheOptionIsOff) {
    CTKPCommandBar* menu = MenuBar();
    CTKPControl* go = menu->GetControls()->FindControl(kGo);
    go->m_strDescriptionText = u"Go there";
    menu->SetSelected(go->GetIndex(), FALSE);
    menu->SetSelected(-1, FALSE);
    EXPECT_EQ(frame->statusTexts, (std::vector<CString>{u"Go there", u"idle"}));
    EXPECT_EQ(frame->selections, (std::vector<WPARAM>{WPARAM(go), 0}));
    frame->statusTexts.clear();
    bars->GetCommandBarsOptions()->bShowStatusDescriptions = FALSE;
    menu->SetSelected(go->GetIndex(), FALSE);
    EXPECT_TRUE(frame->statusTexts.empty());
    menu->SetSelected(-1, FALSE);
}
