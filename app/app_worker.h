// CAppWorker: a dialog's own worker thread with a cooperative stop and pause, and a finished signal that
// the worker sets as its very last act. The dialog never suspends or waits on the thread while it runs:
// it reads the signal from a timer and only then collects the thread.
#pragma once

#include "afx/afx.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

class CWinThread;

class CAppWorker {
public:
    CAppWorker() = default;
    // A worker still running is stopped and served until it has finished.
    ~CAppWorker();
    CAppWorker(const CAppWorker&) = delete;
    CAppWorker& operator=(const CAppWorker&) = delete;

    // Starts body on a new thread; FALSE when one still runs or no thread could be made. When body has
    // returned, the worker posts message to hwnd (when given) and then sets its finished signal.
    BOOL Start(std::function<void(CAppWorker&)> body, HWND hwndNotify = nullptr, UINT message = 0);
    // The worker's poll point: waits while paused; true when it should stop.
    bool PollPoint();

    // The user-interface side.
    void RequestStop();
    void SetPaused(bool paused);
    bool IsStopRequested() const { return m_bStop.load(); }
    // Started and its finished signal not yet collected.
    bool IsRunning() const { return m_pThread != nullptr; }
    bool IsFinished() const { return m_bFinished.load(); }
    // After the finished signal: waits for the thread's end (it only returns) and frees it; true when
    // there was one to collect.
    bool Collect();

private:
    static UINT ThreadProc(LPVOID param);

    CWinThread* m_pThread = nullptr;
    std::function<void(CAppWorker&)> m_body;
    HWND m_hwndNotify = nullptr;
    UINT m_nNotifyMessage = 0;
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::atomic<bool> m_bStop{false};
    std::atomic<bool> m_bFinished{false};
    bool m_bPaused = false;
};
