// The own HTML renderer on a 5 MiB page of paragraphs and tables: read, prepared, built, laid out and
// painted in the preview pane (from DispatchPreview until the pane is idle), and the page alone
// built and laid out. Five runs each; min and median are reported.
#include "afx/afx.h"
#include "afx/frame.h"
#include "backend/headless/driver.h"
#include "preview/html/html_views.h"
#include "preview/main_preview_view.h"
#include "preview/preview_host.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

class BenchDoc : public CDocument {
public:
    BenchDoc() { m_bAutoDelete = FALSE; }
};

std::string Page5MiB()
{
    std::string block = "<h2>Section</h2><p>The quick brown <b>fox</b> jumps over the <i>lazy</i> dog; "
                        "<a href=next.html>a link</a> and some more words to fill the line.</p>"
                        "<table border=1 cellpadding=2><tr><th>Name<th>Size<th>Date</tr>"
                        "<tr><td>report.doc<td align=right>12345<td>2009-01-01</tr>"
                        "<tr><td colspan=3>a cell spanning all three columns</tr></table>\r\n";
    std::string out = "<html><body>";
    while (out.size() + block.size() <= (5u << 20))
        out += block;
    return out + "</body></html>";
}

std::string TempFile(const std::string& name, const std::string& bytes)
{
    std::string path = "/tmp/html_bench_" + std::to_string(getpid()) + "_" + name;
    std::ofstream(path, std::ios::binary).write(bytes.data(), (std::streamsize)bytes.size());
    return path;
}

void BM_ShowPage5MiB(benchmark::State& state)
{
    CPreviewHostWords host;
    BenchDoc doc;
    SetPreviewHost(&host);
    auto* f = new CFrameWnd;
    f->Create(nullptr, u"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 1024, 768));
    auto* pane = new CMainPreviewView;
    CCreateContext context;
    context.m_pCurrentDoc = &doc;
    CRect rc;
    f->GetClientRect(&rc);
    pane->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, rc, f, 0xE901, &context);
    headless::PumpUntilIdle();
    std::string path = TempFile("page.html", Page5MiB());
    for (auto _ : state) {
        pane->CloseChildViews();
        pane->DispatchPreview(CString(path.c_str()), u".html");
        headless::PumpUntilIdle();
    }
    unlink(path.c_str());
    DestroyWindow(f->m_hWnd);
    SetPreviewHost(nullptr);
}
BENCHMARK(BM_ShowPage5MiB)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)
    ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
    ->ReportAggregatesOnly(true);

class FixedOwner : public IHtmlOwner {
public:
    void MeasureText(HtmlView, int size, bool, bool, HtmlView text, int& cx, int& cy) override
    {
        cx = int(text.size()) * 8;
        cy = size;
    }
};

void BM_BuildAndLayoutPage5MiB(benchmark::State& state)
{
    std::string bytes = Page5MiB();
    HtmlText page(bytes.begin(), bytes.end());
    for (auto _ : state) {
        FixedOwner owner;
        HtmlDocument document(&owner);
        document.LoadHtml(page, u"Arial", 15, 0, u"file:///tmp/page.html");
        benchmark::DoNotOptimize(document.Layout(1000));
    }
}
BENCHMARK(BM_BuildAndLayoutPage5MiB)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)
    ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
    ->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
