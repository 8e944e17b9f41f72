#pragma once
// Small helpers that several category scanners share: reading the values of
// a key one by one, joining a folder and a name, and testing a path as it
// stands. They sit beside the engine's own helpers in CRegScanner.
#include "afx.h"

class CRegScanner;

namespace scanwalk {

// The access of the keys a scanner walks unless it says otherwise.
const REGSAM kReadWrite = KEY_READ | KEY_WRITE;

// One value of a key: its name, its type and its data, ended at the length
// the registry gave (a text longer than DATA_SIZE - 1 bytes is never read).
struct Value {
    enum { NAME_SIZE = 1024, DATA_SIZE = 1024 };
    char name[NAME_SIZE];
    DWORD type;
    char data[DATA_SIZE];
    BOOL IsText() const { return type == REG_SZ || type == REG_EXPAND_SZ; }
};

// Reads the value at index into value and steps index on; FALSE after the
// last. A value whose name or data does not fit is passed over, so one
// over-long value never hides the ones after it. With bWithData FALSE only
// the name and type are read (any data size is fine then).
BOOL NextValue(HKEY key, DWORD& index, Value& value, BOOL bWithData = TRUE);

// The folder and a name joined by one backslash.
CString JoinPath(const CString& folder, const CString& name);

// Reads a folder path from the text value pszValueName of root\pszKeyPath,
// environment references expanded. FALSE, with an empty folder, when there
// is no such text or it is empty or too long for a path.
BOOL ReadFolder(HKEY root, LPCSTR pszKeyPath, LPCSTR pszValueName, CString& folder);

// The file test on a path taken as it stands: TRUE when it is a drive path,
// short enough for the path functions, that the engine does not skip and
// that is not there. An empty path, a relative one or a too long one is not
// judged. (A drive path is never found along the search path:
// PathFindOnPathA searches bare file names only.)
BOOL IsPathMissing(const CRegScanner& engine, const CString& path);

}  // namespace scanwalk
