#include "afx.h"
#include "ClasslibTestSupport.h"
#include "TestSupport.h"
#include <gtest/gtest.h>
#include <climits>
#include <cstring>
#include <functional>
#include <vector>

using classlibtest::ThrowsInvalidArg;

TEST(StringTest, FormatHandlesTextsOfAnyLength)
{
    std::string big(100 * 1024, 'q');
    big[50000] = 'Z';
    CString s;
    s.Format("[%s] %d", big.c_str(), 42);
    ASSERT_EQ(s.GetLength(), static_cast<int>(big.size()) + 5);
    EXPECT_EQ(s.Find('Z'), 50001);
    EXPECT_EQ(s.Right(4), "] 42");

    // The arguments may come from the text being formatted.
    s = "ab";
    s.Format("%s-%s", (LPCSTR)s, (LPCSTR)s);
    EXPECT_EQ(s, "ab-ab");
    s.AppendFormat("/%05.1f/%c", 2.5, 'x');
    EXPECT_EQ(s, "ab-ab/002.5/x");

    s.Format("%s", "");
    EXPECT_TRUE(s.IsEmpty());
}

TEST(StringTest, FormatMessageFillsNumberedInserts)
{
    CString s;
    s.FormatMessage("%2 comes before %1; %1 again.", "one", "two");
    EXPECT_EQ(s, "two comes before one; one again.");

    std::string longInsert(20000, 'w');
    s.FormatMessage("<%1>", longInsert.c_str());
    EXPECT_EQ(s.GetLength(), 20002);
    EXPECT_EQ(s.Left(2), "<w");

    // Inserted text is taken as it is, even when it looks like an insert.
    s.FormatMessage("%1|%2", "%2", "b");
    EXPECT_EQ(s, "%2|b");
}

TEST(StringTest, TokenizeSkipsLeadingDelimitersAndEndsWithMinusOne)
{
    CString text(",;alpha,,beta;gamma,,");
    std::vector<CString> tokens;
    int pos = 0;
    for (CString t = text.Tokenize(",;", pos); pos != -1; t = text.Tokenize(",;", pos))
        tokens.push_back(t);
    ASSERT_EQ(tokens.size(), 3u);
    EXPECT_EQ(tokens[0], "alpha");
    EXPECT_EQ(tokens[1], "beta");
    EXPECT_EQ(tokens[2], "gamma");

    pos = 0;
    EXPECT_TRUE(CString(",,,").Tokenize(",", pos).IsEmpty());
    EXPECT_EQ(pos, -1);

    // A call after the end stays at the end.
    EXPECT_TRUE(text.Tokenize(",", pos).IsEmpty());
    EXPECT_EQ(pos, -1);

    // Without delimiters the rest is one token, and the next call ends.
    pos = 2;
    EXPECT_EQ(CString("abcdef").Tokenize("", pos), "cdef");
    EXPECT_TRUE(CString("abcdef").Tokenize("", pos).IsEmpty());
    EXPECT_EQ(pos, -1);
}

TEST(StringTest, CaseChangesFollowTheCodePage)
{
    if (GetACP() != 1252)
        GTEST_SKIP() << "needs code page 1252";
    CString s("caf\xe9 \x9c\x9a\xff abc");   // café œš ÿ abc
    s.MakeUpper();
    EXPECT_EQ(s, "CAF\xc9 \x8c\x8a\x9f ABC");
    s.MakeLower();
    EXPECT_EQ(s, "caf\xe9 \x9c\x9a\xff abc");

    // Letters whose other case is not in the code page stay as they are.
    CString kept("\xb5\xdf");   // micro sign, sharp s
    kept.MakeUpper();
    EXPECT_EQ(kept, "\xb5\xdf");
}

TEST(StringTest, CompareNoCaseIgnoresCaseOnly)
{
    if (GetACP() != 1252)
        GTEST_SKIP() << "needs code page 1252";
    EXPECT_EQ(CString("\xc9" "cole").CompareNoCase("\xe9" "COLE"), 0);
    EXPECT_EQ(CString("HKEY_Classes_Root").CompareNoCase("hkey_classes_root"), 0);
    // Linguistic equivalents are different texts.
    EXPECT_NE(CString("Stra\xdf" "e").CompareNoCase("STRASSE"), 0);
    EXPECT_NE(CString("\xe6").CompareNoCase("ae"), 0);
    EXPECT_LT(CString("apple").CompareNoCase("Banana"), 0);
    EXPECT_GT(CString("Cherry").CompareNoCase("banana"), 0);
    EXPECT_LT(CString("abc").CompareNoCase("ABCD"), 0);
    EXPECT_GT(CString("x").CompareNoCase(nullptr), 0);
    EXPECT_LT(CString("B").Compare("a"), 0);   // byte order
}

