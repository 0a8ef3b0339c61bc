// Tests of the task panel window on a sample window: layout and scrolling, the expand/collapse
// animation on the virtual clock, mouse and keyboard focus, owner notifications and accessibility.
#include "panel_fixture.h"

#include "toolkit/taskpanel/task_panel_theme.h"

#include <algorithm>

using namespace tptest;

namespace {

class TaskPanelTest : public PanelTest {
protected:
    // Three groups: two links and a text item each.
    void BuildSample()
    {
        for (int g = 0; g < 3; ++g) {
            CString caption;
            caption.Format(u"Group %d", g);
            m_groups[g] = AddGroup(*m_panel, caption, 10 * (g + 1));
            m_links[g][0] = AddItem(m_groups[g], u"First link", 10 * (g + 1) + 1);
            m_links[g][1] = AddItem(m_groups[g], u"Second link", 10 * (g + 1) + 2);
            AddItem(m_groups[g], u"Plain text", 0, TKP_TASKITEM_TEXT);
        }
        Settle();
    }
    CTKPTaskPanelGroup* m_groups[3] = {};
    CTKPTaskPanelGroupItem* m_links[3][2] = {};
};

} // namespace

TEST_F(TaskPanelTest, GroupsStackWithMarginsAndSpacingAndScrollOnlyWhenTaller)
{
    BuildSample();
    CTKPTaskPanelThemePainter* theme = m_panel->GetPaintManager();
    const CRect margins = theme->GetControlMargins(m_panel);
    const int spacing = theme->GetGroupSpacing(m_panel);
    EXPECT_EQ(m_groups[0]->GetTargetRect().top, margins.top);
    EXPECT_EQ(m_groups[1]->GetTargetRect().top, m_groups[0]->GetTargetRect().bottom + spacing);
    EXPECT_EQ(m_groups[2]->GetTargetRect().top, m_groups[1]->GetTargetRect().bottom + spacing);
    EXPECT_EQ(m_groups[0]->GetCurrentRect(), m_groups[0]->GetTargetRect());
    EXPECT_EQ(m_groups[0]->GetTargetRect().left, margins.left);
    EXPECT_FALSE(m_panel->IsScrollBarShown());
    EXPECT_EQ(m_panel->GetScrollOffset(), 0);

    // A hidden group takes no room.
    m_groups[1]->SetVisible(FALSE);
    EXPECT_EQ(m_groups[2]->GetTargetRect().top, m_groups[0]->GetTargetRect().bottom + spacing);
    m_groups[1]->SetVisible(TRUE);

    for (int i = 0; i < 30; ++i)
        AddItem(m_groups[2], u"More");
    Settle();
    CRect client;
    m_panel->GetClientRect(&client);
    ASSERT_GT(m_panel->GetTotalHeight(), client.Height());
    EXPECT_TRUE(m_panel->IsScrollBarShown());
    const CPoint inside(50, 50);
    m_panel->SetFocus();
    headless::Wheel(m_panel->m_hWnd, inside, -120);
    headless::PumpUntilIdle();
    EXPECT_EQ(m_panel->GetScrollOffset(), 10);
    m_panel->SendMessage(WM_VSCROLL, SB_LINEDOWN);
    EXPECT_EQ(m_panel->GetScrollOffset(), 16);
    m_panel->SendMessage(WM_VSCROLL, SB_BOTTOM);
    EXPECT_EQ(m_panel->GetScrollOffset(), m_panel->GetTotalHeight() - client.Height());
    m_panel->SendMessage(WM_VSCROLL, SB_PAGEUP);
    EXPECT_EQ(m_panel->GetScrollOffset(), std::max<int>(0, m_panel->GetTotalHeight() - 2 * client.Height()));
    m_panel->SendMessage(WM_VSCROLL, SB_TOP);
    EXPECT_EQ(m_panel->GetScrollOffset(), 0);
    // Hit tests follow the scroll position.
    m_panel->SendMessage(WM_VSCROLL, SB_LINEDOWN);
    EXPECT_EQ(m_panel->HitTestItem(ItemPoint(m_links[0][0])), m_links[0][0]);
}

