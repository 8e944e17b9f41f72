#include "CUpdateCheck.h"
#include "CAppConfig.h"
#include "CCleanSweep.h"
#include "CWinApp.h"
#include "RegistrySettings.h"
#include "SystemUtils.h"
#include "resource.h"
#include <cstdlib>
#include <cstring>

const char CUpdateCheck::kLibrarySwitch[] = "KELDRIX_TEST_AUTOUPDATE_DLL";
const char CUpdateCheck::kHostSwitch[] = "KELDRIX_TEST_UPDATE_HOST";

namespace {

const char kLibraryName[] = "AutoUpdate.dll";
const char kProgramHost[] = "www.keldrix.example";
const char kWhitelistHost[] = "update.keldrix.example";
const char kProgramQuery[] = "/ombrelvin/updatecore.aspx?vid=%s&pid=%i&lid=%s&cpid=%s&version=%s";
const char kWhitelistPath[] = "/zidederiv/en/database.xml";
const char kProductWord[] = "KELDRIX";
const char kSettingsKey[] = "SOFTWARE\\Keldrix";
const char kPromptCaption[] = "Keldrix Update";
const char kNoUpdatesText[] = "There are no updates available at this time.\n\nYour product is up-to-date.";
const char kNoUpdatesCaption[] = "Keldrix";
const char kDownloadComplete[] = "Download complete";
const char kDownloadFailed[] = "Download Failed";
const char kUpdaterMissing[] = "Keldrix cannot check for updates: AutoUpdate.dll is missing or damaged.";

const char* const kFunctionNames[] = {kAuSetupName, kAuInitializeName, kAuQueryServerAsyncName,
                                      kAuQueryServerName, kAuDownloadUpdateAsyncName, kAuRunAutoUpdateName};

// The records the library reads and writes, in static storage for the whole run.
AuConfigRecord g_auProgramConfig = {sizeof(AuConfigRecord), kProductWord, kSettingsKey, nullptr, "Keldrix", 0, 0.0};
AuConfigRecord g_auWhitelistConfig = {sizeof(AuConfigRecord), kProductWord, kSettingsKey, nullptr,
                                      "Keldrix Whitelist", 0, 0.0};
AuQueryRecord g_auProgramQuery = {};
AuQueryRecord g_auWhitelistQuery = {};

// A copy on the heap that lives until the program ends: the library may keep the pointer.
LPCSTR KeepForTheRun(const CString& text)
{
    char* copy = new char[text.GetLength() + 1];
    memcpy(copy, (LPCSTR)text, text.GetLength() + 1);
    return copy;
}

// Formats the two addresses once; the host is ours unless a test names another.
void PrepareAddresses(const CAppConfig& config, const CString& buildNumber)
{
    if (g_auProgramConfig.address)
        return;
    CString testHost = GetEnvironmentText(CUpdateCheck::kHostSwitch);
    CString query;
    query.Format(kProgramQuery, (LPCSTR)config.m_vendId, 2, (LPCSTR)config.m_langId, (LPCSTR)config.m_cpId,
                 (LPCSTR)buildNumber);
    g_auProgramConfig.address =
        KeepForTheRun(CString("http://") + (testHost.IsEmpty() ? CString(kProgramHost) : testHost) + query);
    g_auWhitelistConfig.address =
        KeepForTheRun(CString("http://") + (testHost.IsEmpty() ? CString(kWhitelistHost) : testHost) + kWhitelistPath);
}

// Stops the library's reports for a record: it checks both fields before each one.
void SilenceRecord(AuQueryRecord& query)
{
    volatile AuQueryRecord& record = query;
    record.reportFlag = 0;
    record.window = nullptr;
}

}  // namespace

CUpdateCheck::CUpdateCheck(const CAppConfig& config, const CString& buildNumber)
    : m_config(config), m_buildNumber(buildNumber)
{
}

CUpdateCheck::~CUpdateCheck()
{
    Cancel();
    // The library holds itself loaded while one of its threads still runs.
    if (m_library)
        FreeLibrary(m_library);
}

BOOL CUpdateCheck::LoadUpdater()
{
    if (m_library)
        return TRUE;
    CString path = GetEnvironmentText(kLibrarySwitch);
    if (path.IsEmpty())
        path = CCleanSweep::GetProgramFolder() + kLibraryName;
    // A damaged file must fail quietly, without the system's error box.
    DWORD oldMode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
    HMODULE library = LoadLibraryA(path);
    SetThreadErrorMode(oldMode, nullptr);
    if (!library)
        return FALSE;
    for (int i = 0; i < kFunctionCount; ++i) {
        m_functions[i] = reinterpret_cast<AuFunction>(reinterpret_cast<void*>(GetProcAddress(library, kFunctionNames[i])));
        if (!m_functions[i]) {
            FreeLibrary(library);
            memset(m_functions, 0, sizeof m_functions);
            return FALSE;
        }
    }
    m_library = library;
    return TRUE;
}

