#include "CRegBackup.h"
#include "CBackupFolder.h"
#include "CImageLabel.h"
#include "PageLayout.h"

namespace {

const COLORREF kWhite = 0xFFFFFF;
const COLORREF kHeadingColour = RGB(64, 110, 152);
const char kCaution[] =
    "We recommend that you use caution when restoring the registry as it can affect the functionality of your "
    "software. Use this feature only when you need to restore to a previous working state. Select the items you "
    "want to restore from the list above.";

// The block that LVM_SORTITEMS hands to the compare callback.
struct SortParameters {
    int column;
    BYTE ascending;
};

}  // namespace

IMPLEMENT_DYNCREATE(CRegBackup)

BEGIN_MESSAGE_MAP(CRegBackup, CPropertyPage)
    ON_WM_ERASEBKGND()
    ON_BN_CLICKED(IDC_BACKUP_RESTORE, OnRestore)
    ON_BN_CLICKED(IDC_BACKUP_REMOVE, OnRemove)
    ON_NOTIFY(LVN_ITEMACTIVATE, IDC_BACKUP_LIST, OnItemActivate)
    // The list passes its header's clicks on to the page, in either character set.
    ON_NOTIFY_RANGE(HDN_ITEMCLICKA, 0, 0xFFFF, OnHeaderClick)
    ON_NOTIFY_RANGE(HDN_ITEMCLICKW, 0, 0xFFFF, OnHeaderClick)
END_MESSAGE_MAP()

CRegBackup::CRegBackup() : CPropertyPage(IDD_BACKUPS) {}

CRegBackup::~CRegBackup()
{
    FreeRows();
}

void CRegBackup::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_BACKUP_REMOVE, m_remove);
    DDX_Control(pDX, IDC_BACKUP_LIST, m_list);
    DDX_Control(pDX, IDC_BACKUP_CAUTION, m_caution);
    DDX_Control(pDX, IDC_PAGE_TITLE, m_title);
    DDX_Control(pDX, IDC_BACKUP_RESTORE, m_restore);
    DDX_Control(pDX, IDC_BACKUP_INFO_HEADING, m_information);
}

BOOL CRegBackup::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    ApplyPageLayout(m_fontScaler, m_hWnd, IDD_BACKUPS);
    m_background.LoadBitmap(IDB_BG_BACKUPS);

    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES
                            | LVS_EX_ONECLICKACTIVATE | LVS_EX_FLATSB);
    m_list.InsertColumn(0, "Name", LVCFMT_LEFT, 280);
    m_list.InsertColumn(1, "Date and Time", LVCFMT_LEFT, 252);

    m_caution.SetLabelStyle(TRUE, "Arial", 10, 0, kWhite);
    m_caution.SetText(kCaution);
    m_title.SetLabelStyle(TRUE, "Arial", 15, kWhite, kWhite);
    m_title.SetText("Backup");
    m_title.SetTransparent(TRUE);
    m_information.SetLabelStyle(TRUE, "Arial", 10, kHeadingColour, kWhite);
    m_information.SetText("Information:");

    m_restore.SetBitmaps(IDB_RESTORE, IDB_RESTORE_HOT, IDB_RESTORE, FALSE);
    m_remove.SetBitmaps(IDB_BACKUP_REMOVE, IDB_BACKUP_REMOVE_HOT, IDB_BACKUP_REMOVE, FALSE);

    FillBackupList();
    return TRUE;
}

BOOL CRegBackup::OnEraseBkgnd(CDC* pDC)
{
    if (m_background.m_hObject)
        DrawBitmap(pDC, &m_background, 0, 0);
    return TRUE;
}

void CRegBackup::FreeRows()
{
    for (INT_PTR i = 0; i < m_rows.GetSize(); ++i)
        delete m_rows[i];
    m_rows.RemoveAll();
}

