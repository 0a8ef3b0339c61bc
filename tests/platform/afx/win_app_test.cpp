// CWinApp: start-up, the message loop with thread messages, pre-translation and idle updates, and
// the end of the loop when the main window goes.
#include "afx/afx.h"
#include "backend/headless/driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_log;
constexpr UINT kThreadMsg = WM_APP + 5;

class ChildWnd : public CWnd {
protected:
    LRESULT OnIdleUpdate(WPARAM, LPARAM) {
        g_log.push_back("child:idle");
        return 0;
    }
    void OnKeyDown(UINT, UINT, UINT) { g_log.push_back("child:key"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ChildWnd, CWnd)
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdate)
    ON_WM_KEYDOWN()
END_MESSAGE_MAP()

class MainWnd : public CWnd {
public:
    ChildWnd m_child;
    BOOL PreTranslateMessage(MSG* pMsg) override {
        if (pMsg->message == WM_KEYDOWN && pMsg->wParam == 'Q') {
            g_log.push_back("main:pretranslate");
            return TRUE;
        }
        return FALSE;
    }
    void PostNcDestroy() override { delete this; }

protected:
    LRESULT OnIdleUpdate(WPARAM, LPARAM) {
        g_log.push_back("main:idle");
        PostMessage(WM_CLOSE);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(MainWnd, CWnd)
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdate)
END_MESSAGE_MAP()

class TestApp : public CWinApp {
public:
    BOOL m_bStart = TRUE;
    CWnd* m_pSeenMain = nullptr;
    BOOL InitInstance() override {
        if (!m_bStart)
            return FALSE;
        auto* pMain = new MainWnd;
        if (!pMain->CreateEx(0, nullptr, u"main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 300, 200), nullptr,
                             0))
            return FALSE;
        pMain->m_child.Create(nullptr, u"child", WS_VISIBLE, CRect(0, 0, 50, 50), pMain, 1);
        m_pMainWnd = pMain;
        m_pSeenMain = AfxGetMainWnd();
        ::PostThreadMessageW(::GetCurrentThreadId(), kThreadMsg, 3, 0);
        ::PostMessageW(pMain->m_child.m_hWnd, WM_KEYDOWN, 'Q', 0);
        ::PostMessageW(pMain->m_child.m_hWnd, WM_KEYDOWN, 'W', 0);
        return TRUE;
    }
    int ExitInstance() override {
        g_log.push_back("exit");
        return CWinApp::ExitInstance();
    }

protected:
    void OnThreadMessage(WPARAM wParam, LPARAM) { g_log.push_back("thread:" + std::to_string(wParam)); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestApp, CWinApp)
    ON_THREAD_MESSAGE(kThreadMsg, OnThreadMessage)
END_MESSAGE_MAP()

TEST(WinApp, RunsFromStartToTheEndOfItsMainWindow) {
    headless::PumpUntilIdle();
    g_log.clear();
    TestApp app;
    EXPECT_EQ(AfxGetApp(), &app);
    EXPECT_EQ(AfxGetThread(), &app);
    EXPECT_EQ(AfxWinMain(nullptr, nullptr, nullptr, SW_SHOW), 0);
    EXPECT_NE(app.m_pSeenMain, nullptr);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    EXPECT_EQ(AfxGetMainWnd(), nullptr);
    EXPECT_EQ(g_log, (std::vector<std::string>{"thread:3", "main:pretranslate", "child:key", "main:idle",
                                               "child:idle", "exit"}));
}

TEST(WinApp, FailedStartGoesStraightToExitInstance) {
    g_log.clear();
    TestApp app;
    app.m_bStart = FALSE;
    AfxWinMain(nullptr, nullptr, nullptr, SW_SHOW);
    EXPECT_EQ(g_log, std::vector<std::string>{"exit"});
}

TEST(WinApp, RunWithoutAMainWindowEndsInsteadOfWaitingForever) {
    TestApp app;
    EXPECT_EQ(app.Run(), 0);
}

} // namespace
