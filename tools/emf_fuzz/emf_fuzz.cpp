// Plays arbitrary bytes as a metafile on a canvas that only checks what it is given: every point inside the
// coordinate limit, every polygon's points inside the array handed over.
#include "backend/images/emf_player.h"
#include "backend/images/image_decode.h"

#include <cstdlib>

namespace backend {
// Icons may hold PNG images; the codec library is not part of this target.
bool DecodePng(const uint8_t*, size_t, DecodedImage& out)
{
    out = DecodedImage{};
    return false;
}
} // namespace backend

namespace {

using namespace backend;

void Check(bool ok)
{
    if (!ok)
        std::abort();
}
void Check(EmfPoint p) { Check(std::abs(p.x) <= kEmfCoordinateLimit && std::abs(p.y) <= kEmfCoordinateLimit); }
void Check(const EmfRect& r)
{
    Check(EmfPoint{r.left, r.top});
    Check(EmfPoint{r.right, r.bottom});
}

class CheckingCanvas final : public EmfCanvas {
public:
    void SetPen(const EmfPen& pen) override { Check(pen.width >= 1 && pen.style >= 0 && pen.style <= 5); }
    void SetBrush(const EmfBrush&) override {}
    void SetFont(const EmfFont& font) override { Check(font.face.size() <= 32); }
    void SetTextColour(uint32_t) override {}
    void SetBackColour(uint32_t) override {}
    void SetBackMode(int) override {}
    void SetFillMode(int) override {}
    void SetTextAlign(uint32_t) override {}
    void SetClip(const EmfRect* clip) override
    {
        if (clip)
            Check(*clip);
    }
    void Polyline(const EmfPoint* points, size_t count) override
    {
        for (size_t i = 0; i < count; ++i)
            Check(points[i]);
    }
    void PolyPolygon(const EmfPoint* points, const int* counts, size_t polygons) override
    {
        size_t total = 0;
        for (size_t i = 0; i < polygons; ++i) {
            Check(counts[i] >= 0);
            total += size_t(counts[i]);
        }
        for (size_t i = 0; i < total; ++i)
            Check(points[i]);
    }
    void Rectangle(const EmfRect& r) override { Check(r); }
    void Ellipse(const EmfRect& r) override { Check(r); }
    void RoundRect(const EmfRect& r, int, int) override { Check(r); }
    void SetPixel(EmfPoint at, uint32_t) override { Check(at); }
    void Text(EmfPoint at, const char16_t* text, size_t length, const EmfRect* opaque) override
    {
        Check(at);
        volatile char16_t last = 0;
        for (size_t i = 0; i < length; ++i)
            last = text[i];
        (void)last;
        if (opaque)
            Check(*opaque);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    EmfHeader header;
    if (!ReadEmfHeader(data, size, header))
        return 0;
    Check(ImageSizeAllowed(header.width, header.height));
    CheckingCanvas canvas;
    PlayEmf(data, size, header, canvas);
    return 0;
}
