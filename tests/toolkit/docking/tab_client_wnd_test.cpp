// The MDI tab client on a sample MDI frame whose client window is the test double: tabs of the
// children, activation, the tab-group commands, splitters, closing and detaching.
#include <gtest/gtest.h>

#include "../mdi_client_double.h"
#include "afx/mdi_frame.h"
#include "backend/headless/driver.h"
#include "controls/paint_probe.h"
#include "toolkit/docking/tab_client_wnd.h"
#include "toolkit/docking/tab_painter.h"

#include <vector>

namespace {

// Records what an update asks for.
class UpdateProbe : public CCmdUI {
public:
    void Enable(BOOL on) override { enabled = on; }
    BOOL enabled = -1;
};

class TabClientTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tktest::RegisterMdiClientClass();
        tktest::MdiActiveChild() = nullptr;
        frame = new CMDIFrameWnd;
        ASSERT_TRUE(frame->Create(nullptr, u"mdi"));
        frame->MoveWindow(0, 0, 500, 400);
        frame->ShowWindow(SW_SHOW);
        headless::PumpUntilIdle();
        clientWnd = frame->m_hWndMDIClient;
    }
    void TearDown() override
    {
        client.Detach();
        tktest::MdiActiveChild() = nullptr;
        frame->DestroyWindow();
    }
    HWND NewChild(const char16_t* title)
    {
        tktest::MdiCreateRequest cs{};
        cs.szClass = tktest::RegisterPlainWindowClass(u"TabClientChild");
        cs.szTitle = title;
        cs.style = WS_CAPTION | WS_THICKFRAME;
        cs.cx = cs.cy = 100;
        return reinterpret_cast<HWND>(::SendMessageW(clientWnd, WM_MDICREATE, 0, LPARAM(&cs)));
    }
    BOOL Enabled(UINT id)
    {
        UpdateProbe probe;
        probe.m_nID = id;
        EXPECT_TRUE(client.OnCmdMsg(id, int(CN_UPDATE_COMMAND_UI), &probe, nullptr));
        EXPECT_EQ(probe.enabled, client.IsWorkspaceCommandEnabled(id));
        return probe.enabled;
    }
    std::vector<BOOL> Commands()
    {
        return {Enabled(TKP_ID_WORKSPACE_PREVIOUS), Enabled(TKP_ID_WORKSPACE_NEXT),
                Enabled(TKP_ID_WORKSPACE_NEWHORIZONTAL), Enabled(TKP_ID_WORKSPACE_NEWVERTICAL)};
    }
    HWND TabChild(int workspace, int tab) const
    {
        return reinterpret_cast<HWND>(client.GetWorkspace(workspace)->GetItem(tab)->m_dwData);
    }

    CMDIFrameWnd* frame = nullptr;
    HWND clientWnd = nullptr;
    CTKPTabClientWnd client;
};

