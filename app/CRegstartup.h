#pragma once
#include "afxwin.h"
#include "CDialogFontScaler.h"
#include "CLabel.h"
#include "CListCtrl.h"
#include "CStartupStore.h"
#include "CXPButton.h"
#include "resource.h"
#include <memory>
#include <vector>

// The startup manager: the programs Windows starts at logon, from the Run
// keys, the two Startup folders and the store of disabled items, with
// disable, enable and remove. Every move goes through the store, which
// leaves an item where it was when the move cannot be made whole.
class CRegstartup : public CPropertyPage {
    DECLARE_DYNCREATE(CRegstartup)

public:
    CRegstartup();
    ~CRegstartup() override;

    BOOL OnInitDialog() override;
    // Reads every item and shows them sorted by program.
    void FillStartupList();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    afx_msg void OnRemove();
    afx_msg void OnEnableAll();
    afx_msg void OnDisableAll();
    afx_msg void OnToggleSelected();
    afx_msg void OnItemChanged(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    DECLARE_MESSAGE_MAP()

private:
    void AddStartupRow(const StartupItem& item);
    StartupItem* RowItem(int row) const;
    // Disables or enables one row; FALSE with the store's reason in failure.
    BOOL DisableItem(int row, CString& failure);
    BOOL EnableItem(int row, CString& failure);
    void MoveAll(BOOL bEnable);
    void ShowStatus(int row);
    // The toggle's look for the selected row: disable for an enabled one.
    void UpdateToggle();
    void SortList(int column);
    void SortRows();
    void ShowFailure(const CString& failure);
    static int CALLBACK CompareStartupRows(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort);

    CStartupStore m_store;
    CListCtrl m_list;
    CDialogFontScaler m_fontScaler;
    CXPButton m_remove;
    CLabel m_title;
    CLabel m_help;
    CXPButton m_enableAll;
    CXPButton m_disableAll;
    CXPButton m_toggle;
    BYTE m_sortAscending = 1;
    int m_sortColumn = 0;
    std::vector<std::unique_ptr<StartupItem>> m_items;
    CBitmap m_background;
    // The controls paint with it: it lives as long as the page.
    HBRUSH m_fillBrush = nullptr;
};
