// The one clock behind GetTickCount, Sleep, timed waits and every timer; tests replace it with a virtual one.
#pragma once

#include "win32/types.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace dovemark::clock {

// Milliseconds since an arbitrary origin, never going backwards. On the real clock this is the
// monotonic system clock; on the virtual clock it moves only when a test advances it.
ULONGLONG NowMs();

// Switches the process to a virtual clock that starts at startMs, or back to the real clock.
// Threads already waiting keep waiting on the clock they started with until they wake next.
void UseVirtual(ULONGLONG startMs = 0);
void UseReal();
bool IsVirtual();

// Moves the virtual clock forward and wakes everything waiting on it; ignored on the real clock.
void Advance(ULONGLONG ms);

// A listener is called (on the advancing thread, without locks of the clock held) after every
// Advance, so that message loops and timer queues can look at their deadlines again.
int AddListener(std::function<void()> listener);
void RemoveListener(int id);

// Waits on cv, with lock held by the caller, until pred() holds or the clock reaches deadlineMs
// (INFINITE_DEADLINE never times out). Returns pred(). On the virtual clock the wait also wakes
// every few real milliseconds to look at the clock, so a waiter never depends on being notified.
constexpr ULONGLONG INFINITE_DEADLINE = ~0ULL;
void WaitSlice(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, ULONGLONG deadlineMs);

template <class Pred>
bool WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, ULONGLONG deadlineMs, Pred pred)
{
    while (!pred()) {
        if (deadlineMs != INFINITE_DEADLINE && NowMs() >= deadlineMs)
            return false;
        WaitSlice(lock, cv, deadlineMs);
    }
    return true;
}

// Deadline for a Windows-style timeout in milliseconds (INFINITE waits for ever).
inline ULONGLONG DeadlineAfter(DWORD timeoutMs)
{
    return timeoutMs == INFINITE ? INFINITE_DEADLINE : NowMs() + timeoutMs;
}

} // namespace dovemark::clock
