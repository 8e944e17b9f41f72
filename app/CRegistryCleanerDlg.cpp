#include "CRegistryCleanerDlg.h"
#include <htmlhelp.h>
#include <climits>
#include "CAppConfig.h"
#include "CCleanSweep.h"
#include "CEmailCollectDHtmlDlg.h"
#include "CRegistryCleanerApp.h"
#include "CTipOfDayDlg.h"
#include "CRegScanner.h"
#include "MainWindowMessages.h"
#include "RegistrySettings.h"
#include "ScheduledTasks.h"
#include "StartupRules.h"
#include "PageLayout.h"
#include "resource.h"

namespace {

// Where every page sits in the window.
const CRect kPageRect(PAGE_LEFT, PAGE_TOP, PAGE_LEFT + PAGE_WIDTH, PAGE_TOP + PAGE_HEIGHT);

const char kScanRunningOnClose[] =
    "A scan is currently running.\nPlease wait until the scan is complete or cancel the scan.";
const char kScanRunningOnExit[] =
    "A scan is currently running.\nBefore exiting the application, please wait until the scan is complete or cancel the scan.";

CString ProductName()
{
    CString name;
    name.LoadString(IDS_PRODUCT_NAME);
    return name;
}

HICON LoadTrayIcon(UINT id)
{
    return static_cast<HICON>(::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id), IMAGE_ICON,
                                           ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0));
}

}  // namespace

BEGIN_MESSAGE_MAP(CRegistryCleanerDlg, CBitmapDialog)
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_BN_CLICKED(IDC_HELP_BUTTON, OnHelpButton)
    ON_WM_CLOSE()
    ON_WM_TIMER()
    ON_WM_SYSCOMMAND()
    ON_WM_DESTROY()
    ON_WM_HELPINFO()
    ON_MESSAGE(WM_TRAY_NOTIFY, OnTrayNotify)
    ON_MESSAGE(WM_TRAY_MENU, OnTrayMenu)
    ON_MESSAGE(WM_APP_RUN_SCAN, OnRunScanRequest)
    ON_MESSAGE(WM_APP_SHOW_MAIN, OnShowMainRequest)
    ON_BN_CLICKED(IDC_NAV_SCAN, OnScanButton)
    ON_BN_CLICKED(IDC_NAV_OPTIONS, ShowOptionsPage)
    ON_BN_CLICKED(IDC_NAV_BACKUP, ShowBackupPage)
    ON_BN_CLICKED(IDC_NAV_ABOUT, ShowAboutPage)
    ON_BN_CLICKED(IDC_NAV_STARTUP, ShowStartupPage)
    ON_BN_CLICKED(IDC_NAV_STATISTICS, ShowStatisticsPage)
    ON_BN_CLICKED(IDC_MINIMIZE, OnMinimize)
    ON_BN_CLICKED(IDC_HIDE, OnHide)
    ON_REGISTERED_MESSAGE(g_uTaskbarCreatedMsg, OnTaskbarCreated)
    ON_MESSAGE(WM_APP_SET_HIDDEN, OnSetStartedHidden)
END_MESSAGE_MAP()

CRegistryCleanerDlg::CRegistryCleanerDlg(CWnd* pParent)
    : CBitmapDialog(IDD_MAIN, pParent), m_pApp(AfxGetApp()),
      m_hIcon(::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_KELDRIX))),
      m_updateCheck(g_appConfig, g_buildNumber)
{
}

CRegistryCleanerDlg::~CRegistryCleanerDlg() = default;

void CRegistryCleanerDlg::DoDataExchange(CDataExchange* pDX)
{
    CBitmapDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_NAV_SCAN, m_scanButton);
    DDX_Control(pDX, IDC_NAV_BACKUP, m_backupButton);
    DDX_Control(pDX, IDC_NAV_STARTUP, m_startupButton);
    DDX_Control(pDX, IDC_NAV_OPTIONS, m_optionsButton);
    DDX_Control(pDX, IDC_NAV_ABOUT, m_aboutButton);
    DDX_Control(pDX, IDC_NAV_STATISTICS, m_statisticsButton);
    DDX_Control(pDX, IDC_HELP_BUTTON, m_helpButton);
    DDX_Control(pDX, IDC_MINIMIZE, m_minimizeButton);
    DDX_Control(pDX, IDC_HIDE, m_hideButton);
}

