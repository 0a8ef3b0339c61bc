// The registry functions: key handles, values, enumeration and the per-user file store.
#include "win32/registry/tree.h"

#include "win32/text.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace dovemark::registry {
namespace {

constexpr ULONG_PTR kPredefinedBase = 0x80000000;
constexpr int kHives = 4; // classes root, current user, local machine, users
constexpr int kCurrentUser = 1;
constexpr size_t kMaxKeyNameLength = 255;
constexpr size_t kMaxValueNameLength = 16383;

struct Handle {
    std::shared_ptr<Key> key;
    int hive;
    REGSAM access;
};

struct Registry {
    std::mutex lock;
    bool started = false;
    std::shared_ptr<Key> roots[kHives];
    std::string filePath; // empty: the current user's tree is only in memory
    std::map<ULONG_PTR, Handle> handles;
    ULONG_PTR nextHandle = 0x100;

    // Keeps a key's owner alive for handles: roots are held here, children by their parents.
    void Start() {
        if (started)
            return;
        started = true;
        for (auto& r : roots)
            r = std::make_shared<Key>();
        const char* env = std::getenv("DOVEMARK_REGISTRY");
        if (env != nullptr && std::string(env) == "memory")
            return;
        if (env != nullptr && *env != 0) {
            LoadFile(env);
            return;
        }
        std::string base;
        if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg == '/')
            base = xdg;
        else if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/')
            base = std::string(home) + "/.config";
        if (!base.empty())
            LoadFile(base + "/dovemark/registry");
    }

    void LoadFile(const std::string& path) {
        filePath = path;
        std::string text;
        if (FILE* f = std::fopen(path.c_str(), "rb")) {
            char buf[65536];
            size_t n;
            while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
                text.append(buf, n);
            std::fclose(f);
        }
        roots[kCurrentUser] = Parse(text);
    }

    void DropCurrentUserHandles() {
        for (auto it = handles.begin(); it != handles.end();)
            it = it->second.hive == kCurrentUser ? handles.erase(it) : std::next(it);
    }

    // Writes the current user's tree through a temporary file renamed over the old one.
    bool Save() {
        if (filePath.empty())
            return true;
        std::string dir = filePath.substr(0, filePath.find_last_of('/') == std::string::npos
                                                 ? 0
                                                 : filePath.find_last_of('/'));
        for (size_t p = 1; !dir.empty() && p <= dir.size(); ++p) {
            if (p == dir.size() || dir[p] == '/') {
                std::string part = dir.substr(0, p);
                if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
                    return false;
            }
        }
        std::string text = Serialize(*roots[kCurrentUser]);
        std::string tmp = filePath + ".tmp." + std::to_string(getpid());
        int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0)
            return false;
        size_t done = 0;
        while (done < text.size()) {
            ssize_t n = write(fd, text.data() + done, text.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                close(fd);
                unlink(tmp.c_str());
                return false;
            }
            done += static_cast<size_t>(n);
        }
        bool ok = fsync(fd) == 0;
        ok = close(fd) == 0 && ok;
        if (!ok || rename(tmp.c_str(), filePath.c_str()) != 0) {
            unlink(tmp.c_str());
            return false;
        }
        return true;
    }
};

Registry& Reg() {
    static Registry r;
    return r;
}

struct Resolved {
    LSTATUS status;
    Key* key = nullptr;
    int hive = 0;
    REGSAM access = 0;
};

// Caller holds the lock.
Resolved Resolve(HKEY hKey) {
    Registry& r = Reg();
    r.Start();
    ULONG_PTR v = reinterpret_cast<ULONG_PTR>(hKey);
    if (v >= kPredefinedBase && v < kPredefinedBase + kHives)
        return {ERROR_SUCCESS, r.roots[v - kPredefinedBase].get(), static_cast<int>(v - kPredefinedBase), KEY_ALL_ACCESS};
    auto it = r.handles.find(v);
    if (it == r.handles.end())
        return {ERROR_INVALID_HANDLE};
    if (it->second.key->deleted)
        return {ERROR_KEY_DELETED};
    return {ERROR_SUCCESS, it->second.key.get(), it->second.hive, it->second.access};
}

