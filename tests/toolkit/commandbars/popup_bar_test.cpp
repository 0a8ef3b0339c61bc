// Tests of what popup bars add to the bar base: scrolling when taller than the work area,
// personalised menus and their expansion, the animation kind, and the popup tool bar.
#include <gtest/gtest.h>

#include "../base/test_windows.h"
#include "backend/headless/driver.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/base/window_helpers.h"
#include "toolkit/commandbars/bar_state.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/commandbars/popup_tool_bar.h"
#include "toolkit/commandbars/prop_exchange.h"
#include "toolkit/commandbars/tool_bar.h"
#include "toolkit/commandbars/trackers.h"

#include <cstdlib>
#include <vector>

namespace {

// A command of a fixed size, so the layouts do not depend on fonts.
class FixedCommand : public CTKPControlButton {
public:
    CSize GetSize(CDC*) override { return CSize(100, 20); }
};

void AddCommands(CTKPCommandBar* bar, UINT first, int count)
{
    for (int i = 0; i < count; ++i)
        bar->GetControls()->AddControl(new FixedCommand, first + UINT(i));
}

class PopupBarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        headless::UseVirtualClock();
        SetGlobalTheme(0);
    }
    void TearDown() override { CTKPMouseTracker::GetThreadTracker()->CloseAll(); }
};

POINT Centre(const RECT& rc)
{
    return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

} // namespace

TEST_F(PopupBarTest, ATallPopupScrollsByItsArrowsAndToTheSelection) {
    CTKPPopupBar* bar = CTKPPopupBar::CreatePopupBar(nullptr);
    AddCommands(bar, 1000, 100);
    ASSERT_TRUE(bar->PopupAt(100, 100));
    ASSERT_TRUE(bar->IsScrolling());
    RECT window, work;
    ::GetWindowRect(bar->m_hWnd, &window);
    GetWorkAreaFromPoint(&work, POINT{100, 100});
    EXPECT_GE(window.top, work.top);
    EXPECT_LE(window.bottom, work.bottom - 5);
    EXPECT_EQ(bar->GetFirstVisible(), 0);
    const RECT down = bar->GetScrollDownRect();
    const RECT noUp = bar->GetScrollUpRect();
    EXPECT_TRUE(::IsRectEmpty(&noUp));
    ASSERT_FALSE(::IsRectEmpty(&down));
    const int shown = bar->GetLastVisible();
    ASSERT_GT(shown, 5);
    ASSERT_LT(shown, 100);
    // Commands past the bottom are hidden as scrolled; the shown ones stay above the arrow.
    EXPECT_EQ(bar->GetControl(shown)->GetHideFlags(), DWORD(TKP_HIDE_EXPAND));
    EXPECT_EQ(bar->GetControl(shown - 1)->GetHideFlags(), 0u);
    EXPECT_LE(bar->GetControl(shown - 1)->GetRect().bottom, down.top);

    // Resting on the down arrow scrolls one command every 80 ms; leaving it stops.
    headless::MouseMove(bar->m_hWnd, Centre(down));
    headless::PumpUntilIdle();
    for (int tick = 1; tick <= 3; ++tick) {
        headless::AdvanceClock(80);
        headless::PumpUntilIdle();
        EXPECT_EQ(bar->GetLastVisible(), shown + tick);
    }
    // The up arrow now takes its room at the top, above the first command shown.
    const int first = bar->GetFirstVisible();
    EXPECT_GE(first, 3);
    const RECT up = bar->GetScrollUpRect();
    ASSERT_FALSE(::IsRectEmpty(&up));
    EXPECT_GE(bar->GetControl(first)->GetRect().top, up.bottom);
    EXPECT_EQ(bar->GetControl(first - 1)->GetHideFlags(), DWORD(TKP_HIDE_EXPAND));
    headless::MouseMove(bar->m_hWnd, Centre(bar->GetControl(first + 1)->GetRect()));
    headless::PumpUntilIdle();
    headless::AdvanceClock(500);
    headless::PumpUntilIdle();
    EXPECT_EQ(bar->GetFirstVisible(), first);

    // The keyboard brings a scrolled-off command into view, at the bottom going down and at the
    // top going up.
    bar->SetSelected(99, TRUE);
    EXPECT_EQ(bar->GetLastVisible(), 100);
    const RECT noDown = bar->GetScrollDownRect();
    EXPECT_TRUE(::IsRectEmpty(&noDown));
    EXPECT_FALSE(bar->ScrollDown());
    bar->SetSelected(0, TRUE);
    EXPECT_EQ(bar->GetFirstVisible(), 0);
    EXPECT_FALSE(bar->ScrollUp());
    bar->SetTrackingMode(0);
    bar->InternalRelease();

    // A popup that fits does not scroll.
    CTKPPopupBar* small = CTKPPopupBar::CreatePopupBar(nullptr);
    AddCommands(small, 1000, 3);
    ASSERT_TRUE(small->PopupAt(100, 100));
    EXPECT_FALSE(small->IsScrolling());
    EXPECT_FALSE(small->ScrollDown());
    small->SetTrackingMode(0);
    small->InternalRelease();
}

