// ToolbarWindow32: buttons from a bitmap strip, layout, clicks, check groups and state messages.
#include "platform/controls/control_fixture.h"
#include "win32/text.h"

using namespace ctltest;

namespace {

constexpr COLORREF kStrip[] = {RGB(200, 0, 0), RGB(0, 160, 0), RGB(0, 0, 220)};

class ToolbarTest : public ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        parentHook_ = [this](UINT m, WPARAM, LPARAM l, LRESULT*) {
            if (m == WM_NOTIFY)
                notes_.push_back(((NMHDR*)l)->code);
            return false;
        };
        bar_ = Make(TOOLBARCLASSNAMEW, u"", CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER | TBSTYLE_FLAT,
                    {0, 0, 300, 30}, 9);
        SendMessageW(bar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
        SendMessageW(bar_, TB_SETBITMAPSIZE, 0, MAKELONG(16, 16));
        SendMessageW(bar_, TB_SETBUTTONSIZE, 0, MAKELONG(23, 23));
        // A strip of three solid 16 x 16 images.
        HDC screen = GetDC(nullptr);
        HDC mem = CreateCompatibleDC(screen);
        strip_ = CreateCompatibleBitmap(screen, 48, 16);
        HGDIOBJ old = SelectObject(mem, strip_);
        for (int i = 0; i < 3; ++i) {
            HBRUSH b = CreateSolidBrush(kStrip[i]);
            RECT r{i * 16, 0, i * 16 + 16, 16};
            FillRect(mem, &r, b);
            DeleteObject(b);
        }
        SelectObject(mem, old);
        DeleteDC(mem);
        ReleaseDC(nullptr, screen);
        TBADDBITMAP ab{nullptr, (UINT_PTR)strip_};
        EXPECT_EQ(0, SendMessageW(bar_, TB_ADDBITMAP, 3, (LPARAM)&ab));
        TBBUTTON buttons[] = {
            {0, 101, TBSTATE_ENABLED | TBSTATE_CHECKED, TBSTYLE_CHECKGROUP, {}, 0, -1},
            {1, 102, TBSTATE_ENABLED, TBSTYLE_CHECKGROUP, {}, 0, -1},
            {0, 0, TBSTATE_ENABLED, TBSTYLE_SEP, {}, 0, -1},
            {2, 103, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, -1},
            {2, 104, 0, TBSTYLE_BUTTON, {}, 0, -1},
            {1, 105, TBSTATE_ENABLED, TBSTYLE_CHECK, {}, 0, -1},
        };
        EXPECT_TRUE(SendMessageW(bar_, TB_ADDBUTTONSW, 6, (LPARAM)buttons));
    }
    void TearDown() override
    {
        DeleteObject(strip_);
        ControlTest::TearDown();
    }
    RECT Rect(int index)
    {
        RECT r{};
        SendMessageW(bar_, TB_GETITEMRECT, (WPARAM)index, (LPARAM)&r);
        return r;
    }
    POINT Mid(int index)
    {
        RECT r = Rect(index);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    bool Checked(int id) { return SendMessageW(bar_, TB_ISBUTTONCHECKED, (WPARAM)id, 0) == TRUE; }

    HWND bar_ = nullptr;
    HBITMAP strip_ = nullptr;
    std::vector<UINT> notes_;
};

TEST_F(ToolbarTest, ButtonsLieSideBySideAndHitTestAsTheyLie)
{
    EXPECT_EQ(6, SendMessageW(bar_, TB_BUTTONCOUNT, 0, 0));
    EXPECT_EQ(MAKELONG(23, 23), SendMessageW(bar_, TB_GETBUTTONSIZE, 0, 0));
    int widths[] = {23, 23, 8, 23, 23, 23};
    int x = Rect(0).left;
    for (int i = 0; i < 6; ++i) {
        RECT r = Rect(i);
        EXPECT_EQ(x, r.left) << i;
        EXPECT_EQ(widths[i], r.right - r.left) << i;
        x = r.right;
    }
    struct {
        POINT pt;
        LRESULT hit;
    } hits[] = {{Mid(0), 0}, {Mid(3), 3}, {Mid(2), -1 - 2}, {{299, 10}, -1 - 6}};
    for (auto& h : hits) {
        POINT pt = h.pt;
        EXPECT_EQ(h.hit, SendMessageW(bar_, TB_HITTEST, 0, (LPARAM)&pt)) << pt.x;
    }
    EXPECT_EQ(3, SendMessageW(bar_, TB_COMMANDTOINDEX, 103, 0));
    EXPECT_EQ(-1, SendMessageW(bar_, TB_COMMANDTOINDEX, 999, 0));

    // Hiding a button closes the gap it leaves.
    RECT before = Rect(4);
    SendMessageW(bar_, TB_HIDEBUTTON, 103, TRUE);
    EXPECT_EQ(Rect(2).right, Rect(4).left);
    EXPECT_LT(Rect(4).left, before.left);
    EXPECT_FALSE(SendMessageW(bar_, TB_GETITEMRECT, 3, (LPARAM)&before));
}

TEST_F(ToolbarTest, ClicksCommandOnlyEnabledButtonsReleasedOver)
{
    struct {
        const char* name;
        int index;
        bool dragOff;
        std::vector<Command> commands;
    } cases[] = {
        {"plain", 3, false, {{103, BN_CLICKED}}},
        {"dragged_off", 3, true, {}},
        {"disabled", 4, false, {}},
        {"separator", 2, false, {}},
    };
    for (auto& c : cases) {
        commands_.clear();
        headless::ButtonDown(bar_, Mid(c.index));
        headless::PumpUntilIdle();
        if (c.index == 3) {
            EXPECT_TRUE(SendMessageW(bar_, TB_ISBUTTONPRESSED, 103, 0)) << c.name;
        }
        POINT up = c.dragOff ? POINT{Mid(0).x, 200} : Mid(c.index);
        if (c.dragOff)
            headless::MouseMove(bar_, up);
        headless::ButtonUp(bar_, up);
        EXPECT_EQ(c.commands, TakeCommands()) << c.name;
        EXPECT_FALSE(SendMessageW(bar_, TB_ISBUTTONPRESSED, 103, 0)) << c.name;
    }
}

TEST_F(ToolbarTest, CheckGroupsAndCheckButtonsFollowClicksAndMessages)
{
    headless::Click(bar_, Mid(1));
    headless::PumpUntilIdle();
    EXPECT_FALSE(Checked(101)) << "one of a group at a time";
    EXPECT_TRUE(Checked(102));
    headless::Click(bar_, Mid(1));
    headless::PumpUntilIdle();
    EXPECT_TRUE(Checked(102)) << "a group button stays down when clicked again";
    headless::Click(bar_, Mid(5));
    headless::PumpUntilIdle();
    EXPECT_TRUE(Checked(105));
    EXPECT_TRUE(Checked(102)) << "another group";
    headless::Click(bar_, Mid(5));
    headless::PumpUntilIdle();
    EXPECT_FALSE(Checked(105));

    SendMessageW(bar_, TB_CHECKBUTTON, 101, TRUE);
    EXPECT_TRUE(Checked(101));
    EXPECT_FALSE(Checked(102));
    SendMessageW(bar_, TB_ENABLEBUTTON, 104, TRUE);
    EXPECT_EQ(TBSTATE_ENABLED, SendMessageW(bar_, TB_GETSTATE, 104, 0));
    EXPECT_TRUE(SendMessageW(bar_, TB_SETSTATE, 104, TBSTATE_INDETERMINATE));
    EXPECT_EQ(TRUE, SendMessageW(bar_, TB_ISBUTTONINDETERMINATE, 104, 0));
    EXPECT_EQ(-1, SendMessageW(bar_, TB_GETSTATE, 999, 0));
    EXPECT_FALSE(SendMessageW(bar_, TB_ENABLEBUTTON, 999, TRUE));

    TBBUTTON got{};
    ASSERT_TRUE(SendMessageW(bar_, TB_GETBUTTON, 5, (LPARAM)&got));
    EXPECT_EQ(105, got.idCommand);
    EXPECT_EQ(1, got.iBitmap);
    EXPECT_EQ(TBSTYLE_CHECK, got.fsStyle);
    EXPECT_TRUE(SendMessageW(bar_, TB_DELETEBUTTON, 0, 0));
    EXPECT_EQ(4, SendMessageW(bar_, TB_COMMANDTOINDEX, 105, 0));
}

TEST_F(ToolbarTest, PaintsEachButtonsImageFromTheStrip)
{
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 300, 30);
    HGDIOBJ old = SelectObject(mem, bmp);
    SendMessageW(bar_, WM_PAINT, (WPARAM)mem, 0);
    EXPECT_EQ(kStrip[0], GetPixel(mem, Mid(0).x + 1, Mid(0).y + 1) & 0xFFFFFF) << "checked, shifted by one";
    EXPECT_EQ(kStrip[1], GetPixel(mem, Mid(1).x, Mid(1).y) & 0xFFFFFF);
    EXPECT_EQ(kStrip[2], GetPixel(mem, Mid(3).x, Mid(3).y) & 0xFFFFFF);
    EXPECT_NE(kStrip[2], GetPixel(mem, Mid(4).x, Mid(4).y) & 0xFFFFFF) << "a disabled button is drawn greyed";
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
}

