#pragma once
#include "afxwin.h"
#include "CDialogFontScaler.h"
#include "CLabel.h"
#include "CRegistryProblem.h"
#include "CXPButton.h"

class CRegistryCleanerDlg;

// The scan categories page: a check box and a label per category, the
// description of the hovered category, and Start Scan, the one way into a scan.
class CRegFindNFix : public CPropertyPage {
public:
    CRegFindNFix();
    ~CRegFindNFix() override;

    BOOL OnInitDialog() override;
    // Starts a scan of the checked categories, reporting to the progress page.
    // Does nothing while a scan or fix runs.
    afx_msg void OnStartScan();

protected:
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    // Timer 100 (armed by nothing in the program): counts from 0 to 99 and
    // repaints the page. Other timers go to the default handling.
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    afx_msg void OnLabelEntered(UINT id, NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnLabelLeft(UINT id, NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnLabelClicked(UINT id, NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

private:
    // The category of a check box id, or -1.
    static int CategoryOfBox(UINT id);
    // Stores a box's state in its category's switch value.
    void OnCategoryCheck(int category);
    // A click on a category's name toggles its (enabled) box.
    void OnCategoryLabel(int category);

    CLabel m_labels[REGPROBLEM_TYPE_COUNT];
    CLabel m_description;
    CLabel m_hint;
    CLabel m_instruction;
    CLabel m_title;
    CXPButton m_startScan;
    CBitmap m_background;
    HBRUSH m_ctlBrush = nullptr;
    int m_hoveredCategory = 0;
    int m_timerTicks = 0;
    CDialogFontScaler m_fontScaler;
};

// The check box of each category, by category.
extern const UINT g_categoryBoxIds[REGPROBLEM_TYPE_COUNT];
