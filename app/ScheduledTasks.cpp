#include "ScheduledTasks.h"
#include <prsht.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include "CCleanSweep.h"
#include "CComPtr.h"
#include "CComScope.h"

const char kScanTaskParameters[] = "-t";
const char kStartupTaskParameters[] = "-Tray";
const char kStartupTaskSuffix[] = " Startup";
const char kScanTaskComment[] = "Runs Keldrix at Scheduled Time.";

namespace {

const DWORD kModulePathBuffer = 1024;
const DWORD kUserNameBuffer = 1000;

// A diagnostic line: text followed by the error code, to the given stream and the debugger.
void Report(FILE* stream, LPCSTR text, HRESULT hr)
{
    char line[160];
    snprintf(line, sizeof line, "%serror = 0x%lx\n", text, static_cast<unsigned long>(hr));
    fputs(line, stream);
    fflush(stream);
    ::OutputDebugStringA(line);
}

void ReportText(LPCSTR text)
{
    fputs(text, stdout);
    fflush(stdout);
    ::OutputDebugStringA(text);
}

std::wstring Wide(LPCSTR text)
{
    if (!text)
        return std::wstring();
    int n = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n <= 1)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], n);
    wide.resize(static_cast<size_t>(n - 1));
    return wide;
}

CString Narrow(LPCWSTR text)
{
    CString narrow;
    int n = text ? ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr) : 0;
    if (n > 1) {
        ::WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.GetBuffer(n), n, nullptr, nullptr);
        narrow.ReleaseBuffer(n - 1);
    }
    return narrow;
}

// COM and the scheduler for the length of one function; COM is uninitialised
// only when it was initialised here.
class SchedulerSession {
public:
    HRESULT Start()
    {
        return ::CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                                  m_scheduler.Out());
    }
    ITaskScheduler* operator->() const { return m_scheduler.Get(); }
    HRESULT Activate(LPCWSTR pwszTaskName, CComPtr<ITask>& task)
    {
        return m_scheduler->Activate(pwszTaskName, IID_ITask, reinterpret_cast<IUnknown**>(&task));
    }

private:
    CComScope m_com;
    CComPtr<ITaskScheduler> m_scheduler;
};

HRESULT SaveTask(ITask* pTask)
{
    CComPtr<IPersistFile> file;
    HRESULT hr = pTask->QueryInterface(IID_IPersistFile, file.Out());
    if (FAILED(hr)) {
        Report(stderr, "Failed calling QueryInterface, ", hr);
        return hr;
    }
    hr = file->Save(nullptr, TRUE);
    if (FAILED(hr))
        Report(stderr, "Failed calling Save, ", hr);
    return hr;
}

HRESULT AddTrigger(ITask* pTask, const TASK_TRIGGER& trigger)
{
    WORD index = 0;
    CComPtr<ITaskTrigger> taskTrigger;
    HRESULT hr = pTask->CreateTrigger(&index, &taskTrigger);
    if (FAILED(hr)) {
        Report(stdout, "Failed calling ITask::CreatTrigger: ", hr);
        return hr;
    }
    TASK_TRIGGER copy = trigger;
    hr = taskTrigger->SetTrigger(&copy);
    if (FAILED(hr))
        Report(stdout, "Failed calling ITaskTrigger::SetTrigger: ", hr);
    return hr;
}

// Day names of TASK_SUNDAY.. and month names of TASK_JANUARY.., bit by bit.
const char* const kDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kWeekNames[] = {"first", "second", "third", "fourth", "last"};

CString NameList(DWORD bits, const char* const* names, int count)
{
    CString list;
    for (int i = 0; i < count; ++i) {
        if (bits & (1u << i)) {
            if (!list.IsEmpty())
                list += ", ";
            list += names[i];
        }
    }
    return list;
}

