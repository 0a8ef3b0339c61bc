// The replaceable clock: monotonic real time, or a virtual time that tests advance.
#include "win32/kernel/clock.h"

#include <atomic>
#include <map>
#include <vector>

namespace dovemark::clock {
namespace {

std::atomic<bool> g_virtual{false};
std::atomic<ULONGLONG> g_virtualNow{0};

std::mutex& ListenerLock()
{
    static std::mutex m;
    return m;
}

std::map<int, std::function<void()>>& Listeners()
{
    static std::map<int, std::function<void()>> listeners;
    return listeners;
}

ULONGLONG RealNowMs()
{
    using namespace std::chrono;
    return ULONGLONG(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void NotifyListeners()
{
    std::vector<std::function<void()>> copy;
    {
        std::lock_guard<std::mutex> g(ListenerLock());
        for (auto& [id, fn] : Listeners())
            copy.push_back(fn);
    }
    for (auto& fn : copy)
        fn();
}

} // namespace

ULONGLONG NowMs()
{
    return g_virtual.load() ? g_virtualNow.load() : RealNowMs();
}

void UseVirtual(ULONGLONG startMs)
{
    g_virtualNow = startMs;
    g_virtual = true;
    NotifyListeners();
}

void UseReal()
{
    g_virtual = false;
    NotifyListeners();
}

bool IsVirtual()
{
    return g_virtual.load();
}

void Advance(ULONGLONG ms)
{
    if (!g_virtual.load())
        return;
    g_virtualNow += ms;
    NotifyListeners();
}

int AddListener(std::function<void()> listener)
{
    static int nextId = 0;
    std::lock_guard<std::mutex> g(ListenerLock());
    int id = ++nextId;
    Listeners()[id] = std::move(listener);
    return id;
}

void RemoveListener(int id)
{
    std::lock_guard<std::mutex> g(ListenerLock());
    Listeners().erase(id);
}

void WaitSlice(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, ULONGLONG deadlineMs)
{
    using namespace std::chrono;
    if (g_virtual.load()) {
        cv.wait_for(lock, milliseconds(2));
        return;
    }
    if (deadlineMs == INFINITE_DEADLINE) {
        // Bounded, so that a switch to the virtual clock is noticed by long waiters.
        cv.wait_for(lock, milliseconds(50));
        return;
    }
    ULONGLONG now = RealNowMs();
    if (deadlineMs > now)
        cv.wait_for(lock, milliseconds(std::min<ULONGLONG>(deadlineMs - now, 50)));
}

} // namespace dovemark::clock
