#include "COptionsPage.h"
#include "CAppConfig.h"
#include "CRegistryCleanerDlg.h"
#include "PageLayout.h"
#include "RegistrySettings.h"

namespace {

const COLORREF kFill = RGB(223, 238, 248);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kRed = RGB(255, 0, 0);

}  // namespace

const COptionsPage::OptionSwitch COptionsPage::kOptions[kOptionCount] = {
    {IDC_OPT_SHUTDOWN, IDC_OPT_SHUTDOWN_LABEL, SETTING_SHUTDOWNAFTERCLEAN, 0,
     "Close the Keldrix Main window after repair"},
    {IDC_OPT_SPLASH, IDC_OPT_SPLASH_LABEL, SETTING_SPLASHSCREEN, 0, "Display splash screen before loading Keldrix"},
    {IDC_OPT_REPAIR, IDC_OPT_REPAIR_LABEL, SETTING_REPAIRAFTERFIND, 0, "Automatically repair items after scanning"},
    {IDC_OPT_RESTORE, IDC_OPT_RESTORE_LABEL, SETTING_SYSTEMRESTORE, 0,
     "Create a system restore point before repairing errors."},
    {IDC_OPT_AUTOUPDATE, IDC_OPT_AUTOUPDATE_LABEL, SETTING_AUTOUPDATE, 1, "Check for Keldrix updates automatically"},
    {IDC_OPT_CHECKPROMPT, IDC_OPT_CHECKPROMPT_LABEL, SETTING_CHECKPROMPT, 1, "Prompt me before downloading the update"},
};

IMPLEMENT_DYNAMIC(COptionsPage)

BEGIN_MESSAGE_MAP(COptionsPage, CPropertyPage)
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_WM_SHOWWINDOW()
    ON_BN_CLICKED(IDC_OPT_SHOWTIPS, OnShowTips)
    ON_BN_CLICKED(IDC_OPT_SHOWTIPS_LABEL, OnShowTipsLabel)
    ON_BN_CLICKED(IDC_OPT_UPDATE_NOW, OnUpdateNow)
    ON_BN_CLICKED(IDC_OPT_SCHEDULE_TAB, OnScheduleTab)
    ON_BN_CLICKED(IDC_TAB_IGNORE_LIST, OnIgnoreListTab)
    ON_BN_CLICKED(IDC_TAB_OPTIONS, OnOptionsTab)
END_MESSAGE_MAP()

COptionsPage::COptionsPage() : CPropertyPage(IDD_OPTIONS) {}

COptionsPage::~COptionsPage() = default;

void COptionsPage::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PAGE_TITLE, m_title);
    for (int i = 0; i < kOptionCount; ++i)
        DDX_Control(pDX, kOptions[i].label, m_optionLabels[i]);
    DDX_Control(pDX, IDC_OPT_REPAIR_WARNING, m_repairWarning);
    DDX_Control(pDX, IDC_OPT_SHOWTIPS_LABEL, m_showTipsLabel);
    DDX_Control(pDX, IDC_OPT_SPARE_LABEL1, m_spareLabel1);
    DDX_Control(pDX, IDC_OPT_SPARE_LABEL2, m_spareLabel2);
    DDX_Control(pDX, IDC_OPT_UPDATE_NOW, m_updateNow);
    DDX_Control(pDX, IDC_TAB_IGNORE_LIST, m_ignoreListTab);
    DDX_Control(pDX, IDC_OPT_SCHEDULE_TAB, m_scheduleTab);
    DDX_Control(pDX, IDC_TAB_OPTIONS, m_optionsTab);
}

BOOL COptionsPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    ApplyPageLayout(m_fontScaler, m_hWnd, IDD_OPTIONS);
    m_background.LoadBitmap(IDB_BG_OPTIONS);
    m_ctlBrush.CreateSolidBrush(kFill);

    m_title.SetLabelStyle(TRUE, "arial", 15, kWhite, kFill);
    m_title.SetText("Settings - General");
    m_title.SetTransparent(TRUE);
    for (CLabel* label : {&m_showTipsLabel, &m_spareLabel1, &m_spareLabel2})
        label->SetLabelStyle(TRUE, "arial", 10, kBlack, kFill);
    for (int i = 0; i < kOptionCount; ++i) {
        m_optionLabels[i].SetLabelStyle(TRUE, "arial", 10, kBlack, kFill);
        m_optionLabels[i].SetText(kOptions[i].text);
    }
    m_repairWarning.SetLabelStyle(TRUE, "arial", 10, kRed, kFill);
    m_repairWarning.SetText("Not Recommended");
    m_showTipsLabel.SetText("Show tips on startup");

    m_optionsTab.SetBitmaps(IDB_TAB_OPTIONS, IDB_TAB_OPTIONS_HOT, IDB_TAB_OPTIONS, FALSE);
    m_scheduleTab.SetBitmaps(IDB_TAB_SCHEDULE, IDB_TAB_SCHEDULE, IDB_TAB_SCHEDULE, FALSE);
    m_ignoreListTab.SetBitmaps(IDB_TAB_IGNORE, IDB_TAB_IGNORE, IDB_TAB_IGNORE, FALSE);
    m_updateNow.SetBitmaps(IDB_UPDATE_NOW, IDB_UPDATE_NOW_HOT, IDB_UPDATE_NOW, FALSE);

    CheckDlgButton(IDC_OPT_SHOWTIPS, g_appConfig.m_showTip ? BST_CHECKED : BST_UNCHECKED);
    GetDlgItem(IDC_OPT_SHOWTIPS)->EnableWindow(TRUE);
    if (g_appConfig.m_tipIndex < 0) {
        GetDlgItem(IDC_OPT_SHOWTIPS)->ShowWindow(SW_HIDE);
        m_showTipsLabel.ShowWindow(SW_HIDE);
    }

    for (const OptionSwitch& option : kOptions) {
        const int on = GetRegistrySettingInt(SETTINGS_PRODUCT, option.valueName, option.defaultValue);
        CheckDlgButton(option.box, on ? BST_CHECKED : BST_UNCHECKED);
    }

    // Without a restore service the option is not offered; its stored value stays as it was.
    if (!IsSystemRestoreAvailable()) {
        CheckDlgButton(IDC_OPT_RESTORE, BST_UNCHECKED);
        const int restore = FindOption(IDC_OPT_RESTORE, TRUE);
        m_optionLabels[restore].SetTextColor(kBlack);
        GetDlgItem(IDC_OPT_RESTORE)->EnableWindow(FALSE);
        m_optionLabels[restore].EnableWindow(FALSE);
    }
    return TRUE;
}

