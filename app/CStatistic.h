#pragma once
#include "afxwin.h"
#include "resource.h"

// The statistics page: found, fixed and ignored numbers per category.
// For now the page is its template only.
class CStatistic : public CPropertyPage {
public:
    CStatistic() : CPropertyPage(IDD_STATISTICS) {}

    // Fills the numbers anew each time the page is shown (not built yet: the page shows its template).
    void FillPage() {}
};
