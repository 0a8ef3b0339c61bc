// Sent and posted messages across threads, retrieval order, timers, and subclassing chains.
#include "user_fixture.h"

#include <atomic>
#include <thread>

using namespace usertest;

namespace {

class Messages : public UserTest {};
using Names = std::vector<std::string>;

// A worker thread with its own window, serving its queue until told to stop.
class Worker {
public:
    explicit Worker(std::function<void(HWND)> body = nullptr)
    {
        thread_ = std::thread([this, body] {
            hwnd_ = MakeTop(u"worker", WS_POPUP);
            ready_ = true;
            if (body) {
                body(hwnd_);
            } else {
                MSG m;
                while (GetMessageW(&m, nullptr, 0, 0) > 0)
                    DispatchMessageW(&m);
            }
            DestroyWindow(hwnd_);
        });
        while (!ready_)
            std::this_thread::yield();
    }
    ~Worker() { Stop(); }
    void Stop()
    {
        if (thread_.joinable()) {
            PostMessageW(hwnd_, WM_QUIT, 0, 0);
            thread_.join();
        }
    }
    HWND hwnd() const { return hwnd_; }

private:
    std::thread thread_;
    std::atomic<bool> ready_{false};
    HWND hwnd_ = nullptr;
};

TEST_F(Messages, SubclassProceduresChainNewestFirst)
{
    HWND w = MakeTop(u"w");
    static std::vector<std::string> calls;
    static WNDPROC original, first;
    calls.clear();
    original = (WNDPROC)SetWindowLongPtrW(w, GWLP_WNDPROC, (LONG_PTR)+[](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_USER)
            calls.push_back("first");
        LRESULT r = CallWindowProcW(original, h, m, wp, lp);
        return m == WM_USER ? r + 1 : r;
    });
    first = (WNDPROC)SetWindowLongPtrW(w, GWLP_WNDPROC, (LONG_PTR)+[](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_USER)
            calls.push_back("second");
        LRESULT r = CallWindowProcW(first, h, m, wp, lp);
        return m == WM_USER ? r * 10 : r;
    });
    SetHandler(w, [](HWND, UINT m, WPARAM, LPARAM, LRESULT* r) {
        if (m != WM_USER)
            return false;
        calls.push_back("class");
        *r = 4;
        return true;
    });
    EXPECT_EQ(SendMessageW(w, WM_USER, 0, 0), 50);
    EXPECT_EQ(calls, (Names{"second", "first", "class"}));
    // Removing the newest subclass restores the previous chain.
    SetWindowLongPtrW(w, GWLP_WNDPROC, (LONG_PTR)first);
    calls.clear();
    EXPECT_EQ(SendMessageW(w, WM_USER, 0, 0), 5);
    EXPECT_EQ(calls, (Names{"first", "class"}));
    EXPECT_EQ(GetClassLongPtrW(w, GCLP_WNDPROC), (ULONG_PTR)original);
}

TEST_F(Messages, QueueGivesPostedBeforeInputPaintAndTimers)
{
    HWND w = MakeTop(u"w", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    headless::PumpUntilIdle();
    Log::Get().Watch({WM_USER, WM_PAINT, WM_TIMER, WM_KEYDOWN});
    SetTimer(w, 1, 100, nullptr);
    headless::AdvanceClock(150);
    InvalidateRect(w, nullptr, TRUE);
    headless::KeyDown('A');
    PostMessageW(w, WM_USER, 0, 0);
    headless::PumpUntilIdle();
    EXPECT_EQ(Describe(Log::Get().Take()), (Names{"w:USER", "w:KEYDOWN", "w:PAINT", "w:TIMER"}));
    headless::KeyUp('A');
    KillTimer(w, 1);
    headless::PumpUntilIdle();
}

TEST_F(Messages, PeekingPastAKeyForAClosedWindowDropsItInsteadOfLooping)
{
    // A key release queued for a window that is gone before it is read (a dialog closed by the
    // key's press) can never be delivered: a peek that leaves it queued must not spin on it.
    HWND w = MakeTop(u"w", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    headless::PumpUntilIdle();
    SetFocus(w);
    headless::KeyDown(VK_SHIFT);
    headless::KeyUp(VK_SHIFT);
    DestroyWindow(w);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE));
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE));
    EXPECT_GE(GetKeyState(VK_SHIFT), 0) << "the dropped events still moved the key state";
}

