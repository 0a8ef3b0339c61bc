// Banded region geometry: construction from shapes, set operations, queries.
#include "win32/gdi/region_data.h"
#include "win32/gdi.h"

#include <algorithm>
#include <cmath>

namespace gdi {

namespace {

void Normalise(std::vector<Span>& spans)
{
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.x0 < b.x0; });
    std::vector<Span> out;
    for (const Span& s : spans) {
        if (s.x1 <= s.x0)
            continue;
        if (!out.empty() && s.x0 <= out.back().x1)
            out.back().x1 = std::max(out.back().x1, s.x1);
        else
            out.push_back(s);
    }
    spans.swap(out);
}

// Appends a band, merging it into the previous one when they touch and hold the same spans.
void PushBand(std::vector<Band>& bands, int y0, int y1, std::vector<Span>&& spans)
{
    if (y1 <= y0 || spans.empty())
        return;
    if (!bands.empty() && bands.back().y1 == y0 && bands.back().spans == spans) {
        bands.back().y1 = y1;
        return;
    }
    bands.push_back(Band{y0, y1, std::move(spans)});
}

std::vector<Span> CombineSpans(const std::vector<Span>& a, const std::vector<Span>& b, int mode)
{
    std::vector<int> xs;
    xs.reserve((a.size() + b.size()) * 2);
    for (const Span& s : a) {
        xs.push_back(s.x0);
        xs.push_back(s.x1);
    }
    for (const Span& s : b) {
        xs.push_back(s.x0);
        xs.push_back(s.x1);
    }
    std::sort(xs.begin(), xs.end());
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    std::vector<Span> out;
    size_t ia = 0, ib = 0;
    for (size_t i = 0; i + 1 < xs.size(); ++i) {
        int x = xs[i];
        while (ia < a.size() && a[ia].x1 <= x)
            ++ia;
        while (ib < b.size() && b[ib].x1 <= x)
            ++ib;
        bool inA = ia < a.size() && a[ia].x0 <= x;
        bool inB = ib < b.size() && b[ib].x0 <= x;
        bool in = false;
        switch (mode) {
        case RGN_AND: in = inA && inB; break;
        case RGN_OR: in = inA || inB; break;
        case RGN_XOR: in = inA != inB; break;
        case RGN_DIFF: in = inA && !inB; break;
        default: in = inA; break;
        }
        if (!in)
            continue;
        if (!out.empty() && out.back().x1 == x)
            out.back().x1 = xs[i + 1];
        else
            out.push_back(Span{x, xs[i + 1]});
    }
    return out;
}

} // namespace

RegionData RegionData::FromRect(int left, int top, int right, int bottom)
{
    RegionData r;
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    if (left < right && top < bottom)
        r.bands.push_back(Band{top, bottom, {Span{left, right}}});
    return r;
}

RegionData RegionData::FromRows(int y0, std::vector<std::vector<Span>>& rows)
{
    RegionData r;
    for (size_t i = 0; i < rows.size(); ++i) {
        Normalise(rows[i]);
        PushBand(r.bands, y0 + int(i), y0 + int(i) + 1, std::move(rows[i]));
    }
    return r;
}

RegionData RegionData::Combine(const RegionData& a, const RegionData& b, int mode)
{
    if (mode == RGN_COPY)
        return a;
    std::vector<int> ys;
    for (const Band& band : a.bands) {
        ys.push_back(band.y0);
        ys.push_back(band.y1);
    }
    for (const Band& band : b.bands) {
        ys.push_back(band.y0);
        ys.push_back(band.y1);
    }
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    RegionData out;
    static const std::vector<Span> none;
    size_t ia = 0, ib = 0;
    for (size_t i = 0; i + 1 < ys.size(); ++i) {
        int y = ys[i];
        while (ia < a.bands.size() && a.bands[ia].y1 <= y)
            ++ia;
        while (ib < b.bands.size() && b.bands[ib].y1 <= y)
            ++ib;
        const auto& sa = ia < a.bands.size() && a.bands[ia].y0 <= y ? a.bands[ia].spans : none;
        const auto& sb = ib < b.bands.size() && b.bands[ib].y0 <= y ? b.bands[ib].spans : none;
        PushBand(out.bands, y, ys[i + 1], CombineSpans(sa, sb, mode));
    }
    return out;
}

RegionData RegionData::Ellipse(int left, int top, int right, int bottom, const RECT& limit)
{
    return RoundRect(left, top, right, bottom, right - left, bottom - top, limit);
}

RegionData RegionData::RoundRect(int left, int top, int right, int bottom, int ew, int eh, const RECT& limit)
{
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    ew = std::min(std::abs(ew), right - left);
    eh = std::min(std::abs(eh), bottom - top);
    int y0 = std::max<int>(top, limit.top), y1 = std::min<int>(bottom, limit.bottom);
    std::vector<std::vector<Span>> rows;
    if (y1 > y0)
        rows.resize(size_t(y1 - y0));
    double a = ew / 2.0, b = eh / 2.0;
    for (int y = y0; y < y1; ++y) {
        double yc = y + 0.5;
        double dy = 0;
        if (yc < top + b)
            dy = top + b - yc;
        else if (yc > bottom - b)
            dy = yc - (bottom - b);
        double inset = 0;
        if (dy > 0) {
            if (dy >= b)
                continue;
            inset = a - a * std::sqrt(1.0 - (dy * dy) / (b * b));
        }
        // Pixels whose centres lie within [left + inset, right - inset].
        int x0 = int(std::ceil(left + inset - 0.5));
        int x1 = int(std::floor(right - inset - 0.5)) + 1;
        x0 = std::max<int>(x0, limit.left);
        x1 = std::min<int>(x1, limit.right);
        if (x1 > x0)
            rows[size_t(y - y0)].push_back(Span{x0, x1});
    }
    return FromRows(y0, rows);
}

