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

// Each Add writes the whole file of category/text line pairs; the same
// problem twice gives two entries; texts with line breaks stay in memory;
// removed entries leave the file and, once compacted, the arrays.
TEST(IgnoreList, AddWritesPairsRemovedEntriesLeaveTheFile)
{
    TempDir dir;
    const std::string path = dir.File("ignorelist.dat");
    Fixture f(path);
    const CRegistryProblem problem("HKEY_LOCAL_MACHINE\\Software\\Odd", "Path", "C:\\gone.dll", REGPROBLEM_SHAREDDLL);
    EXPECT_TRUE(f.list.Add(problem));
    EXPECT_TRUE(f.list.Add(problem));
    for (const char* name : {"line\r\nbreak", "lone\nfeed", "cr\r"})
        f.list.Add(CRegistryProblem("HKEY_USERS\\b", name, "v", REGPROBLEM_FILEPATH));
    f.list.Add(CRegistryProblem("HKEY_USERS\\e", "n", "after", REGPROBLEM_STARTUP));
    EXPECT_EQ(6, f.list.GetCount());
    const std::string pair = "3\r\nHKEY_LOCAL_MACHINE\\Software\\Odd\\Path|C:\\gone.dll\r\n";
    EXPECT_EQ(pair + pair + "6\r\nHKEY_USERS\\e\\n|after\r\n", FileBytes(path));
    // A key-only problem ends in a backslash and a bar.
    EXPECT_STREQ("HKEY_CLASSES_ROOT\\CLSID\\{X}\\|",
                 CIgnoreList::MakeEntryText(CRegistryProblem("HKEY_CLASSES_ROOT\\CLSID\\{X}", "", "", REGPROBLEM_COM)));

    for (int index : {0, 7, -1})  // out of range: nothing
        f.list.MarkRemoved(index);
    EXPECT_TRUE(f.list.Save());
    EXPECT_EQ(pair + "6\r\nHKEY_USERS\\e\\n|after\r\n", FileBytes(path));
    EXPECT_EQ(REGPROBLEM_REMOVED, f.types[0]);
    EXPECT_STREQ("HKEY_LOCAL_MACHINE\\Software\\Odd\\Path|C:\\gone.dll", f.texts[0]);  // shown until the next load
    f.list.Compact();
    EXPECT_EQ(5, f.list.GetCount());

    Fixture reloaded(path);
    reloaded.list.Load();
    ASSERT_EQ(2, reloaded.list.GetCount());
    EXPECT_STREQ("HKEY_USERS\\e\\n|after", reloaded.texts[1]);
    EXPECT_EQ(REGPROBLEM_STARTUP, reloaded.types[1]);
}

// Load appends line pairs; an odd line count leaves a category without a
// text that later entries do not pair with; removed entries are not written back.
TEST(IgnoreList, LoadReadsLinePairsAndAppends)
{
    TempDir dir;
    const std::string path = dir.File("ignorelist.dat");
    ASSERT_TRUE(WriteFileBytes(path, "4\r\nA\\n|v\r\n  7\r\n\r\nxyz\r\nB\r\n-1\r\nC\r\n99\nD\n6\r\n"));
    Fixture f(path);
    f.texts.Add("earlier");
    f.types.Add(REGPROBLEM_FONT);
    f.list.Load();
    ASSERT_EQ(6, f.list.GetCount());
    ASSERT_EQ(7, f.types.GetSize());
    const struct { int type; const char* text; } expected[] = {
        {2, "earlier"}, {4, "A\\n|v"}, {7, ""}, {0, "B"}, {-1, "C"}, {99, "D"},
    };
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(expected[i].type, f.types[i]) << i;
        EXPECT_STREQ(expected[i].text, f.texts[i]) << i;
    }
    EXPECT_TRUE(f.list.Add(CRegistryProblem("HKEY_USERS\\new", "n", "v", REGPROBLEM_EMPTYKEY)));
    EXPECT_STREQ("HKEY_USERS\\new\\n|v", f.texts[6]);
    EXPECT_EQ(REGPROBLEM_EMPTYKEY, f.types[6]);
    EXPECT_EQ(6, f.types[7]);
    EXPECT_EQ("2\r\nearlier\r\n4\r\nA\\n|v\r\n7\r\n\r\n0\r\nB\r\n99\r\nD\r\n9\r\nHKEY_USERS\\new\\n|v\r\n",
              FileBytes(path));
}

TEST(IgnoreList, MissingOrUnwritableFiles)
{
    TempDir dir;
    Fixture missing(dir.File("none.dat"));
    missing.list.Load();
    EXPECT_EQ(0, missing.types.GetSize());
    const std::string badPath = dir.File("no-such-folder\\ignorelist.dat");
    Fixture unwritable(badPath);
    EXPECT_FALSE(unwritable.list.Add(CRegistryProblem("HKEY_USERS\\a", "n", "v", 1)));
    EXPECT_EQ(1, unwritable.list.GetCount());  // kept in memory
    EXPECT_FALSE(testsupport::FileExists(badPath));
    // Saving truncates a longer file.
    const std::string path = dir.File("ignorelist.dat");
    ASSERT_TRUE(WriteFileBytes(path, std::string(5000, 'x')));
    Fixture empty(path);
    EXPECT_TRUE(empty.list.Save());
    EXPECT_EQ("", FileBytes(path));
}
