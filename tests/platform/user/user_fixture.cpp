// Logging window class and message names shared by the window manager tests.
#include "user_fixture.h"

#include "win32/kernel/clock.h"

#include <algorithm>

namespace usertest {

namespace {

std::mutex g_handlersLock;
std::map<HWND, Handler>& Handlers()
{
    static std::map<HWND, Handler> h;
    return h;
}

std::string Narrow(HWND hwnd)
{
    WCHAR buf[64];
    // The text is read straight from the window so that logging never sends messages itself.
    int n = GetWindowTextW(hwnd, buf, 64);
    std::string s;
    for (int i = 0; i < n; ++i)
        s.push_back((char)buf[i]);
    return s;
}

LRESULT CALLBACK LogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_GETTEXT && msg != WM_GETTEXTLENGTH)
        Log::Get().Add(hwnd, msg, wParam, lParam);
    Handler h;
    {
        std::lock_guard<std::mutex> g(g_handlersLock);
        auto it = Handlers().find(hwnd);
        if (it != Handlers().end())
            h = it->second;
    }
    LRESULT r = 0;
    if (h && h(hwnd, msg, wParam, lParam, &r))
        return r;
    if (msg == WM_NCDESTROY) {
        std::lock_guard<std::mutex> g(g_handlersLock);
        Handlers().erase(hwnd);
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

Log& Log::Get()
{
    static Log log;
    return log;
}

void Log::Watch(std::vector<UINT> msgs)
{
    std::lock_guard<std::mutex> g(lock_);
    watch_ = std::move(msgs);
}

void Log::Add(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    std::string who;
    {
        std::lock_guard<std::mutex> g(lock_);
        if (std::find(watch_.begin(), watch_.end(), msg) == watch_.end())
            return;
    }
    if (msg == WM_NCCREATE) {
        auto* cs = (CREATESTRUCTW*)lParam;
        for (const char16_t* p = cs->lpszName; p && *p; ++p)
            who.push_back((char)*p);
    } else {
        who = Narrow(hwnd);
    }
    std::lock_guard<std::mutex> g(lock_);
    entries_.push_back(Entry{who, msg, wParam, lParam});
}

std::vector<Entry> Log::Take()
{
    std::lock_guard<std::mutex> g(lock_);
    auto e = std::move(entries_);
    entries_.clear();
    return e;
}

void Log::Clear()
{
    std::lock_guard<std::mutex> g(lock_);
    entries_.clear();
}

std::string MessageName(UINT msg)
{
    static const std::map<UINT, const char*> names = {
        {WM_CREATE, "CREATE"},           {WM_DESTROY, "DESTROY"},
        {WM_MOVE, "MOVE"},               {WM_SIZE, "SIZE"},
        {WM_ACTIVATE, "ACTIVATE"},       {WM_SETFOCUS, "SETFOCUS"},
        {WM_KILLFOCUS, "KILLFOCUS"},     {WM_PAINT, "PAINT"},
        {WM_SHOWWINDOW, "SHOWWINDOW"},   {WM_GETMINMAXINFO, "GETMINMAXINFO"},
        {WM_NCCREATE, "NCCREATE"},       {WM_NCDESTROY, "NCDESTROY"},
        {WM_NCCALCSIZE, "NCCALCSIZE"},   {WM_PARENTNOTIFY, "PARENTNOTIFY"},
        {WM_TIMER, "TIMER"},             {WM_KEYDOWN, "KEYDOWN"},
        {WM_KEYUP, "KEYUP"},             {WM_CHAR, "CHAR"},
        {WM_SYSKEYDOWN, "SYSKEYDOWN"},   {WM_SYSKEYUP, "SYSKEYUP"},
        {WM_SYSCHAR, "SYSCHAR"},         {WM_SYSCOMMAND, "SYSCOMMAND"},
        {WM_MOUSEMOVE, "MOUSEMOVE"},     {WM_LBUTTONDOWN, "LBUTTONDOWN"},
        {WM_LBUTTONUP, "LBUTTONUP"},     {WM_LBUTTONDBLCLK, "LBUTTONDBLCLK"},
        {WM_RBUTTONDOWN, "RBUTTONDOWN"}, {WM_RBUTTONUP, "RBUTTONUP"},
        {WM_MOUSELEAVE, "MOUSELEAVE"},   {WM_MOUSEHOVER, "MOUSEHOVER"},
        {WM_CAPTURECHANGED, "CAPTURECHANGED"}, {WM_COMMAND, "COMMAND"},
        {WM_USER, "USER"},               {WM_USER + 1, "USER+1"},
        {WM_USER + 2, "USER+2"},         {WM_ERASEBKGND, "ERASEBKGND"},
        {WM_NCPAINT, "NCPAINT"},         {WM_MOUSEWHEEL, "MOUSEWHEEL"},
    };
    auto it = names.find(msg);
    if (it != names.end())
        return it->second;
    char buf[16];
    snprintf(buf, sizeof(buf), "0x%04x", msg);
    return buf;
}

std::vector<std::string> Describe(const std::vector<Entry>& entries)
{
    std::vector<std::string> out;
    for (auto& e : entries)
        out.push_back(e.who + ":" + MessageName(e.msg));
    return out;
}

void RegisterLogClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = LogProc;
    wc.lpszClassName = u"LogWnd";
    wc.hCursor = (HCURSOR)IDC_ARROW;
    wc.hbrBackground = (HBRUSH)(ULONG_PTR)(COLOR_WINDOW + 1);
    RegisterClassExW(&wc);
    wc.style = 0;
    wc.lpszClassName = u"LogWndNoDbl";
    RegisterClassExW(&wc);
}

HWND MakeTop(const char16_t* name, DWORD style, RECT rc, const char16_t* cls)
{
    RegisterLogClasses();
    return CreateWindowExW(0, cls, name, style, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, nullptr,
                           nullptr, nullptr, nullptr);
}

HWND MakeChild(HWND parent, const char16_t* name, RECT rc, int id, DWORD style, const char16_t* cls)
{
    RegisterLogClasses();
    return CreateWindowExW(0, cls, name, style, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, parent,
                           (HMENU)(ULONG_PTR)id, nullptr, nullptr);
}

void SetHandler(HWND hwnd, Handler h)
{
    std::lock_guard<std::mutex> g(g_handlersLock);
    Handlers()[hwnd] = std::move(h);
}

void UserTest::SetUp()
{
    headless::UseVirtualClock();
    RegisterLogClasses();
    Log::Get().Watch({});
    Log::Get().Clear();
}

void UserTest::TearDown()
{
    headless::ClearModalAnswers();
    Log::Get().Watch({});
    {
        // Handlers capture the test's locals, which are gone now.
        std::lock_guard<std::mutex> g(g_handlersLock);
        Handlers().clear();
    }
    for (HWND h : headless::TopLevelWindows()) {
        DestroyWindow(h);
    }
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
        ;
    if (GetCapture())
        ReleaseCapture();
    for (int vk : {VK_SHIFT, VK_CONTROL, VK_MENU})
        if (GetAsyncKeyState(vk) < 0)
            headless::KeyUp((UINT)vk);
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
        ;
    // Tests of other families that run later in the same process expect the real clock.
    dovemark::clock::UseReal();
}

} // namespace usertest
