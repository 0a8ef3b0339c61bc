// Tests of the menu bar: it takes the frame's menu, the menu key puts it into menu mode, a reset
// brings the menu back, and on an MDI frame (through a stand-in client window) it follows the
// children's menus and shows a maximised child's window buttons.
#include <gtest/gtest.h>

#include "../base/test_windows.h"
#include "afx/mdi_frame.h"
#include "backend/headless/driver.h"
#include "toolkit/base/frame_wnd.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/commandbars/bar_state.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/menu_bar.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/commandbars/prop_exchange.h"

#include <vector>

namespace {

constexpr UINT kFrameMenu = 9212, kContextMenu = 9210;

BOOL CreateBarWindow(CTKPCommandBar* bar, CWnd* parent)
{
    return bar->CreateEx(0, AfxRegisterWndClass(CS_DBLCLKS), u"bar", WS_CHILD | WS_VISIBLE, RECT{0, 0, 600, 24},
                         parent, 0xE900);
}

HMENU LoadOwnMenu(UINT id)
{
    CMenu menu;
    return menu.LoadMenu(id) ? menu.Detach() : nullptr;
}

class MenuBarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        headless::UseVirtualClock();
        SetGlobalTheme(0);
        frame = new CTKPFrameWnd;
        ASSERT_TRUE(frame->Create(nullptr, u"Site", WS_OVERLAPPEDWINDOW, CRect(0, 0, 640, 480)));
        bars = new CTKPCommandBars;
        frame->m_pCommandBars = bars;
        bars->SetSite(frame);
        frameMenu = LoadOwnMenu(kFrameMenu);
        ::SetMenu(frame->m_hWnd, frameMenu);
        frame->ShowWindow(SW_SHOW);
        ::SetActiveWindow(frame->m_hWnd);
        headless::PumpUntilIdle();
    }
    void TearDown() override
    {
        CTKPMouseTracker::GetThreadTracker()->CloseAll();
        frame->DestroyWindow();
        headless::PumpUntilIdle();
        headless::ClearModalAnswers();
    }
    CTKPMenuBar* MenuBar()
    {
        auto* menu = static_cast<CTKPMenuBar*>(bars->SetMenuBar(u"Menu", kFrameMenu));
        EXPECT_NE(menu, nullptr);
        if (menu) {
            EXPECT_TRUE(CreateBarWindow(menu, frame));
        }
        return menu;
    }
    CTKPFrameWnd* frame = nullptr;
    CTKPCommandBars* bars = nullptr;
    HMENU frameMenu = nullptr;
};

} // namespace

TEST_F(MenuBarTest, TakesTheFrameMenuAndTheMenuKeyEntersMenuMode) {
    CTKPMenuBar* menu = MenuBar();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(::GetMenu(frame->m_hWnd), nullptr);
    EXPECT_EQ(menu->GetFrameMenu(), frameMenu);
    EXPECT_EQ(menu->GetControlCount(), 6);
    EXPECT_EQ(menu->GetDockingFlags(), 0x5Fu);

    // Alt pressed and released alone: the bar tracks with its first menu selected; Esc leaves.
    headless::PressKey(VK_MENU);
    headless::PumpUntilIdle();
    EXPECT_EQ(menu->GetTrackingMode(), 1);
    EXPECT_EQ(menu->m_nSelected, 0);
    headless::PressKey(VK_ESCAPE);
    headless::PumpUntilIdle();
    EXPECT_EQ(menu->GetTrackingMode(), 0);

    // Where the menu key is left to the frame.
    const struct {
        const char* name;
        LPARAM lParam;
        BOOL shift;
        BOOL hidden;
        BOOL customize;
        BOOL enters;
    } cases[] = {
        {"the menu key", 0, FALSE, FALSE, FALSE, TRUE},
        {"a mnemonic", 'f', FALSE, FALSE, FALSE, FALSE},
        {"with Shift held", 0, TRUE, FALSE, FALSE, FALSE},
        {"a hidden bar", 0, FALSE, TRUE, FALSE, FALSE},
        {"in customize mode", 0, FALSE, FALSE, TRUE, FALSE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.shift)
            headless::KeyDown(VK_SHIFT);
        headless::PumpUntilIdle();
        menu->SetVisible(!c.hidden);
        bars->m_bCustomizeMode = c.customize;
        ::SendMessageW(frame->m_hWnd, WM_SYSCOMMAND, SC_KEYMENU, c.lParam);
        EXPECT_EQ(menu->GetTrackingMode() != 0, c.enters);
        menu->CancelTracking();
        bars->m_bCustomizeMode = FALSE;
        menu->SetVisible(TRUE);
        if (c.shift)
            headless::KeyUp(VK_SHIFT);
        headless::PumpUntilIdle();
    }
    // Nothing enters menu mode while another bar tracks.
    CTKPPopupBar* other = CTKPPopupBar::CreatePopupBar(bars);
    other->SetTrackingMode(1, FALSE, FALSE);
    ::SendMessageW(frame->m_hWnd, WM_SYSCOMMAND, SC_KEYMENU, 0);
    EXPECT_EQ(menu->GetTrackingMode(), 0);
    other->SetTrackingMode(0);
    other->InternalRelease();

    // The frame's menu goes with the bar.
    bars->Remove(menu);
    EXPECT_FALSE(::IsMenu(frameMenu));
}

