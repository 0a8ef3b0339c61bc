// Tests of the HTML drawer's passes on memory DCs: line layout, style tags, rules, tabs, tables, links.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sys/stat.h>
#include <thread>

#include "controls/html_drawer.h"
#include "support/support.h"
#include "win32/registry.h"
#include "win32/shell.h"
#include "platform/gdi/gdi_fixture.h"

namespace {

// The body style of the default sheet: 10pt Verdana, 13 pixels at 96 DPI.
struct TextProbe {
    HDC dc;
    explicit TextProbe(HDC target) : dc(target) {}
    SIZE Extent(const char16_t* text, int weight = 400, bool italic = false) const {
        HFONT font = CreateFontW(13, 0, 0, 0, weight, italic, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Verdana");
        HGDIOBJ old = SelectObject(dc, font);
        SIZE size{};
        GetTextExtentPoint32W(dc, text, (int)std::char_traits<char16_t>::length(text), &size);
        SelectObject(dc, old);
        DeleteObject(font);
        return size;
    }
    int LineHeight() const {
        HFONT font = CreateFontW(13, 0, 0, 0, 400, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Verdana");
        HGDIOBJ old = SelectObject(dc, font);
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        SelectObject(dc, old);
        DeleteObject(font);
        return tm.tmHeight;
    }
};

struct DrawerFixture : ::testing::Test {
    MemDC out{400, 300};
    CHtmlDrawer drawer;
    TextProbe probe{out.dc};

    SIZE Prepare(const char16_t* text) {
        SIZE size{-1, -1};
        drawer.PrepareOutput(out.dc, text, &size);
        return size;
    }
    void Draw(RECT rect) { drawer.DrawPreparedOutput(out.dc, &rect); }
};

}  // namespace

TEST_F(DrawerFixture, EmptyAndPlainText) {
    SIZE empty = Prepare(u"");
    EXPECT_EQ(empty.cx, 0);
    EXPECT_EQ(empty.cy, 0);
    Draw(RECT{0, 0, 400, 300});
    EXPECT_EQ(out.Count(RGB(255, 255, 255)), 400 * 300);

    SIZE size = Prepare(u"Hello");
    SIZE text = probe.Extent(u"Hello");
    EXPECT_EQ(size.cx, text.cx + 1);
    EXPECT_EQ(size.cy, probe.LineHeight() + 1);
    Draw(RECT{0, 0, 400, 300});
    EXPECT_GT(out.Count(RECT{0, 0, text.cx, text.cy}, RGB(0, 0, 0)), 0);
    EXPECT_EQ(out.Count(RECT{text.cx + 2, 0, 400, 300}, RGB(0, 0, 0)), 0);
}

TEST_F(DrawerFixture, LineBreaksTabsAndRules) {
    const int h = probe.LineHeight();
    struct { const char16_t* text; int width; int height; } cases[] = {
        {u"a<br=2>b", -1, 3 * h},
        {u"a</br=2>b", -1, 3 * h},
        {u"a<br 2>b", -1, 2 * h},
        {u"a<br>", -1, h},             // a text that ends in a break has no empty last line
        {u"a\nb", -1, 2 * h},
        {u"<hr width=40><t>", 64, 8},   // a rule of thickness 0 still takes 8 pixels of height
        {u"<hr width=40><t=2>", 96, 8},
        {u"<t>", 32, h},
        {u"<hr width=7 size=6>", 7, 14},
    };
    for (const auto& c : cases) {
        SIZE size = Prepare(c.text);
        if (c.width >= 0) {
            EXPECT_EQ(size.cx, c.width + 1);
        }
        EXPECT_EQ(size.cy, c.height + 1);
    }
    drawer.EnableEscapeSequences(FALSE);
    EXPECT_EQ(Prepare(u"a\nb").cy, h + 1);
}

TEST_F(DrawerFixture, PercentRuleIsDrawnAtItsShareOfTheRectangle) {
    Prepare(u"<hr width=50% size=1 color=red>");
    Draw(RECT{0, 0, 300, 100});
    const COLORREF red = RGB(255, 0, 0);
    EXPECT_EQ(out.Count(RECT{0, 0, 400, 300}, red), 150);
    EXPECT_EQ(out.At(149, 4), red);  // in the middle of a line 9 pixels high
    EXPECT_EQ(out.At(150, 4), RGB(255, 255, 255));
}

TEST_F(DrawerFixture, StyleStackIgnoresMismatchedClosingTags) {
    // The closing "b" does not match the open "i" and is ignored; the closing "i" restores bold.
    SIZE size = Prepare(u"<b><i>x</b>y</i>z");
    const int expected = probe.Extent(u"x", 700, true).cx + probe.Extent(u"y", 700, true).cx + probe.Extent(u"z", 700).cx;
    EXPECT_EQ(size.cx, expected + 1);
    EXPECT_EQ(Prepare(u"<B>x</B>").cx, probe.Extent(u"x").cx + 1);
    EXPECT_EQ(Prepare(u"<b><b>x</b></b>x").cx, probe.Extent(u"x", 800).cx + probe.Extent(u"x").cx + 1);
}

TEST_F(DrawerFixture, ColoursOffDrawEverythingInTheFixedColour) {
    drawer.EnableColors(FALSE);
    drawer.SetFixedColor(RGB(255, 0, 0));
    Prepare(u"<font color=blue size=24px>WWW</font>");
    Draw(RECT{0, 0, 400, 300});
    EXPECT_GT(out.Count(RGB(255, 0, 0)), 0);
    EXPECT_EQ(out.Count(RGB(0, 0, 255)), 0);
}

TEST_F(DrawerFixture, TableWidthsSpansAndPlacement) {
    struct { const char16_t* text; std::vector<int> widths; std::vector<int> heights; int width; } cases[] = {
        {u"<table cellpadding=0><tr><td><hr width=40></td><td><hr width=60></td></tr></table>", {40, 60}, {8}, 101},
        {u"<table cellpadding=0><tr><td colspan=2 width=25></td></tr><tr><td width=10></td><td width=10></td></tr></table>",
         {12, 13}, {0, 0}, 26},
        {u"<table cellpadding=0><tr><td rowspan=2 height=25></td><td height=10></td></tr><tr><td height=10></td></tr></table>",
         {0, 0}, {13, 12}, 1},
        // A double border adds 3 on each side; the cells inherit a border of 1.
        {u"<table cellpadding=0 border=1 borderstyle=double><tr><td width=40></td></tr></table>", {42}, {2}, 48},
        {u"<table cellpadding=0><tr><td><table cellpadding=0><tr><td width=30 height=7></td></tr></table></td></tr></table>",
         {30}, {7}, 30},
        {u"<table cellpadding=3 cellspacing=2><tr><td width=10></td></tr></table>", {16}, {6}, 2 + 16 + 2},
    };
    for (const auto& c : cases) {
        SIZE size = Prepare(c.text);
        ASSERT_FALSE(drawer.Tables().empty());
        EXPECT_EQ(drawer.Tables()[0].columnWidths, c.widths);
        EXPECT_EQ(drawer.Tables()[0].rowHeights, c.heights);
        EXPECT_EQ(size.cx, c.width + 1);
    }
    // Drawn wider than measured, columns without a width share the difference.
    Prepare(cases[0].text);
    Draw(RECT{0, 0, 201, 100});
    EXPECT_EQ(drawer.Tables()[0].columnWidths, (std::vector<int>{90, 110}));
    // All columns fixed: the table is placed by its alignment.
    Prepare(u"<table cellpadding=0 align=right bgcolor=red><tr><td width=40 height=5></td></tr></table>");
    Draw(RECT{0, 0, 201, 100});
    EXPECT_EQ(out.At(200, 2), RGB(255, 0, 0));
    EXPECT_EQ(out.At(161, 2), RGB(255, 0, 0));
    EXPECT_EQ(out.At(160, 2), RGB(255, 255, 255));
}

TEST_F(DrawerFixture, EmptyTableMeasuresNothing) {
    SIZE size = Prepare(u"<table></table>");
    EXPECT_LE(size.cx, 1);
    EXPECT_LE(size.cy, 1);
    EXPECT_EQ(Prepare(u"x<table></table>").cy, probe.LineHeight() + 1);
}

TEST_F(DrawerFixture, MalformedTextsTerminate) {
    const char16_t* corpus[] = {
        u"<table",  u"x<table>", u"<table><tr><td>abc", u"<table><tr><td colspan=0>a</td><td colspan=99999>b",
        u"<table><tr><td rowspan=9999 colspan=9999>x</td></tr><tr><td>y</td><td>z</td></tr></table>",
        u"<a href=\"abc", u"<font color='red", u"<font face=\"x>y", u"<br=99999999999>", u"<t=4000000000>",
        u"<<<<<", u"<", u"<>", u"<b", u"</table></table></tr></td>", u"<table><table><table>",
        u"<tr><td></td></tr>", u"<hr width=999999999% size=99999999>", u"<font size=99999999>x</font>",
        u"<table cellspacing=2147483647 border=2147483647><tr><td width=2147483647>x</td></tr></table>",
        u"<span class=\"", u"<icon handle=0xFFFFFFFF>", u"<bmp idres=7>", u"<ilst cx=0 cy=0 idres=1>",
        u"<table><tr><td><table><tr><td>a</td></tr></table>", u"&lt;table&gt;<<table",
    };
    for (const char16_t* text : corpus) {
        SIZE size = Prepare(text);
        EXPECT_GE(size.cx, 0);
        Draw(RECT{0, 0, 400, 300});
        drawer.SetMaxWidth(50);
        Prepare(text);
        Draw(RECT{0, 0, 400, 300});
        drawer.SetMaxWidth(0);
    }
    // Random splices of tags, quotes and text.
    const char16_t* pieces[] = {u"<table", u"</table>", u"<tr>", u"</tr", u"<td colspan=3>", u"<td rowspan=2",
                                u"</td>", u"\"", u"'", u"<", u">", u"<b>", u"</i>", u"<a href=x>", u"</a>",
                                u"word ", u"<br=3>", u"<t>", u"<hr width=30%>", u"=", u" ", u"<font size=7>"};
    std::mt19937 rng(12345);
    for (int i = 0; i < 100; ++i) {
        HtmlString text;
        for (int n = rng() % 24; n > 0; --n) text += pieces[rng() % _countof(pieces)];
        drawer.SetMaxWidth(i % 2 ? 60 : 0);
        Prepare(text.c_str());
        Draw(RECT{0, 0, 400, 300});
    }
}

TEST_F(DrawerFixture, WrappingKeepsMeasureAndDrawInStep) {
    drawer.SetMaxWidth(80);
    const char16_t* text = u"<center>one two three four five six seven eight nine ten</center>";
    SIZE size = Prepare(text);
    EXPECT_LE(size.cx, 81);
    const int h = probe.LineHeight();
    EXPECT_GT(size.cy, 3 * h);
    EXPECT_EQ((size.cy - 1) % h, 0);
    Draw(RECT{0, 0, 300, 300});
    EXPECT_EQ(out.Count(RECT{0, size.cy, 400, 300}, RGB(0, 0, 0)), 0);
}
TEST_F(DrawerFixture, LinkAreasAndHover) {
    Prepare(u"<a href=http://x>one</a> <a msg=m>two</a> <a>three</a>");
    Draw(RECT{0, 0, 400, 300});
    const auto& areas = drawer.LinkAreas();
    ASSERT_EQ(areas.size(), 3u);
    EXPECT_EQ(areas[0].kind, 1);
    EXPECT_EQ(areas[0].target, u"http://x");
    EXPECT_EQ(areas[1].kind, 2);
    EXPECT_EQ(areas[1].linkIndex, 1);
    EXPECT_TRUE(areas[2].target.empty());
    const RECT r = areas[1].rect;
    EXPECT_EQ(drawer.FindLinkArea(POINT{r.right, r.bottom}), 1);
    EXPECT_EQ(drawer.FindLinkArea(POINT{r.right + 1, r.bottom}), -1);

    EXPECT_TRUE(drawer.OnSetCursor(POINT{r.left + 1, r.top + 1}));
    EXPECT_EQ(drawer.HoveredLink(), 1);
    const RECT r3 = areas[2].rect;
    EXPECT_FALSE(drawer.OnSetCursor(POINT{r3.left + 1, r3.top + 1}));  // no target: no hand cursor
    EXPECT_EQ(drawer.HoveredLink(), 2);
    EXPECT_FALSE(drawer.OnSetCursor(POINT{399, 299}));
    EXPECT_EQ(drawer.HoveredLink(), -2);
    drawer.OnLButtonDown(POINT{r3.left + 1, r3.top + 1});  // empty target: nothing happens
}

TEST_F(DrawerFixture, BitmapsAndIconsByHandleAndMissingResources) {
    BITMAPINFO bi{};
    bi.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), 10, -6, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    uint32_t* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    std::fill(bits, bits + 60, 0x00FF0000u);
    const HtmlString handle = u"0x" + [](ULONG_PTR v) {
        HtmlString s;
        do s.insert(s.begin(), u"0123456789ABCDEF"[v & 15]); while (v >>= 4);
        return s;
    }((ULONG_PTR)bmp);

