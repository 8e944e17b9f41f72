#include <gtest/gtest.h>
#include "RegistrySettings.h"
#include "EngineTestSupport.h"
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>

using enginetest::Event;
using enginetest::RecordingWindow;
using testsupport::SavedValues;
using enginetest::TestScanner;
using enginetest::BoundaryScanner;

namespace {

typedef std::vector<std::pair<UINT, LPARAM>> Sequence;

const BYTE kNone[REGPROBLEM_TYPE_COUNT] = {};
const BYTE kAll[REGPROBLEM_TYPE_COUNT] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};

// The category messages of a scan whose categories run ('r') or are skipped
// ('s'), one letter per category, then WM_SCAN_DONE.
Sequence Expected(const char* letters)
{
    Sequence sequence;
    for (int category = 0; letters[category]; category++) {
        if (letters[category] == 'r') {
            sequence.emplace_back(WM_CATEGORY_START, category);
            sequence.emplace_back(WM_CATEGORY_DONE, category);
        } else {
            sequence.emplace_back(WM_CATEGORY_SKIPPED, category);
        }
    }
    sequence.emplace_back(WM_SCAN_DONE, 0);
    return sequence;
}

// One scan engine with its window, run under the shared-state lock; the
// settings values that a scan writes or reads are put back afterwards.
struct ScanRun {
    testsupport::SharedStateLock lock;
    SavedValues settings{{SETTING_LASTSCAN, SETTING_LASTFOUNDERRORS, SETTING_REPAIRAFTERFIND}};
    CRegistryProblemArray problems;
    BoundaryScanner engine{problems};
    RecordingWindow window;
    testsupport::TempDir backups;

    // A fix run by the scan writes its backup files into the test's own folder.
    ScanRun()
    {
        window.Watch(&engine);
        engine.SetBackupFolder((backups.Path() + "\\").c_str());
    }

    void SetRepairAfterFind(int value) { SetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_REPAIRAFTERFIND, value); }

    // Starts a scan and handles its messages until the worker has ended.
    bool Scan(const BYTE enabled[REGPROBLEM_TYPE_COUNT])
    {
        engine.SetCategories(enabled);
        return engine.StartScan(window.Get()) && RecordingWindow::PumpUntilEnded(engine.GetWorker()->m_hThread);
    }
};

// Parses a "%b %d, %Y %H:%M:%S" text; 0 when it does not have that form.
__time64_t ParseScanTime(const CString& text)
{
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char month[4] = "";
    int day = 0, year = 0, hour = 0, minute = 0, second = 0;
    char rest = 0;
    if (text.GetLength() != 21
        || sscanf(text, "%3s %2d, %4d %2d:%2d:%2d%c", month, &day, &year, &hour, &minute, &second, &rest) != 6)
        return 0;
    for (int m = 0; m < 12; m++)
        if (strcmp(month, months[m]) == 0)
            return CTime(year, m + 1, day, hour, minute, second).GetTime();
    return 0;
}

}  // namespace

TEST(ScanEngine, NoCategoryEnabledSkipsAllElevenAndEmptiesTheArray)
{
    ScanRun run;
    // A record of an earlier scan: every scan starts with an empty array.
    run.problems.Add(new CRegistryProblem("HKEY_CLASSES_ROOT\\old", "", "", 0));
    SetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_LASTFOUNDERRORS, 77);
    run.SetRepairAfterFind(2);  // only 1 repairs after the scan
    const __time64_t before = CTime::GetCurrentTime().GetTime();

    ASSERT_TRUE(run.Scan(kNone));

    EXPECT_EQ(run.window.Sequence(), Expected("sssssssssss"));
    EXPECT_EQ(run.problems.GetSize(), 0);
    EXPECT_EQ(run.engine.GetTotalFound(), 0);
    EXPECT_FALSE(run.engine.IsScanning());
    for (const Event& e : run.window.events) {
        EXPECT_EQ(e.wParam, 0u);
        EXPECT_TRUE(e.scanning) << "message " << e.message << " arrived after the engine said it was idle";
    }

    EXPECT_EQ(GetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_LASTFOUNDERRORS, -1), 0);
    const CString lastScan = GetRegistrySettingString(SETTINGS_PRODUCT, SETTING_LASTSCAN);
    const __time64_t stamp = ParseScanTime(lastScan);
    EXPECT_NE(stamp, 0) << (LPCSTR)lastScan;
    EXPECT_LE(std::llabs(stamp - before), 60) << (LPCSTR)lastScan;
}

