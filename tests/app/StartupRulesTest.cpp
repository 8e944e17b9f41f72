// The pure rules of the start-up and the main window: command-line switches,
// the e-mail test, the administrator walk, the cleaning totals, the path line
// and its gate; and the progress page as the window of a real scan thread.
#include <gtest/gtest.h>
#include <functional>
#include <string>
#include <vector>
#include "../engine/EngineTestSupport.h"
#include <memory>
#include "CAbout.h"
#include "CAppConfig.h"
#include "CIgnoreListPage.h"
#include "COptionsPage.h"
#include "CRegBackup.h"
#include "CRegstartup.h"
#include "CScanResultsPage.h"
#include "CStatistic.h"
#include "CFindPage.h"
#include "CRegFindNFix.h"
#include "CRegistryCleanerApp.h"
#include "CRegistryCleanerDlg.h"
#include "CTrayIconManager.h"
#include "RegistrySettings.h"
#include "StartupRules.h"
#include "TestSupport.h"
#include "CSchedulePage.h"
#include "LogSettingsDirectory.h"
#include "LogSettingsKey.h"
#include "SysInfo.h"
#include "UserRights.h"
#include "resource.h"
#include "../classlib/ClasslibTestSupport.h"

namespace {

TEST(StartupRules, SwitchesAreCaseSensitiveSubstrings)
{
    struct Case {
        const char* commandLine;
        bool scan;
        bool tray;
    };
    const Case cases[] = {
        {"", false, false},
        {"-t", true, false},
        {"-tray", true, false},     // counts as "-t", not as "-Tray"
        {"-Tray", false, true},
        {"-Tray -t", true, true},
        {"-t -Tray", true, true},
        {"-T", false, false},
        {"/t", false, false},
        {"C:\\Program Files\\Keldrix -Trayx", false, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.scan, HasScanSwitch(c.commandLine)) << c.commandLine;
        EXPECT_EQ(c.tray, HasTraySwitch(c.commandLine)) << c.commandLine;
    }
    EXPECT_FALSE(HasScanSwitch(nullptr));
    EXPECT_FALSE(HasTraySwitch(nullptr));
}

TEST(StartupRules, EmailAddresses)
{
    struct Case {
        const char* address;
        bool valid;
    };
    const Case cases[] = {
        {"a@b.c", true},         {"ab@c.", true},         {"a@.", true},
        {"first.last@host.example", true},
        {"", false},             {"@b.c", false},          {"a@b@c.d", false},
        {"a@bc", false},         {"a.b@c", false},         {"abc", false},
        {"a.b.c", false},        {"a@b.c@", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.valid, IsValidEmailAddress(c.address)) << c.address;
}

// A TOKEN_GROUPS buffer made of well-known SIDs, as GetTokenInformation lays it out.
class GroupsBuffer {
public:
    void Add(WELL_KNOWN_SID_TYPE type, DWORD attributes)
    {
        std::vector<BYTE> sid(SECURITY_MAX_SID_SIZE);
        DWORD size = static_cast<DWORD>(sid.size());
        ASSERT_TRUE(CreateWellKnownSid(type, nullptr, sid.data(), &size));
        sid.resize(size);
        m_sids.push_back(sid);
        m_attributes.push_back(attributes);
    }
    const TOKEN_GROUPS* Build()
    {
        const size_t head = sizeof(TOKEN_GROUPS) + m_sids.size() * sizeof(SID_AND_ATTRIBUTES);
        size_t total = head;
        for (const auto& sid : m_sids)
            total += sid.size();
        m_buffer.assign(total, 0);
        TOKEN_GROUPS* groups = reinterpret_cast<TOKEN_GROUPS*>(m_buffer.data());
        groups->GroupCount = static_cast<DWORD>(m_sids.size());
        size_t offset = head;
        for (size_t i = 0; i < m_sids.size(); ++i) {
            memcpy(m_buffer.data() + offset, m_sids[i].data(), m_sids[i].size());
            groups->Groups[i].Sid = m_buffer.data() + offset;
            groups->Groups[i].Attributes = m_attributes[i];
            offset += m_sids[i].size();
        }
        return groups;
    }

private:
    std::vector<std::vector<BYTE>> m_sids;
    std::vector<DWORD> m_attributes;
    std::vector<BYTE> m_buffer;
};

TEST(UserRights, AdministratorsGroupIsFoundWhateverItsAttributes)
{
    struct Case {
        std::vector<WELL_KNOWN_SID_TYPE> groups;
        DWORD adminAttributes;
        BOOL admin;
    };
    const Case cases[] = {
        {{}, 0, FALSE},
        {{WinWorldSid, WinBuiltinUsersSid, WinAuthenticatedUserSid}, 0, FALSE},
        {{WinBuiltinAdministratorsSid}, SE_GROUP_ENABLED, TRUE},
        {{WinWorldSid, WinBuiltinUsersSid, WinBuiltinAdministratorsSid}, SE_GROUP_ENABLED, TRUE},
        {{WinBuiltinUsersSid, WinBuiltinAdministratorsSid}, SE_GROUP_USE_FOR_DENY_ONLY, TRUE},
        {{WinBuiltinPowerUsersSid, WinLocalSystemSid, WinBuiltinGuestsSid}, 0, FALSE},
    };
    for (const Case& c : cases) {
        GroupsBuffer buffer;
        for (WELL_KNOWN_SID_TYPE type : c.groups)
            buffer.Add(type, type == WinBuiltinAdministratorsSid ? c.adminAttributes : SE_GROUP_ENABLED);
        DWORD error = 1;
        EXPECT_EQ(c.admin, GroupsHoldAdministrators(buffer.Build(), &error)) << c.groups.size() << " groups";
        EXPECT_EQ(0u, error);
    }
}

TEST(UserRights, OldAndUnknownVersionsCountAsAdministratorAndTheTokenIsReadOtherwise)
{
    for (int code : {0, 1, 7, 99}) {
        BOOL admin = FALSE;
        EXPECT_EQ(0u, IsUserAdminOnVersion(code, &admin)) << code;
        EXPECT_TRUE(admin) << code;
    }
    // The test prefix's user is in BUILTIN\Administrators.
    for (int code : {104, 105}) {
        BOOL admin = FALSE;
        EXPECT_EQ(0u, IsUserAdminOnVersion(code, &admin)) << code;
        EXPECT_TRUE(admin) << code;
    }
}

TEST(MainWindowRules, CleaningTotalsDecodeUnsignedAndStopBeforeOverflow)
{
    struct Case {
        std::string text;
        ULONGLONG value;
    };
    const Case cases[] = {
        {"", 0},
        {"\x14", 0},
        {"\x15", 1},
        {"w", 99},                              // 'w' is 119: the highest two-digit digit
        {"\x14\x15", 100},
        {"\x15\x15", 101},
        {"\x15\x10\x15", 1},                    // a character below 20 ends the number
        {std::string("\xff", 1), 235},          // high characters are digits, never negative
        {std::string(9, 'w'), 999999999999999999ULL},
        {std::string(12, 'w'), 999999999999999999ULL},  // the tenth digit would overflow
        {std::string(10, '\x14') + "\x15", 0},  // so would a digit at 100^10
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.value, CRegistryCleanerDlg::DecodeCleaningTotal(CString(c.text.c_str(), (int)c.text.size())))
            << c.text.size() << " characters";
}

TEST(MainWindowRules, PathLineKeepsBothEndsOfLongPaths)
{
    const std::string sixty(60, 'p');
    EXPECT_STREQ(sixty.c_str(), CFindPage::ShortenPath(sixty.c_str()));
    std::string longer = "HKLM\\" + std::string(46, 'x') + std::string(10, '0') + "123456789\\tail";
    ASSERT_EQ(75u, longer.size());
    std::string expected = longer.substr(0, 5) + "..." + longer.substr(longer.size() - 50);
    EXPECT_STREQ(expected.c_str(), CFindPage::ShortenPath(longer.c_str()));
    const std::string sixtyOne(61, 'q');
    EXPECT_EQ(58, CFindPage::ShortenPath(sixtyOne.c_str()).GetLength());
    EXPECT_STREQ("", CFindPage::ShortenPath(""));
}

TEST(MainWindowRules, PathLineShowsAtMostOnePathPer100Ms)
{
    const struct Case {
        DWORD last;
        DWORD now;
        BOOL shown;
    } cases[] = {
        {1000, 1000, FALSE},
        {1000, 1099, FALSE},
        {1000, 1100, FALSE},  // exactly 100 ms: still dropped
        {1000, 1101, TRUE},
        {1000, 60000, TRUE},
        {0xFFFFFFC0, 0x20, FALSE},  // 96 ms across the wrap of the tick count
        {0xFFFFFFC0, 0x30, TRUE},   // 112 ms across it
        {0, 0xFFFFFFFF, TRUE},
    };
    for (const Case& c : cases) {
        DWORD last = c.last;
        EXPECT_EQ(c.shown, CFindPage::PassPathGate(c.now, last)) << c.last << " " << c.now;
        EXPECT_EQ(c.shown ? c.now : c.last, last) << c.last << " " << c.now;
    }
    // Two paths within 100 ms of each other: only the first is shown.
    DWORD last = 5000;
    EXPECT_TRUE(CFindPage::PassPathGate(5200, last));
    EXPECT_FALSE(CFindPage::PassPathGate(5250, last));
    EXPECT_FALSE(CFindPage::PassPathGate(5300, last));
    EXPECT_TRUE(CFindPage::PassPathGate(5301, last));
}

// The progress page as the window of a real scan thread (every category
// skipped), with "repairafterfind" on or off and Stop pressed on the page
// before the scan ends, or after the engine has decided on its fix but before
// the page hears of the end: the page stays locked exactly when the engine
// goes on to fix, and opens at the fix's end. The engine reports that end
// twice; the page acts on the first only.
class WatchedProgressPage : public CFindPage {
public:
    // Back and Next after each end message: "scan:open", "fix:locked"...
    std::vector<std::string> seen;
    std::function<void(UINT, LPARAM)> beforeMessage;

    BOOL IsOpen() const
    {
        return ::IsWindowEnabled(::GetDlgItem(m_hWnd, IDC_PROGRESS_BACK)) &&
               ::IsWindowEnabled(::GetDlgItem(m_hWnd, IDC_PROGRESS_NEXT));
    }
    void PressStop() { ::SendMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_PROGRESS_STOP, BN_CLICKED), 0); }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (beforeMessage)
            beforeMessage(message, lParam);
        const LRESULT result = CFindPage::WindowProc(message, wParam, lParam);
        if (message == WM_SCAN_DONE || message == WM_FIX_DONE) {
            seen.push_back(std::string(message == WM_SCAN_DONE ? "scan:" : "fix:") + (IsOpen() ? "open" : "locked"));
            // Locked again by hand after the first end of the fix: a second
            // handling of the end would open the page once more.
            if (message == WM_FIX_DONE)
                ::EnableWindow(::GetDlgItem(m_hWnd, IDC_PROGRESS_BACK), FALSE);
        }
        return result;
    }
};

