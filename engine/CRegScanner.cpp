#include "CRegScanner.h"
#include "CComScope.h"
#include "CRegKeyHandle.h"
#include "CWnd.h"
#include "RegistrySettings.h"
#include <objbase.h>

CRegScanner* g_pRegScanner = nullptr;

namespace {

// The least time between two WM_SCAN_PATH or WM_FIX_PROGRESS messages sent.
const DWORD kProgressIntervalMs = 25;

}  // namespace

const int g_fixProgressCodes[REGPROBLEM_TYPE_COUNT] = {20, 21, 22, 23, 24, 25, 26, 27, 17, 18, 19};

const CRegScanner::ScannerProc CRegScanner::s_scanners[REGPROBLEM_TYPE_COUNT] = {
    &CRegScanner::ScanComActiveX,
    &CRegScanner::ScanUninstallEntries,
    &CRegScanner::ScanFontEntries,
    &CRegScanner::ScanSharedDlls,
    &CRegScanner::ScanAppPaths,
    &CRegScanner::ScanHelpFiles,
    &CRegScanner::ScanStartupItems,
    &CRegScanner::ScanFilePaths,
    &CRegScanner::ScanProgramShortcuts,
    &CRegScanner::ScanEmptyKeys,
    &CRegScanner::ScanFileAssociations,
};

CRegScanner::CRegScanner(LogFile* pLog, CRegistryProblemArray* pProblems, CStringArray* pIgnoreTexts,
                         CIgnoreTypeArray* pIgnoreTypes, const CStringArray* pWhitelistKeys,
                         const CStringArray* pWhitelistValues, const CStringArray* pWhitelistValueNames)
    : m_pProblems(pProblems), m_pIgnoreTexts(pIgnoreTexts), m_pIgnoreTypes(pIgnoreTypes), m_pLog(pLog),
      m_pathGate(kProgressIntervalMs), m_progressGate(kProgressIntervalMs)
{
    CopyExclusionLists(pWhitelistKeys, pWhitelistValues, pWhitelistValueNames);
    LoadAppPathNames();
}

CRegScanner::~CRegScanner()
{
    if (m_pWorker != nullptr) {
        if (m_scanning) {
            // Deleted under a running worker: stop it and let it finish, still
            // delivering the messages it sends to windows of this thread.
            Cancel();
            HANDLE thread = m_pWorker->m_hThread;
            while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
                MSG msg;
                PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            }
        }
        delete m_pWorker;
    }
    DeleteProblems();
}

// The filter compares lower-cased texts: the entries are lower-cased once here.
void CRegScanner::CopyExclusionLists(const CStringArray* pKeys, const CStringArray* pValues,
                                     const CStringArray* pValueNames)
{
    const CStringArray* sources[] = {pKeys, pValues, pValueNames};
    CStringArray* copies[] = {&m_whitelistKeys, &m_whitelistValues, &m_whitelistValueNames};
    for (int i = 0; i < 3; i++) {
        copies[i]->RemoveAll();
        if (sources[i] == nullptr)
            continue;
        copies[i]->Append(*sources[i]);
        for (INT_PTR j = 0; j < copies[i]->GetSize(); j++)
            copies[i]->ElementAt(j).MakeLower();
    }
}

void CRegScanner::LoadAppPathNames()
{
    CRegKeyHandle key;
    if (key.Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths", KEY_READ)
        != ERROR_SUCCESS)
        return;
    CString name;
    for (DWORD index = 0; key.EnumKey(index, name) == ERROR_SUCCESS; index++) {
        name.MakeLower();
        m_appPathNames.SetAt(name, nullptr);
    }
}

void CRegScanner::DeleteProblems()
{
    if (m_pProblems == nullptr)
        return;
    for (INT_PTR i = 0; i < m_pProblems->GetSize(); i++)
        delete m_pProblems->GetAt(i);
    m_pProblems->RemoveAll();
}

void CRegScanner::SetCategories(const BYTE enabled[REGPROBLEM_TYPE_COUNT])
{
    for (int i = 0; i < REGPROBLEM_TYPE_COUNT; i++) {
        m_enabled[i] = enabled[i];
        m_found[i] = 0;
        m_fixed[i] = 0;
    }
    m_totalFound = 0;
    m_totalFixed = 0;
}

BOOL CRegScanner::StartScan(HWND hNotifyWnd)
{
    return StartWorker(&CRegScanner::ScanThreadProc, hNotifyWnd);
}

BOOL CRegScanner::StartFix(HWND hNotifyWnd)
{
    return StartWorker(&CRegScanner::FixThreadProc, hNotifyWnd);
}

BOOL CRegScanner::StartWorker(AFX_THREADPROC pfnProc, HWND hNotifyWnd)
{
    if (m_scanning)
        return FALSE;  // one worker at a time
    // The previous worker has passed its last step; its handle can go.
    delete m_pWorker;
    m_pWorker = nullptr;
    m_hNotifyWnd = hNotifyWnd;
    m_scanning = true;
    m_cancel = 0;
    m_pWorker = AfxBeginThread(pfnProc, this);
    if (m_pWorker == nullptr) {
        m_scanning = false;
        return FALSE;
    }
    return TRUE;
}

void CRegScanner::SendScanPath(LPCSTR pszPath) const
{
    if (m_pathGate.Pass())
        SendMessageA(m_hNotifyWnd, WM_SCAN_PATH, 0, reinterpret_cast<LPARAM>(pszPath));
}

UINT CRegScanner::ScanThreadProc(LPVOID pParam)
{
    CRegScanner* self = static_cast<CRegScanner*>(pParam);
    self->RunScan();
    // The very last step: from here on the owner may delete the engine.
    self->m_scanning = false;
    return 0;
}

UINT CRegScanner::FixThreadProc(LPVOID pParam)
{
    CRegScanner* self = static_cast<CRegScanner*>(pParam);
    FixAll(self);
    self->m_scanning = false;
    return 0;
}

BOOL CRegScanner::DecideRepairAfterFind()
{
    return !IsCancelled() && GetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_REPAIRAFTERFIND, 0) == 1;
}

void CRegScanner::RunScan()
{
    CComScope com;
    const HWND hNotifyWnd = m_hNotifyWnd;

    SetRegistrySettingString(SETTINGS_PRODUCT, SETTING_LASTSCAN,
                             CTime::GetCurrentTime().Format("%b %d, %Y %H:%M:%S"));
    DeleteProblems();

    for (int category = 0; category < REGPROBLEM_TYPE_COUNT; category++) {
        if (m_enabled[category] && !IsCancelled()) {
            SendMessageA(hNotifyWnd, WM_CATEGORY_START, 0, category);
            m_pathGate.Open();
            (this->*s_scanners[category])();
            SendMessageA(hNotifyWnd, WM_CATEGORY_DONE, 0, category);
        } else {
            SendMessageA(hNotifyWnd, WM_CATEGORY_SKIPPED, 0, category);
        }
    }

    CWnd* pMainWnd = AfxGetMainWnd();
    if (pMainWnd != nullptr && pMainWnd->IsWindow())
        pMainWnd->ShowWindow(SW_RESTORE);

    SetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_LASTFOUNDERRORS, m_totalFound);

    // One decision, told to the window with the message.
    const BOOL bRepair = DecideRepairAfterFind();
    SendMessageA(hNotifyWnd, WM_SCAN_DONE, bRepair ? 1 : 0, 0);
    if (bRepair) {
        FixAll(this);
        // Once more after the fix's own: the finding page handles the automatic fix's end on this one.
        SendMessageA(hNotifyWnd, WM_FIX_DONE, 0, 0);
    }
}
