// Benchmarks of BitBlt SRCCOPY, FillRect and TextOutW of a 60-character line into memory DCs.
#include "win32/gdi.h"

#include <benchmark/benchmark.h>

namespace {

struct Target {
    explicit Target(int w, int h)
    {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        dc = CreateCompatibleDC(nullptr);
        bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        old = SelectObject(dc, bmp);
    }
    ~Target()
    {
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
    }
    HDC dc;
    HBITMAP bmp;
    HGDIOBJ old;
};

void BitBltSrcCopy(benchmark::State& state)
{
    int size = int(state.range(0));
    Target src(size, size), dst(size, size);
    for (auto _ : state)
        BitBlt(dst.dc, 0, 0, size, size, src.dc, 0, 0, SRCCOPY);
    state.SetItemsProcessed(state.iterations() * size * size);
}
BENCHMARK(BitBltSrcCopy)->Arg(64)->Arg(512);

void FillRectSolid(benchmark::State& state)
{
    int size = int(state.range(0));
    Target dst(size, size);
    HBRUSH brush = CreateSolidBrush(RGB(10, 20, 30));
    RECT r{0, 0, size, size};
    for (auto _ : state)
        FillRect(dst.dc, &r, brush);
    DeleteObject(brush);
    state.SetItemsProcessed(state.iterations() * size * size);
}
BENCHMARK(FillRectSolid)->Arg(64)->Arg(512);

void TextOutLine(benchmark::State& state)
{
    Target dst(640, 32);
    HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"宋体");
    HGDIOBJ old = SelectObject(dst.dc, font);
    const char16_t line[] = u"Recovered 1,024 files from partition C: 扫描完成 in 00:03:27....";
    static_assert(sizeof(line) / sizeof(line[0]) - 1 == 60);
    for (auto _ : state)
        TextOutW(dst.dc, 2, 2, line, 60);
    SelectObject(dst.dc, old);
    DeleteObject(font);
}
BENCHMARK(TextOutLine);

} // namespace
