#pragma once
#include <windows.h>
// commdlg.h maps GetFileTitle to GetFileTitleA: include it always so the member
// below has the same name in every file, whatever else is included.
#include <commdlg.h>
#include "CObject.h"
#include "CString.h"
#include "CTime.h"

// Walks the entries of a folder pattern. FindNextFile makes the next entry
// current and returns FALSE when that entry is the last one: the entry is
// still valid then, so callers handle it after their loop.
class CFileFind : public CObject {
public:
    CFileFind() = default;
    ~CFileFind() override { Close(); }
    CFileFind(const CFileFind&) = delete;
    CFileFind& operator=(const CFileFind&) = delete;

    // Starts a search ("*.*" when no pattern is given); FALSE if nothing matches.
    BOOL FindFile(LPCSTR pszName = nullptr, DWORD dwUnused = 0);
    BOOL FindNextFile();
    void Close();

    CString GetFileName() const;
    CString GetFilePath() const;
    CString GetFileTitle() const;
    CString GetRoot() const { return m_strRoot; }
    ULONGLONG GetLength() const;

    BOOL MatchesMask(DWORD dwMask) const;
    BOOL IsDots() const;
    BOOL IsDirectory() const { return MatchesMask(FILE_ATTRIBUTE_DIRECTORY); }
    BOOL IsReadOnly() const { return MatchesMask(FILE_ATTRIBUTE_READONLY); }
    BOOL IsHidden() const { return MatchesMask(FILE_ATTRIBUTE_HIDDEN); }
    BOOL IsSystem() const { return MatchesMask(FILE_ATTRIBUTE_SYSTEM); }
    BOOL IsArchived() const { return MatchesMask(FILE_ATTRIBUTE_ARCHIVE); }
    BOOL IsNormal() const { return MatchesMask(FILE_ATTRIBUTE_NORMAL); }
    BOOL IsTemporary() const { return MatchesMask(FILE_ATTRIBUTE_TEMPORARY); }
    BOOL IsCompressed() const { return MatchesMask(FILE_ATTRIBUTE_COMPRESSED); }
    BOOL IsReparsePoint() const { return MatchesMask(FILE_ATTRIBUTE_REPARSE_POINT); }

    BOOL GetCreationTime(FILETIME* pTime) const;
    BOOL GetCreationTime(CTime& refTime) const;
    BOOL GetLastWriteTime(FILETIME* pTime) const;
    BOOL GetLastWriteTime(CTime& refTime) const;
    BOOL GetLastAccessTime(FILETIME* pTime) const;
    BOOL GetLastAccessTime(CTime& refTime) const;

private:
    HANDLE m_hFind = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAA m_found{};   // the current entry
    WIN32_FIND_DATAA m_next{};    // the entry found ahead
    BOOL m_bHaveCurrent = FALSE;
    BOOL m_bHaveNext = FALSE;
    CString m_strRoot;            // folder of the pattern, ending in a backslash
};
