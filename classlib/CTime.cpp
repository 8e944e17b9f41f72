#include "CTime.h"
#include <cstring>

namespace {

// 100-ns intervals from 1601 to 1970.
const ULONGLONG kUnixEpochAsFileTime = 116444736000000000ULL;

CString FormatTm(const struct tm& t, LPCSTR pszFormat)
{
    if (!pszFormat || !*pszFormat)
        return CString();
    // No conversion of the C locale writes more than 64 bytes.
    std::string buf(256 + 64 * std::strlen(pszFormat), '\0');
    size_t n = strftime(&buf[0], buf.size(), pszFormat, &t);
    return CString(buf.data(), static_cast<int>(n));
}

}  // namespace

CTime::CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST)
{
    struct tm t = {};
    t.tm_year = nYear - 1900;
    t.tm_mon = nMonth - 1;
    t.tm_mday = nDay;
    t.tm_hour = nHour;
    t.tm_min = nMin;
    t.tm_sec = nSec;
    t.tm_isdst = nDST;
    m_time = _mktime64(&t);  // -1 for a time it cannot represent
}

CTime::CTime(const SYSTEMTIME& st, int nDST)
    : CTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, nDST)
{
}

CTime::CTime(const FILETIME& ft, int /*nDST*/)
{
    // A file time is UTC already: only the epoch and the unit change.
    ULONGLONG t = (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    m_time = t >= kUnixEpochAsFileTime ? static_cast<__time64_t>((t - kUnixEpochAsFileTime) / 10000000ULL) : -1;
}

CTime CTime::GetCurrentTime()
{
    return CTime(_time64(nullptr));
}

bool CTime::Local(struct tm& out) const
{
    return m_time >= 0 && _localtime64_s(&out, &m_time) == 0;
}

int CTime::LocalField(int tm::*field, int offset) const
{
    struct tm t;
    return Local(t) ? t.*field + offset : 0;
}

int CTime::GetYear() const { return LocalField(&tm::tm_year, 1900); }
int CTime::GetMonth() const { return LocalField(&tm::tm_mon, 1); }
int CTime::GetDay() const { return LocalField(&tm::tm_mday, 0); }
int CTime::GetHour() const { return LocalField(&tm::tm_hour, 0); }
int CTime::GetMinute() const { return LocalField(&tm::tm_min, 0); }
int CTime::GetSecond() const { return LocalField(&tm::tm_sec, 0); }
int CTime::GetDayOfWeek() const { return LocalField(&tm::tm_wday, 1); }

BOOL CTime::GetAsSystemTime(SYSTEMTIME& st) const
{
    struct tm t;
    if (!Local(t))
        return FALSE;
    st = SYSTEMTIME{};
    st.wYear = static_cast<WORD>(t.tm_year + 1900);
    st.wMonth = static_cast<WORD>(t.tm_mon + 1);
    st.wDayOfWeek = static_cast<WORD>(t.tm_wday);
    st.wDay = static_cast<WORD>(t.tm_mday);
    st.wHour = static_cast<WORD>(t.tm_hour);
    st.wMinute = static_cast<WORD>(t.tm_min);
    st.wSecond = static_cast<WORD>(t.tm_sec);
    return TRUE;
}

CString CTime::Format(LPCSTR pszFormat) const
{
    struct tm t;
    return Local(t) ? FormatTm(t, pszFormat) : CString();
}

CString CTime::FormatGmt(LPCSTR pszFormat) const
{
    struct tm t;
    return (m_time >= 0 && _gmtime64_s(&t, &m_time) == 0) ? FormatTm(t, pszFormat) : CString();
}
