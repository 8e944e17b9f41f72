// The update check of the main window against AutoUpdateDouble.dll, which
// logs every call and posts the statuses each case scripts. Message boxes are
// real; a watcher thread reads and answers them.
#include "CAppConfig.h"
#include "CUpdateCheck.h"
#include "RegistrySettings.h"
#include "TestSupport.h"
#include <gtest/gtest.h>
#include <atomic>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

namespace {

const char kNoUpdates[] = "Keldrix|There are no updates available at this time.\n\nYour product is up-to-date.";
const char kProgramQuestion[] =
    "Keldrix Update|A new version of Keldrix has been released.\nDo you want to download the latest version?";
const char kWhitelistQuestion[] =
    "Keldrix Update|Keldrix has a new product whitelist available for download.\nWould you like to download it?";
// AfxMessageBox: the caption is the program's title.
const char kComplete[] = "update_tests|Download complete";
const char kFailed[] = "update_tests|Download Failed";
const char kMissing[] = "update_tests|Keldrix cannot check for updates: AutoUpdate.dll is missing or damaged.";

std::string ProgramFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.rfind('\\'));
}

// Answers the message boxes of one thread: Yes/No boxes from the list (No
// when it runs out), others with OK; keeps "caption|text" of each.
class BoxAnswerer {
public:
    explicit BoxAnswerer(std::vector<int> answers)
        : m_thread(GetCurrentThreadId()), m_answers(std::move(answers)), m_worker([this] { Watch(); })
    {
    }
    ~BoxAnswerer()
    {
        m_stop = true;
        m_worker.join();
    }
    std::vector<std::string> Boxes()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_boxes;
    }

private:
    static BOOL CALLBACK FindBox(HWND hwnd, LPARAM found)
    {
        char name[16] = {};
        GetClassNameA(hwnd, name, sizeof name);
        if (strcmp(name, "#32770") == 0 && IsWindowVisible(hwnd)) {
            *reinterpret_cast<HWND*>(found) = hwnd;
            return FALSE;
        }
        return TRUE;
    }
    static BOOL CALLBACK FindText(HWND hwnd, LPARAM text)
    {
        char name[16] = {}, value[512] = {};
        GetClassNameA(hwnd, name, sizeof name);
        GetWindowTextA(hwnd, value, sizeof value);
        if (_stricmp(name, "Static") == 0 && value[0])
            *reinterpret_cast<std::string*>(text) = value;
        return TRUE;
    }
    void Watch()
    {
        size_t next = 0;
        while (!m_stop) {
            HWND box = nullptr;
            EnumThreadWindows(m_thread, FindBox, reinterpret_cast<LPARAM>(&box));
            if (!box) {
                Sleep(20);
                continue;
            }
            char caption[256] = {};
            GetWindowTextA(box, caption, sizeof caption);
            std::string text;
            EnumChildWindows(box, FindText, reinterpret_cast<LPARAM>(&text));
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_boxes.push_back(std::string(caption) + "|" + text);
            }
            int answer = IDOK;
            if (GetDlgItem(box, IDYES))
                answer = next < m_answers.size() ? m_answers[next++] : IDNO;
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
            for (int i = 0; i < 500 && IsWindow(box); ++i)
                Sleep(20);
        }
    }

    DWORD m_thread;
    std::vector<int> m_answers;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::vector<std::string> m_boxes;
    std::thread m_worker;
};

// A plain window standing in for the main window: it forwards the library's
// status to the check and counts the e-mail prompts the check asks for.
CUpdateCheck* g_check = nullptr;
int g_emailPrompts = 0;

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kAuStatusMessage && g_check && g_check->OnStatus(wParam, lParam) == CUpdateCheck::kArmEmailPrompt)
        ++g_emailPrompts;
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

class UpdateCheckTest : public ::testing::Test {
protected:
    typedef void (*ScriptFunction)(int, int, int);
    typedef const char* (*LogFunction)();
    typedef const char* (*FieldsFunction)(int);

