// The entry point of every test program. Each suite runs as one process (see cmake/suite_tests.cmake); a suite
// whose every test was skipped (an X server or a tool missing here) ends with the code the suite's test skips on,
// so CTest reports it skipped, while one failure among skips still fails it.
#include <gtest/gtest.h>

// The sanitizers' settings of every test program, however it is started (the test script, plain ctest, by hand):
// the first report ends the test, and leaks are not checked, since windows, fonts and caches of the layer live as
// long as the process. Settings in the environment still come after these and win.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0:abort_on_error=1";
}

extern "C" const char* __ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}

namespace {
constexpr int kAllSkipped = 77;
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    const testing::UnitTest& run = *testing::UnitTest::GetInstance();
    if (result == 0 && run.successful_test_count() == 0 && run.skipped_test_count() > 0)
        return kAllSkipped;
    return result;
}
