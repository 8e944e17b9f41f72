#pragma once
#include "afxwin.h"
#include "CDialogFontScaler.h"
#include "CLabel.h"
#include "CXPButton.h"
#include "resource.h"

class CRegistryCleanerDlg;

// The options page: one check box per switch of the settings store, written
// the moment it is clicked (there is no apply step); the label beside a box
// toggles it too. Also the manual update check and the tip-of-the-day switch.
class COptionsPage : public CPropertyPage {
    DECLARE_DYNAMIC(COptionsPage)

public:
    COptionsPage();
    ~COptionsPage() override;

    BOOL OnInitDialog() override;

    // Whether the system has a restore service to set restore points with.
    static BOOL IsSystemRestoreAvailable();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
    afx_msg void OnShowTips();
    afx_msg void OnShowTipsLabel();
    afx_msg void OnUpdateNow();
    afx_msg void OnScheduleTab();
    afx_msg void OnIgnoreListTab();
    afx_msg void OnOptionsTab();
    DECLARE_MESSAGE_MAP()

private:
    // One switch: its box, the label beside it (and its text), its value and the value's default.
    struct OptionSwitch {
        UINT box;
        UINT label;
        const char* valueName;
        int defaultValue;
        const char* text;
    };
    static const int kOptionCount = 6;
    static const OptionSwitch kOptions[kOptionCount];

    // The switch of a box (byBox) or of its label; -1 for any other control.
    static int FindOption(UINT id, BOOL byBox);
    // Writes a box's state (0 or 1) to its value.
    void OnOptionBox(int option);
    // Toggles an enabled box, then writes it as its own click would.
    void OnOptionLabel(int option);

    CDialogFontScaler m_fontScaler;
    CLabel m_title;
    CLabel m_optionLabels[kOptionCount];
    CLabel m_repairWarning;
    CLabel m_showTipsLabel;
    CLabel m_spareLabel1;
    CLabel m_spareLabel2;
    CXPButton m_updateNow;
    CXPButton m_ignoreListTab;
    CXPButton m_scheduleTab;
    CXPButton m_optionsTab;
    CBitmap m_background;
    // The controls' background, made once and kept while they paint with it.
    CBrush m_ctlBrush;
};
