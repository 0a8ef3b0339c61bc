// The Access reader: header checks, the reader program run with a time limit, and its answer read back as a
// bounded byte stream.
#include "preview/mdb_reader.h"

#include "preview/child_process.h"
#include "preview/mdb_stream.h"
#include "preview/preview_host.h"

#include <atomic>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using mdbstream::Reader;
using mdbstream::kMaxColumns;
using mdbstream::kMaxObjects;

std::atomic<int> g_timeoutMs{20000};
std::mutex g_programLock;
std::string g_program;

// The most one answer may hold: a table's first rows are capped by the caller, their texts by the reader.
const size_t kMaxResultBytes = size_t(256) << 20;
const char kReaderName[] = "dovemark-mdb-reader";

bool Executable(const std::string& path) { return !path.empty() && access(path.c_str(), X_OK) == 0; }

// The reader program: the one set by a test, else the one beside the executable, else the one the build made.
std::string ReaderProgram()
{
    {
        std::lock_guard<std::mutex> lock(g_programLock);
        if (!g_program.empty())
            return Executable(g_program) ? g_program : std::string();
    }
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) {
        std::string path(self, size_t(n));
        path = path.substr(0, path.rfind('/') + 1) + kReaderName;
        if (Executable(path))
            return path;
    }
#ifdef DOVEMARK_MDB_READER_BUILT
    if (Executable(DOVEMARK_MDB_READER_BUILT))
        return DOVEMARK_MDB_READER_BUILT;
#endif
    return std::string();
}

enum class RunResult { kOk, kNoProgram, kFailed };

// Runs the reader with its arguments and collects what it writes; it is killed when it overruns the size
// or the time limit.
RunResult RunReader(const std::vector<std::string>& args, std::string& result)
{
    const std::string program = ReaderProgram();
    if (program.empty())
        return RunResult::kNoProgram;
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    ChildProcessLimits limits;
    limits.timeoutMs = g_timeoutMs.load();
    limits.maxOutputBytes = kMaxResultBytes;
    return RunChildProcess(argv, limits, result) == ChildProcessResult::kOk ? RunResult::kOk : RunResult::kFailed;
}

// Runs the reader and takes the status word of its answer; the body stays in `result` after it.
bool Ask(const std::vector<std::string>& args, std::string& result, LONG* error)
{
    switch (RunReader(args, result)) {
    case RunResult::kNoProgram:
        ReportPreviewComponentUnavailable();
        *error = kMdbErrorNoReader;
        return false;
    case RunResult::kFailed:
        *error = kMdbErrorBadFormat;
        return false;
    case RunResult::kOk: break;
    }
    uint32_t status = 0;
    if (result.size() < sizeof status) {
        *error = kMdbErrorBadFormat;
        return false;
    }
    std::memcpy(&status, result.data(), sizeof status);
    result.erase(0, sizeof status);
    if (status != 0) {
        *error = status == kMdbErrorNotFound || status == kMdbErrorNoObject ? LONG(status) : kMdbErrorBadFormat;
        return false;
    }
    return true;
}

bool KnownCell(uint32_t kind)
{
    using namespace mdbstream;
    switch (kind) {
    case kCellNull: case kCellI2: case kCellI4: case kCellR4: case kCellR8: case kCellCurrency: case kCellDate:
    case kCellText: case kCellBool: case kCellDecimal: case kCellByte: case kCellBinary: return true;
    default: return false;
    }
}

bool Text(Reader& in, CString& s)
{
    std::u16string t;
    if (!in.Text(t))
        return false;
    s = CString(t.c_str(), int(t.size()));
    return true;
}

// The path the library opens, after the header checks; kMdbErrorNone when it may be read.
LONG PrepareFile(const CString& path, std::string& hostPath)
{
    if (!dovemark::MapPath(path, hostPath))
        return kMdbErrorNotFound;
    std::ifstream file(hostPath, std::ios::binary);
    struct stat st {};
    if (!file || stat(hostPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return kMdbErrorNotFound;
    std::string head(3 * 4096, '\0');
    file.read(head.data(), std::streamsize(head.size()));
    head.resize(size_t(file.gcount()));
    return CheckMdbHeader(head, uint64_t(st.st_size));
}

void Rc4(const unsigned char* key, size_t keyLength, unsigned char* data, size_t length)
{
    unsigned char s[256];
    for (int i = 0; i < 256; ++i)
        s[i] = (unsigned char)i;
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + key[size_t(i) % keyLength]) & 0xFF;
        std::swap(s[i], s[j]);
    }
    for (size_t n = 0, i = 0, j = 0; n < length; ++n) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        data[n] ^= s[(s[i] + s[j]) & 0xFF];
    }
}

} // namespace

void SetMdbReadTimeout(int milliseconds) { g_timeoutMs = milliseconds; }

void SetMdbReaderProgram(const std::string& path)
{
    std::lock_guard<std::mutex> lock(g_programLock);
    g_program = path;
}

