#pragma once
#include "afx.h"
#include <cstdio>

// The program's destructive operations, each with what undoes it: registry key
// trees and values are written whole to the open .reg backup before they are
// deleted, files are moved aside with a line in a rename log, files are shredded.
class CCleanSweep {
public:
    enum { MAX_DRIVES = 30 };
    // DeleteKeyTree's result when the key itself went: 1, not ERROR_SUCCESS, so
    // callers tell it from ERROR_NO_MORE_ITEMS (only the subkeys were to go).
    static const LONG kKeyTreeDeleted = 1;

    CCleanSweep();
    virtual ~CCleanSweep();
    CCleanSweep(const CCleanSweep&) = delete;
    CCleanSweep& operator=(const CCleanSweep&) = delete;

    // The streams stay the caller's: it opens and closes them.
    void SetBackupFile(FILE* stream) { m_pBackupFile = stream; }
    void SetLogFile(FILE* stream) { m_pLogFile = stream; }

    // Deletes the subkeys of root\key path and, with bDeleteItself, the key, after
    // writing the whole tree to the backup stream (when one is set). Returns
    // kKeyTreeDeleted when the key was deleted, ERROR_NO_MORE_ITEMS when only the
    // subkeys were to go and all went, else an error code: ERROR_ACCESS_DENIED for
    // a hive root, a container (or a key above one) or an empty path,
    // ERROR_CAN_NOT_COMPLETE when the backup could not be written whole (then
    // nothing is deleted), or the registry's code of the first failure.
    LONG DeleteKeyTree(HKEY root, LPCSTR pszKeyPath, BOOL bDeleteItself);
    // Deletes one value after writing it to the backup stream (when one is set);
    // FALSE, with the value left in place, when the export or the delete failed.
    BOOL DeleteValue(HKEY root, LPCSTR pszKeyPath, LPCSTR pszValueName);
    // Writes one value as a key line of its own and a value line; FALSE (nothing
    // written) when the key or value cannot be read or has a name a line cannot carry.
    BOOL ExportValue(HKEY root, LPCSTR pszKeyPath, LPCSTR pszValueName, FILE* stream);
    // Moves a file into the folder under a name not yet taken there and appends
    // "old,new" to the folder's rename log ("<folder>.bak"). FALSE, with the file
    // left in place, when either path holds a comma or the log or move fails.
    BOOL RenameToBak(LPCSTR pszFilePath, LPCSTR pszFolder);
    // Overwrites the file's whole 1024-byte blocks nPasses times, then deletes it.
    // Nothing happens to a file that another program holds open.
    BOOL ShredFile(LPCSTR pszFilePath, int nPasses);
    // A REG_SZ or REG_EXPAND_SZ value's text; empty when it cannot be read.
    CString GetRegString(HKEY root, LPCSTR pszKeyPath, LPCSTR pszValueName) const;
    // The program file's folder with a trailing backslash, or with bWholePath the
    // program file's full path; empty when the module path cannot be read.
    static CString GetProgramFolder(BOOL bWholePath = FALSE);

    int GetDriveCount() const { return m_nDriveCount; }
    CString GetDriveRoot(int index) const;
    int GetDeletedKeys() const { return m_nDeletedKeys; }
    int GetDeletedValues() const { return m_nDeletedValues; }
    int GetShreddedFiles() const { return m_nShreddedFiles; }
    DWORD GetShreddedBytes() const { return m_dwShreddedBytes; }
    // The name of the user the program runs as, read at construction; empty
    // when the system could not tell it.
    const CString& GetLogonUserName() const { return m_userName; }

protected:
    int m_nDriveCount = 0;
    CString m_driveRoots[MAX_DRIVES];
    DWORD m_dwShreddedBytes = 0;
    int m_nDeletedKeys = 0;
    int m_nShreddedFiles = 0;
    int m_nDeletedValues = 0;
    CString m_userName;
    FILE* m_pBackupFile = nullptr;
    FILE* m_pLogFile = nullptr;
};
