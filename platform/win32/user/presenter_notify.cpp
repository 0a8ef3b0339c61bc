// What the window manager tells the presenter about top-level windows, and the monitors it reports.
#include "win32/user/internal.h"

#include <algorithm>

namespace user {

namespace {

// Top-level window state as a presenter needs it, read under the lock.
bool TopLevelState(HWND hwnd, RECT* screen, bool* visible)
{
    Guard lk(Lock());
    Window* w = Find(hwnd);
    if (!w || hwnd == Desktop() || !IsTopLevel(w))
        return false;
    *screen = w->rcWindow;
    *visible = (w->style & WS_VISIBLE) != 0;
    return true;
}

struct Placements {
    std::mutex lock;
    std::map<HWND, RECT> pending;
    std::map<HWND, bool> activation; // true: activate, false: the application loses the focus
};

Placements& Pl()
{
    static auto* p = new Placements;
    return *p;
}

struct MonitorState {
    std::mutex lock;
    std::vector<MonitorArea> monitors;
};

MonitorState& M()
{
    static auto* m = new MonitorState;
    return *m;
}

} // namespace

void NotifyPlaced(HWND hwnd)
{
    RECT r;
    bool visible;
    Presenter* p = CurrentPresenter();
    if (p && TopLevelState(hwnd, &r, &visible))
        p->Placed(hwnd, r, visible);
}

void NotifyChanged(HWND hwnd)
{
    RECT r;
    bool visible;
    Presenter* p = CurrentPresenter();
    if (p && TopLevelState(hwnd, &r, &visible))
        p->Changed(hwnd);
}

void RequestPlacement(HWND top, const RECT& screen)
{
    auto& p = Pl();
    bool first;
    {
        std::lock_guard<std::mutex> g(p.lock);
        first = !p.pending.count(top) && !p.activation.count(top);
        p.pending[top] = screen;
    }
    // One message carries any number of requests: the latest of each kind is applied.
    if (first && !PostMessageW(top, kPresenterRequest, 0, 0)) {
        std::lock_guard<std::mutex> g(p.lock);
        p.pending.erase(top);
    }
}

void RequestActivation(HWND top)
{
    std::vector<HWND> targets;
    if (top) {
        targets.push_back(top);
    } else {
        Guard lk(Lock());
        for (HWND h : Find(Desktop())->children) {
            Window* w = Find(h);
            auto q = w ? QueueOf(w->tid) : nullptr;
            if (q && q->active == h)
                targets.push_back(h);
        }
    }
    auto& p = Pl();
    for (HWND h : targets) {
        bool first;
        {
            std::lock_guard<std::mutex> g(p.lock);
            first = !p.pending.count(h) && !p.activation.count(h);
            p.activation[h] = top != nullptr;
        }
        if (first && !PostMessageW(h, kPresenterRequest, 0, 0)) {
            std::lock_guard<std::mutex> g(p.lock);
            p.activation.erase(h);
        }
    }
}

void HandlePresenterRequest(HWND hwnd)
{
    auto& p = Pl();
    RECT r;
    bool move = false, activation = false, activate = false;
    {
        std::lock_guard<std::mutex> g(p.lock);
        if (auto it = p.pending.find(hwnd); it != p.pending.end()) {
            r = it->second;
            move = true;
            p.pending.erase(it);
        }
        if (auto it = p.activation.find(hwnd); it != p.activation.end()) {
            activation = true;
            activate = it->second;
            p.activation.erase(it);
        }
    }
    RECT now;
    if (move && IsWindow(hwnd) && GetWindowRect(hwnd, &now) && !EqualRect(&now, &r) && !IsIconic(hwnd))
        SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    if (!activation || !IsWindow(hwnd))
        return;
    if (activate) {
        // A window that cannot take the keyboard (disabled behind a modal one) is left as it is.
        if (GetActiveWindow() != hwnd && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd))
            ActivateWindow(hwnd, false);
    } else if (GetActiveWindow() == hwnd) {
        SendMessageW(hwnd, WM_ACTIVATEAPP, FALSE, 0);
        ActivateWindow(nullptr, false);
    }
}

RECT ScreenRect()
{
    auto& m = M();
    std::lock_guard<std::mutex> g(m.lock);
    if (m.monitors.empty())
        return RECT{0, 0, 1280, 1024};
    // The screen the layer's windows live on spans every monitor, from the origin.
    RECT r{0, 0, 0, 0};
    for (auto& a : m.monitors) {
        r.right = std::max(r.right, a.monitor.right);
        r.bottom = std::max(r.bottom, a.monitor.bottom);
    }
    return r;
}

void SetMonitors(const std::vector<MonitorArea>& monitors)
{
    auto& m = M();
    {
        std::lock_guard<std::mutex> g(m.lock);
        m.monitors.clear();
        for (auto a : monitors) {
            // A monitor left of or above the origin, or empty, cannot hold the layer's windows.
            if (a.monitor.left < 0 || a.monitor.top < 0 || a.monitor.right <= a.monitor.left ||
                a.monitor.bottom <= a.monitor.top)
                continue;
            RECT w;
            if (!IntersectRect(&w, &a.work, &a.monitor))
                w = a.monitor;
            a.work = w;
            m.monitors.push_back(a);
        }
    }
    Guard lk(Lock());
    if (Window* d = Find(Desktop())) {
        d->rcWindow = ScreenRect();
        d->rcClient = d->rcWindow;
    }
}

std::vector<MonitorArea> Monitors()
{
    auto& m = M();
    {
        std::lock_guard<std::mutex> g(m.lock);
        if (!m.monitors.empty())
            return m.monitors;
    }
    RECT s = RECT{0, 0, 1280, 1024};
    RECT work = s;
    work.bottom -= 30; // the task bar
    return {MonitorArea{s, work}};
}

} // namespace user
