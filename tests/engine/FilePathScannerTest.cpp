// The file path scanner: text values of HKEY_LOCAL_MACHINE and HKEY_USERS
// that begin with a drive path naming nothing that exists.
#include <gtest/gtest.h>
#include "ScannerTestSupport.h"
#include <cstdio>

using scannertest::Found;
using scannertest::FoundInOrder;
using scannertest::Leaf;
using scannertest::Planted;
using scannertest::PlantedFile;
using scannertest::PlantedFolder;
using scannertest::RegistryCase;
using scannertest::Scanner;
using scannertest::Text;
using scantest::Event;
using scantest::RecordingWindow;

namespace {

std::string Expanded(const char* text)
{
    char expanded[MAX_PATH];
    const DWORD length = ExpandEnvironmentStringsA(text, expanded, sizeof expanded);
    if (length == 0 || length > sizeof expanded)
        throw std::runtime_error(std::string("cannot expand ") + text);
    return expanded;
}

void SetText(const testsupport::TestKey& key, const std::string& rel, const char* name, const std::string& text,
             DWORD type = REG_SZ)
{
    key.Set(rel, name, type, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

}  // namespace

TEST(FilePathScanner, ReportsDrivePathsThatAreGoneAndPassesTheHealthyOnes)
{
    // Planting under the default user's hive may create keys that others remove.
    scannertest::FixedKeysLock fixedKeys;
    const std::string tag = testsupport::UniqueName("KdxPath");
    const std::string gone = "C:\\" + tag + "\\";
    testsupport::TempDir temp;
    PlantedFile tool(temp.File(tag + "_tool.exe"));
    PlantedFile library(temp.File(tag + "_lib.dll"));
    PlantedFile text(temp.File(tag + "_present.txt"));
    PlantedFolder appFolder(temp.File(tag + " My App"));
    PlantedFile app(temp.File(tag + " My App\\app.exe"));
    testsupport::TestKey user;
    testsupport::TestKey machine(HKEY_LOCAL_MACHINE);
    Planted defaultUser;

    // Values are read in name order: the over-long one comes first.
    SetText(user, "", "a_long", gone + std::string(1100, 'x') + ".exe");
    SetText(user, "", "b_gone", gone + "Program Files\\Gone\\app.exe -min");
    SetText(user, "", "c_quoted", "\"" + tool.Path() + "\" /s");
    SetText(user, "", "d_arguments", app.Path() + " -a -b");
    SetText(user, "", "e_folder", temp.File(tag + " My App") + "\\");
    SetText(user, "", "f_expanded", "%SystemRoot%\\system32\\kernel32.dll");
    SetText(user, "", "g_list", gone + "a;b");
    SetText(user, "", "h_present_list", text.Path() + ";" + gone + "other");
    SetText(user, "", "i_wildcard", "D:\\" + tag + "?y");
    SetText(user, "", "j_colon", gone + "a:b");
    user.Set("", "k_binary", REG_BINARY, gone.c_str(), static_cast<DWORD>(gone.size()));
    SetText(user, "", "l_short", "C:");
    SetText(user, "", "m_expand", "%SystemRoot%\\" + tag + "\\gone.exe", REG_EXPAND_SZ);
    SetText(user, "", "n_resource", library.Path() + "\\1");
    SetText(user, "", "o_quoted_gone", "\"" + gone + "quoted.exe\" /s");
    SetText(user, "", "p_rundll", "C:\\windows\\system32\\rundll32.exe " + gone + "x.dll,Run");
    SetText(user, "sub\\deeper", "q_deep", gone + "deep.exe");
    SetText(machine, "", "r_machine", gone + "machine.exe");
    // The default user's profile is not walked; the users' hives after it are.
    defaultUser.KeyValue(HKEY_USERS, ".Default\\Software\\KeldrixTests\\" + tag, "s_default", gone + "default.exe");

    RecordingWindow window;
    CRegistryProblemArray problems;
    Scanner engine(problems, window);
    engine.ScanFilePaths();

    const std::string userKey =
        "HKEY_USERS\\" + RegistryCase(HKEY_USERS, scannertest::UserHiveName() + "\\" + user.SubKey());
    const std::string machineKey = "HKEY_LOCAL_MACHINE\\" + RegistryCase(HKEY_LOCAL_MACHINE, machine.SubKey());
    const std::set<std::string> expected = {
        Text(userKey, "b_gone", gone + "Program Files\\Gone\\app.exe -min"),
        Text(userKey, "g_list", gone + "a;b"),
        Text(userKey, "m_expand", Expanded("%SystemRoot%") + "\\" + tag + "\\gone.exe"),
        Text(userKey, "o_quoted_gone", gone + "quoted.exe"),
        Text(userKey + "\\sub\\deeper", "q_deep", gone + "deep.exe"),
        Text(machineKey, "r_machine", gone + "machine.exe"),
    };
    std::set<std::string> found = Found(problems, tag, REGPROBLEM_FILEPATH);
    for (const std::string& mark : {Leaf(user.SubKey()), Leaf(machine.SubKey())}) {
        const std::set<std::string> more = Found(problems, mark, REGPROBLEM_FILEPATH);
        found.insert(more.begin(), more.end());
    }
    EXPECT_EQ(found, expected);

    // Subkeys before the key's own values.
    const std::vector<std::string> inOrder = FoundInOrder(problems, Leaf(user.SubKey()), REGPROBLEM_FILEPATH);
    ASSERT_FALSE(inOrder.empty());
    EXPECT_EQ(inOrder.front(), Text(userKey + "\\sub\\deeper", "q_deep", gone + "deep.exe"));
}

TEST(FilePathScanner, ACancelDeepInALargeTreeReturnsAtOnce)
{
    const std::string tag = testsupport::UniqueName("KdxPathCancel");
    testsupport::TestKey tree;
    const std::string gone = "C:\\" + tag + "\\gone.exe";
    // 12 x 12 x 12 keys, each with a broken path, and a chain 30 keys deep in the middle.
    char name[32];
    for (int i = 0; i < 12; i++) {
        for (int j = 0; j < 12; j++) {
            for (int k = 0; k < 12; k++) {
                snprintf(name, sizeof name, "n%02d\\n%02d\\n%02d", i, j, k);
                SetText(tree, name, "path", gone);
            }
        }
    }
    std::string chain = "n05\\n05\\n05";
    for (int depth = 0; depth < 30; depth++) {
        snprintf(name, sizeof name, "\\d%02d", depth);
        chain += name;
    }
    SetText(tree, chain, "path", gone);

    RecordingWindow window;
    CRegistryProblemArray problems;
    Scanner engine(problems, window);
    const std::string cancelAt = Leaf(tree.SubKey()) + "\\" + chain;
    LARGE_INTEGER frequency, cancelled{}, returned;
    QueryPerformanceFrequency(&frequency);
    int pathsAfter = 0;
    // Cancelled when the deepest key's problem is announced.
    window.onMessage = [&](const Event& e) {
        if (cancelled.QuadPart != 0) {
            pathsAfter += e.message == WM_SCAN_PATH || e.message == WM_PROBLEM_FOUND;
        } else if (e.message == WM_PROBLEM_FOUND && e.text.find(cancelAt + "|") != std::string::npos) {
            engine.Cancel();
            QueryPerformanceCounter(&cancelled);
        }
    };
    engine.ScanFilePaths();
    QueryPerformanceCounter(&returned);

    ASSERT_NE(cancelled.QuadPart, 0) << "the walk never reached " << cancelAt;
    const double ms = 1000.0 * static_cast<double>(returned.QuadPart - cancelled.QuadPart)
                      / static_cast<double>(frequency.QuadPart);
    printf("file path walk returned %.3f ms after the cancel\n", ms);
    RecordProperty("CancelToReturnMs", static_cast<int>(ms + 0.5));
    EXPECT_LT(ms, 10000.0);
    EXPECT_EQ(pathsAfter, 0) << "keys were walked after the cancel";
    // The keys walked before the cancel were reported; nothing was added after it.
    const size_t reported = Found(problems, tag, REGPROBLEM_FILEPATH).size();
    EXPECT_GT(reported, 0u);
    EXPECT_LT(reported, 12u * 12u * 12u);
}
