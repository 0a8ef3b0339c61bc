// CTime: a moment as a time_t of the C runtime, built from local-time fields, a FILETIME, a
// SYSTEMTIME or a DOS date and time, shown with the runtime's strftime codes in local time.
#pragma once

#include "afx/core.h"
#include "afx/string.h"

#include <ctime>

class CTime {
public:
    CTime() = default;
    CTime(time_t time);
    // Local-time fields; nDST < 0 lets the runtime decide whether daylight saving applies.
    CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST = -1);
    CTime(WORD wDosDate, WORD wDosTime, int nDST = -1);
    // A SYSTEMTIME holds local-time fields; a FILETIME holds UTC and is turned into local time first.
    CTime(const SYSTEMTIME& st, int nDST = -1);
    CTime(const FILETIME& ft, int nDST = -1);

    static CTime GetCurrentTime();

    // -1 for a moment the class cannot represent: before 1970 or after the year 3000, or fields
    // that name no date.
    time_t GetTime() const { return m_time; }
    BOOL IsValid() const { return m_time != -1; }
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    int GetDayOfWeek() const; // 1 = Sunday

    // Empty for a time that is not valid.
    CString Format(LPCWSTR pFormat) const;
    CString FormatGmt(LPCWSTR pFormat) const;

    bool operator==(CTime o) const { return m_time == o.m_time; }
    bool operator!=(CTime o) const { return m_time != o.m_time; }
    bool operator<(CTime o) const { return m_time < o.m_time; }
    bool operator>(CTime o) const { return m_time > o.m_time; }
    bool operator<=(CTime o) const { return m_time <= o.m_time; }
    bool operator>=(CTime o) const { return m_time >= o.m_time; }

private:
    // The local (or UTC) fields of the time; false when it is not valid.
    bool Fields(struct tm& out, bool utc = false) const;
    time_t m_time = 0;
};
