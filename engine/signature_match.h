// Matching the start of a sector against the file-tracing signatures.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// Longest signature a sector is compared with; longer definitions are ignored.
constexpr uint32_t kMaxTracedSignature = 15;

// The signatures of one tracing scan, in the order they are tried. A definition is held as its length n and the
// hexadecimal text of its bytes (as the file-type dialog hands it over); the sector's first n bytes are compared with
// those bytes directly.
class SignatureMatcher {
public:
    // Adds the definition that `Match` reports as `id`. Returns false (and adds nothing) for a definition that can
    // never match a sector: n of 0 or above 15, or a text that is not the hexadecimal of exactly n bytes.
    bool Add(uint32_t length, const char* hexText, int id);

    // The id of the first added definition whose bytes begin the sector, or -1. `sector` holds at least 15 bytes.
    int Match(const uint8_t* sector) const;

    size_t Size() const { return entries_.size(); }

private:
    struct Entry {
        uint8_t length;
        std::array<uint8_t, kMaxTracedSignature> bytes;
        int id;
    };
    std::vector<Entry> entries_;
    // Entries by their first byte, in the order added, so a sector is compared only with candidates that can match.
    std::array<std::vector<uint32_t>, 256> byFirstByte_;
};
