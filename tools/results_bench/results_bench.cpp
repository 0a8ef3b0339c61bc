// Cost of filling the found-file list with one folder of 100,000 files: the engine's fill into a port
// that keeps nothing, and the same fill through the application's port into the real list, called on
// the user-interface thread and from a worker (each row then crosses to the UI thread). The ratios to
// the engine's own cost are reported as counters.
#include "app/engine_ui.h"
#include "app/found_list_ctrl.h"
#include "app/found_tree_ctrl.h"
#include "app/results_controls.h"
#include "engine/engine_state.h"
#include "engine/found_list_fill.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace {

constexpr int kFiles = 100000;

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

void MakeFolder()
{
    FreeScanResultLists();
    ScanMode = 2;
    PartitionParams.FsType = FS_KIND_FAT32;
    FoundFileCount = 0;
    for (int i = 0; i < kFiles; ++i) {
        const std::string n = "document number " + std::to_string(i) + (i % 3 ? ".txt" : ".jpg");
        ++FoundFileCount;
        AddFatEntryRecord(std::u16string(n.begin(), n.end()).c_str(), 100 + i, 0, 0x3A61, 0x3A61, 1000 + i, i % 7 == 0);
    }
}

double g_engineSeconds = 0;

void BM_EngineFillIntoNullPort(benchmark::State& state)
{
    MakeFolder();
    NullPort port;
    SetEngineUi(&port);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        ShowFatFolder(0);
        g_engineSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    state.counters["rows"] = double(port.rows);
    SetEngineUi(nullptr);
}
BENCHMARK(BM_EngineFillIntoNullPort)->Unit(benchmark::kMillisecond)->Iterations(3);

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
    MakeFolder();
    Page page;
    CAppEngineUi ui;
    ui.SetDispatchWindow(page.host.m_hWnd);
    InstallAppEngineUi(&ui);
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
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
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    state.counters["rows"] = double(page.list->GetItemCount());
    if (g_engineSeconds > 0)
        state.counters["ratio_to_engine"] = seconds / g_engineSeconds;
    InstallAppEngineUi(nullptr);
}

void BM_RealPortFillOnUiThread(benchmark::State& state) { RealPortFill(state, false); }
void BM_RealPortFillFromWorker(benchmark::State& state) { RealPortFill(state, true); }
BENCHMARK(BM_RealPortFillOnUiThread)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RealPortFillFromWorker)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    FreeScanResultLists();
    return 0;
}
