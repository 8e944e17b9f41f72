#pragma once
#include "CException.h"
#include "CString.h"

// A failed file operation: the cause and the system error code.
class CFileException : public CException {
public:
    enum { none = 0, genericException, fileNotFound, badPath, tooManyOpenFiles,
           accessDenied, invalidFile, removeCurrentDir, directoryFull, badSeek,
           hardIO, sharingViolation, lockViolation, diskFull, endOfFile };

    explicit CFileException(int cause = none, LONG lOsError = -1, LPCSTR pszFileName = nullptr)
        : m_cause(cause), m_lOsError(lOsError), m_strFileName(pszFileName) {}
    BOOL GetErrorMessage(LPSTR pszError, UINT nMaxError, PUINT pnHelpContext = nullptr) const override;
    static int OsErrorToException(LONG lOsError);

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};

[[noreturn]] void AfxThrowFileException(int cause, LONG lOsError = -1, LPCSTR pszFileName = nullptr);
