#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <string>
#include <vector>
#include "CComPtr.h"
#include "ScheduledTasks.h"
#include "TestSupport.h"

namespace {

std::wstring Wide(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

TASK_TRIGGER Trigger(TASK_TRIGGER_TYPE type, WORD hour, WORD minute)
{
    TASK_TRIGGER t = MakeWeeklyScanTrigger(hour, minute);
    t.TriggerType = type;
    t.Type = {};
    return t;
}

TEST(TaskTriggerText, Table)
{
    TASK_TRIGGER weekly = MakeWeeklyScanTrigger(3, 25);
    TASK_TRIGGER fortnightly = MakeWeeklyScanTrigger(14, 5);
    fortnightly.Type.Weekly.WeeksInterval = 2;
    fortnightly.Type.Weekly.rgfDaysOfTheWeek = TASK_MONDAY;
    TASK_TRIGGER daily = Trigger(TASK_TIME_TRIGGER_DAILY, 0, 0);
    daily.Type.Daily.DaysInterval = 1;
    TASK_TRIGGER everyThird = Trigger(TASK_TIME_TRIGGER_DAILY, 23, 59);
    everyThird.Type.Daily.DaysInterval = 3;
    everyThird.rgFlags = TASK_TRIGGER_FLAG_DISABLED;
    TASK_TRIGGER monthDates = Trigger(TASK_TIME_TRIGGER_MONTHLYDATE, 9, 30);
    monthDates.Type.MonthlyDate.rgfDays = 1 | (1 << 14) | (1u << 30);
    monthDates.Type.MonthlyDate.rgfMonths = 0xFFF;
    TASK_TRIGGER lastFriday = Trigger(TASK_TIME_TRIGGER_MONTHLYDOW, 8, 0);
    lastFriday.Type.MonthlyDOW.wWhichWeek = TASK_LAST_WEEK;
    lastFriday.Type.MonthlyDOW.rgfDaysOfTheWeek = TASK_FRIDAY;
    lastFriday.Type.MonthlyDOW.rgfMonths = TASK_JANUARY | TASK_JULY;
    TASK_TRIGGER once = Trigger(TASK_TIME_TRIGGER_ONCE, 12, 7);
    once.wBeginMonth = 12;
    once.wBeginDay = 24;

    const struct {
        TASK_TRIGGER trigger;
        const char* text;
    } cases[] = {
        {weekly, "At 3:25 every Sun, Thu of every week, starting 1/1/2006"},
        {fortnightly, "At 14:05 every Mon of every 2 weeks, starting 1/1/2006"},
        {daily, "At 0:00 every day, starting 1/1/2006"},
        {everyThird, "At 23:59 every 3 days, starting 1/1/2006 (disabled)"},
        {monthDates, "At 9:30 on day 1, 15, 31 of every month, starting 1/1/2006"},
        {lastFriday, "At 8:00 on the last Fri of Jan, Jul, starting 1/1/2006"},
        {once, "At 12:07 on 12/24/2006"},
        {MakeLogonTrigger(), "At log on"},
        {Trigger(TASK_EVENT_TRIGGER_AT_SYSTEMSTART, 0, 0), "At system startup"},
        {Trigger(TASK_EVENT_TRIGGER_ON_IDLE, 0, 0), "When the computer is idle"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(FormatTaskTrigger(c.trigger), c.text);
}

// Owns a pair of task names and deletes both tasks at the end.
class TaskPair {
public:
    TaskPair() : m_scan(testsupport::UniqueName("KeldrixTask")), m_startup(m_scan + kStartupTaskSuffix) {}
    ~TaskPair()
    {
        Delete(m_scan);
        Delete(m_startup);
    }
    const std::string& Scan() const { return m_scan; }
    const std::string& Startup() const { return m_startup; }

    static void Delete(const std::string& name)
    {
        CComPtr<ITaskScheduler> scheduler;
        if (SUCCEEDED(CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                                       scheduler.Out())))
            scheduler->Delete(Wide(name).c_str());
    }

private:
    std::string m_scan, m_startup;
};

// What a task holds, read back through the interfaces.
struct TaskFacts {
    std::wstring application, directory, parameters, comment, account;
    HRESULT accountResult = E_FAIL;
    DWORD flags = 0;
    std::vector<TASK_TRIGGER> triggers;
};

bool ReadTask(const std::string& name, TaskFacts& facts)
{
    CComPtr<ITaskScheduler> scheduler;
    CComPtr<ITask> task;
    if (FAILED(CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                                scheduler.Out())) ||
        scheduler->Activate(Wide(name).c_str(), IID_ITask, reinterpret_cast<IUnknown**>(&task)) != S_OK)
        return false;
    auto take = [&task](HRESULT (STDMETHODCALLTYPE ITask::*get)(LPWSTR*), std::wstring& out) {
        LPWSTR text = nullptr;
        HRESULT hr = (task.Get()->*get)(&text);
        if (SUCCEEDED(hr) && text) {
            out = text;
            CoTaskMemFree(text);
        }
        return hr;
    };
    take(&ITask::GetApplicationName, facts.application);
    take(&ITask::GetWorkingDirectory, facts.directory);
    take(&ITask::GetParameters, facts.parameters);
    take(&ITask::GetComment, facts.comment);
    facts.accountResult = take(&ITask::GetAccountInformation, facts.account);
    task->GetFlags(&facts.flags);
    WORD count = 0;
    task->GetTriggerCount(&count);
    for (WORD i = 0; i < count; ++i) {
        CComPtr<ITaskTrigger> trigger;
        TASK_TRIGGER data = {};
        data.cbTriggerSize = sizeof data;
        if (SUCCEEDED(task->GetTrigger(i, &trigger)))
            trigger->GetTrigger(&data);
        facts.triggers.push_back(data);
    }
    return true;
}

class ScheduledTasks : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }
};

