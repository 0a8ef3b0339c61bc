// Costs of the tree control at the size of a large scan: 200,000 inserts and a scrolled repaint.
#include "backend/headless/driver.h"
#include "win32/controls.h"
#include "win32/gdi.h"
#include "win32/user.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <string>

namespace {

constexpr int kItems = 200000;
constexpr int kPerFolder = 100;

HWND MakeTree()
{
    return CreateWindowExW(0, WC_TREEVIEWW, u"", WS_POPUP | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES |
                           TVS_LINESATROOT | TVS_CHECKBOXES, 0, 0, 400, 600, nullptr, nullptr, nullptr, nullptr);
}

HTREEITEM Insert(HWND tree, HTREEITEM parent, const std::u16string& text)
{
    TVINSERTSTRUCTW ins{};
    ins.hParent = parent;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    ins.item.pszText = const_cast<LPWSTR>(text.c_str());
    ins.item.iImage = ins.item.iSelectedImage = 5;
    return (HTREEITEM)SendMessageW(tree, TVM_INSERTITEMW, 0, (LPARAM)&ins);
}

// Folders of a hundred entries each under one top item, as the folder-tree builders make them.
HTREEITEM Fill(HWND tree)
{
    HTREEITEM root = Insert(tree, TVI_ROOT, u"Root");
    HTREEITEM folder = root;
    for (int i = 1; i < kItems; ++i) {
        std::u16string name = u"folder or file number ";
        for (char c : std::to_string(i))
            name.push_back((char16_t)c);
        HTREEITEM h = Insert(tree, folder == root || i % kPerFolder == 0 ? root : folder, name);
        if (i % kPerFolder == 0)
            folder = h;
    }
    return root;
}

void ReportPeakMemory(benchmark::State& state)
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    state.counters["peak_rss_MiB"] = (double)ru.ru_maxrss / 1024.0;
}

void BM_TreeInsert200k(benchmark::State& state)
{
    for (auto _ : state) {
        HWND tree = MakeTree();
        Fill(tree);
        state.PauseTiming();
        DestroyWindow(tree);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kItems);
    ReportPeakMemory(state);
}
BENCHMARK(BM_TreeInsert200k)->Unit(benchmark::kMillisecond);

void BM_TreePaintScrolledPage(benchmark::State& state)
{
    HWND tree = MakeTree();
    HTREEITEM root = Fill(tree);
    SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, (LPARAM)root);
    for (HTREEITEM c = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, (LPARAM)root); c;
         c = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)c))
        SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, (LPARAM)c);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 400, 600);
    HGDIOBJ old = SelectObject(mem, bmp);
    HTREEITEM last = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_LASTVISIBLE, 0);
    SendMessageW(tree, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, (LPARAM)last);
    int step = 0;
    for (auto _ : state) {
        // A different page each time, near the end of the tree, as a dragged thumb shows them.
        SendMessageW(tree, WM_VSCROLL, step++ % 2 ? SB_PAGEUP : SB_LINEUP, 0);
        SendMessageW(tree, WM_PAINT, (WPARAM)mem, 0);
    }
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    ReportPeakMemory(state);
    DestroyWindow(tree);
}
BENCHMARK(BM_TreePaintScrolledPage)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    headless::UseVirtualClock();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
