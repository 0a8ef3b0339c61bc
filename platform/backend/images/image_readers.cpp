// The project's own readers of BMP, ICO, TGA, PCX, PNM, WBMP, Sun raster and PGX pictures, bounded against damaged
// headers.
#include "backend/images/image_decode.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace backend {

namespace {

uint32_t Pack(unsigned r, unsigned g, unsigned b, unsigned a = 0xFF)
{
    return (uint32_t(a) << 24) | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}

// Reads little-endian fields; past the end it reads zeros and remembers that it ran out.
struct Reader {
    const uint8_t* data;
    size_t size;
    bool short_ = false;
    unsigned U8(size_t at)
    {
        if (at >= size) {
            short_ = true;
            return 0;
        }
        return data[at];
    }
    unsigned U16(size_t at) { return U8(at) | (U8(at + 1) << 8); }
    uint32_t U32(size_t at) { return U16(at) | (uint32_t(U16(at + 2)) << 16); }
    int32_t I32(size_t at) { return int32_t(U32(at)); }
};

// Spreads a bit mask's value over 0..255 (5-bit green becomes 0..255, not 0..248).
unsigned MaskValue(uint32_t v, uint32_t mask)
{
    if (!mask)
        return 0;
    int shift = 0;
    while (!(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    const uint32_t field = (v >> shift) & mask;
    return unsigned(uint64_t(field) * 255 / mask);
}

} // namespace

bool ImageSizeAllowed(int64_t width, int64_t height)
{
    return width >= 1 && height >= 1 && width <= kMaxImageDimension && height <= kMaxImageDimension &&
           uint64_t(width) * uint64_t(height) <= kMaxImagePixels;
}

bool AllocateImage(DecodedImage& out, int64_t width, int64_t height)
{
    out = DecodedImage{};
    if (!ImageSizeAllowed(width, height))
        return false;
    out.width = int(width);
    out.height = int(height);
    out.pixels.assign(size_t(width) * size_t(height), 0);
    return true;
}

bool DecodeDib(const uint8_t* data, size_t size, bool andMask, DecodedImage& out)
{
    out = DecodedImage{};
    Reader r{data, size};
    const uint32_t headerSize = r.U32(0);
    int64_t width, height;
    unsigned bpp, compression = 0, paletteEntry;
    uint32_t colours = 0;
    if (headerSize == 12) {
        width = r.U16(4);
        height = int16_t(r.U16(6));
        bpp = r.U16(10);
        paletteEntry = 3;
    } else if (headerSize >= 40 && headerSize <= size) {
        width = r.I32(4);
        height = r.I32(8);
        bpp = r.U16(14);
        compression = r.U32(16);
        colours = r.U32(32);
        paletteEntry = 4;
    } else {
        return false;
    }
    if (r.short_)
        return false;
    bool topDown = height < 0;
    if (topDown)
        height = -height;
    if (andMask)
        height /= 2;
    if (!ImageSizeAllowed(width, height))
        return false;
    uint32_t masks[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0};
    size_t pos = headerSize;
    if (bpp == 16 && compression == 0) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    }
    if (compression == 3 && (bpp == 16 || bpp == 32)) {
        // The masks follow a 40-byte header; larger headers carry them inside.
        for (int i = 0; i < 3; ++i)
            masks[i] = r.U32(40 + 4 * i);
        if (headerSize >= 56)
            masks[3] = r.U32(52);
        if (headerSize == 40)
            pos += 12;
    } else if (compression != 0) {
        return false;
    }
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return false;
    std::vector<uint32_t> palette;
    if (bpp <= 8) {
        const uint32_t maxColours = 1u << bpp;
        const uint32_t count = colours == 0 || colours > maxColours ? maxColours : colours;
        palette.assign(maxColours, Pack(0, 0, 0));
        for (uint32_t i = 0; i < count; ++i) {
            const size_t at = pos + size_t(i) * paletteEntry;
            palette[i] = Pack(r.U8(at + 2), r.U8(at + 1), r.U8(at));
        }
        if (r.short_)
            return false;
        pos += size_t(count) * paletteEntry;
    }
    const size_t stride = ((size_t(width) * bpp + 31) / 32) * 4;
    const size_t bitsBytes = stride * size_t(height);
    if (pos > size || size - pos < bitsBytes)
        return false;
    const size_t maskStride = ((size_t(width) + 31) / 32) * 4;
    const bool haveMask = andMask && size - pos - bitsBytes >= maskStride * size_t(height);
    if (!AllocateImage(out, width, height))
        return false;
    bool anyAlpha = false;
    for (int64_t y = 0; y < height; ++y) {
        const uint8_t* row = data + pos + stride * size_t(y);
        const int64_t dy = topDown ? y : height - 1 - y;
        uint32_t* dst = &out.pixels[size_t(dy) * out.width];
        for (int64_t x = 0; x < width; ++x) {
            uint32_t p;
            switch (bpp) {
            case 1: p = palette[(row[x >> 3] >> (7 - (x & 7))) & 1]; break;
            case 4: p = palette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15]; break;
            case 8: p = palette[row[x]]; break;
            case 16: {
                const uint32_t v = row[2 * x] | (row[2 * x + 1] << 8);
                p = Pack(MaskValue(v, masks[0]), MaskValue(v, masks[1]), MaskValue(v, masks[2]));
                break;
            }
            case 24: p = Pack(row[3 * x + 2], row[3 * x + 1], row[3 * x]); break;
            default: {
                const uint32_t v = row[4 * x] | (row[4 * x + 1] << 8) | (row[4 * x + 2] << 16) |
                                   (uint32_t(row[4 * x + 3]) << 24);
                if (compression == 3)
                    p = Pack(MaskValue(v, masks[0]), MaskValue(v, masks[1]), MaskValue(v, masks[2]),
                             masks[3] ? MaskValue(v, masks[3]) : 0xFF);
                else
                    p = v;
                if (andMask && (v >> 24))
                    anyAlpha = true;
                break;
            }
            }
            dst[x] = p;
        }
    }
    // Icons of 32 bits carry their transparency in the alpha byte; older ones in the mask.
    if (andMask) {
        for (int64_t y = 0; y < height; ++y) {
            const uint8_t* mrow = data + pos + bitsBytes + maskStride * size_t(y);
            const int64_t dy = topDown ? y : height - 1 - y;
            uint32_t* dst = &out.pixels[size_t(dy) * out.width];
            for (int64_t x = 0; x < width; ++x) {
                const bool clear = haveMask && ((mrow[x >> 3] >> (7 - (x & 7))) & 1);
                if (bpp == 32 && anyAlpha)
                    continue;
                dst[x] = clear ? 0 : (dst[x] | 0xFF000000u);
            }
        }
        out.hasAlpha = true;
    } else if (!(bpp == 32 && compression == 3 && masks[3])) {
        for (uint32_t& p : out.pixels)
            p |= 0xFF000000u;
    } else {
        out.hasAlpha = true;
    }
    return true;
}

