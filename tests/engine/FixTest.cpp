// The fix in process: what it leaves alone, what it counts, which backup
// files stay and what the user is told. Every category's repair, its backup
// restored through regedit and the after-fix log are checked end to end by
// scantool/fix_all.sh.
#include <gtest/gtest.h>
#include "EngineTestSupport.h"
#include "RegistrySettings.h"
#include <algorithm>
#include <ctime>

using enginetest::NarrowedKey;
using enginetest::RecordingWindow;
using testsupport::CountOf;
using testsupport::FileBytes;
using testsupport::FilesIn;
using testsupport::TempDir;
using testsupport::TestKey;

namespace {

const BYTE kAll[REGPROBLEM_TYPE_COUNT] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
const char kYes[] = "checkedforcleaning=\"yes\" cleaned=\"yes\"/>";
const char kNotCleaned[] = "checkedforcleaning=\"yes\" cleaned=\"no\"/>";
const char kNotChecked[] = "checkedforcleaning=\"no\" cleaned=\"no\"/>";

// One fix with its own backup and log folders, under the shared-state lock
// and with "systemrestore" 0; the settings are put back afterwards.
struct FixRun {
    testsupport::SharedStateLock lock;
    testsupport::SavedValues settings{{SETTING_SYSTEMRESTORE, SETTING_REPAIRAFTERFIND, SETTING_LASTSCAN,
                                        SETTING_LASTFOUNDERRORS}};
    TempDir backupDir, logDir;
    TestKey machine{HKEY_LOCAL_MACHINE};
    const std::string hklm = "HKEY_LOCAL_MACHINE\\" + machine.SubKey();
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
    // The progress messages, a run of one category's counted once: the first
    // problem of each category is announced, the rest only now and then.
    std::vector<std::pair<WPARAM, LPARAM>> Progress() const
    {
        std::vector<std::pair<WPARAM, LPARAM>> out;
        for (const enginetest::Event& e : window.events)
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
    // The cleaning flags of the log's FoundItem of a value name ("" when there is none).
    std::string Flags(const std::string& valueName)
    {
        const std::string text = LogText();
        const size_t at = text.find("valuename=\"" + valueName + "\"");
        if (at == std::string::npos)
            return "";
        const size_t flags = text.find("checkedforcleaning=", at);
        return text.substr(flags, text.find('\n', flags) - flags);
    }
    std::string Backup() { return FileBytes(std::string(engine.GetBackupPath())); }
};

std::string BaseName(const CString& path)
{
    std::string text(path);
    text = text.substr(text.rfind('\\') + 1);
    return text.substr(0, text.rfind('.'));
}

}  // namespace

// A key under another root than the category's, a rule's subkey name that is
// empty or a path, keys that name a root itself and problems planted straight
// into the array that name a container: nothing is removed, and the problems
// are neither counted nor logged as cleaned.
TEST(Fix, KeysOutsideTheRootOrNamingAContainerAreLeftAlone)
{
    FixRun run;
    run.machine.SetString("Uninstall\\Product", "v", "1");
    run.machine.SetString("Run", "Tool", "C:\\gone.exe");
    run.Add(run.hklm + "\\Uninstall\\Product", "(Default)", "", 0);  // class rule, machine key
    run.Add(run.hklm + "\\Uninstall", "", "", 1);                    // would name Uninstall itself
    run.Add(run.hklm, "Uninstall\\Product", "", 4);                 // a path, not a subkey name
    run.Add("HKEY_CLASSES_ROOT" + run.hklm.substr(18) + "\\Run", "Tool", "", 6);
    run.Add("HKEY_LOCAL_MACHINEX\\" + run.machine.SubKey() + "\\Run", "Tool", "", 7);
    run.Add("HKEY_USERS\\", "(Default)", "", 9);
    run.Add("HKEY_CLASSES_ROOT", "(Default)", "", 10);
    // Containers (or keys above one), planted where missing, named for each category's repair.
    enginetest::FixedKeysLock fixedKeys;
    enginetest::Planted planted;
    const std::string v = "Software\\Microsoft\\Windows\\CurrentVersion", menu = v + "\\Explorer\\MenuOrder";
    const std::string hku = "HKEY_USERS\\" + enginetest::UserHiveName() + "\\", hklm = "HKEY_LOCAL_MACHINE\\";
    const std::string tools = "Software\\Microsoft\\Shared Tools\\MSConfig";
    const struct {
        HKEY root;
        std::string path, key, valueName;
        int category;
    } containers[] = {
        {HKEY_CURRENT_USER, v + "\\RunOnceEx", hku + v + "\\RunOnceEx", "", 9},
        {HKEY_CURRENT_USER, menu, hku + menu, "", 9},
        {HKEY_CURRENT_USER, menu + "\\Start Menu\\Programs", "HKEY_CURRENT_USER\\" + menu + "\\Start Menu", "Programs",
         6},
        {HKEY_LOCAL_MACHINE, v + "\\RunOnceEx", hklm + v, "RunOnceEx", 1},
        {HKEY_LOCAL_MACHINE, tools + "\\startupreg", hklm + tools, "startupreg", 4},
        {HKEY_CLASSES_ROOT, "Wow6432Node\\TypeLib", "HKEY_CLASSES_ROOT\\Wow6432Node\\TypeLib", "", 10},
    };
    for (const auto& c : containers) {
        if (!testsupport::KeyExists(c.root, c.path))
            planted.Key(c.root, c.path);
        run.Add(c.key, c.valueName, "", c.category);
    }
    ASSERT_TRUE(run.Fix());
    for (const auto& c : containers)
        EXPECT_TRUE(testsupport::KeyExists(c.root, c.path)) << c.path << " was removed";
    EXPECT_TRUE(run.machine.Exists("Uninstall\\Product"));
    EXPECT_TRUE(run.machine.ValueExists("Run", "Tool"));
    EXPECT_EQ(run.engine.GetTotalFixed(), 0);
    EXPECT_EQ(run.Progress().size(), 12u);  // each run of a category once: the two of 9 follow each other
    EXPECT_EQ(CountOf(run.LogText(), kNotCleaned), 13);
    EXPECT_TRUE(FilesIn(run.backupDir.Path()).empty());  // nothing written, so the backup is gone again
}

// A key that cannot be removed is not cleaned and not counted; the fix goes
// on with the rest and keeps the backup of what it removed. Unchecked
// problems and those of disabled categories are left; an entry an earlier
// repair took along counts, and stands in the backup once.
TEST(Fix, CountsOnlyWhatItRemovedAndGoesOnAfterAFailure)
{
    FixRun run;
    enginetest::Planted classes;
    const std::string classRoot = testsupport::UniqueName("KdxFix");
    classes.KeyValue(HKEY_CLASSES_ROOT, classRoot + "\\Class\\InprocServer32", "", "C:\\gone.dll");
    run.Add("HKEY_CLASSES_ROOT\\" + classRoot + "\\Class", "AppID", "x", 0);
    run.Add("HKEY_CLASSES_ROOT\\" + classRoot + "\\Class\\InprocServer32", "(Default)", "C:\\gone.dll", 0);
    for (const char* product : {"First", "Locked", "Last"}) {
        run.machine.SetString(std::string("Uninstall\\") + product, "UninstallString", "C:\\gone.exe");
        run.Add(run.hklm + "\\Uninstall", product, "C:\\gone.exe", 1);
    }
    run.machine.SetString("Fonts", "Unchecked", "u.ttf");
    run.Add(run.hklm + "\\Fonts", "Unchecked", "u.ttf", 2)->m_checked = FALSE;
    run.machine.SetDword("Shared", "C:\\gone.dll", 1);
    run.Add(run.hklm + "\\Shared", "C:\\gone.dll", "", 3);
    run.machine.SetString("Help", "off.hlp", "C:\\gone");
    run.Add(run.hklm + "\\Help", "off.hlp", "C:\\gone", 5);
    BYTE enabled[REGPROBLEM_TYPE_COUNT] = {1, 1, 1, 1, 1, 0, 1, 1, 1, 1, 1};
    {
        NarrowedKey lockedKey(HKEY_LOCAL_MACHINE, run.machine.Sub("Uninstall\\Locked"), KEY_SET_VALUE | DELETE);
        NarrowedKey lockedValue(HKEY_LOCAL_MACHINE, run.machine.Sub("Shared"), KEY_SET_VALUE);
        ASSERT_TRUE(run.Fix(enabled));
    }
    EXPECT_FALSE(run.machine.Exists("Uninstall\\First"));
    EXPECT_TRUE(run.machine.ValueExists("Uninstall\\Locked", "UninstallString"));
    EXPECT_FALSE(run.machine.Exists("Uninstall\\Last"));
    EXPECT_TRUE(run.machine.ValueExists("Shared", "C:\\gone.dll"));
    EXPECT_TRUE(run.machine.ValueExists("Fonts", "Unchecked"));
    EXPECT_TRUE(run.machine.ValueExists("Help", "off.hlp"));
    const int fixed[REGPROBLEM_TYPE_COUNT] = {2, 2};
    for (int category = 0; category < REGPROBLEM_TYPE_COUNT; category++)
        EXPECT_EQ(run.engine.GetFixedCount(category), fixed[category]) << category;
    EXPECT_EQ(run.engine.GetTotalFixed(), 4);
    // Each category announced in array order with its code; nothing for the unchecked and the disabled.
    const std::vector<std::pair<WPARAM, LPARAM>> progress{{20, 0}, {21, 1}, {23, 3}};
    EXPECT_EQ(run.Progress(), progress);
    EXPECT_EQ(run.Flags("First"), kYes);
    EXPECT_EQ(run.Flags("Locked"), kNotCleaned);
    EXPECT_EQ(run.Flags("C:\\gone.dll"), kNotCleaned);
    EXPECT_EQ(run.Flags("Unchecked"), kNotChecked);
    EXPECT_EQ(run.Flags("off.hlp"), kNotCleaned);
    EXPECT_EQ(CountOf(run.LogText(), kYes), 4);
    const std::string backup = run.Backup();
    EXPECT_NE(backup.find("[" + run.hklm + "\\Uninstall\\Last]"), std::string::npos);
    EXPECT_EQ(CountOf(backup, "\\Class\\InprocServer32]"), 1);
    EXPECT_EQ(run.problems.GetSize(), 0);
}

// A fix that only removes registry entries keeps only its .reg file (a fix of
// nothing, and the paired rename log and folder, are fix_all.sh's).
TEST(Fix, OnlyBackupFilesThatReceivedSomethingStay)
{
    {
        FixRun run;
        run.machine.SetDword("Shared", "C:\\a.dll", 1);
        run.Add(run.hklm + "\\Shared", "C:\\a.dll", "", 3);
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
TEST(Fix, TakenBackupNamesAreNeverOverwritten)
{
    FixRun run;
    run.machine.SetDword("Shared", "C:\\a.dll", 1);
    run.Add(run.hklm + "\\Shared", "C:\\a.dll", "", 3);
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
    EXPECT_EQ(backup.substr(backup.size() - 6), "_3.reg");
    EXPECT_EQ(std::find(taken.begin(), taken.end(), backup), taken.end());
    EXPECT_NE(run.Backup().find("\"C:\\\\a.dll\" = dword:00000001"), std::string::npos);
    for (const std::string& path : taken)
        EXPECT_EQ(FileBytes(path), "taken") << path;
}

// Without a backup file nothing is removed: the user is told, every problem
// stays in the array for another try, and the log shows none cleaned.
TEST(Fix, WithoutABackupNothingIsRepairedAndTheProblemsStay)
{
    FixRun run;
    TempDir files;
    run.machine.SetString("Uninstall\\Product", "UninstallString", "C:\\gone.exe");
    run.machine.SetDword("Shared", "C:\\a.dll", 1);
    const std::string shortcut = files.File("Broken.lnk");
    ASSERT_TRUE(testsupport::WriteFileBytes(shortcut, "link"));
    run.Add(run.hklm + "\\Uninstall", "Product", "C:\\gone.exe", 1);
    run.Add(run.hklm + "\\Shared", "C:\\a.dll", "", 3);
    run.Add(shortcut, "C:\\gone.exe", "C:\\gone.exe", 8);
    // A backup folder whose parent is missing cannot be made.
    run.engine.SetBackupFolder(CString(run.backupDir.File("missing\\Backup\\").c_str()));
    ASSERT_TRUE(run.Fix());
    ASSERT_EQ(run.engine.messages.size(), 1u);
    EXPECT_EQ(run.engine.messages[0].rfind("Keldrix could not create the registry backup file", 0), 0u);
    EXPECT_TRUE(run.machine.Exists("Uninstall\\Product"));
    EXPECT_TRUE(run.machine.ValueExists("Shared", "C:\\a.dll"));
    EXPECT_TRUE(testsupport::FileExists(shortcut));
    EXPECT_EQ(run.problems.GetSize(), 3);
    EXPECT_EQ(run.engine.GetTotalFixed(), 0);
    EXPECT_TRUE(run.Progress().empty());
    EXPECT_EQ(run.window.Count(WM_FIX_DONE), 1);
    EXPECT_EQ(CountOf(run.LogText(), kNotCleaned), 3);
    EXPECT_TRUE(FilesIn(run.backupDir.Path()).empty());
}

// "systemrestore" 0 loads no restore library. Set to 1, the fix tries a
// restore point first; the system here refuses it, so the user is told and
// the fix goes on.
TEST(Fix, RestorePointOnlyWhenAskedAndAFailureIsToldBeforeTheFixGoesOn)
{
    for (int restore : {0, 1}) {
        FixRun run;
        SetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_SYSTEMRESTORE, restore);
        run.machine.SetDword("Shared", "C:\\b.dll", 1);
        run.Add(run.hklm + "\\Shared", "C:\\b.dll", "", 3);
        bool loaded = false;
        run.window.onMessage = [&loaded](const enginetest::Event& e) {
            loaded = loaded || (e.message == WM_FIX_PROGRESS && GetModuleHandleA("srclient.dll") != nullptr);
        };
        ASSERT_TRUE(run.Fix());
        EXPECT_TRUE(restore || !loaded) << "the restore library was loaded without being asked for";
        EXPECT_EQ(GetModuleHandleA("srclient.dll"), nullptr);
        EXPECT_FALSE(run.machine.ValueExists("Shared", "C:\\b.dll"));
        ASSERT_EQ(run.engine.messages.size(), static_cast<size_t>(restore));
        if (restore) {
            EXPECT_EQ(run.engine.messages[0],
                      "Keldrix could not set the system restore point as Windows system restore is turned off.  \n\n"
                      "To turn it on: \n1. Right click on the My Computer icon on your desktop.\n2. Select "
                      "Properties.\n3. Click the System Restore tab.\n4. Clear the Turn off System Restore checkbox.\n"
                      "5. Click OK.");
        }
    }
}

// The log gets every usable ignore-list entry and every problem.
TEST(Fix, IgnoreListAndEveryProblemAreLogged)
{
    FixRun run;
    for (const char* text : {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Example\\Run\\Tool|c:\\tool.exe", "",
                             "HKEY_CURRENT_USER\\Removed\\|x", "HKEY_CURRENT_USER\\Software\\Example\\|a&b"})
        run.ignoreTexts.Add(text);
    // One more type than texts, as from a file with an odd line count.
    for (REGPROBLEM_TYPE type :
         {REGPROBLEM_STARTUP, REGPROBLEM_FONT, REGPROBLEM_REMOVED, REGPROBLEM_COM, REGPROBLEM_HELPFILE})
        run.ignoreTypes.Add(type);
    run.Add("HKEY_CURRENT_USER\\Software\\KeldrixTests\\NoSuchKey", "<name>", "a&b", 2)->m_checked = FALSE;
    ASSERT_TRUE(run.Fix());
    const std::string log = run.LogText();
    EXPECT_EQ(CountOf(log, "<IgnoredItem "), 2);
    for (const char* line : {"<IgnoredItem key=\"HKEY_LOCAL_MACHINE\" value=\"SOFTWARE\\Example\\Run\\Tool\" "
                             "valuename=\"c:\\tool.exe\" type=\"Startup Items\"/>",
                             "<IgnoredItem key=\"HKEY_CURRENT_USER\" value=\"Software\\Example\\\" "
                             "valuename=\"a&amp;b\" type=\"COM/ActiveX\"/>",
                             "<FoundItem key=\"HKEY_CURRENT_USER\\Software\\KeldrixTests\\NoSuchKey\" "
                             "value=\"a&amp;b\" valuename=\"&lt;name&gt;\" type=\"Font Entries\" "
                             "checkedforcleaning=\"no\" cleaned=\"no\"/>"})
        EXPECT_NE(log.find(line), std::string::npos) << line;
}
