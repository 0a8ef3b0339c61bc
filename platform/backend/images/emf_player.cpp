// The enhanced-metafile player: header, record walk, the device context's state and mapping, and the drawing
// records the canvas draws.
#include "backend/images/emf_player.h"

#include "backend/images/image_decode.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <vector>

namespace backend {
namespace {

enum : uint32_t {
    kHeader = 1, kPolygon = 3, kPolyline = 4, kPolylineTo = 6, kPolyPolyline = 7, kPolyPolygon = 8,
    kSetWindowExt = 9, kSetWindowOrg = 10, kSetViewportExt = 11, kSetViewportOrg = 12, kEof = 14,
    kSetPixel = 15, kSetMapMode = 17, kSetBkMode = 18, kSetPolyFillMode = 19, kSetTextAlign = 22,
    kSetTextColor = 24, kSetBkColor = 25, kMoveTo = 27, kIntersectClipRect = 30, kSaveDc = 33, kRestoreDc = 34,
    kSelectObject = 37, kCreatePen = 38, kCreateBrush = 39, kDeleteObject = 40, kEllipse = 42, kRectangle = 43,
    kRoundRect = 44, kLineTo = 54, kCreateFont = 82, kExtTextOutW = 84, kPolygon16 = 86, kPolyline16 = 87,
    kPolylineTo16 = 89, kPolyPolyline16 = 90, kPolyPolygon16 = 91, kExtCreatePen = 95,
};

constexpr size_t kHeaderMinSize = 88;
constexpr uint32_t kSignature = 0x464D4520; // " EMF"
constexpr size_t kMaxSavedStates = 64;
constexpr uint32_t kStockObject = 0x80000000u;
constexpr double kPixelsPerHundredthMm = 96.0 / 2540.0;

enum MapMode { kText = 1, kLoMetric, kHiMetric, kLoEnglish, kHiEnglish, kTwips, kIsotropic, kAnisotropic };

uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
int32_t I32(const uint8_t* p) { return int32_t(U32(p)); }
int16_t I16(const uint8_t* p) { return int16_t(p[0] | p[1] << 8); }

struct Object {
    enum Kind { kNone, kPen, kBrush, kFont } kind = kNone;
    EmfPen pen;
    EmfBrush brush;
    EmfFont font;
};

struct DcState {
    int mapMode = kText;
    double winOrgX = 0, winOrgY = 0, winExtX = 1, winExtY = 1;
    double vpOrgX = 0, vpOrgY = 0, vpExtX = 1, vpExtY = 1;
    EmfPen pen;
    EmfBrush brush;
    EmfFont font;
    uint32_t textColour = 0, backColour = 0xFFFFFF, textAlign = 0;
    int backMode = 2, fillMode = 1;
    bool clipped = false;
    EmfRect clip{};
    EmfPoint current{0, 0};
};

class Player {
public:
    Player(const EmfHeader& header, EmfCanvas& canvas)
        : m_header(header), m_canvas(canvas), m_objects(std::min<uint32_t>(header.handles, 0x10000))
    {
    }

    void Start() { Apply(m_state); }

