#pragma once
#include "afxwin.h"
#include "resource.h"

// The schedule page: when the scheduled scans run.
// For now the page is its template only.
class CSchedulePage : public CPropertyPage {
public:
    CSchedulePage() : CPropertyPage(IDD_SCHEDULE) {}
};
