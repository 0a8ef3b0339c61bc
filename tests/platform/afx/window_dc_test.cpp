// The window DC classes and the nesting wait cursor.
#include "afx/afx.h"
#include "backend/headless/driver.h"

#include <gtest/gtest.h>

namespace {

class PaintedWnd : public CWnd {
public:
    CRect m_rcPaint;
    HDC m_hdcPaint = nullptr;

protected:
    void OnPaint() {
        CPaintDC dc(this);
        m_rcPaint = dc.m_ps.rcPaint;
        m_hdcPaint = dc.m_hDC;
        EXPECT_EQ(CDC::FromHandle(dc.m_hDC), &dc);
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(PaintedWnd, CWnd)
    ON_WM_PAINT()
END_MESSAGE_MAP()

class WindowDcTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(wnd.CreateEx(0, nullptr, u"dc", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 80), nullptr, 0));
        headless::PumpUntilIdle();
    }
    PaintedWnd wnd;
};

TEST_F(WindowDcTest, PaintDcValidatesTheUpdateRegionAndEndsWithTheObject) {
    CRect rc(10, 10, 30, 20);
    wnd.InvalidateRect(&rc, FALSE);
    wnd.UpdateWindow();
    EXPECT_EQ(wnd.m_rcPaint, rc);
    EXPECT_FALSE(::GetUpdateRect(wnd.m_hWnd, nullptr, FALSE));
    EXPECT_EQ(::WindowFromDC(wnd.m_hdcPaint), nullptr);
    EXPECT_NE(CDC::FromHandle(wnd.m_hdcPaint)->m_hDC, nullptr) << "no permanent object is left behind";
}

TEST_F(WindowDcTest, ClientAndWindowDcsAreReleasedWithTheObject) {
    HDC hClient, hWindow;
    {
        CClientDC client(&wnd);
        CWindowDC window(&wnd);
        hClient = client.m_hDC;
        hWindow = window.m_hDC;
        EXPECT_EQ(::WindowFromDC(hClient), wnd.m_hWnd);
        EXPECT_EQ(::WindowFromDC(hWindow), wnd.m_hWnd);
        client.SetPixel(1, 1, RGB(255, 0, 0));
        EXPECT_EQ(client.GetPixel(1, 1), RGB(255, 0, 0));
    }
    EXPECT_EQ(::WindowFromDC(hClient), nullptr);
    EXPECT_EQ(::WindowFromDC(hWindow), nullptr);
}

TEST(WaitCursor, NestsAndRestoresThePreviousCursor) {
    HCURSOR hWait = ::LoadCursorW(nullptr, IDC_WAIT);
    HCURSOR hOwn = ::LoadCursorW(nullptr, IDC_CROSS);
    ::SetCursor(hOwn);
    CCmdTarget target;
    target.EndWaitCursor(); // unmatched: ignored
    EXPECT_EQ(::GetCursor(), hOwn);
    {
        CWaitCursor outer;
        EXPECT_EQ(::GetCursor(), hWait);
        target.BeginWaitCursor();
        ::SetCursor(hOwn); // a dialog changed it
        target.RestoreWaitCursor();
        EXPECT_EQ(::GetCursor(), hWait);
        target.EndWaitCursor();
        EXPECT_EQ(::GetCursor(), hWait) << "the outer wait is still active";
    }
    EXPECT_EQ(::GetCursor(), hOwn);
    target.RestoreWaitCursor();
    EXPECT_EQ(::GetCursor(), hOwn) << "nothing to restore once every wait ended";
}

} // namespace