bool DecodeBmp(const uint8_t* data, size_t size, DecodedImage& out)
{
    out = DecodedImage{};
    if (size < 14 + 12 || data[0] != 'B' || data[1] != 'M')
        return false;
    // The pixel offset of the file header is ignored where it disagrees: the palette's end is used.
    return DecodeDib(data + 14, size - 14, false, out);
}

bool DecodeIco(const uint8_t* data, size_t size, DecodedImage& out)
{
    out = DecodedImage{};
    Reader r{data, size};
    if (size < 6 || r.U16(0) != 0 || (r.U16(2) != 1 && r.U16(2) != 2))
        return false;
    const unsigned count = r.U16(4);
    if (count == 0 || 6 + size_t(count) * 16 > size)
        return false;
    // The largest, then deepest, image of the icon.
    int best = -1;
    uint64_t bestScore = 0;
    for (unsigned i = 0; i < count; ++i) {
        const size_t e = 6 + size_t(i) * 16;
        const unsigned w = r.U8(e) ? r.U8(e) : 256, h = r.U8(e + 1) ? r.U8(e + 1) : 256;
        const uint64_t score = uint64_t(w) * h * 64 + r.U16(e + 6);
        const uint32_t length = r.U32(e + 8), offset = r.U32(e + 12);
        if (offset >= size || length > size - offset || length < 12)
            continue;
        if (best < 0 || score > bestScore) {
            best = int(i);
            bestScore = score;
        }
    }
    if (best < 0)
        return false;
    const size_t e = 6 + size_t(best) * 16;
    const uint8_t* image = data + r.U32(e + 12);
    const size_t length = r.U32(e + 8);
    if (length >= 8 && std::memcmp(image, "\x89PNG", 4) == 0)
        return DecodePng(image, length, out);
    return DecodeDib(image, length, true, out);
}

