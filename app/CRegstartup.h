#pragma once
#include "afxwin.h"
#include "resource.h"

// The startup manager: the programs Windows starts at logon.
// For now the page is its template only.
class CRegstartup : public CPropertyPage {
public:
    CRegstartup() : CPropertyPage(IDD_STARTUP) {}
};
