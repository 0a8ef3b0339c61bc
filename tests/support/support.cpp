// Scratch folders and source paths for the test programs.
#include "support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace testsupport {
namespace fs = std::filesystem;

std::string SourceDir()
{
    return DOVEMARK_SOURCE_DIR;
}

std::string BinaryDir()
{
    return DOVEMARK_BINARY_DIR;
}

std::string FixturesDir()
{
    if (const char* dir = std::getenv("DOVEMARK_FIXTURES"))
        return dir;
    return std::string(DOVEMARK_SOURCE_DIR) + "/tests/fixtures";
}

namespace {
struct ScratchRoot {
    fs::path root;
    ScratchRoot()
    {
        std::string tmpl = (fs::temp_directory_path() / "dovemark-test-XXXXXX").string();
        if (!mkdtemp(tmpl.data()))
            std::abort();
        root = tmpl;
    }
    ~ScratchRoot()
    {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};
} // namespace

std::string ScratchDir()
{
    static ScratchRoot scratch;
    static int counter = 0;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "global";
    for (char& c : name)
        if (c == '/')
            c = '_';
    fs::path dir = scratch.root / (name + "-" + std::to_string(++counter));
    fs::create_directories(dir);
    return dir.string();
}

} // namespace testsupport