TEST_F(PopupBarTest, PersonalisedMenusHideRarelyUsedCommandsUntilExpanded) {
    CTKPCommandBars bars;
    bars.HideCommand(1002);
    auto open = [&](BOOL fullMenus) {
        bars.GetCommandBarsOptions()->bAlwaysShowFullMenus = fullMenus;
        CTKPPopupBar* bar = CTKPPopupBar::CreatePopupBar(&bars);
        AddCommands(bar, 1000, 3);
        EXPECT_TRUE(bar->PopupAt(100, 100));
        return bar;
    };
    CTKPPopupBar* full = open(TRUE);
    EXPECT_TRUE(full->m_bExpanded);
    EXPECT_FALSE(full->m_bExpandable);
    EXPECT_EQ(full->GetControl(2)->GetHideFlags(), 0u);
    EXPECT_EQ(full->GetControls()->FindControl(TKP_ID_EXPAND_POPUP), nullptr);
    full->SetTrackingMode(0);
    full->InternalRelease();

    // The three ways to expand: Down on the last shown command, Ctrl+Down anywhere, and resting on
    // the expand item.
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        CTKPPopupBar* bar = open(FALSE);
        ASSERT_TRUE(bar->m_bExpandable);
        EXPECT_FALSE(bar->m_bExpanded);
        EXPECT_EQ(bar->GetControl(2)->GetHideFlags(), DWORD(TKP_HIDE_RARELYUSED));
        CTKPControl* expand = bar->GetControls()->FindControl(TKP_ID_EXPAND_POPUP);
        ASSERT_NE(expand, nullptr);
        EXPECT_EQ(expand->GetHideFlags(), 0u);
        if (way == 0) {
            bar->SetSelected(1, TRUE);
            bar->OnHookKeyDown(VK_DOWN, 0);
        } else if (way == 1) {
            bar->SetSelected(0, TRUE);
            // Keys reach the thread through its active window.
            HWND frame = ::CreateWindowExW(0, tktest::RegisterPlainWindowClass(u"PopupBarTestFrame"), u"",
                                           WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr);
            ::ShowWindow(frame, SW_SHOW);
            headless::PumpUntilIdle();
            headless::KeyDown(VK_CONTROL);
            headless::PumpUntilIdle();
            bar->OnHookKeyDown(VK_DOWN, 0);
            headless::KeyUp(VK_CONTROL);
            headless::PumpUntilIdle();
            ::DestroyWindow(frame);
        } else {
            bar->SetSelected(expand->GetIndex(), FALSE);
            headless::AdvanceClock(899);
            headless::PumpUntilIdle();
            EXPECT_FALSE(bar->m_bExpanded);
            headless::AdvanceClock(20);
            headless::PumpUntilIdle();
        }
        EXPECT_TRUE(bar->m_bExpanded);
        EXPECT_EQ(bar->GetControl(2)->GetHideFlags(), 0u);
        if (way == 0) {
            EXPECT_EQ(bar->m_nSelected, 2);
        }
        // A popup opened while the tracking lasts opens expanded; once it ends, no longer.
        CTKPPopupBar* next = open(FALSE);
        EXPECT_TRUE(next->m_bExpanded);
        EXPECT_EQ(next->GetControl(2)->GetHideFlags(), 0u);
        next->SetTrackingMode(0);
        next->InternalRelease();
        bar->SetTrackingMode(0);
        bar->InternalRelease();
        EXPECT_FALSE(CTKPMouseTracker::GetThreadTracker()->m_bShowAll);
    }
}

