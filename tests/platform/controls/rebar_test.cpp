// ReBarWindow32: bands in rows, their children placed after their headers, band info, deletion.
#include "platform/controls/control_fixture.h"

#include <cstring>

using namespace ctltest;

namespace {

class RebarTest : public ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        parentHook_ = [this](UINT m, WPARAM, LPARAM l, LRESULT*) {
            if (m == WM_NOTIFY)
                notes_.push_back(((NMHDR*)l)->code);
            return false;
        };
        rebar_ = Make(REBARCLASSNAMEW, u"", WS_CLIPCHILDREN | RBS_BANDBORDERS | CCS_NODIVIDER, {0, 0, 400, 10}, 4);
    }
    HWND AddBand(UINT style, int cx, int height, UINT id, const char16_t* text = nullptr)
    {
        HWND child = usertest::MakeChild(parent_, u"child", {0, 0, 50, 20}, (int)id);
        REBARBANDINFOW bi{};
        bi.cbSize = sizeof bi;
        bi.fMask = RBBIM_STYLE | RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_SIZE | RBBIM_ID | (text ? RBBIM_TEXT : 0);
        bi.fStyle = style;
        bi.hwndChild = child;
        bi.cxMinChild = 40;
        bi.cyMinChild = (UINT)height;
        bi.cx = (UINT)cx;
        bi.wID = id;
        bi.lpText = const_cast<LPWSTR>(text);
        EXPECT_TRUE(SendMessageW(rebar_, RB_INSERTBANDW, (WPARAM)-1, (LPARAM)&bi));
        return child;
    }
    RECT BandRect(int i)
    {
        RECT r{};
        SendMessageW(rebar_, RB_GETRECT, (WPARAM)i, (LPARAM)&r);
        return r;
    }
    RECT ChildRect(HWND child)
    {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, rebar_, (POINT*)&r, 2);
        return r;
    }

    HWND rebar_ = nullptr;
    std::vector<UINT> notes_;
};

TEST_F(RebarTest, BandsFillRowsAndHoldTheirChildren)
{
    HWND a = AddBand(RBBS_CHILDEDGE, 150, 22, 11, u"Tools");
    HWND b = AddBand(0, 100, 26, 12);
    HWND c = AddBand(RBBS_BREAK, 100, 20, 13);
    EXPECT_EQ(3, SendMessageW(rebar_, RB_GETBANDCOUNT, 0, 0));
    EXPECT_EQ(2, SendMessageW(rebar_, RB_GETROWCOUNT, 0, 0));
    int row0 = (int)SendMessageW(rebar_, RB_GETROWHEIGHT, 0, 0);
    EXPECT_EQ(26, row0) << "the tallest band sets its row";
    EXPECT_EQ(row0, SendMessageW(rebar_, RB_GETROWHEIGHT, 1, 0));
    EXPECT_EQ(20, SendMessageW(rebar_, RB_GETROWHEIGHT, 2, 0));
    RECT win, parent;
    GetClientRect(rebar_, &win);
    GetClientRect(parent_, &parent);
    EXPECT_EQ(SendMessageW(rebar_, RB_GETBARHEIGHT, 0, 0), win.bottom) << "the bar is as tall as its rows";
    EXPECT_EQ(parent.right, win.right) << "and as wide as its parent";

    RECT ra = BandRect(0), rb = BandRect(1), rc = BandRect(2);
    EXPECT_EQ(150, ra.right - ra.left);
    EXPECT_EQ(win.right, rb.right) << "the last band of a row takes the rest";
    EXPECT_EQ(win.right, rc.right);
    EXPECT_GE(rc.top, ra.bottom);
    RECT borders{};
    SendMessageW(rebar_, RB_GETBANDBORDERS, 0, (LPARAM)&borders);
    RECT ca = ChildRect(a);
    EXPECT_EQ(ra.left + borders.left, ca.left) << "the child starts after the gripper and title";
    EXPECT_EQ(ra.right - borders.right, ca.right);
    EXPECT_TRUE(IsChild(rebar_, b));
    RECT cc = ChildRect(c);
    EXPECT_EQ(20, cc.bottom - cc.top);
    EXPECT_GE(cc.top, rc.top);

    struct {
        POINT pt;
        int band;
        UINT flags;
    } hits[] = {{{ra.left + 3, 10}, 0, RBHT_GRABBER},
                {{ra.left + borders.left - 3, 10}, 0, RBHT_CAPTION},
                {{rb.right - 5, 10}, 1, RBHT_CLIENT},
                {{10, 200}, -1, RBHT_NOWHERE}};
    for (auto& h : hits) {
        RBHITTESTINFO hti{h.pt, 0, 0};
        EXPECT_EQ(h.band, SendMessageW(rebar_, RB_HITTEST, 0, (LPARAM)&hti)) << h.pt.x;
        EXPECT_EQ(h.flags, hti.flags) << h.pt.x;
    }
}

