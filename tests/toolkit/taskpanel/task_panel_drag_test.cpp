// Tests of dragging items within and between the groups of a panel, the rules of the drag bits, and
// drops of data from outside: hover expansion, effects other than copy or move, and foreign data.
#include "panel_fixture.h"

#include "toolkit/taskpanel/task_panel_theme.h"

#include <cstring>

using namespace tptest;

namespace {

class TaskPanelDragTest : public PanelTest {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        m_panel->AllowDrag(0xCC);
        for (int g = 0; g < 2; ++g) {
            m_groups[g] = AddGroup(*m_panel, g ? u"Target" : u"Source");
            for (int i = 0; i < 3; ++i) {
                CString caption;
                caption.Format(u"Item %d.%d", g, i);
                m_items[g][i] = AddItem(m_groups[g], caption, 100 * g + i);
            }
        }
        Settle();
    }
    // Presses on the item, moves past the drag threshold, then over the point and releases there.
    void DragTo(CTKPTaskPanelItem* item, CPoint to)
    {
        const CPoint from = ItemPoint(item);
        headless::MouseMove(m_panel->m_hWnd, from);
        headless::ButtonDown(m_panel->m_hWnd, from);
        headless::MouseMove(m_panel->m_hWnd, CPoint(from.x, from.y + 6));
        headless::MouseMove(m_panel->m_hWnd, to);
        headless::ButtonUp(m_panel->m_hWnd, to);
        headless::PumpUntilIdle();
    }
    std::vector<CString> Captions(CTKPTaskPanelGroup* group) const
    {
        std::vector<CString> out;
        for (int i = 0; i < group->GetItemCount(); ++i)
            out.push_back(group->GetItemAt(i)->GetCaption());
        return out;
    }
    // Data as another program offers it: the item format (and text), not the panel's own drag.
    static COleDataSource* ForeignData(const std::vector<BYTE>& item, BOOL withText = TRUE)
    {
        auto* source = new COleDataSource();
        HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, item.empty() ? 1 : item.size());
        if (!item.empty())
            std::memcpy(::GlobalLock(block), item.data(), item.size());
        ::GlobalUnlock(block);
        source->CacheGlobalData(CTKPTaskPanelItem::GetClipboardFormat(), block);
        if (withText) {
            HGLOBAL text = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 2);
            source->CacheGlobalData(CF_TEXT, text);
        }
        return source;
    }
    static std::vector<BYTE> DragBytes(CTKPTaskPanelItem* item)
    {
        HGLOBAL block = CTKPTaskPanelItem::SerializeItemToGlobal(item);
        std::vector<BYTE> out(::GlobalSize(block));
        std::memcpy(out.data(), ::GlobalLock(block), out.size());
        ::GlobalUnlock(block);
        ::GlobalFree(block);
        return out;
    }
    CTKPTaskPanelGroup* m_groups[2] = {};
    CTKPTaskPanelGroupItem* m_items[2][3] = {};
};

} // namespace

TEST_F(TaskPanelDragTest, AnItemMovesWithinItsGroupBeforeTheItemItIsDroppedOn)
{
    // The lower half of an item targets the next one: the drop lands between them.
    const CRect target = m_items[0][1]->GetHitTestRect();
    DragTo(m_items[0][0], CPoint(target.left + 5, target.bottom - 2));
    EXPECT_EQ(Count(TKP_TPN_STARTDRAG), 1);
    ASSERT_EQ(Count(TKP_TPN_ITEMDROP), 1);
    const std::vector<CString> expected = {u"Item 0.1", u"Item 0.0", u"Item 0.2"};
    EXPECT_EQ(Captions(m_groups[0]), expected);
    CTKPTaskPanelGroupItem* moved = m_groups[0]->GetItemAt(1);
    EXPECT_EQ(moved->GetID(), 0);
    EXPECT_EQ(moved->GetTaskPanel(), m_panel);
    EXPECT_EQ(m_panel->GetFocusedItem(), moved);
    EXPECT_EQ(m_panel->GetDraggingItem(), nullptr);
    EXPECT_EQ(m_panel->GetDropTarget(), nullptr);
}

TEST_F(TaskPanelDragTest, AnItemMovesOrIsCopiedIntoAnotherGroup)
{
    DragTo(m_items[0][2], CaptionPoint(m_groups[1]));
    EXPECT_EQ(m_groups[0]->GetItemCount(), 2);
    ASSERT_EQ(m_groups[1]->GetItemCount(), 4);
    EXPECT_EQ(m_groups[1]->GetItemAt(3)->GetCaption(), CString(u"Item 0.2"));

    // With Ctrl held the source stays.
    headless::KeyDown(VK_CONTROL);
    const CRect target = m_items[1][0]->GetHitTestRect();
    DragTo(m_items[0][0], CPoint(target.left + 5, target.top + 2));
    headless::KeyUp(VK_CONTROL);
    headless::PumpUntilIdle();
    EXPECT_EQ(m_groups[0]->GetItemCount(), 2);
    ASSERT_EQ(m_groups[1]->GetItemCount(), 5);
    EXPECT_EQ(m_groups[1]->GetItemAt(0)->GetCaption(), CString(u"Item 0.0"));
}

