#pragma once
#include "afxwin.h"
#include "resource.h"

// The options page: the program's switches, stored as they change.
// For now the page is its template only.
class COptionsPage : public CPropertyPage {
public:
    COptionsPage() : CPropertyPage(IDD_OPTIONS) {}
};
