// The Photoshop document decoder: header, colour mode data, image resources, raw and PackBits image
// data, and the conversion of every colour mode to RGB.
#include "preview/psd_decoder.h"

#include "backend/images/image_decode.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace {

// Decoded samples of one image stay below this; a file that asks for more is refused as the
// allocation would be.
const uint64_t kMaxSampleBytes = uint64_t(256) << 20;
// PackBits turns two bytes into at most 128.
const uint64_t kPackBitsMaxGain = 64;

uint8_t Clamp255(double v)
{
    if (!(v > 0)) // NaN too
        return 0;
    if (v >= 255)
        return 255;
    return (uint8_t)v;
}

// Ink samples are stored inverted: 0 is full ink.
void CmykToRgb(double c, double m, double y, double k, double max, uint8_t rgb[3])
{
    double cf = 1 - c / max, mf = 1 - m / max, yf = 1 - y / max, kf = 1 - k / max;
    const double inks[3] = {cf, mf, yf};
    for (int i = 0; i < 3; ++i)
        rgb[i] = Clamp255(std::floor((1 - ((1 - kf) * inks[i] + kf)) * 255 + 0.5));
}

uint8_t XyzComponent(double v)
{
    v = v > 0.0031308 ? 1.055 * std::pow(v, 1 / 2.4) - 0.055 : 12.92 * v;
    return Clamp255(std::trunc(v * 256));
}

void LabToRgb(double first, double second, double third, double max, uint8_t rgb[3])
{
    double l = std::trunc(first / (max * 0.01));
    double a = std::trunc(second / (max / 256) - 128);
    double b = std::trunc(third / (max / 256) - 128);
    double fy = (l + 16) / 116, fx = a / 500 + fy, fz = fy - b / 200;
    auto f = [](double t) { return t * t * t > 0.008856 ? t * t * t : (t - 16.0 / 116) / 7.787; };
    double x = 95.047 * f(fx) / 100, y = 100 * f(fy) / 100, z = 108.883 * f(fz) / 100;
    rgb[0] = XyzComponent(3.2406 * x - 1.5372 * y - 0.4986 * z);
    rgb[1] = XyzComponent(-0.9689 * x + 1.8758 * y + 0.0415 * z);
    rgb[2] = XyzComponent(0.0557 * x - 0.2040 * y + 1.0570 * z);
}

} // namespace

uint32_t PsdDecoder::ReadBigEndian(const uint8_t* bytes, int n)
{
    uint32_t v = 0;
    for (int i = 0; i < n; ++i)
        v = v << 8 | bytes[i];
    return v;
}

bool PsdDecoder::Read(void* buffer, size_t n)
{
    return m_source->Read(static_cast<uint8_t*>(buffer), n) == n;
}

bool PsdDecoder::ReadU16(uint16_t& v)
{
    uint8_t b[2];
    if (!Read(b, 2))
        return false;
    v = (uint16_t)ReadBigEndian(b, 2);
    return true;
}

bool PsdDecoder::ReadU32(uint32_t& v)
{
    uint8_t b[4];
    if (!Read(b, 4))
        return false;
    v = ReadBigEndian(b, 4);
    return true;
}

uint64_t PsdDecoder::Skip(uint64_t n)
{
    uint8_t buffer[4096];
    uint64_t done = 0;
    while (done < n) {
        size_t want = (size_t)std::min<uint64_t>(sizeof buffer, n - done);
        size_t got = m_source->Read(buffer, want);
        done += got;
        if (got < want)
            break;
    }
    return done;
}

int PsdDecoder::Load(PsdSource& source, PsdBitmapSink& sink)
{
    m_source = &source;
    m_hasBitmap = false;
    if (!ReadHeader())
        return PSD_BAD_HEADER;
    int code = ReadColorModeData();
    if (code != PSD_OK)
        return code;
    if (!ReadImageResources())
        return PSD_BAD_RESOURCES;
    SkipLayerAndMask();
    return ReadImageData(sink);
}

