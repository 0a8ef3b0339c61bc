// A task panel of 20 groups of 50 items each: its full layout, and painting all of it into a bitmap
// of the window's size. Each runs several times and reports the minimum and the median, with the
// process's peak memory.
#include "sample_panel.h"

#include <sys/resource.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

namespace {

double Min(const std::vector<double>& v)
{
    return *std::min_element(v.begin(), v.end());
}

double PeakMemoryMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

struct Fixture {
    CWnd host;
    CTKPTaskPanel panel;
    HDC memDC = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;

    Fixture()
    {
        host.CreateEx(0, AfxRegisterWndClass(0), u"host", WS_POPUP | WS_VISIBLE, 0, 0, 300, 800, nullptr, nullptr);
        panel.Create(WS_VISIBLE, CRect(0, 0, 280, 800), &host, 1);
        panel.SetAnimation(TKP_TPANIMATION_OFF);
        FillSamplePanel(panel, 20, 50);
        HDC screen = ::GetDC(nullptr);
        memDC = ::CreateCompatibleDC(screen);
        bitmap = ::CreateCompatibleBitmap(screen, 280, 800);
        ::ReleaseDC(nullptr, screen);
        oldBitmap = ::SelectObject(memDC, bitmap);
    }
    ~Fixture()
    {
        ::SelectObject(memDC, oldBitmap);
        ::DeleteObject(bitmap);
        ::DeleteDC(memDC);
    }
};

Fixture& Panel()
{
    // Kept to the end of the process, as the windows' thread state goes before static objects would.
    static Fixture* fixture = new Fixture;
    return *fixture;
}

void BM_LayoutPanel20x50(benchmark::State& state)
{
    Fixture& f = Panel();
    for (auto _ : state)
        f.panel.Reposition(FALSE);
    state.counters["content_px"] = f.panel.GetTotalHeight();
    state.counters["peak_MiB"] = PeakMemoryMiB();
}

void BM_PaintPanel20x50(benchmark::State& state)
{
    Fixture& f = Panel();
    f.panel.Reposition(FALSE);
    CDC* dc = CDC::FromHandle(f.memDC);
    const CRect rc(0, 0, 280, 800);
    for (auto _ : state)
        f.panel.OnDraw(dc, rc);
    state.counters["peak_MiB"] = PeakMemoryMiB();
}

} // namespace

BENCHMARK(BM_LayoutPanel20x50)->Repetitions(7)->ComputeStatistics("min", Min)->ReportAggregatesOnly(true);
BENCHMARK(BM_PaintPanel20x50)->Repetitions(7)->ComputeStatistics("min", Min)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
