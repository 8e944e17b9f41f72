#include "afx.h"
#include <gtest/gtest.h>
#include <cstdlib>

TEST(TimeTest, FieldsAndFormatsUseLocalTime)
{
    CTime t(2009, 3, 7, 14, 5, 9);
    EXPECT_EQ(t.GetYear(), 2009);
    EXPECT_EQ(t.GetMonth(), 3);
    EXPECT_EQ(t.GetDay(), 7);
    EXPECT_EQ(t.GetHour(), 14);
    EXPECT_EQ(t.GetMinute(), 5);
    EXPECT_EQ(t.GetSecond(), 9);
    EXPECT_EQ(t.GetDayOfWeek(), 7);   // a Saturday
    EXPECT_EQ(t.Format("%B %d %y %H %M %S"), "March 07 09 14 05 09");
    EXPECT_EQ(t.Format("%d-%m-%y-%H-%M-%S"), "07-03-09-14-05-09");
    EXPECT_EQ(t.Format("%Y%m%d, %A"), "20090307, Saturday");
    EXPECT_EQ(t.Format(""), "");

    SYSTEMTIME st;
    ASSERT_TRUE(t.GetAsSystemTime(st));
    EXPECT_EQ(st.wYear, 2009);
    EXPECT_EQ(st.wDayOfWeek, 6);
    EXPECT_EQ(CTime(st), t);
}

TEST(TimeTest, FileTimesAreUtc)
{
    SYSTEMTIME utc = {};
    utc.wYear = 2011;
    utc.wMonth = 12;
    utc.wDay = 31;
    utc.wHour = 23;
    utc.wMinute = 59;
    utc.wSecond = 58;
    FILETIME ft;
    ASSERT_TRUE(SystemTimeToFileTime(&utc, &ft));
    CTime t(ft);
    EXPECT_EQ(t.GetTime(), 1325375998);
    EXPECT_EQ(t.FormatGmt("%Y-%m-%d %H:%M:%S"), "2011-12-31 23:59:58");

    // The local fields are what the system makes of the same file time.
    FILETIME local;
    SYSTEMTIME st;
    ASSERT_TRUE(FileTimeToLocalFileTime(&ft, &local));
    ASSERT_TRUE(FileTimeToSystemTime(&local, &st));
    EXPECT_EQ(t.GetHour(), st.wHour);
    EXPECT_EQ(t.GetDay(), st.wDay);
}

TEST(TimeTest, CurrentTimeAndInvalidTimes)
{
    __time64_t now = _time64(nullptr);
    CTime t = CTime::GetCurrentTime();
    EXPECT_LE(std::llabs(t.GetTime() - now), 2);
    EXPECT_TRUE(CTime(now - 10) < t);

    FILETIME zero = {};
    CTime invalid(zero);
    EXPECT_EQ(invalid.Format("%Y"), "");
    EXPECT_EQ(invalid.GetYear(), 0);
    SYSTEMTIME st;
    EXPECT_FALSE(invalid.GetAsSystemTime(st));
}