bool PsdDecoder::ReadHeader()
{
    uint8_t h[26];
    if (!Read(h, sizeof h))
        return false;
    if (std::memcmp(h, "8BPS", 4) != 0 || ReadBigEndian(h + 4, 2) != 1)
        return false;
    for (int i = 6; i < 12; ++i)
        if (h[i] != 0)
            return false;
    m_header.channels = (int16_t)ReadBigEndian(h + 12, 2);
    m_header.height = (int32_t)ReadBigEndian(h + 14, 4);
    m_header.width = (int32_t)ReadBigEndian(h + 18, 4);
    m_header.depth = (int16_t)ReadBigEndian(h + 22, 2);
    m_header.mode = (int16_t)ReadBigEndian(h + 24, 2);
    const PsdHeader& p = m_header;
    static_assert(kPsdMaxSide == backend::kMaxImageDimension && kPsdMaxPixels == backend::kMaxImagePixels,
                  "every picture decoder has the same size limits");
    // The sizes are checked before anything is sized from them: a few header bytes must not be
    // able to ask for gigabytes, or for a buffer smaller than the loops that fill it.
    if (p.width < 1 || p.width > kPsdMaxSide || p.height < 1 || p.height > kPsdMaxSide)
        return false;
    if ((uint64_t)p.width * (uint64_t)p.height > kPsdMaxPixels)
        return false;
    if (p.channels < 1 || p.channels > kPsdMaxChannels)
        return false;
    if (p.depth != 1 && p.depth != 8 && p.depth != 16 && p.depth != 32)
        return false;
    switch (p.mode) {
    case BITMAP: case GREYSCALE: case INDEXED: case MULTICHANNEL: case DUOTONE: return true;
    case RGB: case LAB: return p.channels >= 3;
    case CMYK: return p.channels >= 4;
    default: return false;
    }
}

int PsdDecoder::ReadColorModeData()
{
    uint32_t length = 0;
    if (!ReadU32(length))
        return PSD_OK; // the next step finds the end of the file
    // The stored length is only trusted as far as the file goes.
    uint64_t take = std::min<uint64_t>(length, m_source->Remaining());
    try {
        m_colorModeData.assign((size_t)take, 0xFE);
    } catch (const std::bad_alloc&) {
        return PSD_NO_MEMORY_COLOR_DATA;
    }
    size_t got = m_source->Read(m_colorModeData.data(), m_colorModeData.size());
    m_colorModeData.resize(got);
    return PSD_OK;
}

bool PsdDecoder::ReadImageResources()
{
    uint32_t length = 0;
    if (!ReadU32(length))
        return false;
    uint64_t consumed = 0;
    while (consumed < length && m_source->Remaining() > 0) {
        uint8_t signature[4];
        size_t got = m_source->Read(signature, 4);
        consumed += got;
        if (got < 4)
            break;
        if (std::memcmp(signature, "8BIM", 4) != 0)
            continue;
        uint16_t id = 0;
        uint8_t nameLength = 0;
        if (!ReadU16(id) || !Read(&nameLength, 1))
            break;
        consumed += 3;
        // The name is a padded Pascal string: its length byte and text make an even count.
        uint64_t nameBytes = nameLength + (nameLength % 2 == 0 ? 1 : 0);
        uint64_t skipped = Skip(nameBytes);
        consumed += skipped;
        uint32_t size32 = 0;
        if (skipped < nameBytes || !ReadU32(size32))
            break;
        consumed += 4;
        uint64_t size = (uint64_t)size32 + (size32 & 1);
        if (size < 1)
            continue;
        uint8_t d[28] = {};
        uint64_t known = 0; // bytes of a known record at the start of the data
        switch (id) {
        case 1000: known = 10; break;
        case 1005: known = 16; break;
        case 1007: known = 14; break;
        case 1033: case 1036: known = 28; break;
        case 1034: case 1046: case 1047: known = 2; break;
        case 1037: known = 4; break;
        }
        // A record is read only when the block holds it whole; the rest of the block is passed
        // over either way, so a block with a wrong size cannot shift the blocks after it.
        if (known && known <= size) {
            if (!Read(d, (size_t)known)) {
                consumed += known;
                break;
            }
            switch (id) {
            case 1000:
                m_hasHeaderCopy = true;
                for (int i = 0; i < 5; ++i)
                    m_headerCopy[i] = (uint16_t)ReadBigEndian(d + 2 * i, 2);
                break;
            case 1005:
                m_hasResolution = true;
                m_resolution = {(uint16_t)ReadBigEndian(d, 2),      ReadBigEndian(d + 2, 4),
                                (uint16_t)ReadBigEndian(d + 6, 2),  (uint16_t)ReadBigEndian(d + 8, 2),
                                ReadBigEndian(d + 10, 4),           (uint16_t)ReadBigEndian(d + 14, 2)};
                break;
            case 1007:
                m_hasDisplayInfo = true;
                m_displayColorSpace = (uint16_t)ReadBigEndian(d, 2);
                for (int i = 0; i < 4; ++i)
                    m_displayColor[i] = (uint16_t)ReadBigEndian(d + 2 + 2 * i, 2);
                m_displayOpacity = (uint16_t)ReadBigEndian(d + 10, 2);
                m_displayKind = d[12] == 1;
                break;
            case 1033:
            case 1036:
                m_hasThumbnail = true;
                m_thumbnail = {ReadBigEndian(d, 4),      ReadBigEndian(d + 4, 4),  ReadBigEndian(d + 8, 4),
                               ReadBigEndian(d + 12, 4), ReadBigEndian(d + 16, 4), ReadBigEndian(d + 20, 4),
                               (uint16_t)ReadBigEndian(d + 24, 2), (uint16_t)ReadBigEndian(d + 26, 2)};
                break;
            case 1034: m_copyrightFlag = ReadBigEndian(d, 2) == 1; break;
            case 1037: m_globalAngle = ReadBigEndian(d, 4); break;
            case 1046: m_indexedColorCount = (int16_t)ReadBigEndian(d, 2); break;
            case 1047: m_transparentIndex = (int16_t)ReadBigEndian(d, 2); break;
            }
            consumed += known;
            size -= known;
        }
        uint64_t passed = Skip(size);
        consumed += passed;
        if (passed < size)
            break;
    }
    return consumed == length;
}