    SIZE size = Prepare((u"<bmp handle=" + handle + u">").c_str());
    EXPECT_EQ(size.cx, 11);
    EXPECT_EQ(size.cy, 7);
    Draw(RECT{0, 0, 400, 300});
    EXPECT_EQ(out.At(5, 3), RGB(255, 0, 0));
    EXPECT_EQ(out.At(10, 3), RGB(255, 255, 255));
    EXPECT_EQ(Prepare((u"<bmp handle=" + handle + u" width=50% height=3>").c_str()).cx, 6);
    // The handle belongs to the caller: the drawer must not have deleted it.
    BITMAP bm{};
    EXPECT_NE(GetObjectW(bmp, sizeof(bm), &bm), 0);
    DeleteObject(bmp);

    // An image that does not load draws nothing and does not move the text.
    EXPECT_EQ(Prepare(u"x<bmp idres=7>y<icon idres=7><bmp file=/nonexistent.bmp>").cx, probe.Extent(u"xy").cx + 1);

    HICON icon = LoadIconW(nullptr, IDI_QUESTION);
    ASSERT_NE(icon, nullptr);
    const HtmlString iconHandle = u"0x" + [](ULONG_PTR v) {
        HtmlString s;
        do s.insert(s.begin(), u"0123456789ABCDEF"[v & 15]); while (v >>= 4);
        return s;
    }((ULONG_PTR)icon);
    size = Prepare((u"<icon handle=" + iconHandle + u">").c_str());
    EXPECT_EQ(size.cx, 33);
    EXPECT_EQ(size.cy, 33);
    MemDC canvas(40, 40);
    RECT r{0, 0, 40, 40};
    drawer.DrawPreparedOutput(canvas.dc, &r);
    EXPECT_LT(canvas.Count(RGB(255, 255, 255)), 40 * 40);
    // The shared system icon survives the drawer.
    MemDC again(40, 40);
    EXPECT_TRUE(DrawIconEx(again.dc, 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL));
}

TEST_F(DrawerFixture, ImageListIconsForIlstWithoutASource) {
    // Two 16x16 cells: red, then blue.
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24, 2, 0);
    ASSERT_NE(list, nullptr);
    MemDC strip(32, 16);
    RECT red{0, 0, 16, 16}, blue{16, 0, 32, 16};
    HBRUSH rb = CreateSolidBrush(RGB(255, 0, 0)), bb = CreateSolidBrush(RGB(0, 0, 255));
    FillRect(strip.dc, &red, rb);
    FillRect(strip.dc, &blue, bb);
    DeleteObject(rb);
    DeleteObject(bb);
    HBITMAP cells = CreateBitmap(32, 16, 1, 32, nullptr);
    HDC mem = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(mem, cells);
    BitBlt(mem, 0, 0, 32, 16, strip.dc, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
    ASSERT_EQ(ImageList_Add(list, cells, nullptr), 0);
    DeleteObject(cells);

    EXPECT_EQ(Prepare(u"<ilst index=1>").cx, 1);  // no list yet: nothing (the output is one wider than its content)
    drawer.SetImageList(list);
    struct Case {
        const char16_t* html;
        LONG width;
        COLORREF at4;  // the pixel at (4, 4) once drawn
    };
    const Case cases[] = {
        {u"<ilst index=1>", 17, RGB(0, 0, 255)},
        {u"<ilst>", 17, RGB(255, 0, 0)},
        {u"<ilst index=1 width=50% height=50%>", 9, RGB(0, 0, 255)},
        {u"<ilst index=2>", 1, RGB(255, 255, 255)},  // past the last image: nothing
        {u"<ilst index=-1>", 17, RGB(0, 0, 255)},     // lengths carry no sign: the second image
    };
    for (const Case& c : cases) {
        SIZE size = Prepare(c.html);
        EXPECT_EQ(size.cx, c.width) << std::string(c.html, c.html + std::char_traits<char16_t>::length(c.html));
        MemDC canvas(40, 40);
        RECT r{0, 0, 40, 40};
        drawer.DrawPreparedOutput(canvas.dc, &r);
        EXPECT_EQ(canvas.At(4, 4), c.at4);
    }
    // The list belongs to the drawer now: replacing it destroys it.
    drawer.SetImageList(nullptr);
    EXPECT_EQ(ImageList_GetImageCount(list), 0);
}

namespace {

std::vector<std::pair<UINT, WPARAM>> g_notifications;
HtmlString g_linkText;

LRESULT CALLBACK NotifiedProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == 0x8064 || m == 0x8065) {
        g_notifications.emplace_back(m, w);
        if (m == 0x8065) g_linkText = reinterpret_cast<const char16_t*>(w);
        return 0;
    }
    return DefWindowProcW(h, m, w, l);
}

}  // namespace