TEST_F(TaskPanelTest, ClickingACaptionCollapsesTheGroupOverTheAnimationTicks)
{
    BuildSample();
    CTKPTaskPanelGroup* group = m_groups[0];
    const CRect before = group->GetCurrentRect();
    Click(CaptionPoint(group));
    ASSERT_EQ(Count(TKP_TPN_GROUPEXPANDING), 1);
    const Notification& expanding = *std::find_if(g_log.begin(), g_log.end(), [](const Notification& n) {
        return n.code == TKP_TPN_GROUPEXPANDING;
    });
    EXPECT_EQ(expanding.item, LPARAM(group));
    EXPECT_FALSE(expanding.expanded);
    EXPECT_FALSE(group->IsExpanded());
    EXPECT_TRUE(group->IsExpansionPending());
    EXPECT_EQ(group->GetTargetRect().bottom, before.top + group->GetCaptionHeight());
    EXPECT_EQ(group->GetCurrentRect(), before) << "the collapse waits for the timer";

    // Ten ticks of 30 ms cover the distance in equal parts, then the change is reported once.
    const int distance = before.bottom - group->GetTargetRect().bottom;
    int previous = before.bottom, ticks = 0;
    while (group->GetCurrentRect() != group->GetTargetRect() && ticks < 20) {
        headless::AdvanceClock(30);
        headless::PumpUntilIdle();
        ++ticks;
        EXPECT_LT(group->GetCurrentRect().bottom, previous);
        previous = group->GetCurrentRect().bottom;
    }
    EXPECT_LE(ticks, 11);
    EXPECT_GE(ticks, std::min(distance, 10));
    EXPECT_EQ(Count(TKP_TPN_GROUPEXPANDED), 1);
    EXPECT_FALSE(group->IsExpansionPending());
    EXPECT_EQ(m_groups[1]->GetCurrentRect().top, group->GetCurrentRect().bottom +
                                                      m_panel->GetPaintManager()->GetGroupSpacing(m_panel));

    // The owner may refuse.
    g_answers[TKP_TPN_GROUPEXPANDING] = -1;
    Click(CaptionPoint(group));
    Settle();
    EXPECT_FALSE(group->IsExpanded());
    EXPECT_EQ(Count(TKP_TPN_GROUPEXPANDED), 1);
}

TEST_F(TaskPanelTest, DoubleClicksToggleACaptionTwiceAndReportOnlyItems)
{
    BuildSample();
    const CPoint caption = CaptionPoint(m_groups[1]);
    headless::MouseMove(m_panel->m_hWnd, caption);
    headless::DoubleClick(m_panel->m_hWnd, caption);
    headless::PumpUntilIdle();
    EXPECT_EQ(Count(TKP_TPN_GROUPEXPANDING), 2);
    EXPECT_TRUE(m_groups[1]->IsExpanded());
    EXPECT_EQ(Count(TKP_TPN_DBLCLICK), 0);

    Settle();
    g_log.clear();
    const CPoint link = ItemPoint(m_links[1][0]);
    headless::MouseMove(m_panel->m_hWnd, link);
    headless::DoubleClick(m_panel->m_hWnd, link);
    headless::PumpUntilIdle();
    EXPECT_EQ(Count(TKP_TPN_DBLCLICK), 1);
    EXPECT_EQ(Count(TKP_TPN_CLICK), 2);
}