    // False when the record does not hold the fields its type has; such a record is left out.
    bool Play(uint32_t type, const uint8_t* r, uint32_t size)
    {
        switch (type) {
        case kPolygon: case kPolyline: case kPolylineTo: return Poly(type, r, size, 8, &I32Point);
        case kPolygon16: case kPolyline16: case kPolylineTo16: return Poly(type, r, size, 4, &I16Point);
        case kPolyPolyline: case kPolyPolygon: return PolyPoly(type == kPolyPolygon, r, size, 8, &I32Point);
        case kPolyPolyline16: case kPolyPolygon16: return PolyPoly(type == kPolyPolygon16, r, size, 4, &I16Point);
        case kSetWindowExt: case kSetWindowOrg: case kSetViewportExt: case kSetViewportOrg:
            return size >= 16 && SetMapping(type, I32(r + 8), I32(r + 12));
        case kSetMapMode: return size >= 12 && SetMapMode(int(U32(r + 8)));
        case kSetBkMode: return size >= 12 && Set(m_state.backMode, int(U32(r + 8)), &EmfCanvas::SetBackMode);
        case kSetPolyFillMode: return size >= 12 && Set(m_state.fillMode, int(U32(r + 8)), &EmfCanvas::SetFillMode);
        case kSetTextAlign:
            // The current position is not followed for text: it is drawn at its reference point.
            return size >= 12 && Set(m_state.textAlign, U32(r + 8) & ~1u, &EmfCanvas::SetTextAlign);
        case kSetTextColor: return size >= 12 && Set(m_state.textColour, U32(r + 8) & 0xFFFFFF, &EmfCanvas::SetTextColour);
        case kSetBkColor: return size >= 12 && Set(m_state.backColour, U32(r + 8) & 0xFFFFFF, &EmfCanvas::SetBackColour);
        case kMoveTo:
            if (size < 16)
                return false;
            m_state.current = Map(I32(r + 8), I32(r + 12));
            return true;
        case kLineTo: {
            if (size < 16)
                return false;
            const EmfPoint line[2] = {m_state.current, Map(I32(r + 8), I32(r + 12))};
            if (Draw(2, Area(std::min(line[0].x, line[1].x), std::min(line[0].y, line[1].y),
                             std::max(line[0].x, line[1].x), std::max(line[0].y, line[1].y))))
                m_canvas.Polyline(line, 2);
            m_state.current = line[1];
            return true;
        }
        case kSetPixel:
            if (size < 20)
                return false;
            if (Draw(1, 1))
                m_canvas.SetPixel(Map(I32(r + 8), I32(r + 12)), U32(r + 16) & 0xFFFFFF);
            return true;
        case kRectangle: case kEllipse: case kRoundRect: {
            if (size < (type == kRoundRect ? 32u : 24u))
                return false;
            const EmfRect box = MapRect(r + 8);
            if (!Draw(4, Area(box)))
                return true;
            if (type == kRectangle)
                m_canvas.Rectangle(box);
            else if (type == kEllipse)
                m_canvas.Ellipse(box);
            else
                m_canvas.RoundRect(box, Length(I32(r + 24), true), Length(I32(r + 28), false));
            return true;
        }
        case kIntersectClipRect: return size >= 24 && IntersectClip(MapRect(r + 8));
        case kSaveDc:
            if (m_saved.size() < kMaxSavedStates)
                m_saved.push_back(m_state);
            return true;
        case kRestoreDc: return size >= 12 && Restore(I32(r + 8));
        case kSelectObject: return size >= 12 && Select(U32(r + 8));
        case kDeleteObject:
            if (size < 12)
                return false;
            if (U32(r + 8) < m_objects.size())
                m_objects[U32(r + 8)] = Object{};
            return true;
        case kCreatePen: return size >= 28 && CreatePen(U32(r + 8), U32(r + 12), I32(r + 16), U32(r + 24));
        case kExtCreatePen: return size >= 52 && CreatePen(U32(r + 8), U32(r + 28), I32(r + 32), U32(r + 40));
        case kCreateBrush: return size >= 24 && CreateBrush(U32(r + 8), U32(r + 12), U32(r + 16), U32(r + 20));
        case kCreateFont: return size >= 104 && CreateFont(U32(r + 8), r + 12);
        case kExtTextOutW: return Text(r, size);
        default: return true; // what the canvas cannot draw, and what changes nothing drawn here
        }
    }

private:
    using PointReader = EmfPoint (*)(const uint8_t*);
    static EmfPoint I32Point(const uint8_t* p) { return {I32(p), I32(p + 4)}; }
    static EmfPoint I16Point(const uint8_t* p) { return {I16(p), I16(p + 2)}; }

    // Counts what is drawn; past the limits nothing more is.
    bool Draw(uint64_t points, uint64_t area)
    {
        if (m_drawnRecords >= kEmfMaxDrawnRecords || m_drawnPoints + points > kEmfMaxDrawnPoints ||
            m_drawnArea + area > kEmfMaxDrawnArea) {
            m_drawnRecords = kEmfMaxDrawnRecords;
            return false;
        }
        ++m_drawnRecords;
        m_drawnPoints += points;
        m_drawnArea += area;
        return true;
    }

