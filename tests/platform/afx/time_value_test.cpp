// CTime: moments from local fields, FILETIME, SYSTEMTIME and DOS dates, shown in local time, and
// the times it refuses (shown as empty text).
#include "afx/afx.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class TimeValueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("TZ", "CST-8", 1); // UTC+8, no daylight saving
        tzset();
    }
    void TearDown() override
    {
        unsetenv("TZ");
        tzset();
    }
};

FILETIME Utc(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    SYSTEMTIME st{};
    st.wYear = year, st.wMonth = month, st.wDay = day, st.wHour = hour, st.wMinute = minute, st.wSecond = second;
    FILETIME ft{};
    SystemTimeToFileTime(&st, &ft);
    return ft;
}

} // namespace

TEST_F(TimeValueTest, SourcesAndLocalFields)
{
    SYSTEMTIME local{};
    local.wYear = 2021, local.wMonth = 3, local.wDay = 5, local.wHour = 14, local.wMinute = 30, local.wSecond = 20;
    const WORD dosDate = (2021 - 1980) << 9 | 3 << 5 | 5, dosTime = 14 << 11 | 30 << 5 | 10;
    struct {
        const char* what;
        CTime time;
    } cases[] = {
        {"fields", CTime(2021, 3, 5, 14, 30, 20)},
        {"time_t", CTime(time_t(1614925820))},        // 06:30:20 UTC
        {"FILETIME (UTC)", CTime(Utc(2021, 3, 5, 6, 30, 20))},
        {"SYSTEMTIME (local)", CTime(local)},
        {"DOS date and time (local)", CTime(dosDate, dosTime)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.time.GetTime(), 1614925820);
        EXPECT_EQ(c.time.Format(u"%d %b %Y, %X"), u"05 Mar 2021, 14:30:20");
        EXPECT_EQ(c.time.FormatGmt(u"%H:%M"), u"06:30");
        EXPECT_EQ(c.time.GetYear() * 10000 + c.time.GetMonth() * 100 + c.time.GetDay(), 20210305);
        EXPECT_EQ(c.time.GetDayOfWeek(), 6); // a Friday
    }
}

TEST_F(TimeValueTest, TimesItCannotHoldAreRefused)
{
    FILETIME zero{};
    struct {
        const char* what;
        CTime time;
    } cases[] = {
        {"DOS date 0", CTime(WORD(0), WORD(0))},
        {"FILETIME 0 (1601)", CTime(zero)},
        {"before 1970", CTime(1969, 12, 31, 0, 0, 0)},
        {"after 3000", CTime(3001, 1, 1, 0, 0, 0)},
        {"31 February", CTime(2021, 2, 31, 0, 0, 0)},
        {"hour 24", CTime(2021, 2, 1, 24, 0, 0)},
        {"negative time_t", CTime(time_t(-5))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(c.time.IsValid());
        EXPECT_EQ(c.time.GetTime(), -1);
        EXPECT_EQ(c.time.Format(u"%d %b %Y, %X"), u"");
        EXPECT_EQ(c.time.GetYear(), -1);
    }
    // The edges that are held.
    EXPECT_EQ(CTime(1970, 1, 1, 8, 0, 0).GetTime(), 0);
    EXPECT_TRUE(CTime(3000, 12, 31, 23, 59, 59).IsValid());
    EXPECT_LT(CTime(2020, 1, 1, 0, 0, 0), CTime(2020, 1, 1, 0, 0, 1));
}
