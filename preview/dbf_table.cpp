// The dBASE table reader: descriptors up to the terminator, then records of fixed length.
#include "preview/dbf_table.h"

#include <algorithm>
#include <cstring>

namespace {

const size_t kHeaderSize = 32;
const size_t kDescriptorSize = 32;
const uint8_t kTerminator = 0x0D;

} // namespace

int DbfTableReader::Read(const uint8_t* data, size_t size, Sink& sink)
{
    m_fields.clear();
    m_firstRecord = 0;
    if (size <= kHeaderSize)
        return TOO_SHORT;
    size_t p = kHeaderSize;
    size_t terminator = 0;
    int descriptors = 0;
    for (; p < size; p += kDescriptorSize) {
        ++descriptors;
        if (data[p] == kTerminator) {
            terminator = p;
            break;
        }
        if (descriptors > kMaxFields) {
            m_fields.clear();
            return TOO_MANY_FIELDS;
        }
        // A descriptor whose length byte lies past the end is no descriptor.
        if (p + 16 >= size)
            return BAD_HEADER;
        DbfField f;
        const char* name = reinterpret_cast<const char*>(data + p);
        f.name.assign(name, strnlen(name, 11));
        f.type = (char)data[p + 11];
        f.length = data[p + 16];
        f.decimals = p + 17 < size ? data[p + 17] : 0;
        m_fields.push_back(f);
    }
    if (!terminator || m_fields.empty())
        return BAD_HEADER;
    for (const DbfField& f : m_fields)
        sink.OnField(f);

    // The header's own header and record lengths place the first record exactly, even when that
    // record is deleted; a header that disagrees with the descriptors falls back to a scan for the
    // first undeleted record.
    size_t recordLength = 1;
    for (const DbfField& f : m_fields)
        recordLength += f.length;
    size_t headerLength = (size_t)data[8] | (size_t)data[9] << 8;
    size_t storedRecordLength = (size_t)data[10] | (size_t)data[11] << 8;
    size_t pos;
    if (storedRecordLength == recordLength && headerLength > terminator && headerLength <= size) {
        pos = headerLength;
    } else {
        pos = terminator;
        while (pos < size && data[pos] != 0x20)
            ++pos;
    }
    m_firstRecord = pos;

    std::vector<std::string_view> cells(m_fields.size());
    // A record needs its flag and at least one byte more: a lone end-of-file mark after the last
    // record, or a flag cut off by the end of the file, is no record. The position is compared
    // with the end as "at or past", since a cut-off record moves it past the end.
    for (int number = 1; number <= kMaxRows && pos + 1 < size; ++number) {
        ++pos; // the deletion flag: deleted records are shown like the others
        for (size_t i = 0; i < m_fields.size(); ++i) {
            size_t n = m_fields[i].length;
            size_t have = pos < size ? std::min(n, size - pos) : 0;
            const char* bytes = reinterpret_cast<const char*>(data + std::min(pos, size));
            cells[i] = std::string_view(bytes, strnlen(bytes, have));
            pos += n;
        }
        sink.OnRecord(number, cells);
    }
    return OK;
}
