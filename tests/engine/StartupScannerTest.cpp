// The startup scanners: Run commands and Start-menu order entries, and the
// walk of the program shortcuts (the shortcut finds themselves are checked
// end to end by scan_shortcuts.sh on a small mapped drive).
#include <gtest/gtest.h>
#include "EngineTestSupport.h"
#include <shlobj.h>
#include <algorithm>

using enginetest::AfterCancelAtFirstProblem;
using enginetest::Found;
using enginetest::Planted;
using enginetest::PlantedFile;
using enginetest::PlantedFolder;
using enginetest::ScanPaths;
using enginetest::TestScanner;
using enginetest::ShellFolder;
using enginetest::Text;
using enginetest::Event;
using enginetest::RecordingWindow;

namespace {

const std::string kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kShellFolders = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const std::string kMenuOrder =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs";
const std::string kMenuOrder2 =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu2\\Programs";

std::string UserPrograms()
{
    char folder[MAX_PATH] = "";
    if (!SHGetSpecialFolderPathA(nullptr, folder, CSIDL_PROGRAMS, FALSE) || folder[0] == '\0')
        throw std::runtime_error("no Programs folder of the user");
    return folder;
}


}  // namespace

TEST(StartupScanner, ReportsRunCommandsAndMenuGroupsThatAreGone)
{
    // Another test here takes the all-users Programs folder away for a while.
    testsupport::SharedStateLock sharedState;
    enginetest::FixedKeysLock fixedKeys;
    const std::string tag = testsupport::UniqueName("KdxStartup");
    testsupport::TempDir temp;
    PlantedFile program(temp.File(tag + "_app.exe"));
    const std::string common = ShellFolder(HKEY_LOCAL_MACHINE, "Common Programs");
    const std::string user = UserPrograms();
    PlantedFolder userGroup(user + "\\" + tag + "_UserGroup");
    PlantedFolder commonGroup(common + "\\" + tag + "_CommonGroup");

    Planted planted;
    const std::string machineGone = "\"C:\\" + tag + "\\Old\\upd.exe\" /background";
    const std::string userGone = "C:\\" + tag + "\\user.exe /tray";
    planted.Value(HKEY_LOCAL_MACHINE, kRun, tag + "_Gone", machineGone);
    planted.Value(HKEY_LOCAL_MACHINE, kRun, tag + "_Present", "\"" + program.Path() + "\" -min");
    planted.Value(HKEY_LOCAL_MACHINE, kRun, tag + "_Rundll", "rundll32.exe C:\\" + tag + "\\gone.dll,Start");
    planted.Value(HKEY_LOCAL_MACHINE, kRun, tag + "_Empty", "");
    planted.Value(HKEY_CURRENT_USER, kRun, tag + "_UserGone", userGone);
    planted.Value(HKEY_CURRENT_USER, kRun, tag + "_Expanded", "%SystemRoot%\\system32\\notepad.exe /x",
                  REG_EXPAND_SZ);
    planted.Dword(HKEY_CURRENT_USER, kRun, tag + "_Number", 1);
    planted.Value(HKEY_CURRENT_USER, kRun, "", "C:\\" + tag + "\\default.exe");  // the default value is no item
    planted.Key(HKEY_CURRENT_USER, kMenuOrder + "\\" + tag + "_GoneGroup");
    planted.Key(HKEY_CURRENT_USER, kMenuOrder + "\\" + tag + "_UserGroup");
    planted.Key(HKEY_CURRENT_USER, kMenuOrder2 + "\\" + tag + "_CommonGroup");
    planted.Key(HKEY_CURRENT_USER, kMenuOrder2 + "\\" + tag + "_GoneGroup2");

    RecordingWindow window;
    CRegistryProblemArray problems;
    TestScanner engine(problems, window);
    engine.ScanStartupItems();

    const std::set<std::string> expected = {
        Text("HKEY_LOCAL_MACHINE\\" + kRun, tag + "_Gone", machineGone),
        Text("HKEY_CURRENT_USER\\" + kRun, tag + "_UserGone", userGone),
        Text("HKEY_CURRENT_USER\\" + kMenuOrder, tag + "_GoneGroup", common + "\\" + tag + "_GoneGroup"),
        Text("HKEY_CURRENT_USER\\" + kMenuOrder2, tag + "_GoneGroup2", common + "\\" + tag + "_GoneGroup2"),
    };
    EXPECT_EQ(Found(problems, tag, REGPROBLEM_STARTUP), expected);

    // The second order key announces both folders tested for each group.
    const std::set<std::string> paths = ScanPaths(window);
    EXPECT_EQ(paths.count(user + "\\" + tag + "_GoneGroup2"), 1u);
    EXPECT_EQ(paths.count(common + "\\" + tag + "_GoneGroup2"), 1u);
    EXPECT_EQ(paths.count(user + "\\" + tag + "_GoneGroup"), 0u);

    const auto after = AfterCancelAtFirstProblem([](enginetest::TestScanner& e) { e.ScanStartupItems(); });
    EXPECT_EQ(after.first, 0);
}

TEST(StartupScanner, MenuGroupsAreNotJudgedWithoutTheAllUsersFolder)
{
    testsupport::SharedStateLock sharedState;
    enginetest::FixedKeysLock fixedKeys;
    const std::string tag = testsupport::UniqueName("KdxMenu");
    Planted planted;
    planted.Key(HKEY_CURRENT_USER, kMenuOrder + "\\" + tag + "_GoneGroup");
    const testsupport::SavedValues hidden({"Common Programs"}, HKEY_LOCAL_MACHINE, kShellFolders);
    hidden.Remove();

    RecordingWindow window;
    CRegistryProblemArray problems;
    TestScanner engine(problems, window);
    engine.ScanStartupItems();

    EXPECT_TRUE(Found(problems, tag, REGPROBLEM_STARTUP).empty());
    for (INT_PTR i = 0; i < problems.GetSize(); i++)
        EXPECT_NE(problems[i]->m_value.Left(1), "\\") << "a group was tested against a bare relative path";
}

TEST(ShortcutScanner, WalksTheCurrentDriveByFullPathsAndUnwindsAtACancel)
{
    // The walk starts at the root of the current folder's drive: the prefix's C: here.
    testsupport::CurrentFolder current("C:\\windows\\system32");
    RecordingWindow window;
    CRegistryProblemArray problems;
    TestScanner engine(problems, window);
    std::string cancelledAt;
    int pathsAfter = 0;
    window.onMessage = [&](const Event& e) {
        if (e.message != WM_SCAN_PATH)
            return;
        if (!cancelledAt.empty()) {
            pathsAfter++;
        } else if (std::count(e.text.begin(), e.text.end(), '\\') >= 4) {
            engine.Cancel();  // four folders below the root
            cancelledAt = e.text;
        }
    };
    engine.ScanProgramShortcuts();

    ASSERT_FALSE(cancelledAt.empty()) << "the walk never went four folders deep";
    EXPECT_EQ(pathsAfter, 0) << "the walk went on after the cancel at " << cancelledAt;
    for (const Event& e : window.events) {
        if (e.message == WM_SCAN_PATH) {
            EXPECT_EQ(e.text.compare(0, 3, "C:\\"), 0) << e.text;
            EXPECT_EQ(e.text.find("\\\\"), std::string::npos) << e.text;
        }
    }

    // The flag stays set: run again, the walk reads nothing.
    window.events.clear();
    window.onMessage = nullptr;
    engine.ScanProgramShortcuts();
    EXPECT_TRUE(window.events.empty());
}
