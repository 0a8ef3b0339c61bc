// The mouse and keyboard trackers of each thread and the window-hook chains.
#include "toolkit/commandbars/trackers.h"

#include "toolkit/commandbars/command_bar.h"

#include <algorithm>
#include <map>
#include <memory>

POINT g_ptTrackerLastMouse{-1, -1};

namespace {

// Every hooked window's chain, process-wide.
std::map<HWND, std::unique_ptr<CTKPWndHookChain::Chain>>& ChainMap()
{
    static std::map<HWND, std::unique_ptr<CTKPWndHookChain::Chain>> chains;
    return chains;
}

LRESULT CALLBACK ChainWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CTKPWndHookChain::Chain* chain = CTKPWndHookChain::FindChain(hWnd);
    if (!chain)
        return ::DefWindowProcW(hWnd, message, wParam, lParam);
    WNDPROC oldProc = chain->m_oldWndProc;
    if (message == WM_NCDESTROY) {
        CTKPWndHookChain::RemoveAllHooks(hWnd);
        return ::CallWindowProcW(oldProc, hWnd, message, wParam, lParam);
    }
    // A hook may remove itself (or others) while it runs, so walk a copy and skip the ones gone.
    const std::vector<CTKPWndHookChain*> hooks = chain->m_hooks;
    for (auto it = hooks.rbegin(); it != hooks.rend(); ++it) {
        CTKPWndHookChain::Chain* current = CTKPWndHookChain::FindChain(hWnd);
        if (!current || std::find(current->m_hooks.begin(), current->m_hooks.end(), *it) == current->m_hooks.end())
            continue;
        LRESULT result = 0;
        const int answer = (*it)->OnHookMessage(hWnd, message, wParam, lParam, result);
        if (answer == 1)
            return result;
        if (answer == 2)
            break;
    }
    return ::CallWindowProcW(oldProc, hWnd, message, wParam, lParam);
}

void DeleteChain(std::unique_ptr<CTKPWndHookChain::Chain> chain)
{
    if (chain && ::IsWindow(chain->m_hWnd) &&
        ::GetWindowLongPtrW(chain->m_hWnd, GWLP_WNDPROC) == LONG_PTR(&ChainWndProc))
        ::SetWindowLongPtrW(chain->m_hWnd, GWLP_WNDPROC, LONG_PTR(chain->m_oldWndProc));
}

thread_local std::unique_ptr<CTKPMouseTracker> t_mouseTracker;
thread_local std::unique_ptr<CTKPKeyboardTracker> t_keyboardTracker;
thread_local bool t_keyboardTrackerGone = false;
thread_local bool t_mouseTrackerGone = false;

const UINT_PTR kHoverTimerId = 113341;

}  // namespace

// ---- Hook objects and window chains ------------------------------------------------------------
CTKPWndHookChain::CTKPWndHookChain() = default;

CTKPWndHookChain::~CTKPWndHookChain()
{
    RemoveHook(this);
    if (!t_keyboardTrackerGone && t_keyboardTracker)
        t_keyboardTracker->RemoveWindow(this);
}

int CTKPWndHookChain::OnHookMessage(HWND, UINT, WPARAM&, LPARAM&, LRESULT&)
{
    return 0;
}

void CTKPWndHookChain::AddHook(HWND hWnd, CTKPWndHookChain* hook)
{
    if (!hWnd || !hook || !::IsWindow(hWnd))
        return;
    auto& chains = ChainMap();
    auto it = chains.find(hWnd);
    if (it == chains.end()) {
        auto chain = std::make_unique<Chain>();
        chain->m_hWnd = hWnd;
        chain->m_oldWndProc = WNDPROC(::GetWindowLongPtrW(hWnd, GWLP_WNDPROC));
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, LONG_PTR(&ChainWndProc));
        it = chains.emplace(hWnd, std::move(chain)).first;
    }
    auto& hooks = it->second->m_hooks;
    if (std::find(hooks.begin(), hooks.end(), hook) == hooks.end())
        hooks.push_back(hook);
}

void CTKPWndHookChain::RemoveHook(HWND hWnd, CTKPWndHookChain* hook)
{
    auto& chains = ChainMap();
    auto it = chains.find(hWnd);
    if (it == chains.end())
        return;
    auto& hooks = it->second->m_hooks;
    auto found = std::find(hooks.begin(), hooks.end(), hook);
    if (found == hooks.end())
        return;
    hooks.erase(found);
    if (hooks.empty()) {
        std::unique_ptr<Chain> chain = std::move(it->second);
        chains.erase(it);
        DeleteChain(std::move(chain));
    }
}

void CTKPWndHookChain::RemoveHook(CTKPWndHookChain* hook)
{
    std::vector<HWND> windows;
    for (const auto& [hWnd, chain] : ChainMap())
        if (std::find(chain->m_hooks.begin(), chain->m_hooks.end(), hook) != chain->m_hooks.end())
            windows.push_back(hWnd);
    for (HWND hWnd : windows)
        RemoveHook(hWnd, hook);
}

