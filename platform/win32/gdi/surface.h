// The seam between GDI and whoever owns pixels on screen: surfaces and the DCs that draw into them.
#pragma once

#include "win32/gdi.h"

#include <functional>
#include <memory>
#include <string>

namespace gdi {

// A 32-bit BGRA pixel buffer, top-down: pixel (x, y) is the uint32_t at
// pixels + y * stride / 4 + x, with blue in the lowest byte and alpha in the highest.
struct Surface {
    int width = 0;
    int height = 0;
    int stride = 0; // bytes per row, a multiple of 4; negative in the view of a bottom-up bitmap
    uint32_t* pixels = nullptr;
    bool deferred = false; // made by CreateDeferred: pixels may still be null

    // Owned storage when made by Create; a surface may also wrap someone else's pixels.
    std::unique_ptr<uint32_t[]> storage;

    // A zeroed surface of the given size; null for a negative or absurd size.
    static std::shared_ptr<Surface> Create(int width, int height);
    // The same whose pixels are made only when a DC first draws on or reads it (or Realise is
    // called): a DC on it measures text and answers its size and depth without them.
    static std::shared_ptr<Surface> CreateDeferred(int width, int height);
    // Makes a deferred surface's zeroed pixels; true when the surface has its pixels.
    bool Realise();
    uint32_t* Row(int y) const { return reinterpret_cast<uint32_t*>(reinterpret_cast<char*>(pixels) + ptrdiff_t(y) * stride); }
};

// A DC that draws into `surface`. Its device point (0, 0) lies at `origin` in the surface
// (a child window's client area inside its top-level window's surface), and drawing is
// confined to `visRgn`, given in the DC's device coordinates (null: the whole surface).
// The region is copied; the DC keeps the surface alive. Release it with ReleaseSurfaceDC
// (DeleteDC works too). Returns null if the surface is null. A deferred surface gets its
// pixels when the DC first draws or reads, after the DC's `prepare` has run.
HDC CreateSurfaceDC(std::shared_ptr<Surface> surface, POINT origin, HRGN visRgn);

// Moves an existing surface DC and replaces its visible region (same rules as above), as when
// a cached window DC is handed out again. The DC's own state (objects, clip, origins) is reset
// when `reset` is true, as GetDC/BeginPaint hand out a DC in its default state.
BOOL SetSurfaceDCVisRegion(HDC hdc, POINT origin, HRGN visRgn, bool reset);

BOOL ReleaseSurfaceDC(HDC hdc);

// Runs `prepare` once, with the GDI lock held, before the DC's pixels are first drawn on or read
// (GetDCSurface counts as a read), so that a DC used only to measure never fills its surface.
// `prepare` must not wait for another lock that a caller of GDI may hold.
BOOL SetSurfaceDCPrepare(HDC hdc, std::function<void()> prepare);

// The surface a DC draws into (for memory DCs, a view of the selected bitmap when it is
// 32 bpp); null for a stale handle or a DC whose bitmap is not 32 bpp.
std::shared_ptr<Surface> GetDCSurface(HDC hdc);

// The device origin of a DC within its surface.
POINT GetDCSurfaceOrigin(HDC hdc);

// Writes a 32-bit RGBA PNG. `keepAlpha` false writes every pixel opaque (what a screen shows);
// true writes the alpha byte as stored. Returns false (last error set) if the file cannot be written.
bool WritePng(const Surface& surface, const std::string& path, bool keepAlpha = false);
// The same for a bitmap of any depth (converted through its colour table) or for the
// bitmap or surface a DC draws into.
bool WritePng(HBITMAP hbm, const std::string& path, bool keepAlpha = false);
bool WritePng(HDC hdc, const std::string& path, bool keepAlpha = false);

} // namespace gdi
