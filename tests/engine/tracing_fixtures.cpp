// Runs the tracing fixture generators for the engine tests.
#include "engine/tracing_fixtures.h"

#include "support/support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iconv.h>
#include <iterator>

namespace tracingtest {

bool RunPython(const std::string& script, const std::string& arguments)
{
    std::string command = "python3 '" + testsupport::SourceDir() + "/" + script + "' " + arguments;
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
    RunPython("tools/raw_dat/make_raw_dat.py", "'" + testsupport::SourceDir() + "/res/signatures.tsv' '" + path + "'");
    return path;
}

std::u16string FromCodePage936(const std::string& text)
{
    iconv_t cd = iconv_open("UTF-16LE", "GBK");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::string out(text.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    EXPECT_NE(iconv(cd, &in, &inLeft, &outPtr, &outLeft), static_cast<size_t>(-1)) << text;
    iconv_close(cd);
    std::u16string wide;
    for (size_t i = 0; i + 1 < out.size() - outLeft; i += 2)
        wide.push_back(static_cast<char16_t>(static_cast<uint8_t>(out[i]) | static_cast<uint8_t>(out[i + 1]) << 8));
    return wide;
}

} // namespace tracingtest