TEST_F(PopupBarTest, AnimationKindFollowsTheOptionsAndTheSystem) {
    CTKPCommandBars bars;
    CTKPPopupBar* bar = CTKPPopupBar::CreatePopupBar(&bars);
    // The window system answers that menus are not animated: the system's choice is none.
    const struct {
        int option;
        int kind;
    } cases[] = {{0, 5}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {9, 5}};
    for (const auto& c : cases) {
        bars.GetCommandBarsOptions()->nAnimation = c.option;
        EXPECT_EQ(bar->GetAnimationType(), c.kind) << c.option;
    }
    // Random: fade, slide and unfold in the order the generator gives.
    bars.GetCommandBarsOptions()->nAnimation = 1;
    std::srand(7);
    std::vector<int> expected;
    const int kinds[3] = {4, 3, 2};
    for (int i = 0; i < 12; ++i)
        expected.push_back(kinds[std::rand() % 3]);
    std::srand(7);
    std::vector<int> got;
    for (int i = 0; i < 12; ++i)
        got.push_back(bar->GetAnimationType());
    EXPECT_EQ(got, expected);
    // A popup that hosts a window is never animated, nor one without bars.
    bars.GetCommandBarsOptions()->nAnimation = 4;
    // The fade plays in frames paced by the clock; on the test's virtual clock it plays at once.
    GetGlobalPaintManager()->m_nAnimationDuration = 0;
    AddCommands(bar, 1000, 2);
    ASSERT_TRUE(bar->PopupAt(100, 100));
    EXPECT_EQ(bar->GetAnimationType(), 4);
    CWnd hosted;
    ASSERT_TRUE(hosted.CreateEx(0, AfxRegisterWndClass(0), u"", WS_CHILD, RECT{0, 0, 10, 10}, bar, 1));
    EXPECT_EQ(bar->GetAnimationType(), 5);
    hosted.DestroyWindow();
    bar->SetTrackingMode(0);
    bar->InternalRelease();
    CTKPPopupBar* alone = CTKPPopupBar::CreatePopupBar(nullptr);
    EXPECT_EQ(alone->GetAnimationType(), 5);
    alone->InternalRelease();
}

TEST_F(PopupBarTest, PopupToolBarIsAGridAndSurvivesASave) {
    CTKPCommandBars bars;
    CTKPPopupToolBar* palette = CTKPPopupToolBar::CreatePopupToolBar(&bars);
    EXPECT_EQ(palette->GetType(), TKP_BARTYPE_TOOLBAR);
    AddCommands(palette, 1000, 4);
    ASSERT_TRUE(palette->PopupAt(100, 100));
    EXPECT_FALSE(palette->IsScrolling());
    // Its margins are the popup's own border margins.
    const RECT first = palette->GetControl(0)->GetRect();
    EXPECT_EQ(first.left, palette->m_rcBorders.left);
    EXPECT_EQ(first.top, palette->m_rcBorders.top);
    palette->SetTrackingMode(0);

    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        CTKPPropExchangeArchive px(ar);
        CTKPPropExchangeContext context;
        px.m_pContext = &context;
        std::vector<CTKPCommandBar*> list{palette};
        palette->InternalAddRef();
        ASSERT_TRUE(bars.SaveBars(&px, list));
        palette->InternalRelease();
        ar.Close();
    }
    file.SeekToBegin();
    std::vector<CTKPCommandBar*> loaded;
    {
        CArchive ar(&file, CArchive::load);
        CTKPPropExchangeArchive px(ar);
        CTKPPropExchangeContext context;
        context.pCommandBars = &bars;
        px.m_pContext = &context;
        ASSERT_TRUE(bars.LoadBars(&px, loaded));
    }
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_NE(dynamic_cast<CTKPPopupToolBar*>(loaded[0]), nullptr);
    EXPECT_EQ(loaded[0]->GetControlCount(), 4);
    loaded[0]->InternalRelease();
    palette->InternalRelease();
}