    void SetUp() override
    {
        m_saved = {Saved(SETTING_AUTOUPDATE), Saved(SETTING_CHECKPROMPT)};
        SetEnvironmentVariableA(CUpdateCheck::kLibrarySwitch, (ProgramFolder() + "\\AutoUpdateDouble.dll").c_str());
        SetEnvironmentVariableA(CUpdateCheck::kHostSwitch, "127.0.0.1:9");
        m_config.m_vendId = "V1";
        m_config.m_langId = "en";
        m_config.m_cpId = "C7";
        m_config.m_whitelistVersion = 2.5;
        WNDCLASSA wc = {};
        wc.lpfnWndProc = MainWindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "UpdateCheckTestWindow";
        RegisterClassA(&wc);
        m_window = CreateWindowA("UpdateCheckTestWindow", "main", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                 nullptr, wc.hInstance, nullptr);
        ASSERT_NE(m_window, nullptr);
        g_check = &m_check;
        g_emailPrompts = 0;
    }
    void TearDown() override
    {
        m_check.Cancel();
        g_check = nullptr;
        DestroyWindow(m_window);
        for (const auto& saved : m_saved) {
            HKEY key = nullptr;
            if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Keldrix", 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
                continue;
            if (saved.present)
                RegSetValueExA(key, saved.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(saved.text.c_str()),
                               static_cast<DWORD>(saved.text.size() + 1));
            else
                RegDeleteValueA(key, saved.name);
            RegCloseKey(key);
        }
    }

    // Loads the double (the check keeps it loaded) and scripts it.
    void Script(int programStatus, int whitelistStatus, int downloadStatus)
    {
        m_double = LoadLibraryA((ProgramFolder() + "\\AutoUpdateDouble.dll").c_str());
        ASSERT_NE(m_double, nullptr);
        Lookup<ScriptFunction>("DoubleScript")(programStatus, whitelistStatus, downloadStatus);
    }
    template <class Function>
    Function Lookup(const char* name)
    {
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(m_double, name)));
    }
    std::string RawLog() { return Lookup<LogFunction>("DoubleLog")(); }
    std::string Fields(int record) { return Lookup<FieldsFunction>("DoubleRecordFields")(record); }
    // The calls in short: "Setup:P" or "Setup:W", else the name and the record's number.
    std::string Calls()
    {
        std::istringstream lines(RawLog());
        std::string line, calls;
        while (std::getline(lines, line)) {
            std::string call = line.substr(0, line.find(' '));
            if (call == "Setup")
                call += line.find("|Keldrix Whitelist|") != std::string::npos ? ":W" : ":P";
            else if (line.find(" #") != std::string::npos)
                call += ":" + line.substr(line.find(" #") + 2, 1);
            calls += (calls.empty() ? "" : " ") + call;
        }
        return calls;
    }
    // Runs the window's messages until the check has ended and none are left.
    void PumpUntilDone()
    {
        for (int i = 0; i < 1000 && m_check.IsChecking(); ++i) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        EXPECT_FALSE(m_check.IsChecking());
    }
    ~UpdateCheckTest() override
    {
        if (m_double)
            FreeLibrary(m_double);
    }

    struct SavedValue {
        const char* name;
        bool present;
        std::string text;
    };
    static SavedValue Saved(const char* name)
    {
        CString text = GetRegistrySettingString(SETTINGS_PRODUCT, name);
        HKEY key = nullptr;
        bool present = RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Keldrix", 0, KEY_READ, &key) == ERROR_SUCCESS &&
                       RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
        if (key)
            RegCloseKey(key);
        return {name, present, std::string((LPCSTR)text)};
    }

    testsupport::SharedStateLock m_lock;
    std::vector<SavedValue> m_saved;
    CAppConfig m_config;
    CString m_build = "16000";
    CUpdateCheck m_check{m_config, m_build};
    HWND m_window = nullptr;
    HMODULE m_double = nullptr;
};

