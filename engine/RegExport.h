#pragma once
#include "afx.h"
#include "CRegKeyHandle.h"
#include <cstdio>
#include <vector>

// Registry export in the text syntax of the system's registry editor, for the
// backups of the fix. Streams are opened in text mode, so every "\n" written
// here is stored as CR LF. Every export reports whether it wrote its keys and
// values whole; nothing may be deleted after a failed export.

// The name of a predefined root key ("HKEY_CURRENT_USER" ...); "" for any other handle.
LPCSTR GetRegRootName(HKEY root);
// The predefined root key of a root name; NULL for an unknown name.
HKEY GetRegRootKey(LPCSTR pszRootName);

// A key path below a root without leading or trailing backslashes.
CString TrimRegKeyPath(LPCSTR pszKeyPath);

// Whether a key or value name can stand in a .reg line as it is (quoted and
// escaped for value names): no byte below 0x20.
BOOL IsRegNameWritable(const CString& name);
// A value name for a value line: "@" for the default value, else quoted and escaped.
CString FormatRegValueName(const CString& name);

// The first line of a backup file: "Windows Registry Editor Version 5.00" for
// the version codes 103 to 105 (2000, XP, Vista and later), else "REGEDIT4".
BOOL WriteRegBackupHeader(FILE* stream, int osCode);

// The data text of one value, ending with "\n". Strings are quoted only when
// the quoted form restores them byte for byte; otherwise, and for every other
// type, the bytes are written as hex(N) (hex: for REG_BINARY).
void FormatRegValueData(DWORD type, const BYTE* data, DWORD length, CString& text);
// A whole value line: the value name, the separator ("=" in exports, " = " in
// single-value backups) and the data text.
CString FormatRegValueLine(const CString& name, DWORD type, const std::vector<BYTE>& data, LPCSTR pszSeparator);

// Writes the tree of root\pszKeyPath: the top key's line, every key below it
// once with its values (parents first), then the top key with its values.
BOOL ExportRegKey(HKEY root, LPCSTR pszKeyPath, FILE* stream);
BOOL ExportRegKeyTree(LPCSTR pszRootName, LPCSTR pszKeyPath, FILE* stream);
// The same for root\pszKeyPath already open in key (with KEY_ENUMERATE_SUB_KEYS
// and KEY_QUERY_VALUE), exported through that handle.
BOOL ExportOpenRegKey(const CRegKeyHandle& key, HKEY root, LPCSTR pszKeyPath, FILE* stream);
// Writes "\n[full name]\n" and the values of key\pszSubPath.
BOOL ExportRegKeyValues(HKEY key, LPCSTR pszSubPath, FILE* stream, LPCSTR pszFullName);
