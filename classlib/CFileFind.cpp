#include "CFileFind.h"
#include <shlwapi.h>

BOOL CFileFind::FindFile(LPCSTR pszName, DWORD /*dwUnused*/)
{
    Close();
    if (!pszName || !*pszName)
        pszName = "*.*";

    // The root is the pattern's folder as a full path, ending in a backslash.
    char full[MAX_PATH];
    LPSTR filePart = nullptr;
    DWORD n = GetFullPathNameA(pszName, MAX_PATH, full, &filePart);
    if (n > 0 && n < MAX_PATH && filePart) {
        m_strRoot = CString(full, static_cast<int>(filePart - full));
    } else {
        m_strRoot = CString(pszName, static_cast<int>(PathFindFileNameA(pszName) - pszName));
    }

    m_hFind = FindFirstFileA(pszName, &m_next);
    if (m_hFind == INVALID_HANDLE_VALUE) {
        m_strRoot.Empty();
        return FALSE;
    }
    m_bHaveNext = TRUE;
    return TRUE;
}

BOOL CFileFind::FindNextFile()
{
    if (!m_bHaveNext)
        return FALSE;
    m_found = m_next;
    m_bHaveCurrent = TRUE;
    m_bHaveNext = ::FindNextFileA(m_hFind, &m_next);
    return m_bHaveNext;
}

void CFileFind::Close()
{
    if (m_hFind != INVALID_HANDLE_VALUE)
        FindClose(m_hFind);
    m_hFind = INVALID_HANDLE_VALUE;
    m_bHaveCurrent = FALSE;
    m_bHaveNext = FALSE;
    m_strRoot.Empty();
}

CString CFileFind::GetFileName() const
{
    return m_bHaveCurrent ? CString(m_found.cFileName) : CString();
}

CString CFileFind::GetFilePath() const
{
    return m_bHaveCurrent ? m_strRoot + m_found.cFileName : CString();
}

CString CFileFind::GetFileTitle() const
{
    CString name = GetFileName();
    int dot = name.ReverseFind('.');
    return dot > 0 ? name.Left(dot) : name;
}

ULONGLONG CFileFind::GetLength() const
{
    if (!m_bHaveCurrent)
        return 0;
    return (static_cast<ULONGLONG>(m_found.nFileSizeHigh) << 32) | m_found.nFileSizeLow;
}

BOOL CFileFind::MatchesMask(DWORD dwMask) const
{
    return m_bHaveCurrent && (m_found.dwFileAttributes & dwMask) != 0;
}

BOOL CFileFind::IsDots() const
{
    if (!IsDirectory())
        return FALSE;
    const char* name = m_found.cFileName;
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

namespace {

BOOL CopyTime(BOOL have, const FILETIME& src, FILETIME* pTime)
{
    if (!have || !pTime)
        return FALSE;
    *pTime = src;
    return TRUE;
}

BOOL CopyTime(BOOL have, const FILETIME& src, CTime& refTime)
{
    if (!have)
        return FALSE;
    refTime = CTime(src);
    return TRUE;
}

}  // namespace

BOOL CFileFind::GetCreationTime(FILETIME* pTime) const { return CopyTime(m_bHaveCurrent, m_found.ftCreationTime, pTime); }
BOOL CFileFind::GetCreationTime(CTime& refTime) const { return CopyTime(m_bHaveCurrent, m_found.ftCreationTime, refTime); }
BOOL CFileFind::GetLastWriteTime(FILETIME* pTime) const { return CopyTime(m_bHaveCurrent, m_found.ftLastWriteTime, pTime); }
BOOL CFileFind::GetLastWriteTime(CTime& refTime) const { return CopyTime(m_bHaveCurrent, m_found.ftLastWriteTime, refTime); }
BOOL CFileFind::GetLastAccessTime(FILETIME* pTime) const { return CopyTime(m_bHaveCurrent, m_found.ftLastAccessTime, pTime); }
BOOL CFileFind::GetLastAccessTime(CTime& refTime) const { return CopyTime(m_bHaveCurrent, m_found.ftLastAccessTime, refTime); }
