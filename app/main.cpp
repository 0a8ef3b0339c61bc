// Entry point of the dovemark executable.
#include <cstdio>

int main()
{
    std::fputs("Dovemark: the application is not built yet; the engine and the platform layer are.\n", stderr);
    return 1;
}
