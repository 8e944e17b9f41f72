#include "CException.h"

namespace {

BOOL CopyMessage(LPCSTR text, LPSTR pszError, UINT nMaxError, PUINT pnHelpContext)
{
    if (pnHelpContext)
        *pnHelpContext = 0;
    if (pszError && nMaxError > 0)
        lstrcpynA(pszError, text, static_cast<int>(nMaxError));
    return *text != '\0';
}

}  // namespace

BOOL CException::GetErrorMessage(LPSTR pszError, UINT nMaxError, PUINT pnHelpContext) const
{
    return CopyMessage("", pszError, nMaxError, pnHelpContext);
}

BOOL CMemoryException::GetErrorMessage(LPSTR pszError, UINT nMaxError, PUINT pnHelpContext) const
{
    return CopyMessage("Out of memory.", pszError, nMaxError, pnHelpContext);
}

BOOL CInvalidArgException::GetErrorMessage(LPSTR pszError, UINT nMaxError, PUINT pnHelpContext) const
{
    return CopyMessage("Invalid argument.", pszError, nMaxError, pnHelpContext);
}

void AfxThrowMemoryException()
{
    throw new CMemoryException;
}

void AfxThrowInvalidArgException()
{
    throw new CInvalidArgException;
}
