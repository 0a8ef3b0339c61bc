// Waitable kernel objects, the one lock and condition they are waited on under, and thread objects.
#pragma once

#include "win32/kernel.h"
#include "win32/kernel/handles.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace dovemark::kernel {

// All waitable state is guarded by one lock, so a wait on several objects sees them consistently.
std::mutex& SyncLock();
std::condition_variable& SyncChanged();

class Waitable : public KernelObject {
public:
    // Both called with SyncLock held.
    virtual bool IsSignaled(DWORD threadId) const = 0;
    virtual void Acquire(DWORD /*threadId*/) {}
    // Whether the last Acquire took an object its owner left behind (abandoned mutexes).
    virtual bool TakeAbandoned() { return false; }
};

class ThreadObject : public Waitable {
public:
    bool IsSignaled(DWORD) const override { return finished; }

    DWORD id = 0;
    bool finished = false;             // guarded by SyncLock
    DWORD exitCode = STILL_ACTIVE;     // guarded by SyncLock
    std::atomic<int> suspendCount{0};  // changed under SyncLock; read without it on the fast path
    int priority = THREAD_PRIORITY_NORMAL;
};

// Releases the mutexes a finished thread still owns, so their next waiter gets WAIT_ABANDONED
// instead of waiting for ever. Called with SyncLock held.
void AbandonMutexesOf(DWORD threadId);

// The calling thread's object; made on first use for threads the layer did not start.
std::shared_ptr<ThreadObject> CurrentThreadObject();

// Thrown by ExitThread and caught at the thread's start; deliberately no std::exception.
struct ThreadExit {
    DWORD code;
};

} // namespace dovemark::kernel
