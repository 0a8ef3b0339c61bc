// Tests of the tabbed container: panes sharing one place with a tab strip, selection and closing,
// the caption buttons, dragging tabs, dragged data over the tabs, cloning and hit tests.
#include <gtest/gtest.h>

#include "afx/data_object.h"
#include "tests/toolkit/docking/dock_test_frame.h"
#include "toolkit/docking/pane_tabbed_container.h"
#include "toolkit/docking/tab_painter.h"

#include <set>

using namespace docktest;

namespace {

class TabbedContainerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_frame = OpenFrame();
        m_first = MakePane(Manager(), 11, u"First pane\nFirst", 220, 160);
        m_second = MakePane(Manager(), 12, u"Second pane\nSecond", 220, 160);
        m_third = MakePane(Manager(), 13, u"Third", 220, 160);
        Manager().DockPane(m_first, dockLeftOf);
        Manager().AttachPane(m_second, m_first);
        Manager().AttachPane(m_third, m_first);
        m_frame->RecalcLayout();
        m_container = static_cast<CTKPDockingPaneTabbedContainer*>(m_first->GetParentContainer());
        ASSERT_NE(m_container, nullptr);
        ASSERT_EQ(m_container->GetType(), paneTypeTabbedContainer);
        m_frame->notifications.clear();
    }
    void TearDown() override { CloseFrame(m_frame); }
    TestPaneManager& Manager() { return m_frame->m_paneManager; }
    HWND Window() const { return m_container->m_hWnd; }
    // The centre of a tab, in the container's client coordinates.
    POINT TabCentre(int index) const
    {
        const CRect& rc = m_container->GetItem(index)->GetRect();
        return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    }
    std::vector<int> Ids() const
    {
        std::vector<int> ids;
        for (CTKPPane* pane : m_container->GetPanes())
            ids.push_back(pane->m_nID);
        return ids;
    }
    int Count(int code, int action = -1) const
    {
        return int(std::count_if(m_frame->notifications.begin(), m_frame->notifications.end(),
                                 [&](const Notification& n) { return n.code == code && n.action == action; }));
    }

    DockFrame* m_frame = nullptr;
    CTKPPane* m_first = nullptr;
    CTKPPane* m_second = nullptr;
    CTKPPane* m_third = nullptr;
    CTKPDockingPaneTabbedContainer* m_container = nullptr;
};

TEST_F(TabbedContainerTest, PanesShareOnePlaceWithTabsAlongTheBottomAndOnlyTheSelectedShows)
{
    EXPECT_EQ(Ids(), (std::vector<int>{11, 12, 13}));
    EXPECT_EQ(m_container->GetSelected(), m_third);
    ASSERT_TRUE(m_container->IsTabsVisible());
    ASSERT_EQ(m_container->GetItemCount(), 3);
    EXPECT_EQ(m_container->GetItem(0)->GetCaption(), CString(u"First"));
    EXPECT_EQ(m_container->GetItem(0)->m_strToolTip, CString(u"First pane"));
    EXPECT_EQ(m_container->GetSelectedItem(), m_container->GetItem(2));

    RECT client;
    ::GetClientRect(Window(), &client);
    const CRect& tab = m_container->GetItem(0)->GetRect();
    EXPECT_GT(tab.top, client.bottom / 2) << "tabs run along the bottom";
    EXPECT_LE(tab.bottom, client.bottom);

    EXPECT_TRUE(::IsWindowVisible(m_third->GetChild()));
    EXPECT_FALSE(::IsWindowVisible(m_first->GetChild()));
    EXPECT_FALSE(::IsWindowVisible(m_second->GetChild()));
    // The selected pane's window fills the room between caption and tabs.
    RECT child;
    ::GetWindowRect(m_third->GetChild(), &child);
    ::MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&child), 2);
    const int caption = Manager().GetPaintManager()->GetCaptionHeight();
    EXPECT_GE(child.top, caption);
    EXPECT_LE(child.bottom, tab.top + 1);
    EXPECT_GT(child.bottom - child.top, 100);

    // A click on a tab selects its pane.
    headless::Click(Window(), TabCentre(0));
    headless::PumpUntilIdle();
    m_frame->RecalcLayout();
    EXPECT_EQ(m_container->GetSelected(), m_first);
    EXPECT_TRUE(::IsWindowVisible(m_first->GetChild()));
    EXPECT_FALSE(::IsWindowVisible(m_third->GetChild()));
}