bool DecodeTga(const uint8_t* data, size_t size, DecodedImage& out)
{
    out = DecodedImage{};
    Reader r{data, size};
    if (size < 18)
        return false;
    const unsigned idLength = r.U8(0), mapType = r.U8(1), type = r.U8(2);
    const unsigned mapFirst = r.U16(3), mapLength = r.U16(5), mapBits = r.U8(7);
    const int64_t width = r.U16(12), height = r.U16(14);
    const unsigned bpp = r.U8(16), descriptor = r.U8(17);
    const bool rle = type >= 9;
    const unsigned base = rle ? type - 8 : type;
    if (base < 1 || base > 3 || mapType > 1 || !ImageSizeAllowed(width, height))
        return false;
    if ((base == 1 && (mapType != 1 || bpp != 8)) || (base == 2 && bpp != 15 && bpp != 16 && bpp != 24 && bpp != 32) ||
        (base == 3 && bpp != 8 && bpp != 16))
        return false;
    size_t pos = 18 + idLength;
    std::vector<uint32_t> palette;
    auto colour = [&](size_t at, unsigned bits) -> uint32_t {
        switch (bits) {
        case 15:
        case 16: {
            const unsigned v = r.U16(at);
            return Pack(((v >> 10) & 31) * 255 / 31, ((v >> 5) & 31) * 255 / 31, (v & 31) * 255 / 31);
        }
        case 24: return Pack(r.U8(at + 2), r.U8(at + 1), r.U8(at));
        case 32: return Pack(r.U8(at + 2), r.U8(at + 1), r.U8(at), r.U8(at + 3));
        default: return 0;
        }
    };
    if (mapType == 1) {
        if (mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32)
            return false;
        const unsigned entry = (mapBits + 7) / 8;
        if (pos + size_t(mapLength) * entry > size)
            return false;
        palette.assign(256, Pack(0, 0, 0));
        for (unsigned i = 0; i < mapLength; ++i)
            if (mapFirst + i < 256)
                palette[mapFirst + i] = colour(pos + size_t(i) * entry, mapBits);
        pos += size_t(mapLength) * entry;
    }
    const unsigned pixelBytes = (bpp + 7) / 8;
    auto read = [&](size_t at) -> uint32_t {
        if (base == 1)
            return palette[r.U8(at)];
        if (base == 3)
            return pixelBytes == 1 ? Pack(r.U8(at), r.U8(at), r.U8(at)) : Pack(r.U8(at), r.U8(at), r.U8(at), r.U8(at + 1));
        return colour(at, bpp);
    };
    if (!rle && (pos > size || (size - pos) / pixelBytes < uint64_t(width) * uint64_t(height)))
        return false;
    // A run packet (a header and one pixel) gives at most 128 pixels: the header's size is only believed as far as
    // the bytes left can fill it, so a few bytes cannot make the reader allocate and clear a picture of 64M pixels.
    if (rle && (pos > size || (size - pos) / (1 + pixelBytes) * 128 < uint64_t(width) * uint64_t(height)))
        return false;
    if (!AllocateImage(out, width, height))
        return false;
    const size_t total = out.pixels.size();
    std::vector<uint32_t> linear(total);
    size_t n = 0;
    while (n < total) {
        if (!rle) {
            linear[n++] = read(pos);
            pos += pixelBytes;
            continue;
        }
        if (pos >= size)
            break;
        const unsigned head = data[pos++];
        const size_t run = std::min<size_t>((head & 0x7F) + 1, total - n);
        if (head & 0x80) {
            const uint32_t p = read(pos);
            pos += pixelBytes;
            for (size_t i = 0; i < run; ++i)
                linear[n++] = p;
        } else {
            for (size_t i = 0; i < run; ++i, pos += pixelBytes)
                linear[n++] = read(pos);
        }
        if (r.short_)
            break;
    }
    if (n < total || r.short_) {
        out = DecodedImage{};
        return false;
    }
    const bool bottomUp = !(descriptor & 0x20), rightToLeft = descriptor & 0x10;
    for (int64_t y = 0; y < height; ++y)
        for (int64_t x = 0; x < width; ++x) {
            const int64_t sy = bottomUp ? height - 1 - y : y, sx = rightToLeft ? width - 1 - x : x;
            out.pixels[size_t(y) * width + x] = linear[size_t(sy) * width + sx];
        }
    // Only 32-bit pixels with alpha bits in the descriptor carry transparency.
    out.hasAlpha = bpp == 32 && (descriptor & 0x0F);
    if (!out.hasAlpha)
        for (uint32_t& p : out.pixels)
            p |= 0xFF000000u;
    return true;
}

