#pragma once
#include "afx.h"
#include "CIgnoreList.h"
#include "CRegistryProblem.h"
#include "LogSettings.h"

class LogFile;

// The application object: the data of the whole run (the problems of the
// last scan, the ignore list, the one diagnostic log document) and the
// start-up, which ends by running the main window modally.
class CRegistryCleanerApp : public CWinApp {
public:
    CRegistryCleanerApp();
    // Deletes the log document, unless the start-up log thread still writes it.
    ~CRegistryCleanerApp() override;

    BOOL InitInstance() override;

    // The run's log document, made (with its settings record) on first use.
    LogFile* GetLogFile();
    // Starts the start-up log on a worker thread; the thread object stays the
    // application's, so the end of the program can wait for it.
    CWinThread* StartLogThread();
    // Waits up to timeoutMs for the start-up log thread; TRUE when it has ended
    // (or never ran).
    BOOL WaitForLogThread(DWORD timeoutMs);
    // Replaces the log's settings section: the options and the eleven category
    // switches, in category order.
    void WriteSettingsLogSection(const BOOL categories[REGPROBLEM_TYPE_COUNT]);
    // The settings section's text for the given category switches.
    static CString BuildSettingsLogSection(const BOOL categories[REGPROBLEM_TYPE_COUNT]);
    void LoadIgnoreList();
    // Rewrites "ignorelist.dat" with the entries that are not removed.
    void SaveIgnoreList();
    // Adds the problem's entry to the ignore list and saves the file at once;
    // FALSE when the file could not be written.
    BOOL AddToIgnoreList(const CRegistryProblem& problem);

    // The message shown to a user who is no administrator.
    static void ShowAdminMessage();

    // The program's identifier for the update server and the log.
    static const int kProductId = 2;

    CRegistryProblemArray m_problems;
    CStringArray m_ignoreTexts;
    CIgnoreTypeArray m_ignoreTypes;
    LogFile* m_pLogFile = nullptr;
    LogSettings* m_pLogSettings = nullptr;

private:
    // The bound of the exit's wait for the start-up log thread.
    static const DWORD kLogThreadExitWaitMs = 15000;

    void EndScanEngine();

    CWinThread* m_pLogThread = nullptr;
};

// Fills the log-settings record: the system line, the switches of the
// configuration's log settings and copies of its lists of keys and folders,
// which the record's owner frees with FreeLogSettingsLists.
void FillLogSettings(LogSettings* pSettings);
void FreeLogSettingsLists(LogSettings* pSettings);
// The start-up log thread: gathers and saves the system-information log.
UINT SystemInfoLogThreadProc(LPVOID pParam);

extern CRegistryCleanerApp theApp;
extern UINT g_uTaskbarCreatedMsg;
extern CString g_buildNumber;
extern CString g_productVersion;
