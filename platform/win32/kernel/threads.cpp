// Threads with cooperative suspension, the checkpoint where they stop, sleeping and tick counts.
#include "win32/kernel/clock.h"
#include "win32/kernel/sync.h"
#include "win32/kernel/util.h"

#include <future>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace dovemark::kernel {
namespace {

thread_local std::shared_ptr<ThreadObject> t_self;

DWORD OsThreadId()
{
    return DWORD(syscall(SYS_gettid));
}

std::shared_ptr<ThreadObject> ThreadFrom(HANDLE h)
{
    if (h == GetCurrentThread())
        return CurrentThreadObject();
    return Lookup<ThreadObject>(h);
}

int NiceFor(int priority)
{
    switch (priority) {
    case THREAD_PRIORITY_IDLE: return 19;
    case THREAD_PRIORITY_LOWEST: return 10;
    case THREAD_PRIORITY_BELOW_NORMAL: return 5;
    case THREAD_PRIORITY_ABOVE_NORMAL: return -5;
    case THREAD_PRIORITY_HIGHEST: return -10;
    case THREAD_PRIORITY_TIME_CRITICAL: return -20;
    default: return 0;
    }
}

} // namespace

std::shared_ptr<ThreadObject> CurrentThreadObject()
{
    if (!t_self) {
        t_self = std::make_shared<ThreadObject>();
        t_self->id = OsThreadId();
    }
    return t_self;
}

} // namespace dovemark::kernel

using namespace dovemark::kernel;

void dovemark::Checkpoint()
{
    const auto& self = t_self;
    if (!self || self->suspendCount.load() == 0)
        return; // a thread nobody can name cannot have been suspended
    std::unique_lock<std::mutex> lock(SyncLock());
    while (self->suspendCount > 0)
        SyncChanged().wait(lock);
}

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter,
                    DWORD dwCreationFlags, LPDWORD lpThreadId)
{
    if (!lpStartAddress) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto object = std::make_shared<ThreadObject>();
    object->suspendCount = (dwCreationFlags & CREATE_SUSPENDED) ? 1 : 0;
    HANDLE h = InsertHandle(object);
    if (!h)
        return nullptr;
    std::promise<DWORD> started;
    std::future<DWORD> id = started.get_future();
    try {
        std::thread([object, lpStartAddress, lpParameter, &started] {
            t_self = object;
            {
                std::lock_guard<std::mutex> g(SyncLock());
                object->id = OsThreadId();
            }
            started.set_value(object->id);
            dovemark::Checkpoint(); // a thread created suspended waits here for its first resume
            DWORD code;
            try {
                code = lpStartAddress(lpParameter);
            } catch (const ThreadExit& exit) {
                code = exit.code;
            }
            std::lock_guard<std::mutex> g(SyncLock());
            object->exitCode = code;
            object->finished = true;
            AbandonMutexesOf(object->id);
            SyncChanged().notify_all();
        }).detach();
    } catch (const std::system_error&) {
        CloseHandle(h);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    DWORD tid = id.get();
    if (lpThreadId)
        *lpThreadId = tid;
    SetLastError(ERROR_SUCCESS);
    return h;
}

void ExitThread(DWORD dwExitCode)
{
    throw ThreadExit{dwExitCode};
}

DWORD SuspendThread(HANDLE hThread)
{
    auto thread = ThreadFrom(hThread);
    if (!thread)
        return DWORD(-1);
    DWORD previous;
    {
        std::lock_guard<std::mutex> g(SyncLock());
        if (thread->finished) {
            SetLastError(ERROR_ACCESS_DENIED);
            return DWORD(-1);
        }
        if (thread->suspendCount >= MAXIMUM_SUSPEND_COUNT) {
            SetLastError(ERROR_SIGNAL_REFUSED);
            return DWORD(-1);
        }
        previous = DWORD(thread->suspendCount.fetch_add(1));
    }
    if (thread == t_self)
        dovemark::Checkpoint(); // suspending oneself stops here until another thread resumes
    return previous;
}

DWORD ResumeThread(HANDLE hThread)
{
    auto thread = ThreadFrom(hThread);
    if (!thread)
        return DWORD(-1);
    std::lock_guard<std::mutex> g(SyncLock());
    DWORD previous = DWORD(thread->suspendCount.load());
    if (previous > 0 && --thread->suspendCount == 0)
        SyncChanged().notify_all();
    return previous;
}

BOOL GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode)
{
    auto thread = ThreadFrom(hThread);
    if (!thread)
        return FALSE;
    if (!lpExitCode)
        return Fail(ERROR_INVALID_PARAMETER);
    std::lock_guard<std::mutex> g(SyncLock());
    *lpExitCode = thread->exitCode;
    return TRUE;
}

BOOL SetThreadPriority(HANDLE hThread, int nPriority)
{
    auto thread = ThreadFrom(hThread);
    if (!thread)
        return FALSE;
    if (NiceFor(nPriority) == 0 && nPriority != THREAD_PRIORITY_NORMAL)
        return Fail(ERROR_INVALID_PARAMETER);
    thread->priority = nPriority;
    // Linux lets an ordinary user lower a thread's priority only; a raise it refuses is still
    // accepted here, as the program cannot act on a refusal anyway.
    setpriority(PRIO_PROCESS, id_t(thread->id), NiceFor(nPriority));
    return TRUE;
}

int GetThreadPriority(HANDLE hThread)
{
    auto thread = ThreadFrom(hThread);
    return thread ? thread->priority : THREAD_PRIORITY_ERROR_RETURN;
}

HANDLE GetCurrentThread()
{
    return reinterpret_cast<HANDLE>(LONG_PTR(-2));
}

DWORD GetCurrentThreadId()
{
    static thread_local DWORD id = OsThreadId();
    return id;
}

DWORD GetThreadId(HANDLE hThread)
{
    auto thread = ThreadFrom(hThread);
    return thread ? thread->id : 0;
}

void Sleep(DWORD dwMilliseconds)
{
    dovemark::Checkpoint();
    if (dwMilliseconds == 0) {
        std::this_thread::yield();
        return;
    }
    ULONGLONG deadline = dovemark::clock::DeadlineAfter(dwMilliseconds);
    std::unique_lock<std::mutex> lock(SyncLock());
    dovemark::clock::WaitUntil(lock, SyncChanged(), deadline, [] { return false; });
}

DWORD GetTickCount()
{
    return DWORD(dovemark::clock::NowMs());
}

ULONGLONG GetTickCount64()
{
    return dovemark::clock::NowMs();
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount)
{
    if (!lpPerformanceCount)
        return Fail(ERROR_NOACCESS);
    if (dovemark::clock::IsVirtual()) {
        lpPerformanceCount->QuadPart = LONGLONG(dovemark::clock::NowMs() * 1000);
    } else {
        using namespace std::chrono;
        lpPerformanceCount->QuadPart = duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
    }
    return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency)
{
    if (!lpFrequency)
        return Fail(ERROR_NOACCESS);
    lpFrequency->QuadPart = 1000000;
    return TRUE;
}
