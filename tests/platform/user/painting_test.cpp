// Painting: update areas, erasing with the class brush, clipping of children, and window PNGs.
#include "user_fixture.h"

#include "support/support.h"
#include "win32/gdi/surface.h"
#include "win32/user/presenter.h"

#include <fstream>

using namespace usertest;

namespace {

class Painting : public UserTest {};

HBRUSH Solid(COLORREF c)
{
    static std::map<COLORREF, HBRUSH> brushes;
    auto& b = brushes[c];
    if (!b)
        b = CreateSolidBrush(c);
    return b;
}

void RegisterColourClass(const char16_t* name, COLORREF colour)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = name;
    wc.hbrBackground = Solid(colour);
    RegisterClassExW(&wc);
}

COLORREF Pixel(HWND top, int x, int y)
{
    auto s = user::WindowSurface(top);
    uint32_t v = s->Row(y)[x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

TEST_F(Painting, SavedWindowShowsChildrenClippedByEachOther)
{
    RegisterColourClass(u"Red", RGB(255, 0, 0));
    RegisterColourClass(u"Blue", RGB(0, 0, 255));
    RegisterColourClass(u"Green", RGB(0, 255, 0));
    HWND top = CreateWindowExW(0, u"Red", u"top", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 10, 10, 220, 180,
                               nullptr, nullptr, nullptr, nullptr);
    // Blue is created first, so it is above Green; Green clips against its siblings.
    HWND blue = CreateWindowExW(0, u"Blue", u"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 10, 10, 100, 100, top,
                                nullptr, nullptr, nullptr);
    HWND green = CreateWindowExW(0, u"Green", u"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 60, 60, 100, 80, top,
                                 nullptr, nullptr, nullptr);
    ASSERT_TRUE(top && blue && green);
    std::string path = testsupport::ScratchDir() + "/tree.png";
    ASSERT_TRUE(headless::SavePng(top, path));
    std::ifstream f(path, std::ios::binary);
    char sig[8] = {};
    f.read(sig, 8);
    EXPECT_EQ(std::string(sig + 1, 3), "PNG");

    POINT c{0, 0};
    ClientToScreen(top, &c);
    RECT wr;
    GetWindowRect(top, &wr);
    int ox = c.x - wr.left, oy = c.y - wr.top; // client origin inside the window surface
    struct Probe {
        int x, y; // client coordinates of top
        COLORREF colour;
    };
    const Probe probes[] = {
        {5, 5, RGB(255, 0, 0)},     // parent only
        {20, 20, RGB(0, 0, 255)},   // blue only
        {80, 80, RGB(0, 0, 255)},   // overlap: blue is on top
        {140, 120, RGB(0, 255, 0)}, // green only
        {190, 5, RGB(255, 0, 0)},
    };
    for (const Probe& p : probes)
        EXPECT_EQ(Pixel(top, ox + p.x, oy + p.y), p.colour) << p.x << "," << p.y;
    // The frame is drawn by the layer: the caption of the active window in its colour.
    EXPECT_EQ(Pixel(top, 4, 6), GetSysColor(COLOR_ACTIVECAPTION)); // where its gradient starts
    EXPECT_EQ(Pixel(top, 0, 0), GetSysColor(COLOR_3DLIGHT));
    EXPECT_FALSE(headless::SavePng(blue, path)); // only top-level windows
}

TEST_F(Painting, UpdateAreaGrowsAndBeginPaintTakesIt)
{
    HWND w = MakeTop(u"w", WS_POPUP | WS_VISIBLE, {0, 0, 200, 100});
    headless::PumpUntilIdle();
    RECT u;
    EXPECT_FALSE(GetUpdateRect(w, &u, FALSE));
    RECT a{10, 10, 20, 20}, b{50, 5, 60, 15};
    InvalidateRect(w, &a, TRUE);
    InvalidateRect(w, &b, FALSE);
    EXPECT_TRUE(GetUpdateRect(w, &u, FALSE));
    RECT both{10, 5, 60, 20};
    EXPECT_TRUE(EqualRect(&u, &both));
    bool erased = false;
    SetHandler(w, [&](HWND, UINT m, WPARAM, LPARAM, LRESULT*) {
        erased |= m == WM_ERASEBKGND;
        return false;
    });
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    ASSERT_TRUE(dc);
    EXPECT_TRUE(EqualRect(&ps.rcPaint, &both));
    EXPECT_TRUE(erased);
    EXPECT_FALSE(ps.fErase); // the class brush erased it
    RECT clip;
    GetClipBox(dc, &clip);
    EXPECT_TRUE(EqualRect(&clip, &both)); // drawing is confined to the update area
    EndPaint(w, &ps);
    EXPECT_FALSE(GetUpdateRect(w, &u, FALSE));
    // Validating a part that covers it all leaves nothing to paint.
    InvalidateRect(w, &a, FALSE);
    ValidateRect(w, nullptr);
    MSG m;
    EXPECT_FALSE(PeekMessageW(&m, w, WM_PAINT, WM_PAINT, PM_NOREMOVE));
}

// A scroll bar whose range or position changes is redrawn with the frame it lies in; what the client
// shows stays valid (a list growing below its page must not repaint every row each time).
TEST_F(Painting, ARedrawnScrollBarLeavesTheClientValid)
{
    HWND w = MakeTop(u"w", WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_VISIBLE, {0, 0, 300, 200});
    SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 0, 0};
    SetScrollInfo(w, SB_VERT, &si, TRUE);
    headless::PumpUntilIdle();
    int frames = 0;
    SetHandler(w, [&](HWND, UINT m, WPARAM, LPARAM, LRESULT*) {
        frames += m == WM_NCPAINT;
        return false;
    });
    for (int max : {199, 299}) {
        si = SCROLLINFO{sizeof(si), SIF_RANGE | SIF_POS, 0, max, 0, 5, 0};
        SetScrollInfo(w, SB_VERT, &si, TRUE);
    }
    RECT u;
    EXPECT_FALSE(GetUpdateRect(w, &u, FALSE));
    headless::PumpUntilIdle();
    EXPECT_EQ(frames, 1);
}

TEST_F(Painting, UpdateAreaIsExactNotItsBoundingBox)
{
    RegisterColourClass(u"White", RGB(255, 255, 255));
    HWND w = CreateWindowExW(0, u"White", u"", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr, nullptr,
                             nullptr);
    // A child in the gap between the two invalid pieces must not be asked to paint.
    HWND child = MakeChild(w, u"c", {30, 40, 50, 60});
    headless::PumpUntilIdle();
    HRGN two = CreateRectRgn(10, 10, 20, 20);
    HRGN b = CreateRectRgn(60, 10, 70, 80);
    CombineRgn(two, two, b, RGN_OR);
    ASSERT_TRUE(InvalidateRgn(w, two, FALSE));
    HRGN got = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetUpdateRgn(w, got, FALSE), COMPLEXREGION);
    EXPECT_TRUE(EqualRgn(got, two));
    RECT u;
    EXPECT_FALSE(GetUpdateRect(child, &u, FALSE));

    // Validating one piece leaves the other exactly.
    ValidateRgn(w, b);
    GetUpdateRgn(w, got, FALSE);
    HRGN a = CreateRectRgn(10, 10, 20, 20);
    EXPECT_TRUE(EqualRgn(got, a));
    InvalidateRgn(w, b, FALSE);

    // Painting is clipped to the pieces, not to the box around them.
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    ASSERT_TRUE(dc);
    RECT box{10, 10, 70, 80};
    EXPECT_TRUE(EqualRect(&ps.rcPaint, &box));
    RECT all{0, 0, 200, 100};
    FillRect(dc, &all, Solid(RGB(0, 0, 0)));
    EndPaint(w, &ps);
    EXPECT_EQ(Pixel(w, 15, 15), RGB(0, 0, 0));
    EXPECT_EQ(Pixel(w, 65, 70), RGB(0, 0, 0));
    EXPECT_EQ(Pixel(w, 40, 15), RGB(255, 255, 255));
    EXPECT_EQ(GetUpdateRgn(w, got, FALSE), NULLREGION);

    // A diagonal scroll uncovers an L shape, and only that becomes invalid.
    HRGN exposed = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(ScrollWindowEx(w, 10, 10, nullptr, nullptr, exposed, nullptr, SW_INVALIDATE), COMPLEXREGION);
    EXPECT_FALSE(PtInRegion(exposed, 50, 50));
    EXPECT_TRUE(PtInRegion(exposed, 5, 50) && PtInRegion(exposed, 50, 5));
    GetUpdateRgn(w, got, FALSE);
    EXPECT_TRUE(EqualRgn(got, exposed));
    for (HRGN r : {two, b, a, got, exposed})
        DeleteObject(r);
    headless::PumpUntilIdle();
}

