// A device-independent bitmap in the caller's memory (header, colour table, bits) seen as a Bitmap.
#pragma once

#include "win32/gdi/internal.h"

#include <cstdint>

namespace gdi {

struct DibView {
    Bitmap bmp; // never owns its bits
    // False for a header this layer does not take (compressed, odd depth, absurd size), or one whose masks and
    // colour table do not fit in the infoBytes that can be read from bmi (a file's bytes; unbounded for callers
    // that hand in their own structure).
    bool Init(const BITMAPINFO* bmi, const void* bits, UINT usage, const std::vector<PALETTEENTRY>* palette,
              size_t infoBytes = SIZE_MAX);
    // Bytes of header, masks and colour table that Init read: where packed bits begin.
    size_t infoUsed = 0;
    size_t ImageSize() const;
};

} // namespace gdi