TEST_F(UpdateCheckTest, AutomaticCheckHandsTheRecordsOverInOrderAndArmsTheEmailPrompt)
{
    SetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_AUTOUPDATE, 1);
    Script(kAuNoUpdate, kAuNoUpdate, 0);
    BoxAnswerer boxes({});
    EXPECT_EQ(m_check.StartAtWindowStart(m_window), CUpdateCheck::kNoReaction);
    PumpUntilDone();

    char window[32];
    snprintf(window, sizeof window, "%p", static_cast<void*>(m_window));
    EXPECT_EQ(RawLog(),
              "Setup size=32 KELDRIX|SOFTWARE\\Keldrix|http://127.0.0.1:9/ombrelvin/updatecore.aspx?vid=V1&pid=2"
              "&lid=en&cpid=C7&version=16000|Keldrix|0|16000.00\n"
              "Initialize #1\n"
              "QueryServerAsync #1 window=" + std::string(window) + " flag=1\n"
              "Setup size=32 KELDRIX|SOFTWARE\\Keldrix|http://127.0.0.1:9/zidederiv/en/database.xml|"
              "Keldrix Whitelist|0|2.50\n"
              "Initialize #2\n"
              "QueryServerAsync #2 window=" + std::string(window) + " flag=1\n");
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(g_emailPrompts, 1);
}

// Each status of each phase, with the answers to the questions and "checkprompt" 0, 1 and 2.
TEST_F(UpdateCheckTest, ReactionsToEachStatus)
{
    struct Case {
        const char* name;
        BOOL automatic;
        int checkPrompt;
        int program, whitelist, download;
        std::vector<int> answers;
        const char* calls;
        std::vector<std::string> boxes;
        int emailPrompts;
    };
    const Case cases[] = {
        {"asked for, nothing new", FALSE, 1, kAuNoUpdate, kAuNoUpdate, 0, {},
         "Setup:P Initialize:1 QueryServer:1 Setup:W Initialize:2 QueryServerAsync:2", {kNoUpdates}, 0},
        {"program taken", TRUE, 1, kAuUpdateAvailable, 0, kAuDownloadComplete, {IDYES},
         "Setup:P Initialize:1 QueryServerAsync:1 DownloadUpdateAsync:1 RunAutoUpdate",
         {kProgramQuestion, kComplete}, 0},
        {"both declined", TRUE, 1, kAuUpdateAvailable, kAuUpdateAvailable, 0, {IDNO, IDNO},
         "Setup:P Initialize:1 QueryServerAsync:1 Setup:W Initialize:2 QueryServerAsync:2",
         {kProgramQuestion, kWhitelistQuestion}, 1},
        {"whitelist taken, asked for", FALSE, 1, kAuNoUpdate, kAuUpdateAvailable, kAuDownloadComplete, {IDYES},
         "Setup:P Initialize:1 QueryServer:1 Setup:W Initialize:2 QueryServerAsync:2 DownloadUpdateAsync:2 "
         "RunAutoUpdate",
         {kWhitelistQuestion, kComplete}, 0},
        {"checkprompt 0, download fails", TRUE, 0, kAuNoUpdate, kAuUpdateAvailable, kAuDownloadFailed, {},
         "Setup:P Initialize:1 QueryServerAsync:1 Setup:W Initialize:2 QueryServerAsync:2 DownloadUpdateAsync:2",
         {kFailed}, 1},
        {"checkprompt 2", TRUE, 2, kAuUpdateAvailable, 0, kAuDownloadComplete, {},
         "Setup:P Initialize:1 QueryServerAsync:1 DownloadUpdateAsync:1 RunAutoUpdate", {kComplete}, 0},
        {"check failed", TRUE, 1, kAuCheckFinished, 0, 0, {}, "Setup:P Initialize:1 QueryServerAsync:1", {}, 1},
        {"unknown status", TRUE, 1, 9, 0, 0, {}, "Setup:P Initialize:1 QueryServerAsync:1", {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_AUTOUPDATE, 1);
        SetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_CHECKPROMPT, c.checkPrompt);
        Script(c.program, c.whitelist, c.download);
        g_emailPrompts = 0;
        {
            BoxAnswerer boxes(c.answers);
            if (c.automatic)
                m_check.StartAtWindowStart(m_window);
            else
                m_check.QueryUpdateServer(m_window);
            if (c.program == 9) {
                // An unknown status changes nothing: the check still waits.
                MSG msg;
                while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                    DispatchMessageA(&msg);
                EXPECT_TRUE(m_check.IsChecking());
                m_check.Cancel();
            }
            PumpUntilDone();
            EXPECT_EQ(boxes.Boxes(), c.boxes);
        }
        EXPECT_EQ(Calls(), c.calls);
        if (std::string(c.calls).find("RunAutoUpdate") != std::string::npos) {
            EXPECT_NE(RawLog().find("RunAutoUpdate 00004b58"), std::string::npos) << RawLog();
        }
        EXPECT_EQ(g_emailPrompts, c.emailPrompts);
        EXPECT_EQ(m_check.GetPhase(), c.whitelist || c.program == kAuNoUpdate ? 1 : 0);
        FreeLibrary(m_double);
        m_double = nullptr;
    }
}

