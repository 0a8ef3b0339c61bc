// Pause and stop are flags the worker honours at its own poll points, never a suspension from outside,
// so a worker is never frozen inside an allocation or a call to the user interface.
#include "engine/scan_control.h"

#include "engine/engine_state.h"
#include "engine/ui_port.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {
std::mutex g_lock;
std::condition_variable g_changed;
bool g_paused = false;
bool g_finished = true;
bool g_failed = false;
} // namespace

void BeginScanRun()
{
    std::lock_guard<std::mutex> hold(g_lock);
    g_paused = false;
    g_finished = false;
    g_failed = false;
    ScanStopFlag = 0;
    ScanRunning = 1;
    ScanRunningTwin = 1;
}

bool ScanPollPoint()
{
    std::unique_lock<std::mutex> hold(g_lock);
    g_changed.wait(hold, [] { return !g_paused || ScanStopFlag; });
    return ScanStopFlag != 0;
}

void RequestScanPause(bool pause)
{
    {
        std::lock_guard<std::mutex> hold(g_lock);
        g_paused = pause;
    }
    g_changed.notify_all();
}

void RequestScanStop()
{
    {
        std::lock_guard<std::mutex> hold(g_lock);
        ScanStopFlag = 1;
        g_paused = false;
    }
    g_changed.notify_all();
}

void MarkWorkerFinished(bool failed)
{
    // Before the signal, never after: once it is set the port's owner may take the port away.
    EngineUi().WorkerFinishing();
    {
        std::lock_guard<std::mutex> hold(g_lock);
        ScanRunning = 0;
        ScanRunningTwin = 0;
        ScanStopFlag = 1;
        g_failed = failed;
        g_finished = true;
    }
    g_changed.notify_all();
}

bool IsWorkerFinished()
{
    std::lock_guard<std::mutex> hold(g_lock);
    return g_finished;
}

bool WorkerFailed()
{
    std::lock_guard<std::mutex> hold(g_lock);
    return g_failed;
}

bool WaitWorkerFinished(DWORD timeoutMs)
{
    std::unique_lock<std::mutex> hold(g_lock);
    return g_changed.wait_for(hold, std::chrono::milliseconds(timeoutMs), [] { return g_finished; });
}
