// The helper-program runner: what a child writes comes back; a child that overruns its time, its output or
// the folder it writes into is killed with whatever it started, and reported as failed.
#include "preview/child_process.h"
#include "support/support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <unistd.h>

namespace {

// A killed process may stay a zombie until whoever adopted it reaps it.
bool Alive(int pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return false;
    size_t close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] != 'Z';
}

TEST(ChildProcessTest, LimitsEndTheChildAndItsGroup)
{
    const std::string dir = testsupport::ScratchDir();
    const std::string pidFile = dir + "/grandchild";
    struct Case {
        const char* name;
        std::string script;
        ChildProcessLimits limits;
        ChildProcessResult result;
        std::string output;
    };
    ChildProcessLimits quick;
    quick.timeoutMs = 300;
    ChildProcessLimits smallOutput;
    smallOutput.maxOutputBytes = 1000;
    ChildProcessLimits smallFolder;
    smallFolder.watchFolder = dir;
    smallFolder.maxFolderBytes = 100000;
    ChildProcessLimits stopped;
    stopped.idle = [] { return false; };
    ChildProcessLimits withEnvironment;
    withEnvironment.environment = {"CHILD_TEST_VALUE=seen", "HOME"};
    const Case cases[] = {
        {"answers", "echo hello", {}, ChildProcessResult::kOk, "hello\n"},
        {"fails", "echo partial; exit 3", {}, ChildProcessResult::kFailed, "partial\n"},
        {"hangs", "sleep 30 & echo $! > " + pidFile + "; wait", quick, ChildProcessResult::kFailed, ""},
        {"talks too much", "yes", smallOutput, ChildProcessResult::kFailed, ""},
        {"fills the folder", "head -c 10000000 /dev/zero > " + dir + "/big; sleep 30", smallFolder,
         ChildProcessResult::kFailed, ""},
        {"stopped", "sleep 30", stopped, ChildProcessResult::kFailed, ""},
        {"environment", "echo \"$CHILD_TEST_VALUE ${HOME:-none}\"", withEnvironment, ChildProcessResult::kOk,
         "seen none\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string output;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(RunChildProcess({"/bin/sh", "-c", c.script}, c.limits, output), c.result);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
        if (c.result == ChildProcessResult::kOk || c.output.size())
            EXPECT_EQ(output, c.output);
        else
            EXPECT_LE(output.size(), c.limits.maxOutputBytes);
    }
    // The hanging script's own child went with it.
    int grandchild = 0;
    std::ifstream(pidFile) >> grandchild;
    ASSERT_GT(grandchild, 0);
    for (int i = 0; i < 100 && Alive(grandchild); ++i)
        usleep(10000);
    EXPECT_FALSE(Alive(grandchild));

    std::string output;
    EXPECT_EQ(RunChildProcess({dir + "/no-such-program"}, {}, output), ChildProcessResult::kNoProgram);
}

} // namespace
