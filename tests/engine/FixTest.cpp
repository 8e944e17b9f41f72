#include <gtest/gtest.h>
#include "BackupTestSupport.h"
#include "LogFile.h"
#include "RegistrySettings.h"
#include "ScanTestSupport.h"
#include "ScannerTestSupport.h"
#include <algorithm>
#include <ctime>
#include <set>

using backuptest::NarrowedKey;
using scantest::ClassesKeys;
using scantest::RecordingWindow;
using scantest::SavedSettings;
using testsupport::TempDir;
using testsupport::TestKey;

namespace {

const BYTE kAll[REGPROBLEM_TYPE_COUNT] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};

// An engine whose messages to the user are recorded instead of shown.
class FixScanner : public CRegScanner {
public:
    FixScanner(LogFile* log, CRegistryProblemArray& problems, CStringArray* texts, CIgnoreTypeArray* types)
        : CRegScanner(log, &problems, texts, types, nullptr, nullptr, nullptr)
    {
    }
    using CRegScanner::CreateRestorePoint;
    std::vector<std::string> messages;

protected:
    void ShowFixMessage(LPCSTR pszText) override { messages.push_back(pszText); }
};

// One fix with its own backup and log folders, under the shared-state lock
// and with "systemrestore" 0; the settings are put back afterwards.
struct FixRun {
    testsupport::SharedStateLock lock;
    SavedSettings settings{{SETTING_SYSTEMRESTORE, SETTING_REPAIRAFTERFIND, SETTING_LASTSCAN, SETTING_LASTFOUNDERRORS}};
    TempDir backupDir;
    TempDir logDir;
    LogFile log{LogSettings()};
    CRegistryProblemArray problems;
    CStringArray ignoreTexts;
    CIgnoreTypeArray ignoreTypes;
    FixScanner engine{&log, problems, &ignoreTexts, &ignoreTypes};
    RecordingWindow window;

    FixRun()
    {
        SetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_SYSTEMRESTORE, 0);
        log.SetLogFolder(CString(logDir.Path().c_str()) + "\\");
        engine.SetBackupFolder(CString(backupDir.Path().c_str()) + "\\");
        window.Watch(&engine);
    }

    CRegistryProblem* Add(const std::string& key, const std::string& name, const std::string& value, int category)
    {
        CRegistryProblem* problem = new CRegistryProblem(key.c_str(), name.c_str(), value.c_str(), category);
        problems.Add(problem);
        return problem;
    }
    bool Fix(const BYTE enabled[REGPROBLEM_TYPE_COUNT] = kAll)
    {
        engine.SetCategories(enabled);
        return engine.StartFix(window.Get()) && RecordingWindow::PumpUntilEnded(engine.GetWorker()->m_hThread);
    }
    // The progress messages, a run of one category's counted once: the first
    // problem of each category is announced, the rest only now and then.
    std::vector<std::pair<WPARAM, LPARAM>> Progress() const
    {
        std::vector<std::pair<WPARAM, LPARAM>> out;
        for (const scantest::Event& e : window.events)
            if (e.message == WM_FIX_PROGRESS && (out.empty() || out.back().second != e.lParam))
                out.emplace_back(e.wParam, e.lParam);
        return out;
    }
    std::string LogText()
    {
        CString xml;
        log.WriteXml(xml);
        return std::string(xml);
    }
    // The log's FoundItem line of a key and value name, or "" when there is none.
    std::string FoundItem(const std::string& key, const std::string& valueName)
    {
        const std::string text = LogText();
        const std::string head = "<FoundItem key=\"" + key + "\" value=\"";
        const std::string name = "\" valuename=\"" + valueName + "\"";
        for (size_t at = text.find(head); at != std::string::npos; at = text.find(head, at + 1)) {
            const std::string line = text.substr(at, text.find('\n', at) - at);
            if (line.find(name) != std::string::npos)
                return line;
        }
        return std::string();
    }
    static std::string Flags(const std::string& line)
    {
        const size_t at = line.find("checkedforcleaning=");
        return at == std::string::npos ? line : line.substr(at);
    }
};

std::set<std::string> FilesIn(const std::string& folder)
{
    std::set<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (strcmp(data.cFileName, ".") != 0 && strcmp(data.cFileName, "..") != 0)
            names.insert(data.cFileName);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return names;
}

std::string ReadText(const CString& path)
{
    std::string text;
    testsupport::ReadFileBytes(std::string(path), text);
    return text;
}