using enginetest::BoundaryScanner;

TEST(ProgressPage, UnlocksOnTheEnginesDecisionEvenWithAStopAtTheBoundary)
{
    enum Stop { kNoStop, kDuringTheScan, kAtTheBoundary };
    const struct Case {
        int repairAfterFind;
        Stop stop;
        std::vector<std::string> seen;
    } cases[] = {
        {1, kAtTheBoundary, {"scan:locked", "fix:open", "fix:locked"}},
        {1, kNoStop, {"scan:locked", "fix:open", "fix:locked"}},
        {1, kDuringTheScan, {"scan:open"}},
        {0, kAtTheBoundary, {"scan:open"}},
        {0, kNoStop, {"scan:open"}},
    };
    testsupport::SharedStateLock lock;
    std::vector<std::string> names = {SETTING_LASTSCAN, SETTING_LASTFOUNDERRORS, SETTING_REPAIRAFTERFIND, SETTING_ERRS};
    names.insert(names.end(), g_foundCountNames, g_foundCountNames + REGPROBLEM_TYPE_COUNT);
    testsupport::SavedValues saved(names);
    testsupport::TempDir backups;
    HWND host = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(host, nullptr);
    CRegScanner* const savedEngine = g_pRegScanner;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "repairafterfind " << c.repairAfterFind << ", stop " << c.stop);
        SetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_REPAIRAFTERFIND, c.repairAfterFind);
        WatchedProgressPage page;
        ASSERT_TRUE(page.Create(CWnd::FromHandle(host)));
        CRegistryProblemArray problems;
        BoundaryScanner engine(problems);
        engine.SetBackupFolder((backups.Path() + "\\").c_str());
        g_pRegScanner = &engine;  // Stop cancels the program's engine
        page.ResetCategoryRows();
        EXPECT_FALSE(page.IsOpen());
        if (c.stop == kDuringTheScan)
            page.beforeMessage = [&](UINT message, LPARAM lParam) {
                if (message == WM_CATEGORY_SKIPPED && lParam == 10)
                    page.PressStop();
            };
        if (c.stop == kAtTheBoundary)
            engine.afterDecision = [&] { page.PressStop(); };  // from the scan thread, handled here
        const BYTE none[REGPROBLEM_TYPE_COUNT] = {};
        engine.SetCategories(none);
        ASSERT_TRUE(engine.StartScan(page.m_hWnd));
        ASSERT_TRUE(enginetest::RecordingWindow::PumpUntilEnded(engine.GetWorker()->m_hThread));
        g_pRegScanner = savedEngine;
        EXPECT_EQ(c.seen, page.seen);
        EXPECT_EQ(c.stop != kNoStop, page.IsCancelled());
        page.DestroyWindow();
    }
    ::DestroyWindow(host);
}