TEST_F(UpdateCheckTest, AutoUpdateOffMakesNoCallAndArmsTheEmailPrompt)
{
    SetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_AUTOUPDATE, 0);
    EXPECT_EQ(m_check.StartAtWindowStart(m_window), CUpdateCheck::kArmEmailPrompt);
    EXPECT_EQ(GetModuleHandleA("AutoUpdateDouble.dll"), nullptr);
    EXPECT_FALSE(m_check.IsChecking());
}

TEST_F(UpdateCheckTest, SecondRequestWhileCheckingIsIgnoredAndCancelSilencesTheRecord)
{
    Script(0, 0, 0);  // the query never answers
    m_check.QueryUpdateServer(m_window);
    EXPECT_TRUE(m_check.IsChecking());
    m_check.QueryUpdateServer(m_window);
    EXPECT_EQ(Calls(), "Setup:P Initialize:1 QueryServer:1");

    m_check.Cancel();
    EXPECT_FALSE(m_check.IsChecking());
    EXPECT_EQ(Fields(1), "window=00000000 flag=0");
    // A status that arrives all the same is not acted on.
    BoxAnswerer boxes({IDYES});
    EXPECT_EQ(m_check.OnStatus(kAuUpdateAvailable, 0), CUpdateCheck::kNoReaction);
    EXPECT_EQ(m_check.OnStatus(kAuCheckFinished, 0), CUpdateCheck::kNoReaction);
    EXPECT_EQ(Calls(), "Setup:P Initialize:1 QueryServer:1");
    EXPECT_TRUE(boxes.Boxes().empty());
}

// A missing file, one that is no DLL and a DLL without the functions: Keldrix goes on without the check.
TEST_F(UpdateCheckTest, UnusableLibrarySkipsTheCheck)
{
    testsupport::TempDir dir;
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File("AutoUpdate.dll"), "MZ this is not a library"));
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    for (const std::string& library :
         {dir.File("missing.dll"), dir.File("AutoUpdate.dll"), std::string(system) + "\\version.dll"}) {
        SCOPED_TRACE(library);
        SetEnvironmentVariableA(CUpdateCheck::kLibrarySwitch, library.c_str());
        SetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_AUTOUPDATE, 1);
        CUpdateCheck check(m_config, m_build);
        EXPECT_EQ(check.StartAtWindowStart(m_window), CUpdateCheck::kArmEmailPrompt);
        BoxAnswerer boxes({});
        check.QueryUpdateServer(m_window);
        EXPECT_FALSE(check.IsChecking());
        for (int i = 0; i < 500 && boxes.Boxes().empty(); ++i)
            Sleep(20);
        EXPECT_EQ(boxes.Boxes(), std::vector<std::string>{kMissing});
    }
}

}  // namespace
