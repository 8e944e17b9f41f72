#include "CRegScanner.h"
#include "IgnoredItem.h"
#include "LogFile.h"
#include "RegExport.h"
#include "RegistrySettings.h"
#include "ScanDetectedItem.h"
#include "CFileStream.h"
#include "CRegKeyHandle.h"
#include "SystemUtils.h"
#include "resource.h"
#include <srrestoreptapi.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

// The fix: backs up and removes the selected problems of the last scan, one
// repair rule per category, and records the whole scan in the log.

namespace {

const char kRestorePointFailed[] =
    "Keldrix could not set the system restore point as Windows system restore is turned off.  \n\n"
    "To turn it on: \n"
    "1. Right click on the My Computer icon on your desktop.\n"
    "2. Select Properties.\n"
    "3. Click the System Restore tab.\n"
    "4. Clear the Turn off System Restore checkbox.\n"
    "5. Click OK.";

const char kBackupFailed[] =
    "Keldrix could not create the registry backup file in its Backup folder, so no errors were fixed.\n\n"
    "Make sure that the Backup folder beside Keldrix can be written to, then click Fix Errors again.";

const char kRestorePointName[] = "Keldrix Backup";

// A message of the fix from the program's string table; the built-in text
// where the module has none (the console tools).
CString FixText(UINT nID, LPCSTR pszFallback)
{
    CString text;
    if (!text.LoadString(nID))
        text = pszFallback;
    return text;
}

// Numbers tried after a backup name that is taken, before the fix gives up.
const int kMaxBackupNames = 100;

BOOL PathExists(const CString& path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

BOOL IsFileEmpty(const CString& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    return GetFileAttributesExA(path, GetFileExInfoStandard, &data) && data.nFileSizeHigh == 0
           && data.nFileSizeLow == 0;
}

// Creates a text file that must not exist yet and opens it for writing. NULL,
// with errno telling why (EEXIST: it exists), when it cannot be made.
FILE* CreateNewTextFile(const CString& path)
{
    const int fd = _open(path, _O_CREAT | _O_EXCL | _O_RDWR | _O_TEXT, _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return nullptr;
    FILE* stream = _fdopen(fd, "w+");
    if (stream == nullptr) {
        _close(fd);
        DeleteFileA(path);
    }
    return stream;
}

// The path below the named root of a problem's key: the text after the
// root's name (exact case) and a backslash, trimmed of backslashes. FALSE
// when the key lies under another root or names the root itself.
BOOL SplitProblemKey(const CString& key, LPCSTR pszRootName, CString& path)
{
    const int length = static_cast<int>(strlen(pszRootName));
    if (key.GetLength() <= length || strncmp(key, pszRootName, length) != 0 || key[length] != '\\')
        return FALSE;
    path = TrimRegKeyPath(key.Mid(length + 1));
    return !path.IsEmpty();
}

BOOL IsKeyMissing(HKEY root, const CString& path)
{
    CRegKeyHandle key;
    return key.Open(root, path, KEY_QUERY_VALUE) == ERROR_FILE_NOT_FOUND;
}

BOOL IsValueMissing(HKEY root, const CString& path, const CString& valueName)
{
    CRegKeyHandle key;
    const LONG rc = key.Open(root, path, KEY_QUERY_VALUE);
    if (rc != ERROR_SUCCESS)
        return rc == ERROR_FILE_NOT_FOUND;
    return RegQueryValueExA(key, valueName, nullptr, nullptr, nullptr, nullptr) == ERROR_FILE_NOT_FOUND;
}

BOOL IsFileMissing(const CString& path)
{
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
        return FALSE;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace

UINT CRegScanner::FixAll(LPVOID pParam)
{
    static_cast<CRegScanner*>(pParam)->RunFix();
    return 0;
}

CString CRegScanner::GetBackupFolder() const
{
    return m_backupFolder.IsEmpty() ? GetProgramFolder() + "Backup\\" : m_backupFolder;
}

void CRegScanner::ShowFixMessage(LPCSTR pszText)
{
    AfxMessageBox(pszText, MB_OK);
}

void CRegScanner::RunFix()
{
    const HWND hNotifyWnd = m_hNotifyWnd;
    if (GetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_SYSTEMRESTORE, 0) != 0)
        CreateRestorePoint();

    // One time stamp names every file of this fix, so they always pair up.
    const CTime now = CTime::GetCurrentTime();
    m_backupPath.Empty();
    m_renameLogPath.Empty();
    m_renameFolder.Empty();
    CFileStream backup(OpenRegBackupFile(now));
    const long headerEnd = backup.Get() != nullptr ? ftell(backup.Get()) : 0;
    CFileStream renameLog(backup.Get() != nullptr ? OpenRenameLog() : nullptr);
    SetBackupFile(backup.Get());
    SetLogFile(renameLog.Get());

    // Nothing may be removed that could not be written to a backup first:
    // without one, nothing is repaired and every problem stays for another try.
    const BOOL bRepair = backup.Get() != nullptr;
    if (!bRepair)
        ShowFixMessage(FixText(IDS_BACKUP_FAILED, kBackupFailed));

    LogIgnoreList();
    RepairAndLogProblems(bRepair, hNotifyWnd);

    // The .reg file is judged by what was written to it, not by the counters:
    // a tree that was only partly removed still needs its backup.
    const BOOL bBackupUsed = backup.Get() != nullptr && ftell(backup.Get()) != headerEnd;
    SetBackupFile(nullptr);
    SetLogFile(nullptr);
    backup.Close();
    renameLog.Close();
    RemoveUnusedBackups(bBackupUsed);

    SendMessageA(hNotifyWnd, WM_FIX_DONE, 0, 0);
    if (bRepair)
        DeleteProblems();
}

void CRegScanner::RepairAndLogProblems(BOOL bRepair, HWND hNotifyWnd)
{
    int lastCategory = -1;
    for (INT_PTR i = 0; m_pProblems != nullptr && i < m_pProblems->GetSize(); i++) {
        CRegistryProblem* problem = m_pProblems->GetAt(i);
        if (problem == nullptr)
            continue;
        ScanDetectedItem* item = m_pLog != nullptr ? new ScanDetectedItem(problem) : nullptr;
        const int category = problem->m_category;
        if (bRepair && problem->m_checked && IsCategoryEnabled(category)) {
            // The first problem of each category is announced, the rest at
            // most every few tens of milliseconds: no page acts on them.
            if (category != lastCategory)
                m_progressGate.Open();
            lastCategory = category;
            if (m_progressGate.Pass())
                SendMessageA(hNotifyWnd, WM_FIX_PROGRESS, g_fixProgressCodes[category], category);
            if (RepairProblem(problem)) {
                m_fixed[category]++;
                m_totalFixed++;
                if (item != nullptr)
                    item->cleaned = 1;
            }
        }
        if (item != nullptr)
            m_pLog->AddScanDetectedItem(item);
    }
    if (m_pLog != nullptr)
        m_pLog->Save(FALSE);
}

void CRegScanner::RemoveUnusedBackups(BOOL bBackupUsed)
{
    if (!m_renameLogPath.IsEmpty() && IsFileEmpty(m_renameLogPath)) {
        RemoveDirectoryA(m_renameFolder);
        DeleteFileA(m_renameLogPath);
    }
    if (!m_backupPath.IsEmpty() && !bBackupUsed)
        DeleteFileA(m_backupPath);
}

void CRegScanner::LogIgnoreList()
{
    if (m_pLog == nullptr || m_pIgnoreTexts == nullptr || m_pIgnoreTypes == nullptr)
        return;
    // A file with an odd number of lines leaves a category without a text.
    const INT_PTR count = m_pIgnoreTexts->GetSize() < m_pIgnoreTypes->GetSize() ? m_pIgnoreTexts->GetSize()
                                                                              : m_pIgnoreTypes->GetSize();
    for (INT_PTR i = 0; i < count; i++) {
        const CString& text = m_pIgnoreTexts->GetAt(i);
        const int category = m_pIgnoreTypes->GetAt(i);
        if (!text.IsEmpty() && IsValidCategory(category))
            m_pLog->AddIgnoredItem(new IgnoredItem(text, category));
    }
}

void CRegScanner::CreateRestorePoint()
{
    HMODULE library = LoadLibraryA("SRCLIENT.DLL");
    if (library == nullptr)
        return;
    typedef BOOL(WINAPI * SetRestorePointProc)(PRESTOREPOINTINFOA, PSTATEMGRSTATUS);
    const auto setRestorePoint = reinterpret_cast<SetRestorePointProc>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, "SRSetRestorePointA")));
    if (setRestorePoint == nullptr) {
        FreeLibrary(library);
        return;
    }
    RESTOREPOINTINFOA info{};
    info.dwEventType = BEGIN_SYSTEM_CHANGE;
    info.dwRestorePtType = MODIFY_SETTINGS;
    lstrcpynA(info.szDescription, kRestorePointName, sizeof info.szDescription);
    STATEMGRSTATUS status{};
    BOOL ok = setRestorePoint(&info, &status);
    if (ok) {
        // Completed at once, so the point exists before anything is removed.
        info.dwEventType = END_SYSTEM_CHANGE;
        info.llSequenceNumber = status.llSequenceNumber;
        ok = setRestorePoint(&info, &status);
    }
    FreeLibrary(library);
    if (!ok)
        ShowFixMessage(FixText(IDS_RESTORE_POINT_FAILED, kRestorePointFailed));
}

