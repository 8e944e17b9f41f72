// The key scanners: empty keys of the users' hives, and file extensions
// whose open command names a program that is gone. Other tests plant keys
// under HKCU\Software\KeldrixTests at the same time; only this test's own
// keys are checked.
#include <gtest/gtest.h>
#include "EngineTestSupport.h"
#include <algorithm>

using enginetest::AfterCancelAtFirstProblem;
using enginetest::Found;
using enginetest::FoundInOrder;
using enginetest::Leaf;
using enginetest::Planted;
using enginetest::PlantedFile;
using enginetest::RegistryCase;
using enginetest::TestScanner;
using enginetest::Text;
using enginetest::RecordingWindow;

namespace {

std::string EmptyKey(const std::string& key)
{
    return Text(key, "(Default)", "");
}

}  // namespace

TEST(EmptyKeyScanner, ReportsKeysThatHoldNothingChildrenFirst)
{
    // Planting under the default user's hive may create keys that others remove.
    enginetest::FixedKeysLock fixedKeys;
    testsupport::TestKey test;
    test.CreateKey("empty");
    test.CreateKey("holder\\a");
    test.CreateKey("holder\\b");
    test.CreateKey("mixed\\empty");
    test.SetDword("mixed\\valued", "v", 1);
    test.SetDword("valued", "v", 1);
    test.SetDword("valuedParent", "v", 1);
    test.CreateKey("valuedParent\\empty");
    test.CreateKey("Software\\Classes\\notExamined");
    test.CreateKey("kept\\ignored");
    // The default user's hive is not walked; the users' hives after it are.
    const std::string tag = testsupport::UniqueName("KdxEmpty");
    Planted defaultUser;
    defaultUser.Key(HKEY_USERS, ".Default\\Software\\KeldrixTests\\" + tag + "\\empty");
    defaultUser.KeyValue(HKEY_USERS, ".Default\\Software\\KeldrixTests\\" + tag, "v", "1");

    const std::string key =
        "HKEY_USERS\\" + RegistryCase(HKEY_USERS, enginetest::UserHiveName() + "\\" + test.SubKey());
    // A key the user keeps is not empty for its parent.
    CStringArray ignoreTexts;
    CIgnoreTypeArray ignoreTypes;
    ignoreTexts.Add((key + "\\kept\\ignored\\(Default)|").c_str());
    ignoreTypes.Add(REGPROBLEM_EMPTYKEY);

    RecordingWindow window;
    CRegistryProblemArray problems;
    TestScanner engine(problems, window, &ignoreTexts, &ignoreTypes);
    engine.ScanEmptyKeys();

    const std::vector<std::string> found = FoundInOrder(problems, Leaf(test.SubKey()), REGPROBLEM_EMPTYKEY);
    const std::set<std::string> expected = {
        EmptyKey(key + "\\empty"),        EmptyKey(key + "\\holder\\a"),        EmptyKey(key + "\\holder\\b"),
        EmptyKey(key + "\\holder"),       EmptyKey(key + "\\mixed\\empty"),     EmptyKey(key + "\\valuedParent\\empty"),
    };
    EXPECT_EQ(std::set<std::string>(found.begin(), found.end()), expected);
    EXPECT_EQ(found.size(), expected.size()) << "a key was reported twice";
    const auto at = [&found](const std::string& text) { return std::find(found.begin(), found.end(), text); };
    EXPECT_LT(at(EmptyKey(key + "\\holder\\a")), at(EmptyKey(key + "\\holder")));
    EXPECT_LT(at(EmptyKey(key + "\\holder\\b")), at(EmptyKey(key + "\\holder")));
    EXPECT_TRUE(Found(problems, tag, REGPROBLEM_EMPTYKEY).empty()) << "the default user's hive was walked";
    for (INT_PTR i = 0; i < problems.GetSize(); i++)
        EXPECT_NE(std::string(problems[i]->m_key).find('\\'), std::string::npos) << "a hive root was reported";

    const auto after = AfterCancelAtFirstProblem([](enginetest::TestScanner& e) { e.ScanEmptyKeys(); });
    EXPECT_EQ(after.first, 0);
    EXPECT_EQ(after.second, 0);
}

// The cancel comes with holder's only child: holder, now "empty", must not follow.
TEST(EmptyKeyScanner, AKeyWhoseLastChildWasReportedAtTheCancelIsNot)
{
    testsupport::TestKey test;
    test.CreateKey("holder\\last");
    const std::string mark = Leaf(test.SubKey()) + "\\holder\\last|";
    EXPECT_EQ(AfterCancelAtFirstProblem([](TestScanner& e) { e.ScanEmptyKeys(); }, mark).first, 0);
}

TEST(FileAssociationScanner, ReportsExtensionsWhoseProgramIsGone)
{
    const std::string tag = testsupport::UniqueName("kdxext");
    testsupport::TempDir temp;
    PlantedFile viewer(temp.File(tag + "_viewer.exe"));
    Planted planted;
    const auto associate = [&](const std::string& suffix, const std::string& command, DWORD type = REG_SZ) {
        const std::string className = tag + suffix + "file";
        planted.KeyValue(HKEY_CLASSES_ROOT, "." + tag + suffix, "", className);
        if (!command.empty())
            planted.KeyValue(HKEY_CLASSES_ROOT, className + "\\shell\\open\\command", "", command, type);
        planted.Key(HKEY_CLASSES_ROOT, className);
    };
    associate("gone", "\"C:\\" + tag + "\\Gone\\abc.exe\" \"%1\"");
    associate("unquoted", "C:\\" + tag + "\\Gone\\view.exe %1");
    associate("present", "\"" + viewer.Path() + "\" \"%1\"");
    associate("expanded", "%SystemRoot%\\system32\\notepad.exe %1", REG_EXPAND_SZ);
    associate("nocommand", "");
    associate("nodrive", tag + "_viewer.exe %1");
    planted.KeyValue(HKEY_CLASSES_ROOT, "." + tag + "noclass", "", "");

    RecordingWindow window;
    CRegistryProblemArray problems;
    TestScanner engine(problems, window);
    engine.ScanFileAssociations();

    const std::set<std::string> expected = {
        Text("HKEY_CLASSES_ROOT\\." + tag + "gone", "(Default)", tag + "gonefile"),
        Text("HKEY_CLASSES_ROOT\\." + tag + "unquoted", "(Default)", tag + "unquotedfile"),
    };
    EXPECT_EQ(Found(problems, tag, REGPROBLEM_FILEASSOC), expected);

    const auto after = AfterCancelAtFirstProblem([](enginetest::TestScanner& e) { e.ScanFileAssociations(); });
    EXPECT_EQ(after.first, 0);
    EXPECT_EQ(after.second, 0);
}