bool Exists(const CString& path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

std::string BaseName(const CString& path)
{
    std::string text(path);
    text = text.substr(text.rfind('\\') + 1);
    return text.substr(0, text.rfind('.'));
}

int CountOf(const std::string& text, const std::string& part)
{
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        count++;
    return count;
}

const char kYes[] = "checkedforcleaning=\"yes\" cleaned=\"yes\"/>";
const char kNotCleaned[] = "checkedforcleaning=\"yes\" cleaned=\"no\"/>";
const char kNotChecked[] = "checkedforcleaning=\"no\" cleaned=\"no\"/>";

}  // namespace

// One problem of every category, planted in keys and folders of the test's
// own: each rule removes exactly its key tree, value or file after writing it
// to the backup, counts it, announces it and logs it as cleaned.
TEST(FixRules, EveryCategoryRemovesItsEntryAfterBackingItUp)
{
    FixRun run;
    TestKey machine(HKEY_LOCAL_MACHINE);
    TestKey user(HKEY_CURRENT_USER);
    ClassesKeys classes;
    TempDir files;
    const std::string hklm = "HKEY_LOCAL_MACHINE\\" + machine.SubKey();
    const std::string hkcu = "HKEY_CURRENT_USER\\" + user.SubKey();
    const std::string hku = "HKEY_USERS\\" + scannertest::UserHiveName() + "\\" + user.SubKey();
    const std::string classRoot = testsupport::UniqueName("KdxFix");

    classes.Set(classRoot + "\\CLSID\\Gone\\Deeper", "v", "1", REG_SZ, classRoot);
    classes.Set(classRoot + "\\Keep", "v", "1", REG_SZ, classRoot);
    classes.Set(classRoot + "\\.ext", nullptr, "extfile", REG_SZ, classRoot);
    machine.SetString("Uninstall\\Product\\Sub", "UninstallString", "C:\\gone.exe");
    machine.SetString("Uninstall\\Other", "UninstallString", "C:\\windows\\notepad.exe");
    machine.SetString("Fonts", "Gone (TrueType)", "gone.ttf");
    machine.SetString("Fonts", "Kept (TrueType)", "kept.ttf");
    machine.SetDword("Shared", "C:\\gone.dll", 1);
    machine.SetString("AppPaths\\app.exe", "", "C:\\gone\\app.exe");
    machine.SetString("Help", "gone.hlp", "C:\\gone");
    machine.SetString("Run", "Tool", "C:\\gone\\tool.exe");
    machine.SetString("Paths", "File", "C:\\gone\\file.txt");
    user.SetString("MenuOrder\\Start Menu\\Programs\\Games", "Order", "x");
    user.SetString("MenuOrder\\Start Menu\\Programs\\Tools", "Order", "y");
    user.SetString("Run", "Tool", "C:\\gone\\tool.exe");
    user.SetString("Paths", "File", "C:\\gone\\file.txt");
    user.CreateKey("Holder\\Empty");
    user.SetString("Holder", "keep", "1");
    const std::string shortcut = files.File("Broken.lnk");
    ASSERT_TRUE(testsupport::WriteFileBytes(shortcut, "link"));

    run.Add("HKEY_CLASSES_ROOT\\" + classRoot + "\\CLSID\\Gone", "(Default)", "C:\\gone.dll", 0);
    run.Add(hklm + "\\Uninstall", "Product", "C:\\gone.exe", 1);
    run.Add(hklm + "\\Fonts", "Gone (TrueType)", "gone.ttf", 2);
    run.Add(hklm + "\\Shared", "C:\\gone.dll", "", 3);
    run.Add(hklm + "\\AppPaths", "app.exe", "C:\\gone\\app.exe", 4);
    run.Add(hklm + "\\Help", "gone.hlp", "C:\\gone", 5);
    run.Add(hkcu + "\\MenuOrder\\Start Menu\\Programs", "Games", "C:\\Programs\\Games", 6);
    run.Add(hkcu + "\\Run", "Tool", "C:\\gone\\tool.exe", 6);
    run.Add(hklm + "\\Run", "Tool", "C:\\gone\\tool.exe", 6);
    run.Add(hklm + "\\Paths", "File", "C:\\gone\\file.txt", 7);
    run.Add(hku + "\\Paths", "File", "C:\\gone\\file.txt", 7);
    run.Add(shortcut, "C:\\gone.exe", "C:\\gone.exe", 8);
    run.Add(hku + "\\Holder\\Empty", "(Default)", "", 9);
    run.Add("HKEY_CLASSES_ROOT\\" + classRoot + "\\.ext", "(Default)", "extfile", 10);

    ASSERT_TRUE(run.Fix());

    // Removed, and nothing beside them.
    HKEY probe = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_CLASSES_ROOT, (classRoot + "\\CLSID\\Gone").c_str(), 0, KEY_READ, &probe),
              ERROR_SUCCESS);
    EXPECT_NE(RegOpenKeyExA(HKEY_CLASSES_ROOT, (classRoot + "\\.ext").c_str(), 0, KEY_READ, &probe), ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, (classRoot + "\\Keep").c_str(), 0, KEY_READ, &probe), ERROR_SUCCESS);
    RegCloseKey(probe);
    EXPECT_FALSE(machine.Exists("Uninstall\\Product"));
    EXPECT_TRUE(machine.Exists("Uninstall\\Other"));
    EXPECT_FALSE(machine.ValueExists("Fonts", "Gone (TrueType)"));
    EXPECT_TRUE(machine.ValueExists("Fonts", "Kept (TrueType)"));
    EXPECT_FALSE(machine.ValueExists("Shared", "C:\\gone.dll"));
    EXPECT_FALSE(machine.Exists("AppPaths\\app.exe"));
    EXPECT_TRUE(machine.Exists("AppPaths"));
    EXPECT_FALSE(machine.ValueExists("Help", "gone.hlp"));
    EXPECT_FALSE(machine.ValueExists("Run", "Tool"));
    EXPECT_FALSE(machine.ValueExists("Paths", "File"));
    EXPECT_FALSE(user.Exists("MenuOrder\\Start Menu\\Programs\\Games"));
    EXPECT_TRUE(user.Exists("MenuOrder\\Start Menu\\Programs\\Tools"));
    EXPECT_FALSE(user.ValueExists("Run", "Tool"));
    EXPECT_FALSE(user.ValueExists("Paths", "File"));
    EXPECT_FALSE(user.Exists("Holder\\Empty"));
    EXPECT_TRUE(user.ValueExists("Holder", "keep"));
    EXPECT_FALSE(Exists(shortcut.c_str()));

    // Counted per category; each category announced in array order with its code.
    const int expectedFixed[REGPROBLEM_TYPE_COUNT] = {1, 1, 1, 1, 1, 1, 3, 2, 1, 1, 1};
    for (int category = 0; category < REGPROBLEM_TYPE_COUNT; category++)
        EXPECT_EQ(run.engine.GetFixedCount(category), expectedFixed[category]) << "category " << category;
    EXPECT_EQ(run.engine.GetTotalFixed(), 14);
    const int order[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    std::vector<std::pair<WPARAM, LPARAM>> expectedProgress;
    for (int category : order)
        expectedProgress.emplace_back(g_fixProgressCodes[category], category);
    EXPECT_EQ(run.Progress(), expectedProgress);
    ASSERT_FALSE(run.window.events.empty());
    EXPECT_EQ(run.window.events.back().message, static_cast<UINT>(WM_FIX_DONE));
    EXPECT_EQ(run.window.Count(WM_FIX_DONE), 1);
    EXPECT_EQ(run.problems.GetSize(), 0);
    EXPECT_TRUE(run.engine.messages.empty());

    // The backup holds every removed key and value; the rename log the move.
    const std::string backup = ReadText(run.engine.GetBackupPath());
    EXPECT_EQ(backup.rfind("Windows Registry Editor Version 5.00\r\n", 0), 0u);
    for (const std::string& line : std::vector<std::string>{
             "[HKEY_CLASSES_ROOT\\" + classRoot + "\\CLSID\\Gone\\Deeper]", "[" + hklm + "\\Uninstall\\Product\\Sub]",
          "\"Gone (TrueType)\" = \"gone.ttf\"", "\"C:\\\\gone.dll\" = dword:00000001",
          "[" + hklm + "\\AppPaths\\app.exe]", "\"gone.hlp\" = \"C:\\\\gone\"",
          "[" + hkcu + "\\MenuOrder\\Start Menu\\Programs\\Games]", "[" + hku + "\\Paths]",
          "[" + hku + "\\Holder\\Empty]", "[HKEY_CLASSES_ROOT\\" + classRoot + "\\.ext]"})
        EXPECT_NE(backup.find(line), std::string::npos) << line;
    const std::string moved = std::string(run.engine.GetRenameFolder()) + "\\Broken.lnk";
    EXPECT_EQ(ReadText(run.engine.GetRenameLogPath()), shortcut + "," + moved + "\r\n");
    EXPECT_TRUE(Exists(moved.c_str()));
    DeleteFileA(moved.c_str());

    // Every problem is in the log, cleaned.
    EXPECT_EQ(CountOf(run.LogText(), kYes), 14);
    EXPECT_EQ(FixRun::Flags(run.FoundItem(shortcut, "C:\\gone.exe")), kYes);
    EXPECT_EQ(FixRun::Flags(run.FoundItem(hku + "\\Holder\\Empty", "(Default)")), kYes);
}

