// A tool bar of 40 captioned controls in two groups: laying it out in rows, painting it, and, as
// the floor it cannot beat, the global paint manager drawing the same 40 faces without a bar; and a
// popup menu of 30 commands with icons and shadows opened, painted and closed; and a frame whose
// top dock bar holds nine tool bars, laid out again at a series of widths as a user resizing the
// window makes it do (rows shrink their bars and spill bars into new rows). Each runs several
// times and reports the minimum and the median, with the process's peak memory.
#include "afx/window_dc.h"
#include "toolkit/base/frame_wnd.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/dock_bar.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/image_manager.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/commandbars/popup_shadows.h"
#include "toolkit/commandbars/tool_bar.h"

#include <sys/resource.h>

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
    // Kept to the end of the process: the thread's trackers go before static objects would.
    static Fixture* fixture = new Fixture;
    return *fixture;
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

double PeakMemoryMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

// Opening a popup of 30 commands with the header menu's five icons, its solid shadows cast, painting
// it into a bitmap, and closing it.
void BM_OpenPaintPopup30(benchmark::State& state)
{
    Fixture& f = Bar();
    GetGlobalPaintManager()->m_bPopupShadow = TRUE;
    auto* images = new CTKPImageManager();
    images->SetIconsFromResource(9015);
    CTKPPopupBar* popup = CTKPPopupBar::CreatePopupBar(nullptr);
    popup->SetImageManager(images);
    for (int i = 0; i < 30; ++i) {
        CTKPControl* control = popup->GetControls()->Add(TKP_CONTROL_BUTTON, UINT(41000 + i));
        const std::string text = "Popup command " + std::to_string(i);
        control->SetCaption(CString(std::u16string(text.begin(), text.end()).c_str()));
        control->SetIconId(9158 + i % 5);
        control->SetBeginGroup(i % 10 == 0);
    }
    CDC* dc = CDC::FromHandle(f.memDC);
    const RECT rc{0, 0, 1200, 120};
    size_t strips = 0;
    for (auto _ : state) {
        popup->PopupAt(100, 100);
        strips = CTKPPopupShadows::Get().GetShadowWindows(popup).size();
        popup->DrawCommandBar(dc, rc);
        popup->SetTrackingMode(0);
    }
    state.counters["shadow_strips"] = double(strips);
    state.counters["peak_MiB"] = PeakMemoryMiB();
    popup->InternalRelease();
    GetGlobalPaintManager()->m_bPopupShadow = FALSE;
}

// Nine tool bars of ten buttons, three to a row, docked at places of their own along the rows; the
// frame is laid out at widths from wide to narrow and back.
void BM_DockRowsRelayout(benchmark::State& state)
{
    auto* frame = new CTKPFrameWnd;
    frame->Create(nullptr, u"Frame", WS_OVERLAPPEDWINDOW, CRect(0, 0, 1200, 600));
    auto* bars = new CTKPCommandBars;
    frame->m_pCommandBars = bars;
    bars->SetSite(frame);
    bars->EnableBarDocking();
    frame->ShowWindow(SW_SHOW);
    CTKPDockBar* top = bars->GetDockBar(0);
    std::vector<UINT> ids;
    for (UINT i = 0; i < 10; ++i)
        ids.push_back(42000 + i);
    for (int b = 0; b < 9; ++b) {
        CTKPToolBar* bar = bars->AddToolBar(u"Bar", UINT(100 + b));
        bar->SetButtons(ids.data(), int(ids.size()));
        frame->RecalcLayout();
        POINT at{20 + (b % 3) * 380, 12 + (b / 3) * 26};
        ::ClientToScreen(top->m_hWnd, &at);
        const RECT rc{at.x - 10, at.y - 5, at.x + 10, at.y + 5};
        bars->DockCommandBar(bar, &rc, top);
        frame->RecalcLayout();
    }
    const int widths[] = {1200, 1000, 800, 600, 400, 600, 800, 1000};
    size_t step = 0;
    for (auto _ : state) {
        frame->MoveWindow(0, 0, widths[step++ % std::size(widths)], 600);
        frame->RecalcLayout();
    }
    int rows = 0;
    for (int i = 1; i < top->GetBarCount(); ++i)
        rows += top->GetBar(i) ? 0 : 1;
    state.counters["rows"] = double(rows);
    state.counters["peak_MiB"] = PeakMemoryMiB();
    frame->DestroyWindow();
}

} // namespace

BENCHMARK(BM_DockRowsRelayout)->Repetitions(7)->ComputeStatistics("min", Min)->ReportAggregatesOnly(true);
BENCHMARK(BM_OpenPaintPopup30)->Repetitions(7)->ComputeStatistics("min", Min)->ReportAggregatesOnly(true);
BENCHMARK(BM_LayoutBar)->Repetitions(7)->ComputeStatistics("min", Min)->ReportAggregatesOnly(true);
BENCHMARK(BM_PaintBar)->Repetitions(7)->ComputeStatistics("min", Min)->ReportAggregatesOnly(true);
BENCHMARK(BM_PaintManagerStrip)->Repetitions(7)->ComputeStatistics("min", Min)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
