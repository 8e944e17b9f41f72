#include "CScanResultsPage.h"
#include <vector>
#include "CAppConfig.h"
#include "CRegScanner.h"
#include "CRegistryCleanerApp.h"
#include "CRegistryCleanerDlg.h"
#include "PageLayout.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kTitleFill = RGB(223, 238, 248);
const char kCounterFormat[] = "%d of %d Errors Selected for Repair";
const char kFixingText[] = "Fixing errors. Please wait.";
const char kNothingSelected[] =
    "There are no errors selected. Check one or more of the items in the error list and click the Fix Errors button";

// The string-table template with its inserts %1, %2 ... filled in order; the
// inserts are taken as they stand (no format codes are read in them).
CString FillTemplate(UINT templateId, const std::vector<CString>& inserts)
{
    CString pattern;
    if (!pattern.LoadString(templateId))
        return CString();
    std::vector<DWORD_PTR> args;
    for (const CString& insert : inserts)
        args.push_back(reinterpret_cast<DWORD_PTR>(insert.GetString()));
    char* text = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY | FORMAT_MESSAGE_ALLOCATE_BUFFER, pattern.GetString(),
        0, 0, reinterpret_cast<char*>(&text), 0, reinterpret_cast<va_list*>(args.data()));
    CString result = length && text ? CString(text) : CString();
    if (text)
        ::LocalFree(text);
    // The formatting writes each line feed of the template as CR LF: the row
    // keeps the template's own line feeds.
    result.Replace("\r\n", "\n");
    return result;
}

BOOL EndsWith(const CString& text, const char* tail)
{
    const int length = lstrlenA(tail);
    return text.GetLength() >= length && text.Right(length) == tail;
}

}  // namespace

IMPLEMENT_DYNAMIC(CScanResultsPage)

BEGIN_MESSAGE_MAP(CScanResultsPage, CPropertyPage)
    ON_WM_ERASEBKGND()
    ON_BN_CLICKED(IDC_RESULTS_BACK, OnBack)
    ON_BN_CLICKED(IDC_RESULTS_FIX, OnFixErrors)
    ON_BN_CLICKED(IDC_RESULTS_SELECT_ALL, OnSelectAll)
    ON_BN_CLICKED(IDC_RESULTS_SELECT_NONE, OnSelectNone)
    ON_NOTIFY(HTMLLIST_CHECKCHANGED, IDC_RESULTS_LIST, OnItemClick)
    ON_NOTIFY(HTMLLIST_IGNORE, IDC_RESULTS_LIST, OnItemIgnore)
END_MESSAGE_MAP()

CScanResultsPage::CScanResultsPage()
    : CPropertyPage(IDD_SCAN_RESULTS), m_problems(&theApp.m_problems), m_list(&theApp.m_problems)
{
}

CScanResultsPage::~CScanResultsPage()
{
    m_list.DeleteAllItems();
    FreeCategories();
}

BOOL CScanResultsPage::IsEngineBusy()
{
    return g_pRegScanner && g_pRegScanner->IsScanning();
}

BOOL CScanResultsPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    ApplyPageLayout(m_fontScaler, m_hWnd, IDD_SCAN_RESULTS);
    m_background.LoadBitmap(IDB_BG_SCAN_RESULTS);

    m_back.SubclassDlgItem(IDC_RESULTS_BACK, this);
    m_fixErrors.SubclassDlgItem(IDC_RESULTS_FIX, this);
    m_selectAll.SubclassDlgItem(IDC_RESULTS_SELECT_ALL, this);
    m_selectNone.SubclassDlgItem(IDC_RESULTS_SELECT_NONE, this);
    m_detected.SubclassDlgItem(IDC_RESULTS_DETECTED, this);
    m_status.SubclassDlgItem(IDC_RESULTS_STATUS, this);
    m_counter.SubclassDlgItem(IDC_RESULTS_COUNTER, this);
    m_title.SubclassDlgItem(IDC_PAGE_TITLE, this);

    m_fixErrors.SetBitmaps(IDB_FIX_ERRORS, IDB_FIX_ERRORS_HOT, IDB_FIX_ERRORS_HOT, FALSE);
    m_selectAll.SetBitmaps(IDB_SELECT_ALL, IDB_SELECT_ALL_HOT, IDB_SELECT_ALL, FALSE);
    m_selectNone.SetBitmaps(IDB_SELECT_NONE, IDB_SELECT_NONE_HOT, IDB_SELECT_NONE, FALSE);
    m_fixErrors.m_bParentFont = 0;
    m_fixErrors.SetWindowText(g_appConfig.m_fixErrorsCaption);
    m_fixErrors.SetCaption("Arial", RGB(204, 51, 51), 20, RGB(125, 125, 125));

    m_detected.SetLabelStyle(FALSE, "Arial", 8, kWhite, kWhite);
    ShowLabelText(m_detected, "Errors have been detected.");
    m_detected.SetTransparent(TRUE);
    m_counter.SetLabelStyle(FALSE, "Arial", 10, RGB(0, 0, 0), kWhite);
    m_title.SetLabelStyle(FALSE, "Arial", 15, kWhite, kTitleFill);
    ShowLabelText(m_title, "Scan");
    m_title.SetTransparent(TRUE);
    m_status.SetBitmap(IDB_SCAN_IMAGE);
    EnableButtons(TRUE);

    const RECT listRect = {RESULTS_LIST_LEFT, RESULTS_LIST_TOP, RESULTS_LIST_RIGHT, RESULTS_LIST_BOTTOM};
    m_list.Create(this, listRect, IDC_RESULTS_LIST, WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP);
    m_list.SetDisplayMode(7);  // check-box column and edge lines; bit 4 has no effect
    return TRUE;
}