CString DayNumberList(DWORD bits)
{
    CString list;
    for (int day = 1; day <= 31; ++day) {
        if (bits & (1u << (day - 1))) {
            if (!list.IsEmpty())
                list += ", ";
            list.AppendFormat("%d", day);
        }
    }
    return list;
}

// " of every month" or " of Jan, Jun".
CString MonthPhrase(WORD months)
{
    if ((months & 0xFFF) == 0xFFF || (months & 0xFFF) == 0)
        return " of every month";
    return " of " + NameList(months, kMonthNames, 12);
}

CString EveryPhrase(WORD interval, LPCSTR unit)
{
    CString phrase;
    if (interval <= 1)
        phrase.Format("every %s", unit);
    else
        phrase.Format("every %u %ss", static_cast<unsigned>(interval), unit);
    return phrase;
}

}  // namespace

CString GetTaskWorkingFolder()
{
    CString folder = CCleanSweep::GetProgramFolder();
    if (folder.GetLength() > 0 && folder[folder.GetLength() - 1] == '\\')
        folder = folder.Left(folder.GetLength() - 1);
    return folder;
}

TASK_TRIGGER MakeLogonTrigger()
{
    TASK_TRIGGER trigger = {};
    trigger.cbTriggerSize = sizeof trigger;
    trigger.wBeginYear = 2006;
    trigger.wBeginMonth = 1;
    trigger.wBeginDay = 1;
    trigger.TriggerType = TASK_EVENT_TRIGGER_AT_LOGON;
    return trigger;
}

TASK_TRIGGER MakeWeeklyScanTrigger(WORD hour, WORD minute)
{
    TASK_TRIGGER trigger = MakeLogonTrigger();
    trigger.wStartHour = hour;
    trigger.wStartMinute = minute;
    trigger.TriggerType = TASK_TIME_TRIGGER_WEEKLY;
    trigger.Type.Weekly.WeeksInterval = 1;
    trigger.Type.Weekly.rgfDaysOfTheWeek = TASK_SUNDAY | TASK_THURSDAY;
    return trigger;
}

bool TaskExists(LPCWSTR pwszTaskName)
{
    SchedulerSession scheduler;
    CComPtr<ITask> task;
    return SUCCEEDED(scheduler.Start()) && scheduler.Activate(pwszTaskName, task) == S_OK;
}

HRESULT CreateWorkItem(LPCWSTR pwszTaskName, LPCSTR pszWorkingDirectory, LPCSTR pszComment,
                       LPCSTR pszParameters, const TASK_TRIGGER* pTrigger)
{
    SchedulerSession scheduler;
    HRESULT hr = scheduler.Start();
    if (FAILED(hr))
        return hr;
    CComPtr<ITask> task;
    hr = scheduler->NewWorkItem(pwszTaskName, CLSID_CTask, IID_ITask, reinterpret_cast<IUnknown**>(&task));
    if (FAILED(hr) || !task.Get()) {
        Report(stderr, "Failed calling NewWorkItem, ", hr);
        return FAILED(hr) ? hr : E_FAIL;
    }

    char modulePath[kModulePathBuffer] = "";
    DWORD length = ::GetModuleFileNameA(nullptr, modulePath, kModulePathBuffer);
    if (length == 0 || length >= kModulePathBuffer)
        return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    char userName[kUserNameBuffer] = "";
    DWORD userLength = kUserNameBuffer;
    if (!::GetUserNameA(userName, &userLength))
        userName[0] = '\0';
    return FillWorkItem(task.Get(), modulePath, userName, pszWorkingDirectory, pszComment, pszParameters, pTrigger);
}

