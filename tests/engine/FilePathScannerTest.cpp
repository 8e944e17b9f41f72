// The file path scanner: text values of HKEY_LOCAL_MACHINE and HKEY_USERS
// that begin with a drive path naming nothing that exists.
#include <gtest/gtest.h>
#include "EngineTestSupport.h"
#include <cstdio>

using enginetest::Found;
using enginetest::FoundInOrder;
using enginetest::Leaf;
using enginetest::Planted;
using enginetest::PlantedFile;
using enginetest::PlantedFolder;
using enginetest::RegistryCase;
using enginetest::TestScanner;
using enginetest::Text;
using enginetest::Event;
using enginetest::RecordingWindow;

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
    enginetest::FixedKeysLock fixedKeys;
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
    TestScanner engine(problems, window);
    engine.ScanFilePaths();

    const std::string userKey =
        "HKEY_USERS\\" + RegistryCase(HKEY_USERS, enginetest::UserHiveName() + "\\" + user.SubKey());
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

// A cancel at the first of a key's broken values: none of the others is judged.
TEST(FilePathScanner, NothingIsJudgedAfterACancel)
{
    const std::string tag = testsupport::UniqueName("KdxPathStop");
    testsupport::TestKey key;
    for (const char* name : {"a", "b", "c"})
        SetText(key, "", name, "C:\\" + tag + "\\" + name + ".exe");
    EXPECT_EQ(enginetest::AfterCancelAtFirstProblem([](TestScanner& e) { e.ScanFilePaths(); }, tag).first, 0);
}
