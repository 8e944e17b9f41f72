#pragma once
#include "afxwin.h"
#include "CDialogFontScaler.h"
#include "CHTMLListCtrl.h"
#include "CImageLabel.h"
#include "CLabel.h"
#include "CRegistryProblem.h"
#include "CScanCategory.h"
#include "CXPButton.h"
#include "resource.h"

class CRegistryCleanerDlg;

typedef CArray<CScanCategory*, CScanCategory*> CScanCategoryArray;

// The scan results page: the problems of the last scan in one group per
// category, each with its check box and "Ignore" link, and "Fix Errors",
// which hands the checked problems to the engine's fix. The page is the
// window the fix thread reports to; its handlers run while the worker waits.
class CScanResultsPage : public CPropertyPage {
    DECLARE_DYNAMIC(CScanResultsPage)

public:
    CScanResultsPage();
    ~CScanResultsPage() override;

    BOOL OnInitDialog() override;
    // Rebuilds the groups and the list from the problem array as it stands;
    // nothing while a scan or fix runs (the worker owns the array then).
    void BuildCategories();

    // The HTML text of a problem's row.
    static CString FormatProblemText(const CRegistryProblem& problem);
    // The problems that are checked and have a category: those a fix takes.
    static int CountChecked(const CRegistryProblemArray& problems);
    // The group of the problem's category, or NULL.
    static CScanCategory* FindCategory(const CScanCategoryArray& categories, const CRegistryProblem& problem);
    // Checks every problem that has a group, but those of File Path and Empty
    // Keys, which keep their state; the groups' selected counts follow.
    static void SelectAll(const CRegistryProblemArray& problems, const CScanCategoryArray& categories);
    // Clears every problem; the groups' selected counts follow.
    static void SelectNone(const CRegistryProblemArray& problems, const CScanCategoryArray& categories);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnBack();
    afx_msg void OnFixErrors();
    afx_msg void OnSelectAll();
    afx_msg void OnSelectNone();
    afx_msg void OnItemClick(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnItemIgnore(NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

private:
    void FillList();
    void FreeCategories();
    // The counter line from the problems really checked.
    void UpdateCounter();
    // The page's buttons while a fix runs (FALSE) and after it (TRUE).
    void EnableButtons(BOOL enable);
    void OnFixDone();
    static BOOL IsEngineBusy();

    CXPButton m_back;
    CScanCategoryArray m_categories;
    CXPButton m_fixErrors;
    CXPButton m_selectAll;
    CXPButton m_selectNone;
    CDialogFontScaler m_fontScaler;
    CLabel m_detected;
    CImageLabel m_status;
    CLabel m_counter;
    CLabel m_title;
    CBitmap m_background;
    int m_selectedCount = 0;
    int m_categoryCounts[REGPROBLEM_TYPE_COUNT] = {};
    CRegistryProblemArray* m_problems;
    CHTMLListCtrl m_list;
};
