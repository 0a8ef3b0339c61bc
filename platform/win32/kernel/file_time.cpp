// File times and the conversions between FILETIME, SYSTEMTIME, local time and DOS dates.
#include "win32/kernel/file_object.h"
#include "win32/kernel/util.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>

using namespace dovemark::kernel;

namespace {

constexpr ULONGLONG kTicksPerDay = 864000000000ULL;
constexpr LONGLONG kDays1601To1970 = 134774;

// Days since 1970-01-01 of a civil date (proleptic Gregorian), and back.
LONGLONG DaysFromCivil(LONGLONG y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const LONGLONG era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + LONGLONG(doe) - 719468;
}

void CivilFromDays(LONGLONG z, LONGLONG& y, unsigned& m, unsigned& d)
{
    z += 719468;
    const LONGLONG era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = LONGLONG(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
}

bool IsLeap(unsigned y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

unsigned DaysInMonth(unsigned y, unsigned m)
{
    static const unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

// Windows converts between UTC and local file times with the bias in force now, not the one of
// the converted date; so does the layer, which also keeps the two conversions exact inverses.
LONGLONG CurrentBiasTicks()
{
    time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    return LONGLONG(local.tm_gmtoff) * 10000000LL;
}

FILETIME NowFileTime()
{
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    return TimespecToFileTime(ts);
}

bool Unset(const FILETIME* ft)
{
    // A null pointer, a zero time and the all-ones "keep" value leave the time as it is.
    return !ft || FileTimeValue(*ft) == 0 || FileTimeValue(*ft) == ~0ULL;
}

} // namespace

BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, LPSYSTEMTIME lpSystemTime)
{
    if (!lpFileTime || !lpSystemTime)
        return Fail(ERROR_INVALID_PARAMETER);
    ULONGLONG v = FileTimeValue(*lpFileTime);
    if (v >= 0x8000000000000000ULL)
        return Fail(ERROR_INVALID_PARAMETER);
    ULONGLONG days = v / kTicksPerDay;
    ULONGLONG rest = v % kTicksPerDay;
    LONGLONG y;
    unsigned m, d;
    CivilFromDays(LONGLONG(days) - kDays1601To1970, y, m, d);
    lpSystemTime->wYear = WORD(y);
    lpSystemTime->wMonth = WORD(m);
    lpSystemTime->wDay = WORD(d);
    lpSystemTime->wDayOfWeek = WORD((days + 1) % 7); // 1601-01-01 was a Monday
    lpSystemTime->wHour = WORD(rest / 36000000000ULL);
    lpSystemTime->wMinute = WORD(rest / 600000000ULL % 60);
    lpSystemTime->wSecond = WORD(rest / 10000000ULL % 60);
    lpSystemTime->wMilliseconds = WORD(rest / 10000ULL % 1000);
    return TRUE;
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* st, LPFILETIME lpFileTime)
{
    if (!st || !lpFileTime)
        return Fail(ERROR_INVALID_PARAMETER);
    if (st->wYear < 1601 || st->wYear > 30827 || st->wMonth < 1 || st->wMonth > 12 || st->wDay < 1
        || st->wDay > DaysInMonth(st->wYear, st->wMonth) || st->wHour > 23 || st->wMinute > 59 || st->wSecond > 59
        || st->wMilliseconds > 999)
        return Fail(ERROR_INVALID_PARAMETER);
    LONGLONG days = DaysFromCivil(st->wYear, st->wMonth, st->wDay) + kDays1601To1970;
    ULONGLONG v = ULONGLONG(days) * kTicksPerDay + st->wHour * 36000000000ULL + st->wMinute * 600000000ULL
        + st->wSecond * 10000000ULL + st->wMilliseconds * 10000ULL;
    *lpFileTime = MakeFileTime(v);
    return TRUE;
}

BOOL FileTimeToLocalFileTime(const FILETIME* lpFileTime, LPFILETIME lpLocalFileTime)
{
    if (!lpFileTime || !lpLocalFileTime)
        return Fail(ERROR_INVALID_PARAMETER);
    *lpLocalFileTime = MakeFileTime(FileTimeValue(*lpFileTime) + ULONGLONG(CurrentBiasTicks()));
    return TRUE;
}

BOOL LocalFileTimeToFileTime(const FILETIME* lpLocalFileTime, LPFILETIME lpFileTime)
{
    if (!lpLocalFileTime || !lpFileTime)
        return Fail(ERROR_INVALID_PARAMETER);
    *lpFileTime = MakeFileTime(FileTimeValue(*lpLocalFileTime) - ULONGLONG(CurrentBiasTicks()));
    return TRUE;
}

BOOL DosDateTimeToFileTime(WORD wFatDate, WORD wFatTime, LPFILETIME lpFileTime)
{
    if (!lpFileTime)
        return Fail(ERROR_INVALID_PARAMETER);
    SYSTEMTIME st{};
    st.wYear = WORD(1980 + (wFatDate >> 9));
    st.wMonth = (wFatDate >> 5) & 15;
    st.wDay = wFatDate & 31;
    st.wHour = wFatTime >> 11;
    st.wMinute = (wFatTime >> 5) & 63;
    st.wSecond = WORD((wFatTime & 31) * 2);
    return SystemTimeToFileTime(&st, lpFileTime);
}

BOOL FileTimeToDosDateTime(const FILETIME* lpFileTime, LPWORD lpFatDate, LPWORD lpFatTime)
{
    SYSTEMTIME st;
    if (!lpFatDate || !lpFatTime || !FileTimeToSystemTime(lpFileTime, &st))
        return Fail(ERROR_INVALID_PARAMETER);
    if (st.wYear < 1980 || st.wYear > 2107)
        return Fail(ERROR_INVALID_PARAMETER);
    *lpFatDate = WORD((st.wYear - 1980) << 9 | st.wMonth << 5 | st.wDay);
    *lpFatTime = WORD(st.wHour << 11 | st.wMinute << 5 | st.wSecond / 2);
    return TRUE;
}

LONG CompareFileTime(const FILETIME* a, const FILETIME* b)
{
    ULONGLONG x = FileTimeValue(*a), y = FileTimeValue(*b);
    return x < y ? -1 : x > y ? 1 : 0;
}

void GetSystemTimeAsFileTime(LPFILETIME lpSystemTimeAsFileTime)
{
    *lpSystemTimeAsFileTime = NowFileTime();
}

void GetSystemTime(LPSYSTEMTIME lpSystemTime)
{
    FILETIME ft = NowFileTime();
    FileTimeToSystemTime(&ft, lpSystemTime);
}

void GetLocalTime(LPSYSTEMTIME lpSystemTime)
{
    // The bias of the present moment is the right one here.
    FILETIME ft = NowFileTime(), local;
    FileTimeToLocalFileTime(&ft, &local);
    FileTimeToSystemTime(&local, lpSystemTime);
}

BOOL GetFileTime(HANDLE hFile, LPFILETIME lpCreationTime, LPFILETIME lpLastAccessTime, LPFILETIME lpLastWriteTime)
{
    auto file = Lookup<FileObject>(hFile);
    if (!file)
        return FALSE;
    if (file->device)
        return Fail(ERROR_INVALID_FUNCTION);
    struct stat st;
    if (fstat(file->fd, &st) != 0)
        return FailErrno(errno);
    if (lpCreationTime)
        *lpCreationTime = CreationTimeOf(file->path, st);
    if (lpLastAccessTime)
        *lpLastAccessTime = TimespecToFileTime(st.st_atim);
    if (lpLastWriteTime)
        *lpLastWriteTime = TimespecToFileTime(st.st_mtim);
    return TRUE;
}

BOOL SetFileTime(HANDLE hFile, const FILETIME* lpCreationTime, const FILETIME* lpLastAccessTime,
                 const FILETIME* lpLastWriteTime)
{
    auto file = Lookup<FileObject>(hFile);
    if (!file)
        return FALSE;
    if (file->device || !(file->access & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_ATTRIBUTES)))
        return Fail(ERROR_ACCESS_DENIED);
    struct timespec times[2];
    times[0] = Unset(lpLastAccessTime) ? timespec{0, UTIME_OMIT} : FileTimeToTimespec(*lpLastAccessTime);
    times[1] = Unset(lpLastWriteTime) ? timespec{0, UTIME_OMIT} : FileTimeToTimespec(*lpLastWriteTime);
    if (futimens(file->fd, times) != 0)
        return FailErrno(errno);
    // A file system without extended attributes has no place for a creation time: it is dropped,
    // as FAT drops what it cannot hold; any other failure is reported.
    if (!Unset(lpCreationTime) && !StoreCreationTime(file->fd, *lpCreationTime) && errno != ENOTSUP)
        return FailErrno(errno);
    return TRUE;
}
