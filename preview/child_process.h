// RunChildProcess: runs a helper program on a file from a damaged disk in a process of its own, with a
// time limit and a cap on what it may write, and collects its standard output.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct ChildProcessLimits {
    int timeoutMs = 20000;
    // The most the child may write to its standard output.
    size_t maxOutputBytes = size_t(256) << 20;
    // When set, a folder the child writes into: it is killed once the files under it pass maxFolderBytes.
    std::string watchFolder;
    uint64_t maxFolderBytes = uint64_t(256) << 20;
    // Its standard error goes nowhere (else it is the program's own).
    bool quiet = false;
    // Variables added to (or replacing those of) the program's environment, "NAME=value"; a bare "NAME"
    // removes it.
    std::vector<std::string> environment;
    // Called about every 50 ms while the child runs (a window may repaint meanwhile); false stops it.
    std::function<bool()> idle;
};

enum class ChildProcessResult { kOk, kNoProgram, kFailed };

// argv[0] is the program's path. kOk only when the child ran to its end within the limits and exited with
// 0. Whatever it started in its own process group is killed with it when it overruns.
ChildProcessResult RunChildProcess(const std::vector<std::string>& argv, const ChildProcessLimits& limits,
                                   std::string& output);