TEST_F(Painting, HiddenAndRedrawOffWindowsGetNoPaint)
{
    HWND w = MakeTop(u"w", WS_POPUP, {0, 0, 50, 50});
    InvalidateRect(w, nullptr, TRUE);
    MSG m;
    EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
    ShowWindow(w, SW_SHOW);
    SendMessageW(w, WM_SETREDRAW, FALSE, 0);
    EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
    SendMessageW(w, WM_SETREDRAW, TRUE, 0);
    EXPECT_TRUE(PeekMessageW(&m, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
    headless::PumpUntilIdle();
}

TEST_F(Painting, GetDCDrawsOutsidePaintAndScrollMovesPixels)
{
    RegisterColourClass(u"White", RGB(255, 255, 255));
    HWND w = CreateWindowExW(0, u"White", u"", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                             nullptr);
    headless::PumpUntilIdle();
    HDC dc = GetDC(w);
    ASSERT_TRUE(dc);
    RECT r{0, 0, 10, 10};
    FillRect(dc, &r, Solid(RGB(0, 0, 0)));
    EXPECT_EQ(WindowFromDC(dc), w);
    ReleaseDC(w, dc);
    EXPECT_EQ(Pixel(w, 5, 5), RGB(0, 0, 0));
    RECT exposed;
    EXPECT_EQ(ScrollWindowEx(w, 0, 20, nullptr, nullptr, nullptr, &exposed, SW_INVALIDATE), SIMPLEREGION);
    RECT expect{0, 0, 100, 20};
    EXPECT_TRUE(EqualRect(&exposed, &expect));
    EXPECT_EQ(Pixel(w, 5, 25), RGB(0, 0, 0)); // moved down by 20
    RECT u;
    EXPECT_TRUE(GetUpdateRect(w, &u, FALSE));
    EXPECT_TRUE(EqualRect(&u, &expect));
}

TEST_F(Painting, PrintDrawsFrameClientAndChildrenIntoAMemoryDC)
{
    RegisterColourClass(u"Blue", RGB(0, 0, 255));
    RegisterColourClass(u"Red", RGB(255, 0, 0));
    HWND top = CreateWindowExW(0, u"Red", u"", WS_POPUP | WS_BORDER, 0, 0, 60, 60, nullptr, nullptr, nullptr,
                               nullptr);
    CreateWindowExW(0, u"Blue", u"", WS_CHILD | WS_VISIBLE, 20, 20, 20, 20, top, nullptr, nullptr, nullptr);
    HDC mem = CreateCompatibleDC(nullptr);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = 60;
    bi.bmiHeader.biHeight = -60;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    SendMessageW(top, WM_PRINT, (WPARAM)mem, PRF_NONCLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
    auto px = [&](int x, int y) { return GetPixel(mem, x, y); };
    EXPECT_EQ(px(0, 0), GetSysColor(COLOR_WINDOWFRAME));
    EXPECT_EQ(px(5, 5), RGB(255, 0, 0));
    EXPECT_EQ(px(30, 30), RGB(0, 0, 255));
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
}

// The desktop's coordinates are the screen's: an area given without a window lands in each
// top-level window at its own client position, and only in the windows it covers.
TEST_F(Painting, RedrawOfTheDesktopTakesScreenCoordinates)
{
    HWND a = MakeTop(u"a", WS_POPUP | WS_VISIBLE, {100, 100, 300, 200});
    HWND b = MakeTop(u"b", WS_POPUP | WS_VISIBLE, {400, 400, 500, 500});
    headless::PumpUntilIdle();
    RECT screen{110, 120, 130, 140}, expect{10, 20, 30, 40};
    for (bool asRegion : {false, true}) {
        HRGN rgn = asRegion ? CreateRectRgnIndirect(&screen) : nullptr;
        ASSERT_TRUE(RedrawWindow(nullptr, asRegion ? nullptr : &screen, rgn, RDW_INVALIDATE));
        RECT u;
        EXPECT_TRUE(GetUpdateRect(a, &u, FALSE)) << asRegion;
        EXPECT_TRUE(EqualRect(&u, &expect)) << asRegion << " " << u.left << "," << u.top;
        EXPECT_FALSE(GetUpdateRect(b, &u, FALSE)) << asRegion;
        ValidateRect(a, nullptr);
        if (rgn)
            DeleteObject(rgn);
    }
}

TEST_F(Painting, EraseNowErasesOnlyTheInvalidPart)
{
    RegisterColourClass(u"White", RGB(255, 255, 255));
    HWND w = CreateWindowExW(0, u"White", u"", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                             nullptr);
    headless::PumpUntilIdle();
    HDC dc = GetDC(w);
    RECT all{0, 0, 100, 100};
    FillRect(dc, &all, Solid(RGB(0, 0, 0)));
    ReleaseDC(w, dc);
    RECT part{10, 10, 20, 20};
    InvalidateRect(w, &part, TRUE);
    ASSERT_TRUE(RedrawWindow(w, nullptr, nullptr, RDW_ERASENOW));
    EXPECT_EQ(Pixel(w, 15, 15), RGB(255, 255, 255));
    EXPECT_EQ(Pixel(w, 50, 50), RGB(0, 0, 0));
    RECT u;
    EXPECT_TRUE(GetUpdateRect(w, &u, FALSE)); // erased, still to be painted
    EXPECT_TRUE(EqualRect(&u, &part));
    headless::PumpUntilIdle();
}

// Trackers draw on the screen by inverting; that must show in the windows under the drawing, and
// drawing it again must give every window its pixels back.
TEST_F(Painting, ScreenDrawingShowsInTheWindowsUnderIt)
{
    RegisterColourClass(u"White", RGB(255, 255, 255));
    RegisterColourClass(u"Blue", RGB(0, 0, 255));
    HWND low = CreateWindowExW(0, u"White", u"", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                               nullptr);
    HWND high = CreateWindowExW(WS_EX_TOPMOST, u"Blue", u"", WS_POPUP | WS_VISIBLE, 50, 50, 100, 100, nullptr,
                                nullptr, nullptr, nullptr);
    headless::PumpUntilIdle();
    for (HDC (*get)(HWND) : {&GetDC, &GetWindowDC}) {
        HDC screen = get(nullptr);
        ASSERT_TRUE(screen);
        EXPECT_EQ(GetPixel(screen, 10, 10), RGB(255, 255, 255)); // the screen shows the windows
        EXPECT_EQ(GetPixel(screen, 60, 60), RGB(0, 0, 255));
        PatBlt(screen, 40, 40, 30, 30, DSTINVERT);
        EXPECT_EQ(Pixel(low, 45, 45), RGB(0, 0, 0)); // seen while the DC is still out
        ReleaseDC(nullptr, screen);
        EXPECT_EQ(Pixel(high, 5, 5), RGB(255, 255, 0));
        EXPECT_EQ(Pixel(low, 60, 60), RGB(255, 255, 255)); // under the top window: untouched
        screen = get(nullptr);
        PatBlt(screen, 40, 40, 30, 30, DSTINVERT);
        ReleaseDC(nullptr, screen);
        EXPECT_EQ(Pixel(low, 45, 45), RGB(255, 255, 255));
        EXPECT_EQ(Pixel(high, 5, 5), RGB(0, 0, 255));
    }
}

// Two screen DCs out at once draw on one screen: what one drew is not lost when the other one
// first looks at the screen, and both drawings reach the window.
TEST_F(Painting, ScreenDCsOutTogetherKeepEachOthersDrawing)
{
    RegisterColourClass(u"White", RGB(255, 255, 255));
    HWND w = CreateWindowExW(0, u"White", u"", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                             nullptr);
    headless::PumpUntilIdle();
    HDC first = GetDC(nullptr), second = GetDC(nullptr);
    ASSERT_TRUE(first && second);
    PatBlt(first, 10, 10, 20, 20, DSTINVERT);
    EXPECT_EQ(GetPixel(second, 15, 15), RGB(0, 0, 0));
    PatBlt(second, 20, 20, 20, 20, DSTINVERT); // inverts a corner of the first drawing back
    ReleaseDC(nullptr, second);
    ReleaseDC(nullptr, first);
    EXPECT_EQ(Pixel(w, 15, 15), RGB(0, 0, 0));
    EXPECT_EQ(Pixel(w, 25, 25), RGB(255, 255, 255));
    EXPECT_EQ(Pixel(w, 35, 35), RGB(0, 0, 0));
    EXPECT_EQ(Pixel(w, 45, 45), RGB(255, 255, 255));
}

// The screen as a DC on the desktop reads it.
COLORREF ScreenPixel(int x, int y)
{
    HDC dc = GetDC(nullptr);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(nullptr, dc);
    return c;
}

BYTE Mix(BYTE over, BYTE under, unsigned alpha)
{
    return BYTE((over * alpha + under * (255 - alpha) + 127) / 255);
}

TEST_F(Painting, LayeredWindowsShowAtTheirOpacityAndWithoutTheirKeyColour)
{
    RegisterColourClass(u"Blue", RGB(0, 0, 255));
    RegisterColourClass(u"Red", RGB(255, 0, 0));
    HWND blue = CreateWindowExW(0, u"Blue", u"", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                                nullptr);
    HWND red = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOPMOST, u"Red", u"", WS_POPUP | WS_VISIBLE, 50, 50, 100, 100,
                               nullptr, nullptr, nullptr, nullptr);
    HWND child = MakeChild(blue, u"c", {0, 0, 10, 10});
    ASSERT_TRUE(blue && red && child);
    // Only a layered top-level window takes the attributes.
    EXPECT_FALSE(SetLayeredWindowAttributes(blue, 0, 128, LWA_ALPHA));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(SetLayeredWindowAttributes(child, 0, 128, LWA_ALPHA));
    // Programs bind the function at run time.
    HMODULE user32 = GetModuleHandleW(u"USER32");
    ASSERT_TRUE(user32);
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(user32, "SetLayeredWindowAttributes")),
              reinterpret_cast<void*>(&SetLayeredWindowAttributes));

    ASSERT_TRUE(SetLayeredWindowAttributes(red, 0, 128, LWA_ALPHA));
    headless::PumpUntilIdle();
    COLORREF desk = GetSysColor(COLOR_BACKGROUND);
    COLORREF overBlue = RGB(Mix(255, 0, 128), 0, Mix(0, 255, 128));
    COLORREF overDesk = RGB(Mix(255, GetRValue(desk), 128), Mix(0, GetGValue(desk), 128), Mix(0, GetBValue(desk), 128));
    for (int round = 0; round < 2; ++round) { // composing again does not blend the window over itself
        EXPECT_EQ(ScreenPixel(75, 75), overBlue);
        EXPECT_EQ(ScreenPixel(125, 125), overDesk);
        EXPECT_EQ(ScreenPixel(25, 25), RGB(0, 0, 255));
    }
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(red, &key, &alpha, &flags));
    EXPECT_EQ(alpha, 128);
    EXPECT_EQ(flags, (DWORD)LWA_ALPHA);

    // The key colour lets what lies under show through.
    ASSERT_TRUE(SetLayeredWindowAttributes(red, RGB(255, 0, 0), 255, LWA_COLORKEY));
    EXPECT_EQ(ScreenPixel(75, 75), RGB(0, 0, 255));
    EXPECT_EQ(ScreenPixel(125, 125), desk);
    // Without the style the window is opaque again.
    SetWindowLongW(red, GWL_EXSTYLE, GetWindowLongW(red, GWL_EXSTYLE) & ~WS_EX_LAYERED);
    EXPECT_EQ(ScreenPixel(75, 75), RGB(255, 0, 0));
}

