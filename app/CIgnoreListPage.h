#pragma once
#include "afxwin.h"
#include "CDialogFontScaler.h"
#include "CIgnoreList.h"
#include "CLabel.h"
#include "CXPButton.h"
#include "resource.h"

class CRegistryCleanerDlg;

// One row of the ignore-list page, stored as the row's item data.
struct IgnoreListItemData {
    CString categoryName;  // column "Category"
    CString entryText;     // column "Registry Key": "<key>\<value name>|<value>"
    int index;             // the entry's place in the application's ignore arrays at the fill
};

typedef CArray<IgnoreListItemData*, IgnoreListItemData* const&> IgnoreListRowArray;

// The ignore-list page: the entries a scan leaves out, one row each with its
// category; the selected rows can be removed. Reached from the options and
// schedule pages, and filled anew each time it is shown.
class CIgnoreListPage : public CPropertyPage {
    DECLARE_DYNAMIC(CIgnoreListPage)

public:
    CIgnoreListPage();
    ~CIgnoreListPage() override;

    BOOL OnInitDialog() override;
    // Lists the application's ignore list anew, after taking out the removed entries.
    void FillList();

    // Takes the removed entries out of both arrays, then appends one row per
    // entry that has both a text and a category, in array order.
    static void CollectRows(CStringArray& texts, CIgnoreTypeArray& types, IgnoreListRowArray& rows);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnRemove();
    afx_msg void OnOptionsTab();
    afx_msg void OnScheduleTab();
    afx_msg void OnColumnClick(UINT id, NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

private:
    // What the list's sort callback is given.
    struct SortBlock {
        int column;
        BYTE ascending;
    };

    // The name a category shows: "Unknown (n)" for one outside 0 to 10.
    static CString GetCategoryDisplayName(int category);
    // The list's sort callback over two rows' item data, byte order: -1, 0 or 1.
    static int CALLBACK CompareItems(LPARAM item1, LPARAM item2, LPARAM sortBlock);
    // Sorts by a column: ascending for a new column, else the other way round.
    void Sort(int column);
    void FreeRows();

    CDialogFontScaler m_fontScaler;
    CListCtrl m_list;
    CXPButton m_remove;
    CLabel m_title;
    CXPButton m_optionsTab;
    CXPButton m_ignoreListTab;
    CXPButton m_scheduleTab;
    BYTE m_sortAscending = FALSE;
    int m_sortColumn = -1;
    IgnoreListRowArray m_rows;
    CBitmap m_background;
};