BOOL CRegistryCleanerDlg::OnInitDialog()
{
    CBitmapDialog::OnInitDialog();
    ModifyStyle(0, WS_SYSMENU | WS_MINIMIZEBOX);

    ApplyPageLayout(m_fontScaler, m_hWnd, IDD_MAIN);

    m_firstTime = GetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_FIRSTTIME, 1);
    m_firstSincePatch = GetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_FIRSTSINCEPATCH, 1);
    if (m_firstTime)
        CreateFirstRunTasks();
    if (m_firstSincePatch)
        CreateFirstRunTasks();
    SetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_FIRSTTIME, 0);
    SetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_FIRSTSINCEPATCH, 0);

    m_aboutPage.Create(this);
    m_backupPage.Create(this);
    m_optionsPage.Create(this);
    m_scanPage.Create(this);
    m_startupPage.Create(this);
    m_statisticPage.Create(this);
    m_ignoreListPage.Create(this);
    m_resultsPage.Create(this);
    m_findPage.Create(this);
    m_schedulePage.Create(this);

    SetNavButtonBitmaps();
    m_helpButton.SetBitmaps(IDB_HELP, IDB_HELP_HOT, IDB_HELP_HOT, FALSE);
    m_minimizeButton.SetBitmaps(IDB_MINIMIZE, IDB_MINIMIZE_HOT, IDB_MINIMIZE_HOT, FALSE);
    m_hideButton.SetBitmaps(IDB_HIDE, IDB_HIDE_HOT, IDB_HIDE_HOT, FALSE);

    SetWindowText(ProductName());

    for (int page = kScanCategoriesPage; page <= kSchedulePage; ++page) {
        CWnd* window = GetPage(page);
        if (window && window->m_hWnd)
            window->SetWindowPos(nullptr, kPageRect.left, kPageRect.top, kPageRect.Width(), kPageRect.Height(),
                                 SWP_NOZORDER | SWP_NOACTIVATE);
    }
    m_findPage.ShowWindow(SW_HIDE);

    OnScanButton();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    ReadStatistics();
    m_scanButton.SetSticky(TRUE);
    GetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_SPLASHSCREEN, 0);

    // The modal loop shows the window when it is first idle, unless it started hidden.
    ShowWindow(SW_HIDE);
    const bool scanSwitch = HasScanSwitch(m_pApp ? m_pApp->m_lpCmdLine : nullptr);
    if (scanSwitch)
        SetTimer(TIMER_SCHEDULED_SCAN, 100);

    SetBitmap(IDB_MAIN_SKIN);
    SetTransparentColor(RGB(0, 0, 0));

    if (!scanSwitch && !m_startHidden && g_appConfig.m_tipIndex >= 0 && g_appConfig.m_showTip)
        SetTimer(TIMER_TIP_OF_DAY, 400);
    // The automatic update check; the e-mail prompt follows when it is off,
    // unusable or finished.
    if (m_updateCheck.StartAtWindowStart(m_hWnd) == CUpdateCheck::kArmEmailPrompt)
        SetTimer(TIMER_EMAIL_PROMPT, 400);

    SetUpTrayIcon();
    CreateStatsPopup();
    return TRUE;
}

// --- pages -----------------------------------------------------------------

CWnd* CRegistryCleanerDlg::GetPage(int page)
{
    switch (page) {
    case kScanCategoriesPage: return &m_scanPage;
    case kBackupPage: return &m_backupPage;
    case kStartupPage: return &m_startupPage;
    case kOptionsPage: return &m_optionsPage;
    case kAboutPage: return &m_aboutPage;
    case kStatisticsPage: return &m_statisticPage;
    case kIgnoreListPage: return &m_ignoreListPage;
    case kProgressPage: return &m_findPage;
    case kResultsPage: return &m_resultsPage;
    case kSchedulePage: return &m_schedulePage;
    default: return nullptr;
    }
}

