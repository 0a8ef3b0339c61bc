// Tests of the flat-bordered static and edit windows: the one-pixel frame in the toolkit's frame
// colour, the client area it takes, and the command bars' font.
#include <gtest/gtest.h>

#include "backend/headless/driver.h"
#include "toolkit/base/color_table.h"
#include "toolkit/base/flat_border_wnd.h"
#include "toolkit/base/paint_manager.h"
#include "test_windows.h"

#include <functional>
#include <memory>

namespace {

struct FlatKind {
    const char* name;
    std::function<std::unique_ptr<CWnd>(CWnd* parent, const RECT& rc)> create;
};

const FlatKind kKinds[] = {
    {"static",
     [](CWnd* parent, const RECT& rc) {
         auto wnd = std::make_unique<CTKPFlatStatic>();
         EXPECT_TRUE(wnd->Create(u"Drive C:", WS_CHILD | WS_VISIBLE, rc, parent, 100));
         return std::unique_ptr<CWnd>(std::move(wnd));
     }},
    {"edit",
     [](CWnd* parent, const RECT& rc) {
         auto wnd = std::make_unique<CTKPFlatEdit>();
         EXPECT_TRUE(wnd->Create(WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, rc, parent, 101));
         return std::unique_ptr<CWnd>(std::move(wnd));
     }},
};

class FlatBorderTest : public ::testing::TestWithParam<size_t> {
protected:
    void SetUp() override
    {
        tktest::RegisterPlainWindowClass(u"TkFlatParent", (HBRUSH)GetStockObject(WHITE_BRUSH));
        HWND hwnd = CreateWindowExW(0, u"TkFlatParent", u"p", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                                    nullptr, nullptr, nullptr);
        ASSERT_NE(hwnd, nullptr);
        m_parent.Attach(hwnd);
    }
    void TearDown() override
    {
        m_wnd.reset();
        m_parent.DestroyWindow();
        DestroyGlobalPaintManager();
    }
    CWnd* Make()
    {
        m_wnd = kKinds[GetParam()].create(&m_parent, RECT{10, 10, 110, 34});
        headless::PumpUntilIdle();
        return m_wnd.get();
    }
    CWnd m_parent;
    std::unique_ptr<CWnd> m_wnd;
};

TEST_P(FlatBorderTest, FramesTheWindowInOnePixelOfTheFrameColour)
{
    SetGlobalTheme(TKP_THEME_NATIVE);
    CWnd* wnd = Make();
    RECT client;
    wnd->GetClientRect(&client);
    EXPECT_EQ(client.right, 98);
    EXPECT_EQ(client.bottom, 22);

    const COLORREF frame = GetColorTable().GetColorByIndex(52);
    HDC hdc = GetWindowDC(wnd->m_hWnd);
    ASSERT_NE(hdc, nullptr);
    const POINT border[] = {{0, 0}, {50, 0}, {99, 0}, {0, 12}, {99, 12}, {0, 23}, {50, 23}, {99, 23}};
    for (POINT p : border)
        EXPECT_EQ(GetPixel(hdc, p.x, p.y), frame) << kKinds[GetParam()].name << " " << p.x << "," << p.y;
    EXPECT_NE(GetPixel(hdc, 1, 12), frame);
    ReleaseDC(wnd->m_hWnd, hdc);
}

TEST_P(FlatBorderTest, TakesTheBarFontAndMakesThePaintManagerWhenThereIsNone)
{
    DestroyGlobalPaintManager();
    CWnd* wnd = Make();
    CTKPPaintManager* pm = GetGlobalPaintManager();
    ASSERT_NE(pm, nullptr);
    EXPECT_EQ(pm->GetThemeId(), TKP_THEME_CLASSIC);
    EXPECT_EQ((HFONT)wnd->SendMessage(WM_GETFONT), pm->m_fontRegular);
}

INSTANTIATE_TEST_SUITE_P(Kinds, FlatBorderTest, ::testing::Range<size_t>(0, std::size(kKinds)));

} // namespace
