// The preview pane showing large files: a 5 MiB text file, a 5 MiB 8-bit RGB Photoshop document, a
// dBASE table of 10,000 rows (about 5 MiB) and a zip archive of 10,000 entries, each from
// DispatchPreview until the pane and its viewer have painted. Each is shown five times; min and
// median are reported. Then the office suite's road: a ten-slide presentation until its thumbnails have
// painted and a 1,000-row workbook until its page has painted (three times each, the suite started afresh
// every time), with the longest pause of a window that asks to be repainted all along, and the peak memory
// of this process (the suite's own is not counted).
#include "afx/afx.h"
#include "afx/frame.h"
#include "backend/headless/driver.h"
#include "preview/main_preview_view.h"
#include "preview/preview_host.h"

#include "preview/office_converter.h"
#include "preview/thumb_view.h"
#include "support/office_samples.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// The document lists a slide folder's pictures for the thumbnail view, as the application's does.
class BenchDoc : public CDocument, public IImageFolderDocument {
public:
    BenchDoc() { m_bAutoDelete = FALSE; }
    void OpenImageFolder(LPCWSTR folder) override
    {
        m_folder = folder;
        m_names.clear();
        WIN32_FIND_DATAW found;
        HANDLE find = FindFirstFileW(m_folder + u"\\*", &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    m_names.push_back(found.cFileName);
            } while (FindNextFileW(find, &found));
            FindClose(find);
        }
        std::sort(m_names.begin(), m_names.end(), [](const CString& a, const CString& b) { return a.Compare(b) < 0; });
        for (POSITION pos = GetFirstViewPosition(); pos;)
            if (auto* view = dynamic_cast<CThumbView*>(GetNextView(pos)))
                view->FillThumbnails();
    }
    void DeleteFolderFiles(LPCWSTR folder) override
    {
        for (const CString& name : m_names)
            DeleteFileW(CString(folder) + u"\\" + name);
        m_names.clear();
    }
    void SetCurrentImage(int) override {}
    CString GetImageFolder() const override { return m_folder; }
    const std::vector<CString>& GetImageNames() const override { return m_names; }

private:
    CString m_folder;
    std::vector<CString> m_names;
};

struct Pane {
    CPreviewHostWords host;
    BenchDoc doc;
    HWND frame = nullptr;
    CMainPreviewView* pane = nullptr;

    Pane()
    {
        SetPreviewHost(&host);
        auto* f = new CFrameWnd;
        f->Create(nullptr, u"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 1024, 768));
        frame = f->m_hWnd;
        pane = new CMainPreviewView;
        CCreateContext context;
        context.m_pCurrentDoc = &doc;
        CRect rc;
        f->GetClientRect(&rc);
        pane->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, rc, f, 0xE901, &context);
        headless::PumpUntilIdle();
    }
    ~Pane()
    {
        DestroyWindow(frame);
        SetPreviewHost(nullptr);
    }
    void Show(const CString& path, const CString& extension)
    {
        pane->CloseChildViews();
        pane->DispatchPreview(path, extension);
        headless::PumpUntilIdle();
    }
};

std::string TempFile(const std::string& name, const std::string& bytes)
{
    std::string path = "/tmp/preview_bench_" + std::to_string(getpid()) + "_" + name;
    std::ofstream(path, std::ios::binary).write(bytes.data(), (std::streamsize)bytes.size());
    return path;
}

std::string Text5MiB()
{
    std::string line = "The quick brown fox jumps over the lazy dog; 0123456789 and some more words here.\r\n";
    std::string out;
    while (out.size() + line.size() <= (5u << 20))
        out += line;
    return out;
}

void Put(std::string& out, uint32_t v, int n)
{
    for (int i = n - 1; i >= 0; --i)
        out.push_back(char(v >> (8 * i)));
}

// 1024 x 1706 x 3 channels of raw 8-bit samples: just under 5 MiB.
std::string Psd5MiB()
{
    const uint32_t w = 1024, h = 1706;
    std::string out = "8BPS";
    Put(out, 1, 2);
    out += std::string(6, '\0');
    Put(out, 3, 2);
    Put(out, h, 4);
    Put(out, w, 4);
    Put(out, 8, 2);
    Put(out, 3, 2);
    Put(out, 0, 4);
    Put(out, 0, 4);
    Put(out, 0, 4);
    Put(out, 0, 2);
    for (uint32_t c = 0; c < 3; ++c)
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x)
                out.push_back(char((x * (c + 1) + y) & 0xFF));
    return out;
}

