// Tests of the floating mini window: floating panes and containers and docking them back, the
// window's frame and system menu, closing, rolling up and out, and saving and loading floating
// windows in a layout.
#include <gtest/gtest.h>

#include "afx/framework_ids.h"
#include "tests/toolkit/docking/dock_test_frame.h"
#include "toolkit/docking/pane_mini_wnd.h"
#include "toolkit/docking/pane_tabbed_container.h"
#include "win32/registry.h"

using namespace docktest;

namespace {

const char16_t kRoot[] = u"Software\\DovemarkTests\\DockFloating";

class MiniWndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, kRoot);
        m_frame = OpenFrame();
        m_tools = MakePane(Manager(), 21, u"Tools", 200, 160);
        m_output = MakePane(Manager(), 22, u"Output", 200, 160);
        Manager().DockPane(m_tools, dockLeftOf);
        Manager().AttachPane(m_output, m_tools);
        m_frame->RecalcLayout();
        m_docked = m_tools->GetParentContainer();
        m_frame->notifications.clear();
    }
    void TearDown() override
    {
        CloseFrame(m_frame);
        RegDeleteTreeW(HKEY_CURRENT_USER, kRoot);
    }
    TestPaneManager& Manager() { return m_frame->m_paneManager; }
    static CTKPDockingPaneMiniWnd* MiniOf(CTKPPane* pane)
    {
        return dynamic_cast<CTKPDockingPaneMiniWnd*>(pane->GetHostWindow());
    }
    std::vector<int> Actions() const
    {
        std::vector<int> actions;
        for (const Notification& n : m_frame->notifications)
            if (n.code == TKP_DPN_ACTION)
                actions.push_back(n.action);
        return actions;
    }
    CString MenuText(HMENU menu, UINT id)
    {
        WCHAR text[64] = {};
        ::GetMenuStringW(menu, id, text, 63, MF_BYCOMMAND);
        return CString(text);
    }
    BOOL Save(CTKPPaneLayout* layout)
    {
        CTKPPropExchangeRegistry px(FALSE, HKEY_CURRENT_USER, kRoot);
        return layout->DoPropExchange(&px);
    }
    BOOL Load(CTKPPaneLayout* layout)
    {
        CTKPPropExchangeRegistry px(TRUE, HKEY_CURRENT_USER, kRoot);
        return layout->DoPropExchange(&px);
    }
    void SetValue(const CString& section, const char16_t* name, int value)
    {
        HKEY hkey = nullptr;
        const CString path = CString(kRoot) + u"\\" + section;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.GetString(), 0, nullptr, 0, KEY_WRITE, nullptr, &hkey, nullptr),
                  ERROR_SUCCESS);
        DWORD word = DWORD(value);
        RegSetValueExW(hkey, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&word), 4);
        RegCloseKey(hkey);
    }
    // The save index of the first pane of a type in the last saved layout.
    int IndexOf(int type) const
    {
        for (CTKPPaneBase* pane : m_frame->m_paneManager.GetLayout()->GetPaneList())
            if (pane->GetType() == type)
                return pane->m_nSaveIndex;
        return 0;
    }

    DockFrame* m_frame = nullptr;
    CTKPPane* m_tools = nullptr;
    CTKPPane* m_output = nullptr;
    CTKPPaneBase* m_docked = nullptr;
};