TEST_F(TaskPanelDragTest, TheDragBitsLimitWhereAnItemMayGo)
{
    // Move only within its own group: another group refuses it, its own takes it.
    m_items[0][0]->SetAllowDrag(TKP_DRAG_MOVE_GROUP);
    DragTo(m_items[0][0], CaptionPoint(m_groups[1]));
    EXPECT_EQ(Count(TKP_TPN_ITEMDROP), 0);
    EXPECT_EQ(m_groups[0]->GetItemCount(), 3);
    EXPECT_EQ(m_groups[1]->GetItemCount(), 3);
    const CRect last = m_items[0][2]->GetHitTestRect();
    DragTo(m_items[0][0], CPoint(last.left + 5, last.bottom - 2));
    EXPECT_EQ(Count(TKP_TPN_ITEMDROP), 1);
    EXPECT_EQ(m_groups[0]->GetItemAt(2)->GetCaption(), CString(u"Item 0.0"));

    // No bits: no drag at all. A refused start neither.
    g_log.clear();
    m_items[1][0]->SetAllowDrag(0);
    DragTo(m_items[1][0], CaptionPoint(m_groups[0]));
    EXPECT_EQ(Count(TKP_TPN_STARTDRAG), 0);
    g_answers[TKP_TPN_STARTDRAG] = -1;
    DragTo(m_items[1][1], CaptionPoint(m_groups[0]));
    EXPECT_EQ(Count(TKP_TPN_STARTDRAG), 1);
    EXPECT_EQ(Count(TKP_TPN_ITEMDROP), 0);
    EXPECT_EQ(m_groups[1]->GetItemCount(), 3);
}

TEST_F(TaskPanelDragTest, DropsFromOutsideNeedTextAndAGroupItem)
{
    auto* outside = new CTKPTaskPanelGroupItem();
    outside->SetCaption(u"From elsewhere");
    outside->SetType(TKP_TASKITEM_LINK);
    const std::vector<BYTE> bytes = DragBytes(outside);
    outside->InternalRelease();
    const CPoint caption = CaptionPoint(m_groups[1]);

    // Without text data another program's item is not taken.
    {
        COleDataObject data;
        data.Attach(ForeignData(bytes, FALSE), TRUE);
        EXPECT_EQ(m_panel->OnDragOver(&data, 0, caption), DROPEFFECT(DROPEFFECT_NONE));
    }
    // An effect other than copy or move reports success and inserts nothing.
    {
        COleDataObject data;
        data.Attach(ForeignData(bytes), TRUE);
        EXPECT_EQ(m_panel->OnDragOver(&data, 0, caption), DROPEFFECT(DROPEFFECT_MOVE));
        EXPECT_EQ(m_panel->OnDragOver(&data, MK_CONTROL, caption), DROPEFFECT(DROPEFFECT_COPY));
        EXPECT_TRUE(m_panel->OnDrop(&data, DROPEFFECT_LINK, caption));
        EXPECT_EQ(m_groups[1]->GetItemCount(), 3);
        EXPECT_FALSE(m_panel->OnDrop(&data, DROPEFFECT_COPY, caption)) << "the target went with the last drop";
    }
    {
        COleDataObject data;
        data.Attach(ForeignData(bytes), TRUE);
        m_panel->OnDragOver(&data, 0, caption);
        EXPECT_TRUE(m_panel->OnDrop(&data, DROPEFFECT_COPY, caption));
        ASSERT_EQ(m_groups[1]->GetItemCount(), 4);
        EXPECT_EQ(m_groups[1]->GetItemAt(3)->GetCaption(), CString(u"From elsewhere"));
    }
    // A group in the data is no item of a group: refused, nothing inserted.
    auto* group = new CTKPTaskPanelGroup();
    group->SetCaption(u"Intruder");
    const std::vector<BYTE> groupBytes = DragBytes(group);
    group->InternalRelease();
    {
        COleDataObject data;
        data.Attach(ForeignData(groupBytes), TRUE);
        m_panel->OnDragOver(&data, 0, caption);
        EXPECT_FALSE(m_panel->OnDrop(&data, DROPEFFECT_COPY, caption));
        EXPECT_EQ(m_groups[1]->GetItemCount(), 4);
        EXPECT_EQ(m_panel->GetGroupCount(), 2);
    }
    // Damaged item data is refused as well.
    {
        COleDataObject data;
        data.Attach(ForeignData(std::vector<BYTE>(bytes.begin(), bytes.begin() + bytes.size() / 2)), TRUE);
        m_panel->OnDragOver(&data, 0, caption);
        EXPECT_FALSE(m_panel->OnDrop(&data, DROPEFFECT_COPY, caption));
        EXPECT_EQ(m_groups[1]->GetItemCount(), 4);
    }
}

TEST_F(TaskPanelDragTest, HoveringOverACollapsedGroupOpensIt)
{
    m_groups[1]->SetExpanded(FALSE);
    Settle();
    auto* item = new CTKPTaskPanelGroupItem();
    const std::vector<BYTE> bytes = DragBytes(item);
    item->InternalRelease();
    COleDataObject data;
    data.Attach(ForeignData(bytes), TRUE);
    UINT hover = 0;
    ::SystemParametersInfoW(SPI_GETMOUSEHOVERTIME, 0, &hover, 0);
    if (!hover)
        hover = 500;
    m_panel->OnDragOver(&data, 0, CaptionPoint(m_groups[1]));
    EXPECT_EQ(m_panel->GetDropTarget(), m_groups[1]);
    headless::AdvanceClock(hover - 1);
    headless::PumpUntilIdle();
    EXPECT_FALSE(m_groups[1]->IsExpanded());
    headless::AdvanceClock(1);
    headless::PumpUntilIdle();
    EXPECT_TRUE(m_groups[1]->IsExpanded());
    // Leaving clears the target.
    m_panel->OnDragOver(nullptr, 0, CPoint(-1, -1));
    EXPECT_EQ(m_panel->GetDropTarget(), nullptr);
}
