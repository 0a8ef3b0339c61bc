// FindFirstFileW/FindNextFileW/FindClose over a folder, with Windows wildcard matching.
#include "win32/kernel/handles.h"
#include "win32/kernel/util.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <vector>

namespace {

using namespace dovemark::kernel;

class FindObject : public KernelObject {
public:
    bool ClosableByCloseHandle() const override { return false; }
    std::vector<WIN32_FIND_DATAW> entries;
    size_t next = 0;
    std::mutex lock;
};

char16_t Fold(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
}

// '*' any run, '?' one character, letter case ignored; "*.*" matches names without a dot too.
bool Matches(const char16_t* pattern, const char16_t* name)
{
    if (std::u16string_view(pattern) == u"*.*")
        return true;
    const char16_t* starP = nullptr;
    const char16_t* starN = nullptr;
    while (*name) {
        if (*pattern == u'*') {
            starP = ++pattern;
            starN = name;
        } else if (*pattern == u'?' || Fold(*pattern) == Fold(*name)) {
            ++pattern;
            ++name;
        } else if (starP) {
            pattern = starP;
            name = ++starN;
        } else {
            return false;
        }
    }
    while (*pattern == u'*')
        ++pattern;
    // A trailing ".*" or "." also matches a name without an extension, as on Windows.
    if (std::u16string_view(pattern) == u".*" || std::u16string_view(pattern) == u".")
        return true;
    return *pattern == 0;
}

bool Fill(const std::string& dir, const std::string& name, WIN32_FIND_DATAW& data)
{
    std::u16string wide = Utf8ToUtf16(name);
    if (wide.size() >= MAX_PATH)
        return false; // a name the structure cannot carry
    std::string full = dir + (dir.empty() || dir.back() == '/' ? "" : "/") + name;
    struct stat st;
    if (stat(full.c_str(), &st) != 0 && lstat(full.c_str(), &st) != 0)
        return false;
    std::memset(&data, 0, sizeof data);
    data.dwFileAttributes = AttributesOf(full, st);
    data.ftCreationTime = CreationTimeOf(full, st);
    data.ftLastAccessTime = TimespecToFileTime(st.st_atim);
    data.ftLastWriteTime = TimespecToFileTime(st.st_mtim);
    ULONGLONG size = S_ISDIR(st.st_mode) ? 0 : ULONGLONG(st.st_size);
    data.nFileSizeHigh = DWORD(size >> 32);
    data.nFileSizeLow = DWORD(size);
    std::copy(wide.begin(), wide.end(), data.cFileName);
    return true;
}

} // namespace

HANDLE FindFirstFileW(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData)
{
    dovemark::Checkpoint();
    if (!lpFileName || !lpFindFileData) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::u16string spec = lpFileName;
    size_t sep = spec.find_last_of(u"\\/");
    std::u16string folder = sep == std::u16string::npos ? u"." : spec.substr(0, sep + 1);
    std::u16string pattern = sep == std::u16string::npos ? spec : spec.substr(sep + 1);
    if (folder.size() == 2 && folder[1] == u':')
        folder += u"/"; // "C:name" is taken from the drive's root
    if (pattern.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::string dir;
    if (!dovemark::MapPath(folder.c_str(), dir))
        return INVALID_HANDLE_VALUE;
    auto object = std::make_shared<FindObject>();
    bool wild = pattern.find_first_of(u"*?") != std::u16string::npos;
    if (!wild) {
        // A plain name: that entry only, found whatever its letter case.
        std::string full;
        if (!dovemark::MapPath(spec.c_str(), full))
            return INVALID_HANDLE_VALUE;
        size_t slash = full.find_last_of('/');
        WIN32_FIND_DATAW data;
        std::string name = slash == std::string::npos ? full : full.substr(slash + 1);
        std::string parent = slash == std::string::npos ? "." : full.substr(0, slash + 1);
        if (Fill(parent, name, data))
            object->entries.push_back(data);
    } else {
        DIR* d = opendir(dir.c_str());
        if (!d) {
            SetLastError(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : ErrnoToWin32(errno));
            return INVALID_HANDLE_VALUE;
        }
        std::vector<std::string> names;
        while (dirent* e = readdir(d))
            names.push_back(e->d_name);
        closedir(d);
        // A stable order, like the sorted listing of NTFS.
        std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
            int c = strcasecmp(a.c_str(), b.c_str());
            return c != 0 ? c < 0 : a < b;
        });
        for (const std::string& name : names) {
            WIN32_FIND_DATAW data;
            if (Fill(dir, name, data) && Matches(pattern.c_str(), data.cFileName))
                object->entries.push_back(data);
        }
    }
    if (object->entries.empty()) {
        struct stat st;
        SetLastError(stat(dir.c_str(), &st) == 0 ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    *lpFindFileData = object->entries[0];
    object->next = 1;
    HANDLE h = InsertHandle(object);
    if (!h)
        return INVALID_HANDLE_VALUE;
    SetLastError(ERROR_SUCCESS);
    return h;
}

BOOL FindNextFileW(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData)
{
    dovemark::Checkpoint();
    auto find = Lookup<FindObject>(hFindFile);
    if (!find)
        return FALSE;
    std::lock_guard<std::mutex> g(find->lock);
    if (find->next >= find->entries.size())
        return Fail(ERROR_NO_MORE_FILES);
    if (!lpFindFileData)
        return Fail(ERROR_INVALID_PARAMETER);
    *lpFindFileData = find->entries[find->next++];
    return TRUE;
}

BOOL FindClose(HANDLE hFindFile)
{
    return RemoveHandle<FindObject>(hFindFile);
}
