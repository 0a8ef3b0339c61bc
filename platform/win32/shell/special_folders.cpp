// Special folders: CSIDL values as the XDG base and user folders of the user's home.
#include "win32/kernel/util.h"
#include "win32/shell/shell_internal.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Home()
{
    const char* h = std::getenv("HOME");
    if (h && *h == '/')
        return h;
    if (passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return "/";
}

// An XDG base folder: the variable when it holds an absolute path, else the default under home.
std::string BaseFolder(const char* variable, const char* underHome)
{
    const char* v = std::getenv(variable);
    if (v && *v == '/')
        return v;
    return Home() + "/" + underHome;
}

// A user folder from user-dirs.dirs (XDG_DESKTOP_DIR="$HOME/Desktop" and so on); the fallback
// when the file or the line is missing.
std::string UserFolder(const char* key, const std::string& fallback)
{
    std::ifstream in(BaseFolder("XDG_CONFIG_HOME", ".config") + "/user-dirs.dirs");
    std::string line, prefix = std::string(key) + "=";
    while (std::getline(in, line)) {
        size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, prefix.size(), prefix) != 0)
            continue;
        std::string value = line.substr(start + prefix.size());
        if (value.size() < 2 || value.front() != '"')
            continue;
        size_t close = value.find('"', 1);
        if (close == std::string::npos)
            continue;
        value = value.substr(1, close - 1);
        if (value.compare(0, 5, "$HOME") == 0)
            value = Home() + value.substr(5);
        if (!value.empty() && value[0] == '/')
            return value;
    }
    return fallback;
}

// Creates the folder and its missing parents (mode 0700, as the base folders want).
bool MakeFolders(const std::string& path)
{
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/')
            continue;
        std::string part = path.substr(0, i);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsFolder(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The folder of csidl, made when asked; false with the last error set otherwise.
bool Resolve(int csidl, bool create, std::string& path)
{
    if (!shell::SpecialFolder(csidl & ~CSIDL_FLAG_MASK, path)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (IsFolder(path) || ((create || (csidl & CSIDL_FLAG_CREATE)) && MakeFolders(path)))
        return true;
    SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
}

} // namespace

namespace shell {

bool SpecialFolder(int csidl, std::string& path)
{
    std::string home = Home();
    switch (csidl) {
    case CSIDL_DESKTOP:
    case CSIDL_DESKTOPDIRECTORY:
        path = UserFolder("XDG_DESKTOP_DIR", home + "/Desktop");
        return true;
    case CSIDL_PERSONAL:
        path = UserFolder("XDG_DOCUMENTS_DIR", home);
        return true;
    case CSIDL_MYMUSIC:
        path = UserFolder("XDG_MUSIC_DIR", home);
        return true;
    case CSIDL_MYVIDEO:
        path = UserFolder("XDG_VIDEOS_DIR", home);
        return true;
    case CSIDL_MYPICTURES:
        path = UserFolder("XDG_PICTURES_DIR", home);
        return true;
    case CSIDL_TEMPLATES:
        path = UserFolder("XDG_TEMPLATES_DIR", home);
        return true;
    case CSIDL_APPDATA:
        path = BaseFolder("XDG_CONFIG_HOME", ".config");
        return true;
    case CSIDL_LOCAL_APPDATA:
        path = BaseFolder("XDG_DATA_HOME", ".local/share");
        return true;
    case CSIDL_FONTS:
        path = BaseFolder("XDG_DATA_HOME", ".local/share") + "/fonts";
        return true;
    case CSIDL_INTERNET_CACHE:
        path = BaseFolder("XDG_CACHE_HOME", ".cache");
        return true;
    case CSIDL_PROFILE:
        path = home;
        return true;
    case CSIDL_COMMON_APPDATA: {
        // The first of the system's configuration folders.
        const char* dirs = std::getenv("XDG_CONFIG_DIRS");
        std::string list = dirs && *dirs == '/' ? dirs : "/etc/xdg";
        path = list.substr(0, list.find(':'));
        return true;
    }
    }
    return false;
}

} // namespace shell

BOOL SHGetSpecialFolderPathW(HWND, LPWSTR pszPath, int csidl, BOOL fCreate)
{
    if (!pszPath) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    pszPath[0] = 0;
    std::string path;
    if (!Resolve(csidl, fCreate, path))
        return FALSE;
    std::u16string wide = dovemark::kernel::Utf8ToUtf16(path);
    if (wide.size() >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return FALSE;
    }
    std::memcpy(pszPath, wide.c_str(), (wide.size() + 1) * sizeof(char16_t));
    return TRUE;
}

HRESULT SHGetSpecialFolderLocation(HWND, int csidl, LPITEMIDLIST* ppidl)
{
    if (!ppidl)
        return E_INVALIDARG;
    *ppidl = nullptr;
    std::string path;
    if (!Resolve(csidl, false, path))
        return GetLastError() == ERROR_FILE_NOT_FOUND ? HRESULT(0x80070002L) : E_INVALIDARG;
    *ppidl = shell::ItemListFromPath(dovemark::kernel::Utf8ToUtf16(path));
    return *ppidl ? S_OK : E_OUTOFMEMORY;
}
