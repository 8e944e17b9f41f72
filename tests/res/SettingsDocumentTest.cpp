#include <gtest/gtest.h>
#include "CAppConfig.h"
#include "RegistrySettings.h"
#include "TestSupport.h"
#include <string>

// The settings document shipped beside the program, read by the program's own
// configuration object: every element is found, in its order, with our values.

namespace {

TEST(SettingsDocument, EveryElementIsReadInItsOrder)
{
    testsupport::SharedStateLock lock;
    // The configuration object writes ShowTip back when it is destroyed.
    testsupport::SavedValues saved({SETTING_SHOWTIP}, HKEY_LOCAL_MACHINE, "SOFTWARE\\" SETTINGS_PRODUCT);
    testsupport::TempDir folder;
    {
        CAppConfig config;
        // The tests run beside the program, where the build puts the document.
        ASSERT_TRUE(config.Load("settings.xml", folder.File("whitelist.dat").c_str(), "LogSettings.xml"));
        const std::string uid = "&uid=" + std::string(static_cast<LPCSTR>(GetMachineSettingString("Keldrix", "AffiliateID")));
        const std::string suffix = uid == "&uid=" ? "&uid=0" : uid;
        EXPECT_STREQ("Keldrix", config.m_appName);
        EXPECT_STREQ("Keldrix", config.m_registryName);
        EXPECT_STREQ("Keldrix.exe", config.m_exeName);
        EXPECT_STREQ("QuilloWorks", config.m_companyName);
        EXPECT_EQ("http://www.keldrix.example/product/?pid=2" + suffix, std::string(config.m_urlProd));
        EXPECT_EQ("http://www.keldrix.example/tellafriend/?pid=2" + suffix, std::string(config.m_urlFriend));
        EXPECT_EQ("http://www.keldrix.example/terms/?pid=2" + suffix, std::string(config.m_urlTerms));
        EXPECT_EQ("http://www.keldrix.example/support/?pid=2" + suffix, std::string(config.m_urlSupport));
        EXPECT_STREQ("http://www.keldrix.example/help/", config.m_urlHelp);
        EXPECT_STREQ("http://www.keldrix.example/images/logo.gif", config.m_urlLogo);
        EXPECT_STREQ("1", config.m_vendId);
        EXPECT_STREQ("en", config.m_langId);
        EXPECT_STREQ("1", config.m_cpId);
        EXPECT_STREQ("support@keldrix.example", config.m_logEmail);
        EXPECT_STREQ("http://www.keldrix.example/GlossaryRedirect/glossaryRedirect.aspx", config.m_urlDescription);
        // Loading the document turns the tip of the day off.
        EXPECT_EQ(-1, config.m_tipIndex);
    }
}

}  // namespace