TEST_F(TaskPanelTest, TheMouseMakesLinksHotAndClicksThem)
{
    BuildSample();
    const CPoint link = ItemPoint(m_links[0][1]);
    headless::MouseMove(m_panel->m_hWnd, link);
    headless::PumpUntilIdle();
    EXPECT_EQ(m_panel->GetHotItem(), m_links[0][1]);
    EXPECT_TRUE(m_links[0][1]->IsItemHot());

    // Text items never become hot.
    CTKPTaskPanelGroupItem* text = m_groups[0]->GetItemAt(2);
    headless::MouseMove(m_panel->m_hWnd, ItemPoint(text));
    headless::PumpUntilIdle();
    EXPECT_EQ(m_panel->GetHotItem(), nullptr);

    Click(link);
    ASSERT_EQ(Count(TKP_TPN_CLICK), 1);
    EXPECT_EQ(g_log.back().item, LPARAM(m_links[0][1]));
    EXPECT_EQ(m_panel->GetFocusedItem(), m_links[0][1]);
    EXPECT_EQ(Count(TKP_TPN_FOCUSEDITEMCHANGED), 1);

    // A release away from the pressed link clicks nothing.
    g_log.clear();
    headless::ButtonDown(m_panel->m_hWnd, link);
    headless::MouseMove(m_panel->m_hWnd, CPoint(link.x + 2, link.y + 100));
    headless::ButtonUp(m_panel->m_hWnd, CPoint(link.x + 2, link.y + 100));
    g_answers[TKP_TPN_STARTDRAG] = -1;
    headless::PumpUntilIdle();
    EXPECT_EQ(Count(TKP_TPN_CLICK), 0);

    // The right button focuses and reports.
    g_log.clear();
    headless::Click(m_panel->m_hWnd, ItemPoint(m_links[2][0]), VK_RBUTTON);
    headless::PumpUntilIdle();
    EXPECT_EQ(m_panel->GetFocusedItem(), m_links[2][0]);
    EXPECT_EQ(Count(TKP_TPN_RCLICK), 1);
}

TEST_F(TaskPanelTest, APressStartsADragOnlyPastFourPixels)
{
    BuildSample();
    g_answers[TKP_TPN_STARTDRAG] = -1; // the owner refuses every drag, so no drag loop runs
    const CPoint link = ItemPoint(m_links[0][0]);
    // The panel's own default forbids dragging until it is told otherwise.
    headless::MouseMove(m_panel->m_hWnd, link);
    headless::ButtonDown(m_panel->m_hWnd, link);
    headless::MouseMove(m_panel->m_hWnd, CPoint(link.x + 20, link.y));
    headless::ButtonUp(m_panel->m_hWnd, CPoint(link.x + 20, link.y));
    headless::PumpUntilIdle();
    EXPECT_EQ(Count(TKP_TPN_STARTDRAG), 0);
    m_panel->AllowDrag(0xCC);
    const struct {
        int dx, dy;
        int drags;
    } cases[] = {{4, 0, 0}, {2, 2, 0}, {5, 0, 1}, {3, -2, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy);
        g_log.clear();
        headless::MouseMove(m_panel->m_hWnd, link);
        headless::ButtonDown(m_panel->m_hWnd, link);
        headless::MouseMove(m_panel->m_hWnd, CPoint(link.x + c.dx, link.y + c.dy));
        headless::ButtonUp(m_panel->m_hWnd, CPoint(link.x + c.dx, link.y + c.dy));
        headless::PumpUntilIdle();
        EXPECT_EQ(Count(TKP_TPN_STARTDRAG), c.drags);
    }
}

