// The private temporary folder (gone at exit or on a terminating signal; those of killed runs swept), temporary
// file names and the program's own path.
#include "win32/kernel/disks.h"
#include "win32/kernel/util.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <string_view>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace dovemark::kernel {

// Removes the private folder; called at normal exit and by TerminateProcess on the own process.
void RemovePrivateTempFolder();

namespace {

std::mutex g_tempLock;
std::string g_tempFolder; // with a trailing slash once made
pid_t g_tempOwner = 0;

// ---- Removal on a terminating signal --------------------------------------------------------
// The handler reads the folder without locks: the path (no trailing slash) sits in one of two buffers, so a new
// path is written into the one not in use before it is published; null when there is no folder.
char g_signalPaths[2][PATH_MAX];
std::atomic<const char*> g_signalFolder{nullptr};
std::atomic<pid_t> g_signalOwner{0};
pid_t g_handlersFor = 0; // the process that installed the handlers (a forked child installs its own)
static_assert(std::atomic<const char*>::is_always_lock_free && std::atomic<pid_t>::is_always_lock_free);
constexpr int kTerminatingSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Empties the open directory with system calls only, as a signal handler must: links are removed, never followed,
// and nesting deeper than the program makes is left alone.
void RemoveEntriesAt(int dirFd, int depth)
{
    alignas(8) char buffer[2048];
    // Entries removed during a listing may hide others from it, so the listing is repeated while it removes any.
    for (int pass = 0; pass < 8; ++pass) {
        bool removed = false;
        lseek(dirFd, 0, SEEK_SET);
        long got;
        while ((got = syscall(SYS_getdents64, dirFd, buffer, sizeof buffer)) > 0) {
            for (long at = 0; at < got;) {
                // struct linux_dirent64: u64 inode, s64 offset, u16 record length, u8 type, then the name.
                unsigned short length;
                std::memcpy(&length, buffer + at + 16, sizeof length);
                const char* name = buffer + at + 19;
                at += length;
                if (length == 0)
                    return;
                if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
                    continue;
                if (unlinkat(dirFd, name, 0) == 0) {
                    removed = true;
                    continue;
                }
                if (errno != EISDIR || depth >= 8)
                    continue;
                const int sub = openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
                if (sub >= 0) {
                    RemoveEntriesAt(sub, depth + 1);
                    close(sub);
                }
                if (unlinkat(dirFd, name, AT_REMOVEDIR) == 0)
                    removed = true;
            }
        }
        if (!removed)
            return;
    }
}

void OnTerminatingSignal(int sig)
{
    const int saved = errno;
    const char* folder = g_signalFolder.load();
    if (folder && g_signalOwner.load() == getpid()) {
        const int fd = open(folder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0) {
            RemoveEntriesAt(fd, 0);
            close(fd);
        }
        rmdir(folder);
    }
    // The signal's own action then ends the process, so whoever sent it sees how the process ended.
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    sigaction(sig, &standard, nullptr);
    raise(sig);
    errno = saved;
}

// Called with the lock held once the folder exists.
void PublishForSignals(const std::string& folder)
{
    const char* current = g_signalFolder.load();
    char* next = current == g_signalPaths[0] ? g_signalPaths[1] : g_signalPaths[0];
    std::string path = folder;
    if (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (path.size() >= PATH_MAX)
        return;
    std::memcpy(next, path.c_str(), path.size() + 1);
    g_signalOwner.store(getpid());
    g_signalFolder.store(next);
    if (g_handlersFor == getpid())
        return;
    g_handlersFor = getpid();
    for (int sig : kTerminatingSignals) {
        struct sigaction old {};
        if (sigaction(sig, nullptr, &old) != 0)
            continue;
        // An ignored signal stays ignored (a run under nohup), and a handler set by someone else stays theirs.
        if ((old.sa_flags & SA_SIGINFO) || (old.sa_handler != SIG_DFL && old.sa_handler != OnTerminatingSignal))
            continue;
        struct sigaction act {};
        act.sa_handler = OnTerminatingSignal;
        sigemptyset(&act.sa_mask);
        for (int other : kTerminatingSignals)
            sigaddset(&act.sa_mask, other);
        sigaction(sig, &act, nullptr);
    }
}

// ---- Folders left by runs that were killed outright ----------------------------------------
// The process id in a name the layer makes ("dovemark-" pid "-" six letters or digits), 0 for any other name.
pid_t PidOfFolderName(std::string_view name)
{
    constexpr std::string_view kPrefix = "dovemark-";
    if (name.substr(0, kPrefix.size()) != kPrefix)
        return 0;
    name.remove_prefix(kPrefix.size());
    const size_t dash = name.find('-');
    if (dash == 0 || dash > 10 || dash == std::string_view::npos || name.size() != dash + 7)
        return 0;
    long pid = 0;
    for (char c : name.substr(0, dash)) {
        if (c < '0' || c > '9')
            return 0;
        pid = pid * 10 + (c - '0');
    }
    for (char c : name.substr(dash + 1))
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return 0;
    return pid > 0 && pid <= INT_MAX ? pid_t(pid) : 0;
}

// Removes the folders of this user under base whose process no longer runs. Anything else (another user's folder,
// a link, a file, a name of another form, a process that runs or cannot be asked about) is left alone.
void SweepStaleFolders(const std::string& base)
{
    DIR* dir = opendir(base.c_str());
    if (!dir)
        return;
    const std::string slash = base.back() == '/' ? "" : "/";
    while (const dirent* entry = readdir(dir)) {
        const pid_t pid = PidOfFolderName(entry->d_name);
        struct stat st;
        if (pid == 0 || pid == getpid() || fstatat(dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISDIR(st.st_mode) || st.st_uid != geteuid())
            continue;
        if (kill(pid, 0) == 0 || errno != ESRCH)
            continue;
        std::error_code ec;
        std::filesystem::remove_all(base + slash + entry->d_name, ec);
    }
    closedir(dir);
}

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
            SweepStaleFolders(base);
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
        g_signalFolder.store(nullptr);
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
            if (!g_tempFolder.empty())
                PublishForSignals(g_tempFolder);
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
