// The private temporary folder leaves with a process ended by a signal, and the folders of runs that were killed
// outright are swept when the next run makes its own.
#include "support/support.h"
#include "win32/kernel.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct Child {
    pid_t Pid = -1;
    std::string Folder;
};

// A child process that makes its temporary folder under base, fills it as previews do (a copy and a folder of plain
// files), tells the folder through a pipe and waits to be ended.
Child StartChild(const std::string& base)
{
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        // A shell may start background jobs with SIGINT ignored; these runs want every signal's default.
        for (int sig : {SIGTERM, SIGINT, SIGHUP})
            signal(sig, SIG_DFL);
        // No disk is read here, so the folder may go under base whatever disk holds it.
        setenv("DOVEMARK_HOST_DISKS", "0", 1);
        unsetenv("DOVEMARK_DISKS");
        setenv("TMPDIR", base.c_str(), 1);
        WCHAR folder[MAX_PATH];
        const DWORD n = GetTempPathW(MAX_PATH, folder);
        const std::string path(folder, folder + n);
        fs::create_directories(path + "ssss");
        std::ofstream(path + "ssss/plain.txt") << "x";
        std::ofstream(path + "preview.jpg") << "x";
        if (write(fds[1], path.data(), path.size()) < 0)
            _exit(1);
        close(fds[1]);
        for (;;)
            pause();
    }
    close(fds[1]);
    Child child{pid, {}};
    char buffer[512];
    ssize_t got;
    while ((got = read(fds[0], buffer, sizeof buffer)) > 0)
        child.Folder.append(buffer, size_t(got));
    close(fds[0]);
    return child;
}

// Sends the signal and waits: true when the child ended by it.
bool EndedBy(const Child& child, int sig)
{
    int status = 0;
    return kill(child.Pid, sig) == 0 && waitpid(child.Pid, &status, 0) == child.Pid && WIFSIGNALED(status) &&
           WTERMSIG(status) == sig;
}

TEST(TempFolder, GoesWithAProcessEndedByASignal)
{
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        const std::string base = testsupport::ScratchDir();
        const Child child = StartChild(base);
        ASSERT_GT(child.Pid, 0);
        ASSERT_FALSE(child.Folder.empty()) << sig;
        EXPECT_TRUE(fs::exists(child.Folder + "ssss/plain.txt")) << sig;
        EXPECT_TRUE(EndedBy(child, sig)) << sig;
        EXPECT_FALSE(fs::exists(child.Folder)) << sig;
    }
}

// Only this user's folders named by the layer whose process has ended go; everything else beside them stays.
TEST(TempFolder, FoldersOfEndedRunsAreSwept)
{
    const std::string base = testsupport::ScratchDir();
    const pid_t ended = fork();
    if (ended == 0)
        _exit(0);
    ASSERT_GT(ended, 0);
    ASSERT_EQ(waitpid(ended, nullptr, 0), ended);
    const std::string gone = base + "/dovemark-" + std::to_string(ended);
    fs::create_directories(gone + "-a1B2c3/ssss");
    std::ofstream(gone + "-a1B2c3/ssss/plain.txt") << "x";
    fs::create_directories(base + "/target");
    std::ofstream(base + "/target/keep.txt") << "x";
    const std::string kept[] = {
        base + "/dovemark-" + std::to_string(getpid()) + "-d4e5f6", // a process that runs
        gone + "-a1B2c3d",                                          // names of other forms
        gone + "-a1.2c3",
        base + "/dovemark--a1B2c3",
        base + "/xdovemark-" + std::to_string(ended) + "-a1B2c3",
    };
    for (const std::string& k : kept)
        fs::create_directories(k);
    std::ofstream(gone + "-file01") << "x";                   // a file, not a folder
    fs::create_directory_symlink(base + "/target", gone + "-link01"); // a link is not followed nor removed

    const Child child = StartChild(base);
    ASSERT_GT(child.Pid, 0);
    ASSERT_FALSE(child.Folder.empty());
    EXPECT_TRUE(EndedBy(child, SIGTERM));

    EXPECT_EQ(child.Folder.rfind(base + "/dovemark-", 0), 0u) << child.Folder;
    EXPECT_FALSE(fs::exists(gone + "-a1B2c3"));
    for (const std::string& k : kept)
        EXPECT_TRUE(fs::is_directory(k)) << k;
    EXPECT_TRUE(fs::is_regular_file(gone + "-file01"));
    EXPECT_TRUE(fs::is_symlink(gone + "-link01"));
    EXPECT_TRUE(fs::exists(base + "/target/keep.txt"));
}

} // namespace
