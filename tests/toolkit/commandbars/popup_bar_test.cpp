// Tests of what popup bars add to the bar base: scrolling when taller than the work area,
// personalised menus and their expansion, the animation kind, and the popup tool bar.
#include <gtest/gtest.h>

#include "backend/headless/driver.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/base/window_helpers.h"
#include "toolkit/commandbars/bar_state.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/commandbars/popup_tool_bar.h"
#include "toolkit/commandbars/prop_exchange.h"

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
            headless::KeyDown(VK_CONTROL);
            headless::PumpUntilIdle();
            bar->OnHookKeyDown(VK_DOWN, 0);
            headless::KeyUp(VK_CONTROL);
            headless::PumpUntilIdle();
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