    // The pixels of the picture the box covers, grown by the pen's width on every side.
    uint64_t Area(int64_t left, int64_t top, int64_t right, int64_t bottom) const
    {
        const int64_t grow = m_state.pen.style == 5 ? 0 : m_state.pen.width;
        const int64_t l = std::max<int64_t>(left - grow, 0), t = std::max<int64_t>(top - grow, 0);
        const int64_t r = std::min<int64_t>(right + grow + 1, m_header.width);
        const int64_t b = std::min<int64_t>(bottom + grow + 1, m_header.height);
        return r > l && b > t ? uint64_t(r - l) * uint64_t(b - t) : 0;
    }
    uint64_t Area(const EmfRect& r) const { return Area(r.left, r.top, r.right, r.bottom); }
    uint64_t Area(const std::vector<EmfPoint>& points) const
    {
        if (points.empty())
            return 0;
        EmfRect box{points[0].x, points[0].y, points[0].x, points[0].y};
        for (const EmfPoint& p : points)
            box = {std::min(box.left, p.x), std::min(box.top, p.y), std::max(box.right, p.x), std::max(box.bottom, p.y)};
        return Area(box);
    }

    static int Clamp(double v)
    {
        if (!(v > -kEmfCoordinateLimit))
            return -kEmfCoordinateLimit;
        if (v > kEmfCoordinateLimit)
            return kEmfCoordinateLimit;
        return int(std::lround(v));
    }

    double DeviceX(double x) const
    {
        const DcState& s = m_state;
        const double d = s.mapMode == kText ? x - s.winOrgX + s.vpOrgX : (x - s.winOrgX) * s.vpExtX / s.winExtX + s.vpOrgX;
        return (d - m_header.originX) * m_header.scaleX;
    }
    double DeviceY(double y) const
    {
        const DcState& s = m_state;
        const double d = s.mapMode == kText ? y - s.winOrgY + s.vpOrgY : (y - s.winOrgY) * s.vpExtY / s.winExtY + s.vpOrgY;
        return (d - m_header.originY) * m_header.scaleY;
    }
    EmfPoint Map(double x, double y) const { return {Clamp(DeviceX(x)), Clamp(DeviceY(y))}; }
    EmfRect MapRect(const uint8_t* p) const
    {
        const EmfPoint a = Map(I32(p), I32(p + 4)), b = Map(I32(p + 8), I32(p + 12));
        return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    }
    // A logical length (pen width, font height, corner size) in pixels.
    int Length(double v, bool horizontal) const
    {
        const DcState& s = m_state;
        double scale = horizontal ? m_header.scaleX : m_header.scaleY;
        if (s.mapMode != kText)
            scale *= std::fabs(horizontal ? s.vpExtX / s.winExtX : s.vpExtY / s.winExtY);
        return Clamp(v * scale);
    }

    template <class T, class Arg>
    bool Set(T& field, T value, void (EmfCanvas::*apply)(Arg))
    {
        field = value;
        (m_canvas.*apply)(value);
        return true;
    }

    bool SetMapping(uint32_t type, int32_t x, int32_t y)
    {
        DcState& s = m_state;
        const bool scalable = s.mapMode == kIsotropic || s.mapMode == kAnisotropic;
        switch (type) {
        case kSetWindowOrg: s.winOrgX = x; s.winOrgY = y; break;
        case kSetViewportOrg: s.vpOrgX = x; s.vpOrgY = y; break;
        // Extents count only where the mode lets them, and never as zero.
        case kSetWindowExt:
            if (scalable && x && y) {
                s.winExtX = x;
                s.winExtY = y;
            }
            break;
        case kSetViewportExt:
            if (scalable && x && y) {
                s.vpExtX = x;
                s.vpExtY = y;
            }
            break;
        }
        return true;
    }

    bool SetMapMode(int mode)
    {
        DcState& s = m_state;
        if (mode < kText || mode > kAnisotropic)
            return true;
        s.mapMode = mode;
        // The metric modes count units of a fixed length, y growing upwards, on the reference device.
        const double perMillimetre[] = {0, 0, 10, 100, 1000 / 25.4, 10000 / 25.4, 1440 / 25.4};
        if (mode >= kLoMetric && mode <= kTwips && m_header.millimetresX > 0 && m_header.millimetresY > 0) {
            s.winExtX = m_header.millimetresX * perMillimetre[mode - 1];
            s.winExtY = m_header.millimetresY * perMillimetre[mode - 1];
            s.vpExtX = m_header.deviceX;
            s.vpExtY = -double(m_header.deviceY);
        } else if (mode != kIsotropic && mode != kAnisotropic) {
            s.mapMode = kText;
            s.winExtX = s.winExtY = s.vpExtX = s.vpExtY = 1;
        }
        return true;
    }

