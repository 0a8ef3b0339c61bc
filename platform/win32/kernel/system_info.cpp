// The system version the layer reports, MulDiv, and the C runtime's 15-bit random numbers.
#include "win32/kernel/util.h"

#include <cstring>

using dovemark::kernel::Fail;

BOOL GetVersionExW(LPOSVERSIONINFOW info)
{
    if (!info)
        return Fail(ERROR_INVALID_PARAMETER);
    DWORD size = info->dwOSVersionInfoSize;
    if (size != sizeof(OSVERSIONINFOW) && size != sizeof(OSVERSIONINFOEXW))
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    info->dwMajorVersion = 5;
    info->dwMinorVersion = 1;
    info->dwBuildNumber = 2600;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    static const char16_t kServicePack[] = u"Service Pack 3";
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    std::memcpy(info->szCSDVersion, kServicePack, sizeof kServicePack);
    if (size == sizeof(OSVERSIONINFOEXW)) {
        auto* ex = reinterpret_cast<LPOSVERSIONINFOEXW>(info);
        ex->wServicePackMajor = 3;
        ex->wServicePackMinor = 0;
        ex->wSuiteMask = 0x0100; // VER_SUITE_SINGLEUSERTS, as a desktop XP reports
        ex->wProductType = VER_NT_WORKSTATION;
        ex->wReserved = 0;
    }
    return TRUE;
}

DWORD GetVersion()
{
    return DWORD(2600) << 16 | 1 << 8 | 5;
}

int MulDiv(int nNumber, int nNumerator, int nDenominator)
{
    if (nDenominator == 0)
        return -1;
    LONGLONG product = LONGLONG(nNumber) * nNumerator;
    LONGLONG half = nDenominator / 2;
    // Round half away from zero, whatever the signs.
    LONGLONG result = (product < 0) == (nDenominator < 0) ? (product + half) / nDenominator
                                                          : (product - half) / nDenominator;
    if (result > INT32_MAX || result < INT32_MIN)
        return -1;
    return int(result);
}

namespace crt {
namespace {
thread_local unsigned int t_seed = 1;
}

int rand()
{
    t_seed = t_seed * 214013u + 2531011u;
    return int((t_seed >> 16) & 0x7FFF);
}

void srand(unsigned int seed)
{
    t_seed = seed;
}
} // namespace crt
