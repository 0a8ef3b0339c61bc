// Tests of the command bars of a frame: bar lookups, hidden commands, print preview, the frame
// messages they take, their options in the profile and the keyboard shortcuts.
#include <gtest/gtest.h>

#include "../base/test_settings.h"
#include "../base/test_windows.h"
#include "../mdi_client_double.h"
#include "backend/headless/driver.h"
#include "toolkit/base/edit.h"
#include "toolkit/base/frame_wnd.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/dock_bar.h"
#include "toolkit/commandbars/sound_player.h"
#include "toolkit/commandbars/tool_bar.h"

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {
// A window that records the commands that reach it.
class ShortcutTarget : public CWnd {
public:
    std::vector<UINT> commands;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM) override
    {
        commands.push_back(LOWORD(wParam));
        return TRUE;
    }
};
} // namespace

TEST(CommandBarsSet, LookupsHiddenCommandsAndPreview) {
    CTKPCommandBars bars;
    EXPECT_EQ(bars.GetCount(), 0);
    CTKPToolBar* standard = bars.AddToolBar(u"Standard", 128);
    ASSERT_NE(standard, nullptr);
    EXPECT_EQ(standard->GetCommandBars(), &bars);
    EXPECT_EQ(standard->GetDockingFlags(), 0x3Fu);
    EXPECT_EQ(bars.GetToolBar(128), standard);
    EXPECT_EQ(bars.GetToolBar(0), nullptr);
    EXPECT_EQ(bars.GetAt(1), nullptr);
    EXPECT_EQ(bars.FindIndex(standard), 0);

    const UINT hidden[] = {10, 11};
    bars.HideCommands(hidden, 2);
    EXPECT_TRUE(bars.IsCommandHidden(10));
    bars.MarkCommandUsed(10);
    EXPECT_FALSE(bars.IsCommandHidden(10));
    EXPECT_TRUE(bars.IsCommandHidden(11));
    EXPECT_FALSE(bars.IsCommandHidden(12));

    // Print preview switches the shortcuts off for as long as it lasts: the key is left alone and its
    // command does not run.
    ShortcutTarget target;
    ASSERT_TRUE(target.CreateEx(0, AfxRegisterWndClass(0), u"t", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    ACCEL accel{FVIRTKEY, VK_F5, 300};
    bars.GetShortcutTable()->SetAccelTable(&accel, 1);
    MSG key{target.m_hWnd, WM_KEYDOWN, VK_F5, 0, 0, {0, 0}};
    bars.OnSetPreviewMode(TRUE);
    EXPECT_EQ(bars.GetShortcutTable()->GetDisableCount(), 1);
    EXPECT_FALSE(bars.PreTranslateFrameMessage(&key));
    EXPECT_TRUE(target.commands.empty());
    bars.OnSetPreviewMode(FALSE);
    EXPECT_EQ(bars.GetShortcutTable()->GetDisableCount(), 0);
    EXPECT_TRUE(bars.PreTranslateFrameMessage(&key));
    EXPECT_EQ(target.commands, std::vector<UINT>{300});
    target.DestroyWindow();

    bars.Remove(standard);
    EXPECT_EQ(bars.GetCount(), 0);
}

TEST(CommandBarsSet, AFocusedToolkitEditTakesItsClipboardCommands) {
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, AfxRegisterWndClass(0), u"p", WS_POPUP | WS_VISIBLE, 0, 0, 300, 100, nullptr,
                                nullptr));
    CTKPEdit edit;
    ASSERT_TRUE(edit.CreateEdit(WS_CHILD | WS_VISIBLE, &parent));
    CTKPCommandBars bars;
    const struct { const char* name; bool focusEdit; UINT id; BOOL taken; } cases[] = {
        {"edit with the focus, copy", true, ID_EDIT_COPY, TRUE},
        {"edit with the focus, other command", true, 40001, FALSE},
        {"edit without the focus", false, ID_EDIT_COPY, FALSE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ::SetFocus(c.focusEdit ? edit.m_hWnd : parent.m_hWnd);
        LRESULT result = 0;
        EXPECT_EQ(bars.OnFrameWndMsg(WM_COMMAND, c.id, 0, &result), c.taken);
        EXPECT_EQ(result, c.taken ? 1 : 0);
    }
    edit.DestroyWindow();
    parent.DestroyWindow();
}

namespace {

// A frame that builds its bars as the program's main frame does.
class BarsFrame : public CTKPFrameWnd {
protected:
    afx_msg int OnCreate(LPCREATESTRUCTW lpcs)
    {
        if (CTKPFrameWnd::OnCreate(lpcs) == -1)
            return -1;
        auto* bars = static_cast<CTKPCommandBars*>(RUNTIME_CLASS(CTKPCommandBars)->CreateObject());
        m_pCommandBars = bars;
        bars->SetSite(this);
        bars->EnableBarDocking();
        if (!bars->SetMenuBar(u"菜单栏  ", 9212))
            return -1;
        CTKPToolBar* tools = bars->AddToolBar(u"常用    ", 59392);
        if (!tools || !tools->LoadToolBar(9200))
            return -1;
        tools->SetShowTextBelowIcons(1);
        const UINT hidden[] = {57607, 57609};
        bars->HideCommands(hidden, 2);
        bars->GetCommandBarsOptions()->bAlwaysShowFullMenus = FALSE;
        bars->GetShortcutTable()->LoadShortcutResource(9211);
        bars->LoadOptions(u"CommandBars");
        bars->GetShortcutTable()->LoadShortcuts(u"CommandBars");
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BarsFrame, CTKPFrameWnd)
    ON_WM_CREATE()
END_MESSAGE_MAP()

class CommandBarsProfile : public ::testing::Test {
protected:
    void SetUp() override { tktest::UseMemorySettings(); }
    void TearDown() override { tktest::EndMemorySettings(); }
};

} // namespace

TEST_F(CommandBarsProfile, AFrameOwnsItsDockBarsMenuBarAndToolBar) {
    auto* frame = new BarsFrame;
    ASSERT_TRUE(frame->Create(nullptr, u"Frame"));
    CTKPCommandBars* bars = frame->GetCommandBars();
    ASSERT_NE(bars, nullptr);
    const struct { int side; UINT id; int position; } docks[] = {
        {0, 0xE81B, 0}, {1, 0xE81E, 1}, {2, 0xE81C, 2}, {3, 0xE81D, 3}};
    for (const auto& d : docks) {
        CTKPDockBar* dock = bars->GetDockBar(d.side);
        ASSERT_NE(dock, nullptr);
        EXPECT_EQ(::GetParent(dock->m_hWnd), frame->m_hWnd);
        EXPECT_EQ(UINT(::GetDlgCtrlID(dock->m_hWnd)), d.id);
        EXPECT_EQ(dock->GetPosition(), d.position);
    }
    CTKPCommandBar* menu = bars->GetMenuBar();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->GetType(), TKP_BARTYPE_MENUBAR);
    EXPECT_EQ(menu->GetTitle(), CString(u"菜单栏  "));
    EXPECT_EQ(menu->GetControlCount(), 6);
    // Its three commands, and the expand button it adds to itself.
    CTKPToolBar* standard = bars->GetToolBar(59392);
    ASSERT_EQ(standard->GetControlCount(), 4);
    EXPECT_EQ(standard->GetControl(3)->GetID(), UINT(TKP_ID_TOOLBAR_EXPAND));
    EXPECT_TRUE(standard->GetControl(3)->m_bTemporary);
    // The menu bar brings the 16 x 16 icons of the window commands.
    for (UINT command : {SC_RESTORE, SC_MINIMIZE, SC_MAXIMIZE, SC_CLOSE}) {
        CTKPImageIconSet* set = bars->GetImageManager()->GetIconSet(command);
        ASSERT_NE(set, nullptr) << command;
        ASSERT_NE(set->FindIcon(16), nullptr) << command;
        EXPECT_EQ(set->FindIcon(16)->GetHeight(), 16);
    }
    // The frame switched full menus off before loading; an empty profile keeps that.
    EXPECT_FALSE(bars->GetCommandBarsOptions()->bAlwaysShowFullMenus);
    EXPECT_TRUE(bars->IsCommandHidden(57607));
    // Both bars have windows in the top dock bar: the menu bar takes a whole row, the tool bar the
    // next row at its own length, and the rest of the frame stays free.
    frame->MoveWindow(0, 0, 640, 400);
    frame->RecalcLayout();
    CTKPDockBar* top = bars->GetDockBar(0);
    CTKPToolBar* tools = bars->GetToolBar(59392);
    ASSERT_NE(menu->m_hWnd, nullptr);
    ASSERT_NE(tools->m_hWnd, nullptr);
    EXPECT_EQ(::GetParent(menu->m_hWnd), top->m_hWnd);
    EXPECT_EQ(::GetParent(tools->m_hWnd), top->m_hWnd);
    RECT client, dock, menuRect, toolRect;
    ::GetClientRect(frame->m_hWnd, &client);
    ::GetWindowRect(top->m_hWnd, &dock);
    ::GetWindowRect(menu->m_hWnd, &menuRect);
    ::GetWindowRect(tools->m_hWnd, &toolRect);
    EXPECT_EQ(menuRect.right - menuRect.left, client.right);
    EXPECT_EQ(toolRect.top, menuRect.bottom);
    EXPECT_GT(toolRect.bottom, toolRect.top);
    EXPECT_LT(toolRect.right - toolRect.left, client.right);
    EXPECT_EQ(dock.bottom - dock.top, toolRect.bottom - menuRect.top);
    // A hidden bar gives its row back.
    tools->SetVisible(FALSE);
    frame->RecalcLayout();
    ::GetWindowRect(top->m_hWnd, &dock);
    EXPECT_EQ(dock.bottom - dock.top, menuRect.bottom - menuRect.top);

    CString text;
    EXPECT_TRUE(bars->GetShortcutTable()->FindDefaultAccelerator(200, text));
    EXPECT_EQ(text, CString(u"F5"));
    frame->DestroyWindow();
}

TEST_F(CommandBarsProfile, OptionsKeepWhatTheUserChoseAndWhatTheFrameSet) {
    {
        CTKPCommandBars bars;
        CTKPCommandBarsSettings* options = bars.GetCommandBarsOptions();
        options->bAlwaysShowFullMenus = TRUE;  // the user's choice, equal to the construction default
        options->bToolBarAccelTips = TRUE;
        options->nAnimation = 2;
        options->szIcons = SIZE{24, 24};
        options->m_usedCommands = {57607};
        options->m_hiddenCommands = {57609};
        EXPECT_TRUE(bars.SaveOptions(u"CommandBars"));
    }
    CTKPCommandBars bars;
    CTKPCommandBarsSettings* options = bars.GetCommandBarsOptions();
    options->bAlwaysShowFullMenus = FALSE;  // the frame's setting before loading
    EXPECT_TRUE(bars.LoadOptions(u"CommandBars"));
    EXPECT_TRUE(options->bAlwaysShowFullMenus);
    EXPECT_TRUE(options->bToolBarAccelTips);
    EXPECT_EQ(options->nAnimation, 2);
    EXPECT_EQ(options->m_usedCommands, std::set<UINT>{57607});
    // Hidden commands and icon sizes are not kept in the profile.
    EXPECT_TRUE(options->m_hiddenCommands.empty());
    EXPECT_EQ(options->szIcons.cx, 0);

    // Data saved under an older schema carries no used commands.
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Co\\App\\CommandBars-Options", 0, nullptr, 0, KEY_WRITE, nullptr,
                    &key, nullptr);
    const DWORD seven = 7;
    RegSetValueExW(key, u"Schema", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&seven), 4);
    RegCloseKey(key);
    CTKPCommandBars old;
    old.GetCommandBarsOptions()->m_usedCommands = {1};
    old.LoadOptions(u"CommandBars");
    EXPECT_EQ(old.GetCommandBarsOptions()->m_usedCommands, std::set<UINT>{1});
    EXPECT_TRUE(old.GetCommandBarsOptions()->bToolBarAccelTips);
}

