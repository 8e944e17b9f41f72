#pragma once
#include <cstdio>
#include "CFile.h"

// A buffered file. In text mode (the default) "\n" is written as CR LF and
// CR LF is read back as "\n"; typeBinary turns the translation off.
class CStdioFile : public CFile {
public:
    CStdioFile() = default;
    CStdioFile(LPCSTR pszFileName, UINT nOpenFlags);
    ~CStdioFile() override;

    BOOL Open(LPCSTR pszFileName, UINT nOpenFlags, CFileException* pError = nullptr) override;
    void Close() override;
    void Abort() override;

    // Reads one line without its line end; FALSE at end of file with nothing read.
    virtual BOOL ReadString(CString& rString);
    // Reads at most nMax-1 bytes of a line, keeping the "\n"; NULL at end of file.
    virtual LPSTR ReadString(LPSTR psz, UINT nMax);
    virtual void WriteString(LPCSTR psz);

    UINT Read(void* pBuf, UINT nCount) override;
    void Write(const void* pBuf, UINT nCount) override;
    void Flush() override;
    ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override;
    ULONGLONG GetPosition() const override;
    ULONGLONG GetLength() const override;

    FILE* m_pStream = nullptr;
};
