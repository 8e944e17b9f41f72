// The startup scanners: Run commands and Start-menu order entries, and the
// walk of the program shortcuts (the shortcut finds themselves are checked
// end to end by scan_shortcuts.sh on a small mapped drive).
#include <gtest/gtest.h>
#include "EngineTestSupport.h"
#include <shlobj.h>

using enginetest::AfterCancelAtFirstProblem;
using enginetest::Found;
using enginetest::Planted;
using enginetest::PlantedFile;
using enginetest::PlantedFolder;
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

// Saves a shell link to a file that is not there.
void SaveBrokenLink(const std::string& path)
{
    CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        link->SetPath((path + "_target\\gone.exe").c_str());
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            file->Save(wide, TRUE);
            file->Release();
        }
        link->Release();
    }
    CoUninitialize();
}

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
    // A broken shortcut four folders below the root, where the walk is cancelled.
    const std::string top = "C:\\" + testsupport::UniqueName("KdxWalk");
    PlantedFolder folder1(top), folder2(top + "\\a"), folder3(top + "\\a\\b"), folder4(top + "\\a\\b\\c");
    const std::string link = top + "\\a\\b\\c\\gone.lnk";
    SaveBrokenLink(link);
    RecordingWindow window;
    CRegistryProblemArray problems;
    TestScanner engine(problems, window);
    std::string cancelledAt;
    int messagesAfter = 0;
    window.onMessage = [&](const Event& e) {
        if (!cancelledAt.empty()) {
            messagesAfter += e.message == WM_SCAN_PATH || e.message == WM_PROBLEM_FOUND;
        } else if (e.message == WM_PROBLEM_FOUND && e.text.compare(0, link.size() + 1, link + "|") == 0) {
            engine.Cancel();
            cancelledAt = e.text;
        }
    };
    engine.ScanProgramShortcuts();
    DeleteFileA(link.c_str());

    ASSERT_FALSE(cancelledAt.empty()) << "the walk never found " << link;
    EXPECT_EQ(messagesAfter, 0) << "the walk went on after the cancel at " << cancelledAt;
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
