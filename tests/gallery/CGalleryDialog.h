#pragma once
#include "CBitmapDialog.h"
#include "CDialogFontScaler.h"
#include "CImageLabel.h"
#include "CShapedWindow.h"

// The gallery: a plain dialog hosting each control, and the shaped window.
class CGalleryDialog : public CDialog {
public:
    CGalleryDialog();
    BOOL OnInitDialog() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    afx_msg void OnSwap();
    afx_msg void OnDestroy();
    afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
    void LogControl(const char* name, CWnd& control);

    CDialogFontScaler m_scaler;
    CImageLabel m_bigIcon;
    CImageLabel m_smallIcon;
    CImageLabel m_missingIcon;
    CButton m_swap;
    CButton m_close;
    CPropertyPage m_page;
    CShapedWindow m_shaped;

    DECLARE_MESSAGE_MAP()
};