// A key under another root than the category's, a rule's subkey name that is
// empty or a path, and keys that name a root itself: nothing is removed, and
// the problems are neither counted nor logged as cleaned.
TEST(FixRules, KeysOutsideTheRootOrNamingAContainerAreLeftAlone)
{
    FixRun run;
    TestKey machine(HKEY_LOCAL_MACHINE);
    const std::string hklm = "HKEY_LOCAL_MACHINE\\" + machine.SubKey();
    machine.SetString("Uninstall\\Product", "v", "1");
    machine.SetString("Run", "Tool", "C:\\gone.exe");

    run.Add(hklm + "\\Uninstall\\Product", "(Default)", "", 0);  // class rule, machine key
    run.Add(hklm + "\\Uninstall", "", "", 1);                    // would name Uninstall itself
    run.Add(hklm, "Uninstall\\Product", "", 4);                 // a path, not a subkey name
    run.Add("HKEY_CLASSES_ROOT" + hklm.substr(18) + "\\Run", "Tool", "", 6);
    run.Add("HKEY_LOCAL_MACHINEX\\" + machine.SubKey() + "\\Run", "Tool", "", 7);
    run.Add("HKEY_USERS\\", "(Default)", "", 9);
    run.Add("HKEY_CLASSES_ROOT", "(Default)", "", 10);

    ASSERT_TRUE(run.Fix());

    EXPECT_TRUE(machine.Exists("Uninstall\\Product"));
    EXPECT_TRUE(machine.ValueExists("Run", "Tool"));
    EXPECT_EQ(run.engine.GetTotalFixed(), 0);
    EXPECT_EQ(run.Progress().size(), 7u);
    EXPECT_EQ(CountOf(run.LogText(), kNotCleaned), 7);
    // Nothing was written to the backup, so it is gone again.
    EXPECT_TRUE(FilesIn(run.backupDir.Path()).empty());
}

