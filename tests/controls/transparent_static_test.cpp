// Tests of the transparent static: no background of its own, and the parent repainted under a new text.
#include <gtest/gtest.h>

#include <vector>

#include "controls/transparent_static.h"

namespace {

class PaintRecordingParent : public CWnd {
public:
    std::vector<CRect> painted;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_PAINT) {
            PAINTSTRUCT ps;
            ::BeginPaint(m_hWnd, &ps);
            painted.push_back(ps.rcPaint);
            ::EndPaint(m_hWnd, &ps);
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

TEST(TransparentStatic, NewTextRepaintsTheParentBeneathAtOnce) {
    PaintRecordingParent parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, u"parent", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 200), nullptr, 0));
    CTransparentStatic label;
    ASSERT_TRUE(label.Create(u"Scanning", WS_CHILD | WS_VISIBLE, CRect(20, 30, 220, 50), &parent, 3));
    parent.UpdateWindow();
    parent.painted.clear();

    label.SetWindowText(u"Done");
    ASSERT_FALSE(parent.painted.empty()) << "painted before SetWindowText returned";
    CRect both;
    EXPECT_TRUE(both.IntersectRect(parent.painted.back(), CRect(20, 30, 220, 50)));
    EXPECT_EQ(both, CRect(20, 30, 220, 50));
    CString text;
    label.GetWindowText(text);
    EXPECT_EQ(text, CString(u"Done"));

    HDC dc = GetDC(parent.m_hWnd);
    SetBkMode(dc, OPAQUE);
    LRESULT brush = parent.SendMessage(WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)label.m_hWnd);
    EXPECT_EQ(brush, (LRESULT)GetStockObject(NULL_BRUSH));
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    ReleaseDC(parent.m_hWnd, dc);
    parent.DestroyWindow();
}

} // namespace