TEST_F(Messages, PaintIsRepeatedUntilValidatedAndTimerWaitsForIt)
{
    HWND w = MakeTop(u"w", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    headless::PumpUntilIdle();
    int paints = 0;
    SetHandler(w, [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT*) {
        if (m == WM_PAINT && ++paints == 3)
            ValidateRect(h, nullptr); // the first two leave the window invalid
        return m == WM_PAINT;
    });
    InvalidateRect(w, nullptr, FALSE);
    SetTimer(w, 7, 50, nullptr);
    headless::AdvanceClock(60);
    Log::Get().Watch({WM_PAINT, WM_TIMER});
    MSG m;
    for (int i = 0; i < 4 && PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE); ++i)
        DispatchMessageW(&m);
    EXPECT_EQ(Describe(Log::Get().Take()), (Names{"w:PAINT", "w:PAINT", "w:PAINT", "w:TIMER"}));
    // The timer is due again only after its interval.
    EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_NOREMOVE));
    headless::AdvanceClock(50);
    EXPECT_TRUE(PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_EQ(m.wParam, 7u);
    EXPECT_TRUE(KillTimer(w, 7));
    EXPECT_FALSE(KillTimer(w, 7));
}

TEST_F(Messages, TimerCallbacksAndFiltersAndQuit)
{
    static int fired;
    fired = 0;
    UINT_PTR id = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) { ++fired; });
    ASSERT_NE(id, 0u);
    headless::AdvanceClock(25);
    headless::PumpUntilIdle();
    EXPECT_EQ(fired, 1);
    // A posted WM_TIMER naming code is not a way to call it.
    PostMessageW(nullptr, WM_TIMER, 999, (LPARAM)+[](HWND, UINT, UINT_PTR, DWORD) { fired = 100; });
    headless::PumpUntilIdle();
    EXPECT_EQ(fired, 1);
    KillTimer(nullptr, id);

    HWND w = MakeTop(u"w");
    PostMessageW(w, WM_USER + 2, 0, 0);
    PostMessageW(w, WM_USER + 1, 0, 0);
    PostQuitMessage(3);
    MSG m;
    ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_USER + 1, WM_USER + 1, PM_REMOVE));
    EXPECT_EQ(m.message, (UINT)WM_USER + 1);
    EXPECT_TRUE(GetMessageW(&m, nullptr, 0, 0));
    EXPECT_EQ(m.message, (UINT)WM_USER + 2);
    EXPECT_FALSE(GetMessageW(&m, nullptr, 0, 0));
    EXPECT_EQ(m.message, (UINT)WM_QUIT);
    EXPECT_EQ(m.wParam, 3u);
}

TEST_F(Messages, SentMessagesAreServedBeforePostedOnes)
{
    HWND w = MakeTop(u"ui");
    Log::Get().Watch({WM_USER, WM_USER + 1});
    PostMessageW(w, WM_USER, 0, 0);
    std::atomic<bool> sent{false};
    std::thread t([&] {
        EXPECT_EQ(SendMessageW(w, WM_USER + 1, 0, 0), 0);
        sent = true;
    });
    // The send is served inside GetMessage, before the posted message comes out.
    while (!(GetQueueStatus(QS_SENDMESSAGE) & QS_SENDMESSAGE))
        std::this_thread::yield();
    MSG m;
    ASSERT_TRUE(GetMessageW(&m, nullptr, 0, 0));
    DispatchMessageW(&m);
    t.join();
    EXPECT_EQ(Describe(Log::Get().Take()), (Names{"ui:USER+1", "ui:USER"}));
}

TEST_F(Messages, CrossThreadSendsDoNotDeadlock)
{
    HWND ui = MakeTop(u"ui");
    SetHandler(ui, [](HWND, UINT m, WPARAM w, LPARAM, LRESULT* r) {
        if (m != WM_USER + 1)
            return false;
        *r = (LRESULT)w * 2;
        return true;
    });
    // The worker answers the UI thread by sending back to it while the UI thread waits in its own send.
    Worker worker;
    SetHandler(worker.hwnd(), [ui](HWND, UINT m, WPARAM w, LPARAM, LRESULT* r) {
        if (m != WM_USER)
            return false;
        *r = SendMessageW(ui, WM_USER + 1, w + 1, 0) + 1;
        return true;
    });
    EXPECT_EQ(SendMessageW(worker.hwnd(), WM_USER, 20, 0), 43);
    EXPECT_EQ(GetWindowThreadProcessId(worker.hwnd(), nullptr) != GetWindowThreadProcessId(ui, nullptr), true);
}

