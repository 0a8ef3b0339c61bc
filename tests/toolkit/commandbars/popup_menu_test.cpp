// Tests of popup bars filled from menus and of the stand-alone popup menu.
#include <gtest/gtest.h>

#include "../base/test_windows.h"
#include "backend/headless/driver.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/image_manager.h"
#include "toolkit/commandbars/popup_bar.h"

#include <vector>

namespace {

std::vector<WPARAM> g_commands;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND)
        g_commands.push_back(wParam);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

class PopupMenu : public ::testing::Test {
protected:
    void SetUp() override
    {
        tktest::RegisterPlainWindowClass(u"TkPopupOwner", nullptr, OwnerProc);
        HWND hwnd = CreateWindowExW(0, u"TkPopupOwner", u"o", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300,
                                    nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(hwnd, nullptr);
        owner.Attach(hwnd);
        ASSERT_TRUE(menu.LoadMenu(9210));
        GetGlobalImageManager()->RemoveAll(); // other tests leave icons of the same ids there
        popup = menu.GetSubMenu(0);
        ASSERT_NE(popup, nullptr);
        g_commands.clear();
    }
    void TearDown() override
    {
        headless::ClearModalAnswers();
        owner.DestroyWindow();
    }
    CWnd owner;
    CMenu menu;
    CMenu* popup = nullptr;
};

} // namespace

TEST_F(PopupMenu, BarFilledFromAMenuDrawsIconsFromItsImageManager) {
    CTKPPopupBar* bar = CTKPPopupBar::CreatePopupBar(nullptr);
    ASSERT_TRUE(bar->LoadMenu(popup));
    const struct { UINT id; const char16_t* caption; BOOL beginGroup; BOOL enabled; } cases[] = {
        {200, u"&Open", FALSE, TRUE}, {201, u"&Save", TRUE, FALSE}, {202, u"&Close", FALSE, TRUE}};
    ASSERT_EQ(bar->GetControlCount(), 3);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        CTKPControl* control = bar->GetControl(i);
        EXPECT_EQ(control->GetID(), cases[i].id);
        EXPECT_EQ(control->GetCaption(), CString(cases[i].caption));
        EXPECT_EQ(control->GetBeginGroup(), cases[i].beginGroup);
        EXPECT_EQ(control->GetEnabled(), cases[i].enabled);
        EXPECT_EQ(control->GetParentBarView(), bar);
        EXPECT_EQ(control->GetImage(16), nullptr);
    }
    EXPECT_FALSE(bar->LoadMenu(nullptr));

    auto* images = new CTKPImageManager();
    ASSERT_TRUE(images->SetIconsFromResource(9200));
    bar->SetImageManager(images);
    CTKPControl* open = bar->GetControl(0);
    ASSERT_EQ(open->GetImage(16), images->GetImage(200, 16));

    // The paint manager draws the entry with the icon in its column.
    SetGlobalTheme(TKP_THEME_CLASSIC);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 160, 24);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, 160, 24};
    FillRect(dc, &all, HBRUSH(GetStockObject(WHITE_BRUSH)));
    open->SetRect(RECT{0, 0, 160, 24});
    GetGlobalPaintManager()->DrawPopupBarControl(dc, open, TRUE);
    bool red = false;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 30; ++x)
            red = red || GetPixel(dc, x, y) == RGB(255, 0, 0);
    EXPECT_TRUE(red);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    bar->InternalRelease();
}

TEST_F(PopupMenu, StandAloneMenuReturnsTheCommandChosen) {
    const struct { const char* name; std::vector<UINT> keys; UINT flags; int result; WPARAM posted; } cases[] = {
        {"first item", {VK_DOWN, VK_RETURN}, TPM_RETURNCMD, 200, 0},
        // A greyed item takes the selection but Enter leaves the menu open.
        {"greyed item does nothing", {VK_DOWN, VK_DOWN, VK_RETURN, VK_DOWN, VK_RETURN}, TPM_RETURNCMD, 202, 0},
        {"escape", {VK_ESCAPE}, TPM_RETURNCMD, 0, 0},
        {"command to the owner", {VK_DOWN, VK_RETURN}, 0, 1, 200},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g_commands.clear();
        // The keys wait in the queue; the popup's own loop takes them through the keyboard hook.
        for (UINT key : c.keys)
            headless::PressKey(key);
        const int result = TrackToolkitPopupMenu(popup, c.flags, 60, 60, &owner, 9200);
        headless::PumpUntilIdle();
        if (c.posted) {
            EXPECT_NE(result, 0);
            ASSERT_EQ(g_commands.size(), 1u);
            EXPECT_EQ(LOWORD(g_commands[0]), c.posted);
        } else {
            EXPECT_EQ(result, c.result);
            EXPECT_TRUE(g_commands.empty());
        }
    }
    // The command bars' own tracking of a menu takes the same road.
    CTKPCommandBars bars;
    headless::PressKey(VK_DOWN);
    headless::PressKey(VK_RETURN);
    EXPECT_EQ(bars.TrackPopupMenuAt(popup, TPM_RETURNCMD | TPM_NONOTIFY, 60, 60, &owner), 200);
    EXPECT_EQ(TrackToolkitPopupMenu(nullptr, TPM_RETURNCMD, 60, 60, &owner), 0);
}

TEST(PopupPlacement, StaysInsideTheWorkArea) {
    const RECT work{0, 0, 800, 600};
    const RECT none{0, 0, 0, 0};
    const struct {
        const char* name;
        POINT pt;
        SIZE size;
        RECT exclude;
        DWORD flags;
        RECT expected;
        DWORD flagsAfter;
        BOOL scroll;
    } cases[] = {
        {"fits at the point", {100, 100}, {120, 200}, none, 0, {100, 100, 220, 300}, 0, FALSE},
        {"below a menu-bar item", {50, 40}, {120, 200}, {50, 20, 90, 40}, 2, {50, 40, 170, 240}, 2, FALSE},
        {"past the right edge opens left of the parent item", {700, 100}, {150, 100}, {560, 100, 700, 120}, 0,
         {410, 100, 560, 200}, 1, FALSE},
        {"below an item low on the screen opens upwards", {50, 560}, {120, 200}, {50, 540, 90, 560}, 2,
         {50, 340, 170, 540}, 2, FALSE},
        {"taller than the room above and below scrolls above a low item", {50, 400}, {120, 700}, {50, 380, 90, 400},
         2, {50, 0, 170, 380}, 2, TRUE},
        {"taller than the screen beside a parent shrinks", {100, 50}, {120, 900}, {0, 50, 100, 70}, 0,
         {100, 0, 220, 595}, 0, TRUE},
        {"point near the bottom opens upwards", {100, 590}, {120, 200}, none, 0, {100, 390, 220, 590}, 0, FALSE},
        {"left-opening from a point off the left edge turns right", {50, 100}, {120, 100}, none, 1,
         {0, 100, 120, 200}, 0, FALSE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DWORD flags = c.flags;
        BOOL scroll = -1;
        const RECT rc = CTKPPopupBar::CalcPopupRect(c.pt, c.size, c.exclude, work, flags, scroll);
        EXPECT_EQ(rc.left, c.expected.left);
        EXPECT_EQ(rc.top, c.expected.top);
        EXPECT_EQ(rc.right, c.expected.right);
        EXPECT_EQ(rc.bottom, c.expected.bottom);
        EXPECT_EQ(flags, c.flagsAfter);
        EXPECT_EQ(scroll, c.scroll);
    }
}
