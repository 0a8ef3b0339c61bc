// The ASCII drawing-exchange reader: group-code pairs into lines, circles, arcs, polylines, points and
// block inserts, every count, length and coordinate bounded, and the flattening of a drawing into
// world-coordinate strokes that the drawing library paints.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct DxfPoint {
    double x = 0, y = 0;
};

struct DxfEntity {
    enum Kind { Line, Circle, Arc, Polyline, Point, Insert };
    Kind kind = Line;
    std::vector<DxfPoint> points; // Line: 2; Circle/Arc/Point/Insert: 1 (centre, position, insertion point)
    double radius = 0;
    double startAngle = 0, endAngle = 360; // degrees
    bool closed = false;
    int color = 7; // colour index; 7 draws white on the black canvas
    std::string block;
    double scaleX = 1, scaleY = 1, rotation = 0;
};

struct DxfBlock {
    std::string name;
    DxfPoint base;
    std::vector<DxfEntity> entities;
};

struct DxfDrawingData {
    std::vector<DxfEntity> entities;
    std::vector<DxfBlock> blocks;
};

enum DxfResult { DXF_OK = 0, DXF_DAMAGED, DXF_TOO_LARGE };

// Limits that keep a hostile file from taking the program's memory or time.
struct DxfLimits {
    static constexpr size_t kMaxLine = 2048;
    static constexpr size_t kMaxEntities = 500000;
    static constexpr size_t kMaxBlocks = 20000;
    static constexpr size_t kMaxVertices = 200000; // of one polyline
    static constexpr int kMaxNesting = 16;          // of block inserts
    static constexpr size_t kMaxStrokePoints = 4000000;
    static constexpr double kMaxCoordinate = 1e12;
};

// Reads a whole file. The text must be complete (end with its EOF marker): a cut file is damaged.
DxfResult ReadDxf(const char* data, size_t size, DxfDrawingData& out);

struct DxfStroke {
    int color = 7;
    std::vector<DxfPoint> points;
};

// Turns entities and inserts (nested blocks expanded, depth and point count bounded) into strokes.
DxfResult FlattenDxf(const DxfDrawingData& drawing, std::vector<DxfStroke>& strokes);
