#include "CIgnoreListPage.h"
#include <cstring>
#include <utility>
#include "CRegistryCleanerApp.h"
#include "CRegistryCleanerDlg.h"
#include "PageLayout.h"

namespace {

const COLORREF kTitleFill = RGB(223, 238, 248);
const COLORREF kWhite = RGB(255, 255, 255);
const int kCategoryColumnWidth = 100;
const int kEntryColumnWidth = 428;

int Sign(int value)
{
    return (value > 0) - (value < 0);
}

}  // namespace

IMPLEMENT_DYNAMIC(CIgnoreListPage)

BEGIN_MESSAGE_MAP(CIgnoreListPage, CPropertyPage)
    ON_WM_ERASEBKGND()
    ON_BN_CLICKED(IDC_IGNORE_REMOVE, OnRemove)
    ON_BN_CLICKED(IDC_TAB_OPTIONS, OnOptionsTab)
    ON_BN_CLICKED(IDC_TAB_SCHEDULE, OnScheduleTab)
    // The list forwards its header's notifications, whatever the header's id.
    ON_NOTIFY_RANGE(HDN_ITEMCLICKA, 0, 0xFFFF, OnColumnClick)
END_MESSAGE_MAP()

CIgnoreListPage::CIgnoreListPage() : CPropertyPage(IDD_IGNORE_LIST) {}

CIgnoreListPage::~CIgnoreListPage()
{
    FreeRows();
}

void CIgnoreListPage::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_IGNORE_LIST, m_list);
    DDX_Control(pDX, IDC_IGNORE_REMOVE, m_remove);
    DDX_Control(pDX, IDC_IGNORE_TITLE, m_title);
    DDX_Control(pDX, IDC_TAB_OPTIONS, m_optionsTab);
    DDX_Control(pDX, IDC_TAB_IGNORE_LIST, m_ignoreListTab);
    DDX_Control(pDX, IDC_TAB_SCHEDULE, m_scheduleTab);
}

BOOL CIgnoreListPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    ApplyPageLayout(m_fontScaler, m_hWnd, IDD_IGNORE_LIST);
    m_background.LoadBitmap(IDB_BG_IGNORE_LIST);

    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_FLATSB);
    m_list.InsertColumn(0, "Category", LVCFMT_LEFT, kCategoryColumnWidth);
    m_list.InsertColumn(1, "Registry Key", LVCFMT_LEFT, kEntryColumnWidth);

    m_remove.SetBitmaps(IDB_IGNORE_REMOVE, IDB_IGNORE_REMOVE_HOT, IDB_IGNORE_REMOVE, FALSE);
    m_title.SetLabelStyle(FALSE, "Arial", 15, kWhite, kTitleFill);
    m_title.SetText("Settings - Ignore List");
    m_title.SetTransparent(TRUE);

    m_optionsTab.SetBitmaps(IDB_TAB_OPTIONS, IDB_TAB_OPTIONS, IDB_TAB_OPTIONS, FALSE);
    m_ignoreListTab.SetBitmaps(IDB_TAB_IGNORE_ACTIVE, IDB_TAB_IGNORE_ACTIVE, IDB_TAB_IGNORE_ACTIVE, FALSE);
    m_scheduleTab.SetBitmaps(IDB_TAB_SCHEDULE, IDB_TAB_SCHEDULE, IDB_TAB_SCHEDULE, FALSE);
    return TRUE;
}

BOOL CIgnoreListPage::OnEraseBkgnd(CDC* pDC)
{
    return PaintPageBackground(pDC, m_background);
}

CString CIgnoreListPage::GetCategoryDisplayName(int category)
{
    if (IsValidCategory(category))
        return g_categoryNames[category];
    CString name;
    name.Format("Unknown (%d)", category);
    return name;
}

void CIgnoreListPage::CollectRows(CStringArray& texts, CIgnoreTypeArray& types, IgnoreListRowArray& rows)
{
    // Only the entries with both a text and a category: a damaged file can
    // leave one array longer than the other.
    CIgnoreList list(texts, types, CString());
    list.Compact();
    const INT_PTR count = list.GetCount();
    for (INT_PTR i = 0; i < count; ++i)
        rows.Add(new IgnoreListItemData{GetCategoryDisplayName(types[i]), texts[i], static_cast<int>(i)});
}

void CIgnoreListPage::FreeRows()
{
    for (INT_PTR i = 0; i < m_rows.GetSize(); ++i)
        delete m_rows[i];
    m_rows.RemoveAll();
}

void CIgnoreListPage::FillList()
{
    if (m_list.m_hWnd)
        m_list.DeleteAllItems();
    FreeRows();
    CollectRows(theApp.m_ignoreTexts, theApp.m_ignoreTypes, m_rows);
    if (!m_list.m_hWnd)
        return;
    for (INT_PTR i = 0; i < m_rows.GetSize(); ++i) {
        IgnoreListItemData* row = m_rows[i];
        m_list.InsertItem(0, row->categoryName);
        m_list.SetItemText(0, 1, row->entryText);
        m_list.SetItemData(0, reinterpret_cast<DWORD_PTR>(row));
    }
    // Sorting by the same column again reverses it, so each refill turns the order round.
    Sort(0);
}

void CIgnoreListPage::Sort(int column)
{
    m_sortAscending = column != m_sortColumn ? TRUE : !m_sortAscending;
    m_sortColumn = column;
    SortBlock block = {column, m_sortAscending};
    m_list.SortItems(&CIgnoreListPage::CompareItems, reinterpret_cast<DWORD_PTR>(&block));
}

int CALLBACK CIgnoreListPage::CompareItems(LPARAM item1, LPARAM item2, LPARAM sortBlock)
{
    const SortBlock* block = reinterpret_cast<const SortBlock*>(sortBlock);
    const IgnoreListItemData* a = reinterpret_cast<const IgnoreListItemData*>(item1);
    const IgnoreListItemData* b = reinterpret_cast<const IgnoreListItemData*>(item2);
    if (!block || !a || !b)
        return 0;
    if (!block->ascending)
        std::swap(a, b);
    switch (block->column) {
    case 0: return Sign(strcmp(a->categoryName, b->categoryName));
    case 1: return Sign(strcmp(a->entryText, b->entryText));
    default: return 0;
    }
}

void CIgnoreListPage::OnColumnClick(UINT, NMHDR* pNMHDR, LRESULT* pResult)
{
    const NMHEADERA* header = reinterpret_cast<const NMHEADERA*>(pNMHDR);
    Sort(header->iItem);
    *pResult = 0;
}

void CIgnoreListPage::OnRemove()
{
    // Removal only marks entries, so the rows' indexes stay valid until the next fill.
    CIgnoreList list(theApp.m_ignoreTexts, theApp.m_ignoreTypes, CIgnoreList::GetDefaultPath());
    for (int row = m_list.GetNextItem(-1, LVNI_SELECTED); row >= 0; row = m_list.GetNextItem(-1, LVNI_SELECTED)) {
        const IgnoreListItemData* data = reinterpret_cast<const IgnoreListItemData*>(m_list.GetItemData(row));
        if (!m_list.DeleteItem(row))
            break;
        if (data)
            list.MarkRemoved(data->index);
    }
    theApp.SaveIgnoreList();
}

void CIgnoreListPage::OnOptionsTab()
{
    if (CRegistryCleanerDlg* main = MainWindowOf(m_hWnd))
        main->ShowOptionsPage();
}

void CIgnoreListPage::OnScheduleTab()
{
    if (CRegistryCleanerDlg* main = MainWindowOf(m_hWnd))
        main->ShowSchedulePage();
}
