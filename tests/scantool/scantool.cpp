// scantool: runs the scan engine the way the application does and prints what
// it finds, and optionally fixes it, for the end-to-end tests and the
// benchmarks. Its own folder is the program folder: the fix's backups go to its
// "Backup" folder and the after-fix log to its "Logs" folder.
// Usage: scantool scan [--rounds N] [category ...]
//        scantool fix [--rounds N] [--only TEXT] [category ...]
// Output: one line per problem, "category<TAB>key<TAB>value name<TAB>value"
// (bytes below 0x20 written as \xNN), then "counts" and the eleven per-category
// counts, tab-separated. A fix then prints "fixed" and the eleven fixed
// counts, "backup<TAB>path", "renamelog<TAB>path" (the paths the fix chose,
// also when it removed the files again for being empty) and "fixtime<TAB>ms".
// With --rounds the scan runs N times, each with an engine of its own as the
// application makes one per scan; the last round's problems are printed (and
// fixed), and after every round and the fix a line "memory<TAB>stage<TAB>
// working set KB<TAB>peak working set KB<TAB>committed KB<TAB>ms" follows.
// Exit code 0 on success, 1 on a failure (including a break of the engine's
// message contract, or a fix that could not back up), 2 on a usage error.
#include "afx.h"
#include "CAppConfig.h"
#include "CCleanSweep.h"
#include "CIgnoreList.h"
#include "CRegScanner.h"
#include "LogFile.h"
#include "TestSupport.h"
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>
#include <psapi.h>
#include <memory>
#include <string>

namespace {

const char kUsage[] =
    "usage: scantool scan [--rounds N] [category ...]\n"
    "       scantool fix [--rounds N] [--only TEXT] [category ...]\n"
    "  scan: scans the given categories (0 to 10) and prints every problem found\n"
    "  fix: scans the same way, then repairs every problem found, or with --only\n"
    "       only those whose key, value name or value contains TEXT (any case),\n"
    "       and prints the fixed counts and the backup and rename-log paths\n"
    "  --rounds: scans N times and prints the memory in use after each\n";

struct Options {
    bool fix = false;
    CString only;  // lower-cased; empty: every problem
    int rounds = 0;  // 0: one scan, no memory lines
    BYTE enabled[REGPROBLEM_TYPE_COUNT] = {};
};

// Follows the worker's messages and checks them against the engine's contract:
// every category once, in order, either started and done or skipped, then one
// WM_SCAN_DONE; problems only inside a category; after the scan the fix's
// progress, each with its category's code, and one WM_FIX_DONE.
class MessageTrace {
public:
    void OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
    {
        switch (message) {
        case WM_CATEGORY_START:
            Expect(!m_inCategory && lParam == m_next && !m_scanDone, "WM_CATEGORY_START out of order");
            m_inCategory = true;
            m_started[m_next] = true;
            break;
        case WM_CATEGORY_DONE:
            Expect(m_inCategory && lParam == m_next, "WM_CATEGORY_DONE out of order");
            m_inCategory = false;
            m_next++;
            break;
        case WM_CATEGORY_SKIPPED:
            Expect(!m_inCategory && lParam == m_next && !m_scanDone, "WM_CATEGORY_SKIPPED out of order");
            m_next++;
            break;
        case WM_PROBLEM_FOUND:
            Expect(m_inCategory && lParam != 0, "WM_PROBLEM_FOUND outside a category");
            m_problems++;
            break;
        case WM_SCAN_DONE:
            Expect(m_next == REGPROBLEM_TYPE_COUNT && !m_scanDone, "WM_SCAN_DONE before every category");
            m_scanDone = true;
            break;
        case WM_FIX_PROGRESS: {
            const bool valid = IsValidCategory(static_cast<int>(lParam));
            Expect(m_scanDone && m_fixDone == 0, "WM_FIX_PROGRESS outside the fix");
            Expect(valid && wParam == static_cast<WPARAM>(g_fixProgressCodes[lParam]),
                   "WM_FIX_PROGRESS with a wrong code");
            if (valid)
                m_progress[lParam]++;
            break;
        }
        case WM_FIX_DONE:
            Expect(m_scanDone, "WM_FIX_DONE before WM_SCAN_DONE");
            m_fixDone++;
            break;
        default:
            break;
        }
    }

