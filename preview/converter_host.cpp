// The converter host: argument handling, converter discovery and loading, the import and export steps and
// the callbacks that move rich text between the converters and the files.
#include "preview/converter_host.h"

#include "preview/archive/archive_libraries.h"
#include "preview/text_converters.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace {

constexpr size_t kNameBytes = 260;
constexpr SIZE_T kTransferBytes = 1024;
constexpr DWORD kReadChunk = 512;
const char kProgram[] = "wordcnv";
const char kDefaultFolder[] = "C:\\Program Files\\Common Files\\Microsoft Shared\\Textconv";

enum ConverterKind : DWORD { kImport = 0, kExport = 1 };

struct ConverterClass {
    std::string file, className, description, extensions;
    DWORD kind = kImport;
};

struct ConverterRecord {
    HMODULE module = nullptr;
    PFN_InitConverter32 init = nullptr;
    PFN_UninitConverter uninit = nullptr;
    PFN_RegisterApp registerApp = nullptr;
    PFN_ForeignToRtf32 foreignToRtf = nullptr;
    PFN_RtfToForeign32 rtfToForeign = nullptr;
    PFN_IsFormatCorrect32 isFormatCorrect = nullptr;
    PFN_CchFetchLpszError fetchError = nullptr;
    PFN_GetNames readNames = nullptr;
    PFN_GetNames writeNames = nullptr;
    std::string file;
};

struct HostState {
    std::string importClass, exportClass = "RTF", input, output;
    int fileNames = 0;
    std::string folder;
    std::vector<ConverterClass> converters;
    HGLOBAL transfer = nullptr;
    HANDLE in = INVALID_HANDLE_VALUE;
    HANDLE out = INVALID_HANDLE_VALUE;
    long lastPercent = -1;
};

HostState g_state;
std::mutex g_lock;

std::string Cut(const std::string& text) { return text.substr(0, kNameBytes - 1); }

