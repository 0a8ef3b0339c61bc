// The real program's windows, headless through the layer's driver, each step timed from the user's action
// until everything it changed is painted: start-up until the main window is painted; a folder of 100,000
// files selected in the found-folder tree until the list holds and shows its rows; those rows sorted by a
// click on the size and the name header; a 4000 × 3000 JPEG of about 5 MiB previewed, then its view
// repainted. Five runs each (min and median reported), with the heap the list holds per row, the heap a
// sort leaves behind and the process's peak memory.
#include "app/dovemark_app.h"
#include "app/found_list_ctrl.h"
#include "app/found_tree_ctrl.h"
#include "app/main_frame.h"
#include "app/third_view_hdd.h"
#include "backend/headless/driver.h"
#include "engine/engine_state.h"
#include "engine/folder_tree_build.h"
#include "preview/main_preview_view.h"
#include "support/image_samples.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr long kFiles = 100000;

double PeakRssMiB()
{
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

double HeapBytes() { return double(mallinfo2().uordblks); }

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

// The program as main starts it, on this thread and headless.
struct Program {
    std::unique_ptr<CDovemarkApp> app;
    std::u16string line;
    HWND frame = nullptr;

    bool Start()
    {
        app = std::make_unique<CDovemarkApp>();
        app->m_hInstance = ::GetModuleHandleW(nullptr);
        app->m_lpCmdLine = line.data();
        app->m_nThreadID = ::GetCurrentThreadId();
        if (!app->InitInstance())
            return false;
        CWnd* main = AfxGetMainWnd();
        frame = main ? main->m_hWnd : nullptr;
        headless::PumpUntilIdle();
        return frame != nullptr;
    }
    ~Program()
    {
        if (frame && ::IsWindow(frame))
            ::DestroyWindow(frame);
        for (HWND h : headless::TopLevelWindows())
            ::DestroyWindow(h);
        headless::PumpUntilIdle();
        app.reset();
    }
    CMainFrame* Frame() const { return static_cast<CMainFrame*>(CWnd::FromHandlePermanent(frame)); }
};

void MinAndMedian(benchmark::internal::Benchmark* b)
{
    b->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond)->Iterations(1)->UseManualTime();
    b->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });
}

void BM_StartUntilPainted(benchmark::State& state)
{
    headless::UseVirtualClock();
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        Program program;
        if (!program.Start())
            state.SkipWithError("the program did not start");
        state.SetIterationTime(Seconds(start));
    }
    state.counters["peak_rss_MiB"] = PeakRssMiB();
}
BENCHMARK(BM_StartUntilPainted)->Apply(MinAndMedian);

// A FAT result: the root holds a folder of 10 files and one of kFiles files.
void MakeResult(HTREEITEM* small, HTREEITEM* big, CFoundTreeCtrl& tree)
{
    FreeScanResultLists();
    ScanMode = 2;
    PartitionParams.FsType = FS_KIND_FAT32;
    FoundFolderCount = 2;
    FoundFileCount = 0;
    AddFatFolderRecord(u"small folder", 1000, 0, 0x3A61, 0x3A61, 0, 0);
    AddFatFolderRecord(u"big folder", 1001, 0, 0x3A61, 0x3A61, 0, 0);
    for (long i = 0; i < 10; ++i) {
        ++FoundFileCount;
        AddFatEntryRecord(Wide("note " + std::to_string(i) + ".txt").c_str(), DWORD(50 + i), 1000, 0x3A61, 0x3A61,
                          DWORD(100 + i), 0);
    }
    static const char* const kExtensions[] = {".txt", ".jpg", ".doc", ".dat", ".pdf", ".xyz"};
    for (long i = 0; i < kFiles; ++i) {
        ++FoundFileCount;
        const std::string name = "document number " + std::to_string(i) + kExtensions[i % 6];
        AddFatEntryRecord(Wide(name).c_str(), DWORD(1000 + i), 1001, WORD(0x3A61 + i % 300), 0x3A61,
                          DWORD((i * 7919) % 5000000), i % 7 == 0);
    }
    TreeItemCount = 0;
    ScanStopFlag = 0;
    BuildFatFolderTree(InsertFoundTreeRoot(), 0);
    HTREEITEM root = tree.GetRootItem();
    *small = *big = nullptr;
    for (HTREEITEM child = tree.GetChildItem(root); child; child = tree.GetNextSiblingItem(child))
        (tree.GetItemText(child) == u"big folder" ? *big : *small) = child;
}

CPoint LabelOf(CFoundTreeCtrl& tree, HTREEITEM item)
{
    CRect text;
    tree.EnsureVisible(item);
    tree.GetItemRect(item, &text, TRUE);
    return text.CenterPoint();
}

// The results page with the result above, shown.
struct ResultsPage {
    Program program;
    CFoundTreeCtrl* tree = nullptr;
    CFoundListCtrl* list = nullptr;
    HTREEITEM small = nullptr, big = nullptr;

    bool Open()
    {
        headless::UseVirtualClock();
        if (!program.Start())
            return false;
        program.app->SwitchView(4);
        headless::PumpUntilIdle();
        tree = &program.app->m_pThirdView->GetFoundTree();
        list = program.app->m_pThirdView->GetFoundList();
        MakeResult(&small, &big, *tree);
        headless::PumpUntilIdle();
        return small && big && list;
    }
    void Select(HTREEITEM item)
    {
        headless::Click(tree->m_hWnd, LabelOf(*tree, item));
        headless::PumpUntilIdle();
    }
    ~ResultsPage() { FreeScanResultLists(); }
};