    bool Started(int category) const { return m_started[category]; }
    bool ScanDone() const { return m_scanDone; }
    int Problems() const { return m_problems; }
    int Progress(int category) const { return m_progress[category]; }
    int FixDone() const { return m_fixDone; }
    const std::string& Error() const { return m_error; }

private:
    void Expect(bool condition, const char* what)
    {
        if (!condition && m_error.empty())
            m_error = what;
    }

    int m_next = 0;
    bool m_inCategory = false;
    bool m_started[REGPROBLEM_TYPE_COUNT] = {};
    bool m_scanDone = false;
    int m_problems = 0;
    int m_progress[REGPROBLEM_TYPE_COUNT] = {};
    int m_fixDone = 0;
    std::string m_error;
};

LRESULT CALLBACK TraceWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= WM_FIX_PROGRESS && message <= WM_CATEGORY_SKIPPED) {
        auto* trace = reinterpret_cast<MessageTrace*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
        if (trace != nullptr)
            trace->OnMessage(message, wParam, lParam);
        return 0;
    }
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

// A hidden top-level window of this thread that feeds a trace.
class TraceWindow {
public:
    explicit TraceWindow(MessageTrace& trace)
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = TraceWindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "KeldrixScanToolWindow";
        RegisterClassA(&wc);
        m_hWnd = CreateWindowExA(0, wc.lpszClassName, "scantool", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, HWND_MESSAGE,
                                 nullptr, wc.hInstance, nullptr);
        if (m_hWnd != nullptr)
            SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&trace));
    }
    ~TraceWindow()
    {
        if (m_hWnd != nullptr)
            DestroyWindow(m_hWnd);
    }
    TraceWindow(const TraceWindow&) = delete;
    TraceWindow& operator=(const TraceWindow&) = delete;
    HWND Get() const { return m_hWnd; }

private:
    HWND m_hWnd = nullptr;
};

// Runs this thread's message loop until the worker thread has ended.
void PumpUntilEnded(HANDLE thread)
{
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0)
            return;
    }
}

std::string Printable(const CString& text)
{
    std::string out;
    for (int i = 0; i < text.GetLength(); i++) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20) {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

bool ParseOptions(int argc, char** argv, Options& options)
{
    if (argc < 2 || (strcmp(argv[1], "scan") != 0 && strcmp(argv[1], "fix") != 0))
        return false;
    options.fix = strcmp(argv[1], "fix") == 0;
    int i = 2;
    if (i + 1 < argc && strcmp(argv[i], "--rounds") == 0) {
        options.rounds = atoi(argv[i + 1]);
        if (options.rounds < 1 || options.rounds > 100)
            return false;
        i += 2;
    }
    if (options.fix && i + 1 < argc && strcmp(argv[i], "--only") == 0) {
        options.only = argv[i + 1];
        options.only.MakeLower();
        if (options.only.IsEmpty())
            return false;
        i += 2;
    }
    for (; i < argc; i++) {
        char* end = nullptr;
        const long category = strtol(argv[i], &end, 10);
        if (end == argv[i] || *end != '\0' || !IsValidCategory(static_cast<int>(category)))
            return false;
        options.enabled[category] = 1;
    }
    return true;
}

int Fail(const char* what)
{
    fprintf(stderr, "scantool: %s\n", what);
    return 1;
}

// The engine as the application runs it, except that its messages to the
// user go to the error stream: a message box would stop a console run.
class ToolEngine : public CRegScanner {
public:
    using CRegScanner::CRegScanner;
    int Messages() const { return m_messages; }

protected:
    void ShowFixMessage(LPCSTR pszText) override
    {
        fprintf(stderr, "scantool: message of the fix: %s\n", pszText);
        m_messages++;
    }

private:
    int m_messages = 0;
};

bool Matches(const CRegistryProblem& problem, const CString& only)
{
    if (only.IsEmpty())
        return true;
    for (CString text : {problem.m_key, problem.m_valueName, problem.m_value}) {
        text.MakeLower();
        if (text.Find(only) >= 0)
            return true;
    }
    return false;
}

// The process's memory as GetProcessMemoryInfo gives it, in KB, and the time taken.
void PrintMemory(const Options& options, const char* stage, DWORD elapsedMs)
{
    if (options.rounds == 0)
        return;
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof counters))
        return;
    printf("memory\t%s\t%lu\t%lu\t%lu\t%lu\n", stage, static_cast<unsigned long>(counters.WorkingSetSize / 1024),
           static_cast<unsigned long>(counters.PeakWorkingSetSize / 1024),
           static_cast<unsigned long>(counters.PagefileUsage / 1024), static_cast<unsigned long>(elapsedMs));
    fflush(stdout);
}