TEST_F(ToolbarTest, TipsAskTheOwnerForTheButtonsText)
{
    HWND tipsBar = Make(TOOLBARCLASSNAMEW, u"", CCS_NORESIZE | CCS_NOPARENTALIGN | TBSTYLE_TOOLTIPS, {0, 40, 300, 70}, 10);
    HWND tips = (HWND)SendMessageW(tipsBar, TB_GETTOOLTIPS, 0, 0);
    ASSERT_NE(nullptr, tips) << "the tool bar made its tip window";
    TBBUTTON buttons[] = {{0, 201, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, -1},
                          {1, 202, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, -1}};
    SendMessageW(tipsBar, TB_ADDBUTTONSW, 2, (LPARAM)buttons);
    std::vector<UINT_PTR> asked;
    parentHook_ = [&](UINT m, WPARAM, LPARAM l, LRESULT*) {
        auto* h = (NMHDR*)l;
        if (m == WM_NOTIFY && h->code == TTN_GETDISPINFOW) {
            asked.push_back(h->idFrom);
            lstrcpynW(((NMTTDISPINFOW*)l)->szText, u"Second button", 80);
            return true;
        }
        return false;
    };
    RECT r{};
    SendMessageW(tipsBar, TB_GETITEMRECT, 1, (LPARAM)&r);
    headless::MouseMove(tipsBar, {(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    headless::PumpUntilIdle();
    headless::AdvanceClock(2000);
    headless::PumpUntilIdle();
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ((UINT_PTR)202, asked.back()) << "the tip names the button by its command";
    EXPECT_TRUE(IsWindowVisible(tips));
    DestroyWindow(tipsBar);
    EXPECT_FALSE(IsWindow(tips)) << "the tool bar's own tip window goes with it";
}

TEST_F(ToolbarTest, PooledStringsLabelTheButtons)
{
    SIZE before{LOWORD(SendMessageW(bar_, TB_GETBUTTONSIZE, 0, 0)), HIWORD(SendMessageW(bar_, TB_GETBUTTONSIZE, 0, 0))};
    static const WCHAR pool[] = u"Open\0Save as\0";
    EXPECT_EQ(0, SendMessageW(bar_, TB_ADDSTRINGW, 0, (LPARAM)pool));
    EXPECT_EQ(2, SendMessageW(bar_, TB_ADDSTRINGW, 0, (LPARAM)u"Close\0"));
    EXPECT_EQ(-1, SendMessageW(bar_, TB_ADDSTRINGW, 0, (LPARAM)u"\0")) << "nothing to add";
    TBBUTTON b{3, 301, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 1};
    ASSERT_TRUE(SendMessageW(bar_, TB_INSERTBUTTONW, 0, (LPARAM)&b));
    WCHAR text[32] = {};
    EXPECT_EQ(7, SendMessageW(bar_, TB_GETBUTTONTEXTW, 301, (LPARAM)text));
    EXPECT_EQ(std::u16string(u"Save as"), std::u16string(text));
    LRESULT after = SendMessageW(bar_, TB_GETBUTTONSIZE, 0, 0);
    EXPECT_GT(HIWORD(after), before.cy) << "a text row below the images";
}

} // namespace