TEST_F(CommandBarsProfile, ShortcutsFormatFindAndPersist) {
    CTKPCommandBars bars;
    CTKPShortcutTable* table = bars.GetShortcutTable();
    const struct { BYTE fVirt; WORD key; const char16_t* text; int priority; } formats[] = {
        {FVIRTKEY | FCONTROL | FSHIFT, VK_F5, u"Ctrl+Shift+F5", 3},
        {FVIRTKEY | FALT, 0, u"Alt", 2},
        {FVIRTKEY | FSHIFT, VK_DELETE, u"Shift+Del", 1},
        {FVIRTKEY, (VK_NUMPAD0 + 3), u"Num 3", 4},
        {0, 'q', u"q", 4},
        {FCONTROL, 27, u"Ctrl+", 3},
    };
    for (const auto& f : formats) {
        CString text;
        int priority = 0;
        table->FormatAccelerator(text, ACCEL{f.fVirt, f.key, 1}, &priority);
        EXPECT_EQ(text, CString(f.text));
        EXPECT_EQ(priority, f.priority) << CStringA(f.text).GetString();
    }
    ASSERT_TRUE(table->LoadShortcutResource(9211));
    // F5 (a plain key) wins over Ctrl+R, unless the caller's text already is Ctrl+R.
    CString text = u"x";
    EXPECT_TRUE(table->FindDefaultAccelerator(200, text));
    EXPECT_EQ(text, CString(u"F5"));
    text = u"Ctrl+R";
    EXPECT_TRUE(table->FindDefaultAccelerator(200, text));
    EXPECT_EQ(text, CString(u"Ctrl+R"));
    EXPECT_FALSE(table->FindDefaultAccelerator(999, text));
    EXPECT_TRUE(text.IsEmpty());
    // Plain Esc only by permission; Shift+Esc always.
    EXPECT_FALSE(table->IsAllowedAccelerator(ACCEL{FVIRTKEY, VK_ESCAPE, 1}));
    EXPECT_TRUE(table->IsAllowedAccelerator(ACCEL{FVIRTKEY | FSHIFT, VK_ESCAPE, 1}));
    table->m_bAllowEscapeShortcut = TRUE;
    EXPECT_TRUE(table->IsAllowedAccelerator(ACCEL{FVIRTKEY, VK_ESCAPE, 1}));

    // The profile keeps 6-byte records: 12 bytes are two shortcuts.
    const BYTE saved[12] = {FVIRTKEY, 0, 'K', 0, 7, 0, FVIRTKEY | FCONTROL, 0, 'L', 0, 8, 0};
    CTKPSettingsStore().WriteProfileBinary(u"CommandBars", u"Accelerators", saved, 12);
    table->LoadShortcuts(u"CommandBars");
    EXPECT_EQ(::CopyAcceleratorTableW(table->GetAccelTable(), nullptr, 0), 2);
    text.Empty();
    EXPECT_TRUE(table->FindDefaultAccelerator(8, text));
    EXPECT_EQ(text, CString(u"Ctrl+L"));
    table->Reset();
    table->SaveShortcuts(u"CommandBars");
    table->LoadShortcuts(u"CommandBars");
    EXPECT_EQ(::CopyAcceleratorTableW(table->GetAccelTable(), nullptr, 0), 3);
}