void CRegistryCleanerDlg::HideAllPages()
{
    static const int order[] = {kAboutPage,      kBackupPage,    kOptionsPage,  kScanCategoriesPage,
                                kStartupPage,    kStatisticsPage, kIgnoreListPage, kResultsPage,
                                kProgressPage,   kSchedulePage};
    for (int page : order) {
        CWnd* window = GetPage(page);
        if (window->m_hWnd)
            window->ShowWindow(SW_HIDE);
    }
    UpdateNavButtonStates();
}

void CRegistryCleanerDlg::UpdateNavButtonStates()
{
    const int page = m_currentPage;
    m_scanButton.SetSticky(page == kScanCategoriesPage || page == kProgressPage || page == kResultsPage);
    m_backupButton.SetSticky(page == kBackupPage);
    m_startupButton.SetSticky(page == kStartupPage);
    m_optionsButton.SetSticky(page == kOptionsPage || page == kIgnoreListPage || page == kSchedulePage);
    m_aboutButton.SetSticky(page == kAboutPage);
    m_statisticsButton.SetSticky(page == kStatisticsPage);
}

void CRegistryCleanerDlg::SwitchToPage(int page)
{
    m_currentPage = page;
    HideAllPages();
    switch (page) {
    case kBackupPage: m_backupPage.FillBackupList(); break;
    case kStatisticsPage: m_statisticPage.FillPage(); break;
    case kIgnoreListPage: m_ignoreListPage.FillList(); break;
    case kResultsPage: m_resultsPage.BuildCategories(); break;
    default: break;
    }
    CWnd* window = GetPage(page);
    if (window->m_hWnd)
        window->ShowWindow(SW_SHOW);
}

void CRegistryCleanerDlg::ShowNavPage(int page)
{
    if (m_currentPage != page)
        SwitchToPage(page);
    else
        UpdateNavButtonStates();
}

void CRegistryCleanerDlg::ShowScanCategoriesPage()
{
    ShowNavPage(kScanCategoriesPage);
}

void CRegistryCleanerDlg::ShowBackupPage()
{
    ShowNavPage(kBackupPage);
}

void CRegistryCleanerDlg::ShowStartupPage()
{
    ShowNavPage(kStartupPage);
}

void CRegistryCleanerDlg::ShowOptionsPage()
{
    ShowNavPage(kOptionsPage);
}

void CRegistryCleanerDlg::ShowStatisticsPage()
{
    ShowNavPage(kStatisticsPage);
}

void CRegistryCleanerDlg::ShowIgnoreListPage()
{
    if (m_currentPage != kIgnoreListPage)
        SwitchToPage(kIgnoreListPage);
}

void CRegistryCleanerDlg::ShowSchedulePage()
{
    if (m_currentPage != kSchedulePage)
        SwitchToPage(kSchedulePage);
}

void CRegistryCleanerDlg::ShowAboutPage()
{
    SwitchToPage(kAboutPage);
}

void CRegistryCleanerDlg::ShowScanProgressPage()
{
    m_findPage.ResetCategoryRows();
    SwitchToPage(kProgressPage);
}

void CRegistryCleanerDlg::ReturnToScanProgressPage()
{
    SwitchToPage(kProgressPage);
}

void CRegistryCleanerDlg::ShowResultsPage()
{
    if (m_currentPage != kResultsPage)
        SwitchToPage(kResultsPage);
    else
        m_scanButton.SetSticky(TRUE);
}

void CRegistryCleanerDlg::OnScanButton()
{
    if (m_currentPage != kScanCategoriesPage) {
        ShowScanCategoriesPage();
        if (g_appConfig.m_scanOnEntry && m_firstTime && m_scanOnFirstShow)
            m_scanPage.OnStartScan();
        m_scanOnFirstShow = FALSE;
        return;
    }
    m_scanButton.SetSticky(TRUE);
    if (g_appConfig.m_scanButtonRepeat)
        m_scanPage.OnStartScan();
}

void CRegistryCleanerDlg::EnableNavButtons(BOOL enable)
{
    for (CXPButton* button : {&m_scanButton, &m_backupButton, &m_startupButton, &m_optionsButton, &m_aboutButton,
                              &m_statisticsButton}) {
        button->EnableWindow(enable);
        button->Invalidate();
    }
}