TEST_F(MenuBarTest, AMissingMenuLeavesTheFrameItsOwn) {
    EXPECT_EQ(bars->SetMenuBar(u"Menu", 4242), nullptr);
    EXPECT_EQ(bars->GetMenuBar(), nullptr);
    EXPECT_EQ(::GetMenu(frame->m_hWnd), frameMenu);
    // No bar was left watching the frame.
    EXPECT_EQ(CTKPWndHookChain::FindChain(frame->m_hWnd), nullptr);
}

TEST_F(MenuBarTest, ResetAsksAndPutsTheMenuBack) {
    CTKPMenuBar* menu = MenuBar();
    ASSERT_NE(menu, nullptr);
    menu->GetControls()->RemoveAt(0);
    ASSERT_EQ(menu->GetControlCount(), 5);
    for (UINT key : {UINT(VK_ESCAPE), UINT(VK_RETURN)}) {
        CString shown;
        headless::AnswerNextModal([&](HWND box) {
            for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
                shown += headless::Text(child).c_str();
            headless::PressKey(key);
        });
        menu->Reset();
        EXPECT_NE(shown.Find(u"“Menu”"), -1);
        EXPECT_EQ(menu->GetControlCount(), key == VK_RETURN ? 6 : 5);
    }
    EXPECT_EQ(menu->GetControl(0)->GetCaption(), CString(u"&File"));
}

namespace {

// The MDI client stand-in answers which child is active and whether it is maximised.
HWND g_activeChild = nullptr;
BOOL g_childZoomed = FALSE;
WNDPROC g_clientProc = nullptr;
LRESULT CALLBACK MdiClientProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_MDIGETACTIVE) {
        if (lParam)
            *reinterpret_cast<BOOL*>(lParam) = g_childZoomed;
        return LRESULT(g_activeChild);
    }
    if (message == WM_MDISETMENU)
        return 0;
    return ::CallWindowProcW(g_clientProc, hwnd, message, wParam, lParam);
}

// A child that records the system commands it is sent.
std::vector<WPARAM> g_childCommands;
LRESULT CALLBACK ChildProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SYSCOMMAND) {
        g_childCommands.push_back(wParam);
        return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

class MdiMenuBarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        headless::UseVirtualClock();
        SetGlobalTheme(0);
        tktest::RegisterPlainWindowClass(u"MDICLIENT");
        tktest::RegisterPlainWindowClass(u"MenuBarTestChild", nullptr, ChildProc);
        mdi = new CMDIFrameWnd;
        ASSERT_TRUE(mdi->Create(nullptr, u"mdi", WS_OVERLAPPEDWINDOW, CRect(0, 0, 640, 480)));
        client = mdi->m_hWndMDIClient;
        ASSERT_NE(client, nullptr);
        g_clientProc = WNDPROC(::SetWindowLongPtrW(client, GWLP_WNDPROC, LONG_PTR(&MdiClientProc)));
        g_activeChild = nullptr;
        g_childZoomed = FALSE;
        g_childCommands.clear();
        bars = new CTKPCommandBars;
        bars->SetSite(mdi);
        bars->m_bCustomizable = TRUE;
        ::SetMenu(mdi->m_hWnd, LoadOwnMenu(kFrameMenu));
        menu = static_cast<CTKPMenuBar*>(bars->SetMenuBar(u"Menu", kFrameMenu));
        ASSERT_NE(menu, nullptr);
        ASSERT_TRUE(CreateBarWindow(menu, mdi));
        ASSERT_TRUE(menu->IsMdiFrame());
    }
    void TearDown() override
    {
        CTKPMouseTracker::GetThreadTracker()->CloseAll();
        bars->InternalRelease();
        for (HWND child : children)
            ::DestroyWindow(child);
        g_activeChild = nullptr;
        mdi->DestroyWindow();
        headless::PumpUntilIdle();
    }
    HWND Child(DWORD style)
    {
        HWND child = ::CreateWindowExW(0, u"MenuBarTestChild", u"child", WS_CHILD | WS_VISIBLE | style, 0, 0, 200,
                                       150, client, nullptr, nullptr, nullptr);
        children.push_back(child);
        return child;
    }
    // The window controls at the bar's end, in order.
    std::vector<UINT> WindowControls() const
    {
        std::vector<UINT> ids;
        for (int i = 0; i < menu->GetControlCount(); ++i)
            if (CTKPControl* c = menu->GetControl(i); c->m_bTemporary)
                ids.push_back(c->GetID());
        return ids;
    }
    CMDIFrameWnd* mdi = nullptr;
    HWND client = nullptr;
    CTKPCommandBars* bars = nullptr;
    CTKPMenuBar* menu = nullptr;
    std::vector<HWND> children;
};

} // namespace

