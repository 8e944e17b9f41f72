#include "CRegstartup.h"
#include "PageLayout.h"

namespace {

const COLORREF kTitleFill = RGB(223, 238, 248);
const char kTitle[] = "Manage Startup";
const char kHelp[] =
    "You can choose which applications are launched when you start your computer. Select an item above and click a "
    "button to enable, disable, or remove it.";
const char kNothingToRemove[] = "You have not checked anything to Remove";
const char kConfirmRemove[] =
    "You are about to change the registry settings. Please confirm you want to perform this operation.";

struct Column {
    const char* heading;
    int width;
};
const Column kColumns[] = {{"Program", 120}, {"File Name", 240}, {"Location", 83}, {"Status", 80}};
const int kStatusColumn = 3;

}  // namespace

IMPLEMENT_DYNCREATE(CRegstartup)

BEGIN_MESSAGE_MAP(CRegstartup, CPropertyPage)
    ON_BN_CLICKED(IDC_STARTUP_REMOVE, OnRemove)
    ON_BN_CLICKED(IDC_STARTUP_ENABLE_ALL, OnEnableAll)
    ON_BN_CLICKED(IDC_STARTUP_DISABLE_ALL, OnDisableAll)
    ON_BN_CLICKED(IDC_STARTUP_TOGGLE, OnToggleSelected)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_STARTUP_LIST, OnItemChanged)
    ON_NOTIFY(LVN_COLUMNCLICK, IDC_STARTUP_LIST, OnColumnClick)
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CRegstartup::CRegstartup() : CPropertyPage(IDD_STARTUP) {}

CRegstartup::~CRegstartup()
{
    if (m_fillBrush)
        ::DeleteObject(m_fillBrush);
}

void CRegstartup::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_STARTUP_LIST, m_list);
    DDX_Control(pDX, IDC_STARTUP_REMOVE, m_remove);
    DDX_Control(pDX, IDC_PAGE_TITLE, m_title);
    DDX_Control(pDX, IDC_STARTUP_HELP, m_help);
    DDX_Control(pDX, IDC_STARTUP_ENABLE_ALL, m_enableAll);
    DDX_Control(pDX, IDC_STARTUP_DISABLE_ALL, m_disableAll);
    DDX_Control(pDX, IDC_STARTUP_TOGGLE, m_toggle);
}

BOOL CRegstartup::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    ApplyPageLayout(m_fontScaler, m_hWnd, IDD_STARTUP);
    m_background.LoadBitmap(IDB_BG_STARTUP);
    m_fillBrush = ::CreateSolidBrush(kTitleFill);

    for (int i = 0; i < static_cast<int>(sizeof kColumns / sizeof kColumns[0]); i++)
        m_list.InsertColumn(i, kColumns[i].heading, LVCFMT_LEFT, kColumns[i].width);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);

    m_title.SetLabelStyle(TRUE, "Arial", 15, RGB(255, 255, 255), kTitleFill);
    ShowLabelText(m_title, kTitle);
    m_help.SetLabelStyle(TRUE, "Arial", 10, RGB(89, 136, 204), kTitleFill);
    ShowLabelText(m_help, kHelp);

    m_remove.SetBitmaps(IDB_STARTUP_REMOVE, IDB_STARTUP_REMOVE_HOT, IDB_STARTUP_REMOVE, FALSE);
    m_enableAll.SetBitmaps(IDB_ENABLE_ALL, IDB_ENABLE_ALL_HOT, IDB_ENABLE_ALL, FALSE);
    m_disableAll.SetBitmaps(IDB_DISABLE_ALL, IDB_DISABLE_ALL_HOT, IDB_DISABLE_ALL, FALSE);
    m_toggle.SetBitmaps(IDB_TOGGLE_DISABLE, IDB_TOGGLE_DISABLE_HOT, IDB_TOGGLE_DISABLE, FALSE);

    FillStartupList();
    return TRUE;
}

void CRegstartup::FillStartupList()
{
    m_list.DeleteAllItems();
    m_items.clear();
    for (const StartupItem& item : m_store.List())
        AddStartupRow(item);
    m_sortColumn = 0;
    m_sortAscending = 1;
    SortRows();
}

void CRegstartup::AddStartupRow(const StartupItem& item)
{
    m_items.push_back(std::make_unique<StartupItem>(item));
    const int row = m_list.InsertItem(m_list.GetItemCount(), item.program);
    if (row < 0)
        return;
    m_list.SetItemText(row, 1, item.command);
    m_list.SetItemText(row, 2, item.location);
    m_list.SetItemData(row, reinterpret_cast<DWORD_PTR>(m_items.back().get()));
    ShowStatus(row);
}

StartupItem* CRegstartup::RowItem(int row) const
{
    return row < 0 ? nullptr : reinterpret_cast<StartupItem*>(m_list.GetItemData(row));
}

