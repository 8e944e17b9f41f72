#pragma once
#include <windows.h>

class CWnd;

// The context of one UpdateData: the dialog and the direction of the exchange.
class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

    // Records that an exchange failed; UpdateData then returns FALSE.
    void Fail() { m_bFailed = TRUE; }

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
    BOOL m_bFailed = FALSE;
};

// Binds rControl to the dialog's control nIDC (once: a bound control is left as it is).
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