TEST_F(TaskPanelTest, TheKeyboardWalksGroupsAndLinksAndLeavesAtTheEnds)
{
    BuildSample();
    CWnd after;
    ASSERT_TRUE(after.CreateEx(0, u"BUTTON", u"after", WS_CHILD | WS_VISIBLE | WS_TABSTOP, CRect(230, 0, 300, 30),
                               &m_host, 101));
    m_groups[1]->SetExpanded(FALSE);
    Settle();
    m_panel->SetFocus();
    headless::PumpUntilIdle();

    // Down walks group, its links (the text item is passed over), and past a collapsed group's links.
    std::vector<CTKPTaskPanelItem*> expected = {m_groups[0], m_links[0][0], m_links[0][1], m_groups[1],
                                                m_groups[2], m_links[2][0], m_links[2][1]};
    for (CTKPTaskPanelItem* item : expected) {
        headless::PressKey(VK_DOWN);
        headless::PumpUntilIdle();
        EXPECT_EQ(m_panel->GetFocusedItem(), item);
    }
    headless::PressKey(VK_DOWN);
    headless::PumpUntilIdle();
    EXPECT_EQ(m_panel->GetFocusedItem(), m_links[2][1]) << "no wrap at the end";
    EXPECT_TRUE(m_panel->IsDrawFocusRect());

    headless::PressKey(VK_HOME);
    headless::PumpUntilIdle();
    EXPECT_EQ(m_panel->GetFocusedItem(), m_links[2][0]);
    headless::PressKey(VK_UP);
    headless::PressKey(VK_UP);
    headless::PumpUntilIdle();
    EXPECT_EQ(m_panel->GetFocusedItem(), m_groups[1]);

    // Enter toggles a group and clicks a link.
    headless::PressKey(VK_RETURN);
    headless::PumpUntilIdle();
    EXPECT_TRUE(m_groups[1]->IsExpanded());
    m_panel->SetFocusedItem(m_links[0][1], TRUE);
    g_log.clear();
    headless::PressKey(VK_SPACE);
    headless::PumpUntilIdle();
    ASSERT_EQ(Count(TKP_TPN_CLICK), 1);
    EXPECT_EQ(g_log.back().item, LPARAM(m_links[0][1]));

    // Tab goes group by group; from the last item it leaves for the next control.
    headless::PressKey(VK_TAB);
    headless::PumpUntilIdle();
    EXPECT_EQ(m_panel->GetFocusedItem(), m_groups[1]);
    m_panel->SetFocusedItem(m_links[2][1], TRUE);
    headless::PressKey(VK_TAB);
    headless::PumpUntilIdle();
    EXPECT_EQ(::GetFocus(), after.m_hWnd);
    after.DestroyWindow();
}

TEST_F(TaskPanelTest, AGroupDraggedByItsCaptionMovesToTheCaptionItCrosses)
{
    BuildSample();
    m_panel->AllowDrag(0xCC);
    const CPoint from = CaptionPoint(m_groups[0]);
    const CPoint over = CaptionPoint(m_groups[2]);
    headless::MouseMove(m_panel->m_hWnd, from);
    headless::ButtonDown(m_panel->m_hWnd, from);
    headless::MouseMove(m_panel->m_hWnd, CPoint(from.x, from.y + 10));
    headless::MouseMove(m_panel->m_hWnd, over);
    headless::ButtonUp(m_panel->m_hWnd, over);
    headless::PumpUntilIdle();
    EXPECT_EQ(m_panel->GetAt(2), m_groups[0]);
    EXPECT_EQ(m_panel->GetAt(0), m_groups[1]);
    EXPECT_EQ(Count(TKP_TPN_GROUPEXPANDING), 0) << "a drag is no click";
    EXPECT_EQ(m_panel->GetDraggingItem(), nullptr);
}

TEST_F(TaskPanelTest, OneOpenGroupFillsTheRestAndScrollsItsItems)
{
    m_panel->SetBehaviour(TKP_TPBEHAVIOUR_LIST);
    m_panel->SetItemLayout(TKP_TPLAYOUT_TEXT_BESIDE);
    BuildSample();
    for (int i = 0; i < 40; ++i)
        AddItem(m_groups[0], u"Row");
    Settle();
    for (CTKPTaskPanelGroup* group : m_groups)
        EXPECT_FALSE(group->IsExpanded());

    m_panel->ExpandGroup(m_groups[0], TRUE);
    Settle();
    EXPECT_EQ(m_panel->GetActiveGroup(), m_groups[0]);
    EXPECT_TRUE(m_groups[0]->IsExpanded());
    EXPECT_FALSE(m_panel->IsScrollBarShown());
    CRect client;
    m_panel->GetClientRect(&client);
    const CRect margins = m_panel->GetPaintManager()->GetControlMargins(m_panel);
    EXPECT_EQ(m_panel->GetTotalHeight(), client.Height()) << "the open group fills what the captions leave";
    EXPECT_EQ(m_groups[2]->GetTargetRect().bottom + margins.bottom, client.Height());

    const TaskPanelScrollButton& down = m_panel->GetScrollButton(FALSE);
    const TaskPanelScrollButton& up = m_panel->GetScrollButton(TRUE);
    EXPECT_TRUE(down.bEnabled);
    EXPECT_FALSE(up.bEnabled);
    headless::Click(m_panel->m_hWnd, Center(down.rcButton));
    headless::PumpUntilIdle();
    EXPECT_EQ(m_groups[0]->GetFirstVisibleIndex(), 1);
    EXPECT_TRUE(up.bEnabled);
    m_panel->SetFocus();
    headless::Wheel(m_panel->m_hWnd, CPoint(50, 100), -120);
    headless::PumpUntilIdle();
    EXPECT_EQ(m_groups[0]->GetFirstVisibleIndex(), 4);

    // Ctrl+Down opens the next group; collapse requests change nothing.
    m_panel->SetFocusedItem(m_groups[0], TRUE);
    headless::PressKey(VK_DOWN, {VK_CONTROL});
    headless::PumpUntilIdle();
    EXPECT_EQ(m_panel->GetActiveGroup(), m_groups[1]);
    EXPECT_FALSE(m_groups[0]->IsExpanded());
    m_panel->ExpandGroup(m_groups[1], FALSE);
    EXPECT_TRUE(m_groups[1]->IsExpanded());
}

