// The pure rules of the results and statistics pages: the row text of each
// category (from the program's own string table), Select All / Select None
// with the groups' counts, and the ignore-list and last-scan figures. Then
// both pages made from their own templates: the results page over the
// application's problem array, driven through its list and buttons, and the
// statistics page over the settings store.
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>
#include "CRegistryCleanerApp.h"
#include "CScanResultsPage.h"
#include "CStatistic.h"
#include "RegistrySettings.h"
#include "TestSupport.h"

namespace {

// A plain hidden window of the test thread: the parent of the pages made here.
HWND PageParent()
{
    static HWND parent = [] {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "KeldrixPagesTestParent";
        RegisterClassA(&wc);
        return CreateWindowExA(0, wc.lpszClassName, "", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr,
                               wc.hInstance, nullptr);
    }();
    return parent;
}

CString ControlText(const CWnd& page, UINT id)
{
    char text[256] = "";
    ::GetDlgItemTextA(page.m_hWnd, id, text, sizeof text);
    return text;
}

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

// The results page as the main window shows it, over the application's own
// problem array. Every showing (Back, then Next, included) rebuilds the groups
// from the problems' ticks as they stand.
class ResultsPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(nullptr, PageParent());
        ASSERT_EQ(0, theApp.m_problems.GetSize());
        ASSERT_TRUE(page.Create(CWnd::FromHandle(PageParent())));
        list = ::GetDlgItem(page.m_hWnd, IDC_RESULTS_LIST);
        ASSERT_NE(nullptr, list);
    }
    void TearDown() override
    {
        page.DestroyWindow();
        for (INT_PTR i = 0; i < theApp.m_problems.GetSize(); ++i)
            delete theApp.m_problems[i];
        theApp.m_problems.RemoveAll();
    }

    CRegistryProblem* Add(const char* name, int category)
    {
        CRegistryProblem* problem = new CRegistryProblem("HKEY_LOCAL_MACHINE\\Fonts", name, "C:\\Gone\\x.ttf", category);
        theApp.m_problems.Add(problem);
        return problem;
    }
    // The height of the rows shown, as the list's scroll range holds it.
    int ShownHeight() const
    {
        SCROLLINFO info = {};
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE;
        ::GetScrollInfo(list, SB_VERT, &info);
        return info.nMax;
    }
    void Click(int x, int y) const
    {
        ::SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        ::SendMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }
    void Press(UINT button) const
    {
        ::SendMessageA(page.m_hWnd, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(page.m_hWnd, button)));
    }
    CString Counter() const { return ControlText(page, IDC_RESULTS_COUNTER); }

    CScanResultsPage page;
    HWND list = nullptr;
};

TEST_F(ResultsPageTest, AfterARebuildTheHeaderBoxAndTheCounterFollowTheRealTicks)
{
    // Three fonts of one group, then a File Path problem, each group a header
    // of one line. The fonts' rows are alike: one height each.
    CRegistryProblem* fonts[] = {Add("a.ttf", REGPROBLEM_FONT), Add("b.ttf", REGPROBLEM_FONT),
                                 Add("c.ttf", REGPROBLEM_FONT)};
    CRegistryProblem* file = Add("d.txt", REGPROBLEM_FILEPATH);
    page.BuildCategories();
    EXPECT_STREQ(Counter(), "4 of 4 Errors Selected for Repair");
    const int header = ShownHeight() / 2;
    ASSERT_GT(header, 16);
    const int mid = header / 2;  // the glyph and the box of the first header

    // The fonts' group opened; the second font's box unticked.
    Click(10, mid);
    const int row = (ShownHeight() - 2 * header) / 3;
    ASSERT_GT(row, 16);
    Click(25, header + row + row / 2);
    ASSERT_FALSE(fonts[1]->m_checked);
    EXPECT_STREQ(Counter(), "3 of 4 Errors Selected for Repair");

    // Back and Next: the groups anew, the untick kept and counted.
    page.BuildCategories();
    EXPECT_STREQ(Counter(), "3 of 4 Errors Selected for Repair");
    EXPECT_EQ(2 * header, ShownHeight()) << "the groups start closed";
    // The header box of a partly ticked group ticks the whole group; then clears it.
    Click(25, mid);
    for (CRegistryProblem* font : fonts)
        EXPECT_TRUE(font->m_checked) << font->m_valueName;
    EXPECT_STREQ(Counter(), "4 of 4 Errors Selected for Repair");
    Click(25, mid);
    for (CRegistryProblem* font : fonts)
        EXPECT_FALSE(font->m_checked) << font->m_valueName;
    EXPECT_STREQ(Counter(), "1 of 4 Errors Selected for Repair");

    // Select All leaves the File Path problem as it is: cleared, it stays out of the count.
    Press(IDC_RESULTS_SELECT_NONE);
    EXPECT_STREQ(Counter(), "0 of 4 Errors Selected for Repair");
    Press(IDC_RESULTS_SELECT_ALL);
    EXPECT_FALSE(file->m_checked);
    EXPECT_STREQ(Counter(), "3 of 4 Errors Selected for Repair");
}

// "Errors Cleaned" adds up the fixed column; "ErrorsFixed" and "FixedTotals",
// which the fix writes beside it, are not read for it.
TEST(StatisticsPage, ErrorsCleanedIsTheSumOfTheFixedColumn)
{
    testsupport::SharedStateLock lock;
    std::vector<std::string> names(g_fixedCountNames, g_fixedCountNames + REGPROBLEM_TYPE_COUNT);
    names.push_back(SETTING_ERRORSFIXED);
    names.push_back(SETTING_FIXEDTOTALS);
    testsupport::SavedValues saved(names);
    const int fixedCounts[REGPROBLEM_TYPE_COUNT] = {1, 0, 2, 0, 0, 0, 4, 0, 0, 0, 0};
    for (int i = 0; i < REGPROBLEM_TYPE_COUNT; ++i)
        SetRegistrySettingInt(SETTINGS_PRODUCT, g_fixedCountNames[i], fixedCounts[i]);
    SetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_ERRORSFIXED, 5);
    SetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_FIXEDTOTALS, 8);

    CStatistic page;
    ASSERT_TRUE(page.Create(CWnd::FromHandle(PageParent())));
    EXPECT_STREQ(ControlText(page, IDC_STAT_FIXED_STARTUP), "4");
    EXPECT_STREQ(ControlText(page, IDC_STAT_ERRORS_CLEANED), "Errors Cleaned: 7");
    // Each showing reads the column afresh.
    SetRegistrySettingInt(SETTINGS_PRODUCT, g_fixedCountNames[REGPROBLEM_COM], 3);
    page.FillPage();
    EXPECT_STREQ(ControlText(page, IDC_STAT_ERRORS_CLEANED), "Errors Cleaned: 9");
    page.DestroyWindow();
}

}  // namespace
