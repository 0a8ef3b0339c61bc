// The byte stream in which the Access reader program hands a database's catalog and rows to the preview:
// little-endian words and UTF-16 texts, each read checked against what is left. Shared by both sides, so it
// uses nothing of the platform layer.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

namespace mdbstream {

// The kinds of a field value, numbered as the variant types the record list formats.
enum CellType : uint32_t {
    kCellNull = 1,
    kCellI2 = 2,
    kCellI4 = 3,
    kCellR4 = 4,
    kCellR8 = 5,
    kCellCurrency = 6,   // in ten-thousandths
    kCellDate = 7,       // days since 1899-12-30
    kCellText = 8,
    kCellBool = 11,
    kCellDecimal = 14,   // named only
    kCellByte = 17,
    kCellBinary = 0x2011,  // an array of bytes, named only
};

// The reader's error numbers (the data access engine's own).
enum Error : uint32_t {
    kErrorNone = 0,
    kErrorNotFound = 3024,   // the file cannot be opened
    kErrorNoObject = 3011,   // no table of that name
    kErrorReadOnly = 3027,   // the database cannot be changed
    kErrorBadFormat = 3343,  // not a database, or a damaged one
};

// Catalog sizes beyond any real database, and the library's column limit.
const uint32_t kMaxObjects = 100000;
const uint32_t kMaxColumns = 256;
// The longest text a value carries, in UTF-16 units: more than a list cell shows.
const uint32_t kMaxCellText = 4096;

class Writer {
public:
    void U32(uint32_t v) { Raw(&v, sizeof v); }
    void I64(int64_t v) { Raw(&v, sizeof v); }
    void F64(double v) { Raw(&v, sizeof v); }
    void Text(const std::u16string& s)
    {
        U32(uint32_t(s.size()));
        Raw(s.data(), s.size() * sizeof(char16_t));
    }
    void Raw(const void* p, size_t n) { out.append(static_cast<const char*>(p), n); }
    std::string out;
};

class Reader {
public:
    explicit Reader(const std::string& in) : m_in(in) {}
    bool U32(uint32_t& v) { return Raw(&v, sizeof v); }
    bool I64(int64_t& v) { return Raw(&v, sizeof v); }
    bool F64(double& v) { return Raw(&v, sizeof v); }
    bool Text(std::u16string& s)
    {
        uint32_t n = 0;
        if (!U32(n) || n > (m_in.size() - m_pos) / sizeof(char16_t))
            return false;
        s.resize(n);
        return Raw(s.data(), n * sizeof(char16_t));
    }
    // A count no greater than `most`.
    bool Count(uint32_t& n, uint32_t most) { return U32(n) && n <= most; }
    bool AtEnd() const { return m_pos == m_in.size(); }

private:
    bool Raw(void* p, size_t n)
    {
        if (n > m_in.size() - m_pos)
            return false;
        std::memcpy(p, m_in.data() + m_pos, n);
        m_pos += n;
        return true;
    }
    const std::string& m_in;
    size_t m_pos = 0;
};

} // namespace mdbstream