// A key that cannot be removed is reported as not cleaned; the fix goes on
// with the rest, and the backup of what it did remove stays.
TEST(FixCounting, AFailedRepairIsNotCountedAndTheRestGoOn)
{
    FixRun run;
    TestKey machine(HKEY_LOCAL_MACHINE);
    const std::string hklm = "HKEY_LOCAL_MACHINE\\" + machine.SubKey();
    for (const char* product : {"First", "Locked", "Last"})
        machine.SetString(std::string("Uninstall\\") + product, "UninstallString", "C:\\gone.exe");
    machine.SetDword("Shared", "C:\\gone.dll", 1);
    for (const char* product : {"First", "Locked", "Last"})
        run.Add(hklm + "\\Uninstall", product, "C:\\gone.exe", 1);
    run.Add(hklm + "\\Shared", "C:\\gone.dll", "", 3);
    {
        NarrowedKey lockedKey(HKEY_LOCAL_MACHINE, machine.Sub("Uninstall\\Locked"), KEY_SET_VALUE | DELETE);
        NarrowedKey lockedValue(HKEY_LOCAL_MACHINE, machine.Sub("Shared"), KEY_SET_VALUE);
        ASSERT_TRUE(run.Fix());
    }

    EXPECT_FALSE(machine.Exists("Uninstall\\First"));
    EXPECT_TRUE(machine.ValueExists("Uninstall\\Locked", "UninstallString"));
    EXPECT_FALSE(machine.Exists("Uninstall\\Last"));
    EXPECT_TRUE(machine.ValueExists("Shared", "C:\\gone.dll"));
    EXPECT_EQ(run.engine.GetFixedCount(1), 2);
    EXPECT_EQ(run.engine.GetFixedCount(3), 0);
    EXPECT_EQ(run.engine.GetTotalFixed(), 2);
    EXPECT_EQ(run.Progress().size(), 2u);
    EXPECT_EQ(FixRun::Flags(run.FoundItem(hklm + "\\Uninstall", "First")), kYes);
    EXPECT_EQ(FixRun::Flags(run.FoundItem(hklm + "\\Uninstall", "Locked")), kNotCleaned);
    EXPECT_EQ(FixRun::Flags(run.FoundItem(hklm + "\\Uninstall", "Last")), kYes);
    EXPECT_EQ(FixRun::Flags(run.FoundItem(hklm + "\\Shared", "C:\\gone.dll")), kNotCleaned);
    const std::string backup = ReadText(run.engine.GetBackupPath());
    EXPECT_NE(backup.find("[" + hklm + "\\Uninstall\\First]"), std::string::npos);
    EXPECT_NE(backup.find("[" + hklm + "\\Uninstall\\Last]"), std::string::npos);
}

