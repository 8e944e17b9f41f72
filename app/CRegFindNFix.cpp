#include "CRegFindNFix.h"
#include "CAppConfig.h"
#include "CImageLabel.h"
#include "CRegScanner.h"
#include "CRegistryCleanerApp.h"
#include "CRegistryCleanerDlg.h"
#include "RegistrySettings.h"
#include "PageLayout.h"
#include "UserRights.h"
#include "resource.h"

const UINT g_categoryBoxIds[REGPROBLEM_TYPE_COUNT] = {
    IDC_CHECK_COMACTIVEX, IDC_CHECK_UNINSTALL, IDC_CHECK_FONTS,     IDC_CHECK_SHAREDDLLS,
    IDC_CHECK_APPPATHS,   IDC_CHECK_HELPFILES, IDC_CHECK_STARTUP,   IDC_CHECK_FILEPATHS,
    IDC_CHECK_SHORTCUTS,  IDC_CHECK_EMPTYKEYS, IDC_CHECK_FILEASSOC,
};

namespace {

const COLORREF kHoverColour = 0x93AF1C;
const UINT_PTR kRepaintTimer = 100;
const COLORREF kTitleFill = 0xF8EEDF;

}  // namespace

BEGIN_MESSAGE_MAP(CRegFindNFix, CPropertyPage)
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_WM_TIMER()
    ON_BN_CLICKED(IDC_START_SCAN, OnStartScan)
    ON_NOTIFY_RANGE(CLabel::LabelEntered, IDC_LABEL_CATEGORY_FIRST, IDC_LABEL_CATEGORY_LAST, OnLabelEntered)
    ON_NOTIFY_RANGE(CLabel::LabelLeft, IDC_LABEL_CATEGORY_FIRST, IDC_LABEL_CATEGORY_LAST, OnLabelLeft)
    ON_NOTIFY_RANGE(CLabel::LabelClicked, IDC_LABEL_CATEGORY_FIRST, IDC_LABEL_CATEGORY_LAST, OnLabelClicked)
END_MESSAGE_MAP()

CRegFindNFix::CRegFindNFix() : CPropertyPage(IDD_SCAN_CATEGORIES) {}

CRegFindNFix::~CRegFindNFix()
{
    if (m_ctlBrush)
        ::DeleteObject(m_ctlBrush);
}

int CRegFindNFix::CategoryOfBox(UINT id)
{
    for (int i = 0; i < REGPROBLEM_TYPE_COUNT; ++i)
        if (g_categoryBoxIds[i] == id)
            return i;
    return -1;
}

BOOL CRegFindNFix::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    ApplyPageLayout(m_fontScaler, m_hWnd, IDD_SCAN_CATEGORIES);
    m_background.LoadBitmap(IDB_BG_SCAN_CATEGORIES);
    m_ctlBrush = ::CreateSolidBrush(kTitleFill);

    m_instruction.SubclassDlgItem(IDC_SCAN_INSTRUCTION, this);
    m_description.SubclassDlgItem(IDC_CATEGORY_DESCRIPTION, this);
    m_hint.SubclassDlgItem(IDC_CATEGORY_HINT, this);
    m_title.SubclassDlgItem(IDC_PAGE_TITLE, this);
    m_startScan.SubclassDlgItem(IDC_START_SCAN, this);
    for (int i = 0; i < REGPROBLEM_TYPE_COUNT; ++i)
        m_labels[i].SubclassDlgItem(IDC_LABEL_CATEGORY_FIRST + i, this);

    const COLORREF white = 0xFFFFFF;
    CString instruction;
    instruction.Format("Check the items you want to scan \nand click the %s button below.",
                       static_cast<LPCSTR>(g_appConfig.m_startScanCaption));
    m_instruction.SetLabelStyle(FALSE, "Arial", 8, white, white);
    m_instruction.SetText(instruction);
    m_instruction.SetTransparent(TRUE);
    m_description.SetLabelStyle(TRUE, "Arial", 10, 0xB7742D, white);
    ShowLabelText(m_description, "");
    m_hint.SetLabelStyle(TRUE, "Arial", 10, 0x0000FF, white);
    for (int i = 0; i < REGPROBLEM_TYPE_COUNT; ++i) {
        CString name;
        name.LoadString(IDS_CATEGORY_FIRST + i);
        m_labels[i].SetLabelStyle(FALSE, "Arial", 10, 0, white);
        m_labels[i].SetText(name);
    }
    m_title.SetLabelStyle(FALSE, "Arial", 15, white, kTitleFill);
    m_title.SetText("Scan");
    m_title.SetTransparent(TRUE);

    m_startScan.SetBitmaps(IDB_START_SCAN, IDB_START_SCAN_HOT, IDB_START_SCAN, FALSE);
    m_startScan.SetWindowText(g_appConfig.m_startScanCaption);
    m_startScan.SetCaption("Arial", 0x3333CC, 20, 0x7D7D7D);
    m_startScan.m_bParentFont = 0;

    for (int i = 0; i < REGPROBLEM_TYPE_COUNT; ++i) {
        int on = GetRegistrySettingInt(SETTINGS_PRODUCT, g_categorySwitchNames[i], g_appConfig.m_categoryDefaults[i]);
        CheckDlgButton(g_categoryBoxIds[i], on ? BST_CHECKED : BST_UNCHECKED);
    }
    return TRUE;
}

