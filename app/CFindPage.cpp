#include "CFindPage.h"
#include "CAppConfig.h"
#include "CRegScanner.h"
#include "CRegistryCleanerDlg.h"
#include "RegistrySettings.h"
#include "PageLayout.h"
#include "resource.h"
#include "CCleanSweep.h"

namespace {

const COLORREF kScanningColour = 0x93AF1C;
const COLORREF kSkippedColour = 0xACACAC;
const COLORREF kTitleFill = 0xF8EEDF;

const char kWaitText[] = "Please wait until the scan is complete.\nTo Cancel your scan press 'Cancel'.";
const char kDoneText[] = "System scan and detection.";
const char kStateText[] = "Scanning:";
const char kTotalFormat[] = "%d Problem(s) Found";
const char kAbortedFormat[] =
    "System scan has been aborted.\nTo clean detected items click the %s button. Click the Back button to return to step 1.";
const char kCompleteFormat[] = "System scan is complete. Click %s to proceed.";

// The last time a path was shown: one value for the program.
DWORD g_lastPathTick = 0;

void SetFaces(CXPButton& button, UINT normal, UINT hot, UINT pressed)
{
    button.SetBitmaps(normal, hot, pressed, FALSE);
}

}  // namespace

BEGIN_MESSAGE_MAP(CFindPage, CPropertyPage)
    ON_WM_ERASEBKGND()
    ON_BN_CLICKED(IDC_PROGRESS_BACK, OnBack)
    ON_BN_CLICKED(IDC_PROGRESS_NEXT, OnNext)
    ON_BN_CLICKED(IDC_PROGRESS_STOP, OnStop)
    ON_BN_CLICKED(1312, OnNothing)
    ON_MESSAGE(WM_SCAN_PATH, OnScanProgress)
    ON_MESSAGE(WM_PROBLEM_FOUND, OnProblemFound)
    ON_MESSAGE(WM_CATEGORY_START, OnCategoryStart)
    ON_MESSAGE(WM_CATEGORY_DONE, OnCategoryDone)
    ON_MESSAGE(WM_SCAN_DONE, OnScanFinished)
    ON_MESSAGE(WM_CATEGORY_SKIPPED, OnCategorySkipped)
    ON_MESSAGE(WM_FIX_DONE, OnRepairFinished)
    ON_MESSAGE(WM_FIX_PROGRESS, OnFixProgress)
END_MESSAGE_MAP()

CFindPage::CFindPage() : CPropertyPage(IDD_SCAN_PROGRESS) {}

CString CFindPage::ShortenPath(const CString& path)
{
    if (path.GetLength() <= 60)
        return path;
    return path.Left(5) + "..." + path.Right(50);
}

void CFindPage::ShowText(CLabel& label, const CString& text)
{
    ShowLabelText(label, text);
}

void CFindPage::ShowTotal(CLabel& label)
{
    CString text;
    text.Format(kTotalFormat, m_problemCount);
    ShowText(label, text);
}

BOOL CFindPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    ApplyPageLayout(m_fontScaler, m_hWnd, IDD_SCAN_PROGRESS);
    m_background.LoadBitmap(IDB_BG_SCAN_PROGRESS);

    m_back.SubclassDlgItem(IDC_PROGRESS_BACK, this);
    m_next.SubclassDlgItem(IDC_PROGRESS_NEXT, this);
    m_stop.SubclassDlgItem(IDC_PROGRESS_STOP, this);
    for (int i = 0; i < REGPROBLEM_TYPE_COUNT; ++i) {
        m_names[i].SubclassDlgItem(IDC_PROGRESS_NAME_FIRST + i, this);
        m_status[i].SubclassDlgItem(IDC_PROGRESS_STATUS_FIRST + i, this);
        m_counts[i].SubclassDlgItem(IDC_PROGRESS_COUNT_FIRST + i, this);
        m_anchors[i].SubclassDlgItem(IDC_PROGRESS_ANCHOR_FIRST + i, this);
    }
    m_path.SubclassDlgItem(IDC_PROGRESS_PATH, this);
    m_message.SubclassDlgItem(IDC_PROGRESS_MESSAGE, this);
    m_state.SubclassDlgItem(IDC_PROGRESS_STATE, this);
    m_total.SubclassDlgItem(IDC_PROGRESS_TOTAL, this);
    m_image.SubclassDlgItem(IDC_PROGRESS_IMAGE, this);
    m_title.SubclassDlgItem(IDC_PAGE_TITLE, this);
    m_bar.SubclassDlgItem(IDC_PROGRESS_BAR_ANIM, this);
    m_categoryAnimation.SubclassDlgItem(IDC_PROGRESS_ROW_ANIM, this);

    const COLORREF white = 0xFFFFFF;
    for (int i = 0; i < REGPROBLEM_TYPE_COUNT; ++i) {
        m_names[i].SetLabelStyle(FALSE, "Arial", 10, 0, white);
        CString name;
        name.LoadString(IDS_CATEGORY_FIRST + i);
        ShowText(m_names[i], name);
        m_counts[i].SetLabelStyle(FALSE, "Arial", 10, 0, white);
    }
    m_path.SetLabelStyle(FALSE, "Arial", 10, 0, white);
    m_state.SetLabelStyle(FALSE, "Arial", 10, 0, white);
    m_total.SetLabelStyle(FALSE, "Arial", 10, 0, white);
    ShowText(m_message, kWaitText);
    m_title.SetLabelStyle(FALSE, "Arial", 15, white, kTitleFill);
    ShowText(m_title, "Scan");
    m_title.SetTransparent(TRUE);
    ShowText(m_state, kStateText);
    m_image.SetBitmap(IDB_SCAN_IMAGE);

    SetFaces(m_back, IDB_BACK_DISABLED, IDB_BACK_DISABLED, IDB_BACK_DISABLED);
    SetFaces(m_next, IDB_NEXT_DISABLED, IDB_NEXT_DISABLED, IDB_NEXT_DISABLED);
    m_next.SetWindowText(g_appConfig.m_nextCaption);
    m_next.SetCaption("Arial", 0x3333CC, 20, 0x7D7D7D);
    m_next.m_bParentFont = 0;
    SetFaces(m_stop, IDB_STOP, IDB_STOP_HOT, IDB_STOP);

    CString folder = CCleanSweep::GetProgramFolder();
    if (m_bar.Load(folder + "Animated-Bar.gif")) {
        m_bar.Draw();
        m_bar.ShowWindow(SW_SHOW);
    }
    m_categoryAnimation.Load(folder + "process-animation.gif");
    m_categoryAnimation.ShowWindow(SW_HIDE);

    for (int i = 0; i < REGPROBLEM_TYPE_COUNT; ++i)
        m_status[i].ShowWindow(SW_HIDE);
    m_back.EnableWindow(FALSE);
    m_next.EnableWindow(FALSE);
    return TRUE;
}

