// The scanners' own rules that the end-to-end scripts do not reach (each
// category's main find is fix_all.sh's, the shortcut finds scan_shortcuts.sh's):
// nothing is stored after a cancel, the fonts rule, menu groups without the
// all-users folder, and the drive walk of the program shortcuts.
#include <gtest/gtest.h>
#include "EngineTestSupport.h"
#include <shlobj.h>

using enginetest::AfterCancelAtFirstProblem;
using enginetest::Event;
using enginetest::Found;
using enginetest::Planted;
using enginetest::PlantedFile;
using enginetest::PlantedFolder;
using enginetest::RecordingWindow;
using enginetest::TestScanner;

namespace {

const std::string kShellFolders = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const std::string kMenuOrder =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs";

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

}  // namespace

// A cancel at a scanner's find: nothing is judged or stored after it (a key
// whose last child was the find at the cancel is not "empty" afterwards), and
// a scan cancelled before it starts walks nothing.
TEST(ScannerRules, NothingIsStoredAfterACancel)
{
    testsupport::SharedStateLock lock;  // no other class walk while ours plants and walks
    const std::string tag = testsupport::UniqueName("KdxStop");
    testsupport::TestKey key;
    key.CreateKey("holder\\last");
    for (const char* name : {"a", "b", "c"}) {
        const std::string path = "C:\\" + tag + "\\" + name + ".exe";
        key.Set("", name, REG_SZ, path.c_str(), static_cast<DWORD>(path.size() + 1));
    }
    const struct {
        void (*scan)(TestScanner&);
        std::string mark;
        bool noPathsAfter;  // nor is any path walked after it
    } cases[] = {
        {[](TestScanner& e) { e.ScanEmptyKeys(); }, enginetest::Leaf(key.SubKey()) + "\\holder\\last|", true},
        {[](TestScanner& e) { e.ScanFilePaths(); }, tag, false},
    };
    for (const auto& c : cases) {
        const auto after = AfterCancelAtFirstProblem(c.scan, c.mark);
        EXPECT_EQ(after.first, 0) << c.mark;
        EXPECT_TRUE(!c.noPathsAfter || after.second == 0) << c.mark;
    }

    RecordingWindow window;
    CRegistryProblemArray problems;
    TestScanner engine(problems, window);
    engine.Cancel();
    engine.ScanComActiveX();
    EXPECT_EQ(problems.GetSize(), 0);
    EXPECT_TRUE(window.events.empty());
}

// The fonts rule itself, for every way the two fonts folders may be known.
TEST(FontScanner, RuleWithOneOrNeitherFolderKnown)
{
    struct Rules : CRegScanner {
        using CRegScanner::IsFontMissing;
    };
    testsupport::TempDir user, shell;
    PlantedFile inUser(user.File("u.kdx")), inShell(shell.File("s.kdx"));
    const CString u(user.Path().c_str()), s(shell.Path().c_str());
    const struct {
        const char* file;
        const CString* userFolder;
        const CString* shellFolder;
        bool missing;
    } cases[] = {
        {"u.kdx", &u, &s, false}, {"s.kdx", &u, &s, false}, {"gone.kdx", &u, &s, true},
        {"u.kdx", &u, nullptr, false}, {"s.kdx", &u, nullptr, true}, {"gone.kdx", &u, nullptr, true},
        {"s.kdx", nullptr, &s, false}, {"u.kdx", nullptr, &s, true}, {"gone.kdx", nullptr, &s, true},
        {"gone.kdx", nullptr, nullptr, false}, {"", &u, &s, false},
        {inUser.Path().c_str(), nullptr, &s, false}, {"C:\\kdx_gone\\gone.kdx", &u, &s, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Rules::IsFontMissing(c.file, c.userFolder, c.shellFolder) != FALSE, c.missing)
            << c.file << " user " << (c.userFolder != nullptr) << " shell " << (c.shellFolder != nullptr);
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
