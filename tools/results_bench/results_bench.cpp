// Cost of filling the found-file list with one folder of 10,000 to 1,000,000 files: the engine's fill into a
// port that keeps nothing, and the same fill through the application's port into the real list, called on
// the user-interface thread and from a worker (whose rows then cross to the UI thread). Each reports its
// time, the heap the list holds per row and the process's peak memory. Besides, the other steps that grow
// with the size of a result, each with the process's peak memory: ticking the top of a found-folder tree
// with thousands of folders and files below it, giving the rows their own data back after a column sort,
// and pairing the folders of an NTFS volume that must be rebuilt without its boot sector.
#include "app/engine_ui.h"
#include "app/found_list_ctrl.h"
#include "app/found_tree_ctrl.h"
#include "app/results_controls.h"
#include "controls/list_sorter.h"
#include "engine/engine_state.h"
#include "engine/found_list_fill.h"
#include "engine/full_scan.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define DOVEMARK_BENCH_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DOVEMARK_BENCH_ASAN 1
#endif
#endif

#ifdef DOVEMARK_BENCH_ASAN
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

// The heap the program holds, without the allocator's own bookkeeping (nor the sanitizer's).
double HeapBytes()
{
#ifdef DOVEMARK_BENCH_ASAN
    return double(__sanitizer_get_current_allocated_bytes());
#else
    return double(mallinfo2().uordblks);
#endif
}

// A port that takes the rows and keeps nothing: the engine's own share of a fill.
class NullPort : public IEngineUi {
public:
    long rows = 0;
    void ShowMessage(const WCHAR*, EngineMessageKind) override {}
    bool AskYesNo(const WCHAR*) override { return false; }
    void SetProgress(UINT) override {}
    void SetStatusText(EngineStatusField, const WCHAR*) override {}
    void SetCounter(EngineCounter, ULONGLONG) override {}
    void AddDriveItem(const WCHAR*, DWORD) override {}
    DWORD InsertFolderItem(DWORD, const WCHAR*, BOOL) override { return FOUND_TREE_ITEM_FLAG | 1; }
    void SetFolderItemColor(DWORD, COLORREF) override {}
    void ExpandFolderItem(DWORD) override {}
    void ClearFileRows() override { rows = 0; }
    void AddFileRow(const FoundFileRow&) override { ++rows; }
};

void MakeFolder(long files)
{
    FreeScanResultLists();
    ScanMode = 2;
    PartitionParams.FsType = FS_KIND_FAT32;
    FoundFileCount = 0;
    for (long i = 0; i < files; ++i) {
        const std::string n = "document number " + std::to_string(i) + (i % 3 ? ".txt" : ".jpg");
        ++FoundFileCount;
        AddFatEntryRecord(std::u16string(n.begin(), n.end()).c_str(), DWORD(100 + i), 0, 0x3A61, 0x3A61, DWORD(1000 + i),
                          i % 7 == 0);
    }
}

double PeakRssMiB()
{
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

void BM_EngineFillIntoNullPort(benchmark::State& state)
{
    MakeFolder(state.range(0));
    NullPort port;
    SetEngineUi(&port);
    for (auto _ : state)
        ShowFatFolder(0);
    state.counters["rows"] = double(port.rows);
    SetEngineUi(nullptr);
}
BENCHMARK(BM_EngineFillIntoNullPort)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)
    ->Iterations(1)->Repetitions(3);