void CRegistryCleanerDlg::SetNavButtonSkins()
{
    m_backupButton.SetBitmaps(IDB_NAV_BACKUP_BUSY, IDB_NAV_BACKUP_BUSY, IDB_NAV_BACKUP_BUSY, FALSE);
    m_startupButton.SetBitmaps(IDB_NAV_STARTUP_BUSY, IDB_NAV_STARTUP_BUSY, IDB_NAV_STARTUP_BUSY, FALSE);
    m_optionsButton.SetBitmaps(IDB_NAV_OPTIONS_BUSY, IDB_NAV_OPTIONS_BUSY, IDB_NAV_OPTIONS_BUSY, FALSE);
    m_statisticsButton.SetBitmaps(IDB_NAV_STATISTICS_BUSY, IDB_NAV_STATISTICS_BUSY, IDB_NAV_STATISTICS_BUSY, FALSE);
    EnableNavButtons(FALSE);
}

void CRegistryCleanerDlg::SetNavButtonBitmaps()
{
    m_scanButton.SetBitmaps(IDB_NAV_SCAN, IDB_NAV_SCAN_HOT, IDB_NAV_SCAN_PRESSED, FALSE);
    m_backupButton.SetBitmaps(IDB_NAV_BACKUP, IDB_NAV_BACKUP_HOT, IDB_NAV_BACKUP_PRESSED, FALSE);
    m_startupButton.SetBitmaps(IDB_NAV_STARTUP, IDB_NAV_STARTUP_HOT, IDB_NAV_STARTUP_PRESSED, FALSE);
    m_optionsButton.SetBitmaps(IDB_NAV_OPTIONS, IDB_NAV_OPTIONS_HOT, IDB_NAV_OPTIONS_PRESSED, FALSE);
    m_aboutButton.SetBitmaps(IDB_NAV_ABOUT, IDB_NAV_ABOUT_HOT, IDB_NAV_ABOUT_HOT, FALSE);
    m_statisticsButton.SetBitmaps(IDB_NAV_STATISTICS, IDB_NAV_STATISTICS_HOT, IDB_NAV_STATISTICS_PRESSED, FALSE);
    EnableNavButtons(TRUE);
}

void CRegistryCleanerDlg::EndFix()
{
    // Each fix replaces the figures of the one before.
    int fixedTotal = 0;
    for (int i = 0; i < REGPROBLEM_TYPE_COUNT; ++i) {
        const int fixed = g_pRegScanner ? g_pRegScanner->GetFixedCount(i) : 0;
        SetRegistrySettingInt(SETTINGS_PRODUCT, g_fixedCountNames[i], fixed);
        fixedTotal += fixed;
    }
    SetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_ERRORSFIXED, g_pRegScanner ? g_pRegScanner->GetTotalFixed() : 0);
    SetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_FIXEDTOTALS, fixedTotal);

    SetNavButtonBitmaps();
    ShowStatisticsPage();
    ShowTrayErrorState(GetRemainingCount());
    EnableTrayCommands();
    if (GetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_SHUTDOWNAFTERCLEAN, 0) == 1)
        ShowWindow(SW_HIDE);
}

// --- statistics read at start ------------------------------------------------

ULONGLONG CRegistryCleanerDlg::DecodeCleaningTotal(const CString& text)
{
    ULONGLONG value = 0;
    ULONGLONG weight = 1;
    const ULONGLONG max = ULLONG_MAX;
    for (int i = 0; i < text.GetLength(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 20)
            break;
        const ULONGLONG digit = c - 20;
        if (digit && weight > max / digit)
            break;
        const ULONGLONG part = digit * weight;
        if (part > max - value)
            break;
        value += part;
        if (i + 1 < text.GetLength()) {
            if (weight > max / 100)
                break;
            weight *= 100;
        }
    }
    return value;
}

