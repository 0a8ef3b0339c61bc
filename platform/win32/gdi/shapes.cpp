// Lines and shapes: pens (cosmetic, styled, wide, inside-frame), rectangles, ellipses, polygons, pies, flood fill.
#include "win32/gdi/blit.h"

#include <cmath>

namespace gdi {

const uint8_t kRop2ToRop3[16] = {0x00, 0x05, 0x0A, 0x0F, 0x50, 0x55, 0x5A, 0x5F,
                                 0xA0, 0xA5, 0xAA, 0xAF, 0xF0, 0xF5, 0xFA, 0xFF};

namespace {

struct PenInfo {
    bool null = true;
    int width = 1;
    int kind = PS_SOLID;
    uint32_t value = 0, gapValue = 0;
    bool opaqueGaps = false;
    std::vector<int> dashes; // on, off, on, off... in pixels; empty: solid
    bool insideFrame = false;
};

PenInfo Realise(DC& dc)
{
    PenInfo p;
    const Pen& pen = *dc.st.pen;
    p.kind = pen.Kind();
    if (p.kind == PS_NULL)
        return p;
    p.null = false;
    const Bitmap& t = dc.Format();
    p.value = t.FromColor(pen.dcPen ? dc.st.dcPenColor : pen.color);
    p.width = std::max(1, pen.width);
    p.insideFrame = p.kind == PS_INSIDEFRAME;
    // Styles apply to one-pixel pens only; wider styled pens draw solid.
    if (p.width == 1) {
        switch (p.kind) {
        case PS_DASH: p.dashes = {18, 6}; break;
        case PS_DOT: p.dashes = {3, 3}; break;
        case PS_DASHDOT: p.dashes = {9, 6, 3, 6}; break;
        case PS_DASHDOTDOT: p.dashes = {9, 3, 3, 3, 3, 3}; break;
        case PS_ALTERNATE: p.dashes = {1, 1}; break;
        case PS_USERSTYLE:
            for (DWORD d : pen.userStyle)
                p.dashes.push_back(int(std::max<DWORD>(1, d)));
            if (p.dashes.size() % 2)
                p.dashes.push_back(p.dashes.back());
            break;
        }
    }
    p.opaqueGaps = dc.st.bkMode == OPAQUE;
    p.gapValue = t.FromColor(dc.st.bkColor);
    return p;
}

void Plot(DC& dc, int x, int y, uint32_t v)
{
    if (!dc.Clip().Contains(x, y))
        return;
    Bitmap& t = dc.Target();
    t.Set(x, y, Rop2(dc.st.rop2, v, t.Get(x, y)) & t.Mask());
}

// A one-pixel line in target coordinates without its end point; `phase` carries the
// style position from segment to segment. Each pixel is computed directly from its step,
// so only the steps that can reach the visible area are visited.
void ThinLine(DC& dc, const PenInfo& pen, int x0, int y0, int x1, int y1, int& phase)
{
    int64_t dx = std::abs(int64_t(x1) - x0), dy = std::abs(int64_t(y1) - y0);
    int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    bool xMajor = dx >= dy;
    int64_t major = xMajor ? dx : dy, minor = xMajor ? dy : dx;
    int64_t steps = major;
    int total = 0;
    for (int d : pen.dashes)
        total += d;
    int startPhase = phase;
    phase = total ? int((int64_t(phase) + steps) % total) : 0;
    if (steps == 0)
        return;
    RECT box = dc.Clip().Box();
    if (box.left >= box.right)
        return;
    // Steps whose major coordinate lies within the box.
    int64_t m0 = xMajor ? x0 : y0;
    int s = xMajor ? sx : sy;
    int64_t lo = xMajor ? box.left : box.top, hi = (xMajor ? box.right : box.bottom) - 1;
    int64_t a = s > 0 ? lo - m0 : m0 - hi, b = s > 0 ? hi - m0 : m0 - lo;
    a = std::max<int64_t>(a, 0);
    b = std::min<int64_t>(b, steps - 1);
    // And whose minor coordinate can (the minor offset grows by at most one per step).
    int64_t n0 = xMajor ? y0 : x0;
    int ns = xMajor ? sy : sx;
    int64_t nlo = xMajor ? box.top : box.left, nhi = (xMajor ? box.bottom : box.right) - 1;
    int64_t kMin = ns > 0 ? nlo - n0 : n0 - nhi, kMax = ns > 0 ? nhi - n0 : n0 - nlo;
    if (minor > 0) {
        // offset(i) = (2 i minor + major) / (2 major); find the steps where it is within [kMin, kMax].
        if (kMax < 0)
            return;
        if (kMin > 0)
            a = std::max<int64_t>(a, int64_t((__int128(2 * kMin - 1) * major) / (2 * minor)) - 1);
        b = std::min<int64_t>(b, int64_t((__int128(2 * kMax + 1) * major) / (2 * minor)) + 1);
    } else if (kMin > 0 || kMax < 0) {
        return;
    }
    for (int64_t i = std::max<int64_t>(a, 0); i <= b; ++i) {
        int64_t k = int64_t((__int128(2 * i) * minor + major) / (2 * major));
        int64_t px = xMajor ? x0 + sx * i : x0 + sx * k;
        int64_t py = xMajor ? y0 + sy * k : y0 + sy * i;
        if (px < box.left || px >= box.right || py < box.top || py >= box.bottom)
            continue;
        bool on = true;
        if (total) {
            int pos = int((startPhase + i) % total), acc = 0;
            for (size_t d = 0; d < pen.dashes.size(); ++d) {
                acc += pen.dashes[d];
                if (pos < acc) {
                    on = (d % 2) == 0;
                    break;
                }
            }
        }
        if (on)
            Plot(dc, int(px), int(py), pen.value);
        else if (pen.opaqueGaps)
            Plot(dc, int(px), int(py), pen.gapValue);
    }
}

// The area a wide pen covers along one segment: the band around it and round ends.
RegionData WideSegment(int x0, int y0, int x1, int y1, int width, const RECT& limit)
{
    double half = width / 2.0;
    RegionData r;
    double dx = x1 - x0, dy = y1 - y0, len = std::sqrt(dx * dx + dy * dy);
    double cx0 = x0 + 0.5, cy0 = y0 + 0.5, cx1 = x1 + 0.5, cy1 = y1 + 0.5;
    if (len > 0) {
        double nx = -dy / len * half, ny = dx / len * half;
        POINT quad[4] = {{LONG(std::lround(cx0 + nx)), LONG(std::lround(cy0 + ny))},
                         {LONG(std::lround(cx1 + nx)), LONG(std::lround(cy1 + ny))},
                         {LONG(std::lround(cx1 - nx)), LONG(std::lround(cy1 - ny))},
                         {LONG(std::lround(cx0 - nx)), LONG(std::lround(cy0 - ny))}};
        int four = 4;
        r = RegionData::Polygon(quad, &four, 1, WINDING, limit);
    }
    int lo = int(std::floor(half)), hi = width - lo;
    for (POINT p : {POINT{x0, y0}, POINT{x1, y1}})
        r = RegionData::Combine(r, RegionData::Ellipse(p.x - lo, p.y - lo, p.x + hi, p.y + hi, limit), RGN_OR);
    return r;
}

RECT Limit(DC& dc, int margin)
{
    RECT b = dc.Clip().Box();
    return RECT{b.left - margin, b.top - margin, b.right + margin, b.bottom + margin};
}

// Strokes a path of target-coordinate points with the current pen.
void Stroke(DC& dc, const PenInfo& pen, const std::vector<POINT>& pts, bool close)
{
    if (pen.null || pts.size() < 2)
        return;
    size_t n = pts.size(), segs = close ? n : n - 1;
    if (pen.width <= 1) {
        int phase = 0;
        for (size_t i = 0; i < segs; ++i) {
            const POINT& a = pts[i];
            const POINT& b = pts[(i + 1) % n];
            ThinLine(dc, pen, a.x, a.y, b.x, b.y, phase);
        }
        return;
    }
    RECT limit = Limit(dc, pen.width);
    RegionData area;
    for (size_t i = 0; i < segs; ++i) {
        const POINT& a = pts[i];
        const POINT& b = pts[(i + 1) % n];
        area = RegionData::Combine(area, WideSegment(a.x, a.y, b.x, b.y, pen.width, limit), RGN_OR);
    }
    FillRegionRop2(dc, area, pen.value, dc.st.rop2);
}

void FillWithBrush(DC& dc, const RegionData& rgn)
{
    FillRegionRop(dc, rgn, RealiseBrush(dc, dc.st.brush.get()), kRop2ToRop3[(dc.st.rop2 - 1) & 15]);
}

std::vector<POINT> ToTargetPoints(DC& dc, const POINT* pts, size_t n)
{
    std::vector<POINT> out(n);
    for (size_t i = 0; i < n; ++i)
        out[i] = POINT{dc.TX(pts[i].x), dc.TY(pts[i].y)};
    return out;
}

enum class Shape { Rect, Round, Ellipse };

// Rectangles, rounded rectangles and ellipses: the brush fills the inside, the pen the outline.
// A wide pen is centred on the outline unless it is an inside-frame pen.
BOOL DrawShape(HDC hdc, int left, int top, int right, int bottom, Shape shape, int ew, int eh)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return FALSE;
    RECT r = ToTarget(*dc, RECT{left, top, right, bottom});
    PenInfo pen = Realise(*dc);
    RECT limit = Limit(*dc, pen.width + 2);
    auto make = [&](int l, int t, int rr, int b) {
        switch (shape) {
        case Shape::Rect: return RegionData::Combine(RegionData::FromRect(l, t, rr, b), RegionData::FromRect(limit), RGN_AND);
        case Shape::Round: return RegionData::RoundRect(l, t, rr, b, ew, eh, limit);
        default: return RegionData::Ellipse(l, t, rr, b, limit);
        }
    };
    if (pen.null) {
        // Without a pen the shape is one pixel smaller on the right and bottom.
        FillWithBrush(*dc, make(r.left, r.top, r.right - 1, r.bottom - 1));
        return TRUE;
    }
    int w = pen.width, half = w / 2;
    RECT outer = pen.insideFrame ? r : RECT{r.left - half, r.top - half, r.right - 1 - half + w, r.bottom - 1 - half + w};
    if (pen.insideFrame && w > 1 && (outer.right - outer.left < 2 * w || outer.bottom - outer.top < 2 * w))
        w = std::max(1, int(std::min(outer.right - outer.left, outer.bottom - outer.top) / 2));
    RECT inner{outer.left + w, outer.top + w, outer.right - w, outer.bottom - w};
    RegionData innerRgn = inner.left < inner.right && inner.top < inner.bottom
                              ? make(inner.left, inner.top, inner.right, inner.bottom)
                              : RegionData{};
    FillWithBrush(*dc, innerRgn);
    if (shape == Shape::Rect && pen.width == 1 && !pen.dashes.empty()) {
        std::vector<POINT> pts = {{r.left, r.top}, {r.right - 1, r.top}, {r.right - 1, r.bottom - 1}, {r.left, r.bottom - 1}};
        Stroke(*dc, pen, pts, true);
        return TRUE;
    }
    RegionData outline = RegionData::Combine(make(outer.left, outer.top, outer.right, outer.bottom), innerRgn, RGN_DIFF);
    FillRegionRop2(*dc, outline, pen.value, dc->st.rop2);
    return TRUE;
}

} // namespace

} // namespace gdi

