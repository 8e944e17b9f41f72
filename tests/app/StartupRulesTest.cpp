// The pure rules of the start-up and the main window: command-line switches,
// the e-mail test, the administrator walk, the cleaning totals, the path line.
#include <gtest/gtest.h>
#include <vector>
#include "CFindPage.h"
#include "CRegistryCleanerApp.h"
#include "CRegistryCleanerDlg.h"
#include "CTrayIconManager.h"
#include "StartupRules.h"
#include "TestSupport.h"
#include "UserRights.h"

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

}  // namespace