bool DecodePcx(const uint8_t* data, size_t size, DecodedImage& out)
{
    out = DecodedImage{};
    Reader r{data, size};
    if (size < 128 || r.U8(0) != 0x0A || r.U8(2) > 1)
        return false;
    const bool rle = r.U8(2) == 1;
    const unsigned bpp = r.U8(3), planes = r.U8(65), lineBytes = r.U16(66);
    const int64_t width = int64_t(r.U16(8)) - r.U16(4) + 1, height = int64_t(r.U16(10)) - r.U16(6) + 1;
    if (!ImageSizeAllowed(width, height))
        return false;
    const bool paletted8 = bpp == 8 && planes == 1, rgb = bpp == 8 && (planes == 3 || planes == 4),
               planar = bpp == 1 && planes >= 1 && planes <= 4;
    if (!paletted8 && !rgb && !planar)
        return false;
    // A plane's line holds width pixels of bpp bits each.
    if (uint64_t(lineBytes) * 8 < uint64_t(width) * bpp || lineBytes == 0)
        return false;
    // Every scan line of every plane, decompressed; a file that ends early is damaged. A run (two bytes) gives at
    // most 63 bytes, so lines longer than the file's bytes can fill are refused before anything is allocated.
    const size_t scan = size_t(lineBytes) * planes;
    if ((size - 128) * (rle ? 32 : 1) < uint64_t(scan) * uint64_t(height))
        return false;
    std::vector<uint8_t> lines(scan * size_t(height));
    size_t pos = 128, n = 0;
    while (n < lines.size()) {
        if (pos >= size)
            break;
        uint8_t b = data[pos++];
        size_t run = 1;
        if (rle && (b & 0xC0) == 0xC0) {
            run = b & 0x3F;
            if (pos >= size)
                break;
            b = data[pos++];
        }
        run = std::min(run, lines.size() - n);
        std::memset(&lines[n], b, run);
        n += run;
    }
    if (n < lines.size())
        return false;
    std::vector<uint32_t> palette(256, Pack(0, 0, 0));
    if (paletted8) {
        if (size < 769 || data[size - 769] != 0x0C)
            return false;
        for (int i = 0; i < 256; ++i)
            palette[i] = Pack(data[size - 768 + 3 * i], data[size - 767 + 3 * i], data[size - 766 + 3 * i]);
    } else if (planar) {
        for (int i = 0; i < 16; ++i)
            palette[i] = Pack(data[16 + 3 * i], data[17 + 3 * i], data[18 + 3 * i]);
        if (planes == 1) {
            palette[0] = Pack(0, 0, 0);
            palette[1] = Pack(255, 255, 255);
        }
    }
    if (!AllocateImage(out, width, height))
        return false;
    for (int64_t y = 0; y < height; ++y) {
        const uint8_t* line = &lines[scan * size_t(y)];
        for (int64_t x = 0; x < width; ++x) {
            uint32_t p;
            if (paletted8) {
                p = palette[line[x]];
            } else if (rgb) {
                p = Pack(line[x], line[lineBytes + x], line[2 * size_t(lineBytes) + x]);
            } else {
                unsigned index = 0;
                for (unsigned pl = 0; pl < planes; ++pl)
                    index |= ((line[pl * size_t(lineBytes) + (x >> 3)] >> (7 - (x & 7))) & 1) << pl;
                p = palette[index];
            }
            out.pixels[size_t(y) * width + x] = p;
        }
    }
    return true;
}