LSTATUS Committed(const Resolved& k) {
    if (k.hive == kCurrentUser && !Reg().Save())
        return ERROR_CANTWRITE;
    return ERROR_SUCCESS;
}

LSTATUS SplitPath(LPCWSTR lpSubKey, std::vector<std::u16string>& parts) {
    parts.clear();
    if (lpSubKey == nullptr)
        return ERROR_SUCCESS;
    if (lpSubKey[0] == u'\\')
        return ERROR_BAD_PATHNAME;
    std::u16string path(lpSubKey);
    size_t start = 0;
    while (start < path.size()) {
        size_t sep = path.find(u'\\', start);
        if (sep == std::u16string::npos)
            sep = path.size();
        if (sep - start > kMaxKeyNameLength)
            return ERROR_INVALID_PARAMETER;
        if (sep > start)
            parts.push_back(path.substr(start, sep - start));
        start = sep + 1;
    }
    return ERROR_SUCCESS;
}

std::shared_ptr<Key> Owning(Key* key, int hive) {
    if (key->parent == nullptr) {
        Registry& r = Reg();
        return r.roots[hive];
    }
    return key->parent->children.at(Fold(key->name));
}

HKEY Issue(Key* key, int hive, REGSAM access) {
    Registry& r = Reg();
    ULONG_PTR id = r.nextHandle++;
    r.handles[id] = Handle{Owning(key, hive), hive, access};
    return reinterpret_cast<HKEY>(id);
}

Value* FindValue(Key* key, LPCWSTR name) {
    std::u16string folded = Fold(name ? name : u"");
    for (Value& v : key->values)
        if (Fold(v.name) == folded)
            return &v;
    return nullptr;
}

void MarkDeleted(Key& key) {
    key.deleted = true;
    for (auto& [n, child] : key.children)
        MarkDeleted(*child);
}

void Touch(Key* key) { key->lastWrite = Now(); }

} // namespace
} // namespace dovemark::registry

using namespace dovemark::registry;

void RegistryUseFileStore(const char* path) {
    Registry& r = Reg();
    std::lock_guard<std::mutex> g(r.lock);
    r.Start();
    r.DropCurrentUserHandles();
    r.LoadFile(path);
}

void RegistryUseMemoryStore() {
    Registry& r = Reg();
    std::lock_guard<std::mutex> g(r.lock);
    r.Start();
    r.DropCurrentUserHandles();
    r.filePath.clear();
    r.roots[kCurrentUser] = std::make_shared<Key>();
}

LSTATUS RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD, REGSAM samDesired,
                        const SECURITY_ATTRIBUTES*, PHKEY phkResult, LPDWORD lpdwDisposition) {
    if (phkResult == nullptr)
        return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    std::lock_guard<std::mutex> g(Reg().lock);
    Resolved k = Resolve(hKey);
    if (k.status != ERROR_SUCCESS)
        return k.status;
    std::vector<std::u16string> parts;
    if (LSTATUS s = SplitPath(lpSubKey, parts); s != ERROR_SUCCESS)
        return s;
    Key* existing = Descend(*k.key, parts, false);
    if (existing == nullptr && !(k.access & KEY_CREATE_SUB_KEY))
        return ERROR_ACCESS_DENIED;
    Key* target = existing ? existing : Descend(*k.key, parts, true);
    if (lpdwDisposition != nullptr)
        *lpdwDisposition = existing ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    *phkResult = Issue(target, k.hive, samDesired);
    return existing ? ERROR_SUCCESS : Committed(k);
}

LSTATUS RegCreateKeyW(HKEY hKey, LPCWSTR lpSubKey, PHKEY phkResult) {
    return RegCreateKeyExW(hKey, lpSubKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, phkResult, nullptr);
}

