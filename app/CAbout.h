#pragma once
#include "afxwin.h"
#include "CDialogFontScaler.h"
#include "CLabel.h"
#include "resource.h"

// The about page: the program's name as a heading and its version.
// It can be made from its runtime class.
class CAbout : public CPropertyPage {
    DECLARE_DYNCREATE(CAbout)

public:
    CAbout();
    ~CAbout() override;

    BOOL OnInitDialog() override;

protected:
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    DECLARE_MESSAGE_MAP()

private:
    CLabel m_heading;
    CLabel m_version;
    CDialogFontScaler m_fontScaler;
    CBitmap m_background;
    // The controls paint with it: it lives as long as the page.
    HBRUSH m_whiteBrush = nullptr;
};
