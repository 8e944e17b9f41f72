#include <gtest/gtest.h>
#include "BackupTestSupport.h"
#include "CCleanSweep.h"
#include "RegExport.h"
#include "RegTreeFixture.h"
#include <map>
#include <vector>

using backuptest::BackupStream;
using backuptest::NarrowedKey;
using backuptest::PlantEveryType;
using backuptest::Snapshot;
using backuptest::Tree;
using testsupport::TempDir;
using testsupport::TestKey;

namespace {

int Count(const std::string& text, const std::string& part)
{
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        n++;
    return n;
}

}  // namespace

class CleanSweepRoundTrip : public ::testing::TestWithParam<int> {};

TEST_P(CleanSweepRoundTrip, SystemImporterRestoresEveryKeyAndValueExactly)
{
    TestKey key;
    PlantEveryType(key);
    key.Set("lone", "exp\"and\\ed", REG_EXPAND_SZ, "%TEMP%\\a", 9);
    key.SetString("lone", "", "lone default");
    key.SetString("lone", "stays", "here");
    const Tree before = Snapshot(key);
    ASSERT_EQ(before.size(), 25u);

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
    EXPECT_EQ(text.find("Error"), std::string::npos);

    EXPECT_EQ(testsupport::RunProcess("regedit.exe /S \"" + backup.Path() + "\""), 0);
    const Tree after = Snapshot(key);
    ASSERT_EQ(after.size(), before.size()) << text;
    for (const auto& entry : before) {
        const auto found = after.find(entry.first);
        ASSERT_NE(found, after.end()) << "key " << entry.first;
        for (const auto& value : entry.second) {
            const auto restored = found->second.find(value.first);
            ASSERT_NE(restored, found->second.end()) << entry.first << " value " << value.first;
            EXPECT_EQ(restored->second.first, value.second.first) << "type of " << value.first;
            EXPECT_EQ(restored->second.second, value.second.second) << "data of " << value.first;
        }
        EXPECT_EQ(found->second.size(), entry.second.size()) << "values of " << entry.first;
    }
}

INSTANTIATE_TEST_SUITE_P(Headers, CleanSweepRoundTrip, ::testing::Values(105, 4));

TEST(CleanSweepDelete, KeyTreeIsWrittenOnceBeforeItGoes)
{
    TestKey key;
    key.SetString("t\\a", "v", "1");
    key.CreateKey("t\\b\\c");
    key.CreateKey("t\\d");
    BackupStream backup;
    CCleanSweep sweep;
    sweep.SetBackupFile(backup.Get());
    EXPECT_EQ(sweep.DeleteKeyTree(HKEY_CURRENT_USER, key.Sub("t").c_str(), TRUE), 1);
    EXPECT_FALSE(key.Exists("t"));
    EXPECT_EQ(sweep.GetDeletedKeys(), 5);
    const std::string text = backup.Text();
    const std::string top = "[HKEY_CURRENT_USER\\" + key.Sub("t");
    for (const char* sub : {"\\a]", "\\b]", "\\b\\c]", "\\d]"})
        EXPECT_EQ(Count(text, top + sub), 1) << sub;
    EXPECT_EQ(Count(text, top + "]"), 2);
}

TEST(CleanSweepDelete, SubkeysOnlyAndNoBackupStream)
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

