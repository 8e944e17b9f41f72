#pragma once
#include <windows.h>
#include "CObject.h"

// The class library's exceptions are thrown as heap pointers; the catcher calls Delete().
class CException : public CObject {
public:
    void Delete() { delete this; }
    // Copies a short description into the buffer; FALSE if there is none.
    virtual BOOL GetErrorMessage(LPSTR pszError, UINT nMaxError, PUINT pnHelpContext = nullptr) const;
};

class CMemoryException : public CException {
public:
    BOOL GetErrorMessage(LPSTR pszError, UINT nMaxError, PUINT pnHelpContext = nullptr) const override;
};

class CInvalidArgException : public CException {
public:
    BOOL GetErrorMessage(LPSTR pszError, UINT nMaxError, PUINT pnHelpContext = nullptr) const override;
};

[[noreturn]] void AfxThrowMemoryException();
[[noreturn]] void AfxThrowInvalidArgException();