TEST_F(PopupBarTest, ATearOffPopupDragsItsCommandsOffIntoAFloatingBar) {
    CTKPCommandBars bars;
    bars.GetCommandBarsOptions()->bAlwaysShowFullMenus = FALSE;
    bars.HideCommand(1003);
    // The mouse leaves the popup over a window of the thread, as it would over the frame.
    HWND frame = ::CreateWindowExW(0, tktest::RegisterPlainWindowClass(u"PopupBarTestFrame"), u"", WS_OVERLAPPEDWINDOW,
                                   0, 0, 1000, 700, nullptr, nullptr, nullptr, nullptr);
    ::ShowWindow(frame, SW_SHOW);
    headless::PumpUntilIdle();
    auto open = [&] {
        CTKPPopupBar* bar = CTKPPopupBar::CreatePopupBar(&bars);
        bar->m_bTearOffPopup = TRUE;
        bar->m_strTearOffCaption = u"Tools";
        bar->m_nTearOffId = 300;
        bar->m_nTearOffWidth = 150;
        AddCommands(bar, 1000, 4);
        EXPECT_TRUE(bar->PopupAt(100, 100));
        return bar;
    };
    enum Ending { Released, Returned };
    for (Ending ending : {Returned, Released}) {
        SCOPED_TRACE(ending);
        CTKPPopupBar* popup = open();
        // The strip sits at the top, above the first command, and lights up under the mouse.
        const RECT strip = popup->GetTearOffRect();
        ASSERT_FALSE(::IsRectEmpty(&strip));
        EXPECT_GE(popup->GetControl(0)->GetRect().top, strip.bottom);
        headless::MouseMove(popup->m_hWnd, Centre(strip));
        headless::PumpUntilIdle();
        EXPECT_TRUE(popup->IsTearOffHot());
        headless::MouseMove(popup->m_hWnd, Centre(popup->GetControl(1)->GetRect()));
        headless::AdvanceClock(80);
        headless::PumpUntilIdle();
        EXPECT_FALSE(popup->IsTearOffHot());

        RECT window;
        ::GetWindowRect(popup->m_hWnd, &window);
        headless::ButtonDown(popup->m_hWnd, Centre(strip));
        headless::MouseMoveScreen(POINT{window.right + 100, window.top + 40});
        if (ending == Returned)
            headless::MouseMoveScreen(POINT{window.left + 5, window.top + 5});
        headless::ButtonUp(popup->m_hWnd, POINT{5, 5});
        headless::PumpUntilIdle();
        CTKPToolBar* torn = bars.GetToolBar(300);
        if (ending == Returned) {
            // Back over the popup nothing is torn off, and the popup is there again.
            EXPECT_EQ(torn, nullptr);
            EXPECT_TRUE(popup->IsVisible());
        } else {
            ASSERT_NE(torn, nullptr);
            EXPECT_EQ(torn->GetTitle(), CString(u"Tools"));
            EXPECT_EQ(torn->GetPosition(), TKP_BARPOS_FLOATING);
            EXPECT_EQ(torn->m_nMRUWidth, 150);
            EXPECT_TRUE(torn->m_bTearOff);
            // Every command but the expand item, the rarely used one shown; the floating bar's own
            // buttons are temporary and not counted.
            std::vector<CTKPControl*> copied;
            for (int i = 0; i < torn->GetControlCount(); ++i)
                if (!torn->GetControl(i)->m_bTemporary)
                    copied.push_back(torn->GetControl(i));
            ASSERT_EQ(copied.size(), 4u);
            for (int i = 0; i < 4; ++i) {
                EXPECT_EQ(copied[i]->GetID(), UINT(1000 + i));
                EXPECT_EQ(copied[i]->GetHideFlags(), 0u);
            }
            // The menus close once the bar is torn off.
            EXPECT_FALSE(popup->IsVisible());
            EXPECT_EQ(CTKPMouseTracker::GetThreadTracker()->m_nModalDepth, 0);
        }
        popup->SetTrackingMode(0);
        popup->InternalRelease();
    }

    // A bar with the tear-off id is floated and shown instead of making another.
    const int count = bars.GetCount();
    CTKPPopupBar* popup = open();
    RECT window;
    ::GetWindowRect(popup->m_hWnd, &window);
    headless::ButtonDown(popup->m_hWnd, Centre(popup->GetTearOffRect()));
    headless::MouseMoveScreen(POINT{window.right + 100, window.top + 40});
    headless::ButtonUp(popup->m_hWnd, POINT{5, 5});
    headless::PumpUntilIdle();
    EXPECT_EQ(bars.GetCount(), count);
    EXPECT_TRUE(bars.GetToolBar(300)->IsVisible());
    popup->SetTrackingMode(0);

    // A copy of the popup keeps its tear-off strip, shadow and borders.
    CTKPPopupBar* copy = CTKPPopupBar::CreatePopupBar(&bars);
    popup->m_bShowShadow = FALSE;
    popup->m_rcBorders = RECT{1, 2, 3, 4};
    copy->Copy(popup);
    EXPECT_TRUE(copy->m_bTearOffPopup);
    EXPECT_EQ(copy->m_strTearOffCaption, CString(u"Tools"));
    EXPECT_EQ(copy->m_nTearOffId, 300u);
    EXPECT_EQ(copy->m_nTearOffWidth, 150);
    EXPECT_FALSE(copy->m_bShowShadow);
    EXPECT_TRUE(::EqualRect(&copy->m_rcBorders, &popup->m_rcBorders));
    copy->InternalRelease();
    popup->InternalRelease();
    ::DestroyWindow(frame);
}

