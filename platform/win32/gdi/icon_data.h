// Icons and cursors as GDI keeps them: a colour bitmap and an AND mask.
#pragma once

#include "win32/gdi/internal.h"

namespace gdi {

constexpr DWORD kIconType = 0x100; // in the GDI table, but not a GDI object for DeleteObject

struct Icon : Object {
    bool isIcon = true;
    bool shared = false;
    int width = 0, height = 0;
    POINT hotspot{0, 0};
    std::shared_ptr<Bitmap> color; // 32 bpp, or null for a monochrome icon (mask holds both halves)
    std::shared_ptr<Bitmap> mask;  // 1 bpp
    Icon() { type = kIconType; }
};

std::shared_ptr<Icon> GetIcon(HICON h);
// An icon from a DIB in resource layout (header with doubled height, colour rows, then mask rows).
std::shared_ptr<Icon> IconFromDib(const BYTE* data, size_t size, bool isIcon, POINT hotspot);
// A copy of a bitmap of any depth as a 32 bpp one (alpha kept for 32 bpp sources).
std::shared_ptr<Bitmap> To32(const Bitmap& b);
std::shared_ptr<Bitmap> CopyBitmap(const Bitmap& b);
// Draws an icon's colour and mask into a DC at target coordinates, scaled to w x h.
void DrawIconAt(DC& dc, const Icon& icon, int x, int y, int w, int h, UINT flags);

} // namespace gdi
