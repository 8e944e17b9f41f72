#include "afx.h"
#include "ThrowsInvalidArg.h"
#include "TestSupport.h"
#include <gtest/gtest.h>
#include <climits>
#include <cstring>
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

TEST(StringTest, ExtractionClampsToTheText)
{
    CString s("abcdef");
    EXPECT_EQ(s.Mid(2), "cdef");
    EXPECT_EQ(s.Mid(2, 2), "cd");
    EXPECT_EQ(s.Mid(-3, 2), "ab");
    EXPECT_EQ(s.Mid(4, 100), "ef");
    EXPECT_EQ(s.Mid(3, INT_MAX), "def");
    EXPECT_EQ(s.Mid(10), "");
    EXPECT_EQ(s.Mid(1, -1), "");
    EXPECT_EQ(s.Left(-1), "");
    EXPECT_EQ(s.Left(3), "abc");
    EXPECT_EQ(s.Left(99), "abcdef");
    EXPECT_EQ(s.Right(2), "ef");
    EXPECT_EQ(s.Right(99), "abcdef");
    EXPECT_EQ(s.Right(-5), "");
    EXPECT_EQ(s.SpanIncluding("cba"), "abc");
    EXPECT_EQ(s.SpanExcluding("ed"), "abc");
    EXPECT_EQ(s.SpanIncluding(""), "");
}

TEST(StringTest, SearchesReturnByteIndexesOrMinusOne)
{
    CString s("C:\\dir\\file.ext");
    EXPECT_EQ(s.Find('\\'), 2);
    EXPECT_EQ(s.Find('\\', 3), 6);
    EXPECT_EQ(s.Find('\\', 7), -1);
    EXPECT_EQ(s.Find('C', -1), -1);
    EXPECT_EQ(s.Find('C', 100), -1);
    EXPECT_EQ(s.Find("file"), 7);
    EXPECT_EQ(s.Find("dir", 4), -1);
    EXPECT_EQ(s.Find("", 3), 3);
    EXPECT_EQ(s.ReverseFind('\\'), 6);
    EXPECT_EQ(s.ReverseFind('#'), -1);
    EXPECT_EQ(s.FindOneOf(".:"), 1);
    EXPECT_EQ(s.FindOneOf("#"), -1);
}

TEST(StringTest, ReplaceRemoveInsertDelete)
{
    CString s("aaa");
    EXPECT_EQ(s.Replace("aa", "b"), 1);   // left to right, no overlaps
    EXPECT_EQ(s, "ba");

    s = "a.b.c";
    EXPECT_EQ(s.Replace(".", "..."), 2);   // the new text may hold the old one
    EXPECT_EQ(s, "a...b...c");
    EXPECT_EQ(s.Replace("...", ""), 2);
    EXPECT_EQ(s, "abc");
    EXPECT_EQ(s.Replace("", "x"), 0);
    EXPECT_EQ(s.Replace('b', 'B'), 1);
    EXPECT_EQ(s, "aBc");

    s = "a-b-c";
    EXPECT_EQ(s.Remove('-'), 2);
    EXPECT_EQ(s, "abc");
    EXPECT_EQ(s.Insert(1, "XY"), 5);
    EXPECT_EQ(s, "aXYbc");
    EXPECT_EQ(s.Insert(99, '!'), 6);
    EXPECT_EQ(s, "aXYbc!");
    EXPECT_EQ(s.Delete(1, 2), 4);
    EXPECT_EQ(s, "abc!");
    EXPECT_EQ(s.Delete(2, 99), 2);
    EXPECT_EQ(s, "ab");
    EXPECT_EQ(s.Delete(5), 2);
}

TEST(StringTest, TrimRemovesOnlyTheEnds)
{
    CString s(" \t\r\n x y \r\n");
    EXPECT_EQ(s.Trim(), "x y");
    s = "xxabcxx";
    EXPECT_EQ(CString(s).TrimLeft('x'), "abcxx");
    EXPECT_EQ(CString(s).TrimRight('x'), "xxabc");
    EXPECT_EQ(CString("\\\\path\\/").TrimRight("\\/"), "\\\\path");
    EXPECT_EQ(CString("   ").Trim(), "");
    EXPECT_EQ(CString("").TrimLeft(), "");
}