namespace {
std::atomic<int> g_plays{0}, g_purges{0};
std::atomic<bool> g_deviceMissing{false};
BOOL RecordingPlay(LPCWSTR alias, HMODULE, DWORD)
{
    ++(alias ? g_plays : g_purges);
    return !g_deviceMissing;
}
} // namespace

TEST(MenuSounds, TheThreadStartsOnTheFirstSoundAndAlwaysEndsOnStop) {
    headless::UseVirtualClock();
    CTKPMenuSoundPlayer& player = CTKPMenuSoundPlayer::Get();
    player.SetPlayFunction(&RecordingPlay);
    for (bool missing : {false, true}) {
        SCOPED_TRACE(missing ? "without a sound device" : "with a sound device");
        g_deviceMissing = missing;
        g_plays = g_purges = 0;
        EXPECT_FALSE(player.IsRunning());
        player.Play(CTKPMenuSoundPlayer::PlayPopup);
        EXPECT_TRUE(player.IsRunning());
        for (int i = 0; i < 2000 && g_plays == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_EQ(g_plays, 1);
        // Requests keep coming while the player stops: a quit request is never overwritten.
        for (int i = 0; i < 50; ++i)
            player.Play(CTKPMenuSoundPlayer::PlayCommand);
        player.Stop();
        EXPECT_FALSE(player.IsRunning());
        EXPECT_EQ(g_purges, 1);
        EXPECT_EQ(player.GetState(), DWORD(CTKPMenuSoundPlayer::Quit));
    }
    // Disabled, nothing starts.
    player.SetEnabled(FALSE);
    player.Play(CTKPMenuSoundPlayer::PlayCommand);
    EXPECT_FALSE(player.IsRunning());
    player.SetEnabled(TRUE);
    player.SetPlayFunction(nullptr);
}

TEST(CommandBarsSet, TheActiveMenuFollowsTheActiveMdiChild) {
    // Frames free themselves when their windows go.
    CTKPCommandBars bars;
    auto* sdi = new CFrameWnd;
    ASSERT_TRUE(sdi->Create(nullptr, u"sdi"));
    bars.SetSite(sdi);
    EXPECT_EQ(bars.GetActiveMenuId(), 0u);

    // With a client class of its own the MDI frame can make its client window.
    tktest::RegisterMdiClientClass();
    auto* mdi = new CMDIFrameWnd;
    ASSERT_TRUE(mdi->Create(nullptr, u"mdi"));
    ASSERT_NE(mdi->m_hWndMDIClient, nullptr);
    bars.SetSite(mdi);
    bars.m_nMenuId = 128;
    tktest::MdiActiveChild() = nullptr;
    EXPECT_EQ(bars.GetActiveMenuId(), 128u);
    auto* child = new CFrameWnd;
    ASSERT_TRUE(child->Create(nullptr, u"child", WS_CHILD, CRect(0, 0, 50, 50), mdi));
    child->m_nIDHelp = 300;
    tktest::MdiActiveChild() = child->m_hWnd;
    EXPECT_EQ(bars.GetActiveMenuId(), 300u);
    bars.SetSite(nullptr);
    tktest::MdiActiveChild() = nullptr;
    mdi->DestroyWindow();
    sdi->DestroyWindow();
}

TEST(CommandBarsSet, TheShortcutKeyFieldCapturesAllowedCombinations) {
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, AfxRegisterWndClass(0), u"p", WS_POPUP | WS_VISIBLE, 0, 0, 300, 100, nullptr,
                                nullptr));
    CTKPCommandBars bars;
    CTKPShortcutKeyEdit field(bars.GetShortcutTable());
    ASSERT_TRUE(field.CreateEx(0, u"Edit", u"", WS_CHILD | WS_VISIBLE, RECT{0, 0, 200, 20}, &parent, 1));
    auto press = [&](UINT vk) {
        MSG msg{};
        msg.hwnd = field.m_hWnd;
        msg.message = WM_KEYDOWN;
        msg.wParam = vk;
        return field.PreTranslateMessage(&msg);
    };
    const struct { const char* name; UINT modifier; UINT vk; const char16_t* text; BOOL complete; } cases[] = {
        {"a plain key", 0, VK_F5, u"F5", TRUE},
        {"Ctrl and a letter", VK_CONTROL, 'K', u"Ctrl+K", TRUE},
        {"plain Esc is refused", 0, VK_ESCAPE, u"", FALSE},
        {"Shift+Esc is taken", VK_SHIFT, VK_ESCAPE, u"Shift+Esc", TRUE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.modifier) {
            headless::KeyDown(c.modifier);
            headless::PumpUntilIdle();
        }
        EXPECT_TRUE(press(c.vk));
        if (c.modifier)
            headless::KeyUp(c.modifier);
        headless::PumpUntilIdle();
        EXPECT_EQ(CString(headless::Text(field.m_hWnd).c_str()), CString(c.text));
        EXPECT_EQ(field.IsComplete(), c.complete);
    }
    // Tab moves the focus on instead of being captured.
    EXPECT_FALSE(press(VK_TAB));
    field.DestroyWindow();
    parent.DestroyWindow();
}

