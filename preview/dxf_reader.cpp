// The ASCII drawing-exchange reader and the flattening of its entities into strokes.
#include "preview/dxf_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string_view>

namespace {

constexpr double kPi = 3.14159265358979323846;

class PairReader {
public:
    PairReader(const char* data, size_t size) : m_data(data), m_size(size) {}

    // 1: a pair was read; 0: the text ended cleanly before a code line; -1: damaged.
    int Next(int& code, std::string_view& value)
    {
        std::string_view codeLine;
        int r = Line(codeLine);
        if (r <= 0)
            return r;
        codeLine = Trim(codeLine);
        if (codeLine.empty() || codeLine.size() > 6)
            return -1;
        int c = 0;
        size_t i = 0;
        bool negative = codeLine[0] == '-';
        if (negative)
            i = 1;
        if (i == codeLine.size())
            return -1;
        for (; i < codeLine.size(); ++i) {
            if (codeLine[i] < '0' || codeLine[i] > '9')
                return -1;
            c = c * 10 + (codeLine[i] - '0');
        }
        code = negative ? -c : c;
        if (Line(value) != 1)
            return -1;
        return 1;
    }

private:
    int Line(std::string_view& line)
    {
        if (m_at >= m_size)
            return 0;
        size_t end = m_at;
        while (end < m_size && m_data[end] != '\n') {
            if (end - m_at > DxfLimits::kMaxLine)
                return -1;
            ++end;
        }
        line = std::string_view(m_data + m_at, end - m_at);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        m_at = end < m_size ? end + 1 : end;
        return 1;
    }
    static std::string_view Trim(std::string_view s)
    {
        while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
            s.remove_prefix(1);
        while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
            s.remove_suffix(1);
        return s;
    }

    const char* m_data;
    size_t m_size;
    size_t m_at = 0;
};

// A finite number within the coordinate bound, or false.
bool ParseNumber(std::string_view text, double& value)
{
    char buffer[64];
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (text.empty() || text.size() >= sizeof buffer)
        return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E'))
            return false; // also keeps "nan" and "inf" out
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = 0;
    char* end = nullptr;
    value = std::strtod(buffer, &end);
    return end == buffer + text.size() && std::isfinite(value) && std::fabs(value) <= DxfLimits::kMaxCoordinate;
}

bool ParseInt(std::string_view text, int& value)
{
    double d;
    if (!ParseNumber(text, d) || std::fabs(d) > 1e9)
        return false;
    value = (int)d;
    return true;
}

std::string Upper(std::string_view s)
{
    std::string out;
    for (char c : s) {
        if (c == ' ' || c == '\t')
            continue;
        out += (c >= 'a' && c <= 'z') ? char(c - 32) : c;
    }
    return out;
}

bool IsEntityName(const std::string& n)
{
    return n == "LINE" || n == "CIRCLE" || n == "ARC" || n == "LWPOLYLINE" || n == "POLYLINE" || n == "POINT" ||
           n == "INSERT";
}

} // namespace