CUpdateCheck::Reaction CUpdateCheck::StartAtWindowStart(HWND window)
{
    m_window = window;
    PrepareAddresses(m_config, m_buildNumber);
    if (!GetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_AUTOUPDATE, 1))
        return kArmEmailPrompt;
    // Without the library the e-mail prompt follows as after a finished check.
    if (!LoadUpdater())
        return kArmEmailPrompt;
    StartProgramPhase(TRUE);
    return kNoReaction;
}

void CUpdateCheck::QueryUpdateServer(HWND window)
{
    // A second request would restart the phase on records the library is using.
    if (m_checking)
        return;
    m_window = window;
    PrepareAddresses(m_config, m_buildNumber);
    if (!LoadUpdater()) {
        AfxMessageBox(kUpdaterMissing, MB_OK | MB_ICONWARNING);
        return;
    }
    StartProgramPhase(FALSE);
}

void CUpdateCheck::BeginPhase(AuConfigRecord& config, AuQueryRecord& query)
{
    m_functions[kSetup](&config);
    m_functions[kInitialize](&query);
    query.window = m_window;
    query.reportFlag = 1;
}

void CUpdateCheck::StartProgramPhase(BOOL automatic)
{
    m_updatePhase = 0;
    m_updateIsAutomatic = automatic;
    m_checking = TRUE;
    g_auProgramConfig.installedVersion = atof(m_buildNumber);
    BeginPhase(g_auProgramConfig, g_auProgramQuery);
    m_functions[automatic ? kQueryServerAsync : kQueryServer](&g_auProgramQuery);
}

void CUpdateCheck::StartWhitelistPhase()
{
    m_updatePhase = 1;
    g_auWhitelistConfig.installedVersion = m_config.m_whitelistVersion;
    BeginPhase(g_auWhitelistConfig, g_auWhitelistQuery);
    m_functions[kQueryServerAsync](&g_auWhitelistQuery);
}

BOOL CUpdateCheck::OfferDownload()
{
    if (GetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_CHECKPROMPT, 1) == 1) {
        CString question;
        question.LoadString(m_updatePhase == 0 ? IDS_UPDATE_PROGRAM : IDS_UPDATE_WHITELIST);
        if (MessageBoxA(m_window, question, kPromptCaption, MB_YESNO) != IDYES) {
            if (m_updatePhase != 0)
                return TRUE;
            StartWhitelistPhase();
            return FALSE;
        }
    }
    m_functions[kDownloadUpdateAsync](m_updatePhase == 0 ? &g_auProgramQuery : &g_auWhitelistQuery);
    return FALSE;
}

CUpdateCheck::Reaction CUpdateCheck::OnStatus(WPARAM status, LPARAM value)
{
    // Only a check this object started is answered (never one cancelled).
    if (!m_checking)
        return kNoReaction;
    BOOL finished = FALSE;
    switch (status) {
    case kAuCheckFinished:
        finished = TRUE;
        m_updatePhase = 0;
        break;
    case kAuUpdateAvailable:
        finished = OfferDownload();
        break;
    case kAuNoUpdate:
        if (m_updatePhase == 0) {
            StartWhitelistPhase();
        } else if (!m_updateIsAutomatic) {
            MessageBoxA(m_window, kNoUpdatesText, kNoUpdatesCaption, MB_OK);
            m_checking = FALSE;
        } else {
            finished = TRUE;
        }
        break;
    case kAuDownloadComplete:
        AfxMessageBox(kDownloadComplete);
        m_functions[kRunAutoUpdate](reinterpret_cast<void*>(value));
        m_checking = FALSE;
        break;
    case kAuDownloadFailed:
        finished = TRUE;
        AfxMessageBox(kDownloadFailed);
        break;
    default:
        break;
    }
    if (finished)
        m_checking = FALSE;
    return finished && m_updateIsAutomatic ? kArmEmailPrompt : kNoReaction;
}

void CUpdateCheck::Cancel()
{
    SilenceRecord(g_auProgramQuery);
    SilenceRecord(g_auWhitelistQuery);
    m_checking = FALSE;
}
