#pragma once
#include "afx.h"
#include "CCleanSweep.h"
#include "StartupItem.h"
#include <vector>

// The programs Windows starts at logon, from the Run and RunOnce keys of the
// user and the machine and from the two startup folders, and the ones that
// were disabled, kept where the system's configuration tool keeps them: the
// keys "startupreg" and "startupfolder" of its MSConfig key and the folder
// "pss" for shortcut copies. Every move is made so that it can be undone:
// nothing leaves its place before its copy or record is verified.
class CStartupStore {
public:
    // Where the store looks; the defaults are the system's places.
    struct Places {
        CString userRunBase;          // under HKEY_CURRENT_USER, holds Run and RunOnce
        CString machineRunBase;       // under HKEY_LOCAL_MACHINE
        CString userShellFolders;     // under HKEY_CURRENT_USER, names "Startup"
        CString machineShellFolders;  // under HKEY_LOCAL_MACHINE, names "Common Startup"
        CString msconfigKey;          // under HKEY_LOCAL_MACHINE
        CString pssFolder;            // empty: "pss" in the Windows folder
        static Places System();
    };

    CStartupStore();
    explicit CStartupStore(const Places& places);

    // Every row: the four Run keys (user Run, machine Run, user RunOnce,
    // machine RunOnce), the Startup and Common Startup shortcuts, then the
    // disabled folder items and the disabled registry items.
    std::vector<StartupItem> List() const;
    // Moves an enabled item into the store and sets item.enabled to 0. FALSE,
    // with the item left where it was and nothing recorded, when it cannot be
    // moved whole or a disabled item of its name is already kept.
    BOOL Disable(StartupItem& item, CString& failure);
    // Moves a disabled item back, verifies it, then drops its record and copy;
    // sets item.enabled to 1. FALSE, with the record kept, when it cannot.
    BOOL Enable(StartupItem& item, CString& failure);
    // Deletes an item for good: an enabled one from its origin, a disabled one's
    // record of the row's kind (the shortcut copy stays in "pss").
    BOOL Remove(const StartupItem& item, CString& failure);

    // The folder of the "Startup" or "Common Startup" shortcuts, from "Shell
    // Folders" or, when that lacks it, from the shell; no trailing backslash.
    CString GetStartupFolder(BOOL bCommon) const;
    CString GetPssFolder() const;

    // The target of a shortcut as it is written in it (not resolved, no
    // variables expanded); ".lnk" is added to a path without it. Empty when
    // the shortcut cannot be read.
    static CString ResolveShortcut(const CString& path);

    // The list's order by column 0 program, 1 command, 2 location (byte order)
    // or 3 status (disabled first): -1, 0 or 1; other columns compare equal.
    static int Compare(const StartupItem& a, const StartupItem& b, int column);

private:
    CString RunKeyPath(HKEY root, LPCSTR pszKey) const;
    CString RecordPath(LPCSTR pszKind, const CString& name) const;
    BOOL DisableValue(StartupItem& item, CString& failure);
    BOOL DisableShortcut(StartupItem& item, CString& failure);
    BOOL EnableValue(StartupItem& item, CString& failure);
    BOOL EnableShortcut(StartupItem& item, CString& failure);
    // The subkeys of "startupfolder" whose record is the row's (item and location).
    std::vector<CString> FolderRecords(const StartupItem& item, BOOL bWhole) const;

    Places m_places;
    CCleanSweep m_sweep;  // the value delete and the shredder
};
