#include "CAppConfig.h"
#include "CCleanSweep.h"
#include "LogSettingsDocument.h"
#include "CMarkup.h"
#include "RegistrySettings.h"
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <new>
#include <shlobj.h>
#include <string>

CAppConfig g_appConfig;

namespace {

const char kDefaultLogEmail[] = "support@keldrix.example";
const char kDefaultUrlDescription[] = "http://www.keldrix.example/GlossaryRedirect/glossaryRedirect.aspx";

// Reads a whole file as text (cut at its first NUL). FALSE when it cannot be
// opened; bOutOfMemory is set when it was too big to hold.
BOOL ReadTextFile(LPCSTR pszPath, CString& text, bool& bOutOfMemory)
{
    bOutOfMemory = false;
    text.Empty();
    CFile file;
    if (!file.Open(pszPath, CFile::modeRead | CFile::shareDenyNone))
        return FALSE;
    try {
        const ULONGLONG length = file.GetLength();
        if (length >= 0x7FFFFFFF)
            throw std::bad_alloc();
        std::string buffer(static_cast<size_t>(length) + 1, '\0');
        UINT got = 0;
        while (got < length) {
            const UINT n = file.Read(&buffer[got], static_cast<UINT>(length) - got);
            if (n == 0)
                break;
            got += n;
        }
        text = buffer.c_str();
    } catch (const std::bad_alloc&) {
        bOutOfMemory = true;
    } catch (CException* e) {
        e->Delete();
        text.Empty();
    }
    file.Abort();
    return TRUE;
}

// A whole decimal number (blanks around it allowed) into value.
BOOL ParseDecimal(const CString& text, long& value)
{
    CString trimmed = text;
    trimmed.Trim(" \t\r\n");
    if (trimmed.IsEmpty())
        return FALSE;
    char* end = nullptr;
    errno = 0;
    value = std::strtol(trimmed, &end, 10);
    return errno == 0 && end != nullptr && *end == '\0';
}

}  // namespace

CAppConfig::CAppConfig()
    : m_scanButtonRepeat(0), m_scanOnEntry(0), m_tipIndex(0), m_categoryDefaults(), m_showTip(0),
      m_whitelistVersion(0.0), m_loaded(FALSE)
{
}

CAppConfig::~CAppConfig()
{
    // Runs during static destruction: only the registry and the literal key name.
    if (m_loaded)
        SetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_SHOWTIP, m_showTip);
}

BOOL CAppConfig::Load()
{
    return Load("settings.xml", GetWhitelistPath(), GetLogSettingsPath());
}

BOOL CAppConfig::Load(LPCSTR pszSettingsPath, LPCSTR pszWhitelistPath, LPCSTR pszLogSettingsPath)
{
    m_showTip = GetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_SHOWTIP, 1);
    m_loaded = TRUE;

    const BOOL bSettingsRead = ReadSettingsDocument(pszSettingsPath);
    if (bSettingsRead)
        SetDefaults();
    // The whitelist and the log settings do not depend on "settings.xml".
    LoadWhitelist(pszWhitelistPath);
    LoadLogSettings(pszLogSettingsPath);
    return bSettingsRead;
}

// Reads the texts of "settings.xml"; FALSE when the file cannot be opened.
BOOL CAppConfig::ReadSettingsDocument(LPCSTR pszPath)
{
    CString text;
    bool bOutOfMemory = false;
    if (!ReadTextFile(pszPath, text, bOutOfMemory))
        return FALSE;
    if (bOutOfMemory) {
        AfxMessageBox("Out of Memory", MB_OK);
        return TRUE;
    }

    CMarkup xml;
    if (!xml.SetDoc(text) || !xml.FindElem("DIDEZADUVEVIZI"))
        return TRUE;

    // Each search starts behind the child found last: the order matters.
    auto read = [&xml](LPCSTR pszName, CString& value) {
        if (!xml.FindChildElem(pszName))
            return false;
        value = xml.GetData();
        return true;
    };
    read("APPNAME", m_appName);
    read("REGISTRYNAME", m_registryName);
    read("EXENAME", m_exeName);
    read("COMPANYNAME", m_companyName);

    CString affiliate = GetMachineSettingString(m_registryName, SETTING_AFFILIATEID);
    if (affiliate.IsEmpty())
        affiliate = "0";
    const CString suffix = "&uid=" + affiliate;
    auto readUrl = [&](LPCSTR pszName, CString& value) {
        if (read(pszName, value))
            value += suffix;
    };
    readUrl("URLPROD", m_urlProd);
    readUrl("URLFRIEND", m_urlFriend);
    readUrl("URLTERMS", m_urlTerms);
    readUrl("URLSUPPORT", m_urlSupport);
    read("URLHELP", m_urlHelp);
    read("URLLOGO", m_urlLogo);
    read("VENDID", m_vendId);
    read("LANGID", m_langId);
    read("CPID", m_cpId);
    read("LOGEMAIL", m_logEmail);
    read("URLDESCRIPTION", m_urlDescription);
    if (m_logEmail.IsEmpty())
        m_logEmail = kDefaultLogEmail;
    if (m_urlDescription.IsEmpty())
        m_urlDescription = kDefaultUrlDescription;
    return TRUE;
}