bool Same(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

std::u16string Wide(const std::string& text) { return AnsiToWide(text); }

HANDLE OpenFile(const std::string& name, DWORD access, DWORD share, DWORD disposition)
{
    return ::CreateFileW((LPCWSTR)Wide(name).c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
}

void Close(HANDLE& handle)
{
    if (handle != INVALID_HANDLE_VALUE)
        ::CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
}

// A global-memory copy of the string, for handing to a converter.
HGLOBAL GlobalCopy(const std::string& text)
{
    HGLOBAL handle = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, text.size() + 1);
    if (char* p = handle ? static_cast<char*>(::GlobalLock(handle)) : nullptr) {
        std::memcpy(p, text.c_str(), text.size() + 1);
        ::GlobalUnlock(handle);
    }
    return handle;
}

void Free(HGLOBAL handle)
{
    if (handle)
        ::GlobalFree(handle);
}

// The strings of a list a converter filled, up to its closing empty string or the end of the block.
std::vector<std::string> ReadList(HGLOBAL handle)
{
    std::vector<std::string> items;
    const SIZE_T size = ::GlobalSize(handle);
    const char* block = size ? static_cast<const char*>(::GlobalLock(handle)) : nullptr;
    if (!block)
        return items;
    for (size_t at = 0; at < size && block[at];) {
        const size_t length = strnlen(block + at, size - at);
        items.push_back(Cut(std::string(block + at, length)));
        at += length + 1;
    }
    ::GlobalUnlock(handle);
    return items;
}

void ReportConverterError(long code, const ConverterRecord& record)
{
    if (record.fetchError) {
        char text[512] = {};
        if (record.fetchError(code, text, sizeof text) > 0 && text[0]) {
            text[sizeof text - 1] = 0;
            std::fprintf(stderr, "%s: converter error %ld: %s\n", record.file.c_str(), code, text);
            return;
        }
    }
    const HostState& s = g_state;
    switch (code) {
    case -1: std::fprintf(stderr, "%s: error: converter could not open '%s'\n", kProgram, s.input.c_str()); break;
    case -2: std::fprintf(stderr, "%s: error: read error\n", kProgram); break;
    case -4: std::fprintf(stderr, "%s: error: write error\n", kProgram); break;
    case -5: std::fprintf(stderr, "%s: error: %s: invalid input file\n", kProgram, s.input.c_str()); break;
    case -8: std::fprintf(stderr, "%s: error: converter ran out of memory\n", kProgram); break;
    case -13: std::fprintf(stderr, "%s: error: converter cannot create '%s'\n", kProgram, s.output.c_str()); break;
    case -14:
        std::fprintf(stderr, "%s: error: converter did not recognise input file '%s'\n", kProgram, s.input.c_str());
        break;
    default:
        std::fprintf(stderr, "%s: error: converter returned error %lx\n", record.file.c_str(), (unsigned long)code);
    }
}

template <class Fn>
Fn Bind(HMODULE module, const char* name)
{
    return BoundProc<Fn>(module, name);
}

// 0 with the converter loaded and initialised, 1 when it cannot be.
int LoadConverter(const std::string& file, ConverterRecord& record)
{
    record = ConverterRecord{};
    record.file = file;
    char path[2 * kNameBytes + 2];
    std::snprintf(path, sizeof path, "%s/%s", g_state.folder.c_str(), file.c_str());
    record.module = ::LoadLibraryW((LPCWSTR)Wide(path).c_str());
    if (!record.module)
        return 1;
    HMODULE m = record.module;
    record.init = Bind<PFN_InitConverter32>(m, "InitConverter32");
    record.uninit = Bind<PFN_UninitConverter>(m, "UninitConverter");
    record.registerApp = Bind<PFN_RegisterApp>(m, "RegisterApp");
    record.foreignToRtf = Bind<PFN_ForeignToRtf32>(m, "ForeignToRtf32");
    record.rtfToForeign = Bind<PFN_RtfToForeign32>(m, "RtfToForeign32");
    record.isFormatCorrect = Bind<PFN_IsFormatCorrect32>(m, "IsFormatCorrect32");
    record.fetchError = Bind<PFN_CchFetchLpszError>(m, "CchFetchLpszError");
    record.readNames = Bind<PFN_GetNames>(m, "GetReadNames");
    record.writeNames = Bind<PFN_GetNames>(m, "GetWriteNames");
    if (!record.init) {
        std::fprintf(stderr, "%s: error: InitConverter32 could not be resolved\n", path);
        ::FreeLibrary(m);
        return 1;
    }
    char application[] = "WORDCNV";
    const LONG result = record.init(nullptr, application);
    if (result != 1) {
        ReportConverterError(result, record);
        ::FreeLibrary(m);
        return 1;
    }
    return 0;
}

void UnloadConverter(ConverterRecord& record)
{
    if (record.uninit)
        record.uninit();
    ::FreeLibrary(record.module);
    record.module = nullptr;
}

int GetConverterNames(const ConverterRecord& record, DWORD kind, std::vector<std::string> lists[3])
{
    if (kind != kImport && kind != kExport) {
        std::fprintf(stderr, "%s: error: internal error\n", kProgram);
        return 2;
    }
    PFN_GetNames names = kind == kImport ? record.readNames : record.writeNames;
    if (!names)
        return 1;
    HGLOBAL buffers[3];
    for (HGLOBAL& b : buffers)
        b = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kTransferBytes);
    if (buffers[0] && buffers[1] && buffers[2]) {
        names(buffers[0], buffers[1], buffers[2]);
        for (int i = 0; i < 3; ++i)
            lists[i] = ReadList(buffers[i]);
    }
    for (HGLOBAL b : buffers)
        Free(b);
    return 0;
}

bool IsConverterFile(const std::string& name)
{
    if (name.size() <= 5)
        return false;
    const std::string tail = name.substr(name.size() - 4);
    return Same(tail, ".cnv") || Same(tail, ".wpc");
}

