#pragma once
#include "afx.h"
#include <vector>

// Reads the .reg text that the backup export writes, and nothing looser: the
// header "REGEDIT4" or "Windows Registry Editor Version 5.00", ";" comment
// lines, key lines, and value lines with quoted strings, dword: or hex(N):
// data with continuation lines. A file that breaks the format is refused
// whole, with the line number and what is wrong.
class CRegFileReader {
public:
    struct Value {
        CString name;  // "" for the default value
        DWORD type = REG_NONE;
        std::vector<BYTE> data;
    };
    struct Key {
        CString fullName;  // as written in the file: root name, backslash, path
        HKEY root = nullptr;
        CString path;
        std::vector<Value> values;  // a value named twice keeps its last data
    };

    // Larger backup files are refused rather than read into memory.
    static const DWORD kMaxFileSize = 128u * 1024 * 1024;

    // Reads and parses a file; FALSE, with no keys kept, when it cannot be
    // read or is malformed (GetError says why).
    BOOL ReadFile(LPCSTR pszPath);
    BOOL Parse(const char* text, size_t length);

    const CString& GetError() const { return m_error; }
    // Every key the file names, in the order of first appearance.
    const std::vector<Key>& GetKeys() const { return m_keys; }
    size_t GetValueCount() const;

    // Whether the registry holds every key of the file and every value with the
    // file's type and data; otherwise a text naming the first difference. A
    // string whose data the importer ended with one more zero byte matches.
    BOOL MatchesRegistry(CString& difference) const;

private:
    BOOL Fail(int line, LPCSTR pszWhat);

    std::vector<Key> m_keys;
    CString m_error;
};