TEST_F(DrawerFixture, HoverAndMessageLinksNotifyTheOwnerOnce) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = NotifiedProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = u"HtmlNotified";
    RegisterClassExW(&wc);
    HWND owner = CreateWindowExW(0, u"HtmlNotified", u"", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner, nullptr);
    drawer.SetCallbackRepaint(owner, 0x8064, 0);
    drawer.SetCallbackMessage(owner, 0x8065, 0);
    g_notifications.clear();

    Prepare(u"<a msg=\"scan again\">one</a> and <a msg=two>two</a>");
    Draw(RECT{0, 0, 400, 300});
    ASSERT_EQ(drawer.LinkAreas().size(), 2u);
    const RECT first = drawer.LinkAreas()[0].rect;
    drawer.OnSetCursor(POINT{first.left + 1, first.top + 1});
    drawer.OnSetCursor(POINT{first.left + 2, first.top + 1});  // same link: no second notification
    drawer.OnSetCursor(POINT{399, 299});
    drawer.OnSetCursor(POINT{398, 299});                       // staying outside: none
    using N = std::vector<std::pair<UINT, WPARAM>>;
    EXPECT_EQ(g_notifications, (N{{0x8064, 0}, {0x8064, (WPARAM)(INT_PTR)-2}}));

    g_notifications.clear();
    drawer.OnLButtonDown(POINT{first.left + 1, first.top + 1});
    ASSERT_EQ(g_notifications.size(), 1u);
    EXPECT_EQ(g_notifications[0].first, 0x8065u);
    EXPECT_EQ(g_linkText, u"scan again");

    // A null window clears the callback.
    drawer.SetCallbackRepaint(nullptr, 0x8064, 5);
    g_notifications.clear();
    drawer.OnSetCursor(POINT{first.left + 1, first.top + 1});
    EXPECT_TRUE(g_notifications.empty());
    DestroyWindow(owner);
}