TEST_F(ScheduledTasks, FirstRunCreatesBothTasksOnceAndRestoresAMissingStartupTask)
{
    TaskPair tasks;
    const char* folder = "C:\\KeldrixFolder";
    ASSERT_EQ(CreateScheduledScanTask(tasks.Scan().c_str(), "Runs Keldrix at Scheduled Time.", folder), S_OK);

    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    char user[256];
    DWORD userLength = sizeof user;
    GetUserNameA(user, &userLength);
    TaskFacts scan, startup;
    ASSERT_TRUE(ReadTask(tasks.Scan(), scan));
    ASSERT_TRUE(ReadTask(tasks.Startup(), startup));
    for (const TaskFacts* facts : {&scan, &startup}) {
        EXPECT_EQ(facts->application, Wide(exe));
        EXPECT_EQ(facts->directory, Wide(folder));
        EXPECT_EQ(facts->comment, L"Runs Keldrix at Scheduled Time.");
        // Wine keeps no account on a task: reading it back fails there.
        if (SUCCEEDED(facts->accountResult)) {
            EXPECT_EQ(facts->account, Wide(user));
        }
        EXPECT_EQ(facts->flags & TASK_FLAG_RUN_ONLY_IF_LOGGED_ON, static_cast<DWORD>(TASK_FLAG_RUN_ONLY_IF_LOGGED_ON));
        ASSERT_EQ(facts->triggers.size(), 1u);
        EXPECT_EQ(facts->triggers[0].wBeginYear, 2006);
        EXPECT_EQ(facts->triggers[0].wBeginMonth, 1);
        EXPECT_EQ(facts->triggers[0].wBeginDay, 1);
        EXPECT_FALSE(facts->triggers[0].rgFlags & TASK_TRIGGER_FLAG_DISABLED);
    }
    EXPECT_EQ(scan.parameters, L"-t");
    EXPECT_EQ(startup.parameters, L"-Tray");
    const TASK_TRIGGER& weekly = scan.triggers[0];
    EXPECT_EQ(weekly.TriggerType, TASK_TIME_TRIGGER_WEEKLY);
    EXPECT_EQ(weekly.Type.Weekly.WeeksInterval, 1);
    EXPECT_EQ(weekly.Type.Weekly.rgfDaysOfTheWeek, TASK_SUNDAY | TASK_THURSDAY);
    EXPECT_TRUE(weekly.wStartHour == 3 || weekly.wStartHour == 4);
    EXPECT_LT(weekly.wStartMinute, 60);
    EXPECT_EQ(startup.triggers[0].TriggerType, TASK_EVENT_TRIGGER_AT_LOGON);

    CStringArray lines;
    ASSERT_TRUE(GetTaskTriggerText(Wide(tasks.Scan()).c_str(), lines));
    ASSERT_EQ(lines.GetSize(), 1);
    EXPECT_STREQ(lines[0], FormatTaskTrigger(weekly));

    // A second first-run call changes nothing; without the startup task it makes only that one.
    for (bool dropStartup : {false, true}) {
        if (dropStartup)
            TaskPair::Delete(tasks.Startup());
        ASSERT_EQ(CreateScheduledScanTask(tasks.Scan().c_str(), "other comment", "C:\\other"), S_OK);
        TaskFacts scanAgain, startupAgain;
        ASSERT_TRUE(ReadTask(tasks.Scan(), scanAgain));
        ASSERT_TRUE(ReadTask(tasks.Startup(), startupAgain));
        ASSERT_EQ(scanAgain.triggers.size(), 1u);
        EXPECT_EQ(scanAgain.comment, scan.comment);
        EXPECT_EQ(scanAgain.triggers[0].wStartHour, weekly.wStartHour);
        EXPECT_EQ(scanAgain.triggers[0].wStartMinute, weekly.wStartMinute);
        EXPECT_EQ(startupAgain.comment, dropStartup ? L"other comment" : startup.comment);
        EXPECT_EQ(startupAgain.parameters, L"-Tray");
        ASSERT_EQ(startupAgain.triggers.size(), 1u);
        EXPECT_EQ(startupAgain.triggers[0].TriggerType, TASK_EVENT_TRIGGER_AT_LOGON);
    }
}

