// CTime: moments of the C runtime built from the system's time records and shown in local time.
#include "afx/time_value.h"

#include "afx/ole_types.h"

namespace {

// 3000-12-31 23:59:59 UTC: the last moment the class holds.
const time_t kLastTime = 32535215999;

time_t FromLocalFields(int year, int month, int day, int hour, int minute, int second, int dst)
{
    // Fields out of their ranges would be carried over by mktime into another date: refused.
    if (year < 1900 || year > 3000 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0
        || minute > 59 || second < 0 || second > 61)
        return -1;
    struct tm t {};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = dst;
    time_t value = mktime(&t);
    if (value < 0 || value > kLastTime || t.tm_mday != day)
        return -1;
    return value;
}

} // namespace

CTime::CTime(time_t time) : m_time(time < 0 || time > kLastTime ? -1 : time) {}

CTime::CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST)
    : m_time(FromLocalFields(nYear, nMonth, nDay, nHour, nMin, nSec, nDST))
{
}

CTime::CTime(WORD wDosDate, WORD wDosTime, int nDST)
    : m_time(FromLocalFields(1980 + (wDosDate >> 9), (wDosDate >> 5) & 15, wDosDate & 31, wDosTime >> 11,
                             (wDosTime >> 5) & 63, (wDosTime & 31) * 2, nDST))
{
}

CTime::CTime(const SYSTEMTIME& st, int nDST)
    : m_time(FromLocalFields(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, nDST))
{
}

CTime::CTime(const FILETIME& ft, int nDST)
{
    FILETIME local;
    SYSTEMTIME st;
    if (!::FileTimeToLocalFileTime(&ft, &local) || !::FileTimeToSystemTime(&local, &st))
        m_time = -1;
    else
        m_time = FromLocalFields(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, nDST);
}

CTime CTime::GetCurrentTime()
{
    return CTime(::time(nullptr));
}

bool CTime::Fields(struct tm& out, bool utc) const
{
    if (m_time == -1)
        return false;
    return utc ? gmtime_r(&m_time, &out) != nullptr : localtime_r(&m_time, &out) != nullptr;
}

int CTime::GetYear() const
{
    struct tm t {};
    return Fields(t) ? t.tm_year + 1900 : -1;
}
int CTime::GetMonth() const
{
    struct tm t {};
    return Fields(t) ? t.tm_mon + 1 : -1;
}
int CTime::GetDay() const
{
    struct tm t {};
    return Fields(t) ? t.tm_mday : -1;
}
int CTime::GetHour() const
{
    struct tm t {};
    return Fields(t) ? t.tm_hour : -1;
}
int CTime::GetMinute() const
{
    struct tm t {};
    return Fields(t) ? t.tm_min : -1;
}
int CTime::GetSecond() const
{
    struct tm t {};
    return Fields(t) ? t.tm_sec : -1;
}
int CTime::GetDayOfWeek() const
{
    struct tm t {};
    return Fields(t) ? t.tm_wday + 1 : -1;
}

// The strftime codes are the automation date's, which knows them in the C runtime's own words.
CString CTime::Format(LPCWSTR pFormat) const
{
    struct tm t {};
    if (!Fields(t))
        return CString();
    return COleDateTime(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec).Format(pFormat);
}

CString CTime::FormatGmt(LPCWSTR pFormat) const
{
    struct tm t {};
    if (!Fields(t, true))
        return CString();
    return COleDateTime(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec).Format(pFormat);
}