TEST(ScanEngine, CancelDuringACategoryFinishesItSkipsTheRestAndStartsNoFix)
{
    ScanRun run;
    run.SetRepairAfterFind(1);
    run.window.onMessage = [&](const Event& e) {
        if (e.message == WM_CATEGORY_START && e.lParam == 3)
            run.engine.Cancel();
    };

    ASSERT_TRUE(run.Scan(kAll));

    EXPECT_EQ(run.window.Sequence(), Expected("rrrrsssssss"));
    EXPECT_EQ(run.window.Count(WM_FIX_DONE), 0);
    // What was found before the cancel stays, counted.
    EXPECT_EQ(run.problems.GetSize(), run.window.Count(WM_PROBLEM_FOUND));
    EXPECT_EQ(run.engine.GetTotalFound(), run.problems.GetSize());
    EXPECT_EQ(GetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_LASTFOUNDERRORS, -1), run.engine.GetTotalFound());
}

TEST(ScanEngine, CancelInsideTheComScannerStopsItAtItsNextTest)
{
    ScanRun run;
    run.window.onMessage = [&](const Event& e) {
        if (e.message == WM_SCAN_PATH)
            run.engine.Cancel();
    };

    ASSERT_TRUE(run.Scan(kAll));

    EXPECT_EQ(run.window.Sequence(), Expected("rssssssssss"));
    // The class being examined finishes its eight subkeys; no further key is walked.
    EXPECT_GE(run.window.Count(WM_SCAN_PATH), 1);
    EXPECT_LE(run.window.Count(WM_SCAN_PATH), 8);
}

TEST(ScanEngine, CategoriesRunInOrderAndTheScanningFlagOutlastsTheLastMessage)
{
    ScanRun run;
    const BYTE some[REGPROBLEM_TYPE_COUNT] = {0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    // Only one worker at a time: a second start while this one runs is refused.
    BOOL secondStart = TRUE;
    run.window.onMessage = [&](const Event& e) {
        if (e.message == WM_CATEGORY_START && e.lParam == 5)
            secondStart = run.engine.StartScan(run.window.Get());
    };
    run.engine.Cancel();  // an earlier cancel does not reach a new scan

    ASSERT_TRUE(run.Scan(some));

    EXPECT_EQ(run.window.Sequence(), Expected("srsssrssssr"));
    EXPECT_FALSE(secondStart);
    EXPECT_TRUE(run.window.events.back().scanning);
    EXPECT_FALSE(run.engine.IsScanning());
}

// With "repairafterfind" 1 the scan thread runs the fix itself: WM_SCAN_DONE,
// the fix's own messages ending in its WM_FIX_DONE, then WM_FIX_DONE once more.
// The engine counts as running until after that last message.
TEST(ScanEngine, RepairAfterFindRunsTheFixOnTheScanThread)
{
    ScanRun run;
    run.SetRepairAfterFind(1);

    ASSERT_TRUE(run.Scan(kNone));

    const Sequence sequence = run.window.Sequence();
    ASSERT_GE(sequence.size(), 14u);
    EXPECT_EQ(sequence[11], std::make_pair(static_cast<UINT>(WM_SCAN_DONE), static_cast<LPARAM>(0)));
    EXPECT_EQ(sequence[sequence.size() - 2].first, static_cast<UINT>(WM_FIX_DONE));
    EXPECT_EQ(sequence.back().first, static_cast<UINT>(WM_FIX_DONE));
    EXPECT_EQ(run.window.Count(WM_FIX_DONE), 2);
    for (const Event& e : run.window.events)
        EXPECT_TRUE(e.scanning);
    EXPECT_FALSE(run.engine.IsScanning());
}

// WM_SCAN_DONE tells the window whether the fix follows: the engine decides
// once, and a cancel that comes after its decision changes nothing.
TEST(ScanEngine, TheScanDoneMessageCarriesTheOneDecisionOnTheFix)
{
    enum Cancel { kNoCancel, kDuringTheScan, kAfterTheDecision };
    const struct Case {
        int repairAfterFind;
        Cancel cancel;
        WPARAM fixFollows;
    } cases[] = {
        {1, kNoCancel, 1},
        {1, kAfterTheDecision, 1},
        {1, kDuringTheScan, 0},
        {0, kNoCancel, 0},
        {0, kAfterTheDecision, 0},
        {2, kNoCancel, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "repairafterfind " << c.repairAfterFind << ", cancel " << c.cancel);
        ScanRun run;
        run.SetRepairAfterFind(c.repairAfterFind);
        run.window.onMessage = [&](const Event& e) {
            if (c.cancel == kDuringTheScan && e.message == WM_CATEGORY_SKIPPED && e.lParam == 10)
                run.engine.Cancel();
        };
        if (c.cancel == kAfterTheDecision)
            run.engine.afterDecision = [&] { run.engine.Cancel(); };

        ASSERT_TRUE(run.Scan(kNone));

        ASSERT_EQ(run.window.Count(WM_SCAN_DONE), 1);
        for (const Event& e : run.window.events)
            if (e.message == WM_SCAN_DONE)
                EXPECT_EQ(e.wParam, c.fixFollows);
        EXPECT_EQ(run.window.Count(WM_FIX_DONE), c.fixFollows ? 2 : 0);
    }
}

TEST(ScanEngine, StartFixReportsItsEndWhileStillRunning)
{
    ScanRun run;
    run.engine.SetCategories(kNone);
    ASSERT_TRUE(run.engine.StartFix(run.window.Get()));
    ASSERT_TRUE(RecordingWindow::PumpUntilEnded(run.engine.GetWorker()->m_hThread));

    ASSERT_FALSE(run.window.events.empty());
    EXPECT_EQ(run.window.events.back().message, static_cast<UINT>(WM_FIX_DONE));
    EXPECT_EQ(run.window.Count(WM_SCAN_DONE), 0);
    for (const Event& e : run.window.events)
        EXPECT_TRUE(e.scanning);
    EXPECT_FALSE(run.engine.IsScanning());
}

TEST(ScanEngine, DeletingTheEngineUnderARunningScanStopsAndWaitsForIt)
{
    testsupport::SharedStateLock lock;
    SavedValues settings{{SETTING_LASTSCAN, SETTING_LASTFOUNDERRORS, SETTING_REPAIRAFTERFIND}};
    CRegistryProblemArray problems;
    RecordingWindow window;
    HANDLE thread = nullptr;
    {
        TestScanner engine(problems);
        engine.SetCategories(kAll);
        ASSERT_TRUE(engine.StartScan(window.Get()));
        ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), engine.GetWorker()->m_hThread, GetCurrentProcess(), &thread,
                                    SYNCHRONIZE, FALSE, 0));
        // The engine goes out of scope at once, its scan barely started; the
        // worker's messages to this thread's window still arrive meanwhile.
    }
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);
    CloseHandle(thread);
    EXPECT_EQ(problems.GetSize(), 0);
    // Cancelled at once: at most the first category ran, the rest were skipped.
    EXPECT_EQ(window.Count(WM_SCAN_DONE), 1);
    EXPECT_LE(window.Count(WM_CATEGORY_DONE), 1);
}

