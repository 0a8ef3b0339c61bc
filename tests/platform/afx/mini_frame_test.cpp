// The mini frame: its styles, its small caption, and a caption that follows its owner's activation.
#include "afx/afx.h"
#include "afx/mini_frame.h"
#include "backend/headless/driver.h"
#include "win32/user/presenter.h"

#include <gtest/gtest.h>

namespace {

class MiniFrame : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (HWND h : headless::TopLevelWindows())
            DestroyWindow(h);
    }

    // A frame with an empty caption, so a pixel in the caption's middle shows its colour only.
    static CFrameWnd* MakeOwner(const RECT& rc)
    {
        auto* f = new CFrameWnd; // frees itself with its window
        EXPECT_TRUE(f->Create(nullptr, u"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, rc));
        return f;
    }

    // The colour in the middle of a window's caption, one pixel below its top.
    static uint32_t CaptionPixel(HWND w)
    {
        RedrawWindow(w, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
        RECT wr, cr;
        GetWindowRect(w, &wr);
        GetClientRect(w, &cr);
        POINT client{0, 0};
        ClientToScreen(w, &client);
        auto s = user::WindowSurface(w);
        int y = (client.y - wr.top) - 4; // inside the caption, above the client area
        return s->Row(y)[(wr.right - wr.left) / 2] & 0xFFFFFF;
    }
};

TEST_F(MiniFrame, StylesBecomeAToolWindowFrame)
{
    CFrameWnd* owner = MakeOwner(CRect(0, 0, 400, 300));
    auto* mini = new CMiniFrameWnd;
    ASSERT_TRUE(mini->CreateEx(0, nullptr, u"", WS_POPUP | WS_CAPTION | WS_SYSMENU | MFS_THICKFRAME | MFS_SYNCACTIVE |
                                                    MFS_BLOCKSYSMENU,
                               CRect(50, 50, 250, 200), owner));
    DWORD style = (DWORD)GetWindowLongW(mini->m_hWnd, GWL_STYLE);
    DWORD ex = (DWORD)GetWindowLongW(mini->m_hWnd, GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_EQ(style & (MFS_SYNCACTIVE | MFS_4THICKFRAME | MFS_THICKFRAME | MFS_MOVEFRAME | MFS_BLOCKSYSMENU), 0u);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(mini->m_bSyncActive);
    EXPECT_TRUE(mini->m_bBlockSysMenu);
    EXPECT_EQ(GetWindow(mini->m_hWnd, GW_OWNER), owner->m_hWnd);
    // The small caption: the client area starts below the frame and a small caption's height.
    RECT wr;
    GetWindowRect(mini->m_hWnd, &wr);
    POINT client{0, 0};
    ClientToScreen(mini->m_hWnd, &client);
    EXPECT_EQ(client.y - wr.top, GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYSMCAPTION));
}

TEST_F(MiniFrame, CaptionsFollowTheOwnersActivationOnlyWhenSynced)
{
    for (bool sync : {true, false}) {
        SCOPED_TRACE(sync ? "synced" : "not synced");
        CFrameWnd* owner = MakeOwner(CRect(0, 0, 400, 300));
        CFrameWnd* other = MakeOwner(CRect(500, 0, 800, 300));
        auto* mini = new CMiniFrameWnd;
        ASSERT_TRUE(mini->CreateEx(0, nullptr, u"", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE |
                                                        (sync ? MFS_SYNCACTIVE : 0),
                                   CRect(50, 50, 250, 200), owner));
        SetActiveWindow(owner->m_hWnd);
        headless::PumpUntilIdle();
        uint32_t activeOwner = CaptionPixel(owner->m_hWnd);
        uint32_t activeMini;
        SetActiveWindow(mini->m_hWnd);
        headless::PumpUntilIdle();
        activeMini = CaptionPixel(mini->m_hWnd);
        EXPECT_EQ(CaptionPixel(owner->m_hWnd) == activeOwner, sync) << "owner while the mini frame is active";
        SetActiveWindow(owner->m_hWnd);
        headless::PumpUntilIdle();
        EXPECT_EQ(CaptionPixel(mini->m_hWnd) == activeMini, sync) << "mini frame while the owner is active";
        // Leaving the family makes both inactive.
        SetActiveWindow(other->m_hWnd);
        headless::PumpUntilIdle();
        EXPECT_NE(CaptionPixel(owner->m_hWnd), activeOwner);
        EXPECT_NE(CaptionPixel(mini->m_hWnd), activeMini);
        TearDown();
    }
}

} // namespace