void PsdDecoder::SkipLayerAndMask()
{
    uint32_t length = 0;
    if (ReadU32(length))
        Skip(length);
}

bool PsdDecoder::ReadRaw(std::vector<uint8_t>& samples)
{
    const size_t channels = (size_t)m_header.channels, b = (size_t)m_header.depth / 8;
    const size_t planeBytes = samples.size() / channels;
    uint8_t buffer[1 << 14];
    for (size_t c = 0; c < channels; ++c) {
        for (size_t done = 0; done < planeBytes;) {
            size_t want = std::min(sizeof buffer, planeBytes - done);
            if (!Read(buffer, want))
                return false;
            for (size_t i = 0; i < want; ++i) {
                size_t at = done + i;
                samples[(at / b * channels + c) * b + at % b] = buffer[i];
            }
            done += want;
        }
    }
    return true;
}

// Each channel is a run of PackBits data that produces its whole plane; runs that would pass the
// plane's end are cut there. The end of the file ends the decoding with nothing to show, so a
// truncated file can never keep the loop going.
bool PsdDecoder::DecodePackBits(std::vector<uint8_t>& samples)
{
    const size_t channels = (size_t)m_header.channels, b = (size_t)m_header.depth / 8;
    const size_t planeBytes = samples.size() / channels;
    auto put = [&](size_t c, size_t at, uint8_t v) { samples[(at / b * channels + c) * b + at % b] = v; };
    uint8_t run[128];
    for (size_t c = 0; c < channels; ++c) {
        size_t produced = 0;
        while (produced < planeBytes) {
            uint8_t n = 0;
            if (!Read(&n, 1))
                return false;
            if (n < 128) {
                size_t count = (size_t)n + 1;
                if (!Read(run, count))
                    return false;
                size_t keep = std::min(count, planeBytes - produced);
                for (size_t i = 0; i < keep; ++i)
                    put(c, produced + i, run[i]);
                produced += keep;
            } else if (n > 128) {
                uint8_t v = 0;
                if (!Read(&v, 1))
                    return false;
                size_t keep = std::min<size_t>(257 - n, planeBytes - produced);
                for (size_t i = 0; i < keep; ++i)
                    put(c, produced + i, v);
                produced += keep;
            }
        }
    }
    return true;
}