BOOL CAppConfig::SetDefaults()
{
    m_scanButtonRepeat = 1;
    m_scanOnEntry = 0;
    m_startScanCaption = "Start Scan";
    m_nextCaption = "Next >>";
    m_fixErrorsCaption = "Fix Errors";
    m_tipIndex = -1;
    for (int& value : m_categoryDefaults)
        value = 1;
    return TRUE;
}

BOOL CAppConfig::ReadColor(CMarkup& xml, LPCSTR pszName, COLORREF& color)
{
    if (!xml.FindChildElem(pszName) || !xml.IntoElem())
        return FALSE;
    static const char* const kParts[] = {"RED", "GREEN", "BLUE"};
    long parts[3] = {};
    BOOL bValid = TRUE;
    for (int i = 0; i < 3 && bValid; i++) {
        // Each part is looked for from the colour's first child on.
        xml.OutOfElem();
        xml.IntoElem();
        bValid = xml.FindChildElem(kParts[i]) && ParseDecimal(xml.GetData(), parts[i]) && parts[i] >= 0
                 && parts[i] <= 255;
    }
    xml.OutOfElem();
    if (bValid)
        color = RGB(parts[0], parts[1], parts[2]);
    return bValid;
}

int CAppConfig::ReadInt(CMarkup& xml, LPCSTR pszName, int nDefault)
{
    long value = 0;
    if (!xml.FindChildElem(pszName) || !ParseDecimal(xml.GetData(), value) || value < INT_MIN || value > INT_MAX)
        return nDefault;
    return static_cast<int>(value);
}

CString CAppConfig::GetWhitelistPath()
{
    char folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, folder)))
        return CString();
    return CString(folder) + "\\keldrix\\whitelist.dat";
}

BOOL CAppConfig::LoadWhitelist()
{
    return LoadWhitelist(GetWhitelistPath());
}

BOOL CAppConfig::LoadWhitelist(LPCSTR pszPath)
{
    m_whitelistKeys.RemoveAll();
    m_whitelistValues.RemoveAll();
    m_whitelistValueNames.RemoveAll();
    m_whitelistVersion = 0.0;

    CStdioFile file;
    if (pszPath == nullptr || *pszPath == '\0' ||
        !file.Open(pszPath, CFile::modeRead | CFile::shareDenyNone | CFile::typeText))
        return TRUE;

    BOOL bResult = TRUE;
    try {
        CString line;
        BOOL bHave = file.ReadString(line);
        if (bHave && line == "{VERSION}") {
            if (file.ReadString(line))
                m_whitelistVersion = std::strtod(line, nullptr);
            bHave = file.ReadString(line);
            if (bHave && line.IsEmpty())
                bHave = file.ReadString(line);
        }
        if (!bHave || line != "{KEY}") {
            bResult = FALSE;
        } else {
            CStringArray* pSection = &m_whitelistKeys;
            while (file.ReadString(line)) {
                if (pSection == &m_whitelistKeys && line == "{VALUE}") {
                    pSection = &m_whitelistValues;
                    continue;
                }
                if (pSection == &m_whitelistValues && line == "{VALUENAME}") {
                    pSection = &m_whitelistValueNames;
                    continue;
                }
                if (line.IsEmpty() || line.GetAt(0) == '!')
                    continue;
                pSection->Add(line);
            }
        }
    } catch (CException* e) {
        e->Delete();  // keep what was read before the error
    }
    file.Abort();
    return bResult;
}

CString CAppConfig::GetLogSettingsPath()
{
    const CString folder = CCleanSweep::GetProgramFolder();
    return folder.IsEmpty() ? CString() : folder + "LogSettings.xml";
}

BOOL CAppConfig::LoadLogSettings()
{
    return LoadLogSettings(GetLogSettingsPath());
}

HKEY CAppConfig::GetRootKeyFromName(LPCSTR pszName)
{
    return LogSettingsDocument::GetRootKeyFromName(pszName);
}

BOOL CAppConfig::LoadLogSettings(LPCSTR pszPath)
{
    return LogSettingsDocument::LoadLogSettings(pszPath, m_logSettings);
}
