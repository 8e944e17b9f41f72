#include <gtest/gtest.h>
#include "EngineTestSupport.h"
#include "CCleanSweep.h"
#include "RegExport.h"
#include <map>
#include <vector>

using enginetest::BackupStream;
using enginetest::NarrowedKey;
using enginetest::PlantEveryType;
using enginetest::Snapshot;
using enginetest::Tree;
using testsupport::CountOf;
using testsupport::FileBytes;
using testsupport::TempDir;
using testsupport::TestKey;

namespace {

// Points a predefined root at a test key for the scope.
class RootOverride {
public:
    RootOverride(HKEY root, const TestKey& key, const std::string& rel) : m_root(root)
    {
        key.CreateKey(rel);
        RegOpenKeyExA(HKEY_CURRENT_USER, key.Sub(rel).c_str(), 0, KEY_ALL_ACCESS, &m_target);
        RegOverridePredefKey(m_root, m_target);
    }
    ~RootOverride()
    {
        RegOverridePredefKey(m_root, nullptr);
        RegCloseKey(m_target);
    }

private:
    HKEY m_root;
    HKEY m_target = nullptr;
};

}  // namespace

// The backup of a deleted tree and of single values, imported by the
// system's own registry editor, gives back every key and value exactly.
class CleanSweepRoundTrip : public ::testing::TestWithParam<int> {};

TEST_P(CleanSweepRoundTrip, SystemImporterRestoresEveryKeyAndValueExactly)
{
    TestKey key;
    PlantEveryType(key);
    key.Set("lone", "exp\"and\\ed", REG_EXPAND_SZ, "%TEMP%\\a", 9);
    key.SetString("lone", "", "lone default");
    key.SetString("lone", "stays", "here");
    const Tree before = Snapshot(key);

    BackupStream backup;
    CCleanSweep sweep;
    ASSERT_TRUE(WriteRegBackupHeader(backup.Get(), GetParam()));
    sweep.SetBackupFile(backup.Get());
    ASSERT_EQ(sweep.DeleteKeyTree(HKEY_CURRENT_USER, key.Sub("tree").c_str(), TRUE), 1);
    ASSERT_TRUE(sweep.DeleteValue(HKEY_CURRENT_USER, key.Sub("lone").c_str(), "exp\"and\\ed"));
    ASSERT_TRUE(sweep.DeleteValue(HKEY_CURRENT_USER, key.Sub("lone").c_str(), ""));
    EXPECT_EQ(sweep.GetDeletedKeys(), 23);
    EXPECT_EQ(sweep.GetDeletedValues(), 2);
    EXPECT_FALSE(key.Exists("tree"));
    EXPECT_FALSE(key.ValueExists("lone", ""));
    const std::string text = backup.Text();
    // Each key of the tree once, the top key's own block last (after its subkeys).
    EXPECT_EQ(CountOf(text, "[HKEY_CURRENT_USER\\" + key.Sub("tree\\empty]")), 1);
    EXPECT_LT(text.find("[HKEY_CURRENT_USER\\" + key.Sub("tree\\L1]")),
              text.rfind("[HKEY_CURRENT_USER\\" + key.Sub("tree]")));

    EXPECT_EQ(testsupport::RunProcess("regedit.exe /S \"" + backup.Path() + "\""), 0);
    EXPECT_EQ(Snapshot(key), before) << text;
}

INSTANTIATE_TEST_SUITE_P(Headers, CleanSweepRoundTrip, ::testing::Values(105, 4));

TEST(CleanSweepDelete, SubkeysOnlyAndWithoutABackupStream)
{
    TestKey key;
    key.SetString("t\\a", "v", "1");
    key.SetString("t", "own", "2");
    key.SetString("w", "gone", "3");
    CCleanSweep sweep;
    EXPECT_EQ(sweep.DeleteKeyTree(HKEY_CURRENT_USER, key.Sub("t").c_str(), FALSE), ERROR_NO_MORE_ITEMS);
    EXPECT_TRUE(key.ValueExists("t", "own"));
    EXPECT_FALSE(key.Exists("t\\a"));
    EXPECT_TRUE(sweep.DeleteValue(HKEY_CURRENT_USER, key.Sub("w").c_str(), "gone"));
    EXPECT_FALSE(key.ValueExists("w", "gone"));
}

