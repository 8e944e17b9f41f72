#pragma once
#include "afx.h"
#include "CRegistryProblem.h"
#include "LogSettingsConfig.h"

class CMarkup;

// The program's configuration, read once at start-up: "settings.xml", the
// registry settings, the whitelist and the log settings.
class CAppConfig {
public:
    CAppConfig();
    // Writes m_showTip back to "ShowTip" when Load has run.
    ~CAppConfig();
    CAppConfig(const CAppConfig&) = delete;
    CAppConfig& operator=(const CAppConfig&) = delete;

    // Loads "settings.xml" from the current directory, the whitelist and the
    // log settings; FALSE when "settings.xml" cannot be opened.
    BOOL Load();
    BOOL Load(LPCSTR pszSettingsPath, LPCSTR pszWhitelistPath, LPCSTR pszLogSettingsPath);
    BOOL SetDefaults();
    // FALSE when the file is there but its "{KEY}" line is missing.
    BOOL LoadWhitelist();
    BOOL LoadWhitelist(LPCSTR pszPath);
    BOOL LoadLogSettings();
    BOOL LoadLogSettings(LPCSTR pszPath);
    // Maps a root name of the log settings ("HKEY_LOCAL_MACHINE", ...) to its key.
    static HKEY GetRootKeyFromName(LPCSTR pszName);

    // Read the next child element of the document's current element named
    // pszName: a colour from its children RED, GREEN and BLUE (decimal, 0 to
    // 255, in any order), or a decimal number. A missing element or one that
    // does not hold a valid value leaves the colour as it was (FALSE) or gives
    // the default.
    static BOOL ReadColor(CMarkup& xml, LPCSTR pszName, COLORREF& color);
    static int ReadInt(CMarkup& xml, LPCSTR pszName, int nDefault);

    // <common application data>\keldrix\whitelist.dat
    static CString GetWhitelistPath();
    // "LogSettings.xml" in the program's folder.
    static CString GetLogSettingsPath();

    LogSettingsConfig m_logSettings;

    // Texts of "settings.xml".
    CString m_appName;
    CString m_registryName;
    CString m_exeName;
    CString m_companyName;
    CString m_urlProd;
    CString m_urlFriend;
    CString m_urlTerms;
    CString m_urlSupport;
    CString m_urlHelp;
    CString m_urlLogo;
    CString m_urlDescription;
    CString m_vendId;
    CString m_langId;
    CString m_cpId;
    CString m_logEmail;

    int m_scanButtonRepeat;   // 1: the scan page's button starts a scan when that page is shown
    int m_scanOnEntry;        // non-zero: entering the scan page may start a scan
    CString m_startScanCaption;
    CString m_nextCaption;
    CString m_fixErrorsCaption;
    int m_tipIndex;           // tip of the day to show; -1 none
    int m_categoryDefaults[REGPROBLEM_TYPE_COUNT];
    int m_showTip;

    CStringArray m_whitelistKeys;
    CStringArray m_whitelistValues;
    CStringArray m_whitelistValueNames;
    double m_whitelistVersion;

private:
    BOOL ReadSettingsDocument(LPCSTR pszPath);

    BOOL m_loaded;  // "ShowTip" has been read, so it may be written back
};

extern CAppConfig g_appConfig;
