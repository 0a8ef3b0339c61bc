// The message protocol: kinds and answers, the dialog's own template for an unknown kind, and a worker's
// question served on the user-interface thread while that thread sits in a modal box of its own.
#include "tests/app/app_fixture.h"

#include "app/engine_ui.h"
#include "app/message_dlg.h"
#include "app_res.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

namespace {

TEST(MessageKinds, ChooseTheIconAndTheButtons)
{
    struct {
        UINT kind;
        UINT statement, question;
    } cases[] = {{1, 64, 68}, {2, 16, 20}, {3, 32, 36}, {0, 0, 0}, {4, 0, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(MessageBoxStyleForKind(c.kind, false), c.statement) << c.kind;
        EXPECT_EQ(MessageBoxStyleForKind(c.kind, true), c.question) << c.kind;
    }
}

using MessageDialogs = AppFixture;

TEST_F(MessageDialogs, QuestionsAnswerOkForYesAndCancelForNo)
{
    ASSERT_TRUE(StartApp());
    struct {
        UINT button;
        INT_PTR result;
    } answers[] = {{IDYES, IDOK}, {IDNO, IDCANCEL}};
    for (const auto& a : answers) {
        headless::AnswerNextModal([&](HWND box) { ::PostMessageW(box, WM_COMMAND, a.button, 0); });
        CSkinMessageDlg dlg(u"继续吗？", MSG_KIND_QUESTION);
        EXPECT_EQ(dlg.DoModal(), a.result);
    }
    headless::AnswerNextModal([&](HWND box) { ::PostMessageW(box, WM_COMMAND, IDOK, 0); });
    CMessageDlg statement(u"done", MSG_KIND_INFO);
    EXPECT_EQ(statement.DoModal(), IDOK);
}

TEST_F(MessageDialogs, AnUnknownKindShowsTheDialogsOwnTemplateWithTheText)
{
    ASSERT_TRUE(StartApp());
    std::u16string shown;
    headless::AnswerNextModal([&](HWND dlg) {
        shown = headless::Text(::GetDlgItem(dlg, IDC_MESSAGE_TEXT));
        ::PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    });
    CSkinMessageDlg dlg(u"plain text", 0);
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(shown, u"plain text");
}

// The worker asks while the UI thread shows a statement of its own: the question is sent to the frame and
// answered in the statement's modal loop, and each box shows its own caller's text.
TEST_F(MessageDialogs, AWorkersQuestionIsServedWhileTheUiThreadIsInAModalBox)
{
    ASSERT_TRUE(StartApp());
    std::atomic<int> workerAnswer{-1};
    std::thread worker;
    HWND statementBox = nullptr;
    headless::AnswerNextModal([&](HWND box) {
        statementBox = box;
        worker = std::thread([&] { workerAnswer = EngineUi().AskYesNo(u"worker question") ? 1 : 0; });
    });
    headless::AnswerNextModal([&](HWND box) {
        EXPECT_NE(box, statementBox);
        ::PostMessageW(box, WM_COMMAND, IDYES, 0);
        ::PostMessageW(statementBox, WM_COMMAND, IDOK, 0);
    });
    ShowAppMessage(u"ui statement", MSG_KIND_INFO);
    worker.join();
    EXPECT_EQ(workerAnswer, 1);
}

// Progress from a worker never waits: the values are kept and the last one reaches the UI thread once.
TEST_F(MessageDialogs, PostedUpdatesKeepOnlyTheLatestValuePerKey)
{
    ASSERT_TRUE(StartApp());
    CAppEngineUi* ui = AppEngineUi();
    std::vector<int> seen;
    std::thread worker([&] {
        for (int i = 1; i <= 50; ++i)
            ui->PostLatest(CAppEngineUi::PostedKey(CAppEngineUi::POSTED_PROGRESS), [&seen, i] { seen.push_back(i); });
        ui->PostLatest(CAppEngineUi::PostedKey(CAppEngineUi::POSTED_STATUS, 1), [&seen] { seen.push_back(1000); });
    });
    worker.join();
    EXPECT_TRUE(seen.empty()) << "nothing runs on the worker";
    headless::PumpUntilIdle();
    EXPECT_EQ(seen, (std::vector<int>{50, 1000}));
}

// A value that follows a delivery within 40 ms waits for the clock's next turn (at most 25 deliveries a
// second), and a worker's end brings every waiting value at once.
TEST_F(MessageDialogs, PostedUpdatesComeAtMostEvery40MsAndAllAtAWorkersEnd)
{
    ASSERT_TRUE(StartApp());
    CAppEngineUi* ui = AppEngineUi();
    std::vector<int> seen;
    auto fromWorker = [&](const std::function<void()>& call) {
        std::thread(call).join();
        headless::PumpUntilIdle();
    };
    auto post = [&](int value) {
        fromWorker([&, value] {
            ui->PostLatest(CAppEngineUi::PostedKey(CAppEngineUi::POSTED_PROGRESS), [&seen, value] { seen.push_back(value); });
        });
    };
    post(1);
    EXPECT_EQ(seen, (std::vector<int>{1}));
    post(2);
    post(3);
    EXPECT_EQ(seen, (std::vector<int>{1}));
    headless::AdvanceClock(CAppEngineUi::kPostedIntervalMs - 1);
    headless::PumpUntilIdle();
    EXPECT_EQ(seen, (std::vector<int>{1}));
    headless::AdvanceClock(1);
    headless::PumpUntilIdle();
    EXPECT_EQ(seen, (std::vector<int>{1, 3}));
    post(4);
    EXPECT_EQ(seen, (std::vector<int>{1, 3}));
    fromWorker([ui] { ui->WorkerFinishing(); });
    EXPECT_EQ(seen, (std::vector<int>{1, 3, 4}));
}

} // namespace

namespace {

// A list fill on a worker shows the progress-wait dialog through the port: made and ended on the UI thread,
// the frame disabled meanwhile, positions posted without waiting.
TEST_F(MessageDialogs, AWorkersListFillShowsTheProgressDialogOnTheUiThread)
{
    ASSERT_TRUE(StartApp());
    std::atomic<int> step{0};
    std::thread worker([&] {
        EngineUi().BeginListProgress();
        step = 1;
        EngineUi().SetListProgress(40);
        while (step != 2)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EngineUi().EndListProgress();
        step = 3;
    });
    ASSERT_TRUE(PumpUntil([&] { return step == 1; }, 10000));
    headless::PumpUntilIdle();
    HWND dlg = headless::FindOne({nullptr, u"进程...", -1, nullptr, true});
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(headless::Text(::GetDlgItem(dlg, IDC_PROGRESS_PERCENT)), u"40%");
    EXPECT_FALSE(m_frame->IsWindowEnabled());
    step = 2;
    ASSERT_TRUE(PumpUntil([&] { return step == 3; }, 10000));
    worker.join();
    EXPECT_FALSE(::IsWindow(dlg));
    EXPECT_TRUE(m_frame->IsWindowEnabled());
}

// The dialog empties the queue at each position; a fill that ends in there (here: a posted update that
// ends it) closes the dialog only once that position has been shown, never under it.
TEST_F(MessageDialogs, AListFillEndedWhileItsDialogShowsAPositionClosesItAfterwards)
{
    ASSERT_TRUE(StartApp());
    CAppEngineUi* ui = AppEngineUi();
    ui->BeginListProgress();
    HWND dlg = headless::FindOne({nullptr, u"进程...", -1, nullptr, true});
    ASSERT_NE(dlg, nullptr);
    std::thread([ui] {
        ui->PostLatest(CAppEngineUi::PostedKey(CAppEngineUi::POSTED_PAGE_FIRST), [ui] { ui->EndListProgress(); });
    }).join();
    ui->SetListProgress(50);
    EXPECT_FALSE(::IsWindow(dlg));
    EXPECT_TRUE(m_frame->IsWindowEnabled());
    // The next fill makes a dialog of its own.
    ui->BeginListProgress();
    HWND next = headless::FindOne({nullptr, u"进程...", -1, nullptr, true});
    EXPECT_NE(next, nullptr);
    ui->EndListProgress();
    EXPECT_FALSE(::IsWindow(next));
}

} // namespace
