#include "RegistrySettings.h"
#include "SystemUtils.h"
#include <new>
#include <string>

const char* const g_categorySwitchNames[REGPROBLEM_TYPE_COUNT] = {
    "ComActivex", "Uninstall", "Font", "SharedDll", "AppPaths", "HelpFile",
    "WinStartup", "FilePath", "ShortCut", "EmptyReg", "ShellExt",
};

const char* const g_foundCountNames[REGPROBLEM_TYPE_COUNT] = {
    "TotalComErrors", "TotalUninstallErrors", "TotalFontErrors", "TotalSharedDllErrors",
    "TotalAppPathErrors", "TotalHelpFileErrors", "TotalWinStartUpErrors", "TotalFilePathErrors",
    "TotalProgramShortcutErrors", "TotalEmtyRegKeyErrors", "TotalShellExtensionErrors",
};

const char* const g_fixedCountNames[REGPROBLEM_TYPE_COUNT] = {
    "FixedComErrors", "FixedUninstallErrors", "FixedFontErrors", "FixedSharedDllErrors",
    "FixedAppPathErrors", "FixedHelpFileErrors", "FixedWinStartUpErrors", "FixedFilePathErrors",
    "FixedProgramShortcutErrors", "FixedEmtyRegKeyErrors", "FixedShellExtensionErrors",
};

namespace {

// Longest decimal text of a number that is read (a longer one reads as the
// default): what a 200-byte buffer holds with its terminating NUL.
const int kMaxNumberChars = 199;
const int kAnyLength = 0x7FFFFFFE;

// Opens (creating when missing) SOFTWARE\<sub-key> and closes it on scope exit.
class SettingsKey {
public:
    SettingsKey(HKEY root, LPCSTR pszSubKey, REGSAM access)
    {
        CString path("SOFTWARE");
        if (pszSubKey != nullptr && *pszSubKey != '\0')
            path += CString("\\") + pszSubKey;
        if (RegCreateKeyExA(root, path, 0, nullptr, 0, access, nullptr, &m_hKey, nullptr) != ERROR_SUCCESS)
            m_hKey = nullptr;
    }
    ~SettingsKey()
    {
        if (m_hKey != nullptr)
            RegCloseKey(m_hKey);
    }
    SettingsKey(const SettingsKey&) = delete;
    SettingsKey& operator=(const SettingsKey&) = delete;
    HKEY Get() const { return m_hKey; }

private:
    HKEY m_hKey = nullptr;
};

void SetText(HKEY root, LPCSTR pszSubKey, LPCSTR pszValueName, LPCSTR pszText)
{
    SettingsKey key(root, pszSubKey, KEY_WRITE);
    if (key.Get() == nullptr)
        return;
    if (pszText == nullptr)
        pszText = "";
    RegSetValueExA(key.Get(), pszValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(pszText),
                   static_cast<DWORD>(lstrlenA(pszText) + 1));
}

// Reads a value's bytes as text up to its first NUL, whatever its type; FALSE
// when it is absent, unreadable or longer than maxChars.
BOOL QueryText(HKEY root, LPCSTR pszSubKey, LPCSTR pszValueName, int maxChars, CString& text)
{
    text.Empty();
    SettingsKey key(root, pszSubKey, KEY_READ);
    if (key.Get() == nullptr)
        return FALSE;
    DWORD size = 0;
    LONG rc = RegQueryValueExA(key.Get(), pszValueName, nullptr, nullptr, nullptr, &size);
    // The value may grow between the size query and the read: try again then.
    for (int attempt = 0; attempt < 4 && (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA); ++attempt) {
        if (size > static_cast<DWORD>(maxChars) + 1)
            return FALSE;
        DWORD got = size;
        try {
            std::string buffer(static_cast<size_t>(size) + 1, '\0');
            rc = RegQueryValueExA(key.Get(), pszValueName, nullptr, nullptr,
                                  reinterpret_cast<BYTE*>(&buffer[0]), &got);
            if (rc == ERROR_SUCCESS) {
                text = buffer.c_str();  // up to the first NUL; the extra byte ends it
                return text.GetLength() <= maxChars;
            }
        } catch (const std::bad_alloc&) {
            return FALSE;
        }
        size = got;
    }
    return FALSE;
}

}  // namespace

void SetRegistrySettingString(LPCSTR pszSubKey, LPCSTR pszValueName, LPCSTR pszText)
{
    SetText(HKEY_LOCAL_MACHINE, pszSubKey, pszValueName, pszText);
}

CString GetRegistrySettingString(LPCSTR pszSubKey, LPCSTR pszValueName)
{
    CString text;
    QueryText(HKEY_LOCAL_MACHINE, pszSubKey, pszValueName, kAnyLength, text);
    return text;
}

void SetRegistrySettingInt(LPCSTR pszSubKey, LPCSTR pszValueName, int value)
{
    CString text;
    text.Format("%d", value);
    SetText(HKEY_LOCAL_MACHINE, pszSubKey, pszValueName, text);
}

int GetRegistrySettingInt(LPCSTR pszSubKey, LPCSTR pszValueName, int nDefault)
{
    CString text;
    if (!QueryText(HKEY_LOCAL_MACHINE, pszSubKey, pszValueName, kMaxNumberChars, text))
        return nDefault;
    return DecimalToInt(text);
}

CString GetUserSettingString(LPCSTR pszSubKey, LPCSTR pszValueName)
{
    CString text;
    QueryText(HKEY_CURRENT_USER, pszSubKey, pszValueName, kAnyLength, text);
    return text;
}

CString GetMachineSettingString(LPCSTR pszSubKey, LPCSTR pszValueName)
{
    return GetRegistrySettingString(pszSubKey, pszValueName);
}
