#include "CRegScanner.h"
#include "CRegKeyHandle.h"
#include "ScanWalk.h"
#include <shlwapi.h>
#include <cstring>

// The scanners of installed software under HKEY_LOCAL_MACHINE: uninstall
// entries, fonts, shared DLLs, application paths and help files.

using scanwalk::kReadWrite;

namespace {

const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kFontsKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const char kSharedDllsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const char kAppPathsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
const char* const kHelpKeys[] = {"SOFTWARE\\Microsoft\\Windows\\HELP", "SOFTWARE\\Microsoft\\Windows\\HTML Help"};
const char kUserShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Registry texts are read into buffers of this size.
const DWORD kTextBuffer = 1024;

// Uninstall commands that run through these programs are never judged.
const char* const kUninstallHosts[] = {"rundll", "Rundll", "RunDll", "MsiExec", "msiexec", "s3uninst", "S3uninst"};

BOOL RunsThroughHost(LPCSTR pszCommand)
{
    for (const char* host : kUninstallHosts) {
        if (strstr(pszCommand, host) != nullptr)
            return TRUE;
    }
    return FALSE;
}

CString MachinePath(LPCSTR pszKeyPath)
{
    return CString("HKEY_LOCAL_MACHINE\\") + pszKeyPath;
}

// Whether the font file is in the folder. A path too long to look up
// cannot be judged and counts as there.
BOOL IsInFolder(const CString& folder, LPCSTR pszFile)
{
    const CString path = scanwalk::JoinPath(folder, pszFile);
    CFileFind finder;
    return path.GetLength() >= MAX_PATH || finder.FindFile(path);
}

}  // namespace

void CRegScanner::ScanSubKeyFiles(LPCSTR pszKeyPath, LPCSTR pszValueName, int category,
                                  BOOL (*pfnIgnored)(LPCSTR pszText))
{
    CRegKeyHandle parent;
    if (parent.Open(HKEY_LOCAL_MACHINE, pszKeyPath, kReadWrite) != ERROR_SUCCESS)
        return;
    CString name;
    for (DWORD index = 0; !IsCancelled() && parent.EnumKey(index, name) == ERROR_SUCCESS; index++) {
        SendScanPath(scanwalk::JoinPath(pszKeyPath, name));
        CRegKeyHandle entry;
        char text[kTextBuffer];
        CString tested;
        // An empty text names nothing and is not judged.
        if (entry.Open(parent, name, kReadWrite) == ERROR_SUCCESS
            && ReadRegText(entry, pszValueName, text, sizeof text)
            && (pfnIgnored == nullptr || !pfnIgnored(text)) && IsMissingFile(text, FALSE, tested))
            AddProblem(new CRegistryProblem(MachinePath(pszKeyPath), name, text, category));
    }
}

void CRegScanner::ScanUninstallEntries()
{
    ScanSubKeyFiles(kUninstallKey, "UninstallString", REGPROBLEM_UNINSTALL, RunsThroughHost);
}

BOOL CRegScanner::IsFontMissing(LPCSTR pszFile, const CString* pUserFolder, const CString* pShellFolder)
{
    // Without a known fonts folder, and for a value that names no file, nothing is judged.
    if ((pUserFolder == nullptr && pShellFolder == nullptr) || pszFile[0] == '\0')
        return FALSE;
    return !(pShellFolder != nullptr && IsInFolder(*pShellFolder, pszFile))
           && !(pUserFolder != nullptr && IsInFolder(*pUserFolder, pszFile)) && !PathFileExistsA(pszFile);
}

void CRegScanner::ScanFontEntries()
{
    // The fonts folder as the user's shell folders name it; neither may be known.
    CString userFolder;
    CString shellFolder;
    SendScanPath(kUserShellFolders);
    const BOOL bUserKnown = scanwalk::ReadFolder(HKEY_CURRENT_USER, kUserShellFolders, "Fonts", userFolder);
    SendScanPath(kShellFolders);
    const BOOL bShellKnown = scanwalk::ReadFolder(HKEY_CURRENT_USER, kShellFolders, "Fonts", shellFolder);

    SendScanPath(kFontsKey);
    CRegKeyHandle fonts;
    if (fonts.Open(HKEY_LOCAL_MACHINE, kFontsKey, kReadWrite) != ERROR_SUCCESS)
        return;
    scanwalk::Value font;
    for (DWORD index = 0; !IsCancelled() && scanwalk::NextValue(fonts, index, font);) {
        if (font.IsText()
            && IsFontMissing(font.data, bUserKnown ? &userFolder : nullptr, bShellKnown ? &shellFolder : nullptr))
            AddProblem(new CRegistryProblem(MachinePath(kFontsKey), font.name, font.data, REGPROBLEM_FONT));
    }
}

void CRegScanner::ScanSharedDlls()
{
    CRegKeyHandle sharedDlls;
    if (sharedDlls.Open(HKEY_LOCAL_MACHINE, kSharedDllsKey, kReadWrite) != ERROR_SUCCESS)
        return;
    // The value names are the paths; the data, a use count, is not read.
    scanwalk::Value dll;
    for (DWORD index = 0; !IsCancelled() && scanwalk::NextValue(sharedDlls, index, dll, FALSE);) {
        SendScanPath(dll.name);
        if (scanwalk::IsPathMissing(*this, dll.name))
            AddProblem(new CRegistryProblem(MachinePath(kSharedDllsKey), dll.name, "", REGPROBLEM_SHAREDDLL));
    }
}

void CRegScanner::ScanAppPaths()
{
    ScanSubKeyFiles(kAppPathsKey, nullptr, REGPROBLEM_APPPATH, nullptr);
}

void CRegScanner::ScanHelpFiles()
{
    // The value names are help file names, the data their folders.
    for (const char* helpKey : kHelpKeys) {
        CRegKeyHandle help;
        if (help.Open(HKEY_LOCAL_MACHINE, helpKey, kReadWrite) != ERROR_SUCCESS)
            continue;
        scanwalk::Value file;
        for (DWORD index = 0; !IsCancelled() && scanwalk::NextValue(help, index, file);) {
            // The default value names no help file.
            if (file.name[0] == '\0' || !file.IsText())
                continue;
            const CString fullName = scanwalk::JoinPath(file.data, file.name);
            char command[kTextBuffer];
            char path[PATH_BUFFER];
            CleanCommand(fullName, command, sizeof command);
            ExtractFilePath(command, path);
            SendScanPath(path);
            CString lower = fullName;
            lower.MakeLower();
            CString tested;
            if (lower.Find("folder:") < 0 && IsMissingFile(fullName, FALSE, tested))
                AddProblem(new CRegistryProblem(MachinePath(helpKey), file.name, file.data, REGPROBLEM_HELPFILE));
        }
    }
}
