// The engine port's dispatch onto the user-interface thread, its message protocol and list progress.
#include "app/engine_ui.h"

#include "app/message_dlg.h"
#include "app/progress_wait_dlg.h"
#include "engine/scan_control.h"

#include <chrono>
#include <thread>

namespace {

CAppEngineUi* g_appUi = nullptr;

} // namespace

CAppEngineUi* AppEngineUi()
{
    return g_appUi;
}

void InstallAppEngineUi(CAppEngineUi* ui)
{
    g_appUi = ui;
    SetEngineUi(ui);
}

CAppEngineUi::CAppEngineUi() : m_dwUiThread(::GetCurrentThreadId()) {}

CAppEngineUi::~CAppEngineUi()
{
    if (m_pListProgress) {
        m_pListProgress->DestroyWindow();
        delete m_pListProgress;
    }
    if (g_appUi == this)
        InstallAppEngineUi(nullptr);
}

bool CAppEngineUi::IsUiThread() const
{
    return ::GetCurrentThreadId() == m_dwUiThread;
}

bool CAppEngineUi::RunOnUiThread(const std::function<void()>& fn)
{
    if (IsUiThread()) {
        fn();
        return true;
    }
    if (!m_hwndDispatch || !::IsWindow(m_hwndDispatch))
        return false;
    bool ran = false;
    std::function<void()> call = [&] {
        fn();
        ran = true;
    };
    ::SendMessageW(m_hwndDispatch, WM_ENGINE_UI_SENT, 0, reinterpret_cast<LPARAM>(&call));
    return ran;
}

void CAppEngineUi::PostLatest(ULONGLONG key, std::function<void()> fn)
{
    if (IsUiThread()) {
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_posted.erase(key);
        }
        fn();
        return;
    }
    const bool end = key >> 32 == POSTED_WORKER_END;
    bool post = false;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_posted[key] = std::move(fn);
        // The end never waits behind a delivery held back by the timer.
        if (!m_bPostPending || end) {
            m_bPostPending = true;
            post = true;
        }
    }
    if (post)
        PostDelivery();
}

void CAppEngineUi::PostDelivery()
{
    if (!(m_hwndDispatch && ::PostMessageW(m_hwndDispatch, WM_ENGINE_UI_POSTED, 0, 0))) {
        // Nobody to serve it: the values wait for the next post or for FlushPosted.
        std::lock_guard<std::mutex> lock(m_lock);
        m_bPostPending = false;
    }
}

void CAppEngineUi::FlushPosted()
{
    std::map<ULONGLONG, std::function<void()>> pending;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        pending.swap(m_posted);
        m_bPostPending = false;
    }
    if (m_bTimerSet) {
        m_bTimerSet = false;
        if (m_hwndDispatch && ::IsWindow(m_hwndDispatch))
            ::KillTimer(m_hwndDispatch, kPostedTimerId);
    }
    m_bDelivered = true;
    m_dwLastDelivery = ::GetTickCount();
    for (auto& [key, fn] : pending)
        fn();
}

BOOL CAppEngineUi::ServeMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_ENGINE_UI_SENT) {
        (*reinterpret_cast<std::function<void()>*>(lParam))();
        *pResult = 1;
        return TRUE;
    }
    if (message == WM_ENGINE_UI_POSTED) {
        *pResult = 0;
        bool end = false;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            end = !m_posted.empty() && m_posted.rbegin()->first >> 32 == POSTED_WORKER_END;
        }
        const DWORD since = ::GetTickCount() - m_dwLastDelivery;
        if (end || !m_bDelivered || since >= kPostedIntervalMs) {
            FlushPosted();
        } else if (!m_bTimerSet) {
            m_bTimerSet = ::SetTimer(m_hwndDispatch, kPostedTimerId, kPostedIntervalMs - since, nullptr) != 0;
            if (!m_bTimerSet)
                FlushPosted();
        }
        return TRUE;
    }
    if (message == WM_TIMER && wParam == kPostedTimerId) {
        FlushPosted();
        *pResult = 0;
        return TRUE;
    }
    return FALSE;
}

void CAppEngineUi::ShowMessage(const WCHAR* text, EngineMessageKind kind)
{
    RunOnUiThread([&] { ShowAppMessage(text, kind); });
}

bool CAppEngineUi::AskYesNo(const WCHAR* text)
{
    bool yes = false;
    RunOnUiThread([&] { yes = AskAppQuestion(text, MSG_KIND_QUESTION); });
    return yes;
}

void CAppEngineUi::BeginListProgress()
{
    RunOnUiThread([this] {
        if (m_pListProgress) {
            // A fill that starts while the last one's dialog waits to go keeps it.
            m_bListProgressEnded = false;
            return;
        }
        auto* dlg = new CProgressWaitDlg();
        if (!dlg->Create(CWnd::FromHandle(m_hwndDispatch))) {
            // The fill goes on without a dialog.
            delete dlg;
            return;
        }
        dlg->SetRange(0, 100);
        m_pListProgress = dlg;
    });
}

// The dialog empties the message queue at each position, and what it serves there may end the fill (a
// worker's last call, a nested fill): the dialog then goes once the outermost position has returned.
void CAppEngineUi::ShowListPosition(UINT percent)
{
    if (!m_pListProgress)
        return;
    ++m_nListProgressDepth;
    m_pListProgress->SendMessage(WM_PROGRESS_SETPOS, percent, 0);
    --m_nListProgressDepth;
    if (m_nListProgressDepth == 0 && m_bListProgressEnded) {
        m_pListProgress->DestroyWindow();
        delete m_pListProgress;
        m_pListProgress = nullptr;
        m_bListProgressEnded = false;
    }
}

void CAppEngineUi::SetListProgress(UINT percent)
{
    PostLatest(PostedKey(POSTED_LIST_PROGRESS), [this, percent] { ShowListPosition(percent); });
}

void CAppEngineUi::EndListProgress()
{
    RunOnUiThread([this] {
        {
            // A position still waiting would only find the dialog gone.
            std::lock_guard<std::mutex> lock(m_lock);
            m_posted.erase(PostedKey(POSTED_LIST_PROGRESS));
        }
        if (!m_pListProgress)
            return;
        m_bListProgressEnded = true;
        ShowListPosition(100);
    });
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    // Real time, not the layer's clock: a test's virtual clock must not make a wait endless or instant.
    const auto start = std::chrono::steady_clock::now();
    while (!done()) {
        MSG msg;
        // Peeking serves the messages other threads send, then the posted and input ones are dispatched.
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                ::PostQuitMessage(int(msg.wParam));
                return done();
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (done())
            break;
        if (timeoutMs != INFINITE &&
            std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(timeoutMs))
            return false;
        // The signal a worker sets wakes no queue, so look again after a short slice.
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

bool PumpUntilWorkerFinished(DWORD timeoutMs)
{
    return PumpUntil([] { return IsWorkerFinished(); }, timeoutMs);
}
