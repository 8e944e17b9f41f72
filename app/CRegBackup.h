#pragma once
#include "afxwin.h"
#include "BackupListItemData.h"
#include "CArray.h"
#include "CDialogFontScaler.h"
#include "CLabel.h"
#include "CListCtrl.h"
#include "CXPButton.h"
#include "resource.h"

// The backups page: the backups that fixes left in the program's "Backup"
// folder, one row each (name and date), to restore or remove the ticked ones.
// The folder's rules (what a backup is, how it is restored and removed) are
// CBackupFolder's; the page lists, sorts and reports.
class CRegBackup : public CPropertyPage {
    DECLARE_DYNCREATE(CRegBackup)

public:
    CRegBackup();
    ~CRegBackup() override;

    BOOL OnInitDialog() override;
    // Lists the backups anew; called each time the page is shown.
    void FillBackupList();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnRestore();
    afx_msg void OnRemove();
    afx_msg void OnItemActivate(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnHeaderClick(UINT id, NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

private:
    // Sorts by a column: ascending on a new column, the other way on the same.
    void Sort(int column);
    static int CALLBACK CompareItems(LPARAM a, LPARAM b, LPARAM sortParameters);
    // The names of the ticked rows in list order; empty (after telling the
    // user why, with the action's texts) when there is nothing to act on.
    std::vector<CString> TickedNames(LPCSTR emptyText, LPCSTR noneTickedText) const;
    void FreeRows();

    CXPButton m_remove;
    CListCtrl m_list;
    CLabel m_caution;
    CLabel m_title;
    CXPButton m_restore;
    CDialogFontScaler m_fontScaler;
    CLabel m_information;
    BYTE m_sortAscending = FALSE;
    int m_sortColumn = -1;
    CArray<BackupListItemData*, BackupListItemData* const&> m_rows;
    CBitmap m_background;
};