TEST_F(Painting, CaretBlinksOnTheClockAndSurvivesPainting)
{
    RegisterColourClass(u"White", RGB(255, 255, 255));
    HWND w = CreateWindowExW(0, u"White", u"", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                             nullptr);
    headless::PumpUntilIdle();
    const COLORREF on = RGB(0, 0, 0), off = RGB(255, 255, 255);
    ASSERT_TRUE(CreateCaret(w, nullptr, 2, 12));
    ASSERT_TRUE(SetCaretPos(10, 20));
    EXPECT_EQ(Pixel(w, 10, 20), off); // a new caret is hidden
    ASSERT_TRUE(ShowCaret(w));
    EXPECT_EQ(Pixel(w, 11, 31), on);
    EXPECT_EQ(Pixel(w, 12, 20), off);
    headless::AdvanceClock(GetCaretBlinkTime());
    headless::PumpUntilIdle();
    EXPECT_EQ(Pixel(w, 10, 20), off);
    headless::AdvanceClock(GetCaretBlinkTime());
    headless::PumpUntilIdle();
    EXPECT_EQ(Pixel(w, 10, 20), on);
    // Repainting the window under a shown caret leaves it shown, not inverted twice.
    InvalidateRect(w, nullptr, TRUE);
    headless::PumpUntilIdle();
    EXPECT_EQ(Pixel(w, 10, 20), on);
    // Moving takes it from the old place; hiding and destroying take it away.
    SetCaretPos(30, 20);
    EXPECT_EQ(Pixel(w, 10, 20), off);
    EXPECT_EQ(Pixel(w, 30, 20), on);
    HideCaret(w);
    EXPECT_EQ(Pixel(w, 30, 20), off);
    headless::AdvanceClock(GetCaretBlinkTime());
    headless::PumpUntilIdle();
    EXPECT_EQ(Pixel(w, 30, 20), off); // a hidden caret does not blink
    ShowCaret(w);
    EXPECT_EQ(Pixel(w, 30, 20), on);
    EXPECT_TRUE(DestroyCaret());
    EXPECT_EQ(Pixel(w, 30, 20), off);
    EXPECT_FALSE(ShowCaret(w));
}

} // namespace
