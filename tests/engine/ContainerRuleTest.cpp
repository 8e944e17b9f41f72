// Containers (the Run family, App Paths, Uninstall, the class registrations
// ...) and the keys above them are never reported; their empty children are.
#include <gtest/gtest.h>
#include "ContainerKeys.h"
#include "ScannerTestSupport.h"

using scannertest::Planted;
using scannertest::Scanner;

namespace {

const char kVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";

const struct {
    const char* key;
    bool isProtected;
} kRuleCases[] = {
    {"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", true},
    {"HKEY_USERS\\S-1-5-21-1-2-3-1000\\software\\microsoft\\windows\\currentversion\\RUNONCEEX", true},
    {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\RunServicesOnce", true},
    {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run", true},
    {"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", true},
    {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\", true},
    {"HKEY_LOCAL_MACHINE\\\\SOFTWARE\\\\Microsoft\\Windows\\CurrentVersion\\App Paths", true},
    {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", true},
    {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", true},
    {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSConfig\\startupreg", true},
    {"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment", true},
    {"HKEY_USERS\\.DEFAULT\\Environment", true},
    {"HKEY_CLASSES_ROOT\\CLSID", true},
    {"HKEY_CLASSES_ROOT\\Wow6432Node\\AppID", true},
    {"HKEY_USERS\\S-1-5-21-1-2-3-1000_Classes\\TypeLib", true},
    {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Interface", true},
    // Keys above a container, up to the hive roots.
    {"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion", true},
    {"HKEY_USERS\\S-1-5-21-1-2-3-1000", true},
    {"HKEY_CLASSES_ROOT", true},
    // Children, neighbours and keys of the same name elsewhere.
    {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Product", false},
    {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce\\Setup", false},
    {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Runner", false},
    {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSConfig\\startupreg\\Tool", false},
    {"HKEY_CLASSES_ROOT\\CLSID\\{00000000-0000-0000-0000-000000000001}", false},
    {"HKEY_CLASSES_ROOT\\Some.Program\\CLSID", false},
    {"HKEY_CURRENT_USER\\Software\\Vendor\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", false},
    {"C:\\Menu\\Programs\\Tool.lnk", false},
};

std::string Lower(std::string text)
{
    CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

bool KeyExists(HKEY root, const std::string& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

}  // namespace

TEST(ContainerRule, ContainersAndTheKeysAboveThemAreProtected)
{
    for (const auto& c : kRuleCases)
        EXPECT_EQ(IsProtectedKey(c.key) != FALSE, c.isProtected) << c.key;
}

// Empty RunOnce, RunOnceEx, App Paths and Uninstall keys under both roots:
// the scanners that walk them report none of them, nor a key above them,
// but still the empty child planted in the user's Uninstall key.
TEST(ContainerRule, EmptyContainersAreNotReportedTheirEmptyChildrenAre)
{
    scannertest::FixedKeysLock fixedKeys;
    const std::string tag = testsupport::UniqueName("KdxContainer");
    const std::string version = kVersion;
    const char* const containers[] = {"RunOnce", "RunOnceEx", "App Paths", "Uninstall"};
    Planted planted;
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
        for (const char* container : containers)
            if (!KeyExists(root, version + "\\" + container))
                planted.Key(root, version + "\\" + container);
    planted.Key(HKEY_CURRENT_USER, version + "\\Uninstall\\" + tag);

    scantest::RecordingWindow window;
    CRegistryProblemArray problems;
    Scanner engine(problems, window);
    engine.ScanUninstallEntries();
    engine.ScanAppPaths();
    engine.ScanStartupItems();
    engine.ScanEmptyKeys();

    const std::string userVersion = Lower("HKEY_USERS\\" + scannertest::UserHiveName() + "\\" + version);
    std::set<std::string> found;
    for (INT_PTR i = 0; i < problems.GetSize(); i++) {
        const CRegistryProblem& problem = *problems[i];
        const std::string key = Lower(std::string(problem.m_key));
        // The uninstall and application-path entries are named by their value names.
        if (problem.m_category == REGPROBLEM_UNINSTALL || problem.m_category == REGPROBLEM_APPPATH) {
            EXPECT_NE(problem.m_valueName, "") << key;
        }
        if (problem.m_category != REGPROBLEM_EMPTYKEY)
            continue;
        EXPECT_FALSE(userVersion.compare(0, key.size(), key) == 0) << "a key above the containers: " << key;
        for (const char* container : containers) {
            const std::string path = userVersion + "\\" + Lower(container);
            EXPECT_NE(key, path) << "an empty container was reported";
            if (key.compare(0, path.size() + 1, path + "\\") == 0)
                found.insert(key);
        }
    }
    EXPECT_EQ(found, std::set<std::string>{userVersion + "\\uninstall\\" + Lower(tag)});
}
