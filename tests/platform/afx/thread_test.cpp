// CWinThread: worker threads, AfxEndThread unwinding, auto-delete and threads made from run-time classes.
#include "afx/thread.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

std::atomic<int> g_unwound{0};

void DeepInTheWorker(UINT code)
{
    struct Guard {
        ~Guard() { ++g_unwound; }
    } guard;
    AfxEndThread(code);
}

UINT CDECL Worker(LPVOID p)
{
    *static_cast<CWinThread**>(p) = AfxGetThread();
    DeepInTheWorker(9);
    return 1; // never reached
}

TEST(WinThread, AfxEndThreadUnwindsToTheStartWithItsCode)
{
    CWinThread* seen = nullptr;
    CWinThread* t = AfxBeginThread(Worker, &seen, THREAD_PRIORITY_BELOW_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(t, nullptr);
    EXPECT_NE(t->m_hThread, nullptr);
    EXPECT_NE(t->m_nThreadID, 0u);
    t->m_bAutoDelete = FALSE; // keep the object to read its results
    EXPECT_EQ(t->GetThreadPriority(), THREAD_PRIORITY_BELOW_NORMAL);
    EXPECT_EQ(t->ResumeThread(), 1u);
    ASSERT_EQ(WaitForSingleObject(*t, 5000), DWORD(WAIT_OBJECT_0));
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(t->m_hThread, &code));
    EXPECT_EQ(code, 9u);
    EXPECT_EQ(g_unwound, 1);
    EXPECT_EQ(seen, t);
    EXPECT_EQ(AfxGetThread(), nullptr);
    delete t;
}

std::atomic<int> g_destroyed{0};

class CCountedThread : public CWinThread {
    DECLARE_DYNCREATE(CCountedThread)
public:
    ~CCountedThread() override { ++g_destroyed; }
    BOOL InitInstance() override { return FALSE; }
    int ExitInstance() override { return 5; }
};
IMPLEMENT_DYNCREATE(CCountedThread, CWinThread)

TEST(WinThread, ThreadObjectsDeleteThemselvesWhenTheyEnd)
{
    CWinThread* t = AfxBeginThread(RUNTIME_CLASS(CCountedThread));
    ASSERT_NE(t, nullptr);
    for (int i = 0; i < 5000 && g_destroyed == 0; ++i)
        Sleep(1);
    EXPECT_EQ(g_destroyed, 1);
    EXPECT_EQ(AfxBeginThread(RUNTIME_CLASS(CObject)), nullptr); // not a thread class
    EXPECT_EQ(AfxBeginThread(static_cast<AFX_THREADPROC>(nullptr), nullptr), nullptr);
}

class CQuittingThread : public CWinThread {
    DECLARE_DYNCREATE(CQuittingThread)
public:
    BOOL InitInstance() override
    {
        PostThreadMessageW(GetCurrentThreadId(), WM_USER, 0, 0);
        return TRUE;
    }
    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (msg->message == WM_USER)
            PostQuitMessage(6); // seen through the loop, then the loop ends with its code
        return FALSE;
    }
};
IMPLEMENT_DYNCREATE(CQuittingThread, CWinThread)

TEST(WinThread, AUserInterfaceThreadRunsItsMessageLoopUntilQuit)
{
    CWinThread* t = AfxBeginThread(RUNTIME_CLASS(CQuittingThread), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(t, nullptr);
    t->m_bAutoDelete = FALSE;
    t->ResumeThread();
    ASSERT_EQ(WaitForSingleObject(t->m_hThread, 5000), DWORD(WAIT_OBJECT_0));
    DWORD code = 0;
    GetExitCodeThread(t->m_hThread, &code);
    EXPECT_EQ(code, 6u);
    delete t;
}

} // namespace
