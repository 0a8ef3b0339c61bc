// dovemark-mdb-reader: reads an Access database with libmdb for the preview, in a process of its own, since
// the library trusts the file's pointers and counts and the file comes from a damaged disk. It writes one
// result stream (a status word, then the body) to standard output:
//     dovemark-mdb-reader catalog FILE              the tables with their columns, the queries, the relations
//     dovemark-mdb-reader rows FILE TABLE MAXROWS   the values of the first MAXROWS rows and the count of all
#include "preview/mdb_stream.h"

#include <mdbtools.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

using namespace mdbstream;

namespace {

// The library copies catalog names into buffers of its own of this size, and each bound value into ours of
// the bind size.
const size_t kCatalogBindSize = 256;
const size_t kValueBindSize = 8192;

std::u16string FromUtf8(const char* text, size_t most = kMaxCellText)
{
    std::u16string out;
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    while (*s && out.size() < most) {
        char32_t c = *s;
        int more = 0;
        if (c >= 0xF0 && c < 0xF8) {
            c &= 0x07;
            more = 3;
        } else if (c >= 0xE0 && c < 0xF0) {
            c &= 0x0F;
            more = 2;
        } else if (c >= 0xC0 && c < 0xE0) {
            c &= 0x1F;
            more = 1;
        } else if (c >= 0x80) {
            c = 0xFFFD;
        }
        ++s;
        for (; more > 0; --more, ++s) {
            if ((*s & 0xC0) != 0x80) {
                c = 0xFFFD;
                break;
            }
            c = (c << 6) | (*s & 0x3F);
        }
        if (c >= 0x10000 && c <= 0x10FFFF) {
            c -= 0x10000;
            out.push_back(char16_t(0xD800 + (c >> 10)));
            out.push_back(char16_t(0xDC00 + (c & 0x3FF)));
        } else {
            out.push_back(c > 0x10FFFF || (c >= 0xD800 && c < 0xE000) ? char16_t(0xFFFD) : char16_t(c));
        }
    }
    return out;
}

bool SameName(const char* a, const std::string& b) { return g_ascii_strcasecmp(a, b.c_str()) == 0; }

MdbHandle* OpenDatabase(const char* path, uint32_t& error)
{
    MdbHandle* mdb = mdb_open(path, MDB_NOFLAGS);
    if (!mdb) {
        error = kErrorBadFormat;
        return nullptr;
    }
    mdb_set_bind_size(mdb, kCatalogBindSize);
    if (!mdb_read_catalog(mdb, MDB_ANY)) {
        mdb_close(mdb);
        error = kErrorBadFormat;
        return nullptr;
    }
    return mdb;
}

// A table whose column count the library's fixed arrays can hold, with its columns read.
MdbTableDef* OpenTable(MdbCatalogEntry* entry)
{
    MdbTableDef* table = mdb_read_table(entry);
    if (!table)
        return nullptr;
    if (table->num_cols > kMaxColumns) {
        mdb_free_tabledef(table);
        return nullptr;
    }
    mdb_read_columns(table);
    if (!table->columns || table->columns->len != table->num_cols) {
        mdb_free_tabledef(table);
        return nullptr;
    }
    return table;
}

MdbColumn* ColumnAt(MdbTableDef* table, unsigned i)
{
    return static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
}

// The relations, one for each name (a relation has a row for each pair of its columns).
void ReadRelations(MdbCatalogEntry* entry, uint32_t& count, Writer& out)
{
    MdbTableDef* table = OpenTable(entry);
    if (!table)
        return;
    const char* names[] = {"szRelationship", "grbit", "szObject", "szReferencedObject"};
    std::vector<std::vector<char>> bound(4, std::vector<char>(kCatalogBindSize + 1));
    bool boundAll = true;
    for (int i = 0; i < 4; ++i)
        boundAll = boundAll && mdb_bind_column_by_name(table, const_cast<char*>(names[i]), bound[i].data(), nullptr) != -1;
    if (boundAll) {
        mdb_rewind_table(table);
        std::vector<std::string> seen;
        while (count < kMaxObjects && mdb_fetch_row(table)) {
            for (auto& b : bound)
                b.back() = '\0';
            std::string name = bound[0].data();
            bool known = false;
            for (const std::string& s : seen)
                known = known || s == name;
            if (known)
                continue;
            seen.push_back(name);
            out.Text(FromUtf8(bound[0].data()));
            out.U32(uint32_t(std::strtoll(bound[1].data(), nullptr, 10)));
            out.Text(FromUtf8(bound[2].data()));
            out.Text(FromUtf8(bound[3].data()));
            ++count;
        }
    }
    mdb_free_tabledef(table);
}

uint32_t Catalog(const char* path, Writer& w)
{
    uint32_t error = 0;
    MdbHandle* mdb = OpenDatabase(path, error);
    if (!mdb)
        return error;
    Writer tables, queries, relations;
    uint32_t nTables = 0, nQueries = 0, nRelations = 0;
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type == MDB_TABLE && nTables < kMaxObjects) {
            tables.Text(FromUtf8(entry->object_name));
            tables.U32(uint32_t(entry->flags));
            MdbTableDef* table = OpenTable(entry);
            uint32_t columns = table ? table->num_cols : 0;
            tables.U32(columns);
            for (uint32_t c = 0; c < columns; ++c) {
                MdbColumn* col = ColumnAt(table, c);
                tables.Text(FromUtf8(col->name));
                tables.U32(uint32_t(col->col_type));
                tables.U32(uint32_t(col->col_size));
            }
            if (table)
                mdb_free_tabledef(table);
            ++nTables;
            if (SameName(entry->object_name, "MSysRelationships"))
                ReadRelations(entry, nRelations, relations);
        } else if (entry->object_type == MDB_QUERY && nQueries < kMaxObjects) {
            queries.Text(FromUtf8(entry->object_name));
            queries.U32(uint32_t(entry->flags));
            ++nQueries;
        }
    }
    mdb_close(mdb);
    w.U32(nTables);
    w.Raw(tables.out.data(), tables.out.size());
    w.U32(nQueries);
    w.Raw(queries.out.data(), queries.out.size());
    w.U32(nRelations);
    w.Raw(relations.out.data(), relations.out.size());
    return kErrorNone;
}

