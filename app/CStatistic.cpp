#include "CStatistic.h"
#include "CRegistryCleanerApp.h"
#include "PageLayout.h"
#include "RegistrySettings.h"

namespace {

// The number labels by category (the page shows Empty Keys above Program Shortcuts).
const UINT kFixedIds[REGPROBLEM_TYPE_COUNT] = {
    IDC_STAT_FIXED_COMACTIVEX, IDC_STAT_FIXED_UNINSTALL, IDC_STAT_FIXED_FONTS,     IDC_STAT_FIXED_SHAREDDLLS,
    IDC_STAT_FIXED_APPPATHS,   IDC_STAT_FIXED_HELPFILES, IDC_STAT_FIXED_STARTUP,   IDC_STAT_FIXED_FILEPATHS,
    IDC_STAT_FIXED_SHORTCUTS,  IDC_STAT_FIXED_EMPTYKEYS, IDC_STAT_FIXED_FILEASSOC,
};
const UINT kFoundIds[REGPROBLEM_TYPE_COUNT] = {
    IDC_STAT_FOUND_COMACTIVEX, IDC_STAT_FOUND_UNINSTALL, IDC_STAT_FOUND_FONTS,     IDC_STAT_FOUND_SHAREDDLLS,
    IDC_STAT_FOUND_APPPATHS,   IDC_STAT_FOUND_HELPFILES, IDC_STAT_FOUND_STARTUP,   IDC_STAT_FOUND_FILEPATHS,
    IDC_STAT_FOUND_SHORTCUTS,  IDC_STAT_FOUND_EMPTYKEYS, IDC_STAT_FOUND_FILEASSOC,
};
const UINT kIgnoredIds[REGPROBLEM_TYPE_COUNT] = {
    IDC_STAT_IGNORED_COMACTIVEX, IDC_STAT_IGNORED_UNINSTALL, IDC_STAT_IGNORED_FONTS,
    IDC_STAT_IGNORED_SHAREDDLLS, IDC_STAT_IGNORED_APPPATHS,  IDC_STAT_IGNORED_HELPFILES,
    IDC_STAT_IGNORED_STARTUP,    IDC_STAT_IGNORED_FILEPATHS, IDC_STAT_IGNORED_SHORTCUTS,
    IDC_STAT_IGNORED_EMPTYKEYS,  IDC_STAT_IGNORED_FILEASSOC,
};

const COLORREF kGreyRow = RGB(223, 221, 221);
const COLORREF kGreenRow = RGB(240, 252, 247);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);

// Rows alternate grey and green from the top, where row 9 is Empty Keys and
// row 10 Program Shortcuts.
COLORREF RowFill(int category)
{
    const int row = category == REGPROBLEM_SHORTCUT ? 10 : category == REGPROBLEM_EMPTYKEY ? 9 : category + 1;
    return row % 2 ? kGreyRow : kGreenRow;
}

// A number through the string table's pattern "%1!d!".
CString FormatNumber(int number)
{
    CString pattern;
    CString text;
    DWORD_PTR args[1] = {static_cast<DWORD_PTR>(number)};
    char buffer[32];
    if (pattern.LoadString(IDS_NUMBER) &&
        ::FormatMessageA(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY, pattern.GetString(), 0, 0, buffer,
                         sizeof buffer, reinterpret_cast<va_list*>(args)))
        text = buffer;
    else
        text.Format("%d", number);
    return text;
}

}  // namespace

IMPLEMENT_DYNAMIC(CStatistic)

BEGIN_MESSAGE_MAP(CStatistic, CPropertyPage)
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CStatistic::CStatistic() : CPropertyPage(IDD_STATISTICS) {}