// Timer 100 of the scan categories page repaints it; other timers do not.
TEST(ScanCategoriesPage, TimerHundredRepaintsThePage)
{
    testsupport::SharedStateLock screen("KeldrixTestScreenAndMouse");
    HWND host = ::CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr, nullptr,
                                  nullptr);
    ASSERT_NE(host, nullptr);
    {
        CRegFindNFix page;
        ASSERT_TRUE(page.Create(CWnd::FromHandle(host)));
        page.ShowWindow(SW_SHOW);
        ::UpdateWindow(page.m_hWnd);
        for (UINT_PTR id : {100, 101, 200, 100}) {
            ::ValidateRect(page.m_hWnd, nullptr);
            ::SendMessageA(page.m_hWnd, WM_TIMER, id, 0);
            EXPECT_EQ(id == 100, ::GetUpdateRect(page.m_hWnd, nullptr, FALSE) != FALSE) << id;
        }
        page.DestroyWindow();
    }
    ::DestroyWindow(host);
}

TEST(MainWindowRules, SettingsSectionFollowsTheCategorySwitches)
{
    testsupport::SharedStateLock lock;
    BOOL onlyStartup[REGPROBLEM_TYPE_COUNT] = {};
    onlyStartup[6] = TRUE;
    CString text = CRegistryCleanerApp::BuildSettingsLogSection(onlyStartup);
    std::string s(text);
    EXPECT_EQ(0u, s.find("<GeneralSettings>\n<Shutdownafterclean>"));
    EXPECT_NE(std::string::npos, s.find("</GeneralSettings>\n<ScanSettings>\n<REG_COM_ACTIVEX>no</REG_COM_ACTIVEX>\n"));
    EXPECT_NE(std::string::npos, s.find("<REG_WIN_STARTUP>yes</REG_WIN_STARTUP>\n"));
    size_t no = 0;
    for (size_t at = s.find("<ScanSettings>"); (at = s.find(">no</REG_", at)) != std::string::npos; ++at)
        ++no;
    EXPECT_EQ(10u, no);
    EXPECT_EQ(s.size() - strlen("<REG_SHELL_EXTENSION>no</REG_SHELL_EXTENSION>\n</ScanSettings>\n"),
              s.find("<REG_SHELL_EXTENSION>no</REG_SHELL_EXTENSION>\n</ScanSettings>\n"));
}