bool DecodePnm(const uint8_t* data, size_t size, DecodedImage& out)
{
    out = DecodedImage{};
    if (size < 3 || data[0] != 'P' || data[1] < '1' || data[1] > '6')
        return false;
    const int kind = data[1] - '0';
    size_t pos = 2;
    // Header numbers, with comments; bounded so a run of digits cannot overflow.
    auto number = [&](uint64_t& v) {
        for (;;) {
            while (pos < size && (data[pos] == ' ' || data[pos] == '\t' || data[pos] == '\r' || data[pos] == '\n'))
                ++pos;
            if (pos < size && data[pos] == '#') {
                while (pos < size && data[pos] != '\n')
                    ++pos;
                continue;
            }
            break;
        }
        if (pos >= size || data[pos] < '0' || data[pos] > '9')
            return false;
        v = 0;
        while (pos < size && data[pos] >= '0' && data[pos] <= '9') {
            v = v * 10 + (data[pos++] - '0');
            if (v > 0xFFFFFFFFull)
                return false;
        }
        return true;
    };
    uint64_t width, height, maxval = 1;
    if (!number(width) || !number(height) || (kind != 1 && kind != 4 && !number(maxval)))
        return false;
    if (!ImageSizeAllowed(int64_t(width), int64_t(height)) || maxval == 0 || maxval > 65535)
        return false;
    const bool ascii = kind <= 3;
    const unsigned channels = kind == 3 || kind == 6 ? 3 : 1;
    if (!ascii) {
        if (pos >= size)
            return false;
        ++pos; // the single white-space character before the raster
    }
    const size_t sampleBytes = maxval > 255 ? 2 : 1;
    if (kind == 4) {
        if (size - pos < ((width + 7) / 8) * height)
            return false;
    } else if (!ascii && (size - pos) / (sampleBytes * channels) < width * height) {
        return false;
    } else if (ascii && size - pos < width * height * channels) {
        return false; // every sample takes a character at least
    }
    if (!AllocateImage(out, int64_t(width), int64_t(height)))
        return false;
    auto sample = [&](uint64_t& v) {
        if (ascii) {
            if (kind == 1) {
                while (pos < size && data[pos] != '0' && data[pos] != '1') {
                    if (data[pos] == '#')
                        while (pos < size && data[pos] != '\n')
                            ++pos;
                    else
                        ++pos;
                }
                if (pos >= size)
                    return false;
                v = data[pos++] - '0';
                return true;
            }
            return number(v) && v <= maxval;
        }
        v = sampleBytes == 2 ? (unsigned(data[pos]) << 8) | data[pos + 1] : data[pos];
        pos += sampleBytes;
        return v <= maxval;
    };
    for (uint64_t y = 0; y < height; ++y) {
        const uint8_t* bits = data + pos + ((width + 7) / 8) * y;
        for (uint64_t x = 0; x < width; ++x) {
            uint32_t p;
            if (kind == 4 || kind == 1) {
                uint64_t bit;
                if (kind == 4)
                    bit = (bits[x >> 3] >> (7 - (x & 7))) & 1;
                else if (!sample(bit)) {
                    out = DecodedImage{};
                    return false;
                }
                p = bit ? Pack(0, 0, 0) : Pack(255, 255, 255);
            } else {
                uint64_t s[3] = {0, 0, 0};
                for (unsigned c = 0; c < channels; ++c)
                    if (!sample(s[c])) {
                        out = DecodedImage{};
                        return false;
                    }
                if (channels == 1)
                    s[1] = s[2] = s[0];
                p = Pack(unsigned(s[0] * 255 / maxval), unsigned(s[1] * 255 / maxval), unsigned(s[2] * 255 / maxval));
            }
            out.pixels[size_t(y * width + x)] = p;
        }
    }
    return true;
}