void CRegstartup::ShowStatus(int row)
{
    const StartupItem* item = RowItem(row);
    CString status;
    if (item)
        status.LoadString(item->enabled ? IDS_STARTUP_ENABLED : IDS_STARTUP_DISABLED);
    m_list.SetItemText(row, kStatusColumn, status);
}

BOOL CRegstartup::DisableItem(int row, CString& failure)
{
    StartupItem* item = RowItem(row);
    if (!item || !item->enabled)
        return TRUE;
    const BOOL moved = m_store.Disable(*item, failure);
    ShowStatus(row);
    return moved;
}

BOOL CRegstartup::EnableItem(int row, CString& failure)
{
    StartupItem* item = RowItem(row);
    if (!item || item->enabled)
        return TRUE;
    const BOOL moved = m_store.Enable(*item, failure);
    ShowStatus(row);
    return moved;
}

void CRegstartup::ShowFailure(const CString& failure)
{
    MessageBox(failure, "Error", MB_OK | MB_ICONERROR);
}

void CRegstartup::OnToggleSelected()
{
    const int row = m_list.GetNextItem(-1, LVNI_SELECTED);
    const StartupItem* item = RowItem(row);
    if (!item)
        return;
    CString failure;
    const BOOL moved = item->enabled ? DisableItem(row, failure) : EnableItem(row, failure);
    UpdateToggle();
    if (!moved)
        ShowFailure(failure);
}

void CRegstartup::OnDisableAll()
{
    MoveAll(FALSE);
}

void CRegstartup::OnEnableAll()
{
    MoveAll(TRUE);
}

// Moves every row in turn; the rows that cannot be moved stay as they are
// and their reasons are shown together at the end.
void CRegstartup::MoveAll(BOOL bEnable)
{
    CString failures, failure;
    for (int row = 0; row < m_list.GetItemCount(); row++) {
        if (!(bEnable ? EnableItem(row, failure) : DisableItem(row, failure)))
            failures += (failures.IsEmpty() ? "" : "\n") + failure;
    }
    UpdateToggle();
    if (!failures.IsEmpty())
        ShowFailure(failures);
}

void CRegstartup::OnRemove()
{
    const int row = m_list.GetNextItem(-1, LVNI_SELECTED);
    const StartupItem* item = RowItem(row);
    if (!item) {
        MessageBox(kNothingToRemove, "Error", MB_OK | MB_ICONERROR);
        return;
    }
    if (MessageBox(kConfirmRemove, "Warning", MB_YESNO | MB_ICONWARNING) != IDYES)
        return;
    CString failure;
    if (!m_store.Remove(*item, failure)) {
        ShowFailure(failure);
        return;
    }
    // The item object stays in the array until the page goes.
    m_list.DeleteItem(row);
    UpdateToggle();
}

void CRegstartup::UpdateToggle()
{
    const StartupItem* item = RowItem(m_list.GetNextItem(-1, LVNI_SELECTED));
    if (!item || item->enabled)
        m_toggle.SetBitmaps(IDB_TOGGLE_DISABLE, IDB_TOGGLE_DISABLE_HOT, IDB_TOGGLE_DISABLE, FALSE);
    else
        m_toggle.SetBitmaps(IDB_TOGGLE_ENABLE, IDB_TOGGLE_ENABLE_HOT, IDB_TOGGLE_ENABLE, FALSE);
    m_toggle.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CRegstartup::OnItemChanged(NMHDR*, LRESULT* pResult)
{
    UpdateToggle();
    *pResult = 0;
}

void CRegstartup::OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult)
{
    SortList(reinterpret_cast<NMLISTVIEW*>(pNMHDR)->iSubItem);
    *pResult = 0;
}

void CRegstartup::SortList(int column)
{
    m_sortAscending = column != m_sortColumn ? 1 : !m_sortAscending;
    m_sortColumn = column;
    SortRows();
}

void CRegstartup::SortRows()
{
    m_list.SortItems(&CompareStartupRows, reinterpret_cast<DWORD_PTR>(this));
}

int CALLBACK CRegstartup::CompareStartupRows(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort)
{
    const auto* page = reinterpret_cast<const CRegstartup*>(lParamSort);
    const auto* first = reinterpret_cast<const StartupItem*>(lParam1);
    const auto* second = reinterpret_cast<const StartupItem*>(lParam2);
    if (!first || !second)
        return 0;
    return page->m_sortAscending ? CStartupStore::Compare(*first, *second, page->m_sortColumn)
                                 : CStartupStore::Compare(*second, *first, page->m_sortColumn);
}

BOOL CRegstartup::OnEraseBkgnd(CDC* pDC)
{
    return PaintPageBackground(pDC, m_background);
}

HBRUSH CRegstartup::OnCtlColor(CDC* pDC, CWnd*, UINT)
{
    pDC->SetBkMode(TRANSPARENT);
    return m_fillBrush;
}