TEST_F(RebarTest, BandInfoAnswersForTheSizeTheCallerStates)
{
    HWND a = AddBand(RBBS_GRIPPERALWAYS, 120, 22, 21);
    HWND b = AddBand(0, 90, 22, 22);
    EXPECT_EQ(1, SendMessageW(rebar_, RB_IDTOINDEX, 22, 0));
    EXPECT_EQ(-1, SendMessageW(rebar_, RB_IDTOINDEX, 99, 0));

    // A caller that states a short structure gets the fields inside it and nothing past it.
    struct {
        REBARBANDINFOW info;
        unsigned char guard[8];
    } shortInfo{};
    memset(&shortInfo, 0xAB, sizeof shortInfo);
    shortInfo.info.cbSize = (UINT)REBARBANDINFOW_V3_SIZE;
    shortInfo.info.fMask = RBBIM_STYLE | RBBIM_CHILD | RBBIM_SIZE | RBBIM_LPARAM;
    ASSERT_TRUE(SendMessageW(rebar_, RB_GETBANDINFOW, 0, (LPARAM)&shortInfo.info));
    EXPECT_EQ((UINT)RBBS_GRIPPERALWAYS, shortInfo.info.fStyle);
    EXPECT_EQ(a, shortInfo.info.hwndChild);
    EXPECT_EQ(120u, shortInfo.info.cx);
    EXPECT_EQ((LPARAM)0xABABABABABABABABll, shortInfo.info.lParam) << "beyond the stated size";

    REBARBANDINFOW set{};
    set.cbSize = sizeof set;
    set.fMask = RBBIM_ID | RBBIM_STYLE;
    set.wID = 77;
    set.fStyle = RBBS_BREAK;
    EXPECT_TRUE(SendMessageW(rebar_, RB_SETBANDINFOW, 1, (LPARAM)&set));
    EXPECT_EQ(1, SendMessageW(rebar_, RB_IDTOINDEX, 77, 0));
    EXPECT_EQ(2, SendMessageW(rebar_, RB_GETROWCOUNT, 0, 0));
    EXPECT_FALSE(SendMessageW(rebar_, RB_SETBANDINFOW, 5, (LPARAM)&set));
    set.cbSize = 8;
    EXPECT_FALSE(SendMessageW(rebar_, RB_SETBANDINFOW, 1, (LPARAM)&set));
    EXPECT_FALSE(SendMessageW(rebar_, RB_INSERTBANDW, 0, (LPARAM)&set));

    notes_.clear();
    EXPECT_TRUE(SendMessageW(rebar_, RB_DELETEBAND, 1, 0));
    EXPECT_EQ((std::vector<UINT>{RBN_DELETINGBAND, RBN_DELETEDBAND, RBN_HEIGHTCHANGE}), notes_);
    EXPECT_EQ(1, SendMessageW(rebar_, RB_GETROWCOUNT, 0, 0));
    EXPECT_TRUE(IsWindow(b)) << "the child stays its owner's";
    EXPECT_FALSE(IsWindowVisible(b));
    EXPECT_FALSE(SendMessageW(rebar_, RB_DELETEBAND, 3, 0));

    HWND bottom = Make(REBARCLASSNAMEW, u"", CCS_BOTTOM | CCS_NODIVIDER, {0, 0, 100, 10}, 6);
    REBARBANDINFOW one{};
    one.cbSize = sizeof one;
    one.fMask = RBBIM_CHILDSIZE;
    one.cyMinChild = 24;
    SendMessageW(bottom, RB_INSERTBANDW, 0, (LPARAM)&one);
    RECT pc, br;
    GetClientRect(parent_, &pc);
    GetWindowRect(bottom, &br);
    MapWindowPoints(nullptr, parent_, (POINT*)&br, 2);
    EXPECT_EQ(pc.bottom, br.bottom) << "CCS_BOTTOM keeps the bar at the foot of its parent";

    // What a band's child says reaches the rebar's parent.
    commands_.clear();
    SendMessageW(rebar_, WM_COMMAND, MAKEWPARAM(21, BN_CLICKED), (LPARAM)a);
    EXPECT_EQ(std::vector<Command>{(Command{21, BN_CLICKED})}, TakeCommands());
}

} // namespace
