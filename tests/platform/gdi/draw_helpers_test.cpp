// Edges, focus rectangles, frame controls and DrawState in the classic colours.
#include "gdi_fixture.h"

namespace {
const COLORREF kWhite = RGB(255, 255, 255);
}

TEST(DrawEdge, RingsTakeTheClassicColours)
{
    struct Case {
        UINT edge;
        COLORREF outerTopLeft, outerBottomRight, innerTopLeft, innerBottomRight;
    } cases[] = {
        {EDGE_RAISED, GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW)},
        {EDGE_SUNKEN, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_3DLIGHT)},
        {EDGE_ETCHED, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW)},
    };
    for (const Case& c : cases) {
        MemDC m(12, 12, RGB(1, 2, 3));
        RECT r{1, 1, 11, 11};
        ASSERT_TRUE(DrawEdge(m.dc, &r, c.edge, BF_RECT | BF_ADJUST | BF_MIDDLE));
        EXPECT_EQ(r.left, 3);
        EXPECT_EQ(r.bottom, 9);
        EXPECT_EQ(m.At(1, 1), c.outerTopLeft) << c.edge;
        EXPECT_EQ(m.At(10, 10), c.outerBottomRight) << c.edge;
        EXPECT_EQ(m.At(10, 1), c.outerBottomRight) << c.edge; // the bottom-right ring owns the far corners
        EXPECT_EQ(m.At(2, 5), c.innerTopLeft) << c.edge;
        EXPECT_EQ(m.At(9, 5), c.innerBottomRight) << c.edge;
        EXPECT_EQ(m.At(5, 5), GetSysColor(COLOR_BTNFACE)) << c.edge;
        EXPECT_EQ(m.At(0, 0), RGB(1, 2, 3));
    }
    MemDC m(6, 6);
    RECT top{0, 0, 6, 6};
    DrawEdge(m.dc, &top, EDGE_SUNKEN, BF_TOP);
    EXPECT_EQ(m.At(2, 0), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(m.At(0, 3), kWhite);
}

TEST(DrawFocusRect, DotsEveryOtherPixelAndUndoesItself)
{
    MemDC m(10, 8);
    RECT r{1, 1, 9, 7};
    DrawFocusRect(m.dc, &r);
    EXPECT_EQ(m.At(1, 1), RGB(0, 0, 0));
    EXPECT_EQ(m.At(2, 1), kWhite);
    EXPECT_EQ(m.At(3, 1), RGB(0, 0, 0));
    EXPECT_EQ(m.At(4, 4), kWhite);
    EXPECT_EQ(m.Count(RGB(0, 0, 0)), 12);
    DrawFocusRect(m.dc, &r);
    EXPECT_EQ(m.Count(kWhite), 80);
}

TEST(DrawFrameControl, PushButtonsCaptionButtonsAndChecks)
{
    MemDC m(40, 20);
    RECT r{0, 0, 20, 20};
    ASSERT_TRUE(DrawFrameControl(m.dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT));
    EXPECT_EQ(r.left, 2);
    EXPECT_EQ(r.right, 18);
    EXPECT_EQ(m.At(0, 0), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(m.At(10, 10), GetSysColor(COLOR_BTNFACE));
    RECT pushed{20, 0, 40, 20};
    DrawFrameControl(m.dc, &pushed, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED);
    EXPECT_EQ(m.At(20, 0), RGB(0, 0, 0));

    MemDC cap(16, 14);
    RECT c{0, 0, 16, 14};
    ASSERT_TRUE(DrawFrameControl(cap.dc, &c, DFC_CAPTION, DFCS_CAPTIONCLOSE));
    EXPECT_EQ(cap.At(8, 7), RGB(0, 0, 0)); // the cross
    MemDC chk(13, 13);
    RECT box{0, 0, 13, 13};
    DrawFrameControl(chk.dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK);
    EXPECT_EQ(chk.Count(RGB(0, 0, 0)), 0);
    DrawFrameControl(chk.dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
    EXPECT_GT(chk.Count(RGB(0, 0, 0)), 5);
}

TEST(DrawState, DisabledTextIsEmbossedAndMonoTakesTheBrush)
{
    MemDC normal(80, 20), disabled(80, 20), mono(80, 20);
    HFONT f = CreateFontW(-14, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, u"Arial");
    for (MemDC* m : {&normal, &disabled, &mono})
        SelectObject(m->dc, f);
    LPARAM text = reinterpret_cast<LPARAM>(u"Disk");
    ASSERT_TRUE(DrawStateW(normal.dc, nullptr, nullptr, text, 0, 2, 2, 0, 0, DST_TEXT));
    ASSERT_TRUE(DrawStateW(disabled.dc, nullptr, nullptr, text, 0, 2, 2, 0, 0, DST_TEXT | DSS_DISABLED));
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    ASSERT_TRUE(DrawStateW(mono.dc, red, nullptr, text, 0, 2, 2, 0, 0, DST_TEXT | DSS_MONO));
    int ink = normal.Count(RGB(0, 0, 0));
    EXPECT_GT(ink, 20);
    EXPECT_EQ(disabled.Count(RGB(0, 0, 0)), 0);
    EXPECT_GT(disabled.Count(GetSysColor(COLOR_BTNSHADOW)), 10);
    EXPECT_EQ(mono.Count(RGB(255, 0, 0)), ink);
    // The highlight copy sits one pixel down and right of the shadow copy.
    for (int y = 0; y < 19; ++y)
        for (int x = 0; x < 79; ++x)
            if (normal.At(x, y) == RGB(0, 0, 0)) {
                EXPECT_EQ(disabled.At(x, y), GetSysColor(COLOR_BTNSHADOW));
            }
    for (MemDC* m : {&normal, &disabled, &mono})
        SelectObject(m->dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(f);
    DeleteObject(red);

    MemDC icon(40, 40);
    HICON error = GetSystemIcon(32513);
    ASSERT_TRUE(DrawStateW(icon.dc, nullptr, nullptr, reinterpret_cast<LPARAM>(error), 0, 4, 4, 0, 0, DST_ICON | DSS_DISABLED));
    EXPECT_EQ(icon.Count(RGB(255, 0, 0)), 0);
    EXPECT_GT(icon.Count(GetSysColor(COLOR_BTNSHADOW)), 100);
}