bool DecodeWbmp(const uint8_t* data, size_t size, DecodedImage& out)
{
    out = DecodedImage{};
    size_t pos = 0;
    // Multi-byte integers: seven bits a byte, most significant first; a set high bit says more follow.
    auto number = [&](uint64_t& value) {
        value = 0;
        for (int i = 0; i < 5 && pos < size; ++i) {
            const uint8_t b = data[pos++];
            value = value << 7 | (b & 0x7F);
            if (!(b & 0x80))
                return true;
        }
        return false;
    };
    uint64_t type = 0, width = 0, height = 0;
    // Type 0 (no colour, no compression) with a fixed header of 0 (no extension headers) is the only kind.
    if (!number(type) || type != 0 || pos >= size || data[pos++] != 0 || !number(width) || !number(height) ||
        !ImageSizeAllowed(int64_t(width), int64_t(height)))
        return false;
    const size_t stride = size_t((width + 7) / 8);
    if ((size - pos) / stride < height || !AllocateImage(out, int64_t(width), int64_t(height)))
        return false;
    for (uint64_t y = 0; y < height; ++y) {
        const uint8_t* row = data + pos + stride * y;
        for (uint64_t x = 0; x < width; ++x)
            out.pixels[size_t(y * width + x)] = (row[x >> 3] >> (7 - (x & 7))) & 1 ? Pack(255, 255, 255) : Pack(0, 0, 0);
    }
    return true;
}

bool DecodeSunRaster(const uint8_t* data, size_t size, DecodedImage& out)
{
    out = DecodedImage{};
    auto be32 = [&](size_t at) {
        return uint32_t(data[at]) << 24 | uint32_t(data[at + 1]) << 16 | uint32_t(data[at + 2]) << 8 | data[at + 3];
    };
    if (size < 32 || be32(0) != 0x59A66A95u)
        return false;
    const uint32_t width = be32(4), height = be32(8), depth = be32(12), type = be32(20), mapType = be32(24),
                   mapLength = be32(28);
    // Old, standard, run-length and RGB-ordered pictures of 1, 8, 24 or 32 bits; a colour map of RGB planes.
    if (!ImageSizeAllowed(width, height) || (depth != 1 && depth != 8 && depth != 24 && depth != 32) || type > 3 ||
        mapType > 1 || (mapType == 0 && mapLength != 0) || mapLength > size - 32)
        return false;
    size_t pos = 32;
    std::vector<uint32_t> palette;
    if (mapType == 1) {
        const size_t entries = std::min<size_t>(mapLength / 3, 256);
        for (size_t i = 0; i < entries; ++i)
            palette.push_back(Pack(data[pos + i], data[pos + mapLength / 3 + i], data[pos + 2 * (mapLength / 3) + i]));
    }
    pos += mapLength;
    const size_t stride = ((size_t(width) * depth + 15) / 16) * 2;
    const uint64_t need = uint64_t(stride) * height;
    std::vector<uint8_t> unpacked;
    const uint8_t* bits = data + pos;
    if (type == 2) {
        // A run of three bytes gives at most 256: the header's size is believed only as far as that reaches.
        if ((size - pos) * 86 < need)
            return false;
        unpacked.reserve(size_t(need));
        while (unpacked.size() < need && pos < size) {
            const uint8_t b = data[pos++];
            if (b != 0x80) {
                unpacked.push_back(b);
            } else if (pos < size && data[pos] == 0) {
                unpacked.push_back(0x80);
                ++pos;
            } else if (pos + 1 < size) {
                const size_t run = std::min<size_t>(size_t(data[pos]) + 1, size_t(need) - unpacked.size());
                unpacked.insert(unpacked.end(), run, data[pos + 1]);
                pos += 2;
            } else {
                break;
            }
        }
        if (unpacked.size() < need)
            return false;
        bits = unpacked.data();
    } else if (size - pos < need) {
        return false;
    }
    if (!AllocateImage(out, width, height))
        return false;
    for (size_t y = 0; y < height; ++y) {
        const uint8_t* row = bits + stride * y;
        for (size_t x = 0; x < width; ++x) {
            uint32_t p;
            if (depth == 1) {
                const unsigned bit = (row[x >> 3] >> (7 - (x & 7))) & 1;
                p = palette.size() >= 2 ? palette[bit] : bit ? Pack(0, 0, 0) : Pack(255, 255, 255);
            } else if (depth == 8) {
                p = row[x] < palette.size() ? palette[row[x]] : Pack(row[x], row[x], row[x]);
            } else {
                // 32-bit pixels lead with a pad byte; the RGB type stores red first, the others blue first.
                const uint8_t* c = row + x * (depth / 8) + (depth == 32 ? 1 : 0);
                p = type == 3 ? Pack(c[0], c[1], c[2]) : Pack(c[2], c[1], c[0]);
            }
            out.pixels[y * width + x] = p;
        }
    }
    return true;
}

