// Tests of the dialog bar: its size from the client size and the caption, the caption's controls,
// the edges it may be resized from, resizing, the child's place, and its sizes in the saved state.
#include <gtest/gtest.h>

#include "../base/test_settings.h"
#include "backend/headless/driver.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/commandbars/bar_state.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/dialog_bar.h"
#include "toolkit/commandbars/popup_bar.h"

namespace {

class DialogBarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetGlobalTheme(0);
        ASSERT_TRUE(host.CreateEx(0, AfxRegisterWndClass(0), u"host", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr,
                                  nullptr));
        bar = new CTKPDialogBar;
        bar->SetTitle(u"Panel");
        ASSERT_TRUE(bar->CreateEx(0, AfxRegisterWndClass(0), u"bar", WS_CHILD | WS_VISIBLE, RECT{100, 100, 400, 400},
                                  &host, 0xE901));
        caption = bar->CalcDialogBarLayout(0, 0, 0, 0).cy - 6;
    }
    void TearDown() override
    {
        bar->InternalRelease();
        host.DestroyWindow();
    }
    CWnd host;
    CTKPDialogBar* bar = nullptr;
    int caption = 0;
};

} // namespace

TEST_F(DialogBarTest, SizeAndCaptionControls) {
    EXPECT_GT(caption, 0);
    const CSize docked = bar->CalcDockingLayout(1000, LM_HORZ | LM_HORZDOCK);
    EXPECT_EQ(docked, CSize(206, 206 + caption));
    // Stretched to the length, and bounded by it.
    EXPECT_EQ(bar->CalcDockingLayout(500, LM_HORZ | LM_HORZDOCK | LM_STRETCH).cx, 500);
    EXPECT_EQ(bar->CalcDockingLayout(150, LM_HORZ | LM_HORZDOCK).cx, 150);
    EXPECT_EQ(bar->CalcDockingLayout(150, LM_VERTDOCK).cy, 150);
    CTKPControl* title = bar->GetControls()->FindControl(TKP_ID_DIALOGBAR_CAPTION);
    CTKPControl* close = bar->GetControls()->FindControl(TKP_ID_DIALOGBAR_CLOSE);
    ASSERT_NE(title, nullptr);
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(title->GetCaption(), CString(u"Panel"));
    EXPECT_TRUE(title->m_bTemporary);
    const RECT closeRect = close->GetRect();
    EXPECT_EQ(closeRect.right - closeRect.left, 16);
    EXPECT_EQ(closeRect.right, 206 - 3);
    EXPECT_EQ(title->GetRect().right, closeRect.left);
    // The caption text, when set, stands in for the title.
    bar->SetCaption(u"Tree");
    bar->GetCaptionPopup()->GetControls()->Add(TKP_CONTROL_BUTTON, 500);
    bar->CalcDockingLayout(1000, LM_HORZ | LM_HORZDOCK);
    EXPECT_EQ(title->GetCaption(), CString(u"Tree"));
    // Without customising there is no close button.
    bar->m_bCustomizable = FALSE;
    bar->CalcDockingLayout(1000, LM_HORZ | LM_HORZDOCK);
    EXPECT_TRUE(close->IsHidden());
    EXPECT_EQ(title->GetRect().right, 206 - 3);
}

