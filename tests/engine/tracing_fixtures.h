// Test helpers of file tracing: running the repository's Python generators and reading whole files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tracingtest {

// Runs `python3 <repository>/<script> <arguments>`; fails the current test when it does not exit 0.
bool RunPython(const std::string& script, const std::string& arguments);

std::vector<uint8_t> ReadWholeFile(const std::string& path);

// Raw.dat compiled from the repository's table into `folder`; returns its path.
std::string MakeRawDat(const std::string& folder);

// Text of the program's narrow code page (936) as UTF-16.
std::u16string FromCodePage936(const std::string& text);

} // namespace tracingtest