// Links open through the shell; when the shell cannot, through the registered web-page command with
// the address in place of its "%1". Fake programs log what reached them.
TEST(HtmlLinks, OpenThroughTheShellThenTheWebPageCommand) {
    const std::string dir = testsupport::ScratchDir();
    const std::string log = dir + "/opened.log";
    auto writeScript = [&](const std::string& name, const std::string& exit) {
        std::ofstream(dir + "/" + name) << "#!/bin/sh\nprintf '" << name << " %s\\n' \"$@\" >> '" << log
                                        << "'\nexit " << exit << "\n";
        chmod((dir + "/" + name).c_str(), 0755);
    };
    // Waits until the log holds as many lines as expected (the programs run on their own).
    auto readLog = [&](size_t lines) {
        std::string text;
        for (int i = 0; i < 300; ++i) {
            std::ifstream in(log);
            text.assign(std::istreambuf_iterator<char>(in), {});
            if ((size_t)std::count(text.begin(), text.end(), '\n') >= lines) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::remove(log.c_str());
        return text;
    };
    writeScript("opener", "0");
    writeScript("refuser", "3");  // "no program for it"
    writeScript("browser", "0");
    const std::u16string url = u"http://example.com/page";

    setenv("DOVEMARK_OPENER", (dir + "/opener").c_str(), 1);
    EXPECT_GT(CHtmlDrawer().GotoUrl(url.c_str(), SW_SHOW), 32);
    EXPECT_EQ(readLog(1), "opener http://example.com/page\n");

    // The shell cannot open it and no page command is registered: the shell's answer stands.
    setenv("DOVEMARK_OPENER", (dir + "/refuser").c_str(), 1);
    EXPECT_EQ(CHtmlDrawer().GotoUrl(url.c_str(), SW_SHOW), SE_ERR_NOASSOC);
    EXPECT_EQ(readLog(1), "refuser http://example.com/page\n");

    // With a page command, the address replaces its quoted "%1".
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, u".htm", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::u16string pageClass = u"TestPage";
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(pageClass.c_str()),
                   DWORD((pageClass.size() + 1) * 2));
    RegCloseKey(key);
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, u"TestPage\\shell\\open\\command", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    std::u16string command;
    for (char c : dir + "/browser") command += char16_t(c);
    command += u" \"%1\" -new";
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   DWORD((command.size() + 1) * 2));
    RegCloseKey(key);
    EXPECT_GT(CHtmlDrawer().GotoUrl(url.c_str(), SW_SHOW), 32);
    EXPECT_EQ(readLog(2), "refuser http://example.com/page\nbrowser http://example.com/page\n");

    RegDeleteTreeW(HKEY_CLASSES_ROOT, u"TestPage");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, u".htm");
    unsetenv("DOVEMARK_OPENER");
}