TEST_F(TabClientTest, ChildrenBecomeTabsOfOneGroupAndLoseTheirFrames) {
    ASSERT_TRUE(client.Attach(frame));
    EXPECT_FALSE(client.Attach(frame));
    EXPECT_EQ(CWnd::FromHandlePermanent(clientWnd), &client);
    const HWND a = NewChild(u"alpha"), b = NewChild(u"beta"), c = NewChild(u"gamma");
    ASSERT_EQ(client.GetWorkspaceCount(), 1);
    CTKPTabClientWnd::CWorkspace* group = client.GetWorkspace(0);
    ASSERT_EQ(group->GetItemCount(), 3);
    EXPECT_EQ(group->GetItem(0)->GetCaption(), CString(u"alpha"));
    EXPECT_EQ(TabChild(0, 2), c);
    EXPECT_EQ(client.FindItem(b), group->GetItem(1));
    EXPECT_EQ(client.FindItem(clientWnd), nullptr);
    // The newest child is active, and its tab selected.
    EXPECT_EQ(group->GetSelectedItem(), client.FindItem(c));
    EXPECT_EQ(::GetWindowLongW(a, GWL_STYLE) & WS_CAPTION, 0);
    // Each child fills the room below the tabs.
    CRect rc;
    ::GetWindowRect(c, &rc);
    ::MapWindowPoints(nullptr, clientWnd, reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(rc, group->m_rcClient);
    EXPECT_GT(rc.top, group->m_rcHeader.top);

    // A retitled child shows its new text after the next refresh; a destroyed one loses its tab.
    ::SetWindowTextW(a, u"renamed");
    ::DestroyWindow(b);
    client.Refresh();
    ASSERT_EQ(group->GetItemCount(), 2);
    EXPECT_EQ(group->GetItem(0)->GetCaption(), CString(u"renamed"));
}

TEST_F(TabClientTest, ClickingATabActivatesItsChild) {
    ASSERT_TRUE(client.Attach(frame));
    const HWND a = NewChild(u"alpha");
    NewChild(u"beta");
    const CPoint tab = client.FindItem(a)->GetRect().CenterPoint();
    headless::Click(clientWnd, tab);
    headless::PumpUntilIdle();
    EXPECT_EQ(tktest::MdiActiveChild(), a);
    EXPECT_EQ(client.GetWorkspace(0)->GetSelectedItem(), client.FindItem(a));
}

TEST_F(TabClientTest, TabGroupCommandsFollowTheActiveChildsGroup) {
    ASSERT_TRUE(client.Attach(frame));
    // Nothing active: none of the four; other commands are not the client's to refuse.
    EXPECT_EQ(Commands(), (std::vector<BOOL>{FALSE, FALSE, FALSE, FALSE}));
    EXPECT_TRUE(client.IsWorkspaceCommandEnabled(57600));

    NewChild(u"alpha");
    EXPECT_EQ(Commands(), (std::vector<BOOL>{FALSE, FALSE, FALSE, FALSE}));
    NewChild(u"beta");
    const HWND c = NewChild(u"gamma");
    EXPECT_EQ(Commands(), (std::vector<BOOL>{FALSE, FALSE, TRUE, TRUE}));

    // A new group beside: the active child moves there, the two groups share the width.
    CRect inside;
    ::GetClientRect(clientWnd, &inside);
    const double before = inside.Width();
    ASSERT_TRUE(client.OnCmdMsg(TKP_ID_WORKSPACE_NEWVERTICAL, CN_COMMAND, nullptr, nullptr));
    ASSERT_EQ(client.GetWorkspaceCount(), 2);
    EXPECT_FALSE(client.m_bHorizSplit);
    EXPECT_EQ(TabChild(1, 0), c);
    EXPECT_EQ(client.GetWorkspace(1)->GetSelectedItem(), client.FindItem(c));
    EXPECT_DOUBLE_EQ(client.GetWorkspace(1)->m_dWeight, (before - 4) * 0.5);
    EXPECT_DOUBLE_EQ(client.GetWorkspace(0)->m_dWeight, before - (before - 4) * 0.5 - 4);
    EXPECT_EQ(client.GetWorkspace(0)->m_rcWorkspace.right + 4, client.GetWorkspace(1)->m_rcWorkspace.left);
    EXPECT_FALSE(client.GetWorkspace(0)->m_rcSplitter.IsRectEmpty());
    EXPECT_TRUE(client.GetWorkspace(1)->m_rcSplitter.IsRectEmpty());
    // In the last group alone: back only; a stacked group would change the direction.
    EXPECT_EQ(Commands(), (std::vector<BOOL>{TRUE, FALSE, FALSE, FALSE}));

    // Back to the first group: the emptied group goes.
    ASSERT_TRUE(client.OnCommand(TKP_ID_WORKSPACE_PREVIOUS));
    ASSERT_EQ(client.GetWorkspaceCount(), 1);
    EXPECT_EQ(client.GetWorkspace(0)->GetItemCount(), 3);
    EXPECT_EQ(client.GetWorkspace(0)->GetSelectedItem(), client.FindItem(c));
    EXPECT_EQ(tktest::MdiActiveChild(), c);
    EXPECT_FALSE(client.OnCommand(TKP_ID_WORKSPACE_PREVIOUS));

    // Stacked groups, then the next group.
    ASSERT_TRUE(client.OnCommand(TKP_ID_WORKSPACE_NEWHORIZONTAL));
    EXPECT_TRUE(client.m_bHorizSplit);
    EXPECT_EQ(client.GetWorkspace(0)->m_rcWorkspace.bottom + 4, client.GetWorkspace(1)->m_rcWorkspace.top);
    ::SendMessageW(clientWnd, WM_MDIACTIVATE, WPARAM(TabChild(0, 0)), 0);
    EXPECT_EQ(Commands(), (std::vector<BOOL>{FALSE, TRUE, TRUE, FALSE}));
    ASSERT_TRUE(client.OnCommand(TKP_ID_WORKSPACE_NEXT));
    EXPECT_EQ(client.GetWorkspace(1)->GetItemCount(), 2);
}

TEST_F(TabClientTest, WithoutGroupingNoSecondGroupIsOffered) {
    ASSERT_TRUE(client.Attach(frame, FALSE));
    NewChild(u"alpha");
    const HWND b = NewChild(u"beta");
    EXPECT_EQ(Commands(), (std::vector<BOOL>{FALSE, FALSE, FALSE, FALSE}));
    EXPECT_NE(::GetWindowLongW(b, GWL_STYLE) & WS_CAPTION, 0);
}

TEST_F(TabClientTest, DraggingASplitterSharesTheRoomAndEscapeKeepsIt) {
    ASSERT_TRUE(client.Attach(frame));
    NewChild(u"alpha");
    NewChild(u"beta");
    ASSERT_TRUE(client.OnCommand(TKP_ID_WORKSPACE_NEWVERTICAL));
    const CRect first = client.GetWorkspace(0)->m_rcWorkspace, second = client.GetWorkspace(1)->m_rcWorkspace;
    const CRect bar = client.GetWorkspace(0)->m_rcSplitter;
    const CPoint grab(bar.left + 1, 100);

    ::PostMessageW(clientWnd, WM_MOUSEMOVE, 0, MAKELPARAM(grab.x - 50, 100));
    ::PostMessageW(clientWnd, WM_KEYDOWN, VK_ESCAPE, 0);
    client.TrackSplitter(0, grab);
    EXPECT_EQ(client.GetWorkspace(0)->m_rcWorkspace, first);
    EXPECT_EQ(client.GetWorkspace(1)->m_rcWorkspace, second);

    ::PostMessageW(clientWnd, WM_MOUSEMOVE, 0, MAKELPARAM(grab.x - 50, 100));
    ::PostMessageW(clientWnd, WM_LBUTTONUP, 0, MAKELPARAM(grab.x - 50, 100));
    client.TrackSplitter(0, grab);
    EXPECT_EQ(client.GetWorkspace(0)->m_rcWorkspace.right, first.right - 50);
    EXPECT_EQ(client.GetWorkspace(1)->m_rcWorkspace.left, second.left - 50);
    EXPECT_EQ(client.GetWorkspace(1)->m_rcWorkspace.right, second.right);
    EXPECT_EQ(::GetCapture(), nullptr);

    // Held beyond the far group, the bar stops at its edge.
    ::PostMessageW(clientWnd, WM_MOUSEMOVE, 0, MAKELPARAM(5000, 100));
    ::PostMessageW(clientWnd, WM_LBUTTONUP, 0, 0);
    client.TrackSplitter(0, CPoint(client.GetWorkspace(0)->m_rcSplitter.left, 100));
    EXPECT_EQ(client.GetWorkspace(1)->m_rcWorkspace.Width(), 0);
}

TEST_F(TabClientTest, ClosingTheActiveChildActivatesItsRightNeighbourElseItsLeft) {
    ASSERT_TRUE(client.Attach(frame));
    const HWND a = NewChild(u"alpha"), b = NewChild(u"beta"), c = NewChild(u"gamma");
    ::SendMessageW(clientWnd, WM_MDIACTIVATE, WPARAM(b), 0);
    ::SendMessageW(clientWnd, WM_MDIDESTROY, WPARAM(b), 0);
    EXPECT_EQ(tktest::MdiActiveChild(), c);
    ::SendMessageW(clientWnd, WM_MDIDESTROY, WPARAM(c), 0);
    EXPECT_EQ(tktest::MdiActiveChild(), a);
    ASSERT_EQ(client.GetWorkspace(0)->GetItemCount(), 1);
    EXPECT_EQ(client.GetWorkspace(0)->GetSelectedItem(), client.FindItem(a));
}

TEST_F(TabClientTest, ThePaintedClientShowsTabsAndSplitter) {
    ASSERT_TRUE(client.Attach(frame));
    NewChild(u"alpha");
    NewChild(u"beta");
    ASSERT_TRUE(client.OnCommand(TKP_ID_WORKSPACE_NEWVERTICAL));
    CRect inside;
    ::GetClientRect(clientWnd, &inside);
    PaintProbe probe(inside.Width(), inside.Height());
    probe.Print(clientWnd);
    const CRect bar = client.GetWorkspace(0)->m_rcSplitter;
    EXPECT_EQ(probe.At(bar.left, bar.top + 50), ::GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(probe.At(bar.left + 1, bar.top + 50), ::GetSysColor(COLOR_BTNFACE));
    // Style 0's light edge of each group's selected tab, grown by two pixels.
    for (int i = 0; i < 2; ++i) {
        const CRect tab = client.GetWorkspace(i)->GetSelectedItem()->GetRect();
        EXPECT_EQ(probe.At(tab.left - 2, tab.CenterPoint().y), ::GetSysColor(COLOR_BTNHIGHLIGHT));
    }
}

TEST_F(TabClientTest, DetachingGivesTheClientBack) {
    ASSERT_TRUE(client.Attach(frame));
    NewChild(u"alpha");
    EXPECT_EQ(::GetWindowLongW(clientWnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
    client.Detach();
    EXPECT_FALSE(client.IsAttached());
    EXPECT_EQ(CWnd::FromHandlePermanent(clientWnd), nullptr);
    EXPECT_NE(::GetWindowLongW(clientWnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
    EXPECT_EQ(client.GetWorkspaceCount(), 0);
    EXPECT_FALSE(client.IsWorkspaceCommandEnabled(TKP_ID_WORKSPACE_NEWVERTICAL));
    // The double still answers on its own.
    EXPECT_NE(::SendMessageW(clientWnd, WM_MDIGETACTIVE, 0, 0), 0);

    // An unattached client refreshes nothing, and a frame without a client cannot be attached.
    client.Refresh(TRUE);
    CMDIFrameWnd bare;
    EXPECT_FALSE(client.Attach(&bare));
}

} // namespace