void BM_ShowText5MiB(benchmark::State& state)
{
    Pane p;
    CString path(TempFile("text.txt", Text5MiB()).c_str());
    for (auto _ : state)
        p.Show(path, u".txt");
    unlink(CStringA(path).GetString());
}
BENCHMARK(BM_ShowText5MiB)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)
    ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
    ->ReportAggregatesOnly(true);

void BM_ShowPsd5MiB(benchmark::State& state)
{
    Pane p;
    CString path(TempFile("image.psd", Psd5MiB()).c_str());
    for (auto _ : state)
        p.Show(path, u".psd");
    unlink(CStringA(path).GetString());
}
BENCHMARK(BM_ShowPsd5MiB)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)
    ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
    ->ReportAggregatesOnly(true);

// 10,000 records of 50 ten-byte character fields (about 5 MiB): the rows the view shows at most.
std::string Dbf5MiB()
{
    const int fields = 50, records = 10000, width = 10;
    std::string out(32, '\0');
    out[0] = 3;
    size_t header = 32 + 32 * fields + 1, record = 1 + fields * width;
    out[8] = char(header & 0xFF);
    out[9] = char(header >> 8);
    out[10] = char(record & 0xFF);
    out[11] = char(record >> 8);
    for (int f = 0; f < fields; ++f) {
        std::string d(32, '\0');
        std::string name = "F" + std::to_string(f);
        d.replace(0, name.size(), name);
        d[11] = 'C';
        d[16] = char(width);
        out += d;
    }
    out.push_back('\x0D');
    for (int r = 0; r < records; ++r) {
        out.push_back(' ');
        for (int f = 0; f < fields; ++f) {
            std::string v = std::to_string(r * fields + f);
            out += v + std::string(size_t(width) - v.size(), ' ');
        }
    }
    return out;
}

void BM_ShowDbf5MiB(benchmark::State& state)
{
    Pane p;
    CString path(TempFile("table.dbf", Dbf5MiB()).c_str());
    for (auto _ : state)
        p.Show(path, u".dbf");
    unlink(CStringA(path).GetString());
}
BENCHMARK(BM_ShowDbf5MiB)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)
    ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
    ->ReportAggregatesOnly(true);

void Put32Le(std::string& out, uint32_t v, int n)
{
    for (int i = 0; i < n; ++i)
        out.push_back(char(v >> (8 * i)));
}

// 10,000 stored entries of 16 bytes each, with DOS times and attributes.
std::string Zip10000()
{
    std::string out, central;
    for (uint32_t i = 0; i < 10000; ++i) {
        std::string name = "folder" + std::to_string(i % 50) + "/file" + std::to_string(i) + ".txt";
        std::string data = "entry " + std::to_string(100000 + i) + "\r\n";
        data.resize(16, ' ');
        uint32_t offset = uint32_t(out.size());
        uint32_t crc = 0; // checked only when read, which listing does not do
        uint32_t dos = uint32_t(41 << 25 | 3 << 21 | 5 << 16 | 14 << 11 | 30 << 5 | 10);
        Put32Le(out, 0x04034b50, 4);
        Put32Le(out, 20, 2);
        Put32Le(out, 0, 2);
        Put32Le(out, 0, 2);
        Put32Le(out, dos, 4);
        Put32Le(out, crc, 4);
        Put32Le(out, 16, 4);
        Put32Le(out, 16, 4);
        Put32Le(out, uint32_t(name.size()), 2);
        Put32Le(out, 0, 2);
        out += name + data;
        Put32Le(central, 0x02014b50, 4);
        Put32Le(central, 20, 2);
        Put32Le(central, 20, 2);
        Put32Le(central, 0, 2);
        Put32Le(central, 0, 2);
        Put32Le(central, dos, 4);
        Put32Le(central, crc, 4);
        Put32Le(central, 16, 4);
        Put32Le(central, 16, 4);
        Put32Le(central, uint32_t(name.size()), 2);
        Put32Le(central, 0, 2);
        Put32Le(central, 0, 2);
        Put32Le(central, 0, 2);
        Put32Le(central, 0, 2);
        Put32Le(central, 0x20, 4);
        Put32Le(central, offset, 4);
        central += name;
    }
    uint32_t directory = uint32_t(out.size());
    out += central;
    Put32Le(out, 0x06054b50, 4);
    Put32Le(out, 0, 4);
    Put32Le(out, 10000, 2);
    Put32Le(out, 10000, 2);
    Put32Le(out, uint32_t(central.size()), 4);
    Put32Le(out, directory, 4);
    Put32Le(out, 0, 2);
    return out;
}

