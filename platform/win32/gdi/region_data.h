// Region geometry: y-x banded rectangle lists and their set algebra, shared by regions and clipping.
#pragma once

#include "win32/types.h"

#include <vector>

namespace gdi {

struct Span {
    int x0, x1; // [x0, x1)
    bool operator==(const Span&) const = default;
};

struct Band {
    int y0, y1; // [y0, y1)
    std::vector<Span> spans; // sorted, disjoint, not touching
};

// A set of pixels kept as horizontal bands of disjoint spans; bands are sorted, non-empty and
// never overlap, and equal neighbouring bands are merged, so equal sets have equal forms.
class RegionData {
public:
    std::vector<Band> bands;

    static RegionData FromRect(int left, int top, int right, int bottom);
    static RegionData FromRect(const RECT& r) { return FromRect(r.left, r.top, r.right, r.bottom); }
    // One row of spans per scan line starting at y0 (spans may be unsorted and overlap).
    static RegionData FromRows(int y0, std::vector<std::vector<Span>>& rows);
    static RegionData Combine(const RegionData& a, const RegionData& b, int mode);
    // Shapes are rasterised only within `limit`, so a huge shape costs no more than its
    // visible part.
    static RegionData Ellipse(int left, int top, int right, int bottom, const RECT& limit = kLimit);
    static RegionData RoundRect(int left, int top, int right, int bottom, int ew, int eh,
                                const RECT& limit = kLimit);
    // Polygons by the pixel-centre rule; ALTERNATE or WINDING.
    static RegionData Polygon(const POINT* pts, const int* counts, int polys, int mode,
                              const RECT& limit = kLimit);
    static constexpr RECT kLimit = {-32768, -32768, 32768, 32768};

    bool Empty() const { return bands.empty(); }
    RECT Box() const;
    int Kind() const; // NULLREGION, SIMPLEREGION or COMPLEXREGION
    void Offset(int dx, int dy);
    bool Contains(int x, int y) const;
    bool Intersects(const RECT& r) const;
    const Band* BandAt(int y) const;
    bool operator==(const RegionData& o) const;
    std::vector<RECT> Rects() const;
};

} // namespace gdi