bool DecodePgx(const uint8_t* data, size_t size, DecodedImage& out)
{
    out = DecodedImage{};
    // "PG", the byte order (ML most significant first, LM least), an optional sign, the depth, width and height.
    const std::string head(reinterpret_cast<const char*>(data), std::min<size_t>(size, 128));
    const size_t end = head.find('\n');
    if (end == std::string::npos || head.compare(0, 3, "PG ") != 0)
        return false;
    char order[3] = {};
    char sign = '+';
    unsigned depth = 0;
    unsigned long long width = 0, height = 0;
    const std::string line = head.substr(0, end);
    int used = 0;
    if (std::sscanf(line.c_str(), "PG %2s %n", order, &used) != 1)
        return false;
    size_t at = size_t(used);
    if (at < line.size() && (line[at] == '+' || line[at] == '-'))
        sign = line[at++];
    if (std::sscanf(line.c_str() + at, "%u %llu %llu", &depth, &width, &height) != 3)
        return false;
    const bool bigEndian = std::strcmp(order, "ML") == 0;
    if ((!bigEndian && std::strcmp(order, "LM") != 0) || depth < 1 || depth > 32 ||
        !ImageSizeAllowed(int64_t(std::min<unsigned long long>(width, 1ull << 40)),
                          int64_t(std::min<unsigned long long>(height, 1ull << 40))))
        return false;
    const size_t bytes = depth <= 8 ? 1 : depth <= 16 ? 2 : 4;
    const size_t pos = end + 1;
    if ((size - pos) / bytes / width < height || !AllocateImage(out, int64_t(width), int64_t(height)))
        return false;
    for (size_t i = 0; i < out.pixels.size(); ++i) {
        const uint8_t* p = data + pos + i * bytes;
        uint64_t v = 0;
        for (size_t k = 0; k < bytes; ++k)
            v = v << 8 | p[bigEndian ? k : bytes - 1 - k];
        int64_t sample = int64_t(v & ((uint64_t(1) << depth) - 1));
        if (sign == '-' && sample >= (int64_t(1) << (depth - 1)))
            sample -= int64_t(1) << depth;
        // Shown as grey over the sample's range, signed samples centred.
        if (sign == '-')
            sample += int64_t(1) << (depth - 1);
        const unsigned grey = unsigned(depth > 8 ? sample >> (depth - 8) : sample * 255 / ((int64_t(1) << depth) - 1));
        out.pixels[i] = Pack(grey, grey, grey);
    }
    return true;
}

} // namespace backend