LONG CheckMdbHeader(const std::string& bytes, uint64_t fileSize)
{
    static const char kJet[] = "Standard Jet DB";
    static const char kAce[] = "Standard ACE DB";
    if (bytes.size() < 0x18 + 128 || bytes.compare(0, 4, std::string("\0\1\0\0", 4)) != 0)
        return kMdbErrorBadFormat;
    if (bytes.compare(4, 15, kJet) != 0 && bytes.compare(4, 15, kAce) != 0)
        return kMdbErrorBadFormat;
    const unsigned version = (unsigned char)bytes[0x14];
    if (version > 5)
        return kMdbErrorBadFormat;
    const uint64_t page = version == 0 ? 2048 : 4096;
    // Page 2 holds the definition of the catalog table.
    if (fileSize < 3 * page || bytes.size() < 3 * page)
        return fileSize < 3 * page ? kMdbErrorBadFormat : kMdbErrorNone;
    unsigned char header[128];
    std::memcpy(header, bytes.data() + 0x18, sizeof header);
    const unsigned char key[] = {0xC7, 0xDA, 0x39, 0x6B};
    Rc4(key, sizeof key, header, version == 0 ? 126 : 128);
    uint32_t dbKey = 0;
    std::memcpy(&dbKey, header + (0x3E - 0x18), sizeof dbKey);
    if (dbKey != 0)
        return kMdbErrorNone;  // pages are enciphered: the child finds out the rest
    const unsigned char* tdef = reinterpret_cast<const unsigned char*>(bytes.data()) + 2 * page;
    const unsigned columnsAt = version == 0 ? 25 : 45;
    const unsigned columns = tdef[columnsAt] | (tdef[columnsAt + 1] << 8);
    if (tdef[0] != 0x02 || columns == 0 || columns > kMaxColumns)
        return kMdbErrorBadFormat;
    return kMdbErrorNone;
}

bool ReadMdbCatalog(const CString& path, MdbCatalogInfo& catalog, LONG* error)
{
    LONG local = 0;
    if (!error)
        error = &local;
    std::string hostPath;
    if ((*error = PrepareFile(path, hostPath)) != kMdbErrorNone)
        return false;
    std::string result;
    if (!Ask({"catalog", hostPath}, result, error))
        return false;
    Reader in(result);
    MdbCatalogInfo out;
    uint32_t n = 0;
    bool ok = in.Count(n, kMaxObjects);
    for (uint32_t i = 0; ok && i < n; ++i) {
        MdbTableInfo t;
        uint32_t flags = 0, columns = 0;
        ok = Text(in, t.name) && in.U32(flags) && in.Count(columns, kMaxColumns);
        t.flags = LONG(flags);
        for (uint32_t c = 0; ok && c < columns; ++c) {
            MdbColumnInfo col;
            uint32_t type = 0, size = 0;
            ok = Text(in, col.name) && in.U32(type) && in.U32(size);
            col.type = int(type);
            col.size = int(size & 0xFFFF);
            t.columns.push_back(col);
        }
        out.tables.push_back(std::move(t));
    }
    ok = ok && in.Count(n, kMaxObjects);
    for (uint32_t i = 0; ok && i < n; ++i) {
        MdbQueryInfo q;
        uint32_t type = 0;
        ok = Text(in, q.name) && in.U32(type);
        q.type = LONG(type);
        out.queries.push_back(q);
    }
    ok = ok && in.Count(n, kMaxObjects);
    for (uint32_t i = 0; ok && i < n; ++i) {
        MdbRelationInfo r;
        uint32_t attributes = 0;
        ok = Text(in, r.name) && in.U32(attributes) && Text(in, r.foreignTable) && Text(in, r.table);
        r.attributes = LONG(attributes);
        out.relations.push_back(r);
    }
    if (!ok || !in.AtEnd()) {
        *error = kMdbErrorBadFormat;
        return false;
    }
    catalog = std::move(out);
    *error = kMdbErrorNone;
    return true;
}

bool ReadMdbRows(const CString& path, const CString& table, long maxRows, MdbRowSet& rows, LONG* error)
{
    LONG local = 0;
    if (!error)
        error = &local;
    std::string hostPath;
    if ((*error = PrepareFile(path, hostPath)) != kMdbErrorNone)
        return false;
    std::string name(size_t(table.GetLength()) * 3, '\0');
    int bytes = ::WideCharToMultiByte(CP_UTF8, 0, table.GetString(), table.GetLength(), name.data(),
                                      int(name.size()), nullptr, nullptr);
    if (bytes <= 0) {
        *error = kMdbErrorNoObject;
        return false;
    }
    name.resize(size_t(bytes));
    std::string result;
    const long most = maxRows < 0 ? 0 : maxRows;
    if (!Ask({"rows", hostPath, name, std::to_string(most)}, result, error))
        return false;
    Reader in(result);
    uint32_t columns = 0, kept = 0;
    int64_t total = 0;
    bool ok = in.Count(columns, kMaxColumns) && in.U32(kept) && in.I64(total) && kept <= uint64_t(most) &&
              total >= int64_t(kept) && total <= INT32_MAX;
    MdbRowSet out;
    for (uint32_t r = 0; ok && r < kept; ++r) {
        std::vector<MdbCell> row(columns);
        for (MdbCell& cell : row) {
            uint32_t vt = 0;
            ok = ok && in.U32(vt) && KnownCell(vt) && in.I64(cell.number) && in.F64(cell.real) &&
                 in.Text(cell.text) && cell.text.size() <= mdbstream::kMaxCellText;
            cell.vt = VARTYPE(vt);
        }
        out.rows.push_back(std::move(row));
    }
    if (!ok || !in.AtEnd()) {
        *error = kMdbErrorBadFormat;
        return false;
    }
    out.columns = int(columns);
    out.total = long(total);
    rows = std::move(out);
    *error = kMdbErrorNone;
    return true;
}
