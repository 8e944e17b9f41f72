#include <gtest/gtest.h>
#include <string>
#include "CAppConfig.h"
#include "CMarkup.h"
#include "EngineTestSupport.h"
#include "RegistrySettings.h"

using testsupport::TempDir;
using testsupport::TestKey;
using testsupport::WriteFileBytes;

namespace {

const char kWhitelist[] = "{KEY}\r\nSoftware\\Keep\r\n!comment\r\n\r\n !spaced\r\n{VALUE}\r\nkeep.dll\r\n"
                          "{VALUENAME}\r\nKeepName\r\n{VALUE}\r\n{KEY}\r\n";

// The whitelist's three lists as "keys|values|value names", entries joined by ";".
std::string Lists(const CAppConfig& config)
{
    std::string text;
    for (const CStringArray* list : {&config.m_whitelistKeys, &config.m_whitelistValues, &config.m_whitelistValueNames}) {
        text += list == &config.m_whitelistKeys ? "" : "|";
        for (INT_PTR i = 0; i < list->GetSize(); i++)
            text += std::string(i ? ";" : "") + (LPCSTR)list->GetAt(i);
    }
    return text;
}

const char kLoadedLists[] = "Software\\Keep; !spaced|keep.dll|KeepName;{VALUE};{KEY}";

// The settings document, the whitelist and the log settings in a folder of
// their own; "ShowTip" (read at Load, written at destruction) put back as it was.
struct Files {
    Files() { EXPECT_TRUE(WriteFileBytes(whitelist, kWhitelist)); }
    bool Load(CAppConfig& config, const std::string& doc)
    {
        EXPECT_TRUE(WriteFileBytes(settings, doc));
        return config.Load(settings.c_str(), whitelist.c_str(), logSettings.c_str()) != FALSE;
    }
    testsupport::SharedStateLock lock;
    testsupport::SavedValues showTip{{SETTING_SHOWTIP}};
    TempDir dir;
    std::string settings = dir.File("settings.xml"), whitelist = dir.File("whitelist.dat"),
                logSettings = dir.File("LogSettings.xml");
};

}  // namespace

TEST(AppConfig, ReadsEveryElementInTheDocumentOrder)
{
    TestKey partner(HKEY_LOCAL_MACHINE);
    partner.SetString("", SETTING_AFFILIATEID, "A42");
    Files files;
    CAppConfig config;
    EXPECT_TRUE(files.Load(config, "<?xml version=\"1.0\"?>\r\n<!-- deployment -->\r\n<DIDEZADUVEVIZI>\r\n"
                                   "<APPNAME>Keldrix</APPNAME><REGISTRYNAME>" + partner.SubKey().substr(9)
                                   + "</REGISTRYNAME><EXENAME>Keldrix.exe</EXENAME><COMPANYNAME>Maker &amp; Co"
                                     "</COMPANYNAME><UNUSED>x</UNUSED><URLPROD>http://h/p?a=1</URLPROD><URLFRIEND>f"
                                     "</URLFRIEND><URLTERMS>t</URLTERMS><URLSUPPORT>s</URLSUPPORT><URLHELP>h</URLHELP>"
                                     "<URLLOGO>l</URLLOGO><VENDID>V1</VENDID><LANGID>L1</LANGID><CPID>C1</CPID>"
                                     "<LOGEMAIL>log@x</LOGEMAIL><URLDESCRIPTION>d</URLDESCRIPTION></DIDEZADUVEVIZI>"));
    const std::string read = std::string(config.m_appName) + "|" + std::string(config.m_exeName) + "|"
                             + std::string(config.m_companyName) + "|" + std::string(config.m_urlProd) + "|"
                             + std::string(config.m_urlFriend) + "|" + std::string(config.m_urlTerms) + "|"
                             + std::string(config.m_urlSupport) + "|" + std::string(config.m_urlHelp) + "|"
                             + std::string(config.m_urlLogo) + "|" + std::string(config.m_vendId) + "|"
                             + std::string(config.m_langId) + "|" + std::string(config.m_cpId) + "|"
                             + std::string(config.m_logEmail) + "|" + std::string(config.m_urlDescription);
    EXPECT_EQ(read, "Keldrix|Keldrix.exe|Maker & Co|http://h/p?a=1&uid=A42|f&uid=A42|t&uid=A42|s&uid=A42|h|l|V1|L1|C1|"
                    "log@x|d");
    EXPECT_STREQ("Start Scan", config.m_startScanCaption);
    EXPECT_STREQ("Fix Errors", config.m_fixErrorsCaption);
    EXPECT_EQ(-1, config.m_tipIndex);
    for (int value : config.m_categoryDefaults)
        EXPECT_EQ(1, value);
    EXPECT_EQ(kLoadedLists, Lists(config));
    EXPECT_FALSE(config.m_logSettings.m_registry);
}

