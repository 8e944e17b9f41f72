#pragma once
#include "afx.h"
#include "CCleanSweep.h"
#include "CIgnoreList.h"
#include "CRegistryProblem.h"
#include "CSendGate.h"
#include <msi.h>
#include <atomic>

class LogFile;

// Notifications of the engine's worker threads, sent with SendMessageA to the
// window given to StartScan or StartFix; the worker waits while they are handled.
// WM_SCAN_PATH and WM_FIX_PROGRESS are thinned out: the first of each category
// is sent, then at most one every 25 ms; all others are sent every time.
// The wParam of WM_SCAN_DONE is 1 when the scan thread goes on to fix what it
// found ("repairafterfind"), then ends with WM_FIX_DONE; else 0. The window
// takes that decision from the message: a Stop it handles after the scan has
// decided changes nothing any more.
#define WM_FIX_PROGRESS (WM_USER + 678)      // wParam progress code, lParam category
#define WM_FIX_DONE (WM_USER + 679)          // 0, 0
#define WM_SCAN_DONE (WM_USER + 680)         // fix follows (1 or 0), 0
#define WM_SCAN_PATH (WM_USER + 681)         // 0, LPCSTR valid during the call
#define WM_PROBLEM_FOUND (WM_USER + 682)     // 0, CRegistryProblem* just stored
#define WM_CATEGORY_START (WM_USER + 683)    // 0, category
#define WM_CATEGORY_DONE (WM_USER + 684)     // 0, category
#define WM_CATEGORY_SKIPPED (WM_USER + 685)  // 0, category

// The wParam of WM_FIX_PROGRESS for each category.
extern const int g_fixProgressCodes[REGPROBLEM_TYPE_COUNT];

// The registry scan-and-fix engine. One object serves one scan and the fix
// that follows it; its worker threads report to a window by message.
class CRegScanner : public CCleanSweep {
public:
    // Size of the buffers the file-path helpers work in.
    enum { PATH_BUFFER = 1024 };

    // Neither the log, the problem array nor the ignore arrays are owned; the
    // records inside the problem array are. The whitelists are copied.
    CRegScanner(LogFile* pLog, CRegistryProblemArray* pProblems, CStringArray* pIgnoreTexts,
                CIgnoreTypeArray* pIgnoreTypes, const CStringArray* pWhitelistKeys,
                const CStringArray* pWhitelistValues, const CStringArray* pWhitelistValueNames);
    // Deletes the records of the problem array. Should a worker still run, it is
    // cancelled and waited for (its messages are still delivered meanwhile).
    ~CRegScanner() override;

    // Selects the categories (eleven flags by category) and zeroes the counters.
    void SetCategories(const BYTE enabled[REGPROBLEM_TYPE_COUNT]);
    // Start the scan or the fix thread, reporting to hNotifyWnd. FALSE when a
    // worker still runs or the thread cannot be started (nothing runs then).
    BOOL StartScan(HWND hNotifyWnd);
    BOOL StartFix(HWND hNotifyWnd);
    // Asks the running scan to stop at its next test; returns at once.
    void Cancel() { m_cancel = 1; }
    // TRUE from StartScan/StartFix until the worker's very last step.
    BOOL IsScanning() const { return m_scanning ? TRUE : FALSE; }
    // The thread last started, or NULL; its handle signals when it has ended.
    CWinThread* GetWorker() const { return m_pWorker; }

    int GetFoundCount(int category) const { return IsValidCategory(category) ? m_found[category] : 0; }
    int GetFixedCount(int category) const { return IsValidCategory(category) ? m_fixed[category] : 0; }
    int GetTotalFound() const { return m_totalFound; }
    int GetTotalFixed() const { return m_totalFixed; }
    BOOL IsCategoryEnabled(int category) const { return IsValidCategory(category) && m_enabled[category]; }

    // The files of the last fix (kept as paths even when the fix removed them
    // again for being empty); empty when the fix could not make them.
    const CString& GetBackupPath() const { return m_backupPath; }
    const CString& GetRenameLogPath() const { return m_renameLogPath; }
    const CString& GetRenameFolder() const { return m_renameFolder; }
    // The folder the fix writes its backups to, with a trailing backslash;
    // by default the "Backup" folder beside the program.
    void SetBackupFolder(const CString& folder) { m_backupFolder = folder; }
    CString GetBackupFolder() const;

    // The filter: stores the problem (the array then owns it), counts it and
    // announces it, unless its repair would remove a container (or a key above
    // one) or the whitelist or the ignore list drops it, in which case the
    // record is deleted. Either way the caller must not use it again.
    BOOL AddProblem(CRegistryProblem* pProblem);
    // TRUE when an ignore-list entry of the problem's category has its text.
    BOOL IsIgnored(const CRegistryProblem* pProblem) const;

