// The list view with 100,000 rows of six columns: filling it, painting a scrolled page, sorting it;
// each reports the process's peak memory.
#include "win32/controls.h"
#include "win32/user.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <sys/resource.h>

namespace {

constexpr int kRows = 100000;
constexpr int kColumns = 6;

double PeakRssMiB()
{
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

std::u16string Text(const char* prefix, int n)
{
    std::string s = prefix + std::to_string(n);
    return std::u16string(s.begin(), s.end());
}

struct Fixture {
    HWND top = nullptr;
    HWND list = nullptr;

    Fixture()
    {
        top = CreateWindowExW(0, u"Static", u"", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr, nullptr,
                              nullptr);
        list = CreateWindowExW(0, WC_LISTVIEWW, u"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0, 800,
                               600, top, (HMENU)1, nullptr, nullptr);
        SendMessageW(list, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
        SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                     LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
        const char16_t* titles[kColumns] = {u"Name", u"Size", u"Type", u"Modified", u"Created", u"Id"};
        for (int c = 0; c < kColumns; ++c) {
            LVCOLUMNW col{};
            col.mask = LVCF_TEXT | LVCF_WIDTH;
            col.pszText = (LPWSTR)titles[c];
            col.cx = 120;
            SendMessageW(list, LVM_INSERTCOLUMNW, (WPARAM)c, (LPARAM)&col);
        }
    }
    ~Fixture() { DestroyWindow(top); }

    void Fill()
    {
        for (int i = 0; i < kRows; ++i) {
            std::u16string name = Text("file", i) + u".dat";
            LVITEMW it{};
            it.mask = LVIF_TEXT | LVIF_PARAM;
            it.iItem = i;
            it.pszText = name.data();
            it.lParam = (kRows - i) * 7919 % kRows;
            SendMessageW(list, LVM_INSERTITEMW, 0, (LPARAM)&it);
            for (int c = 1; c < kColumns; ++c) {
                std::u16string t = Text(c == 2 ? "type " : "", i * c);
                LVITEMW sub{};
                sub.iSubItem = c;
                sub.pszText = t.data();
                SendMessageW(list, LVM_SETITEMTEXTW, (WPARAM)i, (LPARAM)&sub);
            }
        }
    }
};

void BM_InsertRows(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto f = std::make_unique<Fixture>();
        state.ResumeTiming();
        f->Fill();
        benchmark::DoNotOptimize(SendMessageW(f->list, LVM_GETITEMCOUNT, 0, 0));
        // Destroying tells the owner of every item, which is not what is measured here.
        state.PauseTiming();
        f.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
    state.counters["peak_rss_MiB"] = PeakRssMiB();
}
BENCHMARK(BM_InsertRows)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PaintScrolledPage(benchmark::State& state)
{
    Fixture f;
    f.Fill();
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 800, 600);
    HGDIOBJ old = SelectObject(mem, bmp);
    int top = 0;
    for (auto _ : state) {
        // A different page each time, scattered over the whole list.
        top = (top + 7919) % (kRows - 40);
        SendMessageW(f.list, LVM_ENSUREVISIBLE, (WPARAM)top, FALSE);
        SendMessageW(f.list, WM_PAINT, (WPARAM)mem, 0);
    }
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    state.counters["peak_rss_MiB"] = PeakRssMiB();
}
BENCHMARK(BM_PaintScrolledPage)->Unit(benchmark::kMillisecond);

int CALLBACK ByParam(LPARAM a, LPARAM b, LPARAM dir)
{
    return (a < b ? -1 : a > b ? 1 : 0) * (int)dir;
}

void BM_SortRows(benchmark::State& state)
{
    Fixture f;
    f.Fill();
    LPARAM dir = 1;
    for (auto _ : state) {
        SendMessageW(f.list, LVM_SORTITEMS, (WPARAM)dir, (LPARAM)ByParam);
        dir = -dir;
    }
    state.SetItemsProcessed(state.iterations() * kRows);
    state.counters["peak_rss_MiB"] = PeakRssMiB();
}
BENCHMARK(BM_SortRows)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
