// COleDateTime: the calendar arithmetic of DATE values, parsing and formatting.
#include "afx/ole_types.h"

#include <cmath>
#include <cwctype>

namespace {
constexpr int kMinYear = 100;
constexpr int kMaxYear = 9999;
const char16_t* const kMonths[] = {u"January", u"February", u"March",     u"April",   u"May",      u"June",
                                   u"July",    u"August",   u"September", u"October", u"November", u"December"};
const char16_t* const kDays[] = {u"Sunday", u"Monday", u"Tuesday", u"Wednesday", u"Thursday", u"Friday", u"Saturday"};

// Days from 1899-12-30 to the civil date (proleptic Gregorian).
long DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    long era = (y >= 0 ? y : y - 399) / 400;
    long yoe = y - era * 400;
    long doy = (153L * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468 + 25569; // 1970-01-01 is day 25569
}

void CivilFromDays(long z, int& y, int& m, int& d) {
    z -= 25569;
    z += 719468;
    long era = (z >= 0 ? z : z - 146096) / 146097;
    long doe = z - era * 146097;
    long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long yy = yoe + era * 400;
    long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long mp = (5 * doy + 2) / 153;
    d = (int)(doy - (153 * mp + 2) / 5 + 1);
    m = (int)(mp < 10 ? mp + 3 : mp - 9);
    y = (int)(yy + (m <= 2));
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

struct Parts {
    int year, month, day, hour, minute, second, dayOfWeek, dayOfYear;
};

// The largest DATE the years 100..9999 allow, with a margin for the time of day.
bool InRange(DATE dt) { return dt >= -657435.0 && dt <= 2958466.0; }

bool Split(DATE dt, Parts& p) {
    if (!std::isfinite(dt) || !InRange(dt))
        return false;
    double whole = std::trunc(dt);
    double frac = std::fabs(dt - whole);
    long day = (long)whole;
    long secs = std::lround(frac * 86400.0);
    if (secs >= 86400) {
        secs = 0;
        ++day;
    }
    CivilFromDays(day, p.year, p.month, p.day);
    p.hour = (int)(secs / 3600);
    p.minute = (int)(secs / 60 % 60);
    p.second = (int)(secs % 60);
    long w = (day + 6) % 7; // 1899-12-30 was a Saturday
    if (w < 0)
        w += 7;
    p.dayOfWeek = (int)w + 1;
    p.dayOfYear = (int)(day - DaysFromCivil(p.year, 1, 1) + 1);
    return true;
}

bool Compose(int y, int mo, int d, int h, int mi, int s, DATE& out) {
    if (y < kMinYear || y > kMaxYear || mo < 1 || mo > 12 || d < 1 || d > DaysInMonth(y, mo) || h < 0 || h > 23 ||
        mi < 0 || mi > 59 || s < 0 || s > 59)
        return false;
    long days = DaysFromCivil(y, mo, d);
    double frac = (h * 3600 + mi * 60 + s) / 86400.0;
    out = days >= 0 ? days + frac : days - frac;
    return true;
}

// A moment as seconds from the epoch of DATE, comparable across midnight of day 0.
double Moment(DATE dt) {
    double whole = std::trunc(dt);
    return whole * 86400.0 + std::fabs(dt - whole) * 86400.0;
}
} // namespace

COleDateTime::COleDateTime(const SYSTEMTIME& st) {
    SetDateTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond);
}

COleDateTime::COleDateTime(const FILETIME& ft) {
    SYSTEMTIME st{};
    if (::FileTimeToSystemTime(&ft, &st))
        SetDateTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond);
    else
        m_status = invalid;
}

COleDateTime::COleDateTime(time_t t) {
    struct tm local{};
    if (localtime_r(&t, &local))
        SetDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    else
        m_status = invalid;
}

COleDateTime COleDateTime::GetCurrentTime() { return COleDateTime(::time(nullptr)); }