// "1234.5600" in ten-thousandths.
int64_t ParseMoney(const char* text)
{
    bool negative = *text == '-';
    if (negative || *text == '+')
        ++text;
    int64_t whole = 0, fraction = 0;
    int digits = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        if (whole < INT64_MAX / 100000)
            whole = whole * 10 + (*text - '0');
    if (*text == '.')
        for (++text; *text >= '0' && *text <= '9' && digits < 4; ++text, ++digits)
            fraction = fraction * 10 + (*text - '0');
    for (; digits < 4; ++digits)
        fraction *= 10;
    int64_t value = whole * 10000 + fraction;
    return negative ? -value : value;
}

// Days from 1970-01-01 of a date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// "YYYY-MM-DD hh:mm:ss" as a date value (days since 1899-12-30; before it the day is negative and the time
// still counts forward); false for other text.
bool ParseDate(const char* text, double& value)
{
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    if (std::sscanf(text, "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s) < 3)
        return false;
    if (y < 100 || y > 9999 || mo < 1 || mo > 12 || d < 1 || d > 31 || h < 0 || h > 23 || mi < 0 || mi > 59 ||
        s < 0 || s > 59)
        return false;
    const int64_t days = DaysFromCivil(y, mo, d) - DaysFromCivil(1899, 12, 30);
    const double time = (h * 3600 + mi * 60 + s) / 86400.0;
    value = days >= 0 ? double(days) + time : double(days) - time;
    return true;
}

void WriteCell(Writer& w, int type, const char* text, int length)
{
    uint32_t kind = kCellNull;
    int64_t number = 0;
    double real = 0;
    std::u16string str;
    if (type == MDB_BOOL) {
        kind = kCellBool;
        number = *text && std::strcmp(text, "0") != 0;
    } else if (length > 0) {
        switch (type) {
        case MDB_BYTE: kind = kCellByte; number = std::strtol(text, nullptr, 10) & 0xFF; break;
        case MDB_INT: kind = kCellI2; number = int16_t(std::strtol(text, nullptr, 10)); break;
        case MDB_LONGINT:
        case MDB_COMPLEX: kind = kCellI4; number = int32_t(std::strtoll(text, nullptr, 10)); break;
        case MDB_MONEY: kind = kCellCurrency; number = ParseMoney(text); break;
        case MDB_FLOAT: kind = kCellR4; real = std::strtod(text, nullptr); break;
        case MDB_DOUBLE: kind = kCellR8; real = std::strtod(text, nullptr); break;
        case MDB_DATETIME:
            if (ParseDate(text, real)) {
                kind = kCellDate;
            } else {
                kind = kCellText;
                str = FromUtf8(text);
            }
            break;
        case MDB_BINARY:
        case MDB_OLE: kind = kCellBinary; break;
        case MDB_NUMERIC: kind = kCellDecimal; break;
        default: kind = kCellText; str = FromUtf8(text); break;
        }
    }
    w.U32(kind);
    w.I64(number);
    w.F64(real);
    w.Text(str);
}

uint32_t Rows(const char* path, const std::string& name, long maxRows, Writer& w)
{
    uint32_t error = 0;
    MdbHandle* mdb = OpenDatabase(path, error);
    if (!mdb)
        return error;
    MdbCatalogEntry* found = nullptr;
    for (unsigned i = 0; i < mdb->num_catalog && !found; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type == MDB_TABLE && SameName(entry->object_name, name))
            found = entry;
    }
    MdbTableDef* table = found ? OpenTable(found) : nullptr;
    if (!table) {
        mdb_close(mdb);
        return found ? kErrorBadFormat : kErrorNoObject;
    }
    mdb_set_bind_size(mdb, kValueBindSize);
    mdb_set_date_fmt(mdb, "%Y-%m-%d %H:%M:%S");
    const unsigned columns = table->num_cols;
    std::vector<std::vector<char>> bound(columns, std::vector<char>(kValueBindSize + 1));
    std::vector<int> lengths(columns);
    for (unsigned c = 0; c < columns; ++c)
        mdb_bind_column(table, int(c + 1), bound[c].data(), &lengths[c]);
    mdb_rewind_table(table);
    Writer rows;
    uint32_t kept = 0;
    int64_t total = 0;
    while (mdb_fetch_row(table)) {
        if (total < maxRows) {
            for (unsigned c = 0; c < columns; ++c) {
                bound[c].back() = '\0';
                WriteCell(rows, ColumnAt(table, c)->col_type, bound[c].data(), lengths[c]);
            }
            ++kept;
        }
        if (total < INT32_MAX)
            ++total;
        std::fill(lengths.begin(), lengths.end(), 0);
        for (auto& b : bound)
            b[0] = '\0';
    }
    mdb_free_tabledef(table);
    mdb_close(mdb);
    w.U32(columns);
    w.U32(kept);
    w.I64(total);
    w.Raw(rows.out.data(), rows.out.size());
    return kErrorNone;
}

bool WriteAll(const std::string& out)
{
    size_t done = 0;
    while (done < out.size()) {
        ssize_t n = write(STDOUT_FILENO, out.data() + done, out.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    Writer body;
    uint32_t status = kErrorBadFormat;
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "catalog" && argc == 3) {
        status = Catalog(argv[2], body);
    } else if (command == "rows" && argc == 5) {
        char* end = nullptr;
        long most = std::strtol(argv[4], &end, 10);
        if (*end || most < 0)
            return 2;
        status = Rows(argv[2], argv[3], most, body);
    } else {
        std::fprintf(stderr, "usage: %s catalog FILE | rows FILE TABLE MAXROWS\n", argv[0]);
        return 2;
    }
    Writer out;
    out.U32(status);
    if (status == kErrorNone)
        out.Raw(body.out.data(), body.out.size());
    // The library's own allocations are not freed on every path; the process ends here, its answer written.
    _exit(WriteAll(out.out) ? 0 : 2);
}