FILE* CRegScanner::OpenRegBackupFile(const CTime& time)
{
    m_backupPath.Empty();
    const CString folder = GetBackupFolder();
    const CString stamp = "KeldrixBak" + time.Format("_%B_%d_%y_%H_%M_%S");
    CString osName;
    int osCode = OSCODE_UNKNOWN;
    GetWindowsVersionName(osName, osCode);

    BOOL bFolderMade = FALSE;
    for (int number = 1; number <= kMaxBackupNames;) {
        CString base = folder + stamp;
        if (number > 1)
            base.AppendFormat("_%d", number);
        // The rename log and folder will share the name: all three must be new.
        if (PathExists(base + ".reg") || PathExists(base + ".bak") || PathExists(base)) {
            number++;
            continue;
        }
        const CString path = base + ".reg";
        FILE* stream = CreateNewTextFile(path);
        if (stream == nullptr) {
            if (errno == EEXIST) {
                number++;
                continue;
            }
            // The folder may be missing: make it once and try the same name again.
            if (bFolderMade || (!CreateDirectoryA(folder, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS))
                return nullptr;
            bFolderMade = TRUE;
            continue;
        }
        if (!WriteRegBackupHeader(stream, osCode)) {
            fclose(stream);
            DeleteFileA(path);
            return nullptr;
        }
        m_backupPath = path;
        return stream;
    }
    return nullptr;
}

FILE* CRegScanner::OpenRenameLog()
{
    m_renameFolder.Empty();
    m_renameLogPath.Empty();
    const int dot = m_backupPath.ReverseFind('.');
    if (dot <= 0)
        return nullptr;
    const CString folder = m_backupPath.Left(dot);
    const CString logPath = folder + ".bak";
    if (!CreateDirectoryA(folder, nullptr))
        return nullptr;
    FILE* stream = CreateNewTextFile(logPath);
    if (stream == nullptr) {
        RemoveDirectoryA(folder);
        return nullptr;
    }
    m_renameFolder = folder;
    m_renameLogPath = logPath;
    return stream;
}

BOOL CRegScanner::RepairProblem(CRegistryProblem* pProblem)
{
    switch (pProblem->m_category) {
    case REGPROBLEM_COM:
        return FixComKey(pProblem);
    case REGPROBLEM_UNINSTALL:
        return FixUninstallKey(pProblem);
    case REGPROBLEM_FONT:
        return FixFontValue(pProblem);
    case REGPROBLEM_SHAREDDLL:
        return FixSharedDllValue(pProblem);
    case REGPROBLEM_APPPATH:
        return FixAppPathKey(pProblem);
    case REGPROBLEM_HELPFILE:
        return FixHelpValue(pProblem);
    case REGPROBLEM_STARTUP:
        return FixStartupItem(pProblem);
    case REGPROBLEM_FILEPATH:
        return FixFilePathValue(pProblem);
    case REGPROBLEM_SHORTCUT:
        return FixShortcut(pProblem);
    case REGPROBLEM_EMPTYKEY:
        return FixUsersKey(pProblem);
    case REGPROBLEM_FILEASSOC:
        return FixClassesKey(pProblem);
    default:
        return FALSE;
    }
}

// Gone now or missing already; a refused path (a hive root or a container) is neither.
BOOL CRegScanner::RemoveKeyTree(HKEY root, const CString& path)
{
    const LONG rc = DeleteKeyTree(root, path, TRUE);
    return rc == kKeyTreeDeleted || (rc == ERROR_FILE_NOT_FOUND && IsKeyMissing(root, path));
}

// The subkey named by a problem's value name; an empty name would name the
// walked key itself and a path would name another key: both are refused.
BOOL CRegScanner::RemoveSubKeyTree(HKEY root, const CString& path, const CString& subKeyName)
{
    if (subKeyName.IsEmpty() || subKeyName.Find('\\') >= 0)
        return FALSE;
    return RemoveKeyTree(root, path + "\\" + subKeyName);
}

BOOL CRegScanner::RemoveValue(HKEY root, const CString& path, const CString& valueName)
{
    return DeleteValue(root, path, valueName) || IsValueMissing(root, path, valueName);
}

BOOL CRegScanner::FixComKey(CRegistryProblem* pProblem)
{
    CString path;
    return SplitProblemKey(pProblem->m_key, "HKEY_CLASSES_ROOT", path) && RemoveKeyTree(HKEY_CLASSES_ROOT, path);
}

// Uninstall and App Paths entries are subkeys, named by the value name, of a key under HKEY_LOCAL_MACHINE.
BOOL CRegScanner::FixUninstallKey(CRegistryProblem* pProblem)
{
    CString path;
    return SplitProblemKey(pProblem->m_key, "HKEY_LOCAL_MACHINE", path)
           && RemoveSubKeyTree(HKEY_LOCAL_MACHINE, path, pProblem->m_valueName);
}

// Font, shared DLL and help entries are values of a key under HKEY_LOCAL_MACHINE.
BOOL CRegScanner::FixFontValue(CRegistryProblem* pProblem)
{
    CString path;
    return SplitProblemKey(pProblem->m_key, "HKEY_LOCAL_MACHINE", path)
           && RemoveValue(HKEY_LOCAL_MACHINE, path, pProblem->m_valueName);
}

BOOL CRegScanner::FixSharedDllValue(CRegistryProblem* pProblem)
{
    return FixFontValue(pProblem);
}

BOOL CRegScanner::FixAppPathKey(CRegistryProblem* pProblem)
{
    return FixUninstallKey(pProblem);
}

BOOL CRegScanner::FixHelpValue(CRegistryProblem* pProblem)
{
    return FixFontValue(pProblem);
}

// A start-menu order entry is a subkey of the MenuOrder key; a Run entry a value.
BOOL CRegScanner::FixStartupItem(CRegistryProblem* pProblem)
{
    CString path;
    if (SplitProblemKey(pProblem->m_key, "HKEY_CURRENT_USER", path)) {
        if (path.Find("MenuOrder\\") >= 0)
            return RemoveSubKeyTree(HKEY_CURRENT_USER, path, pProblem->m_valueName);
        return RemoveValue(HKEY_CURRENT_USER, path, pProblem->m_valueName);
    }
    return SplitProblemKey(pProblem->m_key, "HKEY_LOCAL_MACHINE", path)
           && RemoveValue(HKEY_LOCAL_MACHINE, path, pProblem->m_valueName);
}

BOOL CRegScanner::FixFilePathValue(CRegistryProblem* pProblem)
{
    CString path;
    if (SplitProblemKey(pProblem->m_key, "HKEY_LOCAL_MACHINE", path))
        return RemoveValue(HKEY_LOCAL_MACHINE, path, pProblem->m_valueName);
    return SplitProblemKey(pProblem->m_key, "HKEY_USERS", path)
           && RemoveValue(HKEY_USERS, path, pProblem->m_valueName);
}

// The shortcut moves into this fix's rename folder, its move logged; without
// a rename log it could not be moved back, so it stays.
BOOL CRegScanner::FixShortcut(CRegistryProblem* pProblem)
{
    if (m_pLogFile == nullptr || m_renameFolder.IsEmpty())
        return FALSE;
    return RenameToBak(pProblem->m_key, m_renameFolder) || IsFileMissing(pProblem->m_key);
}

BOOL CRegScanner::FixUsersKey(CRegistryProblem* pProblem)
{
    CString path;
    return SplitProblemKey(pProblem->m_key, "HKEY_USERS", path) && RemoveKeyTree(HKEY_USERS, path);
}

BOOL CRegScanner::FixClassesKey(CRegistryProblem* pProblem)
{
    CString path;
    return SplitProblemKey(pProblem->m_key, "HKEY_CLASSES_ROOT", path) && RemoveKeyTree(HKEY_CLASSES_ROOT, path);
}
