// Threads, cooperative suspension, waits on the replaceable clock, and the synchronisation objects.
#include "win32/kernel.h"
#include "win32/kernel/clock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

struct Worker {
    std::atomic<long> steps{0};
    std::atomic<bool> stop{false};
};

DWORD WINAPI CountSteps(LPVOID p)
{
    auto* w = static_cast<Worker*>(p);
    while (!w->stop) {
        ++w->steps;
        Sleep(1); // a call into the layer: where a suspended worker stops
    }
    return 42;
}

void WaitForSteps(Worker& w, long atLeast)
{
    for (int i = 0; i < 5000 && w.steps < atLeast; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TEST(Threads, AWorkerStopsAtItsNextLayerCallWhileSuspended)
{
    Worker w;
    DWORD id = 0;
    HANDLE t = CreateThread(nullptr, 0, CountSteps, &w, 0, &id);
    ASSERT_NE(t, nullptr);
    EXPECT_NE(id, 0u);
    EXPECT_EQ(GetThreadId(t), id);
    WaitForSteps(w, 3);

    EXPECT_EQ(SuspendThread(t), 0u);
    EXPECT_EQ(SuspendThread(t), 1u);
    long held = w.steps;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    long after = w.steps;
    EXPECT_LE(after - held, 1); // at most the step that was under way
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(w.steps, after);

    EXPECT_EQ(ResumeThread(t), 2u);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(w.steps, after); // still suspended once
    EXPECT_EQ(ResumeThread(t), 1u);
    WaitForSteps(w, after + 3);
    EXPECT_GE(w.steps, after + 3);
    EXPECT_EQ(ResumeThread(t), 0u);

    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(t, &code));
    EXPECT_EQ(code, DWORD(STILL_ACTIVE));
    w.stop = true;
    EXPECT_EQ(WaitForSingleObject(t, 5000), DWORD(WAIT_OBJECT_0));
    ASSERT_TRUE(GetExitCodeThread(t, &code));
    EXPECT_EQ(code, 42u);
    EXPECT_TRUE(CloseHandle(t));
}

std::atomic<int> g_guardsDestroyed{0};

DWORD WINAPI EndEarly(LPVOID p)
{
    *static_cast<std::atomic<bool>*>(p) = true;
    struct Guard {
        ~Guard() { ++g_guardsDestroyed; }
    } guard;
    ExitThread(7); // unwinds, so the guard above is destroyed
}

TEST(Threads, CreatedSuspendedRunsOnlyAfterResumeAndExitThreadUnwinds)
{
    std::atomic<bool> ran{false};
    HANDLE t = CreateThread(nullptr, 0, EndEarly, &ran, CREATE_SUSPENDED, nullptr);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(WaitForSingleObject(t, 30), DWORD(WAIT_TIMEOUT));
    EXPECT_FALSE(ran);
    EXPECT_EQ(ResumeThread(t), 1u);
    ASSERT_EQ(WaitForSingleObject(t, 5000), DWORD(WAIT_OBJECT_0));
    EXPECT_TRUE(ran);
    DWORD code;
    ASSERT_TRUE(GetExitCodeThread(t, &code));
    EXPECT_EQ(code, 7u);
    EXPECT_EQ(g_guardsDestroyed, 1);
    CloseHandle(t);
}

class VirtualClock : public ::testing::Test {
protected:
    void SetUp() override { dovemark::clock::UseVirtual(1000); }
    void TearDown() override { dovemark::clock::UseReal(); }
};

// Advances the virtual clock a millisecond at a time until done holds (a thread that started late
// still gets there), and returns how far it went.
template <class Done>
ULONGLONG AdvanceUntil(Done done)
{
    ULONGLONG moved = 0;
    for (int i = 0; i < 10000 && !done(); ++i, ++moved) {
        dovemark::clock::Advance(1);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return moved;
}

TEST_F(VirtualClock, TimeoutsAndSleepFollowTheClock)
{
    EXPECT_EQ(GetTickCount(), 1000u);
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<DWORD> result{0xDEAD};
    std::atomic<bool> started{false};
    std::thread waiter([&] {
        started = true;
        result = WaitForSingleObject(event, 500);
    });
    while (!started)
        std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(result, 0xDEADu); // real time passing does not time it out
    dovemark::clock::Advance(499);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(result, 0xDEADu);
    AdvanceUntil([&] { return result != 0xDEADu; });
    waiter.join();
    EXPECT_EQ(result, DWORD(WAIT_TIMEOUT));

    std::atomic<bool> slept{false};
    started = false;
    std::thread sleeper([&] {
        started = true;
        Sleep(100);
        slept = true;
    });
    while (!started)
        std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(slept);
    ULONGLONG moved = AdvanceUntil([&] { return slept.load(); });
    sleeper.join();
    EXPECT_GE(moved, 100u);
    CloseHandle(event);
}

TEST(Sync, EventsMutexesAndSemaphores)
{
    HANDLE autoEvent = CreateEventW(nullptr, FALSE, TRUE, nullptr);
    EXPECT_EQ(WaitForSingleObject(autoEvent, 0), DWORD(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(autoEvent, 0), DWORD(WAIT_TIMEOUT)); // reset by the first wait
    HANDLE manual = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 0), DWORD(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(manual, 0), DWORD(WAIT_OBJECT_0));
    ResetEvent(manual);

    HANDLE both[] = {autoEvent, manual};
    SetEvent(manual);
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), DWORD(WAIT_OBJECT_0 + 1));
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), DWORD(WAIT_TIMEOUT));
    SetEvent(autoEvent);
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), DWORD(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(autoEvent, 0), DWORD(WAIT_TIMEOUT)); // taken by the wait for all

    // A mutex is recursive for its owner and refused to everybody else.
    HANDLE mutex = CreateMutexW(nullptr, TRUE, nullptr);
    EXPECT_EQ(WaitForSingleObject(mutex, 0), DWORD(WAIT_OBJECT_0));
    DWORD other = 0;
    std::thread([&] {
        other = WaitForSingleObject(mutex, 0);
        EXPECT_FALSE(ReleaseMutex(mutex));
        EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_OWNER));
    }).join();
    EXPECT_EQ(other, DWORD(WAIT_TIMEOUT));
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_FALSE(ReleaseMutex(mutex));
    std::thread([&] { other = WaitForSingleObject(mutex, 0); }).join();
    EXPECT_EQ(other, DWORD(WAIT_OBJECT_0));

    HANDLE sem = CreateSemaphoreW(nullptr, 1, 2, nullptr);
    EXPECT_EQ(WaitForSingleObject(sem, 0), DWORD(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(sem, 0), DWORD(WAIT_TIMEOUT));
    LONG previous = -1;
    EXPECT_TRUE(ReleaseSemaphore(sem, 2, &previous));
    EXPECT_EQ(previous, 0);
    EXPECT_FALSE(ReleaseSemaphore(sem, 1, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_TOO_MANY_POSTS));

    // Named objects are shared within the process.
    HANDLE named = CreateEventW(nullptr, TRUE, FALSE, u"Dovemark.Test");
    HANDLE again = CreateEventW(nullptr, TRUE, FALSE, u"Dovemark.Test");
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
    SetEvent(named);
    EXPECT_EQ(WaitForSingleObject(again, 0), DWORD(WAIT_OBJECT_0));
    EXPECT_EQ(CreateMutexW(nullptr, FALSE, u"Dovemark.Test"), nullptr);

    HANDLE bad = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    CloseHandle(bad);
    EXPECT_EQ(WaitForSingleObject(bad, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    for (HANDLE h : {autoEvent, manual, mutex, sem, named, again})
        EXPECT_TRUE(CloseHandle(h));
}

DWORD WINAPI TakeAndEnd(LPVOID mutex)
{
    WaitForSingleObject(static_cast<HANDLE>(mutex), INFINITE);
    ExitThread(0); // ends without releasing it
}

TEST(Sync, AMutexLeftByAnEndedThreadIsAbandonedNotLost)
{
    HANDLE mutex = CreateMutexW(nullptr, FALSE, nullptr);
    HANDLE t = CreateThread(nullptr, 0, TakeAndEnd, mutex, 0, nullptr);
    ASSERT_EQ(WaitForSingleObject(t, 5000), DWORD(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(mutex, 1000), DWORD(WAIT_ABANDONED));
    EXPECT_TRUE(ReleaseMutex(mutex)); // the waiter owns it now
    EXPECT_EQ(WaitForSingleObject(mutex, 0), DWORD(WAIT_OBJECT_0));
    EXPECT_TRUE(ReleaseMutex(mutex));
    CloseHandle(t);
    CloseHandle(mutex);
}

TEST(Sync, CriticalSectionExcludesOtherThreads)
{
    CRITICAL_SECTION cs;
    InitializeCriticalSection(&cs);
    long counter = 0;
    auto work = [&] {
        for (int i = 0; i < 2000; ++i) {
            EnterCriticalSection(&cs);
            EnterCriticalSection(&cs); // recursive for the holder
            long v = counter;
            counter = v + 1;
            LeaveCriticalSection(&cs);
            LeaveCriticalSection(&cs);
        }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(counter, 4000);
    EnterCriticalSection(&cs);
    bool entered = true;
    std::thread([&] { entered = TryEnterCriticalSection(&cs); }).join();
    EXPECT_FALSE(entered);
    LeaveCriticalSection(&cs);
    DeleteCriticalSection(&cs);
}

TEST(Process, OwnProcessOnly)
{
    HANDLE self = OpenProcess(PROCESS_TERMINATE, FALSE, GetCurrentProcessId());
    ASSERT_NE(self, nullptr);
    EXPECT_EQ(WaitForSingleObject(self, 0), DWORD(WAIT_TIMEOUT));
    EXPECT_TRUE(SetPriorityClass(self, REALTIME_PRIORITY_CLASS));
    EXPECT_EQ(GetPriorityClass(self), DWORD(REALTIME_PRIORITY_CLASS));
    EXPECT_TRUE(SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS));
    EXPECT_EQ(OpenProcess(PROCESS_TERMINATE, FALSE, 1), nullptr);
    EXPECT_FALSE(TerminateProcess(UlongToHandle(0x7FF0), 0));
    EXPECT_TRUE(CloseHandle(self));
    EXPECT_EXIT(
        {
            HANDLE h = OpenProcess(PROCESS_TERMINATE, FALSE, GetCurrentProcessId());
            TerminateProcess(h, 3);
        },
        ::testing::ExitedWithCode(3), "");
}

TEST(Interlocked, ReturnsAsWindowsDoes)
{
    LONG v = 5;
    EXPECT_EQ(InterlockedIncrement(&v), 6);
    EXPECT_EQ(InterlockedDecrement(&v), 5);
    EXPECT_EQ(InterlockedExchange(&v, 9), 5);
    EXPECT_EQ(InterlockedExchangeAdd(&v, 2), 9);
    EXPECT_EQ(InterlockedCompareExchange(&v, 1, 7), 11); // no match: unchanged
    EXPECT_EQ(InterlockedCompareExchange(&v, 1, 11), 11);
    EXPECT_EQ(v, 1);
}

} // namespace
