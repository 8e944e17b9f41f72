#pragma once
#include "afxwin.h"
#include "resource.h"

// The ignore-list page: the entries a scan leaves out.
// For now the page is its template only.
class CIgnoreListPage : public CPropertyPage {
public:
    CIgnoreListPage() : CPropertyPage(IDD_IGNORE_LIST) {}

    // Lists the ignore list anew each time the page is shown (not built yet: nothing to list).
    void FillList() {}
};
