// DOS dates and times of archive headers.
#include "preview/archive/archive_time.h"

BOOL DosDateTimeToMoment(WORD wDate, WORD wTime, FILETIME* moment)
{
    FILETIME fields{};
    *moment = FILETIME{};
    if (!::DosDateTimeToFileTime(wDate, wTime, &fields))
        return FALSE;
    return ::LocalFileTimeToFileTime(&fields, moment);
}

DWORD DosDateTimeOf(time_t t)
{
    struct tm local {};
    if (!localtime_r(&t, &local) || local.tm_year < 80 || local.tm_year > 207)
        return 0;
    DWORD date = DWORD(local.tm_year - 80) << 9 | DWORD(local.tm_mon + 1) << 5 | DWORD(local.tm_mday);
    DWORD time = DWORD(local.tm_hour) << 11 | DWORD(local.tm_min) << 5 | DWORD(local.tm_sec / 2);
    return date << 16 | time;
}