    // TRUE for a name known to App Paths (any case) or one containing "rundll32".
    BOOL IsSkippedProgram(const CString& name) const;
    // The part of a registry command that names a file, into pszOut (never
    // longer than the input). "Folder:" texts give the folder after the marker,
    // regsvr32 commands the file they register; other texts stay as they are.
    static void CleanCommand(LPCSTR pszText, LPSTR pszOut, int nOutSize);
    // The file path of a command line, environment references expanded, into
    // pszResult (PATH_BUFFER bytes); pszText is cut on the way. Returns what
    // ExpandEnvironmentStringsA reported; 0 with an empty result when the
    // expanded path does not fit.
    static DWORD ExtractFilePath(LPSTR pszText, LPSTR pszResult);
    // FALSE when the shortcut leads to a missing file; TRUE when the target is
    // there or the shortcut cannot be read. pszTarget (MAX_PATH bytes) gets
    // the target path.
    static BOOL ResolveShortcut(LPCSTR pszShortcut, LPSTR pszTarget);
    // The Windows Installer calls that resolve an installer shortcut; the
    // system's own by default.
    struct InstallerCalls {
        UINT(WINAPI* getShortcutTarget)(LPCSTR, LPSTR, LPSTR, LPSTR);
        INSTALLSTATE(WINAPI* getComponentPath)(LPCSTR, LPCSTR, LPSTR, LPDWORD);
    };
    static const InstallerCalls s_systemInstaller;
    static BOOL ResolveShortcut(LPCSTR pszShortcut, LPSTR pszTarget, const InstallerCalls& installer);

    // The scan thread and the fix (which the scan thread may also run itself).
    // The fix repairs the selected problems of enabled categories after
    // backing them up, logs every problem, reports WM_FIX_DONE and frees the
    // problems; without a backup file it repairs nothing and keeps them. It
    // leaves the scanning flag to the thread that runs it.
    static UINT ScanThreadProc(LPVOID pParam);
    static UINT FixAll(LPVOID pParam);

protected:
    typedef void (CRegScanner::*ScannerProc)();
    // The category scanners, by category.
    static const ScannerProc s_scanners[REGPROBLEM_TYPE_COUNT];

    void ScanComActiveX();
    void ScanUninstallEntries();
    void ScanFontEntries();
    void ScanSharedDlls();
    void ScanAppPaths();
    void ScanHelpFiles();
    void ScanStartupItems();
    void ScanFilePaths();
    void ScanProgramShortcuts();
    void ScanEmptyKeys();
    void ScanFileAssociations();

    // The per-category repairs of the fix. Each is TRUE when the problem's key,
    // value or file is gone afterwards: removed now (after its backup) or
    // already missing. A key outside the category's root is left alone.
    BOOL FixComKey(CRegistryProblem* pProblem);
    BOOL FixUninstallKey(CRegistryProblem* pProblem);
    BOOL FixFontValue(CRegistryProblem* pProblem);
    BOOL FixSharedDllValue(CRegistryProblem* pProblem);
    BOOL FixAppPathKey(CRegistryProblem* pProblem);
    BOOL FixHelpValue(CRegistryProblem* pProblem);
    BOOL FixStartupItem(CRegistryProblem* pProblem);
    BOOL FixFilePathValue(CRegistryProblem* pProblem);
    BOOL FixShortcut(CRegistryProblem* pProblem);
    BOOL FixUsersKey(CRegistryProblem* pProblem);
    BOOL FixClassesKey(CRegistryProblem* pProblem);
    // Runs the repair rule of the problem's category.
    BOOL RepairProblem(CRegistryProblem* pProblem);

    // Sets a System Restore point, when the system offers them; a failure is
    // told to the user and the fix goes on.
    void CreateRestorePoint();
    // Creates this fix's .reg backup, named after the time given, in the
    // backup folder (made when missing) and writes its first line. A name
    // whose backup, rename log or rename folder exists already is never
    // reused: a number is added instead. NULL when no file could be made.
    FILE* OpenRegBackupFile(const CTime& time);
    // Creates the rename folder and the rename log beside the backup file,
    // with its base name. NULL (and no folder) when either cannot be made.
    FILE* OpenRenameLog();
    // Shows a message of the fix to the user (a message box of this thread).
    virtual void ShowFixMessage(LPCSTR pszText);

