// The signature matcher of file tracing: first-byte buckets over definitions kept in their scan order.
#include "engine/signature_match.h"

#include <cstring>

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

bool SignatureMatcher::Add(uint32_t length, const char* hexText, int id)
{
    if (length == 0 || length > kMaxTracedSignature || !hexText)
        return false;
    if (std::strlen(hexText) != length * 2)
        return false;
    Entry entry{static_cast<uint8_t>(length), {}, id};
    for (uint32_t i = 0; i < length; ++i) {
        int high = HexDigit(hexText[2 * i]);
        int low = HexDigit(hexText[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        entry.bytes[i] = static_cast<uint8_t>(high << 4 | low);
    }
    byFirstByte_[entry.bytes[0]].push_back(static_cast<uint32_t>(entries_.size()));
    entries_.push_back(entry);
    return true;
}

int SignatureMatcher::Match(const uint8_t* sector) const
{
    for (uint32_t index : byFirstByte_[sector[0]]) {
        const Entry& entry = entries_[index];
        if (std::memcmp(sector, entry.bytes.data(), entry.length) == 0)
            return entry.id;
    }
    return -1;
}
