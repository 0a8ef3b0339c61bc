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
