#include <gtest/gtest.h>
#include <string>
#include "CAppConfig.h"
#include "CMarkup.h"
#include "RegistrySettings.h"
#include "TestSupport.h"

using testsupport::TempDir;
using testsupport::TestKey;
using testsupport::WriteFileBytes;

namespace {

// Load reads "ShowTip" (creating SOFTWARE\Keldrix) and the destructor writes
// it: hold the shared lock and put the key back as it was.
class ShowTipGuard {
public:
    ShowTipGuard()
    {
        HKEY hKey = nullptr;
        m_keyExisted = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &hKey) == ERROR_SUCCESS;
        if (m_keyExisted) {
            DWORD size = sizeof(m_data);
            m_valueExisted = RegQueryValueExA(hKey, SETTING_SHOWTIP, nullptr, &m_type, m_data, &size) == ERROR_SUCCESS;
            m_size = size;
            RegCloseKey(hKey);
        }
    }
    ~ShowTipGuard()
    {
        HKEY hKey = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_ALL_ACCESS, &hKey) != ERROR_SUCCESS)
            return;
        if (m_valueExisted)
            RegSetValueExA(hKey, SETTING_SHOWTIP, 0, m_type, m_data, m_size);
        else
            RegDeleteValueA(hKey, SETTING_SHOWTIP);
        RegCloseKey(hKey);
        if (!m_keyExisted)
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKey);
    }

private:
    static constexpr const char* kKey = "SOFTWARE\\Keldrix";
    testsupport::SharedStateLock m_lock;
    bool m_keyExisted = false;
    bool m_valueExisted = false;
    DWORD m_type = 0;
    BYTE m_data[256] = {};
    DWORD m_size = 0;
};

const char kWhitelist[] =
    "{KEY}\r\n"
    "Software\\Keep\r\n"
    "!comment\r\n"
    "\r\n"
    " !spaced\r\n"
    "{VALUE}\r\n"
    "keep.dll\r\n"
    "{VALUENAME}\r\n"
    "KeepName\r\n"
    "{VALUE}\r\n"
    "{KEY}\r\n";

void ExpectWhitelistLoaded(const CAppConfig& config)
{
    ASSERT_EQ(2, config.m_whitelistKeys.GetSize());
    EXPECT_STREQ("Software\\Keep", config.m_whitelistKeys[0]);
    EXPECT_STREQ(" !spaced", config.m_whitelistKeys[1]);
    ASSERT_EQ(1, config.m_whitelistValues.GetSize());
    EXPECT_STREQ("keep.dll", config.m_whitelistValues[0]);
    ASSERT_EQ(3, config.m_whitelistValueNames.GetSize());
    EXPECT_STREQ("KeepName", config.m_whitelistValueNames[0]);
    EXPECT_STREQ("{VALUE}", config.m_whitelistValueNames[1]);
    EXPECT_STREQ("{KEY}", config.m_whitelistValueNames[2]);
    EXPECT_EQ(0.0, config.m_whitelistVersion);
}

struct Files {
    Files()
    {
        EXPECT_TRUE(WriteFileBytes(whitelist, kWhitelist));
    }
    TempDir dir;
    std::string settings = dir.File("settings.xml");
    std::string whitelist = dir.File("whitelist.dat");
    std::string logSettings = dir.File("LogSettings.xml");
};

}  // namespace