TEST_F(TaskPanelTest, RemovingItemsDropsThePanelsReferences)
{
    BuildSample();
    Click(ItemPoint(m_links[1][0]));
    ASSERT_EQ(m_panel->GetFocusedItem(), m_links[1][0]);
    ASSERT_EQ(m_panel->GetHotItem(), m_links[1][0]);
    m_links[1][0]->Remove();
    EXPECT_EQ(m_panel->GetFocusedItem(), nullptr);
    EXPECT_EQ(m_panel->GetHotItem(), nullptr);
    EXPECT_EQ(m_groups[1]->GetItemCount(), 2);

    m_panel->SetFocusedItem(m_links[2][1]);
    m_groups[2]->Remove();
    EXPECT_EQ(m_panel->GetFocusedItem(), nullptr);
    EXPECT_EQ(m_panel->GetGroupCount(), 2);

    // An item someone else still holds forgets the panel it left.
    CTKPTaskPanelGroupItem* kept = m_links[0][0];
    kept->InternalAddRef();
    m_panel->SetHotItem(kept);
    kept->Remove();
    EXPECT_EQ(kept->GetTaskPanel(), nullptr);
    EXPECT_EQ(kept->GetItemGroup(), nullptr);
    EXPECT_FALSE(kept->IsItemHot());
    EXPECT_EQ(m_panel->GetHotItem(), nullptr);
    kept->InternalRelease();
}

