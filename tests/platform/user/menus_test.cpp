// Menus as data, menu templates, accelerators and the popup menu's modal loop.
#include "user_fixture.h"

#include <cstring>

using namespace usertest;

namespace {

class Menus : public UserTest {};

TEST_F(Menus, ItemsAreFoundByPositionOrByCommandInSubmenus)
{
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, 100, u"&Open");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file, MF_STRING | MF_GRAYED, 101, u"E&xit");
    AppendMenuW(bar, MF_POPUP, (UINT_PTR)file, u"&File");
    InsertMenuW(file, 101, MF_BYCOMMAND | MF_STRING, 102, u"&Save"); // before Exit
    EXPECT_EQ(GetMenuItemCount(file), 4);
    EXPECT_EQ(GetMenuItemID(file, 2), 102u);
    EXPECT_EQ(GetSubMenu(bar, 0), file);
    EXPECT_EQ(GetMenuItemID(bar, 0), (UINT)-1);
    WCHAR buf[16];
    EXPECT_EQ(GetMenuStringW(bar, 102, buf, 16, MF_BYCOMMAND), 5);
    EXPECT_EQ(std::u16string(buf), u"&Save");
    EXPECT_EQ(GetMenuState(bar, 101, MF_BYCOMMAND) & MF_GRAYED, (UINT)MF_GRAYED);
    EXPECT_EQ(GetMenuState(file, 1, MF_BYPOSITION) & MF_SEPARATOR, (UINT)MF_SEPARATOR);
    EXPECT_EQ(EnableMenuItem(bar, 101, MF_BYCOMMAND | MF_ENABLED), (BOOL)MF_GRAYED);
    EXPECT_EQ(CheckMenuItem(bar, 100, MF_BYCOMMAND | MF_CHECKED), 0u);
    EXPECT_EQ(GetMenuState(bar, 100, MF_BYCOMMAND) & MF_CHECKED, (UINT)MF_CHECKED);
    EXPECT_EQ(GetMenuState(bar, 999, MF_BYCOMMAND), (UINT)-1);
    EXPECT_TRUE(CheckMenuRadioItem(file, 100, 102, 102, MF_BYCOMMAND));
    EXPECT_EQ(GetMenuState(file, 100, MF_BYCOMMAND) & MF_CHECKED, 0u);
    EXPECT_TRUE(SetMenuDefaultItem(file, 102, FALSE));
    EXPECT_EQ(GetMenuDefaultItem(file, FALSE, 0), 102u);

    MENUITEMINFOW mii{sizeof(mii)};
    mii.fMask = MIIM_STRING | MIIM_ID | MIIM_DATA;
    mii.dwTypeData = buf;
    mii.cch = 16;
    ASSERT_TRUE(GetMenuItemInfoW(file, 0, TRUE, &mii));
    EXPECT_EQ(mii.wID, 100u);
    EXPECT_EQ(mii.cch, 5u);
    mii.fMask = MIIM_DATA;
    mii.dwItemData = 77;
    SetMenuItemInfoW(file, 100, FALSE, &mii);
    mii.dwItemData = 0;
    GetMenuItemInfoW(file, 100, FALSE, &mii);
    EXPECT_EQ(mii.dwItemData, 77u);

    ModifyMenuW(bar, 100, MF_BYCOMMAND | MF_STRING, 200, u"Reopen");
    EXPECT_EQ(GetMenuItemID(file, 0), 200u);
    EXPECT_TRUE(RemoveMenu(file, 1, MF_BYPOSITION));
    EXPECT_TRUE(DeleteMenu(bar, 0, MF_BYPOSITION)); // destroys the submenu too
    EXPECT_FALSE(IsMenu(file));
    EXPECT_TRUE(DestroyMenu(bar));
    EXPECT_FALSE(DestroyMenu(bar));
}

std::vector<BYTE> StandardTemplate()
{
    std::vector<WORD> w = {0, 0};
    auto str = [&](const char16_t* s) {
        for (; *s; ++s)
            w.push_back(*s);
        w.push_back(0);
    };
    w.push_back(MF_POPUP);
    str(u"&File");
    w.push_back(0);
    w.push_back(10);
    str(u"&New");
    w.push_back(MF_SEPARATOR);
    w.push_back(0);
    str(u"");
    w.push_back(MF_END | MF_GRAYED);
    w.push_back(11);
    str(u"E&xit");
    w.push_back(MF_END);
    w.push_back(20);
    str(u"&Help");
    std::vector<BYTE> b(w.size() * 2);
    memcpy(b.data(), w.data(), b.size());
    return b;
}

