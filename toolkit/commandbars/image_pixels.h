// Pixel access shared by the icon handle, the icons and the image manager: 32-bit top-down copies
// of bitmaps and icons, and icons and DIB sections made back from such pixels.
#pragma once

#include "win32/win32.h"

#include <vector>

namespace tkp_pixels {

// A 32-bit top-down image; each pixel is 0xAARRGGBB as a DIB stores it.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<DWORD> pixels;
    DWORD& At(int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

// A top-down 32-bit DIB section; `bits` receives its pixels.
HBITMAP CreateDib32(int width, int height, void** bits);
BOOL ReadBitmap(HBITMAP bitmap, Image& out);
HBITMAP MakeBitmap(const Image& image);
HBITMAP CopyBitmap(HBITMAP bitmap);

// An icon's colour and mask images (mask pixels: 0 opaque, anything else transparent); FALSE when
// the handle is no icon. A monochrome icon's colour comes from the lower half of its mask.
struct IconImages {
    Image color;
    Image mask;
};
BOOL ReadIcon(HICON icon, IconImages& out);
HICON MakeIcon(const IconImages& images);

}  // namespace tkp_pixels