void CRegistryCleanerDlg::ReadStatistics()
{
    m_totalIESize = DecodeCleaningTotal(GetRegistrySettingString(SETTINGS_PRODUCT, SETTING_TOTALIESIZE));
    m_totalWinSize = DecodeCleaningTotal(GetRegistrySettingString(SETTINGS_PRODUCT, SETTING_TOTALWINSIZE));
    m_totalOtherSize = DecodeCleaningTotal(GetRegistrySettingString(SETTINGS_PRODUCT, SETTING_TOTALOTHERSIZE));
    m_totalIEItems = GetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_TOTALIEITEMS, 0);
    m_totalWinItems = GetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_TOTALWINITEMS, 0);
    m_totalOtherItems = GetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_TOTALOTHERITEMS, 0);
    m_totalTotalSize = DecodeCleaningTotal(GetRegistrySettingString(SETTINGS_PRODUCT, SETTING_TOTALTOTALSIZE));
    m_lastCleanedTime = DecodeCleaningTotal(GetRegistrySettingString(SETTINGS_PRODUCT, SETTING_LASTCLEANEDTIME));
}

// --- tray --------------------------------------------------------------------

int CRegistryCleanerDlg::GetRemainingCount()
{
    return GetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_ERRS, 0) -
           GetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_FIXEDTOTALS, 0);
}

void CRegistryCleanerDlg::SetUpTrayIcon()
{
    const int remaining = GetRemainingCount();
    CString format;
    format.LoadString(IDS_TRAY_ERRORS);
    CString tip;
    tip.Format(format, remaining);
    m_trayIcon.Create(this);
    const CString product = ProductName();
    m_trayStateNoScan = m_trayIcon.AddState(LoadTrayIcon(IDI_TRAY_NOSCAN), product, 0);
    m_trayStateErrors = m_trayIcon.AddState(LoadTrayIcon(IDI_TRAY_ERRORS), tip, 0);
    m_trayStateClean = m_trayIcon.AddState(LoadTrayIcon(IDI_TRAY_CLEAN), product, 0);
    if (remaining > 0)
        m_trayIcon.ShowState(m_trayStateErrors);
    else if (GetRegistrySettingString(SETTINGS_PRODUCT, SETTING_LASTSCAN).IsEmpty())
        m_trayIcon.ShowState(m_trayStateNoScan);
    else
        m_trayIcon.ShowState(m_trayStateClean);

    CMenu* menu = new CMenu;
    if (!menu->LoadMenu(IDR_TRAYMENU) || !::GetSubMenu(menu->GetSafeHmenu(), 0)) {
        delete menu;
        return;
    }
    ::SetMenuDefaultItem(::GetSubMenu(menu->GetSafeHmenu(), 0), 0, TRUE);
    m_trayIcon.SetMenu(menu);
}

void CRegistryCleanerDlg::ShowTrayErrorState(int count)
{
    // Only a count above 0 is a problem that remains, after a scan, a fix and
    // at start alike: a count below 0 (the settings hold more fixed than the
    // last scan found) would show "- -3 error(s)".
    if (count > 0) {
        CString format;
        format.LoadString(IDS_TRAY_ERRORS);
        CString tip;
        tip.Format(format, count);
        m_trayIcon.SetTip(m_trayStateErrors, tip);
        m_trayIcon.ShowState(m_trayStateErrors);
    } else {
        m_trayIcon.ShowState(m_trayStateClean);
    }
}

void CRegistryCleanerDlg::DisableTrayCommands()
{
    CMenu* menu = m_trayIcon.GetMenu();
    HMENU popup = menu ? ::GetSubMenu(menu->GetSafeHmenu(), 0) : nullptr;
    if (!popup)
        return;
    const int count = ::GetMenuItemCount(popup);
    for (int pos = 0; pos < count; ++pos) {
        const UINT id = ::GetMenuItemID(popup, pos);
        if (id == ID_TRAY_OPEN)
            ::SetMenuDefaultItem(popup, pos, TRUE);
        else if (id != ID_TRAY_EXIT)
            ::EnableMenuItem(popup, pos, MF_BYPOSITION | MF_GRAYED);
    }
}

