// The pure rules of the results and statistics pages: the row text of each
// category (from the program's own string table), Select All / Select None
// with the groups' counts, and the ignore-list and last-scan figures.
#include <gtest/gtest.h>
#include <memory>
#include <vector>
#include "CScanResultsPage.h"
#include "CStatistic.h"

namespace {

TEST(ResultsPage, RowTextOfEveryCategory)
{
    const CString red = "<font color=#ff0000><b>";
    const CString file = red + "The file referenced doesn't exist.</b></font><br>Key:";
    const CString cls = red + "The following App ID or CLSID referenced doesn't exist.</b></font><br>Key:";
    const CString run = red + "The program referenced doesn't exist.</b></font><br><b>Key:</b> ";
    struct Case {
        const char *key, *name, *value;
        int category;
        CString expected;
    };
    const Case cases[] = {
        // COM: a file value is cut before its first comma; an AppID or a key
        // ending in CLSID takes the class text with the whole value.
        {"HKEY_CLASSES_ROOT\\C\\I", "", "c:\\a.dll,2", 0, file + "HKEY_CLASSES_ROOT\\C\\I<br>(Default)=c:\\a.dll"},
        {"HKEY_CLASSES_ROOT\\A", "AppID", "{9},1", 0, cls + "HKEY_CLASSES_ROOT\\A<br>AppID={9},1"},
        {"HKEY_CLASSES_ROOT\\x\\CLSID", "", "{8}", 0, cls + "HKEY_CLASSES_ROOT\\x\\CLSID<br>(Default)={8}"},
        {"HKEY_LOCAL_MACHINE\\U", "App", "c:\\u.exe", 1,
         red + "The uninstall key is invalid. The file referenced (c:\\u.exe) doesn't exist.</b></font>"
               "<br><b>Key:</b> HKEY_LOCAL_MACHINE\\U<br>App=c:\\u.exe"},
        {"HKEY_LOCAL_MACHINE\\S", "c:\\s.dll", "1", 3,
         red + "The file (c:\\s.dll) doesn't exist.</b></font><br><b>Key:</b>HKEY_LOCAL_MACHINE\\S<br>Value: c:\\s.dll"},
        {"HKEY_LOCAL_MACHINE\\A", "p.exe", "c:\\p.exe", 4, file + "HKEY_LOCAL_MACHINE\\A<br>p.exe=c:\\p.exe"},
        {"HKEY_LOCAL_MACHINE\\H", "h.hlp", "c:\\help", 5,
         red + "The help file referenced (c:\\help\\h.hlp) doesn't exist.</b></font><br><b>Key:</b> "
               "HKEY_LOCAL_MACHINE\\H<br>h.hlp=c:\\help"},
        {"HKEY_CURRENT_USER\\Run", "T", "c:\\t.exe /m", 6, run + "HKEY_CURRENT_USER\\Run<br>T=c:\\t.exe /m"},
        {"HKEY_USERS\\P", "", "c:\\f.txt", 7, file + "HKEY_USERS\\P<br>(Default)=c:\\f.txt"},
        // The last three keep their line feeds.
        {"c:\\a.lnk", "", "c:\\g.exe", 8,
         red + "There are 1 or more invalid shortcuts.</b></font>\nPath: c:\\a.lnk\nTarget: c:\\g.exe"},
        {"HKEY_USERS\\E", "", "", 9, "There are one or more empty registry keys.\nKey:HKEY_USERS\\E"},
        {"HKEY_CLASSES_ROOT\\.x", "", "xf", 10,
         "The File Association xf  points one or ore invalid file program associations.\nKey:HKEY_CLASSES_ROOT\\.x"
         "\n(Default)=xf"},
        // Registry texts are inserted as they stand: no codes are read in them.
        {"HKEY_CURRENT_USER\\%1!s!", "%2", "%s%n", 6, run + "HKEY_CURRENT_USER\\%1!s!<br>%2=%s%n"},
        {"HKEY_USERS\\X", "", "", 11, ""},
    };
    for (const Case& c : cases) {
        CRegistryProblem problem(c.key, c.name, c.value, c.category);
        EXPECT_STREQ(CScanResultsPage::FormatProblemText(problem), c.expected) << c.key;
    }
}

TEST(ResultsPage, SelectAllSkipsFilePathsEmptyKeysAndUngroupedProblemsAndCountsFollow)
{
    // Problems of categories 2, 7, 9 and 4; category 4 has no group.
    const int categoriesOfProblems[] = {2, 7, 2, 9, 4};
    std::vector<std::unique_ptr<CRegistryProblem>> owned;
    CRegistryProblemArray problems;
    for (int category : categoriesOfProblems) {
        owned.push_back(std::make_unique<CRegistryProblem>("HKEY_USERS\\K", "v", "d", category));
        problems.Add(owned.back().get());
    }
    CScanCategory fonts("Fonts", 2), files("Files", 7), empty("Empty", 9);
    CScanCategoryArray groups;
    for (CScanCategory* group : {&fonts, &files, &empty}) {
        groups.Add(group);
        group->count = group->selectedCount = group == &fonts ? 2 : 1;
    }
    EXPECT_EQ(CScanResultsPage::CountChecked(problems), 5);

    CScanResultsPage::SelectNone(problems, groups);
    for (const auto& problem : owned)
        EXPECT_FALSE(problem->m_checked);
    EXPECT_EQ(fonts.selectedCount + files.selectedCount + empty.selectedCount, 0);
    EXPECT_EQ(CScanResultsPage::CountChecked(problems), 0);

    CScanResultsPage::SelectAll(problems, groups);
    const bool expected[] = {true, false, true, false, false};
    for (size_t i = 0; i < owned.size(); ++i)
        EXPECT_EQ(owned[i]->m_checked != 0, expected[i]) << "problem " << i;
    EXPECT_EQ(fonts.selectedCount, 2);
    EXPECT_EQ(files.selectedCount, 0);
    EXPECT_EQ(empty.selectedCount, 0);
    // A second press changes nothing; a problem outside 0 to 10 never counts.
    CScanResultsPage::SelectAll(problems, groups);
    EXPECT_EQ(fonts.selectedCount, 2);
    owned[4]->m_checked = TRUE;
    owned[4]->m_category = 12;
    EXPECT_EQ(CScanResultsPage::CountChecked(problems), 2);
}

TEST(StatisticsPage, IgnoredCountsAndLastScanText)
{
    struct Case {
        std::vector<int> types;
        std::vector<int> expected;  // counts of categories 0 to 10
    };
    const Case cases[] = {
        {{}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {{6, 6, 0, 10}, {1, 0, 0, 0, 0, 0, 2, 0, 0, 0, 1}},
        // Removed entries and numbers no category has count nowhere.
        {{-1, 11, 1000, -7, 3}, {0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        CIgnoreTypeArray types;
        for (int type : c.types)
            types.Add(static_cast<REGPROBLEM_TYPE>(type));
        int counts[REGPROBLEM_TYPE_COUNT];
        CStatistic::CountIgnored(types, counts);
        EXPECT_EQ(std::vector<int>(counts, counts + REGPROBLEM_TYPE_COUNT), c.expected);
    }
    EXPECT_STREQ(CStatistic::LastScanText(""), "Never");
    EXPECT_STREQ(CStatistic::LastScanText("Dec 07, 2026 02:30:00"), "Dec 07, 2026 02:30:00");
}

}  // namespace