void PrintCounts(const char* label, const CRegScanner& engine, bool fixed)
{
    printf("%s", label);
    for (int category = 0; category < REGPROBLEM_TYPE_COUNT; category++)
        printf("\t%d", fixed ? engine.GetFixedCount(category) : engine.GetFoundCount(category));
    printf("\n");
}

// Selects the problems for repair, runs the fix and checks what it reports.
int RunFix(ToolEngine& engine, CRegistryProblemArray& problems, const Options& options, MessageTrace& trace,
           HWND hWnd)
{
    int selected[REGPROBLEM_TYPE_COUNT] = {};
    for (INT_PTR i = 0; i < problems.GetSize(); i++) {
        CRegistryProblem* problem = problems[i];
        problem->m_checked = Matches(*problem, options.only) ? TRUE : FALSE;
        if (problem->m_checked)
            selected[problem->m_category]++;
    }
    const DWORD start = GetTickCount();
    if (!engine.StartFix(hWnd))
        return Fail("cannot start the fix");
    PumpUntilEnded(engine.GetWorker()->m_hThread);
    const DWORD elapsed = GetTickCount() - start;

    if (engine.IsScanning())
        return Fail("the engine still reports a running fix after its thread ended");
    if (!trace.Error().empty())
        return Fail(trace.Error().c_str());
    if (trace.FixDone() != 1)
        return Fail("not exactly one WM_FIX_DONE");
    int fixed = 0;
    for (int category = 0; category < REGPROBLEM_TYPE_COUNT; category++) {
        // Each category with a selected problem is announced; its further problems only now and then.
        const int expected = engine.GetBackupPath().IsEmpty() ? 0 : selected[category];
        if (trace.Progress(category) > expected || (expected > 0 && trace.Progress(category) == 0))
            return Fail("WM_FIX_PROGRESS does not match the selected problems");
        if (engine.GetFixedCount(category) > selected[category])
            return Fail("more problems fixed than selected");
        fixed += engine.GetFixedCount(category);
    }
    if (fixed != engine.GetTotalFixed())
        return Fail("the fixed counters disagree");

    PrintCounts("fixed", engine, true);
    printf("backup\t%s\n", (LPCSTR)engine.GetBackupPath());
    printf("renamelog\t%s\n", (LPCSTR)engine.GetRenameLogPath());
    printf("fixtime\t%lu\n", static_cast<unsigned long>(elapsed));
    fflush(stdout);
    if (engine.GetBackupPath().IsEmpty() || engine.Messages() != 0)
        return Fail("the fix could not back up: nothing was repaired");
    if (problems.GetSize() != 0)
        return Fail("the problems were not freed after the fix");
    return 0;
}

