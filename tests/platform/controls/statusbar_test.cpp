// msctls_statusbar32: parts and their rectangles, texts with their drawing types, layout along the parent and the grip.
#include "platform/controls/control_fixture.h"
#include "win32/resources.h"

using namespace ctltest;

namespace {

class StatusBarTest : public ControlTest {};

TEST_F(StatusBarTest, PartsTextsAndRectangles)
{
    HWND sb = CreateStatusWindowW(WS_CHILD | WS_VISIBLE, u"Ready", parent_, 7);
    ASSERT_NE(nullptr, sb);
    EXPECT_EQ(7, GetDlgCtrlID(sb));
    int borders[3] = {-1, -1, -1};
    ASSERT_TRUE(SendMessageW(sb, SB_GETBORDERS, 0, (LPARAM)borders));
    const int edges[] = {100, 150, -1};
    ASSERT_TRUE(SendMessageW(sb, SB_SETPARTS, 3, (LPARAM)edges));
    int got[4] = {};
    EXPECT_EQ(3, SendMessageW(sb, SB_GETPARTS, 4, (LPARAM)got));
    EXPECT_EQ(150, got[1]);
    EXPECT_EQ(-1, got[2]);
    RECT client, r1{}, r2{};
    GetClientRect(sb, &client);
    ASSERT_TRUE(SendMessageW(sb, SB_GETRECT, 1, (LPARAM)&r1));
    EXPECT_EQ(100 + borders[2], r1.left) << "the spacing follows the previous part";
    EXPECT_EQ(150, r1.right);
    EXPECT_EQ(borders[1], r1.top);
    ASSERT_TRUE(SendMessageW(sb, SB_GETRECT, 2, (LPARAM)&r2));
    EXPECT_EQ(client.right, r2.right) << "-1 reaches the end";
    EXPECT_FALSE(SendMessageW(sb, SB_GETRECT, 3, (LPARAM)&r2));

    WCHAR buf[32] = {};
    EXPECT_EQ(MAKELONG(5, 0), SendMessageW(sb, SB_GETTEXTW, 0, (LPARAM)buf)) << "the window text is part 0";
    EXPECT_EQ(std::u16string(u"Ready"), std::u16string(buf));
    struct {
        WPARAM part;
        const char16_t* text;
        BOOL ok;
        LRESULT length;
    } cases[] = {
        {1, u"12%", TRUE, MAKELONG(3, 0)},
        {2 | SBT_POPOUT, u"a\tb\tc", TRUE, MAKELONG(5, SBT_POPOUT)},
        {2 | SBT_NOBORDERS, nullptr, TRUE, MAKELONG(0, SBT_NOBORDERS)},
        {3, u"no such part", FALSE, 0},
    };
    for (auto& c : cases) {
        EXPECT_EQ(c.ok, SendMessageW(sb, SB_SETTEXTW, c.part, (LPARAM)c.text)) << c.part;
        EXPECT_EQ(c.length, SendMessageW(sb, SB_GETTEXTLENGTHW, c.part & 0xFF, 0)) << c.part;
    }
    SetWindowTextW(sb, u"Done");
    EXPECT_EQ(MAKELONG(4, 0), SendMessageW(sb, SB_GETTEXTLENGTHW, 0, 0));
    EXPECT_TRUE(SendMessageW(sb, SB_SETICON, 1, (LPARAM)LoadIconW(nullptr, IDI_APPLICATION)));
    EXPECT_FALSE(SendMessageW(sb, SB_SETICON, 5, 0));
    EXPECT_FALSE(SendMessageW(sb, SB_SETPARTS, 0, (LPARAM)edges));
    EXPECT_FALSE(SendMessageW(sb, SB_SETPARTS, 257, (LPARAM)edges));
}

TEST_F(StatusBarTest, OwnerDrawnPartsAreDrawnByTheParent)
{
    HWND sb = CreateStatusWindowW(WS_CHILD | WS_VISIBLE, u"", parent_, 3);
    const int edges[] = {80, -1};
    SendMessageW(sb, SB_SETPARTS, 2, (LPARAM)edges);
    SendMessageW(sb, SB_SETTEXTW, 1 | SBT_OWNERDRAW, 0x5150);
    EXPECT_EQ(0x5150, SendMessageW(sb, SB_GETTEXTW, 1, 0)) << "an owner-drawn part answers its value";
    drawItems_.clear();
    SendMessageW(sb, WM_PRINTCLIENT, (WPARAM)GetDC(sb), 0);
    ASSERT_EQ(1u, drawItems_.size());
    EXPECT_EQ(1u, drawItems_[0].itemID);
    EXPECT_EQ(0x5150u, drawItems_[0].itemData);
    EXPECT_EQ(3u, drawItems_[0].CtlID);
    EXPECT_GT(drawItems_[0].rcItem.left, 80);
}

TEST_F(StatusBarTest, FollowsTheParentsBottomEdge)
{
    HWND sb = CreateStatusWindowW(WS_CHILD | WS_VISIBLE, u"", parent_, 1);
    RECT pc, wr;
    GetClientRect(parent_, &pc);
    GetWindowRect(sb, &wr);
    MapWindowPoints(nullptr, parent_, (POINT*)&wr, 2);
    EXPECT_EQ(pc.bottom, wr.bottom);
    EXPECT_EQ(pc.right, wr.right);
    int h = wr.bottom - wr.top;
    EXPECT_GT(h, 10);
    SendMessageW(sb, SB_SETMINHEIGHT, 40, 0);
    SetWindowPos(parent_, nullptr, 0, 0, 300, 250, SWP_NOMOVE | SWP_NOZORDER);
    GetClientRect(parent_, &pc);
    SendMessageW(sb, WM_SIZE, 0, 0);
    GetWindowRect(sb, &wr);
    MapWindowPoints(nullptr, parent_, (POINT*)&wr, 2);
    EXPECT_EQ(pc.bottom, wr.bottom);
    EXPECT_EQ(pc.right, wr.right);
    EXPECT_EQ(40 + 2 * 2, wr.bottom - wr.top) << "the minimum height with the borders";

    // With no parent alignment nor resizing, the bar stays where its owner put it.
    HWND fixed = CreateStatusWindowW(WS_CHILD | WS_VISIBLE | CCS_NOPARENTALIGN | CCS_NORESIZE, u"", parent_, 2);
    SetWindowPos(fixed, nullptr, 5, 6, 50, 30, SWP_NOZORDER);
    SendMessageW(fixed, WM_SIZE, 0, 0);
    GetWindowRect(fixed, &wr);
    MapWindowPoints(nullptr, parent_, (POINT*)&wr, 2);
    RECT want{5, 6, 55, 36};
    EXPECT_TRUE(EqualRect(&want, &wr));
}

TEST_F(StatusBarTest, GripSizesTheFrameUnlessMaximised)
{
    HWND sb = CreateStatusWindowW(WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, u"", parent_, 1);
    RECT wr;
    GetWindowRect(sb, &wr);
    LPARAM corner = MAKELPARAM(wr.right - 3, wr.bottom - 3), middle = MAKELPARAM(wr.left + 50, wr.bottom - 3);
    EXPECT_EQ(HTBOTTOMRIGHT, SendMessageW(sb, WM_NCHITTEST, 0, corner));
    EXPECT_EQ(HTCLIENT, SendMessageW(sb, WM_NCHITTEST, 0, middle));
    HWND plain = CreateStatusWindowW(WS_CHILD | WS_VISIBLE, u"", parent_, 2);
    GetWindowRect(plain, &wr);
    EXPECT_EQ(HTCLIENT, SendMessageW(plain, WM_NCHITTEST, 0, MAKELPARAM(wr.right - 3, wr.bottom - 3)));
    ShowWindow(parent_, SW_MAXIMIZE);
    SendMessageW(sb, WM_SIZE, 0, 0);
    GetWindowRect(sb, &wr);
    EXPECT_EQ(HTCLIENT, SendMessageW(sb, WM_NCHITTEST, 0, MAKELPARAM(wr.right - 3, wr.bottom - 3)));
}

} // namespace