void CTKPWndHookChain::RemoveAllHooks(HWND hWnd)
{
    auto& chains = ChainMap();
    auto it = chains.find(hWnd);
    if (it == chains.end())
        return;
    std::unique_ptr<Chain> chain = std::move(it->second);
    chains.erase(it);
    DeleteChain(std::move(chain));
}

CTKPWndHookChain::Chain* CTKPWndHookChain::FindChain(HWND hWnd)
{
    auto& chains = ChainMap();
    auto it = chains.find(hWnd);
    return it == chains.end() ? nullptr : it->second.get();
}

// ---- Mouse tracker -----------------------------------------------------------------------------
CTKPMouseTracker* CTKPMouseTracker::GetThreadTracker()
{
    if (!t_mouseTracker) {
        t_mouseTracker.reset(new CTKPMouseTracker());
        t_mouseTrackerGone = false;
    }
    return t_mouseTracker.get();
}

CTKPMouseTracker* CTKPMouseTracker::FindThreadTracker()
{
    return t_mouseTrackerGone ? nullptr : t_mouseTracker.get();
}

CTKPMouseTracker::CTKPMouseTracker()
{
    m_hHook = ::SetWindowsHookExW(WH_MOUSE, &CTKPMouseTracker::MouseProc, nullptr, ::GetCurrentThreadId());
}

CTKPMouseTracker::~CTKPMouseTracker()
{
    t_mouseTrackerGone = true;
    if (m_hHook)
        ::UnhookWindowsHookEx(m_hHook);
    if (m_hWndHover && ::IsWindow(m_hWndHover))
        ::KillTimer(m_hWndHover, kHoverTimerId);
}

CTKPCommandBar* CTKPMouseTracker::GetTrackedBar(int index) const
{
    return index >= 0 && index < GetTrackedCount() ? m_trackedBars[size_t(index)] : nullptr;
}

void CTKPMouseTracker::AddBar(CTKPCommandBar* bar)
{
    if (!bar || std::find(m_trackedBars.begin(), m_trackedBars.end(), bar) != m_trackedBars.end())
        return;
    if (m_trackedBars.empty() && m_pSelectingBar && m_pSelectingBar != bar) {
        CTKPCommandBar* previous = m_pSelectingBar;
        m_pSelectingBar = nullptr;
        previous->SetSelected(-1, FALSE);
    }
    m_trackedBars.push_back(bar);
}

void CTKPMouseTracker::RemoveBar(CTKPCommandBar* bar)
{
    auto it = std::find(m_trackedBars.begin(), m_trackedBars.end(), bar);
    if (it == m_trackedBars.end())
        return;
    m_trackedBars.erase(it);
    if (m_trackedBars.empty()) {
        m_bSwallowNextButtonUp = FALSE;
        m_dwTracking = 0;
        m_bShowAll = FALSE;
        POINT pt;
        if (::GetCursorPos(&pt))
            ::SetCursorPos(pt.x, pt.y);
    }
}

void CTKPMouseTracker::CloseAll()
{
    while (!m_trackedBars.empty()) {
        CTKPCommandBar* bar = m_trackedBars.front();
        bar->SetTrackingMode(0, TRUE, FALSE);
        // A bar that stays tracked after cancelling would hold the loop for ever.
        RemoveBar(bar);
    }
}

BOOL CTKPMouseTracker::IsTrackingOtherThan(CTKPCommandBar* bar) const
{
    if (m_trackedBars.empty())
        return FALSE;
    if (!bar || bar->m_nModalLock > 0)
        return TRUE;
    return std::find(m_trackedBars.begin(), m_trackedBars.end(), bar) == m_trackedBars.end();
}

void CTKPMouseTracker::SetModalLock(BOOL on)
{
    for (CTKPCommandBar* bar : m_trackedBars)
        bar->m_nModalLock += on ? 1 : -1;
}

void CTKPMouseTracker::TrackMouseLeave(HWND hWnd)
{
    if (hWnd == m_hWndHover)
        return;
    if (m_hWndHover && ::IsWindow(m_hWndHover)) {
        ::KillTimer(m_hWndHover, kHoverTimerId);
        ::SendMessageW(m_hWndHover, WM_MOUSELEAVE, 0, 0);
    }
    m_hWndHover = hWnd;
    if (hWnd)
        ::SetTimer(hWnd, kHoverTimerId, 50, &CTKPMouseTracker::HoverTimerProc);
}

