// SysTabControl32: items and selection, the user's changes and their notifications, geometry.
#include "platform/controls/control_fixture.h"

using namespace ctltest;

namespace {

class TabTest : public ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        parentHook_ = [this](UINT m, WPARAM, LPARAM l, LRESULT* r) {
            if (m != WM_NOTIFY)
                return false;
            UINT code = ((NMHDR*)l)->code;
            codes_.push_back(code);
            *r = code == TCN_SELCHANGING && veto_ ? TRUE : 0;
            return true;
        };
        tab_ = Make(WC_TABCONTROLW, u"", 0, {10, 10, 310, 210}, 5);
        for (const char16_t* text : {u"One", u"Two", u"Three"})
            Insert(1000, text);
    }
    int Insert(int at, const char16_t* text)
    {
        TCITEMW it{};
        it.mask = TCIF_TEXT | TCIF_PARAM;
        it.pszText = const_cast<LPWSTR>(text);
        it.lParam = (LPARAM)text[0];
        return (int)SendMessageW(tab_, TCM_INSERTITEMW, (WPARAM)at, (LPARAM)&it);
    }
    int Cur() { return (int)SendMessageW(tab_, TCM_GETCURSEL, 0, 0); }
    RECT ItemRect(int i)
    {
        RECT r{};
        EXPECT_TRUE(SendMessageW(tab_, TCM_GETITEMRECT, (WPARAM)i, (LPARAM)&r));
        return r;
    }
    std::vector<UINT> TakeCodes()
    {
        headless::PumpUntilIdle();
        return std::exchange(codes_, {});
    }

    HWND tab_ = nullptr;
    std::vector<UINT> codes_;
    bool veto_ = false;
};

TEST_F(TabTest, ItemsKeepTheSelectionOnTheSameTab)
{
    EXPECT_EQ(3, SendMessageW(tab_, TCM_GETITEMCOUNT, 0, 0));
    EXPECT_EQ(0, Cur()) << "the first tab inserted is selected";
    EXPECT_EQ(0, Insert(0, u"Zero"));
    EXPECT_EQ(1, Cur()) << "an insert before the selection moves it along";
    struct {
        int index;
        LRESULT result;
        int cur;
    } sets[] = {{3, 1, 3}, {7, -1, 3}, {-1, -1, 3}, {0, 3, 0}};
    for (auto& s : sets) {
        EXPECT_EQ(s.result, SendMessageW(tab_, TCM_SETCURSEL, (WPARAM)s.index, 0)) << s.index;
        EXPECT_EQ(s.cur, Cur());
    }
    EXPECT_TRUE(TakeCodes().empty()) << "a program's change is not announced";

    WCHAR buf[3] = {};
    TCITEMW it{};
    it.mask = TCIF_TEXT | TCIF_PARAM;
    it.pszText = buf;
    it.cchTextMax = 3;
    ASSERT_TRUE(SendMessageW(tab_, TCM_GETITEMW, 3, (LPARAM)&it));
    EXPECT_EQ(std::u16string(u"Th"), std::u16string(buf));
    EXPECT_EQ((LPARAM)u'T', it.lParam);
    EXPECT_FALSE(SendMessageW(tab_, TCM_GETITEMW, 9, (LPARAM)&it));

    EXPECT_TRUE(SendMessageW(tab_, TCM_DELETEITEM, 0, 0));
    EXPECT_EQ(-1, Cur()) << "deleting the selected tab leaves none selected";
    EXPECT_FALSE(SendMessageW(tab_, TCM_DELETEITEM, 5, 0));
    EXPECT_TRUE(SendMessageW(tab_, TCM_DELETEALLITEMS, 0, 0));
    EXPECT_EQ(0, SendMessageW(tab_, TCM_GETITEMCOUNT, 0, 0));
}

TEST_F(TabTest, ClicksAndArrowsAskTheParentFirst)
{
    RECT second = ItemRect(1);
    POINT mid{(second.left + second.right) / 2, (second.top + second.bottom) / 2};
    TakeCodes();
    headless::Click(tab_, mid);
    EXPECT_EQ((std::vector<UINT>{TCN_SELCHANGING, TCN_SELCHANGE, NM_CLICK}), TakeCodes());
    EXPECT_EQ(1, Cur());

    veto_ = true;
    RECT third = ItemRect(2);
    headless::Click(tab_, {third.left + 3, third.top + 3});
    EXPECT_EQ((std::vector<UINT>{TCN_SELCHANGING, NM_CLICK}), TakeCodes());
    EXPECT_EQ(1, Cur()) << "a refusal keeps the tab";
    veto_ = false;

    SetFocus(tab_);
    TakeCodes();
    struct {
        UINT vk;
        int cur;
    } keys[] = {{VK_RIGHT, 2}, {VK_RIGHT, 2}, {VK_HOME, 0}, {VK_LEFT, 0}, {VK_END, 2}};
    for (auto& k : keys) {
        headless::PressKey(k.vk);
        headless::PumpUntilIdle();
        EXPECT_EQ(k.cur, Cur()) << k.vk;
    }
    auto codes = TakeCodes();
    EXPECT_EQ((UINT)TCN_KEYDOWN, codes.front());
}

TEST_F(TabTest, GeometryAdjustsBothWaysAndHitsTheTabs)
{
    RECT win{0, 0, 300, 200};
    RECT inner = win;
    SendMessageW(tab_, TCM_ADJUSTRECT, FALSE, (LPARAM)&inner);
    EXPECT_GT(inner.top, ItemRect(0).bottom - 1) << "the pane lies below the tabs";
    EXPECT_LT(inner.right, win.right);
    RECT back = inner;
    SendMessageW(tab_, TCM_ADJUSTRECT, TRUE, (LPARAM)&back);
    EXPECT_TRUE(EqualRect(&back, &win));

    for (int i = 0; i < 3; ++i) {
        RECT r = ItemRect(i);
        if (i > 0) {
            EXPECT_EQ(ItemRect(i - 1).right, r.left) << "tabs sit side by side";
        }
        TCHITTESTINFO hti{{(r.left + r.right) / 2, (r.top + r.bottom) / 2}, 0};
        EXPECT_EQ(i, SendMessageW(tab_, TCM_HITTEST, 0, (LPARAM)&hti));
        EXPECT_EQ((UINT)TCHT_ONITEMLABEL, hti.flags);
    }
    TCHITTESTINFO pane{{150, 150}, 0};
    EXPECT_EQ(-1, SendMessageW(tab_, TCM_HITTEST, 0, (LPARAM)&pane));
    EXPECT_EQ((UINT)TCHT_NOWHERE, pane.flags);
}

} // namespace
