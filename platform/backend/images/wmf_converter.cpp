// Windows metafiles: each record is rewritten as the enhanced-metafile record that draws the same, and the
// result is played by the enhanced-metafile player. Records it cannot draw are left out, as there.
#include "backend/images/image_decode.h"

#include <algorithm>
#include <cstring>

namespace backend {

namespace {

enum : uint16_t {
    kWmfEof = 0x0000, kWmfSaveDc = 0x001E, kWmfSetBkColor = 0x0201, kWmfSetBkMode = 0x0102,
    kWmfSetMapMode = 0x0103, kWmfSetPolyFillMode = 0x0106, kWmfSetTextColor = 0x0209, kWmfSetWindowOrg = 0x020B,
    kWmfSetWindowExt = 0x020C, kWmfSetViewportOrg = 0x020D, kWmfSetViewportExt = 0x020E, kWmfLineTo = 0x0213,
    kWmfMoveTo = 0x0214, kWmfIntersectClipRect = 0x0416, kWmfEllipse = 0x0418, kWmfRectangle = 0x041B,
    kWmfSetPixel = 0x041F, kWmfRoundRect = 0x061C, kWmfSetTextAlign = 0x012E, kWmfSelectObject = 0x012D,
    kWmfRestoreDc = 0x0127, kWmfDeleteObject = 0x01F0, kWmfPolygon = 0x0324, kWmfPolyline = 0x0325,
    kWmfPolyPolygon = 0x0538, kWmfTextOut = 0x0521, kWmfExtTextOut = 0x0A32, kWmfCreatePen = 0x02FA,
    kWmfCreateBrush = 0x02FC, kWmfCreateFont = 0x02FB,
    // Records that take a place in the object table though they draw nothing here.
    kWmfCreatePalette = 0x00F7, kWmfCreatePatternBrush = 0x01F9, kWmfDibCreatePatternBrush = 0x0142,
    kWmfCreateRegion = 0x06FF,
};

enum : uint32_t {
    kEmfHeader = 1, kEmfSetWindowExt = 9, kEmfSetWindowOrg = 10, kEmfSetViewportExt = 11, kEmfSetViewportOrg = 12,
    kEmfEof = 14, kEmfSetPixel = 15, kEmfSetMapMode = 17, kEmfSetBkMode = 18, kEmfSetPolyFillMode = 19,
    kEmfSetTextAlign = 22, kEmfSetTextColor = 24, kEmfSetBkColor = 25, kEmfMoveTo = 27, kEmfIntersectClipRect = 30,
    kEmfSaveDc = 33, kEmfRestoreDc = 34, kEmfSelectObject = 37, kEmfCreatePen = 38, kEmfCreateBrush = 39,
    kEmfDeleteObject = 40, kEmfEllipse = 42, kEmfRectangle = 43, kEmfRoundRect = 44, kEmfLineTo = 54,
    kEmfCreateFont = 82, kEmfExtTextOutW = 84, kEmfPolygon16 = 86, kEmfPolyline16 = 87, kEmfPolyPolygon16 = 91,
};

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7u;
constexpr int kAnisotropic = 8;
// The object table of a metafile is small; more slots than this are refused.
constexpr size_t kMaxObjects = 4096;

uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
int16_t I16(const uint8_t* p) { return int16_t(U16(p)); }
uint32_t U32(const uint8_t* p) { return U16(p) | uint32_t(U16(p + 2)) << 16; }

// An enhanced metafile being written: records of 32-bit words.
class EmfWriter {
public:
    void Begin(uint32_t type) { m_start = m_out.size(), Put(type), Put(0); }
    void Put(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            m_out.push_back(uint8_t(v >> (8 * i)));
    }
    void Put16(uint16_t v) { m_out.push_back(uint8_t(v)), m_out.push_back(uint8_t(v >> 8)); }
    void End()
    {
        while ((m_out.size() - m_start) % 4)
            m_out.push_back(0);
        const uint32_t size = uint32_t(m_out.size() - m_start);
        std::memcpy(&m_out[m_start + 4], &size, 4);
    }
    void Record(uint32_t type, std::initializer_list<uint32_t> words)
    {
        Begin(type);
        for (uint32_t w : words)
            Put(w);
        End();
    }
    std::vector<uint8_t>& Bytes() { return m_out; }

private:
    std::vector<uint8_t> m_out;
    size_t m_start = 0;
};

class Converter {
public:
    Converter(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool Run(std::vector<uint8_t>& emf)
    {
        size_t pos = 0;
        int left = 0, top = 0, width = 0, height = 0, pixelsX = 0, pixelsY = 0;
        bool placeable = false;
        if (m_size >= 22 && U32(m_data) == kPlaceableKey) {
            // The placeable header: the picture's box in its own units and how many of them make an inch.
            left = I16(m_data + 6), top = I16(m_data + 8);
            width = I16(m_data + 10) - left, height = I16(m_data + 12) - top;
            const int inch = U16(m_data + 14);
            if (width == 0 || height == 0 || inch == 0)
                return false;
            pixelsX = int(int64_t(std::abs(width)) * 96 / inch);
            pixelsY = int(int64_t(std::abs(height)) * 96 / inch);
            placeable = true;
            pos = 22;
        }
        if (m_size - pos < 18 || U16(m_data + pos + 2) != 9)
            return false;
        const size_t first = pos + 18;
        if (!placeable && !FindWindow(first, left, top, width, height))
            return false;
        if (!placeable)
            pixelsX = std::abs(width), pixelsY = std::abs(height);
        if (!ImageSizeAllowed(pixelsX, pixelsY))
            return false;
        WriteHeader(pixelsX, pixelsY);
        m_emf.Record(kEmfSetMapMode, {uint32_t(kAnisotropic)});
        m_emf.Record(kEmfSetWindowOrg, {uint32_t(left), uint32_t(top)});
        m_emf.Record(kEmfSetWindowExt, {uint32_t(width), uint32_t(height)});
        m_emf.Record(kEmfSetViewportExt, {uint32_t(pixelsX), uint32_t(pixelsY)});
        for (pos = first; pos + 6 <= m_size;) {
            const uint64_t bytes = uint64_t(U32(m_data + pos)) * 2;
            const uint16_t function = U16(m_data + pos + 4);
            if (bytes < 6 || bytes > m_size - pos)
                return false;
            if (function == kWmfEof)
                break;
            if (!Record(function, m_data + pos + 6, size_t(bytes - 6)))
                return false;
            pos += size_t(bytes);
        }
        m_emf.Record(kEmfEof, {0, 16, 20});
        Finish();
        emf = std::move(m_emf.Bytes());
        return true;
    }

private:
    // Without a placeable header the picture is sized by its first window origin and extent.
    bool FindWindow(size_t pos, int& left, int& top, int& width, int& height) const
    {
        bool sized = false;
        while (pos + 6 <= m_size && !sized) {
            const uint64_t bytes = uint64_t(U32(m_data + pos)) * 2;
            const uint16_t function = U16(m_data + pos + 4);
            if (bytes < 6 || bytes > m_size - pos || function == kWmfEof)
                break;
            if (bytes >= 10 && function == kWmfSetWindowOrg)
                top = I16(m_data + pos + 6), left = I16(m_data + pos + 8);
            if (bytes >= 10 && function == kWmfSetWindowExt) {
                height = I16(m_data + pos + 6), width = I16(m_data + pos + 8);
                sized = width != 0 && height != 0;
            }
            pos += size_t(bytes);
        }
        return sized;
    }

    void WriteHeader(int width, int height)
    {
        // No reference device: the bounds give the size in pixels, both edges inside.
        m_emf.Begin(kEmfHeader);
        for (uint32_t v : {0u, 0u, uint32_t(width - 1), uint32_t(height - 1), 0u, 0u, 0u, 0u, 0x464D4520u, 0x10000u})
            m_emf.Put(v);
        m_emf.Put(0); // bytes, set by Finish
        m_emf.Put(0); // records
        m_emf.Put(0); // handles, set by Finish
        m_emf.Put(0);
        for (int i = 0; i < 6; ++i)
            m_emf.Put(0);
        m_emf.End();
    }

    void Finish()
    {
        std::vector<uint8_t>& b = m_emf.Bytes();
        const uint32_t bytes = uint32_t(b.size());
        std::memcpy(&b[48], &bytes, 4);
        const uint16_t handles = uint16_t(std::min<size_t>(m_slots.size() + 1, 0xFFFF));
        std::memcpy(&b[56], &handles, 2);
    }

    // The lowest free place of the object table, as the metafile's own numbering takes them.
    int TakeSlot()
    {
        auto free = std::find(m_slots.begin(), m_slots.end(), false);
        if (free != m_slots.end()) {
            *free = true;
            return int(free - m_slots.begin());
        }
        if (m_slots.size() >= kMaxObjects)
            return -1;
        m_slots.push_back(true);
        return int(m_slots.size() - 1);
    }

    bool Points(uint32_t type, const uint8_t* p, size_t size)
    {
        if (size < 2)
            return false;
        const size_t count = U16(p);
        if (size < 2 + count * 4)
            return false;
        m_emf.Begin(type);
        for (int i = 0; i < 4; ++i)
            m_emf.Put(0); // bounds, not read
        m_emf.Put(uint32_t(count));
        for (size_t i = 0; i < count; ++i)
            m_emf.Put(U32(p + 2 + 4 * i)); // x then y, 16 bits each, as the 16-bit records hold them
        m_emf.End();
        return true;
    }

    bool PolyPolygon(const uint8_t* p, size_t size)
    {
        if (size < 2)
            return false;
        const size_t polygons = U16(p);
        if (size < 2 + polygons * 2)
            return false;
        size_t points = 0;
        for (size_t i = 0; i < polygons; ++i)
            points += U16(p + 2 + 2 * i);
        const uint8_t* xy = p + 2 + polygons * 2;
        if (size_t(p + size - xy) < points * 4)
            return false;
        m_emf.Begin(kEmfPolyPolygon16);
        for (int i = 0; i < 4; ++i)
            m_emf.Put(0);
        m_emf.Put(uint32_t(polygons));
        m_emf.Put(uint32_t(points));
        for (size_t i = 0; i < polygons; ++i)
            m_emf.Put(U16(p + 2 + 2 * i));
        for (size_t i = 0; i < points; ++i)
            m_emf.Put(U32(xy + 4 * i));
        m_emf.End();
        return true;
    }

    // Text of the metafile's narrow code page at (x, y), with an opaque box when given.
    void Text(int x, int y, const uint8_t* chars, size_t count, uint32_t options, const int* box)
    {
        const std::u16string text = AnsiText(chars, count);
        m_emf.Begin(kEmfExtTextOutW);
        for (int i = 0; i < 4; ++i)
            m_emf.Put(0);
        m_emf.Put(1);
        m_emf.Put(0);
        m_emf.Put(0);
        m_emf.Put(uint32_t(x));
        m_emf.Put(uint32_t(y));
        m_emf.Put(uint32_t(text.size()));
        m_emf.Put(76); // the characters follow the fixed part
        m_emf.Put(box ? options & 2 : 0);
        for (int i = 0; i < 4; ++i)
            m_emf.Put(uint32_t(box ? box[i] : 0));
        m_emf.Put(0);
        for (char16_t c : text)
            m_emf.Put16(c);
        m_emf.End();
    }

    // Bytes of the metafile's text: Latin-1 as stored (its code page is not recorded).
    static std::u16string AnsiText(const uint8_t* chars, size_t count)
    {
        std::u16string text;
        for (size_t i = 0; i < count && chars[i]; ++i)
            text += char16_t(chars[i]);
        return text;
    }

    bool Record(uint16_t function, const uint8_t* p, size_t size)
    {
        auto need = [&](size_t n) { return size >= n; };
        // Coordinates come y first in most records: the parameters are stored in reverse.
        auto pair = [&](uint32_t type) {
            if (!need(4))
                return false;
            m_emf.Record(type, {uint32_t(int32_t(I16(p + 2))), uint32_t(int32_t(I16(p)))});
            return true;
        };
        auto box = [&](uint32_t type, size_t at) {
            if (!need(at + 8))
                return false;
            Begin(type);
            for (int i : {6, 4, 2, 0})
                m_emf.Put(uint32_t(int32_t(I16(p + at + i))));
            return true;
        };
        switch (function) {
        case kWmfSetWindowOrg: return pair(kEmfSetWindowOrg);
        case kWmfSetWindowExt: return pair(kEmfSetWindowExt);
        case kWmfSetViewportOrg: return pair(kEmfSetViewportOrg);
        case kWmfSetViewportExt: return pair(kEmfSetViewportExt);
        case kWmfMoveTo: return pair(kEmfMoveTo);
        case kWmfLineTo: return pair(kEmfLineTo);
        case kWmfSetMapMode:
        case kWmfSetBkMode:
        case kWmfSetPolyFillMode:
        case kWmfSetTextAlign: {
            if (!need(2))
                return false;
            const uint32_t type = function == kWmfSetMapMode        ? kEmfSetMapMode
                                  : function == kWmfSetBkMode       ? kEmfSetBkMode
                                  : function == kWmfSetPolyFillMode ? kEmfSetPolyFillMode
                                                                    : kEmfSetTextAlign;
            m_emf.Record(type, {U16(p)});
            return true;
        }
        case kWmfSetTextColor:
        case kWmfSetBkColor:
            if (!need(4))
                return false;
            m_emf.Record(function == kWmfSetTextColor ? kEmfSetTextColor : kEmfSetBkColor, {U32(p)});
            return true;
        case kWmfSetPixel:
            if (!need(8))
                return false;
            m_emf.Record(kEmfSetPixel, {uint32_t(int32_t(I16(p + 6))), uint32_t(int32_t(I16(p + 4))), U32(p)});
            return true;
        case kWmfRectangle:
        case kWmfEllipse:
        case kWmfIntersectClipRect: {
            const uint32_t type = function == kWmfRectangle ? kEmfRectangle
                                  : function == kWmfEllipse ? kEmfEllipse
                                                            : kEmfIntersectClipRect;
            if (!box(type, 0))
                return false;
            m_emf.End();
            return true;
        }
        case kWmfRoundRect:
            if (!box(kEmfRoundRect, 4))
                return false;
            m_emf.Put(uint32_t(int32_t(I16(p + 2))));
            m_emf.Put(uint32_t(int32_t(I16(p))));
            m_emf.End();
            return true;
        case kWmfPolygon: return Points(kEmfPolygon16, p, size);
        case kWmfPolyline: return Points(kEmfPolyline16, p, size);
        case kWmfPolyPolygon: return PolyPolygon(p, size);
        case kWmfSaveDc: m_emf.Record(kEmfSaveDc, {}); return true;
        case kWmfRestoreDc:
            if (!need(2))
                return false;
            m_emf.Record(kEmfRestoreDc, {uint32_t(int32_t(I16(p)))});
            return true;
        case kWmfSelectObject:
        case kWmfDeleteObject: {
            if (!need(2))
                return false;
            const size_t index = U16(p);
            if (index >= m_slots.size() || !m_slots[index])
                return true; // nothing there: nothing to select or delete
            if (function == kWmfDeleteObject)
                m_slots[index] = false;
            m_emf.Record(function == kWmfSelectObject ? kEmfSelectObject : kEmfDeleteObject, {uint32_t(index + 1)});
            return true;
        }
        case kWmfCreatePen: {
            if (!need(10))
                return false;
            const int slot = TakeSlot();
            if (slot < 0)
                return false;
            m_emf.Record(kEmfCreatePen, {uint32_t(slot + 1), U16(p), uint32_t(int32_t(I16(p + 2))), 0, U32(p + 6)});
            return true;
        }
        case kWmfCreateBrush: {
            if (!need(8))
                return false;
            const int slot = TakeSlot();
            if (slot < 0)
                return false;
            m_emf.Record(kEmfCreateBrush, {uint32_t(slot + 1), U16(p), U32(p + 2), U16(p + 6)});
            return true;
        }
        case kWmfCreateFont: {
            if (!need(18))
                return false;
            const int slot = TakeSlot();
            if (slot < 0)
                return false;
            // The 16-bit logical font widened into the enhanced record's LOGFONTW, the face as Latin-1.
            m_emf.Begin(kEmfCreateFont);
            m_emf.Put(uint32_t(slot + 1));
            for (int i = 0; i < 5; ++i)
                m_emf.Put(uint32_t(int32_t(I16(p + 2 * i))));
            for (int i = 0; i < 8; i += 4)
                m_emf.Put(U32(p + 10 + i));
            const std::u16string face = AnsiText(p + 18, std::min<size_t>(size - 18, 31));
            for (size_t i = 0; i < 32; ++i)
                m_emf.Put16(i < face.size() ? face[i] : 0);
            // The rest of the extended record (full name, style, script) is not read.
            for (int i = 0; i < 80; ++i)
                m_emf.Put(0);
            m_emf.End();
            return true;
        }
        case kWmfCreatePalette:
        case kWmfCreatePatternBrush:
        case kWmfDibCreatePatternBrush:
        case kWmfCreateRegion: {
            // It holds a place in the table: a hollow brush stands there.
            const int slot = TakeSlot();
            if (slot < 0)
                return false;
            m_emf.Record(kEmfCreateBrush, {uint32_t(slot + 1), 1, 0, 0});
            return true;
        }
        case kWmfTextOut: {
            if (!need(2))
                return false;
            const size_t count = U16(p), padded = (count + 1) & ~size_t(1);
            if (!need(2 + padded + 4))
                return false;
            Text(I16(p + 4 + padded), I16(p + 2 + padded), p + 2, count, 0, nullptr);
            return true;
        }
        case kWmfExtTextOut: {
            if (!need(8))
                return false;
            const int y = I16(p), x = I16(p + 2);
            const size_t count = U16(p + 4);
            const uint16_t options = U16(p + 6);
            size_t at = 8;
            int rect[4] = {};
            const bool hasBox = options & 0x6; // opaque or clipped
            if (hasBox) {
                if (!need(16))
                    return false;
                for (int i = 0; i < 4; ++i)
                    rect[i] = I16(p + 8 + 2 * i);
                at = 16;
            }
            if (!need(at + count))
                return false;
            Text(x, y, p + at, count, options, hasBox ? rect : nullptr);
            return true;
        }
        default: return true; // drawn by nothing here
        }
    }

    void Begin(uint32_t type) { m_emf.Begin(type); }

    const uint8_t* m_data;
    size_t m_size;
    EmfWriter m_emf;
    std::vector<bool> m_slots;
};

} // namespace

bool ConvertWmfToEmf(const uint8_t* data, size_t size, std::vector<uint8_t>& emf)
{
    emf.clear();
    return data && Converter(data, size).Run(emf);
}

bool DecodeWmf(const uint8_t* data, size_t size, DecodedImage& out)
{
    out = DecodedImage{};
    std::vector<uint8_t> emf;
    return ConvertWmfToEmf(data, size, emf) && DecodeEmf(emf.data(), emf.size(), out);
}

} // namespace backend