    bool IntersectClip(const EmfRect& r)
    {
        DcState& s = m_state;
        s.clip = s.clipped ? EmfRect{std::max(s.clip.left, r.left), std::max(s.clip.top, r.top),
                                     std::min(s.clip.right, r.right), std::min(s.clip.bottom, r.bottom)}
                           : r;
        if (s.clip.right < s.clip.left)
            s.clip.right = s.clip.left;
        if (s.clip.bottom < s.clip.top)
            s.clip.bottom = s.clip.top;
        s.clipped = true;
        m_canvas.SetClip(&s.clip);
        return true;
    }

    bool Restore(int32_t which)
    {
        // Negative: that many states back; positive: the state saved as that number.
        size_t keep;
        if (which < 0) {
            if (uint64_t(-int64_t(which)) > m_saved.size())
                return true;
            keep = m_saved.size() + size_t(int64_t(which));
        } else {
            if (which == 0 || size_t(which) > m_saved.size())
                return true;
            keep = size_t(which) - 1;
        }
        m_state = m_saved[keep];
        m_saved.resize(keep);
        Apply(m_state);
        return true;
    }

    void Apply(const DcState& s)
    {
        m_canvas.SetPen(s.pen);
        m_canvas.SetBrush(s.brush);
        m_canvas.SetFont(s.font);
        m_canvas.SetTextColour(s.textColour);
        m_canvas.SetBackColour(s.backColour);
        m_canvas.SetBackMode(s.backMode);
        m_canvas.SetFillMode(s.fillMode);
        m_canvas.SetTextAlign(s.textAlign);
        m_canvas.SetClip(s.clipped ? &s.clip : nullptr);
    }

    Object* Slot(uint32_t index)
    {
        // Index 0 stands for the metafile itself.
        return index > 0 && index < m_objects.size() ? &m_objects[index] : nullptr;
    }

    bool CreatePen(uint32_t index, uint32_t style, int32_t width, uint32_t colour)
    {
        if (Object* o = Slot(index)) {
            *o = Object{};
            o->kind = Object::kPen;
            o->pen.style = int(style & 0xF) <= 5 ? int(style & 0xF) : 0;
            o->pen.width = std::max(1, std::min(Length(width, true), 1000));
            o->pen.colour = colour & 0xFFFFFF;
        }
        return true;
    }

    bool CreateBrush(uint32_t index, uint32_t style, uint32_t colour, uint32_t hatch)
    {
        if (Object* o = Slot(index)) {
            *o = Object{};
            o->kind = Object::kBrush;
            // Pattern and bitmap brushes are drawn in their colour.
            o->brush.style = style == 1 ? 1 : style == 2 ? 2 : 0;
            o->brush.colour = colour & 0xFFFFFF;
            o->brush.hatch = int(std::min<uint32_t>(hatch, 5));
        }
        return true;
    }

    bool CreateFont(uint32_t index, const uint8_t* f)
    {
        if (Object* o = Slot(index)) {
            *o = Object{};
            o->kind = Object::kFont;
            const int height = Length(I32(f), false);
            o->font.height = std::clamp(height, -2000, 2000);
            o->font.weight = std::clamp(I32(f + 16), 0, 1000);
            o->font.italic = f[20] != 0;
            o->font.underline = f[21] != 0;
            o->font.strikeOut = f[22] != 0;
            o->font.charset = f[23];
            for (int i = 0; i < 32; ++i) {
                const char16_t c = char16_t(f[28 + 2 * i] | f[29 + 2 * i] << 8);
                if (!c)
                    break;
                o->font.face.push_back(c);
            }
        }
        return true;
    }