TEST_F(TabbedContainerTest, OnePaneShowsNoTabsUnlessTheThemeAlwaysShowsThem)
{
    Manager().ClosePane(m_second);
    Manager().ClosePane(m_third);
    EXPECT_FALSE(m_container->IsTabsVisible());
    Manager().GetPaintManager()->m_bAlwaysShowTabs = TRUE;
    EXPECT_TRUE(m_container->IsTabsVisible());
}

TEST_F(TabbedContainerTest, ClosingTheSelectedSelectsTheFirstAndClosingTheLastHidesTheContainer)
{
    m_container->OnCaptionButtonClick(TKP_IDS_PANE_CLOSE);
    EXPECT_EQ(Ids(), (std::vector<int>{11, 12}));
    EXPECT_EQ(m_container->GetSelected(), m_first);
    EXPECT_TRUE(m_third->IsClosed());
    EXPECT_EQ(Count(TKP_DPN_ACTION, paneActionClosing), 1);
    EXPECT_EQ(Count(TKP_DPN_ACTION, paneActionClosed), 1);

    // The site may refuse.
    m_frame->refuseAction = paneActionClosing;
    m_container->OnCaptionButtonClick(TKP_IDS_PANE_CLOSE);
    EXPECT_EQ(Ids(), (std::vector<int>{11, 12}));
    m_frame->refuseAction = -1;

    m_container->OnCaptionButtonClick(TKP_IDS_PANE_CLOSE);
    m_container->OnCaptionButtonClick(TKP_IDS_PANE_CLOSE);
    EXPECT_TRUE(m_container->GetPanes().empty());
    EXPECT_EQ(m_container->GetSelected(), nullptr);
    EXPECT_TRUE(m_container->IsHidden());
    EXPECT_FALSE(::IsWindowVisible(Window()));
    // The panes' windows went back to the manager, hidden.
    EXPECT_EQ(::GetParent(m_first->GetChild()), Manager().m_hWnd);
    EXPECT_FALSE(::IsWindowVisible(m_first->GetChild()));

    // Shown again, a pane returns to the container that held it.
    Manager().ShowPane(m_second);
    EXPECT_EQ(m_second->GetParentContainer(), m_container);
}

TEST_F(TabbedContainerTest, PaneThatMayNotCloseHidesTheCloseButtonAndSurvivesAGroupClose)
{
    CTKPPaneCaptionButton* close = m_container->FindCaptionButton(TKP_IDS_PANE_CLOSE);
    ASSERT_NE(close, nullptr);
    EXPECT_TRUE(close->IsVisible());
    m_second->m_dwOptions = paneNoCloseable;
    Manager().ShowPane(m_second);
    EXPECT_FALSE(close->IsVisible());

    Manager().m_bCloseGroupOnButtonClick = TRUE;
    m_container->OnCaptionButtonClick(TKP_IDS_PANE_CLOSE);
    EXPECT_EQ(Ids(), (std::vector<int>{12}));
    EXPECT_EQ(Count(TKP_DPN_ACTION, paneActionClosed), 2);
}