LSTATUS RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
    if (phkResult == nullptr)
        return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    std::lock_guard<std::mutex> g(Reg().lock);
    Resolved k = Resolve(hKey);
    if (k.status != ERROR_SUCCESS)
        return k.status;
    std::vector<std::u16string> parts;
    if (LSTATUS s = SplitPath(lpSubKey, parts); s != ERROR_SUCCESS)
        return s;
    Key* target = Descend(*k.key, parts, false);
    if (target == nullptr)
        return ERROR_FILE_NOT_FOUND;
    *phkResult = Issue(target, k.hive, samDesired);
    return ERROR_SUCCESS;
}

LSTATUS RegOpenKeyW(HKEY hKey, LPCWSTR lpSubKey, PHKEY phkResult) {
    return RegOpenKeyExW(hKey, lpSubKey, 0, KEY_ALL_ACCESS, phkResult);
}

LSTATUS RegCloseKey(HKEY hKey) {
    Registry& r = Reg();
    std::lock_guard<std::mutex> g(r.lock);
    ULONG_PTR v = reinterpret_cast<ULONG_PTR>(hKey);
    if (v >= kPredefinedBase && v < kPredefinedBase + kHives)
        return ERROR_SUCCESS;
    return r.handles.erase(v) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LSTATUS RegFlushKey(HKEY hKey) {
    std::lock_guard<std::mutex> g(Reg().lock);
    Resolved k = Resolve(hKey);
    if (k.status != ERROR_SUCCESS)
        return k.status;
    return Committed(k);
}

LSTATUS RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    if (lpData != nullptr && lpcbData == nullptr)
        return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::mutex> g(Reg().lock);
    Resolved k = Resolve(hKey);
    if (k.status != ERROR_SUCCESS)
        return k.status;
    if (!(k.access & KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    Value* v = FindValue(k.key, lpValueName);
    if (v == nullptr)
        return ERROR_FILE_NOT_FOUND;
    if (lpType != nullptr)
        *lpType = v->type;
    DWORD size = static_cast<DWORD>(v->data.size());
    if (lpcbData == nullptr)
        return ERROR_SUCCESS;
    if (lpData != nullptr && *lpcbData < size) {
        *lpcbData = size;
        return ERROR_MORE_DATA;
    }
    if (lpData != nullptr && size != 0)
        std::memcpy(lpData, v->data.data(), size);
    *lpcbData = size;
    return ERROR_SUCCESS;
}

LSTATUS RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData) {
    if (lpData == nullptr && cbData != 0)
        return ERROR_NOACCESS;
    if (lpValueName != nullptr && wcslen(lpValueName) > kMaxValueNameLength)
        return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::mutex> g(Reg().lock);
    Resolved k = Resolve(hKey);
    if (k.status != ERROR_SUCCESS)
        return k.status;
    if (!(k.access & KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    Value* v = FindValue(k.key, lpValueName);
    if (v == nullptr) {
        k.key->values.push_back(Value{lpValueName ? lpValueName : u"", dwType, {}});
        v = &k.key->values.back();
    }
    v->type = dwType;
    v->data.assign(lpData, lpData + cbData);
    Touch(k.key);
    return Committed(k);
}

LSTATUS RegQueryValueW(HKEY hKey, LPCWSTR lpSubKey, LPWSTR lpData, PLONG lpcbData) {
    HKEY sub = hKey;
    bool opened = lpSubKey != nullptr && *lpSubKey != 0;
    if (opened) {
        if (LSTATUS s = RegOpenKeyExW(hKey, lpSubKey, 0, KEY_QUERY_VALUE, &sub); s != ERROR_SUCCESS)
            return s;
    }
    DWORD type = REG_NONE;
    DWORD cb = lpcbData ? static_cast<DWORD>(*lpcbData) : 0;
    LSTATUS s = RegQueryValueExW(sub, nullptr, nullptr, &type, reinterpret_cast<LPBYTE>(lpData), lpcbData ? &cb : nullptr);
    if (s == ERROR_FILE_NOT_FOUND) {
        // An unset default value reads as an empty string.
        s = ERROR_SUCCESS;
        if (lpcbData != nullptr) {
            if (lpData != nullptr && *lpcbData >= 2)
                lpData[0] = 0;
            else if (lpData != nullptr)
                s = ERROR_MORE_DATA;
            cb = sizeof(WCHAR);
        }
    } else if (s == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ) {
        s = ERROR_INVALID_DATA;
    }
    if (lpcbData != nullptr && (s == ERROR_SUCCESS || s == ERROR_MORE_DATA))
        *lpcbData = static_cast<LONG>(cb);
    if (opened)
        RegCloseKey(sub);
    return s;
}

LSTATUS RegSetValueW(HKEY hKey, LPCWSTR lpSubKey, DWORD dwType, LPCWSTR lpData, DWORD) {
    if (dwType != REG_SZ || lpData == nullptr)
        return ERROR_INVALID_PARAMETER;
    HKEY sub = hKey;
    bool opened = lpSubKey != nullptr && *lpSubKey != 0;
    if (opened) {
        if (LSTATUS s = RegCreateKeyExW(hKey, lpSubKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &sub, nullptr);
            s != ERROR_SUCCESS)
            return s;
    }
    LSTATUS s = RegSetValueExW(sub, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(lpData),
                               static_cast<DWORD>((wcslen(lpData) + 1) * sizeof(WCHAR)));
    if (opened)
        RegCloseKey(sub);
    return s;
}

LSTATUS RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName) {
    std::lock_guard<std::mutex> g(Reg().lock);
    Resolved k = Resolve(hKey);
    if (k.status != ERROR_SUCCESS)
        return k.status;
    if (!(k.access & KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    Value* v = FindValue(k.key, lpValueName);
    if (v == nullptr)
        return ERROR_FILE_NOT_FOUND;
    k.key->values.erase(k.key->values.begin() + (v - k.key->values.data()));
    Touch(k.key);
    return Committed(k);
}

namespace {

LSTATUS DeleteKey(HKEY hKey, LPCWSTR lpSubKey, bool tree) {
    std::lock_guard<std::mutex> g(Reg().lock);
    Resolved k = Resolve(hKey);
    if (k.status != ERROR_SUCCESS)
        return k.status;
    std::vector<std::u16string> parts;
    if (LSTATUS s = SplitPath(lpSubKey, parts); s != ERROR_SUCCESS)
        return s;
    Key* target = Descend(*k.key, parts, false);
    if (target == nullptr)
        return ERROR_FILE_NOT_FOUND;
    if (tree && (lpSubKey == nullptr || parts.empty())) {
        // Empty the key itself but keep it.
        for (auto& [n, child] : target->children)
            MarkDeleted(*child);
        target->children.clear();
        target->values.clear();
        Touch(target);
        return Committed(k);
    }
    if (target->parent == nullptr)
        return ERROR_ACCESS_DENIED; // a predefined root stays
    if (!tree && !target->children.empty())
        return ERROR_ACCESS_DENIED;
    Key* parent = target->parent;
    auto it = parent->children.find(Fold(target->name));
    MarkDeleted(*target);
    parent->children.erase(it); // handles still hold the subtree, marked deleted
    Touch(parent);
    return Committed(k);
}

} // namespace

LSTATUS RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey) {
    if (lpSubKey == nullptr)
        return ERROR_INVALID_PARAMETER;
    return DeleteKey(hKey, lpSubKey, false);
}

LSTATUS RegDeleteTreeW(HKEY hKey, LPCWSTR lpSubKey) { return DeleteKey(hKey, lpSubKey, true); }

namespace {

LSTATUS CopyName(const std::u16string& name, LPWSTR out, LPDWORD lpcch) {
    if (out == nullptr || lpcch == nullptr)
        return ERROR_INVALID_PARAMETER;
    if (*lpcch <= name.size())
        return ERROR_MORE_DATA;
    name.copy(out, name.size());
    out[name.size()] = 0;
    *lpcch = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

} // namespace

LSTATUS RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD, LPWSTR lpClass,
                      LPDWORD lpcchClass, PFILETIME lpftLastWriteTime) {
    std::lock_guard<std::mutex> g(Reg().lock);
    Resolved k = Resolve(hKey);
    if (k.status != ERROR_SUCCESS)
        return k.status;
    if (dwIndex >= k.key->children.size())
        return ERROR_NO_MORE_ITEMS;
    const Key& child = *std::next(k.key->children.begin(), dwIndex)->second;
    if (LSTATUS s = CopyName(child.name, lpName, lpcchName); s != ERROR_SUCCESS)
        return s;
    if (lpClass != nullptr && lpcchClass != nullptr && *lpcchClass > 0)
        lpClass[0] = 0;
    if (lpcchClass != nullptr)
        *lpcchClass = 0;
    if (lpftLastWriteTime != nullptr)
        *lpftLastWriteTime = child.lastWrite;
    return ERROR_SUCCESS;
}

LSTATUS RegEnumKeyW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, DWORD cchName) {
    return RegEnumKeyExW(hKey, dwIndex, lpName, &cchName, nullptr, nullptr, nullptr, nullptr);
}

LSTATUS RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName, LPDWORD,
                      LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    if (lpData != nullptr && lpcbData == nullptr)
        return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::mutex> g(Reg().lock);
    Resolved k = Resolve(hKey);
    if (k.status != ERROR_SUCCESS)
        return k.status;
    if (dwIndex >= k.key->values.size())
        return ERROR_NO_MORE_ITEMS;
    const Value& v = k.key->values[dwIndex];
    if (LSTATUS s = CopyName(v.name, lpValueName, lpcchValueName); s != ERROR_SUCCESS)
        return s;
    if (lpType != nullptr)
        *lpType = v.type;
    if (lpcbData != nullptr) {
        DWORD size = static_cast<DWORD>(v.data.size());
        if (lpData != nullptr && *lpcbData < size) {
            *lpcbData = size;
            return ERROR_MORE_DATA;
        }
        if (lpData != nullptr && size != 0)
            std::memcpy(lpData, v.data.data(), size);
        *lpcbData = size;
    }
    return ERROR_SUCCESS;
}

LSTATUS RegQueryInfoKeyW(HKEY hKey, LPWSTR lpClass, LPDWORD lpcchClass, LPDWORD, LPDWORD lpcSubKeys,
                         LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                         LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                         PFILETIME lpftLastWriteTime) {
    std::lock_guard<std::mutex> g(Reg().lock);
    Resolved k = Resolve(hKey);
    if (k.status != ERROR_SUCCESS)
        return k.status;
    DWORD maxSub = 0, maxName = 0, maxData = 0;
    for (const auto& [n, child] : k.key->children)
        maxSub = std::max<DWORD>(maxSub, static_cast<DWORD>(child->name.size()));
    for (const Value& v : k.key->values) {
        maxName = std::max<DWORD>(maxName, static_cast<DWORD>(v.name.size()));
        maxData = std::max<DWORD>(maxData, static_cast<DWORD>(v.data.size()));
    }
    if (lpClass != nullptr && lpcchClass != nullptr && *lpcchClass > 0)
        lpClass[0] = 0;
    if (lpcchClass != nullptr)
        *lpcchClass = 0;
    if (lpcSubKeys != nullptr)
        *lpcSubKeys = static_cast<DWORD>(k.key->children.size());
    if (lpcbMaxSubKeyLen != nullptr)
        *lpcbMaxSubKeyLen = maxSub;
    if (lpcbMaxClassLen != nullptr)
        *lpcbMaxClassLen = 0;
    if (lpcValues != nullptr)
        *lpcValues = static_cast<DWORD>(k.key->values.size());
    if (lpcbMaxValueNameLen != nullptr)
        *lpcbMaxValueNameLen = maxName;
    if (lpcbMaxValueLen != nullptr)
        *lpcbMaxValueLen = maxData;
    if (lpcbSecurityDescriptor != nullptr)
        *lpcbSecurityDescriptor = 0;
    if (lpftLastWriteTime != nullptr)
        *lpftLastWriteTime = k.key->lastWrite;
    return ERROR_SUCCESS;
}