using namespace gdi;

BOOL LineTo(HDC hdc, int x, int y)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return FALSE;
    std::vector<POINT> pts = {{dc->TX(dc->st.curPos.x), dc->TY(dc->st.curPos.y)}, {dc->TX(x), dc->TY(y)}};
    Stroke(*dc, Realise(*dc), pts, false);
    dc->st.curPos = POINT{x, y};
    return TRUE;
}

BOOL Polyline(HDC hdc, const POINT* apt, int cpt)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return FALSE;
    if (!apt || cpt < 2) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Stroke(*dc, Realise(*dc), ToTargetPoints(*dc, apt, size_t(cpt)), false);
    return TRUE;
}

BOOL PolylineTo(HDC hdc, const POINT* apt, DWORD cpt)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc || !apt || cpt == 0)
        return FALSE;
    std::vector<POINT> all{dc->st.curPos};
    all.insert(all.end(), apt, apt + cpt);
    Stroke(*dc, Realise(*dc), ToTargetPoints(*dc, all.data(), all.size()), false);
    dc->st.curPos = apt[cpt - 1];
    return TRUE;
}

BOOL PolyPolyline(HDC hdc, const POINT* apt, const DWORD* asz, DWORD csz)
{
    GDI_LOCK;
    if (!apt || !asz)
        return FALSE;
    for (DWORD i = 0; i < csz; ++i) {
        if (!Polyline(hdc, apt, int(asz[i])))
            return FALSE;
        apt += asz[i];
    }
    return TRUE;
}

