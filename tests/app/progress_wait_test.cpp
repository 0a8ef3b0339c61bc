// The progress-wait dialog: its percentages, Cancel, and the owner it disables.
#include "tests/app/app_fixture.h"

#include "app/progress_wait_dlg.h"
#include "app_res.h"

namespace {

TEST(ProgressPercent, IsThePositionsShareOfTheRangeKeptWithinZeroAndHundred)
{
    struct {
        int position, lower, upper, percent;
    } cases[] = {
        {100, 0, 100, 100}, {199, 0, 200, 99}, {200, 0, 200, 100}, {10, 10, 110, 0},
        {125, 0, 100, 100}, // past the end: full, not 25
        {-5, 0, 100, 0},    {50, 0, 0, 100}, {2000000000, 0, 2100000000, 95},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProgressPercent(c.position, c.lower, c.upper), c.percent)
            << c.position << " in " << c.lower << ".." << c.upper;
}

using ProgressWait = AppFixture;

TEST_F(ProgressWait, ShowsThePercentageDisablesItsOwnerAndOnlyNotesCancel)
{
    ASSERT_TRUE(StartApp());
    {
        CProgressWaitDlg dlg;
        ASSERT_TRUE(dlg.Create(m_frame));
        EXPECT_FALSE(m_frame->IsWindowEnabled());
        dlg.SetRange(0, 200);
        dlg.SendMessage(WM_PROGRESS_SETPOS, 150, 0);
        EXPECT_EQ(headless::Text(::GetDlgItem(dlg.m_hWnd, IDC_PROGRESS_PERCENT)), u"75%");
        EXPECT_EQ(::SendMessageW(::GetDlgItem(dlg.m_hWnd, IDC_PROGRESS_BAR), PBM_GETPOS, 0, 0), 150);
        dlg.SendMessage(WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(dlg.IsCancelled());
        EXPECT_TRUE(::IsWindow(dlg.m_hWnd)) << "Cancel leaves the dialog open";
        dlg.DestroyWindow();
        EXPECT_TRUE(m_frame->IsWindowEnabled());
    }
    // An owner that was disabled already stays so: the dialog did not disable it.
    m_frame->EnableWindow(FALSE);
    {
        CProgressWaitDlg dlg;
        ASSERT_TRUE(dlg.Create(m_frame));
    }
    EXPECT_FALSE(m_frame->IsWindowEnabled());
}

} // namespace
