// The tab strip model: tabs and selection, colours, hit tests, keys, tooltips and the mouse loops.
#include <gtest/gtest.h>

#include "backend/headless/driver.h"
#include "tab_test_strip.h"
#include "toolkit/commandbars/tip_context.h"
#include "toolkit/docking/tab_manager.h"
#include "../base/test_windows.h"

#include <vector>

namespace {

using tabtest::Strip;

std::vector<CString> Captions(const CTKPTabStrip& strip)
{
    std::vector<CString> out;
    for (int i = 0; i < strip.GetItemCount(); ++i)
        out.push_back(strip.GetItem(i)->m_strCaption);
    return out;
}

std::vector<CString> Texts(std::initializer_list<const char16_t*> texts)
{
    std::vector<CString> out;
    for (const char16_t* t : texts)
        out.push_back(CString(t));
    return out;
}

class TabStripTest : public ::testing::Test {
protected:
    CTKPTabPainter painter;
    Strip strip{&painter};
};

TEST_F(TabStripTest, InsertingAppendsOutOfRangeAndRenumbers) {
    strip.AddTabs(2);
    strip.InsertItem(0)->SetCaption(u"front");
    strip.InsertItem(99)->SetCaption(u"back");
    strip.InsertItem(-5)->SetCaption(u"end");
    EXPECT_EQ(Captions(strip), Texts({u"front", u"0", u"1", u"back", u"end"}));
    for (int i = 0; i < strip.GetItemCount(); ++i) {
        EXPECT_EQ(strip.GetItem(i)->GetIndex(), i);
        EXPECT_EQ(strip.GetItem(i)->GetStrip(), &strip);
    }
}

TEST_F(TabStripTest, DeletingMovesTheSelectionToTheTabNowAtItsPlace) {
    strip.AddTabs(3);
    EXPECT_FALSE(strip.DeleteItem(3));
    EXPECT_FALSE(strip.DeleteItem(-1));

    strip.SetCurSel(1);
    ASSERT_TRUE(strip.DeleteItem(1));
    EXPECT_EQ(strip.GetSelectedItem()->m_strCaption, CString(u"2"));

    // The selected last tab gives way to the new last one.
    strip.SetCurSel(1);
    ASSERT_TRUE(strip.DeleteItem(1));
    EXPECT_EQ(strip.GetSelectedItem()->m_strCaption, CString(u"0"));

    ASSERT_TRUE(strip.DeleteItem(0));
    EXPECT_EQ(strip.GetSelectedItem(), nullptr);
    EXPECT_EQ(strip.GetCurSel(), -1);
}

TEST_F(TabStripTest, ADeletedTabIsNoLongerHotAndAHeldTabOutlivesItsStrip) {
    strip.AddTabs(2);
    CTKPTabManagerItem* held = strip.GetItem(0);
    held->InternalAddRef();
    strip.m_pHot = held;
    strip.DeleteItem(0);
    EXPECT_EQ(strip.GetHotItem(), nullptr);
    EXPECT_EQ(held->GetStrip(), nullptr);
    // Without a strip the tab answers from its own fields.
    held->SetCaption(u"kept");
    EXPECT_EQ(held->GetCaption(), CString(u"kept"));
    held->InternalRelease();

    strip.m_pHot = strip.GetItem(0);
    strip.DeleteAllItems();
    EXPECT_EQ(strip.GetHotItem(), nullptr);
    EXPECT_EQ(strip.GetSelectedItem(), nullptr);
}

TEST_F(TabStripTest, SameCaptionDoesNotRepositionAndColourRedraws) {
    strip.AddTabs(1);
    CTKPTabManagerItem* item = strip.GetItem(0);
    const int before = strip.repositions;
    item->SetCaption(u"0");
    EXPECT_EQ(strip.repositions, before);
    item->SetCaption(u"new");
    EXPECT_EQ(strip.repositions, before + 1);
    const int redraws = strip.redraws;
    item->SetColor(RGB(1, 2, 3));
    EXPECT_EQ(strip.redraws, redraws + 1);
    EXPECT_EQ(item->GetColor(), RGB(1, 2, 3));
}

TEST_F(TabStripTest, NewTabsCycleThroughTheEightColours) {
    strip.AddTabs(9);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(strip.GetItem(i)->m_clrItem, COLORREF(TKP_TAB_COLOR_ID + i % 8));
    EXPECT_EQ(strip.GetItem(8)->GetColor(), strip.GetItem(0)->GetColor());
    EXPECT_EQ(strip.GetItem(0)->GetColor(), RGB(138, 168, 228));
    EXPECT_EQ(strip.GetItem(7)->GetColor(), RGB(216, 171, 192));
    // One past the last id is an ordinary colour.
    EXPECT_EQ(TabColorFromId(TKP_TAB_COLOR_ID + 8), COLORREF(TKP_TAB_COLOR_ID + 8));
    EXPECT_EQ(TabColorFromId(RGB(10, 20, 30)), RGB(10, 20, 30));
}

TEST_F(TabStripTest, HiddenAndDisabledTabsAreNeverHitNorReachedByKeys) {
    strip.AddTabs(5);
    strip.GetItem(0)->m_bVisible = FALSE;
    strip.GetItem(2)->m_bEnabled = FALSE;
    strip.GetItem(4)->m_bEnabled = FALSE;
    strip.Reposition();

    const CRect hidden = strip.GetItem(0)->GetRect();
    EXPECT_TRUE(hidden.IsRectEmpty());
    const CPoint disabled = strip.GetItem(2)->GetRect().CenterPoint();
    EXPECT_EQ(strip.HitTest(disabled.x, disabled.y), nullptr);
    const CPoint enabled = strip.GetItem(3)->GetRect().CenterPoint();
    EXPECT_EQ(strip.HitTest(enabled.x, enabled.y), strip.GetItem(3));
    EXPECT_EQ(strip.HitTest(enabled.x, 59), nullptr);  // below the header

    const struct {
        UINT key;
        int from, to;
        BOOL handled;
    } cases[] = {
        {VK_HOME, 3, 1, TRUE}, {VK_END, 1, 3, TRUE},   {VK_RIGHT, 1, 3, TRUE}, {VK_LEFT, 3, 1, TRUE},
        {VK_LEFT, 1, 1, TRUE}, {VK_RIGHT, 3, 3, TRUE}, {VK_DOWN, 1, 1, TRUE},  {VK_UP, 3, 3, TRUE},
        {VK_TAB, 1, 1, FALSE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "key " << c.key << " from " << c.from);
        strip.SetCurSel(c.from);
        EXPECT_EQ(strip.PerformKeyDown(nullptr, c.key), c.handled);
        EXPECT_EQ(strip.GetCurSel(), c.to);
    }
}

TEST_F(TabStripTest, KeysFollowTheAxisAndMirrorInRightToLeftWindows) {
    strip.AddTabs(3);
    painter.SetPosition(TKP_TABPOS_LEFT);
    strip.SetCurSel(0);
    EXPECT_TRUE(strip.PerformKeyDown(nullptr, VK_RIGHT));
    EXPECT_EQ(strip.GetCurSel(), 0);
    EXPECT_TRUE(strip.PerformKeyDown(nullptr, VK_DOWN));
    EXPECT_EQ(strip.GetCurSel(), 1);

    painter.SetPosition(TKP_TABPOS_TOP);
    HWND rtl = ::CreateWindowExW(WS_EX_LAYOUTRTL, tktest::RegisterPlainWindowClass(u"TabTestHost"), u"", WS_POPUP, 0,
                                 0, 300, 60, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(rtl, nullptr);
    EXPECT_TRUE(strip.PerformKeyDown(rtl, VK_LEFT));
    EXPECT_EQ(strip.GetCurSel(), 2);
    ::DestroyWindow(rtl);

    Strip empty(&painter);
    EXPECT_FALSE(empty.PerformKeyDown(nullptr, VK_HOME));
}

TEST_F(TabStripTest, TooltipsFollowTheModeAndSkipEmptyTexts) {
    tabtest::UseFixedWidths(painter);
    strip.AddTabs(2);
    tabtest::SetWidths(strip, {60, 60});
    strip.GetItem(0)->m_strToolTip = u"first tab";
    const CPoint first = strip.GetItem(0)->GetRect().CenterPoint();
    const CPoint second = strip.GetItem(1)->GetRect().CenterPoint();

    painter.m_nTooltipMode = 1;
    TOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    EXPECT_EQ(strip.OnToolHitTest(nullptr, first, &ti), 0);
    EXPECT_EQ(CString(ti.lpszText), CString(u"first tab"));
    EXPECT_EQ(CRect(ti.rect), strip.GetItem(0)->GetRect());
    CTKPTipContext::FreeToolInfo(&ti);
    EXPECT_EQ(strip.OnToolHitTest(nullptr, second, nullptr), -1);  // no text
    EXPECT_EQ(strip.OnToolHitTest(nullptr, CPoint(299, 5), nullptr), -1);

    // Mode 2 shows tips only for cut captions.
    painter.m_nTooltipMode = 2;
    EXPECT_EQ(strip.OnToolHitTest(nullptr, first, nullptr), -1);
    strip.GetItem(0)->m_nFullWidth = 200;
    EXPECT_EQ(strip.OnToolHitTest(nullptr, first, nullptr), 0);
    painter.m_nTooltipMode = 0;
    EXPECT_EQ(strip.OnToolHitTest(nullptr, first, nullptr), -1);
}

TEST_F(TabStripTest, ScrollButtonsShowWhenTheRowOverflowsAndEnableByOffset) {
    tabtest::UseFixedWidths(painter);
    strip.AddTabs(6);
    tabtest::SetWidths(strip, {60, 60, 60, 60, 60, 60});
    CTKPTabScrollButton* back = strip.GetNavigateButton(TKP_TABNAV_BACK);
    CTKPTabScrollButton* forward = strip.GetNavigateButton(TKP_TABNAV_FORWARD);
    CTKPTabScrollButton* close = strip.GetNavigateButton(TKP_TABNAV_CLOSE);
    ASSERT_TRUE(back->IsShown());
    ASSERT_TRUE(forward->IsShown());
    EXPECT_FALSE(close->IsShown());
    EXPECT_FALSE(back->m_bEnabled);
    EXPECT_TRUE(forward->m_bEnabled);
    // Last button first, at the far end: forward right of back, the header cut before them.
    EXPECT_EQ(forward->m_rcButton.right, 299);
    EXPECT_EQ(back->m_rcButton.right, forward->m_rcButton.left);
    EXPECT_EQ(strip.m_rcHeader.right, back->m_rcButton.left);

    strip.OnScroll(1);
    EXPECT_EQ(strip.GetScrollOffset(), -20);
    EXPECT_TRUE(back->m_bEnabled);
    EXPECT_EQ(strip.GetItem(0)->GetRect().left, 2 - 20);

    // Scrolled beyond the end, the offset comes back to where the forward button turns off, so
    // the last tab ends before the buttons.
    strip.SetScrollOffset(-500);
    const int rowLength = 300 - 8;
    EXPECT_EQ(strip.GetScrollOffset(), rowLength - 1 - 28 - 360);
    EXPECT_FALSE(forward->m_bEnabled);
    EXPECT_LE(strip.GetItem(5)->GetRect().right, back->m_rcButton.left);

    // Selecting a tab out of view scrolls it in.
    strip.SetScrollOffset(0);
    strip.SetCurSel(5);
    EXPECT_LE(strip.GetItem(5)->GetRect().right, strip.m_rcHeader.right);
    EXPECT_LT(strip.GetScrollOffset(), 0);

    // Fewer tabs fit: no buttons.
    while (strip.GetItemCount() > 2)
        strip.DeleteItem(0);
    strip.SetScrollOffset(0);
    EXPECT_FALSE(back->IsShown());
    EXPECT_FALSE(forward->IsShown());
}

TEST_F(TabStripTest, TheCloseButtonShowsForAClosableSelectedTab) {
    strip.AddTabs(2);
    CTKPTabScrollButton* close = strip.GetNavigateButton(TKP_TABNAV_CLOSE);
    close->m_nShowMode = TKP_TABNAV_SHOW_AUTO;
    strip.Reposition();
    EXPECT_FALSE(close->IsShown());  // nothing selected
    strip.SetCurSel(0);
    EXPECT_TRUE(close->IsShown());
    strip.GetItem(1)->m_bClosable = FALSE;
    strip.SetCurSel(1);
    EXPECT_FALSE(close->IsShown());
}

class TabStripLoopTest : public TabStripTest {
protected:
    void SetUp() override
    {
        headless::UseVirtualClock();
        hwnd = ::CreateWindowExW(0, tktest::RegisterPlainWindowClass(u"TabTestHost"), u"", WS_POPUP | WS_VISIBLE, 0, 0,
                                 300, 60, nullptr, nullptr, nullptr, nullptr);
        tabtest::UseFixedWidths(painter);
        strip.AddTabs(4);
        tabtest::SetWidths(strip, {50, 50, 50, 50});
    }
    void TearDown() override { ::DestroyWindow(hwnd); }
    void Post(UINT message, CPoint pt, WPARAM wParam = 0)
    {
        ::PostMessageW(hwnd, message, wParam, MAKELPARAM(pt.x, pt.y));
    }
    CPoint Centre(int i) const { return strip.GetItem(i)->GetRect().CenterPoint(); }
    HWND hwnd = nullptr;
};

TEST_F(TabStripLoopTest, DraggingSwapsStepByStepAndEscapeKeepsTheOrderReached) {
    strip.SetCurSel(3);
    Post(WM_MOUSEMOVE, Centre(1));
    Post(WM_MOUSEMOVE, Centre(2));
    Post(WM_KEYDOWN, CPoint(0, 0), 'A');  // swallowed
    Post(WM_KEYDOWN, CPoint(0, 0), VK_ESCAPE);
    Post(WM_MOUSEMOVE, Centre(3));  // after the loop: not part of the drag
    EXPECT_TRUE(strip.OnLButtonDown(hwnd, Centre(0).x, Centre(0).y));
    EXPECT_EQ(Captions(strip), Texts({u"1", u"2", u"0", u"3"}));
    EXPECT_EQ(strip.GetSelectedItem()->m_strCaption, CString(u"0"));
    EXPECT_EQ(::GetCapture(), nullptr);
    headless::PumpUntilIdle();
}

TEST_F(TabStripLoopTest, AQuitRequestEndsTheDragAndIsPostedAgain) {
    Post(WM_MOUSEMOVE, Centre(1));
    ::PostQuitMessage(7);
    strip.OnLButtonDown(hwnd, Centre(0).x, Centre(0).y);
    EXPECT_EQ(Captions(strip), Texts({u"1", u"0", u"2", u"3"}));
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(TabStripLoopTest, WithoutReorderAClickOnlySelects) {
    strip.SetAllowReorder(FALSE);
    EXPECT_TRUE(strip.OnLButtonDown(hwnd, Centre(2).x, Centre(2).y));
    EXPECT_EQ(strip.GetCurSel(), 2);
    EXPECT_FALSE(strip.OnLButtonDown(hwnd, 280, 10));  // no tab there
    EXPECT_FALSE(strip.OnLButtonDown(hwnd, Centre(1).x, Centre(1).y, TRUE));
    EXPECT_EQ(strip.GetCurSel(), 2);
}

// A strip whose redraw lets time pass, so a held button repeats.
class SlowStrip : public Strip {
public:
    using Strip::Strip;
    void RedrawControl() override
    {
        Strip::RedrawControl();
        if (advance)
            headless::AdvanceClock(25);
    }
    bool advance = false;
};

TEST_F(TabStripLoopTest, HeldScrollButtonsRepeatAndCloseActsOnRelease) {
    SlowStrip slow(&painter, CRect(0, 0, 120, 60));
    slow.AddTabs(4);
    tabtest::SetWidths(slow, {50, 50, 50, 50});
    CTKPTabScrollButton* forward = slow.GetNavigateButton(TKP_TABNAV_FORWARD);
    ASSERT_TRUE(forward->IsShown());
    const CPoint inside = forward->m_rcButton.CenterPoint();

    // A quick click does not scroll.
    Post(WM_LBUTTONUP, inside);
    EXPECT_TRUE(slow.OnLButtonDown(hwnd, inside.x, inside.y));
    EXPECT_EQ(slow.scrolls, 0);

    // Held past 20 ms it scrolls once per step.
    slow.advance = true;
    Post(WM_MOUSEMOVE, inside);
    Post(WM_LBUTTONUP, inside);
    slow.OnLButtonDown(hwnd, inside.x, inside.y);
    EXPECT_EQ(slow.scrolls, 1);
    EXPECT_EQ(slow.GetScrollOffset(), -20);
    EXPECT_FALSE(forward->m_bPressed);
    slow.advance = false;

    CTKPTabScrollButton* close = slow.GetNavigateButton(TKP_TABNAV_CLOSE);
    close->m_nShowMode = TKP_TABNAV_SHOW_ALWAYS;
    slow.Reposition();
    const CPoint onClose = close->m_rcButton.CenterPoint();
    // Released outside, nothing; released over it, the click.
    Post(WM_MOUSEMOVE, CPoint(2, 2));
    Post(WM_LBUTTONUP, CPoint(2, 2));
    slow.OnLButtonDown(hwnd, onClose.x, onClose.y);
    EXPECT_EQ(slow.closeClicks, 0);
    Post(WM_LBUTTONUP, onClose);
    slow.OnLButtonDown(hwnd, onClose.x, onClose.y);
    EXPECT_EQ(slow.closeClicks, 1);
}

TEST_F(TabStripLoopTest, HotTrackingFollowsTheMouseWhileTheWindowIsActive) {
    painter.m_bHotTracking = TRUE;
    ::SetActiveWindow(hwnd);
    ::SetForegroundWindow(hwnd);
    strip.OnMouseMove(hwnd, Centre(1).x, Centre(1).y);
    EXPECT_EQ(strip.GetHotItem(), strip.GetItem(1));
    strip.OnMouseMove(hwnd, 290, 50);
    EXPECT_EQ(strip.GetHotItem(), nullptr);
    painter.m_bHotTracking = FALSE;
    strip.OnMouseMove(hwnd, Centre(1).x, Centre(1).y);
    EXPECT_EQ(strip.GetHotItem(), nullptr);
}

} // namespace
