// The last-error value is kept per thread.
#include "win32/types.h"

#include <gtest/gtest.h>
#include <thread>

TEST(LastError, IsPerThread)
{
    SetLastError(ERROR_ACCESS_DENIED);
    DWORD seenByOther = 1;
    std::thread([&] { seenByOther = GetLastError(); SetLastError(ERROR_FILE_NOT_FOUND); }).join();
    EXPECT_EQ(seenByOther, DWORD(ERROR_SUCCESS));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
}