TEST_F(Messages, WorkerSendsAreServedWhileTheOwnerRunsAModalLoop)
{
    HWND ui = MakeTop(u"ui", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    std::atomic<int> served{0};
    SetHandler(ui, [&](HWND, UINT m, WPARAM, LPARAM, LRESULT* r) {
        if (m != WM_USER)
            return false;
        *r = ++served;
        return true;
    });
    std::thread worker;
    std::atomic<LRESULT> answer{0};
    // The dialog's callback starts a worker that sends to the owner while the modal loop runs; the
    // reply comes from inside the loop, which then ends.
    headless::AnswerNextModal([&](HWND dlg) {
        worker = std::thread([&, dlg] {
            answer = SendMessageW(ui, WM_USER, 0, 0);
            PostMessageW(dlg, WM_COMMAND, IDOK, 0);
        });
    });
    struct {
        DLGTEMPLATE t;
        WORD menu, cls, title;
    } tmpl{{WS_POPUP | WS_CAPTION | DS_MODALFRAME, 0, 0, 0, 0, 100, 50}, 0, 0, 0};
    INT_PTR r = DialogBoxIndirectParamW(nullptr, &tmpl.t, ui,
                                        [](HWND d, UINT m, WPARAM w, LPARAM) -> INT_PTR {
                                            if (m == WM_COMMAND)
                                                EndDialog(d, LOWORD(w) + 40);
                                            return m == WM_INITDIALOG;
                                        },
                                        0);
    worker.join();
    EXPECT_EQ(r, 41);
    EXPECT_EQ(answer, 1);
    EXPECT_TRUE(IsWindowEnabled(ui)); // the owner is enabled again
}

TEST_F(Messages, WorkerKillsATimerOfAnotherThreadsWindow)
{
    HWND w = MakeTop(u"w");
    SetTimer(w, 3, 10, nullptr);
    std::thread([&] { EXPECT_TRUE(KillTimer(w, 3)); }).join();
    headless::AdvanceClock(20);
    MSG m;
    EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
}

TEST_F(Messages, WindowsOfAnEndedThreadAreGone)
{
    HWND orphan;
    std::thread([&] { orphan = MakeTop(u"orphan", WS_POPUP); }).join();
    EXPECT_FALSE(IsWindow(orphan));
    EXPECT_EQ(SendMessageW(orphan, WM_USER, 0, 0), 0);
}

} // namespace

namespace {

TEST_F(Messages, SendMessageTimeoutGivesUpOnAThreadThatDoesNotAnswer)
{
    std::atomic<bool> release{false};
    std::atomic<int> handled{0};
    HWND target = nullptr;
    std::atomic<bool> ready{false};
    std::thread busy([&] {
        target = MakeTop(u"busy", WS_POPUP);
        SetHandler(target, [&](HWND, UINT m, WPARAM, LPARAM, LRESULT* r) {
            if (m != WM_USER)
                return false;
            ++handled;
            *r = 9;
            return true;
        });
        ready = true;
        while (!release) // busy with something else: no message calls
            std::this_thread::yield();
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&m);
        DestroyWindow(target);
    });
    while (!ready)
        std::this_thread::yield();
    std::thread clock([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        headless::AdvanceClock(200);
    });
    DWORD_PTR r = 0;
    SetLastError(0);
    EXPECT_EQ(SendMessageTimeoutW(target, WM_USER, 0, 0, SMTO_NORMAL, 100, &r), 0);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_TIMEOUT);
    clock.join();
    release = true;
    busy.join();
    EXPECT_EQ(handled, 0); // the message was withdrawn
    // Answered in time, the result comes back.
    HWND mine = MakeTop(u"mine");
    SetHandler(mine, [](HWND, UINT m, WPARAM, LPARAM, LRESULT* res) {
        *res = 4;
        return m == WM_USER;
    });
    EXPECT_EQ(SendMessageTimeoutW(mine, WM_USER, 0, 0, SMTO_NORMAL, 100, &r), 1);
    EXPECT_EQ(r, 4u);
}

} // namespace
