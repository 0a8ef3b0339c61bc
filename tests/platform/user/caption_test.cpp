// The caption: its buttons' glyphs and pushed state, its icon, and the system menu it opens.
#include "user_fixture.h"

#include "../gdi/gdi_fixture.h"
#include "win32/user/presenter.h"

#include <functional>

using namespace usertest;

namespace {

class Caption : public UserTest {};

// The part of the window that hit-tests as `hit`, in window coordinates.
RECT PartRect(HWND w, int hit)
{
    RECT wr, part{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    GetWindowRect(w, &wr);
    for (int y = 0; y < std::min<int>(wr.bottom - wr.top, 40); ++y) // the caption's parts lie near the top
        for (int x = 0; x < wr.right - wr.left; ++x)
            if (SendMessageW(w, WM_NCHITTEST, 0, MAKELPARAM(wr.left + x, wr.top + y)) == hit) {
                part.left = std::min<LONG>(part.left, x);
                part.top = std::min<LONG>(part.top, y);
                part.right = std::max<LONG>(part.right, x + 1);
                part.bottom = std::max<LONG>(part.bottom, y + 1);
            }
    return part;
}

// Whether the window shows at `r` exactly what DrawFrameControl draws for a caption button in `state`.
bool ShowsButton(HWND w, RECT r, UINT state)
{
    RedrawWindow(w, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    int cx = r.right - r.left, cy = r.bottom - r.top;
    MemDC want(cx, cy);
    RECT box{0, 0, cx, cy};
    DrawFrameControl(want.dc, &box, DFC_CAPTION, state);
    auto s = user::WindowSurface(w);
    for (int y = 0; y < cy; ++y)
        for (int x = 0; x < cx; ++x)
            if ((s->Row(r.top + y)[r.left + x] & 0xFFFFFF) != (want.Raw(x, y) & 0xFFFFFF))
                return false;
    return true;
}

POINT Centre(HWND w, RECT part)
{
    POINT p{(part.left + part.right) / 2, (part.top + part.bottom) / 2};
    RECT wr;
    GetWindowRect(w, &wr);
    p.x += wr.left;
    p.y += wr.top;
    ScreenToClient(w, &p); // above the client area: negative
    return p;
}

std::function<void()> g_later;

// Runs `f` from inside the modal loop that the next input starts.
void Later(HWND hwnd, std::function<void()> f)
{
    g_later = std::move(f);
    SetTimer(hwnd, 77, 10, [](HWND h, UINT, UINT_PTR id, DWORD) {
        KillTimer(h, id);
        auto f = std::move(g_later);
        f();
    });
    headless::AdvanceClock(10);
}

TEST_F(Caption, RestoreGlyphShowsWhileMaximised)
{
    MemDC max(16, 14), restore(16, 14);
    RECT box{0, 0, 16, 14};
    DrawFrameControl(max.dc, &box, DFC_CAPTION, DFCS_CAPTIONMAX);
    DrawFrameControl(restore.dc, &box, DFC_CAPTION, DFCS_CAPTIONRESTORE);
    int differ = 0;
    for (int y = 0; y < 14; ++y)
        for (int x = 0; x < 16; ++x)
            differ += max.Raw(x, y) != restore.Raw(x, y);
    EXPECT_GT(differ, 8) << "the restore glyph is not the maximise glyph";

    HWND w = MakeTop(u"w", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    EXPECT_TRUE(ShowsButton(w, PartRect(w, HTMAXBUTTON), DFCS_CAPTIONMAX));
    EXPECT_FALSE(ShowsButton(w, PartRect(w, HTMAXBUTTON), DFCS_CAPTIONRESTORE));
    EXPECT_TRUE(ShowsButton(w, PartRect(w, HTMINBUTTON), DFCS_CAPTIONMIN));
    ShowWindow(w, SW_MAXIMIZE);
    EXPECT_TRUE(ShowsButton(w, PartRect(w, HTMAXBUTTON), DFCS_CAPTIONRESTORE));
    ShowWindow(w, SW_RESTORE);
    EXPECT_TRUE(ShowsButton(w, PartRect(w, HTMAXBUTTON), DFCS_CAPTIONMAX));
}

// A held caption button looks pushed while the pointer is on it and raised when it leaves; released
// elsewhere, it does nothing.
TEST_F(Caption, HeldButtonLooksPushedOnlyWhileThePointerIsOnIt)
{
    HWND w = MakeTop(u"w", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    RECT max = PartRect(w, HTMAXBUTTON);
    POINT on = Centre(w, max), off{on.x - 120, on.y};
    bool pushedWhileOn = false, raisedWhenOff = false, pushedWhenBack = false;
    Later(w, [&] {
        pushedWhileOn = ShowsButton(w, max, DFCS_CAPTIONMAX | DFCS_PUSHED);
        headless::MouseMove(w, off);
        Later(w, [&] {
            raisedWhenOff = ShowsButton(w, max, DFCS_CAPTIONMAX);
            headless::MouseMove(w, on);
            Later(w, [&] {
                pushedWhenBack = ShowsButton(w, max, DFCS_CAPTIONMAX | DFCS_PUSHED);
                headless::MouseMove(w, off);
                headless::ButtonUp(w, off);
            });
        });
    });
    headless::ButtonDown(w, on);
    headless::PumpUntilIdle();
    EXPECT_TRUE(pushedWhileOn);
    EXPECT_TRUE(raisedWhenOff);
    EXPECT_TRUE(pushedWhenBack);
    EXPECT_FALSE(IsZoomed(w)) << "released away from the button";
    EXPECT_TRUE(ShowsButton(w, max, DFCS_CAPTIONMAX));
}

TEST_F(Caption, TheIconIsTheWindowsOwnElseTheDefault)
{
    HWND w = MakeTop(u"w", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    RECT part = PartRect(w, HTSYSMENU);
    ASSERT_FALSE(IsRectEmpty(&part));
    auto inked = [&] {
        RedrawWindow(w, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
        auto s = user::WindowSurface(w);
        int red = 0, other = 0;
        // The caption's shade changes only across, so its top row gives each column's plain colour.
        for (int y = part.top; y < part.bottom; ++y)
            for (int x = part.left; x < part.right; ++x) {
                uint32_t v = s->Row(y)[x] & 0xFFFFFF;
                red += v == 0xFF0000;
                other += v != 0xFF0000 && v != (s->Row(part.top)[x] & 0xFFFFFF);
            }
        return std::make_pair(red, other);
    };
    EXPECT_GT(inked().second, 20) << "the default icon";
    // A red icon of the window's own.
    MemDC colour(16, 16, RGB(255, 0, 0)), mask(16, 16, RGB(0, 0, 0));
    ICONINFO info{TRUE, 0, 0, mask.bmp, colour.bmp};
    HICON red = CreateIconIndirect(&info);
    ASSERT_TRUE(red);
    EXPECT_EQ(SendMessageW(w, WM_SETICON, ICON_SMALL, (LPARAM)red), 0);
    EXPECT_EQ((HICON)SendMessageW(w, WM_GETICON, ICON_SMALL, 0), red);
    EXPECT_EQ(inked().first, 16 * 16);
    DestroyWindow(w);
    DestroyIcon(red);

    // A dialog frame without an icon of its own shows none, and its caption's corner is just caption.
    HWND dlg = MakeTop(u"d", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE);
    SetWindowLongW(dlg, GWL_EXSTYLE, WS_EX_DLGMODALFRAME);
    SetWindowPos(dlg, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    part = PartRect(dlg, HTSYSMENU);
    EXPECT_TRUE(IsRectEmpty(&part));
}

struct MenuItem {
    UINT id;
    bool grey;
};

std::vector<MenuItem> Items(HMENU m)
{
    std::vector<MenuItem> items;
    for (int i = 0; i < GetMenuItemCount(m); ++i) {
        UINT id = GetMenuItemID(m, i);
        if (id != 0)
            items.push_back({id, (GetMenuState(m, i, MF_BYPOSITION) & MF_GRAYED) != 0});
    }
    return items;
}

bool operator==(const MenuItem& a, const MenuItem& b) { return a.id == b.id && a.grey == b.grey; }

// Alt+Space, SC_KEYMENU and a click on the icon open the system menu, with the commands that apply to the
// window's state; the choice comes back as WM_SYSCOMMAND.
TEST_F(Caption, SystemMenuOpensFromTheKeyboardAndTheIconAndItsChoiceIsASystemCommand)
{
    HWND w = MakeTop(u"w", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    SetActiveWindow(w);
    HMENU sys = GetSystemMenu(w, FALSE);
    ASSERT_TRUE(sys);
    struct Case {
        const char* how;
        int show;
        std::function<void()> open;
        char16_t choose; // the mnemonic typed in the menu
        UINT command;
        std::vector<MenuItem> items;
    };
    const std::vector<MenuItem> normal = {{SC_RESTORE, true},   {SC_MOVE, false},    {SC_SIZE, false},
                                          {SC_MINIMIZE, false}, {SC_MAXIMIZE, false}, {SC_CLOSE, false}};
    const std::vector<MenuItem> zoomed = {{SC_RESTORE, false},  {SC_MOVE, true},     {SC_SIZE, true},
                                          {SC_MINIMIZE, false}, {SC_MAXIMIZE, true}, {SC_CLOSE, false}};
    const Case cases[] = {
        {"Alt+Space", SW_RESTORE, [] { headless::PressKey(VK_SPACE, {VK_MENU}); }, u'x', SC_MAXIMIZE, normal},
        {"SC_KEYMENU", SW_MAXIMIZE, [&] { PostMessageW(w, WM_SYSCOMMAND, SC_KEYMENU, u' '); }, u'r', SC_RESTORE,
         zoomed},
        {"icon", SW_RESTORE, [&] { headless::Click(w, Centre(w, PartRect(w, HTSYSMENU))); }, u'n', SC_MINIMIZE,
         normal},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        ShowWindow(w, c.show);
        SetActiveWindow(w);
        headless::PumpUntilIdle();
        std::vector<MenuItem> offered;
        bool systemPopup = false;
        std::vector<UINT> commands;
        SetHandler(w, [&](HWND, UINT msg, WPARAM wp, LPARAM lp, LRESULT*) {
            if (msg == WM_INITMENUPOPUP)
                systemPopup = (HMENU)wp == sys && HIWORD(lp);
            if (msg == WM_SYSCOMMAND && (wp & 0xFFF0) != SC_KEYMENU && (wp & 0xFFF0) != SC_MOUSEMENU)
                commands.push_back((UINT)(wp & 0xFFF0));
            return false;
        });
        headless::AnswerNextModal([&](HWND popup) {
            offered = Items(sys);
            headless::TypeText(std::u16string(1, c.choose));
        });
        c.open();
        headless::PumpUntilIdle();
        EXPECT_TRUE(systemPopup);
        EXPECT_EQ(offered, c.items);
        EXPECT_EQ(commands, std::vector<UINT>{c.command});
        EXPECT_TRUE(headless::FindAll({u"#PopupMenu"}).empty());
    }
    EXPECT_TRUE(IsIconic(w));
}

TEST_F(Caption, DoubleClickOnTheIconCloses)
{
    HWND w = MakeTop(u"w", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    SetActiveWindow(w);
    POINT icon = Centre(w, PartRect(w, HTSYSMENU));
    headless::AnswerNextModal([&](HWND) { headless::Click(w, icon); });
    headless::Click(w, icon);
    headless::PumpUntilIdle();
    EXPECT_FALSE(IsWindow(w));
}

TEST_F(Caption, ADialogsSystemMenuHoldsMoveAndClose)
{
    HWND dlg = MakeTop(u"d", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE);
    std::vector<MenuItem> items = Items(GetSystemMenu(dlg, FALSE));
    EXPECT_EQ(items, (std::vector<MenuItem>{{SC_MOVE, false}, {SC_CLOSE, false}}));
    HWND sizable = MakeTop(u"s", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_VISIBLE);
    items = Items(GetSystemMenu(sizable, FALSE));
    EXPECT_EQ(items, (std::vector<MenuItem>{{SC_MOVE, false}, {SC_SIZE, false}, {SC_CLOSE, false}}));
}

} // namespace