BOOL COptionsPage::IsSystemRestoreAvailable()
{
    HMODULE library = ::LoadLibraryA("SRCLIENT.DLL");
    if (!library)
        return FALSE;
    ::FreeLibrary(library);
    return TRUE;
}

int COptionsPage::FindOption(UINT id, BOOL byBox)
{
    for (int i = 0; i < kOptionCount; ++i)
        if ((byBox ? kOptions[i].box : kOptions[i].label) == id)
            return i;
    return -1;
}

BOOL COptionsPage::OnCommand(WPARAM wParam, LPARAM lParam)
{
    // The six switches share two handlers: one for the boxes, one for their labels.
    if (HIWORD(wParam) == BN_CLICKED) {
        const UINT id = LOWORD(wParam);
        const int box = FindOption(id, TRUE);
        if (box >= 0) {
            OnOptionBox(box);
            return TRUE;
        }
        const int label = FindOption(id, FALSE);
        if (label >= 0) {
            OnOptionLabel(label);
            return TRUE;
        }
    }
    return CPropertyPage::OnCommand(wParam, lParam);
}

void COptionsPage::OnOptionBox(int option)
{
    const int on = IsDlgButtonChecked(kOptions[option].box) == BST_CHECKED ? 1 : 0;
    SetRegistrySettingInt(SETTINGS_PRODUCT, kOptions[option].valueName, on);
}

void COptionsPage::OnOptionLabel(int option)
{
    // A greyed or hidden option is not offered: its label changes nothing.
    CWnd* box = GetDlgItem(kOptions[option].box);
    if (!box || !box->IsWindowEnabled() || !box->IsWindowVisible())
        return;
    const UINT checked = IsDlgButtonChecked(kOptions[option].box);
    CheckDlgButton(kOptions[option].box, checked == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
    OnOptionBox(option);
}

void COptionsPage::OnShowTips()
{
    // Stored with the rest of the configuration when the program ends.
    g_appConfig.m_showTip = IsDlgButtonChecked(IDC_OPT_SHOWTIPS) == BST_CHECKED ? 1 : 0;
}

void COptionsPage::OnShowTipsLabel()
{
    CWnd* box = GetDlgItem(IDC_OPT_SHOWTIPS);
    if (!box || !box->IsWindowVisible())
        return;
    CheckDlgButton(IDC_OPT_SHOWTIPS, IsDlgButtonChecked(IDC_OPT_SHOWTIPS) == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
    OnShowTips();
}

void COptionsPage::OnShowWindow(BOOL bShow, UINT)
{
    if (bShow)
        CheckDlgButton(IDC_OPT_SHOWTIPS, g_appConfig.m_showTip ? BST_CHECKED : BST_UNCHECKED);
    Default();
}

BOOL COptionsPage::OnEraseBkgnd(CDC* pDC)
{
    return PaintPageBackground(pDC, m_background);
}

HBRUSH COptionsPage::OnCtlColor(CDC* pDC, CWnd*, UINT)
{
    pDC->SetBkMode(TRANSPARENT);
    return m_ctlBrush;
}

void COptionsPage::OnUpdateNow()
{
    if (CRegistryCleanerDlg* main = MainWindowOf(m_hWnd))
        main->QueryUpdateServer();
}

void COptionsPage::OnScheduleTab()
{
    if (CRegistryCleanerDlg* main = MainWindowOf(m_hWnd))
        main->ShowSchedulePage();
}

void COptionsPage::OnIgnoreListTab()
{
    if (CRegistryCleanerDlg* main = MainWindowOf(m_hWnd))
        main->ShowIgnoreListPage();
}

void COptionsPage::OnOptionsTab()
{
    m_optionsTab.ShowWindow(SW_HIDE);
    m_ignoreListTab.ShowWindow(SW_SHOW);
}
