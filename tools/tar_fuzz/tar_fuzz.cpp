// Feeds arbitrary bytes to the tar header walk as decompressed data, touching every item's bytes.
#include "preview/archive/tar_walk.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> bytes(data, data + size);
    size_t count = TarCountItems(bytes.data(), bytes.size());
    uint64_t sum = 0;
    for (size_t i = 0; i <= count && i < 32; ++i) {
        TarItem item;
        if (TarFindItem(bytes.data(), bytes.size(), i, item) != kTarFound)
            continue;
        for (uint64_t b = 0; b < item.size; ++b)
            sum += bytes[size_t(item.dataOffset + b)];
    }
    static volatile uint64_t sink;
    sink = sum;
    return 0;
}