void CRegistryCleanerDlg::EnableTrayCommands()
{
    CMenu* menu = m_trayIcon.GetMenu();
    HMENU popup = menu ? ::GetSubMenu(menu->GetSafeHmenu(), 0) : nullptr;
    if (!popup)
        return;
    const int count = ::GetMenuItemCount(popup);
    for (int pos = 0; pos < count; ++pos)
        ::EnableMenuItem(popup, pos, MF_BYPOSITION | MF_ENABLED);
    ::SetMenuDefaultItem(popup, 0, TRUE);
}

BOOL CRegistryCleanerDlg::IsScanRunning() const
{
    return g_pRegScanner && g_pRegScanner->IsScanning();
}

BOOL CRegistryCleanerDlg::BringToFront()
{
    SetForegroundWindow();
    return ShowWindow(SW_RESTORE);
}

LRESULT CRegistryCleanerDlg::OnTrayNotify(WPARAM, LPARAM lParam)
{
    m_startHidden = 0;
    RunTrayCommand(static_cast<UINT>(lParam));
    return 1;
}

void CRegistryCleanerDlg::RunTrayCommand(UINT command)
{
    if (IsScanRunning() && command != ID_TRAY_EXIT && command != ID_TRAY_DBLCLK) {
        BringToFront();
        return;
    }
    switch (command) {
    case ID_TRAY_DBLCLK: {
        CMenu* menu = m_trayIcon.GetMenu();
        HMENU popup = menu ? ::GetSubMenu(menu->GetSafeHmenu(), 0) : nullptr;
        const UINT defaultCommand = popup ? ::GetMenuDefaultItem(popup, FALSE, 0) : static_cast<UINT>(-1);
        if (defaultCommand != static_cast<UINT>(-1) && defaultCommand != ID_TRAY_DBLCLK)
            RunTrayCommand(defaultCommand);
        BringToFront();
        break;
    }
    case ID_TRAY_OPEN:
        if (!BringToFront())
            ShowScanCategoriesPage();
        break;
    case ID_TRAY_STARTSCAN:
        ShowScanCategoriesPage();
        BringToFront();
        m_scanPage.OnStartScan();
        break;
    case ID_TRAY_SHOWLASTSCAN:
        ShowLastScanPopup();
        break;
    case ID_TRAY_GETUPDATES:
        QueryUpdateServer();
        break;
    case ID_TRAY_EXIT:
        if (IsScanRunning()) {
            AfxMessageBox(kScanRunningOnExit, MB_OK);
            break;
        }
        m_exitRequested = 1;
        CBitmapDialog::OnOK();
        break;
    default:
        break;
    }
}

LRESULT CRegistryCleanerDlg::OnTrayMenu(WPARAM, LPARAM)
{
    return 1;
}

LRESULT CRegistryCleanerDlg::OnTaskbarCreated(WPARAM, LPARAM)
{
    m_trayIcon.Refresh();
    return 0;
}

// --- window messages ---------------------------------------------------------

LRESULT CRegistryCleanerDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_WINDOWPOSCHANGING && m_startHidden)
        reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~SWP_SHOWWINDOW;
    else if (message == WM_AU_STATUS && m_updateCheck.OnStatus(wParam, lParam) == CUpdateCheck::kArmEmailPrompt)
        SetTimer(TIMER_EMAIL_PROMPT, 400);
    return CBitmapDialog::WindowProc(message, wParam, lParam);
}

void CRegistryCleanerDlg::OnPaint()
{
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    CRect client;
    GetClientRect(&client);
    const int x = (client.Width() - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.Height() - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc.GetSafeHdc(), x, y, m_hIcon);
}

HCURSOR CRegistryCleanerDlg::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_hIcon);
}

void CRegistryCleanerDlg::OnHelpButton()
{
    ShowWindow(SW_SHOW);
    CString path = CCleanSweep::GetProgramFolder() + "help.chm";
    ::HtmlHelpA(nullptr, path, HH_DISPLAY_TOPIC, 0);
}

BOOL CRegistryCleanerDlg::OnHelpInfo(HELPINFO*)
{
    OnHelpButton();
    return TRUE;
}