TEST(TrayIconManager, StateIdsArePickedFromTheTable)
{
    CTrayIconManager tray;
    EXPECT_EQ(8001u, tray.AddState(nullptr, "a", 0));
    EXPECT_EQ(8002u, tray.AddState(nullptr, "b", 0));
    EXPECT_EQ(9000u, tray.AddState(nullptr, "c", 9000));      // a free id is kept
    EXPECT_EQ(9001u, tray.AddState(nullptr, "d", 8001));      // a taken one: the last id plus 1
    EXPECT_EQ(8003u, tray.AddState(nullptr, "e", 8003));
    EXPECT_EQ(8004u, tray.AddState(nullptr, "f", 9001));      // the last entry is now 8003
    EXPECT_EQ(6u, tray.GetStateCount());
    // A tooltip longer than the shell's field is cut, not overrun.
    tray.SetTip(8001, CString('x', 400));
    EXPECT_STREQ(CString('x', 127), tray.GetTip(8001));
    EXPECT_EQ(8005u, tray.AddState(nullptr, CString('y', 300), 0));
    EXPECT_STREQ(CString('y', 127), tray.GetTip(8005));
    EXPECT_STREQ("b", tray.GetTip(8002));
    EXPECT_STREQ("", tray.GetTip(1));
}

// The shell calls of the tray, recorded through its replaceable call.
struct ShellCall {
    DWORD message;
    NOTIFYICONDATAA data;
};
std::vector<ShellCall> g_shellCalls;
BOOL g_shellAnswer = TRUE;

