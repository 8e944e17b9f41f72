#pragma once
#include <mstask.h>
#include "afxwin.h"

// The weekly schedule of the scan task, where the system has no schedule page
// of its own: a box per day of the week and the hour and minute. It edits a
// copy of a weekly trigger; the trigger's other fields are kept.
class CScheduleDialog : public CDialog {
public:
    CScheduleDialog(const TASK_TRIGGER& trigger, CWnd* pParent);

    BOOL OnInitDialog() override;
    const TASK_TRIGGER& GetTrigger() const { return m_trigger; }

    // Runs the dialog on trigger: true, with the trigger changed, after OK.
    static bool Edit(TASK_TRIGGER& trigger, CWnd* pParent);

protected:
    // Takes the boxes and the time into the trigger; refuses a schedule
    // without a day or with a time out of range, and stays open.
    void OnOK() override;

private:
    // The number in an edit box when it lies in 0..maximum; else it says so
    // and puts the focus there.
    bool ReadNumber(int id, UINT maximum, LPCSTR complaint, WORD& value);

    TASK_TRIGGER m_trigger;
};
