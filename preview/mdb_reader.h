// MdbReader: what the Access preview reads of a database file: the objects of its catalog and the rows of
// one table. Every read is done by the reader program (tools/mdb_reader) in a process of its own with a time
// limit, since its library trusts the file's pointers and counts and the file comes from a damaged disk.
#pragma once

#include "afx/afx.h"

#include <cstdint>
#include <string>
#include <vector>

// The engine's error numbers the reader answers with (DAO's own numbers).
enum MdbError : LONG {
    kMdbErrorNone = 0,
    kMdbErrorNotFound = 3024,       // the file cannot be opened
    kMdbErrorNoObject = 3011,       // no table of that name
    kMdbErrorReadOnly = 3027,       // the database cannot be changed
    kMdbErrorBadFormat = 3343,      // not a database, or a damaged one
    kMdbErrorNoReader = 3170,       // the reader program is not installed
};
// The SCODE of an engine error, as DAO reports it.
inline LONG MdbErrorScode(LONG error) { return LONG(0x800A0000u | DWORD(error & 0xFFFF)); }

struct MdbColumnInfo {
    CString name;
    int type = 0;   // the file's column type (1 Boolean ... 10 text, 12 memo ...)
    int size = 0;   // bytes
};

struct MdbTableInfo {
    CString name;
    LONG flags = 0;   // the catalog's attribute bits (0x80000002 system or hidden)
    std::vector<MdbColumnInfo> columns;
};

struct MdbQueryInfo {
    CString name;
    LONG type = 0;
};

struct MdbRelationInfo {
    CString name, table, foreignTable;
    LONG attributes = 0;
};

struct MdbCatalogInfo {
    std::vector<MdbTableInfo> tables;
    std::vector<MdbQueryInfo> queries;
    std::vector<MdbRelationInfo> relations;
};

// One field value: its variant type and the value in the member that type uses.
struct MdbCell {
    VARTYPE vt = VT_NULL;
    int64_t number = 0;   // VT_BOOL, VT_UI1, VT_I2, VT_I4, VT_CY (in 1/10000)
    double real = 0;      // VT_R4, VT_R8, VT_DATE
    std::u16string text;  // VT_BSTR
};

struct MdbRowSet {
    int columns = 0;                         // the table's fields: the cells of each row
    std::vector<std::vector<MdbCell>> rows;  // the first rows, up to the limit asked for
    long total = 0;                          // every row of the table
};

// The header check done before the library sees the file: the page-0 signature, a known version and
// room for the catalog's definition page. kMdbErrorNone when the file may be a database.
LONG CheckMdbHeader(const std::string& bytes, uint64_t fileSize);

// The objects of the database; false with the engine's error number in *error.
bool ReadMdbCatalog(const CString& path, MdbCatalogInfo& catalog, LONG* error);
// The rows of one table: the values of the first maxRows, and the count of all.
bool ReadMdbRows(const CString& path, const CString& table, long maxRows, MdbRowSet& rows, LONG* error);

// The longest a read may take before the file is taken for damaged (the reader is then killed).
void SetMdbReadTimeout(int milliseconds);
// The reader program to run instead of the installed one (an empty path restores it).
void SetMdbReaderProgram(const std::string& path);
