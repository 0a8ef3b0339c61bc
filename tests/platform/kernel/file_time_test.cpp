// FILETIME arithmetic: calendar conversions, DOS dates, local time and the times kept on files.
#include "support/support.h"
#include "win32/kernel.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

ULONGLONG Value(const FILETIME& ft)
{
    return ULONGLONG(ft.dwHighDateTime) << 32 | ft.dwLowDateTime;
}

FILETIME Make(ULONGLONG v)
{
    return FILETIME{DWORD(v), DWORD(v >> 32)};
}

std::u16string ScratchFile(const char* name)
{
    std::u16string path;
    for (char c : testsupport::ScratchDir() + "/" + name)
        path += char16_t(c);
    return path;
}

struct CalendarCase {
    ULONGLONG ticks;
    SYSTEMTIME st; // year, month, weekday, day, hour, minute, second, ms
};

TEST(FileTime, CalendarConversionsBothWays)
{
    const CalendarCase cases[] = {
        {0, {1601, 1, 1, 1, 0, 0, 0, 0}},
        {116444736000000000ULL, {1970, 1, 4, 1, 0, 0, 0, 0}},
        {125911584000000000ULL, {2000, 1, 6, 1, 0, 0, 0, 0}},
        {125962560000000000ULL, {2000, 2, 2, 29, 0, 0, 0, 0}},             // leap day of a 400-year leap
        {134116955031230000ULL, {2025, 12, 3, 31, 22, 58, 23, 123}}, // with milliseconds
        {0x7FFFFFFFFFFFFFFFULL - 0x7FFFFFFFFFFFFFFFULL % 10000, {30828, 9, 4, 14, 2, 48, 5, 477}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ticks);
        SYSTEMTIME st;
        FILETIME ft = Make(c.ticks);
        ASSERT_TRUE(FileTimeToSystemTime(&ft, &st));
        EXPECT_EQ(st.wYear, c.st.wYear);
        EXPECT_EQ(st.wMonth, c.st.wMonth);
        EXPECT_EQ(st.wDay, c.st.wDay);
        EXPECT_EQ(st.wDayOfWeek, c.st.wDayOfWeek);
        EXPECT_EQ(st.wHour, c.st.wHour);
        EXPECT_EQ(st.wMinute, c.st.wMinute);
        EXPECT_EQ(st.wSecond, c.st.wSecond);
        EXPECT_EQ(st.wMilliseconds, c.st.wMilliseconds);
        if (c.st.wYear <= 30827) {
            FILETIME back;
            ASSERT_TRUE(SystemTimeToFileTime(&st, &back));
            EXPECT_EQ(Value(back), c.ticks - c.ticks % 10000);
        }
    }
    FILETIME negative = Make(0x8000000000000000ULL);
    SYSTEMTIME st;
    EXPECT_FALSE(FileTimeToSystemTime(&negative, &st));
}

TEST(FileTime, InvalidCalendarDatesAreRefused)
{
    const SYSTEMTIME bad[] = {
        {2023, 2, 0, 29, 0, 0, 0, 0}, // no leap year
        {1900, 2, 0, 29, 0, 0, 0, 0}, // centuries are not leap years
        {1600, 1, 0, 1, 0, 0, 0, 0},  // before the epoch
        {2020, 13, 0, 1, 0, 0, 0, 0},
        {2020, 1, 0, 1, 24, 0, 0, 0},
        {2020, 1, 0, 1, 0, 0, 60, 0},
        {2020, 1, 0, 1, 0, 0, 0, 1000},
    };
    for (const auto& st : bad) {
        FILETIME ft;
        EXPECT_FALSE(SystemTimeToFileTime(&st, &ft)) << st.wYear << "-" << st.wMonth << "-" << st.wDay;
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    }
}