BOOL CRegFindNFix::OnCommand(WPARAM wParam, LPARAM lParam)
{
    // The eleven boxes share one handler: a click stores the new state.
    int category = CategoryOfBox(LOWORD(wParam));
    if (category >= 0 && HIWORD(wParam) == BN_CLICKED) {
        OnCategoryCheck(category);
        return TRUE;
    }
    return CPropertyPage::OnCommand(wParam, lParam);
}

void CRegFindNFix::OnCategoryCheck(int category)
{
    int on = IsDlgButtonChecked(g_categoryBoxIds[category]) == BST_CHECKED ? 1 : 0;
    SetRegistrySettingInt(SETTINGS_PRODUCT, g_categorySwitchNames[category], on);
}

void CRegFindNFix::OnCategoryLabel(int category)
{
    HWND box = ::GetDlgItem(m_hWnd, g_categoryBoxIds[category]);
    if (box && ::IsWindowEnabled(box)) {
        UINT checked = IsDlgButtonChecked(g_categoryBoxIds[category]);
        CheckDlgButton(g_categoryBoxIds[category], checked == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
    }
    OnCategoryCheck(category);
}

void CRegFindNFix::OnLabelEntered(UINT id, NMHDR*, LRESULT* pResult)
{
    int category = static_cast<int>(id) - IDC_LABEL_CATEGORY_FIRST;
    m_labels[category].SetTextColor(kHoverColour);
    m_hoveredCategory = category;
    CString description;
    description.LoadString(IDS_DESCRIPTION_FIRST + category);
    ShowLabelText(m_description, description);
    *pResult = 0;
}

void CRegFindNFix::OnLabelLeft(UINT, NMHDR*, LRESULT* pResult)
{
    m_labels[m_hoveredCategory].SetTextColor(0);
    ShowLabelText(m_description, "");
    *pResult = 0;
}

void CRegFindNFix::OnLabelClicked(UINT id, NMHDR*, LRESULT* pResult)
{
    OnCategoryLabel(static_cast<int>(id) - IDC_LABEL_CATEGORY_FIRST);
    *pResult = 0;
}

BOOL CRegFindNFix::OnEraseBkgnd(CDC* pDC)
{
    if (m_background.m_hObject)
        DrawBitmap(pDC, &m_background, 0, 0);
    return TRUE;
}

HBRUSH CRegFindNFix::OnCtlColor(CDC* pDC, CWnd*, UINT)
{
    pDC->SetBkMode(TRANSPARENT);
    return m_ctlBrush;
}

void CRegFindNFix::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != kRepaintTimer) {
        Default();
        return;
    }
    m_timerTicks = (m_timerTicks + 1) % 100;
    Invalidate();
}

void CRegFindNFix::OnStartScan()
{
    // The engine object is replaced below: never while its worker runs.
    if (g_pRegScanner && g_pRegScanner->IsScanning())
        return;

    BOOL isAdmin = FALSE;
    IsUserAdmin(&isAdmin);
    if (!isAdmin) {
        CRegistryCleanerApp::ShowAdminMessage();
        return;
    }

    BYTE categories[REGPROBLEM_TYPE_COUNT] = {};
    BOOL states[REGPROBLEM_TYPE_COUNT] = {};
    bool any = false;
    for (int i = 0; i < REGPROBLEM_TYPE_COUNT; ++i) {
        states[i] = SendDlgItemMessage(g_categoryBoxIds[i], BM_GETCHECK) == BST_CHECKED;
        categories[i] = static_cast<BYTE>(states[i]);
        any = any || states[i];
    }
    CString productName;
    productName.LoadString(IDS_PRODUCT_NAME);
    if (!any) {
        MessageBox("Please select at least one item.", productName, MB_ICONEXCLAMATION);
        return;
    }

    delete g_pRegScanner;
    g_pRegScanner = nullptr;
    theApp.WriteSettingsLogSection(states);
    SetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_FIXEDTOTALS, 0);
    g_pRegScanner = new CRegScanner(theApp.GetLogFile(), &theApp.m_problems, &theApp.m_ignoreTexts,
                                    &theApp.m_ignoreTypes, &g_appConfig.m_whitelistKeys,
                                    &g_appConfig.m_whitelistValues, &g_appConfig.m_whitelistValueNames);
    g_pRegScanner->SetCategories(categories);

    CRegistryCleanerDlg* main = MainWindowOf(m_hWnd);
    if (!main)
        return;
    main->SetNavButtonSkins();
    main->ShowScanProgressPage();
    main->DisableTrayCommands();
    if (!g_pRegScanner->StartScan(main->GetProgressPageWindow())) {
        // Nothing runs: give the window back.
        main->SetNavButtonBitmaps();
        main->EnableTrayCommands();
    }
}
