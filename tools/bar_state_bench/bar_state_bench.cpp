// Saving and loading the customised bars through the profile: a menu bar of six popups of ten
// commands each and a tool bar of twelve buttons, all written (none left out as unchanged), in an
// in-memory registry. Each runs several times and reports the minimum and the median.
#include "toolkit/base/settings_store.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/commandbars/tool_bar.h"
#include "win32/registry.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

double Min(const std::vector<double>& v)
{
    return *std::min_element(v.begin(), v.end());
}

BOOL Names(CString& key, CString& profile)
{
    key = u"Bench";
    profile = u"Bars";
    return TRUE;
}

CString Text(const std::string& text)
{
    return CString(std::u16string(text.begin(), text.end()).c_str());
}

// Bars shaped like the program's: the menu bar and the standard tool bar.
void Build(CTKPCommandBars& bars)
{
    bars.m_bCustomizable = TRUE;
    CTKPToolBar* menu = bars.AddToolBar(u"菜单栏  ", 1);
    menu->m_barType = TKP_BARTYPE_MENUBAR;
    for (int p = 0; p < 6; ++p) {
        auto* popup = static_cast<CTKPControlPopup*>(menu->GetControls()->Add(TKP_CONTROL_POPUP, 0));
        popup->SetCaption(Text("&Menu " + std::to_string(p)));
        CTKPCommandBar* bar = popup->GetCommandBar();
        for (int i = 0; i < 10; ++i)
            bar->GetControls()->Add(TKP_CONTROL_BUTTON, UINT(32771 + p * 10 + i))
                ->SetCaption(Text("Command " + std::to_string(i) + "\tCtrl+" + std::to_string(i)));
    }
    CTKPToolBar* tools = bars.AddToolBar(u"常用    ", 128);
    for (int i = 0; i < 12; ++i)
        tools->GetControls()->Add(TKP_CONTROL_BUTTON, UINT(32771 + i))->SetCaption(Text("Tool " + std::to_string(i)));
}

void Setup()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegistryUseMemoryStore();
    HKEY software = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, u"Software", 0, nullptr, 0, 0x2001F, nullptr, &software, nullptr);
    RegCloseKey(software);
    SetApplicationNamesProbe(&Names);
}

void BM_SaveBarControls(benchmark::State& state)
{
    Setup();
    CTKPCommandBars bars;
    Build(bars);
    for (auto _ : state)
        benchmark::DoNotOptimize(bars.SaveBarControls(u"CommandBars", FALSE));
}

void BM_LoadBarControls(benchmark::State& state)
{
    Setup();
    {
        CTKPCommandBars bars;
        Build(bars);
        bars.SaveBarControls(u"CommandBars", FALSE);
    }
    for (auto _ : state) {
        CTKPCommandBars bars;
        Build(bars);
        benchmark::DoNotOptimize(bars.LoadBarControls(u"CommandBars", TRUE));
    }
}

void BM_BuildOnly(benchmark::State& state)
{
    Setup();
    for (auto _ : state) {
        CTKPCommandBars bars;
        Build(bars);
        benchmark::DoNotOptimize(bars.GetCount());
    }
}

} // namespace

BENCHMARK(BM_SaveBarControls)->Repetitions(7)->ComputeStatistics("min", Min)->ReportAggregatesOnly(true);
BENCHMARK(BM_LoadBarControls)->Repetitions(7)->ComputeStatistics("min", Min)->ReportAggregatesOnly(true);
BENCHMARK(BM_BuildOnly)->Repetitions(7)->ComputeStatistics("min", Min)->ReportAggregatesOnly(true);
BENCHMARK_MAIN();
