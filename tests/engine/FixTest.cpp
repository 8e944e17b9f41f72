#include <gtest/gtest.h>
#include "EngineTestSupport.h"
#include "LogFile.h"
#include "RegistrySettings.h"
#include <algorithm>
#include <ctime>
#include <set>

using enginetest::NarrowedKey;
using enginetest::ClassesKeys;
using enginetest::RecordingWindow;
using enginetest::SavedSettings;
using testsupport::CountOf;
using testsupport::FileExists;
using testsupport::FilesIn;
using testsupport::TempDir;
using testsupport::TestKey;

namespace {

const BYTE kAll[REGPROBLEM_TYPE_COUNT] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};

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
    enginetest::TestScanner engine{problems, &ignoreTexts, &ignoreTypes, nullptr, nullptr, nullptr, &log};
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
    std::vector<std::pair<WPARAM, LPARAM>> Progress() const
    {
        std::vector<std::pair<WPARAM, LPARAM>> out;
        for (const enginetest::Event& e : window.events)
            if (e.message == WM_FIX_PROGRESS)
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

std::string BaseName(const CString& path)
{
    std::string text(path);
    text = text.substr(text.rfind('\\') + 1);
    return text.substr(0, text.rfind('.'));
}

const char kYes[] = "checkedforcleaning=\"yes\" cleaned=\"yes\"/>";
const char kNotCleaned[] = "checkedforcleaning=\"yes\" cleaned=\"no\"/>";
const char kNotChecked[] = "checkedforcleaning=\"no\" cleaned=\"no\"/>";

}  // namespace

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
    EXPECT_EQ(run.Progress().size(), 4u);
    EXPECT_EQ(FixRun::Flags(run.FoundItem(hklm + "\\Uninstall", "First")), kYes);
    EXPECT_EQ(FixRun::Flags(run.FoundItem(hklm + "\\Uninstall", "Locked")), kNotCleaned);
    EXPECT_EQ(FixRun::Flags(run.FoundItem(hklm + "\\Uninstall", "Last")), kYes);
    EXPECT_EQ(FixRun::Flags(run.FoundItem(hklm + "\\Shared", "C:\\gone.dll")), kNotCleaned);
    const std::string backup = testsupport::FileBytes(std::string(run.engine.GetBackupPath()));
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
    EXPECT_EQ(CountOf(testsupport::FileBytes(std::string(run.engine.GetBackupPath())), "\\Class\\InprocServer32]"), 1);
}

// Only checked problems of the categories enabled for the fix are repaired
// and announced; two of category 3 give two progress messages (23, 3).
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
    const std::vector<std::pair<WPARAM, LPARAM>> progress{{23, 3}, {23, 3}};
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
    EXPECT_NE(testsupport::FileBytes(std::string(backup.c_str())).find("\"C:\\\\a.dll\" = dword:00000001"), std::string::npos);
    for (const std::string& path : taken)
        EXPECT_EQ(testsupport::FileBytes(std::string(path.c_str())), "taken") << path;
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
    EXPECT_TRUE(FileExists(shortcut));
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
        run.window.onMessage = [&loaded](const enginetest::Event& e) {
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
