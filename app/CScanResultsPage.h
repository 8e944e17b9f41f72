#pragma once
#include "afxwin.h"
#include "resource.h"

// The scan results page: the problems of the last scan by category, for the fix.
// For now the page is its template only.
class CScanResultsPage : public CPropertyPage {
public:
    CScanResultsPage() : CPropertyPage(IDD_SCAN_RESULTS) {}

    // Builds the result groups from the last scan (not built yet: the page shows its template).
    void BuildCategories() {}
};
