#pragma once
#include "afx.h"
#include "AutoUpdateApi.h"

class CAppConfig;

// The main window's update check through the updater library AutoUpdate.dll,
// loaded at run time: first the program phase, then the whitelist phase. The
// main window hands it its handle, forwards the library's status message to
// OnStatus and arms the e-mail prompt timer when a call returns
// kArmEmailPrompt. A missing or damaged library skips the check.
class CUpdateCheck {
public:
    // What the main window does after a call.
    enum Reaction { kNoReaction, kArmEmailPrompt };

    // Switches that only tests set: the library to load instead of the one
    // beside the program, and the host to ask instead of ours.
    static const char kLibrarySwitch[];
    static const char kHostSwitch[];

    // Both are read when a phase starts; they must outlive the check.
    CUpdateCheck(const CAppConfig& config, const CString& buildNumber);
    ~CUpdateCheck();
    CUpdateCheck(const CUpdateCheck&) = delete;
    CUpdateCheck& operator=(const CUpdateCheck&) = delete;

    // At the window's start: prepares the two addresses and starts the
    // automatic check unless "autoupdate" is 0 or the library is unusable.
    Reaction StartAtWindowStart(HWND window);
    // The check the user asks for; ignored while a check runs.
    void QueryUpdateServer(HWND window);
    // The library's status message (wParam, lParam).
    Reaction OnStatus(WPARAM status, LPARAM value);
    // Before the window goes: the library reports no more.
    void Cancel();

    BOOL IsChecking() const { return m_checking; }
    BYTE GetPhase() const { return m_updatePhase; }
    BOOL IsAutomatic() const { return m_updateIsAutomatic; }

private:
    enum Function { kSetup, kInitialize, kQueryServerAsync, kQueryServer, kDownloadUpdateAsync, kRunAutoUpdate,
                    kFunctionCount };

    // Loads the library and finds its six functions; FALSE when it cannot.
    BOOL LoadUpdater();
    void StartProgramPhase(BOOL automatic);
    void StartWhitelistPhase();
    // Phase set-up shared by both phases: _AuSetup@4, _AuInitialize@4, the two fields.
    void BeginPhase(AuConfigRecord& config, AuQueryRecord& query);
    // Status 2: asks when "checkprompt" is 1, then downloads or goes on; TRUE when the check is finished.
    BOOL OfferDownload();

    const CAppConfig& m_config;
    const CString& m_buildNumber;
    HMODULE m_library = nullptr;
    AuFunction m_functions[kFunctionCount] = {};
    HWND m_window = nullptr;
    BYTE m_updatePhase = 0;  // 0 program, 1 whitelist
    BOOL m_updateIsAutomatic = FALSE;
    BOOL m_checking = FALSE;
};
