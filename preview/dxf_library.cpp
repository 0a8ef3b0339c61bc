// The drawing library behind the "drw" entry points: a table of drawings, each its strokes in
// drawing units and its view (window rectangle, view origin, scale), painted with GDI pens.
#include "preview/dxf_library.h"

#include "preview/archive/archive_libraries.h"
#include "preview/dxf_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

namespace {

struct Drawing {
    std::vector<DxfStroke> strokes;
    DrwViewProperties view{};
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
};

std::mutex g_lock;
std::map<DRWHANDLE, std::unique_ptr<Drawing>> g_drawings;
DRWHANDLE g_nextHandle = 1;

Drawing* Find(DRWHANDLE h)
{
    auto it = g_drawings.find(h);
    return it == g_drawings.end() ? nullptr : it->second.get();
}

void Progress(HWND window, int percent)
{
    if (window && ::IsWindow(window))
        ::SendMessageW(window, DRW_PROGRESS_MESSAGE, (WPARAM)percent, 0);
}

// The colour of a colour index on the black canvas: the seven standard colours, the rest white.
COLORREF IndexColor(int index)
{
    static const COLORREF colors[] = {RGB(255, 255, 255), RGB(255, 0, 0),   RGB(255, 255, 0), RGB(0, 255, 0),
                                      RGB(0, 255, 255),   RGB(0, 0, 255),   RGB(255, 0, 255), RGB(255, 255, 255)};
    return index >= 1 && index <= 7 ? colors[index] : colors[0];
}

DRWHANDLE WINAPI drwCreate()
{
    std::lock_guard<std::mutex> guard(g_lock);
    DRWHANDLE h = g_nextHandle++;
    auto d = std::make_unique<Drawing>();
    d->view.pixelsPerUnit = 1;
    d->view.zoom = 1;
    g_drawings.emplace(h, std::move(d));
    return h;
}

BOOL WINAPI drwDestroy(DRWHANDLE h)
{
    std::lock_guard<std::mutex> guard(g_lock);
    return g_drawings.erase(h) ? TRUE : FALSE;
}

// Building drawings and saving them is not offered: these fail.
BOOL WINAPI drwAddTableType(DRWHANDLE, DWORD, void*) { return FALSE; }
BOOL WINAPI drwDeleteTableType(DRWHANDLE, DWORD, DWORD) { return FALSE; }
BOOL WINAPI drwFindTableType(DRWHANDLE, DWORD, DWORD, void*) { return FALSE; }
BOOL WINAPI drwAddBlock(DRWHANDLE, void*) { return FALSE; }
BOOL WINAPI drwDeleteBlock(DRWHANDLE, DWORD) { return FALSE; }
BOOL WINAPI drwFindBlock(DRWHANDLE, DWORD, void*) { return FALSE; }
BOOL WINAPI drwAddEntity(DRWHANDLE, DWORD, void*) { return FALSE; }
BOOL WINAPI drwDeleteEntity(DRWHANDLE, DWORD, DWORD) { return FALSE; }
BOOL WINAPI drwChangeEntity(DRWHANDLE, DWORD, void*) { return FALSE; }
BOOL WINAPI drwFindEntity(DRWHANDLE, DWORD, void*) { return FALSE; }
BOOL WINAPI drwSaveDataToFile(DRWHANDLE, DWORD, LPCSTR, HWND) { return FALSE; }

BOOL WINAPI drwLoadDataFromFile(DRWHANDLE h, DWORD, DWORD, LPCSTR path, HWND progress)
{
    if (!path)
        return FALSE;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        if (!Find(h))
            return FALSE;
    }
    Progress(progress, 0);
    // The path is narrow text of the system code page, opened as the program opens such paths.
    HANDLE file = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return FALSE;
    LARGE_INTEGER length{};
    if (!::GetFileSizeEx(file, &length) || length.QuadPart < 0 || (uint64_t)length.QuadPart > kDrwMaxFileSize) {
        ::CloseHandle(file);
        return FALSE;
    }
    std::string text((size_t)length.QuadPart, '\0');
    size_t at = 0;
    bool failed = false;
    while (at < text.size()) {
        DWORD n = 0;
        DWORD want = (DWORD)std::min<size_t>(text.size() - at, 1u << 20);
        if (!::ReadFile(file, text.data() + at, want, &n, nullptr)) {
            failed = true;
            break;
        }
        if (n == 0)
            break;
        at += n;
    }
    ::CloseHandle(file);
    if (failed)
        return FALSE;
    text.resize(at);
    Progress(progress, 30);
    DxfDrawingData data;
    if (ReadDxf(text.data(), text.size(), data) != DXF_OK)
        return FALSE;
    Progress(progress, 70);
    std::vector<DxfStroke> strokes;
    if (FlattenDxf(data, strokes) != DXF_OK)
        return FALSE;
    Progress(progress, 100);

