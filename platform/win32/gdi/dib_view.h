// A device-independent bitmap in the caller's memory (header, colour table, bits) seen as a Bitmap.
#pragma once

#include "win32/gdi/internal.h"

namespace gdi {

struct DibView {
    Bitmap bmp; // never owns its bits
    // False for a header this layer does not take (compressed, odd depth, absurd size).
    bool Init(const BITMAPINFO* bmi, const void* bits, UINT usage, const std::vector<PALETTEENTRY>* palette);
    size_t ImageSize() const;
};

} // namespace gdi
