// Containers (the Run family, App Paths, Uninstall, the class registrations
// ...) and the keys above them are never reported; their empty children are.
#include <gtest/gtest.h>
#include "ContainerKeys.h"
#include "EngineTestSupport.h"

namespace {

const std::string kVersion = "Software\\Microsoft\\Windows\\CurrentVersion";
const std::string kUser = "HKEY_USERS\\S-1-5-21-1-1000\\", kMachine = "HKEY_LOCAL_MACHINE\\";

std::string Lower(std::string text)
{
    CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

}  // namespace

TEST(ContainerRule, ContainersAndTheKeysAboveThemAreProtected)
{
    const std::string v = "\\" + kVersion + "\\", cls = "HKEY_CLASSES_ROOT\\";
    const std::pair<std::string, bool> cases[] = {
        {"HKEY_CURRENT_USER" + v + "RunOnce", true}, {Lower(kUser + kVersion) + "\\RUNONCEEX", true},
        {kMachine + "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\RunServicesOnce", true},
        {kMachine + kVersion + "\\Policies\\Explorer\\Run", true}, {kUser + kVersion + "\\Uninstall\\", true},
        {kMachine + "\\SOFTWARE\\\\Microsoft\\Windows\\CurrentVersion\\App Paths", true},
        {kUser + kVersion + "\\Explorer\\User Shell Folders", true}, {kMachine + kVersion + "\\SharedDLLs", true},
        {kMachine + "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", true}, {kUser + "Environment", true},
        {kMachine + "SOFTWARE\\Microsoft\\Shared Tools\\MSConfig\\startupreg", true}, {cls + "CLSID", true},
        {cls + "Wow6432Node\\AppID", true}, {"HKEY_USERS\\S-1-5-21-1-1000_Classes\\TypeLib", true},
        {kMachine + "SOFTWARE\\Classes\\Interface", true}, {kUser + kVersion, true}, {kUser, true}, {cls, true},
        // Every other container of the list, each spelt as the system spells it.
        {kMachine + kVersion + "\\Run", true}, {kMachine + kVersion + "\\RunServices", true},
        {kUser + kVersion + "\\Explorer\\Shell Folders", true},
        {kUser + kVersion + "\\Explorer\\MenuOrder\\Start Menu\\Programs", true},
        {kUser + kVersion + "\\Explorer\\MenuOrder\\Start Menu2\\Programs", true},
        {kMachine + kVersion + "\\Fonts", true},
        {kMachine + "SOFTWARE\\Microsoft\\Shared Tools\\MSConfig\\startupfolder", true},
        {kMachine + "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment", true},
        {kMachine + kVersion + "\\Run\\Tool", false}, {kMachine + kVersion + "\\Explorer\\Shell Folders\\x", false},
        {kMachine + kVersion + "\\Uninstall\\Product", false}, {kMachine + kVersion + "\\RunOnce\\Setup", false},
        {kMachine + kVersion + "\\Runner", false}, {cls + "CLSID\\{1}", false}, {cls + "Some.Program\\CLSID", false},
        {kUser + "Software\\Vendor\\" + kVersion + "\\Run", false}, {"C:\\Menu\\Tool.lnk", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsProtectedKey(c.first.c_str()) != FALSE, c.second) << c.first;
}

// Empty RunOnce, RunOnceEx, App Paths and Uninstall keys under both roots
// (planted where missing): the scanners that walk them report none of them nor
// a key above them, but still the empty child planted in the user's Uninstall.
TEST(ContainerRule, EmptyContainersAreNotReportedTheirEmptyChildrenAre)
{
    enginetest::FixedKeysLock fixedKeys;
    const std::string tag = testsupport::UniqueName("KdxContainer");
    const char* const containers[] = {"RunOnce", "RunOnceEx", "App Paths", "Uninstall"};
    enginetest::Planted planted;
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
        for (const char* container : containers)
            if (!testsupport::KeyExists(root, kVersion + "\\" + container))
                planted.Key(root, kVersion + "\\" + container);
    planted.Key(HKEY_CURRENT_USER, kVersion + "\\Uninstall\\" + tag);

    enginetest::RecordingWindow window;
    CRegistryProblemArray problems;
    enginetest::TestScanner engine(problems, window);
    engine.ScanUninstallEntries();
    engine.ScanAppPaths();
    engine.ScanStartupItems();
    engine.ScanEmptyKeys();

    // What the repairs would remove, among the user's keys from CurrentVersion down to the containers' children.
    const std::string version = Lower("HKEY_USERS\\" + enginetest::UserHiveName() + "\\" + kVersion);
    std::set<std::string> removed;
    for (INT_PTR i = 0; i < problems.GetSize(); i++) {
        const CRegistryProblem& p = *problems[i];
        const bool named = p.m_category == REGPROBLEM_UNINSTALL || p.m_category == REGPROBLEM_APPPATH;
        const std::string key = Lower(std::string(p.m_key) + (named ? "\\" + std::string(p.m_valueName) : ""));
        EXPECT_NE(key.back(), '\\') << "an entry naming its container";
        if (p.m_category == REGPROBLEM_EMPTYKEY && version.compare(0, key.size(), key) == 0)
            removed.insert(key);
        for (const char* container : containers)
            if (p.m_category == REGPROBLEM_EMPTYKEY && key.find(version + "\\" + Lower(container)) == 0)
                removed.insert(key);
    }
    EXPECT_EQ(removed, std::set<std::string>{version + "\\uninstall\\" + Lower(tag)});
}
