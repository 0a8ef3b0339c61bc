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
        first = !p.pending.count(top);
        p.pending[top] = screen;
    }
    // One message carries any number of moves: the latest rectangle is applied.
    if (first && !PostMessageW(top, kPresenterRequest, 0, 0)) {
        std::lock_guard<std::mutex> g(p.lock);
        p.pending.erase(top);
    }
}

void HandlePresenterRequest(HWND hwnd)
{
    auto& p = Pl();
    RECT r;
    {
        std::lock_guard<std::mutex> g(p.lock);
        auto it = p.pending.find(hwnd);
        if (it == p.pending.end())
            return;
        r = it->second;
        p.pending.erase(it);
    }
    RECT now;
    if (IsWindow(hwnd) && GetWindowRect(hwnd, &now) && !EqualRect(&now, &r) && !IsIconic(hwnd))
        SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
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
