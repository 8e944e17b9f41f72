#include "CSchedulePage.h"
#include "CImageLabel.h"
#include "CRegistryCleanerDlg.h"
#include "CScheduleDialog.h"
#include "PageLayout.h"
#include "ScheduledTasks.h"

namespace {

const char kScanTaskName[] = "Keldrix";
const wchar_t kScanTaskNameWide[] = L"Keldrix";
const COLORREF kTitleFill = RGB(223, 238, 248);

// Styles a label and shows text in it (also as its window text, for readers of the window).
void StyleLabel(CLabel& label, int points, COLORREF colour, LPCSTR text)
{
    label.SetLabelStyle(FALSE, "arial", points, colour, kTitleFill);
    label.SetWindowText(text);
    label.SetText(text);
    label.SetTransparent(TRUE);
}

}  // namespace

IMPLEMENT_DYNAMIC(CSchedulePage)

BEGIN_MESSAGE_MAP(CSchedulePage, CPropertyPage)
    ON_WM_ERASEBKGND()
    ON_BN_CLICKED(IDC_SCHED_OPTIONS_TAB, OnOptionsTab)
    ON_BN_CLICKED(IDC_TAB_IGNORE_LIST, OnIgnoreListTab)
    ON_BN_CLICKED(IDC_SCHED_SET, OnSetSchedule)
END_MESSAGE_MAP()

CSchedulePage::CSchedulePage() : CPropertyPage(IDD_SCHEDULE) {}

void CSchedulePage::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SCHED_OPTIONS_TAB, m_optionsTab);
    DDX_Control(pDX, IDC_TAB_IGNORE_LIST, m_ignoreListTab);
    DDX_Control(pDX, IDC_SCHED_SET, m_setSchedule);
    DDX_Control(pDX, IDC_SCHED_HEADING, m_heading);
    DDX_Control(pDX, IDC_SCHED_NOTE, m_note);
    DDX_Control(pDX, IDC_SCHED_LIST, m_list);
    DDX_Control(pDX, IDC_PAGE_TITLE, m_title);
}

BOOL CSchedulePage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    ApplyPageLayout(m_fontScaler, m_hWnd, IDD_SCHEDULE);
    m_background.LoadBitmap(IDB_BG_SCHEDULE);

    m_optionsTab.SetBitmaps(IDB_TAB_OPTIONS, IDB_TAB_OPTIONS, IDB_TAB_OPTIONS, FALSE);
    m_ignoreListTab.SetBitmaps(IDB_TAB_IGNORE, IDB_TAB_IGNORE, IDB_TAB_IGNORE, FALSE);
    m_setSchedule.SetBitmaps(IDB_SET_SCHEDULE, IDB_SET_SCHEDULE_HOT, IDB_SET_SCHEDULE, FALSE);

    StyleLabel(m_note, 10, 0, "");
    StyleLabel(m_title, 15, RGB(255, 255, 255), "Settings - Schedule");

    m_programFolder = GetTaskWorkingFolder();
    FillList();
    StyleLabel(m_heading, 10, 0, "Keldrix is scheduled to run at:");
    return TRUE;
}

BOOL CSchedulePage::OnEraseBkgnd(CDC* pDC)
{
    if (m_background.m_hObject)
        DrawBitmap(pDC, &m_background, 0, 0);
    return TRUE;
}

void CSchedulePage::FillList()
{
    m_list.ResetContent();
    CStringArray lines;
    if (!GetTaskTriggerText(kScanTaskNameWide, lines)) {
        m_list.AddString("System scan schedule is not active");
        return;
    }
    for (int i = 0; i < lines.GetSize(); ++i)
        m_list.AddString(lines[i]);
}

void CSchedulePage::OnSetSchedule()
{
    // Where the system has no schedule page of its own, ours edits the weekly trigger.
    ScheduleScanTask(kScanTaskName, kScanTaskComment, m_programFolder,
                     [this](TASK_TRIGGER& trigger) { return CScheduleDialog::Edit(trigger, this); });
    FillList();
}

void CSchedulePage::OnOptionsTab()
{
    if (CRegistryCleanerDlg* main = MainWindowOf(m_hWnd))
        main->ShowOptionsPage();
}

void CSchedulePage::OnIgnoreListTab()
{
    if (CRegistryCleanerDlg* main = MainWindowOf(m_hWnd))
        main->ShowIgnoreListPage();
}
