#pragma once
#include "afxwin.h"
#include "resource.h"

// The backups page: the .reg backups of earlier fixes, to restore or remove.
// For now the page is its template only.
class CRegBackup : public CPropertyPage {
public:
    CRegBackup() : CPropertyPage(IDD_BACKUPS) {}

    // Lists the backups anew each time the page is shown (not built yet: nothing to list).
    void FillBackupList() {}
};
