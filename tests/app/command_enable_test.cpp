// The frame's command enabling by scan mode and the wizard's state words, as one table.
#include "app/main_frame.h"
#include "app_res.h"
#include "tests/app/app_fixture.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/command_bars.h"

#include <gtest/gtest.h>

namespace {

constexpr CommandEnable E = CommandEnable::Enable;
constexpr CommandEnable D = CommandEnable::Disable;
constexpr CommandEnable K = CommandEnable::Keep;

struct Row {
    UINT id;
    // Mode 0 (full scan) with its results ready or not, then modes 1 (tracing) and 2 (quick scan) likewise.
    CommandEnable full[2], traced[2], quick[2];
};

// Columns: {results not ready, ready}. A full scan's results are m_bFullResultsReady, the others' m_bResultsReady.
const Row kRows[] = {
    {ID_RECOVER_SELECTED, {D, E}, {D, E}, {D, E}},
    {ID_SAVE_SNAPSHOT, {D, E}, {D, E}, {D, E}},
    {ID_VIEW_SMALLICONS, {D, E}, {D, E}, {D, E}},
    {ID_VIEW_LIST, {D, E}, {D, E}, {D, E}},
    {ID_VIEW_DETAILS, {D, E}, {D, E}, {D, E}},
    {ID_FILE_FILTER, {D, E}, {D, E}, {D, E}},
    {ID_RECOVER_ALL, {D, E}, {K, K}, {D, E}},
    {ID_DRIVE_INFO, {D, E}, {K, K}, {D, E}},
    {ID_FIND_FILES, {D, E}, {D, D}, {D, E}},
    {ID_RECOVERY_SETTINGS, {E, E}, {D, D}, {E, E}},
    {ID_EXIT_APP, {E, E}, {E, E}, {E, E}},
    {ID_LIVE_UPDATE, {E, E}, {E, E}, {E, E}},
    {ID_HELP_CONTENTS, {E, E}, {E, E}, {E, E}},
    {ID_APP_ABOUT, {E, E}, {E, E}, {E, E}},
};

TEST(CommandEnable, FollowsTheScanModeAndTheResultsOfThatMode)
{
    for (const Row& row : kRows) {
        for (DWORD mode = 0; mode < 3; ++mode) {
            const CommandEnable* expected = mode == 0 ? row.full : mode == 1 ? row.traced : row.quick;
            for (int ready = 0; ready < 2; ++ready) {
                // The flag of the other mode must not matter: it is set to the opposite.
                CommandEnableInput in{mode, mode == 0 ? !ready : ready, mode == 0 ? ready : !ready, 0};
                EXPECT_EQ(CommandEnableState(row.id, in), expected[ready])
                    << "command " << row.id << " mode " << mode << " ready " << ready;
            }
        }
    }
}

TEST(CommandEnable, LoadingFollowsItsOwnFlagInEveryMode)
{
    for (DWORD mode = 0; mode < 3; ++mode) {
        EXPECT_EQ(CommandEnableState(ID_LOAD_SNAPSHOT, {mode, 1, 1, 0}), D);
        EXPECT_EQ(CommandEnableState(ID_LOAD_SNAPSHOT, {mode, 0, 0, 1}), E);
    }
}

// A shortcut goes the way of its command: on the first page the snapshot, recovery and search commands
// are greyed, and their keys must not run them behind the user's back.
class FrameShortcuts : public AppFixture {
protected:
    // Runs the program's own message loop over what is waiting, so keys meet the frame's shortcuts.
    void PumpProgram()
    {
        MSG msg;
        for (int n = 0; n < 10000 && ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE) && msg.message != WM_QUIT; ++n)
            m_app->PumpMessage();
    }
};

TEST_F(FrameShortcuts, RunOnlyTheCommandsThatAreEnabled)
{
    ASSERT_TRUE(StartApp());
    int opened = 0;
    auto cancel = [&](HWND dlg) {
        ++opened;
        ::PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    };
    for (UINT key : {'R', 'S', 'L', 'F'}) {
        SCOPED_TRACE(char(key));
        headless::AnswerNextModal(cancel);
        headless::PressKey(key, {VK_CONTROL});
        PumpProgram();
        headless::ClearModalAnswers();
        EXPECT_EQ(opened, 0);
    }
    // The same key opens the command's dialog once the command is enabled.
    m_frame->m_bLoadEnabled = 1;
    headless::AnswerNextModal(cancel);
    headless::PressKey('L', {VK_CONTROL});
    PumpProgram();
    EXPECT_EQ(opened, 1);
}

// The program starts with its window active, so the keyboard works before any click: Alt pressed and
// released alone puts the menu bar in keyboard mode with its first menu hot; Esc, or Alt again, leaves it.
TEST_F(FrameShortcuts, AltAloneEntersTheMenuBarAndEscOrAltLeavesIt)
{
    ASSERT_TRUE(StartApp());
    EXPECT_EQ(::GetActiveWindow(), m_hwndFrame);
    CTKPCommandBar* menu = m_frame->GetCommandBars()->GetMenuBar();
    ASSERT_NE(menu, nullptr);
    for (UINT leave : {UINT(VK_ESCAPE), UINT(VK_MENU)}) {
        SCOPED_TRACE(leave);
        headless::PressKey(VK_MENU);
        headless::PumpUntilIdle();
        EXPECT_NE(menu->GetTrackingMode(), 0);
        EXPECT_EQ(menu->m_nSelected, 0);
        headless::PressKey(leave);
        headless::PumpUntilIdle();
        EXPECT_EQ(menu->GetTrackingMode(), 0);
    }
}

} // namespace
