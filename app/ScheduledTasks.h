#pragma once
#include <windows.h>
#include <mstask.h>
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

// True when the task exists and opens.
bool TaskExists(LPCWSTR pwszTaskName);

// Makes and saves a task running this program for the current user while
// logged on, with the given working folder, comment and parameters, and the
// trigger when one is given (added before the first save: a task saved
// without one may come back with a trigger the scheduler made up).
HRESULT CreateWorkItem(LPCWSTR pwszTaskName, LPCSTR pszWorkingDirectory, LPCSTR pszComment,
                       LPCSTR pszParameters, const TASK_TRIGGER* pTrigger = nullptr);

// The first-run set-up: the weekly scan task (Sunday and Thursday, a random
// time from 3:00 to 4:59) unless it exists, then the at-logon task
// pszTaskName + kStartupTaskSuffix unless it exists. Existing tasks are left
// as they are. A failure on the scan task stops before the startup task.
// S_OK when both tasks exist afterwards.
HRESULT CreateScheduledScanTask(LPCSTR pszTaskName, LPCSTR pszComment, LPCSTR pszWorkingDirectory);

// Makes the scan task without a trigger when it does not exist, then edits it.
HRESULT ScheduleScanTask(LPCSTR pszTaskName, LPCSTR pszComment, LPCSTR pszWorkingDirectory);

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
