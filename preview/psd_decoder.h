// PsdDecoder: reads a Photoshop document's header, colour mode data, image resources and composite
// image and converts the composite to 24-bit RGB. It stands on no window or drawing service, so a
// fuzzer can drive it alone; CPsdImage gives it its file and its bitmap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Result codes of a load.
enum PsdResult {
    PSD_OK = 0,
    PSD_CANNOT_OPEN = -1,
    PSD_BAD_HEADER = -2,
    PSD_NO_MEMORY_COLOR_DATA = -3,
    PSD_BAD_RESOURCES = -4,
    PSD_NO_MEMORY_IMAGE = -6,
    PSD_NO_BITMAP = -9,
    PSD_ZIP = -10,
    PSD_ZIP_PREDICTION = -11,
    PSD_UNKNOWN_COMPRESSION = -12,
};

// Limits that keep a hostile file from asking for more than a preview needs: the image's sides and
// channels as the format allows them, and at most 64 million pixels.
const int32_t kPsdMaxSide = 30000;
const int kPsdMaxChannels = 56;
const uint64_t kPsdMaxPixels = uint64_t(64) << 20;

// The bytes of the document, read in order.
class PsdSource {
public:
    virtual ~PsdSource() = default;
    // Up to n bytes; fewer only at the end.
    virtual size_t Read(uint8_t* buffer, size_t n) = 0;
    // Bytes left to read.
    virtual uint64_t Remaining() const = 0;
};

// Where the picture goes: a bottom-up 24-bit BGR bitmap whose rows are padded to four bytes, as a
// device-independent bitmap holds it.
class PsdBitmapSink {
public:
    virtual ~PsdBitmapSink() = default;
    // The first byte of the bitmap's bits, filled white; null when no bitmap can be made.
    virtual uint8_t* CreateBitmap(int width, int height, int32_t xPelsPerMeter, int32_t yPelsPerMeter) = 0;
};

struct PsdHeader {
    int16_t channels = -1;
    int32_t height = -1;
    int32_t width = -1;
    int16_t depth = -1;
    int16_t mode = -1;
};

struct PsdResolution {
    uint16_t hRes = 0;
    uint32_t hResFraction = 0;
    uint16_t widthUnit = 0;
    uint16_t vRes = 0;
    uint32_t vResFraction = 0;
    uint16_t heightUnit = 0;
};

struct PsdThumbnailHeader {
    uint32_t format = 0, width = 0, height = 0, rowBytes = 0, totalSize = 0, compressedSize = 0;
    uint16_t bitsPerPixel = 0, planes = 0;
};

class PsdDecoder {
public:
    enum Mode { BITMAP = 0, GREYSCALE = 1, INDEXED = 2, RGB = 3, CMYK = 4, MULTICHANNEL = 7, DUOTONE = 8, LAB = 9 };

    // Reads the whole document; the result is one of PsdResult. PSD_OK with no bitmap means the
    // image data was incomplete or unusable.
    int Load(PsdSource& source, PsdBitmapSink& sink);
    bool HasBitmap() const { return m_hasBitmap; }

    PsdHeader m_header;
    std::vector<uint8_t> m_colorModeData;
    bool m_hasResolution = false;
    PsdResolution m_resolution;
    bool m_hasHeaderCopy = false;
    uint16_t m_headerCopy[5] = {};
    bool m_hasDisplayInfo = false;
    uint16_t m_displayColorSpace = 0, m_displayColor[4] = {}, m_displayOpacity = 0;
    bool m_displayKind = false;
    bool m_hasThumbnail = false;
    PsdThumbnailHeader m_thumbnail;
    bool m_copyrightFlag = false;
    uint32_t m_globalAngle = 30;
    int16_t m_indexedColorCount = -1;
    int16_t m_transparentIndex = -1;

    static uint32_t ReadBigEndian(const uint8_t* bytes, int n);

private:
    bool ReadHeader();
    int ReadColorModeData();
    bool ReadImageResources();
    void SkipLayerAndMask();
    int ReadImageData(PsdBitmapSink& sink);
    bool DecodePackBits(std::vector<uint8_t>& samples);
    bool ReadRaw(std::vector<uint8_t>& samples);
    void Convert(const std::vector<uint8_t>& samples, uint8_t* bits) const;

    bool Read(void* buffer, size_t n);
    bool ReadU16(uint16_t& v);
    bool ReadU32(uint32_t& v);
    // Skips up to n bytes and returns how many there were.
    uint64_t Skip(uint64_t n);

    PsdSource* m_source = nullptr;
    bool m_hasBitmap = false;
};