    BOOL IsCancelled() const { return m_cancel != 0; }
    // Whether the scan thread fixes right after its scan: never after a
    // cancel, and only with "repairafterfind" 1. Asked once, at the scan's end.
    virtual BOOL DecideRepairAfterFind();
    // Sends WM_SCAN_PATH with the text when it is the category's first or some
    // tens of milliseconds have passed since the last one sent: the progress
    // page shows one path per 100 ms, and every message costs the walk a
    // thread switch. The others are dropped here.
    void SendScanPath(LPCSTR pszPath) const;
    // Reads a string value (REG_SZ or REG_EXPAND_SZ) into the buffer, up to its
    // first zero byte. FALSE, with an empty buffer, for a missing value, another
    // type or one whose data does not fit in nSize - 1 bytes.
    static BOOL ReadRegText(HKEY key, LPCSTR pszName, LPSTR pszBuffer, DWORD nSize);
    // PathFindOnPathA on a copy of its own, so the argument is never rewritten.
    static BOOL FindOnPath(LPCSTR pszFile);
    // TRUE when a registry text names a drive path that is not there; the
    // path that was tested goes to tested. bCutIconIndex drops a ",n" suffix.
    BOOL IsMissingFile(LPCSTR pszValue, BOOL bCutIconIndex, CString& tested) const;
    // The fonts rule: TRUE when a font file is in neither known fonts folder
    // (NULL: not known) and is no path of its own; with no folder known, or
    // for an empty name, nothing is judged.
    static BOOL IsFontMissing(LPCSTR pszFile, const CString* pUserFolder, const CString* pShellFolder);
    // Deletes every record of the problem array and empties it.
    void DeleteProblems();

    std::atomic<int> m_cancel{0};
    CWinThread* m_pWorker = nullptr;
    CMapStringToOb m_appPathNames{10};
    HWND m_hNotifyWnd = nullptr;
    int m_found[REGPROBLEM_TYPE_COUNT] = {};
    int m_fixed[REGPROBLEM_TYPE_COUNT] = {};
    int m_totalFound = 0;
    int m_totalFixed = 0;
    std::atomic<bool> m_scanning{false};
    BYTE m_enabled[REGPROBLEM_TYPE_COUNT] = {};
    CString m_renameFolder;
    CString m_renameLogPath;
    CString m_backupPath;
    CString m_backupFolder;              // empty: "Backup" beside the program
    CRegistryProblemArray* m_pProblems;
    CStringArray* m_pIgnoreTexts;
    CIgnoreTypeArray* m_pIgnoreTypes;
    LogFile* m_pLog;
    CStringArray m_whitelistKeys;        // lower-cased copies
    CStringArray m_whitelistValues;
    CStringArray m_whitelistValueNames;
    mutable CSendGate m_pathGate;        // thins WM_SCAN_PATH
    CSendGate m_progressGate;            // thins WM_FIX_PROGRESS

private:
    void CopyExclusionLists(const CStringArray* pKeys, const CStringArray* pValues,
                            const CStringArray* pValueNames);
    void LoadAppPathNames();
    BOOL StartWorker(AFX_THREADPROC pfnProc, HWND hNotifyWnd);
    void RunScan();
    // The scan of a key under HKEY_LOCAL_MACHINE whose subkeys each hold a file
    // in a text value: a subkey whose file is missing is a problem named by the
    // subkey. A text pfnIgnored accepts is not judged.
    void ScanSubKeyFiles(LPCSTR pszKeyPath, LPCSTR pszValueName, int category, BOOL (*pfnIgnored)(LPCSTR pszText));
    // The five passes of the COM/ActiveX scanner. The first keeps the classes
    // that have an AppID, with their AppIDs, for the second.
    void ScanClassFiles(CStringArray& appIdClasses, CStringArray& appIds);
    void ScanClassAppIds(const CStringArray& appIdClasses, const CStringArray& appIds);
    void ScanNamedAppIds();
    void ScanClsidReferences();
    void ScanTypeLibraries();
    // The tests of the COM/ActiveX scanner (paths below HKEY_CLASSES_ROOT).
    void CheckComFile(HKEY parent, LPCSTR pszSubKey, REGSAM access, const CString& problemKey, BOOL bCutIconIndex);
    void CheckComReference(const CString& keyPath, LPCSTR pszValueName, LPCSTR pszTargetRoot,
                           LPCSTR pszProblemValueName);
    void CheckReference(const CString& keyPath, const CString& value, LPCSTR pszTargetRoot,
                        LPCSTR pszProblemValueName);
    static UINT FixThreadProc(LPVOID pParam);
    void RunFix();
    // Repairs (with bRepair) the selected problems and logs every problem.
    void RepairAndLogProblems(BOOL bRepair, HWND hNotifyWnd);
    // Removes the backup, rename log and rename folder of this fix that received nothing.
    void RemoveUnusedBackups(BOOL bBackupUsed);
    void LogIgnoreList();
    // The repairs the rules are made of.
    BOOL RemoveKeyTree(HKEY root, const CString& path);
    BOOL RemoveSubKeyTree(HKEY root, const CString& path, const CString& subKeyName);
    BOOL RemoveValue(HKEY root, const CString& path, const CString& valueName);
};

// The one engine of the program; the application deletes it at exit.
extern CRegScanner* g_pRegScanner;