int PsdDecoder::ReadImageData(PsdBitmapSink& sink)
{
    uint16_t compression = 0;
    if (m_source->Remaining() == 0 || !ReadU16(compression))
        return PSD_OK;
    if (compression == 2)
        return PSD_ZIP;
    if (compression == 3)
        return PSD_ZIP_PREDICTION;
    if (compression > 3)
        return PSD_UNKNOWN_COMPRESSION;
    // Only 8- and 16-bit samples are drawn.
    if (m_header.depth != 8 && m_header.depth != 16)
        return PSD_NO_BITMAP;
    const uint64_t channels = (uint64_t)m_header.channels, b = (uint64_t)m_header.depth / 8;
    const uint64_t pixels = (uint64_t)m_header.width * (uint64_t)m_header.height;
    const uint64_t total = channels * pixels * b;
    if (total > kMaxSampleBytes)
        return PSD_NO_MEMORY_IMAGE;
    // Data the file cannot hold is not waited for: nothing is allocated for it.
    uint64_t remaining = m_source->Remaining();
    if (compression == 0 && total > remaining)
        return PSD_OK;
    uint64_t table = channels * (uint64_t)m_header.height * 2;
    if (compression == 1 && (table > remaining || total > (remaining - table) * kPackBitsMaxGain))
        return PSD_OK;
    std::vector<uint8_t> samples;
    try {
        samples.assign((size_t)total, 0);
    } catch (const std::bad_alloc&) {
        return PSD_NO_MEMORY_IMAGE;
    }
    bool complete = compression == 0 ? ReadRaw(samples) : (Skip(table) == table && DecodePackBits(samples));
    if (!complete)
        return PSD_OK;

    int32_t xppm = 3780, yppm = 3780;
    if (m_hasResolution) {
        xppm = (int32_t)((uint32_t)m_resolution.hRes * 10000 / 254);
        yppm = (int32_t)((uint32_t)m_resolution.vRes * 10000 / 254);
    }
    uint8_t* bits = sink.CreateBitmap(m_header.width, m_header.height, xppm, yppm);
    if (!bits)
        return PSD_NO_BITMAP;
    m_hasBitmap = true;
    Convert(samples, bits);
    return PSD_OK;
}

void PsdDecoder::Convert(const std::vector<uint8_t>& samples, uint8_t* bits) const
{
    const int w = m_header.width, h = m_header.height, channels = m_header.channels;
    const int b = m_header.depth / 8;
    const double max = m_header.depth == 16 ? 65536.0 : 256.0;
    const size_t stride = ((size_t)w * 3 + 3) & ~size_t(3);
    const size_t step = (size_t)channels * (size_t)b;
    // 16-bit samples keep their high byte where a byte is drawn.
    const int shift = b == 2 ? 8 : 0;
    bool palette = m_colorModeData.size() == 768 && m_indexedColorCount > 0;
    for (int y = 0; y < h; ++y) {
        uint8_t* row = bits + (size_t)(h - 1 - y) * stride;
        for (int x = 0; x < w; ++x) {
            const uint8_t* s = samples.data() + ((size_t)y * (size_t)w + (size_t)x) * step;
            auto sample = [&](int i) { return ReadBigEndian(s + i * b, b); };
            uint8_t rgb[3];
            switch (m_header.mode) {
            case GREYSCALE:
            case DUOTONE:
                rgb[0] = rgb[1] = rgb[2] = (uint8_t)(sample(0) >> shift);
                break;
            case INDEXED: {
                if (!palette)
                    continue;
                uint8_t i = s[0];
                rgb[0] = m_colorModeData[i];
                rgb[1] = m_colorModeData[256 + i];
                rgb[2] = m_colorModeData[512 + i];
                break;
            }
            case RGB:
                for (int i = 0; i < 3; ++i)
                    rgb[i] = (uint8_t)(sample(i) >> shift);
                break;
            case CMYK: CmykToRgb(sample(0), sample(1), sample(2), sample(3), max, rgb); break;
            case MULTICHANNEL:
                if (channels < 3)
                    continue;
                CmykToRgb(sample(0), sample(1), sample(2), channels >= 4 ? sample(3) : max, max, rgb);
                break;
            case LAB: LabToRgb(sample(0), sample(1), sample(2), max, rgb); break;
            default: continue;
            }
            uint8_t* px = row + (size_t)x * 3;
            px[0] = rgb[2];
            px[1] = rgb[1];
            px[2] = rgb[0];
        }
    }
}
