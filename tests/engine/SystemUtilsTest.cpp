#include <gtest/gtest.h>
#include <climits>
#include <string>
#include <vector>
#include "CRegistryProblem.h"
#include "CStringTokenizer.h"
#include "SystemUtils.h"

namespace {

OSVERSIONINFOA Version(DWORD platform, DWORD major, DWORD minor, DWORD build)
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    info.dwPlatformId = platform;
    info.dwMajorVersion = major;
    info.dwMinorVersion = minor;
    info.dwBuildNumber = build;
    return info;
}

}  // namespace

TEST(WindowsVersion, NamesAndCodesFollowTheVersionRecord)
{
    const DWORD W9X = VER_PLATFORM_WIN32_WINDOWS, NT = VER_PLATFORM_WIN32_NT;
    // The edges of the table: the low word of a 9x build, every 6.x an NT 6, the unknown ones.
    const struct { OSVERSIONINFOA info; const char* name; int code; } cases[] = {
        {Version(W9X, 4, 0, 0x04000000 | 950), "Windows 95", 1},
        {Version(W9X, 4, 0, 1080), "Windows 95 SP1", 2},
        {Version(W9X, 4, 0, 949), "unknown Windows version", 0},
        {Version(W9X, 4, 10, 2182), "Windows 98 SP1", 5},
        {Version(W9X, 4, 10, 2222), "Windows 98 SE", 6},
        {Version(W9X, 4, 90, 3000), "Windows ME", 7},
        {Version(NT, 3, 50, 807), "unknown Windows version", 0},
        {Version(NT, 5, 1, 2600), "Windows XP", 104},
        {Version(NT, 5, 2, 3790), "unknown Windows version", 0},
        {Version(NT, 6, 1, 7601), "Windows Vista", 105},
        {Version(NT, 10, 0, 19045), "unknown Windows version", 0},
        {Version(3, 5, 0, 0), "Windows CE", 201},
    };
    for (const auto& c : cases) {
        CString name = "stale";
        int code = -5;
        DescribeWindowsVersion(c.info, name, code);
        EXPECT_STREQ(c.name, name) << c.info.dwMajorVersion << "." << c.info.dwMinorVersion << " build "
                                   << c.info.dwBuildNumber;
        EXPECT_EQ(c.code, code) << c.name;
    }
}

TEST(DecimalToInt, LeadingBlanksSignAndDigits)
{
    const struct { const char* text; int value; } cases[] = {
        {"12abc", 12}, {"abc", 0}, {"", 0}, {"  \t\r\n-42x", -42}, {"+7", 7}, {"-", 0},
        {"- 5", 0}, {"0012", 12}, {"2147483647", 2147483647}, {"-2147483648", INT_MIN},
        {"99999999999999999999", INT_MAX}, {"-99999999999999999999", INT_MIN}, {"3.9", 3},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.value, DecimalToInt(c.text)) << "'" << c.text << "'";
    EXPECT_EQ(0, DecimalToInt(nullptr));
}

TEST(StringTokenizer, SplitsAtEveryDelimiterKeepingEmptyFields)
{
    const struct { const char* text; const char* delim; std::vector<std::string> tokens; } cases[] = {
        {"C:\\old\\a.lnk,C:\\new\\a.lnk", ",", {"C:\\old\\a.lnk", "C:\\new\\a.lnk"}},
        {"a,b,c", ",", {"a", "b", "c"}},
        {"a,,b", ",", {"a", "", "b"}},
        {"a,", ",", {"a", ""}},
        {",", ",", {"", ""}},
        {"", ",", {""}},
        {"a,b", "", {""}},
        {"a,b", ",;", {""}},
    };
    for (const auto& c : cases) {
        CStringTokenizer tokenizer(c.text, c.delim);
        ASSERT_EQ(static_cast<int>(c.tokens.size()), tokenizer.GetCount()) << c.text;
        for (size_t i = 0; i < c.tokens.size(); ++i)
            EXPECT_STREQ(c.tokens[i].c_str(), tokenizer.GetAt(static_cast<int>(i))) << c.text;
    }
}

TEST(StringTokenizer, OutOfRangeThrowsItsText)
{
    CStringTokenizer tokenizer("", ",");
    for (int index : {1, -1, 1000}) {
        try {
            tokenizer.GetAt(index);
            ADD_FAILURE() << "no exception for " << index;
        } catch (const CString& text) {
            EXPECT_STREQ("Index out of Bounds", text);
        }
    }
}