void CRegBackup::FillBackupList()
{
    if (!m_list.m_hWnd)
        return;
    m_list.DeleteAllItems();
    FreeRows();
    // The folder gives the rows in the order the list shows them: insert the
    // last at the top first.
    const std::vector<BackupListItemData> backups = CBackupFolder().List();
    for (auto it = backups.rbegin(); it != backups.rend(); ++it) {
        const int row = m_list.InsertItem(0, it->name);
        if (row < 0)
            continue;
        m_list.SetItemText(row, 1, it->dateText);
        auto* data = new BackupListItemData(*it);
        m_list.SetItemData(row, reinterpret_cast<DWORD_PTR>(data));
        m_rows.Add(data);
    }
}

void CRegBackup::OnItemActivate(NMHDR*, LRESULT* pResult)
{
    const int row = m_list.GetSelectionMark();
    if (row >= 0)
        m_list.SetCheck(row, !m_list.GetCheck(row));
    *pResult = 0;
}

void CRegBackup::OnHeaderClick(UINT, NMHDR* pNMHDR, LRESULT* pResult)
{
    // Only the list's own header sorts it.
    const HWND header = reinterpret_cast<HWND>(::SendMessageA(m_list.m_hWnd, LVM_GETHEADER, 0, 0));
    if (header && pNMHDR->hwndFrom == header)
        Sort(reinterpret_cast<NMHEADERA*>(pNMHDR)->iItem);
    *pResult = 0;
}

void CRegBackup::Sort(int column)
{
    m_sortAscending = column != m_sortColumn ? TRUE : !m_sortAscending;
    m_sortColumn = column;
    SortParameters parameters{column, m_sortAscending};
    m_list.SortItems(&CRegBackup::CompareItems, reinterpret_cast<DWORD_PTR>(&parameters));
}

int CALLBACK CRegBackup::CompareItems(LPARAM a, LPARAM b, LPARAM sortParameters)
{
    const auto* parameters = reinterpret_cast<const SortParameters*>(sortParameters);
    const auto* first = reinterpret_cast<const BackupListItemData*>(parameters->ascending ? a : b);
    const auto* second = reinterpret_cast<const BackupListItemData*>(parameters->ascending ? b : a);
    if (!first || !second)
        return 0;
    return CBackupFolder::Compare(*first, *second, parameters->column);
}

std::vector<CString> CRegBackup::TickedNames(LPCSTR emptyText, LPCSTR noneTickedText) const
{
    std::vector<CString> names;
    const int count = m_list.GetItemCount();
    for (int row = 0; row < count; ++row)
        if (m_list.GetCheck(row))
            names.push_back(m_list.GetItemText(row, 0));
    if (names.empty())
        ::MessageBoxA(m_hWnd, count == 0 ? emptyText : noneTickedText, "Error", MB_ICONHAND);
    return names;
}

void CRegBackup::OnRestore()
{
    const std::vector<CString> names = TickedNames("Restore Error \n\n There are no items to restore.",
                                                   "Restore Error \n\n Please select at least one item to restore");
    if (names.empty())
        return;
    const CBackupFolder folder;
    CString failures;
    for (const CString& name : names) {
        CString failure;
        if (!folder.Restore(name, failure))
            failures += "\n" + failure;
    }
    // Success only when every ticked backup is wholly back; otherwise each one
    // that is not, and why (what was not restored stays in the folder).
    if (failures.IsEmpty())
        AfxMessageBox("Successfully restored", MB_OK);
    else
        AfxMessageBox("Could not restore\n" + failures, MB_OK | MB_ICONHAND);
    FillBackupList();
}

void CRegBackup::OnRemove()
{
    const std::vector<CString> names = TickedNames("Remove Error \n\n There are no items to remove.",
                                                   "Remove Error \n\n Please select at least one item to remove");
    if (names.empty())
        return;
    const CBackupFolder folder;
    for (const CString& name : names)
        if (!name.IsEmpty())  // an empty name would be the folder itself
            folder.Remove(name);
    FillBackupList();
}