// A problem whose entry an earlier repair of the same fix took along is gone
// too: it counts, and its entry stands in the backup once.
TEST(FixCounting, AnEntryAlreadyGoneCounts)
{
    FixRun run;
    ClassesKeys classes;
    const std::string classRoot = testsupport::UniqueName("KdxFix");
    classes.Set(classRoot + "\\Class\\InprocServer32", nullptr, "C:\\gone.dll", REG_SZ, classRoot);
    run.Add("HKEY_CLASSES_ROOT\\" + classRoot + "\\Class", "AppID", "x", 0);
    run.Add("HKEY_CLASSES_ROOT\\" + classRoot + "\\Class\\InprocServer32", "(Default)", "C:\\gone.dll", 0);

    ASSERT_TRUE(run.Fix());

    EXPECT_EQ(run.engine.GetFixedCount(0), 2);
    EXPECT_EQ(CountOf(run.LogText(), kYes), 2);
    EXPECT_EQ(CountOf(ReadText(run.engine.GetBackupPath()), "\\Class\\InprocServer32]"), 1);
}

// Only checked problems of the categories enabled for the fix are repaired
// and announced; two of category 3 are announced with the code (23, 3).
TEST(FixSelection, OnlyCheckedProblemsOfEnabledCategoriesAreRepaired)
{
    FixRun run;
    TestKey machine(HKEY_LOCAL_MACHINE);
    const std::string hklm = "HKEY_LOCAL_MACHINE\\" + machine.SubKey();
    machine.SetDword("Shared", "C:\\a.dll", 1);
    machine.SetDword("Shared", "C:\\b.dll", 1);
    machine.SetString("Fonts", "Unchecked", "u.ttf");
    machine.SetString("Help", "off.hlp", "C:\\gone");
    run.Add(hklm + "\\Shared", "C:\\a.dll", "", 3);
    run.Add(hklm + "\\Fonts", "Unchecked", "u.ttf", 2)->m_checked = FALSE;
    run.Add(hklm + "\\Help", "off.hlp", "C:\\gone", 5);
    run.Add(hklm + "\\Shared", "C:\\b.dll", "", 3);
    BYTE enabled[REGPROBLEM_TYPE_COUNT] = {1, 1, 1, 1, 1, 0, 1, 1, 1, 1, 1};

    ASSERT_TRUE(run.Fix(enabled));

    EXPECT_FALSE(machine.ValueExists("Shared", "C:\\a.dll"));
    EXPECT_FALSE(machine.ValueExists("Shared", "C:\\b.dll"));
    EXPECT_TRUE(machine.ValueExists("Fonts", "Unchecked"));
    EXPECT_TRUE(machine.ValueExists("Help", "off.hlp"));
    EXPECT_EQ(run.engine.GetFixedCount(3), 2);
    EXPECT_EQ(run.engine.GetTotalFixed(), 2);
    const std::vector<std::pair<WPARAM, LPARAM>> progress{{23, 3}};
    EXPECT_EQ(run.Progress(), progress);
    EXPECT_EQ(FixRun::Flags(run.FoundItem(hklm + "\\Fonts", "Unchecked")), kNotChecked);
    EXPECT_EQ(FixRun::Flags(run.FoundItem(hklm + "\\Help", "off.hlp")), kNotCleaned);
    EXPECT_EQ(run.problems.GetSize(), 0);
}