// Serves the port's calls from a worker, as the main frame does.
class DispatchWindow : public CWnd {
protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        LRESULT result = 0;
        if (CAppEngineUi* ui = AppEngineUi(); ui && ui->ServeMessage(message, wParam, lParam, &result))
            return result;
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

// The results page's controls on a plain window, the application's port dispatching to them.
struct Page {
    DispatchWindow host;
    CFoundTreeCtrl tree;
    CFoundListCtrl* list = new CFoundListCtrl;
    Page()
    {
        host.CreateEx(0, nullptr, u"results", WS_POPUP | WS_VISIBLE, CRect(0, 0, 900, 600), nullptr, 0);
        tree.Create(WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_CHECKBOXES, CRect(0, 0, 250, 600), &host, 162);
        tree.InitControl();
        list->Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(250, 0, 900, 600), &host, 165);
        list->SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
        list->CreateCheckImages();
        list->CreateColumns();
        tree.SetFoundList(list);
        list->SetFoundTree(&tree);
        TheResultsControls().tree = &tree;
        TheResultsControls().list = list;
    }
    ~Page()
    {
        TheResultsControls() = ResultsControls{};
        list->DestroyWindow();
        delete list;
        tree.DestroyWindow();
        host.DestroyWindow();
    }
};

void RealPortFill(benchmark::State& state, bool fromWorker)
{
    MakeFolder(state.range(0));
    Page page;
    CAppEngineUi ui;
    ui.SetDispatchWindow(page.host.m_hWnd);
    InstallAppEngineUi(&ui);
    const double emptyList = HeapBytes();
    double listBytes = 0;
    for (auto _ : state) {
        // The previous pass's rows go first, so each pass measures the list it made.
        state.PauseTiming();
        page.list->ClearRows();
        state.ResumeTiming();
        if (fromWorker) {
            std::atomic<bool> done{false};
            std::thread worker([&] {
                ShowFatFolder(0);
                done = true;
            });
            PumpUntil([&] { return done.load(); });
            worker.join();
        } else {
            ShowFatFolder(0);
        }
        state.PauseTiming();
        listBytes = HeapBytes() - emptyList;
        state.ResumeTiming();
    }
    const double rows = double(page.list->GetItemCount());
    state.counters["rows"] = rows;
    state.counters["list_bytes_per_row"] = rows > 0 ? listBytes / rows : 0;
    state.counters["peak_rss_MiB"] = PeakRssMiB();
    InstallAppEngineUi(nullptr);
}

void BM_RealPortFillOnUiThread(benchmark::State& state) { RealPortFill(state, false); }
void BM_RealPortFillFromWorker(benchmark::State& state) { RealPortFill(state, true); }
BENCHMARK(BM_RealPortFillOnUiThread)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)
    ->Iterations(1)->Repetitions(3);
BENCHMARK(BM_RealPortFillFromWorker)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)
    ->Iterations(1)->Repetitions(3);

std::u16string Text(const char* prefix, long n)
{
    const std::string s = prefix + std::to_string(n);
    return std::u16string(s.begin(), s.end());
}

// A FAT result of `folders` folders, ten to a level below the top item, each holding `files` files.
HTREEITEM MakeFatTree(Page& page, long folders, long files)
{
    FreeScanResultLists();
    ScanMode = 2;
    PartitionParams.FsType = FS_KIND_FAT32;
    FoundFileCount = FoundFolderCount = 0;
    HTREEITEM top = page.tree.InsertFolderItem(u"Root", TVI_ROOT);
    std::vector<HTREEITEM> items{top};
    std::vector<DWORD> clusters{0};
    for (long f = 1; f <= folders; ++f) {
        const long parent = (f - 1) / 10;
        HTREEITEM item = page.tree.InsertFolderItem(Text("folder ", f).c_str(), items[size_t(parent)]);
        items.push_back(item);
        clusters.push_back(DWORD(1000 + f));
        AddFatFolderRecord(Text("folder ", f).c_str(), clusters.back(), clusters[size_t(parent)], 0, 0,
                           CFoundTreeCtrl::ToHandle(item), 0);
    }
    for (long f = 0; f <= folders; ++f)
        for (long i = 0; i < files; ++i) {
            ++FoundFileCount;
            AddFatEntryRecord(Text("file ", i).c_str(), DWORD(100000 + f * files + i), clusters[size_t(f)], 0, 0,
                              1000, 0);
        }
    return top;
}

