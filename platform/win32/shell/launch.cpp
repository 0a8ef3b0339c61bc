// Starting Linux programs for the shell functions: argument splitting, program look-up, spawning.
#include "win32/shell/launch.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace shell {

std::vector<std::u16string> SplitCommandLine(const std::u16string& line)
{
    std::vector<std::u16string> args;
    size_t i = 0, n = line.size();
    while (true) {
        while (i < n && (line[i] == u' ' || line[i] == u'\t'))
            ++i;
        if (i >= n)
            break;
        std::u16string arg;
        bool quoted = false;
        while (i < n && (quoted || (line[i] != u' ' && line[i] != u'\t'))) {
            if (line[i] == u'\\') {
                size_t slashes = 0;
                while (i < n && line[i] == u'\\') {
                    ++slashes;
                    ++i;
                }
                if (i < n && line[i] == u'"') {
                    arg.append(slashes / 2, u'\\');
                    if (slashes % 2) {
                        arg += u'"';
                        ++i;
                    }
                } else {
                    arg.append(slashes, u'\\');
                }
            } else if (line[i] == u'"') {
                // Inside quotes a doubled quote stands for one.
                if (quoted && i + 1 < n && line[i + 1] == u'"') {
                    arg += u'"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                arg += line[i++];
            }
        }
        args.push_back(std::move(arg));
    }
    return args;
}

std::string FindOnPath(const std::string& name)
{
    if (name.empty() || name.find('/') != std::string::npos)
        return {};
    const char* path = std::getenv("PATH");
    std::string list = path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= list.size()) {
        size_t colon = list.find(':', start);
        std::string dir = list.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        if (dir.empty())
            dir.assign(1, '.');
        std::string candidate = dir + "/" + name;
        struct stat st;
        if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        if (colon == std::string::npos)
            break;
        start = colon + 1;
    }
    return {};
}

bool IsRunnable(const std::string& path)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || access(path.c_str(), X_OK) != 0)
        return false;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    unsigned char head[4] = {};
    ssize_t got = read(fd, head, sizeof head);
    close(fd);
    if (got >= 4 && head[0] == 0x7F && head[1] == 'E' && head[2] == 'L' && head[3] == 'F')
        return true;
    return got >= 2 && head[0] == '#' && head[1] == '!';
}

namespace {

int ExitCodeOf(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return 0;
}

void ReapLater(pid_t pid)
{
    std::thread([pid] {
        int status;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

} // namespace

LaunchResult Launch(const std::vector<std::string>& argv, const std::string& dir, unsigned waitMs)
{
    LaunchResult result;
    if (argv.empty()) {
        result.error = ENOENT;
        return result;
    }
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    if (!dir.empty())
        posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
    // The child starts with default signal handling and an empty mask, whatever the layer set.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    pid_t pid = 0;
    int rc = posix_spawn(&pid, argv[0].c_str(), &actions, &attr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) {
        result.error = rc;
        return result;
    }

    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (waitMs) {
        int status = 0;
        pid_t got = waitpid(pid, &status, WNOHANG);
        if (got == pid) {
            result.exited = true;
            result.exitCode = ExitCodeOf(status);
            return result;
        }
        if (got < 0 && errno != EINTR)
            return result;
        if (std::chrono::steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ReapLater(pid);
    return result;
}

} // namespace shell
