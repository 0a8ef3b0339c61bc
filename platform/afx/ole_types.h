// COleDateTime, COleCurrency and COleVariant: the automation value types as framework classes.
#pragma once

#include "afx/core.h"
#include "afx/string.h"
#include "afx/file.h"
#include "afx/module_state.h"

#include <ctime>

#ifndef LANG_USER_DEFAULT
#define LANG_USER_DEFAULT 0x0400
#endif

// A point in time as days since 30 December 1899 (the fraction is the time of day, and for days
// before that date it counts forward from midnight, as the system's dates do).
class COleDateTime {
public:
    enum DateTimeStatus { valid = 0, invalid = 1, null = 2 };

    COleDateTime() = default;
    COleDateTime(DATE dtSrc) : m_dt(dtSrc) {}
    COleDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec) {
        SetDateTime(nYear, nMonth, nDay, nHour, nMin, nSec);
    }
    COleDateTime(const SYSTEMTIME& st);
    COleDateTime(const FILETIME& ft);
    COleDateTime(time_t t);

    static COleDateTime GetCurrentTime();

    DateTimeStatus GetStatus() const { return m_status; }
    void SetStatus(DateTimeStatus status) { m_status = status; }
    operator DATE() const { return m_dt; }

    // 0 on success; 1 (and the status invalid) for a date or time that does not exist or lies
    // outside the years 100 to 9999.
    int SetDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec);
    int SetDate(int nYear, int nMonth, int nDay) { return SetDateTime(nYear, nMonth, nDay, 0, 0, 0); }
    int SetTime(int nHour, int nMin, int nSec) { return SetDateTime(1899, 12, 30, nHour, nMin, nSec); }
    BOOL GetAsSystemTime(SYSTEMTIME& st) const;

    // -1 (AFX_OLE_DATETIME_ERROR) when the value is not valid.
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    int GetDayOfWeek() const; // 1 = Sunday
    int GetDayOfYear() const; // 1 = 1 January

    // Reads a date, a time or both: the date as year-month-day (a four-digit year first) or as
    // day-month-year (the year last), with '-', '/' or '.' between the numbers; the time as
    // hours:minutes[:seconds] with an optional AM or PM. FALSE (and the status invalid) when the
    // text is neither.
    bool ParseDateTime(LPCWSTR lpszDate, DWORD dwFlags = 0, LCID lcid = LANG_USER_DEFAULT);
    // The locale's short form: year/month/day and hours:minutes:seconds, the time left out at
    // midnight and the date left out on day 0.
    CString Format(DWORD dwFlags = 0, LCID lcid = LANG_USER_DEFAULT) const;
    // The C runtime's strftime codes; "%#d" and the like drop leading zeros.
    CString Format(LPCWSTR lpszFormat) const;

    bool operator==(const COleDateTime& o) const { return m_status == o.m_status && m_dt == o.m_dt; }
    bool operator!=(const COleDateTime& o) const { return !(*this == o); }
    // Ordered by the moment they stand for, not by the raw number (which runs backwards within
    // a day before 1899-12-30).
    bool operator<(const COleDateTime& o) const;
    bool operator>(const COleDateTime& o) const { return o < *this; }
    bool operator<=(const COleDateTime& o) const { return !(o < *this); }
    bool operator>=(const COleDateTime& o) const { return !(*this < o); }

    DATE m_dt = 0;
    DateTimeStatus m_status = valid;
};
#define AFX_OLE_DATETIME_ERROR (-1)

CArchive& AFXAPI operator<<(CArchive& ar, const COleDateTime& dateSrc);
CArchive& AFXAPI operator>>(CArchive& ar, COleDateTime& dateSrc);

// An amount of money in units of 1/10000, as a 64-bit integer.
class COleCurrency {
public:
    enum CurrencyStatus { valid = 0, invalid = 1, null = 2 };

    COleCurrency() { m_cur.int64 = 0; }
    COleCurrency(CURRENCY cySrc) : m_cur(cySrc) {}
    COleCurrency(long nUnits, long nFractionalUnits) { SetCurrency(nUnits, nFractionalUnits); }

    CurrencyStatus GetStatus() const { return m_status; }
    void SetStatus(CurrencyStatus status) { m_status = status; }
    operator CURRENCY() const { return m_cur; }
    // Fractional units are ten-thousandths and may be negative.
    void SetCurrency(long nUnits, long nFractionalUnits);
    // Reads an optional sign, digits (with ',' between thousands), and up to four decimals
    // (more are rounded); FALSE (and the status invalid) for other text or an amount too large.
    bool ParseCurrency(LPCWSTR lpszCurrency, DWORD dwFlags = 0, LCID lcid = LANG_USER_DEFAULT);
    // The amount with as many decimals as it needs, a '.' between.
    CString Format(DWORD dwFlags = 0, LCID lcid = LANG_USER_DEFAULT) const;

    bool operator==(const COleCurrency& o) const { return m_status == o.m_status && m_cur.int64 == o.m_cur.int64; }
    bool operator!=(const COleCurrency& o) const { return !(*this == o); }
    bool operator<(const COleCurrency& o) const { return m_cur.int64 < o.m_cur.int64; }
    bool operator>(const COleCurrency& o) const { return m_cur.int64 > o.m_cur.int64; }
    // Sums that overflow are marked invalid rather than wrapping.
    COleCurrency operator+(const COleCurrency& o) const;
    COleCurrency operator-(const COleCurrency& o) const;

    CURRENCY m_cur;
    CurrencyStatus m_status = valid;
};

// A VARIANT that frees what it owns.
class COleVariant : public tagVARIANT {
public:
    COleVariant() { VariantInit(this); }
    COleVariant(const VARIANT& varSrc);
    COleVariant(const COleVariant& varSrc);
    COleVariant(LPCVARIANT pSrc);
    COleVariant(LPCWSTR lpszSrc);
    COleVariant(const CString& strSrc);
    COleVariant(BYTE nSrc);
    COleVariant(short nSrc, VARTYPE vtSrc = VT_I2);
    COleVariant(long lSrc, VARTYPE vtSrc = VT_I4);
    COleVariant(float fltSrc);
    COleVariant(double dblSrc);
    COleVariant(const COleCurrency& curSrc);
    COleVariant(const COleDateTime& dateSrc);
    ~COleVariant() { VariantClear(this); }

    COleVariant& operator=(const COleVariant& varSrc);
    COleVariant& operator=(const VARIANT& varSrc);
    COleVariant& operator=(LPCWSTR lpszSrc);
    COleVariant& operator=(long lSrc);
    COleVariant& operator=(double dblSrc);
    COleVariant& operator=(const COleDateTime& dateSrc);
    COleVariant& operator=(const COleCurrency& curSrc);
    // Equal types and equal values (strings by their units).
    bool operator==(const VARIANT& varSrc) const;
    bool operator!=(const VARIANT& varSrc) const { return !(*this == varSrc); }

    void Clear() { VariantClear(this); }
    // Converts in place (or from pSrc); a conversion that fails throws COleException.
    void ChangeType(VARTYPE vartype, LPVARIANT pSrc = nullptr);
    void Attach(VARIANT& varSrc);
    VARIANT Detach();
    operator LPVARIANT() { return this; }
    operator LPCVARIANT() const { return this; }
};

CArchive& AFXAPI operator<<(CArchive& ar, const COleVariant& varSrc);
CArchive& AFXAPI operator>>(CArchive& ar, COleVariant& varSrc);