TEST_F(PopupBarTest, CommandsShowTheShortcutsOfTheFramesKeys) {
    CTKPCommandBars bars;
    const ACCEL keys[] = {{FVIRTKEY | FCONTROL, 'O', 1000}, {FVIRTKEY, VK_F5, 1002}};
    bars.GetShortcutTable()->SetAccelTable(keys, 2);
    CString ctrlO, f5;
    bars.GetShortcutTable()->FormatAccelerator(ctrlO, keys[0]);
    bars.GetShortcutTable()->FormatAccelerator(f5, keys[1]);
    for (BOOL update : {TRUE, FALSE}) {
        SCOPED_TRACE(update);
        bars.GetCommandBarsOptions()->bUpdateShortcuts = update;
        CTKPPopupBar* bar = CTKPPopupBar::CreatePopupBar(&bars);
        AddCommands(bar, 1000, 3);
        // What the menu said: a stale text for a command without a key.
        bar->GetControl(1)->m_strShortcutTextAuto = u"Ctrl+Q";
        ASSERT_TRUE(bar->PopupAt(100, 100));
        EXPECT_EQ(bar->GetControl(0)->GetShortcutText(), update ? ctrlO : CString());
        EXPECT_EQ(bar->GetControl(1)->GetShortcutText(), update ? CString() : CString(u"Ctrl+Q"));
        EXPECT_EQ(bar->GetControl(2)->GetShortcutText(), update ? f5 : CString());
        bar->SetTrackingMode(0);
        bar->InternalRelease();
    }
}

TEST_F(PopupBarTest, AHostedWindowOutlivesItsPopupWithItsText) {
    CFrameWnd* frame = new CFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, u"Site", WS_OVERLAPPEDWINDOW, CRect(0, 0, 640, 480)));
    CTKPCommandBars bars;
    bars.SetSite(frame);
    CTKPPopupBar* bar = CTKPPopupBar::CreatePopupBar(&bars);
    AddCommands(bar, 1000, 2);
    ASSERT_TRUE(bar->PopupAt(100, 100));
    HWND field = ::CreateWindowExW(0, u"EDIT", u"typed", WS_CHILD | WS_VISIBLE, 2, 2, 80, 18, bar->m_hWnd, nullptr,
                                   nullptr, nullptr);
    ASSERT_NE(field, nullptr);
    bar->SetTrackingMode(0);
    EXPECT_EQ(bar->m_hWnd, nullptr);
    ASSERT_TRUE(::IsWindow(field));
    EXPECT_EQ(::GetParent(field), frame->m_hWnd);
    EXPECT_FALSE(::IsWindowVisible(field));
    WCHAR text[16] = {};
    ::GetWindowTextW(field, text, 16);
    EXPECT_EQ(CString(text), CString(u"typed"));
    bar->InternalRelease();
    frame->DestroyWindow();
}

TEST_F(PopupBarTest, TheMouseBackOnTheOpeningItemSelectsItAgain) {
    CTKPPopupBar* menu = CTKPPopupBar::CreatePopupBar(nullptr);
    CTKPControl* item = menu->GetControls()->Add(TKP_CONTROL_POPUP, 0);
    item->SetCaption(u"More");
    AddCommands(menu, 1000, 2);
    AddCommands(static_cast<CTKPPopupBar*>(item->GetCommandBar()), 2000, 3);
    ASSERT_TRUE(menu->PopupAt(100, 100));
    ASSERT_TRUE(menu->SetPopuped(0));
    auto* sub = static_cast<CTKPPopupBar*>(item->GetCommandBar());
    ASSERT_TRUE(sub->IsVisible());
    menu->SetSelected(-1);
    // The mouse hook hands every move to the open popups, in their own client co-ordinates.
    POINT pt{(item->GetRect().left + item->GetRect().right) / 2, (item->GetRect().top + item->GetRect().bottom) / 2};
    ::MapWindowPoints(menu->m_hWnd, sub->m_hWnd, &pt, 1);
    ::SendMessageW(sub->m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
    EXPECT_EQ(menu->m_nSelected, 0);
    menu->SetTrackingMode(0);
    menu->InternalRelease();
}
