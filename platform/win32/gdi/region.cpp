// Region objects, their algebra and painting, and the clip region of a DC.
#include "win32/gdi/blit.h"

#include <cstring>

using namespace gdi;

namespace {

HRGN NewRegion(RegionData data)
{
    auto r = std::make_shared<Region>();
    r->data = std::move(data);
    return (HRGN)Insert(r);
}

// Converts a logical-space region of a DC into target coordinates.
RegionData ToTargetRegion(DC& dc, const RegionData& logical)
{
    RegionData r = logical;
    r.Offset(dc.TX(0), dc.TY(0));
    return r;
}

// The device-space area clipping starts from when a DC has no clip region yet.
RegionData DeviceBounds(DC& dc)
{
    const Bitmap& t = dc.Format();
    return RegionData::FromRect(-dc.origin.x, -dc.origin.y, t.width - dc.origin.x, t.height - dc.origin.y);
}

int ClipKind(DC& dc)
{
    return dc.Clip().Kind();
}

} // namespace

HRGN CreateRectRgn(int x1, int y1, int x2, int y2)
{
    return NewRegion(RegionData::FromRect(x1, y1, x2, y2));
}

HRGN CreateRectRgnIndirect(const RECT* lprect)
{
    if (!lprect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return CreateRectRgn(lprect->left, lprect->top, lprect->right, lprect->bottom);
}

HRGN CreateRoundRectRgn(int x1, int y1, int x2, int y2, int w, int h)
{
    return NewRegion(RegionData::RoundRect(x1, y1, x2, y2, w, h));
}

HRGN CreateEllipticRgn(int x1, int y1, int x2, int y2)
{
    return NewRegion(RegionData::Ellipse(x1, y1, x2, y2));
}

HRGN CreateEllipticRgnIndirect(const RECT* lprect)
{
    if (!lprect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return CreateEllipticRgn(lprect->left, lprect->top, lprect->right, lprect->bottom);
}

HRGN CreatePolygonRgn(const POINT* pptl, int cPoint, int iMode)
{
    return CreatePolyPolygonRgn(pptl, &cPoint, 1, iMode);
}

HRGN CreatePolyPolygonRgn(const POINT* pptl, const INT* pc, int cPoly, int iMode)
{
    if (!pptl || !pc || cPoly <= 0 || (iMode != ALTERNATE && iMode != WINDING)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    for (int i = 0; i < cPoly; ++i)
        if (pc[i] < 2) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
    return NewRegion(RegionData::Polygon(pptl, pc, cPoly, iMode));
}

HRGN ExtCreateRegion(const void* lpx, DWORD nCount, const RGNDATA* lpData)
{
    if (!lpData || lpData->rdh.iType != RDH_RECTANGLES ||
        nCount < sizeof(RGNDATAHEADER) + lpData->rdh.nCount * sizeof(RECT)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    RegionData r;
    const RECT* rects = reinterpret_cast<const RECT*>(lpData->Buffer);
    for (DWORD i = 0; i < lpData->rdh.nCount; ++i)
        r = RegionData::Combine(r, RegionData::FromRect(rects[i]), RGN_OR);
    return NewRegion(std::move(r));
}

int CombineRgn(HRGN hrgnDst, HRGN hrgnSrc1, HRGN hrgnSrc2, int iMode)
{
    GDI_LOCK;
    auto dst = Get<Region>(hrgnDst, OBJ_REGION);
    auto a = Get<Region>(hrgnSrc1, OBJ_REGION);
    if (!dst || !a)
        return ERROR;
    if (iMode < RGN_AND || iMode > RGN_COPY) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERROR;
    }
    if (iMode == RGN_COPY) {
        dst->data = a->data;
        return dst->data.Kind();
    }
    auto b = Get<Region>(hrgnSrc2, OBJ_REGION);
    if (!b)
        return ERROR;
    dst->data = RegionData::Combine(a->data, b->data, iMode);
    return dst->data.Kind();
}

BOOL SetRectRgn(HRGN hrgn, int left, int top, int right, int bottom)
{
    GDI_LOCK;
    auto r = Get<Region>(hrgn, OBJ_REGION);
    if (!r)
        return FALSE;
    r->data = RegionData::FromRect(left, top, right, bottom);
    return TRUE;
}

int OffsetRgn(HRGN hrgn, int x, int y)
{
    GDI_LOCK;
    auto r = Get<Region>(hrgn, OBJ_REGION);
    if (!r)
        return ERROR;
    r->data.Offset(x, y);
    return r->data.Kind();
}

int GetRgnBox(HRGN hrgn, LPRECT lprc)
{
    GDI_LOCK;
    auto r = Get<Region>(hrgn, OBJ_REGION);
    if (!r || !lprc)
        return ERROR;
    *lprc = r->data.Box();
    return r->data.Kind();
}

BOOL PtInRegion(HRGN hrgn, int x, int y)
{
    GDI_LOCK;
    auto r = Get<Region>(hrgn, OBJ_REGION);
    return r && r->data.Contains(x, y);
}

BOOL RectInRegion(HRGN hrgn, const RECT* lprect)
{
    GDI_LOCK;
    auto r = Get<Region>(hrgn, OBJ_REGION);
    if (!r || !lprect)
        return FALSE;
    RECT n = *lprect;
    if (n.left > n.right)
        std::swap(n.left, n.right);
    if (n.top > n.bottom)
        std::swap(n.top, n.bottom);
    return r->data.Intersects(n);
}

BOOL EqualRgn(HRGN hrgn1, HRGN hrgn2)
{
    GDI_LOCK;
    auto a = Get<Region>(hrgn1, OBJ_REGION);
    auto b = Get<Region>(hrgn2, OBJ_REGION);
    if (!a || !b)
        return ERROR;
    return a->data == b->data;
}

DWORD GetRegionData(HRGN hrgn, DWORD nCount, LPRGNDATA lpRgnData)
{
    GDI_LOCK;
    auto r = Get<Region>(hrgn, OBJ_REGION);
    if (!r)
        return 0;
    auto rects = r->data.Rects();
    DWORD size = DWORD(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    if (!lpRgnData)
        return size;
    if (nCount < size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    lpRgnData->rdh.dwSize = sizeof(RGNDATAHEADER);
    lpRgnData->rdh.iType = RDH_RECTANGLES;
    lpRgnData->rdh.nCount = DWORD(rects.size());
    lpRgnData->rdh.nRgnSize = DWORD(rects.size() * sizeof(RECT));
    lpRgnData->rdh.rcBound = r->data.Box();
    if (!rects.empty())
        std::memcpy(lpRgnData->Buffer, rects.data(), rects.size() * sizeof(RECT));
    return size;
}

BOOL FillRgn(HDC hdc, HRGN hrgn, HBRUSH hbr)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    auto r = Get<Region>(hrgn, OBJ_REGION);
    auto b = Get<Brush>(ResolveBrush(hbr), OBJ_BRUSH);
    if (!dc || !r || !b)
        return FALSE;
    FillRegionRop(*dc, ToTargetRegion(*dc, r->data), RealiseBrush(*dc, b.get()), 0xF0);
    return TRUE;
}

BOOL PaintRgn(HDC hdc, HRGN hrgn)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    auto r = Get<Region>(hrgn, OBJ_REGION);
    if (!dc || !r)
        return FALSE;
    // PaintRgn follows the binary raster mode, as other brush fills of shapes do.
    static const uint8_t kRop2ToRop3[16] = {0x00, 0x05, 0x0A, 0x0F, 0x50, 0x55, 0x5A, 0x5F,
                                            0xA0, 0xA5, 0xAA, 0xAF, 0xF0, 0xF5, 0xFA, 0xFF};
    FillRegionRop(*dc, ToTargetRegion(*dc, r->data), RealiseBrush(*dc, dc->st.brush.get()),
                  kRop2ToRop3[(dc->st.rop2 - 1) & 15]);
    return TRUE;
}

BOOL InvertRgn(HDC hdc, HRGN hrgn)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    auto r = Get<Region>(hrgn, OBJ_REGION);
    if (!dc || !r)
        return FALSE;
    FillRegionRop(*dc, ToTargetRegion(*dc, r->data), BrushFill{}, 0x55);
    return TRUE;
}

BOOL FrameRgn(HDC hdc, HRGN hrgn, HBRUSH hbr, int w, int h)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    auto r = Get<Region>(hrgn, OBJ_REGION);
    auto b = Get<Brush>(ResolveBrush(hbr), OBJ_BRUSH);
    if (!dc || !r || !b)
        return FALSE;
    w = std::abs(w);
    h = std::abs(h);
    // The frame is the region minus itself eroded by w horizontally and h vertically.
    RegionData inner = r->data;
    for (int dx : {-w, w}) {
        RegionData moved = r->data;
        moved.Offset(dx, 0);
        inner = RegionData::Combine(inner, moved, RGN_AND);
    }
    for (int dy : {-h, h}) {
        RegionData moved = r->data;
        moved.Offset(0, dy);
        inner = RegionData::Combine(inner, moved, RGN_AND);
    }
    RegionData frame = RegionData::Combine(r->data, inner, RGN_DIFF);
    FillRegionRop(*dc, ToTargetRegion(*dc, frame), RealiseBrush(*dc, b.get()), 0xF0);
    return TRUE;
}

// ---- Clipping ---------------------------------------------------------------------------------

int ExtSelectClipRgn(HDC hdc, HRGN hrgn, int mode)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return ERROR;
    if (!hrgn) {
        if (mode != RGN_COPY) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return ERROR;
        }
        dc->st.clip.reset();
        dc->Invalidate();
        return ClipKind(*dc);
    }
    auto r = Get<Region>(hrgn, OBJ_REGION);
    if (!r)
        return ERROR;
    if (mode < RGN_AND || mode > RGN_COPY) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERROR;
    }
    // The region is in device coordinates.
    if (mode == RGN_COPY)
        dc->st.clip = r->data;
    else
        dc->st.clip = RegionData::Combine(dc->st.clip ? *dc->st.clip : DeviceBounds(*dc), r->data, mode);
    dc->Invalidate();
    return ClipKind(*dc);
}