// The reader goes forward only: VENDID before REGISTRYNAME and CPID before
// LANGID are passed over; missing elements keep their defaults; a wrong root
// or a broken document gives the defaults; no document at all leaves unset
// what hangs on it. The whitelist is read in every case.
TEST(AppConfig, ElementsOutOfOrderMissingOrBroken)
{
    Files files;
    {
        CAppConfig config;
        EXPECT_TRUE(files.Load(config, "<DIDEZADUVEVIZI><APPNAME>app</APPNAME><VENDID>early</VENDID><REGISTRYNAME>"
                                       "</REGISTRYNAME><URLPROD/><URLHELP>help</URLHELP><CPID>c</CPID><LANGID>L"
                                       "</LANGID></DIDEZADUVEVIZI>"));
        EXPECT_STREQ("app", config.m_appName);
        EXPECT_TRUE(config.m_vendId.IsEmpty());
        EXPECT_STREQ("L", config.m_langId);
        EXPECT_TRUE(config.m_cpId.IsEmpty());
        EXPECT_STREQ("help", config.m_urlHelp);
        EXPECT_STREQ("&uid=0", config.m_urlProd);  // present, empty, no partner value
        EXPECT_TRUE(config.m_urlFriend.IsEmpty());  // missing: no suffix
        EXPECT_STREQ("support@keldrix.example", config.m_logEmail);
        EXPECT_EQ(kLoadedLists, Lists(config));
    }
    for (const char* doc : {"<OTHER><APPNAME>x</APPNAME></OTHER>", "<DIDEZADUVEVIZI><APPNAME>x</APPNAME>", ""}) {
        CAppConfig config;
        EXPECT_TRUE(files.Load(config, doc)) << doc;
        EXPECT_TRUE(config.m_appName.IsEmpty()) << doc;
        EXPECT_STREQ("Start Scan", config.m_startScanCaption) << doc;
        EXPECT_EQ(1, config.m_categoryDefaults[REGPROBLEM_FILEASSOC]) << doc;
        EXPECT_EQ(kLoadedLists, Lists(config)) << doc;
    }
    DeleteFileA(files.settings.c_str());
    CAppConfig config;
    EXPECT_FALSE(config.Load(files.settings.c_str(), files.whitelist.c_str(), files.logSettings.c_str()));
    EXPECT_EQ(kLoadedLists, Lists(config));
    EXPECT_TRUE(config.m_startScanCaption.IsEmpty());
    EXPECT_EQ(0, config.m_categoryDefaults[0]);
}

TEST(AppConfig, ShowTipIsReadAtLoadAndWrittenAtDestruction)
{
    Files files;
    SetRegistrySettingString(SETTINGS_PRODUCT, SETTING_SHOWTIP, "0");
    {
        CAppConfig config;
        files.Load(config, "");
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
    files.Load(config, "");
    EXPECT_EQ(1, config.m_showTip);
}

TEST(AppConfig, WhitelistLayouts)
{
    const struct {
        const char* text;
        BOOL result;
        double version;
        const char* lists;
    } cases[] = {
        {"{VERSION}\r\n2.5\r\n\r\n{KEY}\r\nk\r\n{VALUE}\r\nv\r\n", TRUE, 2.5, "k|v|"},
        {"{VERSION}\r\n3\r\n{KEY}\r\nk\r\nk2\r\n", TRUE, 3.0, "k;k2||"},
        {"{VERSION}\n1.75beta\n\n{KEY}\nk\n{VALUE}\n{VALUENAME}\nn\n", TRUE, 1.75, "k||n"},
        {"{VERSION}\r\n2.5\r\n\r\n\r\n{KEY}\r\nk\r\n", FALSE, 2.5, "||"},
        {"{VERSION}\r\nnone\r\n\r\n{KEY}\r\n", TRUE, 0.0, "||"},
        {"{VERSION}\r\n", FALSE, 0.0, "||"},
        {"{key}\r\nk\r\n", FALSE, 0.0, "||"},
        {"\r\n{KEY}\r\nk\r\n", FALSE, 0.0, "||"},
        {"", FALSE, 0.0, "||"},
        // Markers out of order are entries of the section they stand in.
        {"{KEY}\r\n{VALUENAME}\r\n{VALUE}\r\n{KEY}\r\n!x\r\n{VALUENAME}\r\n{VALUENAME}\r\n", TRUE, 0.0,
         "{VALUENAME}|{KEY}|{VALUENAME}"},
    };
    TempDir dir;
    const std::string path = dir.File("whitelist.dat");
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteFileBytes(path, c.text));
        CAppConfig config;
        EXPECT_EQ(c.result, config.LoadWhitelist(path.c_str())) << c.text;
        EXPECT_DOUBLE_EQ(c.version, config.m_whitelistVersion) << c.text;
        EXPECT_EQ(c.lists, Lists(config)) << c.text;
    }
    CAppConfig config;
    EXPECT_TRUE(config.LoadWhitelist(dir.File("missing.dat").c_str()));
    EXPECT_EQ("||", Lists(config));
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
    const std::pair<const char*, int> numbers[] = {{"N", 42}, {"NEG", -7}, {"TEXT", 5}, {"EMPTY", 5}, {"HUGE", 5},
                                                   {"NONE", 5}};
    for (const auto& n : numbers)
        EXPECT_EQ(CAppConfig::ReadInt(xml, n.first, 5), n.second) << n.first;
}
