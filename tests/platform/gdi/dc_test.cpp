// DC lifetime, handles, selection, saved states, surface DCs and PNG output.
#include "gdi_fixture.h"
#include "support/support.h"
#include "win32/gdi/surface.h"

#include <cstdio>
#include <fstream>

TEST(Handles, StaleAndWrongHandlesFailCleanly)
{
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_TRUE(dc);
    EXPECT_TRUE(DeleteDC(dc));
    SetLastError(0);
    EXPECT_FALSE(DeleteDC(dc));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    RECT r{0, 0, 1, 1};
    EXPECT_FALSE(FillRect(dc, &r, (HBRUSH)GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(SetBkColor(dc, 0), CLR_INVALID);

    HBRUSH b = CreateSolidBrush(0);
    EXPECT_TRUE(DeleteObject(b));
    EXPECT_FALSE(DeleteObject(b));
    EXPECT_EQ(GetObjectType(b), 0u);
    // A DC is not a GDI object for DeleteObject, and garbage is refused.
    HDC other = CreateCompatibleDC(nullptr);
    EXPECT_FALSE(DeleteObject(other));
    EXPECT_FALSE(DeleteObject((HGDIOBJ)(uintptr_t)0x7FFF1234));
    EXPECT_EQ(GetObjectType(other), DWORD(OBJ_MEMDC));
    DeleteDC(other);
}

TEST(Handles, StockObjectsSurviveDeletionAndSelectedBitmapsAreKept)
{
    HGDIOBJ black = GetStockObject(BLACK_BRUSH);
    EXPECT_TRUE(DeleteObject(black));
    EXPECT_EQ(GetObjectType(black), DWORD(OBJ_BRUSH));
    HBRUSH sys = GetSysColorBrush(COLOR_WINDOW);
    DeleteObject(sys);
    LOGBRUSH lb{};
    ASSERT_EQ(GetObjectW(sys, sizeof lb, &lb), int(sizeof lb));
    EXPECT_EQ(lb.lbColor, GetSysColor(COLOR_WINDOW));

    HDC a = CreateCompatibleDC(nullptr), b = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(a, 4, 4);
    HGDIOBJ old = SelectObject(a, bmp);
    EXPECT_EQ(GetObjectType(old), DWORD(OBJ_BITMAP));
    EXPECT_FALSE(DeleteObject(bmp));           // still selected
    EXPECT_EQ(SelectObject(b, bmp), nullptr); // a bitmap lives in one DC at a time
    SelectObject(a, old);
    EXPECT_TRUE(SelectObject(b, bmp));
    DeleteDC(b); // releases the bitmap
    EXPECT_TRUE(DeleteObject(bmp));
    DeleteDC(a);
}

TEST(Bitmaps, GetObjectDescribesEachKind)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP mono = CreateCompatibleBitmap(dc, 10, 3); // a fresh memory DC is monochrome
    BITMAP bm{};
    ASSERT_EQ(GetObjectW(mono, sizeof bm, &bm), int(sizeof bm));
    EXPECT_EQ(bm.bmBitsPixel, 1);
    EXPECT_EQ(bm.bmWidthBytes, 2);
    EXPECT_EQ(bm.bmBits, nullptr);

    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 5, 7, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    DIBSECTION ds{};
    ASSERT_EQ(GetObjectW(dib, sizeof ds, &ds), int(sizeof ds));
    EXPECT_EQ(ds.dsBm.bmBits, bits);
    EXPECT_EQ(ds.dsBmih.biHeight, 7);
    EXPECT_EQ(ds.dsBm.bmWidthBytes, 20);

    HPEN pen = CreatePen(PS_DASH, 1, RGB(1, 2, 3));
    LOGPEN lp{};
    ASSERT_EQ(GetObjectW(pen, sizeof lp, &lp), int(sizeof lp));
    EXPECT_EQ(lp.lopnStyle, UINT(PS_DASH));
    EXPECT_EQ(lp.lopnColor, RGB(1, 2, 3));
    LOGFONTW lf{};
    ASSERT_EQ(GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf), int(sizeof lf));
    EXPECT_EQ(lf.lfCharSet, GB2312_CHARSET);
    DeleteObject(pen);
    DeleteObject(dib);
    DeleteObject(mono);
    DeleteDC(dc);
}

TEST(SavedState, RestoreBringsBackObjectsColoursAndClip)
{
    MemDC m(4, 4);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    int level = SaveDC(m.dc);
    EXPECT_EQ(level, 1);
    HGDIOBJ before = SelectObject(m.dc, red);
    SetTextColor(m.dc, RGB(9, 9, 9));
    IntersectClipRect(m.dc, 0, 0, 1, 1);
    SaveDC(m.dc);
    EXPECT_TRUE(RestoreDC(m.dc, -1)); // the latest
    EXPECT_TRUE(RestoreDC(m.dc, level));
    EXPECT_EQ(GetCurrentObject(m.dc, OBJ_BRUSH), before);
    EXPECT_EQ(GetTextColor(m.dc), RGB(0, 0, 0));
    RECT box{};
    EXPECT_EQ(GetClipBox(m.dc, &box), SIMPLEREGION);
    EXPECT_EQ(box.right, 4);
    EXPECT_FALSE(RestoreDC(m.dc, 1));
    DeleteObject(red);
}