TEST_F(TaskPanelTest, AccessibilityNumbersGroupsAndItemsInOrder)
{
    BuildSample();
    m_links[0][1]->SetVisible(FALSE);
    m_groups[1]->SetExpanded(FALSE);
    Settle();
    IAccessible* acc = m_panel->GetAccessible();
    long count = 0;
    ASSERT_EQ(acc->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 12) << "invisible items count too";

    VARIANT child{};
    child.vt = VT_I4;
    const struct {
        long id;
        const char16_t* name;
        long role;
        long state;
    } cases[] = {
        {1, u"Group 0", ROLE_SYSTEM_LISTITEM, STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_EXPANDED},
        {3, u"Second link", ROLE_SYSTEM_LISTITEM,
         STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_INVISIBLE},
        {5, u"Group 1", ROLE_SYSTEM_LISTITEM, STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_COLLAPSED},
        {12, u"Plain text", ROLE_SYSTEM_LISTITEM, STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        child.lVal = c.id;
        BSTR name = nullptr;
        ASSERT_EQ(acc->get_accName(child, &name), S_OK);
        EXPECT_EQ(std::u16string(name), c.name);
        ::SysFreeString(name);
        VARIANT role{}, state{};
        ASSERT_EQ(acc->get_accRole(child, &role), S_OK);
        EXPECT_EQ(role.lVal, c.role);
        ASSERT_EQ(acc->get_accState(child, &state), S_OK);
        EXPECT_EQ(state.lVal, c.state);
    }
    child.lVal = CHILDID_SELF;
    VARIANT role{};
    acc->get_accRole(child, &role);
    EXPECT_EQ(role.lVal, ROLE_SYSTEM_OUTLINE);

    // The default action of a group toggles it, of a link focuses and clicks it.
    child.lVal = CHILDID_SELF;
    ASSERT_EQ(m_groups[0]->GetAccessible()->accDoDefaultAction(child), S_OK);
    EXPECT_FALSE(m_groups[0]->IsExpanded());
    g_log.clear();
    ASSERT_EQ(m_links[2][0]->GetAccessible()->accDoDefaultAction(child), S_OK);
    EXPECT_EQ(m_panel->GetFocusedItem(), m_links[2][0]);
    EXPECT_EQ(Count(TKP_TPN_CLICK), 1);
    child.lVal = 1;
    EXPECT_EQ(m_links[2][0]->GetAccessible()->get_accRole(child, &role), E_INVALIDARG);
}

TEST_F(TaskPanelTest, GridRowsRoundTheFirstVisibleIndexDownToARow)
{
    m_panel->SetBehaviour(TKP_TPBEHAVIOUR_TOOLBOX);
    CTKPTaskPanelGroup* group = AddGroup(*m_panel, u"Grid");
    group->SetLayout(TKP_TPLAYOUT_GRID);
    group->SetIconSize(CSize(40, 40));
    for (int i = 0; i < 10; ++i)
        AddItem(group, u"cell", i);
    m_panel->ExpandGroup(group, TRUE);
    Settle();
    ASSERT_EQ(group->GetItemsInRow(), 3);
    // Every item takes a whole cell, three to a row.
    EXPECT_EQ(group->GetItemAt(1)->GetItemRect().left - group->GetItemAt(0)->GetItemRect().left, 52);
    EXPECT_EQ(group->GetItemAt(3)->GetItemRect().top - group->GetItemAt(0)->GetItemRect().top, 52);
    const struct {
        int index, stored;
    } cases[] = {{5, 3}, {-1, 0}, {2, 0}, {9, 9}, {40, 9}, {7, 6}};
    for (const auto& c : cases) {
        group->SetFirstVisibleIndex(c.index, FALSE);
        EXPECT_EQ(group->GetStoredFirstVisibleIndex(), c.stored) << c.index;
    }
}

TEST_F(TaskPanelTest, AHostedWindowSitsOverItsItemAndHidesBehindASnapshotWhileTheGroupMoves)
{
    BuildSample();
    CWnd edit;
    ASSERT_TRUE(edit.CreateEx(0, u"EDIT", u"typed", WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(0, 0, 10, 10), m_panel,
                              5));
    auto* item = new CTKPTaskPanelGroupItem();
    item->SetSize(CSize(0, 22));
    item->SetControlHandle(edit.m_hWnd);
    m_groups[0]->GetItems()->InsertAt(1, item);
    Settle();
    auto placed = [&] {
        CRect rc;
        edit.GetWindowRect(&rc);
        m_panel->ScreenToClient(&rc);
        return rc;
    };
    const CRect place = item->GetHitTestRect();
    EXPECT_TRUE(edit.IsWindowVisible());
    EXPECT_EQ(placed().TopLeft(), place.TopLeft());
    EXPECT_EQ(placed().Height(), 22);
    EXPECT_GT(placed().Width(), 100) << "a control takes the group's width";
    EXPECT_EQ(item->GetSnapshot(), nullptr);

    m_panel->ExpandGroup(m_groups[0], FALSE);
    headless::AdvanceClock(30);
    headless::PumpUntilIdle();
    EXPECT_FALSE(edit.IsWindowVisible());
    EXPECT_NE(item->GetSnapshot(), nullptr);
    Settle();
    EXPECT_FALSE(edit.IsWindowVisible());

    m_panel->ExpandGroup(m_groups[0], TRUE);
    Settle();
    EXPECT_TRUE(edit.IsWindowVisible());
    EXPECT_EQ(item->GetSnapshot(), nullptr);
    EXPECT_EQ(placed().TopLeft(), item->GetHitTestRect().TopLeft());

    // The panel never destroys the window; a removed item hides it.
    item->Remove();
    EXPECT_TRUE(::IsWindow(edit.m_hWnd));
    EXPECT_FALSE(edit.IsWindowVisible());
    edit.DestroyWindow();
}
