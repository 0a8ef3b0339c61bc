// CWinThread, AfxBeginThread and AfxEndThread.
#pragma once

#include "afx/core.h"
#include "afx/cmd_target.h"
#include "win32/win32.h"

class CWnd;

typedef UINT(CDECL* AFX_THREADPROC)(LPVOID);

class CWinThread : public CCmdTarget {
    DECLARE_DYNAMIC(CWinThread)
public:
    CWinThread();
    CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam);
    ~CWinThread() override; // closes m_hThread

    // Starts the thread (suspended when asked); FALSE when the system could not make it.
    BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0, LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
    DWORD SuspendThread() { return ::SuspendThread(m_hThread); }
    DWORD ResumeThread() { return ::ResumeThread(m_hThread); }
    BOOL SetThreadPriority(int nPriority) { return ::SetThreadPriority(m_hThread, nPriority); }
    int GetThreadPriority() { return ::GetThreadPriority(m_hThread); }
    operator HANDLE() const { return m_hThread; }

    // A user-interface thread made from a run-time class runs InitInstance, then Run while
    // InitInstance succeeded, and ends with the code of Run or ExitInstance.
    virtual BOOL InitInstance() { return FALSE; }
    // The thread's message loop: until WM_QUIT, with OnIdle while the queue is empty.
    virtual int Run();
    // The WM_QUIT code, unless a derived class says otherwise.
    virtual int ExitInstance() { return int(m_msgCur.wParam); }
    // One message: FALSE on WM_QUIT (or a failing queue), else translated and dispatched unless
    // PreTranslateMessage took it.
    virtual BOOL PumpMessage();
    // Thread messages go to the thread's message map; window messages are offered to the
    // framework windows from their target up to the main window.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // Called while the queue is empty with a growing count; TRUE asks for another call. Count 0
    // updates the main window's bars (WM_IDLEUPDATECMDUI), count 1 frees temporary objects.
    virtual BOOL OnIdle(LONG lCount);
    BOOL DispatchThreadMessageEx(MSG* pMsg);
    // Ends the object at the thread's end when m_bAutoDelete is set.
    virtual void Delete();

    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;
    BOOL m_bAutoDelete = TRUE;
    CWnd* m_pMainWnd = nullptr;
    CWnd* m_pActiveWnd = nullptr;

    MSG m_msgCur{};

    AFX_THREADPROC m_pfnThreadProc = nullptr;
    LPVOID m_pThreadParams = nullptr;

    DECLARE_MESSAGE_MAP()
};

// Starts a worker running pfnThreadProc(pParam); the object deletes itself when the thread ends
// (unless its m_bAutoDelete is cleared while it is suspended). Null when the thread could not start.
CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority = THREAD_PRIORITY_NORMAL,
                           UINT nStackSize = 0, DWORD dwCreateFlags = 0,
                           LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
// Starts a thread of a class derived from CWinThread, made through its run-time class.
CWinThread* AfxBeginThread(CRuntimeClass* pThreadClass, int nPriority = THREAD_PRIORITY_NORMAL, UINT nStackSize = 0,
                           DWORD dwCreateFlags = 0, LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
// Unwinds the calling thread to its start (destroying what lives on its stack) and ends it with the
// code; the thread object is deleted as at a normal end when bDelete is TRUE.
[[noreturn]] void AfxEndThread(UINT nExitCode, BOOL bDelete = TRUE);
// The CWinThread of the calling thread, null for threads it does not run.
CWinThread* AfxGetThread();