TEST(StringTest, BufferAccessAndRelease)
{
    CString s("keep");
    LPSTR p = s.GetBuffer(100);
    EXPECT_EQ(std::strncmp(p, "keep", 4), 0);
    std::strcpy(p, "written by an API");
    s.ReleaseBuffer();
    EXPECT_EQ(s, "written by an API");

    p = s.GetBuffer(10);
    p[3] = '\0';
    s.ReleaseBuffer();   // up to the first zero byte
    EXPECT_EQ(s, "wri");

    p = s.GetBufferSetLength(5);
    std::memcpy(p, "12345", 5);
    s.ReleaseBuffer(2);
    EXPECT_EQ(s, "12");
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

TEST(StringTest, ConstructionAndConcatenation)
{
    EXPECT_EQ(CString(static_cast<LPCSTR>(nullptr)), "");
    EXPECT_EQ(CString('-', 3), "---");
    EXPECT_EQ(CString("abcdef", 3), "abc");
    CString withZero("a\0b", 3);
    EXPECT_EQ(withZero.GetLength(), 3);
    EXPECT_EQ(CString("x") + "y" + 'z' + CString("!"), "xyz!");
    EXPECT_EQ('<' + CString("a") + '>', "<a>");
    EXPECT_TRUE(CString("a") < CString("b"));
    EXPECT_TRUE(CString("a") != "A");
    CString r("abc");
    EXPECT_EQ(r.MakeReverse(), "cba");
}

namespace {

// Writes a copy of this test program with a string table of our own and
// loads it as data, so LoadString can be checked on texts we chose.
class StringTableModule {
public:
    explicit StringTableModule(const testsupport::TempDir& dir, const std::vector<std::wstring>& block)
    {
        char self[MAX_PATH];
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        m_path = dir.File("strings.exe");
        if (!CopyFileA(self, m_path.c_str(), FALSE))
            return;
        // A string table block: 16 counted UTF-16 texts, ids 0..15 for block 1.
        std::vector<WCHAR> data;
        for (size_t i = 0; i < 16; ++i) {
            const std::wstring text = i < block.size() ? block[i] : std::wstring();
            data.push_back(static_cast<WCHAR>(text.size()));
            data.insert(data.end(), text.begin(), text.end());
        }
        HANDLE update = BeginUpdateResourceA(m_path.c_str(), FALSE);
        if (!update)
            return;
        BOOL ok = UpdateResourceA(update, RT_STRING, MAKEINTRESOURCEA(1), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                                  data.data(), static_cast<DWORD>(data.size() * sizeof(WCHAR)));
        if (!EndUpdateResourceA(update, !ok) || !ok)
            return;
        m_module = LoadLibraryExA(m_path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    ~StringTableModule()
    {
        if (m_module)
            FreeLibrary(m_module);
    }
    HINSTANCE Module() const { return m_module; }

private:
    std::string m_path;
    HINSTANCE m_module = nullptr;
};

}  // namespace

TEST(StringTest, LoadStringReadsWholeTextsAndReportsMissingOnes)
{
    testsupport::TempDir dir;
    std::wstring longText(40000, L'L');   // an entry holds at most 65535 characters
    longText += L"\x00e9nd";   // é in code page 1252
    StringTableModule strings(dir, { L"", L"short", longText });
    ASSERT_NE(strings.Module(), nullptr) << "could not build the string table module";

    CString s("unchanged");
    EXPECT_FALSE(s.LoadString(strings.Module(), 0));   // empty entry
    EXPECT_FALSE(s.LoadString(strings.Module(), 7));   // absent entry in the block
    EXPECT_FALSE(s.LoadString(strings.Module(), 500)); // absent block
    EXPECT_EQ(s, "unchanged");

    ASSERT_TRUE(s.LoadString(strings.Module(), 1));
    EXPECT_EQ(s, "short");
    ASSERT_TRUE(s.LoadString(strings.Module(), 2));
    ASSERT_EQ(s.GetLength(), 40003);
    if (GetACP() == 1252) {
        EXPECT_EQ(s.Right(4), "L\xe9nd");
    }

    // This program itself has no string table.
    EXPECT_FALSE(s.LoadString(1));
}