DxfResult ReadDxf(const char* data, size_t size, DxfDrawingData& out)
{
    out = DxfDrawingData();
    PairReader reader(data, size);
    std::string section;
    bool inSection = false, sawEof = false, expectSectionName = false;
    DxfBlock* block = nullptr;       // the block being read in the blocks section
    DxfEntity* entity = nullptr;     // the entity receiving group values
    DxfEntity* polyline = nullptr;   // an old-style polyline collecting its vertices
    bool inVertex = false, inBlockHeader = false;
    size_t entityCount = 0;
    int code;
    std::string_view value;

    for (;;) {
        int r = reader.Next(code, value);
        if (r < 0)
            return DXF_DAMAGED;
        if (r == 0)
            break;
        if (code == 999)
            continue; // comment
        if (code == 0) {
            std::string name = Upper(value);
            entity = nullptr;
            inBlockHeader = false;
            if (inVertex && name != "VERTEX") {
                inVertex = false;
                if (name != "SEQEND")
                    polyline = nullptr;
            }
            if (name == "EOF") {
                if (inSection)
                    return DXF_DAMAGED;
                sawEof = true;
                break;
            }
            if (name == "SECTION") {
                if (inSection)
                    return DXF_DAMAGED;
                inSection = true;
                expectSectionName = true;
                section.clear();
                continue;
            }
            if (name == "ENDSEC") {
                if (!inSection || block)
                    return DXF_DAMAGED;
                inSection = false;
                polyline = nullptr;
                continue;
            }
            if (!inSection)
                return DXF_DAMAGED;
            if (section == "BLOCKS") {
                if (name == "BLOCK") {
                    if (block)
                        return DXF_DAMAGED;
                    if (out.blocks.size() >= DxfLimits::kMaxBlocks)
                        return DXF_TOO_LARGE;
                    out.blocks.emplace_back();
                    block = &out.blocks.back();
                    inBlockHeader = true;
                    continue;
                }
                if (name == "ENDBLK") {
                    if (!block)
                        return DXF_DAMAGED;
                    block = nullptr;
                    polyline = nullptr;
                    continue;
                }
            }
            bool collecting = section == "ENTITIES" || (section == "BLOCKS" && block);
            if (!collecting)
                continue;
            if (name == "VERTEX") {
                if (!polyline)
                    continue;
                if (polyline->points.size() >= DxfLimits::kMaxVertices)
                    return DXF_TOO_LARGE;
                polyline->points.emplace_back();
                inVertex = true;
                continue;
            }
            if (name == "SEQEND") {
                polyline = nullptr;
                continue;
            }
            polyline = nullptr;
            if (!IsEntityName(name))
                continue;
            if (++entityCount > DxfLimits::kMaxEntities)
                return DXF_TOO_LARGE;
            std::vector<DxfEntity>& list = block ? block->entities : out.entities;
            list.emplace_back();
            entity = &list.back();
            if (name == "LINE") {
                entity->kind = DxfEntity::Line;
                entity->points.resize(2);
            } else if (name == "CIRCLE" || name == "ARC") {
                entity->kind = name == "ARC" ? DxfEntity::Arc : DxfEntity::Circle;
                entity->points.resize(1);
            } else if (name == "POINT") {
                entity->kind = DxfEntity::Point;
                entity->points.resize(1);
            } else if (name == "INSERT") {
                entity->kind = DxfEntity::Insert;
                entity->points.resize(1);
            } else {
                entity->kind = DxfEntity::Polyline;
                if (name == "POLYLINE")
                    polyline = entity;
            }
            continue;
        }

        if (expectSectionName) {
            if (code != 2)
                return DXF_DAMAGED;
            section = Upper(value);
            expectSectionName = false;
            continue;
        }
        bool numeric = (code >= 10 && code <= 59) || (code >= 62 && code <= 79);
        double number = 0;
        if (numeric && !ParseNumber(value, number))
            return DXF_DAMAGED;
        if (inBlockHeader && block) {
            if (code == 2)
                block->name = Upper(value);
            else if (code == 10)
                block->base.x = number;
            else if (code == 20)
                block->base.y = number;
            continue;
        }
        if (inVertex && polyline) {
            if (code == 10)
                polyline->points.back().x = number;
            else if (code == 20)
                polyline->points.back().y = number;
            continue;
        }
        if (!entity)
            continue;
        if (code == 62) {
            entity->color = (int)number;
            continue;
        }
        switch (entity->kind) {
        case DxfEntity::Line:
            if (code == 10) entity->points[0].x = number;
            else if (code == 20) entity->points[0].y = number;
            else if (code == 11) entity->points[1].x = number;
            else if (code == 21) entity->points[1].y = number;
            break;
        case DxfEntity::Circle:
        case DxfEntity::Arc:
            if (code == 10) entity->points[0].x = number;
            else if (code == 20) entity->points[0].y = number;
            else if (code == 40) entity->radius = number;
            else if (code == 50) entity->startAngle = number;
            else if (code == 51) entity->endAngle = number;
            break;
        case DxfEntity::Point:
            if (code == 10) entity->points[0].x = number;
            else if (code == 20) entity->points[0].y = number;
            break;
        case DxfEntity::Insert:
            if (code == 2) entity->block = Upper(value);
            else if (code == 10) entity->points[0].x = number;
            else if (code == 20) entity->points[0].y = number;
            else if (code == 41) entity->scaleX = number;
            else if (code == 42) entity->scaleY = number;
            else if (code == 50) entity->rotation = number;
            break;
        case DxfEntity::Polyline:
            if (code == 70) {
                int flags;
                if (!ParseInt(value, flags))
                    return DXF_DAMAGED;
                entity->closed = (flags & 1) != 0;
            } else if (code == 10 && polyline != entity) {
                // A light-weight polyline: each x starts a vertex.
                if (entity->points.size() >= DxfLimits::kMaxVertices)
                    return DXF_TOO_LARGE;
                entity->points.push_back({number, 0});
            } else if (code == 20 && polyline != entity && !entity->points.empty()) {
                entity->points.back().y = number;
            }
            break;
        }
    }
    if (!sawEof || inSection || block)
        return DXF_DAMAGED;
    return DXF_OK;
}