int COleDateTime::SetDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec) {
    DATE dt = 0;
    if (!Compose(nYear, nMonth, nDay, nHour, nMin, nSec, dt)) {
        m_dt = 0;
        m_status = invalid;
        return 1;
    }
    m_dt = dt;
    m_status = valid;
    return 0;
}

BOOL COleDateTime::GetAsSystemTime(SYSTEMTIME& st) const {
    Parts p{};
    if (m_status != valid || !Split(m_dt, p))
        return FALSE;
    st = SYSTEMTIME{(WORD)p.year, (WORD)p.month, (WORD)(p.dayOfWeek - 1), (WORD)p.day, (WORD)p.hour,
                    (WORD)p.minute, (WORD)p.second, 0};
    return TRUE;
}

#define DATE_PART(name, field)                                                                     \
    int COleDateTime::name() const {                                                               \
        Parts p{};                                                                                 \
        return m_status == valid && Split(m_dt, p) ? p.field : AFX_OLE_DATETIME_ERROR;             \
    }
DATE_PART(GetYear, year)
DATE_PART(GetMonth, month)
DATE_PART(GetDay, day)
DATE_PART(GetHour, hour)
DATE_PART(GetMinute, minute)
DATE_PART(GetSecond, second)
DATE_PART(GetDayOfWeek, dayOfWeek)
DATE_PART(GetDayOfYear, dayOfYear)
#undef DATE_PART

bool COleDateTime::operator<(const COleDateTime& o) const { return Moment(m_dt) < Moment(o.m_dt); }

bool COleDateTime::ParseDateTime(LPCWSTR lpszDate, DWORD dwFlags, LCID) {
    m_status = invalid;
    if (!lpszDate)
        return false;
    const char16_t* p = lpszDate;
    auto skipBlanks = [&] {
        while (*p == u' ' || *p == u'\t')
            ++p;
    };
    auto number = [&](int& value, int& digits) {
        value = 0;
        digits = 0;
        while (*p >= u'0' && *p <= u'9' && digits < 9) {
            value = value * 10 + (*p - u'0');
            ++p, ++digits;
        }
        return digits > 0;
    };
    int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
    bool hasDate = false, hasTime = false;
    skipBlanks();
    for (int part = 0; part < 2 && *p; ++part) {
        const char16_t* start = p;
        int v[3], n[3];
        if (!number(v[0], n[0]))
            return false;
        if (*p == u':' && !hasTime) {
            // A time: hours:minutes[:seconds] [AM|PM].
            ++p;
            if (!number(v[1], n[1]) || n[1] > 2)
                return false;
            v[2] = 0;
            if (*p == u':') {
                ++p;
                if (!number(v[2], n[2]) || n[2] > 2)
                    return false;
            }
            hour = v[0], minute = v[1], second = v[2];
            skipBlanks();
            if ((p[0] == u'A' || p[0] == u'a' || p[0] == u'P' || p[0] == u'p') && (p[1] == u'M' || p[1] == u'm')) {
                if (hour < 1 || hour > 12)
                    return false;
                bool pm = p[0] == u'P' || p[0] == u'p';
                hour = hour % 12 + (pm ? 12 : 0);
                p += 2;
            }
            hasTime = true;
        } else if ((*p == u'-' || *p == u'/' || *p == u'.') && !hasDate) {
            char16_t sep = *p++;
            if (!number(v[1], n[1]) || *p != sep)
                return false;
            ++p;
            if (!number(v[2], n[2]))
                return false;
            if (n[0] == 4) {
                year = v[0], month = v[1], day = v[2]; // year first
            } else if (n[2] == 4) {
                day = v[0], month = v[1], year = v[2]; // year last: day first, as the lists write it
            } else {
                return false; // a two-digit year could be any century
            }
            hasDate = true;
        } else {
            (void)start;
            return false;
        }
        skipBlanks();
        if (*p == u'T' && hasDate && !hasTime)
            ++p;
    }
    skipBlanks();
    if (*p || (!hasDate && !hasTime))
        return false;
    if (dwFlags & VAR_DATEVALUEONLY)
        hour = minute = second = 0;
    if (dwFlags & VAR_TIMEVALUEONLY)
        year = 1899, month = 12, day = 30;
    return SetDateTime(year, month, day, hour, minute, second) == 0;
}

