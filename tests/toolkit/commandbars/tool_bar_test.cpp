// Tests of tool bars: sizes from their resources, the texts and icons of the bars, their own buttons,
// floating and tearing off, and a bar laid out among a window's own controls.
#include <gtest/gtest.h>

#include "afx/mini_frame.h"
#include "afx/module_state.h"
#include "afx/string.h"
#include "../base/test_windows.h"
#include "backend/headless/driver.h"
#include "toolkit/base/frame_wnd.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/dock_bar.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/commandbars/tip_context.h"
#include "toolkit/commandbars/tool_bar.h"

#include <vector>

TEST(ToolBarResource, ImageWidthOtherThan16BecomesTheBarsIconSize) {
    const struct {
        UINT id;
        BOOL loadIcons;
        BOOL result;
        int controls;
        SIZE icons;
    } cases[] = {
        {9200, FALSE, TRUE, 3, {16, 16}}, // 16 x 15 images leave the size unset
        {9213, FALSE, TRUE, 2, {24, 24}},
        {9213, TRUE, FALSE, 2, {24, 24}}, // no bitmap: the load fails, the controls stay
        {9299, FALSE, FALSE, 0, {16, 16}}, // no tool bar: the bar is left empty
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        CTKPToolBar bar;
        bar.GetControls()->Add(TKP_CONTROL_BUTTON, 1);
        EXPECT_EQ(bar.LoadToolBar(c.id, c.loadIcons), c.result);
        EXPECT_EQ(bar.GetControlCount(), c.controls);
        EXPECT_EQ(bar.GetIconSize().cx, c.icons.cx);
        EXPECT_EQ(bar.GetIconSize().cy, c.icons.cy);
        EXPECT_EQ(bar.GetButtonSize().cx, c.icons.cx + 7);
    }
}