TEST_F(TabbedContainerTest, CaptionButtonsFollowTheSelectedPanesOptions)
{
    struct Case {
        DWORD options;
        bool close, pin, menu;
    };
    const Case cases[] = {
        {0, true, true, false},
        {paneNoCloseable, false, true, false},
        {paneNoHideable, true, false, false},
        {paneHasMenuButton, true, true, true},
        {paneNoCaption, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        m_third->m_dwOptions = c.options;
        EXPECT_EQ(bool(m_container->FindCaptionButton(TKP_IDS_PANE_CLOSE)->IsVisible()), c.close);
        EXPECT_EQ(bool(m_container->FindCaptionButton(TKP_IDS_PANE_AUTOHIDE)->IsVisible()), c.pin);
        EXPECT_EQ(bool(m_container->FindCaptionButton(TKP_IDS_PANE_MENU)->IsVisible()), c.menu);
        EXPECT_EQ(bool(m_container->IsCaptionVisible()), c.options != paneNoCaption);
    }
    // Maximise and restore: only with the manager's flag and a tabbed sibling.
    m_third->m_dwOptions = 0;
    CTKPPaneCaptionButton* maximize = m_container->FindCaptionButton(TKP_IDS_PANE_MAXIMIZE);
    EXPECT_FALSE(maximize->IsVisible());
    CTKPPane* other = MakePane(Manager(), 14, u"Other");
    Manager().DockPane(other, dockBottomOf, m_first);
    Manager().m_bShowMaximizeButton = TRUE;
    EXPECT_TRUE(maximize->IsVisible());
    m_container->OnCaptionButtonClick(TKP_IDS_PANE_MAXIMIZE);
    EXPECT_TRUE(m_container->m_bMaximized);
    EXPECT_FALSE(maximize->IsVisible());
    EXPECT_TRUE(m_container->FindCaptionButton(TKP_IDS_PANE_RESTORE)->IsVisible());
    m_container->OnCaptionButtonClick(TKP_IDS_PANE_RESTORE);
    EXPECT_FALSE(m_container->m_bMaximized);
}

TEST_F(TabbedContainerTest, MenuButtonAndRightClickTellTheSite)
{
    m_third->m_dwOptions = paneHasMenuButton;
    m_container->OnCaptionButtonClick(TKP_IDS_PANE_MENU);
    EXPECT_EQ(Count(TKP_DPN_CONTEXTMENU), 1);
    headless::ButtonDown(Window(), TabCentre(1), VK_RBUTTON);
    headless::ButtonUp(Window(), TabCentre(1), VK_RBUTTON);
    headless::PumpUntilIdle();
    EXPECT_EQ(m_container->GetSelected(), m_second);
    ASSERT_EQ(Count(TKP_DPN_RCLICK), 1);
    const auto rclick = std::find_if(m_frame->notifications.begin(), m_frame->notifications.end(),
                                     [](const Notification& n) { return n.code == TKP_DPN_RCLICK; });
    EXPECT_EQ(rclick->pane, static_cast<CTKPPaneBase*>(m_container));
    // Help on a tab names its pane.
    const LRESULT help =
        ::SendMessageW(Window(), WM_HELPHITTEST, 0, MAKELPARAM(TabCentre(0).x, TabCentre(0).y));
    EXPECT_EQ(help, 11 + 0x20000);
}

TEST_F(TabbedContainerTest, DraggingATabOverItsNeighbourSwapsThemAndOutOfTheStripAsksTheSite)
{
    const POINT second = TabCentre(1);
    const POINT first = TabCentre(0);
    headless::ButtonDown(Window(), second);
    headless::PumpUntilIdle();
    EXPECT_EQ(m_container->GetDraggedPane(), m_second);
    EXPECT_EQ(m_container->GetSelected(), m_second);
    headless::MouseMove(Window(), first);
    headless::PumpUntilIdle();
    EXPECT_EQ(Ids(), (std::vector<int>{12, 11, 13}));
    EXPECT_EQ(m_second->GetParentContainer(), m_container);

    // Out of the strip: the site is asked; a refusal keeps the drag going.
    m_frame->refuseAction = paneActionDetaching;
    headless::MouseMove(Window(), POINT{first.x, 10});
    headless::PumpUntilIdle();
    EXPECT_EQ(Count(TKP_DPN_ACTION, paneActionDetaching), 1);
    EXPECT_EQ(m_container->GetDraggedPane(), m_second);
    EXPECT_EQ(::GetCapture(), Window());
    // Allowed, the pane goes to the drag context, whose loop runs until the button is released;
    // released where it started, nothing moves.
    m_frame->refuseAction = -1;
    headless::MouseMove(Window(), POINT{first.x, 12});
    headless::ButtonUp(Window(), POINT{first.x, 12});
    headless::PumpUntilIdle();
    EXPECT_EQ(Count(TKP_DPN_ACTION, paneActionDetaching), 2);
    EXPECT_EQ(m_container->GetDraggedPane(), nullptr);
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_EQ(Ids(), (std::vector<int>{12, 11, 13}));
}

TEST_F(TabbedContainerTest, DataDraggedOverATabSelectsItsPaneButIsNeverTaken)
{
    COleDropTarget* target = COleDropTarget::FromWindow(Window());
    ASSERT_NE(target, nullptr);
    COleDataObject data;
    EXPECT_EQ(target->OnDragEnter(m_container, &data, 0, CPoint(TabCentre(0))), DROPEFFECT(DROPEFFECT_NONE));
    EXPECT_EQ(m_container->GetSelected(), m_first);
    EXPECT_EQ(target->OnDragOver(m_container, &data, 0, CPoint(TabCentre(1))), DROPEFFECT(DROPEFFECT_NONE));
    EXPECT_EQ(m_container->GetSelected(), m_second);
    // Switched off in the tab painter, the tabs stay as they are.
    m_container->GetPaintManager()->m_bSelectOnDragOver = FALSE;
    target->OnDragOver(m_container, &data, 0, CPoint(TabCentre(2)));
    EXPECT_EQ(m_container->GetSelected(), m_second);
    EXPECT_EQ(Count(TKP_DPN_ACTION, paneActionActivated), 0);
}

TEST_F(TabbedContainerTest, CloningWithoutAMapMovesEveryPaneButThoseWhoseOptionsShareTheFlags)
{
    m_second->m_dwOptions = paneNoHideable;
    CTKPPaneBase* clone = m_container->Clone(Manager().GetLayout(), nullptr, paneNoHideable);
    ASSERT_NE(clone, nullptr);
    auto* moved = static_cast<CTKPDockingPaneTabbedContainer*>(clone);
    std::vector<int> ids;
    for (CTKPPane* pane : moved->GetPanes())
        ids.push_back(pane->m_nID);
    EXPECT_EQ(ids, (std::vector<int>{11, 13}));
    EXPECT_EQ(Ids(), (std::vector<int>{12}));
    EXPECT_EQ(moved->GetSelected(), m_third);
    EXPECT_EQ(m_third->GetParentContainer(), clone);

    // With a map the panes are copied and the old ones stay.
    CTKPPaneMap map;
    CTKPPaneBase* copy = m_container->Clone(Manager().GetLayout(), &map, 0);
    EXPECT_EQ(map[m_container], copy);
    ASSERT_EQ(map.count(m_second), 1u);
    EXPECT_NE(map[m_second], m_second);
    EXPECT_EQ(static_cast<CTKPPane*>(map[m_second])->m_nID, 12);
    EXPECT_EQ(Ids(), (std::vector<int>{12}));
}

TEST_F(TabbedContainerTest, AttachHitTestTakesTheCaptionAndTheTabRow)
{
    RECT rc;
    m_container->GetWindowRect(&rc);
    const int caption = Manager().GetPaintManager()->GetCaptionHeight() + 3;
    const int row = Manager().GetPaintManager()->GetTabRowHeight();
    const struct {
        int dy;  // from the top (positive) or the bottom (negative)
        bool hit;
    } cases[] = {{2, true}, {caption - 1, true}, {caption + 20, false}, {-row - 5, false}, {-2, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dy);
        RECT test = rc;
        const int y = c.dy >= 0 ? rc.top + c.dy : rc.bottom + c.dy;
        EXPECT_EQ(bool(m_container->HitTestAttach(test, rc.left + 30, y)), c.hit);
        EXPECT_EQ(test.top, rc.top + caption);
    }
    // With a single pane there is no tab row.
    Manager().ClosePane(m_second);
    Manager().ClosePane(m_third);
    RECT test = rc;
    EXPECT_FALSE(m_container->HitTestAttach(test, rc.left + 30, rc.bottom - 2));
}

TEST_F(TabbedContainerTest, ThemeChangesRedrawTheTabsWithTheNewPainter)
{
    for (int theme : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}) {
        SCOPED_TRACE(theme);
        Manager().SetDockingTheme(theme);
        m_frame->RecalcLayout();
        EXPECT_EQ(m_container->GetPaintManager(), Manager().GetPaintManager()->GetPaneTabPainter());
        EXPECT_EQ(m_container->m_pListedIn, m_container->GetPaintManager());
        const CRect tab = m_container->GetItem(0)->GetRect();
        ASSERT_FALSE(tab.IsRectEmpty());
        // The tab is drawn: its caption and edges leave more than one colour in it.
        RECT client;
        ::GetClientRect(Window(), &client);
        HDC screen = ::GetDC(nullptr);
        HDC mem = ::CreateCompatibleDC(screen);
        HBITMAP bitmap = ::CreateCompatibleBitmap(screen, client.right, client.bottom);
        HGDIOBJ old = ::SelectObject(mem, bitmap);
        ::SendMessageW(Window(), WM_PRINTCLIENT, WPARAM(mem), PRF_CLIENT);
        std::set<COLORREF> colours;
        for (int y = tab.top; y < tab.bottom; ++y)
            for (int x = tab.left; x < tab.right; ++x)
                colours.insert(::GetPixel(mem, x, y));
        EXPECT_GT(colours.size(), 1u);
        ::SelectObject(mem, old);
        ::DeleteObject(bitmap);
        ::DeleteDC(mem);
        ::ReleaseDC(nullptr, screen);
    }
}

} // namespace