CString COleDateTime::Format(DWORD dwFlags, LCID) const {
    if (m_status == null)
        return CString();
    Parts p{};
    if (m_status != valid || !Split(m_dt, p))
        return CString(u"Invalid DateTime");
    bool bDate = !(dwFlags & VAR_TIMEVALUEONLY) && std::trunc(m_dt) != 0;
    bool bTime = !(dwFlags & VAR_DATEVALUEONLY) && (p.hour || p.minute || p.second || !bDate);
    if (dwFlags & VAR_TIMEVALUEONLY)
        bTime = true;
    CString out;
    if (bDate)
        out.Format(u"%d/%d/%d", p.year, p.month, p.day);
    if (bTime) {
        CString t;
        t.Format(u"%d:%02d:%02d", p.hour, p.minute, p.second);
        out += out.IsEmpty() ? t : CString(u" ") + t;
    }
    return out;
}

CString COleDateTime::Format(LPCWSTR lpszFormat) const {
    if (m_status == null)
        return CString();
    Parts p{};
    if (m_status != valid || !Split(m_dt, p))
        return CString(u"Invalid DateTime");
    CString out;
    for (const char16_t* f = lpszFormat ? lpszFormat : u""; *f; ++f) {
        if (*f != u'%' || !f[1]) {
            out += *f;
            continue;
        }
        ++f;
        bool bNoZero = false;
        if (*f == u'#' && f[1]) {
            bNoZero = true;
            ++f;
        }
        CString piece;
        auto two = [&](int v) { piece.Format(bNoZero ? u"%d" : u"%02d", v); };
        int hour12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
        switch (*f) {
        case u'a': piece = CString(kDays[p.dayOfWeek - 1]).Left(3); break;
        case u'A': piece = kDays[p.dayOfWeek - 1]; break;
        case u'b': piece = CString(kMonths[p.month - 1]).Left(3); break;
        case u'B': piece = kMonths[p.month - 1]; break;
        case u'c': piece.Format(u"%02d/%02d/%02d %02d:%02d:%02d", p.month, p.day, p.year % 100, p.hour, p.minute, p.second); break;
        case u'd': two(p.day); break;
        case u'H': two(p.hour); break;
        case u'I': two(hour12); break;
        case u'j': piece.Format(bNoZero ? u"%d" : u"%03d", p.dayOfYear); break;
        case u'm': two(p.month); break;
        case u'M': two(p.minute); break;
        case u'p': piece = p.hour < 12 ? u"AM" : u"PM"; break;
        case u'S': two(p.second); break;
        case u'w': piece.Format(u"%d", p.dayOfWeek - 1); break;
        case u'x': piece.Format(u"%02d/%02d/%02d", p.month, p.day, p.year % 100); break;
        case u'X': piece.Format(u"%02d:%02d:%02d", p.hour, p.minute, p.second); break;
        case u'y': two(p.year % 100); break;
        case u'Y': piece.Format(u"%d", p.year); break;
        case u'%': piece = u"%"; break;
        default: piece = CString(u"%") + *f; break;
        }
        out += piece;
    }
    return out;
}

CArchive& AFXAPI operator<<(CArchive& ar, const COleDateTime& dateSrc) {
    ar << (LONG)dateSrc.m_status;
    return ar << dateSrc.m_dt;
}

CArchive& AFXAPI operator>>(CArchive& ar, COleDateTime& dateSrc) {
    LONG status = 0;
    ar >> status;
    ar >> dateSrc.m_dt;
    // A status the class does not know marks the stored value as unusable.
    dateSrc.m_status = status >= COleDateTime::valid && status <= COleDateTime::null
                           ? (COleDateTime::DateTimeStatus)status
                           : COleDateTime::invalid;
    return ar;
}