void BM_SelectFolderOf100kFiles(benchmark::State& state)
{
    ResultsPage page;
    if (!page.Open()) {
        state.SkipWithError("the results page did not open");
        return;
    }
    double bytesPerRow = 0;
    for (auto _ : state) {
        page.Select(page.small);
        const double before = HeapBytes();
        const Clock::time_point start = Clock::now();
        page.Select(page.big);
        state.SetIterationTime(Seconds(start));
        const int rows = page.list->GetItemCount();
        if (rows != kFiles + 1)
            state.SkipWithError("the list does not hold the folder's rows");
        bytesPerRow = (HeapBytes() - before) / std::max(rows, 1);
    }
    state.counters["list_bytes_per_row"] = bytesPerRow;
    state.counters["peak_rss_MiB"] = PeakRssMiB();
}
BENCHMARK(BM_SelectFolderOf100kFiles)->Apply(MinAndMedian);

// A click on the header of a column of the list, until the sorted rows are painted.
void SortByHeader(benchmark::State& state, int column)
{
    ResultsPage page;
    if (!page.Open()) {
        state.SkipWithError("the results page did not open");
        return;
    }
    page.Select(page.big);
    CHeaderCtrl* header = page.list->GetHeaderCtrl();
    CRect cell;
    header->GetItemRect(column, &cell);
    double kept = 0;
    for (auto _ : state) {
        const double before = HeapBytes();
        const Clock::time_point start = Clock::now();
        headless::Click(header->m_hWnd, cell.CenterPoint());
        headless::PumpUntilIdle();
        state.SetIterationTime(Seconds(start));
        kept = std::max(kept, HeapBytes() - before);
    }
    state.counters["heap_kept_MiB"] = kept / (1 << 20);
    state.counters["peak_rss_MiB"] = PeakRssMiB();
}
void BM_SortBySize(benchmark::State& state) { SortByHeader(state, 2); }
void BM_SortByName(benchmark::State& state) { SortByHeader(state, 0); }
BENCHMARK(BM_SortBySize)->Apply(MinAndMedian);
BENCHMARK(BM_SortByName)->Apply(MinAndMedian);

// A 4000 × 3000 photograph-like JPEG of about 5 MiB: smooth gradients under fine noise.
std::string WriteJpeg()
{
    const std::string path = "/tmp/dovemark_app_bench_" + std::to_string(getpid()) + "_photo.jpg";
    const int w = 4000, h = 3000;
    uint32_t noise = 12345;
    const std::vector<uint8_t> bytes = image_samples::Jpeg(w, h, 85, [&](int x, int y) {
        noise = noise * 1103515245u + 12345u;
        const int n = int(noise >> 28) - 8;
        const auto channel = [n](int v) { return uint32_t(std::clamp(v + n, 0, 255)); };
        return channel(x * 255 / w) << 16 | channel(y * 255 / h) << 8 | channel((x / 40 ^ y / 40) & 0xFF);
    });
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    return path;
}

// The picture's view in the preview pane, once shown.
HWND PictureView(CMainFrame* frame)
{
    CMainPreviewView* pane = frame ? frame->m_pPreviewView : nullptr;
    return pane && pane->m_pImageView ? pane->m_pImageView->GetSafeHwnd() : nullptr;
}

// One paint of the view, as its window would get it, into a bitmap of the view's size.
void PaintView(HWND view)
{
    auto* wnd = static_cast<CView*>(CWnd::FromHandlePermanent(view));
    if (!wnd)
        return;
    CRect client;
    wnd->GetClientRect(&client);
    CClientDC screen(nullptr);
    CDC memory;
    memory.CreateCompatibleDC(&screen);
    CBitmap target;
    target.CreateCompatibleBitmap(&screen, std::max(client.Width(), 1), std::max(client.Height(), 1));
    CBitmap* old = memory.SelectObject(&target);
    wnd->OnDraw(&memory);
    memory.SelectObject(old);
}

void Picture(benchmark::State& state, bool repaint)
{
    ResultsPage page;
    if (!page.Open()) {
        state.SkipWithError("the results page did not open");
        return;
    }
    const std::string path = WriteJpeg();
    CMainFrame* frame = page.program.Frame();
    const CString wide(Wide(path).c_str());
    // The pane's views are painted as their windows would be, whether or not the headless frame shows them.
    if (repaint) {
        frame->PreviewItem(wide, u".jpg");
        headless::PumpUntilIdle();
        PaintView(PictureView(frame));
    }
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        if (!repaint) {
            frame->PreviewItem(wide, u".jpg");
            headless::PumpUntilIdle();
        }
        PaintView(PictureView(frame));
        state.SetIterationTime(Seconds(start));
        if (!PictureView(frame))
            state.SkipWithError("no picture was shown");
    }
    std::remove(path.c_str());
    state.counters["peak_rss_MiB"] = PeakRssMiB();
}
void BM_PreviewJpeg4000x3000(benchmark::State& state) { Picture(state, false); }
void BM_RepaintJpeg4000x3000(benchmark::State& state) { Picture(state, true); }
BENCHMARK(BM_PreviewJpeg4000x3000)->Apply(MinAndMedian);
BENCHMARK(BM_RepaintJpeg4000x3000)->Apply(MinAndMedian);

} // namespace

BENCHMARK_MAIN();
