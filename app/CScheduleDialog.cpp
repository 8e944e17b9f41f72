#include "CScheduleDialog.h"
#include "resource.h"

namespace {

const char kCaption[] = "Schedule";
const int kDayCount = IDC_SCHED_DAY_LAST - IDC_SCHED_DAY_FIRST + 1;

}  // namespace

CScheduleDialog::CScheduleDialog(const TASK_TRIGGER& trigger, CWnd* pParent)
    : CDialog(IDD_SCHEDULE_EDIT, pParent), m_trigger(trigger)
{
}

bool CScheduleDialog::Edit(TASK_TRIGGER& trigger, CWnd* pParent)
{
    CScheduleDialog dialog(trigger, pParent);
    if (dialog.DoModal() != IDOK)
        return false;
    trigger = dialog.GetTrigger();
    return true;
}

BOOL CScheduleDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    // The day bits run from TASK_SUNDAY (bit 0) to TASK_SATURDAY, like the boxes.
    for (int day = 0; day < kDayCount; ++day)
        CheckDlgButton(IDC_SCHED_DAY_FIRST + day,
                       (m_trigger.Type.Weekly.rgfDaysOfTheWeek & (1u << day)) ? BST_CHECKED : BST_UNCHECKED);
    for (int id : {IDC_SCHED_HOUR, IDC_SCHED_MINUTE})
        ::SendDlgItemMessageA(m_hWnd, id, EM_LIMITTEXT, 2, 0);
    CString number;
    number.Format("%u", static_cast<unsigned>(m_trigger.wStartHour));
    ::SetDlgItemTextA(m_hWnd, IDC_SCHED_HOUR, number);
    number.Format("%02u", static_cast<unsigned>(m_trigger.wStartMinute));
    ::SetDlgItemTextA(m_hWnd, IDC_SCHED_MINUTE, number);
    return TRUE;
}

bool CScheduleDialog::ReadNumber(int id, UINT maximum, LPCSTR complaint, WORD& value)
{
    BOOL valid = FALSE;
    UINT number = ::GetDlgItemInt(m_hWnd, id, &valid, FALSE);
    if (valid && number <= maximum) {
        value = static_cast<WORD>(number);
        return true;
    }
    MessageBox(complaint, kCaption, MB_OK | MB_ICONEXCLAMATION);
    HWND box = ::GetDlgItem(m_hWnd, id);
    ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(box), TRUE);
    return false;
}

void CScheduleDialog::OnOK()
{
    WORD days = 0;
    for (int day = 0; day < kDayCount; ++day)
        if (IsDlgButtonChecked(IDC_SCHED_DAY_FIRST + day) == BST_CHECKED)
            days |= static_cast<WORD>(1u << day);
    if (days == 0) {
        MessageBox("Choose at least one day of the week.", kCaption, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    WORD hour = 0;
    WORD minute = 0;
    if (!ReadNumber(IDC_SCHED_HOUR, 23, "Enter an hour from 0 to 23.", hour) ||
        !ReadNumber(IDC_SCHED_MINUTE, 59, "Enter a minute from 0 to 59.", minute))
        return;
    m_trigger.TriggerType = TASK_TIME_TRIGGER_WEEKLY;
    m_trigger.Type.Weekly.rgfDaysOfTheWeek = days;
    if (m_trigger.Type.Weekly.WeeksInterval == 0)
        m_trigger.Type.Weekly.WeeksInterval = 1;
    m_trigger.wStartHour = hour;
    m_trigger.wStartMinute = minute;
    EndDialog(IDOK);
}