void CALLBACK CTKPMouseTracker::HoverTimerProc(HWND hWnd, UINT, UINT_PTR id, DWORD)
{
    CTKPMouseTracker* tracker = GetThreadTracker();
    if (::IsWindow(hWnd)) {
        RECT rc;
        POINT pt;
        ::GetWindowRect(hWnd, &rc);
        ::GetCursorPos(&pt);
        const LONG style = LONG(::GetWindowLongPtrW(hWnd, GWL_STYLE));
        // A child window counts as active when the window it lies in is the active one; else a
        // docked bar would lose its hot control 50 ms after the mouse stopped on it.
        const BOOL topOrActive = !(style & WS_CHILD) || (style & WS_POPUP) ||
                                 ::GetActiveWindow() == ::GetAncestor(hWnd, GA_ROOT);
        if (::PtInRect(&rc, pt) && topOrActive)
            return;
        ::KillTimer(hWnd, id);
        ::PostMessageW(hWnd, WM_MOUSELEAVE, 0, 0);
    }
    if (tracker->m_hWndHover == hWnd)
        tracker->m_hWndHover = nullptr;
}

void CTKPMouseTracker::AddExcludedWindow(HWND hWnd)
{
    if (hWnd && std::find(m_excludedWindows.begin(), m_excludedWindows.end(), hWnd) == m_excludedWindows.end())
        m_excludedWindows.push_back(hWnd);
}

void CTKPMouseTracker::RemoveExcludedWindow(HWND hWnd)
{
    m_excludedWindows.erase(std::remove(m_excludedWindows.begin(), m_excludedWindows.end(), hWnd),
                            m_excludedWindows.end());
}

BOOL CTKPMouseTracker::IsExcludedPoint(POINT pt) const
{
    for (HWND hWnd : m_excludedWindows) {
        RECT rc;
        if (::IsWindow(hWnd) && ::IsWindowVisible(hWnd) && ::GetWindowRect(hWnd, &rc) && ::PtInRect(&rc, pt))
            return TRUE;
    }
    return FALSE;
}

// TRUE when the message is eaten.
BOOL CTKPMouseTracker::OnMouseMessage(UINT message, const MOUSEHOOKSTRUCT& info)
{
    if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN)
        m_bSwallowNextButtonUp = FALSE;
    if ((message == WM_LBUTTONUP || message == WM_NCLBUTTONUP) && m_bSwallowNextButtonUp) {
        m_bSwallowNextButtonUp = FALSE;
        return TRUE;
    }
    if (m_trackedBars.empty()) {
        g_ptTrackerLastMouse = info.pt;
        return FALSE;
    }
    const BOOL isMove = message == WM_MOUSEMOVE || message == WM_NCMOUSEMOVE;
    // A move without motion would only disturb the selection. A button-up is never dropped for its
    // point: a click without motion ends there, and dropping it left the chosen command unexecuted.
    if (isMove && info.pt.x == g_ptTrackerLastMouse.x && info.pt.y == g_ptTrackerLastMouse.y)
        return TRUE;
    g_ptTrackerLastMouse = info.pt;

    HWND under = ::WindowFromPoint(info.pt);
    for (int i = GetTrackedCount() - 1; i >= 0; --i) {
        CTKPCommandBar* bar = m_trackedBars[size_t(i)];
        const BOOL inBar = bar->IsPointInBar(info.pt.x, info.pt.y);
        const BOOL parentOfUnder = under && bar->m_hWnd && (under == bar->m_hWnd || ::IsChild(bar->m_hWnd, under));
        if (!inBar && !parentOfUnder)
            continue;
        if (bar->m_nModalLock > 0 && !isMove && !m_bSwallowNextButtonUp) {
            // A click on a bar below a modally tracked popup closes the popups opened above it.
            std::vector<CTKPCommandBar*> bars = m_trackedBars;
            for (CTKPCommandBar* other : bars)
                if (other->m_nModalLock == 0)
                    other->SetTrackingMode(0, TRUE, FALSE);
            g_ptTrackerLastMouse = POINT{-1, -1};
        }
        return FALSE;
    }
    if (IsExcludedPoint(info.pt))
        return FALSE;
    switch (message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE: {
        std::vector<CTKPCommandBar*> bars = m_trackedBars;
        for (CTKPCommandBar* bar : bars) {
            if (bar->m_nModalLock == 0 && bar->m_hWnd) {
                POINT client = info.pt;
                ::ScreenToClient(bar->m_hWnd, &client);
                ::SendMessageW(bar->m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
            }
        }
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
        CloseAll();
        break;
    case WM_LBUTTONUP:
    case WM_NCLBUTTONUP:
        if (m_nModalDepth <= 0)
            CloseAll();
        break;
    default:
        break;
    }
    return FALSE;
}

LRESULT CALLBACK CTKPMouseTracker::MouseProc(int code, WPARAM wParam, LPARAM lParam)
{
    CTKPMouseTracker* tracker = t_mouseTracker.get();
    HHOOK hook = tracker ? tracker->m_hHook : nullptr;
    if (code == HC_ACTION && tracker && lParam &&
        tracker->OnMouseMessage(UINT(wParam), *reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam)))
        return 1;
    return ::CallNextHookEx(hook, code, wParam, lParam);
}

