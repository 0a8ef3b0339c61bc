// libFuzzer target: arbitrary bytes through the layer's picture dispatch as the image preview hands it a recovered
// file, the library-backed codecs (PNG, JPEG, GIF, TIFF, WebP, JPEG 2000) included; the first byte picks the hint
// the file's extension would give.
#include "backend/images/image_decode.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    using backend::ImageFormat;
    static const ImageFormat hints[] = {ImageFormat::Unknown, ImageFormat::Gif,  ImageFormat::Jpeg,
                                        ImageFormat::Png,     ImageFormat::Tiff, ImageFormat::WebP,
                                        ImageFormat::Jpeg2000};
    backend::DecodedImage image;
    if (backend::DecodeImage(data + 1, size - 1, hints[data[0] % 7], image) &&
        image.pixels.size() != size_t(image.width) * size_t(image.height))
        __builtin_trap();
    return 0;
}
