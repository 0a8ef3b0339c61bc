// Starting Linux programs for the shell functions: argument splitting, program look-up, spawning.
#pragma once

#include "win32/types.h"

#include <string>
#include <vector>

namespace shell {

// Splits a command line into arguments by the Windows rules: blanks separate, double quotes group,
// 2n backslashes before a quote give n backslashes and a quote that groups, 2n+1 give n and a
// literal quote; other backslashes stand as they are.
std::vector<std::u16string> SplitCommandLine(const std::u16string& line);

// The Linux path of a program named without a folder, searched along PATH; empty when none.
std::string FindOnPath(const std::string& name);

// Whether the file is one Linux can run itself: executable by the user and an ELF image or a
// script with an interpreter line. Data files on FAT or NTFS mounts carry execute bits too.
bool IsRunnable(const std::string& path);

struct LaunchResult {
    int error = 0;         // errno of a start that failed (the program did not run)
    bool exited = false;   // the program ended within the wait
    int exitCode = 0;      // its exit code (128 + signal when killed)
};

// Starts argv[0] (a path) with the arguments, in folder dir when not empty, with standard input
// from /dev/null and no descriptor of the layer inherited. Waits up to waitMs for it to end (0:
// not at all); a program still running is reaped in the background.
LaunchResult Launch(const std::vector<std::string>& argv, const std::string& dir, unsigned waitMs);

} // namespace shell