TEST(AppConfig, ReadsEveryElementInTheDocumentOrder)
{
    ShowTipGuard guard;
    TestKey partner(HKEY_LOCAL_MACHINE);
    partner.SetString("", SETTING_AFFILIATEID, "A42");
    Files files;
    const std::string doc =
        "<?xml version=\"1.0\"?>\r\n<!-- deployment -->\r\n<DIDEZADUVEVIZI>\r\n"
        "<APPNAME>Keldrix</APPNAME><REGISTRYNAME>" + partner.SubKey().substr(9) + "</REGISTRYNAME>"
        "<EXENAME>Keldrix.exe</EXENAME><COMPANYNAME>Maker &amp; Co</COMPANYNAME><UNUSED>x</UNUSED>"
        "<URLPROD>http://h/p?a=1</URLPROD><URLFRIEND>f</URLFRIEND><URLTERMS>t</URLTERMS>"
        "<URLSUPPORT>s</URLSUPPORT><URLHELP>h</URLHELP><URLLOGO>l</URLLOGO><VENDID>V1</VENDID>"
        "<LANGID>L1</LANGID><CPID>C1</CPID><LOGEMAIL>log@x</LOGEMAIL><URLDESCRIPTION>d</URLDESCRIPTION>"
        "</DIDEZADUVEVIZI>";
    ASSERT_TRUE(WriteFileBytes(files.settings, doc));
    {
        CAppConfig config;
        EXPECT_TRUE(config.Load(files.settings.c_str(), files.whitelist.c_str(), files.logSettings.c_str()));
        EXPECT_STREQ("Keldrix", config.m_appName);
        EXPECT_STREQ("Keldrix.exe", config.m_exeName);
        EXPECT_STREQ("Maker & Co", config.m_companyName);
        EXPECT_STREQ("http://h/p?a=1&uid=A42", config.m_urlProd);
        EXPECT_STREQ("f&uid=A42", config.m_urlFriend);
        EXPECT_STREQ("t&uid=A42", config.m_urlTerms);
        EXPECT_STREQ("s&uid=A42", config.m_urlSupport);
        EXPECT_STREQ("h", config.m_urlHelp);
        EXPECT_STREQ("l", config.m_urlLogo);
        EXPECT_STREQ("V1", config.m_vendId);
        EXPECT_STREQ("L1", config.m_langId);
        EXPECT_STREQ("C1", config.m_cpId);
        EXPECT_STREQ("log@x", config.m_logEmail);
        EXPECT_STREQ("d", config.m_urlDescription);
        EXPECT_STREQ("Start Scan", config.m_startScanCaption);
        EXPECT_STREQ("Next >>", config.m_nextCaption);
        EXPECT_STREQ("Fix Errors", config.m_fixErrorsCaption);
        EXPECT_EQ(-1, config.m_tipIndex);
        EXPECT_EQ(1, config.m_scanButtonRepeat);
        EXPECT_EQ(0, config.m_scanOnEntry);
        for (int value : config.m_categoryDefaults)
            EXPECT_EQ(1, value);
        ExpectWhitelistLoaded(config);
        EXPECT_FALSE(config.m_logSettings.m_registry);
        EXPECT_TRUE(config.m_logSettings.m_keys.IsEmpty());
    }
}

TEST(AppConfig, ElementsOutOfOrderOrMissing)
{
    ShowTipGuard guard;
    Files files;
    // VENDID before REGISTRYNAME and CPID before LANGID are passed over by the
    // forward-only reader; missing elements keep their defaults; an empty
    // element reads as empty.
    ASSERT_TRUE(WriteFileBytes(files.settings,
        "<DIDEZADUVEVIZI><APPNAME>app</APPNAME><VENDID>early</VENDID><REGISTRYNAME></REGISTRYNAME>"
        "<URLPROD/><URLHELP>help</URLHELP><CPID>c</CPID><LANGID>L</LANGID></DIDEZADUVEVIZI>"));
    CAppConfig config;
    EXPECT_TRUE(config.Load(files.settings.c_str(), files.whitelist.c_str(), files.logSettings.c_str()));
    EXPECT_STREQ("app", config.m_appName);
    EXPECT_TRUE(config.m_registryName.IsEmpty());
    EXPECT_TRUE(config.m_exeName.IsEmpty());
    EXPECT_TRUE(config.m_vendId.IsEmpty());
    EXPECT_STREQ("L", config.m_langId);
    EXPECT_TRUE(config.m_cpId.IsEmpty());
    EXPECT_STREQ("help", config.m_urlHelp);
    EXPECT_STREQ("&uid=0", config.m_urlProd);  // present, empty, no partner value
    EXPECT_TRUE(config.m_urlFriend.IsEmpty());  // missing: no suffix
    EXPECT_STREQ("support@keldrix.example", config.m_logEmail);
    EXPECT_STREQ("http://www.keldrix.example/GlossaryRedirect/glossaryRedirect.aspx", config.m_urlDescription);
    EXPECT_EQ(-1, config.m_tipIndex);
    ExpectWhitelistLoaded(config);
}

