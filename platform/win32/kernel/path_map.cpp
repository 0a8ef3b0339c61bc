// The mapping from program paths (either separator, drive letters, any letter case) to Linux paths.
#include "win32/kernel/disks.h"
#include "win32/kernel/util.h"

#include <cerrno>
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <vector>

namespace dovemark {
namespace {

// Finds, in folder dir, the entry whose name equals name but for ASCII letter case.
bool FindFolded(const std::string& dir, const std::string& name, std::string& found)
{
    DIR* d = opendir(dir.empty() ? "." : dir.c_str());
    if (!d)
        return false;
    bool ok = false;
    while (dirent* e = readdir(d)) {
        if (strcasecmp(e->d_name, name.c_str()) == 0) {
            found = e->d_name;
            ok = true;
            break;
        }
    }
    closedir(d);
    return ok;
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
            p = ".";
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