// Which backup files stay: nothing selected leaves none, shortcuts only the
// rename log and its folder, registry problems only the .reg file. They
// share one name, made from one time stamp.
TEST(FixFiles, OnlyBackupFilesThatReceivedSomethingStay)
{
    TestKey machine(HKEY_LOCAL_MACHINE);
    const std::string hklm = "HKEY_LOCAL_MACHINE\\" + machine.SubKey();
    TempDir files;
    {
        FixRun run;
        machine.SetDword("Shared", "C:\\a.dll", 1);
        run.Add(hklm + "\\Shared", "C:\\a.dll", "", 3)->m_checked = FALSE;
        ASSERT_TRUE(run.Fix());
        EXPECT_TRUE(FilesIn(run.backupDir.Path()).empty());
        EXPECT_EQ(run.window.Count(WM_FIX_DONE), 1);
        // The log is written all the same, packed alone.
        const std::set<std::string> logs = FilesIn(run.logDir.Path());
        ASSERT_EQ(logs.size(), 1u);
        EXPECT_EQ(logs.begin()->rfind("Keldrix-", 0), 0u);
        EXPECT_EQ(logs.begin()->substr(logs.begin()->size() - 4), ".zip");
    }
    {
        FixRun run;
        const std::string shortcut = files.File("Broken.lnk");
        ASSERT_TRUE(testsupport::WriteFileBytes(shortcut, "link"));
        run.Add(shortcut, "C:\\gone.exe", "C:\\gone.exe", 8);
        ASSERT_TRUE(run.Fix());
        const std::string base = BaseName(run.engine.GetRenameLogPath());
        EXPECT_EQ(BaseName(run.engine.GetBackupPath()), base);
        EXPECT_EQ(std::string(run.engine.GetRenameFolder()), run.backupDir.File(base));
        EXPECT_EQ(FilesIn(run.backupDir.Path()), (std::set<std::string>{base, base + ".bak"}));
        EXPECT_EQ(FilesIn(run.backupDir.File(base)), std::set<std::string>{"Broken.lnk"});
        DeleteFileA((run.backupDir.File(base) + "\\Broken.lnk").c_str());
    }
    {
        FixRun run;
        run.Add(hklm + "\\Shared", "C:\\a.dll", "", 3);
        ASSERT_TRUE(run.Fix());
        const std::string base = BaseName(run.engine.GetBackupPath());
        EXPECT_EQ(FilesIn(run.backupDir.Path()), std::set<std::string>{base + ".reg"});
        // KeldrixBak_<month>_<day>_<yy>_<hh>_<mm>_<ss>
        char month[16] = "";
        int day = 0, year = 0, hour = 0, minute = 0, second = 0;
        EXPECT_EQ(sscanf(base.c_str(), "KeldrixBak_%15[A-Za-z]_%2d_%2d_%2d_%2d_%2d", month, &day, &year, &hour,
                         &minute, &second),
                  6)
            << base;
        EXPECT_EQ(base.size(), strlen("KeldrixBak_") + strlen(month) + 15) << base;
    }
}

// Backup names already taken, by any of the .reg file, the rename log or the
// rename folder, are passed over with a number; nothing is overwritten.
TEST(FixFiles, TakenBackupNamesAreNeverOverwritten)
{
    FixRun run;
    TestKey machine(HKEY_LOCAL_MACHINE);
    machine.SetDword("Shared", "C:\\a.dll", 1);
    run.Add("HKEY_LOCAL_MACHINE\\" + machine.SubKey() + "\\Shared", "C:\\a.dll", "", 3);
    std::vector<std::string> taken;
    const time_t now = time(nullptr);
    for (time_t t = now - 1; t <= now + 5; t++) {
        const std::string base = run.backupDir.File(std::string("KeldrixBak" + CTime(t).Format("_%B_%d_%y_%H_%M_%S")));
        taken.push_back(base + ".reg");
        taken.push_back(base + "_2.bak");
    }
    for (const std::string& path : taken)
        ASSERT_TRUE(testsupport::WriteFileBytes(path, "taken"));

    ASSERT_TRUE(run.Fix());

    const std::string backup(run.engine.GetBackupPath());
    ASSERT_GT(backup.size(), 6u);
    EXPECT_EQ(backup.substr(backup.size() - 6), "_3.reg");
    EXPECT_EQ(std::find(taken.begin(), taken.end(), backup), taken.end());
    EXPECT_NE(ReadText(backup.c_str()).find("\"C:\\\\a.dll\" = dword:00000001"), std::string::npos);
    for (const std::string& path : taken)
        EXPECT_EQ(ReadText(path.c_str()), "taken") << path;
}