TEST_F(MiniWndTest, FloatedPaneGetsAFrameOfItsOwnAndDocksBackIntoItsContainer)
{
    RECT before;
    m_tools->GetWindowRect(&before);
    EXPECT_TRUE(Manager().ToggleDocking(m_tools, nullptr));
    // The frame's next layout notes where each pane lives.
    m_frame->RecalcLayout();
    CTKPDockingPaneMiniWnd* mini = MiniOf(m_tools);
    ASSERT_NE(mini, nullptr);
    EXPECT_EQ(Actions(), (std::vector<int>{paneActionFloating, paneActionFloated}));
    EXPECT_TRUE(::IsWindowVisible(mini->m_hWnd));
    EXPECT_EQ(::GetWindow(mini->m_hWnd, GW_OWNER), m_frame->m_hWnd);
    const DWORD style = DWORD(::GetWindowLongW(mini->m_hWnd, GWL_STYLE));
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_EQ(style & WS_CAPTION, DWORD(WS_CAPTION));
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_TRUE(mini->m_bSyncActive);
    EXPECT_TRUE(mini->m_bBlockSysMenu);
    EXPECT_EQ(headless::Text(mini->m_hWnd), u"Tools");
    RECT window;
    ::GetWindowRect(mini->m_hWnd, &window);
    EXPECT_EQ(window.left, before.left);
    EXPECT_EQ(window.top, before.top);

    // The system menu keeps moving, sizing and a close entry that hides.
    HMENU menu = ::GetSystemMenu(mini->m_hWnd, FALSE);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(::GetMenuState(menu, SC_MINIMIZE, MF_BYCOMMAND), UINT(-1));
    EXPECT_EQ(::GetMenuState(menu, SC_MAXIMIZE, MF_BYCOMMAND), UINT(-1));
    EXPECT_EQ(::GetMenuState(menu, SC_RESTORE, MF_BYCOMMAND), UINT(-1));
    CString hide;
    ASSERT_TRUE(hide.LoadString(AFX_IDS_HIDE));
    EXPECT_EQ(MenuText(menu, SC_CLOSE), hide);

    // The pane sits in a tabbed container of its own inside the window's splitter.
    CTKPPaneBase* floating = m_tools->GetParentContainer();
    ASSERT_EQ(floating->GetType(), paneTypeTabbedContainer);
    EXPECT_EQ(floating->GetParentContainer(), mini->GetTopContainer());
    EXPECT_EQ(mini->GetTopContainer()->GetParentContainer(), static_cast<CTKPPaneBase*>(mini));
    EXPECT_EQ(::GetParent(static_cast<CWnd*>(static_cast<CTKPDockingPaneTabbedContainer*>(floating))->m_hWnd),
              mini->m_hWnd);
    EXPECT_EQ(::GetAncestor(m_tools->GetChild(), GA_ROOT), mini->m_hWnd);
    EXPECT_TRUE(::IsWindowVisible(m_tools->GetChild()));
    // One container inside: the window's caption stands for its caption.
    EXPECT_FALSE(static_cast<CTKPDockingPaneTabbedContainer*>(floating)->IsCaptionVisible());
    EXPECT_EQ(Manager().GetHolder(m_tools, TRUE), floating);
    EXPECT_EQ(Manager().GetHolder(m_tools, FALSE), m_docked);

    // Toggled again, the pane goes back where it was docked and the empty window hides.
    m_frame->notifications.clear();
    EXPECT_TRUE(Manager().ToggleDocking(m_tools, Manager().GetHolder(m_tools, FALSE)));
    EXPECT_EQ(Actions(), (std::vector<int>{paneActionDocking, paneActionDocked}));
    EXPECT_EQ(m_tools->GetParentContainer(), m_docked);
    EXPECT_EQ(MiniOf(m_tools), nullptr);
    EXPECT_FALSE(::IsWindowVisible(mini->m_hWnd));
    EXPECT_EQ(::GetAncestor(m_tools->GetChild(), GA_ROOT), m_frame->m_hWnd);

    // And floats again into the window it floated in before.
    Manager().ToggleDocking(static_cast<CTKPPaneBase*>(m_tools));
    EXPECT_EQ(MiniOf(m_tools), mini);
    EXPECT_TRUE(::IsWindowVisible(mini->m_hWnd));
}