namespace {

struct Transform {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0; // x' = a x + b y + tx; y' = c x + d y + ty
    DxfPoint Apply(DxfPoint p) const { return {a * p.x + b * p.y + tx, c * p.x + d * p.y + ty}; }
    Transform Then(const Transform& outer) const
    {
        Transform r;
        r.a = outer.a * a + outer.b * c;
        r.b = outer.a * b + outer.b * d;
        r.c = outer.c * a + outer.d * c;
        r.d = outer.c * b + outer.d * d;
        r.tx = outer.a * tx + outer.b * ty + outer.tx;
        r.ty = outer.c * tx + outer.d * ty + outer.ty;
        return r;
    }
};

class Flattener {
public:
    Flattener(const DxfDrawingData& drawing, std::vector<DxfStroke>& strokes) : m_strokes(strokes)
    {
        for (const DxfBlock& b : drawing.blocks)
            m_blocks.emplace(b.name, &b);
    }

    DxfResult Entities(const std::vector<DxfEntity>& list, const Transform& t, int depth)
    {
        for (const DxfEntity& e : list) {
            DxfResult r = Entity(e, t, depth);
            if (r != DXF_OK)
                return r;
        }
        return DXF_OK;
    }

private:
    DxfResult Entity(const DxfEntity& e, const Transform& t, int depth)
    {
        switch (e.kind) {
        case DxfEntity::Line: return Stroke(e.color, {t.Apply(e.points[0]), t.Apply(e.points[1])});
        case DxfEntity::Point: {
            DxfPoint p = t.Apply(e.points[0]);
            return Stroke(e.color, {p, p});
        }
        case DxfEntity::Polyline: {
            if (e.points.empty())
                return DXF_OK;
            std::vector<DxfPoint> pts;
            pts.reserve(e.points.size() + 1);
            for (const DxfPoint& p : e.points)
                pts.push_back(t.Apply(p));
            if (e.closed)
                pts.push_back(pts.front());
            return Stroke(e.color, std::move(pts));
        }
        case DxfEntity::Circle:
        case DxfEntity::Arc: {
            double start = 0, sweep = 360;
            if (e.kind == DxfEntity::Arc) {
                start = std::fmod(e.startAngle, 360.0);
                sweep = std::fmod(e.endAngle - e.startAngle, 360.0);
                if (sweep <= 0)
                    sweep += 360;
            }
            int segments = std::max(2, (int)std::ceil(sweep / 360.0 * 72));
            std::vector<DxfPoint> pts;
            for (int i = 0; i <= segments; ++i) {
                double a = (start + sweep * i / segments) * kPi / 180;
                pts.push_back(t.Apply({e.points[0].x + e.radius * std::cos(a), e.points[0].y + e.radius * std::sin(a)}));
            }
            return Stroke(e.color, std::move(pts));
        }
        case DxfEntity::Insert: {
            auto it = m_blocks.find(e.block);
            if (it == m_blocks.end())
                return DXF_OK; // an insert of a missing block draws nothing
            if (depth >= DxfLimits::kMaxNesting)
                return DXF_TOO_LARGE;
            const DxfBlock& b = *it->second;
            double r = e.rotation * kPi / 180;
            Transform local;
            local.a = std::cos(r) * e.scaleX;
            local.b = -std::sin(r) * e.scaleY;
            local.c = std::sin(r) * e.scaleX;
            local.d = std::cos(r) * e.scaleY;
            local.tx = e.points[0].x - (local.a * b.base.x + local.b * b.base.y);
            local.ty = e.points[0].y - (local.c * b.base.x + local.d * b.base.y);
            return Entities(b.entities, local.Then(t), depth + 1);
        }
        }
        return DXF_OK;
    }

    DxfResult Stroke(int color, std::vector<DxfPoint> pts)
    {
        m_points += pts.size();
        if (m_points > DxfLimits::kMaxStrokePoints)
            return DXF_TOO_LARGE;
        for (const DxfPoint& p : pts)
            if (!std::isfinite(p.x) || !std::isfinite(p.y) || std::fabs(p.x) > 1e15 || std::fabs(p.y) > 1e15)
                return DXF_DAMAGED; // scales of nested inserts can still overflow
        m_strokes.push_back({color, std::move(pts)});
        return DXF_OK;
    }

    std::map<std::string, const DxfBlock*> m_blocks;
    std::vector<DxfStroke>& m_strokes;
    size_t m_points = 0;
};

} // namespace

DxfResult FlattenDxf(const DxfDrawingData& drawing, std::vector<DxfStroke>& strokes)
{
    strokes.clear();
    Flattener f(drawing, strokes);
    DxfResult r = f.Entities(drawing.entities, Transform(), 0);
    if (r != DXF_OK)
        strokes.clear();
    return r;
}