// Without a backup file nothing is removed: the user is told, every problem
// stays in the array for another try, and the log shows none cleaned.
TEST(FixFiles, WithoutABackupNothingIsRepairedAndTheProblemsStay)
{
    FixRun run;
    TestKey machine(HKEY_LOCAL_MACHINE);
    TempDir files;
    const std::string hklm = "HKEY_LOCAL_MACHINE\\" + machine.SubKey();
    machine.SetString("Uninstall\\Product", "UninstallString", "C:\\gone.exe");
    machine.SetDword("Shared", "C:\\a.dll", 1);
    const std::string shortcut = files.File("Broken.lnk");
    ASSERT_TRUE(testsupport::WriteFileBytes(shortcut, "link"));
    run.Add(hklm + "\\Uninstall", "Product", "C:\\gone.exe", 1);
    run.Add(hklm + "\\Shared", "C:\\a.dll", "", 3);
    run.Add(shortcut, "C:\\gone.exe", "C:\\gone.exe", 8);
    // A backup folder whose parent is missing cannot be made.
    run.engine.SetBackupFolder(CString(run.backupDir.File("missing\\Backup\\").c_str()));

    ASSERT_TRUE(run.Fix());

    ASSERT_EQ(run.engine.messages.size(), 1u);
    EXPECT_EQ(run.engine.messages[0].rfind("Keldrix could not create the registry backup file", 0), 0u);
    EXPECT_TRUE(machine.Exists("Uninstall\\Product"));
    EXPECT_TRUE(machine.ValueExists("Shared", "C:\\a.dll"));
    EXPECT_TRUE(Exists(shortcut.c_str()));
    EXPECT_EQ(run.problems.GetSize(), 3);
    EXPECT_EQ(run.engine.GetTotalFixed(), 0);
    EXPECT_TRUE(run.Progress().empty());
    EXPECT_EQ(run.window.Count(WM_FIX_DONE), 1);
    EXPECT_EQ(CountOf(run.LogText(), kNotCleaned), 3);
    EXPECT_TRUE(run.engine.GetBackupPath().IsEmpty());
    EXPECT_TRUE(FilesIn(run.backupDir.Path()).empty());
}

// "systemrestore" 0 loads no restore library. Set to 1, the fix tries a
// restore point first; the system here refuses it, so the user is told and
// the fix goes on.
TEST(FixRestorePoint, OnlyWhenAskedAndAFailureIsToldBeforeTheFixGoesOn)
{
    TestKey machine(HKEY_LOCAL_MACHINE);
    const std::string hklm = "HKEY_LOCAL_MACHINE\\" + machine.SubKey();
    machine.SetDword("Shared", "C:\\a.dll", 1);
    machine.SetDword("Shared", "C:\\b.dll", 1);
    {
        FixRun run;
        run.Add(hklm + "\\Shared", "C:\\a.dll", "", 3);
        bool loaded = false;
        run.window.onMessage = [&loaded](const scantest::Event& e) {
            if (e.message == WM_FIX_PROGRESS)
                loaded = GetModuleHandleA("srclient.dll") != nullptr;
        };
        ASSERT_EQ(GetModuleHandleA("srclient.dll"), nullptr);
        ASSERT_TRUE(run.Fix());
        EXPECT_FALSE(loaded);
        EXPECT_TRUE(run.engine.messages.empty());
    }
    {
        FixRun run;
        SetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_SYSTEMRESTORE, 1);
        run.Add(hklm + "\\Shared", "C:\\b.dll", "", 3);
        ASSERT_TRUE(run.Fix());
        ASSERT_EQ(run.engine.messages.size(), 1u);
        EXPECT_EQ(run.engine.messages[0],
                  "Keldrix could not set the system restore point as Windows system restore is turned off.  \n\n"
                  "To turn it on: \n1. Right click on the My Computer icon on your desktop.\n2. Select Properties.\n"
                  "3. Click the System Restore tab.\n4. Clear the Turn off System Restore checkbox.\n5. Click OK.");
        EXPECT_FALSE(machine.ValueExists("Shared", "C:\\b.dll"));
        EXPECT_EQ(GetModuleHandleA("srclient.dll"), nullptr);
    }
}

