// A tool bar of 40 captioned controls in two groups: laying it out in rows, painting it, and, as
// the floor it cannot beat, the global paint manager drawing the same 40 faces without a bar.
// Each runs several times and reports the minimum and the median.
#include "afx/window_dc.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/tool_bar.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr int kControls = 40;

double Min(const std::vector<double>& v)
{
    return *std::min_element(v.begin(), v.end());
}

struct Fixture {
    CWnd host;
    CTKPToolBar bar;
    HDC memDC = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;

    Fixture()
    {
        SetGlobalTheme(0);
        host.CreateEx(0, AfxRegisterWndClass(0), u"host", WS_POPUP | WS_VISIBLE, 0, 0, 1200, 200, nullptr, nullptr);
        bar.CreateEx(0, AfxRegisterWndClass(0), u"bar", WS_CHILD | WS_VISIBLE, RECT{0, 0, 1200, 120}, &host, 1);
        bar.SetPosition(TKP_BARPOS_TOP);
        for (int i = 0; i < kControls; ++i) {
            CTKPControl* control = bar.GetControls()->Add(TKP_CONTROL_BUTTON, UINT(40000 + i));
            const std::string text = "&Command " + std::to_string(i);
            control->SetCaption(CString(std::u16string(text.begin(), text.end()).c_str()));
            control->SetStyle(TKP_STYLE_CAPTION);
            control->SetBeginGroup(i == kControls / 2);
        }
        HDC screen = ::GetDC(nullptr);
        memDC = ::CreateCompatibleDC(screen);
        bitmap = ::CreateCompatibleBitmap(screen, 1200, 120);
        ::ReleaseDC(nullptr, screen);
        oldBitmap = ::SelectObject(memDC, bitmap);
    }
    ~Fixture()
    {
        ::SelectObject(memDC, oldBitmap);
        ::DeleteObject(bitmap);
        ::DeleteDC(memDC);
        bar.DestroyWindow();
        host.DestroyWindow();
    }
    CSize Layout()
    {
        CClientDC dc(&bar);
        return bar.GetControls()->CalcSize(&dc, 1200, LM_HORZ | LM_HORZDOCK | LM_COMMIT, RECT{2, 2, 2, 2});
    }
};

Fixture& Bar()
{
    static Fixture fixture;
    return fixture;
}

void BM_LayoutBar(benchmark::State& state)
{
    Fixture& f = Bar();
    for (auto _ : state)
        benchmark::DoNotOptimize(f.Layout());
}

void BM_PaintBar(benchmark::State& state)
{
    Fixture& f = Bar();
    f.Layout();
    CDC* dc = CDC::FromHandle(f.memDC);
    const RECT rc{0, 0, 1200, 120};
    for (auto _ : state)
        f.bar.DrawCommandBar(dc, rc);
}

void BM_PaintManagerStrip(benchmark::State& state)
{
    Fixture& f = Bar();
    f.Layout();
    CTKPPaintManager* paint = GetGlobalPaintManager();
    for (auto _ : state)
        for (int i = 0; i < kControls; ++i)
            paint->DrawControlFace(f.memDC, f.bar.GetControl(i)->GetRect(), i % 3, 0, TRUE, FALSE, FALSE,
                                   TKP_BARPOS_TOP);
}

} // namespace

BENCHMARK(BM_LayoutBar)->Repetitions(7)->ComputeStatistics("min", Min)->ReportAggregatesOnly(true);
BENCHMARK(BM_PaintBar)->Repetitions(7)->ComputeStatistics("min", Min)->ReportAggregatesOnly(true);
BENCHMARK(BM_PaintManagerStrip)->Repetitions(7)->ComputeStatistics("min", Min)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