BOOL PolyPolygon(HDC hdc, const POINT* apt, const INT* asz, int csz)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return FALSE;
    if (!apt || !asz || csz <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    size_t total = 0;
    for (int i = 0; i < csz; ++i) {
        if (asz[i] < 2) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        total += size_t(asz[i]);
    }
    auto pts = ToTargetPoints(*dc, apt, total);
    FillWithBrush(*dc, RegionData::Polygon(pts.data(), asz, csz, dc->st.polyFillMode, Limit(*dc, 0)));
    PenInfo pen = Realise(*dc);
    size_t at = 0;
    for (int i = 0; i < csz; ++i) {
        std::vector<POINT> ring(pts.begin() + ptrdiff_t(at), pts.begin() + ptrdiff_t(at + size_t(asz[i])));
        Stroke(*dc, pen, ring, true);
        at += size_t(asz[i]);
    }
    return TRUE;
}

BOOL Polygon(HDC hdc, const POINT* apt, int cpt)
{
    return PolyPolygon(hdc, apt, &cpt, 1);
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom)
{
    return DrawShape(hdc, left, top, right, bottom, Shape::Rect, 0, 0);
}

BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height)
{
    return DrawShape(hdc, left, top, right, bottom, Shape::Round, width, height);
}

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom)
{
    return DrawShape(hdc, left, top, right, bottom, Shape::Ellipse, 0, 0);
}

