#pragma once
#include "afx.h"
#include "BackupListItemData.h"
#include <vector>

// The fix's backups in the program's "Backup" folder: each is a .reg file, a
// rename log "<name>.bak" and a folder "<name>" of moved shortcuts, any of
// which may be missing. Lists, restores and removes whole backups. A restore
// deletes a backup's files only once what they hold is verifiably back.
class CBackupFolder {
public:
    // How long one registry import may take.
    static const DWORD kImportTimeoutMs = 300000;

    // The folder "Backup" of the program's folder, or another folder (tests).
    CBackupFolder();
    explicit CBackupFolder(const CString& folder);

    const CString& GetPath() const { return m_folder; }

    // One entry per base name (compared without case) of the non-empty files
    // in the folder, dated by the file found first; the last found comes first,
    // as the list shows them before it is sorted.
    std::vector<BackupListItemData> List() const;
    // The list's order of two rows by column 0 (name) or 1 (date): -1, 0 or 1
    // in byte order; any other column compares equal.
    static int Compare(const BackupListItemData& a, const BackupListItemData& b, int column);

    // Restores one backup: imports its .reg file and moves its shortcuts back.
    // TRUE when everything it holds is back; otherwise FALSE with what failed
    // in `failure`, and whatever was not restored is kept.
    BOOL Restore(const CString& name, CString& failure) const;
    // Deletes the .reg file, the rename log and the shortcut folder of a backup.
    // FALSE (nothing touched) for a name that is empty or no plain file name,
    // or when any part could not be deleted.
    BOOL Remove(const CString& name) const;

    // Has the system's registry editor import a .reg file, then checks every
    // key and value of the file in the registry. The file is deleted only when
    // all are there; a malformed file is refused before anything is imported.
    BOOL ImportRegFile(const CString& path, CString& failure) const;
    // Moves the shortcuts of a rename log back ("old,new" lines; the new path
    // lies in the folder named like the log). A move is made only onto a free
    // path; the log and the emptied folder go only when every line is undone.
    static BOOL UndoShortcutRenames(const CString& logPath, CString& failure);
    // Splits a rename-log line at the comma before the rename folder's path.
    static BOOL SplitRenameLine(const CString& line, const CString& folder, CString& oldPath, CString& newPath);
    // Deletes a folder below the backup folder with everything in it, without
    // following folder links. Refuses an empty path, the backup folder itself
    // and anything outside it.
    BOOL DeleteBackupFolder(const CString& path) const;

private:
    CString m_folder;  // without a trailing backslash
};