    std::lock_guard<std::mutex> guard(g_lock);
    Drawing* d = Find(h);
    if (!d)
        return FALSE;
    d->strokes = std::move(strokes);
    bool first = true;
    for (const DxfStroke& s : d->strokes)
        for (const DxfPoint& p : s.points) {
            if (first) {
                d->minX = d->maxX = p.x;
                d->minY = d->maxY = p.y;
                first = false;
            }
            d->minX = std::min(d->minX, p.x);
            d->maxX = std::max(d->maxX, p.x);
            d->minY = std::min(d->minY, p.y);
            d->maxY = std::max(d->maxY, p.y);
        }
    return TRUE;
}

BOOL WINAPI drwInitView(DRWHANDLE h, int x, int y, int width, int height)
{
    std::lock_guard<std::mutex> guard(g_lock);
    Drawing* d = Find(h);
    if (!d || width < 0 || height < 0)
        return FALSE;
    d->view.windowLeft = x;
    d->view.windowTop = y;
    d->view.windowRight = x + width;
    d->view.windowBottom = y + height;
    return TRUE;
}

// Fits the whole drawing into the window with a small margin, centred, at zoom 1.
BOOL WINAPI drwZoomExtents(DRWHANDLE h)
{
    std::lock_guard<std::mutex> guard(g_lock);
    Drawing* d = Find(h);
    if (!d)
        return FALSE;
    DrwViewProperties& v = d->view;
    double w = std::max(1, v.windowRight - v.windowLeft - 8), hgt = std::max(1, v.windowBottom - v.windowTop - 8);
    double dw = std::max(d->maxX - d->minX, 1e-9), dh = std::max(d->maxY - d->minY, 1e-9);
    v.pixelsPerUnit = std::min(w / dw, hgt / dh);
    if (!std::isfinite(v.pixelsPerUnit) || v.pixelsPerUnit <= 0)
        v.pixelsPerUnit = 1;
    v.zoom = 1;
    double windowW = v.windowRight - v.windowLeft, windowH = v.windowBottom - v.windowTop;
    v.viewLeft = (d->minX + d->maxX) / 2 - windowW / 2 / v.pixelsPerUnit;
    v.viewBottom = (d->minY + d->maxY) / 2 - windowH / 2 / v.pixelsPerUnit;
    return TRUE;
}

BOOL WINAPI drwGetViewProperties(DRWHANDLE h, DrwViewProperties* out)
{
    std::lock_guard<std::mutex> guard(g_lock);
    Drawing* d = Find(h);
    if (!d || !out)
        return FALSE;
    *out = d->view;
    return TRUE;
}

BOOL WINAPI drwSetViewProperties(DRWHANDLE h, const DrwViewProperties* in)
{
    std::lock_guard<std::mutex> guard(g_lock);
    Drawing* d = Find(h);
    if (!d || !in)
        return FALSE;
    // A scale that cannot be painted with is refused, so the view keeps one that can.
    double scale = in->pixelsPerUnit * in->zoom;
    if (!std::isfinite(in->viewLeft) || !std::isfinite(in->viewBottom) || !std::isfinite(scale) || scale <= 0 ||
        scale > 1e12)
        return FALSE;
    d->view = *in;
    return TRUE;
}