BOOL Pie(HDC hdc, int left, int top, int right, int bottom, int xr1, int yr1, int xr2, int yr2)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return FALSE;
    RECT r = ToTarget(*dc, RECT{left, top, right, bottom});
    double cx = (r.left + r.right) / 2.0, cy = (r.top + r.bottom) / 2.0;
    // Angles grow counter-clockwise on screen (y down), from the first radial to the second.
    auto angle = [&](double x, double y) {
        double a = std::atan2(-(y - cy), x - cx);
        return a < 0 ? a + 2 * M_PI : a;
    };
    double a1 = angle(dc->TX(xr1), dc->TY(yr1)), a2 = angle(dc->TX(xr2), dc->TY(yr2));
    double sweep = a2 - a1;
    if (sweep <= 0)
        sweep += 2 * M_PI;
    RECT limit = Limit(*dc, 2);
    RegionData ellipse = RegionData::Ellipse(r.left, r.top, r.right, r.bottom, limit);
    std::vector<std::vector<Span>> rows;
    RECT box = ellipse.Box();
    rows.resize(size_t(std::max<LONG>(0, box.bottom - box.top)));
    for (const Band& b : ellipse.bands)
        for (int y = b.y0; y < b.y1; ++y)
            for (const Span& s : b.spans)
                for (int x = s.x0; x < s.x1; ++x) {
                    double a = angle(x + 0.5, y + 0.5) - a1;
                    if (a < 0)
                        a += 2 * M_PI;
                    if (a <= sweep)
                        rows[size_t(y - box.top)].push_back(Span{x, x + 1});
                }
    RegionData pie = RegionData::FromRows(box.top, rows);
    FillWithBrush(*dc, pie);
    PenInfo pen = Realise(*dc);
    if (!pen.null) {
        RegionData inner = RegionData::Ellipse(r.left + pen.width, r.top + pen.width, r.right - pen.width,
                                               r.bottom - pen.width, limit);
        FillRegionRop2(*dc, RegionData::Combine(pie, inner, RGN_DIFF), pen.value, dc->st.rop2);
        auto edge = [&](double a) {
            return POINT{LONG(std::lround(cx - 0.5 + std::cos(a) * (r.right - r.left - 1) / 2.0)),
                         LONG(std::lround(cy - 0.5 - std::sin(a) * (r.bottom - r.top - 1) / 2.0))};
        };
        POINT c{LONG(std::lround(cx - 0.5)), LONG(std::lround(cy - 0.5))};
        Stroke(*dc, pen, {edge(a1), c, edge(a1 + sweep)}, false);
    }
    return TRUE;
}

