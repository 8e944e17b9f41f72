#include <gtest/gtest.h>
#include "EngineTestSupport.h"
#include "CBackupFolder.h"
#include "CCleanSweep.h"
#include "CRegFileReader.h"
#include "RegExport.h"
#include <algorithm>

using enginetest::BackupStream;
using testsupport::FileBytes;
using testsupport::TempDir;
using testsupport::TestKey;

namespace {

// The keys and values a reader took from a file, as a snapshot of a test key.
enginetest::Tree ReaderTree(const CRegFileReader& reader, const TestKey& key)
{
    const size_t top = ("HKEY_CURRENT_USER\\" + key.SubKey()).size();
    enginetest::Tree tree;
    for (const CRegFileReader::Key& entry : reader.GetKeys()) {
        const std::string rel = entry.fullName.str().substr(top) + "|";
        tree[rel] = {0, ""};
        for (const CRegFileReader::Value& value : entry.values)
            tree[rel + value.name.str()] = {value.type, std::string(value.data.begin(), value.data.end())};
    }
    return tree;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A backup as the fix leaves it: "<dir>\<name>.reg", and the rename log and
// folder of the shortcuts it moved.
struct PlantedBackup {
    PlantedBackup(const TempDir& dir, const std::string& name)
        : base(dir.File(name)), regFile(fopen((base + ".reg").c_str(), "w+"))
    {
        WriteRegBackupHeader(regFile, 104);
        sweep.SetBackupFile(regFile);
        CreateDirectoryA(base.c_str(), nullptr);
    }
    ~PlantedBackup() { if (regFile) fclose(regFile); }
    std::string base;
    FILE* regFile;
    CCleanSweep sweep;
};

}  // namespace

class RegFileRoundTrip : public ::testing::TestWithParam<int> {};

TEST_P(RegFileRoundTrip, ReaderGivesBackWhatTheExporterWrote)
{
    TestKey key;
    enginetest::PlantEveryType(key);
    key.Set("lone", "exp\"and\\ed", REG_EXPAND_SZ, "%TEMP%\\a", 9);
    BackupStream backup;
    CCleanSweep sweep;
    ASSERT_TRUE(WriteRegBackupHeader(backup.Get(), GetParam()));
    // A value named twice: the importer writes both, so the last one stands.
    fprintf(backup.Get(), "[HKEY_CURRENT_USER\\%s]\n\"exp\\\"and\\\\ed\"=\"stale\"\n", key.Sub("lone").c_str());
    ASSERT_TRUE(ExportRegKey(HKEY_CURRENT_USER, key.SubKey().c_str(), backup.Get()));
    ASSERT_TRUE(sweep.ExportValue(HKEY_CURRENT_USER, key.Sub("lone").c_str(), "exp\"and\\ed", backup.Get()));
    fputs("\n;Error\n", backup.Get());
    backup.Close();

    CRegFileReader reader;
    ASSERT_TRUE(reader.ReadFile(backup.Path().c_str())) << reader.GetError();
    EXPECT_EQ(ReaderTree(reader, key), enginetest::Snapshot(key));
    CString difference;
    EXPECT_TRUE(reader.MatchesRegistry(difference)) << difference;
    // The same bytes under another type are no restore.
    DWORD type = 0;
    std::string bytes;
    ASSERT_TRUE(key.Get("tree", "path", type, bytes));
    ASSERT_EQ(type, static_cast<DWORD>(REG_SZ));
    key.Set("tree", "path", REG_EXPAND_SZ, bytes.data(), static_cast<DWORD>(bytes.size()));
    EXPECT_FALSE(reader.MatchesRegistry(difference));
    EXPECT_NE(difference.Find("\"path\" of"), -1) << difference;
    key.Set("tree", "path", REG_SZ, bytes.data(), static_cast<DWORD>(bytes.size()));
    EXPECT_TRUE(reader.MatchesRegistry(difference)) << difference;
    // A lost key and a changed byte are each found.
    ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, key.Sub("tree\\empty").c_str()), ERROR_SUCCESS);
    EXPECT_FALSE(reader.MatchesRegistry(difference));
    EXPECT_NE(difference.Find("\\empty is missing"), -1) << difference;
    key.Set("tree", "bin44", REG_BINARY, "x", 1);
    EXPECT_FALSE(reader.MatchesRegistry(difference));
    EXPECT_NE(difference.Find("\"bin44\""), -1) << difference;
}

INSTANTIATE_TEST_SUITE_P(Headers, RegFileRoundTrip, ::testing::Values(105, 4));