TEST(ToolBarSizes, IconsAndButtonsFollowTheBarTheOptionsAndLargeIcons) {
    const SIZE none{0, 0};
    const struct {
        const char* name;
        bool container;
        int type;
        SIZE ownIcons, ownButtons, optionIcons, largeIcons;
        BOOL large;
        SIZE icons, buttons;
    } cases[] = {
        {"no container, no size of its own", false, TKP_BARTYPE_TOOLBAR, none, none, none, none, TRUE, {16, 16}, {23, 23}},
        {"no container, its own size", false, TKP_BARTYPE_TOOLBAR, {24, 24}, none, none, none, TRUE, {24, 24}, {31, 31}},
        {"the options' size", true, TKP_BARTYPE_TOOLBAR, none, none, {20, 20}, none, FALSE, {20, 20}, {27, 27}},
        {"its own size before the options'", true, TKP_BARTYPE_TOOLBAR, {24, 24}, none, {20, 20}, none, FALSE,
         {24, 24}, {31, 31}},
        {"large icons of the options' large size", true, TKP_BARTYPE_TOOLBAR, none, none, none, {40, 40}, TRUE,
         {40, 40}, {47, 47}},
        {"large icons without a large size: twice the usual", true, TKP_BARTYPE_TOOLBAR, none, none, none, none,
         TRUE, {32, 32}, {39, 39}},
        {"large icons double the bar's own size", true, TKP_BARTYPE_TOOLBAR, {24, 24}, none, none, none, TRUE,
         {48, 48}, {55, 55}},
        {"own buttons keep their icons small", true, TKP_BARTYPE_TOOLBAR, none, {30, 30}, none, none, TRUE,
         {16, 16}, {30, 30}},
        {"popups take the popup size, large or not", true, TKP_BARTYPE_POPUP, none, none, {20, 20}, {40, 40}, TRUE,
         {16, 16}, {23, 23}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CTKPCommandBars bars;
        CTKPCommandBarsSettings* options = bars.GetCommandBarsOptions();
        options->szIcons = c.optionIcons;
        options->szLargeIcons = c.largeIcons;
        options->bLargeIcons = c.large;
        CTKPToolBar bar;
        if (c.container)
            bar.SetCommandBars(&bars);
        bar.m_barType = c.type;
        bar.SetIconSize(c.ownIcons);
        bar.SetButtonSize(c.ownButtons);
        EXPECT_EQ(bar.GetIconSize().cx, c.icons.cx);
        EXPECT_EQ(bar.GetIconSize().cy, c.icons.cy);
        EXPECT_EQ(bar.GetButtonSize().cx, c.buttons.cx);
        EXPECT_EQ(bar.GetButtonSize().cy, c.buttons.cy);
    }
}

TEST(ToolBarResource, TextsAndWindowCommandIconsOfTheBars) {
    const struct { UINT id; const char16_t* text; } strings[] = {
        {9300, u"添加或删除按钮(&A)"}, {9395, u"重置"},     {9400, u"\n工具栏选项"}, {9401, u"\n关闭"},
        {9402, u"\n展开"},             {9405, u"\n最小化窗口"}, {9411, u"(系统默认)"}, {9416, u"无"},
    };
    for (const auto& s : strings) {
        CString text;
        EXPECT_TRUE(text.LoadString(s.id)) << s.id;
        EXPECT_EQ(text, CString(s.text)) << s.id;
    }
    HBITMAP bitmap = LoadBitmapW(AfxGetResourceHandle(), MAKEINTRESOURCEW(9407));
    ASSERT_NE(bitmap, nullptr);
    BITMAP bm{};
    GetObjectW(bitmap, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, 4 * 16);
    EXPECT_EQ(bm.bmHeight, 16);
    DeleteObject(bitmap);
}

// ---- The expand and close buttons, the add-or-remove list and floating ------------------------
namespace {

constexpr DWORD kDockedRow = LM_HORZ | LM_HORZDOCK | TKP_LAYOUT_SINGLEROW;

// A frame that answers the customise command and notes the bars' context menu it is offered.
class ToolBarSite : public CTKPFrameWnd {
public:
    std::vector<UINT> m_contextIds;
    // Controls made from tool-bar items: the requests seen, and the controls made.
    bool m_makeControls = false;
    std::vector<TKP_MENU_ITEM_REQUEST> m_requests;
    std::vector<CTKPControl*> m_made;

protected:
    afx_msg void OnCustomize() {}
    // Makes 201 itself and turns 202 into 205.
    afx_msg LRESULT OnControlFromItem(WPARAM, LPARAM lParam)
    {
        auto* request = reinterpret_cast<TKP_MENU_ITEM_REQUEST*>(lParam);
        if (!m_makeControls)
            return 0;
        m_requests.push_back(*request);
        if (request->nID == 201) {
            request->pControl = new CTKPControlPopup(TKP_CONTROL_BUTTONPOPUP);
            return 1;
        }
        if (request->nID == 202) {
            request->nID = 205;
            request->reserved2 = 7;
            return 1;
        }
        return 0;
    }
    afx_msg LRESULT OnControlFromItemDone(WPARAM, LPARAM lParam)
    {
        if (m_makeControls)
            m_made.push_back(reinterpret_cast<CTKPControl*>(lParam));
        return 0;
    }
    afx_msg LRESULT OnBarContextMenu(WPARAM, LPARAM lParam)
    {
        auto* popup = reinterpret_cast<CTKPCommandBar*>(lParam);
        for (int i = 0; i < popup->GetControlCount(); ++i)
            m_contextIds.push_back(popup->GetControl(i)->GetID());
        // Emptied, the popup does not open, so the test needs no modal loop.
        popup->GetControls()->RemoveAll();
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ToolBarSite, CTKPFrameWnd)
    ON_COMMAND(35001, OnCustomize)
    ON_MESSAGE(TKP_WM_BARCONTEXTMENU, OnBarContextMenu)
    ON_MESSAGE(TKP_WM_CONTROLFROMMENU, OnControlFromItem)
    ON_MESSAGE(TKP_WM_CONTROLFROMMENUDONE, OnControlFromItemDone)
END_MESSAGE_MAP()

class ToolBarFrame : public ::testing::Test {
protected:
    void SetUp() override
    {
        headless::UseVirtualClock();
        SetGlobalTheme(0);
        frame = new ToolBarSite;
        ASSERT_TRUE(frame->Create(nullptr, u"Site", WS_OVERLAPPEDWINDOW, CRect(0, 0, 640, 480)));
        bars = new CTKPCommandBars;
        frame->m_pCommandBars = bars;
        bars->SetSite(frame);
        bars->EnableBarDocking();
        frame->ShowWindow(SW_SHOW);
        bar = bars->AddToolBar(u"Tools", 100);
        ASSERT_NE(bar, nullptr);
        ASSERT_TRUE(bar->LoadToolBar(9200));
        frame->RecalcLayout();
    }
    void TearDown() override
    {
        headless::ClearModalAnswers();
        frame->DestroyWindow();
        headless::PumpUntilIdle();
    }
    CTKPControl* Find(UINT id) const { return bar->GetControls()->FindControl(int(id)); }
    // The ids of a bar's controls in order; a tool bar's own buttons left out when asked.
    static std::vector<UINT> Ids(CTKPCommandBar* popup, bool commandsOnly = false)
    {
        std::vector<UINT> ids;
        for (int i = 0; i < popup->GetControlCount(); ++i)
            if (!commandsOnly || !popup->GetControl(i)->m_bTemporary)
                ids.push_back(popup->GetControl(i)->GetID());
        return ids;
    }
    ToolBarSite* frame = nullptr;
    CTKPCommandBars* bars = nullptr;
    CTKPToolBar* bar = nullptr;
};

} // namespace

TEST_F(ToolBarFrame, TheSiteMayMakeOrChangeTheControlsOfAToolBarResource) {
    frame->m_makeControls = true;
    bar->SetTitle(u"Tools");
    ASSERT_TRUE(bar->LoadToolBar(9200, FALSE));
    // One request per command, telling the item's place and that it comes from a tool bar.
    ASSERT_EQ(frame->m_requests.size(), 3u);
    const int places[] = {0, 2, 3};
    for (size_t i = 0; i < 3; ++i) {
        const TKP_MENU_ITEM_REQUEST& r = frame->m_requests[i];
        EXPECT_EQ(r.nIndex, places[i]);
        EXPECT_EQ(r.reserved1, 1u);
        EXPECT_EQ(r.pBar, bar);
        EXPECT_EQ(r.pMenu, nullptr);
        EXPECT_EQ(r.strText, CString(u"Tools"));
        EXPECT_EQ(r.nType, TKP_CONTROL_BUTTON);
    }
    EXPECT_EQ(Ids(bar, true), (std::vector<UINT>{200, 201, 205}));
    EXPECT_EQ(bar->GetControl(1)->GetType(), TKP_CONTROL_BUTTONPOPUP);
    EXPECT_EQ(bar->GetControl(2)->m_dwTag, 7u);
    // The separator after the first command marks the second, whoever made it.
    EXPECT_TRUE(bar->GetControl(1)->GetBeginGroup());
    EXPECT_EQ(frame->m_made, (std::vector<CTKPControl*>{bar->GetControl(0), bar->GetControl(1), bar->GetControl(2)}));
}

TEST_F(ToolBarFrame, TheExpandButtonTakesItsRoomAndMarksWhatDidNotFit) {
    const CSize full = bar->CalcDockingLayout(32767, kDockedRow);
    const struct {
        const char* name;
        BOOL always;
        int length;
        BOOL hidden;
        BOOL shown;
    } cases[] = {
        {"room for all, always shown", TRUE, 32767, FALSE, TRUE},
        {"too short, always shown", TRUE, full.cx - 20, TRUE, TRUE},
        {"room for all, shown when needed", FALSE, 32767, FALSE, FALSE},
        {"too short, shown when needed", FALSE, full.cx - 20, TRUE, TRUE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        bars->GetCommandBarsOptions()->bShowExpandButtonAlways = c.always;
        const CSize size = bar->CalcDockingLayout(c.length, kDockedRow | LM_COMMIT);
        CTKPControl* expand = Find(TKP_ID_TOOLBAR_EXPAND);
        ASSERT_NE(expand, nullptr);
        EXPECT_TRUE(expand->m_bTemporary);
        EXPECT_EQ(bar->HasHiddenControls(), c.hidden);
        EXPECT_EQ(!expand->IsHidden(), c.shown);
        if (c.always) {
            EXPECT_LE(size.cx, c.length);
        }
        if (c.shown) {
            // Eleven pixels at the bar's end, across its whole height inside the border.
            const RECT rc = expand->GetRect();
            EXPECT_EQ(rc.right - rc.left, 11);
            EXPECT_LE(rc.right, size.cx);
            EXPECT_GE(rc.right, size.cx - 3);
        }
        // Only the commands the bar was built from end up hidden, never its own buttons.
        EXPECT_EQ((Find(202)->GetHideFlags() & TKP_HIDE_WRAP) != 0, c.hidden);
        EXPECT_EQ(Find(200)->GetHideFlags(), 0u);
    }
}

TEST_F(ToolBarFrame, ExpandPopupOffersWhatDidNotFitAndTheAddOrRemoveList) {
    const CSize full = bar->CalcDockingLayout(32767, kDockedRow);
    bar->CalcDockingLayout(full.cx - 20, kDockedRow | LM_COMMIT);
    ASSERT_TRUE(bar->HasHiddenControls());
    CTKPPopupBar* popup = bar->CreateExpandPopup();
    // Copies of the hidden commands, then the add-or-remove entry after a group mark.
    const std::vector<UINT> ids = Ids(popup);
    ASSERT_GE(ids.size(), 2u);
    EXPECT_EQ(ids.front(), 202u);
    CTKPControl* addRemove = popup->GetControl(popup->GetControlCount() - 1);
    EXPECT_EQ(addRemove->GetType(), TKP_CONTROL_POPUP);
    EXPECT_EQ(addRemove->GetCaption(), CString(u"添加或删除按钮(&A)"));
    EXPECT_TRUE(addRemove->GetBeginGroup());
    EXPECT_EQ(popup->GetControl(0)->GetHideFlags(), 0u);
    EXPECT_FALSE(popup->IsCustomizable());
    popup->InternalRelease();
}

TEST_F(ToolBarFrame, AddOrRemoveListHidesShowsAndResets) {
    bar->CalcDockingLayout(32767, kDockedRow | LM_COMMIT);
    auto fill = [&] {
        CTKPPopupBar* list = CTKPPopupBar::CreatePopupBar(bars);
        bar->FillAddRemoveList(list);
        return list;
    };
    CTKPPopupBar* list = fill();
    // One entry per command of the bar, checked, then the reset entry.
    EXPECT_EQ(Ids(list), (std::vector<UINT>{200, 201, 202, 0}));
    EXPECT_EQ(list->GetControl(3)->GetCaption(), CString(u"重置"));
    EXPECT_TRUE(list->GetControl(3)->GetBeginGroup());
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(list->GetControl(i)->GetChecked()) << i;

    // Unticking 201 hides it in the bar, not the command itself.
    bars->GetCommandBarsOptions()->bCustomized = FALSE;
    list->GetControl(1)->OnExecute();
    EXPECT_EQ(Find(201)->GetHideFlags() & TKP_HIDE_CUSTOMIZE, DWORD(TKP_HIDE_CUSTOMIZE));
    EXPECT_FALSE(list->GetControl(1)->GetChecked());
    EXPECT_TRUE(bars->GetCommandBarsOptions()->bCustomized);
    list->InternalRelease();

    // A button the user added and then hid stays in the bar when the list is built again; the
    // original commands keep their order.
    CTKPControl* own = bar->GetControls()->Add(TKP_CONTROL_BUTTON, 300);
    own->SetHideFlags(TKP_HIDE_CUSTOMIZE);
    bar->GetControls()->Remove(Find(202));
    list = fill();
    EXPECT_EQ(Ids(list), (std::vector<UINT>{200, 201, 202, 300, 0}));
    EXPECT_EQ(Find(300), own);
    EXPECT_FALSE(list->GetControl(1)->GetChecked());
    // The removed original is back, hidden; ticking it shows it again.
    EXPECT_FALSE(list->GetControl(2)->GetChecked());
    list->GetControl(2)->OnExecute();
    EXPECT_EQ(Find(202)->GetHideFlags() & TKP_HIDE_CUSTOMIZE, 0u);

    // Reset asks first, then puts the bar back as it was built.
    headless::AnswerNextModal([](HWND box) { ::SendMessageW(box, WM_COMMAND, IDOK, 0); });
    list->GetControl(4)->OnExecute();
    EXPECT_EQ(Ids(bar, true), (std::vector<UINT>{200, 201, 202}));
    EXPECT_EQ(Find(201)->GetHideFlags(), 0u);
    list->InternalRelease();

    // A bar of the user's own has no reset entry.
    bar->m_bBuiltIn = FALSE;
    list = fill();
    EXPECT_EQ(Ids(list), (std::vector<UINT>{200, 201, 202}));
    list->InternalRelease();
}

TEST_F(ToolBarFrame, AFloatingBarHasItsOwnWindowAndACloseButton) {
    CTKPDockBar* top = bars->GetDockBar(0);
    ASSERT_EQ(bar->GetDockBar(), top);
    bars->FloatCommandBar(bar);
    EXPECT_TRUE(bar->IsFloating());
    EXPECT_EQ(bar->GetDockBar(), nullptr);
    EXPECT_EQ(top->FindBar(bar), -1);
    const DWORD style = DWORD(::GetWindowLongPtrW(bar->m_hWnd, GWL_STYLE));
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & WS_CHILD);
    EXPECT_TRUE(style & TKP_FLOATING_STYLE);
    // Owned by the frame, so it stays above it.
    EXPECT_EQ(::GetWindow(bar->m_hWnd, GW_OWNER), frame->m_hWnd);

    bar->OnRecalcLayout();
    RECT rc;
    ::GetClientRect(bar->m_hWnd, &rc);
    CTKPControl* close = Find(TKP_ID_TOOLBAR_CLOSE);
    CTKPControl* expand = Find(TKP_ID_TOOLBAR_EXPAND);
    ASSERT_TRUE(close && expand);
    // The close button at the caption's right, the expand button left of it, both squares.
    const RECT c = close->GetRect(), e = expand->GetRect();
    EXPECT_FALSE(close->IsHidden());
    EXPECT_EQ(c.right, rc.right - 3);
    EXPECT_EQ(c.top, 3);
    EXPECT_EQ(c.right - c.left, c.bottom - c.top);
    EXPECT_EQ(e.right, c.left);
    EXPECT_EQ(e.right - e.left, c.right - c.left);
    // The borders resize; inside, the bar's own hit test.
    const struct { POINT pt; LRESULT hit; } edges[] = {
        {{rc.right / 2, 1}, HTTOP}, {{rc.right / 2, rc.bottom - 1}, HTBOTTOM},
        {{1, rc.bottom / 2}, HTLEFT}, {{rc.right - 1, rc.bottom / 2}, HTRIGHT},
    };
    for (const auto& edge : edges) {
        const POINT screen = headless::ToScreen(bar->m_hWnd, edge.pt);
        EXPECT_EQ(::SendMessageW(bar->m_hWnd, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y)), edge.hit);
    }

    // Closing hides the bar; docking it again makes it a child of the dock bar.
    close->OnExecute();
    EXPECT_FALSE(bar->IsVisible());
    EXPECT_FALSE(::IsWindowVisible(bar->m_hWnd));
    bar->SetVisible(TRUE);
    EXPECT_TRUE(bar->SetBarPosition(TKP_BARPOS_BOTTOM));
    EXPECT_EQ(bar->GetDockBar(), bars->GetDockBar(1));
    EXPECT_EQ(::GetParent(bar->m_hWnd), bars->GetDockBar(1)->m_hWnd);
    EXPECT_TRUE(::GetWindowLongPtrW(bar->m_hWnd, GWL_STYLE) & WS_CHILD);
    frame->RecalcLayout();
    EXPECT_TRUE(Find(TKP_ID_TOOLBAR_CLOSE)->IsHidden());
    EXPECT_FALSE(bar->SetBarPosition(5));
}

TEST_F(ToolBarFrame, AClickLeavesTheFocusInAFloatingMiniFrame) {
    const LPARAM click = MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN);
    frame->SetFocus();
    EXPECT_NE(::SendMessageW(bar->m_hWnd, WM_MOUSEACTIVATE, WPARAM(frame->m_hWnd), click), MA_NOACTIVATE);
    auto* mini = new CMiniFrameWnd;
    ASSERT_TRUE(mini->Create(nullptr, u"Pane", WS_POPUP | WS_CAPTION | WS_VISIBLE, CRect(300, 300, 400, 400), frame));
    CWnd field;
    field.CreateEx(0, tktest::RegisterPlainWindowClass(u"ToolBarTestField"), u"", WS_CHILD | WS_VISIBLE,
                   CRect(0, 0, 50, 20), mini, 1);
    field.SetFocus();
    EXPECT_EQ(::SendMessageW(bar->m_hWnd, WM_MOUSEACTIVATE, WPARAM(frame->m_hWnd), click), MA_NOACTIVATE);
    mini->DestroyWindow();
}

