// BUTTON: clicks by mouse and keyboard, check kinds, dialog codes, owner-draw and painting.
#include "platform/controls/control_fixture.h"

using namespace ctltest;

namespace {

class ButtonTest : public ControlTest {};

struct MouseCase {
    const char* name;
    POINT up;       // where the button is released (client coordinates of a 100x30 button)
    bool moveFirst; // drag to `up` before releasing
    size_t clicks;
};

class ButtonMouse : public ButtonTest, public ::testing::WithParamInterface<MouseCase> {};

TEST_P(ButtonMouse, ClickedOnlyOnReleaseInside)
{
    const MouseCase& c = GetParam();
    HWND b = Make(u"Button", u"OK", BS_PUSHBUTTON, {10, 10, 110, 40});
    headless::ButtonDown(b, {50, 15});
    headless::PumpUntilIdle();
    EXPECT_EQ(BST_PUSHED | BST_FOCUS, SendMessageW(b, BM_GETSTATE, 0, 0));
    EXPECT_TRUE(TakeCommands().empty()) << "nothing on the press";
    if (c.moveFirst) {
        headless::MouseMove(b, c.up);
        headless::PumpUntilIdle();
        bool inside = c.up.x >= 0 && c.up.x < 100 && c.up.y >= 0 && c.up.y < 30;
        EXPECT_EQ(inside ? BST_PUSHED : 0, SendMessageW(b, BM_GETSTATE, 0, 0) & BST_PUSHED);
    }
    headless::ButtonUp(b, c.up);
    auto cmds = TakeCommands();
    EXPECT_EQ(c.clicks, cmds.size());
    if (!cmds.empty()) {
        EXPECT_EQ((Command{100, BN_CLICKED}), cmds[0]);
    }
    EXPECT_EQ(0, SendMessageW(b, BM_GETSTATE, 0, 0) & BST_PUSHED);
    EXPECT_EQ(nullptr, GetCapture());
}

INSTANTIATE_TEST_SUITE_P(Button, ButtonMouse,
                         ::testing::Values(MouseCase{"inside", {50, 15}, false, 1},
                                           MouseCase{"dragged_off", {150, 15}, true, 0},
                                           MouseCase{"dragged_off_and_back", {20, 5}, true, 1}),
                         [](const auto& i) { return std::string(i.param.name); });

struct CheckCase {
    const char* name;
    DWORD kind;
    std::vector<UINT> afterEachClick;
};

class ButtonChecks : public ButtonTest, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(ButtonChecks, ClicksAndSpaceStepTheCheckState)
{
    const CheckCase& c = GetParam();
    HWND b = Make(u"Button", u"Option", c.kind | WS_TABSTOP, {10, 10, 110, 30});
    for (size_t i = 0; i < c.afterEachClick.size(); ++i) {
        // Alternate mouse and keyboard: both must act alike.
        if (i % 2 == 0) {
            headless::Click(b, {5, 5});
        } else {
            SetFocus(b);
            headless::PressKey(VK_SPACE);
        }
        auto cmds = TakeCommands();
        ASSERT_EQ(1u, cmds.size()) << "click " << i;
        EXPECT_EQ(BN_CLICKED, cmds[0].code);
        EXPECT_EQ(c.afterEachClick[i], (UINT)SendMessageW(b, BM_GETCHECK, 0, 0)) << "click " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Button, ButtonChecks,
    ::testing::Values(CheckCase{"push", BS_PUSHBUTTON, {0, 0}}, CheckCase{"manual_check", BS_CHECKBOX, {0, 0}},
                      CheckCase{"auto_check", BS_AUTOCHECKBOX, {1, 0, 1}},
                      CheckCase{"auto_3state", BS_AUTO3STATE, {1, 2, 0, 1}},
                      CheckCase{"auto_radio", BS_AUTORADIOBUTTON, {1, 1}},
                      CheckCase{"owner_draw", BS_OWNERDRAW, {0}}),
    [](const auto& i) { return std::string(i.param.name); });

TEST_F(ButtonTest, AutoRadioUnchecksTheRestOfItsGroupOnly)
{
    HWND a = Make(u"Button", u"a", BS_AUTORADIOBUTTON | WS_GROUP, {10, 10, 100, 30}, 1);
    HWND b = Make(u"Button", u"b", BS_AUTORADIOBUTTON, {10, 40, 100, 60}, 2);
    HWND c = Make(u"Button", u"c", BS_AUTORADIOBUTTON | WS_GROUP, {10, 70, 100, 90}, 3);
    SendMessageW(a, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(c, BM_SETCHECK, BST_CHECKED, 0);
    headless::Click(b, {5, 5});
    headless::PumpUntilIdle();
    EXPECT_EQ(BST_UNCHECKED, SendMessageW(a, BM_GETCHECK, 0, 0));
    EXPECT_EQ(BST_CHECKED, SendMessageW(b, BM_GETCHECK, 0, 0));
    EXPECT_EQ(BST_CHECKED, SendMessageW(c, BM_GETCHECK, 0, 0)) << "another group";
}

TEST_F(ButtonTest, MessagesAnswerAsTheDialogManagerExpects)
{
    struct {
        DWORD style;
        LRESULT code;
    } cases[] = {
        {BS_PUSHBUTTON, DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON}, {BS_DEFPUSHBUTTON, DLGC_BUTTON | DLGC_DEFPUSHBUTTON},
        {BS_CHECKBOX, DLGC_BUTTON},   {BS_AUTORADIOBUTTON, DLGC_BUTTON | DLGC_RADIOBUTTON},
        {BS_RADIOBUTTON, DLGC_BUTTON | DLGC_RADIOBUTTON}, {BS_GROUPBOX, DLGC_STATIC},
    };
    for (auto& c : cases) {
        HWND b = Make(u"Button", u"x", c.style, {0, 0, 80, 20});
        EXPECT_EQ(c.code, SendMessageW(b, WM_GETDLGCODE, 0, 0)) << c.style;
        DestroyWindow(b);
    }
    HWND b = Make(u"Button", u"x", BS_PUSHBUTTON, {0, 0, 80, 20});
    SendMessageW(b, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    EXPECT_EQ(DLGC_BUTTON | DLGC_DEFPUSHBUTTON, SendMessageW(b, WM_GETDLGCODE, 0, 0));
    SendMessageW(b, BM_SETSTATE, TRUE, 0);
    EXPECT_EQ(BST_PUSHED, SendMessageW(b, BM_GETSTATE, 0, 0));
    SendMessageW(b, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(BST_UNCHECKED, SendMessageW(b, BM_GETCHECK, 0, 0)) << "a push button has no check";

    HFONT font = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    SendMessageW(b, WM_SETFONT, (WPARAM)font, FALSE);
    EXPECT_EQ((LRESULT)font, SendMessageW(b, WM_GETFONT, 0, 0));

    HWND group = Make(u"Button", u"Group", BS_GROUPBOX, {0, 0, 200, 100});
    EXPECT_EQ(HTTRANSPARENT, SendMessageW(group, WM_NCHITTEST, 0, MAKELPARAM(10, 10)));

    headless::PumpUntilIdle();
    TakeCommands();
    HWND c = Make(u"Button", u"c", BS_AUTOCHECKBOX, {0, 120, 80, 140}, 7);
    SendMessageW(c, BM_CLICK, 0, 0);
    EXPECT_EQ(std::vector<Command>{(Command{7, BN_CLICKED})}, TakeCommands());
    EXPECT_EQ(BST_CHECKED, SendMessageW(c, BM_GETCHECK, 0, 0));
}

TEST_F(ButtonTest, OwnerDrawReportsStateAndAction)
{
    HWND b = Make(u"Button", u"", BS_OWNERDRAW, {10, 10, 110, 40}, 42);
    headless::PumpUntilIdle();
    ASSERT_FALSE(drawItems_.empty());
    EXPECT_EQ((UINT)ODT_BUTTON, drawItems_.back().CtlType);
    EXPECT_EQ(42u, drawItems_.back().CtlID);
    EXPECT_EQ((UINT)ODA_DRAWENTIRE, drawItems_.back().itemAction);
    EXPECT_EQ(b, drawItems_.back().hwndItem);
    EXPECT_EQ(100, drawItems_.back().rcItem.right);

    drawItems_.clear();
    headless::ButtonDown(b, {5, 5});
    headless::PumpUntilIdle();
    bool sawSelected = false;
    for (auto& d : drawItems_)
        sawSelected |= d.itemAction == ODA_SELECT && (d.itemState & ODS_SELECTED) && (d.itemState & ODS_FOCUS);
    EXPECT_TRUE(sawSelected);
    headless::ButtonUp(b, {5, 5});
    headless::PumpUntilIdle();
    EXPECT_FALSE(drawItems_.back().itemState & ODS_SELECTED);

    drawItems_.clear();
    EnableWindow(b, FALSE);
    UpdateWindow(b);
    headless::PumpUntilIdle();
    ASSERT_FALSE(drawItems_.empty());
    EXPECT_TRUE(drawItems_.back().itemState & ODS_DISABLED);
}

TEST_F(ButtonTest, PaintsIntoTheDcGivenInWParam)
{
    HWND b = Make(u"Button", u"", BS_PUSHBUTTON, {0, 0, 40, 20});
    HWND c = Make(u"Button", u"", BS_AUTOCHECKBOX, {0, 30, 40, 50});
    SendMessageW(c, BM_SETCHECK, BST_CHECKED, 0);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 40, 20);
    HGDIOBJ old = SelectObject(mem, bmp);
    RECT all{0, 0, 40, 20};
    FillRect(mem, &all, (HBRUSH)GetStockObject(BLACK_BRUSH));
    SendMessageW(b, WM_PAINT, (WPARAM)mem, 0);
    EXPECT_EQ(GetSysColor(COLOR_3DFACE), GetPixel(mem, 20, 10)) << "face";
    EXPECT_EQ(GetSysColor(COLOR_3DHILIGHT), GetPixel(mem, 1, 1)) << "raised edge";
    EXPECT_EQ(GetSysColor(COLOR_3DDKSHADOW), GetPixel(mem, 39, 19)) << "dark edge";

    FillRect(mem, &all, (HBRUSH)GetStockObject(BLACK_BRUSH));
    SendMessageW(c, WM_PAINT, (WPARAM)mem, 0);
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), GetPixel(mem, 3, 10)) << "box interior";
    int marks = 0;
    for (int y = 4; y < 16; ++y)
        for (int x = 2; x < 12; ++x)
            marks += GetPixel(mem, x, y) == GetSysColor(COLOR_WINDOWTEXT);
    EXPECT_GT(marks, 5) << "check mark";
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
}

} // namespace