TEST(CommandBarsSet, CustomToolBarsAndVisibleBarCycles) {
    CTKPCommandBars bars;
    EXPECT_EQ(bars.GetNextVisible(-1, 1), -1);
    CTKPToolBar* standard = bars.AddToolBar(u"Standard", 1);
    // With one visible bar a full cycle comes back to it, in both directions.
    EXPECT_EQ(bars.GetNextVisible(0, 1), 0);
    EXPECT_EQ(bars.GetNextVisible(-1, -1), 0);
    CTKPToolBar* custom = bars.AddCustomToolBar(u"Mine", 7, TRUE);
    ASSERT_NE(custom, nullptr);
    EXPECT_EQ(custom->GetDockingFlags(), 0x3Fu);
    EXPECT_EQ(custom->GetPosition(), TKP_BARPOS_FLOATING);
    EXPECT_EQ(bars.GetToolBar(7), custom);
    EXPECT_FALSE(custom->m_bBuiltIn);
    bars.ToggleVisible(0);
    EXPECT_FALSE(standard->IsVisible());
    EXPECT_EQ(bars.GetNextVisible(1, 1), 1);
    EXPECT_EQ(bars.GetNextVisible(-1, 1), 1);
    bars.ToggleVisible(0);
    EXPECT_EQ(bars.GetNextVisible(1, 1), 0);
}