TEST_F(ToolBarFrame, TheBarsContextMenuEndsWithTheCustomiseCommand) {
    RECT rc;
    ::GetClientRect(bar->m_hWnd, &rc);
    headless::Click(bar->m_hWnd, POINT{2, rc.bottom / 2}, VK_RBUTTON);
    headless::PumpUntilIdle();
    ASSERT_FALSE(frame->m_contextIds.empty());
    EXPECT_EQ(frame->m_contextIds.front(), 0xE800u);
    EXPECT_EQ(frame->m_contextIds.back(), 35001u);
}

// A bar names the tip of the control under the mouse, with the shortcut when the options ask for it,
// and the tip shows once the mouse has rested there for the hover delay.
TEST_F(ToolBarFrame, ControlsGiveTheirTipsAndTheTipShowsAfterTheHoverDelay) {
    bars->GetShortcutTable()->LoadShortcutResource(9211);
    CTKPControl* open = Find(200);
    open->m_strTooltipText = u"Open";
    open->m_strDescriptionText = u"Opens a file";
    const RECT rc = open->GetRect();
    const CPoint mid((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    const RECT next = Find(201)->GetRect();
    CTKPCommandBarsSettings* options = bars->GetCommandBarsOptions();
    const struct {
        const char* name;
        BOOL tips, accelTips;
        const char16_t* ownShortcut;
        CPoint at;
        INT_PTR hit;
        const char16_t* text;
    } cases[] = {
        {"the control's tip", TRUE, FALSE, u"", mid, 200, u"Open"},
        {"with the shortcut the table gives", TRUE, TRUE, u"", mid, 200, u"Open (F5)"},
        {"with the control's own shortcut", TRUE, TRUE, u"Ctrl+R", mid, 200, u"Open (Ctrl+R)"},
        {"tips switched off", FALSE, TRUE, u"", mid, -1, nullptr},
        {"a control without a tip", TRUE, FALSE, u"", CPoint(next.left + 2, next.top + 2), -1, nullptr},
        {"no control", TRUE, FALSE, u"", CPoint(rc.left - 1, rc.top - 1), -1, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        options->bToolBarScreenTips = c.tips;
        options->bToolBarAccelTips = c.accelTips;
        open->SetShortcutText(c.ownShortcut);
        TOOLINFOW ti{};
        ti.cbSize = TTTOOLINFOW_V1_SIZE;
        EXPECT_EQ(bar->OnToolHitTest(c.at, &ti), c.hit);
        if (c.text) {
            EXPECT_EQ(ti.hwnd, bar->m_hWnd);
            EXPECT_TRUE(::EqualRect(&ti.rect, &rc));
            ASSERT_NE(ti.lpszText, nullptr);
            EXPECT_EQ(CString(ti.lpszText), CString(c.text));
        }
        CTKPTipContext::FreeToolInfo(&ti);
    }

    options->bToolBarScreenTips = TRUE;
    open->SetShortcutText(u"");
    ::SetActiveWindow(frame->m_hWnd);
    headless::MouseMove(bar->m_hWnd, mid);
    headless::PumpUntilIdle();
    CWnd* tip = bars->GetToolTipContext()->GetToolTip();
    ASSERT_NE(tip, nullptr);
    EXPECT_FALSE(::IsWindowVisible(tip->m_hWnd));
    headless::AdvanceClock(1000);
    headless::PumpUntilIdle();
    EXPECT_TRUE(::IsWindowVisible(tip->m_hWnd));
}

TEST_F(ToolBarFrame, APopupTornOffFloatsWhereItWasDroppedAndDocksBack) {
    CTKPPopupBar* popup = CTKPPopupBar::CreatePopupBar(bars);
    popup->m_bTearOffPopup = TRUE;
    popup->m_strTearOffCaption = u"Torn";
    popup->m_nTearOffId = 300;
    for (UINT id : {200u, 201u, 202u})
        popup->GetControls()->Add(TKP_CONTROL_BUTTON, id);
    ASSERT_TRUE(popup->PopupAt(100, 100));
    RECT window;
    ::GetWindowRect(popup->m_hWnd, &window);
    const RECT strip = popup->GetTearOffRect();
    const POINT drop{window.right + 120, window.top + 60};
    headless::ButtonDown(popup->m_hWnd, POINT{(strip.left + strip.right) / 2, (strip.top + strip.bottom) / 2});
    headless::MouseMoveScreen(drop);
    headless::ButtonUp(popup->m_hWnd, POINT{5, 5});
    headless::PumpUntilIdle();
    EXPECT_FALSE(popup->IsVisible());
    popup->InternalRelease();

    CTKPToolBar* torn = bars->GetToolBar(300);
    ASSERT_NE(torn, nullptr);
    ASSERT_NE(torn->m_hWnd, nullptr);
    EXPECT_TRUE(torn->IsFloating());
    EXPECT_TRUE(::IsWindowVisible(torn->m_hWnd));
    EXPECT_TRUE(::GetWindowLongPtrW(torn->m_hWnd, GWL_STYLE) & TKP_FLOATING_STYLE);
    EXPECT_EQ(::GetWindow(torn->m_hWnd, GW_OWNER), frame->m_hWnd);
    EXPECT_EQ(Ids(torn, true), (std::vector<UINT>{200, 201, 202}));
    // Sized by its floating layout, centred on the cursor, which holds it just below its top.
    RECT rc;
    ::GetWindowRect(torn->m_hWnd, &rc);
    const CSize size = torn->CalcDynamicLayout(-1, LM_HORZ | LM_MRUWIDTH | LM_COMMIT);
    EXPECT_EQ(rc.right - rc.left, size.cx);
    EXPECT_EQ(rc.bottom - rc.top, size.cy);
    EXPECT_EQ(rc.left, drop.x - size.cx / 2);
    EXPECT_EQ(rc.top, drop.y - 10);
    EXPECT_EQ(torn->m_ptMRUFloat.x, rc.left);
    EXPECT_EQ(torn->m_ptMRUFloat.y, rc.top);
    // Its commands lie inside the window, below the caption that holds its close button.
    const RECT first = torn->GetControls()->FindControl(200)->GetRect();
    const RECT close = torn->GetControls()->FindControl(TKP_ID_TOOLBAR_CLOSE)->GetRect();
    EXPECT_GE(first.top, close.bottom);
    EXPECT_LE(first.right, size.cx);

    // A double click on its caption docks it in a row of its own, as a child of the top dock bar.
    headless::DoubleClick(torn->m_hWnd, POINT{6, 6});
    headless::PumpUntilIdle();
    CTKPDockBar* top = bars->GetDockBar(0);
    ASSERT_EQ(torn->GetDockBar(), top);
    EXPECT_EQ(::GetParent(torn->m_hWnd), top->m_hWnd);
    EXPECT_TRUE(::GetWindowLongPtrW(torn->m_hWnd, GWL_STYLE) & WS_CHILD);
    EXPECT_TRUE(::IsWindowVisible(torn->m_hWnd));
    EXPECT_EQ(top->GetBar(top->FindBar(torn) - 1), nullptr);
    RECT docked, dock;
    ::GetWindowRect(torn->m_hWnd, &docked);
    ::GetWindowRect(top->m_hWnd, &dock);
    EXPECT_GT(docked.bottom - docked.top, 0);
    EXPECT_EQ(docked.bottom, dock.bottom);
    EXPECT_TRUE(torn->GetControls()->FindControl(TKP_ID_TOOLBAR_CLOSE)->IsHidden());

    // Floated again, it goes back to where it was dropped.
    bars->GetCommandBarsOptions()->bDblClickFloat = TRUE;
    headless::DoubleClick(torn->m_hWnd, POINT{2, 6});
    headless::PumpUntilIdle();
    EXPECT_TRUE(torn->IsFloating());
    ::GetWindowRect(torn->m_hWnd, &rc);
    EXPECT_EQ(rc.left, drop.x - size.cx / 2);
    EXPECT_EQ(rc.top, drop.y - 10);

    // Its close button takes it off the bars, window and all.
    const int count = bars->GetCount();
    const HWND tornWindow = torn->m_hWnd;
    const RECT button = torn->GetControls()->FindControl(TKP_ID_TOOLBAR_CLOSE)->GetRect();
    headless::Click(tornWindow, POINT{(button.left + button.right) / 2, (button.top + button.bottom) / 2});
    headless::PumpUntilIdle();
    EXPECT_EQ(bars->GetToolBar(300), nullptr);
    EXPECT_EQ(bars->GetCount(), count - 1);
    EXPECT_FALSE(::IsWindow(tornWindow));
}

// ---- A bar among a window's own controls ----------------------------------------------------------
namespace {

// A window that lays out the bars among its children, with a control before and after the bar.
struct BarHost {
    CWnd window, before, after;
    CTKPToolBar* bar = nullptr;

    explicit BarHost(int width, DWORD docking = 0, bool movable = false)
    {
        const LPCWSTR plain = tktest::RegisterPlainWindowClass(u"ToolBarTestHost");
        window.CreateEx(0, plain, u"Host", WS_POPUP | WS_VISIBLE, CRect(0, 0, width, 300), nullptr, 0);
        before.CreateEx(0, plain, u"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, CRect(0, 200, 50, 220), &window, 1);
        bar = new CTKPToolBar;
        bar->SetBarID(100);
        bar->LoadToolBar(9200, FALSE);
        if (movable)
            bar->EnableDocking(docking);
        else
            bar->m_dwDockingFlags = docking;
        bar->CreateBarWindow(&window);
        after.CreateEx(0, plain, u"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, CRect(60, 200, 110, 220), &window, 2);
        headless::PumpUntilIdle();
    }
    ~BarHost()
    {
        bar->InternalRelease();
        window.DestroyWindow();
        headless::PumpUntilIdle();
    }
    RECT BarRect() const
    {
        RECT rc{};
        ::GetWindowRect(bar->m_hWnd, &rc);
        ::MapWindowPoints(nullptr, window.m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    }
    DWORD HideFlags(UINT id) const { return bar->GetControls()->FindControl(int(id))->GetHideFlags(); }
};

int NaturalWidth()
{
    CTKPToolBar bar;
    bar.LoadToolBar(9200, FALSE);
    return bar.CalcDockingLayout(32767, LM_HORZ | LM_HORZDOCK).cx;
}

} // namespace

TEST(ToolBarLaidOutByItsParent, TakesTheTopOfWhatIsLeft) {
    headless::UseVirtualClock();
    SetGlobalTheme(0);
    const int natural = NaturalWidth();
    const int wide = natural * 2, narrow = natural - 20;
    const struct {
        const char* name;
        int width;
        DWORD docking;
        int barWidth;
        bool oneRow;
        bool hidden;
    } cases[] = {
        {"room to spare", wide, 0, natural, true, false},
        {"stretching", wide, 64, wide, true, false},
        {"too narrow: wraps into two rows", narrow, 0, -1, false, false},
        {"too narrow, may hide: one row", narrow, 32, -1, true, true},
        {"too narrow, may hide and stretches", narrow, 96, narrow, true, true},
    };
    int rowHeight = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BarHost host(c.width, c.docking);
        // Measuring only lays nothing out.
        RECT measured{};
        host.window.RepositionBars(0, 0xFFFF, 0, CWnd::reposQuery, &measured, nullptr, FALSE);
        EXPECT_EQ(host.HideFlags(202), 0u);
        host.window.RepositionBars(0, 0xFFFF, 0);
        const RECT rc = host.BarRect();
        EXPECT_EQ(rc.left, 0);
        EXPECT_EQ(rc.top, 0);
        if (c.barWidth > 0) {
            EXPECT_EQ(rc.right, c.barWidth);
        }
        EXPECT_LE(rc.right, c.width);
        if (!rowHeight)
            rowHeight = rc.bottom;
        EXPECT_EQ(rc.bottom == rowHeight, c.oneRow) << rc.bottom << " " << rowHeight;
        EXPECT_EQ((host.HideFlags(202) & TKP_HIDE_WRAP) != 0, c.hidden);
        EXPECT_EQ(measured.bottom, rc.bottom);
        // What is left starts below the bar.
        RECT rest{};
        host.window.RepositionBars(0, 0xFFFF, 0, CWnd::reposQuery, &rest, nullptr, TRUE);
        EXPECT_EQ(rest.top, rc.bottom);
    }
    // A hidden bar takes no room.
    BarHost host(wide);
    host.bar->SetVisible(FALSE);
    RECT rest{};
    host.window.RepositionBars(0, 0xFFFF, 0, CWnd::reposQuery, &rest, nullptr, TRUE);
    EXPECT_EQ(rest.top, 0);
}

TEST(ToolBarLaidOutByItsParent, TakesTheFocusAndPassesItOnWithTab) {
    headless::UseVirtualClock();
    SetGlobalTheme(0);
    for (bool shift : {false, true}) {
        SCOPED_TRACE(shift);
        BarHost host(400);
        host.before.SetFocus();
        // Focused, the bar tracks the keyboard from its first command and remembers where the
        // focus came from, once.
        host.bar->SetFocus();
        EXPECT_EQ(host.bar->GetTrackingMode(), 1);
        EXPECT_EQ(host.bar->m_nSelected, 0);
        EXPECT_EQ(host.bar->m_pPopupOwner, &host.before);
        host.after.SetFocus();
        host.bar->SetFocus();
        EXPECT_EQ(host.bar->m_pPopupOwner, &host.before);
        // The keys that move along the bar move along it; Tab leaves it for the next control,
        // Shift+Tab for the previous one.
        headless::PressKey(VK_DOWN);
        headless::PumpUntilIdle();
        EXPECT_EQ(host.bar->m_nSelected, 1);
        EXPECT_EQ(::GetFocus(), host.bar->m_hWnd);
        if (shift)
            headless::PressKey(VK_TAB, {VK_SHIFT});
        else
            headless::PressKey(VK_TAB);
        headless::PumpUntilIdle();
        EXPECT_EQ(::GetFocus(), shift ? host.before.m_hWnd : host.after.m_hWnd);
        EXPECT_EQ(host.bar->GetTrackingMode(), 0);
        EXPECT_EQ(host.bar->m_nSelected, -1);
    }
    // A bar that can be moved only remembers the focus; it does not start tracking.
    BarHost host(400, 0x3F, true);
    host.before.SetFocus();
    host.bar->SetFocus();
    EXPECT_EQ(host.bar->GetTrackingMode(), 0);
    EXPECT_EQ(host.bar->m_pPopupOwner, &host.before);
    // A window without an object of its own is not remembered: a wrapper made for it would be
    // freed at the next idle time.
    BarHost other(400);
    HWND plain = ::CreateWindowExW(0, tktest::RegisterPlainWindowClass(u"ToolBarTestHost"), u"", WS_CHILD | WS_VISIBLE,
                                   0, 250, 20, 20, other.window.m_hWnd, nullptr, nullptr, nullptr);
    ::SetFocus(plain);
    other.bar->SetFocus();
    EXPECT_EQ(other.bar->m_pPopupOwner, nullptr);
}

namespace {

// Notes what a floating bar is told about its frame's activation.
class FloatStatusProbe : public CTKPToolBar {
public:
    std::vector<WPARAM> m_status;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override
    {
        if (message == WM_FLOATSTATUS)
            m_status.push_back(wParam);
        return CTKPToolBar::OnWndMsg(message, wParam, lParam, pResult);
    }
};

// A window owned by the frame that answers whether it floats in step with it.
LRESULT CALLBACK SyncActiveProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_FLOATSTATUS && wParam == FS_SYNCACTIVE)
        return ::GetWindowLongPtrW(hWnd, GWLP_USERDATA);
    return ::DefWindowProcW(hWnd, message, wParam, lParam);
}

} // namespace

TEST_F(ToolBarFrame, AFloatingWindowStartsInStepWithItsFramesActivation) {
    const LPCWSTR plain = tktest::RegisterPlainWindowClass(u"ToolBarTestOther");
    const LPCWSTR synced = tktest::RegisterPlainWindowClass(u"ToolBarTestSynced", nullptr, SyncActiveProc);
    const struct {
        const char* name;
        int front; // 0 the frame, 1 a window of its own, 2 its popup in step, 3 its popup not in step
        WPARAM status;
    } cases[] = {
        {"frame in front", 0, FS_ACTIVATE},
        {"another window in front", 1, FS_DEACTIVATE},
        {"the frame's popup in step with it", 2, FS_ACTIVATE},
        {"the frame's popup going its own way", 3, FS_DEACTIVATE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HWND other = nullptr;
        if (c.front == 1)
            other = ::CreateWindowExW(0, plain, u"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                                      nullptr, nullptr, nullptr);
        if (c.front >= 2) {
            other = ::CreateWindowExW(0, synced, u"", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, frame->m_hWnd, nullptr,
                                      nullptr, nullptr);
            ::SetWindowLongPtrW(other, GWLP_USERDATA, c.front == 2 ? 1 : 0);
        }
        ::SetForegroundWindow(other ? other : frame->m_hWnd);
        headless::PumpUntilIdle();
        auto* probe = new FloatStatusProbe;
        probe->SetCommandBars(bars);
        probe->SetPosition(TKP_BARPOS_FLOATING);
        ASSERT_TRUE(probe->CreateFloatingWindow(frame, TRUE));
        ASSERT_FALSE(probe->m_status.empty());
        EXPECT_EQ(probe->m_status.front(), c.status);
        // Made active, it leaves its caption alone; made inactive, the default.
        EXPECT_EQ(::SendMessageW(probe->m_hWnd, WM_NCACTIVATE, TRUE, 0), 0);
        probe->InternalRelease();
        if (other)
            ::DestroyWindow(other);
    }
    // A docked bar's window is told nothing.
    auto* probe = new FloatStatusProbe;
    probe->SetCommandBars(bars);
    ASSERT_TRUE(probe->CreateBarWindow(bars->GetDockBar(0)));
    EXPECT_TRUE(probe->m_status.empty());
    probe->InternalRelease();
}