// ---- Keyboard tracker --------------------------------------------------------------------------
CTKPKeyboardTracker* CTKPKeyboardTracker::GetThreadTracker()
{
    if (!t_keyboardTracker) {
        t_keyboardTracker.reset(new CTKPKeyboardTracker());
        t_keyboardTrackerGone = false;
    }
    return t_keyboardTracker.get();
}

CTKPKeyboardTracker* CTKPKeyboardTracker::FindThreadTracker()
{
    return t_keyboardTrackerGone ? nullptr : t_keyboardTracker.get();
}

CTKPKeyboardTracker::~CTKPKeyboardTracker()
{
    t_keyboardTrackerGone = true;
    if (m_hKeyboardHook)
        ::UnhookWindowsHookEx(m_hKeyboardHook);
    if (m_hCallWndHook)
        ::UnhookWindowsHookEx(m_hCallWndHook);
}

void CTKPKeyboardTracker::AddWindow(CTKPWndHookChain* hook)
{
    if (!hook || std::find(m_hooks.begin(), m_hooks.end(), hook) != m_hooks.end())
        return;
    if (!m_hKeyboardHook) {
        m_hKeyboardHook =
            ::SetWindowsHookExW(WH_KEYBOARD, &CTKPKeyboardTracker::KeyboardProc, nullptr, ::GetCurrentThreadId());
        m_hCallWndHook =
            ::SetWindowsHookExW(WH_CALLWNDPROC, &CTKPKeyboardTracker::CallWndProc, nullptr, ::GetCurrentThreadId());
    }
    m_hooks.insert(m_hooks.begin(), hook);
}

void CTKPKeyboardTracker::RemoveWindow(CTKPWndHookChain* hook)
{
    auto it = std::find(m_hooks.begin(), m_hooks.end(), hook);
    if (it == m_hooks.end())
        return;
    m_hooks.erase(it);
    if (m_hooks.empty()) {
        if (m_hKeyboardHook)
            ::UnhookWindowsHookEx(m_hKeyboardHook);
        if (m_hCallWndHook)
            ::UnhookWindowsHookEx(m_hCallWndHook);
        m_hKeyboardHook = m_hCallWndHook = nullptr;
    }
}

int CTKPKeyboardTracker::DispatchKey(UINT message, WPARAM wParam, LPARAM lParam)
{
    // An object may unregister (or register another) while it handles the key.
    const std::vector<CTKPWndHookChain*> hooks = m_hooks;
    for (CTKPWndHookChain* hook : hooks) {
        if (std::find(m_hooks.begin(), m_hooks.end(), hook) == m_hooks.end())
            continue;
        WPARAM w = wParam;
        LPARAM l = lParam;
        LRESULT result = 0;
        const int answer = hook->OnHookMessage(nullptr, message, w, l, result);
        if (answer == 1 || answer == 2)
            return answer;
    }
    // No object wants the key: it goes on. Eating it would take every key from a window whose
    // registered object only watches for a few messages (an edit's auto-complete).
    return 0;
}

LRESULT CALLBACK CTKPKeyboardTracker::KeyboardProc(int code, WPARAM wParam, LPARAM lParam)
{
    CTKPKeyboardTracker* tracker = t_keyboardTracker.get();
    HHOOK hook = tracker ? tracker->m_hKeyboardHook : nullptr;
    if (code == HC_ACTION && tracker && !tracker->m_hooks.empty() && !(lParam & 0x80000000)) {
        if ((lParam & 0x20000000) && wParam == VK_MENU) {
            CTKPMouseTracker* mouse = CTKPMouseTracker::GetThreadTracker();
            if (mouse->m_nModalDepth == 0 && !(lParam & 0x40000000)) {
                mouse->CloseAll();
                return 1;
            }
        }
        if (tracker->DispatchKey(WM_KEYDOWN, wParam, lParam) == 1)
            return 1;
    }
    return ::CallNextHookEx(hook, code, wParam, lParam);
}

LRESULT CALLBACK CTKPKeyboardTracker::CallWndProc(int code, WPARAM wParam, LPARAM lParam)
{
    CTKPKeyboardTracker* tracker = t_keyboardTracker.get();
    HHOOK hook = tracker ? tracker->m_hCallWndHook : nullptr;
    if (code == HC_ACTION && lParam) {
        const CWPSTRUCT* cwp = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (cwp->message == WM_ACTIVATEAPP && cwp->wParam == 0 && t_mouseTracker)
            t_mouseTracker->CloseAll();
    }
    return ::CallNextHookEx(hook, code, wParam, lParam);
}