void BM_TickFolderTree(benchmark::State& state)
{
    Page page;
    const HTREEITEM top = MakeFatTree(page, state.range(0), state.range(1));
    for (auto _ : state) {
        page.list->MarkSubtreeFolders(top);
        page.list->UnmarkSubtreeFolders(top);
    }
    state.counters["folders"] = double(state.range(0));
    state.counters["files"] = double(FoundFileCount);
    state.counters["peak_rss_MiB"] = PeakRssMiB();
    FreeScanResultLists();
}
BENCHMARK(BM_TickFolderTree)->Args({1000, 100})->Args({4000, 25})->Unit(benchmark::kMillisecond)->Iterations(1);

// The user's whole-result ticks through the tree, as its check box runs them: the top item ticked and
// unticked (every file, the list's rows and the size line follow), and one first-level branch.
void TickThroughTree(benchmark::State& state, bool top)
{
    Page page;
    CAppEngineUi ui;
    ui.SetDispatchWindow(page.host.m_hWnd);
    InstallAppEngineUi(&ui);
    const HTREEITEM root = MakeFatTree(page, state.range(0), state.range(1));
    ShowFatFolder(0);
    const HTREEITEM item = top ? root : page.tree.GetChildItem(root);
    for (auto _ : state) {
        page.tree.SetBoxTick(item, true);
        page.tree.SetBoxTick(item, false);
    }
    state.counters["folders"] = double(state.range(0));
    state.counters["files"] = double(FoundFileCount);
    state.counters["peak_rss_MiB"] = PeakRssMiB();
    InstallAppEngineUi(nullptr);
    FreeScanResultLists();
}
void BM_TickWholeResult(benchmark::State& state) { TickThroughTree(state, true); }
void BM_TickFirstBranch(benchmark::State& state) { TickThroughTree(state, false); }
BENCHMARK(BM_TickWholeResult)->Args({1000, 100})->Args({4000, 25})->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_TickFirstBranch)->Args({1000, 100})->Args({4000, 25})->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_SorterGivesDataBack(benchmark::State& state)
{
    Page page;
    CListCtrl& list = *page.list;
    const int rows = int(state.range(0));
    for (int i = 0; i < rows; ++i) {
        const int at = list.InsertItem(i, Text("file ", i).c_str());
        list.SetItemText(at, 2, Text("", (i * 7919L) % rows).c_str());
        list.SetItemData(at, DWORD_PTR(i));
    }
    for (auto _ : state) {
        CListSorter sorter(&list, 2);
        sorter.Sort(TRUE, CListSorter::kNumber);
    }
    state.counters["rows"] = double(rows);
    state.counters["peak_rss_MiB"] = PeakRssMiB();
}
BENCHMARK(BM_SorterGivesDataBack)->Arg(20000)->Arg(80000)->Unit(benchmark::kMillisecond)->Iterations(1);

// Folders whose index blocks all say the same cluster size and origin, on a device that cannot be read:
// no pair of them is ever claimed, so every folder is paired with every later one.
void BM_PairRebuiltNtfsFolders(benchmark::State& state)
{
    const long folders = state.range(0);
    for (auto _ : state) {
        state.PauseTiming();
        ResetFullScanLists();
        DriveKind = 3;
        PartitionParams = {};
        PartitionParams.StartSector = 0;
        PartitionParams.SectorCount = 0x10000000;
        for (long f = 0; f < folders; ++f) {
            const DWORD record = DWORD(100 + f), cluster = DWORD(50 + f);
            AddFoundFolder(Text("dir ", f).c_str(), DWORD(10000 + 2 * f), 5, record, 0, 0, 0, 0, 0, cluster, 0);
            AppendIndexBlockNode(DWORD(2048 + 8 * cluster), record, 0, 0xFFFF, 8);
        }
        state.ResumeTiming();
        RebuildNtfsVolumes();
    }
    state.counters["folders"] = double(folders);
    state.counters["peak_rss_MiB"] = PeakRssMiB();
    ResetFullScanLists();
}
BENCHMARK(BM_PairRebuiltNtfsFolders)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond)->Iterations(1);


} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    FreeScanResultLists();
    return 0;
}