BOOL CStatistic::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    ApplyPageLayout(m_fontScaler, m_hWnd, IDD_STATISTICS);
    m_background.LoadBitmap(IDB_BG_STATISTICS);
    for (int i = 0; i < REGPROBLEM_TYPE_COUNT; ++i) {
        m_fixedLabels[i].SubclassDlgItem(kFixedIds[i], this);
        m_foundLabels[i].SubclassDlgItem(kFoundIds[i], this);
        m_ignoredLabels[i].SubclassDlgItem(kIgnoredIds[i], this);
    }
    m_title.SubclassDlgItem(IDC_PAGE_TITLE, this);
    m_lastScanLabel.SubclassDlgItem(IDC_STAT_LAST_SCAN, this);
    m_foundTotalLabel.SubclassDlgItem(IDC_STAT_ERRORS_FOUND, this);
    m_cleanedTotalLabel.SubclassDlgItem(IDC_STAT_ERRORS_CLEANED, this);
    FillPage();
    return TRUE;
}

BOOL CStatistic::OnEraseBkgnd(CDC* pDC)
{
    return PaintPageBackground(pDC, m_background);
}

void CStatistic::CountIgnored(const CIgnoreTypeArray& types, int counts[REGPROBLEM_TYPE_COUNT])
{
    for (int i = 0; i < REGPROBLEM_TYPE_COUNT; ++i)
        counts[i] = 0;
    // A hand-edited file may hold any number: only 0 to 10 have a row.
    for (INT_PTR i = 0; i < types.GetSize(); ++i)
        if (IsValidCategory(types[i]))
            ++counts[types[i]];
}

CString CStatistic::LastScanText(const CString& stored)
{
    return stored.IsEmpty() ? CString("Never") : stored;
}

void CStatistic::LoadCounters()
{
    for (int i = 0; i < REGPROBLEM_TYPE_COUNT; ++i)
        fixed[i] = GetRegistrySettingInt(SETTINGS_PRODUCT, g_fixedCountNames[i], 0);
    lastFoundErrors = GetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_LASTFOUNDERRORS, 0);
    lastScan = GetRegistrySettingString(SETTINGS_PRODUCT, SETTING_LASTSCAN);
    for (int i = 0; i < REGPROBLEM_TYPE_COUNT; ++i)
        found[i] = GetRegistrySettingInt(SETTINGS_PRODUCT, g_foundCountNames[i], 0);
    CountIgnored(theApp.m_ignoreTypes, ignored);
}

void CStatistic::FillPage()
{
    LoadCounters();
    if (!m_hWnd)
        return;
    struct Column {
        CLabel* labels;
        const int* numbers;
    } columns[] = {{m_fixedLabels, fixed}, {m_foundLabels, found}, {m_ignoredLabels, ignored}};
    for (const Column& column : columns) {
        for (int i = 0; i < REGPROBLEM_TYPE_COUNT; ++i) {
            column.labels[i].SetLabelStyle(FALSE, "Arial", 10, kBlack, RowFill(i));
            ShowLabelText(column.labels[i], FormatNumber(column.numbers[i]));
        }
    }

    CString text;
    m_foundTotalLabel.SetLabelStyle(TRUE, "TimesNewRoman", 12, kWhite, kBlack);
    m_foundTotalLabel.SetFontBold(TRUE);
    text.Format("Errors found: %d", lastFoundErrors);
    ShowLabelText(m_foundTotalLabel, text);

    errorsCleaned = 0;
    for (int count : fixed)
        errorsCleaned += count;
    m_cleanedTotalLabel.SetLabelStyle(TRUE, "TimesNewRoman", 12, kWhite, kBlack);
    m_cleanedTotalLabel.SetFontBold(TRUE);
    text.Format("Errors Cleaned: %d", errorsCleaned);
    ShowLabelText(m_cleanedTotalLabel, text);

    m_title.SetLabelStyle(TRUE, "arial", 15, kWhite, RGB(223, 238, 248));
    ShowLabelText(m_title, "Results");
    m_title.SetTransparent(TRUE);

    m_lastScanLabel.SetLabelStyle(TRUE, "Arial", 10, kBlack, kBlack);
    ShowLabelText(m_lastScanLabel, LastScanText(lastScan));
}