TEST_F(Menus, TemplatesLoadAndDamagedOnesFail)
{
    auto t = StandardTemplate();
    HMENU m = LoadMenuIndirectW(t.data());
    ASSERT_TRUE(m);
    EXPECT_EQ(GetMenuItemCount(m), 2);
    HMENU file = GetSubMenu(m, 0);
    EXPECT_EQ(GetMenuItemCount(file), 3);
    EXPECT_EQ(GetMenuItemID(file, 2), 11u);
    EXPECT_TRUE(GetMenuState(file, 11, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_EQ(GetMenuItemID(m, 1), 20u);
    DestroyMenu(m);
    // An unknown version is refused rather than guessed at.
    t[0] = 7;
    EXPECT_EQ(LoadMenuIndirectW(t.data()), nullptr);
}

TEST_F(Menus, AcceleratorsTranslateKeysIntoCommands)
{
    HWND w = MakeTop(u"w", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    ACCEL table[] = {{FVIRTKEY | FCONTROL, 'S', 500}, {FVIRTKEY, VK_F5, 501}, {0, 'q', 502}};
    HACCEL acc = CreateAcceleratorTableW(table, 3);
    ASSERT_TRUE(acc);
    EXPECT_EQ(CopyAcceleratorTableW(acc, nullptr, 0), 3);
    ACCEL copy[3];
    EXPECT_EQ(CopyAcceleratorTableW(acc, copy, 3), 3);
    EXPECT_EQ(copy[1].cmd, 501);
    HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_STRING | MF_GRAYED, 501, u"Refresh");
    SetMenu(w, bar);
    Log::Get().Watch({WM_COMMAND});
    auto pump = [&] {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
            if (!TranslateAcceleratorW(w, acc, &m)) {
                TranslateMessage(&m);
                DispatchMessageW(&m);
            }
    };
    headless::PressKey('S', {VK_CONTROL});
    headless::PressKey('S');         // without Control: no command
    headless::PressKey(VK_F5);       // disabled in the menu: swallowed
    headless::PressKey('Q');         // a character accelerator
    pump();
    auto log = Log::Get().Take();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].wParam, MAKEWPARAM(500, 1));
    EXPECT_EQ(log[1].wParam, MAKEWPARAM(502, 1));
    EXPECT_TRUE(DestroyAcceleratorTable(acc));
    EXPECT_FALSE(DestroyAcceleratorTable(acc));
}

TEST_F(Menus, PopupMenuReturnsTheChosenCommand)
{
    HWND w = MakeTop(u"w", WS_OVERLAPPEDWINDOW | WS_VISIBLE, {0, 0, 300, 300});
    HMENU m = CreatePopupMenu();
    AppendMenuW(m, MF_STRING, 1, u"One");
    AppendMenuW(m, MF_STRING | MF_GRAYED, 2, u"Two");
    AppendMenuW(m, MF_STRING, 3, u"Three");
    // By keyboard: Down skips the greyed item.
    headless::AnswerNextModal([](HWND) {
        headless::PressKey(VK_DOWN);
        headless::PressKey(VK_DOWN);
        headless::PressKey(VK_RETURN);
    });
    EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 50, 50, 0, w, nullptr), 3);
    // By mouse, on the first item; a command without TPM_RETURNCMD is posted as WM_COMMAND.
    headless::AnswerNextModal([](HWND popup) { headless::Click(popup, {20, 10}); });
    Log::Get().Watch({WM_COMMAND});
    EXPECT_TRUE(TrackPopupMenu(m, 0, 50, 50, 0, w, nullptr));
    headless::PumpUntilIdle();
    auto log = Log::Get().Take();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(LOWORD(log[0].wParam), 1);
    // Escape cancels.
    headless::AnswerNextModal([](HWND) { headless::PressKey(VK_ESCAPE); });
    EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 50, 50, 0, w, nullptr), 0);
    EXPECT_TRUE(headless::FindAll({u"#PopupMenu"}).empty());
    DestroyMenu(m);
}

} // namespace
