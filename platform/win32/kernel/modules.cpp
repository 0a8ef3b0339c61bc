// The layer's table of its own modules behind LoadLibrary, GetModuleHandle and GetProcAddress.
#include "win32/kernel/util.h"

#include <map>
#include <mutex>
#include <vector>

namespace {

constexpr ULONG_PTR kMainModule = 0x00400000;   // where programs of the era were based
constexpr ULONG_PTR kFirstModule = 0x10000000;
constexpr ULONG_PTR kModuleStride = 0x00010000;

struct Module {
    std::string name; // lower case, without ".dll"
    std::map<std::string, FARPROC> exports;
};

struct Table {
    std::mutex lock;
    std::vector<Module> modules;
};

// Constructed on first use, so registrations from any static initialiser find it ready.
Table& Modules()
{
    static Table* table = new Table;
    return *table;
}

std::string Key(std::string name)
{
    for (char& c : name)
        if (c >= 'A' && c <= 'Z')
            c = char(c + 32);
    size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".dll") == 0)
        name.erase(name.size() - 4);
    return name;
}

HMODULE Find(const std::string& name)
{
    // The layer's own modules are registered on the first look-up; naming them here also keeps
    // their object files in every program linked against the layer.
    static std::once_flag builtIns;
    std::call_once(builtIns, dovemark::RegisterBuiltInModules);
    Table& t = Modules();
    std::lock_guard<std::mutex> g(t.lock);
    std::string key = Key(name);
    for (size_t i = 0; i < t.modules.size(); ++i)
        if (t.modules[i].name == key)
            return reinterpret_cast<HMODULE>(kFirstModule + i * kModuleStride);
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

// Index of a module handle in the table; -1 for the program itself, -2 for no module.
long IndexOf(HMODULE h)
{
    ULONG_PTR v = reinterpret_cast<ULONG_PTR>(h);
    if (v == kMainModule)
        return -1;
    if (v < kFirstModule || (v - kFirstModule) % kModuleStride)
        return -2;
    ULONG_PTR index = (v - kFirstModule) / kModuleStride;
    Table& t = Modules();
    std::lock_guard<std::mutex> g(t.lock);
    return index < t.modules.size() ? long(index) : -2;
}

std::string Narrow(LPCWSTR name)
{
    std::string out;
    dovemark::kernel::Utf16ToUtf8(name, out);
    return out;
}

} // namespace

void dovemark::RegisterModule(const char* name, std::initializer_list<ModuleExport> exports)
{
    Table& t = Modules();
    std::lock_guard<std::mutex> g(t.lock);
    std::string key = Key(name);
    Module* module = nullptr;
    for (Module& m : t.modules)
        if (m.name == key)
            module = &m;
    if (!module) {
        t.modules.push_back(Module{key, {}});
        module = &t.modules.back();
    }
    for (const ModuleExport& e : exports)
        module->exports[e.name] = e.proc;
}

HMODULE dovemark::MainModule()
{
    return reinterpret_cast<HMODULE>(kMainModule);
}

HMODULE LoadLibraryA(LPCSTR lpLibFileName)
{
    if (!lpLibFileName || !*lpLibFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return Find(lpLibFileName);
}

HMODULE LoadLibraryW(LPCWSTR lpLibFileName)
{
    if (!lpLibFileName || !*lpLibFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return Find(Narrow(lpLibFileName));
}

HMODULE GetModuleHandleA(LPCSTR lpModuleName)
{
    return lpModuleName ? Find(lpModuleName) : dovemark::MainModule();
}

HMODULE GetModuleHandleW(LPCWSTR lpModuleName)
{
    return lpModuleName ? Find(Narrow(lpModuleName)) : dovemark::MainModule();
}

FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName)
{
    long index = IndexOf(hModule);
    if (index == -2) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    // The program exports nothing, and exports are found by name only.
    if (index == -1 || IS_INTRESOURCE(lpProcName)) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    Table& t = Modules();
    std::lock_guard<std::mutex> g(t.lock);
    const auto& exports = t.modules[size_t(index)].exports;
    auto it = exports.find(lpProcName);
    if (it == exports.end()) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return it->second;
}

BOOL FreeLibrary(HMODULE hLibModule)
{
    // The layer's modules are part of the program and stay loaded, as statically linked ones do.
    if (IndexOf(hLibModule) == -2) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return FALSE;
    }
    return TRUE;
}
