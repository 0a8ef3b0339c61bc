// Anti-aliased outlines: each curve point shares the colour between the two pixels that straddle it.
#include "app/smooth_shapes.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr double kPi = 3.14159265358979323846;

// background * f + colour * (1 - f), per channel, each product truncated.
COLORREF Blend(COLORREF background, COLORREF colour, double f)
{
    auto channel = [&](int shift) {
        const int b = int((background >> shift) & 0xFF), c = int((colour >> shift) & 0xFF);
        return (int(b * f) + int(c * (1 - f))) & 0xFF;
    };
    return RGB(channel(0), channel(8), channel(16));
}

// The pair of pixels straddling (x, y) along the minor axis.
void Straddle(CDC* dc, double x, double y, bool stepInY, COLORREF colour)
{
    if (stepInY) {
        const int yi = int(y), xi = int(std::floor(x));
        const double f = x - xi;
        dc->SetPixel(xi, yi, Blend(dc->GetPixel(xi, yi), colour, f));
        dc->SetPixel(xi + 1, yi, Blend(dc->GetPixel(xi + 1, yi), colour, 1 - f));
    } else {
        const int xi = int(x), yi = int(std::floor(y));
        const double f = y - yi;
        dc->SetPixel(xi, yi, Blend(dc->GetPixel(xi, yi), colour, f));
        dc->SetPixel(xi, yi + 1, Blend(dc->GetPixel(xi, yi + 1), colour, 1 - f));
    }
}

double AngleOf(double dx, double dy)
{
    double a = std::atan2(dy, dx) * 180.0 / kPi;
    return a < 0 ? a + 360.0 : a;
}

bool Within(double angle, double from, double to)
{
    if (to - from >= 360.0)
        return true;
    auto norm = [](double v) { return std::fmod(std::fmod(v, 360.0) + 360.0, 360.0); };
    const double a = norm(angle), f = norm(from), t = norm(to);
    return f <= t ? (a >= f && a <= t) : (a >= f || a <= t);
}

void Curve(CDC* dc, const CRect& box, double from, double to, COLORREF colour)
{
    const double cx = (box.left + box.right) / 2.0, cy = (box.top + box.bottom) / 2.0;
    const double a = std::abs(box.Width()) / 2.0, b = std::abs(box.Height()) / 2.0;
    if (a <= 0 || b <= 0)
        return;
    // By columns where the curve is flatter than 45 degrees.
    for (int x = int(std::ceil(cx - a)); x <= int(std::floor(cx + a)); ++x) {
        const double u = (x - cx) / a;
        const double h = b * std::sqrt(std::max(0.0, 1 - u * u));
        for (double dy : {-h, h}) {
            if (b * b * std::abs(x - cx) > a * a * std::abs(dy))
                continue;
            if (Within(AngleOf(x - cx, dy), from, to))
                Straddle(dc, x, cy + dy, false, colour);
        }
    }
    // By rows where it is steeper.
    for (int y = int(std::ceil(cy - b)); y <= int(std::floor(cy + b)); ++y) {
        const double v = (y - cy) / b;
        const double w = a * std::sqrt(std::max(0.0, 1 - v * v));
        for (double dx : {-w, w}) {
            if (b * b * std::abs(dx) <= a * a * std::abs(y - cy))
                continue;
            if (Within(AngleOf(dx, y - cy), from, to))
                Straddle(dc, cx + dx, y, true, colour);
        }
    }
}

} // namespace

void SmoothLine(CDC* dc, int x0, int y0, int x1, int y1, COLORREF colour)
{
    dc->SetPixel(x0, y0, colour);
    dc->SetPixel(x1, y1, colour);
    if (std::abs(x1 - x0) <= std::abs(y1 - y0)) {
        if (y1 < y0) {
            std::swap(x0, x1);
            std::swap(y0, y1);
        }
        for (int y = y0 + 1; y < y1; ++y)
            Straddle(dc, x0 + double(y - y0) * (x1 - x0) / (y1 - y0), y, true, colour);
    } else {
        if (x1 < x0) {
            std::swap(x0, x1);
            std::swap(y0, y1);
        }
        for (int x = x0 + 1; x < x1; ++x)
            Straddle(dc, x, y0 + double(x - x0) * (y1 - y0) / (x1 - x0), false, colour);
    }
}

void SmoothArc(CDC* dc, const CRect& box, double fromDegrees, double toDegrees, COLORREF colour)
{
    Curve(dc, box, fromDegrees, toDegrees, colour);
}

void SmoothEllipse(CDC* dc, const CRect& box, COLORREF colour) { Curve(dc, box, 0, 360, colour); }

void SmoothRoundRect(CDC* dc, int left, int top, int right, int bottom, int cw, int ch, COLORREF colour)
{
    const int rx = cw / 2, ry = ch / 2;
    if (2 * rx > std::abs(right - left) || 2 * ry > std::abs(bottom - top)) {
        SmoothEllipse(dc, CRect(left, top, right, bottom), colour);
        return;
    }
    SmoothLine(dc, left + rx, top, right - rx, top, colour);
    SmoothArc(dc, CRect(right - 2 * rx, top, right, top + 2 * ry), 270, 360, colour);
    SmoothLine(dc, right, top + ry, right, bottom - ry, colour);
    SmoothArc(dc, CRect(right - 2 * rx, bottom - 2 * ry, right, bottom), 0, 90, colour);
    SmoothLine(dc, right - rx, bottom, left + rx, bottom, colour);
    SmoothArc(dc, CRect(left, bottom - 2 * ry, left + 2 * rx, bottom), 90, 180, colour);
    SmoothLine(dc, left, bottom - ry, left, top + ry, colour);
    SmoothArc(dc, CRect(left, top, left + 2 * rx, top + 2 * ry), 180, 270, colour);
}
