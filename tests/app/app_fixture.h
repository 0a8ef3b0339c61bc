// Starts the application headless as the program does (InitInstance on this thread) and ends it with its
// frame, so each test sees a fresh frame, pages and port.
#pragma once

#include "app/dovemark_app.h"
#include "app/main_frame.h"
#include "backend/headless/driver.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

class AppFixture : public ::testing::Test {
protected:
    // Runs the start-up with the command line; false when InitInstance failed.
    bool StartApp(const std::u16string& commandLine = u"")
    {
        headless::UseVirtualClock();
        m_line = commandLine;
        m_app = std::make_unique<CDovemarkApp>();
        m_app->m_hInstance = ::GetModuleHandleW(nullptr);
        m_app->m_lpCmdLine = m_line.data();
        m_app->m_nThreadID = ::GetCurrentThreadId();
        if (!m_app->InitInstance())
            return false;
        m_frame = MainFrame();
        m_hwndFrame = m_frame ? m_frame->m_hWnd : nullptr;
        headless::PumpUntilIdle();
        return m_frame != nullptr;
    }

    void TearDown() override
    {
        headless::ClearModalAnswers();
        // The frame frees itself with its window, which the test may have closed already.
        if (m_hwndFrame && ::IsWindow(m_hwndFrame))
            ::DestroyWindow(m_hwndFrame);
        m_hwndFrame = nullptr;
        m_frame = nullptr;
        for (HWND h : headless::TopLevelWindows())
            ::DestroyWindow(h);
        m_app.reset();
        // The next test starts on an empty queue: the quit the frame posts as it ends would otherwise end that
        // test's first wait for a worker.
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    CView* Page(int n) const { return m_app->GetPage(n); }

    std::u16string m_line;
    std::unique_ptr<CDovemarkApp> m_app;
    CMainFrame* m_frame = nullptr;
    HWND m_hwndFrame = nullptr;
};