TEST(CleanSweepDelete, NothingGoesWhenTheBackupIsIncomplete)
{
    TestKey key;
    key.SetString("t\\open", "v", "1");
    key.SetString("t\\closed", "w", "2");
    key.SetString("t", "own", "3");
    key.SetString("n", "bad\nname", "4");
    BackupStream backup;
    CCleanSweep sweep;
    sweep.SetBackupFile(backup.Get());
    {
        NarrowedKey narrowed(HKEY_CURRENT_USER, key.Sub("t\\closed"), KEY_SET_VALUE | DELETE);
        EXPECT_EQ(sweep.DeleteKeyTree(HKEY_CURRENT_USER, key.Sub("t").c_str(), TRUE), ERROR_CAN_NOT_COMPLETE);
    }
    EXPECT_EQ(sweep.DeleteKeyTree(HKEY_CURRENT_USER, key.Sub("n").c_str(), TRUE), ERROR_CAN_NOT_COMPLETE);
    EXPECT_EQ(sweep.DeleteKeyTree(HKEY_CURRENT_USER, key.Sub("missing").c_str(), TRUE), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(sweep.DeleteValue(HKEY_CURRENT_USER, key.Sub("n").c_str(), "bad\nname"));
    EXPECT_EQ(sweep.GetDeletedKeys(), 0);
    EXPECT_TRUE(key.ValueExists("t\\open", "v"));
    EXPECT_TRUE(key.ValueExists("t\\closed", "w"));
    EXPECT_TRUE(key.ValueExists("t", "own"));
    EXPECT_TRUE(key.ValueExists("n", "bad\nname"));
}

TEST(CleanSweepDelete, UnreadableValueOrKeyStaysAndNothingIsWritten)
{
    TestKey key;
    key.SetString("k", "v", "1");
    BackupStream backup;
    CCleanSweep sweep;
    sweep.SetBackupFile(backup.Get());
    EXPECT_FALSE(sweep.DeleteValue(HKEY_CURRENT_USER, key.Sub("missing").c_str(), "v"));
    EXPECT_FALSE(sweep.DeleteValue(HKEY_CURRENT_USER, key.Sub("k").c_str(), "absent"));
    {
        NarrowedKey narrowed(HKEY_CURRENT_USER, key.Sub("k"), KEY_SET_VALUE);
        EXPECT_FALSE(sweep.DeleteValue(HKEY_CURRENT_USER, key.Sub("k").c_str(), "v"));
    }
    EXPECT_TRUE(key.ValueExists("k", "v"));
    EXPECT_EQ(sweep.GetDeletedValues(), 0);
    EXPECT_EQ(backup.Text(), "");
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
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    CreateDirectoryA(dir.File("one").c_str(), nullptr);
    CreateDirectoryA(dir.File("two").c_str(), nullptr);
    const std::string first = dir.File("one\\App.lnk"), second = dir.File("two\\App.lnk");
    testsupport::WriteFileBytes(first, "first");
    testsupport::WriteFileBytes(second, "second");

    CCleanSweep sweep;
    EXPECT_TRUE(sweep.RenameToBak(first.c_str(), folder.c_str()));
    EXPECT_TRUE(sweep.RenameToBak(second.c_str(), folder.c_str()));
    std::string log, moved;
    ASSERT_TRUE(testsupport::ReadFileBytes(folder + ".bak", log));
    EXPECT_EQ(log, first + "," + folder + "\\App.lnk\r\n" + second + "," + folder + "\\App (2).lnk\r\n");
    EXPECT_TRUE(testsupport::ReadFileBytes(folder + "\\App.lnk", moved) && moved == "first");
    EXPECT_TRUE(testsupport::ReadFileBytes(folder + "\\App (2).lnk", moved) && moved == "second");
    EXPECT_EQ(GetFileAttributesA(first.c_str()), INVALID_FILE_ATTRIBUTES);

    // A comma in the path, or a file that cannot be moved: left alone, no log line.
    CreateDirectoryA(dir.File("a,b").c_str(), nullptr);
    const std::string comma = dir.File("a,b\\C.lnk");
    testsupport::WriteFileBytes(comma, "c");
    EXPECT_FALSE(sweep.RenameToBak(comma.c_str(), folder.c_str()));
    EXPECT_FALSE(sweep.RenameToBak(dir.File("one\\missing.lnk").c_str(), folder.c_str()));
    EXPECT_FALSE(sweep.RenameToBak(second.c_str(), dir.File("nofolder").c_str()));
    EXPECT_NE(GetFileAttributesA(comma.c_str()), INVALID_FILE_ATTRIBUTES);
    std::string logAfter;
    testsupport::ReadFileBytes(folder + ".bak", logAfter);
    EXPECT_EQ(logAfter, log);
    EXPECT_EQ(GetFileAttributesA(dir.File("nofolder.bak").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(CleanSweepShred, OverwritesWholeBlocksThenDeletes)
{
    TempDir dir;
    std::string content(2500, 'x');
    const std::string path = dir.File("big.dat"), link = dir.File("big.link");
    testsupport::WriteFileBytes(path, content);
    // A second name for the same data shows what the shredder wrote.
    ASSERT_TRUE(CreateHardLinkA(link.c_str(), path.c_str(), nullptr));
    CCleanSweep sweep;
    EXPECT_TRUE(sweep.ShredFile(path.c_str(), 1));
    EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
    std::string after;
    ASSERT_TRUE(testsupport::ReadFileBytes(link, after));
    ASSERT_EQ(after.size(), 2500u);
    EXPECT_EQ(after.substr(0, 2048), std::string(2048, after[0]));
    EXPECT_EQ(after.substr(2048), std::string(452, 'x'));

    const std::string small = dir.File("small.dat");
    testsupport::WriteFileBytes(small, std::string(1000, 'y'));
    EXPECT_TRUE(sweep.ShredFile(small.c_str(), 3));
    EXPECT_EQ(GetFileAttributesA(small.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(sweep.GetShreddedFiles(), 2);
    EXPECT_EQ(sweep.GetShreddedBytes(), 3500u);
}

TEST(CleanSweepShred, FileHeldOpenIsLeftAlone)
{
    TempDir dir;
    const std::string path = dir.File("held.dat");
    testsupport::WriteFileBytes(path, std::string(3000, 'z'));
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    CCleanSweep sweep;
    EXPECT_FALSE(sweep.ShredFile(path.c_str(), 2));
    CloseHandle(held);
    std::string after;
    EXPECT_TRUE(testsupport::ReadFileBytes(path, after));
    EXPECT_EQ(after, std::string(3000, 'z'));
    EXPECT_EQ(sweep.GetShreddedFiles(), 0);
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
    ASSERT_FALSE(folder.IsEmpty());
    EXPECT_EQ(folder.Right(1).str(), "\\");
    EXPECT_EQ(whole.Left(folder.GetLength()).str(), folder.str());
    EXPECT_EQ(CString(whole).MakeLower().Right(16).str(), "engine_tests.exe");

    ASSERT_GE(sweep.GetDriveCount(), 1);
    EXPECT_EQ(sweep.GetDriveRoot(0).Right(2).str(), ":\\");
    EXPECT_EQ(sweep.GetDriveRoot(sweep.GetDriveCount()).str(), "");
}