// Our own schedule editor (Wine offers no system page) starts from the first
// weekly trigger and changes it, or adds one; what is set is stored enabled.
TEST_F(ScheduledTasks, OwnEditorEditsTheFirstWeeklyTriggerOrAddsOne)
{
    TaskPair tasks;
    ASSERT_FALSE(TaskPageOffered(Wide(tasks.Scan()).c_str()));
    EXPECT_FALSE(TaskExists(Wide(tasks.Scan()).c_str())) << "the probe saved a task";
    ASSERT_EQ(CreateScheduledScanTask(tasks.Scan().c_str(), "c", "C:\\d"), S_OK);
    CStringArray before;
    ASSERT_TRUE(GetTaskTriggerText(Wide(tasks.Scan()).c_str(), before));
    TASK_TRIGGER offered = {};
    auto tuesdayAt2145 = [&offered](TASK_TRIGGER& t) {
        offered = t;
        t.Type.Weekly.rgfDaysOfTheWeek = TASK_TUESDAY;
        t.wStartHour = 21;
        t.wStartMinute = 45;
        t.rgFlags |= TASK_TRIGGER_FLAG_DISABLED;
        return true;
    };
    const struct {
        std::string name;
        CString offered, after;
    } cases[] = {
        {tasks.Scan(), before[0], "At 21:45 every Tue of every week, starting 1/1/2006"},
        {tasks.Startup(), "At 3:00 every Sun, Thu of every week, starting 1/1/2006",
         "At log on|At 21:45 every Tue of every week, starting 1/1/2006"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(EditWeeklySchedule(c.name.c_str(), "c", "C:\\d", tuesdayAt2145), S_OK);
        EXPECT_STREQ(FormatTaskTrigger(offered), c.offered);
        CStringArray lines;
        ASSERT_TRUE(GetTaskTriggerText(Wide(c.name).c_str(), lines));
        CString joined;
        for (int i = 0; i < lines.GetSize(); ++i)
            joined += (i ? "|" : "") + lines[i];
        EXPECT_STREQ(joined, c.after);
    }
}

TEST_F(ScheduledTasks, MissingTaskHasNoTriggerText)
{
    CStringArray lines;
    lines.Add("stale");
    EXPECT_FALSE(TaskExists(L"KeldrixNoSuchTask"));
    EXPECT_FALSE(GetTaskTriggerText(L"KeldrixNoSuchTask", lines));
    EXPECT_EQ(lines.GetSize(), 0);
}

// A task that records what is set on it and whether it is saved, and fails
// the one setter it is told to.
class FakeTask : public ITask, public IPersistFile {
public:
    explicit FakeTask(const std::string& failing) : m_failing(failing) {}
    std::vector<std::string> calls;

    HRESULT WINAPI QueryInterface(REFIID riid, void** out) override
    {
        *out = nullptr;
        if (riid == IID_IPersistFile)
            *out = static_cast<IPersistFile*>(this);
        else if (riid == IID_IUnknown || riid == IID_ITask)
            *out = static_cast<ITask*>(this);
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG WINAPI AddRef() override { return 2; }
    ULONG WINAPI Release() override { return 1; }

    HRESULT WINAPI SetApplicationName(LPCWSTR) override { return Set("application"); }
    HRESULT WINAPI SetWorkingDirectory(LPCWSTR) override { return Set("directory"); }
    HRESULT WINAPI SetFlags(DWORD flags) override
    {
        return Set(flags == TASK_FLAG_RUN_ONLY_IF_LOGGED_ON ? "flags" : "other flags");
    }
    HRESULT WINAPI SetAccountInformation(LPCWSTR, LPCWSTR password) override
    {
        return Set(password ? "account with password" : "account");
    }
    HRESULT WINAPI SetComment(LPCWSTR) override { return Set("comment"); }
    HRESULT WINAPI SetParameters(LPCWSTR) override { return Set("parameters"); }
    HRESULT WINAPI Save(LPCOLESTR name, BOOL remember) override
    {
        calls.push_back(!name && remember ? "save" : "save elsewhere");
        return S_OK;
    }

#define KELDRIX_NOT_USED(call) \
    HRESULT WINAPI call override { return E_NOTIMPL; }
    KELDRIX_NOT_USED(CreateTrigger(WORD*, ITaskTrigger**))
    KELDRIX_NOT_USED(DeleteTrigger(WORD))
    KELDRIX_NOT_USED(GetTriggerCount(WORD*))
    KELDRIX_NOT_USED(GetTrigger(WORD, ITaskTrigger**))
    KELDRIX_NOT_USED(GetTriggerString(WORD, LPWSTR*))
    KELDRIX_NOT_USED(GetRunTimes(const LPSYSTEMTIME, const LPSYSTEMTIME, WORD*, LPSYSTEMTIME*))
    KELDRIX_NOT_USED(GetNextRunTime(SYSTEMTIME*))
    KELDRIX_NOT_USED(SetIdleWait(WORD, WORD))
    KELDRIX_NOT_USED(GetIdleWait(WORD*, WORD*))
    KELDRIX_NOT_USED(Run())
    KELDRIX_NOT_USED(Terminate())
    KELDRIX_NOT_USED(EditWorkItem(HWND, DWORD))
    KELDRIX_NOT_USED(GetMostRecentRunTime(SYSTEMTIME*))
    KELDRIX_NOT_USED(GetStatus(HRESULT*))
    KELDRIX_NOT_USED(GetExitCode(DWORD*))
    KELDRIX_NOT_USED(GetComment(LPWSTR*))
    KELDRIX_NOT_USED(SetCreator(LPCWSTR))
    KELDRIX_NOT_USED(GetCreator(LPWSTR*))
    KELDRIX_NOT_USED(SetWorkItemData(WORD, BYTE*))
    KELDRIX_NOT_USED(GetWorkItemData(WORD*, BYTE**))
    KELDRIX_NOT_USED(SetErrorRetryCount(WORD))
    KELDRIX_NOT_USED(GetErrorRetryCount(WORD*))
    KELDRIX_NOT_USED(SetErrorRetryInterval(WORD))
    KELDRIX_NOT_USED(GetErrorRetryInterval(WORD*))
    KELDRIX_NOT_USED(GetFlags(DWORD*))
    KELDRIX_NOT_USED(GetAccountInformation(LPWSTR*))
    KELDRIX_NOT_USED(GetApplicationName(LPWSTR*))
    KELDRIX_NOT_USED(GetParameters(LPWSTR*))
    KELDRIX_NOT_USED(GetWorkingDirectory(LPWSTR*))
    KELDRIX_NOT_USED(SetPriority(DWORD))
    KELDRIX_NOT_USED(GetPriority(DWORD*))
    KELDRIX_NOT_USED(SetTaskFlags(DWORD))
    KELDRIX_NOT_USED(GetTaskFlags(DWORD*))
    KELDRIX_NOT_USED(SetMaxRunTime(DWORD))
    KELDRIX_NOT_USED(GetMaxRunTime(DWORD*))
    KELDRIX_NOT_USED(GetClassID(CLSID*))
    KELDRIX_NOT_USED(IsDirty())
    KELDRIX_NOT_USED(Load(LPCOLESTR, DWORD))
    KELDRIX_NOT_USED(SaveCompleted(LPCOLESTR))
    KELDRIX_NOT_USED(GetCurFile(LPOLESTR*))
#undef KELDRIX_NOT_USED

private:
    HRESULT Set(const char* what)
    {
        calls.push_back(what);
        return m_failing == what ? E_ACCESSDENIED : S_OK;
    }
    std::string m_failing;
};

// Every property is set whatever the one before gave; the task is saved when
// its parameters were set, unless it has no program to start or no account.
TEST(ScheduledTaskProperties, EverySetterRunsAndTheTaskIsSavedWhenItCanRun)
{
    const std::string setters = "application directory flags account comment parameters";
    const struct {
        const char* failing;
        bool saved;
    } cases[] = {{"", true},           {"application", false}, {"directory", true}, {"flags", true},
                 {"account", false},   {"comment", true},      {"parameters", false}};
    for (const auto& c : cases) {
        FakeTask task(c.failing);
        const HRESULT hr = FillWorkItem(&task, "C:\\Keldrix\\Keldrix.exe", "user", "C:\\Keldrix", "comment", "-t",
                                        nullptr);
        std::string calls;
        for (const std::string& call : task.calls)
            calls += (calls.empty() ? "" : " ") + call;
        EXPECT_EQ(setters + (c.saved ? " save" : ""), calls) << c.failing;
        EXPECT_EQ(c.saved, SUCCEEDED(hr)) << c.failing;
    }
}

// The sheet that shows the system's schedule page.
TEST(ScheduledTaskProperties, ScheduleSheetHeader)
{
    PROPSHEETHEADERA header;
    memset(&header, 0xAB, sizeof header);
    HPROPSHEETPAGE page = reinterpret_cast<HPROPSHEETPAGE>(0x1234);
    FillScheduleSheetHeader(header, &page);
    EXPECT_EQ(52u, header.dwSize);
    EXPECT_EQ(static_cast<DWORD>(PSH_NOAPPLYNOW), header.dwFlags);
    EXPECT_EQ(1u, header.nPages);
    EXPECT_EQ(&page, header.phpage);
    EXPECT_EQ(nullptr, header.hwndParent);
    EXPECT_EQ(nullptr, header.pszCaption);
    EXPECT_EQ(0u, header.nStartPage);
    EXPECT_EQ(nullptr, header.pfnCallback);
}

}  // namespace
