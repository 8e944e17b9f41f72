#include <gtest/gtest.h>
#include <climits>
#include <string>
#include "RegistrySettings.h"
#include "TestSupport.h"

using testsupport::TestKey;

namespace {

// The sub-key name that the settings functions take for a TestKey under
// HKLM or HKCU (its path without the leading "Software\").
std::string SettingsName(const TestKey& key, const std::string& rel = "")
{
    std::string name = key.SubKey().substr(9);
    return rel.empty() ? name : name + "\\" + rel;
}

}  // namespace

TEST(RegistrySettings, MissingValuesGiveDefaultsAndCreateTheKey)
{
    TestKey key(HKEY_LOCAL_MACHINE);
    const std::string fresh = SettingsName(key, "fresh");
    ASSERT_FALSE(key.Exists("fresh"));
    EXPECT_EQ(1, GetRegistrySettingInt(fresh.c_str(), SETTING_AUTOUPDATE, 1));
    EXPECT_EQ(-7, GetRegistrySettingInt(fresh.c_str(), "missing", -7));
    EXPECT_TRUE(GetRegistrySettingString(fresh.c_str(), SETTING_LASTSCAN).IsEmpty());
    EXPECT_TRUE(GetMachineSettingString(fresh.c_str(), SETTING_AFFILIATEID).IsEmpty());
    EXPECT_TRUE(key.Exists("fresh"));  // reading creates the key, empty
    EXPECT_FALSE(key.ValueExists("fresh", SETTING_AUTOUPDATE));
}

TEST(RegistrySettings, NumbersAreStoredAsDecimalText)
{
    TestKey key(HKEY_LOCAL_MACHINE);
    const std::string name = SettingsName(key);
    for (int value : {-1, 0, 12345, INT_MAX, INT_MIN}) {
        SetRegistrySettingInt(name.c_str(), "n", value);
        DWORD type = 0;
        std::string data;
        ASSERT_TRUE(key.Get("", "n", type, data));
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
        EXPECT_EQ(std::to_string(value) + std::string(1, '\0'), data);
        EXPECT_EQ(value, GetRegistrySettingInt(name.c_str(), "n", 99));
    }
}

TEST(RegistrySettings, NumbersReadWithDecimalConversion)
{
    TestKey key(HKEY_LOCAL_MACHINE);
    const std::string name = SettingsName(key);
    // The conversion is DecimalToInt's (its own table); here the buffer's edges.
    const std::string full = std::string(198, ' ') + "5";  // 199 bytes, no terminating NUL
    key.Set("", "n", REG_SZ, full.data(), static_cast<DWORD>(full.size()));
    EXPECT_EQ(5, GetRegistrySettingInt(name.c_str(), "n", 77));
    // Longer than the number buffer (199 characters and the NUL): the default.
    key.SetString("", "n", std::string(198, ' ') + "5");
    EXPECT_EQ(5, GetRegistrySettingInt(name.c_str(), "n", 77));
    for (const std::string& text : {std::string(199, ' ') + "5", std::string(5000, '1')}) {
        key.SetString("", "n", text);
        EXPECT_EQ(77, GetRegistrySettingInt(name.c_str(), "n", 77)) << text.size();
        key.Set("", "n", REG_SZ, text.data(), static_cast<DWORD>(text.size()));
        EXPECT_EQ(77, GetRegistrySettingInt(name.c_str(), "n", 77)) << text.size();
    }
    // The type is not looked at: DWORD 0x35 holds the bytes "5\0\0\0".
    key.SetDword("", "n", 0x35);
    EXPECT_EQ(5, GetRegistrySettingInt(name.c_str(), "n", 77));
}

TEST(RegistrySettings, TextsOfAnyLengthReadWhole)
{
    TestKey key(HKEY_LOCAL_MACHINE);
    const std::string name = SettingsName(key);
    for (size_t length : {0u, 1u, 1023u, 1024u, 1025u, 5000u, 70000u}) {
        std::string text;
        for (size_t i = 0; i < length; ++i)
            text += static_cast<char>('a' + i % 26);
        SetRegistrySettingString(name.c_str(), "t", text.c_str());
        DWORD type = 0;
        std::string data;
        ASSERT_TRUE(key.Get("", "t", type, data));
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
        EXPECT_EQ(text.size() + 1, data.size());
        EXPECT_EQ(text, GetRegistrySettingString(name.c_str(), "t").str()) << length;
    }
    // Stored without a terminating NUL, exactly the old buffer's size.
    const std::string exact(1024, 'x');
    key.Set("", "t", REG_SZ, exact.data(), 1024);
    EXPECT_EQ(exact, GetRegistrySettingString(name.c_str(), "t").str());
    // A text ends at its first NUL.
    key.Set("", "t", REG_SZ, "ab\0cd", 6);
    EXPECT_STREQ("ab", GetRegistrySettingString(name.c_str(), "t"));
}

TEST(RegistrySettings, UserTextsAndTheBareSoftwareKey)
{
    TestKey user(HKEY_CURRENT_USER);
    user.SetString("", SETTING_AFFILIATEID, "partner-7");
    EXPECT_STREQ("partner-7", GetUserSettingString(SettingsName(user).c_str(), SETTING_AFFILIATEID));
    EXPECT_TRUE(GetRegistrySettingString(SettingsName(user).c_str(), SETTING_AFFILIATEID).IsEmpty());

    // An empty sub-key name is SOFTWARE itself.
    const std::string valueName = testsupport::UniqueName("KeldrixTestValue");
    SetRegistrySettingInt("", valueName.c_str(), 5);
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_ALL_ACCESS, &hKey));
    char data[16] = {};
    DWORD size = sizeof(data);
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(hKey, valueName.c_str(), nullptr, nullptr,
                                              reinterpret_cast<BYTE*>(data), &size));
    EXPECT_STREQ("5", data);
    EXPECT_EQ(5, GetRegistrySettingInt(nullptr, valueName.c_str(), 0));
    RegDeleteValueA(hKey, valueName.c_str());
    RegCloseKey(hKey);
}
