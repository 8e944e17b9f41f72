#pragma once
#include "afx.h"
#include "CRegistryProblem.h"

// The program's settings live under HKEY_LOCAL_MACHINE\SOFTWARE\<sub-key name>.
// Numbers are stored as decimal REG_SZ texts. None of these functions reports
// failure: a value that cannot be read gives the default (or an empty text).

// The product's sub-key name: the settings key is SOFTWARE\Keldrix.
#define SETTINGS_PRODUCT "Keldrix"

// Options.
#define SETTING_SPLASHSCREEN "splashscreen"
#define SETTING_REPAIRAFTERFIND "repairafterfind"
#define SETTING_SYSTEMRESTORE "systemrestore"
#define SETTING_AUTOUPDATE "autoupdate"
#define SETTING_CHECKPROMPT "checkprompt"
#define SETTING_SHUTDOWNAFTERCLEAN "Shutdownafterclean"

// Statistics of the last scan and fix.
#define SETTING_LASTSCAN "lastScan"
#define SETTING_LASTFOUNDERRORS "lastfounderrors"
#define SETTING_ERRS "errs"
#define SETTING_FIXEDTOTALS "FixedTotals"
#define SETTING_ERRORSFIXED "ErrorsFixed"

// First-run flags, tip switch, exit prompt.
#define SETTING_FIRSTTIME "FirstTime"
#define SETTING_FIRSTSINCEPATCH "FirstSincePatch"
#define SETTING_SHOWTIP "ShowTip"
#define SETTING_PDISCLEANSHUT "pdiscleanshut"

// Under SOFTWARE itself (empty sub-key name).
#define SETTING_PROMPTFOREMAIL "PromptForEmail"
// Under SOFTWARE\<REGISTRYNAME> of HKLM and under SOFTWARE of HKCU.
#define SETTING_AFFILIATEID "AffiliateID"

// Read once by the main window; nothing writes them.
#define SETTING_TOTALIESIZE "TotalIESize"
#define SETTING_TOTALWINSIZE "TotalWinSize"
#define SETTING_TOTALOTHERSIZE "TotalOtherSize"
#define SETTING_TOTALTOTALSIZE "TotalTotalSize"
#define SETTING_LASTCLEANEDTIME "LastCleanedTime"
#define SETTING_TOTALIEITEMS "TotalIEItems"
#define SETTING_TOTALWINITEMS "TotalWinItems"
#define SETTING_TOTALOTHERITEMS "TotalOtherItems"

// Per-category value names, indexed by REGPROBLEM_TYPE.
extern const char* const g_categorySwitchNames[REGPROBLEM_TYPE_COUNT];
extern const char* const g_foundCountNames[REGPROBLEM_TYPE_COUNT];
extern const char* const g_fixedCountNames[REGPROBLEM_TYPE_COUNT];

void SetRegistrySettingString(LPCSTR pszSubKey, LPCSTR pszValueName, LPCSTR pszText);
// The text of a value under HKLM, whole; empty when absent or unreadable.
CString GetRegistrySettingString(LPCSTR pszSubKey, LPCSTR pszValueName);
void SetRegistrySettingInt(LPCSTR pszSubKey, LPCSTR pszValueName, int value);
// The number a value holds; nDefault when absent, unreadable or longer than 199 characters.
int GetRegistrySettingInt(LPCSTR pszSubKey, LPCSTR pszValueName, int nDefault);
// As GetRegistrySettingString, under HKEY_CURRENT_USER.
CString GetUserSettingString(LPCSTR pszSubKey, LPCSTR pszValueName);
// The same operation as GetRegistrySettingString.
CString GetMachineSettingString(LPCSTR pszSubKey, LPCSTR pszValueName);
