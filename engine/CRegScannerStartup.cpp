#include "CRegScanner.h"
#include "CRegKeyHandle.h"
#include "ScanWalk.h"
#include <shlobj.h>
#include <shlwapi.h>

// The startup scanners: programs of the Run keys and Start-menu order
// entries whose file or folder is gone, and shortcut files whose target is.

namespace {

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kShellFoldersKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char* const kMenuOrderKeys[] = {
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu2\\Programs",
};

// Folders the shortcut walk never enters (any case): the send-to targets,
// the program's own folder and the recycle bin.
const char* const kSkippedFolders[] = {"sendto", "keldrix", "RECYCLER"};

// Folders further below the drive root than this are not walked.
const int kMaxFolderDepth = 32;

BOOL IsSkippedFolder(const CString& name)
{
    for (const char* skipped : kSkippedFolders) {
        if (name.CompareNoCase(skipped) == 0)
            return TRUE;
    }
    return FALSE;
}

// Shortcut files end exactly in ".lnk".
BOOL IsShortcutName(const CString& name)
{
    return name.GetLength() >= 4 && name.Right(4) == ".lnk";
}

}  // namespace

void CRegScanner::ScanStartupItems()
{
    // The Run keys of the machine and of the user.
    static const struct {
        HKEY root;
        const char* rootName;
    } runKeys[] = {{HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE\\"}, {HKEY_CURRENT_USER, "HKEY_CURRENT_USER\\"}};
    for (const auto& run : runKeys) {
        SendScanPath(kRunKey);
        CRegKeyHandle key;
        if (key.Open(run.root, kRunKey, scanwalk::kReadWrite) != ERROR_SUCCESS)
            continue;
        scanwalk::Value item;
        for (DWORD index = 0; !IsCancelled() && scanwalk::NextValue(key, index, item);) {
            CString tested;
            // The default value is no startup item; an empty command names nothing.
            if (item.name[0] != '\0' && item.IsText() && IsMissingFile(item.data, FALSE, tested))
                AddProblem(new CRegistryProblem(CString(run.rootName) + kRunKey, item.name, item.data,
                                                REGPROBLEM_STARTUP));
        }
    }

    // The all-users and the user's Programs folders, where program groups live.
    SendScanPath(kShellFoldersKey);
    CString commonPrograms;
    const BOOL bCommonKnown =
        scanwalk::ReadFolder(HKEY_LOCAL_MACHINE, kShellFoldersKey, "Common Programs", commonPrograms);
    char userPrograms[MAX_PATH] = "";
    const BOOL bUserKnown =
        SHGetSpecialFolderPathA(nullptr, userPrograms, CSIDL_PROGRAMS, FALSE) && userPrograms[0] != '\0';

    // Start-menu order entries of program groups that are in neither folder.
    for (int order = 0; order < 2; order++) {
        const char* orderKey = kMenuOrderKeys[order];
        SendScanPath(orderKey);
        CRegKeyHandle key;
        if (key.Open(HKEY_CURRENT_USER, orderKey, KEY_READ) != ERROR_SUCCESS)
            continue;
        CString group;
        for (DWORD index = 0; !IsCancelled() && key.EnumKey(index, group) == ERROR_SUCCESS; index++) {
            const CString commonEntry = scanwalk::JoinPath(commonPrograms, group);
            const CString userEntry = scanwalk::JoinPath(userPrograms, group);
            if (order == 1) {
                SendScanPath(userEntry);
                SendScanPath(commonEntry);
            }
            // A group may live in either folder: with one of them unknown the entry is not judged.
            if (bCommonKnown && bUserKnown && scanwalk::IsPathMissing(*this, commonEntry)
                && scanwalk::IsPathMissing(*this, userEntry))
                AddProblem(new CRegistryProblem(CString("HKEY_CURRENT_USER\\") + orderKey, group, commonEntry,
                                                REGPROBLEM_STARTUP));
        }
    }
}

void CRegScanner::ScanProgramShortcuts()
{
    // The walk covers the drive of the current folder, which is the program's own.
    char root[MAX_PATH];
    const DWORD length = GetCurrentDirectoryA(sizeof root, root);
    if (length == 0 || length >= sizeof root || !PathStripToRootA(root))
        return;

    // The walk of one folder and the folders below it, with full paths. Linked
    // folders (junctions, symbolic links) are never entered: they may lead
    // back up the tree or out of the drive.
    struct Walk {
        CRegScanner& engine;
        void Folder(const CString& folder, int depth)
        {
            CFileFind finder;
            BOOL bMore = finder.FindFile(scanwalk::JoinPath(folder, "*.*"));
            while (bMore && !engine.IsCancelled()) {
                bMore = finder.FindNextFile();
                const CString path = finder.GetFilePath();
                engine.SendScanPath(path);
                if (finder.IsDots())
                    continue;
                if (finder.IsDirectory()) {
                    if (!finder.IsReparsePoint() && depth < kMaxFolderDepth && !IsSkippedFolder(finder.GetFileName()))
                        Folder(path, depth + 1);
                } else if (IsShortcutName(finder.GetFileName())) {
                    char target[PATH_BUFFER] = "";
                    if (!ResolveShortcut(path, target))
                        engine.AddProblem(new CRegistryProblem(path, target, target, REGPROBLEM_SHORTCUT));
                }
            }
        }
    } walk{*this};
    walk.Folder(root, 0);
}