// The archive view listing a zip of 10,000 entries: records, shell icons and times of every row.
void BM_ListZip10000(benchmark::State& state)
{
    Pane p;
    CString path(TempFile("entries.zip", Zip10000()).c_str());
    for (auto _ : state)
        p.Show(path, u".zip");
    unlink(CStringA(path).GetString());
}
BENCHMARK(BM_ListZip10000)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)
    ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
    ->ReportAggregatesOnly(true);

// A window that asks to be painted again each time it is painted, and the longest wait between two paints.
class PaintProbe : public CWnd {
public:
    using Clock = std::chrono::steady_clock;
    void Start()
    {
        m_last = Clock::now();
        m_longest = Clock::duration::zero();
        Invalidate(FALSE);
    }
    double LongestMs() const { return std::chrono::duration<double, std::milli>(m_longest).count(); }

protected:
    afx_msg void OnPaint()
    {
        CPaintDC dc(this);
        const Clock::time_point now = Clock::now();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
        Invalidate(FALSE);
    }
    DECLARE_MESSAGE_MAP()

private:
    Clock::time_point m_last;
    Clock::duration m_longest{};
};
BEGIN_MESSAGE_MAP(PaintProbe, CWnd)
    ON_WM_PAINT()
END_MESSAGE_MAP()

// The suite makes the sample from its flat XML, so the timed conversion reads a file the suite wrote.
std::string OfficeSample(const std::string& name, const std::string& flatXml, const char* format)
{
    const std::string flat = TempFile(name + ".flat", flatXml);
    CString converted;
    std::string host, sample;
    if (ConvertOfficeDocument(CString(flat.c_str()), format, converted) == OfficeResult::kOk &&
        dovemark::MapPath(converted, host)) {
        sample = TempFile(name, "");
        std::error_code ec;
        std::filesystem::copy_file(host, sample, std::filesystem::copy_options::overwrite_existing, ec);
    }
    unlink(flat.c_str());
    return sample;
}

void ShowOfficeDocument(benchmark::State& state, const std::string& name, const std::string& flatXml,
                        const char* format, const char16_t* extension)
{
    if (!IsOfficeSuiteAvailable()) {
        state.SkipWithError("the office suite is not installed");
        return;
    }
    Pane p;
    const std::string sample = OfficeSample(name, flatXml, format);
    if (sample.empty()) {
        state.SkipWithError("the office suite could not make the sample");
        return;
    }
    PaintProbe probe;
    probe.CreateEx(0, AfxRegisterWndClass(0), u"probe", WS_POPUP | WS_VISIBLE, CRect(0, 0, 50, 50), nullptr, 0);
    double longest = 0;
    for (auto _ : state) {
        probe.Start();
        p.Show(CString(sample.c_str()), extension);
        longest = std::max(longest, probe.LongestMs());
    }
    probe.DestroyWindow();
    const bool shown = CString(extension) == u".ppt" ? p.pane->m_pThumbView != nullptr : p.pane->m_pHtmlView != nullptr;
    if (!shown)
        state.SkipWithError("the document was not shown");
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["longest_paint_gap_ms"] = longest;
    state.counters["peak_rss_mib"] = double(usage.ru_maxrss) / 1024.0;
    unlink(sample.c_str());
}

void BM_ShowPresentation10Slides(benchmark::State& state)
{
    ShowOfficeDocument(state, "slides.ppt", office_samples::FlatPresentation(10), "ppt", u".ppt");
}
BENCHMARK(BM_ShowPresentation10Slides)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)
    ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
    ->ReportAggregatesOnly(true);

void BM_ShowWorkbook1000Rows(benchmark::State& state)
{
    ShowOfficeDocument(state, "sheet.xls", office_samples::FlatSpreadsheet(1000), "xls", u".xls");
}
BENCHMARK(BM_ShowWorkbook1000Rows)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)
    ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
    ->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