BOOL CScanResultsPage::OnEraseBkgnd(CDC* pDC)
{
    return PaintPageBackground(pDC, m_background);
}

void CScanResultsPage::FreeCategories()
{
    for (INT_PTR i = 0; i < m_categories.GetSize(); ++i)
        delete m_categories[i];
    m_categories.RemoveAll();
}

void CScanResultsPage::BuildCategories()
{
    if (IsEngineBusy())
        return;
    m_list.DeleteAllItems();
    FreeCategories();
    for (int& count : m_categoryCounts)
        count = 0;
    for (INT_PTR i = 0; i < m_problems->GetSize(); ++i) {
        const int category = m_problems->GetAt(i)->m_category;
        if (IsValidCategory(category))
            ++m_categoryCounts[category];
    }
    for (int category = 0; category < REGPROBLEM_TYPE_COUNT; ++category) {
        if (m_categoryCounts[category] == 0)
            continue;
        CString name;
        name.LoadString(IDS_CATEGORY_FIRST + category);
        m_categories.Add(new CScanCategory(name, category));
    }
    FillList();
}

void CScanResultsPage::FillList()
{
    // Every problem comes from the scan checked; a rebuild keeps what the
    // user cleared since, so nothing unchecked is ever checked again behind
    // the user's back.
    for (INT_PTR c = 0; c < m_categories.GetSize(); ++c) {
        CScanCategory* category = m_categories[c];
        for (INT_PTR i = 0; i < m_problems->GetSize(); ++i) {
            const CRegistryProblem* problem = m_problems->GetAt(i);
            if (problem->m_category == category->categoryId) {
                ++category->count;
                category->selectedCount += problem->m_checked ? 1 : 0;
            }
        }
        // A header goes in with its group's counts set, before its rows.
        m_list.InsertItem(category->name, category, HTMLLIST_HEADER, 0);
        for (INT_PTR i = 0; i < m_problems->GetSize(); ++i) {
            CRegistryProblem* problem = m_problems->GetAt(i);
            if (problem->m_category == category->categoryId)
                m_list.InsertItem(FormatProblemText(*problem), problem, HTMLLIST_ROW, 0);
        }
    }
    UpdateCounter();
    m_list.ShowWindow(SW_SHOW);
}

CString CScanResultsPage::FormatProblemText(const CRegistryProblem& problem)
{
    const CString& key = problem.m_key;
    const CString& value = problem.m_value;
    const CString& rawName = problem.m_valueName;
    const CString name = rawName.IsEmpty() ? CString("(Default)") : rawName;
    switch (problem.m_category) {
    case REGPROBLEM_COM: {
        if (rawName == "AppID" || EndsWith(key, "CLSID"))
            return FillTemplate(IDS_PROBLEM_COM_CLASS, {value, key, name, value});
        const int comma = value.Find(',');
        return FillTemplate(IDS_PROBLEM_FILE, {value, key, name, comma >= 0 ? value.Left(comma) : value});
    }
    case REGPROBLEM_UNINSTALL:
        return FillTemplate(IDS_PROBLEM_UNINSTALL, {value, key, name, value});
    case REGPROBLEM_FONT:
    case REGPROBLEM_APPPATH:
    case REGPROBLEM_FILEPATH:
        return FillTemplate(IDS_PROBLEM_FILE, {value, key, name, value});
    case REGPROBLEM_SHAREDDLL:
        return FillTemplate(IDS_PROBLEM_SHAREDDLL, {rawName, key, name});
    case REGPROBLEM_HELPFILE:
        return FillTemplate(IDS_PROBLEM_HELPFILE, {value, rawName, key, name, value});
    case REGPROBLEM_STARTUP:
        return FillTemplate(IDS_PROBLEM_STARTUP, {key, name, value});
    case REGPROBLEM_SHORTCUT:
        return FillTemplate(IDS_PROBLEM_SHORTCUT, {key, value});
    case REGPROBLEM_EMPTYKEY:
        return FillTemplate(IDS_PROBLEM_EMPTYKEY, {key});
    case REGPROBLEM_FILEASSOC:
        return FillTemplate(IDS_PROBLEM_FILEASSOC, {value, key, name, value});
    default:
        return CString();
    }
}

int CScanResultsPage::CountChecked(const CRegistryProblemArray& problems)
{
    int checked = 0;
    for (INT_PTR i = 0; i < problems.GetSize(); ++i) {
        const CRegistryProblem* problem = problems.GetAt(i);
        if (problem->m_checked && IsValidCategory(problem->m_category))
            ++checked;
    }
    return checked;
}

