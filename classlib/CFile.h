#pragma once
#include <windows.h>
#include "CObject.h"
#include "CString.h"
#include "CFileException.h"

// A binary file over a Win32 handle: no newline translation. Read, Write and
// Seek throw CFileException* on failure; Open reports failure by return value.
class CFile : public CObject {
public:
    enum OpenFlags {
        modeRead = 0x0000, modeWrite = 0x0001, modeReadWrite = 0x0002,
        shareCompat = 0x0000, shareExclusive = 0x0010, shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030, shareDenyNone = 0x0040,
        modeNoInherit = 0x0080, modeCreate = 0x1000, modeNoTruncate = 0x2000,
        typeText = 0x4000, typeBinary = 0x8000
    };
    enum SeekPosition { begin = 0, current = 1, end = 2 };
    static const HANDLE hFileNull;

    CFile() = default;
    explicit CFile(HANDLE hFile) : m_hFile(hFile), m_bCloseOnDelete(FALSE) {}
    // Opens or throws CFileException*.
    CFile(LPCSTR pszFileName, UINT nOpenFlags);
    ~CFile() override;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    virtual BOOL Open(LPCSTR pszFileName, UINT nOpenFlags, CFileException* pError = nullptr);
    virtual void Close();
    // Closes without throwing, for clean-up paths.
    virtual void Abort();

    virtual UINT Read(void* pBuf, UINT nCount);
    virtual void Write(const void* pBuf, UINT nCount);
    virtual void Flush();
    virtual ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    void SeekToBegin() { Seek(0, begin); }
    virtual ULONGLONG GetPosition() const;
    virtual ULONGLONG GetLength() const;
    virtual void SetLength(ULONGLONG dwNewLen);

    CString GetFilePath() const { return m_strFileName; }
    CString GetFileName() const;
    BOOL IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }
    HANDLE m_hFile = INVALID_HANDLE_VALUE;

    static void Remove(LPCSTR pszFileName);
    static void Rename(LPCSTR pszOldName, LPCSTR pszNewName);

protected:
    BOOL m_bCloseOnDelete = TRUE;
    CString m_strFileName;
};