BOOL ExtFloodFill(HDC hdc, int x, int y, COLORREF color, UINT type)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return FALSE;
    Bitmap& t = dc->Target();
    int sx = dc->TX(x), sy = dc->TY(y);
    const RegionData& clip = dc->Clip();
    if (!clip.Contains(sx, sy))
        return FALSE;
    uint32_t ref = t.FromColor(color) & 0x00FFFFFF;
    auto inside = [&](int px, int py) {
        uint32_t v = t.Get(px, py) & 0x00FFFFFF;
        return type == FLOODFILLSURFACE ? v == ref : v != ref;
    };
    if (!inside(sx, sy))
        return FALSE;
    // Scan-line fill into a mask first, then one brush fill of the mask.
    std::vector<uint8_t> seen(size_t(t.width) * size_t(t.height));
    std::vector<std::vector<Span>> rows(size_t(t.height));
    std::vector<POINT> stack{{sx, sy}};
    while (!stack.empty()) {
        POINT p = stack.back();
        stack.pop_back();
        if (seen[size_t(p.y) * size_t(t.width) + size_t(p.x)])
            continue;
        int l = p.x, rr = p.x;
        while (l > 0 && clip.Contains(l - 1, p.y) && inside(l - 1, p.y))
            --l;
        while (rr + 1 < t.width && clip.Contains(rr + 1, p.y) && inside(rr + 1, p.y))
            ++rr;
        for (int i = l; i <= rr; ++i)
            seen[size_t(p.y) * size_t(t.width) + size_t(i)] = 1;
        rows[size_t(p.y)].push_back(Span{l, rr + 1});
        for (int ny : {p.y - 1, p.y + 1}) {
            if (ny < 0 || ny >= t.height)
                continue;
            for (int i = l; i <= rr; ++i)
                if (!seen[size_t(ny) * size_t(t.width) + size_t(i)] && clip.Contains(i, ny) && inside(i, ny))
                    stack.push_back(POINT{i, ny});
        }
    }
    FillRegionRop(*dc, RegionData::FromRows(0, rows), RealiseBrush(*dc, dc->st.brush.get()), 0xF0);
    return TRUE;
}

BOOL FloodFill(HDC hdc, int x, int y, COLORREF color)
{
    return ExtFloodFill(hdc, x, y, color, FLOODFILLBORDER);
}
