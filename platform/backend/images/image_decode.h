// Decoding picture files into 32-bit pixels: one entry point over the codec libraries and the own readers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace backend {

// A file may claim any size in its header; nothing larger than this is allocated or decoded, whatever the codec.
constexpr int kMaxImageDimension = 30000;
constexpr uint64_t kMaxImagePixels = 64ull << 20;
// Larger files are not read into memory for decoding.
constexpr uint64_t kMaxImageFileBytes = 256ull << 20;

// Pixels top-down, each 0xAARRGGBB (B, G, R, A in memory). Opaque formats carry alpha 0xFF.
struct DecodedImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    bool hasAlpha = false;
    // A picture may hold pixels for one rectangle of itself only (a GIF frame on a larger logical screen):
    // `pixels` then covers `part` and every other pixel is `backdrop`. A file of a few bytes can claim a screen
    // of millions of pixels; they are only made when a whole raster is asked for (ComposeImage).
    struct Rect {
        int left = 0, top = 0, width = 0, height = 0;
    } part;
    uint32_t backdrop = 0xFFFFFFFF;
    bool IsPartial() const { return pixels.size() != size_t(width) * size_t(height); }
    // The picture's size as the file gives it; larger than width × height when it was decoded reduced.
    int fullWidth = 0;
    int fullHeight = 0;
};

// The box a picture of the full size is shown in (width, height), for codecs that can decode at a reduced
// scale: they decode at the smallest scale that still covers the box.
using ShownBox = std::function<std::pair<int, int>(int fullWidth, int fullHeight)>;

// Makes a partial picture whole (its pixels at their place on the backdrop); false when that is beyond the
// caps, leaving the picture as it was.
bool ComposeImage(DecodedImage& image);

enum class ImageFormat { Unknown, Bmp, Ico, Gif, Jpeg, Png, Tiff, WebP, Jpeg2000, Tga, Pcx, Pnm, Emf, Wbmp, SunRaster, Pgx, Wmf };

// The format a file name's extension (without the dot, any case) names.
ImageFormat ImageFormatOfExtension(const std::string& ext);
// The format the data's signature shows; Unknown for formats without one (TGA, PCX by extension only).
ImageFormat SniffImageFormat(const uint8_t* data, size_t size);

// Decodes by signature, falling back to `hint` for formats without one. False for damaged data, an
// unsupported variant or dimensions beyond the caps; `out` is then empty. A partial picture is made whole
// unless the caller takes it as it is; given a box, a picture may come reduced (see ShownBox).
bool DecodeImage(const uint8_t* data, size_t size, ImageFormat hint, DecodedImage& out, bool allowPartial = false,
                 const ShownBox& box = {});
bool DecodeImageFile(const std::string& path, DecodedImage& out);

// True when width × height lies within the caps; every decoder asks this before it allocates.
bool ImageSizeAllowed(int64_t width, int64_t height);
// Sizes `out` for width × height pixels (all 0); false when beyond the caps.
bool AllocateImage(DecodedImage& out, int64_t width, int64_t height);

// The own readers (image_readers.cpp).
bool DecodeBmp(const uint8_t* data, size_t size, DecodedImage& out);
// A device-independent bitmap without its file header, as icons hold it; `andMask` reads the transparency
// mask after the colours and takes half the stored height.
bool DecodeDib(const uint8_t* data, size_t size, bool andMask, DecodedImage& out);
bool DecodeIco(const uint8_t* data, size_t size, DecodedImage& out);
bool DecodeTga(const uint8_t* data, size_t size, DecodedImage& out);
bool DecodePcx(const uint8_t* data, size_t size, DecodedImage& out);
bool DecodePnm(const uint8_t* data, size_t size, DecodedImage& out);
bool DecodeWbmp(const uint8_t* data, size_t size, DecodedImage& out);
bool DecodeSunRaster(const uint8_t* data, size_t size, DecodedImage& out);
// JPEG 2000's plain test format: one grey component, raw samples after a one-line header.
bool DecodePgx(const uint8_t* data, size_t size, DecodedImage& out);

// Enhanced metafiles, played (emf_player.h) on a canvas the layer's GDI provides: it installs the maker of a
// canvas that draws into `target`, already sized to the picture. Without one, metafiles do not decode.
class EmfCanvas;
using EmfCanvasMaker = std::unique_ptr<EmfCanvas> (*)(DecodedImage& target);
void SetEmfCanvasMaker(EmfCanvasMaker maker);
bool DecodeEmf(const uint8_t* data, size_t size, DecodedImage& out);
// Windows metafiles, turned into an enhanced metafile and played as one (wmf_converter.cpp).
bool DecodeWmf(const uint8_t* data, size_t size, DecodedImage& out);
// The enhanced metafile a Windows metafile draws as; false when it is none or cannot be sized.
bool ConvertWmfToEmf(const uint8_t* data, size_t size, std::vector<uint8_t>& emf);

// The library codecs (image_codecs.cpp).
bool DecodePng(const uint8_t* data, size_t size, DecodedImage& out);
bool DecodeJpeg(const uint8_t* data, size_t size, DecodedImage& out, const ShownBox& box = {});
bool DecodeGif(const uint8_t* data, size_t size, DecodedImage& out);
bool DecodeTiff(const uint8_t* data, size_t size, DecodedImage& out);
bool DecodeWebP(const uint8_t* data, size_t size, DecodedImage& out);
bool DecodeJpeg2000(const uint8_t* data, size_t size, DecodedImage& out);

} // namespace backend