RegionData RegionData::Polygon(const POINT* pts, const int* counts, int polys, int mode, const RECT& limit)
{
    struct Edge {
        double x0, y0, x1, y1;
        int dir;
    };
    std::vector<Edge> edges;
    long top = limit.bottom, bottom = limit.top;
    const POINT* p = pts;
    for (int k = 0; k < polys; ++k) {
        int n = counts[k];
        for (int i = 0; i < n; ++i) {
            POINT a = p[i], b = p[(i + 1) % n];
            top = std::min<long>(top, std::min(a.y, b.y));
            bottom = std::max<long>(bottom, std::max(a.y, b.y));
            if (a.y == b.y)
                continue;
            if (a.y < b.y)
                edges.push_back(Edge{double(a.x), double(a.y), double(b.x), double(b.y), 1});
            else
                edges.push_back(Edge{double(b.x), double(b.y), double(a.x), double(a.y), -1});
        }
        p += n;
    }
    int y0 = int(std::max<long>(top, limit.top)), y1 = int(std::min<long>(bottom, limit.bottom));
    std::vector<std::vector<Span>> rows;
    if (y1 <= y0)
        return RegionData{};
    rows.resize(size_t(y1 - y0));
    std::vector<std::pair<double, int>> xs;
    for (int y = y0; y < y1; ++y) {
        double yc = y + 0.5;
        xs.clear();
        for (const Edge& e : edges) {
            if (yc < e.y0 || yc >= e.y1)
                continue;
            xs.push_back({e.x0 + (yc - e.y0) * (e.x1 - e.x0) / (e.y1 - e.y0), e.dir});
        }
        std::sort(xs.begin(), xs.end());
        int winding = 0;
        for (size_t i = 0; i + 1 < xs.size(); ++i) {
            winding += mode == WINDING ? xs[i].second : 1;
            bool inside = mode == WINDING ? winding != 0 : (winding & 1) != 0;
            if (!inside)
                continue;
            int x0 = int(std::ceil(xs[i].first - 0.5));
            int x1 = int(std::ceil(xs[i + 1].first - 0.5));
            x0 = std::max<int>(x0, limit.left);
            x1 = std::min<int>(x1, limit.right);
            if (x1 > x0)
                rows[size_t(y - y0)].push_back(Span{x0, x1});
        }
    }
    return FromRows(y0, rows);
}

RECT RegionData::Box() const
{
    if (bands.empty())
        return RECT{0, 0, 0, 0};
    RECT r{bands.front().spans.front().x0, bands.front().y0, bands.front().spans.back().x1, bands.back().y1};
    for (const Band& b : bands) {
        r.left = std::min<LONG>(r.left, b.spans.front().x0);
        r.right = std::max<LONG>(r.right, b.spans.back().x1);
    }
    return r;
}

int RegionData::Kind() const
{
    if (bands.empty())
        return NULLREGION;
    return bands.size() == 1 && bands[0].spans.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

void RegionData::Offset(int dx, int dy)
{
    for (Band& b : bands) {
        b.y0 += dy;
        b.y1 += dy;
        for (Span& s : b.spans) {
            s.x0 += dx;
            s.x1 += dx;
        }
    }
}

const Band* RegionData::BandAt(int y) const
{
    auto it = std::upper_bound(bands.begin(), bands.end(), y, [](int v, const Band& b) { return v < b.y1; });
    if (it == bands.end() || it->y0 > y)
        return nullptr;
    return &*it;
}

bool RegionData::Contains(int x, int y) const
{
    const Band* b = BandAt(y);
    if (!b)
        return false;
    for (const Span& s : b->spans)
        if (x >= s.x0 && x < s.x1)
            return true;
    return false;
}

bool RegionData::Intersects(const RECT& r) const
{
    for (const Band& b : bands) {
        if (b.y1 <= r.top || b.y0 >= r.bottom)
            continue;
        for (const Span& s : b.spans)
            if (s.x1 > r.left && s.x0 < r.right)
                return true;
    }
    return false;
}

bool RegionData::operator==(const RegionData& o) const
{
    if (bands.size() != o.bands.size())
        return false;
    for (size_t i = 0; i < bands.size(); ++i)
        if (bands[i].y0 != o.bands[i].y0 || bands[i].y1 != o.bands[i].y1 || bands[i].spans != o.bands[i].spans)
            return false;
    return true;
}

std::vector<RECT> RegionData::Rects() const
{
    std::vector<RECT> out;
    for (const Band& b : bands)
        for (const Span& s : b.spans)
            out.push_back(RECT{s.x0, b.y0, s.x1, b.y1});
    return out;
}

} // namespace gdi