int SelectClipRgn(HDC hdc, HRGN hrgn)
{
    return ExtSelectClipRgn(hdc, hrgn, RGN_COPY);
}

namespace {

int ClipWithRect(HDC hdc, int left, int top, int right, int bottom, int mode)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return ERROR;
    RegionData rect = RegionData::FromRect(dc->DX(left), dc->DY(top), dc->DX(right), dc->DY(bottom));
    dc->st.clip = RegionData::Combine(dc->st.clip ? *dc->st.clip : DeviceBounds(*dc), rect, mode);
    dc->Invalidate();
    return ClipKind(*dc);
}

} // namespace

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom)
{
    return ClipWithRect(hdc, left, top, right, bottom, RGN_AND);
}

int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom)
{
    return ClipWithRect(hdc, left, top, right, bottom, RGN_DIFF);
}

int OffsetClipRgn(HDC hdc, int x, int y)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return ERROR;
    if (dc->st.clip)
        dc->st.clip->Offset(x, y);
    dc->Invalidate();
    return ClipKind(*dc);
}

int GetClipBox(HDC hdc, LPRECT lprect)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc || !lprect)
        return ERROR;
    RECT b = dc->Clip().Box();
    int dx = dc->TX(0), dy = dc->TY(0);
    *lprect = dc->Clip().Empty() ? RECT{0, 0, 0, 0} : RECT{b.left - dx, b.top - dy, b.right - dx, b.bottom - dy};
    return ClipKind(*dc);
}

int GetClipRgn(HDC hdc, HRGN hrgn)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    auto r = Get<Region>(hrgn, OBJ_REGION);
    if (!dc || !r)
        return -1;
    if (!dc->st.clip)
        return 0;
    r->data = *dc->st.clip;
    return 1;
}

BOOL PtVisible(HDC hdc, int x, int y)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    return dc && dc->Clip().Contains(dc->TX(x), dc->TY(y));
}

BOOL RectVisible(HDC hdc, const RECT* lprect)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc || !lprect)
        return FALSE;
    return dc->Clip().Intersects(ToTarget(*dc, *lprect));
}
