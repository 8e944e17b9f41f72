#include <gtest/gtest.h>
#include "EngineTestSupport.h"

using enginetest::RecordingWindow;
using enginetest::TestScanner;

namespace {

struct IgnoreEntry {
    int category;
    const char* text;
};

struct FilterCase {
    const char* what;
    std::vector<const char*> keys, values, valueNames;  // whitelist entries
    std::vector<IgnoreEntry> ignore;
    int unpairedTexts;  // ignore texts appended without a category
    std::string key;
    const char* valueName;
    const char* value;
    int category;
    bool stored;
};

const char kClassKey[] = "HKEY_CLASSES_ROOT\\CLSID\\{x}";
const std::string kUserVersion = "HKEY_USERS\\S-1-5-21-1\\Software\\Microsoft\\Windows\\CurrentVersion";
const std::string kMachineVersion = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char kIgnoredClass[] = "HKEY_CLASSES_ROOT\\CLSID\\{X}\\|C:\\A.DLL";

const FilterCase kCases[] = {
    {"nothing listed", {}, {}, {}, {}, 0, kClassKey, "", "c:\\a.dll", 0, true},
    {"key entry, another case", {"MICROSOFT\\WINDOWS"}, {}, {}, {}, 0,
     "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", "c:\\x.dll", "1", 3, false},
    {"key entry never tests the value", {"gone"}, {}, {}, {}, 0, kClassKey, "", "c:\\gone\\a.dll", 0, true},
    {"value entry, substring in another case", {}, {"gONE\\a"}, {}, {}, 0, kClassKey, "", "C:\\Gone\\A.dll", 0,
     false},
    {"value entry never tests the key", {}, {"clsid"}, {}, {}, 0, kClassKey, "", "c:\\a.dll", 0, true},
    {"value-name entry never tests the key", {}, {}, {"inprocserver32"}, {}, 0,
     "HKEY_CLASSES_ROOT\\CLSID\\{x}\\InprocServer32", "(Default)", "c:\\a.dll", 0, true},
    {"value-name entry", {}, {}, {"(default)"}, {}, 0, "HKEY_CLASSES_ROOT\\CLSID\\{x}\\InprocServer32",
     "(Default)", "c:\\a.dll", 0, false},
    {"an empty entry holds back nothing", {""}, {""}, {""}, {}, 0, kClassKey, "", "c:\\a.dll", 0, true},
    {"ignored, case does not matter", {}, {}, {}, {{0, kIgnoredClass}}, 0, kClassKey, "", "c:\\a.dll", 0, false},
    {"ignored only in its own category", {}, {}, {}, {{0, kIgnoredClass}}, 0, kClassKey, "", "c:\\a.dll", 10,
     true},
    {"a removed entry matches nothing", {}, {}, {}, {{-1, kIgnoredClass}}, 0, kClassKey, "", "c:\\a.dll", 0, true},
    {"the whole text must match", {}, {}, {}, {{0, kIgnoredClass}}, 0, kClassKey, "AppID", "c:\\a.dll", 0, true},
    {"later entries are looked at", {}, {}, {}, {{2, "other"}, {0, "x"}, {0, kIgnoredClass}}, 0, kClassKey, "",
     "c:\\a.dll", 0, false},
    {"a text without a category is not an entry", {}, {}, {}, {{0, "other"}}, 1, kClassKey, "", "c:\\a.dll", 0,
     true},
    {"no category outside 0 to 10", {}, {}, {}, {}, 0, kClassKey, "", "c:\\a.dll", 11, false},
    // A problem whose repair would remove a container (or a key above one) is none.
    {"an empty container", {}, {}, {}, {}, 0, kUserVersion + "\\RunOnce", "(Default)", "", 9, false},
    {"an empty key above a container", {}, {}, {}, {}, 0, kUserVersion, "(Default)", "", 9, false},
    {"an empty child of a container", {}, {}, {}, {}, 0, kUserVersion + "\\Uninstall\\x", "(Default)", "", 9, true},
    {"an entry naming its container", {}, {}, {}, {}, 0, kMachineVersion, "App Paths", "c:\\a.exe", 4, false},
    {"a value of a container", {}, {}, {}, {}, 0, kMachineVersion + "\\Run", "Tool", "c:\\a.exe", 6, true},
    {"a menu order key naming a container", {}, {}, {}, {}, 0, kMachineVersion + "\\Explorer\\MenuOrder\\Start Menu",
     "Programs", "c:\\p", 6, false},
};

CStringArray MakeArray(const std::vector<const char*>& entries)
{
    CStringArray array;
    for (const char* entry : entries)
        array.Add(entry);
    return array;
}

}  // namespace

TEST(ProblemFilter, WhitelistAndIgnoreListTable)
{
    RecordingWindow window;
    for (const FilterCase& c : kCases) {
        SCOPED_TRACE(c.what);
        const CStringArray keys = MakeArray(c.keys), values = MakeArray(c.values),
                           valueNames = MakeArray(c.valueNames);
        CStringArray ignoreTexts;
        CIgnoreTypeArray ignoreTypes;
        for (const IgnoreEntry& entry : c.ignore) {
            ignoreTexts.Add(entry.text);
            ignoreTypes.Add(static_cast<REGPROBLEM_TYPE>(entry.category));
        }
        for (int i = 0; i < c.unpairedTexts; i++)
            ignoreTexts.Add(kIgnoredClass);

        CRegistryProblemArray problems;
        TestScanner engine(problems, &ignoreTexts, &ignoreTypes, &keys, &values, &valueNames);
        engine.SetNotifyWindow(window.Get());
        window.events.clear();

        auto* problem = new CRegistryProblem(c.key.c_str(), c.valueName, c.value, c.category);
        const BOOL stored = engine.AddProblem(problem);

        EXPECT_EQ(stored != FALSE, c.stored);
        EXPECT_EQ(engine.GetTotalFound(), c.stored ? 1 : 0);
        for (int category = 0; category < REGPROBLEM_TYPE_COUNT; category++)
            EXPECT_EQ(engine.GetFoundCount(category), c.stored && category == c.category ? 1 : 0);
        if (c.stored) {
            ASSERT_EQ(problems.GetSize(), 1);
            EXPECT_EQ(problems[0], problem);
            ASSERT_EQ(window.events.size(), 1u);
            EXPECT_EQ(window.events[0].message, static_cast<UINT>(WM_PROBLEM_FOUND));
            EXPECT_EQ(window.events[0].wParam, 0u);
            EXPECT_EQ(window.events[0].lParam, reinterpret_cast<LPARAM>(problem));
        } else {
            EXPECT_EQ(problems.GetSize(), 0);
            EXPECT_TRUE(window.events.empty());
        }
    }
}

TEST(ProblemFilter, TheWhitelistIsCopiedWhenTheEngineIsMade)
{
    CStringArray keys;
    keys.Add("first");
    CRegistryProblemArray problems;
    TestScanner engine(problems, nullptr, nullptr, &keys, nullptr, nullptr);
    // A whitelist update during a scan does not reach the engine.
    keys.RemoveAll();
    keys.Add("second");
    EXPECT_FALSE(engine.AddProblem(new CRegistryProblem("HKEY_USERS\\S-1\\First", "", "", 9)));
    EXPECT_TRUE(engine.AddProblem(new CRegistryProblem("HKEY_USERS\\S-1\\Second", "", "", 9)));
    EXPECT_EQ(problems.GetSize(), 1);
}
