#pragma once
#include "afxwin.h"
#include "CDialogFontScaler.h"
#include "CIgnoreList.h"
#include "CLabel.h"
#include "CRegistryProblem.h"
#include "resource.h"

// The statistics page: per category the problems the last scan found, those
// the last fix removed and the ignore-list entries, with the two totals and
// the time of the last scan. Every showing reads the figures afresh.
class CStatistic : public CPropertyPage {
    DECLARE_DYNAMIC(CStatistic)

public:
    CStatistic();

    BOOL OnInitDialog() override;
    // Reads the figures and shows them.
    void FillPage();
    void LoadCounters();

    // Ignore-list entries per category; removed entries (-1) and categories
    // outside 0 to 10 count nowhere.
    static void CountIgnored(const CIgnoreTypeArray& types, int ignored[REGPROBLEM_TYPE_COUNT]);
    // The last-scan label's text: "Never" before the first scan.
    static CString LastScanText(const CString& stored);

protected:
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    DECLARE_MESSAGE_MAP()

private:
    CLabel m_fixedLabels[REGPROBLEM_TYPE_COUNT];
    CLabel m_foundLabels[REGPROBLEM_TYPE_COUNT];
    CLabel m_ignoredLabels[REGPROBLEM_TYPE_COUNT];
    CLabel m_title;
    CLabel m_lastScanLabel;
    CLabel m_foundTotalLabel;
    CLabel m_cleanedTotalLabel;
    CDialogFontScaler m_fontScaler;
    CBitmap m_background;

    int fixed[REGPROBLEM_TYPE_COUNT] = {};
    int found[REGPROBLEM_TYPE_COUNT] = {};
    int ignored[REGPROBLEM_TYPE_COUNT] = {};
    int lastFoundErrors = 0;
    int errorsCleaned = 0;
    CString lastScan;
};
