// The tar header walk over decompressed data.
#include "preview/archive/tar_walk.h"

#include <algorithm>
#include <cstring>

namespace {

const size_t kSizeField = 124, kTimeField = 136, kChecksumField = 148, kTypeField = 156;

// The offset of the header after the one at `offset`; the size is clamped, so the sum cannot
// overflow.
uint64_t NextHeader(uint64_t offset, uint64_t size)
{
    return offset + kTarBlock + (size + kTarBlock - 1) / kTarBlock * kTarBlock;
}

uint64_t ClampedSize(const uint8_t* data, size_t size, uint64_t offset)
{
    uint64_t declared = TarOctalField(data + offset + kSizeField, 12);
    uint64_t left = size - (offset + kTarBlock);
    return std::min(declared, left);
}

} // namespace

uint64_t TarOctalField(const uint8_t* field, size_t length)
{
    size_t i = 0;
    while (i < length && (field[i] == ' ' || field[i] == '\t' || field[i] == '\n' || field[i] == '\r'
                          || field[i] == '\v' || field[i] == '\f'))
        ++i;
    uint64_t value = 0;
    for (; i < length && field[i] >= '0' && field[i] <= '7'; ++i)
        if (value < (uint64_t(1) << 60))
            value = value * 8 + uint64_t(field[i] - '0');
    return value;
}

bool TarHeaderValid(const uint8_t* data, size_t size, uint64_t offset)
{
    if (offset > size || size - offset < kTarBlock)
        return false;
    const uint8_t* h = data + offset;
    uint64_t sum = 0;
    for (size_t i = 0; i < kTarBlock; ++i)
        sum += i >= kChecksumField && i < kChecksumField + 8 ? 32 : h[i];
    return sum == TarOctalField(h + kChecksumField, 8);
}

size_t TarCountItems(const uint8_t* data, size_t size)
{
    size_t count = 0;
    for (uint64_t offset = 0; TarHeaderValid(data, size, offset);
         offset = NextHeader(offset, ClampedSize(data, size, offset)))
        ++count;
    return count;
}

int TarFindItem(const uint8_t* data, size_t size, size_t index, TarItem& item)
{
    uint64_t offset = 0;
    for (size_t i = 0; i < index; ++i) {
        if (!TarHeaderValid(data, size, offset))
            return kTarBadPosition;
        offset = NextHeader(offset, ClampedSize(data, size, offset));
    }
    if (!TarHeaderValid(data, size, offset))
        return kTarBadHeader;
    const uint8_t* h = data + offset;
    item.dataOffset = offset + kTarBlock;
    item.size = ClampedSize(data, size, offset);
    item.type = char(h[kTypeField]);
    item.name.assign(reinterpret_cast<const char*>(h), strnlen(reinterpret_cast<const char*>(h), 100));
    item.modified = TarOctalField(h + kTimeField, 12);
    return kTarFound;
}
