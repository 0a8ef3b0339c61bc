// Decoding and showing a 4000 × 3000 JPEG (the OLE picture load the views use, then a stretch onto a
// 640 × 480 bitmap, and the same for the picture view's 200 × 175 box), and opening a 100-page PDF until its first page is rendered. Five runs each; min and
// median are reported.
#include "preview/pdf_viewer_control.h"
#include "preview/preview_image.h"
#include "support/image_samples.h"
#include "support/pdf_samples.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string Scratch(const char* name) { return "/tmp/dovemark_picture_bench_" + std::to_string(getpid()) + name; }

void WriteJpeg(const std::string& path, int w, int h)
{
    const std::vector<uint8_t> bytes = image_samples::Jpeg(w, h, 90, [w, h](int x, int y) {
        return uint32_t(x * 255 / w) << 16 | uint32_t(y * 255 / h) << 8 | uint32_t((x ^ y) & 0xFF);
    });
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void WritePdf(const std::string& path, int pages)
{
    std::string content;
    for (int i = 0; i < 60; ++i)
        content += "BT /F1 10 Tf 40 " + std::to_string(780 - 12 * i) + " Td (Line " + std::to_string(i) +
                   " of a page of text for the benchmark) Tj ET\n";
    std::ofstream(path, std::ios::binary) << pdf_samples::WritePdf(pages, 595, 842, content);
}

CString Wide(const std::string& s) { return CString(std::u16string(s.begin(), s.end()).c_str()); }

// The whole picture decoded and stretched; or, as the picture view loads it, decoded only as large as its
// 200 × 175 box needs.
void ShowJpeg4000x3000(benchmark::State& state, bool forTheBox)
{
    const std::string path = Scratch("_photo.jpg");
    WriteJpeg(path, 4000, 3000);
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP target = ::CreateCompatibleBitmap(screen, 640, 480);
    HGDIOBJ old = ::SelectObject(dc, target);
    for (auto _ : state) {
        const dovemark::PictureBox box = [](int, int) { return SIZE{200, 175}; };
        CPreviewImage image(Wide(path), PreviewImageType(Wide(path)), forTheBox ? box : dovemark::PictureBox{});
        if (!image.IsValid() || !image.Stretch(dc, 0, 0, forTheBox ? 200 : 640, forTheBox ? 175 : 480))
            state.SkipWithError("the picture did not decode");
    }
    ::SelectObject(dc, old);
    ::DeleteObject(target);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
    std::remove(path.c_str());
}

void BM_ShowJpeg4000x3000(benchmark::State& state) { ShowJpeg4000x3000(state, false); }
void BM_ShowJpeg4000x3000InTheViewBox(benchmark::State& state) { ShowJpeg4000x3000(state, true); }

void BM_OpenPdf100Pages(benchmark::State& state)
{
    const std::string path = Scratch("_book.pdf");
    WritePdf(path, 100);
    CString wide = Wide(path);
    for (auto _ : state) {
        CWPViewPDFX viewer;
        BSTR bstr = ::SysAllocString(wide);
        if (!viewer.OpenFile(bstr) || viewer.GetPageCount() != 100)
            state.SkipWithError("the document did not open");
        ::SysFreeString(bstr);
    }
    std::remove(path.c_str());
}

void MinAndMedian(benchmark::internal::Benchmark* b)
{
    b->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond)->Iterations(1);
    b->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });
}

BENCHMARK(BM_ShowJpeg4000x3000)->Apply(MinAndMedian);
BENCHMARK(BM_ShowJpeg4000x3000InTheViewBox)->Apply(MinAndMedian);
BENCHMARK(BM_OpenPdf100Pages)->Apply(MinAndMedian);

} // namespace

BENCHMARK_MAIN();
