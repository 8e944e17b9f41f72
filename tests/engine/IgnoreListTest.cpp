#include <gtest/gtest.h>
#include <string>
#include "CIgnoreList.h"
#include "TestSupport.h"

using testsupport::FileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

namespace {

// Two arrays and the list over them, as the application object holds them.
struct Fixture {
    explicit Fixture(const std::string& path) : list(texts, types, path.c_str()) {}
    CStringArray texts;
    CIgnoreTypeArray types;
    CIgnoreList list;
};

}  // namespace

TEST(IgnoreList, AddWritesPairsAndSameProblemTwiceGivesTwoEntries)
{
    TempDir dir;
    const std::string path = dir.File("ignorelist.dat");
    Fixture f(path);
    CRegistryProblem problem("HKEY_LOCAL_MACHINE\\Software\\Odd", "Path", "C:\\gone.dll", REGPROBLEM_SHAREDDLL);
    EXPECT_TRUE(f.list.Add(problem));
    EXPECT_TRUE(f.list.Add(problem));
    EXPECT_EQ(2, f.list.GetCount());
    EXPECT_STREQ("HKEY_LOCAL_MACHINE\\Software\\Odd\\Path|C:\\gone.dll", f.texts[1]);
    EXPECT_EQ(REGPROBLEM_SHAREDDLL, f.types[1]);
    const std::string pair = "3\r\nHKEY_LOCAL_MACHINE\\Software\\Odd\\Path|C:\\gone.dll\r\n";
    EXPECT_EQ(pair + pair, FileBytes(path));

    // A key-only problem ends in a backslash and a bar.
    CRegistryProblem keyOnly("HKEY_CLASSES_ROOT\\CLSID\\{X}", "", "", REGPROBLEM_COM);
    EXPECT_STREQ("HKEY_CLASSES_ROOT\\CLSID\\{X}\\|", CIgnoreList::MakeEntryText(keyOnly));
}

TEST(IgnoreList, RemovedEntriesStayInMemoryButLeaveTheFile)
{
    TempDir dir;
    const std::string path = dir.File("ignorelist.dat");
    Fixture f(path);
    for (int i = 0; i < 3; ++i)
        f.list.Add(CRegistryProblem("HKEY_USERS\\k" + CString(static_cast<char>('0' + i)), "n", "v", i));
    f.list.MarkRemoved(1);
    f.list.MarkRemoved(7);   // out of range: nothing
    f.list.MarkRemoved(-1);
    EXPECT_TRUE(f.list.Save());
    EXPECT_EQ("0\r\nHKEY_USERS\\k0\\n|v\r\n2\r\nHKEY_USERS\\k2\\n|v\r\n", FileBytes(path));
    ASSERT_EQ(3, f.list.GetCount());
    EXPECT_EQ(REGPROBLEM_REMOVED, f.types[1]);
    EXPECT_STREQ("HKEY_USERS\\k1\\n|v", f.texts[1]);  // shown until the next load

    f.list.Compact();
    ASSERT_EQ(2, f.list.GetCount());
    EXPECT_STREQ("HKEY_USERS\\k2\\n|v", f.texts[1]);

    Fixture reloaded(path);
    reloaded.list.Load();
    ASSERT_EQ(2, reloaded.list.GetCount());
    EXPECT_STREQ("HKEY_USERS\\k0\\n|v", reloaded.texts[0]);
    EXPECT_EQ(2, reloaded.types[1]);
}

TEST(IgnoreList, LoadReadsLinePairsAndAppends)
{
    TempDir dir;
    const std::string path = dir.File("ignorelist.dat");
    ASSERT_TRUE(WriteFileBytes(path, "4\r\nA\\n|v\r\n  7\r\n\r\nxyz\r\nB\r\n-1\r\nC\r\n99\nD\n"));
    Fixture f(path);
    f.texts.Add("earlier");
    f.types.Add(REGPROBLEM_FONT);
    f.list.Load();
    ASSERT_EQ(6, f.list.GetCount());
    ASSERT_EQ(6, f.texts.GetSize());
    ASSERT_EQ(6, f.types.GetSize());
    const struct { int type; const char* text; } expected[] = {
        {2, "earlier"}, {4, "A\\n|v"}, {7, ""}, {0, "B"}, {-1, "C"}, {99, "D"},
    };
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(expected[i].type, f.types[i]) << i;
        EXPECT_STREQ(expected[i].text, f.texts[i]) << i;
    }
    // The removed entry is not written back; the unknown category is kept.
    EXPECT_TRUE(f.list.Save());
    EXPECT_EQ("2\r\nearlier\r\n4\r\nA\\n|v\r\n7\r\n\r\n0\r\nB\r\n99\r\nD\r\n", FileBytes(path));
}

