// Runs the tracing fixture generators for the engine tests.
#include "engine/tracing_fixtures.h"

#include "support/support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace tracingtest {

bool RunPython(const std::string& script, const std::string& arguments)
{
    std::string command = "python3 '" + std::string(DOVEMARK_SOURCE_DIR) + "/" + script + "' " + arguments;
    int status = std::system(command.c_str());
    EXPECT_EQ(status, 0) << command;
    return status == 0;
}

std::vector<uint8_t> ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string MakeRawDat(const std::string& folder)
{
    std::string path = folder + "/Raw.dat";
    RunPython("tools/raw_dat/make_raw_dat.py", "'" + std::string(DOVEMARK_SOURCE_DIR) + "/res/signatures.tsv' '" + path + "'");
    return path;
}

} // namespace tracingtest