TEST(AppConfig, WrongRootOrBrokenDocumentStillGivesDefaultsAndWhitelist)
{
    ShowTipGuard guard;
    for (const char* doc : {"<OTHER><APPNAME>x</APPNAME></OTHER>", "<DIDEZADUVEVIZI><APPNAME>x</APPNAME>", ""}) {
        Files files;
        ASSERT_TRUE(WriteFileBytes(files.settings, doc));
        CAppConfig config;
        EXPECT_TRUE(config.Load(files.settings.c_str(), files.whitelist.c_str(), files.logSettings.c_str())) << doc;
        EXPECT_TRUE(config.m_appName.IsEmpty()) << doc;
        EXPECT_TRUE(config.m_logEmail.IsEmpty()) << doc;
        EXPECT_STREQ("Start Scan", config.m_startScanCaption) << doc;
        EXPECT_EQ(1, config.m_categoryDefaults[REGPROBLEM_FILEASSOC]) << doc;
        ExpectWhitelistLoaded(config);
    }
}

TEST(AppConfig, MissingSettingsDocumentStillLoadsTheWhitelist)
{
    ShowTipGuard guard;
    Files files;
    CAppConfig config;
    EXPECT_FALSE(config.Load(files.settings.c_str(), files.whitelist.c_str(), files.logSettings.c_str()));
    ExpectWhitelistLoaded(config);
    // What hangs on "settings.xml" is not set.
    EXPECT_TRUE(config.m_startScanCaption.IsEmpty());
    EXPECT_EQ(0, config.m_tipIndex);
    EXPECT_EQ(0, config.m_categoryDefaults[0]);
    EXPECT_TRUE(config.m_logEmail.IsEmpty());
}

TEST(AppConfig, ShowTipIsReadAtLoadAndWrittenAtDestruction)
{
    ShowTipGuard guard;
    Files files;
    SetRegistrySettingString(SETTINGS_PRODUCT, SETTING_SHOWTIP, "0");
    {
        CAppConfig config;
        config.Load(files.settings.c_str(), files.whitelist.c_str(), files.logSettings.c_str());
        EXPECT_EQ(0, config.m_showTip);
        config.m_showTip = 1;
    }
    EXPECT_STREQ("1", GetRegistrySettingString(SETTINGS_PRODUCT, SETTING_SHOWTIP));
    {
        CAppConfig neverLoaded;
        neverLoaded.m_showTip = 0;
    }
    EXPECT_STREQ("1", GetRegistrySettingString(SETTINGS_PRODUCT, SETTING_SHOWTIP));

    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Keldrix", 0, KEY_ALL_ACCESS, &hKey));
    RegDeleteValueA(hKey, SETTING_SHOWTIP);
    RegCloseKey(hKey);
    CAppConfig config;
    config.Load(files.settings.c_str(), files.whitelist.c_str(), files.logSettings.c_str());
    EXPECT_EQ(1, config.m_showTip);
}

