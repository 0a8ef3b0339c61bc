// The exit sequence: No keeps the program running; Yes stops a running worker, waits for it while serving
// its calls, writes the settings (placement and splitters) and ends by closing the frame.
#include "tests/app/app_fixture.h"

#include "app/engine_ui.h"
#include "app/splitter_bar.h"
#include "app_res.h"
#include "engine/scan_control.h"
#include "toolkit/base/window_placement.h"

#include <atomic>
#include <thread>

namespace {

using ExitSequence = AppFixture;

TEST_F(ExitSequence, NoKeepsTheProgramRunning)
{
    ASSERT_TRUE(StartApp());
    headless::AnswerNextModal([](HWND box) { ::PostMessageW(box, WM_COMMAND, IDNO, 0); });
    m_frame->SendMessage(WM_COMMAND, ID_EXIT_APP, 0);
    EXPECT_TRUE(::IsWindow(m_frame->m_hWnd));
    // Closing a minimised frame restores it before the question.
    m_frame->ShowWindow(SW_MINIMIZE);
    bool iconicWhenAsked = true;
    headless::AnswerNextModal([&](HWND box) {
        iconicWhenAsked = ::IsIconic(m_hwndFrame);
        ::PostMessageW(box, WM_COMMAND, IDNO, 0);
    });
    m_frame->SendMessage(WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(m_frame->m_hWnd));
    EXPECT_FALSE(iconicWhenAsked);
}

TEST_F(ExitSequence, YesStopsTheWorkerSavesTheSettingsAndEndsCleanly)
{
    ASSERT_TRUE(StartApp());
    // A splitter on page 1 with panes of its own.
    CStatic left, right;
    CSplitterBar bar;
    CView* page = Page(1);
    ASSERT_TRUE(left.Create(u"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), page, 1));
    ASSERT_TRUE(right.Create(u"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), page, 2));
    ASSERT_TRUE(bar.Create(WS_CHILD | WS_VISIBLE | SPLS_VERTICAL, page, &left, &right, 4242, CRect(0, 0, 600, 400),
                           100, 100));
    bar.MoveVerticalSplit(321);

    // A worker that runs until stopped, and on its way out still asks the user something.
    BeginScanRun();
    std::atomic<bool> asked{false};
    std::thread worker([&] {
        while (!ScanPollPoint())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EngineUi().ShowMessage(u"stopped", ENGINE_MSG_INFO);
        asked = true;
        MarkWorkerFinished(false);
    });
    headless::AnswerNextModal([](HWND box) { ::PostMessageW(box, WM_COMMAND, IDYES, 0); });
    headless::AnswerNextModal([](HWND box) { ::PostMessageW(box, WM_COMMAND, IDOK, 0); });
    ::SendMessageW(m_hwndFrame, WM_COMMAND, ID_EXIT_APP, 0);
    worker.join();
    EXPECT_TRUE(asked);
    EXPECT_TRUE(IsWorkerFinished());
    EXPECT_FALSE(::IsWindow(m_hwndFrame)) << "the frame is gone, so the message loop ends";
    MSG msg;
    EXPECT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));

    EXPECT_EQ(m_app->GetProfileInt(u"splt\\init_v4242", u"VertSplitPos", -1), 319u);
    CTKWindowPlacementStore placement;
    EXPECT_TRUE(placement.LoadWindowPlacement());
}

} // namespace