int FindConverters()
{
    HostState& s = g_state;
    const char* folder = std::getenv("WORDCNV_DIR");
    s.folder = Cut(folder ? folder : kDefaultFolder);
    const std::string pattern = s.folder + "\\*";
    WIN32_FIND_DATAW found{};
    HANDLE find = ::FindFirstFileW((LPCWSTR)Wide(pattern).c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "%s: error: FindFirstFile failed with error %lx\n", kProgram,
                     (unsigned long)::GetLastError());
        return 1;
    }
    do {
        const std::string name = Cut(WideToAnsi(found.cFileName, std::char_traits<char16_t>::length(found.cFileName)));
        if (!IsConverterFile(name))
            continue;
        ConverterRecord record;
        if (LoadConverter(name, record) != 0)
            continue;
        for (DWORD kind : {kImport, kExport}) {
            std::vector<std::string> lists[3];
            if (GetConverterNames(record, kind, lists) != 0)
                continue;
            for (size_t i = 0; i < lists[0].size() && i < lists[1].size() && i < lists[2].size(); ++i)
                s.converters.push_back({name, lists[0][i], lists[1][i], lists[2][i], kind});
        }
        UnloadConverter(record);
    } while (::FindNextFileW(find, &found));
    const DWORD error = ::GetLastError();
    if (error != ERROR_NO_MORE_FILES)
        std::fprintf(stderr, "%s: error: FindNextFile returned %lx\n", kProgram, (unsigned long)error);
    ::FindClose(find);
    return 0;
}

const ConverterClass* FindClass(DWORD kind, const std::string& className)
{
    for (const ConverterClass& c : g_state.converters)
        if (c.kind == kind && Same(c.className, className))
            return &c;
    return nullptr;
}

long WINAPI WriteRtfChunk(long count, long percent)
{
    HostState& s = g_state;
    if (percent != s.lastPercent)
        s.lastPercent = percent;
    if (count == 0)
        return 1;
    // A count beyond the transfer buffer cannot be written from it.
    const SIZE_T size = ::GlobalSize(s.transfer);
    if (count < 0 || SIZE_T(count) > size) {
        std::fprintf(stderr, "%s: error: %d of %ld bytes written\n", s.output.c_str(), 0, count);
        return -1;
    }
    const void* p = ::GlobalLock(s.transfer);
    DWORD written = 0;
    const BOOL ok = p && ::WriteFile(s.out, p, DWORD(count), &written, nullptr);
    const DWORD error = ::GetLastError();
    ::GlobalUnlock(s.transfer);
    if (!ok) {
        std::fprintf(stderr, "%s: error: cannot write: %lx\n", s.output.c_str(), (unsigned long)error);
        return -1;
    }
    if (written != DWORD(count)) {
        std::fprintf(stderr, "%s: error: %lu of %ld bytes written\n", s.output.c_str(), (unsigned long)written, count);
        return -1;
    }
    return 1;
}

long WINAPI ReadRtfChunk(long, long percent)
{
    HostState& s = g_state;
    if (percent != s.lastPercent)
        s.lastPercent = percent;
    void* p = ::GlobalLock(s.transfer);
    DWORD got = 0;
    const DWORD want = DWORD(std::min<SIZE_T>(kReadChunk, ::GlobalSize(s.transfer)));
    const BOOL ok = p && ::ReadFile(s.in, p, want, &got, nullptr);
    const DWORD error = ::GetLastError();
    ::GlobalUnlock(s.transfer);
    if (!ok) {
        std::fprintf(stderr, "%s: error: cannot read file: %lx\n", s.input.c_str(), (unsigned long)error);
        return -1;
    }
    return long(got);
}

void RegisterWithConverter(const ConverterRecord& record)
{
    if (record.registerApp)
        Free(record.registerApp(8, nullptr));
}

int ImportToRtf(const std::string& input, const std::string& importClass)
{
    HostState& s = g_state;
    const ConverterClass* entry = FindClass(kImport, importClass);
    if (!entry) {
        std::fprintf(stderr, "%s: error: Import class %s not found\n", kProgram, importClass.c_str());
        return 1;
    }
    ConverterRecord record;
    if (LoadConverter(entry->file, record) != 0)
        return 1;
    RegisterWithConverter(record);
    if (!record.foreignToRtf) {
        std::fprintf(stderr, "%s: error: ForeignToRtf could not be resolved\n", record.file.c_str());
        UnloadConverter(record);
        return 1;
    }
    HGLOBAL file = GlobalCopy(input), className = GlobalCopy(importClass), subset = GlobalCopy("");
    s.transfer = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kTransferBytes);
    short result = fceNoMemory;
    if (file && className && subset && s.transfer)
        result = record.foreignToRtf(file, nullptr, s.transfer, className, subset, &WriteRtfChunk);
    for (HGLOBAL h : {file, className, subset, s.transfer})
        Free(h);
    s.transfer = nullptr;
    UnloadConverter(record);
    if (result != 0) {
        ReportConverterError(result, record);
        return 1;
    }
    return 0;
}

