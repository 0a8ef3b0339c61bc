// Feeds arbitrary bytes to the Photoshop decoder as a whole document.
#include "preview/psd_decoder.h"

#include <cstring>
#include <vector>

namespace {

class BytesSource : public PsdSource {
public:
    BytesSource(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    size_t Read(uint8_t* buffer, size_t n) override
    {
        n = n < m_size - m_at ? n : m_size - m_at;
        if (n)
            std::memcpy(buffer, m_data + m_at, n);
        m_at += n;
        return n;
    }
    uint64_t Remaining() const override { return m_size - m_at; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

class BufferSink : public PsdBitmapSink {
public:
    uint8_t* CreateBitmap(int width, int height, int32_t, int32_t) override
    {
        size_t stride = ((size_t)width * 3 + 3) & ~size_t(3);
        bits.assign(stride * (size_t)height, 0xFF);
        return bits.data();
    }
    std::vector<uint8_t> bits;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    BytesSource source(data, size);
    BufferSink sink;
    PsdDecoder decoder;
    decoder.Load(source, sink);
    return 0;
}
