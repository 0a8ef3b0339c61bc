// The mapping from program paths (either separator, drive letters, any letter case) to Linux paths.
#include "win32/kernel/disks.h"
#include "win32/kernel/util.h"

#include <cerrno>
#include <dirent.h>
#include <mutex>
#include <unordered_map>
#include <strings.h>
#include <sys/stat.h>
#include <vector>

namespace dovemark {
namespace {

// Folded names of recently searched folders, so that making many files in one folder does not
// read the whole folder for each. A folder's entry is trusted while its modification time is the
// one seen (or the one the layer itself caused by making or removing a name in it). A name another
// process makes within the same clock tick as one of the layer's own changes can go unseen until
// the folder changes again; the price of not reading a folder of thousands of names per new file.
struct FolderNames {
    struct timespec mtime{};
    std::unordered_map<std::string, std::string> byFolded; // folded name -> name on disk
};

std::mutex g_foldLock;
std::unordered_map<std::string, FolderNames>& FoldCache()
{
    static auto* cache = new std::unordered_map<std::string, FolderNames>;
    return *cache;
}

std::string Folded(const std::string& name)
{
    std::string f = name;
    for (char& c : f)
        if (c >= 'A' && c <= 'Z')
            c = char(c + 32);
    return f;
}

bool SameTime(const struct timespec& a, const struct timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

std::string FolderKey(const std::string& dir)
{
    return dir.empty() ? "." : dir;
}

// Finds, in folder dir, the entry whose name equals name but for ASCII letter case.
bool FindFolded(const std::string& dir, const std::string& name, std::string& found)
{
    std::string key = FolderKey(dir);
    struct stat st;
    if (stat(key.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    std::lock_guard<std::mutex> g(g_foldLock);
    auto& cache = FoldCache();
    auto it = cache.find(key);
    if (it == cache.end() || !SameTime(it->second.mtime, st.st_mtim)) {
        DIR* d = opendir(key.c_str());
        if (!d)
            return false;
        if (cache.size() >= 64)
            cache.clear();
        FolderNames names;
        names.mtime = st.st_mtim;
        while (dirent* e = readdir(d))
            names.byFolded.emplace(Folded(e->d_name), e->d_name);
        closedir(d);
        it = cache.insert_or_assign(key, std::move(names)).first;
    }
    auto hit = it->second.byFolded.find(Folded(name));
    if (hit == it->second.byFolded.end())
        return false;
    found = hit->second;
    return true;
}

void NoteChange(const std::string& path, bool created)
{
    size_t slash = path.find_last_of('/');
    std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    struct stat st;
    std::lock_guard<std::mutex> g(g_foldLock);
    auto it = FoldCache().find(dir);
    if (it == FoldCache().end())
        return;
    if (name.empty() || stat(dir.c_str(), &st) != 0) {
        FoldCache().erase(it);
        return;
    }
    if (created)
        it->second.byFolded.emplace(Folded(name), name);
    else if (auto hit = it->second.byFolded.find(Folded(name)); hit != it->second.byFolded.end() && hit->second == name)
        it->second.byFolded.erase(hit);
    it->second.mtime = st.st_mtim;
}

// Repairs the letter case of path components that do not exist as written, as far as the file
// system has an entry that matches; the rest is kept as given (it may be about to be created).
std::string FoldCase(const std::string& path)
{
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 || errno != ENOENT)
        return path;
    std::vector<std::string> parts;
    size_t pos = 0;
    while (pos <= path.size()) {
        size_t next = path.find('/', pos);
        if (next == std::string::npos)
            next = path.size();
        parts.push_back(path.substr(pos, next - pos));
        pos = next + 1;
    }
    std::string out = path[0] == '/' ? "/" : "";
    bool walking = true;
    for (size_t i = path[0] == '/' ? 1 : 0; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        std::string next = out;
        if (!next.empty() && next.back() != '/')
            next += '/';
        std::string chosen = part;
        if (walking && !part.empty() && part != "." && part != "..") {
            std::string candidate = next + part;
            if (lstat(candidate.c_str(), &st) != 0) {
                std::string found;
                if (FindFolded(out, part, found))
                    chosen = found;
                else
                    walking = false;
            }
        }
        out = next + chosen;
    }
    return out;
}

} // namespace

namespace kernel {
void NotePathCreated(const std::string& linuxPath)
{
    NoteChange(linuxPath, true);
}

void NotePathRemoved(const std::string& linuxPath)
{
    NoteChange(linuxPath, false);
}
} // namespace kernel

bool MapPath(LPCWSTR path, std::string& linuxPath)
{
    using namespace kernel;
    if (!path) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    std::string p;
    if (!Utf16ToUtf8(path, p)) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    for (char& c : p)
        if (c == '\\')
            c = '/';
    if (p.rfind("//?/", 0) == 0)
        p.erase(0, 4);
    if (p.empty() || p.rfind("//./", 0) == 0) {
        SetLastError(p.empty() ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_NAME);
        return false;
    }
    if (p.size() >= 2 && p[1] == ':' && std::isalpha((unsigned char)p[0])) {
        DeviceMap map = CurrentDevices();
        const Volume* volume = map.ByLetter(p[0]);
        std::string mount = volume ? MountPointOf(map, *volume) : std::string();
        if (mount.empty()) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return false;
        }
        std::string rest = p.substr(2);
        if (!rest.empty() && rest[0] != '/')
            rest = "/" + rest;
        p = mount == "/" && !rest.empty() ? rest : mount + rest;
    }
    linuxPath = FoldCase(p);
    return true;
}

bool IsPathOnSourceDisk(LPCWSTR path)
{
    std::string p;
    if (!MapPath(path, p))
        return false;
    // The nearest existing folder tells where a file about to be created will land.
    struct stat st;
    while (stat(p.c_str(), &st) != 0) {
        size_t slash = p.find_last_of('/');
        if (slash == std::string::npos) {
            p.assign(1, '.');
        } else if (slash == 0) {
            p = "/";
        } else {
            p.erase(slash);
            continue;
        }
        if (stat(p.c_str(), &st) != 0)
            return false;
        break;
    }
    kernel::DeviceMap map = kernel::CurrentDisks();
    return kernel::IsSourceFile(map, st) || kernel::IsOnSourceDisk(map, st.st_dev);
}

} // namespace dovemark
