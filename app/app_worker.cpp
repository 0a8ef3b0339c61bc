// The dialogs' own worker threads.
#include "app/app_worker.h"

#include "afx/thread.h"
#include "app/engine_ui.h"

CAppWorker::~CAppWorker()
{
    if (!m_pThread)
        return;
    RequestStop();
    PumpUntil([this] { return IsFinished(); });
    Collect();
}

BOOL CAppWorker::Start(std::function<void(CAppWorker&)> body, HWND hwndNotify, UINT message)
{
    if (m_pThread)
        return FALSE;
    m_body = std::move(body);
    m_hwndNotify = hwndNotify;
    m_nNotifyMessage = message;
    m_bStop = false;
    m_bFinished = false;
    m_bPaused = false;
    CWinThread* thread = AfxBeginThread(ThreadProc, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (!thread)
        return FALSE;
    // The object outlives the thread, so Collect can still wait on its handle.
    thread->m_bAutoDelete = FALSE;
    m_pThread = thread;
    thread->ResumeThread();
    return TRUE;
}

UINT CAppWorker::ThreadProc(LPVOID param)
{
    auto* self = static_cast<CAppWorker*>(param);
    self->m_body(*self);
    // The note comes first: once the signal is set the owner may free this object at any moment.
    if (self->m_hwndNotify)
        ::PostMessageW(self->m_hwndNotify, self->m_nNotifyMessage, 0, 0);
    self->m_bFinished = true;
    return 0;
}

bool CAppWorker::PollPoint()
{
    std::unique_lock<std::mutex> hold(m_lock);
    m_changed.wait(hold, [this] { return !m_bPaused || m_bStop.load(); });
    return m_bStop.load();
}

void CAppWorker::RequestStop()
{
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_bStop = true;
        m_bPaused = false;
    }
    m_changed.notify_all();
}

void CAppWorker::SetPaused(bool paused)
{
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_bPaused = paused;
    }
    m_changed.notify_all();
}

bool CAppWorker::Collect()
{
    if (!m_pThread || !m_bFinished)
        return false;
    ::WaitForSingleObject(m_pThread->m_hThread, INFINITE);
    delete m_pThread;
    m_pThread = nullptr;
    return true;
}