TEST_F(MiniWndTest, FloatedContainerKeepsItsPanesTogetherAndACaptionDoubleClickDocksThem)
{
    Manager().ToggleDocking(m_docked);
    CTKPDockingPaneMiniWnd* mini = MiniOf(m_tools);
    ASSERT_NE(mini, nullptr);
    EXPECT_EQ(MiniOf(m_output), mini);
    EXPECT_EQ(m_tools->GetParentContainer(), m_output->GetParentContainer());
    EXPECT_EQ(mini->GetTabbedContainers().size(), 1u);
    EXPECT_TRUE(m_docked->IsHidden());

    // A second container floats in the same window: each shows its caption, the window the
    // manager's title for several.
    CTKPPane* extra = MakePane(Manager(), 23, u"Extra");
    Manager().m_strFloatingFrameCaption = u"Floating";
    Manager().DockPane(extra, dockBottomOf, m_tools);
    mini->RecalcLayout();
    ASSERT_EQ(mini->GetTabbedContainers().size(), 2u);
    EXPECT_EQ(extra->GetHostWindow(), static_cast<CWnd*>(mini));
    EXPECT_EQ(headless::Text(mini->m_hWnd), u"Floating");
    for (CTKPPaneBase* container : mini->GetTabbedContainers())
        EXPECT_TRUE(static_cast<CTKPDockingPaneTabbedContainer*>(container)->IsCaptionVisible());

    RECT rc;
    ::GetWindowRect(mini->m_hWnd, &rc);
    const int x = (rc.left + rc.right) / 2, y = rc.top + 4;
    ::SendMessageW(mini->m_hWnd, WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(x, y));
    EXPECT_EQ(m_tools->GetParentContainer(), m_docked);
    EXPECT_EQ(m_output->GetParentContainer(), m_docked);
    EXPECT_FALSE(Manager().IsPaneClosed(extra));
    EXPECT_EQ(MiniOf(extra), nullptr);
}

TEST_F(MiniWndTest, WindowWhollyOffTheWorkAreaIsMovedJustInside)
{
    RECT work;
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const struct {
        RECT rect;
        RECT expected;
    } cases[] = {
        {{work.right + 50, 100, work.right + 250, 300}, {work.right - 200, 100, work.right, 300}},
        {{-400, -300, -100, -100}, {work.left, work.top, work.left + 300, work.top + 200}},
        {{100, 100, 300, 300}, {100, 100, 300, 300}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rect.left);
        CTKPPane* pane = MakePane(Manager(), 30 + int(&c - cases), u"Off");
        Manager().DockPane(pane, dockRightOf);
        Manager().FloatPane(pane, c.rect);
        CTKPDockingPaneMiniWnd* mini = MiniOf(pane);
        ASSERT_NE(mini, nullptr);
        RECT rc;
        ::GetWindowRect(mini->m_hWnd, &rc);
        EXPECT_TRUE(EqualRect(&rc, &c.expected))
            << rc.left << "," << rc.top << "," << rc.right << "," << rc.bottom;
    }
}

