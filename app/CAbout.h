#pragma once
#include "afxwin.h"
#include "resource.h"

// The about page: the program's name and version.
// For now the page is its template only.
class CAbout : public CPropertyPage {
public:
    CAbout() : CPropertyPage(IDD_ABOUT) {}
};
