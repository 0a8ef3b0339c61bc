// Plays enhanced metafiles: the header gives the picture's size, the records are checked and mapped to the
// picture's pixels and handed to a canvas that draws them (the layer's GDI). Records that draw what the canvas
// cannot (curves, paths, bitmaps, world transforms) are left out; a record that does not fit the file fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace backend {

struct EmfPoint {
    int x, y;
};

struct EmfRect {
    int left, top, right, bottom;
};

struct EmfPen {
    int style = 0;     // 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot, 5 none
    int width = 1;     // pixels
    uint32_t colour = 0; // 0x00BBGGRR
};

struct EmfBrush {
    int style = 0;     // 0 solid, 1 none, 2 hatched
    uint32_t colour = 0xFFFFFF;
    int hatch = 0;
};

struct EmfFont {
    int height = -12;  // pixels; negative: of the characters without their leading
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int charset = 1;
    std::u16string face;
};

// What the player draws on, in pixels of the picture; every coordinate is inside ±kEmfCoordinateLimit.
class EmfCanvas {
public:
    virtual ~EmfCanvas() = default;
    virtual void SetPen(const EmfPen& pen) = 0;
    virtual void SetBrush(const EmfBrush& brush) = 0;
    virtual void SetFont(const EmfFont& font) = 0;
    virtual void SetTextColour(uint32_t colour) = 0;
    virtual void SetBackColour(uint32_t colour) = 0;
    virtual void SetBackMode(int mode) = 0;      // 1 transparent, 2 opaque
    virtual void SetFillMode(int mode) = 0;      // 1 alternate, 2 winding
    virtual void SetTextAlign(uint32_t align) = 0;
    // Drawing is limited to the rectangle from now on; null: the whole picture.
    virtual void SetClip(const EmfRect* clip) = 0;
    virtual void Polyline(const EmfPoint* points, size_t count) = 0;
    // Filled with the brush and outlined with the pen; one polygon per count.
    virtual void PolyPolygon(const EmfPoint* points, const int* counts, size_t polygons) = 0;
    virtual void Rectangle(const EmfRect& r) = 0;
    virtual void Ellipse(const EmfRect& r) = 0;
    virtual void RoundRect(const EmfRect& r, int width, int height) = 0;
    virtual void SetPixel(EmfPoint at, uint32_t colour) = 0;
    // Text at the point; an opaque rectangle is filled with the back colour first when given.
    virtual void Text(EmfPoint at, const char16_t* text, size_t length, const EmfRect* opaque) = 0;
    // After the last record: the drawing goes where the canvas was made to put it.
    virtual bool Finish() { return true; }
};

constexpr int kEmfCoordinateLimit = 1 << 17;
// A file drawing more than this stops there; what was drawn stays. The area counts the pixels of the picture
// each shape's box covers, so a few header bytes cannot ask for hours of filling.
constexpr size_t kEmfMaxDrawnRecords = 200000;
constexpr uint64_t kEmfMaxDrawnPoints = 4u << 20;
constexpr uint64_t kEmfMaxDrawnArea = 512u << 20;

struct EmfHeader {
    int width = 0, height = 0; // of the picture in pixels at 96 DPI
    double scaleX = 1, scaleY = 1;
    double originX = 0, originY = 0; // the picture's top left in reference-device pixels
    int deviceX = 0, deviceY = 0;     // the reference device in pixels and in millimetres, for the metric
    int millimetresX = 0, millimetresY = 0; // mapping modes
    uint32_t handles = 0;
    uint32_t size = 0; // bytes of the records, header included
};

// The header of an enhanced metafile: false when it is none or claims a size beyond the data.
bool ReadEmfHeader(const uint8_t* data, size_t size, EmfHeader& header);

// Plays the records onto the canvas; false when a record does not fit the file or the end record is missing.
bool PlayEmf(const uint8_t* data, size_t size, const EmfHeader& header, EmfCanvas& canvas);

} // namespace backend