int ExportFromRtf(const std::string& output, const std::string& exportClass)
{
    HostState& s = g_state;
    const ConverterClass* entry = FindClass(kExport, exportClass);
    if (!entry) {
        std::fprintf(stderr, "Export class %s not found\n", exportClass.c_str());
        return 1;
    }
    ConverterRecord record;
    if (LoadConverter(entry->file, record) != 0)
        return 1;
    RegisterWithConverter(record);
    if (!record.rtfToForeign) {
        std::fprintf(stderr, "%s: RtfToForeign could not be resolved\n", record.file.c_str());
        UnloadConverter(record);
        return 1;
    }
    HGLOBAL file = GlobalCopy(output), className = GlobalCopy(exportClass);
    s.transfer = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kTransferBytes);
    short result = fceNoMemory;
    if (file && className && s.transfer)
        result = record.rtfToForeign(file, nullptr, s.transfer, className, &ReadRtfChunk);
    for (HGLOBAL h : {file, className, s.transfer})
        Free(h);
    s.transfer = nullptr;
    UnloadConverter(record);
    if (result != 0) {
        ReportConverterError(result, record);
        return 1;
    }
    return 0;
}

int RecogniseInput(const std::string& input)
{
    HostState& s = g_state;
    HANDLE file = OpenFile(input, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    char head[5] = {};
    DWORD got = 0;
    if (file == INVALID_HANDLE_VALUE || !::ReadFile(file, head, sizeof head, &got, nullptr)) {
        std::fprintf(stderr, "%s: error: %lx\n", input.c_str(), (unsigned long)::GetLastError());
        Close(file);
        return 2;
    }
    Close(file);
    if (got == sizeof head && std::memcmp(head, "{\\rtf", 5) == 0) {
        std::fprintf(stderr, "%s recognised as RTF\n", input.c_str());
        s.importClass = "RTF";
        return 0;
    }
    std::string tried;
    for (const ConverterClass& entry : s.converters) {
        if (entry.kind != kImport || entry.file == tried)
            continue;
        tried = entry.file;
        ConverterRecord record;
        if (LoadConverter(entry.file, record) != 0)
            continue;
        short result = 0;
        HGLOBAL name = GlobalCopy(input);
        HGLOBAL found = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kTransferBytes);
        if (record.isFormatCorrect && name && found)
            result = record.isFormatCorrect(name, found);
        Free(name);
        Free(found);
        if (result == 1) {
            std::fprintf(stderr, "%s: info: sss recognised %s as class %s, %s\n", entry.file.c_str(), input.c_str(),
                         entry.className.c_str(), entry.description.c_str());
            s.importClass = entry.className;
            UnloadConverter(record);
            return 0;
        }
        if (result != 0 && result != -1)
            ReportConverterError(result, record);
        UnloadConverter(record);
    }
    std::fprintf(stderr, "%s: error: none of the converters recognised your file\n", kProgram);
    return -1;
}

void MakeOutputPathAbsolute(std::string& name)
{
    if (name.empty() || name[0] == '/' || name[0] == '\\' || (name.size() > 1 && name[1] == ':'))
        return;
    WCHAR folder[kNameBytes] = {};
    ::GetCurrentDirectoryW(kNameBytes, folder);
    name = Cut(WideToAnsi(folder, std::char_traits<char16_t>::length(folder)) + "\\" + name);
}

// The argument vector of the tool; 0 when it is well formed.
int ParseArguments(const std::vector<std::string>& args)
{
    HostState& s = g_state;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!a.empty() && a[0] == '-') {
            const char letter = a.size() > 1 ? a[1] : 0;
            if (letter != 'i' && letter != 'x') {
                std::fprintf(stderr, "%s: error: unknown option '-%c'\n", kProgram, letter);
                return 1;
            }
            if (a.size() != 2 || i + 1 >= args.size())
                return 1;
            (letter == 'i' ? s.importClass : s.exportClass) = Cut(args[++i]);
        } else if (s.fileNames == 0) {
            s.input = Cut(a);
            ++s.fileNames;
        } else if (s.fileNames == 1) {
            s.output = Cut(a);
            ++s.fileNames;
        } else {
            return 1;
        }
    }
    return 0;
}

