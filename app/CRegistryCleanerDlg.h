#pragma once
#include "afxwin.h"
#include "CAbout.h"
#include "CBitmapDialog.h"
#include "CDialogFontScaler.h"
#include "CFindPage.h"
#include "CHtmlShowStatsTrayDialog.h"
#include "CIgnoreListPage.h"
#include "COptionsPage.h"
#include "CRegBackup.h"
#include "CRegFindNFix.h"
#include "CRegstartup.h"
#include "CScanResultsPage.h"
#include "CSchedulePage.h"
#include "CStatistic.h"
#include "CTrayIconManager.h"
#include "CUpdateCheck.h"
#include "CXPButton.h"

// The program's main window: a skinned, shaped dialog that holds the ten
// pages and switches between them with its navigation buttons, owns the
// tray icon and its menu, and starts the scans that timers or other
// instances ask for. Its close box only hides it; "Exit" in the tray menu or
// a WM_CLOSE from outside ends it.
class CRegistryCleanerDlg : public CBitmapDialog {
public:
    // The pages by index, as m_currentPage holds them.
    enum Page {
        kNoPage = 0,
        kScanCategoriesPage = 1,
        kBackupPage = 2,
        kStartupPage = 3,
        kOptionsPage = 4,
        kAboutPage = 5,
        kStatisticsPage = 6,
        kIgnoreListPage = 7,
        kProgressPage = 8,
        kResultsPage = 9,
        kSchedulePage = 10,
    };

    explicit CRegistryCleanerDlg(CWnd* pParent = nullptr);
    ~CRegistryCleanerDlg() override;

    BOOL OnInitDialog() override;
    // While set, nothing can show the window.
    void SetStartHidden(BOOL hidden) { m_startHidden = hidden ? 1 : 0; }

    // Page switching, called by the pages and the window itself.
    void HideAllPages();
    void UpdateNavButtonStates();
    void ShowScanCategoriesPage();
    void ShowBackupPage();
    void ShowStartupPage();
    void ShowOptionsPage();
    void ShowAboutPage();
    void ShowStatisticsPage();
    void ShowIgnoreListPage();
    void ShowSchedulePage();
    void ShowScanProgressPage();
    void ReturnToScanProgressPage();
    void ShowResultsPage();
    int GetCurrentPage() const { return m_currentPage; }

    // The navigation buttons while a scan or fix runs, and back again.
    void SetNavButtonSkins();
    void SetNavButtonBitmaps();
    // The tray menu while a scan or fix runs, and back again.
    void DisableTrayCommands();
    void EnableTrayCommands();
    // The error state with count (when above 0), else the clean state.
    void ShowTrayErrorState(int count);
    // The problems that remain: "errs" less "FixedTotals".
    static int GetRemainingCount();
    // The end of a fix (on WM_FIX_DONE): stores the engine's fixed counts,
    // gives the navigation and the tray back, and shows the statistics page.
    void EndFix();
    // The update check the user or the start asks for.
    // "Get Updates" from the tray menu or the options page; ignored while a check runs.
    void QueryUpdateServer();
    HWND GetProgressPageWindow() const { return m_findPage.m_hWnd; }

    // The cleaning totals: each character is a base-100 digit (its code less
    // 20), the first the least significant. Decoding stops before a digit
    // that would overflow, and at a character below 20.
    static ULONGLONG DecodeCleaningTotal(const CString& text);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnOK() override {}
    void OnCancel() override {}

    afx_msg void OnPaint();
    afx_msg HCURSOR OnQueryDragIcon();
    afx_msg void OnHelpButton();
    afx_msg void OnClose();
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
    afx_msg void OnDestroy();
    afx_msg BOOL OnHelpInfo(HELPINFO* pHelpInfo);
    afx_msg LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnTrayMenu(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnRunScanRequest(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnShowMainRequest(WPARAM wParam, LPARAM lParam);
    afx_msg void OnScanButton();
    afx_msg void OnMinimize();
    afx_msg void OnHide();
    afx_msg LRESULT OnTaskbarCreated(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnSetStartedHidden(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    // Switches to a page: hide all, refresh as the page needs, show it.
    void SwitchToPage(int page);
    // A page of a navigation button: switched to, or only its button held again.
    void ShowNavPage(int page);
    // The six page buttons, enabled or not, repainted.
    void EnableNavButtons(BOOL enable);
    CWnd* GetPage(int page);
    void ReadStatistics();
    void SetUpTrayIcon();
    // Restores the window and brings it to the front; TRUE when it was visible.
    BOOL BringToFront();
    BOOL IsScanRunning() const;
    void RunTrayCommand(UINT command);

    // The scheduled tasks of a first run.
    void CreateFirstRunTasks();
    // The last-scan pop-up: created hidden at start, slid in by the tray command.
    void CreateStatsPopup();
    void ShowLastScanPopup();
    void ShowTipOfTheDay();
    // The e-mail sign-up dialog; its answer decides whether it comes again.
    void ShowEmailSignUp();

    CWinApp* m_pApp;
    ULONGLONG m_totalIESize = 0;
    ULONGLONG m_totalWinSize = 0;
    ULONGLONG m_totalOtherSize = 0;
    int m_totalIEItems = 0;
    int m_totalWinItems = 0;
    int m_totalOtherItems = 0;
    ULONGLONG m_totalTotalSize = 0;
    ULONGLONG m_lastCleanedTime = 0;
    int m_currentPage = kNoPage;
    BOOL m_scanOnFirstShow = TRUE;
    int m_firstTime = 1;
    int m_firstSincePatch = 1;

    CAbout m_aboutPage;
    COptionsPage m_optionsPage;
    CRegstartup m_startupPage;
    CRegFindNFix m_scanPage;
    CRegBackup m_backupPage;
    CIgnoreListPage m_ignoreListPage;
    CScanResultsPage m_resultsPage;
    CFindPage m_findPage;
    CSchedulePage m_schedulePage;
    CStatistic m_statisticPage;
    CXPButton m_scanButton;
    CXPButton m_backupButton;
    CXPButton m_startupButton;
    CXPButton m_optionsButton;
    CXPButton m_aboutButton;
    CXPButton m_statisticsButton;
    CXPButton m_helpButton;
    CXPButton m_minimizeButton;
    CXPButton m_hideButton;
    CDialogFontScaler m_fontScaler;

    HICON m_hIcon;
    CUpdateCheck m_updateCheck;
    BYTE m_exitRequested = 0;
    BYTE m_startHidden = 0;
    CTrayIconManager m_trayIcon;
    DWORD m_trayStateNoScan = 0;
    DWORD m_trayStateErrors = 0;
    DWORD m_trayStateClean = 0;
    CHtmlShowStatsTrayDialog m_statsPopup;
};
