// A frame with 20 docked panes, five on each side of the client area, laid out again at each of a
// series of frame sizes, as a user resizing the window makes it do. Panes sit in tabbed
// containers, two to a container, when the library makes them; else the panes of a side stand
// side by side in a splitter container of their own.
// Each run repeats several times and reports the minimum and the median, with the peak memory.
#include "afx/frame.h"
#include "toolkit/docking/pane.h"
#include "toolkit/docking/pane_holders.h"
#include "toolkit/docking/pane_layout.h"
#include "toolkit/docking/pane_manager.h"
#include "toolkit/docking/pane_splitter.h"

#include <sys/resource.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr int kPanes = 20;

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

class BenchFrame : public CFrameWnd {
public:
    CTKPPaneManager m_paneManager;
    CWnd m_view;
};

struct Fixture {
    BenchFrame* frame = new BenchFrame;
    bool tabbed = false;
    CTKPPaneSplitterContainer* columns[4] = {};

    // The splitter container of a side's panes, made and docked on first use.
    CTKPPaneSplitterContainer* Column(int side)
    {
        if (columns[side])
            return columns[side];
        CTKPPaneManager& manager = frame->m_paneManager;
        CTKPPaneLayout* layout = manager.GetLayout();
        auto* column = static_cast<CTKPPaneSplitterContainer*>(manager.OnCreatePane(paneTypeSplitterContainer, layout));
        column->m_bHorizontal = side >= 2;
        column->m_nDockingCX = 200;
        column->m_nDockingCY = 150;
        CTKPPaneSplitterContainer* top = layout->GetTopContainer();
        if (side < 2) {
            if (!top->IsHorizontal()) {
                auto* row = static_cast<CTKPPaneSplitterContainer*>(manager.OnCreatePane(paneTypeSplitterContainer, layout));
                row->Init(top, TRUE, frame);
                layout->SetTopContainer(row);
                top = row;
            }
            top->AddPane(column, nullptr, side == 1);
        } else {
            CTKPPaneSplitterContainer* middle = static_cast<CTKPPaneSplitterContainer*>(top->GetPanes()[columns[0] ? 1 : 0]);
            middle->AddPane(column, nullptr, side == 3);
        }
        columns[side] = column;
        return column;
    }

    Fixture()
    {
        frame->Create(nullptr, u"Docking", WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{0, 0, 1200, 900});
        frame->m_view.Create(u"STATIC", u"", WS_CHILD | WS_VISIBLE, RECT{0, 0, 0, 0}, frame, AFX_IDW_PANE_FIRST);
        CTKPPaneManager& manager = frame->m_paneManager;
        manager.InstallDockingPanes(frame);
        manager.SetDockingTheme(2);
        std::vector<CTKPPane*> panes;
        for (int i = 0; i < kPanes; ++i) {
            auto* pane = static_cast<CTKPPane*>(manager.OnCreatePane(paneTypeDockingPane, manager.GetLayout()));
            pane->m_nID = 100 + i;
            const std::string title = "Pane " + std::to_string(i);
            pane->m_strTitle = CString(std::u16string(title.begin(), title.end()).c_str());
            pane->m_nDockingCX = 120 + 5 * i;
            pane->m_nDockingCY = 80 + 3 * i;
            pane->m_ptMinTrackSize = POINT{30, 30};
            pane->Attach(::CreateWindowExW(0, u"EDIT", u"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, manager.m_hWnd,
                                           nullptr, nullptr, nullptr));
            panes.push_back(pane);
        }
        CTKPPaneBase* probe = manager.OnCreatePane(paneTypeTabbedContainer, manager.GetLayout());
        tabbed = AsTabbedHolder(probe) != nullptr;
        if (probe)
            manager.GetLayout()->DestroyPane(probe);
        for (int i = 0; i < kPanes; i += 2) {
            const int side = (i / 2) % 4;
            CTKPPane* first = panes[size_t(i)];
            CTKPPane* second = panes[size_t(i + 1)];
            if (tabbed) {
                manager.DockPane(first, side, i >= 8 ? panes[size_t(i - 8)] : nullptr);
                manager.AttachPane(second, first);
            } else {
                Column(side)->AddPane(first);
                Column(side)->AddPane(second);
            }
        }
        frame->RecalcLayout();
    }
};

Fixture& Frame()
{
    static Fixture* fixture = new Fixture;
    return *fixture;
}

void BM_ResizeFrameWith20Panes(benchmark::State& state)
{
    Fixture& f = Frame();
    int step = 0;
    for (auto _ : state) {
        const int width = 900 + (step % 16) * 25, height = 700 + (step % 8) * 20;
        ++step;
        // The resize itself lays the frame out once.
        f.frame->SetWindowPos(nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    }
    int panes = 0;
    for (CTKPPaneBase* pane : f.frame->m_paneManager.GetLayout()->GetPaneList())
        panes += pane->GetType() == paneTypeDockingPane && pane->GetParentContainer() ? 1 : 0;
    state.counters["panes"] = panes;
    state.counters["tabbed"] = f.tabbed ? 1 : 0;
    state.counters["peak_MiB"] = PeakMemoryMiB();
}

// The frame's layout pass alone, without the window manager's part of a resize.
void BM_RecalcLayoutWith20Panes(benchmark::State& state)
{
    Fixture& f = Frame();
    for (auto _ : state)
        f.frame->RecalcLayout();
    state.counters["peak_MiB"] = PeakMemoryMiB();
}

} // namespace

BENCHMARK(BM_RecalcLayoutWith20Panes)->Repetitions(7)->ComputeStatistics("min", Min)->ReportAggregatesOnly(true);
BENCHMARK(BM_ResizeFrameWith20Panes)->Repetitions(7)->ComputeStatistics("min", Min)->ReportAggregatesOnly(true);
BENCHMARK_MAIN();