    bool Select(uint32_t index)
    {
        DcState& s = m_state;
        if (index & kStockObject) {
            const uint32_t stock = index & ~kStockObject;
            static const uint32_t greys[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
            if (stock <= 4) {
                s.brush = EmfBrush{0, greys[stock], 0};
                m_canvas.SetBrush(s.brush);
            } else if (stock == 5) {
                s.brush = EmfBrush{1, 0, 0};
                m_canvas.SetBrush(s.brush);
            } else if (stock >= 6 && stock <= 8) {
                s.pen = EmfPen{stock == 8 ? 5 : 0, 1, stock == 6 ? 0xFFFFFFu : 0u};
                m_canvas.SetPen(s.pen);
            } else if (stock >= 10 && stock <= 17) {
                s.font = EmfFont{};
                m_canvas.SetFont(s.font);
            }
            return true;
        }
        const Object* o = Slot(index);
        if (!o)
            return true;
        if (o->kind == Object::kPen) {
            s.pen = o->pen;
            m_canvas.SetPen(s.pen);
        } else if (o->kind == Object::kBrush) {
            s.brush = o->brush;
            m_canvas.SetBrush(s.brush);
        } else if (o->kind == Object::kFont) {
            s.font = o->font;
            m_canvas.SetFont(s.font);
        }
        return true;
    }

    bool Poly(uint32_t type, const uint8_t* r, uint32_t size, uint32_t pointSize, PointReader read)
    {
        if (size < 28)
            return false;
        const uint32_t count = U32(r + 24);
        if (28 + uint64_t(count) * pointSize > size)
            return false;
        const bool to = type == kPolylineTo || type == kPolylineTo16;
        if (m_drawnPoints + count > kEmfMaxDrawnPoints)
            return true;
        m_points.clear();
        if (to)
            m_points.push_back(m_state.current);
        for (uint32_t i = 0; i < count; ++i) {
            const EmfPoint p = read(r + 28 + size_t(i) * pointSize);
            m_points.push_back(Map(p.x, p.y));
        }
        if (m_points.empty() || !Draw(m_points.size(), Area(m_points)))
            return true;
        if (type == kPolygon || type == kPolygon16) {
            const int n = int(m_points.size());
            if (n >= 2)
                m_canvas.PolyPolygon(m_points.data(), &n, 1);
        } else if (m_points.size() >= 2) {
            m_canvas.Polyline(m_points.data(), m_points.size());
        }
        if (to)
            m_state.current = m_points.back();
        return true;
    }

    bool PolyPoly(bool filled, const uint8_t* r, uint32_t size, uint32_t pointSize, PointReader read)
    {
        if (size < 32)
            return false;
        const uint64_t polygons = U32(r + 24), total = U32(r + 28);
        const uint64_t pointsAt = 32 + polygons * 4;
        if (pointsAt + total * pointSize > size)
            return false;
        uint64_t sum = 0;
        m_counts.clear();
        for (uint64_t i = 0; i < polygons; ++i) {
            const uint32_t n = U32(r + 32 + 4 * i);
            sum += n;
            m_counts.push_back(int(std::min<uint64_t>(n, total)));
        }
        if (sum != total)
            return false;
        if (m_drawnPoints + total > kEmfMaxDrawnPoints)
            return true;
        m_points.clear();
        for (uint64_t i = 0; i < total; ++i) {
            const EmfPoint p = read(r + pointsAt + i * pointSize);
            m_points.push_back(Map(p.x, p.y));
        }
        if (!Draw(total, Area(m_points)))
            return true;
        if (filled) {
            m_canvas.PolyPolygon(m_points.data(), m_counts.data(), m_counts.size());
        } else {
            size_t at = 0;
            for (int n : m_counts) {
                if (n >= 2)
                    m_canvas.Polyline(m_points.data() + at, size_t(n));
                at += size_t(n);
            }
        }
        return true;
    }

    bool Text(const uint8_t* r, uint32_t size)
    {
        if (size < 76)
            return false;
        const uint64_t chars = U32(r + 44), offset = U32(r + 48);
        const uint32_t options = U32(r + 52);
        if (offset + chars * 2 > size)
            return false;
        // Each character covers about a square of the font's height.
        const uint64_t height = uint64_t(std::abs(int64_t(m_state.font.height)));
        const uint64_t page = uint64_t(m_header.width) * uint64_t(m_header.height);
        if (!Draw(chars + 1, std::min(page, (chars + 1) * height * height)))
            return true;
        m_text.resize(size_t(chars));
        for (size_t i = 0; i < m_text.size(); ++i)
            m_text[i] = char16_t(r[offset + 2 * i] | r[offset + 2 * i + 1] << 8);
        const EmfRect opaque = MapRect(r + 56);
        m_canvas.Text(Map(I32(r + 36), I32(r + 40)), m_text.data(), m_text.size(), options & 2 ? &opaque : nullptr);
        return true;
    }

    const EmfHeader& m_header;
    EmfCanvas& m_canvas;
    std::vector<Object> m_objects;
    DcState m_state;
    std::vector<DcState> m_saved;
    std::vector<EmfPoint> m_points;
    std::vector<int> m_counts;
    std::u16string m_text;
    size_t m_drawnRecords = 0;
    uint64_t m_drawnPoints = 0;
    uint64_t m_drawnArea = 0;
};

std::atomic<EmfCanvasMaker> g_canvasMaker{nullptr};

} // namespace

void SetEmfCanvasMaker(EmfCanvasMaker maker) { g_canvasMaker = maker; }

bool DecodeEmf(const uint8_t* data, size_t size, DecodedImage& out)
{
    out = DecodedImage{};
    EmfHeader header;
    const EmfCanvasMaker maker = g_canvasMaker;
    if (!maker || !ReadEmfHeader(data, size, header) || !AllocateImage(out, header.width, header.height))
        return false;
    std::unique_ptr<EmfCanvas> canvas = maker(out);
    if (!canvas || !PlayEmf(data, size, header, *canvas) || !canvas->Finish()) {
        out = DecodedImage{};
        return false;
    }
    return true;
}

bool ReadEmfHeader(const uint8_t* d, size_t size, EmfHeader& header)
{
    header = EmfHeader{};
    if (!d || size < kHeaderMinSize || U32(d) != kHeader || U32(d + 40) != kSignature)
        return false;
    const uint32_t headerSize = U32(d + 4);
    const uint32_t bytes = U32(d + 48);
    if (headerSize < kHeaderMinSize || headerSize % 4 || headerSize > size || bytes < headerSize || bytes > size)
        return false;
    header.size = bytes;
    header.handles = d[56] | d[57] << 8;
    header.deviceX = I32(d + 72);
    header.deviceY = I32(d + 76);
    header.millimetresX = I32(d + 80);
    header.millimetresY = I32(d + 84);
    const int64_t boundsLeft = I32(d + 8), boundsTop = I32(d + 12), boundsRight = I32(d + 16), boundsBottom = I32(d + 20);
    const int64_t frameLeft = I32(d + 24), frameTop = I32(d + 28), frameRight = I32(d + 32), frameBottom = I32(d + 36);
    const bool device = header.deviceX > 0 && header.deviceY > 0 && header.millimetresX > 0 && header.millimetresY > 0;
    if (device && frameRight > frameLeft && frameBottom > frameTop) {
        // The frame, in hundredths of a millimetre, at the screen's 96 DPI; reference-device pixels map onto it.
        const double pxPerUnitX = double(header.deviceX) / (header.millimetresX * 100.0);
        const double pxPerUnitY = double(header.deviceY) / (header.millimetresY * 100.0);
        const double width = std::ceil(double(frameRight - frameLeft) * kPixelsPerHundredthMm);
        const double height = std::ceil(double(frameBottom - frameTop) * kPixelsPerHundredthMm);
        if (!(width >= 1 && height >= 1 && width <= kMaxImageDimension && height <= kMaxImageDimension))
            return false;
        header.width = int(width);
        header.height = int(height);
        header.originX = frameLeft * pxPerUnitX;
        header.originY = frameTop * pxPerUnitY;
        header.scaleX = width / (double(frameRight - frameLeft) * pxPerUnitX);
        header.scaleY = height / (double(frameBottom - frameTop) * pxPerUnitY);
    } else {
        // No usable frame: the bounds, in reference-device pixels, both edges inside.
        const int64_t width = boundsRight - boundsLeft + 1, height = boundsBottom - boundsTop + 1;
        if (width < 1 || height < 1 || width > kMaxImageDimension || height > kMaxImageDimension)
            return false;
        header.width = int(width);
        header.height = int(height);
        header.originX = double(boundsLeft);
        header.originY = double(boundsTop);
    }
    return ImageSizeAllowed(header.width, header.height);
}

bool PlayEmf(const uint8_t* data, size_t size, const EmfHeader& header, EmfCanvas& canvas)
{
    if (!data || header.size > size || header.size < kHeaderMinSize)
        return false;
    Player player(header, canvas);
    player.Start();
    uint64_t at = U32(data + 4);
    while (at + 8 <= header.size) {
        const uint32_t type = U32(data + at), length = U32(data + at + 4);
        if (length < 8 || length % 4 || at + length > header.size)
            return false;
        if (type == kEof)
            return true;
        // A record too short for its own fields is left out; the rest of the picture still draws.
        player.Play(type, data + at, length);
        at += length;
    }
    return false;
}

} // namespace backend