void CRegistryCleanerDlg::OnClose()
{
    if (IsScanRunning()) {
        AfxMessageBox(kScanRunningOnClose, MB_OK);
        return;
    }
    if (GetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_PDISCLEANSHUT, 0) &&
        MessageBox("Are you sure you want to exit Registry Cleaner?", ProductName(), MB_OKCANCEL) != IDOK)
        return;
    CBitmapDialog::OnCancel();
}

void CRegistryCleanerDlg::OnTimer(UINT_PTR nIDEvent)
{
    switch (nIDEvent) {
    case TIMER_SCHEDULED_SCAN:
        KillTimer(nIDEvent);
        m_scanPage.OnStartScan();
        break;
    case TIMER_TIP_OF_DAY:
        KillTimer(nIDEvent);
        ShowTipOfTheDay();
        break;
    case TIMER_EMAIL_PROMPT:
        KillTimer(nIDEvent);
        if (!m_startHidden && GetRegistrySettingInt("", SETTING_PROMPTFOREMAIL, 1))
            ShowEmailSignUp();
        break;
    default:
        Default();
        break;
    }
}

void CRegistryCleanerDlg::OnSysCommand(UINT nID, LPARAM)
{
    // The low four bits of the command are the system's own.
    if ((nID & 0xFFF0) == SC_CLOSE && !m_exitRequested) {
        ShowWindow(SW_HIDE);
        return;
    }
    Default();
}

void CRegistryCleanerDlg::OnDestroy()
{
    // The updater library must not report to a window that is gone.
    m_updateCheck.Cancel();
    if (m_trayIcon.m_hWnd)
        m_trayIcon.DestroyWindow();
    Default();
}

LRESULT CRegistryCleanerDlg::OnRunScanRequest(WPARAM, LPARAM)
{
    if (!IsScanRunning())
        SetTimer(TIMER_SCHEDULED_SCAN, 0);
    return 1;
}

LRESULT CRegistryCleanerDlg::OnShowMainRequest(WPARAM, LPARAM)
{
    if (!IsScanRunning() && !IsWindowVisible())
        ShowScanCategoriesPage();
    BringToFront();
    return 1;
}

LRESULT CRegistryCleanerDlg::OnSetStartedHidden(WPARAM, LPARAM lParam)
{
    m_startHidden = lParam != 0;
    return 0;
}

void CRegistryCleanerDlg::OnMinimize()
{
    ShowWindow(SW_MINIMIZE);
}

void CRegistryCleanerDlg::OnHide()
{
    ShowWindow(SW_HIDE);
}

void CRegistryCleanerDlg::CreateFirstRunTasks()
{
    // The weekly scan task and the at-logon task; tasks that exist already
    // are left as they are, so a second call changes nothing.
    CreateScheduledScanTask(ProductName(), kScanTaskComment, GetTaskWorkingFolder());
}

// --- the last-scan pop-up and the tip of the day ------------------------------

void CRegistryCleanerDlg::CreateStatsPopup()
{
    const CString page = CCleanSweep::GetProgramFolder() + "ShowStats.htm";
    m_statsPopup.CreateAndNavigate(IDD_STATS_POPUP, page, m_trayIcon.GetSafeWnd());
}

void CRegistryCleanerDlg::ShowLastScanPopup()
{
    // Slides in by 10 pixels every 5 ms and stays until its page is closed.
    if (!m_statsPopup.m_hWnd || m_statsPopup.IsWindowVisible())
        return;
    m_statsPopup.SetDisplayTime(-1);
    m_statsPopup.SetSlideSpeed(10, 5);
    m_statsPopup.Show();
}

void CRegistryCleanerDlg::ShowTipOfTheDay()
{
    CTipOfDayDlg dialog(nullptr);
    dialog.SetUseSavedTip(m_firstTime);
    dialog.DoModal();
}

// --- the e-mail sign-up and the update check ------------------------------------

void CRegistryCleanerDlg::ShowEmailSignUp()
{
    CEmailCollectDHtmlDlg dialog(g_appConfig, this);
    dialog.DoModal();
    SetRegistrySettingInt("", SETTING_PROMPTFOREMAIL, dialog.ShouldPromptAgain());
}

void CRegistryCleanerDlg::QueryUpdateServer()
{
    m_updateCheck.QueryUpdateServer(m_hWnd);
}