HRESULT FillWorkItem(ITask* pTask, LPCSTR pszApplication, LPCSTR pszUserName, LPCSTR pszWorkingDirectory,
                     LPCSTR pszComment, LPCSTR pszParameters, const TASK_TRIGGER* pTrigger)
{
    // Every property is set, in this order, whatever the one before gave; the
    // task is saved when its parameters were set, unless it has no program or
    // no account: a task without its program, or without the user it runs
    // as, could never run. A failed working folder, flags or comment still
    // leaves a task that starts this program for this user, and it is saved.
    const HRESULT application = pTask->SetApplicationName(Wide(pszApplication).c_str());
    pTask->SetWorkingDirectory(Wide(pszWorkingDirectory).c_str());
    pTask->SetFlags(TASK_FLAG_RUN_ONLY_IF_LOGGED_ON);
    const HRESULT account = pTask->SetAccountInformation(Wide(pszUserName).c_str(), nullptr);
    pTask->SetComment(Wide(pszComment).c_str());
    HRESULT hr = pTask->SetParameters(Wide(pszParameters).c_str());
    if (FAILED(hr))
        return hr;
    if (FAILED(application))
        return application;
    if (FAILED(account))
        return account;
    if (pTrigger) {
        hr = AddTrigger(pTask, *pTrigger);
        if (FAILED(hr))
            return hr;
    }
    hr = SaveTask(pTask);
    if (SUCCEEDED(hr) && pTrigger) {
        ReportText("The trigger was created and IPersistFile::Save was \n");
        ReportText("called to save the new trigger to disk.\n");
    }
    return hr;
}

HRESULT CreateScheduledScanTask(LPCSTR pszTaskName, LPCSTR pszComment, LPCSTR pszWorkingDirectory)
{
    const std::wstring scanName = Wide(pszTaskName);
    if (!TaskExists(scanName.c_str())) {
        // One seeding: two in the same tick would give the same number twice.
        srand(::GetTickCount());
        const int r1 = rand();
        const int r2 = rand();
        const TASK_TRIGGER weekly = MakeWeeklyScanTrigger(static_cast<WORD>(3 + r1 % 2), static_cast<WORD>(r2 % 60));
        HRESULT hr = CreateWorkItem(scanName.c_str(), pszWorkingDirectory, pszComment, kScanTaskParameters, &weekly);
        if (FAILED(hr))
            return hr;
    }
    const std::wstring startupName = Wide((CString(pszTaskName) + kStartupTaskSuffix));
    if (TaskExists(startupName.c_str()))
        return S_OK;
    const TASK_TRIGGER logon = MakeLogonTrigger();
    return CreateWorkItem(startupName.c_str(), pszWorkingDirectory, pszComment, kStartupTaskParameters, &logon);
}

HRESULT ScheduleScanTask(LPCSTR pszTaskName, LPCSTR pszComment, LPCSTR pszWorkingDirectory,
                         const WeeklyScheduleEditor& editor)
{
    const std::wstring name = Wide(pszTaskName);
    // Our own editor saves the task only with its trigger: a task saved
    // without one may come back with a trigger the scheduler made up.
    if (editor && !TaskPageOffered(name.c_str()))
        return EditWeeklySchedule(pszTaskName, pszComment, pszWorkingDirectory, editor);
    if (!TaskExists(name.c_str())) {
        HRESULT hr = CreateWorkItem(name.c_str(), pszWorkingDirectory, pszComment, kScanTaskParameters);
        if (FAILED(hr))
            return hr;
    }
    return EditScheduledTask(pszTaskName);
}

bool TaskPageOffered(LPCWSTR pwszTaskName)
{
    SchedulerSession scheduler;
    if (FAILED(scheduler.Start()))
        return false;
    CComPtr<ITask> task;
    if (scheduler.Activate(pwszTaskName, task) != S_OK) {
        if (FAILED(scheduler->NewWorkItem(pwszTaskName, CLSID_CTask, IID_ITask, reinterpret_cast<IUnknown**>(&task))) ||
            !task.Get())
            return false;
    }
    CComPtr<IProvideTaskPage> provider;
    return SUCCEEDED(task->QueryInterface(IID_IProvideTaskPage, provider.Out()));
}

