#include "DiaglogTestSupport.h"
#include "PathMatching.h"
#include <gtest/gtest.h>

namespace {

std::string Expand(const char* path)
{
    CString out = "stale";
    ExpandEnvironmentPath(path, out);
    return std::string(out);
}

std::string Strip(const char* path)
{
    CString out = "stale";
    StripArguments(path, out);
    return std::string(out);
}

std::string Extract(const CString& text)
{
    CString out = "stale";
    ExtractClassId(text, out);
    return std::string(out);
}

}  // namespace

TEST(PathMatching, ExpandsWholeComponentReferencesOnly)
{
    diaglogtest::ScopedEnvironment tools("KELDRIX_TOOLS", "D:\\Tools");
    EXPECT_EQ("D:\\Tools\\bin\\x.exe", Expand("%KELDRIX_TOOLS%\\bin\\x.exe"));
    EXPECT_EQ("D:\\Tools\\bin", Expand("%%KELDRIX_TOOLS%%\\bin\\"));
    EXPECT_EQ("%KELDRIX_NOT_SET_ANYWHERE%\\x.dll", Expand("%KELDRIX_NOT_SET_ANYWHERE%\\x.dll"));
    EXPECT_EQ("a%KELDRIX_TOOLS%\\x", Expand("a%KELDRIX_TOOLS%\\x"));
    // Runs of backslashes become one; leading and trailing ones go.
    EXPECT_EQ("server\\share\\f.txt", Expand("\\\\server\\\\share\\f.txt\\"));
    EXPECT_EQ("", Expand(""));
    EXPECT_EQ("tool.exe /s", Expand("tool.exe /s"));

    char windows[MAX_PATH];
    ASSERT_GT(GetEnvironmentVariableA("SystemRoot", windows, MAX_PATH), 0u);
    EXPECT_EQ(std::string(windows) + "\\system32\\x.dll", Expand("%SystemRoot%\\system32\\x.dll"));
}

TEST(PathMatching, ClassIdentifiers)
{
    const char id[] = "{00021401-0000-0000-C000-000000000046}";
    EXPECT_TRUE(MatchClassIdInValue(id));
    EXPECT_EQ(id, Extract(id));
    CString keyPath = CString("HKEY_CLASSES_ROOT\\CLSID\\") + id + "\\InprocServer32";
    EXPECT_TRUE(MatchClassIdInValue(keyPath));
    EXPECT_EQ(id, Extract(keyPath));
    // Several: the last one.
    EXPECT_EQ("{abcdefab-1234-5678-9abc-def012345678}",
              Extract(CString("x ") + id + " y {abcdefab-1234-5678-9abc-def012345678} z"));
    // Near misses.
    EXPECT_FALSE(MatchClassIdInValue("{00021401-0000-0000-C000-00000000004}"));
    EXPECT_FALSE(MatchClassIdInValue("{00021401-0000-0000-C000-0000000000460}"));
    EXPECT_FALSE(MatchClassIdInValue("{0002140G-0000-0000-C000-000000000046}"));
    EXPECT_FALSE(MatchClassIdInValue("00021401-0000-0000-C000-000000000046"));
    EXPECT_EQ("", Extract("{00021401-0000-0000-C000-000000000046"));
    // A brace right before a real identifier.
    EXPECT_EQ(id, Extract(CString("{") + id));
}

TEST(PathMatching, FilePaths)
{
    EXPECT_TRUE(MatchFilePathInValue("C:\\Windows\\system32\\shell32.dll"));
    EXPECT_TRUE(MatchFilePathInValue("C:\\Program Files\\Tool\\tool.exe /a /b"));
    EXPECT_FALSE(MatchFilePathInValue("C:\\Program Files\\Tool\\tool.exe|more"));
    EXPECT_TRUE(MatchFilePathInValue("notepad.exe"));
    EXPECT_TRUE(MatchFilePathInValue("rundll32.exe shell32.dll,Control_RunDLL"));
    EXPECT_TRUE(MatchFilePathInValue("My Tool.exe"));
    EXPECT_TRUE(MatchFilePathInValue("C:tool.exe"));
    EXPECT_FALSE(MatchFilePathInValue(""));
    EXPECT_FALSE(MatchFilePathInValue("C:\\Windows\\system32"));
    EXPECT_FALSE(MatchFilePathInValue("folder\\file.txt"));          // folders need a drive
    EXPECT_FALSE(MatchFilePathInValue("C:\\dir\\.txt"));              // no name before the dot
    EXPECT_FALSE(MatchFilePathInValue("file."));
    EXPECT_FALSE(MatchFilePathInValue("http://host/file.htm"));
    EXPECT_FALSE(MatchFilePathInValue("1:\\x.dll"));
    EXPECT_FALSE(MatchFilePathInValue("file.ext.\t"));

    EXPECT_TRUE(MatchFullFilePath("C:\\Windows\\system32\\shell32.dll"));
    EXPECT_TRUE(MatchFullFilePath("C:\\a.b\\c d\\e.f"));
    EXPECT_FALSE(MatchFullFilePath("C:\\Windows\\notepad.exe /p"));
    EXPECT_FALSE(MatchFullFilePath("notepad.exe"));
    EXPECT_FALSE(MatchFullFilePath("C:\\Windows\\"));
}

TEST(PathMatching, StripArguments)
{
    EXPECT_EQ("C:\\Program Files\\Tool\\tool.exe", Strip("C:\\Program Files\\Tool\\tool.exe /s"));
    EXPECT_EQ("C:\\Program Files\\Tool\\tool.exe", Strip("C:\\Program Files\\Tool\\tool.exe"));
    EXPECT_EQ("rundll32.exe", Strip("rundll32.exe shell32.dll,Control_RunDLL"));
    EXPECT_EQ("plain text", Strip("plain text"));
    // The last name followed by blanks ends the path.
    EXPECT_EQ("C:\\a.exe b.exe", Strip("C:\\a.exe b.exe c"));
    // A dotted folder name followed later by a blank cuts the path there.
    EXPECT_EQ("C:\\Program Files\\My.App", Strip("C:\\Program Files\\My.App Folder\\tool.exe"));
}

// Texts of registry size are matched in linear time: quadratic matching of
// these would take far longer than the test's time limit.
TEST(PathMatching, LongTextsAreMatchedQuickly)
{
    std::string dots;
    for (int i = 0; i < 200000; i++)
        dots += "a.";
    CString manyDots((dots + "|").c_str());
    EXPECT_FALSE(MatchFilePathInValue(manyDots));
    EXPECT_FALSE(MatchFullFilePath(CString(("C:" + dots + "|").c_str())));
    EXPECT_EQ(std::string(manyDots), Strip(manyDots));

    std::string blanks = "C:\\x";
    for (int i = 0; i < 100000; i++)
        blanks += ".e ";
    CString spaced(blanks.c_str());
    EXPECT_TRUE(MatchFilePathInValue(spaced));
    EXPECT_EQ(blanks.substr(0, blanks.size() - 1), Strip(spaced));

    std::string braces(400000, '{');
    braces += "{00021401-0000-0000-C000-000000000046";
    EXPECT_FALSE(MatchClassIdInValue(braces.c_str()));
    EXPECT_EQ("", Extract(braces.c_str()));

    std::string slashes(300000, '\\');
    EXPECT_EQ("%KELDRIX_NOT_SET_ANYWHERE%", Expand((slashes + "%KELDRIX_NOT_SET_ANYWHERE%" + slashes).c_str()));
}
