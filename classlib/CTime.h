#pragma once
#include <windows.h>
#include <ctime>
#include "CString.h"

// winbase.h maps GetCurrentTime() to GetTickCount(); the member below needs its own name.
#ifdef GetCurrentTime
#undef GetCurrentTime
#endif

// A point in time, in seconds since 1970 (UTC); fields and Format use local time.
class CTime {
public:
    CTime() = default;
    CTime(__time64_t t) : m_time(t) {}
    CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST = -1);
    CTime(const SYSTEMTIME& st, int nDST = -1);
    CTime(const FILETIME& ft, int nDST = -1);

    static CTime GetCurrentTime();

    __time64_t GetTime() const { return m_time; }
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    int GetDayOfWeek() const;   // 1 = Sunday
    BOOL GetAsSystemTime(SYSTEMTIME& st) const;

    // strftime-style text in local time; an invalid time gives an empty text.
    CString Format(LPCSTR pszFormat) const;
    CString FormatGmt(LPCSTR pszFormat) const;

    bool operator==(CTime t) const { return m_time == t.m_time; }
    bool operator!=(CTime t) const { return m_time != t.m_time; }
    bool operator<(CTime t) const { return m_time < t.m_time; }
    bool operator>(CTime t) const { return m_time > t.m_time; }
    bool operator<=(CTime t) const { return m_time <= t.m_time; }
    bool operator>=(CTime t) const { return m_time >= t.m_time; }

private:
    bool Local(struct tm& out) const;
    int LocalField(int tm::*field, int offset) const;  // 0 for an invalid time
    __time64_t m_time = 0;
};
