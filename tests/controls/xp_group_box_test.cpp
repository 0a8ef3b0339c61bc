// Tests of the rounded group box: where its caption goes, which text it takes and the two box styles.
#include <gtest/gtest.h>

#include "controls/xp_group_box.h"
#include "paint_probe.h"

namespace {

constexpr COLORREF kBand = RGB(250, 250, 0), kBody = RGB(0, 200, 200), kBorder = RGB(200, 0, 0);

class XPGroupBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, nullptr, u"parent", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 200), nullptr, 0));
    }
    void TearDown() override { parent.DestroyWindow(); }
    void Make(LPCWSTR text) {
        ASSERT_TRUE(box.Create(text, WS_CHILD | WS_VISIBLE | BS_GROUPBOX, CRect(0, 0, 200, 100), &parent, 1));
        box.SetBackgroundColor(kBand, kBody).SetBorderColor(kBorder);
    }
    // The columns of one row that show a colour: first and last.
    static std::pair<int, int> Span(const PaintProbe& probe, int y, COLORREF c) {
        int first = -1, last = -1;
        for (int x = 0; x < 200; ++x)
            if (probe.At(x, y) == c) {
                if (first < 0)
                    first = x;
                last = x;
            }
        return {first, last};
    }
    CWnd parent;
    CXPGroupBox box;
};

TEST_F(XPGroupBoxTest, TakesTheWindowTextOnlyWhenNoCaptionIsSet) {
    box.SetCaption(u"ignored before the window exists");
    EXPECT_TRUE(box.GetCaption().IsEmpty());
    Make(u"Drives");
    EXPECT_TRUE(box.GetStyle() & BS_ICON);
    PaintProbe probe(200, 100);
    probe.Print(box.m_hWnd);
    EXPECT_EQ(box.GetCaption(), CString(u" Drives "));
    box.SetCaption(u"Found files");
    EXPECT_EQ(box.GetCaption(), CString(u" Found files "));
}

TEST_F(XPGroupBoxTest, FrameCaptionSitsWhereItIsAligned) {
    Make(u"Options");
    struct { DWORD alignment; const char* name; } cases[] = {{0, "left"}, {1, "centre"}, {2, "right"}, {5, "unknown"}};
    for (auto c : cases) {
        box.SetAlignment(c.alignment);
        PaintProbe probe(200, 100);
        probe.Print(box.m_hWnd);
        auto [first, last] = Span(probe, 1, kBand);
        ASSERT_GE(first, 0) << c.name;
        switch (c.alignment) {
        case 1: EXPECT_LE(std::abs((first + last + 1) - 200), 1) << c.name; break;
        case 2: EXPECT_EQ(last, 188) << c.name; break;
        default: EXPECT_EQ(first, 11) << c.name; break;
        }
        // The frame runs through the middle of the caption's height, not along the top.
        EXPECT_NE(probe.At(100, 1), kBorder) << c.name;
        EXPECT_EQ(probe.At(1, 50), kBorder) << c.name;
    }
}

TEST_F(XPGroupBoxTest, EmptyCaptionFramesFromTheTop) {
    Make(u"");
    PaintProbe probe(200, 100);
    probe.Print(box.m_hWnd);
    EXPECT_EQ(probe.At(100, 1), kBorder);
    EXPECT_EQ(probe.At(100, 98), kBorder);
    EXPECT_EQ(Span(probe, 1, kBand).first, -1);
}

TEST_F(XPGroupBoxTest, WindowStyleHasABandAndABody) {
    Make(u"Scan");
    box.SetBoxStyle(CXPGroupBox::WindowStyle).SetAlignment(CXPGroupBox::AlignLeft);
    PaintProbe probe(200, 100);
    probe.Print(box.m_hWnd);
    EXPECT_EQ(probe.At(180, 4), kBand) << "caption band";
    EXPECT_EQ(probe.At(100, 80), kBody) << "body";
    EXPECT_EQ(probe.At(100, 98), kBorder) << "outline";
    EXPECT_EQ(probe.At(0, 0), RGB(1, 2, 3)) << "outside the rounded corner";
}

} // namespace
