// Starts Xvfb with -displayfd, so parallel tests never race for a display number.
#include "platform/backend/xvfb.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace xtest {

namespace {

std::string FindXvfb()
{
    for (const char* dir : {"/usr/bin", "/usr/local/bin", "/bin"}) {
        std::string p = std::string(dir) + "/Xvfb";
        if (access(p.c_str(), X_OK) == 0)
            return p;
    }
    return {};
}

} // namespace

Xvfb::Xvfb(int width, int height)
{
    std::string exe = FindXvfb();
    if (exe.empty()) {
        why_ = "Xvfb is not installed";
        return;
    }
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        why_ = "pipe failed";
        return;
    }
    std::string fd = std::to_string(fds[1]);
    std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    const char* argv[] = {exe.c_str(), "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
                          "-noreset", "-ac", nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The write end must survive exec; the server's output is of no use to the test.
    int keep = dup(fds[1]);
    posix_spawn_file_actions_adddup2(&actions, keep, fds[1]);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    int rc = posix_spawn(&pid_, exe.c_str(), &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(keep);
    close(fds[1]);
    if (rc != 0) {
        pid_ = -1;
        close(fds[0]);
        why_ = std::string("cannot start Xvfb: ") + strerror(rc);
        return;
    }
    std::string number;
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < end) {
        pollfd p{fds[0], POLLIN, 0};
        if (poll(&p, 1, 100) <= 0)
            continue;
        char buf[32];
        ssize_t n = read(fds[0], buf, sizeof(buf));
        if (n <= 0)
            break;
        number.append(buf, (size_t)n);
        if (number.find('\n') != std::string::npos)
            break;
    }
    close(fds[0]);
    while (!number.empty() && (number.back() == '\n' || number.back() == '\r'))
        number.pop_back();
    if (number.empty()) {
        why_ = "Xvfb did not start";
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
        return;
    }
    display_ = ":" + number;
}

Xvfb::~Xvfb()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

} // namespace xtest
