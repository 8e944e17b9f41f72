#pragma once
#include "afxwin.h"
#include "CDialogFontScaler.h"
#include "CLabel.h"
#include "CXPButton.h"
#include "resource.h"

class CRegistryCleanerDlg;

// The schedule page: one line per trigger of the scan task, and Set Schedule,
// which makes the task when it is missing and opens its schedule.
class CSchedulePage : public CPropertyPage {
    DECLARE_DYNAMIC(CSchedulePage)

public:
    CSchedulePage();

    BOOL OnInitDialog() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnOptionsTab();
    afx_msg void OnIgnoreListTab();
    afx_msg void OnSetSchedule();
    DECLARE_MESSAGE_MAP()

private:
    // Empties the list and fills it with the scan task's schedule.
    void FillList();

    CXPButton m_optionsTab;
    CXPButton m_ignoreListTab;
    CXPButton m_setSchedule;
    CLabel m_heading;
    CLabel m_note;
    CString m_programFolder;
    CListBox m_list;
    CDialogFontScaler m_fontScaler;
    CLabel m_title;
    CBitmap m_background;
};
