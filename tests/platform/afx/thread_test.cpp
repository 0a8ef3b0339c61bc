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

} // namespace
