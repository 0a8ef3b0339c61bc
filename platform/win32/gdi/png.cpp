// Saving surfaces, bitmaps and DCs as PNG files.
#include "backend/png_writer.h"
#include "win32/gdi/internal.h"

namespace gdi {

namespace {

bool WriteBitmap(const Bitmap& b, const std::string& path, bool keepAlpha)
{
    std::vector<uint8_t> rgba(size_t(b.width) * size_t(b.height) * 4);
    size_t i = 0;
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x) {
            uint32_t v = b.Get(x, y);
            COLORREF c = b.ToColor(v);
            rgba[i++] = GetRValue(c);
            rgba[i++] = GetGValue(c);
            rgba[i++] = GetBValue(c);
            rgba[i++] = keepAlpha && b.bpp == 32 ? uint8_t(v >> 24) : 0xFF;
        }
    if (!backend::WritePngRgba(path, b.width, b.height, rgba)) {
        SetLastError(ERROR_CANTWRITE);
        return false;
    }
    return true;
}

} // namespace

bool WritePng(const Surface& s, const std::string& path, bool keepAlpha)
{
    Bitmap b;
    b.width = s.width;
    b.height = s.height;
    b.stride = s.stride;
    b.bits = reinterpret_cast<uint8_t*>(s.pixels);
    if (!b.bits) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return WriteBitmap(b, path, keepAlpha);
}

bool WritePng(HBITMAP hbm, const std::string& path, bool keepAlpha)
{
    GDI_LOCK;
    auto b = Get<Bitmap>(hbm, OBJ_BITMAP);
    return b && WriteBitmap(*b, path, keepAlpha);
}

bool WritePng(HDC hdc, const std::string& path, bool keepAlpha)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    return dc && WriteBitmap(dc->Target(), path, keepAlpha);
}

} // namespace gdi
