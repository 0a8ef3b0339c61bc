// The framework's GDI classes: handle wrapping, point fonts, the 3-D rectangle layout, rectangles.
#include "afx/gdi.h"
#include "platform/gdi/gdi_fixture.h"

TEST(CDCDrawing, Draw3dRectLeavesTheTopAndLeftEdgesOnePixelShort)
{
    MemDC m(8, 6);
    CDC* dc = CDC::FromHandle(m.dc);
    const COLORREF tl = RGB(255, 0, 0), br = RGB(0, 0, 255);
    dc->Draw3dRect(CRect(1, 1, 7, 5), tl, br);
    // Top row: x 1..5 top-left colour, x 6 bottom-right; bottom row all bottom-right.
    EXPECT_EQ(m.At(1, 1), tl);
    EXPECT_EQ(m.At(5, 1), tl);
    EXPECT_EQ(m.At(6, 1), br);
    EXPECT_EQ(m.At(1, 3), tl);
    EXPECT_EQ(m.At(1, 4), br);
    EXPECT_EQ(m.At(6, 4), br);
    EXPECT_EQ(m.At(3, 3), RGB(255, 255, 255));
    EXPECT_EQ(m.Count(tl), 5 + 2);
    EXPECT_EQ(m.Count(br), 6 + 3);
    EXPECT_EQ(dc->GetBkColor(), br); // the framework's fill leaves its colour behind
    CDC::DeleteTempMap();
}

TEST(GdiObjects, WrappersFindAttachedObjectsAndReleaseTheirHandles)
{
    HBRUSH h;
    {
        CBrush brush(RGB(1, 2, 3));
        h = brush;
        EXPECT_EQ(CBrush::FromHandle(h), &brush);
        LOGBRUSH lb{};
        brush.GetLogBrush(&lb);
        EXPECT_EQ(lb.lbColor, RGB(1, 2, 3));
        MemDC m(2, 2);
        CDC* dc = CDC::FromHandle(m.dc);
        CBrush* old = dc->SelectObject(&brush);
        ASSERT_NE(old, nullptr);
        EXPECT_EQ(old->m_hObject, GetStockObject(WHITE_BRUSH)); // a temporary wrapper
        EXPECT_TRUE(old->IsKindOf(RUNTIME_CLASS(CBrush)));
        dc->SelectObject(old);
        CGdiObject::DeleteTempMap();
        CDC::DeleteTempMap();
        EXPECT_EQ(GetObjectType(GetStockObject(WHITE_BRUSH)), DWORD(OBJ_BRUSH));
    }
    EXPECT_EQ(GetObjectType(h), 0u); // deleted with its owner

    CFont font;
    ASSERT_TRUE(font.CreatePointFont(90, u"宋体"));
    LOGFONT lf{};
    font.GetLogFont(&lf);
    EXPECT_EQ(lf.lfHeight, -12);
}

TEST(Geometry, RectangleArithmetic)
{
    CRect r(10, 10, 20, 30);
    EXPECT_EQ(r.Width(), 10);
    EXPECT_EQ(r.Height(), 20);
    EXPECT_TRUE(r.PtInRect(CPoint(10, 10)));
    EXPECT_FALSE(r.PtInRect(CPoint(20, 10)));
    CRect i = r & CRect(15, 0, 40, 15);
    EXPECT_EQ(i, CRect(15, 10, 20, 15));
    EXPECT_EQ(r & CRect(30, 30, 40, 40), CRect(0, 0, 0, 0));
    EXPECT_EQ(r | CRect(0, 0, 0, 0), r); // an empty operand does not widen the union
    r.DeflateRect(1, 2);
    EXPECT_EQ(r, CRect(11, 12, 19, 28));
    r.OffsetRect(CPoint(-11, -12));
    EXPECT_EQ(r.TopLeft(), CPoint(0, 0));
    EXPECT_EQ(r.BottomRight() - r.TopLeft(), CSize(8, 16));
    CRect n(5, 5, 1, 1);
    n.NormalizeRect();
    EXPECT_EQ(n, CRect(1, 1, 5, 5));
}