// Extraction clamps to the text, searches give byte indexes or -1, edits
// return the new length or the count of changes.
TEST(StringTest, ExtractSearchAndEditTable)
{
    const CString path("C:\\dir\\file.ext"), s("abcdef");
    const struct {
        const char* what;
        std::function<std::string()> f;
        const char* expected;
    } cases[] = {
        {"Mid(2)", [&] { return std::string(s.Mid(2)); }, "cdef"},
        {"Mid(-3, 2)", [&] { return std::string(s.Mid(-3, 2)); }, "ab"},
        {"Mid(4, 100)", [&] { return std::string(s.Mid(4, 100)); }, "ef"},
        {"Mid(3, INT_MAX)", [&] { return std::string(s.Mid(3, INT_MAX)); }, "def"},
        {"Mid(10)", [&] { return std::string(s.Mid(10)); }, ""},
        {"Mid(1, -1)", [&] { return std::string(s.Mid(1, -1)); }, ""},
        {"Left(-1)", [&] { return std::string(s.Left(-1)); }, ""},
        {"Left(99)", [&] { return std::string(s.Left(99)); }, "abcdef"},
        {"Right(2)", [&] { return std::string(s.Right(2)); }, "ef"},
        {"Right(-5)", [&] { return std::string(s.Right(-5)); }, ""},
        {"SpanIncluding", [&] { return std::string(s.SpanIncluding("cba")); }, "abc"},
        {"SpanExcluding", [&] { return std::string(s.SpanExcluding("ed")); }, "abc"},
        {"Find", [&] { return std::to_string(path.Find('\\', 3)) + std::to_string(path.Find('\\', 7)); }, "6-1"},
        {"Find out of range", [&] { return std::to_string(path.Find('C', -1)) + std::to_string(path.Find('C', 100)); },
         "-1-1"},
        {"Find text", [&] { return std::to_string(path.Find("file")) + std::to_string(path.Find("dir", 4)); }, "7-1"},
        {"Find empty", [&] { return std::to_string(path.Find("", 3)); }, "3"},
        {"ReverseFind", [&] { return std::to_string(path.ReverseFind('\\')) + std::to_string(path.ReverseFind('#')); },
         "6-1"},
        {"FindOneOf", [&] { return std::to_string(path.FindOneOf(".:")) + std::to_string(path.FindOneOf("#")); }, "1-1"},
        {"Replace, no overlaps", [] { CString t("aaa"); return std::to_string(t.Replace("aa", "b")) + (LPCSTR)t; }, "1ba"},
        {"Replace, new holds old", [] { CString t("a.b.c"); return std::to_string(t.Replace(".", "...")) + (LPCSTR)t; },
         "2a...b...c"},
        {"Replace empty", [] { CString t("abc"); return std::to_string(t.Replace("", "x")) + (LPCSTR)t; }, "0abc"},
        {"Remove", [] { CString t("a-b-c"); return std::to_string(t.Remove('-')) + (LPCSTR)t; }, "2abc"},
        {"Insert", [] { CString t("abc"); return std::to_string(t.Insert(1, "XY")) + (LPCSTR)t; }, "5aXYbc"},
        {"Insert past the end", [] { CString t("abc"); return std::to_string(t.Insert(99, '!')) + (LPCSTR)t; }, "4abc!"},
        {"Delete", [] { CString t("abcd"); return std::to_string(t.Delete(1, 2)) + (LPCSTR)t; }, "2ad"},
        {"Delete past the end", [] { CString t("abcd"); return std::to_string(t.Delete(2, 99)) + (LPCSTR)t; }, "2ab"},
        {"Trim", [] { return std::string(CString(" \t\r\n x y \r\n").Trim()); }, "x y"},
        {"TrimLeft", [] { return std::string(CString("xxabcxx").TrimLeft('x')); }, "abcxx"},
        {"TrimRight set", [] { return std::string(CString("\\\\p\\/").TrimRight("\\/")); }, "\\\\p"},
        {"Trim blanks", [] { return std::string(CString("   ").Trim()); }, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.f(), c.expected) << c.what;
}

TEST(StringTest, IndexOutOfRangeThrows)
{
    CString s("ab");
    EXPECT_EQ(s.GetAt(1), 'b');
    EXPECT_EQ(s[2], '\0');   // the terminating zero may be read
    EXPECT_TRUE(ThrowsInvalidArg([&] { s.GetAt(3); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { s.GetAt(-1); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { s.SetAt(2, 'x'); }));
    s.SetAt(0, 'z');
    EXPECT_EQ(s, "zb");
}