// The log gets every usable ignore-list entry and every problem, saved as
// one zip archive in the log folder.
TEST(FixLog, IgnoreListAndEveryProblemAreLogged)
{
    FixRun run;
    const char* texts[] = {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Example\\Run\\Tool|c:\\tool.exe", "",
                           "HKEY_CURRENT_USER\\Removed\\|x", "HKEY_CURRENT_USER\\Software\\Example\\|a&b"};
    const REGPROBLEM_TYPE types[] = {REGPROBLEM_STARTUP, REGPROBLEM_FONT, REGPROBLEM_REMOVED, REGPROBLEM_COM,
                                     REGPROBLEM_HELPFILE};
    for (const char* text : texts)
        run.ignoreTexts.Add(text);
    for (REGPROBLEM_TYPE type : types)
        run.ignoreTypes.Add(type);  // one more than texts, as from a file with an odd line count
    run.Add("HKEY_CURRENT_USER\\Software\\KeldrixTests\\NoSuchKey", "<name>", "a&b", 2)->m_checked = FALSE;

    ASSERT_TRUE(run.Fix());

    const std::string log = run.LogText();
    EXPECT_EQ(CountOf(log, "<IgnoredItem "), 2);
    EXPECT_NE(log.find("<IgnoredItem key=\"HKEY_LOCAL_MACHINE\" value=\"SOFTWARE\\Example\\Run\\Tool\" "
                       "valuename=\"c:\\tool.exe\" type=\"Startup Items\"/>"),
              std::string::npos);
    EXPECT_NE(log.find("<IgnoredItem key=\"HKEY_CURRENT_USER\" value=\"Software\\Example\\\" valuename=\"a&amp;b\" "
                       "type=\"COM/ActiveX\"/>"),
              std::string::npos);
    EXPECT_NE(log.find("<FoundItem key=\"HKEY_CURRENT_USER\\Software\\KeldrixTests\\NoSuchKey\" value=\"a&amp;b\" "
                       "valuename=\"&lt;name&gt;\" type=\"Font Entries\" checkedforcleaning=\"no\" cleaned=\"no\"/>"),
              std::string::npos);
    const std::set<std::string> logs = FilesIn(run.logDir.Path());
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(logs.begin()->substr(logs.begin()->size() - 4), ".zip");
}

// With "repairafterfind" 1 the whole road runs on the scan thread: the scan's
// messages, WM_SCAN_DONE, the fix's progress, its WM_FIX_DONE and one more.
// Only the problem planted here is left selected when the scan is done.
TEST(FixMessages, RepairAfterFindSendsTheScanTheFixAndTwoFixDones)
{
    FixRun run;
    ClassesKeys classes;
    const std::string guid = scantest::NewGuid();
    classes.Set("CLSID\\" + guid + "\\InprocServer32", nullptr, "C:\\KdxGone_" + guid + "\\x.dll", REG_SZ,
                "CLSID\\" + guid);
    SetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_REPAIRAFTERFIND, 1);
    run.window.onMessage = [&run, &guid](const scantest::Event& e) {
        if (e.message != WM_SCAN_DONE)
            return;
        for (INT_PTR i = 0; i < run.problems.GetSize(); i++)
            run.problems[i]->m_checked = std::string(run.problems[i]->m_key).find(guid) != std::string::npos;
    };
    BYTE enabled[REGPROBLEM_TYPE_COUNT] = {1};
    run.engine.SetCategories(enabled);
    ASSERT_TRUE(run.engine.StartScan(run.window.Get()));
    ASSERT_TRUE(RecordingWindow::PumpUntilEnded(run.engine.GetWorker()->m_hThread));

    std::vector<std::pair<UINT, LPARAM>> expected{{WM_CATEGORY_START, 0}, {WM_CATEGORY_DONE, 0}};
    for (int category = 1; category < REGPROBLEM_TYPE_COUNT; category++)
        expected.emplace_back(WM_CATEGORY_SKIPPED, category);
    expected.emplace_back(WM_SCAN_DONE, 0);
    expected.emplace_back(WM_FIX_PROGRESS, 0);
    expected.emplace_back(WM_FIX_DONE, 0);
    expected.emplace_back(WM_FIX_DONE, 0);
    EXPECT_EQ(run.window.Sequence(), expected);
    EXPECT_EQ(run.Progress(), (std::vector<std::pair<WPARAM, LPARAM>>{{20, 0}}));
    for (const scantest::Event& e : run.window.events)
        EXPECT_TRUE(e.scanning);
    EXPECT_FALSE(run.engine.IsScanning());
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, ("CLSID\\" + guid + "\\InprocServer32").c_str(), 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(run.engine.GetFixedCount(0), 1);
    EXPECT_EQ(run.problems.GetSize(), 0);
}