BOOL WINAPI RecordShellCall(DWORD message, PNOTIFYICONDATAA data)
{
    g_shellCalls.push_back({message, *data});
    return g_shellAnswer;
}

class ShellRecorder {
public:
    ShellRecorder() : m_saved(CTrayIconManager::s_notifyIcon)
    {
        g_shellCalls.clear();
        g_shellAnswer = TRUE;
        CTrayIconManager::s_notifyIcon = &RecordShellCall;
    }
    ~ShellRecorder() { CTrayIconManager::s_notifyIcon = m_saved; }

private:
    CTrayIconManager::NotifyIconCall m_saved;
};

TEST(TrayIconManager, AddsThenModifiesOneIconAddsItAgainAfterTheTaskbarAndDeletesOnlyAShownOne)
{
    ShellRecorder shell;
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, AfxRegisterWndClass(0), "tray parent", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    const HICON grey = ::LoadIconA(nullptr, MAKEINTRESOURCEA(32512));
    const HICON red = ::LoadIconA(nullptr, MAKEINTRESOURCEA(32513));

    // Destroyed with states but no icon shown: no shell call.
    {
        CTrayIconManager unshown;
        ASSERT_TRUE(unshown.Create(&parent));
        unshown.AddState(grey, "Keldrix", 0);
        unshown.DestroyWindow();
    }
    EXPECT_TRUE(g_shellCalls.empty());

    CTrayIconManager tray;
    ASSERT_TRUE(tray.Create(&parent));
    const HWND trayWnd = tray.m_hWnd;
    const UINT noScan = tray.AddState(grey, "Keldrix", 0);
    const UINT errors = tray.AddState(red, "Keldrix - 3 error(s) were found", 0);
    EXPECT_TRUE(g_shellCalls.empty()) << "adding a state shows nothing";
    ASSERT_TRUE(tray.ShowState(noScan));
    ASSERT_TRUE(tray.ShowState(errors));
    tray.SetTip(errors, "Keldrix - 1 error(s) were found");   // reaches the shell at the next show only
    ASSERT_EQ(2u, g_shellCalls.size());
    const struct {
        DWORD message;
        HICON icon;
        const char* tip;
    } expected[] = {{NIM_ADD, grey, "Keldrix"}, {NIM_MODIFY, red, "Keldrix - 3 error(s) were found"},
                    {NIM_DELETE, red, "Keldrix - 1 error(s) were found"},
                    {NIM_ADD, red, "Keldrix - 1 error(s) were found"},
                    {NIM_DELETE, red, "Keldrix - 1 error(s) were found"}};

    // "TaskbarCreated": the shown icon is deleted and added again.
    tray.Refresh();
    ASSERT_TRUE(classlibtest::PumpUntil([] { return g_shellCalls.size() >= 4; }));
    EXPECT_FALSE(tray.KillTimer(1927)) << "the retry still runs after a good add";
    // A shell that refuses: the look is still taken for shown, and the retry is armed.
    g_shellAnswer = FALSE;
    EXPECT_FALSE(tray.ShowState(errors));
    EXPECT_TRUE(tray.KillTimer(1927));
    g_shellCalls.pop_back();
    g_shellAnswer = TRUE;
    EXPECT_FALSE(tray.ShowState(9999));
    EXPECT_TRUE(tray.KillTimer(1927)) << "an unknown look arms the retry";
    tray.DestroyWindow();
    ASSERT_EQ(5u, g_shellCalls.size());
    for (size_t i = 0; i < g_shellCalls.size(); ++i) {
        const NOTIFYICONDATAA& data = g_shellCalls[i].data;
        EXPECT_EQ(expected[i].message, g_shellCalls[i].message) << i;
        EXPECT_EQ(504u, data.cbSize) << i;
        EXPECT_EQ(trayWnd, data.hWnd) << i;
        EXPECT_EQ(1u, data.uID) << i;
        EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP), data.uFlags) << i;
        EXPECT_EQ(1924u, data.uCallbackMessage) << i;
        EXPECT_EQ(expected[i].icon, data.hIcon) << i;
        EXPECT_STREQ(expected[i].tip, data.szTip) << i;
    }
    parent.DestroyWindow();
}

