// The helper-program runner: spawn in a process group of its own, collect its output with a deadline, watch
// the folder it writes into, kill the group when it overruns, and always reap it.
#include "preview/child_process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// How often a running child's folder is measured and the idle callback runs.
const int kSliceMs = 50;

uint64_t FolderBytes(const std::string& folder)
{
    std::error_code ec;
    uint64_t total = 0;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        std::error_code sizeError;
        if (it->is_regular_file(sizeError)) {
            uintmax_t size = it->file_size(sizeError);
            if (!sizeError)
                total += size;
        }
    }
    return total;
}

std::vector<std::string> Environment(const std::vector<std::string>& changes)
{
    std::vector<std::string> env;
    auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
    for (char** e = environ; e && *e; ++e) {
        std::string entry(*e);
        bool replaced = false;
        for (const std::string& change : changes)
            replaced = replaced || nameOf(change) == nameOf(entry);
        if (!replaced)
            env.push_back(entry);
    }
    for (const std::string& change : changes)
        if (change.find('=') != std::string::npos)
            env.push_back(change);
    return env;
}

} // namespace

ChildProcessResult RunChildProcess(const std::vector<std::string>& args, const ChildProcessLimits& limits,
                                   std::string& output)
{
    if (args.empty() || access(args[0].c_str(), X_OK) != 0)
        return ChildProcessResult::kNoProgram;
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> envStrings = Environment(limits.environment);
    std::vector<char*> envp;
    for (std::string& e : envStrings)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return ChildProcessResult::kFailed;
    // Spawning execs at once, so nothing of this process (its threads' locks among it) is used in the child.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    if (limits.quiet)
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETPGROUP);
    pid_t pid = -1;
    int rc = posix_spawn(&pid, args[0].c_str(), &actions, &attr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    close(fds[1]);
    if (rc != 0) {
        close(fds[0]);
        return ChildProcessResult::kFailed;
    }

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limits.timeoutMs);
    bool ok = true;
    std::vector<char> buffer(65536);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || (limits.idle && !limits.idle()) ||
            (!limits.watchFolder.empty() && FolderBytes(limits.watchFolder) > limits.maxFolderBytes)) {
            ok = false;
            break;
        }
        pollfd p{fds[0], POLLIN, 0};
        int r = poll(&p, 1, int(std::min<int64_t>(left.count(), kSliceMs)));
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0) {
            ok = false;
            break;
        }
        if (r == 0)
            continue;
        ssize_t n = read(fds[0], buffer.data(), buffer.size());
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0)
            break;
        if (output.size() + size_t(n) > limits.maxOutputBytes) {
            ok = false;
            break;
        }
        output.append(buffer.data(), size_t(n));
    }
    close(fds[0]);
    // The group is killed while its leader is not yet reaped, so its id cannot have been taken by another.
    if (!ok)
        kill(-pid, SIGKILL);
    int status = 0;
    pid_t waited;
    while ((waited = waitpid(pid, &status, 0)) < 0 && errno == EINTR) {
    }
    return ok && waited == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? ChildProcessResult::kOk
                                                                                 : ChildProcessResult::kFailed;
}