HRESULT EditWeeklySchedule(LPCSTR pszTaskName, LPCSTR pszComment, LPCSTR pszWorkingDirectory,
                           const WeeklyScheduleEditor& editor)
{
    const std::wstring name = Wide(pszTaskName);
    TASK_TRIGGER trigger = MakeWeeklyScanTrigger(3, 0);
    SchedulerSession scheduler;
    HRESULT hr = scheduler.Start();
    if (FAILED(hr))
        return hr;
    CComPtr<ITask> task;
    const bool exists = scheduler.Activate(name.c_str(), task) == S_OK;
    // The first weekly trigger, kept open to be changed.
    CComPtr<ITaskTrigger> weekly;
    WORD count = 0;
    if (exists && SUCCEEDED(task->GetTriggerCount(&count))) {
        for (WORD i = 0; i < count; ++i) {
            TASK_TRIGGER data = {};
            data.cbTriggerSize = sizeof data;
            if (SUCCEEDED(task->GetTrigger(i, &weekly)) && SUCCEEDED(weekly->GetTrigger(&data)) &&
                data.TriggerType == TASK_TIME_TRIGGER_WEEKLY) {
                trigger = data;
                break;
            }
            weekly.Release();
        }
    }
    if (!editor(trigger))
        return S_FALSE;
    // A schedule the user has just set is meant to run.
    trigger.rgFlags &= ~TASK_TRIGGER_FLAG_DISABLED;
    if (!exists)
        return CreateWorkItem(name.c_str(), pszWorkingDirectory, pszComment, kScanTaskParameters, &trigger);
    if (weekly.Get()) {
        hr = weekly->SetTrigger(&trigger);
        if (FAILED(hr))
            Report(stdout, "Failed calling ITaskTrigger::SetTrigger: ", hr);
    } else {
        hr = AddTrigger(task.Get(), trigger);
    }
    return SUCCEEDED(hr) ? SaveTask(task.Get()) : hr;
}

static_assert(sizeof(PROPSHEETHEADERA) >= kScheduleSheetHeaderSize, "the header has room for the header bitmap");

void FillScheduleSheetHeader(PROPSHEETHEADERA& header, HPROPSHEETPAGE* pPage)
{
    memset(&header, 0, sizeof header);
    header.dwSize = kScheduleSheetHeaderSize;
    header.dwFlags = PSH_NOAPPLYNOW;
    header.nPages = 1;
    header.phpage = pPage;
}

HRESULT EditScheduledTask(LPCSTR pszTaskName)
{
    SchedulerSession scheduler;
    HRESULT hr = scheduler.Start();
    if (FAILED(hr))
        return hr;
    CComPtr<ITask> task;
    hr = scheduler.Activate(Wide(pszTaskName).c_str(), task);
    if (FAILED(hr)) {
        Report(stdout, "Failed calling ITaskScheduler::Activate: ", hr);
        return hr;
    }
    CComPtr<IProvideTaskPage> provider;
    hr = task->QueryInterface(IID_IProvideTaskPage, provider.Out());
    if (FAILED(hr)) {
        Report(stdout, "Failed calling ITask::QueryInterface: ", hr);
        return hr;
    }
    HPROPSHEETPAGE page = nullptr;
    hr = provider->GetPage(TASKPAGE_SCHEDULE, TRUE, &page);
    if (FAILED(hr)) {
        Report(stdout, "Failed calling IProvideTaskPage::GetPage: ", hr);
        return hr;
    }
    PROPSHEETHEADERA header;
    FillScheduleSheetHeader(header, &page);
    if (::PropertySheetA(&header) < 0) {
        hr = HRESULT_FROM_WIN32(::GetLastError());
        Report(stdout, "Failed to create the property page: ", hr);
        Report(stderr, "Failed calling Editing, ", hr);
        return FAILED(hr) ? hr : E_FAIL;
    }
    return S_OK;
}

