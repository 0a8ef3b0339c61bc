// The headless driver: window queries, injected input, pumping, the virtual clock, modal answers, PNGs.
#include "backend/headless/driver.h"

#include "win32/user/internal.h"
#include "win32/user/presenter.h"

#include <deque>
#include <mutex>

namespace headless {

namespace {

struct State : user::Presenter {
    std::mutex lock;
    std::vector<UINT> beeps;
    std::deque<std::function<void(HWND)>> answers;
    bool Beep(UINT type) override
    {
        std::lock_guard<std::mutex> g(lock);
        beeps.push_back(type);
        return true;
    }
};

State& S()
{
    static State* s = [] {
        auto* st = new State;
        user::SetPresenter(st);
        user::SetModalHandler([st](HWND hwnd) {
            std::function<void(HWND)> answer;
            {
                std::lock_guard<std::mutex> g(st->lock);
                if (st->answers.empty())
                    return;
                answer = std::move(st->answers.front());
                st->answers.pop_front();
            }
            answer(hwnd);
        });
        return st;
    }();
    return *s;
}

bool Matches(HWND h, const Query& q)
{
    if (q.visibleOnly && !IsWindowVisible(h))
        return false;
    if (q.className) {
        WCHAR cls[256];
        GetClassNameW(h, cls, 256);
        std::u16string a(cls), b(q.className);
        auto fold = [](std::u16string s) {
            for (auto& c : s)
                if (c >= u'a' && c <= u'z')
                    c = (char16_t)(c - 32);
            return s;
        };
        if (fold(a) != fold(b))
            return false;
    }
    if (q.text && Text(h) != q.text)
        return false;
    if (q.id != -1 && (GetWindowLongW(h, GWL_STYLE) & WS_CHILD) && GetDlgCtrlID(h) != q.id)
        return false;
    if (q.id != -1 && !(GetWindowLongW(h, GWL_STYLE) & WS_CHILD))
        return false;
    return true;
}

void Collect(HWND parent, const Query& q, std::vector<HWND>& out)
{
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (Matches(c, q))
            out.push_back(c);
        Collect(c, q, out);
    }
}

UINT DownMessage(UINT button)
{
    return button == VK_RBUTTON ? WM_RBUTTONDOWN : button == VK_MBUTTON ? WM_MBUTTONDOWN : WM_LBUTTONDOWN;
}

} // namespace

std::vector<HWND> TopLevelWindows()
{
    S();
    std::vector<HWND> out;
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT))
        out.push_back(h);
    return out;
}

std::vector<HWND> FindAll(const Query& q)
{
    S();
    std::vector<HWND> out;
    if (q.under) {
        Collect(q.under, q, out);
        return out;
    }
    for (HWND top : TopLevelWindows()) {
        if (Matches(top, q))
            out.push_back(top);
        Collect(top, q, out);
    }
    return out;
}

HWND FindOne(const Query& q)
{
    auto all = FindAll(q);
    return all.empty() ? nullptr : all.front();
}

std::u16string Text(HWND hwnd)
{
    int n = GetWindowTextLengthW(hwnd);
    std::u16string s((size_t)n + 1, u'\0');
    int got = GetWindowTextW(hwnd, s.data(), n + 1);
    s.resize((size_t)std::max(got, 0));
    return s;
}

POINT ToScreen(HWND hwnd, POINT client)
{
    ClientToScreen(hwnd, &client);
    return client;
}

void MouseMoveScreen(POINT screen)
{
    S();
    user::InjectMouse(WM_MOUSEMOVE, screen, 0);
}

void MouseMove(HWND hwnd, POINT client)
{
    MouseMoveScreen(ToScreen(hwnd, client));
}

void ButtonDown(HWND hwnd, POINT client, UINT button)
{
    S();
    POINT p = ToScreen(hwnd, client);
    user::InjectMouse(WM_MOUSEMOVE, p, 0);
    user::InjectMouse(DownMessage(button), p, 0);
}

void ButtonUp(HWND hwnd, POINT client, UINT button)
{
    S();
    POINT p = ToScreen(hwnd, client);
    user::InjectMouse(DownMessage(button) + 1, p, 0);
}

void Click(HWND hwnd, POINT client, UINT button)
{
    POINT p = ToScreen(hwnd, client);
    S();
    user::InjectMouse(WM_MOUSEMOVE, p, 0);
    user::InjectMouse(DownMessage(button), p, 0);
    user::InjectMouse(DownMessage(button) + 1, p, 0);
}

void DoubleClick(HWND hwnd, POINT client)
{
    Click(hwnd, client);
    Click(hwnd, client);
}

void Wheel(HWND hwnd, POINT client, int delta)
{
    S();
    POINT p = ToScreen(hwnd, client);
    user::InjectMouse(WM_MOUSEMOVE, p, 0);
    user::InjectMouse(WM_MOUSEWHEEL, p, delta);
}

void KeyDown(UINT vk)
{
    S();
    user::InjectKey(vk, true);
}

void KeyUp(UINT vk)
{
    S();
    user::InjectKey(vk, false);
}

void PressKey(UINT vk, std::initializer_list<UINT> modifiers)
{
    for (UINT m : modifiers)
        KeyDown(m);
    KeyDown(vk);
    KeyUp(vk);
    for (auto it = std::rbegin(modifiers); it != std::rend(modifiers); ++it)
        KeyUp(*it);
}

void TypeText(const std::u16string& text)
{
    for (char16_t c : text) {
        if (c >= u'a' && c <= u'z')
            PressKey((UINT)(c - 32));
        else if (c >= u'A' && c <= u'Z')
            PressKey((UINT)c, {VK_SHIFT});
        else if (c >= u'0' && c <= u'9')
            PressKey((UINT)c);
        else if (c == u' ')
            PressKey(VK_SPACE);
        else if (c == u'\n' || c == u'\r')
            PressKey(VK_RETURN);
    }
}

int PumpUntilIdle(int limit)
{
    S();
    int n = 0;
    MSG msg;
    while (n < limit && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage((int)msg.wParam);
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        ++n;
    }
    return n;
}

void UseVirtualClock()
{
    user::UseVirtualClock();
}

void AdvanceClock(DWORD ms)
{
    user::AdvanceClock(ms);
}

void AnswerNextModal(std::function<void(HWND)> answer)
{
    auto& s = S();
    std::lock_guard<std::mutex> g(s.lock);
    s.answers.push_back(std::move(answer));
}

void ClearModalAnswers()
{
    auto& s = S();
    std::lock_guard<std::mutex> g(s.lock);
    s.answers.clear();
}

std::vector<UINT> Beeps()
{
    auto& s = S();
    std::lock_guard<std::mutex> g(s.lock);
    return s.beeps;
}

void ClearBeeps()
{
    auto& s = S();
    std::lock_guard<std::mutex> g(s.lock);
    s.beeps.clear();
}

bool SavePng(HWND top, const std::string& path)
{
    S();
    if (!IsWindow(top) || GetAncestor(top, GA_ROOT) != top) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    RedrawWindow(top, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    auto surface = user::WindowSurface(top);
    if (!surface)
        return false;
    return gdi::WritePng(*surface, path, false);
}

} // namespace headless
