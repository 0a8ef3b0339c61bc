// The Photoshop image: the decoder over a file, drawing into a DIB section.
#include "preview/psd_image.h"

#include <cstdio>
#include <cstring>

namespace {

class FileSource : public PsdSource {
public:
    explicit FileSource(FILE* f) : m_file(f)
    {
        if (std::fseek(f, 0, SEEK_END) == 0) {
            long end = std::ftell(f);
            m_length = end > 0 ? (uint64_t)end : 0;
        }
        std::fseek(f, 0, SEEK_SET);
    }
    size_t Read(uint8_t* buffer, size_t n) override
    {
        size_t got = n ? std::fread(buffer, 1, n, m_file) : 0;
        m_position += got;
        return got;
    }
    uint64_t Remaining() const override { return m_position < m_length ? m_length - m_position : 0; }

private:
    FILE* m_file;
    uint64_t m_length = 0;
    uint64_t m_position = 0;
};

class DibSink : public PsdBitmapSink {
public:
    uint8_t* CreateBitmap(int width, int height, int32_t xPelsPerMeter, int32_t yPelsPerMeter) override
    {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 24;
        bi.bmiHeader.biCompression = BI_RGB;
        bi.bmiHeader.biXPelsPerMeter = xPelsPerMeter;
        bi.bmiHeader.biYPelsPerMeter = yPelsPerMeter;
        void* bits = nullptr;
        HDC screen = ::GetDC(nullptr);
        bitmap = ::CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        ::ReleaseDC(nullptr, screen);
        if (!bitmap || !bits) {
            if (bitmap)
                ::DeleteObject(bitmap);
            bitmap = nullptr;
            return nullptr;
        }
        // Pixels a colour mode cannot draw stay white.
        size_t stride = ((size_t)width * 3 + 3) & ~size_t(3);
        std::memset(bits, 0xFF, stride * (size_t)height);
        return static_cast<uint8_t*>(bits);
    }
    HBITMAP bitmap = nullptr;
};

} // namespace

CPsdImage::~CPsdImage()
{
    if (m_bitmap && !m_handedOut)
        ::DeleteObject(m_bitmap);
}

int CPsdImage::LoadPsd(const WCHAR* path)
{
    FILE* f = _wfopen(path, u"rb");
    if (!f)
        return PSD_CANNOT_OPEN;
    FileSource source(f);
    DibSink sink;
    int code = m_decoder.Load(source, sink);
    std::fclose(f);
    if (sink.bitmap && !m_decoder.HasBitmap()) {
        ::DeleteObject(sink.bitmap);
        sink.bitmap = nullptr;
    }
    if (m_bitmap && !m_handedOut)
        ::DeleteObject(m_bitmap);
    m_bitmap = sink.bitmap;
    m_handedOut = false;
    return code;
}

HBITMAP CPsdImage::DetachBitmap()
{
    m_handedOut = true;
    return m_bitmap;
}