TEST_F(MdiMenuBarTest, WindowButtonsFollowTheMaximisedChild) {
    const DWORD allBoxes = WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    const struct {
        const char* name;
        DWORD style;
        BOOL zoomed;
        DWORD flags;
        std::vector<UINT> ids;
    } cases[] = {
        {"every box and the icon", allBoxes, TRUE, TKP_MENUBAR_SHOWMDIICON,
         {TKP_ID_MDI_SYSMENU, TKP_ID_MDI_MINIMIZE, TKP_ID_MDI_RESTORE, TKP_ID_MDI_CLOSE}},
        {"no minimise box", WS_SYSMENU | WS_MAXIMIZEBOX, TRUE, 0, {TKP_ID_MDI_RESTORE, TKP_ID_MDI_CLOSE}},
        {"restore and close switched off", allBoxes, TRUE, TKP_MENUBAR_NORESTORE | TKP_MENUBAR_NOCLOSE,
         {TKP_ID_MDI_MINIMIZE}},
        {"a child that is not maximised", allBoxes, FALSE, TKP_MENUBAR_SHOWMDIICON, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g_activeChild = Child(c.style);
        g_childZoomed = c.zoomed;
        menu->m_dwFlags = (menu->m_dwFlags & 0xFF) | c.flags;
        // The client tells the bar through its hook; the bar follows on its timer.
        ::SendMessageW(client, WM_MDIACTIVATE, WPARAM(g_activeChild), 0);
        headless::PumpUntilIdle();
        EXPECT_EQ(WindowControls(), c.ids);
        for (int i = 0; i < 6; ++i)
            EXPECT_FALSE(menu->GetControl(i)->m_bTemporary);
    }

    // A maximised child: its buttons post their commands, its icon opens its system menu.
    g_activeChild = Child(allBoxes);
    g_childZoomed = TRUE;
    menu->m_dwFlags |= TKP_MENUBAR_SHOWMDIICON;
    ::SendMessageW(client, WM_MDIACTIVATE, WPARAM(g_activeChild), 0);
    headless::PumpUntilIdle();
    menu->GetControls()->FindControl(TKP_ID_MDI_CLOSE)->OnExecute();
    menu->GetControls()->FindControl(TKP_ID_MDI_MINIMIZE)->OnExecute();
    headless::PumpUntilIdle();
    EXPECT_EQ(g_childCommands, (std::vector<WPARAM>{SC_CLOSE, SC_MINIMIZE}));
    CTKPControl* icon = menu->GetControls()->FindControl(TKP_ID_MDI_SYSMENU);
    ASSERT_NE(icon, nullptr);
    ASSERT_NE(icon->GetCommandBar(), nullptr);
    CTKPControl* close = icon->GetCommandBar()->GetControls()->FindControl(SC_CLOSE);
    ASSERT_NE(close, nullptr);
    EXPECT_TRUE(close->GetDefaultItem());
    // Restoring the child (its own size message) takes the buttons away.
    g_childZoomed = FALSE;
    ::SendMessageW(g_activeChild, WM_SIZE, SIZE_RESTORED, 0);
    headless::PumpUntilIdle();
    EXPECT_TRUE(WindowControls().empty());
}

TEST_F(MdiMenuBarTest, ChildMenusSwitchKeepTheirCustomisationAndSurviveASave) {
    auto* child = new CFrameWnd;
    ASSERT_TRUE(child->Create(nullptr, u"child", WS_CHILD, CRect(0, 0, 50, 50), CWnd::FromHandle(client)));
    child->m_nIDHelp = 300;
    g_activeChild = child->m_hWnd;
    CMenu childMenu;
    ASSERT_TRUE(childMenu.LoadMenu(kContextMenu));

    ::SendMessageW(client, WM_MDISETMENU, WPARAM(childMenu.m_hMenu), 0);
    EXPECT_EQ(menu->GetCurrentMenuKey(), 300u);
    ASSERT_EQ(menu->GetControlCount(), 1);
    EXPECT_EQ(::GetMenu(mdi->m_hWnd), nullptr);
    ASSERT_NE(menu->GetSavedMenu(kFrameMenu), nullptr);
    EXPECT_EQ(menu->GetSavedMenu(kFrameMenu)->GetCount(), 6);
    // The user adds a command to the child's menu.
    menu->GetControls()->Add(TKP_CONTROL_BUTTON, 205);

    // Back to the frame's own menu, and again to the child's, which kept the command.
    ::SendMessageW(client, WM_MDISETMENU, 0, 0);
    EXPECT_EQ(menu->GetCurrentMenuKey(), UINT_PTR(kFrameMenu));
    EXPECT_EQ(menu->GetControlCount(), 6);
    ::SendMessageW(client, WM_MDISETMENU, WPARAM(childMenu.m_hMenu), 0);
    EXPECT_EQ(menu->GetControlCount(), 2);
    // A bar told to ignore the children's menus stays.
    menu->m_dwFlags |= TKP_MENUBAR_IGNOREMDIMENU;
    ::SendMessageW(client, WM_MDISETMENU, 0, 0);
    EXPECT_EQ(menu->GetControlCount(), 2);
    menu->m_dwFlags &= ~DWORD(TKP_MENUBAR_IGNOREMDIMENU);

    // A second child with the same menu, left as it was: a save keeps only the customised one.
    auto* second = new CFrameWnd;
    ASSERT_TRUE(second->Create(nullptr, u"second", WS_CHILD, CRect(0, 0, 50, 50), CWnd::FromHandle(client)));
    second->m_nIDHelp = 301;
    g_activeChild = second->m_hWnd;
    ::SendMessageW(client, WM_MDISETMENU, WPARAM(childMenu.m_hMenu), 0);
    EXPECT_EQ(menu->GetCurrentMenuKey(), 301u);

    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        CTKPPropExchangeArchive px(ar);
        CTKPPropExchangeContext context;
        px.m_pContext = &context;
        std::vector<CTKPCommandBar*> list;
        bars->CollectBarsToSave(list, &context);
        EXPECT_EQ(menu->GetCurrentMenuKey(), UINT_PTR(kFrameMenu));
        EXPECT_EQ(menu->GetMenuCount(), 1);
        ASSERT_NE(menu->GetSavedMenu(300), nullptr);
        ASSERT_TRUE(bars->SaveBars(&px, list));
        for (CTKPCommandBar* saved : list)
            saved->InternalRelease();
        ar.Close();
    }
    file.SeekToBegin();
    std::vector<CTKPCommandBar*> loaded;
    {
        CArchive ar(&file, CArchive::load);
        CTKPPropExchangeArchive px(ar);
        CTKPPropExchangeContext context;
        context.pCommandBars = bars;
        px.m_pContext = &context;
        ASSERT_TRUE(bars->LoadBars(&px, loaded));
    }
    ASSERT_FALSE(loaded.empty());
    auto* loadedMenu = dynamic_cast<CTKPMenuBar*>(loaded[0]);
    ASSERT_NE(loadedMenu, nullptr);
    std::vector<CTKPCommandBar*> path;
    EXPECT_TRUE(loadedMenu->RelinkPopups(loaded, path));
    CTKPControls* saved = loadedMenu->GetSavedMenu(300);
    ASSERT_NE(saved, nullptr);
    ASSERT_EQ(saved->GetCount(), 2);
    // The popup of the saved child menu came back linked to its bar.
    ASSERT_NE(saved->GetAt(0)->GetCommandBar(), nullptr);
    EXPECT_EQ(saved->GetAt(0)->GetCommandBar()->GetControlCount(), 3);
    EXPECT_EQ(saved->GetAt(1)->GetID(), 205u);
    for (CTKPCommandBar* bar : loaded)
        bar->InternalRelease();
    g_activeChild = nullptr;
    second->DestroyWindow();
    child->DestroyWindow();
}
