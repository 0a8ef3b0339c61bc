// Blit machinery shared by the blit, DIB, alpha and icon files.
#pragma once

#include "win32/gdi/internal.h"

namespace gdi {

// Converts a source bitmap's pixel values to the destination's, with the monochrome rules:
// a monochrome source gives the destination's background colour for 1 and its text colour
// for 0; a colour source blitted to monochrome gives 1 where it equals the source background.
class SourceConv {
public:
    SourceConv(const Bitmap& src, COLORREF srcBk, const Bitmap& dst, COLORREF dstText, COLORREF dstBk);
    uint32_t operator()(uint32_t v) const;

private:
    enum Kind { Same, Lut, ToMono, Colour } kind_ = Colour;
    const Bitmap& src_;
    const Bitmap& dst_;
    std::vector<uint32_t> lut_;
    COLORREF bk_ = 0;
};

void BlitCore(DC& dc, const RECT& dst, const Bitmap* src, const SourceConv* conv, int sx, int sy, int sw, int sh,
              DWORD rop, int stretchMode);
bool RopUsesSource(DWORD rop);
bool PatFill(DC& dc, const RECT& logical, const Brush* brush, uint8_t rop3);
HBRUSH ResolveBrush(HBRUSH hbr);
std::shared_ptr<Bitmap> DetachIfShared(const Bitmap& src, const Bitmap& dst);
bool DcBlit(DC& dst, int xDest, int yDest, int wDest, int hDest, DC* srcDc, int xSrc, int ySrc, int wSrc, int hSrc,
            DWORD rop);

} // namespace gdi