TEST(SurfaceDC, DrawsAtItsOriginWithinItsVisibleRegion)
{
    auto surface = gdi::Surface::Create(10, 10);
    HRGN vis = CreateRectRgn(0, 0, 4, 4);
    HRGN hole = CreateRectRgn(1, 1, 2, 2);
    CombineRgn(vis, vis, hole, RGN_DIFF);
    HDC dc = gdi::CreateSurfaceDC(surface, POINT{3, 2}, vis);
    DeleteObject(vis);
    DeleteObject(hole);
    ASSERT_TRUE(dc);
    RECT all{-100, -100, 100, 100};
    auto at = [&](int x, int y) { return surface->Row(y)[x]; };
    int painted = 0;
    HBRUSH white = (HBRUSH)GetStockObject(WHITE_BRUSH);
    FillRect(dc, &all, white);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            painted += at(x, y) == 0x00FFFFFFu;
    EXPECT_EQ(painted, 15);
    EXPECT_EQ(at(3, 2), 0x00FFFFFFu);
    EXPECT_EQ(at(4, 3), 0u); // the hole at device (1, 1)
    EXPECT_EQ(at(7, 2), 0u);
    RECT box{};
    EXPECT_EQ(GetClipBox(dc, &box), COMPLEXREGION);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.right, 4);

    // Handing the DC out again for another place resets its state.
    SetTextColor(dc, RGB(1, 1, 1));
    EXPECT_TRUE(gdi::SetSurfaceDCVisRegion(dc, POINT{0, 0}, nullptr, true));
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
    EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
    EXPECT_EQ(box.right, 10);
    EXPECT_EQ(gdi::GetDCSurface(dc), surface);
    EXPECT_TRUE(gdi::ReleaseSurfaceDC(dc));
    EXPECT_EQ(gdi::GetDCSurface(dc), nullptr);
}

// A deferred surface gets its pixels only when a DC draws on or reads it; measuring needs none.
TEST(SurfaceDC, DeferredSurfaceMeasuresWithoutPixelsAndDrawsOnFirstUse)
{
    auto surface = gdi::Surface::CreateDeferred(64, 48);
    ASSERT_TRUE(surface);
    HDC measuring = gdi::CreateSurfaceDC(surface, POINT{0, 0}, nullptr);
    HDC drawing = gdi::CreateSurfaceDC(surface, POINT{0, 0}, nullptr);
    ASSERT_TRUE(measuring && drawing);
    bool prepared = false;
    gdi::SetSurfaceDCPrepare(drawing, [&] { prepared = true; });

    SelectObject(measuring, GetStockObject(DEFAULT_GUI_FONT));
    SIZE blank{};
    TEXTMETRICW tm{};
    RECT box{};
    EXPECT_TRUE(GetTextExtentPoint32W(measuring, u" ", 1, &blank));
    EXPECT_TRUE(GetTextMetricsW(measuring, &tm));
    EXPECT_GT(blank.cy, 0);
    EXPECT_EQ(blank.cy, tm.tmHeight);
    EXPECT_EQ(GetDeviceCaps(measuring, HORZRES), 64);
    EXPECT_EQ(GetDeviceCaps(measuring, VERTRES), 48);
    EXPECT_EQ(GetDeviceCaps(measuring, BITSPIXEL), 32);
    EXPECT_EQ(GetClipBox(measuring, &box), SIMPLEREGION);
    EXPECT_EQ(box.right, 64);
    EXPECT_EQ(surface->pixels, nullptr);
    EXPECT_FALSE(prepared);

    // The first drawing runs the DC's preparation, then finds zeroed pixels; a DC made before
    // them reads what another drew.
    RECT r{2, 3, 6, 7};
    EXPECT_TRUE(FillRect(drawing, &r, (HBRUSH)GetStockObject(WHITE_BRUSH)));
    EXPECT_TRUE(prepared);
    ASSERT_NE(surface->pixels, nullptr);
    EXPECT_EQ(surface->Row(3)[2], 0x00FFFFFFu);
    EXPECT_EQ(surface->Row(7)[6], 0u);
    EXPECT_EQ(GetPixel(measuring, 5, 6), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(measuring, 6, 6), RGB(0, 0, 0));
    EXPECT_EQ(gdi::GetDCSurface(measuring), surface);
    gdi::ReleaseSurfaceDC(measuring);
    gdi::ReleaseSurfaceDC(drawing);

    // A surface that is neither deferred nor given pixels is refused.
    EXPECT_EQ(gdi::CreateSurfaceDC(std::make_shared<gdi::Surface>(), POINT{0, 0}, nullptr), nullptr);
}

TEST(Png, WritesTheBitmapOfADC)
{
    MemDC m(3, 2, RGB(10, 20, 30));
    std::string path = testsupport::ScratchDir() + "/out.png";
    ASSERT_TRUE(gdi::WritePng(m.dc, path));
    std::ifstream in(path, std::ios::binary);
    unsigned char head[24] = {};
    in.read(reinterpret_cast<char*>(head), sizeof head);
    EXPECT_EQ(head[1], 'P');
    EXPECT_EQ(head[19], 3); // IHDR width
    EXPECT_EQ(head[23], 2); // IHDR height
    SetLastError(0);
    EXPECT_FALSE(gdi::WritePng(m.dc, "/nonexistent-dir/x.png"));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_CANTWRITE));
}