BOOL CFindPage::OnEraseBkgnd(CDC* pDC)
{
    return PaintPageBackground(pDC, m_background);
}

void CFindPage::ResetCategoryRows()
{
    for (int i = 0; i < REGPROBLEM_TYPE_COUNT; ++i) {
        m_status[i].FreeBitmap();
        ShowText(m_counts[i], "");
        m_categoryCounts[i] = 0;
    }
    m_problemCount = 0;
    // A new scan starts uncancelled, whatever ended the one before.
    m_cancelled = FALSE;
    m_fixPending = FALSE;
    m_back.EnableWindow(FALSE);
    m_next.EnableWindow(FALSE);
    SetFaces(m_back, IDB_BACK_DISABLED, IDB_BACK_DISABLED, IDB_BACK_DISABLED);
    SetFaces(m_next, IDB_NEXT_DISABLED, IDB_NEXT_DISABLED, IDB_NEXT_DISABLED);
    m_back.Invalidate();
    m_next.Invalidate();
}

void CFindPage::OnBack()
{
    m_cancelled = FALSE;
    if (CRegistryCleanerDlg* main = MainWindowOf(m_hWnd))
        main->ShowScanCategoriesPage();
}

void CFindPage::OnNext()
{
    m_cancelled = FALSE;
    CRegistryCleanerDlg* main = MainWindowOf(m_hWnd);
    if (!main)
        return;
    if (m_problemCount == 0)
        main->ShowScanCategoriesPage();
    else
        main->ShowResultsPage();
}

void CFindPage::OnStop()
{
    m_cancelled = TRUE;
    if (g_pRegScanner)
        g_pRegScanner->Cancel();
}

void CFindPage::PlacePathLine(BOOL aboveStop)
{
    // During a scan the path line ends 2 pixels above Stop; afterwards it
    // reaches down to where Stop ends.
    CRect path;
    CRect stop;
    m_path.GetWindowRect(&path);
    m_stop.GetWindowRect(&stop);
    ScreenToClient(&path);
    ScreenToClient(&stop);
    path.bottom = aboveStop ? stop.top - 2 : stop.bottom;
    m_path.MoveWindow(&path);
}

LRESULT CFindPage::OnCategoryStart(WPARAM, LPARAM lParam)
{
    const int category = static_cast<int>(lParam);
    // The bar stops at the end of each scan: it plays again with the next.
    if (!m_bar.IsPlaying())
        m_bar.Draw();
    m_bar.ShowWindow(SW_SHOW);
    m_stop.ShowWindow(SW_SHOW);

    PlacePathLine(TRUE);

    ShowText(m_message, kWaitText);
    ShowText(m_state, kStateText);
    ShowTotal(m_total);
    if (!IsValidCategory(category))
        return 0;
    m_names[category].SetTextColor(kScanningColour);
    ShowText(m_counts[category], "0");
    m_status[category].ShowWindow(SW_HIDE);

    CRect anchor;
    m_anchors[category].GetWindowRect(&anchor);
    ScreenToClient(&anchor);
    m_categoryAnimation.MoveWindow(&anchor);
    m_categoryAnimation.Draw();
    m_categoryAnimation.ShowWindow(SW_SHOW);
    ShowTotal(m_path);
    return 0;
}