TEST_F(DialogBarTest, EdgesThatResizeByDockingPlace) {
    RECT rc;
    ::GetWindowRect(bar->m_hWnd, &rc);
    const POINT right{rc.right - 1, (rc.top + rc.bottom) / 2}, bottom{(rc.left + rc.right) / 2, rc.bottom - 1};
    const POINT top{(rc.left + rc.right) / 2, rc.top}, leftEdge{rc.left, (rc.top + rc.bottom) / 2};
    const POINT corner{rc.left, rc.top}, middle{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    const struct {
        const char* name;
        int position;
        DWORD flags;
        POINT pt;
        LRESULT hit;
    } cases[] = {
        {"top: bottom edge", TKP_BARPOS_TOP, 0, bottom, HTBOTTOM},
        {"top: right edge", TKP_BARPOS_TOP, 0, right, HTRIGHT},
        {"top stretched: no right edge", TKP_BARPOS_TOP, 64, right, 0},
        {"top stretched: bottom edge", TKP_BARPOS_TOP, 64, bottom, HTBOTTOM},
        {"bottom: top edge", TKP_BARPOS_BOTTOM, 0, top, HTTOP},
        {"left stretched: no bottom edge", TKP_BARPOS_LEFT, 64, bottom, 0},
        {"right: left edge", TKP_BARPOS_RIGHT, 0, leftEdge, HTLEFT},
        {"floating: corner", TKP_BARPOS_FLOATING, 0, corner, HTTOPLEFT},
        {"inside", TKP_BARPOS_TOP, 0, middle, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        bar->SetPosition(c.position);
        bar->m_dwDockingFlags = c.flags;
        EXPECT_EQ(bar->HitTest(c.pt), c.hit);
    }
    bar->m_bResizable = FALSE;
    EXPECT_EQ(bar->HitTest(right), 0);
}

TEST_F(DialogBarTest, ResizingKeepsTheMinimumAndPlacesTheChild) {
    bar->SetPosition(TKP_BARPOS_FLOATING);
    bar->CalcDynamicLayout(32000, LM_HORZ | LM_COMMIT);
    // Below 50 x 50 client pixels nothing changes.
    bar->Resize(RECT{0, 0, 40 + 6, 300}, HTRIGHT);
    EXPECT_EQ(bar->GetFloatingClientSize().cx, 200);
    bar->Resize(RECT{10, 20, 10 + 306, 20 + 156 + caption}, HTBOTTOMRIGHT);
    EXPECT_EQ(bar->GetFloatingClientSize().cx, 300);
    EXPECT_EQ(bar->GetFloatingClientSize().cy, 150);
    CWnd child;
    ASSERT_TRUE(child.CreateEx(0, AfxRegisterWndClass(0), u"child", WS_CHILD | WS_VISIBLE, RECT{0, 0, 10, 10}, bar, 1));
    bar->SetChild(&child);
    RECT rc;
    ::GetWindowRect(child.m_hWnd, &rc);
    ::MapWindowPoints(nullptr, bar->m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(rc.left, 3);
    EXPECT_EQ(rc.top, 3 + caption);
    EXPECT_EQ(rc.right - rc.left, 300);
    EXPECT_EQ(rc.bottom - rc.top, 150);
    // Docked, a side edge sets the width and any other the height.
    bar->SetPosition(TKP_BARPOS_TOP);
    bar->Resize(RECT{0, 0, 126, 500}, HTRIGHT);
    EXPECT_EQ(bar->GetDockingClientSize().cx, 120);
    EXPECT_EQ(bar->GetDockingClientSize().cy, 200);
    bar->Resize(RECT{0, 0, 126, 86 + caption}, HTBOTTOM);
    EXPECT_EQ(bar->GetDockingClientSize().cy, 80);
    child.DestroyWindow();
}

TEST_F(DialogBarTest, ItsSizesAreKeptWithTheSavedPlaces) {
    tktest::UseMemorySettings();
    bar->SetBarID(0xE901);
    bar->SetSize(SIZE{120, 80}, SIZE{300, 150});
    CTKPBarInfo info;
    GetBarInfo(bar, &info);
    EXPECT_TRUE(info.bDialogBar);
    info.SaveBarPosition(u"P", 0);
    CTKPBarInfo loaded;
    loaded.LoadBarPosition(u"P", 0, nullptr);
    EXPECT_TRUE(loaded.bDialogBar);
    EXPECT_EQ(loaded.szDockingClient.cx, 120);
    EXPECT_EQ(loaded.szFloatingClient.cy, 150);
    bar->SetSize(SIZE{1, 1}, SIZE{1, 1});
    SetBarInfo(&loaded, bar);
    EXPECT_EQ(bar->GetDockingClientSize().cy, 80);
    EXPECT_EQ(bar->GetFloatingClientSize().cx, 300);
    tktest::EndMemorySettings();
}