TEST(IgnoreList, OddLineCountKeepsTheUnmatchedCategoryApart)
{
    TempDir dir;
    const std::string path = dir.File("ignorelist.dat");
    ASSERT_TRUE(WriteFileBytes(path, "5\r\nfirst|x\r\n6\r\n"));
    Fixture f(path);
    f.list.Load();
    EXPECT_EQ(2, f.types.GetSize());
    EXPECT_EQ(1, f.texts.GetSize());
    EXPECT_EQ(1, f.list.GetCount());
    EXPECT_TRUE(f.list.Save());
    EXPECT_EQ("5\r\nfirst|x\r\n", FileBytes(path));

    // A new entry pairs with its own category, not with the unmatched one.
    EXPECT_TRUE(f.list.Add(CRegistryProblem("HKEY_USERS\\new", "n", "v", REGPROBLEM_EMPTYKEY)));
    ASSERT_EQ(2, f.list.GetCount());
    EXPECT_STREQ("HKEY_USERS\\new\\n|v", f.texts[1]);
    EXPECT_EQ(REGPROBLEM_EMPTYKEY, f.types[1]);
    EXPECT_EQ(3, f.types.GetSize());
    EXPECT_EQ(6, f.types[2]);
    EXPECT_EQ("5\r\nfirst|x\r\n9\r\nHKEY_USERS\\new\\n|v\r\n", FileBytes(path));

    f.list.MarkRemoved(0);
    f.list.Compact();
    EXPECT_EQ(1, f.list.GetCount());
    EXPECT_EQ(2, f.types.GetSize());
}

TEST(IgnoreList, TextsWithLineBreaksStayInMemoryOnly)
{
    TempDir dir;
    const std::string path = dir.File("ignorelist.dat");
    Fixture f(path);
    f.list.Add(CRegistryProblem("HKEY_USERS\\a", "n", "before", REGPROBLEM_FILEPATH));
    f.list.Add(CRegistryProblem("HKEY_USERS\\b", "line\r\nbreak", "v", REGPROBLEM_FILEPATH));
    f.list.Add(CRegistryProblem("HKEY_USERS\\c", "n", "lone\nfeed", REGPROBLEM_FILEPATH));
    f.list.Add(CRegistryProblem("HKEY_USERS\\d", "n", "cr\r", REGPROBLEM_FILEPATH));
    f.list.Add(CRegistryProblem("HKEY_USERS\\e", "n", "after", REGPROBLEM_STARTUP));
    EXPECT_EQ(5, f.list.GetCount());
    EXPECT_EQ("7\r\nHKEY_USERS\\a\\n|before\r\n6\r\nHKEY_USERS\\e\\n|after\r\n", FileBytes(path));

    Fixture reloaded(path);
    reloaded.list.Load();
    ASSERT_EQ(2, reloaded.list.GetCount());
    EXPECT_STREQ("HKEY_USERS\\e\\n|after", reloaded.texts[1]);
    EXPECT_EQ(REGPROBLEM_STARTUP, reloaded.types[1]);
}

TEST(IgnoreList, MissingOrUnwritableFiles)
{
    TempDir dir;
    Fixture missing(dir.File("none.dat"));
    missing.list.Load();
    EXPECT_EQ(0, missing.types.GetSize());
    EXPECT_EQ(0, missing.texts.GetSize());

    const std::string badPath = dir.File("no-such-folder\\ignorelist.dat");
    Fixture unwritable(badPath);
    EXPECT_FALSE(unwritable.list.Add(CRegistryProblem("HKEY_USERS\\a", "n", "v", 1)));
    EXPECT_EQ(1, unwritable.list.GetCount());  // kept in memory
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(badPath.c_str()));

    // Saving truncates a longer file.
    const std::string path = dir.File("ignorelist.dat");
    ASSERT_TRUE(WriteFileBytes(path, std::string(5000, 'x')));
    Fixture empty(path);
    EXPECT_TRUE(empty.list.Save());
    EXPECT_EQ("", FileBytes(path));
}
