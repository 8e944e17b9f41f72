#include "CRegistryCleanerApp.h"
#include <cstdlib>
#include "CAppConfig.h"
#include "CCleanSweep.h"
#include "CDHtmlDialog.h"
#include "CRegScanner.h"
#include "CRegistryCleanerDlg.h"
#include "CSystemInformation.h"
#include "DrawHTML.h"
#include "LogFile.h"
#include "LogSettingsDirectory.h"
#include "LogSettingsKey.h"
#include "RegistrySettings.h"
#include "StartupRules.h"
#include "SysInfo.h"
#include "UserRights.h"
#include "resource.h"

// The program-wide objects, in this order.
CRegistryCleanerApp theApp;
UINT g_uTaskbarCreatedMsg = ::RegisterWindowMessageA("TaskbarCreated");
CString g_buildNumber = "16000";
CString g_productVersion = "1.6";

namespace {

// How long a second start waits for the running instance to answer.
const UINT kHandOverTimeoutMs = 5000;
}  // namespace

CRegistryCleanerApp::CRegistryCleanerApp() : CWinApp(nullptr) {}

void CRegistryCleanerApp::ShowAdminMessage()
{
    // The string table's text ends with the product's web host.
    CString text;
    text.LoadString(IDS_ADMIN_REQUIRED);
    AfxMessageBox(text, MB_OK);
}

CRegistryCleanerApp::~CRegistryCleanerApp()
{
    // A log thread that is still writing keeps its document and everything
    // it reads: they are left to the end of the process rather than freed
    // under the thread.
    if (!WaitForLogThread(0))
        return;
    delete m_pLogThread;
    if (m_pLogSettings && m_pLogSettings->m_pSysInfo)
        delete m_pLogSettings->m_pSysInfo;
    delete m_pLogFile;
    if (m_pLogSettings)
        FreeLogSettingsLists(m_pLogSettings);
}

BOOL CRegistryCleanerApp::InitInstance()
{
    // The HTML dialogs (tray pop-up, tip of the day) draw their texts with it.
    CDHtmlDialog::SetTextRenderer(&DrawHTML);
    BOOL isAdmin = FALSE;
    IsUserAdmin(&isAdmin);
    if (!isAdmin) {
        ShowAdminMessage();
        return TRUE;
    }

    ::SetCurrentDirectoryA(CCleanSweep::GetProgramFolder());

    CString productName;
    productName.LoadString(IDS_PRODUCT_NAME);
    const char* commandLine = m_lpCmdLine ? m_lpCmdLine : "";

    g_appConfig.Load();
    // There is no control container to enable: the HTML dialogs draw their
    // pages over the class library's native controls and host no ActiveX control.

    HANDLE mutex = ::CreateMutexA(nullptr, TRUE, productName);
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        HWND running = FindRunningMainWindow(productName, IDC_NAV_SCAN);
        if (running)
            HandOverToRunningInstance(running, HasScanSwitch(commandLine), kHandOverTimeoutMs);
        if (mutex)
            ::CloseHandle(mutex);
        return FALSE;
    }
    // The first instance keeps its mutex until the process ends.

    CString logFolder;
    logFolder.Format("%sLogs", static_cast<LPCSTR>(CCleanSweep::GetProgramFolder()));
    ::CreateDirectoryA(logFolder, nullptr);
    StartLogThread();
    LoadIgnoreList();

    {
        CRegistryCleanerDlg dialog(nullptr);
        m_pMainWnd = &dialog;
        if (HasTraySwitch(commandLine))
            dialog.SetStartHidden(TRUE);
        dialog.DoModal();
        EndScanEngine();
        m_pMainWnd = nullptr;
    }
    WaitForLogThread(kLogThreadExitWaitMs);
    return FALSE;
}

void CRegistryCleanerApp::EndScanEngine()
{
    // The engine's destructor cancels and waits for a worker that still runs.
    delete g_pRegScanner;
    g_pRegScanner = nullptr;
}

LogFile* CRegistryCleanerApp::GetLogFile()
{
    if (m_pLogFile)
        return m_pLogFile;
    if (!m_pLogSettings) {
        m_pLogSettings = new LogSettings;
        FillLogSettings(m_pLogSettings);
    }
    m_pLogFile = new LogFile(*m_pLogSettings);
    return m_pLogFile;
}

CWinThread* CRegistryCleanerApp::StartLogThread()
{
    LogFile* log = GetLogFile();
    if (m_pLogThread)
        return m_pLogThread;
    m_pLogThread = AfxBeginThread(&SystemInfoLogThreadProc, log);
    return m_pLogThread;
}

BOOL CRegistryCleanerApp::WaitForLogThread(DWORD timeoutMs)
{
    if (!m_pLogThread || !m_pLogThread->m_hThread)
        return TRUE;
    return ::WaitForSingleObject(m_pLogThread->m_hThread, timeoutMs) == WAIT_OBJECT_0;
}

