#include "RegistrySettings.h"
#include "CRegKeyHandle.h"
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

// Opens SOFTWARE\<sub-key>, creating it when missing (reads create it too).
LONG OpenSettingsKey(CRegKeyHandle& key, HKEY root, LPCSTR pszSubKey, REGSAM access)
{
    CString path("SOFTWARE");
    if (pszSubKey != nullptr && *pszSubKey != '\0')
        path += CString("\\") + pszSubKey;
    return key.Create(root, path, access);
}

void SetText(HKEY root, LPCSTR pszSubKey, LPCSTR pszValueName, LPCSTR pszText)
{
    CRegKeyHandle key;
    if (OpenSettingsKey(key, root, pszSubKey, KEY_WRITE) != ERROR_SUCCESS)
        return;
    if (pszText == nullptr)
        pszText = "";
    RegSetValueExA(key, pszValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(pszText),
                   static_cast<DWORD>(lstrlenA(pszText) + 1));
}

// Reads a value's bytes as text up to its first NUL, whatever its type; FALSE
// when it is absent, unreadable or longer than maxChars.
BOOL QueryText(HKEY root, LPCSTR pszSubKey, LPCSTR pszValueName, int maxChars, CString& text)
{
    text.Empty();
    CRegKeyHandle key;
    return OpenSettingsKey(key, root, pszSubKey, KEY_READ) == ERROR_SUCCESS
           && key.QueryText(pszValueName, text, static_cast<DWORD>(maxChars) + 1, FALSE)
           && text.GetLength() <= maxChars;
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
