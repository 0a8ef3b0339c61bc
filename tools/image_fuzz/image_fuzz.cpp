// Feeds arbitrary bytes to each of the own picture readers; the first byte picks the reader.
#include "backend/images/image_decode.h"

namespace backend {
// Icons may hold PNG images; the codec library is not part of this target.
bool DecodePng(const uint8_t*, size_t, DecodedImage& out)
{
    out = DecodedImage{};
    return false;
}
} // namespace backend

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    backend::DecodedImage image;
    using Reader = bool (*)(const uint8_t*, size_t, backend::DecodedImage&);
    static const Reader readers[] = {backend::DecodeBmp, backend::DecodeIco, backend::DecodeTga, backend::DecodePcx,
                                     backend::DecodePnm};
    readers[data[0] % 5](data + 1, size - 1, image);
    return 0;
}
