// The walk over the headers of a tar archive held in memory (the decompressed data of a .tar.gz).
// Every header is tested only when all its 512 bytes lie inside the data, an item's size is
// clamped to the bytes that follow its header, and offsets are 64-bit. It stands on no window or
// file service, so a fuzzer can drive it alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

const size_t kTarBlock = 512;

// An octal number field: leading blanks skipped, read up to the first non-octal byte or the
// field's end.
uint64_t TarOctalField(const uint8_t* field, size_t length);
// Whether a whole header lies at the offset and its checksum (the sum of its bytes, the checksum
// field counted as blanks) matches the number in the checksum field.
bool TarHeaderValid(const uint8_t* data, size_t size, uint64_t offset);
// The number of valid headers from the start, stopping at the first invalid one or the data's end.
size_t TarCountItems(const uint8_t* data, size_t size);

struct TarItem {
    uint64_t dataOffset = 0;
    uint64_t size = 0; // clamped to the bytes after the header
    char type = 0;
    std::string name;
    uint64_t modified = 0; // seconds since 1970
};

enum TarFindResult { kTarFound = 0, kTarBadPosition = -1, kTarBadHeader = -2 };
// Walks to item i: kTarBadPosition when a header before it is invalid, kTarBadHeader when its own is.
int TarFindItem(const uint8_t* data, size_t size, size_t index, TarItem& item);