TEST(AppConfig, WhitelistLayouts)
{
    const struct {
        const char* text;
        BOOL result;
        double version;
        int keys, values, names;
    } cases[] = {
        {"{VERSION}\r\n2.5\r\n\r\n{KEY}\r\nk\r\n{VALUE}\r\nv\r\n", TRUE, 2.5, 1, 1, 0},
        {"{VERSION}\r\n3\r\n{KEY}\r\nk\r\nk2\r\n", TRUE, 3.0, 2, 0, 0},
        {"{VERSION}\n1.75beta\n\n{KEY}\nk\n{VALUE}\n{VALUENAME}\nn\n", TRUE, 1.75, 1, 0, 1},
        {"{VERSION}\r\n2.5\r\n\r\n\r\n{KEY}\r\nk\r\n", FALSE, 2.5, 0, 0, 0},
        {"{VERSION}\r\nnone\r\n\r\n{KEY}\r\n", TRUE, 0.0, 0, 0, 0},
        {"{VERSION}\r\n", FALSE, 0.0, 0, 0, 0},
        {"{key}\r\nk\r\n", FALSE, 0.0, 0, 0, 0},
        {"\r\n{KEY}\r\nk\r\n", FALSE, 0.0, 0, 0, 0},
        {"", FALSE, 0.0, 0, 0, 0},
        // Markers out of order are entries of the section they stand in.
        {"{KEY}\r\n{VALUENAME}\r\n{VALUE}\r\n{KEY}\r\n!x\r\n{VALUENAME}\r\n{VALUENAME}\r\n", TRUE, 0.0, 1, 1, 1},
    };
    TempDir dir;
    const std::string path = dir.File("whitelist.dat");
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteFileBytes(path, c.text));
        CAppConfig config;
        EXPECT_EQ(c.result, config.LoadWhitelist(path.c_str())) << c.text;
        EXPECT_DOUBLE_EQ(c.version, config.m_whitelistVersion) << c.text;
        EXPECT_EQ(c.keys, config.m_whitelistKeys.GetSize()) << c.text;
        EXPECT_EQ(c.values, config.m_whitelistValues.GetSize()) << c.text;
        EXPECT_EQ(c.names, config.m_whitelistValueNames.GetSize()) << c.text;
    }
    CAppConfig config;
    EXPECT_TRUE(config.LoadWhitelist(dir.File("missing.dat").c_str()));
    EXPECT_EQ(0, config.m_whitelistKeys.GetSize());
}

// Colours and numbers read from child elements, each search behind the last find.
TEST(AppConfig, ReadColorAndReadInt)
{
    CMarkup xml;
    ASSERT_TRUE(xml.SetDoc("<R><BACK><BLUE>3</BLUE><RED>1</RED><GREEN>2</GREEN></BACK>"
                           "<BAD><RED>1</RED><GREEN>x</GREEN><BLUE>3</BLUE></BAD>"
                           "<HIGH><RED>256</RED><GREEN>0</GREEN><BLUE>0</BLUE></HIGH><PART><RED>1</RED></PART>"
                           "<N>42</N><NEG> -7 </NEG><TEXT>4x</TEXT><EMPTY></EMPTY><HUGE>99999999999</HUGE></R>"));
    ASSERT_TRUE(xml.FindElem("R"));
    COLORREF color = RGB(9, 9, 9);
    EXPECT_TRUE(CAppConfig::ReadColor(xml, "BACK", color));
    EXPECT_EQ(color, RGB(1, 2, 3));
    for (const char* invalid : {"BAD", "HIGH", "PART", "NONE"}) {
        color = RGB(9, 9, 9);
        EXPECT_FALSE(CAppConfig::ReadColor(xml, invalid, color)) << invalid;
        EXPECT_EQ(color, RGB(9, 9, 9)) << invalid;
    }
    const struct {
        const char* name;
        int expected;
    } numbers[] = {{"N", 42}, {"NEG", -7}, {"TEXT", 5}, {"EMPTY", 5}, {"HUGE", 5}, {"NONE", 5}};
    for (const auto& n : numbers)
        EXPECT_EQ(CAppConfig::ReadInt(xml, n.name, 5), n.expected) << n.name;
}
