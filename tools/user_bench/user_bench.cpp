// Message dispatch and full-repaint costs of the window manager.
#include "backend/headless/driver.h"
#include "win32/user.h"

#include <benchmark/benchmark.h>

namespace {

LRESULT CALLBACK CountingProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_USER)
        return (LRESULT)w + 1;
    if (m == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        RECT r;
        GetClientRect(h, &r);
        InflateRect(&r, -2, -2);
        FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
        EndPaint(h, &ps);
        return 0;
    }
    return DefWindowProcW(h, m, w, l);
}

void Register()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = CountingProc;
    wc.lpszClassName = u"BenchWnd";
    wc.hbrBackground = (HBRUSH)(ULONG_PTR)(COLOR_WINDOW + 1);
    RegisterClassExW(&wc);
}

void BM_SendMessage(benchmark::State& state)
{
    Register();
    HWND w = CreateWindowExW(0, u"BenchWnd", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    WPARAM v = 0;
    for (auto _ : state)
        v = (WPARAM)SendMessageW(w, WM_USER, v, 0);
    benchmark::DoNotOptimize(v);
    DestroyWindow(w);
}
BENCHMARK(BM_SendMessage);

void BM_PostAndDispatch(benchmark::State& state)
{
    Register();
    HWND w = CreateWindowExW(0, u"BenchWnd", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    MSG m;
    for (auto _ : state) {
        PostMessageW(w, WM_USER, 1, 0);
        GetMessageW(&m, nullptr, 0, 0);
        DispatchMessageW(&m);
    }
    DestroyWindow(w);
}
BENCHMARK(BM_PostAndDispatch);

// A 1000x700 window with 50 children, invalidated as a whole and painted through the queue.
void BM_FullRepaint(benchmark::State& state)
{
    Register();
    HWND top = CreateWindowExW(0, u"BenchWnd", u"bench", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0,
                               1000, 700, nullptr, nullptr, nullptr, nullptr);
    for (int i = 0; i < 50; ++i)
        CreateWindowExW(0, u"BenchWnd", u"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_BORDER, (i % 10) * 95 + 5,
                        (i / 10) * 130 + 5, 90, 120, top, nullptr, nullptr, nullptr);
    headless::PumpUntilIdle();
    for (auto _ : state) {
        RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
        headless::PumpUntilIdle();
    }
    DestroyWindow(top);
}
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