// The progress page counts the problem and category messages: over a long
// category the window gets a path at the category's start and every problem,
// with its record, in the order stored. (How often paths come is bench/'s.)
// The lock keeps the other class walks out while the classes come and go.
// What the progress page relies on while the path messages are thinned out:
// a fresh path all along a long category and every problem, in order.
TEST(ScanEngine, ALongCategoryBringsFreshPathsAndEveryProblemInOrder)
{
    testsupport::SharedStateLock lock;
    enginetest::Planted classes;
    size_t broken = 0;
    for (int i = 0; i < 3000; i++) {
        const std::string guid = testsupport::NewGuid();
        const bool bad = i % 2 == 1;
        classes.KeyValue(HKEY_CLASSES_ROOT, "CLSID\\" + guid + "\\InprocServer32", "",
                         bad ? "C:\\KdxGone_" + guid + "\\x.dll" : "C:\\windows\\system32\\kernel32.dll");
        broken += bad;
    }
    const BYTE comOnly[REGPROBLEM_TYPE_COUNT] = {1};
    ScanRun run;
    ASSERT_TRUE(run.Scan(comOnly));
    EXPECT_EQ(run.window.Sequence(), Expected("rssssssssss"));
    const std::vector<Event>& events = run.window.events;
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events[1].message, static_cast<UINT>(WM_SCAN_PATH)) << "no path at the category's start";
    // Generous bounds: never a second without a path, and not many more than one per 20 ms.
    std::vector<DWORD> pathTicks;
    for (const Event& e : events)
        if (e.message == WM_SCAN_PATH)
            pathTicks.push_back(e.tick);
    const DWORD length = events.back().tick - events.front().tick;
    DWORD longestGap = events.back().tick - pathTicks.back();
    for (size_t i = 1; i < pathTicks.size(); i++)
        longestGap = std::max(longestGap, pathTicks[i] - pathTicks[i - 1]);
    EXPECT_LT(longestGap, 1000u) << length << " ms, " << pathTicks.size() << " paths";
    EXPECT_LE(pathTicks.size(), 2 + length / 20) << length << " ms";
    std::vector<std::string> announced;
    size_t ours = 0;
    for (const Event& e : events) {
        if (e.message == WM_PROBLEM_FOUND) {
            announced.push_back(e.text);
            ours += e.text.find("KdxGone_") != std::string::npos;
        }
    }
    ASSERT_EQ(announced.size(), static_cast<size_t>(run.problems.GetSize()));
    for (INT_PTR i = 0; i < run.problems.GetSize(); i++)
        EXPECT_EQ(announced[i], enginetest::Text(*run.problems[i]));
    // A class planted elsewhere meanwhile may shift the walk by one: nearly all of ours are found.
    EXPECT_GE(ours + 10, broken);
}