// The start-up log thread reads the keys and folders from the settings
// record: they stay whole when the configuration is freed at the end of the
// process while the thread still runs.
TEST(LogStartup, SettingsRecordHoldsItsOwnKeysAndFolders)
{
    testsupport::SharedStateLock lock;
    LogSettingsConfig& config = g_appConfig.m_logSettings;
    config.RemoveAll();
    config.m_registry = TRUE;
    config.m_keys.AddTail(new LogSettingsKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Keldrix", TRUE));
    config.m_directories.AddTail(new LogSettingsDirectory("%WINDIR%\\Fonts", FALSE));
    LogSettings record;
    FillLogSettings(&record);
    config.RemoveAll();   // what the configuration's destruction does
    EXPECT_TRUE(record.m_registry);
    ASSERT_TRUE(record.m_pKeys && record.m_pDirectories);
    ASSERT_EQ(1, record.m_pKeys->GetCount());
    ASSERT_EQ(1, record.m_pDirectories->GetCount());
    const auto* key = static_cast<const LogSettingsKey*>(record.m_pKeys->GetHead());
    EXPECT_EQ(HKEY_LOCAL_MACHINE, key->m_root);
    EXPECT_STREQ("SOFTWARE\\Keldrix", key->m_subKey);
    EXPECT_TRUE(key->m_recurse);
    const auto* folder = static_cast<const LogSettingsDirectory*>(record.m_pDirectories->GetHead());
    EXPECT_STREQ("%WINDIR%\\Fonts", folder->m_path);
    EXPECT_FALSE(folder->m_recurse);
    delete record.m_pSysInfo;
    FreeLogSettingsLists(&record);
    EXPECT_EQ(nullptr, record.m_pKeys);
    EXPECT_EQ(nullptr, record.m_pDirectories);
}

// The pages name their own runtime class; the about, backups and startup
// pages can be made from it.
TEST(MainWindowRules, PagesNameTheirRuntimeClassAndTheCreatableOnesMakeNewPages)
{
    const struct {
        const CRuntimeClass* record;
        const char* name;
        bool creatable;
    } pages[] = {
        {RUNTIME_CLASS(CAbout), "CAbout", true},
        {RUNTIME_CLASS(CRegBackup), "CRegBackup", true},
        {RUNTIME_CLASS(CRegstartup), "CRegstartup", true},
        {RUNTIME_CLASS(COptionsPage), "COptionsPage", false},
        {RUNTIME_CLASS(CStatistic), "CStatistic", false},
        {RUNTIME_CLASS(CIgnoreListPage), "CIgnoreListPage", false},
        {RUNTIME_CLASS(CScanResultsPage), "CScanResultsPage", false},
        {RUNTIME_CLASS(CSchedulePage), "CSchedulePage", false},
    };
    for (const auto& page : pages) {
        EXPECT_STREQ(page.name, page.record->m_lpszClassName);
        std::unique_ptr<CObject> made(page.record->CreateObject());
        EXPECT_EQ(page.creatable, made != nullptr) << page.name;
        if (made)
            EXPECT_EQ(page.record, made->GetRuntimeClass()) << page.name;
    }
    CSchedulePage schedule;
    const CObject& asObject = schedule;
    EXPECT_EQ(RUNTIME_CLASS(CSchedulePage), asObject.GetRuntimeClass());
    std::unique_ptr<CObject> about(CAbout::CreateObject()), another(CAbout::CreateObject());
    ASSERT_NE(nullptr, dynamic_cast<CAbout*>(about.get()));
    EXPECT_NE(about.get(), another.get());
}

}  // namespace