BOOL WINAPI drwGetDrawingBorder(DRWHANDLE h, double* border)
{
    std::lock_guard<std::mutex> guard(g_lock);
    Drawing* d = Find(h);
    if (!d || !border)
        return FALSE;
    border[0] = d->minX;
    border[1] = d->maxY;
    border[2] = d->maxX;
    border[3] = d->minY;
    return TRUE;
}

int Pixel(double v)
{
    // Far points are clamped to a range GDI draws lines towards without overflowing.
    return (int)std::clamp(std::round(v), -1e6, 1e6);
}

BOOL WINAPI drwPaint(DRWHANDLE h, HDC hdc)
{
    std::lock_guard<std::mutex> guard(g_lock);
    Drawing* d = Find(h);
    if (!d || !hdc)
        return FALSE;
    const DrwViewProperties& v = d->view;
    // Drawings are shown light on black, as drawing programs show their model space.
    RECT window = {v.windowLeft, v.windowTop, v.windowRight, v.windowBottom};
    ::FillRect(hdc, &window, (HBRUSH)::GetStockObject(BLACK_BRUSH));
    double scale = v.pixelsPerUnit * v.zoom;
    std::vector<POINT> pts;
    int color = -1;
    HPEN pen = nullptr;
    HGDIOBJ oldPen = nullptr;
    for (const DxfStroke& s : d->strokes) {
        if (s.color != color || !pen) {
            HPEN next = ::CreatePen(PS_SOLID, 1, IndexColor(s.color));
            HGDIOBJ prev = ::SelectObject(hdc, next);
            if (!oldPen)
                oldPen = prev;
            if (pen)
                ::DeleteObject(pen);
            pen = next;
            color = s.color;
        }
        pts.clear();
        for (const DxfPoint& p : s.points)
            pts.push_back({Pixel(v.windowLeft + (p.x - v.viewLeft) * scale),
                           Pixel(v.windowBottom - (p.y - v.viewBottom) * scale)});
        if (pts.size() == 2 && pts[0].x == pts[1].x && pts[0].y == pts[1].y)
            ::SetPixel(hdc, pts[0].x, pts[0].y, IndexColor(s.color));
        else
            ::Polyline(hdc, pts.data(), (int)pts.size());
    }
    if (oldPen)
        ::SelectObject(hdc, oldPen);
    if (pen)
        ::DeleteObject(pen);
    return TRUE;
}

} // namespace

void RegisterDxfLibrary()
{
    dovemark::RegisterModule("DXF.dll", {{"drwCreate", LibraryProc(&drwCreate)},
                                         {"drwDestroy", LibraryProc(&drwDestroy)},
                                         {"drwAddTableType", LibraryProc(&drwAddTableType)},
                                         {"drwDeleteTableType", LibraryProc(&drwDeleteTableType)},
                                         {"drwFindTableType", LibraryProc(&drwFindTableType)},
                                         {"drwAddBlock", LibraryProc(&drwAddBlock)},
                                         {"drwDeleteBlock", LibraryProc(&drwDeleteBlock)},
                                         {"drwFindBlock", LibraryProc(&drwFindBlock)},
                                         {"drwAddEntity", LibraryProc(&drwAddEntity)},
                                         {"drwDeleteEntity", LibraryProc(&drwDeleteEntity)},
                                         {"drwChangeEntity", LibraryProc(&drwChangeEntity)},
                                         {"drwFindEntity", LibraryProc(&drwFindEntity)},
                                         {"drwSaveDataToFile", LibraryProc(&drwSaveDataToFile)},
                                         {"drwLoadDataFromFile", LibraryProc(&drwLoadDataFromFile)},
                                         {"drwInitView", LibraryProc(&drwInitView)},
                                         {"drwPaint", LibraryProc(&drwPaint)},
                                         {"drwGetViewProperties", LibraryProc(&drwGetViewProperties)},
                                         {"drwSetViewProperties", LibraryProc(&drwSetViewProperties)},
                                         {"drwGetDrawingBorder", LibraryProc(&drwGetDrawingBorder)},
                                         {"drwZoomExtents", LibraryProc(&drwZoomExtents)}});
}
