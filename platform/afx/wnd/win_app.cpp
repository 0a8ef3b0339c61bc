// CWinApp: the one application object, its start and its message loop.
#include "afx/app.h"
#include "afx/wnd.h"
#include "backend/x11/x11.h"

IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

namespace {
CWinApp* g_pApp = nullptr;
}

CWinApp::CWinApp(LPCWSTR lpszAppName) : CWinAppProfile(lpszAppName) {
    // The application object lives on the thread that runs the program's main loop and is
    // never deleted by it.
    m_bAutoDelete = FALSE;
    m_nThreadID = ::GetCurrentThreadId();
    m_hInstance = ::GetModuleHandleW(nullptr);
    if (!g_pApp)
        g_pApp = this;
}

CWinApp::~CWinApp() {
    if (g_pApp == this)
        g_pApp = nullptr;
}

int CWinApp::Run() {
    // Without a main window nothing could ever end the loop.
    if (!m_pMainWnd)
        ::PostQuitMessage(0);
    return CWinThread::Run();
}

CWinApp* AfxGetApp() { return g_pApp; }

CWnd* AfxGetMainWnd() {
    if (CWinThread* pThread = AfxGetThread(); pThread && pThread->m_pMainWnd)
        return pThread->m_pMainWnd;
    return g_pApp ? g_pApp->m_pMainWnd : nullptr;
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR lpCmdLine, int nCmdShow) {
    CWinApp* pApp = AfxGetApp();
    if (!pApp)
        return -1;
    pApp->m_hInstance = hInstance ? hInstance : ::GetModuleHandleW(nullptr);
    pApp->m_lpCmdLine = lpCmdLine;
    pApp->m_nCmdShow = nCmdShow;
    pApp->m_nThreadID = ::GetCurrentThreadId();
    // On a desktop the windows are shown through X; without one the program runs headless.
    bool desktop = x11::StartIfDisplay();
    int nReturnCode;
    if (!pApp->InitInstance()) {
        if (pApp->m_pMainWnd && pApp->m_pMainWnd->m_hWnd)
            pApp->m_pMainWnd->DestroyWindow();
        nReturnCode = pApp->ExitInstance();
    } else {
        nReturnCode = pApp->Run();
    }
    if (desktop)
        x11::Stop();
    return nReturnCode;
}