BOOL CFindPage::PassPathGate(DWORD now, DWORD& lastShown)
{
    // Unsigned: the difference holds when the tick count wraps.
    if (now - lastShown <= 100)
        return FALSE;
    lastShown = now;
    return TRUE;
}

LRESULT CFindPage::OnScanProgress(WPARAM, LPARAM lParam)
{
    if (!PassPathGate(::GetTickCount(), g_lastPathTick))
        return 0;
    LPCSTR path = reinterpret_cast<LPCSTR>(lParam);
    ShowText(m_path, ShortenPath(path ? path : ""));
    return 0;
}

LRESULT CFindPage::OnProblemFound(WPARAM, LPARAM lParam)
{
    const CRegistryProblem* problem = reinterpret_cast<const CRegistryProblem*>(lParam);
    ++m_problemCount;
    if (problem && IsValidCategory(problem->m_category)) {
        int& count = m_categoryCounts[problem->m_category];
        ++count;
        CString text;
        text.Format("%d", count);
        ShowText(m_counts[problem->m_category], text);
    }
    ShowTotal(m_total);
    return 0;
}

LRESULT CFindPage::OnCategoryDone(WPARAM, LPARAM lParam)
{
    const int category = static_cast<int>(lParam);
    if (!IsValidCategory(category))
        return 0;
    m_names[category].SetTextColor(0);
    m_status[category].SetBitmap(m_categoryCounts[category] ? IDB_STATUS_FOUND : IDB_STATUS_CLEAN);
    m_categoryAnimation.Stop();
    m_categoryAnimation.ShowWindow(SW_HIDE);
    CRect covered;
    m_categoryAnimation.GetWindowRect(&covered);
    ScreenToClient(&covered);
    covered.InflateRect(7, 10);
    InvalidateRect(&covered);
    m_status[category].ShowWindow(SW_SHOW);
    m_status[category].Invalidate();
    return 0;
}

LRESULT CFindPage::OnCategorySkipped(WPARAM, LPARAM lParam)
{
    const int category = static_cast<int>(lParam);
    if (!IsValidCategory(category))
        return 0;
    m_status[category].SetBitmap(IDB_STATUS_SKIPPED);
    m_status[category].ShowWindow(SW_SHOW);
    m_names[category].SetTextColor(kSkippedColour);
    return 0;
}

void CFindPage::StoreScanStatistics()
{
    SetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_ERRS, m_problemCount);
    for (int i = 0; i < REGPROBLEM_TYPE_COUNT; ++i)
        SetRegistrySettingInt(SETTINGS_PRODUCT, g_foundCountNames[i], g_pRegScanner ? g_pRegScanner->GetFoundCount(i) : 0);
}

LRESULT CFindPage::OnScanFinished(WPARAM wParam, LPARAM)
{
    CRegistryCleanerDlg* main = MainWindowOf(m_hWnd);
    // When the engine goes on to fix what it found (its own decision, in
    // wParam: a Stop pressed since then came too late), the window stays
    // locked until that fix has ended.
    m_fixPending = wParam != 0;
    if (!m_fixPending) {
        m_back.EnableWindow(TRUE);
        m_next.EnableWindow(TRUE);
        SetFaces(m_back, IDB_BACK, IDB_BACK_HOT, IDB_BACK);
        SetFaces(m_next, IDB_NEXT, IDB_NEXT_HOT, IDB_NEXT);
        if (main)
            main->SetNavButtonBitmaps();
    }
    m_back.Invalidate();
    m_next.Invalidate();
    Invalidate();

    m_bar.Stop();
    m_bar.ShowWindow(SW_HIDE);
    ShowText(m_state, "");
    ShowText(m_message, kDoneText);
    CString end;
    end.Format(m_cancelled ? kAbortedFormat : kCompleteFormat, static_cast<LPCSTR>(g_appConfig.m_nextCaption));
    ShowText(m_path, end);

    StoreScanStatistics();

    m_stop.ShowWindow(SW_HIDE);
    PlacePathLine(FALSE);

    if (main) {
        main->ShowTrayErrorState(m_problemCount);
        if (!m_fixPending)
            main->EnableTrayCommands();
    }
    return 0;
}

LRESULT CFindPage::OnRepairFinished(WPARAM, LPARAM)
{
    // The engine reports the end of its fix more than once: act on the first.
    if (!m_fixPending)
        return 0;
    m_fixPending = FALSE;
    m_back.EnableWindow(TRUE);
    m_next.EnableWindow(TRUE);
    SetFaces(m_back, IDB_BACK, IDB_BACK_HOT, IDB_BACK);
    SetFaces(m_next, IDB_NEXT, IDB_NEXT_HOT, IDB_NEXT);
    if (CRegistryCleanerDlg* main = MainWindowOf(m_hWnd))
        main->EndFix();
    return 0;
}

LRESULT CFindPage::OnFixProgress(WPARAM, LPARAM)
{
    return 0;
}