bool GetTaskTriggerText(LPCWSTR pwszTaskName, CStringArray& texts)
{
    texts.RemoveAll();
    SchedulerSession scheduler;
    if (FAILED(scheduler.Start()))
        return false;
    CComPtr<ITask> task;
    HRESULT hr = scheduler.Activate(pwszTaskName, task);
    if (FAILED(hr)) {
        Report(stdout, "Failed calling ITaskScheduler::Activate: ", hr);
        return false;
    }
    WORD count = 0;
    if (FAILED(task->GetTriggerCount(&count)) || count == 0)
        return false;
    for (WORD i = 0; i < count; ++i) {
        CComPtr<ITaskTrigger> trigger;
        if (FAILED(task->GetTrigger(i, &trigger)))
            continue;
        LPWSTR text = nullptr;
        if (SUCCEEDED(trigger->GetTriggerString(&text)) && text) {
            texts.Add(Narrow(text));
            ::CoTaskMemFree(text);
            continue;
        }
        TASK_TRIGGER data = {};
        data.cbTriggerSize = sizeof data;
        if (SUCCEEDED(trigger->GetTrigger(&data)))
            texts.Add(FormatTaskTrigger(data));
    }
    return true;
}

CString FormatTaskTrigger(const TASK_TRIGGER& trigger)
{
    CString at;
    at.Format("At %u:%02u", static_cast<unsigned>(trigger.wStartHour), static_cast<unsigned>(trigger.wStartMinute));
    CString starting;
    starting.Format(", starting %u/%u/%u", static_cast<unsigned>(trigger.wBeginMonth),
                    static_cast<unsigned>(trigger.wBeginDay), static_cast<unsigned>(trigger.wBeginYear));
    CString text;
    switch (trigger.TriggerType) {
    case TASK_TIME_TRIGGER_ONCE:
        text.Format("%s on %u/%u/%u", static_cast<LPCSTR>(at), static_cast<unsigned>(trigger.wBeginMonth),
                    static_cast<unsigned>(trigger.wBeginDay), static_cast<unsigned>(trigger.wBeginYear));
        break;
    case TASK_TIME_TRIGGER_DAILY:
        text = at + " " + EveryPhrase(trigger.Type.Daily.DaysInterval, "day") + starting;
        break;
    case TASK_TIME_TRIGGER_WEEKLY:
        text = at + " every " + NameList(trigger.Type.Weekly.rgfDaysOfTheWeek, kDayNames, 7) + " of " +
               EveryPhrase(trigger.Type.Weekly.WeeksInterval, "week") + starting;
        break;
    case TASK_TIME_TRIGGER_MONTHLYDATE:
        text = at + " on day " + DayNumberList(trigger.Type.MonthlyDate.rgfDays) +
               MonthPhrase(trigger.Type.MonthlyDate.rgfMonths) + starting;
        break;
    case TASK_TIME_TRIGGER_MONTHLYDOW: {
        WORD week = trigger.Type.MonthlyDOW.wWhichWeek;
        const char* weekName = (week >= 1 && week <= 5) ? kWeekNames[week - 1] : "first";
        text = at + " on the " + weekName + " " + NameList(trigger.Type.MonthlyDOW.rgfDaysOfTheWeek, kDayNames, 7) +
               MonthPhrase(trigger.Type.MonthlyDOW.rgfMonths) + starting;
        break;
    }
    case TASK_EVENT_TRIGGER_ON_IDLE:
        text = "When the computer is idle";
        break;
    case TASK_EVENT_TRIGGER_AT_SYSTEMSTART:
        text = "At system startup";
        break;
    case TASK_EVENT_TRIGGER_AT_LOGON:
        text = "At log on";
        break;
    default:
        text = "Unknown schedule";
        break;
    }
    if (trigger.rgFlags & TASK_TRIGGER_FLAG_DISABLED)
        text += " (disabled)";
    return text;
}