TEST(CleanSweepDelete, HiveRootsAndEmptyPathsAreNeverDeleted)
{
    TestKey key;
    key.SetString("users\\Hive\\Sub", "v", "1");
    key.SetString("machine\\SOFTWARE\\X", "v", "1");
    key.SetString("classes\\.ext", "v", "1");
    {
        RootOverride users(HKEY_USERS, key, "users");
        RootOverride machine(HKEY_LOCAL_MACHINE, key, "machine");
        RootOverride classes(HKEY_CLASSES_ROOT, key, "classes");
        CCleanSweep sweep;
        EXPECT_EQ(sweep.DeleteKeyTree(HKEY_USERS, "", TRUE), ERROR_ACCESS_DENIED);
        EXPECT_EQ(sweep.DeleteKeyTree(HKEY_USERS, "\\", TRUE), ERROR_ACCESS_DENIED);
        EXPECT_EQ(sweep.DeleteKeyTree(HKEY_USERS, "Hive", TRUE), ERROR_ACCESS_DENIED);
        EXPECT_EQ(sweep.DeleteKeyTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\", TRUE), ERROR_ACCESS_DENIED);
        EXPECT_EQ(sweep.DeleteKeyTree(HKEY_CLASSES_ROOT, nullptr, FALSE), ERROR_ACCESS_DENIED);
        EXPECT_EQ(sweep.GetDeletedKeys(), 0);
        // One level further down, and a class key directly under the classes root, may go.
        EXPECT_EQ(sweep.DeleteKeyTree(HKEY_USERS, "Hive\\Sub", TRUE), 1);
        EXPECT_EQ(sweep.DeleteKeyTree(HKEY_CLASSES_ROOT, ".ext", TRUE), 1);
    }
    EXPECT_TRUE(key.Exists("users\\Hive"));
    EXPECT_FALSE(key.Exists("users\\Hive\\Sub"));
    EXPECT_TRUE(key.ValueExists("machine\\SOFTWARE\\X", "v"));
    EXPECT_FALSE(key.Exists("classes\\.ext"));
}

// A subkey or value that cannot be read whole into the backup keeps its
// whole tree, or itself, in place.
TEST(CleanSweepDelete, NothingGoesWhenTheBackupIsIncomplete)
{
    TestKey key;
    key.SetString("t\\open", "v", "1");
    key.SetString("t\\closed", "w", "2");
    key.SetString("t", "own", "3");
    key.SetString("n", "bad\nname", "4");
    key.SetString("k", "v", "1");
    BackupStream backup;
    CCleanSweep sweep;
    sweep.SetBackupFile(backup.Get());
    {
        NarrowedKey narrowed(HKEY_CURRENT_USER, key.Sub("t\\closed"), KEY_SET_VALUE | DELETE);
        EXPECT_EQ(sweep.DeleteKeyTree(HKEY_CURRENT_USER, key.Sub("t").c_str(), TRUE), ERROR_CAN_NOT_COMPLETE);
    }
    {
        NarrowedKey narrowed(HKEY_CURRENT_USER, key.Sub("k"), KEY_SET_VALUE);
        EXPECT_FALSE(sweep.DeleteValue(HKEY_CURRENT_USER, key.Sub("k").c_str(), "v"));
    }
    EXPECT_EQ(sweep.DeleteKeyTree(HKEY_CURRENT_USER, key.Sub("n").c_str(), TRUE), ERROR_CAN_NOT_COMPLETE);
    EXPECT_EQ(sweep.DeleteKeyTree(HKEY_CURRENT_USER, key.Sub("missing").c_str(), TRUE), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(sweep.DeleteValue(HKEY_CURRENT_USER, key.Sub("n").c_str(), "bad\nname"));
    EXPECT_FALSE(sweep.DeleteValue(HKEY_CURRENT_USER, key.Sub("k").c_str(), "absent"));
    EXPECT_EQ(sweep.GetDeletedKeys() + sweep.GetDeletedValues(), 0);
    for (const char* rel : {"t\\open|v", "t\\closed|w", "t|own", "n|bad\nname", "k|v"}) {
        const std::string entry(rel);
        const size_t bar = entry.find('|');
        EXPECT_TRUE(key.ValueExists(entry.substr(0, bar), entry.substr(bar + 1).c_str())) << rel;
    }
}

TEST(CleanSweepExport, SingleValueStandsInAKeyBlockOfItsOwn)
{
    TestKey key;
    key.SetString("k", "a\"b", "C:\\x");
    key.SetDword("k", "", 255);
    BackupStream backup;
    CCleanSweep sweep;
    EXPECT_TRUE(sweep.ExportValue(HKEY_CURRENT_USER, key.Sub("k").c_str(), "a\"b", backup.Get()));
    EXPECT_TRUE(sweep.ExportValue(HKEY_CURRENT_USER, key.Sub("k").c_str(), nullptr, backup.Get()));
    const std::string line = "\r\n[HKEY_CURRENT_USER\\" + key.Sub("k") + "]\r\n";
    EXPECT_EQ(backup.Text(), line + "\"a\\\"b\" = \"C:\\\\x\"\r\n" + line + "@ = dword:000000ff\r\n");
}

TEST(CleanSweepRename, SameNamedShortcutsGetTheirOwnTargetsAndLogLines)
{
    TempDir dir;
    const std::string folder = dir.File("Bak");
    for (const char* sub : {"Bak", "one", "two", "a,b"})
        ASSERT_TRUE(CreateDirectoryA(dir.File(sub).c_str(), nullptr));
    const std::string first = dir.File("one\\App.lnk"), second = dir.File("two\\App.lnk"), comma = dir.File("a,b\\C.lnk");
    testsupport::WriteFileBytes(first, "first");
    testsupport::WriteFileBytes(second, "second");
    testsupport::WriteFileBytes(comma, "c");
    CCleanSweep sweep;
    EXPECT_TRUE(sweep.RenameToBak(first.c_str(), folder.c_str()));
    EXPECT_TRUE(sweep.RenameToBak(second.c_str(), folder.c_str()));
    // A comma in the path, or a file that cannot be moved: left alone, no log line.
    EXPECT_FALSE(sweep.RenameToBak(comma.c_str(), folder.c_str()));
    EXPECT_FALSE(sweep.RenameToBak(dir.File("one\\missing.lnk").c_str(), folder.c_str()));
    EXPECT_FALSE(sweep.RenameToBak(second.c_str(), dir.File("nofolder").c_str()));
    EXPECT_EQ(FileBytes(folder + ".bak"),
              first + "," + folder + "\\App.lnk\r\n" + second + "," + folder + "\\App (2).lnk\r\n");
    EXPECT_EQ(FileBytes(folder + "\\App.lnk"), "first");
    EXPECT_EQ(FileBytes(folder + "\\App (2).lnk"), "second");
    EXPECT_FALSE(testsupport::FileExists(first));
    EXPECT_TRUE(testsupport::FileExists(comma));
    EXPECT_FALSE(testsupport::FileExists(dir.File("nofolder.bak")));
}

TEST(CleanSweepShred, OverwritesWholeBlocksThenDeletesButLeavesAFileHeldOpen)
{
    TempDir dir;
    const std::string path = dir.File("big.dat"), link = dir.File("big.link"), small = dir.File("small.dat"),
                      held = dir.File("held.dat");
    testsupport::WriteFileBytes(path, std::string(2500, 'x'));
    testsupport::WriteFileBytes(small, std::string(1000, 'y'));
    testsupport::WriteFileBytes(held, std::string(3000, 'z'));
    // A second name for the same data shows what the shredder wrote.
    ASSERT_TRUE(CreateHardLinkA(link.c_str(), path.c_str(), nullptr));
    HANDLE holder = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    CCleanSweep sweep;
    EXPECT_TRUE(sweep.ShredFile(path.c_str(), 1));
    EXPECT_TRUE(sweep.ShredFile(small.c_str(), 3));
    EXPECT_FALSE(sweep.ShredFile(held.c_str(), 2));
    CloseHandle(holder);
    EXPECT_FALSE(testsupport::FileExists(path));
    EXPECT_FALSE(testsupport::FileExists(small));
    const std::string after = FileBytes(link);
    ASSERT_EQ(after.size(), 2500u);
    EXPECT_EQ(after.substr(0, 2048), std::string(2048, after[0]));
    EXPECT_EQ(after.substr(2048), std::string(452, 'x'));
    EXPECT_EQ(FileBytes(held), std::string(3000, 'z'));
    EXPECT_EQ(sweep.GetShreddedFiles(), 2);
    EXPECT_EQ(sweep.GetShreddedBytes(), 3500u);
}

TEST(CleanSweepMisc, RegStringProgramFolderAndDrives)
{
    TestKey key;
    const std::string longText(3000, 'L');
    key.SetString("k", "long", longText);
    key.SetDword("k", "number", 7);
    CCleanSweep sweep;
    EXPECT_EQ(sweep.GetRegString(HKEY_CURRENT_USER, key.Sub("k").c_str(), "long").str(), longText);
    EXPECT_EQ(sweep.GetRegString(HKEY_CURRENT_USER, key.Sub("k").c_str(), "number").str(), "");
    EXPECT_EQ(sweep.GetRegString(HKEY_CURRENT_USER, key.Sub("none").c_str(), "long").str(), "");
    EXPECT_FALSE(key.Exists("none"));

    const CString folder = CCleanSweep::GetProgramFolder();
    const CString whole = CCleanSweep::GetProgramFolder(TRUE);
    EXPECT_EQ(folder.Right(1).str(), "\\");
    EXPECT_EQ(whole.Left(folder.GetLength()).str(), folder.str());
    EXPECT_EQ(CString(whole).MakeLower().Right(16).str(), "engine_tests.exe");
    ASSERT_GE(sweep.GetDriveCount(), 1);
    EXPECT_EQ(sweep.GetDriveRoot(0).Right(2).str(), ":\\");
    EXPECT_EQ(sweep.GetDriveRoot(sweep.GetDriveCount()).str(), "");
}
