// The private temporary folder, temporary file names and the program's own path.
#include "win32/kernel/disks.h"
#include "win32/kernel/util.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace dovemark::kernel {

// Removes the private folder; called at normal exit and by TerminateProcess on the own process.
void RemovePrivateTempFolder();

namespace {

std::mutex g_tempLock;
std::string g_tempFolder; // with a trailing slash once made
pid_t g_tempOwner = 0;

std::string MakePrivateFolder()
{
    DeviceMap map = CurrentDisks();
    std::vector<std::string> bases;
    if (const char* t = std::getenv("TMPDIR"))
        bases.push_back(t);
    bases.insert(bases.end(), {"/tmp", "/var/tmp", "/dev/shm"});
    if (const char* r = std::getenv("XDG_RUNTIME_DIR"))
        bases.push_back(r);
    for (const std::string& base : bases) {
        struct stat st;
        if (base.empty() || stat(base.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            continue;
        if (IsOnSourceDisk(map, st.st_dev)) // recovered data must not land on the disk being read
            continue;
        std::string tmpl = base + (base.back() == '/' ? "" : "/") + "dovemark-" + std::to_string(getpid()) + "-XXXXXX";
        if (mkdtemp(tmpl.data())) { // mode 0700
            return tmpl + "/";
        }
    }
    return {};
}

} // namespace

void RemovePrivateTempFolder()
{
    std::lock_guard<std::mutex> g(g_tempLock);
    if (!g_tempFolder.empty() && g_tempOwner == getpid()) {
        std::error_code ec;
        std::filesystem::remove_all(g_tempFolder, ec);
        g_tempFolder.clear();
    }
}

} // namespace dovemark::kernel

using namespace dovemark::kernel;

DWORD GetTempPathW(DWORD nBufferLength, LPWSTR lpBuffer)
{
    std::string folder;
    {
        std::lock_guard<std::mutex> g(g_tempLock);
        struct stat st;
        if (g_tempFolder.empty() || g_tempOwner != getpid() || stat(g_tempFolder.c_str(), &st) != 0) {
            bool first = g_tempOwner == 0;
            g_tempFolder = MakePrivateFolder();
            g_tempOwner = getpid();
            if (first && !g_tempFolder.empty())
                std::atexit(RemovePrivateTempFolder);
        }
        folder = g_tempFolder;
    }
    if (folder.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    return CopyOutString(Utf8ToUtf16(folder), lpBuffer, nBufferLength);
}

UINT GetTempFileNameW(LPCWSTR lpPathName, LPCWSTR lpPrefixString, UINT uUnique, LPWSTR lpTempFileName)
{
    if (!lpPathName || !lpTempFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::u16string folder = lpPathName;
    if (!folder.empty() && folder.back() != u'\\' && folder.back() != u'/')
        folder += u'/';
    std::u16string prefix = lpPrefixString ? lpPrefixString : u"";
    prefix = prefix.substr(0, 3);
    auto nameFor = [&](UINT number) {
        static const char kHex[] = "0123456789ABCDEF";
        std::u16string name = folder + prefix;
        char16_t digits[5] = {};
        for (int i = 3; i >= 0; --i) {
            digits[i] = char16_t(kHex[number & 15]);
            number >>= 4;
        }
        // Windows drops leading zeros of the number.
        std::u16string hex(digits, 4);
        size_t nz = hex.find_first_not_of(u'0');
        return name + (nz == std::u16string::npos ? u"0" : hex.substr(nz)) + u".tmp";
    };
    if (folder.size() + prefix.size() + 8 >= MAX_PATH) {
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return 0;
    }
    if (uUnique) {
        std::u16string name = nameFor(uUnique & 0xFFFF);
        std::copy(name.begin(), name.end(), lpTempFileName);
        lpTempFileName[name.size()] = 0;
        return uUnique & 0xFFFF;
    }
    std::string dir;
    if (!dovemark::MapPath(folder.c_str(), dir))
        return 0;
    struct stat st;
    if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_DIRECTORY);
        return 0;
    }
    UINT start = UINT(ULONGLONG(std::chrono::steady_clock::now().time_since_epoch().count()) & 0xFFFF);
    for (UINT i = 0; i < 0x10000; ++i) {
        UINT number = (start + i) & 0xFFFF;
        if (number == 0)
            continue;
        std::u16string name = nameFor(number);
        std::string path;
        if (!dovemark::MapPath(name.c_str(), path))
            return 0;
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            close(fd);
            NotePathCreated(path);
            std::copy(name.begin(), name.end(), lpTempFileName);
            lpTempFileName[name.size()] = 0;
            return number;
        }
        if (errno != EEXIST) {
            FailErrno(errno);
            return 0;
        }
    }
    SetLastError(ERROR_FILE_EXISTS);
    return 0;
}

DWORD GetModuleFileNameW(HMODULE, LPWSTR lpFilename, DWORD nSize)
{
    char exe[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n < 0) {
        FailErrno(errno);
        return 0;
    }
    exe[n] = 0;
    std::u16string wide = Utf8ToUtf16(exe);
    if (!lpFilename || nSize == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (wide.size() >= nSize) {
        // Truncated but always terminated, so that a caller's string functions stay in bounds.
        std::copy(wide.begin(), wide.begin() + (nSize - 1), lpFilename);
        lpFilename[nSize - 1] = 0;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nSize;
    }
    std::copy(wide.begin(), wide.end(), lpFilename);
    lpFilename[wide.size()] = 0;
    SetLastError(ERROR_SUCCESS);
    return DWORD(wide.size());
}
