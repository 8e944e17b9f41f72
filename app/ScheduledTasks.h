#pragma once
#include <windows.h>
#include <mstask.h>
#include <prsht.h>
#include <functional>
#include "CString.h"
#include "CStringArray.h"

// The program's scheduled tasks, over the Task Scheduler 1.0 interfaces. Every
// function starts COM for its own duration and gives up quietly on a failure,
// writing a diagnostic line to the standard streams and the debugger output.
// UI thread only.

// Parameters of the two tasks the program makes.
extern const char kScanTaskParameters[];      // "-t": scan at once
extern const char kStartupTaskParameters[];   // "-Tray": start hidden in the tray
// Appended to the scan task's name to name the at-logon task.
extern const char kStartupTaskSuffix[];
// The comment the program gives its tasks.
extern const char kScanTaskComment[];

// The program's folder without its trailing backslash: the tasks' working folder.
CString GetTaskWorkingFolder();

// Lets the user change the days and time of a weekly trigger; false when the
// user cancels (the trigger is then left as it was).
using WeeklyScheduleEditor = std::function<bool(TASK_TRIGGER& trigger)>;

// True when the task exists and opens.
bool TaskExists(LPCWSTR pwszTaskName);

// Makes and saves a task running this program for the current user while
// logged on, with the given working folder, comment and parameters, and the
// trigger when one is given (added before the first save: a task saved
// without one may come back with a trigger the scheduler made up).
HRESULT CreateWorkItem(LPCWSTR pwszTaskName, LPCSTR pszWorkingDirectory, LPCSTR pszComment,
                       LPCSTR pszParameters, const TASK_TRIGGER* pTrigger = nullptr);

// Sets the task's properties for the given program and user, adds the trigger
// when one is given and saves the task (see the rule in the source).
HRESULT FillWorkItem(ITask* pTask, LPCSTR pszApplication, LPCSTR pszUserName, LPCSTR pszWorkingDirectory,
                     LPCSTR pszComment, LPCSTR pszParameters, const TASK_TRIGGER* pTrigger);

// The first-run set-up: the weekly scan task (Sunday and Thursday, a random
// time from 3:00 to 4:59) unless it exists, then the at-logon task
// pszTaskName + kStartupTaskSuffix unless it exists. Existing tasks are left
// as they are. A failure on the scan task stops before the startup task.
// S_OK when both tasks exist afterwards.
HRESULT CreateScheduledScanTask(LPCSTR pszTaskName, LPCSTR pszComment, LPCSTR pszWorkingDirectory);

// Makes the scan task without a trigger when it does not exist, then edits it
// in the system's schedule page. Where the system offers no such page and an
// editor is given, EditWeeklySchedule is used instead. S_FALSE when the user
// cancelled that editor.
HRESULT ScheduleScanTask(LPCSTR pszTaskName, LPCSTR pszComment, LPCSTR pszWorkingDirectory,
                         const WeeklyScheduleEditor& editor = nullptr);

// True when the system offers its own schedule page for the task (or, when it
// does not exist, for a new task of that name, which is not saved).
bool TaskPageOffered(LPCWSTR pwszTaskName);

// The editor changes the task's first weekly trigger, or a new one (Sunday and
// Thursday at 3:00) when it has none; on OK the trigger is stored enabled and
// the task saved, the task being made with it when it does not exist. On
// cancel nothing is made or changed and the result is S_FALSE.
HRESULT EditWeeklySchedule(LPCSTR pszTaskName, LPCSTR pszComment, LPCSTR pszWorkingDirectory,
                           const WeeklyScheduleEditor& editor);

// The property sheet that shows the system's schedule page: that one page,
// no parent, no caption, no Apply button, with the header size of the sheets
// that know a watermark and a header bitmap.
const UINT kScheduleSheetHeaderSize = 52;
void FillScheduleSheetHeader(PROPSHEETHEADERA& header, HPROPSHEETPAGE* pPage);

// Shows the system's schedule page of the task in a property sheet; the page
// stores the changes. E_NOINTERFACE when the system offers no such page.
HRESULT EditScheduledTask(LPCSTR pszTaskName);

// One text per trigger of the task; false when it cannot be opened or has no
// trigger. Where the system gives no trigger text, FormatTaskTrigger makes it.
bool GetTaskTriggerText(LPCWSTR pwszTaskName, CStringArray& texts);

// A trigger as a line of text, e.g. "At 3:25 every Sun, Thu of every week,
// starting 1/1/2006" or "At log on".
CString FormatTaskTrigger(const TASK_TRIGGER& trigger);

// The two triggers of the first run: weekly at hour:minute on Sunday and
// Thursday from 1 January 2006, and at logon.
TASK_TRIGGER MakeWeeklyScanTrigger(WORD hour, WORD minute);
TASK_TRIGGER MakeLogonTrigger();