// One scan by a new engine, checked against the engine's message contract.
int ScanOnce(ToolEngine& engine, CRegistryProblemArray& problems, const Options& options, const MessageTrace& trace,
             HWND hWnd)
{
    engine.SetCategories(options.enabled);
    if (!engine.StartScan(hWnd))
        return Fail("cannot start the scan");
    PumpUntilEnded(engine.GetWorker()->m_hThread);

    if (engine.IsScanning())
        return Fail("the engine still reports a running scan after its thread ended");
    if (!trace.Error().empty())
        return Fail(trace.Error().c_str());
    if (!trace.ScanDone())
        return Fail("no WM_SCAN_DONE");
    int counted = 0;
    for (int category = 0; category < REGPROBLEM_TYPE_COUNT; category++) {
        if (trace.Started(category) != (options.enabled[category] != 0))
            return Fail("a category was run or skipped against its selection");
        counted += engine.GetFoundCount(category);
    }
    if (problems.GetSize() != trace.Problems() || counted != engine.GetTotalFound()
        || counted != problems.GetSize())
        return Fail("the problem array, the counters and the messages disagree");
    return 0;
}

int Run(const Options& options)
{
    // Settings, statistics and the program folder's files are shared with the tests.
    testsupport::SharedStateLock lock;
    SetCurrentDirectoryA(CCleanSweep::GetProgramFolder());

    // The engine's inputs, as the application gathers them.
    g_appConfig.LoadWhitelist();
    CStringArray ignoreTexts;
    CIgnoreTypeArray ignoreTypes;
    CIgnoreList(ignoreTexts, ignoreTypes, CIgnoreList::GetDefaultPath()).Load();
    LogFile log{LogSettings()};
    CRegistryProblemArray problems;

    // Each round has its engine, its trace and its window; the last stay for the fix.
    std::unique_ptr<ToolEngine> engine;
    std::unique_ptr<TraceWindow> window;
    std::unique_ptr<MessageTrace> trace;
    const int rounds = options.rounds > 0 ? options.rounds : 1;
    for (int round = 1; round <= rounds; round++) {
        engine.reset();
        window.reset();
        trace.reset(new MessageTrace);
        window.reset(new TraceWindow(*trace));
        if (window->Get() == nullptr)
            return Fail("cannot create the message window");
        engine.reset(new ToolEngine(&log, &problems, &ignoreTexts, &ignoreTypes, &g_appConfig.m_whitelistKeys,
                                    &g_appConfig.m_whitelistValues, &g_appConfig.m_whitelistValueNames));
        const DWORD start = GetTickCount();
        if (const int rc = ScanOnce(*engine, problems, options, *trace, window->Get()))
            return rc;
        char stage[32];
        snprintf(stage, sizeof stage, "scan %d", round);
        PrintMemory(options, stage, GetTickCount() - start);
    }

    for (INT_PTR i = 0; i < problems.GetSize(); i++) {
        const CRegistryProblem* problem = problems[i];
        printf("%d\t%s\t%s\t%s\n", problem->m_category, Printable(problem->m_key).c_str(),
               Printable(problem->m_valueName).c_str(), Printable(problem->m_value).c_str());
    }
    PrintCounts("counts", *engine, false);
    fflush(stdout);
    if (!options.fix)
        return 0;
    const DWORD start = GetTickCount();
    const int rc = RunFix(*engine, problems, options, *trace, window->Get());
    PrintMemory(options, "fix", GetTickCount() - start);
    return rc;
}

}  // namespace

int main(int argc, char** argv)
{
    _setmode(_fileno(stdout), _O_BINARY);
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        fputs(kUsage, stderr);
        return 2;
    }
    try {
        return Run(options);
    } catch (CException* e) {
        e->Delete();
        return Fail("class library exception");
    } catch (const std::exception& e) {
        return Fail(e.what());
    }
}
