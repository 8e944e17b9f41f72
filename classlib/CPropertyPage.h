#pragma once
#include "CDialog.h"

// A page: a child dialog on its own template, created modeless by its owner.
// Whatever the template says, the page is made a WS_CHILD | DS_CONTROL dialog
// without caption or frame.
class CPropertyPage : public CDialog {
public:
    explicit CPropertyPage(UINT nIDTemplate) : CDialog(nIDTemplate) { m_bChildTemplate = TRUE; }
    explicit CPropertyPage(LPCSTR lpszTemplateName) : CDialog(lpszTemplateName) { m_bChildTemplate = TRUE; }

    using CDialog::Create;
    // Creates the page from its own template as a child of pParentWnd.
    BOOL Create(CWnd* pParentWnd) { return CDialog::Create(m_lpszTemplateName, pParentWnd); }
};