CScanCategory* CScanResultsPage::FindCategory(const CScanCategoryArray& categories, const CRegistryProblem& problem)
{
    for (INT_PTR i = 0; i < categories.GetSize(); ++i)
        if (categories[i]->categoryId == problem.m_category)
            return categories[i];
    return nullptr;
}

void CScanResultsPage::SelectAll(const CRegistryProblemArray& problems, const CScanCategoryArray& categories)
{
    for (INT_PTR i = 0; i < problems.GetSize(); ++i) {
        CRegistryProblem* problem = problems.GetAt(i);
        CScanCategory* category = FindCategory(categories, *problem);
        if (!category || problem->m_category == REGPROBLEM_FILEPATH || problem->m_category == REGPROBLEM_EMPTYKEY)
            continue;
        if (!problem->m_checked) {
            problem->m_checked = TRUE;
            ++category->selectedCount;
        }
    }
}

void CScanResultsPage::SelectNone(const CRegistryProblemArray& problems, const CScanCategoryArray& categories)
{
    for (INT_PTR i = 0; i < problems.GetSize(); ++i) {
        CRegistryProblem* problem = problems.GetAt(i);
        if (!problem->m_checked)
            continue;
        problem->m_checked = FALSE;
        if (CScanCategory* category = FindCategory(categories, *problem))
            --category->selectedCount;
    }
}

void CScanResultsPage::UpdateCounter()
{
    m_selectedCount = CountChecked(*m_problems);
    CString counter;
    counter.Format(kCounterFormat, m_selectedCount, static_cast<int>(m_problems->GetSize()));
    ShowLabelText(m_counter, counter);
}

void CScanResultsPage::OnItemClick(NMHDR*, LRESULT* pResult)
{
    UpdateCounter();
    *pResult = 0;
}

void CScanResultsPage::OnItemIgnore(NMHDR* pNMHDR, LRESULT* pResult)
{
    // The list removes the row and deletes the problem once this returns.
    const NMHTMLLIST* notification = reinterpret_cast<const NMHTMLLIST*>(pNMHDR);
    if (const CRegistryProblem* problem = static_cast<const CRegistryProblem*>(notification->data))
        theApp.AddToIgnoreList(*problem);
    *pResult = 0;
}

void CScanResultsPage::OnSelectAll()
{
    // While a fix runs, its thread reads the checked flags.
    if (IsEngineBusy())
        return;
    SelectAll(*m_problems, m_categories);
    UpdateCounter();
    m_list.RefreshCheckStates();
}

void CScanResultsPage::OnSelectNone()
{
    if (IsEngineBusy())
        return;
    SelectNone(*m_problems, m_categories);
    UpdateCounter();
    m_list.RefreshCheckStates();
}

void CScanResultsPage::OnBack()
{
    if (IsEngineBusy())
        return;
    if (CRegistryCleanerDlg* main = MainWindowOf(m_hWnd))
        main->ReturnToScanProgressPage();
}

void CScanResultsPage::EnableButtons(BOOL enable)
{
    if (enable)
        m_back.SetBitmaps(IDB_BACK, IDB_BACK_HOT, IDB_BACK, FALSE);
    else
        m_back.SetBitmaps(IDB_BACK_DISABLED, IDB_BACK_DISABLED, IDB_BACK_DISABLED, FALSE);
    for (CXPButton* button : {&m_back, &m_fixErrors, &m_selectAll, &m_selectNone}) {
        button->EnableWindow(enable);
        button->Invalidate();
    }
}

void CScanResultsPage::OnFixErrors()
{
    CRegistryCleanerDlg* main = MainWindowOf(m_hWnd);
    if (!main || IsEngineBusy())
        return;
    if (m_problems->GetSize() == 0) {
        main->ShowScanCategoriesPage();
        return;
    }
    if (CountChecked(*m_problems) == 0 || !g_pRegScanner) {
        AfxMessageBox(kNothingSelected, MB_OK);
        return;
    }

    // From here to the end of the fix nothing may reach the problems: the
    // fix frees those it repairs, so the rows go now and are built again
    // from what is left the next time the page is shown.
    EnableButtons(FALSE);
    ShowLabelText(m_counter, kFixingText);
    m_list.ShowWindow(SW_HIDE);
    m_list.DeleteAllItems();
    FreeCategories();
    main->SetNavButtonSkins();
    main->DisableTrayCommands();
    if (!g_pRegScanner->StartFix(m_hWnd)) {
        // Nothing runs: everything goes back as it was.
        EnableButtons(TRUE);
        main->SetNavButtonBitmaps();
        main->EnableTrayCommands();
        BuildCategories();
    }
}

void CScanResultsPage::OnFixDone()
{
    EnableButtons(TRUE);
    m_fixErrors.ShowWindow(SW_SHOW);
    if (CRegistryCleanerDlg* main = MainWindowOf(m_hWnd))
        main->EndFix();
}

LRESULT CScanResultsPage::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_FIX_DONE)
        OnFixDone();
    return CPropertyPage::WindowProc(message, wParam, lParam);
}