TEST(RegFileReader, MalformedFilesAreRefusedWholeAndNothingIsImported)
{
    TestKey key;
    TempDir dir;
    const std::string keyLine = "[HKEY_CURRENT_USER\\" + key.Sub("made") + "]";
    const std::vector<std::string> good = {"Windows Registry Editor Version 5.00", keyLine, "\"a\"=\"x\"",
                                           "\"b\"=hex:01,02,\\", "  03,"};
    struct Case {
        size_t line;  // 0-based line replaced (past the end: appended)
        const char* text;
        int reported;
        const char* what;
    } cases[] = {
        {0, "REGEDIT5", 1, "header"},
        {0, "", 1, "empty"},
        {1, "[HKEY_NOWHERE\\x]", 2, "root"},
        {1, "[HKEY_CURRENT_USER\\x", 2, "]"},
        {1, "[HKEY_CURRENT_USER\\a\\\\b]", 2, "empty key name"},
        {1, "[-HKEY_CURRENT_USER\\x]", 2, "deletions"},
        {1, "", 3, "before the first key"},
        {2, "\"a\"=\"x", 3, "closing quote"},
        {2, "\"a\"=\"x\\q\"", 3, "backslash"},
        {2, "\"a\"=\"x\" tail", 3, "follows the closing quote"},
        {2, "\"a\"=-", 3, "deletions"},
        {2, "\"a\"=dword:123", 3, "eight"},
        {2, "\"a\"=dword:000000123", 3, "eight"},
        {2, "\"a\"=hex:1,02", 3, "two hexadecimal digits"},
        {2, "\"a\"=hex:01 02", 3, "commas"},
        {2, "\"a\"=hex(zz):00", 3, "type number"},
        {2, "\"a\"=str:x", 3, "unknown value data"},
        {2, "\"a\"", 3, "followed by ="},
        {2, "a=1", 3, "key, a value, a comment"},
        {2, "\"a\"=\"x\ty\"", 3, "control character"},
        {4, "", 5, "no bytes"},
        {5, "\"c\"=hex:00,\\", 6, "ends inside"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines = good;
        if (c.line < lines.size())
            lines[c.line] = c.text;
        else
            lines.push_back(c.text);
        std::string text;
        for (const std::string& line : lines)
            text += line + "\r\n";
        if (c.line == 0 && *c.text == '\0')
            text.clear();
        const std::string path = dir.File("bad.reg");
        ASSERT_TRUE(testsupport::WriteFileBytes(path, text));

        CRegFileReader reader;
        EXPECT_FALSE(reader.Parse(text.data(), text.size())) << c.text;
        EXPECT_TRUE(reader.GetKeys().empty()) << c.text;
        const std::string error = reader.GetError().str();
        EXPECT_EQ(error.rfind("line " + std::to_string(c.reported) + ": ", 0), 0u) << c.text << " -> " << error;
        EXPECT_NE(error.find(c.what), std::string::npos) << c.text << " -> " << error;

        CString failure;
        EXPECT_FALSE(CBackupFolder(dir.Path().c_str()).ImportRegFile(path.c_str(), failure)) << c.text;
        EXPECT_NE(failure.Find(error.c_str()), -1) << failure;
        EXPECT_TRUE(Exists(path)) << c.text;
        EXPECT_FALSE(key.Exists("made")) << c.text;
    }
}

// (A good backup restored whole, shortcuts and all, with its files gone after:
// the backups page's window check; every value type through the editor:
// CleanSweepRoundTrip.)
TEST(BackupRestore, ADamagedOrUnimportedBackupIsKeptAndNamed)
{
    TestKey key;
    TempDir backups, shortcuts;
    key.SetString("locked", "v", "1");
    key.SetString("open", "w", "2");
    const std::string shortcut = shortcuts.File("s.lnk");
    ASSERT_TRUE(testsupport::WriteFileBytes(shortcut, "lnk"));
    {
        PlantedBackup damaged(backups, "damaged");
        ASSERT_TRUE(damaged.sweep.DeleteValue(HKEY_CURRENT_USER, key.Sub("open").c_str(), "w"));
        ASSERT_TRUE(damaged.sweep.RenameToBak(shortcut.c_str(), damaged.base.c_str()));
        fputs("\"broken\"=hex:0\n", damaged.regFile);
        PlantedBackup refused(backups, "refused");
        ASSERT_TRUE(refused.sweep.DeleteValue(HKEY_CURRENT_USER, key.Sub("locked").c_str(), "v"));
        PlantedBackup both(backups, "both");
        fputs("\"broken\"=hex:0\n", both.regFile);
        ASSERT_TRUE(testsupport::WriteFileBytes(both.base + ".bak", "no shortcut\r\n"));
    }
    CBackupFolder folder(backups.Path().c_str());
    CString failure;
    // Damaged: the editor never runs, the shortcut still comes back.
    EXPECT_FALSE(folder.Restore("damaged", failure));
    EXPECT_EQ(failure.Find("damaged: the registry backup is damaged"), 0) << failure;
    EXPECT_NE(failure.Find("line 5:"), -1) << failure;
    EXPECT_FALSE(key.ValueExists("open", "w"));
    EXPECT_EQ(FileBytes(shortcut), "lnk");
    EXPECT_TRUE(Exists(backups.File("damaged.reg")));
    // Both parts failed: each reason, the registry's first.
    EXPECT_FALSE(folder.Restore("both", failure));
    EXPECT_EQ(failure.Find("both: the registry backup is damaged"), 0) << failure;
    EXPECT_NE(failure.Find("; 1 of 1 shortcuts were not restored (the line \"no shortcut\""), -1) << failure;
    // Imported but not there: the key refuses the editor's writes.
    {
        enginetest::NarrowedKey narrowed(HKEY_CURRENT_USER, key.Sub("locked"), KEY_READ);
        EXPECT_FALSE(folder.Restore("refused", failure));
    }
    EXPECT_NE(failure.Find("refused: the registry was not restored (the value \"v\""), -1) << failure;
    EXPECT_TRUE(Exists(backups.File("refused.reg")));
    EXPECT_EQ(folder.List().size(), 3u);
    EXPECT_FALSE(folder.Restore("gone", failure));

    // The row ".." (of a file "...bak") would make the folder's parent the
    // rename folder, and move files out of the program's own folder.
    TempDir program;
    const std::string inner = program.File("Backup"), taken = program.File("taken.lnk");
    ASSERT_TRUE(CreateDirectoryA(inner.c_str(), nullptr));
    ASSERT_TRUE(testsupport::WriteFileBytes(program.File("Keldrix.exe"), "exe"));
    ASSERT_TRUE(testsupport::WriteFileBytes(inner + "\\...bak", taken + "," + inner + "\\..\\Keldrix.exe\r\n"));
    EXPECT_FALSE(CBackupFolder(inner.c_str()).Restore("..", failure));
    EXPECT_STREQ(failure, "\"..\" names no backup");
    EXPECT_EQ(FileBytes(program.File("Keldrix.exe")), "exe");
    EXPECT_FALSE(Exists(taken));
}

TEST(BackupRenameLog, LinesSplitAtTheCommaBeforeTheRenameFolder)
{
    const CString folder = "C:\\B\\K_1";
    struct Case {
        const char* line;
        const char* oldPath;  // nullptr: refused
        const char* newPath;
    } cases[] = {
        {"C:\\a,b\\x, y.lnk,C:\\B\\K_1\\x, y.lnk", "C:\\a,b\\x, y.lnk", "C:\\B\\K_1\\x, y.lnk"},
        {"C:\\B\\K_1\\y,C:\\B\\K_1\\z\\q.lnk,C:\\B\\K_1\\q.lnk", "C:\\B\\K_1\\y,C:\\B\\K_1\\z\\q.lnk", "C:\\B\\K_1\\q.lnk"},
        {"c:\\x.lnk,c:\\b\\k_1\\x.lnk", "c:\\x.lnk", "c:\\b\\k_1\\x.lnk"},
        {"C:\\x.lnk,D:\\other\\x.lnk", nullptr, nullptr},
        {"C:\\x.lnk,C:\\B\\K_1\\sub\\x.lnk", nullptr, nullptr},
        {",C:\\B\\K_1\\x.lnk", nullptr, nullptr},
        {"C:\\x.lnk,C:\\B\\K_1\\", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        CString oldPath, newPath;
        ASSERT_EQ(CBackupFolder::SplitRenameLine(c.line, folder, oldPath, newPath), c.oldPath != nullptr) << c.line;
        if (c.oldPath) {
            EXPECT_STREQ(oldPath, c.oldPath);
            EXPECT_STREQ(newPath, c.newPath);
        }
    }
}

TEST(BackupRenameLog, MovesBackOnlyOntoFreePathsAndKeepsTheLogUntilAllAreBack)
{
    TempDir backups, place;
    const std::string folder = backups.File("Bak"), log = folder + ".bak";
    const std::string a = place.File("a, with comma.lnk"), b = place.File("b.lnk"), c = place.File("c.lnk");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_TRUE(testsupport::WriteFileBytes(folder + "\\a, with comma.lnk", "A"));
    ASSERT_TRUE(testsupport::WriteFileBytes(folder + "\\b.lnk", "B"));
    ASSERT_TRUE(testsupport::WriteFileBytes(folder + "\\c.lnk", "C"));
    ASSERT_TRUE(testsupport::WriteFileBytes(log, a + "," + folder + "\\a, with comma.lnk\r\n" + b + "," + folder
                                                     + "\\b.lnk\r\n" + c + "," + folder + "\\c.lnk\r\n"));
    ASSERT_TRUE(testsupport::WriteFileBytes(b, "someone else's"));
    ASSERT_TRUE(testsupport::WriteFileBytes(c, "someone else's"));
    // A backup of shortcuts alone: no registry editor, only the moves.
    const CBackupFolder backup(backups.Path().c_str());
    CString failure;
    EXPECT_FALSE(backup.Restore("Bak", failure));
    // The message names the first that failed, and why.
    EXPECT_STREQ(failure, ("Bak: 2 of 3 shortcuts were not restored (" + b + " is taken by another file)").c_str());
    EXPECT_EQ(FileBytes(a), "A");
    EXPECT_EQ(FileBytes(b), "someone else's");
    EXPECT_TRUE(Exists(log));
    // Once the places are free the rest comes back, and the log and folder go.
    ASSERT_TRUE(DeleteFileA(b.c_str()) && DeleteFileA(c.c_str()));
    EXPECT_TRUE(backup.Restore("Bak", failure)) << failure;
    EXPECT_EQ(FileBytes(b), "B");
    EXPECT_EQ(FileBytes(c), "C");
    EXPECT_FALSE(Exists(log));
    EXPECT_FALSE(Exists(folder));
}

TEST(BackupList, OneRowPerBaseNameAndRemoveTakesOnlyItsOwn)
{
    TempDir backups;
    ASSERT_TRUE(CreateDirectoryA(backups.File("One").c_str(), nullptr) && CreateDirectoryA(backups.File("Two").c_str(), nullptr));
    for (const char* name : {"One.reg", "one.BAK", "Two.reg", "...reg", "One\\kept.lnk", "Two\\moved.lnk"})
        ASSERT_TRUE(testsupport::WriteFileBytes(backups.File(name), name));
    ASSERT_TRUE(testsupport::WriteFileBytes(backups.File("empty.reg"), ""));
    CBackupFolder folder((backups.Path() + "\\").c_str());

    std::vector<std::string> names;
    for (const BackupListItemData& row : folder.List()) {
        CString lower = row.name;
        names.push_back(lower.MakeLower().str());
        EXPECT_EQ(row.sortKey.GetLength(), 14);
        EXPECT_NE(row.dateText.Find(", 20"), -1) << row.dateText;
    }
    // Unsorted, the list shows the last found on top: the folder's own order, reversed.
    std::vector<std::string> found;
    WIN32_FIND_DATAA entry;
    const HANDLE search = FindFirstFileA(backups.File("*.*").c_str(), &entry);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do {
        std::string name = entry.cFileName;
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && entry.nFileSizeLow > 0) {
            CString lower = name.substr(0, name.rfind('.')).c_str();
            name = lower.MakeLower().str();
            if (std::find(found.begin(), found.end(), name) == found.end())
                found.insert(found.begin(), name);
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    EXPECT_EQ(names, found);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, std::vector<std::string>({"..", "one", "two"}));

    // Names that would reach the folder itself or its parent touch nothing.
    for (const char* name : {"", ".", "..", " . ", "x\\..\\.."})
        EXPECT_FALSE(folder.Remove(name)) << name;
    for (const std::string& path : {std::string(), backups.Path(), backups.Path() + "\\", backups.File("One\\.."),
                                    backups.File(".."), std::string("C:\\windows")})
        EXPECT_FALSE(folder.DeleteBackupFolder(path.c_str())) << path;
    EXPECT_TRUE(folder.Remove("two"));
    EXPECT_FALSE(Exists(backups.File("Two.reg")));
    EXPECT_FALSE(Exists(backups.File("Two")));
    EXPECT_TRUE(Exists(backups.File("One\\kept.lnk")));
    EXPECT_TRUE(Exists(backups.File("One.reg")) && Exists(backups.File("one.BAK")));
    EXPECT_EQ(folder.List().size(), 2u);

    const BackupListItemData a{"a", "20260101000000", ""}, b{"B", "20250101000000", ""};
    EXPECT_EQ(std::vector<int>({CBackupFolder::Compare(a, b, 0), CBackupFolder::Compare(b, a, 1), CBackupFolder::Compare(a, b, 2)}),
              std::vector<int>({1, -1, 0}));
}