CString CRegistryCleanerApp::BuildSettingsLogSection(const BOOL categories[REGPROBLEM_TYPE_COUNT])
{
    struct Option {
        LPCSTR name;
        int defaultValue;
    };
    static const Option options[] = {
        {SETTING_SHUTDOWNAFTERCLEAN, 0}, {SETTING_SPLASHSCREEN, 0}, {SETTING_REPAIRAFTERFIND, 0},
        {SETTING_SYSTEMRESTORE, 0},      {SETTING_AUTOUPDATE, 1},   {SETTING_CHECKPROMPT, 1},
    };
    static const char* const categoryTags[REGPROBLEM_TYPE_COUNT] = {
        "REG_COM_ACTIVEX", "REG_UNINSTALL",     "REG_FONT",        "REG_SHARED_DLLS",
        "REG_APP_PATH",    "REG_HELP_FILES",    "REG_WIN_STARTUP", "REG_FILE_PATH",
        "REG_PROGRAM_SHORTCUT", "REG_EMPTY_REGKEYS", "REG_SHELL_EXTENSION",
    };
    CString text = "<GeneralSettings>\n";
    for (const Option& option : options) {
        BOOL on = GetRegistrySettingInt(SETTINGS_PRODUCT, option.name, option.defaultValue) != 0;
        text.AppendFormat("<%s>%s</%s>\n", option.name, on ? "yes" : "no", option.name);
    }
    text += "</GeneralSettings>\n<ScanSettings>\n";
    for (int i = 0; i < REGPROBLEM_TYPE_COUNT; ++i)
        text.AppendFormat("<%s>%s</%s>\n", categoryTags[i], categories[i] ? "yes" : "no", categoryTags[i]);
    text += "</ScanSettings>\n";
    return text;
}

void CRegistryCleanerApp::WriteSettingsLogSection(const BOOL categories[REGPROBLEM_TYPE_COUNT])
{
    // The document takes its own lock: the start-up and fix threads share it.
    GetLogFile()->SetSettingsText(BuildSettingsLogSection(categories));
}

void CRegistryCleanerApp::LoadIgnoreList()
{
    CIgnoreList list(m_ignoreTexts, m_ignoreTypes, CIgnoreList::GetDefaultPath());
    list.Load();
}

void CRegistryCleanerApp::SaveIgnoreList()
{
    CIgnoreList list(m_ignoreTexts, m_ignoreTypes, CIgnoreList::GetDefaultPath());
    list.Save();
}

BOOL CRegistryCleanerApp::AddToIgnoreList(const CRegistryProblem& problem)
{
    CIgnoreList list(m_ignoreTexts, m_ignoreTypes, CIgnoreList::GetDefaultPath());
    return list.Add(problem);
}

void FillLogSettings(LogSettings* pSettings)
{
    CString servicePack = "Unknown or None";
    CSystemInformation system;
    CString osName = system.DetectOperatingSystem(servicePack);

    delete pSettings->m_pSysInfo;
    pSettings->m_pSysInfo = nullptr;
    BYTE autoUpdate = GetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_AUTOUPDATE, 1) != 0;
    try {
        pSettings->m_pSysInfo = new SysInfo(osName, servicePack, g_productVersion, CCleanSweep::GetProgramFolder(),
                                            atoi(g_appConfig.m_vendId), CRegistryCleanerApp::kProductId,
                                            autoUpdate);
    } catch (const std::bad_alloc&) {
        pSettings->m_pSysInfo = nullptr;
    }

    const LogSettingsConfig& config = g_appConfig.m_logSettings;
    pSettings->m_registry = config.m_registry;
    pSettings->m_hosts = config.m_hosts;
    pSettings->m_processes = config.m_processes;
    pSettings->m_filesystem = config.m_filesystem;
    pSettings->m_binary = config.m_binary;
    pSettings->m_dword = config.m_dword;
    pSettings->m_regsz = config.m_regsz;
    // Copies, not the configuration's own lists: the start-up log thread walks
    // them, and at the end of the process the configuration is destroyed
    // while a thread that outlived the exit's wait may still be walking.
    pSettings->m_pDirectories = new CPtrList;
    for (POSITION pos = config.m_directories.GetHeadPosition(); pos;) {
        const auto* folder = static_cast<const LogSettingsDirectory*>(config.m_directories.GetNext(pos));
        pSettings->m_pDirectories->AddTail(new LogSettingsDirectory(*folder));
    }
    pSettings->m_pKeys = new CPtrList;
    for (POSITION pos = config.m_keys.GetHeadPosition(); pos;) {
        const auto* key = static_cast<const LogSettingsKey*>(config.m_keys.GetNext(pos));
        pSettings->m_pKeys->AddTail(new LogSettingsKey(*key));
    }
}

void FreeLogSettingsLists(LogSettings* pSettings)
{
    if (pSettings->m_pDirectories) {
        while (!pSettings->m_pDirectories->IsEmpty())
            delete static_cast<LogSettingsDirectory*>(pSettings->m_pDirectories->RemoveHead());
        delete pSettings->m_pDirectories;
        pSettings->m_pDirectories = nullptr;
    }
    if (pSettings->m_pKeys) {
        while (!pSettings->m_pKeys->IsEmpty())
            delete static_cast<LogSettingsKey*>(pSettings->m_pKeys->RemoveHead());
        delete pSettings->m_pKeys;
        pSettings->m_pKeys = nullptr;
    }
}

UINT SystemInfoLogThreadProc(LPVOID pParam)
{
    static_cast<LogFile*>(pParam)->CreateSystemInformationLog();
    return 0;
}