TEST_F(MiniWndTest, ClosingTheWindowClosesItsPanesThatMayCloseAndGreysCloseWhenNoneMay)
{
    Manager().ToggleDocking(m_docked);
    CTKPDockingPaneMiniWnd* mini = MiniOf(m_tools);
    ASSERT_NE(mini, nullptr);
    m_output->m_dwOptions = paneNoCloseable;
    m_frame->notifications.clear();
    ::SendMessageW(mini->m_hWnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(mini->m_hWnd));
    EXPECT_TRUE(m_tools->IsClosed());
    EXPECT_FALSE(m_output->IsClosed());
    EXPECT_EQ(Actions(), (std::vector<int>{paneActionClosing, paneActionClosed}));

    mini->RecalcLayout();
    EXPECT_FALSE(mini->IsCloseEnabled());
    HMENU menu = ::GetSystemMenu(mini->m_hWnd, FALSE);
    EXPECT_TRUE(::GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED);
    // The caption's close no longer closes anything.
    ::SendMessageW(mini->m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(m_output->IsClosed());
    EXPECT_FALSE(mini->FindCaptionButton(TKP_IDS_PANE_CLOSE)->IsVisible());
}

class RollUpTest : public MiniWndTest {
protected:
    void SetUp() override
    {
        MiniWndTest::SetUp();
        headless::UseVirtualClock();
        Manager().m_bThemedFloatingFrames = TRUE;
        Manager().SetDockingTheme(1);
        Manager().FloatPane(m_tools, RECT{300, 200, 520, 500});
        m_mini = MiniOf(m_tools);
        ASSERT_NE(m_mini, nullptr);
        // The floated pane took the focus; the frame has it back.
        ::SetFocus(m_frame->m_hWnd);
        headless::MouseMoveScreen(POINT{900, 900});
        headless::PumpUntilIdle();
    }
    int Height() const
    {
        RECT rc;
        ::GetWindowRect(m_mini->m_hWnd, &rc);
        return rc.bottom - rc.top;
    }
    void Wait(int ms)
    {
        for (int t = 0; t < ms; t += 4) {
            headless::AdvanceClock(4);
            headless::PumpUntilIdle();
        }
    }

    CTKPDockingPaneMiniWnd* m_mini = nullptr;
};

TEST_F(RollUpTest, ThemedWindowDrawsItsOwnCaptionAndRollsUpToItOnlyWhileTheMouseIsAway)
{
    EXPECT_EQ(::GetWindowLongW(m_mini->m_hWnd, GWL_STYLE) & WS_CAPTION, 0);
    RECT window, client;
    ::GetWindowRect(m_mini->m_hWnd, &window);
    ::GetClientRect(m_mini->m_hWnd, &client);
    POINT origin{0, 0};
    ::ClientToScreen(m_mini->m_hWnd, &origin);
    const int caption = Manager().GetPaintManager()->GetCaptionHeight();
    EXPECT_GE(origin.y - window.top, caption + 3);
    EXPECT_EQ(::SendMessageW(m_mini->m_hWnd, WM_NCHITTEST, 0, MAKELPARAM(window.left + 40, window.top + 5)),
              LRESULT(HTCAPTION));
    EXPECT_TRUE(m_mini->FindCaptionButton(TKP_IDS_PANE_AUTOHIDE)->IsVisible());

    const int full = Height();
    m_mini->OnCaptionButtonClick(TKP_IDS_PANE_AUTOHIDE);
    ASSERT_TRUE(m_mini->IsCollapsed());
    // While the mouse is over it the window stays.
    headless::MouseMoveScreen(POINT{window.left + 50, window.top + 50});
    Wait(1500);
    EXPECT_EQ(Height(), full);
    // Away from it: six ticks of the leave check, then eight steps down to the caption.
    headless::MouseMoveScreen(POINT{900, 900});
    Wait(400);
    EXPECT_EQ(Height(), full);
    Wait(400);
    EXPECT_EQ(Height(), m_mini->GetCollapsedHeight());
    EXPECT_EQ(m_mini->GetCollapsedHeight(), caption + 8);
    Wait(500);
    EXPECT_EQ(Height(), caption + 8);

    // The mouse over the frame rolls it out at once.
    ::SendMessageW(m_mini->m_hWnd, WM_NCMOUSEMOVE, HTCAPTION, MAKELPARAM(window.left + 40, window.top + 5));
    EXPECT_EQ(Height(), full);
    // Rolling up switched off restores the full height.
    m_mini->ToggleCollapse();
    EXPECT_FALSE(m_mini->IsCollapsed());
    EXPECT_EQ(Height(), full);
}

TEST_F(RollUpTest, FocusInsideKeepsTheWindowOutAndAnUnthemedFrameCannotStayRolledUp)
{
    const int full = Height();
    m_mini->ToggleCollapse();
    ::SetFocus(m_tools->GetChild());
    Wait(1500);
    EXPECT_EQ(Height(), full);
    ::SetFocus(m_frame->m_hWnd);
    Wait(1500);
    EXPECT_LT(Height(), full);

    Manager().m_bThemedFloatingFrames = FALSE;
    Manager().RedrawPanes();
    EXPECT_FALSE(m_mini->IsCollapsed());
    EXPECT_EQ(Height(), full);
    EXPECT_EQ(::GetWindowLongW(m_mini->m_hWnd, GWL_STYLE) & WS_CAPTION, WS_CAPTION);
}

TEST_F(MiniWndTest, FloatingWindowsRoundTripThroughASavedLayout)
{
    Manager().FloatPane(m_docked, RECT{320, 240, 620, 540});
    CTKPDockingPaneMiniWnd* mini = MiniOf(m_tools);
    ASSERT_NE(mini, nullptr);
    mini->RecalcLayout();
    RECT saved;
    ::GetWindowRect(mini->m_hWnd, &saved);
    ASSERT_TRUE(Save(Manager().GetLayout()));

    CTKPPaneLayout* layout = Manager().GetLayout();
    ASSERT_TRUE(Load(layout));
    CTKPPane* tools = Manager().FindPane(21);
    CTKPPane* output = Manager().FindPane(22);
    ASSERT_NE(tools, nullptr);
    ASSERT_NE(output, nullptr);
    CTKPDockingPaneMiniWnd* loaded = MiniOf(tools);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(MiniOf(output), loaded);
    EXPECT_EQ(tools->GetParentContainer(), output->GetParentContainer());
    EXPECT_TRUE(::IsWindowVisible(loaded->m_hWnd));
    RECT rc;
    ::GetWindowRect(loaded->m_hWnd, &rc);
    EXPECT_TRUE(EqualRect(&rc, &saved));
    // The docked holder came back too: toggling docks the panes there.
    Manager().ToggleDocking(loaded->GetTopContainer());
    EXPECT_EQ(MiniOf(tools), nullptr);
    EXPECT_FALSE(tools->IsClosed());
    EXPECT_EQ(tools->GetParentContainer(), output->GetParentContainer());
}

TEST_F(MiniWndTest, LoadedRolledUpWindowRollsOutToItsSavedHeight)
{
    Manager().m_bThemedFloatingFrames = TRUE;
    Manager().FloatPane(m_tools, RECT{300, 200, 520, 560});
    CTKPDockingPaneMiniWnd* mini = MiniOf(m_tools);
    ASSERT_NE(mini, nullptr);
    mini->ToggleCollapse();
    ASSERT_TRUE(Save(Manager().GetLayout()));
    ASSERT_TRUE(Load(Manager().GetLayout()));
    CTKPDockingPaneMiniWnd* loaded = MiniOf(Manager().FindPane(21));
    ASSERT_NE(loaded, nullptr);
    ASSERT_TRUE(loaded->IsCollapsed());
    RECT rc;
    ::GetWindowRect(loaded->m_hWnd, &rc);
    EXPECT_EQ(rc.bottom - rc.top, loaded->GetCollapsedHeight());
    ::SendMessageW(loaded->m_hWnd, WM_NCMOUSEMOVE, HTCAPTION, MAKELPARAM(rc.left + 30, rc.top + 4));
    ::GetWindowRect(loaded->m_hWnd, &rc);
    EXPECT_EQ(rc.bottom - rc.top, 360);
}

TEST_F(MiniWndTest, CraftedFloatingWindowsAreRefusedAndTheOldLayoutStays)
{
    Manager().FloatPane(m_tools, RECT{300, 200, 520, 500});
    CTKPDockingPaneMiniWnd* mini = MiniOf(m_tools);
    ASSERT_NE(mini, nullptr);
    ASSERT_TRUE(Save(Manager().GetLayout()));
    const int miniIndex = IndexOf(paneTypeMiniWnd);
    const int paneIndex = m_tools->m_nSaveIndex;
    const int topIndex = Manager().GetTopContainer()->m_nSaveIndex;
    const int tabIndex = m_docked->m_nSaveIndex;
    CString section;
    section.Format(u"Pane-%d", miniIndex);
    const int cases[] = {0, 999, paneIndex, tabIndex, topIndex, miniIndex};
    for (int index : cases) {
        SCOPED_TRACE(index);
        SetValue(section, u"TopContaner", index);
        EXPECT_FALSE(Load(Manager().GetLayout()));
        EXPECT_EQ(MiniOf(m_tools), mini);
        EXPECT_TRUE(::IsWindowVisible(mini->m_hWnd));
        EXPECT_EQ(Manager().FindPane(21), m_tools);
    }
}

} // namespace
