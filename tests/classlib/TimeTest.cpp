#include "afx.h"
#include <gtest/gtest.h>
#include <cstdlib>

TEST(TimeTest, FieldsAndFormatsUseLocalTimeAndFileTimesUtc)
{
    CTime t(2009, 3, 7, 14, 5, 9);
    EXPECT_EQ(t.GetDayOfWeek(), 7);  // a Saturday
    EXPECT_EQ(t.Format("%B %d %y %H %M %S"), "March 07 09 14 05 09");
    EXPECT_EQ(t.Format("%Y%m%d, %A"), "20090307, Saturday");
    EXPECT_EQ(t.Format(""), "");
    SYSTEMTIME st;
    ASSERT_TRUE(t.GetAsSystemTime(st));
    EXPECT_EQ(st.wDayOfWeek, 6);
    EXPECT_EQ(CTime(st), t);

    SYSTEMTIME utc = {2011, 12, 0, 31, 23, 59, 58, 0};
    FILETIME ft, local;
    ASSERT_TRUE(SystemTimeToFileTime(&utc, &ft));
    CTime fromFile(ft);
    EXPECT_EQ(fromFile.GetTime(), 1325375998);
    EXPECT_EQ(fromFile.FormatGmt("%Y-%m-%d %H:%M:%S"), "2011-12-31 23:59:58");
    // The local fields are what the system makes of the same file time.
    ASSERT_TRUE(FileTimeToLocalFileTime(&ft, &local));
    ASSERT_TRUE(FileTimeToSystemTime(&local, &st));
    EXPECT_EQ(fromFile.GetHour(), st.wHour);
    EXPECT_EQ(fromFile.GetDay(), st.wDay);
}

TEST(TimeTest, CurrentTimeAndInvalidTimes)
{
    EXPECT_LE(std::llabs(CTime::GetCurrentTime().GetTime() - _time64(nullptr)), 2);
    FILETIME zero = {};
    CTime invalid(zero);
    EXPECT_EQ(invalid.Format("%Y"), "");
    EXPECT_EQ(invalid.GetYear(), 0);
    SYSTEMTIME st;
    EXPECT_FALSE(invalid.GetAsSystemTime(st));
}