// Rich text through a temporary file into the export class.
int ConvertThroughTemporary()
{
    HostState& s = g_state;
    WCHAR folder[MAX_PATH] = {}, temporary[MAX_PATH] = {};
    if (!::GetTempPathW(MAX_PATH, folder)) {
        std::fprintf(stderr, "%s: error: GetTempPath returned %lx\n", kProgram, (unsigned long)::GetLastError());
        return 1;
    }
    if (!::GetTempFileNameW(folder, u"cnv", UINT(std::rand() & 0xFFFF), temporary)) {
        std::fprintf(stderr, "%s: error: GetTempFileName returned %lx\n", kProgram, (unsigned long)::GetLastError());
        return 1;
    }
    const std::string name = WideToAnsi(temporary, std::char_traits<char16_t>::length(temporary));
    s.out = ::CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (s.out == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "%s: error: cannot open temporary file %lx\n", name.c_str(),
                     (unsigned long)::GetLastError());
        return 1;
    }
    const int imported = ImportToRtf(s.input, s.importClass);
    Close(s.out);
    if (imported == 0) {
        s.in = ::CreateFileW(temporary, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                             nullptr);
        if (s.in == INVALID_HANDLE_VALUE) {
            std::fprintf(stderr, "%s: error: cannot open temporary file %lx\n", name.c_str(),
                         (unsigned long)::GetLastError());
            ::DeleteFileW(temporary);
            return 1;
        }
        ExportFromRtf(s.output, s.exportClass);
        Close(s.in);
    }
    ::DeleteFileW(temporary);
    return 0;
}

int Run(LPCSTR importClass, LPCSTR exportClass, LPCSTR inputPath, LPCSTR outputPath)
{
    HostState& s = g_state;
    const std::vector<std::string> args = {kProgram,         "-x", exportClass ? exportClass : "", "-i",
                                           importClass ? importClass : "", inputPath ? inputPath : "",
                                           outputPath ? outputPath : ""};
    if (int usage = ParseArguments(args))
        return usage;
    if (FindConverters() != 0)
        return 1;
    if (s.fileNames != 2)
        return 2;
    if (!s.output.empty())
        MakeOutputPathAbsolute(s.output);
    if (s.importClass.empty() && RecogniseInput(s.input) != 0)
        return 1;
    if (Same(s.importClass, s.exportClass)) {
        std::fprintf(stderr, "%s: error: Nothing to do; import and export class are the same\n", kProgram);
        return 1;
    }
    if (Same(s.importClass, "RTF")) {
        s.in = OpenFile(s.input, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
        if (s.in == INVALID_HANDLE_VALUE) {
            std::fprintf(stderr, "%s: error: cannot open file: %lx\n", s.input.c_str(),
                         (unsigned long)::GetLastError());
            return 1;
        }
        ExportFromRtf(s.output, s.exportClass);
        Close(s.in);
        return 0;
    }
    if (!Same(s.exportClass, "RTF"))
        return ConvertThroughTemporary();
    s.out = OpenFile(s.output, GENERIC_WRITE, 0, CREATE_ALWAYS);
    if (s.out == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "%s: error: cannot open file: %lx\n", s.output.c_str(), (unsigned long)::GetLastError());
        return 1;
    }
    ImportToRtf(s.input, s.importClass);
    Close(s.out);
    return 0;
}

} // namespace

int WordConvMain(LPCSTR importClass, LPCSTR exportClass, LPCSTR inputPath, LPCSTR outputPath)
{
    std::lock_guard<std::mutex> guard(g_lock);
    g_state = HostState{};
    const int result = Run(importClass, exportClass, inputPath, outputPath);
    Close(g_state.in);
    Close(g_state.out);
    return result;
}

BOOL WordConvFoundImportClass(LPCSTR importClass)
{
    std::lock_guard<std::mutex> guard(g_lock);
    return importClass && FindClass(kImport, importClass) != nullptr;
}