TEST(FileTime, DosDatesAndTimes)
{
    struct Case {
        WORD date, time;
        bool ok;
        SYSTEMTIME st;
    } cases[] = {
        {0x0021, 0x0000, true, {1980, 1, 0, 1, 0, 0, 0, 0}},
        {WORD((2009 - 1980) << 9 | 6 << 5 | 15), WORD(13 << 11 | 45 << 5 | 29), true, {2009, 6, 0, 15, 13, 45, 58, 0}},
        {WORD(127 << 9 | 12 << 5 | 31), WORD(23 << 11 | 59 << 5 | 29), true, {2107, 12, 0, 31, 23, 59, 58, 0}},
        {0x0000, 0x0000, false, {}},                       // month 0, day 0: an empty entry
        {WORD(44 << 9 | 2 << 5 | 30), 0, false, {}},        // 30 February 2024
        {0x0021, WORD(24 << 11), false, {}},                 // hour 24
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.date);
        FILETIME ft;
        ASSERT_EQ(bool(DosDateTimeToFileTime(c.date, c.time, &ft)), c.ok);
        if (!c.ok)
            continue;
        SYSTEMTIME st;
        ASSERT_TRUE(FileTimeToSystemTime(&ft, &st));
        EXPECT_EQ(st.wYear, c.st.wYear);
        EXPECT_EQ(st.wMonth, c.st.wMonth);
        EXPECT_EQ(st.wDay, c.st.wDay);
        EXPECT_EQ(st.wHour, c.st.wHour);
        EXPECT_EQ(st.wMinute, c.st.wMinute);
        EXPECT_EQ(st.wSecond, c.st.wSecond);
        WORD date, time;
        ASSERT_TRUE(FileTimeToDosDateTime(&ft, &date, &time));
        EXPECT_EQ(date, c.date);
        EXPECT_EQ(time, c.time);
    }
}

TEST(FileTime, LocalTimeUsesTheZoneOffset)
{
    const char* old = std::getenv("TZ");
    std::string saved = old ? old : "";
    setenv("TZ", "CST-8", 1); // China Standard Time, no daylight saving
    tzset();
    FILETIME utc = Make(133000000000000000ULL), local, back;
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
    EXPECT_EQ(Value(local) - Value(utc), 8ULL * 3600 * 10000000);
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &back));
    EXPECT_EQ(Value(back), Value(utc));
    if (old)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST(FileTime, FileTimesIncludingCreationAreKept)
{
    const std::u16string path = ScratchFile("t.txt");
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    FILETIME created = Make(125911584000000000ULL), accessed = Make(130000000000000000ULL),
             written = Make(129000000000000000ULL);
    ASSERT_TRUE(SetFileTime(h, &created, &accessed, &written));
    FILETIME c, a, w;
    ASSERT_TRUE(GetFileTime(h, &c, &a, &w));
    EXPECT_EQ(Value(a), Value(accessed));
    EXPECT_EQ(Value(w), Value(written));
    EXPECT_EQ(Value(c), Value(created)); // where the file system has extended attributes, as here
    // A zero time changes nothing.
    FILETIME zero{0, 0};
    ASSERT_TRUE(SetFileTime(h, nullptr, &zero, nullptr));
    ASSERT_TRUE(GetFileTime(h, nullptr, &a, nullptr));
    EXPECT_EQ(Value(a), Value(accessed));
    CloseHandle(h);

    WIN32_FIND_DATAW fd;
    HANDLE f = FindFirstFileW(path.c_str(), &fd);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Value(fd.ftCreationTime), Value(created));
    EXPECT_EQ(Value(fd.ftLastWriteTime), Value(written));
    FindClose(f);

    h = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_FALSE(SetFileTime(h, nullptr, nullptr, &written));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    CloseHandle(h);
}

// A damaged record's time can be any 64-bit value: times past what FILETIME holds are kept as the latest one,
// never wrapped into the past (and never computed with a signed overflow).
TEST(FileTime, TimesPastTheRangeAreClamped)
{
    const std::u16string path = ScratchFile("far.txt");
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    const FILETIME reference = Make(130000000000000000ULL);
    for (ULONGLONG far : {0x8000000000000000ULL, 0xFFFFFFFFFFFFFFFFULL, 0x7FFFFFFFFFFFFFFFULL}) {
        const FILETIME ft = Make(far);
        ASSERT_TRUE(SetFileTime(h, &ft, &ft, &ft)) << std::hex << far;
        FILETIME c, a, w;
        ASSERT_TRUE(GetFileTime(h, &c, &a, &w));
        for (const FILETIME& got : {c, a, w}) {
            EXPECT_GT(Value(got), Value(reference)) << std::hex << far;
            EXPECT_LE(Value(got), 0x7FFFFFFFFFFFFFFFULL) << std::hex << far;
        }
    }
    CloseHandle(h);
}

} // namespace
