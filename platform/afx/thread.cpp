// CWinThread: worker and user-interface threads on the kernel's threads, with MFC's auto-delete.
#include "afx/thread.h"
#include "afx/app.h"
#include "win32/kernel/sync.h"

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)

namespace {

thread_local CWinThread* t_current = nullptr;

// Thrown by AfxEndThread and caught at the start of the thread it ends.
// Derived from the kernel's, so a thread started by CreateThread also ends cleanly through it.
struct AfxThreadExit : dovemark::kernel::ThreadExit {
    BOOL deleteObject;
};

DWORD WINAPI ThreadEntry(LPVOID p)
{
    auto* thread = static_cast<CWinThread*>(p);
    t_current = thread;
    UINT code = 0;
    BOOL deleteObject = TRUE;
    try {
        if (thread->m_pfnThreadProc)
            code = thread->m_pfnThreadProc(thread->m_pThreadParams);
        else
            code = UINT(thread->InitInstance() ? thread->Run() : thread->ExitInstance());
    } catch (const AfxThreadExit& exit) {
        code = exit.code;
        deleteObject = exit.deleteObject;
    } catch (const dovemark::kernel::ThreadExit& exit) {
        code = exit.code;
    }
    t_current = nullptr;
    if (deleteObject)
        thread->Delete();
    return code;
}

} // namespace

CWinThread::CWinThread() = default;

CWinThread::CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam)
    : m_pfnThreadProc(pfnThreadProc), m_pThreadParams(pParam)
{
}

CWinThread::~CWinThread()
{
    if (m_hThread)
        CloseHandle(m_hThread);
}

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT nStackSize, LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    // Always made suspended, so that m_hThread and m_nThreadID are set before the thread can end.
    m_hThread = ::CreateThread(lpSecurityAttrs, nStackSize, ThreadEntry, this, CREATE_SUSPENDED, &m_nThreadID);
    if (!m_hThread)
        return FALSE;
    if (!(dwCreateFlags & CREATE_SUSPENDED))
        ::ResumeThread(m_hThread);
    return TRUE;
}

int CWinThread::Run()
{
    for (;;) {
        for (LONG idle = 0; !PeekMessageW(&m_msgCur, nullptr, 0, 0, PM_NOREMOVE) && OnIdle(idle); ++idle) {
        }
        if (!PumpMessage())
            return ExitInstance();
    }
}

BOOL CWinThread::PumpMessage()
{
    if (GetMessageW(&m_msgCur, nullptr, 0, 0) <= 0) // WM_QUIT, or -1 for a queue that failed
        return FALSE;
    if (!PreTranslateMessage(&m_msgCur)) {
        TranslateMessage(&m_msgCur);
        DispatchMessageW(&m_msgCur);
    }
    return TRUE;
}

void CWinThread::Delete()
{
    if (m_bAutoDelete)
        delete this;
}

namespace {

CWinThread* Start(CWinThread* thread, int nPriority, UINT nStackSize, DWORD dwCreateFlags,
                  LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    if (!thread->CreateThread(dwCreateFlags | CREATE_SUSPENDED, nStackSize, lpSecurityAttrs)) {
        delete thread;
        return nullptr;
    }
    thread->SetThreadPriority(nPriority);
    if (!(dwCreateFlags & CREATE_SUSPENDED))
        thread->ResumeThread();
    return thread;
}

} // namespace

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority, UINT nStackSize,
                           DWORD dwCreateFlags, LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    if (!pfnThreadProc)
        return nullptr;
    return Start(new CWinThread(pfnThreadProc, pParam), nPriority, nStackSize, dwCreateFlags, lpSecurityAttrs);
}

CWinThread* AfxBeginThread(CRuntimeClass* pThreadClass, int nPriority, UINT nStackSize, DWORD dwCreateFlags,
                           LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    if (!pThreadClass || !pThreadClass->IsDerivedFrom(RUNTIME_CLASS(CWinThread)))
        return nullptr;
    auto* thread = static_cast<CWinThread*>(pThreadClass->CreateObject());
    if (!thread)
        return nullptr;
    return Start(thread, nPriority, nStackSize, dwCreateFlags, lpSecurityAttrs);
}

void AfxEndThread(UINT nExitCode, BOOL bDelete)
{
    throw AfxThreadExit{{nExitCode}, bDelete};
}

CWinThread* AfxGetThread()
{
    if (t_current)
        return t_current;
    // The program's first thread runs the application object without having been started here.
    CWinApp* app = AfxGetApp();
    return app && app->m_nThreadID == GetCurrentThreadId() ? app : nullptr;
}
